// Start-up on a long flight: from the start of the program (options, shared windows, the main
// window shown) to the first painting of the plan view with the command line's 65,535-fix IGC
// trace loaded, fitted and drawn. Target: under 0.5 s with the offscreen platform.
// The application object is made once before the runs; its own creation time is reported as
// the counter "app_ms".
#include "BenchSupport.h"
#include "app/Main.h"
#include "app/Plan.h"
#include "model/Define.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdio>

namespace {

double gAppMs = 0;

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

// Notes the first painting of the plan view that shows a loaded trace.
class TPaintWatch : public QObject
{
public:
    bool Painted = false;
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Paint && Trj && Trj->Loaded) Painted = true;
        return false;
    }
};

void BM_StartUpToFirstPlanPaint65535(benchmark::State& state)
{
    static TFlight flight;
    int fixes = 0;
    for (auto _ : state) {
        QElapsedTimer guard;
        guard.start();
        StartZephalon(flight.igc);
        TPaintWatch watch;
        PlanForm->installEventFilter(&watch);
        MainForm->resize(1280, 820);
        MainForm->show();
        while (!watch.Painted && guard.elapsed() < 10000) QCoreApplication::processEvents();
        if (!watch.Painted) state.SkipWithError("the plan view never painted the trace");
        state.PauseTiming();
        fixes = Trj ? Trj->RecCount : 0;
        PlanForm->removeEventFilter(&watch);
        DestroyForms();
        ModelDone();
        state.ResumeTiming();
    }
    state.counters["fixes"] = fixes;
    state.counters["app_ms"] = gAppMs;
}
// The first run is the cold start of the process (fonts, style, caches); the others are warm.
BENCHMARK(BM_StartUpToFirstPlanPaint65535)
    ->Name("ColdStartUpToFirstPlanPaint65535")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK(BM_StartUpToFirstPlanPaint65535)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("ZEPHALON_HOME", home.path().toUtf8());
    QElapsedTimer t;
    t.start();
    QApplication app(argc, argv);
    gAppMs = double(t.nsecsElapsed()) / 1e6;
    return RunBenchmarks(argc, argv);
}
