// The circuit search window on real waypoint files, with the real worker thread.
#include "dialogs/CalcStn.h"

#include "dialogs/InfoPrgs.h"
#include "files/RecFile.h"
#include "model/ModelUi.h"
#include "model/Options.h"
#include "support/Fixtures.h"
#include "support/ModelBits.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QTest>

namespace {

const QString Euregio = QStringLiteral(ZPH_TESTDATA "/waypoints/euregio9.dat");
const QString Igc = QStringLiteral(ZPH_TESTDATA "/igc/2016-11-08-xcs-aaa-02.igc");

// The model's notices reach the window as the main window passes them on.
class Ui : public IModelUi
{
public:
    QStringList status;
    void ShowStatus(const QString& t) override { status << t; }
    void RefreshViews() override {}
    void ModelChanged() override
    {
        if (StnCalc) StnCalc->ModelChanged();
    }
};

class CalcStnTest : public FreshModel
{
protected:
    void SetUp() override
    {
        FreshModel::SetUp();
        SetModelUi(&ui);
        ASSERT_TRUE(OpenSwpFile(Euregio));
        ASSERT_EQ(Swp->Count, 99);
        w = new TStnCalc;
        w->Open();
        Msg::ClearLog();
    }
    void TearDown() override
    {
        delete w;
        delete InfoPrgsForm;
        SetModelUi(nullptr);
        FreshModel::TearDown();
    }
    void Fix(int Col, TWpt* Wpt, const QString& Radius = QStringLiteral("0"))
    {
        w->StnGrid->setCurrentIndex(w->Grid->index(0, Col));
        Swp->SelWpt = Wpt;
        w->DefiniExecute();
        w->Grid->setData(w->Grid->index(1, Col), Radius, Qt::EditRole);
    }
    QString Cell(int Row, int Col) { return w->Grid->Text(Row, Col); }
    void Search()
    {
        w->CalcBtnClick();
        ASSERT_TRUE(WaitFor([&] { return !w->Running() && !w->Sorting(); }, 60000));
    }

    Ui ui;
    TStnCalc* w = nullptr;
};

} // namespace

TEST_F(CalcStnTest, CriteriaEditingAndPointCount)
{
    EXPECT_EQ(w->Grid->columnCount(), 7);
    EXPECT_EQ(w->Grid->Titles,
              (QStringList{"Tri <>", "Départ", "Point 1", "Point 2", "Arrivée", "Dist", "FAI"}));
    EXPECT_EQ(Cell(0, 0), "Way-pt");
    EXPECT_EQ(Cell(1, 0), "Rayon");

    // Without a selected waypoint: the message, nothing fixed.
    w->StnGrid->setCurrentIndex(w->Grid->index(0, 1));
    w->DefiniExecute();
    ASSERT_EQ(Msg::Log().size(), 1);
    EXPECT_EQ(Msg::Log()[0].text.left(31), "Un way-point doit être sélectio");
    EXPECT_EQ(Cell(0, 1), "");

    TWpt* a = Swp->First;
    Fix(1, a, QStringLiteral("12"));
    EXPECT_EQ(Cell(0, 1), a->Name);
    EXPECT_EQ(Cell(0, 4), a->Name); // the finish follows the start
    EXPECT_EQ(Cell(1, 4), "12");    // so does its radius
    EXPECT_TRUE(w->Efface->isEnabled());

    // Three points: the finish criteria move along, the column before it is cleared.
    Fix(3, a->Next);
    w->NbVirEdit->setValue(3);
    EXPECT_EQ(w->Grid->columnCount(), 8);
    EXPECT_EQ(Cell(0, 5), a->Name);
    EXPECT_EQ(Cell(1, 5), "12");
    EXPECT_EQ(Cell(0, 4), "");
    EXPECT_EQ(Cell(1, 4), "0");
    EXPECT_TRUE(w->TestFaiTri->isEnabled());
    w->TestFaiTri->setChecked(true);
    EXPECT_FALSE(w->DistMinSegEdit->isEnabled());
    EXPECT_TRUE(w->DifFaiDistEdit->isEnabled());
    w->NbVirEdit->setValue(1);
    EXPECT_FALSE(w->TestFaiTri->isEnabled());
    EXPECT_FALSE(w->TestFaiTri->isChecked());
    EXPECT_TRUE(w->DistMinSegEdit->isEnabled());

    // Radius texts that are no whole number count as 0.
    EXPECT_EQ(RadiusOfText(QStringLiteral("25 km")), 25);
    EXPECT_EQ(RadiusOfText(QStringLiteral("x")), 0);
    EXPECT_EQ(RadiusOfText(QString()), 0);

    // Efface clears the current cell.
    w->StnGrid->setCurrentIndex(w->Grid->index(0, 1));
    w->EffaceExecute();
    EXPECT_EQ(Cell(0, 1), "");
    EXPECT_FALSE(w->Efface->isEnabled());
}

