// The Garmin command state machine over a fake link, ticked by hand.
#include "devices/GarminSession.h"
#include "files/RecFile.h"
#include "model/Options.h"
#include "support/FakeLink.h"
#include "support/Fixtures.h"
#include "support/PrintQString.h"

#include <QDate>
#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct Pkt
{
    uint8_t id;
    QByteArray data;
};

QByteArray U16(int v)
{
    return GarminInt16ToBytes(static_cast<int16_t>(v));
}

QByteArray Ack(uint8_t id)
{
    return QByteArray(1, char(id)) + QByteArray(1, '\0');
}

uint32_t Sec(int y, int m, int d, int h, int mi)
{
    return static_cast<uint32_t>(QDate(1989, 12, 31).daysTo(QDate(y, m, d)) * 86400 + h * 3600 + mi * 60);
}

class GarminSessionTest : public FreshModel
{
protected:
    FakeLink link;
    FakeDeviceUi ui;
    TGarminSession s{link, ui.Ui()};
    TGarminRx sent;
    int ends = 0;

    void SetUp() override
    {
        FreshModel::SetUp();
        ui.IntervalMs = 40;
        s.OnCommandEnd = [this] { ++ends; };
    }
    void Feed(uint8_t id, const QByteArray& data = QByteArray()) { link.Incoming += GarminFrame(id, data); }
    void Tick(int n = 1)
    {
        for (int i = 0; i < n; ++i) s.Tick();
    }
    // Packets the session wrote since the last call.
    QList<Pkt> Sent()
    {
        sent.Append(link.Written());
        link.Writes.clear();
        QList<Pkt> out;
        for (;;) {
            Pkt p{};
            const auto r = sent.Extract(p.id, p.data);
            if (r == TGarminRx::None) break;
            EXPECT_EQ(r, TGarminRx::Good);
            out << p;
        }
        return out;
    }
    // Identification up to the command's first step; Array empty: none sent.
    void Identify(int ProductId, const QString& Array)
    {
        Tick(); // product request
        Feed(6, Ack(254));
        Tick();
        Feed(255, U16(ProductId) + U16(400) + "eTrex Legend" + QByteArray(1, '\0'));
        Tick();
        if (!Array.isEmpty()) {
            Feed(253, GarminProtocolTags(Array));
            Tick();
        } else {
            Tick(13);
        }
        ASSERT_FALSE(s.HandshakeOn());
        Sent();
    }
    // Hands a packet to the session and takes its ACK.
    void Device(uint8_t id, const QByteArray& data)
    {
        Feed(id, data);
        Tick();
        const QList<Pkt> p = Sent();
        ASSERT_EQ(p.size(), 1);
        EXPECT_EQ(p[0].id, 6);
        EXPECT_EQ(p[0].data, Ack(id));
    }
    QByteArray Point(int type, uint32_t t, int alt = 1000, bool flag = false)
    {
        TGarminTrkPt p;
        p.Lat = 4500000;
        p.Lon = 600000;
        p.Time = t;
        p.Alt = alt;
        p.NewTrack = flag;
        return GarminEncodeTrkPt(type, p);
    }
    // A way-point download of Count records, up to the first one ("Bel") taken.
    void DownWaypointsUpToBel(int Count)
    {
        s.DownWpt("COM1");
        Identify(1, "A010 A100 D108");
        Tick();
        Feed(27, U16(Count));
        Tick(2);
        Sent();
        TWptBase w;
        w.Name = "Bel";
        w.Lat = 4600000;
        Device(35, GarminEncodeWpt(108, w));
    }
    // The track-log command sent and acknowledged.
    void AskTrackLog()
    {
        Tick();
        Feed(6, Ack(10));
        Tick();
        Sent();
    }
    // The track log, from the command on, ticked one packet at a time.
    void TrackLog(const QList<Pkt>& items)
    {
        AskTrackLog();
        Device(27, U16(items.size()));
        for (const Pkt& p : items) Device(p.id, p.data);
        Device(12, U16(6));
        Tick();
    }
};

} // namespace

