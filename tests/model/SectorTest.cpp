// Observation zones: membership, orientation, drawing and the search of reached turn points.
#include "model/Sector.h"
#include "model/Calc.h"
#include "model/Define.h"
#include "model/ModelUi.h"
#include "model/Options.h"

#include <QImage>
#include <QPainter>
#include <array>
#include <gtest/gtest.h>
#include <numbers>

namespace {

const TPos C0{4500000, 600000}; // 45N 6E

TPos At(const TPos& c, double course, double metres)
{
    return DestPoint(c, course, metres / 1000.0);
}

TSect MakeSect(uint8 type, int32 ri, int32 re, int32 ai, int32 ae, uint8 zf)
{
    TSect s;
    s.Type_Sect = type;
    s.Rayon_Int = ri;
    s.Rayon_Ext = re;
    s.Angle_Int = ai;
    s.Angle_Ext = ae;
    s.Zone_Fermee = zf;
    return s;
}

// Course (degrees), distance (metres) from the centre, and whether that point is inside.
using TProbe = std::tuple<double, double, bool>;
const auto In = [](double course, double m) { return TProbe{course, m, true}; };
const auto Out = [](double course, double m) { return TProbe{course, m, false}; };
// The same for the drawings: course and distance in pixels, and whether ink lies there.
const auto Ink = In;
const auto Blank = Out;

// Checks each probe through In(course, metres).
template <class F> void ExpectInside(F In, std::initializer_list<TProbe> Probes)
{
    for (auto [course, m, inside] : Probes)
        EXPECT_EQ(In(course, m), inside) << course << " deg, " << m << " m";
}

class SectorTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ModelInit();
        Opt->EarthModel = 0;
        Opt->Secteurs = DefaultSecteurs();
    }
};

// ---- Membership ---------------------------------------------------------------------------

TEST_F(SectorTest, StartLineIsTheHalfDiscBehindTheLine)
{
    // First leg heading east: the start points west (270), the line runs north-south.
    const TSect s = MakeSect(1, 0, 1000, 0, 90, 1);
    auto in = [&](double course, double m) { return InSector(At(C0, course, m), C0, 270, siStart, s); };
    // Behind, on the line itself, beyond its end, just behind, just across, on the course side.
    ExpectInside(in, {In(270, 500), In(270, 980), Out(270, 1020), In(0, 950), In(180, 950), Out(0, 1050),
                      In(355, 900), Out(5, 900), Out(90, 20)});
    EXPECT_TRUE(InSector(C0, C0, 270, siStart, s));
    // The extended start and the finish read shape 1 the same way.
    EXPECT_TRUE(InSector(At(C0, 300, 900), C0, 270, siExtStart, s));
    EXPECT_FALSE(InSector(At(C0, 60, 900), C0, 270, siFinish, s));
}

TEST_F(SectorTest, FaiSectorWithCylinder)
{
    // The keyhole: 500 m all round (inner angle 0 is a full circle) and 90 degrees out to 10 km.
    const TSect s = MakeSect(1, 500, 10000, 0, 45, 0);
    auto in = [&](double course, double m) { return InSector(At(C0, course, m), C0, 45, siTurn, s); };
    // Along the axis, 40 and 50 degrees off it, the edges, then the cylinder behind the sector.
    ExpectInside(in, {In(45, 9800), Out(45, 10200), In(85, 9000), Out(95, 9000), In(5, 5000), Out(355, 5000),
                      In(225, 480), Out(225, 520), In(95, 480), Out(95, 520)});

    // Without the cylinder only the sector remains.
    const TSect fai = MakeSect(1, 0, 3000, 0, 45, 0);
    EXPECT_FALSE(InSector(At(C0, 225, 100), C0, 45, siTurn, fai));
    EXPECT_TRUE(InSector(At(C0, 60, 2900), C0, 45, siTurn, fai));
    // The axis wraps through north.
    EXPECT_TRUE(InSector(At(C0, 30, 2000), C0, 350, siTurn, fai));
    EXPECT_FALSE(InSector(At(C0, 40, 2000), C0, 350, siTurn, fai));
}

