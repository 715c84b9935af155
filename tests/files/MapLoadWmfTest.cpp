// Windows metafile maps: drawn into an image, at the calibration's size, shown and refused with
// the reason.
#include "files/MapLoadWmf.h"
#include "files/MapCal.h"
#include "files/MapLoad.h"
#include "model/Define.h"
#include "model/ModelUi.h"
#include "model/Options.h"
#include "platform/IniFile.h"
#include "platform/Msg.h"
#include "platform/ProgramDir.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>

namespace {

void Put16(QByteArray& B, int V)
{
    char b[2];
    qToLittleEndian<quint16>(quint16(V), b);
    B.append(b, 2);
}

void Put32(QByteArray& B, quint32 V)
{
    char b[4];
    qToLittleEndian<quint32>(V, b);
    B.append(b, 4);
}

// One metafile record: its size in words, its function, its 16-bit parameters.
void Record(QByteArray& B, int Function, std::initializer_list<int> Params)
{
    Put32(B, quint32(3 + Params.size()));
    Put16(B, Function);
    for (int p : Params) Put16(B, p);
}

// A placeable metafile of 200 x 100 units at 96 units an inch: the left half of the top band
// red, the right half of the bottom band blue, the rest white (not drawn).
QByteArray TwoRectangles()
{
    QByteArray body;
    Record(body, 0x020B, {0, 0});                 // window origin
    Record(body, 0x020C, {100, 200});             // window extent (y, x)
    Record(body, 0x02FC, {0, 0x00FF, 0x0000, 0}); // brush 0: solid red
    Record(body, 0x02FC, {0, 0x0000, 0x00FF, 0}); // brush 1: solid blue
    Record(body, 0x02FA, {5, 0, 0, 0, 0});        // pen 2: none
    Record(body, 0x012D, {2});                    // select the pen
    Record(body, 0x012D, {0});                    // select red
    Record(body, 0x041B, {50, 100, 0, 0});        // rectangle (bottom, right, top, left)
    Record(body, 0x012D, {1});                    // select blue
    Record(body, 0x041B, {100, 200, 50, 100});
    Record(body, 0x0000, {}); // end
    QByteArray w;
    const quint16 placeable[10] = {0xCDD7, 0x9AC6, 0, 0, 0, 200, 100, 96, 0, 0};
    quint16 sum = 0;
    for (quint16 v : placeable) {
        Put16(w, v);
        sum ^= v;
    }
    Put16(w, sum);
    Put16(w, 1);      // in memory
    Put16(w, 9);      // header words
    Put16(w, 0x0300); // version
    Put32(w, quint32(9 + body.size() / 2));
    Put16(w, 3); // objects
    Put32(w, 8); // largest record
    Put16(w, 0);
    return w + body;
}

struct TSpot
{
    double fx, fy; // fraction of the width and height
    QRgb colour;
};
const TSpot Spots[] = {{0.25, 0.25, qRgb(255, 0, 0)},
                       {0.75, 0.75, qRgb(0, 0, 255)},
                       {0.75, 0.25, qRgb(255, 255, 255)},
                       {0.25, 0.75, qRgb(255, 255, 255)}};

void ExpectDrawing(const QImage& Img)
{
    for (const TSpot& s : Spots)
        EXPECT_EQ(Img.pixel(int(s.fx * Img.width()), int(s.fy * Img.height())), s.colour)
            << s.fx << "," << s.fy << " of " << Img.width() << "x" << Img.height();
}

class WmfMap : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    void SetUp() override
    {
        ModelInit();
        *Map = TMap();
        Opt->FichFondCarte.clear();
        QFile::remove(IniFileName());
        Msg::ClearLog();
        Language = 0;
    }
    QString Write(const char* Name, const QByteArray& Data)
    {
        const QString p = dir.filePath(QLatin1String(Name));
        QFile f(p);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(Data);
        return p;
    }
};

} // namespace

