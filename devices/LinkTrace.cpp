#include "devices/LinkTrace.h"

#include "model/Define.h"
#include "platform/Msg.h"
#include "platform/ProgramDir.h"

namespace {

constexpr int kBytesPerLine = 16;

QString TraceName(const QString& dir, int n)
{
    return dir + QStringLiteral("/_Zph-") + QString::number(n) + QStringLiteral(".log");
}

void AppendLine(QByteArray& out, QByteArray line)
{
    for (char& c : line) c = static_cast<char>(static_cast<unsigned char>(c) ^ 0x80);
    out += line;
    out += "\r\n";
}

} // namespace

TLinkTrace::TLinkTrace() : fClock([] { return QTime::currentTime(); })
{
    fReport = [](const QString& message) { MessageDlg(message, TMsgType::Error, mbOK); };
}

TLinkTrace::~TLinkTrace()
{
    Close();
}

QString TLinkTrace::FreeFileName(const QString& dir)
{
    int n = 0;
    while (QFile::exists(TraceName(dir, n))) ++n;
    return TraceName(dir, n);
}

bool TLinkTrace::Open(const QString& dir)
{
    Close();
    const QString folder = dir.isEmpty() ? ProgramDir() : dir;
    // The name is free when looked at; creating it only when it is still free keeps two
    // windows (or two programs) from sharing a file.
    for (int tries = 0; tries < 1000; ++tries) {
        fFile.setFileName(FreeFileName(folder));
        if (fFile.open(QIODevice::WriteOnly | QIODevice::NewOnly)) return true;
        if (!fFile.exists()) break;
    }
    Fail(Tr(QStringLiteral("Impossible de créer le fichier de trace %1 : %2"),
            QStringLiteral("Cannot create the trace file %1: %2"))
             .arg(fFile.fileName(), fFile.errorString()));
    return false;
}

QByteArray TLinkTrace::EntryBytes(const QTime& time, bool tx, const QByteArray& bytes)
{
    QByteArray out;
    if (bytes.isEmpty()) return out;
    // Minutes and seconds of "HH:mm:ss", the colon between them a blank.
    QByteArray line = QStringLiteral("%1 %2")
                          .arg(time.minute(), 2, 10, QLatin1Char('0'))
                          .arg(time.second(), 2, 10, QLatin1Char('0'))
                          .toLatin1() +
                      (tx ? " Tx" : " Rx");
    static const char hex[] = "0123456789ABCDEF";
    for (qsizetype k = 1; k <= bytes.size(); ++k) {
        const auto b = static_cast<unsigned char>(bytes[k - 1]);
        line += ' ';
        line += hex[b >> 4];
        line += hex[b & 15];
        if (k % kBytesPerLine == 0 || k == bytes.size()) {
            AppendLine(out, line);
            line = QByteArray(8, ' ');
        }
    }
    return out;
}

void TLinkTrace::Write(bool tx, const QByteArray& bytes)
{
    if (!fFile.isOpen() || bytes.isEmpty()) return;
    const QByteArray entry = EntryBytes(fClock(), tx, bytes);
    if (fFile.write(entry) != entry.size() || !fFile.flush())
        Fail(Tr(QStringLiteral("Erreur d'écriture du fichier de trace %1 : %2"),
                QStringLiteral("Cannot write the trace file %1: %2"))
                 .arg(fFile.fileName(), fFile.errorString()));
}

void TLinkTrace::Close()
{
    if (!fFile.isOpen()) return;
    const bool ok = fFile.flush();
    fFile.close();
    if (!ok || fFile.error() != QFileDevice::NoError)
        Fail(Tr(QStringLiteral("Erreur d'écriture du fichier de trace %1 : %2"),
                QStringLiteral("Cannot write the trace file %1: %2"))
                 .arg(fFile.fileName(), fFile.errorString()));
}

void TLinkTrace::Fail(const QString& message)
{
    // Reported once: logging stops here.
    if (fFile.isOpen()) fFile.close();
    fFile.unsetError();
    if (fReport) fReport(message);
}
