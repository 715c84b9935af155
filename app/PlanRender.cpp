#include "app/PlanRender.h"

#include "files/MapCal.h"
#include "model/Calc.h"
#include "model/Options.h"
#include "model/Sector.h"
#include "platform/Numbers.h"
#include "platform/WinColor.h"
#include "print/PrintPage.h"

#include <QFontMetrics>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
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

QColor Col(TColorIndex i)
{
    return WinColorToQColor(Colors[i]);
}

// A segment whose two ends lie beyond the same side of the (enlarged) area cannot be seen.
bool SegmentOutside(const QPointF& a, const QPointF& b, const QRectF& r)
{
    return (a.x() < r.left() && b.x() < r.left()) || (a.x() > r.right() && b.x() > r.right()) ||
           (a.y() < r.top() && b.y() < r.top()) || (a.y() > r.bottom() && b.y() > r.bottom());
}

// Destination on the sphere from a centre by course (degrees) and distance (metres), in 1e-5
// degree.
TPos SphereDest(const TPos& C, double CourseDeg, double Metres)
{
    const double lat1 = C.Lat * UnitToRad, lon1 = C.Lon * UnitToRad;
    const double d = Metres / (EarthRadiusKm * 1000.0);
    const double brg = CourseDeg * Pi / 180.0;
    const double lat2 =
        std::asin(std::sin(lat1) * std::cos(d) + std::cos(lat1) * std::sin(d) * std::cos(brg));
    const double lon2 = lon1 + std::atan2(std::sin(brg) * std::sin(d) * std::cos(lat1),
                                          std::cos(d) - std::sin(lat1) * std::sin(lat2));
    TPos P;
    P.Lat = ClampAngle(lat2 / UnitToRad, 9000000);
    P.Lon = ClampAngle(lon2 / UnitToRad, 36000000);
    return P;
}

// Course in degrees 0..360 from a centre to a point on the sphere.
double SphereCourse(const TPos& C, const TPos& P)
{
    const double lat1 = C.Lat * UnitToRad, lat2 = P.Lat * UnitToRad;
    const double dl = (P.Lon - C.Lon) * UnitToRad;
    const double y = std::sin(dl) * std::cos(lat2);
    const double x = std::cos(lat1) * std::sin(lat2) - std::sin(lat1) * std::cos(lat2) * std::cos(dl);
    double b = std::atan2(y, x) * 180.0 / Pi;
    if (b < 0) b += 360.0;
    return b;
}

bool BoxesOverlap(int32 aLatMin, int32 aLatMax, int32 aLonMin, int32 aLonMax, int32 bLatMin, int32 bLatMax,
                  int32 bLonMin, int32 bLonMax)
{
    return aLatMax >= bLatMin && aLatMin <= bLatMax && aLonMax >= bLonMin && aLonMin <= bLonMax;
}

// Pushes the projected points of a list of fixes as polylines: a fix of kind 1 lifts the pen,
// fixes at latitude or longitude 0 are skipped, segments that cannot be seen break the line,
// and the pen width follows the engine-noise rule.
void DrawFixes(QPainter& P, const QRectF& Area, const TPlanProjection& Pr, const TTrj& T, const TRec* From,
               const TRec* To, QPen Pen, int BaseWidth, bool Engine)
{
    std::vector<QPointF> run;
    run.reserve(4096);
    int runWidth = BaseWidth;
    auto flush = [&]() {
        if (run.size() >= 2) {
            Pen.setWidth(runWidth);
            P.setPen(Pen);
            P.drawPolyline(run.data(), int(run.size()));
        }
        run.clear();
    };
    bool havePrev = false;
    QPointF prev;
    for (const TRec* R = From; R; R = R->Next) {
        if (R->Lat != 0 && R->Lon != 0) {
            const QPointF q = Pr.ToScreen(R->Lat, R->Lon);
            const int w = Engine ? TracePenWidth(T, *R, BaseWidth) : BaseWidth;
            if (!havePrev || R->Kind == 1 || SegmentOutside(prev, q, Area)) {
                flush();
            } else {
                if (!run.empty() && w != runWidth) flush(); // the segment ending at R takes R's width
                if (run.empty()) {
                    run.push_back(prev);
                    runWidth = w;
                }
                run.push_back(q);
            }
            prev = q;
            havePrev = true;
        }
        if (R == To) break;
    }
    flush();
}

