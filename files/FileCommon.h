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
    QString Error;    // set when the file could not be read at all (user's language)
};

// Reads a whole file; false with Error (user's language, names the file and the reason).
bool ReadWholeFile(const QString& FileName, QByteArray& Data, QString& Error);
// Writes Data to a temporary file beside FileName and renames it over FileName, so a failure
// never leaves a truncated file. False with Error (user's language).
bool SaveFileAtomic(const QString& FileName, const QByteArray& Data, QString& Error);

// Upper-cased extension without the dot ("IGC"), from the file name only.
QString UpperExt(const QString& FileName);