TEST_F(GarminSessionTest, IdentificationScripts)
{
    // Protocol array; the command packet goes in the tick after.
    s.DownTrk("COM1");
    EXPECT_TRUE(ui.Enabled);
    EXPECT_EQ(link.Port, "COM1");
    Tick();
    QList<Pkt> p = Sent();
    ASSERT_EQ(p.size(), 1);
    EXPECT_EQ(p[0].id, 254);
    EXPECT_EQ(ui.Text, "Etape = 1");
    Feed(6, Ack(254));
    Tick();
    EXPECT_EQ(s.StepNo(), 2);
    // The second time, as when our ACK was lost: answered again and the wait goes on.
    for (int i = 0; i < 2; ++i) {
        Feed(255, U16(111) + U16(330) + "eMap" + QByteArray(1, '\0'));
        Tick();
        EXPECT_EQ(Sent()[0].data, Ack(255));
    }
    EXPECT_TRUE(s.HandshakeOn());
    Feed(248, "extended");
    Tick();
    EXPECT_EQ(Sent()[0].data, Ack(248));
    Feed(253, GarminProtocolTags("A010 A100 D108 A201 D202 D108 D210 A301 D310 D301"));
    Tick();
    EXPECT_EQ(Sent()[0].data, Ack(253));
    EXPECT_FALSE(s.HandshakeOn());
    EXPECT_EQ(s.StepNo(), 10);
    EXPECT_EQ(s.Product().ProductDesc, "eMap");
    EXPECT_EQ(s.Protocols().TrkHdrType, 310);
    Tick();
    p = Sent();
    ASSERT_EQ(p.size(), 1);
    EXPECT_EQ(p[0].id, 10);
    EXPECT_EQ(p[0].data, U16(6));
    EXPECT_EQ(ui.Text, "Etape = 11");

    // No array: the defaults after 500 ms; a NAK of the request sends it again.
    s.DownTrk("COM1");
    Tick();
    Feed(21, QByteArray(1, char(254)));
    Tick();
    EXPECT_EQ(s.StepNo(), 0);
    Identify(29, QString());
    EXPECT_EQ(s.Protocols().WptType, 102);
    EXPECT_EQ(s.StepNo(), 10);

    // A011 only: refused, nothing else sent.
    s.DownTrk("COM1");
    Msg::ClearLog();
    Tick();
    Feed(6, Ack(254));
    Tick();
    Feed(255, U16(20) + U16(100) + "Old" + QByteArray(1, '\0'));
    Tick();
    Feed(253, GarminProtocolTags("A011 A100 D150"));
    Tick();
    EXPECT_FALSE(ui.Enabled);
    ASSERT_EQ(Msg::Log().size(), 1);
    EXPECT_EQ(Msg::Log()[0].text, "Ce GPS Garmin n'est pas reconnu par le programme.");
    const QList<Pkt> last = Sent();
    EXPECT_EQ(last.back().id, 6); // only the array's ACK
    EXPECT_EQ(ends, 1);
}

TEST_F(GarminSessionTest, LinkRules)
{
    s.DownWpt("COM1");
    Tick();
    ASSERT_EQ(Sent().size(), 1);
    // Silence: the 51st silent tick resends, the first resend after the 250th shows advice.
    Tick(49);
    EXPECT_TRUE(Sent().isEmpty());
    Tick();
    EXPECT_EQ(Sent().size(), 1);
    Tick(51 * 3 + 50);
    EXPECT_FALSE(ui.AdviceVisible());
    Tick();
    EXPECT_TRUE(ui.AdviceVisible());
    EXPECT_TRUE(ui.AdviceText().startsWith("Vérifier que le GPS Garmin"));
    Sent();
    // A bad frame is NAKed with its id and no step runs; a good packet closes the advice.
    QByteArray bad = GarminFrame(6, Ack(254));
    bad[4] = char(bad[4] ^ 0x40);
    link.Incoming += bad;
    Tick();
    QList<Pkt> p = Sent();
    ASSERT_EQ(p.size(), 1);
    EXPECT_EQ(p[0].id, 21);
    EXPECT_EQ(p[0].data, QByteArray(1, char(6)));
    EXPECT_EQ(s.StepNo(), 1);
    EXPECT_TRUE(ui.AdviceVisible());
    Feed(6, Ack(254));
    Tick();
    EXPECT_FALSE(ui.AdviceVisible());
    EXPECT_EQ(s.StepNo(), 2);
    // Garbage before a frame: NAK with the id of the last frame parsed.
    link.Incoming += "zz" + GarminFrame(255, "x");
    Tick();
    p = Sent();
    ASSERT_EQ(p.size(), 1);
    EXPECT_EQ(p[0].id, 21);
    EXPECT_EQ(p[0].data, QByteArray(1, char(6)));
}

