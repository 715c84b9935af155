// Every window of the program, in both languages at the default font: no text is cut (captions,
// labels, buttons, check boxes, group titles, column titles and cells, window titles), no window
// is larger than the screen, and no two controls of a window or entries of a menu share a
// mnemonic letter.
#include "app/LangPrint.h"
#include "app/LangSearch.h"
#include "app/LangTools.h"
#include "app/Langage.h"
#include "app/Main.h"
#include "app/Option.h"
#include "devices/Garmin.h"
#include "devices/Logger.h"
#include "devices/Magellan.h"
#include "devices/Mlr.h"
#include "devices/Nmea.h"
#include "dialogs/Choice.h"
#include "dialogs/EditTrn.h"
#include "dialogs/ExplDir.h"
#include "dialogs/FichDlg.h"
#include "dialogs/Info.h"
#include "dialogs/Input.h"
#include "dialogs/TestForm.h"
#include "dialogs/WebMap.h"
#include "dialogs/folderBrowse.h"
#include "files/FileCommon.h"
#include "print/Preview.h"
#include "support/ProgramFixture.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <gtest/gtest.h>

#include "support/WebEngineSanitizer.h"

namespace {

const QString IgcWithTask = QStringLiteral(ZPH_TESTDATA "/igc/1_77fv6kh1.igc");
const QString IgcFolder = QStringLiteral(ZPH_TESTDATA "/igc");

// A column need not be wider than this to be read.
constexpr int ColumnBound = 300;
// The frame's icon and buttons beside a window's title, which is drawn in a bold font a little
// larger than the windows' own.
constexpr int TitleAllowance = 150;
constexpr double TitleScale = 1.2;
// A window fits a small screen (1024 x 768 less the frame and a panel).
const QSize SmallScreen(1000, 640);

// The text as drawn: the mnemonic's "&" hidden, "&&" one ampersand.
QString Drawn(const QString& T)
{
    QString s;
    for (qsizetype i = 0; i < T.size(); ++i) {
        if (T.at(i) == u'&' && i + 1 < T.size()) ++i;
        s += T.at(i);
    }
    return s;
}

QChar Mnemonic(const QString& T)
{
    for (qsizetype i = 0; i + 1 < T.size(); ++i)
        if (T.at(i) == u'&') {
            if (T.at(i + 1) != u'&') return T.at(i + 1).toLower();
            ++i;
        }
    return QChar();
}

int TextWidth(const QFontMetrics& Fm, const QString& T)
{
    int w = 0;
    for (const QString& l : T.split(u'\n')) w = std::max(w, Fm.horizontalAdvance(l));
    return w;
}

QString Where(const QWidget* W)
{
    QString path =
        W->objectName().isEmpty() ? QString::fromLatin1(W->metaObject()->className()) : W->objectName();
    for (const QWidget* p = W->parentWidget(); p; p = p->parentWidget()) {
        if (!p->objectName().isEmpty()) path = p->objectName() + u'.' + path;
        if (p->isWindow()) break;
    }
    return path;
}

// Letters that only a French text holds.
bool LooksFrench(const QString& T)
{
    static const QString accents = QStringLiteral("éèàêçôûîâù");
    for (QChar c : T)
        if (accents.contains(c.toLower())) return true;
    return false;
}

class Checker
{
public:
    QStringList Faults;
    bool English = false;

    // Every state of the window's tab widgets in turn.
    void Window(QWidget* W)
    {
        if (!W->isVisible()) {
            W->show();
            QCoreApplication::processEvents();
        }
        CheckAll(W);
        for (QTabWidget* tabs : W->findChildren<QTabWidget*>()) {
            const int keep = tabs->currentIndex();
            for (int i = 0; i < tabs->count(); ++i) {
                tabs->setCurrentIndex(i);
                QCoreApplication::processEvents();
                CheckAll(W);
            }
            tabs->setCurrentIndex(keep);
        }
        CheckTitle(W);
        if (auto* mw = W->findChild<QMenuBar*>())
            for (QAction* a : mw->actions())
                if (a->menu()) Menu(W->objectName(), a->menu());
    }

