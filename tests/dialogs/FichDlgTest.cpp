// The shared open and save dialogs: the per-kind table in both languages, the filters as the
// file list reads them, the save extension, and offscreen runs driven through the file list.
#include "dialogs/FichDlg.h"
#include "dialogs/FilePreview.h"

#include "files/FileCommon.h"
#include "model/Calc.h"
#include "model/Options.h"
#include "platform/Msg.h"
#include "support/Fixtures.h"
#include "support/ModelBits.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <functional>
#include <map>

namespace {

// ---- The table ----------------------------------------------------------------------------------

const QString TrjOpenFilterFr = "Vols tous formats|*.ZPH;*.IGC;*.GPS;*.GPX;*.KML;*.DAT;*.NMEA;*.RMC|"
                                "Zephalon (*.ZPH)|*.ZPH|IGC (*.GPS ou IGC)|*.GPS;*.IGC|"
                                "GPS Exchange Format (*.GPX)|*.GPX|KML Track (*.KML)|*.KML|"
                                "Skyforce Logger (*.DAT)|*.DAT|Nmea0183 (*.NMEA *.RMC)|*.NMEA;*.RMC|"
                                "Tous fichiers (*.*)|*.*";
const QString MapFilter = "All map|*.jpg;*.jpeg;*.bmp;*.wmf|JPEG - JPG|*.jpg;jpeg|Bitmap (bmp)|*.bmp|"
                          "Windows meta file (wmf)|*.wmf";

struct TOpenRow
{
    int Kind;
    const char *Fr, *En;
    bool Opt, Cb1, Cb2, Combo;
    QRect Memo;
    unsigned Options; // from no option at all
};

TEST(FichDlgTable, OpenKinds)
{
    const QRect wide{5, 25, 420, 79}, right{230, 25, 290, 79}, none{0, 0, 0, 0};
    const unsigned must = ofFileMustExist, multi = ofAllowMultiSelect | ofFileMustExist;
    // Kind, titles, then shown: option button, check box 1, check box 2, combo box.
    const TOpenRow rows[] = {
        {0, "Ouverture fichier trajectoire", "Track file opening", 1, 0, 0, 0, wide, multi},
        {2, "Ouverture fichier way-points", "Waypoints file opening", 0, 1, 0, 0, right, must},
        {4, "Ouverture circuit", "Task opening", 1, 0, 0, 0, wide, must},
        {6, "Ouverture fichier image carte", "Map opening", 0, 0, 0, 0, wide, must},
        {7, "Ré-installation carte(s)", "Map re-installation", 0, 0, 0, 0, wide, multi},
        {8, "Ouverture fichier de zone", "Ouverture fichier de zone", 0, 1, 1, 1, none, must},
    };
    for (const TOpenRow& r : rows) {
        for (int lang : {0, 1}) {
            SCOPED_TRACE(testing::Message() << "kind " << r.Kind << " language " << lang);
            const TFileKindRow s = OpenKindRow(r.Kind, lang);
            EXPECT_TRUE(s.Applies);
            EXPECT_EQ(s.Title, QString::fromUtf8(lang ? r.En : r.Fr));
            EXPECT_EQ(s.OptionBtn.Visible, r.Opt);
            EXPECT_EQ(s.CheckBox1.Visible, r.Cb1);
            EXPECT_EQ(s.CheckBox2.Visible, r.Cb2);
            EXPECT_EQ(s.ComboBox.Visible, r.Combo);
            EXPECT_EQ(s.ComboBoxLbl.Visible, r.Combo);
            ASSERT_TRUE(s.Memo.has_value());
            EXPECT_EQ(*s.Memo, r.Memo);
            EXPECT_FALSE(s.MemoVisible.has_value());
            EXPECT_EQ(s.ApplyOptions(0), r.Options);
            // Options from every option: the overwrite prompt always goes, multi-select by kind.
            EXPECT_EQ(s.ApplyOptions(7) & ofOverwritePrompt, r.Kind == 4 ? unsigned(ofOverwritePrompt) : 0u);
            EXPECT_FALSE(s.CheckBox1.Checked.has_value()); // the open kinds keep the check states
        }
    }
    // Odd kinds and kinds past 8 apply nothing on the open dialog.
    for (int k : {1, 3, 5, 9, 10, 255}) EXPECT_FALSE(OpenKindRow(k, 0).Applies) << k;
}

TEST(FichDlgTable, OpenTextsAndFilters)
{
    TFileKindRow s = OpenKindRow(fkOpenTrj, 0);
    EXPECT_EQ(s.Filter, TrjOpenFilterFr);
    EXPECT_EQ(*s.AllFormatsLabel, "Vols tous formats");
    EXPECT_EQ(*s.AllFilesLabel, "Tous fichiers (*.*)");
    s = OpenKindRow(fkOpenTrj, 1);
    EXPECT_TRUE(s.Filter.startsWith("Every flight|*.ZPH;"));
    EXPECT_TRUE(s.Filter.endsWith("|Nmea0183 (*.NMEA *.RMC)|*.NMEA;*.RMC|Every file (*.*)|*.*"));
    EXPECT_TRUE(s.Filter.contains("|IGC (*.GPS ou IGC)|")); // labels without a twin stay French

    s = OpenKindRow(fkOpenWpt, 0);
    EXPECT_EQ(s.Filter, "Way-points tout format|*.ZPH;*.WPT;*.DAT;*.WPZ;*.CUP;*.GPX|Zephalon (*.ZPH)|*.ZPH|"
                        "Texte tabulé (*.WPT)|*.WPT|Cambridge (*.DAT)|*.DAT|Zander (*.WPZ)|*.WPZ|"
                        "Tous fichiers (*.*)|*.*");
    EXPECT_EQ(*s.CheckBox1.Text, "Ajouter aux way-points déjà ouverts");
    s = OpenKindRow(fkOpenWpt, 1);
    EXPECT_TRUE(s.Filter.startsWith("Every waypoints file|"));
    EXPECT_TRUE(s.Filter.contains("|Texte tabulé (*.WPT)|"));
    EXPECT_EQ(*s.CheckBox1.Text, "Add to opened waypoints");

    // The task: one entry, no all-formats label.
    for (int lang : {0, 1}) {
        s = OpenKindRow(fkOpenStn, lang);
        EXPECT_EQ(s.Filter, "Zephalon (*.ZPH)|*.ZPH");
        EXPECT_EQ(ParseDlgFilter(s.Filter).size(), 1);
        EXPECT_EQ(*s.AllFormatsLabel, "");
        EXPECT_EQ(*s.AllFilesLabel, lang ? "Every file (*.*)" : "Tous fichiers (*.*)");
    }
    EXPECT_EQ(OpenKindRow(fkOpenMap, 0).Filter, MapFilter);
    EXPECT_EQ(OpenKindRow(fkReinstMap, 1).Filter, MapFilter);
    EXPECT_FALSE(OpenKindRow(fkOpenMap, 0).AllFilesLabel.has_value());

    s = OpenKindRow(fkOpenSmp, 0);
    EXPECT_EQ(s.Filter, "OpenAir (*.TXT)|*.TXT|Tous fichiers de zone (*.*)|*.*");
    EXPECT_EQ(*s.CheckBox1.Text, "Ajouter au fichier de zone déjà ouvert");
    EXPECT_EQ(*s.CheckBox2.Text, "Détail des erreurs");
    EXPECT_EQ(*s.ComboBoxLbl.Text, "Type de zone par défaut :");
    s = OpenKindRow(fkOpenSmp, 1);
    EXPECT_TRUE(s.Filter.endsWith("|All airspace file format (*.*)|*.*"));
    EXPECT_EQ(*s.CheckBox1.Text, "Add to opened airspace");
    EXPECT_EQ(*s.CheckBox2.Text, "Error list");
    EXPECT_EQ(*s.ComboBoxLbl.Text, "Default airspace type :");
}

TEST(FichDlgTable, SaveKindsByTaskAndWaypointState)
{
    for (int lang : {0, 1}) {
        for (bool task : {false, true}) {
            for (bool swp : {false, true}) {
                SCOPED_TRACE(testing::Message() << lang << task << swp);
                TFileKindRow s = SaveKindRow(fkSaveTrj, lang, task, swp);
                EXPECT_EQ(s.Title, lang ? "Track file saving" : "Enregistrement fichier trajectoire");
                EXPECT_EQ(
                    s.Filter,
                    QString("Zephalon (*.ZPH)|*.ZPH|IGC (*.IGC)|*.IGC|OGC KML Google Earth (*.KML)|*.KML|"
                            "Skyforce Logger (*.DAT)|*.DAT|") +
                        (lang ? "Every file (*.*)" : "Tous fichiers (*.*)") + "|*.*");
                EXPECT_TRUE(s.CheckBox1.Visible && s.CheckBox2.Visible && s.OptionBtn.Visible);
                EXPECT_EQ(*s.CheckBox1.Enabled, task);
                EXPECT_TRUE(*s.CheckBox1.Checked);
                EXPECT_EQ(*s.CheckBox2.Enabled, swp);
                EXPECT_FALSE(*s.CheckBox2.Checked);
                EXPECT_EQ(*s.CheckBox1.Text, lang ? "Include the task" : "Inclure le circuit");
                EXPECT_EQ(*s.CheckBox2.Text, lang ? "Include the waypoints" : "Inclure les way-points");
                EXPECT_EQ(*s.Memo, QRect(175, 25, 290, 79));

                s = SaveKindRow(fkSaveStn, lang, task, swp);
                EXPECT_EQ(s.Title, lang ? "task file saving" : "Enregistrement fichier cicuit");
                EXPECT_EQ(s.Filter, QString("Zephalon (*.ZPH)|*.ZPH|") +
                                        (lang ? "Every file (*.*)" : "Tous fichiers (*.*)") + "|*.*");
                EXPECT_FALSE(*s.CheckBox1.Enabled);
                EXPECT_TRUE(*s.CheckBox1.Checked);
                EXPECT_EQ(*s.CheckBox2.Enabled, swp);
                EXPECT_FALSE(*s.CheckBox2.Checked);
                EXPECT_TRUE(s.OptionBtn.Visible);
            }
        }
        TFileKindRow s = SaveKindRow(fkSaveWpt, lang, true, true);
        EXPECT_EQ(s.Title, lang ? "Waypoints file saving" : "Enregistrement fichier way-points");
        EXPECT_EQ(s.Filter,
                  QString("Zephalon (*.ZPH)|*.ZPH|Texte tabulé (*.WPT)|*.WPT|Cambridge (*.DAT)|*.DAT|"
                          "Zander (*.WPZ)|*.WPZ|") +
                      (lang ? "Every file (*.*)" : "Tous fichiers (*.*)") + "|*.*");
        EXPECT_FALSE(s.CheckBox1.Visible || s.CheckBox2.Visible || s.OptionBtn.Visible);
        EXPECT_EQ(s.MemoVisible, std::optional<bool>(false));

        s = SaveKindRow(fkSaveSmp, lang, true, true);
        EXPECT_EQ(s.Title, lang ? "Airspace file saving" : "Enregistrement fichier de zone");
        EXPECT_EQ(s.Filter, "OpenAir (*.TXT)|*.TXT");
        EXPECT_FALSE(s.CheckBox1.Visible || s.CheckBox2.Visible || s.OptionBtn.Visible);
        EXPECT_FALSE(*s.CheckBox1.Enabled || *s.CheckBox1.Checked || *s.CheckBox2.Enabled ||
                     *s.CheckBox2.Checked);
        EXPECT_EQ(*s.Memo, QRect(175, 25, 290, 79));
    }
    for (int k : {fkSaveTrj, fkSaveWpt, fkSaveStn, fkSaveSmp})
        EXPECT_EQ(SaveKindRow(k, 0, false, false).ApplyOptions(ofAllowMultiSelect | ofFileMustExist),
                  unsigned(ofOverwritePrompt));
    for (int k : {0, 2, 4, 6, 7, 8, 10}) EXPECT_FALSE(SaveKindRow(k, 0, true, true).Applies) << k;

    EXPECT_EQ(OptionOpenFrom(fkOpenTrj), 1);
    EXPECT_EQ(OptionOpenFrom(fkSaveTrj), 2);
    EXPECT_EQ(OptionOpenFrom(fkOpenStn), 0);
    EXPECT_EQ(OptionOpenFrom(fkSaveStn), 0);
}

// ---- Filters and the save extension ---------------------------------------------------------

TEST(FichDlgFilters, LabelsAreNeverReadAsPatterns)
{
    const QList<TDlgFilterEntry> e = ParseDlgFilter(TrjOpenFilterFr);
    ASSERT_EQ(e.size(), 8);
    EXPECT_EQ(e[2].Label, "IGC (*.GPS ou IGC)");
    EXPECT_EQ(e[2].Patterns, (QStringList{"*.GPS", "*.IGC"}));
    const QStringList q = DlgNameFilters(TrjOpenFilterFr);
    ASSERT_EQ(q.size(), 8);
    EXPECT_EQ(q[2], "IGC (*.GPS ou IGC) (*.GPS *.IGC)");
    EXPECT_EQ(q[6], "Nmea0183 (*.NMEA *.RMC) (*.NMEA *.RMC)");
    EXPECT_EQ(q[7], "Tous fichiers (*.*) (*)");
    // What the file dialog reads as patterns is the last parenthesised part.
    for (const QString& f : q) {
        const qsizetype open = f.lastIndexOf('(');
        for (const QString& p : f.mid(open + 1).chopped(1).split(' '))
            EXPECT_TRUE(p.startsWith('*')) << f.toStdString();
    }

    const QStringList m = DlgNameFilters(MapFilter);
    EXPECT_EQ(m[0], "All map (*.jpg *.jpeg *.bmp *.wmf)");
    EXPECT_EQ(m[1], "JPEG - JPG (*.jpg *.jpeg)"); // "jpeg" is an extension
    EXPECT_EQ(NormalisePattern(" *.ZPH "), "*.ZPH");
    EXPECT_EQ(NormalisePattern("*.*"), "*");
    EXPECT_EQ(NormalisePattern("a?c"), "a?c");
    // A dangling label without patterns is dropped; an empty pattern list matches everything.
    EXPECT_EQ(ParseDlgFilter("A|*.A|B").size(), 1);
    EXPECT_EQ(DlgNameFilters("A|"), QStringList{"A (*)"});
    EXPECT_TRUE(ParseDlgFilter(QString()).isEmpty());
}

TEST(FichDlgFilters, SaveExtensionOfEveryEntry)
{
    const QString trj = SaveKindRow(fkSaveTrj, 0, true, true).Filter;
    const QStringList trjExt{".ZPH", ".IGC", ".KML", ".DAT", ""};
    for (int i = 0; i < trjExt.size(); ++i) EXPECT_EQ(SaveExtFor(trj, i + 1, "/home/p/vol"), trjExt[i]) << i;
    const QString wpt = SaveKindRow(fkSaveWpt, 1, true, true).Filter;
    const QStringList wptExt{".ZPH", ".WPT", ".DAT", ".WPZ", ""};
    for (int i = 0; i < wptExt.size(); ++i) EXPECT_EQ(SaveExtFor(wpt, i + 1, "points"), wptExt[i]) << i;
    const QString stn = SaveKindRow(fkSaveStn, 0, true, true).Filter;
    EXPECT_EQ(SaveExtFor(stn, 1, "t"), ".ZPH");
    EXPECT_EQ(SaveExtFor(stn, 2, "t"), "");
    EXPECT_EQ(SaveExtFor(SaveKindRow(fkSaveSmp, 0, true, true).Filter, 1, "zones"), ".TXT");
    // Entries out of range give nothing.
    EXPECT_EQ(SaveExtFor(stn, 0, "t"), "");
    EXPECT_EQ(SaveExtFor(stn, 3, "t"), "");

    // The name alone decides: folders with dots do not count; a name with an extension keeps it.
    EXPECT_EQ(SaveExtFor(wpt, 4, "/home/p.dupont/vols.2023/points"), ".WPZ");
    EXPECT_EQ(SaveExtFor(wpt, 4, "/home/p/points.wpt"), "");
    EXPECT_EQ(SaveExtFor(wpt, 4, "/home/p/points."), "");
    EXPECT_EQ(WithSaveExt("/a.b/points", SaveExtFor(wpt, 4, "/a.b/points")), "/a.b/points.WPZ");
}

// ---- Offscreen runs -------------------------------------------------------------------------------

// Runs Step inside the dialog's modal loop.
void InLoop(QDialog& D, std::function<void()> Step)
{
    QTimer::singleShot(0, &D, [&D, Step] {
        WaitFor([&] { return D.isVisible(); });
        Step();
    });
}

QLineEdit* NameEdit(QFileDialog& D)
{
    return D.findChild<QLineEdit*>("fileNameEdit");
}

// The names the file list shows for the dialog's folder, once loaded.
QStringList Listed(QFileDialog& D, int Expect)
{
    auto* view = D.findChild<QListView*>("listView");
    if (!view || !view->model()) return {};
    QStringList names;
    WaitFor([&] { return view->model()->rowCount(view->rootIndex()) == Expect; });
    for (int r = 0; r < view->model()->rowCount(view->rootIndex()); ++r)
        names << view->model()->index(r, 0, view->rootIndex()).data().toString();
    names.sort();
    return names;
}

class FichDlgRun : public FreshModel
{
protected:
    void SetUp() override
    {
        FreshModel::SetUp();
        // These tests drive the file dialogs themselves; unscripted boxes still answer alone.
        Msg::SetHeadless(false);
        Msg::SetHandler([](const QString&, TMsgType, int Buttons, const QString&) {
            return Msg::DefaultAnswer(Buttons);
        });
        Msg::SetInputHandler([](const QString&, const QString&, QString&) { return false; });
        ASSERT_TRUE(tmp.isValid());
        for (const char* n : {"a.igc", "B.IGC", "c.Zph", "d.txt", "e", "f.Igc"}) Touch(n, "x");
        QDir(tmp.path()).mkdir("sub.dir");
    }
    void TearDown() override
    {
        TOpenCustomDialog::SetOptionFormRunner(nullptr);
        InstallFileDialogs(nullptr, nullptr);
        Msg::SetHandler(nullptr);
        Msg::SetInputHandler(nullptr);
        Msg::SetHeadless(true);
        FreshModel::TearDown();
    }
    QString Touch(const QString& Name, const QByteArray& B)
    {
        WriteAll(tmp.filePath(Name), B);
        return tmp.filePath(Name);
    }
    QTemporaryDir tmp;
};

TEST_F(FichDlgRun, OpenSeveralTracesMatchingExtensionsInAnyCase)
{
    TOpenCustomDialog d;
    d.DlgKind = fkOpenTrj;
    d.InitialDir = tmp.path();
    QStringList shown, all;
    InLoop(d, [&] {
        shown = Listed(d, 5);
        d.selectNameFilter(DlgNameFilters(d.Filter()).last());
        all = Listed(d, 7);
        d.selectNameFilter(DlgNameFilters(d.Filter()).first());
        NameEdit(d)->setText("\"a.igc\" \"B.IGC\" \"f.Igc\"");
        d.accept();
    });
    ASSERT_TRUE(d.Execute());
    EXPECT_EQ(shown, (QStringList{"B.IGC", "a.igc", "c.Zph", "f.Igc", "sub.dir"}));
    EXPECT_EQ(all, (QStringList{"B.IGC", "a.igc", "c.Zph", "d.txt", "e", "f.Igc", "sub.dir"}));
    EXPECT_EQ(d.Files, (QStringList{tmp.filePath("a.igc"), tmp.filePath("B.IGC"), tmp.filePath("f.Igc")}));
    EXPECT_EQ(d.FileName, tmp.filePath("a.igc"));
    EXPECT_EQ(d.windowTitle(), "Ouverture fichier trajectoire");
    EXPECT_EQ(d.fileMode(), QFileDialog::ExistingFiles);
    EXPECT_FALSE(d.OptionBtn->isHidden());
    EXPECT_FALSE(d.OptionBtn->isEnabled()); // no options dialog installed: nothing to offer
    EXPECT_TRUE(d.CheckBox1->isHidden());
    EXPECT_EQ(d.OptionBtn->text(), "&Options");

    // Used again without a proposed name: the name box does not keep what was typed last time.
    d.DlgKind = fkOpenWpt;
    d.FileName.clear();
    QString typed = "?";
    InLoop(d, [&] {
        typed = NameEdit(d)->text();
        d.reject();
    });
    EXPECT_FALSE(d.Execute());
    EXPECT_EQ(typed, "");
}

TEST_F(FichDlgRun, MissingFileIsRefusedAndCancelLeavesTheResults)
{
    TOpenCustomDialog d;
    d.DlgKind = fkOpenWpt;
    d.InitialDir = tmp.path();
    d.Files = QStringList{"before"};
    bool stayed = false;
    InLoop(d, [&] {
        NameEdit(d)->setText("nothing.wpt");
        d.accept();
        stayed = d.isVisible();
        d.reject();
    });
    EXPECT_FALSE(d.Execute());
    EXPECT_TRUE(stayed);
    ASSERT_FALSE(Msg::Log().isEmpty());
    EXPECT_TRUE(Msg::Log().last().text.startsWith("nothing.wpt\rFichier introuvable."));
    EXPECT_EQ(d.Files, QStringList{"before"});
    EXPECT_EQ(d.fileMode(), QFileDialog::ExistingFile);
    EXPECT_FALSE(d.CheckBox1->isHidden());
}

TEST_F(FichDlgRun, EmptyOrMissingStartFolderOpensHome)
{
    TOpenCustomDialog d;
    for (const QString& start : {QString(), tmp.filePath("no/such/folder")}) {
        d.DlgKind = fkOpenStn;
        d.InitialDir = start;
        QString at;
        InLoop(d, [&] {
            at = d.directory().absolutePath();
            d.reject();
        });
        EXPECT_FALSE(d.Execute());
        EXPECT_EQ(at, QDir(QDir::homePath()).absolutePath());
        EXPECT_EQ(d.nameFilters().size(), 1); // the task: one entry, no all-files entry
    }
}

// Whether one of the patterns of filter entry N (from 1) matches the file's name.
bool EntryMatches(const QString& Filter, int N, const QString& Path)
{
    const QString name = QFileInfo(Path).fileName();
    for (const QString& p : ParseDlgFilter(Filter).value(N - 1).Patterns) {
        const QRegularExpression re(QRegularExpression::wildcardToRegularExpression(NormalisePattern(p)),
                                    QRegularExpression::CaseInsensitiveOption);
        if (re.match(name).hasMatch()) return true;
    }
    return false;
}

TEST_F(FichDlgRun, FiltersAgreeWithWhatTheFilesLayerReadsAndWrites)
{
    Msg::SetHeadless(true);
    // Every real file that opens is offered by the all-formats entry.
    const QString wptAll = OpenKindRow(fkOpenWpt, 0).Filter, trjAll = OpenKindRow(fkOpenTrj, 0).Filter;
    int wptOpened = 0, trjOpened = 0;
    for (const char* folder : {"waypoints", "igc", "gpx", "kml", "nmea", "magellan", "garmin"}) {
        const QDir dir(QStringLiteral(ZPH_TESTDATA "/") + folder);
        for (const QFileInfo& f : dir.entryInfoList(QDir::Files)) {
            SCOPED_TRACE(f.fileName().toStdString());
            if (OpenSwpFile(f.filePath())) {
                ++wptOpened;
                EXPECT_TRUE(EntryMatches(wptAll, 1, f.filePath()));
            }
            FreeSwp();
            if (OpenTrjFiles(f.filePath(), 0) > 0) {
                ++trjOpened;
                EXPECT_TRUE(EntryMatches(trjAll, 1, f.filePath()));
            }
            while (FirstTrj) CloseTrj(FirstTrj);
        }
    }
    EXPECT_GE(wptOpened, 4);
    EXPECT_GE(trjOpened, 10);

    // Every format the save dialogs offer is written.
    ASSERT_GT(OpenTrjFiles(QStringLiteral(ZPH_TESTDATA "/igc/27GLQKF3.igc"), 0), 0);
    ASSERT_TRUE(OpenSwpFile(QStringLiteral(ZPH_TESTDATA "/waypoints/euregio9.cup")));
    const QString trjSave = SaveKindRow(fkSaveTrj, 0, true, true).Filter;
    const QString wptSave = SaveKindRow(fkSaveWpt, 0, true, true).Filter;
    for (int i = 1; i <= ParseDlgFilter(trjSave).size(); ++i) {
        const QString ext = FilterEntryExt(trjSave, i);
        if (ext.isEmpty()) continue;
        QString error;
        EXPECT_TRUE(WriteTrjFile(*Trj, tmp.filePath("vol" + ext), false, false, error)) << ext.toStdString();
    }
    for (int i = 1; i <= ParseDlgFilter(wptSave).size(); ++i) {
        const QString ext = FilterEntryExt(wptSave, i);
        if (ext.isEmpty()) continue;
        QString error;
        EXPECT_TRUE(WriteSwpFile(*Swp, tmp.filePath("points" + ext), error)) << ext.toStdString();
    }
}

TEST_F(FichDlgRun, EveryPatternOfferedForOpeningOpens)
{
    Msg::SetHeadless(true);
    // Samples: real files of the test data, and files the program writes itself.
    const QString data = QStringLiteral(ZPH_TESTDATA "/");
    const QString igc = data + "igc/27GLQKF3.igc", nmea = data + "nmea/rl-traffic.nmea";
    ASSERT_GT(OpenTrjFiles(igc, 0), 0);
    ASSERT_TRUE(OpenSwpFile(data + "waypoints/euregio9.cup"));
    QString error;
    const QString trjZph = tmp.filePath("w/vol.zph"), trjDat = tmp.filePath("w/vol.dat");
    const QString wptZph = tmp.filePath("w/points.zph"), wptWpt = tmp.filePath("w/points.wpt");
    QDir(tmp.path()).mkdir("w");
    ASSERT_TRUE(WriteTrjFile(*Trj, trjZph, false, false, error));
    ASSERT_TRUE(WriteTrjFile(*Trj, trjDat, false, false, error));
    ASSERT_TRUE(WriteSwpFile(*Swp, wptZph, error));
    ASSERT_TRUE(WriteSwpFile(*Swp, wptWpt, error));
    while (FirstTrj) CloseTrj(FirstTrj);
    FreeSwp();

    using Samples = std::map<QString, QString>; // upper-cased extension -> sample
    const struct
    {
        TFileKind Kind;
        Samples Files;
        std::function<bool(const QString&)> Open;
    } kinds[] = {
        {fkOpenTrj,
         {{"ZPH", trjZph},
          {"IGC", igc},
          {"GPS", igc},
          {"GPX", data + "gpx/igc1.gpx"},
          {"KML", data + "kml/27GLQKF3.igc.kml"},
          {"DAT", trjDat},
          {"NMEA", nmea},
          {"RMC", nmea}},
         [](const QString& f) {
             const bool ok = OpenTrjFiles(f, 0) > 0;
             while (FirstTrj) CloseTrj(FirstTrj);
             return ok;
         }},
        {fkOpenWpt,
         {{"ZPH", wptZph},
          {"WPT", wptWpt},
          {"DAT", data + "waypoints/euregio9.dat"},
          {"WPZ", data + "waypoints/euregio9.wpz"},
          {"CUP", data + "waypoints/euregio9.cup"},
          {"GPX", data + "waypoints/expertgps.gpx"}},
         [](const QString& f) {
             const bool ok = OpenSwpFile(f);
             FreeSwp();
             return ok;
         }},
        {fkOpenSmp, {{"TXT", data + "openair/sample.txt"}}, [](const QString& f) { return OpenSmpFile(f); }},
    };
    for (const auto& k : kinds) {
        const QString filter = OpenKindRow(k.Kind, 0).Filter;
        const QList<TDlgFilterEntry> entries = ParseDlgFilter(filter);
        Samples offered;
        for (const TDlgFilterEntry& e : entries)
            for (const QString& p : e.Patterns) {
                if (p == QLatin1String("*.*")) continue;
                const QString ext = p.mid(2).toUpper();
                offered[ext] = k.Files.count(ext) ? k.Files.at(ext) : QString();
            }
        for (const auto& [ext, sample] : offered) {
            SCOPED_TRACE(testing::Message() << "kind " << int(k.Kind) << " " << ext.toStdString());
            ASSERT_FALSE(sample.isEmpty()) << "offered without a sample";
            // The sample under the offered extension, which the all-formats entry matches.
            const QString file =
                tmp.filePath(QStringLiteral("w/sample%1.%2").arg(int(k.Kind)).arg(ext.toLower()));
            QFile::remove(file);
            ASSERT_TRUE(QFile::copy(sample, file));
            EXPECT_TRUE(EntryMatches(filter, 1, file));
            Msg::ClearLog();
            EXPECT_TRUE(k.Open(file));
            for (const Msg::Shown& m : Msg::Log())
                EXPECT_FALSE(m.text.startsWith(QStringLiteral("Type de fichier inconnu"))) << m.text.toStdString();
        }
        EXPECT_EQ(offered.size(), k.Files.size());
    }
}

TEST_F(FichDlgRun, SaveTraceWithEveryFilterEntry)
{
    TTrj* T = NewTrj();
    T->Pilot = "Pilote X";
    TSaveCustomDialog d;
    const QStringList exts{".ZPH", ".IGC", ".KML", ".DAT", ""};
    for (int i = 0; i < exts.size(); ++i) {
        SCOPED_TRACE(i);
        d.DlgKind = fkSaveTrj;
        d.InitialDir = tmp.path();
        d.FileName = "vol";
        bool extras = false, cb1Enabled = true, cb1Checked = false, cb2Enabled = true;
        QString memo;
        InLoop(d, [&] {
            d.selectNameFilter(DlgNameFilters(d.Filter())[i]);
            extras = !d.CheckBox1->isHidden() && !d.CheckBox2->isHidden() && !d.OptionBtn->isHidden();
            cb1Enabled = d.CheckBox1->isEnabled();
            cb1Checked = d.CheckBox1->isChecked();
            cb2Enabled = d.CheckBox2->isEnabled();
            memo = d.Memo->toPlainText();
            d.accept();
        });
        ASSERT_TRUE(d.Execute());
        EXPECT_EQ(d.FilterIndex(), i + 1);
        EXPECT_EQ(d.Files, QStringList{tmp.filePath("vol")});
        EXPECT_EQ(d.SaveExt, exts[i]);
        EXPECT_EQ(extras, i == 0);
        // No turn point, no waypoint set: the task box checked but disabled, the other off.
        EXPECT_FALSE(cb1Enabled);
        EXPECT_TRUE(cb1Checked);
        EXPECT_FALSE(cb2Enabled);
        EXPECT_EQ(d.IncludeTask, 1);
        EXPECT_EQ(d.IncludeWpt, 0);
        EXPECT_EQ(memo.contains("Pilote : Pilote X"), i == 0);
    }
    EXPECT_EQ(d.acceptMode(), QFileDialog::AcceptSave);
    // A typed extension is kept: nothing to append.
    d.FileName = "vol.igc";
    InLoop(d, [&] { d.accept(); });
    ASSERT_TRUE(d.Execute());
    EXPECT_EQ(d.SaveExt, "");
    EXPECT_EQ(d.FileName, tmp.filePath("vol.igc"));
}

TEST_F(FichDlgRun, SaveAsksBeforeReplacingTheFileItWillWrite)
{
    Touch("vol.ZPH", "old");
    NewTrj();
    TSaveCustomDialog d;
    d.DlgKind = fkSaveTrj;
    d.InitialDir = tmp.path();
    d.FileName = "vol";
    bool stayed = false;
    Msg::PushAnswer(mrNo);
    Msg::PushAnswer(mrYes);
    InLoop(d, [&] {
        d.accept(); // No: the dialog stays
        stayed = d.isVisible();
        d.accept(); // Yes
    });
    ASSERT_TRUE(d.Execute());
    EXPECT_TRUE(stayed);
    ASSERT_EQ(Msg::Log().size(), 2);
    EXPECT_EQ(Msg::Log()[0].text, "vol.ZPH existe déjà.\rVoulez-vous le remplacer ?");
    EXPECT_EQ(d.SaveExt, ".ZPH");
    // A new name is not asked about.
    Msg::ClearLog();
    d.FileName = "autre";
    InLoop(d, [&] { d.accept(); });
    ASSERT_TRUE(d.Execute());
    EXPECT_TRUE(Msg::Log().isEmpty());
    // A folder typed as the name is entered, not replaced by the file the save would write.
    QDir(tmp.path()).mkdir("arch");
    Touch("arch.ZPH", "old");
    QString inside;
    InLoop(d, [&] {
        NameEdit(d)->setText("arch");
        d.accept();
        inside = d.directory().absolutePath();
        d.reject();
    });
    EXPECT_FALSE(d.Execute());
    EXPECT_TRUE(Msg::Log().isEmpty());
    EXPECT_EQ(inside, tmp.filePath("arch"));
}

TEST_F(FichDlgRun, FilterChangeShowsExtrasOnlyForTheOwnFormat)
{
    TTrj* T = NewTrj();
    TTrn t;
    T->Stn->AddTrn(t, -1);
    NewSwp();
    TSaveCustomDialog d;
    d.DlgKind = fkSaveTrj;
    d.InitialDir = tmp.path();
    d.FileName = "x";
    QList<bool> seen;
    QString memoOnIgc;
    InLoop(d, [&] {
        const QStringList f = DlgNameFilters(d.Filter());
        seen << !d.CheckBox1->isHidden() << d.CheckBox1->isEnabled() << d.CheckBox2->isEnabled();
        d.selectNameFilter(f[1]);
        seen << !d.CheckBox1->isHidden() << !d.OptionBtn->isHidden() << !d.Memo->isHidden();
        memoOnIgc = d.Memo->toPlainText();
        d.selectNameFilter(f[0]);
        seen << !d.CheckBox2->isHidden() << !d.Memo->toPlainText().isEmpty();
        d.CheckBox2->setChecked(true);
        d.reject();
    });
    EXPECT_FALSE(d.Execute());
    EXPECT_EQ(seen, (QList<bool>{true, true, true, false, false, true, true, true}));
    EXPECT_TRUE(memoOnIgc.isEmpty());
    EXPECT_EQ(d.IncludeWpt, 1); // stored at every close

    // Saving waypoints hides the memo; saving a task disables the task box.
    d.DlgKind = fkSaveWpt;
    InLoop(d, [&] { d.reject(); });
    d.Execute();
    EXPECT_TRUE(d.Memo->isHidden());
    EXPECT_TRUE(d.CheckBox1->isHidden());
    d.DlgKind = fkSaveStn;
    bool cb1Enabled = true;
    InLoop(d, [&] {
        cb1Enabled = d.CheckBox1->isEnabled();
        d.reject();
    });
    d.Execute();
    EXPECT_FALSE(cb1Enabled);
    EXPECT_TRUE(d.Memo->isHidden()); // the memo keeps the visibility it had
}

TEST_F(FichDlgRun, AirspaceKindClassComboAndCheckBoxes)
{
    const QString f = Touch("zones.txt", "AC D\r\n");
    TOpenCustomDialog d;
    d.DlgKind = fkOpenSmp;
    d.InitialDir = tmp.path();
    d.DefZoneType = 3;
    d.AddToOpened = 1;
    QStringList items;
    int current = -2;
    bool cb1 = false;
    InLoop(d, [&] {
        for (int i = 0; i < d.ComboBox->count(); ++i) items << d.ComboBox->itemText(i);
        current = d.ComboBox->currentIndex();
        cb1 = d.CheckBox1->isChecked();
        d.ComboBox->setCurrentIndex(6);
        d.CheckBox1->setChecked(false);
        d.CheckBox2->setChecked(true);
        NameEdit(d)->setText("zones.txt");
        d.accept();
    });
    ASSERT_TRUE(d.Execute());
    QStringList names;
    for (int i = 1; i <= 10; ++i) names << ZoneClassNames[i];
    EXPECT_EQ(items, names);
    EXPECT_EQ(current, 2);
    EXPECT_TRUE(cb1);
    EXPECT_EQ(d.DefZoneType, 7);
    EXPECT_EQ(d.AddToOpened, 0);
    EXPECT_EQ(d.ErrorList, 1);
    EXPECT_EQ(d.FileName, f);
    EXPECT_FALSE(d.ComboBoxLbl->isHidden());
    EXPECT_EQ(d.ComboBoxLbl->text(), "Type de zone par défaut :");
    EXPECT_EQ(d.Memo->width(), 0);
    // Another kind hides the airspace controls again.
    d.DlgKind = fkOpenMap;
    InLoop(d, [&] { d.reject(); });
    d.Execute();
    EXPECT_TRUE(d.ComboBox->isHidden() && d.ComboBoxLbl->isHidden() && d.CheckBox2->isHidden());
    EXPECT_EQ(d.windowTitle(), "Ouverture fichier image carte");
}

TEST_F(FichDlgRun, PanelTextsShowWholeInBothLanguages)
{
    TOpenCustomDialog open;
    TSaveCustomDialog save;
    for (int lang : {0, 1})
        for (int kind : {fkOpenTrj, fkSaveTrj, fkOpenWpt, fkSaveWpt, fkOpenStn, fkSaveStn, fkOpenMap,
                         fkOpenSmp, fkReinstMap, fkSaveSmp}) {
            SCOPED_TRACE(testing::Message() << "language " << lang << " kind " << kind);
            Language = lang;
            TOpenCustomDialog& d = kind % 2 == 1 ? save : open;
            d.DlgKind = uint8(kind);
            d.InitialDir = tmp.path();
            QStringList faults;
            QString title, cb1;
            InLoop(d, [&] {
                title = d.windowTitle();
                cb1 = d.CheckBox1->text();
                const QRect panel = d.ExtPanel->rect();
                QList<QWidget*> shown;
                for (QWidget* w : std::initializer_list<QWidget*>{d.OptionBtn, d.CheckBox1, d.CheckBox2,
                                                                  d.ComboBoxLbl, d.ComboBox, d.Memo})
                    if (w->isVisible() && w->width() > 0) shown << w;
                for (QWidget* w : shown) {
                    const QString name = w->objectName();
                    if (w != d.Memo && w->width() < w->sizeHint().width())
                        faults << name + " cut: " + QString::number(w->width()) + " < " +
                                      QString::number(w->sizeHint().width());
                    if (!panel.contains(w->geometry())) faults << name + " outside the panel";
                    for (QWidget* o : shown)
                        if (o != w && o->objectName() > name && o->geometry().intersects(w->geometry()))
                            faults << name + " overlaps " + o->objectName();
                }
                d.reject();
            });
            d.Execute();
            EXPECT_TRUE(faults.isEmpty()) << faults.join("; ").toStdString();
            // The window takes its texts in the language of the moment.
            const TFileKindRow row =
                kind % 2 == 1 ? SaveKindRow(kind, lang, false, false) : OpenKindRow(kind, lang);
            if (row.Applies) {
                EXPECT_EQ(title, row.Title);
            }
            if (kind == fkSaveTrj) {
                EXPECT_EQ(cb1, *row.CheckBox1.Text);
                EXPECT_EQ(d.AllFilesLabel, lang ? "Every file (*.*)" : "Tous fichiers (*.*)");
            }
        }
}

TEST_F(FichDlgRun, NoCompletionListOutlivesTheDialog)
{
    Touch("zones.txt", "AC D\r\n");
    Touch("zones2.txt", "AC D\r\n");
    TOpenCustomDialog d;
    d.DlgKind = fkOpenSmp;
    d.InitialDir = tmp.path();
    QWidget* popup = nullptr;
    InLoop(d, [&] {
        Listed(d, 4);
        QLineEdit* edit = NameEdit(d);
        edit->setFocus();
        QTest::keyClicks(edit, "zon");
        WaitFor([&] { return edit->completer() && edit->completer()->popup()->isVisible(); });
        popup = edit->completer() ? edit->completer()->popup() : nullptr;
        if (popup && popup->isVisible()) edit->setText("zones.txt");
        d.accept();
    });
    ASSERT_TRUE(d.Execute());
    ASSERT_NE(popup, nullptr);
    EXPECT_FALSE(popup->isVisible());
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
}

TEST_F(FichDlgRun, PreviewFollowsTheFileUnderTheCursorAndTheOptionsButton)
{
    std::vector<int> openFrom;
    TOpenCustomDialog::SetOptionFormRunner([&](int From) { openFrom.push_back(From); });
    const QString igc = QStringLiteral(ZPH_TESTDATA "/igc/27GLQKF3.igc");
    TOpenCustomDialog d;
    d.DlgKind = fkOpenTrj;
    d.InitialDir = QStringLiteral(ZPH_TESTDATA "/igc");
    QString onIgc, onMissing, afterOptions;
    bool visible = false;
    InLoop(d, [&] {
        emit d.currentChanged(igc);
        onIgc = d.Memo->toPlainText();
        visible = !d.Memo->isHidden();
        emit d.currentChanged(tmp.filePath("none.igc"));
        onMissing = d.Memo->toPlainText();
        emit d.currentChanged(igc);
        d.OptionBtn->click();
        afterOptions = d.Memo->toPlainText();
        d.reject();
    });
    EXPECT_FALSE(d.Execute());
    EXPECT_FALSE(onIgc.isEmpty());
    EXPECT_EQ(onIgc.split('\n'), FilePreview(fkOpenTrj, 1, igc).Lines);
    EXPECT_TRUE(visible);
    EXPECT_TRUE(onMissing.isEmpty());
    EXPECT_EQ(afterOptions, onIgc);
    EXPECT_EQ(openFrom, std::vector<int>{1});

    TSaveCustomDialog s;
    NewTrj();
    s.DlgKind = fkSaveTrj;
    InLoop(s, [&] {
        s.OptionBtn->click();
        s.reject();
    });
    s.Execute();
    EXPECT_EQ(openFrom, (std::vector<int>{1, 2}));
}

// ---- Through the file layer ---------------------------------------------------------------------

TEST_F(FichDlgRun, FileLayerSavesAndOpensThroughTheInstalledDialogs)
{
    TOpenCustomDialog open;
    TSaveCustomDialog save;
    InstallFileDialogs(&open, &save);
    NewSwp();
    for (int i = 0; i < 3; ++i) AddWpt(*Swp, QStringLiteral("WP%1").arg(i), 4500000 + i * 1000, 600000);
    // Save with the Zander entry and a name without extension, in a folder whose name has a dot.
    QDir(tmp.path()).mkdir("vols.2023");
    Opt->FichWayPoints = tmp.filePath("vols.2023/old.ZPH");
    int kind = -1;
    InLoop(save, [&] {
        kind = save.DlgKind;
        save.selectNameFilter(DlgNameFilters(save.Filter())[3]);
        NameEdit(save)->setText("mes points");
        save.accept();
    });
    ASSERT_TRUE(SaveSwpFile(QString()));
    EXPECT_EQ(kind, fkSaveWpt);
    const QString written = tmp.filePath("vols.2023/mes points.WPZ");
    EXPECT_TRUE(QFileInfo::exists(written));
    EXPECT_EQ(Opt->FichWayPoints, written);

    // Open it again: the dialog starts in the last file's folder.
    FreeSwpObject();
    QString startedIn;
    InLoop(open, [&] {
        startedIn = open.directory().absolutePath();
        open.selectNameFilter(DlgNameFilters(open.Filter()).last());
        NameEdit(open)->setText("mes points.WPZ");
        open.accept();
    });
    ASSERT_TRUE(OpenSwpFile(QString()));
    EXPECT_EQ(startedIn, tmp.filePath("vols.2023"));
    ASSERT_NE(Swp, nullptr);
    EXPECT_EQ(Swp->Count, 3);

    // Cancel answers "nothing chosen".
    InLoop(open, [&] { open.reject(); });
    EXPECT_FALSE(OpenSwpFile(QString()));
    EXPECT_EQ(Swp->Count, 3);
}

TEST_F(FichDlgRun, HeadlessDialogsAnswerCancelSoACloseEnds)
{
    TOpenCustomDialog open;
    TSaveCustomDialog save;
    InstallFileDialogs(&open, &save);
    Msg::SetHeadless(true);
    // A modified trace that was never saved: closing it asks, Yes wants a file name.
    TTrj* T = NewTrj();
    auto R = std::make_unique<TRec>();
    R->Time = 1000000;
    ASSERT_TRUE(T->AddRec(R));
    TrjLoaded();
    T->Modified = true;
    Msg::PushAnswer(mrYes);
    bool waited = false; // a dialog that waits for a user is closed, and the test fails
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [&] {
        for (QDialog* d : {static_cast<QDialog*>(&open), static_cast<QDialog*>(&save)})
            if (d->isVisible()) {
                waited = true;
                d->reject();
            }
    });
    guard.start(3000);
    EXPECT_FALSE(AskSaveTrj(T)); // the save dialog answered Cancel instead of waiting
    EXPECT_FALSE(waited);
    EXPECT_TRUE(T->Modified);
    TFileChoice c;
    EXPECT_FALSE(RunFileDialog(open, save, fkOpenTrj, c));
}

