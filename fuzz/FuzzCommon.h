// Small pieces shared by the fuzz targets: the abort-on-failure check, the one-time model set-up,
// the bounds of the globe and the reload of every trace through a writer and its reader.
#pragma once

#include "files/FileCommon.h"
#include "model/Define.h"
#include "platform/Msg.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace fuzz {

inline void Check(bool ok)
{
    if (!ok) std::abort();
}

// Headless model, made once for the whole run.
inline void InitOnce()
{
    static const bool init = [] {
        Msg::SetHeadless(true);
        ModelInit();
        return true;
    }();
    (void)init;
}

inline QByteArray Bytes(const uint8_t* data, size_t size)
{
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

inline bool InGlobe(const TPos& P)
{
    return P.Lat >= -9000000 && P.Lat <= 9000000 && P.Lon >= -18000000 && P.Lon <= 18000000;
}

// Each open trace is written, read back as a new last trace and compared by its fixes and date;
// with SameBytes the reread trace must also write the very same bytes.
template <class FixesOf>
void ReloadEachTrace(QByteArray (*Write)(const TTrj&),
                     bool (*Load)(const QByteArray&, const QString&, TReadReport&), const char* BackName,
                     FixesOf Fixes, bool SameBytes)
{
    std::vector<TTrj*> traces;
    for (TTrj* T = FirstTrj; T; T = T->NextTrj) traces.push_back(T);
    for (TTrj* T : traces) {
        const QByteArray out = Write(*T);
        const auto before = Fixes(T);
        const TDateTime date = T->Date;
        TTrj* last = FirstTrj;
        while (last->NextTrj) last = last->NextTrj;
        SetCurrentTrj(last);
        TReadReport R;
        Check(Load(out, QString::fromLatin1(BackName), R));
        Check(R.Traces == 1 && R.Rejected == 0);
        Check(Trj->Date == date);
        Check(Fixes(Trj) == before);
        if (SameBytes) Check(Write(*Trj) == out);
        CloseTrj(Trj);
    }
}

} // namespace fuzz
