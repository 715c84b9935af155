// Folder monitor over inotify.
#include "dialogs/RxNotify.h"

#include <QCoreApplication>
#include <QDirIterator>
#include <QFileInfo>
#include <QTimer>
#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>

uint32_t InotifyMask(TFileChangeFilters Filter)
{
    uint32_t m = 0;
    auto has = [&](TFileChangeFilter F) { return (Filter & FilterBit(F)) != 0; };
    if (has(fnFileName) || has(fnDirName)) m |= IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO;
    if (has(fnAttributes) || has(fnSecurity)) m |= IN_ATTRIB;
    if (has(fnSize)) m |= IN_MODIFY;
    if (has(fnLastWrite)) m |= IN_MODIFY | IN_CLOSE_WRITE;
    if (has(fnLastAccess)) m |= IN_ACCESS;
    if (has(fnCreation)) m |= IN_CREATE;
    return m;
}

bool EventInFilter(uint32_t Mask, TFileChangeFilters Filter)
{
    auto has = [&](TFileChangeFilter F) { return (Filter & FilterBit(F)) != 0; };
    const bool dir = Mask & IN_ISDIR;
    if (Mask & (IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO)) {
        if (has(dir ? fnDirName : fnFileName)) return true;
        if ((Mask & IN_CREATE) && has(fnCreation)) return true;
    }
    if ((Mask & IN_ATTRIB) && (has(fnAttributes) || has(fnSecurity))) return true;
    if ((Mask & IN_MODIFY) && (has(fnSize) || has(fnLastWrite))) return true;
    if ((Mask & IN_CLOSE_WRITE) && has(fnLastWrite)) return true;
    if ((Mask & IN_ACCESS) && has(fnLastAccess)) return true;
    return false;
}

EWin32Error::EWin32Error(int C, const QString& T) : std::runtime_error(T.toStdString()), Code(C), Text(T) {}

void RaiseWin32Error(int Code)
{
    if (Code == 0) return;
    throw EWin32Error(Code, QStringLiteral("Erreur Win32.  Code : %1.\n%2")
                                .arg(Code)
                                .arg(QString::fromLocal8Bit(std::strerror(Code))));
}

bool DirExists(const QString& Path)
{
    return !Path.isEmpty() && QFileInfo(Path).isDir();
}

// ---- Worker -------------------------------------------------------------------------------

TNotifyThread::~TNotifyThread()
{
    CloseHandles();
}

void TNotifyThread::CloseHandles()
{
    if (NotifyHandle >= 0) ::close(NotifyHandle);
    NotifyHandle = -1;
    if (StopEvent >= 0) ::close(StopEvent);
    StopEvent = -1;
}

void TNotifyThread::Terminate()
{
    fTerminated = true;
    // The worker closes the event only after its loop; until then writing it is safe, and the
    // descriptor is not reused while the thread object lives.
    if (StopEvent >= 0) {
        const uint64_t one = 1;
        [[maybe_unused]] const auto n = ::write(StopEvent, &one, sizeof one);
    }
}

bool TNotifyThread::AddWatches(const QString& Folder)
{
    // Sub-folders get the creation events too, so that new folders below are watched.
    const uint32_t mask = InotifyMask(fFilter) | (fSubtree ? IN_CREATE | IN_MOVED_TO : 0) | IN_DELETE_SELF |
                          IN_MOVE_SELF | IN_ONLYDIR;
    const int wd = inotify_add_watch(NotifyHandle, QFile::encodeName(Folder).constData(), mask);
    if (wd < 0) return false;
    fWatches.insert(wd, Folder);
    if (fRootWatch < 0) fRootWatch = wd;
    if (fSubtree) {
        QDirIterator it(Folder, QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::NoSymLinks);
        while (it.hasNext()) AddWatches(it.next()); // a folder already gone is no error
    }
    return true;
}

bool TNotifyThread::StopNow()
{
    Terminate();
    // Seen outside the call, the worker cannot enter it any more (it checks the flag after
    // raising its own): it is leaving its loop, and waiting for it is short and safe.
    return !fInCall;
}

void TNotifyThread::DoChange()
{
    // The worker waits until the handler has run in the user-interface thread. Stopping never
    // waits for a worker in this call, so it cannot dead-lock; a call left pending at exit is
    // dropped.
    fInCall = true;
    if (fTerminated) {
        fInCall = false;
        return;
    }
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [this] {
            if (OnChange) OnChange();
        },
        Qt::BlockingQueuedConnection);
    fInCall = false;
}

