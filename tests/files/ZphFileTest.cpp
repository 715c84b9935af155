// The own record format: pinned layout, round trip of every field, hostile files.
#include "files/ZphFile.h"
#include "files/RecFile.h"
#include "model/Calc.h"
#include "model/Options.h"
#include "platform/Msg.h"
#include "platform/Numbers.h"

#include "support/Fixtures.h"
#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <cstring>
#include <gtest/gtest.h>
#include <tuple>

namespace {

class ZphFileTest : public FreshModel
{
protected:
    void SetUp() override
    {
        FreshModel::SetUp();
        ASSERT_TRUE(dir.isValid());
    }
    QString Path(const QString& name) const { return dir.filePath(name); }

    QTemporaryDir dir;
};

TTrn* AddTurn(TStn& S, int32 lat, int32 lon, const QString& name)
{
    TTrn t;
    t.Lat = lat;
    t.Lon = lon;
    t.Name = name;
    return S.AddTrn(t, -1);
}

// A trace whose every field holds something that a careless format would lose.
TTrj* BuildRichTrace()
{
    TTrj* T = NewTrj();
    T->Name = QStringLiteral("Vol d'été");
    T->Note = QStringLiteral("Note longue de plus de quinze caractères, avec € et œ");
    T->Pilot = QStringLiteral("Jérôme Dupré");
    T->GliderType = QStringLiteral("LS 4");
    T->GliderId = QStringLiteral("F-CZPH");
    T->CompId = QStringLiteral("ZP");
    T->Source = QStringLiteral("123456789012345"); // exactly 15 characters
    T->Date = EncodeDate(2023, 7, 14);
    T->TimeOffset = -12345;
    const int32 base = 2350000; // 23:30, so the trace passes midnight
    for (int i = 0; i < 500; ++i) {
        auto R = std::make_unique<TRec>();
        R->Lat = 4512345 - i * 37;
        R->Lon = -123456 + i * 41;
        R->Time = base + i * 278;
        R->Alt = -20 + i * 3;
        R->AltGps = 100000 + i; // beyond 16 bits
        R->Enl = i % 1000;
        R->Kind = (i == 250) ? 1 : 0;
        EXPECT_TRUE(T->AddRec(R));
    }
    TStn& S = *T->Stn;
    TTrn* a = AddTurn(S, 4500000, 500000, QStringLiteral("DÉPART"));
    a->Comment = QStringLiteral("Commentaire du départ");
    a->Sect = TSect{2, 500, 3000, 45, 90, 1};
    a->Time = 2360000;
    a->TimeMin = 0; // an empty window survives as it is
    a->TimeMax = 2400001;
    a->Reached = 7;
    a->Alt = 1234;
    a->Attr = 0x55;
    a->Rep = true;
    TTrn* b = AddTurn(S, -3355000, 14621000, QStringLiteral("Turn point name longer than 15"));
    auto* ref = new TWpt;
    ref->Lat = -3355111;
    ref->Lon = 14621222;
    ref->Alt = 321;
    ref->Name = QStringLiteral("REF");
    ref->Comment = QStringLiteral("Ref comment");
    ref->Attr = 3;
    ref->Rep = true;
    b->SetRefWpt(ref, true);
    b->Num = 9;
    TTrn* c = AddTurn(S, 4500000, 500000, QStringLiteral("123456789012345"));
    c->Sect = TSect{1, 0, 20000, 0, 180, 0};
    T->Stn->Modified = false;
    TrjLoaded();
    T->TimeLoc = 3; // not what the date gives
    return T;
}

void FillSwp(TSwp& S, int n)
{
    for (int i = 0; i < n; ++i) {
        auto W = std::make_unique<TWpt>();
        W->Lat = 4400000 + i;
        W->Lon = -500000 - i;
        W->Alt = i * 10 - 5;
        W->Name = QStringLiteral("W%1 é").arg(i);
        W->Comment =
            i % 2 ? QString() : QStringLiteral("Comment %1 with more than fifteen characters").arg(i);
        W->Attr = uint8(i % 128);
        W->Rep = i % 3 == 0;
        ASSERT_TRUE(S.AddWpt(W));
    }
}

void ExpectSameWpt(const TWptBase& a, const TWptBase& b)
{
    EXPECT_EQ(std::tie(a.Lat, a.Lon, a.Name, a.Comment, a.Alt, a.Attr, a.Rep),
              std::tie(b.Lat, b.Lon, b.Name, b.Comment, b.Alt, b.Attr, b.Rep));
}

void ExpectSameTask(const TStn& a, const TStn& b)
{
    ASSERT_EQ(a.Count, b.Count);
    for (const TTrn *p = a.First, *q = b.First; p && q; p = p->Next, q = q->Next) {
        ExpectSameWpt(*p, *q);
        EXPECT_EQ(std::tie(p->Time, p->TimeMin, p->TimeMax, p->Num, p->Reached),
                  std::tie(q->Time, q->TimeMin, q->TimeMax, q->Num, q->Reached));
        EXPECT_EQ(p->Sect, q->Sect);
        ASSERT_EQ(p->RefWpt != nullptr, q->RefWpt != nullptr);
        if (p->RefWpt) ExpectSameWpt(*p->RefWpt, *q->RefWpt);
    }
}

void ExpectSameSwp(const TSwp& a, const TSwp& b)
{
    ASSERT_EQ(a.Count, b.Count);
    for (const TWpt *p = a.First, *q = b.First; p && q; p = p->Next, q = q->Next) ExpectSameWpt(*p, *q);
}

const uint8* RecAt(const QByteArray& b, int n)
{
    return reinterpret_cast<const uint8*>(b.constData()) + n * ZphRecSize;
}

QByteArray WriteTo(const QString& path, const QByteArray& b)
{
    WriteAll(path, b);
    return b;
}

} // namespace

