// The waypoint grid, the waypoint editor, the trace-part window and the reach window driven
// offscreen as a user drives them.
#include "dialogs/Editswp.h"
#include "dialogs/Editwpt.h"
#include "dialogs/Reachwpt.h"
#include "dialogs/SelSort.h"
#include "dialogs/SelTrj.h"
#include "dialogs/SmallWindows.h"
#include "files/RecFile.h"
#include "model/Options.h"
#include "model/Texts.h"
#include "platform/Beep.h"
#include "support/Fixtures.h"
#include "support/ModalScript.h"
#include "support/ModelBits.h"

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QStringListModel>
#include <QTableView>
#include <QTest>

namespace {

const QString Data = QStringLiteral(ZPH_TESTDATA "/");

// The editor of the cell, opened as a double click opens it.
QLineEdit* OpenEditor(TSwpEdit& F, const QModelIndex& I)
{
    F.SwpGrid->edit(I);
    for (QLineEdit* e : F.SwpGrid->viewport()->findChildren<QLineEdit*>())
        if (e->isVisible()) return e;
    return nullptr;
}

// Types Keys into a cell through its editor, at Pos or (Pos < 0) in place of its text, and
// commits with Enter; returns what the editor showed before Enter.
QString TypeCell(TSwpEdit& F, int Row, int Col, const QString& Keys, int Pos = -1)
{
    const QModelIndex i = F.Grid->index(Row, Col);
    F.SwpGrid->setCurrentIndex(i);
    QLineEdit* e = OpenEditor(F, i);
    if (!e) return QStringLiteral("no editor");
    if (Pos >= 0)
        e->setCursorPosition(Pos);
    else if (e->inputMask().isEmpty())
        e->selectAll();
    else
        e->clear(); // the mask's places left blank
    QTest::keyClicks(e, Keys);
    const QString shown = e->text();
    QTest::keyClick(e, Qt::Key_Return);
    return shown;
}

// The first row whose cell satisfies the test, or -1.
int FindRow(TSwpEdit& F, int Col, const std::function<bool(const QString&)>& Test)
{
    for (int r = 0; r < F.Grid->rowCount(); ++r)
        if (Test(F.Grid->index(r, Col).data().toString())) return r;
    return -1;
}

QPoint CellCentre(TSwpEdit& F, int Row, int Col)
{
    return F.SwpGrid->visualRect(F.Grid->index(Row, Col)).center();
}

QString Cell(TSwpEdit& F, int Row, int Col)
{
    return F.Grid->index(Row, Col).data().toString();
}

} // namespace

class WptWindows : public FreshModel
{
protected:
    void SetUp() override
    {
        FreshModel::SetUp();
        CreateSmallWindows(nullptr);
    }
};

