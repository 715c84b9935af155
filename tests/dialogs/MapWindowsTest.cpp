// The scanned-map windows offscreen: the calibration window, the map chooser and the road of a
// pilot from a new image to the background of the plan view.
#include "dialogs/Editpos.h"
#include "dialogs/Help.h"
#include "dialogs/Inimap.h"
#include "dialogs/Reachmap.h"
#include "files/MapCal.h"
#include "files/MapList.h"
#include "files/MapLoad.h"
#include "files/RecFile.h"
#include "model/ModelUi.h"
#include "model/Options.h"
#include "platform/IniFile.h"
#include "platform/ProgramDir.h"
#include "support/Fixtures.h"
#include "support/ModalScript.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct RecordingUi : IModelUi
{
    QStringList Status;
    int Repaints = 0;
    void ShowStatus(const QString& t) override { Status << t; }
    void RefreshViews() override { ++Repaints; }
    void ModelChanged() override {}
    void TaskEmptied() override {}
};

class MapWindowsTest : public FreshModel
{
protected:
    QTemporaryDir dir;
    RecordingUi ui;
    QStringList chosen; // what the file dialog answers
    QList<TFileKind> kinds;
    int fits = 0;

    void SetUp() override
    {
        FreshModel::SetUp();
        Opt->UniteLatiLong = 1;
        QFile::remove(IniFileName());
        SetModelUi(&ui);
        SetFileDialogHook([this](TFileKind Kind, TFileChoice& Choice) {
            kinds << Kind;
            if (chosen.isEmpty()) return false;
            Choice.Files = chosen;
            return true;
        });
        TReachMapForm::FitToMap = [this] { ++fits; };
    }
    void TearDown() override
    {
        TReachMapForm::FitToMap = nullptr;
        SetFileDialogHook({});
        SetModelUi(nullptr);
        FreshModel::TearDown();
    }

    QString MakeImage(const QString& name, int W = 400, int H = 300)
    {
        const QString path = dir.filePath(name);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QImage img(W, H, QImage::Format_RGB32);
        img.fill(QColor(90, 140, 60));
        EXPECT_TRUE(img.save(path));
        return path;
    }
    // A calibration on the image corners, 46°N..45°N and 6°E..7°E.
    void Calibrate(const QString& image, int W = 400, int H = 300)
    {
        TMap m;
        m.Pos[0] = {0, 0, 4600000, 600000, true};
        m.Pos[1] = {W - 1, 0, 4600000, 700000, true};
        m.Pos[2] = {0, H - 1, 4500000, 600000, true};
        m.Pos[3] = {W - 1, H - 1, 4500000, 700000, true};
        ASSERT_TRUE(SaveMapCal(MapCalFileName(image), m, QStringLiteral("note"), W, H));
    }
    QStringList ListItems(const TReachMapForm& f) const
    {
        QStringList l;
        for (int i = 0; i < f.ListBox->count(); ++i) l << f.ListBox->item(i)->text();
        return l;
    }
    static void TypePosition(TPosEdit& e, const char* lat, const char* lon)
    {
        e.LatiEdit->setText(QString::fromUtf8(lat));
        e.LongEdit->setText(QString::fromUtf8(lon));
        e.OKBtnClick();
    }
};

} // namespace

