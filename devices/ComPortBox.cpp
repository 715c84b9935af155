#include "devices/ComPortBox.h"

#include "devices/ComPorts.h"
#include "model/Define.h"

#include <QAbstractItemView>
#include <QFileInfo>
#include <QHelpEvent>
#include <QStyledItemDelegate>
#include <QToolTip>

namespace {

// An entry of the open list: its port name, then the device it opens.
class DeviceDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        const QString dev = index.data(TComPortBox::DeviceRole).toString();
        if (!dev.isEmpty()) option->text += QStringLiteral("   ") + dev;
    }
};

} // namespace

TComPortBox::TComPortBox(QWidget* parent) : QComboBox(parent)
{
    setItemDelegate(new DeviceDelegate(this));
}

void TComPortBox::RefreshDevices()
{
    int last = 0;
    for (int i = 0; i < count(); ++i) last = std::max(last, ComPortNumber(itemText(i)));
    const QStringList paths = ComDevicePaths(last);
    for (int i = 0; i < count(); ++i) {
        const int n = ComPortNumber(itemText(i));
        setItemData(i, n >= 1 && n <= paths.size() ? paths[n - 1] : QString(), DeviceRole);
        setItemData(i, DeviceHint(i), Qt::ToolTipRole);
    }
}

QString TComPortBox::DeviceHint(int index) const
{
    const QString dev = DevicePath(index);
    if (dev.isEmpty()) return QString();
    QString hint = Tr(QStringLiteral("%1 ouvre %2"), QStringLiteral("%1 opens %2")).arg(itemText(index), dev);
    if (!QFileInfo::exists(dev)) hint += Tr(QStringLiteral(" (absent)"), QStringLiteral(" (missing)"));
    return hint;
}

void TComPortBox::showPopup()
{
    RefreshDevices();
    // Wide enough for the device names beside the ports.
    view()->setMinimumWidth(view()->sizeHintForColumn(0) + 24);
    QComboBox::showPopup();
}

bool TComPortBox::event(QEvent* e)
{
    // The window's own hint, then the device that the chosen port opens.
    if (e->type() == QEvent::ToolTip && currentIndex() >= 0) {
        RefreshDevices();
        QString text = toolTip();
        const QString dev = DeviceHint(currentIndex());
        if (!dev.isEmpty()) text += (text.isEmpty() ? QString() : QStringLiteral("\n")) + dev;
        QToolTip::showText(static_cast<QHelpEvent*>(e)->globalPos(), text, this);
        return true;
    }
    return QComboBox::event(e);
}