TEST_F(WptWindows, GridEditsMarksDragsSortsAndRebuilds)
{
    ASSERT_TRUE(OpenSwpFile(Data + QStringLiteral("waypoints/euregio9.dat")));
    std::vector<TWpt> before;
    for (TWpt* w = Swp->First; w; w = w->Next) before.push_back(*w);
    Swp->SelWpt = Swp->First->Next->Next;
    TSwp* old = Swp;

    TSwpEdit f;
    f.resize(900, 500);
    f.MarkedOnly = 0;
    f.show();
    ASSERT_EQ(f.Grid->rowCount(), 99);
    EXPECT_EQ(f.SwpGrid->currentIndex(), f.Grid->index(2, scName));
    EXPECT_TRUE(f.DelBtn->isEnabled());

    // Typing: a name, a wrong hemisphere letter, a digit among the types.
    TypeCell(f, 5, scName, QStringLiteral("NEWNAME"));
    const QString lat = Cell(f, 6, scLat), types = Cell(f, 7, scType);
    EXPECT_EQ(TypeCell(f, 6, scLat, QStringLiteral("X"), 0), lat);
    EXPECT_EQ(Cell(f, 6, scLat), lat);
    EXPECT_EQ(TypeCell(f, 7, scType, QStringLiteral("9"), int(types.size())), types);
    EXPECT_EQ(f.Changed, 1);

    // A double click on a number marks; a row dragged by its number moves with its mark.
    QTest::mouseDClick(f.SwpGrid->viewport(), Qt::LeftButton, {}, CellCentre(f, 0, scNum));
    EXPECT_EQ(Cell(f, 0, scNum), QStringLiteral("*1"));
    EXPECT_EQ(f.Reordered, 1);
    const QString first = Cell(f, 0, scName);
    QTest::mousePress(f.SwpGrid->viewport(), Qt::LeftButton, {}, CellCentre(f, 0, scNum));
    QTest::mouseMove(f.SwpGrid->viewport(), CellCentre(f, 3, scNum));
    QTest::mouseRelease(f.SwpGrid->viewport(), Qt::LeftButton, {}, CellCentre(f, 3, scNum));
    EXPECT_EQ(Cell(f, 3, scName), first);
    EXPECT_EQ(Cell(f, 3, scNum), QStringLiteral("*4"));
    EXPECT_EQ(Cell(f, 0, scNum), QStringLiteral("1"));

    // A title clicked with Shift sorts descending; the mark follows its waypoint.
    QHeaderView* h = f.SwpGrid->horizontalHeader();
    const QPoint title(h->sectionViewportPosition(scName) + 5, h->height() / 2);
    QTest::mouseClick(h->viewport(), Qt::LeftButton, Qt::ShiftModifier, title);
    EXPECT_EQ(f.Grid->Titles[scName], QStringLiteral(">Nom"));
    for (int r = 1; r < 99; ++r) EXPECT_GE(Cell(f, r - 1, scName), Cell(f, r, scName));
    const int marked = FindRow(f, scNum, [](const QString& t) { return t.startsWith(u'*'); });
    EXPECT_EQ(Cell(f, marked, scName), first);

    // The sort-choice window: by latitude, ascending.
    ModalScript script;
    script.Then<TSortSel>([](TSortSel& s) {
        s.SortBox->setCurrentIndex(scLat - 1);
        s.NormSortBtn->click();
    });
    script.Start();
    f.SortBtnClick();
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(f.Grid->Titles[scLat], QStringLiteral("<Latitude"));
    EXPECT_EQ(f.Grid->Titles[scName], QStringLiteral("Nom"));

    // Nearest order, then OK with the renamed waypoint selected.
    f.NearBtnClick();
    const int renamed = FindRow(f, scName, [](const QString& t) { return t == QStringLiteral("NEWNAME"); });
    ASSERT_GE(renamed, 0);
    f.SwpGrid->setCurrentIndex(f.Grid->index(renamed, scComment));
    f.OKBtnClick();
    EXPECT_FALSE(f.isVisible());
    ASSERT_NE(Swp, old);
    EXPECT_TRUE(Swp->Modified);
    ASSERT_EQ(Swp->Count, 99);
    EXPECT_EQ(Swp->SelWpt->Name, QStringLiteral("NEWNAME"));
    // Nothing moved: the same positions, altitudes, types and comments, one mark.
    using Key = std::tuple<int32, int32, int32, uint8, QString, bool>;
    std::vector<Key> was, is;
    for (const TWpt& o : before) was.emplace_back(o.Lat, o.Lon, o.Alt, o.Attr, o.Comment, o.Name == first);
    for (TWpt* w = Swp->First; w; w = w->Next)
        is.emplace_back(w->Lat, w->Lon, w->Alt, w->Attr, w->Comment, w->Rep);
    std::sort(was.begin(), was.end());
    std::sort(is.begin(), is.end());
    EXPECT_EQ(was, is);
    EXPECT_TRUE(Msg::Log().isEmpty());
}

