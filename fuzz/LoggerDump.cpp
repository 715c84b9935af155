// The logger's dump from arbitrary bytes in arbitrary pieces: never crash, every fix appended
// lies on the globe within its day, the counters agree.
#include "DeviceLink.h"
#include "FuzzCommon.h"
#include "devices/LoggerSession.h"

using fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::InitOnce();
    Msg::ClearLog(); // the boxes of one input only
    fuzz::SessionRig rig(data, size, false);
    {
        TLoggerSession s(rig.link, rig.ui);
        // Straight to the answer of "!OUT": what comes is the dump.
        Check(s.StartCom(1, QStringLiteral("COM1")));
        const int ticks = int(rig.link.Chunks.size()) + 12;
        for (int i = 0; i < ticks && rig.timer.On; ++i) {
            s.Tick();
            Check(s.LoggErrors <= s.LoggLines);
        }
        for (TTrj* T : s.CreatedTrj()) {
            int n = 0;
            for (const TRec* P = T->First; P; P = P->Next) {
                ++n;
                Check(fuzz::InGlobe(*P));
                Check(P->Time >= 0 && P->Time < 2 * TimeUnitsPerDay);
            }
            Check(n == T->RecCount);
        }
        s.CloseSession();
    }
    CloseAllTrj();
    return 0;
}
