// The turn-point editor: its plain functions, then the window on a model task and on a real
// flight that crosses midnight.
#include "dialogs/EditTrn.h"

#include "app/Langage.h"
#include "files/RecFile.h"
#include "model/Options.h"
#include "model/Sector.h"
#include "model/Texts.h"
#include "support/Fixtures.h"
#include "support/ModelBits.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QSpinBox>
#include <QTest>

namespace {

const QString PastMidnight = QStringLiteral(ZPH_TESTDATA "/igc/2016-11-08-xcs-aaa-02.igc");

TEST(EditTrnLogic, LocalTimes)
{
    EXPECT_EQ(LocalTimeText(1000000, 2), "12:00:00");
    EXPECT_EQ(LocalTimeText(2450000, 1), " 1:30:00");
    int32 t = -1;
    EXPECT_TRUE(ReadTimeText(QStringLiteral(" 2:00:00"), t));
    EXPECT_EQ(t, 200000);
    EXPECT_FALSE(ReadTimeText(QStringLiteral("  :  :  "), t));
    EXPECT_TRUE(TimeTextEmpty(QStringLiteral("  :  :  ")));
    EXPECT_TRUE(TimeTextEmpty(QStringLiteral("::")));
    EXPECT_FALSE(TimeTextEmpty(QStringLiteral(" 2:  :  ")));
    const struct
    {
        int32 value, target, want;
    } days[] = {{50000, 2500000, 2450000},
                {2350000, 100000, -50000},
                {1000000, 1200000, 1000000},
                {-50000, 2571944, 2350000}};
    for (const auto& d : days) EXPECT_EQ(NearestDay(d.value, d.target), d.want) << d.value;
}

TEST(EditTrnLogic, SectorEditsCoupling)
{
    // A turn's concentric circles: the ring at most ten times its inner radius.
    TSectEdits v{5000, 60000, 0, 0};
    CoupleSectChange(siTurn, 2, TSectEdit::Radius1, false, v);
    EXPECT_EQ(v.Radius2, 50000);
    // Angles stop at 180, except the course of a finish line.
    v = {0, 1000, 200, 270};
    CoupleSectChange(siTurn, 1, TSectEdit::Angle2, false, v);
    EXPECT_EQ(v.Angle1, 180);
    EXPECT_EQ(v.Angle2, 180);
    v = {0, 1000, 0, 270};
    CoupleSectChange(siExtFinish, 2, TSectEdit::Angle2, false, v);
    EXPECT_EQ(v.Angle2, 270);
    // A hidden outer radius follows the inner one.
    v = {700, 1000, 0, 0};
    CoupleSectChange(siStart, 1, TSectEdit::Radius1, true, v);
    EXPECT_EQ(v.Radius2, 700);
    v = {3000, 1000, 90, 45};
    CoupleSectLeave(TSectEdit::Radius1, v);
    EXPECT_EQ(v.Radius2, 3000);
    CoupleSectLeave(TSectEdit::Angle2, v);
    EXPECT_EQ(v.Angle1, 45);
    EXPECT_TRUE(SectPreviewable(v));
    EXPECT_FALSE(SectPreviewable({2, 1, 0, 0}));
}

TEST(EditTrnLogic, ReadingCountsEveryError)
{
    TTrnValues old;
    old.Name = "A";
    old.TimeMin = 111;
    old.TimeMax = 222;
    TTrnEditTexts t;
    t.Name = "B";
    t.Lati = LatiToStr(4500000);
    t.Long = LongToStr(600000);
    t.Time = "12:00:00";
    t.TimeBeg = "xx";
    t.TimeEnd = "12:15:00";
    TTraceClock c{true, 2, 900000, 1100000};
    TTrnValues out;
    ASSERT_EQ(ReadTrnTexts(t, c, false, old, out), 0);
    EXPECT_EQ(out.Time, 1000000);
    EXPECT_EQ(out.TimeMin, 111); // unreadable: kept
    EXPECT_EQ(out.TimeMax, 1025000);
    EXPECT_EQ(out.Reached, 1);
    EXPECT_EQ(out.Sect, TSect{}); // the option preset
    t.Name.clear();
    t.Lati = "N4";
    t.Time = "25:00:00";
    t.Extended = true;
    EXPECT_EQ(ReadTrnTexts(t, c, false, old, out), 6); // name, latitude, time, reference x 3
    // No trace: the time edits are empty and the turn point is not reached.
    t = TTrnEditTexts{};
    t.Name = "C";
    t.Lati = LatiToStr(1);
    t.Long = LongToStr(2);
    ASSERT_EQ(ReadTrnTexts(t, TTraceClock{}, false, old, out), 0);
    EXPECT_EQ(out.Time, 0);
    EXPECT_EQ(out.Reached, 0);
}

TEST(EditTrnLogic, PreviewPixels)
{
    QImage img(100, 100, QImage::Format_RGB32);
    const QColor bg(Qt::white);
    TSect cyl{1, 0, 1000, 0, 180, 0};
    {
        QPainter p(&img);
        PaintSectPreview(p, img.size(), siTurn, cyl, bg);
    }
    // The outer radius spans half the width: a circle through the box's edges.
    auto dark = [&](int x, int y) { return qGray(img.pixel(x, y)) < 128; };
    bool edge = false;
    for (int y = 0; y <= 2; ++y) edge |= dark(50, y) || dark(49, y);
    EXPECT_TRUE(edge);
    EXPECT_FALSE(dark(50, 50));
    EXPECT_FALSE(dark(50, 25));
    cyl.Rayon_Ext = 0;
    {
        QPainter p(&img);
        PaintSectPreview(p, img.size(), siTurn, cyl, bg);
    }
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x) ASSERT_FALSE(dark(x, y));
}

