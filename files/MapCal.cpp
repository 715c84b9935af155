#include "files/MapCal.h"

#include "platform/IniFile.h"
#include "platform/Msg.h"
#include "platform/Numbers.h"

#include <QFileInfo>
#include <QImageReader>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <optional>
#include <string>

namespace {

const QString SecDef = QStringLiteral("Def");
const QString SecGeneral = QStringLiteral("General");
const QString SecMap = QStringLiteral("Map");

constexpr int32 MaxLati = 9000000;  // 90 degrees
constexpr int32 MaxLong = 18000000; // 180 degrees

QString PosKey(int i, const char* field)
{
    return QStringLiteral("Pos") + QString::number(i) + u'_' + QLatin1String(field);
}

QString WithExtension(const QString& path, const QString& ext)
{
    // Replace the extension of the file name only (a dot in a folder name is not one).
    const qsizetype slash = path.lastIndexOf(u'/');
    const qsizetype dot = path.lastIndexOf(u'.');
    if (dot > slash) return path.left(dot) + ext;
    return path + ext;
}

// An int32 value of the file, or nothing when absent or not a plain decimal integer.
std::optional<int32> ReadInt(const TIniFile& Ini, const QString& section, const QString& key)
{
    if (!Ini.ValueExists(section, key)) return std::nullopt;
    const auto v = StrToIntC(Ini.ReadString(section, key, QString()));
    if (!v || *v < std::numeric_limits<int32>::min() || *v > std::numeric_limits<int32>::max())
        return std::nullopt;
    return int32(*v);
}

// A pixel coordinate of point i, or nothing when absent, not a number or negative.
std::optional<int32> ReadPixel(const TIniFile& Ini, int i, const char* field)
{
    const auto v = ReadInt(Ini, SecDef, PosKey(i, field));
    if (v && *v >= 0) return v;
    return std::nullopt;
}

// An angle of point i, or nothing when absent, not a number or beyond +-limit.
std::optional<int32> ReadAngle(const TIniFile& Ini, int i, const char* field, int32 limit)
{
    const auto v = ReadInt(Ini, SecDef, PosKey(i, field));
    if (v && *v >= -limit && *v <= limit) return v;
    return std::nullopt;
}

bool FitsInt32(double v)
{
    return std::isfinite(v) && v > -2147483648.5 && v < 2147483647.5;
}

// Whether every reference point is defined. Only the flag counts: a point never entered holds
// plain zeros, which are not missing markers but are no calibration either.
bool AllDefined(const TMap& M)
{
    for (const TMapCalPoint& p : M.Pos)
        if (!p.Valid) return false;
    return true;
}

// The reference points as doubles.
struct TRef
{
    double X[4], Y[4], La[4], Lo[4];
    explicit TRef(const TMap& M)
    {
        for (int i = 0; i < 4; ++i) {
            X[i] = M.Pos[size_t(i)].X;
            Y[i] = M.Pos[size_t(i)].Y;
            La[i] = M.Pos[size_t(i)].Lati;
            Lo[i] = M.Pos[size_t(i)].Long;
        }
    }
    // Divisors of the conversion from pixel to position.
    bool PixelDivisorsOk() const
    {
        return X[0] != X[1] && X[2] != X[3] && Y[0] + Y[1] != Y[2] + Y[3] && Y[0] != Y[2] && Y[1] != Y[3] &&
               X[0] + X[2] != X[1] + X[3];
    }
    // Divisors of the conversion from position to pixel.
    bool PosDivisorsOk() const
    {
        return Lo[0] != Lo[1] && Lo[2] != Lo[3] && La[0] + La[1] != La[2] + La[3] && La[0] != La[2] &&
               La[1] != La[3] && Lo[0] + Lo[2] != Lo[1] + Lo[3];
    }
};

QString ConversionError(const QString& text, const QString& key, const QString& file)
{
    QString msg = Language == 1 ? QStringLiteral("'%1' is not a valid value for %2").arg(text, key)
                                : QStringLiteral("'%1' n'est pas une valeur correcte pour %2").arg(text, key);
    if (!file.isEmpty())
        msg += Language == 1 ? QStringLiteral(" (file %1)").arg(file)
                             : QStringLiteral(" (fichier %1)").arg(file);
    return msg + u'.';
}

bool IsDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// "D.MM.SS": whole degrees (a leading "-" for south or west), ".", two digits of minutes, one
// separator character, two digits of seconds. Minutes and seconds below 60, the angle within
// +-limit.
bool ParseDescAngle(const QString& text, int32 limit, int32& value)
{
    const QString s = text.trimmed();
    qsizetype i = 0;
    const bool neg = s.startsWith(u'-');
    if (neg) ++i;
    const qsizetype p = s.indexOf(u'.', i);
    if (p <= i || p - i > 3 || s.size() != p + 6) return false;
    int d = 0;
    for (qsizetype k = i; k < p; ++k) {
        if (!IsDigit(s[k])) return false;
        d = d * 10 + (s[k].unicode() - u'0');
    }
    if (!IsDigit(s[p + 1]) || !IsDigit(s[p + 2]) || !IsDigit(s[p + 4]) || !IsDigit(s[p + 5])) return false;
    const int m = (s[p + 1].unicode() - u'0') * 10 + (s[p + 2].unicode() - u'0');
    const int sec = (s[p + 4].unicode() - u'0') * 10 + (s[p + 5].unicode() - u'0');
    if (m >= 60 || sec >= 60) return false;
    const int32 v = Round((d + m / 60.0 + sec / 3600.0) * 100000);
    if (v > limit) return false;
    value = neg ? -v : v;
    return true;
}

// Arc-seconds per pixel: a positive decimal number ("1.50000", "1.5", "2").
bool ParseSecPerPixel(const QString& text, double& value)
{
    const QString s = text.trimmed();
    if (s.isEmpty() || s.size() > 40) return false;
    int digits = 0, dots = 0;
    for (QChar c : s) {
        if (IsDigit(c))
            ++digits;
        else if (c == u'.')
            ++dots;
        else
            return false;
    }
    if (digits == 0 || dots > 1) return false;
    const auto v = StrToFloatC(s);
    if (!v || !std::isfinite(*v) || *v <= 0) return false;
    value = *v;
    return true;
}

} // namespace

