#include "model/LabelPlace.h"

#include <algorithm>
#include <cstdint>

template <typename F> void TLabelPlacer::ForCells(const QRect& R, F&& Fn) const
{
    auto cell = [this](int v) {
        return v >= 0 ? v / fCell : -((-static_cast<long long>(v) - 1) / fCell) - 1;
    };
    const long long x0 = cell(R.left()), x1 = cell(R.right()), y0 = cell(R.top()), y1 = cell(R.bottom());
    for (long long y = y0; y <= y1; ++y)
        for (long long x = x0; x <= x1; ++x) Fn((y << 32) ^ (x & 0xffffffffLL));
}

bool TLabelPlacer::Place(const QRect& R)
{
    if (R.isEmpty()) return true;
    for (const QRect& q : fHuge)
        if (q.intersects(R)) return false;
    // A rectangle spanning a huge number of cells is kept apart from the grid.
    const long long span = (static_cast<long long>(R.width()) / fCell + 1) * (R.height() / fCell + 1);
    if (span > 4096) {
        for (const QRect& q : fRects)
            if (q.intersects(R)) return false;
        fHuge.push_back(R);
        return true;
    }
    bool free = true;
    ForCells(R, [&](long long key) {
        if (!free) return;
        const auto it = fBuckets.find(key);
        if (it == fBuckets.end()) return;
        for (int i : it->second)
            if (fRects[size_t(i)].intersects(R)) {
                free = false;
                return;
            }
    });
    if (!free) return false;
    const int index = int(fRects.size());
    fRects.push_back(R);
    ForCells(R, [&](long long key) { fBuckets[key].push_back(index); });
    return true;
}
