// The calibration window's logic: parts of the image under the mouse, texts, the capture of
// curvature points, the inverting marks and the corner icons.
#include "dialogs/InimapLogic.h"
#include "files/MapCal.h"
#include "model/Calc.h"
#include "model/Options.h"
#include "model/Texts.h"
#include "support/Fixtures.h"

#include <QPainter>

namespace {

class IniMapLogicTest : public FreshModel
{
protected:
    void TearDown() override
    {
        Language = 0;
        FreshModel::TearDown();
    }
};

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

} // namespace

TEST_F(IniMapLogicTest, RegionsAtTheBoundaryPixelsAndBeyond)
{
    const struct
    {
        int x, y, W, H;
        int ref, par, mer;
    } rows[] = {
        {0, 0, 300, 200, 0, 0, 0},    {149, 99, 300, 200, 0, 1, 1},    {150, 0, 300, 200, 1, 1, 0},
        {0, 100, 300, 200, 2, 0, 1},  {299, 199, 300, 200, 3, 2, 2},   {99, 66, 300, 200, 0, 0, 0},
        {100, 67, 300, 200, 0, 1, 1}, {200, 134, 300, 200, 3, 2, 2},   {6, 6, 7, 7, 3, 2, 2},
        {-5, 500, 300, 200, 2, 0, 2}, {100000, -3, 300, 200, 1, 2, 0},
    };
    for (const auto& r : rows) {
        const TMapRegion g = MapRegionAt(r.x, r.y, r.W, r.H);
        EXPECT_EQ(g.RefIdx, r.ref) << r.x << "," << r.y;
        EXPECT_EQ(g.ParallelIdx, r.par) << r.x << "," << r.y;
        EXPECT_EQ(g.MeridianIdx, r.mer) << r.x << "," << r.y;
    }
    const TMapRegion last = MapRegionAt(299, 199, 300, 200);
    EXPECT_EQ(IniMapAreaText(TCurvMode::None, last), QStringLiteral("Secteur en bas à droite"));
    EXPECT_EQ(IniMapAreaText(TCurvMode::Parallels, last), QStringLiteral("Secteur droit du parallèle"));
    EXPECT_EQ(IniMapAreaText(TCurvMode::Meridians, last), QStringLiteral("Secteur bas du méridien"));
    Language = 1;
    EXPECT_EQ(IniMapAreaText(TCurvMode::None, last), QStringLiteral("Right lower area"));
    EXPECT_EQ(IniMapAreaText(TCurvMode::Parallels, MapRegionAt(150, 0, 300, 200)),
              QStringLiteral("Central area of parralel line"));
    EXPECT_EQ(IniMapPointState(false), QStringLiteral("not OK"));
    EXPECT_EQ(IniMapCurveState(false), QStringLiteral("Curve"));
}

TEST_F(IniMapLogicTest, CaptionAndStatusTexts)
{
    Opt->UniteLatiLong = 1;
    TMap m = Calibrated();
    EXPECT_EQ(IniMapCaption(QStringLiteral("/cartes/Alpes.jpg"), m, TCurvMode::None, 299, 0, false),
              QStringLiteral("Alpes.jpg - Secteur en haut à droite - 299 , 0 - N46°00.00' , E007°00.00'"));
    QString zone;
    int32 n = 0, e = 0;
    LatLonToUtm(4600000, 700000, zone, n, e);
    EXPECT_TRUE(IniMapCaption(QStringLiteral("Alpes.jpg"), m, TCurvMode::None, 299, 0, true)
                    .endsWith(QStringLiteral(" - %1 , %2 , %3").arg(zone).arg(n).arg(e)));
    EXPECT_EQ(IniMapStatus(m, TCurvMode::None, MapRegionAt(0, 199, 300, 200), false),
              QStringLiteral("Définition du Secteur en bas à gauche : 0 , 199 - N45°00.00' , E006°00.00'"));
    EXPECT_EQ(IniMapStatus(m, TCurvMode::Meridians, {}, false),
              QStringLiteral("Cliquer sur 3 points d'un même méridien, les plus espacés possible."));

    m.Pos[3] = TMapCalPoint{};
    EXPECT_TRUE(IniMapCaption(QStringLiteral("a.jpg"), m, TCurvMode::None, 10, 10, false)
                    .endsWith(QStringLiteral("10 , 10 - ??? , ???")));
    EXPECT_EQ(IniMapStatus(m, TCurvMode::None, MapRegionAt(299, 199, 300, 200), false),
              QStringLiteral("Secteur en bas à droite : non défini."));
    Language = 1;
    EXPECT_EQ(IniMapStatus(m, TCurvMode::None, MapRegionAt(299, 199, 300, 200), false),
              QStringLiteral("Right lower area : not defined."));
}