// Closed ring clipped to a rectangle (Sutherland-Hodgman): the part outside becomes edges along
// the rectangle, which lies beyond the visible area, so that pens and dashes only ever run over
// a bounded length whatever the zoom.
QPolygonF ClipRing(const QPolygonF& Ring, const QRectF& R)
{
    QPolygonF cur = Ring;
    for (int side = 0; side < 4 && !cur.isEmpty(); ++side) {
        auto inside = [&](const QPointF& p) {
            switch (side) {
            case 0:
                return p.x() >= R.left();
            case 1:
                return p.x() <= R.right();
            case 2:
                return p.y() >= R.top();
            default:
                return p.y() <= R.bottom();
            }
        };
        auto cross = [&](const QPointF& a, const QPointF& b) {
            double t;
            switch (side) {
            case 0:
                t = (R.left() - a.x()) / (b.x() - a.x());
                break;
            case 1:
                t = (R.right() - a.x()) / (b.x() - a.x());
                break;
            case 2:
                t = (R.top() - a.y()) / (b.y() - a.y());
                break;
            default:
                t = (R.bottom() - a.y()) / (b.y() - a.y());
                break;
            }
            return a + (b - a) * t;
        };
        QPolygonF out;
        out.reserve(cur.size() + 4);
        for (qsizetype i = 0; i < cur.size(); ++i) {
            const QPointF& a = cur[i];
            const QPointF& b = cur[(i + 1) % cur.size()];
            const bool ia = inside(a), ib = inside(b);
            if (ia) out.append(a);
            if (ia != ib) out.append(cross(a, b));
        }
        cur = std::move(out);
    }
    return cur;
}

} // namespace

// ---- Fit ------------------------------------------------------------------------------------

double FitZoom(int32 LatMin, int32 LatMax, int32 LonMin, int32 LonMax, int Width, int DrawHeight,
               int32& CtrLat, int32& CtrLon)
{
    CtrLat = Round((double(LatMin) + LatMax) / 2);
    CtrLon = Round((double(LonMin) + LonMax) / 2);
    const double c = std::max(std::cos(CtrLat * UnitToRad), 1e-6);
    const double dLon = std::max(double(LonMax) - LonMin, 100.0);
    const double dLat = std::max(double(LatMax) - LatMin, 100.0);
    const double z = std::min(std::max(Width, 1) * 0.9 / (dLon * c), std::max(DrawHeight, 1) * 0.9 / dLat);
    return std::clamp(z, PlanZoomMin, PlanZoomMax);
}

// ---- Zones ----------------------------------------------------------------------------------

TZoneOutline BuildZoneOutline(const TMpf& Z)
{
    TZoneOutline O;
    O.Zone = &Z;
    O.Class = Z.Class;
    std::vector<TPos> ring;
    auto closeRing = [&]() {
        if (ring.size() >= 2) O.Rings.push_back(std::move(ring));
        ring.clear();
    };
    for (const TDrd* D = Z.First; D; D = D->Next) {
        if (D->Kind == dkCircle) {
            const auto* C = static_cast<const TDrd2*>(D);
            std::vector<TPos> circle;
            circle.reserve(73);
            for (int i = 0; i <= 72; ++i) circle.push_back(SphereDest(*C, i * 5.0, std::abs(C->Radius)));
            O.Rings.push_back(std::move(circle));
        } else if (D->Kind == dkArc) {
            const auto* A = static_cast<const TDrd1*>(D);
            const double b0 = SphereCourse(A->Centre, A->StartPos);
            const double b1 = SphereCourse(A->Centre, *A);
            double sweep = b1 - b0;
            if (A->Radius >= 0) {
                while (sweep <= 0) sweep += 360;
            } else {
                while (sweep >= 0) sweep -= 360;
            }
            const int n = std::max(1, int(std::ceil(std::abs(sweep) / 5.0)));
            ring.push_back(A->StartPos);
            for (int i = 1; i < n; ++i)
                ring.push_back(SphereDest(A->Centre, b0 + sweep * i / n, std::abs(A->Radius)));
            ring.push_back(*A);
        } else {
            ring.push_back(*D);
        }
    }
    closeRing();
    bool first = true;
    for (const auto& r : O.Rings)
        for (const TPos& p : r) {
            if (first) {
                O.LatMin = O.LatMax = p.Lat;
                O.LonMin = O.LonMax = p.Lon;
                first = false;
            } else {
                O.LatMin = std::min(O.LatMin, p.Lat);
                O.LatMax = std::max(O.LatMax, p.Lat);
                O.LonMin = std::min(O.LonMin, p.Lon);
                O.LonMax = std::max(O.LonMax, p.Lon);
            }
        }
    return O;
}

