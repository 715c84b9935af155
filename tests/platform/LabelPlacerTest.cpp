// Names left out where they would overlap a name already drawn.
#include "platform/LabelPlacer.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

TEST(LabelPlacerTest, OverlapsAreRefusedInAnyCellOfTheGrid)
{
    struct Case
    {
        QRectF Box;
        bool Placed;
    };
    const Case cases[] = {
        {{10, 10, 50, 12}, true},       {{40, 15, 50, 12}, false}, // overlaps the first
        {{60, 10, 30, 12}, true},                                  // touches its right edge only
        {{-70, -20, 200, 5}, true},     // negative coordinates, across several cells
        {{-10, -18, 5, 2}, false},      // inside the long one
        {{1000, 1000, 400, 300}, true}, // spans many cells
        {{1300, 1250, 10, 10}, false},  // in a far cell of it
        {{5, 5, 0, 0}, false},          // an empty box is never placed
    };
    TLabelPlacer placer;
    for (const Case& c : cases) EXPECT_EQ(placer.Place(c.Box), c.Placed) << c.Box.x() << "," << c.Box.y();
    EXPECT_EQ(placer.Count(), 4);
    placer.Clear();
    EXPECT_TRUE(placer.Place({40, 15, 50, 12}));
}

TEST(LabelPlacerTest, TextIsWrittenOnlyWhereItHasRoom)
{
    QImage img(200, 60, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    TLabelPlacer placer;
    EXPECT_TRUE(placer.DrawText(p, QPointF(10, 30), QStringLiteral("ALPHA")));
    EXPECT_FALSE(placer.DrawText(p, QPointF(14, 32), QStringLiteral("BRAVO")));
    EXPECT_FALSE(placer.DrawText(p, QPointF(150, 30), QString()));
    const QRectF alpha = TLabelPlacer::TextBox(p, QPointF(10, 30), QStringLiteral("ALPHA"));
    const QRectF bravo = TLabelPlacer::TextBox(p, QPointF(14, 32), QStringLiteral("BRAVO"));
    p.end();
    // The refused name left no ink where only it would have been.
    int ink = 0;
    for (int y = int(bravo.top()); y < int(bravo.bottom()); ++y)
        for (int x = int(alpha.right()) + 1; x < int(bravo.right()); ++x)
            ink += img.pixel(x, y) != qRgb(255, 255, 255);
    EXPECT_EQ(ink, 0);
    QPainter q(&img);
    EXPECT_TRUE(placer.DrawText(q, QPointF(bravo.right() + 2, 30), QStringLiteral("CHARLIE")));
}
