#include "devices/LinkTrace.h"

#include "model/Define.h"
#include "platform/Msg.h"
#include "platform/ProgramDir.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

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
        if (fFile.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)) return true;
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
    // Straight to the descriptor, so that a failure keeps the system's reason.
    const int fd = fFile.handle();
    qsizetype done = 0;
    while (done < entry.size()) {
        const ssize_t n = ::write(fd, entry.constData() + done, static_cast<size_t>(entry.size() - done));
        if (n > 0) {
            done += n;
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            WriteFailed(n < 0 ? errno : ENOSPC);
            return;
        }
    }
}

void TLinkTrace::Close()
{
    if (!fFile.isOpen()) return;
    // Nothing is buffered here: the entries went out as they came. The descriptor is closed
    // last through a copy, so that what the system says on closing is ours to read.
    const int fd = ::dup(fFile.handle());
    fFile.close();
    if (fd >= 0 && ::close(fd) != 0 && errno != EINTR) WriteFailed(errno);
}

void TLinkTrace::WriteFailed(int err)
{
    Fail(Tr(QStringLiteral("Erreur d'écriture du fichier de trace %1 : %2"),
            QStringLiteral("Cannot write the trace file %1: %2"))
             .arg(fFile.fileName(), QString::fromLocal8Bit(std::strerror(err))));
}

void TLinkTrace::Fail(const QString& message)
{
    // Reported once: logging stops here.
    if (fFile.isOpen()) fFile.close();
    fFile.unsetError();
    if (fReport) fReport(message);
}
