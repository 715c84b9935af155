// Geodesy, units, FAI triangles, UTM, dates and summer time.
#include "model/Calc.h"
#include "model/Options.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

// Installs a fresh options object as Opt for the life of a test.
class OptScope
{
public:
    OptScope() : saved(Opt) { Opt = &opt; }
    ~OptScope() { Opt = saved; }
    TOpt* operator->() { return &opt; }

private:
    TOpt opt;
    TOpt* saved;
};

TPos P(double lat, double lon)
{
    TPos p;
    p.Lat = int32(std::lround(lat * 1e5));
    p.Lon = int32(std::lround(lon * 1e5));
    return p;
}

TRec Fix(double lat, double lon, int32 time, int32 alt = 0, int32 altGps = 0)
{
    TRec r;
    static_cast<TPos&>(r) = P(lat, lon);
    r.Time = time;
    r.Alt = alt;
    r.AltGps = altGps;
    return r;
}

const TPos Paris = P(48.8566, 2.3522);
const TPos London = P(51.5074, -0.1278);

} // namespace

TEST(CalcGeodesy, SphereDistanceAndMissingPositions)
{
    OptScope o;
    o->EarthModel = 0;
    // Great-circle Paris - London on the 6371 km sphere.
    EXPECT_NEAR(Distance(Paris, London), 343.556, 0.001);
    EXPECT_NEAR(Distance(&London, &Paris), 343.556, 0.001);
    // One degree of a meridian.
    EXPECT_NEAR(Distance(P(45, 6), P(46, 6)), 6371.0 * M_PI / 180.0, 1e-6);
    // Very short legs keep their precision (1e-5 degree of latitude is 1.112 m).
    EXPECT_NEAR(Distance(P(45, 6), P(45.00001, 6)), 0.0011119, 1e-7);
    EXPECT_EQ(Distance(Paris, Paris), 0.0);
    // Antipodes: half the circumference, no NaN.
    EXPECT_NEAR(Distance(P(10, 20), P(-10, -160)), 6371.0 * M_PI, 1e-6);
    // A missing position gives a tiny value, never a failure.
    EXPECT_EQ(Distance(nullptr, &Paris), 1e-6);
    EXPECT_EQ(Distance(&Paris, nullptr), 1e-6);
    // Without options the sphere is used.
    Opt = nullptr;
    EXPECT_NEAR(Distance(Paris, London), 343.556, 0.001);
}

TEST(CalcGeodesy, Wgs84DistanceFollowsTheOption)
{
    OptScope o;
    o->EarthModel = 1;
    double d = 0, a1 = 0, a2 = 0;
    ASSERT_EQ(EllDistance(Paris, London, d, a1, a2), 0);
    EXPECT_NEAR(Distance(Paris, London), d, 1e-9);
    EXPECT_GT(std::fabs(d - 343.556), 0.1); // the ellipsoid differs from the sphere
    // Karney (2013), antipodal example: -30 0 to 29.9 179.8 is 19989832.82761 m, azimuths
    // 161.890524736 and 18.090737246 degrees.
    ASSERT_EQ(EllDistance(P(-30, 0), P(29.9, 179.8), d, a1, a2), 0);
    EXPECT_NEAR(d, 19989.83282761, 1e-6);
    EXPECT_NEAR(a1, 161.890524736, 1e-6);
    EXPECT_NEAR(a2, 18.090737246, 1e-6);
    // Azimuths come back in 0..360 (west-going lines too).
    ASSERT_EQ(EllDistance(London, Paris, d, a1, a2), 0);
    EXPECT_GT(a1, 90.0);
    EXPECT_LT(a1, 180.0);
    ASSERT_EQ(EllDistance(Paris, P(48.8566, -10), d, a1, a2), 0);
    EXPECT_GT(a1, 180.0);
    EXPECT_LT(a1, 360.0);
    // Out-of-range latitude is refused, and Distance still gives a finite value.
    EXPECT_NE(EllDistance(P(90.00001, 0), Paris, d, a1, a2), 0);
    TPos missing;
    missing.Lat = 50000000;
    EXPECT_NE(EllDistance(Paris, missing, d, a1, a2), 0);
    EXPECT_TRUE(std::isfinite(Distance(Paris, missing)));
}

