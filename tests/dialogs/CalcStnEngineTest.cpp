// The circuit search engine against a plain enumeration of every candidate.
#include "dialogs/CalcStnEngine.h"

#include "model/Calc.h"
#include "model/Options.h"
#include "support/Fixtures.h"

#include <random>
#include <set>
#include <thread>

namespace {

// Every candidate in odometer order (start fastest), judged one by one with the model's own
// Distance and IsFaiTriangle on a task standing at the candidates.
std::vector<TStnRow> PlainSearch(const std::vector<TPos>& W, const TStnCalcCriteria& C)
{
    Opt->EarthModel = C.EarthModel;
    Opt->MinTri0 = C.MinTri0;
    Opt->MaxTri0 = C.MaxTri0;
    Opt->MinDist1 = C.MinDist1;
    Opt->MinTri1 = C.MinTri1;
    Opt->MaxTri1 = C.MaxTri1;
    const int n = int(W.size()), P = C.N + 2;
    const double f = C.Factor;
    std::vector<TStnRow> rows;
    std::set<std::vector<int>> seen;
    if (n == 0) return rows;
    std::vector<int> c(P, 0);
    for (;;) {
        bool ok = true;
        for (int k = 0; k < P && ok; ++k) {
            const TStnCalcPos& p = C.Pos[k];
            if (p.Wpt >= 0 && p.Radius == 0 && c[k] != p.Wpt) ok = false;
            if (p.Wpt >= 0 && p.Radius > 0 && Distance(W[p.Wpt], W[c[k]]) > p.Radius) ok = false;
        }
        double total = 0;
        for (int k = 0; k + 1 < P && ok; ++k) {
            const double d = Distance(W[c[k]], W[c[k + 1]]);
            if (C.SegMinApplies() && d < C.DistMinSeg * f) ok = false;
            total += d;
        }
        if (ok && (total < C.DistMin * f || total > C.DistMax * f)) ok = false;
        double fai = -1;
        if (ok) {
            TStn task;
            for (int k = 0; k < P; ++k) {
                TTrn t;
                t.Lat = W[c[k]].Lat;
                t.Lon = W[c[k]].Lon;
                task.AddTrn(t, k);
            }
            double F;
            if (IsFaiTriangle(task, F)) fai = F;
            if (C.TestFai && (P == 4 || P == 5)) {
                if (fai < 0) ok = false;
                if (ok && P == 5 && (total - fai - 0.5 > C.DifFaiDist * f || fai < C.DistFaiMin * f))
                    ok = false;
            }
        }
        if (ok && C.OneDirection && seen.count(std::vector<int>(c.rbegin(), c.rend()))) ok = false;
        if (ok) {
            seen.insert(c);
            TStnRow r;
            r.Total = total;
            r.Fai = fai;
            for (int k = 0; k < P; ++k) r.W[k] = uint16(c[k]);
            rows.push_back(r);
        }
        int k = 0;
        while (k < P && ++c[k] == n) c[k++] = 0;
        if (k == P) break;
    }
    return rows;
}

std::vector<TStnRow> EngineSearch(const std::vector<TPos>& W, const TStnCalcCriteria& C)
{
    TStnCalcEngine e(W, C);
    e.Run();
    return e.TakeRows();
}

// Criteria with every distance allowed up to Max km.
TStnCalcCriteria Open(int N, double Max = 1000)
{
    TStnCalcCriteria C;
    C.N = N;
    C.DistMin = 0;
    C.DistMax = Max;
    C.DistMinSeg = 0;
    C.OneDirection = false;
    return C;
}

using CalcStnEngine = FreshModel;

} // namespace

