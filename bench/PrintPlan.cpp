// The printed plan and cross-section.
// - A colour A4 plan page at 600 dpi (1/1000000 centred on the data) to PDF, with 65,535 fixes,
//   5,000 waypoints, 500 zones and a 4000 x 4000 calibrated map: target under 1.5 s and 400 MB
//   peak resident memory (PeakRssMB); the same at 1200 dpi is reported. The same page through
//   the whole print run to the "PDF" entry (file size PdfMB; blocks embedded without loss), and
//   the time from Esc pressed while it draws to the end of the run: target under 100 ms
//   (WorstMs).
// - The Germany OpenAir file on a 600-dpi plan page centred on it, at 1/5000 and at 1/1000000:
//   target under 0.5 s each.
// - A 190 x 100 mm cross-section of 65,535 fixes at 600 dpi: target under 0.3 s; a task page of
//   7 cells over the plan data: reported.
#include "BenchSupport.h"
#include "PlanBenchData.h"
#include "files/IgcFile.h"
#include "files/MapCal.h"
#include "files/OpenAir.h"
#include "model/Define.h"
#include "model/Options.h"
#include "model/Sector.h"
#include "model/Texts.h"
#include "platform/Numbers.h"
#include "print/PrintJob.h"
#include "print/PrintPage.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <cmath>

namespace {

// One page to a PDF file at Dpi, the way the print job lays it out.
void PageToPdf(TPrintSettings& s, int Dpi, const QString& File)
{
    QPdfWriter w(File);
    w.setResolution(Dpi);
    w.setPageSize(QPageSize(QPageSize::A4));
    w.setPageMargins(QMarginsF(0, 0, 0, 0));
    const TPrinterGeometry g = GeometryOfLayout(w.pageLayout(), Dpi);
    TPageContext c;
    c.SetGeometry(PageGeometry(g, s, 0, 0, 1, {}));
    c.Printing = true;
    QPainter p(&w);
    DrawPage(p, c, s);
}

void BM_PlanPageToPdf(benchmark::State& state)
{
    ModelDone();
    ModelInit();
    MakeTrace();
    MakeWaypoints();
    MakeZones();
    MakeMap();
    TPrintSettings s = PlanSettings(CtrLat, CtrLon, QStringLiteral("1/1000000"));
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("plan.pdf"));
    for (auto _ : state) PageToPdf(s, int(state.range(0)), out);
    state.counters["PdfMB"] = QFileInfo(out).size() / 1e6;
    state.counters["PeakRssMB"] = PeakRssMB();
}
BENCHMARK(BM_PlanPageToPdf)->Arg(600)->Arg(1200)->Unit(benchmark::kMillisecond)->Iterations(3);

// The whole print run of that page to the "PDF" entry (in colour, and monochrome without the
// map): drawing, the PDF in memory, the checked write of the file.
void PlanJobSetUp(TPrintSettings& s, QTemporaryDir& Dir)
{
    ModelDone();
    ModelInit();
    MakeTrace();
    MakeWaypoints();
    MakeZones();
    MakeMap();
    s = PlanSettings(CtrLat, CtrLon, QStringLiteral("1/1000000"));
    s.PrinterName = PdfPrinterName;
    const QString out = Dir.filePath(QStringLiteral("plan.pdf"));
    SetPdfFileAsker([out](const QString&, QString& Name) {
        Name = out;
        return true;
    });
}

void BM_PlanJobToPdf(benchmark::State& state)
{
    TPrintSettings s;
    QTemporaryDir dir;
    PlanJobSetUp(s, dir);
    s.MonochBtn = state.range(0) != 0;
    if (s.MonochBtn) s.MapPlanBtn = s.MapSectBtn = false; // a monochrome page has no map
    for (auto _ : state) {
        TPrintJob job(s);
        if (job.Run() != TPrintResult::Printed) state.SkipWithError("not printed");
    }
    state.counters["PdfMB"] = QFileInfo(dir.filePath(QStringLiteral("plan.pdf"))).size() / 1e6;
    state.counters["PeakRssMB"] = PeakRssMB();
    SetPdfFileAsker(nullptr);
}
BENCHMARK(BM_PlanJobToPdf)->ArgName("mono")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

