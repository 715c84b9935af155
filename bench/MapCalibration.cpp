// The scanned-map windows on big data.
//   BM_CalibrationOpen     10,000 x 10,000 JPEG: from opening the calibration window to its
//                          first painted image area (target under 1 s); the counters give the
//                          peak memory of the opening against the decoded image (target under
//                          1.25)
//   BM_CalibrationMouseMove  on that map: lens, caption and status for one mouse move (5 ms)
//   BM_CalibrationScroll     repaint of a 1920 x 1080 view after a scroll (16 ms)
//   BM_ChooserKeystroke      catalogue of 1,000 maps: one keystroke in the filter, list refilled
//                            and memo shown (50 ms); arg 1 with the folder filter
#include "BenchSupport.h"
#include "dialogs/Inimap.h"
#include "dialogs/Reachmap.h"
#include "files/MapCal.h"
#include "files/MapList.h"
#include "model/Define.h"
#include "model/Options.h"
#include "platform/Msg.h"
#include "platform/ProgramDir.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QLineEdit>
#include <QPainter>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>
#include <benchmark/benchmark.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int Side = 10000;
QString BigMap;

// Resident memory of the process in kB: current and peak.
long StatusKb(const char* Key)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(Key)) return line.mid(int(strlen(Key))).trimmed().split(' ').first().toLong();
    return 0;
}

void ResetPeak()
{
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (f.open(QIODevice::WriteOnly)) f.write("5");
}

// The big map is made in a child process, so that its picture does not count in the peak of
// this one.
void MakeBigMap(const QString& Path)
{
    const pid_t pid = fork();
    if (pid == 0) {
        int argc = 1;
        char name[] = "make";
        char* argv[] = {name, nullptr};
        QGuiApplication app(argc, argv);
        QImageReader::setAllocationLimit(0);
        QImage img(Side, Side, QImage::Format_RGB32);
        for (int y = 0; y < Side; ++y) {
            auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
            for (int x = 0; x < Side; ++x) line[x] = qRgb((x * 7) & 255, (y * 3) & 255, ((x ^ y) * 5) & 255);
        }
        QImageWriter w(Path, "JPG");
        w.setQuality(80);
        _exit(w.write(img) ? 0 : 1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
}

// A calibration on the corners, so that the caption shows positions.
void CalibrateBigMap()
{
    TMap m;
    m.Pos[0] = {0, 0, 4600000, 600000, true};
    m.Pos[1] = {Side - 1, 0, 4600000, 700000, true};
    m.Pos[2] = {0, Side - 1, 4500000, 600000, true};
    m.Pos[3] = {Side - 1, Side - 1, 4500000, 700000, true};
    SaveMapCal(MapCalFileName(BigMap), m, QString(), Side, Side);
}

// Counts the paintings of the image area, to make sure the measures paint.
struct PaintCounter : QObject
{
    int Count = 0;
    bool eventFilter(QObject*, QEvent* E) override
    {
        if (E->type() == QEvent::Paint) ++Count;
        return false;
    }
};

// Runs Body inside the calibration window opened on the big map once it is on screen, then
// closes it.
void WithOpenWindow(TIniMapForm& F, const std::function<void()>& Body, bool WaitExposed = true)
{
    QTimer::singleShot(0, &F, [&] {
        QElapsedTimer guard;
        guard.start();
        while (WaitExposed && !(F.windowHandle() && F.windowHandle()->isExposed()) && guard.elapsed() < 5000)
            QCoreApplication::processEvents();
        Body();
        F.done(0);
    });
    F.Execute(BigMap);
}

void BM_CalibrationOpen(benchmark::State& state)
{
    const double decodedKb = double(Side) * Side * 4 / 1024;
    double peakRatio = 0;
    for (auto _ : state) {
        TIniMapForm f;
        f.resize(1920 + 91, 1080);
        ResetPeak();
        const long before = StatusKb("VmRSS:");
        QElapsedTimer t;
        t.start();
        double ms = 0;
        PaintCounter painted;
        f.PaintBox->installEventFilter(&painted);
        WithOpenWindow(f, [&] {
            f.ScrollBox->viewport()->repaint();
            ms = double(t.nsecsElapsed()) / 1e6;
        });
        if (painted.Count == 0) state.SkipWithError("the image area was not painted");
        peakRatio = double(StatusKb("VmHWM:") - before) / decodedKb;
        state.SetIterationTime(ms / 1000);
    }
    state.counters["peak_over_decoded"] = peakRatio;
}

void BM_CalibrationMouseMove(benchmark::State& state)
{
    TIniMapForm f;
    f.resize(1920 + 91, 1080);
    PaintCounter painted;
    f.ZoomPaintBox->installEventFilter(&painted);
    WithOpenWindow(f, [&] {
        int i = 0;
        for (auto _ : state) {
            const int x = 100 + (i * 37) % 1800, y = 100 + (i * 53) % 900;
            ++i;
            f.PaintBoxMouseMove(x, y);
            f.ZoomPaintBox->repaint();
        }
        state.counters["lens_paints"] = painted.Count;
    });
}

void BM_CalibrationScroll(benchmark::State& state)
{
    TIniMapForm f;
    f.resize(1920 + 91 + f.ScrollBox->verticalScrollBar()->sizeHint().width(), 1080 + 20);
    PaintCounter painted;
    f.PaintBox->installEventFilter(&painted);
    WithOpenWindow(f, [&] {
        QScrollBar* h = f.ScrollBox->horizontalScrollBar();
        QScrollBar* v = f.ScrollBox->verticalScrollBar();
        int i = 0;
        for (auto _ : state) {
            ++i;
            h->setValue((i * 2111) % (h->maximum() + 1));
            v->setValue((i * 1301) % (v->maximum() + 1));
            f.ScrollBox->viewport()->repaint();
        }
        state.counters["paints"] = painted.Count;
        state.counters["view_w"] = f.ScrollBox->viewport()->width();
        state.counters["view_h"] = f.ScrollBox->viewport()->height();
    });
}

void BM_ChooserKeystroke(benchmark::State& state)
{
    {
        TMapCatalog c;
        if (c.Names().size() != 1000) {
            QFile::remove(IniFileName());
            TMapCatalog fresh;
            for (int i = 0; i < 1000; ++i)
                fresh.Write(QStringLiteral("Map%1").arg(i, 4, 10, QLatin1Char('0')),
                            QStringLiteral("/cartes/d%1/map%2.jpg").arg(i % 10).arg(i));
        }
    }
    Opt->FichFondCarte = QStringLiteral("Map0003");
    TReachMapForm f;
    f.InstallMode = 0;
    f.FormActivate();
    if (state.range(0) == 1) f.RepMapBtn->setChecked(true);
    int i = 0;
    for (auto _ : state) {
        // Alternately every name and a hundred of them, then a single one (memo of one map).
        const char* typed[] = {"M", "Map05", "Map0507"};
        f.Edit->setText(QString::fromLatin1(typed[i++ % 3]));
    }
    f.FormClose();
}

} // namespace

BENCHMARK(BM_CalibrationOpen)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_CalibrationMouseMove)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CalibrationScroll)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ChooserKeystroke)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("ZEPHALON_HOME", home.path().toUtf8());
    BigMap = home.filePath(QStringLiteral("big.jpg"));
    MakeBigMap(BigMap);
    QApplication app(argc, argv);
    Msg::SetHeadless(true);
    ModelInit();
    InitImageLimits();
    CalibrateBigMap();
    const int rc = RunBenchmarks(argc, argv);
    ModelDone();
    return rc;
}