void TPlanRenderer::Invalidate()
{
    fGeoSmp = nullptr;
    fGeoCount = -1;
    fGeo.clear();
    fScreenValid = false;
    fScreen.clear();
}

void TPlanRenderer::UpdateZoneCache(const QSize& Size, const TPlanProjection& Pr)
{
    if (fGeoSmp != Smp || fGeoCount != (Smp ? Smp->Count : -1)) {
        fGeo.clear();
        fGeoSmp = Smp;
        fGeoCount = Smp ? Smp->Count : -1;
        if (Smp)
            for (const TMpf* Z = Smp->First; Z; Z = Z->Next) fGeo.push_back(BuildZoneOutline(*Z));
        fScreenValid = false;
    }
    if (fScreenValid && fScreenPr == Pr && fScreenSize == Size) return;
    fScreen.clear();
    int32 latMin, latMax, lonMin, lonMax;
    Pr.GeoBox(latMin, latMax, lonMin, lonMax);
    const QRectF clip(-500, -500, Size.width() + 1000, Size.height() + 1000);
    for (const TZoneOutline& O : fGeo) {
        if (O.Rings.empty() ||
            !BoxesOverlap(O.LatMin, O.LatMax, O.LonMin, O.LonMax, latMin, latMax, lonMin, lonMax))
            continue;
        TScreenZone S{O.Class, {}};
        for (const auto& r : O.Rings) {
            QPolygonF poly;
            poly.reserve(qsizetype(r.size()));
            for (const TPos& p : r) poly.append(Pr.ToScreen(p));
            if (!clip.contains(poly.boundingRect())) poly = ClipRing(poly, clip);
            if (poly.size() >= 2) S.Rings.push_back(std::move(poly));
        }
        fScreen.push_back(std::move(S));
    }
    fScreenPr = Pr;
    fScreenSize = Size;
    fScreenValid = true;
}

void TPlanRenderer::PaintZones(QPainter& P, const QSize& Size, const TPlanProjection& Pr)
{
    if (!Smp || !Opt) return;
    UpdateZoneCache(Size, Pr);
    P.setBrush(Qt::NoBrush);
    for (const TScreenZone& S : fScreen) {
        const TCtp& st = Opt->ZoneStyles[std::min<int>(S.Class, 10)];
        if (!st.Draw) continue;
        QPen pen(WinColorToQColor(st.Color), std::max<int>(1, st.Width), CtpPenStyle(st.Style));
        P.setPen(pen);
        for (const QPolygonF& r : S.Rings) P.drawPolygon(r);
    }
}

// ---- Other layers ---------------------------------------------------------------------------

void TPlanRenderer::PaintMap(QPainter& P, const TPlanProjection& Pr)
{
    PaintMapUnderlay(P, Pr, QRectF(0, 0, 2 * Pr.HalfW, 2 * Pr.HalfH));
}