TEST(CalcGeodesy, Wgs84DirectKarneyExample)
{
    // Karney (2013): from 40 N with azimuth 30 over 10000 km: 41.79331020506 N,
    // longitude 137.84490004377 E, forward azimuth 149.09016931807.
    TPos dest;
    ASSERT_EQ(EllDestPoint(P(40, 0), dest, 30.0, 10000.0), 0);
    EXPECT_EQ(dest.Lat, 4179331);
    EXPECT_EQ(dest.Lon, 13784490);
    double d, a1, a2;
    ASSERT_EQ(EllDistance(P(40, 0), dest, d, a1, a2), 0);
    EXPECT_NEAR(d, 10000.0, 0.002);
    EXPECT_NEAR(a2, 149.0901693, 1e-4);
    // Bad input.
    EXPECT_NE(EllDestPoint(P(-90.00001, 0), dest, 0, 1), 0);
    EXPECT_NE(EllDestPoint(P(0, 0), dest, NAN, 1), 0);
    EXPECT_NE(EllDestPoint(P(0, 0), dest, 0, INFINITY), 0);
    // Through the date line the longitude comes back in -180..180.
    ASSERT_EQ(EllDestPoint(P(0, 179.9), dest, 90, 50), 0);
    EXPECT_LT(dest.Lon, -17960000);
}

TEST(CalcGeodesy, BearingSpecialCases)
{
    EXPECT_EQ(Bearing(P(0, 0), P(0, 1)), 90.0);          // due east on the equator
    EXPECT_EQ(Bearing(P(0, 0), P(0, -1)), 270.0);        // due west
    EXPECT_EQ(Bearing(P(0, 10), P(0, 10)), 0.0);         // same point
    EXPECT_EQ(Bearing(P(0, 179.5), P(0, -179.5)), 90.0); // east through the date line is still 90
    EXPECT_NEAR(Bearing(P(45, 6), P(46, 6)), 0.0, 1e-9);
    EXPECT_NEAR(Bearing(P(45, 6), P(44, 6)), 180.0, 1e-9);
    EXPECT_EQ(Bearing(nullptr, &Paris), 0.0);
    EXPECT_EQ(Bearing(&Paris, nullptr), 0.0);
    // North-west lies in the fourth quadrant, never negative.
    const double b = Bearing(P(45, 6), P(46, 5));
    EXPECT_GT(b, 270.0);
    EXPECT_LT(b, 360.0);
    // Initial course Paris -> London (sphere): 330.0211 degrees.
    EXPECT_NEAR(Bearing(Paris, London), 330.0211, 1e-4);
}

TEST(CalcGeodesy, DestPointInvertsDistanceAndBearing)
{
    OptScope o;
    const TPos start = P(47.5, 3.0);
    for (int model = 0; model <= 1; ++model) {
        o->EarthModel = model;
        for (double course : {0.0, 45.0, 125.0, 180.0, 270.0, 359.0}) {
            for (double dist : {0.5, 100.0, 1500.0}) {
                const TPos q = DestPoint(start, course, dist);
                EXPECT_NEAR(Distance(start, q), dist, 0.003) << model << " " << course << " " << dist;
                if (model == 0) {
                    // Bearing is on the sphere; rounding to 1e-5 degree bounds the angle error.
                    EXPECT_NEAR(std::remainder(Bearing(start, q) - course, 360.0), 0.0,
                                dist < 1 ? 0.2 : 0.01);
                } else {
                    double d, a1, a2;
                    ASSERT_EQ(EllDistance(start, q, d, a1, a2), 0);
                    EXPECT_NEAR(std::remainder(a1 - course, 360.0), 0.0, dist < 1 ? 0.2 : 0.01);
                }
            }
        }
    }
    // Sphere through the date line: longitude stays in -180..180.
    o->EarthModel = 0;
    const TPos q = DestPoint(P(0, 179.9), 90, 50);
    EXPECT_LT(q.Lon, -17960000);
    // A non-finite course leaves the point where it is.
    EXPECT_EQ(DestPoint(start, NAN, 10).Lat, start.Lat);
}

