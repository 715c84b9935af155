#pragma once
// Labels that would overlap one already placed are left out: the first come keep their place.
// Rectangles are kept in a grid of buckets, so that placing thousands stays linear.
#include <QRect>
#include <unordered_map>
#include <vector>

class TLabelPlacer
{
public:
    // Cell of the bucket grid in the rectangles' unit (about a label's size).
    explicit TLabelPlacer(int Cell = 64) : fCell(Cell > 0 ? Cell : 64) {}
    // True, and R kept, when R overlaps no rectangle placed before; false otherwise.
    bool Place(const QRect& R);

private:
    int fCell;
    std::vector<QRect> fRects;
    std::vector<QRect> fHuge;
    std::unordered_map<long long, std::vector<int>> fBuckets;
    template <typename F> void ForCells(const QRect& R, F&& Fn) const;
};
