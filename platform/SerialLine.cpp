#include "platform/SerialLine.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <fcntl.h>
#include <linux/serial.h>
#include <memory>
#include <mutex>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <system_error>
#include <termios.h>
#include <thread>
#include <unistd.h>

// The kernel's termios with free input and output speeds (glibc's termios only knows the
// classic speed codes). The layout is the kernel's; the ioctl numbers TCGETS2 / TCSETS2 name it.
struct termios2
{
    tcflag_t c_iflag;
    tcflag_t c_oflag;
    tcflag_t c_cflag;
    tcflag_t c_lflag;
    cc_t c_line;
    cc_t c_cc[19];
    speed_t c_ispeed;
    speed_t c_ospeed;
};
#ifndef BOTHER
#define BOTHER 0010000
#endif
#ifndef IBSHIFT
#define IBSHIFT 16
#endif

namespace {

struct SpeedCode
{
    int32_t rate;
    tcflag_t code;
};
constexpr SpeedCode kSpeeds[] = {
    {50, B50},           {75, B75},           {110, B110},         {134, B134},         {150, B150},
    {200, B200},         {300, B300},         {600, B600},         {1200, B1200},       {1800, B1800},
    {2400, B2400},       {4800, B4800},       {9600, B9600},       {19200, B19200},     {38400, B38400},
    {57600, B57600},     {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000}, {1500000, B1500000},
    {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000}, {3500000, B3500000}, {4000000, B4000000},
};

// Errors by which a driver says it has no such line operation (a pseudo-terminal has no modem
// lines and no error counters).
bool Refused(int err)
{
    return err == ENOTTY || err == EINVAL || err == ENOSYS || err == EOPNOTSUPP;
}

} // namespace

SerialLine::~SerialLine()
{
    Close(0);
}

bool SerialLine::Fail()
{
    fErr = errno;
    return false;
}

bool SerialLine::CheckOpen()
{
    if (fFd >= 0) return true;
    fErr = EBADF;
    return false;
}

QString SerialLine::Reason(int err)
{
    if (err == 0) return QStringLiteral("time-out");
    return QString::fromLocal8Bit(std::strerror(err));
}

bool SerialLine::Open(const QString& path)
{
    Close(0);
    fErr = 0;
    fPath = path;
    const QByteArray native = path.toLocal8Bit();
    int fd = ::open(native.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return Fail();
    bool exclusive = false; // set only once the device is ours: never clear another user's
    auto giveUp = [&](int err) {
        if (exclusive) ::ioctl(fd, TIOCNXCL);
        ::close(fd);
        fErr = err;
        return false;
    };
    if (!::isatty(fd)) return giveUp(ENOTTY);
    // Exclusive use: the lock keeps out every other user of the device (root included, whom
    // the terminal's exclusive mode does not stop).
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) return giveUp(errno == EWOULDBLOCK ? EBUSY : errno);
    exclusive = ::ioctl(fd, TIOCEXCL) == 0;

    termios2 t{};
    if (::ioctl(fd, TCGETS2, &t) != 0) return giveUp(errno);
    t.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY | INPCK |
                   IGNPAR | IUCLC | IMAXBEL);
    t.c_oflag &= ~OPOST;
    t.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN | ECHOE | ECHOK | ECHOCTL | ECHOKE);
    t.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    t.c_cflag |= CS8 | CREAD | CLOCAL;
    // One byte at least per read: with the non-blocking flag an empty queue then answers
    // "try again", and a read of nothing means the device hung up.
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    if (::ioctl(fd, TCSETS2, &t) != 0) return giveUp(errno);
    fFd = fd;
    fLocked = true;
    fMarkErrors = false;
    fDiscardNull = false;
    fMarkState = 0;
    return true;
}

