// Saves that fail part-way (file-size limit, full disk) must leave the old file byte for byte,
// remove their temporary file, say why, and keep the object marked modified.
#include "files/MapCal.h"
#include "files/RecFile.h"
#include "model/Options.h"
#include "platform/IniFile.h"
#include "platform/Msg.h"

#include "support/Fixtures.h"
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <csignal>
#include <functional>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Runs Body in a child process whose files may not grow past Limit bytes (0: no limit), with
// SIGXFSZ ignored as a shell's "ulimit -f" user would have it; returns the text Body returned,
// or "child failed" when the child did not end normally.
QString InChild(rlim_t Limit, const std::function<QString()>& Body)
{
    int fds[2];
    if (pipe(fds) != 0) return QStringLiteral("no pipe");
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        if (Limit > 0) {
            const rlimit rl{Limit, Limit};
            setrlimit(RLIMIT_FSIZE, &rl);
        }
        signal(SIGXFSZ, SIG_IGN);
        const QByteArray out = Body().toUtf8();
        [[maybe_unused]] ssize_t w = write(fds[1], out.constData(), size_t(out.size()));
        close(fds[1]);
        _exit(0);
    }
    close(fds[1]);
    QByteArray got;
    char buf[4096];
    ssize_t n;
    while ((n = read(fds[0], buf, sizeof buf)) > 0) got.append(buf, n);
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return QStringLiteral("child failed");
    return QString::fromUtf8(got);
}

QByteArray Pattern(int size)
{
    QByteArray b;
    for (int i = 0; b.size() < size; ++i) b += "; old line " + QByteArray::number(i) + "\r\n";
    b.truncate(size);
    return b;
}

void MakeTrj(int fixes)
{
    TTrj* T = NewTrj();
    T->Date = 42000;
    T->Pilot = QStringLiteral("Pilot");
    auto R = std::make_unique<TRec>();
    for (int i = 0; i < fixes; ++i) {
        R->Time = 1000000 + i * 28;
        R->Lat = 4500000 + i * 3;
        R->Lon = 600000 + i * 5;
        R->Alt = R->AltGps = 1000 + i % 500;
        ASSERT_TRUE(T->AddRec(R));
    }
    TrjLoaded();
    T->Modified = true;
    T->SaveState = 1;
}

void MakeSwp(int count)
{
    TSwp* S = NewSwp();
    for (int i = 0; i < count; ++i) {
        auto W = std::make_unique<TWpt>();
        W->Name = QStringLiteral("WPT%1").arg(i);
        W->Comment = QStringLiteral("Comment of the waypoint number %1").arg(i);
        W->Lat = 4500000 + i * 100;
        W->Lon = 600000 + i * 70;
        W->Alt = 300 + i;
        ASSERT_TRUE(S->AddWpt(W));
    }
    S->Modified = true;
}

void MakeStn(int waypoints)
{
    MakeTrj(10);
    TTrn t;
    for (int i = 0; i < 5; ++i) {
        t.Name = QStringLiteral("TP%1").arg(i);
        t.Lat = 4500000 + i * 1000;
        t.Lon = 600000 + i * 1000;
        ASSERT_NE(Stn->AddTrn(t, -1), nullptr);
    }
    if (waypoints > 0) MakeSwp(waypoints);
    Stn->Modified = true;
}

// One kind of file the program writes. Fill builds the object (Large: well past 64 KiB; else
// a few KiB, under the write buffer of the usual save classes). Save saves it to Path through
// the program's own caller and answers whether it said it succeeded; Modified whether the
// object still counts as unsaved.
struct TKind
{
    const char* Name;
    const char* File;
    std::function<void(bool Large)> Fill;
    std::function<bool(const QString& Path, bool Large)> Save;
    std::function<bool()> Modified;
};

// Other keys, enough to reach the wanted size, written with the options in one save.
void FillIni(TIniFile& Ini, bool Large)
{
    Ini.BeginUpdate();
    const int keys = Large ? 4000 : 200;
    for (int i = 0; i < keys; ++i)
        Ini.WriteString(QStringLiteral("Bulk"), QStringLiteral("Key%1").arg(i),
                        QStringLiteral("value %1").arg(i));
}

