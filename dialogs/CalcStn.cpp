// The circuit search window.
#include "dialogs/CalcStn.h"

#include "dialogs/InfoPrgs.h"
#include "dialogs/SelSort.h"
#include "dialogs/SortGrid.h"
#include "dialogs/ToolWindow.h"
#include "model/Calc.h"
#include "model/ModelUi.h"
#include "model/Options.h"
#include "platform/Msg.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QSpinBox>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTimer>
#include <cmath>
#include <unordered_map>

QPointer<TStnCalc> StnCalc;

namespace {

// Marks a change of the grid's rows made by the program, not by the user.
struct TQuiet
{
    int& Depth;
    explicit TQuiet(int& D) : Depth(D) { ++Depth; }
    ~TQuiet() { --Depth; }
};

const QString WayPtTitle = QStringLiteral("Way-pt");
const QString RayonTitle = QStringLiteral("Rayon");
constexpr int ProgressSteps = 1000;

// Radius cells take up to four digits.
class TRadiusDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget* Parent, const QStyleOptionViewItem& O, const QModelIndex& I) const override
    {
        QWidget* w = QStyledItemDelegate::createEditor(Parent, O, I);
        if (auto* e = qobject_cast<QLineEdit*>(w)) {
            e->setValidator(
                new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d{0,4}")), e));
            e->setMaxLength(4);
        }
        return w;
    }
};

QSpinBox* NewSpin(QWidget* Parent, const char* Name, int Value, int Max, int Step)
{
    auto* s = new QSpinBox(Parent);
    s->setObjectName(QLatin1String(Name));
    s->setRange(0, Max);
    s->setSingleStep(Step);
    s->setValue(Value);
    return s;
}

QLabel* NewLabel(QWidget* Parent, const char* Name, const char* Text, QWidget* Buddy)
{
    auto* l = new QLabel(QString::fromUtf8(Text), Parent);
    l->setObjectName(QLatin1String(Name));
    l->setBuddy(Buddy);
    return l;
}

QPushButton* NewButton(QWidget* Parent, const char* Name, const char* Text)
{
    auto* b = new QPushButton(QString::fromUtf8(Text), Parent);
    b->setObjectName(QLatin1String(Name));
    b->setAutoDefault(false);
    return b;
}

} // namespace

// ---- Grid model ----------------------------------------------------------------------------

int32 RadiusOfText(const QString& Text)
{
    const QString head = Text.section(u' ', 0, 0);
    bool ok = false;
    const int v = head.toInt(&ok);
    return ok ? v : 0;
}

QString TStnGridModel::DistText(double Km, int Width)
{
    char buf[32];
    return QString::fromLatin1(buf, DistChars(Km, Width, buf));
}

int TStnGridModel::rowCount(const QModelIndex& P) const
{
    return P.isValid() ? 0 : FirstResultRow + int(Rows.size());
}

int TStnGridModel::columnCount(const QModelIndex& P) const
{
    return P.isValid() ? 0 : N + 5;
}

QString TStnGridModel::Text(int Row, int Col) const
{
    if (Row == 0) {
        if (Col == 0) return WayPtTitle;
        return IsPosCol(Col) ? CritName[Col] : QString();
    }
    if (Row == 1) {
        if (Col == 0) return RayonTitle;
        return IsPosCol(Col) ? CritRadius[Col] : QString();
    }
    const size_t i = size_t(Row - FirstResultRow);
    if (i >= Rows.size()) return QString();
    const TStnRow& r = this->Row(i);
    if (Col == 0) return QString::number(i + 1);
    if (IsPosCol(Col)) {
        const uint16 w = r.W[Col - 1];
        return w < Wpts.size() && Wpts[w] ? Wpts[w]->Name : QString();
    }
    if (Col == DistCol()) return DistText(r.Total, DistWidth);
    if (Col == FaiCol()) return r.Fai >= 0 ? DistText(r.Fai, DistWidth) : QString();
    return QString();
}

