#pragma once
// The circuit search window: criteria (fixed waypoints, search radii, distances, FAI
// conditions), the search on a worker thread, and the grid of found circuits, whose selected
// row becomes the task of the current trace.
//
// The grid's rows: 0 the fixed waypoints ("Way-pt"), 1 the search radii in whole km ("Rayon"),
// 2.. the circuits found. Columns: 0 row titles and running numbers, 1 start, 2..N+1 the
// intermediate points, N+2 finish, then "Dist" and "FAI" (km, whatever the display unit).
#include "dialogs/CalcStnEngine.h"
#include "dialogs/CalcStnSort.h"
#include "model/Define.h"

#include <QAbstractTableModel>
#include <QDialog>
#include <QPointer>
#include <deque>
#include <memory>
#include <thread>

class QAction;
class QCheckBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QTableView;
class QTimer;
class TSortGrid;

// The grid's contents: criteria and result rows. Texts of result rows are made when shown.
class TStnGridModel : public QAbstractTableModel
{
    Q_OBJECT
    friend class TStnCalc;

public:
    static constexpr int FirstResultRow = 2;

    int N = 2;
    std::array<TWpt*, 8> CritWpt{};  // by column; not owned, points into Swp
    std::array<QString, 8> CritName; // by column
    std::array<QString, 8> CritRadius;
    QStringList Titles;
    std::deque<TStnRow> Rows; // circuits found (a deque grows without moving millions of rows)
    // The order the rows are shown in: result row i shows Rows[Order[i]]; empty, as found.
    std::vector<uint32_t> Order;
    std::vector<TWpt*> Wpts;  // the waypoints of the search, by snapshot index
    int DistWidth = 6;        // characters of the Dist and FAI texts

    int rowCount(const QModelIndex& = QModelIndex()) const override;
    int columnCount(const QModelIndex& = QModelIndex()) const override;
    QVariant data(const QModelIndex& Index, int Role) const override;
    bool setData(const QModelIndex& Index, const QVariant& Value, int Role) override;
    Qt::ItemFlags flags(const QModelIndex& Index) const override;
    QVariant headerData(int Section, Qt::Orientation O, int Role) const override;
    bool setHeaderData(int Section, Qt::Orientation O, const QVariant& Value, int Role) override;

    int DistCol() const { return N + 3; }
    int FaiCol() const { return N + 4; }
    bool IsPosCol(int Col) const { return Col >= 1 && Col <= N + 2; }
    // The circuit of result row I (0 for the first result row).
    const TStnRow& Row(size_t I) const { return Order.empty() ? Rows[I] : Rows[Order[I]]; }
    // Text of a cell (what the grid shows).
    QString Text(int Row, int Col) const;
    // Distance text: one decimal, padded on the left to Width characters.
    static QString DistText(double Km, int Width);
    // The criteria rows changed.
    void CriteriaChanged() { emit dataChanged(index(0, 0), index(1, columnCount() - 1)); }
    void ClearResults();
    void AppendRows(const std::vector<std::vector<TStnRow>>& Batches);
    // Rebuilds the titles (no sort marker).
    void SetTitles();
    // Sorts the result rows by the column's text (stable, ordinal) at once.
    void SortRows(int Col, bool Descending);
    // What sorting by the column needs, taken from the model (for a sort on another thread).
    TStnSortSpec SortSpec(int Col, bool Descending) const;
    // Takes an order of the rows made elsewhere (NewOrder receives the old one).
    void SetOrder(std::vector<uint32_t>& NewOrder);
};

// The integer at the start of a radius text up to its first blank; 0 when it is none.
int32 RadiusOfText(const QString& Text);

class TStnCalc : public QDialog
{
    Q_OBJECT
public:
    explicit TStnCalc(QWidget* Parent = nullptr);
    ~TStnCalc() override;

