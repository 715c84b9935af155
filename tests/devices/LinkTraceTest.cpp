// The link-trace file: exact bytes, numbering, flushing and write failures.
#include "devices/LinkTrace.h"
#include "platform/ProgramDir.h"
#include "support/Fixtures.h"

#include <QDir>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>

namespace {

QByteArray Flip(const QByteArray& line)
{
    QByteArray out = line;
    for (char& c : out) c = static_cast<char>(static_cast<unsigned char>(c) ^ 0x80);
    return out + "\r\n";
}

} // namespace

TEST(LinkTrace, EntryBytes)
{
    const QTime t(14, 5, 9);
    // One 16-byte unit is exactly one line.
    QByteArray unit16;
    for (int i = 0; i < 16; ++i) unit16 += char(i);
    EXPECT_EQ(TLinkTrace::EntryBytes(t, true, unit16),
              Flip("05 09 Tx 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F"));
    // 17 bytes: a second line of eight blanks and one byte.
    QByteArray unit17 = unit16 + char(0x10);
    EXPECT_EQ(TLinkTrace::EntryBytes(t, false, unit17),
              Flip("05 09 Rx 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F") + Flip("         10"));
    // A Garmin frame as it goes out: every character but the line end has its top bit set.
    const QByteArray frame("\x10\xFE\x00\x02\x10\x03", 6);
    const QByteArray e = TLinkTrace::EntryBytes(t, true, frame);
    EXPECT_EQ(e, Flip("05 09 Tx 10 FE 00 02 10 03"));
    for (int i = 0; i < e.size() - 2; ++i) EXPECT_TRUE(static_cast<unsigned char>(e[i]) & 0x80) << i;
    EXPECT_TRUE(e.endsWith("\r\n"));
    // The longest line: 8 + 16 x 3 characters.
    EXPECT_EQ(TLinkTrace::EntryBytes(t, true, QByteArray(40, 'x')).indexOf("\r\n"), 56);
    EXPECT_TRUE(TLinkTrace::EntryBytes(t, true, QByteArray()).isEmpty());
}

TEST(LinkTrace, NumberingTakesTheSmallestFreeNumber)
{
    QTemporaryDir dir;
    auto touch = [&](const char* name) {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    };
    EXPECT_EQ(TLinkTrace::FreeFileName(dir.path()), dir.filePath("_Zph-0.log"));
    touch("_Zph-1.log");
    EXPECT_EQ(TLinkTrace::FreeFileName(dir.path()), dir.filePath("_Zph-0.log"));
    touch("_Zph-0.log");
    EXPECT_EQ(TLinkTrace::FreeFileName(dir.path()), dir.filePath("_Zph-2.log"));

    // Two traces open at once never share a file; the program folder is the default.
    TLinkTrace a, b;
    ASSERT_TRUE(a.Open(dir.path()));
    ASSERT_TRUE(b.Open(dir.path()));
    EXPECT_EQ(a.FileName(), dir.filePath("_Zph-2.log"));
    EXPECT_EQ(b.FileName(), dir.filePath("_Zph-3.log"));
    TLinkTrace c;
    ASSERT_TRUE(c.Open());
    EXPECT_EQ(QFileInfo(c.FileName()).absolutePath(), QFileInfo(ProgramDir()).absoluteFilePath());
    c.Close();
    QFile::remove(c.FileName());
}

TEST(LinkTrace, EntriesAreOnDiskAtOnce)
{
    QTemporaryDir dir;
    TLinkTrace trace;
    trace.SetClock([] { return QTime(23, 59, 58); });
    ASSERT_TRUE(trace.Open(dir.path()));
    trace.Write(true, QByteArray("\x10\x06\x02", 3));
    // Flushed after each entry: another reader sees it before the file is closed.
    EXPECT_EQ(ReadAll(trace.FileName()), Flip("59 58 Tx 10 06 02"));
    trace.Write(false, "$PMGNCSM,70*");
    trace.Write(false, QByteArray()); // nothing
    trace.Close();
    EXPECT_EQ(ReadAll(trace.FileName()),
              Flip("59 58 Tx 10 06 02") + Flip("59 58 Rx 24 50 4D 47 4E 43 53 4D 2C 37 30 2A"));
    trace.Write(true, "after close"); // ignored
    EXPECT_EQ(ReadAll(trace.FileName()).count("\r\n"), 2);
}

TEST(LinkTrace, FailuresAreReportedOnceAndLoggingStops)
{
    QStringList reports;
    {
        TLinkTrace trace;
        trace.SetReporter([&](const QString& m) { reports << m; });
        EXPECT_FALSE(trace.Open("/proc/zephalon-no-folder"));
        EXPECT_FALSE(trace.IsOpen());
        EXPECT_EQ(reports.size(), 1);
        trace.Write(true, "x"); // nothing happens
    }
    EXPECT_EQ(reports.size(), 1);
    EXPECT_TRUE(reports[0].contains("_Zph-0.log")) << reports[0].toStdString();

    // A write that fails (the file may not grow): reported once, the trace closes, and the
    // caller goes on.
    reports.clear();
    QTemporaryDir dir;
    TLinkTrace trace;
    trace.SetReporter([&](const QString& m) { reports << m; });
    trace.SetClock([] { return QTime(10, 0, 0); });
    ASSERT_TRUE(trace.Open(dir.path()));
    trace.Write(true, "fits");
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    auto oldHandler = signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 40;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    trace.Write(true, QByteArray(40, 'x'));
    trace.Write(true, QByteArray(40, 'y'));
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, oldHandler);
    ASSERT_EQ(reports.size(), 1);
    EXPECT_EQ(reports[0],
              "Erreur d'écriture du fichier de trace " + dir.filePath("_Zph-0.log") + " : File too large");
    EXPECT_FALSE(trace.IsOpen());
    trace.Close();
    EXPECT_EQ(reports.size(), 1);
}