TEST(CalcFixes, TimeSpeedAndVario)
{
    OptScope o;
    EXPECT_DOUBLE_EQ(RecTimeDiff(Fix(0, 0, 0), Fix(0, 0, 100000)), 3600.0);
    EXPECT_DOUBLE_EQ(RecTimeDiff(Fix(0, 0, 100000), Fix(0, 0, 0)), 3600.0);
    EXPECT_DOUBLE_EQ(RecTimeDiff(Fix(0, 0, 5), Fix(0, 0, 5)), 1.0);  // never below 1 s
    EXPECT_DOUBLE_EQ(RecTimeDiff(Fix(0, 0, 5), Fix(0, 0, 20)), 1.0); // 0.54 s
    EXPECT_NEAR(RecTimeDiff(Fix(0, 0, -2147483647), Fix(0, 0, 2147483647)), 4294967294.0 * 0.036, 1e-3);

    // Half a degree along the equator in half an hour.
    EXPECT_NEAR(RecSpeed(Fix(0, 0, 0), Fix(0, 0.5, 50000)), 6371.0 * M_PI / 360.0 * 2, 1e-9);

    // 360 m in 360 s.
    const TRec a = Fix(0, 0, 0, 1000, 2000), b = Fix(0, 0, 10000, 1360, 1640);
    EXPECT_NEAR(RecVario(a, b), 1.0, 1e-12);
    EXPECT_NEAR(RecVario(b, a), 1.0, 1e-12); // climb from the earlier fix, whatever the order
    o->Altitude = 1;                         // GPS altitude
    EXPECT_NEAR(RecVario(a, b), -1.0, 1e-12);
    o->Altitude = 2;
    EXPECT_NEAR(RecVario(a, b), 1.0, 1e-12);
}

TEST(CalcUnits, FactorsAndLabels)
{
    OptScope o;
    double f;
    QString l;
    struct Case
    {
        int32 TOpt::*field;
        void (*fn)(double&, QString&);
        int value;
        double factor;
        const char* label;
    };
    const Case cases[] = {
        {&TOpt::UniteDistance, DistUnit, 0, 1.0, "km"},
        {&TOpt::UniteDistance, DistUnit, 1, 1.8518, "NM"},
        {&TOpt::UniteDistance, DistUnit, 2, 1.6093, "ML"},
        {&TOpt::UniteVitesse, SpeedUnit, 0, 1.0, "km/h"},
        {&TOpt::UniteVitesse, SpeedUnit, 1, 1.8518, "Kt"},
        {&TOpt::UniteVitesse, SpeedUnit, 2, 1.6093, "MPH"},
        {&TOpt::UniteVario, VarioUnit, 0, 1.0, "m/s"},
        {&TOpt::UniteVario, VarioUnit, 1, 0.51439, "Kt"},
        {&TOpt::UniteVario, VarioUnit, 2, 0.00508, "Ft/min"},
        {&TOpt::UniteAltitude, AltUnit, 0, 1.0, "m"},
        {&TOpt::UniteAltitude, AltUnit, 1, 0.3048, "Ft"},
    };
    for (const Case& c : cases) {
        TOpt& opt = *o.operator->();
        opt.*c.field = c.value;
        c.fn(f, l);
        EXPECT_EQ(f, c.factor) << c.label;
        EXPECT_EQ(l, QString::fromUtf8(c.label));
        opt.*c.field = 0;
    }
    // Without options: the metric units.
    Opt = nullptr;
    DistUnit(f, l);
    EXPECT_EQ(l, "km");
    VarioUnit(f, l);
    EXPECT_EQ(l, "m/s");
}

namespace {

// A closed task around a triangle with legs in the given shares of the total (sphere),
// start and finish at the first corner; with onLeg the start and finish lie on the 3-1 leg.
std::unique_ptr<TStn> Triangle(double total, double s1, double s2, double s3, bool onLeg = false)
{
    const double a = total * s1 / EarthRadiusKm, b = total * s2 / EarthRadiusKm,
                 c = total * s3 / EarthRadiusKm;
    const TPos p1 = P(45, 5);
    const TPos p2 = DestPoint(p1, 90, total * s1);
    // Angle at p1 by the spherical law of cosines (b opposite p1, c from p3 to p1).
    const double A =
        std::acos((std::cos(b) - std::cos(a) * std::cos(c)) / (std::sin(a) * std::sin(c))) * 180 / M_PI;
    const TPos p3 = DestPoint(p1, 90 - A, total * s3);
    auto task = std::make_unique<TStn>();
    std::vector<TPos> pts = {p1, p2, p3, p1};
    if (onLeg) {
        const TPos mid = DestPoint(p3, Bearing(p3, p1), total * s3 / 2);
        pts = {mid, p1, p2, p3, mid};
    }
    for (const TPos& p : pts) {
        TTrn t;
        static_cast<TPos&>(t) = p;
        task->AddTrn(t, -1);
    }
    return task;
}

} // namespace

