// Texts of times and coordinates, both ways.
#include "model/Texts.h"
#include "model/Options.h"
#include "platform/Numbers.h"

#include <cmath>
#include <cstdlib>

namespace {

const TOpt& Options()
{
    static const TOpt defaults;
    return Opt ? *Opt : defaults;
}

// Degrees and minutes with hundredths (option 1); every other value means degrees, minutes,
// seconds, as the edit masks do.
bool MinuteForm()
{
    return Options().UniteLatiLong == 1;
}

const QChar DegreeSign(0x00B0);

// n / d rounded half to even, for n >= 0 and d > 0.
int64_t DivRound(int64_t n, int64_t d)
{
    int64_t q = n / d;
    const int64_t r = n % d;
    if (2 * r > d || (2 * r == d && (q & 1))) ++q;
    return q;
}

int64_t Abs64(int32 v)
{
    return std::llabs(int64_t(v));
}

QString Pad(int64_t v, int width)
{
    return QString::number(v).rightJustified(width, QLatin1Char('0'));
}

bool IsAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

int Digits(const QString& s, int from, int count)
{
    int v = 0;
    for (int i = from; i < from + count; ++i) v = v * 10 + (s[i].unicode() - '0');
    return v;
}

// The 10-character layout that ParseLat (after its leading "0") and ParseLon check: "0" a
// digit, anything else literal.
QString CoordPattern()
{
    return MinuteForm() ? QStringLiteral("000°00.00'") : QStringLiteral("000°00'00\"");
}

// Minutes and seconds (or hundredths) text after the degree sign.
QString MinSecText(const QString& Min, const QString& Sec)
{
    if (MinuteForm()) return Min + QLatin1Char('.') + Sec + QLatin1Char('\'');
    return Min + QLatin1Char('\'') + Sec + QLatin1Char('"');
}

// Southern/western only when the text shows a non-zero angle: a tiny negative value that
// rounds to zero reads "N00°00'00"", as 0 does, so each text has one meaning.
bool Negative(int32 Value, const QString& Deg, const QString& Sec, const QString& Min)
{
    const auto zero = [](const QString& t) { return t.count(QLatin1Char('0')) == t.size(); };
    return Value < 0 && !(zero(Deg) && zero(Min) && zero(Sec));
}

bool ParseCoord(const QString& Text, bool IsLon, int32& Value)
{
    if (Text.isEmpty()) return false;
    const QChar h = Text[0];
    bool negative;
    if (IsLon) {
        if (h == QLatin1Char('E') || h == QLatin1Char('e'))
            negative = false;
        else if (h == QLatin1Char('W') || h == QLatin1Char('w'))
            negative = true;
        else
            return false;
    } else {
        if (h == QLatin1Char('N') || h == QLatin1Char('n'))
            negative = false;
        else if (h == QLatin1Char('S') || h == QLatin1Char('s'))
            negative = true;
        else
            return false;
    }
    const QString rest = IsLon ? Text.mid(1) : QLatin1Char('0') + Text.mid(1);
    const QString pattern = CoordPattern();
    if (rest.size() != pattern.size()) return false;
    for (int i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == QLatin1Char('0')) {
            if (!IsAsciiDigit(rest[i])) return false;
        } else if (rest[i] != pattern[i]) {
            return false;
        }
    }
    const int64_t deg = Digits(rest, 0, 3), min = Digits(rest, 4, 2), third = Digits(rest, 7, 2);
    int64_t units;
    if (MinuteForm())
        units = DivRound((deg * 6000 + min * 100 + third) * 50, 3); // hundredths of minute
    else
        units = DivRound((deg * 3600 + min * 60 + third) * 1000, 36); // seconds
    // Minutes and seconds may pass 59, but the angle itself must exist.
    if (units > (IsLon ? 18000000 : 9000000)) return false;
    Value = int32(negative ? -units : units);
    return true;
}

} // namespace

QString TimeToHms(int32 Time)
{
    const int64_t secs = DivRound(Abs64(Time) * 36, 1000) % 86400;
    // Hours as they come ("9:05:00"); only minutes and seconds have two digits.
    QString s = QString::number(secs / 3600) + QLatin1Char(':') + Pad(secs / 60 % 60, 2) + QLatin1Char(':') +
                Pad(secs % 60, 2);
    if (Time < 0) s.prepend(QLatin1Char('-'));
    return s;
}

bool HmsToTime(const QString& Text, int32& Time)
{
    const QStringList parts = Text.split(QLatin1Char(':'));
    if (parts.size() != 3) return false;
    int64_t v[3];
    for (int i = 0; i < 3; ++i) {
        const QString& p = parts[i];
        if (p.isEmpty() || p.size() > 2) return false;
        for (QChar c : p)
            if (!IsAsciiDigit(c)) return false;
        v[i] = Digits(p, 0, p.size());
    }
    const int64_t secs = v[0] * 3600 + v[1] * 60 + v[2];
    const int64_t units = DivRound(secs * 1000, 36);
    if (units > TimeUnitsPerDay) return false;
    Time = int32(units);
    return true;
}

