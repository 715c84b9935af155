// The profile view: its window in time and altitude (kept with the trace for the printed
// cross-section), the local-time labels, the curves drawn where the fixes fall, and the mouse
// and keyboard.
#include "app/CuttRender.h"
#include "app/Cutt.h"
#include "app/Plan.h"
#include "files/RecFile.h"
#include "model/Options.h"
#include "platform/Msg.h"
#include "platform/Numbers.h"
#include "platform/WinColor.h"
#include "support/ViewProbe.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// A trace of n fixes from Start every Step time units, climbing 2 m per fix from 500 m; GPS
// altitude 30 m above.
TTrj* MakeClimb(int n, int32 Start = 1000000, int32 Step = 100)
{
    NewTrj();
    for (int i = 0; i < n; ++i) {
        auto r = std::make_unique<TRec>();
        std::tie(r->Lat, r->Lon, r->Time, r->Alt, r->AltGps) =
            std::tuple(4500000 + i, 600000 + i, Start + i * Step, 500 + 2 * i, 530 + 2 * i);
        Trj->AddRec(r);
    }
    TrjLoaded();
    return Trj;
}

QImage Render(TCuttForm& F, QSize size = QSize(900, 300))
{
    return RenderAt(F, size);
}

class CuttTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ModelInit();
        Msg::SetHeadless(true);
        CloseAllTrj();
        Colors = DefaultColors();
        Opt->Altitude = 0;
        Opt->UniteAltitude = 0;
    }
    void TearDown() override { CloseAllTrj(); }
};

TEST_F(CuttTest, TimeLabelsAreLocalHoursAndMinutes)
{
    EXPECT_EQ(CuttTimeLabel(900000), QStringLiteral("9h00"));
    EXPECT_EQ(CuttTimeLabel(1250000), QStringLiteral("12h30"));
    EXPECT_EQ(CuttTimeLabel(2400000 + 50000), QStringLiteral("0h30")); // after midnight
    EXPECT_EQ(CuttTimeLabel(-50000), QStringLiteral("23h30"));
    EXPECT_EQ(CuttTimeLabel(999999), QStringLiteral("10h00")); // rounded to the minute
}

TEST_F(CuttTest, FitWindowCoversTheTraceWithMarginsAndMinimumSpans)
{
    TTrj* T = MakeClimb(200); // 200 fixes, 19,900 units (about 12 minutes)
    CuttFitWindow(*T);
    EXPECT_EQ(T->ViewTimeMin, T->TimeMin);
    EXPECT_EQ(T->ViewTimeMax, T->TimeMax);
    // Altitudes 500..928 (both curves), 5 % margins.
    EXPECT_EQ(T->ViewAltMin, 500 - Round(0.05 * 428));
    EXPECT_EQ(T->ViewAltMax, 928 + Round(0.05 * 428));

    CloseAllTrj();
    T = MakeClimb(30); // under 10 minutes: 10 minutes around the middle
    CuttFitWindow(*T);
    EXPECT_EQ(T->ViewTimeMax - T->ViewTimeMin, TimeUnitsPerHour / 6);
    EXPECT_EQ((T->ViewTimeMin + T->ViewTimeMax) / 2, (T->TimeMin + T->TimeMax) / 2);
    // An 88 m range (500..588 with the GPS curve) is shown in the middle of 100 m, plus margins.
    EXPECT_EQ(T->ViewAltMin, 500 - 6 - 5);
    EXPECT_EQ(T->ViewAltMax, 588 + 6 + 5);
    // A level flight; on the ground the window does not go below 0 m and keeps its 110 m.
    for (auto [alt, lo, hi] : {std::tuple(300, 245, 355), std::tuple(2, 0, 110)}) {
        for (TRec* R = T->First; R; R = R->Next) R->Alt = R->AltGps = alt;
        T->ComputeBounds();
        CuttFitWindow(*T);
        EXPECT_EQ(std::pair(T->ViewAltMin, T->ViewAltMax), std::pair(lo, hi)) << alt;
    }
    // The bare window that loading leaves is fitted by the view, a fitted one is kept.
    EXPECT_FALSE(CuttWindowUnfitted(*T));
    TrjLoaded();
    EXPECT_TRUE(CuttWindowUnfitted(*T));
}