TEST(CalcFai, LimitsOnBothSidesOfMinDist1)
{
    OptScope o; // 28..44 % below 750 km, 25..45 % from 750 km
    double fai = -1;
    // A 26 % leg: refused just below 750 km, accepted above.
    auto small = Triangle(749.9, 0.26, 0.37, 0.37);
    EXPECT_FALSE(IsFaiTriangle(*small, fai));
    EXPECT_EQ(fai, 0.0);
    auto big = Triangle(750.1, 0.26, 0.37, 0.37);
    ASSERT_TRUE(IsFaiTriangle(*big, fai));
    EXPECT_NEAR(fai, 750.1, 0.01);
    EXPECT_GE(fai, 750.0);
    // A 44.5 % leg: too long below 750 km (44 %), fine above (45 %).
    EXPECT_FALSE(IsFaiTriangle(*Triangle(600, 0.445, 0.28, 0.275), fai));
    EXPECT_TRUE(IsFaiTriangle(*Triangle(800, 0.445, 0.28, 0.275), fai));
    // Within both limits; beyond both.
    EXPECT_TRUE(IsFaiTriangle(*Triangle(300, 0.30, 0.30, 0.40), fai));
    EXPECT_NEAR(fai, 300, 0.01);
    EXPECT_FALSE(IsFaiTriangle(*Triangle(900, 0.46, 0.27, 0.27), fai));
    // The limits come from the options.
    o->MinDist1 = 500;
    EXPECT_TRUE(IsFaiTriangle(*Triangle(600, 0.26, 0.37, 0.37), fai));
    o->MinTri1 = 27;
    EXPECT_FALSE(IsFaiTriangle(*Triangle(600, 0.26, 0.37, 0.37), fai));
}

TEST(CalcFai, TaskShapes)
{
    OptScope o;
    double fai = 0;
    // Five points: start and finish on a leg, the triangle is points 2-3-4.
    auto five = Triangle(400, 0.3, 0.3, 0.4, true);
    ASSERT_EQ(five->Count, 5);
    ASSERT_TRUE(IsFaiTriangle(*five, fai));
    EXPECT_NEAR(fai, 400, 0.01);

    // Not closed: the last point is elsewhere.
    auto open = Triangle(400, 0.3, 0.3, 0.4);
    open->Last->Lat += 1;
    EXPECT_FALSE(IsFaiTriangle(*open, fai));

    // Three or six points are no triangle task.
    auto three = Triangle(400, 0.3, 0.3, 0.4);
    three->DeleteTrn(three->Item(2));
    EXPECT_FALSE(IsFaiTriangle(*three, fai));
    TStn empty;
    EXPECT_FALSE(IsFaiTriangle(empty, fai));

    // A turn point with a reference waypoint is measured there: moving the reference far away
    // breaks the shares.
    auto ref = Triangle(400, 0.3, 0.3, 0.4);
    ASSERT_TRUE(IsFaiTriangle(*ref, fai));
    auto w = std::make_unique<TWpt>();
    static_cast<TPos&>(*w) = DestPoint(*ref->Item(1), 0, 150);
    ref->Item(1)->SetRefWpt(w.release(), true);
    EXPECT_FALSE(IsFaiTriangle(*ref, fai));
    // A reference at the turn point's own place changes nothing.
    auto w2 = std::make_unique<TWpt>();
    static_cast<TPos&>(*w2) = *ref->Item(1);
    ref->Item(1)->SetRefWpt(w2.release(), true);
    EXPECT_TRUE(IsFaiTriangle(*ref, fai));

    // A degenerate triangle (every corner at one place) is refused, no division by zero.
    TStn same;
    for (int i = 0; i < 4; ++i) {
        TTrn t;
        static_cast<TPos&>(t) = Paris;
        same.AddTrn(t, -1);
    }
    EXPECT_FALSE(IsFaiTriangle(same, fai));
}