TEST_F(MapWindowsTest, PilotAddsCalibratesNamesAndSelectsAMap)
{
    const QString image = MakeImage(QStringLiteral("cartes/Alpes.jpg"));
    // A description file beside the image: the window starts from it.
    WriteAll(MapDescFileName(image),
             "[Map]\nTopLatitude=46.00.00\nTopLongitude=6.00.00\nPixWidth=400\nPixHeight=300\n"
             "LongSecPerPixel=9.00000\nLatSecPerPixel=12.00000\nMapName=Alpes\nMapSet=Sud\n");
    chosen = {image};
    TReachMapForm chooser;
    bool calibrationOpen = false;
    QString labels;
    ModalScript script;
    script
        .Then<TReachMapForm>([&](TReachMapForm& f) {
            f.AddBtnClick();
            f.done(0);
        })
        .Then<TIniMapForm>([&](TIniMapForm& f) {
            calibrationOpen = true;
            EXPECT_TRUE(TCurvCapture::AllPointsDefined(*f.MapDef));
            EXPECT_EQ(f.Comment, QStringLiteral("Alpes  Sud"));
            for (const QPoint p : {QPoint(20, 10), QPoint(380, 10), QPoint(20, 290), QPoint(380, 290)}) {
                QTest::mouseMove(f.PaintBox, p);
                QTest::mouseClick(f.PaintBox, Qt::LeftButton, {}, p);
            }
            labels = f.Secteur0Label->text() + f.Secteur3Label->text();
            EXPECT_TRUE(f.CurvLatiBtn->isEnabled());
            Msg::PushInput(QStringLiteral("Carte des Alpes"));
            Msg::PushInput(QStringLiteral("  Alpes du Sud "));
            f.OKBtnClick();
        })
        .Then<TPosEdit>([](TPosEdit& e) { TypePosition(e, "N46°00.00'", "E006°00.00'"); })
        .Then<TPosEdit>([](TPosEdit& e) { TypePosition(e, "N46°00.00'", "E007°00.00'"); })
        .Then<TPosEdit>([](TPosEdit& e) { TypePosition(e, "N45°00.00'", "E006°00.00'"); })
        .Then<TPosEdit>([](TPosEdit& e) { TypePosition(e, "N45°00.00'", "E007°00.00'"); });
    script.Start();
    chooser.Execute(1);
    ASSERT_TRUE(script.Done());
    EXPECT_TRUE(calibrationOpen);
    EXPECT_EQ(labels, QStringLiteral("OKOK"));
    EXPECT_EQ(kinds, (QList<TFileKind>{fkOpenMap}));

    // The calibration file holds the clicked points, the comment, the size and the bounds.
    const TIniFile cal(MapCalFileName(image));
    EXPECT_EQ(cal.ReadInteger(QStringLiteral("Def"), QStringLiteral("Pos1_X"), 0), 380);
    EXPECT_EQ(cal.ReadInteger(QStringLiteral("Def"), QStringLiteral("Pos3_Lati"), 0), 4500000);
    EXPECT_EQ(cal.ReadString(QStringLiteral("General"), QStringLiteral("Comment"), QString()),
              QStringLiteral("Carte des Alpes"));
    EXPECT_EQ(cal.ReadInteger(QStringLiteral("General"), QStringLiteral("Width"), 0), 400);
    EXPECT_TRUE(cal.ValueExists(QStringLiteral("General"), QStringLiteral("Lati_Max")));
    // The catalogue entry, its name trimmed.
    EXPECT_EQ(TMapCatalog().PathOf(QStringLiteral("Alpes du Sud")), image);

    // Select mode: the one map the filter leaves is used.
    ModalScript select;
    select.Then<TReachMapForm>([&](TReachMapForm& f) {
        QTest::keyClicks(f.Edit, QStringLiteral("alp"));
        EXPECT_EQ(ListItems(f), QStringList{QStringLiteral("Alpes du Sud")});
        EXPECT_TRUE(f.SelMemo->toPlainText().startsWith(QStringLiteral("Alpes du Sud : ")));
        f.OKBtnClick();
    });
    select.Start();
    chooser.Execute(0);
    EXPECT_TRUE(Map->Valid);
    EXPECT_EQ(Opt->FichFondCarte, QStringLiteral("Alpes du Sud"));
    EXPECT_TRUE(Opt->FondCarte);
    EXPECT_EQ(fits, 1);
    EXPECT_GE(ui.Repaints, 1);
    EXPECT_EQ(chooser.windowTitle(), QStringLiteral("Sélection carte de fond []"));
}

