// Every Magellan field parser on arbitrary text: positions on the globe, times of a day,
// dates on real days, and the sentence built from any field read back as the same fields.
#include "FuzzCommon.h"
#include "devices/MagellanLink.h"
#include "model/Calc.h"

using fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 256) return 0;
    const QByteArray all = fuzz::Bytes(data, size);
    const qsizetype cut = size > 0 ? data[0] % (size + 1) : 0;
    const QByteArray a = all.mid(1, cut), b = all.mid(1 + cut);
    int32 v = 0;
    if (MgnParseLatLong(a, b, v)) Check(v >= -18000000 && v <= 18000000);
    if (MgnParseTime(a, v)) Check(v >= 0 && v < 2400000);
    (void)MgnParseAlt(a, b, v);
    TDateTime d = 0, t = 0;
    if (MgnParseDate(a, 0, d)) {
        int y = 0, m = 0, day = 0;
        DecodeDate(d, y, m, day);
        Check(y >= 1980 && y <= 2079 && m >= 1 && m <= 12 && day >= 1 && day <= 31);
        (void)MgnDateTime(d, v, t);
    }
    // Whatever the fields hold, the sentence keeps its shape.
    const QByteArray s = MgnSentence("WPL", {a, b});
    TMgnReader r;
    TMgnSentence m;
    r.Append(s);
    Check(r.Next(m) == TMgnReader::Good);
    Check(m.Command == "WPL" && m.Field(3).isEmpty());
    Check(m.Field(1).size() == a.size() && m.Field(2).size() == b.size());
    return 0;
}
