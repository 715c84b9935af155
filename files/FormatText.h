#pragma once
// Small text helpers shared by the exchange-format readers and writers (GPX, KML, NMEA, DAT,
// waypoint texts, OpenAir): decoding, lines, locale-free numbers, coordinates.
#include "model/Calc.h" // DayNumber, DayToDate
#include "model/Define.h"
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringView>

namespace FormatText {

// Text of a file: UTF-8 when the bytes are valid UTF-8 (a byte-order mark is then dropped),
// else Windows-1252.
QString Decode(const QByteArray& Data);

// Lines split at LF, CR LF or a lone CR; the line ends are not kept. A DOS end-of-file byte
// (0x1A) ends the text.
QList<QStringView> Lines(const QString& Text);

// Locale-free decimal number: optional sign, digits, optional "." and digits, optional
// exponent; blanks around it allowed. False for anything else (also NaN, infinities).
bool ToDouble(QStringView S, double& V);
// Optional sign and digits only, within int32.
bool ToInt(QStringView S, int32& V);

// Degrees to 1e-5 degree, rounded half to even; false when |Deg| exceeds Limit.
bool DegToInt(double Deg, double Limit, int32& V);

// Fixed decimals of a value in 1e-5 degree: "-47.50000", "+003.00000" (with IntDigits
// zero-padded degree digits and a sign when Sign is true).
QString IntDegToText(int32 V, int IntDigits, bool Sign);

// Milliseconds of a day to time units (1e-5 hour), rounded.
int32 MsToUnits(int64_t Ms);
// Time units to whole seconds, rounded.
int64_t UnitsToSeconds(int64_t Units);
// The time of the whole second after Units: a fix placed there (an untimed fix, or one whose
// time does not advance) reads back the same from any file that stores times to the second.
int64_t NextWholeSecond(int64_t Units);

// ISO 8601 date-time "YYYY-MM-DDThh:mm:ss[.fff][Z|+hh:mm|-hh:mm]" (blank or "T" between date
// and time; no zone means UTC) to the UTC day number and milliseconds in that day.
bool ParseIsoTime(QStringView S, int64_t& Day, int64_t& Ms);
// "YYYY-MM-DDThh:mm:ss[.mmm]Z" of a day number and milliseconds (milliseconds only when not 0).
QString IsoTime(int64_t Day, int64_t Ms);

// Replaces characters below 32 (tabs, line ends) by blanks.
QString NoControls(const QString& S);

} // namespace FormatText
