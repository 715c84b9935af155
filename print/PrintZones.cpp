#include "print/PrintZones.h"

#include "model/Calc.h"
#include "platform/Numbers.h"
#include "print/PrintLayers.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {

constexpr double Pi = 3.14159265358979323846;

int32 ClampedRound(double v)
{
    if (!std::isfinite(v)) return 0;
    return Round(std::clamp(v, -2e9, 2e9));
}

// Sides of the box a region lies beyond: bits N 1, S 2, W 4, E 8.
uint8 RegionSides(uint8 Code)
{
    static constexpr uint8 sides[9] = {0, 1 | 4, 1 | 8, 2 | 4, 2 | 8, 1, 2, 4, 8};
    return Code < 9 ? sides[Code] : 0;
}

} // namespace

TZoneBox ZoneBox(int32 LatMin, int32 LatMax, int32 LonMin, int32 LonMax)
{
    const double dLat = (double(LatMax) - LatMin) / 2, dLon = (double(LonMax) - LonMin) / 2;
    return {ClampedRound(LatMin - dLat), ClampedRound(LatMax + dLat), ClampedRound(LonMin - dLon),
            ClampedRound(LonMax + dLon)};
}

uint8 ZoneRegionCode(const TZoneBox& B, const TPos& P)
{
    const bool n = P.Lat >= B.N, s = P.Lat <= B.S, w = P.Lon <= B.W, e = P.Lon >= B.E;
    if (n) return w ? 1 : e ? 2 : 5;
    if (s) return w ? 3 : e ? 4 : 6;
    return w ? 7 : e ? 8 : 0;
}

bool ZoneEdgeVisible(uint8 C1, uint8 C2)
{
    return (RegionSides(C1) & RegionSides(C2)) == 0;
}

int32 LongAtLat(const TPos& A, const TPos& B, int32 Lat)
{
    if (B.Lat == A.Lat) return A.Lon;
    return ClampedRound((double(B.Lon) - A.Lon) * (double(Lat) - A.Lat) / (double(B.Lat) - A.Lat) + A.Lon);
}

int32 LatAtLong(const TPos& A, const TPos& B, int32 Lon)
{
    if (B.Lon == A.Lon) return A.Lat;
    return ClampedRound((double(B.Lat) - A.Lat) * (double(Lon) - A.Lon) / (double(B.Lon) - A.Lon) + A.Lat);
}

TPos ClipToZoneBox(const TZoneBox& Box, const TPos& A, const TPos& B, uint8 Code)
{
    TPos R = A;
    auto onLat = [&](int32 lat) {
        R.Lat = lat;
        R.Lon = LongAtLat(A, B, lat);
    };
    auto onLon = [&](int32 lon) {
        R.Lon = lon;
        R.Lat = LatAtLong(A, B, lon);
    };
    switch (Code) {
    case 5:
        onLat(Box.N);
        break;
    case 6:
        onLat(Box.S);
        break;
    case 7:
        onLon(Box.W);
        break;
    case 8:
        onLon(Box.E);
        break;
    case 1:
    case 3:
        onLat(Code == 1 ? Box.N : Box.S);
        if (R.Lon < Box.W) onLon(Box.W);
        break;
    case 2:
    case 4:
        onLat(Code == 2 ? Box.N : Box.S);
        if (R.Lon > Box.E) onLon(Box.E);
        break;
    default:
        break;
    }
    return R;
}

bool CircleInZoneBox(const TZoneBox& Box, const TPos& Centre, double RadiusKm)
{
    const uint8 code = ZoneRegionCode(Box, Centre);
    if (code == 0) return true;
    TPos Q;
    const uint8 s = RegionSides(code);
    Q.Lat = (s & 1) ? Box.N : (s & 2) ? Box.S : Centre.Lat;
    Q.Lon = (s & 4) ? Box.W : (s & 8) ? Box.E : Centre.Lon;
    return std::abs(RadiusKm) > Distance(Centre, Q);
}

