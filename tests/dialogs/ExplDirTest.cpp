// The flight-file explorer on real folders: the grid and its summaries, sorting, opening, the
// folder's task file; and the folder picker.
#include "dialogs/ExplDir.h"
#include "dialogs/SelSort.h"
#include "files/RecFile.h"
#include "files/TaskFile.h"
#include "files/TrjFileInfo.h"
#include "model/Options.h"
#include "support/Fixtures.h"
#include "support/ModelBits.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

const QString IgcDir = QStringLiteral(ZPH_TESTDATA "/igc/");

class Explorer : public FreshModel
{
protected:
    void SetUp() override
    {
        FreshModel::SetUp();
        // Real flights with mixed-case names, junk, an empty file, a sub-folder.
        for (auto [src, dst] : {std::pair{"27GLQKF3.igc", "b_Flight.IGC"},
                                {"01lz1hq1.igc", "A_flight.igc"},
                                {"2016-11-08-xcs-aaa-02.igc", "c_Xcs.Igc"}})
            ASSERT_TRUE(QFile::copy(IgcDir + QLatin1String(src), fDir.filePath(QLatin1String(dst))));
        Put(QStringLiteral("junk.igc"), QByteArray(3000, '\x07'));
        Put(QStringLiteral("empty.zph"), {});
        Put(QStringLiteral("notes.txt"), "x");
        QDir(fDir.path()).mkdir(QStringLiteral("sub.igc"));
        F = std::make_unique<TDirExplor>();
    }
    void TearDown() override
    {
        F.reset();
        FreshModel::TearDown();
    }
    void Put(const QString& Name, const QByteArray& Bytes) { WriteAll(fDir.filePath(Name), Bytes); }
    void Show()
    {
        F->SetFolder(fDir.path());
        QTRY_VERIFY_WITH_TIMEOUT(!F->Reading(), 10000);
    }
    QString Cell(int Row, int Col) const
    {
        const QTableWidgetItem* it = F->ExpGrid->item(Row, Col);
        return it ? it->text() : QString();
    }
    QStringList Column(int Col) const
    {
        QStringList r;
        for (int row = 0; row < F->ExpGrid->rowCount(); ++row) r << Cell(row, Col);
        return r;
    }
    void PutTask()
    {
        // A waypoint set with the names of the task, saved, and a task file naming it.
        TSwp s;
        for (const char* n : {"AAA", "BBB"}) AddWpt(s, QLatin1String(n));
        QString err;
        ASSERT_TRUE(WriteSwpFile(s, fWpt.filePath(QStringLiteral("w.zph")), err));
        Put(QStringLiteral("task.zpt"),
            "[Général]\nFichWayPoints=" + fWpt.filePath(QStringLiteral("w.zph")).toUtf8() +
                "\n[Départ]\nWayPoint=aaa\n[Arrivée]\nWayPoint=bbb\n");
    }
    QTemporaryDir fDir, fWpt;
    std::unique_ptr<TDirExplor> F;
};

} // namespace

TEST_F(Explorer, GridOfRealFlightsAndTheCache)
{
    Show();
    // Names as they are on disk: on Linux the case is part of the name.
    EXPECT_EQ(Column(1), (QStringList{"A_flight.igc", "b_Flight.IGC", "c_Xcs.Igc", "empty.zph", "junk.igc"}));
    for (int row = 0; row <= 2; ++row) {
        TTrjFileInfo info;
        ASSERT_TRUE(ReadTrjFileInfo(fDir.filePath(F->RowFile(row)), 0, info));
        const QStringList want{info.Date,       info.Pilot,    info.GliderId,
                               info.GliderType, info.Duration, info.Distance};
        QStringList got;
        for (int c = 2; c <= 7; ++c) got << Cell(row, c);
        EXPECT_EQ(got, want) << row;
        EXPECT_FALSE(info.Date.isEmpty());
    }
    for (int row : {3, 4})
        for (int c = 2; c <= 7; ++c) EXPECT_TRUE(Cell(row, c).isEmpty());
    EXPECT_EQ(F->RowFile(0), QStringLiteral("A_flight.igc"));
    EXPECT_EQ(F->Cache().Count(), 5);

    // Unchanged files come from the cache: nothing to read.
    F->RefreshBtnClick();
    EXPECT_FALSE(F->Reading());
    EXPECT_FALSE(Cell(2, 3).isEmpty());
    // The waypoint mask takes every file; an empty folder shows one empty row.
    F->SwpRdoBtn->setChecked(true);
    QTRY_VERIFY_WITH_TIMEOUT(!F->Reading(), 10000);
    EXPECT_EQ(F->ExpGrid->rowCount(), 6);
    QTemporaryDir empty;
    F->SetFolder(empty.path());
    EXPECT_EQ(F->ExpGrid->rowCount(), 1);
    EXPECT_TRUE(F->RowFile(0).isEmpty());
    F->ExpGrid->setCurrentCell(0, 1);
    F->OpenTrjBtnClick();
    EXPECT_EQ(Trj, nullptr);
    // A folder that is gone: one message, an empty grid.
    F->SetFolder(fDir.filePath(QStringLiteral("gone")));
    EXPECT_EQ(Msg::Log().size(), 1);
    EXPECT_EQ(F->ExpGrid->rowCount(), 1);
}

