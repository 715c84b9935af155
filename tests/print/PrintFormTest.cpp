// The print dialog, the preview and the progress box, driven from the main window offscreen.
#include "app/Langage.h"
#include "app/Main.h"
#include "app/Plan.h"
#include "model/Define.h"
#include "model/Texts.h"
#include "platform/Msg.h"
#include "platform/ProgramDir.h"
#include "print/Infoprnf.h"
#include "print/Preview.h"
#include "print/Print.h"
#include "print/PrintJob.h"
#include "support/Fixtures.h"
#include "support/PdfProbe.h"
#include "support/ProgramFixture.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// No scheduler answers here: the printer list is "PDF" alone.
const bool NoCups = qputenv("CUPS_SERVER", "/nonexistent/zephalon-no-cups.sock");
const QString Flight = QStringLiteral(ZPH_TESTDATA "/igc/01lz1hq1.igc");

class PrintFormTest : public ProgramFixture
{
protected:
    QTemporaryDir dir;
    QString out;
    int asked = 0;

    void SetUp() override
    {
        ProgramFixture::SetUp();
        out = dir.filePath(QStringLiteral("page.pdf"));
        SetPdfFileAsker([this](const QString&, QString& Name) {
            ++asked;
            Name = out;
            return true;
        });
    }
    void TearDown() override
    {
        SetPdfFileAsker(nullptr);
        SetColorRunner(nullptr);
        SetFontRunner(nullptr);
        SetPageSetupRunner(nullptr);
        ProgramFixture::TearDown();
    }
    void Start(const QString& File, int Association = mrNo)
    {
        if (!File.isEmpty()) Msg::PushAnswer(Association);
        StartProgram(File);
        Msg::ClearScript();
        Msg::ClearLog();
        PrnView = pvDetail; // the view remembered by an earlier test
    }
    void Open()
    {
        MainForm->Imprime->trigger();
        QCoreApplication::processEvents();
        ASSERT_TRUE(PrintForm->isVisible());
    }
    int Reached() const
    {
        int n = 0;
        for (TTrn* t = Stn ? Stn->First : nullptr; t; t = t->Next) n += t->Reached != 0;
        return n;
    }
    static void SaveArtefact(const QImage& Img, const QString& Name)
    {
        const QString folder = qEnvironmentVariable("ZPH_ARTEFACTS");
        if (!folder.isEmpty()) Img.save(QDir(folder).filePath(Name + QStringLiteral(".png")));
    }
};

