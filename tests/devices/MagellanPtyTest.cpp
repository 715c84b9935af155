// The Magellan session and window over a pseudo-terminal, with the simulated receiver on the
// other side and our serial-port component on ours; faults on the line. Time-outs run on a
// virtual clock that moves by the timer interval at each tick.
#include "app/Langage.h"
#include "devices/Magellan.h"
#include "devices/MagellanSession.h"
#include "platform/IniFile.h"
#include "platform/ProgramDir.h"
#include "sim/SimMagellan.h"
#include "support/PrintQString.h"
#include "support/SessionPty.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

QList<QByteArray> Bodies(const char* Name, const QByteArray& Prefix = "$PMGN")
{
    QFile f(QStringLiteral(ZPH_TESTDATA "/magellan/") + QLatin1String(Name));
    QList<QByteArray> l;
    if (!f.open(QIODevice::ReadOnly)) return l;
    for (QByteArray s : f.readAll().split('\n')) {
        s = s.trimmed();
        if (s.startsWith(Prefix) && !s.startsWith("$PMGNCMD")) l << s.mid(1, s.indexOf('*') - 1);
    }
    return l;
}

class MagellanPty : public SessionPty<TSimMagellan, TMagellanSession, 5, 4000>
{
protected:
    void SetUp() override
    {
        SessionPty::SetUp();
        s.Options.SpeedIndex = 5;
        dev.LineSpeed = 115200;
        dev.ResendMs = 300;
    }
};

} // namespace

TEST_F(MagellanPty, EveryChainThroughLineFaultsLosesNothing)
{
    enum Fault
    {
        None,
        Split,
        Merge,
        Corrupt,
        BadChecksum
    };
    // What each chain reads, how many items arrive whole, and how many the fifth sentence holds.
    struct Chain
    {
        QByteArray Request;
        int Target, Done, Whole, Fifth;
    };
    dev.Lists["TRACK"] = Bodies("dusky.trk");
    dev.Lists["WAYPOINT"] = Bodies("magellan.rte", "$PMGNWPL");
    dev.Lists["ROUTE"] = Bodies("magellan.rte", "$PMGNRTE");
    const auto count = [](int Target) {
        return Target == 10   ? (FirstTrj ? FirstTrj->RecCount : 0)
               : Target == 30 ? (Swp ? int(Swp->Count) : 0)
                              : (Stn ? int(Stn->Count) : 0);
    };
    for (const Chain& c :
         {Chain{"TRACK", 10, 13, 63, 1}, Chain{"WAYPOINT", 30, 33, 14, 1}, Chain{"ROUTE", 50, 53, 11, 2}}) {
        for (Fault f : {None, Split, Merge, Corrupt, BadChecksum}) {
            for (bool hs : {true, false}) {
                SCOPED_TRACE(c.Request.toStdString() + ' ' + std::to_string(int(f) * 10 + hs));
                ModelDone();
                ModelInit();
                if (c.Target == 50) {
                    NewSwp();
                    for (const QByteArray& w : dev.Lists["WAYPOINT"]) {
                        TMgnReader r;
                        TMgnSentence m;
                        r.Append(NmeaSentence(w));
                        auto p = std::make_unique<TWpt>();
                        ASSERT_EQ(r.Next(m), TMgnReader::Good);
                        ASSERT_TRUE(MgnParseWpl(m, *p));
                        Swp->AddWpt(p);
                    }
                    NewTrj();
                }
                s.Options.FlowCheckBtn = hs;
                const auto start = [&] {
                    if (c.Target == 10) s.DownTrk("COM5");
                    if (c.Target == 50) {
                        if (!s.WptsLoaded()) Msg::PushAnswer(mrNo); // the waypoints are there
                        Msg::PushInput("1");
                        s.DownRte("COM5");
                    }
                    if (c.Target == 30) s.DownWpt("COM5");
                };
                if (f == Split) dev.SplitWrites(7);
                if (f == Merge) {
                    // Items come together once they are asked for (the handshake goes in lockstep).
                    start();
                    Run(400, [&] { return s.State() >= c.Target; });
                    dev.MergeWrites(hs ? 2 : 5);
                }
                // A byte of the fifth sentence: with the handshake it is sent again, without it is
                // lost.
                const QList<QByteArray>& list = dev.Lists[c.Request];
                int fifth = int(NmeaSentence(dev.Version).size()) + (hs ? 4 * 16 : 0);
                for (int i = 0; i < 4; ++i) fifth += int(NmeaSentence(list[i]).size());
                if (f == Corrupt) dev.CorruptByte(fifth + 20, 0x04);
                if (f == BadChecksum) dev.CorruptByte(fifth + int(NmeaSentence(list[4]).size()) - 3, 0x01);
                if (f != Merge) start();
                Run();
                dev.SplitWrites(0);
                EXPECT_EQ(s.State(), c.Done);
                const bool lost = !hs && (f == Corrupt || f == BadChecksum);
                EXPECT_EQ(count(c.Target), lost ? c.Whole - c.Fifth : c.Whole);
                EXPECT_EQ(s.ErrorCount(), lost ? 1 : 0) << "the lost item shows in the final text";
                EXPECT_EQ(dev.BadSentences, 0);
            }
        }
    }
}