// Esc pressed range(0) ms into the run of that page: the time from the press to the end of the
// run (manual time), after which nothing is written.
void BM_EscWhilePlanDraws(benchmark::State& state)
{
    TPrintSettings s;
    QTemporaryDir dir;
    PlanJobSetUp(s, dir);
    int aborted = 0;
    double worst = 0;
    for (auto _ : state) {
        TPrintJob job(s);
        QElapsedTimer clock;
        // The key is down at the due time; the timer's call comes when events are next let in.
        const qint64 due = state.range(0) * 1000000;
        QTimer::singleShot(int(state.range(0)), Qt::PreciseTimer, [&] { job.Abort(); });
        clock.start();
        const bool stopped = job.Run() == TPrintResult::Aborted;
        const qint64 end = clock.nsecsElapsed();
        aborted += stopped;
        const double latency = stopped ? std::max<qint64>(0, end - due) / 1e9 : 0;
        worst = std::max(worst, latency);
        state.SetIterationTime(latency);
    }
    state.counters["Aborted"] = aborted;
    state.counters["WorstMs"] = worst * 1000;
    SetPdfFileAsker(nullptr);
}
BENCHMARK(BM_EscWhilePlanDraws)
    ->Arg(100)
    ->Arg(250)
    ->Arg(600)
    ->Arg(1000)
    ->Arg(1400)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

void BM_GermanAirspacePlan(benchmark::State& state)
{
    ModelDone();
    ModelInit();
    TReadReport r;
    auto set =
        ReadOpenAirFile(QStringLiteral(ZPH_TESTDATA "/openair/2026_03_Airspace_Germany_OA1.txt"), 0, r);
    if (!set) {
        state.SkipWithError("no airspace");
        return;
    }
    const int32 lat = Round((double(set->LatMin) + set->LatMax) / 2);
    const int32 lon = Round((double(set->LonMin) + set->LonMax) / 2);
    SetSmp(std::move(set));
    TPrintSettings s = PlanSettings(lat, lon, QStringLiteral("1/%1").arg(state.range(0)));
    TPageImage page;
    for (auto _ : state) {
        QPainter p(&page.Img);
        DrawPlan(p, page.C, s, 236, 400, 4961 - 236, 7016 - 236, -3);
    }
}
BENCHMARK(BM_GermanAirspacePlan)->Arg(5000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_CrossSection(benchmark::State& state)
{
    ModelDone();
    ModelInit();
    MakeTrace();
    TPrintSettings s;
    s.MonochBtn = false;
    TPageImage page;
    const int32 w = Round(190 * page.C.PxPerMmX), h = Round(100 * page.C.PxPerMmY);
    for (auto _ : state) {
        QPainter p(&page.Img);
        DrawCutt(p, page.C, s, 236, 400, 236 + w, 400 + h, 0);
    }
}
BENCHMARK(BM_CrossSection)->Unit(benchmark::kMillisecond);

void BM_TaskPage(benchmark::State& state)
{
    if (!LoadFlightWithTask(state)) return;
    MakeWaypoints();
    MakeZones();
    TPrintSettings s = PlanSettings(CtrLat, CtrLon, QStringLiteral("1/1000000"));
    s.PrnView = pvTask;
    TPageImage page;
    for (auto _ : state) {
        QPainter p(&page.Img);
        DrawPage(p, page.C, s);
    }
    state.counters["Cells"] = Stn ? Stn->Count : 0;
}
BENCHMARK(BM_TaskPage)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rc = RunBenchmarks(argc, argv);
    ModelDone();
    return rc;
}
