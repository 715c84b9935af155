#pragma once
// A serial line over termios: raw mode, non-blocking, exclusive use of the device, and the
// few line operations the serial-port component needs (purge, queue counts, modem lines,
// error counters). A pseudo-terminal works as a line: the modem-line and error-counter
// queries that it refuses answer "nothing set" instead of failing.
//
// Every call that fails returns false (or -1) and leaves the system's error code in
// LastError(); Reason() turns a code into the system's text.
#include <QString>
#include <cstddef>
#include <cstdint>

struct SerialLineSettings
{
    enum StopBits
    {
        Stop1,
        Stop1_5,
        Stop2
    };
    enum Parity
    {
        ParityNone,
        ParityOdd,
        ParityEven,
        ParityMark,
        ParitySpace
    };
    enum Line
    {
        LineOff,
        LineOn,
        LineHandshake
    };

    int32_t Baud = 9600; // any positive rate; the standard ones go through the classic codes
    int DataBits = 8;    // 5..8
    StopBits Stop = Stop1;
    Parity ParityBits = ParityNone;
    bool ParityCheck = false;   // check parity on input
    bool ParityReplace = false; // bytes received with a parity or framing error read as ReplaceChar
    uint8_t ReplaceChar = 0;
    bool DiscardNull = false; // null bytes received are dropped
    bool XonXoffOut = false;  // output stops on XOFF
    bool XonXoffIn = false;   // XOFF is sent when the input fills up
    uint8_t XonChar = 17, XoffChar = 19;
    Line Dtr = LineOff;  // DTR off, on, or handshake (left to the driver)
    Line Rts = LineOff;  // RTS off, on, or handshake (RTS/CTS flow control)
    bool CtsOut = false; // output waits for CTS (RTS/CTS flow control)
};

class SerialLine
{
public:
    enum ModemLine : unsigned
    {
        ModemCts = 1,
        ModemDsr = 2,
        ModemRing = 4,
        ModemRlsd = 8
    };
    struct ErrorCounts
    {
        uint32_t Frame = 0, Parity = 0, Overrun = 0, Break = 0, BufferOverrun = 0;
    };
    // Result of a read or write that did not fail.
    enum class Io
    {
        Ok,
        HungUp,
        Failed
    };

    SerialLine() = default;
    ~SerialLine();
    SerialLine(const SerialLine&) = delete;
    SerialLine& operator=(const SerialLine&) = delete;

    // Opens the device for reading and writing, non-blocking, without becoming its controlling
    // terminal, and takes it for this process alone (a second open of the same device is
    // refused with EBUSY). The line is put in raw mode at once.
    bool Open(const QString& path);
    bool IsOpen() const { return fFd >= 0; }
    const QString& Path() const { return fPath; }
    int Fd() const { return fFd; }

    bool Apply(const SerialLineSettings& s);

    // Reads at most count bytes that are already there; never waits. Returns the number of
    // bytes (0 when none) with io Ok; HungUp when the device is gone (end of file, hang-up,
    // I/O error); Failed for any other error. The result is -1 unless io is Ok.
    long Read(void* buffer, size_t count, Io& io);
    // Writes what the driver takes at once (0 when it takes nothing now).
    long Write(const void* data, size_t count, Io& io);
    // Waits at most ms milliseconds (-1: no limit) until a read or a write can go on.
    // False on time-out or error (LastError() 0 on time-out).
    bool WaitReadable(int ms);
    bool WaitWritable(int ms);

    bool Purge(bool input, bool output);
    bool InputQueue(int& count);
    bool OutputQueue(int& count);
    // Modem status lines as a set of ModemLine bits; a line that refuses the query answers 0.
    bool ModemLines(unsigned& lines);
    // Cumulative error counters of the driver; a line without counters answers zeros.
    bool Errors(ErrorCounts& counts);

    // Waits at most ms milliseconds until every byte written has left the line (the driver's
    // queue and the device's own transmitter). False when it could not: LastError() is
    // ETIMEDOUT when the time ran out, the system's code when the line failed.
    bool Drain(int ms);
    // Waits at most drainMs for the output to leave (see Drain; 0 does not wait), discards what
    // could not leave and what was received but not read, gives the device back and closes
    // it. Always leaves the line closed; false when some output could not leave (LastError()
    // says why).
    bool Close(int drainMs);

    int LastError() const { return fErr; }
    static QString Reason(int err);

private:
    bool Fail();
    // False with EBADF when the line is not open.
    bool CheckOpen();
    // The byte count a FIONREAD-like request answers.
    bool QueueCount(unsigned long request, int& count);
    bool WaitFor(short events, int ms);
    long TranslateInput(unsigned char* buf, long n);

    int fFd = -1;
    int fErr = 0;
    QString fPath;
    bool fLocked = false;
    bool fMarkErrors = false; // input comes with the \377 \0 marks of bad bytes
    bool fDiscardNull = false;
    uint8_t fReplaceChar = 0;
    int fMarkState = 0; // 0 plain, 1 after \377, 2 after \377 \0
};
