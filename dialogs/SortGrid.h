#pragma once
// Sortable result grids. A grid is a QTableView whose horizontal header carries the column
// titles; column 0 holds the row titles (running numbers) and is never sorted.
//
// - A click on a title of column >= 1 (press and release on the same title) asks for a sort by
//   that column: descending when its title already starts with "<" or Shift is held, else
//   ascending. The grid rebuilds its titles and marks the sorted one with MarkSortTitle.
// - Rows are ordered by the column's text compared as plain character strings (ordinal,
//   case-sensitive: "Z" before "a"); the sort is stable, so rows with equal texts keep their
//   order, in either direction.
#include <QObject>
#include <QString>
#include <cstdint>
#include <vector>

class QHeaderView;
class QTableView;

// The title without a leading "<" or ">".
QString StripSortMarker(const QString& Title);
// The title with "<" (ascending) or ">" (descending) in front, any previous marker removed.
QString MarkSortTitle(const QString& Title, bool Descending);
// The order a click on the title asks for.
bool ClickSortsDescending(const QString& Title, bool Shift);
// 1 when the title is marked ascending, -1 descending, 0 not marked.
int SortMarkerOf(const QString& Title);

// A stable ordering of Keys: Order[i] is the index of the key that goes to place i.
std::vector<uint32_t> SortedOrder(const std::vector<QString>& Keys, bool Descending);
// The same for numeric keys (dates, durations, distances converted once by the caller).
std::vector<uint32_t> SortedOrder(const std::vector<double>& Keys, bool Descending);

// Watches the title row of a grid and emits sortRequested for clicks on columns >= 1.
class TSortGrid : public QObject
{
    Q_OBJECT
public:
    explicit TSortGrid(QTableView* Grid);

signals:
    void sortRequested(int Column, bool Descending);

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    QHeaderView* fHeader;
    // Compared by address only: the header may be half destroyed when its viewport's last
    // events arrive.
    QObject* fViewport;
    int fPressed = -1;
};