TEST_F(WptWindows, GridCancelEmptySetInsertDeleteAndRejects)
{
    TSwpEdit f;
    f.show();
    // No set: one empty row; OK unchanged does nothing.
    ASSERT_EQ(f.Grid->rowCount(), 1);
    EXPECT_EQ(Cell(f, 0, scNum), QStringLiteral("1"));
    EXPECT_FALSE(f.DelBtn->isEnabled());
    f.OKBtnClick();
    EXPECT_EQ(Swp, nullptr);

    NewSwp();
    AddWpt(*Swp, "A", 100, 100);
    AddWpt(*Swp, "B", 200, 200);
    TSwp* old = Swp;
    f.show();
    TypeCell(f, 0, scName, QStringLiteral("Z"));
    f.reject();
    EXPECT_EQ(Swp, old);
    EXPECT_EQ(Swp->First->Name, QStringLiteral("A"));

    // Insert above the current row, type a waypoint, add a row with an unreadable altitude.
    f.show();
    f.SwpGrid->setCurrentIndex(f.Grid->index(1, scName));
    f.InsBtnClick();
    ASSERT_EQ(f.Grid->rowCount(), 3);
    EXPECT_EQ(Cell(f, 1, scName), QString());
    TypeCell(f, 1, scName, QStringLiteral("NEW"));
    TypeCell(f, 1, scLat, QStringLiteral("S1230.00"));
    TypeCell(f, 1, scLon, QStringLiteral("W00145.50"));
    TypeCell(f, 1, scAlt, QStringLiteral("-12"));
    f.InsBtnClick();
    TypeCell(f, 1, scName, QStringLiteral("BAD"));
    f.DelBtnClick(); // the current row (BAD) goes
    f.InsBtnClick();
    TypeCell(f, 0, scLat, QStringLiteral("N45")); // left incomplete
    f.SwpGrid->setCurrentIndex(f.Grid->index(0, scName));
    f.OKBtnClick();
    ASSERT_EQ(Msg::Log().size(), 1);
    EXPECT_EQ(Msg::Log().front().text, QStringLiteral("2 erreur(s) détectée(s)."));
    QStringList names;
    for (TWpt* w = Swp->First; w; w = w->Next) names << w->Name;
    EXPECT_EQ(names, (QStringList{"NEW", "B"}));
    EXPECT_EQ(std::tuple(Swp->First->Lat, Swp->First->Lon, Swp->First->Alt),
              std::tuple(-1250000, -175833, -12));
    EXPECT_EQ(Swp->SelWpt, nullptr); // the selected row was rejected
}

TEST_F(WptWindows, GridRefusesRowsBeyondTheSetsLimit)
{
    NewSwp();
    for (int i = 0; i < MaxListCount; ++i) AddWpt(*Swp, i % 2 ? "M" : "U", i, i);
    for (TWpt* w = Swp->First; w; w = w->Next) w->Rep = w->Name == QStringLiteral("M");
    TSwpEdit f;
    f.MarkedOnly = 1;
    f.show();
    ASSERT_EQ(f.Grid->rowCount(), MaxListCount / 2);
    f.InsBtnClick(); // the unmarked ones are carried: the set is full
    EXPECT_EQ(f.Grid->rowCount(), MaxListCount / 2);
    ASSERT_EQ(Msg::Log().size(), 1);
    EXPECT_TRUE(Msg::Log().front().text.contains(QStringLiteral("65535")));
}

TEST_F(WptWindows, WaypointEditor)
{
    Opt->UniteAltitude = 1;
    Opt->FichWayPoints = QStringLiteral("old.dat");
    TWptEdit f;
    f.NewLati = 4512340;
    f.NewLong = -512340;
    f.show();
    // Empty name: refused, nothing added, no set made.
    f.OKBtnClick();
    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(Swp, nullptr);
    EXPECT_EQ(Msg::Log().back().text, QStringLiteral("Données saisies non valides."));

    QTest::keyClicks(f.NameEdit, QStringLiteral("MYPOINT"));
    f.AttrEdit->clear();
    QTest::keyClicks(f.AttrEdit, QStringLiteral("slts"));
    f.AttrEditExit();
    EXPECT_EQ(f.AttrEdit->text(), QStringLiteral("TLS"));
    // An altitude with a blank position is an error.
    f.AltiEdit->setText(QStringLiteral("010 Ft"));
    f.OKBtnClick();
    EXPECT_EQ(Swp, nullptr);
    f.AltiEdit->setText(QStringLiteral("01000 Ft"));
    f.OKBtnClick();
    EXPECT_FALSE(f.isVisible());
    ASSERT_NE(Swp, nullptr); // no set: a new one is made
    EXPECT_TRUE(Opt->FichWayPoints.isEmpty());
    ASSERT_EQ(Swp->Count, 1);
    const TWpt& w = *Swp->First;
    EXPECT_EQ(
        std::tuple(w.Name, w.Lat, w.Lon, w.Alt, w.Attr),
        std::tuple(QStringLiteral("MYPOINT"), 4512340, -512340, 305, StrToWptAttr(QStringLiteral("TLS"))));
    EXPECT_TRUE(Swp->Modified);

    Opt->UniteAltitude = 0;
    f.show();
    QTest::keyClicks(f.NameEdit, QStringLiteral("LOW"));
    f.AltiEdit->setText(QStringLiteral("-004 m"));
    f.OKBtnClick();
    ASSERT_EQ(Swp->Count, 2);
    EXPECT_EQ(Swp->Last->Alt, -4);
}

