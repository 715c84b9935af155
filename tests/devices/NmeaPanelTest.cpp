// The live NMEA window's status panel: its three lines show whole, in both languages, at the
// width the window is given beside the main window.
#include "app/Langage.h"
#include "devices/Nmea.h"
#include "support/Fixtures.h"

#include <QLabel>
#include <QLayout>
#include <gtest/gtest.h>

namespace {
class NmeaPanel : public FreshModel
{
protected:
    void TearDown() override
    {
        Language = 0;
        FreshModel::TearDown();
    }
};
} // namespace

TEST_F(NmeaPanel, ThreeLinesShowWholeInBothLanguages)
{
    for (int lang : {0, 1}) {
        SCOPED_TRACE(lang);
        Language = lang;
        TNmeaForm f;
        EXPECT_TRUE(LangNmeaForm(f).isEmpty());
        f.setGeometry(QRect(900, 0, 360, 700));
        f.show();
        const TNmeaTexts& t = f.MsgTexts;
        for (const QString& first :
             {t.Reading, t.BadRmc, t.NoRmc, t.NoData, QStringLiteral("A:   23/03/94   12:35:19")}) {
            f.Session.InfoL1 = first;
            f.Session.InfoL2 = QStringLiteral("N45°30.5000'   E006°15.0000'");
            f.Session.InfoL3 = QStringLiteral("123kts     270°     1500ft");
            f.Session.OnInfo();
            f.layout()->activate();
            f.Info->layout()->activate();
            for (QLabel* l : {f.InfoL1, f.InfoL2, f.InfoL3}) {
                SCOPED_TRACE(l->objectName().toStdString() + " " + l->text().toStdString());
                EXPECT_GE(l->height(), l->fontMetrics().height());
                EXPECT_GE(l->width(), l->fontMetrics().horizontalAdvance(l->text()));
                EXPECT_TRUE(f.Info->contentsRect().contains(l->geometry()));
            }
            EXPECT_TRUE(f.rect().contains(f.Info->geometry()));
        }
    }
}
