#pragma once
// A map-tile server on the loopback interface for tests of the web map, and the request
// interceptor that sends every tile request of a web profile to it instead of the network.
// The stub answers each request with a plain 256-pixel tile (or 404 when told to fail) and
// records which layer, zoom and tile were asked.
#include <QList>
#include <QString>
#include <QTcpServer>
#include <QWebEngineUrlRequestInterceptor>

class QWebEngineProfile;

struct TTileRequest
{
    QString Layer; // "plan", "imagery", "labels" or "other"
    int Z = -1, X = -1, Y = -1;
};

// The layer and tile of an address of the open tile services.
TTileRequest ParseTileUrl(const QUrl& Url);

class TTileStub : public QTcpServer
{
public:
    TTileStub();
    bool Fail = false;
    QList<TTileRequest> Requests;
    // Sends the profile's requests for the network (http, https) here.
    void Intercept(QWebEngineProfile* Profile);

private:
    void Serve(class QTcpSocket* S);
    QByteArray fTile;
    class TInterceptor* fInterceptor = nullptr;
};
