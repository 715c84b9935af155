// The printed plan and cross-section: frames by mode, projection, layers' geometry, airspace
// clipping, and blocks rendered into images.
#include "print/PrintPlan.h"
#include "print/PrintCutt.h"
#include "print/PrintLayers.h"
#include "print/PrintZones.h"

#include "files/IgcFile.h"
#include "files/MapCal.h"
#include "model/Calc.h"
#include "model/LabelPlace.h"
#include "model/Options.h"
#include "model/Sector.h"
#include "model/Texts.h"
#include "platform/Numbers.h"
#include "print/PrintJob.h"
#include "support/Fixtures.h"
#include "support/PdfProbe.h"

#include <QImage>
#include <QPainter>
#include <cmath>

namespace {

TEST(PlanScaleTest, TextsAndClamp)
{
    const struct
    {
        const char* text;
        double zoom;
    } rows[] = {{"1/250000", 4e-6}, {"250000", 4e-6}, {"1/1000", 2e-4}, {"1/50000000", 1e-7},
                {"1/0", 1e-6},      {"abc", 1e-6},    {"-5", 1e-6},     {"1/99999999999", 1e-6}};
    for (const auto& r : rows)
        EXPECT_DOUBLE_EQ(ClampPlanZoom(1.0 / ScaleTextValue(r.text, 1000000)), r.zoom) << r.text;
}

TEST(PlanScaleTest, PosToPagePullsSingleMarksBack)
{
    EXPECT_EQ(PosToPage({30000, 1000}, 10000), QPoint(10000, 333));
    EXPECT_EQ(PosToPage({500, -20000}, 10000), QPoint(250, -10000));
    EXPECT_EQ(PosToPage({-12.6, 9999.4}, 10000), QPoint(-13, 9999));
}

TEST(PlanLayerGeometryTest, GraticuleScaleBarAndArrow)
{
    double step = 0;
    uint8 mode = 0;
    GraticuleStep(4500000, 4650000, 600000, 800000, 1, step, mode); // 2 x 1.5 degrees
    EXPECT_EQ(step, 100000);
    EXPECT_EQ(mode, 1);
    GraticuleStep(4500000, 4505000, 600000, 606000, 1, step, mode); // e = 35
    EXPECT_DOUBLE_EQ(step, 1666.6666666666667);
    EXPECT_EQ(mode, 2);
    GraticuleStep(0, 9000000, 0, 18000000, 1, step, mode); // e = 69: 3 degrees
    EXPECT_EQ(step, 300000);

    TScaleBar b;
    ASSERT_TRUE(ScaleBarLength(90, b));
    EXPECT_EQ(b.K, 6);
    EXPECT_EQ(b.L, 100);
    EXPECT_EQ(ScaleBarText(b), "100");
    ASSERT_TRUE(ScaleBarLength(0.04, b));
    EXPECT_EQ(b.M, 2);
    EXPECT_EQ(b.N, -2);
    EXPECT_EQ(ScaleBarText(b), "0.05");
    EXPECT_FALSE(ScaleBarLength(0, b));

    // Pointing north, 10 pixels per mm: wings 5 mm behind, 30 degrees off the axis.
    const auto v = ArrowHead({100, 100}, 0, 0, 10, 10);
    EXPECT_EQ(v, (std::array<QPoint, 4>{{{100, 100}, {75, 143}, {100, 105}, {125, 143}}}));
    // 10 mm before P against a course east.
    EXPECT_EQ(ArrowHead({100, 100}, 10, 90, 10, 10)[0], QPoint(0, 100));
}

TEST(LabelPlaceTest, FirstComeKeepTheirPlace)
{
    TLabelPlacer p(16);
    EXPECT_TRUE(p.Place(QRect(0, 0, 40, 10)));
    EXPECT_FALSE(p.Place(QRect(39, 9, 40, 10)));   // one pixel in common
    EXPECT_TRUE(p.Place(QRect(40, 0, 40, 10)));    // side by side
    EXPECT_TRUE(p.Place(QRect(-50, -30, 40, 10))); // left of and above the origin
    EXPECT_FALSE(p.Place(QRect(-20, -25, 5, 5)));
    EXPECT_FALSE(p.Place(QRect(-5000, 5, 1000000, 1))); // a huge one meets the small ones
    EXPECT_TRUE(p.Place(QRect(-5000, 500, 1000000, 1)));
    EXPECT_FALSE(p.Place(QRect(100, 495, 10, 10)));
}

TEST(ZoneClipTest, RegionsVisibilityAndClipping)
{
    const TZoneBox box = ZoneBox(1000, 2000, 3000, 5000);
    EXPECT_EQ(std::tuple(box.S, box.N, box.W, box.E), std::tuple(500, 2500, 2000, 6000));
    const struct
    {
        int32 lat, lon;
        uint8 code;
    } pts[] = {{1000, 3000, 0}, {2500, 2000, 1}, {3000, 7000, 2}, {0, 0, 3},      {500, 6000, 4},
               {2600, 3000, 5}, {500, 3000, 6},  {1000, 2000, 7}, {1000, 6001, 8}};
    for (const auto& p : pts)
        EXPECT_EQ(ZoneRegionCode(box, TPos{p.lat, p.lon}), p.code) << p.lat << " " << p.lon;
    for (uint8 a : {1, 2, 5})
        for (uint8 b : {1, 2, 5}) EXPECT_FALSE(ZoneEdgeVisible(a, b));
    EXPECT_TRUE(ZoneEdgeVisible(1, 4));
    EXPECT_TRUE(ZoneEdgeVisible(5, 7));
    EXPECT_FALSE(ZoneEdgeVisible(3, 7));
    EXPECT_TRUE(ZoneEdgeVisible(0, 4));

    // Inside to far east: cut at E at the crossing's latitude.
    const TPos in{1000, 3000}, far{2000, 13000};
    const TPos c = ClipToZoneBox(box, far, in, 8);
    EXPECT_EQ(c.Lon, 6000);
    EXPECT_EQ(c.Lat, 1300);
    // A corner tries its north side first, then its west side.
    const TPos nw = ClipToZoneBox(box, TPos{4500, 0}, TPos{500, 2500}, 1);
    EXPECT_EQ(nw.Lon, 2000);
    EXPECT_EQ(nw.Lat, 1300);
    EXPECT_EQ(ClipToZoneBox(box, TPos{4500, 0}, TPos{1500, 4000}, 1).Lon, 2667);

    // A 10 km circle reaches the box from 9 km beyond its east side, not from 10 km.
    const double kmPerUnit = MetresPerUnit / 1000;
    const TPos at9{1500, 6000 + Round(9 / kmPerUnit)}, at10{1500, 6000 + Round(10.01 / kmPerUnit)};
    EXPECT_TRUE(CircleInZoneBox(box, at9, 10));
    EXPECT_FALSE(CircleInZoneBox(box, at10, 10));
    EXPECT_FALSE(CircleInZoneBox(box, at10, -10));
}

TEST(ZoneClipTest, ArcDirectionAndSegments)
{
    const QPointF c(0, 0), s(100, 0), e(0, 100);
    // Positive: clockwise on paper, from east down to south, a quarter turn.
    const auto cw = ZoneArcPoints(c, s, e, 5);
    ASSERT_GE(cw.size(), 4u);
    EXPECT_GT(cw[cw.size() / 2].y(), 0);
    EXPECT_GT(cw[cw.size() / 2].x(), 0);
    // Negative: the long way round through north and west.
    const auto acw = ZoneArcPoints(c, s, e, -5);
    EXPECT_LT(acw[acw.size() / 2].x(), 0);
    EXPECT_LT(acw[acw.size() / 2].y(), 0);
    EXPECT_EQ(acw.size(), size_t(std::trunc(1.5 * M_PI * 100 / 10)) + 2);
    // Huge arcs: one segment per 0.1 degree at most; tiny ones two.
    EXPECT_EQ(ZoneArcPoints(c, {1e7, 0}, {1e7, -1e-3}, 1).size(), 3600u + 2);
    EXPECT_EQ(ZoneArcPoints(c, {2, 0}, {0, 2}, 1).size(), 4u);
    // From the centre itself: the straight edge.
    EXPECT_EQ(ZoneArcPoints(c, c, e, 1).size(), 2u);
}

TEST(CuttAxisTest, StepsAndLabels)
{
    int L = 0, t = 0;
    const int rows[][3] = {{0, 100, 50},       {8, 100, 100},     {30, 500, 100},    {31, 500, 500},
                           {100, 1000, 500},   {113, 1000, 1000}, {250, 5000, 1000}, {400, 5000, 5000},
                           {999, 10000, 5000}, {1000, 100, 50},   {-1, 100, 50}};
    for (const auto& r : rows) {
        AltAxisSteps(r[0], L, t);
        EXPECT_EQ(L, r[1]) << r[0];
        EXPECT_EQ(t, r[2]) << r[0];
    }
    for (auto [width, steps] : {std::pair{8, 660}, {15, 112}, {16, 106}}) {
        int p = 0, s = 0;
        TimeAxisSteps(width, p, s);
        EXPECT_EQ(p * 100 + s, steps) << width;
    }
}

class PlanFixture : public FreshModel
{
protected:
    TTrn& AddTrn(int32 lat, int32 lon, int32 radius = 0)
    {
        TTrn t;
        std::tie(t.Lat, t.Lon, t.Name) = std::tuple(lat, lon, "T");
        if (radius) {
            t.Sect.Type_Sect = 1;
            t.Sect.Rayon_Ext = radius;
        }
        return *Stn->AddTrn(t, -1);
    }
    void AddFix(int32 time, int32 lat, int32 lon, int32 alt)
    {
        auto r = std::make_unique<TRec>();
        std::tie(r->Time, r->Lat, r->Lon, r->Alt) = std::tuple(time, lat, lon, alt);
        Trj->AddRec(r);
    }
    TPlanFrameInput Input(int32 Mode)
    {
        TPlanFrameInput in;
        in.Mode = Mode;
        in.Width = 2000;
        in.Height = 1000;
        in.PxPerMmX = in.PxPerMmY = 10;
        in.Trace = Trj;
        in.Task = Stn;
        return in;
    }
};

TEST_F(PlanFixture, FrameByMode)
{
    NewTrj();
    EXPECT_FALSE(PlanFrame(Input(-1)).Valid); // no fixes
    EXPECT_FALSE(PlanFrame(Input(-4)).Valid); // no task
    EXPECT_FALSE(PlanFrame(Input(0)).Valid);
    // Two turn points on one meridian: a width of 100 units, the height fixes the scale.
    AddTrn(4500000, 600000);
    EXPECT_FALSE(PlanFrame(Input(-4)).Valid);
    AddTrn(4510000, 600000, 300);
    TPlanFrame f = PlanFrame(Input(-4));
    ASSERT_TRUE(f.Valid);
    EXPECT_EQ(f.CtrLat, 4505000);
    EXPECT_DOUBLE_EQ(f.PlanZoom, 100.0 / (10000 * MmPerUnit));
    EXPECT_DOUBLE_EQ(f.ScaleY, f.PlanZoom * MmPerUnit * 10);
    // The extent of the drawing area around the centre.
    EXPECT_EQ(f.LatMax - f.CtrLat, Round(500 / f.ScaleY));
    EXPECT_NEAR(f.LonMax - f.CtrLong, 1000 / (std::cos(4505000 * M_PI / 18000000) * f.ScaleX), 1);
    // A cell of a 300 m sector spans 1250 m across its smaller side (100 mm).
    f = PlanFrame(Input(1));
    ASSERT_TRUE(f.Valid);
    EXPECT_EQ(f.TrnKind, 2);
    EXPECT_DOUBLE_EQ(f.PlanZoom, 100.0 / 1250000);
    EXPECT_FALSE(PlanFrame(Input(2)).Valid);
    // As on screen through the installed view; a zero box takes the 100-unit guard.
    TPlanFrameInput in = Input(-2);
    in.ScreenBox = [](TPos& nw, TPos& se) {
        nw = TPos{4600000, 700000};
        se = nw;
        return true;
    };
    f = PlanFrame(in);
    EXPECT_EQ(f.CtrLong, 700000);
    EXPECT_DOUBLE_EQ(f.PlanZoom, 2e-4);
    // Chosen centre and scale.
    in = Input(-3);
    in.CtrLatText = LatiToStr(4400000);
    in.CtrLonText = LongToStr(-150000);
    in.ScaleText = "1/250000";
    f = PlanFrame(in);
    EXPECT_EQ(f.CtrLat, 4400000);
    EXPECT_EQ(f.CtrLong, -150000);
    EXPECT_DOUBLE_EQ(f.PlanZoom, 4e-6);
}

TEST_F(PlanFixture, CuttWindows)
{
    NewTrj();
    AddFix(10 * TimeUnitsPerHour, 4500000, 600000, 1000);
    AddFix(10 * TimeUnitsPerHour + 66667, 4500100, 600000, 1300);
    TPrintSettings S;
    // 40 minutes over an hour, 300 m (+ 50) over 500 m.
    TCuttFrame f = CuttFrame(*Trj, 0, 1800, 1000, 0, 0, 10, 10, S);
    ASSERT_TRUE(f.Valid);
    EXPECT_EQ(f.TimeMax - f.TimeMin, TimeUnitsPerHour);
    EXPECT_EQ(f.AltMax - f.AltMin, 500);
    EXPECT_EQ(f.TimeToX(f.TimeCtr), 900);
    // Chosen scales, 50 mm per km and 20 mm per hour on 180 x 100 mm: 2000 m from 0, 9 hours.
    Trj->ViewTimeMin = f.TimeMin;
    Trj->ViewTimeMax = f.TimeMax;
    Trj->ViewAltMin = 100;
    Trj->ViewAltMax = 250;
    f = CuttFrame(*Trj, -3, 1800, 1000, 0, 0, 10, 10, S);
    EXPECT_EQ(f.AltMin, 0);
    EXPECT_EQ(f.AltMax, 2000);
    EXPECT_EQ(f.TimeMax - f.TimeMin, 9 * TimeUnitsPerHour);
    // Bands wider than the block: nothing.
    EXPECT_FALSE(CuttFrame(*Trj, 0, 100, 100, 60, 0, 10, 10, S).Valid);
}

// A plan page at 1/1000000 centred on chosen coordinates, drawn into an image.
class PlanRenderFixture : public PlanFixture
{
protected:
    TPageContext C;
    TPrintSettings S;
    QImage Img;
    void SetUp() override
    {
        PlanFixture::SetUp();
        C.PageRect = {0, 0, 2000, 1500};
        C.PxPerMmX = C.PxPerMmY = 10;
        C.OutMode = 1;
        S.MonochBtn = false;
        S.RepPlanBtn = false;
        S.EchPlanBtn = false;
        S.CtrLatiEdit = LatiToStr(4500000);
        S.CtrLongEdit = LongToStr(600000);
        S.PrnStyles[psTrace].Color = 0x0000FF; // red
        S.PrnStyles[psTrace].Width = 1;
    }
    void Render(int32 Mode = -3)
    {
        Img = QImage(2000, 1500, QImage::Format_RGB32);
        Img.fill(Qt::white);
        QPainter p(&Img);
        DrawPlan(p, C, S, 0, 0, 2000, 1500, Mode);
    }
    bool Dark(int x, int y) const { return qGray(Img.pixel(x, y)) < 200; }
    // Five fixes along the parallel of the page's centre, 5000 units apart.
    void ParallelTrace()
    {
        NewTrj();
        for (int i = 0; i < 5; ++i) AddFix(1000 * i, 4500000, 590000 + 5000 * i, 500);
    }
    // A zone of class 1 (drawn in black) made of those elements, added to the zone set.
    std::unique_ptr<TSmp> Zones;
    void AddZone(std::initializer_list<TDrd*> Elements)
    {
        if (!Zones) Zones = std::make_unique<TSmp>();
        auto z = std::make_unique<TMpf>();
        z->Class = 1;
        for (TDrd* d : Elements) {
            d->Prev = z->Last;
            (z->Last ? z->Last->Next : z->First) = d;
            z->Last = d;
            ++z->Count;
        }
        Zones->AddMpf(z);
        S.PrnZoneStyles[1].Draw = true;
        S.PrnZoneStyles[1].Color = 0;
    }
};

TEST_F(PlanRenderFixture, TraceAlongAParallelLiesOnItsRow)
{
    ParallelTrace();
    AddFix(6000, 0, 620000, 500);         // latitude 0: skipped
    AddFix(7000, 4500000, 10000000, 500); // far east: the line keeps its row to the edge
    TrjLoaded();
    const TRec* cur = Trj->CurRec;
    Render();
    for (int x : {950, 1050, 1990}) {
        EXPECT_TRUE(Dark(x, 750)) << x;
        EXPECT_FALSE(Dark(x, 745) || Dark(x, 755)) << x;
    }
    EXPECT_EQ(Trj->CurRec, cur);
    // Only the part of the block inside the visible rectangle is drawn, in its place.
    C.Visible = QRect(0, 0, 1000, 1500);
    Render();
    EXPECT_TRUE(Dark(950, 750));
    EXPECT_FALSE(Dark(1050, 750));
}

// A style's width is a physical one: the trace is as thick on a 600 dpi page as on the
// preview of a 96 dpi screen (one unit a pixel there), the engine-noise factor on top.
TEST_F(PlanRenderFixture, TraceAsThickOnPaperAsOnThePreview)
{
    ParallelTrace();
    TrjLoaded();
    S.PrnStyles[psTrace].Width = 3;
    const auto thickness = [&](double pxPerMm) {
        C.PxPerMmX = C.PxPerMmY = pxPerMm;
        const int w = Round(120 * pxPerMm), h = Round(80 * pxPerMm);
        C.PageRect = {0, 0, w, h};
        C.Visible = QRect();
        Img = QImage(w, h, QImage::Format_RGB32);
        Img.fill(Qt::white);
        {
            QPainter p(&Img);
            DrawPlan(p, C, S, 0, 0, w, h, -3);
        }
        int rows = 0;
        for (int y = 0; y < h; ++y) rows += Dark(w / 2, y);
        return rows / pxPerMm; // mm
    };
    const double paper = thickness(600 / MmPerInch), screen = thickness(96 / MmPerInch);
    EXPECT_NEAR(screen, 3 * MmPerInch / 96, 0.01);
    EXPECT_NEAR(paper, screen, 0.05);
}

// Legs join turn points of consecutive numbers only.
TEST_F(PlanRenderFixture, LegsBetweenConsecutiveNumbers)
{
    NewTrj();
    const int nums[] = {0, 1, 3};
    for (int i = 0; i < 3; ++i) AddTrn(4500000, 560000 + 40000 * i).Num = nums[i];
    S.PrnStyles[psTask].Color = 0;
    Render();
    // 40000 units of longitude at 45 degrees are 314 pixels.
    EXPECT_TRUE(Dark(843 + 40, 750) && Dark(843 + 120, 750));
    EXPECT_FALSE(Dark(1157 + 60, 750) || Dark(1157 + 120, 750));
}

TEST_F(PlanRenderFixture, CircleOfTenKmIsTenMmInRadius)
{
    auto* c = new TDrd2;
    c->Kind = dkCircle;
    c->Lat = 4500000;
    c->Lon = 600000;
    c->Radius = 10000;
    AddZone({c});
    SetSmp(std::move(Zones));
    Render();
    EXPECT_TRUE(Dark(1000, 650) || Dark(1000, 649) || Dark(1000, 651));
    EXPECT_TRUE(Dark(900, 750) || Dark(899, 750) || Dark(901, 750));
    EXPECT_FALSE(Dark(1000, 750));
    EXPECT_FALSE(Dark(1000, 640) || Dark(1000, 660));
}

// Zones of one point, arcs of radius 0, a circle of 5000 km whose edge crosses the page and
// points near the poles and the date line: drawn, no more.
TEST_F(PlanRenderFixture, HostileZones)
{
    auto point = [](int32 lat, int32 lon) {
        auto* d = new TDrd;
        d->Lat = lat;
        d->Lon = lon;
        return d;
    };
    auto* arc = new TDrd1;
    arc->Kind = dkArc;
    arc->Lat = arc->StartPos.Lat = arc->Centre.Lat = 4500000;
    arc->Lon = arc->StartPos.Lon = arc->Centre.Lon = 600000;
    auto* huge = new TDrd2;
    huge->Kind = dkCircle;
    huge->Lat = 4500000 - Round(5000000 / MetresPerUnit); // its northern edge on the centre
    huge->Lon = 600000;
    huge->Radius = 5000000;
    AddZone({point(4500000, 600000)});
    AddZone({arc, point(8999999, 17999999), point(-8999999, -17999999)});
    AddZone({huge});
    SetSmp(std::move(Zones));
    Render();
    EXPECT_TRUE(Dark(1000, 750) || Dark(1000, 749) || Dark(1000, 751));
    // 90 mm aside, the circle's edge is 8 pixels lower.
    EXPECT_TRUE(Dark(100, 758) || Dark(100, 757) || Dark(100, 759));
    EXPECT_FALSE(Dark(100, 750));
}

TEST_F(PlanRenderFixture, TraceOverTheMapFollowsItsCalibration)
{
    // A 400 x 300 map of 0.4 x 0.3 degrees, a black pixel at (205, 152), near the centre.
    QImage m(400, 300, QImage::Format_RGB32);
    m.fill(Qt::white);
    m.setPixel(205, 152, qRgb(0, 0, 0));
    Map->Image = m;
    Map->Width = 400;
    Map->Height = 300;
    const int32 lat0 = 4515000, lon0 = 580000;
    auto pt = [](int32 x, int32 y, int32 la, int32 lo) {
        TMapCalPoint p;
        std::tie(p.X, p.Y, p.Lati, p.Long) = std::tuple(x, y, la, lo);
        return p;
    };
    Map->Pos = {pt(0, 0, lat0, lon0), pt(400, 0, lat0, lon0 + 40000), pt(0, 300, lat0 - 30000, lon0),
                pt(400, 300, lat0 - 30000, lon0 + 40000)};
    for (TMapCalPoint& p : Map->Pos) p.Valid = true;
    std::tie(Map->Lati_Min, Map->Lati_Max, Map->Long_Min, Map->Long_Max) =
        std::tuple(lat0 - 30000, lat0, lon0, lon0 + 40000);
    Map->Valid = true;
    Opt->FondCarte = true;
    S.MapPlanBtn = true;
    S.EchPlanBox = "1/20000"; // a map pixel is 56 block pixels wide and high
    TPlanFrameInput in = Input(-3);
    in.Height = 1500;
    in.CtrLatText = S.CtrLatiEdit;
    in.CtrLonText = S.CtrLongEdit;
    in.ScaleText = S.EchPlanBox;
    const TPlanFrame f = PlanFrame(in);
    const TPlanProjection pr = PlanFrameProjection(f, 2000, 1500, Map);
    ASSERT_TRUE(pr.ThroughMap());
    const QPointF q = pr.ToScreen(lat0 - 15250, lon0 + 20550); // the marked pixel's middle
    Render();
    const int qx = Round(q.x()), qy = Round(q.y());
    EXPECT_TRUE(Dark(qx, qy) && Dark(qx - 1, qy - 1) && Dark(qx + 1, qy + 1));
    EXPECT_TRUE(Dark(qx + 15, qy + 24));
    EXPECT_FALSE(Dark(qx + 34, qy) || Dark(qx, qy - 34));
    // A calibration with a missing point: no map, and the plan is drawn all the same.
    Map->Pos[3].Valid = false;
    Map->Pos[3].X = MapPixMissing;
    EXPECT_FALSE(PlanFrameProjection(f, 2000, 1500, Map).ThroughMap());
}

TEST_F(PlanRenderFixture, DetailPageLeavesTheCurrentFixAlone)
{
    TReadReport r;
    ASSERT_TRUE(LoadIgcTrj(ZPH_TESTDATA "/igc/01lz1hq1.igc", true, r));
    FindReachedTrn();
    Trj->CurRec = Trj->First;
    TRec* const cur = Trj->CurRec;
    TTrn* const cursor2 = Stn->Cursor2;
    C.PageRect = {0, 0, 2000, 2800};
    S.PrnView = pvDetail;
    QImage page(2000, 2800, QImage::Format_RGB32);
    page.fill(Qt::white);
    {
        QPainter p(&page);
        DrawPage(p, C, S);
    }
    EXPECT_EQ(Trj->CurRec, cur);
    EXPECT_EQ(Stn->Cursor2, cursor2);
}

// A monochrome plan page through the print job: the trace along a parallel is one dark row across
// the page once read back from the PDF.
TEST_F(PlanRenderFixture, MonochromePlanPageToPdf)
{
    qputenv("CUPS_SERVER", "/nonexistent/zephalon-no-cups.sock");
    NewTrj();
    for (int i = 0; i <= 40; ++i) AddFix(1000 * i, 4500000, 580000 + 1000 * i, 500);
    TrjLoaded();
    QTemporaryDir dir;
    const QString out = dir.filePath("plan.pdf");
    const auto print = [&] {
        SetPdfFileAsker([&](const QString&, QString& name) {
            name = out;
            return true;
        });
        TPrintJob job(S);
        ASSERT_EQ(job.Run(), TPrintResult::Printed);
        SetPdfFileAsker(nullptr);
    };
    S.PrinterName = PdfPrinterName;
    S.MonochBtn = true;
    S.AdjPlanBtn = false;
    S.PrnStyles[psTrace].Width = 1; // 0.26 mm: a pixel at 100 dpi
    S.PrnView = pvPlan;
    print();
    const QImage page = PdfPage(out, 1);
    ASSERT_FALSE(page.isNull());
    const int x = page.width() / 2;
    std::vector<int> rows;
    for (int y = 100; y < page.height() - 100; ++y)
        if (qGray(page.pixel(x, y)) < 128) rows.push_back(y);
    ASSERT_FALSE(rows.empty());
    EXPECT_LE(rows.back() - rows.front(), 1);
    for (int dx : {-40, 40}) EXPECT_LT(qGray(page.pixel(x + dx, rows.front())), 128) << dx;

    // The block goes in without loss: one bit per pixel in monochrome, never as JPEG in colour.
    const auto images = [&] {
        QStringList rows = PdfTool("pdfimages", {"-list", out}).split('\n', Qt::SkipEmptyParts);
        return rows.mid(2); // past the two heading lines
    };
    const QStringList mono = images();
    ASSERT_FALSE(mono.isEmpty());
    for (const QString& row : mono) {
        const QStringList f = row.simplified().split(' ');
        ASSERT_GT(f.size(), 8) << row.toStdString();
        EXPECT_EQ(f[7], "1") << row.toStdString(); // bits per component
        EXPECT_NE(f[8], "jpeg");
    }
    S.MonochBtn = false;
    print();
    for (const QString& row : images()) EXPECT_FALSE(row.contains("jpeg")) << row.toStdString();
}

} // namespace
