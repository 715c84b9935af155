#pragma once
// Pixel probes of the rendered views: render a form into an image and look for a colour near a
// point.
#include "model/Options.h"
#include "platform/WinColor.h"

#include <QImage>
#include <QPainter>
#include <QPointF>

// The colour of a palette entry as drawn.
inline QColor C(TColorIndex i)
{
    return WinColorToQColor(Colors[i]);
}

// True when a pixel of that colour lies within Radius pixels of P.
inline bool ColourNear(const QImage& img, QPointF P, QColor c, int Radius = 1)
{
    const int x0 = qRound(P.x()), y0 = qRound(P.y());
    for (int y = y0 - Radius; y <= y0 + Radius; ++y)
        for (int x = x0 - Radius; x <= x0 + Radius; ++x)
            if (img.rect().contains(x, y) && img.pixelColor(x, y) == c) return true;
    return false;
}

// The view at that size, as painted.
template <class Form> QImage RenderAt(Form& F, QSize size)
{
    F.resize(size);
    QImage img(size, QImage::Format_RGB32);
    QPainter p(&img);
    F.Render(p, size);
    return img;
}
