// What every file reader and writer shares: whole-file reads, safe saves, extensions.
#include "files/FileCommon.h"

#include "platform/AtomicFile.h"

#include <QFile>
#include <QFileInfo>

namespace {

// No file the program reads comes near this size (a trace of 65,535 fixes is a few MB); a
// larger one is refused rather than loaded into memory.
constexpr qint64 MaxFileSize = qint64(256) * 1024 * 1024;

QString ReadFailure(const QString& FileName, const QString& Reason)
{
    // The path and the reason each on their own line: a long path never hides the reason.
    return Tr(QStringLiteral("Impossible de lire le fichier :\r%1\r%2"),
              QStringLiteral("Cannot read the file:\r%1\r%2"))
        .arg(FileName, Reason);
}

QString WriteFailure(const QString& FileName, const QString& Reason)
{
    return Tr(QStringLiteral("Impossible d'enregistrer le fichier :\r%1\r%2"),
              QStringLiteral("Cannot save the file:\r%1\r%2"))
        .arg(FileName, Reason);
}

} // namespace

bool ReadWholeFile(const QString& FileName, QByteArray& Data, QString& Error)
{
    Data.clear();
    QFile f(FileName);
    if (!f.open(QIODevice::ReadOnly)) {
        Error = ReadFailure(FileName, f.errorString());
        return false;
    }
    const qint64 size = f.size();
    if (size > MaxFileSize) {
        Error = ReadFailure(FileName,
                            Tr(QStringLiteral("fichier trop grand."), QStringLiteral("file too large.")));
        return false;
    }
    // Devices and pipes report no size; read what comes, still within the limit.
    Data = f.read(size > 0 ? size : MaxFileSize + 1);
    if (f.error() != QFileDevice::NoError) {
        Error = ReadFailure(FileName, f.errorString());
        Data.clear();
        return false;
    }
    if (Data.size() > MaxFileSize) {
        Error = ReadFailure(FileName,
                            Tr(QStringLiteral("fichier trop grand."), QStringLiteral("file too large.")));
        Data.clear();
        return false;
    }
    return true;
}

bool TLineBlocks::Open(const QString& FileName, QString& Error)
{
    fFile.setFileName(FileName);
    fBuf.clear();
    fUsed = 0;
    fTotal = 0;
    fEnd = false;
    if (!fFile.open(QIODevice::ReadOnly)) {
        Error = ReadFailure(FileName, fFile.errorString());
        return false;
    }
    if (fFile.size() > MaxFileSize) {
        Error = ReadFailure(FileName,
                            Tr(QStringLiteral("fichier trop grand."), QStringLiteral("file too large.")));
        fFile.close();
        return false;
    }
    fBuf.reserve(2 * BlockSize);
    return true;
}

bool TLineBlocks::Next(const char*& Data, qsizetype& Size, QString& Error)
{
    if (fUsed > 0) {
        fBuf.remove(0, fUsed);
        fUsed = 0;
    }
    for (;;) {
        const qsizetype nl = fBuf.lastIndexOf('\n');
        if (fEnd || fBuf.size() >= MaxLine || (nl >= 0 && fBuf.size() >= BlockSize)) {
            fUsed = nl >= 0 ? nl + 1 : fBuf.size();
            if (fUsed == 0) return false; // the end, nothing left
            Data = fBuf.constData();
            Size = fUsed;
            return true;
        }
        const qsizetype old = fBuf.size();
        fBuf.resize(old + BlockSize);
        const qint64 n = fFile.read(fBuf.data() + old, BlockSize);
        if (n < 0) {
            Error = ReadFailure(fFile.fileName(), fFile.errorString());
            fBuf.clear();
            return false;
        }
        fBuf.resize(old + qsizetype(n));
        fTotal += n;
        if (fTotal > MaxFileSize) { // a device or a pipe that does not end
            Error = ReadFailure(fFile.fileName(),
                                Tr(QStringLiteral("fichier trop grand."), QStringLiteral("file too large.")));
            fBuf.clear();
            return false;
        }
        if (n == 0) fEnd = true;
    }
}

bool SaveFileAtomic(const QString& FileName, const QByteArray& Data, QString& Error)
{
    QString reason;
    if (WriteFileAtomic(FileName, Data, reason)) return true;
    Error = WriteFailure(FileName, reason);
    return false;
}

QString UpperExt(const QString& FileName)
{
    return QFileInfo(FileName).suffix().toUpper();
}