TEST_F(MagellanPty, AcknowledgementFaultsAreResentUntilRight)
{
    for (TSimMagellan::TCsm m : {TSimMagellan::CsmWrong, TSimMagellan::CsmForeign, TSimMagellan::CsmUnable}) {
        SCOPED_TRACE(int(m));
        dev.CsmMode = m;
        dev.CsmFaults = 3;
        dev.Received.clear();
        s.GpsId("COM5");
        Run();
        EXPECT_EQ(ui.Text, "MERIDIAN GPS  -  3.11  -  ");
        EXPECT_GE(dev.Received.count("PMGNCMD,NMEAOFF,2"), 2);
    }
    // HANDON unacknowledged changes nothing.
    dev.CsmForHandon = false;
    s.GpsId("COM5");
    Run();
    EXPECT_EQ(ui.Text, "MERIDIAN GPS  -  3.11  -  ");
}

TEST_F(MagellanPty, NmeaChatterUntilNmeaOffAndBackOnAtTheEnd)
{
    dev.NmeaOn = true;
    dev.Chatter = Bodies("eXplorist210.log", "$GP");
    ASSERT_FALSE(dev.Chatter.isEmpty());
    dev.Lists["WAYPOINT"] = Bodies("magellan.rte", "$PMGNWPL");
    s.Options.NmeaOneBtn = true;
    s.DownWpt("COM5");
    Run();
    EXPECT_EQ(s.State(), 33);
    ASSERT_NE(Swp, nullptr);
    EXPECT_EQ(Swp->Count, dev.Lists["WAYPOINT"].size());
    EXPECT_EQ(dev.NmeaOnCount, 1);
    EXPECT_TRUE(dev.NmeaOn);
}

TEST_F(MagellanPty, UploadsAndErasingDecodedByTheReceiver)
{
    NewSwp();
    for (const char* n : {"Mont Blanc", "Aiguille", "Dome"}) {
        auto w = std::make_unique<TWpt>();
        w->Name = QString::fromLatin1(n);
        w->Comment = QStringLiteral("sommet*$");
        w->Lat = 4583262;
        w->Lon = 686461;
        w->Alt = 4808;
        w->Rep = std::strlen(n) > 4;
        Swp->AddWpt(w);
    }
    s.Options.WptLenNmeEdit = 8;
    s.UpWpt("COM5");
    Run();
    EXPECT_EQ(dev.Transcript, (QStringList{"WPL MONT BLA 4549.957N 00651.877E 4808 SOMMET   ",
                                           "WPL AIGUILLE 4549.957N 00651.877E 4808 SOMMET   ",
                                           "WPL DOME 4549.957N 00651.877E 4808 SOMMET   "}));
    dev.Transcript.clear();
    s.Options.DelSelWptBtn = s.Options.DelAllRteBtn = true;
    s.Erase("COM5");
    Run();
    EXPECT_EQ(dev.Transcript, (QStringList{"DWP MONT BLA", "DWP AIGUILLE", "DELETE ROUTES"}));
}

