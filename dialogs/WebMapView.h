#pragma once
// The web view of the map window is built by a library of its own ("libzph_webview.so"), loaded
// when the map window is first opened: the program starts, and runs, without the web engine
// until then. The library links the web engine and nothing of the program; what it needs of
// the program comes through its one entry point.
#include <QByteArray>
#include <QString>

class QWidget;

// What the view's URL scheme serves for a path: its bytes and MIME type; false for nothing.
using TWebMapResourceFn = bool (*)(const QString& UrlPath, QByteArray& Data, QByteArray& Mime);

// The entry point: a QWebEngineView child of Parent, in a profile of its own kept in memory
// (removed after the view), that serves the scheme "zph" through Resource, lets local pages
// load remote scripts and tiles, and adds UserAgentSuffix to its user agent. The scheme is
// registered at the first call. Load a page by setting the view's "url" property.
using TCreateWebMapViewFn = QWidget* (*)(QWidget* Parent, TWebMapResourceFn Resource,
                                         const QString& UserAgentSuffix);
inline constexpr char WebMapViewEntry[] = "ZphCreateWebMapView";
inline constexpr char WebMapViewLibrary[] = "zph_webview";