QVariant TStnGridModel::data(const QModelIndex& I, int Role) const
{
    if (!I.isValid()) return {};
    if (Role == Qt::DisplayRole || Role == Qt::EditRole) return Text(I.row(), I.column());
    if (Role == Qt::ToolTipRole) {
        if (I.row() == 0 && IsPosCol(I.column()))
            return QStringLiteral(
                "Double-cliquer pour définir le way-point sélectionné dans la vue en plan comme "
                "point de virage imposé dans les critères.");
        if (I.row() == 1 && IsPosCol(I.column()))
            return QStringLiteral(
                "Rayon de la zone de recherche du point de virage autour du point défini ci-dessus.");
        if (I.row() >= FirstResultRow) return QStringLiteral("Sélectionner pour tracer ce circuit.");
    }
    if (Role == Qt::TextAlignmentRole && I.column() >= DistCol())
        return int(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

bool TStnGridModel::setData(const QModelIndex& I, const QVariant& Value, int Role)
{
    if (Role != Qt::EditRole || I.row() != 1 || !IsPosCol(I.column())) return false;
    CritRadius[I.column()] = Value.toString().left(4);
    emit dataChanged(I, I);
    // Editing the start radius of a circuit that ends where it starts edits the finish's too.
    const int fin = N + 2;
    if (I.column() == 1 && !CritName[1].isEmpty() && CritName[1] == CritName[fin]) {
        CritRadius[fin] = CritRadius[1];
        emit dataChanged(index(1, fin), index(1, fin));
    }
    return true;
}

Qt::ItemFlags TStnGridModel::flags(const QModelIndex& I) const
{
    if (!I.isValid()) return Qt::NoItemFlags;
    if (I.row() < FirstResultRow) {
        if (!IsPosCol(I.column()) && I.column() != 0) return Qt::NoItemFlags; // Dist and FAI of criteria
        if (I.row() == 1 && IsPosCol(I.column()))
            return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
    }
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

QVariant TStnGridModel::headerData(int Section, Qt::Orientation O, int Role) const
{
    if (O != Qt::Horizontal) return {};
    if (Role == Qt::DisplayRole) return Section < Titles.size() ? Titles[Section] : QString();
    if (Role == Qt::ToolTipRole && Section >= 1)
        return QStringLiteral(
            "Cliquer pour trier par ordre croissant (<) puis décroissant (>) (Maj+clique pour ordre "
            "décroissant)");
    return {};
}

bool TStnGridModel::setHeaderData(int Section, Qt::Orientation O, const QVariant& Value, int Role)
{
    if (O != Qt::Horizontal || Role != Qt::DisplayRole || Section < 0 || Section >= Titles.size())
        return false;
    Titles[Section] = Value.toString();
    emit headerDataChanged(O, Section, Section);
    return true;
}

void TStnGridModel::SetTitles()
{
    Titles.clear();
    Titles << QStringLiteral("Tri <>") << QStringLiteral("Départ");
    for (int i = 1; i <= N; ++i) Titles << QStringLiteral("Point ") + QString::number(i);
    Titles << QStringLiteral("Arrivée") << QStringLiteral("Dist") << QStringLiteral("FAI");
    emit headerDataChanged(Qt::Horizontal, 0, int(Titles.size()) - 1);
}

void TStnGridModel::ClearResults()
{
    if (Rows.empty()) return;
    beginRemoveRows(QModelIndex(), FirstResultRow, FirstResultRow + int(Rows.size()) - 1);
    std::deque<TStnRow>().swap(Rows);
    std::vector<uint32_t>().swap(Order);
    endRemoveRows();
}

void TStnGridModel::AppendRows(const std::vector<std::vector<TStnRow>>& Batches)
{
    size_t n = 0;
    for (const auto& b : Batches) n += b.size();
    if (n == 0) return;
    const int first = rowCount();
    beginInsertRows(QModelIndex(), first, first + int(n) - 1);
    for (const auto& b : Batches) Rows.insert(Rows.end(), b.begin(), b.end());
    // Rows found after a sort go below the sorted ones.
    if (!Order.empty())
        for (size_t i = Order.size(); i < Rows.size(); ++i) Order.push_back(uint32_t(i));
    endInsertRows();
}

TStnSortSpec TStnGridModel::SortSpec(int Col, bool Descending) const
{
    TStnSortSpec s;
    s.Descending = Descending;
    s.DistWidth = DistWidth;
    if (Col == DistCol() || Col == FaiCol()) {
        s.Kind = Col == DistCol() ? TStnSortSpec::Dist : TStnSortSpec::Fai;
        return s;
    }
    s.Kind = TStnSortSpec::Name;
    s.Pos = Col - 1;
    std::vector<QString> names(Wpts.size());
    for (size_t i = 0; i < Wpts.size(); ++i)
        if (Wpts[i]) names[i] = Wpts[i]->Name;
    s.NameRank = NameRanks(names);
    return s;
}

void TStnGridModel::SortRows(int Col, bool Descending)
{
    if (Rows.size() < 2 || Col < 1 || Col >= columnCount()) return;
    std::vector<uint32_t> order;
    const std::atomic<bool> never{false};
    SortStnOrder(Rows, Order, SortSpec(Col, Descending), order, never);
    SetOrder(order);
}

void TStnGridModel::SetOrder(std::vector<uint32_t>& NewOrder)
{
    Order.swap(NewOrder);
    emit dataChanged(index(FirstResultRow, 0), index(rowCount() - 1, columnCount() - 1));
}

// ---- Window --------------------------------------------------------------------------------

// One sort of the result rows on a worker thread; the rows it reads are not changed meanwhile
// (whatever would change them stops the sort first).
struct TStnCalc::TSortJob
{
    std::atomic<bool> Abort{false};
    std::atomic<bool> Done{false};
    bool Ok = false;
    std::vector<uint32_t> Out;
    std::thread Thread;
    ~TSortJob()
    {
        Abort = true;
        if (Thread.joinable()) Thread.join();
    }
};

TStnCalc::TStnCalc(QWidget* Parent) : QDialog(Parent)
{
    setObjectName(QStringLiteral("StnCalc"));
    setWindowTitle(QStringLiteral("Recherche points de virage"));
    setModal(false);
    MakeToolWindow(this);
    if (!StnCalc) StnCalc = this;

    NbVirEdit = NewSpin(this, "NbVirEdit", 2, 3, 1);
    DistMinEdit = NewSpin(this, "DistMinEdit", 300, 9990, 10);
    DistMaxEdit = NewSpin(this, "DistMaxEdit", 350, 9990, 10);
    DistMinSegEdit = NewSpin(this, "DistMinSegEdit", 30, 9990, 5);
    DifFaiDistEdit = NewSpin(this, "DifFaiDistEdit", 20, 9990, 5);
    DistFaiMinEdit = NewSpin(this, "DistFaiMinEdit", 300, 9990, 10);
    TestFaiTri = new QCheckBox(QStringLiteral("Triangle FAI"), this);
    TestFaiTri->setObjectName(QStringLiteral("TestFaiTri"));
    OneDirection = new QCheckBox(QStringLiteral("Limite sens de parcours"), this);
    OneDirection->setObjectName(QStringLiteral("OneDirection"));
    OneDirection->setChecked(true);
    NbVirLbl = NewLabel(this, "NbVirLbl", "Nb de point (départ et arrivée non compris)", NbVirEdit);
    DistMinLbl = NewLabel(this, "DistMinLbl", "Distance minimale circuit", DistMinEdit);
    DistMaxLbl = NewLabel(this, "DistMaxLbl", "Distance maximale", DistMaxEdit);
    DistMinSegLbl = NewLabel(this, "DistMinSegLbl", "Distance mini branches", DistMinSegEdit);
    DifFaiDistLbl = NewLabel(this, "DifFaiDistLbl", "Ecart dist. FAI / dist. totale maxi", DifFaiDistEdit);
    DistFaiMinLbl = NewLabel(this, "DistFaiMinLbl", "Distance mini FAI", DistFaiMinEdit);

    ExitBtn = NewButton(this, "ExitBtn", "&Fermer");
    DelBtn = NewButton(this, "DelBtn", "&Effacer");
    DefBtn = NewButton(this, "DefBtn", "&Définir");
    SortBtn = NewButton(this, "SortBtn", "&Trier");
    CalcBtn = NewButton(this, "CalcBtn", "&Calculer");

    Grid = new TStnGridModel;
    Grid->setParent(this);
    Grid->SetTitles();
    StnGrid = new QTableView(this);
    StnGrid->setObjectName(QStringLiteral("StnGrid"));
    StnGrid->setModel(Grid);
    StnGrid->setItemDelegateForRow(1, new TRadiusDelegate(StnGrid));
    StnGrid->verticalHeader()->hide();
    StnGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    StnGrid->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                             QAbstractItemView::AnyKeyPressed);
    StnGrid->verticalHeader()->setDefaultSectionSize(StnGrid->fontMetrics().height() + 6);
    Sorter = new TSortGrid(StnGrid);
    StnGrid->installEventFilter(this);
    StnGrid->viewport()->installEventFilter(this);

    // Delete acts on the grid only: inside a cell editor the key edits the text.
    Efface = new QAction(QStringLiteral("&Effacer"), StnGrid);
    Efface->setObjectName(QStringLiteral("Efface"));
    Efface->setShortcut(QKeySequence::Delete);
    Efface->setShortcutContext(Qt::WidgetShortcut);
    StnGrid->addAction(Efface);
    Defini = new QAction(QStringLiteral("&Définir"), this);
    Defini->setObjectName(QStringLiteral("Defini"));
    Efface->setEnabled(false);

    auto* lay = new QGridLayout(this);
    lay->addWidget(NbVirLbl, 0, 0);
    lay->addWidget(NbVirEdit, 0, 1);
    lay->addWidget(TestFaiTri, 0, 2);
    lay->addWidget(OneDirection, 0, 3, 1, 2);
    lay->addWidget(DistMinLbl, 1, 0);
    lay->addWidget(DistMinEdit, 1, 1);
    lay->addWidget(DifFaiDistLbl, 1, 2);
    lay->addWidget(DifFaiDistEdit, 1, 3);
    lay->addWidget(DistMaxLbl, 2, 0);
    lay->addWidget(DistMaxEdit, 2, 1);
    lay->addWidget(DistFaiMinLbl, 2, 2);
    lay->addWidget(DistFaiMinEdit, 2, 3);
    lay->addWidget(DistMinSegLbl, 3, 0);
    lay->addWidget(DistMinSegEdit, 3, 1);
    lay->addWidget(StnGrid, 4, 0, 1, 5);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {CalcBtn, SortBtn, DefBtn, DelBtn, ExitBtn}) buttons->addWidget(b);
    lay->addLayout(buttons, 5, 0, 1, 5);
    lay->setRowStretch(4, 1);
    resize(560, 420);

    fPoll = new QTimer(this);
    fPoll->setInterval(100);
    connect(fPoll, &QTimer::timeout, this, [this] { Poll(); });
    fSortPoll = new QTimer(this);
    fSortPoll->setInterval(10);
    connect(fSortPoll, &QTimer::timeout, this, [this] { PollSort(); });

    connect(ExitBtn, &QPushButton::clicked, this, [this] { close(); });
    connect(DelBtn, &QPushButton::clicked, Efface, &QAction::trigger);
    connect(DefBtn, &QPushButton::clicked, Defini, &QAction::trigger);
    connect(Efface, &QAction::triggered, this, [this] { EffaceExecute(); });
    connect(Defini, &QAction::triggered, this, [this] { DefiniExecute(); });
    connect(Efface, &QAction::changed, this, [this] { DelBtn->setEnabled(Efface->isEnabled()); });
    connect(Defini, &QAction::changed, this, [this] { DefBtn->setEnabled(Defini->isEnabled()); });
    connect(SortBtn, &QPushButton::clicked, this, [this] { SortBtnClick(); });
    connect(CalcBtn, &QPushButton::clicked, this, [this] { CalcBtnClick(); });
    connect(NbVirEdit, &QSpinBox::valueChanged, this, [this](int v) { NbVirChanged(v); });
    connect(TestFaiTri, &QCheckBox::toggled, this, [this] { StnCalcSetTitles(); });
    connect(DistMaxEdit, &QSpinBox::editingFinished, this, [this] {
        if (DistMinEdit->value() > DistMaxEdit->value()) DistMinEdit->setValue(DistMaxEdit->value());
    });
    for (QSpinBox* s : {DistMinEdit, DifFaiDistEdit, DistFaiMinEdit})
        connect(s, &QSpinBox::editingFinished, this, [this] {
            if (DistMaxEdit->value() < DistMinEdit->value()) DistMaxEdit->setValue(DistMinEdit->value());
        });
    connect(StnGrid->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& Cur) { CurrentCellChanged(Cur); });
    connect(StnGrid, &QTableView::doubleClicked, this, [this](const QModelIndex& I) {
        if (I.row() == 0 && Grid->IsPosCol(I.column())) DefiniExecute();
    });
    // The plan view draws the search cylinders of the radius row.
    connect(Grid, &QAbstractItemModel::dataChanged, this, [](const QModelIndex& From, const QModelIndex&) {
        if (From.row() == 1) RefreshViews();
    });
    connect(Sorter, &TSortGrid::sortRequested, this, [this](int Col, bool Desc) {
        if (!Running()) StnCalcSortGrid(Col, Desc);
    });

    fGeneration = WptGeneration;
    StnCalcSetColumns();
}

