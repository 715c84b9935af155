// The explorer from the main window: a flight of the last trace's folder opened with the
// folder's task (Windows-1252), the task cleared through the main window's command first.
#include "app/Main.h"
#include "dialogs/ExplDir.h"
#include "files/TaskFile.h"
#include "model/Options.h"
#include "platform/Msg.h"
#include "support/Fixtures.h"
#include "support/ModalScript.h"

#include <QAction>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

TEST(ExplorerCommand, FlightOpenedWithTheFolderTask)
{
    ModelDone();
    Msg::SetHeadless(true);
    StartZephalon(QString());
    QTemporaryDir dir;
    Opt->FichTrajectoire = dir.filePath(QStringLiteral("Day1.IGC"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(ZPH_TESTDATA "/igc/27GLQKF3.igc"), Opt->FichTrajectoire));
    WriteAll(TaskFileName(dir.path()),
             QStringLiteral("[Départ]\r\nWayPoint=A\r\n[Arrivée]\r\nWayPoint=a\r\n").toLatin1());
    Swp = new TSwp;
    auto w = std::make_unique<TWpt>();
    w->Name = QStringLiteral("A");
    Swp->AddWpt(w);

    ModalScript script;
    script.Then<TDirExplor>([](TDirExplor& F) {
        QTRY_VERIFY(!F.Reading());
        F.ExpGrid->setCurrentCell(0, 1);
        F.OpenTrjBtn->click();
        F.CloseBtn->click();
    });
    script.Start();
    MainForm->ExplorDir->trigger();
    EXPECT_TRUE(script.Done());
    EXPECT_TRUE(Stn && Stn->Count == 2);
    DestroyForms();
    ModelDone();
}
