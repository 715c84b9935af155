// Observation zones of turn points (geometry described in Sector.h).
#include "model/Sector.h"
#include "model/Calc.h"
#include "model/ModelUi.h"
#include "model/Options.h"

#include <QPainter>
#include <QPolygonF>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace {

constexpr double RadPerDeg = std::numbers::pi / 180.0;

double Norm360(double a)
{
    double r = std::fmod(a, 360.0);
    if (r < 0) r += 360.0;
    return r >= 360.0 ? r - 360.0 : r;
}

// Angle between two courses, 0..180.
double CourseGap(double a, double b)
{
    const double d = Norm360(a - b);
    return d > 180.0 ? 360.0 - d : d;
}

// A half-angle of 0 (or 180 and more) is a full circle.
double HalfAngle(int32 v)
{
    return (v <= 0 || v >= 180) ? 180.0 : double(v);
}

enum class TShape
{
    Lines,
    Ring,
    CourseLine,
    Curve
};

// A sector with its shape resolved for its kind.
struct TZone
{
    TShape Shape = TShape::Lines;
    double Ri = 0, Re = 0;     // m
    double Ai = 180, Ae = 180; // half-angles, 0 < A <= 180
    double Course = 0;         // course of the line of a "Droite suivant cap"
    bool Open = false;
    double Reach() const { return std::max(Ri, Re); }
};

TZone ResolveZone(uint8 Kind, const TSect& Sect)
{
    const uint8 kind = std::min<uint8>(Kind, siExtFinish);
    const TSect& S = EffectiveSect(Sect, kind);
    TZone z;
    if (S.Type_Sect == 2) {
        if (kind == siTurn)
            z.Shape = TShape::Ring;
        else if (kind == siFinish || kind == siExtFinish)
            z.Shape = TShape::CourseLine;
        else if (kind == siExtStart)
            z.Shape = TShape::Curve;
    }
    z.Ri = std::max(0, S.Rayon_Int);
    z.Re = std::max(0, S.Rayon_Ext);
    z.Ai = HalfAngle(S.Angle_Int);
    z.Ae = HalfAngle(S.Angle_Ext);
    z.Course = Norm360(S.Angle_Ext);
    z.Open = S.Zone_Fermee != 0;
    return z;
}

// Axis of the half disc of a "Droite suivant cap": the side of the line the leg points to.
double CourseLineAxis(const TZone& z, double Orientation)
{
    return std::sin((Orientation - z.Course) * RadPerDeg) >= 0 ? Norm360(z.Course + 90.0)
                                                               : Norm360(z.Course - 90.0);
}

// Membership knowing the distance (m) from the centre; the course is computed only when needed.
bool InZone(const TZone& z, const TPos& P, const TPos& C, const TPos* Next, double Orientation, double d)
{
    if (d > z.Reach()) return false;
    auto gap = [&](double axis) { return d < 1e-6 ? 0.0 : CourseGap(Bearing(C, P), axis); };
    switch (z.Shape) {
    case TShape::Ring:
        return d >= z.Ri && d <= z.Re;
    case TShape::CourseLine:
        return d <= z.Re && gap(CourseLineAxis(z, Orientation)) <= 90.0;
    case TShape::Curve:
        if (d <= z.Ri) return true;
        if (d > z.Re) return false;
        // Without a next point elsewhere the curve is straight, across the axis.
        if (!Next || (Next->Lat == C.Lat && Next->Lon == C.Lon)) return gap(Orientation) <= 90.0;
        return Distance(P, *Next) >= Distance(C, *Next);
    case TShape::Lines:
        break;
    }
    const bool inInner = d <= z.Ri, inOuter = d <= z.Re;
    if (!inInner && !inOuter) return false;
    if ((inInner && z.Ai >= 180.0) || (inOuter && z.Ae >= 180.0)) return true;
    const double a = gap(Orientation);
    return (inInner && a <= z.Ai) || (inOuter && a <= z.Ae);
}

// ---- Drawing ------------------------------------------------------------------------------

// Turns courses and metres around the centre into pixels.
class TPlot
{
public:
    TPlot(QPainter& canvas, QPointF centre, double ppmX, double ppmY)
        : fCanvas(canvas), fCentre(centre), fPpmX(ppmX), fPpmY(ppmY)
    {
    }

    QPointF At(QPointF origin, double course, double r) const
    {
        const double t = course * RadPerDeg;
        return {origin.x() + r * std::sin(t) * fPpmX, origin.y() - r * std::cos(t) * fPpmY};
    }
    QPointF At(double course, double r) const { return At(fCentre, course, r); }

