// The preview of the open dialogs at a change of selection, on the largest IGC file of the test
// data and on each of the others (with and without a declared task: without one the path length
// is worked out from every fix). Target: under 20 ms per change of selection.
#include "dialogs/FilePreview.h"
#include "BenchSupport.h"
#include "dialogs/FichDlg.h"
#include "model/Define.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>

namespace {

QString LargestIgc()
{
    const QFileInfoList files = QDir(QStringLiteral(ZPH_TESTDATA "/igc"))
                                    .entryInfoList({QStringLiteral("*.igc")}, QDir::Files, QDir::Size);
    return files.isEmpty() ? QString() : files.first().absoluteFilePath();
}

// The memo's lines for the file (the summary read from the file).
void BM_PreviewLargestIgc(benchmark::State& state)
{
    ModelInit();
    const QString f = LargestIgc();
    if (f.isEmpty()) {
        state.SkipWithError("no IGC test data");
        return;
    }
    for (auto _ : state) {
        const TPreview p = FilePreview(fkOpenTrj, 1, f);
        if (p.Lines.isEmpty()) state.SkipWithError("no preview");
        benchmark::DoNotOptimize(p);
    }
    state.counters["bytes"] = double(QFileInfo(f).size());
}
BENCHMARK(BM_PreviewLargestIgc)->Unit(benchmark::kMillisecond);

// The whole change of selection in the dialog: the summary and the memo filled; alternating
// between two files as the user moving the cursor does.
void BM_DialogSelectionChange(benchmark::State& state)
{
    ModelInit();
    const QString f = LargestIgc();
    const QString other = QStringLiteral(ZPH_TESTDATA "/igc/27GLQKF3.igc");
    TOpenCustomDialog d;
    d.DlgKind = fkOpenTrj;
    bool flip = false;
    for (auto _ : state) {
        emit d.currentChanged(flip ? other : f);
        flip = !flip;
        if (d.Memo->toPlainText().isEmpty()) state.SkipWithError("empty memo");
    }
}
BENCHMARK(BM_DialogSelectionChange)->Unit(benchmark::kMillisecond);

// A 1.1 MB IGC without a declared task (every fix is read for the path length): 22,500 fixes at
// one second with extensions, as many as the largest flight of the test data.
void BM_PreviewLargeIgcNoTask(benchmark::State& state)
{
    ModelInit();
    static QTemporaryDir dir;
    const QString f = dir.filePath(QStringLiteral("large.igc"));
    if (!QFileInfo::exists(f)) {
        QByteArray t = "ALXVABCFLIGHT:1\r\nHFDTE150717\r\nHFPLTPILOT:Bench Pilot\r\nHFGTYGLIDERTYPE:LS 8\r\n"
                       "HFGIDGLIDERID:D-1234\r\nHFCIDCOMPETITIONID:B1\r\nI033638FXA3941ENL4246TAS\r\n";
        char b[96];
        for (int i = 0; i < 22500; ++i) {
            const int s = 8 * 3600 + i;
            const int lat = 5100000 + i * 3, lon = 700000 + i * 5;
            std::snprintf(b, sizeof b, "B%02d%02d%02d%02d%05dN%03d%05dEA%05d%05d%03d%03d%05d\r\n", s / 3600,
                          s / 60 % 60, s % 60, lat / 100000, lat % 100000 * 60 / 100, lon / 100000,
                          lon % 100000 * 60 / 100, 500 + i % 2000, 520 + i % 2000, 15, i % 1000,
                          10000 + i % 5000);
            t.append(b);
        }
        QFile out(f);
        out.open(QIODevice::WriteOnly);
        out.write(t);
    }
    for (auto _ : state) {
        const TPreview p = FilePreview(fkOpenTrj, 1, f);
        if (p.Lines.isEmpty() || !p.Lines.first().contains(QStringLiteral("Distance")))
            state.SkipWithError("no distance in the preview");
        benchmark::DoNotOptimize(p);
    }
    state.counters["bytes"] = double(QFileInfo(f).size());
}
BENCHMARK(BM_PreviewLargeIgcNoTask)->Unit(benchmark::kMillisecond);

// Each IGC file of the test data on its own.
void PreviewOne(benchmark::State& state, const QString& f)
{
    ModelInit();
    for (auto _ : state) {
        const TPreview p = FilePreview(fkOpenTrj, 1, f);
        benchmark::DoNotOptimize(p);
    }
    state.counters["bytes"] = double(QFileInfo(f).size());
}

void RegisterEachIgc()
{
    const QFileInfoList files = QDir(QStringLiteral(ZPH_TESTDATA "/igc"))
                                    .entryInfoList({QStringLiteral("*.igc")}, QDir::Files, QDir::Size);
    for (const QFileInfo& fi : files) {
        const QString f = fi.absoluteFilePath();
        benchmark::RegisterBenchmark(("BM_Preview/" + fi.fileName()).toStdString().c_str(),
                                     [f](benchmark::State& s) { PreviewOne(s, f); })
            ->Unit(benchmark::kMillisecond);
    }
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    RegisterEachIgc();
    return RunBenchmarks(argc, argv);
}
