#pragma once
// Geodesy, units and the trace calculations.
#include "model/Define.h"
#include <QString>
#include <array>

constexpr double EarthRadiusKm = 6371.0;

double IntDegToRad(int32 v);
// Distance in km (sphere or WGS84 by Opt->EarthModel). A missing position gives 1e-6.
double Distance(const TPos* A, const TPos* B);
double Distance(const TPos& A, const TPos& B);
// The same for a given earth model (0 sphere, 1 WGS84), without reading the options: safe on a
// worker thread.
double Distance(const TPos& A, const TPos& B, int32 EarthModel);
// Initial course in degrees 0..360 from A to B on the sphere (0 when either is missing).
double Bearing(const TPos* A, const TPos* B);
double Bearing(const TPos& A, const TPos& B);
// Destination from P by course (degrees) and distance (km): sphere or WGS84 by the option.
TPos DestPoint(const TPos& P, double Course, double DistKm);
// WGS84 geodesics (GeographicLib); 0 on success, non-zero when the input is out of range.
int32 EllDistance(const TPos& A, const TPos& B, double& DistKm, double& Azi1, double& Azi2);
int32 EllDestPoint(const TPos& P, TPos& Dest, double Course, double DistKm);

// Seconds between two fixes (at least 1).
double RecTimeDiff(const TRec& A, const TRec& B);
double RecSpeed(const TRec& A, const TRec& B); // km/h
double RecVario(const TRec& A, const TRec& B); // m/s

// A speed over the task means something only when every turn point was reached, each not
// before the one before it, and the finish after the start.
bool TaskFlownInOrder(const TStn& Task);
// A leg's speed: both ends reached, the second after the first.
bool LegFlown(const TTrn& From);

// Local-time offset in hours at a UTC date-time: 1 in winter, 2 in European summer time
// (last Sunday of March 01:00 UTC to last Sunday of October 01:00 UTC).
int32 LocalTimeOffset(TDateTime utc);

// Display units: value in km (km/h, m/s, m) divided by Factor gives display units.
void DistUnit(double& Factor, QString& Label);
void SpeedUnit(double& Factor, QString& Label);
void VarioUnit(double& Factor, QString& Label);
void AltUnit(double& Factor, QString& Label);

// FAI triangle test of a task (4 or 5 turn points, last at the first's position).
bool IsFaiTriangle(const TStn& Task, double& FaiDist);

// UTM (WGS84): zone text like "32T", northing (+10,000,000 in the south), easting.
void LatLonToUtm(int32 Lat, int32 Lon, QString& Zone, int32& Northing, int32& Easting);
// False when the zone text or the values are invalid.
bool UtmToLatLon(const QString& Zone, double Northing, double Easting, int32& Lat, int32& Lon);

extern const std::array<QString, 2> EarthModelNames;
extern const std::array<QString, 11> ZoneClassNames;
extern const std::array<TCtp, 11> ZoneStyleDefaults;

// Date-time helpers (days since 30 Dec 1899).
// Day number of a Gregorian date; false when it is not a date (years 1..9999).
bool DayNumber(int Year, int Month, int Day, int64_t& Days);
// Gregorian date of a day number.
void DayToDate(int64_t Days, int& Year, int& Month, int& Day);
// EncodeDate gives 0 for an invalid date; TryEncodeDate says so.
bool TryEncodeDate(int Year, int Month, int Day, TDateTime& Date);
TDateTime EncodeDate(int Year, int Month, int Day);
void DecodeDate(TDateTime D, int& Year, int& Month, int& Day);
// Date-time of a fix time (1e-5 hour, may pass 24 h) on a day.
TDateTime RecDateTime(TDateTime Day, int32 Time);

// Direction of the vector (x, y) in radians, in [0, 2π); 0 for the null vector.
double VectorAngle(double x, double y);

// A new current trace named "Circuit" flying the task's turn points in order at SpeedKmh,
// the first reached at Start (a date-time). The task is read before the new trace (whose own
// task is empty) becomes current. nullptr, with nothing changed, when the task is empty or the
// speed is not positive.
TTrj* StnToTrj(const TStn& Task, TDateTime Start, double SpeedKmh);
