// The device-window skeleton: a session driven by ticks over a fake link and over a
// pseudo-terminal with a simulated device.
#include "devices/DeviceSession.h"
#include "sim/SimDevice.h"
#include "support/FakeLink.h"
#include "support/PtyFixture.h"

#include "support/Fixtures.h"
#include <QDir>
#include <QTemporaryDir>
#include <chrono>
#include <gtest/gtest.h>

namespace {

// A tiny command machine: sends "PING" until "PONG" comes, then stops.
class PingSession : public TDeviceSession
{
public:
    using TDeviceSession::TDeviceSession;
    QByteArray Rx;
    int Steps = 0;
    bool Answered = false;
    QString FailedWith;
    bool Start(const QString& port)
    {
        if (!StartLink(port, 40)) return false;
        Rx.clear();
        return true;
    }

protected:
    void Step() override
    {
        ++Steps;
        QByteArray in = ReadLink(200);
        TraceUnit(false, in);
        Rx += in;
        if (Rx.contains("PONG")) {
            Answered = true;
            SetInfo("PONG");
            StopCom();
            return;
        }
        WriteLink("PING\r\n");
        TraceUnit(true, "PING\r\n");
    }
    void Failed(const QString& m) override { FailedWith = m; }
};

class SessionTest : public QuietMessages
{
protected:
    FakeLink link;
    FakeDeviceUi ui;
};

} // namespace

TEST_F(SessionTest, TimerRunsOnlyWhenTheLinkIsConnected)
{
    PingSession s(link, ui.Ui());
    EXPECT_TRUE(s.Start("COM3"));
    EXPECT_EQ(link.Port, "COM3");
    EXPECT_TRUE(ui.Enabled);
    EXPECT_EQ(ui.IntervalMs, 40);
    s.Tick();
    s.Tick();
    EXPECT_EQ(link.Written(), "PING\r\nPING\r\n");
    link.Incoming = "PO";
    s.Tick();
    link.Incoming = "NG\r\n";
    s.Tick();
    EXPECT_TRUE(s.Answered);
    EXPECT_FALSE(ui.Enabled);
    EXPECT_EQ(ui.Text, "PONG");
    EXPECT_FALSE(link.Connected());
    EXPECT_TRUE(Msg::Log().isEmpty());

    // An open failure is shown once; the timer stays off.
    link.OpenError = 1;
    EXPECT_FALSE(s.Start("COM4"));
    EXPECT_FALSE(ui.Enabled);
    ASSERT_EQ(Msg::Log().size(), 1);
    EXPECT_TRUE(Msg::Log()[0].text.startsWith("Unable to open com port (win error code: 2)\n/dev/fake"));
    // A port that opens but does not connect starts nothing either.
    link.ConnectOnOpen = false;
    EXPECT_FALSE(s.Start("COM4"));
    EXPECT_FALSE(ui.Enabled);
}

TEST_F(SessionTest, PortErrorInATickStopsEverythingWithOneMessage)
{
    PingSession s(link, ui.Ui());
    ASSERT_TRUE(s.Start("COM1"));
    s.Tick();
    link.ReadError = 3;
    s.Tick(); // no exception leaves the tick
    EXPECT_FALSE(ui.Enabled);
    EXPECT_FALSE(link.Connected());
    ASSERT_EQ(Msg::Log().size(), 1);
    EXPECT_EQ(Msg::Log()[0].type, TMsgType::Error);
    EXPECT_TRUE(Msg::Log()[0].text.startsWith("ReadFile function failed"));
    EXPECT_EQ(s.FailedWith, Msg::Log()[0].text);
    // A stray tick after that (already queued by the timer) does nothing.
    const int reads = link.Reads;
    s.Tick();
    EXPECT_EQ(link.Reads, reads);
    EXPECT_EQ(Msg::Log().size(), 1);
}

