// The MLR command state machine over a fake link, ticked by hand with a hand-driven clock.
#include "devices/MlrSession.h"
#include "devices/NmeaSum.h"
#include "model/Calc.h"
#include "support/FakeLink.h"
#include "support/Fixtures.h"
#include "support/PrintQString.h"

#include <QDate>
#include <gtest/gtest.h>

namespace {

// Records the line settings each write went out with.
class SpeedLink : public FakeLink
{
public:
    QList<std::pair<TBaudRate, TStopBits>> WriteSpeeds;
    void Write(const QByteArray& Bytes) override
    {
        FakeLink::Write(Bytes);
        WriteSpeeds << std::make_pair(BaudRate, StopBits);
    }
};

QByteArray Be(uint32_t v, int n)
{
    QByteArray b;
    for (int i = n - 1; i >= 0; --i) b += char((v >> (8 * i)) & 0xFF);
    return b;
}

uint32_t Sec(int y, int m, int d, int h, int mi)
{
    return static_cast<uint32_t>(QDate(1980, 1, 6).daysTo(QDate(y, m, d)) * 86400 + h * 3600 + mi * 60);
}

QByteArray TrackRec(int no, uint32_t t, bool flag = false)
{
    return Be(no, 2) + Be(t, 4) + Be(0x20000000, 4) + Be(0x01000000, 4) + Be(5000, 3) + char(flag ? 1 : 0);
}

QByteArray Sentence(const QByteArray& body)
{
    return "$" + body + "*" + NmeaXorHex(body) + "\r\n";
}

QByteArray TrackLine(int no, const QByteArray& date = "150726", const QByteArray& time = "120000")
{
    return Sentence("GPWPL,4512.345,N,00512.345,E,TR" + QByteArray::number(no).rightJustified(4, '0') +
                    ",A,001234," + time + "," + date);
}

QByteArray WptLine(const QByteArray& name6, const QByteArray& comment22 = QByteArray(22, ' '))
{
    return Sentence("GPWPL,4512.345,N,00512.345,E," + name6 + "5" + comment22);
}

class MlrSessionTest : public FreshModel
{
protected:
    SpeedLink link;
    FakeDeviceUi ui;
    TMlrSession s{link, ui.Ui()};
    qint64 now = 0;
    int ends = 0;

    void SetUp() override
    {
        FreshModel::SetUp();
        s.Clock = [this] { return now; };
        s.OnCommandEnd = [this] { ++ends; };
    }
    void Tick(int n = 1)
    {
        for (int i = 0; i < n; ++i) {
            s.Tick();
            now += ui.IntervalMs;
        }
    }
    void Identify()
    {
        Tick(); // 70: request
        EXPECT_EQ(link.Writes.last(), MlrCmd::Ident);
        link.Incoming += Sentence("PMLR,IDGPS,01,SP24,Jean Dupont,V3,");
        Tick(); // 71
    }
    void BinaryTrack(const QList<QByteArray>& recs)
    {
        s.DownTrk("COM1");
        Identify();
        Tick(2); // 20 request, 21 speed switch
        link.Incoming += MlrStartBlock('T', 0) + MlrDataBlock('T', 1, recs) + MlrEndBlock('T', 2);
        Tick(3);
    }
};

} // namespace