class EditTrnTest : public FreshModel
{
protected:
    void SetUp() override
    {
        FreshModel::SetUp();
        SetSectEditUi({[](uint8 Kind, QComboBox* List) { FillSectTypeList(Kind, List); },
                       [](uint8 Kind, uint8 Shape, QSpinBox* R1, QSpinBox* A2, QSpinBox* A1, QSpinBox* R2) {
                           SetSectHints(Kind, Shape, R1, A2, A1, R2);
                       }});
    }
    // A trace of fixes every 10 minutes from 9:00 to 11:00 UTC.
    void SmallTrace()
    {
        NewTrj();
        for (int i = 0; i <= 12; ++i) {
            auto r = std::make_unique<TRec>();
            r->Lat = 4500000 + i * 1000;
            r->Lon = 600000;
            r->Time = 900000 + i * 100000 / 6;
            Trj->AddRec(r);
        }
        Trj->Date = 45000;
        TrjLoaded();
        Trj->TimeLoc = 2;
        Trj->CurRec = Trj->RecAt(6); // 10:00:00
    }
    TTrn* AddPoint(const QString& Name, int32 Lat) { return AddTrn(*Stn, Name, Lat, 600000); }
    // Start, turn, finish on the trace; the turn selected.
    TTrn* SelectedTurn()
    {
        SmallTrace();
        AddPoint("S", 4500000);
        TTrn* t = AddPoint("T", 4510000);
        AddPoint("F", 4520000);
        return Stn->SelTrn = t;
    }
};

} // namespace

TEST_F(EditTrnTest, CreateFromTheCurrentFix)
{
    SmallTrace();
    TTrnEdit f;
    f.CreateMode = 1;
    f.show();
    EXPECT_EQ(f.NameEdit->text(), "Point 0");
    EXPECT_EQ(f.DateEdit->text().trimmed(), "12:00:00");
    EXPECT_EQ(f.DateBegEdit->text().trimmed(), "11:45:00");
    EXPECT_EQ(f.DateEndEdit->text().trimmed(), "12:15:00");
    EXPECT_FALSE(f.DateEdit->isEnabled());
    EXPECT_FALSE(f.TurnTypeGroupBox->isVisible());
    f.OKBtnClick();
    EXPECT_EQ(f.result(), QDialog::Accepted);
    ASSERT_EQ(Stn->Count, 1);
    EXPECT_EQ(Stn->First->Time, 1000000);
    EXPECT_EQ(Stn->First->TimeMin, 975000);
    EXPECT_EQ(Stn->First->Reached, 1);
    EXPECT_EQ(Stn->First->Lat, Trj->CurRec->Lat);
    EXPECT_TRUE(Stn->Modified);
}

