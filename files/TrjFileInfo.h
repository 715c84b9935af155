#pragma once
// Summaries of trace files for the open dialog's preview and the flight-file explorer.
#include "model/Define.h"

#include <QString>

// Reads the header of an own-format (".ZPH") or IGC (".IGC", ".GPS") file into the nine texts
// of Info and returns true when the file is recognised. LongDate 1 writes the date
// "dddd d mmmm yyyy" (French) or "dddd, d mmmm yyyy" (English), 0 "dd/mm/yy". The distance is
// the declared task's when the file has one, else the path length of the flight, in the
// display unit with "." as decimal mark; the duration is hours "h" minutes ("3h05").
// Only the header and what the summary needs are read: a trace is never built.
bool ReadTrjFileInfo(const QString& FileName, int LongDate, TTrjFileInfo& Info);

// The date texts of the summaries (empty for a date of 0).
QString TrjInfoDate(TDateTime Date, int LongDate);
// "h" "mm" of a duration in 1e-5 hour.
QString TrjInfoDuration(int32 Duration);
// A distance in km as the summaries write it (display unit, one decimal, ".").
QString TrjInfoDistance(double Km);
