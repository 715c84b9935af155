// The main window's waypoint commands on the real windows: texts, creation at the mouse,
// reaching a waypoint in the real plan view (visibility by the view's own projection, map
// choice without a trace) and the trace-part window following the trace.
#include "app/LangWpt.h"
#include "app/Langage.h"
#include "app/Main.h"
#include "app/Plan.h"
#include "dialogs/Editswp.h"
#include "dialogs/Editwpt.h"
#include "dialogs/Reachwpt.h"
#include "dialogs/SelTrj.h"
#include "files/MapCal.h"
#include "files/RecFile.h"
#include "model/Options.h"
#include "platform/IniFile.h"
#include "platform/Msg.h"
#include "platform/ProgramDir.h"
#include "support/ModalScript.h"
#include "support/ProgramFixture.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

void AddWpt(const char* Name, int32 Lat, int32 Lon, const char* Comment = "")
{
    auto w = std::make_unique<TWpt>();
    w->Name = QString::fromUtf8(Name);
    w->Lat = Lat;
    w->Lon = Lon;
    w->Comment = QString::fromUtf8(Comment);
    Swp->AddWpt(w);
}

void Reach(const QString& Prefix)
{
    ModalScript script;
    script.Then<TReachWptForm>([&](TReachWptForm& f) {
        QTest::keyClicks(f.Edit, Prefix);
        f.OKBtnClick();
    });
    script.Start();
    MainForm->AtteindreWpt->trigger();
    EXPECT_TRUE(script.Done());
}

class WptCommands : public ProgramFixture
{
protected:
    void SetUp() override
    {
        ProgramFixture::SetUp();
        StartProgram();
    }
};

} // namespace

TEST_F(WptCommands, TextsInBothLanguages)
{
    ASSERT_TRUE(SwpEdit && WptEdit && TrjSel && ReachWptForm);
    EXPECT_TRUE((LangSwpEdit(*SwpEdit) + LangWptEdit(*WptEdit) + LangTrjSel(*TrjSel) +
                 LangReachWptForm(*ReachWptForm) + LangWptActions(*MainForm))
                    .isEmpty());
    Language = 1;
    SetFrenchTexts();
    EXPECT_EQ(SwpEdit->Grid->Titles[scComment], QStringLiteral("Comment"));
    EXPECT_EQ(MainForm->AtteindreWpt->text(), QStringLiteral("&Go to waypoint..."));
    Language = 0;
    SetFrenchTexts();
}

TEST_F(WptCommands, CreateAtTheMouseAndReachInThePlanView)
{
    // A waypoint made at the mouse position keeps that exact position.
    PlanForm->MouseLati = 6012347;
    PlanForm->MouseLong = 1012347;
    ModalScript create;
    create.Then<TWptEdit>([](TWptEdit& f) {
        QTest::keyClicks(f.NameEdit, QStringLiteral("MOUSE"));
        f.OKBtnClick();
    });
    create.Start();
    MainForm->CreeWpt->trigger();
    ASSERT_TRUE(Swp && Swp->Count == 1);
    EXPECT_EQ(std::pair(Swp->First->Lat, Swp->First->Lon), std::pair(6012347, 1012347));

    // At 60 N the view spans twice as many longitudes as latitudes per pixel: a waypoint near
    // the east edge is visible and leaves the view where it is.
    PlanForm->CtrLati = 6000000;
    PlanForm->CtrLong = 1000000;
    PlanForm->Zoom = 0.005;
    PlanForm->RefreshView();
    int32 lat, lon;
    PlanForm->ScreenToGeo(PlanForm->PaintBoxWidth() - 4, PlanForm->PaintBoxHeight() / 2, lat, lon);
    AddWpt("EASTEDGE", lat, lon, "bord est");
    AddWpt("FARAWAY", 4500000, 500000);
    Reach(QStringLiteral("ea"));
    EXPECT_EQ(Swp->SelWpt, Swp->First->Next);
    EXPECT_EQ(std::pair(PlanForm->CtrLati, PlanForm->CtrLong), std::pair(6000000, 1000000));
    EXPECT_EQ(PlanForm->MarkedWpt(), Swp->SelWpt);
    EXPECT_EQ(MainForm->StatusPanel->text(), QStringLiteral("EASTEDGE  -  bord est"));
    EXPECT_EQ(PlanForm->toolTip(), QStringLiteral("EASTEDGE  -  bord est"));
    // A waypoint out of view brings the view over it, same zoom.
    Reach(QStringLiteral("f"));
    EXPECT_EQ(std::pair(PlanForm->CtrLati, PlanForm->CtrLong), std::pair(4500000, 500000));
    EXPECT_EQ(PlanForm->Zoom, 0.005);
    EXPECT_EQ(PlanForm->MarkedWpt(), Swp->Last);
}

TEST_F(WptCommands, ReachedWaypointChoosesTheMapWithoutATrace)
{
    QTemporaryDir dir;
    const QString image = dir.filePath(QStringLiteral("Vosges.png"));
    TMap m;
    m.Image = QImage(200, 100, QImage::Format_RGB32);
    m.Image.fill(Qt::darkGreen);
    ASSERT_TRUE(m.Image.save(image));
    m.Pos[0] = {0, 0, 4900000, 600000, true};
    m.Pos[1] = {199, 0, 4900000, 800000, true};
    m.Pos[2] = {0, 99, 4800000, 600000, true};
    m.Pos[3] = {199, 99, 4800000, 800000, true};
    ASSERT_TRUE(SaveMapCal(MapCalFileName(image), m, QString(), 200, 100));
    ASSERT_TRUE(
        TIniFile(IniFileName()).WriteString(QStringLiteral("Liste_Cartes"), QStringLiteral("Vosges"), image));
    Sml->Items = {TMapLoc{QStringLiteral("Vosges"), image, 4800000, 4900000, 600000, 800000}};
    Opt->AutoSelectionCarte = true;
    NewSwp();
    AddWpt("DONON", 4850000, 700000);
    Reach(QStringLiteral("do"));
    EXPECT_TRUE(Map->Valid);
    EXPECT_EQ(Opt->FichFondCarte, QStringLiteral("Vosges"));
}

TEST_F(WptCommands, TracePartWindowFollowsTheTrace)
{
    ASSERT_GT(OpenTrjFiles(QStringLiteral(ZPH_TESTDATA "/igc/2016-11-08-xcs-aaa-02.igc"), 0), 0);
    MainForm->UpdateActions();
    ASSERT_TRUE(MainForm->SelPartieTrj->isEnabled());
    MainForm->SelPartieTrj->trigger();
    ASSERT_TRUE(TrjSel->isVisible());
    EXPECT_FALSE(TrjSel->isModal());
    EXPECT_EQ(TrjSel->SelEnd, Trj->Last);
    MainForm->FermeTteTrjExecute();
    EXPECT_FALSE(TrjSel->isVisible());
    EXPECT_EQ(TrjSel->SelStart, nullptr);
}