    QTableView* StnGrid = nullptr;
    TStnGridModel* Grid = nullptr;
    QSpinBox* NbVirEdit = nullptr;
    QSpinBox* DistMinEdit = nullptr;
    QSpinBox* DistMaxEdit = nullptr;
    QSpinBox* DistMinSegEdit = nullptr;
    QCheckBox* TestFaiTri = nullptr;
    QSpinBox* DifFaiDistEdit = nullptr;
    QSpinBox* DistFaiMinEdit = nullptr;
    QCheckBox* OneDirection = nullptr;
    QLabel* NbVirLbl = nullptr;
    QLabel* DistMinLbl = nullptr;
    QLabel* DistMaxLbl = nullptr;
    QLabel* DistMinSegLbl = nullptr;
    QLabel* DifFaiDistLbl = nullptr;
    QLabel* DistFaiMinLbl = nullptr;
    QPushButton* ExitBtn = nullptr;
    QPushButton* DelBtn = nullptr;
    QPushButton* DefBtn = nullptr;
    QPushButton* SortBtn = nullptr;
    QPushButton* CalcBtn = nullptr;
    QAction* Efface = nullptr;
    QAction* Defini = nullptr;
    TSortGrid* Sorter = nullptr;

    // Messages (French; the language routine may give the English twins).
    QString MsgTooMany =
        QStringLiteral("Peu ou pas de way-point figés comme critère.\nLe calcul est impossible.");
    QString MsgTooLong = QStringLiteral(
        "Peu ou pas de way-point figés comme critère.\nLe calcul risque d'être trop long.\nContinuer ?");
    QString MsgSelectWpt = QStringLiteral("Un way-point doit être sélectionné dans la vue en plan !");
    QString MsgFound = QStringLiteral("%1 circuit(s) trouvé(s).");
    QString MsgNoTrace = QStringLiteral("Aucune trajectoire n'est ouverte pour recevoir le circuit.");
    QString MsgRowLimit =
        QStringLiteral("Le nombre maximal de %1 circuits est atteint : la recherche est arrêtée.");
    QString MsgSorting = QStringLiteral("Calcul in progress.");

    // Rows a search keeps at most (then it stops as Stop does and says so).
    int64_t RowLimit = TStnCalcEngine::MaxRows;

    // Opening from the main window: clears the criteria when the window was hidden, shows it.
    void Open();
    // Places the window at the screen's left edge, its bottom 5 pixels above the status bar.
    void PlaceAbove(const QRect& MainGeometry, int StatusBarHeight);
    void StnCalcSetColumns();
    void StnCalcSetTitles();
    void StnCalcRowToTask(int Row);
    void StnCalcSortGrid(int Col, bool Descending);
    void CalcBtnClick();
    void Stop();
    bool Running() const { return fEngine != nullptr; }
    // A sort of the result rows runs on a worker thread (the window goes on answering).
    bool Sorting() const { return fSort != nullptr; }
    void DefiniExecute();
    void EffaceExecute();
    void SortBtnClick();
    // The search radii (metres) of the criteria's turn points while a criteria row is current.
    std::vector<double> SearchRadii() const;
    // The model announced a change: a freed waypoint set drops everything that points into it.
    void ModelChanged();

protected:
    void closeEvent(QCloseEvent* E) override;
    bool eventFilter(QObject* O, QEvent* E) override;
    void reject() override;

private:
    void NbVirChanged(int Value);
    void UpdateEnabling();
    void CurrentCellChanged(const QModelIndex& Cur);
    void SelectRowsAt(int Row);
    void Poll();
    void Finish();
    void SetInputsEnabled(bool On);
    void ApplySortMarkers();
    void RequestSort(int Col, bool Descending);
    void StartSort(int Col, bool Descending);
    void PollSort();
    void StopSort();
    void SortBusy(bool On);

    std::unique_ptr<TStnCalcEngine> fEngine;
    std::thread fThread;
    QTimer* fPoll = nullptr;
    uint64_t fGeneration = 0;
    int fLastN = 2;
    int fQuiet = 0;
    struct TSortJob;
    std::unique_ptr<TSortJob> fSort;
    std::deque<std::pair<int, bool>> fSortQueue; // sorts asked for while one runs
    QTimer* fSortPoll = nullptr;
    bool fSortBusy = false;
};

extern QPointer<TStnCalc> StnCalc;