    // Arc of radius r (m) around origin from course c1 clockwise to course c2 (c2 >= c1).
    void Arc(QPointF origin, double c1, double c2, double r) const
    {
        if (r <= 0 || c2 <= c1) return;
        const double rPx = r * std::max(fPpmX, fPpmY);
        // Step keeping the chord within about a third of a pixel of the circle.
        const double step = std::clamp(2.0 * std::sqrt(0.7 / std::max(rPx, 1e-9)) / RadPerDeg, 0.25, 10.0);
        const int n = std::clamp(int(std::ceil((c2 - c1) / step)), 2, 2000);
        QPolygonF poly;
        poly.reserve(n + 1);
        for (int i = 0; i <= n; ++i) poly << At(origin, c1 + (c2 - c1) * i / n, r);
        fCanvas.drawPolyline(poly);
    }
    void Arc(double c1, double c2, double r) const { Arc(fCentre, c1, c2, r); }

    void Edge(double course, double r1, double r2) const
    {
        if (r1 == r2) return;
        fCanvas.drawLine(At(course, r1), At(course, r2));
    }

    QPointF Centre() const { return fCentre; }
    double PpmX() const { return fPpmX; }
    double PpmY() const { return fPpmY; }

private:
    QPainter& fCanvas;
    QPointF fCentre;
    double fPpmX, fPpmY;
};

// Outline of the union of the inner and outer parts of a "Droites et cercles" zone.
void DrawLines(const TPlot& plot, const TZone& z, double O)
{
    struct Part
    {
        double R, A;
    };
    std::vector<Part> parts;
    if (z.Ri > 0) parts.push_back({z.Ri, z.Ai});
    if (z.Re > 0) parts.push_back({z.Re, z.Ae});
    if (parts.empty()) return;

    std::vector<double> cuts = {0.0, 180.0};
    for (const Part& p : parts) cuts.push_back(p.A);
    std::sort(cuts.begin(), cuts.end());
    cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());

    // Radius of the zone over (lo, hi): the largest part covering the whole interval.
    auto radius = [&](double hi) {
        double r = 0;
        for (const Part& p : parts)
            if (p.A >= hi) r = std::max(r, p.R);
        return r;
    };
    // One radius all round: a full circle, which an open zone still shows.
    bool fullCircle = true;
    for (size_t i = 1; i < cuts.size(); ++i) fullCircle = fullCircle && radius(cuts[i]) == radius(180.0);

    for (size_t i = 0; i + 1 < cuts.size(); ++i) {
        const double lo = cuts[i], hi = cuts[i + 1];
        const double r = radius(hi);
        if (r <= 0) continue;
        if (z.Open && r == z.Re && !fullCircle) continue;
        plot.Arc(O + lo, O + hi, r);
        plot.Arc(O - hi, O - lo, r);
    }
    // Straight edges where the radius steps.
    for (size_t i = 1; i + 1 < cuts.size(); ++i) {
        const double c = cuts[i];
        const double rIn = radius(c), rOut = radius(cuts[i + 1]);
        plot.Edge(O + c, rOut, rIn);
        plot.Edge(O - c, rOut, rIn);
    }
}

void DrawCourseLine(const TPlot& plot, const TZone& z, double O)
{
    if (z.Re <= 0) return;
    plot.Edge(z.Course, -z.Re, z.Re);
    if (!z.Open) {
        const double axis = CourseLineAxis(z, O);
        plot.Arc(axis - 90.0, axis + 90.0, z.Re);
    }
}

void DrawCurve(const TPlot& plot, const TZone& z, QPoint PTurn, QPoint PNext, double O)
{
    // The next turn point in metres east and north of the centre.
    const double nE = (PNext.x() - PTurn.x()) / plot.PpmX();
    const double nN = -(PNext.y() - PTurn.y()) / plot.PpmY();
    const double D = std::hypot(nE, nN);
    if (z.Ri > 0) plot.Arc(0, 360, z.Ri);
    if (z.Re <= 0) return;
    if (D < 1.0) {
        // No next point to bend around: a straight line across the axis.
        plot.Edge(O + 90, 0, z.Re);
        plot.Edge(O - 90, 0, z.Re);
        if (!z.Open) plot.Arc(O - 90, O + 90, z.Re);
        return;
    }
    const double back = std::atan2(-nE, -nN) / RadPerDeg; // course from the next point to the centre
    const double phi = 2.0 * std::asin(std::min(1.0, z.Re / (2.0 * D))) / RadPerDeg;
    const QPointF next = plot.Centre() + QPointF(nE * plot.PpmX(), -nN * plot.PpmY());
    plot.Arc(next, back - phi, back + phi, D);
    if (!z.Open) plot.Arc(back - 90.0 - phi / 2, back + 90.0 + phi / 2, z.Re);
}

// ---- Passage search -----------------------------------------------------------------------

