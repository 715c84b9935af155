// IGC files from arbitrary bytes: the reader and the summary must never crash or read past the
// end; a trace read writes back as IGC and reads again with the same fixes.
#include "FuzzCommon.h"
#include "files/IgcFile.h"
#include "model/Define.h"

using fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::InitOnce();
    const QByteArray bytes = fuzz::Bytes(data, size);

    TIgcSummary S;
    ReadIgcSummaryData(bytes.constData(), bytes.size(), S);

    TReadReport R;
    if (LoadIgcTrjData(bytes, QStringLiteral("f.igc"), true, R) && Trj) {
        TTrj* A = Trj;
        Check(R.Fixes == A->RecCount);
        const QByteArray again = WriteIgcTrj(*A);
        TReadReport R2;
        Check(LoadIgcTrjData(again, QStringLiteral("g.igc"), true, R2));
        TTrj* B = Trj;
        Check(R2.Rejected == 0 && B != A && B->RecCount == A->RecCount && B->Stn->Count == A->Stn->Count);
        for (const TRec *p = A->First, *q = B->First; p && q; p = p->Next, q = q->Next)
            Check(p->Time == q->Time && p->Lat == q->Lat && p->Lon == q->Lon && p->Alt == q->Alt &&
                  p->AltGps == q->AltGps && p->Enl == q->Enl);
    }
    CloseAllTrj();
    return 0;
}