TEST_F(IniMapLogicTest, CaptureWithThreePointsComputesTheCurvature)
{
    TMap m = Calibrated();
    TCurvCapture c;
    m.Pos[1].Valid = false;
    EXPECT_FALSE(c.ButtonEnabled(TCurvMode::Parallels, m));
    c.Toggle(TCurvMode::Parallels, m);
    EXPECT_EQ(c.Mode, TCurvMode::None);
    m.Pos[1].Valid = true;

    c.Toggle(TCurvMode::Parallels, m);
    ASSERT_EQ(c.Mode, TCurvMode::Parallels);
    EXPECT_TRUE(c.ButtonEnabled(TCurvMode::Parallels, m));
    EXPECT_FALSE(c.ButtonEnabled(TCurvMode::Meridians, m));
    // A bent parallel: the middle point lower than the ends. A second click in a third
    // replaces its point.
    EXPECT_TRUE(c.Click(m, MapRegionAt(20, 100, 300, 200), 20, 100));
    EXPECT_TRUE(c.Click(m, MapRegionAt(10, 100, 300, 200), 10, 100));
    EXPECT_TRUE(c.Click(m, MapRegionAt(150, 120, 300, 200), 150, 120));
    EXPECT_TRUE(c.Click(m, MapRegionAt(290, 100, 300, 200), 290, 100));
    EXPECT_EQ(c.CapturedCount(), 3);
    EXPECT_EQ(c.Pts[0].X, 10);
    c.Toggle(TCurvMode::Parallels, m);
    EXPECT_EQ(c.Mode, TCurvMode::None);
    EXPECT_EQ(c.CapturedCount(), 0);
    EXPECT_NE(m.aLati, 0.0);
    EXPECT_NE(m.aY, 0.0);
    EXPECT_EQ(m.aLong, 0.0);
    EXPECT_TRUE(Msg::Log().isEmpty());

    // On a map turned a quarter, three points of one row share their longitude: no curvature,
    // reported, coefficients kept.
    TMap turned = Calibrated();
    turned.Pos[1].Long = turned.Pos[0].Long;
    turned.Pos[2].Long = turned.Pos[3].Long;
    turned.aLati = 5e-9;
    c.Toggle(TCurvMode::Parallels, turned);
    for (int x : {10, 150, 290}) EXPECT_TRUE(c.Click(turned, MapRegionAt(x, 50, 300, 200), x, 50));
    c.Toggle(TCurvMode::Parallels, turned);
    EXPECT_EQ(c.Mode, TCurvMode::None);
    EXPECT_EQ(turned.aLati, 5e-9);
    EXPECT_EQ(Msg::Log().size(), 1);
}

TEST_F(IniMapLogicTest, MissingPointsAskYesNoCancel)
{
    TMap m = Calibrated();
    m.aLati = 1e-9;
    m.aY = 2e-6;
    TCurvCapture c;
    const auto twoPoints = [&] {
        c.Toggle(TCurvMode::Parallels, m);
        c.Click(m, MapRegionAt(10, 100, 300, 200), 10, 100);
        c.Click(m, MapRegionAt(290, 100, 300, 200), 290, 100);
    };
    // No: the capture goes on with its points.
    twoPoints();
    Msg::PushAnswer(mrNo);
    EXPECT_FALSE(c.Finish(m));
    EXPECT_EQ(c.Mode, TCurvMode::Parallels);
    EXPECT_EQ(c.CapturedCount(), 2);
    EXPECT_TRUE(
        Msg::Log().back().text.startsWith(QStringLiteral("Les 3 points du parallèle ne sont pas définis.")));
    EXPECT_EQ(Msg::Log().back().buttons, mbYes | mbNo | mbCancel);
    // Cancel: the old coefficients stay.
    Msg::PushAnswer(mrCancel);
    EXPECT_TRUE(c.Finish(m));
    EXPECT_EQ(c.Mode, TCurvMode::None);
    EXPECT_EQ(m.aY, 2e-6);
    // Yes: straight parallels.
    twoPoints();
    Msg::PushAnswer(mrYes);
    c.Toggle(TCurvMode::Parallels, m);
    EXPECT_EQ(m.aLati, 0.0);
    EXPECT_EQ(m.aY, 0.0);
    // The meridians' question is French in every language; Abandon computes nothing.
    Language = 1;
    m.aLong = 3e-9;
    c.Toggle(TCurvMode::Meridians, m);
    Msg::PushAnswer(mrYes);
    c.Finish(m);
    EXPECT_TRUE(Msg::Log().back().text.startsWith(QStringLiteral("Les 3 points du méridien")));
    EXPECT_EQ(m.aLong, 0.0);
    c.Toggle(TCurvMode::Meridians, m);
    c.Click(m, MapRegionAt(10, 10, 300, 200), 10, 10);
    c.Abandon();
    EXPECT_EQ(c.Mode, TCurvMode::None);
    EXPECT_EQ(c.CapturedCount(), 0);

    // A pixel that does not convert captures nothing.
    TMap flat = Calibrated();
    flat.Pos[1].X = 0;
    flat.Pos[3].X = 0;
    c.Toggle(TCurvMode::Parallels, flat);
    EXPECT_FALSE(c.Click(flat, MapRegionAt(10, 10, 300, 200), 10, 10));
    EXPECT_EQ(c.CapturedCount(), 0);
}

