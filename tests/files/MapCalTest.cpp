// Scanned maps: calibration file, ".map" import, georeferencing, map loading and catalogue.
#include "files/MapCal.h"
#include "files/MapLoad.h"
#include "model/Define.h"
#include "model/ModelUi.h"
#include "model/Options.h"
#include "platform/IniFile.h"
#include "platform/Msg.h"
#include "platform/ProgramDir.h"
#include "support/Fixtures.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TMapCalPoint Pt(int32 x, int32 y, int32 lat, int32 lon)
{
    return {x, y, lat, lon, true};
}

// A point as the reader leaves it when the file lacks it.
TMapCalPoint Missing()
{
    return {MapPixMissing, MapPixMissing, MapPosMissing, MapPosMissing, false};
}

// The calibration of the 2000 x 1500 image of the description-file example: points on the
// image corners.
TMap CornerMap()
{
    TMap m;
    m.Pos[0] = Pt(0, 0, 4550000, -125833);
    m.Pos[1] = Pt(1999, 0, 4550000, -42500);
    m.Pos[2] = Pt(0, 1499, 4497917, -125833);
    m.Pos[3] = Pt(1999, 1499, 4497917, -42500);
    return m;
}

// A scan turned by about a degree and a half, points clicked inside the image.
TMap TurnedMap()
{
    TMap m;
    m.Pos[0] = Pt(40, 60, 4600000, 500000);
    m.Pos[1] = Pt(1950, 10, 4600000, 620000);
    m.Pos[2] = Pt(85, 1440, 4520000, 500000);
    m.Pos[3] = Pt(1990, 1400, 4520000, 620000);
    return m;
}

auto Tup(const TMapCalPoint& p)
{
    return std::tuple(p.X, p.Y, p.Lati, p.Long, p.Valid);
}

// The reference points (all defined in e), curvature coefficients and bounds of two maps.
void ExpectSamePoints(const TMap& m, const TMap& e)
{
    for (int i = 0; i < 4; ++i) EXPECT_EQ(Tup(m.Pos[i]), Tup(e.Pos[i])) << i;
}

void ExpectCoefs(const TMap& m, double aLong, double aLati, double aX, double aY)
{
    EXPECT_EQ(std::tuple(m.aLong, m.aLati, m.aX, m.aY), std::tuple(aLong, aLati, aX, aY));
}

// Lati_Max, Lati_Min, Long_Max, Long_Min of a map, its bounds or a catalogue entry.
template <class B> void ExpectBounds(const B& b, int32 LatMax, int32 LatMin, int32 LonMax, int32 LonMin)
{
    EXPECT_EQ(std::tuple(b.Lati_Max, b.Lati_Min, b.Long_Max, b.Long_Min),
              std::tuple(LatMax, LatMin, LonMax, LonMin));
}

// Pixel -> position -> pixel within a pixel, over the whole 2000 x 1500 image.
void ExpectRoundTrip(TMap m, int32 xStep, int32 yStep)
{
    for (int32 x = 0; x < 2000; x += xStep)
        for (int32 y = 0; y < 1500; y += yStep) {
            int32 lat = 0, lon = 0;
            ASSERT_TRUE(IniMapPixelToPos(m, x, y, true, lat, lon));
            double px = 0, py = 0;
            ASSERT_TRUE(IniMapPosToPixel(m, lat, lon, px, py));
            EXPECT_NEAR(px, x, 1.0) << x << "," << y;
            EXPECT_NEAR(py, y, 1.0) << x << "," << y;
        }
}

class StatusLog : public IModelUi
{
public:
    QStringList texts;
    void ShowStatus(const QString& text) override { texts << text; }
    void RefreshViews() override {}
    void ModelChanged() override {}
};

} // namespace

// ---- Numbers --------------------------------------------------------------------------------

TEST(MapCalNumbers, WrittenInTheFixedScientificForm)
{
    EXPECT_EQ(MapCalFloatToStr(0), QStringLiteral(" 0.00000000000000E+0000"));
    EXPECT_EQ(MapCalFloatToStr(-0.0), QStringLiteral(" 0.00000000000000E+0000"));
    EXPECT_EQ(MapCalFloatToStr(1.2345e-5), QStringLiteral(" 1.23450000000000E-0005"));
    EXPECT_EQ(MapCalFloatToStr(-2.5e10), QStringLiteral("-2.50000000000000E+0010"));
    EXPECT_EQ(MapCalFloatToStr(1e300), QStringLiteral(" 1.00000000000000E+0300"));
    EXPECT_EQ(MapCalFloatToStr(1.0 / 3), QStringLiteral(" 3.33333333333333E-0001"));
    EXPECT_EQ(MapCalFloatToStr(6.02214076e-310), QStringLiteral(" 6.02214076000000E-0310"));
    for (double v : {0.0, 1.2345e-5, -2.5e10, 1.0 / 3, 9.87654321e-12})
        EXPECT_EQ(MapCalFloatToStr(v).size(), 23);
    // Nothing that is not a number ever reaches the file.
    EXPECT_EQ(MapCalFloatToStr(std::nan("")), QStringLiteral(" 0.00000000000000E+0000"));
    EXPECT_EQ(MapCalFloatToStr(HUGE_VAL), QStringLiteral(" 0.00000000000000E+0000"));
}