TEST_F(MlrSessionTest, BinaryTrackSplitsFlightsAndNamesThem)
{
    const QList<QByteArray> recs{TrackRec(0, Sec(2026, 7, 15, 10, 0)), TrackRec(1, Sec(2026, 7, 15, 10, 20)),
                                 TrackRec(2, Sec(2026, 7, 15, 11, 0)), TrackRec(3, Sec(2026, 7, 15, 11, 1))};
    s.Options.TrjMde = 2;
    BinaryTrack(recs);
    EXPECT_EQ(s.State(), 24);
    EXPECT_EQ(s.FlightCount(), 2) << "split at a gap over 30 minutes";
    EXPECT_EQ(TrjCount(), 2);
    const TTrj* first = FirstTrj;
    EXPECT_EQ(first->Name, "260715 - Vol N°1");
    EXPECT_EQ(first->Source, "MLR SP24 V3");
    EXPECT_EQ(first->Pilot, "Jean Dupont");
    EXPECT_EQ(first->RecCount, 2);
    EXPECT_EQ(first->SaveState, 2);
    EXPECT_EQ(first->First->Lat, 4500000);
    EXPECT_EQ(first->First->Alt, 500);
    EXPECT_EQ(link.Writes.contains(MlrCmd::Track38400), true);
    EXPECT_EQ(link.Writes.last(), MlrCmd::End);
    EXPECT_EQ(link.WriteSpeeds.last(), std::make_pair(br4800, sbOneStopBit));
    EXPECT_EQ(ui.Text, "Points lus : 4 sur 2 vol(s)  -  Erreur(s) détectée(s): 0.")
        << "records numbered from 0";
    EXPECT_FALSE(ui.Enabled);

    ModelDone();
    ModelInit();
    s.Options.TrjTimeEdit = 0;
    BinaryTrack(recs);
    EXPECT_EQ(s.FlightCount(), 4) << "0 minutes: every point after the first";
}

TEST_F(MlrSessionTest, DeviceFlagSplitsOnlyAfterFixes)
{
    s.Options.TrjTimeBox = false;
    s.Options.TrjMlrBox = true;
    BinaryTrack({TrackRec(0, Sec(2026, 7, 15, 10, 0), true), TrackRec(1, Sec(2026, 7, 15, 10, 1)),
                 TrackRec(2, Sec(2026, 7, 15, 12, 0)), TrackRec(3, Sec(2026, 7, 15, 12, 1), true)});
    EXPECT_EQ(s.FlightCount(), 2);
    EXPECT_EQ(FirstTrj->RecCount, 3);
}

TEST_F(MlrSessionTest, ClosingAtRaisedSpeedEndsAt4800AndKeepsThePoints)
{
    s.Options.TrjMde = 1;
    s.DownTrk("COM1");
    Identify();
    Tick(2);
    EXPECT_EQ(link.BaudRate, br19200);
    EXPECT_EQ(link.StopBits, sbTwoStopBits);
    link.Incoming += MlrStartBlock('T', 1) + MlrDataBlock('T', 2, {TrackRec(0, Sec(2026, 7, 15, 10, 0))});
    Tick();
    link.Incoming += MlrDataBlock('T', 3, {TrackRec(1, Sec(2026, 7, 15, 10, 1))}).left(20);
    Tick();
    s.GpsId("COM1"); // another command cuts the download short: what came is kept
    ASSERT_NE(Trj, nullptr);
    EXPECT_EQ(Trj->SaveState, 2);
    s.Close();
    EXPECT_EQ(link.Writes.last(), MlrCmd::End);
    EXPECT_EQ(link.WriteSpeeds.last(), std::make_pair(br4800, sbOneStopBit));
    EXPECT_FALSE(link.Connected());
    ASSERT_NE(Trj, nullptr);
    EXPECT_EQ(Trj->RecCount, 1);
    EXPECT_EQ(Trj->SaveState, 2);
}

TEST_F(MlrSessionTest, TextTrackMendsALostPointAndCountsABadDate)
{
    s.Options.TrjMde = 0;
    s.DownTrk("COM1");
    Identify();
    Tick(); // 10
    QByteArray damaged = TrackLine(1);
    damaged[20] = '\x01';
    damaged.remove(30, 1);
    // First pass: point 1 damaged, point 3 has day 32.
    link.Incoming += TrackLine(0) + damaged + TrackLine(2) + TrackLine(3, "320726") + TrackLine(4);
    Tick(3);
    EXPECT_EQ(s.PointNo(), 1);
    link.Incoming += TrackLine(0) + TrackLine(1) + TrackLine(2) + TrackLine(3, "320726") + TrackLine(4);
    Tick(3);
    EXPECT_EQ(s.State(), 11) << "the pass lost a point: the next one goes on";
    link.Incoming += TrackLine(0);
    Tick();
    EXPECT_EQ(s.State(), 12);
    EXPECT_EQ(s.PointNo(), 5);
    EXPECT_EQ(s.ErrorCount(), 1);
    ASSERT_NE(Trj, nullptr);
    EXPECT_EQ(Trj->RecCount, 4);
    EXPECT_EQ(Trj->SaveState, 2);
}