TEST_F(PrintFormTest, OpensOnTheMainSheetWithTheFlightViews)
{
    Start(Flight);
    ASSERT_TRUE(Trj && Stn && Stn->Count > 1);
    PrintForm->PageControl->setCurrentIndex(3);
    Open();
    EXPECT_EQ(PrintForm->PageControl->currentWidget(), PrintForm->MainSheet);
    EXPECT_TRUE(PrintForm->VueDetailBtn->isChecked());
    EXPECT_TRUE(PrintForm->VueTaskBtn->isEnabled());
    EXPECT_FALSE(PrintForm->ListWptBtn->isEnabled());
    EXPECT_EQ(PrintForm->PrinterList->currentText(), PdfPrinterName);
    EXPECT_FALSE(PrintForm->PaysageBtn->isEnabled());
    EXPECT_EQ(PrintForm->HeightCutt->value(), 50);
    for (int i = 0; i < PrintForm->PageControl->count(); ++i) {
        PrintForm->PageControl->setCurrentIndex(i);
        SaveArtefact(PrintForm->grab().toImage(), QStringLiteral("print-sheet-%1").arg(i));
    }

    // The cross-section shows the stored height; the detail view's 50 never overwrites it.
    PrintForm->VueCuttBtn->click();
    EXPECT_EQ(PrintForm->HeightCutt->value(), 100);
    EXPECT_TRUE(PrintForm->PaysageBtn->isEnabled());
    PrintForm->PaysageBtn->setChecked(true);
    PrintForm->VueDetailBtn->click();
    EXPECT_TRUE(PrintForm->PortraitBtn->isChecked());
    EXPECT_EQ(PrintForm->S.HauteurCoupe, 100);

    // Monochrome and the scanned maps exclude each other, with a warning.
    PrintForm->MonochBtn->setChecked(true);
    PrintForm->MapPlanBtn->click();
    EXPECT_FALSE(PrintForm->MonochBtn->isChecked());
    ASSERT_EQ(Msg::Log().size(), 1);
    EXPECT_TRUE(Msg::Log()[0].text.startsWith(QStringLiteral("Les options")));
    PrintForm->MapPlanBtn->click();
    EXPECT_TRUE(PrintForm->MonochBtn->isChecked());

    PrintForm->MapSectBtn->click();
    PrintForm->MonochBtn->click();
    EXPECT_FALSE(PrintForm->MapSectBtn->isChecked());
    ASSERT_EQ(Msg::Log().size(), 3);
    EXPECT_TRUE(Msg::Log()[2].text.startsWith(QStringLiteral("Cette option")));

    // Scale lists drop what is not a scale, typed or pasted.
    PrintForm->VuePlanBtn->click();
    PrintForm->AdjPlanBtn->setChecked(false);
    PrintForm->AdjPlanBtn->clicked(false);
    QLineEdit* scale = PrintForm->EchPlanBox->lineEdit();
    scale->clear();
    QTest::keyClicks(scale, QStringLiteral("2x5"));
    EXPECT_EQ(scale->text(), QStringLiteral("25"));
    QGuiApplication::clipboard()->setText(QStringLiteral("1/250000"));
    scale->selectAll();
    scale->paste();
    EXPECT_EQ(scale->text(), QStringLiteral("250000"));

    PrintForm->CloseBtn->click();
    EXPECT_FALSE(PrintForm->isVisible());
    EXPECT_EQ(PrintForm->OutMode, 0);
}

