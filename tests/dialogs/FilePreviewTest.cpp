// The memo of the file dialogs: trace summaries, own-format waypoint and task facts built byte
// by byte (and hostile variants), map sizes and calibration, the header of the trace to save.
#include "dialogs/FilePreview.h"

#include "files/RecFile.h"
#include "files/TrjFileInfo.h"
#include "files/ZphFile.h"
#include "model/Calc.h"
#include "model/Options.h"
#include "model/Texts.h"
#include "support/Fixtures.h"
#include "support/ModelBits.h"

#include <QBuffer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

using Bytes = std::vector<std::pair<int, uint8>>;

// One 16-byte record: tag and the given bytes.
QByteArray Rec(uint8 Tag, const Bytes& B = {})
{
    QByteArray r(ZphRecSize, '\0');
    r[0] = char(Tag);
    for (auto [at, v] : B) r[at] = char(v);
    return r;
}
QByteArray Magic()
{
    QByteArray r = Rec(0);
    r.replace(1, 8, "Zephalon");
    return r;
}
// Directory: task header at record T, turn-point list at L, waypoint header at W.
QByteArray Dir(uint16 T, uint16 L, uint16 W)
{
    return Rec(1, {{3, uint8(T)},
                   {4, uint8(T >> 8)},
                   {5, uint8(L)},
                   {6, uint8(L >> 8)},
                   {9, uint8(W)},
                   {10, uint8(W >> 8)}});
}
// A text in records of one tag, 15 characters each, NUL padded.
QByteArray Text(uint8 Tag, const QByteArray& S)
{
    QByteArray out;
    for (int i = 0; i == 0 || i < S.size(); i += 15) {
        QByteArray r = Rec(Tag);
        const QByteArray part = S.mid(i, 15);
        r.replace(1, part.size(), part);
        out += r;
    }
    return out;
}

QStringList FromBytes(QStringList (*F)(QIODevice&), const QByteArray& B)
{
    QBuffer buf;
    buf.setData(B);
    buf.open(QIODevice::ReadOnly);
    return F(buf);
}

// The model's teardown sets the language back.
class FilePreviewTest : public FreshModel
{
protected:
    QString Write(const QString& Name, const QByteArray& B)
    {
        const QString p = dir.filePath(Name);
        WriteAll(p, B);
        return p;
    }
    QTemporaryDir dir;
};

// ---- Own-format waypoint sets and tasks -----------------------------------------------------

TEST_F(FilePreviewTest, WaypointCountFromTheHeaderTheDirectoryPointsAt)
{
    const QByteArray good = Magic() + Dir(0, 0, 2) + Rec(160, {{3, 0x2C}, {4, 0x01}});
    EXPECT_EQ(FromBytes(ZphWptCountLines, good), QStringList{"Nombre de way-points : 300."});
    Language = 1;
    EXPECT_EQ(FromBytes(ZphWptCountLines, good), QStringList{"Number of way-points : 300."});
    Language = 0;

    // Wrong magic, directory not tagged 1, header of another tag, number past the end, short file.
    QByteArray badMagic = good;
    badMagic[3] = 'X';
    EXPECT_TRUE(FromBytes(ZphWptCountLines, badMagic).isEmpty());
    EXPECT_TRUE(FromBytes(ZphWptCountLines, Magic() + Rec(2, {{9, 2}}) + Rec(160, {{3, 5}})).isEmpty());
    EXPECT_TRUE(FromBytes(ZphWptCountLines, Magic() + Dir(0, 0, 2) + Rec(161, {{3, 5}})).isEmpty());
    EXPECT_TRUE(FromBytes(ZphWptCountLines, Magic() + Dir(0, 0, 0xFFFF) + Rec(160, {{3, 5}})).isEmpty());
    EXPECT_TRUE(FromBytes(ZphWptCountLines, good.left(40)).isEmpty());
    EXPECT_TRUE(FromBytes(ZphWptCountLines, QByteArray()).isEmpty());
}

