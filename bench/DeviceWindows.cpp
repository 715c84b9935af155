// The logger and live NMEA windows against their simulated devices on a pseudo-terminal, with
// their real timers: the logger's download pace, and the live receiver's backlog, recording and
// view repaint delay while the live trace grows.
//   ZPH_BENCH_NMEA_SECONDS shortens the live reading (60 s by default).
#include "BenchSupport.h"
#include "app/Cutt.h"
#include "app/Main.h"
#include "app/Plan.h"
#include "devices/Logger.h"
#include "devices/Nmea.h"
#include "files/RecFile.h"
#include "platform/IniFile.h"
#include "platform/Msg.h"
#include "platform/Numbers.h"
#include "platform/ProgramDir.h"
#include "sim/SimLogger.h"
#include "sim/SimNmea.h"
#include "support/PtyFixture.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEvent>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest/QTest>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <vector>

namespace {

double Ms(const QElapsedTimer& t)
{
    return double(t.nsecsElapsed()) / 1e6;
}

bool WaitFor(const std::function<bool()>& done, int ms)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms) QTest::qWait(1);
    return done();
}

void BindPort(PtyFixture& pty, int n)
{
    pty.BindPort(n);
    TIniFile ini(IniFileName());
    ini.WriteInteger("Interface", "Num_Com", n);
}

// ---- Logger download --------------------------------------------------------------------------

void BM_LoggerDownload(benchmark::State& state)
{
    const bool paced = state.range(0) != 0;
    Msg::SetHeadless(true);
    for (auto _ : state) {
        ModelDone();
        ModelInit();
        PtyFixture pty;
        BindPort(pty, 5);
        TSimLogger dev(pty);
        const int fixes = 240;
        QByteArray dump = "Date 150804\r\n";
        for (int i = 0; i < fixes; ++i) {
            const int s = 36000 + i * 4;
            dump += QStringLiteral("%1%2%3 +45.%4 +005.50000 +1200 +1210\r\n")
                        .arg(s / 3600, 2, 10, QLatin1Char('0'))
                        .arg(s / 60 % 60, 2, 10, QLatin1Char('0'))
                        .arg(s % 60, 2, 10, QLatin1Char('0'))
                        .arg(10000 + i, 5, 10, QLatin1Char('0'))
                        .toLatin1();
        }
        dev.Dump = dump;
        if (paced) dev.SetLineSpeed(4800);
        TSimRunner run(dev);
        TLoggForm form;
        form.show();
        QElapsedTimer clock;
        clock.start();
        form.LectBtnClick();
        // The first dump byte leaves right after the two "OKAY" answers.
        const qsizetype before = 12;
        WaitFor(
            [&] {
                std::lock_guard<std::mutex> g(dev.Lock());
                return dev.ToHost().size() > before;
            },
            20000);
        const double t0 = Ms(clock);
        WaitFor([&] { return Trj && Trj->RecCount == fixes; }, 120000);
        const double t1 = Ms(clock);
        WaitFor([&] { return !form.TimerCom->isActive(); }, 20000);
        const double t2 = Ms(clock);
        run.Stop();
        if (!Trj || Trj->RecCount != fixes) state.SkipWithError("fixes missing");
        const double lineMs = dump.size() * 10.0 / 4800 * 1000;
        state.counters["dump_bytes"] = double(dump.size());
        state.counters["first_byte_to_last_fix_ms"] = t1 - t0;
        state.counters["end_silence_ms"] = t2 - t1;
        if (paced)
            state.counters["ratio_to_line_time"] = (t1 - t0) / lineMs;
        else
            state.counters["drain_bytes_per_s"] = dump.size() / ((t1 - t0) / 1000);
        form.close();
    }
}
BENCHMARK(BM_LoggerDownload)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

// ---- Live NMEA --------------------------------------------------------------------------------

// Takes the time at which both views have painted after a fix was added.
class PaintWatch : public QObject
{
public:
    QElapsedTimer* Clock = nullptr;
    double Added = -1;
    bool PlanDone = false, CuttDone = false;
    std::vector<double> Delays;

    bool eventFilter(QObject* O, QEvent* E) override
    {
        if (E->type() != QEvent::Paint || Added < 0) return false;
        // Paint now, inside the paint event, so that the time taken includes the drawing.
        static_cast<QWidget*>(O)->removeEventFilter(this);
        QCoreApplication::sendEvent(O, E);
        O->installEventFilter(this);
        if (O == PlanForm) PlanDone = true;
        if (O == CuttForm) CuttDone = true;
        if (PlanDone && CuttDone) {
            Delays.push_back(Ms(*Clock) - Added);
            Added = -1;
        }
        return true;
    }
};

