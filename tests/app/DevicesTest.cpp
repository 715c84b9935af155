// The logger and live receiver commands of the main window, with the views they drive.
#include "app/Cutt.h"
#include "app/Langage.h"
#include "app/Main.h"
#include "app/Plan.h"
#include "devices/Logger.h"
#include "devices/Nmea.h"
#include "dialogs/Info.h"
#include "files/RecFile.h"
#include "platform/IniFile.h"
#include "platform/Msg.h"
#include "platform/ProgramDir.h"
#include "sim/SimLogger.h"
#include "sim/SimNmea.h"
#include "support/Fixtures.h"
#include "support/ProgramFixture.h"
#include "support/PtyFixture.h"

#include <QAction>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

class DevicesTest : public ProgramFixture
{
protected:
    PtyFixture pty;
    void SetUp() override
    {
        ProgramFixture::SetUp();
        ASSERT_TRUE(pty.Ok());
        ASSERT_TRUE(pty.BindPort(4));
        TIniFile ini(IniFileName());
        ASSERT_TRUE(ini.WriteInteger("Interface", "Num_Com", 4));
        StartProgram();
        SetFileDialogHook([](TFileKind, TFileChoice&) { return false; });
    }
};

} // namespace

TEST_F(DevicesTest, LiveReceiverFromTheMainWindow)
{
    EXPECT_EQ(MainForm->NmeaAct->text(), "Récepteur &NMEA...");
    TSimNmea dev(pty);
    dev.SentencesPerSecond = 200;
    dev.Queue << TSimNmea::Pgrmz(1500);
    for (int s = 0; s < 5; ++s)
        dev.Queue << TSimNmea::Rmc(QTime(12, 0, s * 2), QDate(2024, 5, 1), 45 + s * 0.01, 6);
    TSimRunner run(dev);

    MainForm->NmeaAct->trigger();
    ASSERT_NE(NmeaForm, nullptr);
    TNmeaForm* f = NmeaForm;
    EXPECT_TRUE(f->isVisible());
    EXPECT_FALSE(f->isModal());
    EXPECT_EQ(f->windowTitle(), "Récepteur GPS NMEA");
    EXPECT_EQ(f->ComNbEdit->currentText(), "COM4");
    EXPECT_TRUE(NmeaActive);
    EXPECT_EQ(PlanForm->ComMode, 1);
    EXPECT_TRUE(MainForm->NmeaFormRect().isValid());
    MainForm->NmeaAct->trigger(); // the same window comes to the front
    EXPECT_EQ(NmeaForm, f);

    f->LectBtn->click();
    f->TimerCom->setInterval(20);
    ASSERT_TRUE(WaitFor([] { return Trj && Trj->RecCount == 5; }));
    EXPECT_EQ(std::tie(Trj->CurRec, Trj->LiveRec, Trj->SelLast), std::tuple(Trj->Last, Trj->Last, Trj->Last));
    EXPECT_TRUE(f->InfoL3->text().endsWith("1500ft"));

    // Silence: the advice in the shared message window, gone at the next line.
    ASSERT_TRUE(WaitFor([] { return InfoForm && InfoForm->isVisible(); }));
    {
        std::lock_guard<std::mutex> g(dev.Lock());
        dev.Queue << TSimNmea::Pgrmz(1500);
    }
    ASSERT_TRUE(WaitFor([] { return !InfoForm->isVisible(); }));

    f->MoreBtn->click(); // reduced
    f->MoreBtn->click(); // extended again
    TTrj* live = Trj;
    f->CloseBtn->click();
    ASSERT_TRUE(WaitFor([] { return NmeaForm == nullptr; }));
    EXPECT_FALSE(NmeaActive);
    EXPECT_EQ(PlanForm->ComMode, 0);
    EXPECT_EQ(live->SaveState, 2);
    EXPECT_TRUE(Msg::Log().isEmpty());
    TIniFile ini(IniFileName());
    EXPECT_EQ(ini.ReadInteger("Interface", "Num_Com", 0), 4);
    EXPECT_TRUE(ini.ValueExists("Interface", "Checksum"));
}

TEST_F(DevicesTest, LoggerFromTheMainWindow)
{
    TSimLogger dev(pty);
    dev.Dump = "Date 150804\r\n101500 +45.50000 +005.50000 +1200\r\n101504 +45.50100 +005.50100 +1210\r\n";
    TSimRunner run(dev);
    bool seen = false;
    QTimer::singleShot(0, [&] {
        TLoggForm* f = LoggForm;
        ASSERT_NE(f, nullptr);
        seen = true;
        EXPECT_TRUE(f->isModal());
        EXPECT_EQ(f->windowTitle(), "Interface pour Logger");
        EXPECT_EQ(f->LectBtn->text(), "&Lire");
        EXPECT_EQ(PlanForm->ComMode, 1);
        f->LectBtn->click();
        EXPECT_TRUE(WaitFor([f] { return !f->TimerCom->isActive(); }));
        EXPECT_EQ(f->Info->text(), "Points lus : 2   -   Erreur(s) détectée(s) : 0.");
        f->CloseBtn->click();
    });
    MainForm->LoggerAct->trigger();
    EXPECT_TRUE(seen);
    EXPECT_EQ(LoggForm, nullptr);
    EXPECT_EQ(PlanForm->ComMode, 0);
    ASSERT_NE(Trj, nullptr);
    EXPECT_EQ(std::tie(Trj->RecCount, Trj->SaveState, TrjMode), std::tuple(2, 2, 1));
}

TEST_F(DevicesTest, TextsFollowTheLanguage)
{
    MainForm->NmeaAct->trigger();
    ASSERT_NE(NmeaForm, nullptr);
    Language = 1;
    SetFrenchTexts();
    EXPECT_EQ(NmeaForm->windowTitle(), "NMEA GPS receiver");
    EXPECT_EQ(NmeaForm->MsgTexts.NoData, "No data found");
    EXPECT_EQ(MainForm->LoggerAct->text(), "&Logger...");
    TLoggForm logg;
    EXPECT_TRUE(LangLoggForm(logg).isEmpty());
    EXPECT_EQ(logg.MsgTexts.Counters, "Points read: %d   -   Error(s) detected: %d.");
    EXPECT_TRUE(LangNmeaForm(*NmeaForm).isEmpty());
    NmeaForm->close();
}
