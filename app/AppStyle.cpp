#include "app/AppStyle.h"

#include <QApplication>
#include <QIcon>
#include <QIconEngine>
#include <QPainter>
#include <QPixmap>
#include <QProxyStyle>

namespace {

// Two chevrons pointing right (horizontal bar) or down (vertical bar).
QIcon ExtensionIcon(bool Horizontal, const QColor& Ink)
{
    QIcon icon;
    for (int s : {8, 16, 32}) {
        QPixmap pm(s, s);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(Ink, std::max(1.0, s / 10.0), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        if (!Horizontal) {
            p.translate(s, 0);
            p.rotate(90);
        }
        const double u = s / 8.0;
        for (double x0 : {1.5 * u, 4.0 * u}) {
            const QPointF pts[3] = {{x0, 2 * u}, {x0 + 2 * u, 4 * u}, {x0, 6 * u}};
            p.drawPolyline(pts, 3);
        }
        p.end();
        icon.addPixmap(pm);
    }
    return icon;
}

// Set while the style's own icon is read.
thread_local bool ReadingIcon = false;

// A standard icon read from its files when it is first drawn or measured, not when a window
// that may never be shown asks for it.
class TLaterIcon : public QIconEngine
{
public:
    explicit TLaterIcon(QStyle::StandardPixmap Sp) : fSp(Sp) {}

    void paint(QPainter* P, const QRect& R, QIcon::Mode M, QIcon::State S) override
    {
        Icon().paint(P, R, Qt::AlignCenter, M, S);
    }
    QPixmap pixmap(const QSize& Size, QIcon::Mode M, QIcon::State S) override
    {
        return Icon().pixmap(Size, M, S);
    }
    QPixmap scaledPixmap(const QSize& Size, QIcon::Mode M, QIcon::State S, qreal Scale) override
    {
        return Icon().pixmap(Size, Scale, M, S);
    }
    QSize actualSize(const QSize& Size, QIcon::Mode M, QIcon::State S) override
    {
        return Icon().actualSize(Size, M, S);
    }
    QList<QSize> availableSizes(QIcon::Mode M, QIcon::State S) override
    {
        return Icon().availableSizes(M, S);
    }
    // The style has every one of its icons: asking does not read it.
    bool isNull() override { return fRead && fIcon.isNull(); }
    QString key() const override { return QStringLiteral("zph-later"); }
    QIconEngine* clone() const override { return new TLaterIcon(fSp); }

private:
    const QIcon& Icon()
    {
        if (!fRead) {
            fRead = true;
            ReadingIcon = true;
            fIcon = QApplication::style()->standardIcon(fSp);
            ReadingIcon = false;
        }
        return fIcon;
    }
    QStyle::StandardPixmap fSp;
    bool fRead = false;
    QIcon fIcon;
};

class TAppStyle : public QProxyStyle
{
public:
    using QProxyStyle::QProxyStyle;

    QIcon standardIcon(StandardPixmap Sp, const QStyleOption* Opt, const QWidget* W) const override
    {
        if (Sp == SP_ToolBarHorizontalExtensionButton || Sp == SP_ToolBarVerticalExtensionButton)
            return ExtensionIcon(Sp == SP_ToolBarHorizontalExtensionButton,
                                 QApplication::palette().color(QPalette::ButtonText));
        if (ReadingIcon || Opt) return QProxyStyle::standardIcon(Sp, Opt, W);
        return QIcon(new TLaterIcon(Sp));
    }
};

} // namespace

void InstallAppStyle()
{
    if (dynamic_cast<TAppStyle*>(QApplication::style())) return;
    QApplication::setStyle(new TAppStyle(QApplication::style()->name()));
}
