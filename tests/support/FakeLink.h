#pragma once
// A serial link for unit tests of the device sessions: the test queues what the device
// "sends", reads back what the session wrote, and makes the port fail on demand.
#include "devices/DeviceSession.h"

#include <QByteArray>
#include <QList>
#include <QString>

class FakeLink : public ISerialLink
{
public:
    // Settings the session asked for.
    QString Port;
    TBaudRate BaudRate = br9600;
    TStopBits StopBits = sbOneStopBit;
    int Opens = 0, Closes = 0, Reads = 0;

    // Bytes the device has sent and the session has not read yet.
    QByteArray Incoming;
    // Every write of the session, one entry per call.
    QList<QByteArray> Writes;
    QByteArray Written() const;

    // Failures: code of the EComPort the next Open / Read / Write raises (0: none). A read
    // failure stays until cleared (a device that is gone).
    int OpenError = 0, ReadError = 0, WriteError = 0;
    // A port that opens without error but does not connect.
    bool ConnectOnOpen = true;

    void SetPort(const QString& p) override { Port = p; }
    void SetBaudRate(TBaudRate r) override { BaudRate = r; }
    void SetStopBits(TStopBits b) override { StopBits = b; }
    void Open() override;
    void Close() override;
    bool Connected() const override { return fConnected; }
    QByteArray Read(int Count) override;
    void Write(const QByteArray& Bytes) override;
    void ClearBuffer(bool Input, bool Output) override;

private:
    bool fConnected = false;
};

// Recording user side: status text, progress, prompts (answers from a queue, default OK),
// and a timer that only remembers its state.
class FakeDeviceUi : public IDeviceStatus, public IDeviceProgress, public TMsgPrompts, public IDeviceTimer
{
public:
    QString Text;
    QList<QString> Infos;
    int Progress = 0;
    bool Enabled = false;
    int IntervalMs = 200;

    TDeviceUi Ui()
    {
        TDeviceUi u;
        u.Status = this;
        u.Progress = this;
        u.Prompts = this;
        u.Timer = this;
        return u;
    }
    void SetInfo(const QString& t) override
    {
        Text = t;
        Infos << t;
    }
    QString InfoText() const override { return Text; }
    void SetProgress(int p) override { Progress = p; }
    void SetTimerEnabled(bool on) override { Enabled = on; }
    bool TimerEnabled() const override { return Enabled; }
    void SetTimerInterval(int ms) override { IntervalMs = ms; }
    int TimerInterval() const override { return IntervalMs; }
};
