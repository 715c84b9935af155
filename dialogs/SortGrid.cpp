// Sortable result grids.
#include "dialogs/SortGrid.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QTableView>
#include <algorithm>
#include <numeric>

QString StripSortMarker(const QString& Title)
{
    if (Title.startsWith(u'<') || Title.startsWith(u'>')) return Title.mid(1);
    return Title;
}

QString MarkSortTitle(const QString& Title, bool Descending)
{
    return (Descending ? QStringLiteral(">") : QStringLiteral("<")) + StripSortMarker(Title);
}

bool ClickSortsDescending(const QString& Title, bool Shift)
{
    return Shift || Title.startsWith(u'<');
}

int SortMarkerOf(const QString& Title)
{
    if (Title.startsWith(u'<')) return 1;
    if (Title.startsWith(u'>')) return -1;
    return 0;
}

std::vector<uint32_t> SortedOrder(const std::vector<QString>& Keys, bool Descending)
{
    std::vector<uint32_t> order(Keys.size());
    std::iota(order.begin(), order.end(), 0u);
    // QString's operator< compares UTF-16 code units: the plain ordinal comparison.
    if (Descending)
        std::stable_sort(order.begin(), order.end(),
                         [&](uint32_t a, uint32_t b) { return Keys[b] < Keys[a]; });
    else
        std::stable_sort(order.begin(), order.end(),
                         [&](uint32_t a, uint32_t b) { return Keys[a] < Keys[b]; });
    return order;
}

TSortGrid::TSortGrid(QTableView* Grid) : QObject(Grid), fHeader(Grid->horizontalHeader())
{
    fHeader->setSectionsClickable(true);
    fHeader->setSortIndicatorShown(false);
    fHeader->viewport()->installEventFilter(this);
}

bool TSortGrid::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Watched != fHeader->viewport()) return false;
    if (Event->type() == QEvent::MouseButtonPress) {
        auto* m = static_cast<QMouseEvent*>(Event);
        fPressed = m->button() == Qt::LeftButton ? fHeader->logicalIndexAt(m->position().toPoint()) : -1;
    } else if (Event->type() == QEvent::MouseButtonRelease) {
        auto* m = static_cast<QMouseEvent*>(Event);
        const int col = fHeader->logicalIndexAt(m->position().toPoint());
        const int pressed = fPressed;
        fPressed = -1;
        if (m->button() == Qt::LeftButton && col >= 1 && col == pressed && fHeader->model()) {
            const QString title = fHeader->model()->headerData(col, Qt::Horizontal).toString();
            emit sortRequested(col, ClickSortsDescending(title, m->modifiers() & Qt::ShiftModifier));
        }
    }
    return false;
}