TEST_F(GarminSessionTest, TrackDownloadSplitsFlights)
{
    // A trace from a file stays as it was.
    TTrj* file = NewTrj();
    file->Name = "file";
    s.Options.TrjTimeEdit = 30;
    s.DownTrk("COM1");
    Identify(1, "A010 A301 D310 D301");
    const uint32_t t0 = Sec(2024, 7, 14, 10, 0);
    TrackLog({{99, "x"},
              {34, Point(301, t0)},
              {34, Point(301, t0 + 29 * 60)},                // same flight
              {34, Point(301, GarminNoTime)},                // no time: never splits
              {34, Point(301, t0 + 29 * 60 + 31 * 60, 900)}, // 31 min later: flight 2
              {34, Point(301, Sec(2060, 1, 1, 0, 0))},       // out of the window
              {34, QByteArray("short")}});
    EXPECT_EQ(ui.Text,
              "Points lus : 6 sur 2 vol(s)  -  Erreur(s) détectée(s): 2.  -  Points sans heure : 1.");
    EXPECT_FALSE(ui.Enabled);
    EXPECT_EQ(ends, 1);
    ASSERT_EQ(TrjCount(), 3);
    TTrj* a = file->NextTrj;
    TTrj* b = a->NextTrj;
    EXPECT_EQ(a->Name, "240714 - Vol N°1");
    EXPECT_EQ(b->Name, "240714 - Vol N°2");
    EXPECT_EQ(a->RecCount, 3);
    EXPECT_EQ(b->RecCount, 1);
    EXPECT_EQ(a->Last->Time, a->Last->Prev->Time); // the point without time took the one before
    EXPECT_EQ(b->First->Alt, 900);
    EXPECT_EQ(a->Source, "GPS Garmin eTrex Legend");
    EXPECT_EQ(a->SaveState, 2);
    EXPECT_EQ(b->SaveState, 2);
    EXPECT_EQ(file->SaveState, 0);
    EXPECT_EQ(Trj, b);
    EXPECT_EQ(TrjMode, 1);

    // By the receiver's headers and flags; gaps not used.
    CloseAllTrj();
    s.Options.TrjTimeBox = false;
    s.Options.TrjGrmBox = true;
    s.DownTrk("COM1");
    Identify(1, "A010 A300 D300");
    TrackLog({{34, Point(300, t0)},
              {34, Point(300, t0 + 600, 0, true)},
              {99, "h"},
              {34, Point(300, t0 + 5 * 3600)},
              {34, Point(300, t0 + 5 * 3600 + 60)}});
    EXPECT_EQ(TrjCount(), 3);
    EXPECT_EQ(Trj->RecCount, 2);
    EXPECT_EQ(Trj->First->Alt, 0);

    // An empty track log creates nothing and changes nothing.
    CloseAllTrj();
    TrjMode = 0;
    s.DownTrk("COM1");
    Identify(1, "A010 A300 D300");
    TrackLog({});
    EXPECT_EQ(TrjCount(), 0);
    EXPECT_EQ(TrjMode, 0);
    EXPECT_EQ(ui.Text, "Points lus : 0 sur 0 vol(s)  -  Erreur(s) détectée(s): 0.");
}

TEST_F(GarminSessionTest, InterruptedTrackAndPortFailure)
{
    s.DownTrk("COM1");
    Identify(1, "A010 A301 D310 D301");
    AskTrackLog();
    Device(27, U16(3));
    Device(34, Point(301, Sec(2024, 7, 14, 10, 0)));
    Device(34, Point(301, Sec(2024, 7, 14, 10, 1)));
    EXPECT_EQ(s.StepNo(), 13);
    // Tracer draws what came so far; the points go on into the same trace.
    s.TraceBtnClick();
    EXPECT_TRUE(Trj->Loaded || Trj->First);
    EXPECT_EQ(Trj->CurRec, Trj->Last);
    // The device goes away: one message, the trace finished, the port released.
    link.ReadError = 5;
    Msg::ClearLog();
    Tick();
    EXPECT_EQ(Msg::Log().size(), 1);
    EXPECT_TRUE(Msg::Log()[0].text.contains("/dev/fake"));
    EXPECT_FALSE(link.Connected());
    EXPECT_FALSE(ui.Enabled);
    ASSERT_NE(Trj, nullptr);
    EXPECT_EQ(Trj->RecCount, 2);
    EXPECT_EQ(Trj->SaveState, 2);
    // Closing the window later touches it no more.
    Trj->SaveState = 1;
    s.Close();
    EXPECT_EQ(Trj->SaveState, 1);
}