TEST(MapCalNumbers, ReadWithPointOnlyAndZeroWhenNotANumber)
{
    EXPECT_DOUBLE_EQ(MapCalStrToFloat(QStringLiteral(" 1.23450000000000E-0005")), 1.2345e-5);
    EXPECT_DOUBLE_EQ(MapCalStrToFloat(QStringLiteral("-2.5E+0010")), -2.5e10);
    EXPECT_DOUBLE_EQ(MapCalStrToFloat(QStringLiteral("   +0.5")), 0.5);
    EXPECT_DOUBLE_EQ(MapCalStrToFloat(QStringLiteral("3")), 3);
    EXPECT_DOUBLE_EQ(MapCalStrToFloat(QStringLiteral(".25e2")), 25);
    for (const char* bad :
         {"", "1,5", "abc", "1.5x", "1e", "nan", "inf", "-Infinity", "1e400", "--1", "0x10"})
        EXPECT_EQ(MapCalStrToFloat(QString::fromLatin1(bad)), 0) << bad;
    // Every written text reads back to the very same value.
    for (double v : {1.2345e-5, -7.5e-13, 123456.789012345, 1.0 / 3})
        EXPECT_EQ(MapCalStrToFloat(MapCalFloatToStr(v)), MapCalStrToFloat(MapCalFloatToStr(v).trimmed()));
    EXPECT_EQ(MapCalStrToFloat(MapCalFloatToStr(1.2345e-5)), 1.2345e-5);
}

// ---- Calibration file -----------------------------------------------------------------------

TEST(MapCalFile, SaveWritesEveryKeyInOrderAndReadsBack)
{
    QTemporaryDir dir;
    const QString cal = dir.filePath(QStringLiteral("alpes.ini"));
    TMap m = CornerMap();
    m.aLong = 1.5e-5;
    m.aLati = -2.25e-6;
    m.aX = 0;
    m.aY = 3.125e-4;
    ASSERT_TRUE(SaveMapCal(cal, m, QStringLiteral("Alpes du sud"), 2000, 1500));

    // Corners at the reference points: the bounds are the points' own values. The curvature
    // of the meridians and parallels vanishes on the corners.
    const QByteArray expected =
        "[Def]\r\n"
        "Pos0_X=0\r\nPos0_Y=0\r\nPos0_Lati=4550000\r\nPos0_Long=-125833\r\n"
        "Pos1_X=1999\r\nPos1_Y=0\r\nPos1_Lati=4550000\r\nPos1_Long=-42500\r\n"
        "Pos2_X=0\r\nPos2_Y=1499\r\nPos2_Lati=4497917\r\nPos2_Long=-125833\r\n"
        "Pos3_X=1999\r\nPos3_Y=1499\r\nPos3_Lati=4497917\r\nPos3_Long=-42500\r\n"
        "aLong= 1.50000000000000E-0005\r\n"
        "aLati=-2.25000000000000E-0006\r\n"
        "aX= 0.00000000000000E+0000\r\n"
        "aY= 3.12500000000000E-0004\r\n"
        "[General]\r\n"
        "Comment=Alpes du sud\r\nWidth=2000\r\nHeight=1500\r\n"
        "Lati_Max=4550000\r\nLati_Min=4497917\r\nLong_Max=-42500\r\nLong_Min=-125833\r\n";
    EXPECT_EQ(ReadAll(cal).toStdString(), expected.toStdString());

    TMap r;
    QString comment;
    ASSERT_TRUE(ReadMapCal(cal, r, comment));
    ExpectSamePoints(r, m);
    ExpectCoefs(r, m.aLong, m.aLati, 0, m.aY);
    EXPECT_EQ(comment, QStringLiteral("Alpes du sud"));
    ReadMapCalGeneral(TIniFile(cal), r);
    EXPECT_EQ(std::tuple(r.Width, r.Height), std::tuple(2000, 1500));
    ExpectBounds(r, 4550000, 4497917, -42500, -125833);

    // Saving the same calibration again changes nothing.
    ASSERT_TRUE(SaveMapCal(cal, r, comment, 2000, 1500));
    EXPECT_EQ(ReadAll(cal).toStdString(), expected.toStdString());
}

TEST(MapCalFile, UndefinedPointKeysAndOtherSectionsStay)
{
    QTemporaryDir dir;
    const QString cal = dir.filePath(QStringLiteral("carte.ini"));
    WriteAll(cal, "; calibration\n"
                  "[Def]\n"
                  "Pos1_X=1234\nPos1_Y=5\nPos1_Lati=junk\nPos1_Long=700000\n"
                  "aLong=7\n"
                  "[General]\n"
                  "Lati_Max=4700000\n"
                  "[Notes]\n"
                  "Auteur=moi\n");
    TMap m = CornerMap();
    m.Pos[1] = Missing();
    int undefined = -1;
    {
        TIniFile ini(cal);
        ASSERT_TRUE(WriteMapCalDef(ini, m, undefined));
        ASSERT_TRUE(WriteMapCalGeneral(ini, QStringLiteral("c"), 2000, 1500));
        ASSERT_TRUE(WriteMapCalBounds(ini, m, 2000, 1500));
    }
    EXPECT_EQ(undefined, 1);
    const QByteArray text = ReadAll(cal);
    EXPECT_TRUE(
        text.startsWith("; calibration\n[Def]\nPos1_X=1234\nPos1_Y=5\nPos1_Lati=junk\nPos1_Long=700000\n"))
        << text.constData();
    EXPECT_TRUE(text.contains("Pos0_X=0\nPos0_Y=0\nPos0_Lati=4550000\nPos0_Long=-125833\n"));
    EXPECT_TRUE(text.contains("aLong= 0.00000000000000E+0000\n"));
    EXPECT_FALSE(text.contains("Pos1_X=1999"));
    // No new bounds; the old one is neither replaced nor removed.
    EXPECT_TRUE(text.contains("Lati_Max=4700000\n"));
    EXPECT_FALSE(text.contains("Lati_Min"));
    EXPECT_TRUE(text.endsWith("[Notes]\nAuteur=moi\n"));

    // The saved file reads with point 1 undefined (its latitude is not a number).
    TMap r;
    QString comment;
    ASSERT_TRUE(ReadMapCal(cal, r, comment));
    EXPECT_EQ(std::tuple(r.Pos[1].Valid, r.Pos[1].X, r.Pos[1].Lati), std::tuple(false, 1234, MapPosMissing));
    EXPECT_TRUE(r.Pos[0].Valid && r.Pos[2].Valid && r.Pos[3].Valid);
}

