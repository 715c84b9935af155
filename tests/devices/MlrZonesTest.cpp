// Zone outlines as the point list sent to an MLR receiver.
#include "devices/MlrZones.h"
#include "files/OpenAir.h"
#include "model/Calc.h"
#include "support/Fixtures.h"

#include <gtest/gtest.h>

namespace {

class MlrZonesTest : public FreshModel
{
protected:
    TSmp set;
    void Zone(std::vector<std::unique_ptr<TDrd>> Elements)
    {
        auto z = std::make_unique<TMpf>();
        for (auto& e : Elements) z->AddDrd(std::move(e));
        set.AddMpf(z);
    }
    static std::unique_ptr<TDrd> Point(int32 Lat, int32 Lon)
    {
        auto d = std::make_unique<TDrd>();
        d->Lat = Lat;
        d->Lon = Lon;
        return d;
    }
    // An arc around (45°N, 5°E) of 10 km from bearing B0 to B1.
    static std::unique_ptr<TDrd> Arc(double B0, double B1, double Radius)
    {
        auto a = std::make_unique<TDrd1>();
        a->Centre = TPos{4500000, 500000};
        a->StartPos = DestPoint(a->Centre, B0, 10);
        static_cast<TPos&>(*a) = DestPoint(a->Centre, B1, 10);
        a->Radius = Radius;
        return a;
    }
};

double BearingFromCentre(const TLin& P)
{
    return Bearing(TPos{4500000, 500000}, P);
}

} // namespace

TEST_F(MlrZonesTest, CircleArcsAndClosing)
{
    auto c = std::make_unique<TDrd2>();
    c->Lat = 4500000;
    c->Lon = 500000;
    c->Radius = 10000;
    std::vector<std::unique_ptr<TDrd>> e;
    e.push_back(std::move(c));
    Zone(std::move(e));
    TSln l = MlrZonePoints(set, 12, nullptr);
    ASSERT_EQ(l.Count(), 13u);
    EXPECT_EQ(l.Points.front().Lat, l.Points.back().Lat);
    EXPECT_TRUE(l.Points.front().SegStart);
    EXPECT_FALSE(l.Points[1].SegStart);
    EXPECT_NEAR(Distance(TPos{4500000, 500000}, l.Points[3]), 10, 0.01) << "radius in metres, distance in km";

    // Clockwise across north: the short way, one segment at N = 12.
    set.Clear();
    e.clear();
    e.push_back(Arc(350, 10, 10000));
    Zone(std::move(e));
    l = MlrZonePoints(set, 12, nullptr);
    ASSERT_EQ(l.Count(), 3u) << "start, end, closed";
    EXPECT_NEAR(BearingFromCentre(l.Points[1]), 10, 0.1);

    // Under 15°, and counter-clockwise: the end vertex is still there, at the right distance.
    for (double r : {10000.0, -10000.0}) {
        set.Clear();
        e.clear();
        e.push_back(Point(4510000, 510000));
        e.push_back(r > 0 ? Arc(20, 30, r) : Arc(30, 20, r));
        Zone(std::move(e));
        l = MlrZonePoints(set, 12, nullptr);
        ASSERT_EQ(l.Count(), 4u) << "point, start, end, back to the first";
        EXPECT_NEAR(BearingFromCentre(l.Points[2]), r > 0 ? 30 : 20, 0.1);
        EXPECT_NEAR(Distance(TPos{4500000, 500000}, l.Points[2]), 10, 0.01);
        EXPECT_EQ(l.Points[3].Lat, 4510000) << "outline closed";
        EXPECT_EQ(l.NbSend, 4u);
    }
}

TEST_F(MlrZonesTest, ViewFilterKeepsOneOutsidePointAtEachCrossing)
{
    // A row of points crossing a view that spans longitudes 10..20 (x 1e-5).
    std::vector<std::unique_ptr<TDrd>> e;
    for (int x : {0, 5, 15, 25, 30, 18, 40}) e.push_back(Point(0, x));
    Zone(std::move(e));
    std::vector<std::unique_ptr<TDrd>> far;
    for (int x : {100, 200, 300}) far.push_back(Point(0, x));
    Zone(std::move(far));
    const TMlrView v{10, -10, 10, 20};
    const TSln l = MlrZonePoints(set, 12, &v);
    // 0 5 15 25 30 18 40 0 | 100 200 300 100
    const bool send[] = {false, true, true, true, true, true, true, false, false, false, false, false};
    ASSERT_EQ(l.Count(), 12u);
    for (size_t i = 0; i < 12; ++i) EXPECT_EQ(l.Points[i].Send, send[i]) << i;
    EXPECT_EQ(l.NbSend, 6u);
    EXPECT_TRUE(l.Points[4].SegStart) << "the pen lifts where the line re-enters";
    EXPECT_FALSE(l.Points[5].SegStart);
    const TMlrView edge{0, 0, 15, 15};
    EXPECT_TRUE(PointInView(TPos{0, 15}, edge)) << "the edges belong to the view";
}

TEST_F(MlrZonesTest, RealFiles)
{
    const struct
    {
        const char* file;
        int zones;
        uint32_t points;
    } files[] = {{"/openair/2026_03_Airspace_Germany_OA1.txt", 678, 18862},
                 {"/openair/AirspaceAus-DAA.txt", 662, 13603}};
    for (const auto& f : files) {
        TReadReport r;
        auto smp = ReadOpenAirFile(QString(ZPH_TESTDATA) + f.file, 10, r);
        ASSERT_TRUE(smp) << f.file;
        ASSERT_EQ(smp->Count, f.zones);
        const TSln l = MlrZonePoints(*smp, 25, nullptr);
        EXPECT_EQ(l.Count(), f.points) << f.file;
        EXPECT_EQ(l.NbSend, l.Count());
        size_t starts = 0;
        for (const TLin& p : l.Points) starts += p.SegStart;
        EXPECT_EQ(starts, smp->Count) << "one polyline a zone";
    }
}
