// The plan view: projection and its inverse (plain and through a calibrated map), the layers
// drawn where the model projects, fitting, the central zone, zoom around a point, and the mouse
// and keyboard selection of fixes and waypoints.
#include "app/PlanRender.h"
#include "app/Plan.h"
#include "files/MapCal.h"
#include "files/MapLoad.h"
#include "files/RecFile.h"
#include "model/Calc.h"
#include "model/Options.h"
#include "model/Sector.h"
#include "platform/IniFile.h"
#include "platform/Msg.h"
#include "platform/ProgramDir.h"
#include "platform/WinColor.h"
#include "support/ViewProbe.h"

#include <QImage>
#include <QPainter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

struct TFix
{
    int32 Lat, Lon, Time;
    int32 Enl = 0;
    uint8 Kind = 0;
};

TTrj* MakeTrace(const std::vector<TFix>& fixes)
{
    NewTrj();
    for (const TFix& f : fixes) {
        auto r = std::make_unique<TRec>();
        std::tie(r->Lat, r->Lon, r->Time, r->Alt, r->Enl, r->Kind) =
            std::tuple(f.Lat, f.Lon, f.Time, 1000, f.Enl, f.Kind);
        Trj->AddRec(r);
    }
    TrjLoaded();
    return Trj;
}

// A calibrated map over 44..46 N, 5..7 E: 2000 x 2000 pixels, slightly sheared, with
// curvature terms, drawn from a small image of one colour.
void MakeMap(TMap& M, QColor colour = QColor(200, 230, 200))
{
    M = TMap();
    const int32 pts[4][4] = {{0, 0, 4600000, 500000},
                             {2000, 10, 4600500, 700000},
                             {5, 2000, 4400000, 500000},
                             {2010, 2005, 4400000, 700500}};
    for (int i = 0; i < 4; ++i)
        std::tie(M.Pos[i].X, M.Pos[i].Y, M.Pos[i].Lati, M.Pos[i].Long) =
            std::tuple(pts[i][0], pts[i][1], pts[i][2], pts[i][3]);
    for (TMapCalPoint& p : M.Pos) p.Valid = true;
    std::tie(M.aX, M.aY, M.Width, M.Height) = std::tuple(2e-6, -1.5e-6, 2000, 2000);
    std::tie(M.Lati_Min, M.Lati_Max, M.Long_Min, M.Long_Max) = std::tuple(4400000, 4600500, 500000, 700500);
    M.Image = QImage(200, 200, QImage::Format_RGB32);
    M.Image.fill(colour);
    M.Valid = true;
}

QImage Render(TPlanForm& F, QSize size = QSize(800, 600))
{
    return RenderAt(F, size);
}

// A view of that size centred on (Lat, Lon) at that zoom.
void Place(TPlanForm& F, int32 Lat, int32 Lon, double Zoom, QSize Size = QSize(800, 600))
{
    F.resize(Size);
    F.CtrLati = Lat;
    F.CtrLong = Lon;
    F.Zoom = Zoom;
}

void AddWpt(int32 Lat, int32 Lon, const char* Name = "")
{
    auto W = std::make_unique<TWpt>();
    W->Lat = Lat;
    W->Lon = Lon;
    W->Name = QString::fromLatin1(Name);
    Swp->AddWpt(W);
}

// An 800 x 600 view fitted to what is loaded.
void Fit(TPlanForm& F)
{
    F.resize(800, 600);
    F.Ajuste(0);
}

// A zone set of one zone of that class, a polygon through the corners or else a circle.
void SetZone(int Class, std::initializer_list<std::pair<int32, int32>> Corners, const TPos& Centre = {},
             double Radius = 0)
{
    auto S = std::make_unique<TSmp>();
    auto Z = std::make_unique<TMpf>();
    Z->Class = Class;
    for (auto [lat, lon] : Corners) {
        auto d = std::make_unique<TDrd>();
        d->Lat = lat;
        d->Lon = lon;
        Z->AddDrd(std::move(d));
    }
    if (Radius > 0) {
        auto c = std::make_unique<TDrd2>();
        c->Lat = Centre.Lat;
        c->Lon = Centre.Lon;
        c->Radius = Radius;
        Z->AddDrd(std::move(c));
    }
    S->AddMpf(Z);
    SetSmp(std::move(S));
}

void AddTurnPoints(std::initializer_list<std::pair<int32, int32>> Points)
{
    TTrn t;
    for (auto [lat, lon] : Points) {
        t.Lat = lat;
        t.Lon = lon;
        Stn->AddTrn(t, -1);
    }
}

class PlanTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ModelInit();
        Msg::SetHeadless(true);
        Reset();
    }
    void TearDown() override { Reset(); }
    static void Reset()
    {
        CloseAllTrj();
        FreeSwpObject();
        SetSmp(nullptr);
        *Map = TMap();
        Opt->FondCarte = false;
        Opt->AutoSelectionCarte = false;
        std::tie(Opt->EngineRelLevel, Opt->EngineAbsLevel, Opt->EngineCoefWidth) = std::tuple(0, 500, 3);
        Colors = DefaultColors();
        std::tie(SyncTrj, TrjMode, WptMode) = std::tuple(false, 1, 0);
    }
};