TEST_F(CalcStnTest, SearchSelectAndSort)
{
    ASSERT_EQ(OpenTrjFiles(Igc, 0), 1);
    TWpt* home = Swp->First;
    Fix(1, home);
    Search();
    const size_t found = w->Grid->Rows.size();
    ASSERT_GT(found, 10u);
    EXPECT_EQ(InfoPrgsForm->FoundLbl->text(), QStringLiteral("%1 circuit(s) trouvé(s).").arg(found));
    EXPECT_FALSE(InfoPrgsForm->isVisible());
    EXPECT_TRUE(w->CalcBtn->isEnabled());
    for (size_t i = 0; i < found; ++i) {
        const int r = int(i) + 2;
        ASSERT_EQ(Cell(r, 0), QString::number(i + 1));
        ASSERT_EQ(Cell(r, 1), home->Name);
        ASSERT_EQ(Cell(r, 4), home->Name);
        const double d = Cell(r, 5).toDouble();
        ASSERT_EQ(Cell(r, 5).size(), 6);
        ASSERT_GE(d, 299.9);
        ASSERT_LE(d, 350.0);
    }

    // Selecting a row makes it the task, marked modified.
    Stn->Modified = false;
    w->StnGrid->setCurrentIndex(w->Grid->index(2, 2));
    ASSERT_EQ(Stn->Count, 4);
    EXPECT_EQ(Stn->First->Name, Cell(2, 1));
    EXPECT_EQ(Stn->Item(1)->Name, Cell(2, 2));
    EXPECT_EQ(Stn->Item(2)->Name, Cell(2, 3));
    EXPECT_EQ(Stn->Item(2)->Reached, 0);
    EXPECT_TRUE(Stn->Modified);
    EXPECT_TRUE(w->SearchRadii().empty()); // a result row is current

    // Criteria with a gap: the numbers keep it.
    w->StnGrid->setCurrentIndex(w->Grid->index(1, 1));
    ASSERT_EQ(Stn->Count, 2);
    EXPECT_EQ(Stn->First->Num, 0);
    EXPECT_EQ(Stn->Last->Num, 3);
    EXPECT_EQ(w->SearchRadii(), (std::vector<double>{0, 0}));

    // Sort by distance, then descending by the first point's name.
    w->StnCalcSortGrid(5, false);
    ASSERT_TRUE(WaitFor([&] { return !w->Sorting(); }, 10000));
    EXPECT_EQ(w->Grid->Titles[5], "<Dist");
    for (size_t r = 3; r < found + 2; ++r) {
        ASSERT_LE(Cell(int(r) - 1, 5), Cell(int(r), 5));
    }
    w->StnCalcSortGrid(2, true);
    ASSERT_TRUE(WaitFor([&] { return !w->Sorting(); }, 10000));
    EXPECT_EQ(w->Grid->Titles[5], "Dist");
    EXPECT_EQ(w->Grid->Titles[2], ">Point 1");
    for (size_t r = 3; r < found + 2; ++r) {
        ASSERT_GE(Cell(int(r) - 1, 2), Cell(int(r), 2));
        // Equal names keep the distance order.
        if (Cell(int(r) - 1, 2) == Cell(int(r), 2)) {
            ASSERT_LE(Cell(int(r) - 1, 5), Cell(int(r), 5));
        }
        ASSERT_EQ(Cell(int(r), 0), QString::number(r - 1));
    }
    // A new search applies the marked order, and clearing the old rows leaves the task alone.
    w->StnGrid->setCurrentIndex(w->Grid->index(3, 1));
    ASSERT_EQ(Stn->Count, 4);
    Search();
    EXPECT_EQ(Stn->Count, 4);
    for (size_t r = 3; r < w->Grid->Rows.size() + 2; ++r) {
        ASSERT_GE(Cell(int(r) - 1, 2), Cell(int(r), 2));
    }
}

TEST_F(CalcStnTest, NoTraceChangesNothing)
{
    Fix(1, Swp->First);
    Search();
    ASSERT_FALSE(w->Grid->Rows.empty());
    ui.status.clear();
    w->StnGrid->setCurrentIndex(w->Grid->index(2, 1));
    EXPECT_EQ(Stn, nullptr);
    EXPECT_TRUE(ui.status.contains("Aucune trajectoire n'est ouverte pour recevoir le circuit."));
}