bool SerialLine::Apply(const SerialLineSettings& s)
{
    if (!CheckOpen()) return false;
    termios2 t{};
    if (::ioctl(fFd, TCGETS2, &t) != 0) return Fail();

    t.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT));
    tcflag_t code = BOTHER;
    for (const SpeedCode& sc : kSpeeds)
        if (sc.rate == s.Baud) code = sc.code;
    if (s.Baud <= 0) {
        fErr = EINVAL;
        return false;
    }
    t.c_cflag |= code | (code << IBSHIFT);
    t.c_ispeed = t.c_ospeed = static_cast<speed_t>(s.Baud);

    t.c_cflag &= ~CSIZE;
    switch (s.DataBits) {
    case 5:
        t.c_cflag |= CS5;
        break;
    case 6:
        t.c_cflag |= CS6;
        break;
    case 7:
        t.c_cflag |= CS7;
        break;
    default:
        t.c_cflag |= CS8;
        break;
    }
    // termios has no 1.5 stop bits: the second stop-bit setting gives 1.5 with 5 data bits on
    // the usual UARTs, as on the other system.
    if (s.Stop == SerialLineSettings::Stop1)
        t.c_cflag &= ~CSTOPB;
    else
        t.c_cflag |= CSTOPB;

    t.c_cflag &= ~(PARENB | PARODD | CMSPAR);
    switch (s.ParityBits) {
    case SerialLineSettings::ParityNone:
        break;
    case SerialLineSettings::ParityOdd:
        t.c_cflag |= PARENB | PARODD;
        break;
    case SerialLineSettings::ParityEven:
        t.c_cflag |= PARENB;
        break;
    case SerialLineSettings::ParityMark:
        t.c_cflag |= PARENB | CMSPAR | PARODD;
        break;
    case SerialLineSettings::ParitySpace:
        t.c_cflag |= PARENB | CMSPAR;
        break;
    }
    // A byte with a parity error passes as received unless it is to be replaced; then the
    // driver marks it (\377 \0 byte) and the read puts the replacement in its place.
    t.c_iflag &= ~(INPCK | PARMRK | IGNPAR);
    const bool mark = s.ParityCheck && s.ParityReplace && s.ParityBits != SerialLineSettings::ParityNone;
    if (mark) t.c_iflag |= INPCK | PARMRK;

    t.c_iflag &= ~(IXON | IXOFF | IXANY);
    if (s.XonXoffOut) t.c_iflag |= IXON;
    if (s.XonXoffIn) t.c_iflag |= IXOFF;
    t.c_cc[VSTART] = s.XonChar;
    t.c_cc[VSTOP] = s.XoffChar;

    if (s.Rts == SerialLineSettings::LineHandshake || s.CtsOut)
        t.c_cflag |= CRTSCTS;
    else
        t.c_cflag &= ~CRTSCTS;

    if (::ioctl(fFd, TCSETS2, &t) != 0) return Fail();
    if (mark != fMarkErrors) fMarkState = 0;
    fMarkErrors = mark;
    fReplaceChar = s.ReplaceChar;
    fDiscardNull = s.DiscardNull;

    // DTR and RTS: a line without modem lines refuses, which is no error.
    auto setLine = [&](int bit, bool on) {
        int bits = bit;
        if (::ioctl(fFd, on ? TIOCMBIS : TIOCMBIC, &bits) != 0 && !Refused(errno)) return Fail();
        return true;
    };
    if (s.Dtr != SerialLineSettings::LineHandshake &&
        !setLine(TIOCM_DTR, s.Dtr == SerialLineSettings::LineOn))
        return false;
    if (s.Rts != SerialLineSettings::LineHandshake && !(t.c_cflag & CRTSCTS) &&
        !setLine(TIOCM_RTS, s.Rts == SerialLineSettings::LineOn))
        return false;
    return true;
}

long SerialLine::TranslateInput(unsigned char* buf, long n)
{
    long out = 0;
    for (long i = 0; i < n; ++i) {
        unsigned char c = buf[i];
        if (fMarkErrors) {
            if (fMarkState == 1) {
                fMarkState = 0;
                if (c == 0) {
                    fMarkState = 2;
                    continue;
                }
                // \377 \377 is one \377; anything else after \377 is kept as it came
                if (c != 0377) buf[out++] = 0377;
            } else if (fMarkState == 2) {
                fMarkState = 0;
                c = fReplaceChar;
            } else if (c == 0377) {
                fMarkState = 1;
                continue;
            }
        }
        if (fDiscardNull && c == 0) continue;
        buf[out++] = c;
    }
    return out;
}

long SerialLine::Read(void* buffer, size_t count, Io& io)
{
    io = Io::Failed;
    if (!CheckOpen()) return -1;
    if (count == 0) {
        io = Io::Ok;
        return 0;
    }
    for (;;) {
        ssize_t n = ::read(fFd, buffer, count);
        if (n > 0) {
            io = Io::Ok;
            long kept = TranslateInput(static_cast<unsigned char*>(buffer), n);
            return kept;
        }
        if (n == 0) {
            fErr = EIO;
            io = Io::HungUp;
            return -1;
        }
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            io = Io::Ok;
            return 0;
        }
        fErr = errno;
        io = (fErr == EIO || fErr == ENXIO || fErr == ENODEV) ? Io::HungUp : Io::Failed;
        return -1;
    }
}

long SerialLine::Write(const void* data, size_t count, Io& io)
{
    io = Io::Failed;
    if (!CheckOpen()) return -1;
    if (count == 0) {
        io = Io::Ok;
        return 0;
    }
    for (;;) {
        ssize_t n = ::write(fFd, data, count);
        if (n >= 0) {
            io = Io::Ok;
            return n;
        }
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            io = Io::Ok;
            return 0;
        }
        fErr = errno;
        io = (fErr == EIO || fErr == ENXIO || fErr == ENODEV || fErr == EPIPE) ? Io::HungUp : Io::Failed;
        return -1;
    }
}

