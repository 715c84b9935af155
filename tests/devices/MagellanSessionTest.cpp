// The Magellan state machine over a fake link, with a small receiver answering each sentence.
#include "devices/MagellanSession.h"
#include "model/Calc.h"
#include "support/FakeLink.h"
#include "support/Fixtures.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

QList<QByteArray> Lines(const char* Name, const QByteArray& Prefix = "$PMGN")
{
    QFile f(QStringLiteral(ZPH_TESTDATA "/magellan/") + QLatin1String(Name));
    QList<QByteArray> l;
    if (!f.open(QIODevice::ReadOnly)) return l;
    for (const QByteArray& s : f.readAll().split('\n'))
        if (s.startsWith(Prefix) && !s.startsWith("$PMGNCMD")) l << s.trimmed() + "\r\n";
    return l;
}

class MagellanSessionTest : public FreshModel
{
protected:
    FakeLink link;
    FakeDeviceUi ui;
    TMagellanSession s{link, ui.Ui()};
    qint64 now = 0;
    int seen = 0;
    // The receiver: its handshake, what it sends for each request, and what it got.
    bool handshake = false;
    bool answerCsm = true;
    QByteArray wrongCsm; // acknowledges with this instead
    QMap<QByteArray, QList<QByteArray>> lists;
    QList<QByteArray> got;

    void SetUp() override
    {
        FreshModel::SetUp();
        s.Clock = [this] { return now; };
        s.Today = [] { return EncodeDate(2026, 12, 6); };
        s.Options.SpeedIndex = 5;
    }
    void Answer()
    {
        for (; seen < link.Writes.size(); ++seen) {
            const QByteArray w = link.Writes[seen];
            TMgnReader r;
            TMgnSentence m;
            r.Append(w);
            ASSERT_EQ(r.Next(m), TMgnReader::Good) << w.constData();
            const QByteArray body = m.Raw.mid(1, m.Raw.indexOf('*') - 1);
            got << body;
            if (m.Command == "CMD" && m.Field(1) == "HANDON") handshake = true;
            if (m.Command == "CMD" && m.Field(1) == "HANDOFF") handshake = false;
            if (handshake && m.Command != "CSM" && answerCsm)
                link.Incoming += MgnSentence("CSM", {wrongCsm.isEmpty() ? m.Checksum : wrongCsm});
            if (m.Command == "CMD" && m.Field(1) == "VERSION")
                link.Incoming += MgnSentence("VER", {"23", "3.11", "MERIDIAN GPS", "x", "EU"});
            if (m.Command == "CMD" && lists.contains(m.Field(1))) {
                for (const QByteArray& l : lists.value(m.Field(1))) link.Incoming += l;
                link.Incoming += MgnSentence("CMD", {"END"});
            }
        }
    }
    // Ticks n times, the receiver answering after each.
    void Step(int n)
    {
        for (int i = 0; i < n; ++i) {
            s.Tick();
            Answer();
        }
    }
    void Run(int Max = 5000)
    {
        for (int i = 0; i < Max && s.Running(); ++i) {
            s.Tick();
            now += ui.IntervalMs;
            Answer();
        }
    }
    QList<QByteArray> Sent(const QByteArray& Prefix) const
    {
        QList<QByteArray> l;
        for (const QByteArray& b : got)
            if (b.startsWith(Prefix)) l << b;
        return l;
    }
};

} // namespace

TEST_F(MagellanSessionTest, TrackWithoutHandshakeGoesInConsecutiveTicksAndSplitsNothing)
{
    s.Options.FlowCheckBtn = false;
    lists["TRACK"] = Lines("dusky.trk");
    s.DownTrk("COM1");
    EXPECT_EQ(ui.IntervalMs, 5);
    Step(3);
    EXPECT_EQ(got, (QList<QByteArray>{"PMGNCMD,HANDOFF", "PMGNCMD,NMEAOFF,2", "PMGNCMD,VERSION,2"}));
    Run();
    EXPECT_EQ(s.State(), 13);
    EXPECT_TRUE(Sent("PMGNCSM").isEmpty());
    EXPECT_EQ(got.value(3), "PMGNCMD,TRACK,2");
    EXPECT_EQ(s.Count(), 63);
    EXPECT_EQ(s.ErrorCount(), 0);
    ASSERT_EQ(TrjCount(), 1);
    EXPECT_EQ(FirstTrj->Name, "040817 - Vol N°1");
    EXPECT_EQ(FirstTrj->RecCount, 63);
    EXPECT_EQ(FirstTrj->Source, "GPS Magellan");
    EXPECT_EQ(FirstTrj->SaveState, 2);
    EXPECT_EQ(ui.Text, "Points lus : 63 sur 1 vol(s)  -  Erreur(s) détectée(s): 0.");
}

