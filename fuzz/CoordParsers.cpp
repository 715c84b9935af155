// Coordinate and time parsers on arbitrary text, and the round trip of the coordinate texts.
// Input: byte 0 picks the coordinate form (bit 0) and the text encoding (bit 1); bytes 1..4
// give an angle for the round trip; the rest is the text handed to every parser.
#include "FuzzCommon.h"
#include "model/Options.h"
#include "model/Texts.h"

#include <cstring>

using fuzz::Check;

namespace {

void RoundTrip(int32_t x, int32_t tol)
{
    const QString lat = LatiToStr(x);
    if (x < -9000000 || x > 9000000) {
        Check(lat.isEmpty());
    } else {
        int32_t v = 0;
        Check(ParseLat(lat, v));
        Check(std::llabs(int64_t(v) - x) <= tol);
        Check(LatiToStr(v) == lat);
    }
    const QString lon = LongToStr(x);
    if (x < -18000000 || x > 18000000) {
        Check(lon.isEmpty());
    } else {
        int32_t v = 0;
        Check(ParseLon(lon, v));
        Check(std::llabs(int64_t(v) - x) <= tol);
        Check(LongToStr(v) == lon);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static TOpt opt;
    Opt = &opt;
    if (size < 5) return 0;
    opt.UniteLatiLong = data[0] & 1;
    int32_t angle;
    std::memcpy(&angle, data + 1, 4);
    const char* text = reinterpret_cast<const char*>(data + 5);
    const qsizetype len = qsizetype(size - 5);
    const QString s = (data[0] & 2) ? QString::fromLatin1(text, len) : QString::fromUtf8(text, len);

    RoundTrip(angle, opt.UniteLatiLong == 1 ? 9 : 14);

    int32_t v = 0;
    if (ParseLat(s, v)) {
        Check(v >= -9000000 && v <= 9000000);
        int32_t w = 0;
        Check(ParseLat(LatiToStr(v), w));
    }
    if (ParseLon(s, v)) {
        Check(v >= -18000000 && v <= 18000000);
        int32_t w = 0;
        Check(ParseLon(LongToStr(v), w));
    }
    if (StrToCoordInt(s, v)) Check(StrToCoordInt(s) == v);
    int32_t t = 0;
    if (HmsToTime(s, t)) {
        Check(t >= 0 && t <= TimeUnitsPerDay);
        int32_t u = -1;
        Check(HmsToTime(TimeToHms(t), u));
        Check(u == t % TimeUnitsPerDay);
    }
    return 0;
}
