#pragma once
// Which device each port name "COM1".."COM96" opens on this system.
//
// COMn opens, in this order of preference:
//   - the device named by key "Device_COMn" of section "Interface" of the INI file;
//   - the n-th of the USB and Bluetooth serial devices present: /dev/ttyUSB*, then
//     /dev/ttyACM* (USB CDC: most loggers and USB receivers), then /dev/rfcomm* (Bluetooth),
//     each kind in the order of its number;
//   - /dev/ttyS(n-1), the built-in ports.
#include <QString>
#include <QStringList>

// "COMn" from any port text: "com3", "3" and "COM3" give "COM3"; a number outside 1..96 or a
// text that is not one gives "COM1". And the number n of a port text.
QString NormalizeComPort(const QString& text);
int ComPortNumber(const QString& port);

// The folder that holds the devices ("/dev"); tests point it at a folder of their own.
QString ComDeviceRoot();
void SetComDeviceRoot(const QString& dir);

// The USB and Bluetooth serial devices present, as full paths, in the order COM1, COM2... take
// them.
QStringList UsbSerialDevices();

// Device path of a port name.
QString ComDevicePath(const QString& port);
// Device paths of COM1..COMcount (the INI file and the device folder read once).
QStringList ComDevicePaths(int count);