TEST_F(ZphFileTest, PinnedRecordsAreWhereThePreviewsReadThem)
{
    TTrj* T = BuildRichTrace();
    auto S = std::make_unique<TSwp>();
    FillSwp(*S, 12);
    const QByteArray b = WriteZph(zcTrj, T, T->Stn.get(), S.get());
    ASSERT_EQ(b.size() % ZphRecSize, 0);
    const int recs = int(b.size() / ZphRecSize);

    EXPECT_EQ(QByteArray(b.constData() + 1, 8), QByteArray("Zephalon"));
    const uint8* dir = RecAt(b, 1);
    EXPECT_EQ(dir[0], 1);

    const int task = qFromLittleEndian<uint16_t>(dir + 3);
    ASSERT_GT(task, 1);
    ASSERT_LT(task, recs);
    EXPECT_EQ(RecAt(b, task)[0], 64);
    EXPECT_EQ(qFromLittleEndian<uint16_t>(RecAt(b, task) + 14), Round(TaskDistance(*T->Stn)));

    const int swp = qFromLittleEndian<uint16_t>(dir + 9);
    ASSERT_GT(swp, 1);
    EXPECT_EQ(RecAt(b, swp)[0], 160);
    EXPECT_EQ(qFromLittleEndian<uint16_t>(RecAt(b, swp) + 3), 12);

    // The turn-point names as the task preview gathers them: runs of tag 102 from the list
    // start to the first tag of 112 or more.
    const int list = qFromLittleEndian<uint16_t>(dir + 5);
    EXPECT_EQ(RecAt(b, list)[0], 96);
    QBuffer buf;
    buf.setData(b);
    ASSERT_TRUE(buf.open(QIODevice::ReadOnly));
    ASSERT_TRUE(buf.seek((list + 1) * ZphRecSize));
    QStringList names;
    for (;;) {
        const QByteArray r = buf.read(ZphRecSize);
        if (r.size() < ZphRecSize || uint8(r[0]) >= 112) break;
        if (uint8(r[0]) == 102) names << ReadZphText(buf, r);
    }
    EXPECT_EQ(names, (QStringList{QStringLiteral("DÉPART"), QStringLiteral("Turn point name longer than 15"),
                                  QStringLiteral("123456789012345")}));

    // One byte per character.
    EXPECT_TRUE(b.contains(QByteArray("D\xC9PART")));
}

