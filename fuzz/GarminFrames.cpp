// Garmin frames out of any byte stream, read in pieces of any size: no crash, no frame
// longer than the link allows, bounded memory, and every good frame written again by our
// framing reads back the same.
#include "FuzzCommon.h"
#include "devices/GarminLink.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1) return 0;
    const QByteArray bytes = fuzz::Bytes(data + 1, size - 1);
    const int piece = data[0] % 64 + 1;
    TGarminRx rx;
    for (qsizetype i = 0; i < bytes.size(); i += piece) {
        rx.Append(bytes.mid(i, piece));
        for (;;) {
            uint8_t id;
            QByteArray d, raw;
            const auto r = rx.Extract(id, d, &raw);
            if (r == TGarminRx::None) break;
            fuzz::Check(d.size() <= 255);
            if (r != TGarminRx::Good) continue;
            fuzz::Check(raw.size() <= GarminMaxFrame);
            TGarminRx back;
            back.Append(GarminFrame(id, d));
            uint8_t id2;
            QByteArray d2;
            fuzz::Check(back.Extract(id2, d2) == TGarminRx::Good && id2 == id && d2 == d);
        }
        fuzz::Check(rx.Pending() <= 2048 + 64 + GarminMaxFrame);
    }
    return 0;
}