std::vector<QPointF> ZoneArcPoints(QPointF C, QPointF S, QPointF E, double RadiusKm)
{
    const double r1 = std::hypot(S.x() - C.x(), S.y() - C.y());
    const double r2 = std::hypot(E.x() - C.x(), E.y() - C.y());
    if (!(r1 > 0) || !std::isfinite(r1) || !std::isfinite(r2)) return {S, E}; // the straight edge
    double a1 = std::atan2(S.y() - C.y(), S.x() - C.x());
    double a2 = std::atan2(E.y() - C.y(), E.x() - C.x());
    if (RadiusKm > 0 && a2 < a1) a2 += 2 * Pi;
    if (RadiusKm < 0 && a1 < a2) a1 += 2 * Pi;
    const double sweep = a2 - a1;
    // About one segment per 10 pixels of arc, at most one per 0.1 degree.
    const double byLength = std::abs(std::trunc(sweep * r1 / 10));
    const double byAngle = std::ceil(std::abs(sweep) * 1800 / Pi);
    const int n = int(std::max(2.0, std::min(byLength, byAngle)));
    std::vector<QPointF> pts;
    pts.reserve(size_t(n) + 2);
    pts.push_back(S);
    for (int i = 1; i <= n; ++i) {
        const double a = a1 + i * sweep / n, r = r1 + i * (r2 - r1) / n;
        pts.emplace_back(C.x() + r * std::cos(a), C.y() + r * std::sin(a));
    }
    pts.push_back(E);
    return pts;
}

void DrawPlanZones(TPlanDraw& D)
{
    if (!Smp) return;
    const TZoneBox box = ZoneBox(D.F.LatMin, D.F.LatMax, D.F.LonMin, D.F.LonMax);
    QPainter& P = D.P;
    P.save();
    P.setBrush(Qt::NoBrush);
    auto segment = [&](const TPos& A, const TPos& B) {
        const uint8 c1 = ZoneRegionCode(box, A), c2 = ZoneRegionCode(box, B);
        if (!ZoneEdgeVisible(c1, c2)) return;
        DrawPageLine(D, D.PosF(ClipToZoneBox(box, A, B, c1)), D.PosF(ClipToZoneBox(box, B, A, c2)));
    };
    const double kmToPx = 180 / Pi * 100000 / EarthRadiusKm;
    int k = 0;
    for (const TMpf* Z = Smp->First; Z; Z = Z->Next) {
        if (++k % 16 == 0 && !D.C.Yield()) break; // a zone may hold thousands of segments
        const TCtp& st = D.S.PrnZoneStyles[std::clamp<int>(Z->Class, 1, 10)];
        P.setPen(CtpPen(st, D.S.MonochBtn, D.C.PxPerMmY));
        if (!st.Draw) continue;
        const TPos* prevEnd = nullptr; // end of the outline so far
        const TPos* firstStart = nullptr;
        for (const TDrd* E = Z->First; E; E = E->Next) {
            if (E->Kind == dkCircle) {
                const double km = static_cast<const TDrd2*>(E)->Radius / 1000;
                if (CircleInZoneBox(box, *E, km)) {
                    const QPointF c = D.PosF(*E);
                    const double rx = std::abs(km) * D.F.ScaleX * kmToPx,
                                 ry = std::abs(km) * D.F.ScaleY * kmToPx;
                    if (std::max(rx, ry) < D.Limit && std::abs(c.x()) < D.Limit &&
                        std::abs(c.y()) < D.Limit) {
                        P.drawEllipse(c, double(Round(rx)), double(Round(ry)));
                    } else {
                        // Too large for the device's ellipse: its outline as cut segments.
                        std::vector<QPointF> pts;
                        pts.reserve(3601);
                        for (int i = 0; i <= 3600; ++i) {
                            const double a = i * Pi / 1800;
                            pts.emplace_back(c.x() + rx * std::cos(a), c.y() + ry * std::sin(a));
                        }
                        DrawPagePolyline(D, pts);
                    }
                }
                prevEnd = nullptr; // a circle stands alone
                continue;
            }
            if (E->Kind == dkArc) {
                const auto* A = static_cast<const TDrd1*>(E);
                if (prevEnd) segment(*prevEnd, A->StartPos);
                if (!firstStart) firstStart = &A->StartPos;
                const double km = A->Radius / 1000;
                if (CircleInZoneBox(box, A->Centre, km))
                    DrawPagePolyline(D,
                                     ZoneArcPoints(D.PosF(A->Centre), D.PosF(A->StartPos), D.PosF(*A), km));
            } else {
                if (prevEnd) segment(*prevEnd, *E);
                if (!firstStart) firstStart = E;
            }
            prevEnd = E;
        }
        // The outline is closed even when the file did not repeat its first point.
        if (prevEnd && firstStart && prevEnd != firstStart &&
            (prevEnd->Lat != firstStart->Lat || prevEnd->Lon != firstStart->Lon))
            segment(*prevEnd, *firstStart);
    }
    P.restore();
}
