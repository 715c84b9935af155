#pragma once
// What every file reader and writer shares.
#include "model/Define.h"
#include <QByteArray>
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
// Replaces FileName by Data through the program's atomic write (platform/AtomicFile): a failure
// leaves the old file as it was. False with Error (user's language, names the file and the
// system's reason).
bool SaveFileAtomic(const QString& FileName, const QByteArray& Data, QString& Error);

// Upper-cased extension without the dot ("IGC"), from the file name only.
QString UpperExt(const QString& FileName);
