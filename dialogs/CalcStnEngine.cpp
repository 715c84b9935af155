// The circuit search without a window.
#include "dialogs/CalcStnEngine.h"

#include "model/Calc.h"

#include <algorithm>
#include <cmath>

namespace {

// Distances rounded differently (summation order, ellipsoid iterations) differ by far less than
// this relative amount: bounds that skip candidates early are widened by it so that they never
// skip what the full test would accept.
constexpr double Slack = 1e-9;

double Widened(double v)
{
    return v * (1 + Slack) + Slack;
}

// Rows handed to the window at a time.
constexpr size_t BatchRows = 16384;

} // namespace

TStnCalcEngine::TStnCalcEngine(std::vector<TPos> Wpts, const TStnCalcCriteria& C, double MaxMatrixBytes)
    : fWpts(std::move(Wpts)), fC(C)
{
    fC.N = std::clamp(fC.N, 0, 3);
    fP = fC.Positions();
    const int n = int(fWpts.size());
    fMatrix = double(n) * double(n) * sizeof(double) <= MaxMatrixBytes;
    if (fMatrix) {
        fRows.resize(size_t(n));
        fRowPtr.assign(size_t(n), nullptr);
    }

    const double f = fC.Factor;
    fSegMin = fC.SegMinApplies() ? fC.DistMinSeg * f : 0.0;
    fTotMin = fC.DistMin * f;
    fTotMax = fC.DistMax * f;
    fTotMaxSlack = Widened(fTotMax);
    fDifFai = fC.DifFaiDist * f;
    fFaiMin = fC.DistFaiMin * f;
    // The FAI test needs a closed task of 4 or 5 points.
    if (fP != 4 && fP != 5) fC.TestFai = false;
    Prepare();
}

double TStnCalcEngine::Combinations() const
{
    double c = 1.0;
    for (int k = 0; k < fP; ++k)
        if (fC.Pos[k].Wpt < 0 || fC.Pos[k].Wpt >= int(fWpts.size())) c *= double(fWpts.size());
    return c;
}

double TStnCalcEngine::CandidateCount() const
{
    return fWeight[fP - 1] * double(fList[fP - 1].size());
}

const double* TStnCalcEngine::Row(int A)
{
    if (!fRowPtr[A]) {
        std::vector<double>& r = fRows[A];
        r.resize(fWpts.size());
        for (size_t b = 0; b < fWpts.size(); ++b) r[b] = Distance(fWpts[A], fWpts[b], fC.EarthModel);
        fRowPtr[A] = r.data();
    }
    return fRowPtr[A];
}

double TStnCalcEngine::Dist(int A, int B)
{
    if (fMatrix) return Row(A)[B];
    return Distance(fWpts[A], fWpts[B], fC.EarthModel);
}

double TStnCalcEngine::FaiOf(const int* c)
{
    return FaiOf(c, false);
}

double TStnCalcEngine::FaiOf(const int* c, bool Fast)
{
    if (fP != 4 && fP != 5) return -1;
    const TPos& s = fWpts[c[0]];
    const TPos& e = fWpts[c[fP - 1]];
    if (s.Lat != e.Lat || s.Lon != e.Lon) return -1;
    // As IsFaiTriangle: points 1-2-3-1 of four, 2-3-4-2 of five (start and finish on a leg).
    const int first = fP == 4 ? 0 : 1;
    const int p1 = c[first], p2 = c[first + 1], p3 = c[first + 2];
    const double legs[3] = {Fast ? DistFast(p1, p2) : Dist(p1, p2), Fast ? DistFast(p2, p3) : Dist(p2, p3),
                            Fast ? DistFast(p3, p1) : Dist(p3, p1)};
    const double total = legs[0] + legs[1] + legs[2];
    if (!(total > 0)) return -1;
    const bool small = total < fC.MinDist1;
    const double lo = small ? fC.MinTri0 : fC.MinTri1;
    const double hi = small ? fC.MaxTri0 : fC.MaxTri1;
    for (double leg : legs) {
        const double pc = leg / total * 100.0;
        if (pc < lo || pc > hi) return -1;
    }
    return total;
}

