#pragma once
// The port list of the device windows: its entries stay "COM1", "COM2"..., and each shows,
// when the list opens and in its hint, the device it opens on this system (devices/ComPorts.h),
// so that a receiver on /dev/ttyACM0 or /dev/rfcomm0 can be found without editing a file.
#include <QComboBox>

class TComPortBox : public QComboBox
{
    Q_OBJECT
public:
    // The item role that holds an entry's device path.
    static constexpr int DeviceRole = Qt::UserRole + 7;

    explicit TComPortBox(QWidget* parent = nullptr);

    // Looks again at the devices present and at the INI file.
    void RefreshDevices();
    QString DevicePath(int index) const { return itemData(index, DeviceRole).toString(); }
    // "COM3 ouvre /dev/ttyACM0" (and "absent" when no such device is there).
    QString DeviceHint(int index) const;

    void showPopup() override;

protected:
    bool event(QEvent* e) override;
};
