// Option defaults and their round trip through "Zephalon.ini".
#include "model/Options.h"
#include "model/Calc.h"
#include "model/Define.h"
#include "platform/IniFile.h"
#include "platform/Msg.h"

#include "support/Fixtures.h"
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <tuple>

namespace {

class OptionsTest : public FreshModel
{
protected:
    QTemporaryDir dir;
    QString Path(const QString& name) const { return dir.filePath(name); }
    static auto Fields(const TOpt& o)
    {
        return std::tie(o.UniteLatiLong, o.UniteDistance, o.UniteVitesse, o.UniteVario, o.UniteAltitude,
                        o.Altitude, o.EarthModel, o.LigneEntreSecteur, o.MinTri0, o.MaxTri0, o.MinDist1,
                        o.MinTri1, o.MaxTri1, o.EngineRelLevel, o.EngineAbsLevel, o.EngineCoefWidth,
                        o.FondCarte, o.AutoSelectionCarte, o.FichFondCarte, o.FichTrajectoire,
                        o.FichWayPoints, o.FichCircuit, o.FichZones, o.AssocAuto, o.AutoFit, o.SelWidth);
    }
};

TEST_F(OptionsTest, DefaultsOfAFreshObject)
{
    const TOpt O;
    const TSect line{1, 0, 1000, 0, 90, 1}, turn{1, 500, 20000, 0, 45, 0};
    EXPECT_EQ(O.Secteurs, (std::array<TSect, 6>{line, turn, line, line, turn, line}));
    EXPECT_EQ(O.MinTri1, 25);
    EXPECT_EQ(O.MaxTri1, 45);
    for (size_t i = 0; i < O.ZoneStyles.size(); ++i) {
        EXPECT_EQ(O.ZoneStyles[i].Color, ZoneStyleDefaults[i].Color);
        EXPECT_EQ(O.ZoneStyles[i].Width, ZoneStyleDefaults[i].Width);
    }
    ASSERT_NE(Opt, nullptr);
    EXPECT_EQ(Colors, DefaultColors());
}

TEST_F(OptionsTest, RoundTripThroughTheIniFile)
{
    TOpt O;
    O.UniteLatiLong = 0;
    O.UniteDistance = 1;
    O.UniteVitesse = 2;
    O.UniteVario = 2;
    O.UniteAltitude = 1;
    O.Altitude = 2;
    O.EarthModel = 1;
    O.LigneEntreSecteur = false;
    O.MinTri0 = 30;
    O.MaxTri0 = 40;
    O.MinDist1 = 500;
    O.MinTri1 = 26;
    O.MaxTri1 = 44;
    O.EngineRelLevel = 100;
    O.EngineAbsLevel = 700;
    O.EngineCoefWidth = 5;
    O.FondCarte = true;
    O.AutoSelectionCarte = true;
    O.FichFondCarte = "Alpes Sud";
    O.FichTrajectoire = "/home/pilote/vols\\2023/été.igc";
    O.FichWayPoints = "/data/wp.cup";
    O.FichCircuit = "/data/task.zph";
    O.FichZones = "/data/zones.txt";
    O.AssocAuto = 2;
    O.AutoFit = false;
    O.SelWidth = 4;
    O.Secteurs[siTurn].Type_Sect = 2;
    O.Secteurs[siExtFinish].Rayon_Ext = 3000;
    O.Secteurs[siStart].Zone_Fermee = 0;
    O.ZoneStyles[9].Color = 0x123456;
    O.ZoneStyles[9].Draw = false;
    O.ZoneStyles[3].Style = 2;
    O.ZoneStyles[10].Width = 3;
    Colors[ciTask] = 0x00AB12;

    TIniFile ini(Path("Zephalon.ini"));
    ASSERT_TRUE(SaveOptions(O, ini));
    EXPECT_TRUE(Msg::Log().isEmpty());

    Colors = DefaultColors();
    TOpt L;
    LoadOptions(L, TIniFile(Path("Zephalon.ini")));
    EXPECT_EQ(Colors[ciTask], 0x00AB12);
    EXPECT_EQ(Fields(L), Fields(O));
    EXPECT_EQ(L.Secteurs, O.Secteurs);
    for (size_t i = 1; i < L.ZoneStyles.size(); ++i) {
        const auto &l = L.ZoneStyles[i], &o = O.ZoneStyles[i];
        EXPECT_EQ(std::tie(l.Color, l.Draw, l.Style, l.Width), std::tie(o.Color, o.Draw, o.Style, o.Width))
            << i;
    }

    // Stable names others rely on.
    const TIniFile check(Path("Zephalon.ini"));
    EXPECT_EQ(check.ReadInteger("Options", "Earth_Model", -1), 1);
    EXPECT_EQ(check.ReadInteger("Secteurs", "Turn_Type", -1), 2);
    EXPECT_EQ(check.ReadInteger("Couleurs", "Color5", -1), 0x00AB12);
    EXPECT_EQ(check.ReadInteger("Zones", "Zone Réglementée Color", -1), 0x123456);
}

TEST_F(OptionsTest, MissingOrOutOfRangeValuesReadAsDefaults)
{
    WriteAll(Path("old.ini"), "[Options]\r\nUnite_Distance=9\r\nEarth_Model=-1\r\nUnite_Vario=1\r\n"
                              "[Secteurs]\r\nTurn_Type=0\r\nStart_Rayon_Ext=1500\r\n"
                              "[Couleurs]\r\nColor0=16777216\r\nColor1=255\r\n");
    TOpt L;
    L.UniteDistance = 2; // overwritten by the default, not kept
    LoadOptions(L, TIniFile(Path("old.ini")));
    EXPECT_EQ(std::tuple(L.UniteDistance, L.EarthModel, L.UniteVario, L.Secteurs[siTurn].Type_Sect,
                         L.Secteurs[siStart].Rayon_Ext, L.MaxTri1),
              std::tuple(0, 0, 1, 1, 1500, 45));
    EXPECT_EQ(std::tuple(Colors[0], Colors[1]), std::tuple(DefaultColors()[0], 255));
}

TEST_F(OptionsTest, WriteFailureIsReportedWithTheFileNameAndTheReason)
{
    QFile blocker(Path("plain"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString bad = Path("plain/Zephalon.ini"); // a folder that is a file
    TIniFile ini(bad);
    EXPECT_FALSE(SaveOptions(*Opt, ini));
    ASSERT_EQ(Msg::Log().size(), 1);
    EXPECT_EQ(Msg::Log()[0].type, TMsgType::Error);
    EXPECT_EQ(
        Msg::Log()[0].text,
        QStringLiteral("Impossible d'écrire dans le fichier d'initialisation\r") + bad +
            QStringLiteral(" .\rLes paramètres de Zephalon ne peuvent être sauvegardés !\rNot a directory"));
    Language = 1;
    TIniFile again(bad);
    EXPECT_FALSE(SaveOptions(*Opt, again));
    ASSERT_EQ(Msg::Log().size(), 2);
    EXPECT_EQ(Msg::Log()[1].text, "Cannot write to the initialisation file\r" + bad +
                                      " .\rZephalon's settings cannot be saved !\rNot a directory");
}

} // namespace
