// The Magellan state machine reading a track, waypoints or a route from arbitrary bytes in
// arbitrary pieces: never crashes, every point stored lies on the globe, and the task changes
// only when the route gave turn points.
#include "DeviceLink.h"
#include "FuzzCommon.h"
#include "devices/MagellanSession.h"
#include "model/Calc.h"

using fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::InitOnce();
    Msg::ClearLog();
    fuzz::SessionRig rig(data, size, true);
    const uint8_t mode = rig.mode;
    {
        TMagellanSession s(rig.link, rig.ui);
        s.Clock = [] { return qint64(0); };
        s.Today = [] { return EncodeDate(2026, 1, 1); };
        s.Options.FlowCheckBtn = mode & 1;
        s.Options.NmeaOneBtn = mode & 2;
        const int kind = (mode >> 2) % 3;
        if (kind == 2) NewTrj();
        Msg::PushInput(QStringLiteral("1"));
        if (kind == 0) s.DownTrk(QStringLiteral("COM1"));
        if (kind == 1) {
            Msg::PushAnswer(mrNo);
            s.DownWpt(QStringLiteral("COM1"));
        }
        if (kind == 2) {
            Msg::PushAnswer(mrNo);
            s.DownRte(QStringLiteral("COM1"));
        }
        const int ticks = int(rig.link.Chunks.size()) * 3 + 10;
        for (int i = 0; i < ticks && rig.timer.On; ++i) s.Tick();
        s.Close();
    }
    for (const TTrj* T = FirstTrj; T; T = T->NextTrj)
        for (const TRec* P = T->First; P; P = P->Next) Check(fuzz::InGlobe(*P));
    if (Swp)
        for (const TWpt* W = Swp->First; W; W = W->Next) Check(fuzz::InGlobe(*W));
    CloseAllTrj();
    FreeSwpObject();
    return 0;
}
