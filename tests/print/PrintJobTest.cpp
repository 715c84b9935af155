// Print jobs to the "PDF" entry, with no CUPS scheduler to be found.
#include "print/PrintJob.h"
#include "print/PrintMsg.h"
#include "print/PrintText.h"

#include "files/IgcFile.h"
#include "files/WptFormats.h"
#include "model/Options.h"
#include "model/Sector.h"
#include "platform/AtomicFile.h"
#include "print/PdfAsk.h"
#include "support/Fixtures.h"
#include "support/PdfProbe.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QTimer>
#include <cerrno>
#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// No scheduler answers on this socket, so the printer list is the PDF entry alone.
const bool NoCups = qputenv("CUPS_SERVER", "/nonexistent/zephalon-no-cups.sock");

class PdfJob : public FreshModel
{
protected:
    QTemporaryDir dir;
    TPrintSettings S;
    QString out;
    void SetUp() override
    {
        FreshModel::SetUp();
        out = dir.filePath("page.pdf");
        SetPdfFileAsker([this](const QString& suggested, QString& name) {
            asked = suggested;
            name = out;
            return true;
        });
        S.PrinterName = PdfPrinterName;
    }
    void TearDown() override
    {
        SetPdfFileAsker(nullptr);
        FreshModel::TearDown();
    }
    QString asked;
};

TEST_F(PdfJob, PdfIsTheOnlyAndDefaultPrinter)
{
    EXPECT_EQ(PrinterNames(), QStringList{"PDF"});
    EXPECT_EQ(DefaultPrinterName(), "PDF");
}

TEST_F(PdfJob, DetailPageOfAFlightWithItsTask)
{
    TReadReport r;
    ASSERT_TRUE(LoadIgcTrj(ZPH_TESTDATA "/igc/01lz1hq1.igc", true, r));
    ASSERT_GT(Stn->Count, 1);
    FindReachedTrn();
    const TRec* cur = Trj->CurRec;
    const TTrn* cursor = Stn->Cursor;
    S.PrnView = pvDetail;
    S.HeightCutt = 50;
    S.LeftEdit = 10;
    TPrintJob job(S);
    ASSERT_EQ(job.Run(), TPrintResult::Printed);
    EXPECT_EQ(asked, Trj->Name + ".pdf");
    EXPECT_EQ(Trj->CurRec, cur); // printing moves no cursor
    EXPECT_EQ(Stn->Cursor, cursor);
    EXPECT_EQ(PdfInfo(out, "Pages"), "1");
    EXPECT_EQ(PdfInfo(out, "Title"), "Zephalon");
    EXPECT_TRUE(PdfInfo(out, "Page size").endsWith("(A4)")) << PdfInfo(out, "Page size").toStdString();
    const QString text = PdfText(out);
    EXPECT_TRUE(text.contains(Trj->Name.left(Trj->Name.indexOf('.') + 4))) << text.toStdString();
    EXPECT_TRUE(text.contains("Début (Loc)"));
    EXPECT_TRUE(text.contains(Stn->First->Name.trimmed()));
    // The left frame runs 10 mm from the paper's edge: column 39 at 100 dpi.
    const QImage page = PdfPage(out, 1);
    ASSERT_FALSE(page.isNull());
    int dark = 0;
    for (int y = page.height() / 2; y < page.height() / 2 + 100; ++y)
        dark += qGray(page.pixel(39, y)) < 128 || qGray(page.pixel(40, y)) < 128;
    EXPECT_GT(dark, 95);
    EXPECT_EQ(qGray(page.pixel(30, page.height() / 2)), 255);
}

// The paper chosen in the set-up is the page's, on the preview and in the file.
TEST_F(PdfJob, ChosenPaperIsThePages)
{
    NewTrj();
    S.PrnView = pvDetail;
    S.Paper = QPageSize(QPageSize::A3);
    QPageLayout l;
    QString why;
    ASSERT_TRUE(PrinterPageLayout(PdfPrinterName, true, S.Paper, l, why));
    const QSize paper = GeometryOfLayout(l, 600).PhysSize; // 297 x 420 mm
    EXPECT_NEAR(paper.width(), 297 / MmPerInch * 600, 5);
    EXPECT_NEAR(paper.height(), 420 / MmPerInch * 600, 5);
    TPrintJob job(S);
    ASSERT_EQ(job.Run(), TPrintResult::Printed);
    EXPECT_TRUE(PdfInfo(out, "Page size").endsWith("(A3)")) << PdfInfo(out, "Page size").toStdString();
}

