#pragma once
// The waypoint-set editor: the current set (all waypoints, or the marked ones) as a grid, one
// waypoint per row; on OK the set is rebuilt from the rows.
#include "dialogs/SwpRows.h"

#include <QAbstractTableModel>
#include <QDialog>
#include <QPointer>
#include <QStyledItemDelegate>

class QPushButton;
class QTableView;
class TSortGrid;

// The rows of the grid. Column 0 shows the row's place, "*" in front when marked.
class TSwpGridModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    std::vector<TSwpRow> Rows;
    QString Titles[SwpColCount];
    QString ColHints[SwpColCount];
    QString TitleHint;

    void SetRows(std::vector<TSwpRow> R);
    void InsertRow(int Row);
    void DeleteRow(int Row);
    void MoveRow(int From, int To);
    void ToggleMark(int Row);
    // Puts the rows in the given order (Order[i]: the row going to place i).
    void Reorder(const std::vector<uint32_t>& Order);
    void SetTitle(int Col, const QString& Title);

    int rowCount(const QModelIndex& P = {}) const override;
    int columnCount(const QModelIndex& P = {}) const override;
    QVariant data(const QModelIndex& I, int Role) const override;
    bool setData(const QModelIndex& I, const QVariant& V, int Role) override;
    Qt::ItemFlags flags(const QModelIndex& I) const override;
    QVariant headerData(int Section, Qt::Orientation O, int Role) const override;

signals:
    void cellEdited();
};

// Editors of the cells: the coordinate and altitude masks, and the filters applied as each
// character is typed.
class TSwpDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget* Parent, const QStyleOptionViewItem& O,
                          const QModelIndex& I) const override;
    void setEditorData(QWidget* Editor, const QModelIndex& I) const override;
    void setModelData(QWidget* Editor, QAbstractItemModel* M, const QModelIndex& I) const override;
};

class TSwpEdit : public QDialog
{
    Q_OBJECT
public:
    explicit TSwpEdit(QWidget* Parent = nullptr);

    QTableView* SwpGrid = nullptr;
    TSwpGridModel* Grid = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* EscBtn = nullptr;
    QPushButton* SortBtn = nullptr;
    QPushButton* NearBtn = nullptr;
    QPushButton* InsBtn = nullptr;
    QPushButton* DelBtn = nullptr;

    uint8 MarkedOnly = 0;
    uint8 Changed = 0;
    uint8 Reordered = 0;
    QString CaptionAll, CaptionMarked;

    // Opens the window modally on the current set.
    int Execute(uint8 Marked);

    void SwpEditSetTitles();
    void SwpEditEnableButtons();
    void SwpEditSortGrid(int Col, bool Descending);
    void InsBtnClick();
    void DelBtnClick();
    void SortBtnClick();
    void NearBtnClick();
    void OKBtnClick();
    int CurrentRow() const;

protected:
    void showEvent(QShowEvent* E) override;
    bool eventFilter(QObject* W, QEvent* E) override;
    void FormActivate();

private:
    TSortGrid* fSort = nullptr;
    int fDragRow = -1;
};

extern QPointer<TSwpEdit> SwpEdit;
