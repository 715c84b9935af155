// Opening and saving through the user's side: status texts, messages, questions, dialogs.
#include "files/RecFile.h"
#include "files/ZphFile.h"
#include "model/Calc.h"
#include "model/ModelUi.h"
#include "model/Options.h"
#include "platform/Msg.h"

#include "support/Fixtures.h"
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class TRecordingUi : public IModelUi
{
public:
    void ShowStatus(const QString& text) override { Status << text; }
    void RefreshViews() override { ++Refreshes; }
    void ModelChanged() override {}
    QStringList Status;
    int Refreshes = 0;
};

const QString AssocQuestion =
    QStringLiteral("Des points de virage du circuit\rne sont pas associés à des points de virages réalisés.\r"
                   "Effectuer une association automatique ?\r(Ignorer = Jamais, Tout = Toujours)");

class RecFileTest : public FreshModel
{
protected:
    void SetUp() override
    {
        FreshModel::SetUp();
        SetModelUi(&ui);
        ASSERT_TRUE(dir.isValid());
    }
    void TearDown() override
    {
        SetFileDialogHook(nullptr);
        SetModelUi(nullptr);
        Msg::ClearScript();
        FreshModel::TearDown();
    }
    QString Path(const QString& n) const { return dir.filePath(n); }
    bool Shown(const QString& text) const
    {
        for (const Msg::Shown& s : Msg::Log())
            if (s.text == text) return true;
        return false;
    }

    TRecordingUi ui;
    QTemporaryDir dir;
};

QString Sample(const char* name)
{
    return QStringLiteral(ZPH_TESTDATA "/igc/") + QLatin1String(name);
}

void AddWpt(TSwp& S, const QString& name, int32 lat, int32 lon)
{
    auto W = std::make_unique<TWpt>();
    W->Name = name;
    W->Lat = lat;
    W->Lon = lon;
    ASSERT_TRUE(S.AddWpt(W));
}

} // namespace

TEST_F(RecFileTest, OpeningShowsStatusAndAsksTheAssociation)
{
    const QString f = Sample("01lz1hq1.igc");
    Msg::PushAnswer(mrNo);
    EXPECT_EQ(OpenTrjFiles(f, 1), 1);
    ASSERT_FALSE(ui.Status.isEmpty());
    EXPECT_EQ(std::tuple(ui.Status.first(), ui.Status.last(), Opt->FichTrajectoire),
              std::tuple(QStringLiteral("Ouverture du fichier trajectoire ") + f, QString(), f));
    EXPECT_GT(ui.Refreshes, 0);
    ASSERT_TRUE(Shown(AssocQuestion));
    EXPECT_EQ(std::tuple(Msg::Log().last().buttons, Opt->AssocAuto),
              std::tuple(mbYes | mbNo | mbIgnore | mbAll, 0));
    for (const TTrn* P = Stn->First; P; P = P->Next) EXPECT_EQ(P->Reached, 0); // No: nothing associated

    // Opens the trace again with an answer ready (0: none) and says whether the question came.
    const auto reopen = [&](int answer) {
        Msg::ClearLog();
        if (answer) Msg::PushAnswer(answer);
        EXPECT_EQ(OpenTrjFiles(f, 1), 1);
        return Shown(AssocQuestion);
    };
    EXPECT_TRUE(reopen(mrYes));
    EXPECT_TRUE(Stn->Modified); // Yes: the association ran

    // Ignore: never again, and not asked next time.
    reopen(mrIgnore);
    EXPECT_EQ(Opt->AssocAuto, 1);
    EXPECT_FALSE(Stn->Modified);
    EXPECT_FALSE(reopen(0));
    EXPECT_FALSE(Stn->Modified);

    // All: always, and associated without asking from then on.
    Opt->AssocAuto = 0;
    reopen(mrAll);
    EXPECT_EQ(Opt->AssocAuto, 2);
    EXPECT_TRUE(Stn->Modified);
    EXPECT_FALSE(reopen(0));
    EXPECT_TRUE(Stn->Modified);

    // Without its task (the explorer's way) there is nothing to ask.
    Opt->AssocAuto = 0;
    Msg::ClearLog();
    ASSERT_EQ(OpenTrjFiles(f, 0), 1);
    EXPECT_FALSE(Shown(AssocQuestion));
    EXPECT_EQ(TrjCount(), 7);
}

