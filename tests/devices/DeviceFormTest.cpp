// The thin device window: the "Interface" settings, the port list and the timer that drives
// a session.
#include "devices/DeviceForm.h"
#include "platform/IniFile.h"
#include "platform/ProgramDir.h"
#include "support/FakeLink.h"

#include "support/Fixtures.h"
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <QtTest/QTest>
#include <gtest/gtest.h>

namespace {

class CountingSession : public TDeviceSession
{
public:
    using TDeviceSession::TDeviceSession;
    int Steps = 0;

protected:
    void Step() override
    {
        ++Steps;
        ReadLink();
        SetInfo(QStringLiteral("step %1").arg(Steps));
    }
};

using DeviceFormTest = QuietMessages;

} // namespace

TEST_F(DeviceFormTest, InterfaceSettings)
{
    TIniFile ini(IniFileName());
    ASSERT_TRUE(ini.WriteInteger("Interface", "Num_Com", 5));
    ASSERT_TRUE(ini.WriteString("Interface", "Log", "1"));
    TDeviceForm form;
    EXPECT_EQ(form.ComNbEdit->count(), 96);
    EXPECT_EQ(form.ComNbEdit->itemText(95), "COM96");
    form.ReadInterfaceSettings();
    EXPECT_EQ(form.ComNbEdit->currentIndex(), 4);
    EXPECT_EQ(form.PortName(), "COM5");
    EXPECT_TRUE(form.LogOn);

    form.ComNbEdit->setCurrentIndex(11);
    EXPECT_TRUE(form.WriteNumCom());
    TIniFile again(IniFileName());
    EXPECT_EQ(again.ReadInteger("Interface", "Num_Com", 0), 12);

    ASSERT_TRUE(ini.WriteInteger("Interface", "Num_Com", 200));
    ASSERT_TRUE(ini.WriteString("Interface", "Log", "0"));
    form.ReadInterfaceSettings();
    EXPECT_EQ(form.ComNbEdit->currentIndex(), 0);
    EXPECT_FALSE(form.LogOn);
}

TEST_F(DeviceFormTest, TimerDrivesTheSessionUntilAPortError)
{
    TDeviceForm form;
    FakeLink link;
    CountingSession session(link, form.DeviceUi());
    form.SetSession(&session);
    form.show();
    ASSERT_TRUE(session.StartLink(form.PortName(), 10));
    EXPECT_EQ(form.TimerCom->interval(), 10);
    EXPECT_TRUE(form.TimerCom->isActive());
    EXPECT_TRUE(WaitFor([&] { return session.Steps >= 3; }));
    EXPECT_TRUE(form.Info->text().startsWith("step "));

    link.ReadError = 3;
    EXPECT_TRUE(WaitFor([&] { return !form.TimerCom->isActive(); }));
    const int steps = session.Steps;
    QTest::qWait(50);
    EXPECT_EQ(session.Steps, steps);
    EXPECT_EQ(Msg::Log().size(), 1);
    EXPECT_FALSE(link.Connected());

    // Closing the window stops a running timer.
    link.ReadError = 0;
    ASSERT_TRUE(session.StartLink(form.PortName(), 10));
    form.close();
    EXPECT_FALSE(form.TimerCom->isActive());
}

TEST_F(DeviceFormTest, StatusProgressAndAdvice)
{
    TDeviceForm form;
    TDeviceUi ui = form.DeviceUi();
    ui.Status->SetInfo("Points lus : 3");
    EXPECT_EQ(ui.Status->InfoText(), "Points lus : 3");
    ui.Progress->SetProgress(42);
    EXPECT_EQ(form.PgrsBar->value(), 42);
    form.show();
    ui.Prompts->ShowAdvice("Vérifier\rla connexion");
    EXPECT_TRUE(ui.Prompts->AdviceVisible());
    ui.Prompts->HideAdvice();
    EXPECT_FALSE(ui.Prompts->AdviceVisible());
    Msg::PushAnswer(mrYes);
    EXPECT_EQ(ui.Prompts->Ask("?", TMsgType::Confirmation, mbYes | mbNo), mrYes);
}
