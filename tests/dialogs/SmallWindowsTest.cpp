// The shared small windows: choice, message, input, sort choice and progress.
#include "dialogs/SmallWindows.h"
#include "dialogs/Choice.h"
#include "dialogs/Info.h"
#include "dialogs/InfoPrgs.h"
#include "dialogs/Input.h"
#include "dialogs/SelSort.h"
#include "model/Define.h"
#include "platform/Msg.h"
#include "support/ModalScript.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSpinBox>
#include <QTableWidget>
#include <QTextBlock>
#include <QTextLayout>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

// Runs Step inside the dialog's modal loop.
void InLoop(QDialog& D, std::function<void()> Step)
{
    QTimer::singleShot(0, &D, Step);
}

// Modal windows are shown for real in these tests (the helper is headless offscreen otherwise).
class SmallWindows : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Language = 0;
        Msg::ClearScript();
        Msg::ClearLog();
        Msg::SetHeadless(false);
    }
    void TearDown() override
    {
        UninstallMessageWindows();
        Msg::SetHeadless(true);
        Language = 0;
    }
};

// ---- Choice window ------------------------------------------------------------------------------

TEST_F(SmallWindows, ChoiceWindowAnswersAndSize)
{
    TChoiceForm f;
    f.ListBox->addItems({"Vol 1", "Vol 2", "Vol 3"});
    InLoop(f, [&] {
        f.ListBox->setCurrentRow(2);
        f.OKBtn->click();
    });
    EXPECT_EQ(f.exec(), mrOk);
    EXPECT_EQ(f.ListBox->currentRow(), 2);
    EXPECT_EQ(f.size(), QSize(297, 216)); // the frame at 8, 281 wide; OK at 180, 28 high

    // Every showing selects the first item again.
    int atShow = -1;
    InLoop(f, [&] {
        atShow = f.ListBox->currentRow();
        f.AllBtn->click();
    });
    EXPECT_EQ(f.exec(), mrAll);
    EXPECT_EQ(atShow, 0);
    InLoop(f, [&] { f.CancelBtn->click(); });
    EXPECT_EQ(f.exec(), mrCancel);
    InLoop(f, [&] { f.reject(); }); // Escape
    EXPECT_EQ(f.exec(), mrCancel);
    EXPECT_EQ(f.OKBtn->text(), "OK");
    EXPECT_EQ(f.AllBtn->text(), "&Tout");
    EXPECT_EQ(f.CancelBtn->toolTip(), "Annule l'ouverture des trajectoires.");
}

TEST_F(SmallWindows, FlightChoiceOfTheReaders)
{
    EXPECT_EQ(FlightChoiceCaption("/vols/2023/LX01.LO4"), "Trajectoire(s) de LX01.LO4 à ouvrir :");
    Language = 1;
    EXPECT_EQ(FlightChoiceCaption("LX01.LO4"), "Track(s) of LX01.LO4 to open :");
    Language = 0;
    // One flight is not asked.
    EXPECT_EQ(ChooseFlights("a.lo4", {"only"}).Result, mrAll);
    EXPECT_EQ(ChooseFlights("a.lo4", {}).Result, mrAll);

    TChoiceForm form;
    ChoiceForm = &form;
    QString caption;
    QStringList items;
    InLoop(form, [&] {
        caption = form.windowTitle();
        for (int i = 0; i < form.ListBox->count(); ++i) items << form.ListBox->item(i)->text();
        form.ListBox->setCurrentRow(1);
        form.OKBtn->click();
    });
    const TFlightChoice c = ChooseFlights("/x/b.LO4", {"10:02", "14:30"});
    EXPECT_EQ(c.Result, mrOk);
    EXPECT_EQ(c.Index, 1);
    EXPECT_EQ(caption, "Trajectoire(s) de b.LO4 à ouvrir :");
    EXPECT_EQ(items, (QStringList{"10:02", "14:30"}));
    // The window is refilled, not appended to.
    InLoop(form, [&] {
        items.clear();
        for (int i = 0; i < form.ListBox->count(); ++i) items << form.ListBox->item(i)->text();
        form.reject();
    });
    EXPECT_EQ(ChooseFlights("c", {"x", "y", "z"}).Result, mrCancel);
    EXPECT_EQ(items.size(), 3);
    ChoiceForm = nullptr;

    // Headless: the default button, the first flight.
    Msg::SetHeadless(true);
    const TFlightChoice h = ChooseFlights("c", {"x", "y"});
    EXPECT_EQ(h.Result, mrOk);
    EXPECT_EQ(h.Index, 0);
}

