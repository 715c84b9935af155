#include "platform/WinColor.h"

QColor WinColorToQColor(int32_t c)
{
    const auto u = static_cast<uint32_t>(c);
    return QColor(int(u & 0xFF), int((u >> 8) & 0xFF), int((u >> 16) & 0xFF));
}

int32_t QColorToWinColor(const QColor& c)
{
    const QColor rgb = c.toRgb();
    return int32_t(rgb.red() | (rgb.green() << 8) | (rgb.blue() << 16));
}