bool SerialLine::WaitFor(short events, int ms)
{
    if (!CheckOpen()) return false;
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(ms < 0 ? 0 : ms);
    for (;;) {
        int left = -1;
        if (ms >= 0)
            left = static_cast<int>(std::max<long long>(
                0, std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count()));
        pollfd p{fFd, events, 0};
        int r = ::poll(&p, 1, left);
        if (r > 0) return true; // ready, or hung up: the next read or write says which
        if (r == 0) {
            fErr = 0;
            return false;
        }
        if (errno != EINTR) return Fail();
    }
}

bool SerialLine::WaitReadable(int ms)
{
    return WaitFor(POLLIN, ms);
}

bool SerialLine::WaitWritable(int ms)
{
    return WaitFor(POLLOUT, ms);
}

bool SerialLine::Purge(bool input, bool output)
{
    if (!CheckOpen()) return false;
    if (!input && !output) return true;
    int which = input && output ? TCIOFLUSH : input ? TCIFLUSH : TCOFLUSH;
    if (::ioctl(fFd, TCFLSH, which) != 0) return Fail();
    if (input) fMarkState = 0;
    return true;
}

bool SerialLine::QueueCount(unsigned long request, int& count)
{
    count = 0;
    if (!CheckOpen()) return false;
    if (::ioctl(fFd, request, &count) != 0) return Fail();
    return true;
}

bool SerialLine::InputQueue(int& count)
{
    return QueueCount(FIONREAD, count);
}

bool SerialLine::OutputQueue(int& count)
{
    return QueueCount(TIOCOUTQ, count);
}

bool SerialLine::ModemLines(unsigned& lines)
{
    lines = 0;
    if (!CheckOpen()) return false;
    int bits = 0;
    if (::ioctl(fFd, TIOCMGET, &bits) != 0) {
        if (Refused(errno)) return true;
        return Fail();
    }
    if (bits & TIOCM_CTS) lines |= ModemCts;
    if (bits & TIOCM_DSR) lines |= ModemDsr;
    if (bits & TIOCM_RI) lines |= ModemRing;
    if (bits & TIOCM_CD) lines |= ModemRlsd;
    return true;
}

bool SerialLine::Errors(ErrorCounts& counts)
{
    counts = ErrorCounts{};
    if (!CheckOpen()) return false;
    serial_icounter_struct ic{};
    if (::ioctl(fFd, TIOCGICOUNT, &ic) != 0) {
        if (Refused(errno)) return true;
        return Fail();
    }
    counts.Frame = static_cast<uint32_t>(ic.frame);
    counts.Parity = static_cast<uint32_t>(ic.parity);
    counts.Overrun = static_cast<uint32_t>(ic.overrun);
    counts.Break = static_cast<uint32_t>(ic.brk);
    counts.BufferOverrun = static_cast<uint32_t>(ic.buf_overrun);
    return true;
}

bool SerialLine::Drain(int ms)
{
    if (!CheckOpen()) return false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(ms, 0));
    // tcdrain() returns only once the last bit has left the transmitter, but takes no time
    // limit: it runs in a helper thread on a descriptor of its own. A drain that outlives the
    // limit ends by itself when the output is discarded (as closing does) or the device goes.
    struct State
    {
        std::mutex m;
        std::condition_variable cv;
        bool done = false;
        int err = 0;
    };
    auto st = std::make_shared<State>();
    const int fd = ::fcntl(fFd, F_DUPFD_CLOEXEC, 0);
    if (fd < 0) return Fail();
    try {
        std::thread([st, fd] {
            int r = 0;
            do r = ::tcdrain(fd);
            while (r != 0 && errno == EINTR);
            const int err = r == 0 ? 0 : errno;
            ::close(fd);
            std::lock_guard<std::mutex> g(st->m);
            st->done = true;
            st->err = err;
            st->cv.notify_all();
        }).detach();
    } catch (const std::system_error& e) {
        ::close(fd);
        fErr = e.code().value();
        return false;
    }
    std::unique_lock<std::mutex> g(st->m);
    if (!st->cv.wait_until(g, deadline, [&] { return st->done; })) {
        fErr = ETIMEDOUT;
        return false;
    }
    fErr = st->err;
    return fErr == 0;
}

bool SerialLine::Close(int drainMs)
{
    if (fFd < 0) return true;
    // The output leaves first. Only what could not leave in time is discarded (closing a
    // terminal would otherwise wait up to half a minute for it): discarding the output of a
    // pseudo-terminal throws away what its other side has not read yet, so a last command
    // written just before closing would be lost.
    const bool drained = drainMs > 0 && Drain(drainMs);
    const int err = drained ? 0 : drainMs > 0 ? fErr : 0;
    ::ioctl(fFd, TCFLSH, drained ? TCIFLUSH : TCIOFLUSH);
    ::ioctl(fFd, TIOCNXCL);
    if (fLocked) ::flock(fFd, LOCK_UN);
    ::close(fFd);
    fFd = -1;
    fLocked = false;
    fMarkState = 0;
    fErr = err;
    return drained || drainMs <= 0;
}
