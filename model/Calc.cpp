// Geodesy, units and the trace calculations.
#include "model/Calc.h"
#include "model/Options.h"
#include "platform/Numbers.h"

#include <GeographicLib/Geodesic.hpp>
#include <GeographicLib/UTMUPS.hpp>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string_view>

namespace {

constexpr double DegPerUnit = 1e-5;
constexpr double RadPerDeg = std::numbers::pi / 180.0;

// The options in force: the global ones, or the defaults when none are loaded.
const TOpt& Options()
{
    static const TOpt defaults;
    return Opt ? *Opt : defaults;
}

bool UseWgs84()
{
    return Options().EarthModel == 1;
}

double UnitsToDeg(int32 v)
{
    return v * DegPerUnit;
}

// Degrees to 1e-5 degree, saturated at the int32 range.
int32 DegToUnits(double deg)
{
    const double u = deg * 1e5;
    if (!(u > -2147483648.0)) return INT32_MIN;
    if (!(u < 2147483647.0)) return INT32_MAX;
    return Round(u);
}

// Longitude in degrees brought into [-180, 180).
double NormLonDeg(double lon)
{
    double l = std::fmod(lon + 180.0, 360.0);
    if (l < 0) l += 360.0;
    return l - 180.0;
}

double Norm360(double a)
{
    double r = std::fmod(a, 360.0);
    if (r < 0) r += 360.0;
    if (r >= 360.0) r -= 360.0; // -tiny + 360 may round to 360
    return r;
}

// Central angle between two positions on the sphere.
double SphereAngle(const TPos& A, const TPos& B)
{
    // The atan2 form (Vincenty's special case for the sphere): well conditioned from a metre
    // to the antipode, where the haversine and the arc cosine lose digits.
    const double p1 = IntDegToRad(A.Lat), p2 = IntDegToRad(B.Lat);
    const double dl = IntDegToRad(B.Lon) - IntDegToRad(A.Lon);
    const double s1 = std::sin(p1), c1 = std::cos(p1), s2 = std::sin(p2), c2 = std::cos(p2);
    const double sl = std::sin(dl), cl = std::cos(dl);
    const double y1 = c2 * sl, y2 = c1 * s2 - s1 * c2 * cl;
    return std::atan2(std::hypot(y1, y2), s1 * s2 + c1 * c2 * cl);
}

double SphereDistance(const TPos& A, const TPos& B)
{
    return EarthRadiusKm * SphereAngle(A, B);
}

TPos SphereDestPoint(const TPos& P, double Course, double DistKm)
{
    const double p1 = IntDegToRad(P.Lat), l1 = IntDegToRad(P.Lon);
    const double th = Course * RadPerDeg;
    const double d = DistKm / EarthRadiusKm;
    const double sp2 =
        std::clamp(std::sin(p1) * std::cos(d) + std::cos(p1) * std::sin(d) * std::cos(th), -1.0, 1.0);
    const double p2 = std::asin(sp2);
    const double l2 =
        l1 + std::atan2(std::sin(th) * std::sin(d) * std::cos(p1), std::cos(d) - std::sin(p1) * sp2);
    TPos R;
    R.Lat = DegToUnits(p2 / RadPerDeg);
    R.Lon = DegToUnits(NormLonDeg(l2 / RadPerDeg));
    return R;
}

bool ValidLat(int32 lat)
{
    return lat >= -9000000 && lat <= 9000000;
}

// Distance given for a missing position: tiny, so that divisions by it stay finite.
constexpr double MissingDistance = 1e-6;

} // namespace

double IntDegToRad(int32 v)
{
    return v * DegPerUnit * RadPerDeg;
}

double Distance(const TPos* A, const TPos* B)
{
    if (!A || !B) return MissingDistance;
    return Distance(*A, *B);
}

double Distance(const TPos& A, const TPos& B)
{
    return Distance(A, B, UseWgs84() ? 1 : 0);
}

double Distance(const TPos& A, const TPos& B, int32 EarthModel)
{
    if (EarthModel == 1) {
        double d, z1, z2;
        if (EllDistance(A, B, d, z1, z2) == 0) return d;
        // Out-of-range positions: the sphere still gives a finite number.
    }
    return SphereDistance(A, B);
}

