// File summaries of ZPH and IGC files.
#include "files/TrjFileInfo.h"
#include "files/IgcFile.h"
#include "files/RecFile.h"
#include "files/ZphFile.h"
#include "model/Calc.h"
#include "model/Options.h"
#include "platform/Msg.h"
#include "platform/Numbers.h"

#include "support/Fixtures.h"
#include <QFile>
#include <QLocale>
#include <QProcess>
#include <QTemporaryDir>
#include <clocale>
#include <cmath>
#include <gtest/gtest.h>

namespace {

class TrjFileInfoTest : public FreshModel
{
protected:
    void SetUp() override
    {
        FreshModel::SetUp();
        ASSERT_TRUE(dir.isValid());
    }
    QTemporaryDir dir;
};

QString Sample(const char* name)
{
    return QStringLiteral(ZPH_TESTDATA "/igc/") + QLatin1String(name);
}

double PathKm(const TTrj& T)
{
    double s = 0;
    for (const TRec* P = T.First; P && P->Next; P = P->Next) {
        TPos a{P->Lat, P->Lon}, b{P->Next->Lat, P->Next->Lon};
        const double la1 = IntDegToRad(a.Lat), la2 = IntDegToRad(b.Lat);
        const double dla = la2 - la1, dlo = IntDegToRad(b.Lon) - IntDegToRad(a.Lon);
        const double h = std::sin(dla / 2) * std::sin(dla / 2) +
                         std::cos(la1) * std::cos(la2) * std::sin(dlo / 2) * std::sin(dlo / 2);
        s += 2 * EarthRadiusKm * std::asin(std::sqrt(h));
    }
    return s;
}

// Puts LC_NUMERIC on a French locale (generated into a temporary folder when the system has
// none); false when even that is not possible.
bool FrenchNumericLocale(const QTemporaryDir& dir)
{
    if (std::setlocale(LC_NUMERIC, "fr_FR.UTF-8")) return true;
    QProcess p;
    p.start(QStringLiteral("localedef"),
            {QStringLiteral("-i"), QStringLiteral("fr_FR"), QStringLiteral("-f"), QStringLiteral("UTF-8"),
             dir.filePath(QStringLiteral("fr_FR.UTF-8"))});
    if (!p.waitForFinished(60000)) return false;
    qputenv("LOCPATH", dir.path().toUtf8());
    return std::setlocale(LC_NUMERIC, "fr_FR.UTF-8") != nullptr;
}

} // namespace

TEST_F(TrjFileInfoTest, IgcSummaryInBothLanguagesAndDateForms)
{
    TTrjFileInfo I;
    const QString f = Sample("01lz1hq1.igc");
    ASSERT_TRUE(ReadTrjFileInfo(f, 0, I));
    // 00:26:05 to 05:55:29.
    EXPECT_EQ(
        QStringList({I.Pilot, I.GliderType, I.GliderId, I.CompId, I.Source, I.Date, I.Duration, I.Note}),
        QStringList({"LANGE HANS JUERGEN", "Ventus 2cxM", "D-KJLH", "ILH", "ZANDER/SDI GP941", "21/01/10",
                     "5h29", ""}));
    // The declared task's distance, as the trace reader sees the task.
    TReadReport R;
    ASSERT_TRUE(LoadIgcTrj(f, true, R));
    EXPECT_EQ(I.Distance, FloatToStrC(TaskDistance(*Trj->Stn), 1));

    ASSERT_TRUE(ReadTrjFileInfo(f, 1, I));
    EXPECT_EQ(I.Date, QStringLiteral("jeudi 21 janvier 2010"));
    Language = 1;
    ASSERT_TRUE(ReadTrjFileInfo(f, 1, I));
    EXPECT_EQ(I.Date, QStringLiteral("Thursday, 21 January 2010"));
    ASSERT_TRUE(ReadTrjFileInfo(Sample("2016-11-08-xcs-aaa-02.igc"), 1, I));
    EXPECT_EQ(I.Date, QStringLiteral("Tuesday, 8 November 2016"));
    EXPECT_EQ(I.Duration, QStringLiteral("6h00")); // 22:43:17 to 04:43:01, past midnight
    Language = 0;
    ASSERT_TRUE(ReadTrjFileInfo(Sample("xctrack-2020-09-04.igc"), 1, I));
    EXPECT_EQ(I.Date, QStringLiteral("vendredi 4 septembre 2020"));
    ASSERT_TRUE(ReadTrjFileInfo(Sample("1_77fv6kh1.igc"), 1, I));
    EXPECT_EQ(I.Date, QStringLiteral("samedi 15 juillet 2017"));
    EXPECT_EQ(TrjInfoDate(EncodeDate(2021, 8, 15), 1), QStringLiteral("dimanche 15 août 2021"));
    EXPECT_EQ(TrjInfoDate(EncodeDate(2021, 12, 6), 1), QStringLiteral("lundi 6 décembre 2021"));
}

