// The catalogue of installed maps, the chooser's helpers and the refusal of cut-short images.
#include "files/MapList.h"
#include "files/MapLoad.h"
#include "model/Define.h"
#include "model/Options.h"
#include "support/Fixtures.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QByteArray Sample =
    "[Options]\r\nX=1\r\n[Liste_Cartes]\r\nAlpes=/m/a/alpes.jpg\r\nalbi=/m/b/albi.bmp\r\n"
    "Ain=/m/a/sub/ain.jpg\r\n[Other]\r\nY=2\r\n";

} // namespace

TEST(MapCatalog, WritesInPlaceRemovesInOrderAndFindsKeysInAnyCase)
{
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("Zephalon.ini"));
    WriteAll(ini, Sample);
    TMapCatalog c(ini);
    EXPECT_EQ(c.Names(), (QStringList{"Alpes", "albi", "Ain"}));
    EXPECT_EQ(c.PathOf(QStringLiteral("ALPES")), QStringLiteral("/m/a/alpes.jpg"));
    ASSERT_TRUE(c.Write(QStringLiteral("ALBI"), QStringLiteral("/n/albi.jpg")));
    ASSERT_TRUE(c.Write(QStringLiteral("Vosges"), QStringLiteral("/n/Vosges.JPG")));
    EXPECT_EQ(c.Names(), (QStringList{"Alpes", "albi", "Ain", "Vosges"}));
    EXPECT_EQ(c.PathOf(QStringLiteral("albi")), QStringLiteral("/n/albi.jpg"));
    EXPECT_TRUE(ReadAll(ini).startsWith("[Options]\r\nX=1\r\n[Liste_Cartes]\r\nAlpes=/m/a/alpes.jpg\r\n"));

    EXPECT_FALSE(c.Remove(QStringLiteral("Nowhere")));
    ASSERT_TRUE(c.Remove(QStringLiteral("alpes")));
    EXPECT_EQ(TMapCatalog(ini).Names(), (QStringList{"albi", "Ain", "Vosges"}));
    EXPECT_TRUE(ReadAll(ini).contains("[Other]\r\nY=2\r\n"));

    // A profile whose folder is a plain file is read (empty) but never written.
    TMapCatalog blocked(dir.filePath(QStringLiteral("Zephalon.ini/x.ini")));
    EXPECT_FALSE(blocked.Write(QStringLiteral("A"), QStringLiteral("/a.jpg")));
    EXPECT_FALSE(blocked.LastError().isEmpty());
    EXPECT_TRUE(blocked.Names().isEmpty());
}

TEST(MapChooserHelpers, FilterNamesAndFacts)
{
    ModelInit();
    Opt->UniteLatiLong = 1;
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("Zephalon.ini"));
    WriteAll(ini, Sample);
    const TMapCatalog c(ini);
    const auto all = [&](const char* typed) {
        return FilterMapNames(c, QString::fromUtf8(typed), TMapFolderFilter::All, QString());
    };
    EXPECT_EQ(all("al"), (QStringList{"albi", "Alpes"}));
    EXPECT_EQ(all("ALB"), (QStringList{"albi"}));
    EXPECT_EQ(all(""), (QStringList{"Ain", "albi", "Alpes"}));
    EXPECT_FALSE(MapNameMatches(QStringLiteral("été"), QStringLiteral("É"))); // ASCII letters only fold
    // A subfolder of the active folder is another folder.
    // The active folder as shown (its cases as written) compares in any case.
    const QString active = MapFolderText(QStringLiteral("/M/A/x.jpg"));
    EXPECT_EQ(FilterMapNames(c, QString(), TMapFolderFilter::Folder, active), (QStringList{"Alpes"}));
    EXPECT_EQ(FilterMapNames(c, QString(), TMapFolderFilter::Others, active), (QStringList{"Ain", "albi"}));

    for (const char* bad : {"", " ", "a=b", "[x", "x]"}) {
        QString n = QString::fromUtf8(bad);
        EXPECT_FALSE(CheckMapName(n)) << bad;
    }
    QString name = QStringLiteral("  Mont Blanc ");
    EXPECT_TRUE(CheckMapName(name));
    EXPECT_EQ(name, QStringLiteral("Mont Blanc"));
    EXPECT_EQ(MapBaseName(QStringLiteral("/a.b/Alpes.Nord.jpg")), QStringLiteral("Alpes"));

    const QString image = dir.filePath(QStringLiteral("Alpes.jpg"));
    EXPECT_EQ(MapInfo(QStringLiteral("Alpes"), image).Lines,
              (QStringList{"Alpes : fichier BMP et INI non trouvés", image,
                           dir.filePath(QStringLiteral("Alpes.ini")), "Max:    ", "Min:    "}));
    WriteAll(image, QByteArray(1536, 'x'));
    EXPECT_EQ(MapInfo(QStringLiteral("Alpes"), image).Lines[0],
              QStringLiteral("Alpes : fichier INI non trouvé"));
    WriteAll(dir.filePath(QStringLiteral("Alpes.ini")),
             "[General]\nComment=Carte "
             "test\nLati_Max=4550000\nLong_Max=650000\nLati_Min=4500000\nLong_Min=600000\n");
    const TMapInfo i = MapInfo(QStringLiteral("Alpes"), image);
    EXPECT_EQ(i.Lines[0], QStringLiteral("Alpes : 2Ko")); // 1.5 rounds to even
    EXPECT_EQ(i.Lines[1], QStringLiteral("Carte test"));
    EXPECT_EQ(i.Lines[4], QStringLiteral("Max: N45°30.00'   E006°30.00'"));
    WriteAll(image, QByteArray(2560, 'x'));
    EXPECT_EQ(MapInfo(QStringLiteral("Alpes"), image).Lines[0], QStringLiteral("Alpes : 2Ko"));
}

TEST(MapImages, CutShortOrUnsupportedPicturesAreRefused)
{
    QTemporaryDir dir;
    QImage img(64, 48, QImage::Format_RGB32);
    img.fill(Qt::darkGreen);
    QImage read;
    QString error;
    for (const char* format : {"JPG", "BMP", "PNG"}) {
        const QString whole = dir.filePath(QStringLiteral("whole.") + QLatin1String(format));
        ASSERT_TRUE(img.save(whole, format));
        EXPECT_TRUE(LoadMapImage(whole, read, error)) << format;
        const QString cut = dir.filePath(QStringLiteral("cut.") + QLatin1String(format));
        const QByteArray bytes = ReadAll(whole);
        WriteAll(cut, bytes.left(bytes.size() * 2 / 3));
        EXPECT_FALSE(LoadMapImage(cut, read, error)) << format;
        EXPECT_TRUE(error.contains(cut)) << format;
    }
    WriteAll(dir.filePath(QStringLiteral("a.wmf")), "not a picture");
    EXPECT_FALSE(LoadMapImage(dir.filePath(QStringLiteral("a.wmf")), read, error));
    EXPECT_FALSE(LoadMapImage(dir.filePath(QStringLiteral("missing.jpg")), read, error));
}