void TPlanRenderer::PaintWaypoints(QPainter& P, const QSize& Size, const TPlanProjection& Pr,
                                   const TWpt* Marked)
{
    if (!Swp) return;
    const QRectF area(-20, -20, Size.width() + 40, 2 * Pr.HalfH + 40);
    std::vector<std::pair<QPointF, const TWpt*>> shown;
    shown.reserve(Swp->Count);
    for (const TWpt* W = Swp->First; W; W = W->Next) {
        const QPointF q = Pr.ToScreen(*W);
        if (area.contains(q)) shown.emplace_back(q, W);
    }
    constexpr double r = 3;
    std::vector<QRectF> marks;
    marks.reserve(shown.size());
    for (const auto& s : shown) marks.emplace_back(s.first.x() - r, s.first.y() - r, 2 * r, 2 * r);
    P.setPen(QPen(Col(ciWaypoint), 1));
    P.setBrush(Qt::NoBrush);
    P.drawRects(marks.data(), int(marks.size()));
    // Names only while they have room: about one waypoint per 60 x 30 pixels, and none over
    // a name already written.
    const double room = double(Size.width()) * 2 * Pr.HalfH / (60.0 * 30.0);
    if (double(shown.size()) <= room) {
        const QFontMetrics fm(P.font());
        const int asc = fm.ascent() / 2;
        for (const auto& s : shown) {
            const QPointF at(s.first.x() + 2 * r + 1, s.first.y() + asc);
            if (PlaceLabel(P, at, s.second->Name)) P.drawText(at, s.second->Name);
        }
    }
    if (Marked) {
        const QPointF q = Pr.ToScreen(*Marked);
        P.setPen(QPen(Col(ciSelWaypoint), 2));
        P.drawRect(QRectF(q.x() - 7, q.y() - 7, 14, 14));
    }
}

namespace {

void DrawArrow(QPainter& P, QPointF Tip, double CourseDeg, double Len)
{
    const double a = CourseDeg * Pi / 180.0;
    // Screen direction of the course: x east, y south.
    const QPointF dir(std::sin(a), -std::cos(a));
    const QPointF back = Tip - dir * Len;
    const QPointF side(-dir.y(), dir.x());
    const QPointF pts[3] = {Tip, back + side * (Len * 0.5), back - side * (Len * 0.5)};
    P.drawPolygon(pts, 3);
}

const TRec* FixAtTime(const TTrj& T, int32 Time)
{
    const TRec* best = nullptr;
    int64_t gap = 0;
    for (const TRec* R = T.First; R; R = R->Next) {
        const int64_t g = std::llabs(int64_t(R->Time) - Time);
        if (!best || g < gap) {
            best = R;
            gap = g;
        }
        if (R->Time > Time && best != R) break;
    }
    return best;
}

} // namespace

bool TPlanRenderer::PlaceLabel(const QPainter& P, const QPointF& Baseline, const QString& Text)
{
    if (Text.isEmpty()) return false;
    const QFontMetricsF fm(P.font());
    // A pixel of margin keeps touching names apart.
    const QRect box = QRectF(Baseline.x() - 1, Baseline.y() - fm.ascent() - 1, fm.horizontalAdvance(Text) + 2,
                             fm.height() + 2)
                          .toAlignedRect();
    if (!fLabels.Place(box)) return false;
    fLabelBoxes.push_back(box);
    return true;
}

QFont TPlanRenderer::TaskFont(const QPainter& P) const
{
    QFont f = P.font();
    f.setBold(true);
    return f;
}

void TPlanRenderer::ReserveTaskLabels(QPainter& P, const TPlanProjection& Pr)
{
    fTaskLabels.clear();
    fTaskReserved = false;
    if (!Stn || !Stn->First || !Opt) return;
    P.save();
    P.setFont(TaskFont(P));
    const QFontMetrics fm(P.font());
    for (const TTrn* T = Stn->First; T; T = T->Next) {
        const QPointF q = Pr.ToScreen(*T);
        fTaskLabels.push_back(PlaceLabel(P, QPointF(q.x() + 7, q.y() + fm.ascent() / 2), T->Name));
    }
    P.restore();
    fTaskReserved = true;
}