    void Menu(const QString& Owner, QMenu* M)
    {
        QHash<QChar, QString> seen;
        for (QAction* a : M->actions()) {
            if (a->isSeparator() || !a->isVisible()) continue;
            const QChar c = Mnemonic(a->text());
            if (c.isNull()) continue;
            if (seen.contains(c))
                Add(QStringLiteral("%1 menu \"%2\": \"%3\" and \"%4\" share %5")
                        .arg(Owner, M->title(), seen[c], a->text(), c));
            else
                seen[c] = a->text();
            if (a->menu()) Menu(Owner, a->menu());
        }
    }

private:
    void Add(const QString& F)
    {
        if (!Faults.contains(F)) Faults << F;
    }
    void Cut(const QWidget* W, const QString& Text, int Need, int Have, const char* Dim = "wide")
    {
        Add(QStringLiteral("%1 \"%2\" needs %3 px %4, has %5")
                .arg(Where(W), Text)
                .arg(Need)
                .arg(QLatin1String(Dim))
                .arg(Have));
    }

    void CheckTitle(QWidget* W)
    {
        QFont f = QApplication::font();
        f.setBold(true);
        f.setPointSizeF(f.pointSizeF() * TitleScale);
        // The title bar reads "title — program".
        const QString shown = W->windowTitle() + QStringLiteral(" \u2014 Zephalon");
        const int need = QFontMetrics(f).horizontalAdvance(shown) + TitleAllowance;
        if (!W->windowTitle().isEmpty() && W->width() < need) Cut(W, W->windowTitle(), need, W->width());
        // The main window and the windows sized after it follow the screen.
        if (W == MainForm || W->objectName() == u"WebMapForm" || W->objectName() == u"NmeaForm") return;
        if (W->width() > SmallScreen.width() || W->height() > SmallScreen.height())
            Add(QStringLiteral("%1 is %2 x %3, larger than the screen")
                    .arg(Where(W))
                    .arg(W->width())
                    .arg(W->height()));
    }

    void Language(const QWidget* C, const QString& T)
    {
        if (English && LooksFrench(T)) Add(QStringLiteral("%1 \"%2\" is not English").arg(Where(C), T));
    }

    void CheckAll(QWidget* W)
    {
        QHash<QChar, QString> keys;
        const auto key = [&](const QString& T) {
            const QChar k = Mnemonic(T);
            if (k.isNull()) return;
            if (keys.contains(k))
                Add(QStringLiteral("%1: \"%2\" and \"%3\" share %4").arg(W->objectName(), keys[k], T, k));
            keys[k] = T;
        };
        Language(W, W->windowTitle());
        for (QWidget* c : W->findChildren<QWidget*>()) {
            if (c->window() != W || !c->isVisibleTo(W)) continue;
            Check(c);
            Language(c, c->toolTip());
            if (auto* b = qobject_cast<QAbstractButton*>(c)) Language(c, b->text());
            if (auto* l = qobject_cast<QLabel*>(c)) Language(c, l->text());
            if (auto* g = qobject_cast<QGroupBox*>(c)) Language(c, g->title());
            QString text;
            if (auto* b = qobject_cast<QAbstractButton*>(c)) {
                auto* tb = qobject_cast<QToolButton*>(c);
                if (!tb || !tb->defaultAction()) text = b->text();
            } else if (auto* l = qobject_cast<QLabel*>(c)) {
                if (l->buddy()) text = l->text();
            } else if (auto* g = qobject_cast<QGroupBox*>(c)) {
                text = g->title();
            } else if (auto* t = qobject_cast<QTabWidget*>(c)) {
                for (int i = 0; i < t->count(); ++i) key(t->tabText(i));
            } else if (auto* bar = qobject_cast<QMenuBar*>(c)) {
                for (QAction* a : bar->actions()) key(a->text());
            }
            key(text);
        }
    }