// ---- Projection ---------------------------------------------------------------------------

TEST_F(PlanTest, PlainProjectionScalesLongitudeByTheCosineAndInverts)
{
    const auto pr = TPlanProjection::Make(4500000, 600000, 0.02, 800, 560);
    EXPECT_FALSE(pr.ThroughMap());
    const QPointF c = pr.ToScreen(4500000, 600000);
    EXPECT_DOUBLE_EQ(c.x(), 400);
    EXPECT_DOUBLE_EQ(c.y(), 280);
    // 1000 units north is 20 pixels up; 1000 units east is 20 x cos(45°) to the right.
    EXPECT_NEAR(pr.ToScreen(4501000, 600000).y(), 260, 1e-9);
    EXPECT_NEAR(pr.ToScreen(4500000, 601000).x(), 400 + 20 * std::cos(M_PI / 4), 1e-9);
    for (int x = 0; x <= 800; x += 97)
        for (int y = 0; y <= 560; y += 83) {
            int32 lat, lon;
            pr.ToGeo(x, y, lat, lon);
            const QPointF back = pr.ToScreen(lat, lon);
            EXPECT_NEAR(back.x(), x, 0.02);
            EXPECT_NEAR(back.y(), y, 0.02);
        }
    // Far out, pixels beyond the globe give its edges, never a longitude past 180 degrees.
    const auto world = TPlanProjection::Make(0, 0, PlanZoomMin, 800, 560);
    int32 lat = 0, lon = 0;
    world.ToGeo(-1e7, -1e7, lat, lon);
    EXPECT_EQ(lat, 9000000);
    EXPECT_EQ(lon, -18000000);
}

TEST_F(PlanTest, MapProjectionFollowsTheCalibrationAndInverts)
{
    TMap M;
    MakeMap(M);
    for (double zoom : {0.004, 0.05, 3.0}) {
        const auto pr = TPlanProjection::Make(4512345, 612345, zoom, 900, 700, &M);
        ASSERT_TRUE(pr.ThroughMap());
        EXPECT_NEAR(pr.MapScale, (2000 + 2005 - 0 - 10) / (4600000.0 + 4600500 - 4400000 - 4400000), 1e-12);
        // The centre is on the centre pixel, and every position goes through the calibration
        // with its curvature terms.
        const QPointF c = pr.ToScreen(4512345, 612345);
        EXPECT_NEAR(c.x(), 450, 1e-6);
        EXPECT_NEAR(c.y(), 350, 1e-6);
        double mx, my, ox, oy;
        ASSERT_TRUE(IniMapPosToPixel(M, 4520000, 630000, mx, my));
        ASSERT_TRUE(IniMapPosToPixel(M, 4512345, 612345, ox, oy));
        const QPointF p = pr.ToScreen(4520000, 630000);
        EXPECT_NEAR(p.x(), (mx - ox) / pr.MapScale * zoom + 450, 1e-6);
        EXPECT_NEAR(p.y(), (my - oy) / pr.MapScale * zoom + 350, 1e-6);
        // Inverse to the unit, wherever the pixel lies.
        for (int x = 0; x <= 900; x += 150)
            for (int y = 0; y <= 700; y += 140) {
                int32 lat, lon;
                pr.ToGeo(x, y, lat, lon);
                const QPointF back = pr.ToScreen(lat, lon);
                const double tol = std::max(0.6, zoom); // one unit is `zoom` pixels
                EXPECT_NEAR(back.x(), x, tol) << zoom;
                EXPECT_NEAR(back.y(), y, tol) << zoom;
            }
    }
    // The map drawn stays aside when the view does not reach it: plain projection.
    EXPECT_FALSE(TPlanProjection::Make(3000000, 600000, 0.05, 900, 700, &M).ThroughMap());
    // An uncalibrated map is never used.
    M.Pos[3].Valid = false;
    M.Pos[3].X = -1;
    EXPECT_FALSE(TPlanProjection::Make(4512345, 612345, 0.05, 900, 700, &M).ThroughMap());
}

TEST_F(PlanTest, ScreenToGeoOfTheViewUsesTheMapOnlyWhenItIsDrawn)
{
    MakeMap(*Map);
    TPlanForm F;
    Place(F, 4500000, 600000, 0.01, QSize(640, 480));
    const TPos P{4510000, 620000};
    Opt->FondCarte = false;
    EXPECT_FALSE(F.Projection().ThroughMap());
    QPointF q = F.GeoToScreen(P.Lat, P.Lon);
    int32 lat, lon;
    F.ScreenToGeo(qRound(q.x()), qRound(q.y()), lat, lon);
    EXPECT_NEAR(lat, P.Lat, 100);
    EXPECT_NEAR(lon, P.Lon, 150);
    Opt->FondCarte = true;
    ASSERT_TRUE(F.Projection().ThroughMap());
    const QPointF qm = F.GeoToScreen(P.Lat, P.Lon);
    EXPECT_GT(QLineF(q, qm).length(), 1.0); // the calibration moves the point
    F.ScreenToGeo(qRound(qm.x()), qRound(qm.y()), lat, lon);
    EXPECT_NEAR(lat, P.Lat, 100);
    EXPECT_NEAR(lon, P.Lon, 150);
    // The map image is stretched under the plan where its rectangle lands.
    const QImage img = Render(F, QSize(640, 480));
    EXPECT_EQ(img.pixelColor(20, 20), QColor(200, 230, 200));
}