TEST_F(EditTrnTest, RefusedOkWritesNothingThenCancel)
{
    SmallTrace();
    TTrn* t = AddPoint("A", 4500000);
    t->Time = 1000000;
    t->Reached = 1;
    Stn->SelTrn = t;
    Stn->Modified = false;
    TTrnEdit f;
    f.show();
    EXPECT_EQ(f.windowTitle(), "Edition point de virage 0");
    EXPECT_EQ(f.Kind, siStart); // a single point is a start
    EXPECT_TRUE(f.DefaultBox->isChecked());
    f.NameEdit->setText("Renamed");
    f.DateEdit->setText("99:99:99");
    f.OKBtnClick();
    ASSERT_EQ(Msg::Log().size(), 1);
    EXPECT_EQ(Msg::Log()[0].text, "Données saisies non valides.");
    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(f.NameEdit->text(), "Renamed"); // typed values kept
    EXPECT_EQ(t->Name, "A");                  // and nothing written
    EXPECT_FALSE(Stn->Modified);
    f.reject();
    EXPECT_EQ(t->Name, "A");
    EXPECT_EQ(t->Time, 1000000);

    // Clearing the passage time: not reached any more.
    TTrnEdit g;
    g.show();
    g.DateEdit->clear();
    g.OKBtnClick();
    EXPECT_EQ(g.result(), QDialog::Accepted);
    EXPECT_EQ(t->Reached, 0);
    EXPECT_EQ(t->Time, 0);
}

TEST_F(EditTrnTest, OwnSectorAndDefaults)
{
    TTrn* t = SelectedTurn();
    TTrnEdit f;
    f.show();
    EXPECT_EQ(f.Kind, siTurn);
    EXPECT_FALSE(f.TurnType->isEnabled());
    f.DefaultBox->click();
    EXPECT_TRUE(f.TurnType->isEnabled());
    f.TurnType->setCurrentIndex(1); // concentric circles
    f.Radius1->setValue(10000);
    f.Radius2->setValue(60000);
    ASSERT_EQ(f.Radius2->value(), 60000);
    f.Radius1->setValue(5000);
    EXPECT_EQ(f.Radius2->value(), 50000);
    f.OKBtnClick();
    EXPECT_EQ(t->Sect.Type_Sect, 2);
    EXPECT_EQ(t->Sect.Rayon_Int, 5000);
    EXPECT_EQ(t->Sect.Rayon_Ext, 50000);

    TTrnEdit g;
    g.show();
    EXPECT_FALSE(g.DefaultBox->isChecked());
    g.DefaultBox->click();
    g.OKBtnClick();
    EXPECT_EQ(t->Sect, TSect{});
}

