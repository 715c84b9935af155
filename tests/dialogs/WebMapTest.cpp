// The web-map window in the offscreen web view, its tiles served by a loopback stub.
#include "dialogs/WebMap.h"
#include "app/LangTools.h"
#include "app/Main.h"
#include "platform/IniFile.h"
#include "platform/ProgramDir.h"
#include "support/Fixtures.h"
#include "support/ModelBits.h"
#include "support/TileStub.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTabWidget>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <cmath>

#include "support/WebEngineSanitizer.h"

namespace {

// Runs a script in the page and waits for its result.
QVariant RunJs(QWebEnginePage* Page, const QString& Script)
{
    QVariant result;
    bool done = false;
    Page->runJavaScript(Script, [&](const QVariant& v) {
        result = v;
        done = true;
    });
    EXPECT_TRUE(QTest::qWaitFor([&] { return done; }, 20000));
    return result;
}

// What the map shows, read from the page.
QJsonObject MapState(QWebEnginePage* Page)
{
    const QString js = QStringLiteral(R"JS(
(function () {
  var m = window.zphMap, s = { ok: !!m }, c = m && m.getCenter(), line = window.zphLine, mk = window.zphMarker;
  if (!m) return JSON.stringify(s);
  s.lat = c.lat; s.lng = c.lng; s.zoom = m.getZoom(); s.layers = [];
  m.eachLayer(function (l) { if (l.zphName) s.layers.push(l.zphName); });
  s.layers.sort();
  s.marker = !!(mk && m.hasLayer(mk));
  if (mk) { s.markerLat = mk.getLatLng().lat; s.markerLng = mk.getLatLng().lng; }
  if (line && m.hasLayer(line)) {
    var pts = line.getLatLngs(), box = m.getContainer().getBoundingClientRect();
    s.points = pts.length; s.color = line.options.color; s.weight = line.options.weight;
    // A point of the line away from the marker, in the view's coordinates.
    var fp = m.latLngToContainerPoint(pts[2]);
    s.lineX = Math.round(fp.x + box.left); s.lineY = Math.round(fp.y + box.top);
  }
  var n = document.getElementById("zph_notice");
  s.notice = n && n.style.display !== "none" ? n.textContent : "";
  s.loaded = window.zphTiles.loaded; s.failed = window.zphTiles.failed;
  return JSON.stringify(s);
})())JS");
    return QJsonDocument::fromJson(RunJs(Page, js).toString().toUtf8()).object();
}

// The window's web view (from the library the window loads).
QWebEngineView* View(TWebMapForm& F)
{
    auto* v = qobject_cast<QWebEngineView*>(F.WebBrowser);
    EXPECT_TRUE(v) << "no web view";
    return v;
}

class WebMapView : public FreshModel
{
protected:
    void SetUp() override
    {
        FreshModel::SetUp();
        QFile::remove(IniFileName());
    }

    // A trace of Count fixes going north-east from 45°N 5°E, current fix Cur.
    static void MakeTrj(int Count, int Cur)
    {
        TTrj* T = NewTrj();
        for (int i = 0; i < Count; ++i) {
            auto r = std::make_unique<TRec>();
            r->Lat = 4500000 + i * 20;
            r->Lon = 500000 + i * 30;
            r->Time = 1000000 + i * 100;
            T->AddRec(r);
        }
        T->Name = QStringLiteral("Vol");
        TrjLoaded();
        T->CurRec = T->RecAt(Cur);
        TrjMode = 1;
        WptMode = 0;
    }

    // Shows the map and waits for the page and for the tiles to answer.
    QJsonObject Show(TWebMapForm& F, TTileStub& Stub)
    {
        Stub.Intercept(View(F)->page()->profile());
        F.show();
        QSignalSpy loaded(View(F), &QWebEngineView::loadFinished);
        F.ShowMap();
        EXPECT_TRUE(loaded.wait(30000));
        EXPECT_TRUE(!loaded.isEmpty() && loaded.first().first().toBool());
        QJsonObject s;
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                s = MapState(View(F)->page());
                return s.value(QStringLiteral("loaded")).toInt() +
                           s.value(QStringLiteral("failed")).toInt() >=
                       4;
            },
            20000));
        return s;
    }
};

QStringList Layers(const QJsonObject& S)
{
    QStringList l;
    for (const auto& v : S.value(QStringLiteral("layers")).toArray()) l << v.toString();
    return l;
}

} // namespace

