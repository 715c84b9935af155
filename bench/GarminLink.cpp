// Garmin link speeds: frame extraction, record codecs, and a track log of D301 points
// downloaded at 9600 bit/s, once on a virtual clock (bytes delivered at line speed, ticks of
// 40 ms) and once over a pseudo-terminal with a receiver paced at line speed.
#include "devices/GarminLink.h"
#include "BenchSupport.h"
#include "devices/GarminCodec.h"
#include "devices/GarminSession.h"
#include "model/Define.h"
#include "platform/Msg.h"
#include "support/FakeLink.h"
#include "support/PtyFixture.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <deque>
#include <thread>

namespace {

constexpr double kBytesPerSecond = 960.0; // 9600 bit/s, 10 bits a byte

QByteArray Point(int k)
{
    TGarminTrkPt p;
    p.Lat = 4500000 + k;
    p.Lon = 600000 + 2 * k;
    p.Time = 1089000000u + static_cast<uint32_t>(k);
    p.Alt = 1000 + k % 500;
    return GarminEncodeTrkPt(301, p);
}

// A receiver that answers at once: every packet of the host acknowledged, the product data,
// protocol array and the track log sent one packet at a time, each after the host's ACK.
class Receiver
{
public:
    explicit Receiver(int Points) : fPoints(Points) {}
    // Bytes from the host; returns the bytes the receiver sends in answer.
    QByteArray Hear(const QByteArray& Bytes)
    {
        QByteArray out;
        fRx.Append(Bytes);
        uint8_t id;
        QByteArray data;
        while (fRx.Extract(id, data) == TGarminRx::Good) {
            if (id == GarminPid::Ack) {
                if (!fStream.empty() && !data.isEmpty() && uint8_t(data[0]) == fStream.front().first) {
                    fStream.pop_front();
                    out += Next();
                }
                continue;
            }
            out += GarminFrame(GarminPid::Ack, QByteArray(1, char(id)) + QByteArray(1, '\0'));
            if (id == GarminPid::ProductRqst) {
                fStream = {{GarminPid::ProductData,
                            GarminInt16ToBytes(111) + GarminInt16ToBytes(300) + "eMap" + QByteArray(1, '\0')},
                           {GarminPid::ProtocolArray, GarminProtocolTags("A010 A100 D108 A301 D310 D301")}};
                out += Next();
            } else if (id == GarminPid::Command) {
                fStream = {{GarminPid::Records, GarminInt16ToBytes(static_cast<int16_t>(fPoints + 1))},
                           {GarminPid::TrkHdr, QByteArray("\x01\xFF"
                                                          "LOG",
                                                          5) +
                                                   QByteArray(1, '\0')}};
                fNextPoint = 0;
                out += Next();
            }
        }
        return out;
    }

private:
    QByteArray Next()
    {
        if (fStream.empty() && fNextPoint >= 0) {
            if (fNextPoint < fPoints)
                fStream.push_back({GarminPid::TrkData, Point(fNextPoint++)});
            else if (fNextPoint == fPoints) {
                fStream.push_back({GarminPid::XferCmplt, GarminInt16ToBytes(6)});
                fNextPoint = -1;
            }
        }
        if (fStream.empty()) return {};
        return GarminFrame(fStream.front().first, fStream.front().second);
    }

    int fPoints;
    int fNextPoint = -1;
    TGarminRx fRx;
    std::deque<std::pair<uint8_t, QByteArray>> fStream;
};

// A line in virtual time: each direction carries one byte every 1/960 s; the receiver hears a
// byte when it has arrived and answers at once.
class VirtualLine : public VirtualLinkBase
{
public:
    explicit VirtualLine(Receiver& R) : fDev(R) {}
    double Now = 0;
    QByteArray Read(int Count) override
    {
        Run();
        QByteArray out;
        while (!fToHost.empty() && fToHost.front().second <= Now && out.size() < Count) {
            out += fToHost.front().first;
            fToHost.pop_front();
        }
        return out;
    }
    void Write(const QByteArray& Bytes) override
    {
        double t = std::max(Now, fToDevFree);
        for (char c : Bytes) {
            t += 1.0 / kBytesPerSecond;
            fToDev.push_back({c, t});
        }
        fToDevFree = t;
    }

private:
    // The receiver hears every byte that has arrived by now, at the time it arrived.
    void Run()
    {
        while (!fToDev.empty() && fToDev.front().second <= Now) {
            const double at = fToDev.front().second;
            const QByteArray answer = fDev.Hear(QByteArray(1, fToDev.front().first));
            fToDev.pop_front();
            double t = std::max(at, fToHostFree);
            for (char c : answer) {
                t += 1.0 / kBytesPerSecond;
                fToHost.push_back({c, t});
            }
            if (!answer.isEmpty()) fToHostFree = t;
        }
    }
    Receiver& fDev;
    std::deque<std::pair<char, double>> fToDev, fToHost;
    double fToDevFree = 0, fToHostFree = 0;
};

// Bytes of one point exchange: the point's frame and the host's ACK.
double PointBound()
{
    return (GarminFrame(GarminPid::TrkData, Point(1)).size() +
            GarminFrame(GarminPid::Ack, QByteArray(2, '\x22')).size()) /
           kBytesPerSecond;
}

} // namespace