TEST_F(MagellanSessionTest, TrackWithHandshakeAcksEveryPointAndDatesSplitFlights)
{
    lists["TRACK"] = Lines("magellandate.log");
    // Damaged points: a bad checksum, a latitude in the east, a bad time, a date out of range.
    lists["TRACK"]
        << "$PMGNTRK,4231.829,N,08807.304,W,00210,M,032912.38,A,,010103*00\r\n"
        << MgnSentence("TRK", {"4231.829", "E", "08807.304", "W", "0", "M", "032912.38", "A", "", "010103"})
        << MgnSentence("TRK", {"4231.829", "N", "08807.304", "W", "0", "M", "0329.12", "A", "", "010103"})
        << MgnSentence("TRK", {"4231.829", "N", "08807.304", "W", "0", "M", "032912.38", "A", "", "291289"});
    s.DownTrk("COM1");
    Run();
    EXPECT_EQ(s.State(), 13);
    EXPECT_EQ(TrjCount(), 6) << "1998 to 2003";
    EXPECT_EQ(s.FlightCount(), 6);
    EXPECT_EQ(s.Count(), 9);
    EXPECT_EQ(s.ErrorCount(), 3) << "the bad checksum is acknowledged by no CSM and resent, not counted";
    EXPECT_EQ(Sent("PMGNCSM").size(), 11) << "VER, 9 points and END";
    EXPECT_EQ(Sent("PMGNCMD,HANDON").size(), 1);
}

TEST_F(MagellanSessionTest, LateAndWrongAcknowledgements)
{
    // Acknowledgements one sentence late: HANDON's comes while NMEAOFF's is awaited.
    s.Options.FlowCheckBtn = true;
    answerCsm = false;
    s.GpsId("COM1");
    Step(2); // HANDON, NMEAOFF
    link.Incoming += MgnSentence("CSM", {"70"});
    s.Tick(); // late: dropped
    EXPECT_EQ(s.State(), 2);
    link.Incoming += MgnSentence("CSM", {"00"});
    s.Tick(); // wrong: back to 1
    EXPECT_EQ(s.State(), 1);
    answerCsm = true;
    Run();
    EXPECT_EQ(ui.Text, "MERIDIAN GPS  -  3.11  -  EU");
    EXPECT_EQ(Sent("PMGNCMD,NMEAOFF").size(), 2);

    // A receiver that never says yes: resends go on, and after 5 s the user is told.
    wrongCsm = "00";
    seen = link.Writes.size();
    got.clear();
    s.GpsId("COM2");
    Run(1100);
    EXPECT_TRUE(s.Running());
    EXPECT_GT(Sent("PMGNCMD,NMEAOFF").size(), 50);
    EXPECT_TRUE(ui.AdviceVisible());
    EXPECT_TRUE(ui.AdviceText().contains("COM2")) << ui.AdviceText().toStdString();
    EXPECT_TRUE(ui.AdviceText().contains("115200"));
}

TEST_F(MagellanSessionTest, SilenceShowsAdviceEveryFiveSecondsAndNeverResends)
{
    s.Options.SpeedIndex = 1;
    s.GpsId("COM3");
    s.Tick();
    s.Tick();
    const int writes = link.Writes.size();
    for (int i = 0; i < 60; ++i) s.Tick();
    EXPECT_FALSE(ui.AdviceVisible());
    s.Tick();
    EXPECT_TRUE(ui.AdviceVisible());
    EXPECT_EQ(link.Writes.size(), writes);
    link.Incoming += MgnSentence("CSM", {"99"}); // any good sentence hides it
    s.Tick();
    EXPECT_FALSE(ui.AdviceVisible());
}

TEST_F(MagellanSessionTest, WaypointsThenRouteAsAContinuation)
{
    lists["WAYPOINT"] = Lines("magellan.rte", "$PMGNWPL");
    lists["ROUTE"] = Lines("magellan.rte", "$PMGNRTE");
    NewTrj();
    Msg::PushAnswer(mrYes); // read the waypoints first
    Msg::PushInput("1");    // route 1
    s.Options.NmeaOneBtn = true;
    s.DownRte("COM1");
    Run();
    EXPECT_TRUE(s.WptsLoaded());
    EXPECT_EQ(s.State(), 53);
    EXPECT_EQ(s.ErrorCount(), 0);
    ASSERT_EQ(Stn->Count, 11);
    EXPECT_EQ(Stn->First->Name, "49B");
    EXPECT_EQ(Stn->First->Lat, 3070000);
    EXPECT_EQ(Sent("PMGNCMD,NMEAON,2").size(), 2) << "after the waypoints and after the route";
    EXPECT_EQ(ui.Text, "Route 1 reçue du GPS  -  Erreur(s) détectée(s): 0.");
}