TEST_F(ZphFileTest, TraceWithTaskAndWaypointsSurvivesSaveAndReload)
{
    TTrj* T = BuildRichTrace();
    NewSwp();
    FillSwp(*Swp, 40);
    const QString file = Path(QStringLiteral("vol.zph"));
    QString err;
    ASSERT_TRUE(WriteTrjFile(*T, file, true, true, err)) << err.toStdString();

    TReadReport R;
    std::unique_ptr<TSwp> carried;
    ASSERT_TRUE(LoadZphTrj(file, true, R, &carried));
    EXPECT_EQ(std::tuple(R.Rejected, R.Fixes), std::tuple(0, 500));
    TTrj* U = Trj;
    ASSERT_NE(U, T);
    EXPECT_EQ(std::tie(U->Name, U->Note, U->Pilot, U->GliderType, U->GliderId, U->CompId, U->Source),
              std::tie(T->Name, T->Note, T->Pilot, T->GliderType, T->GliderId, T->CompId, T->Source));
    EXPECT_EQ(std::tie(U->Date, U->TimeOffset), std::tie(T->Date, T->TimeOffset));
    EXPECT_EQ(std::tuple(U->TimeLoc, U->FileName, U->SaveState), std::tuple(3, file, 0));
    ASSERT_EQ(U->RecCount, T->RecCount);
    for (const TRec *p = T->First, *q = U->First; p && q; p = p->Next, q = q->Next) {
        EXPECT_EQ(std::tie(p->Lat, p->Lon, p->Time, p->Alt, p->AltGps, p->Enl, p->Kind),
                  std::tie(q->Lat, q->Lon, q->Time, q->Alt, q->AltGps, q->Enl, q->Kind));
    }
    EXPECT_GT(U->Last->Time, TimeUnitsPerDay); // past midnight, kept as it was
    ExpectSameTask(*T->Stn, *U->Stn);
    ASSERT_TRUE(carried);
    ExpectSameSwp(*Swp, *carried);

    // Without the task, the trace comes alone.
    TReadReport R2;
    ASSERT_TRUE(LoadZphTrj(file, false, R2));
    EXPECT_EQ(Trj->Stn->Count, 0);
}

TEST_F(ZphFileTest, TaskAndWaypointFilesSurviveSaveAndReload)
{
    TTrj* T = BuildRichTrace();
    NewSwp();
    FillSwp(*Swp, 7);
    QString err;
    const QString task = Path(QStringLiteral("task.zph"));
    ASSERT_TRUE(WriteStnFile(*T->Stn, task, true, err));
    const QString wpts = Path(QStringLiteral("wpts.zph"));
    ASSERT_TRUE(WriteSwpFile(*Swp, wpts, err));

    TStn S;
    TReadReport R;
    ASSERT_TRUE(ReadZphStn(task, S, R));
    EXPECT_EQ(R.Rejected, 0);
    ExpectSameTask(*T->Stn, S);
    EXPECT_EQ(S.FileName, task);

    // The task file carries the waypoints; a waypoint file holds no task and no trace.
    auto fromTask = ReadZphSwp(task, R);
    ASSERT_TRUE(fromTask);
    ExpectSameSwp(*Swp, *fromTask);
    auto W = ReadZphSwp(wpts, R);
    ASSERT_TRUE(W);
    ExpectSameSwp(*Swp, *W);
    TStn none;
    TReadReport R2;
    EXPECT_FALSE(ReadZphStn(wpts, none, R2));
    EXPECT_FALSE(R2.Error.isEmpty());
    TReadReport R3;
    const int before = TrjCount();
    EXPECT_FALSE(LoadZphTrj(wpts, true, R3));
    EXPECT_EQ(TrjCount(), before);

    // An empty set is still a set.
    TSwp empty;
    ASSERT_TRUE(WriteSwpFile(empty, wpts, err));
    auto E = ReadZphSwp(wpts, R);
    ASSERT_TRUE(E);
    EXPECT_EQ(E->Count, 0);
}