// Great-circle distance in metres on the 6371 km sphere (haversine).
double SphereMetres(const TPos& A, const TPos& B)
{
    const double p1 = IntDegToRad(A.Lat), p2 = IntDegToRad(B.Lat);
    const double sp = std::sin((p2 - p1) / 2), sl = std::sin((IntDegToRad(B.Lon) - IntDegToRad(A.Lon)) / 2);
    const double a = std::clamp(sp * sp + std::cos(p1) * std::cos(p2) * sl * sl, 0.0, 1.0);
    return 2.0 * EarthRadiusKm * 1000.0 * std::atan2(std::sqrt(a), std::sqrt(1.0 - a));
}

// One turn point's zone ready for many fixes: a box around it rejects far fixes cheaply.
struct TTarget
{
    TZone Zone;
    TPos C;
    const TPos* Next = nullptr;
    double O = 0;
    int64_t LatLo = 0, LatHi = 0, LonLo = 0, LonHi = 0;
    bool LonFilter = false;

    TTarget(const TStn& Task, const TTrn& Trn)
    {
        const uint8 kind = TrnKind(Trn);
        Zone = ResolveZone(kind, Trn.Sect);
        C = *Task.TrnPos(&Trn);
        Next = Trn.Next ? Task.TrnPos(Trn.Next) : nullptr;
        O = SectOrientation(Task, Trn);
        // The box leaves room for the ellipsoid's distances (within 1 % of the sphere's).
        const double dLat = Zone.Reach() / MetresPerUnit * 1.02 + 2.0;
        LatLo = int64_t(C.Lat) - int64_t(std::ceil(dLat));
        LatHi = int64_t(C.Lat) + int64_t(std::ceil(dLat));
        const double maxLat = (std::abs(double(C.Lat)) + dLat) * 1e-5;
        if (maxLat < 89.0) {
            const double dLon = dLat / std::cos(maxLat * RadPerDeg);
            LonLo = int64_t(C.Lon) - int64_t(std::ceil(dLon));
            LonHi = int64_t(C.Lon) + int64_t(std::ceil(dLon));
            LonFilter = LonLo >= -18000000 && LonHi <= 18000000;
        }
    }

    bool Inside(const TRec& r) const
    {
        if (r.Lat < LatLo || r.Lat > LatHi) return false;
        if (LonFilter && (r.Lon < LonLo || r.Lon > LonHi)) return false;
        // The sphere's distance decides unless the ellipsoid is chosen and the fix lies near a
        // radius, where only the ellipsoid's own distance may tell the side.
        double d = SphereMetres(C, r);
        if (Ellipsoid && (NearRadius(d, Zone.Ri) || NearRadius(d, Zone.Re)))
            d = Distance(C, static_cast<const TPos&>(r)) * 1000.0;
        return InZone(Zone, r, C, Next, O, d);
    }

    static bool NearRadius(double d, double r) { return std::abs(d - r) <= r * 0.01 + 5.0; }
    bool Ellipsoid = Opt && Opt->EarthModel == 1;
};

struct TWindow
{
    bool Active = false;
    int32 Lo = 0, Hi = 0;
    bool Holds(const TRec& r) const { return !Active || (r.Time >= Lo && r.Time <= Hi); }
};

using TFixes = std::vector<const TRec*>;

// First fix inside from index `from`; -1 when none.
int FirstInside(const TFixes& fixes, size_t from, const TTarget& t, const TWindow& w)
{
    for (size_t i = from; i < fixes.size(); ++i)
        if (w.Holds(*fixes[i]) && t.Inside(*fixes[i])) return int(i);
    return -1;
}

// Last fix inside before the trace leaves the zone, over fixes from..last: the first such
// exit (first = true) or the last one. -1 when the trace never leaves the zone.
int Exit(const TFixes& fixes, size_t from, size_t last, const TTarget& t, const TWindow& w, bool first)
{
    int inside = -1, found = -1;
    for (size_t i = from; i <= last && i < fixes.size(); ++i) {
        if (!w.Holds(*fixes[i])) {
            inside = -1;
            continue;
        }
        if (t.Inside(*fixes[i])) {
            inside = int(i);
        } else if (inside >= 0) {
            found = inside;
            if (first) return found;
            inside = -1;
        }
    }
    return found;
}

} // namespace

const TSect& EffectiveSect(const TSect& Sect, uint8 Kind)
{
    if (Sect.Type_Sect >= 1) return Sect;
    const size_t k = std::min<size_t>(Kind, siExtFinish);
    if (Opt) return Opt->Secteurs[k];
    static const std::array<TSect, 6> defaults = DefaultSecteurs();
    return defaults[k];
}

uint8 TrnKind(const TTrn& Trn)
{
    uint8 kind = siTurn;
    if (!Trn.Prev)
        kind = siStart;
    else if (!Trn.Next)
        kind = siFinish;
    return Trn.RefWpt ? uint8(kind + 3) : kind;
}

