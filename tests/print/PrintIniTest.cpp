// Print settings in section "Impression": defaults, bounds, round trips, encodings, failures.
#include "print/PrintIni.h"

#include "platform/IniFile.h"
#include "platform/Msg.h"
#include "support/Fixtures.h"

#include <QFile>
#include <QTemporaryDir>

namespace {

class PrintIniTest : public QuietMessages
{
protected:
    QTemporaryDir dir;
    QString Path() const { return dir.filePath("Zephalon.ini"); }
    void Write(const QByteArray& bytes) { WriteAll(Path(), bytes); }
};

TEST_F(PrintIniTest, MissingSectionGivesDefaults)
{
    Write("[Options]\r\nX=1\r\n");
    TIniFile ini(Path());
    TPrintSettings s;
    s.TopEdit = 25;
    s.PrnStyles[1].Color = 77;
    LoadIni(s, ini);
    EXPECT_TRUE(s.TopEdit == 10 && s.BottomEdit == 10 && s.HauteurCoupe == 100 &&
                s.EchPlanBox == "1/1000000");
    EXPECT_TRUE(s.MonochBtn && !s.MapPlanBtn && !s.MapSectBtn);
    EXPECT_TRUE(s.NomFichBtn && s.DateBtn && s.PltBtn && s.PlnBtn && s.CmntBtn);
    EXPECT_EQ(s.PrnStyles[1].Color, 255);
    EXPECT_EQ(s.PrnStyles[3].Police, "Arial");
    EXPECT_EQ(s.PrnZoneStyles[4].Color, 16711680);
    EXPECT_EQ(s.PrnZoneStyles[10].Style, 1);
}

TEST_F(PrintIniTest, BadValuesReadAsDefaultOrNearestBound)
{
    Write("[Impression]\nMarge_Haut=1\nMarge_Bas=99\nMarge_Gauche=abc\nHauteur_Tracé_Coupe=5000\n"
          "Nb_mini_Méridien/parralèle=0\nDim_Marques_Way_points=40\nAutres Police=\nAutres Size=2\n"
          "Way-points Size=200\nTrajectoire Style=9\nCircuit Width=0\nClasse A Color=-5\n"
          "Classe B Color=99999999999\nMonochrome=oui\n");
    TIniFile ini(Path());
    TPrintSettings s;
    LoadIni(s, ini);
    EXPECT_EQ(
        std::tuple(s.TopEdit, s.BottomEdit, s.LeftEdit, s.HauteurCoupe, s.PrnNbMeridEdit, s.PrnRepSizeEdit),
        std::tuple(2, 30, 10, 200, 1, 15));
    EXPECT_EQ(s.PrnStyles[psOther].Police, "Arial");
    EXPECT_EQ(s.PrnStyles[psOther].Size, 5);
    EXPECT_EQ(std::tuple(s.PrnStyles[psWaypoints].Size, s.PrnStyles[psTrace].Style, s.PrnStyles[psTask].Width,
                         s.PrnZoneStyles[1].Color, s.PrnZoneStyles[2].Color),
              std::tuple(15, 4, 1, 255, 255));
    EXPECT_TRUE(s.MonochBtn);
}

TEST_F(PrintIniTest, SaveWritesKeysByKindAndNotTheCommentOfThisPrint)
{
    TPrintSettings s;
    s.CmntEdit = "just this once";
    s.DefCmntEdit = "Concours %s %1";
    s.TopEdit = 17;
    s.HauteurCoupe = 120;
    s.PrnStyles[psWaypoints].Police = "DejaVu Sans";
    s.PrnZoneStyles[9].Draw = false;
    {
        TIniFile ini(Path());
        ASSERT_TRUE(SaveIni(s, ini));
    }
    TIniFile ini(Path());
    const auto has = [&](const char* key) { return ini.ValueExists("Impression", QString::fromUtf8(key)); };
    EXPECT_TRUE(has("Way-points Draw") && has("Way-points Color") && has("Way-points Police") &&
                has("Way-points Size"));
    EXPECT_FALSE(has("Way-points Style") || has("Way-points Width"));
    EXPECT_FALSE(has("Trajectoire Police") || has("Trajectoire Size") || has("Circuit Police") ||
                 has("Circuit Size"));
    EXPECT_TRUE(has("Trajectoire Style") && has("Circuit Width"));
    EXPECT_FALSE(has("Autres Draw"));
    EXPECT_TRUE(has("Autres Style") && has("Autres Police"));
    EXPECT_TRUE(has("Zone Réglementée Draw") && has("Nb_mini_Méridien/parralèle") &&
                has("Hauteur_Tracé_Coupe"));
    EXPECT_EQ(ini.ReadString("Impression", "Titre", "?"), "Concours %s %1");

    TPrintSettings back;
    LoadIni(back, ini);
    EXPECT_EQ(std::tuple(back.CmntEdit, back.TopEdit, back.HauteurCoupe, back.PrnStyles[psWaypoints].Police,
                         back.PrnZoneStyles[9].Draw),
              std::tuple(QString("Concours %s %1"), 17, 120, QString("DejaVu Sans"), false));
}

TEST_F(PrintIniTest, Windows1252FileKeepsItsEncodingAndAccentedKeys)
{
    const QByteArray body =
        "[Impression]\r\nAff_M\xe9ridiens_Parall\xe8les=0\r\nNb_mini_M\xe9ridien/parral\xe8le=4\r\n"
        "Hauteur_Trac\xe9_Coupe=80\r\nZone R\xe9glement\xe9"
        "e Draw=0\r\n";
    Write(body);
    TPrintSettings s;
    {
        TIniFile ini(Path());
        LoadIni(s, ini);
        EXPECT_FALSE(s.RepPlanBtn);
        EXPECT_EQ(s.PrnNbMeridEdit, 4);
        EXPECT_EQ(s.HauteurCoupe, 80);
        EXPECT_FALSE(s.PrnZoneStyles[9].Draw);
        s.PrnNbMeridEdit = 6;
        ASSERT_TRUE(SaveIni(s, ini));
    }
    const QByteArray out = ReadAll(Path());
    EXPECT_TRUE(out.contains("Nb_mini_M\xe9ridien/parral\xe8le=6\r\n"));
    EXPECT_TRUE(out.contains("Zone R\xe9glement\xe9"
                             "e Draw=0\r\n"));
    EXPECT_EQ(out.count("Nb_mini_M"), 1);
}

TEST_F(PrintIniTest, ReadOnlyFileShowsTheMessageWithItsPathAndKeepsValues)
{
    // A folder that is a plain file cannot hold the profile, even for root.
    const QString bad = dir.filePath("plain/Zephalon.ini");
    WriteAll(dir.filePath("plain"), "");
    TPrintSettings s;
    s.TopEdit = 21;
    TIniFile ini(bad);
    EXPECT_FALSE(SaveIni(s, ini));
    ASSERT_EQ(Msg::Log().size(), 1);
    EXPECT_TRUE(Msg::Log()[0].text.contains(bad));
    EXPECT_TRUE(Msg::Log()[0].text.startsWith("Impossible d'écrire"));
    EXPECT_TRUE(Msg::Log()[0].text.endsWith("sauvegardés !\rNot a directory"))
        << Msg::Log()[0].text.toStdString();
    EXPECT_EQ(s.TopEdit, 21);
}

} // namespace
