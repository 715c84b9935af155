// Print jobs to a CUPS queue of a scheduler of our own.
#include "print/PrintJob.h"

#include "files/WptFormats.h"
#include "support/CupsServer.h"
#include "support/Fixtures.h"

#include <QTimer>

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
    EXPECT_TRUE(control.contains(QByteArray("\x00\x06"
                                            "copies\x00\x04\x00\x00\x00\x02",
                                            14)));
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
    EXPECT_EQ(Msg::Log()[0].text, "L'imprimante \"Gone\" est indisponible !.");
    EXPECT_EQ(Msg::Log()[1].text, "L'imprimante \"Zq\" est indisponible !.");
    EXPECT_TRUE(noLp.LastError().contains("/nonexistent/lp"));
}

} // namespace