TEST_F(GarminSessionTest, WaypointDownloadPreparationAndClosing)
{
    QTemporaryDir dir;
    const QString old = dir.filePath("old.zph");
    {
        TSwp set;
        auto w = std::make_unique<TWpt>();
        w->Name = "AAA";
        set.AddWpt(w);
        QString error;
        ASSERT_TRUE(WriteSwpFile(set, old, error)) << error.toStdString();
    }
    ASSERT_TRUE(OpenSwpFile(old));
    ASSERT_EQ(Swp->Count, 1);
    Swp->Modified = true;
    // "No", then Cancel at the save question: nothing starts, the set stays.
    Msg::PushAnswer(mrNo);
    Msg::PushAnswer(mrCancel);
    s.DownWpt("COM1");
    EXPECT_FALSE(ui.Enabled);
    EXPECT_EQ(Swp->Count, 1);
    // "No", then "No" (do not save): a new set; the download brings nothing; closing reopens
    // the old file.
    Msg::PushAnswer(mrNo);
    Msg::PushAnswer(mrNo);
    s.DownWpt("COM1");
    EXPECT_EQ(Swp->Count, 0);
    EXPECT_EQ(s.OldSwpFile(), old);
    Identify(1, "A010 A100 D108");
    Tick();
    EXPECT_EQ(Sent()[0].data, U16(7));
    Feed(27, U16(0));
    Tick();
    Tick();
    EXPECT_EQ(Sent()[0].data, Ack(27));
    Device(12, U16(7));
    Tick();
    EXPECT_EQ(ui.Text, "Way-points lus : 0  -  Erreur(s) détectée(s): 0.");
    EXPECT_EQ(Swp, nullptr);
    s.Close();
    ASSERT_NE(Swp, nullptr);
    EXPECT_EQ(Swp->Count, 1);
    EXPECT_EQ(Opt->FichWayPoints, old);

    // "Yes": added to the set, which is then modified; a bad record counts as an error.
    Swp->Modified = false;
    Msg::PushAnswer(mrYes);
    DownWaypointsUpToBel(2);
    Device(35, "bad");
    Device(12, U16(7));
    Tick();
    EXPECT_EQ(ui.Text, "Way-points lus : 2  -  Erreur(s) détectée(s): 1.");
    EXPECT_EQ(Swp->Count, 2);
    EXPECT_TRUE(Swp->Modified);
    EXPECT_EQ(WptMode, 1);
}

TEST_F(GarminSessionTest, InterruptedWaypointsAreKeptToBeSaved)
{
    // Cut by the closing of the window, then by a receiver that went away.
    for (bool unplug : {false, true}) {
        SCOPED_TRACE(unplug);
        ModelDone();
        ModelInit();
        DownWaypointsUpToBel(3);
        ASSERT_EQ(s.StepNo(), 33);
        if (unplug) {
            link.ReadError = 5;
            Tick();
        } else {
            s.Close();
        }
        ASSERT_NE(Swp, nullptr);
        EXPECT_EQ(Swp->Count, 1);
        EXPECT_TRUE(Swp->Modified) << "what came is not lost without a question";
        link.ReadError = 0;
    }
}

TEST_F(GarminSessionTest, RouteDownloadTakesTheChosenRoute)
{
    NewTrj();
    TTrn t;
    t.Name = "KEEP";
    Stn->AddTrn(t, -1);
    auto routeWpt = [](const char* name) {
        TWptBase w;
        w.Name = name;
        return GarminEncodeWpt(100, w);
    };
    auto run = [&](const QString& answer) {
        Msg::PushInput(answer);
        s.DownRte("COM1");
        Identify(1, "A010 A201 D201 D100 D210");
        Tick(); // question, command
        EXPECT_EQ(Sent()[0].data, U16(4));
        Feed(27, U16(9));
        Tick(2);
        Sent();
        Device(29, QByteArray(1, '\1') + QByteArray(20, ' '));
        Device(30, routeWpt("A1"));
        Device(98, GarminEncodeRteLink());
        Device(30, routeWpt("A2"));
        Device(29, QByteArray(1, '\2') + QByteArray(20, ' '));
        Device(30, routeWpt("B1"));
        Device(98, GarminEncodeRteLink());
        Device(30, routeWpt("B2"));
        Device(12, U16(4));
        Tick();
    };
    // Route 3 is not there: the task stays.
    run("3");
    EXPECT_EQ(ui.Text, "Way-points lus : 0  -  Erreur(s) détectée(s): 0.");
    ASSERT_EQ(Stn->Count, 1);
    EXPECT_EQ(Stn->First->Name, "KEEP");
    run("2");
    EXPECT_EQ(ui.Text, "Way-points lus : 2  -  Erreur(s) détectée(s): 0.");
    ASSERT_EQ(Stn->Count, 2);
    EXPECT_EQ(Stn->First->Name, "B1    ");
    EXPECT_EQ(Stn->Last->Name, "B2    ");
    // Cancelled question: nothing sent, command ended.
    Msg::PushInput(QString(), false);
    s.DownRte("COM1");
    Identify(1, "A010 A201 D201 D100 D210");
    Tick();
    EXPECT_TRUE(Sent().isEmpty());
    EXPECT_FALSE(ui.Enabled);
}

