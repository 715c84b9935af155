// The position editor: texts of a point, reading them back, and the window with typed masks.
#include "dialogs/Editpos.h"
#include "model/Calc.h"
#include "model/Options.h"
#include "support/Fixtures.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

class PosEditTest : public FreshModel
{
};

TMapCalPoint Point(int32 lat, int32 lon)
{
    return {10, 20, lat, lon, true};
}

} // namespace

TEST_F(PosEditTest, LatitudeLongitudeInBothCoordinateForms)
{
    const struct
    {
        int unit;
        const char *lat, *lon;
        int32 wantLat, wantLon;
    } rows[] = {
        {1, "N45°30.50'", "E006°07.25'", 4550833, 612083},
        {1, "s45°30.50'", "w006°07.25'", -4550833, -612083},
        {1, "N45°75.00'", "E006°00.00'", 4625000, 600000}, // minutes past 59 carry
        {0, "N45°30'30\"", "E006°07'15\"", 4550833, 612083},
        {0, "S00°00'36\"", "W179°59'59\"", -1000, -17999972},
    };
    for (const auto& r : rows) {
        Opt->UniteLatiLong = r.unit;
        TPosTexts t;
        t.Lati = QString::fromUtf8(r.lat);
        t.Long = QString::fromUtf8(r.lon);
        int32 lat = 0, lon = 0;
        ASSERT_TRUE(PosEditAccept(t, false, lat, lon)) << r.lat;
        EXPECT_EQ(lat, r.wantLat) << r.lat;
        EXPECT_EQ(lon, r.wantLon) << r.lon;
        // Filling shows what was read (the carry aside).
        const TPosTexts back = PosEditFill(Point(lat, lon), false, TPosTexts{});
        int32 lat2 = 0, lon2 = 0;
        ASSERT_TRUE(PosEditAccept(back, false, lat2, lon2));
        EXPECT_EQ(lat2, lat);
        EXPECT_EQ(lon2, lon);
    }
    Opt->UniteLatiLong = 1;
    int32 lat = 7, lon = 7;
    for (const char* bad : {"X45°30.50'", "N45°30.5_'", "N45°3", "", "N95°00.00'"}) {
        TPosTexts t;
        t.Lati = QString::fromUtf8(bad);
        t.Long = QStringLiteral("E006°07.25'");
        EXPECT_FALSE(PosEditAccept(t, false, lat, lon)) << bad;
    }
    EXPECT_EQ(lat, 7);
}

TEST_F(PosEditTest, FillKeepsUtmTextsForAMissingPointAndShowsZeroForAFreshOne)
{
    TPosTexts prev;
    prev.Zone = QStringLiteral("31T");
    prev.North = QStringLiteral("5000000");
    prev.East = QStringLiteral("600000");
    prev.Lati = QStringLiteral("N45°00.00'");
    const TPosTexts missing = PosEditFill(Point(50000000, 50000000), true, prev);
    EXPECT_TRUE(missing.Lati.isEmpty() && missing.Long.isEmpty());
    EXPECT_EQ(missing.Zone, QStringLiteral("31T"));
    EXPECT_EQ(missing.East, QStringLiteral("600000"));
    EXPECT_EQ(PosEditFill(Point(50000000, 0), true, TPosTexts{}).Zone, QStringLiteral("00A"));

    const TPosTexts zero = PosEditFill(Point(0, 0), false, TPosTexts{});
    EXPECT_EQ(zero.Lati, QStringLiteral("N00°00.00'"));
    EXPECT_EQ(zero.Long, QStringLiteral("E000°00.00'"));

    // UTM texts: zone with two digits, northing 7 and easting 6 digits.
    const TPosTexts utm = PosEditFill(Point(4550833, 612083), true, TPosTexts{});
    EXPECT_EQ(utm.Zone, QStringLiteral("32T"));
    EXPECT_EQ(utm.North.size(), 7);
    EXPECT_EQ(utm.East.size(), 6);
    EXPECT_EQ(PosEditFill(Point(100000, -17900000), true, TPosTexts{}).Zone, QStringLiteral("01N"));
    int32 lat = 0, lon = 0;
    ASSERT_TRUE(PosEditAccept(utm, true, lat, lon));
    EXPECT_NEAR(lat, 4550833, 2);
    EXPECT_NEAR(lon, 612083, 2);
}

