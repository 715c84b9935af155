// Sortable result grids.
#include "dialogs/SortGrid.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QTableView>
#include <algorithm>
#include <array>
#include <numeric>
#include <string_view>

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

namespace {

// A short text packed for fast ordinal comparison: up to 16 UTF-16 code units, four to a word,
// the first unit in the high bits, zeros after the end; the length settles texts that differ
// only by trailing U+0000.
struct TPackedKey
{
    std::array<uint64_t, 4> W{};
    uint32_t Len = 0;
    uint32_t Index = 0;
    bool operator<(const TPackedKey& o) const
    {
        if (W != o.W) return W < o.W;
        return Len < o.Len;
    }
};
constexpr qsizetype PackedUnits = 16;

template <class T, class Less>
std::vector<uint32_t> StableOrder(std::vector<T>& Items, bool Descending, Less less)
{
    if (Descending)
        std::stable_sort(Items.begin(), Items.end(), [&](const T& a, const T& b) { return less(b, a); });
    else
        std::stable_sort(Items.begin(), Items.end(), less);
    std::vector<uint32_t> order(Items.size());
    for (size_t i = 0; i < Items.size(); ++i) order[i] = Items[i].Index;
    return order;
}

} // namespace

std::vector<uint32_t> SortedOrder(const std::vector<QString>& Keys, bool Descending)
{
    // UTF-16 code units compared one by one: the plain ordinal comparison of QString, without
    // its general-purpose overhead (a million rows sort in a fraction of a second). Short
    // texts, the usual case of grid cells, are packed so that the sort touches no other memory.
    const bool allShort =
        std::all_of(Keys.begin(), Keys.end(), [](const QString& k) { return k.size() <= PackedUnits; });
    if (allShort) {
        std::vector<TPackedKey> items(Keys.size());
        for (size_t i = 0; i < Keys.size(); ++i) {
            const QString& k = Keys[i];
            TPackedKey& p = items[i];
            for (qsizetype u = 0; u < k.size(); ++u)
                p.W[size_t(u / 4)] |= uint64_t(k.at(u).unicode()) << (16 * (3 - u % 4));
            p.Len = uint32_t(k.size());
            p.Index = uint32_t(i);
        }
        return StableOrder(items, Descending, [](const TPackedKey& a, const TPackedKey& b) { return a < b; });
    }
    struct TView
    {
        std::u16string_view Text;
        uint32_t Index;
    };
    std::vector<TView> items(Keys.size());
    for (size_t i = 0; i < Keys.size(); ++i)
        items[i] = {
            std::u16string_view(reinterpret_cast<const char16_t*>(Keys[i].utf16()), size_t(Keys[i].size())),
            uint32_t(i)};
    return StableOrder(items, Descending, [](const TView& a, const TView& b) { return a.Text < b.Text; });
}

std::vector<uint32_t> SortedOrder(const std::vector<double>& Keys, bool Descending)
{
    std::vector<uint32_t> order(Keys.size());
    std::iota(order.begin(), order.end(), 0u);
    if (Descending)
        std::stable_sort(order.begin(), order.end(),
                         [&](uint32_t a, uint32_t b) { return Keys[b] < Keys[a]; });
    else
        std::stable_sort(order.begin(), order.end(),
                         [&](uint32_t a, uint32_t b) { return Keys[a] < Keys[b]; });
    return order;
}

TSortGrid::TSortGrid(QTableView* Grid) : QObject(Grid), fHeader(Grid->horizontalHeader()), fViewport(fHeader->viewport())
{
    fHeader->setSectionsClickable(true);
    fHeader->setSortIndicatorShown(false);
    fViewport->installEventFilter(this);
}

bool TSortGrid::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Watched != fViewport) return false;
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