TEST(MapCalFile, OnlyEnteredPointsAreWrittenAndReadBack)
{
    // A map calibrated from scratch: the points not entered keep the zeros of a new map (a point
    // never entered shows 0, not an empty field); the reader marks them missing.
    for (const TMapCalPoint& p : TMap().Pos) EXPECT_EQ(Tup(p), std::tuple(0, 0, 0, 0, false));
    ExpectCoefs(TMap(), 0, 0, 0, 0);
    const TMap full = CornerMap();
    for (int n = 0; n <= 4; ++n) {
        SCOPED_TRACE(n);
        TMap m;
        for (int i = 0; i < n; ++i) m.Pos[size_t(i)] = full.Pos[size_t(i)];
        QTemporaryDir dir;
        const QString cal = dir.filePath(QStringLiteral("carte.ini"));
        ASSERT_TRUE(SaveMapCal(cal, m, QStringLiteral("c"), 2000, 1500));
        const QByteArray text = ReadAll(cal);
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(text.contains("Pos" + QByteArray::number(i) + "_"), i < n) << i << text.constData();
        EXPECT_EQ(text.contains("Lati_Max") || text.contains("Lati_Min") || text.contains("Long_Max") ||
                      text.contains("Long_Min"),
                  n == 4)
            << text.constData();

        TMap r;
        QString comment;
        ASSERT_TRUE(ReadMapCal(cal, r, comment));
        for (int i = 0; i < 4; ++i) EXPECT_EQ(Tup(r.Pos[i]), i < n ? Tup(full.Pos[i]) : Tup(Missing())) << i;
        EXPECT_EQ(IniMapUsable(r), n == 4);
        // Neither the map being calibrated nor the one read back converts with a point missing.
        int32 lat = 0, lon = 0;
        EXPECT_EQ(IniMapPixelToPos(m, 10, 10, false, lat, lon), n == 4);
        EXPECT_EQ(IniMapPixelToPos(r, 10, 10, false, lat, lon), n == 4);
    }
}

TEST(MapCalFile, HostileValuesMakePointsUndefined)
{
    const auto ini = TIniFile::FromBytes("[def]\n"
                                         "pos0_x=abc\npos0_y=1\npos0_lati=1\npos0_long=1\n"
                                         "Pos1_X=-5\nPos1_Y=1\nPos1_Lati=1\nPos1_Long=1\n"
                                         "Pos2_X=1\nPos2_Y=1\nPos2_Lati=9000001\nPos2_Long=1\n"
                                         "Pos3_X=1\nPos3_Y=99999999999\nPos3_Lati=1\nPos3_Long=-18000000\n"
                                         "aLong=1,5\naLati=1e999\naX=nan\naY= 2.0E+0000\n"
                                         "[General]\nWidth=0\nHeight=1.5\nLati_Max=x\nLong_Min=-700\n");
    TMap m;
    m.aLong = 9;
    QString comment = QStringLiteral("old");
    ReadMapCal(*ini, m, comment);
    for (int i = 0; i < 4; ++i) EXPECT_FALSE(m.Pos[i].Valid) << i;
    // Section and key names in any case.
    EXPECT_EQ(std::tuple(m.Pos[0].X, m.Pos[0].Y, m.Pos[1].X, m.Pos[2].Lati, m.Pos[3].Y, m.Pos[3].Long),
              std::tuple(MapPixMissing, 1, MapPixMissing, MapPosMissing, MapPixMissing, -18000000));
    ExpectCoefs(m, 0, 0, 0, 2);
    EXPECT_EQ(comment, QString());
    ReadMapCalGeneral(*ini, m);
    EXPECT_EQ(std::tuple(m.Width, m.Height, m.Lati_Max, m.Long_Min), std::tuple(-1, -1, 0, -700));

    // No file: nothing read.
    TMap untouched = CornerMap();
    comment = QStringLiteral("keep");
    EXPECT_FALSE(ReadMapCal(QStringLiteral("/nonexistent/dir/x.ini"), untouched, comment));
    EXPECT_EQ(untouched.Pos[1].X, 1999);
    EXPECT_EQ(comment, QStringLiteral("keep"));
}

