// Own-format files from arbitrary bytes: the trace, task and waypoint readers, the file summary
// and the text runs must never crash or read past the end; what was read must write back and
// read again unchanged.
#include "FuzzCommon.h"
#include "files/ZphFile.h"
#include "model/Define.h"

#include <QBuffer>

using fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::InitOnce();
    const QByteArray bytes = fuzz::Bytes(data, size);

    TReadReport R;
    std::unique_ptr<TSwp> carried;
    if (LoadZphTrjData(bytes, QStringLiteral("f.zph"), true, R, &carried) && Trj) {
        Check(R.Fixes == Trj->RecCount);
        // What was read writes back and reads again the same.
        const QByteArray again = WriteZph(zcTrj, Trj, Trj->Stn.get(), carried.get());
        TZphData D;
        Check(ParseZph(again, D));
        Check(D.Rejected == 0 && D.HasTrace);
        Check(D.Fixes.size() == Trj->RecCount && D.Trns.size() == Trj->Stn->Count);
        size_t i = 0;
        for (const TRec* P = Trj->First; P; P = P->Next, ++i)
            Check(D.Fixes[i].Time == P->Time && D.Fixes[i].Lat == P->Lat && D.Fixes[i].Alt == P->Alt &&
                  D.Fixes[i].Enl == P->Enl);
        Check(!carried || D.Wpts.size() == carried->Count);
    }
    TStn task;
    ReadZphStnData(bytes, QStringLiteral("f.zph"), task, R);
    ReadZphSwpData(bytes, QStringLiteral("f.zph"), R);

    QBuffer buf;
    buf.setData(bytes);
    buf.open(QIODevice::ReadOnly);
    TZphSummary S;
    ReadZphSummary(buf, S);
    // The task preview's walk over the text runs.
    buf.seek(0);
    for (int guard = 0; guard < 100000; ++guard) {
        const QByteArray r = buf.read(ZphRecSize);
        if (r.size() < ZphRecSize) break;
        if (uint8_t(r[0]) == 102) ReadZphText(buf, r);
    }

    CloseAllTrj();
    return 0;
}
