// Device-link speeds: the duplicate-name check before an upload, and a round trip through a
// pseudo-terminal as a device window's tick sees it.
#include "BenchSupport.h"
#include "devices/CPort.h"
#include "devices/GpsNames.h"
#include "model/Define.h"
#include "platform/Msg.h"
#include "support/PtyFixture.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

static void BM_CheckGpsNames(benchmark::State& state)
{
    ModelInit();
    NewSwp();
    const int n = static_cast<int>(state.range(0));
    for (int i = 0; i < n; ++i) {
        auto w = std::make_unique<TWpt>();
        w->Name = QStringLiteral("%1 Field").arg(i, 6, 36, QLatin1Char('0')).toUpper();
        Swp->AddWpt(w);
    }
    Msg::SetHeadless(true);
    for (auto _ : state) {
        uint16_t count = 0;
        bool ok = CheckGpsNames(6, false, count);
        benchmark::DoNotOptimize(ok);
        if (count != n) state.SkipWithError("wrong count");
    }
    state.SetItemsProcessed(state.iterations() * n);
    FreeSwpObject();
}
BENCHMARK(BM_CheckGpsNames)->Arg(65535)->Unit(benchmark::kMillisecond);

// Our port on the slave side of a pseudo-terminal; the bench answers on the master side.
static void BM_PtyRoundTrip200(benchmark::State& state)
{
    PtyFixture pty; // its own slave descriptor keeps the line up
    if (!pty.Ok()) {
        state.SkipWithError("no pseudo-terminal");
        return;
    }
    TComPort port;
    port.SetDevicePath(pty.SlavePath());
    port.Open();
    std::unique_ptr<TComAsync> async;
    TComPort::InitAsync(async);
    QByteArray block(200, '\0');
    for (int i = 0; i < 200; ++i) block[i] = static_cast<char>(i);
    QByteArray got;
    for (auto _ : state) {
        port.WriteStrAsync(block, async.get());
        // The device echoes the block, then the poll before the tick.
        pty.WriteMaster(pty.ReadMasterExactly(200, 1000));
        pty.WaitSlaveQueued(200);
        if (port.ReadStrAsync(got, 200, async.get()) != 200) state.SkipWithError("short read");
    }
    port.Close();
}
BENCHMARK(BM_PtyRoundTrip200)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    QTemporaryDir home;
    qputenv("ZEPHALON_HOME", home.path().toUtf8());
    QCoreApplication app(argc, argv);
    return RunBenchmarks(argc, argv);
}
