#pragma once
// The plan projection shared by the screen view and the printed plan: longitude scaled by the
// cosine of the centre latitude, so many pixels per 1e-5 degree horizontally and vertically;
// or through the map calibration when the scanned map lies under the plan. Also the small
// rules both plans draw with: the engine-noise pen width, the scale bar's length and the
// scanned map underlay.
#include "model/Define.h"

#include <QPointF>
#include <QRectF>

class QPainter;

// Limits of the plan view's zoom (pixels per 1e-5 degree): about 1:50,000,000 to 1:1,000.
constexpr double PlanZoomMin = 1e-5;
constexpr double PlanZoomMax = 50.0;

class TPlanProjection
{
public:
    int32 CtrLat = 0;
    int32 CtrLon = 0;
    double Zoom = 0.01;  // pixels per 1e-5 degree, horizontally
    double ZoomY = 0.01; // and vertically (printers may differ in both directions)
    double HalfW = 0;    // w: half the drawing width
    double HalfH = 0;    // h: half the drawing height (less the scale band)
    double CosLat = 1;
    // Through the map calibration when MapScale is not 0: map image pixel of the centre and map
    // pixels per 1e-5 degree of latitude.
    const TMap* MapCal = nullptr;
    double MapOriginX = 0;
    double MapOriginY = 0;
    double MapScale = 0;

    // Screen projection of a Width x DrawHeight drawing area around the centre, the zoom held
    // to the view's limits. With a map that is usable (calibrated, four points, no zero
    // divisor) and whose bounds overlap the area, the projection goes through its calibration.
    static TPlanProjection Make(int32 CtrLat, int32 CtrLon, double Zoom, int Width, int DrawHeight,
                                const TMap* Map = nullptr);
    // The same with scales of their own in both directions, taken as they are (positive and
    // finite). HalfW and HalfH are given in pixels.
    static TPlanProjection MakeScaled(int32 CtrLat, int32 CtrLon, double ScaleX, double ScaleY, double HalfW,
                                      double HalfH, const TMap* Map = nullptr);

    bool ThroughMap() const { return MapScale != 0; }
    QPointF ToScreen(int32 Lat, int32 Lon) const;
    QPointF ToScreen(const TPos& P) const { return ToScreen(P.Lat, P.Lon); }
    // The inverse: the position under a pixel (to the 1e-5 degree).
    void ToGeo(double X, double Y, int32& Lat, int32& Lon) const;
    // Box of positions covered by the drawing area (plain projection; with the map, the box of
    // the four corners).
    void GeoBox(int32& LatMin, int32& LatMax, int32& LonMin, int32& LonMax) const;
    // Where the scanned map image lands (only meaningful through the map).
    QRectF MapRect() const;
    bool operator==(const TPlanProjection&) const = default;
};

// Pen width of a trace segment ending at fix R: widened by the engine-noise rule (the width
// times Opt->EngineCoefWidth when R's noise passes both EnlMax x EngineRelLevel / 100 and
// EngineAbsLevel).
int TracePenWidth(const TTrj& T, const TRec& R, int BaseWidth);

// The scale bar of a ground length W (display unit) across 30 % of the width: the round length
// L = 1, 2 or 5 x 10^N (M = 0, 1, 2) nearest W on a logarithmic scale. False when W is not a
// positive number.
struct TScaleBar
{
    int K = 0, M = 0, N = 0;
    double L = 0;
};
bool ScaleBarLength(double W, TScaleBar& Bar);
// The bar's length as a text: N + 1 digits when N >= 0, |N| decimals otherwise.
QString ScaleBarText(const TScaleBar& Bar);

// Draws the part of the scanned map image landing inside Area (drawing pixels), unsmoothed.
void PaintMapUnderlay(QPainter& P, const TPlanProjection& Pr, const QRectF& Area);