TEST_F(FilePreviewTest, TaskDistanceAndTurnPointNames)
{
    // Header at 2 (distance 250 km), list at 3: two turn points with names of 1 and 2 records,
    // a comment and a reference name that are not names, then a trace header ends the list.
    const QByteArray b = Magic() + Dir(2, 3, 0) + Rec(64, {{14, 250}, {15, 0}}) + Rec(96, {{1, 2}}) +
                         Rec(97) + Text(102, "DEPART") + Text(103, "comment") + Rec(97) +
                         Text(102, "A LONG NAME OVER FIFTEEN") + Text(105, "REFNAME") + Rec(128) +
                         Text(102, "NOT IN LIST");
    EXPECT_EQ(FromBytes(ZphTaskLines, b),
              (QStringList{" Distance : 250 km", "DEPART", "A LONG NAME OVER FIFTEEN"}));

    // In nautical miles: 250 / 1.8518 = 135.0 rounded.
    Opt->UniteDistance = 1;
    EXPECT_EQ(FromBytes(ZphTaskLines, b).first(), " Distance : 135 NM");
    Opt->UniteDistance = 0;

    // An empty list shows only the distance; a list that runs to the end of the file is fine.
    EXPECT_EQ(FromBytes(ZphTaskLines, Magic() + Dir(2, 3, 0) + Rec(64, {{14, 7}}) + Rec(96) + Rec(160)),
              QStringList{" Distance : 7 km"});
    EXPECT_EQ(
        FromBytes(ZphTaskLines, Magic() + Dir(2, 3, 0) + Rec(64) + Rec(96) + Rec(97) + Text(102, "LAST")),
        (QStringList{" Distance : 0 km", "LAST"}));
    // Numbers past the end, or pointing at the wrong tags, add nothing.
    EXPECT_TRUE(FromBytes(ZphTaskLines, Magic() + Dir(900, 901, 0)).isEmpty());
    EXPECT_TRUE(
        FromBytes(ZphTaskLines, Magic() + Dir(3, 2, 0) + Rec(64, {{14, 9}}) + Rec(96) + Text(102, "X"))
            .isEmpty());
    // A damaged list that never ends is read no further than a megabyte.
    QByteArray endless = Magic() + Dir(0, 2, 0) + Rec(96);
    for (int i = 0; i < 70000; ++i) endless += Rec(97);
    EXPECT_TRUE(FromBytes(ZphTaskLines, endless + Text(102, "FAR")).isEmpty());
    EXPECT_EQ(FromBytes(ZphTaskLines, Magic() + Dir(0, 2, 0) + Rec(96) + Rec(97) + Text(102, "NEAR")),
              QStringList{"NEAR"});
    // Distance 65535 km saturates as written (no overflow).
    EXPECT_EQ(FromBytes(ZphTaskLines, Magic() + Dir(2, 0, 0) + Rec(64, {{14, 0xFF}, {15, 0xFF}})),
              QStringList{" Distance : 65535 km"});
}

