#include "FakeLink.h"

QByteArray FakeLink::Written() const
{
    QByteArray all;
    for (const QByteArray& w : Writes) all += w;
    return all;
}

void FakeLink::Open()
{
    ++Opens;
    if (OpenError) {
        int code = OpenError;
        OpenError = 0;
        throw EComPort(code, 2, QStringLiteral("/dev/fake"));
    }
    fConnected = ConnectOnOpen;
}

void FakeLink::Close()
{
    if (fConnected) ++Closes;
    fConnected = false;
}

QByteArray FakeLink::Read(int Count)
{
    ++Reads;
    if (!fConnected) throw EComPort(3, -1, QStringLiteral("the port is not open"));
    if (ReadError) throw EComPort(ReadError, 5, QStringLiteral("/dev/fake is gone"));
    QByteArray out = Incoming.left(Count);
    Incoming.remove(0, out.size());
    return out;
}

void FakeLink::Write(const QByteArray& Bytes)
{
    if (!fConnected) throw EComPort(2, -1, QStringLiteral("the port is not open"));
    if (WriteError) {
        int code = WriteError;
        WriteError = 0;
        throw EComPort(code, 5, QStringLiteral("/dev/fake"));
    }
    Writes << Bytes;
}

void FakeLink::ClearBuffer(bool Input, bool)
{
    if (Input) Incoming.clear();
}
