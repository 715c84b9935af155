#pragma once
// A serial flight logger that answers short ASCII commands ended by CR LF: each command it
// knows ("!SYNC", "!OUT", "!RATE,hhhh", "!RECORD", "!CLEAR", "!CODE,...", "!RELAY,..",
// "!DIST,..") is answered by a line beginning "OKAY"; "!OUT" is answered by "OKAY" followed by
// the memory dump (one "Date ddmmyy" header line per flight, then one line per fix).
// AnswerDelayMs holds every answer back that long (a slow logger: the host repeats its command
// meanwhile, and each copy is answered in turn).
#include "SimDevice.h"

#include <QStringList>
#include <chrono>

class TSimLogger : public TSimDevice
{
public:
    using TSimDevice::TSimDevice;

    QByteArray Dump;      // memory dump sent after the "OKAY" of "!OUT"
    QStringList Commands; // every command line received, without CR LF
    QString Rate;         // the last "!RATE" value
    bool Cleared = false;
    bool Recording = true;
    int AnswerDelayMs = 0;
    // Answers held back and not sent yet.
    int LateAnswers() const { return int(fLate.size()); }

    // A dump made of DAT texts (header and fix lines, CR LF), one after the other; with
    // starFirst the first header is written behind a "*".
    static QByteArray DumpOf(const QList<QByteArray>& datTexts, bool starFirst = false);

protected:
    void OnBytes(const QByteArray& bytes) override;
    void OnIdle() override;

private:
    void Answer(const QByteArray& a);
    QByteArray fLine;
    QList<std::pair<std::chrono::steady_clock::time_point, QByteArray>> fLate;
};