TEST_F(MlrSessionTest, RouteWithoutWaypointsLeavesTheTask)
{
    NewTrj();
    TTrn t;
    t.Name = "KEEP";
    Stn->AddTrn(t, -1);
    Msg::PushAnswer(mrOk); // the warning
    Msg::PushInput("5");
    s.DownWpt(1, "COM1");
    Tick();
    link.Incoming += WptLine("AAA   ") + Sentence("GPRTE,4,1,C,03,AAA,,,,") + WptLine("AAA   ");
    Tick();
    EXPECT_EQ(s.State(), 32);
    ASSERT_EQ(Stn->Count, 1);
    EXPECT_EQ(Stn->First->Name, "KEEP");
    EXPECT_EQ(Swp, nullptr) << "no set, no crash";
}

TEST_F(MlrSessionTest, BinaryWaypoints)
{
    QByteArray rec = QByteArray("PT") + char(25) + "1" + char(25) + char(25) + QByteArray(4, 0) +
                     Be(0x20000000, 4) + Be(0x01000000, 4) + Be(1000, 3) + char(0);
    s.Options.WptMde = 1;
    s.DownWpt(0, "COM1");
    Tick(2);
    EXPECT_EQ(link.Writes.last(), MlrCmd::Wpt19200);
    link.Incoming += MlrStartBlock('W', 0) + MlrDataBlock('W', 1, {rec, rec}) + MlrEndBlock('W', 2);
    Tick(2);
    EXPECT_EQ(s.State(), 44);
    ASSERT_NE(Swp, nullptr);
    EXPECT_EQ(Swp->Count, 2);
    EXPECT_EQ(Swp->First->Name, "PT 1");
    EXPECT_EQ(Swp->First->Alt, 100);
}

TEST_F(MlrSessionTest, Uploads)
{
    NewSwp();
    for (const char* n : {"one", "two"}) {
        auto w = std::make_unique<TWpt>();
        w->Name = n;
        w->Lat = 100;
        Swp->AddWpt(w);
    }
    s.UpWpt("COM1");
    Tick(4);
    EXPECT_EQ(s.State(), 52);
    Tick();
    EXPECT_EQ(link.Written(), "$GPWPL,0000.060,N,00000.000,E,ONE   5                      \r\n"
                              "$GPWPL,0000.060,N,00000.000,E,TWO   5                      \r\n");
    EXPECT_EQ(ui.Text, "Way-points transmis au GPS : 2.");

    link.Writes.clear();
    NewTrj();
    for (const char* n : {"a", "b"}) {
        TTrn t;
        t.Name = n;
        Stn->AddTrn(t, -1);
    }
    Msg::PushInput("7");
    s.UpRte("COM1");
    Tick(7);
    EXPECT_EQ(ui.Text, "Route 07 transmise au GPS.");
    EXPECT_EQ(link.Writes.last(), "$GPRTE,1,1,C,07,A     ,B     \r\n");
    EXPECT_EQ(link.Writes.size(), 3);

    link.Writes.clear();
    TSln big;
    big.Points.resize(500);
    big.NbSend = 500;
    Msg::PushAnswer(mrCancel);
    s.UpSmp(big, "COM1");
    EXPECT_FALSE(ui.Enabled) << "a long list needs a confirmation";
    TSln z;
    z.Points.resize(3);
    z.Points[0].SegStart = true;
    z.Points[1].Send = false;
    z.NbSend = 2;
    s.UpSmp(z, "COM1");
    Tick(5);
    EXPECT_EQ(link.Written(),
              "$GPWPL,0000.000,N,00000.000,E,      XD\r\n$GPWPL,0000.000,N,00000.000,E,      XB\r\n");
    EXPECT_EQ(ui.Text, "Nb de point transmis : 2");
}
