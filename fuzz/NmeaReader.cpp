// NMEA logs from arbitrary bytes: never crash, fixes in time order inside their limits.
#include "FuzzCommon.h"
#include "files/TrjFormats.h"

using fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::InitOnce();
    TReadReport R;
    const bool ok = LoadNmeaTrjData(fuzz::Bytes(data, size), QStringLiteral("f.nmea"), R);
    Check(ok == (R.Traces > 0));
    int fixes = 0;
    for (TTrj* T = FirstTrj; T; T = T->NextTrj) {
        Check(T->Loaded && T->First);
        for (const TRec* P = T->First; P; P = P->Next) {
            ++fixes;
            Check(fuzz::InGlobe(*P));
            Check(P->Time >= 0);
            if (P->Prev) Check(P->Time > P->Prev->Time);
        }
    }
    Check(fixes == R.Fixes);
    CloseAllTrj();
    return 0;
}
