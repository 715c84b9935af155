// The live NMEA reader headless: sentence checks, RMC fields and texts, the recording rule and
// the trace it fills.
#include "devices/NmeaSession.h"
#include "sim/SimDevice.h"
#include "support/FakeLink.h"
#include "support/Fixtures.h"

#include <gtest/gtest.h>

namespace {

QByteArray Rmc(const char* hms, const char* date = "150804", const char* status = "A",
               const char* lat = "4530.5000,S", const char* lon = "00530.0000,E")
{
    return NmeaSentence(QByteArray("GPRMC,") + hms + "," + status + "," + lat + "," + lon + ",012.3,270.0," +
                        date + ",,,A");
}

struct Rig
{
    FakeLink link;
    FakeDeviceUi ui;
    TNmeaSession s{link, ui.Ui()};
    Rig() { EXPECT_TRUE(s.StartReading("COM1", br4800)); }
    void Feed(const QByteArray& b)
    {
        link.Incoming += b;
        s.Tick();
    }
};

using NmeaSessionTest = FreshModel;

} // namespace

TEST(NmeaPure, ChecksumFieldsAndTexts)
{
    const QString good = QString::fromLatin1(Rmc("101530"));
    EXPECT_TRUE(TestNmeaLine(good.trimmed(), true));
    QString bad = good.trimmed();
    bad[10] = u'9';
    EXPECT_FALSE(TestNmeaLine(bad, true));
    EXPECT_TRUE(TestNmeaLine(bad, false));
    EXPECT_TRUE(TestNmeaLine("no star at all", false));
    EXPECT_FALSE(TestNmeaLine("$GPGGA,1,2", true));
    EXPECT_FALSE(TestNmeaLine("*00$", true));
    EXPECT_EQ(NmeaFields("$GPRMC,a,,b", 4), QStringList({"$GPRMC", "a", "", "", ""}));
    EXPECT_EQ(NmeaKind("$GNRMC,1"), "RMC");
    EXPECT_EQ(NmeaKind("$PGRMZ,1500,f,3*20"), "PGRMZ");
    EXPECT_EQ(NmeaKind("GPRMC,1"), "");

    TRmcFix r = ReadRmc(good, 1500, false);
    EXPECT_FALSE(r.Error);
    EXPECT_EQ(r.L1, "A:   15/08/04   10:15:30");
    EXPECT_EQ(r.L2, "S45°30.50'   E005°30.00'");
    EXPECT_EQ(r.L3, "012.3kts     270.0°     1500ft");
    EXPECT_EQ(r.Lat, -4550833);
    EXPECT_EQ(r.Lon, 550000);
    EXPECT_EQ(r.Time, 1025833);
    EXPECT_EQ(r.Name, "040815");
    EXPECT_TRUE(r.DateOk);

    struct
    {
        QByteArray line;
        bool error;
    } rows[] = {
        {Rmc("101530", "150804", "V"), true},
        {Rmc("1015xx"), true},
        {Rmc("101530", "150804", "A", "45x0.5,N"), true},
        {Rmc("101530", "150804", "A", "4530.5,Q"), true},
        {Rmc("101530", "150804", "A", "4530.5,N", "00530.0,W"), false},
        {Rmc("101530", "991399"), false}, // shown and not an error, but no date
    };
    for (const auto& row : rows)
        EXPECT_EQ(ReadRmc(QString::fromLatin1(row.line), 0, true).Error, row.error) << row.line.constData();
    EXPECT_FALSE(ReadRmc(QString::fromLatin1(Rmc("101530", "991399")), 0, true).DateOk);
}