TEST_F(MapWindowsTest, CalibrationWindowFailuresAndCancelWriteNothing)
{
    TIniMapForm f;
    const QString missing = dir.filePath(QStringLiteral("none.jpg"));
    EXPECT_EQ(f.Execute(missing), int(mrCancel));
    ASSERT_EQ(Msg::Log().size(), 1);
    EXPECT_TRUE(Msg::Log()[0].text.contains(missing));

    // Points entered then cancelled are not written. A failed save (undefined points: a
    // warning, the comment box, then the failure with its reason) keeps the window and its
    // points.
    const QString image = MakeImage(QStringLiteral("c.bmp"), 90, 60);
    Calibrate(image, 90, 60);
    QFile::setPermissions(MapCalFileName(image), QFile::ReadOwner);
    bool stayed = false;
    ModalScript script;
    script.Then<TIniMapForm>([&](TIniMapForm& w) {
        EXPECT_EQ(w.Comment, QStringLiteral("note"));
        w.MapDef->Pos[2] = TMapCalPoint{};
        Msg::ClearLog();
        w.OKBtnClick();
        stayed = w.isVisible() && w.MapDef && w.MapDef->Pos[0].Valid;
        w.EscBtnClick();
    });
    script.Start();
    EXPECT_EQ(f.Execute(image), int(mrCancel));
    EXPECT_TRUE(stayed);
    ASSERT_EQ(Msg::Log().size(), 3);
    EXPECT_TRUE(Msg::Log()[0].text.startsWith(QStringLiteral("Des secteurs ne sont pas définis.")));
    EXPECT_EQ(Msg::Log()[1].caption, QStringLiteral("Commentaires"));
    EXPECT_TRUE(Msg::Log()[2].text.contains(MapCalFileName(image)));
    QFile::setPermissions(MapCalFileName(image), QFile::ReadOwner | QFile::WriteOwner);
    EXPECT_TRUE(TIniFile(MapCalFileName(image)).ValueExists(QStringLiteral("Def"), QStringLiteral("Pos2_X")));

    // A new image starts with no comment; garbled keys leave their points undefined.
    const QString fresh = MakeImage(QStringLiteral("d.png"), 90, 60);
    WriteAll(MapCalFileName(fresh),
             "[Def]\nPos0_X=0\nPos0_Y=0\nPos0_Lati=4600000\nPos0_Long=6000x0\nPos1_X=89\nPos1_Y=0\n"
             "Pos1_Lati=4600000\nPos1_Long=700000\n");
    ModalScript second;
    second.Then<TIniMapForm>([](TIniMapForm& w) {
        EXPECT_TRUE(w.Comment.isEmpty());
        EXPECT_EQ(w.Secteur0Label->text() + w.Secteur1Label->text(), QStringLiteral("non OKOK"));
        EXPECT_FALSE(w.CurvLongBtn->isEnabled());
        w.reject();
    });
    second.Start();
    EXPECT_EQ(f.Execute(fresh), int(mrCancel));
    EXPECT_FALSE(f.MapDef);
}

TEST_F(MapWindowsTest, ThreePointsEnteredOnANewMapAreSavedAsThree)
{
    // A new image without calibration: three quarters clicked and typed, the fourth left out,
    // saved after the warning.
    const QString image = MakeImage(QStringLiteral("trois.jpg"), 400, 300);
    TIniMapForm f;
    ModalScript script;
    script
        .Then<TIniMapForm>([&](TIniMapForm& w) {
            for (const QPoint p : {QPoint(20, 10), QPoint(380, 10), QPoint(20, 290)}) {
                QTest::mouseMove(w.PaintBox, p);
                QTest::mouseClick(w.PaintBox, Qt::LeftButton, {}, p);
            }
            Msg::PushAnswer(mrOk); // the warning
            Msg::PushInput(QStringLiteral("trois points"));
            w.OKBtnClick();
        })
        .Then<TPosEdit>([](TPosEdit& e) { TypePosition(e, "N46°00.00'", "E006°00.00'"); })
        .Then<TPosEdit>([](TPosEdit& e) { TypePosition(e, "N46°00.00'", "E007°00.00'"); })
        .Then<TPosEdit>([](TPosEdit& e) { TypePosition(e, "N45°00.00'", "E006°00.00'"); });
    script.Start();
    EXPECT_EQ(f.Execute(image), int(mrOk));
    ASSERT_TRUE(script.Done());
    ASSERT_FALSE(Msg::Log().isEmpty());
    EXPECT_TRUE(Msg::Log()[0].text.startsWith(QStringLiteral("Des secteurs ne sont pas définis.")));

    // The file holds the three points, the comment and the size; no fourth point, no bounds.
    const QString cal = MapCalFileName(image);
    const QByteArray text = ReadAll(cal);
    EXPECT_TRUE(text.contains("Pos2_X=20"));
    EXPECT_FALSE(text.contains("Pos3_")) << text.constData();
    EXPECT_FALSE(text.contains("_Max") || text.contains("_Min")) << text.constData();
    EXPECT_TRUE(text.contains("Comment=trois points")) << text.constData();

    // Read back: three points, the map refused as a background.
    TMap r;
    QString comment;
    ASSERT_TRUE(ReadMapCal(cal, r, comment));
    EXPECT_EQ(QList<bool>({r.Pos[0].Valid, r.Pos[1].Valid, r.Pos[2].Valid, r.Pos[3].Valid}),
              QList<bool>({true, true, true, false}));
    ASSERT_TRUE(TMapCatalog().Write(QStringLiteral("Trois"), image));
    Msg::ClearLog();
    EXPECT_FALSE(LoadMap(QStringLiteral("Trois")));
    EXPECT_FALSE(Map->Valid);

    // Opened again, the window shows three points defined and the fourth not.
    QString labels;
    ModalScript again;
    again.Then<TIniMapForm>([&](TIniMapForm& w) {
        labels = w.Secteur0Label->text() + u'|' + w.Secteur1Label->text() + u'|' + w.Secteur2Label->text() +
                 u'|' + w.Secteur3Label->text();
        EXPECT_FALSE(w.CurvLatiBtn->isEnabled());
        w.EscBtnClick();
    });
    again.Start();
    EXPECT_EQ(f.Execute(image), int(mrCancel));
    EXPECT_EQ(labels, QStringLiteral("OK|OK|OK|non OK"));
}

