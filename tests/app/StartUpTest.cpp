// What the process is given before its application object.
#include "app/Langage.h"
#include "app/Main.h"
#include "app/Plan.h"
#include "dialogs/CalcStn.h"
#include "dialogs/Editswp.h"
#include "dialogs/Editwpt.h"
#include "dialogs/ExplDir.h"
#include "dialogs/Reachmap.h"
#include "dialogs/TestForm.h"
#include "model/Define.h"
#include "platform/AtomicFile.h"
#include "platform/Msg.h"
#include "print/Preview.h"
#include "print/Print.h"

#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QFile>
#include <QIcon>
#include <QPixmap>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

// Under a file-size limit, a plain write past it (a link trace, a print: not an atomic save)
// fails with the system's reason instead of ending the program, from the start on.
TEST(StartUp, AFileSizeLimitFailsTheWriteInsteadOfEndingTheProgram)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("_Zph-1.log"));
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // A process as the shell starts it, nothing written yet.
        signal(SIGXFSZ, SIG_DFL);
        PrepareProcess();
        rlimit rl{4096, 4096};
        setrlimit(RLIMIT_FSIZE, &rl);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) _exit(2);
        const qint64 n = f.write(QByteArray(10000, 'x'));
        // A partial write first, then the refusal.
        const qint64 m = f.write(QByteArray(100, 'x'));
        const bool tooLarge = n < 10000 && m < 0 && f.errorString().contains(QLatin1String("File too large"));
        _exit(tooLarge ? 0 : 3);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_FALSE(WIFSIGNALED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

namespace {

// The shared objects of this process whose path contains Part.
QStringList Mapped(const char* Part)
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    QStringList found;
    if (!maps.open(QIODevice::ReadOnly)) return {QStringLiteral("<no maps>")};
    for (const QByteArray& line : maps.readAll().split('\n'))
        if (line.contains(Part)) {
            const QString path = QString::fromLocal8Bit(line.mid(line.indexOf('/')));
            if (!found.contains(path)) found << path;
        }
    return found;
}

} // namespace

// Up to its first painting the program loads neither the web engine nor the image plug-ins
// (each costs a good part of the start-up); the style's icons are still there when drawn.
TEST(StartUp, TheFirstPaintingLoadsNoWebEngineNorImagePlugins)
{
    QTemporaryDir home;
    qputenv("ZEPHALON_HOME", home.path().toUtf8());
    StartZephalon(QString());
    MainForm->show();
    QApplication::processEvents();
    QPixmap shot = MainForm->grab();
    EXPECT_FALSE(shot.isNull());
    EXPECT_EQ(Mapped("WebEngine").join(u' ').toStdString(), "");
    EXPECT_EQ(Mapped("imageformats").join(u' ').toStdString(), "");

    for (QStyle::StandardPixmap sp :
         {QStyle::SP_BrowserReload, QStyle::SP_DialogCloseButton, QStyle::SP_ToolBarHorizontalExtensionButton,
          QStyle::SP_ToolBarVerticalExtensionButton}) {
        const QIcon icon = MainForm->style()->standardIcon(sp);
        EXPECT_FALSE(icon.isNull()) << sp;
        const QImage img = icon.pixmap(16, 16).toImage();
        ASSERT_FALSE(img.isNull()) << sp;
        bool drawn = false;
        for (int y = 0; y < img.height() && !drawn; ++y)
            for (int x = 0; x < img.width() && !drawn; ++x) drawn = qAlpha(img.pixel(x, y)) > 0;
        EXPECT_TRUE(drawn) << sp;
    }
    DestroyForms();
}

namespace {

// What was made when the plan view was painted for the first time.
struct TFirstPaintWatch : QObject
{
    bool Painted = false, ExplorerThen = true, PrintThen = true, MadeThen = true;
    QStringList RawMenuTitles; // menus showing their object name instead of a text
    bool eventFilter(QObject*, QEvent* Event) override
    {
        if (Event->type() == QEvent::Paint && !Painted) {
            Painted = true;
            ExplorerThen = !DirExplor.isNull();
            PrintThen = !PrintForm.isNull();
            MadeThen = MainForm->FormsMade();
            for (QAction* a : MainForm->menuBar()->actions())
                if (a->menu() && a->text() == a->menu()->objectName()) RawMenuTitles << a->text();
        }
        return false;
    }
};

} // namespace

// The windows that the first painting does not show are made after it, at once, and in the
// language then in use; a command given before them makes them first and still works.
TEST(StartUp, SecondaryWindowsComeRightAfterTheFirstPainting)
{
    QTemporaryDir home;
    qputenv("ZEPHALON_HOME", home.path().toUtf8());
    Msg::SetHeadless(true);
    StartZephalon(QString());
    TFirstPaintWatch watch;
    PlanForm->installEventFilter(&watch);
    MainForm->resize(1000, 700);
    MainForm->show();
    Language = 1;
    SetFrenchTexts();
    ASSERT_TRUE(QTest::qWaitFor([] { return MainForm->FormsMade(); }, 5000));
    EXPECT_TRUE(watch.Painted);
    EXPECT_FALSE(watch.ExplorerThen);
    EXPECT_FALSE(watch.PrintThen);
    EXPECT_FALSE(watch.MadeThen);
    EXPECT_TRUE(watch.RawMenuTitles.isEmpty()) << watch.RawMenuTitles.join(u' ').toStdString();
    for (QWidget* w : std::initializer_list<QWidget*>{DirExplor, PrintForm, PreviewForm, SwpEdit, WptEdit,
                                                      StnCalc, ReachMapForm, FormTest})
        EXPECT_NE(w, nullptr);
    ASSERT_FALSE(DirExplor.isNull());
    EXPECT_EQ(DirExplor->NoSwpText, QStringLiteral("A waypoints file must be opened."));
    Language = 0;
    SetFrenchTexts();
    DestroyForms();

    // The print command at once, before any painting.
    StartZephalon(QString());
    ASSERT_TRUE(PrintForm.isNull());
    MainForm->Imprime->trigger();
    ASSERT_FALSE(PrintForm.isNull());
    EXPECT_TRUE(PrintForm->isVisible());
    EXPECT_TRUE(MainForm->FormsMade());
    PrintForm->close();
    DestroyForms();
    ModelDone();
}
