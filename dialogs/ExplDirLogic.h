#pragma once
// What the flight-file explorer computes without its window: the folder's files for a mask,
// the sort keys of its grid, and the summaries read in a worker thread with a cache.
#include "model/Define.h"

#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// The masks of the double-click choices: 0 traces (+ task), 1 waypoints, 2 task.
QStringList ExplMasks(int Choice);
// The files of Folder matching one of Masks in any case, in name order (real names). Ok is
// false when the folder cannot be listed.
QStringList ExplFiles(const QString& Folder, const QStringList& Masks, bool* Ok = nullptr);

// Sort keys of the grid's columns: 2 date "dd/mm/yy" (0 when it does not read), 6 duration
// "3h05" (0 when it does not read), 7 distance with "." (-1 unless the whole text is a number).
bool ExplNumericColumn(int Col);
double ExplSortKey(int Col, const QString& Text);
// The stable order of a column's texts: place i takes row Order[i].
std::vector<uint32_t> ExplSortOrder(int Col, const std::vector<QString>& Texts, bool Descending);

// What identifies a file's contents for the cache.
struct TFileStamp
{
    qint64 Size = -1;
    qint64 MTimeMs = 0;
    bool operator==(const TFileStamp&) const = default;
};
TFileStamp StampOf(const QString& Path);

struct TSummary
{
    bool Ok = false;
    TTrjFileInfo Info;
};

// Summaries by path, valid while the file keeps its size and modification time.
class TSummaryCache
{
public:
    bool Find(const QString& Path, const TFileStamp& Stamp, TSummary& S) const;
    void Store(const QString& Path, const TFileStamp& Stamp, const TSummary& S);
    int Count() const { return int(fItems.size()); }

private:
    struct Item
    {
        TFileStamp Stamp;
        TSummary S;
    };
    QHash<QString, Item> fItems;
};

// Reads summaries in a few worker threads. Each result is handed to the
// receiver's thread (Done(index, stamp, summary)), then Finished() when the list is through.
// Cancel (or a new Start, or destruction) stops the worker before its next file and waits for
// it: a result already on its way is dropped, since its job number is no longer the current one.
// ReadTrjFileInfo reads the options (distance unit) and the language only; both are changed by
// modal windows that cannot open while the explorer is shown.
class TSummaryReader : public QObject
{
    Q_OBJECT
public:
    explicit TSummaryReader(QObject* Parent = nullptr) : QObject(Parent) {}
    ~TSummaryReader() override { Cancel(); }

    struct Job
    {
        int Index;
        QString Path;
    };
    void Start(std::vector<Job> Jobs);
    void Cancel();
    bool Running() const { return fRunning; }

signals:
    void Done(int Index, qint64 Size, qint64 MTimeMs, const TSummary& S);
    void Finished();

private:
    void Deliver(int Generation, int Index, TFileStamp Stamp, TSummary S);
    std::vector<std::thread> fThreads;
    std::atomic<bool> fStop{false};
    std::atomic<int> fGeneration{0};
    bool fRunning = false;
};
Q_DECLARE_METATYPE(TSummary)
