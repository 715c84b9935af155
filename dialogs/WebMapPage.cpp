#include "dialogs/WebMapPage.h"

#include "platform/IniFile.h"
#include "platform/Numbers.h"

#include <algorithm>

namespace {

const QString Section = QStringLiteral("WebMap");

int Clamp(int v, int lo, int hi)
{
    return std::clamp(v, lo, hi);
}

// Integer of a key: the default for garbage or a missing key.
int ReadInt(const TIniFile& Ini, const char* Key, int Def)
{
    return Ini.ReadInteger(Section, QString::fromLatin1(Key), Def);
}

// Appends a 1e-5-degree angle as degrees with 6 decimals. The angle is a whole number of
// 1e-5 degree, so the text is exact and needs neither the locale nor floating point.
void AppendCoord(QByteArray& Out, int32 Angle)
{
    int64_t v = Angle;
    if (v < 0) {
        Out += '-';
        v = -v;
    }
    Out += QByteArray::number(qlonglong(v / 100000));
    char frac[8];
    int64_t f = v % 100000;
    for (int i = 4; i >= 0; --i) {
        frac[1 + i] = char('0' + f % 10);
        f /= 10;
    }
    frac[0] = '.';
    frac[6] = '0';
    Out.append(frac, 7);
}

void AppendLatLng(QByteArray& Out, const TPos& P)
{
    Out += "new GLatLng(";
    AppendCoord(Out, P.Lat);
    Out += ',';
    AppendCoord(Out, P.Lon);
    Out += ')';
}

void Line(QByteArray& Out, const char* Text)
{
    Out += Text;
    Out += "\r\n";
}

// Lines 1 to 13 of the page: document head, map and centre, controls, map type.
void PageHead(QByteArray& Out, const TWebMapSettings& S, const TPos& Centre)
{
    Line(Out, "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\" "
              "\"http://www.w3.org/TR/html4/loose.dtd\">");
    Line(Out, "<HTML xmlns=\"http://www.w3.org/1999/xhtml\" xmlns:v = \"urn:schemas-microsoft-com:vml\">");
    Line(Out, "<HEAD><TITLE>Zephalon Google Maps Interface</TITLE>");
    Line(Out, "<META http-equiv=content-type content=\"text/html; charset=utf-8\">");
    // The map library and our map calls come from the program itself, never from the network.
    Line(Out, "<LINK rel=stylesheet href=\"leaflet/leaflet.css\"><SCRIPT src=\"leaflet/leaflet.js\" "
              "type=\"text/javascript\"></SCRIPT><SCRIPT src=\"zephalon-map.js\" "
              "type=\"text/javascript\"></SCRIPT>");
    Line(Out, "<SCRIPT type=text/javascript>");
    Line(Out, "function initialize() {");
    Line(Out, "if (GBrowserIsCompatible()) {");
    Line(Out, "var map = new GMap2(document.getElementById(\"map_canvas\"));");
    Out += "map.setCenter(new GLatLng(";
    AppendCoord(Out, Centre.Lat);
    Out += ',';
    AppendCoord(Out, Centre.Lon);
    Out += ")," + QByteArray::number(S.Zoom) + ");\r\n";
    Line(Out, "map.addControl(new GSmallMapControl());");
    Line(Out, "map.addControl(new GMapTypeControl());");
    switch (S.MapType) {
    case 0:
        Line(Out, "map.setMapType(G_NORMAL_MAP );");
        break;
    case 1:
        Line(Out, "map.setMapType(G_SATELLITE_MAP );");
        break;
    case 2:
        Line(Out, "map.setMapType(G_HYBRID_MAP );");
        break;
    default:
        break;
    }
}

void PageTail(QByteArray& Out, QSize View)
{
    Line(Out, "}");
    Line(Out, "}");
    Line(Out, "</SCRIPT>");
    Line(Out, "<META content=\"MSHTML 6.00.2900.5626\" name=GENERATOR></HEAD>");
    Line(Out, "<BODY onload=initialize() onunload=GUnload()>");
    // A view smaller than the margins gets an empty canvas rather than an invalid size.
    const int w = std::max(0, View.width() - 42);
    const int h = std::max(0, View.height() - 35);
    Out += "<DIV id=map_canvas style=\"WIDTH: " + QByteArray::number(w) +
           "px; HEIGHT: " + QByteArray::number(h) + "px\"></DIV></BODY></HTML>\r\n";
}

} // namespace

