// Page geometry, cell layout, detail band and the page drawn into images.
#include "print/PrintPage.h"
#include "print/PrintJob.h"
#include "print/PrintText.h"

#include "model/Options.h"
#include "platform/Numbers.h"
#include "support/Fixtures.h"

#include <QImage>
#include <QPainter>

namespace {

// A4 at 600 dpi with strips of 4 mm (left, top) and 5 mm (right, bottom).
TPrinterGeometry A4Printer()
{
    TPrinterGeometry g;
    g.PhysSize = QSize(4961, 7016);
    g.PrnOffset = QPoint(94, 94);
    g.PageSize = QSize(4961 - 94 - 118, 7016 - 94 - 118);
    return g;
}

TEST(PageGeometryTest, MarginsAreRaisedToThePrintableArea)
{
    TPrintSettings s;
    s.LeftEdit = 2;
    s.TopEdit = 12;
    s.RightEdit = 3;
    s.BottomEdit = 10;
    const TPageGeometry g = PageGeometry(A4Printer(), s, 0, 0, 1, {});
    // Left trunc(94 / 23.62) + 1, right trunc(118 / 23.62) + 1; top and bottom wider than the strips: kept.
    EXPECT_EQ(std::tuple(s.LeftEdit, s.TopEdit, s.RightEdit, s.BottomEdit), std::tuple(4, 12, 5, 10));
    EXPECT_EQ(g.UnprintRight, 118);
    EXPECT_NEAR(g.PxPerMmX, 600 / 25.4, 1e-9);
    EXPECT_EQ(g.PageRect.Left, Round(4 * g.PxPerMmX) - 94);
    EXPECT_EQ(g.PageRect.Top, Round(12 * g.PxPerMmY) - 94);
    EXPECT_EQ(g.PageRect.Right, 4749 - Round(5 * g.PxPerMmX) + 118);
    EXPECT_EQ(g.PageRect.Bottom, 6804 - Round(10 * g.PxPerMmY) + 118);
}

TEST(PageGeometryTest, PreviewFitsTheWindowAndCentresThePaintBox)
{
    TPrintSettings s;
    TPrinterGeometry pdf;
    pdf.PhysSize = pdf.PageSize = QSize(4961, 7016);
    const TPreviewArea a{800, 600, 30};
    const TPageGeometry g = PageGeometry(pdf, s, 2, 0, 1, a);
    // The page height limits: (600 - 10 - 30) pixels for 297 mm.
    EXPECT_NEAR(g.PxPerMmY, 560.0 / 7016 * (600 / 25.4), 1e-9);
    EXPECT_EQ(g.PaintBox.height(), 560);
    EXPECT_EQ(g.PaintBox.width(), Round(4961 * g.PxPerMmX / (600 / 25.4)));
    EXPECT_EQ(g.PaintBoxPos.x(), Round((800 - g.PaintBox.width()) / 2.0));
    EXPECT_EQ(g.PaintBoxPos.y(), 5);
    EXPECT_EQ(g.PageRect.Left, Round(10 * g.PxPerMmX));
    // Zoomed in, the paint box passes the window and sits 5 pixels from its edges.
    const TPageGeometry z = PageGeometry(pdf, s, 2, 0, 4, a);
    EXPECT_EQ(z.PaintBoxPos, QPoint(5, 5));
}

TEST(PageGeometryTest, SectorCheckFillsThePreviewArea)
{
    TPrintSettings s;
    s.LeftEdit = 2;
    const TPageGeometry g = PageGeometry(A4Printer(), s, 2, 1, 1, {1000, 700, 30});
    EXPECT_EQ(g.PageRect, (TIntRect{10, 10, 970, 640}));
    EXPECT_EQ(g.PaintBox, QSize(990, 660));
    EXPECT_DOUBLE_EQ(g.PxPerMmX, 6.3); // a hundredth of the shorter side
    EXPECT_EQ(s.LeftEdit, 2);          // no printer margins on the sheet
    EXPECT_FALSE(PageGeometry(TPrinterGeometry{600, 600, {}, {}, {}}, s, 0, 0, 1, {}).PageRect.Positive());
}

TEST(TrnCellsTest, RowCountsAndCells)
{
    struct Case
    {
        int W, H, N, TH, Rows;
    } cases[] = {
        {1000, 300, 5, 10, 1}, // one row of five cells 200 wide
        {1000, 800, 7, 10, 2}, // rows of four and three
        {1000, 800, 1, 10, 1}, // a single turn point
        {1000, 20, 4, 10, 1},  // no row count gives cells of a positive size
        {0, 0, 3, 10, 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TrnViewRows(c.W, c.H, c.N, c.TH), c.Rows) << c.W << "x" << c.H << " N " << c.N;

    const auto five = TrnViewCells(0, 0, 1000, 300, 5, 10);
    ASSERT_EQ(five.size(), 5u);
    EXPECT_EQ(five[1], (TIntRect{200, 0, 400, 300}));
    const auto seven = TrnViewCells(100, 50, 1100, 850, 7, 10);
    ASSERT_EQ(seven.size(), 7u);
    EXPECT_EQ(seven[3], (TIntRect{850, 50, 1100, 450}));
    EXPECT_EQ(seven[4], (TIntRect{100, 450, Round(100 + 1000 / 3.0), 850}));
    EXPECT_EQ(TrnViewCells(0, 0, 500, 400, 1, 10).at(0), (TIntRect{0, 0, 500, 400}));
    EXPECT_TRUE(TrnViewCells(0, 0, 0, 400, 3, 10).empty());
}

class PageFixture : public FreshModel
{
protected:
    TPageContext C;
    TPrintSettings S;
    void SetUp() override
    {
        FreshModel::SetUp();
        C.PageRect = {0, 0, 2000, 2800};
        C.PxPerMmX = C.PxPerMmY = 10;
        C.OutMode = 2;
    }
    TTrn& AddTrn(int lat, int lon, const char* name)
    {
        TTrn t;
        std::tie(t.Lat, t.Lon, t.Name) = std::tuple(lat, lon, name);
        return *Stn->AddTrn(t, -1);
    }
};

TEST_F(PageFixture, DetailBandHeights)
{
    NewTrj();
    const int TH = 20;
    TDetailLayout d = DetailLayout(C, S, Trj, Stn, TH, 300);
    EXPECT_FALSE(d.WithTask);
    EXPECT_EQ(d.Y0, 80);
    EXPECT_EQ(d.Y1, 80 + 2 * TH);
    for (int i = 0; i < 4; ++i) AddTrn(4500000 + i * 10000, 600000, "T");
    d = DetailLayout(C, S, Trj, Stn, TH, 300);
    EXPECT_EQ(d.X0, 300);
    EXPECT_EQ(d.Y1, 80 + 400 + 64);
    AddTrn(4500000, 610000, "T");
    d = DetailLayout(C, S, Trj, Stn, TH, 300);
    EXPECT_EQ(d.Y1, 80 + 2 * (64 + 300));
    // Altitudes put the cross-section band on top.
    for (int a : {0, 0, 350}) {
        auto r = std::make_unique<TRec>();
        r->Alt = a;
        Trj->AddRec(r);
    }
    S.HeightCutt = 50;
    d = DetailLayout(C, S, Trj, Stn, TH, 300);
    EXPECT_TRUE(d.HasAlt);
    EXPECT_EQ(d.Y0, 80 + 500);
}

// A task page with fewer than two turn points stays blank, title included; with two it has
// a title band and frames.
TEST_F(PageFixture, TaskPageIsBlankBelowTwoTurnPoints)
{
    NewTrj();
    S.PrnView = pvTask;
    C.PaintBox = QSize(2100, 2970);
    C.PageRect = {100, 100, 2000, 2870};
    const auto render = [&] {
        QImage img(C.PaintBox, QImage::Format_RGB32);
        img.fill(Qt::white);
        QPainter p(&img);
        DrawPage(p, C, S);
        p.end();
        int dark = 0;
        for (int y = 5; y < img.height() - 5; y += 2)
            for (int x = 5; x < img.width() - 5; x += 2) dark += qGray(img.pixel(x, y)) < 128;
        return dark;
    };
    AddTrn(4500000, 600000, "A");
    EXPECT_EQ(render(), 0);
    AddTrn(4510000, 610000, "B");
    EXPECT_GT(render(), 100);
}

// A plan page of a PDF file at 300 dpi: frames and title band at their millimetres.
TEST_F(PageFixture, PlanPageFramesAtTheirMillimetres)
{
    NewTrj();
    QPageLayout layout;
    ASSERT_TRUE(PrinterPageLayout(PdfPrinterName, true, layout));
    const TPrinterGeometry g = GeometryOfLayout(layout, 300);
    EXPECT_EQ(g.PhysSize, QSize(2479, 3508)); // 595 x 842 points
    EXPECT_EQ(g.PrnOffset, QPoint(0, 0));
    const TPageGeometry geo = PageGeometry(g, S, 0, 0, 1, {});
    EXPECT_EQ(geo.PageRect, (TIntRect{118, 118, 2479 - 118, 3508 - 118}));
    C.SetGeometry(geo);
    C.OutMode = 0;
    C.Printing = true;
    QImage img(g.PageSize, QImage::Format_RGB32);
    img.setDotsPerMeterX(11811);
    img.setDotsPerMeterY(11811);
    img.fill(Qt::white);
    {
        QPainter p(&img);
        DrawPage(p, C, S);
    }
    const auto dark = [&](int x, int y) { return qGray(img.pixel(x, y)) < 128; };
    const int T8 = 118 + 94; // below the 8 mm title band
    for (int y : {400, 1700, 3300}) {
        EXPECT_TRUE(dark(118, y) && dark(2361, y)) << y;
        EXPECT_FALSE(dark(114, y) || dark(2365, y)) << y;
    }
    EXPECT_TRUE(dark(300, T8) && dark(300, 3390));
    EXPECT_FALSE(dark(300, T8 - 5) || dark(300, T8 + 5));
    EXPECT_TRUE(dark(1240, 118)); // the title box hangs from the top of the page
    EXPECT_FALSE(dark(300, 118));
}

TEST(StyleTest, PenColourAndFontRule)
{
    TCtp c;
    c.Color = 0x0000FF; // red in the Windows order
    c.Style = 3;
    c.Width = 0;
    const double screen = 96 / MmPerInch;
    EXPECT_EQ(CtpPen(c, false, screen).color(), QColor(255, 0, 0));
    EXPECT_EQ(CtpPen(c, true, screen).color(), QColor(Qt::black));
    EXPECT_EQ(CtpPen(c, false, screen).style(), Qt::DashDotLine);
    EXPECT_EQ(CtpPen(c, false, screen).width(), 1);
    EXPECT_EQ(CtpPenStyle(4), Qt::DashDotDotLine);
    EXPECT_EQ(CtpPenStyle(9), Qt::SolidLine);
    // Size 7 at 600 dpi: 7/64 inch, 66 pixels from the top of the tallest letter to the bottom
    // of the lowest.
    EXPECT_EQ(FontCellHeight(7, 600 / 25.4), 66);
    QImage img(100, 100, QImage::Format_RGB32);
    img.setDotsPerMeterX(11811);
    img.setDotsPerMeterY(11811);
    for (int h : {12, 35, 66}) {
        const QFont f = PrintFont("Arial", h, &img);
        EXPECT_NEAR(QFontMetrics(f, &img).height(), h, 1) << h;
    }
}

} // namespace
