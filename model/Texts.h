#pragma once
// Texts of times and coordinates, both ways.
#include "model/Define.h"
#include <QString>

// Time (1e-5 hour) taken modulo 24 h as "h:mm:ss" ("-" in front when negative). Hours are two
// digits.
QString TimeToHms(int32 Time);
// "hh:mm:ss" to time; false on a wrong separator, a bad number or more than 24 hours.
bool HmsToTime(const QString& Text, int32& Time);

// Latitude "N45°12.34'" (2-digit degrees) or with seconds by Opt->UniteLatiLong.
QString LatiToStr(int32 Lat);
// Longitude "E005°12.34'" (3-digit degrees); empty outside -180..180 degrees.
QString LongToStr(int32 Lon);
// Course as three digits and "°", 0 shown as 360.
QString CapToStr(double Course);
// Digit strings of |Value|: degrees 3 digits, minutes 2, seconds 2 (or hundredths of minute
// in Sec when the form is degrees-minutes), rounded with carries. Mode 2: always d m s;
// Mode 1: follows Opt->UniteLatiLong.
void FormatCoord(int32 Value, QString& Deg, int Mode, QString& Sec, QString& Min);
// Mode 2: "DDMM.mmm,N" / "DDDMM.mmm,E".
QString FormatCoordDdmm(int32 Angle, bool IsLongitude, int Mode);
bool ParseLat(const QString& Text, int32& Lat);
bool ParseLon(const QString& Text, int32& Lon);
// Decimal degrees with "," or "." to 1e-5 degree (0 when it does not convert).
int32 StrToCoordInt(const QString& Text);
bool StrToCoordInt(const QString& Text, int32& Value);

QString WptAttrToStr(uint8 Attr);
uint8 StrToWptAttr(const QString& Text);

// Edit masks of the coordinate edits for the option's format.
QString LatMask();
QString LonMask();
