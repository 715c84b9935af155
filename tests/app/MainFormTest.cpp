// The program's start-up, the main window's commands and the shell's decisions (file dialogs,
// layout, fit flag).
#include "app/Cutt.h"
#include "app/Main.h"
#include "app/Plan.h"
#include "app/Shell.h"
#include "app/Text.h"
#include "devices/Nmea.h"
#include "files/RecFile.h"
#include "model/Options.h"
#include "platform/IniFile.h"
#include "platform/Msg.h"
#include "platform/ProgramDir.h"
#include "platform/WinColor.h"
#include "support/ProgramFixture.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

const QString IgcWithTask = QStringLiteral(ZPH_TESTDATA "/igc/1_77fv6kh1.igc");
const QString IgcPlain = QStringLiteral(ZPH_TESTDATA "/igc/skytraxx21-2023-04-15.igc");

class MainFormTest : public ProgramFixture
{
protected:
    void Start(const QString& File)
    {
        StartProgram(File);
        // No real dialog in tests unless one asks for it: a dialog would wait for a user.
        SetFileDialogHook([](TFileKind Kind, TFileChoice&) {
            ADD_FAILURE() << "unexpected file dialog of kind " << int(Kind);
            return false;
        });
    }
};

// Share of the points whose 5 x 5 neighbourhood in the image holds a pixel other than Back.
double ShareDrawn(const QImage& Img, const QList<QPointF>& Pts, QRgb Back)
{
    int drawn = 0, inside = 0;
    for (const QPointF& p : Pts) {
        const int x = int(std::lround(p.x())), y = int(std::lround(p.y()));
        if (x < 2 || y < 2 || x >= Img.width() - 2 || y >= Img.height() - 2) continue;
        ++inside;
        bool found = false;
        for (int dy = -2; dy <= 2 && !found; ++dy)
            for (int dx = -2; dx <= 2 && !found; ++dx)
                found = (Img.pixel(x + dx, y + dy) & 0xFFFFFF) != (Back & 0xFFFFFF);
        drawn += found;
    }
    return inside ? double(drawn) / inside : 0;
}

QList<const TRec*> SampleFixes(const TTrj& T, int N)
{
    QList<const TRec*> out;
    const int step = std::max(1, T.RecCount / N);
    int i = 0;
    for (const TRec* R = T.First; R; R = R->Next, ++i)
        if (i % step == 0) out << R;
    return out;
}

} // namespace