TEST_F(PrintFormTest, PreviewKeepsTheCommentAndANewOpeningReloadsIt)
{
    Start(Flight);
    Open();
    PrintForm->DefCmntEdit->setText(QStringLiteral("Championnat"));
    PrintForm->CmntEdit->setText(QStringLiteral("Vol du jour"));
    PrintForm->ViewBtn->click();
    QCoreApplication::processEvents();
    ASSERT_TRUE(PreviewForm->isVisible());
    EXPECT_FALSE(PrintForm->isVisible());
    EXPECT_EQ(PreviewForm->windowTitle(), PreviewForm->CaptionPrev);

    // What the window shows is the page the page code draws at that scale.
    TPreviewPaintBox* box = PreviewForm->PaintBox;
    ASSERT_GT(box->width(), 100);
    const QImage shown = box->grab().toImage().convertToFormat(QImage::Format_RGB32);
    QImage direct(box->size(), QImage::Format_RGB32);
    direct.fill(Qt::white);
    {
        QPainter p(&direct);
        TPageContext c;
        c.SetGeometry(PrintForm->PageGeo);
        c.PaintBox = box->size();
        c.OutMode = 2;
        c.Zoom = 1;
        c.Visible = direct.rect();
        DrawPage(p, c, PrintForm->S);
    }
    SaveArtefact(PreviewForm->grab().toImage(), QStringLiteral("preview"));
    int differ = 0, inked = 0;
    for (int y = 0; y < direct.height(); ++y)
        for (int x = 0; x < direct.width(); ++x) {
            differ += shown.pixel(x, y) != direct.pixel(x, y);
            inked += direct.pixel(x, y) != qRgb(255, 255, 255);
        }
    EXPECT_GT(inked, 1000);
    EXPECT_LT(differ, direct.width() * direct.height() / 200);

    // Zoom steps and their buttons.
    const QSize fit = box->size();
    for (double z : {2.0, 4.0, 8.0, 8.0}) {
        PreviewForm->ZoomPlus->trigger();
        EXPECT_EQ(PrintForm->Zoom, z);
    }
    EXPECT_FALSE(PreviewForm->ZoomPlus->isEnabled());
    EXPECT_GT(box->width(), 7 * fit.width());
    // A zoom keeps the point at the middle of the view where it was (here the page's middle,
    // then a point scrolled to at zoom 4).
    const auto middle = [&] {
        const QWidget* vp = PreviewForm->ScrollBox->viewport();
        return QPointF(box->mapFrom(vp, vp->rect().center())) / box->width();
    };
    EXPECT_NEAR(middle().x(), 0.5, 0.01);
    EXPECT_NEAR(middle().y() * box->width() / box->height(), 0.5, 0.01);
    PreviewForm->ZoomMoins->trigger();
    PreviewForm->ScrollBox->horizontalScrollBar()->setValue(box->width() / 5);
    const QPointF before = middle();
    PreviewForm->ZoomPlus->trigger();
    EXPECT_NEAR(middle().x(), before.x(), 0.005);
    EXPECT_NEAR(middle().y(), before.y(), 0.005);
    PreviewForm->ZoomZero->trigger();
    EXPECT_EQ(box->size(), fit);
    EXPECT_FALSE(PreviewForm->ZoomMoins->isEnabled() || PreviewForm->ZoomZero->isEnabled());

    PreviewForm->Quitte->trigger();
    QCoreApplication::processEvents();
    EXPECT_FALSE(PreviewForm->isVisible());
    ASSERT_TRUE(PrintForm->isVisible());
    EXPECT_EQ(PrintForm->CmntEdit->text(), QStringLiteral("Vol du jour"));
    PrintForm->CloseBtn->click();
    Open();
    EXPECT_EQ(PrintForm->CmntEdit->text(), QStringLiteral("Championnat"));
    PrintForm->CloseBtn->click();
}

TEST_F(PrintFormTest, AssociationQuestionThenPrintToPdf)
{
    Start(Flight);
    ASSERT_EQ(Reached(), 0);
    Open();
    Msg::PushAnswer(mrCancel);
    PrintForm->PrintBtn->click();
    EXPECT_TRUE(PrintForm->isVisible());
    EXPECT_EQ(asked, 0);
    ASSERT_EQ(Msg::Log().size(), 1);
    EXPECT_EQ(Msg::Log()[0].text, QString(PrintForm->MsgTexts.AssocQuestion).replace(u'\r', u'\n'));

    Msg::PushAnswer(mrNo);
    PrintForm->PrintBtn->click();
    EXPECT_EQ(Reached(), 0);
    EXPECT_FALSE(PrintForm->isVisible());
    EXPECT_EQ(PdfInfo(out, QStringLiteral("Pages")), QStringLiteral("1"));
    QFile::remove(out);

    Open();
    Msg::PushAnswer(mrYes);
    PrintForm->PrintBtn->click();
    EXPECT_GT(Reached(), 0);
    EXPECT_TRUE(PdfText(out).contains(Stn->First->Name.trimmed()));
    EXPECT_FALSE(InfoPrnForm->isVisible());
}

