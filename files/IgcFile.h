#pragma once
// IGC flight recorder files (also read under the extension ".GPS").
#include "files/FileCommon.h"

#include <QByteArray>
#include <QString>

// Reads a whole IGC file into a new current trace (NewTrj ... TrjLoaded): B records with the
// engine noise of the I record, the header fields, the date ("HFDTE" in both forms) and, when
// WithTask, the declared task of the C records. Bad records are counted in R.Rejected.
// False (R.Error set) when the file cannot be read or holds no valid fix.
bool LoadIgcTrjData(const QByteArray& Bytes, const QString& FileName, bool WithTask, TReadReport& R);
bool LoadIgcTrj(const QString& FileName, bool WithTask, TReadReport& R);

// The IGC text of a trace: A and H records, the I record of the engine noise, the C records of
// its task and one B record per fix. Lines end with CR LF.
QByteArray WriteIgcTrj(const TTrj& T);

// Summary of an IGC file for the file previews, read in one pass without building a trace.
struct TIgcSummary
{
    QString Pilot, GliderType, GliderId, CompId, Source;
    TDateTime Date = 0;
    bool HasTask = false;  // a declared task of at least two turn points
    double TaskDistKm = 0; // its legs
    bool HasFix = false;   // at least one valid B record
    int Fixes = 0;         // valid B records (counted only when the path length is worked out)
    int32 Duration = 0;    // time units from the first valid fix to the last
    double PathKm = 0;     // path length, only worked out when there is no task
};
// False when the file cannot be read or is not an IGC file (neither a date header nor a fix).
// From a file, only the head (the records before the first fix) and, with a declared task, the
// tail (the last fix) are read; without a task every fix is read for the path length.
bool ReadIgcSummary(const QString& FileName, TIgcSummary& S);
bool ReadIgcSummaryData(const char* Data, qsizetype Size, TIgcSummary& S);