TEST_F(Explorer, SortKeysTitleClicksAndTheSortWindow)
{
    EXPECT_EQ(ExplSortKey(7, QStringLiteral("12.5")), 12.5);
    EXPECT_EQ(ExplSortKey(7, QStringLiteral("12,5")), -1);
    EXPECT_EQ(ExplSortKey(7, QStringLiteral("1,234")), -1);
    EXPECT_EQ(ExplSortKey(6, QStringLiteral("3h05")), 185);
    EXPECT_LT(ExplSortKey(2, QStringLiteral("31/12/99")), ExplSortKey(2, QStringLiteral("01/01/00")));
    EXPECT_EQ(ExplSortOrder(7, {"9.5", "100.0", "abc", "9.5"}, false), (std::vector<uint32_t>{2, 0, 3, 1}));
    EXPECT_EQ(ExplSortOrder(7, {"9.5", "100.0", "abc", "9.5"}, true), (std::vector<uint32_t>{1, 0, 3, 2}));

    Show();
    F->resize(900, 500);
    F->show();
    auto* header = F->ExpGrid->horizontalHeader();
    auto click = [&](int Col, Qt::KeyboardModifiers M) {
        QTest::mouseClick(header->viewport(), Qt::LeftButton, M,
                          QPoint(header->sectionViewportPosition(Col) + header->sectionSize(Col) / 2,
                                 header->height() / 2));
    };
    click(1, Qt::NoModifier);
    EXPECT_EQ(F->ExpGrid->horizontalHeaderItem(1)->text(), QStringLiteral("<Fichier"));
    click(1, Qt::NoModifier);
    EXPECT_EQ(F->ExpGrid->horizontalHeaderItem(1)->text(), QStringLiteral(">Fichier"));
    EXPECT_EQ(Column(1).first(), QStringLiteral("junk.igc"));
    EXPECT_EQ(Column(0), (QStringList{"0", "1", "2", "3", "4"}));
    click(7, Qt::ShiftModifier);
    EXPECT_EQ(F->ExpGrid->horizontalHeaderItem(1)->text(), QStringLiteral("Fichier"));
    EXPECT_EQ(F->ExpGrid->horizontalHeaderItem(7)->text(), QStringLiteral(">Distance"));
    std::vector<double> d;
    for (const QString& t : Column(7)) d.push_back(ExplSortKey(7, t));
    EXPECT_TRUE(std::is_sorted(d.rbegin(), d.rend()));
    // The row keeps its real file name when it moves.
    for (int row = 0; row < F->ExpGrid->rowCount(); ++row) EXPECT_EQ(F->RowFile(row), Cell(row, 1));

    TSortSel sel;
    SortSel = &sel;
    QTimer::singleShot(0, &sel, [&] {
        sel.SortBox->setCurrentIndex(1);
        sel.NormSortBtn->click();
    });
    F->SortBtnClick();
    EXPECT_EQ(F->ExpGrid->horizontalHeaderItem(2)->text(), QStringLiteral("<Date"));
    EXPECT_EQ(F->ExpGrid->horizontalHeaderItem(7)->text(), QStringLiteral("Distance"));
}

