// The position editor: texts of a point, reading them back, and the window with typed masks.
#include "dialogs/Editpos.h"
#include "model/Options.h"
#include "support/Fixtures.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

using PosEditTest = FreshModel;

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

TEST_F(PosEditTest, FillAndUtmChecks)
{
    TPosTexts prev;
    prev.Zone = QStringLiteral("31T");
    const TPosTexts missing = PosEditFill(Point(50000000, 50000000), true, prev);
    EXPECT_TRUE(missing.Lati.isEmpty() && missing.Long.isEmpty());
    EXPECT_EQ(missing.Zone, QStringLiteral("31T"));
    // A point never entered shows 0, only the missing marker empties the fields.
    EXPECT_EQ(PosEditFill(Point(0, 0), false, TPosTexts{}).Lati, QStringLiteral("N00°00.00'"));
    EXPECT_EQ(PosEditFill(Point(100000, -17900000), true, TPosTexts{}).Zone, QStringLiteral("01N"));
    const TPosTexts utm = PosEditFill(Point(4550833, 612083), true, TPosTexts{});
    EXPECT_EQ(utm.Zone, QStringLiteral("32T"));
    EXPECT_EQ(utm.North.size(), 7);
    EXPECT_EQ(utm.East.size(), 6);
    int32 lat = 0, lon = 0;
    ASSERT_TRUE(PosEditAccept(utm, true, lat, lon));
    EXPECT_NEAR(lat, 4550833, 2);
    EXPECT_NEAR(lon, 612083, 2);

    const struct
    {
        const char *zone, *east;
        bool ok;
    } rows[] = {
        {"32t", "500000", true},  {"00A", "500000", false}, {"61T", "500000", false},
        {"32I", "500000", false}, {"32O", "500000", false}, {"32B", "500000", false},
        {"32Y", "500000", false}, {"32T", "099999", false}, {"32T", "900001", false},
        {"32T", "900000", true},  {"3_T", "500000", false},
    };
    for (const auto& r : rows) {
        TPosTexts t;
        t.Zone = QString::fromUtf8(r.zone);
        t.North = QStringLiteral("5040000");
        t.East = QString::fromUtf8(r.east);
        EXPECT_EQ(PosEditAccept(t, true, lat, lon), r.ok) << r.zone << " " << r.east;
    }
}

TEST_F(PosEditTest, WindowStoresTypedPositionOrStaysOpen)
{
    Opt->UniteLatiLong = 1;
    TMapCalPoint p{-1, -1, 50000000, 50000000, false};
    TPosEdit f;
    f.Point = &p;
    f.ClickX = 120;
    f.ClickY = 80;
    f.show();
    EXPECT_FALSE(f.UtmZoneEdit->isVisible());
    EXPECT_EQ(f.OKBtn->y(), f.LongEdit->geometry().bottom() + 1 + 5);

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
    EXPECT_EQ(f.result(), int(mrOk));
    EXPECT_TRUE(p.Valid);
    EXPECT_EQ(QList<int32>({p.X, p.Y, p.Lati, p.Long}), QList<int32>({120, 80, 4550833, 612083}));

    // UTM mode shows the stored point; the zone mask upper-cases; the initial zone is refused.
    f.UtmMode = 1;
    f.show();
    EXPECT_FALSE(f.LatiEdit->isVisible());
    EXPECT_EQ(f.UtmZoneEdit->text(), QStringLiteral("32T"));
    TMapCalPoint fresh{-1, -1, 50000000, 50000000, false};
    f.Point = &fresh;
    f.UtmZoneEdit->clear();
    QTest::keyClicks(f.UtmZoneEdit, QStringLiteral("00a"));
    EXPECT_EQ(f.UtmZoneEdit->text(), QStringLiteral("00A"));
    f.OKBtnClick();
    EXPECT_FALSE(fresh.Valid);
    f.EscBtnClick();
    EXPECT_EQ(f.result(), int(mrCancel));
}