TWebMapSettings ReadWebMapSettings(const TIniFile& Ini)
{
    TWebMapSettings S;
    // A map type of 3 is kept: it selects no type and the page then writes no type line.
    S.MapType = Clamp(ReadInt(Ini, "Map_type", 0), 0, 3);
    S.Zoom = Clamp(ReadInt(Ini, "Zoom", 15), WebMapZoomMin, WebMapZoomMax);
    const int c = ReadInt(Ini, "Couleur_traj", 0xFF00FF);
    // Negative values are the desktop's system colours, which have no place on a map.
    S.Color = (c >= 0 && c <= 0xFFFFFF) ? c : 0xFF00FF;
    S.Width = Clamp(ReadInt(Ini, "Epaisseur_traj", 8), WebMapWidthMin, WebMapWidthMax);
    S.NbTrjRec = Clamp(ReadInt(Ini, "Coef_nb_plot_traj", 2), WebMapNbRecMin, WebMapNbRecMax);
    S.Key = Ini.ReadString(Section, QStringLiteral("Google_key"), QString());
    return S;
}

bool WriteWebMapSettings(TIniFile& Ini, const TWebMapSettings& S)
{
    Ini.BeginUpdate();
    Ini.WriteInteger(Section, QStringLiteral("Map_type"), S.MapType);
    Ini.WriteInteger(Section, QStringLiteral("Zoom"), S.Zoom);
    Ini.WriteInteger(Section, QStringLiteral("Couleur_traj"), S.Color);
    Ini.WriteInteger(Section, QStringLiteral("Epaisseur_traj"), S.Width);
    Ini.WriteInteger(Section, QStringLiteral("Coef_nb_plot_traj"), S.NbTrjRec);
    Ini.WriteString(Section, QStringLiteral("Google_key"), S.Key);
    return Ini.UpdateFile();
}

QString ColorToHtmlHex(int32 Color)
{
    const uint32_t c = uint32_t(Color);
    const uint32_t rgb = ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
    return QStringLiteral("%1").arg(rgb, 6, 16, QLatin1Char('0')).toUpper();
}

QString CoordJs(int32 Angle)
{
    QByteArray b;
    AppendCoord(b, Angle);
    return QString::fromLatin1(b);
}

QString PosToLatLngJs(const TPos& Pos)
{
    QByteArray b;
    AppendLatLng(b, Pos);
    return QString::fromLatin1(b);
}

int WebMapHalfWidth(int RecCount, int NbTrjRec)
{
    switch (NbTrjRec) {
    case 1:
        return RecCount;
    case 2:
        return std::clamp(Round(RecCount / 4.0), 500, 2000);
    case 3:
        return std::clamp(Round(RecCount / 10.0), 50, 500);
    default:
        return 10;
    }
}

QByteArray WebMapPageWpt(const TWebMapSettings& S, const TPos& Wpt, QSize ViewSize)
{
    QByteArray out;
    out.reserve(2048);
    PageHead(out, S, Wpt);
    out += "map.addOverlay(new GMarker(";
    AppendLatLng(out, Wpt);
    out += "));\r\n";
    PageTail(out, ViewSize);
    return out;
}

QByteArray WebMapPageTrj(const TWebMapSettings& S, const TTrj& T, QSize ViewSize)
{
    const TRec* cur = T.CurRec;
    QByteArray out;
    if (!cur) return out;
    const int n = WebMapHalfWidth(T.RecCount, S.NbTrjRec);
    out.reserve(2048 + qsizetype(2 * n + 1) * 36);
    PageHead(out, S, *cur);
    out += "map.addOverlay(new GMarker(";
    AppendLatLng(out, *cur);
    out += "));\r\n";
    // N fixes back, stopping on the first; then 2N points forward, the last fix repeated
    // once the end is reached, so the line always holds 2N + 1 points.
    const TRec* r = cur;
    for (int i = 0; i < n && r->Prev; ++i) r = r->Prev;
    out += "var polyline = new GPolyline([\r\n";
    for (int i = 0; i < 2 * n; ++i) {
        AppendLatLng(out, *r);
        out += ",\r\n";
        if (r->Next) r = r->Next;
    }
    AppendLatLng(out, *r);
    out += "],\"#" + ColorToHtmlHex(S.Color).toLatin1() + "\"," + QByteArray::number(S.Width) +
           ");map.addOverlay(polyline);\r\n";
    PageTail(out, ViewSize);
    return out;
}

QString WebMapLibraryDir()
{
    return QStringLiteral("/usr/share/javascript/leaflet");
}