TEST_F(SectorTest, CylindersByAngle180OrAngle0)
{
    const TSect a180 = MakeSect(1, 0, 3000, 0, 180, 0);
    const TSect a0 = MakeSect(1, 3000, 3000, 0, 0, 0); // a turn point of a task file
    for (double course : {0.0, 90.0, 135.0, 200.0, 359.0}) {
        EXPECT_TRUE(InSector(At(C0, course, 2950), C0, 17, siTurn, a180)) << course;
        EXPECT_FALSE(InSector(At(C0, course, 3050), C0, 17, siTurn, a180)) << course;
        EXPECT_TRUE(InSector(At(C0, course, 2950), C0, 17, siExtTurn, a0)) << course;
        EXPECT_FALSE(InSector(At(C0, course, 3050), C0, 17, siExtTurn, a0)) << course;
    }
}

TEST_F(SectorTest, ConcentricCirclesAreARing)
{
    const TSect s = MakeSect(2, 2000, 5000, 0, 0, 0);
    auto in = [&](double course, double m) { return InSector(At(C0, course, m), C0, 0, siTurn, s); };
    ExpectInside(in, {Out(0, 0), Out(100, 1950), In(100, 2050), In(300, 4950), Out(300, 5050)});
    // The extended turn has no shape 2: it reads the same fields as shape 1 (two cylinders).
    EXPECT_TRUE(InSector(C0, C0, 0, siExtTurn, s));
    EXPECT_TRUE(InSector(At(C0, 300, 4950), C0, 0, siExtTurn, s));
}

TEST_F(SectorTest, FinishLineAlongACourse)
{
    // The line runs east-west (course 90); the last leg heads north-north-east, so the zone is
    // the half disc north of the line.
    const TSect s = MakeSect(2, 0, 1000, 0, 90, 0);
    auto in = [&](const TSect& sect, double course, double m, uint8 kind = siFinish) {
        return InSector(At(C0, course, m), C0, 10, kind, sect);
    };
    ExpectInside([&](double c, double m) { return in(s, c, m); },
                 {{0, 500, true},
                  {180, 50, false},
                  {85, 900, true},
                  {95, 900, false},
                  {0, 1050, false},
                  {270, 990, true}}); // the last one on the line
    EXPECT_TRUE(in(s, 350, 500, siExtFinish));
    // A course above 180 names the same line.
    const TSect s270 = MakeSect(2, 0, 1000, 0, 270, 0);
    EXPECT_TRUE(in(s270, 0, 500));
    EXPECT_FALSE(in(s270, 180, 500));
    // Arriving from the north instead puts the zone south of the line.
    EXPECT_TRUE(InSector(At(C0, 180, 500), C0, 170, siFinish, s));
    EXPECT_FALSE(InSector(At(C0, 0, 500), C0, 170, siFinish, s));
}

TEST_F(SectorTest, ExtendedStartCurveAndCircle)
{
    // Next turn point 5 km east: the start points west, the curve bends around the next point.
    const TPos next = At(C0, 90, 5000);
    const double o = Bearing(next, C0);
    const TSect s = MakeSect(2, 300, 2000, 0, 0, 1);
    auto in = [&](double course, double m) {
        return InSector(At(C0, course, m), C0, &next, o, siExtStart, s);
    };
    // Behind, the circle, and north of the start slightly on the course side yet behind the curve
    // (10 degrees), or in front of it (20 degrees).
    ExpectInside(in, {In(270, 1900), Out(270, 2100), In(90, 250), Out(90, 400), In(10, 1900), Out(20, 1900)});
    // Without the next point the curve is the straight line across the axis.
    EXPECT_FALSE(InSector(At(C0, 10, 1900), C0, o, siExtStart, s));
    EXPECT_TRUE(InSector(At(C0, 350, 1900), C0, o, siExtStart, s));
    EXPECT_FALSE(InSector(At(C0, 10, 1900), C0, &C0, o, siExtStart, s));
}

