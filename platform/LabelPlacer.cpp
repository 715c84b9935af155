// Names drawn without overlap.
#include "platform/LabelPlacer.h"

#include <QFontMetricsF>
#include <QPainter>
#include <cmath>

namespace {

quint64 CellKey(int X, int Y)
{
    return (quint64(quint32(X)) << 32) | quint32(Y);
}

} // namespace

bool TLabelPlacer::Place(const QRectF& Box)
{
    if (!Box.isValid()) return false;
    const int x0 = int(std::floor(Box.left() / Cell)), x1 = int(std::floor(Box.right() / Cell));
    const int y0 = int(std::floor(Box.top() / Cell)), y1 = int(std::floor(Box.bottom() / Cell));
    for (int x = x0; x <= x1; ++x)
        for (int y = y0; y <= y1; ++y) {
            const auto it = fGrid.constFind(CellKey(x, y));
            if (it == fGrid.cend()) continue;
            for (const int i : *it)
                if (fBoxes[size_t(i)].intersects(Box)) return false;
        }
    const int index = int(fBoxes.size());
    fBoxes.push_back(Box);
    for (int x = x0; x <= x1; ++x)
        for (int y = y0; y <= y1; ++y) fGrid[CellKey(x, y)].push_back(index);
    return true;
}

QRectF TLabelPlacer::TextBox(const QPainter& P, const QPointF& Baseline, const QString& Text)
{
    const QFontMetricsF fm(P.font());
    // A pixel of margin keeps touching names apart.
    return QRectF(Baseline.x() - 1, Baseline.y() - fm.ascent() - 1, fm.horizontalAdvance(Text) + 2,
                  fm.height() + 2);
}

bool TLabelPlacer::DrawText(QPainter& P, const QPointF& Baseline, const QString& Text)
{
    if (Text.isEmpty() || !Place(TextBox(P, Baseline, Text))) return false;
    P.drawText(Baseline, Text);
    return true;
}

void TLabelPlacer::Clear()
{
    fBoxes.clear();
    fGrid.clear();
}
