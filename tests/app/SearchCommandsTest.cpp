// The main window's circuit search and turn-point commands.
#include "app/LangSearch.h"
#include "app/Langage.h"
#include "app/Main.h"
#include "app/Plan.h"
#include "dialogs/CalcStn.h"
#include "dialogs/EditTrn.h"
#include "files/RecFile.h"
#include "model/Options.h"
#include "platform/Msg.h"
#include "platform/ProgramDir.h"
#include "support/ProgramFixture.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QTableView>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

class SearchCommands : public ProgramFixture
{
protected:
    void SetUp() override
    {
        ProgramFixture::SetUp();
        StartProgram(QString(), 1000, 700);
    }
};

} // namespace

TEST_F(SearchCommands, SearchWindowOpensInWaypointModeAndFollowsTheLanguage)
{
    ASSERT_TRUE(OpenSwpFile(QStringLiteral(ZPH_TESTDATA "/waypoints/euregio9.cup")));
    ASSERT_EQ(OpenTrjFiles(QStringLiteral(ZPH_TESTDATA "/igc/2016-11-08-xcs-aaa-02.igc"), 0), 1);
    ASSERT_TRUE(TrjMode);
    ASSERT_NE(StnCalc, nullptr);
    MainForm->RechercheCirc->trigger();
    EXPECT_TRUE(StnCalc->isVisible());
    EXPECT_FALSE(TrjMode);
    EXPECT_TRUE(WptMode);
    EXPECT_TRUE(LangStnCalc(*StnCalc).isEmpty());
    Language = 1;
    SetFrenchTexts();
    EXPECT_EQ(StnCalc->windowTitle(), "Turn point search");
    EXPECT_EQ(StnCalc->MsgFound, "%1 circuit(s) found.");

    // The radius row feeds the plan view's cylinders.
    StnCalc->StnGrid->setCurrentIndex(StnCalc->Grid->index(0, 1));
    Swp->SelWpt = Swp->First;
    StnCalc->DefiniExecute();
    StnCalc->Grid->setData(StnCalc->Grid->index(1, 1), QStringLiteral("15"), Qt::EditRole);
    ASSERT_TRUE(PlanForm->StnSearchRadii);
    EXPECT_EQ(PlanForm->StnSearchRadii(), (std::vector<double>{15000, 15000}));
    StnCalc->close();
    EXPECT_TRUE(PlanForm->StnSearchRadii().empty());

    // Opening it again from hidden clears the criteria.
    MainForm->RechercheCirc->trigger();
    EXPECT_EQ(StnCalc->Grid->Text(0, 1), "");
    EXPECT_EQ(StnCalc->Grid->Text(1, 1), "0");
}

TEST_F(SearchCommands, TurnPointCommands)
{
    EXPECT_FALSE(MainForm->PtTrajEnVir->isEnabled());
    ASSERT_EQ(OpenTrjFiles(QStringLiteral(ZPH_TESTDATA "/igc/2016-11-08-xcs-aaa-02.igc"), 0), 1);
    MainForm->UpdateActions();
    ASSERT_TRUE(MainForm->PtTrajEnVir->isEnabled());
    // The modal editor: its texts assigned, then OK.
    QString caption;
    QTimer::singleShot(0, [&] {
        auto* f = qobject_cast<TTrnEdit*>(QApplication::activeModalWidget());
        ASSERT_NE(f, nullptr);
        caption = f->windowTitle();
        f->NameEdit->setText("HERE");
        f->OKBtnClick();
    });
    MainForm->PtTrajEnVir->trigger();
    EXPECT_EQ(caption, "Création point de virage");
    ASSERT_EQ(Stn->Count, 1);
    EXPECT_EQ(Stn->First->Name, "HERE");

    // The edit submenu lists the turn points; Cancel changes nothing.
    emit MainForm->EditePtVir->aboutToShow();
    ASSERT_EQ(MainForm->EditePtVir->actions().size(), 1);
    QTimer::singleShot(0, [&] {
        auto* f = qobject_cast<TTrnEdit*>(QApplication::activeModalWidget());
        ASSERT_NE(f, nullptr);
        caption = f->windowTitle();
        EXPECT_TRUE(LangTrnEdit(*f).isEmpty());
        f->NameEdit->setText("CHANGED");
        f->reject();
    });
    MainForm->EditePtVir->actions().front()->trigger();
    EXPECT_EQ(caption, "Edition point de virage 0");
    EXPECT_EQ(Stn->First->Name, "HERE");
}
