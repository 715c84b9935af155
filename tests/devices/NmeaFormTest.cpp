// The live NMEA window end to end: its own timer, the real port on a pseudo-terminal, a
// simulated receiver replaying real captures on its own thread.
#include "devices/DeviceViews.h"
#include "devices/Nmea.h"
#include "platform/IniFile.h"
#include "platform/ProgramDir.h"
#include "sim/SimNmea.h"
#include "support/Fixtures.h"
#include "support/PtyFixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QtTest/QTest>
#include <gtest/gtest.h>

namespace {

struct FakeViews : IDeviceViews
{
    int ComMode = -1, SecTrj = 0, Arranged = 0, Centred = 0, Panel = 0;
    bool Active = false, Shown = false;
    QList<bool> Layouts;
    QString Advice;
    const TRec* Cursor = nullptr;
    bool Central = true;
    void SetComMode(uint8 M) override { ComMode = M; }
    void DrawCursor(bool Draw, const TRec* R) override { Cursor = Draw ? R : nullptr; }
    void DrawSecTrj() override { ++SecTrj; }
    bool IsInCentralZone(const TRec*) const override { return Central; }
    void CentreOn(int32, int32) override { ++Centred; }
    void RefreshPanel() override { ++Panel; }
    void SetNmeaActive(bool A) override { Active = A; }
    void NmeaLayout(bool Extended) override { Layouts << Extended; }
    QRect NmeaFormRect() const override { return QRect(900, 0, 360, 700); }
    void ArrangeViews() override { ++Arranged; }
    void FocusMainWindow() override {}
    void ShowAdvice(const QString& T) override
    {
        Advice = T;
        Shown = true;
    }
    void HideAdvice() override { Shown = false; }
    bool AdviceVisible() const override { return Shown; }
};

class NmeaFormTest : public FreshModel
{
protected:
    PtyFixture pty;
    FakeViews views;
    void SetUp() override
    {
        FreshModel::SetUp();
        ASSERT_TRUE(pty.Ok()) << pty.Error().toStdString();
        ASSERT_TRUE(pty.BindPort(2));
        TIniFile ini(IniFileName());
        ASSERT_TRUE(ini.WriteInteger("Interface", "Num_Com", 2));
        SetDeviceViews(&views);
    }
    void TearDown() override
    {
        SetDeviceViews(nullptr);
        FreshModel::TearDown();
    }
    // Starts reading with a quick timer (the captures are replayed much faster than flown).
    void Start(TNmeaForm& form)
    {
        form.show();
        form.LectBtnClick();
        form.TimerCom->setInterval(20);
    }
    static bool Drained(TSimNmea& dev)
    {
        std::lock_guard<std::mutex> g(dev.Lock());
        return dev.Queue.isEmpty() && !dev.OutputPending();
    }
};

QString Capture(const char* Name)
{
    return QStringLiteral(ZPH_TESTDATA "/nmea/") + Name;
}

} // namespace

TEST_F(NmeaFormTest, ReplaysOfRealReceivers)
{
    struct
    {
        const char* file;
        int fixes;
        int32 lat, lon, alt;
        const char* name;
    } rows[] = {
        {"garmin48.log", 6, -4545763, 16715275, 15, "010606"},     // PGRMZ in feet, south and east
        {"neo-m8n.log", 11, 4406901, -12131425, 1147, "150318"},   // "$GNRMC" only, west
        {"rl-traffic.nmea", 236, 4896470, 709707, 1340, "241228"}, // FLARM traffic around the fixes
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.file);
        TSimNmea dev(pty);
        dev.Queue = TSimNmea::Capture(Capture(row.file));
        ASSERT_FALSE(dev.Queue.isEmpty());
        dev.SentencesPerSecond = 3000;
        TNmeaForm form;
        TSimRunner run(dev);
        Start(form);
        EXPECT_TRUE(views.Active);
        EXPECT_EQ(views.ComMode, 1);
        ASSERT_TRUE(WaitFor([&] { return Drained(dev); }));
        ASSERT_TRUE(WaitFor([&] { return form.Session.RxText.isEmpty() && form.Session.IdleTicks > 2; }));
        run.Stop();
        TTrj* T = form.Session.LiveTrj();
        ASSERT_NE(T, nullptr);
        EXPECT_EQ(T->RecCount, row.fixes);
        EXPECT_EQ(T->Name, row.name);
        EXPECT_EQ(T->First->Lat, row.lat);
        EXPECT_EQ(T->First->Lon, row.lon);
        EXPECT_EQ(T->First->Alt, row.alt);
        EXPECT_EQ(views.Cursor, T->Last);
        EXPECT_GE(views.SecTrj, row.fixes);
        EXPECT_TRUE(form.InfoL1->text().startsWith("A:   "));
        form.close();
        EXPECT_FALSE(views.Active);
        EXPECT_EQ(views.ComMode, 0);
        EXPECT_TRUE(T->Loaded);
        EXPECT_EQ(T->SaveState, 2);
        CloseAllTrj();
        views = FakeViews();
    }
    EXPECT_TRUE(Msg::Log().isEmpty());
}

