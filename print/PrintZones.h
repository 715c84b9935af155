#pragma once
// Airspace on the printed plan: straight edges clipped against a box around the page (nine
// regions), arcs as short polylines, circles culled by their distance to the box. Zone radii
// are kept in metres by the model and turned into kilometres here only.
#include "print/PrintPlan.h"

struct TZoneBox
{
    int32 S = 0, N = 0, W = 0, E = 0;
};
// The page box enlarged by half its size on every side.
TZoneBox ZoneBox(int32 LatMin, int32 LatMax, int32 LonMin, int32 LonMax);
// 0 inside, 1 NW, 2 NE, 3 SW, 4 SE, 5 N, 6 S, 7 W, 8 E.
uint8 ZoneRegionCode(const TZoneBox& B, const TPos& P);
// Whether an edge between regions C1 and C2 may cross the box.
bool ZoneEdgeVisible(uint8 C1, uint8 C2);
int32 LongAtLat(const TPos& A, const TPos& B, int32 Lat);
int32 LatAtLong(const TPos& A, const TPos& B, int32 Lon);
// End A of the edge A-B moved onto the box side its region names.
TPos ClipToZoneBox(const TZoneBox& Box, const TPos& A, const TPos& B, uint8 Code);
// Whether a circle (radius km) may reach into the box.
bool CircleInZoneBox(const TZoneBox& Box, const TPos& Centre, double RadiusKm);
// Points of an arc from Start to End around Centre in block pixels (clockwise on paper for a
// positive radius): one segment per 0.1 degree at most, 2 at least.
std::vector<QPointF> ZoneArcPoints(QPointF C, QPointF S, QPointF E, double RadiusKm);

void DrawPlanZones(TPlanDraw& D);