TEST_F(FichDlgRun, DestroyedDialogsAnswerCancelled)
{
    {
        TOpenCustomDialog open;
        TSaveCustomDialog save;
        InstallFileDialogs(&open, &save);
    }
    EXPECT_FALSE(OpenSwpFile(QString()));
    EXPECT_EQ(OpenTrjFiles(QString(), 1), 0);
}

TEST_F(FichDlgRun, EveryKindRunsAnOpenOrSaveDialogForOneOrSeveralFiles)
{
    // Without anyone to answer, the dialog is prepared and cancelled: what it was set up as stays.
    Msg::SetHeadless(true);
    const struct
    {
        TFileKind Kind;
        bool Save, Several;
    } rows[] = {
        {fkOpenTrj, false, true},  {fkSaveTrj, true, false},  {fkOpenWpt, false, false}, {fkSaveWpt, true, false},
        {fkOpenStn, false, false}, {fkSaveStn, true, false},  {fkOpenMap, false, false}, {fkReinstMap, false, true},
        {fkOpenSmp, false, false}, {fkSaveSmp, true, false},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(int(r.Kind));
        TOpenCustomDialog open;
        TSaveCustomDialog save;
        open.DlgKind = save.DlgKind = 99;
        TFileChoice c;
        EXPECT_FALSE(RunFileDialog(open, save, r.Kind, c));
        TOpenCustomDialog& used = r.Save ? static_cast<TOpenCustomDialog&>(save) : open;
        TOpenCustomDialog& unused = r.Save ? static_cast<TOpenCustomDialog&>(open) : save;
        EXPECT_EQ(used.DlgKind, r.Kind);
        EXPECT_EQ(unused.DlgKind, 99);
        EXPECT_EQ(used.acceptMode(), r.Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        EXPECT_EQ(used.fileMode(), r.Save      ? QFileDialog::AnyFile
                                   : r.Several ? QFileDialog::ExistingFiles
                                               : QFileDialog::ExistingFile);
        EXPECT_EQ(bool(used.Options() & ofAllowMultiSelect), r.Several);
    }
    // A value that is no kind runs nothing.
    TOpenCustomDialog open;
    TSaveCustomDialog save;
    TFileChoice c;
    EXPECT_FALSE(RunFileDialog(open, save, TFileKind(10), c));
}

TEST_F(FichDlgRun, HookCarriesTheProposalsAndTheResults)
{
    TOpenCustomDialog open;
    TSaveCustomDialog save;
    TFileChoice c;
    c.Files = QStringList{tmp.filePath("zones.txt")};
    c.DefZoneType = 5;
    c.AddToOpened = true;
    Touch("zones.txt", "x");
    int comboAt = -1;
    bool added = false;
    InLoop(open, [&] {
        comboAt = open.ComboBox->currentIndex();
        added = open.CheckBox1->isChecked();
        NameEdit(open)->setText("zones.txt");
        open.accept();
    });
    ASSERT_TRUE(RunFileDialog(open, save, fkOpenSmp, c));
    EXPECT_EQ(comboAt, 4);
    EXPECT_TRUE(added);
    EXPECT_TRUE(c.AddToOpened);
    EXPECT_EQ(c.DefZoneType, 5);
    EXPECT_EQ(c.Files, QStringList{tmp.filePath("zones.txt")});
    // A request without a class of its own finds the dialog's from the last use.
    TFileChoice again;
    InLoop(open, [&] {
        comboAt = open.ComboBox->currentIndex();
        open.reject();
    });
    EXPECT_FALSE(RunFileDialog(open, save, fkOpenSmp, again));
    EXPECT_EQ(comboAt, 4);

    // A save proposal: its folder and name.
    NewTrj();
    TFileChoice s;
    s.Files = QStringList{tmp.filePath("sub.dir/vol.ZPH")};
    QString typed;
    InLoop(save, [&] {
        typed = NameEdit(save)->text();
        save.accept();
    });
    ASSERT_TRUE(RunFileDialog(open, save, fkSaveTrj, s));
    EXPECT_EQ(typed, "vol.ZPH");
    EXPECT_EQ(s.Files, QStringList{tmp.filePath("sub.dir/vol.ZPH")});
    EXPECT_EQ(s.SaveExt, "");
    EXPECT_TRUE(s.IncludeTask);
    EXPECT_FALSE(s.IncludeWpt);
}

} // namespace