TEST_F(PlanTest, FitZoomKeepsTheBoxInsideWithGuardsForFlatBoxes)
{
    int32 lat, lon;
    const double z = FitZoom(4500000, 4510000, 600000, 640000, 800, 600, lat, lon);
    EXPECT_EQ(lat, 4505000);
    EXPECT_EQ(lon, 620000);
    const double c = std::cos(4505000 * M_PI / 18000000);
    EXPECT_NEAR(z, std::min(800 * 0.9 / (40000 * c), 600 * 0.9 / 10000), 1e-12);
    // A single point counts as a box of 100 units.
    EXPECT_NEAR(FitZoom(4500000, 4500000, 600000, 600000, 800, 600, lat, lon), 600 * 0.9 / 100, 1e-12);
}

// ---- Layers -------------------------------------------------------------------------------

TEST_F(PlanTest, RealIgcIsDrawnWhereItsFixesProject)
{
    ASSERT_EQ(OpenTrjFiles(QStringLiteral(ZPH_TESTDATA "/igc/01lz1hq1.igc"), 1), 1);
    ASSERT_TRUE(Trj);
    ASSERT_GT(Trj->RecCount, 4000);
    TPlanForm F;
    F.resize(1000, 700);
    F.Ajuste(0);
    F.RefreshView();
    const QImage img = Render(F, QSize(1000, 700));
    if (qEnvironmentVariableIsSet("ZPH_ARTEFACT_DIR")) // for a look by eye, not committed
        img.save(qEnvironmentVariable("ZPH_ARTEFACT_DIR") + QStringLiteral("/plan-01lz1hq1.png"));
    const TPlanProjection pr = F.Projection();
    int total = 0, drawn = 0;
    for (const TRec* R = Trj->First; R; R = R->Next) {
        const QPointF q = pr.ToScreen(*R);
        ASSERT_TRUE(QRectF(0, 0, 1000, 700 - F.BottomBand).contains(q)) << "the fit shows every fix";
        ++total;
        if (ColourNear(img, q, C(ciTrace)) || ColourNear(img, q, C(ciCursor))) ++drawn;
    }
    EXPECT_GT(drawn, total * 98 / 100);
    // Far from the trace the background stays.
    int32 latMin, latMax, lonMin, lonMax;
    pr.GeoBox(latMin, latMax, lonMin, lonMax);
    EXPECT_LT(latMin, Trj->LatMin);
    EXPECT_GT(lonMax, Trj->LonMax);
    // The current-fix marker is drawn at the first fix.
    EXPECT_TRUE(ColourNear(img, pr.ToScreen(*Trj->CurRec) + QPointF(6, 0), C(ciCursor), 2));
}

TEST_F(PlanTest, PenLiftsAtSegmentStartsAndSkipsZeroPositions)
{
    MakeTrace({{4500000, 600000, 1000000},
               {4500000, 610000, 1001000},
               {4500000, 620000, 1002000, 0, 1}, // a new segment: no line from the previous fix
               {4500000, 630000, 1003000},
               {0, 635000, 1003500}, // no position: skipped, its neighbours joined
               {4500000, 640000, 1004000}});
    TPlanForm F;
    Place(F, 4500000, 620000, 0.015);
    F.DrawCursor(false, nullptr);
    const QImage img = Render(F);
    const TPlanProjection pr = F.Projection();
    auto mid = [&](int32 lon) { return pr.ToScreen(4500000, lon); };
    EXPECT_TRUE(ColourNear(img, mid(605000), C(ciTrace), 0));
    EXPECT_FALSE(ColourNear(img, mid(615000), C(ciTrace), 2));
    EXPECT_TRUE(ColourNear(img, mid(625000), C(ciTrace), 0));
    EXPECT_TRUE(ColourNear(img, mid(635000), C(ciTrace), 0));
}

