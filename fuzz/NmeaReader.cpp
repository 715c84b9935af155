// NMEA logs from arbitrary bytes: never crash, fixes in time order inside their limits.
#include "files/TrjFormats.h"
#include "platform/Msg.h"

#include <cstdint>
#include <cstdlib>

namespace {
void Check(bool ok)
{
    if (!ok) std::abort();
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
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    TReadReport R;
    const bool ok = LoadNmeaTrjData(bytes, QStringLiteral("f.nmea"), R);
    Check(ok == (R.Traces > 0));
    int fixes = 0;
    for (TTrj* T = FirstTrj; T; T = T->NextTrj) {
        Check(T->Loaded && T->First);
        for (const TRec* P = T->First; P; P = P->Next) {
            ++fixes;
            Check(P->Lat >= -9000000 && P->Lat <= 9000000 && P->Lon >= -18000000 && P->Lon <= 18000000);
            Check(P->Time >= 0);
            if (P->Prev) Check(P->Time > P->Prev->Time);
        }
    }
    Check(fixes == R.Fixes);
    CloseAllTrj();
    return 0;
}