TEST_F(MainFormTest, StartsOnTheCommandLineTraceAndBothViewsDrawIt)
{
    Start(StartupTrjFile({QStringLiteral("zephalon"), IgcWithTask}));
    ASSERT_NE(Trj, nullptr);
    EXPECT_GT(Trj->RecCount, 20000);
    EXPECT_EQ(TrjMode, 1);
    EXPECT_TRUE(MainForm->TrjModeAct->isChecked());
    EXPECT_EQ(MainForm->windowTitle(), QStringLiteral("Zephalon"));
    ASSERT_NE(PlanForm, nullptr);
    ASSERT_NE(CuttForm, nullptr);
    ASSERT_NE(TextForm, nullptr);

    // The plan view is fitted to the trace (every fix lies in the drawing area), and pixels are
    // drawn where the fixes project, in the plan and in the profile.
    const TPlanProjection pr = PlanForm->Projection();
    const QImage plan = PlanForm->grab().toImage();
    const QRectF area(0, 0, PlanForm->width(), PlanForm->height() - PlanForm->BottomBand);
    const TCuttProjection cp = CuttForm->Projection();
    QList<QPointF> planPts, cuttPts;
    for (const TRec* R : SampleFixes(*Trj, 300)) {
        planPts << pr.ToScreen(*R);
        cuttPts << QPointF(cp.TimeToX(R->Time), cp.AltToY(R->Alt));
        EXPECT_TRUE(area.contains(planPts.last())) << planPts.last().x() << " " << planPts.last().y();
    }
    const QRgb planBack = WinColorToQColor(Colors[ciPlanBack]).rgb();
    EXPECT_GT(ShareDrawn(plan, planPts, planBack), 0.95);
    // ... and not everywhere: the corner away from the trace keeps the background.
    int back = 0;
    for (int y = 0; y < plan.height() - PlanForm->BottomBand; y += 7)
        for (int x = 0; x < plan.width(); x += 7)
            back += (plan.pixel(x, y) & 0xFFFFFF) == (planBack & 0xFFFFFF);
    EXPECT_GT(back, 100);

    const QImage cutt = CuttForm->grab().toImage();
    EXPECT_GT(ShareDrawn(cutt, cuttPts, WinColorToQColor(Colors[ciProfileBack]).rgb()), 0.95);

    // The calculations panel shows the current fix and the task declared in the file.
    const QString text = TextForm->PlainText();
    EXPECT_TRUE(text.contains(QStringLiteral("Heure UTC"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Circuit"))) << text.toStdString();
    EXPECT_TRUE(MainForm->TrjPanel->text().contains(QStringLiteral("1_77fv6kh1.igc")));

    // A screenshot for the eye, when asked for.
    const QByteArray shot = qgetenv("ZPH_SCREENSHOT");
    if (!shot.isEmpty()) {
        QDir().mkpath(QFileInfo(QString::fromLocal8Bit(shot)).absolutePath());
        EXPECT_TRUE(MainForm->grab().save(QString::fromLocal8Bit(shot)));
    }
}

TEST_F(MainFormTest, StartsWithoutTraceOrOnAMissingFile)
{
    Start(StartupTrjFile({QStringLiteral("zephalon")}));
    EXPECT_EQ(Trj, nullptr);
    EXPECT_FALSE(MainForm->FermeTrj->isEnabled());
    EXPECT_FALSE(MainForm->SupprCircuit->isEnabled());
    EXPECT_TRUE(MainForm->OuvreTrj->isEnabled());
    EXPECT_FALSE(TextForm->PlainText().isEmpty());
    DestroyForms();
    ModelDone();

    Msg::ClearLog();
    Start(QStringLiteral("/nonexistent/flight.igc"));
    EXPECT_EQ(Trj, nullptr);
    EXPECT_FALSE(Msg::Log().isEmpty()); // the failure was reported
}

// Counts the paintings of a widget.
class TPaintCount : public QObject
{
public:
    int Count = 0;
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Paint) ++Count;
        return false;
    }
};

TEST_F(MainFormTest, StartUpQuestionsComeAfterTheWindowIsPainted)
{
    // The missing command-line trace and the association of a declared task both ask or tell.
    for (const QString& file : {QStringLiteral("/nonexistent/flight.igc"), IgcWithTask}) {
        SCOPED_TRACE(file.toStdString());
        StartZephalon(file);
        SetFileDialogHook([](TFileKind, TFileChoice&) { return false; });
        TPaintCount paints;
        PlanForm->installEventFilter(&paints);
        int asked = 0, paintedWhenAsked = -1;
        bool visibleWhenAsked = false;
        Msg::SetHeadless(false);
        Msg::SetHandler([&](const QString&, TMsgType, int Buttons, const QString&) {
            if (asked++ == 0) {
                paintedWhenAsked = paints.Count;
                visibleWhenAsked = MainForm->isVisible();
            }
            return Msg::DefaultAnswer(Buttons);
        });
        MainForm->resize(1200, 800);
        MainForm->show();
        EXPECT_TRUE(QTest::qWaitFor([] { return MainForm->StartDone(); }, 10000));
        Msg::SetHandler(nullptr);
        Msg::SetHeadless(true);
        EXPECT_GT(asked, 0);
        EXPECT_TRUE(visibleWhenAsked);
        EXPECT_GT(paintedWhenAsked, 0);
        PlanForm->removeEventFilter(&paints);
        DestroyForms();
        ModelDone();
    }
}

TEST_F(MainFormTest, OptionsAreLoadedAtCreationAndSavedAtClose)
{
    {
        TIniFile ini(IniFileName());
        ASSERT_TRUE(ini.WriteInteger(QStringLiteral("Options"), QStringLiteral("Unite_Distance"), 2));
    }
    Start(QString());
    EXPECT_EQ(Opt->UniteDistance, 2);
    Opt->UniteVitesse = 1;
    EXPECT_TRUE(MainForm->close());
    const TIniFile ini(IniFileName());
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("Options"), QStringLiteral("Unite_Vitesse"), -1), 1);
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("Options"), QStringLiteral("Unite_Distance"), -1), 2);
}

