// The web-map page and its settings, without a window.
#include "dialogs/WebMapPage.h"
#include "dialogs/WebMap.h"
#include "platform/IniFile.h"

#include <QLocale>
#include <clocale>
#include <gtest/gtest.h>

// Page lines print as text in failures.
void PrintTo(const QByteArray& B, std::ostream* Os)
{
    *Os << '"' << B.constData() << '"';
}

namespace {

// A trace of Count fixes whose fix i lies at (i, -i) in 1e-5 degree, with fix Cur current.
struct TTestTrj
{
    TTrj T;
    TTestTrj(int Count, int Cur)
    {
        for (int i = 0; i < Count; ++i) {
            auto r = std::make_unique<TRec>();
            r->Lat = 4500000 + i;
            r->Lon = -100000 - i;
            r->Time = 1000000 + i * 100;
            T.AddRec(r);
        }
        T.Name = QStringLiteral("Vol");
        T.CurRec = T.RecAt(Cur);
    }
};

QList<QByteArray> Lines(const QByteArray& Page)
{
    QList<QByteArray> l = Page.split('\n');
    EXPECT_TRUE(l.last().isEmpty()); // the last line ends too
    l.removeLast();
    for (QByteArray& s : l) {
        EXPECT_TRUE(s.endsWith('\r')) << s.constData();
        s.chop(1);
    }
    return l;
}

// The points of the trace line: the lines between the line's head and its closing line.
QList<QByteArray> LinePoints(const QList<QByteArray>& L)
{
    const qsizetype head = L.indexOf("var polyline = new GPolyline([");
    QList<QByteArray> pts;
    if (head < 0) return pts;
    for (qsizetype i = head + 1; i < L.size(); ++i) {
        const QByteArray& s = L[i];
        const qsizetype close = s.indexOf("],");
        pts << (close >= 0 ? s.left(close) : s);
        if (close >= 0) break;
    }
    return pts;
}

QByteArray FixJs(int i)
{
    return PosToLatLngJs({4500000 + i, -100000 - i}).toLatin1();
}

} // namespace

TEST(WebMapPage, NumbersAndColours)
{
    EXPECT_EQ(ColorToHtmlHex(0x0000FF), "FF0000");
    EXPECT_EQ(ColorToHtmlHex(0xFF00FF), "FF00FF");
    EXPECT_EQ(ColorToHtmlHex(0x123456), "563412");
    EXPECT_EQ(PosToLatLngJs({4512345, -123456}), "new GLatLng(45.123450,-1.234560)");
    EXPECT_EQ(PosToLatLngJs({0, 0}), "new GLatLng(0.000000,0.000000)");
    EXPECT_EQ(PosToLatLngJs({-1, 18000000}), "new GLatLng(-0.000010,180.000000)");
}

TEST(WebMapPage, HalfWidthAtEachPortion)
{
    const struct
    {
        int Count, Bar, N;
    } cases[] = {{1000, 2, 500}, {12000, 2, 2000}, {4000, 2, 1000},   {2002, 2, 500}, {200, 3, 50},
                 {3000, 3, 300}, {6000, 3, 500},   {65535, 1, 65535}, {1, 1, 1},      {50000, 4, 10}};
    for (const auto& c : cases) EXPECT_EQ(WebMapHalfWidth(c.Count, c.Bar), c.N) << c.Count << " " << c.Bar;
}

TEST(WebMapPage, TracePortionClippedAtBothEnds)
{
    TWebMapSettings s;
    s.NbTrjRec = 4; // ten fixes each side
    // Three fixes after the first: the line starts on the first fix.
    TTestTrj start(100, 3);
    QList<QByteArray> pts = LinePoints(Lines(WebMapPageTrj(s, start.T, {800, 600})));
    ASSERT_EQ(pts.size(), 21);
    EXPECT_EQ(pts.first(), FixJs(0) + ",");
    EXPECT_EQ(pts.last(), FixJs(20));
    // Three fixes before the last: the last fix fills the end of the line.
    TTestTrj end(100, 96);
    pts = LinePoints(Lines(WebMapPageTrj(s, end.T, {800, 600})));
    ASSERT_EQ(pts.size(), 21);
    EXPECT_EQ(pts.first(), FixJs(86) + ",");
    EXPECT_EQ(pts.count(FixJs(99) + ","), 7);
    EXPECT_EQ(pts.last(), FixJs(99));
    // A trace of one fix: the line repeats it.
    TTestTrj one(1, 0);
    s.NbTrjRec = 1;
    EXPECT_EQ(LinePoints(Lines(WebMapPageTrj(s, one.T, {800, 600}))),
              QList<QByteArray>({FixJs(0) + ",", FixJs(0) + ",", FixJs(0)}));
    // The whole trace at portion 1, the bound of portion 2.
    TTestTrj big(1000, 200);
    EXPECT_EQ(LinePoints(Lines(WebMapPageTrj(s, big.T, {800, 600}))).size(), 2001);
    s.NbTrjRec = 2;
    EXPECT_EQ(LinePoints(Lines(WebMapPageTrj(s, big.T, {800, 600}))).size(), 1001);
}