TEST(MapCalFile, WriteFailureIsReported)
{
    QTemporaryDir dir;
    const QString cal = dir.filePath(QStringLiteral("ro.ini"));
    WriteAll(cal, "[Def]\n");
    QFile::setPermissions(cal, QFile::ReadOwner);
    Msg::ClearLog();
    TMap m = CornerMap();
    EXPECT_FALSE(SaveMapCal(cal, m, QString(), 2000, 1500));
    ASSERT_EQ(Msg::Log().size(), 1);
    EXPECT_TRUE(Msg::Log()[0].text.contains(cal));
    EXPECT_EQ(Msg::Log()[0].type, TMsgType::Error);
    EXPECT_EQ(ReadAll(cal), QByteArray("[Def]\n"));
    QFile::setPermissions(cal, QFile::ReadOwner | QFile::WriteOwner);
}

TEST(MapCalFile, NamesBesideTheImage)
{
    EXPECT_EQ(MapCalFileName(QStringLiteral("/cartes/alpes.jpg")), QStringLiteral("/cartes/alpes.ini"));
    EXPECT_EQ(MapDescFileName(QStringLiteral("/cartes/ALPES.BMP")), QStringLiteral("/cartes/ALPES.map"));
    EXPECT_EQ(MapCalFileName(QStringLiteral("/a.b/carte")), QStringLiteral("/a.b/carte.ini"));
    EXPECT_EQ(MapCalFileName(QStringLiteral("/c/x.tar.jpg")), QStringLiteral("/c/x.tar.ini"));
}

// ---- Description file -----------------------------------------------------------------------

namespace {
QByteArray DescFile(const char* lonSec = "1.50000", const char* latSec = "1.25000")
{
    return QByteArray("[Map]\nTopLatitude=45.30.00\nTopLongitude=-1.15.30\nPixWidth=2000\nPixHeight=1500\n") +
           "LongSecPerPixel=" + lonSec + "\nLatSecPerPixel=" + latSec + "\nMapName=Alpes\nMapSet=IGN\n";
}
} // namespace

TEST(MapDesc, ImportPutsThePointsOnTheCorners)
{
    TMap m;
    m.aLong = m.aLati = m.aX = m.aY = 1;
    QString comment, error;
    ASSERT_TRUE(ImportMapDesc(*TIniFile::FromBytes(DescFile()), m, comment, error)) << error.toStdString();
    // 45°30'00" and -(1°15'30"); spans 1.5 x 2000 and 1.25 x 1500 arc-seconds.
    ExpectSamePoints(m, CornerMap());
    ExpectCoefs(m, 0, 0, 0, 0);
    EXPECT_EQ(comment, QStringLiteral("Alpes  IGN"));

    // Seconds per pixel are decimal numbers: "1.5" is 1.5, as "1.50000".
    TMap s;
    ASSERT_TRUE(ImportMapDesc(*TIniFile::FromBytes(DescFile("1.5", "1.25")), s, comment, error));
    EXPECT_EQ(s.Pos[3].Long, -42500);
    EXPECT_EQ(s.Pos[3].Lati, 4497917);

    // A southern latitude under one degree keeps its sign.
    QByteArray south = DescFile();
    south.replace("45.30.00", "-0.30.00");
    ASSERT_TRUE(ImportMapDesc(*TIniFile::FromBytes(south), s, comment, error));
    EXPECT_EQ(s.Pos[0].Lati, -50000);
}

TEST(MapDesc, ImportIsAllOrNothing)
{
    const std::pair<const char*, const char*> bad[] = {
        {"TopLatitude=45.30.00", "TopLatitude=45.3"},
        {"TopLatitude=45.30.00", "TopLatitude=95.00.00"},
        {"TopLongitude=-1.15.30", "TopLongitude=-1.75.30"},
        {"TopLongitude=-1.15.30", "TopLongitude=1,15,30"},
        {"PixWidth=2000", "PixWidth=abc"},
        {"PixHeight=1500\n", "\n"},
        {"PixWidth=2000", "PixWidth=1"},
        {"LatSecPerPixel=1.25000", "LatSecPerPixel=abc"},
        {"LongSecPerPixel=1.50000", "LongSecPerPixel=0"},
        {"LongSecPerPixel=1.50000", "LongSecPerPixel=-1.5"},
        {"LongSecPerPixel=1.50000", "LongSecPerPixel=1e3"},
        {"LatSecPerPixel=1.25000", "LatSecPerPixel=99999"},
    };
    for (const auto& [from, to] : bad) {
        QByteArray text = DescFile();
        text.replace(from, to);
        TMap m = TurnedMap();
        m.aLati = 4;
        QString comment = QStringLiteral("before"), error;
        EXPECT_FALSE(ImportMapDesc(*TIniFile::FromBytes(text), m, comment, error)) << to;
        EXPECT_FALSE(error.isEmpty());
        ExpectSamePoints(m, TurnedMap());
        EXPECT_EQ(std::tuple(m.aLati, comment), std::tuple(4, QStringLiteral("before"))) << to;
    }

    // From a file the error is shown, naming the value that did not convert.
    QTemporaryDir dir;
    QByteArray text = DescFile();
    text.replace("LatSecPerPixel=1.25000", "LatSecPerPixel=1.2x");
    WriteAll(dir.filePath(QStringLiteral("c.map")), text);
    Msg::ClearLog();
    TMap m;
    QString comment;
    EXPECT_FALSE(ImportMapDesc(dir.filePath(QStringLiteral("c.map")), m, comment));
    ASSERT_EQ(Msg::Log().size(), 1);
    EXPECT_EQ(Msg::Log()[0].type, TMsgType::Error);
    EXPECT_TRUE(Msg::Log()[0].text.contains(QStringLiteral("'1.2x'")));
    EXPECT_TRUE(Msg::Log()[0].text.contains(QStringLiteral("LatSecPerPixel")));
    EXPECT_FALSE(m.Pos[0].Valid);
}