TEST_F(RecFileTest, UnknownTypesRejectedRecordsAndFailuresAreReported)
{
    const QString odd = Path(QStringLiteral("flight.xyz"));
    WriteAll(odd, "B1200004500000N00500000EA0010000200\n");
    EXPECT_EQ(OpenTrjFiles(odd, 1), 0);
    EXPECT_TRUE(Shown(QStringLiteral("Type de fichier inconnu.")));
    Language = 1;
    EXPECT_EQ(OpenTrjFiles(odd, 1), 0);
    EXPECT_TRUE(Shown(QStringLiteral("Unknown file type.")));
    Language = 0;
    EXPECT_EQ(TrjCount(), 0);

    // Upper-cased extension: ".Igc" is IGC; two bad records are counted.
    const QString igc = Path(QStringLiteral("damaged.Igc"));
    WriteAll(igc,
             "HFDTE010203\nB1200004500000N00500000EA0010000200\nBxx\nB1260004500000N00500000EA0010000200\n");
    Msg::ClearLog();
    EXPECT_EQ(OpenTrjFiles(igc, 1), 1);
    EXPECT_TRUE(Shown(QStringLiteral("damaged.Igc : 2 enregistrements rejetés.")));

    // Nothing valid, or no file at all: said so, nothing opened.
    const QString empty = Path(QStringLiteral("empty.igc"));
    WriteAll(empty, "HFDTE010203\n");
    Msg::ClearLog();
    EXPECT_EQ(OpenTrjFiles(empty, 1), 0);
    EXPECT_TRUE(Shown(QStringLiteral("Aucun enregistrement valide dans le fichier empty.igc.")));
    Msg::ClearLog();
    EXPECT_EQ(OpenTrjFiles(Path(QStringLiteral("missing.zph")), 1), 0);
    ASSERT_EQ(Msg::Log().size(), 1);
    EXPECT_EQ(Msg::Log().first().type, TMsgType::Error);
    EXPECT_EQ(TrjCount(), 1);
}

TEST_F(RecFileTest, TheOpenDialogHookGivesSeveralFiles)
{
    Opt->AssocAuto = 1;
    TFileKind asked = fkSaveSmp;
    QString proposed;
    SetFileDialogHook([&](TFileKind k, TFileChoice& c) {
        asked = k;
        proposed = c.Files.value(0);
        c.Files = {Sample("bad-line.igc"), Sample("27GLQKF3.igc")};
        return true;
    });
    Opt->FichTrajectoire = QStringLiteral("/somewhere/last.igc");
    EXPECT_EQ(OpenTrjFiles(QString(), 1), 2);
    EXPECT_EQ(std::tuple(asked, proposed, TrjCount(), Opt->FichTrajectoire),
              std::tuple(fkOpenTrj, QStringLiteral("/somewhere/last.igc"), 2, Sample("27GLQKF3.igc")));

    SetFileDialogHook([](TFileKind, TFileChoice&) { return false; }); // cancelled
    EXPECT_EQ(OpenTrjFiles(QString(), 1), 0);
    EXPECT_EQ(TrjCount(), 2);
}

