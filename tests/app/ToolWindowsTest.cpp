// Windows kept above the main window: what they open comes above them, and their own
// mnemonics act on their own buttons before the main window's menu takes the key.
#include "app/Main.h"
#include "dialogs/CalcStn.h"
#include "dialogs/ExplDir.h"
#include "dialogs/Info.h"
#include "dialogs/InfoPrgs.h"
#include "dialogs/SelSort.h"
#include "devices/Garmin.h"
#include "devices/Logger.h"
#include "devices/Magellan.h"
#include "devices/Mlr.h"
#include "devices/Nmea.h"
#include "support/ModalScript.h"
#include "support/ProgramFixture.h"

#include <QAction>
#include <QApplication>
#include <QMenuBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QTimer>
#include <QWindow>

namespace {

class ToolWindows : public ProgramFixture
{
protected:
    void SetUp() override
    {
        ProgramFixture::SetUp();
        StartProgram(QString(), 1000, 700);
        ASSERT_TRUE(OpenSwpFile(QStringLiteral(ZPH_TESTDATA "/waypoints/euregio9.dat")));
        Msg::SetHeadless(false); // the real message windows
    }
    void TearDown() override
    {
        Msg::SetHeadless(true);
        ProgramFixture::TearDown();
    }
    static void OpenSearch()
    {
        MainForm->RechercheCirc->trigger();
        Activate();
    }
    // The window system gives the activation back to the search window when a box over it
    // closes; the offscreen platform does not: the test does as the pilot's click would.
    static void Activate()
    {
        StnCalc->activateWindow();
        ASSERT_TRUE(QTest::qWaitFor([] { return QApplication::activeWindow() == StnCalc; }, 2000));
    }
    // Start and finish fixed: a search of a few hundred milliseconds and no question.
    static void FixStartAndFinish()
    {
        StnCalc->StnGrid->setCurrentIndex(StnCalc->Grid->index(0, 1));
        Swp->SelWpt = Swp->First;
        StnCalc->DefiniExecute();
        Swp->SelWpt = nullptr;
    }
};

// Child opened by Opener: shown, owned by the opener's window (so the window system keeps it
// above), and neither of them above every window.
void ExpectAbove(QWidget& Child, QWidget* Opener, const char* What)
{
    SCOPED_TRACE(What);
    EXPECT_TRUE(Child.isVisible());
    ASSERT_NE(Child.parentWidget(), nullptr);
    EXPECT_EQ(Child.parentWidget()->window(), Opener);
    EXPECT_FALSE(Child.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(Opener->windowFlags() & Qt::WindowStaysOnTopHint);
    ASSERT_NE(Child.windowHandle(), nullptr);
    EXPECT_EQ(Child.windowHandle()->transientParent(), Opener->windowHandle());
}

} // namespace

TEST_F(ToolWindows, WhatTheSearchWindowOpensComesAboveIt)
{
    OpenSearch();
    EXPECT_EQ(StnCalc->windowType(), Qt::Tool);
    EXPECT_EQ(StnCalc->parentWidget(), MainForm);
    EXPECT_FALSE(StnCalc->windowFlags() & Qt::WindowStaysOnTopHint);

    int checked = 0;
    ModalScript script;
    // "Un way-point doit être sélectionné" from Définir, the question before a long search (No),
    // the sort choice (Cancel).
    script
        .Then<TInfoForm>([&](TInfoForm& f) {
            ExpectAbove(f, StnCalc, "message");
            ++checked;
            f.OKBtn->click();
        })
        .Then<TInfoForm>([&](TInfoForm& f) {
            ExpectAbove(f, StnCalc, "question");
            ++checked;
            f.reject();
        })
        .Then<TSortSel>([&](TSortSel& f) {
            ExpectAbove(f, StnCalc, "sort choice");
            ++checked;
            f.reject();
        });
    script.Start();
    StnCalc->StnGrid->setCurrentIndex(StnCalc->Grid->index(0, 1));
    StnCalc->DefiniExecute();
    Activate();
    StnCalc->CalcBtnClick();
    EXPECT_FALSE(StnCalc->Running());
    Activate();
    StnCalc->SortBtnClick();
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(checked, 3);

    // The progress window of a search.
    FixStartAndFinish();
    StnCalc->CalcBtnClick();
    ASSERT_TRUE(StnCalc->Running());
    ASSERT_NE(InfoPrgsForm, nullptr);
    ExpectAbove(*InfoPrgsForm, StnCalc, "progress");
    ASSERT_TRUE(QTest::qWaitFor([] { return !StnCalc->Running(); }, 60000));
}

TEST_F(ToolWindows, WhatTheExplorerOpensComesAboveIt)
{
    int checked = 0;
    ModalScript script;
    script
        .Then<TDirExplor>([&](TDirExplor& e) {
            // Whatever happens, the explorer closes (its modal loop would hold the test).
            QTimer::singleShot(20000, &e, [&e] { e.reject(); });
            EXPECT_FALSE(e.windowFlags() & Qt::WindowStaysOnTopHint);
            EXPECT_EQ(e.parentWidget(), MainForm);
            // Alt+T: the sort window "Tri", then a message, both above the explorer.
            e.activateWindow();
            ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &e; }, 5000));
            QTest::keyClick(&e, Qt::Key_T, Qt::AltModifier);
            MessageDlg(QStringLiteral("?"), TMsgType::Information, mbOK);
        })
        .Then<TSortSel>([&](TSortSel& f) {
            ExpectAbove(f, DirExplor, "sort choice");
            ++checked;
            f.reject();
        })
        .Then<TInfoForm>([&](TInfoForm& f) {
            ExpectAbove(f, DirExplor, "message");
            ++checked;
            f.OKBtn->click();
        })
        .Then<TDirExplor>([](TDirExplor& e) { e.reject(); });
    script.Start();
    MainForm->ExplorDir->trigger();
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(checked, 2);
}