TEST_F(MainFormTest, TestButtonFollowsTheIniKey)
{
    for (const char* v : {"", "1", "0"}) { // no key first
        if (*v) {
            TIniFile ini(IniFileName());
            ASSERT_TRUE(
                ini.WriteString(QStringLiteral("Interface"), QStringLiteral("Test_Btn"), QLatin1String(v)));
        }
        Start(QString());
        EXPECT_EQ(MainForm->TestBtnAction->isVisible(), QByteArray(v) == "1") << v;
        EXPECT_EQ(MainForm->TestBtn->isVisibleTo(MainForm), QByteArray(v) == "1") << v;
        DestroyForms();
    }
}

TEST_F(MainFormTest, FileCommandsOpenCycleAndCloseTraces)
{
    Start(QString());
    QList<TFileKind> asked;
    SetFileDialogHook([&](TFileKind Kind, TFileChoice& C) {
        asked << Kind;
        if (Kind % 2 == 1) return false; // never save over the shared test files
        C.Files = QStringList{IgcWithTask, IgcPlain};
        return true;
    });
    Msg::PushAnswer(mrNo); // no automatic association for the first trace
    MainForm->OuvreTrj->trigger();
    EXPECT_EQ(asked, QList<TFileKind>{fkOpenTrj});
    ASSERT_EQ(TrjCount(), 2);
    EXPECT_TRUE(MainForm->TrjSuiv->isEnabled());
    EXPECT_TRUE(MainForm->FermeTteTrj->isEnabled());
    EXPECT_EQ(Opt->FichTrajectoire, IgcPlain);

    TTrj* second = Trj;
    MainForm->TrjSuiv->trigger(); // from the last, round to the first
    EXPECT_EQ(Trj, FirstTrj);
    MainForm->TrjPrec->trigger();
    EXPECT_EQ(Trj, second);
    EXPECT_TRUE(MainForm->TrjPanel->text().startsWith(QStringLiteral("2/2")));

    MainForm->FermeTrj->trigger();
    EXPECT_EQ(TrjCount(), 1);
    EXPECT_FALSE(MainForm->TrjSuiv->isEnabled());

    Msg::PushAnswer(mrNo); // no association for the second opening either: nothing to save
    MainForm->OuvreTrj->trigger();
    EXPECT_EQ(TrjCount(), 3);
    MainForm->FermeTteTrjExecute();
    EXPECT_EQ(asked.count(fkOpenTrj), 2);
    EXPECT_EQ(asked.size(), 2); // closing asked no save
    EXPECT_EQ(TrjCount(), 0);
    EXPECT_EQ(Trj, nullptr);
    EXPECT_FALSE(MainForm->FermeTrj->isEnabled());
    EXPECT_FALSE(MainForm->EnregTrj->isEnabled());
}

TEST_F(MainFormTest, CloseAllStopsAtCancelAndKeepsTheRest)
{
    Start(QString());
    SetFileDialogHook([&](TFileKind Kind, TFileChoice& C) {
        if (Kind != fkOpenTrj) return false; // never save over the shared test files
        C.Files = QStringList{IgcPlain, IgcPlain, IgcPlain};
        return true;
    });
    MainForm->OuvreTrjExecute();
    ASSERT_EQ(TrjCount(), 3);
    FirstTrj->NextTrj->Modified = true; // the second one asks
    Msg::PushAnswer(mrCancel);
    MainForm->FermeTteTrjExecute();
    EXPECT_EQ(TrjCount(), 2);
    EXPECT_TRUE(FirstTrj->Modified);
}

