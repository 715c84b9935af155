// The one atomic write: what it refuses, what it keeps of the file it replaces.
#include "platform/AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QByteArray Read(const QString& Path)
{
    QFile f(Path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

void Write(const QString& Path, const QByteArray& B, mode_t Mode)
{
    QFile f(Path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(B), B.size());
    f.close();
    ASSERT_EQ(chmod(QFile::encodeName(Path).constData(), Mode), 0);
}

mode_t ModeOf(const QString& Path)
{
    struct stat st
    {
    };
    return stat(QFile::encodeName(Path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

class AtomicFile : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString Path(const char* Name) const { return dir.filePath(QLatin1String(Name)); }
    QStringList Entries() const
    {
        return QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }
    QTemporaryDir dir;
};

} // namespace

TEST_F(AtomicFile, ReplacesKeepingPermissionsAndLeavesNothingBehind)
{
    const QString f = Path("a.zph");
    Write(f, "old", 0640);
    QString reason = QStringLiteral("stale");
    ASSERT_TRUE(WriteFileAtomic(f, "new contents", reason));
    EXPECT_TRUE(reason.isEmpty());
    EXPECT_EQ(Read(f), "new contents");
    EXPECT_EQ(ModeOf(f), mode_t(0640)); // not the 0644 of a fresh file
    EXPECT_EQ(Entries(), QStringList{QStringLiteral("a.zph")});

    // A new file, and an empty one.
    ASSERT_TRUE(WriteFileAtomic(Path("b.igc"), QByteArray(), reason));
    EXPECT_TRUE(QFile::exists(Path("b.igc")));
    EXPECT_EQ(Read(Path("b.igc")), QByteArray());

    // Through a link: the file it names is replaced, the link stays a link.
    ASSERT_TRUE(QFile::link(f, Path("link.zph")));
    ASSERT_TRUE(WriteFileAtomic(Path("link.zph"), "through the link", reason));
    EXPECT_TRUE(QFileInfo(Path("link.zph")).isSymLink());
    EXPECT_EQ(Read(f), "through the link");
}

TEST_F(AtomicFile, RefusalsGiveTheSystemsReasonAndChangeNothing)
{
    // Read-only by its permission bits: refused even for root, who could replace it.
    const QString ro = Path("ro.zph");
    Write(ro, "keep me", 0444);
    QString reason;
    EXPECT_FALSE(WriteFileAtomic(ro, "overwritten", reason));
    EXPECT_EQ(reason, QStringLiteral("Permission denied"));
    EXPECT_EQ(Read(ro), "keep me");
    EXPECT_EQ(ModeOf(ro), mode_t(0444));

    struct TCase
    {
        QString path;
        const char* reason;
    };
    QDir(dir.path()).mkdir(QStringLiteral("sub"));
    for (const TCase& c :
         {TCase{Path("sub"), "Is a directory"}, TCase{Path("none/x.zph"), "No such file or directory"},
          TCase{Path("ro.zph/x.zph"), "Not a directory"}, TCase{QString(), "No such file or directory"}}) {
        reason.clear();
        EXPECT_FALSE(WriteFileAtomic(c.path, "x", reason)) << c.path.toStdString();
        EXPECT_EQ(reason, QLatin1String(c.reason)) << c.path.toStdString();
    }
    EXPECT_EQ(Entries(), (QStringList{QStringLiteral("ro.zph"), QStringLiteral("sub")}));
}

namespace {

// The id of a process that has ended (and been reaped).
pid_t DeadPid()
{
    const pid_t p = fork();
    if (p == 0) _exit(0);
    waitpid(p, nullptr, 0);
    return p;
}

QString TempName(pid_t Pid, const char* Rest)
{
    return QStringLiteral(".zph-%1-%2").arg(Pid).arg(QLatin1String(Rest));
}

} // namespace

TEST_F(AtomicFile, ASaveRemovesWhatKilledSavesLeftButNotWhatIsBeingWritten)
{
    const pid_t dead = DeadPid();
    // A writer at work in another process: alive, holding its file locked.
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t writer = fork();
    if (writer == 0) {
        const QByteArray n = QFile::encodeName(dir.filePath(TempName(getpid(), "0-live.tmp")));
        const int fd = open(n.constData(), O_WRONLY | O_CREAT, 0644);
        flock(fd, LOCK_EX);
        [[maybe_unused]] const ssize_t w = write(ready[1], "x", 1);
        pause();
        _exit(0);
    }
    char c;
    ASSERT_EQ(read(ready[0], &c, 1), 1);
    close(ready[0]);
    close(ready[1]);

    const QString leftA = TempName(dead, "0-abc.tmp"), leftB = TempName(dead, "7-zz.tmp");
    const QString live = TempName(writer, "0-live.tmp");
    // A file named for a dead process but locked (a writer whose pid this system does not see).
    const QString locked = TempName(dead, "1-lck.tmp");
    for (const QString& n : {leftA, leftB, locked, QStringLiteral(".zph-notes.tmp"),
                             QStringLiteral("zph-1-2.tmp"), QStringLiteral(".zph-%1-1.txt").arg(dead)})
        Write(dir.filePath(n), "partial", 0644);
    QFile lock(dir.filePath(locked));
    ASSERT_TRUE(lock.open(QIODevice::ReadOnly));
    ASSERT_EQ(flock(lock.handle(), LOCK_EX | LOCK_NB), 0);

    QString reason;
    ASSERT_TRUE(WriteFileAtomic(Path("a.zph"), "saved", reason)) << reason.toStdString();
    QStringList expected{QStringLiteral("a.zph"),
                         live,
                         locked,
                         QStringLiteral(".zph-notes.tmp"),
                         QStringLiteral("zph-1-2.tmp"),
                         QStringLiteral(".zph-%1-1.txt").arg(dead)};
    expected.sort();
    QStringList got = Entries();
    got.sort();
    EXPECT_EQ(got, expected);

    kill(writer, SIGKILL);
    waitpid(writer, nullptr, 0);
    lock.close();
    ASSERT_TRUE(WriteFileAtomic(Path("a.zph"), "saved again", reason));
    got = Entries();
    EXPECT_FALSE(got.contains(live));
    EXPECT_FALSE(got.contains(locked));
}

TEST_F(AtomicFile, TheTemporaryFileOfASaveKilledMidWayGoesWithTheNextSave)
{
    const QString target = Path("big.zph");
    const QByteArray big(64 << 20, 'x');
    bool left = false;
    for (int attempt = 0; attempt < 20 && !left; ++attempt) {
        const pid_t child = fork();
        if (child == 0) {
            QString r;
            for (;;) WriteFileAtomic(target, big, r);
        }
        // Killed as soon as its temporary file shows.
        for (int i = 0; i < 4000; ++i) {
            if (Entries().filter(QStringLiteral(".tmp")).size() > 0) break;
            usleep(500);
        }
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        left = !Entries().filter(QStringLiteral(".tmp")).isEmpty();
    }
    ASSERT_TRUE(left) << "no save was killed with its temporary file present";
    QString reason;
    ASSERT_TRUE(WriteFileAtomic(target, "small", reason));
    EXPECT_EQ(Entries(), QStringList{QStringLiteral("big.zph")});
    EXPECT_EQ(Read(target), "small");
}
