// IGC files: the public sample files, the writer read back, damaged records.
#include "files/IgcFile.h"
#include "files/TrjFormats.h"
#include "model/Calc.h"
#include "platform/Msg.h"

#include "support/Fixtures.h"
#include <QFile>
#include <QTemporaryDir>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>

namespace {

using IgcFileTest = FreshModel;

QString Sample(const char* name)
{
    return QStringLiteral(ZPH_TESTDATA "/igc/") + QLatin1String(name);
}

QStringList TaskNames(const TStn& S)
{
    QStringList out;
    for (const TTrn* P = S.First; P; P = P->Next) out << P->Name;
    return out;
}

int32 Hms(int h, int m, int s)
{
    return (int32(h * 3600 + m * 60 + s) * 500 + 9) / 18;
}

struct TExpect
{
    const char* file;
    int fixes;
    int y, m, d;
    const char* pilot;
    const char* gliderType;
    const char* gliderId;
    const char* compId;
    const char* source;
    const char* task; // turn point names joined by |
};

} // namespace

TEST_F(IgcFileTest, SampleFilesLoadWithTheirHeadersAndTasks)
{
    const std::vector<TExpect> all = {
        {"01lz1hq1.igc", 4960, 2010, 1, 21, "LANGE HANS JUERGEN", "Ventus 2cxM", "D-KJLH", "ILH",
         "ZANDER/SDI GP941", "COROWA|LOCKHART SIL|ARDLETHAN BF|WEST WYALONG|LAKE CARGELL|TEMORA|COROWA"},
        {"1_77fv6kh1.igc", 22468, 2017, 7, 15, "Jelmer Wassenaar", "LS 1", "D-9485", "1", "LXNAV,LX8080",
         "006Langenfeld-W|136Weisweiler K|132Utscheid|054Fortuna Kraf|109Radevormwald|002Zielkreis"},
        {"2016-11-08-xcs-aaa-02.igc", 6752, 2016, 11, 8, "ARNE MARTIN GUETTLER", "DUO DISCUS", "DUO", "",
         "XCSOAR,XCSOAR Android 6.8.6 Jul 22 2016", "L235-MT COOK|L530 ROXBURGH|L235-MT COOK|001-OMARAMA"},
        {"27GLQKF3.igc", 1070, 2022, 7, 16, "CHRIS RAZL", "LS 4", "", "", "LX Eos",
         "05Arthur|38Lucan|30Hanove|27Grand|05Arthur"},
        {"E1_77ff85b1.igc", 4153, 2017, 7, 15, "", "LS_4", "D_0221", "IGP", "FILSER,LX5000IGC",
         "006LANGN|009AACHN|019BADNN|058HAMBC|110REMSC|002ZIELK"},
        {"apf-bug554.igc", 4872, 2010, 7, 18, "", "", "", "", "Flarm", ""},
        {"bad-line.igc", 9, 2022, 8, 5, "", "ASG 29E 18m", "D-KGSA", "29", "LXNAV,LX9000F",
         "002departSud|005Alencon-Valf|135Le Lude|109Illiers-Comb|085Dordives|207Santeuil|001BailleauArme"},
        {"flight_with_middle_landing.igc", 14819, 2019, 3, 9, "Anonymous", "Anonymous", "", "", "", ""},
        {"skytraxx21-2023-04-15.igc", 2008, 2023, 4, 15, "Tilmann Bubeck", "", "", "", "XSX004 SKYTRAXX", ""},
        {"xctrack-2020-09-04.igc", 583, 2020, 9, 4, "", "Pegasus 2", "", "", "samsung SM-G930F 8.0.0", ""},
    };
    for (const TExpect& e : all) {
        SCOPED_TRACE(e.file);
        TReadReport R;
        ASSERT_TRUE(LoadIgcTrj(Sample(e.file), true, R)) << R.Error.toStdString();
        ASSERT_TRUE(Trj);
        EXPECT_EQ(
            std::tuple(R.Traces, R.Fixes, R.Rejected, Trj->RecCount, Trj->Date, Trj->Loaded, Trj->Modified),
            std::tuple(1, e.fixes, 0, e.fixes, EncodeDate(e.y, e.m, e.d), true, false));
        const auto U = [](const char* t) { return QString::fromUtf8(t); };
        EXPECT_EQ(
            QStringList({Trj->Pilot, Trj->GliderType, Trj->GliderId, Trj->CompId, Trj->Source, Trj->Name}),
            QStringList({U(e.pilot), U(e.gliderType), U(e.gliderId), U(e.compId), U(e.source), U(e.file)}));
        EXPECT_EQ(TaskNames(*Trj->Stn).join(u'|'), U(e.task));
    }
    EXPECT_EQ(TrjCount(), int(all.size()));
}

