#pragma once
// What every file reader and writer shares.
#include "model/Define.h"
#include <QByteArray>
#include <QFile>
#include <QString>
#include <memory>

// What a reader did.
struct TReadReport
{
    int Traces = 0;   // traces created
    int Fixes = 0;    // fixes accepted
    int Rejected = 0; // records rejected (bad, out of range, truncated)
    int Retimed = 0;  // fixes kept whose time did not advance: placed one second after the previous
    QString Error;    // set when the file could not be read at all (user's language)
};

// Reads a whole file; false with Error (user's language, names the file and the reason).
bool ReadWholeFile(const QString& FileName, QByteArray& Data, QString& Error);
// Reads a file in blocks of whole lines without holding the whole file, with the checks and
// messages of ReadWholeFile.
class TLineBlocks
{
public:
    bool Open(const QString& FileName, QString& Error);
    // The next block: whole lines (the last block of a file may end without a line end; a line
    // longer than MaxLine comes in pieces). False at the end, and on a read error with Error set.
    // The block stays valid until the next call.
    bool Next(const char*& Data, qsizetype& Size, QString& Error);

    static constexpr qsizetype BlockSize = 64 * 1024;
    static constexpr qsizetype MaxLine = 1024 * 1024;

private:
    QFile fFile;
    QByteArray fBuf;
    qsizetype fUsed = 0; // bytes at the start of fBuf already handed out
    qint64 fTotal = 0;
    bool fEnd = false;
};

// Replaces FileName by Data through the program's atomic write (platform/AtomicFile): a failure
// leaves the old file as it was. False with Error (user's language, names the file and the
// system's reason).
bool SaveFileAtomic(const QString& FileName, const QByteArray& Data, QString& Error);

// Upper-cased extension without the dot ("IGC"), from the file name only.
QString UpperExt(const QString& FileName);