void InitImageLimits()
{
    // Scanned maps easily pass Qt's default of 128 MB of decoded image.
    QImageReader::setAllocationLimit(1024);
}

QString MapCalFileName(const QString& ImagePath)
{
    return WithExtension(ImagePath, QStringLiteral(".ini"));
}

QString MapDescFileName(const QString& ImagePath)
{
    return WithExtension(ImagePath, QStringLiteral(".map"));
}

// ---- Real numbers ---------------------------------------------------------------------------

QString MapCalFloatToStr(double v)
{
    if (!std::isfinite(v) || v == 0) v = 0; // also turns -0 into 0
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific, 14);
    const std::string s(buf, r.ptr); // "-1.23450000000000e-05"
    const size_t e = s.find('e');
    const std::string mantissa = s.substr(0, e);
    const char expSign = s[e + 1];
    const int exponent = std::stoi(s.substr(e + 2));
    char out[64];
    std::snprintf(out, sizeof out, "%s%sE%c%04d", v < 0 ? "" : " ", mantissa.c_str(), expSign, exponent);
    return QString::fromLatin1(out);
}

double MapCalStrToFloat(const QString& s)
{
    if (s.contains(u',')) return 0; // "." is the only decimal separator
    const auto v = StrToFloatC(s);
    return v && std::isfinite(*v) ? *v : 0;
}

// ---- Reading --------------------------------------------------------------------------------

void ReadMapCal(const TIniFile& Ini, TMap& M, QString& Comment)
{
    for (int i = 0; i < 4; ++i) {
        TMapCalPoint& p = M.Pos[size_t(i)];
        const auto x = ReadPixel(Ini, i, "X");
        const auto y = ReadPixel(Ini, i, "Y");
        const auto lat = ReadAngle(Ini, i, "Lati", MaxLati);
        const auto lon = ReadAngle(Ini, i, "Long", MaxLong);
        p.X = x.value_or(MapPixMissing);
        p.Y = y.value_or(MapPixMissing);
        p.Lati = lat.value_or(MapPosMissing);
        p.Long = lon.value_or(MapPosMissing);
        // Defined only when read whole.
        p.Valid = x && y && lat && lon;
    }
    M.aLati = MapCalStrToFloat(Ini.ReadString(SecDef, QStringLiteral("aLati"), QString()));
    M.aLong = MapCalStrToFloat(Ini.ReadString(SecDef, QStringLiteral("aLong"), QString()));
    M.aX = MapCalStrToFloat(Ini.ReadString(SecDef, QStringLiteral("aX"), QString()));
    M.aY = MapCalStrToFloat(Ini.ReadString(SecDef, QStringLiteral("aY"), QString()));
    Comment = Ini.ReadString(SecGeneral, QStringLiteral("Comment"), QString());
}