TEST_F(CalcStnEngine, SameRowsAsPlainEnumeration)
{
    std::mt19937 rng(20261206);
    auto uni = [&](int a, int b) { return std::uniform_int_distribution<int>(a, b)(rng); };
    for (int round = 0; round < 200; ++round) {
        SCOPED_TRACE(round);
        std::vector<TPos> W(uni(0, 12));
        for (TPos& p : W) {
            p.Lat = 4500000 + uni(0, 150000);
            p.Lon = 600000 + uni(0, 200000);
        }
        // Two objects at one position: closure is judged by position.
        if (W.size() > 3 && uni(0, 1)) W[3] = W[0];
        TStnCalcCriteria C;
        C.N = uni(0, 3);
        C.Factor = uni(0, 1) ? 1.0 : 1.8518;
        C.EarthModel = uni(0, 1);
        C.DistMin = uni(0, 20) * 10;
        C.DistMax = C.DistMin + uni(5, 40) * 10;
        C.DistMinSeg = uni(0, 4) * 5;
        C.TestFai = C.N >= 2 && uni(0, 1);
        C.OneDirection = uni(0, 1);
        C.DifFaiDist = uni(0, 8) * 5;
        C.DistFaiMin = uni(0, 20) * 10;
        C.MinTri0 = uni(15, 28);
        C.MinTri1 = uni(15, 28);
        C.MaxTri0 = uni(40, 50);
        C.MaxTri1 = uni(40, 50);
        C.MinDist1 = uni(1, 40) * 10;
        const int n = int(W.size());
        for (int k = 0; k < C.Positions(); ++k) {
            const int kind = n ? uni(0, 3) : 0;
            if (kind == 1) C.Pos[k] = {uni(0, n - 1), 0};
            if (kind == 2) C.Pos[k] = {uni(0, n - 1), uni(1, 120)};
        }
        if (C.TestFai && n && uni(0, 1)) C.Pos[0] = C.Pos[C.N + 1] = {uni(0, n - 1), 0};
        if (C.N == 3 && n > 8 && C.Pos[1].Wpt < 0 && C.Pos[2].Wpt < 0) C.Pos[1] = {0, 0};
        const auto want = PlainSearch(W, C);
        const auto got = EngineSearch(W, C);
        ASSERT_EQ(got.size(), want.size());
        if (round % 10 == 0) {
            // Without the matrix (a set too large for it): the same rows.
            TStnCalcEngine e(W, C, 0);
            e.Run();
            ASSERT_EQ(e.TakeRows(), got);
        }
        for (size_t i = 0; i < got.size(); ++i) {
            ASSERT_EQ(got[i].W, want[i].W) << i;
            ASSERT_EQ(got[i].Total, want[i].Total) << i;
            ASSERT_EQ(got[i].Fai, want[i].Fai) << i;
        }
    }
}

TEST_F(CalcStnEngine, ClosedCircuitsAndBoundaries)
{
    // A square of four waypoints plus its centre; start and finish fixed to one corner.
    std::vector<TPos> W{
        {4500000, 600000}, {4550000, 600000}, {4550000, 670000}, {4500000, 670000}, {4525000, 635000}};
    TStnCalcCriteria C = Open(2);
    C.Pos[0] = C.Pos[3] = {0, 0};
    const auto both = EngineSearch(W, C);
    C.OneDirection = true;
    const auto one = EngineSearch(W, C);
    EXPECT_EQ(both, PlainSearch(W, {C.N, C.Pos, 0, 1000, 0, 20, 300, false, false}));
    // Every circuit but the ones that are their own reverse is found once instead of twice.
    size_t palindromes = 0;
    for (const TStnRow& r : both) palindromes += r.W[1] == r.W[2];
    EXPECT_EQ(both.size(), 2 * one.size() - palindromes);

    // Totals exactly at the bounds are accepted.
    TStnCalcEngine probe(W, C);
    const double exact = probe.Dist(0, 1) + probe.Dist(1, 2) + probe.Dist(2, 0);
    C.DistMin = C.DistMax = exact;
    C.OneDirection = false;
    const auto edge = EngineSearch(W, C);
    ASSERT_EQ(edge.size(), 1u);
    EXPECT_EQ(edge[0].W, (std::array<uint16, 5>{0, 1, 2, 0, 0}));
}

TEST_F(CalcStnEngine, CylinderRadiusInKilometres)
{
    // A start within 20 km of the centre, whatever the display unit.
    std::vector<TPos> W{{4500000, 600000}, {4510000, 600000}, {4520000, 600000}, {4530000, 600000}};
    TStnCalcCriteria C = Open(0);
    C.Factor = 1.8518;
    C.Pos[0] = {0, 20};
    C.Pos[1] = {3, 0};
    const auto rows = EngineSearch(W, C);
    ASSERT_EQ(rows.size(), 2u); // 0 km and 11.1 km from the centre; 22.2 km is outside
    EXPECT_EQ(rows[0].W[0], 0);
    EXPECT_EQ(rows[1].W[0], 1);
}

TEST_F(CalcStnEngine, RowLimitAndAbort)
{
    std::vector<TPos> W(30);
    for (int i = 0; i < 30; ++i) W[i] = {4500000 + i * 1000, 600000 + (i % 7) * 3000};
    const TStnCalcCriteria C = Open(2, 9990);
    TStnCalcEngine e(W, C);
    EXPECT_EQ(e.Combinations(), 30.0 * 30 * 30 * 30);
    EXPECT_EQ(e.FreeCount(), 4);
    e.RowLimit = 1000;
    e.Run();
    EXPECT_TRUE(e.Capped());
    EXPECT_EQ(e.TakeRows().size(), 1000u);

    TStnCalcEngine slow(W, C);
    slow.Abort = true;
    std::thread t([&] { slow.Run(); });
    t.join();
    EXPECT_TRUE(slow.Finished);
    EXPECT_FALSE(slow.Capped());
    EXPECT_LT(slow.TakeRows().size(), 30u * 30 * 30);
}
