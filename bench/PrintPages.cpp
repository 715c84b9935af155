// Printing: a waypoint list of 65,535 waypoints to PDF at 600 dpi (target under 5 s, peak
// resident memory under 150 MB, reported as the PeakRssMB counter), and the texts of a detail
// page (title, results band, seven turn-point cells) drawn on a 600-dpi page image made
// beforehand (target under 50 ms).
#include "BenchSupport.h"
#include "files/IgcFile.h"
#include "model/Define.h"
#include "model/Options.h"
#include "model/Sector.h"
#include "print/PrintJob.h"
#include "print/PrintText.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

void BM_WaypointListToPdf(benchmark::State& state)
{
    ModelDone();
    ModelInit();
    TSwp* set = NewSwp();
    for (int i = 0; i < MaxListCount; ++i) {
        auto w = std::make_unique<TWpt>();
        w->Lat = 4400000 + (i * 37) % 300000;
        w->Lon = 500000 + (i * 53) % 400000;
        w->Name = QStringLiteral("WPT%1").arg(i, 5, 10, QLatin1Char('0'));
        w->Comment = QStringLiteral("Terrain %1 - 123.500 MHz").arg(i);
        w->Alt = i % 3000;
        w->Attr = uint8(i % 128);
        set->AddWpt(w);
    }
    Opt->FichWayPoints = QStringLiteral("bench.dat");
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("list.pdf"));
    SetPdfFileAsker([&](const QString&, QString& name) {
        name = out;
        return true;
    });
    TPrintSettings s;
    s.PrinterName = PdfPrinterName;
    s.PrnView = pvWptList;
    int pages = 0;
    for (auto _ : state) {
        TPrintJob job(s);
        if (job.Run() != TPrintResult::Printed) state.SkipWithError("print failed");
        pages = job.Pages();
    }
    state.counters["Pages"] = pages;
    state.counters["PeakRssMB"] = PeakRssMB();
    SetPdfFileAsker(nullptr);
}
BENCHMARK(BM_WaypointListToPdf)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_DetailPageTexts(benchmark::State& state)
{
    if (!LoadFlightWithTask(state)) return;
    TPrintSettings s;
    s.PrnView = pvDetail;
    s.HeightCutt = 50;
    TPageImage page;
    for (auto _ : state) {
        QPainter p(&page.Img);
        DrawPage(p, page.C, s);
    }
    state.counters["Cells"] = Stn ? Stn->Count : 0;
}
BENCHMARK(BM_DetailPageTexts)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rc = RunBenchmarks(argc, argv);
    ModelDone();
    return rc;
}