bool ReadMapCal(const QString& CalFile, TMap& M, QString& Comment)
{
    if (!QFileInfo(CalFile).isFile()) return false;
    TIniFile ini(CalFile);
    ReadMapCal(ini, M, Comment);
    return true;
}

void ReadMapCalGeneral(const TIniFile& Ini, TMap& M)
{
    const auto size = [&](const char* key) {
        const auto v = ReadInt(Ini, SecGeneral, QLatin1String(key));
        return v && *v > 0 ? *v : -1;
    };
    const auto bound = [&](const char* key) {
        return ReadInt(Ini, SecGeneral, QLatin1String(key)).value_or(0);
    };
    M.Width = size("Width");
    M.Height = size("Height");
    M.Lati_Max = bound("Lati_Max");
    M.Lati_Min = bound("Lati_Min");
    M.Long_Max = bound("Long_Max");
    M.Long_Min = bound("Long_Min");
}

TMapCalSource OpenMapCalibration(const QString& ImagePath, TMap& M, QString& Comment)
{
    if (ReadMapCal(MapCalFileName(ImagePath), M, Comment)) return TMapCalSource::CalFile;
    const QString desc = MapDescFileName(ImagePath);
    if (QFileInfo(desc).isFile() && ImportMapDesc(desc, M, Comment)) return TMapCalSource::DescFile;
    return TMapCalSource::None;
}

// ---- Map description file -------------------------------------------------------------------

bool ImportMapDesc(const TIniFile& Ini, TMap& M, QString& Comment, QString& Error)
{
    const QString file = Ini.FileName();
    const auto text = [&](const char* key) { return Ini.ReadString(SecMap, QLatin1String(key), QString()); };
    const auto fail = [&](const char* key) {
        Error = ConversionError(text(key), QLatin1String(key), file);
        return false;
    };

    int32 lat0 = 0, lon0 = 0;
    if (!ParseDescAngle(text("TopLatitude"), MaxLati, lat0)) return fail("TopLatitude");
    if (!ParseDescAngle(text("TopLongitude"), MaxLong, lon0)) return fail("TopLongitude");
    // The spans use the full width and height; the corner points lie on the last column and row,
    // so an image needs at least two of each.
    const auto pixels = [&](const char* key) -> std::optional<int32> {
        const auto v = StrToIntC(text(key));
        if (!v || *v < 2 || *v > std::numeric_limits<int32>::max()) return std::nullopt;
        return int32(*v);
    };
    const auto w = pixels("PixWidth");
    if (!w) return fail("PixWidth");
    const auto h = pixels("PixHeight");
    if (!h) return fail("PixHeight");
    double lonSec = 0, latSec = 0;
    if (!ParseSecPerPixel(text("LongSecPerPixel"), lonSec)) return fail("LongSecPerPixel");
    if (!ParseSecPerPixel(text("LatSecPerPixel"), latSec)) return fail("LatSecPerPixel");
    const double lonSpan = lonSec * *w * 100000 / 3600;
    const double latSpan = latSec * *h * 100000 / 3600;
    if (!(lonSpan <= 2.0 * MaxLong)) return fail("LongSecPerPixel");
    if (!(latSpan <= 2.0 * MaxLati)) return fail("LatSecPerPixel");
    const int32 lon1 = lon0 + Round(lonSpan);
    const int32 lat2 = lat0 - Round(latSpan);
    if (lon1 > MaxLong) return fail("LongSecPerPixel");
    if (lat2 < -MaxLati) return fail("LatSecPerPixel");

    M.Pos[0] = {0, 0, lat0, lon0, true};
    M.Pos[1] = {*w - 1, 0, lat0, lon1, true};
    M.Pos[2] = {0, *h - 1, lat2, lon0, true};
    M.Pos[3] = {*w - 1, *h - 1, lat2, lon1, true};
    M.aLong = M.aLati = M.aX = M.aY = 0;
    Comment = text("MapName") + QStringLiteral("  ") + text("MapSet");
    Error.clear();
    return true;
}