TEST_F(FilePreviewTest, FilesWrittenByTheProgramPreviewAsTheyHold)
{
    // A task with three turn points and a set of four waypoints, written by the own writer.
    TStn task;
    const char* names[] = {"START", "TP1", "FINISH"};
    for (int i = 0; i < 3; ++i) AddTrn(task, QString::fromLatin1(names[i]), 4500000 + i * 50000, 500000);
    TSwp set;
    for (int i = 0; i < 4; ++i) AddWpt(set, QStringLiteral("W%1").arg(i));
    const QString stn = Write("task.ZPH", WriteZph(zcStn, nullptr, &task, &set));
    const QString wpt = Write("wpts.zph", WriteZph(zcSwp, nullptr, nullptr, &set));

    TPreview p = FilePreview(fkOpenStn, 1, stn);
    EXPECT_TRUE(p.Show);
    ASSERT_EQ(p.Lines.size(), 4);
    EXPECT_EQ(p.Lines[0], QStringLiteral(" Distance : %1 km").arg(qRound(TaskDistance(task))));
    EXPECT_EQ(p.Lines.mid(1), (QStringList{"START", "TP1", "FINISH"}));

    p = FilePreview(fkOpenWpt, 1, wpt);
    EXPECT_TRUE(p.Show);
    EXPECT_EQ(p.Lines, QStringList{"Nombre de way-points : 4."});
    EXPECT_EQ(FilePreview(fkOpenWpt, 1, stn).Lines, QStringList{"Nombre de way-points : 4."});

    // Another extension is not read as own format, but the memo is shown (empty).
    const QString other = Write("wpts.dat", WriteZph(zcSwp, nullptr, nullptr, &set));
    p = FilePreview(fkOpenWpt, 1, other);
    EXPECT_TRUE(p.Show);
    EXPECT_TRUE(p.Lines.isEmpty());
    // A name that does not exist leaves the memo as it is.
    p = FilePreview(fkOpenStn, 1, dir.filePath("none.ZPH"));
    EXPECT_FALSE(p.Show);
    EXPECT_TRUE(p.Lines.isEmpty());
}

TEST_F(FilePreviewTest, HostileOwnFormatFilesNeverUpsetThePreview)
{
    QRandomGenerator rng(12345);
    for (int i = 0; i < 2000; ++i) {
        // Valid first records, then random bytes with many tags around the interesting ones.
        QByteArray b = Magic() + Dir(uint16(rng.bounded(8)), uint16(rng.bounded(8)), uint16(rng.bounded(8)));
        const int recs = rng.bounded(12);
        for (int r = 0; r < recs; ++r) {
            const uint8 tags[] = {64, 96, 97, 102, 103, 112, 160, 255, uint8(rng.bounded(256))};
            QByteArray x = Rec(tags[rng.bounded(9)]);
            for (int k = 1; k < ZphRecSize; ++k) x[k] = char(rng.bounded(256));
            b += x;
        }
        b.truncate(b.size() - rng.bounded(3) * 5); // sometimes a torn last record
        const QStringList t = FromBytes(ZphTaskLines, b);
        const QStringList w = FromBytes(ZphWptCountLines, b);
        EXPECT_LE(t.size(), recs + 1);
        EXPECT_LE(w.size(), 1);
    }
}

// ---- Trace files --------------------------------------------------------------------------------

TEST_F(FilePreviewTest, TraceSummaryLines)
{
    TTrjFileInfo i;
    i.Date = "vendredi 14 juillet 2023";
    EXPECT_EQ(TrjInfoLines(i, "km"), QStringList{"vendredi 14 juillet 2023"});
    i.Duration = "3h05";
    i.Distance = "312.4";
    i.Note = "Beau vol";
    i.Pilot = "J. Dupré";
    i.GliderId = "F-CZPH";
    i.CompId = "ZP";
    i.Source = "LX8000";
    EXPECT_EQ(
        TrjInfoLines(i, "NM"),
        (QStringList{"vendredi 14 juillet 2023  -  Durée : 3h05  -  Distance : 312.4 NM", "Note : Beau vol",
                     "Pilote : J. Dupré", "Planeur : F-CZPH", "N° concours : ZP", "Source : LX8000"}));
    i.GliderType = "LS 4";
    EXPECT_EQ(TrjInfoLines(i, "km")[3], "Planeur : LS 4  -  F-CZPH");
    // The glider line stands on the glider id.
    i.GliderId.clear();
    EXPECT_FALSE(TrjInfoLines(i, "km").join('\n').contains("Planeur"));
    // The labels do not change with the language.
    Language = 1;
    i.GliderId = "X";
    EXPECT_TRUE(TrjInfoLines(i, "km").contains("Pilote : J. Dupré"));
}