TEST_F(NmeaFormTest, SplitMergedAndCorruptedWrites)
{
    TSimNmea dev(pty);
    dev.Queue = TSimNmea::Capture(Capture("garmin48.log"));
    dev.SentencesPerSecond = 3000;
    dev.SplitWrites(7);
    TNmeaForm form;
    TSimRunner run(dev);
    Start(form);
    // The setting comes from "Interface" at activation; the test checks it afterwards.
    form.ChecksumBtn->setChecked(true);
    ASSERT_TRUE(WaitFor([&] { return Drained(dev); }));
    ASSERT_TRUE(WaitFor([&] { return form.Session.IdleTicks > 2; }));
    ASSERT_NE(form.Session.LiveTrj(), nullptr);
    EXPECT_EQ(form.Session.LiveTrj()->RecCount, 6);

    // A corrupted RMC is shown as such and not recorded.
    const int before = form.Session.LiveTrj()->RecCount;
    {
        std::lock_guard<std::mutex> g(dev.Lock());
        dev.SplitWrites(0);
        dev.MergeWrites(2);
        QByteArray rmc = TSimNmea::Rmc(QTime(22, 54, 0), QDate(2001, 6, 6), -45.45, 167.15);
        rmc[rmc.indexOf('*') + 1] = rmc[rmc.indexOf('*') + 1] == 'A' ? 'B' : 'A';
        dev.Queue << rmc << TSimNmea::Pgrmz(48);
    }
    ASSERT_TRUE(WaitFor([&] { return form.InfoL1->text() == "Phrase \"GPRMC\" non valide"; }));
    EXPECT_EQ(form.Session.LiveTrj()->RecCount, before);
    run.Stop();
    form.close();
    TIniFile ini(IniFileName());
    EXPECT_TRUE(ini.ReadBool("Interface", "Checksum", false));
    EXPECT_EQ(ini.ReadInteger("Interface", "Num_Com", 0), 2);
}

TEST_F(NmeaFormTest, UnplugKeepsTheTraceAndNamesThePort)
{
    TSimNmea dev(pty);
    dev.Queue << TSimNmea::Pgrmz(1500);
    for (int s = 0; s < 6; ++s) dev.Queue << TSimNmea::Rmc(QTime(12, 0, s * 2), QDate(2024, 5, 1), 45, 6);
    dev.SentencesPerSecond = 3000;
    TNmeaForm form;
    TSimRunner run(dev);
    Start(form);
    ASSERT_TRUE(WaitFor([&] { return form.Session.LiveTrj() && form.Session.LiveTrj()->RecCount == 6; }));
    {
        std::lock_guard<std::mutex> g(dev.Lock());
        dev.HangUpAfter(0);
    }
    ASSERT_TRUE(WaitFor([&] { return !form.TimerCom->isActive(); }));
    run.Stop();
    ASSERT_EQ(Msg::Log().size(), 1);
    EXPECT_TRUE(Msg::Log()[0].text.contains(pty.SlavePath()));
    ASSERT_NE(form.Session.LiveTrj(), nullptr);
    EXPECT_EQ(form.Session.LiveTrj()->RecCount, 6);
    EXPECT_TRUE(form.Session.LiveTrj()->Loaded);
    form.close();
}

TEST_F(NmeaFormTest, MissingPortAndSilence)
{
    TIniFile ini(IniFileName());
    ASSERT_TRUE(ini.WriteString("Interface", "Device_COM2", "/dev/zephalon-no-such-port"));
    {
        TNmeaForm form;
        form.show();
        form.LectBtnClick();
        EXPECT_FALSE(form.TimerCom->isActive());
        ASSERT_EQ(Msg::Log().size(), 1);
        EXPECT_TRUE(Msg::Log()[0].text.contains("/dev/zephalon-no-such-port"));
        EXPECT_TRUE(form.LectBtn->isEnabled());
        form.close();
    }
    views = FakeViews();
    ASSERT_TRUE(pty.BindPort(2));
    TSimNmea dev(pty);
    TNmeaForm form;
    TSimRunner run(dev);
    Start(form);
    EXPECT_FALSE(form.LectBtn->isEnabled());
    ASSERT_TRUE(WaitFor([&] { return views.Shown; }));
    EXPECT_EQ(form.InfoL1->text(), "Pas de donnée détectée");
    EXPECT_EQ(views.Advice, form.MsgTexts.Advice);
    {
        std::lock_guard<std::mutex> g(dev.Lock());
        dev.Queue << TSimNmea::Pgrmz(100);
    }
    ASSERT_TRUE(WaitFor([&] { return !views.Shown; }));
    form.close();
    EXPECT_EQ(views.Arranged, 1);
}

TEST_F(NmeaFormTest, ViewsFollowOnlyTheCurrentLiveTrace)
{
    TSimNmea dev(pty);
    dev.Queue << TSimNmea::Pgrmz(1500);
    for (int s = 0; s < 4; ++s) dev.Queue << TSimNmea::Rmc(QTime(12, 0, s * 2), QDate(2024, 5, 1), 45, 6);
    dev.SentencesPerSecond = 3000;
    TNmeaForm form;
    form.show();
    form.AutoCtgBtn->setChecked(true);
    views.Central = false;
    TSimRunner run(dev);
    form.LectBtnClick();
    form.TimerCom->setInterval(20);
    ASSERT_TRUE(WaitFor([&] { return form.Session.LiveTrj() && form.Session.LiveTrj()->RecCount == 4; }));
    EXPECT_EQ(views.Centred, 4);
    TTrj* live = form.Session.LiveTrj();
    TTrj* other = NewTrj();
    const int drawn = views.SecTrj;
    {
        std::lock_guard<std::mutex> g(dev.Lock());
        dev.Queue << TSimNmea::Rmc(QTime(12, 0, 20), QDate(2024, 5, 1), 45.1, 6);
    }
    ASSERT_TRUE(WaitFor([&] { return live->RecCount == 5; }));
    EXPECT_EQ(views.SecTrj, drawn);
    EXPECT_EQ(Trj, other);
    EXPECT_EQ(other->RecCount, 0);
    run.Stop();
    form.close();
    EXPECT_EQ(live->SaveState, 2);
}
