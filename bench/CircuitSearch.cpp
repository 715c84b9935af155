// The circuit search over euregio9.dat's 99 waypoints plus one at the centre of their bounds
// (10^8 candidates), N = 2, no fixed point, the window's defaults (300-350 km, legs >= 30, one
// direction, no FAI). Targets: the engine within 1.5 x a plain four-deep loop and under 2 s on
// the sphere and on WGS84; the window's search to its last row shown under 2 s; Stop under
// 200 ms; sorting 1,000,000 rows by Dist and by a name under 1 s each; at most 32 bytes a row;
// ten million rows sorted from the window within 1 s, the interface never busy over 100 ms.
#include "BenchSupport.h"
#include "dialogs/CalcStn.h"
#include "dialogs/CalcStnEngine.h"
#include "dialogs/InfoPrgs.h"
#include "files/RecFile.h"
#include "model/Calc.h"
#include "model/Options.h"
#include "platform/Msg.h"

#include <QApplication>
#include <QElapsedTimer>
#include <benchmark/benchmark.h>

#include <thread>

namespace {

// Runs the event loop for a while (the window's refresh timer fires in it).
void Wait(int Ms)
{
    QElapsedTimer t;
    t.start();
    do {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    } while (t.elapsed() < Ms);
}

std::vector<TPos> Snapshot()
{
    std::vector<TPos> p;
    for (TWpt* w = Swp->First; w; w = w->Next) p.push_back(*w);
    return p;
}

TStnCalcCriteria Defaults(int EarthModel)
{
    TStnCalcCriteria C;
    C.EarthModel = EarthModel;
    return C;
}

// The yardstick: every candidate of a matrix of distances, start innermost.
void BM_PlainLoop(benchmark::State& state)
{
    const std::vector<TPos> W = Snapshot();
    const size_t n = W.size();
    size_t rows = 0;
    for (auto _ : state) {
        std::vector<double> m(n * n);
        for (size_t a = 0; a < n; ++a)
            for (size_t b = 0; b < n; ++b) m[a * n + b] = Distance(W[a], W[b], 0);
        struct TRow
        {
            uint16 w[4];
            double total;
        };
        std::vector<TRow> out;
        const double lo = 300, hi = 350, seg = 30;
        for (size_t f = 0; f < n; ++f)
            for (size_t c = 0; c < n; ++c)
                for (size_t b = 0; b < n; ++b)
                    for (size_t a = 0; a < n; ++a) {
                        const double l0 = m[a * n + b], l1 = m[b * n + c], l2 = m[c * n + f];
                        if (l0 < seg || l1 < seg || l2 < seg) continue;
                        const double t = l0 + l1 + l2;
                        if (t < lo || t > hi) continue;
                        // The reverse (f c b a) comes earlier when its index is smaller.
                        const size_t self = ((f * n + c) * n + b) * n + a;
                        const size_t rev = ((a * n + b) * n + c) * n + f;
                        if (rev < self) continue;
                        out.push_back({{uint16(a), uint16(b), uint16(c), uint16(f)}, t});
                    }
        rows = out.size();
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["rows"] = double(rows);
}

void BM_Engine(benchmark::State& state)
{
    const std::vector<TPos> W = Snapshot();
    size_t rows = 0;
    for (auto _ : state) {
        TStnCalcEngine e(W, Defaults(int(state.range(0))));
        e.Run();
        // The rows as the window takes them: in the batches they were found in.
        rows = 0;
        for (const auto& b : e.TakeBatches()) rows += b.size();
    }
    state.counters["rows"] = double(rows);
    state.counters["bytes_per_row"] = double(sizeof(TStnRow));
}

// CalcBtn to the last row shown in the grid.
void BM_Window(benchmark::State& state)
{
    TStnCalc w;
    w.Open();
    size_t rows = 0;
    for (auto _ : state) {
        Msg::PushAnswer(mrYes);
        w.CalcBtnClick();
        while (w.Running()) Wait(1);
        QCoreApplication::processEvents();
        rows = w.Grid->Rows.size();
    }
    state.counters["rows"] = double(rows);
}

// From Stop to the window ready again, 300 ms into a search.
void BM_Stop(benchmark::State& state)
{
    TStnCalc w;
    w.Open();
    for (auto _ : state) {
        state.PauseTiming();
        Msg::PushAnswer(mrYes);
        w.CalcBtnClick();
        Wait(300);
        state.ResumeTiming();
        w.Stop();
    }
}

void BM_Sort(benchmark::State& state)
{
    TStnGridModel m;
    m.N = 2;
    m.SetTitles();
    for (TWpt* w = Swp->First; w; w = w->Next) m.Wpts.push_back(w);
    std::vector<TStnRow> rows(1000000);
    uint32_t x = 12345;
    for (TStnRow& r : rows) {
        x = x * 1664525u + 1013904223u;
        r.Total = 100 + (x >> 8) % 400000 / 1000.0;
        for (int k = 0; k < 4; ++k) r.W[k] = uint16((x >> (k * 7)) % m.Wpts.size());
    }
    const int col = state.range(0) ? 2 : m.DistCol();
    for (auto _ : state) {
        state.PauseTiming();
        m.Rows.assign(rows.begin(), rows.end());
        m.Order.clear();
        state.ResumeTiming();
        m.SortRows(col, false);
    }
}

// Ten million rows (the most a search keeps) sorted from the window, by Dist (0) or by the
// first point's name (1): the time from the click to the rows shown sorted, and the longest
// time the interface thread was busy in one go meanwhile (the freeze the user can feel).
void BM_WindowSort10M(benchmark::State& state)
{
    TStnCalc w;
    w.Open();
    for (TWpt* p = Swp->First; p; p = p->Next) w.Grid->Wpts.push_back(p);
    std::deque<TStnRow> rows(size_t(TStnCalcEngine::MaxRows));
    uint32_t x = 12345;
    for (TStnRow& r : rows) {
        x = x * 1664525u + 1013904223u;
        r.Total = 100 + (x >> 8) % 400000 / 1000.0;
        for (int k = 0; k < 4; ++k) r.W[size_t(k)] = uint16((x >> (k * 7)) % w.Grid->Wpts.size());
    }
    const int col = state.range(0) ? 2 : w.Grid->DistCol();
    double freeze = 0;
    for (auto _ : state) {
        state.PauseTiming();
        w.Grid->ClearResults();
        w.Grid->AppendRows({std::vector<TStnRow>(rows.begin(), rows.end())});
        QCoreApplication::processEvents();
        state.ResumeTiming();
        QElapsedTimer t;
        t.start();
        qint64 last = 0;
        w.StnCalcSortGrid(col, false);
        do {
            const qint64 now = t.nsecsElapsed();
            freeze = std::max(freeze, (now - last) / 1e6);
            QCoreApplication::processEvents(QEventLoop::AllEvents);
            const qint64 after = t.nsecsElapsed();
            freeze = std::max(freeze, (after - now) / 1e6);
            last = after;
            if (w.Sorting()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        } while (w.Sorting());
    }
    state.counters["longest_freeze_ms"] = freeze;
}

BENCHMARK(BM_PlainLoop)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Engine)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Window)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_Stop)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Sort)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_WindowSort10M)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ModelInit();
    Msg::SetHeadless(true);
    if (!OpenSwpFile(QStringLiteral(ZPH_TESTDATA "/waypoints/euregio9.dat"))) return 1;
    // One more waypoint at the centre of the set's bounds.
    Swp->ComputeBounds();
    auto c = std::make_unique<TWpt>();
    c->Lat = int32((int64_t(Swp->LatMin) + Swp->LatMax) / 2);
    c->Lon = int32((int64_t(Swp->LonMin) + Swp->LonMax) / 2);
    c->Name = QStringLiteral("CENTRE");
    Swp->AddWpt(c);
    const int rc = RunBenchmarks(argc, argv);
    delete InfoPrgsForm;
    ModelDone();
    return rc;
}