bool ImportMapDesc(const QString& MapFile, TMap& M, QString& Comment)
{
    TIniFile ini(MapFile);
    QString error;
    if (ImportMapDesc(ini, M, Comment, error)) return true;
    MessageDlg(error, TMsgType::Error, mbOK);
    return false;
}

// ---- Georeferencing -------------------------------------------------------------------------

bool IniMapPixelToPos(TMap& M, int32 x, int32 y, bool WithCurvature, int32& Lati, int32& Long)
{
    if (!AllDefined(M)) return false;
    const TRef r(M);
    if (!r.PixelDivisorsOk()) return false;
    const double px = x, py = y;
    const auto &X = r.X, &Y = r.Y, &La = r.La, &Lo = r.Lo;

    const double longTop = Lo[0] - (Lo[0] - Lo[1]) * (X[0] - px) / (X[0] - X[1]);
    const double longBot = Lo[2] - (Lo[2] - Lo[3]) * (X[2] - px) / (X[2] - X[3]);
    const double lon = longTop - (longTop - longBot) * (Y[0] + Y[1] - 2 * py) / (Y[0] + Y[1] - Y[2] - Y[3]);

    const double latLeft = La[0] - (La[0] - La[2]) * (Y[0] - py) / (Y[0] - Y[2]);
    const double latRight = La[1] - (La[1] - La[3]) * (Y[1] - py) / (Y[1] - Y[3]);
    const double lat = latLeft - (latLeft - latRight) * (X[0] + X[2] - 2 * px) / (X[0] + X[2] - X[1] - X[3]);

    double outLat = lat, outLon = lon;
    double bLong = M.bLong, bLati = M.bLati;
    if (WithCurvature) {
        // Meridians: the correction vanishes on the top and bottom edges.
        const double latTop = La[0] - (La[0] - La[1]) * (X[0] - px) / (X[0] - X[1]);
        const double latBot = La[2] - (La[2] - La[3]) * (X[2] - px) / (X[2] - X[3]);
        bLong = -M.aLong * (latBot - latTop);
        outLon = lon + M.aLong * (lat - latTop) * (lat - latTop) + bLong * (lat - latTop);
        // Parallels: the correction vanishes on the left and right edges.
        const double longLeft = Lo[0] - (Lo[0] - Lo[2]) * (Y[0] - py) / (Y[0] - Y[2]);
        const double longRight = Lo[1] - (Lo[1] - Lo[3]) * (Y[1] - py) / (Y[1] - Y[3]);
        bLati = -M.aLati * (longRight - longLeft);
        outLat = lat + M.aLati * (lon - longLeft) * (lon - longLeft) + bLati * (lon - longLeft);
    }
    if (!FitsInt32(outLat) || !FitsInt32(outLon)) return false;
    if (WithCurvature) {
        M.bLong = bLong;
        M.bLati = bLati;
    }
    Lati = Round(outLat);
    Long = Round(outLon);
    return true;
}