TEST_F(MainFormTest, SavingATraceGoesThroughTheSaveDialog)
{
    QTemporaryDir dir;
    Start(IgcPlain);
    ASSERT_NE(Trj, nullptr);
    TFileChoice seen;
    SetFileDialogHook([&](TFileKind Kind, TFileChoice& C) {
        EXPECT_EQ(Kind, fkSaveTrj);
        seen = C;
        C.Files = QStringList{dir.filePath(QStringLiteral("copy"))};
        C.SaveExt = QStringLiteral(".ZPH");
        return true;
    });
    MainForm->EnregTrj->trigger();
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("copy.ZPH"))));
    EXPECT_TRUE(seen.Files.value(0).endsWith(QStringLiteral(".ZPH"), Qt::CaseInsensitive));
}

TEST_F(MainFormTest, WorkingModesAreExclusive)
{
    Start(IgcPlain);
    for (QAction* a : {MainForm->WptModeAct, MainForm->TrjModeAct}) {
        a->trigger();
        const bool wpt = a == MainForm->WptModeAct;
        EXPECT_EQ(WptMode, int(wpt));
        EXPECT_EQ(TrjMode, int(!wpt));
        EXPECT_EQ(MainForm->WptModeAct->isChecked(), wpt);
        EXPECT_EQ(MainForm->TrjModeAct->isChecked(), !wpt);
    }
}

TEST_F(MainFormTest, TaskCommandsAssociateAndRemoveTheTurnPoints)
{
    Msg::PushAnswer(mrNo); // leave the turn points unassociated at opening
    Start(IgcWithTask);
    ASSERT_NE(Stn, nullptr);
    ASSERT_GT(Stn->Count, 2);
    auto reached = [] {
        int n = 0;
        for (TTrn* P = Stn->First; P; P = P->Next) n += P->Reached != 0;
        return n;
    };
    EXPECT_EQ(reached(), 0);
    EXPECT_TRUE(MainForm->AssocieAuto->isEnabled());
    MainForm->AssocieAuto->trigger();
    EXPECT_GT(reached(), 0);
    EXPECT_TRUE(TextForm->PlainText().contains(QStringLiteral("Points atteints")));

    Trj->SelTrnIdx = 1;
    MainForm->SupprCircuit->trigger();
    EXPECT_EQ(Stn->Count, 0);
    EXPECT_EQ(Stn->First, nullptr);
    EXPECT_EQ(Trj->SelTrnIdx, -1);
    EXPECT_TRUE(Stn->Modified);
    EXPECT_FALSE(MainForm->SupprCircuit->isEnabled());
    EXPECT_FALSE(MainForm->AssocieAuto->isEnabled());
    EXPECT_FALSE(TextForm->PlainText().contains(QStringLiteral("Points atteints")));
}

