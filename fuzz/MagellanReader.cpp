// The Magellan receive buffer fed in arbitrary pieces: never reads past its bytes, keeps its
// pending text bounded, and every sentence it calls good carries its own checksum.
#include "FuzzCommon.h"
#include "devices/MagellanLink.h"

using fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TMgnReader r;
    TMgnSentence s;
    size_t i = 0;
    while (i < size) {
        const size_t n = std::min<size_t>(data[i] % 97 + 1, size - i - 1);
        ++i;
        r.Append(QByteArrayView(reinterpret_cast<const char*>(data + i), qsizetype(n)));
        i += n;
        for (TMgnReader::TResult res; (res = r.Next(s)) != TMgnReader::None;) {
            Check(s.Raw.startsWith('$') && !s.Raw.contains("\r\n"));
            if (res == TMgnReader::Good) Check(s.Checksum == MgnChecksum(s.Raw));
        }
        Check(r.Pending() <= TMgnReader::MaxPending + 97 + 1);
        if (n == 0) break;
    }
    return 0;
}
