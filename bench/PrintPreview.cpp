// The print preview and the print dialog.
// - Repainting the preview of the plan page of the printing benchmarks' data (colour, scanned
//   map, 1/1000000) in a 1500 x 1000 window scrolled to the page centre, at zoom 8: target under
//   150 ms; zoom 1 reported.
// - Opening the print dialog (its activation, with the settings read from the INI file):
//   reported.
#include "BenchSupport.h"
#include "PlanBenchData.h"
#include "platform/Msg.h"
#include "print/Infoprnf.h"
#include "print/Preview.h"
#include "print/Print.h"

#include <QApplication>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

void BM_PreviewRepaint(benchmark::State& state)
{
    ModelDone();
    ModelInit();
    MakeTrace();
    MakeWaypoints();
    MakeZones();
    MakeMap();
    TPrintForm form;
    TPreviewForm preview;
    form.S = PlanSettings(CtrLat, CtrLon, QStringLiteral("1/1000000"));
    PrnView = pvPlan;
    form.OutMode = 2;
    form.Zoom = double(state.range(0));
    preview.resize(1500, 1000);
    preview.show();
    form.PrintOrPreview();
    QCoreApplication::processEvents();
    for (QScrollBar* b : {preview.ScrollBox->horizontalScrollBar(), preview.ScrollBox->verticalScrollBar()})
        b->setValue((b->minimum() + b->maximum()) / 2);
    QCoreApplication::processEvents();
    for (auto _ : state) preview.PaintBox->repaint();
    state.counters["PageW"] = preview.PaintBox->width();
    state.counters["PageH"] = preview.PaintBox->height();
    preview.hide();
}
BENCHMARK(BM_PreviewRepaint)->Arg(8)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_OpenDialog(benchmark::State& state)
{
    ModelDone();
    ModelInit();
    MakeTrace();
    TPrintForm form;
    SaveIni(form.S);
    for (auto _ : state) {
        form.open();
        QCoreApplication::processEvents();
        form.done(QDialog::Rejected);
    }
}
BENCHMARK(BM_OpenDialog)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("CUPS_SERVER", "/nonexistent/zephalon-bench.sock");
    QTemporaryDir dir; // the INI file of the runs
    qputenv("ZEPHALON_HOME", dir.path().toLocal8Bit());
    QApplication app(argc, argv);
    Msg::SetHeadless(true);
    const int rc = RunBenchmarks(argc, argv);
    ModelDone();
    return rc;
}