TEST_F(PdfJob, WaypointListRunsOverItsPages)
{
    TReadReport r;
    auto set = ReadWptFile(ZPH_TESTDATA "/waypoints/euregio9.dat", r);
    ASSERT_TRUE(set);
    const int n = set->Count;
    SetSwp(std::move(set));
    Opt->FichWayPoints = ZPH_TESTDATA "/waypoints/euregio9.dat";
    S.PrnView = pvWptList;
    TPrintJob job(S);
    ASSERT_EQ(job.Run(), TPrintResult::Printed);
    EXPECT_EQ(asked, Opt->FichWayPoints + ".pdf");
    const QString pages = PdfInfo(out, "Pages");
    EXPECT_EQ(pages.toInt(), job.Pages());
    EXPECT_GE(job.Pages(), 2);
    const QString text = PdfText(out);
    EXPECT_TRUE(text.contains(QString("Page 1/%1").arg(pages)));
    EXPECT_TRUE(text.contains(QString("Page %1/%1").arg(pages)));
    EXPECT_TRUE(text.contains(QString::number(n)));
    EXPECT_TRUE(text.contains("Commentaire"));

    // Only the marked ones: one page, numbered as printed.
    int k = 0;
    for (TWpt* w = Swp->First; w; w = w->Next) w->Rep = k++ < 3;
    S.MrkWptOnly = true;
    ASSERT_EQ(job.Run(), TPrintResult::Printed);
    EXPECT_EQ(PdfInfo(out, "Pages"), "1");
    EXPECT_TRUE(PdfText(out).contains("Page 1/1"));
}

TEST_F(PdfJob, AbortedRunWritesNothing)
{
    TReadReport r;
    SetSwp(ReadWptFile(ZPH_TESTDATA "/waypoints/euregio9.dat", r));
    S.PrnView = pvWptList;
    TPrintJob job(S);
    QTimer::singleShot(0, [&] { job.Abort(); });
    EXPECT_EQ(job.Run(), TPrintResult::Aborted);
    EXPECT_FALSE(QFileInfo::exists(out));
    EXPECT_TRUE(Msg::Log().isEmpty());
}

TEST_F(PdfJob, UnwritablePathNamesThePrinterAndLeavesNothing)
{
    NewTrj();
    S.PrnView = pvDetail;
    out = dir.filePath("missing/folder/page.pdf");
    TPrintJob job(S);
    EXPECT_EQ(job.Run(), TPrintResult::Failed);
    ASSERT_EQ(Msg::Log().size(), 1);
    EXPECT_EQ(Msg::Log()[0].text, "L'imprimante \"PDF\" est indisponible !.\r" + SystemErrorText(ENOENT));
    EXPECT_FALSE(job.LastError().isEmpty());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
    // The same in English.
    Language = 1;
    EXPECT_EQ(job.Run(), TPrintResult::Failed);
    Language = 0;
    ASSERT_EQ(Msg::Log().size(), 2);
    EXPECT_EQ(Msg::Log()[1].text, "The printer \"PDF\" is unavailable!\r" + SystemErrorText(ENOENT));
    // No file chosen: nothing printed, nothing said.
    SetPdfFileAsker([](const QString&, QString&) { return false; });
    EXPECT_EQ(job.Run(), TPrintResult::Cancelled);
    EXPECT_EQ(Msg::Log().size(), 2);
}

// A file-size limit stops the write of the PDF part-way: the run fails saying why, and the
// PDF of an earlier print stays byte for byte, with nothing else left beside it.
TEST_F(PdfJob, WriteStoppedPartWayKeepsTheOldPdfAndSaysWhy)
{
    TReadReport r;
    ASSERT_TRUE(LoadIgcTrj(ZPH_TESTDATA "/igc/01lz1hq1.igc", true, r));
    S.PrnView = pvDetail;
    const QByteArray old = "%PDF-1.4 an earlier print\n";
    WriteAll(out, old);
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 20000; // far below the page's size
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    TPrintJob job(S);
    const TPrintResult result = job.Run();
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &saved), 0);
    EXPECT_EQ(result, TPrintResult::Failed);
    ASSERT_EQ(Msg::Log().size(), 1);
    EXPECT_EQ(Msg::Log()[0].text, "L'imprimante \"PDF\" est indisponible !.\r" + SystemErrorText(EFBIG));
    EXPECT_EQ(ReadAll(out), old);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden),
              QStringList{"page.pdf"});
}

