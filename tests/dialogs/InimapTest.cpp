// The calibration window's logic: parts of the image under the mouse, texts, the capture of
// curvature points, the inverting marks and the corner icons.
#include "dialogs/InimapLogic.h"
#include "model/Options.h"
#include "support/Fixtures.h"

#include <QPainter>

namespace {

using IniMapLogicTest = FreshModel; // its teardown sets the language back

// A W x H image calibrated on its corners: 46°N..45°N, 6°E..7°E.
TMap Calibrated(int W = 300, int H = 200)
{
    TMap m;
    m.Image = QImage(W, H, QImage::Format_RGB32);
    m.Image.fill(QColor(100, 150, 200));
    m.Pos[0] = {0, 0, 4600000, 600000, true};
    m.Pos[1] = {W - 1, 0, 4600000, 700000, true};
    m.Pos[2] = {0, H - 1, 4500000, 600000, true};
    m.Pos[3] = {W - 1, H - 1, 4500000, 700000, true};
    return m;
}

TMapRegion At(int x, int y)
{
    return MapRegionAt(x, y, 300, 200);
}

} // namespace

TEST_F(IniMapLogicTest, RegionsAndTextsAtTheBoundaryPixels)
{
    const struct
    {
        int x, y, W, H;
        int ref, par, mer;
    } rows[] = {
        {149, 99, 300, 200, 0, 1, 1},  {150, 0, 300, 200, 1, 1, 0},  {0, 100, 300, 200, 2, 0, 1},
        {299, 199, 300, 200, 3, 2, 2}, {99, 66, 300, 200, 0, 0, 0},  {100, 67, 300, 200, 0, 1, 1},
        {6, 6, 7, 7, 3, 2, 2},         {-5, 500, 300, 200, 2, 0, 2}, {100000, -3, 300, 200, 1, 2, 0},
    };
    for (const auto& r : rows) {
        const TMapRegion g = MapRegionAt(r.x, r.y, r.W, r.H);
        EXPECT_EQ(QList<int>({g.RefIdx, g.ParallelIdx, g.MeridianIdx}), QList<int>({r.ref, r.par, r.mer}))
            << r.x << "," << r.y;
    }
    Opt->UniteLatiLong = 1;
    TMap m = Calibrated();
    EXPECT_EQ(IniMapCaption(QStringLiteral("/cartes/Alpes.jpg"), m, TCurvMode::None, 299, 0, false),
              QStringLiteral("Alpes.jpg - Secteur en haut à droite - 299 , 0 - N46°00.00' , E007°00.00'"));
    EXPECT_EQ(IniMapStatus(m, TCurvMode::None, At(0, 199), false),
              QStringLiteral("Définition du Secteur en bas à gauche : 0 , 199 - N45°00.00' , E006°00.00'"));
    m.Pos[3] = TMapCalPoint{};
    // A pixel without a position: its own separator after the pixel's.
    EXPECT_EQ(IniMapCaption(QStringLiteral("/cartes/alpes.jpg"), m, TCurvMode::None, 10, 20, false),
              QStringLiteral("alpes.jpg - Secteur en haut à gauche - 10 , 20 -  - ??? , ???"));
    EXPECT_EQ(IniMapStatus(m, TCurvMode::None, At(299, 199), false),
              QStringLiteral("Secteur en bas à droite : non défini."));
    Language = 1;
    EXPECT_EQ(IniMapStatus(m, TCurvMode::None, At(299, 199), false),
              QStringLiteral("Right lower area : not defined."));
    EXPECT_EQ(IniMapAreaText(TCurvMode::Parallels, At(150, 0)),
              QStringLiteral("Central area of parralel line"));
}