TEST_F(MagellanSessionTest, ExploristRouteAndAnEmptyRouteKeepsTheTask)
{
    lists["WAYPOINT"] = Lines("magexplorist.rte", "$PMGNWPL");
    lists["ROUTE"] = Lines("magexplorist.rte", "$PMGNRTE");
    NewTrj();
    s.DownWpt("COM1");
    Run();
    ASSERT_EQ(Swp->Count, 4);
    Msg::PushInput("1");
    s.DownRte("COM1");
    Run();
    ASSERT_EQ(Stn->Count, 4);
    EXPECT_EQ(Stn->First->Name, "WPT006");
    EXPECT_EQ(Stn->First->Next->Next->Next->Name, "WPT009");

    Msg::PushInput("7"); // no such route: the task stays
    s.DownRte("COM1");
    Run();
    EXPECT_EQ(Stn->Count, 4);
}

TEST_F(MagellanSessionTest, UploadsAndErasing)
{
    NewSwp();
    for (const char* n : {"ALPHA,1", "BRAVO", "CHARLIE", "DELTA", "ECHO"}) {
        TWpt w;
        w.Name = QString::fromLatin1(n);
        w.Lat = -4520575;
        w.Lon = 512345;
        w.Alt = 1200;
        w.Rep = true;
        auto p = std::make_unique<TWpt>(w);
        Swp->AddWpt(p);
    }
    s.UpWpt("COM1");
    Run();
    EXPECT_EQ(ui.Text, "Way-points transférés : 5.");
    const QList<QByteArray> wpl = Sent("PMGNWPL");
    ASSERT_EQ(wpl.size(), 5);
    EXPECT_EQ(wpl[0], "PMGNWPL,4512.345,S,00507.407,E,1200,M,ALPHA ,,") << "names cut to 6, comma blanked";

    NewTrj();
    TTrn t;
    for (const TWpt* w = Swp->First; w; w = w->Next) {
        static_cast<TWptBase&>(t) = *w;
        Stn->AddTrn(t, -1);
    }
    Msg::PushInput("3");
    s.UpRte("COM1");
    Run();
    EXPECT_EQ(Sent("PMGNRTE"),
              (QList<QByteArray>{"PMGNRTE,3,1,c,3,ALPHA ,a,BRAVO,a", "PMGNRTE,3,2,c,3,CHARLI,a,DELTA,a",
                                 "PMGNRTE,3,3,c,3,ECHO,a"}));
    EXPECT_EQ(ui.Text, "Route 3 transmise au GPS.");

    got.clear();
    s.Options.DelTrkBtn = s.Options.DelSelWptBtn = s.Options.DelOneRteBtn = s.Options.DelAllBtn = true;
    Msg::PushInput("11");
    s.Erase("COM1");
    Run();
    EXPECT_EQ(Sent("PMGNCMD,DELETE"), (QList<QByteArray>{"PMGNCMD,DELETE,TRACK", "PMGNCMD,DELETE,ALL"}));
    EXPECT_EQ(Sent("PMGNDWP").size(), 5);
    EXPECT_EQ(Sent("PMGNDRT"), QList<QByteArray>{"PMGNDRT,10"});
    EXPECT_EQ(ui.Text, "Vérifier que les données sont effacées");

    got.clear();
    Msg::PushInput("0"); // route 0 does not exist here
    s.Options.DelTrkBtn = s.Options.DelSelWptBtn = s.Options.DelAllBtn = false;
    s.Erase("COM1");
    Run();
    EXPECT_TRUE(Sent("PMGNDRT").isEmpty());
}

TEST_F(MagellanSessionTest, UnplugKeepsTheTraceAndReleasesThePort)
{
    s.Options.FlowCheckBtn = false;
    lists["TRACK"] = Lines("dusky.trk");
    s.DownTrk("COM1");
    Step(30);
    link.ReadError = 5;
    Msg::PushAnswer(mrOk);
    s.Tick();
    EXPECT_FALSE(s.Running());
    EXPECT_FALSE(link.Connected());
    ASSERT_EQ(TrjCount(), 1);
    EXPECT_GT(FirstTrj->RecCount, 10);
    EXPECT_EQ(FirstTrj->SaveState, 2);
    EXPECT_EQ(Msg::Log().size(), 1);

    // The end of another transfer touches no trace.
    FirstTrj->SaveState = 0;
    link.ReadError = 0;
    link.Incoming.clear();
    s.Close();
    EXPECT_EQ(FirstTrj->SaveState, 0);
}

TEST_F(MagellanSessionTest, TraceButtonShowsOnlyTheTraceBeingReceived)
{
    s.ShowTrace(); // no trace at all
    s.Options.FlowCheckBtn = false;
    lists["TRACK"] = Lines("dusky.trk");
    s.DownTrk("COM1");
    Step(20);
    ASSERT_EQ(s.State(), 12);
    s.ShowTrace();
    ASSERT_NE(Trj, nullptr);
    EXPECT_EQ(Trj->CurRec, Trj->Last);
    EXPECT_GT(Trj->RecCount, 5);
    Run();
    EXPECT_EQ(FirstTrj->RecCount, 63) << "showing it did not end it";
}
