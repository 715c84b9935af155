// The main window's map commands: the chooser and its companions created at start-up, their
// texts in both languages, the calibration window's place and the plan fitted to the chosen map.
#include "app/LangMaps.h"
#include "app/Langage.h"
#include "app/Main.h"
#include "app/Plan.h"
#include "dialogs/Editpos.h"
#include "dialogs/Help.h"
#include "dialogs/Inimap.h"
#include "dialogs/Reachmap.h"
#include "files/MapCal.h"
#include "files/MapList.h"
#include "model/Options.h"
#include "platform/Msg.h"
#include "platform/ProgramDir.h"
#include "support/ModalScript.h"
#include "support/ProgramFixture.h"

#include <QAction>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using MapCommands = ProgramFixture;

TEST_F(MapCommands, WindowsTextsPlacementAndTheChosenMapFitted)
{
    StartProgram();

    ASSERT_TRUE(ReachMapForm && IniMapForm && PosEdit && HelpForm);
    EXPECT_TRUE((LangReachMapForm(*ReachMapForm) + LangIniMapForm(*IniMapForm) + LangPosEdit(*PosEdit) +
                 LangHelpForm(*HelpForm) + LangMainForm(*MainForm))
                    .isEmpty());
    Language = 1;
    SetFrenchTexts();
    EXPECT_EQ(ReachMapForm->AddBtn->text(), QStringLiteral("&Add"));
    EXPECT_EQ(MainForm->InstalleCarte->text(), QStringLiteral("&Install maps..."));
    EXPECT_EQ(IniMapForm->HelpWindow->windowTitle(), QStringLiteral("Zephalon help"));
    Language = 0;
    SetFrenchTexts();
    EXPECT_EQ(PosEdit->windowTitle(), QStringLiteral("Entrée position"));

    const QRect place = TReachMapForm::CalibrationPlace();
    const QRect client = MainForm->ClientRect();
    EXPECT_EQ(place, client.adjusted(0, 0, 0, -MainForm->StatusBar->height()));

    QTemporaryDir dir;
    const QString image = dir.filePath(QStringLiteral("Vosges.jpg"));
    QImage img(200, 100, QImage::Format_RGB32);
    img.fill(Qt::darkGreen);
    ASSERT_TRUE(img.save(image));
    TMap m;
    m.Pos[0] = {0, 0, 4900000, 600000, true};
    m.Pos[1] = {199, 0, 4900000, 800000, true};
    m.Pos[2] = {0, 99, 4800000, 600000, true};
    m.Pos[3] = {199, 99, 4800000, 800000, true};
    ASSERT_TRUE(SaveMapCal(MapCalFileName(image), m, QString(), 200, 100));
    ASSERT_TRUE(TMapCatalog().Write(QStringLiteral("Vosges"), image));

    QStringList captions;
    ModalScript script;
    script
        .Then<TReachMapForm>([&](TReachMapForm& f) {
            captions << f.windowTitle();
            QTest::keyClicks(f.Edit, QStringLiteral("v"));
            f.OKBtnClick();
        })
        .Then<TReachMapForm>([&](TReachMapForm& f) {
            captions << f.windowTitle();
            f.ExitBtn->click();
        });
    script.Start();
    MainForm->SelectionCarte->trigger();
    EXPECT_TRUE(Map->Valid);
    EXPECT_EQ(Opt->FichFondCarte, QStringLiteral("Vosges"));
    EXPECT_NEAR(PlanForm->CtrLati, 4850000, 1000);
    EXPECT_NEAR(PlanForm->CtrLong, 700000, 1000);
    MainForm->InstalleCarte->trigger();
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(captions, (QStringList{"Sélection carte de fond []", "Installation carte de fond"}));
}