void TPlanRenderer::PaintTask(QPainter& P, const TPlanProjection& Pr, const std::vector<double>& SearchRadii)
{
    // Painted alone (not from Paint): the turn-point names take their places now.
    if (!fTaskReserved) ReserveTaskLabels(P, Pr);
    fTaskReserved = false;
    if (!Stn || !Stn->First || !Opt) return;
    const QColor task = Col(ciTask);
    // Legs between consecutive turn points with a direction arrow in the middle.
    if (Opt->LigneEntreSecteur) {
        P.setPen(QPen(task, 1));
        P.setBrush(task);
        for (const TTrn* T = Stn->First; T && T->Next; T = T->Next) {
            const TTrn* N = T->Next;
            if (N->Num != T->Num + 1) continue;
            const QPointF a = Pr.ToScreen(*Stn->TrnPos(T)), b = Pr.ToScreen(*Stn->TrnPos(N));
            P.drawLine(a, b);
            if (QLineF(a, b).length() > 30) DrawArrow(P, (a + b) / 2, Bearing(*T, *N), 9);
        }
    }
    // Sectors.
    P.setBrush(Qt::NoBrush);
    P.setPen(QPen(Col(ciSector), 1));
    for (const TTrn* T = Stn->First; T; T = T->Next) {
        const TPos& c = *Stn->TrnPos(T);
        const QPointF pc = Pr.ToScreen(c);
        if (std::abs(pc.x()) > 1e6 || std::abs(pc.y()) > 1e6) continue;
        const QPointF pn = T->Next ? Pr.ToScreen(*Stn->TrnPos(T->Next)) : pc;
        BuildSector(P, pc.toPoint(), pn.toPoint(), SectOrientation(*Stn, *T), Pr.Zoom, Pr.Zoom, TrnKind(*T),
                    T->Sect);
    }
    // Search cylinders of the circuit search.
    if (!SearchRadii.empty()) {
        P.setPen(QPen(Col(ciSector), 1, Qt::DashLine));
        size_t i = 0;
        for (const TTrn* T = Stn->First; T && i < SearchRadii.size(); T = T->Next, ++i) {
            const double rm = SearchRadii[i];
            if (!(rm > 0)) continue;
            const double rp = rm / MetresPerUnit * Pr.Zoom;
            P.drawEllipse(Pr.ToScreen(*Stn->TrnPos(T)), rp, rp);
        }
    }
    // Turn-point marks with their names; the selected one and the passages stand out.
    const QFont f = TaskFont(P);
    P.save();
    P.setFont(f);
    const QFontMetrics fm(f);
    int idx = 0;
    for (const TTrn* T = Stn->First; T; T = T->Next, ++idx) {
        const QPointF q = Pr.ToScreen(*T);
        const bool sel = Trj && Trj->SelTrnIdx == idx;
        P.setPen(QPen(sel ? Col(ciSelTrn) : task, sel ? 2 : 1));
        P.setBrush(Qt::white);
        P.drawEllipse(q, 4, 4);
        P.setPen(task);
        if (size_t(idx) < fTaskLabels.size() && fTaskLabels[size_t(idx)])
            P.drawText(QPointF(q.x() + 7, q.y() + fm.ascent() / 2), T->Name);
        if (T->Reached > 0 && Trj) {
            if (const TRec* R = FixAtTime(*Trj, T->Time)) {
                P.setPen(Col(ciReached));
                P.setBrush(Col(ciReached));
                P.drawEllipse(Pr.ToScreen(*R), 4, 4);
            }
        }
    }
    P.restore();
}

void TPlanRenderer::PaintTrace(QPainter& P, const QSize& Size, const TPlanProjection& Pr, const TTrj& T,
                               bool Current)
{
    if (!T.First) return;
    const QRectF area(-50, -50, Size.width() + 100, 2 * Pr.HalfH + 100);
    if (!Current) {
        DrawFixes(P, area, Pr, T, T.First, T.Last, QPen(Col(ciOtherTrj), 1), 1, false);
        return;
    }
    DrawFixes(P, area, Pr, T, T.First, T.Last, QPen(Col(ciTrace), 1), 1, true);
    const bool partial = T.SelFirst && T.SelLast && (T.SelFirst != T.First || T.SelLast != T.Last);
    if (partial) {
        const int w = std::max(1, Opt ? Opt->SelWidth : 2);
        DrawFixes(P, area, Pr, T, T.SelFirst, T.SelLast, QPen(Col(ciSelection), w), w, true);
    }
}

void TPlanRenderer::PaintLive(QPainter& P, const TPlanProjection& Pr)
{
    if (!Trj || !Trj->LiveRec) return;
    const QRectF area(-50, -50, 2 * Pr.HalfW + 100, 2 * Pr.HalfH + 100);
    DrawFixes(P, area, Pr, *Trj, Trj->LiveRec, Trj->Last, QPen(Col(ciLive), 2), 2, false);
}

