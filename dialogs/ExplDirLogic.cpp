// Flight-file explorer: files, sort keys, summaries.
#include "dialogs/ExplDirLogic.h"

#include "dialogs/SortGrid.h"
#include "files/TaskFile.h"
#include "files/TrjFileInfo.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QThread>
#include <algorithm>
#include <cmath>
#include <numeric>

QStringList ExplMasks(int Choice)
{
    if (Choice == 1) return {QStringLiteral("*.*")};
    return {QStringLiteral("*.IGC"), QStringLiteral("*.ZPH")};
}

QStringList ExplFiles(const QString& Folder, const QStringList& Masks, bool* Ok)
{
    QDir dir(Folder);
    const bool readable = !Folder.isEmpty() && dir.exists() && dir.isReadable();
    if (Ok) *Ok = readable;
    if (!readable) return {};
    // "*.*" takes every file, as the classic mask does, names without a dot included.
    QStringList masks;
    for (const QString& m : Masks) masks << (m == QLatin1String("*.*") ? QStringLiteral("*") : m);
    dir.setNameFilters(masks);
    dir.setFilter(QDir::Files | QDir::Hidden | QDir::System);
    dir.setSorting(QDir::Name | QDir::IgnoreCase);
    return dir.entryList();
}

bool ExplNumericColumn(int Col)
{
    return Col == 2 || Col == 6 || Col == 7;
}

double ExplSortKey(int Col, const QString& Text)
{
    if (Col == 2) {
        TDateTime d = 0;
        return TaskDate(Text, d) ? d : 0.0;
    }
    if (Col == 6) {
        // "3h05": read by hand, since a long recording may pass 23 hours.
        const QStringList p = Text.trimmed().split(u'h');
        if (p.size() != 2) return 0;
        bool okH = false, okM = false;
        const int h = p[0].toInt(&okH), m = p[1].toInt(&okM);
        if (!okH || !okM || h < 0 || m < 0 || m > 59) return 0;
        return h * 60.0 + m;
    }
    if (Col == 7) {
        // "." only: a comma, as a decimal mark or between thousands, does not read.
        static const QLocale c = [] {
            QLocale l = QLocale::c();
            l.setNumberOptions(QLocale::RejectGroupSeparator);
            return l;
        }();
        bool ok = false;
        const double v = c.toDouble(Text.trimmed(), &ok);
        return ok && std::isfinite(v) ? v : -1.0;
    }
    return 0;
}

std::vector<uint32_t> ExplSortOrder(int Col, const std::vector<QString>& Texts, bool Descending)
{
    if (!ExplNumericColumn(Col)) return SortedOrder(Texts, Descending);
    // Keys converted once per sort, not at each comparison.
    std::vector<double> keys(Texts.size());
    for (size_t i = 0; i < Texts.size(); ++i) keys[i] = ExplSortKey(Col, Texts[i]);
    return SortedOrder(keys, Descending);
}

TFileStamp StampOf(const QString& Path)
{
    const QFileInfo fi(Path);
    if (!fi.exists()) return {};
    return {fi.size(), fi.lastModified().toMSecsSinceEpoch()};
}

bool TSummaryCache::Find(const QString& Path, const TFileStamp& Stamp, TSummary& S) const
{
    const auto it = fItems.constFind(Path);
    if (it == fItems.cend() || !(it->Stamp == Stamp) || Stamp.Size < 0) return false;
    S = it->S;
    return true;
}

void TSummaryCache::Store(const QString& Path, const TFileStamp& Stamp, const TSummary& S)
{
    if (Stamp.Size < 0) return;
    fItems.insert(Path, {Stamp, S});
}

void TSummaryReader::Cancel()
{
    ++fGeneration;
    fStop = true;
    for (std::thread& t : fThreads)
        if (t.joinable()) t.join();
    fThreads.clear();
    fRunning = false;
}

void TSummaryReader::Start(std::vector<Job> Jobs)
{
    static const int registered = qRegisterMetaType<TSummary>();
    Q_UNUSED(registered);
    Cancel();
    if (Jobs.empty()) return;
    fStop = false;
    fRunning = true;
    const int gen = fGeneration;
    // The files are shared out between a few workers; each takes the next file not yet taken.
    struct Shared
    {
        std::vector<Job> Jobs;
        std::atomic<size_t> Next{0};
        std::atomic<int> Left{0};
    };
    auto shared = std::make_shared<Shared>();
    shared->Jobs = std::move(Jobs);
    const int n = std::clamp(QThread::idealThreadCount() / 2, 1, 4);
    shared->Left = n;
    for (int k = 0; k < n; ++k)
        fThreads.emplace_back([this, gen, shared] {
            for (;;) {
                const size_t i = shared->Next++;
                if (fStop || i >= shared->Jobs.size()) break;
                const Job& j = shared->Jobs[i];
                const TFileStamp stamp = StampOf(j.Path);
                TSummary s;
                s.Ok = ReadTrjFileInfo(j.Path, 0, s.Info);
                const int index = j.Index;
                QMetaObject::invokeMethod(
                    this, [this, gen, index, stamp, s] { Deliver(gen, index, stamp, s); },
                    Qt::QueuedConnection);
            }
            if (--shared->Left > 0) return;
            QMetaObject::invokeMethod(
                this,
                [this, gen] {
                    if (gen != fGeneration) return;
                    for (std::thread& t : fThreads)
                        if (t.joinable()) t.join();
                    fThreads.clear();
                    fRunning = false;
                    emit Finished();
                },
                Qt::QueuedConnection);
        });
}

void TSummaryReader::Deliver(int Generation, int Index, TFileStamp Stamp, TSummary S)
{
    if (Generation != fGeneration) return;
    emit Done(Index, Stamp.Size, Stamp.MTimeMs, S);
}
