// The logger's command machine and dump reader, headless over a fake link.
#include "devices/LoggerSession.h"
#include "support/FakeLink.h"
#include "support/Fixtures.h"

#include <gtest/gtest.h>

namespace {

struct Rig
{
    FakeLink link;
    FakeDeviceUi ui;
    TLoggerSession s{link, ui.Ui()};
    void Ticks(int n)
    {
        for (int i = 0; i < n; ++i) s.Tick();
    }
};

using LoggerSessionTest = FreshModel;

const QByteArray Dump = "OKAY\r\n"
                        "Date 150804\r\n"
                        "101500 +45.50000 +005.50000 +1200 +1210\r\n"
                        "101504 +45.50100 +005.50100 +1210\r\n"
                        "101504 +45.50100 +005.50100 +1210\r\n" // same time: not added
                        "1015xx +45.50100 +005.50100 +1210\r\n" // bad time: counted
                        "*Date 010195\r\n"
                        "235959 -12.00000 -070.00000 +0100\r\n"
                        "000003 -12.00010 -070.00010 +0101\r\n";

} // namespace

TEST(LoggerPure, RateHeaderAndDisplay)
{
    struct
    {
        const char* text;
        bool ok;
        const char* rate;
        const char* info;
    } rows[] = {
        {"30", true, "001E", ""},           {"600", true, "0258", ""},
        {"65535", true, "FFFF", ""},        {"70000", false, "001E", "0/1/1170"},
        {"12x", false, "001E", "3/0/0000"}, {"", false, "001E", "1/0/0000"},
        {"-5", false, "001E", "0/0/FFFB"},
    };
    for (const auto& r : rows) {
        QString rate = "xxxx", info;
        EXPECT_EQ(CalcRate(r.text, rate, info), r.ok) << r.text;
        EXPECT_EQ(rate, r.rate) << r.text;
        EXPECT_EQ(info, r.info) << r.text;
    }
    // The last: a header, but no date.
    const std::pair<const char*, const char*> headers[] = {
        {"150804", "15/08/2004"}, {"150895", "15/08/1995"}, {"      ", ""}, {"310204", ""}};
    for (const auto& [date, text] : headers)
        EXPECT_EQ(LoggHeaderDate(QString("Date %1\r\n").arg(date)), text);
    EXPECT_EQ(LoggTrjName("Date 150895\r\n"), "950815.");
    EXPECT_EQ(LoggLineDisplay(12, "15/08/2004", "101500 +45.5\r\n"), "0012: 15/08/04 101500 +45.5");
    EXPECT_EQ(LoggLineDisplay(12345, "15/08/2004", "x\r\n"), "2345: 15/08/04 x");
    EXPECT_EQ(LoggCommand(23, "001E"), "!CODE,________\r\n");
    EXPECT_EQ(LoggCommand(25, "0258"), "!RATE,0258\r\n");
    EXPECT_EQ(LoggCommand(14, "001E"), "");
}

TEST_F(LoggerSessionTest, CommandsAdvanceOnOkayAndRepeatOtherwise)
{
    Rig r;
    ASSERT_TRUE(r.s.StartCom(lsSetRate, "COM2"));
    EXPECT_EQ(r.link.Port, "COM2");
    EXPECT_EQ(r.ui.IntervalMs, 200);
    r.s.Tick(); // nothing came: "!SYNC" sent
    r.link.Incoming = "OK";
    r.s.Tick(); // partial answer: sent again
    r.link.Incoming = "AY\r\n";
    r.s.Tick();
    EXPECT_EQ(r.link.Writes, QList<QByteArray>({"!SYNC\r\n", "!SYNC\r\n", "!SYNC\r\n"}));
    r.s.LoggRate = "0258";
    r.s.EcartText = "600";
    for (int i = 0; i < 3; ++i) {
        r.link.Incoming = "OKAY\r\n";
        r.s.Tick();
    }
    EXPECT_EQ(r.link.Writes.mid(3), QList<QByteArray>({"!RATE,0258\r\n", "!SYNC\r\n", "!RECORD\r\n"}));
    r.link.Incoming = "OKAY\r\n";
    r.Ticks(2); // 14: nothing more to send
    EXPECT_EQ(r.ui.Text, "Rate 600s OK");
    EXPECT_FALSE(r.ui.Enabled);
    EXPECT_FALSE(r.link.Connected());

    ASSERT_TRUE(r.s.StartCom(lsClear, "COM2"));
    r.s.Tick();
    for (int i = 0; i < 12; ++i) {
        r.link.Incoming = "OKAY\r\n";
        r.s.Tick();
    }
    r.s.Tick();
    QByteArray all;
    for (const QByteArray& w : r.link.Writes.mid(6)) all += w;
    EXPECT_EQ(all, "!SYNC\r\n!CLEAR\r\n!SYNC\r\n!CODE,________\r\n!SYNC\r\n!RATE,0258\r\n!SYNC\r\n"
                   "!RELAY,0A\r\n!SYNC\r\n!DIST,0A\r\n!SYNC\r\n!RECORD\r\n");
    EXPECT_EQ(r.ui.Text, "Clear OK, Rate=600s");
}

