#pragma once
// Geometry and drawing of the plan view, apart from the widget: the projection (the one of the
// printed plan: longitude scaled by the cosine of the centre latitude, Zoom pixels per 1e-5
// degree; or through the map calibration when the scanned map is drawn) and the layer painter
// that draws the model's current instances into any QPainter.
#include "model/Define.h"
#include "platform/LabelPlacer.h"

#include <QPointF>
#include <QPolygonF>
#include <QSize>
#include <vector>

class QPainter;

// Limits of the plan view's zoom (pixels per 1e-5 degree): about 1:50,000,000 to 1:1,000.
constexpr double PlanZoomMin = 1e-5;
constexpr double PlanZoomMax = 50.0;

// The fit command's flag (TPlanForm::Ajuste): the keyboard state of the click as a shift-state
// byte, Shift 1 (fit the zone set), Alt 2 (unused), Ctrl 4 (fit the scanned map's extent).
constexpr uint8 FitShift = 0x01;
constexpr uint8 FitCtrl = 0x04;

class TPlanProjection
{
public:
    int32 CtrLat = 0;
    int32 CtrLon = 0;
    double Zoom = 0.01; // pixels per 1e-5 degree
    double HalfW = 0;   // w: half the paint box width
    double HalfH = 0;   // h: half the drawing height (paint box less the scale band)
    double CosLat = 1;
    // Through the map calibration when MapScale is not 0: map image pixel of the centre and map
    // pixels per 1e-5 degree of latitude.
    TMap* MapCal = nullptr;
    double MapOriginX = 0;
    double MapOriginY = 0;
    double MapScale = 0;

    // Projection of a Width x DrawHeight drawing area around the centre. With a map that is
    // usable (calibrated, four points, no zero divisor) and whose bounds overlap the area, the
    // projection goes through its calibration.
    static TPlanProjection Make(int32 CtrLat, int32 CtrLon, double Zoom, int Width, int DrawHeight,
                                TMap* Map = nullptr);

    bool ThroughMap() const { return MapScale != 0; }
    QPointF ToScreen(int32 Lat, int32 Lon) const;
    QPointF ToScreen(const TPos& P) const { return ToScreen(P.Lat, P.Lon); }
    // The inverse: the position under a pixel (to the 1e-5 degree).
    void ToGeo(double X, double Y, int32& Lat, int32& Lon) const;
    // Box of positions covered by the drawing area (plain projection; with the map, the box of
    // the four corners).
    void GeoBox(int32& LatMin, int32& LatMax, int32& LonMin, int32& LonMax) const;
    // Where the scanned map image lands on the screen (only meaningful through the map).
    QRectF MapRect() const;
    bool operator==(const TPlanProjection&) const = default;
};

// Zoom that shows the box (1e-5 degree) inside a Width x DrawHeight area with a margin of
// 5 % on each side; a box of zero width or height counts as 100 units. Centre in CtrLat,
// CtrLon.
double FitZoom(int32 LatMin, int32 LatMax, int32 LonMin, int32 LonMax, int Width, int DrawHeight,
               int32& CtrLat, int32& CtrLon);

// Pen width of a trace segment ending at fix R: widened by the engine-noise rule (the width
// times Opt->EngineCoefWidth when R's noise passes both EnlMax x EngineRelLevel / 100 and
// EngineAbsLevel).
int TracePenWidth(const TTrj& T, const TRec& R, int BaseWidth);

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

    // The names of the last painting (waypoints and turn points share it).
    const TLabelPlacer& Labels() const { return fLabels; }

private:
    void UpdateZoneCache(const QSize& Size, const TPlanProjection& Pr);
    // Takes the places of the turn-point names before the waypoints' names, which often stand
    // at the same points: the task's names win.
    void ReserveTaskLabels(QPainter& P, const TPlanProjection& Pr);
    QFont TaskFont(const QPainter& P) const;

    TLabelPlacer fLabels;
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
