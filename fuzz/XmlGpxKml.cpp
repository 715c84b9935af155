// GPX and KML traces through the XML pull parser from arbitrary bytes. The parser's parts must
// stay inside the text and in order; every trace read must write to KML and read back the same.
#include "FuzzCommon.h"
#include "files/LibXmlParser.h"
#include "files/TrjFormats.h"

#include <vector>

using fuzz::Check;

namespace {

void WalkParser(const QByteArray& Data, bool Normalize)
{
    TXmlParser P;
    P.Normalize = Normalize;
    P.LoadFromBuffer(Data);
    const qsizetype n = P.Buffer().size();
    qsizetype next = 0;
    int parts = 0;
    while (P.Scan()) {
        ++parts;
        Check(P.CurPartType != ptNone);
        Check(P.CurStart >= 0 && P.CurFinal < n);
        Check(P.CurFinal >= P.CurStart - 1);
        Check(P.CurStart >= next);
        next = P.CurFinal + 1;
        if (P.CurPartType == ptStartTag || P.CurPartType == ptEmptyTag || P.CurPartType == ptEndTag)
            Check(P.Buffer()[P.CurStart] == u'<');
        (void)P.StrFromRange(P.CurStart, P.CurFinal);
        (void)StrFromRange(P.CurStartPtr(), P.CurFinalPtr());
        (void)P.CurAttr.Value(QStringLiteral("lat"));
    }
    Check(!P.Scan());
}

struct Fix
{
    int32 Lat, Lon, Alt, Time;
    uint8 Kind;
    bool operator==(const Fix&) const = default;
};

std::vector<Fix> Fixes(const TTrj* T)
{
    std::vector<Fix> v;
    for (const TRec* P = T->First; P; P = P->Next) v.push_back({P->Lat, P->Lon, P->Alt, P->Time, P->Kind});
    return v;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::InitOnce();
    if (size < 1) return 0;
    const QByteArray bytes = fuzz::Bytes(data + 1, size - 1);
    WalkParser(bytes, data[0] & 2);
    TReadReport R;
    if (data[0] & 1)
        LoadKmlTrjData(bytes, QStringLiteral("f.kml"), R);
    else
        LoadGpxTrjData(bytes, QStringLiteral("f.gpx"), R);
    Check(R.Traces >= 0 && R.Fixes >= 0 && R.Rejected >= 0);
    // Each trace read writes to KML and reads back with the same fixes and date.
    fuzz::ReloadEachTrace(WriteKmlTrj, LoadKmlTrjData, "back.kml", Fixes, false);
    CloseAllTrj();
    return 0;
}