TEST_F(WebMapView, TraceOnEachMapType)
{
    MakeTrj(1000, 500);
    const struct
    {
        int Type;
        QStringList Layers;
        QStringList Requested;
    } cases[] = {{0, {"plan"}, {"plan"}},
                 {1, {"satellite"}, {"imagery"}},
                 {2, {"imagery", "labels"}, {"imagery", "labels"}},
                 {3, {"plan"}, {"plan"}}};
    for (const auto& c : cases) {
        TTileStub stub;
        TWebMapForm f(nullptr, QSize(1000, 800));
        f.SetSettings({c.Type, 12, 0x0000FF, 6, 3, {}}); // red, 100 fixes each side
        const QJsonObject st = Show(f, stub);
        ASSERT_TRUE(st.value(QStringLiteral("ok")).toBool()) << c.Type;
        const TRec& cur = *Trj->CurRec;
        EXPECT_NEAR(st.value(QStringLiteral("lat")).toDouble(), cur.Lat / 1e5, 1e-6);
        EXPECT_NEAR(st.value(QStringLiteral("lng")).toDouble(), cur.Lon / 1e5, 1e-6);
        EXPECT_EQ(st.value(QStringLiteral("zoom")).toInt(), 12);
        EXPECT_EQ(Layers(st), c.Layers) << c.Type;
        EXPECT_TRUE(st.value(QStringLiteral("marker")).toBool());
        EXPECT_NEAR(st.value(QStringLiteral("markerLat")).toDouble(), cur.Lat / 1e5, 1e-6);
        EXPECT_EQ(st.value(QStringLiteral("points")).toInt(), 201);
        EXPECT_EQ(st.value(QStringLiteral("color")).toString(), "#FF0000");
        EXPECT_EQ(st.value(QStringLiteral("weight")).toInt(), 6);
        EXPECT_EQ(st.value(QStringLiteral("notice")).toString(), "");
        EXPECT_EQ(f.windowTitle(), "Visualisation carte web - Trj: Vol");

        // Tiles of the chosen layers only, at the chosen zoom, around the centre.
        const double n = std::pow(2.0, 12);
        const int cx = int((cur.Lon / 1e5 + 180) / 360 * n);
        const double lat = cur.Lat / 1e5 * M_PI / 180;
        const int cy = int((1 - std::log(std::tan(lat) + 1 / std::cos(lat)) / M_PI) / 2 * n);
        QSet<QString> layers;
        bool centreTile = false;
        for (const TTileRequest& r : stub.Requests) {
            layers << r.Layer;
            EXPECT_EQ(r.Z, 12) << r.Layer.toStdString();
            EXPECT_LE(std::abs(r.X - cx), 4);
            EXPECT_LE(std::abs(r.Y - cy), 4);
            centreTile = centreTile || (r.X == cx && r.Y == cy);
        }
        EXPECT_EQ(QStringList(layers.begin(), layers.end()).size(), c.Requested.size());
        for (const QString& l : c.Requested) EXPECT_TRUE(layers.contains(l)) << l.toStdString();
        EXPECT_TRUE(centreTile);
    }
}

TEST_F(WebMapView, OfflineTheTraceShowsWithTheNotice)
{
    MakeTrj(300, 150);
    TTileStub stub;
    stub.Fail = true;
    TWebMapForm f(nullptr, QSize(1000, 800));
    TWebMapSettings s = f.Settings();
    s.Color = 0xFF0000; // blue
    s.Width = 10;
    s.NbTrjRec = 4;
    f.SetSettings(s);
    const QJsonObject st = Show(f, stub);
    ASSERT_EQ(st.value(QStringLiteral("points")).toInt(), 21);
    EXPECT_EQ(st.value(QStringLiteral("loaded")).toInt(), 0);
    EXPECT_EQ(st.value(QStringLiteral("notice")).toString(),
              "Les tuiles de la carte n'ont pas pu être chargées.");
    // Let the view paint, then look for the line's colour where one of its fixes projects.
    QTest::qWait(300);
    const QImage img = f.WebBrowser->grab().toImage();
    const int x = st.value(QStringLiteral("lineX")).toInt(), y = st.value(QStringLiteral("lineY")).toInt();
    bool found = false;
    for (int dy = -3; dy <= 3 && !found; ++dy)
        for (int dx = -3; dx <= 3 && !found; ++dx) {
            const QColor c = img.pixelColor(x + dx, y + dy);
            found = c.blue() > 200 && c.red() < 60 && c.green() < 60;
        }
    EXPECT_TRUE(found) << x << "," << y << " in " << img.width() << "x" << img.height();
}

TEST_F(WebMapView, SelectedWaypoint)
{
    AddWpt(*NewSwp(), QStringLiteral("ST AUBAN"), 4405000, 598000);
    WptMode = 1;
    TTileStub stub;
    TWebMapForm f(nullptr, QSize(1000, 800));
    QFile::remove(f.TempFile);
    // No waypoint selected: one message and no page.
    f.ShowMap();
    ASSERT_EQ(Msg::Log().size(), 1);
    EXPECT_EQ(Msg::Log().first().text, "Un way-point doit être sélectionné.");
    EXPECT_FALSE(QFile::exists(f.TempFile));
    Swp->SelWpt = Swp->First;
    const QJsonObject st = Show(f, stub);
    EXPECT_NEAR(st.value(QStringLiteral("lat")).toDouble(), 44.05, 1e-6);
    EXPECT_NEAR(st.value(QStringLiteral("markerLng")).toDouble(), 5.98, 1e-6);
    EXPECT_FALSE(st.contains(QStringLiteral("points")));
    EXPECT_EQ(st.value(QStringLiteral("notice")).toString(), "");
    EXPECT_EQ(f.windowTitle(), "Visualisation carte web - Wpt: ST AUBAN");
}