// Esc pressed while the plan is being drawn stops the run before anything is written.
TEST_F(PdfJob, EscWhileThePageIsDrawnWritesNothing)
{
    TReadReport r;
    ASSERT_TRUE(LoadIgcTrj(ZPH_TESTDATA "/igc/01lz1hq1.igc", true, r));
    const QByteArray old = "%PDF-1.4 an earlier print\n";
    WriteAll(out, old);
    for (uint8 view : {pvPlan, pvCutt}) {
        S.PrnView = view;
        TPrintJob job(S);
        const QString drawing = view == pvPlan ? PrintMsgTexts().PlanStatus : PrintMsgTexts().CuttStatus;
        bool pressed = false;
        job.Status = [&](const QString& t) {
            if (t == drawing && !pressed) {
                pressed = true;
                QTimer::singleShot(0, [&] { job.Abort(); });
            }
        };
        EXPECT_EQ(job.Run(), TPrintResult::Aborted) << int(view);
        EXPECT_TRUE(pressed);
        EXPECT_EQ(ReadAll(out), old);
    }
    EXPECT_TRUE(Msg::Log().isEmpty());
}

// Print folders left by a killed run go at the next run; one whose program still runs stays.
TEST(PrintFolders, OnlyThoseOfEndedProgramsAreRemoved)
{
    QTemporaryDir tmp;
    const pid_t child = fork();
    if (child == 0) _exit(0);
    ASSERT_GT(child, 0);
    ASSERT_EQ(waitpid(child, nullptr, 0), child); // its id now names no process
    const QString prefix = PrintFolderPrefix();
    const QString dead = prefix + QString::number(child) + "-a1B2c3";
    const QString parent = prefix + QString::number(getppid()) + "-d4E5f6";
    const QString own = prefix + QString::number(getpid()) + "-g7H8i9";
    const QString other = "other-" + QString::number(child) + "-a1B2c3";
    for (const QString& d : {dead, parent, own, other}) {
        ASSERT_TRUE(QDir(tmp.path()).mkdir(d));
        WriteAll(tmp.filePath(d + "/doc.pdf"), "%PDF");
    }
    EXPECT_EQ(RemoveStalePrintFolders(tmp.path()), 1);
    EXPECT_FALSE(QFileInfo::exists(tmp.filePath(dead)));
    for (const QString& d : {parent, own, other})
        EXPECT_TRUE(QFileInfo::exists(tmp.filePath(d))) << d.toStdString();
}

// The file list of the dialog that asks the PDF's name speaks the program's language, whatever
// the system's.
TEST(PdfAskTest, FileListInTheProgramsLanguage)
{
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir("vols"));
    WriteAll(dir.filePath("page.pdf"), QByteArray(2048, 'x'));
    const QDateTime when(QDate(2026, 12, 7), QTime(2, 56));
    {
        QFile f(dir.filePath("page.pdf"));
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(when, QFileDevice::FileModificationTime));
    }
    QFileSystemModel fs;
    const QModelIndex root = fs.setRootPath(dir.path());
    while (fs.rowCount(root) < 2 || fs.data(fs.index(dir.filePath("page.pdf"), 3)).toString().isEmpty())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    for (int lang : {0, 1}) {
        TFileListTexts t(lang);
        t.setSourceModel(&fs);
        const QModelIndex file = t.mapFromSource(fs.index(dir.filePath("page.pdf")));
        const QModelIndex folder = t.mapFromSource(fs.index(dir.filePath("vols")));
        const auto cell = [&](const QModelIndex& i, int col) {
            return t.index(i.row(), col, i.parent()).data().toString();
        };
        EXPECT_EQ(cell(file, 0), "page.pdf");
        EXPECT_EQ(cell(folder, 2), lang ? "Folder" : "Dossier");
        EXPECT_EQ(cell(file, 2), lang ? "PDF file" : "Fichier PDF");
        EXPECT_EQ(cell(file, 1), lang ? "2.00 KiB" : "2,00 Kio");
        EXPECT_EQ(cell(file, 3), lang ? "7 Dec 2026 02:56" : "7 déc. 2026 02:56")
            << cell(file, 3).toStdString();
    }
    // The dialog itself is Qt's own and lists through those texts.
    bool listed = false;
    QTimer::singleShot(0, [&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* d = qobject_cast<QFileDialog*>(w); d && d->isVisible()) {
                listed = dynamic_cast<TFileListTexts*>(d->proxyModel()) != nullptr;
                d->selectFile(dir.filePath("new.pdf"));
                QMetaObject::invokeMethod(d, "accept");
            }
    });
    QString chosen;
    EXPECT_TRUE(AskPdfFile(dir.filePath("page.pdf"), chosen));
    EXPECT_TRUE(listed);
    EXPECT_EQ(chosen, dir.filePath("new.pdf"));
}

TEST(PrintMsgTest, PlacesAreFilledOnceLeftToRight)
{
    EXPECT_EQ(FormatMsg("Impression de %s sur %s", {"a%s%1", "PDF"}), "Impression de a%s%1 sur PDF");
    EXPECT_EQ(FormatMsg("%s et %s", {"x"}), "x et %s");
    EXPECT_EQ(FormatMsg("100 %", {"x"}), "100 %");
}

} // namespace