QByteArray Hms(double secOfDay)
{
    const int s = int(secOfDay);
    const int cs = int((secOfDay - s) * 100 + 0.5);
    return QStringLiteral("%1%2%3.%4")
        .arg(s / 3600 % 24, 2, 10, QLatin1Char('0'))
        .arg(s / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(s % 60, 2, 10, QLatin1Char('0'))
        .arg(cs, 2, 10, QLatin1Char('0'))
        .toLatin1();
}

// GGA then RMC at that time, drifting east.
void Cycle(QList<QByteArray>& Q, double Sec)
{
    const double lon = 6.0 + Sec * 1e-5;
    const QByteArray lonText = TSimNmea::Lon(lon);
    const QByteArray latText = TSimNmea::Lat(45.5 + 0.001 * std::sin(Sec / 60));
    Q << NmeaSentence("GPGGA," + Hms(Sec) + "," + latText + "," + lonText + ",1,08,1.0,1200.0,M,48.0,M,,");
    Q << NmeaSentence("GPRMC," + Hms(Sec) + ",A," + latText + "," + lonText + ",040.0,090.0,150804,,,A");
}

void BM_LiveNmea(benchmark::State& state)
{
    const int prefill = int(state.range(0));
    const int seconds = qEnvironmentVariableIsSet("ZPH_BENCH_NMEA_SECONDS")
                            ? qEnvironmentVariableIntValue("ZPH_BENCH_NMEA_SECONDS")
                            : 60;
    Msg::SetHeadless(true);
    for (auto _ : state) {
        ModelDone();
        PtyFixture pty;
        BindPort(pty, 6);
        StartZephalon(QString());
        SetFileDialogHook([](TFileKind, TFileChoice&) { return false; });
        MainForm->resize(1200, 800);
        MainForm->show();
        QCoreApplication::processEvents();

        TSimNmea dev(pty);
        const double start = 3600; // the longest trace still ends before midnight
        Cycle(dev.Queue, start);
        TSimRunner run(dev);
        MainForm->NmeaAct->trigger();
        TNmeaForm* f = NmeaForm;
        f->ComSpeedEdit->setCurrentIndex(4); // 57600
        f->Ecart->setEditText("1");
        f->LectBtnClick();
        WaitFor([&] { return f->Session.LiveTrj() && f->Session.LiveTrj()->RecCount == 1; }, 20000);
        TTrj* T = f->Session.LiveTrj();
        if (!T) {
            state.SkipWithError("no live trace");
            break;
        }
        // The live trace holds its earlier fixes already: one a second before the reading goes on.
        for (int i = 1; i < prefill; ++i) {
            auto r = std::make_unique<TRec>(*T->Last);
            r->Prev = r->Next = nullptr;
            r->Time = Round((start + i) / 3600.0 * 100000);
            r->Lon += 10;
            T->AddRec(r);
        }
        T->EndTime = T->StartTime + (prefill - 1) / 86400.0;
        T->LiveRec = T->Last;
        T->CurRec = T->Last;
        TrjLoaded(T);
        PlanForm->Ajuste(0);
        QTest::qWait(300);

        QElapsedTimer clock;
        clock.start();
        PaintWatch watch;
        watch.Clock = &clock;
        PlanForm->installEventFilter(&watch);
        CuttForm->installEventFilter(&watch);
        int maxPending = 0, ticks = 0, lastCount = T->RecCount;
        QObject::connect(f->TimerCom, &QTimer::timeout, &watch, [&] {
            ++ticks;
            maxPending = std::max(maxPending, int(f->Session.RxText.size()));
            if (T->RecCount != lastCount) {
                lastCount = T->RecCount;
                watch.Added = Ms(clock);
                watch.PlanDone = watch.CuttDone = false;
            }
        });
        {
            std::lock_guard<std::mutex> g(dev.Lock());
            dev.SetLineSpeed(57600);
            dev.SentencesPerSecond = 10;
            const double from = start + prefill + 1;
            for (int i = 0; i < seconds * 5; ++i) Cycle(dev.Queue, from + i * 0.2);
        }
        WaitFor(
            [&] {
                std::lock_guard<std::mutex> g(dev.Lock());
                return dev.Queue.isEmpty() && !dev.OutputPending();
            },
            (seconds + 30) * 1000);
        QTest::qWait(600);
        run.Stop();
        PlanForm->removeEventFilter(&watch);
        CuttForm->removeEventFilter(&watch);
        const int recorded = T->RecCount - prefill;
        std::vector<double> d = watch.Delays;
        std::sort(d.begin(), d.end());
        state.counters["fixes_due"] = seconds;
        state.counters["fixes_recorded"] = recorded;
        state.counters["ticks"] = ticks;
        state.counters["max_pending_bytes_after_tick"] = maxPending;
        state.counters["repaint_samples"] = double(d.size());
        state.counters["repaint_median_ms"] = d.empty() ? -1 : d[d.size() / 2];
        state.counters["repaint_max_ms"] = d.empty() ? -1 : d.back();
        f->close();
        DestroyForms();
        SetFileDialogHook({});
        ModelDone();
    }
}
BENCHMARK(BM_LiveNmea)->Arg(1000)->Arg(60000)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("ZEPHALON_HOME", home.path().toUtf8());
    QApplication app(argc, argv);
    return RunBenchmarks(argc, argv);
}
