#include "platform/AtomicFile.h"

#include <QFile>
#include <QFileInfo>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <random>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool WriteAll(int fd, const char* p, size_t n, int& err)
{
    while (n > 0) {
        const ssize_t w = ::write(fd, p, n);
        if (w < 0) {
            if (errno == EINTR) continue;
            err = errno;
            return false;
        }
        if (w == 0) { // a regular file never answers this unless it cannot grow
            err = ENOSPC;
            return false;
        }
        p += w;
        n -= size_t(w);
    }
    return true;
}

QByteArray FolderOf(const QByteArray& Target)
{
    const qsizetype slash = Target.lastIndexOf('/');
    return slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : Target.left(slash);
}

// Opens a new, not yet existing file beside Target; -1 with err set on failure. The name is
// short whatever the target's length, so that a long target name still gets its temporary file.
int CreateTemp(const QByteArray& Target, QByteArray& TempPath, int& err)
{
    static std::atomic<unsigned> counter{0};
    std::random_device rd;
    for (int attempt = 0; attempt < 100; ++attempt) {
        TempPath = FolderOf(Target) + "/.zph-" + QByteArray::number(unsigned(getpid())) + '-' +
                   QByteArray::number(counter++) + '-' + QByteArray::number(rd() & 0xFFFFF, 36) + ".tmp";
        // 0666 under the umask, as a plain new file would be.
        const int fd = ::open(TempPath.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            // Held until the file is closed: the mark of a writer at work for a later clean-up.
            ::flock(fd, LOCK_EX);
            return fd;
        }
        if (errno != EEXIST) {
            err = errno;
            return -1;
        }
    }
    err = EEXIST;
    return -1;
}

void SyncFolder(const QByteArray& Target)
{
    const int fd = ::open(FolderOf(Target).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd); // the rename is done; a folder that cannot be synced changes nothing for the user
    ::close(fd);
}

// The process id a temporary file's name carries (".zph-<pid>-<n>-<random>.tmp"), or 0 when
// the name is not one of ours.
pid_t TempOwner(const char* Name)
{
    if (std::strncmp(Name, ".zph-", 5) != 0) return 0;
    const size_t len = std::strlen(Name);
    if (len < 9 || std::strcmp(Name + len - 4, ".tmp") != 0) return 0;
    long pid = 0;
    const char* p = Name + 5;
    for (; *p >= '0' && *p <= '9'; ++p) {
        pid = pid * 10 + (*p - '0');
        if (pid > 0x7FFFFFFF) return 0;
    }
    return *p == '-' && pid > 0 ? pid_t(pid) : 0;
}

} // namespace

bool ProcessMayRun(pid_t Pid)
{
    if (Pid <= 0) return true;
    return ::kill(Pid, 0) == 0 || errno != ESRCH;
}

void RemoveStaleTempFiles(const QString& Folder)
{
    const QByteArray folder = QFile::encodeName(Folder);
    const int dfd = ::open(folder.isEmpty() ? "." : folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd < 0) return;
    DIR* d = ::fdopendir(dfd);
    if (!d) {
        ::close(dfd);
        return;
    }
    while (const dirent* e = ::readdir(d)) {
        const pid_t owner = TempOwner(e->d_name);
        if (owner == 0) continue;
        // A writer that is still running keeps its file: its process exists, or it holds the
        // lock taken while writing (a process of another pid namespace, a pid reused since).
        if (ProcessMayRun(owner)) continue;
        const int fd = ::openat(dfd, e->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        struct stat st
        {
        };
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlinkat(dfd, e->d_name, 0);
        ::close(fd); // the lock goes with it
    }
    ::closedir(d);
}

void IgnoreFileSizeSignal()
{
    // A file-size limit (ulimit -f) would otherwise end the program with SIGXFSZ at the first
    // write that meets it, instead of letting that write fail with EFBIG ("File too large").
    // Only the default action is replaced: a handler someone installed on purpose is kept.
    struct sigaction old
    {
    };
    if (sigaction(SIGXFSZ, nullptr, &old) == 0 && old.sa_handler == SIG_DFL && !(old.sa_flags & SA_SIGINFO)) {
        struct sigaction ign
        {
        };
        ign.sa_handler = SIG_IGN;
        sigemptyset(&ign.sa_mask);
        sigaction(SIGXFSZ, &ign, nullptr);
    }
}

QString SystemErrorText(int Err)
{
    return QString::fromLocal8Bit(std::strerror(Err));
}

bool WriteFileAtomic(const QString& FileName, const QByteArray& Data, QString& Reason)
{
    IgnoreFileSizeSignal();
    if (FileName.isEmpty()) {
        Reason = SystemErrorText(ENOENT);
        return false;
    }
    // The file a link names is replaced, not the link.
    QFileInfo fi(FileName);
    QString path = fi.absoluteFilePath();
    if (fi.isSymLink()) {
        const QString target = fi.canonicalFilePath();
        if (!target.isEmpty()) path = target;
    }
    const QByteArray target = QFile::encodeName(path);

    struct stat old
    {
    };
    const bool exists = ::stat(target.constData(), &old) == 0;
    if (exists) {
        if (S_ISDIR(old.st_mode)) {
            Reason = SystemErrorText(EISDIR);
            return false;
        }
        if (!S_ISREG(old.st_mode)) { // a device or a pipe cannot be replaced by a rename
            Reason = SystemErrorText(EINVAL);
            return false;
        }
        // A read-only file stays unchanged, even for a user who could replace it.
        if ((old.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
            Reason = SystemErrorText(EACCES);
            return false;
        }
        if (::access(target.constData(), W_OK) != 0) {
            Reason = SystemErrorText(errno);
            return false;
        }
    }

    // What an earlier run killed in the middle of a save left beside the file.
    RemoveStaleTempFiles(QFile::decodeName(FolderOf(target)));

    int err = 0;
    QByteArray temp;
    const int fd = CreateTemp(target, temp, err);
    if (fd < 0) {
        Reason = SystemErrorText(err);
        return false;
    }
    bool ok = WriteAll(fd, Data.constData(), size_t(Data.size()), err);
    if (ok && exists) {
        // The replacement keeps the old file's owner and permissions; only root may give the
        // file away, and a failure there leaves the file to the one who saved it.
        [[maybe_unused]] const int owned = ::fchown(fd, old.st_uid, old.st_gid);
        if (::fchmod(fd, old.st_mode & 07777) != 0) {
            err = errno;
            ok = false;
        }
    }
    if (ok && ::fsync(fd) != 0) {
        err = errno;
        ok = false;
    }
    if (::close(fd) != 0 && ok) {
        err = errno;
        ok = false;
    }
    if (ok && ::rename(temp.constData(), target.constData()) != 0) {
        err = errno;
        ok = false;
    }
    if (!ok) {
        ::unlink(temp.constData());
        Reason = SystemErrorText(err);
        return false;
    }
    SyncFolder(target);
    Reason.clear();
    return true;
}