TEST_F(SessionTest, NestedTicksAreSkipped)
{
    struct Nested : TDeviceSession
    {
        using TDeviceSession::TDeviceSession;
        int depth = 0, maxDepth = 0, steps = 0;
        void Step() override
        {
            ++depth;
            ++steps;
            maxDepth = std::max(maxDepth, depth);
            Tick(); // as when a box of the step lets the timer fire
            --depth;
        }
    } s(link, ui.Ui());
    s.Tick(); // timer off: nothing
    EXPECT_EQ(s.steps, 0);
    ui.Enabled = true;
    s.Tick();
    EXPECT_EQ(s.maxDepth, 1);
    EXPECT_EQ(s.steps, 1);
}

TEST_F(SessionTest, TraceRecordsTheUnits)
{
    QTemporaryDir dir;
    PingSession s(link, ui.Ui());
    s.Trace().SetClock([] { return QTime(8, 1, 2); });
    ASSERT_TRUE(s.Trace().Open(dir.path()));
    EXPECT_TRUE(s.LogOn());
    ASSERT_TRUE(s.Start("COM1"));
    s.Tick();
    s.CloseTrace();
    QFile f(dir.filePath("_Zph-0.log"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(TLinkTrace::EntryBytes(QTime(8, 1, 2), true, "PING\r\n"), f.readAll());
}

// ---- Over a pseudo-terminal ------------------------------------------------------------------

TEST_F(SessionTest, EndToEndOverAPseudoTerminal)
{
    PtyFixture pty;
    ASSERT_TRUE(pty.Ok()) << pty.Error().toStdString();
    ASSERT_TRUE(pty.BindPort(21));
    TScriptedDevice dev(pty);
    dev.Expect("PING\r\nPING\r\n", "garbage PO").Expect("PING\r\n", "NG\r\n");
    TComPortLink port;
    PingSession s(port, ui.Ui());
    ASSERT_TRUE(s.Start("COM21"));
    EXPECT_EQ(port.ComPort().DevicePath(), pty.SlavePath());
    for (int i = 0; i < 50 && !s.Answered; ++i) {
        s.Tick();
        dev.Pump(20);
        pty.WaitSlaveQueued(1, 20); // the poll before the next tick
    }
    EXPECT_TRUE(s.Answered);
    EXPECT_TRUE(dev.Done());
    EXPECT_FALSE(port.Connected());
    EXPECT_TRUE(Msg::Log().isEmpty());
}

TEST_F(SessionTest, UnpluggedDeviceEndsTheSessionOnce)
{
    PtyFixture pty;
    ASSERT_TRUE(pty.BindPort(22));
    TScriptedDevice dev(pty);
    dev.HangUpAfter(0);
    TComPortLink port;
    PingSession s(port, ui.Ui());
    ASSERT_TRUE(s.Start("COM22"));
    s.Tick();
    dev.Pump();
    EXPECT_TRUE(dev.HungUp());
    for (int i = 0; i < 5 && ui.Enabled; ++i) s.Tick();
    EXPECT_FALSE(ui.Enabled);
    EXPECT_FALSE(port.Connected());
    ASSERT_EQ(Msg::Log().size(), 1);
    EXPECT_TRUE(Msg::Log()[0].text.contains(pty.SlavePath())) << Msg::Log()[0].text.toStdString();
    // The same port opens again once a device is there.
    PtyFixture again;
    ASSERT_TRUE(again.BindPort(22));
    EXPECT_TRUE(s.Start("COM22"));
}

TEST_F(SessionTest, TwoHundredBytesComeBackInOneTick)
{
    PtyFixture pty;
    ASSERT_TRUE(pty.BindPort(23));
    TComPortLink port;
    port.SetPort("COM23");
    port.Open();
    QByteArray block;
    for (int i = 0; i < 200; ++i) block += char(i);
    port.Write(block);
    const QByteArray echoed = pty.ReadMasterExactly(200);
    ASSERT_EQ(echoed, block);
    ASSERT_TRUE(pty.WriteMaster(echoed));
    ASSERT_TRUE(pty.WaitSlaveQueued(200));
    EXPECT_EQ(port.Read(200), block);
    EXPECT_TRUE(port.Read(200).isEmpty());
    port.Close();
}
