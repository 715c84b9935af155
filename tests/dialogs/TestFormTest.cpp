// The test window and the calculations behind it.
#include "dialogs/TestForm.h"
#include "app/Langage.h"
#include "app/Main.h"
#include "model/Calc.h"
#include "model/Options.h"
#include "model/Texts.h"
#include "platform/IniFile.h"
#include "platform/Numbers.h"
#include "platform/ProgramDir.h"
#include "support/Fixtures.h"
#include "support/ModelBits.h"

#include <QDateTime>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>
#include <cmath>

namespace {

const QString Invalid = QStringLiteral("Données saisies non valides.");

// A task of turn points at the given positions, on a new current trace.
TStn& MakeTask(std::initializer_list<TPos> Points)
{
    NewTrj();
    for (const TPos& p : Points) AddTrn(*Stn, QString(), p.Lat, p.Lon);
    return *Stn;
}

QStringList Walk(const char* Relative)
{
    return XmlWalk(QStringLiteral(ZPH_TESTDATA "/") + QString::fromLatin1(Relative));
}

} // namespace

TEST(VectorAngle, AxesAndQuadrants)
{
    const struct
    {
        double X, Y, Angle;
    } cases[] = {{1, 0, 0},
                 {0, 1, M_PI / 2},
                 {-1, 0, M_PI},
                 {0, -1, 3 * M_PI / 2},
                 {0, 0, 0},
                 {1, 1, M_PI / 4},
                 {-1, 1, 3 * M_PI / 4},
                 {-1, -1, 5 * M_PI / 4},
                 {1, -1, 7 * M_PI / 4},
                 {2, -1e-12, 2 * M_PI - 5e-13}};
    for (const auto& c : cases) {
        const double a = VectorAngle(c.X, c.Y);
        EXPECT_NEAR(a, c.Angle, 1e-12) << c.X << "," << c.Y;
        EXPECT_TRUE(a >= 0 && a < 2 * M_PI);
    }
}

TEST(XmlWalk, GpxFiles)
{
    const QStringList igc = Walk("gpx/igc1.gpx");
    EXPECT_EQ(igc.mid(0, 13).join(u'|'), "GPS:GPSBabel - https://www.gpsbabel.org|version:1.0|"
                                         "time:2005-01-18T18:58:35Z||New waypoint:|Lati:-29.480116000|"
                                         "Long:150.133619000|name:PALLMG||New waypoint:|Lati:-27.755478000|"
                                         "Long:149.746093000|name:PILOT");
    EXPECT_TRUE(igc.contains("name:BORAH")); // contents are trimmed
    EXPECT_EQ(igc.count("New waypoint:"), 3);
    EXPECT_EQ(igc.count("New track:"), 4);
    EXPECT_EQ(igc.count("END_TAG:trk"), 4);

    const QStringList expert = Walk("waypoints/expertgps.gpx");
    EXPECT_EQ(expert.mid(0, 10).join(u'|'), "GPS:ExpertGPS 1.3.7 - http://www.topografix.com|version:1.1|"
                                            "time:2005-07-16T17:25:14Z||New waypoint:|Lati:42.438878000|"
                                            "Long:-71.119277000|ele:44.586548|time:2001-11-28T21:05:28Z|"
                                            "name:5066");
    EXPECT_EQ(expert.count("New waypoint:"), 86);
}

TEST(XmlWalk, BrokenAndMissingFiles)
{
    const QString broken = ProgramDir() + "/broken.xml";
    WriteAll(broken, "<gpx><!-- note --><wpt lat=\"1.5\"><name>A</name></gpx>");
    const QStringList l = XmlWalk(broken);
    ASSERT_EQ(l.size(), 6);
    EXPECT_EQ(l.mid(0, 5).join(u'|'), "CMNT:note||New waypoint:|Lati:1.5|name:A");
    EXPECT_FALSE(l.last().isEmpty()); // the parser's reason
    const QStringList missing = XmlWalk(ProgramDir() + "/none.gpx");
    ASSERT_EQ(missing.size(), 1);
    EXPECT_TRUE(missing.first().startsWith("Fichier introuvable"));
}

class TestWindow : public FreshModel
{
protected:
    void SetUp() override
    {
        FreshModel::SetUp();
        f = std::make_unique<TFormTest>();
        f->show();
    }
    void TearDown() override
    {
        f.reset();
        FreshModel::TearDown();
    }
    std::unique_ptr<TFormTest> f;
};

