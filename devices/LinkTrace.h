#pragma once
// The link-trace file of the device windows: every unit sent to or received from a device,
// in hexadecimal, in "_Zph-" n ".log" of the program folder (n the smallest free number).
//
// An entry is a first line "mm ss Tx" (or " Rx") followed by up to 16 bytes as " HH", then
// lines of eight blanks and up to 16 more bytes each. Every character of a line but its CR LF
// end has its top bit flipped; a reader restores a line by flipping it again.
//
// A file that cannot be created or written is reported once; logging then stops and the
// transfer goes on.
#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTime>
#include <functional>

class TLinkTrace
{
public:
    using ClockFn = std::function<QTime()>;
    using ReportFn = std::function<void(const QString& message)>;

    TLinkTrace();
    ~TLinkTrace();
    TLinkTrace(const TLinkTrace&) = delete;
    TLinkTrace& operator=(const TLinkTrace&) = delete;

    // Creates the next free file in dir (the program folder by default). False when it could
    // not be created (reported).
    bool Open(const QString& dir = QString());
    // One entry; nothing for no bytes or when the file is not open.
    void Write(bool tx, const QByteArray& bytes);
    void Close();
    bool IsOpen() const { return fFile.isOpen(); }
    QString FileName() const { return fFile.fileName(); }

    // Local time of the entries (tests fix it) and where failures are reported (by default
    // an error box).
    void SetClock(ClockFn clock) { fClock = std::move(clock); }
    void SetReporter(ReportFn report) { fReport = std::move(report); }

    // The bytes of one entry as they go into the file.
    static QByteArray EntryBytes(const QTime& time, bool tx, const QByteArray& bytes);
    // dir + "/_Zph-" + n + ".log" for the smallest n with no such file.
    static QString FreeFileName(const QString& dir);

private:
    void Fail(const QString& message);
    // Reports a failed write with the system's reason.
    void WriteFailed(int err);

    QFile fFile;
    ClockFn fClock;
    ReportFn fReport;
};