double Bearing(const TPos* A, const TPos* B)
{
    if (!A || !B) return 0.0;
    return Bearing(*A, *B);
}

double Bearing(const TPos& A, const TPos& B)
{
    const double p1 = IntDegToRad(A.Lat), p2 = IntDegToRad(B.Lat);
    // Longitude difference the short way round, for the side of a due east/west course.
    const int64_t dlUnits = FloorMod(int64_t(B.Lon) - int64_t(A.Lon) + 18000000, 36000000) - 18000000;
    const double dl = IntDegToRad(B.Lon) - IntDegToRad(A.Lon);
    const double y = std::sin(dl) * std::cos(p2);
    const double x = std::cos(p1) * std::sin(p2) - std::sin(p1) * std::cos(p2) * std::cos(dl);
    if (x == 0.0) {
        // Due east or west (or the same point): the side follows the longitude difference.
        if (dlUnits > 0) return 90.0;
        if (dlUnits < 0) return 270.0;
        return 0.0;
    }
    return Norm360(std::atan2(y, x) / RadPerDeg);
}

TPos DestPoint(const TPos& P, double Course, double DistKm)
{
    if (UseWgs84()) {
        TPos R;
        if (EllDestPoint(P, R, Course, DistKm) == 0) return R;
        return P;
    }
    if (!std::isfinite(Course) || !std::isfinite(DistKm)) return P;
    return SphereDestPoint(P, Course, DistKm);
}

int32 EllDistance(const TPos& A, const TPos& B, double& DistKm, double& Azi1, double& Azi2)
{
    DistKm = 0;
    Azi1 = 0;
    Azi2 = 0;
    if (!ValidLat(A.Lat) || !ValidLat(B.Lat)) return 1;
    double s12 = 0, a1 = 0, a2 = 0;
    GeographicLib::Geodesic::WGS84().Inverse(UnitsToDeg(A.Lat), UnitsToDeg(A.Lon), UnitsToDeg(B.Lat),
                                             UnitsToDeg(B.Lon), s12, a1, a2);
    if (!std::isfinite(s12) || !std::isfinite(a1) || !std::isfinite(a2)) return 2;
    DistKm = s12 / 1000.0;
    Azi1 = Norm360(a1);
    Azi2 = Norm360(a2);
    return 0;
}

int32 EllDestPoint(const TPos& P, TPos& Dest, double Course, double DistKm)
{
    Dest = P;
    if (!ValidLat(P.Lat)) return 1;
    if (!std::isfinite(Course) || !std::isfinite(DistKm)) return 3;
    double lat2 = 0, lon2 = 0;
    GeographicLib::Geodesic::WGS84().Direct(UnitsToDeg(P.Lat), UnitsToDeg(P.Lon), Course, DistKm * 1000.0,
                                            lat2, lon2);
    if (!std::isfinite(lat2) || !std::isfinite(lon2)) return 2;
    Dest.Lat = DegToUnits(lat2);
    Dest.Lon = DegToUnits(NormLonDeg(lon2));
    return 0;
}

double RecTimeDiff(const TRec& A, const TRec& B)
{
    const double dt = std::fabs(double(int64_t(B.Time) - int64_t(A.Time))) * 0.036;
    return std::max(dt, 1.0);
}

double RecSpeed(const TRec& A, const TRec& B)
{
    return Distance(A, B) / (RecTimeDiff(A, B) / 3600.0);
}

bool LegFlown(const TTrn& From)
{
    return From.Next && From.Reached > 0 && From.Next->Reached > 0 && From.Next->Time > From.Time;
}

bool TaskFlownInOrder(const TStn& Task)
{
    if (!Task.First || Task.First == Task.Last) return false;
    for (const TTrn* t = Task.First; t; t = t->Next) {
        if (t->Reached <= 0) return false;
        if (t->Next && t->Next->Time < t->Time) return false;
    }
    return Task.Last->Time > Task.First->Time;
}

