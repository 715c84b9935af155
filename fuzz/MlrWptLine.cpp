// A text waypoint sentence of an MLR receiver: any bytes decode; the name keeps its six
// columns, the comment at most 22, and an upload of what was read keeps every column in place.
#include "FuzzCommon.h"
#include "devices/MlrLink.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 128) return 0;
    fuzz::InitOnce();
    const QByteArray line = fuzz::Bytes(data, size);
    (void)MlrNmeaChecksumOk(line);
    const TMlrWptLine w = MlrDecodeWptLine(line);
    fuzz::Check(w.Name.size() <= 6 && w.Comment.size() <= 22);
    if (w.Errors > 0) return 0;
    TWptBase b;
    b.Name = w.Name;
    b.Comment = w.Comment;
    b.Lat = std::clamp(w.Lat, -9000000, 9000000);
    b.Lon = std::clamp(w.Lon, -18000000, 18000000);
    const QByteArray up = MlrWptSentence(b);
    fuzz::Check(up.size() == 61 && up.endsWith("\r\n") && up.count('$') == 1 && !up.contains('*'));
    fuzz::Check(up.count(',') == 5);
    return 0;
}
