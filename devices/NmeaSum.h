#pragma once
// The NMEA 0183 checksum, shared by every receiver that talks in "$...*hh" sentences.
#include <QByteArray>
#include <QByteArrayView>
#include <cstdint>

// XOR of every byte of the text.
uint8_t NmeaXor(QByteArrayView Text);
// The XOR of Body as two upper-case hexadecimal digits.
QByteArray NmeaXorHex(QByteArrayView Body);
// A "$" and a "*" are present, and the XOR of the bytes strictly between the first "$" and the
// first "*" written as two upper-case hexadecimal digits equals the two characters after the
// "*" (lower-case digits fail). Sentence without its CR LF.
bool NmeaChecksumOk(QByteArrayView Sentence);