double RecVario(const TRec& A, const TRec& B)
{
    // GPS altitude when the option shows it alone (1) or in the GPS-first form (3).
    const int32 mode = Options().Altitude;
    const bool gps = mode == 1 || mode == 3;
    const int64_t altA = gps ? A.AltGps : A.Alt;
    const int64_t altB = gps ? B.AltGps : B.Alt;
    // Climb from the earlier fix to the later one, whatever order the caller gives.
    const int64_t dAlt = B.Time >= A.Time ? altB - altA : altA - altB;
    return double(dAlt) / RecTimeDiff(A, B);
}

// ---- Dates ---------------------------------------------------------------------------------

namespace {

// Days from 1 Jan 1970 of a proleptic Gregorian date (Howard Hinnant's algorithm).
constexpr int64_t DaysFromCivil(int64_t y, int m, int d)
{
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int64_t& y, int& m, int& d)
{
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    d = int(doy - (153 * mp + 2) / 5 + 1);
    m = int(mp < 10 ? mp + 3 : mp - 9);
    y = yoe + era * 400 + (m <= 2);
}

constexpr int64_t EpochOffset = DaysFromCivil(1899, 12, 30);

bool IsLeap(int y)
{
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int DaysInMonth(int y, int m)
{
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : days[m - 1];
}

// Day number of the last Sunday of a 31-day month.
int64_t LastSunday(int Year, int Month)
{
    const int64_t last = DaysFromCivil(Year, Month, 31) - EpochOffset;
    // Day 0 (30 Dec 1899) was a Saturday: weekday index 0 Saturday, 1 Sunday, ...
    const int64_t wd = FloorMod(last, 7);
    return last - FloorMod(wd - 1, 7);
}

} // namespace

bool DayNumber(int Year, int Month, int Day, int64_t& Days)
{
    if (Year < 1 || Year > 9999 || Month < 1 || Month > 12 || Day < 1 || Day > DaysInMonth(Year, Month))
        return false;
    Days = DaysFromCivil(Year, Month, Day) - EpochOffset;
    return true;
}

void DayToDate(int64_t Days, int& Year, int& Month, int& Day)
{
    int64_t y = 0;
    CivilFromDays(Days + EpochOffset, y, Month, Day);
    Year = int(y);
}

bool TryEncodeDate(int Year, int Month, int Day, TDateTime& Date)
{
    int64_t days = 0;
    if (!DayNumber(Year, Month, Day, days)) return false;
    Date = double(days);
    return true;
}

TDateTime EncodeDate(int Year, int Month, int Day)
{
    TDateTime d = 0;
    return TryEncodeDate(Year, Month, Day, d) ? d : 0.0;
}

void DecodeDate(TDateTime D, int& Year, int& Month, int& Day)
{
    // Dates beyond the years 1..9999 are clamped to keep the arithmetic in range.
    double f = std::isfinite(D) ? std::floor(D) : 0.0;
    f = std::clamp(f, -693593.0, 2958465.0);
    DayToDate(int64_t(f), Year, Month, Day);
}

TDateTime RecDateTime(TDateTime Day, int32 Time)
{
    return std::floor(Day) + double(Time) / TimeUnitsPerDay;
}

int32 LocalTimeOffset(TDateTime utc)
{
    if (!std::isfinite(utc)) return 1;
    int y, m, d;
    DecodeDate(utc, y, m, d);
    // Compare in whole time units so that the switch instants are exact.
    const int64_t t = Round64(std::clamp(utc, -693593.0, 2958466.0) * TimeUnitsPerDay);
    const int64_t start = LastSunday(y, 3) * TimeUnitsPerDay + TimeUnitsPerHour;
    const int64_t end = LastSunday(y, 10) * TimeUnitsPerDay + TimeUnitsPerHour;
    return t >= start && t < end ? 2 : 1;
}

// ---- Units ---------------------------------------------------------------------------------

void DistUnit(double& Factor, QString& Label)
{
    switch (Options().UniteDistance) {
    case 1:
        Factor = 1.8518;
        Label = QStringLiteral("NM");
        break;
    case 2:
        Factor = 1.6093;
        Label = QStringLiteral("ML");
        break;
    default:
        Factor = 1.0;
        Label = QStringLiteral("km");
        break;
    }
}

void SpeedUnit(double& Factor, QString& Label)
{
    switch (Options().UniteVitesse) {
    case 1:
        Factor = 1.8518;
        Label = QStringLiteral("Kt");
        break;
    case 2:
        Factor = 1.6093;
        Label = QStringLiteral("MPH");
        break;
    default:
        Factor = 1.0;
        Label = QStringLiteral("km/h");
        break;
    }
}

void VarioUnit(double& Factor, QString& Label)
{
    switch (Options().UniteVario) {
    case 1:
        Factor = 0.51439;
        Label = QStringLiteral("Kt");
        break;
    case 2:
        Factor = 0.00508;
        Label = QStringLiteral("Ft/min");
        break;
    default:
        Factor = 1.0;
        Label = QStringLiteral("m/s");
        break;
    }
}

void AltUnit(double& Factor, QString& Label)
{
    if (Options().UniteAltitude == 1) {
        Factor = 0.3048;
        Label = QStringLiteral("Ft");
    } else {
        Factor = 1.0;
        Label = QStringLiteral("m");
    }
}

// ---- FAI triangle --------------------------------------------------------------------------

bool IsFaiTriangle(const TStn& Task, double& FaiDist)
{
    FaiDist = 0;
    if (Task.Count != 4 && Task.Count != 5) return false;
    std::vector<const TTrn*> pts;
    for (const TTrn* t = Task.First; t; t = t->Next) pts.push_back(t);
    if (pts.size() != Task.Count) return false;
    if (pts.front()->Lat != pts.back()->Lat || pts.front()->Lon != pts.back()->Lon) return false;

    auto at = [](const TTrn* t) -> const TPos& {
        if (t->RefWpt) return *t->RefWpt;
        return *t;
    };
    const size_t first = pts.size() == 4 ? 0 : 1;
    const TPos& p1 = at(pts[first]);
    const TPos& p2 = at(pts[first + 1]);
    const TPos& p3 = at(pts[first + 2]);
    const double legs[3] = {Distance(p1, p2), Distance(p2, p3), Distance(p3, p1)};
    const double total = legs[0] + legs[1] + legs[2];
    if (!(total > 0)) return false;

    const TOpt& o = Options();
    const bool small = total < o.MinDist1;
    const double lo = small ? o.MinTri0 : o.MinTri1;
    const double hi = small ? o.MaxTri0 : o.MaxTri1;
    for (double leg : legs) {
        const double pc = leg / total * 100.0;
        if (pc < lo || pc > hi) return false;
    }
    FaiDist = total;
    return true;
}

// ---- UTM -----------------------------------------------------------------------------------

namespace {

const char UtmBands[] = "CDEFGHJKLMNPQRSTUVWX"; // 8-degree bands from 80 S, X spans 72..84 N

char UtmBandLetter(double lat)
{
    int i = int(std::floor((lat + 80.0) / 8.0));
    i = std::clamp(i, 0, 19);
    return UtmBands[i];
}

} // namespace

void LatLonToUtm(int32 Lat, int32 Lon, QString& Zone, int32& Northing, int32& Easting)
{
    Zone.clear();
    Northing = 0;
    Easting = 0;
    if (!ValidLat(Lat)) return;
    const double lat = UnitsToDeg(Lat), lon = NormLonDeg(UnitsToDeg(Lon));
    try {
        int zone = 0;
        bool northp = true;
        double x = 0, y = 0;
        GeographicLib::UTMUPS::Forward(lat, lon, zone, northp, x, y);
        if (zone == GeographicLib::UTMUPS::UPS) {
            // Polar caps: the UPS letters A/B (south) and Y/Z (north), west/east of Greenwich.
            Zone = QString(QChar(northp ? (lon < 0 ? 'Y' : 'Z') : (lon < 0 ? 'A' : 'B')));
        } else {
            Zone = QString::number(zone) + QChar(UtmBandLetter(lat));
        }
        Northing = Round(y);
        Easting = Round(x);
    } catch (const std::exception&) {
        Zone.clear();
    }
}

bool UtmToLatLon(const QString& Zone, double Northing, double Easting, int32& Lat, int32& Lon)
{
    const QString z = Zone.trimmed().toUpper();
    if (z.isEmpty() || !std::isfinite(Northing) || !std::isfinite(Easting)) return false;
    const QChar band = z.back();
    const QString num = z.left(z.size() - 1);
    int zone = 0;
    bool northp = true;
    if (num.isEmpty()) {
        // Polar caps.
        if (band == 'A' || band == 'B')
            northp = false;
        else if (band == 'Y' || band == 'Z')
            northp = true;
        else
            return false;
        zone = GeographicLib::UTMUPS::UPS;
    } else {
        if (num.size() > 2) return false;
        for (QChar c : num)
            if (!c.isDigit() || c.unicode() > 127) return false;
        zone = num.toInt();
        if (zone < 1 || zone > 60) return false;
        if (band.unicode() > 127 ||
            std::string_view(UtmBands).find(char(band.unicode())) == std::string_view::npos)
            return false;
        northp = band >= QChar('N');
    }
    try {
        double lat = 0, lon = 0;
        GeographicLib::UTMUPS::Reverse(zone, northp, Easting, Northing, lat, lon);
        if (!std::isfinite(lat) || !std::isfinite(lon)) return false;
        Lat = DegToUnits(lat);
        Lon = DegToUnits(NormLonDeg(lon));
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

// ---- Names and default styles --------------------------------------------------------------

const std::array<QString, 2> EarthModelNames = {QStringLiteral("Sphère"), QStringLiteral("WGS84")};

const std::array<QString, 11> ZoneClassNames = {
    QString(),
    QStringLiteral("Classe A"),
    QStringLiteral("Classe B"),
    QStringLiteral("Classe C"),
    QStringLiteral("Classe D"),
    QStringLiteral("Classe E"),
    QStringLiteral("Classe F"),
    QStringLiteral("Zone Interdite"),
    QStringLiteral("Zone Dangereuse"),
    QStringLiteral("Zone Réglementée"),
    QStringLiteral("Autre Zone"),
};

namespace {

TCtp ZoneStyle(int32 Color, uint8 Style, uint8 Width)
{
    TCtp c;
    c.Kind = 3;
    c.Draw = true;
    c.Color = Color;
    c.Style = Style;
    c.Width = Width;
    return c;
}

constexpr int32 Red = 255, Blue = 16711680, Aqua = 16776960, Grey = 8421504, Black = 0;

} // namespace

const std::array<TCtp, 11> ZoneStyleDefaults = {
    ZoneStyle(Black, 0, 1), // class 0: not used
    ZoneStyle(Red, 0, 2),   ZoneStyle(Red, 0, 2),   ZoneStyle(Red, 0, 2), ZoneStyle(Blue, 0, 1),
    ZoneStyle(Aqua, 0, 1),  ZoneStyle(Aqua, 1, 1),  ZoneStyle(Red, 0, 1), ZoneStyle(Grey, 0, 1),
    ZoneStyle(Red, 0, 1),   ZoneStyle(Black, 1, 1),
};

double VectorAngle(double x, double y)
{
    if (x > 0) return y >= 0 ? std::atan(y / x) : std::atan(y / x) + 2 * M_PI;
    if (x < 0) return std::atan(y / x) + M_PI;
    if (y > 0) return M_PI / 2;
    if (y < 0) return 3 * M_PI / 2;
    return 0;
}

TTrj* StnToTrj(const TStn& Task, TDateTime Start, double SpeedKmh)
{
    if (!Task.First || !(SpeedKmh > 0) || !std::isfinite(Start)) return nullptr;
    std::vector<TPos> pts;
    for (const TTrn* t = Task.First; t; t = t->Next) pts.push_back(*Task.TrnPos(t));
    const double day = std::floor(Start);
    int32 time = Round((Start - day) * TimeUnitsPerDay);
    TTrj* T = NewTrj();
    T->Name = QStringLiteral("Circuit");
    T->StartTime = Start;
    for (size_t i = 0; i < pts.size(); ++i) {
        if (i > 0) time += Round(Distance(pts[i - 1], pts[i]) / SpeedKmh * TimeUnitsPerHour);
        auto r = std::make_unique<TRec>();
        r->Lat = pts[i].Lat;
        r->Lon = pts[i].Lon;
        r->Time = time;
        if (!T->AddRec(r)) break;
    }
    T->EndTime = day + double(time) / TimeUnitsPerDay;
    TrjLoaded();
    return T;
}
