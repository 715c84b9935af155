#pragma once
// The print job: the printer list (the CUPS queues and a "PDF" entry that writes a file), the
// page geometry the printer gives, and the printing run itself. Pages are always drawn into a
// PDF in memory with the chosen printer's page layout; only a run that was not aborted writes
// it (every write checked) to the chosen file, or to a private folder from which it is handed
// to the queue, so an aborted or failed run sends nothing and leaves the old file as it was.
#include "print/PrintIni.h"
#include "print/PrintPage.h"

#include <QPageLayout>
#include <QStringList>
#include <functional>

class QPdfWriter;

extern const QString PdfPrinterName; // "PDF"
extern const QString PrintJobTitle;  // "Zephalon"

// The CUPS queues, then "PDF".
QStringList PrinterNames();
// The default queue, else the first one, else "PDF".
QString DefaultPrinterName();

// The page layout of a printer (its own paper, its least margins as margins, the orientation
// asked), and what the page geometry needs of it at 600 dpi. False for an unknown printer.
bool PrinterPageLayout(const QString& Printer, bool Portrait, QPageLayout& Layout);
// The same on the paper chosen in the printer set-up (an invalid size: the printer's own).
// False, with the message to show in Reason, for an unknown printer or a paper it does not
// offer; the "PDF" entry takes any paper.
bool PrinterPageLayout(const QString& Printer, bool Portrait, const QPageSize& Paper, QPageLayout& Layout,
                       QString& Reason);
TPrinterGeometry GeometryOfLayout(const QPageLayout& Layout, int Dpi);

// Asks the file the "PDF" entry writes, starting from Suggested; false when cancelled. The
// default runner shows the platform's save dialog; tests install their own.
using TPdfFileAsker = std::function<bool(const QString& Suggested, QString& FileName)>;
void SetPdfFileAsker(TPdfFileAsker Asker);
// The program that hands a file to a queue ("lp" by default).
void SetLpProgram(const QString& Program);

// The progress box of a print run; its abort button calls TPrintJob::Abort.
class IPrintProgress
{
public:
    virtual ~IPrintProgress() = default;
    virtual void ShowProgress(const QString& Text) = 0; // shown and given the focus
    virtual void CloseProgress() = 0;
};

enum class TPrintResult
{
    Printed,   // sent to the queue or written to the file
    Aborted,   // nothing sent
    Cancelled, // the file of the "PDF" entry was not chosen
    Failed     // the message naming the printer (and why) was shown
};

// The document a print is named after: the current trace's name, or the waypoint file for the
// waypoint list.
QString PrintDocName(const TPrintSettings& S);
// The name of the document a queue receives: the file name of PrintDocName and the view
// ("01lz1hq1.igc - Vue en plan.pdf").
QString PrintQueueDocName(const TPrintSettings& S);

// Folders a print run keeps its queue document in, under TempDir; the name carries the
// process id so that a later run can tell a folder left by a killed run from one in use.
QString PrintFolderPrefix(); // "zephalon-print-"
// Removes the print folders under TempDir whose process is gone; the number removed.
int RemoveStalePrintFolders(const QString& TempDir);

class TPrintJob
{
public:
    explicit TPrintJob(TPrintSettings& S) : fS(S) {}
    // Prints the page of the chosen view (the waypoint list on as many pages as it needs) on
    // the printer S.PrinterName. Margins narrower than the printer allows are raised in S.
    TPrintResult Run();
    void Abort() { fAborted = true; }
    bool Aborted() const { return fAborted; }
    int Pages() const { return fPages; }
    QString LastError() const { return fError; } // the real cause of the last failure
    QString OutputFile() const { return fOutput; }

    std::function<void(const QString&)> Status; // status bar (empty clears)
    IPrintProgress* Progress = nullptr;

private:
    bool Render(QPdfWriter& Writer, const TPrinterGeometry& G);
    bool Deliver(const QByteArray& Pdf, bool ToFile, const QPageLayout& Layout);
    bool SendToQueue(const QString& Pdf, const QPageLayout& Layout);
    // Lets a pending Esc act; true when the run was aborted.
    bool AbortSeen();
    TPrintResult Fail(const QString& Cause);
    TPrintResult FailWith(const QString& Message, const QString& Cause);

    TPrintSettings& fS;
    bool fAborted = false;
    int fPages = 0;
    QString fError;
    QString fOutput;
};