TEST_F(CalcStnTest, StopAndSetReplacedMidSearch)
{
    // Four free positions: asked first.
    w->DistMinSegEdit->setValue(0);
    Msg::PushAnswer(mrNo);
    w->CalcBtnClick();
    EXPECT_FALSE(w->Running());
    ASSERT_EQ(Msg::Log().size(), 1);
    EXPECT_TRUE(Msg::Log()[0].text.contains("trop long"));

    Msg::PushAnswer(mrYes);
    w->CalcBtnClick();
    ASSERT_TRUE(w->Running());
    EXPECT_FALSE(w->CalcBtn->isEnabled());
    EXPECT_FALSE(w->NbVirEdit->isEnabled());
    EXPECT_TRUE(InfoPrgsForm->ProgressBar->isVisible());
    ASSERT_TRUE(WaitFor([&] { return w->Grid->Rows.size() > 0; }, 60000));
    InfoPrgsForm->EscBtn->click();
    ASSERT_TRUE(WaitFor([&] { return !w->Running(); }, 60000));
    const size_t kept = w->Grid->Rows.size();
    EXPECT_GT(kept, 0u);
    EXPECT_TRUE(w->CalcBtn->isEnabled());

    // Replacing the set drops the criteria and the results and stops a search.
    Fix(1, Swp->First, QStringLiteral("7"));
    Msg::PushAnswer(mrYes);
    w->StnGrid->setCurrentIndex(w->Grid->index(0, 2));
    w->CalcBtnClick();
    ASSERT_TRUE(w->Running());
    SetSwp(std::make_unique<TSwp>());
    EXPECT_FALSE(w->Running());
    EXPECT_TRUE(w->Grid->Rows.empty());
    EXPECT_EQ(Cell(0, 1), "");
    EXPECT_EQ(Cell(1, 1), "0");
    EXPECT_EQ(w->Grid->rowCount(), 2);

    // An empty set finds nothing.
    w->CalcBtnClick();
    EXPECT_FALSE(w->Running());
    EXPECT_TRUE(w->Grid->Rows.empty());
}

TEST_F(CalcStnTest, ClosingTheWindowStops)
{
    Msg::PushAnswer(mrYes);
    w->DistMinSegEdit->setValue(0);
    w->CalcBtnClick();
    ASSERT_TRUE(w->Running());
    w->close();
    EXPECT_FALSE(w->Running());
    EXPECT_FALSE(InfoPrgsForm->isVisible());
}

TEST_F(CalcStnTest, TooManyCombinationsAndWideDistances)
{
    w->NbVirEdit->setValue(3);
    std::unique_ptr<TSwp> big = std::make_unique<TSwp>();
    for (int i = 0; i < 100; ++i)
        AddWpt(*big, QStringLiteral("W%1").arg(i), 4500000 + i * 2000, 600000 + (i % 10) * 5000);
    SetSwp(std::move(big));
    w->CalcBtnClick(); // 100^5 candidates
    EXPECT_FALSE(w->Running());
    ASSERT_EQ(Msg::Log().size(), 1);
    EXPECT_TRUE(Msg::Log()[0].text.contains("impossible"));

    // Distances that may reach 9999.95 km take seven characters, whatever their value.
    w->NbVirEdit->setValue(0);
    Opt->UniteDistance = 1; // NM
    w->DistMinEdit->setValue(0);
    w->DistMaxEdit->setValue(5410); // 10018 km
    w->DistMinSegEdit->setValue(0);
    Fix(1, Swp->First);
    Search();
    ASSERT_FALSE(w->Grid->Rows.empty());
    EXPECT_EQ(w->Grid->DistWidth, 7);
    EXPECT_EQ(Cell(2, w->Grid->DistCol()).size(), 7);
    EXPECT_EQ(TStnGridModel::DistText(98.5, 6), "  98.5");
    EXPECT_EQ(TStnGridModel::DistText(12345.67, 6), "12345.7");
}

TEST_F(CalcStnTest, RowLimitAndDeletedWaypoint)
{
    w->RowLimit = 100;
    Fix(1, Swp->First);
    w->DistMinEdit->setValue(0);
    w->DistMaxEdit->setValue(9990);
    w->DistMinSegEdit->setValue(0);
    Search();
    EXPECT_EQ(w->Grid->Rows.size(), 100u);
    ASSERT_EQ(Msg::Log().size(), 1);
    EXPECT_TRUE(Msg::Log()[0].text.contains("100"));

    // A waypoint deleted from the set: the criteria and the rows that point into it go.
    Swp->DeleteWpt(Swp->Last);
    EXPECT_TRUE(w->Grid->Rows.empty());
    EXPECT_EQ(Cell(0, 1), "");
    EXPECT_EQ(Cell(1, 4), "0");
}