TEST_F(FilePreviewTest, TraceFilesOfTheOpenTraceDialog)
{
    const QString igc = QStringLiteral(ZPH_TESTDATA "/igc/27GLQKF3.igc");
    TTrjFileInfo info;
    ASSERT_TRUE(ReadTrjFileInfo(igc, 1, info));
    TPreview p = FilePreview(fkOpenTrj, 1, igc);
    EXPECT_TRUE(p.Show);
    ASSERT_FALSE(p.Lines.isEmpty());
    EXPECT_TRUE(p.Lines[0].startsWith(info.Date));
    EXPECT_EQ(p.Lines, TrjInfoLines(info, "km"));

    // Not valid; another extension; a folder; nothing at all.
    const QString bad = Write("bad.IGC", "this is not a flight\r\n");
    p = FilePreview(fkOpenTrj, 1, bad);
    EXPECT_TRUE(p.Show);
    EXPECT_EQ(p.Lines, QStringList{"Fichier *.zph ou *.igc non valide"});
    Language = 1;
    EXPECT_EQ(FilePreview(fkOpenTrj, 1, bad).Lines, QStringList{"*.zph or *.igc file not valid"});
    Language = 0;
    p = FilePreview(fkOpenTrj, 1, QStringLiteral(ZPH_TESTDATA "/gpx/igc1.gpx"));
    EXPECT_TRUE(p.Show);
    EXPECT_TRUE(p.Lines.isEmpty());
    EXPECT_FALSE(FilePreview(fkOpenTrj, 1, dir.path()).Show);
    EXPECT_FALSE(FilePreview(fkOpenTrj, 1, dir.filePath("missing.igc")).Show);
    EXPECT_FALSE(FilePreview(fkOpenTrj, 1, QString()).Show);

    // Every IGC of the test data gives a first line without failing.
    for (const char* f : {"01lz1hq1.igc", "1_77fv6kh1.igc", "2016-11-08-xcs-aaa-02.igc", "apf-bug554.igc",
                          "bad-line.igc", "xctrack-2020-09-04.igc"}) {
        p = FilePreview(fkOpenTrj, 1, QStringLiteral(ZPH_TESTDATA "/igc/") + QString::fromLatin1(f));
        EXPECT_TRUE(p.Show) << f;
        EXPECT_FALSE(p.Lines.isEmpty()) << f;
    }
}

TEST_F(FilePreviewTest, HeaderOfTheTraceToSave)
{
    EXPECT_FALSE(FilePreview(fkSaveTrj, 1, QString()).Show); // no trace: nothing
    TTrj* T = NewTrj();
    T->Note = "N";
    T->Pilot = "P";
    T->GliderId = "ID";
    TPreview p = FilePreview(fkSaveTrj, 1, dir.filePath("whatever"));
    EXPECT_TRUE(p.Show);
    EXPECT_EQ(p.Lines,
              (QStringList{"Note : N", "Pilote : P", "Planeur : ID", "N° concours : ", "Source : "}));
    T->GliderType = "Ka 6";
    Language = 1;
    EXPECT_EQ(FilePreview(fkSaveTrj, 1, QString()).Lines,
              (QStringList{"Note : N", "Pilot : P", "Glider : Ka 6  -  ID", "Comp Id : ", "Source : "}));
    // Another filter entry: emptied, visibility kept.
    p = FilePreview(fkSaveTrj, 2, QString());
    EXPECT_FALSE(p.Show);
    EXPECT_TRUE(p.Lines.isEmpty());
    // The other save kinds and the airspace kind show nothing.
    for (int k : {fkSaveWpt, fkSaveStn, fkOpenSmp, fkSaveSmp})
        EXPECT_FALSE(FilePreview(k, 1, dir.path()).Show) << k;
}

// ---- Map images -----------------------------------------------------------------------------------

TEST_F(FilePreviewTest, MapSizeRoundsHalfToEven)
{
    const QString a = Write("a.jpg", QByteArray(1536, 'x'));
    const QString b = Write("Carte B.JPEG", QByteArray(2560, 'x'));
    const QString c = Write("c.bmp", QByteArray(3584, 'x')); // 3.5 -> 4
    EXPECT_EQ(MapImageLines(a).first(), "a.jpg : 2Ko");
    EXPECT_EQ(MapImageLines(b).first(), "Carte B.JPEG : 2Ko");
    EXPECT_EQ(MapImageLines(c).first(), "c.bmp : 4Ko");
    // An empty image has no size line.
    const QString e = Write("e.jpg", QByteArray());
    EXPECT_FALSE(MapImageLines(e).first().contains("Ko"));
}

