// The logger window end to end: its own timer, the real port on a pseudo-terminal, a simulated
// logger pumped on its own thread.
#include "devices/Logger.h"
#include "files/IgcFile.h"
#include "files/TrjFormats.h"
#include "platform/IniFile.h"
#include "platform/ProgramDir.h"
#include "sim/SimLogger.h"
#include "support/Fixtures.h"
#include "support/PtyFixture.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QtTest/QTest>
#include <gtest/gtest.h>

namespace {

struct Fix
{
    int32 Lat, Lon, Alt, AltGps, Time;
    bool operator==(const Fix&) const = default;
};

QList<Fix> Fixes(const TTrj& T)
{
    QList<Fix> out;
    for (const TRec* R = T.First; R; R = R->Next) out << Fix{R->Lat, R->Lon, R->Alt, R->AltGps, R->Time};
    return out;
}

// An IGC flight of the test data cut to its first Count fixes, with its DAT text.
QList<Fix> IgcAsDat(const char* Name, int Count, QByteArray& Dat)
{
    TReadReport R;
    EXPECT_TRUE(LoadIgcTrj(QStringLiteral(ZPH_TESTDATA "/igc/") + Name, false, R)) << Name;
    if (!Trj) return {};
    while (Trj->RecCount > Count) Trj->DeleteRec(Trj->Last);
    Dat = WriteDatTrj(*Trj);
    // The DAT text keeps whole seconds: the fixes as the logger gives them back.
    TTrj* kept = Trj;
    EXPECT_TRUE(LoadDatTrjData(Dat, "x.dat", R));
    const QList<Fix> f = Fixes(*Trj);
    CloseTrj(Trj);
    CloseTrj(kept);
    return f;
}

class LoggerFormTest : public FreshModel
{
protected:
    PtyFixture pty;
    void SetUp() override
    {
        FreshModel::SetUp();
        ASSERT_TRUE(pty.Ok()) << pty.Error().toStdString();
        ASSERT_TRUE(pty.BindPort(3));
        TIniFile ini(IniFileName());
        ASSERT_TRUE(ini.WriteInteger("Interface", "Num_Com", 3));
    }
};

} // namespace

TEST_F(LoggerFormTest, CommandsWithTheirExactBytesAndTexts)
{
    TSimLogger dev(pty);
    dev.AnswerDelayMs = 300; // later than a tick: each command goes out more than once
    TSimRunner run(dev);
    TLoggForm form;
    form.show();
    EXPECT_EQ(form.ComNbEdit->currentText(), "COM3");
    EXPECT_EQ(form.Ecart->currentText(), "30");
    EXPECT_FALSE(form.TimerCom->isActive());

    form.Ecart->setEditText("600");
    form.EcartBtnClick();
    EXPECT_EQ(form.TimerCom->interval(), 200);
    ASSERT_TRUE(WaitFor([&] { return !form.TimerCom->isActive(); }));
    EXPECT_EQ(form.Info->text(), "Rate 600s OK");
    // The answers still on their way arrive while no command runs: the next one ignores them.
    ASSERT_TRUE(WaitFor([&] {
        std::lock_guard<std::mutex> g(dev.Lock());
        return dev.LateAnswers() == 0 && !dev.OutputPending();
    }));

    Msg::PushAnswer(mrNo);
    form.EffaceBtnClick();
    EXPECT_FALSE(form.TimerCom->isActive());
    Msg::PushAnswer(mrYes);
    form.EffaceBtnClick();
    ASSERT_TRUE(WaitFor([&] { return !form.TimerCom->isActive(); }, 20000));
    EXPECT_EQ(form.Info->text(), "Clear OK, Rate=600s");
    run.Stop();

    // Every command went out, in order (repeated while its answer was late).
    QStringList distinct;
    for (const QString& c : dev.Commands)
        if (distinct.isEmpty() || distinct.last() != c) distinct << c;
    EXPECT_EQ(distinct, QStringList({"!SYNC", "!RATE,0258", "!SYNC", "!RECORD", "!SYNC", "!CLEAR", "!SYNC",
                                     "!CODE,________", "!SYNC", "!RATE,0258", "!SYNC", "!RELAY,0A", "!SYNC",
                                     "!DIST,0A", "!SYNC", "!RECORD"}));
    EXPECT_GT(dev.Commands.size(), distinct.size());
    EXPECT_TRUE(dev.Cleared);
    EXPECT_EQ(dev.Rate, "0258");

    // A refused interval beeps back to 30.
    form.Ecart->setEditText("-4");
    form.EcartExit();
    EXPECT_EQ(form.Ecart->currentText(), "30");
    EXPECT_EQ(form.Info->text(), "0/0/FFFC");
    form.close();
    TIniFile ini(IniFileName());
    EXPECT_EQ(ini.ReadInteger("Interface", "Num_Com", 0), 3);
}

