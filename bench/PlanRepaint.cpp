// Full repaint of the plan view at 1920 x 1080 into an image: a trace of 65,535 fixes,
// 5,000 waypoints and 500 airspace zones, all inside the view. Target: under 30 ms.
//   BM_PlanRepaint           same window (a cursor move: zone outlines in pixels reused)
//   BM_PlanRepaintPanned     the window moves each time (zone outlines projected again)
//   BM_PlanRepaintRefreshed  after a model change (zone arcs and circles expanded again)
//   BM_PlanRepaintOnMap      as panned, over a 4000 x 4000 scanned map, through its calibration
#include "BenchSupport.h"
#include "app/PlanRender.h"
#include "model/Define.h"
#include "model/Options.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>
#include <cmath>
#include <random>

namespace {

constexpr int Width = 1920, Height = 1080, Band = 40;

void BuildModel()
{
    ModelInit();
    CloseAllTrj();
    std::mt19937 rng(12345);
    std::uniform_real_distribution<double> u(0, 1);

    // A flight of 65,535 fixes over about 2 x 3 degrees: legs with thermal circles, engine
    // noise now and then.
    NewTrj();
    double lat = 4500000, lon = 500000, heading = 0.3;
    for (int i = 0; i < MaxListCount; ++i) {
        auto r = std::make_unique<TRec>();
        const bool circling = (i / 300) % 3 == 0;
        heading += circling ? 0.25 : (u(rng) - 0.5) * 0.05;
        if (i % 4000 == 0) heading += 2.0;
        lat += std::cos(heading) * 40;
        lon += std::sin(heading) * 55;
        if (lat < 4400000 || lat > 4600000) heading = M_PI - heading;
        if (lon < 400000 || lon > 700000) heading = -heading;
        r->Lat = int32(lat);
        r->Lon = int32(lon);
        r->Time = 1000000 + i * 28;
        r->Alt = 1000 + int32(500 * std::sin(i / 500.0));
        r->AltGps = r->Alt + 20;
        r->Enl = (i % 9000) < 200 ? 800 : 50;
        Trj->AddRec(r);
    }
    TrjLoaded();

    NewSwp();
    for (int i = 0; i < 5000; ++i) {
        auto w = std::make_unique<TWpt>();
        w->Lat = 4400000 + int32(u(rng) * 200000);
        w->Lon = 400000 + int32(u(rng) * 300000);
        w->Name = QStringLiteral("WPT%1").arg(i);
        Swp->AddWpt(w);
    }

    // 500 zones: polygons with an arc, and circles.
    auto S = std::make_unique<TSmp>();
    for (int i = 0; i < 500; ++i) {
        auto Z = std::make_unique<TMpf>();
        Z->Class = uint8(1 + i % 10);
        const int32 cLat = 4400000 + int32(u(rng) * 200000), cLon = 400000 + int32(u(rng) * 300000);
        if (i % 3 == 0) {
            auto c = std::make_unique<TDrd2>();
            c->Lat = cLat;
            c->Lon = cLon;
            c->Radius = 2000 + u(rng) * 15000;
            Z->AddDrd(std::move(c));
        } else {
            const int n = 6 + i % 10;
            for (int k = 0; k < n; ++k) {
                const double a = 2 * M_PI * k / n;
                auto d = std::make_unique<TDrd>();
                d->Lat = cLat + int32(std::cos(a) * 8000);
                d->Lon = cLon + int32(std::sin(a) * 11000);
                Z->AddDrd(std::move(d));
            }
            auto arc = std::make_unique<TDrd1>();
            arc->StartPos = *static_cast<TPos*>(Z->Last);
            arc->Centre = TPos{cLat, cLon};
            arc->Radius = 9000;
            arc->Lat = Z->First->Lat;
            arc->Lon = Z->First->Lon;
            Z->AddDrd(std::move(arc));
        }
        S->AddMpf(Z);
    }
    SetSmp(std::move(S));
}

TPlanProjection View(int shift, TMap* map = nullptr)
{
    int32 lat, lon;
    const double zoom =
        FitZoom(Trj->LatMin, Trj->LatMax, Trj->LonMin, Trj->LonMax, Width, Height - Band, lat, lon);
    return TPlanProjection::Make(lat + shift, lon, zoom, Width, Height - Band, map);
}

void Repaint(benchmark::State& state, int mode, TMap* map)
{
    QImage img(Width, Height, QImage::Format_RGB32);
    TPlanRenderer R;
    TPlanMarks marks;
    marks.Cursor = Trj->RecAt(30000);
    int i = 0;
    for (auto _ : state) {
        if (mode == 2) R.Invalidate();
        const TPlanProjection pr = View(mode == 0 ? 0 : (i++ % 2) * 10, map);
        QPainter p(&img);
        R.Paint(p, img.size(), Band, pr, marks);
        p.end();
        benchmark::DoNotOptimize(img.constBits());
    }
}

void BM_PlanRepaint(benchmark::State& state)
{
    Repaint(state, 0, nullptr);
}
void BM_PlanRepaintPanned(benchmark::State& state)
{
    Repaint(state, 1, nullptr);
}
void BM_PlanRepaintRefreshed(benchmark::State& state)
{
    Repaint(state, 2, nullptr);
}
void BM_PlanRepaintOnMap(benchmark::State& state)
{
    TMap M;
    auto set = [&](int i, int32 x, int32 y, int32 lat, int32 lon) {
        M.Pos[i].X = x;
        M.Pos[i].Y = y;
        M.Pos[i].Lati = lat;
        M.Pos[i].Long = lon;
        M.Pos[i].Valid = true;
    };
    set(0, 0, 0, 4650000, 350000);
    set(1, 4000, 0, 4650000, 750000);
    set(2, 0, 4000, 4350000, 350000);
    set(3, 4000, 4000, 4350000, 750000);
    M.aX = 1e-7;
    M.aY = 1e-7;
    M.Width = M.Height = 4000;
    M.Lati_Min = 4350000;
    M.Lati_Max = 4650000;
    M.Long_Min = 350000;
    M.Long_Max = 750000;
    M.Image = QImage(4000, 4000, QImage::Format_RGB32);
    M.Image.fill(QColor(230, 240, 220));
    M.Valid = true;
    if (!View(0, &M).ThroughMap()) state.SkipWithError("map not used");
    Repaint(state, 1, &M);
}

BENCHMARK(BM_PlanRepaint)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlanRepaintPanned)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlanRepaintRefreshed)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlanRepaintOnMap)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    BuildModel();
    const int rc = RunBenchmarks(argc, argv);
    ModelDone();
    return rc;
}
