// The one atomic write: what it refuses, what it keeps of the file it replaces.
#include "platform/AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

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