TEST_F(PlanTest, EngineNoiseWidensThePenAndSelectionIsDrawnInItsColour)
{
    TTrj* T = MakeTrace({{4500000, 600000, 1000000, 0},
                         {4500000, 610000, 1001000, 900},
                         {4500000, 620000, 1002000, 0},
                         {4500000, 630000, 1003000, 0}});
    EXPECT_EQ(T->EnlMax, 900);
    std::tie(Opt->EngineRelLevel, Opt->EngineAbsLevel, Opt->EngineCoefWidth) = std::tuple(50, 400, 4);
    EXPECT_EQ(TracePenWidth(*T, *T->First->Next, 1), 4);
    EXPECT_EQ(TracePenWidth(*T, *T->First, 1), 1);
    Opt->EngineAbsLevel = 900; // must be passed, not reached
    EXPECT_EQ(TracePenWidth(*T, *T->First->Next, 2), 2);
    Opt->EngineAbsLevel = 400;

    TPlanForm F;
    Fit(F);
    F.DrawCursor(false, nullptr);
    T->SelFirst = T->First->Next->Next;
    T->SelLast = T->Last;
    const QImage img = Render(F);
    const TPlanProjection pr = F.Projection();
    const QPointF engine = pr.ToScreen(4500000, 605000), glide = pr.ToScreen(4500000, 615000);
    // Engine segment four pixels wide, glide segment one.
    EXPECT_TRUE(ColourNear(img, engine + QPointF(0, -1), C(ciTrace), 0));
    EXPECT_TRUE(ColourNear(img, engine + QPointF(0, 1), C(ciTrace), 0));
    EXPECT_FALSE(ColourNear(img, glide + QPointF(0, -2), C(ciTrace), 0));
    EXPECT_TRUE(ColourNear(img, pr.ToScreen(4500000, 625000), C(ciSelection), 0));
    EXPECT_FALSE(ColourNear(img, glide, C(ciSelection), 1));
}

TEST_F(PlanTest, OtherOpenTracesAppearWhenOverlaid)
{
    MakeTrace({{4500000, 600000, 1000000}, {4510000, 600000, 1001000}});
    TTrj* first = Trj;
    MakeTrace({{4500000, 610000, 1000000}, {4510000, 610000, 1001000}});
    TPlanForm F;
    Place(F, 4505000, 605000, 0.02);
    const QPointF other = F.GeoToScreen(4505000, 600000);
    EXPECT_FALSE(ColourNear(Render(F), other, C(ciOtherTrj), 0));
    SyncTrj = true;
    EXPECT_TRUE(ColourNear(Render(F), other, C(ciOtherTrj), 0));
    EXPECT_NE(first, Trj);
}

TEST_F(PlanTest, ZoneOutlinesExpandArcsAndCircles)
{
    TMpf Z;
    auto c = std::make_unique<TDrd2>();
    c->Lat = 4500000;
    c->Lon = 600000;
    c->Radius = 5000;
    Z.AddDrd(std::move(c));
    const TZoneOutline O = BuildZoneOutline(Z);
    ASSERT_EQ(O.Rings.size(), 1u);
    EXPECT_EQ(O.Rings[0].size(), 73u);
    for (const TPos& p : O.Rings[0]) EXPECT_NEAR(Distance(TPos{4500000, 600000}, p), 5.0, 0.01);

    // A clockwise quarter from north to east, and the same ends anticlockwise: three quarters.
    const TPos centre{4500000, 600000};
    const TPos north = DestPoint(centre, 0, 10), east = DestPoint(centre, 90, 10);
    for (double sign : {1.0, -1.0}) {
        TMpf A;
        auto p0 = std::make_unique<TDrd>();
        static_cast<TPos&>(*p0) = north;
        A.AddDrd(std::move(p0));
        auto arc = std::make_unique<TDrd1>();
        arc->StartPos = north;
        arc->Centre = centre;
        arc->Radius = sign * 10000;
        static_cast<TPos&>(*arc) = east;
        A.AddDrd(std::move(arc));
        const TZoneOutline AO = BuildZoneOutline(A);
        ASSERT_EQ(AO.Rings.size(), 1u);
        const auto& r = AO.Rings[0];
        // Point, start, a step every 5 degrees at most, end.
        EXPECT_TRUE(sign > 0 ? r.size() == 20u : r.size() == 56u || r.size() == 57u) << r.size();
        EXPECT_NEAR(Bearing(centre, r[r.size() / 2]), sign > 0 ? 45 : 225, 3);
        for (size_t i = 1; i < r.size(); ++i) EXPECT_NEAR(Distance(centre, r[i]), 10.0, 0.05);
    }
}

TEST_F(PlanTest, ZonesTaskAndWaypointsAreDrawnInTheirStyles)
{
    SetZone(4, {{4490000, 590000}, {4490000, 610000}, {4510000, 610000}, {4510000, 590000}});
    std::tie(Opt->ZoneStyles[4].Draw, Opt->ZoneStyles[4].Style) = std::tuple(true, 0);
    Opt->ZoneStyles[4].Color = 0x00A0A0; // olive-ish

    NewSwp();
    AddWpt(4495000, 595000, "ALPHA");

    TPlanForm F;
    Place(F, 4500000, 600000, 0.02);
    QImage img = Render(F);
    const TPlanProjection pr = F.Projection();
    EXPECT_TRUE(ColourNear(img, pr.ToScreen(4490000, 600000), WinColorToQColor(0x00A0A0), 1));
    EXPECT_TRUE(ColourNear(img, pr.ToScreen(4500000, 610000), WinColorToQColor(0x00A0A0), 1));
    const QPointF w = pr.ToScreen(4495000, 595000);
    EXPECT_TRUE(ColourNear(img, w + QPointF(3, 0), C(ciWaypoint), 1));
    // The class switched off is not drawn.
    Opt->ZoneStyles[4].Draw = false;
    F.RefreshView();
    img = Render(F);
    EXPECT_FALSE(ColourNear(img, pr.ToScreen(4490000, 600000), WinColorToQColor(0x00A0A0), 1));

    // The selected-waypoint mark is state: drawn once marked, gone when marked again.
    F.DrawWptCursor(Swp->First);
    EXPECT_TRUE(ColourNear(Render(F), w + QPointF(7, 0), C(ciSelWaypoint), 1));
    F.DrawWptCursor(Swp->First);
    EXPECT_FALSE(ColourNear(Render(F), w + QPointF(7, 0), C(ciSelWaypoint), 1));
}

