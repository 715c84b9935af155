// MLR transfers: a binary track log at 38400 bit/s with two stop bits (11 bits a byte, 3,491
// bytes a second) on a virtual clock and over a pseudo-terminal, the decoding of a full track
// log into the model, and the zone point list of a large airspace file.
#include "devices/MlrLink.h"
#include "BenchSupport.h"
#include "devices/MlrSession.h"
#include "devices/MlrZones.h"
#include "files/OpenAir.h"
#include "model/Define.h"
#include "model/Options.h"
#include "platform/Msg.h"
#include "support/FakeLink.h"
#include "support/PtyFixture.h"

#include <QCoreApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <atomic>
#include <benchmark/benchmark.h>
#include <thread>

namespace {

constexpr double kBytesPerSecond = 38400.0 / 11.0;
constexpr double kSwitchWait = 0.4; // the host's wait between the request and the speed switch

QByteArray Be(uint32_t v, int n)
{
    QByteArray b;
    for (int i = n - 1; i >= 0; --i) b += char((v >> (8 * i)) & 0xFF);
    return b;
}

// The receiver's whole answer to a binary track request: start, blocks of 255 records, end.
QByteArray TrackStream(int n)
{
    const uint32_t t0 = static_cast<uint32_t>(QDate(1980, 1, 6).daysTo(QDate(2026, 7, 15)) * 86400 + 36000);
    QByteArray s = MlrStartBlock('T', 0);
    int block = 1;
    for (int i = 0; i < n; i += 255, ++block) {
        QList<QByteArray> recs;
        for (int k = i; k < n && k < i + 255; ++k)
            recs << Be(k & 0xFFFF, 2) + Be(t0 + k, 4) + Be(0x20000000 + k * 1000, 4) + Be(0x01000000, 4) +
                        Be(5000, 3) + char(0);
        s += MlrDataBlock('T', block, recs);
    }
    return s + MlrEndBlock('T', block);
}

// The receiver's stream in virtual time: it starts kSwitchWait after the request and moves at
// line speed; with Now < 0 every byte is there at once.
class StreamLink : public VirtualLinkBase
{
public:
    explicit StreamLink(QByteArray Stream) : fStream(std::move(Stream)) {}
    double Now = -1;
    double Start = 0;
    QByteArray Read(int Count) override
    {
        qsizetype avail = fStream.size();
        if (Now >= 0)
            avail = std::min<qsizetype>(avail, static_cast<qsizetype>((Now - Start) * kBytesPerSecond));
        const qsizetype n = std::min<qsizetype>(Count, avail - fPos);
        if (n <= 0) return {};
        QByteArray out = fStream.mid(fPos, n);
        fPos += n;
        return out;
    }
    void Write(const QByteArray& Bytes) override
    {
        if (Bytes.startsWith("$PMLR,24")) Start = Now + kSwitchWait;
    }

private:
    QByteArray fStream;
    qsizetype fPos = 0;
};

void NewModel()
{
    ModelDone();
    ModelInit();
}

} // namespace

// 10,000 records on the virtual clock; "ratio" is the time from the request to the end over the
// line time of the stream plus the switch wait.
static void BM_BinaryTrackVirtualTime(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    const QByteArray stream = TrackStream(n);
    double seconds = 0;
    for (auto _ : state) {
        NewModel();
        StreamLink line(stream);
        line.Now = 0;
        FakeDeviceUi ui;
        TMlrSession s(line, ui.Ui());
        s.Options.TrjMde = 2;
        s.Options.TrjTimeBox = false;
        s.StartCom(20, "COM1");
        while (ui.Enabled && line.Now < 3600) {
            s.Tick();
            line.Now += ui.IntervalMs / 1000.0;
        }
        seconds = line.Now;
        if (!Trj || Trj->RecCount != n) state.SkipWithError("points lost");
    }
    state.counters["virtual_s"] = seconds;
    state.counters["ratio"] = seconds / (stream.size() / kBytesPerSecond + kSwitchWait);
}
BENCHMARK(BM_BinaryTrackVirtualTime)->Arg(10000)->Iterations(1)->Unit(benchmark::kMillisecond);

