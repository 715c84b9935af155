// A text track sentence of an MLR receiver: any 64 bytes decode without reading past the line;
// a date that converts lies on a real day and a position that converts on the globe.
#include "FuzzCommon.h"
#include "devices/MlrLink.h"
#include "model/Calc.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 128) return 0;
    fuzz::InitOnce();
    const QByteArray line = fuzz::Bytes(data, size);
    const TMlrTrackLine t = MlrDecodeTrackLine(line);
    (void)MlrLineName(line);
    (void)MlrLineShapeOk(line);
    if (t.Errors == 0) fuzz::Check(std::abs(t.Lat) < 10200000 && std::abs(t.Lon) < 100200000);
    if (t.DateOk) {
        int y = 0, m = 0, d = 0;
        DecodeDate(t.T, y, m, d);
        fuzz::Check(y >= 1980 && y <= 2079 && m >= 1 && m <= 12 && d >= 1 && d <= 31);
    }
    return 0;
}
