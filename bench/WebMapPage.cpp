// The web-map page of a full trace (65,535 fixes, the whole trace drawn: 131,071 points):
// built and written, then loaded in the offscreen web view up to the end of the load.
#include "BenchSupport.h"
#include "dialogs/WebMap.h"
#include "files/FileCommon.h"
#include "platform/ProgramDir.h"

#include <QApplication>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineView>
#include <benchmark/benchmark.h>

namespace {

TWebMapSettings FullTrace()
{
    TWebMapSettings s;
    s.NbTrjRec = 1;
    return s;
}

void BuildTrace()
{
    ModelInit();
    TTrj* T = NewTrj();
    for (int i = 0; i < MaxListCount; ++i) {
        auto r = std::make_unique<TRec>();
        r->Lat = 4500000 + (i % 5000) * 7;
        r->Lon = 500000 + i * 3;
        r->Time = 1000000 + i * 28;
        T->AddRec(r);
    }
    TrjLoaded();
    T->CurRec = T->RecAt(MaxListCount / 2);
}

void BM_WebMapPageBuildAndWrite(benchmark::State& State)
{
    const QString file = ProgramDir() + "/zephalon.tmp";
    qint64 bytes = 0;
    for (auto _ : State) {
        const QByteArray page = WebMapPageTrj(FullTrace(), *Trj, QSize(1000, 700));
        QString error;
        if (!SaveFileAtomic(file, page, error)) State.SkipWithError(error.toUtf8().constData());
        bytes = page.size();
    }
    State.counters["bytes"] = double(bytes);
}

void BM_WebMapPageLoad(benchmark::State& State)
{
    TWebMapForm form(nullptr, QSize(1200, 900));
    form.show();
    auto* view = qobject_cast<QWebEngineView*>(form.WebBrowser);
    if (!view) return State.SkipWithError("no web view");
    // Tiles are not part of the measure: every request for the network is refused at once.
    struct TBlock : QWebEngineUrlRequestInterceptor
    {
        void interceptRequest(QWebEngineUrlRequestInfo& Info) override
        {
            const QString s = Info.requestUrl().scheme();
            if (s == u"http" || s == u"https") Info.block(true);
        }
    } block;
    view->page()->profile()->setUrlRequestInterceptor(&block);
    TrjMode = 1;
    form.SetSettings(FullTrace());
    for (auto _ : State) {
        QEventLoop loop;
        bool ok = false;
        const auto c = QObject::connect(view, &QWebEngineView::loadFinished, &loop, [&](bool Ok) {
            ok = Ok;
            loop.quit();
        });
        QTimer::singleShot(30000, &loop, &QEventLoop::quit);
        form.ShowMap();
        loop.exec();
        QObject::disconnect(c);
        if (!ok) State.SkipWithError("page not loaded");
    }
    view->page()->profile()->setUrlRequestInterceptor(nullptr);
    form.close();
}

BENCHMARK(BM_WebMapPageBuildAndWrite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WebMapPageLoad)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("ZEPHALON_HOME", home.path().toUtf8());
    PrepareWebEngine();
    QApplication app(argc, argv);
    BuildTrace();
    const int rc = RunBenchmarks(argc, argv);
    ModelDone();
    return rc;
}
