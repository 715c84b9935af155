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
#include "support/PtyFixture.h"

#include <QElapsedTimer>
#include <QPushButton>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace {

constexpr int kCloses = 20;
constexpr int kPort = 6;

class LastCommand : public FreshModel
{
protected:
    qint64 now = 0;

    void SetUp() override
    {
        FreshModel::SetUp();
        TIniFile ini(IniFileName());
        ASSERT_TRUE(ini.WriteInteger("Interface", "Num_Com", kPort));
    }
    // Ticks the session, the device answering between ticks, until Ready holds right after a
    // tick (the device has not read that tick's output yet).
    bool Drive(TDeviceSession& s, TSimDevice& dev, PtyFixture& pty, const std::function<bool()>& Ready,
               int maxTicks = 3000)
    {
        s.Clock = [this] { return now; };
        for (int i = 0; i < maxTicks && s.Running(); ++i) {
            s.Tick();
            now += 40;
            if (Ready()) return true;
            dev.Pump(1);
            pty.WaitSlaveQueued(1, 2);
        }
        return false;
    }
    // Every byte the window wrote since the device last read.
    static QByteArray Unread(PtyFixture& pty)
    {
        QByteArray got = pty.ReadMaster(200);
        for (QByteArray more; !(more = pty.ReadMaster(20)).isEmpty();) got += more;
        return got;
    }
};

// The text sentence "$" Body "*" checksum CR LF that Bytes ends with, or nothing.
QByteArray LastSentence(const QByteArray& Bytes)
{
    const qsizetype start = Bytes.lastIndexOf('$');
    const qsizetype star = Bytes.lastIndexOf('*');
    if (start < 0 || star < start) return QByteArray();
    const QByteArray body = Bytes.mid(start + 1, star - start - 1);
    return Bytes.mid(start) == NmeaSentence(body) ? body : QByteArray();
}

} // namespace

TEST_F(LastCommand, MlrEndOfFastDownload)
{
    for (int i = 0; i < kCloses; ++i) {
        SCOPED_TRACE(i);
        PtyFixture pty;
        ASSERT_TRUE(pty.BindPort(kPort));
        TSimMlr dev(pty);
        dev.LoadLongFlight(400);
        TMlrForm f;
        f.show();
        f.DownTrkBtn->click();
        // Closed in the middle of the download at the fast speed.
        ASSERT_TRUE(
            Drive(f.Session(), dev, pty, [&] { return f.Session().Fast() && Trj && Trj->RecCount > 20; }));
        f.CloseBtn->click();
        EXPECT_TRUE(Unread(pty).endsWith(MlrCmd::End));
    }
}

TEST_F(LastCommand, MagellanNmeaBackOnAfterTheTrack)
{
    {
        TIniFile ini(IniFileName());
        ASSERT_TRUE(ini.WriteBool("Interface", "Set_Nmea_On", true));
        ASSERT_TRUE(ini.WriteBool("Interface", "Flow_Check_Mgn", false));
    }
    for (int i = 0; i < kCloses; ++i) {
        SCOPED_TRACE(i);
        PtyFixture pty;
        ASSERT_TRUE(pty.BindPort(kPort));
        TSimMagellan dev(pty);
        dev.Lists["TRACK"] = {"PMGNTRK,4549.957,N,00651.877,E,01000,M,100000.00,A,,150824"};
        TMagellanForm f;
        f.show();
        f.DownTrkBtn->click();
        // The postamble is written; the receiver has not read it when the window closes.
        ASSERT_TRUE(Drive(f.Session(), dev, pty, [&] { return f.Session().State() == 202; }));
        f.CloseBtn->click();
        EXPECT_EQ(LastSentence(Unread(pty)), "PMGNCMD,NMEAON,2");
    }
}

TEST_F(LastCommand, GarminPowerOff)
{
    for (int i = 0; i < kCloses; ++i) {
        SCOPED_TRACE(i);
        PtyFixture pty;
        ASSERT_TRUE(pty.BindPort(kPort));
        TSimGarmin dev(pty);
        dev.SetCapabilities("A010 A100 D108 A301 D310 D301");
        TGarminForm f;
        f.show();
        Msg::PushAnswer(mrYes);
        f.OffBtn->click();
        ASSERT_TRUE(Drive(f.Session(), dev, pty, [&] { return f.Session().StepNo() > 90; }));
        while (f.TimerCom->isActive()) f.Session().Tick(); // the command ends without the receiver
        f.CloseBtn->click();
        EXPECT_TRUE(Unread(pty).endsWith(
            TSimGarmin::Frame(TSimGarmin::PidCommandData, TSimGarmin::U16(TSimGarmin::CmdTurnOffPwr))));
    }
}

TEST_F(LastCommand, LoggerBackToRecording)
{
    for (int i = 0; i < kCloses; ++i) {
        SCOPED_TRACE(i);
        PtyFixture pty;
        ASSERT_TRUE(pty.BindPort(kPort));
        TSimLogger dev(pty);
        TLoggForm f;
        f.show();
        f.EcartBtn->click();
        ASSERT_TRUE(Drive(f.Session, dev, pty, [&] { return f.Session.LoggState == 13; }));
        f.CloseBtn->click();
        EXPECT_EQ(Unread(pty), "!RECORD\r\n");
    }
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
