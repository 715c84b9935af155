// The logger's DAT lines and files from arbitrary bytes: ParseDatLine on every line, the file
// reader, and the DAT writer read back to the same fixes.
#include "files/TrjFormats.h"
#include "platform/Msg.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {
void Check(bool ok)
{
    if (!ok) std::abort();
}

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
    static const bool init = [] {
        Msg::SetHeadless(true);
        ModelInit();
        return true;
    }();
    (void)init;
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    for (const QByteArray& line : bytes.split('\n')) {
        TRec r;
        const int errors = ParseDatLine(QString::fromLatin1(line), r);
        Check(errors >= 0 && errors <= 6);
        if (errors == 0)
            Check(r.Time >= 0 && r.Time <= 2400000 && r.Lat >= -9000000 && r.Lat <= 9000000 &&
                  r.Lon >= -18000000 && r.Lon <= 18000000);
        TDateTime d = 0;
        ParseDatHeader(QString::fromLatin1(line), d);
    }
    TReadReport R;
    LoadDatTrjData(bytes, QStringLiteral("f.dat"), R);
    std::vector<TTrj*> traces;
    for (TTrj* T = FirstTrj; T; T = T->NextTrj) traces.push_back(T);
    for (TTrj* T : traces) {
        const QByteArray out = WriteDatTrj(*T);
        const std::vector<Fix> before = Fixes(T);
        const TDateTime date = T->Date;
        TReadReport B;
        TTrj* last = FirstTrj;
        while (last->NextTrj) last = last->NextTrj;
        SetCurrentTrj(last);
        Check(LoadDatTrjData(out, QStringLiteral("back.dat"), B));
        Check(B.Traces == 1 && B.Rejected == 0);
        Check(Trj->Date == date);
        Check(Fixes(Trj) == before);
        Check(WriteDatTrj(*Trj) == out);
        CloseTrj(Trj);
    }
    CloseAllTrj();
    return 0;
}
