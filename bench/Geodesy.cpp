// Cost of one distance on the sphere and on the WGS84 ellipsoid.
#include "model/Calc.h"
#include "model/Options.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

// A spread of legs from a few metres to a few hundred kilometres, as a trace and a task give.
std::vector<TPos> Points()
{
    std::vector<TPos> pts;
    uint32_t s = 12345;
    for (int i = 0; i < 1024; ++i) {
        s = s * 1664525u + 1013904223u;
        TPos p;
        p.Lat = 4500000 + int32(s % 400000);
        s = s * 1664525u + 1013904223u;
        p.Lon = 500000 + int32(s % 600000);
        pts.push_back(p);
    }
    return pts;
}

void DistanceWithModel(benchmark::State& state, int model)
{
    TOpt opt;
    opt.EarthModel = model;
    TOpt* saved = Opt;
    Opt = &opt;
    const std::vector<TPos> pts = Points();
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(Distance(pts[i & 1023], pts[(i + 1) & 1023]));
        ++i;
    }
    Opt = saved;
}

void BM_DistanceSphere(benchmark::State& state)
{
    DistanceWithModel(state, 0);
}
void BM_DistanceWgs84(benchmark::State& state)
{
    DistanceWithModel(state, 1);
}
void BM_BearingSphere(benchmark::State& state)
{
    const std::vector<TPos> pts = Points();
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(Bearing(pts[i & 1023], pts[(i + 1) & 1023]));
        ++i;
    }
}

} // namespace

BENCHMARK(BM_DistanceSphere);
BENCHMARK(BM_DistanceWgs84);
BENCHMARK(BM_BearingSphere);

BENCHMARK_MAIN();