TStnCalc::~TStnCalc()
{
    StopSort();
    Stop();
}

void TStnCalc::PlaceAbove(const QRect& MainGeometry, int StatusBarHeight)
{
    const QScreen* s = screen();
    const int left = s ? s->availableGeometry().left() : 0;
    move(left, MainGeometry.top() + MainGeometry.height() - StatusBarHeight - frameGeometry().height() - 5);
}

void TStnCalc::Open()
{
    if (!isVisible()) {
        for (int c = 1; c <= Grid->N + 2; ++c) {
            Grid->CritWpt[c] = nullptr;
            Grid->CritName[c].clear();
            Grid->CritRadius[c] = QStringLiteral("0");
        }
        Grid->CriteriaChanged();
        UpdateEnabling();
    }
    show();
    raise();
    activateWindow(); // opened from the menu: its keys are the pilot's next ones
}

void TStnCalc::StnCalcSetColumns()
{
    const TQuiet quiet(fQuiet);
    const int n = NbVirEdit->value();
    Grid->beginResetModel();
    Grid->N = n;
    Grid->endResetModel();
    const bool faiOk = n == 2 || n == 3;
    TestFaiTri->setEnabled(faiOk);
    if (!faiOk) TestFaiTri->setChecked(false);
    // The positions share the width; the titles and the distances keep what they need.
    QHeaderView* h = StnGrid->horizontalHeader();
    for (int c = 0; c < Grid->columnCount(); ++c) {
        StnGrid->setColumnHidden(c, false);
        h->setSectionResizeMode(c, Grid->IsPosCol(c) ? QHeaderView::Stretch : QHeaderView::Fixed);
    }
    const QFontMetrics fm = StnGrid->fontMetrics();
    StnGrid->setColumnWidth(0, fm.horizontalAdvance(QStringLiteral(" Way-pt ")) + 8);
    for (int c : {Grid->DistCol(), Grid->FaiCol()})
        StnGrid->setColumnWidth(c, fm.horizontalAdvance(u'0') * 8 + 8);
    StnGrid->setColumnHidden(Grid->FaiCol(), !TestFaiTri->isEnabled());
    StnCalcSetTitles();
    for (int c = 1; c <= n + 2; ++c)
        if (Grid->CritRadius[c].isEmpty()) Grid->CritRadius[c] = QStringLiteral("0");
}