bool TStnCalcEngine::Accept(const int* c, double& Total, double& Fai)
{
    for (int k = 0; k < fP; ++k) {
        const TStnCalcPos& p = fC.Pos[k];
        if (p.Radius > 0 && Dist(p.Wpt, c[k]) > p.Radius) return false;
    }
    double total = 0;
    for (int k = 0; k + 1 < fP; ++k) {
        const double d = Dist(c[k], c[k + 1]);
        if (d < fSegMin) return false;
        total += d;
    }
    if (total < fTotMin || total > fTotMax) return false;
    Fai = FaiOf(c);
    if (fC.TestFai) {
        if (Fai < 0) return false;
        if (fP == 5 && (total - Fai - 0.5 > fDifFai || Fai < fFaiMin)) return false;
    }
    Total = total;
    return true;
}

bool TStnCalcEngine::ReverseSeenBefore(const int* c)
{
    // Is the reverse earlier in the walk? The finish is the slowest digit, and every position's
    // list is in set order, so the first difference from the finish down decides.
    bool earlier = false;
    for (int j = fP - 1; j >= 0; --j) {
        const int r = c[fP - 1 - j];
        if (r != c[j]) {
            earlier = r < c[j];
            break;
        }
    }
    if (!earlier) return false;
    std::array<int, 5> rev{};
    for (int j = 0; j < fP; ++j) {
        rev[j] = c[fP - 1 - j];
        // Membership holds the fixed waypoint and the cylinder's radius test.
        if (fC.Pos[j].Wpt >= 0 && !fMember[j][rev[j]]) return false;
    }
    // It was accepted when it passed the same test: its legs are measured the other way and
    // summed in another order, which may differ by a rounding at a bound.
    double total = 0;
    for (int k = 0; k + 1 < fP; ++k) {
        const double d = DistFast(rev[k], rev[k + 1]);
        if (d < fSegMin) return false;
        total += d;
    }
    if (total < fTotMin || total > fTotMax) return false;
    if (fC.TestFai) {
        const double fai = FaiOf(rev.data(), true);
        if (fai < 0) return false;
        if (fP == 5 && (total - fai - 0.5 > fDifFai || fai < fFaiMin)) return false;
    }
    return true;
}

void TStnCalcEngine::Push(const TStnRow& R)
{
    fBatch.push_back(R);
    ++fCount;
    Found.store(fCount, std::memory_order_relaxed);
    if (fBatch.size() >= BatchRows) Flush();
    if (fCount >= RowLimit) {
        fCapped = true;
        Abort = true;
    }
}

void TStnCalcEngine::Flush()
{
    if (fBatch.empty()) return;
    {
        std::lock_guard<std::mutex> lock(fMutex);
        fOut.push_back(std::move(fBatch));
    }
    fBatch = std::vector<TStnRow>();
    fBatch.reserve(BatchRows);
}

std::vector<std::vector<TStnRow>> TStnCalcEngine::TakeBatches()
{
    std::vector<std::vector<TStnRow>> batches;
    std::lock_guard<std::mutex> lock(fMutex);
    batches.swap(fOut);
    return batches;
}

std::vector<TStnRow> TStnCalcEngine::TakeRows()
{
    std::vector<std::vector<TStnRow>> batches = TakeBatches();
    if (batches.empty()) return {};
    if (batches.size() == 1) return std::move(batches.front());
    size_t n = 0;
    for (const auto& b : batches) n += b.size();
    std::vector<TStnRow> out;
    out.reserve(n);
    for (const auto& b : batches) out.insert(out.end(), b.begin(), b.end());
    return out;
}

void TStnCalcEngine::Inner()
{
    // Candidates of the start against the positions already chosen. The loop keeps what it
    // reads in locals: it runs for nearly every candidate of a search.
    const int P = fP;
    const int c1 = fCand[1];
    const double segMin = fSegMin, legMax = fLegMax[0], totMin = fTotMin, totMax = fTotMax;
    const double l1 = P > 2 ? fLeg[1] : 0, l2 = P > 3 ? fLeg[2] : 0, l3 = P > 4 ? fLeg[3] : 0;
    const bool closedOnly = fC.TestFai;
    const TPos fin = fWpts[size_t(fCand[P - 1])];
    const TPos* wpts = fWpts.data();
    const std::vector<int>& list = fList[0];
    for (const int w : list) {
        if (closedOnly && (wpts[w].Lat != fin.Lat || wpts[w].Lon != fin.Lon)) continue;
        const double d0 = DistFast(w, c1);
        if (d0 < segMin || d0 > legMax) continue;
        // Summed from the start, as the full test sums it.
        double total = d0;
        if (P > 2) total += l1;
        if (P > 3) total += l2;
        if (P > 4) total += l3;
        if (total < totMin || total > totMax) continue;
        if (!Accepted(w, total)) return;
    }
}

