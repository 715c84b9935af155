// The serial-port component on real pseudo-terminals, its settings and its errors.
#include "devices/CPort.h"
#include "platform/IniFile.h"
#include "platform/ProgramDir.h"
#include "support/PtyFixture.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <thread>

namespace {

// The kernel's termios with free speeds, to read back a speed outside the classic codes.
struct KernelTermios2
{
    tcflag_t c_iflag, c_oflag, c_cflag, c_lflag;
    cc_t c_line;
    cc_t c_cc[19];
    speed_t c_ispeed, c_ospeed;
};
const unsigned long kTcGets2 = _IOR('T', 0x2A, KernelTermios2);

int CodeOf(const std::function<void()>& f, QString* message = nullptr)
{
    try {
        f();
    } catch (const EComPort& e) {
        if (message) *message = e.Message();
        return e.Code;
    }
    return 0;
}

struct OpenPort
{
    PtyFixture pty;
    TComPort port;
    std::unique_ptr<TComAsync> async;
    explicit OpenPort(int com = 7)
    {
        EXPECT_TRUE(pty.Ok()) << pty.Error().toStdString();
        EXPECT_TRUE(pty.BindPort(com));
        port.SetPort(QStringLiteral("COM%1").arg(com));
        TComPort::InitAsync(async);
    }
};

} // namespace

TEST(CPortNames, PortTextIsNormalised)
{
    EXPECT_EQ(NormalizeComPort("com3"), "COM3");
    EXPECT_EQ(NormalizeComPort("3"), "COM3");
    EXPECT_EQ(NormalizeComPort("COM3"), "COM3");
    EXPECT_EQ(NormalizeComPort("COM96"), "COM96");
    for (const char* bad : {"COM0", "COM97", "LPT1", "", "COMx", "-4"})
        EXPECT_EQ(NormalizeComPort(bad), "COM1") << bad;
    TComPort p;
    p.SetPort("com12");
    EXPECT_EQ(p.Port(), "COM12");
}

TEST(CPortSettings, SettingObjectsFollowTheirRules)
{
    TComPort p;
    p.Buffer().SetInputSize(1025);
    EXPECT_EQ(p.Buffer().InputSize(), 1024);
    p.Buffer().SetOutputSize(2048);
    EXPECT_EQ(p.Buffer().OutputSize(), 2048);

    TComFlowControl& f = p.FlowControl();
    EXPECT_EQ(f.FlowControl(), fcNone);
    f.SetFlowControl(fcHardware);
    EXPECT_EQ(f.ControlRTS(), rtsHandshake);
    EXPECT_TRUE(f.OutCTSFlow());
    EXPECT_EQ(f.FlowControl(), fcHardware);
    f.SetFlowControl(fcNone);
    EXPECT_EQ(f.ControlRTS(), rtsDisable);
    EXPECT_FALSE(f.OutCTSFlow());
    EXPECT_EQ(f.FlowControl(), fcNone);
    f.SetFlowControl(fcSoftware);
    EXPECT_TRUE(f.XonXoffIn() && f.XonXoffOut());
    EXPECT_EQ(f.FlowControl(), fcSoftware);
    f.SetFlowControl(fcCustom); // changes nothing
    EXPECT_EQ(f.FlowControl(), fcSoftware);
    f.SetOutDSRFlow(true);
    f.SetControlRTS(rtsEnable);
    EXPECT_EQ(f.FlowControl(), fcCustom);

    EXPECT_EQ(BaudRateValue(br14400, 0), 14400);
    EXPECT_EQ(BaudRateValue(brCustom, 31250), 31250);
}

TEST(CPortSettings, TextConverters)
{
    EXPECT_EQ(StrToBaudRate("custom"), brCustom);
    EXPECT_EQ(StrToBaudRate("115200"), br115200);
    EXPECT_EQ(StrToBaudRate("999"), br9600);
    EXPECT_EQ(StrToStopBits("1.5"), sbOne5StopBits);
    EXPECT_EQ(StrToStopBits("3"), sbOneStopBit);
    EXPECT_EQ(StrToDataBits("7"), dbSeven);
    EXPECT_EQ(StrToParity("MARK"), prMark);
    EXPECT_EQ(StrToFlowControl("whatever"), fcCustom);
    EXPECT_EQ(StrToDTR("handshake"), dtrHandshake);
    EXPECT_EQ(StrToRTS("Toggle"), rtsToggle);
    EXPECT_TRUE(ComStrToBool("yes"));
    EXPECT_FALSE(ComStrToBool("1"));
    for (const auto& [c, text] :
         {std::pair<int, const char*>{'A', "A"}, {13, "#13"}, {32, "#32"}, {200, "#200"}})
        EXPECT_EQ(ComCharToStr(static_cast<uint8_t>(c)), text);
    for (const auto& [text, c] :
         {std::pair<const char*, int>{"#13", 13}, {"#", '#'}, {"", 0}, {"#x1", 0}, {"Qrs", 'Q'}})
        EXPECT_EQ(ComStrToChar(text), c) << text;
    for (int c = 0; c < 256; ++c) EXPECT_EQ(ComStrToChar(ComCharToStr(static_cast<uint8_t>(c))), c);
}

