// The Garmin session over a pseudo-terminal, with the simulated receiver on the other side and
// our serial-port component on ours; faults on the line.
#include "devices/GarminSession.h"
#include "files/RecFile.h"
#include "platform/IniFile.h"
#include "platform/ProgramDir.h"
#include "sim/SimGarmin.h"
#include "support/FakeLink.h"
#include "support/Fixtures.h"
#include "support/PrintQString.h"
#include "support/PtyFixture.h"

#include <QDate>
#include <functional>
#include <gtest/gtest.h>

namespace {

using Sim = TSimGarmin;

uint32_t Sec(int y, int m, int d, int h, int mi, int s = 0)
{
    return static_cast<uint32_t>(QDate(1989, 12, 31).daysTo(QDate(y, m, d)) * 86400 + h * 3600 + mi * 60 + s);
}

// The port at a speed of the test's choosing.
class SpeedLink : public TComPortLink
{
public:
    TBaudRate Forced = br9600;
    void SetBaudRate(TBaudRate) override { TComPortLink::SetBaudRate(Forced); }
};

class GarminPty : public FreshModel
{
protected:
    PtyFixture pty;
    Sim dev{pty};
    SpeedLink link;
    FakeDeviceUi ui;
    TGarminSession s{link, ui.Ui()};

    void SetUp() override
    {
        FreshModel::SetUp();
        ASSERT_TRUE(pty.Ok()) << pty.Error().toStdString();
        ASSERT_TRUE(pty.BindPort(3));
        ui.IntervalMs = 40;
    }
    void TearDown() override
    {
        s.StopCom();
        FreshModel::TearDown();
    }
    // Ticks n times, letting the receiver answer between ticks.
    void Spin(int n, int pumpMs)
    {
        for (int i = 0; i < n; ++i) {
            s.Tick();
            dev.Pump(pumpMs);
            if (pumpMs) pty.WaitSlaveQueued(1, 3);
        }
    }
    // Both ends agree on the number of records and the upload kept its order.
    static void CheckUpload(const Sim::Upload& u, int xfer = -1)
    {
        EXPECT_TRUE(u.CountOk()) << u.Announced << " " << u.Items.size();
        EXPECT_TRUE(u.OrderOk);
        if (xfer >= 0) {
            EXPECT_EQ(u.XferCommand, xfer);
        }
    }
    // Ticks until the command ends; the number of ticks.
    int Run(int maxTicks = 4000)
    {
        int i = 0;
        for (; i < maxTicks && ui.Enabled; ++i) {
            s.Tick();
            dev.Pump(2);
            pty.WaitSlaveQueued(1, 3);
        }
        return i;
    }
    static Sim::TrkPt Pt(uint32_t t, float alt, bool flag = false)
    {
        Sim::TrkPt p;
        p.Lat = 45.5 + t % 1000 * 1e-5;
        p.Lon = 6.25;
        p.Time = t;
        p.Alt = alt;
        p.NewTrack = flag;
        return p;
    }
    // Two flights by time (a 2-hour gap) and a third by the receiver's track header.
    void TwoTracks()
    {
        dev.SetCapabilities("A010 A100 D108 A201 D202 D108 D210 A301 D310 D301");
        const uint32_t t0 = Sec(2024, 7, 14, 9, 0);
        Sim::Track a{"ACTIVE LOG", {}};
        for (int k = 0; k < 20; ++k) a.Points << Pt(t0 + k * 60, 1000.f + k);
        for (int k = 0; k < 10; ++k) a.Points << Pt(t0 + 3 * 3600 + k * 60, 500.f + k);
        Sim::Track b{"SAVED", {Pt(Sec(2024, 7, 15, 12, 0), 300.f), Pt(Sec(2024, 7, 15, 12, 1), 310.f)}};
        dev.Tracks = {a, b};
    }
    void CheckTwoTracks()
    {
        EXPECT_EQ(ui.Text, "Points lus : 32 sur 3 vol(s)  -  Erreur(s) détectée(s): 0.");
        ASSERT_EQ(TrjCount(), 3);
        TTrj* f = FirstTrj;
        EXPECT_EQ(f->Name, "240714 - Vol N°1");
        EXPECT_EQ(f->RecCount, 20);
        EXPECT_EQ(f->First->Alt, 1000);
        EXPECT_EQ(f->Last->Time, 931667); // 09:19
        EXPECT_EQ(f->NextTrj->RecCount, 10);
        EXPECT_EQ(f->NextTrj->NextTrj->Name, "240715 - Vol N°3");
        for (TTrj* t = FirstTrj; t; t = t->NextTrj) EXPECT_EQ(t->SaveState, 2);
    }
};

} // namespace