TEST_F(LoggerFormTest, DumpOfRealFlightsGivesTheSameFixesBack)
{
    QByteArray dat1, dat2;
    const QList<Fix> f1 = IgcAsDat("bad-line.igc", 100, dat1);
    const QList<Fix> f2 = IgcAsDat("xctrack-2020-09-04.igc", 120, dat2);
    ASSERT_FALSE(f1.isEmpty());
    ASSERT_EQ(f2.size(), 120);
    ASSERT_EQ(TrjCount(), 0);

    TSimLogger dev(pty);
    dev.Dump = TSimLogger::DumpOf({dat1, "*" + dat2});
    dev.SplitWrites(37); // the dump arrives in odd pieces
    TSimRunner run(dev);
    TLoggForm form;
    form.show();
    form.LectBtnClick();
    ASSERT_TRUE(WaitFor([&] { return !form.TimerCom->isActive(); }, 30000));
    run.Stop();
    EXPECT_EQ(form.Info->text(),
              QStringLiteral("Points lus : %1   -   Erreur(s) détectée(s) : 0.").arg(f1.size() + f2.size()));
    EXPECT_EQ(dev.Commands, QStringList({"!SYNC", "!OUT"}));
    ASSERT_EQ(TrjCount(), 2);
    EXPECT_EQ(Fixes(*FirstTrj), f1);
    EXPECT_EQ(Fixes(*FirstTrj->NextTrj), f2);
    EXPECT_EQ(FirstTrj->NextTrj->Name, "200904.");
    EXPECT_EQ(FirstTrj->SaveState, 2);
    EXPECT_EQ(FirstTrj->NextTrj->SaveState, 2);
    EXPECT_TRUE(Msg::Log().isEmpty());
    form.close();
}

TEST_F(LoggerFormTest, UnplugMidDumpKeepsWhatCameAndNamesThePort)
{
    TSimLogger dev(pty);
    QByteArray dump = "Date 150804\r\n";
    for (int i = 0; i < 40; ++i)
        dump += QByteArray("1015") + QByteArray::number(10 + i) + " +45.50000 +005.50000 +1200\r\n";
    dev.Dump = dump;
    dev.SetLineSpeed(4800);
    TSimRunner run(dev);
    TLoggForm form;
    form.show();
    form.LectBtnClick();
    ASSERT_TRUE(WaitFor([&] { return Trj && Trj->RecCount >= 3; }));
    {
        std::lock_guard<std::mutex> g(dev.Lock());
        dev.HangUpAfter(0);
    }
    ASSERT_TRUE(WaitFor([&] { return !form.TimerCom->isActive(); }));
    run.Stop();
    ASSERT_EQ(Msg::Log().size(), 1);
    EXPECT_TRUE(Msg::Log()[0].text.contains(pty.SlavePath())) << Msg::Log()[0].text.toStdString();
    ASSERT_EQ(TrjCount(), 1);
    EXPECT_GT(Trj->RecCount, 0);
    EXPECT_LT(Trj->RecCount, 40);
    EXPECT_TRUE(Trj->Loaded);
    EXPECT_EQ(Trj->SaveState, 2);
    form.close();
}

TEST_F(LoggerFormTest, MissingPortGivesOneMessageAndNoTimer)
{
    TIniFile ini(IniFileName());
    ASSERT_TRUE(ini.WriteString("Interface", "Device_COM3", "/dev/zephalon-no-such-port"));
    TLoggForm form;
    form.show();
    form.LectBtnClick();
    EXPECT_FALSE(form.TimerCom->isActive());
    ASSERT_EQ(Msg::Log().size(), 1);
    EXPECT_TRUE(Msg::Log()[0].text.contains("/dev/zephalon-no-such-port"));
    form.close();
}

TEST_F(LoggerFormTest, SilentLoggerRepeatsItsCommand)
{
    TSimLogger dev(pty);
    dev.StaySilent();
    TSimRunner run(dev);
    TLoggForm form;
    form.show();
    form.LectBtnClick();
    ASSERT_TRUE(WaitFor([&] {
        std::lock_guard<std::mutex> g(dev.Lock());
        return dev.Commands.size() >= 3;
    }));
    EXPECT_TRUE(form.TimerCom->isActive());
    form.close();
    EXPECT_FALSE(form.TimerCom->isActive());
    run.Stop();
    EXPECT_GE(dev.Commands.size(), 2);
    for (const QString& c : dev.Commands) EXPECT_EQ(c, "!SYNC");
}
