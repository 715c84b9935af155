#pragma once
// Trace readers for GPX, KML, NMEA 0183 logs and the logger's DAT text, and the KML and DAT
// trace writers.
//
// Every reader creates its traces with NewTrj, appends the fixes with TTrj::AddRec and
// finishes each trace with TrjLoaded. A trace is created only when its first valid fix is
// found, so a file without valid fixes leaves the open traces as they were. Bad records are
// skipped and counted in TReadReport::Rejected; TReadReport::Traces and Fixes count what was
// created. The readers return false (with TReadReport::Error) when the file cannot be read or
// holds no valid fix.
//
// Times: a fix's time is in 1e-5 hour from 00:00 UTC of the trace's date (TTrj::Date, the UTC
// day of its first fix); fixes of later days carry on past 2,400,000. A fix whose time does not
// advance (the same as the previous fix's, or earlier) keeps its position and is placed one
// second after the previous fix, as an untimed fix is; TReadReport::Retimed counts them.
//
// GPX: every <trk> becomes one trace; its <trkseg> after the first start with a pen-up fix
// (TRec::Kind 1). <ele> gives both altitudes. A <trkpt> without <time> is placed one second
// after the previous fix.
//
// KML: when the file holds any <gx:Track> (or KML 2.3 <Track>), each track becomes a trace
// (the tracks of one <gx:MultiTrack> are the segments of one trace) and line strings are
// ignored (they repeat the tracks or draw a task). Otherwise each <LineString> becomes a
// trace; its points are spread evenly over the <TimeSpan> of the enclosing placemark or folder,
// or one second apart without one. When some line strings have a time span, those without one
// are left out (flight tools add untimed lines: optimised legs, the task). The altitude of the
// coordinates gives both altitudes.
//
// NMEA: RMC sentences (any talker) give position, time and date ("A" status only; void fixes
// are rejected); GGA with the same time gives the GPS altitude; Garmin's PGRMZ gives the
// pressure altitude (feet or metres), which otherwise is the GPS altitude. A sentence with a
// checksum that does not match is rejected; a sentence without checksum is taken as it is.
// Lines that do not start with "$" are ignored.
//
// DAT (the logger's text): lines end with CR LF; a line "*" at the start is dropped.
//   Header of a flight:  "Date ddmmyy"   (the year 80..99 is 1980..1999, else 2000..2079)
//   Fix line (columns):  "hhmmss +DD.ddddd +DDD.ddddd +AAAA[ +GGGG]"
//     1-6   time of day UTC, hours minutes seconds
//     8-16  latitude, signed decimal degrees with 5 decimals (north positive)
//     18-27 longitude, signed decimal degrees with 5 decimals (east positive)
//     29-33 pressure altitude, metres, signed (more digits above 9999 m)
//     35-39 GPS altitude, metres, signed (optional; the pressure altitude when missing)
//   Altitudes beyond 100 km are not believed: such a line does not convert.
//   The writer writes these columns; the reader takes the fields after column 6 separated by
//   one or more blanks (a sign is optional), so hand-edited lines are read as well. Every
//   header starts a new trace; fix lines before the first header go into a trace without date.
#include "files/FileCommon.h"
#include <QByteArray>
#include <QString>

bool LoadGpxTrj(const QString& FileName, TReadReport& R);
bool LoadKmlTrj(const QString& FileName, TReadReport& R);
bool LoadNmeaTrj(const QString& FileName, TReadReport& R);
bool LoadDatTrj(const QString& FileName, TReadReport& R);

// The same from bytes already read; FileName names the traces and the messages only.
bool LoadGpxTrjData(const QByteArray& Data, const QString& FileName, TReadReport& R);
bool LoadKmlTrjData(const QByteArray& Data, const QString& FileName, TReadReport& R);
bool LoadNmeaTrjData(const QByteArray& Data, const QString& FileName, TReadReport& R);
bool LoadDatTrjData(const QByteArray& Data, const QString& FileName, TReadReport& R);

// KML document of the trace: one placemark with a gx:Track (a gx:MultiTrack when the trace has
// pen-up fixes), times from TTrj::Date, coordinates with 5 decimals, the pressure altitude.
QByteArray WriteKmlTrj(const TTrj& T);
// DAT text of the trace (header and fix lines as above, CR LF, times rounded to seconds).
QByteArray WriteDatTrj(const TTrj& T);

// Parses one fix line of the DAT format into Rec (time, position, altitudes); returns the
// number of fields that did not convert: time, latitude, longitude and altitude count when
// missing or bad, the GPS altitude only when present and bad. 0 = good line. The line may
// carry its line end; only its first 255 characters count.
int ParseDatLine(const QString& Line, TRec& Rec);
// A line the logger takes for a flight header: "Date" and characters 6 to 11 not all blank
// (its date may still be bad).
bool IsDatHeader(QStringView Line);
// Date of a DAT header line "Date ddmmyy" (days since 30 Dec 1899); false when the line is not
// a header or its date is not a date.
bool ParseDatHeader(const QString& Line, TDateTime& Date);