TEST_F(LoggerSessionTest, DumpGivesOneTracePerHeader)
{
    Rig r;
    ASSERT_TRUE(r.s.StartDownload("COM1"));
    r.link.Incoming = "OKAY\r\n";
    r.s.Tick(); // !SYNC answered, !OUT sent
    r.link.Incoming = Dump;
    r.s.Tick(); // the answer to !OUT carries the dump
    EXPECT_EQ(r.ui.IntervalMs, 50);
    EXPECT_EQ(r.s.LoggState, lsDumpStart);
    r.s.Tick();
    // What was read so far can be drawn while the download goes on.
    ASSERT_NE(Trj, nullptr);
    r.s.ShowRead();
    EXPECT_TRUE(Trj->Loaded);
    EXPECT_EQ(Trj->CurRec, Trj->Last);
    r.Ticks(2);
    EXPECT_EQ(r.s.LoggState, lsFlight);
    EXPECT_EQ(r.s.LoggLines, 6);
    EXPECT_EQ(r.s.LoggErrors, 1);
    r.Ticks(12);
    EXPECT_FALSE(r.ui.Enabled);
    EXPECT_EQ(r.ui.Text, "Points lus : 6   -   Erreur(s) détectée(s) : 1.");
    ASSERT_EQ(TrjCount(), 2);
    TTrj* a = FirstTrj;
    TTrj* b = a->NextTrj;
    EXPECT_EQ(a->Name, "040815.");
    EXPECT_EQ(a->Source, "Logger Skyforce");
    EXPECT_EQ(a->RecCount, 2);
    EXPECT_EQ(a->SaveState, 2);
    EXPECT_TRUE(a->Loaded);
    EXPECT_EQ(a->First->Lat, 4550000);
    EXPECT_EQ(a->First->AltGps, 1210);
    EXPECT_EQ(b->Name, "950101.");
    EXPECT_EQ(b->RecCount, 2);
    EXPECT_EQ(b->Last->Time, 2400000 + 83); // past midnight
    EXPECT_EQ(b->First->Lon, -7000000);
    EXPECT_EQ(Trj, b);
}

TEST_F(LoggerSessionTest, BadHeaderDateStopsWithOneBoxAndKeepsWhatWasRead)
{
    Rig r;
    ASSERT_TRUE(r.s.StartCom(1, "COM1"));
    r.link.Incoming = "OKAY\r\nDate 150804\r\n101500 +45.50000 +005.50000 +1200\r\n"
                      "Date 320804\r\n101600 +45.50000 +005.50000 +1200\r\nDate 150804\r\n";
    r.Ticks(2);
    EXPECT_FALSE(r.ui.Enabled);
    EXPECT_EQ(Msg::Log().size(), 1);
    EXPECT_EQ(Msg::Log()[0].text, "Les données du Logger sont erronées !");
    ASSERT_EQ(TrjCount(), 1);
    EXPECT_EQ(Trj->RecCount, 1);
    EXPECT_TRUE(Trj->Loaded);
    EXPECT_TRUE(r.s.LoggRxText.isEmpty());
}

TEST_F(LoggerSessionTest, LineFailureKeepsTheFlightAndCloseMarksOnlyOwnTraces)
{
    TTrj* own = NewTrj(); // a trace opened before, never saved
    own->Name = "file";
    std::unique_ptr<TRec> f = std::make_unique<TRec>();
    own->AddRec(f);
    own->SaveState = 1;
    Rig r;
    ASSERT_TRUE(r.s.StartCom(1, "COM1"));
    r.link.Incoming = "OKAY\r\nDate 150804\r\n101500 +45.50000 +005.50000 +1200\r\n101501 +45.5";
    r.Ticks(2);
    r.link.ReadError = 3; // unplugged
    r.s.Tick();
    EXPECT_FALSE(r.ui.Enabled);
    EXPECT_EQ(Msg::Log().size(), 1);
    ASSERT_EQ(TrjCount(), 2);
    EXPECT_EQ(Trj->RecCount, 1);
    EXPECT_TRUE(Trj->Loaded);
    EXPECT_EQ(Trj->SaveState, 2);
    SetCurrentTrj(own);
    r.s.CloseSession();
    EXPECT_EQ(own->SaveState, 1);
    EXPECT_FALSE(own->Loaded);
}

TEST_F(LoggerSessionTest, LongLinesNulAndEightBitBytesAreErrorsOnly)
{
    Rig r;
    ASSERT_TRUE(r.s.StartCom(1, "COM1"));
    QByteArray junk("Date 150804\r\n");
    junk += QByteArray(400, 'x') + "\r\n";
    junk += QByteArray("1015\x00"
                       "0 +45\xE9\r\n",
                       13);
    junk += "101500 +45.50000 +005.50000 +1200\r\n";
    r.link.Incoming = "OKAY\r\n" + junk;
    r.Ticks(20);
    EXPECT_EQ(r.s.LoggLines, 3);
    EXPECT_EQ(r.s.LoggErrors, 2);
    ASSERT_NE(Trj, nullptr);
    EXPECT_EQ(Trj->RecCount, 1);
    EXPECT_TRUE(Msg::Log().isEmpty());
}
