#pragma once
// Texts of times and coordinates, both ways.
#include "model/Define.h"
#include <QString>

// Coordinate texts follow Opt->UniteLatiLong (the defaults when Opt is nullptr):
//   1          degrees and minutes with hundredths: latitude "N45°12.34'", longitude "E005°12.34'"
//   any other  degrees, minutes, seconds:           latitude "N45°12'34\"", longitude "E005°12'34\""
// The hemisphere letter is S/W only for a negative angle whose text is not all zeros. Seconds (or hundredths)
// are rounded half to even and carried into minutes and degrees. LatMask/LonMask give the matching edit masks
// and ParseLat/ParseLon read exactly these layouts back (the hemisphere letter in either case).

// Time (1e-5 hour) taken modulo 24 h as "h:mm:ss" (hours without a leading zero, two-digit
// minutes and seconds), rounded to the second ("-" in front when negative).
QString TimeToHms(int32 Time);
// "hh:mm:ss" (one or two digits each) to time; false on a wrong separator, a field that is not
// plain digits or more than 24 hours. Minutes and seconds may pass 59. Time is left unchanged on
// failure.
bool HmsToTime(const QString& Text, int32& Time);

// Latitude text (2-digit degrees); empty outside -90..90 degrees.
QString LatiToStr(int32 Lat);
// Longitude text (3-digit degrees); empty outside -180..180 degrees.
QString LongToStr(int32 Lon);
// Course as three digits and "°", 0 shown as 360 (empty for a non-finite course).
QString CapToStr(double Course);
// Digit strings of |Value|: degrees 3 digits (more when larger), minutes 2, seconds 2 (or
// hundredths of minute in Sec when the form is degrees-minutes), rounded with carries.
// Mode 2: always d m s; any other mode follows Opt->UniteLatiLong.
void FormatCoord(int32 Value, QString& Deg, int Mode, QString& Sec, QString& Min);
// "DDMM.mmm,N" / "DDDMM.mmm,E" (thousandths of a minute, carried); every mode gives this form.
QString FormatCoordDdmm(int32 Angle, bool IsLongitude, int Mode);
// The reverse of LatiToStr/LongToStr: the hemisphere letter, then, with a "0" put in front of
// a latitude, the 10 characters of the format above. Minutes and seconds may pass 59, but the
// angle may not pass 90 (180) degrees. False on any misplaced character; the value is left
// unchanged then.
bool ParseLat(const QString& Text, int32& Lat);
bool ParseLon(const QString& Text, int32& Lon);
// Decimal degrees with "," or "." to 1e-5 degree (0 when it does not convert).
int32 StrToCoordInt(const QString& Text);
bool StrToCoordInt(const QString& Text, int32& Value);

// Attribute letters T A L S F H R of bits 0..6, and back (any case, other characters ignored).
QString WptAttrToStr(uint8 Attr);
uint8 StrToWptAttr(const QString& Text);

// Edit masks of the coordinate edits for the option's format.
QString LatMask();
QString LonMask();

// Label text of a time of day in local time (1e-5 hour): "9h00" (hours not padded, the day
// wrapped).
QString CuttTimeLabel(int32 LocalTime);
