#include "print/PrintJob.h"

#include "files/FileCommon.h"
#include "model/Options.h"
#include "platform/AtomicFile.h"
#include "platform/Msg.h"
#include "print/PdfAsk.h"
#include "print/PrintMsg.h"

#include <QApplication>
#include <QBuffer>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <sys/types.h>
#include <unistd.h>

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

// The names of the views, as the dialog's buttons give them.
QString ViewName(uint8 View)
{
    switch (View) {
    case pvPlan:
        return Tr(QStringLiteral("Vue en plan"), QStringLiteral("Plan view"));
    case pvCutt:
        return Tr(QStringLiteral("Vue en coupe"), QStringLiteral("Cross-section"));
    case pvTask:
        return Tr(QStringLiteral("Circuit avec détails"), QStringLiteral("Task with details"));
    case pvWptList:
        return Tr(QStringLiteral("Liste des way-points"), QStringLiteral("Waypoint list"));
    default:
        return Tr(QStringLiteral("Les 2 vues et détails"), QStringLiteral("Both views and details"));
    }
}

// A new folder of ours under the temporary folder; empty with Reason set on failure.
QString MakePrintFolder(QString& Reason)
{
    QByteArray tmpl = QFile::encodeName(QDir::tempPath() + u'/' + PrintFolderPrefix() +
                                        QString::number(::getpid()) + QStringLiteral("-XXXXXX"));
    if (!::mkdtemp(tmpl.data())) {
        Reason = SystemErrorText(errno);
        return QString();
    }
    return QFile::decodeName(tmpl);
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

bool PrinterPageLayout(const QString& Printer, bool Portrait, const QPageSize& Paper, QPageLayout& Layout,
                       QString& Reason)
{
    if (!PrinterPageLayout(Printer, Portrait, Layout)) {
        Reason =
            Tr(QStringLiteral("Cette imprimante n'existe pas."), QStringLiteral("There is no such printer."));
        return false;
    }
    if (!Paper.isValid()) return true;
    if (Printer != PdfPrinterName) {
        const QList<QPageSize> offered = QPrinterInfo::printerInfo(Printer).supportedPageSizes();
        const auto it = std::find_if(offered.begin(), offered.end(),
                                     [&](const QPageSize& p) { return p.isEquivalentTo(Paper); });
        // A queue that names no papers (a raw one) takes what it is given.
        if (!offered.isEmpty() && it == offered.end()) {
            Reason = FormatMsg(Tr(QStringLiteral("L'imprimante \"%s\" ne propose pas le papier %s."),
                                  QStringLiteral("The printer \"%s\" does not offer %s paper.")),
                               {Printer, Paper.name()});
            return false;
        }
        // The least margins of that paper, which the printer gives with it.
        QPrinter p(QPrinterInfo::printerInfo(Printer), QPrinter::HighResolution);
        p.setPageSize(it != offered.end() ? *it : Paper);
        QPageLayout own = p.pageLayout();
        own.setOrientation(Layout.orientation());
        own.setUnits(QPageLayout::Millimeter);
        own.setMargins(own.minimumMargins());
        Layout = own;
        return true;
    }
    Layout = QPageLayout(Paper, Layout.orientation(), QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
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

QString PrintQueueDocName(const TPrintSettings& S)
{
    QString doc = QFileInfo(PrintDocName(S)).fileName();
    if (doc.isEmpty()) doc = PrintJobTitle;
    return doc + QStringLiteral(" - ") + ViewName(S.PrnView) + QStringLiteral(".pdf");
}

QString PrintFolderPrefix()
{
    return QStringLiteral("zephalon-print-");
}

int RemoveStalePrintFolders(const QString& TempDir)
{
    int removed = 0;
    const QString prefix = PrintFolderPrefix();
    const QStringList names =
        QDir(TempDir).entryList({prefix + u'*'}, QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
    for (const QString& name : names) {
        const QStringList parts = name.mid(prefix.size()).split(u'-');
        bool ok = false;
        const qlonglong pid = parts.size() == 2 ? parts[0].toLongLong(&ok) : 0;
        if (!ok || pid <= 0 || pid == ::getpid() || ProcessMayRun(pid_t(pid))) continue;
        QDir d(TempDir + u'/' + name);
        if (QFileInfo(d.path()).isSymLink()) continue;
        if (d.removeRecursively()) ++removed;
    }
    return removed;
}

TPrintResult TPrintJob::FailWith(const QString& Message, const QString& Cause)
{
    fError = Cause;
    qWarning().noquote() << "printing on" << fS.PrinterName << "failed:" << Cause;
    if (Progress) Progress->CloseProgress();
    if (Status) Status(QString());
    MessageDlg(Message, TMsgType::Information, mbOK);
    return TPrintResult::Failed;
}

TPrintResult TPrintJob::Fail(const QString& Cause)
{
    QString m = FormatMsg(PrintMsgTexts().PrinterFailure, {fS.PrinterName});
    if (!Cause.isEmpty()) m += QStringLiteral("\r") + Cause;
    return FailWith(m, Cause);
}

bool TPrintJob::AbortSeen()
{
    if (qApp) QCoreApplication::processEvents();
    return fAborted;
}

TPrintResult TPrintJob::Run()
{
    TBusyCursor busy;
    fAborted = false;
    fPages = 0;
    fError.clear();
    fOutput.clear();
    RemoveStalePrintFolders(QDir::tempPath());
    const TPrintMsgTexts& m = PrintMsgTexts();
    const QString doc = PrintDocName(fS);
    if (fS.PrinterName.isEmpty()) fS.PrinterName = DefaultPrinterName();
    const bool toFile = fS.PrinterName == PdfPrinterName;
    if (toFile) {
        const QString suggested = (doc.isEmpty() ? PrintJobTitle : doc) + QStringLiteral(".pdf");
        QString chosen;
        const TPdfFileAsker& ask = Asker();
        if (!(ask ? ask(suggested, chosen) : AskPdfFile(suggested, chosen)) || chosen.isEmpty())
            return TPrintResult::Cancelled;
        fOutput = chosen;
    }
    if (Status) Status(FormatMsg(m.PrintStatus, {doc}));
    if (Progress) Progress->ShowProgress(FormatMsg(m.ProgressText, {doc, fS.PrinterName}));

    QPageLayout layout;
    QString why;
    if (!PrinterPageLayout(fS.PrinterName, fS.PortraitBtn, fS.Paper, layout, why)) {
        if (QPrinterInfo::printerInfo(fS.PrinterName).isNull()) return Fail(why);
        return FailWith(why, why);
    }
    const TPrinterGeometry g = GeometryOfLayout(layout, PrintDpi);
    QBuffer pdf;
    pdf.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&pdf);
        writer.setResolution(PrintDpi);
        writer.setPageLayout(layout);
        writer.setTitle(PrintJobTitle);
        writer.setCreator(PrintJobTitle);
        try {
            if (!Render(writer, g)) return Fail(fError);
        } catch (const std::bad_alloc&) {
            return Fail(SystemErrorText(ENOMEM));
        } catch (const std::exception& e) {
            return Fail(QString::fromLocal8Bit(e.what()));
        }
    }
    pdf.close();
    if (Status) Status(FormatMsg(m.TransferStatus, {doc}));
    // The last chance for Esc: once the file is renamed or the queue has it, it is out.
    if (fAborted || AbortSeen()) {
        if (Progress) Progress->CloseProgress();
        if (Status) Status(QString());
        return TPrintResult::Aborted;
    }
    if (!Deliver(pdf.data(), toFile, layout)) return Fail(fError);
    if (Progress) Progress->CloseProgress();
    if (Status) Status(QString());
    return TPrintResult::Printed;
}

bool TPrintJob::Render(QPdfWriter& Writer, const TPrinterGeometry& G)
{
    TPageContext c;
    const TPageGeometry geo = PageGeometry(G, fS, 0, 0, 1, TPreviewArea());
    if (!geo.PageRect.Positive()) {
        fError = Tr(QStringLiteral("La page n'a pas de zone imprimable."),
                    QStringLiteral("The page has no printable area."));
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
    if (!p.begin(&Writer)) {
        fError = SystemErrorText(ENOMEM);
        return false;
    }
    fPages = 1;
    c.NewPage = [&] {
        if (!Writer.newPage()) return false;
        ++fPages;
        return true;
    };
    c.ProcessEvents = [] { QCoreApplication::processEvents(); };
    DrawPage(p, c, fS);
    p.end();
    return true;
}

bool TPrintJob::Deliver(const QByteArray& Pdf, bool ToFile, const QPageLayout& Layout)
{
    if (ToFile) return WriteFileAtomic(fOutput, Pdf, fError);
    // The queue gets a file named after the document, in a folder of this run that goes away
    // with it (or, after a kill, with the next run).
    const QString folder = MakePrintFolder(fError);
    if (folder.isEmpty()) return false;
    const QString file = folder + u'/' + PrintQueueDocName(fS);
    const bool ok = WriteFileAtomic(file, Pdf, fError) && SendToQueue(file, Layout);
    QDir(folder).removeRecursively();
    return ok;
}

bool TPrintJob::SendToQueue(const QString& Pdf, const QPageLayout& Layout)
{
    QStringList args = {
        QStringLiteral("-d"), fS.PrinterName,
        QStringLiteral("-n"), QString::number(std::clamp(fS.NbCopy, PrnCopiesMin, PrnCopiesMax)),
        QStringLiteral("-t"), PrintJobTitle};
    // The queue's own default is often monochrome: colour is asked unless the page is; a
    // monochrome page leaves the queue's setting as it is.
    if (!fS.MonochBtn) args << QStringLiteral("-o") << QStringLiteral("print-color-mode=color");
    const QString media = Layout.pageSize().key();
    if (!media.isEmpty()) args << QStringLiteral("-o") << QStringLiteral("media=") + media;
    args << Pdf;
    QProcess lp;
    lp.setProcessChannelMode(QProcess::MergedChannels);
    lp.start(LpProgram(), args);
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
