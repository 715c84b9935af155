#pragma once
// The layers of the printed plan drawn on its image, in this order: waypoints, graticule,
// turn-point marks, a cell's passage mark, airspace (print/PrintZones), trace, task, scale bar.
#include "print/PrintPlan.h"

#include <array>
#include <vector>

constexpr double ArrowLength = 5;  // mm, wings
constexpr double ArrowAngle = 30;  // degrees between axis and wing
constexpr double ArrowNotch = 0.5; // mm behind the tip

// The graticule's step (1e-5 degree) and label mode for a box, at least N lines each way.
void GraticuleStep(int32 LatMin, int32 LatMax, int32 LonMin, int32 LonMax, int N, double& Step,
                   uint8& LabelMode);
// The four vertices (tip, wing, notch, wing) of an arrowhead Offset mm back from P against the
// course (degrees).
std::array<QPoint, 4> ArrowHead(QPoint P, double Offset, double Course, double PxPerMmX, double PxPerMmY);
// The part of segment A-B inside R (unchanged direction); false when none of it is.
bool ClipSegment(QPointF& A, QPointF& B, const QRectF& R);

// Lines in block pixels, cut to the area around the block where pens stay exact.
void DrawPageLine(const TPlanDraw& D, QPointF A, QPointF B);
void DrawPagePolyline(const TPlanDraw& D, const std::vector<QPointF>& Points);

void DrawPlanWaypoints(TPlanDraw& D);
void DrawPlanGraticule(TPlanDraw& D);
void DrawPlanTrnMarks(TPlanDraw& D);
void DrawPlanPassage(TPlanDraw& D);
void DrawPlanTrace(TPlanDraw& D);
void DrawPlanTask(TPlanDraw& D);
void DrawPlanScaleBar(TPlanDraw& D);
