// Where the main window and the live receiver window go: with their frames and title bars on
// the screen that holds them, at every screen size from 1024 x 768.
#include "app/Langage.h"
#include "app/Shell.h"
#include "devices/Nmea.h"
#include "support/Fixtures.h"

#include <gtest/gtest.h>

namespace {

class WindowPlacement : public FreshModel
{
protected:
    void TearDown() override
    {
        Language = 0;
        FreshModel::TearDown();
    }
};

// The receiver window's minimum size, the larger of the two languages.
QSize NmeaMinimum()
{
    QSize m;
    for (int lang : {0, 1}) {
        Language = lang;
        TNmeaForm f;
        LangNmeaForm(f);
        m = m.expandedTo(f.minimumSizeHint());
    }
    Language = 0;
    return m;
}

} // namespace

TEST_F(WindowPlacement, BothWindowsAndTheirTitleBarsStayOnTheScreen)
{
    const QSize nmeaMin = NmeaMinimum();
    ASSERT_TRUE(nmeaMin.isValid());
    const QSize mainMin(600, 400);
    // Screens as their available areas (a panel at the top or the bottom, a second screen to
    // the right or above the first).
    const QRect screens[] = {
        QRect(0, 0, 1024, 768),    QRect(0, 27, 1024, 741),   QRect(0, 0, 1280, 800),
        QRect(0, 0, 1600, 1000),   QRect(0, 0, 1600, 960),    QRect(0, 0, 1920, 1040),
        QRect(1920, 0, 1024, 768), QRect(0, -768, 1366, 740), QRect(2560, 30, 2560, 1410)};
    const QMargins frames[] = {QMargins(), QMargins(1, 20, 1, 1), QMargins(4, 30, 4, 4),
                               QMargins(10, 37, 10, 10)};
    for (const QRect& a : screens)
        for (const QMargins& m : frames) {
            SCOPED_TRACE(::testing::Message() << a.x() << "," << a.y() << " " << a.width() << "x"
                                              << a.height() << " frame top " << m.top());
            const TNmeaLayout l = ComputeNmeaLayout(a, NmeaPanelWidth, m, m, mainMin, nmeaMin);
            const QRect mainFrame = l.Main.marginsAdded(m), nmeaFrame = l.Nmea.marginsAdded(m);
            EXPECT_TRUE(a.contains(mainFrame)) << mainFrame.top() << " " << mainFrame.bottom();
            EXPECT_TRUE(a.contains(nmeaFrame)) << nmeaFrame.top() << " " << nmeaFrame.bottom();
            EXPECT_GE(l.Nmea.width(), nmeaMin.width());
            EXPECT_GE(l.Nmea.height(), nmeaMin.height());
            EXPECT_GE(l.Main.width(), mainMin.width());
            EXPECT_GE(l.Main.height(), mainMin.height());
            EXPECT_FALSE(mainFrame.intersects(nmeaFrame)) << "side by side";
            EXPECT_GE(l.Nmea.width(), NmeaPanelWidth);
        }
    // A minimum wider than the screen leaves: the windows overlap, each still on the screen.
    const TNmeaLayout tight =
        ComputeNmeaLayout(QRect(0, 0, 1024, 768), 360, {}, {}, QSize(900, 400), QSize(300, 300));
    EXPECT_EQ(tight.Main, QRect(0, 0, 900, 768));
    EXPECT_EQ(tight.Nmea, QRect(664, 0, 360, 768));
}

TEST(KeepOnScreen, TitleBarAndEdgesComeBackOnTheScreen)
{
    const QRect a(0, 0, 1024, 768);
    const QMargins m(4, 30, 4, 4);
    const struct
    {
        QRect in, out;
    } table[] = {
        {QRect(100, 100, 600, 400), QRect(100, 100, 600, 400)}, // already there
        {QRect(100, 0, 600, 400), QRect(100, 30, 600, 400)},    // title bar above the screen
        {QRect(-50, -20, 600, 400), QRect(4, 30, 600, 400)},
        {QRect(800, 600, 600, 400), QRect(420, 364, 600, 400)}, // past the bottom right corner
        {QRect(0, 0, 1600, 1000), QRect(4, 30, 1016, 734)},     // larger than the screen
    };
    for (const auto& row : table)
        EXPECT_EQ(KeepOnScreen(row.in, m, a), row.out) << row.in.x() << "," << row.in.y();
    // A minimum larger than the screen keeps the title bar and the left edge on it.
    EXPECT_EQ(KeepOnScreen(QRect(0, 0, 1600, 1000), m, a, QSize(1100, 800)), QRect(4, 30, 1100, 800));
}