TEST_F(ZphFileTest, SummaryReadsTheHeaderWithoutTheFixes)
{
    TTrj* T = BuildRichTrace();
    const QString file = Path(QStringLiteral("s.zph"));
    QString err;
    ASSERT_TRUE(WriteTrjFile(*T, file, true, false, err));
    TZphSummary S;
    ASSERT_TRUE(ReadZphSummary(file, S));
    EXPECT_EQ(std::tuple(S.HasTrace, S.HasTask, S.Date, S.Duration, S.FixCount, S.Texts[2], S.Texts[1]),
              std::tuple(true, true, T->Date, T->Last->Time - T->First->Time, 500, T->Pilot, T->Note));
    EXPECT_NEAR(S.TaskDistKm, TaskDistance(*T->Stn), 0.001);
    EXPECT_GT(S.PathKm, 0.0);

    // A file of another kind, or of another format, gives no trace header.
    ASSERT_TRUE(WriteStnFile(*T->Stn, file, false, err));
    ASSERT_TRUE(ReadZphSummary(file, S));
    EXPECT_FALSE(S.HasTrace);
    WriteTo(file, QByteArray(64, 'x'));
    EXPECT_FALSE(ReadZphSummary(file, S));
}

TEST_F(ZphFileTest, HostileFilesAreReadSafely)
{
    TTrj* T = BuildRichTrace();
    NewSwp();
    FillSwp(*Swp, 5);
    const QByteArray good = WriteZph(zcTrj, T, T->Stn.get(), Swp);
    const int fixes = T->RecCount;

    // Not an own-format file.
    {
        TReadReport R;
        EXPECT_FALSE(LoadZphTrjData(QByteArray("Zephalon"), QStringLiteral("x.zph"), true, R));
        EXPECT_FALSE(R.Error.isEmpty());
    }
    // Cut in the middle of a record: what comes before is kept, the rest counted.
    {
        TReadReport R;
        const QByteArray cut = good.left(good.size() - 10 * ZphRecSize - 7);
        EXPECT_TRUE(LoadZphTrjData(cut, QStringLiteral("cut.zph"), true, R));
        EXPECT_GE(R.Rejected, 2); // the cut record and the missing end record
        EXPECT_EQ(Trj->RecCount, fixes - 5);
    }
    // Record numbers of the directory past the end of the file.
    {
        QByteArray bad = good.left(2 * ZphRecSize);
        auto* dir = reinterpret_cast<uint8*>(bad.data()) + ZphRecSize;
        qToLittleEndian<uint16_t>(0xFFFF, dir + 3);
        qToLittleEndian<uint16_t>(0xFFFE, dir + 5);
        qToLittleEndian<uint16_t>(0xFFFD, dir + 9);
        qToLittleEndian<uint32_t>(0xFFFFFFFF, dir + 11);
        const QString file = Path(QStringLiteral("dir.zph"));
        WriteTo(file, bad);
        TZphSummary S;
        EXPECT_TRUE(ReadZphSummary(file, S));
        EXPECT_EQ(std::tuple(S.HasTrace, S.HasTask), std::tuple(false, false));
        TReadReport R;
        const int before = TrjCount();
        EXPECT_FALSE(LoadZphTrjData(bad, file, true, R));
        EXPECT_EQ(TrjCount(), before);
    }
    // A fix without its altitude record, turn-point parts out of place, unknown tags, a text run
    // at the very end: each is counted and skipped.
    {
        QByteArray bad = good;
        const int n = int(bad.size() / ZphRecSize);
        bad[(n - 3) * ZphRecSize] = char(0x33); // the last fix record becomes an unknown tag
        bad.insert(2 * ZphRecSize, QByteArray(ZphRecSize, char(98))); // turn-point times before any list
        QByteArray text(ZphRecSize, 'A');
        text[0] = char(102);
        bad.append(text);
        bad.append(text);
        TReadReport R;
        EXPECT_TRUE(LoadZphTrjData(bad, QStringLiteral("bad.zph"), true, R));
        // Rejected: unknown tag, stray altitude, stray times, end record count, two records after the end.
        EXPECT_EQ(std::tuple(Trj->RecCount, R.Rejected, Trj->Stn->Count),
                  std::tuple(fixes - 1, 6, T->Stn->Count));
    }
    // Values out of their range: a latitude past the pole, a time far beyond the flight, a
    // turn point off the earth.
    {
        QByteArray bad = good;
        const int n = int(bad.size() / ZphRecSize);
        qToLittleEndian<int32_t>(9000001, bad.data() + (n - 3) * ZphRecSize + 1);
        qToLittleEndian<int32_t>(2147483000, bad.data() + (n - 5) * ZphRecSize + 9);
        qsizetype trn = 0;
        while (trn < bad.size() && bad[trn] != char(97)) // the first turn point's record
            trn += ZphRecSize;
        ASSERT_LT(trn, bad.size());
        qToLittleEndian<int32_t>(-18000001, bad.data() + trn + 5);
        TReadReport R;
        EXPECT_TRUE(LoadZphTrjData(bad, QStringLiteral("range.zph"), true, R));
        EXPECT_EQ(std::tuple(R.Rejected, Trj->RecCount, Trj->Stn->Count),
                  std::tuple(3, fixes - 2, T->Stn->Count - 1));
    }
    // Every byte of the header part flipped in turn: never a crash, never more fixes.
    for (int i = 0; i < 40 * ZphRecSize && i < good.size(); ++i) {
        QByteArray b = good;
        b[i] = char(b[i] ^ 0xA5);
        TReadReport R;
        LoadZphTrjData(b, QStringLiteral("f.zph"), true, R);
        TStn S;
        ReadZphStnData(b, QStringLiteral("f.zph"), S, R);
        ReadZphSwpData(b, QStringLiteral("f.zph"), R);
        EXPECT_LE(R.Fixes, fixes);
        CloseAllTrj();
    }
}

