#pragma once
// A folder monitor: watches one folder (and optionally its sub-folders) through inotify in a
// worker thread and raises OnChange in the user-interface thread, at once or once after a
// delay that merges a burst of changes.
#include "model/Define.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QThread>
#include <atomic>
#include <functional>
#include <stdexcept>

class QTimer;

enum TFileChangeFilter : uint8
{
    fnFileName,
    fnDirName,
    fnAttributes,
    fnSize,
    fnLastWrite,
    fnLastAccess,
    fnCreation,
    fnSecurity,
};
// A set of TFileChangeFilter: bit n for the n-th value.
using TFileChangeFilters = uint8;
constexpr TFileChangeFilters FilterBit(TFileChangeFilter F)
{
    return TFileChangeFilters(1u << F);
}
constexpr TFileChangeFilters DefaultChangeFilter =
    FilterBit(fnFileName) | FilterBit(fnDirName) | FilterBit(fnSize) | FilterBit(fnLastWrite);

// The inotify events a filter watches, and whether one event (its mask) is of the filter.
uint32_t InotifyMask(TFileChangeFilters Filter);
bool EventInFilter(uint32_t Mask, TFileChangeFilters Filter);

// The platform error: Code is errno's value.
class EWin32Error : public std::runtime_error
{
public:
    EWin32Error(int Code, const QString& Text);
    int Code;
    QString Text;
};
// Raises EWin32Error "Erreur Win32.  Code : <Code>." + line break + the system's text; nothing
// for 0.
void RaiseWin32Error(int Code);
bool DirExists(const QString& Path);

class TNotifyThread : public QThread
{
    Q_OBJECT
public:
    ~TNotifyThread() override;

    int NotifyHandle = -1; // inotify descriptor, -1 when none
    int StopEvent = -1;    // eventfd that ends the wait, -1 when none
    // Called in the user-interface thread for each wake-up with changes. Set and read only in
    // that thread (the worker merely asks for the call), so unbinding it needs no lock.
    std::function<void()> OnChange;
    std::atomic<uint8> Finished{0};
    std::atomic<uint32_t> LastError{0};

    // Asks the thread to stop: the flag set, the stop event signalled.
    void Terminate();
    // Terminate; true when the worker is not waiting for the user-interface thread, so that
    // waiting for its end is safe.
    bool StopNow();
    bool Terminated() const { return fTerminated; }

protected:
    void run() override; // the waiting loop
    void DoChange();

private:
    friend TNotifyThread* CreateNotifyThread(const QString&, bool, TFileChangeFilters);
    bool AddWatches(const QString& Folder); // the folder, and its sub-folders with fSubtree
    void CloseHandles();
    std::atomic<bool> fTerminated{false};
    std::atomic<bool> fInCall{false};
    bool fSubtree = true;
    TFileChangeFilters fFilter = DefaultChangeFilter;
    int fRootWatch = -1;
    QHash<int, QString> fWatches; // watch -> folder (worker-owned once started)
};

// A started thread watching Folder; raises EWin32Error when the watch cannot be set up.
TNotifyThread* CreateNotifyThread(const QString& FolderName, bool MonitorSubtree, TFileChangeFilters Filter);

class TRxFolderMonitor : public QObject
{
    Q_OBJECT
public:
    explicit TRxFolderMonitor(QObject* Parent = nullptr);
    ~TRxFolderMonitor() override;

    bool Active() const { return Thread != nullptr; }
    void SetActiveProp(bool Value); // the Active property's write
    int32 DelayTime() const;
    void SetDelayTime(int32 Value);
    TFileChangeFilters Filter() const { return fFilter; }
    void SetFilter(TFileChangeFilters Value);
    QString FolderName() const { return fFolderName; }
    void SetFolderName(const QString& Value);
    bool MonitorSubtree() const { return fMonitorSubtree; }
    void SetMonitorSubtree(bool Value);

    // Stops any thread, then starts one when Value is set and FolderName is an existing folder.
    void SetActive(bool Value);

    std::function<void(TRxFolderMonitor*)> OnChange;

    // While the owner sets the properties up (Loading), writing Active only records a True
    // value (ActivePending); Loaded then activates the monitor.
    bool Loading = false;
    bool ActivePending = false;
    void Loaded();

    QPointer<TNotifyThread> Thread;
    QTimer* DelayTimer = nullptr; // only while a delayed event is pending

private:
    void StopThread();
    void Changed();
    void DelayTick();
    TFileChangeFilters fFilter = DefaultChangeFilter;
    int32 fDelayTime = 0;
    bool fMonitorSubtree = true;
    QString fFolderName;
};