TEST_F(IniMapLogicTest, CaptureMachine)
{
    TMap m = Calibrated();
    TCurvCapture c;
    m.Pos[1].Valid = false;
    c.Toggle(TCurvMode::Parallels, m);
    EXPECT_EQ(c.Mode, TCurvMode::None); // disabled until every point is defined
    m.Pos[1].Valid = true;

    // A bent parallel; a second click in a third replaces its point.
    c.Toggle(TCurvMode::Parallels, m);
    EXPECT_FALSE(c.ButtonEnabled(TCurvMode::Meridians, m));
    for (const QPoint p : {QPoint(20, 100), QPoint(10, 100), QPoint(150, 120), QPoint(290, 100)})
        EXPECT_TRUE(c.Click(m, At(p.x(), p.y()), p.x(), p.y()));
    EXPECT_EQ(c.Pts[0].X, 10);
    c.Toggle(TCurvMode::Parallels, m);
    EXPECT_EQ(c.Mode, TCurvMode::None);
    EXPECT_EQ(c.CapturedCount(), 0);
    EXPECT_NE(m.aLati, 0.0);
    EXPECT_NE(m.aY, 0.0);
    EXPECT_TRUE(Msg::Log().isEmpty());

    // Two points: No goes on capturing with them, Cancel keeps the coefficients, Yes makes the
    // parallels straight.
    const double aY = m.aY;
    const auto twoPoints = [&] {
        c.Toggle(TCurvMode::Parallels, m);
        c.Click(m, At(10, 100), 10, 100);
        c.Click(m, At(290, 100), 290, 100);
    };
    twoPoints();
    Msg::PushAnswer(mrNo);
    EXPECT_FALSE(c.Finish(m));
    EXPECT_EQ(c.CapturedCount(), 2);
    EXPECT_TRUE(
        Msg::Log().back().text.startsWith(QStringLiteral("Les 3 points du parallèle ne sont pas définis.")));
    EXPECT_EQ(Msg::Log().back().buttons, mbYes | mbNo | mbCancel);
    Msg::PushAnswer(mrCancel);
    EXPECT_TRUE(c.Finish(m));
    EXPECT_EQ(m.aY, aY);
    twoPoints();
    Msg::PushAnswer(mrYes);
    c.Toggle(TCurvMode::Parallels, m);
    EXPECT_EQ(m.aLati + m.aY, 0.0);

    // The meridians' question is French in every language.
    Language = 1;
    m.aLong = 3e-9;
    c.Toggle(TCurvMode::Meridians, m);
    Msg::PushAnswer(mrYes);
    c.Finish(m);
    EXPECT_TRUE(Msg::Log().back().text.startsWith(QStringLiteral("Les 3 points du méridien")));
    EXPECT_EQ(m.aLong, 0.0);

    // A map turned a quarter: three points of one row share their longitude, so no curvature:
    // reported, coefficients kept.
    TMap turned = Calibrated();
    turned.Pos[1].Long = turned.Pos[0].Long;
    turned.Pos[2].Long = turned.Pos[3].Long;
    turned.aLati = 5e-9;
    Msg::ClearLog();
    c.Toggle(TCurvMode::Parallels, turned);
    for (int x : {10, 150, 290}) c.Click(turned, At(x, 50), x, 50);
    c.Toggle(TCurvMode::Parallels, turned);
    EXPECT_EQ(turned.aLati, 5e-9);
    EXPECT_EQ(Msg::Log().size(), 1);

    // A pixel that does not convert captures nothing.
    turned.Pos[1].X = turned.Pos[3].X = 0;
    c.Toggle(TCurvMode::Parallels, turned);
    EXPECT_FALSE(c.Click(turned, At(10, 10), 10, 10));
    c.Abandon();
    EXPECT_EQ(c.Mode, TCurvMode::None);
}

TEST_F(IniMapLogicTest, MarksAndIcons)
{
    TMap m = Calibrated(60, 30);
    const QRgb orig = m.Image.pixel(0, 0);
    const QRgb inv = qRgb(255 - qRed(orig), 255 - qGreen(orig), 255 - qBlue(orig));
    const auto paint = [&](const TCurvCapture& c) {
        QImage img = m.Image;
        QPainter p(&img);
        PaintIniMapMarks(p, m, c, 60, 30);
        return img;
    };
    // A captured point inverts its band (columns 20..39) and its disc inverts the band back.
    TCurvCapture c;
    c.Mode = TCurvMode::Parallels;
    c.Pts[1] = {30, 15, 0, 0, true};
    QImage img = paint(c);
    EXPECT_EQ(QList<QRgb>({img.pixel(20, 0), img.pixel(39, 29), img.pixel(19, 0), img.pixel(40, 0)}),
              QList<QRgb>({inv, inv, orig, orig}));
    EXPECT_EQ(QList<QRgb>({img.pixel(30, 15), img.pixel(30, 6), img.pixel(30, 3)}),
              QList<QRgb>({orig, orig, inv}));
    c.Mode = TCurvMode::Meridians;
    c.Pts = {};
    c.Pts[2] = {5, 25, 0, 0, true};
    img = paint(c);
    EXPECT_EQ(img.pixel(59, 20), inv);
    EXPECT_EQ(img.pixel(59, 19), orig);
    // Calibration mode: a disc of radius 10 around each defined reference point.
    m.Pos = {};
    m.Pos[0] = {30, 15, 0, 0, true};
    img = paint(TCurvCapture{});
    EXPECT_EQ(QList<QRgb>({img.pixel(30, 15), img.pixel(38, 15), img.pixel(22, 15), img.pixel(42, 15)}),
              QList<QRgb>({inv, inv, inv, orig}));

    m.Pos[3].Valid = true;
    QImage icons(26, 129, QImage::Format_RGB32);
    icons.fill(Qt::white);
    {
        QPainter p(&icons);
        PaintIniMapIcons(p, m, QColor(200, 200, 200));
    }
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(icons.pixelColor(IniMapIconQuarter(k).center()),
                  m.Pos[k].Valid ? QColor(Qt::black) : QColor(Qt::red));
        EXPECT_EQ(icons.pixelColor(12, 32 * k + 24), QColor(Qt::black)) << k; // outline
        EXPECT_EQ(icons.pixelColor(25, 32 * k + 26), QColor(Qt::white)) << k;
    }
    EXPECT_EQ(IniMapIconQuarter(3), QRect(13, 109, 12, 12));
    EXPECT_EQ(icons.pixelColor(20, 5), QColor(200, 200, 200));
}