TEST_F(CalcStnTest, DeleteKeyClearsACellButNotInsideAnEditor)
{
    w->show();
    QApplication::setActiveWindow(w);
    Fix(1, Swp->First, QStringLiteral("123"));
    // In the radius editor the key edits the text.
    w->StnGrid->setFocus();
    w->StnGrid->setCurrentIndex(w->Grid->index(1, 1));
    w->StnGrid->edit(w->Grid->index(1, 1));
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(editor, nullptr);
    editor->setCursorPosition(0);
    QTest::keyClick(editor, Qt::Key_Delete);
    EXPECT_EQ(editor->text(), "23");
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents(); // the editor commits after the key
    EXPECT_EQ(Cell(1, 1), "23");
    EXPECT_EQ(Cell(0, 1), Swp->First->Name);
    // On the waypoint cell it clears the fixed waypoint.
    w->StnGrid->setCurrentIndex(w->Grid->index(0, 1));
    w->StnGrid->setFocus();
    QTest::keyClick(w->StnGrid, Qt::Key_Delete);
    EXPECT_EQ(Cell(0, 1), "");
}

TEST_F(CalcStnTest, ClickSelectsWholeResultRows)
{
    Fix(1, Swp->First);
    Search();
    ASSERT_GT(w->Grid->Rows.size(), 3u);
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
    QItemSelectionModel* sel = w->StnGrid->selectionModel();
    const auto click = [&](int Row, int Col) {
        const QModelIndex i = w->Grid->index(Row, Col);
        w->StnGrid->scrollTo(i);
        QTest::mouseClick(w->StnGrid->viewport(), Qt::LeftButton, {}, w->StnGrid->visualRect(i).center());
        EXPECT_EQ(w->StnGrid->currentIndex(), i);
    };
    // A result row is taken whole wherever it is clicked, again after a criteria cell.
    for (const auto& [row, col] : {std::pair{4, 2}, std::pair{1, 1}, std::pair{3, 5}}) {
        SCOPED_TRACE(row);
        click(row, col);
        if (row >= TStnGridModel::FirstResultRow) {
            EXPECT_TRUE(sel->isRowSelected(row, {}));
            EXPECT_EQ(sel->selectedRows().size(), 1);
        } else {
            EXPECT_EQ(sel->selectedIndexes(), QModelIndexList{w->Grid->index(row, col)});
        }
    }
}

TEST_F(CalcStnTest, SortRunsBesideTheWindowAndStopsForNewRows)
{
    // A million rows as a search leaves them; the window answers while they are sorted.
    for (TWpt* p = Swp->First; p; p = p->Next) w->Grid->Wpts.push_back(p);
    const auto fill = [&] {
        std::deque<TStnRow> rows(1000000);
        uint32_t x = 99;
        for (TStnRow& r : rows) {
            x = x * 1664525u + 1013904223u;
            r.Total = 100 + (x >> 8) % 400000 / 1000.0;
            for (int k = 0; k < 4; ++k) r.W[size_t(k)] = uint16((x >> (k * 7)) % w->Grid->Wpts.size());
        }
        w->Grid->ClearResults();
        w->Grid->AppendRows({std::vector<TStnRow>(rows.begin(), rows.end())});
        return rows;
    };
    const std::deque<TStnRow> rows = fill();
    TStnGridModel want;
    want.N = 2;
    want.Wpts = w->Grid->Wpts;
    want.Rows = rows;
    want.SortRows(2, true);

    w->StnCalcSortGrid(2, true);
    EXPECT_TRUE(w->Sorting()); // the call returned at once
    EXPECT_EQ(w->Grid->Titles[2], ">Point 1");
    ASSERT_TRUE(WaitFor([&] { return !w->Sorting(); }, 20000));
    for (size_t i = 0; i < rows.size(); ++i) ASSERT_EQ(w->Grid->Row(i), want.Row(i)) << i;
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    // A new point count drops the rows: the sort under way stops first.
    fill();
    w->StnCalcSortGrid(5, false);
    ASSERT_TRUE(w->Sorting());
    w->NbVirEdit->setValue(3);
    EXPECT_FALSE(w->Sorting());
    EXPECT_TRUE(w->Grid->Rows.empty());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}
