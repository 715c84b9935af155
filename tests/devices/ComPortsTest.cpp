// Which device each port name opens, with a folder of links to pseudo-terminals standing in for
// the system's device folder; the port list of the windows shows it.
#include "devices/CPort.h"
#include "devices/ComPortBox.h"
#include "devices/DeviceForm.h"
#include "platform/IniFile.h"
#include "platform/ProgramDir.h"
#include "support/PtyFixture.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace {

// A device folder of its own for the length of a test.
class ComPortDevices : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    std::vector<std::unique_ptr<PtyFixture>> ptys;

    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        SetComDeviceRoot(dir.path());
    }
    void TearDown() override { SetComDeviceRoot(QString()); }
    // A device of that name linked to a fresh pseudo-terminal.
    PtyFixture& Device(const QString& name)
    {
        ptys.push_back(std::make_unique<PtyFixture>());
        EXPECT_TRUE(ptys.back()->Ok());
        EXPECT_TRUE(QFile::link(ptys.back()->SlavePath(), dir.filePath(name)));
        return *ptys.back();
    }
    QString Path(const QString& name) const { return dir.filePath(name); }
};

} // namespace

TEST_F(ComPortDevices, UsbThenAcmThenBluetoothEachByNumberThenBuiltInPorts)
{
    PtyFixture& usb10 = Device("ttyUSB10");
    Device("ttyUSB2");
    PtyFixture& acm0 = Device("ttyACM0");
    Device("rfcomm0");
    PtyFixture& s5 = Device("ttyS5");
    Device("ttyS0");
    // Names that are no numbered device of these kinds.
    for (const char* other : {"ttyUSB", "ttyACMx", "ttyUSB1a", "tty0", "rfcomm"}) {
        QFile f(Path(other));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    EXPECT_EQ(UsbSerialDevices(),
              QStringList({Path("ttyUSB2"), Path("ttyUSB10"), Path("ttyACM0"), Path("rfcomm0")}));
    const struct
    {
        const char* port;
        const char* device;
    } table[] = {{"COM1", "ttyUSB2"}, {"COM2", "ttyUSB10"}, {"COM3", "ttyACM0"}, {"COM4", "rfcomm0"},
                 {"COM5", "ttyS4"},   {"COM6", "ttyS5"},    {"COM96", "ttyS95"}};
    for (const auto& row : table) EXPECT_EQ(ComDevicePath(row.port), Path(row.device)) << row.port;
    EXPECT_EQ(ComDevicePaths(6).value(2), Path("ttyACM0"));

    // The INI key still overrides, for that port only.
    ASSERT_TRUE(TIniFile(IniFileName()).WriteString("Interface", "Device_COM2", " /dev/my-gps "));
    EXPECT_EQ(ComDevicePath("COM2"), "/dev/my-gps");
    EXPECT_EQ(ComDevicePaths(3), QStringList({Path("ttyUSB2"), "/dev/my-gps", Path("ttyACM0")}));
    ASSERT_TRUE(TIniFile(IniFileName()).DeleteKey("Interface", "Device_COM2"));

    // Each port talks to its own device.
    for (auto [port, pty] :
         {std::pair<const char*, PtyFixture*>{"COM2", &usb10}, {"COM3", &acm0}, {"COM6", &s5}}) {
        TComPort p;
        p.SetPort(port);
        std::unique_ptr<TComAsync> a;
        TComPort::InitAsync(a);
        ASSERT_NO_THROW(p.Open()) << port;
        p.WriteStrAsync(QByteArray("to ") + port, a.get());
        p.Close();
        EXPECT_EQ(pty->ReadMasterExactly(7), QByteArray("to ") + port);
    }

    // A port that opens nothing says which port and which device it tried, and why.
    TComPort p;
    p.SetPort("COM7");
    try {
        p.Open();
        ADD_FAILURE() << "COM7 opened";
    } catch (const EComPort& e) {
        EXPECT_EQ(e.Code, 1);
        EXPECT_EQ(e.Message(),
                  QStringLiteral("Impossible d'ouvrir le port COM7 (%1 : No such file or directory).")
                      .arg(Path("ttyS6")));
    }
}

TEST_F(ComPortDevices, PortListShowsTheDeviceOfEveryEntry)
{
    TDeviceForm form;
    auto* box = qobject_cast<TComPortBox*>(form.ComNbEdit);
    ASSERT_NE(box, nullptr);
    Device("ttyACM0");
    box->RefreshDevices();
    EXPECT_EQ(box->itemText(0), "COM1") << "the entries keep their names";
    EXPECT_EQ(box->DevicePath(0), Path("ttyACM0"));
    EXPECT_EQ(box->itemData(0, Qt::ToolTipRole).toString(), "COM1 ouvre " + Path("ttyACM0"));
    EXPECT_EQ(box->itemData(1, Qt::ToolTipRole).toString(), "COM2 ouvre " + Path("ttyS1") + " (absent)");
    // A device plugged in later shows when the list opens again.
    Device("rfcomm3");
    form.show();
    box->showPopup();
    EXPECT_EQ(box->DevicePath(1), Path("rfcomm3"));
    box->hidePopup();
}