TEST_F(ToolWindows, SearchWindowMnemonicsActOnItsOwnButtons)
{
    // The main window's menu has "&Circuit" and "&Fichier" on the same letters as the search
    // window's "&Calculer" and "&Fermer".
    OpenSearch();
    FixStartAndFinish();
    StnCalc->NbVirEdit->setFocus();
    ASSERT_TRUE(StnCalc->NbVirEdit->hasFocus());
    QTest::keyClick(StnCalc->NbVirEdit, Qt::Key_C, Qt::AltModifier);
    EXPECT_TRUE(StnCalc->Running() || !StnCalc->Grid->Rows.empty()) << "Alt+C started no search";
    EXPECT_EQ(StnCalc->NbVirEdit->value(), 2);
    EXPECT_FALSE(MainForm->menuBar()->activeAction());
    ASSERT_TRUE(QTest::qWaitFor([] { return !StnCalc->Running(); }, 60000));
    EXPECT_FALSE(StnCalc->Grid->Rows.empty());

    Activate();
    QTest::keyClick(StnCalc->StnGrid, Qt::Key_F, Qt::AltModifier);
    EXPECT_FALSE(StnCalc->isVisible()) << "Alt+F did not close the window";
    EXPECT_FALSE(MainForm->menuBar()->activeAction());
}

TEST_F(ToolWindows, NoDialogStaysAboveEveryWindow)
{
    // Only the modeless message window of a link in trouble stays above everything: it must be
    // seen over the modal device window that reports it.
    std::vector<std::unique_ptr<QWidget>> made;
    made.emplace_back(new TGarminForm(MainForm));
    made.emplace_back(new TMlrForm(MainForm));
    made.emplace_back(new TMagellanForm(MainForm));
    made.emplace_back(new TLoggForm(MainForm));
    made.emplace_back(new TNmeaForm(MainForm));
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (qobject_cast<TInfoForm*>(w)) continue;
        SCOPED_TRACE(w->objectName().toStdString());
        EXPECT_FALSE(w->windowFlags() & Qt::WindowStaysOnTopHint);
    }
}
