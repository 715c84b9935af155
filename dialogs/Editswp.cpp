// The waypoint-set editor.
#include "dialogs/Editswp.h"
#include "dialogs/ToolWindow.h"

#include "dialogs/Editwpt.h"
#include "dialogs/SelSort.h"
#include "dialogs/SortGrid.h"
#include "model/ModelUi.h"
#include "model/Options.h"
#include "model/Texts.h"
#include "platform/MaskEdit.h"
#include "platform/Msg.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTableView>
#include <QVBoxLayout>

QPointer<TSwpEdit> SwpEdit;

namespace {

// The hourglass while a long reordering runs.
struct TBusy
{
    TBusy()
    {
        ShowStatus(
            Tr(QStringLiteral("Trie des way-points en cours."), QStringLiteral("Sorting the waypoints.")));
        QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~TBusy()
    {
        QApplication::restoreOverrideCursor();
        ShowStatus(QString());
    }
};

} // namespace

// ---- Model ----------------------------------------

void TSwpGridModel::SetRows(std::vector<TSwpRow> R)
{
    beginResetModel();
    Rows = std::move(R);
    endResetModel();
}

void TSwpGridModel::InsertRow(int Row)
{
    Row = std::clamp(Row, 0, int(Rows.size()));
    beginInsertRows({}, Row, Row);
    Rows.insert(Rows.begin() + Row, SwpEmptyRow());
    endInsertRows();
    // The numbers below the new row change.
    emit dataChanged(index(Row, 0), index(int(Rows.size()) - 1, 0));
}

void TSwpGridModel::DeleteRow(int Row)
{
    if (Row < 0 || Row >= int(Rows.size())) return;
    beginRemoveRows({}, Row, Row);
    Rows.erase(Rows.begin() + Row);
    endRemoveRows();
    if (Row < int(Rows.size())) emit dataChanged(index(Row, 0), index(int(Rows.size()) - 1, 0));
}

void TSwpGridModel::MoveRow(int From, int To)
{
    const int n = int(Rows.size());
    if (From < 0 || From >= n || To < 0 || To >= n || From == To) return;
    // Qt's destination is the place before which the row goes.
    beginMoveRows({}, From, From, {}, To > From ? To + 1 : To);
    TSwpRow r = std::move(Rows[size_t(From)]);
    Rows.erase(Rows.begin() + From);
    Rows.insert(Rows.begin() + To, std::move(r));
    endMoveRows();
    emit dataChanged(index(std::min(From, To), 0), index(std::max(From, To), 0));
}

void TSwpGridModel::ToggleMark(int Row)
{
    if (Row < 0 || Row >= int(Rows.size())) return;
    Rows[size_t(Row)].Marked = !Rows[size_t(Row)].Marked;
    emit dataChanged(index(Row, 0), index(Row, 0));
}

void TSwpGridModel::Reorder(const std::vector<uint32_t>& Order)
{
    if (Order.size() != Rows.size()) return;
    emit layoutAboutToBeChanged();
    std::vector<TSwpRow> out;
    out.reserve(Rows.size());
    for (uint32_t i : Order) out.push_back(std::move(Rows[i]));
    Rows = std::move(out);
    // The current cell follows its row.
    std::vector<int> place(Order.size());
    for (size_t i = 0; i < Order.size(); ++i) place[Order[i]] = int(i);
    const QModelIndexList old = persistentIndexList();
    QModelIndexList moved;
    moved.reserve(old.size());
    for (const QModelIndex& i : old) moved.append(index(place[size_t(i.row())], i.column()));
    changePersistentIndexList(old, moved);
    emit layoutChanged();
}

void TSwpGridModel::SetTitle(int Col, const QString& Title)
{
    Titles[Col] = Title;
    emit headerDataChanged(Qt::Horizontal, Col, Col);
}

int TSwpGridModel::rowCount(const QModelIndex& P) const
{
    return P.isValid() ? 0 : int(Rows.size());
}

int TSwpGridModel::columnCount(const QModelIndex& P) const
{
    return P.isValid() ? 0 : SwpColCount;
}

QVariant TSwpGridModel::data(const QModelIndex& I, int Role) const
{
    if (!I.isValid() || I.row() >= int(Rows.size())) return {};
    const TSwpRow& r = Rows[size_t(I.row())];
    if (Role == Qt::DisplayRole || Role == Qt::EditRole) {
        if (I.column() == scNum)
            return (r.Marked ? QStringLiteral("*") : QString()) + QString::number(I.row() + 1);
        return r.Text[size_t(I.column())];
    }
    if (Role == Qt::ToolTipRole) return ColHints[I.column()];
    return {};
}

bool TSwpGridModel::setData(const QModelIndex& I, const QVariant& V, int Role)
{
    if (Role != Qt::EditRole || !I.isValid() || I.column() == scNum) return false;
    TSwpRow& r = Rows[size_t(I.row())];
    const QString t = V.toString();
    if (t == r.Text[size_t(I.column())]) return false;
    r.Text[size_t(I.column())] = t;
    r.Edited |= uint8(1u << I.column());
    emit dataChanged(I, I);
    emit cellEdited();
    return true;
}

Qt::ItemFlags TSwpGridModel::flags(const QModelIndex& I) const
{
    if (!I.isValid()) return Qt::NoItemFlags;
    if (I.column() == scNum) return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

QVariant TSwpGridModel::headerData(int Section, Qt::Orientation O, int Role) const
{
    if (O != Qt::Horizontal || Section < 0 || Section >= SwpColCount) return {};
    if (Role == Qt::DisplayRole) return Titles[Section];
    if (Role == Qt::ToolTipRole) return Section == scNum ? ColHints[scNum] : TitleHint;
    return {};
}

// ---- Cell editors ----------------------------------------

QWidget* TSwpDelegate::createEditor(QWidget* Parent, const QStyleOptionViewItem&, const QModelIndex& I) const
{
    auto* e = new QLineEdit(Parent);
    e->setFrame(false);
    const int col = I.column();
    if (col == scLat) e->setInputMask(MaskToQtInputMask(QStringLiteral(">") + LatMask()));
    if (col == scLon) e->setInputMask(MaskToQtInputMask(QStringLiteral(">") + LonMask()));
    if (col == scAlt) {
        const bool feet = Opt && Opt->UniteAltitude == 1;
        const QString text = I.data().toString();
        if (text.isEmpty() || text.size() == (feet ? 8 : 6))
            e->setInputMask(MaskToQtInputMask(WptAltMask(feet)));
        else
            // An altitude longer than the mask keeps all its digits.
            e->setValidator(new QRegularExpressionValidator(
                QRegularExpression(QStringLiteral("[-+]?[0-9]{0,8}( (m|Ft|M|FT|ft)?)?")), e));
    }
    if (col == scName) e->setMaxLength(WptNameLen);
    if (col == scComment) e->setMaxLength(WptCommentLen);
    if (col == scLat || col == scLon || col == scType) {
        // The filters run on every change, pasted text included.
        connect(e, &QLineEdit::textEdited, e, [e, col](const QString& t) {
            const QString saved = e->property("EditSave").toString();
            const QString f = SwpFilterCell(col, t, saved);
            if (f != t) {
                const int pos = e->cursorPosition();
                e->setText(f);
                e->setCursorPosition(std::min(pos, int(f.size())));
            }
        });
    }
    return e;
}

void TSwpDelegate::setEditorData(QWidget* Editor, const QModelIndex& I) const
{
    auto* e = static_cast<QLineEdit*>(Editor);
    const QString t = I.data(Qt::EditRole).toString();
    e->setProperty("EditSave", t);
    e->setText(t);
}

void TSwpDelegate::setModelData(QWidget* Editor, QAbstractItemModel* M, const QModelIndex& I) const
{
    auto* e = static_cast<QLineEdit*>(Editor);
    M->setData(I, SwpFilterCell(I.column(), e->text(), e->property("EditSave").toString()), Qt::EditRole);
}

// ---- Window ----------------------------------------

TSwpEdit::TSwpEdit(QWidget* Parent) : QDialog(Parent)
{
    setObjectName(QStringLiteral("SwpEdit"));
    setModal(true);
    resize(760, 480);
    Grid = new TSwpGridModel(this);
    SwpGrid = new QTableView(this);
    SwpGrid->setObjectName(QStringLiteral("SwpGrid"));
    SwpGrid->setModel(Grid);
    SwpGrid->setItemDelegate(new TSwpDelegate(SwpGrid));
    SwpGrid->verticalHeader()->hide();
    SwpGrid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    SwpGrid->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    SwpGrid->horizontalHeader()->setStretchLastSection(true);
    SwpGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    SwpGrid->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                             QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
    SwpGrid->setWordWrap(false);
    SwpGrid->viewport()->installEventFilter(this);
    fSort = new TSortGrid(SwpGrid);
    connect(fSort, &TSortGrid::sortRequested, this, [this](int c, bool d) {
        SwpEditSetTitles();
        SwpEditSortGrid(c, d);
        Grid->SetTitle(c, MarkSortTitle(Grid->Titles[c], d));
    });
    connect(Grid, &TSwpGridModel::cellEdited, this, [this] { Changed = 1; });

    const auto button = [this](const char* name, const QString& text) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        return b;
    };
    OKBtn = button("OKBtn", QStringLiteral("OK"));
    EscBtn = button("EscBtn", QStringLiteral("Annuler"));
    SortBtn = button("SortBtn", QStringLiteral("&Trier"));
    NearBtn = button("NearBtn", QStringLiteral("&Proches"));
    InsBtn = button("InsBtn", QStringLiteral("&Insérer"));
    DelBtn = button("DelBtn", QStringLiteral("&Suppr."));
    connect(OKBtn, &QPushButton::clicked, this, &TSwpEdit::OKBtnClick);
    connect(EscBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(SortBtn, &QPushButton::clicked, this, &TSwpEdit::SortBtnClick);
    connect(NearBtn, &QPushButton::clicked, this, &TSwpEdit::NearBtnClick);
    connect(InsBtn, &QPushButton::clicked, this, &TSwpEdit::InsBtnClick);
    connect(DelBtn, &QPushButton::clicked, this, &TSwpEdit::DelBtnClick);

    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {InsBtn, DelBtn, SortBtn, NearBtn}) buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(OKBtn);
    buttons->addWidget(EscBtn);
    auto* lay = new QVBoxLayout(this);
    lay->addWidget(SwpGrid);
    lay->addLayout(buttons);
    CaptionAll = QStringLiteral("Edition de tous les way-points");
    CaptionMarked = QStringLiteral("Edition des way-points répérés");
    SwpEditSetTitles();
}

int TSwpEdit::Execute(uint8 Marked)
{
    MarkedOnly = Marked;
    setWindowTitle(Marked ? CaptionMarked : CaptionAll);
    return exec();
}

void TSwpEdit::SwpEditSetTitles()
{
    static const char* const fr[SwpColCount] = {"",         "Nom",     "Latitude",   "Longitude",
                                                "Altitude", "Type(s)", "Commentaire"};
    static const char* const en[SwpColCount] = {"",         "Name",    "Latitude", "Longitude",
                                                "Altitude", "Type(s)", "Comment"};
    static const char* const hintFr[SwpColCount] = {
        "Numéro d'ordre du way-point, précédé de * si repéré. Double-cliquer pour le repérer.",
        "Nom du way-point.",
        "Latitude du way-point.",
        "Longitude du way-point.",
        "Altitude du way-point.",
        "Types (T=turnpoint, A=airfield, L=landing, S=start, F=finish, H=home et R=restricted) du way-point.",
        "Commentaire concernant le way-point."};
    static const char* const hintEn[SwpColCount] = {
        "Order number of the waypoint, preceded by * when marked. Double-click to mark it.",
        "Name of the waypoint.",
        "Latitude of the waypoint.",
        "Longitude of the waypoint.",
        "Altitude of the waypoint.",
        "Types (T=turnpoint, A=airfield, L=landing, S=start, F=finish, H=home and R=restricted) of the "
        "waypoint.",
        "Comment about the waypoint."};
    for (int c = 0; c < SwpColCount; ++c) {
        Grid->ColHints[c] = Tr(QString::fromUtf8(hintFr[c]), QString::fromUtf8(hintEn[c]));
        Grid->SetTitle(c, Tr(QString::fromUtf8(fr[c]), QString::fromUtf8(en[c])));
    }
    Grid->TitleHint = Tr(QStringLiteral("Cliquer pour trier par ordre croissant (<) puis décroissant (>) "
                                        "(Maj+clique pour ordre décroissant)"),
                         QStringLiteral("Click to sort in ascending (<) then descending (>) order "
                                        "(Shift+click for descending order)"));
}

void TSwpEdit::SwpEditEnableButtons()
{
    const bool two = Grid->rowCount() >= 2;
    SortBtn->setEnabled(two);
    NearBtn->setEnabled(two);
    DelBtn->setEnabled(two);
}

void TSwpEdit::SwpEditSortGrid(int Col, bool Descending)
{
    if (Grid->rowCount() < 2 || Col < 1 || Col >= SwpColCount) return;
    TBusy busy;
    std::vector<QString> keys;
    keys.reserve(Grid->Rows.size());
    for (const TSwpRow& r : Grid->Rows) keys.push_back(r.Text[size_t(Col)]);
    Grid->Reorder(SortedOrder(keys, Descending));
    Changed = 1;
}

int TSwpEdit::CurrentRow() const
{
    const QModelIndex i = SwpGrid->currentIndex();
    return i.isValid() ? i.row() : -1;
}

void TSwpEdit::InsBtnClick()
{
    if (int(Grid->Rows.size()) + SwpCarriedCount(Swp, MarkedOnly) >= MaxListCount) {
        MessageDlg(Tr(QStringLiteral("Nombre maximum de balises atteint (65535)."),
                      QStringLiteral("Maximum number of waypoints reached (65535).")),
                   TMsgType::Error, mbOK);
        return;
    }
    const int row = std::max(CurrentRow(), 0);
    const int col = std::max(SwpGrid->currentIndex().column(), int(scName));
    Grid->InsertRow(row);
    SwpGrid->setCurrentIndex(Grid->index(row, col));
    SwpEditEnableButtons();
    Changed = 1;
}

void TSwpEdit::DelBtnClick()
{
    const int row = CurrentRow();
    if (row < 0 || Grid->rowCount() < 2) return;
    const int col = SwpGrid->currentIndex().column();
    Grid->DeleteRow(row);
    SwpGrid->setCurrentIndex(Grid->index(std::min(row, Grid->rowCount() - 1), col));
    SwpEditEnableButtons();
    Changed = 1;
}

void TSwpEdit::SortBtnClick()
{
    if (!SortSel) SortSel = new TSortSel(this);
    OwnSharedWindow(SortSel, this);
    SortSel->Grid = SwpGrid;
    SortSel->InitCol = 1;
    if (SortSel->exec() != QDialog::Accepted) return;
    const int col = SortSel->SortCol;
    SwpEditSetTitles();
    SwpEditSortGrid(col, SortSel->Descending);
    if (col >= 1 && col < SwpColCount)
        Grid->SetTitle(col, MarkSortTitle(Grid->Titles[col], SortSel->Descending));
}

void TSwpEdit::NearBtnClick()
{
    if (Grid->rowCount() < 2) return;
    TBusy busy;
    SwpEditSetTitles();
    Grid->Reorder(SwpNearestOrder(Grid->Rows));
    Changed = 1;
}

void TSwpEdit::OKBtnClick()
{
    // A cell still being typed counts: leaving it commits its editor.
    const QModelIndex cur = SwpGrid->currentIndex();
    SwpGrid->setCurrentIndex(QModelIndex());
    SwpGrid->setCurrentIndex(cur);
    const int sel = CurrentRow();
    if (!Changed && !Reordered) {
        if (Swp) Swp->SelWpt = sel >= 0 ? const_cast<TWpt*>(Grid->Rows[size_t(sel)].Source) : nullptr;
        accept();
        return;
    }
    TSwpRebuild r = SwpRebuild(Grid->Rows, Swp, MarkedOnly, sel, Changed);
    SetSwp(std::move(r.Set));
    if (ModelUi()) ModelUi()->FitViews();
    if (r.Rejected > 0)
        MessageDlg(Tr(QStringLiteral("%1 erreur(s) détectée(s)."), QStringLiteral("%1 error(s) found."))
                       .arg(r.Rejected),
                   TMsgType::Information, mbOK);
    accept();
}

void TSwpEdit::showEvent(QShowEvent* E)
{
    QDialog::showEvent(E);
    if (!E->spontaneous()) FormActivate();
}

void TSwpEdit::FormActivate()
{
    Changed = 0;
    Reordered = 0;
    fDragRow = -1;
    SwpEditSetTitles();
    const QFontMetrics fm(SwpGrid->font());
    const char* samples[] = {" *0000 ",        " WWWWWWWWWW ", " N00°00'00\" ",
                             " W000°00'00\" ", " 00000 Ft ",   " 000000 "};
    for (int c = 0; c < 6; ++c)
        SwpGrid->setColumnWidth(c, fm.horizontalAdvance(QString::fromUtf8(samples[c])));
    SwpGrid->verticalHeader()->setDefaultSectionSize(fm.height() + 6);

    std::vector<TSwpRow> rows;
    int selRow = -1;
    if (Swp) {
        rows.reserve(Swp->Count);
        for (const TWpt* W = Swp->First; W; W = W->Next) {
            if (MarkedOnly && !W->Rep) continue;
            if (W == Swp->SelWpt) selRow = int(rows.size());
            rows.push_back(SwpRowFromWpt(*W));
        }
    }
    if (rows.empty()) rows.push_back(SwpEmptyRow());
    Grid->SetRows(std::move(rows));
    if (selRow >= 0) {
        const QModelIndex i = Grid->index(selRow, scName);
        SwpGrid->setCurrentIndex(i);
        SwpGrid->scrollTo(i, QAbstractItemView::PositionAtCenter);
    } else {
        SwpGrid->setCurrentIndex(Grid->index(0, scName));
    }
    SwpEditEnableButtons();
}

bool TSwpEdit::eventFilter(QObject* W, QEvent* E)
{
    if (W != SwpGrid->viewport()) return QDialog::eventFilter(W, E);
    // A row is dragged by its number cell to another place.
    if (E->type() == QEvent::MouseButtonDblClick) {
        // A double click on a number marks or unmarks its waypoint.
        auto* m = static_cast<QMouseEvent*>(E);
        const QModelIndex i = SwpGrid->indexAt(m->position().toPoint());
        if (m->button() == Qt::LeftButton && i.isValid() && i.column() == scNum) {
            Grid->ToggleMark(i.row());
            Reordered = 1;
            return true;
        }
    } else if (E->type() == QEvent::MouseButtonPress) {
        auto* m = static_cast<QMouseEvent*>(E);
        const QModelIndex i = SwpGrid->indexAt(m->position().toPoint());
        fDragRow = (m->button() == Qt::LeftButton && i.isValid() && i.column() == scNum) ? i.row() : -1;
    } else if (E->type() == QEvent::MouseButtonRelease) {
        auto* m = static_cast<QMouseEvent*>(E);
        const QModelIndex i = SwpGrid->indexAt(m->position().toPoint());
        const int from = fDragRow;
        fDragRow = -1;
        if (from >= 0 && i.isValid() && i.row() != from) {
            Grid->MoveRow(from, i.row());
            SwpGrid->setCurrentIndex(Grid->index(i.row(), scName));
            // A new order is a change of the set: it is kept on OK and asked for on quitting.
            Changed = 1;
            Reordered = 1;
            return true;
        }
    }
    return QDialog::eventFilter(W, E);
}