TEST_F(EditTrnTest, RadiiCoupleOnlyCommittedNumbers)
{
    TTrn* t = SelectedTurn();
    // Typed one key at a time, a partial number cuts nothing; each way of committing it couples
    // (concentric circles of a turn: the ring at most ten times the inner radius).
    const struct
    {
        const char* typed;
        int outerBefore;
        int outerAfter;
        int how; // 0 Enter (the default button then closes), 1 leaving the edit, 2 OK
    } cases[] = {{"1500", 20000, 15000, 0}, {"5000", 60000, 50000, 1}, {"3000", 40000, 30000, 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        t->Sect = TSect{};
        TTrnEdit f;
        f.show();
        f.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
        f.DefaultBox->click();
        f.TurnType->setCurrentIndex(1);
        f.Radius1->setValue(10000);
        f.Radius2->setValue(c.outerBefore);
        f.Radius1->setFocus();
        ASSERT_TRUE(f.Radius1->hasFocus());
        f.Radius1->selectAll();
        for (const char* k = c.typed; *k; ++k) {
            QTest::keyClick(f.Radius1, *k);
            EXPECT_EQ(f.Radius2->value(), c.outerBefore) << "after " << *k;
        }
        EXPECT_EQ(f.Radius1->text(), c.typed);
        if (c.how == 0) QTest::keyClick(f.Radius1, Qt::Key_Return);
        if (c.how == 1) f.NameEdit->setFocus();
        if (c.how == 2) f.OKBtnClick();
        EXPECT_EQ(f.Radius1->value(), QByteArray(c.typed).toInt());
        EXPECT_EQ(f.Radius2->value(), c.outerAfter);
        if (c.how == 1) f.OKBtnClick();
        EXPECT_EQ(f.result(), QDialog::Accepted);
        EXPECT_EQ(t->Sect.Rayon_Int, QByteArray(c.typed).toInt());
        EXPECT_EQ(t->Sect.Rayon_Ext, c.outerAfter);
    }
}

TEST_F(EditTrnTest, ExtendedToggling)
{
    TTrn* t = SelectedTurn();
    {
        TTrnEdit f;
        f.show();
        f.ExtenCheckBox->click();
        EXPECT_EQ(f.Kind, siExtTurn);
        EXPECT_EQ(f.RefWptNameEdit->text(), "T");
        EXPECT_TRUE(f.RefPointGroupBox->isVisible());
        f.RefWptNameEdit->setText("REF");
        f.OKBtnClick();
    }
    ASSERT_NE(t->RefWpt, nullptr);
    EXPECT_TRUE(t->RefOwned);
    EXPECT_EQ(t->RefWpt->Name, "REF");
    EXPECT_EQ(TrnKind(*t), siExtTurn);

    // A reference that belongs to a waypoint set is dropped, not freed, and not rewritten.
    NewSwp();
    AddWpt(*Swp, "SETWPT", 4515000, 600000);
    t->SetRefWpt(Swp->First, false);
    {
        TTrnEdit f;
        f.show();
        EXPECT_TRUE(f.ExtenCheckBox->isChecked());
        f.RefWptNameEdit->setText("OTHER");
        f.OKBtnClick();
    }
    EXPECT_EQ(Swp->First->Name, "SETWPT");
    ASSERT_NE(t->RefWpt, Swp->First);
    EXPECT_TRUE(t->RefOwned);
    t->SetRefWpt(Swp->First, false);
    {
        TTrnEdit f;
        f.show();
        f.ExtenCheckBox->click();
        EXPECT_EQ(f.Kind, siTurn);
        EXPECT_EQ(f.NameEdit->text(), "SETWPT");
        f.OKBtnClick();
    }
    EXPECT_EQ(t->RefWpt, nullptr);
    EXPECT_EQ(Swp->Count, 1);
    EXPECT_EQ(Swp->First->Name, "SETWPT");
}

TEST_F(EditTrnTest, FlightPastMidnight)
{
    ASSERT_EQ(OpenTrjFiles(PastMidnight, 0), 1);
    ASSERT_EQ(Trj->TimeLoc, 1);
    // A fix after local midnight (23:00 UTC) and another after UTC midnight.
    for (int32 target : {2350000, 2500000}) {
        TRec* r = Trj->First;
        while (r && r->Time < target) r = r->Next;
        ASSERT_NE(r, nullptr);
        Trj->CurRec = r;
        TTrnEdit f;
        f.CreateMode = 1;
        f.show();
        if (target == 2350000) {
            EXPECT_TRUE(f.DateEdit->displayText().startsWith(" 0:30:"))
                << f.DateEdit->displayText().toStdString();
        }
        f.OKBtnClick();
        ASSERT_EQ(f.result(), QDialog::Accepted);
        const TTrn* t = Stn->Last;
        EXPECT_NEAR(t->Time, r->Time, 14) << target;
        EXPECT_NEAR(t->TimeMin, r->Time - 25000, 14);
        EXPECT_NEAR(t->TimeMax, r->Time + 25000, 14);
    }
    // Editing without a change keeps the times.
    Stn->SelTrn = Stn->Last;
    const int32 before = Stn->Last->Time;
    TTrnEdit g;
    g.show();
    g.OKBtnClick();
    EXPECT_EQ(Stn->Last->Time, before);
}