TEST_F(PosEditTest, UtmTextsAreChecked)
{
    const struct
    {
        const char *zone, *north, *east;
        bool ok;
    } rows[] = {
        {"32T", "5040000", "500000", true},  {"32t", "5040000", "500000", true},
        {"00A", "0000000", "000000", false}, {"61T", "5040000", "500000", false},
        {"00T", "5040000", "500000", false}, {"32I", "5040000", "500000", false},
        {"32O", "5040000", "500000", false}, {"32B", "5040000", "500000", false},
        {"32Y", "5040000", "500000", false}, {"32T", "5040000", "099999", false},
        {"32T", "5040000", "900001", false}, {"32T", "5040000", "900000", true},
        {"3_T", "5040000", "500000", false}, {"32T", "50400_0", "500000", false},
    };
    for (const auto& r : rows) {
        TPosTexts t;
        t.Zone = QString::fromUtf8(r.zone);
        t.North = QString::fromUtf8(r.north);
        t.East = QString::fromUtf8(r.east);
        int32 lat = 0, lon = 0;
        EXPECT_EQ(PosEditAccept(t, true, lat, lon), r.ok) << r.zone << " " << r.north << " " << r.east;
    }
}

TEST_F(PosEditTest, WindowStoresTypedPositionOrStaysOpen)
{
    Opt->UniteLatiLong = 1;
    TMapCalPoint p{-1, -1, 50000000, 50000000, false};
    TPosEdit f;
    f.UtmMode = 0;
    f.Point = &p;
    f.ClickX = 120;
    f.ClickY = 80;
    f.show();
    EXPECT_TRUE(f.LatiEdit->isVisible());
    EXPECT_FALSE(f.UtmZoneEdit->isVisible());
    EXPECT_EQ(f.OKBtn->y(), f.LongEdit->geometry().bottom() + 1 + 5);
    EXPECT_EQ(f.EscBtn->y(), f.OKBtn->y());

    // An incomplete mask is refused and the dialog stays open with what was typed.
    QTest::keyClicks(f.LatiEdit, QStringLiteral("N4530"));
    QTest::keyClicks(f.LongEdit, QStringLiteral("E0060725"));
    f.OKBtnClick();
    ASSERT_EQ(Msg::Log().size(), 1);
    EXPECT_EQ(Msg::Log()[0].text, QStringLiteral("Données saisies non valides."));
    EXPECT_TRUE(f.isVisible());
    EXPECT_FALSE(p.Valid);

    f.LatiEdit->clear();
    QTest::keyClicks(f.LatiEdit, QStringLiteral("n453050"));
    f.OKBtnClick();
    EXPECT_FALSE(f.isVisible());
    EXPECT_EQ(f.result(), int(mrOk));
    EXPECT_TRUE(p.Valid);
    EXPECT_EQ(p.X, 120);
    EXPECT_EQ(p.Y, 80);
    EXPECT_EQ(p.Lati, 4550833);
    EXPECT_EQ(p.Long, 612083);

    // UTM mode: the stored point shows as UTM, and the refused initial zone stores nothing.
    f.UtmMode = 1;
    f.show();
    EXPECT_TRUE(f.UtmEastEdit->isVisible());
    EXPECT_FALSE(f.LatiEdit->isVisible());
    EXPECT_EQ(f.UtmZoneEdit->text(), QStringLiteral("32T"));
    TMapCalPoint fresh{-1, -1, 50000000, 50000000, false};
    f.Point = &fresh;
    f.hide();
    f.show();
    EXPECT_EQ(f.UtmZoneEdit->text(), QStringLiteral("32T")); // the previous UTM texts stay
    f.UtmZoneEdit->clear();
    QTest::keyClicks(f.UtmZoneEdit, QStringLiteral("00a"));
    EXPECT_EQ(f.UtmZoneEdit->text(), QStringLiteral("00A"));
    Msg::ClearLog();
    f.OKBtnClick();
    EXPECT_EQ(Msg::Log().size(), 1);
    EXPECT_FALSE(fresh.Valid);
    f.EscBtnClick();
    EXPECT_EQ(f.result(), int(mrCancel));
    EXPECT_FALSE(fresh.Valid);
}
