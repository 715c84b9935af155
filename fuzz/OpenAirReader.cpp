// OpenAir files from arbitrary bytes: never crash, zones with outlines inside the globe.
#include "files/OpenAir.h"
#include "platform/Msg.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace {
void Check(bool ok)
{
    if (!ok) std::abort();
}
bool InGlobe(const TPos& P)
{
    return P.Lat >= -9000000 && P.Lat <= 9000000 && P.Lon >= -18000000 && P.Lon <= 18000000;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool init = [] {
        Msg::SetHeadless(true);
        ModelInit();
        return true;
    }();
    (void)init;
    if (size < 1) return 0;
    const QByteArray bytes(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    TReadReport R;
    auto S = ReadOpenAirData(bytes, QStringLiteral("f.txt"), data[0] % 12, R);
    Check((S == nullptr) == !R.Error.isEmpty());
    if (!S) return 0;
    int zones = 0;
    for (TMpf* M = S->First; M; M = M->Next) {
        ++zones;
        Check(M->Class >= 1 && M->Class <= 10);
        Check(M->First != nullptr);
        for (TDrd* D = M->First; D; D = D->Next) {
            Check(InGlobe(*D));
            if (D->Kind == dkArc) {
                auto* A = static_cast<TDrd1*>(D);
                Check(InGlobe(A->StartPos) && InGlobe(A->Centre) && std::isfinite(A->Radius) &&
                      A->Radius != 0);
            } else if (D->Kind == dkCircle) {
                Check(std::isfinite(static_cast<TDrd2*>(D)->Radius) && static_cast<TDrd2*>(D)->Radius > 0);
            }
        }
    }
    Check(zones == S->Count);
    return 0;
}
