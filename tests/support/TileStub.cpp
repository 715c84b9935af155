#include "TileStub.h"

#include <QBuffer>
#include <QImage>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QUrlQuery>
#include <QWebEngineProfile>

class TInterceptor : public QWebEngineUrlRequestInterceptor
{
public:
    TInterceptor(quint16 Port, QObject* Parent) : QWebEngineUrlRequestInterceptor(Parent), fPort(Port) {}
    void interceptRequest(QWebEngineUrlRequestInfo& Info) override
    {
        const QUrl u = Info.requestUrl();
        if ((u.scheme() != u"http" && u.scheme() != u"https") || u.host() == u"127.0.0.1") return;
        QUrl to;
        to.setScheme(QStringLiteral("http"));
        to.setHost(QStringLiteral("127.0.0.1"));
        to.setPort(fPort);
        to.setPath(QStringLiteral("/tile"));
        to.setQuery(QStringLiteral("u=") + QString::fromLatin1(u.toEncoded().toHex()));
        Info.redirect(to);
    }

private:
    quint16 fPort;
};

TTileRequest ParseTileUrl(const QUrl& Url)
{
    TTileRequest r;
    const QString path = Url.path();
    static const QRegularExpression osm(QStringLiteral("^/(\\d+)/(\\d+)/(\\d+)\\.png$"));
    static const QRegularExpression esri(
        QStringLiteral("/(World_Imagery|World_Boundaries_and_Places)/MapServer/tile/(\\d+)/(\\d+)/(\\d+)$"));
    if (const auto m = osm.match(path); m.hasMatch() && Url.host().endsWith(u"openstreetmap.org")) {
        r = {QStringLiteral("plan"), m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt()};
    } else if (const auto e = esri.match(path); e.hasMatch()) {
        r = {e.captured(1) == u"World_Imagery" ? QStringLiteral("imagery") : QStringLiteral("labels"),
             e.captured(2).toInt(), e.captured(4).toInt(), e.captured(3).toInt()};
    } else {
        r.Layer = QStringLiteral("other");
    }
    return r;
}

TTileStub::TTileStub()
{
    QImage img(256, 256, QImage::Format_RGB32);
    img.fill(QColor(0xE0, 0xE0, 0xE0));
    QBuffer b(&fTile);
    b.open(QIODevice::WriteOnly);
    img.save(&b, "PNG");
    listen(QHostAddress::LocalHost, 0);
    connect(this, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* s = nextPendingConnection()) {
            connect(s, &QTcpSocket::readyRead, this, [this, s] { Serve(s); });
            connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
        }
    });
}

void TTileStub::Intercept(QWebEngineProfile* Profile)
{
    if (!fInterceptor) fInterceptor = new TInterceptor(serverPort(), this);
    Profile->setUrlRequestInterceptor(fInterceptor);
}

void TTileStub::Serve(QTcpSocket* S)
{
    // One request per connection is enough for the engine's tile requests; wait for the whole head.
    QByteArray head = S->property("head").toByteArray() + S->readAll();
    S->setProperty("head", head);
    if (!head.contains("\r\n\r\n")) return;
    const QList<QByteArray> first = head.left(head.indexOf("\r\n")).split(' ');
    const QUrl target = QUrl(QStringLiteral("http://127.0.0.1") + QString::fromLatin1(first.value(1)));
    const QUrl original = QUrl::fromEncoded(
        QByteArray::fromHex(QUrlQuery(target).queryItemValue(QStringLiteral("u")).toLatin1()));
    Requests << ParseTileUrl(original);
    QByteArray reply;
    if (Fail) {
        reply = "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
    } else {
        reply = "HTTP/1.1 200 OK\r\nContent-Type: image/png\r\nAccess-Control-Allow-Origin: "
                "*\r\nContent-Length: " +
                QByteArray::number(fTile.size()) + "\r\nConnection: close\r\n\r\n" + fTile;
    }
    S->write(reply);
    S->disconnectFromHost();
}
