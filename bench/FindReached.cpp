// The search of reached turn points over a full trace (65,535 fixes) and a 5-point task.
// Target: under 20 ms.
#include "model/Calc.h"
#include "model/Define.h"
#include "model/Options.h"
#include "model/Sector.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

namespace {

// A 300 km triangle from S through T1, T2, T3 and back to the finish at S, flown with 65,535
// fixes; when Circling is set, the first third of the fixes circles 3 km around the start
// (a long wait inside the start's box, where the cheap rejection does not help).
struct TFlight
{
    TTrj Trace;
    TStn Task;

    explicit TFlight(bool circling)
    {
        ModelInit();
        const TPos S{4500000, 600000};
        const TPos T1 = DestPoint(S, 20, 100), T2 = DestPoint(T1, 140, 100), T3 = DestPoint(T2, 260, 100);
        const std::vector<TPos> route = {S, T1, T2, T3, S};
        for (const TPos& p : route) {
            TTrn t;
            t.Lat = p.Lat;
            t.Lon = p.Lon;
            Task.AddTrn(t, -1); // option presets: start and finish lines, FAI sectors with cylinders
        }
        int32 clock = 1000000;
        auto add = [&](const TPos& p) {
            auto r = std::make_unique<TRec>();
            r->Lat = p.Lat;
            r->Lon = p.Lon;
            r->Time = clock;
            clock += 28; // about one second
            Trace.AddRec(r);
        };
        int left = MaxListCount;
        if (circling) {
            const TPos behind = DestPoint(S, 200, 3);
            for (int i = 0; i < MaxListCount / 3; ++i, --left) add(DestPoint(behind, i * 9.0, 1.5));
        }
        // The legs, with the fixes that are left spread evenly over them.
        double total = 0;
        for (size_t i = 0; i + 1 < route.size(); ++i) total += Distance(route[i], route[i + 1]);
        const double step = total / (left - 50);
        for (size_t i = 0; i + 1 < route.size(); ++i) {
            const double len = Distance(route[i], route[i + 1]), c = Bearing(route[i], route[i + 1]);
            for (double s = 0; s < len && left > 0; s += step, --left) add(DestPoint(route[i], c, s));
        }
        // On across the finish line.
        const double c = Bearing(T3, S);
        for (int i = 1; left > 0; ++i, --left) add(DestPoint(S, c, i * 0.01));
    }
};

void FindReached(benchmark::State& state)
{
    static TFlight plain(false), circling(true);
    TFlight& f = state.range(0) ? circling : plain;
    Opt->EarthModel = int32(state.range(1));
    for (auto _ : state) {
        FindReachedTrn(f.Trace, f.Task);
        benchmark::DoNotOptimize(f.Task.First->Time);
    }
    int reached = 0;
    for (TTrn* t = f.Task.First; t; t = t->Next) reached += t->Reached;
    state.counters["fixes"] = f.Trace.RecCount;
    state.counters["reached"] = reached;
}
// Arguments: circling first (0/1), earth model (0 sphere, 1 WGS84).
BENCHMARK(FindReached)->Args({0, 0})->Args({0, 1})->Args({1, 0})->Args({1, 1})->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