TEST_F(NmeaSessionTest, RecordsEveryOtherFixAtTwoSecondsAndFollowsTheLiveTrace)
{
    Rig r;
    EXPECT_EQ(r.s.InfoL1, "Lecture en cours ...");
    // No altitude yet: shown, nothing recorded.
    r.Feed(Rmc("101500"));
    EXPECT_EQ(Trj, nullptr);
    EXPECT_EQ(r.s.InfoL3, "012.3kts     270.0°     0m");
    r.Feed(NmeaSentence("PGRMZ,1500,f,3"));
    for (int s = 1; s <= 10; ++s)
        r.Feed(Rmc(QByteArray("1015") + QByteArray::number(s).rightJustified(2, '0')));
    ASSERT_NE(Trj, nullptr);
    EXPECT_EQ(Trj->Name, "040815");
    EXPECT_EQ(Trj->Source, "NMEA 0183");
    EXPECT_EQ(Trj->RecCount, 5); // 01 03 05 07 09
    EXPECT_EQ(Trj->First->Alt, 457);
    EXPECT_TRUE(Trj->Loaded);
    EXPECT_EQ(Trj->CurRec, Trj->Last);
    EXPECT_EQ(Trj->LiveRec, Trj->Last);
    EXPECT_TRUE(r.s.InfoL3.endsWith("1500ft"));

    // Another trace made current: the fixes still go to the live one.
    TTrj* live = Trj;
    TTrj* other = NewTrj();
    r.Feed(Rmc("101520"));
    EXPECT_EQ(live->RecCount, 6);
    EXPECT_EQ(other->RecCount, 0);
    EXPECT_EQ(Trj, other);

    // The live trace closed: the next good fix starts another.
    CloseTrj(live);
    r.Feed(Rmc("101530"));
    ASSERT_EQ(TrjCount(), 2);
    EXPECT_EQ(Trj->RecCount, 1);
    EXPECT_NE(Trj, other);
    r.s.CloseSession();
    EXPECT_EQ(Trj->SaveState, 2);
    EXPECT_EQ(other->SaveState, 0);
}

TEST_F(NmeaSessionTest, AcrossMidnightAndEcartBelowOne)
{
    Rig r;
    r.s.EcartSec = 0; // counts as 1
    r.Feed(NmeaSentence("GNGGA,235958,4530.5,N,00530.0,E,1,08,1.0,812.4,M,48.0,M,,"));
    r.Feed(Rmc("235958", "150804") + Rmc("235959", "150804") + Rmc("000000", "160804") +
           Rmc("000001", "160804"));
    ASSERT_NE(Trj, nullptr);
    EXPECT_EQ(Trj->RecCount, 4);
    EXPECT_EQ(Trj->Last->Alt, 812);
    EXPECT_EQ(Trj->Last->Time, 2400000 + 28);
}

TEST_F(NmeaSessionTest, BadChecksumSilenceAndAdvice)
{
    Rig r;
    r.s.Checksum = true;
    QByteArray bad = Rmc("101500");
    bad[bad.indexOf('*') + 1] = 'Z';
    r.Feed(NmeaSentence("PGRMZ,1500,f,3") + bad);
    EXPECT_EQ(r.s.InfoL1, "Phrase \"GPRMC\" non valide");
    EXPECT_EQ(Trj, nullptr);
    // Lines without RMC: the text after more than 15 of them.
    for (int i = 0; i < 16; ++i) r.Feed(NmeaSentence("PFLAU,1"));
    EXPECT_EQ(r.s.InfoL1, "Pas de phrase \"GPRMC\" détectée");
    // Silence: the no-data text after 3 s of ticks, the advice after 10 s, gone at the next line.
    for (int i = 0; i < 16; ++i) r.s.Tick();
    EXPECT_EQ(r.s.InfoL1, "Pas de donnée détectée");
    EXPECT_FALSE(r.ui.AdviceVisible());
    for (int i = 0; i < 35; ++i) r.s.Tick();
    EXPECT_TRUE(r.ui.AdviceVisible());
    EXPECT_EQ(r.ui.AdviceText(), r.s.MsgTexts.Advice);
    r.Feed("$GPGSA,A,3");
    EXPECT_TRUE(r.ui.AdviceVisible());
    r.Feed("\r\n");
    EXPECT_FALSE(r.ui.AdviceVisible());
    // Text without line ends is kept to its last 4 KB.
    r.Feed(QByteArray(10000, 'x'));
    EXPECT_EQ(r.s.RxText.size(), 4096);
}

TEST_F(NmeaSessionTest, GarbageLinesLeaveTheReadingGoing)
{
    Rig r;
    QByteArray junk(300, 'y');
    junk[10] = '\0';
    junk[20] = char(0xE9);
    r.Feed("$GPRMC," + junk + "\r\n" + QByteArray("\0\xFF\r\n", 4) + NmeaSentence("GPGGA,1,2,3,4,5,6,7,8,x,M"));
    EXPECT_EQ(r.s.Altitude, 0); // an altitude that does not convert
    r.Feed(NmeaSentence("PGRMZ,300,f,3") + Rmc("101500") + Rmc("101502"));
    ASSERT_NE(Trj, nullptr);
    EXPECT_EQ(Trj->RecCount, 2);
    EXPECT_EQ(Trj->Last->Alt, 91);
}