TEST_F(FilePreviewTest, MapCalibrationAndDescriptionFacts)
{
    const QString img = Write("Alpes.jpg", QByteArray(2048, 'x'));
    // Neither file.
    EXPECT_EQ(MapImageLines(img), (QStringList{"Alpes.jpg : 2Ko", "'Alpes.ini' et 'Alpes.map' non trouvé."}));
    Language = 1;
    EXPECT_EQ(MapImageLines(img)[1], "'Alpes.ini' and 'Alpes.map' not found.");
    // Description only.
    Write("Alpes.map", "[Map]\r\n");
    EXPECT_EQ(MapImageLines(img)[1], "'Alpes.ini not found but 'Alpes.map' found.");
    Language = 0;
    EXPECT_EQ(MapImageLines(img)[1], "'Alpes.ini' non trouvé, mais 'Alpes.map' trouvé.");
    // Calibration file: comment and bounds; missing bounds read as the missing marker.
    Write("Alpes.ini", "[General]\r\nComment=Alpes du Sud\r\nLati_Max=4512000\r\nLong_Max=612000\r\n"
                       "Lati_Min=-4400000\r\n");
    const QStringList l = MapImageLines(img);
    ASSERT_EQ(l.size(), 4);
    EXPECT_EQ(l[1], "Commentaires : Alpes du Sud");
    EXPECT_EQ(l[2], "Max: " + LatiToStr(4512000) + "   " + LongToStr(612000));
    EXPECT_EQ(l[3], "Min: " + LatiToStr(-4400000) + "   " + LongToStr(50000000));
    Language = 1;
    EXPECT_EQ(MapImageLines(img)[1], "Comments : Alpes du Sud");

    // Through the kinds: shown for 6 and 7, not for a missing image.
    EXPECT_TRUE(FilePreview(fkOpenMap, 1, img).Show);
    EXPECT_EQ(FilePreview(fkReinstMap, 1, img).Lines, MapImageLines(img));
    EXPECT_FALSE(FilePreview(fkOpenMap, 1, dir.filePath("gone.jpg")).Show);
}

TEST_F(FilePreviewTest, PipesAndJunkAreHarmless)
{
    // A named pipe would hold the dialog until someone writes into it.
    for (const char* n : {"p.igc", "p.ZPH", "p.jpg", "m.ini"})
        ASSERT_EQ(::mkfifo(QFile::encodeName(dir.filePath(n)).constData(), 0600), 0) << n;
    EXPECT_TRUE(FilePreview(fkOpenTrj, 1, dir.filePath("p.igc")).Lines.isEmpty());
    EXPECT_TRUE(FilePreview(fkOpenWpt, 1, dir.filePath("p.ZPH")).Lines.isEmpty());
    EXPECT_TRUE(FilePreview(fkOpenStn, 1, dir.filePath("p.ZPH")).Lines.isEmpty());
    EXPECT_TRUE(FilePreview(fkOpenMap, 1, dir.filePath("p.jpg")).Lines.isEmpty());
    const QString img = Write("m.jpg", QByteArray(10, 'x'));
    EXPECT_EQ(MapImageLines(img).size(), 2); // the size, then neither file found

    // A binary calibration file is harmless.
    QFile::remove(dir.filePath("m.ini"));
    QByteArray junk(4096, '\0');
    for (int i = 0; i < junk.size(); ++i) junk[i] = char((i * 131) & 0xFF);
    Write("m.ini", junk);
    const QStringList l = MapImageLines(img);
    ASSERT_EQ(l.size(), 4);
    EXPECT_EQ(l[1], "Commentaires : ");
}

} // namespace