TEST_F(WptWindows, TracePartPastMidnight)
{
    ASSERT_GT(OpenTrjFiles(Data + QStringLiteral("igc/2016-11-08-xcs-aaa-02.igc"), 0), 0);
    ASSERT_TRUE(Trj && Trj->First);
    TTrjSel f;
    f.show();
    EXPECT_EQ(f.SelStart, Trj->SelFirst ? Trj->SelFirst : Trj->First);

    // A fix after midnight as the end, one before as the start.
    TRec* late = Trj->Last;
    while (late->Prev && late->Prev->Time >= TimeUnitsPerDay) late = late->Prev;
    ASSERT_GE(late->Time, TimeUnitsPerDay);
    TRec* early = Trj->First->Next;
    const int beeps = BeepCount();
    Trj->CurRec = f.SelEnd;
    f.DebBtnClick(); // at the end time: refused
    EXPECT_EQ(BeepCount(), beeps + 1);
    Trj->CurRec = late;
    f.FinBtnClick();
    Trj->CurRec = early;
    f.DebBtnClick();
    EXPECT_EQ(std::pair(f.SelStart, f.SelEnd), std::pair(early, late));
    Trj->TimeLoc = 1; // the end reads one hour past midnight, local time
    Trj->CurRec = late;
    f.FinBtnClick();
    EXPECT_TRUE(f.FinLbl->text().startsWith(QStringLiteral(" 1:00:"))) << f.FinLbl->text().toStdString();
    EXPECT_TRUE(f.FinLbl->text().endsWith(QStringLiteral(" LOC ")));
    f.OKBtnClick();
    EXPECT_EQ(std::pair(Trj->SelFirst, Trj->SelLast), std::pair(early, late));

    // Start and end on one fix: refused, the trace keeps its part.
    f.show();
    Trj->CurRec = early;
    f.FinBtnClick(); // the end may not come before the start
    EXPECT_EQ(BeepCount(), beeps + 2);
    f.SelEnd = f.SelStart;
    f.OKBtnClick();
    EXPECT_EQ(BeepCount(), beeps + 3);
    EXPECT_EQ(std::pair(Trj->SelFirst, Trj->SelLast), std::pair(early, late));
}

TEST_F(WptWindows, ReachByPrefix)
{
    NewSwp();
    for (const char* n : {"abd", "ABBEVILLE", "A", "Abc", "ABBEVILLE"}) AddWpt(*Swp, n, 0, 0);
    TReachWptForm f;
    f.show();
    QTest::keyClicks(f.Edit, QStringLiteral("ab"));
    EXPECT_EQ(f.Names->stringList(), (QStringList{"ABBEVILLE", "ABBEVILLE", "Abc", "abd"}));
    const int beeps = BeepCount();
    f.OKBtnClick(); // several names and none chosen
    EXPECT_EQ(std::pair(BeepCount(), Swp->SelWpt), std::pair(beeps + 1, static_cast<TWpt*>(nullptr)));
    f.show();
    QTest::keyClicks(f.Edit, QStringLiteral("abb"));
    f.ListBox->setCurrentIndex(f.Names->index(0));
    f.OKBtnClick(); // two equal names: the later one
    EXPECT_EQ(Swp->SelWpt, Swp->Last);
}

TEST_F(WptWindows, GridRowDraggedMarksTheSetModified)
{
    ASSERT_TRUE(OpenSwpFile(Data + QStringLiteral("waypoints/euregio9.dat")));
    Swp->Modified = false;
    const QString first = Swp->First->Name, second = Swp->First->Next->Name;
    TSwpEdit f;
    f.resize(900, 500);
    f.MarkedOnly = 0;
    f.show();
    QTest::mousePress(f.SwpGrid->viewport(), Qt::LeftButton, {}, CellCentre(f, 0, scNum));
    QTest::mouseMove(f.SwpGrid->viewport(), CellCentre(f, 2, scNum));
    QTest::mouseRelease(f.SwpGrid->viewport(), Qt::LeftButton, {}, CellCentre(f, 2, scNum));
    ASSERT_EQ(Cell(f, 2, scName), first);
    f.OKBtnClick();
    EXPECT_FALSE(f.isVisible());
    EXPECT_TRUE(Swp->Modified);
    ASSERT_EQ(Swp->Count, 99);
    EXPECT_EQ(Swp->First->Name, second);
    EXPECT_EQ(Swp->First->Next->Next->Name, first);
}