TEST_F(GarminPty, TrackDownloadUnderFaults)
{
    struct Fault
    {
        const char* name;
        std::function<void(Sim&)> apply;
    } faults[] = {
        {"none", [](Sim&) {}},
        {"corrupt byte", [](Sim& d) { d.CorruptByte(40, 0x20); }},
        {"bad checksum", [](Sim& d) { d.CorruptByte(6 + 21 + 3 + 3 + 20, 0x01); }},
        {"split writes", [](Sim& d) { d.SplitWrites(3); }},
        {"merged writes", [](Sim& d) { d.MergeWrites(4); }},
        {"dropped packet", [](Sim& d) { d.StaySilent(1); }},
        {"garbage", [](Sim& d) { d.GarbageBeforeNext("\x55\xAA\x03"); }},
    };
    for (const Fault& f : faults) {
        SCOPED_TRACE(f.name);
        CloseAllTrj();
        s.Options.TrjTimeBox = true;
        s.Options.TrjTimeEdit = 30;
        s.Options.TrjGrmBox = true;
        TwoTracks();
        s.DownTrk("COM3");
        ASSERT_TRUE(ui.Enabled);
        Spin(12, 2); // identified, track log asked
        f.apply(dev);
        Run();
        CheckTwoTracks();
        dev.SplitWrites(0);
    }
}

TEST_F(GarminPty, UploadsDecodedByTheReceiver)
{
    // The current trace as a track.
    dev.SetCapabilities("A010 A100 D100 A200 D200 D100 A301 D310 D302");
    NewTrj();
    Trj->Name = "Vol du jour";
    Trj->StartTime = QDate(1899, 12, 30).daysTo(QDate(2024, 7, 14));
    for (int k = 0; k < 5; ++k) {
        auto r = std::make_unique<TRec>();
        r->Lat = 4500000 + k;
        r->Lon = 600000;
        r->Alt = 1200 + k;
        r->Time = 1000000 + k * 2778; // 10:00 + k * 100 s
        Trj->AddRec(r);
    }
    Msg::PushInput("Mon vol");
    dev.CorruptByte(25);
    s.UpTrk("COM3");
    Run();
    EXPECT_EQ(ui.Text, "Points transférés : 5  -  Erreur(s) détectée(s): 0.");
    ASSERT_EQ(dev.Uploads.size(), 1);
    Sim::Upload u = dev.Uploads[0];
    CheckUpload(u, 6);
    ASSERT_EQ(u.Tracks.size(), 1);
    EXPECT_EQ(u.Tracks[0].Name, "Mon vol");
    ASSERT_EQ(u.Tracks[0].Points.size(), 5);
    EXPECT_EQ(u.Tracks[0].Points[1].Time, Sec(2024, 7, 14, 10, 1, 40));
    EXPECT_EQ(u.Tracks[0].Points[4].Alt, 1204.f);
    EXPECT_NEAR(u.Tracks[0].Points[0].Lat, 45.0, 1e-6);

    // Marked waypoints only, under a split line.
    NewSwp();
    for (const char* n : {"one", "two", "three", "four"}) {
        auto w = std::make_unique<TWpt>();
        w->Name = n;
        w->Comment = "c";
        w->Lat = 4600000;
        w->Rep = QByteArray(n) == "two" || QByteArray(n) == "four";
        Swp->AddWpt(w);
    }
    s.Options.SelOnlyBtn = true;
    dev.SplitWrites(2);
    s.UpWpt("COM3");
    Run();
    dev.SplitWrites(0);
    EXPECT_EQ(ui.Text, "Way-points transférés : 2  -  Erreur(s) détectée(s): 0.");
    ASSERT_EQ(dev.Uploads.size(), 2);
    u = dev.Uploads[1];
    CheckUpload(u, 7);
    ASSERT_EQ(u.Waypoints.size(), 2);
    EXPECT_EQ(u.Waypoints[0].Ident, "TWO   ");
    EXPECT_EQ(u.Waypoints[1].Ident, "FOUR  ");

    // The task as a route, A200 then A201.
    for (int k = 0; k < 3; ++k) {
        TTrn t;
        t.Name = QStringLiteral("TP%1").arg(k);
        t.Lat = 4400000 + k * 1000;
        Stn->AddTrn(t, -1);
    }
    Msg::PushInput("x"); // not a number: asked again
    Msg::PushInput("5");
    s.UpRte("COM3");
    Run();
    EXPECT_EQ(ui.Text, "Points transférés : 3  -  Erreur(s) détectée(s): 0.");
    u = dev.Uploads.back();
    CheckUpload(u, 7);
    ASSERT_EQ(u.Routes.size(), 1);
    EXPECT_EQ(u.Routes[0].Number, 5);
    ASSERT_EQ(u.Routes[0].Points.size(), 3);
    EXPECT_EQ(u.Routes[0].Points[2].Ident, "TP2   ");

    dev.SetCapabilities("A010 A100 D108 A201 D202 D108 D210 A301 D310 D301");
    Msg::PushInput("Circuit");
    dev.MergeWrites(3);
    s.UpRte("COM3");
    Run();
    EXPECT_EQ(ui.Text, "Points transférés : 3  -  Erreur(s) détectée(s): 0.");
    u = dev.Uploads.back();
    CheckUpload(u);
    EXPECT_EQ(u.Items.size(), 6); // header, point, link, point, link, point
    ASSERT_EQ(u.Routes.size(), 1);
    EXPECT_EQ(u.Routes[0].Name, "Circuit");
    EXPECT_EQ(u.Routes[0].Points[1].Ident, "TP1");
    EXPECT_EQ(dev.BadFrames, 0);
}