TEST_F(MagellanPty, WrongSpeedSilenceAndUnplug)
{
    dev.Lists["TRACK"] = Bodies("dusky.trk");
    dev.LineSpeed = 4800;
    s.DownTrk("COM5");
    Run(1100);
    EXPECT_TRUE(ui.Enabled) << "the transfer waits";
    EXPECT_TRUE(ui.AdviceVisible());
    EXPECT_TRUE(ui.AdviceText().contains("115200")) << ui.AdviceText().toStdString();
    EXPECT_EQ(Trj, nullptr);
    s.Close();

    ui.HideAdvice();
    dev.LineSpeed = 115200;
    dev.HangUpAfter(30);
    s.Options.FlowCheckBtn = false;
    s.DownTrk("COM5");
    Run();
    ExpectUnpluggedWithTrack();
}

TEST_F(MagellanPty, WindowKeepsItsSettingsAndTracesTheLink)
{
    {
        TIniFile ini(IniFileName());
        ini.WriteBool("Interface", "Log", true);
        ini.WriteInteger("Interface", "Mode_Mgn", 5);
        ini.WriteInteger("Interface", "Num_Com", 5);
    }
    TMagellanForm f;
    EXPECT_TRUE(LangMagellanForm(f).isEmpty());
    EXPECT_EQ(f.windowTitle(), "Interface pour GPS Magellan");
    f.SetLink(&link);
    f.show();
    EXPECT_EQ(f.ComSpeedEdit->currentText(), "115200");
    EXPECT_TRUE(f.FlowCheckBtn->isChecked()) << "defaults of the settings";
    EXPECT_EQ(f.WptLenNmeEdit->value(), 6);
    EXPECT_FALSE(f.UpWptBtn->isEnabled());
    ASSERT_TRUE(f.Session().LogOn());
    const QString trace = f.Session().Trace().FileName();
    f.Session().Clock = [this] { return now; };
    f.GpsIdBtn->click();
    for (int i = 0; i < 400 && f.TimerCom->isActive(); ++i) {
        f.Session().Tick();
        now += 10;
        dev.Pump(1);
        pty.WaitSlaveQueued(1, 2);
    }
    EXPECT_EQ(f.Info->text(), "MERIDIAN GPS  -  3.11  -  ");
    f.FlowCheckBtn->setChecked(false);
    f.WptLenNmeEdit->setValue(9);
    f.NmeaOneBtn->setChecked(true);
    f.ComSpeedEdit->setCurrentIndex(2);
    f.CloseBtn->click();
    EXPECT_FALSE(link.Connected());
    TIniFile ini(IniFileName());
    EXPECT_EQ(ini.ReadInteger("Interface", "Num_Com", 0), 5);
    EXPECT_EQ(ini.ReadInteger("Interface", "Mode_Mgn", 0), 2);
    EXPECT_FALSE(ini.ReadBool("Interface", "Flow_Check_Mgn", true));
    EXPECT_EQ(ini.ReadInteger("Interface", "WptN_Lng_Mgn", 0), 9);
    EXPECT_TRUE(ini.ReadBool("Interface", "Set_Nmea_On", false));

    // The trace holds every byte of the exchange, each way.
    QFile file(trace);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QByteArray tx, rx;
    bool isTx = false;
    for (QByteArray line : file.readAll().split('\n')) {
        line = line.trimmed();
        if (line.isEmpty()) continue;
        for (char& c : line) c = static_cast<char>(c ^ 0x80);
        QList<QByteArray> parts = line.simplified().split(' ');
        if (parts.size() >= 3 && (parts[2] == "Tx" || parts[2] == "Rx")) {
            isTx = parts[2] == "Tx";
            parts = parts.mid(3);
        }
        for (const QByteArray& h : parts) (isTx ? tx : rx) += QByteArray::fromHex(h);
    }
    EXPECT_EQ(tx, dev.FromHost());
    EXPECT_EQ(rx, dev.ToHost());
}
