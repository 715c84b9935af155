// The Garmin window offscreen: its texts, the port setting, activation, the Off button's keys
// and the closing after a waypoint download, with the simulated receiver on a pseudo-terminal.
#include "app/Langage.h"
#include "devices/Garmin.h"
#include "files/RecFile.h"
#include "model/Options.h"
#include "platform/IniFile.h"
#include "platform/ProgramDir.h"
#include "sim/SimGarmin.h"
#include "support/Fixtures.h"
#include "support/PtyFixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest/QTest>
#include <gtest/gtest.h>

namespace {

class GarminFormTest : public FreshModel
{
protected:
    PtyFixture pty;
    TSimGarmin dev{pty};

    void SetUp() override
    {
        FreshModel::SetUp();
        ASSERT_TRUE(pty.Ok());
        ASSERT_TRUE(pty.BindPort(3));
        ASSERT_TRUE(TIniFile(IniFileName()).WriteInteger("Interface", "Num_Com", 3));
        dev.SetCapabilities("A010 A100 D108 A201 D202 D108 D210 A301 D310 D301");
    }
    void Run(TGarminForm& f, int maxTicks = 2000)
    {
        for (int i = 0; i < maxTicks && f.TimerCom->isActive(); ++i) {
            f.Session().Tick();
            dev.Pump(2);
            pty.WaitSlaveQueued(1, 3);
        }
    }
};

} // namespace

TEST_F(GarminFormTest, TextsPortAndActivation)
{
    TGarminForm f;
    EXPECT_TRUE(LangGarminForm(f).isEmpty());
    EXPECT_EQ(f.windowTitle(), "Interface pour GPS Garmin");
    EXPECT_EQ(f.OffBtn->text(), "Etein&dre");
    EXPECT_EQ(f.ComNbEdit->count(), 96);
    f.show();
    EXPECT_EQ(f.ComNbEdit->currentText(), "COM3");
    EXPECT_FALSE(f.UpTrkBtn->isEnabled());
    EXPECT_EQ(f.TimerCom->interval(), 40);

    // A command under way: activating the window again changes nothing.
    f.DownTrkBtnClick();
    ASSERT_TRUE(f.TimerCom->isActive());
    f.Session().Tick();
    const QString info = f.Info->text();
    f.UpTrkBtn->setEnabled(true);
    f.ComNbEdit->setCurrentIndex(4);
    f.FormActivate();
    EXPECT_TRUE(f.UpTrkBtn->isEnabled());
    EXPECT_EQ(f.ComNbEdit->currentText(), "COM5");
    EXPECT_EQ(f.Info->text(), info);
    EXPECT_EQ(f.Session().StepNo(), 1);
    // Closing writes the port chosen.
    f.CloseBtn->click();
    EXPECT_EQ(TIniFile(IniFileName()).ReadInteger("Interface", "Num_Com", 0), 5);
    EXPECT_FALSE(f.TimerCom->isActive());
}

TEST_F(GarminFormTest, OffButtonKeysTakenAtPress)
{
    TGarminForm f;
    LangGarminForm(f);
    f.show();
    QTest::mousePress(f.OffBtn, Qt::LeftButton, Qt::ControlModifier | Qt::ShiftModifier);
    QTest::mouseRelease(f.OffBtn, Qt::LeftButton, Qt::NoModifier);
    ASSERT_TRUE(f.TimerCom->isActive());
    Run(f);
    EXPECT_EQ(dev.Lamp, 0);
    EXPECT_EQ(f.Info->text(), "Vérifier que la lumière du GPS est bien allumée.");
    EXPECT_EQ(f.OffShift, Qt::NoModifier);
    f.close();
}

TEST_F(GarminFormTest, ClosingAfterAnEmptyWaypointDownloadReopensTheOldFile)
{
    QTemporaryDir dir;
    const QString old = dir.filePath("old.zph");
    {
        TSwp set;
        auto w = std::make_unique<TWpt>();
        w->Name = "OLD";
        set.AddWpt(w);
        QString error;
        ASSERT_TRUE(WriteSwpFile(set, old, error));
    }
    ASSERT_TRUE(OpenSwpFile(old));
    {
        TGarminForm f;
        LangGarminForm(f);
        f.show();
        EXPECT_TRUE(f.UpWptBtn->isEnabled());
        Msg::PushAnswer(mrNo); // do not add: close the set
        f.DownWptBtnClick();
        Run(f);
        EXPECT_EQ(f.Info->text(), "Way-points lus : 0  -  Erreur(s) détectée(s): 0.");
        EXPECT_EQ(Swp, nullptr);
        f.CloseBtn->click();
    }
    ASSERT_NE(Swp, nullptr);
    ASSERT_EQ(Swp->Count, 1);
    EXPECT_EQ(Swp->First->Name, "OLD");
}
