// Start-up of the whole process on a long flight: the real program, offscreen, from its exec
// to the first painting of the plan view with the command line's 65,535-fix IGC trace loaded,
// fitted and drawn (and with no trace); against a minimal Qt widgets program built the same
// way, measured in the same run. The time is the program's; the counters give the
// yardstick's time and the ratio.
#include "BenchSupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdio>

namespace {

// A flight of N fixes at one second: thermals (circles of about 150 m while climbing) joined
// by straight glides, with pressure and GPS altitudes and engine noise.
QByteArray MakeFlightIgc(int N)
{
    QByteArray t = "AXXXBENCH\r\nHFDTE150717\r\nHFPLTPILOTINCHARGE:Bench Pilot\r\nHFGTYGLIDERTYPE:LS 4\r\n"
                   "HFGIDGLIDERID:D-1234\r\nI013638ENL\r\n";
    t.reserve(t.size() + qsizetype(N) * 40);
    double lat = 45.0, lon = 6.0, alt = 600, heading = 30;
    const double mPerDegLat = 111195.0;
    char b[96];
    for (int i = 0; i < N; ++i) {
        const int phase = i % 900; // 5 minutes circling, 10 minutes gliding
        double speed;              // m/s
        if (phase < 300) {
            heading += 12; // a turn of 30 s
            speed = 25;
            alt += 2.0;
        } else {
            heading += std::sin(i / 200.0) * 0.5;
            speed = 35;
            alt -= 1.0;
        }
        alt = std::clamp(alt, 300.0, 3500.0);
        const double h = heading * M_PI / 180;
        lat += speed * std::cos(h) / mPerDegLat;
        lon += speed * std::sin(h) / (mPerDegLat * std::cos(lat * M_PI / 180));
        const int s = 4 * 3600 + i;
        const double alat = std::fabs(lat), alon = std::fabs(lon);
        const int latD = int(alat), latM = int(std::lround((alat - latD) * 60000));
        const int lonD = int(alon), lonM = int(std::lround((alon - lonD) * 60000));
        std::snprintf(b, sizeof b, "B%02d%02d%02d%02d%05d%c%03d%05d%cA%05d%05d%03d\r\n", s / 3600,
                      s / 60 % 60, s % 60, latD, std::min(latM, 59999), lat < 0 ? 'S' : 'N', lonD,
                      std::min(lonM, 59999), lon < 0 ? 'W' : 'E', int(alt), int(alt) + 20,
                      i % 500 == 0 ? 700 : 20);
        t.append(b);
    }
    return t;
}

struct TFlight
{
    QTemporaryDir dir;
    QString igc;
    TFlight()
    {
        igc = dir.filePath(QStringLiteral("long.igc"));
        QFile f(igc);
        if (f.open(QIODevice::WriteOnly)) f.write(MakeFlightIgc(65535));
    }
};

// Milliseconds from the start of Program to its "painted" line; negative when it never came.
double TimeToPainted(const QString& Program, const QStringList& Args, const QString& Home)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("ZEPHALON_HOME"), Home);
    env.insert(QStringLiteral("ZPH_STARTUP_PROBE"), QStringLiteral("1"));
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::SeparateChannels);
    p.setStandardErrorFile(QProcess::nullDevice());
    QElapsedTimer t;
    t.start();
    p.start(Program, Args);
    QByteArray out;
    double ms = -1;
    while (t.elapsed() < 20000 && p.state() != QProcess::NotRunning) {
        if (!p.waitForReadyRead(100)) continue;
        out += p.readAllStandardOutput();
        if (out.contains("painted")) {
            ms = double(t.nsecsElapsed()) / 1e6;
            break;
        }
    }
    if (!p.waitForFinished(20000)) p.kill();
    p.waitForFinished();
    return ms;
}

// The program with Args against the yardstick, alternately, in the same run.
void MeasureAgainstMinimal(benchmark::State& state, const QStringList& Args)
{
    const QString dir = QCoreApplication::applicationDirPath();
    const QString program = dir + QStringLiteral("/../zephalon");
    const QString minimal = dir + QStringLiteral("/bench_minimal_widgets");
    QTemporaryDir home;
    double zph = 0, base = 0;
    int runs = 0;
    for (auto _ : state) {
        const double a = TimeToPainted(program, Args, home.path());
        const double b = TimeToPainted(minimal, {}, home.path());
        if (a < 0 || b < 0) {
            state.SkipWithError("a program never reported its first painting");
            break;
        }
        state.SetIterationTime(a / 1000);
        zph += a;
        base += b;
        ++runs;
    }
    if (runs > 0) {
        state.counters["minimal_ms"] = base / runs;
        state.counters["ratio"] = zph / base;
    }
}

void BM_ProcessStartUpToFirstPlanPaint65535(benchmark::State& state)
{
    static TFlight flight;
    MeasureAgainstMinimal(state, {flight.igc});
}
BENCHMARK(BM_ProcessStartUpToFirstPlanPaint65535)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);

// The same with no trace: the program's own start-up.
void BM_ProcessStartUpToFirstPlanPaintNoTrace(benchmark::State& state)
{
    MeasureAgainstMinimal(state, {});
}
BENCHMARK(BM_ProcessStartUpToFirstPlanPaintNoTrace)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    return RunBenchmarks(argc, argv);
}