double SectOrientation(const TStn& Task, const TTrn& Trn)
{
    const TPos* tp = Task.TrnPos(&Trn);
    const TPos* pp = Trn.Prev ? Task.TrnPos(Trn.Prev) : nullptr;
    const TPos* np = Trn.Next ? Task.TrnPos(Trn.Next) : nullptr;
    if (pp && np) {
        const double b1 = Bearing(pp, tp), b2 = Bearing(np, tp);
        double o = (b1 + b2) / 2;
        if (std::abs(b1 - b2) > 180.0) o += 180.0;
        return Norm360(o);
    }
    if (np) return Bearing(np, tp);
    if (pp) return Bearing(pp, tp);
    return 0.0;
}

void BuildSector(QPainter& Canvas, QPoint PTurn, QPoint PNext, double Orientation, double ScaleX,
                 double ScaleY, uint8 Kind, const TSect& Sect)
{
    if (!(ScaleX > 0) || !(ScaleY > 0) || !std::isfinite(ScaleX) || !std::isfinite(ScaleY) ||
        !std::isfinite(Orientation))
        return;
    const TZone z = ResolveZone(Kind, Sect);
    const TPlot plot(Canvas, QPointF(PTurn), ScaleX / MetresPerUnit, ScaleY / MetresPerUnit);
    switch (z.Shape) {
    case TShape::Ring:
        plot.Arc(0, 360, z.Ri);
        plot.Arc(0, 360, z.Re);
        break;
    case TShape::CourseLine:
        DrawCourseLine(plot, z, Orientation);
        break;
    case TShape::Curve:
        DrawCurve(plot, z, PTurn, PNext, Orientation);
        break;
    case TShape::Lines:
        DrawLines(plot, z, Orientation);
        break;
    }
}

bool InSector(const TPos& P, const TPos& Centre, double Orientation, uint8 Kind, const TSect& Sect)
{
    return InSector(P, Centre, nullptr, Orientation, Kind, Sect);
}

bool InSector(const TPos& P, const TPos& Centre, const TPos* Next, double Orientation, uint8 Kind,
              const TSect& Sect)
{
    const TZone z = ResolveZone(Kind, Sect);
    return InZone(z, P, Centre, Next, Orientation, Distance(Centre, P) * 1000.0);
}

void FindReachedTrn(TTrj& T, TStn& Task)
{
    TFixes fixes;
    fixes.reserve(T.RecCount);
    int32 tLo = 0, tHi = 0;
    for (const TRec* r = T.First; r; r = r->Next) {
        if (r->Lat == 0 && r->Lon == 0) continue; // no position
        if (fixes.empty() || r->Time < tLo) tLo = r->Time;
        if (fixes.empty() || r->Time > tHi) tHi = r->Time;
        fixes.push_back(r);
    }

    size_t from = 0;              // the search goes on after the last passage
    TTrn* pendingStart = nullptr; // a start waiting for the next passage to take its last exit
    int startFirst = -1;
    TWindow startWindow;
    std::unique_ptr<TTarget> startTarget;

    for (TTrn* trn = Task.First; trn; trn = trn->Next) {
        TWindow w;
        w.Active = trn->TimeMin < trn->TimeMax && trn->TimeMax >= tLo && trn->TimeMin <= tHi;
        w.Lo = trn->TimeMin;
        w.Hi = trn->TimeMax;
        auto target = std::make_unique<TTarget>(Task, *trn);
        const uint8 kind = TrnKind(*trn);
        const bool isStart = kind == siStart || kind == siExtStart;
        const int idx = isStart ? Exit(fixes, from, fixes.size(), *target, w, true)
                                : FirstInside(fixes, from, *target, w);
        if (idx < 0) {
            trn->Reached = 0;
            trn->Time = 0;
            continue;
        }
        if (pendingStart) {
            // The start is the last exit from its zone before this passage.
            const int last = Exit(fixes, size_t(startFirst), size_t(idx), *startTarget, startWindow, false);
            if (last >= 0) pendingStart->Time = fixes[size_t(last)]->Time;
            pendingStart = nullptr;
        }
        trn->Reached = 1;
        trn->Time = fixes[size_t(idx)]->Time;
        from = size_t(idx) + 1;
        if (isStart) {
            pendingStart = trn;
            startFirst = idx;
            startWindow = w;
            startTarget = std::move(target);
        }
    }
}

void FindReachedTrn()
{
    if (Trj && Stn) FindReachedTrn(*Trj, *Stn);
}

bool TaskNeedsAssociation(const TStn& Task)
{
    for (const TTrn* t = Task.First; t; t = t->Next)
        if (t->Reached == 0) return true;
    return false;
}

void AssocieAuto()
{
    if (!Trj || !Stn) return;
    FindReachedTrn(*Trj, *Stn);
    Stn->Modified = true;
    RefreshViews();
}