TEST(MapDesc, CalibrationFileWinsOverDescription)
{
    QTemporaryDir dir;
    const QString image = dir.filePath(QStringLiteral("carte.jpg"));
    WriteAll(dir.filePath(QStringLiteral("carte.map")), DescFile());
    TMap m;
    QString comment;
    EXPECT_EQ(OpenMapCalibration(image, m, comment), TMapCalSource::DescFile);
    EXPECT_EQ(m.Pos[3].X, 1999);
    EXPECT_EQ(comment, QStringLiteral("Alpes  IGN"));

    TMap t = TurnedMap();
    ASSERT_TRUE(
        SaveMapCal(dir.filePath(QStringLiteral("carte.ini")), t, QStringLiteral("calée"), 2000, 1500));
    TMap r;
    EXPECT_EQ(OpenMapCalibration(image, r, comment), TMapCalSource::CalFile);
    EXPECT_EQ(r.Pos[3].X, 1990);
    EXPECT_EQ(comment, QStringLiteral("calée"));

    TMap n;
    EXPECT_EQ(OpenMapCalibration(dir.filePath(QStringLiteral("autre.jpg")), n, comment), TMapCalSource::None);
}

// ---- Georeferencing -------------------------------------------------------------------------

TEST(MapGeo, PixelToPositionOnTheReferencePoints)
{
    // Points on the image corners convert exactly; points of a turned scan within a pixel
    // (about 60 units of 1e-5 degree here), the interpolation running between the mean columns
    // and rows of opposite points.
    for (const auto& [map, tolerance] : {std::pair(CornerMap(), 0), std::pair(TurnedMap(), 60)}) {
        TMap m = map;
        for (const TMapCalPoint& p : m.Pos) {
            int32 lat = 0, lon = 0;
            ASSERT_TRUE(IniMapPixelToPos(m, p.X, p.Y, false, lat, lon));
            EXPECT_NEAR(lat, p.Lati, tolerance);
            EXPECT_NEAR(lon, p.Long, tolerance);
            double x = 0, y = 0;
            ASSERT_TRUE(IniMapPosToPixel(m, p.Lati, p.Long, x, y));
            EXPECT_NEAR(x, p.X, tolerance ? 1.0 : 1e-6);
            EXPECT_NEAR(y, p.Y, tolerance ? 1.0 : 1e-6);
        }
    }
    // Centre of the corner map: mean of the corners, halves to even.
    TMap m = CornerMap();
    int32 lat = 0, lon = 0;
    ASSERT_TRUE(IniMapPixelToPos(m, 999, 749, false, lat, lon));
    EXPECT_NEAR(lat, (4550000 + 4497917) / 2.0, 40);
    EXPECT_NEAR(lon, (-125833 - 42500) / 2.0, 45);
}

namespace {
// A meridian through column 600 bowing 12 pixels to the right at mid-height, and a parallel
// through row 500 sagging 9 pixels in the middle, captured on the map.
bool CaptureCurvature(TMap& m)
{
    const auto captured = [&](int32 x, int32 y) {
        int32 lat = 0, lon = 0;
        EXPECT_TRUE(IniMapPixelToPos(m, x, y, false, lat, lon));
        return Pt(x, y, lat, lon);
    };
    return MapCurvMeridians(m, {captured(600, 0), captured(612, 750), captured(600, 1499)}) &&
           MapCurvParallels(m, {captured(0, 500), captured(1000, 509), captured(1999, 500)});
}
} // namespace

TEST(MapGeo, CurvatureFromCapturedPointsAndItsInverse)
{
    TMap m = CornerMap();
    ASSERT_TRUE(CaptureCurvature(m));
    for (double a : {m.aLong, m.aX, m.aLati, m.aY}) EXPECT_NE(a, 0);

    // The bowed point lies on the straight meridian of the outer two once corrected, and the
    // reverse conversion puts that meridian back on the bow; the same for the parallel.
    int32 lat = 0, lon600 = 0, lon = 0, latS = 0, lat500 = 0;
    ASSERT_TRUE(IniMapPixelToPos(m, 600, 0, true, lat, lon600));
    ASSERT_TRUE(IniMapPixelToPos(m, 612, 750, true, lat, lon));
    EXPECT_NEAR(lon, lon600, 2);
    double x = 0, y = 0;
    ASSERT_TRUE(IniMapPosToPixel(m, lat, lon600, x, y));
    EXPECT_NEAR(x, 612, 0.5);
    EXPECT_NEAR(y, 750, 0.5);
    ASSERT_TRUE(IniMapPixelToPos(m, 0, 500, true, lat500, lon));
    ASSERT_TRUE(IniMapPixelToPos(m, 1000, 509, true, latS, lon));
    EXPECT_NEAR(latS, lat500, 2);
    ASSERT_TRUE(IniMapPosToPixel(m, lat500, lon, x, y));
    EXPECT_NEAR(x, 1000, 0.5);
    EXPECT_NEAR(y, 509, 0.5);

    // Round trip over the whole image, with and without curvature.
    TMap turned = TurnedMap();
    ExpectRoundTrip(CornerMap(), 111, 97);
    ExpectRoundTrip(turned, 111, 97);
    ASSERT_TRUE(CaptureCurvature(turned));
    ExpectRoundTrip(m, 133, 101);
    ExpectRoundTrip(turned, 133, 101);
}