TEST_F(WebMapView, SettingsKeptAcrossActivationsWrittenAtClose)
{
    WriteAll(IniFileName(), "[WebMap]\r\nZoom=99\r\nMap_type=3\r\nGoogle_key=abc\r\n");
    MakeTrj(50, 25);
    TWebMapForm f(nullptr, QSize(1000, 800));
    EXPECT_EQ(f.ZoomBar->value(), 17);
    EXPECT_EQ(f.Settings().MapType, 3);
    f.show();
    f.ZoomBar->setValue(7);
    // Another window takes the focus and gives it back: the option just changed stays.
    QWidget other;
    other.show();
    other.activateWindow();
    f.activateWindow();
    QApplication::processEvents();
    EXPECT_EQ(f.ZoomBar->value(), 7);
    f.ShowMap();
    ASSERT_TRUE(QFile::exists(f.TempFile));
    EXPECT_EQ(f.TempFile, ProgramDir() + "/zephalon.tmp");
    f.close();
    EXPECT_FALSE(QFile::exists(f.TempFile));
    const TIniFile ini(IniFileName());
    EXPECT_EQ(ini.ReadInteger("WebMap", "Zoom", 0), 7);
    EXPECT_EQ(ini.ReadInteger("WebMap", "Map_type", 0), 3);
    EXPECT_EQ(ini.ReadString("WebMap", "Google_key", ""), "abc");
    // Edited while closed, read again at the next showing.
    TIniFile(IniFileName()).WriteInteger("WebMap", "Zoom", 4);
    f.show();
    EXPECT_EQ(f.ZoomBar->value(), 4);

    // A page that cannot be written: one message, and the next page works.
    const QString good = f.TempFile;
    f.TempFile = ProgramDir() + "/missing-folder/zephalon.tmp";
    f.ShowMap();
    EXPECT_EQ(f.Busy, 0);
    EXPECT_EQ(Msg::Log().size(), 1);
    f.TempFile = good;
    f.ShowMap();
    EXPECT_EQ(Msg::Log().size(), 1);
    EXPECT_TRUE(QFile::exists(good));
    // Neither mode: nothing happens.
    TrjMode = 0;
    QFile::remove(good);
    f.ShowMap();
    EXPECT_FALSE(QFile::exists(good));
    f.close();
}

TEST_F(WebMapView, MainWindowCommandShowsTheMap)
{
    StartZephalon(QString());
    MainForm->resize(1200, 800);
    MainForm->show();
    MakeTrj(100, 40);
    ASSERT_EQ(WebMapForm, nullptr);
    MainForm->WebMapAct->trigger();
    ASSERT_NE(WebMapForm, nullptr);
    EXPECT_TRUE(WebMapForm->isVisible());
    EXPECT_EQ(WebMapForm->PageControl->currentWidget(), WebMapForm->ViewTab);
    EXPECT_EQ(WebMapForm->windowTitle(), "Visualisation carte web - Trj: Vol");
    Language = 1;
    LangWebMapForm(*WebMapForm);
    EXPECT_EQ(WebMapForm->windowTitle(), "Web map view");
    Language = 0;
    LangWebMapForm(*WebMapForm);
    EXPECT_EQ(WebMapForm->RefreshBtn->text(), "&Rafraîchir");
    EXPECT_GE(WebMapForm->width(), WebMapForm->MinWidth);
    // The canvas fills the view as laid out in the window just shown.
    QFile file(WebMapForm->TempFile);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QSize view = WebMapForm->WebBrowser->size();
    EXPECT_TRUE(file.readAll().endsWith(QStringLiteral("WIDTH: %1px; HEIGHT: %2px\"></DIV></BODY></HTML>\r\n")
                                            .arg(view.width() - 42)
                                            .arg(view.height() - 35)
                                            .toLatin1()))
        << view.width() << "x" << view.height();
    file.close();
    // Closing the main window closes the map window, which keeps its options and its page goes.
    WebMapForm->ZoomBar->setValue(5);
    const QString page = WebMapForm->TempFile;
    MainForm->close();
    EXPECT_FALSE(QFile::exists(page));
    EXPECT_EQ(TIniFile(IniFileName()).ReadInteger("WebMap", "Zoom", 0), 5);
    DestroyForms();
    EXPECT_EQ(WebMapForm, nullptr);
}
