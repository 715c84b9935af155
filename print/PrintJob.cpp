#include "print/PrintJob.h"

#include "files/FileCommon.h"
#include "model/Options.h"
#include "platform/Msg.h"
#include "print/PrintMsg.h"

#include <QApplication>
#include <QDebug>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QTemporaryDir>

const QString PdfPrinterName = QStringLiteral("PDF");
const QString PrintJobTitle = QStringLiteral("Zephalon");

namespace {

constexpr int PrintDpi = 600;

TPdfFileAsker& Asker()
{
    static TPdfFileAsker asker;
    return asker;
}

QString& LpProgram()
{
    static QString program = QStringLiteral("lp");
    return program;
}

bool DefaultAsk(const QString& Suggested, QString& FileName)
{
    const QString f =
        QFileDialog::getSaveFileName(nullptr, QString(), Suggested, QStringLiteral("PDF (*.pdf *.PDF)"));
    if (f.isEmpty()) return false;
    FileName = f;
    return true;
}

// The hourglass for the time of a run, given back however the run ends.
class TBusyCursor
{
public:
    TBusyCursor()
    {
        if (qApp) QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~TBusyCursor()
    {
        if (qApp) QApplication::restoreOverrideCursor();
    }
};

} // namespace

QStringList PrinterNames()
{
    QStringList names = QPrinterInfo::availablePrinterNames();
    names.removeAll(PdfPrinterName);
    names.append(PdfPrinterName);
    return names;
}

QString DefaultPrinterName()
{
    const QStringList queues = QPrinterInfo::availablePrinterNames();
    const QString def = QPrinterInfo::defaultPrinterName();
    if (!def.isEmpty() && queues.contains(def)) return def;
    return queues.isEmpty() ? PdfPrinterName : queues.first();
}

bool PrinterPageLayout(const QString& Printer, bool Portrait, QPageLayout& Layout)
{
    const QPageLayout::Orientation o = Portrait ? QPageLayout::Portrait : QPageLayout::Landscape;
    if (Printer == PdfPrinterName) {
        // A file has no unprintable strip.
        Layout = QPageLayout(QPageSize(QPageSize::A4), o, QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
        return true;
    }
    const QPrinterInfo info = QPrinterInfo::printerInfo(Printer);
    if (info.isNull()) return false;
    QPrinter p(info, QPrinter::HighResolution);
    QPageLayout l = p.pageLayout();
    l.setOrientation(o);
    l.setUnits(QPageLayout::Millimeter);
    l.setMargins(l.minimumMargins());
    Layout = l;
    return true;
}

TPrinterGeometry GeometryOfLayout(const QPageLayout& Layout, int Dpi)
{
    TPrinterGeometry g;
    g.DpiX = g.DpiY = Dpi;
    const QRect paper = Layout.fullRectPixels(Dpi);
    const QRect page = Layout.paintRectPixels(Dpi);
    g.PrnOffset = page.topLeft() - paper.topLeft();
    g.PhysSize = paper.size();
    g.PageSize = page.size();
    return g;
}

void SetPdfFileAsker(TPdfFileAsker A)
{
    Asker() = std::move(A);
}

void SetLpProgram(const QString& Program)
{
    LpProgram() = Program.isEmpty() ? QStringLiteral("lp") : Program;
}

QString PrintDocName(const TPrintSettings& S)
{
    QString name;
    if (Trj) name = Trj->Name;
    if (S.PrnView == pvWptList && Swp && Opt) name = Opt->FichWayPoints;
    return name;
}

TPrintResult TPrintJob::Fail(const QString& Cause)
{
    fError = Cause;
    qWarning().noquote() << "printing on" << fS.PrinterName << "failed:" << Cause;
    if (Progress) Progress->CloseProgress();
    if (Status) Status(QString());
    MessageDlg(FormatMsg(PrintMsgTexts().PrinterFailure, {fS.PrinterName}), TMsgType::Information, mbOK);
    return TPrintResult::Failed;
}

TPrintResult TPrintJob::Run()
{
    TBusyCursor busy;
    fAborted = false;
    fPages = 0;
    fError.clear();
    fOutput.clear();
    const TPrintMsgTexts& m = PrintMsgTexts();
    const QString doc = PrintDocName(fS);
    if (fS.PrinterName.isEmpty()) fS.PrinterName = DefaultPrinterName();
    const bool toFile = fS.PrinterName == PdfPrinterName;
    if (toFile) {
        const QString suggested = (doc.isEmpty() ? PrintJobTitle : doc) + QStringLiteral(".pdf");
        QString chosen;
        const TPdfFileAsker& ask = Asker();
        if (!(ask ? ask(suggested, chosen) : DefaultAsk(suggested, chosen)) || chosen.isEmpty())
            return TPrintResult::Cancelled;
        fOutput = chosen;
    }
    if (Status) Status(FormatMsg(m.PrintStatus, {doc}));
    if (Progress) Progress->ShowProgress(FormatMsg(m.ProgressText, {doc, fS.PrinterName}));

    QPageLayout layout;
    if (!PrinterPageLayout(fS.PrinterName, fS.PortraitBtn, layout))
        return Fail(QStringLiteral("no such printer"));
    const TPrinterGeometry g = GeometryOfLayout(layout, PrintDpi);
    QTemporaryDir tmp;
    if (!tmp.isValid()) return Fail(QStringLiteral("no temporary folder: ") + tmp.errorString());
    const QString pdf = tmp.filePath(QStringLiteral("job.pdf"));
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        printer.setResolution(PrintDpi);
        printer.setFullPage(false);
        printer.setPageLayout(layout);
        printer.setDocName(PrintJobTitle);
        printer.setCreator(PrintJobTitle);
        if (!fS.MonochBtn) printer.setColorMode(QPrinter::Color);
        try {
            if (!Render(printer, g)) return Fail(fError);
        } catch (const std::exception& e) {
            return Fail(QString::fromLocal8Bit(e.what()));
        } catch (...) {
            return Fail(QStringLiteral("an unknown failure while drawing"));
        }
    }
    if (Status) Status(FormatMsg(m.TransferStatus, {doc}));
    if (fAborted) {
        if (Progress) Progress->CloseProgress();
        if (Status) Status(QString());
        return TPrintResult::Aborted;
    }
    if (!Deliver(pdf, toFile)) return Fail(fError);
    if (Progress) Progress->CloseProgress();
    if (Status) Status(QString());
    return TPrintResult::Printed;
}

bool TPrintJob::Render(QPrinter& Printer, const TPrinterGeometry& G)
{
    TPageContext c;
    const TPageGeometry geo = PageGeometry(G, fS, 0, 0, 1, TPreviewArea());
    if (!geo.PageRect.Positive()) {
        fError = QStringLiteral("the page has no printable area");
        return false;
    }
    c.SetGeometry(geo);
    c.OutMode = 0;
    c.CtrlSect = 0;
    c.Printing = true;
    c.Aborted = &fAborted;
    c.Visible = QRect(QPoint(0, 0), G.PageSize);
    c.Status = Status;
    QPainter p;
    if (!p.begin(&Printer)) {
        fError = QStringLiteral("the printer refused the job");
        return false;
    }
    fPages = 1;
    c.NewPage = [&] {
        if (!Printer.newPage()) return false;
        ++fPages;
        return true;
    };
    c.ProcessEvents = [] { QCoreApplication::processEvents(); };
    DrawPage(p, c, fS);
    if (!p.end()) {
        fError = QStringLiteral("the pages could not be finished");
        return false;
    }
    return true;
}

bool TPrintJob::Deliver(const QString& Pdf, bool ToFile)
{
    if (ToFile) {
        QByteArray data;
        QString err;
        if (!ReadWholeFile(Pdf, data, err) || !SaveFileAtomic(fOutput, data, err)) {
            fError = err;
            return false;
        }
        return true;
    }
    QProcess lp;
    lp.setProcessChannelMode(QProcess::MergedChannels);
    lp.start(LpProgram(), {QStringLiteral("-d"), fS.PrinterName, QStringLiteral("-n"),
                           QString::number(std::clamp(fS.NbCopy, PrnCopiesMin, PrnCopiesMax)),
                           QStringLiteral("-t"), PrintJobTitle, Pdf});
    if (!lp.waitForStarted(10000)) {
        fError = LpProgram() + QStringLiteral(": ") + lp.errorString();
        return false;
    }
    lp.closeWriteChannel();
    if (!lp.waitForFinished(60000) || lp.exitStatus() != QProcess::NormalExit || lp.exitCode() != 0) {
        fError = LpProgram() + QStringLiteral(": ") + QString::fromLocal8Bit(lp.readAll()).trimmed();
        return false;
    }
    return true;
}