TEST(CalcUtm, BothWaysWithBandsAndSpecialZones)
{
    QString zone;
    int32 n = 0, e = 0, lat = 0, lon = 0;
    // Geographic example: 33.3 N 44.4 E is 38N 444140.54 3684706.36.
    LatLonToUtm(3330000, 4440000, zone, n, e);
    EXPECT_EQ(std::tuple(zone, e, n), std::tuple(QStringLiteral("38S"), 444141, 3684706));
    // Mirrored in the south: northing from the 10,000,000 m false origin, band H.
    LatLonToUtm(-3330000, 4440000, zone, n, e);
    EXPECT_EQ(std::tuple(zone, e, n), std::tuple(QStringLiteral("38H"), 444141, 10000000 - 3684706));
    ASSERT_TRUE(UtmToLatLon("38H", n, e, lat, lon));
    EXPECT_NEAR(lat, -3330000, 1);
    EXPECT_NEAR(lon, 4440000, 1);
    // On the central meridian of zone 32 the easting is the false easting.
    LatLonToUtm(4500000, 900000, zone, n, e);
    EXPECT_EQ(std::tuple(zone, e), std::tuple(QStringLiteral("32T"), 500000));
    // Band letters: C at 80 S, X from 72 N to 84 N, N from the equator. Norway: 60 N 5 E belongs
    // to zone 32V, not 31V; Svalbard: 78 N 10 E to 33X.
    for (auto [la, lo, want] : {std::tuple(-7999000, 0, "31C"),
                                {8300000, 0, "31X"},
                                {0, 100000, "31N"},
                                {-1, 100000, "31M"},
                                {6000000, 500000, "32V"},
                                {7800000, 1000000, "33X"}}) {
        LatLonToUtm(la, lo, zone, n, e);
        EXPECT_EQ(zone, QLatin1String(want)) << la << " " << lo;
    }
    // Round trips over a grid of positions.
    for (int la = -79; la <= 83; la += 9)
        for (int lo = -179; lo <= 179; lo += 17) {
            const int32 la5 = la * 100000 + 12345, lo5 = lo * 100000 + 67891;
            LatLonToUtm(la5, lo5, zone, n, e);
            ASSERT_FALSE(zone.isEmpty());
            ASSERT_TRUE(UtmToLatLon(zone, n, e, lat, lon)) << zone.toStdString();
            EXPECT_NEAR(lat, la5, 1) << zone.toStdString();
            // A metre of easting is 1/(1.11 cos(lat)) units of longitude.
            const double tol = 1 + 1 / (1.11 * std::cos(la * M_PI / 180));
            EXPECT_NEAR(lon, lo5, tol) << zone.toStdString();
        }
    // Polar caps use UPS letters and come back too.
    LatLonToUtm(8900000, 4500000, zone, n, e);
    EXPECT_EQ(zone, "Z");
    ASSERT_TRUE(UtmToLatLon(zone, n, e, lat, lon));
    EXPECT_NEAR(lat, 8900000, 1);
    // A missing position gives no zone.
    LatLonToUtm(50000000, 0, zone, n, e);
    EXPECT_TRUE(zone.isEmpty());
}

TEST(CalcUtm, ZoneTextIsValidated)
{
    int32 lat = 7, lon = 7;
    for (const char* bad :
         {"", "T", "32", "0T", "61T", "32I", "32O", "32Y", "32TT", "3a2T", "132T", "-3T", "32\xc3\xa9"}) {
        EXPECT_FALSE(UtmToLatLon(QString::fromUtf8(bad), 5000000, 500000, lat, lon)) << bad;
    }
    EXPECT_EQ(lat, 7);
    EXPECT_FALSE(UtmToLatLon("32T", NAN, 500000, lat, lon));
    EXPECT_FALSE(UtmToLatLon("32T", 5000000, 1e9, lat, lon));     // far outside the zone
    EXPECT_TRUE(UtmToLatLon(" 32t ", 5000000, 500000, lat, lon)); // blanks and case
    EXPECT_NEAR(lon, 900000, 1);
}

