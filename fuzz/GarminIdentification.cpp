// The product data and the protocol array of a Garmin receiver: any bytes give a product or
// are refused, and any protocol array gives protocols whose record types come from its D tags.
#include "FuzzCommon.h"
#include "devices/GarminCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 4096) return 0;
    const QByteArray bytes = fuzz::Bytes(data, size);
    TGarminProduct p;
    if (GarminParseProduct(bytes, p)) {
        fuzz::Check(p.ProductDesc.size() <= bytes.size() - 4);
        const TGarminProtocols d = GarminDefaultProtocols(p.ProductId, p.ProductVersion);
        fuzz::Check(d.LinkProt == 0 || d.LinkProt == 10 || d.LinkProt == 11);
    }
    const TGarminProtocols a = GarminParseProtocolArray(bytes);
    fuzz::Check(a.LinkProt == 0 || a.LinkProt == 10);
    fuzz::Check(a.WptProt == 0 || a.WptProt == 100);
    fuzz::Check(a.RteProt == 0 || a.RteProt == 200 || a.RteProt == 201);
    fuzz::Check(a.TrkProt == 0 || a.TrkProt == 300 || a.TrkProt == 301 || a.TrkProt == 302);
    return 0;
}
