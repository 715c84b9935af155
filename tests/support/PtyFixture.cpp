#include "PtyFixture.h"

#include "platform/IniFile.h"
#include "platform/ProgramDir.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

int MsLeft(Clock::time_point deadline)
{
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return ms > 0 ? static_cast<int>(ms) : 0;
}

bool MakeRaw(int fd)
{
    termios t{};
    if (::tcgetattr(fd, &t) != 0) return false;
    ::cfmakeraw(&t);
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    return ::tcsetattr(fd, TCSANOW, &t) == 0;
}

} // namespace

PtyFixture::PtyFixture()
{
    fMaster = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fMaster < 0 || ::grantpt(fMaster) != 0 || ::unlockpt(fMaster) != 0) {
        fError = QString::fromLocal8Bit(std::strerror(errno));
        return;
    }
    char name[128] = {};
    if (::ptsname_r(fMaster, name, sizeof name) != 0) {
        fError = QString::fromLocal8Bit(std::strerror(errno));
        return;
    }
    fSlavePath = QString::fromLocal8Bit(name);
    fSlave = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fSlave < 0) {
        fError = QString::fromLocal8Bit(std::strerror(errno));
        return;
    }
    // Raw on both sides before anything flows, so that no byte is echoed or translated.
    MakeRaw(fSlave);
    MakeRaw(fMaster);
    ::fcntl(fMaster, F_SETFL, ::fcntl(fMaster, F_GETFL) | O_NONBLOCK);
}

PtyFixture::~PtyFixture()
{
    if (fSlave >= 0) ::close(fSlave);
    if (fMaster >= 0) ::close(fMaster);
}

bool PtyFixture::BindPort(int n) const
{
    TIniFile ini(IniFileName());
    return ini.WriteString(QStringLiteral("Interface"), QStringLiteral("Device_COM%1").arg(n), fSlavePath);
}

bool PtyFixture::WriteMaster(const QByteArray& bytes, int timeoutMs)
{
    if (fMaster < 0) return false;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    qsizetype done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fMaster, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (n > 0) {
            done += n;
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) return false;
        pollfd p{fMaster, POLLOUT, 0};
        if (::poll(&p, 1, MsLeft(deadline)) <= 0) return false;
    }
    return true;
}

QByteArray PtyFixture::ReadMaster(int timeoutMs)
{
    QByteArray out;
    if (fMaster < 0) return out;
    pollfd p{fMaster, POLLIN, 0};
    if (::poll(&p, 1, timeoutMs) <= 0 || !(p.revents & POLLIN)) return out;
    char buf[4096];
    for (;;) {
        ssize_t n = ::read(fMaster, buf, sizeof buf);
        if (n > 0)
            out.append(buf, static_cast<qsizetype>(n));
        else if (n < 0 && errno == EINTR)
            continue;
        else
            break;
    }
    return out;
}

QByteArray PtyFixture::ReadMasterExactly(int count, int timeoutMs)
{
    QByteArray out;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (out.size() < count) {
        QByteArray part = ReadMaster(MsLeft(deadline));
        if (part.isEmpty() && MsLeft(deadline) == 0) break;
        out += part;
    }
    return out;
}

int PtyFixture::SlaveQueued() const
{
    int n = 0;
    if (fSlave < 0 || ::ioctl(fSlave, FIONREAD, &n) != 0) return 0;
    return n;
}

bool PtyFixture::WaitSlaveQueued(int count, int timeoutMs) const
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (SlaveQueued() >= count) return true;
        int left = MsLeft(deadline);
        if (left == 0) return false;
        pollfd p{fSlave, POLLIN, 0};
        if (SlaveQueued() == 0)
            ::poll(&p, 1, left);
        else
            ::usleep(500);
    }
}

void PtyFixture::HangUp()
{
    if (fMaster >= 0) ::close(fMaster);
    fMaster = -1;
}
