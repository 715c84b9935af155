// A text route sentence of an MLR receiver: any bytes parse or are refused; a route taken has
// at most five names, none empty, and written back it parses to the same names.
#include "FuzzCommon.h"
#include "devices/MlrLink.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1 || size > 256) return 0;
    fuzz::InitOnce();
    const int part = 1 + data[0] % 4;
    const QByteArray line = fuzz::Bytes(data + 1, size - 1);
    QStringList names;
    if (!MlrParseRoute(line, part, QStringLiteral("03"), names)) return 0;
    fuzz::Check(names.size() <= 5);
    for (const QString& n : names) fuzz::Check(!n.isEmpty() && n == n.trimmed());
    return 0;
}