const std::vector<TKind>& Kinds()
{
    static const std::vector<TKind> k = {
        {"TrjZph", "t.zph", [](bool L) { MakeTrj(L ? 4000 : 200); },
         [](const QString& P, bool) { return SaveTrjFile(Trj, P, false, false); },
         [] { return Trj->Modified; }},
        {"TrjIgc", "t.igc", [](bool L) { MakeTrj(L ? 3000 : 200); },
         [](const QString& P, bool) { return SaveTrjFile(Trj, P, false, false); },
         [] { return Trj->Modified; }},
        {"TrjKml", "t.kml", [](bool L) { MakeTrj(L ? 3000 : 150); },
         [](const QString& P, bool) { return SaveTrjFile(Trj, P, false, false); },
         [] { return Trj->Modified; }},
        {"TrjDat", "t.dat", [](bool L) { MakeTrj(L ? 3000 : 200); },
         [](const QString& P, bool) { return SaveTrjFile(Trj, P, false, false); },
         [] { return Trj->Modified; }},
        {"SwpZph", "w.zph", [](bool L) { MakeSwp(L ? 1500 : 80); },
         [](const QString& P, bool) { return SaveSwpFile(P); }, [] { return Swp->Modified; }},
        {"SwpWpt", "w.wpt", [](bool L) { MakeSwp(L ? 1500 : 100); },
         [](const QString& P, bool) { return SaveSwpFile(P); }, [] { return Swp->Modified; }},
        {"SwpDat", "w.dat", [](bool L) { MakeSwp(L ? 1500 : 100); },
         [](const QString& P, bool) { return SaveSwpFile(P); }, [] { return Swp->Modified; }},
        {"SwpWpz", "w.wpz", [](bool L) { MakeSwp(L ? 2000 : 150); },
         [](const QString& P, bool) { return SaveSwpFile(P); }, [] { return Swp->Modified; }},
        {"StnZph", "s.zph", [](bool L) { MakeStn(L ? 1500 : 80); },
         [](const QString& P, bool) { return SaveStnFile(P, true); }, [] { return Stn->Modified; }},
        {"Ini", "Zephalon.ini", [](bool) {},
         [](const QString& P, bool L) {
             TIniFile ini(P);
             FillIni(ini, L);
             return SaveOptions(*Opt, ini);
         },
         [] { return true; }},
        {"Cal", "m.cal", [](bool) {},
         [](const QString& P, bool L) {
             TMap M;
             return SaveMapCal(P, M, QString(L ? 90000 : 4000, u'c'), 1000, 800);
         },
         [] { return true; }},
    };
    return k;
}

// Fills and saves K in a child under Limit: {whether it said it saved, whether the object is still
// modified, the messages shown}.
QStringList SaveInChild(const TKind& K, const QString& Path, bool Large, rlim_t Limit)
{
    return InChild(Limit,
                   [&] {
                       K.Fill(Large);
                       const bool saved = K.Save(Path, Large);
                       QString shown;
                       for (const Msg::Shown& s : Msg::Log()) shown += s.text;
                       return QStringLiteral("%1|%2|%3").arg(saved).arg(K.Modified()).arg(shown);
                   })
        .split(u'|');
}

enum class TFailure
{
    FileLimit,
    FullDisk
};

class SaveFailureTest : public FreshModel,
                        public ::testing::WithParamInterface<std::tuple<size_t, bool, TFailure>>
{
protected:
    // The size the save writes when nothing stops it.
    qint64 FreeSize(const TKind& K, bool Large, const QByteArray& Old)
    {
        QTemporaryDir probe;
        const QString p = probe.filePath(QLatin1String(K.File));
        WriteAll(p, Old);
        if (HasFatalFailure()) return -1;
        const QString r = InChild(0, [&] {
            K.Fill(Large);
            return K.Save(p, Large) ? QStringLiteral("ok") : QStringLiteral("failed");
        });
        return r == QLatin1String("ok") ? QFileInfo(p).size() : -1;
    }
};