bool TStnCalcEngine::Accepted(int W, double Total)
{
    fCand[0] = W;
    const int* c = fCand.data();
    double fai = -1;
    if (fC.TestFai) {
        fai = FaiOf(c, true);
        if (fai < 0) return true;
        if (fP == 5 && (Total - fai - 0.5 > fDifFai || fai < fFaiMin)) return true;
    }
    if (fC.OneDirection && ReverseSeenBefore(c)) return true;
    if (!fC.TestFai) fai = FaiOf(c, true);
    TStnRow r;
    r.Total = Total;
    r.Fai = fai;
    for (int k = 0; k < fP; ++k) r.W[k] = uint16(fCand[k]);
    Push(r);
    return !Abort.load(std::memory_order_relaxed);
}

void TStnCalcEngine::Walk(int K, double Partial)
{
    if (K == 0) {
        Inner();
        fVisited += double(fList[0].size());
        return;
    }
    for (int w : fList[K]) {
        if (Abort.load(std::memory_order_relaxed)) return;
        fCand[K] = w;
        double partial = Partial;
        if (K + 1 < fP) {
            const double d = DistFast(w, fCand[K + 1]);
            if (d < fSegMin || d > fLegMax[K] || Partial + d > fTotMaxSlack) {
                fVisited += fWeight[K];
                continue;
            }
            fLeg[K] = d;
            partial += d;
        }
        Walk(K - 1, partial);
        if (K >= 2) Progress.store(fVisited, std::memory_order_relaxed);
    }
}

void TStnCalcEngine::Prepare()
{
    const int n = int(fWpts.size());
    bool any = n > 0;
    fFree = fFixed = fCylinders = 0;
    for (int k = 0; k < fP; ++k) {
        TStnCalcPos& p = fC.Pos[k];
        std::vector<int>& list = fList[k];
        list.clear();
        fMember[k].assign(size_t(n), 0);
        if (p.Wpt < 0 || p.Wpt >= n) {
            p = TStnCalcPos{};
            ++fFree;
            for (int w = 0; w < n; ++w) list.push_back(w);
        } else if (p.Radius > 0) {
            ++fCylinders;
            for (int w = 0; w < n; ++w)
                if (Dist(p.Wpt, w) <= p.Radius) list.push_back(w);
        } else {
            p.Radius = 0;
            ++fFixed;
            list.push_back(p.Wpt);
        }
        for (int w : list) fMember[k][w] = 1;
        if (list.empty()) any = false;
        fWeight[k] = k == 0 ? 1.0 : fWeight[k - 1] * double(fList[k - 1].size());
    }

    // Largest leg the full test can accept. A closed circuit (start and finish fixed to one
    // waypoint) has no leg longer than the rest of it: half the maximum total. A FAI triangle's
    // legs are at most the largest percentage of a triangle no longer than the total.
    fLegMax.fill(fTotMaxSlack);
    const TStnCalcPos& s = fC.Pos[0];
    const TStnCalcPos& e = fC.Pos[fP - 1];
    if (!fC.TestFai && fP >= 3 && s.Radius == 0 && e.Radius == 0 && s.Wpt == e.Wpt)
        fLegMax.fill(Widened(fTotMax / 2));
    if (fC.TestFai) {
        const double pc = std::max(fC.MaxTri0, fC.MaxTri1) / 100.0;
        const double m = Widened(fTotMax * pc);
        if (fP == 4) fLegMax[0] = fLegMax[1] = fLegMax[2] = m;
        if (fP == 5) fLegMax[1] = fLegMax[2] = m;
    }
    fAny = any;
}

void TStnCalcEngine::Run()
{
    const bool any = fAny;
    // The rows of distances the walk reads, before it: the hot loops then only load them.
    if (fMatrix && any)
        for (int k = 0; k < fP && !Abort.load(); ++k)
            for (int w : fList[k]) Row(w);

    fVisited = 0;
    fCount = 0;
    if (any && !Abort.load()) Walk(fP - 1, 0.0);
    Flush();
    Progress.store(fVisited);
    Finished = true;
}
