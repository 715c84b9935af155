#pragma once
// One byte per character texts (Windows-1252, a superset of Latin-1) as the settings files,
// the program's own file format and the device wires use them, and the UTF-8 check that
// decides how a file of unknown encoding is read.
#include <QByteArray>
#include <QString>

// Bytes 0x80..0x9F follow the Windows-1252 table; the five bytes that table leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) become the control characters of the same code, so that any
// byte string converts to text and back unchanged.
QString FromWin1252(const QByteArray& bytes);
// Characters that Windows-1252 cannot hold become '?' (one per character, also outside the
// basic plane).
QByteArray ToWin1252(const QString& text);
// True when every character of text has a Windows-1252 byte.
bool FitsWin1252(const QString& text);
// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF, no cut sequence.
bool IsValidUtf8(const QByteArray& bytes);