TEST(MapGeo, CurvatureVanishesOnTheEdges)
{
    TMap m = CornerMap();
    // The change the curvature makes at a pixel: {latitude, longitude}.
    const auto bend = [&](int32 x, int32 y) {
        int32 lat0 = 0, lon0 = 0, lat1 = 0, lon1 = 0;
        EXPECT_TRUE(IniMapPixelToPos(m, x, y, false, lat0, lon0));
        EXPECT_TRUE(IniMapPixelToPos(m, x, y, true, lat1, lon1));
        return std::pair(lat1 - lat0, lon1 - lon0);
    };
    // Zero coefficients: the same with and without curvature.
    for (int32 x : {0, 321, 1999})
        for (int32 y : {0, 777, 1499}) EXPECT_EQ(bend(x, y), std::pair(0, 0));
    m.aLong = 2e-5;
    for (int32 x : {0, 500, 1999})
        for (int32 y : {0, 1499}) EXPECT_EQ(bend(x, y).second, 0); // top and bottom rows
    EXPECT_NE(bend(500, 700).second, 0);
    EXPECT_NE(m.bLong, 0); // the scratch value stays in the map
    m.aLong = 0;
    m.aLati = 3e-5;
    for (int32 x : {0, 1999}) // first and last columns
        for (int32 y : {0, 600, 1499}) EXPECT_EQ(bend(x, y).first, 0);
    EXPECT_NE(bend(1000, 600).first, 0);
}

TEST(MapGeo, DegenerateCalibrationFails)
{
    int32 lat = 11, lon = 22;
    double x = 33, y = 44;
    // Two reference points in one column.
    TMap col = CornerMap();
    col.Pos[1].X = 0;
    EXPECT_FALSE(IniMapPixelToPos(col, 10, 10, false, lat, lon));
    EXPECT_FALSE(IniMapPixelToPos(col, 10, 10, true, lat, lon));
    EXPECT_EQ(lat, 11);
    EXPECT_EQ(lon, 22);
    EXPECT_FALSE(IniMapUsable(col));
    // Two reference points at one longitude: no reverse conversion.
    TMap pos = CornerMap();
    pos.Pos[1].Long = pos.Pos[0].Long;
    EXPECT_FALSE(IniMapPosToPixel(pos, 4500000, -100000, x, y));
    EXPECT_EQ(x, 33);
    EXPECT_FALSE(IniMapUsable(pos));
    // All points on one row.
    TMap row = CornerMap();
    row.Pos[2].Y = row.Pos[3].Y = 0;
    EXPECT_FALSE(IniMapPixelToPos(row, 10, 10, false, lat, lon));
    // A missing point.
    TMap miss = CornerMap();
    miss.Pos[3] = Missing();
    EXPECT_FALSE(IniMapPixelToPos(miss, 10, 10, false, lat, lon));
    EXPECT_FALSE(IniMapPosToPixel(miss, 4500000, -100000, x, y));
    // Coefficients that overflow.
    TMap huge = CornerMap();
    huge.aLong = 1e300;
    EXPECT_FALSE(IniMapPixelToPos(huge, 500, 700, true, lat, lon));
    EXPECT_TRUE(IniMapPixelToPos(huge, 500, 700, false, lat, lon));
    huge.aX = 1e300;
    EXPECT_FALSE(IniMapPosToPixel(huge, 4520000, -100000, x, y));
    // No bounds for any of them.
    TMapBounds b;
    EXPECT_FALSE(MapCornerBounds(col, 2000, 1500, b));
    EXPECT_FALSE(MapCornerBounds(miss, 2000, 1500, b));
    TMap ok = CornerMap();
    EXPECT_FALSE(MapCornerBounds(ok, 0, 1500, b));
    // Captured points in one column or at one position: coefficients unchanged.
    TMap c = CornerMap();
    c.aLong = 5;
    c.aX = 6;
    EXPECT_FALSE(MapCurvMeridians(
        c, {Pt(600, 0, 4550000, -90000), Pt(600, 700, 4520000, -90000), Pt(600, 1499, 4550000, -90000)}));
    EXPECT_FALSE(MapCurvParallels(
        c, {Pt(0, 5, 4520000, -90000), Pt(0, 5, 4520000, -90000), Pt(0, 5, 4520000, -90000)}));
    EXPECT_FALSE(MapCurvParallels(c, {Pt(0, 5, 1, 2), Missing(), Pt(9, 5, 3, 4)}));
    EXPECT_EQ(c.aLong, 5);
    EXPECT_EQ(c.aX, 6);
    // Saving a degenerate calibration writes no bounds.
    QTemporaryDir dir;
    const QString cal = dir.filePath(QStringLiteral("d.ini"));
    ASSERT_TRUE(SaveMapCal(cal, col, QString(), 2000, 1500));
    EXPECT_FALSE(ReadAll(cal).contains("Lati_Max"));
}

