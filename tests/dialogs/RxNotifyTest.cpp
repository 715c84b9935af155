// The folder monitor on real folders: bursts merged by the delay, one event per change without
// it, missing and removed folders, unchanged properties, stopping while the worker is blocked.
#include "dialogs/RxNotify.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <cstring>
#include <gtest/gtest.h>
#include <sys/inotify.h>

namespace {

void Touch(const QString& Path, const QByteArray& Bytes = "x")
{
    QFile f(Path);
    ASSERT_TRUE(f.open(QIODevice::Append));
    f.write(Bytes);
}

struct Counter
{
    int Count = 0;
    QElapsedTimer Since;
    qint64 FirstAt = -1;
    void Attach(TRxFolderMonitor& M)
    {
        Since.start();
        M.OnChange = [this](TRxFolderMonitor*) {
            if (++Count == 1) FirstAt = Since.elapsed();
        };
    }
};

} // namespace

TEST(RxNotify, FiltersErrorsAndFolders)
{
    EXPECT_EQ(DefaultChangeFilter, 0x1B);
    EXPECT_TRUE(EventInFilter(IN_CREATE | IN_ISDIR, FilterBit(fnCreation)));
    EXPECT_FALSE(EventInFilter(IN_MODIFY, FilterBit(fnFileName) | FilterBit(fnDirName)));
    EXPECT_TRUE(EventInFilter(IN_ATTRIB, FilterBit(fnSecurity)));
    EXPECT_NO_THROW(RaiseWin32Error(0));
    try {
        RaiseWin32Error(2);
        FAIL();
    } catch (const EWin32Error& e) {
        EXPECT_EQ(e.Code, 2);
        EXPECT_EQ(e.Text,
                  QStringLiteral("Erreur Win32.  Code : 2.\n") + QString::fromLocal8Bit(std::strerror(2)));
    }
    QTemporaryDir dir;
    Touch(dir.filePath(QStringLiteral("f")));
    EXPECT_FALSE(DirExists(dir.filePath(QStringLiteral("f"))));
}

TEST(RxNotify, BurstGivesOneEventAfterTheDelay)
{
    QTemporaryDir dir;
    TRxFolderMonitor m;
    Counter c;
    c.Attach(m);
    m.SetDelayTime(300);
    m.SetFilter(FilterBit(fnFileName)); // one event per new file
    m.SetFolderName(dir.path());
    m.SetActiveProp(true);
    ASSERT_TRUE(m.Active());
    for (int i = 0; i < 10; ++i) {
        Touch(dir.filePath(QStringLiteral("F%1.igc").arg(i)));
        QTest::qWait(10);
    }
    QTRY_COMPARE_WITH_TIMEOUT(c.Count, 1, 5000);
    EXPECT_GE(c.FirstAt, 300);
    QTest::qWait(500);
    EXPECT_EQ(c.Count, 1);
    // Setting the delay to 0 while one is pending drops it.
    Touch(dir.filePath(QStringLiteral("G.igc")));
    QTRY_VERIFY_WITH_TIMEOUT(m.DelayTimer != nullptr, 5000);
    EXPECT_EQ(m.DelayTime(), 300);
    m.SetDelayTime(0);
    EXPECT_EQ(m.DelayTimer, nullptr);
    QTest::qWait(500);
    EXPECT_EQ(c.Count, 1);
}

TEST(RxNotify, WithoutDelayEachChangeGivesAnEventAndSubFoldersAreWatched)
{
    QTemporaryDir dir;
    TRxFolderMonitor m;
    Counter c;
    c.Attach(m);
    m.SetFolderName(dir.path());
    m.SetFilter(FilterBit(fnFileName) | FilterBit(fnDirName));
    m.SetActive(true);
    for (int i = 1; i <= 3; ++i) {
        Touch(dir.filePath(QStringLiteral("a%1.zph").arg(i)));
        QTRY_COMPARE_WITH_TIMEOUT(c.Count, i, 5000);
    }
    // A folder made after the start is watched too.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("sub")));
    QTRY_COMPARE_WITH_TIMEOUT(c.Count, 4, 5000);
    Touch(dir.filePath(QStringLiteral("sub/b.igc")));
    QTRY_COMPARE_WITH_TIMEOUT(c.Count, 5, 5000);
}

TEST(RxNotify, MissingFolderUnchangedPropertiesAndRemoval)
{
    QTemporaryDir dir;
    const QString sub = dir.filePath(QStringLiteral("flights"));
    ASSERT_TRUE(QDir().mkpath(sub));
    TRxFolderMonitor m;
    Counter c;
    c.Attach(m);
    m.SetActiveProp(true); // no folder: stays inactive
    EXPECT_FALSE(m.Active());
    m.Loading = true;
    m.SetActiveProp(true);
    m.SetFolderName(sub);
    EXPECT_FALSE(m.Active());
    m.Loaded();
    ASSERT_TRUE(m.Active());
    QPointer<TNotifyThread> first = m.Thread;
    m.SetFilter(DefaultChangeFilter);
    m.SetFolderName(sub);
    m.SetMonitorSubtree(true);
    EXPECT_EQ(m.Thread, first);
    // A new setting restarts the worker; the old one, idle, is ended and freed at once.
    m.SetFilter(FilterBit(fnFileName));
    EXPECT_TRUE(first.isNull());
    ASSERT_TRUE(m.Active());

    // The watched folder removed: the worker ends without a crash and reports it.
    ASSERT_TRUE(QDir(sub).removeRecursively());
    QTRY_VERIFY_WITH_TIMEOUT(m.Thread && m.Thread->Finished.load() == 1, 5000);
    EXPECT_NE(m.Thread->LastError.load(), 0u);
    m.SetFolderName(dir.filePath(QStringLiteral("none")));
    EXPECT_FALSE(m.Active());
}

TEST(RxNotify, StopWhileTheWorkerIsBlockedInTheCall)
{
    QTemporaryDir dir;
    QPointer<TNotifyThread> worker;
    {
        TRxFolderMonitor m;
        Counter c;
        c.Attach(m);
        m.SetFolderName(dir.path());
        m.SetActive(true);
        worker = m.Thread;
        // The change is handed over, but this thread does not run its events: the worker waits.
        Touch(dir.filePath(QStringLiteral("x")));
        QThread::msleep(200);
        m.SetActive(false);
        EXPECT_FALSE(m.Active());
        EXPECT_EQ(c.Count, 0);
    }
    // The pending call runs without its handler; the worker then ends and frees itself.
    QTRY_VERIFY_WITH_TIMEOUT(worker.isNull(), 5000);
}
