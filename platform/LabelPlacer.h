#pragma once
// Names drawn on maps without piling up: a name whose box would overlap a name already drawn
// is left out (its point stays). One placer serves one painting of a view or a page; every
// layer that writes names goes through it, so that names of different layers do not overlap
// either.
#include <QHash>
#include <QRectF>
#include <QString>
#include <vector>

class QPainter;
class QPointF;

class TLabelPlacer
{
public:
    // Takes Box when it overlaps no box taken before; false (nothing taken) otherwise.
    bool Place(const QRectF& Box);
    // The box of Text written with its baseline starting at Baseline in the painter's font.
    static QRectF TextBox(const QPainter& P, const QPointF& Baseline, const QString& Text);
    // Writes Text when its box is free; false when it was left out.
    bool DrawText(QPainter& P, const QPointF& Baseline, const QString& Text);
    // Forgets every box (a new painting).
    void Clear();
    int Count() const { return int(fBoxes.size()); }
    const std::vector<QRectF>& Boxes() const { return fBoxes; }

private:
    // The boxes by the cells of a coarse grid they touch, so that a placement looks only at
    // its neighbours (sets of thousands of waypoints).
    static constexpr double Cell = 64;
    std::vector<QRectF> fBoxes;
    QHash<quint64, std::vector<int>> fGrid;
};