TEST_F(PlanTest, ZoneEdgesStayRightWhenZoomedFarIn)
{
    // A dashed zone of 40 km around the view, seen at the highest zoom on its west edge: the
    // outline is clipped before the pen runs along it and the visible edge stays in place.
    SetZone(7, {{4480000, 580000}, {4480000, 640000}, {4520000, 640000}, {4520000, 580000}});
    Opt->ZoneStyles[7] = TCtp{};
    std::tie(Opt->ZoneStyles[7].Color, Opt->ZoneStyles[7].Width) = std::tuple(0x0000C0, 3);
    MakeTrace({{4400000, 500000, 1000000}, {4600000, 700000, 1001000}});
    AddTurnPoints({{4500000, 580000}});
    TPlanForm F;
    Place(F, 4500000, 580000, PlanZoomMax);
    F.DrawCursor(false, nullptr);
    const QImage img = Render(F);
    const QPointF edge = F.GeoToScreen(4500000, 580000);
    EXPECT_NEAR(edge.x(), 400, 1e-6);
    EXPECT_TRUE(ColourNear(img, QPointF(400, 100), WinColorToQColor(0x0000C0), 2));
    EXPECT_FALSE(ColourNear(img, QPointF(300, 100), WinColorToQColor(0x0000C0), 2));
}

TEST_F(PlanTest, TaskLegsSectorsAndSearchCylinders)
{
    MakeTrace({{4500000, 600000, 1000000}, {4500000, 600100, 1000100}});
    AddTurnPoints({{4500000, 600000}, {4530000, 600000}, {4500000, 600000}});
    Opt->LigneEntreSecteur = true;
    TPlanForm F;
    Place(F, 4530000, 600000, 0.05);
    F.DrawCursor(false, nullptr);
    QImage img = Render(F);
    const TPlanProjection pr = F.Projection();
    // The leg south of the turn point.
    EXPECT_TRUE(ColourNear(img, pr.ToScreen(4526000, 600000), C(ciTask), 1));
    // The FAI sector of the turn point opens north, away from the task: its edges run at 315
    // and 45 degrees.
    const TPos turn{4530000, 600000};
    EXPECT_TRUE(ColourNear(img, pr.ToScreen(DestPoint(turn, 45, 5)), C(ciSector), 2));
    EXPECT_TRUE(ColourNear(img, pr.ToScreen(DestPoint(turn, 315, 5)), C(ciSector), 2));
    EXPECT_FALSE(ColourNear(img, pr.ToScreen(DestPoint(turn, 0, 5)), C(ciSector), 2));
    // Search cylinders come from the circuit search window's hook.
    auto cylinderHits = [&](const QImage& im) {
        int hits = 0;
        for (double brg : {100.0, 135.0, 160.0, 200.0, 225.0, 260.0})
            hits += ColourNear(im, pr.ToScreen(DestPoint(turn, brg, 8)), C(ciSector), 2);
        return hits;
    };
    EXPECT_EQ(cylinderHits(img), 0);
    F.StnSearchRadii = [] { return std::vector<double>{0, 8000, 0}; };
    F.DrawStn();
    EXPECT_GE(cylinderHits(Render(F)), 4);
}

TEST_F(PlanTest, LiveSegmentAndScaleBand)
{
    MakeTrace({{4500000, 600000, 1000000}, {4500000, 610000, 1001000}, {4500000, 620000, 1002000}});
    TPlanForm F;
    Fit(F);
    Trj->LiveRec = Trj->First->Next;
    const TPlanProjection pr = F.Projection();
    const QPointF live = pr.ToScreen(4500000, 615000);
    EXPECT_FALSE(ColourNear(Render(F), live, C(ciLive), 0));
    F.DrawSecTrj();
    EXPECT_TRUE(ColourNear(Render(F), live, C(ciLive), 0));
    // The scale band: the bar in text colour on the band background.
    ASSERT_GT(F.BottomBand, 0);
    const QImage img = Render(F);
    int text = 0;
    for (int y = 600 - F.BottomBand; y < 600; ++y)
        for (int x = 0; x < 400; ++x)
            if (img.pixelColor(x, y) == C(ciPlanText)) ++text;
    EXPECT_GT(text, 100);
}