TEST_F(Explorer, OpeningsAndTheFolderTask)
{
    PutTask();
    Show(); // no trace yet: the waypoints are opened, no task
    ASSERT_TRUE(Swp && Swp->Count == 2);
    F->ExpGrid->setCurrentCell(1, 1);
    F->OpenTrjBtnClick();
    ASSERT_TRUE(Trj && Stn);
    EXPECT_EQ(Stn->Count, 2); // the new trace got the folder's task
    EXPECT_EQ(Stn->First->Name, QStringLiteral("AAA"));

    // A modified task is offered for saving before the task file replaces it; Cancel keeps it.
    Stn->DeleteTrn(Stn->Last);
    Stn->Modified = true;
    Msg::PushAnswer(mrCancel);
    F->RefreshBtnClick();
    EXPECT_EQ(Stn->Count, 1);
    // Without a task file the task stays as it is.
    QFile::remove(TaskFileName(fDir.path()));
    F->RefreshBtnClick();
    EXPECT_EQ(Stn->Count, 1);

    // With "Affecte circuit courant" the trace takes the current task file.
    QString err;
    const QString own = fWpt.filePath(QStringLiteral("own.zph"));
    ASSERT_TRUE(WriteStnFile(*Stn, own, false, err)) << err.toStdString();
    Opt->FichCircuit = own;
    F->OpenTrnBtn->setChecked(true);
    F->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(F.get()));
    TTrj* before = Trj;
    const QRect cell = F->ExpGrid->visualItemRect(F->ExpGrid->item(0, 1));
    QTest::mouseClick(F->ExpGrid->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
    QTest::mouseDClick(F->ExpGrid->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
    EXPECT_NE(Trj, before);
    EXPECT_EQ(Stn->Count, 1);
    EXPECT_TRUE(F->OpenTrnBtn->toolTip().contains(own));

    // Double click by choice: the task file needs an open waypoint set.
    F->StnRdoBtn->setChecked(true);
    F->ExpGrid->setCurrentCell(0, 1);
    FreeSwp();
    Msg::ClearLog();
    F->ExpGridDblClick();
    ASSERT_EQ(Msg::Log().size(), 1);
    EXPECT_EQ(Msg::Log()[0].text, QStringLiteral("Un fichier way-points doit être ouvert."));
}

TEST(FolderPicker, FlagsBothWaysAndCancelKeepsTheFolder)
{
    for (TBrowseFlags f = 0; f < 0x80; ++f) EXPECT_EQ(BrowseFlagsFromShell(BrowseFlagsToShell(f)), f);
    EXPECT_EQ(BrowseFlagsToShell(BrowseBit(bf_BrowseForComputer) | BrowseBit(bf_ReturnOnlyFSDIRS)), 0x1001u);
    EXPECT_EQ(BrowseFlagsFromShell(0x24), BrowseBit(bf_statustext));

    QTemporaryDir dir;
    QDir(dir.path()).mkdir(QStringLiteral("Flights"));
    TBrowseForFolder b;
    b.SetFlags(BrowseBit(bf_EditBox));
    b.FolderName = dir.path();
    QString shownStatus;
    TBrowseForFolder::OnShow = [&](QFileDialog& D) {
        shownStatus = D.findChild<QLabel*>(QStringLiteral("StatusText"))->text();
        QTimer::singleShot(0, &D, &QDialog::reject);
    };
    EXPECT_FALSE(b.Execute());
    EXPECT_EQ(b.FolderName, dir.path());
    EXPECT_EQ(shownStatus, QStringLiteral("Choisissez un répertoire"));
    EXPECT_EQ(b.Flags(), BrowseBit(bf_EditBox));
    EXPECT_EQ(b.ShellFlags(), 0x30u);

    TBrowseForFolder::OnShow = [&](QFileDialog& D) {
        QTimer::singleShot(0, &D, [&D, &dir] {
            D.selectFile(dir.filePath(QStringLiteral("Flights")));
            QMetaObject::invokeMethod(&D, "accept");
        });
    };
    EXPECT_TRUE(b.Execute());
    EXPECT_EQ(b.FolderName, dir.filePath(QStringLiteral("Flights")));
    EXPECT_EQ(b.DisplayName, QStringLiteral("Flights"));
    TBrowseForFolder::OnShow = nullptr;
}

TEST_F(Explorer, ShowingAgainReadsOnlyWhatChanged)
{
    PutTask();
    Put(QStringLiteral("task.zpt"),
        "[Général]\nFichWayPoints=" + fWpt.filePath(QStringLiteral("w.zph")).toUtf8() +
            "\n[Départ]\nWayPoint=AAA\n[Virage1]\nWayPoint=ZZZ\n[Arrivée]\nWayPoint=BBB\n");
    Opt->FichTrajectoire = fDir.filePath(QStringLiteral("A_flight.igc"));
    NewTrj();
    F->FormActivate();
    QTRY_VERIFY_WITH_TIMEOUT(!F->Reading(), 10000);
    ASSERT_EQ(Msg::Log().size(), 1); // the unknown waypoint, once
    // Shown again on the same folder, or activated again when a box closes: nothing is read.
    F->FormActivate();
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(F.get(), &activate);
    EXPECT_EQ(Msg::Log().size(), 1);
    EXPECT_FALSE(F->Reading());
    // A new file, or a new current trace, and it is read again.
    Put(QStringLiteral("new.igc"), "x");
    F->FormActivate();
    EXPECT_EQ(Msg::Log().size(), 2);
    EXPECT_EQ(F->ExpGrid->rowCount(), 6);
    F->FormActivate();
    NewTrj();
    F->FormActivate();
    EXPECT_EQ(Msg::Log().size(), 3);
    // Stopping a read keeps the rows with their numbers and names.
    F->StopRead();
    EXPECT_FALSE(F->Reading());
    EXPECT_EQ(Column(1).size(), 6);
}
