#include "print/PlanProjection.h"

#include "files/MapCal.h"
#include "model/Options.h"
#include "platform/Numbers.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {

constexpr double Pi = 3.14159265358979323846;
constexpr double UnitToRad = Pi / 18000000.0;

int32 ClampAngle(double v, double lim)
{
    if (!std::isfinite(v)) return 0;
    return Round(std::clamp(v, -lim, lim));
}

} // namespace

TPlanProjection TPlanProjection::Make(int32 CtrLat, int32 CtrLon, double Zoom, int Width, int DrawHeight,
                                      const TMap* M)
{
    const double z = std::clamp(std::isfinite(Zoom) ? Zoom : 0.01, PlanZoomMin, PlanZoomMax);
    return MakeScaled(CtrLat, CtrLon, z, z, std::max(Width, 1) / 2.0, std::max(DrawHeight, 1) / 2.0, M);
}

TPlanProjection TPlanProjection::MakeScaled(int32 CtrLat, int32 CtrLon, double ScaleX, double ScaleY,
                                            double HalfW, double HalfH, const TMap* M)
{
    TPlanProjection Pr;
    Pr.CtrLat = CtrLat;
    Pr.CtrLon = CtrLon;
    Pr.Zoom = std::isfinite(ScaleX) && ScaleX > 0 ? ScaleX : PlanZoomMin;
    Pr.ZoomY = std::isfinite(ScaleY) && ScaleY > 0 ? ScaleY : PlanZoomMin;
    Pr.HalfW = std::max(HalfW, 0.5);
    Pr.HalfH = std::max(HalfH, 0.5);
    Pr.CosLat = std::max(std::cos(CtrLat * UnitToRad), 1e-6);
    if (!M || !M->Valid || !IniMapUsable(*M)) return Pr;

    int32 latMin, latMax, lonMin, lonMax;
    Pr.GeoBox(latMin, latMax, lonMin, lonMax);
    if (!(latMax >= M->Lati_Min && latMin <= M->Lati_Max && lonMax >= M->Long_Min && lonMin <= M->Long_Max))
        return Pr;
    const auto& p = M->Pos;
    const double den = double(p[0].Lati) + p[1].Lati - p[2].Lati - p[3].Lati;
    if (den == 0) return Pr;
    const double scale = (double(p[2].Y) + p[3].Y - p[0].Y - p[1].Y) / den;
    double ox = 0, oy = 0;
    if (!(scale > 0) || !std::isfinite(scale) || !IniMapPosToPixel(*M, CtrLat, CtrLon, ox, oy)) return Pr;
    Pr.MapCal = M;
    Pr.MapScale = scale;
    Pr.MapOriginX = ox;
    Pr.MapOriginY = oy;
    return Pr;
}

QPointF TPlanProjection::ToScreen(int32 Lat, int32 Lon) const
{
    if (MapScale != 0) {
        double x = 0, y = 0;
        if (IniMapPosToPixel(*MapCal, Lat, Lon, x, y))
            return {(x - MapOriginX) / MapScale * Zoom + HalfW, (y - MapOriginY) / MapScale * ZoomY + HalfH};
    }
    return {CosLat * (double(Lon) - CtrLon) * Zoom + HalfW, (double(CtrLat) - Lat) * ZoomY + HalfH};
}