    void Check(QWidget* C)
    {
        const QFontMetrics fm(C->font());
        if (auto* b = qobject_cast<QPushButton*>(C)) {
            if (b->text().isEmpty()) return;
            QStyleOptionButton opt;
            opt.initFrom(b);
            if (b->autoDefault()) opt.features |= QStyleOptionButton::AutoDefaultButton;
            if (b->isDefault()) opt.features |= QStyleOptionButton::DefaultButton;
            if (b->isFlat()) opt.features |= QStyleOptionButton::Flat;
            if (b->menu()) opt.features |= QStyleOptionButton::HasMenu;
            int need = TextWidth(fm, Drawn(b->text()));
            if (!b->icon().isNull()) need += b->iconSize().width() + 4;
            need = b->style()
                       ->sizeFromContents(QStyle::CT_PushButton, &opt, QSize(need, fm.height()), b)
                       .width();
            if (b->width() < need) Cut(b, b->text(), need, b->width());
        } else if (qobject_cast<QCheckBox*>(C) || qobject_cast<QRadioButton*>(C)) {
            auto* b = static_cast<QAbstractButton*>(C);
            if (!b->text().isEmpty() && b->width() < b->sizeHint().width())
                Cut(b, b->text(), b->sizeHint().width(), b->width());
        } else if (auto* l = qobject_cast<QLabel*>(C)) {
            if (l->text().isEmpty() || !l->pixmap().isNull()) return;
            if (!l->buddy() && Qt::mightBeRichText(l->text()) == false && !Mnemonic(l->text()).isNull())
                Add(QStringLiteral("%1 \"%2\" shows its \"&\" (no buddy)").arg(Where(l), l->text()));
            if (l->wordWrap()) {
                if (l->height() < l->heightForWidth(l->width()))
                    Cut(l, l->text(), l->heightForWidth(l->width()), l->height(), "high");
                return;
            }
            const QSize need = l->minimumSizeHint();
            if (l->width() < need.width()) Cut(l, l->text(), need.width(), l->width());
            if (l->height() < need.height()) Cut(l, l->text(), need.height(), l->height(), "high");
        } else if (auto* g = qobject_cast<QGroupBox*>(C)) {
            if (g->title().isEmpty()) return;
            QStyleOptionGroupBox opt;
            opt.initFrom(g);
            opt.text = g->title();
            opt.lineWidth = 1;
            opt.midLineWidth = 0;
            opt.textAlignment = Qt::Alignment(g->alignment());
            opt.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
            if (g->isCheckable()) opt.subControls |= QStyle::SC_GroupBoxCheckBox;
            const QRect r =
                g->style()->subControlRect(QStyle::CC_GroupBox, &opt, QStyle::SC_GroupBoxLabel, g);
            if (r.right() + 1 > g->width()) Cut(g, g->title(), r.right() + 1, g->width());
        } else if (auto* h = qobject_cast<QHeaderView*>(C)) {
            if (h->orientation() != Qt::Horizontal || !h->model()) return;
            for (int s = 0; s < h->count(); ++s) {
                if (h->isSectionHidden(s)) continue;
                const QString t = h->model()->headerData(s, Qt::Horizontal).toString();
                const int need = std::min(ColumnBound, h->sectionSizeHint(s));
                if (!t.isEmpty() && h->sectionSize(s) < need) Cut(h, t, need, h->sectionSize(s));
            }
        } else if (auto* v = qobject_cast<QAbstractItemView*>(C)) {
            QHeaderView* h = nullptr;
            if (auto* t = qobject_cast<QTableView*>(v)) h = t->horizontalHeader();
            if (auto* t = qobject_cast<QTreeView*>(v)) h = t->header();
            if (!h || !v->model() || v->model()->rowCount() == 0) return;
            for (int s = 0; s < h->count(); ++s) {
                if (h->isSectionHidden(s) || h->sectionResizeMode(s) == QHeaderView::Stretch) continue;
                if (h->stretchLastSection() && s == h->logicalIndex(h->count() - 1)) continue;
                const int need = std::min(ColumnBound, v->sizeHintForColumn(s));
                if (h->sectionSize(s) < need)
                    Cut(v,
                        QStringLiteral("column %1 (%2)")
                            .arg(s)
                            .arg(v->model()->headerData(s, Qt::Horizontal).toString()),
                        need, h->sectionSize(s));
            }
        }
    }
};

class WindowTexts : public ProgramFixture, public ::testing::WithParamInterface<int>
{
protected:
    void TearDown() override
    {
        for (QWidget* w : fOwned) delete w;
        ProgramFixture::TearDown();
    }
    template <class T> T* Own(T* W)
    {
        fOwned << W;
        return W;
    }
    QList<QPointer<QWidget>> fOwned;
};

TEST_P(WindowTexts, EveryWindowShowsItsTextsWholeWithItsOwnKeys)
{
    StartProgram(IgcWithTask);
    ASSERT_TRUE(Trj);
    Language = GetParam();
    SetFrenchTexts();

    // The windows made on demand, as their commands make them.
    auto* opt = Own(new TOptionForm(MainForm));
    LangOptionForm(*opt);
    auto* garmin = Own(new TGarminForm(MainForm));
    LangGarminForm(*garmin);
    auto* mlr = Own(new TMlrForm(MainForm));
    LangMlrForm(*mlr);
    auto* magellan = Own(new TMagellanForm(MainForm));
    LangMagellanForm(*magellan);
    auto* logger = Own(new TLoggForm(MainForm));
    LangLoggForm(*logger);
    auto* nmea = Own(new TNmeaForm(MainForm));
    LangNmeaForm(*nmea);
    auto* trn = Own(new TTrnEdit(MainForm));
    trn->CreateMode = 1;
    LangTrnEdit(*trn);
    auto* open = Own(new TOpenCustomDialog(MainForm));
    open->DlgKind = fkOpenTrj;
    auto* save = Own(new TSaveCustomDialog(MainForm));
    save->DlgKind = fkSaveTrj;
    MainForm->WebMapExecute();
    ASSERT_TRUE(WebMapForm);
    InfoForm->ShowText(Tr(QStringLiteral("Fichier enregistré."), QStringLiteral("File saved.")));
    // The explorer on a folder of flights, their summaries read.
    DirExplor->show();
    DirExplor->SetFolder(IgcFolder);
    ASSERT_TRUE(QTest::qWaitFor([] { return !DirExplor->ReadProgress->isVisible(); }, 20000));
    QTest::qWait(20);
    // Captions their callers give.
    InputForm->setWindowTitle(
        Tr(QStringLiteral("Numéro de la route à transférer"), QStringLiteral("Number of the route to send")));
    ChoiceForm->setWindowTitle(Tr(QStringLiteral("Choix du vol"), QStringLiteral("Choice of the flight")));
    // A long document in the test window's memo.
    FormTest->XmlEdit->setText(QStringLiteral(ZPH_TESTDATA "/gpx/") +
                               QDir(QStringLiteral(ZPH_TESTDATA "/gpx")).entryList({"*.gpx"}).value(0));
    FormTest->OpenXmlClick();

    Checker check;
    check.English = Language == 1;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName().isEmpty() || qobject_cast<QMenu*>(w) || w->windowType() == Qt::Popup ||
            w->windowType() == Qt::ToolTip)
            continue;
        const bool shown = w->isVisible();
        check.Window(w);
        qWarning() << "WIN" << w->objectName() << w->windowTitle() << w->size() << QApplication::font();
        if (!shown && w != MainForm) w->hide();
    }
    EXPECT_TRUE(check.Faults.isEmpty()) << check.Faults.join(u'\n').toStdString();

    // The folder picker of the explorer and Qt's own buttons in it.
    QString title, status;
    QStringList buttons;
    TBrowseForFolder::OnShow = [&](QFileDialog& D) {
        title = D.windowTitle();
        if (auto* l = D.findChild<QLabel*>(QStringLiteral("StatusText"))) status = l->text();
        for (QPushButton* b : D.findChildren<QPushButton*>()) buttons << Drawn(b->text());
        QTimer::singleShot(0, &D, &QDialog::reject);
    };
    DirExplor->BrwsFolderBtnClick();
    TBrowseForFolder::OnShow = nullptr;
    if (Language == 0) {
        EXPECT_EQ(title, QStringLiteral("Sélectionner un répertoire"));
        EXPECT_EQ(status, QStringLiteral("Choisissez un répertoire"));
        EXPECT_TRUE(buttons.contains(QStringLiteral("Annuler"))) << buttons.join(u',').toStdString();
    } else {
        EXPECT_EQ(title, QStringLiteral("Select Folder"));
        EXPECT_EQ(status, QStringLiteral("Please select a folder"));
        EXPECT_TRUE(buttons.contains(QStringLiteral("Cancel"))) << buttons.join(u',').toStdString();
    }
}

// A failed write names the file and the system's reason, each on a line of its own, so that a
// long path never runs into the reason.
TEST(FileMessages, PathAndReasonOnLinesOfTheirOwn)
{
    QTemporaryDir dir;
    const QString bad = dir.filePath(QStringLiteral("missing/zephalon.tmp"));
    QString error;
    Language = 0;
    ASSERT_FALSE(SaveFileAtomic(bad, "x", error));
    EXPECT_EQ(error, QStringLiteral("Impossible d'enregistrer le fichier :\r") + bad +
                         QStringLiteral("\rNo such file or directory"));
    Language = 1;
    ASSERT_FALSE(SaveFileAtomic(bad, "x", error));
    EXPECT_EQ(error, QStringLiteral("Cannot save the file:\r") + bad +
                         QStringLiteral("\rNo such file or directory"));
    Language = 0;
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, WindowTexts, ::testing::Values(0, 1),
                         [](const auto& Info) { return Info.param == 0 ? "French" : "English"; });

} // namespace
