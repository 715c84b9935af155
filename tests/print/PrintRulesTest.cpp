// The print dialog's and the preview's rules without their windows.
#include "print/PrintRules.h"

#include <gtest/gtest.h>

TEST(PrintRules, OfferedViewsAndTheFallback)
{
    const TViewSet wptOnly = OfferedViews({false, 0, 12, false});
    EXPECT_EQ(wptOnly, ViewBit(pvPlan) | ViewBit(pvWptList));
    EXPECT_EQ(ChooseView(pvDetail, wptOnly), pvPlan);
    EXPECT_EQ(ChooseView(pvWptList, wptOnly), pvWptList);
    EXPECT_EQ(OfferedViews({}), 0);
    EXPECT_EQ(ChooseView(pvDetail, 0), pvWptList);
    EXPECT_EQ(ChooseView(0, 0), pvWptList);
    // A single waypoint or turn point offers nothing of its own.
    EXPECT_EQ(OfferedViews({false, 1, 1, false}), 0);
    EXPECT_EQ(OfferedViews({false, 0, 0, true}), ViewBit(pvPlan));
    const TViewSet flight = OfferedViews({true, 5, 0, false});
    EXPECT_EQ(flight, ViewBit(1) | ViewBit(2) | ViewBit(3) | ViewBit(4));
    EXPECT_EQ(ChooseView(pvWptList, flight), pvDetail);
    EXPECT_EQ(ChooseView(pvTask, ViewBit(pvTask) | ViewBit(pvWptList)), pvTask);
    EXPECT_EQ(ChooseView(pvPlan, ViewBit(pvTask) | ViewBit(pvWptList)), pvWptList);
}

TEST(PrintRules, EnablementByView)
{
    TPrintSettings s;
    s.AdjPlanBtn = false;
    s.CtrPlanBtn = false;
    s.AdjCuttBtn = false;
    s.HauteurCoupe = 120;
    struct Row
    {
        uint8 view;
        bool map, sect, adjPlan, planBox, centre, echAlti, adjCutt, cuttBoxes, height, paysage, pltPln;
    };
    const Row rows[] = {
        {pvPlan, 1, 0, 1, 1, 1, 0, 0, 0, 0, 1, 1},    {pvCutt, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1},
        {pvDetail, 1, 1, 0, 0, 0, 1, 0, 0, 0, 0, 1},  {pvTask, 1, 1, 0, 0, 0, 0, 0, 0, 0, 1, 0},
        {pvWptList, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(int(r.view));
        const TPrintEnables e = PrintEnables(r.view, s, true, 3);
        EXPECT_EQ(std::tuple(e.MapPlan, e.EchPlan, e.SmpPlan, e.MapSect, e.AdjPlan, e.EchPlanBox, e.Center,
                             e.EchAlti, e.AdjCutt, e.CuttScales, e.HeightCutt, e.Paysage, e.PltPln),
                  std::tuple(r.map, r.map, r.map, r.sect, r.adjPlan, r.planBox, r.centre, r.echAlti,
                             r.adjCutt, r.cuttBoxes, r.height, r.paysage, r.pltPln));
        EXPECT_EQ(ShownCuttHeight(e, s), r.height ? 120 : 50);
    }
    EXPECT_FALSE(PrintEnables(pvPlan, s, false, 0).SmpPlan);
    EXPECT_FALSE(PrintEnables(pvPlan, s, true, 0).SmpPlan);
    s.CtrPlanBtn = true;
    EXPECT_TRUE(PrintEnables(pvPlan, s, false, 0).EchPlanBox);
    EXPECT_FALSE(PrintEnables(pvPlan, s, false, 0).Center);
    s.AdjPlanBtn = true;
    s.AdjCuttBtn = true;
    EXPECT_FALSE(PrintEnables(pvPlan, s, false, 0).EchPlanBox);
    EXPECT_FALSE(PrintEnables(pvCutt, s, false, 0).CuttScales);
}

TEST(PrintRules, MonochromeAndScannedMaps)
{
    TPrintSettings s;
    s.MonochBtn = true;
    s.MapPlanBtn = true;
    s.MapSectBtn = true;
    EXPECT_EQ(ApplyMonochRule(s, TMonochBox::Monoch, true), TMonochWarning::MapsCleared);
    EXPECT_FALSE(s.MapPlanBtn || s.MapSectBtn);
    EXPECT_TRUE(s.MonochBtn);

    s.MapSectBtn = true;
    EXPECT_EQ(ApplyMonochRule(s, TMonochBox::MapSect, false), TMonochWarning::MonochCleared);
    EXPECT_FALSE(s.MonochBtn);
    s.MapSectBtn = false; // the last map box unchecked brings monochrome back silently
    EXPECT_EQ(ApplyMonochRule(s, TMonochBox::MapSect, false), TMonochWarning::None);
    EXPECT_TRUE(s.MonochBtn);

    s.MonochBtn = false;
    EXPECT_EQ(ApplyMonochRule(s, TMonochBox::Monoch, true), TMonochWarning::MonochUnchecked);
    EXPECT_EQ(ApplyMonochRule(s, TMonochBox::Monoch, false), TMonochWarning::None);
    EXPECT_EQ(ApplyMonochRule(s, TMonochBox::SmpPlan, false), TMonochWarning::None);
    EXPECT_FALSE(s.MonochBtn);
}

TEST(PrintRules, ScaleFilter)
{
    const std::pair<const char*, const char*> cases[] = {
        {"250000", "250000"}, {"25a0", "250"}, {"1/250000", "250000"}, {"1 / 100 000", "100000"}, {"abc", ""},
        {"1/", ""},           {"", ""},        {"½/٣50", "50"},        {"2/3/40", "40"},
    };
    for (auto [in, out] : cases)
        EXPECT_EQ(FilterScaleText(QString::fromUtf8(in)), QString::fromUtf8(out)) << in;
}

TEST(PrintRules, StyleListBothWays)
{
    for (int k = 0; k < StyleListCount; ++k) {
        TCtp c;
        c.Style = 3;
        c.Width = 9;
        ApplyStyleListEntry(c, k);
        EXPECT_EQ(c.Style, k < 5 ? 0 : k - 4) << k;
        EXPECT_EQ(c.Width, k < 5 ? 5 - k : 1) << k;
        EXPECT_EQ(StyleListEntry(c), k);
    }
    TCtp odd; // values from an edited file still show an entry of the list
    odd.Width = 12;
    EXPECT_EQ(StyleListEntry(odd), 0);
    odd.Width = 1;
    odd.Style = 9;
    EXPECT_EQ(StyleListEntry(odd), 8);
    odd.Width = 0;
    EXPECT_EQ(StyleListEntry(odd), 4);
}

TEST(PrintRules, ZoomSteps)
{
    double z = 1;
    for (double expect : {2.0, 4.0, 8.0, 8.0}) EXPECT_EQ(z = ZoomIn(z), expect);
    EXPECT_FALSE(ZoomButtons(z).Plus);
    EXPECT_TRUE(ZoomButtons(z).Minus && ZoomButtons(z).Zero);
    for (double expect : {4.0, 2.0, 1.0, 1.0}) EXPECT_EQ(z = ZoomOut(z), expect);
    EXPECT_TRUE(ZoomButtons(z).Plus);
    EXPECT_FALSE(ZoomButtons(z).Minus || ZoomButtons(z).Zero);
    EXPECT_EQ(ZoomIn(6), 8);
    EXPECT_EQ(ZoomOut(1.5), 1);
}