namespace {
// A record of that tag, its data starting with Text (cut to its length).
QByteArray Rec(uint8 Tag, const char* Text = "")
{
    QByteArray r(ZphRecSize, '\0');
    r[0] = char(Tag);
    std::memcpy(r.data() + 1, Text, std::strlen(Text));
    return r;
}
} // namespace

TEST_F(ZphFileTest, CountsBeyond16BitsAreRefused)
{
    // 65,536 fixes in the file: the trace takes 65,535 and the last is rejected.
    QByteArray b = Rec(0, "Zephalon") + Rec(1, "\1") + Rec(128);
    QByteArray fix = Rec(200) + Rec(201);
    b.reserve(b.size() + 65536 * fix.size() + ZphRecSize);
    for (int i = 0; i < 65536; ++i) {
        qToLittleEndian<int32_t>(i, fix.data() + 9);
        b.append(fix);
    }
    QByteArray e = Rec(255);
    qToLittleEndian<uint32_t>(uint32_t(b.size() / ZphRecSize + 1), e.data() + 1);
    b.append(e);
    TReadReport R;
    ASSERT_TRUE(LoadZphTrjData(b, QStringLiteral("big.zph"), true, R));
    EXPECT_EQ(std::tuple(Trj->RecCount, R.Rejected), std::tuple(65535, 1));
}

TEST_F(ZphFileTest, ReadZphTextStopsAtTheEndOfTheFile)
{
    // Two names: the first cut by NUL, the second the last record of the file.
    const QByteArray b = Rec(102, "ABCDEFGHIJKLMNO") + Rec(102, "PQ") + Rec(97) + Rec(102, "ABCDEFGHIJKLMNO");
    QBuffer buf;
    buf.setData(b);
    ASSERT_TRUE(buf.open(QIODevice::ReadOnly));
    QByteArray first = buf.read(ZphRecSize);
    EXPECT_EQ(ReadZphText(buf, first), QStringLiteral("ABCDEFGHIJKLMNOPQ"));
    EXPECT_EQ(buf.pos(), 2 * ZphRecSize); // back on the record that ended the text
    EXPECT_EQ(uint8(buf.read(ZphRecSize)[0]), 97);
    QByteArray last = buf.read(ZphRecSize);
    EXPECT_EQ(ReadZphText(buf, last), QStringLiteral("ABCDEFGHIJKLMNO"));
    EXPECT_TRUE(buf.atEnd()); // not moved back: a loop reading the next record ends
}