TEST_F(SectorTest, PresetReplacesTypeZero)
{
    const TSect none; // type 0
    Opt->Secteurs[siTurn] = MakeSect(1, 0, 3000, 0, 180, 0);
    Opt->Secteurs[siExtTurn] = MakeSect(1, 0, 8000, 0, 180, 0);
    EXPECT_EQ(&EffectiveSect(none, siTurn), &Opt->Secteurs[siTurn]);
    const TSect own = MakeSect(1, 0, 1000, 0, 180, 0);
    EXPECT_EQ(&EffectiveSect(own, siTurn), &own);

    EXPECT_TRUE(InSector(At(C0, 0, 2900), C0, 0, siTurn, none));
    EXPECT_FALSE(InSector(At(C0, 0, 3100), C0, 0, siTurn, none));
    EXPECT_TRUE(InSector(At(C0, 0, 7900), C0, 0, siExtTurn, none));
    EXPECT_FALSE(InSector(At(C0, 0, 2900), C0, 0, siTurn, own));
    // A later change of the preset applies at once.
    Opt->Secteurs[siTurn].Rayon_Ext = 4000;
    EXPECT_TRUE(InSector(At(C0, 0, 3900), C0, 0, siTurn, none));
}

// ---- Kinds and orientation ----------------------------------------------------------------

struct TaskBuilder
{
    TStn Task;
    TTrn* Add(const TPos& p, const TSect& s = TSect(), bool extended = false)
    {
        TTrn t;
        t.Lat = p.Lat;
        t.Lon = p.Lon;
        t.Sect = s;
        if (extended) {
            auto* w = new TWpt;
            w->Lat = p.Lat;
            w->Lon = p.Lon;
            t.SetRefWpt(w, true);
        }
        return Task.AddTrn(t, -1);
    }
};

TEST_F(SectorTest, KindsAndOrientations)
{
    TaskBuilder b;
    const TPos t = C0;
    TTrn* p = b.Add(At(t, 270, 20000)); // west of t
    TTrn* m = b.Add(t);
    TTrn* n = b.Add(At(t, 180, 20000), TSect(), true); // south of t, extended
    EXPECT_EQ(TrnKind(*p), siStart);
    EXPECT_EQ(TrnKind(*m), siTurn);
    EXPECT_EQ(TrnKind(*n), siExtFinish);
    // The corner points north-east, away from the task.
    EXPECT_NEAR(SectOrientation(b.Task, *m), 45.0, 0.2);
    // The start points back along its first leg (west), the finish along its last (south).
    EXPECT_NEAR(SectOrientation(b.Task, *p), 270.0, 0.2);
    EXPECT_NEAR(SectOrientation(b.Task, *n), 180.0, 0.2);

    // A corner whose legs come from both sides of south points north (the mean wraps).
    TaskBuilder w;
    w.Add(At(t, 170, 10000));
    TTrn* apex = w.Add(t);
    w.Add(At(t, 190, 10000));
    const double o = SectOrientation(w.Task, *apex);
    EXPECT_LT(std::min(o, 360.0 - o), 0.2);

    // One point alone is a start.
    TaskBuilder one;
    TTrn* single = one.Add(t, TSect(), true);
    EXPECT_EQ(TrnKind(*single), siExtStart);
    EXPECT_EQ(SectOrientation(one.Task, *single), 0.0);
}

// ---- Drawing ------------------------------------------------------------------------------

class SectorDrawTest : public SectorTest
{
protected:
    QImage Img{400, 400, QImage::Format_RGB32};
    QPoint Ctr{200, 220};
    // 1000 m are 150 pixels.
    double Scale = 150.0 / 1000.0 * MetresPerUnit;