// ---- Message window -----------------------------------------------------------------------------

TEST_F(SmallWindows, MessageWindowButtonsDefaultsAndEscape)
{
    TInfoForm f;
    f.SetMessage("Ligne 1\rLigne 2", TMsgType::Confirmation, mbYes | mbNo | mbCancel, QString());
    EXPECT_EQ(f.windowTitle(), "Confirmation");
    EXPECT_EQ(f.Memo->toPlainText(), "Ligne 1\nLigne 2");
    QStringList texts;
    for (QPushButton* b : f.Buttons()) texts << b->text();
    EXPECT_EQ(texts, (QStringList{"&Oui", "&Non", "Annuler"}));
    EXPECT_TRUE(f.Buttons()[0]->isDefault());
    EXPECT_EQ(f.CancelResult(), mrCancel);
    InLoop(f, [&] { f.Buttons()[1]->click(); });
    EXPECT_EQ(f.exec(), mrNo);
    InLoop(f, [&] { f.reject(); });
    EXPECT_EQ(f.exec(), mrCancel);

    // Reused for a plain message: only OK, and Escape answers OK.
    Language = 1;
    f.SetMessage("Done", TMsgType::Error, 0, QString());
    EXPECT_EQ(f.windowTitle(), "Error");
    ASSERT_EQ(f.Buttons().size(), 1);
    EXPECT_EQ(f.Buttons()[0], f.OKBtn);
    EXPECT_EQ(f.CancelResult(), mrOk);
    // Yes / No: Escape is No; OK keeps its place among Abort, Retry, Ignore.
    f.SetMessage("?", TMsgType::Warning, mbYes | mbNo, "Mine");
    EXPECT_EQ(f.windowTitle(), "Mine");
    EXPECT_EQ(f.CancelResult(), mrNo);
    f.SetMessage("?", TMsgType::Warning, mbIgnore | mbOK | mbAbort, QString());
    texts.clear();
    for (QPushButton* b : f.Buttons()) texts << b->text();
    EXPECT_EQ(texts, (QStringList{"OK", "&Abort", "&Ignore"}));
    EXPECT_TRUE(f.OKBtn->isDefault());
    EXPECT_EQ(f.OKBtn->toolTip(), "Ferme cette fenêtre d'information.");
}