TEST_F(IgcFileTest, FixesTaskPositionsEngineNoiseAndMidnight)
{
    TReadReport R;
    ASSERT_TRUE(LoadIgcTrj(Sample("01lz1hq1.igc"), true, R));
    // B0026053559520S14621495EV0016600000...: first fix, validity V kept; S and E hemispheres.
    const TRec* F = Trj->First;
    EXPECT_EQ(
        std::tuple(F->Time, F->Lat, F->Lon, F->Alt, F->AltGps),
        std::tuple(Hms(0, 26, 5), -(3500000 + (59520 * 5 + 1) / 3), 14600000 + (21495 * 5 + 1) / 3, 166, 0));
    EXPECT_GT(Trj->EnlMax, 0); // ENL at bytes 39-41
    // C3513650S14643183E LOCKHART SIL
    const TTrn* P = Trj->Stn->First->Next;
    EXPECT_EQ(std::tuple(P->Lat, P->Lon),
              std::tuple(-(3500000 + (13650 * 5 + 1) / 3), 14600000 + (43183 * 5 + 1) / 3));

    // West longitudes.
    ASSERT_TRUE(LoadIgcTrj(Sample("27GLQKF3.igc"), true, R));
    EXPECT_LT(Trj->First->Lon, 0);

    // Negative pressure altitudes, no I record.
    ASSERT_TRUE(LoadIgcTrj(Sample("E1_77ff85b1.igc"), true, R));
    EXPECT_EQ(std::tuple(Trj->First->Alt, Trj->First->AltGps, Trj->EnlMax), std::tuple(-44, 103, 0));

    // 22:43:17 to 04:43:01 the next day.
    ASSERT_TRUE(LoadIgcTrj(Sample("2016-11-08-xcs-aaa-02.igc"), true, R));
    EXPECT_EQ(std::tuple(Trj->First->Time, Trj->Last->Time),
              std::tuple(Hms(22, 43, 17), TimeUnitsPerDay + Hms(4, 43, 1)));
    for (const TRec* Q = Trj->First; Q && Q->Next; Q = Q->Next) ASSERT_LE(Q->Time, Q->Next->Time);

    // The explorer's way: the declared task is left out.
    ASSERT_TRUE(LoadIgcTrj(Sample("01lz1hq1.igc"), false, R));
    EXPECT_EQ(Trj->Stn->Count, 0);
}

TEST_F(IgcFileTest, WriterOutputReadsBackEqual)
{
    QTemporaryDir dir;
    for (const char* name : {"01lz1hq1.igc", "2016-11-08-xcs-aaa-02.igc", "xctrack-2020-09-04.igc"}) {
        SCOPED_TRACE(name);
        TReadReport R;
        ASSERT_TRUE(LoadIgcTrj(Sample(name), true, R));
        TTrj* A = Trj;
        A->Pilot = QStringLiteral("Zoé Müller"); // not ASCII
        const QByteArray text = WriteIgcTrj(*A);
        EXPECT_TRUE(text.startsWith("A"));
        EXPECT_TRUE(text.contains("\r\nB"));
        TReadReport R2;
        ASSERT_TRUE(LoadIgcTrjData(text, dir.filePath(QStringLiteral("w.igc")), true, R2));
        TTrj* B = Trj;
        ASSERT_NE(A, B);
        EXPECT_EQ(R2.Rejected, 0);
        EXPECT_EQ(std::tie(B->Date, B->Pilot, B->GliderType, B->GliderId, B->CompId, B->Source),
                  std::tie(A->Date, A->Pilot, A->GliderType, A->GliderId, A->CompId, A->Source));
        ASSERT_EQ(B->RecCount, A->RecCount);
        for (const TRec *p = A->First, *q = B->First; p && q; p = p->Next, q = q->Next) {
            ASSERT_EQ(std::tie(p->Time, p->Lat, p->Lon, p->Alt, p->AltGps, p->Enl),
                      std::tie(q->Time, q->Lat, q->Lon, q->Alt, q->AltGps, q->Enl));
        }
        ASSERT_EQ(B->Stn->Count, A->Stn->Count);
        for (const TTrn *p = A->Stn->First, *q = B->Stn->First; p && q; p = p->Next, q = q->Next)
            EXPECT_EQ(std::tie(p->Lat, p->Lon, p->Name), std::tie(q->Lat, q->Lon, q->Name));
    }
}