TEST(CPortErrors, MessagesAndCodes)
{
    EXPECT_EQ(EComPort(4).Message(), "Invalid Async parameter");
    EXPECT_EQ(EComPort(14).Message(), "Cannot set SyncMethod while connected");
    EXPECT_EQ(ComErrorText(22), "A component is linked to OnRxBuf event");
    TComPort p;
    QByteArray s;
    QString msg;
    EXPECT_EQ(CodeOf([&] { p.ReadStrAsync(s, 200, nullptr); }, &msg), 4);
    EXPECT_EQ(msg, "Invalid Async parameter");
    EXPECT_EQ(CodeOf([&] { p.WriteStrAsync("x", nullptr); }), 4);
    EXPECT_EQ(CodeOf([&] { p.WaitAsync(nullptr); }), 4);
}

TEST(CPortOpen, MissingDeviceNamesPathAndReason)
{
    TIniFile ini(IniFileName());
    ASSERT_TRUE(ini.WriteString("Interface", "Device_COM9", "/dev/zephalon-no-such-port"));
    TComPort p;
    p.SetPort("COM9");
    QString msg;
    EXPECT_EQ(CodeOf([&] { p.Open(); }, &msg), 1);
    EXPECT_FALSE(p.Connected());
    EXPECT_EQ(msg,
              "Impossible d'ouvrir le port COM9 (/dev/zephalon-no-such-port : No such file or directory).");
    // A file that is no terminal is refused too.
    QTemporaryDir dir;
    QFile f(dir.filePath("plain"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    p.SetDevicePath(f.fileName());
    EXPECT_EQ(CodeOf([&] { p.Open(); }), 1);
    EXPECT_FALSE(p.Connected());
}

TEST(CPortOpen, SettingsReachTheLine)
{
    OpenPort o;
    o.port.SetBaudRate(br4800);
    o.port.SetStopBits(sbTwoStopBits);
    o.port.Parity().SetBits(prOdd);
    o.port.SetDataBits(dbSeven);
    o.port.Open();
    ASSERT_TRUE(o.port.Connected());
    termios t{};
    ASSERT_EQ(tcgetattr(o.pty.SlaveFd(), &t), 0);
    EXPECT_EQ(cfgetospeed(&t), B4800);
    EXPECT_EQ(cfgetispeed(&t), B4800);
    EXPECT_TRUE(t.c_cflag & CSTOPB);
    // A pseudo-terminal keeps 8 bits and clears the parity-enable flag whatever is asked; the
    // kind of parity stays readable.
    EXPECT_TRUE(t.c_cflag & PARODD);
    EXPECT_FALSE(t.c_cflag & CMSPAR);
    EXPECT_FALSE(t.c_cflag & CRTSCTS);
    EXPECT_FALSE(t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN));
    EXPECT_FALSE(t.c_oflag & OPOST);
    EXPECT_FALSE(t.c_iflag & (ICRNL | INLCR | IGNCR | IXON | IXOFF | ISTRIP));
    EXPECT_TRUE(t.c_cflag & CLOCAL);

    // Changes apply to the open line at once.
    o.port.SetStopBits(sbOneStopBit);
    o.port.Parity().SetBits(prEven);
    o.port.SetDataBits(dbEight);
    o.port.SetBaudRate(br9600);
    ASSERT_EQ(tcgetattr(o.pty.SlaveFd(), &t), 0);
    EXPECT_EQ(cfgetospeed(&t), B9600);
    EXPECT_FALSE(t.c_cflag & CSTOPB);
    EXPECT_FALSE(t.c_cflag & PARODD);
    EXPECT_EQ(t.c_cflag & CSIZE, tcflag_t(CS8));
    o.port.Parity().SetBits(prMark);
    ASSERT_EQ(tcgetattr(o.pty.SlaveFd(), &t), 0);
    EXPECT_TRUE((t.c_cflag & CMSPAR) && (t.c_cflag & PARODD));
    o.port.Parity().SetBits(prSpace);
    o.port.Parity().SetCheck(true);
    o.port.Parity().SetReplace(true);
    ASSERT_EQ(tcgetattr(o.pty.SlaveFd(), &t), 0);
    EXPECT_TRUE((t.c_cflag & CMSPAR) && !(t.c_cflag & PARODD));
    EXPECT_TRUE((t.c_iflag & INPCK) && (t.c_iflag & PARMRK));
    o.port.Parity().SetCheck(false);
    ASSERT_EQ(tcgetattr(o.pty.SlaveFd(), &t), 0);
    EXPECT_FALSE(t.c_iflag & (INPCK | PARMRK));
    o.port.FlowControl().SetFlowControl(fcHardware);
    ASSERT_EQ(tcgetattr(o.pty.SlaveFd(), &t), 0);
    EXPECT_TRUE(t.c_cflag & CRTSCTS);
    o.port.FlowControl().SetFlowControl(fcSoftware);
    ASSERT_EQ(tcgetattr(o.pty.SlaveFd(), &t), 0);
    EXPECT_FALSE(t.c_cflag & CRTSCTS);
    EXPECT_TRUE((t.c_iflag & IXON) && (t.c_iflag & IXOFF));
    o.port.FlowControl().SetFlowControl(fcNone);

    // Speeds outside the classic codes, the custom one included.
    KernelTermios2 t2{};
    o.port.SetBaudRate(br14400);
    ASSERT_EQ(ioctl(o.pty.SlaveFd(), kTcGets2, &t2), 0);
    EXPECT_EQ(t2.c_ospeed, 14400u);
    o.port.SetCustomBaudRate(31250);
    o.port.SetBaudRate(brCustom);
    ASSERT_EQ(ioctl(o.pty.SlaveFd(), kTcGets2, &t2), 0);
    EXPECT_EQ(t2.c_ospeed, 31250u);
    EXPECT_EQ(t2.c_ispeed, 31250u);
    o.port.Close();
    EXPECT_FALSE(o.port.Connected());
}

TEST(CPortOpen, FailureAfterTheDeviceOpenedReleasesIt)
{
    OpenPort o;
    o.port.SetCustomBaudRate(-5); // refused by the line
    o.port.SetBaudRate(brCustom);
    EXPECT_EQ(CodeOf([&] { o.port.Open(); }), 7);
    EXPECT_FALSE(o.port.Connected());
    // The device is free again.
    TComPort other;
    other.SetDevicePath(o.pty.SlavePath());
    EXPECT_NO_THROW(other.Open());
    EXPECT_TRUE(other.Connected());
}

TEST(CPortOpen, BusyDeviceIsRefused)
{
    OpenPort o;
    o.port.Open();
    TComPort second;
    second.SetDevicePath(o.pty.SlavePath());
    QString msg;
    EXPECT_EQ(CodeOf([&] { second.Open(); }, &msg), 1);
    EXPECT_FALSE(second.Connected());
    EXPECT_TRUE(msg.contains(o.pty.SlavePath())) << msg.toStdString();
    // The first user goes on undisturbed, and after it closes the device is free.
    EXPECT_EQ(o.port.WriteStrAsync("ok", o.async.get()), 2);
    EXPECT_EQ(o.pty.ReadMasterExactly(2), "ok");
    o.port.Close();
    EXPECT_NO_THROW(second.Open());
}

TEST(CPortIo, NonBlockingReadsBinarySafeBothWays)
{
    OpenPort o;
    o.port.Open();
    QByteArray s = "junk";
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(o.port.ReadStrAsync(s, 200, o.async.get()), 0);
    EXPECT_TRUE(s.isEmpty());
    EXPECT_LT(clock.elapsed(), 100);

    // More than 200 bytes: 200 per read, the rest stays queued.
    QByteArray big;
    for (int i = 0; i < 530; ++i) big += char(i * 7);
    ASSERT_TRUE(o.pty.WriteMaster(big));
    ASSERT_TRUE(o.pty.WaitSlaveQueued(530));
    EXPECT_EQ(o.port.RxQueueCount(), 530);
    QByteArray got;
    for (int expect : {200, 200, 130, 0}) {
        EXPECT_EQ(o.port.ReadStrAsync(s, 200, o.async.get()), expect);
        EXPECT_EQ(s.size(), expect);
        got += s;
    }
    EXPECT_EQ(got, big);

    const QByteArray binary("\x00\x10\x11\x13\x0D\x8B\xFF\x0A\x03\x7F\x1A", 11);
    ASSERT_TRUE(o.pty.WriteMaster(binary));
    ASSERT_TRUE(o.pty.WaitSlaveQueued(binary.size()));
    EXPECT_EQ(o.port.ReadStrAsync(s, 200, o.async.get()), binary.size());
    EXPECT_EQ(s, binary);

    EXPECT_EQ(o.port.WriteStrAsync(binary, o.async.get()), binary.size());
    EXPECT_EQ(o.async->Kind, 0);
    EXPECT_EQ(o.async->Data, binary);
    EXPECT_EQ(o.port.WaitAsync(o.async.get()), binary.size());
    EXPECT_EQ(o.pty.ReadMasterExactly(binary.size()), binary);
}

TEST(CPortIo, WriteLargerThanTheBacklogLimitGoesOutWhole)
{
    OpenPort o;
    o.port.Open();
    QByteArray big(200 * 1024, '\0');
    for (int i = 0; i < big.size(); ++i) big[i] = char(i * 13 + i / 256);
    EXPECT_EQ(o.port.WriteStrAsync(big, o.async.get()), 0); // more than the line takes at once
    EXPECT_TRUE(o.async->Pending);
    // While it waits, a further write is refused: the output does not leave.
    std::unique_ptr<TComAsync> second;
    TComPort::InitAsync(second);
    EXPECT_EQ(CodeOf([&] { o.port.WriteStrAsync("x", second.get()); }), 2);

    QByteArray got;
    std::thread reader([&] { got = o.pty.ReadMasterExactly(int(big.size()), 10000); });
    EXPECT_EQ(o.port.WaitAsync(o.async.get()), big.size());
    reader.join();
    EXPECT_FALSE(o.async->Pending);
    EXPECT_EQ(got, big);
}

TEST(CPortIo, PurgeAndLineState)
{
    OpenPort o;
    o.port.Open();
    ASSERT_TRUE(o.pty.WriteMaster("stale bytes"));
    ASSERT_TRUE(o.pty.WaitSlaveQueued(11));
    o.port.ClearBuffer(true, true);
    EXPECT_EQ(o.port.RxQueueCount(), 0);
    QByteArray s;
    EXPECT_EQ(o.port.ReadStrAsync(s, 200, o.async.get()), 0);
    // A pseudo-terminal has no modem lines and no error counters: empty sets, no error.
    EXPECT_TRUE(o.port.LineSignals().Empty());
    EXPECT_TRUE(o.port.LineErrors().Empty());
    // Not while open.
    EXPECT_EQ(CodeOf([&] { o.port.SetSyncMethod(smNone); }), 14);
    o.port.Close();
    EXPECT_NO_THROW(o.port.SetSyncMethod(smNone));
    EXPECT_EQ(CodeOf([&] { o.port.RxQueueCount(); }), 10);
    EXPECT_EQ(CodeOf([&] { o.port.ReadStrAsync(s, 200, o.async.get()); }), 3);
}

TEST(CPortIo, UnpluggedDeviceIsReportedOnceAndReleased)
{
    OpenPort o;
    o.port.Open();
    o.pty.HangUp();
    QByteArray s;
    QString msg;
    EXPECT_EQ(CodeOf([&] { o.port.ReadStrAsync(s, 200, o.async.get()); }, &msg), 3);
    EXPECT_TRUE(msg.contains(o.pty.SlavePath())) << msg.toStdString();
    EXPECT_FALSE(o.port.Connected());
    // Later reads fail too instead of answering "nothing" for ever.
    EXPECT_EQ(CodeOf([&] { o.port.ReadStrAsync(s, 200, o.async.get()); }), 3);
    EXPECT_NO_THROW(o.port.Close());
}

TEST(CPortIo, ClosingSendsWhatWasWrittenAndReportsWhatCouldNotLeave)
{
    // What is written just before closing reaches the other side, however soon it reads.
    OpenPort o;
    for (int i = 0; i < 50; ++i) {
        o.port.Open();
        const QByteArray last = "last command " + QByteArray::number(i) + "\r\n";
        o.port.WriteStrAsync(last, o.async.get());
        EXPECT_NO_THROW(o.port.Close());
        EXPECT_EQ(o.pty.ReadMasterExactly(int(last.size()), 500), last) << i;
    }
    // Input not read yet is discarded.
    o.port.Open();
    ASSERT_TRUE(o.pty.WriteMaster("stale"));
    ASSERT_TRUE(o.pty.WaitSlaveQueued(5));
    o.port.Close();
    EXPECT_EQ(o.pty.SlaveQueued(), 0);

    // A line that takes nothing more: the wait is bounded, the rest discarded, the user told.
    o.port.Timeouts().SetWriteTotalMultiplier(0);
    o.port.Timeouts().SetWriteTotalConstant(100);
    o.port.Open();
    o.port.WriteStrAsync(QByteArray(1 << 20, 'x'), o.async.get());
    QElapsedTimer clock;
    clock.start();
    QString msg;
    EXPECT_EQ(CodeOf([&] { o.port.Close(); }, &msg), 2);
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_EQ(msg, QStringLiteral("Le port COM7 n'a pas pu envoyer ses dernières données en 100 ms (%1).")
                       .arg(o.pty.SlavePath()));
    EXPECT_FALSE(o.port.Connected());
    while (!o.pty.ReadMaster(20).isEmpty()) {
    }
    EXPECT_NO_THROW(o.port.Open());
}

TEST(CPortIo, CloseReleasesAfterTheDeviceWentAway)
{
    OpenPort o;
    o.port.Open();
    ASSERT_EQ(o.port.WriteStrAsync("bye", o.async.get()), 3);
    o.pty.HangUp();
    try {
        o.port.Close();
    } catch (const EComPort&) {
        // reported after releasing
    }
    EXPECT_FALSE(o.port.Connected());
    PtyFixture again;
    o.port.SetDevicePath(again.SlavePath());
    EXPECT_NO_THROW(o.port.Open());
}

TEST(CPortIo, ChangingThePortWhileOpenMovesToTheNewDevice)
{
    OpenPort a(11);
    PtyFixture b;
    ASSERT_TRUE(b.BindPort(12));
    a.port.Open();
    a.port.SetPort("COM12");
    EXPECT_TRUE(a.port.Connected());
    EXPECT_EQ(a.port.DevicePath(), b.SlavePath());
    a.port.WriteStrAsync("to b", a.async.get());
    EXPECT_EQ(b.ReadMasterExactly(4), "to b");
    EXPECT_TRUE(a.pty.ReadMaster(50).isEmpty());
}

TEST(CPortIo, ReadWaitFollowsTheTimeouts)
{
    OpenPort o;
    o.port.Timeouts().SetReadTotalMultiplier(-1);
    o.port.Timeouts().SetReadTotalConstant(80);
    o.port.Open();
    char buf[16];
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(o.port.ReadWait(buf, 16), 0);
    EXPECT_GE(clock.elapsed(), 60);
    ASSERT_TRUE(o.pty.WriteMaster("abc"));
    ASSERT_TRUE(o.pty.WaitSlaveQueued(3));
    EXPECT_EQ(o.port.ReadWait(buf, 16), 3);
    EXPECT_EQ(QByteArray(buf, 3), "abc");
}

TEST(CPortEvents, NotificationsAndTheEventThread)
{
    OpenPort o;
    QStringList calls;
    o.port.OnBeforeOpen = [&](TCustomComPort&) { calls << "before open"; };
    o.port.OnAfterOpen = [&](TCustomComPort&) { calls << "after open"; };
    o.port.OnBeforeClose = [&](TCustomComPort&) { calls << "before close"; };
    o.port.OnAfterClose = [&](TCustomComPort&) { calls << "after close"; };
    o.port.Open();
    // The device windows assign no line handler and no link: no thread.
    EXPECT_FALSE(o.port.ThreadRunning());
    o.port.Close();
    EXPECT_EQ(calls, QStringList({"before open", "after open", "before close", "after close"}));

    // A failing notification: the device is released all the same, then the failure is told.
    o.port.OnAfterOpen = [&](TCustomComPort&) { throw std::runtime_error("after open"); };
    EXPECT_THROW(o.port.Open(), std::runtime_error);
    EXPECT_FALSE(o.port.Connected());
    o.port.OnAfterOpen = nullptr;
    o.port.OnBeforeClose = [&](TCustomComPort&) { throw std::runtime_error("before close"); };
    o.port.Open();
    EXPECT_THROW(o.port.Close(), std::runtime_error);
    EXPECT_FALSE(o.port.Connected());
    TComPort other;
    other.SetDevicePath(o.pty.SlavePath());
    EXPECT_NO_THROW(other.Open());
    other.Close();
    o.port.OnBeforeOpen = nullptr;
    o.port.OnBeforeClose = nullptr;
    o.port.OnAfterClose = nullptr;

    // A line handler starts the thread; events reach the handler on this thread.
    int rxCount = 0;
    bool onMain = false;
    QList<bool> cts;
    o.port.OnRxChar = [&](TCustomComPort&, int n) {
        rxCount = n;
        onMain = QThread::currentThread() == QCoreApplication::instance()->thread();
    };
    o.port.OnCTSChange = [&](TCustomComPort&, bool on) { cts << on; };
    o.port.Open();
    EXPECT_TRUE(o.port.ThreadRunning());
    EXPECT_EQ(cts, QList<bool>({false})); // initial state
    ASSERT_TRUE(o.pty.WriteMaster("hello"));
    QElapsedTimer clock;
    clock.start();
    while (rxCount == 0 && clock.elapsed() < 3000) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(rxCount, 5);
    EXPECT_TRUE(onMain);
    // The bytes stay queued for the reads.
    QByteArray s;
    EXPECT_EQ(o.port.ReadStrAsync(s, 200, o.async.get()), 5);
    o.port.Close();
    EXPECT_FALSE(o.port.ThreadRunning());
    EXPECT_EQ(cts, QList<bool>({false, false}));

    // Links.
    struct Link : TComLink
    {
        QList<bool> conn;
        void ConnectionChanged(TCustomComPort&, bool on) override { conn << on; }
    } link;
    TComPort p;
    p.RegisterLink(&link);
    EXPECT_EQ(CodeOf([&] { p.RegisterLink(&link); }), 18);
    p.SetDevicePath(o.pty.SlavePath());
    p.Events = TComEvents{};
    p.Open();
    EXPECT_FALSE(p.ThreadRunning()); // no events wanted
    p.Close();
    EXPECT_EQ(link.conn, QList<bool>({true, false}));
    p.UnRegisterLink(&link);
    EXPECT_EQ(CodeOf([&] { p.UnRegisterLink(&link); }), 18);
}

TEST(CPortStore, IniRoundTripInValueOrder)
{
    QTemporaryDir dir;
    TIniFile ini(dir.filePath("port.ini"));
    TComPort a;
    a.Name = "GpsPort";
    a.StoreGroups = TStoreTypes{stBasic, stOthers, stParity, stBuffer, stTimeouts, stFlowControl};
    a.SetPort("COM4");
    a.SetCustomBaudRate(31250);
    a.SetBaudRate(brCustom);
    a.SetStopBits(sbTwoStopBits);
    a.SetDataBits(dbSeven);
    a.Parity().SetBits(prEven);
    a.Parity().SetCheck(true);
    a.Parity().SetReplaceChar('?');
    a.SetEventChar(13);
    a.SetDiscardNull(true);
    a.Buffer().SetInputSize(4096);
    a.Timeouts().SetReadTotalConstant(250);
    a.Timeouts().SetWriteTotalMultiplier(7);
    a.FlowControl().SetFlowControl(fcHardware);
    a.FlowControl().SetControlDTR(dtrEnable);
    a.FlowControl().SetXonChar(1);
    a.StoreIniFile(ini);

    EXPECT_EQ(ini.ReadSection("GpsPort").join(u' '),
              "Port BaudRate CustomBaudRate StopBits DataBits Parity FlowControl EventChar DiscardNull "
              "Parity.Check Parity.Replace Parity.ReplaceChar Buffer.OutputSize Buffer.InputSize "
              "Timeouts.ReadInterval Timeouts.ReadTotalConstant Timeouts.ReadTotalMultiplier "
              "Timeouts.WriteTotalConstant Timeouts.WriteTotalMultiplier FlowControl.ControlRTS "
              "FlowControl.ControlDTR FlowControl.DSRSensitivity FlowControl.OutCTSFlow "
              "FlowControl.OutDSRFlow FlowControl.TxContinueOnXoff FlowControl.XonXoffIn "
              "FlowControl.XonXoffOut FlowControl.XoffChar FlowControl.XonChar");
    const std::pair<const char*, const char*> stored[] = {
        {"BaudRate", "Custom"}, {"StopBits", "2"},           {"EventChar", "#13"},
        {"DiscardNull", "Yes"}, {"FlowControl", "Hardware"}, {"FlowControl.ControlRTS", "Handshake"}};
    for (const auto& [key, text] : stored) EXPECT_EQ(ini.ReadString("GpsPort", key, ""), text) << key;

    TComPort b;
    b.Name = "GpsPort";
    b.StoreGroups = a.StoreGroups;
    b.LoadIniFile(ini);
    EXPECT_EQ(b.Port(), "COM4");
    EXPECT_EQ(b.BaudRate(), brCustom);
    EXPECT_EQ(b.CustomBaudRate(), 31250);
    EXPECT_EQ(b.StopBits(), sbTwoStopBits);
    EXPECT_EQ(b.DataBits(), dbSeven);
    EXPECT_EQ(b.Parity().Bits(), prEven);
    EXPECT_TRUE(b.Parity().Check());
    EXPECT_EQ(b.Parity().ReplaceChar(), '?');
    EXPECT_EQ(b.EventChar(), 13);
    EXPECT_TRUE(b.DiscardNull());
    EXPECT_EQ(b.Buffer().InputSize(), 4096);
    EXPECT_EQ(b.Timeouts().ReadTotalConstant(), 250);
    EXPECT_EQ(b.Timeouts().WriteTotalMultiplier(), 7);
    EXPECT_EQ(b.FlowControl().FlowControl(), fcHardware);
    EXPECT_EQ(b.FlowControl().ControlDTR(), dtrEnable);
    EXPECT_EQ(b.FlowControl().XonChar(), 1);

    // The basic group alone: seven values with the custom speed, six without.
    TIniFile basic(dir.filePath("basic.ini"));
    TComPort c;
    c.SetBaudRate(brCustom);
    c.StoreIniFile(basic);
    EXPECT_EQ(basic.ReadSection("ComPort").size(), 7);
    c.SetBaudRate(br4800);
    basic.EraseSection("ComPort");
    c.StoreIniFile(basic);
    EXPECT_EQ(basic.ReadSection("ComPort").size(), 6);

    // Loading: "#" alone is the character "#"; a missing key keeps the current value.
    ASSERT_TRUE(basic.WriteString("ComPort", "EventChar", "#"));
    TComPort d;
    d.StoreGroups = TStoreTypes{stBasic, stOthers};
    d.SetDiscardNull(true);
    d.LoadIniFile(basic);
    EXPECT_EQ(d.EventChar(), '#');
    EXPECT_TRUE(d.DiscardNull());
    EXPECT_EQ(d.BaudRate(), br4800);
}

TEST(CPortStore, FailedWriteIsReported)
{
    TIniFile ini("/proc/zephalon-cannot-write/port.ini");
    TComPort p;
    EXPECT_EQ(CodeOf([&] { p.StoreIniFile(ini); }), 16);
}

TEST(CPortIo, InputOptionsKeepTheDataStraight)
{
    OpenPort o;
    o.port.Parity().SetBits(prEven);
    o.port.Parity().SetCheck(true);
    o.port.Parity().SetReplace(true);
    o.port.Parity().SetReplaceChar('?');
    o.port.Open();
    // With bad bytes marked by the driver, a real 0xFF still reads as one 0xFF.
    const QByteArray data("\xFF\x01\xFF\xFF\x00", 5);
    ASSERT_TRUE(o.pty.WriteMaster(data));
    ASSERT_TRUE(o.pty.WaitSlaveQueued(1));
    QByteArray s, got;
    for (int i = 0; i < 50 && got.size() < data.size(); ++i) {
        o.pty.WaitSlaveQueued(1, 20);
        o.port.ReadStrAsync(s, 200, o.async.get());
        got += s;
    }
    EXPECT_EQ(got, data);
    o.port.Close();

    o.port.Parity().SetCheck(false);
    o.port.SetDiscardNull(true);
    o.port.Open();
    ASSERT_TRUE(o.pty.WriteMaster(QByteArray("a\0b\0\0c", 6)));
    ASSERT_TRUE(o.pty.WaitSlaveQueued(6));
    EXPECT_EQ(o.port.ReadStrAsync(s, 200, o.async.get()), 3);
    EXPECT_EQ(s, "abc");
}
