// Print jobs to a CUPS queue of a scheduler of our own.
#include "print/PrintJob.h"

#include "files/WptFormats.h"
#include "support/CupsServer.h"
#include "support/Fixtures.h"

#include "platform/AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QTimer>
#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

TCupsServer* Server = nullptr;

class CupsJob : public FreshModel
{
protected:
    static void SetUpTestSuite()
    {
        Server = new TCupsServer;
        QString err;
        started = Server->Start(err) && Server->AddQueue("Zq", true, err);
        startError = err;
    }
    static void TearDownTestSuite()
    {
        delete Server; // stops the scheduler
        Server = nullptr;
    }
    void SetUp() override
    {
        FreshModel::SetUp();
        ASSERT_TRUE(started) << startError.toStdString();
        TReadReport r;
        SetSwp(ReadWptFile(ZPH_TESTDATA "/waypoints/euregio9.dat", r));
        S.PrnView = pvWptList;
        S.PrinterName = "Zq";
    }
    static bool started;
    static QString startError;
    TPrintSettings S;
};
bool CupsJob::started = false;
QString CupsJob::startError;

TEST_F(CupsJob, QueueListedBeforePdfAndDefault)
{
    EXPECT_EQ(PrinterNames(), (QStringList{"Zq", "PDF"}));
    EXPECT_EQ(DefaultPrinterName(), "Zq");
    QPageLayout l;
    EXPECT_TRUE(PrinterPageLayout("Zq", false, l));
    EXPECT_EQ(l.orientation(), QPageLayout::Landscape);
    EXPECT_FALSE(PrinterPageLayout("Nowhere", true, l));
}

// One test walks the queue's history in order: an aborted run, then a job of two copies.
TEST_F(CupsJob, AbortSendsNothingThenAJobOfTwoCopies)
{
    const int before = Server->Jobs("all").size();
    {
        TPrintJob job(S);
        QTimer::singleShot(0, [&] { job.Abort(); });
        EXPECT_EQ(job.Run(), TPrintResult::Aborted);
        EXPECT_EQ(Server->Jobs("all").size(), before);
    }
    S.NbCopy = 2;
    TPrintJob job(S);
    ASSERT_EQ(job.Run(), TPrintResult::Printed) << job.LastError().toStdString();
    ASSERT_TRUE(Server->WaitCompleted(before + 1));
    const int id = before + 1;
    const QByteArray control = Server->ControlFile(id);
    EXPECT_TRUE(control.contains(QByteArray("\x00\x08job-name\x00\x08Zephalon", 20)));
    EXPECT_TRUE(control.contains(QByteArray("\x00\006copies\x00\x04\x00\x00\x00\x02", 14)));
    EXPECT_TRUE(Server->DataFile(id).startsWith("%PDF"));
    EXPECT_EQ(job.Pages(), 2);
}

TEST_F(CupsJob, RefusedQueueOrMissingLpNamesThePrinter)
{
    S.PrinterName = "Gone";
    TPrintJob gone(S);
    EXPECT_EQ(gone.Run(), TPrintResult::Failed);
    SetLpProgram("/nonexistent/lp");
    S.PrinterName = "Zq";
    TPrintJob noLp(S);
    EXPECT_EQ(noLp.Run(), TPrintResult::Failed);
    SetLpProgram(QString());
    ASSERT_EQ(Msg::Log().size(), 2);
    EXPECT_EQ(Msg::Log()[0].text,
              "L'imprimante \"Gone\" est indisponible !.\rCette imprimante n'existe pas.");
    EXPECT_TRUE(Msg::Log()[1].text.startsWith("L'imprimante \"Zq\" est indisponible !.\r/nonexistent/lp: "));
    EXPECT_TRUE(noLp.LastError().contains("/nonexistent/lp"));
}

// The job asks for what the pilot chose (colour, paper) and names the document after the trace
// and the view; the folder it came from is gone, with what a killed run had left.
TEST_F(CupsJob, ColourPaperAndDocumentNameReachTheQueue)
{
    QTemporaryDir tmp;
    const QByteArray savedTmp = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(tmp.path()));
    const pid_t child = fork();
    if (child == 0) _exit(0);
    ASSERT_EQ(waitpid(child, nullptr, 0), child);
    ASSERT_TRUE(QDir(tmp.path()).mkpath(PrintFolderPrefix() + QString::number(child) + "-x1y2z3"));

    NewTrj()->Name = "/data/vols/27GLQKF3.igc";
    S.PrnView = pvPlan;
    S.MonochBtn = false;
    S.Paper = QPageSize(QPageSize::A3);
    const int before = Server->Jobs("all").size();
    TPrintJob job(S);
    const TPrintResult r = job.Run();
    qputenv("TMPDIR", savedTmp);
    ASSERT_EQ(r, TPrintResult::Printed) << job.LastError().toStdString();
    EXPECT_EQ(QDir(tmp.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden),
              QStringList());
    ASSERT_TRUE(Server->WaitCompleted(before + 1));
    const QByteArray control = Server->ControlFile(before + 1);
    EXPECT_TRUE(control.contains(QByteArray("print-color-mode\x00\005color", 23))) << control.toStdString();
    EXPECT_TRUE(control.contains("27GLQKF3.igc - Vue en plan.pdf")) << control.toStdString();
    EXPECT_TRUE(control.contains(QByteArray("\x00\x05media\x00\002A3", 11)));
    const QByteArray data = Server->DataFile(before + 1);
    EXPECT_TRUE(data.contains("/MediaBox [0 0 842.000000 1191.000000]")); // A3 in points
}

