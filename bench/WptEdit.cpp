// The waypoint windows over a full set of 65,535 waypoints (offscreen).
//   BM_SwpEditShow        show to first paint of the grid             target < 300 ms
//   BM_SwpEditSortName    sort by name                                target < 200 ms
//   BM_SwpEditSortLat     sort by latitude                            target < 200 ms
//   BM_SwpEditOk          OK after one changed cell (set rebuilt)     target < 300 ms
//   BM_NearestOrder/n     nearest-neighbour order, 5,000 and 65,535   targets < 50 ms, < 1 s
//   BM_PlanNearestWpt     one look-up of the plan view, plain / map   target < 0.5 ms
//   BM_ReachFilter        one keystroke of the reach window, painted  target < 20 ms
#include "BenchSupport.h"
#include "app/Plan.h"
#include "dialogs/Editswp.h"
#include "dialogs/Reachwpt.h"
#include "model/Options.h"
#include "platform/Msg.h"

#include <QApplication>
#include <QLineEdit>
#include <QListView>
#include <QTableView>
#include <benchmark/benchmark.h>
#include <random>

namespace {

void FillSet(int Count)
{
    NewSwp();
    std::mt19937 rng(99);
    std::uniform_int_distribution<int32> lat(4300000, 4700000), lon(300000, 800000), alt(0, 4000);
    const char* letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    for (int i = 0; i < Count; ++i) {
        auto w = std::make_unique<TWpt>();
        w->Lat = lat(rng);
        w->Lon = lon(rng);
        w->Alt = alt(rng);
        w->Attr = uint8(i % 128);
        w->Name = QString(QLatin1Char(letters[rng() % 52])) + QString(QLatin1Char(letters[rng() % 52])) +
                  QString::number(i);
        w->Comment = QStringLiteral("comment %1").arg(i);
        Swp->AddWpt(w);
    }
}

void BM_SwpEditShow(benchmark::State& state)
{
    FillSet(MaxListCount);
    TSwpEdit f;
    f.resize(900, 600);
    for (auto _ : state) {
        f.show();
        benchmark::DoNotOptimize(f.SwpGrid->viewport()->grab());
        state.PauseTiming();
        f.hide();
        state.ResumeTiming();
    }
}

void Sort(benchmark::State& state, int Col)
{
    FillSet(MaxListCount);
    TSwpEdit f;
    f.show();
    bool desc = false;
    for (auto _ : state) {
        f.SwpEditSortGrid(Col, desc);
        desc = !desc;
    }
}
void BM_SwpEditSortName(benchmark::State& state)
{
    Sort(state, scName);
}
void BM_SwpEditSortLat(benchmark::State& state)
{
    Sort(state, scLat);
}

void BM_SwpEditOk(benchmark::State& state)
{
    FillSet(MaxListCount);
    TSwpEdit f;
    for (auto _ : state) {
        state.PauseTiming();
        f.show();
        f.Grid->setData(f.Grid->index(10, scName), QStringLiteral("CHANGED"), Qt::EditRole);
        state.ResumeTiming();
        f.OKBtnClick();
    }
    if (Swp->Count != MaxListCount) state.SkipWithError("set not rebuilt whole");
}

void BM_NearestOrder(benchmark::State& state)
{
    FillSet(int(state.range(0)));
    std::vector<TSwpRow> rows;
    for (const TWpt* w = Swp->First; w; w = w->Next) rows.push_back(SwpRowFromWpt(*w));
    for (auto _ : state) benchmark::DoNotOptimize(SwpNearestOrder(rows));
}

void BM_PlanNearestWpt(benchmark::State& state)
{
    FillSet(MaxListCount);
    TPlanForm F;
    F.resize(1200, 800);
    F.CtrLati = 4500000;
    F.CtrLong = 550000;
    F.Zoom = 0.002;
    if (state.range(0)) {
        TMap& M = *Map;
        const int32 pts[4][4] = {{0, 0, 4750000, 250000},
                                 {4000, 0, 4750000, 850000},
                                 {0, 4000, 4250000, 250000},
                                 {4000, 4000, 4250000, 850000}};
        for (int i = 0; i < 4; ++i) M.Pos[i] = {pts[i][0], pts[i][1], pts[i][2], pts[i][3], true};
        M.Width = M.Height = 4000;
        M.Lati_Min = 4250000;
        M.Lati_Max = 4750000;
        M.Long_Min = 250000;
        M.Long_Max = 850000;
        M.aX = M.aY = 1e-7;
        M.Image = QImage(16, 16, QImage::Format_RGB32);
        M.Valid = true;
        Opt->FondCarte = true;
        if (!F.Projection().ThroughMap()) state.SkipWithError("map not used");
    }
    int x = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(F.NearestWpt(QPointF(x % 1200, (x * 7) % 800)));
        ++x;
    }
    Opt->FondCarte = false;
    Map->Valid = false;
}

void BM_ReachFilter(benchmark::State& state)
{
    FillSet(MaxListCount);
    TReachWptForm f;
    f.show();
    const QString prefixes[] = {QString(), QStringLiteral("a"), QStringLiteral("ab"), QString()};
    int i = 0;
    for (auto _ : state) {
        f.Edit->setText(prefixes[i++ % 4]);
        benchmark::DoNotOptimize(f.ListBox->viewport()->grab());
    }
}

BENCHMARK(BM_SwpEditShow)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_SwpEditSortName)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SwpEditSortLat)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SwpEditOk)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_NearestOrder)->Arg(5000)->Arg(MaxListCount)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlanNearestWpt)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReachFilter)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ModelInit();
    Msg::SetHeadless(true);
    const int rc = RunBenchmarks(argc, argv);
    ModelDone();
    return rc;
}
