// The live NMEA reader from arbitrary bytes in arbitrary pieces: never crash, the text kept
// without line end stays bounded, every fix recorded lies on the globe.
#include "DeviceLink.h"
#include "FuzzCommon.h"
#include "devices/NmeaSession.h"

using fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::InitOnce();
    Msg::ClearLog(); // the boxes of one input only
    // The first byte chooses the check boxes and the interval.
    fuzz::SessionRig rig(data, size, true);
    const uint8_t mode = rig.mode;
    {
        TNmeaSession s(rig.link, rig.ui);
        s.Checksum = mode & 1;
        s.MoveSel = mode & 2;
        s.AutoCtg = mode & 4;
        s.EcartSec = int(mode >> 3) - 4;
        Check(s.StartReading(QStringLiteral("COM1"), br4800));
        const int ticks = int(rig.link.Chunks.size()) + 2;
        for (int i = 0; i < ticks && rig.timer.On; ++i) {
            s.Tick();
            Check(s.RxText.size() <= 4096);
        }
        if (TTrj* T = s.LiveTrj()) {
            int n = 0;
            for (const TRec* P = T->First; P; P = P->Next) {
                ++n;
                Check(fuzz::InGlobe(*P));
                Check(P->Time >= 0);
            }
            Check(n == T->RecCount);
        }
        s.CloseSession();
    }
    CloseAllTrj();
    return 0;
}
