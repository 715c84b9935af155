#pragma once
// Running a device window's session against its simulated device up to a chosen moment, and
// reading what the window wrote since the device last read.
#include "devices/DeviceSession.h"
#include "sim/SimDevice.h"
#include "support/PtyFixture.h"

#include <QByteArray>
#include <functional>
#include <memory>

// Ticks the session on a clock of its own (40 ms a tick), the device answering between ticks,
// until Ready holds right after a tick (the device has not read that tick's output yet).
inline bool DriveUntil(TDeviceSession& s, TSimDevice& dev, PtyFixture& pty, const std::function<bool()>& Ready,
                       int maxTicks = 3000)
{
    auto now = std::make_shared<qint64>(0);
    s.Clock = [now] { return *now; };
    for (int i = 0; i < maxTicks && s.Running(); ++i) {
        s.Tick();
        *now += 40;
        if (Ready()) return true;
        dev.Pump(1);
        pty.WaitSlaveQueued(1, 2);
    }
    return false;
}

// Every byte the window wrote since the device last read.
inline QByteArray UnreadBytes(PtyFixture& pty)
{
    QByteArray got = pty.ReadMaster(200);
    for (QByteArray more; !(more = pty.ReadMaster(20)).isEmpty();) got += more;
    return got;
}

// The text sentence "$" Body "*" checksum CR LF that Bytes ends with, or nothing.
inline QByteArray LastSentence(const QByteArray& Bytes)
{
    const qsizetype start = Bytes.lastIndexOf('$');
    const qsizetype star = Bytes.lastIndexOf('*');
    if (start < 0 || star < start) return QByteArray();
    const QByteArray body = Bytes.mid(start + 1, star - start - 1);
    return Bytes.mid(start) == NmeaSentence(body) ? body : QByteArray();
}
