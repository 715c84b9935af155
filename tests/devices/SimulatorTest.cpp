// The simulated devices and their faults, driven by a plain port on the slave side.
#include "devices/CPort.h"
#include "sim/SimDevice.h"
#include "sim/SimGarmin.h"
#include "sim/SimLogger.h"
#include "sim/SimMagellan.h"
#include "sim/SimMlr.h"
#include "sim/SimNmea.h"
#include "support/PtyFixture.h"

#include <gtest/gtest.h>

namespace {

// The host side: a port on the slave, and a loop that lets the device answer.
struct Host
{
    PtyFixture pty;
    TComPort port;
    std::unique_ptr<TComAsync> async;
    Host()
    {
        EXPECT_TRUE(pty.Ok());
        port.SetDevicePath(pty.SlavePath());
        port.Open();
        TComPort::InitAsync(async);
    }
    void Send(const QByteArray& b) { port.WriteStrAsync(b, async.get()); }
    // Pumps the device until the host has received `until` (or 2 s passed).
    QByteArray Exchange(TSimDevice& dev, const QByteArray& until, int maxTurns = 100)
    {
        QByteArray got, s;
        for (int i = 0; i < maxTurns && !got.contains(until); ++i) {
            dev.Pump(10);
            pty.WaitSlaveQueued(1, 10);
            port.ReadStrAsync(s, 200, async.get());
            got += s;
        }
        return got;
    }
};

} // namespace

TEST(Simulator, ScriptAndFaults)
{
    Host h;
    TScriptedDevice dev(h.pty);
    dev.Expect("HELLO", "WORLD").Expect("AGAIN", "0123456789");
    dev.CorruptByte(2, 0x20); // "WORLD" -> "WOrLD"
    h.Send("HELLO");
    EXPECT_EQ(h.Exchange(dev, "LD"), "WOrLD");
    // Split: one piece of 3 bytes per pump.
    dev.SplitWrites(3);
    h.Send("AGAIN");
    dev.Pump(50);
    h.pty.WaitSlaveQueued(3);
    QByteArray s;
    h.port.ReadStrAsync(s, 200, h.async.get());
    EXPECT_EQ(s, "012");
    EXPECT_EQ(h.Exchange(dev, "9"), "3456789");
    EXPECT_TRUE(dev.Done());
    EXPECT_TRUE(dev.Unmatched().isEmpty());
}

TEST(Simulator, SilenceMergeAndHangUp)
{
    Host h;
    TSimLogger dev(h.pty);
    dev.StaySilent(1);
    h.Send("!SYNC\r\n");
    dev.Pump(50);
    EXPECT_FALSE(h.pty.WaitSlaveQueued(1, 50));
    EXPECT_EQ(dev.Commands, QStringList({"!SYNC"}));
    // Two answers merged into one write.
    dev.MergeWrites(2);
    h.Send("!SYNC\r\n");
    dev.Pump(50);
    EXPECT_FALSE(dev.OutputPending() && h.pty.SlaveQueued() > 0);
    h.Send("!RATE,001E\r\n");
    EXPECT_EQ(h.Exchange(dev, "OKAY\r\nOKAY\r\n"), "OKAY\r\nOKAY\r\n");
    EXPECT_EQ(dev.Rate, "001E");
    // Hang-up after the next answer.
    dev.HangUpAfter(1);
    h.Send("!SYNC\r\n");
    dev.Pump(50);
    EXPECT_FALSE(dev.HungUp());
    ASSERT_TRUE(h.pty.WaitSlaveQueued(6));
    QByteArray s;
    EXPECT_EQ(h.port.ReadStrAsync(s, 200, h.async.get()), 6);
    dev.Pump();
    EXPECT_TRUE(dev.HungUp());
    EXPECT_THROW(h.port.ReadStrAsync(s, 200, h.async.get()), EComPort);
}

TEST(Simulator, NmeaSentences)
{
    EXPECT_EQ(NmeaChecksum("PMGNCMD,HANDON"), "70");
    const QByteArray rmc = TSimNmea::Rmc(QTime(10, 15, 30), QDate(2004, 8, 15), -45.508333, 5.5, 12.3, 270);
    EXPECT_TRUE(rmc.startsWith("$GPRMC,101530,A,4530.5000,S,00530.0000,E,012.3,270.0,150804,"));
    EXPECT_TRUE(rmc.endsWith("\r\n"));
    const qsizetype star = rmc.indexOf('*');
    EXPECT_EQ(rmc.mid(star + 1, 2), NmeaChecksum(rmc.mid(1, star - 1)));
    EXPECT_TRUE(TSimNmea::Gga(QTime(10, 15, 30), 45, 6, 1234.5).contains(",1234.5,M,"));
    EXPECT_TRUE(TSimNmea::Pgrmz(1500).startsWith("$PGRMZ,1500,f,3*"));

    Host h;
    TSimNmea dev(h.pty);
    dev.Queue << TSimNmea::Pgrmz(1500) << rmc;
    dev.SentencesPerPump = 2;
    EXPECT_EQ(h.Exchange(dev, "\r\n$GPRMC"), TSimNmea::Pgrmz(1500) + rmc.left(rmc.size()));
}

