// Loading a long IGC flight into the model, and the same trace saved and reloaded as ZPH.
// Targets: 65,535 fixes from IGC under 60 ms; ZPH save and reload under 40 ms; the peak of
// memory while loading the IGC under 100 bytes per fix (a fix record is 48 bytes).
#include "files/IgcFile.h"
#include "files/RecFile.h"
#include "files/ZphFile.h"
#include "model/Define.h"

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstring>
#include <malloc.h>

namespace {

// An IGC text of n fixes at one second, with the usual header, I record and extensions.
QByteArray MakeIgc(int n)
{
    QByteArray t = "ALXVABCFLIGHT:1\r\nHFDTE150717\r\nHFPLTPILOT:Bench Pilot\r\nHFGTYGLIDERTYPE:LS 4\r\n"
                   "HFGIDGLIDERID:D-1234\r\nHFCIDCOMPETITIONID:B1\r\nHFFTYFRTYPE:Bench,1\r\n"
                   "I033638FXA3941ENL4246TAS\r\n"
                   "C150717080000150717000102\r\nC0000000N00000000ETAKEOFF\r\n"
                   "C5100000N00700000ESTART\r\nC5130000N00730000ETP1\r\nC5100000N00800000ETP2\r\n"
                   "C5100000N00700000EFINISH\r\nC0000000N00000000ELANDING\r\n";
    t.reserve(t.size() + qsizetype(n) * 56);
    char b[128];
    for (int i = 0; i < n; ++i) {
        const int s = (8 * 3600 + i) % 86400;
        const int lat = 5100000 + (i * 7) % 30000, lon = 700000 + (i * 11) % 60000;
        std::snprintf(b, sizeof b, "B%02d%02d%02d%02d%05dN%03d%05dEA%05d%05d%03d%03d%03d\r\n", s / 3600,
                      s / 60 % 60, s % 60, lat / 100000, lat % 100000 * 60 / 100, lon / 100000,
                      lon % 100000 * 60 / 100, 500 + i % 2000, 520 + i % 2000, 15, i % 1000, 100);
        t.append(b);
    }
    return t;
}

struct TFixture
{
    QTemporaryDir dir;
    QString igc;
    TFixture()
    {
        ModelInit();
        igc = dir.filePath(QStringLiteral("long.igc"));
        QFile f(igc);
        f.open(QIODevice::WriteOnly);
        f.write(MakeIgc(65535));
    }
};

TFixture& Fix()
{
    static TFixture f;
    return f;
}

void BM_IgcLoad65535(benchmark::State& state)
{
    TFixture& F = Fix();
    for (auto _ : state) {
        TReadReport R;
        if (!LoadIgcTrj(F.igc, true, R) || R.Fixes != 65535) state.SkipWithError("load failed");
        state.PauseTiming();
        CloseAllTrj();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_IgcLoad65535)->Unit(benchmark::kMillisecond);

// "VmRSS" or "VmHWM" of /proc/self/status, in bytes.
qint64 StatusBytes(const char* Key)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(Key))
            return line.mid(int(std::strlen(Key)) + 1).trimmed().split(' ').value(0).toLongLong() * 1024;
    return -1;
}

// Peak resident memory while loading, above what the process held before, per fix. The peak
// mark is reset first (writing 5 to /proc/self/clear_refs).
void BM_IgcLoadPeakMemoryPerFix(benchmark::State& state)
{
    TFixture& F = Fix();
    double perFix = 0;
    for (auto _ : state) {
        state.PauseTiming();
        CloseAllTrj();
        malloc_trim(0);
        QFile clear(QStringLiteral("/proc/self/clear_refs"));
        if (!clear.open(QIODevice::WriteOnly) || clear.write("5") != 1) {
            state.SkipWithError("cannot reset the peak mark");
            return;
        }
        clear.close();
        const qint64 before = StatusBytes("VmRSS:");
        state.ResumeTiming();
        TReadReport R;
        if (!LoadIgcTrj(F.igc, true, R) || R.Fixes != 65535) state.SkipWithError("load failed");
        state.PauseTiming();
        perFix = double(StatusBytes("VmHWM:") - before) / 65535.0;
        CloseAllTrj();
        state.ResumeTiming();
    }
    state.counters["PeakBytesPerFix"] = perFix;
}
BENCHMARK(BM_IgcLoadPeakMemoryPerFix)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_ZphSaveAndReload65535(benchmark::State& state)
{
    TFixture& F = Fix();
    TReadReport R0;
    LoadIgcTrj(F.igc, true, R0);
    TTrj* T = Trj;
    const QString zph = F.dir.filePath(QStringLiteral("long.zph"));
    for (auto _ : state) {
        QString err;
        if (!WriteTrjFile(*T, zph, true, false, err)) state.SkipWithError("save failed");
        TReadReport R;
        if (!LoadZphTrj(zph, true, R) || R.Fixes != 65535) state.SkipWithError("reload failed");
        state.PauseTiming();
        CloseTrj(Trj);
        SetCurrentTrj(T);
        state.ResumeTiming();
    }
    CloseAllTrj();
}
BENCHMARK(BM_ZphSaveAndReload65535)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