    void Draw(double orientation, uint8 kind, const TSect& s, QPoint next = QPoint(), double sx = 0)
    {
        Img.fill(Qt::white);
        QPainter p(&Img);
        p.setPen(QPen(Qt::black, 1));
        BuildSector(p, Ctr, next, orientation, sx > 0 ? sx : Scale, Scale, kind, s);
    }
    bool Dark(double x, double y, int tol = 1) const
    {
        for (int dy = -tol; dy <= tol; ++dy)
            for (int dx = -tol; dx <= tol; ++dx) {
                const int px = int(std::lround(x)) + dx, py = int(std::lround(y)) + dy;
                if (Img.valid(px, py) && qGray(Img.pixel(px, py)) < 128) return true;
            }
        return false;
    }
    // Pixel of a course and a distance in pixels from the centre.
    QPointF Polar(double course, double r) const
    {
        const double t = course * std::numbers::pi / 180.0;
        return {Ctr.x() + r * std::sin(t), Ctr.y() - r * std::cos(t)};
    }
    bool DarkAt(double course, double r) const
    {
        const QPointF p = Polar(course, r);
        return Dark(p.x(), p.y());
    }
    // Course and pixel distance from the centre, and whether a dark pixel must be there.
    void ExpectDark(std::initializer_list<TProbe> Probes) const
    {
        ExpectInside([&](double c, double r) { return DarkAt(c, r); }, Probes);
    }
    // Dark pixels whose distance from the centre lies outside [rMin, rMax].
    int DarkOutside(double rMin, double rMax) const
    {
        int n = 0;
        for (int y = 0; y < Img.height(); ++y)
            for (int x = 0; x < Img.width(); ++x) {
                const double r = std::hypot(x - Ctr.x(), y - Ctr.y());
                if ((r < rMin || r > rMax) && qGray(Img.pixel(x, y)) < 128) ++n;
            }
        return n;
    }
};

TEST_F(SectorDrawTest, FaiSectorClosedAndOpen)
{
    Draw(0, siTurn, MakeSect(1, 0, 1000, 0, 45, 0));
    // The arc, the edges, and nothing inside or around.
    ExpectDark({Ink(0, 150), Ink(40, 150), Ink(-40, 150), Ink(45, 75), Ink(315, 75), Blank(0, 75),
                Blank(90, 150), Blank(180, 100)});
    EXPECT_EQ(DarkOutside(0, 152), 0);

    // Open: the edges without the arc.
    Draw(0, siTurn, MakeSect(1, 0, 1000, 0, 45, 1));
    ExpectDark({Ink(45, 75), Blank(0, 150), Blank(20, 150)});
}

TEST_F(SectorDrawTest, KeyholeOutline)
{
    // 500 m cylinder (75 px) and 45-degree sector of 1000 m (150 px) pointing east.
    Draw(90, siTurn, MakeSect(1, 500, 1000, 0, 45, 0));
    // The arc, the cylinder behind but not its arc inside the sector, the edges from the cylinder
    // out but not inside it.
    ExpectDark({Ink(90, 150), Ink(270, 75), Ink(180, 75), Blank(90, 75), Ink(135, 110), Blank(135, 40)});
    EXPECT_EQ(DarkOutside(0, 152), 0);
}

TEST_F(SectorDrawTest, StartLineOpenShowsOnlyTheLine)
{
    Draw(270, siStart, MakeSect(1, 0, 1000, 0, 90, 1));
    ExpectDark({Ink(0, 140), Ink(180, 140), Ink(0, 10), Blank(270, 150)});
    EXPECT_EQ(DarkOutside(0, 152), 0);
    // Closed: the half circle behind the line too.
    Draw(270, siStart, MakeSect(1, 0, 1000, 0, 90, 0));
    ExpectDark({Ink(270, 150), Blank(90, 150)});
}

TEST_F(SectorDrawTest, CylinderAndAnisotropicScale)
{
    Draw(33, siTurn, MakeSect(1, 0, 1000, 0, 180, 1)); // open, but a full circle stays
    for (double c = 0; c < 360; c += 30) EXPECT_TRUE(DarkAt(c, 150)) << c;
    EXPECT_EQ(DarkOutside(148, 152), 0);

    // Twice as many pixels per metre across: an ellipse 150 px wide each side, 75 px high.
    Draw(0, siTurn, MakeSect(1, 0, 500, 0, 180, 0), QPoint(), Scale * 2);
    EXPECT_TRUE(Dark(Ctr.x() + 150, Ctr.y()));
    EXPECT_TRUE(Dark(Ctr.x() - 150, Ctr.y()));
    EXPECT_TRUE(Dark(Ctr.x(), Ctr.y() - 75));
    EXPECT_FALSE(Dark(Ctr.x(), Ctr.y() - 150));
}

