// The MLR session and window over a pseudo-terminal, with the simulated receiver on the other
// side and our serial-port component on ours; faults on the line. Time-outs run on a virtual
// clock that moves by the timer interval at each tick.
#include "app/Langage.h"
#include "devices/Mlr.h"
#include "devices/MlrSession.h"
#include "platform/IniFile.h"
#include "platform/ProgramDir.h"
#include "sim/SimMlr.h"
#include "support/PrintQString.h"
#include "support/SessionPty.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

QDateTime Utc(int h, int m, int s = 0)
{
    return QDateTime(QDate(2026, 7, 15), QTime(h, m, s), Qt::UTC);
}

class MlrPty : public SessionPty<TSimMlr, TMlrSession, 4, 6000>
{
protected:
    void Records(int n, int gapAt = -1)
    {
        for (int i = 0; i < n; ++i)
            dev.TrackRecords << TSimMlr::TrackRecord(
                i, Utc(10, 0, 0).addSecs(i * 4 + (i >= gapAt && gapAt >= 0 ? 7200 : 0)), 45.5 + i * 1e-4,
                6.25, 1000 + i);
        dev.RecordsPerBlock = 7;
    }
    // Bytes of the identification reply, then 13 of the start block and 136 a block of 7 records.
    static int IdLen() { return int(NmeaSentence("PMLR,IDGPS,01,MLR SP24XC,---------,V3.12,").size()); }
    int Points() const
    {
        int n = 0;
        for (const TTrj* t = FirstTrj; t; t = t->NextTrj) n += t->RecCount;
        return n;
    }
};

} // namespace

TEST_F(MlrPty, BinaryTrackThroughSplitMergedAndCorruptWrites)
{
    enum Fault
    {
        None,
        Split,
        Merge,
        CorruptRecord
    };
    for (Fault f : {None, Split, Merge, CorruptRecord}) {
        SCOPED_TRACE(int(f));
        ModelDone();
        ModelInit();
        dev.TrackRecords.clear();
        Records(40, 30);
        s.Options.TrjMde = f == Split ? 1 : 2;
        s.DownTrk("COM4");
        Run(200, [this] { return s.State() >= 20 && s.State() < 30; }); // identified
        if (f == Split) dev.SplitWrites(5);
        if (f == Merge) dev.MergeWrites(3);
        // A byte inside a record: the block checksum is not the host's business, the point is kept.
        if (f == CorruptRecord) dev.CorruptByte(13 + 136 + 6 + 5, 0x01);
        Run();
        dev.SplitWrites(0);
        EXPECT_EQ(s.State(), 24);
        EXPECT_EQ(Points(), 40);
        EXPECT_EQ(s.FlightCount(), 2);
        EXPECT_EQ(FirstTrj->Source, "MLR MLR SP24XC V3.12");
        EXPECT_TRUE(FirstTrj->Pilot.isEmpty());
        for (int i = 0; i < 20; ++i) dev.Pump(1);
        ASSERT_FALSE(dev.Commands.isEmpty());
        EXPECT_EQ(dev.Commands.last(), "06,00");
        EXPECT_EQ(dev.BadSpeedCommands, 0) << "every command at 4800 bit/s, one stop bit";
        EXPECT_EQ(ui.Text, QStringLiteral("Points lus : 40 sur 2 vol(s)  -  Erreur(s) détectée(s): 0."))
            << "the count is of the records taken, not the last record's number";
    }
}

TEST_F(MlrPty, BadBlockStallsWithAdviceAndClosingKeepsWhatCame)
{
    Records(30);
    s.Options.TrjMde = 2;
    dev.CorruptByte(IdLen() + 13 + 136 + 1, 0x01); // the number of the second block
    s.DownTrk("COM4");
    Run(1000);
    EXPECT_TRUE(ui.Enabled) << "the transfer waits";
    EXPECT_TRUE(ui.AdviceVisible());
    EXPECT_TRUE(ui.AdviceText().contains("NMEA"));
    EXPECT_TRUE(s.Fast());
    s.Close();
    EXPECT_FALSE(link.Connected());
    for (int i = 0; i < 20; ++i) dev.Pump(1);
    EXPECT_EQ(dev.Commands.last(), "06,00") << dev.FromHost().toStdString();
    EXPECT_EQ(dev.BadSpeedCommands, 0) << "the end command went at 4800 bit/s, one stop bit";
    ASSERT_NE(Trj, nullptr);
    EXPECT_EQ(Trj->RecCount, 7);
    EXPECT_EQ(Trj->SaveState, 2);
}