void TStnCalc::StnCalcSetTitles()
{
    Grid->SetTitles();
    const bool fai3 = TestFaiTri->isChecked() && Grid->N == 3;
    DistMinSegEdit->setEnabled(!fai3);
    DistMinSegLbl->setEnabled(!fai3);
    for (QWidget* w :
         std::initializer_list<QWidget*>{DifFaiDistEdit, DistFaiMinEdit, DifFaiDistLbl, DistFaiMinLbl})
        w->setEnabled(fai3);
}

void TStnCalc::NbVirChanged(int Value)
{
    StopSort();
    const TQuiet quiet(fQuiet);
    const int oldFin = fLastN + 2;
    TWpt* savedWpt = Grid->CritWpt[oldFin];
    const QString savedName = Grid->CritName[oldFin];
    const QString savedRadius = Grid->CritRadius[oldFin];
    fLastN = Value;
    Grid->ClearResults();
    const int fin = Value + 2;
    for (int c = fin; c < 8; ++c) {
        Grid->CritWpt[c] = nullptr;
        Grid->CritName[c].clear();
        Grid->CritRadius[c].clear();
    }
    StnCalcSetColumns();
    if (!savedName.isEmpty()) Grid->CritName[fin] = savedName;
    if (savedWpt) Grid->CritWpt[fin] = savedWpt;
    Grid->CritRadius[fin] = savedRadius.isEmpty() ? QStringLiteral("0") : savedRadius;
    if (Value > 0) {
        Grid->CritWpt[fin - 1] = nullptr;
        Grid->CritName[fin - 1].clear();
        Grid->CritRadius[fin - 1] = QStringLiteral("0");
    }
    Grid->CriteriaChanged();
    UpdateEnabling();
}

