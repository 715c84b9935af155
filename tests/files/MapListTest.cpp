// The catalogue of installed maps and the chooser's helpers.
#include "files/MapList.h"
#include "files/MapLoad.h"
#include "model/Define.h"
#include "model/Options.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

const QByteArray Sample =
    "[Options]\r\nX=1\r\n[Liste_Cartes]\r\nAlpes=/m/a/alpes.jpg\r\nalbi=/m/b/albi.bmp\r\n"
    "Ain=/m/a/sub/ain.jpg\r\n[Other]\r\nY=2\r\n";

} // namespace

TEST(MapCatalog, WritesInPlaceAppendsAndFindsKeysInAnyCase)
{
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("Zephalon.ini"));
    WriteAll(ini, Sample);
    TMapCatalog c(ini);
    EXPECT_EQ(c.Names(), (QStringList{"Alpes", "albi", "Ain"}));
    EXPECT_EQ(c.PathOf(QStringLiteral("ALPES")), QStringLiteral("/m/a/alpes.jpg"));
    EXPECT_TRUE(c.PathOf(QStringLiteral("Nowhere")).isEmpty());

    ASSERT_TRUE(c.Write(QStringLiteral("ALBI"), QStringLiteral("/n/albi.jpg")));
    ASSERT_TRUE(c.Write(QStringLiteral("Vosges"), QStringLiteral("/n/Vosges.JPG")));
    EXPECT_EQ(c.Names().size(), 4);
    EXPECT_EQ(c.Names()[3], QStringLiteral("Vosges"));
    EXPECT_EQ(c.PathOf(QStringLiteral("albi")), QStringLiteral("/n/albi.jpg"));

    // The other sections and their lines are kept; another reader sees the same.
    const QByteArray bytes = ReadAll(ini);
    EXPECT_TRUE(bytes.startsWith("[Options]\r\nX=1\r\n[Liste_Cartes]\r\nAlpes=/m/a/alpes.jpg\r\n"));
    EXPECT_TRUE(bytes.contains("[Other]\r\nY=2\r\n"));
    EXPECT_EQ(TMapCatalog(ini).Names(), c.Names());
}

TEST(MapCatalog, RemoveKeepsTheOrderOfTheOthers)
{
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("Zephalon.ini"));
    WriteAll(ini, Sample);
    TMapCatalog c(ini);
    EXPECT_FALSE(c.Remove(QStringLiteral("Nowhere")));
    ASSERT_TRUE(c.Remove(QStringLiteral("ALPES")));
    EXPECT_EQ(c.Names(), (QStringList{"albi", "Ain"}));
    // A rename is a removal and a write: the new name goes last.
    ASSERT_TRUE(c.Remove(QStringLiteral("albi")));
    ASSERT_TRUE(c.Write(QStringLiteral("Albi2"), QStringLiteral("/m/b/albi.bmp")));
    TMapCatalog again(ini);
    EXPECT_EQ(again.Names(), (QStringList{"Ain", "Albi2"}));
    EXPECT_EQ(again.PathOf(QStringLiteral("ain")), QStringLiteral("/m/a/sub/ain.jpg"));
    EXPECT_TRUE(ReadAll(ini).contains("[Other]\r\nY=2\r\n"));
}

TEST(MapCatalog, FailedWriteKeepsTheFileAndReloads)
{
    QTemporaryDir dir;
    // A profile whose folder is a plain file can be read (empty) but never written.
    WriteAll(dir.filePath(QStringLiteral("blocker")), "x");
    TMapCatalog c(dir.filePath(QStringLiteral("blocker/Zephalon.ini")));
    EXPECT_FALSE(c.Write(QStringLiteral("A"), QStringLiteral("/a.jpg")));
    EXPECT_FALSE(c.LastError().isEmpty());
    EXPECT_TRUE(c.Names().isEmpty());
    EXPECT_TRUE(c.PathOf(QStringLiteral("A")).isEmpty());
}

TEST(MapChooserHelpers, FilterByTypedTextAndFolder)
{
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
    EXPECT_TRUE(all("Alpes2").isEmpty());
    // A subfolder of the active folder is another folder.
    const QString active = MapFolderKey(QStringLiteral("/M/A/x.jpg"));
    EXPECT_EQ(FilterMapNames(c, QString(), TMapFolderFilter::Folder, active), (QStringList{"Alpes"}));
    EXPECT_EQ(FilterMapNames(c, QString(), TMapFolderFilter::Others, active), (QStringList{"Ain", "albi"}));

    // Only ASCII letters fold.
    EXPECT_TRUE(MapNameMatches(QStringLiteral("été"), QStringLiteral("é")));
    EXPECT_FALSE(MapNameMatches(QStringLiteral("été"), QStringLiteral("É")));
    EXPECT_EQ(MapAsciiUpper(QStringLiteral("àb/c")), QStringLiteral("àB/C"));
}