TEST_F(CuttTest, ZoomKeepsTheTimeInPlaceAndPanStaysOnTheTrace)
{
    TTrj* T = MakeClimb(1000); // 99,900 units
    CuttFitWindow(*T);
    const int32 t = T->TimeMin + 30000;
    const double frac = (t - double(T->ViewTimeMin)) / (T->ViewTimeMax - T->ViewTimeMin);
    CuttZoomTime(*T, 2.0, t);
    EXPECT_NEAR(T->ViewTimeMax - T->ViewTimeMin, 99900 / 2, 1);
    EXPECT_NEAR((t - double(T->ViewTimeMin)) / (T->ViewTimeMax - T->ViewTimeMin), frac, 1e-4);
    // Altitudes follow the fixes inside the window.
    EXPECT_LT(T->ViewAltMax, 500 + 2 * 1000);
    // At most one minute...
    CuttZoomTime(*T, 1e6, t);
    EXPECT_EQ(T->ViewTimeMax - T->ViewTimeMin, TimeUnitsPerHour / 60);
    // ...at least 48 hours.
    CuttZoomTime(*T, 1e-6, t);
    EXPECT_EQ(T->ViewTimeMax - T->ViewTimeMin, 2 * TimeUnitsPerDay);
    // Pan far away: a tenth of the window still shows the trace.
    CuttFitWindow(*T);
    CuttZoomTime(*T, 4.0, T->TimeMin);
    const int32 span = T->ViewTimeMax - T->ViewTimeMin;
    CuttPanTime(*T, 10 * TimeUnitsPerDay);
    EXPECT_EQ(T->ViewTimeMax - T->ViewTimeMin, span);
    EXPECT_EQ(T->ViewTimeMin, T->TimeMax - span / 10);
    CuttPanTime(*T, -20 * TimeUnitsPerDay);
    EXPECT_EQ(T->ViewTimeMax, T->TimeMin + span / 10);
}

TEST_F(CuttTest, ProjectionInvertsTimeAndPlacesAltitudes)
{
    TTrj* T = MakeClimb(100);
    CuttFitWindow(*T);
    const QFontMetrics fm(QApplication::font());
    const TCuttProjection pr = CuttProjection(*T, QSize(900, 300), fm);
    EXPECT_NEAR(pr.TimeToX(T->ViewTimeMin), pr.Plot.left(), 1e-9);
    EXPECT_NEAR(pr.TimeToX(T->ViewTimeMax), pr.Plot.left() + pr.Plot.width(), 1e-9);
    EXPECT_NEAR(pr.AltToY(T->ViewAltMax), pr.Plot.top(), 1e-9);
    for (int x = pr.Plot.left(); x < pr.Plot.right(); x += 37) EXPECT_NEAR(pr.TimeToX(pr.XToTime(x)), x, 0.5);
    EXPECT_GT(pr.Plot.left(), fm.horizontalAdvance(QStringLiteral("10000 Ft")));
}

TEST_F(CuttTest, RealIgcProfileIsDrawnWhereTheFixesFall)
{
    ASSERT_EQ(OpenTrjFiles(QStringLiteral(ZPH_TESTDATA "/igc/01lz1hq1.igc"), 0), 1);
    TCuttForm F;
    F.resize(1000, 300);
    F.FitView();
    const QImage img = Render(F, QSize(1000, 300));
    if (qEnvironmentVariableIsSet("ZPH_ARTEFACT_DIR")) // for a look by eye, not committed
        img.save(qEnvironmentVariable("ZPH_ARTEFACT_DIR") + QStringLiteral("/profile-01lz1hq1.png"));
    const TCuttProjection pr = F.Projection();
    int total = 0, drawn = 0;
    for (const TRec* R = Trj->First; R; R = R->Next) {
        ++total;
        const QPointF q(pr.TimeToX(R->Time), pr.AltToY(R->Alt));
        drawn += ColourNear(img, q, C(ciAltCurve)) || ColourNear(img, q, C(ciCursor));
    }
    EXPECT_GT(drawn, total * 98 / 100);
}