TEST(MapGeo, BoundsRoundHalvesToEven)
{
    TMap m = CornerMap();
    m.Pos[0].Lati = 4550001; // top: (4550001 + 4550000) / 2 = 4550000.5 -> 4550000
    m.Pos[2].Lati = 4497918; // bottom: (4497918 + 4497917) / 2 = 4497917.5 -> 4497918
    m.Pos[1].Long = -42501;  // right: (-42501 - 42500) / 2 = -42500.5 -> -42500
    m.Pos[2].Long = -125832; // left: (-125833 - 125832) / 2 = -125832.5 -> -125832
    TMapBounds b;
    ASSERT_TRUE(MapCornerBounds(m, 2000, 1500, b));
    ExpectBounds(b, 4550000, 4497918, -42500, -125832);
}

// ---- Loading the map and the catalogue ------------------------------------------------------

class MapLoadTest : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    StatusLog ui;

    void SetUp() override
    {
        ModelInit();
        *Map = TMap();
        Sml->Dir.clear();
        Sml->Items.clear();
        Opt->FichFondCarte = QStringLiteral("old");
        QFile::remove(IniFileName());
        SetModelUi(&ui);
        Msg::ClearLog();
    }
    void TearDown() override { SetModelUi(nullptr); }

    QString MakeMap(const QString& sub, const QString& name, const char* format = "JPG", bool cal = true)
    {
        QDir(dir.path()).mkpath(sub);
        const QString image = dir.filePath(sub + u'/' + name);
        QImage img(200, 150, QImage::Format_RGB32);
        img.fill(Qt::darkGreen);
        EXPECT_TRUE(img.save(image, format));
        if (cal) {
            TMap m = CornerMap();
            m.Pos[1].X = m.Pos[3].X = 199;
            m.Pos[2].Y = m.Pos[3].Y = 149;
            EXPECT_TRUE(SaveMapCal(MapCalFileName(image), m, name, 200, 150));
        }
        return image;
    }
    void Install(const QString& name, const QString& path)
    {
        TIniFile ini(IniFileName());
        ASSERT_TRUE(ini.WriteString(QStringLiteral("Liste_Cartes"), name, path));
    }
    QStringList Messages() const
    {
        QStringList l;
        for (const Msg::Shown& s : Msg::Log()) l << s.text;
        return l;
    }
};

TEST_F(MapLoadTest, LoadsImageAndCalibrationAndBuildsTheCatalogue)
{
    const QString alpes = MakeMap(QStringLiteral("Cartes"), QStringLiteral("alpes.jpg"));
    const QString jura = MakeMap(QStringLiteral("Cartes"), QStringLiteral("jura.png"), "PNG");
    const QString other = MakeMap(QStringLiteral("autres"), QStringLiteral("vosges.jpg"));
    const QString nocal = MakeMap(QStringLiteral("Cartes"), QStringLiteral("nocal.jpg"), "JPG", false);
    Install(QStringLiteral("Alpes"), alpes);
    Install(QStringLiteral("Vosges"), other);
    Install(QStringLiteral("Jura"), jura.toUpper().replace(dir.path().toUpper(), dir.path())); // re-installed
    Install(QStringLiteral("Sans"), nocal);

    ASSERT_TRUE(LoadMap(QStringLiteral("alpes"))); // names in any case
    EXPECT_EQ(ui.texts, QStringList({QStringLiteral("Ouverture carte de fond alpes."), QString()}));
    EXPECT_TRUE(Messages().isEmpty()) << Messages().join(u'\n').toStdString();
    EXPECT_TRUE(Map->Valid);
    EXPECT_EQ(Map->Image.size(), QSize(200, 150));
    EXPECT_EQ(Map->FileName, alpes);
    EXPECT_EQ(std::tuple(Map->Width, Map->Height, Map->Pos[3].X, Map->Lati_Max, Map->Long_Min),
              std::tuple(200, 150, 199, 4550000, -125833));
    EXPECT_EQ(Opt->FichFondCarte, QStringLiteral("alpes"));

    // The catalogue holds the maps of the map's folder, in the section's order.
    EXPECT_EQ(Sml->Dir, (dir.path() + QStringLiteral("/Cartes/")).toLower());
    ASSERT_EQ(Sml->Items.size(), 3u);
    EXPECT_EQ(Sml->Items[0].Name, QStringLiteral("Alpes"));
    EXPECT_EQ(Sml->Items[0].Path, alpes);
    ExpectBounds(Sml->Items[0], 4550000, 4497917, -42500, -125833);
    EXPECT_EQ(Sml->Items[1].Name, QStringLiteral("Jura"));
    EXPECT_EQ(Sml->Items[2].Name, QStringLiteral("Sans"));
    EXPECT_EQ(Sml->Items[2].Lati_Max, 0); // no calibration file: no bounds

    // Same folder: the catalogue stays as it is until its folder is cleared.
    Install(QStringLiteral("Neuve"), alpes);
    LoadMapBounds();
    EXPECT_EQ(Sml->Items.size(), 3u);
    Sml->Dir.clear();
    LoadMapBounds();
    EXPECT_EQ(Sml->Items.size(), 4u);

    // Another folder.
    ASSERT_TRUE(LoadMap(QStringLiteral("Vosges")));
    ASSERT_EQ(Sml->Items.size(), 1u);
    EXPECT_EQ(Sml->Items[0].Name, QStringLiteral("Vosges"));
}

