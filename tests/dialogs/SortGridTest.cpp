// Sortable grids: markers, clicks and the stable ordinal order.
#include "dialogs/SortGrid.h"

#include <QHeaderView>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

TEST(SortGrid, MarkersAndClickOrder)
{
    EXPECT_EQ(MarkSortTitle(QStringLiteral("Dist"), false), QStringLiteral("<Dist"));
    EXPECT_EQ(MarkSortTitle(QStringLiteral("<Dist"), true), QStringLiteral(">Dist"));
    EXPECT_EQ(StripSortMarker(QStringLiteral(">Départ")), QStringLiteral("Départ"));
    EXPECT_EQ(SortMarkerOf(QStringLiteral("<A")), 1);
    EXPECT_EQ(SortMarkerOf(QStringLiteral(">A")), -1);
    EXPECT_EQ(SortMarkerOf(QStringLiteral("A")), 0);
    EXPECT_FALSE(ClickSortsDescending(QStringLiteral("Dist"), false));
    EXPECT_TRUE(ClickSortsDescending(QStringLiteral("<Dist"), false));
    EXPECT_FALSE(ClickSortsDescending(QStringLiteral(">Dist"), false));
    EXPECT_TRUE(ClickSortsDescending(QStringLiteral("Dist"), true));
}

TEST(SortGrid, StableOrdinalBothWays)
{
    // Padded distances sort by value; upper case before lower case; equal texts keep their order.
    const std::vector<QString> keys{" 312.4", "  98.5", "b", "Z", "a", "  98.5", "Z"};
    EXPECT_EQ(SortedOrder(keys, false), (std::vector<uint32_t>{1, 5, 0, 3, 6, 4, 2}));
    EXPECT_EQ(SortedOrder(keys, true), (std::vector<uint32_t>{2, 4, 3, 6, 0, 1, 5}));
    // Long texts take another road to the same order; a prefix sorts first; code units above
    // the Latin range keep their order.
    const QString longText(20, u'b');
    const std::vector<QString> mixed{longText,        "b", QString(QChar(0x00e9)), "bb",
                                     longText + u'a', "",  QString(QChar(0x4e2d))};
    const std::vector<uint32_t> want{5, 1, 3, 0, 4, 2, 6};
    EXPECT_EQ(SortedOrder(mixed, false), want);
    std::vector<QString> shortOnly(mixed);
    shortOnly[0] = QString(16, u'b');
    shortOnly[4] = QString(16, u'b') + u'a';
    shortOnly[4].chop(1);
    EXPECT_EQ(SortedOrder(shortOnly, false), want);
}

TEST(SortGrid, HeaderClicks)
{
    QStandardItemModel model(3, 3);
    model.setHorizontalHeaderLabels(
        {QStringLiteral("Tri <>"), QStringLiteral("<Dist"), QStringLiteral("FAI")});
    QTableView view;
    view.setModel(&model);
    view.resize(400, 200);
    view.show();
    TSortGrid sorter(&view);
    QSignalSpy spy(&sorter, &TSortGrid::sortRequested);
    auto* header = view.horizontalHeader();
    auto centre = [&](int col) {
        return QPoint(header->sectionViewportPosition(col) + header->sectionSize(col) / 2,
                      header->height() / 2);
    };
    QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, centre(0));
    QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, centre(1));
    QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, centre(2));
    QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::ShiftModifier, centre(2));
    // Pressed on one title, released on another: no sort.
    QTest::mousePress(header->viewport(), Qt::LeftButton, Qt::NoModifier, centre(1));
    QTest::mouseRelease(header->viewport(), Qt::LeftButton, Qt::NoModifier, centre(2));
    ASSERT_EQ(spy.count(), 3);
    EXPECT_EQ(spy.at(0), (QList<QVariant>{1, true}));
    EXPECT_EQ(spy.at(1), (QList<QVariant>{2, false}));
    EXPECT_EQ(spy.at(2), (QList<QVariant>{2, true}));
}