TEST_F(PrintFormTest, PrintFromThePreviewCancelAndEscape)
{
    Start(Flight, mrYes);
    Open();
    PrintForm->VueTaskBtn->click();
    // The file name dialog cancelled: nothing printed, no message, the dialog back.
    SetPdfFileAsker([](const QString&, QString&) { return false; });
    PrintForm->PrintBtn->click();
    EXPECT_TRUE(PrintForm->isVisible());
    EXPECT_TRUE(Msg::Log().isEmpty());

    // Esc in the progress box: the run ends and nothing is written.
    SetPdfFileAsker([this](const QString&, QString& Name) {
        QTimer::singleShot(0, InfoPrnForm, [] { QTest::keyClick(InfoPrnForm, Qt::Key_Escape); });
        Name = out;
        return true;
    });
    PrintForm->PrintBtn->click();
    EXPECT_FALSE(QFile::exists(out));
    EXPECT_FALSE(InfoPrnForm->isVisible());
    EXPECT_FALSE(PrintForm->isVisible());

    SetPdfFileAsker([this](const QString&, QString& Name) {
        Name = out;
        return true;
    });
    Open();
    EXPECT_TRUE(PrintForm->VueTaskBtn->isChecked());
    PrintForm->ViewBtn->click();
    ASSERT_TRUE(PreviewForm->isVisible());
    PreviewForm->Imprime->trigger();
    QCoreApplication::processEvents();
    EXPECT_FALSE(PreviewForm->isVisible());
    EXPECT_FALSE(PrintForm->isVisible());
    EXPECT_EQ(PdfInfo(out, QStringLiteral("Pages")), QStringLiteral("1"));
}

TEST_F(PrintFormTest, SectorCheckNeedsNoDialog)
{
    Start(Flight, mrYes);
    ASSERT_TRUE(MainForm->ControleSect->isEnabled());
    MainForm->ControleSect->trigger();
    QCoreApplication::processEvents();
    ASSERT_TRUE(PreviewForm->isVisible());
    EXPECT_FALSE(PrintForm->isVisible());
    EXPECT_EQ(PreviewForm->windowTitle(), PreviewForm->CaptionCtrl);
    EXPECT_FALSE(PreviewForm->PrintBtn->isVisible());
    EXPECT_EQ(PrintForm->CtrlSect, 1);
    const QRect place = PreviewForm->PaintBox->geometry();
    PreviewForm->resize(PreviewForm->width() - 100, PreviewForm->height() + 50);
    QCoreApplication::processEvents();
    EXPECT_EQ(PreviewForm->PaintBox->geometry(), place);
    SaveArtefact(PreviewForm->grab().toImage(), QStringLiteral("sector-check"));
    PreviewForm->Quitte->trigger();
    QCoreApplication::processEvents();
    EXPECT_FALSE(PreviewForm->isVisible());
    EXPECT_FALSE(PrintForm->isVisible());
    EXPECT_EQ(PrintForm->CtrlSect, 0);

    MainForm->SupprCircuit->trigger();
    EXPECT_FALSE(MainForm->ControleSect->isEnabled());
}

TEST_F(PrintFormTest, NothingLoadedAndBadInput)
{
    Start(QString());
    Open();
    for (QRadioButton* b : {PrintForm->VuePlanBtn, PrintForm->VueCuttBtn, PrintForm->VueDetailBtn,
                            PrintForm->VueTaskBtn, PrintForm->ListWptBtn})
        EXPECT_FALSE(b->isEnabled());
    EXPECT_EQ(PrnView, pvWptList);
    EXPECT_FALSE(PrintForm->PrintBtn->isEnabled() || PrintForm->ViewBtn->isEnabled());

    // A centre beyond 90 degrees gives the plan's centre back.
    PrintForm->CtrLatiEdit->setText(QStringLiteral("N95°00.00'"));
    PrintForm->CtrLatiEditExit();
    ASSERT_EQ(Msg::Log().size(), 1);
    EXPECT_EQ(Msg::Log()[0].text, QStringLiteral("Données saisies non valides."));
    EXPECT_EQ(PrintForm->CtrLatiEdit->text(), LatiToStr(PlanForm->CtrLati));

    // Styles: the chosen colour and line of a zone class.
    PrintForm->CtpGrid->setCurrentCell(5, 0);
    SetColorRunner([](QWidget*, QColor& C) {
        C = QColor(0, 128, 0);
        return true;
    });
    PrintForm->CtpColBtn->click();
    EXPECT_TRUE(PrintForm->CtpColBtn->styleSheet().contains(QStringLiteral("#008000")));
    PrintForm->CtpStlLstClick(6);
    EXPECT_EQ(PrintForm->S.PrnZoneStyles[1].Style, 2);
    EXPECT_EQ(PrintForm->S.PrnZoneStyles[1].Width, 1);
    PrintForm->CloseBtn->click();
}