TEST(CalcDates, EncodeDecodeAndFixTimes)
{
    EXPECT_EQ(std::tuple(EncodeDate(1899, 12, 30), EncodeDate(1900, 1, 1), EncodeDate(2000, 1, 1),
                         EncodeDate(2024, 2, 29)),
              std::tuple(0.0, 2.0, 36526.0, 45351.0));
    TDateTime d = -1;
    for (auto [y, m, day] : {std::tuple(2023, 2, 29), {2023, 13, 1}, {2023, 4, 31}})
        EXPECT_FALSE(TryEncodeDate(y, m, day, d)) << y << "-" << m << "-" << day;
    EXPECT_EQ(EncodeDate(2023, 2, 29), 0.0);
    int y, m, dd;
    for (TDateTime t : {0.0, 2.0, 36526.0, 45351.75, -1.0, 60000.0}) {
        DecodeDate(t, y, m, dd);
        EXPECT_EQ(EncodeDate(y, m, dd), std::floor(t));
    }
    DecodeDate(45351.99, y, m, dd);
    EXPECT_EQ(std::tuple(y, m, dd), std::tuple(2024, 2, 29));
    // Fix times may pass 24 hours into the next day.
    EXPECT_DOUBLE_EQ(RecDateTime(45351.0, 1200000), 45351.5);
    EXPECT_DOUBLE_EQ(RecDateTime(45351.3, 2400000 + 600000), 45352.25);
    DecodeDate(RecDateTime(45351.0, 2500000), y, m, dd);
    EXPECT_EQ(std::tuple(m, dd), std::tuple(3, 1));
}

TEST(CalcDates, SummerTimeSwitchInstants)
{
    // 2024: last Sundays are 31 March and 27 October; 2023: 26 March and 29 October.
    const TDateTime mar24 = EncodeDate(2024, 3, 31), oct24 = EncodeDate(2024, 10, 27);
    const TDateTime mar23 = EncodeDate(2023, 3, 26), oct23 = EncodeDate(2023, 10, 29);
    // The switches happen at 01:00 UTC.
    for (auto [mar, oct] : {std::pair(mar24, oct24), {mar23, oct23}}) {
        EXPECT_EQ(
            std::tuple(LocalTimeOffset(RecDateTime(mar, 99999)), LocalTimeOffset(RecDateTime(mar, 100000)),
                       LocalTimeOffset(RecDateTime(oct, 99999)), LocalTimeOffset(RecDateTime(oct, 100000))),
            std::tuple(1, 2, 2, 1))
            << mar;
    }
    EXPECT_EQ(LocalTimeOffset(EncodeDate(2024, 3, 24) + 0.5), 1); // a Sunday, but not the last
    EXPECT_EQ(LocalTimeOffset(EncodeDate(2023, 7, 14) + 0.5), 2);
    EXPECT_EQ(LocalTimeOffset(EncodeDate(2023, 1, 14)), 1);
    EXPECT_EQ(LocalTimeOffset(EncodeDate(2023, 12, 31) + 0.99), 1);
    EXPECT_EQ(LocalTimeOffset(NAN), 1);
}

TEST(CalcNames, ZoneClassesAndStyles)
{
    EXPECT_TRUE(ZoneClassNames[0].isEmpty());
    EXPECT_EQ(ZoneClassNames[1], "Classe A");
    EXPECT_EQ(ZoneClassNames[9], QString::fromUtf8("Zone Réglementée"));
    EXPECT_EQ(ZoneClassNames[10], "Autre Zone");
    EXPECT_EQ(std::tuple(ZoneStyleDefaults[4].Color, ZoneStyleDefaults[6].Style, ZoneStyleDefaults[8].Color,
                         ZoneStyleDefaults[1].Width, ZoneStyleDefaults[10].Style),
              std::tuple(16711680, 1, 8421504, 2, 1));
    for (int i = 1; i <= 10; ++i)
        EXPECT_EQ(std::tuple(ZoneStyleDefaults[i].Draw, ZoneStyleDefaults[i].Kind), std::tuple(true, 3)) << i;
    EXPECT_EQ(EarthModelNames[1], "WGS84");
}
