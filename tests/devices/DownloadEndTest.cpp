// How every download window ends a download over a pseudo-terminal with its simulated device:
// the views are fitted to what arrived (once), the count is of the items taken, and the
// progress bar is full.
#include "devices/GarminSession.h"
#include "devices/LoggerSession.h"
#include "devices/MagellanSession.h"
#include "devices/MlrSession.h"
#include "devices/NmeaSession.h"
#include "model/ModelUi.h"
#include "sim/SimGarmin.h"
#include "sim/SimLogger.h"
#include "sim/SimMagellan.h"
#include "sim/SimMlr.h"
#include "sim/SimNmea.h"
#include "support/PrintQString.h"
#include "support/SessionPty.h"

#include <gtest/gtest.h>

namespace {

// The main window's side: only the fits are counted.
class FitCounter : public IModelUi
{
public:
    int Fits = 0;
    void ShowStatus(const QString&) override {}
    void RefreshViews() override {}
    void ModelChanged() override {}
    void FitViews() override { ++Fits; }
};

template <class Sim, class Session, int Port> class Ended : public SessionPty<Sim, Session, Port, 6000>
{
protected:
    FitCounter views;
    void SetUp() override
    {
        SessionPty<Sim, Session, Port, 6000>::SetUp();
        SetModelUi(&views);
    }
    void TearDown() override
    {
        SetModelUi(nullptr);
        SessionPty<Sim, Session, Port, 6000>::TearDown();
    }
    static int Points()
    {
        int n = 0;
        for (const TTrj* t = FirstTrj; t; t = t->NextTrj) n += t->RecCount;
        return n;
    }
};

using MlrEnd = Ended<TSimMlr, TMlrSession, 4>;
using MagellanEnd = Ended<TSimMagellan, TMagellanSession, 5>;
using LoggerEnd = Ended<TSimLogger, TLoggerSession, 6>;
using NmeaEnd = Ended<TSimNmea, TNmeaSession, 7>;
using GarminEnd = Ended<TSimGarmin, TGarminSession, 3>;

QDateTime Utc(int h, int m, int s)
{
    return QDateTime(QDate(2026, 7, 15), QTime(h, m, s), Qt::UTC);
}

} // namespace

TEST_F(MlrEnd, TrackInEveryModeCountsTheRecordsAndComesIntoView)
{
    // The receiver numbers its records from 0: 17 records are 17 points read.
    for (int mode : {0, 1, 2}) {
        SCOPED_TRACE(mode);
        ModelDone();
        ModelInit();
        views.Fits = 0;
        ui.Progress = 0;
        dev.TrackRecords.clear();
        dev.TextSentences.clear();
        dev.TextMode = mode == 0;
        for (int i = 0; i < 17; ++i) {
            dev.TrackRecords << TSimMlr::TrackRecord(i, Utc(10, 0, i * 2), 45.5 + i * 1e-4, 6.25, 1000 + i);
            dev.TextSentences << TSimMlr::TrackSentence(i, 45.5, 6.25, 800 + i, Utc(9, 0, i * 2), false,
                                                        false);
        }
        dev.RecordsPerBlock = 5;
        s.Options.TrjMde = mode;
        s.DownTrk("COM4");
        this->Run(6000, [this] { return views.Fits > 0 && !ui.Enabled; });
        EXPECT_FALSE(ui.Enabled);
        EXPECT_EQ(Points(), 17);
        EXPECT_EQ(ui.Text, QStringLiteral("Points lus : 17 sur 1 vol(s)  -  Erreur(s) détectée(s): 0."));
        EXPECT_EQ(views.Fits, 1) << "the trace is brought into view";
        EXPECT_EQ(ui.Progress, 100);
    }
}

TEST_F(MagellanEnd, TrackComesIntoView)
{
    s.Options.SpeedIndex = 5;
    dev.LineSpeed = 115200;
    dev.ResendMs = 300;
    for (int i = 0; i < 12; ++i)
        dev.Lists["TRACK"] << QStringLiteral("PMGNTRK,4122.%1,N,08244.336,W,00190,M,0307%2.19,A,,170804")
                                  .arg(100 + i * 7)
                                  .arg(10 + i * 2)
                                  .toLatin1();
    s.DownTrk("COM5");
    Run();
    EXPECT_EQ(s.State(), 13);
    EXPECT_EQ(Points(), 12);
    EXPECT_EQ(ui.Text, QStringLiteral("Points lus : 12 sur 1 vol(s)  -  Erreur(s) détectée(s): 0."));
    EXPECT_EQ(views.Fits, 1);
}

TEST_F(LoggerEnd, DumpComesIntoView)
{
    dev.Dump = TSimLogger::DumpOf({"Date 150804\r\n"
                                   "101500 +45.50000 +005.50000 +1200\r\n"
                                   "101504 +45.50100 +005.50100 +1210\r\n"
                                   "101508 +45.50200 +005.50200 +1220\r\n"});
    s.StartDownload("COM6");
    Run();
    EXPECT_FALSE(ui.Enabled);
    EXPECT_EQ(Points(), 3);
    EXPECT_EQ(ui.Text, QStringLiteral("Points lus : 3   -   Erreur(s) détectée(s) : 0."));
    EXPECT_EQ(views.Fits, 1);
}

TEST_F(NmeaEnd, LiveTraceComesIntoViewOnceItIsDrawn)
{
    dev.Queue << TSimNmea::Pgrmz(1500);
    for (int i = 0; i < 8; ++i)
        dev.Queue << TSimNmea::Rmc(QTime(12, 0, i * 2), QDate(2024, 5, 1), 45, 6 + i * 1e-3);
    s.StartReading("COM7", br4800);
    Run(400, [this] { return s.FixCount >= 8; });
    ASSERT_NE(s.LiveTrj(), nullptr);
    EXPECT_GE(s.LiveTrj()->RecCount, 7);
    EXPECT_EQ(views.Fits, 1) << "fitted when the trace is first drawn, not at every fix";
}

TEST_F(GarminEnd, TwoTracksEndWithAFullBarInView)
{
    // Track headers count among the records the receiver announces.
    dev.SetCapabilities("A010 A100 D108 A201 D202 D108 D210 A301 D310 D301");
    const uint32_t t0 =
        static_cast<uint32_t>(QDate(1989, 12, 31).daysTo(QDate(2024, 7, 14)) * 86400 + 9 * 3600);
    TSimGarmin::Track a{"ACTIVE LOG", {}}, b{"SAVED", {}};
    for (uint32_t k = 0; k < 4; ++k) {
        TSimGarmin::TrkPt p;
        p.Lat = 45.5 + k * 1e-3;
        p.Lon = 6.25;
        p.Alt = 1000.f;
        p.Time = t0 + k * 60;
        a.Points << p;
        p.Time += 86400;
        b.Points << p;
    }
    dev.Tracks = {a, b};
    ui.IntervalMs = 40;
    s.DownTrk("COM3");
    Run(4000, [this] { return s.StepNo() == 14; });
    EXPECT_EQ(ui.Progress, 100) << "the headers count on the bar as they count among the records";
    Run();
    EXPECT_EQ(ui.Text, QStringLiteral("Points lus : 8 sur 2 vol(s)  -  Erreur(s) détectée(s): 0."));
    EXPECT_EQ(ui.Progress, 100);
    EXPECT_EQ(views.Fits, 1);
}
