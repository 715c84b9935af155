// The identification reply of an MLR receiver: any bytes parse or are refused; what is taken
// passed the checksum and holds no comma in its fields.
#include "FuzzCommon.h"
#include "devices/MlrLink.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 512) return 0;
    fuzz::InitOnce();
    const QByteArray line = fuzz::Bytes(data, size);
    TMlrIdent id;
    if (!MlrParseIdent(line, id)) return 0;
    fuzz::Check(MlrNmeaChecksumOk(line));
    for (const QString* f : {&id.Text1, &id.Pilot, &id.Text2}) fuzz::Check(!f->contains(QLatin1Char(',')));
    return 0;
}