TEST_F(MlrPty, WrongSpeedGarblesAndSilenceAdvises)
{
    Records(10);
    dev.BinaryRate = 19200;
    s.Options.TrjMde = 2;
    s.DownTrk("COM4");
    Run(1000);
    EXPECT_TRUE(ui.AdviceVisible());
    EXPECT_EQ(Points(), 0);
    s.Close();

    ui.HideAdvice();
    dev.StaySilent();
    s.Options.TrjMde = 0;
    s.DownTrk("COM4");
    Run(120);
    EXPECT_TRUE(ui.AdviceVisible());
    EXPECT_TRUE(ui.AdviceText().contains("TRACE"));
    EXPECT_TRUE(ui.Enabled);
    EXPECT_EQ(Trj, nullptr);
}

TEST_F(MlrPty, UnplugKeepsTracesAndReleasesThePort)
{
    Records(200);
    s.Options.TrjMde = 2;
    dev.HangUpAfter(3);
    s.DownTrk("COM4");
    Run();
    ExpectUnpluggedWithTrack();
}

TEST_F(MlrPty, TextTrackWithDamagedAndDroppedLines)
{
    for (int i = 0; i < 12; ++i)
        dev.TextSentences << TSimMlr::TrackSentence(i, 45.5, -6.25, 800 + i, Utc(9, 0, i * 10), false,
                                                    i >= 10);
    dev.TextMode = true;
    dev.BytesPerSecond = 6400;
    dev.DamageFirstPass = 3;
    dev.DropFirstPass = 7;
    s.Options.TrjMde = 0;
    s.DownTrk("COM4");
    Run();
    EXPECT_EQ(s.State(), 12);
    ASSERT_NE(Trj, nullptr);
    ASSERT_EQ(Trj->RecCount, 12);
    EXPECT_EQ(Trj->First->Lon, -625000);
    EXPECT_EQ(Trj->Last->Alt, 811);
    EXPECT_EQ(s.ErrorCount(), 0);
}

TEST_F(MlrPty, TextWaypointsAndRouteWithADamagedLine)
{
    NewTrj();
    dev.TextSentences << TSimMlr::WptSentence("ALPHA", "Col", 45.1, 6.1)
                      << TSimMlr::WptSentence("BRAVO", "", 45.2, 6.2)
                      << TSimMlr::WptSentence("CHARLY", "Pic", 45.3, 6.3);
    dev.TextSentences << TSimMlr::RouteSentences("02",
                                                 {"ALPHA", "BRAVO", "CHARLY", "ALPHA", "BRAVO", "ZULU"});
    dev.TextMode = true;
    dev.SentencesPerPump = 1;
    dev.DamageFirstPass = 1;
    Msg::PushInput("2");
    s.DownWpt(2, "COM4");
    Run();
    EXPECT_EQ(s.State(), 32);
    ASSERT_NE(Swp, nullptr);
    EXPECT_EQ(Swp->Count, 3);
    ASSERT_EQ(Stn->Count, 6);
    EXPECT_EQ(Stn->Item(4)->Name, "BRAVO");
    EXPECT_EQ(Stn->Item(4)->Lat, 4520000);
    EXPECT_EQ(Stn->Item(0)->Comment, "Col");
    EXPECT_EQ(Stn->Item(5)->Lat, 0);
    EXPECT_EQ(s.ErrorCount(), 1) << "ZULU has no waypoint";
}