bool IniMapPosToPixel(const TMap& M, int32 Lati, int32 Long, double& x, double& y)
{
    if (!AllDefined(M)) return false;
    const TRef r(M);
    if (!r.PosDivisorsOk()) return false;
    const double lat = Lati, lon = Long;
    const auto &X = r.X, &Y = r.Y, &La = r.La, &Lo = r.Lo;

    const double xTop = X[0] - (X[0] - X[1]) * (Lo[0] - lon) / (Lo[0] - Lo[1]);
    const double xBot = X[2] - (X[2] - X[3]) * (Lo[2] - lon) / (Lo[2] - Lo[3]);
    const double xLin = xTop - (xTop - xBot) * (La[0] + La[1] - 2 * lat) / (La[0] + La[1] - La[2] - La[3]);
    const double yLeft = Y[0] - (Y[0] - Y[2]) * (La[0] - lat) / (La[0] - La[2]);
    const double yRight = Y[1] - (Y[1] - Y[3]) * (La[1] - lat) / (La[1] - La[3]);
    const double yLin =
        yLeft - (yLeft - yRight) * (Lo[0] + Lo[2] - 2 * lon) / (Lo[0] + Lo[2] - Lo[1] - Lo[3]);

    // Rows of the top and bottom edges at this longitude, columns of the left and right edges
    // at this latitude: the corrections vanish there.
    const double yTop = Y[0] - (Y[0] - Y[1]) * (Lo[0] - lon) / (Lo[0] - Lo[1]);
    const double yBot = Y[2] - (Y[2] - Y[3]) * (Lo[2] - lon) / (Lo[2] - Lo[3]);
    const double px = xLin + M.aX * (yLin - yTop) * (yLin - yBot);
    const double xLeft = X[0] - (X[0] - X[2]) * (La[0] - lat) / (La[0] - La[2]);
    const double xRight = X[1] - (X[1] - X[3]) * (La[1] - lat) / (La[1] - La[3]);
    const double py = yLin + M.aY * (px - xLeft) * (px - xRight);
    if (!FitsInt32(px) || !FitsInt32(py)) return false;
    x = px;
    y = py;
    return true;
}

bool IniMapPosToPixel(const TMap& M, int32 Lati, int32 Long, int32& x, int32& y)
{
    double px = 0, py = 0;
    if (!IniMapPosToPixel(M, Lati, Long, px, py)) return false;
    x = Round(px);
    y = Round(py);
    return true;
}

bool IniMapUsable(const TMap& M)
{
    if (!AllDefined(M)) return false;
    const TRef r(M);
    return r.PixelDivisorsOk() && r.PosDivisorsOk();
}

namespace {

// The two coefficients of one line (a parallel or a meridian) from three points on it: how far
// the central point lies off the chord of the outer two, once in positions and once in pixels,
// over the parabola that vanishes at the outer points.
//   a: the position that stays constant along the line (latitude of a parallel)
//   s: the pixel coordinate that runs along the line (column of a parallel)
//   c: the position that runs along the line (longitude of a parallel)
//   b: the pixel coordinate across the line (row of a parallel)
bool CurvCoefficients(double a0, double a1, double a2, double s0, double s1, double s2, double c0, double c1,
                      double c2, double b0, double b1, double b2, double& aPos, double& aPix)
{
    if (s0 == s2 || c0 == c2) return false;
    const double t = a0 - (a0 - a2) * (s0 - s1) / (s0 - s2);
    const double dPos = (c1 - c0) * (c1 - c0) - (c1 - c0) * (c2 - c0);
    const double u = b0 - (b0 - b2) * (c0 - c1) / (c0 - c2);
    const double dPix = (s1 - s0) * (s1 - s0) - (s1 - s0) * (s2 - s0);
    if (dPos == 0 || dPix == 0) return false;
    const double p = (t - a1) / dPos;
    const double q = (b1 - u) / dPix;
    if (!std::isfinite(p) || !std::isfinite(q)) return false;
    aPos = p;
    aPix = q;
    return true;
}

bool AllValid(const std::array<TMapCalPoint, 3>& C)
{
    for (const TMapCalPoint& p : C)
        if (!p.Valid) return false;
    return true;
}

} // namespace

bool MapCurvParallels(TMap& M, const std::array<TMapCalPoint, 3>& C)
{
    if (!AllValid(C)) return false;
    return CurvCoefficients(C[0].Lati, C[1].Lati, C[2].Lati, C[0].X, C[1].X, C[2].X, C[0].Long, C[1].Long,
                            C[2].Long, C[0].Y, C[1].Y, C[2].Y, M.aLati, M.aY);
}

bool MapCurvMeridians(TMap& M, const std::array<TMapCalPoint, 3>& C)
{
    if (!AllValid(C)) return false;
    return CurvCoefficients(C[0].Long, C[1].Long, C[2].Long, C[0].Y, C[1].Y, C[2].Y, C[0].Lati, C[1].Lati,
                            C[2].Lati, C[0].X, C[1].X, C[2].X, M.aLong, M.aX);
}