TEST_F(MainFormTest, FitTakesShiftAndCtrlFromTheToolBarClick)
{
    Start(IgcPlain);
    ASSERT_NE(Trj, nullptr);
    // A zone set far from the flight.
    auto set = std::make_unique<TSmp>();
    auto z = std::make_unique<TMpf>();
    for (const TPos& p : {TPos{-3000000, -6000000}, TPos{-3000000, -5900000}, TPos{-2900000, -5900000}}) {
        auto d = std::make_unique<TDrd>();
        static_cast<TPos&>(*d) = p;
        z->AddDrd(std::move(d));
    }
    ASSERT_TRUE(set->AddMpf(z));
    SetSmp(std::move(set));

    const int32 trjLat = PlanForm->CtrLati;
    QWidget* fit = MainForm->MainToolBar->widgetForAction(MainForm->Ajuste);
    ASSERT_NE(fit, nullptr);
    QTest::mouseClick(fit, Qt::LeftButton, Qt::ShiftModifier);
    EXPECT_EQ(MainForm->BtnShift, Qt::ShiftModifier);
    EXPECT_NEAR(PlanForm->CtrLati, -2950000, 1000);

    QTest::mouseClick(fit, Qt::LeftButton, Qt::NoModifier);
    EXPECT_EQ(MainForm->BtnShift, Qt::NoModifier);
    EXPECT_EQ(PlanForm->CtrLati, trjLat);

    // Ctrl without a valid map falls back to the trace.
    QTest::mouseClick(fit, Qt::LeftButton, Qt::ControlModifier);
    EXPECT_EQ(PlanForm->CtrLati, trjLat);

    // The key takes Shift as the click does.
    QTest::keyClick(PlanForm, Qt::Key_F5, Qt::ShiftModifier);
    EXPECT_NEAR(PlanForm->CtrLati, -2950000, 1000);
    QTest::keyClick(PlanForm, Qt::Key_F5);
    EXPECT_EQ(PlanForm->CtrLati, trjLat);

    // So does the menu's entry.
    auto* view = MainForm->menuBar()->findChild<QMenu*>(QStringLiteral("ViewMenu"));
    ASSERT_NE(view, nullptr);
    view->popup(MainForm->mapToGlobal(QPoint(10, 10)));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view));
    QTest::mouseClick(view, Qt::LeftButton, Qt::ShiftModifier,
                      view->actionGeometry(MainForm->Ajuste).center());
    EXPECT_NEAR(PlanForm->CtrLati, -2950000, 1000);

    const double zoom = PlanForm->Zoom;
    MainForm->ZoomPlus->trigger();
    EXPECT_DOUBLE_EQ(PlanForm->Zoom, zoom * 2);
    MainForm->ZoomMoins->trigger();
    EXPECT_DOUBLE_EQ(PlanForm->Zoom, zoom);
}

TEST_F(MainFormTest, LayoutClientAreaAndNmeaLayout)
{
    Start(QString());
    // Plan above the profile on the left, calculations panel on the right.
    EXPECT_EQ(PlanForm->parentWidget(), MainForm->VSplit);
    EXPECT_EQ(CuttForm->parentWidget(), MainForm->VSplit);
    EXPECT_EQ(TextForm->parentWidget(), MainForm->HSplit);
    EXPECT_GT(PlanForm->height(), CuttForm->height());
    EXPECT_GT(PlanForm->width(), TextForm->width());
    EXPECT_GT(TextForm->width(), 150);

    QPoint o;
    QSize s;
    int sb = 0;
    MainForm->ClientArea(o, s, sb);
    EXPECT_EQ(s.width(), MainForm->width());
    EXPECT_EQ(s.height(), MainForm->height() - MainForm->menuBar()->height());
    EXPECT_EQ(sb, MainForm->StatusBar->height());
    EXPECT_GT(sb, 0);
    EXPECT_EQ(o, MainForm->mapToGlobal(QPoint(0, MainForm->menuBar()->height())));

    MainForm->setGeometry(QRect(10, 10, 600, 500)); // on the test screen, whatever its size
    const QRect before = MainForm->geometry();
    NmeaActive = true;
    MainForm->NmeaFormExtExecute();
    const QRect nmea = MainForm->NmeaFormRect();
    EXPECT_TRUE(nmea.isValid());
    EXPECT_FALSE(MainForm->frameGeometry().intersects(nmea) && MainForm->geometry().intersects(nmea));
    NmeaActive = false;
    MainForm->ArrangeViews();
    EXPECT_EQ(MainForm->geometry(), before);
    EXPECT_FALSE(MainForm->NmeaFormRect().isValid());
}

