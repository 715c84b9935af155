// Summaries of 1,000 IGC files of about 1 MB each, as the explorer reads a folder.
// Target: under 1.5 s warm for the thousand (the worst case: no declared task, so the path
// length is worked out from every fix). With a declared task only the head and the tail of
// each file are read; the "WholeFiles" runs read every file whole for comparison.
// The "Cold" runs empty the page cache before each pass; they need root and
// ZPH_BENCH_DROP_CACHES=1 in the environment (run by hand), else they are skipped.
#include "files/TrjFileInfo.h"
#include "files/FileCommon.h"
#include "files/IgcFile.h"
#include "model/Define.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <unistd.h>

namespace {

// About 1 MB of IGC: header, optional task, ~18,500 B records with extensions.
QByteArray MakeIgc(int seed, bool task)
{
    QByteArray t = "ALXVABCFLIGHT:1\r\nHFDTE150717\r\nHFPLTPILOT:Bench Pilot\r\nHFGTYGLIDERTYPE:LS 4\r\n"
                   "HFGIDGLIDERID:D-1234\r\nHFCIDCOMPETITIONID:B1\r\nHFFTYFRTYPE:Bench,1\r\n"
                   "I073638FXA3941ENL4246TAS4751GSP5256VAT5760OAT6164ACZ\r\n";
    if (task)
        t += "C150717080000150717000102\r\nC0000000N00000000ETAKEOFF\r\nC5100000N00700000ESTART\r\n"
             "C5130000N00730000ETP1\r\nC5100000N00800000ETP2\r\nC5100000N00700000EFINISH\r\n"
             "C0000000N00000000ELANDING\r\n";
    const int n = 15500;
    t.reserve(qsizetype(n) * 70 + 4096);
    char b[160];
    for (int i = 0; i < n; ++i) {
        const int s = (8 * 3600 + i) % 86400;
        const int lat = 5100000 + (i * 7 + seed) % 30000, lon = 700000 + (i * 11 + seed) % 60000;
        std::snprintf(b, sizeof b, "B%02d%02d%02d%02d%05dN%03d%05dEA%05d%05d%03d%03d%05d%04d%03d%04d%04d\r\n",
                      s / 3600, s / 60 % 60, s % 60, lat / 100000, lat % 100000 * 60 / 100, lon / 100000,
                      lon % 100000 * 60 / 100, 500 + i % 2000, 520 + i % 2000, 15, i % 1000, 10000 + i % 5000,
                      1200, 120, 215, 1000);
        t.append(b);
        if (i % 60 == 0) {
            std::snprintf(b, sizeof b, "K%02d%02d%02d000120\r\nLXVFLAGS:%06d\r\n", s / 3600, s / 60 % 60,
                          s % 60, i);
            t.append(b);
        }
    }
    t += "GABCDEF0123456789\r\n";
    return t;
}

struct TFolder
{
    QTemporaryDir dir;
    QStringList files;
    qint64 bytes = 0;
    explicit TFolder(bool task)
    {
        ModelInit();
        for (int i = 0; i < 1000; ++i) {
            const QString f = dir.filePath(QStringLiteral("f%1.igc").arg(i, 4, 10, QLatin1Char('0')));
            QFile out(f);
            out.open(QIODevice::WriteOnly);
            const QByteArray b = MakeIgc(i, task);
            bytes += b.size();
            out.write(b);
            files << f;
        }
    }
};

bool DropCaches()
{
    if (qgetenv("ZPH_BENCH_DROP_CACHES") != "1") return false;
    ::sync();
    QFile f(QStringLiteral("/proc/sys/vm/drop_caches"));
    return f.open(QIODevice::WriteOnly) && f.write("3\n") == 2;
}

// The summary as the program reads it, or from the whole file read first.
bool Summary(const QString& File, bool Whole, TTrjFileInfo& I)
{
    if (!Whole) return ReadTrjFileInfo(File, 0, I);
    QByteArray b;
    QString err;
    TIgcSummary S;
    return ReadWholeFile(File, b, err) && ReadIgcSummaryData(b.constData(), b.size(), S);
}

void Run(benchmark::State& state, TFolder& F, bool Whole, bool Cold)
{
    TTrjFileInfo I;
    if (Cold && !DropCaches()) {
        state.SkipWithError("cold runs need root and ZPH_BENCH_DROP_CACHES=1");
        return;
    }
    if (!Cold)
        for (const QString& f : F.files) // warm the page cache
            Summary(f, Whole, I);
    for (auto _ : state) {
        if (Cold) {
            state.PauseTiming();
            DropCaches();
            state.ResumeTiming();
        }
        int ok = 0;
        for (const QString& f : F.files) ok += Summary(f, Whole, I);
        if (ok != F.files.size()) state.SkipWithError("not recognised");
        benchmark::DoNotOptimize(I);
    }
    state.counters["MB"] = double(F.bytes) / 1e6;
}

TFolder& NoTask()
{
    static TFolder F(false);
    return F;
}

TFolder& WithTask()
{
    static TFolder F(true);
    return F;
}

void BM_TrjFileInfo1000IgcNoTask(benchmark::State& state)
{
    Run(state, NoTask(), false, false);
}
BENCHMARK(BM_TrjFileInfo1000IgcNoTask)->Unit(benchmark::kMillisecond);

void BM_TrjFileInfo1000IgcWithTask(benchmark::State& state)
{
    Run(state, WithTask(), false, false);
}
BENCHMARK(BM_TrjFileInfo1000IgcWithTask)->Unit(benchmark::kMillisecond);

void BM_TrjFileInfo1000IgcWithTaskWholeFiles(benchmark::State& state)
{
    Run(state, WithTask(), true, false);
}
BENCHMARK(BM_TrjFileInfo1000IgcWithTaskWholeFiles)->Unit(benchmark::kMillisecond);

void BM_TrjFileInfo1000IgcWithTaskCold(benchmark::State& state)
{
    Run(state, WithTask(), false, true);
}
BENCHMARK(BM_TrjFileInfo1000IgcWithTaskCold)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_TrjFileInfo1000IgcWithTaskWholeFilesCold(benchmark::State& state)
{
    Run(state, WithTask(), true, true);
}
BENCHMARK(BM_TrjFileInfo1000IgcWithTaskWholeFilesCold)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