// ---- Fitting and navigation ----------------------------------------------------------------

TEST_F(PlanTest, AjusteFitsTraceTaskWaypointsMapAndZones)
{
    TPlanForm F;
    F.resize(800, 600);
    auto inside = [&](int32 lat, int32 lon) {
        const QPointF q = F.GeoToScreen(lat, lon);
        return q.x() >= 0 && q.x() <= 800 && q.y() >= 0 && q.y() <= 600 - F.BottomBand;
    };
    // Waypoints alone.
    NewSwp();
    AddWpt(4300000, 100000);
    AddWpt(4310000, 130000);
    F.Ajuste(0);
    EXPECT_TRUE(inside(4300000, 100000));
    EXPECT_TRUE(inside(4310000, 130000));
    EXPECT_EQ(F.CtrLati, 4305000);
    // A trace wins over the waypoints.
    MakeTrace({{4500000, 600000, 1000000}, {4520000, 640000, 1001000}});
    F.Ajuste(0);
    EXPECT_EQ(F.CtrLati, 4510000);
    EXPECT_EQ(F.CtrLong, 620000);
    EXPECT_TRUE(inside(4500000, 600000));
    EXPECT_TRUE(inside(4520000, 640000));
    EXPECT_FALSE(inside(4300000, 100000));
    // The box fills 90 % of the tighter dimension.
    const QPointF a = F.GeoToScreen(4500000, 600000), b = F.GeoToScreen(4520000, 640000);
    EXPECT_NEAR(std::max(std::abs(b.x() - a.x()) / 800, std::abs(b.y() - a.y()) / (600 - F.BottomBand)), 0.9,
                1e-6);
    // Ctrl: the scanned map's extent.
    MakeMap(*Map);
    F.Ajuste(FitCtrl);
    EXPECT_EQ(F.CtrLati, (4400000 + 4600500) / 2);
    EXPECT_TRUE(inside(4400000, 500000));
    EXPECT_TRUE(inside(4600500, 700500));
    // Shift: the zone set.
    SetZone(10, {}, TPos{4800000, 200000}, 3000);
    F.Ajuste(FitShift);
    EXPECT_NEAR(F.CtrLati, 4800000, 5);
    EXPECT_NEAR(F.CtrLong, 200000, 5);
    // The task of a trace without fixes.
    CloseAllTrj();
    NewTrj();
    AddTurnPoints({{4100000, 300000}, {4150000, 300000}});
    F.Ajuste(0);
    EXPECT_EQ(F.CtrLati, 4125000);
    EXPECT_TRUE(inside(4150000, 300000));
}

TEST_F(PlanTest, CentralZoneAndZoomAroundAPoint)
{
    TPlanForm F;
    Place(F, 4500000, 600000, 0.05, QSize(1000, 600));
    const int h = 600 - F.BottomBand;
    auto recAt = [&](double x, double y) {
        TRec r;
        F.ScreenToGeo(qRound(x), qRound(y), r.Lat, r.Lon);
        return r;
    };
    const std::tuple<double, double, bool> cases[] = {
        {500, h / 2.0, true}, {210, 0.21 * h, true}, {190, h / 2.0, false}, {500, 0.85 * h, false}};
    for (auto [x, y, central] : cases) {
        TRec r = recAt(x, y);
        EXPECT_EQ(F.IsInCentralZone(&r), central) << x << " " << y;
    }
    EXPECT_FALSE(F.IsInCentralZone(nullptr));

    // Zoom keeping a point under its pixel (the wheel), then centring on it (the NMEA window).
    int32 lat, lon;
    F.ScreenToGeo(200, 150, lat, lon);
    F.ZoomAround(lat, lon, false, 2.0);
    EXPECT_DOUBLE_EQ(F.Zoom, 0.1);
    const QPointF q = F.GeoToScreen(lat, lon);
    EXPECT_NEAR(q.x(), 200, 1.0);
    EXPECT_NEAR(q.y(), 150, 1.0);
    F.ZoomAround(lat, lon, true, 1.0);
    EXPECT_EQ(F.CtrLati, lat);
    EXPECT_EQ(F.CtrLong, lon);
    // Also through the map.
    MakeMap(*Map);
    Opt->FondCarte = true;
    F.ScreenToGeo(800, 100, lat, lon);
    F.ZoomAround(lat, lon, false, 0.5);
    ASSERT_TRUE(F.Projection().ThroughMap());
    const QPointF qm = F.GeoToScreen(lat, lon);
    EXPECT_NEAR(qm.x(), 800, 1.0);
    EXPECT_NEAR(qm.y(), 100, 1.0);
}