TEST_F(WmfMap, DrawnAtItsOwnSizeOrAtTheCalibrationsSize)
{
    QImage img;
    QString why;
    ASSERT_TRUE(RenderWmf(TwoRectangles(), QSize(), img, why)) << why.toStdString();
    EXPECT_EQ(img.size(), QSize(200, 100));
    ExpectDrawing(img);
    ASSERT_TRUE(RenderWmf(TwoRectangles(), QSize(640, 480), img, why)) << why.toStdString();
    EXPECT_EQ(img.size(), QSize(640, 480));
    ExpectDrawing(img);
}

TEST_F(WmfMap, ShownWithItsCalibrationLikeTheOtherMaps)
{
    const QString path = Write("relief.WMF", TwoRectangles());
    // Calibrated on a drawing of 400 x 200 pixels.
    TMap m;
    const int32 lat[2] = {4550000, 4500000}, lon[2] = {500000, 600000};
    for (int i = 0; i < 4; ++i) m.Pos[i] = {i % 2 ? 399 : 0, i / 2 ? 199 : 0, lat[i / 2], lon[i % 2], true};
    ASSERT_TRUE(SaveMapCal(MapCalFileName(path), m, QStringLiteral("relief"), 400, 200));
    TIniFile ini(IniFileName());
    ASSERT_TRUE(ini.WriteString(QStringLiteral("Liste_Cartes"), QStringLiteral("Relief"), path));
    ASSERT_TRUE(ini.UpdateFile());

    ASSERT_TRUE(LoadMap(QStringLiteral("Relief")))
        << (Msg::Log().isEmpty() ? "" : Msg::Log().first().text.toStdString());
    EXPECT_TRUE(Map->Valid);
    EXPECT_EQ(Map->Image.size(), QSize(400, 200));
    ExpectDrawing(Map->Image);
    EXPECT_EQ(Opt->FichFondCarte, QStringLiteral("Relief"));

    // The calibration window, with no calibration yet, takes the picture at its own size.
    QImage own;
    QString error;
    ASSERT_TRUE(LoadMapImage(path, own, error));
    EXPECT_EQ(own.size(), QSize(200, 100));
}

TEST_F(WmfMap, AMetafileThatCannotBeDrawnSaysWhy)
{
    const QByteArray good = TwoRectangles();
    struct TCase
    {
        const char* name;
        QByteArray data;
        const char* french;
        const char* english;
    };
    // A header announcing a picture far beyond the image limit.
    QByteArray huge = good;
    qToLittleEndian<quint16>(30000, huge.data() + 10);
    qToLittleEndian<quint16>(30000, huge.data() + 12);
    qToLittleEndian<quint16>(1, huge.data() + 14);
    quint16 sum = 0;
    for (int i = 0; i < 10; ++i) sum ^= qFromLittleEndian<quint16>(huge.constData() + 2 * i);
    qToLittleEndian<quint16>(sum, huge.data() + 20);
    const TCase cases[] = {
        {"texte.wmf", "Ceci n'est pas une carte.", "format de métafichier non reconnu",
         "metafile format not recognised"},
        {"coupee.wmf", good.left(60), "métafichier tronqué", "metafile cut short"},
        {"immense.wmf", huge, "trop grande", "too large"},
    };
    for (const TCase& c : cases) {
        const QString path = Write(c.name, c.data);
        for (int lang : {0, 1}) {
            Language = lang;
            QImage img;
            QString error;
            EXPECT_FALSE(LoadMapImage(path, img, error)) << c.name;
            EXPECT_TRUE(img.isNull());
            EXPECT_TRUE(error.contains(QString::fromUtf8(lang ? c.english : c.french)))
                << error.toStdString();
            EXPECT_TRUE(error.startsWith(lang ? QStringLiteral("File ") : QStringLiteral("Fichier ")))
                << error.toStdString();
        }
    }
    Language = 0;
}