void TNotifyThread::run()
{
    alignas(inotify_event) char buf[16 * 1024];
    while (!fTerminated && NotifyHandle >= 0) {
        pollfd fds[2] = {{NotifyHandle, POLLIN, 0}, {StopEvent, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            LastError = uint32_t(errno);
            break;
        }
        if (fds[1].revents) break;
        if (!(fds[0].revents & POLLIN)) {
            if (fds[0].revents & (POLLERR | POLLNVAL)) {
                LastError = EBADF;
                break;
            }
            continue;
        }
        // Every pending event of this wake-up is read before one change is reported.
        bool changed = false, rootGone = false;
        for (;;) {
            const ssize_t n = ::read(NotifyHandle, buf, sizeof buf);
            if (n <= 0) {
                if (n < 0 && errno != EAGAIN && errno != EINTR) LastError = uint32_t(errno);
                break;
            }
            for (ssize_t at = 0; at < n;) {
                const auto* e = reinterpret_cast<const inotify_event*>(buf + at);
                at += ssize_t(sizeof(inotify_event) + e->len);
                if (e->mask & IN_Q_OVERFLOW) changed = true;
                if (e->mask & IN_IGNORED) {
                    fWatches.remove(e->wd);
                    if (e->wd == fRootWatch) rootGone = true;
                    continue;
                }
                if ((e->mask & (IN_DELETE_SELF | IN_MOVE_SELF)) && e->wd == fRootWatch) rootGone = true;
                if (EventInFilter(e->mask, fFilter)) changed = true;
                if (fSubtree && (e->mask & IN_ISDIR) && (e->mask & (IN_CREATE | IN_MOVED_TO)) && e->len) {
                    const QString dir = fWatches.value(e->wd);
                    if (!dir.isEmpty()) AddWatches(dir + u'/' + QFile::decodeName(e->name));
                }
            }
        }
        if (fTerminated) continue;
        if (changed) DoChange();
        if (rootGone) {
            LastError = ENOENT;
            break;
        }
        if (LastError) break;
    }
    Finished = 1;
}

TNotifyThread* CreateNotifyThread(const QString& FolderName, bool MonitorSubtree, TFileChangeFilters Filter)
{
    auto* t = new TNotifyThread;
    t->fSubtree = MonitorSubtree;
    t->fFilter = Filter;
    t->NotifyHandle = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    int err = t->NotifyHandle < 0 ? errno : 0;
    if (!err && !t->AddWatches(FolderName)) err = errno;
    if (!err) {
        t->StopEvent = eventfd(0, EFD_CLOEXEC);
        if (t->StopEvent < 0) err = errno;
    }
    if (err) {
        // Nothing is started for a watch that cannot be set up.
        delete t;
        RaiseWin32Error(err);
    }
    t->start();
    return t;
}

// ---- Monitor ------------------------------------------------------------------------------

TRxFolderMonitor::TRxFolderMonitor(QObject* Parent) : QObject(Parent) {}

TRxFolderMonitor::~TRxFolderMonitor()
{
    StopThread();
    delete DelayTimer;
}

void TRxFolderMonitor::StopThread()
{
    TNotifyThread* t = Thread;
    Thread = nullptr;
    if (!t) return;
    t->OnChange = nullptr;
    if (t->StopNow()) {
        t->wait();
        delete t;
        return;
    }
    // The worker waits for this thread: it frees itself once its call has run and it has ended.
    connect(t, &QThread::finished, t, &QObject::deleteLater);
    if (t->isFinished()) t->deleteLater();
}

void TRxFolderMonitor::SetActive(bool Value)
{
    StopThread();
    if (Value && DirExists(fFolderName)) {
        TNotifyThread* t = CreateNotifyThread(fFolderName, fMonitorSubtree, fFilter);
        t->OnChange = [this] { Changed(); };
        Thread = t;
    }
}

void TRxFolderMonitor::SetActiveProp(bool Value)
{
    if (Loading) {
        if (Value) ActivePending = true;
        return;
    }
    if (Value != Active()) SetActive(Value);
}

void TRxFolderMonitor::Loaded()
{
    Loading = false;
    if (ActivePending) SetActiveProp(true);
}

void TRxFolderMonitor::Changed()
{
    if (fDelayTime > 0) {
        if (DelayTimer) return; // merged into the pending event
        DelayTimer = new QTimer(this);
        DelayTimer->setSingleShot(true);
        DelayTimer->setTimerType(Qt::PreciseTimer);
        DelayTimer->setInterval(fDelayTime);
        connect(DelayTimer, &QTimer::timeout, this, &TRxFolderMonitor::DelayTick);
        DelayTimer->start();
        return;
    }
    if (OnChange) OnChange(this);
}

void TRxFolderMonitor::DelayTick()
{
    DelayTimer->deleteLater();
    DelayTimer = nullptr;
    if (OnChange) OnChange(this);
}

int32 TRxFolderMonitor::DelayTime() const
{
    return DelayTimer ? DelayTimer->interval() : fDelayTime;
}

void TRxFolderMonitor::SetDelayTime(int32 Value)
{
    if (DelayTimer) {
        if (Value == 0) {
            DelayTimer->disconnect(this);
            DelayTimer->deleteLater();
            DelayTimer = nullptr;
        } else {
            DelayTimer->setInterval(Value);
        }
    }
    fDelayTime = Value;
}

void TRxFolderMonitor::SetFilter(TFileChangeFilters Value)
{
    if (Value == fFilter) return;
    fFilter = Value;
    SetActive(Active());
}

void TRxFolderMonitor::SetFolderName(const QString& Value)
{
    if (Value == fFolderName) return;
    fFolderName = Value;
    SetActive(Active());
}

void TRxFolderMonitor::SetMonitorSubtree(bool Value)
{
    if (Value == fMonitorSubtree) return;
    fMonitorSubtree = Value;
    SetActive(Active());
}