TEST_F(RecFileTest, SavingATraceWithItsTaskAndWaypoints)
{
    Opt->AssocAuto = 1;
    ASSERT_EQ(OpenTrjFiles(Sample("01lz1hq1.igc"), 1), 1);
    TTrj* T = Trj;
    T->Modified = true;
    NewSwp();
    AddWpt(*Swp, QStringLiteral("CARRIED"), -3500000, 14600000);

    // The dialog proposes the trace's own name with ".ZPH" and the filter's extension is added.
    QString proposed;
    SetFileDialogHook([&](TFileKind k, TFileChoice& c) {
        EXPECT_EQ(k, fkSaveTrj);
        EXPECT_TRUE(c.IncludeTask);
        proposed = c.Files.value(0);
        c.Files = {Path(QStringLiteral("saved"))};
        c.SaveExt = QStringLiteral(".ZPH");
        c.IncludeTask = true;
        c.IncludeWpt = true;
        return true;
    });
    ASSERT_TRUE(SaveTrjFile(T, QString(), true, false));
    EXPECT_TRUE(proposed.endsWith(QStringLiteral("01lz1hq1.ZPH")));
    const QString saved = Path(QStringLiteral("saved.ZPH"));
    EXPECT_TRUE(QFile::exists(saved));
    EXPECT_EQ(std::tuple(T->Modified, T->FileName, Opt->FichTrajectoire), std::tuple(false, saved, saved));

    // Opened again: the waypoints it carries replace the open set, which is not modified.
    FreeSwp();
    EXPECT_EQ(Swp, nullptr);
    FreeSwp(); // nothing to free: nothing happens
    NewSwp();
    AddWpt(*Swp, QStringLiteral("OLD"), 0, 0);
    ASSERT_EQ(OpenTrjFiles(saved, 1), 1);
    ASSERT_TRUE(Swp);
    ASSERT_EQ(Swp->Count, 1);
    EXPECT_EQ(std::tuple(Swp->First->Name, Opt->FichWayPoints, Trj->Stn->Count),
              std::tuple(QStringLiteral("CARRIED"), saved, T->Stn->Count));

    // The explorer's way leaves the task and the waypoints in the file.
    Swp->Modified = false;
    TSwp* before = Swp;
    ASSERT_EQ(OpenTrjFiles(saved, 0), 1);
    EXPECT_EQ(Swp, before);
    EXPECT_EQ(Trj->Stn->Count, 0);

    // Other formats by extension; one the program does not write is refused.
    QString err;
    for (const char* ext : {"x.igc", "x.kml", "x.dat"})
        EXPECT_TRUE(WriteTrjFile(*T, Path(QLatin1String(ext)), true, false, err)) << ext;
    EXPECT_FALSE(WriteTrjFile(*T, Path(QStringLiteral("x.gst")), true, false, err));
    EXPECT_EQ(err, QStringLiteral("Type de fichier inconnu."));
}

TEST_F(RecFileTest, SaveQuestionsAndFailures)
{
    Opt->AssocAuto = 1;
    ASSERT_EQ(OpenTrjFiles(Sample("bad-line.igc"), 1), 1);
    TTrj* T = Trj;
    EXPECT_TRUE(AskSaveTrj(T)); // not modified: no question
    EXPECT_TRUE(Msg::Log().isEmpty());

    T->Modified = true;
    Msg::PushAnswer(mrCancel);
    EXPECT_FALSE(AskSaveTrj(T));
    EXPECT_EQ(Msg::Log().last().text,
              QStringLiteral("La trajectoire bad-line.igc a été modifiée.\rEnregistrer les modifications ?"));
    Msg::PushAnswer(mrNo);
    EXPECT_TRUE(AskSaveTrj(T));
    EXPECT_TRUE(T->Modified);

    // Yes on a recorder's file asks where to save; a cancelled dialog keeps the trace.
    int dialogs = 0;
    QString target = Path(QStringLiteral("kept.zph"));
    SetFileDialogHook([&](TFileKind, TFileChoice& c) {
        ++dialogs;
        if (target.isEmpty()) return false;
        c.Files = {target};
        return true;
    });
    target.clear();
    Msg::PushAnswer(mrYes);
    EXPECT_FALSE(AskSaveTrj(T));
    EXPECT_EQ(dialogs, 1);
    target = Path(QStringLiteral("kept.zph"));
    Msg::PushAnswer(mrYes);
    EXPECT_TRUE(AskSaveTrj(T));
    EXPECT_EQ(std::tuple(T->Modified, T->FileName), std::tuple(false, target));
    // Now an own-format file: Yes writes it over without a dialog.
    T->Modified = true;
    Msg::PushAnswer(mrYes);
    EXPECT_TRUE(AskSaveTrj(T));
    EXPECT_EQ(dialogs, 2);

    // A save that fails is reported and the question answers "keep the trace".
    QDir().mkdir(Path(QStringLiteral("adir.zph")));
    T->Modified = true;
    T->FileName = Path(QStringLiteral("adir.zph"));
    Msg::ClearLog();
    Msg::PushAnswer(mrYes);
    EXPECT_FALSE(AskSaveTrj(T));
    ASSERT_GE(Msg::Log().size(), 2);
    EXPECT_EQ(Msg::Log().last().type, TMsgType::Error);
    EXPECT_TRUE(Msg::Log().last().text.startsWith(QStringLiteral("Impossible d'enregistrer le fichier")));
    EXPECT_TRUE(T->Modified);

    // Waypoints: modified set, Yes without a file of ours asks where; Cancel keeps.
    NewSwp();
    AddWpt(*Swp, QStringLiteral("A"), 1, 2);
    EXPECT_TRUE(AskSaveSwp()); // not modified
    Swp->Modified = true;
    Msg::PushAnswer(mrCancel);
    EXPECT_FALSE(AskSaveSwp());
    Msg::PushAnswer(mrNo);
    EXPECT_TRUE(AskSaveSwp());
    target = Path(QStringLiteral("w.zph"));
    Msg::PushAnswer(mrYes);
    EXPECT_TRUE(AskSaveSwp());
    EXPECT_EQ(std::tuple(Swp->Modified, Opt->FichWayPoints, QFile::exists(target)),
              std::tuple(false, target, true));
}

