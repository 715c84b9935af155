// The flight-file explorer on a folder of 1,000 IGC files of about 1 MB (no declared task, so
// each summary works out the path length): listing with the summaries, warm, while the longest
// pause of the event loop is measured; stopping a running read; showing the window again on the
// unchanged folder; sorting the thousand rows by date, duration, distance and name.
// Targets: listing < 1.5 s with no event-loop pause above 100 ms; stop < 200 ms; showing again
// < 50 ms; each sort < 50 ms.
#include "dialogs/ExplDir.h"
#include "BenchSupport.h"
#include "model/Define.h"
#include "model/Options.h"
#include "platform/Msg.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <unistd.h>

namespace {

QByteArray MakeIgc()
{
    QByteArray t = "ALXVABCFLIGHT:1\r\nHFDTE150717\r\nHFPLTPILOT:Bench Pilot\r\nHFGTYGLIDERTYPE:LS 4\r\n"
                   "HFGIDGLIDERID:D-1234\r\n";
    char b[96];
    for (int i = 0; i < 28000; ++i) {
        const int s = (8 * 3600 + i) % 86400;
        const int lat = 5100000 + (i * 7) % 30000, lon = 700000 + (i * 11) % 60000;
        std::snprintf(b, sizeof b, "B%02d%02d%02d%02d%05dN%03d%05dEA%05d%05d\r\n", s / 3600, s / 60 % 60,
                      s % 60, lat / 100000, lat % 100000 * 60 / 100, lon / 100000, lon % 100000 * 60 / 100,
                      500 + i % 2000, 520 + i % 2000);
        t.append(b);
    }
    return t;
}

// One file written, the other 999 hard links to it: distinct paths, one disk copy.
struct TFolder
{
    QTemporaryDir dir;
    TFolder()
    {
        const QString first = dir.filePath(QStringLiteral("f0000.igc"));
        QFile out(first);
        out.open(QIODevice::WriteOnly);
        out.write(MakeIgc());
        out.close();
        for (int i = 1; i < 1000; ++i)
            ::link(QFile::encodeName(first).constData(),
                   QFile::encodeName(dir.filePath(QStringLiteral("f%1.igc").arg(i, 4, 10, QLatin1Char('0'))))
                       .constData());
    }
};

TFolder& Folder()
{
    static TFolder f;
    return f;
}

void BM_ListWithSummaries(benchmark::State& state)
{
    double worstGap = 0, firstStep = 0;
    for (auto _ : state) {
        state.PauseTiming();
        TDirExplor w;
        QElapsedTimer gap;
        qint64 maxGap = 0;
        QTimer tick;
        tick.setInterval(1);
        QObject::connect(&tick, &QTimer::timeout, [&] { maxGap = std::max(maxGap, gap.restart()); });
        state.ResumeTiming();
        gap.start();
        tick.start();
        QElapsedTimer first;
        first.start();
        w.SetFolder(Folder().dir.path());
        firstStep = std::max(firstStep, double(first.elapsed()));
        while (w.Reading()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        QCoreApplication::processEvents();
        state.PauseTiming();
        tick.stop();
        worstGap = std::max(worstGap, double(maxGap));
        state.ResumeTiming();
    }
    state.counters["max_ui_pause_ms"] = worstGap;
    state.counters["first_step_ms"] = firstStep;
}
BENCHMARK(BM_ListWithSummaries)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_StopReading(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        TDirExplor w;
        w.SetFolder(Folder().dir.path());
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 100) QCoreApplication::processEvents();
        state.ResumeTiming();
        w.StopRead();
    }
}
BENCHMARK(BM_StopReading)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_ShowAgainUnchanged(benchmark::State& state)
{
    TDirExplor w;
    w.SetFolder(Folder().dir.path());
    while (w.Reading()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    Opt->FichTrajectoire = Folder().dir.filePath(QStringLiteral("f0000.igc"));
    for (auto _ : state) w.FormActivate();
}
BENCHMARK(BM_ShowAgainUnchanged)->Unit(benchmark::kMillisecond);

// The grid rebuilt from the cache (refresh on an unchanged folder): the longest step the
// interface makes in one go while listing.
void BM_RefreshFromCache(benchmark::State& state)
{
    TDirExplor w;
    w.SetFolder(Folder().dir.path());
    while (w.Reading()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    for (auto _ : state) w.RefreshBtnClick();
}
BENCHMARK(BM_RefreshFromCache)->Unit(benchmark::kMillisecond);

void BM_Sort(benchmark::State& state)
{
    TDirExplor w;
    w.SetFolder(Folder().dir.path());
    while (w.Reading()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    // Varied texts, so that the sort has work to do.
    for (int r = 0; r < w.ExpGrid->rowCount(); ++r) {
        const int k = (r * 7919) % 1000;
        w.ExpGrid->item(r, 2)->setText(QStringLiteral("%1/%2/%3")
                                           .arg(k % 28 + 1, 2, 10, QChar(u'0'))
                                           .arg(k % 12 + 1, 2, 10, QChar(u'0'))
                                           .arg(k % 30, 2, 10, QChar(u'0')));
        w.ExpGrid->item(r, 6)->setText(QStringLiteral("%1h%2").arg(k % 9).arg(k % 60, 2, 10, QChar(u'0')));
        w.ExpGrid->item(r, 7)->setText(QString::number(k * 1.7, 'f', 1));
    }
    const int col = int(state.range(0));
    bool desc = false;
    for (auto _ : state) {
        w.SortExpGrid(col, desc);
        desc = !desc;
    }
}
BENCHMARK(BM_Sort)->Arg(2)->Arg(6)->Arg(7)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ModelInit();
    Msg::SetHeadless(true);
    return RunBenchmarks(argc, argv);
}