TEST_F(IniMapLogicTest, MarksInvertBandsAndDiscs)
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
    TCurvCapture c;
    c.Mode = TCurvMode::Parallels;
    c.Pts[1] = {30, 15, 0, 0, true};
    EXPECT_EQ(IniMapBand(TCurvMode::Parallels, 1, 60, 30), QRect(20, 0, 20, 30));
    QImage img = paint(c);
    EXPECT_EQ(img.pixel(20, 0), inv);
    EXPECT_EQ(img.pixel(39, 29), inv);
    EXPECT_EQ(img.pixel(19, 0), orig);
    EXPECT_EQ(img.pixel(40, 0), orig);
    // The disc inverts the band back.
    EXPECT_EQ(img.pixel(30, 15), orig);
    EXPECT_EQ(img.pixel(30, 6), orig);
    EXPECT_EQ(img.pixel(30, 3), inv);

    c.Mode = TCurvMode::Meridians;
    c.Pts = {};
    c.Pts[2] = {5, 25, 0, 0, true};
    img = paint(c);
    EXPECT_EQ(IniMapBand(TCurvMode::Meridians, 2, 60, 30), QRect(0, 20, 60, 10));
    EXPECT_EQ(img.pixel(59, 20), inv);
    EXPECT_EQ(img.pixel(59, 19), orig);

    // Calibration mode: a disc of radius 10 around each defined reference point.
    m.Pos = {};
    m.Pos[0] = {30, 15, 0, 0, true};
    img = paint(TCurvCapture{});
    EXPECT_EQ(img.pixel(30, 15), inv);
    EXPECT_EQ(img.pixel(38, 15), inv);
    EXPECT_EQ(img.pixel(22, 15), inv);
    EXPECT_EQ(img.pixel(42, 15), orig);
    EXPECT_EQ(img.pixel(30, 27), orig);
}

TEST_F(IniMapLogicTest, CornerIcons)
{
    TMap m;
    m.Pos[0].Valid = true;
    m.Pos[3].Valid = true;
    QImage img(26, 129, QImage::Format_RGB32);
    img.fill(Qt::white);
    {
        QPainter p(&img);
        PaintIniMapIcons(p, m, QColor(200, 200, 200));
    }
    for (int k = 0; k < 4; ++k) {
        const QRect q = IniMapIconQuarter(k);
        const QColor want = m.Pos[k].Valid ? QColor(Qt::black) : QColor(Qt::red);
        EXPECT_EQ(img.pixelColor(q.center()), want) << k;
        EXPECT_EQ(img.pixelColor(12, 32 * k), QColor(Qt::black)) << k; // outline
        EXPECT_EQ(img.pixelColor(12, 32 * k + 24), QColor(Qt::black)) << k;
        EXPECT_EQ(img.pixelColor(25, 32 * k + 26), QColor(Qt::white)) << k;
    }
    EXPECT_EQ(IniMapIconQuarter(1), QRect(13, 32, 12, 12));
    EXPECT_EQ(IniMapIconQuarter(2), QRect(0, 77, 12, 12));
    EXPECT_EQ(IniMapIconQuarter(3), QRect(13, 109, 12, 12));
    EXPECT_EQ(img.pixelColor(20, 5), QColor(200, 200, 200));
}
