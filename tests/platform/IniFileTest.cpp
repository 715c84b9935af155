// Settings-file behaviour: names in any case, verbatim values, one-line writes that keep the
// rest of the file byte for byte, both encodings, line ends, and failed writes.
#include "platform/IniFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <clocale>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

class IniFileTest : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString Path(const QString& name = QStringLiteral("Zephalon.ini")) const { return dir.filePath(name); }

    QString Write(const QByteArray& bytes, const QString& name = QStringLiteral("Zephalon.ini")) const
    {
        QFile f(Path(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return f.fileName();
    }
    static QByteArray Read(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
    }
};

ino_t Inode(const QString& path)
{
    struct stat st;
    return stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
}

const QByteArray kSample = "; Zephalon settings\r\n"
                           "[Options]\r\n"
                           "  Langue = 0  \r\n"
                           "Fichier=C:\\Vols\\2009\\  juin \\a.igc\r\n"
                           "free text line\r\n"
                           "Vide=\r\n"
                           "\r\n"
                           "; next is the device section\r\n"
                           "[Interface]\r\n"
                           "Num_Com=1\r\n";

TEST_F(IniFileTest, ReadsNamesInAnyCaseAndValuesVerbatim)
{
    TIniFile ini(Write(kSample + QByteArray("[M\xc3\xa9ridiens]\r\nCl\xc3\xa9=\"x\" = y\r\n")));
    EXPECT_EQ(ini.ReadString("OPTIONS", "langue", "?"), "0");
    EXPECT_EQ(ini.ReadString(" options ", " LANGUE ", "?"), "0");
    EXPECT_EQ(ini.ReadString("Options", "Fichier", "?"), "C:\\Vols\\2009\\  juin \\a.igc");
    EXPECT_EQ(ini.ReadString("Options", "Vide", "?"), "");
    EXPECT_EQ(ini.ReadString("Options", "free text line", "?"), "?");
    EXPECT_EQ(ini.ReadString("Options", "Num_Com", "?"), "?"); // other section
    EXPECT_EQ(ini.ReadString("Absent", "Langue", "def"), "def");
    EXPECT_EQ(ini.ReadString("MÉRIDIENS", "CLÉ", "?"), "\"x\" = y"); // quotes and '=' kept
    EXPECT_TRUE(ini.SectionExists("interface"));
    EXPECT_TRUE(ini.ValueExists("INTERFACE", "num_com"));
    EXPECT_FALSE(ini.ValueExists("Interface", "Log"));
    EXPECT_EQ(ini.ReadSections(), QStringList({"Options", "Interface", "Méridiens"}));
    EXPECT_EQ(ini.ReadSection("options"), QStringList({"Langue", "Fichier", "Vide"}));
    EXPECT_EQ(ini.ReadSection("none"), QStringList());
}

TEST_F(IniFileTest, KeysOutsideSectionsAndDuplicates)
{
    const QString path = Write("Stray=1\n[A]\nK=first\nk=second\nJ=1\n[B]\nK=b\n[a]\nK=third\nL=x\n");
    TIniFile ini(path);
    EXPECT_EQ(ini.ReadString("A", "K", "?"), "first");
    EXPECT_EQ(ini.ReadString("A", "L", "?"), "?"); // hidden behind the first [A]
    EXPECT_EQ(ini.ReadSection("A"), QStringList({"K", "J"}));
    EXPECT_EQ(ini.ReadSections(), QStringList({"A", "B"}));
    EXPECT_FALSE(ini.ValueExists("", "Stray"));

    ASSERT_TRUE(ini.WriteString("a", "k", "new"));
    EXPECT_EQ(Read(path), "Stray=1\n[A]\nK=new\nk=second\nJ=1\n[B]\nK=b\n[a]\nK=third\nL=x\n");
    ASSERT_TRUE(ini.DeleteKey("A", "K")); // every copy, so that the key is really gone
    EXPECT_FALSE(ini.ValueExists("A", "K"));
    EXPECT_EQ(Read(path), "Stray=1\n[A]\nJ=1\n[B]\nK=b\n[a]\nK=third\nL=x\n");
    ASSERT_TRUE(ini.EraseSection("A")); // both copies with their lines
    EXPECT_EQ(Read(path), "Stray=1\n[B]\nK=b\n");
    EXPECT_FALSE(ini.SectionExists("a"));
    EXPECT_TRUE(ini.EraseSection("Absent"));
    EXPECT_TRUE(ini.DeleteKey("B", "Absent"));
}

TEST_F(IniFileTest, WritesChangeOneLineAndKeepTheRest)
{
    const QString path = Write(kSample);
    {
        TIniFile ini(path);
        ASSERT_TRUE(ini.WriteString("OPTIONS", "LANGUE", "1"));
        QByteArray expected = kSample;
        expected.replace("  Langue = 0  \r\n", "  Langue = 1\r\n");
        EXPECT_EQ(Read(path), expected);

        // A new key goes after the last key of its section, before the blank line and the
        // comment that belong to the next section.
        ASSERT_TRUE(ini.WriteString("options", "Nouveau", " a\\b "));
        expected.replace("Vide=\r\n", "Vide=\r\nNouveau= a\\b \r\n");
        EXPECT_EQ(Read(path), expected);

        // A new section goes to the end of the file.
        ASSERT_TRUE(ini.WriteInteger("Impression", "Marge", -5));
        expected += "[Impression]\r\nMarge=-5\r\n";
        EXPECT_EQ(Read(path), expected);

        // Writing the value already there leaves the file alone.
        const ino_t before = Inode(path);
        ASSERT_TRUE(ini.WriteString("Interface", "Num_Com", "1"));
        EXPECT_EQ(Inode(path), before);
        EXPECT_EQ(ini.ReadString("Options", "Nouveau", "?"), "a\\b");
    }
    TIniFile again(path);
    EXPECT_EQ(again.ReadInteger("impression", "marge", 0), -5);
    EXPECT_EQ(again.ReadString("Options", "Langue", "?"), "1");
}

TEST_F(IniFileTest, LineEndsFollowTheFile)
{
    // LF file, last line without a line end.
    const QString lf = Write("[A]\nX=1", "lf.ini");
    TIniFile a(lf);
    ASSERT_TRUE(a.WriteString("A", "Y", "2"));
    ASSERT_TRUE(a.WriteString("B", "Z", "3"));
    EXPECT_EQ(Read(lf), "[A]\nX=1\nY=2\n[B]\nZ=3\n");

    // A section header as the last line without a line end, CR LF file.
    const QString crlf = Write("[A]\r\nX=1\r\n[B]", "crlf.ini");
    TIniFile b(crlf);
    ASSERT_TRUE(b.WriteString("B", "Y", "2"));
    EXPECT_EQ(Read(crlf), "[A]\r\nX=1\r\n[B]\r\nY=2\r\n");

    // New files: UTF-8 without BOM, CR LF.
    TIniFile c(Path("new.ini"));
    EXPECT_EQ(c.ReadSections(), QStringList());
    ASSERT_TRUE(c.WriteString("Carte", "Nom", "Genève"));
    EXPECT_EQ(Read(Path("new.ini")), "[Carte]\r\nNom=Gen\xc3\xa8ve\r\n");
}

TEST_F(IniFileTest, EncodingsReadAndWrittenBack)
{
    // Windows-1252: é, €, an undefined byte (0x81) and ’ stay byte for byte.
    const QByteArray w1252 = "[Carte]\r\nNom=Ch\xe2teau d\x92\x81\r\nPrix=\x80 5\r\n";
    const QString p1 = Write(w1252, "w1252.ini");
    {
        TIniFile ini(p1);
        EXPECT_EQ(ini.ReadString("carte", "nom", "?"), QString::fromUtf8("Château d’\xc2\x81"));
        EXPECT_EQ(ini.ReadString("CARTE", "PRIX", "?"), "€ 5");
        ASSERT_TRUE(ini.WriteString("Carte", "Prix", "Genève"));
        EXPECT_EQ(Read(p1), "[Carte]\r\nNom=Ch\xe2teau d\x92\x81\r\nPrix=Gen\xe8ve\r\n");
        // A text Windows-1252 cannot hold turns the whole file into UTF-8, losing nothing.
        ASSERT_TRUE(ini.WriteString("Carte", "Ville", "Łódź"));
    }
    TIniFile back(p1);
    EXPECT_EQ(back.ReadString("Carte", "Nom", "?"), QString::fromUtf8("Château d’\xc2\x81"));
    EXPECT_EQ(back.ReadString("Carte", "Ville", "?"), "Łódź");
    EXPECT_EQ(back.ReadString("Carte", "Prix", "?"), "Genève");

    // UTF-8 with a BOM keeps it; names with accents match in any case.
    const QByteArray utf8 = "\xef\xbb\xbf[Liste_Cartes]\nCarte1=/home/pilote/Cartes/Gen\xc3\xa8ve.jpg\n";
    const QString p2 = Write(utf8, "utf8.ini");
    TIniFile u(p2);
    EXPECT_EQ(u.ReadString("LISTE_CARTES", "carte1", "?"), "/home/pilote/Cartes/Genève.jpg");
    ASSERT_TRUE(u.WriteString("liste_cartes", "Carte2", "Zürich"));
    EXPECT_EQ(Read(p2), utf8 + "Carte2=Z\xc3\xbcrich\n");

    // New Windows-1252 bytes that would read back as UTF-8 are written in UTF-8 instead.
    const QString p3 = Write("[A]\r\nX=\xe9\r\n", "ambiguous.ini");
    ASSERT_TRUE(TIniFile(p3).WriteString("A", "X", QString::fromUtf8("Ã©")));
    EXPECT_EQ(Read(p3), "[A]\r\nX=\xc3\x83\xc2\xa9\r\n");
    EXPECT_EQ(TIniFile(p3).ReadString("A", "X", "?"), QString::fromUtf8("Ã©"));

    // Overlong UTF-8 and cut sequences are not UTF-8: read as Windows-1252.
    auto overlong = TIniFile::FromBytes("[A]\nX=\xc0\xaf\n");
    EXPECT_EQ(overlong->ReadString("A", "X", "?"), "À¯");
    auto cut = TIniFile::FromBytes("[A]\nX=\xc3");
    EXPECT_EQ(cut->ReadString("A", "X", "?"), "Ã");
}

TEST_F(IniFileTest, NumbersBooleansAndFloats)
{
    auto ini =
        TIniFile::FromBytes("[N]\nD=42\nNeg=-7\nHex=$1F\nHx=0x10\nAll=$FFFFFFFF\nBad=12a\nBig=3000000000\n"
                            "Empty=\nSign=+3\nT=True\nF=FALSE\nTwo=2\nZero=0\nJunk=oui\n"
                            "Comma=3,25\nDot= -1.5e3 \nInf=inf\n");
    // Key, default, value read; the default stands for anything that is not a 32-bit integer.
    for (auto [key, def, want] : {std::tuple("d", 0, 42),
                                  {"Neg", 0, -7},
                                  {"Hex", 0, 31},
                                  {"Hx", 0, 16},
                                  {"All", 0, -1},
                                  {"Bad", 9, 9},
                                  {"Big", 9, 9},
                                  {"Empty", 9, 9},
                                  {"Sign", 9, 3},
                                  {"Absent", 9, 9}})
        EXPECT_EQ(ini->ReadInteger("n", key, def), want) << key;
    for (auto [key, def, want] : {std::tuple("T", false, true),
                                  {"F", true, false},
                                  {"Two", false, true},
                                  {"Zero", true, false},
                                  {"Junk", true, true},
                                  {"Junk", false, false}})
        EXPECT_EQ(ini->ReadBool("N", key, def), want) << key;
    for (auto [key, def, want] :
         {std::tuple("Comma", 0.0, 3.25), {"Dot", 0.0, -1500.0}, {"Inf", 7.0, 7.0}, {"Bad", 7.0, 7.0}})
        EXPECT_DOUBLE_EQ(ini->ReadFloat("N", key, def), want) << key;
    ASSERT_TRUE(ini->WriteBool("N", "B", true));
    EXPECT_EQ(ini->ReadString("N", "B", "?"), "1");
}

// A French numeric locale, built into a temporary folder when the system has none.
bool SetFrenchNumeric(const QTemporaryDir& dir)
{
    for (const char* name : {"fr_FR.UTF-8", "fr_FR.utf8", "fr_FR"})
        if (std::setlocale(LC_NUMERIC, name)) return true;
    const QString out = dir.filePath("fr_FR.UTF-8");
    if (QProcess::execute("localedef", {"-i", "fr_FR", "-f", "UTF-8", out}) < 0 || !QFileInfo::exists(out))
        return false;
    qputenv("LOCPATH", QFile::encodeName(dir.path()));
    const bool ok = std::setlocale(LC_NUMERIC, "fr_FR.UTF-8") != nullptr;
    qunsetenv("LOCPATH");
    return ok;
}

TEST_F(IniFileTest, FloatsIgnoreTheNumericLocale)
{
    QTemporaryDir locales;
    if (!SetFrenchNumeric(locales)) GTEST_SKIP() << "no French locale";
    ASSERT_EQ(std::string(std::localeconv()->decimal_point), ",");
    TIniFile ini(Path());
    ASSERT_TRUE(ini.WriteFloat("F", "Pi", 3.141592653589793));
    ASSERT_TRUE(ini.WriteFloat("F", "Small", -0.1));
    std::setlocale(LC_NUMERIC, "C");
    EXPECT_EQ(Read(Path()), "[F]\r\nPi=3.141592653589793\r\nSmall=-0.1\r\n");
    EXPECT_EQ(TIniFile(Path()).ReadFloat("f", "pi", 0), 3.141592653589793);
}

TEST_F(IniFileTest, FailedWritesAreReportedAndChangeNothing)
{
    // Inside a folder that does not exist.
    TIniFile lost(dir.filePath("no/such/folder/Zephalon.ini"));
    EXPECT_FALSE(lost.WriteString("A", "B", "1"));
    EXPECT_FALSE(lost.LastError().isEmpty());
    EXPECT_EQ(lost.ReadString("A", "B", "def"), "def"); // memory follows the disk

    // A folder in place of the file.
    QDir(dir.path()).mkdir("folder.ini");
    TIniFile folder(Path("folder.ini"));
    EXPECT_FALSE(folder.WriteString("A", "B", "1"));
    EXPECT_FALSE(folder.LastError().isEmpty());

    // A read-only file is refused even to a user (root) who could replace it.
    const QString ro = Write("[A]\nB=old\n", "ro.ini");
    ASSERT_EQ(chmod(QFile::encodeName(ro).constData(), 0444), 0);
    TIniFile readOnly(ro);
    EXPECT_FALSE(readOnly.WriteString("A", "B", "new"));
    EXPECT_FALSE(readOnly.LastError().isEmpty());
    EXPECT_EQ(readOnly.ReadString("A", "B", "?"), "old");
    EXPECT_FALSE(readOnly.EraseSection("A"));
    EXPECT_FALSE(readOnly.DeleteKey("A", "B"));
    EXPECT_EQ(Read(ro), "[A]\nB=old\n");

    // Texts that would break other lines.
    const QString path = Write("[A]\nB=1\n");
    TIniFile ini(path);
    for (auto [sect, key, value] : {std::tuple("A", "B", "two\nlines"),
                                    {"A", "K=V", "1"},
                                    {"A", ";K", "1"},
                                    {"A]", "K", "1"},
                                    {"", "K", "1"},
                                    {"A", " ", "1"}})
        EXPECT_FALSE(ini.WriteString(sect, key, value)) << sect << key << value;
    EXPECT_EQ(Read(path), "[A]\nB=1\n");
    EXPECT_TRUE(ini.WriteString("A", "B", "2"));
    EXPECT_TRUE(ini.LastError().isEmpty());
}

TEST_F(IniFileTest, BatchWritesAndFileProperties)
{
    const QString path = Write("[A]\r\nX=1\r\n");
    ASSERT_EQ(chmod(QFile::encodeName(path).constData(), 0640), 0);
    {
        TIniFile ini(path);
        ini.BeginUpdate();
        for (int i = 0; i < 50; ++i) ASSERT_TRUE(ini.WriteInteger("B", QString("K%1").arg(i), i));
        EXPECT_EQ(Read(path), "[A]\r\nX=1\r\n");
        ASSERT_TRUE(ini.UpdateFile());
        EXPECT_EQ(TIniFile(path).ReadSection("B").size(), 50);
        ASSERT_TRUE(ini.WriteString("A", "X", "2")); // batch mode ended: written at once
        EXPECT_EQ(TIniFile(path).ReadString("A", "X", "?"), "2");
        ini.BeginUpdate();
        ASSERT_TRUE(ini.EraseSection("B"));
    } // pending changes are written by the destructor
    EXPECT_EQ(Read(path), "[A]\r\nX=2\r\n");
    struct stat st;
    ASSERT_EQ(stat(QFile::encodeName(path).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);

    // Through a symbolic link, the link stays and its target changes.
    const QString link = Path("link.ini");
    ASSERT_TRUE(QFile::link(path, link));
    ASSERT_TRUE(TIniFile(link).WriteString("A", "X", "3"));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(Read(path), "[A]\r\nX=3\r\n");
}

} // namespace