namespace {

// The map calls of the page (named as the page writes them) drawn with the map library: the
// plan over OpenStreetMap's standard tiles, the satellite view over Esri's public imagery, the
// hybrid view as that imagery with a labels layer. The layer of the map type is added once the
// page's own calls have run, so that no tile of another type is fetched first. While no tile
// has loaded, every failed tile shows the notice; the first tile that loads hides it.
const char MapScript[] = R"JS(
(function () {
  "use strict";
  var NOTICE = "@NOTICE@";
  var OSM = "https://tile.openstreetmap.org/{z}/{x}/{y}.png";
  var OSM_ATTR = '&copy; <a href="https://www.openstreetmap.org/copyright">OpenStreetMap</a>';
  var ESRI = "https://server.arcgisonline.com/ArcGIS/rest/services/";
  var IMAGERY = ESRI + "World_Imagery/MapServer/tile/{z}/{y}/{x}";
  var LABELS = ESRI + "Reference/World_Boundaries_and_Places/MapServer/tile/{z}/{y}/{x}";
  var ESRI_ATTR = "Tiles &copy; Esri &mdash; Source: Esri, Maxar, Earthstar Geographics, and the GIS User Community";

  window.G_NORMAL_MAP = "plan";
  window.G_SATELLITE_MAP = "satellite";
  window.G_HYBRID_MAP = "hybrid";
  window.zphTiles = { loaded: 0, failed: 0 };

  function showNotice(map, show) {
    var n = document.getElementById("zph_notice");
    if (!n && show) {
      n = document.createElement("div");
      n.id = "zph_notice";
      n.style.cssText = "position:absolute;top:0;left:0;right:0;z-index:1000;padding:2px 6px;" +
        "background:#fff8c4;color:#000;font:12px sans-serif;text-align:center";
      n.textContent = NOTICE;
      map.getContainer().appendChild(n);
    }
    if (n) n.style.display = show ? "block" : "none";
  }

  function tiles(map, url, attribution, name) {
    var layer = L.tileLayer(url, { attribution: attribution, maxZoom: 19 });
    layer.zphName = name;
    layer.on("tileload", function () {
      window.zphTiles.loaded++;
      showNotice(map, false);
    });
    layer.on("tileerror", function () {
      window.zphTiles.failed++;
      if (window.zphTiles.loaded === 0) showNotice(map, true);
    });
    return layer;
  }

  window.GBrowserIsCompatible = function () { return true; };
  window.GUnload = function () {};
  window.GLatLng = function (lat, lng) { return L.latLng(lat, lng); };
  window.GSmallMapControl = function () { this.zphControl = "zoom"; };
  window.GMapTypeControl = function () { this.zphControl = "layers"; };
  window.GMarker = function (pos) {
    var m = L.marker(pos);
    window.zphMarker = m;
    return m;
  };
  window.GPolyline = function (points, color, weight, opacity) {
    var line = L.polyline(points, {
      color: color || "#0000FF",
      weight: weight || 5,
      opacity: opacity === undefined ? 1 : opacity,
      interactive: false
    });
    window.zphLine = line;
    return line;
  };

  window.GMap2 = function (div) {
    var map = L.map(div, { zoomControl: false });
    var self = this;
    this.map = map;
    this.type = null;
    this.bases = {
      plan: tiles(map, OSM, OSM_ATTR, "plan"),
      satellite: tiles(map, IMAGERY, ESRI_ATTR, "satellite"),
      hybrid: L.layerGroup([tiles(map, IMAGERY, ESRI_ATTR, "imagery"), tiles(map, LABELS, ESRI_ATTR, "labels")])
    };
    window.zphMap = map;
    window.zphGMap = this;
    setTimeout(function () { if (!self.type) self.setMapType("plan"); }, 0);
  };
  GMap2.prototype.setCenter = function (pos, zoom) { this.map.setView(pos, zoom); };
  GMap2.prototype.setMapType = function (type) {
    if (!this.bases[type] || type === this.type) return;
    if (this.type) this.map.removeLayer(this.bases[this.type]);
    this.type = type;
    this.bases[type].addTo(this.map);
  };
  GMap2.prototype.addControl = function (c) {
    if (c.zphControl === "zoom") L.control.zoom().addTo(this.map);
    else if (c.zphControl === "layers")
      L.control.layers({ "Normal": this.bases.plan, "Satellite": this.bases.satellite, "Hybrid": this.bases.hybrid })
        .addTo(this.map);
  };
  GMap2.prototype.addOverlay = function (o) { o.addTo(this.map); };
})();
)JS";

} // namespace

QByteArray WebMapScript()
{
    QByteArray s(MapScript);
    QString notice = Tr(QStringLiteral("Les tuiles de la carte n'ont pas pu être chargées."),
                        QStringLiteral("The map tiles could not be loaded."));
    notice.replace(u'\\', QStringLiteral("\\\\")).replace(u'"', QStringLiteral("\\\""));
    s.replace("@NOTICE@", notice.toUtf8());
    return s;
}