// 65,535 records taken into the model, 200 bytes a tick, all there at once.
static void BM_BinaryTrackDecode(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    const QByteArray stream = TrackStream(n);
    for (auto _ : state) {
        state.PauseTiming();
        NewModel();
        StreamLink line(stream);
        FakeDeviceUi ui;
        TMlrSession s(line, ui.Ui());
        s.Options.TrjMde = 2;
        s.Options.TrjTimeBox = false;
        s.StartCom(20, "COM1");
        s.Tick();
        s.Tick();
        state.ResumeTiming();
        while (ui.Enabled) s.Tick();
        state.PauseTiming();
        if (!Trj || Trj->RecCount != n) state.SkipWithError("points lost");
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_BinaryTrackDecode)->Arg(65535)->Unit(benchmark::kMillisecond);

static void BM_ZonePoints(benchmark::State& state)
{
    NewModel();
    Opt->EarthModel = 1;
    TReadReport r;
    auto smp =
        ReadOpenAirFile(QStringLiteral(ZPH_TESTDATA "/openair/2026_03_Airspace_Germany_OA1.txt"), 10, r);
    if (!smp) {
        state.SkipWithError("no file");
        return;
    }
    uint32_t points = 0;
    for (auto _ : state) points = MlrZonePoints(*smp, 25, nullptr).Count();
    state.counters["points"] = points;
}
BENCHMARK(BM_ZonePoints)->Unit(benchmark::kMillisecond);

// 1,000 records over a pseudo-terminal, the receiver writing at line speed in a thread of its
// own, the session ticked at its own interval of real time.
static void BM_BinaryTrackPty(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    const QByteArray stream = TrackStream(n);
    PtyFixture pty;
    if (!pty.Ok()) {
        state.SkipWithError("no pseudo-terminal");
        return;
    }
    double seconds = 0;
    for (auto _ : state) {
        NewModel();
        std::atomic<bool> stop{false};
        std::thread device([&] {
            QByteArray heard;
            while (!stop) {
                heard += pty.ReadMaster(5);
                if (!heard.contains("$PMLR,24")) continue;
                heard.clear();
                std::this_thread::sleep_for(std::chrono::milliseconds(400));
                QElapsedTimer c;
                c.start();
                qsizetype sent = 0;
                while (!stop && sent < stream.size()) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(5));
                    const qsizetype due = std::min<qsizetype>(
                        stream.size(), static_cast<qsizetype>(c.nsecsElapsed() * 1e-9 * kBytesPerSecond));
                    if (due > sent && pty.WriteMaster(stream.mid(sent, due - sent))) sent = due;
                }
            }
        });
        TComPortLink link;
        link.ComPort().SetDevicePath(pty.SlavePath());
        FakeDeviceUi ui;
        TMlrSession s(link, ui.Ui());
        s.Options.TrjMde = 2;
        s.Options.TrjTimeBox = false;
        s.StartCom(20, "COM1");
        QElapsedTimer clock;
        clock.start();
        qint64 next = 0;
        while (ui.Enabled && clock.elapsed() < 600000) {
            next += ui.IntervalMs;
            const qint64 wait = next - clock.elapsed();
            if (wait > 0) std::this_thread::sleep_for(std::chrono::milliseconds(wait));
            s.Tick();
        }
        seconds = clock.elapsed() / 1000.0;
        stop = true;
        device.join();
        s.StopCom();
        if (!Trj || Trj->RecCount != n) state.SkipWithError("points lost");
    }
    state.counters["real_s"] = seconds;
    state.counters["ratio"] = seconds / (stream.size() / kBytesPerSecond + kSwitchWait);
}
BENCHMARK(BM_BinaryTrackPty)->Arg(1000)->Iterations(1)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    QTemporaryDir home;
    qputenv("ZEPHALON_HOME", home.path().toUtf8());
    QCoreApplication app(argc, argv);
    Msg::SetHeadless(true);
    return RunBenchmarks(argc, argv);
}
