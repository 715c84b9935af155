// The library of the map window's web view (see WebMapView.h); the only code that uses the web
// engine.
#include "dialogs/WebMapView.h"

#include <QBuffer>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>
#include <QWebEngineUrlSchemeHandler>
#include <QWebEngineView>

namespace {

const QByteArray Scheme = QByteArrayLiteral("zph");

class TSchemeHandler : public QWebEngineUrlSchemeHandler
{
public:
    TSchemeHandler(TWebMapResourceFn Resource, QObject* Parent)
        : QWebEngineUrlSchemeHandler(Parent), fResource(Resource)
    {
    }

    void requestStarted(QWebEngineUrlRequestJob* Job) override
    {
        QByteArray data, mime;
        if (!fResource || !fResource(Job->requestUrl().path(), data, mime))
            return Job->fail(QWebEngineUrlRequestJob::UrlNotFound);
        auto* buf = new QBuffer(Job);
        buf->setData(data);
        buf->open(QIODevice::ReadOnly);
        Job->reply(mime, buf);
    }

private:
    TWebMapResourceFn fResource;
};

} // namespace

extern "C" Q_DECL_EXPORT QWidget* ZphCreateWebMapView(QWidget* Parent, TWebMapResourceFn Resource,
                                                      const QString& UserAgentSuffix)
{
    // Registered before the engine's first profile, which is all the engine asks.
    if (QWebEngineUrlScheme::schemeByName(Scheme).name().isEmpty()) {
        QWebEngineUrlScheme s(Scheme);
        s.setSyntax(QWebEngineUrlScheme::Syntax::Host);
        s.setFlags(QWebEngineUrlScheme::LocalScheme | QWebEngineUrlScheme::LocalAccessAllowed);
        QWebEngineUrlScheme::registerScheme(s);
    }
    auto* view = new QWebEngineView(Parent);
    // Created after the view, so that the view (and its page) goes first: a profile must
    // outlive its pages. In memory: nothing is left on disk and several copies of the program
    // never share a profile folder.
    auto* profile = new QWebEngineProfile(Parent ? static_cast<QObject*>(Parent) : view);
    profile->installUrlSchemeHandler(Scheme, new TSchemeHandler(Resource, profile));
    // The tile services ask the programs that use them to say who they are.
    profile->setHttpUserAgent(profile->httpUserAgent() + UserAgentSuffix);
    view->setPage(new QWebEnginePage(profile, view));
    view->settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, true);
    return view;
}
