#include "devices/ComPorts.h"

#include "platform/IniFile.h"
#include "platform/ProgramDir.h"

#include <QDir>
#include <algorithm>

namespace {

QString& Root()
{
    static QString root = QStringLiteral("/dev");
    return root;
}

// The devices of one kind ("ttyUSB" 0, 1, ... 10, ...), by number rather than by name.
QStringList DevicesOfKind(const QDir& dir, const QString& kind)
{
    struct Entry
    {
        qulonglong number;
        QString path;
    };
    std::vector<Entry> found;
    const QStringList names = dir.entryList({kind + QLatin1Char('*')},
                                            QDir::Files | QDir::System | QDir::NoDotAndDotDot, QDir::NoSort);
    for (const QString& name : names) {
        const QString digits = name.mid(kind.size());
        bool ok = !digits.isEmpty();
        for (QChar c : digits) ok = ok && c.isDigit() && c.unicode() < 128;
        if (!ok) continue;
        found.push_back({digits.toULongLong(), dir.filePath(name)});
    }
    std::sort(found.begin(), found.end(), [](const Entry& a, const Entry& b) { return a.number < b.number; });
    QStringList out;
    for (const Entry& e : found) out << e.path;
    return out;
}

QString Resolve(int n, const TIniFile& ini, const QStringList& usb)
{
    const QString dev =
        ini.ReadString(QStringLiteral("Interface"), QStringLiteral("Device_COM%1").arg(n), QString())
            .trimmed();
    if (!dev.isEmpty()) return dev;
    if (n >= 1 && n <= usb.size()) return usb[n - 1];
    return QDir(Root()).filePath(QStringLiteral("ttyS%1").arg(n - 1));
}

} // namespace

QString NormalizeComPort(const QString& text)
{
    QString t = text;
    if (t.left(3).toUpper() == QLatin1String("COM")) t = t.mid(3);
    bool ok = false;
    int n = t.trimmed().toInt(&ok);
    if (!ok || n < 1 || n > 96) n = 1;
    return QStringLiteral("COM%1").arg(n);
}

int ComPortNumber(const QString& port)
{
    return NormalizeComPort(port).mid(3).toInt();
}

QString ComDeviceRoot()
{
    return Root();
}

void SetComDeviceRoot(const QString& dir)
{
    Root() = dir.isEmpty() ? QStringLiteral("/dev") : dir;
}

QStringList UsbSerialDevices()
{
    const QDir dir(Root());
    QStringList out;
    for (const char* kind : {"ttyUSB", "ttyACM", "rfcomm"})
        out += DevicesOfKind(dir, QString::fromLatin1(kind));
    return out;
}

QString ComDevicePath(const QString& port)
{
    const TIniFile ini(IniFileName());
    return Resolve(ComPortNumber(port), ini, UsbSerialDevices());
}

QStringList ComDevicePaths(int count)
{
    const TIniFile ini(IniFileName());
    const QStringList usb = UsbSerialDevices();
    QStringList out;
    for (int n = 1; n <= count; ++n) out << Resolve(n, ini, usb);
    return out;
}