void TPlanProjection::ToGeo(double X, double Y, int32& Lat, int32& Lon) const
{
    // Plain inverse, also the first guess through the map.
    double lat = CtrLat - (Y - HalfH) / ZoomY;
    double lon = CtrLon + (X - HalfW) / (CosLat * Zoom);
    if (MapScale != 0) {
        // The calibration has no closed inverse with its curvature terms: start from the
        // pixel-to-position conversion and refine with Newton steps on the forward one.
        const double mx = (X - HalfW) / Zoom * MapScale + MapOriginX;
        const double my = (Y - HalfH) / ZoomY * MapScale + MapOriginY;
        int32 gLat = 0, gLon = 0;
        // The inverse conversion leaves scratch terms in the map: work on a copy.
        TMap scratch;
        scratch.Pos = MapCal->Pos;
        scratch.aLong = MapCal->aLong;
        scratch.aLati = MapCal->aLati;
        scratch.aX = MapCal->aX;
        scratch.aY = MapCal->aY;
        if (std::abs(mx) < 2e9 && std::abs(my) < 2e9 &&
            IniMapPixelToPos(scratch, Round(mx), Round(my), true, gLat, gLon)) {
            lat = gLat;
            lon = gLon;
        }
        for (int it = 0; it < 8; ++it) {
            const int32 la = ClampAngle(lat, 9000000), lo = ClampAngle(lon, 36000000);
            double x0, y0, xa, ya, xo, yo;
            constexpr int32 step = 100;
            if (!IniMapPosToPixel(*MapCal, la, lo, x0, y0) ||
                !IniMapPosToPixel(*MapCal, la + step, lo, xa, ya) ||
                !IniMapPosToPixel(*MapCal, la, lo + step, xo, yo))
                break;
            // Jacobian d(pixel)/d(position) per unit.
            const double a = (xa - x0) / step, b = (xo - x0) / step;
            const double c = (ya - y0) / step, d = (yo - y0) / step;
            const double det = a * d - b * c;
            if (det == 0 || !std::isfinite(det)) break;
            const double ex = mx - x0, ey = my - y0;
            const double dLat = (d * ex - b * ey) / det;
            const double dLon = (a * ey - c * ex) / det;
            lat = la + dLat;
            lon = lo + dLon;
            if (std::abs(dLat) < 0.25 && std::abs(dLon) < 0.25) break;
        }
    }
    // Pans and zooms far out stay on the globe: -90..90 and -180..180 degrees.
    Lat = ClampAngle(lat, 9000000);
    Lon = ClampAngle(lon, 18000000);
}

void TPlanProjection::GeoBox(int32& LatMin, int32& LatMax, int32& LonMin, int32& LonMax) const
{
    const double xs[2] = {0, 2 * HalfW}, ys[2] = {0, 2 * HalfH};
    bool first = true;
    for (double x : xs)
        for (double y : ys) {
            int32 la, lo;
            ToGeo(x, y, la, lo);
            if (first) {
                LatMin = LatMax = la;
                LonMin = LonMax = lo;
                first = false;
            } else {
                LatMin = std::min(LatMin, la);
                LatMax = std::max(LatMax, la);
                LonMin = std::min(LonMin, lo);
                LonMax = std::max(LonMax, lo);
            }
        }
}

QRectF TPlanProjection::MapRect() const
{
    if (MapScale == 0 || !MapCal) return {};
    const int w = MapCal->Width > 0 ? MapCal->Width : MapCal->Image.width();
    const int h = MapCal->Height > 0 ? MapCal->Height : MapCal->Image.height();
    const double kx = Zoom / MapScale, ky = ZoomY / MapScale;
    return QRectF(HalfW - MapOriginX * kx, HalfH - MapOriginY * ky, w * kx, h * ky);
}

int TracePenWidth(const TTrj& T, const TRec& R, int BaseWidth)
{
    if (!Opt) return BaseWidth;
    if (R.Enl > double(T.EnlMax) * Opt->EngineRelLevel / 100.0 && R.Enl > Opt->EngineAbsLevel)
        return std::max(1, Opt->EngineCoefWidth) * BaseWidth;
    return BaseWidth;
}

bool ScaleBarLength(double W, TScaleBar& Bar)
{
    if (!(W > 0) || !std::isfinite(W)) return false;
    Bar.K = Round(3 * std::log10(W));
    Bar.M = int(FloorMod(Bar.K, 3));
    Bar.N = int(FloorDiv(Bar.K, 3));
    Bar.L = (Bar.M == 0 ? 1 : Bar.M == 1 ? 2 : 5) * std::pow(10.0, Bar.N);
    return true;
}

QString ScaleBarText(const TScaleBar& Bar)
{
    return Bar.N >= 0 ? QString::number(qint64(std::llround(Bar.L))) : FloatToStrC(Bar.L, -Bar.N);
}

void PaintMapUnderlay(QPainter& P, const TPlanProjection& Pr, const QRectF& Area)
{
    if (!Pr.ThroughMap() || Pr.MapCal->Image.isNull()) return;
    const QRectF target = Pr.MapRect();
    const QRectF shown = target.intersected(Area);
    if (shown.isEmpty() || target.width() <= 0 || target.height() <= 0) return;
    // Only the part of the image that lands in the area is stretched, without smoothing.
    const QImage& img = Pr.MapCal->Image;
    const double sx = img.width() / target.width(), sy = img.height() / target.height();
    const QRectF src((shown.left() - target.left()) * sx, (shown.top() - target.top()) * sy,
                     shown.width() * sx, shown.height() * sy);
    P.save();
    P.setRenderHint(QPainter::SmoothPixmapTransform, false);
    P.drawImage(shown, img, src);
    P.restore();
}
