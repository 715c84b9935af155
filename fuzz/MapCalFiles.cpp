// Map calibration file and ".map" description file from arbitrary bytes: reading, import,
// conversions, bounds and writing must never crash, and what is written must read back.
#include "FuzzCommon.h"
#include "files/MapCal.h"
#include "platform/IniFile.h"

#include <cmath>

using fuzz::Check;

namespace {

void Exercise(TMap& m)
{
    int32 lat = 0, lon = 0;
    double x = 0, y = 0;
    const int32 w = m.Width > 0 ? m.Width : 100, h = m.Height > 0 ? m.Height : 100;
    const int32 xs[] = {0, w - 1, w / 2, -7, 2147483647};
    const int32 ys[] = {0, h - 1, h / 3, -2147483647 - 1, 12};
    for (int i = 0; i < 5; ++i)
        for (bool curv : {false, true})
            if (IniMapPixelToPos(m, xs[i], ys[i], curv, lat, lon)) {
                if (IniMapPosToPixel(m, lat, lon, x, y)) Check(std::isfinite(x) && std::isfinite(y));
                int32 ix = 0, iy = 0;
                IniMapPosToPixel(m, lat, lon, ix, iy);
            }
    for (const TMapCalPoint& p : m.Pos) IniMapPosToPixel(m, p.Lati, p.Long, x, y);
    TMapBounds b;
    MapCornerBounds(m, w, h, b);
    TMap c = m;
    MapCurvParallels(c, {m.Pos[0], m.Pos[1], m.Pos[3]});
    MapCurvMeridians(c, {m.Pos[0], m.Pos[2], m.Pos[3]});
    Check(std::isfinite(c.aLati) && std::isfinite(c.aY) && std::isfinite(c.aLong) && std::isfinite(c.aX));
}

// Writes the calibration into an empty profile and reads it back: same points, same numbers.
void RoundTrip(TMap& m, const QString& comment)
{
    const auto out = TIniFile::FromBytes(QByteArray());
    int undefined = 0;
    Check(WriteMapCalDef(*out, m, undefined));
    Check(WriteMapCalGeneral(*out, comment, m.Width, m.Height));
    Check(WriteMapCalBounds(*out, m, m.Width, m.Height));
    const auto back = TIniFile::FromBytes(out->ToBytes());
    TMap r;
    QString c;
    ReadMapCal(*back, r, c);
    int undefinedBack = 0;
    for (int i = 0; i < 4; ++i) {
        if (!r.Pos[size_t(i)].Valid) ++undefinedBack;
        if (m.Pos[size_t(i)].Valid) {
            Check(r.Pos[size_t(i)].X == m.Pos[size_t(i)].X && r.Pos[size_t(i)].Y == m.Pos[size_t(i)].Y);
            Check(r.Pos[size_t(i)].Lati == m.Pos[size_t(i)].Lati &&
                  r.Pos[size_t(i)].Long == m.Pos[size_t(i)].Long);
        }
    }
    Check(undefinedBack == undefined);
    // The text form is stable after one pass.
    for (double v : {m.aLong, m.aLati, m.aX, m.aY}) {
        const QString t = MapCalFloatToStr(v);
        Check(t.size() == 23);
        Check(MapCalFloatToStr(MapCalStrToFloat(t)) == t);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = fuzz::Bytes(data, size);
    const auto ini = TIniFile::FromBytes(bytes);

    TMap m;
    QString comment;
    ReadMapCal(*ini, m, comment);
    ReadMapCalGeneral(*ini, m);
    for (const TMapCalPoint& p : m.Pos)
        if (p.Valid)
            Check(p.X >= 0 && p.Y >= 0 && std::abs(p.Lati) <= 9000000 && std::abs(p.Long) <= 18000000);
    Check(std::isfinite(m.aLong) && std::isfinite(m.aLati) && std::isfinite(m.aX) && std::isfinite(m.aY));
    Exercise(m);
    RoundTrip(m, comment);

    TMap d = m;
    QString error;
    if (ImportMapDesc(*ini, d, comment, error)) {
        for (const TMapCalPoint& p : d.Pos) Check(p.Valid);
        Check(IniMapUsable(d));
        Exercise(d);
        RoundTrip(d, comment);
    } else {
        // All or nothing: a failed import leaves the map as it was.
        for (int i = 0; i < 4; ++i)
            Check(d.Pos[size_t(i)].X == m.Pos[size_t(i)].X && d.Pos[size_t(i)].Lati == m.Pos[size_t(i)].Lati);
        Check(!error.isEmpty());
    }

    // The bytes as one real number of the file.
    const double v = MapCalStrToFloat(QString::fromLatin1(bytes.left(64)));
    Check(std::isfinite(v));
    return 0;
}
