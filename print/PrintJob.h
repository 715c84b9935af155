#pragma once
// The print job: the printer list (the CUPS queues and a "PDF" entry that writes a file), the
// page geometry the printer gives, and the printing run itself. Pages are always drawn into a
// temporary PDF with the chosen printer's page layout; only a run that was not aborted turns
// it into the chosen file or hands it to the queue, so an aborted run sends nothing.
#include "print/PrintIni.h"
#include "print/PrintPage.h"

#include <QPageLayout>
#include <QStringList>
#include <functional>

class QPrinter;

extern const QString PdfPrinterName; // "PDF"
extern const QString PrintJobTitle;  // "Zephalon"

// The CUPS queues, then "PDF".
QStringList PrinterNames();
// The default queue, else the first one, else "PDF".
QString DefaultPrinterName();

// The page layout of a printer (its own paper, its least margins as margins, the orientation
// asked), and what the page geometry needs of it at 600 dpi. False for an unknown printer.
bool PrinterPageLayout(const QString& Printer, bool Portrait, QPageLayout& Layout);
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
    Failed     // the message naming the printer was shown
};

// The document a print is named after: the current trace's name, or the waypoint file for the
// waypoint list.
QString PrintDocName(const TPrintSettings& S);

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
    bool Render(QPrinter& Printer, const TPrinterGeometry& G);
    bool Deliver(const QString& Pdf, bool ToFile);
    TPrintResult Fail(const QString& Cause);

    TPrintSettings& fS;
    bool fAborted = false;
    int fPages = 0;
    QString fError;
    QString fOutput;
};
