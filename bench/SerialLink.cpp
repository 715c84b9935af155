// Device-link speeds: the duplicate-name check before an upload, and a round trip through a
// pseudo-terminal as a device window's tick sees it.
#include "devices/CPort.h"
#include "devices/GpsNames.h"
#include "model/Define.h"
#include "platform/Msg.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

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
    int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        state.SkipWithError("no pseudo-terminal");
        return;
    }
    termios t{};
    tcgetattr(master, &t);
    cfmakeraw(&t);
    tcsetattr(master, TCSANOW, &t);
    char name[128];
    ptsname_r(master, name, sizeof name);
    int keep = open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC); // keeps the line up
    TComPort port;
    port.SetDevicePath(QString::fromLocal8Bit(name));
    port.Open();
    std::unique_ptr<TComAsync> async;
    TComPort::InitAsync(async);
    QByteArray block(200, '\0');
    for (int i = 0; i < 200; ++i) block[i] = static_cast<char>(i);
    QByteArray echo(200, '\0'), got;
    for (auto _ : state) {
        port.WriteStrAsync(block, async.get());
        // The device echoes the block.
        int have = 0;
        while (have < 200) {
            pollfd p{master, POLLIN, 0};
            poll(&p, 1, 1000);
            ssize_t r = read(master, echo.data() + have, 200 - have);
            if (r > 0) have += static_cast<int>(r);
        }
        (void)!write(master, echo.constData(), 200);
        // The poll before the tick, then one tick's read.
        int queued = 0;
        while (queued < 200) {
            pollfd p{keep, POLLIN, 0};
            poll(&p, 1, 1);
            ioctl(keep, FIONREAD, &queued);
        }
        if (port.ReadStrAsync(got, 200, async.get()) != 200) state.SkipWithError("short read");
    }
    port.Close();
    close(keep);
    close(master);
}
BENCHMARK(BM_PtyRoundTrip200)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    QTemporaryDir home;
    qputenv("ZEPHALON_HOME", home.path().toUtf8());
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
