#pragma once
// The map profile an MLR receiver shows: the airspace zones as plain polylines. Arcs and
// circles become straight segments (N per full circle); an optional view rectangle keeps only
// what can be seen, plus the outside end of each segment that crosses into it.
#include "model/Define.h"

#include <cstdint>
#include <vector>

// One point of the list: SegStart lifts the pen before it; Send false drops it.
struct TLin : TPos
{
    bool SegStart = false;
    bool Send = true;
};

// The visible part of the plan view (1e-5 degree).
struct TMlrView
{
    int32 North = 0, South = 0, West = 0, East = 0;
};
bool PointInView(const TPos& P, const TMlrView& View);

struct TSln
{
    std::vector<TLin> Points;
    uint32_t Count() const { return static_cast<uint32_t>(Points.size()); }
    uint32_t NbSend = 0;
};

// The points of every zone of Smp with N segments a full circle (8..25); with a View, the
// on-screen filter (applied from 3 points on).
TSln MlrZonePoints(const TSmp& Smp, int N, const TMlrView* View);
