#pragma once
// Drawing of the plan view apart from the widget: the layer painter that draws the model's
// current instances into any QPainter through the plan projection.
#include "model/Define.h"
#include "model/LabelPlace.h"
#include "print/PlanProjection.h"

#include <QPointF>
#include <QPolygonF>
#include <QSize>
#include <vector>

class QPainter;

// The fit command's flag (TPlanForm::Ajuste): the keyboard state of the click as a shift-state
// byte, Shift 1 (fit the zone set), Alt 2 (unused), Ctrl 4 (fit the scanned map's extent).
constexpr uint8 FitShift = 0x01;
constexpr uint8 FitCtrl = 0x04;

// Zoom that shows the box (1e-5 degree) inside a Width x DrawHeight area with a margin of
// 5 % on each side; a box of zero width or height counts as 100 units. Centre in CtrLat,
// CtrLon.
double FitZoom(int32 LatMin, int32 LatMax, int32 LonMin, int32 LonMax, int Width, int DrawHeight,
               int32& CtrLat, int32& CtrLon);

// What the view keeps as state and paints on top of the layers.
struct TPlanMarks
{
    const TRec* Cursor = nullptr; // current-point marker (nullptr: none)
    const TWpt* MarkedWpt = nullptr;
    bool Live = false;               // live segment of Trj from Trj->LiveRec
    std::vector<double> SearchRadii; // circuit search cylinders, metres per turn point
};

// Outline of one airspace zone in positions (arcs and circles expanded).
struct TZoneOutline
{
    const TMpf* Zone = nullptr;
    uint8 Class = 0;
    int32 LatMin = 0, LatMax = 0, LonMin = 0, LonMax = 0;
    std::vector<std::vector<TPos>> Rings; // closed rings
};
// Expands a zone: points as they are, arcs every 5 degrees (at most 72 per circle), circles as
// 72 points.
TZoneOutline BuildZoneOutline(const TMpf& Z);

class TPlanRenderer
{
public:
    // Paints the whole view: background, scanned map, zones, waypoints, task, traces, marks,
    // then the scale band of BottomBand pixels at the bottom of Size.
    void Paint(QPainter& P, const QSize& Size, int BottomBand, const TPlanProjection& Pr,
               const TPlanMarks& Marks);
    // Forget the zone outlines (after the zone set changed).
    void Invalidate();

    // Layers (public for tests and printing-like uses).
    void PaintMap(QPainter& P, const TPlanProjection& Pr);
    void PaintZones(QPainter& P, const QSize& Size, const TPlanProjection& Pr);
    void PaintWaypoints(QPainter& P, const QSize& Size, const TPlanProjection& Pr, const TWpt* Marked);
    void PaintTask(QPainter& P, const TPlanProjection& Pr, const std::vector<double>& SearchRadii);
    void PaintTrace(QPainter& P, const QSize& Size, const TPlanProjection& Pr, const TTrj& T, bool Current);
    void PaintLive(QPainter& P, const TPlanProjection& Pr);
    void PaintCursor(QPainter& P, const TPlanProjection& Pr, const TRec& R);
    void PaintScaleBand(QPainter& P, const QSize& Size, int BottomBand, const TPlanProjection& Pr);

    // The boxes of the names written by the last painting (waypoints and turn points).
    const std::vector<QRect>& LabelBoxes() const { return fLabelBoxes; }

private:
    void UpdateZoneCache(const QSize& Size, const TPlanProjection& Pr);
    // Takes the places of the turn-point names before the waypoints' names, which often stand
    // at the same points: the task's names win.
    void ReserveTaskLabels(QPainter& P, const TPlanProjection& Pr);
    QFont TaskFont(const QPainter& P) const;

    // Writes Text at Baseline when its box overlaps no name written before.
    bool PlaceLabel(const QPainter& P, const QPointF& Baseline, const QString& Text);
    TLabelPlacer fLabels;
    std::vector<QRect> fLabelBoxes;
    // Which turn-point names found room (set by ReserveTaskLabels for the next PaintTask).
    std::vector<bool> fTaskLabels;
    bool fTaskReserved = false;

    // Zone outlines in positions for one zone set (by address and count), then in pixels for
    // one projection.
    const TSmp* fGeoSmp = nullptr;
    int fGeoCount = -1;
    std::vector<TZoneOutline> fGeo;
    bool fScreenValid = false;
    TPlanProjection fScreenPr;
    QSize fScreenSize;
    struct TScreenZone
    {
        uint8 Class;
        std::vector<QPolygonF> Rings;
    };
    std::vector<TScreenZone> fScreen;
};
