#pragma once
// The circuit search without a window: every task that can be flown between the waypoints of a
// set with N intermediate points, a total distance between two bounds, optional FAI-triangle
// conditions and optional fixed points or search cylinders.
//
// The engine works on a snapshot of the waypoint positions (indices into the set, in set
// order) and never touches the model, so it may run on a worker thread while the user
// interface stays live. Candidates are visited like an odometer whose fastest digit is the
// start: rows come out in that order. A candidate is accepted when:
// - every cylinder position's waypoint lies within the radius of its centre (boundary included);
// - every leg is at least DistMinSeg x f, unless the FAI test is on with N = 3 (the minimum
//   leg then does not apply);
// - DistMin x f <= total <= DistMax x f, the total summed from the start;
// - with the FAI test (N = 2 or 3): start and finish stand at the same position and the
//   triangle passes the FAI leg percentages exactly as IsFaiTriangle judges a task standing at
//   the candidates; with N = 3 also total - FAI - 0.5 <= DifFaiDist x f and
//   FAI >= DistFaiMin x f;
// - with OneDirection: the same waypoints flown the other way were not accepted earlier.
// Bounds that skip candidates early (leg minimum, partial total, closed-circuit leg maximum)
// only skip candidates that the full test would reject, so the rows are those of a plain
// enumeration.
#include "model/Calc.h"
#include "model/Define.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

// One position of the task: Wpt is the fixed waypoint or the cylinder centre (index into the
// snapshot); Radius -1 free, 0 fixed, > 0 a cylinder of that many kilometres.
struct TStnCalcPos
{
    int32 Wpt = -1;
    int32 Radius = -1;
};

struct TStnCalcCriteria
{
    int N = 2;                        // intermediate points, 0..3
    std::array<TStnCalcPos, 5> Pos{}; // start, points, finish: N + 2 used
    // Edit values in the display distance unit; Factor turns them into km.
    double DistMin = 300, DistMax = 350, DistMinSeg = 30, DifFaiDist = 20, DistFaiMin = 300;
    bool TestFai = false;
    bool OneDirection = true;
    double Factor = 1.0;
    // The option values the search reads (taken on the user-interface thread).
    int32 EarthModel = 0;
    int32 MinTri0 = 28, MaxTri0 = 44, MinDist1 = 750, MinTri1 = 25, MaxTri1 = 45;

    int Positions() const { return N + 2; }
    // The minimum leg applies except for the FAI test with N = 3.
    bool SegMinApplies() const { return !(TestFai && N == 3); }
};

// One found circuit: waypoint indices start to finish, total and FAI distance in km (FAI < 0
// when the circuit is no FAI triangle).
struct TStnRow
{
    double Total = 0;
    double Fai = -1;
    std::array<uint16, 5> W{};
    bool operator==(const TStnRow&) const = default;
};
static_assert(sizeof(TStnRow) <= 32, "a result row must stay small: searches keep millions");

class TStnCalcEngine
{
public:
    static constexpr int64_t MaxRows = 10'000'000;

    // Distances are kept in a matrix while it needs at most MatrixBytes, else computed when used.
    static constexpr double MatrixBytes = 256.0 * 1024 * 1024;
    TStnCalcEngine(std::vector<TPos> Wpts, const TStnCalcCriteria& C, double MaxMatrixBytes = MatrixBytes);

    const TStnCalcCriteria& Criteria() const { return fC; }
    int FreeCount() const { return fFree; }
    int FixedCount() const { return fFixed; }
    int CylinderCount() const { return fCylinders; }
    // Waypoint count to the power of the free positions (what the user is warned about).
    double Combinations() const;
    // Candidates the walk visits (cylinders counted by the waypoints inside them): the
    // maximum of Progress.
    double CandidateCount() const;

    // Runs the search to its end, to Abort or to RowLimit rows.
    void Run();
    std::atomic<bool> Abort{false};
    std::atomic<double> Progress{0};
    std::atomic<int64_t> Found{0};
    std::atomic<bool> Finished{false};
    int64_t RowLimit = MaxRows;
    // True when the search stopped at RowLimit.
    bool Capped() const { return fCapped.load(); }
    // The rows found since the last call (safe while Run goes on in another thread), in one
    // vector or in the batches they were found in.
    std::vector<TStnRow> TakeRows();
    std::vector<std::vector<TStnRow>> TakeBatches();

    // Distance in km between two waypoints of the snapshot, as Distance computes it.
    double Dist(int A, int B);
    // The full test of one candidate (without the one-direction rule).
    bool Accept(const int* Cand, double& Total, double& Fai);
    // FAI distance when the candidate is a FAI triangle as IsFaiTriangle judges it, else -1.
    double FaiOf(const int* Cand);

private:
    // Distance whose row is known to be computed (the walk computes the rows of every waypoint
    // it may visit before it starts).
    double DistFast(int A, int B) const
    {
        return fMatrix ? fRowPtr[size_t(A)][size_t(B)] : Distance(fWpts[A], fWpts[B], fC.EarthModel);
    }
    double FaiOf(const int* Cand, bool Fast);
    // The candidates of each position and the bounds of the walk (before any thread starts).
    void Prepare();
    void Walk(int K, double Partial);
    void Inner();
    // A candidate within the distance bounds: the rest of the test, then the row. False when
    // the search is to stop.
    bool Accepted(int W, double Total);
    bool ReverseSeenBefore(const int* Cand);
    void Push(const TStnRow& R);
    void Flush();
    const double* Row(int A);

    std::vector<TPos> fWpts;
    TStnCalcCriteria fC;
    int fP = 2;
    int fFree = 0, fFixed = 0, fCylinders = 0;
    bool fAny = false;
    std::array<std::vector<int>, 5> fList;
    std::array<std::vector<uint8>, 5> fMember;
    std::array<double, 5> fWeight{};
    std::array<double, 5> fLegMax{};
    double fSegMin = 0, fTotMin = 0, fTotMax = 0, fTotMaxSlack = 0;
    double fDifFai = 0, fFaiMin = 0;

    // Distances by rows, computed when first needed; on the fly when the matrix would be too large.
    bool fMatrix = false;
    // Rows are made only for the waypoints a search may visit.
    std::vector<std::vector<double>> fRows;
    std::vector<const double*> fRowPtr;

    std::array<int, 5> fCand{};
    std::array<double, 5> fLeg{};
    double fVisited = 0;
    int64_t fCount = 0;
    std::vector<TStnRow> fBatch;
    std::mutex fMutex;
    std::vector<std::vector<TStnRow>> fOut; // batches handed over, in order
    std::atomic<bool> fCapped{false};
};