TEST(WebMapPage, TracePageLines)
{
    TTestTrj t(30, 12);
    const TWebMapSettings s{1, 9, 0x0000FF, 3, 4, {}};
    const QList<QByteArray> l = Lines(WebMapPageTrj(s, t.T, {842, 635}));
    ASSERT_EQ(l.size(), 42);
    EXPECT_TRUE(l[0].startsWith("<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\" \"http"));
    EXPECT_EQ(l[9], "map.setCenter(new GLatLng(45.000120,-1.000120),9);");
    EXPECT_EQ(l[12], "map.setMapType(G_SATELLITE_MAP );");
    EXPECT_EQ(l[13], "map.addOverlay(new GMarker(" + FixJs(12) + "));");
    EXPECT_EQ(l[14], "var polyline = new GPolyline([");
    EXPECT_EQ(l[35], FixJs(22) + "],\"#FF0000\",3);map.addOverlay(polyline);");
    EXPECT_EQ(l[41], "<DIV id=map_canvas style=\"WIDTH: 800px; HEIGHT: 600px\"></DIV></BODY></HTML>");
    t.T.CurRec = nullptr; // no current fix: no page
    EXPECT_TRUE(WebMapPageTrj(s, t.T, {842, 635}).isEmpty());
}

TEST(WebMapPage, WaypointPageAndMapTypes)
{
    const char* typeLines[] = {"map.setMapType(G_NORMAL_MAP );", "map.setMapType(G_SATELLITE_MAP );",
                               "map.setMapType(G_HYBRID_MAP );", nullptr};
    for (int type = 0; type <= 3; ++type) {
        TWebMapSettings s;
        s.MapType = type;
        const QList<QByteArray> l = Lines(WebMapPageWpt(s, {4512345, -123456}, {30, 20}));
        ASSERT_EQ(l.size(), type == 3 ? 19 : 20) << type;
        EXPECT_EQ(l[9], "map.setCenter(new GLatLng(45.123450,-1.234560),15);");
        if (typeLines[type]) {
            EXPECT_EQ(l[12], typeLines[type]);
        }
        EXPECT_EQ(l[type == 3 ? 12 : 13], "map.addOverlay(new GMarker(new GLatLng(45.123450,-1.234560)));");
        // A view smaller than the margins gives an empty canvas, not a negative size.
        EXPECT_EQ(l.last(), "<DIV id=map_canvas style=\"WIDTH: 0px; HEIGHT: 0px\"></DIV></BODY></HTML>");
    }
}

TEST(WebMapPage, SameBytesUnderAFrenchLocale)
{
    TTestTrj t(500, 250);
    TWebMapSettings s;
    const QByteArray before = WebMapPageTrj(s, t.T, {640, 480});
    const std::string old = std::setlocale(LC_NUMERIC, nullptr);
    const QLocale oldQt;
    std::setlocale(LC_NUMERIC, "fr_FR.UTF-8");
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    const QByteArray after = WebMapPageTrj(s, t.T, {640, 480});
    std::setlocale(LC_NUMERIC, old.c_str());
    QLocale::setDefault(oldQt);
    EXPECT_EQ(before, after);
    EXPECT_TRUE(after.contains("45.002500,-1.002500"));
}

TEST(WebMapPage, SettingsDefaultsRoundTripAndRepair)
{
    auto ini = TIniFile::FromBytes({});
    EXPECT_EQ(ReadWebMapSettings(*ini), TWebMapSettings());

    TWebMapSettings s{2, 11, 0x00FF00, 13, 3, QStringLiteral("clé=1")};
    ASSERT_TRUE(WriteWebMapSettings(*ini, s));
    EXPECT_EQ(ReadWebMapSettings(*TIniFile::FromBytes(ini->ToBytes())), s);

    // Garbage gives the default, numbers out of range the nearest valid value; 3 stays 3.
    auto bad = TIniFile::FromBytes("[WebMap]\r\nMap_type=3\r\nZoom=99\r\nCouleur_traj=rouge\r\n"
                                   "Epaisseur_traj=-4\r\nCoef_nb_plot_traj=x\r\n");
    EXPECT_EQ(ReadWebMapSettings(*bad), (TWebMapSettings{3, 17, 0xFF00FF, 1, 2, {}}));
    auto worse = TIniFile::FromBytes("[WebMap]\r\nMap_type=-2\r\nZoom=0\r\nCouleur_traj=-2147483643\r\n"
                                     "Epaisseur_traj=400\r\nCoef_nb_plot_traj=9\r\n");
    const TWebMapSettings w = ReadWebMapSettings(*worse);
    EXPECT_EQ(w, (TWebMapSettings{0, 1, 0xFF00FF, 20, 4, {}}));
}

TEST(WebMapPage, SchemeServesOnlyItsOwnFiles)
{
    QByteArray data, mime;
    ASSERT_TRUE(WebMapResource("/leaflet/leaflet.js", data, mime));
    EXPECT_EQ(mime, "text/javascript");
    EXPECT_TRUE(data.contains("Leaflet"));
    ASSERT_TRUE(WebMapResource("/leaflet/images/marker-icon.png", data, mime));
    EXPECT_EQ(mime, "image/png");
    for (const char* bad : {"/leaflet/../../../../etc/hostname", "/leaflet/%2e%2e/x", "/../etc/hostname",
                            "/etc/hostname", "/leaflet/", "/leaflet/missing.js", "/"})
        EXPECT_FALSE(WebMapResource(QString::fromLatin1(bad), data, mime)) << bad;

    Language = 1;
    ASSERT_TRUE(WebMapResource("/zephalon-map.js", data, mime));
    Language = 0;
    EXPECT_TRUE(data.contains("\"The map tiles could not be loaded.\""));
    EXPECT_TRUE(WebMapScript().contains("\"Les tuiles de la carte n'ont pas pu être chargées.\""));
}