TEST_F(MapWindowsTest, CalibrationCaptureFromTheButtonsAndHelpBesideTheModalWindow)
{
    const QString image = MakeImage(QStringLiteral("k.jpg"), 300, 200);
    Calibrate(image, 300, 200);
    TIniMapForm f;
    ModalScript script;
    script.Then<TIniMapForm>([&](TIniMapForm& w) {
        w.HelpBtnClick();
        ASSERT_TRUE(w.HelpWindow);
        EXPECT_TRUE(w.HelpWindow->isVisible() && !w.HelpWindow->isModal());
        EXPECT_EQ(w.HelpWindow->parentWidget(), &w);

        QTest::mouseClick(w.CurvLatiBtn, Qt::LeftButton);
        EXPECT_TRUE(w.CurvLatiBtn->isChecked());
        EXPECT_FALSE(w.CurvLongBtn->isEnabled());
        QTest::mouseMove(w.PaintBox, QPoint(150, 50));
        EXPECT_EQ(ui.Status.last(),
                  QStringLiteral("Cliquer sur 3 points d'un même parallèle, les plus espacés possible."));
        EXPECT_TRUE(
            w.windowTitle().startsWith(QStringLiteral("k.jpg - Secteur central du parallèle - 150 , 50")));
        for (const QPoint p : {QPoint(10, 50), QPoint(150, 60), QPoint(290, 50)})
            QTest::mouseClick(w.PaintBox, Qt::LeftButton, {}, p);
        EXPECT_EQ(w.Capture.CapturedCount(), 3);
        // OK while capturing ends the capture and keeps the window open.
        w.OKBtnClick();
        EXPECT_TRUE(w.isVisible() && !w.CurvLatiBtn->isChecked() && w.CurvLongBtn->isEnabled());
        EXPECT_EQ(w.LatiLabel->text() + w.LongLabel->text(), QStringLiteral("CourbeDroite"));
        // Escape during a capture only leaves the capture.
        QTest::mouseClick(w.CurvLongBtn, Qt::LeftButton);
        w.reject();
        EXPECT_TRUE(w.isVisible());
        EXPECT_EQ(w.Capture.Mode, TCurvMode::None);
        w.EscBtnClick();
    });
    script.Start();
    EXPECT_EQ(f.Execute(image), int(mrCancel));
    EXPECT_FALSE(f.HelpWindow && f.HelpWindow->isVisible());
}

TEST_F(MapWindowsTest, LensEnlargesThePixelsAroundTheMouseWithTheMarks)
{
    TMap m;
    m.Image = QImage(40, 40, QImage::Format_Indexed8); // palette pictures are drawn part by part
    m.Image.setColorTable({qRgb(0, 0, 0), qRgb(255, 0, 0)});
    m.Image.fill(0);
    m.Image.setPixel(5, 5, 1);
    const QImage lens = TZoomBox::LensSource(m, TCurvCapture{}, QPoint(5, 5), QColor(1, 2, 3));
    EXPECT_EQ(lens.size(), QSize(27, 27));
    EXPECT_EQ(QList<QRgb>({lens.pixel(13, 13), lens.pixel(0, 0), lens.pixel(8, 8)}),
              QList<QRgb>({qRgb(255, 0, 0), qRgb(1, 2, 3), qRgb(0, 0, 0)}));
    m.Pos[0] = {20, 20, 0, 0, true};
    EXPECT_EQ(TZoomBox::LensSource(m, TCurvCapture{}, QPoint(20, 20), Qt::black).pixel(13, 13),
              qRgb(255, 255, 255));
}