TEST_F(IgcFileTest, DamagedRecordsAreCountedAndSkipped)
{
    const QByteArray text = "AXXXABC\r\n"
                            "HFDTE010203\r\n"
                            "HFDTE\r\n" // no date: rejected
                            "HFPLTPILOT:Ann\r\n"
                            "I99\r\n" // 99 extensions announced, none there: rejected
                            "I013638ENL\r\n"
                            "C0102030405060708091011120002\r\n"
                            "C4500000N00500000EA\r\n"
                            "C45x0000N00500000EB\r\n" // bad digit: rejected
                            "B1200004500000N00500000EA0010000200123\r\n"
                            "B1200014500000N00500000EA00100002\r\n"      // too short: rejected
                            "B1260004500000N00500000EA0010000200123\r\n" // minute 60: rejected
                            "B1200024500000N00500000EX0010000200123\r\n" // validity X: rejected
                            "B1200034560000N00500000EA0010000200123\r\n" // 60 minutes: rejected
                            "B1200044500000N18100000EA0010000200123\r\n" // 181 degrees: rejected
                            "B1200054500000N00500000EA00100002001\r\n"   // ENL cut: fix kept, no noise
                            "B1200064500000N00500000EA-0010-0002abc\r\n" // bad ENL digits: kept, no noise
                            "\r\n"
                            "B120007"; // cut last line: rejected
    TReadReport R;
    ASSERT_TRUE(LoadIgcTrjData(text, QStringLiteral("d.igc"), true, R));
    EXPECT_EQ(std::tuple(R.Fixes, R.Rejected, Trj->Date, Trj->First->Enl, Trj->Last->Enl),
              std::tuple(3, 9, EncodeDate(2003, 2, 1), 123, 0));
    EXPECT_EQ(std::tuple(Trj->Pilot, Trj->Source, Trj->Last->Alt, Trj->Last->AltGps),
              std::tuple(QStringLiteral("Ann"), QStringLiteral("XXXABC"), -10, -2));
    // Only one valid point after the header: the take-off line, so no task.
    EXPECT_EQ(Trj->Stn->Count, 0);

    // Nothing valid: no trace stays open.
    TReadReport R2;
    const int before = TrjCount();
    EXPECT_FALSE(LoadIgcTrjData(QByteArray("garbage\nB12\n"), QStringLiteral("g.igc"), true, R2));
    EXPECT_EQ(std::tuple(TrjCount(), R2.Rejected), std::tuple(before, 1));
}

TEST_F(IgcFileTest, TraceOf65536FixesKeeps65535)
{
    QByteArray text = "HFDTE010120\n";
    text.reserve(65536 * 40);
    for (int i = 0; i < 65536; ++i) {
        char b[64];
        const int s = i % 86400;
        std::snprintf(b, sizeof b, "B%02d%02d%02d4500000N00500000EA0010000200\n", s / 3600, s / 60 % 60,
                      s % 60);
        text.append(b);
    }
    TReadReport R;
    ASSERT_TRUE(LoadIgcTrjData(text, QStringLiteral("big.igc"), false, R));
    EXPECT_EQ(std::tuple(Trj->RecCount, R.Rejected), std::tuple(65535, 1));
}