// A queue that offers A4 and Letter only.
const char* const SmallPpd = R"PPD(*PPD-Adobe: "4.3"
*FormatVersion: "4.3"
*FileVersion: "1.0"
*LanguageVersion: English
*LanguageEncoding: ISOLatin1
*PCFileName: "ZPSMALL.PPD"
*Manufacturer: "Zephalon tests"
*Product: "(Small)"
*ModelName: "Small paper printer"
*ShortNickName: "Small paper printer"
*NickName: "Small paper printer"
*PSVersion: "(3010.000) 0"
*LanguageLevel: "3"
*ColorDevice: True
*DefaultColorSpace: RGB
*FileSystem: False
*Throughput: "1"
*LandscapeOrientation: Plus90
*TTRasterizer: Type42
*OpenUI *PageSize/Media Size: PickOne
*OrderDependency: 10 AnySetup *PageSize
*DefaultPageSize: A4
*PageSize A4/A4: "<</PageSize[595 842]>>setpagedevice"
*PageSize Letter/US Letter: "<</PageSize[612 792]>>setpagedevice"
*CloseUI: *PageSize
*OpenUI *PageRegion: PickOne
*OrderDependency: 10 AnySetup *PageRegion
*DefaultPageRegion: A4
*PageRegion A4/A4: "<</PageSize[595 842]>>setpagedevice"
*PageRegion Letter/US Letter: "<</PageSize[612 792]>>setpagedevice"
*CloseUI: *PageRegion
*DefaultImageableArea: A4
*ImageableArea A4/A4: "18 18 577 824"
*ImageableArea Letter/US Letter: "18 18 594 774"
*DefaultPaperDimension: A4
*PaperDimension A4/A4: "595 842"
*PaperDimension Letter/US Letter: "612 792"
)PPD";

// A paper the queue does not offer gives one clear message, and nothing is sent.
TEST_F(CupsJob, PaperTheQueueDoesNotOfferIsSaidOnce)
{
    QTemporaryDir dir;
    const QString ppd = dir.filePath("small.ppd");
    WriteAll(ppd, SmallPpd);
    QString err;
    ASSERT_TRUE(Server->AddQueue("Zsmall", false, err, ppd)) << err.toStdString();
    QPageLayout l;
    QString why;
    ASSERT_TRUE(PrinterPageLayout("Zsmall", true, QPageSize(QPageSize::Letter), l, why)) << why.toStdString();
    EXPECT_TRUE(l.pageSize().isEquivalentTo(QPageSize(QPageSize::Letter)));
    const int before = Server->Jobs("all").size();
    S.PrinterName = "Zsmall";
    S.Paper = QPageSize(QPageSize::A3);
    TPrintJob job(S);
    EXPECT_EQ(job.Run(), TPrintResult::Failed);
    ASSERT_EQ(Msg::Log().size(), 1);
    EXPECT_EQ(Msg::Log()[0].text, "L'imprimante \"Zsmall\" ne propose pas le papier A3.");
    EXPECT_EQ(Server->Jobs("all").size(), before);
}

// A document that cannot be written whole never reaches the queue, and the message says why.
TEST_F(CupsJob, DocumentCutShortIsNotSent)
{
    QTemporaryDir tmp;
    const QByteArray savedTmp = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(tmp.path()));
    const int before = Server->Jobs("all").size();
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 4000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    TPrintJob job(S);
    const TPrintResult r = job.Run();
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &saved), 0);
    qputenv("TMPDIR", savedTmp);
    EXPECT_EQ(r, TPrintResult::Failed);
    ASSERT_EQ(Msg::Log().size(), 1);
    EXPECT_EQ(Msg::Log()[0].text, "L'imprimante \"Zq\" est indisponible !.\r" + SystemErrorText(EFBIG));
    EXPECT_EQ(Server->Jobs("all").size(), before);
    EXPECT_EQ(QDir(tmp.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden),
              QStringList());
}

} // namespace