void TStnCalc::UpdateEnabling()
{
    const QModelIndex cur = StnGrid->currentIndex();
    Efface->setEnabled(cur.isValid() && cur.row() == 0 && Grid->IsPosCol(cur.column()) &&
                       Grid->CritWpt[cur.column()] != nullptr);
    Defini->setEnabled(cur.isValid() && cur.row() == 0);
}

void TStnCalc::CurrentCellChanged(const QModelIndex& Cur)
{
    // Rows that go under the cursor move it: only the user's choice of a row replaces the task.
    if (!Cur.isValid() || fQuiet > 0) {
        UpdateEnabling();
        return;
    }
    SelectRowsAt(Cur.row());
    if (Cur.row() >= TStnGridModel::FirstResultRow) {
        StnGrid->selectionModel()->select(Cur,
                                          QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    UpdateEnabling();
    StnCalcRowToTask(Cur.row());
}

void TStnCalc::StnCalcRowToTask(int Row)
{
    ModelChanged();
    if (Row < 0 || Row >= Grid->rowCount()) return;
    if (!Trj || !Stn) {
        ShowStatus(MsgNoTrace);
        return;
    }
    const bool criteria = Row < TStnGridModel::FirstResultRow;
    if (criteria) Row = 0;
    const TStnRow* r = criteria ? nullptr : &Grid->Row(size_t(Row - TStnGridModel::FirstResultRow));
    while (Stn->First) Stn->DeleteTrn(Stn->First);
    for (int c = 1; c <= Grid->N + 2; ++c) {
        const TWpt* w = criteria ? Grid->CritWpt[c] : Grid->Wpts[r->W[c - 1]];
        if (!w) continue;
        TTrn t;
        t.Lat = w->Lat;
        t.Lon = w->Lon;
        t.Name = w->Name;
        t.Comment = w->Comment;
        t.Reached = 0;
        Stn->AddTrn(t, c - 1);
    }
    Stn->Modified = true;
    RefreshViews();
}

void TStnCalc::DefiniExecute()
{
    ModelChanged();
    const QModelIndex cur = StnGrid->currentIndex();
    if (!Swp || Running()) return;
    if (!Swp->SelWpt) {
        MessageDlg(MsgSelectWpt, TMsgType::Information, mbOK);
        return;
    }
    if (!cur.isValid() || cur.row() != 0 || !Grid->IsPosCol(cur.column())) return;
    const int c = cur.column();
    Grid->CritWpt[c] = Swp->SelWpt;
    Grid->CritName[c] = Swp->SelWpt->Name;
    const int fin = Grid->N + 2;
    if (c == 1 && Grid->N > 0 && !Grid->CritWpt[fin]) {
        Grid->CritWpt[fin] = Swp->SelWpt;
        Grid->CritName[fin] = Swp->SelWpt->Name;
    }
    emit Grid->dataChanged(Grid->index(0, 1), Grid->index(0, fin));
    Efface->setEnabled(true);
    StnCalcRowToTask(0);
}

void TStnCalc::EffaceExecute()
{
    const QModelIndex cur = StnGrid->currentIndex();
    if (Running() || !cur.isValid() || cur.row() != 0 || !Grid->IsPosCol(cur.column())) return;
    Grid->CritWpt[cur.column()] = nullptr;
    Grid->CritName[cur.column()].clear();
    emit Grid->dataChanged(cur, cur);
    Efface->setEnabled(false);
}

void TStnCalc::SortBtnClick()
{
    if (Running()) return;
    if (!SortSel) SortSel = new TSortSel(this);
    OwnSharedWindow(SortSel, this);
    SortSel->Grid = StnGrid;
    SortSel->InitCol = 1;
    if (SortSel->exec() == mrOk) StnCalcSortGrid(SortSel->SortCol, SortSel->Descending != 0);
}

void TStnCalc::StnCalcSortGrid(int Col, bool Descending)
{
    StnCalcSetTitles();
    RequestSort(Col, Descending);
    Grid->setHeaderData(Col, Qt::Horizontal, MarkSortTitle(Grid->Titles.value(Col), Descending),
                        Qt::DisplayRole);
}

void TStnCalc::ApplySortMarkers()
{
    const QStringList titles = Grid->Titles;
    for (int c = 1; c < titles.size(); ++c) {
        const int m = SortMarkerOf(titles[c]);
        if (m != 0) RequestSort(c, m < 0);
    }
}

void TStnCalc::RequestSort(int Col, bool Descending)
{
    if (Grid->Rows.size() < 2 || Col < 1 || Col >= Grid->columnCount()) return;
    // Sorts follow each other in the order asked (each one stable on the order before it).
    if (fSort)
        fSortQueue.emplace_back(Col, Descending);
    else
        StartSort(Col, Descending);
}

void TStnCalc::StartSort(int Col, bool Descending)
{
    SortBusy(true);
    auto job = std::make_unique<TSortJob>();
    TSortJob* j = job.get();
    const std::deque<TStnRow>* rows = &Grid->Rows;
    const std::vector<uint32_t>* order = &Grid->Order;
    j->Thread = std::thread([j, rows, order, spec = Grid->SortSpec(Col, Descending)] {
        j->Ok = SortStnOrder(*rows, *order, spec, j->Out, j->Abort);
        j->Done = true;
    });
    fSort = std::move(job);
    fSortPoll->start();
}

void TStnCalc::PollSort()
{
    if (!fSort) {
        fSortPoll->stop();
        return;
    }
    if (!fSort->Done.load()) return;
    fSort->Thread.join();
    if (fSort->Ok) Grid->SetOrder(fSort->Out);
    fSort.reset();
    if (!fSortQueue.empty()) {
        const auto [col, desc] = fSortQueue.front();
        fSortQueue.pop_front();
        StartSort(col, desc);
        return;
    }
    fSortPoll->stop();
    SortBusy(false);
}

void TStnCalc::StopSort()
{
    fSortQueue.clear();
    fSort.reset();
    fSortPoll->stop();
    SortBusy(false);
}

void TStnCalc::SortBusy(bool On)
{
    if (On == fSortBusy) return;
    fSortBusy = On;
    if (On) {
        ShowStatus(MsgSorting);
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
        ShowStatus(QString());
    }
}

void TStnCalc::SetInputsEnabled(bool On)
{
    for (QWidget* w : std::initializer_list<QWidget*>{NbVirEdit, DistMinEdit, DistMaxEdit, OneDirection,
                                                      CalcBtn, SortBtn, DefBtn, DelBtn, StnGrid})
        w->setEnabled(On);
    if (On) {
        TestFaiTri->setEnabled(Grid->N == 2 || Grid->N == 3);
        StnCalcSetTitles();
    } else {
        for (QWidget* w :
             std::initializer_list<QWidget*>{TestFaiTri, DistMinSegEdit, DifFaiDistEdit, DistFaiMinEdit})
            w->setEnabled(false);
    }
}

std::vector<double> TStnCalc::SearchRadii() const
{
    std::vector<double> radii;
    const QModelIndex cur = StnGrid->currentIndex();
    if (!isVisible() || !cur.isValid() || cur.row() >= TStnGridModel::FirstResultRow) return radii;
    for (int c = 1; c <= Grid->N + 2; ++c)
        if (Grid->CritWpt[c]) radii.push_back(std::max(0, RadiusOfText(Grid->CritRadius[c])) * 1000.0);
    return radii;
}

void TStnCalc::ModelChanged()
{
    const TQuiet quiet(fQuiet);
    if (fGeneration == WptGeneration) return;
    fGeneration = WptGeneration;
    StopSort();
    Stop();
    for (int c = 0; c < 8; ++c) {
        Grid->CritWpt[c] = nullptr;
        Grid->CritName[c].clear();
        Grid->CritRadius[c] = QStringLiteral("0");
    }
    Grid->beginResetModel();
    std::deque<TStnRow>().swap(Grid->Rows);
    Grid->Order.clear();
    Grid->Wpts.clear();
    Grid->endResetModel();
    UpdateEnabling();
}

void TStnCalc::CalcBtnClick()
{
    ModelChanged();
    if (Running() || Grid->columnCount() > 8) return;
    StopSort();
    {
        const TQuiet quiet(fQuiet);
        Grid->ClearResults();
    }
    Grid->Wpts.clear();
    if (!Swp || Swp->Count == 0) return;

    double f = 1.0;
    QString unit;
    DistUnit(f, unit);

    std::vector<TPos> pos;
    std::unordered_map<const TWpt*, int> index;
    pos.reserve(Swp->Count);
    for (TWpt* w = Swp->First; w; w = w->Next) {
        index.emplace(w, int(pos.size()));
        pos.push_back(*w);
        Grid->Wpts.push_back(w);
    }

    TStnCalcCriteria C;
    C.N = Grid->N;
    for (int c = 1; c <= C.N + 2; ++c) {
        TStnCalcPos& p = C.Pos[c - 1];
        const auto it = Grid->CritWpt[c] ? index.find(Grid->CritWpt[c]) : index.end();
        if (it == index.end()) continue;
        p.Wpt = it->second;
        p.Radius = std::max(0, RadiusOfText(Grid->CritRadius[c]));
    }
    C.DistMin = DistMinEdit->value();
    C.DistMax = DistMaxEdit->value();
    C.DistMinSeg = DistMinSegEdit->value();
    C.DifFaiDist = DifFaiDistEdit->value();
    C.DistFaiMin = DistFaiMinEdit->value();
    C.TestFai = TestFaiTri->isChecked();
    C.OneDirection = OneDirection->isChecked();
    C.Factor = f;
    const TOpt& o = *Opt;
    C.EarthModel = o.EarthModel;
    C.MinTri0 = o.MinTri0;
    C.MaxTri0 = o.MaxTri0;
    C.MinDist1 = o.MinDist1;
    C.MinTri1 = o.MinTri1;
    C.MaxTri1 = o.MaxTri1;

    auto engine = std::make_unique<TStnCalcEngine>(std::move(pos), C);
    int free = 0, fixedOrCyl = 0;
    for (int k = 0; k < C.Positions(); ++k) (C.Pos[k].Wpt < 0 ? free : fixedOrCyl)++;
    if (engine->Combinations() > 2147483647.0) {
        MessageDlg(MsgTooMany, TMsgType::Warning, mbOK);
        return;
    }
    if (free > 2 && MessageDlg(MsgTooLong, TMsgType::Confirmation, mbYes | mbNo) != mrYes) return;

    // Distances that reach 9999.95 km take seven characters.
    Grid->DistWidth = C.DistMax * f >= 9999.95 ? 7 : 6;

    if (!InfoPrgsForm) InfoPrgsForm = new TInfoPrgsForm(this);
    OwnSharedWindow(InfoPrgsForm, this);
    InfoPrgsForm->TimeLbl->setVisible(fixedOrCyl == 0);
    InfoPrgsForm->ProgressBar->setVisible(fixedOrCyl == 0);
    InfoPrgsForm->FoundLbl->clear();
    InfoPrgsForm->ProgressBar->setRange(0, ProgressSteps);
    InfoPrgsForm->ProgressBar->setValue(0);
    InfoPrgsForm->show();

    engine->RowLimit = RowLimit;
    fEngine = std::move(engine);
    SetInputsEnabled(false);
    TStnCalcEngine* e = fEngine.get();
    fThread = std::thread([e] { e->Run(); });
    fPoll->start();
}

void TStnCalc::Poll()
{
    if (!fEngine) {
        fPoll->stop();
        return;
    }
    if (fGeneration != WptGeneration) {
        ModelChanged();
        return;
    }
    Grid->AppendRows(fEngine->TakeBatches());
    if (InfoPrgsForm) {
        const double max = fEngine->CandidateCount();
        const double p = fEngine->Progress.load();
        InfoPrgsForm->ProgressBar->setValue(max > 0 ? int(std::min(1.0, p / max) * ProgressSteps) : 0);
        InfoPrgsForm->FoundLbl->setText(MsgFound.arg(fEngine->Found.load()));
    }
    if (fEngine->Finished.load() || !InfoPrgsForm || !InfoPrgsForm->isVisible()) Finish();
}

void TStnCalc::Stop()
{
    if (fEngine) Finish();
}

void TStnCalc::Finish()
{
    if (!fEngine) return;
    fEngine->Abort = true;
    if (fThread.joinable()) fThread.join();
    fPoll->stop();
    const bool capped = fEngine->Capped();
    if (fGeneration == WptGeneration) Grid->AppendRows(fEngine->TakeBatches());
    if (InfoPrgsForm) {
        InfoPrgsForm->FoundLbl->setText(MsgFound.arg(fEngine->Found.load()));
        InfoPrgsForm->hide();
    }
    fEngine.reset();
    ApplySortMarkers();
    SetInputsEnabled(true);
    UpdateEnabling();
    if (capped) MessageDlg(MsgRowLimit.arg(RowLimit), TMsgType::Information, mbOK);
}

void TStnCalc::closeEvent(QCloseEvent* E)
{
    Stop();
    if (InfoPrgsForm) InfoPrgsForm->hide();
    QDialog::closeEvent(E);
}

void TStnCalc::SelectRowsAt(int Row)
{
    // Result rows are chosen whole; the criteria rows cell by cell.
    StnGrid->setSelectionBehavior(Row >= TStnGridModel::FirstResultRow ? QAbstractItemView::SelectRows
                                                                         : QAbstractItemView::SelectItems);
}

bool TStnCalc::eventFilter(QObject* O, QEvent* E)
{
    // A click selects as the row under it wants, before the grid makes its selection.
    if (O == StnGrid->viewport() && E->type() == QEvent::MouseButtonPress) {
        const QModelIndex at = StnGrid->indexAt(static_cast<QMouseEvent*>(E)->position().toPoint());
        if (at.isValid()) SelectRowsAt(at.row());
    }
    // Leaving the grid from a criteria row shows the criteria as the task (a cell editor of the
    // grid taking the focus is not leaving it).
    if (O == StnGrid && E->type() == QEvent::FocusOut && !Running()) {
        const QWidget* to = QApplication::focusWidget();
        const QModelIndex cur = StnGrid->currentIndex();
        if (cur.isValid() && cur.row() < TStnGridModel::FirstResultRow && !(to && StnGrid->isAncestorOf(to)))
            StnCalcRowToTask(0);
    }
    return QDialog::eventFilter(O, E);
}

void TStnCalc::reject()
{
    Stop();
    QDialog::reject();
}