// The receiver window keeps the strip it is given: a strip narrower than its title would be
// widened over the main window and hide the calculations panel.
TEST_F(MainFormTest, ReceiverWindowKeepsItsStripBesideTheMainWindow)
{
    Start(QString());
    MainForm->setGeometry(QRect(10, 10, 600, 500));
    MainForm->NmeaExecute();
    ASSERT_NE(NmeaForm, nullptr);
    QTest::qWait(50);
    const QRect strip = MainForm->NmeaFormRect();
    ASSERT_TRUE(strip.isValid());
    EXPECT_EQ(NmeaForm->geometry(), strip);
    EXPECT_FALSE(NmeaForm->geometry().intersects(MainForm->geometry()));
    NmeaForm->close();
}

TEST_F(MainFormTest, StatusBarAndAboutBox)
{
    Start(QString());
    ShowStatus(QStringLiteral("Ouverture du fichier trajectoire x"));
    EXPECT_EQ(MainForm->StatusPanel->text(), QStringLiteral("Ouverture du fichier trajectoire x"));
    ShowStatus(QString());
    EXPECT_TRUE(MainForm->StatusPanel->text().isEmpty());

    Msg::ClearLog();
    MainForm->APropos->trigger();
    ASSERT_EQ(Msg::Log().size(), 1);
    EXPECT_TRUE(Msg::Log().first().text.startsWith(QStringLiteral("Zephalon ")));
    EXPECT_EQ(Msg::Log().first().caption, QStringLiteral("A propos de Zephalon"));
}

// ---- Shell decisions -------------------------------------------------------------------------------

TEST(ShellTest, StartFolderCommandLineAndFitFlag)
{
    QTemporaryDir dir;

    EXPECT_EQ(StartupTrjFile({QStringLiteral("zephalon")}), QString());
    EXPECT_EQ(StartupTrjFile({QStringLiteral("zephalon"), QStringLiteral("a.igc"), QStringLiteral("b.igc")}),
              QStringLiteral("a.igc"));

    EXPECT_EQ(FitFlag(Qt::NoModifier), 0);
    EXPECT_EQ(FitFlag(Qt::ShiftModifier), FitShift);
    EXPECT_EQ(FitFlag(Qt::ControlModifier), FitCtrl);
    EXPECT_EQ(FitFlag(Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier), FitCtrl | FitShift);

    InitFormatSettings();
    const auto& f = FormatSettings;
    EXPECT_EQ(
        std::tuple(f.ShortDateFormat, f.LongTimeFormat, f.ShortTimeFormat, f.DateSeparator, f.TimeSeparator),
        std::tuple(QStringLiteral("dd/MM/yy"), QStringLiteral("HH:mm:ss"), QStringLiteral("HH:mm"),
                   QChar(u'/'), QChar(u':')));
}

TEST(ShellTest, ViewSizesAndNmeaStrip)
{
    for (const QSize c : {QSize(1200, 760), QSize(640, 400), QSize(3000, 1800), QSize(10, 10)}) {
        for (bool nmea : {false, true}) {
            const TViewSizes s = ComputeViewSizes(c, nmea);
            ASSERT_EQ(s.Horizontal.size(), 2);
            ASSERT_EQ(s.Vertical.size(), 2);
            EXPECT_EQ(s.Horizontal[0] + s.Horizontal[1], std::max(c.width(), 1));
            EXPECT_EQ(s.Vertical[0] + s.Vertical[1], std::max(c.height(), 1));
            EXPECT_GE(s.Horizontal[0], s.Horizontal[1]); // the plan stays the big one
            EXPECT_GE(s.Vertical[0], s.Vertical[1]);
        }
    }
    EXPECT_LT(ComputeViewSizes({1200, 760}, true).Vertical[1],
              ComputeViewSizes({1200, 760}, false).Vertical[1]);

    const TNmeaLayout l = ComputeNmeaLayout(QRect(0, 0, 1920, 1040), 360);
    EXPECT_EQ(l.Main, QRect(0, 0, 1560, 1040));
    EXPECT_EQ(l.Nmea, QRect(1560, 0, 360, 1040));
    const TNmeaLayout small = ComputeNmeaLayout(QRect(100, 0, 500, 400), 360);
    EXPECT_EQ(small.Main.width(), 250);
    EXPECT_EQ(small.Nmea.left(), 350);
}
