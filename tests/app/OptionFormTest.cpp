// The options dialog: the sheets of each OpenFrom, OK writing what it confirms into Opt and
// "Zephalon.ini", Cancel changing nothing, and the sector sheet's edits.
#include "app/Langage.h"
#include "app/Option.h"
#include "platform/IniFile.h"
#include "platform/Msg.h"
#include "platform/ProgramDir.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>
#include <gtest/gtest.h>
#include <tuple>

namespace {

class OptionFormTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ModelDone();
        ModelInit();
        QFile::remove(IniFileName());
        Msg::SetHeadless(true);
        Language = 0;
    }
    void TearDown() override
    {
        ModelDone();
        QFile::remove(IniFileName());
    }

    static QList<QWidget*> VisibleSheets(TOptionForm& F)
    {
        QList<QWidget*> v;
        for (int i = 0; i < F.PageControl->count(); ++i)
            if (F.PageControl->isTabVisible(i)) v << F.PageControl->widget(i);
        return v;
    }

    static TOpt Reloaded()
    {
        TOpt o;
        const TIniFile ini(IniFileName());
        LoadOptions(o, ini);
        return o;
    }
};

} // namespace

TEST_F(OptionFormTest, SheetsShownByOpenFrom)
{
    TOptionForm f;
    EXPECT_EQ(OptionForm, &f);
    // All seven sheets from the menu, one alone from elsewhere, all again from the menu.
    const std::pair<int, QWidget*> rows[] = {
        {0, f.UnitsSheet}, {1, f.OtherSheet}, {2, f.TrjSheet}, {0, nullptr}};
    for (auto [from, sheet] : rows) {
        f.OpenFrom = from;
        f.show();
        const QList<QWidget*> shown = VisibleSheets(f);
        EXPECT_TRUE(from == 0 ? shown.size() == 7 : shown == QList<QWidget*>{sheet}) << from;
        EXPECT_TRUE(!sheet || f.PageControl->currentWidget() == sheet) << from;
        f.hide();
    }
}

TEST_F(OptionFormTest, OkWritesWhatItConfirms)
{
    TOptionForm f;
    EXPECT_EQ(f.DistCombo->currentIndex(), Opt->UniteDistance);
    f.DistCombo->setCurrentIndex(1);
    f.VarioCombo->setCurrentIndex(2);
    f.AltUnitCombo->setCurrentIndex(1);
    f.EarthCombo->setCurrentIndex(1);
    f.CoordCombo->setCurrentIndex(0);
    f.AltModeCombo->setCurrentIndex(2);
    f.SelWidthEdit->setValue(5);
    f.EngineAbsEdit->setValue(321);
    f.MinTri1Edit->setValue(30);
    f.MaxTri0Edit->setValue(41);
    f.FondCarteBox->setChecked(true);
    f.AssocCombo->setCurrentIndex(2);
    f.AutoFitBox->setChecked(false);
    f.ZoneRows[3].Draw->setChecked(false);
    f.ZoneRows[3].Width->setValue(4);
    f.SetWorkColor(ciTrace, 0x00123456);
    f.SetZoneColor(3, 0x00ABCDEF);
    // Turn preset: concentric circles of 1 km and 5 km.
    f.SectKindCombo->setCurrentIndex(siTurn);
    f.TurnType->setCurrentIndex(1);
    f.Radius1->setValue(1000);
    f.Radius2->setValue(5000);
    f.CldAreaBtn->setChecked(false);
    f.OKBtn->click();
    EXPECT_EQ(f.result(), QDialog::Accepted);

    for (const TOpt& o : {*Opt, Reloaded()}) {
        EXPECT_EQ(std::tie(o.UniteDistance, o.UniteVario, o.UniteAltitude, o.EarthModel, o.UniteLatiLong,
                           o.Altitude, o.SelWidth, o.EngineAbsLevel, o.MinTri1, o.MaxTri0),
                  std::make_tuple(1, 2, 1, 1, 0, 2, 5, 321, 30, 41));
        const TCtp& z = o.ZoneStyles[3];
        EXPECT_EQ(std::tie(o.FondCarte, o.AssocAuto, o.AutoFit, z.Draw, z.Width, z.Color),
                  std::make_tuple(true, 2, false, false, 4, decltype(z.Color)(0x00ABCDEF)));
        const TSect& t = o.Secteurs[siTurn];
        EXPECT_EQ(std::tie(t.Type_Sect, t.Rayon_Int, t.Rayon_Ext, t.Zone_Fermee),
                  std::make_tuple(2, 1000, 5000, 1));
        EXPECT_EQ(o.Secteurs[siStart], DefaultSecteurs()[siStart]); // untouched
    }
    EXPECT_EQ(Colors[ciTrace], 0x00123456);
    const TIniFile ini(IniFileName());
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("Couleurs"), QStringLiteral("Color0"), -1), 0x00123456);
}