TEST_F(PlanTest, ClickSelectsTheNearestFixOrWaypoint)
{
    std::vector<TFix> fixes;
    for (int i = 0; i < 50; ++i)
        fixes.push_back({4500000 + (i % 7) * 1000, 600000 + i * 500, 1000000 + i * 100});
    MakeTrace(fixes);
    NewSwp();
    AddWpt(4520000, 610000, "ONE");
    AddWpt(4480000, 615000, "TWO");
    TPlanForm F;
    Fit(F);
    QSignalSpy fixSpy(&F, &TPlanForm::currentFixChanged);
    QSignalSpy wptSpy(&F, &TPlanForm::selectedWptChanged);
    const TRec* target = Trj->RecAt(23);
    const QPointF p = F.GeoToScreen(target->Lat, target->Lon) + QPointF(2, 1);
    QTest::mouseClick(&F, Qt::LeftButton, Qt::NoModifier, p.toPoint());
    EXPECT_EQ(Trj->CurRec, target);
    EXPECT_EQ(fixSpy.count(), 1);
    EXPECT_EQ(F.NearestFix(QPointF(-5000, -5000), 10), nullptr);

    // A drag pans and selects nothing.
    const int32 lat0 = F.CtrLati;
    QTest::mousePress(&F, Qt::LeftButton, Qt::NoModifier, QPoint(400, 300));
    QMouseEvent move(QEvent::MouseMove, QPointF(400, 350), QPointF(400, 350), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(&F, &move);
    QTest::mouseRelease(&F, Qt::LeftButton, Qt::NoModifier, QPoint(400, 350));
    EXPECT_GT(F.CtrLati, lat0);
    EXPECT_EQ(Trj->CurRec, target);

    // Waypoint mode: the click selects the nearest waypoint and marks it.
    TrjMode = 0;
    WptMode = 1;
    const QPointF w = F.GeoToScreen(4480000, 615000) + QPointF(-3, 2);
    QTest::mouseClick(&F, Qt::LeftButton, Qt::NoModifier, w.toPoint());
    ASSERT_TRUE(Swp->SelWpt);
    EXPECT_EQ(Swp->SelWpt->Name, QStringLiteral("TWO"));
    EXPECT_EQ(F.MarkedWpt(), Swp->SelWpt);
    EXPECT_EQ(wptSpy.count(), 1);
    EXPECT_EQ(Trj->CurRec, target);
}

TEST_F(PlanTest, KeysStepThroughFixesAndZoom)
{
    std::vector<TFix> fixes;
    for (int i = 0; i < 40; ++i) fixes.push_back({4500000, 600000 + i * 1000, 1000000 + i * 100});
    MakeTrace(fixes);
    TPlanForm F;
    Fit(F);
    QSignalSpy spy(&F, &TPlanForm::currentFixChanged);
    EXPECT_EQ(Trj->CurRec, Trj->First);
    // Each key and the fix it leads to; the ends stop the steps.
    const std::pair<Qt::Key, int> steps[] = {{Qt::Key_Right, 1},  {Qt::Key_PageDown, 11}, {Qt::Key_Left, 10},
                                             {Qt::Key_PageUp, 0}, {Qt::Key_PageUp, 0},    {Qt::Key_End, 39},
                                             {Qt::Key_Right, 39}, {Qt::Key_Home, 0}};
    for (auto [key, index] : steps) {
        QTest::keyClick(&F, key);
        EXPECT_EQ(Trj->CurRec, Trj->RecAt(index)) << key;
    }
    EXPECT_EQ(Trj->Last, Trj->RecAt(39));
    EXPECT_EQ(spy.count(), 8);

    // Zoomed in, a step that leaves the central zone brings the fix back to the centre.
    F.ZoomAround(Trj->First->Lat, Trj->First->Lon, true, 20);
    for (int i = 0; i < 5; ++i) QTest::keyClick(&F, Qt::Key_PageDown);
    EXPECT_TRUE(F.IsInCentralZone(Trj->CurRec));

    const double z = F.Zoom;
    QTest::keyClick(&F, Qt::Key_Plus);
    EXPECT_NEAR(F.Zoom, z * 1.5, 1e-12);
    QTest::keyClick(&F, Qt::Key_Minus);
    EXPECT_NEAR(F.Zoom, z, 1e-12);
    const int32 lon0 = F.CtrLong;
    QTest::keyClick(&F, Qt::Key_Right, Qt::ControlModifier); // pans
    EXPECT_GT(F.CtrLong, lon0);
}

TEST_F(PlanTest, MarksOfFreedObjectsAreNotDrawn)
{
    MakeTrace({{4500000, 600000, 1000000}, {4500000, 610000, 1001000}});
    TPlanForm F;
    Fit(F);
    F.DrawCursor(true, Trj->Last);
    const QPointF q = F.GeoToScreen(Trj->Last->Lat, Trj->Last->Lon);
    EXPECT_TRUE(ColourNear(Render(F), q + QPointF(6, 0), C(ciCursor), 1));
    CloseAllTrj();
    // No refresh yet: the cursor no longer belongs to any trace and is left out.
    EXPECT_FALSE(ColourNear(Render(F), q + QPointF(6, 0), C(ciCursor), 1));
}

TEST_F(PlanTest, AutoSelectMapLoadsTheMapUnderTheCurrentPoint)
{
    // A calibrated map on disk, installed in the catalogue, and a broken entry before it.
    QTemporaryDir dir;
    const QString image = dir.filePath(QStringLiteral("Alps.png"));
    TMap M;
    MakeMap(M, QColor(10, 200, 10));
    ASSERT_TRUE(M.Image.save(image));
    ASSERT_TRUE(SaveMapCal(MapCalFileName(image), M, QString(), 2000, 2000));
    {
        TIniFile ini(IniFileName());
        ASSERT_TRUE(ini.WriteString(QStringLiteral("Liste_Cartes"), QStringLiteral("Alps"), image));
        ASSERT_TRUE(ini.WriteString(QStringLiteral("Liste_Cartes"), QStringLiteral("Lost"),
                                    dir.filePath(QStringLiteral("lost.png"))));
    }
    Sml->Items = {TMapLoc{QStringLiteral("North"), QString(), 4700000, 4800000, 500000, 700000},
                  TMapLoc{QStringLiteral("Lost"), QString(), 4400000, 4600000, 500000, 700000},
                  TMapLoc{QStringLiteral("Alps"), image, 4400000, 4600500, 500000, 700500}};
    std::vector<TFix> fixes;
    for (int i = 0; i < 5; ++i) fixes.push_back({4500000, 600000 + i * 100, 1000000 + i * 100});
    fixes.push_back({4750000, 600000, 1001000});
    MakeTrace(fixes);
    Opt->AutoSelectionCarte = true;
    Opt->FondCarte = true;
    Msg::ClearLog();
    TPlanForm F;
    Place(F, 4500000, 600000, 0.01);
    F.AutoSelectMap();
    // The broken entry is reported once, then the next map holding the point is loaded.
    EXPECT_TRUE(Map->Valid);
    EXPECT_EQ(Opt->FichFondCarte, QStringLiteral("Alps"));
    EXPECT_EQ(Msg::Log().size(), 1);
    EXPECT_EQ(Render(F).pixelColor(50, 50), QColor(10, 200, 10));
    // Stepping on inside the map neither reloads it nor repeats the message.
    *Map->Image.bits() = 0;
    QTest::keyClick(&F, Qt::Key_Right);
    QTest::keyClick(&F, Qt::Key_Right);
    EXPECT_EQ(*Map->Image.constBits(), 0);
    EXPECT_EQ(Msg::Log().size(), 1);
    // A point outside every map of the catalogue (rebuilt from the map folder at the load)
    // keeps the current map, without a message.
    QTest::keyClick(&F, Qt::Key_End);
    EXPECT_TRUE(Map->Valid);
    EXPECT_EQ(Opt->FichFondCarte, QStringLiteral("Alps"));
    EXPECT_EQ(Msg::Log().size(), 1);
}

} // namespace

