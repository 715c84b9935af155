// The binary block stream of an MLR receiver, fed in pieces whose sizes come from the input:
// the reader never reads outside its buffer, takes only whole blocks with the expected number,
// and every record it hands out decodes to a position on the globe.
#include "FuzzCommon.h"
#include "devices/MlrLink.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2 || size > 8192) return 0;
    fuzz::InitOnce();
    TMlrBlockReader r(data[0] & 1 ? 'W' : 'T');
    const size_t piece = 1 + data[1] % 64;
    bool started = false, ended = false;
    for (size_t i = 2; i < size && !ended; i += piece) {
        r.Append(
            QByteArrayView(reinterpret_cast<const char*>(data + i), qsizetype(std::min(piece, size - i))));
        if (!started) started = r.TakeStart();
        const uint8_t* p = nullptr;
        int n = 0;
        while (started) {
            const uint8_t before = r.BlockNo;
            if (!r.TakeBlock(p, n)) break;
            fuzz::Check(n >= 1 && n <= 255 && uint8_t(before + 1) == r.BlockNo);
            for (int k = 0; k < n; ++k) {
                if (r.RecordLen() == MlrTrackRecLen) {
                    const TMlrTrackRecord t = MlrDecodeTrackRecord(p + k * MlrTrackRecLen);
                    fuzz::Check(fuzz::InGlobe(TPos{t.Lat, t.Lon}) && t.Alt >= -1577722 && t.Alt <= 100000);
                } else {
                    const TMlrWptRecord w = MlrDecodeWptRecord(p + k * MlrWptRecLen);
                    fuzz::Check(fuzz::InGlobe(TPos{w.Lat, w.Lon}) && w.Name.size() <= 6);
                }
            }
        }
        if (started) ended = r.TakeEnd();
    }
    return 0;
}