TEST(MapChooserHelpers, NamesAreTrimmedAndCheckedAndProposed)
{
    const struct
    {
        const char* typed;
        bool ok;
        const char* kept;
    } rows[] = {
        {"  Alpes ", true, "Alpes"},
        {"", false, ""},
        {" ", false, ""},
        {"a=b", false, "a=b"},
        {"[x", false, "[x"},
        {"x]", false, "x]"},
        {"Mont Blanc", true, "Mont Blanc"},
    };
    for (const auto& r : rows) {
        QString n = QString::fromUtf8(r.typed);
        EXPECT_EQ(CheckMapName(n), r.ok) << r.typed;
        EXPECT_EQ(n, QString::fromUtf8(r.kept));
    }
    EXPECT_EQ(MapBaseName(QStringLiteral("/a.b/Alpes.Nord.jpg")), QStringLiteral("Alpes"));
    EXPECT_EQ(MapBaseName(QStringLiteral("/x/plain")), QStringLiteral("plain"));
}

TEST(MapChooserHelpers, InfoLinesBySizeAndMissingFiles)
{
    ModelInit();
    Opt->UniteLatiLong = 1;
    QTemporaryDir dir;
    const QString image = dir.filePath(QStringLiteral("Alpes.jpg"));
    const QString cal = dir.filePath(QStringLiteral("Alpes.ini"));

    TMapInfo i = MapInfo(QStringLiteral("Alpes"), image);
    EXPECT_EQ(i.Lines[0], QStringLiteral("Alpes : fichier BMP et INI non trouvés"));
    EXPECT_EQ(i.Lines.size(), 5);
    EXPECT_EQ(i.Lines[3], QStringLiteral("Max:    "));

    WriteAll(image, QByteArray(1536, 'x'));
    EXPECT_EQ(MapInfo(QStringLiteral("Alpes"), image).Lines[0],
              QStringLiteral("Alpes : fichier INI non trouvé"));
    WriteAll(cal, "[General]\nComment=Carte test\nLati_Max=4550000\nLong_Max=650000\nLati_Min=4500000\n"
                  "Long_Min=600000\n");
    i = MapInfo(QStringLiteral("Alpes"), image);
    EXPECT_TRUE(i.ImageFound && i.CalFound);
    EXPECT_EQ(i.Lines, (QStringList{"Alpes : 2Ko", "Carte test", MapAsciiLower(image), MapAsciiLower(cal),
                                    QStringLiteral("Max: N45°30.00'   E006°30.00'"),
                                    QStringLiteral("Min: N45°00.00'   E006°00.00'")}));
    WriteAll(image, QByteArray(2560, 'x'));
    EXPECT_EQ(MapInfo(QStringLiteral("Alpes"), image).Lines[0], QStringLiteral("Alpes : 2Ko"));
    QFile::remove(image);
    EXPECT_EQ(MapInfo(QStringLiteral("Alpes"), image).Lines[0],
              QStringLiteral("Alpes : fichier BMP non trouvé"));
}

TEST(MapImages, CutShortOrUnsupportedPicturesAreRefused)
{
    QTemporaryDir dir;
    QImage img(64, 48, QImage::Format_RGB32);
    img.fill(Qt::darkGreen);
    for (const char* format : {"JPG", "BMP", "PNG"}) {
        const QString whole = dir.filePath(QStringLiteral("whole.") + QLatin1String(format));
        ASSERT_TRUE(img.save(whole, format));
        QImage read;
        QString error;
        EXPECT_TRUE(LoadMapImage(whole, read, error)) << format;
        EXPECT_EQ(read.size(), img.size());

        const QString cut = dir.filePath(QStringLiteral("cut.") + QLatin1String(format));
        const QByteArray bytes = ReadAll(whole);
        WriteAll(cut, bytes.left(bytes.size() * 2 / 3));
        EXPECT_FALSE(LoadMapImage(cut, read, error)) << format;
        EXPECT_TRUE(error.contains(cut.toUpper())) << format;
    }
    QImage read;
    QString error;
    WriteAll(dir.filePath(QStringLiteral("a.wmf")), "not a picture");
    EXPECT_FALSE(LoadMapImage(dir.filePath(QStringLiteral("a.wmf")), read, error));
    EXPECT_FALSE(LoadMapImage(dir.filePath(QStringLiteral("missing.jpg")), read, error));
}