TEST_F(SectorDrawTest, RingCourseLineAndCurve)
{
    Draw(0, siTurn, MakeSect(2, 500, 1000, 0, 0, 0));
    ExpectDark({Ink(123, 75), Ink(321, 150), Blank(0, 110)});

    // Finish line along course 90 (east-west), arriving northwards: arc on the north side.
    Draw(10, siFinish, MakeSect(2, 0, 1000, 0, 90, 0));
    ExpectDark({Ink(90, 140), Ink(270, 140), Ink(0, 150), Blank(180, 150), Blank(0, 75)});

    // Curve around a next point 300 px east, circle of 300 m (45 px), closed at 1000 m (150 px).
    const QPoint next(Ctr.x() + 300, Ctr.y());
    Draw(270, siExtStart, MakeSect(2, 300, 1000, 0, 0, 0), next);
    ExpectDark({Ink(77, 45), Ink(270, 150), Blank(90, 150)}); // the circle, the closing arc behind
    // A point of the curve: 300 px from the next point, 20 degrees round from the start.
    const double t = (270.0 + 20.0) * std::numbers::pi / 180.0;
    EXPECT_TRUE(Dark(next.x() + 300 * std::sin(t), next.y() - 300 * std::cos(t)));
    // Not the straight line: its end 150 px north of the centre stays white.
    EXPECT_FALSE(DarkAt(0, 140));
    EXPECT_EQ(DarkOutside(0, 152), 0);
}

TEST_F(SectorDrawTest, PresetAndNothingForZeroRadius)
{
    Opt->Secteurs[siFinish] = MakeSect(1, 0, 1000, 0, 180, 0);
    Draw(0, siFinish, TSect());
    EXPECT_TRUE(DarkAt(200, 150));
    Draw(0, siTurn, MakeSect(1, 0, 0, 0, 45, 0));
    EXPECT_EQ(DarkOutside(-1, 1e9), 0);
    // A scale that is not a positive number draws nothing.
    for (double bad : {0.0, -1.0, std::nan("")}) {
        Img.fill(Qt::white);
        QPainter p(&Img);
        BuildSector(p, Ctr, QPoint(), 0, bad, Scale, siTurn, MakeSect(1, 0, 1000, 0, 180, 0));
        p.end();
        EXPECT_EQ(DarkOutside(-1, 1e9), 0) << bad;
    }
}

// ---- Passage search -----------------------------------------------------------------------

// A triangle-like task S (start line), T1, T2 (500 m cylinders), F (finish line) and a trace
// flown through it, with the times of the fixes where each passage must fall.
class PassageTest : public SectorTest
{
protected:
    TPos S, T1, T2, F;
    TTrj T;
    int32 Clock = 1000000; // 10:00
    int32 StartFirst = 0, StartLast = 0, T1In = 0, T2In = 0, FIn = 0;

    void AddFix(const TPos& p)
    {
        auto r = std::make_unique<TRec>();
        r->Lat = p.Lat;
        r->Lon = p.Lon;
        r->Time = Clock;
        Clock += 100;
        ASSERT_TRUE(T.AddRec(r));
    }
    // Fixes from A towards B every 100 m starting 50 m from A, up to `beyond` metres past B.
    void Leg(const TPos& a, const TPos& b, double beyond = 0)
    {
        const double len = Distance(a, b) * 1000.0, c = Bearing(a, b);
        for (double s = 50; s < len + beyond; s += 100) AddFix(At(a, c, s));
    }
    int32 LastTime() const { return T.Last->Time; }