TEST_F(CuttTest, BothAltitudesCursorAndLiveSegment)
{
    TTrj* T = MakeClimb(200);
    TCuttForm F;
    F.resize(900, 300);
    F.FitView();
    F.DrawCursor(false, nullptr);
    const TCuttProjection pr = F.Projection();
    const TRec* R = T->RecAt(50);
    const QPointF pres(pr.TimeToX(R->Time), pr.AltToY(R->Alt)),
        gps(pr.TimeToX(R->Time), pr.AltToY(R->AltGps));
    QImage img = Render(F);
    EXPECT_TRUE(ColourNear(img, pres, C(ciAltCurve)));
    EXPECT_TRUE(ColourNear(img, gps, C(ciAltGpsCurve)));
    // GPS chosen: the GPS curve is the main one (drawn last, its own colour).
    Opt->Altitude = 1;
    img = Render(F);
    EXPECT_TRUE(ColourNear(img, gps, C(ciAltGpsCurve)));
    EXPECT_TRUE(ColourNear(img, pres, C(ciAltCurve)));
    Opt->Altitude = 0;
    // Cursor: a vertical line at the fix's time.
    F.DrawCursor(true, T->RecAt(120));
    img = Render(F);
    const double xc = pr.TimeToX(T->RecAt(120)->Time);
    EXPECT_TRUE(ColourNear(img, QPointF(xc, pr.Plot.top() + 5), C(ciCursor)));
    EXPECT_TRUE(ColourNear(img, QPointF(xc, pr.Plot.bottom() - 5), C(ciCursor)));
    // Live segment from LiveRec to the end.
    T->LiveRec = T->RecAt(150);
    const TRec* L = T->RecAt(170);
    const QPointF live(pr.TimeToX(L->Time), pr.AltToY(L->Alt));
    EXPECT_FALSE(ColourNear(Render(F), live, C(ciLive)));
    F.DrawSecTrj();
    EXPECT_TRUE(ColourNear(Render(F), live, C(ciLive)));
    // A trace closed behind the view's back leaves no cursor.
    CloseAllTrj();
    img = Render(F);
    EXPECT_FALSE(ColourNear(img, QPointF(xc, 150), C(ciCursor), 3));
}

TEST_F(CuttTest, MouseSelectsZoomsAndPans)
{
    TTrj* T = MakeClimb(600);
    TCuttForm F;
    F.resize(900, 300);
    F.FitView();
    QSignalSpy spy(&F, &TCuttForm::currentFixChanged);
    const TCuttProjection pr = F.Projection();
    const TRec* target = T->RecAt(321);
    QTest::mouseClick(&F, Qt::LeftButton, Qt::NoModifier, QPoint(qRound(pr.TimeToX(target->Time)), 100));
    EXPECT_NEAR(T->CurRec->Time, target->Time, 100);
    EXPECT_EQ(spy.count(), 1);

    // Wheel: zoom in around the mouse's time.
    const int x = 300;
    const int32 t = pr.XToTime(x);
    const int32 span = T->ViewTimeMax - T->ViewTimeMin;
    QWheelEvent wheel(QPointF(x, 100), F.mapToGlobal(QPointF(x, 100)), QPoint(), QPoint(0, 120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(&F, &wheel);
    EXPECT_NEAR(T->ViewTimeMax - T->ViewTimeMin, span / 1.25, 2);
    EXPECT_NEAR(F.Projection().XToTime(x), t, 100);

    // Drag right: earlier times come into view; no fix is selected.
    const int32 before = T->ViewTimeMin;
    const TRec* cur = T->CurRec;
    QTest::mousePress(&F, Qt::LeftButton, Qt::NoModifier, QPoint(400, 100));
    QMouseEvent move(QEvent::MouseMove, QPointF(500, 100), QPointF(500, 100), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(&F, &move);
    QTest::mouseRelease(&F, Qt::LeftButton, Qt::NoModifier, QPoint(500, 100));
    EXPECT_LT(T->ViewTimeMin, before);
    EXPECT_EQ(T->CurRec, cur);

    // Keys: + / - zoom, Right steps to the next fix (no plan view here).
    const int32 s2 = T->ViewTimeMax - T->ViewTimeMin;
    QTest::keyClick(&F, Qt::Key_Plus);
    EXPECT_NEAR(T->ViewTimeMax - T->ViewTimeMin, s2 / 1.5, 2);
    const TRec* next = T->CurRec->Next;
    QTest::keyClick(&F, Qt::Key_Right);
    EXPECT_EQ(T->CurRec, next);
}

TEST_F(CuttTest, BothViewsFollowTheCurrentFix)
{
    TTrj* T = MakeClimb(100);
    TPlanForm P;
    TCuttForm F;
    ASSERT_EQ(PlanForm, &P);
    ASSERT_EQ(CuttForm, &F);
    P.resize(600, 400);
    F.resize(600, 200);
    P.Ajuste(0);
    F.FitView();
    // A key in the profile steps through the plan view, which moves both cursors.
    QSignalSpy planSpy(&P, &TPlanForm::currentFixChanged);
    QTest::keyClick(&F, Qt::Key_End);
    EXPECT_EQ(T->CurRec, T->Last);
    EXPECT_EQ(planSpy.count(), 1);
    const TCuttProjection pr = F.Projection();
    const QImage img = Render(F, QSize(600, 200));
    EXPECT_TRUE(ColourNear(img, QPointF(pr.TimeToX(T->Last->Time), pr.Plot.top() + 3), C(ciCursor)));
}

} // namespace