TEST_F(SmallWindows, ShowTextIsModelessAndOnTop)
{
    TInfoForm f;
    f.SetMessage("q", TMsgType::Confirmation, mbYes | mbNo, QString());
    f.ShowText("Liaison perdue\rNouvel essai");
    EXPECT_TRUE(f.isVisible());
    EXPECT_FALSE(f.isModal());
    EXPECT_TRUE(f.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(f.Buttons().size(), 1);
    EXPECT_EQ(f.Memo->toPlainText(), "Liaison perdue\nNouvel essai");
    f.OKBtn->click();
    EXPECT_FALSE(f.isVisible());
}

// A message window is as tall as its text: one line gives a short window, more lines a taller
// one; a line longer than the screen allows wraps instead of running out of the window.
TEST_F(SmallWindows, MessageWindowIsAsTallAsItsText)
{
    const QString longLine = QStringLiteral("Impossible d'enregistrer le fichier ") + QString(300, u'x');
    struct Case
    {
        QString Text;
        int Lines; // lines shown at least
    } cases[] = {{"Fichier enregistré.", 1}, {"Ligne 1\rLigne 2\rLigne 3\rLigne 4", 4}, {longLine, 2}};
    for (const Case& c : cases) {
        TInfoForm f;
        f.SetMessage(c.Text, TMsgType::Information, mbOK, QString());
        f.show();
        QCoreApplication::processEvents();
        const QFontMetrics fm(f.Memo->font());
        int lines = 0;
        for (QTextBlock b = f.Memo->document()->begin(); b.isValid(); b = b.next())
            lines += b.layout()->lineCount();
        EXPECT_GE(lines, c.Lines) << c.Text.toStdString();
        const int textH = lines * fm.lineSpacing();
        EXPECT_GE(f.Memo->viewport()->height(), textH) << c.Text.toStdString();
        EXPECT_LE(f.Memo->height(), textH + 2 * fm.lineSpacing()) << c.Text.toStdString();
        const QMargins m = f.layout()->contentsMargins();
        EXPECT_LE(f.height(),
                  f.Memo->height() + f.OKBtn->height() + m.top() + m.bottom() + f.layout()->spacing() + 2)
            << c.Text.toStdString();
        EXPECT_EQ(f.Memo->horizontalScrollBar()->maximum(), 0) << c.Text.toStdString();
        EXPECT_EQ(f.Memo->verticalScrollBar()->maximum(), 0) << c.Text.toStdString();
        EXPECT_LE(f.width(), f.screen()->availableGeometry().width());
    }
}

TEST_F(SmallWindows, MessageHelperShowsItsWindowsAfterTheScript)
{
    InstallMessageWindows();
    // A scripted answer is taken first, without a window.
    Msg::PushAnswer(mrCancel);
    EXPECT_EQ(MessageDlg("scripted", TMsgType::Confirmation, mbYes | mbNo | mbCancel), mrCancel);

    // Then the message window: find it once it shows and press No.
    QString seen, prompt;
    ModalScript script;
    script
        .Then<TInfoForm>([&](TInfoForm& f) {
            seen = f.Memo->toPlainText();
            f.Buttons()[1]->click();
        })
        .Then<TInputForm>([&](TInputForm& f) {
            prompt = f.Memo->toPlainText();
            f.Edit->setText("Nouveau nom");
            f.OkBtn->click();
        })
        .Then<TInputForm>([](TInputForm& f) { f.EscBtn->click(); });
    script.Start();
    EXPECT_EQ(MessageDlg("Enregistrer ?", TMsgType::Confirmation, mbYes | mbNo), mrNo);
    EXPECT_EQ(seen, "Enregistrer ?");

    // The input window, with the value given and the text typed.
    QString v = "Ancien";
    EXPECT_TRUE(InputQuery("Renommer", "Nom du vol :\rau plus 15 caractères", v));
    EXPECT_EQ(v, "Nouveau nom");
    EXPECT_EQ(prompt, "Nom du vol :\nau plus 15 caractères");
    EXPECT_FALSE(InputQuery("Renommer", "Nom", v));
    EXPECT_EQ(v, "Nouveau nom");
    EXPECT_TRUE(script.Done());
}

// ---- Input window -----------------------------------------------------------------------------

TEST_F(SmallWindows, InputWindowSizesItselfAroundItsButtons)
{
    TInputForm f;
    f.Memo->setPlainText("Altitude :");
    f.UnitLbl->setText("m");
    f.Edit->setText("1200");
    InLoop(f, [&] { f.OkBtn->click(); });
    EXPECT_EQ(f.exec(), mrOk);
    EXPECT_EQ(f.width(), f.EscBtn->geometry().right() + 1 + f.OkBtn->x());
    EXPECT_EQ(f.height(), f.OkBtn->geometry().bottom() + 1 + 5);
    EXPECT_TRUE(f.SpinEdit->isHidden());
    EXPECT_EQ(f.SpinEdit->minimum(), 0);
    EXPECT_EQ(f.SpinEdit->maximum(), 19);
    // A text value: the edit spans the window less 10 on each side; no unit.
    f.WidenEdit();
    EXPECT_EQ(f.Edit->x(), 10);
    EXPECT_EQ(f.Edit->width(), f.width() - 20);
    EXPECT_TRUE(f.UnitLbl->isHidden());
    InLoop(f, [&] { f.reject(); });
    EXPECT_EQ(f.exec(), mrCancel);
}

// ---- Sort choice ----------------------------------------------------------------------------------

TEST_F(SmallWindows, SortChoiceOffersTheTitlesAfterTheFixedColumn)
{
    QTableWidget grid(3, 4);
    grid.setHorizontalHeaderLabels({"N°", "Nom", "Altitude", "Commentaire"});
    EXPECT_EQ(SortTitles(grid.model()), (QStringList{"Nom", "Altitude", "Commentaire"}));
    EXPECT_EQ(SortTitles(nullptr), QStringList{});
    EXPECT_EQ(SortColumn(-1, 3), 3);
    EXPECT_EQ(SortColumn(0, 3), 1);

    TSortSel s;
    s.Grid = &grid;
    s.InitCol = 2;
    QStringList offered;
    int pre = -1;
    InLoop(s, [&] {
        for (int i = 0; i < s.SortBox->count(); ++i) offered << s.SortBox->itemText(i);
        pre = s.SortBox->currentIndex();
        s.SortBox->setCurrentIndex(2);
        s.DecreaseBtn->click();
    });
    EXPECT_EQ(s.exec(), mrOk);
    EXPECT_EQ(offered, (QStringList{"Nom", "Altitude", "Commentaire"}));
    EXPECT_EQ(pre, 1);
    EXPECT_EQ(s.SortCol, 3);
    EXPECT_EQ(s.Descending, 1);

    // Nothing selected: the preselected column, ascending.
    InLoop(s, [&] {
        s.SortBox->setCurrentIndex(-1);
        s.NormSortBtn->click();
    });
    EXPECT_EQ(s.exec(), mrOk);
    EXPECT_EQ(s.SortCol, 2);
    EXPECT_EQ(s.Descending, 0);
    InLoop(s, [&] { s.EscBtn->click(); });
    EXPECT_EQ(s.exec(), mrCancel);

    // A grid with one data column offers one entry.
    QTableWidget one(1, 2);
    s.Grid = &one;
    s.InitCol = 1;
    int count = -1;
    InLoop(s, [&] {
        count = s.SortBox->count();
        s.reject();
    });
    s.exec();
    EXPECT_EQ(count, 1);
    EXPECT_EQ(s.width(), s.NormSortBtn->x() + s.EscBtn->x() + s.EscBtn->width());
    EXPECT_EQ(s.height(), s.EscBtn->geometry().bottom() + 1 + 10);
    EXPECT_EQ(s.windowTitle(), "Tri");
}

// ---- Progress window ------------------------------------------------------------------------------

TEST_F(SmallWindows, RemainingTimeEstimate)
{
    EXPECT_EQ(RemainingTimeText(10000, 100, 0), "");
    EXPECT_EQ(RemainingTimeText(10000, 100, 10), "00:01:48"); // 10 s x 1.2 x 9
    EXPECT_EQ(RemainingTimeText(10000, 100, 100), "00:00:00");
    EXPECT_EQ(RemainingTimeText(3600000, 1000, 1), "1198:48:00"); // past a day, no wrap
    EXPECT_EQ(RemainingTimeText(999, 2, 1), "00:00:01");          // 1.1988 s
}

TEST_F(SmallWindows, ProgressWindowTicksAndStops)
{
    TInfoPrgsForm f;
    f.FoundLbl->clear();
    f.ProgressBar->setValue(0);
    f.show();
    EXPECT_TRUE(f.Timer->isActive());
    EXPECT_EQ(f.Timer->interval(), 1000);
    EXPECT_TRUE(f.StartTime.isValid());
    f.TimeLbl->setText("avant");
    f.TimerTick();
    EXPECT_EQ(f.TimeLbl->text(), "avant"); // nothing before the first step
    f.ProgressBar->setValue(10);
    f.StartTime = QDateTime::currentDateTime().addMSecs(-10000);
    f.TimerTick();
    EXPECT_EQ(f.TimeLbl->text(), "Temps estimé restant : 00:01:48");
    // The stop button closes the window; the caller sees it hidden and the timer stops.
    f.EscBtn->click();
    EXPECT_FALSE(f.isVisible());
    EXPECT_FALSE(f.Timer->isActive());
    // Shown again for the next calculation: no estimate of the last one before its first step.
    f.show();
    EXPECT_TRUE(f.TimeLbl->text().isEmpty());
    f.close();
    EXPECT_EQ(f.windowTitle(), "Calcul en cours...");
    EXPECT_EQ(f.width(), f.FoundLbl->x() * 2 + f.FoundLbl->width());
    EXPECT_EQ(f.height(), f.EscBtn->geometry().bottom() + 1 + 10);
}

TEST_F(SmallWindows, CreatedOnceAndKept)
{
    QWidget owner;
    CreateSmallWindows(&owner);
    const TInfoForm* info = InfoForm;
    ASSERT_TRUE(InfoForm && InputForm && SortSel && InfoPrgsForm && ChoiceForm);
    CreateSmallWindows(&owner);
    EXPECT_EQ(InfoForm, info);
    EXPECT_EQ(InfoForm->parentWidget(), &owner);
}

} // namespace