void TPlanRenderer::PaintCursor(QPainter& P, const TPlanProjection& Pr, const TRec& R)
{
    const QPointF q = Pr.ToScreen(R);
    P.setPen(QPen(Col(ciCursor), 2));
    P.setBrush(Qt::NoBrush);
    P.drawEllipse(q, 6, 6);
    P.drawLine(q - QPointF(11, 0), q - QPointF(4, 0));
    P.drawLine(q + QPointF(4, 0), q + QPointF(11, 0));
    P.drawLine(q - QPointF(0, 11), q - QPointF(0, 4));
    P.drawLine(q + QPointF(0, 4), q + QPointF(0, 11));
}

void TPlanRenderer::PaintScaleBand(QPainter& P, const QSize& Size, int BottomBand, const TPlanProjection& Pr)
{
    if (BottomBand <= 0) return;
    const int top = Size.height() - BottomBand;
    P.fillRect(QRect(0, top, Size.width(), BottomBand), Col(ciPlanBack));
    P.setPen(Col(ciPlanGrid));
    P.drawLine(0, top, Size.width(), top);
    // Ground length of 30 % of the width across the centre, in the display unit.
    TPos a, b;
    Pr.ToGeo(Pr.HalfW * 0.35, Pr.HalfH, a.Lat, a.Lon);
    Pr.ToGeo(Pr.HalfW * 0.35 + Size.width() * 0.3, Pr.HalfH, b.Lat, b.Lon);
    double f = 1;
    QString unit;
    DistUnit(f, unit);
    const double w = Distance(a, b) / f;
    TScaleBar bar;
    if (!ScaleBarLength(w, bar)) return;
    const double barPx = Size.width() * 0.3 * bar.L / w;
    const QFontMetrics fm(P.font());
    const double x0 = 10 + fm.horizontalAdvance(QStringLiteral("0")), x1 = x0 + barPx;
    const double yBar = top + BottomBand * 0.35;
    const QColor text = Col(ciPlanText);
    P.setPen(QPen(text, 2));
    P.drawLine(QPointF(x0, yBar), QPointF(x1, yBar));
    P.setPen(QPen(text, 1));
    const int ticks = bar.M == 0 ? 10 : bar.M == 1 ? 4 : 5;
    for (int i = 0; i <= ticks; ++i) {
        const double x = x0 + barPx * i / ticks;
        const double len = (i == 0 || i == ticks) ? BottomBand * 0.25 : BottomBand * 0.12;
        P.drawLine(QPointF(x, yBar - len), QPointF(x, yBar));
    }
    const QString lText = ScaleBarText(bar);
    const double yText = top + BottomBand * 0.35 + fm.ascent() + 2;
    P.drawText(QPointF(x0 - fm.horizontalAdvance(QStringLiteral("0")) / 2.0, yText), QStringLiteral("0"));
    P.drawText(QPointF(x1 - fm.horizontalAdvance(lText) / 2.0, yText), lText);
    const QString u = QStringLiteral("(") + unit + QStringLiteral(")");
    P.drawText(QPointF((x0 + x1) / 2 - fm.horizontalAdvance(u) / 2.0, yText), u);
}

void TPlanRenderer::Paint(QPainter& P, const QSize& Size, int BottomBand, const TPlanProjection& Pr,
                          const TPlanMarks& Marks)
{
    P.fillRect(QRect(QPoint(0, 0), Size), Col(ciPlanBack));
    P.save();
    P.setClipRect(QRect(0, 0, Size.width(), std::max(0, Size.height() - BottomBand)));
    PaintMap(P, Pr);
    PaintZones(P, Size, Pr);
    fLabels = TLabelPlacer();
    fLabelBoxes.clear();
    ReserveTaskLabels(P, Pr);
    PaintWaypoints(P, Size, Pr, Marks.MarkedWpt);
    PaintTask(P, Pr, Marks.SearchRadii);
    if (SyncTrj)
        for (const TTrj* T = FirstTrj; T; T = T->NextTrj)
            if (T != Trj) PaintTrace(P, Size, Pr, *T, false);
    if (Trj) PaintTrace(P, Size, Pr, *Trj, true);
    if (Marks.Live) PaintLive(P, Pr);
    if (Marks.Cursor) PaintCursor(P, Pr, *Marks.Cursor);
    P.restore();
    PaintScaleBand(P, Size, BottomBand, Pr);
}
