#pragma once
// The page of the web-map window: its settings (section "WebMap" of the INI file) and the HTML
// page that shows the selected waypoint, or the current trace around its current fix, on a map.
// Everything here is plain data and text; the window only writes the page and shows it.
#include "model/Define.h"

#include <QByteArray>
#include <QSize>
#include <QString>
#include <QStringList>

class TIniFile;

// The six settings of the options sheet, always within the controls' ranges.
struct TWebMapSettings
{
    int MapType = 0;        // 0 plan, 1 satellite, 2 hybrid; 3 (an edited file) chooses none
    int Zoom = 15;          // 1..17
    int32 Color = 0xFF00FF; // trace colour, Windows colour integer (red in the low byte)
    int Width = 8;          // trace width in pixels, 1..20
    int NbTrjRec = 2;       // portion of the trace drawn, 1 (all) .. 4 (ten fixes each side)
    QString Key;            // map service key, kept but not needed by the open tile services
    bool operator==(const TWebMapSettings&) const = default;
};

constexpr int WebMapZoomMin = 1, WebMapZoomMax = 17;
constexpr int WebMapWidthMin = 1, WebMapWidthMax = 20;
constexpr int WebMapNbRecMin = 1, WebMapNbRecMax = 4;

// Reads section "WebMap"; garbage gives the default, a number out of range the nearest valid one.
TWebMapSettings ReadWebMapSettings(const TIniFile& Ini);
// False (with the file's error in Ini.LastError()) when the file cannot be written.
bool WriteWebMapSettings(TIniFile& Ini, const TWebMapSettings& S);

// The colour as "RRGGBB", upper case (red is the low byte of the value).
QString ColorToHtmlHex(int32 Color);
// 1e-5-degree angle as decimal degrees with 6 decimals and ".", whatever the locale.
QString CoordJs(int32 Angle);
// "new GLatLng(lat,lon)".
QString PosToLatLngJs(const TPos& Pos);
// Fixes drawn on each side of the current fix for a trace of RecCount fixes and the portion
// chosen on the options sheet.
int WebMapHalfWidth(int RecCount, int NbTrjRec);

// The page for a waypoint, or for the trace T around T.CurRec (which must be set), in a view of
// ViewSize pixels. Every line ends with CR LF; the text is UTF-8.
QByteArray WebMapPageWpt(const TWebMapSettings& S, const TPos& Wpt, QSize ViewSize);
QByteArray WebMapPageTrj(const TWebMapSettings& S, const TTrj& T, QSize ViewSize);

// The script the page loads next to the map library: the map, marker and line calls of the page
// drawn with that library over open tile services, and the notice shown when no tile loads
// (in the current language).
QByteArray WebMapScript();
// Folder of the map library's files (script, style sheet, images).
QString WebMapLibraryDir();