TEST_F(MapWindowsTest, ChooserFiltersShowsFactsAndFollowsTheFolderByMouseAndKeys)
{
    const QString a = MakeImage(QStringLiteral("Sud/Alpes.jpg"), 20, 20);
    const QString b = MakeImage(QStringLiteral("Sud/albi.jpg"), 20, 20);
    const QString c = MakeImage(QStringLiteral("Est/Ain.jpg"), 20, 20);
    TMapCatalog cat;
    for (const auto& [name, path] : {std::pair{"Alpes", a}, {"albi", b}, {"Ain", c}}) {
        Calibrate(path, 20, 20);
        ASSERT_TRUE(cat.Write(QString::fromLatin1(name), path));
    }
    ASSERT_TRUE(cat.Write(QStringLiteral("Lost"), dir.filePath(QStringLiteral("lost.jpg"))));
    Opt->FichFondCarte = QStringLiteral("Ain");

    TReachMapForm f;
    f.InstallMode = 0;
    f.FormActivate();
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Sélection carte de fond [Ain]"));
    // Folders and paths are shown as they are on disk.
    EXPECT_EQ(f.DirName->text(), dir.path() + QStringLiteral("/Est/"));
    EXPECT_EQ(f.SelMemo->toPlainText(), QStringLiteral("Aucune carte sélectionnée"));
    QTest::keyClicks(f.Edit, QStringLiteral("lo"));
    EXPECT_EQ(f.SelMemo->toPlainText().split(u'\n').first(),
              QStringLiteral("Lost : fichier BMP et INI non trouvés"));
    f.Edit->clear();
    f.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
    const auto click = [&f](const QString& name) {
        const QList<QListWidgetItem*> found = f.ListBox->findItems(name, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1);
        QTest::mouseClick(f.ListBox->viewport(), Qt::LeftButton, {},
                          f.ListBox->visualItemRect(found.first()).center());
    };

    // Every map: the clicked map's facts.
    click(QStringLiteral("Ain"));
    EXPECT_EQ(f.SelName, QStringLiteral("Ain"));
    const QStringList facts = f.SelMemo->toPlainText().split(u'\n');
    ASSERT_GE(facts.size(), 4);
    EXPECT_TRUE(facts[0].startsWith(QStringLiteral("Ain : ")));
    EXPECT_EQ(facts.mid(2, 2), (QStringList{c, MapCalFileName(c)}));

    // Among the other folders: the clicked map's folder becomes the active one, the map stays
    // selected and OK uses it.
    f.OtherMapBtn->setChecked(true);
    EXPECT_EQ(ListItems(f), (QStringList{"albi", "Alpes", "Lost"}));
    click(QStringLiteral("albi"));
    EXPECT_TRUE(f.RepMapBtn->isChecked());
    EXPECT_EQ(f.DirName->text(), dir.path() + QStringLiteral("/Sud/"));
    EXPECT_EQ(ListItems(f), (QStringList{"albi", "Alpes"}));
    ASSERT_TRUE(f.ListBox->currentItem());
    EXPECT_EQ(f.ListBox->currentItem()->text(), QStringLiteral("albi"));
    EXPECT_TRUE(f.SelMemo->toPlainText().startsWith(QStringLiteral("albi : ")));
    // The keys the same way.
    QTest::keyClick(f.ListBox, Qt::Key_Down);
    EXPECT_TRUE(f.SelMemo->toPlainText().startsWith(QStringLiteral("Alpes : ")));
    EXPECT_TRUE(f.SelMemo->toPlainText().contains(QStringLiteral("note")));
    QTest::keyClick(f.ListBox, Qt::Key_Up);
    EXPECT_TRUE(f.SelMemo->toPlainText().startsWith(QStringLiteral("albi : ")));
    f.OKBtnClick();
    EXPECT_EQ(Opt->FichFondCarte, QStringLiteral("albi"));
    EXPECT_TRUE(Map->Valid);
    f.FormClose();

    // OK with nothing selected leaves no background map.
    f.FormActivate();
    f.OKBtnClick();
    EXPECT_FALSE(Map->Valid);
    EXPECT_TRUE(Opt->FichFondCarte.isEmpty());
    f.FormClose();
}

