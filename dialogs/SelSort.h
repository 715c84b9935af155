#pragma once
// The sort-order choice: the caller's grid offers its column titles; the user picks one and
// an order. Columns are numbered as the grids number them: column 0 is the fixed first
// column, so the titles offered are those of columns 1 to count - 1 (the horizontal header).
#include "model/Define.h"

#include <QDialog>
#include <QPointer>
#include <QStringList>

class QAbstractItemModel;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTableView;

// The titles offered for a grid: columns 1 to count - 1 of the horizontal header.
QStringList SortTitles(const QAbstractItemModel* Grid);
// The chosen column (1-based) for the selected entry (-1: none selected, InitCol).
int SortColumn(int SelectedEntry, int InitCol);

class TSortSel : public QDialog
{
    Q_OBJECT
public:
    explicit TSortSel(QWidget* Parent = nullptr);

    QPlainTextEdit* Memo = nullptr;
    QLabel* SortLbl = nullptr;
    QComboBox* SortBox = nullptr;
    QPushButton* NormSortBtn = nullptr; // ascending, mrOk
    QPushButton* DecreaseBtn = nullptr; // descending, mrOk
    QPushButton* EscBtn = nullptr;      // mrCancel

    const QTableView* Grid = nullptr; // in: the grid whose titles are offered
    int32 InitCol = 1;                // in: column preselected, 1-based
    int32 SortCol = 1;                // out: chosen column, 1-based
    uint8 Descending = 0;             // out: 0 ascending, 1 descending

    void reject() override;

protected:
    void showEvent(QShowEvent* E) override;
    // Fills the list from the grid and preselects InitCol.
    void FormActivate();
    void Choose(uint8 Desc);
};

extern QPointer<TSortSel> SortSel;