TEST_F(PlanTest, WaypointNamesNeverOverlapAndTurnPointNamesWin)
{
    // 99 waypoints over 60 x 60 km, seen at 200 km and 500 km across.
    NewSwp();
    uint32_t seed = 12345;
    auto next = [&seed] { return (seed = seed * 1664525u + 1013904223u) >> 8; };
    for (int i = 0; i < 99; ++i) {
        const QByteArray name = "Point " + QByteArray::number(i);
        AddWpt(4500000 + int32(next() % 54000), 600000 + int32(next() % 76000), name.constData());
    }
    // A turn point at the first waypoint, under the same name.
    MakeTrace({{4500000, 600000, 1000000}, {4500000, 600100, 1000100}});
    AddTurnPoints({{Swp->First->Lat, Swp->First->Lon}});
    Stn->First->Name = Swp->First->Name;
    for (double km : {200.0, 500.0}) {
        SCOPED_TRACE(km);
        const QSize size(800, 600);
        const TPlanProjection pr = TPlanProjection::Make(4527000, 638000, 800 / (km / 111.2 * 1e5), 800, 600);
        QImage img(size, QImage::Format_RGB32);
        QPainter p(&img);
        TPlanRenderer r;
        r.Paint(p, size, 0, pr, TPlanMarks());
        p.end();
        const std::vector<QRect>& boxes = r.LabelBoxes();
        EXPECT_GT(boxes.size(), 3u);
        EXPECT_LT(boxes.size(), 99u);
        for (size_t i = 0; i < boxes.size(); ++i)
            for (size_t j = i + 1; j < boxes.size(); ++j)
                EXPECT_FALSE(boxes[i].intersects(boxes[j])) << i << " " << j;
        // The turn point's name took its place first; its waypoint's name was left out.
        const QPointF tp = pr.ToScreen(*Stn->First);
        ASSERT_FALSE(boxes.empty());
        EXPECT_NEAR(boxes.front().left(), tp.x() + 6, 1);
        // The points stay (a few may lie under a name or the task's marks).
        int marked = 0;
        for (const TWpt* W = Swp->First; W; W = W->Next)
            marked += ColourNear(img, pr.ToScreen(*W) + QPointF(3, 0), C(ciWaypoint), 1);
        EXPECT_GE(marked, 90);
    }
}