bool MapCornerBounds(TMap& M, int32 Width, int32 Height, TMapBounds& B)
{
    if (!AllDefined(M) || Width <= 0 || Height <= 0) return false;
    int32 lat[4], lon[4];
    const int32 xs[4] = {0, Width - 1, 0, Width - 1};
    const int32 ys[4] = {0, 0, Height - 1, Height - 1};
    for (int i = 0; i < 4; ++i)
        if (!IniMapPixelToPos(M, xs[i], ys[i], true, lat[i], lon[i])) return false;
    // Each sum is an integer before the halving; halves go to the even neighbour.
    const auto mid = [](int32 a, int32 b) { return Round((int64_t(a) + int64_t(b)) / 2.0); };
    B.Lati_Max = mid(lat[0], lat[1]);
    B.Lati_Min = mid(lat[2], lat[3]);
    B.Long_Max = mid(lon[1], lon[3]);
    B.Long_Min = mid(lon[0], lon[2]);
    return true;
}

// ---- Writing --------------------------------------------------------------------------------

bool WriteMapCalDef(TIniFile& Ini, const TMap& M, int& Undefined)
{
    Undefined = 0;
    for (int i = 0; i < 4; ++i) {
        const TMapCalPoint& p = M.Pos[size_t(i)];
        if (!p.Valid) {
            ++Undefined;
            continue;
        }
        if (!Ini.WriteInteger(SecDef, PosKey(i, "X"), p.X) ||
            !Ini.WriteInteger(SecDef, PosKey(i, "Y"), p.Y) ||
            !Ini.WriteInteger(SecDef, PosKey(i, "Lati"), p.Lati) ||
            !Ini.WriteInteger(SecDef, PosKey(i, "Long"), p.Long))
            return false;
    }
    return Ini.WriteString(SecDef, QStringLiteral("aLong"), MapCalFloatToStr(M.aLong)) &&
           Ini.WriteString(SecDef, QStringLiteral("aLati"), MapCalFloatToStr(M.aLati)) &&
           Ini.WriteString(SecDef, QStringLiteral("aX"), MapCalFloatToStr(M.aX)) &&
           Ini.WriteString(SecDef, QStringLiteral("aY"), MapCalFloatToStr(M.aY));
}

bool WriteMapCalGeneral(TIniFile& Ini, const QString& Comment, int32 Width, int32 Height)
{
    // The comment is one line.
    QString comment = Comment;
    comment.replace(u'\r', u' ').replace(u'\n', u' ');
    return Ini.WriteString(SecGeneral, QStringLiteral("Comment"), comment) &&
           Ini.WriteInteger(SecGeneral, QStringLiteral("Width"), Width) &&
           Ini.WriteInteger(SecGeneral, QStringLiteral("Height"), Height);
}

bool WriteMapCalBounds(TIniFile& Ini, TMap& M, int32 Width, int32 Height)
{
    // Bounds only for a map that the loader will show: they place it in the catalogue.
    TMapBounds b;
    if (!IniMapUsable(M) || !MapCornerBounds(M, Width, Height, b)) return true;
    return Ini.WriteInteger(SecGeneral, QStringLiteral("Lati_Max"), b.Lati_Max) &&
           Ini.WriteInteger(SecGeneral, QStringLiteral("Lati_Min"), b.Lati_Min) &&
           Ini.WriteInteger(SecGeneral, QStringLiteral("Long_Max"), b.Long_Max) &&
           Ini.WriteInteger(SecGeneral, QStringLiteral("Long_Min"), b.Long_Min);
}

void ReportMapCalWriteError(const TIniFile& Ini)
{
    const QString text =
        Language == 1
            ? QStringLiteral("File %1 could not be written: %2").arg(Ini.FileName(), Ini.LastError())
            : QStringLiteral("Le fichier %1 n'a pas pu être écrit : %2").arg(Ini.FileName(), Ini.LastError());
    MessageDlg(text, TMsgType::Error, mbOK);
}

bool SaveMapCal(const QString& CalFile, TMap& M, const QString& Comment, int32 Width, int32 Height)
{
    TIniFile ini(CalFile);
    ini.BeginUpdate();
    int undefined = 0;
    const bool ok = WriteMapCalDef(ini, M, undefined) && WriteMapCalGeneral(ini, Comment, Width, Height) &&
                    WriteMapCalBounds(ini, M, Width, Height) && ini.UpdateFile();
    if (!ok) ReportMapCalWriteError(ini);
    return ok;
}