TEST(Simulator, GarminLink)
{
    // Stuffing: every 0x10 after the leading DLE is doubled.
    const QByteArray data("\x10\x03", 2);
    const QByteArray f = TSimGarmin::Frame(0x10 + 0x0E, data);
    EXPECT_EQ(f, QByteArray("\x10\x1E\x02\x10\x10\x03\xCD\x10\x03", 9));
    EXPECT_EQ(TSimGarmin::Checksum(254, QByteArray()), 2);

    Host h;
    TSimGarmin dev(h.pty);
    dev.Transfers[TSimGarmin::CmdTransferWpt] =
        TSimGarmin::Transfer(TSimGarmin::CmdTransferWpt, {{TSimGarmin::PidWptData, QByteArray(10, 'w')}});
    // Product request: ACK, then the product data.
    h.Send(TSimGarmin::Frame(TSimGarmin::PidProductRqst, QByteArray()));
    const QByteArray product = TSimGarmin::Frame(
        TSimGarmin::PidProductData, TSimGarmin::U16(291) + TSimGarmin::U16(400) + dev.Description + '\0');
    EXPECT_EQ(h.Exchange(dev, product), TSimGarmin::Frame(6, TSimGarmin::U16(254)) + product);
    // A corrupted frame is refused with a NAK carrying its id.
    QByteArray bad = TSimGarmin::Frame(TSimGarmin::PidCommandData, TSimGarmin::U16(7));
    bad[3] = 0x55;
    h.Send(bad);
    EXPECT_EQ(h.Exchange(dev, "\x10\x03"), TSimGarmin::Frame(21, TSimGarmin::U16(10)));
    EXPECT_EQ(dev.BadFrames, 1);
    // A command streams its transfer; each packet waits for the host's ACK, a NAK repeats it.
    h.Send(TSimGarmin::Frame(TSimGarmin::PidCommandData, TSimGarmin::U16(7)));
    const QByteArray records = TSimGarmin::Frame(TSimGarmin::PidRecords, TSimGarmin::U16(1));
    EXPECT_EQ(h.Exchange(dev, records), TSimGarmin::Frame(6, TSimGarmin::U16(10)) + records);
    h.Send(TSimGarmin::Frame(TSimGarmin::PidNak, TSimGarmin::U16(TSimGarmin::PidRecords)));
    EXPECT_EQ(h.Exchange(dev, records), records);
    h.Send(TSimGarmin::Frame(TSimGarmin::PidAck, TSimGarmin::U16(TSimGarmin::PidRecords)));
    const QByteArray wpt = TSimGarmin::Frame(TSimGarmin::PidWptData, QByteArray(10, 'w'));
    EXPECT_EQ(h.Exchange(dev, wpt), wpt);
    h.Send(TSimGarmin::Frame(TSimGarmin::PidAck, TSimGarmin::U16(TSimGarmin::PidWptData)));
    EXPECT_EQ(h.Exchange(dev, "\x10\x03"), TSimGarmin::Frame(TSimGarmin::PidXferCmplt, TSimGarmin::U16(7)));
    // Garbage before a frame is dropped.
    h.Send("xx" + TSimGarmin::Frame(TSimGarmin::PidCommandData, TSimGarmin::U16(8)));
    EXPECT_EQ(h.Exchange(dev, "\x10\x03"), TSimGarmin::Frame(6, TSimGarmin::U16(10)));
    EXPECT_TRUE(dev.PoweredOff);
}

