// Closing the MLR and Magellan windows right after their last command: the time from the close
// until the whole command can be read on the device's side of the pseudo-terminal (a reader
// thread waits there), and the time the close itself takes. Each iteration first runs the
// window against its simulated receiver up to the moment of the closing.
#include "BenchSupport.h"
#include "devices/Magellan.h"
#include "devices/MagellanSession.h"
#include "devices/Mlr.h"
#include "devices/MlrLink.h"
#include "platform/IniFile.h"
#include "platform/Msg.h"
#include "platform/ProgramDir.h"
#include "sim/SimMagellan.h"
#include "sim/SimMlr.h"
#include "support/DeviceDrive.h"
#include "support/PtyFixture.h"

#include <QApplication>
#include <QDateTime>
#include <QPushButton>
#include <QTemporaryDir>
#include <algorithm>
#include <atomic>
#include <benchmark/benchmark.h>
#include <chrono>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kPort = 6;

double Ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

// Waits on the device's side for bytes that end with Command; the moment they are all there.
class WireWatch
{
public:
    WireWatch(PtyFixture& pty, QByteArray command) : fPty(pty), fCommand(std::move(command))
    {
        fThread = std::thread([this] {
            QByteArray got;
            const auto end = Clock::now() + std::chrono::seconds(5);
            while (Clock::now() < end) {
                got += fPty.ReadMaster(2);
                if (got.endsWith(fCommand)) {
                    fAt = Clock::now();
                    fSeen = true;
                    return;
                }
            }
        });
    }
    ~WireWatch() { Join(); }
    void Join()
    {
        if (fThread.joinable()) fThread.join();
    }
    bool Seen() const { return fSeen; }
    Clock::time_point At() const { return fAt; }

private:
    PtyFixture& fPty;
    QByteArray fCommand;
    std::thread fThread;
    std::atomic<bool> fSeen{false};
    Clock::time_point fAt;
};

struct Figures
{
    std::vector<double> wire, close;
    void Report(benchmark::State& state)
    {
        std::sort(wire.begin(), wire.end());
        std::sort(close.begin(), close.end());
        if (wire.empty()) return;
        state.counters["wire_median_ms"] = wire[wire.size() / 2];
        state.counters["wire_max_ms"] = wire.back();
        state.counters["close_median_ms"] = close[close.size() / 2];
        state.counters["close_max_ms"] = close.back();
    }
};

template <class Form>
void CloseAndTime(benchmark::State& state, Form& f, PtyFixture& pty, const QByteArray& command, Figures& fig)
{
    WireWatch watch(pty, command);
    const auto t0 = Clock::now();
    f.CloseBtn->click();
    const auto t1 = Clock::now();
    watch.Join();
    if (!watch.Seen()) {
        state.SkipWithError("the last command did not arrive");
        return;
    }
    fig.wire.push_back(Ms(watch.At() - t0));
    fig.close.push_back(Ms(t1 - t0));
    state.SetIterationTime(std::chrono::duration<double>(watch.At() - t0).count());
}

// Runs Form against Sim (set up by Prepare) up to Ready, then times the close until Command
// is on the wire.
template <class Sim, class Form>
void CloseToCommand(benchmark::State& state, const std::function<void(Sim&)>& Prepare,
                    const std::function<bool(Form&)>& Ready, const QByteArray& command, const char* failure)
{
    Figures fig;
    for (auto _ : state) {
        ModelDone();
        ModelInit();
        PtyFixture pty;
        pty.BindPort(kPort);
        Sim dev(pty);
        Prepare(dev);
        Form f;
        f.show();
        f.DownTrkBtn->click();
        if (!DriveUntil(f.Session(), dev, pty, [&] { return Ready(f); })) {
            state.SkipWithError(failure);
            break;
        }
        CloseAndTime(state, f, pty, command, fig);
    }
    fig.Report(state);
}

void BM_MlrCloseToEndOnTheWire(benchmark::State& state)
{
    CloseToCommand<TSimMlr, TMlrForm>(
        state, [](TSimMlr& dev) { dev.LoadLongFlight(400); },
        [](TMlrForm& f) { return f.Session().Fast() && Trj && Trj->RecCount > 20; }, MlrCmd::End,
        "the download did not start");
}
BENCHMARK(BM_MlrCloseToEndOnTheWire)->Iterations(30)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_MagellanCloseToNmeaOnOnTheWire(benchmark::State& state)
{
    {
        TIniFile ini(IniFileName());
        ini.WriteBool("Interface", "Set_Nmea_On", true);
        ini.WriteBool("Interface", "Flow_Check_Mgn", false);
    }
    CloseToCommand<TSimMagellan, TMagellanForm>(
        state,
        [](TSimMagellan& dev) {
            dev.Lists["TRACK"] = {"PMGNTRK,4549.957,N,00651.877,E,01000,M,100000.00,A,,150824"};
        },
        [](TMagellanForm& f) { return f.Session().State() == 202; }, NmeaSentence("PMGNCMD,NMEAON,2"),
        "the track did not end");
}
BENCHMARK(BM_MagellanCloseToNmeaOnOnTheWire)->Iterations(30)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("ZEPHALON_HOME", home.path().toUtf8());
    QApplication app(argc, argv);
    Msg::SetHeadless(true);
    {
        TIniFile ini(IniFileName());
        ini.WriteInteger("Interface", "Num_Com", kPort);
    }
    return RunBenchmarks(argc, argv);
}