static void BM_ExtractFrames1MB(benchmark::State& state)
{
    QByteArray stream;
    for (int k = 0; stream.size() < 1 << 20; ++k) stream += GarminFrame(GarminPid::TrkData, Point(k));
    for (auto _ : state) {
        TGarminRx rx;
        int frames = 0;
        for (qsizetype i = 0; i < stream.size(); i += 200) {
            rx.Append(stream.mid(i, 200));
            uint8_t id;
            QByteArray data;
            while (rx.Extract(id, data) == TGarminRx::Good) ++frames;
        }
        benchmark::DoNotOptimize(frames);
    }
    state.SetBytesProcessed(state.iterations() * stream.size());
}
BENCHMARK(BM_ExtractFrames1MB)->Unit(benchmark::kMillisecond);

static void BM_WptDecode(benchmark::State& state)
{
    const int type = static_cast<int>(state.range(0));
    TWptBase w;
    w.Name = "LAUTARET";
    w.Comment = "Col";
    w.Lat = 4503000;
    w.Lon = 641000;
    const QByteArray d = GarminEncodeWpt(type, w);
    TWptBase out;
    for (auto _ : state) benchmark::DoNotOptimize(GarminDecodeWpt(type, d, out));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_WptDecode)->Arg(100)->Arg(103)->Arg(105)->Arg(108)->Arg(110)->Arg(150)->Arg(155);

static void BM_WptEncode(benchmark::State& state)
{
    const int type = static_cast<int>(state.range(0));
    TWptBase w;
    w.Name = "LAUTARET";
    w.Comment = "Col";
    for (auto _ : state) benchmark::DoNotOptimize(GarminEncodeWpt(type, w));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_WptEncode)->Arg(100)->Arg(103)->Arg(105)->Arg(108)->Arg(110)->Arg(150)->Arg(155);

static void BM_TrkPtCodec(benchmark::State& state)
{
    const int type = static_cast<int>(state.range(0));
    const QByteArray d = GarminEncodeTrkPt(type, TGarminTrkPt{});
    TGarminTrkPt p;
    for (auto _ : state) {
        benchmark::DoNotOptimize(GarminDecodeTrkPt(type, d, p));
        benchmark::DoNotOptimize(GarminEncodeTrkPt(type, p));
    }
    state.SetItemsProcessed(state.iterations() * 2);
}
BENCHMARK(BM_TrkPtCodec)->Arg(300)->Arg(301)->Arg(302);

// 10,000 points on the virtual clock: the counter "ratio" is the virtual time over the
// line-speed bound of both directions of the exchange.
static void BM_TrackLogVirtualTime(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    double seconds = 0;
    for (auto _ : state) {
        ModelDone();
        ModelInit();
        Receiver dev(n);
        VirtualLine line(dev);
        FakeDeviceUi ui;
        TGarminSession s(line, ui.Ui());
        s.Options.TrjTimeBox = false;
        s.DownTrk("COM1");
        double start = -1;
        while (ui.Enabled && line.Now < 3600) {
            line.Now += 0.040;
            s.Tick();
            if (start < 0 && s.StepNo() == 13) start = line.Now;
        }
        seconds = line.Now - start;
        if (!Trj || Trj->RecCount != n) state.SkipWithError("points lost");
    }
    state.counters["virtual_s"] = seconds;
    state.counters["ratio"] = seconds / (n * PointBound());
    state.counters["ms_per_point"] = 1000 * seconds / n;
}
BENCHMARK(BM_TrackLogVirtualTime)->Arg(10000)->Iterations(1)->Unit(benchmark::kMillisecond);

// 1,000 points over a pseudo-terminal, the receiver writing at line speed in a thread of its
// own, the session ticked every 40 ms of real time.
static void BM_TrackLogPty(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    PtyFixture pty;
    if (!pty.Ok()) {
        state.SkipWithError("no pseudo-terminal");
        return;
    }
    double seconds = 0;
    for (auto _ : state) {
        ModelDone();
        ModelInit();
        Receiver dev(n);
        std::atomic<bool> stop{false};
        std::thread device([&] {
            while (!stop) {
                const QByteArray heard = pty.ReadMaster(5);
                if (heard.isEmpty()) continue;
                const QByteArray answer = dev.Hear(heard);
                // Paced: one byte every 1/960 s.
                for (char c : answer) {
                    std::this_thread::sleep_for(std::chrono::microseconds(1041));
                    pty.WriteMaster(QByteArray(1, c));
                }
            }
        });
        TComPortLink link;
        link.ComPort().SetDevicePath(pty.SlavePath());
        FakeDeviceUi ui;
        TGarminSession s(link, ui.Ui());
        s.Options.TrjTimeBox = false;
        s.DownTrk("COM1");
        QElapsedTimer clock;
        clock.start();
        qint64 next = 0, start = -1;
        while (ui.Enabled && clock.elapsed() < 600000) {
            next += 40;
            const qint64 wait = next - clock.elapsed();
            if (wait > 0) std::this_thread::sleep_for(std::chrono::milliseconds(wait));
            s.Tick();
            if (start < 0 && s.StepNo() == 13) start = clock.elapsed();
        }
        seconds = (clock.elapsed() - start) / 1000.0;
        stop = true;
        device.join();
        s.StopCom();
        if (!Trj || Trj->RecCount != n) state.SkipWithError("points lost");
    }
    state.counters["real_s"] = seconds;
    state.counters["ratio"] = seconds / (n * PointBound());
    state.counters["ms_per_point"] = 1000 * seconds / n;
}
BENCHMARK(BM_TrackLogPty)->Arg(1000)->Iterations(1)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    QTemporaryDir home;
    qputenv("ZEPHALON_HOME", home.path().toUtf8());
    QCoreApplication app(argc, argv);
    Msg::SetHeadless(true);
    return RunBenchmarks(argc, argv);
}
