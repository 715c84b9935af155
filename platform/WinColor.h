#pragma once
#include <QColor>
#include <cstdint>

// Colours as stored in settings files: red in the low byte (blue*65536 + green*256 + red).
QColor WinColorToQColor(int32_t c);
int32_t QColorToWinColor(const QColor& c);