TEST_F(MapWindowsTest, ChooserInstallCommands)
{
    const QString a = MakeImage(QStringLiteral("m/Alpes.jpg"), 20, 20);
    const QString b = MakeImage(QStringLiteral("m/Jura.Nord.jpg"), 20, 20);
    const QString bare = MakeImage(QStringLiteral("m/bare.jpg"), 20, 20);
    Calibrate(a, 20, 20);
    Calibrate(b, 20, 20);
    TMapCatalog cat;
    ASSERT_TRUE(cat.Write(QStringLiteral("Alpes"), a));
    ASSERT_TRUE(cat.Write(QStringLiteral("Vosges"), a));
    Opt->FichFondCarte = QStringLiteral("Vosges");
    Map->Valid = true;
    Sml->Dir = QStringLiteral("/x/");

    TReachMapForm f;
    f.InstallMode = 1;
    f.FormActivate();
    EXPECT_FALSE(f.OKBtn->isVisibleTo(&f));

    // Re-install: the path kept as chosen, the proposed name cut at the first dot; an image
    // without calibration file is refused with its own message; a cancelled file dialog does
    // nothing.
    chosen = {b, bare};
    Msg::PushInput(QString(), false);
    Msg::PushInput(QStringLiteral("a=b"));
    f.RInstBtnClick();
    EXPECT_EQ(kinds.last(), fkReinstMap);
    EXPECT_EQ(TMapCatalog().PathOf(QStringLiteral("Jura")), b);
    ASSERT_EQ(Msg::Log().size(), 3);
    EXPECT_EQ(Msg::Log()[0].text, QStringLiteral("Indiquer le nom de la carte Jura.Nord.jpg"));
    EXPECT_EQ(Msg::Log()[2].text, QStringLiteral("Fichier de définition de carte %1 non trouvé.\rAjout carte "
                                                 "impossible.")
                                      .arg(MapCalFileName(bare)));
    EXPECT_TRUE(Sml->Dir.isEmpty());
    chosen.clear();
    f.RInstBtnClick();
    EXPECT_EQ(TMapCatalog().Names().size(), 3);

    // Rename by edit: the new name goes last, the background map follows it.
    f.Edit->setText(QStringLiteral("vos"));
    chosen = {a};
    Msg::ClearLog();
    ModalScript script;
    script.Then<TIniMapForm>([](TIniMapForm& w) { w.EscBtnClick(); });
    script.Start();
    Msg::PushInput(QStringLiteral("Massif"));
    f.EditBtnClick();
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(TMapCatalog().Names(), (QStringList{"Alpes", "Jura", "Massif"}));
    EXPECT_EQ(Opt->FichFondCarte, QStringLiteral("Massif"));

    // Remove asks first, names the map and keeps the files.
    f.Edit->setText(QStringLiteral("mas"));
    Msg::PushAnswer(mrNo);
    f.DelBtnClick();
    EXPECT_EQ(TMapCatalog().Names().size(), 3);
    EXPECT_EQ(Msg::Log().last().text,
              QStringLiteral("Etes-vous sûr de vouloir supprimer la carte Massif de la liste "
                             "des cartes disponibles ?"));
    f.Edit->setText(QStringLiteral("mas"));
    Msg::PushAnswer(mrYes);
    f.DelBtnClick();
    EXPECT_EQ(TMapCatalog().Names(), (QStringList{"Alpes", "Jura"}));
    EXPECT_TRUE(Opt->FichFondCarte.isEmpty());
    EXPECT_FALSE(Map->Valid);
    EXPECT_TRUE(QFile::exists(MapCalFileName(a)));
    // Nothing selected: no question.
    const int shown = int(Msg::Log().size());
    f.DelBtnClick();
    EXPECT_EQ(Msg::Log().size(), shown);

    // A catalogue that cannot be written says why and shows what is stored.
    QFile::setPermissions(IniFileName(), QFile::ReadOwner);
    chosen = {a};
    Msg::PushInput(QStringLiteral("New"));
    f.RInstBtnClick();
    EXPECT_EQ(Msg::Log().last().type, TMsgType::Error);
    EXPECT_TRUE(Msg::Log().last().text.contains(IniFileName()));
    EXPECT_EQ(ListItems(f), (QStringList{"Alpes", "Jura"}));
    QFile::setPermissions(IniFileName(), QFile::ReadOwner | QFile::WriteOwner);
    f.FormClose();
}