TEST_F(GarminPty, DownloadsOfWaypointsAndRoutes)
{
    dev.SetCapabilities("A010 A100 D110 A201 D201 D109 D210 A300 D300");
    Sim::Wpt a{"Tour", "sommet", 45.1, 6.2, 1500.f, 16384};
    Sim::Wpt b{"Lac", "", -12.5, -70.25, 1.0e25f, 18};
    dev.Waypoints = {a, b};
    dev.GarbageBeforeNext("noise");
    s.DownWpt("COM3");
    Run();
    EXPECT_EQ(ui.Text, "Way-points lus : 2  -  Erreur(s) détectée(s): 0.");
    ASSERT_EQ(Swp->Count, 2);
    EXPECT_EQ(Swp->First->Name, "Tour");
    EXPECT_EQ(Swp->First->Alt, 1500);
    EXPECT_EQ(Swp->Last->Lat, -1250000);
    EXPECT_EQ(Swp->Last->Alt, 0);

    NewTrj();
    dev.Routes = {Sim::Route{1, "UN", {a}}, Sim::Route{2, "DEUX", {b, a}}};
    Msg::PushInput("2");
    s.DownRte("COM3");
    Run();
    EXPECT_EQ(ui.Text, "Way-points lus : 2  -  Erreur(s) détectée(s): 0.");
    ASSERT_EQ(Stn->Count, 2);
    EXPECT_EQ(Stn->First->Name, "Lac");
}

TEST_F(GarminPty, PowerLampSilenceUnplugAndSpeed)
{
    dev.SetCapabilities("A010 A100 D108 A301 D310 D301");
    s.Off("COM3", true, true);
    Run();
    EXPECT_EQ(dev.Lamp, 0);
    EXPECT_TRUE(dev.Received.size() == 1); // no product request
    Msg::PushAnswer(mrYes);
    s.Off("COM3", false, false);
    Run();
    EXPECT_TRUE(dev.PoweredOff);
    EXPECT_EQ(ui.Text, "Vérifier que le GPS est bien éteint.");

    // Silence long enough for the advice, then the receiver speaks again.
    TwoTracks();
    s.Options.TrjGrmBox = true;
    dev.StaySilent();
    s.DownTrk("COM3");
    Spin(260, 0);
    EXPECT_TRUE(ui.AdviceVisible());
    dev.StaySilent(0);
    Run();
    EXPECT_FALSE(ui.AdviceVisible());
    CheckTwoTracks();

    // Unplugged in the middle: one message naming the port, the flight kept, port released.
    CloseAllTrj();
    Msg::ClearLog();
    s.DownTrk("COM3");
    dev.HangUpAfter(15);
    Run();
    EXPECT_FALSE(ui.Enabled);
    ASSERT_EQ(Msg::Log().size(), 1);
    EXPECT_TRUE(Msg::Log()[0].text.contains(pty.SlavePath())) << Msg::Log()[0].text.toStdString();
    EXPECT_FALSE(link.Connected());
    ASSERT_EQ(TrjCount(), 1);
    EXPECT_GT(Trj->RecCount, 0);
    EXPECT_EQ(Trj->SaveState, 2);
}

TEST_F(GarminPty, WrongSpeedAndMissingPort)
{
    TwoTracks();
    link.Forced = br4800;
    s.DownTrk("COM3");
    Spin(260, 0);
    EXPECT_TRUE(ui.AdviceVisible());
    EXPECT_GT(dev.Ignored, 0);
    EXPECT_TRUE(dev.Received.isEmpty());
    EXPECT_EQ(TrjCount(), 0);
    s.StopCom();
    EXPECT_FALSE(link.Connected());

    // A port that does not exist: the error with its path, no timer.
    TIniFile(IniFileName()).WriteString("Interface", "Device_COM4", "/dev/zph-missing");
    Msg::ClearLog();
    s.DownTrk("COM4");
    EXPECT_FALSE(ui.Enabled);
    ASSERT_EQ(Msg::Log().size(), 1);
    EXPECT_TRUE(Msg::Log()[0].text.contains("/dev/zph-missing"));
}