    void SetUp() override
    {
        SectorTest::SetUp();
        S = C0;
        T1 = At(S, 0, 10000);
        T2 = At(T1, 90, 10000);
        F = At(T2, 180, 10000);
        const TPos south = At(S, 180, 2000), north = At(S, 0, 3000);
        // Launch south of the line, cross it, come back behind it and start again.
        Leg(south, S, 0);
        StartFirst = LastTime(); // 50 m south of S: the last fix inside
        Leg(S, north, 0);
        Leg(north, At(S, 180, 500), 0);
        Leg(At(S, 180, 500), S, 0);
        StartLast = LastTime();
        Leg(S, T1, 0);
        T1In = 0;
        // Fixes approach T1 to 50 m: the first inside its 500 m cylinder lies 450 m before.
        for (TRec* r = T.First; r; r = r->Next)
            if (!T1In && r->Time > StartLast && Distance(*r, T1) * 1000 < 500) T1In = r->Time;
        Leg(T1, T2, 0);
        for (TRec* r = T.First; r; r = r->Next)
            if (!T2In && r->Time > T1In && Distance(*r, T2) * 1000 < 500) T2In = r->Time;
        Leg(T2, F, 500); // on past the finish line
        for (TRec* r = T.First; r; r = r->Next)
            if (!FIn && r->Time > T2In && r->Lat < F.Lat) FIn = r->Time;
    }

    TTrn* Add(TStn& task, const TPos& p, const TSect& s)
    {
        TTrn t;
        t.Lat = p.Lat;
        t.Lon = p.Lon;
        t.Sect = s;
        t.Reached = 1;
        t.Time = 123; // stale values the search must replace
        return task.AddTrn(t, -1);
    }
    // S, two 500 m cylinders and F, in that order.
    std::array<TTrn*, 4> Course(TStn& task, const TPos& a, const TPos& b)
    {
        return {Add(task, S, Line), Add(task, a, Cyl), Add(task, b, Cyl), Add(task, F, Line)};
    }
    static std::vector<int32> Times(const TStn& task)
    {
        std::vector<int32> v;
        for (const TTrn* t = task.First; t; t = t->Next) v.push_back(t->Time);
        return v;
    }
    const TSect Line = MakeSect(1, 0, 1000, 0, 90, 1);
    const TSect Cyl = MakeSect(1, 0, 500, 0, 180, 0);
};

TEST_F(PassageTest, ReachedTimesInOrder)
{
    // The expected times come from plain distances; make sure each was found.
    EXPECT_TRUE(StartFirst < StartLast && StartLast < T1In && T1In < T2In && T2In < FIn);
    EXPECT_NEAR(Distance(*T.Last, F) * 1000, 450, 2);

    TStn task;
    const auto trns = Course(task, T1, T2);
    FindReachedTrn(T, task);
    for (TTrn* t : trns) EXPECT_EQ(t->Reached, 1);
    // The start is the last departure from behind the line before the first turn point.
    const std::vector<int32> expected{StartLast, T1In, T2In, FIn};
    EXPECT_EQ(Times(task), expected);
    EXPECT_FALSE(TaskNeedsAssociation(task));

    // The same on the ellipsoid (the box before the distances leaves room for it).
    Opt->EarthModel = 1;
    FindReachedTrn(T, task);
    EXPECT_EQ(Times(task), expected);
}

TEST_F(PassageTest, WindowsAreHonoured)
{
    TStn task;
    auto [s, t1, t2, f] = Course(task, T1, T2);
    // The start window covers only the first crossing: that one counts.
    s->TimeMin = 1000000;
    s->TimeMax = StartFirst + 300;
    // T2's window closes before the trace gets there: not reached, and the finish is still
    // searched after T1.
    t2->TimeMin = T1In;
    t2->TimeMax = T2In - 1000;
    // A window missing the trace altogether (a task from another day) counts as none.
    f->TimeMin = -25000;
    f->TimeMax = 25000;
    FindReachedTrn(T, task);
    EXPECT_EQ(std::tuple(s->Reached, s->Time, t1->Time, t2->Reached, t2->Time, f->Reached, f->Time),
              std::tuple(1, StartFirst, T1In, 0, 0, 1, FIn));
    EXPECT_TRUE(TaskNeedsAssociation(task));

    // A window after the passage finds nothing either.
    t1->TimeMin = FIn;
    t1->TimeMax = FIn + 100000;
    FindReachedTrn(T, task);
    EXPECT_EQ(t1->Reached, 0);
}