void FormatCoord(int32 Value, QString& Deg, int Mode, QString& Sec, QString& Min)
{
    const int64_t a = Abs64(Value);
    if (Mode != 2 && MinuteForm()) {
        const int64_t h = DivRound(a * 6, 100); // hundredths of a minute
        Deg = Pad(h / 6000, 3);
        Min = Pad(h / 100 % 60, 2);
        Sec = Pad(h % 100, 2);
    } else {
        const int64_t s = DivRound(a * 36, 1000); // seconds
        Deg = Pad(s / 3600, 3);
        Min = Pad(s / 60 % 60, 2);
        Sec = Pad(s % 60, 2);
    }
}

QString LatiToStr(int32 Lat)
{
    if (Lat < -9000000 || Lat > 9000000) return QString();
    QString d, s, m;
    FormatCoord(Lat, d, 1, s, m);
    return (Negative(Lat, d, s, m) ? QLatin1Char('S') : QLatin1Char('N')) + d.right(2) + DegreeSign +
           MinSecText(m, s);
}

QString LongToStr(int32 Lon)
{
    if (Lon < -18000000 || Lon > 18000000) return QString();
    QString d, s, m;
    FormatCoord(Lon, d, 1, s, m);
    return (Negative(Lon, d, s, m) ? QLatin1Char('W') : QLatin1Char('E')) + d + DegreeSign + MinSecText(m, s);
}

QString CapToStr(double Course)
{
    if (!std::isfinite(Course)) return QString();
    double c = std::fmod(Course, 360.0);
    if (c < 0) c += 360.0;
    int r = Round(c) % 360;
    if (r == 0) r = 360;
    return Pad(r, 3) + DegreeSign;
}

QString FormatCoordDdmm(int32 Angle, bool IsLongitude, int /*Mode*/)
{
    const int64_t t = DivRound(Abs64(Angle) * 6, 10); // thousandths of a minute
    QChar hemi;
    if (IsLongitude)
        hemi = Angle >= 0 ? QLatin1Char('E') : QLatin1Char('W');
    else
        hemi = Angle >= 0 ? QLatin1Char('N') : QLatin1Char('S');
    return Pad(t / 60000, IsLongitude ? 3 : 2) + Pad(t / 1000 % 60, 2) + QLatin1Char('.') + Pad(t % 1000, 3) +
           QLatin1Char(',') + hemi;
}

bool ParseLat(const QString& Text, int32& Lat)
{
    return ParseCoord(Text, false, Lat);
}

bool ParseLon(const QString& Text, int32& Lon)
{
    return ParseCoord(Text, true, Lon);
}

bool StrToCoordInt(const QString& Text, int32& Value)
{
    const std::optional<double> v = StrToFloatC(Text.trimmed());
    if (!v || !std::isfinite(*v)) return false;
    const double u = *v * 1e5;
    if (!(u > -2147483648.0 && u < 2147483647.0)) return false;
    Value = Round(u);
    return true;
}

int32 StrToCoordInt(const QString& Text)
{
    int32 v = 0;
    return StrToCoordInt(Text, v) ? v : 0;
}

namespace {
const char AttrLetters[] = "TALSFHR";
}

QString WptAttrToStr(uint8 Attr)
{
    QString s;
    for (int i = 0; i < 7; ++i)
        if (Attr & (1u << i)) s += QLatin1Char(AttrLetters[i]);
    return s;
}

uint8 StrToWptAttr(const QString& Text)
{
    uint8 a = 0;
    for (QChar c : Text) {
        if (c.unicode() > 127) continue; // no letter outside ASCII upper-cases into the set
        const QChar u = c.toUpper();
        for (int i = 0; i < 7; ++i)
            if (u == QLatin1Char(AttrLetters[i])) a |= uint8(1u << i);
    }
    return a;
}

QString LatMask()
{
    return MinuteForm() ? QStringLiteral("L00°00.00';1;_") : QStringLiteral("L00°00'00\";1;_");
}

QString LonMask()
{
    return MinuteForm() ? QStringLiteral("L000°00.00';1;_") : QStringLiteral("L000°00'00\";1;_");
}

QString CuttTimeLabel(int32 LocalTime)
{
    const int64_t minutes = FloorMod(Round64(double(LocalTime) * 60 / TimeUnitsPerHour), 24 * 60);
    return QStringLiteral("%1h%2").arg(minutes / 60).arg(minutes % 60, 2, 10, QLatin1Char('0'));
}
