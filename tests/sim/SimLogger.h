#pragma once
// A serial flight logger that answers short ASCII commands ended by CR LF: each command it
// knows ("!SYNC", "!OUT", "!RATE,hhhh", "!RECORD", "!CLEAR", "!CODE,...", "!RELAY,..",
// "!DIST,..") is answered by a line beginning "OKAY"; "!OUT" is answered by "OKAY" followed by
// the memory dump (one "Date ddmmyy" header line per flight, then one line per fix).
#include "SimDevice.h"

#include <QStringList>

class TSimLogger : public TSimDevice
{
public:
    using TSimDevice::TSimDevice;

    QByteArray Dump;      // memory dump sent after the "OKAY" of "!OUT"
    QStringList Commands; // every command line received, without CR LF
    QString Rate;         // the last "!RATE" value
    bool Cleared = false;
    bool Recording = true;

protected:
    void OnBytes(const QByteArray& bytes) override;

private:
    QByteArray fLine;
};