TEST_F(PassageTest, OrderIsHonoured)
{
    // T2 before T1: T1 is passed before T2 and never again, so it stays unreached.
    TStn task;
    auto [s, t2, t1, f] = Course(task, T2, T1);
    FindReachedTrn(T, task);
    EXPECT_EQ(std::tuple(s->Reached, t2->Time, t1->Reached, t1->Time, f->Reached, f->Time),
              std::tuple(1, T2In, 0, 0, 1, FIn));
}

TEST_F(PassageTest, UnreachedStartAndMissingTrace)
{
    TStn task;
    TTrn* s = Add(task, At(S, 270, 50000), Line); // far away
    TTrn* t1 = Add(task, T1, Cyl);
    FindReachedTrn(T, task);
    EXPECT_EQ(s->Reached, 0);
    EXPECT_EQ(s->Time, 0);
    EXPECT_EQ(t1->Time, T1In); // searched from the trace's start

    TTrj empty;
    FindReachedTrn(empty, task);
    EXPECT_EQ(t1->Reached, 0);
    TStn none;
    EXPECT_FALSE(TaskNeedsAssociation(none));
}

TEST_F(SectorTest, EarthModelDecidesNearTheRadius)
{
    // At the equator a meridian degree is 0.56 % shorter on the ellipsoid than on the sphere:
    // 10040 m north on the sphere lies inside a 10 km cylinder on the ellipsoid.
    const TPos t{0, 1000000};
    const TPos fix = At(t, 0, 10040);
    TaskBuilder b;
    for (const TPos& p : {At(t, 270, 50000), t, At(t, 90, 50000)}) b.Add(p, MakeSect(1, 0, 10000, 0, 180, 0));
    TStn& task = b.Task;
    TTrj trace;
    auto r = std::make_unique<TRec>();
    r->Lat = fix.Lat;
    r->Lon = fix.Lon;
    r->Time = 1000000;
    trace.AddRec(r);
    TTrn* turn = task.First->Next;

    FindReachedTrn(trace, task);
    EXPECT_EQ(turn->Reached, 0);
    EXPECT_FALSE(InSector(fix, t, 0, siTurn, turn->Sect));
    Opt->EarthModel = 1;
    FindReachedTrn(trace, task);
    EXPECT_EQ(turn->Reached, 1);
    EXPECT_EQ(turn->Time, 1000000);
    EXPECT_TRUE(InSector(fix, t, 0, siTurn, turn->Sect));
}

class CountingUi : public IModelUi
{
public:
    int Refreshes = 0;
    void ShowStatus(const QString&) override {}
    void RefreshViews() override { ++Refreshes; }
    void ModelChanged() override {}
};

TEST_F(PassageTest, AssocieAutoWorksOnTheCurrentTraceAndTask)
{
    CountingUi ui;
    SetModelUi(&ui);
    AssocieAuto(); // no trace: nothing
    EXPECT_EQ(ui.Refreshes, 0);

    TTrj* cur = NewTrj();
    for (TRec* r = T.First; r; r = r->Next) {
        auto c = std::make_unique<TRec>(*r);
        c->Prev = c->Next = nullptr;
        cur->AddRec(c);
    }
    ASSERT_EQ(Stn, cur->Stn.get());
    Add(*Stn, S, Line);
    TTrn* t1 = Add(*Stn, T1, Cyl);
    t1->Reached = 0;
    Stn->Modified = false;
    EXPECT_TRUE(TaskNeedsAssociation(*Stn));
    AssocieAuto();
    EXPECT_EQ(std::tuple(t1->Reached, t1->Time, Stn->Modified, ui.Refreshes), std::tuple(1, T1In, true, 1));
    SetModelUi(nullptr);
    CloseAllTrj();
}

} // namespace