TEST_F(IgcFileTest, DeclaredTaskWithoutTakeOffAndLandingWhateverTheHeaderSays)
{
    const QByteArray takeoff = "C4510000N00510000ETAKEOFF\r\n", landing = "C4520000N00520000ELANDING\r\n";
    const QByteArray start = "C4500000N00500000ESTART\r\n", tp = "C4530000N00530000ETP1\r\n",
                     finish = "C4500000N00500000EFINISH\r\n";
    struct TCase
    {
        const char* what;
        QByteArray c;
        const char* task; // turn point names joined by |, empty for no task
    };
    const std::vector<TCase> cases = {
        {"header with a task name",
         "C150717080000150717000101Fun task\r\n" + takeoff + start + tp + finish + landing,
         "START|TP1|FINISH"},
        {"count of -1", "C1507170800001507170001-1\r\n" + takeoff + start + tp + finish + landing,
         "START|TP1|FINISH"},
        {"count that does not match",
         "C150717080000150717000107\r\n" + takeoff + start + tp + finish + landing, "START|TP1|FINISH"},
        {"no flight date", "C150717080000000101\r\n" + takeoff + start + tp + finish + landing,
         "START|TP1|FINISH"},
        {"no header line", takeoff + start + tp + finish + landing, "START|TP1|FINISH"},
        {"take-off and landing at 0,0",
         "C150717080000150717000101\r\nC0000000N00000000E\r\n" + start + tp + finish +
             "C0000000N00000000E\r\n",
         "START|TP1|FINISH"},
        {"one turn point is no task", "C150717080000150717000101\r\n" + takeoff + start + landing, ""},
        {"two lines are no task", takeoff + landing, ""},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.what);
        QByteArray igc = "HFDTE150717\r\n" + c.c;
        for (int i = 0; i < 20; ++i)
            igc += "B1000" + QByteArray::number(10 + i) + "45" + QByteArray::number(10000 + i * 1000) +
                   "N005" + QByteArray::number(10000 + i * 700) + "EA0050000600\r\n";
        TReadReport R;
        ASSERT_TRUE(LoadIgcTrjData(igc, QStringLiteral("t.igc"), true, R));
        EXPECT_EQ(std::tuple(R.Rejected, R.Fixes),
                  std::tuple(0, 20)); // the header line is never a bad record
        EXPECT_EQ(TaskNames(*Trj->Stn).join(u'|'), QLatin1String(c.task));

        // The summary follows the same rule: without a task its distance is the path length.
        TIgcSummary S;
        ASSERT_TRUE(ReadIgcSummaryData(igc.constData(), igc.size(), S));
        EXPECT_EQ(S.HasTask, *c.task != 0);
        if (S.HasTask) {
            EXPECT_GT(S.TaskDistKm, 100.0); // start to TP1 and back, about 68 km each way
        } else {
            EXPECT_EQ(S.Fixes, 20);
            EXPECT_GT(S.PathKm, 1.0);
        }
    }
}

TEST_F(IgcFileTest, FixWhoseTimeDoesNotAdvanceIsKeptOneSecondLater)
{
    const QByteArray igc = "HFDTE150717\r\n"
                           "B1000004500000N00500000EA0050000600\r\n"
                           "B1000004500100N00500000EA0050000600\r\n" // the same second
                           "B0959504500200N00500000EA0050000600\r\n" // ten seconds back
                           "B1000004500250N00500000EA0050000600\r\n" // the same second again
                           "B1000104500300N00500000EA0050000600\r\n";
    TReadReport R;
    ASSERT_TRUE(LoadIgcTrjData(igc, QStringLiteral("t.igc"), true, R));
    EXPECT_EQ(std::tuple(R.Fixes, R.Retimed, R.Rejected), std::tuple(5, 3, 0));
    std::vector<int32> times, lats;
    for (const TRec* P = Trj->First; P; P = P->Next) {
        times.push_back(P->Time);
        lats.push_back(P->Lat);
    }
    // Whole seconds, so that the trace written and read again keeps the same times.
    EXPECT_EQ(times, (std::vector<int32>{Hms(10, 0, 0), Hms(10, 0, 1), Hms(10, 0, 2), Hms(10, 0, 3),
                                         Hms(10, 0, 10)}));
    EXPECT_EQ(lats[2], 4500000 + (200 * 5 + 1) / 3);
    TTrj* first = Trj;
    for (const auto& [Write, Load] : {std::pair{&WriteIgcTrj,
                                                +[](const QByteArray&B, TReadReport&R2) {
                                                    return LoadIgcTrjData(B, QStringLiteral("b.igc"), false,
                                                                          R2);
                                                }},
                                      std::pair{&WriteDatTrj, +[](const QByteArray&B, TReadReport&R2) {
                                                    return LoadDatTrjData(B, QStringLiteral("b.dat"), R2);
                                                }}}) {
        TReadReport R2;
        ASSERT_TRUE(Load(Write(*first), R2));
        std::vector<int32> back;
        for (const TRec* P = Trj->First; P; P = P->Next) back.push_back(P->Time);
        EXPECT_EQ(back, times);
        EXPECT_EQ(R2.Retimed, 0);
    }
}

