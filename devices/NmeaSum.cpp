#include "devices/NmeaSum.h"

uint8_t NmeaXor(QByteArrayView Text)
{
    uint8_t x = 0;
    for (char c : Text) x ^= static_cast<uint8_t>(c);
    return x;
}

QByteArray NmeaXorHex(QByteArrayView Body)
{
    static const char digits[] = "0123456789ABCDEF";
    const uint8_t x = NmeaXor(Body);
    const char hex[2] = {digits[x >> 4], digits[x & 15]};
    return QByteArray(hex, 2);
}

bool NmeaChecksumOk(QByteArrayView Sentence)
{
    const qsizetype dollar = Sentence.indexOf('$');
    const qsizetype star = Sentence.indexOf('*');
    if (dollar < 0 || star < dollar || star + 3 > Sentence.size()) return false;
    return NmeaXorHex(Sentence.sliced(dollar + 1, star - dollar - 1)) == Sentence.sliced(star + 1, 2);
}
