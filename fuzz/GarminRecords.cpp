// Garmin record decoders, chosen by the first byte: waypoint types, track point types and
// route headers. Any bytes decode or are refused; what decodes lies on the globe and within
// the model's text limits, and a waypoint written again by its own type reads back to the same
// position.
#include "FuzzCommon.h"
#include "devices/GarminCodec.h"

namespace {
const int kWptTypes[] = {100, 101, 102, 103, 104, 105, 106, 107, 108, 109, 110, 150, 151, 152, 154, 155};
const int kTrkTypes[] = {300, 301, 302, 303};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1 || size > 1024) return 0;
    fuzz::InitOnce();
    const QByteArray rec = fuzz::Bytes(data + 1, size - 1);
    const int pick = data[0];
    const int nWpt = sizeof kWptTypes / sizeof *kWptTypes;
    if (pick < 128) {
        const int type = kWptTypes[pick % nWpt];
        TWptBase w;
        if (!GarminDecodeWpt(type, rec, w)) return 0;
        fuzz::Check(fuzz::InGlobe(w));
        fuzz::Check(w.Name.size() <= WptNameLen && w.Comment.size() <= WptCommentLen);
        const QByteArray again = GarminEncodeWpt(type, w);
        TWptBase b;
        fuzz::Check(GarminDecodeWpt(type, again, b));
        fuzz::Check(b.Lat == w.Lat && (b.Lon == w.Lon || std::abs(w.Lon) == 18000000));
    } else if (pick < 224) {
        const int type = kTrkTypes[pick % 4];
        TGarminTrkPt p;
        if (!GarminDecodeTrkPt(type, rec, p)) return 0;
        fuzz::Check(p.Lat >= -9000000 && p.Lat <= 9000000);
        TGarminTrkPt b;
        fuzz::Check(GarminDecodeTrkPt(type, GarminEncodeTrkPt(type, p), b));
        fuzz::Check(b.Lat == p.Lat && b.Time == p.Time && b.NewTrack == p.NewTrack);
    } else {
        const int type = 200 + pick % 3;
        const QString name = GarminDecodeRteHdr(type, rec);
        QByteArray h;
        if (type == 202 || !name.isEmpty()) {
            fuzz::Check(GarminEncodeRteHdr(type, name, h));
            fuzz::Check(GarminDecodeRteHdr(type, h) == name);
        }
    }
    return 0;
}