namespace {

// Pages of the file in the page cache; -1 when it cannot be told.
int CachedPages(const QString& Path)
{
    const int fd = ::open(QFile::encodeName(Path).constData(), O_RDONLY);
    if (fd < 0) return -1;
    struct stat st
    {
    };
    fstat(fd, &st);
    const long page = sysconf(_SC_PAGESIZE);
    const size_t n = size_t((st.st_size + page - 1) / page);
    void* m = mmap(nullptr, size_t(st.st_size), PROT_READ, MAP_SHARED, fd, 0);
    int count = -1;
    if (m != MAP_FAILED) {
        std::vector<unsigned char> v(n);
        if (mincore(m, size_t(st.st_size), v.data()) == 0) {
            count = 0;
            for (unsigned char c : v) count += c & 1;
        }
        munmap(m, size_t(st.st_size));
    }
    ::close(fd);
    return count;
}

// Drops the file's clean pages from the page cache; false when they stay (tmpfs).
bool DropCached(const QString& Path)
{
    const int fd = ::open(QFile::encodeName(Path).constData(), O_RDONLY);
    if (fd < 0) return false;
    fdatasync(fd);
    posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    ::close(fd);
    return CachedPages(Path) == 0;
}

} // namespace

TEST_F(IgcFileTest, SummaryOfAFileReadsItsHeadAndTailOnly)
{
    // A header longer than the first block read, a megabyte of fixes, and a long line of other
    // records after the last fix, longer than the first block read from the end.
    QByteArray igc = "AXXXABC\r\nHFDTE150717\r\nHFPLTPILOT:Ann\r\n";
    for (int i = 0; i < 1500; ++i)
        igc += "LXXXCOMMENT LINE OF THE HEADER NUMBER " + QByteArray::number(i) + "\r\n";
    igc += "C150717080000150717000102\r\nC4510000N00510000ETAKEOFF\r\nC4500000N00500000ESTART\r\n"
           "C4530000N00530000ETP1\r\nC4500000N00500000EFINISH\r\nC4520000N00520000ELANDING\r\n";
    for (int i = 0; i < 28000; ++i) {
        const int s = 36000 + i;
        char b[64];
        std::snprintf(b, sizeof b, "B%02d%02d%02d4500000N00500000EA0050000600\r\n", s / 3600, s / 60 % 60,
                      s % 60);
        igc += b;
    }
    igc += "L" + QByteArray(9000, 'x') + "\r\nGABCDEF\r\n";
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("long.igc"));
    WriteAll(path, igc);

    const bool dropped = DropCached(path);
    TIgcSummary fromFile, fromMemory;
    ASSERT_TRUE(ReadIgcSummary(path, fromFile));
    const int pages = CachedPages(path);
    ASSERT_TRUE(ReadIgcSummaryData(igc.constData(), igc.size(), fromMemory));
    EXPECT_EQ(std::tuple(fromFile.HasTask, fromFile.Pilot, fromFile.Duration, fromMemory.Duration),
              std::tuple(true, QStringLiteral("Ann"), Hms(17, 46, 39) - Hms(10, 0, 0),
                         Hms(17, 46, 39) - Hms(10, 0, 0)));
    EXPECT_DOUBLE_EQ(fromFile.TaskDistKm, fromMemory.TaskDistKm);
    EXPECT_GT(igc.size(), 1000000);
    // The head block (twice 64 KiB here) and a few pages of the tail, not the whole file.
    if (dropped) {
        EXPECT_LE(pages, 48) << "of " << igc.size() / 4096;
    }
}