TEST_F(RecFileTest, OpeningWaypointsAndTasks)
{
    // A waypoint file of ours and one of the text formats, replacing or adding.
    TSwp S;
    AddWpt(S, QStringLiteral("ONE"), 4500000, 500000);
    AddWpt(S, QStringLiteral("TWO"), 4510000, 510000);
    QString err;
    const QString wz = Path(QStringLiteral("set.zph"));
    ASSERT_TRUE(WriteSwpFile(S, wz, err));
    const QString wd = Path(QStringLiteral("set.dat"));
    ASSERT_TRUE(WriteSwpFile(S, wd, err)) << err.toStdString();
    ASSERT_TRUE(OpenSwpFile(wz));
    ASSERT_TRUE(Swp);
    EXPECT_EQ(std::tuple(Swp->Count, Swp->Modified, Opt->FichWayPoints), std::tuple(2, false, wz));
    ASSERT_TRUE(OpenSwpFile(wd, true));
    EXPECT_EQ(std::tuple(Swp->Count, Swp->Modified, Swp->Last->Name),
              std::tuple(4, true, QStringLiteral("TWO")));
    EXPECT_FALSE(OpenSwpFile(Path(QStringLiteral("none.zph"))));
    EXPECT_EQ(Swp->Count, 4);

    // A task into the current trace's task.
    TStn task;
    TTrn t;
    t.Name = QStringLiteral("START");
    t.Lat = 4500000;
    task.AddTrn(t, -1);
    t.Name = QStringLiteral("FINISH");
    t.Lat = 4600000;
    task.AddTrn(t, -1);
    const QString tf = Path(QStringLiteral("task.zph"));
    ASSERT_TRUE(WriteStnFile(task, tf, false, err));
    Msg::ClearLog();
    EXPECT_FALSE(OpenStnFile(tf)); // no trace is open
    EXPECT_EQ(Msg::Log().size(), 1);
    Opt->AssocAuto = 1;
    ASSERT_EQ(OpenTrjFiles(Sample("bad-line.igc"), 0), 1);
    ASSERT_TRUE(OpenStnFile(tf));
    EXPECT_EQ(std::tuple(Stn->Count, Stn->First->Name, Opt->FichCircuit, Stn->Modified),
              std::tuple(2, QStringLiteral("START"), tf, false));
    EXPECT_FALSE(OpenStnFile(wd)); // tasks come only in the own format
    EXPECT_TRUE(Shown(QStringLiteral("Type de fichier inconnu.")));

    // Saving the task with the waypoints; then a modified task asks before it is replaced.
    SetFileDialogHook([&](TFileKind k, TFileChoice& c) {
        EXPECT_EQ(k, fkSaveStn);
        c.Files = {Path(QStringLiteral("t2"))};
        c.SaveExt = QStringLiteral(".ZPH");
        c.IncludeWpt = true;
        return true;
    });
    ASSERT_TRUE(SaveStnFile(QString(), false));
    const QString t2 = Path(QStringLiteral("t2.ZPH"));
    EXPECT_EQ(Opt->FichCircuit, t2);
    TReadReport R;
    auto carried = ReadZphSwp(t2, R);
    ASSERT_TRUE(carried && carried->Count == 4);
    Stn->Modified = true;
    Msg::PushAnswer(mrCancel);
    EXPECT_FALSE(OpenStnFile(tf));
    EXPECT_TRUE(Stn->Modified);

    // Replacing a modified waypoint set asks first: Cancel keeps it, No lets it go.
    ASSERT_TRUE(Swp->Modified);
    Msg::PushAnswer(mrCancel);
    EXPECT_FALSE(OpenSwpFile(wz));
    EXPECT_EQ(Swp->Count, 4);
    Msg::PushAnswer(mrNo);
    EXPECT_TRUE(OpenSwpFile(wz));
    EXPECT_EQ(Swp->Count, 2);
}