TEST_P(SaveFailureTest, OldFileKeptAndReasonShown)
{
    const auto [index, large, failure] = GetParam();
    const TKind& K = Kinds()[index];
    if (failure == TFailure::FullDisk && geteuid() != 0) GTEST_SKIP() << "mounting a small disk needs root";

    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    QString folder = tmp.path();
    bool mounted = false;
    if (failure == TFailure::FullDisk) {
        folder = tmp.filePath(QStringLiteral("disk"));
        ASSERT_TRUE(QDir().mkpath(folder));
        if (mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0, "size=64k") != 0)
            GTEST_SKIP() << "tmpfs cannot be mounted here";
        mounted = true;
    }
    struct TUnmount
    {
        bool on;
        QString dir;
        ~TUnmount()
        {
            if (on) umount(QFile::encodeName(dir).constData());
        }
    } unmount{mounted, folder};

    const QByteArray old = Pattern(3000);
    const qint64 wanted = FreeSize(K, large, old);
    ASSERT_GT(wanted, 0);
    if (large)
        ASSERT_GT(wanted, 80 * 1024) << K.Name;
    else
        ASSERT_TRUE(wanted > 6 * 1024 && wanted < 16 * 1024) << K.Name << " " << wanted;

    const QString path = QDir(folder).filePath(QLatin1String(K.File));
    ASSERT_NO_FATAL_FAILURE(WriteAll(path, old));
    rlim_t limit = 0;
    QString reason;
    if (failure == TFailure::FileLimit) {
        limit = large ? 32 * 1024 : 4 * 1024;
        reason = QStringLiteral("File too large");
    } else {
        // Leave one page free beside the old file.
        QFile filler(QDir(folder).filePath(QStringLiteral("filler")));
        ASSERT_TRUE(filler.open(QIODevice::WriteOnly));
        const QByteArray page(4096, 'x');
        for (int i = 0; i < 14; ++i) ASSERT_EQ(filler.write(page), page.size());
        ASSERT_TRUE(filler.flush());
        reason = QStringLiteral("No space left on device");
    }
    const QStringList before = QDir(folder).entryList(QDir::Files | QDir::Hidden);

    const QStringList parts = SaveInChild(K, path, large, limit);
    ASSERT_EQ(parts.size(), 3) << parts.join(u'|').toStdString();
    EXPECT_EQ(parts[0], QStringLiteral("0")) << K.Name << ": the failed save said it succeeded";
    EXPECT_EQ(parts[1], QStringLiteral("1")) << K.Name << ": no longer marked modified";
    EXPECT_TRUE(parts[2].contains(reason)) << K.Name << ": " << parts[2].toStdString();

    EXPECT_EQ(ReadAll(path), old) << K.Name << ": the old file changed";
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), before)
        << K.Name << ": temporary file left";
}

INSTANTIATE_TEST_SUITE_P(AllKinds, SaveFailureTest,
                         ::testing::Combine(::testing::Range<size_t>(0, 11), ::testing::Bool(),
                                            ::testing::Values(TFailure::FileLimit, TFailure::FullDisk)),
                         [](const auto& info) {
                             return std::string(Kinds()[std::get<0>(info.param)].Name) +
                                    (std::get<1>(info.param) ? "Large" : "Small") +
                                    (std::get<2>(info.param) == TFailure::FileLimit ? "FileLimit"
                                                                                    : "FullDisk");
                         });

TEST_F(SaveFailureTest, ReadOnlyFilesAreRefusedAndKeepTheirBytesAndMode)
{
    QTemporaryDir tmp;
    const QByteArray old = Pattern(500);
    for (size_t i = 0; i < Kinds().size(); ++i) {
        const TKind& K = Kinds()[i];
        SCOPED_TRACE(K.Name);
        const QString path = tmp.filePath(QLatin1String(K.File));
        ASSERT_NO_FATAL_FAILURE(WriteAll(path, old));
        ASSERT_TRUE(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        const QStringList parts = SaveInChild(K, path, false, 0);
        ASSERT_EQ(parts.size(), 3) << parts.join(u'|').toStdString();
        EXPECT_EQ(std::pair(parts[0], parts[1]), std::pair(QStringLiteral("0"), QStringLiteral("1")));
        EXPECT_TRUE(parts[2].contains(QStringLiteral("Permission denied"))) << parts[2].toStdString();
        EXPECT_EQ(ReadAll(path), old);
        EXPECT_EQ(QFile::permissions(path) & (QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther),
                  QFile::Permissions());
    }
}

} // namespace