TEST_F(OptionFormTest, CancelChangesNothing)
{
    const TOpt before = *Opt;
    const auto colors = Colors;
    TOptionForm f;
    f.DistCombo->setCurrentIndex(2);
    f.SectKindCombo->setCurrentIndex(siFinish);
    f.Radius2->setValue(3000);
    f.SetWorkColor(ciTrace, 0x00010203);
    f.EscBtn->click();
    EXPECT_EQ(f.result(), QDialog::Rejected);
    EXPECT_EQ(Opt->UniteDistance, before.UniteDistance);
    EXPECT_EQ(Opt->Secteurs, before.Secteurs);
    EXPECT_EQ(Colors, colors);
    EXPECT_FALSE(QFile::exists(IniFileName()));
}

TEST_F(OptionFormTest, StoredValuesTheEditsCannotShowSurviveUntouched)
{
    Opt->UniteLatiLong = 2;                     // also degrees, minutes, seconds
    Opt->Secteurs[siFinish].Rayon_Ext = 500000; // beyond the edits' range
    Opt->Secteurs[siFinish].Type_Sect = 9;      // a shape the kind does not offer
    TOptionForm f;
    EXPECT_EQ(f.CoordCombo->currentIndex(), 0);
    f.SectKindCombo->setCurrentIndex(siFinish); // looked at, not changed
    EXPECT_EQ(f.TurnType->currentIndex(), 0);
    f.SectKindCombo->setCurrentIndex(siStart);
    f.OKBtn->click();
    EXPECT_EQ(
        std::tie(Opt->UniteLatiLong, Opt->Secteurs[siFinish].Rayon_Ext, Opt->Secteurs[siFinish].Type_Sect),
        std::make_tuple(2, 500000, 9));

    TOptionForm g;
    g.CoordCombo->setCurrentIndex(1);
    g.OKBtn->click();
    EXPECT_EQ(Opt->UniteLatiLong, 1);
}

TEST_F(OptionFormTest, SectorSheetFollowsKindAndShape)
{
    Opt->Secteurs[siFinish] = TSect{2, 0, 1500, 0, 270, 0};
    TOptionForm f;
    f.show();
    f.PageControl->setCurrentWidget(f.SectSheet);
    EXPECT_EQ(f.TurnType->count(), 1); // start: lines and circles only
    EXPECT_TRUE(f.Radius1->isVisible());
    EXPECT_TRUE(f.Angle2->isVisible());

    f.SectKindCombo->setCurrentIndex(siFinish);
    EXPECT_EQ(f.TurnType->count(), 2);
    EXPECT_EQ(f.TurnType->currentIndex(), 1); // "Droite suivant cap"
    EXPECT_FALSE(f.Radius1->isVisible());
    EXPECT_FALSE(f.Radius1Lbl->isVisible());
    EXPECT_FALSE(f.Angle1->isVisible());
    EXPECT_TRUE(f.Radius2->isVisible());
    EXPECT_EQ(f.Angle2->maximum(), 360);
    EXPECT_EQ(f.Angle2->value(), 270); // a course past 180 is kept
    EXPECT_EQ(f.Radius2->value(), 1500);

    f.TurnType->setCurrentIndex(0);
    EXPECT_TRUE(f.Radius1->isVisible());
    EXPECT_TRUE(f.Angle1Lbl->isVisible());
    EXPECT_EQ(f.Angle2->maximum(), 180);

    // Each kind keeps its own edits while moving between kinds.
    f.SectKindCombo->setCurrentIndex(siExtStart);
    EXPECT_EQ(f.TurnType->itemText(1), QStringLiteral("Courbe et cercle"));
    f.Radius2->setValue(7000);
    f.SectKindCombo->setCurrentIndex(siTurn);
    f.SectKindCombo->setCurrentIndex(siExtStart);
    EXPECT_EQ(f.Radius2->value(), 7000);
    f.OKBtn->click();
    EXPECT_EQ(Opt->Secteurs[siExtStart].Rayon_Ext, 7000);
    EXPECT_EQ(Opt->Secteurs[siFinish].Type_Sect, 1);
}

TEST_F(OptionFormTest, TextsInBothLanguages)
{
    TOptionForm f;
    EXPECT_TRUE(LangOptionForm(f).isEmpty());
    EXPECT_EQ(QStringList({f.windowTitle(), f.PageControl->tabText(f.PageControl->indexOf(f.OtherSheet)),
                           f.EscBtn->text(), f.AssocCombo->itemText(1), f.ZoneRows[5].Style->itemText(1)}),
              QStringList({"Options", "Autres options", "Annuler", "Jamais", "Tirets"}));
    f.AssocCombo->setCurrentIndex(2);
    Language = 1;
    EXPECT_TRUE(LangOptionForm(f).isEmpty());
    EXPECT_EQ(QStringList({f.PageControl->tabText(f.PageControl->indexOf(f.UnitsSheet)), f.EscBtn->text(),
                           f.AssocCombo->itemText(1)}),
              QStringList({"Units", "Cancel", "Never"}));
    EXPECT_EQ(f.AssocCombo->currentIndex(), 2); // the choice survives the new texts
    Language = 0;
}