TEST_F(RecFileTest, SaveExtensionRule)
{
    for (auto [name, ext, want] : {std::tuple("/a/b", ".WPZ", "/a/b.WPZ"),
                                   {"/a/b.wpz", ".WPZ", "/a/b.wpz"},
                                   {"/a/b.zph", ".WPZ", "/a/b.zph.WPZ"},
                                   {"/a/b", "", "/a/b"}})
        EXPECT_EQ(WithSaveExt(QString::fromLatin1(name), QString::fromLatin1(ext)),
                  QString::fromLatin1(want));
}

TEST_F(RecFileTest, AFileOfSeveralFlightsKeepsTheChosenOnes)
{
    const QString gpx = QStringLiteral(ZPH_TESTDATA "/gpx/igc1.gpx"); // four tracks
    QStringList offered;
    auto answer = [&](int result, int index) {
        SetFlightChoiceHook(
            [&offered, result, index](const QString&, const QStringList& Flights, int& Index) {
                offered = Flights;
                Index = index;
                return result;
            });
    };

    answer(mrOk, 2);
    EXPECT_EQ(OpenTrjFiles(gpx, 1), 1);
    EXPECT_EQ(offered.size(), 4);
    ASSERT_EQ(TrjCount(), 1);
    EXPECT_EQ(std::tuple(Trj->RecCount, Trj->Name),
              std::tuple(113, offered.at(2))); // the third track, the long one

    answer(mrAll, 0);
    EXPECT_EQ(OpenTrjFiles(gpx, 1), 4);
    EXPECT_EQ(TrjCount(), 5);

    answer(mrCancel, 0);
    EXPECT_EQ(OpenTrjFiles(gpx, 1), 0);
    EXPECT_EQ(TrjCount(), 5);

    // A file of one flight is not asked about.
    offered.clear();
    EXPECT_EQ(OpenTrjFiles(Sample("27GLQKF3.igc"), 1), 1);
    EXPECT_TRUE(offered.isEmpty());
    SetFlightChoiceHook(nullptr);
}

TEST_F(RecFileTest, FixesKeptWithAMovedTimeAreReportedWithTheRejectedOnes)
{
    const QString f = Path("same.gpx");
    WriteAll(f, "<gpx><trk><trkseg>"
                "<trkpt lat=\"45.0\" lon=\"5.0\"><time>2021-06-01T10:00:00Z</time></trkpt>"
                "<trkpt lat=\"45.1\" lon=\"5.0\"><time>2021-06-01T10:00:00Z</time></trkpt>"
                "<trkpt lat=\"45.2\" lon=\"5.0\"><time>2021-06-01T10:00:00Z</time></trkpt>"
                "<trkpt lat=\"95\" lon=\"5.0\"><time>2021-06-01T10:00:09Z</time></trkpt>"
                "</trkseg></trk></gpx>");
    ASSERT_EQ(OpenTrjFiles(f, 1), 1);
    EXPECT_EQ(Trj->RecCount, 3);
    EXPECT_TRUE(Shown(QStringLiteral(
        "same.gpx : 1 enregistrements rejetés.\r"
        "same.gpx : 2 points dont l'heure n'avance pas, placés une seconde après le précédent.")))
        << (Msg::Log().isEmpty() ? std::string() : Msg::Log().last().text.toStdString());
}
