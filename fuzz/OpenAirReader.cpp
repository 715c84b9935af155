// OpenAir files from arbitrary bytes: never crash, zones with outlines inside the globe.
#include "FuzzCommon.h"
#include "files/OpenAir.h"

#include <cmath>

using fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::InitOnce();
    if (size < 1) return 0;
    const QByteArray bytes = fuzz::Bytes(data + 1, size - 1);
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
            Check(fuzz::InGlobe(*D));
            if (D->Kind == dkArc) {
                auto* A = static_cast<TDrd1*>(D);
                Check(fuzz::InGlobe(A->StartPos) && fuzz::InGlobe(A->Centre) && std::isfinite(A->Radius) &&
                      A->Radius != 0);
            } else if (D->Kind == dkCircle) {
                Check(std::isfinite(static_cast<TDrd2*>(D)->Radius) && static_cast<TDrd2*>(D)->Radius > 0);
            }
        }
    }
    Check(zones == S->Count);
    return 0;
}