TEST_F(GarminSessionTest, LinkTraceEntries)
{
    s.OpenTrace();
    ASSERT_TRUE(s.LogOn());
    s.DownTrk("COM1");
    Tick();
    Feed(6, Ack(254));
    Tick();
    const QString name = s.Trace().FileName();
    s.CloseTrace();
    QFile f(name);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QList<QByteArray> lines = f.readAll().split('\n');
    ASSERT_GE(lines.size(), 2);
    for (QByteArray& l : lines) {
        l = l.trimmed();
        for (char& c : l) c = static_cast<char>(c ^ 0x80);
    }
    EXPECT_TRUE(lines[0].endsWith(" Tx 10 FE 00 02 10 03")) << lines[0].constData();
    EXPECT_TRUE(lines[1].endsWith(" Rx 10 06 02 FE 00 FA 10 03")) << lines[1].constData();
}

TEST_F(GarminSessionTest, UploadsRefusedWithoutLayoutAndPower)
{
    NewTrj();
    auto fix = std::make_unique<TRec>();
    Trj->AddRec(fix);
    s.UpTrk("COM1");
    Identify(1, "A010 A301 D311 D301");
    Msg::ClearLog();
    Tick();
    EXPECT_TRUE(Sent().isEmpty());
    ASSERT_EQ(Msg::Log().size(), 1);
    EXPECT_TRUE(Msg::Log()[0].text.contains("D311"));
    EXPECT_FALSE(ui.Enabled);

    // A full trace and its header do not fit the 16-bit records count.
    while (Trj->RecCount < 65535) Trj->AddRec(fix);
    s.UpTrk("COM1");
    Identify(1, "A010 A301 D310 D301");
    Tick();
    EXPECT_TRUE(Sent().isEmpty());
    EXPECT_TRUE(Msg::Log().back().text.contains("65536")) << Msg::Log().back().text.toStdString();
    EXPECT_FALSE(ui.Enabled);

    NewSwp();
    std::unique_ptr<TWpt> p = std::make_unique<TWpt>();
    Swp->AddWpt(p);
    s.UpWpt("COM1");
    Identify(1, "A010 A100 D106");
    Tick();
    EXPECT_TRUE(Sent().isEmpty());
    EXPECT_TRUE(Msg::Log().back().text.contains("D106"));

    // Lamp: packet 15 without identification; power off: ACK 255 then the command.
    for (bool on : {true, false}) {
        s.Off("COM1", true, on);
        Tick();
        const QList<Pkt> lamp = Sent();
        ASSERT_EQ(lamp.size(), 1);
        EXPECT_EQ(lamp[0].id, 15);
        EXPECT_EQ(lamp[0].data, QByteArray(1, on ? '\0' : '\1'));
        Tick();
        EXPECT_EQ(ui.Text, on ? "Vérifier que la lumière du GPS est bien allumée."
                              : "Vérifier que la lumière du GPS est bien éteinte");
    }
    Msg::PushAnswer(mrNo);
    s.Off("COM1", false, false);
    EXPECT_FALSE(ui.Enabled);
    Msg::PushAnswer(mrYes);
    s.Off("COM1", false, false);
    Identify(1, "A010");
    Tick();
    const QList<Pkt> sent = Sent();
    ASSERT_EQ(sent.size(), 2);
    EXPECT_EQ(sent[0].id, 6);
    EXPECT_EQ(sent[0].data, QByteArray(1, '\xFF'));
    EXPECT_EQ(sent[1].data, U16(8));
    Tick();
    EXPECT_EQ(ui.Text, "Vérifier que le GPS est bien éteint.");
}