TEST_F(MlrPty, UploadsDecodedByColumn)
{
    NewSwp();
    auto w = std::make_unique<TWpt>();
    w->Name = "Saint-Auban";
    w->Comment = "Terrain, piste 16*34";
    w->Lat = 4405000;
    w->Lon = -597000;
    Swp->AddWpt(w);
    s.UpWpt("COM4");
    Run();
    for (int i = 0; i < 10; ++i) dev.Pump(1);
    ASSERT_EQ(dev.Uploads.size(), 1);
    const QByteArray u = dev.Uploads[0];
    EXPECT_EQ(u.mid(7, 2), "44");
    EXPECT_EQ(u.mid(9, 6), "03.000");
    EXPECT_EQ(u.mid(16, 1), "N");
    EXPECT_EQ(u.mid(18, 3), "005");
    EXPECT_EQ(u.mid(28, 1), "W");
    EXPECT_EQ(u.mid(30, 6), "SAINT-");
    EXPECT_EQ(u.mid(37, 22), "Terrain  piste 16 34  ");
    EXPECT_EQ(dev.BadSpeedCommands, 0);
}

TEST_F(MlrPty, WindowIdentifiesAndKeepsItsSettings)
{
    TMlrForm f;
    EXPECT_TRUE(LangMlrForm(f).isEmpty());
    EXPECT_EQ(f.windowTitle(), "Interface pour GPS MLR");
    EXPECT_EQ(f.ComNbEdit->count(), 8);
    f.SetLink(&link);
    f.show();
    EXPECT_TRUE(f.TrjMde1->isChecked()) << "defaults of the settings";
    EXPECT_FALSE(f.UpSmpBtn->isEnabled());
    EXPECT_FALSE(f.DownWptRteBtn->isEnabled()) << "no task to read a route into";
    f.Session().Clock = [this] { return now; };
    f.ComNbEdit->setCurrentIndex(3);
    f.WptMde2->setChecked(true);
    for (QRadioButton* r : {f.TrjMde0, f.TrjMde1, f.TrjMde2}) {
        r->setAutoExclusive(false);
        r->setChecked(false);
    }
    f.GpsIdBtn->click();
    for (int i = 0; i < 200 && f.TimerCom->isActive(); ++i) {
        f.Session().Tick();
        dev.Pump(1);
        pty.WaitSlaveQueued(1, 2);
    }
    EXPECT_EQ(f.Info->text(), "MLR SP24XC - --------- - V3.12");
    EXPECT_EQ(f.Session().State(), 72);
    f.TrjTimeBox->click();
    EXPECT_TRUE(f.TrjMlrBox->isChecked()) << "the two split choices exclude each other";
    f.CloseBtn->click();
    EXPECT_FALSE(link.Connected());
    TIniFile ini(IniFileName());
    EXPECT_EQ(ini.ReadInteger("Interface", "Num_Com", 0), 4);
    EXPECT_EQ(ini.ReadInteger("Interface", "Mode_Wpt_Mlr", 9), 2);
    EXPECT_EQ(ini.ReadInteger("Interface", "Mode_Trj_Mlr", 9), 0) << "no radio checked is written 0";
}

TEST_F(MlrPty, BinaryWaypointsThroughFaults)
{
    enum Fault
    {
        Split,
        Merge,
        Unplug
    };
    for (Fault f : {Split, Merge, Unplug}) {
        SCOPED_TRACE(int(f));
        ModelDone();
        ModelInit();
        Msg::ClearLog();
        dev.WaypointRecords.clear();
        for (int i = 0; i < 30; ++i)
            dev.WaypointRecords << TSimMlr::WaypointRecord("W" + QByteArray::number(i), 44 + i * 0.01, -1.5,
                                                           100 + i);
        dev.RecordsPerBlock = 4;
        s.Options.WptMde = f == Split ? 1 : 2;
        if (f == Split) dev.SplitWrites(7);
        if (f == Merge) dev.MergeWrites(4);
        if (f == Unplug) dev.HangUpAfter(2);
        s.DownWpt(0, "COM4");
        Run();
        dev.SplitWrites(0);
        ASSERT_NE(Swp, nullptr);
        if (f == Unplug) {
            EXPECT_EQ(Msg::Log().size(), 1);
            EXPECT_FALSE(link.Connected());
            EXPECT_GT(Swp->Count, 0);
            EXPECT_TRUE(Swp->Modified) << "what came is kept, to be saved";
            continue;
        }
        EXPECT_EQ(s.State(), 44);
        ASSERT_EQ(Swp->Count, 30);
        EXPECT_EQ(Swp->Last->Name, "W29");
        EXPECT_EQ(Swp->Last->Lon, -150000);
        EXPECT_EQ(Swp->Last->Alt, 129);
    }
}