TEST_F(MapLoadTest, FailuresLeaveNoMapAndSaySo)
{
    // An empty name: only the map becomes invalid.
    Map->Valid = true;
    EXPECT_FALSE(LoadMap(QString()));
    EXPECT_FALSE(Map->Valid);
    EXPECT_TRUE(ui.texts.isEmpty());
    EXPECT_EQ(Opt->FichFondCarte, QStringLiteral("old"));

    // Not in the catalogue.
    EXPECT_FALSE(LoadMap(QStringLiteral("Inconnue")));
    EXPECT_EQ(Opt->FichFondCarte, QString());
    EXPECT_TRUE(Messages().isEmpty());
    EXPECT_EQ(ui.texts, QStringList({QStringLiteral("Ouverture carte de fond Inconnue."), QString()}));

    const auto expectFailure = [&](const QString& name, const QString& message) {
        Msg::ClearLog();
        Opt->FichFondCarte = QStringLiteral("old");
        Map->Valid = true;
        EXPECT_FALSE(LoadMap(name)) << name.toStdString();
        EXPECT_FALSE(Map->Valid);
        EXPECT_TRUE(Map->Image.isNull());
        EXPECT_EQ(Messages().join(u'|').toStdString(), message.toStdString());
        EXPECT_EQ(Opt->FichFondCarte, QStringLiteral("old"));
        EXPECT_EQ(ui.texts.last(), QString());
    };

    const QString missing = dir.filePath(QStringLiteral("Absente.jpg"));
    Install(QStringLiteral("Absente"), missing);
    expectFailure(QStringLiteral("Absente"), QStringLiteral("Fichier carte de fond ") + missing +
                                                 QStringLiteral(" non trouvé."));

    const QString nocal = MakeMap(QStringLiteral("c"), QStringLiteral("nocal.jpg"), "JPG", false);
    Install(QStringLiteral("NoCal"), nocal);
    expectFailure(QStringLiteral("NoCal"), QStringLiteral("Fichier ") + MapCalFileName(nocal) +
                                               QStringLiteral(" non trouvé."));

    // A calibration with a point missing, without its size, or with two points in one column.
    const QString part = MakeMap(QStringLiteral("c"), QStringLiteral("part.jpg"));
    ASSERT_TRUE(TIniFile(MapCalFileName(part)).DeleteKey(QStringLiteral("Def"), QStringLiteral("Pos2_Lati")));
    const QString nosize = MakeMap(QStringLiteral("c"), QStringLiteral("nosize.jpg"));
    ASSERT_TRUE(
        TIniFile(MapCalFileName(nosize)).DeleteKey(QStringLiteral("General"), QStringLiteral("Height")));
    const QString flat = MakeMap(QStringLiteral("c"), QStringLiteral("flat.jpg"));
    ASSERT_TRUE(TIniFile(MapCalFileName(flat)).WriteString(QStringLiteral("Def"), QStringLiteral("Pos1_X"),
                                                           QStringLiteral("0")));
    for (const QString& p : {part, nosize, flat}) {
        Install(QStringLiteral("Bad"), p);
        expectFailure(QStringLiteral("Bad"), QStringLiteral("Fichier ") + MapCalFileName(p) +
                                                 QStringLiteral(" non valide."));
    }

    // A picture that is not one.
    const QString junk = MakeMap(QStringLiteral("c"), QStringLiteral("junk.jpg"));
    WriteAll(junk, "not a picture at all");
    Install(QStringLiteral("Junk"), junk);
    expectFailure(QStringLiteral("Junk"),
                  QStringLiteral("Fichier ") + junk + QStringLiteral(" non valide."));

    // A metafile that is not one says why.
    const QString wmf = dir.filePath(QStringLiteral("c/vieille.wmf"));
    WriteAll(wmf, QByteArray(64, '\x01'));
    Install(QStringLiteral("Wmf"), wmf);
    expectFailure(QStringLiteral("Wmf"), QStringLiteral("Fichier ") + wmf +
                                             QStringLiteral(" : format de métafichier non reconnu."));
}

TEST_F(MapLoadTest, ImageLimitRaised)
{
    QImageReader::setAllocationLimit(128);
    InitImageLimits();
    EXPECT_EQ(QImageReader::allocationLimit(), 1024);
    QImageReader::setAllocationLimit(128);
    const QString image = MakeMap(QStringLiteral("l"), QStringLiteral("l.png"), "PNG");
    Install(QStringLiteral("L"), image);
    ASSERT_TRUE(LoadMap(QStringLiteral("L")));
    EXPECT_EQ(QImageReader::allocationLimit(), 1024);
}

TEST_F(MapLoadTest, NoCurrentMapMeansNoCatalogue)
{
    Sml->Dir = QStringLiteral("/x/");
    Sml->Items.push_back(TMapLoc{QStringLiteral("X"), QStringLiteral("/x/x.jpg")});
    *Map = TMap();
    LoadMapBounds();
    EXPECT_TRUE(Sml->Items.empty());
    EXPECT_TRUE(Sml->Dir.isEmpty());
    EXPECT_EQ(MapFolderKey(QStringLiteral("/Cartes/Été/A.JPG")), QStringLiteral("/cartes/Été/"));
    EXPECT_EQ(MapFolderKey(QStringLiteral("/a.jpg")), QStringLiteral("/"));
}
