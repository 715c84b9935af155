// Closing a device window right after it wrote its last command: the command reaches the device
// whole, every time. Each window runs a command against its simulated device over a
// pseudo-terminal; from the moment the last command is written the device stops reading, the
// window closes, and only then does the other side read what arrived. Repeated, since a lost
// command shows only in some closings.
#include "devices/Garmin.h"
#include "devices/GarminSession.h"
#include "devices/Logger.h"
#include "devices/Magellan.h"
#include "devices/Mlr.h"
#include "devices/MlrLink.h"
#include "platform/IniFile.h"
#include "platform/ProgramDir.h"
#include "sim/SimGarmin.h"
#include "sim/SimLogger.h"
#include "sim/SimMagellan.h"
#include "sim/SimMlr.h"
#include "support/Fixtures.h"
#include "support/DeviceDrive.h"
#include "support/PtyFixture.h"

#include <QElapsedTimer>
#include <QPushButton>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace {

constexpr int kCloses = 20;
constexpr int kPort = 6;

template <class Form>
TDeviceSession& SessionOf(Form& f)
{
    return f.Session();
}
TDeviceSession& SessionOf(TLoggForm& f)
{
    return f.Session;
}

class LastCommand : public FreshModel
{
protected:
    void SetUp() override
    {
        FreshModel::SetUp();
        TIniFile ini(IniFileName());
        ASSERT_TRUE(ini.WriteInteger("Interface", "Num_Com", kPort));
    }
    // kCloses times: a fresh device and window; Start sets the command going, the session is
    // driven until Ready, the window is closed, and Check gets what the device had not read.
    template <class Sim, class Form>
    void Closes(const std::function<void(Sim&)>& Prepare, const std::function<void(Form&)>& Start,
                const std::function<bool(Form&)>& Ready,
                const std::function<void(const QByteArray&)>& Check)
    {
        for (int i = 0; i < kCloses; ++i) {
            SCOPED_TRACE(i);
            PtyFixture pty;
            ASSERT_TRUE(pty.BindPort(kPort));
            Sim dev(pty);
            if (Prepare) Prepare(dev);
            Form f;
            f.show();
            Start(f);
            ASSERT_TRUE(DriveUntil(SessionOf(f), dev, pty, [&] { return Ready(f); }));
            f.CloseBtn->click();
            Check(UnreadBytes(pty));
        }
    }
};

} // namespace

TEST_F(LastCommand, MlrEndOfFastDownload)
{
    // Closed in the middle of the download at the fast speed.
    Closes<TSimMlr, TMlrForm>(
        [](TSimMlr& dev) { dev.LoadLongFlight(400); }, [](TMlrForm& f) { f.DownTrkBtn->click(); },
        [](TMlrForm& f) { return f.Session().Fast() && Trj && Trj->RecCount > 20; },
        [](const QByteArray& got) { EXPECT_TRUE(got.endsWith(MlrCmd::End)); });
}

TEST_F(LastCommand, MagellanNmeaBackOnAfterTheTrack)
{
    {
        TIniFile ini(IniFileName());
        ASSERT_TRUE(ini.WriteBool("Interface", "Set_Nmea_On", true));
        ASSERT_TRUE(ini.WriteBool("Interface", "Flow_Check_Mgn", false));
    }
    // The postamble is written; the receiver has not read it when the window closes.
    Closes<TSimMagellan, TMagellanForm>(
        [](TSimMagellan& dev) {
            dev.Lists["TRACK"] = {"PMGNTRK,4549.957,N,00651.877,E,01000,M,100000.00,A,,150824"};
        },
        [](TMagellanForm& f) { f.DownTrkBtn->click(); },
        [](TMagellanForm& f) { return f.Session().State() == 202; },
        [](const QByteArray& got) { EXPECT_EQ(LastSentence(got), "PMGNCMD,NMEAON,2"); });
}

TEST_F(LastCommand, GarminPowerOff)
{
    // The command ends without the receiver before the window closes.
    Closes<TSimGarmin, TGarminForm>(
        [](TSimGarmin& dev) { dev.SetCapabilities("A010 A100 D108 A301 D310 D301"); },
        [](TGarminForm& f) {
            Msg::PushAnswer(mrYes);
            f.OffBtn->click();
        },
        [](TGarminForm& f) {
            if (f.Session().StepNo() <= 90) return false;
            while (f.TimerCom->isActive()) f.Session().Tick();
            return true;
        },
        [](const QByteArray& got) {
            EXPECT_TRUE(got.endsWith(
                TSimGarmin::Frame(TSimGarmin::PidCommandData, TSimGarmin::U16(TSimGarmin::CmdTurnOffPwr))));
        });
}

TEST_F(LastCommand, LoggerBackToRecording)
{
    Closes<TSimLogger, TLoggForm>(
        nullptr, [](TLoggForm& f) { f.EcartBtn->click(); },
        [](TLoggForm& f) { return f.Session.LoggState == 13; },
        [](const QByteArray& got) { EXPECT_EQ(got, "!RECORD\r\n"); });
}

TEST_F(LastCommand, LoggerThatTakesNothingMoreIsToldAtClose)
{
    PtyFixture pty;
    ASSERT_TRUE(pty.BindPort(kPort));
    TLoggForm f;
    f.show();
    f.EcartBtn->click();
    // The logger never reads: its side of the line fills up and the commands wait in the port.
    QElapsedTimer clock;
    clock.start();
    while (f.TimerCom->isActive() && clock.elapsed() < 20000 && f.Session.Link().Connected()) {
        f.Session.Tick();
        if (f.ComPort.ComPort().LineErrors().Has(ceTxFull)) break;
    }
    ASSERT_TRUE(f.ComPort.ComPort().Connected());
    clock.restart();
    f.CloseBtn->click();
    EXPECT_LT(clock.elapsed(), 5000);
    ASSERT_EQ(Msg::Log().size(), 1);
    EXPECT_TRUE(Msg::Log()[0].text.startsWith("Le port COM6 n'a pas pu envoyer ses dernières données"))
        << Msg::Log()[0].text.toStdString();
    EXPECT_FALSE(f.ComPort.Connected());
}
