// A serial link for the device-session fuzz targets: the input is cut into the chunks that
// each tick finds waiting (the first byte of each chunk gives its length), as a device that
// writes in odd pieces would deliver it.
#pragma once

#include "devices/DeviceSession.h"

#include <QByteArray>
#include <QList>
#include <cstdint>

namespace fuzz {

class ChunkLink : public ISerialLink
{
public:
    QList<QByteArray> Chunks;
    QByteArray Pending;
    bool Open_ = false;

    void SetPort(const QString&) override {}
    void SetBaudRate(TBaudRate) override {}
    void SetStopBits(TStopBits) override {}
    void Open() override { Open_ = true; }
    void Close() override { Open_ = false; }
    bool Connected() const override { return Open_; }
    QByteArray Read(int Count) override
    {
        if (!Chunks.isEmpty()) Pending += Chunks.takeFirst();
        const QByteArray out = Pending.left(Count);
        Pending.remove(0, out.size());
        return out;
    }
    void Write(const QByteArray&) override {}
    void ClearBuffer(bool Input, bool) override
    {
        if (Input) Pending.clear();
    }

    void Cut(const uint8_t* data, size_t size)
    {
        size_t i = 0;
        while (i < size) {
            const size_t n = std::min<size_t>(data[i] % 64 + 1, size - i - 1);
            ++i;
            Chunks << QByteArray(reinterpret_cast<const char*>(data + i), qsizetype(n));
            i += n;
            if (n == 0) break;
        }
    }
};

// A timer that only remembers its state.
class Timer : public IDeviceTimer
{
public:
    bool On = false;
    int Ms = 200;
    void SetTimerEnabled(bool o) override { On = o; }
    bool TimerEnabled() const override { return On; }
    void SetTimerInterval(int m) override { Ms = m; }
    int TimerInterval() const override { return Ms; }
};

// What a session under fuzzing talks to. With a mode byte, the input's first byte chooses the
// target's options and the rest feeds the link; without, the whole input does.
struct SessionRig
{
    ChunkLink link;
    Timer timer;
    TMsgPrompts prompts;
    TDeviceUi ui;
    uint8_t mode = 0;

    SessionRig(const uint8_t* data, size_t size, bool ModeByte)
    {
        if (ModeByte && size > 0) {
            mode = data[0];
            ++data;
            --size;
        }
        link.Cut(data, size);
        ui.Timer = &timer;
        ui.Prompts = &prompts;
    }
    SessionRig(const SessionRig&) = delete;
    SessionRig& operator=(const SessionRig&) = delete;
};

} // namespace fuzz
