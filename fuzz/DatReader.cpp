// The logger's DAT lines and files from arbitrary bytes: ParseDatLine on every line, the file
// reader, and the DAT writer read back to the same fixes.
#include "FuzzCommon.h"
#include "files/TrjFormats.h"

#include <vector>

using fuzz::Check;

namespace {
struct Fix
{
    int32 Lat, Lon, Alt, AltGps, Time;
    bool operator==(const Fix&) const = default;
};

std::vector<Fix> Fixes(const TTrj* T)
{
    std::vector<Fix> v;
    for (const TRec* P = T->First; P; P = P->Next) v.push_back({P->Lat, P->Lon, P->Alt, P->AltGps, P->Time});
    return v;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::InitOnce();
    const QByteArray bytes = fuzz::Bytes(data, size);
    for (const QByteArray& line : bytes.split('\n')) {
        TRec r;
        const int errors = ParseDatLine(QString::fromLatin1(line), r);
        Check(errors >= 0 && errors <= 6);
        if (errors == 0) Check(r.Time >= 0 && r.Time <= 2400000 && fuzz::InGlobe(r));
        TDateTime d = 0;
        ParseDatHeader(QString::fromLatin1(line), d);
    }
    TReadReport R;
    LoadDatTrjData(bytes, QStringLiteral("f.dat"), R);
    fuzz::ReloadEachTrace(WriteDatTrj, LoadDatTrjData, "back.dat", Fixes, true);
    CloseAllTrj();
    return 0;
}