TEST_F(PrintFormTest, TextsInBothLanguages)
{
    Start(QString());
    Language = 1;
    SetFrenchTexts();
    EXPECT_EQ(PrintForm->PrintBtn->text(), QStringLiteral("&Print"));
    EXPECT_EQ(PreviewForm->ZoomPlus->toolTip(), QStringLiteral("Zooms in."));
    EXPECT_EQ(PrintForm->MsgTexts.BadCoord, QStringLiteral("Invalid data entered."));
    EXPECT_EQ(MainForm->Imprime->text(), QStringLiteral("P&rint...")); // "&p" is the waypoints' entry
    Language = 0;
    SetFrenchTexts();
    EXPECT_EQ(PrintForm->VueDetailBtn->text(), QStringLiteral("&Les 2 vues et détails"));
    EXPECT_EQ(PreviewForm->Imprime->toolTip(), QStringLiteral("Imprime et ferme cette fenêtre."));
    EXPECT_EQ(PreviewForm->CaptionCtrl, QStringLiteral("Vérification secteur points de virage"));
    EXPECT_EQ(InfoPrnForm->EscBtn->text(), QStringLiteral("Annuler"));
}

TEST_F(PrintFormTest, StoredValuesAndTheSetUpDialogs)
{
    WriteAll(IniFileName(), "[Impression]\r\nMarge_Haut=99\r\nMarge_Bas=-4\r\nDim_Marques_Way_points=1\r\n");
    Start(Flight);
    Open();
    EXPECT_EQ(PrintForm->TopEdit->value(), 30);
    EXPECT_EQ(PrintForm->BottomEdit->value(), 2);
    EXPECT_EQ(PrintForm->PrnRepSizeEdit->value(), 3);

    // The printer set-up's orientation comes back to the buttons.
    PrintForm->VueCuttBtn->click();
    SetPageSetupRunner([](QWidget*, QPrinter& P) {
        P.setPageOrientation(QPageLayout::Landscape);
        return true;
    });
    PrintForm->ConfigBtn->click();
    EXPECT_TRUE(PrintForm->PaysageBtn->isChecked());

    // A font size beyond the list is held to it.
    PrintForm->CtpGrid->setCurrentCell(2, 0);
    ASSERT_TRUE(PrintForm->CtpFntBtn->isEnabled());
    SetFontRunner([](QWidget*, QString& Family, int& Size) {
        Family = QStringLiteral("DejaVu Sans");
        Size = 40;
        return true;
    });
    PrintForm->CtpFntBtn->click();
    EXPECT_EQ(PrintForm->S.PrnStyles[1].Size, 15);
    EXPECT_EQ(PrintForm->CtpFntBtn->text(), QStringLiteral("DejaVu Sans 15"));

    // An incomplete centre is refused when the edit is left.
    PrintForm->VuePlanBtn->click();
    PrintForm->AdjPlanBtn->click();
    ASSERT_TRUE(PrintForm->CtrLongEdit->isEnabled());
    PrintForm->activateWindow();
    PrintForm->CtrLongEdit->setFocus();
    PrintForm->CtrLongEdit->setText(QStringLiteral("E14"));
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QCoreApplication::sendEvent(PrintForm->CtrLongEdit, &out);
    ASSERT_EQ(Msg::Log().size(), 1);
    EXPECT_EQ(PrintForm->CtrLongEdit->text(), LongToStr(PlanForm->CtrLong));
    PrintForm->CloseBtn->click();
}

} // namespace