TEST_F(TrjFileInfoTest, WithoutTaskTheDistanceIsThePathInTheDisplayUnit)
{
    const QString f = Sample("flight_with_middle_landing.igc");
    TTrjFileInfo I;
    ASSERT_TRUE(ReadTrjFileInfo(f, 0, I));
    EXPECT_EQ(I.Duration, QStringLiteral("4h13")); // 11:23:18 to 15:36:32
    TReadReport R;
    ASSERT_TRUE(LoadIgcTrj(f, true, R));
    const double path = PathKm(*Trj);
    bool ok = false;
    EXPECT_NEAR(I.Distance.toDouble(&ok), path, path * 1e-3 + 0.05);
    EXPECT_TRUE(ok);

    Opt->UniteDistance = 1; // NM
    ASSERT_TRUE(ReadTrjFileInfo(f, 0, I));
    EXPECT_NEAR(I.Distance.toDouble(), path / 1.8518, path / 1.8518 * 1e-3 + 0.05);

    // Under a French numeric locale the decimal mark stays ".".
    const bool haveLocale = FrenchNumericLocale(dir);
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    if (haveLocale) {
        char b[16];
        std::snprintf(b, sizeof b, "%.1f", 1.5);
        EXPECT_STREQ(b, "1,5"); // the locale is really on
    }
    ASSERT_TRUE(ReadTrjFileInfo(f, 0, I));
    EXPECT_TRUE(I.Distance.contains(u'.'));
    EXPECT_FALSE(I.Distance.contains(u','));
    std::setlocale(LC_NUMERIC, "C");
    QLocale::setDefault(QLocale::c());
}

TEST_F(TrjFileInfoTest, ZphSummaryMatchesTheIgcItCameFrom)
{
    TReadReport R;
    ASSERT_TRUE(LoadIgcTrj(Sample("01lz1hq1.igc"), true, R));
    Trj->Note = QStringLiteral("Beau vol");
    const QString zph = dir.filePath(QStringLiteral("vol.ZPH"));
    QString err;
    ASSERT_TRUE(WriteTrjFile(*Trj, zph, true, false, err));
    TTrjFileInfo A, B;
    ASSERT_TRUE(ReadTrjFileInfo(Sample("01lz1hq1.igc"), 1, A));
    ASSERT_TRUE(ReadTrjFileInfo(zph, 1, B));
    for (int i = 0; i < 8; ++i) EXPECT_EQ(A[i], B[i]) << i;
    EXPECT_EQ(B.Note, QStringLiteral("Beau vol"));

    // Without the task the distance is the path length.
    const QString bare = dir.filePath(QStringLiteral("bare.zph"));
    ASSERT_TRUE(WriteTrjFile(*Trj, bare, false, false, err));
    ASSERT_TRUE(ReadTrjFileInfo(bare, 0, B));
    EXPECT_NEAR(B.Distance.toDouble(), PathKm(*Trj), 0.1);

    // A task or waypoint file is not a trace file.
    const QString task = dir.filePath(QStringLiteral("task.zph"));
    ASSERT_TRUE(WriteStnFile(*Trj->Stn, task, false, err));
    EXPECT_FALSE(ReadTrjFileInfo(task, 1, B));
}

TEST_F(TrjFileInfoTest, OnlyZphAndIgcFilesAreRecognised)
{
    TTrjFileInfo I;
    EXPECT_FALSE(ReadTrjFileInfo(QStringLiteral(ZPH_TESTDATA "/gpx/igc1.gpx"), 1, I));
    EXPECT_FALSE(ReadTrjFileInfo(dir.filePath(QStringLiteral("missing.igc")), 1, I));
    const QString junk = dir.filePath(QStringLiteral("junk.igc"));
    WriteAll(junk, "not a flight\nB12\n");
    EXPECT_FALSE(ReadTrjFileInfo(junk, 1, I));
    // The ".GPS" extension is an IGC file.
    const QString gps = dir.filePath(QStringLiteral("flight.gps"));
    ASSERT_TRUE(QFile::copy(Sample("bad-line.igc"), gps));
    ASSERT_TRUE(ReadTrjFileInfo(gps, 0, I));
    EXPECT_EQ(QStringList({I.Date, I.GliderId, I.Duration}),
              QStringList({"05/08/22", "D-KGSA", "3h15"})); // 10:35:32 to 13:50:21
    // A header without any fix: recognised, no duration, no distance.
    const QString head = dir.filePath(QStringLiteral("head.igc"));
    WriteAll(head, "HFDTE010203\r\nHFPLTPILOT:X\r\n");
    ASSERT_TRUE(ReadTrjFileInfo(head, 0, I));
    EXPECT_EQ(I.Pilot, QStringLiteral("X"));
    EXPECT_TRUE(I.Duration.isEmpty());
    EXPECT_TRUE(I.Distance.isEmpty());
}