TEST(Simulator, MagellanHandshake)
{
    Host h;
    TSimMagellan dev(h.pty);
    dev.Lists["WAYPOINT"] = {"PMGNWPL,4530.000,N,00600.000,E,0001000,M,TOWER,,a"};
    h.Send(NmeaSentence("PMGNCMD,HANDON"));
    EXPECT_EQ(h.Exchange(dev, "\r\n"), NmeaSentence("PMGNCSM,70"));
    h.Send(NmeaSentence("PMGNCMD,WAYPOINT"));
    const QByteArray wpl = NmeaSentence(dev.Lists["WAYPOINT"][0]);
    const QByteArray csm = NmeaSentence("PMGNCSM," + NmeaChecksum("PMGNCMD,WAYPOINT"));
    EXPECT_EQ(h.Exchange(dev, wpl), csm + wpl);
    // The end waits for the host's acknowledgement.
    dev.Pump(30);
    EXPECT_FALSE(h.pty.WaitSlaveQueued(1, 30));
    h.Send(NmeaSentence("PMGNCSM," + NmeaChecksum(dev.Lists["WAYPOINT"][0])));
    EXPECT_EQ(h.Exchange(dev, "END"), NmeaSentence("PMGNCMD,END"));
    // A sentence with a bad checksum is ignored.
    h.Send("$PMGNCMD,VERSION*00\r\n");
    dev.Pump(30);
    EXPECT_EQ(dev.BadSentences, 1);
}

TEST(Simulator, MlrCommandsAndBlocks)
{
    EXPECT_EQ(TSimMlr::Sum16("$PMLR,06,00,"), "02A9");
    EXPECT_EQ(TSimMlr::Command("26,01,01"), "$PMLR,26,01,01,0339\r\n");
    EXPECT_EQ(TSimMlr::Command("24,02,0101"), "$PMLR,24,02,0101,0399\r\n");

    const QList<QByteArray> blocks = TSimMlr::Blocks('T', 1, {QByteArray(18, 'a'), QByteArray(18, 'b')}, 1);
    ASSERT_EQ(blocks.size(), 3);
    EXPECT_EQ(blocks[0], QByteArray("\x8B\x01T\x01"
                                    "DEBUT\x02U\r\n",
                                    13));
    EXPECT_EQ(blocks[1].size(), 1 * 18 + 10);
    EXPECT_EQ(blocks[1].left(6), QByteArray("\x8B\x02T\x01\x00\x01", 6));
    EXPECT_EQ(blocks[2].mid(1, 1), QByteArray(1, 3));
    EXPECT_TRUE(blocks[2].endsWith("\r\n"));
    EXPECT_EQ(TSimMlr::Blocks('W', 0, {}, 5)[0], QByteArray("\x8B\x00W\x02"
                                                            "DEBUT\x02X\r\n",
                                                            13));

    Host h;
    TSimMlr dev(h.pty);
    dev.CheckSpeed = false;
    h.Send(TSimMlr::Command("26,01,01"));
    const QByteArray id = NmeaSentence("PMLR,IDGPS,01,MLR SP24XC,---------,V3.12,");
    EXPECT_EQ(h.Exchange(dev, "\r\n"), id);
    dev.TrackRecords = {QByteArray(18, '\x10'), QByteArray(18, '\x8B')};
    dev.RecordsPerBlock = 2;
    h.Send(TSimMlr::Command("24,02,0100"));
    const QList<QByteArray> expected = TSimMlr::Blocks('T', 0, dev.TrackRecords, 2);
    EXPECT_EQ(h.Exchange(dev, TSimMlr::EndBlock('T', 2)),
              expected[0] + expected[1] + TSimMlr::EndBlock('T', 2));
    h.Send("$PMLR,06,00,0000\r\n" + TSimMlr::Command("06,00"));
    dev.Pump(50);
    EXPECT_EQ(dev.BadCommands, 1);
    EXPECT_TRUE(dev.Ended);
}

TEST(Simulator, LineSpeedRunnerAndCaptures)
{
    Host h;
    TSimNmea dev(h.pty);
    dev.SetLineSpeed(4800);
    dev.Queue << QByteArray(480, 'x'); // a second of the line
    dev.Pump();
    // Paced: the bytes leave as the line lets them, not at once.
    EXPECT_LT(dev.ToHost().size(), 480);
    {
        TSimRunner run(dev);
        QByteArray got, s;
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (got.size() < 480 && std::chrono::steady_clock::now() < until) {
            h.pty.WaitSlaveQueued(1, 20);
            h.port.ReadStrAsync(s, 200, h.async.get());
            got += s;
        }
        EXPECT_EQ(got.size(), 480);
        EXPECT_EQ(got.count('x'), got.size());
    }
    const QList<QByteArray> cap = TSimNmea::Capture(ZPH_TESTDATA "/nmea/neo-m8n.log");
    ASSERT_FALSE(cap.isEmpty());
    EXPECT_TRUE(cap[0].startsWith("$GLGSV"));
    for (const QByteArray& l : cap) EXPECT_TRUE(l.endsWith("*") || l.endsWith("\r\n")) << l.constData();
    EXPECT_EQ(TSimLogger::DumpOf({"Date 010101\r\n1\r\n", "Date 020202\r\n"}, true),
              "*Date 010101\r\n1\r\nDate 020202\r\n");
}