TEST_F(TestWindow, StnToTrjFliesTheTaskAndLeavesItIntact)
{
    // Turn points along a meridian, the first leg about 100 km.
    TStn& task = MakeTask({{4500000, 500000}, {4589932, 500000}, {4600000, 520000}});
    TTrj* taskTrj = Trj;
    f->VitesseEdit->setValue(50);
    f->Date->setText("14/07/2026 10:30:00");
    f->StnToTrj->click();
    ASSERT_NE(Trj, taskTrj);
    EXPECT_EQ(Trj->Name, "Circuit");
    ASSERT_EQ(Trj->RecCount, 3);
    EXPECT_EQ(Trj->First->Time, 1050000);
    const TPos a{4500000, 500000}, b{4589932, 500000};
    EXPECT_EQ(Trj->First->Next->Time - Trj->First->Time, Round(Distance(a, b) / 50 * 100000));
    EXPECT_EQ(Trj->First->Next->Time - Trj->First->Time, 200000); // 100 km at 50 km/h
    EXPECT_EQ(Trj->Last->Lat, 4600000);
    EXPECT_NEAR(Trj->StartTime, EncodeDate(2026, 7, 14) + 10.5 / 24, 1e-9);
    EXPECT_NEAR(Trj->EndTime, EncodeDate(2026, 7, 14) + Trj->Last->Time / 2400000.0, 1e-9);
    EXPECT_EQ(task.Count, 3);
    EXPECT_EQ(task.First->Next->Lat, 4589932);

    // An empty task (the new trace's own) or a date that does not read: nothing more.
    const int traces = TrjCount();
    f->StnToTrj->click();
    EXPECT_EQ(TrjCount(), traces);
    SetCurrentTrj(taskTrj);
    f->Date->setText("le 14 juillet");
    f->StnToTrj->click();
    EXPECT_EQ(TrjCount(), traces);
    ASSERT_EQ(Msg::Log().size(), 1);
    EXPECT_EQ(Msg::Log().first().text, Invalid);
}

TEST_F(TestWindow, OpeningValuesFromTheTaskAndKeptWhileOpen)
{
    EXPECT_EQ(f->DistEdit->text(), "100");
    EXPECT_EQ(f->CapEdit->text(), "125");
    EXPECT_TRUE(QDateTime::fromString(f->Date->text(), TFormTest::DateFormat()).isValid());
    int32 lat = 0;
    ASSERT_TRUE(ParseLat(f->Lati1Edit->text(), lat));
    EXPECT_EQ(lat, 4750000);
    f->DistEdit->setText("42");
    f->activateWindow();
    EXPECT_EQ(f->DistEdit->text(), "42");
    f->hide();
    MakeTask({{4400000, 600000}, {4410000, 610000}});
    f->show();
    ASSERT_TRUE(ParseLat(f->Lati2Edit->text(), lat));
    EXPECT_EQ(lat, 4410000);
}

TEST_F(TestWindow, Buttons)
{
    // Button2 computes both ways and puts the earth model back.
    for (int model : {0, 1}) {
        Opt->EarthModel = model;
        f->Button2->click();
        EXPECT_EQ(Opt->EarthModel, model);
    }
    EXPECT_NE(f->LongFaiEdit->text(), f->LongWgs84Edit->text());
    EXPECT_EQ(f->Edit5->text(), "0");

    f->Edit6->setText("-1");
    f->Edit7->setText("0");
    f->Button3->click();
    EXPECT_EQ(f->Edit8->text(), "3.1415926536");
    EXPECT_EQ(f->Edit9->text(), "3.1415926536");
    f->Edit6->setText("0");
    f->Edit7->setText("-1");
    f->Button3->click();
    EXPECT_EQ(f->Edit8->text(), "-1.5707963268");
    EXPECT_EQ(f->Edit9->text(), "4.7123889804");

    f->Button1->click();
    EXPECT_FALSE(f->Edit1->text().isEmpty());
    EXPECT_EQ(f->Edit3->text(), "0");

    // Input that does not read: one message each, nothing changed.
    const QString dist = f->Edit1->text();
    f->Lati2Edit->setInputMask(QString());
    f->Lati2Edit->setText("nord");
    f->Button1->click();
    EXPECT_EQ(f->Edit1->text(), dist);
    f->Edit6->setText("x");
    f->Button3->click();
    EXPECT_EQ(f->Edit9->text(), "4.7123889804");
    f->Edit8->setText("45,5");
    f->StrToLatLongBtn->click();
    EXPECT_EQ(f->Edit9->text(), "4550000");
    f->Edit8->setText("abc");
    f->StrToLatLongBtn->click();
    EXPECT_EQ(f->Edit9->text(), "4550000");
    ASSERT_EQ(Msg::Log().size(), 3);
    for (const auto& m : Msg::Log()) EXPECT_EQ(m.text, Invalid);

    // Without a trace or a selection, the trace buttons do nothing.
    f->Button4->click();
    f->DistTrj->click();
    EXPECT_EQ(TrjCount(), 0);
    EXPECT_EQ(Msg::Log().size(), 3);
}

TEST(TestWindowStart, ShownByTheTestButton)
{
    ModelDone();
    Msg::SetHeadless(true);
    TIniFile(IniFileName()).WriteString("Interface", "Test_Btn", "1");
    StartZephalon(QString());
    MainForm->show();
    EnsureForms();
    ASSERT_NE(FormTest, nullptr);
    EXPECT_TRUE(MainForm->TestBtn->isEnabled());
    EXPECT_FALSE(FormTest->isVisible());
    MainForm->TestBtn->click();
    EXPECT_TRUE(FormTest->isVisible());
    SetFrenchTexts();
    EXPECT_EQ(FormTest->StnToTrj->text(), "Circuit -> trajectoire");
    DestroyForms();
    EXPECT_EQ(FormTest, nullptr);
    ModelDone();
    QFile::remove(IniFileName());
}
