// The window texts and the sector edits shared by the turn-point editor and the options.
#include "app/Langage.h"
#include "app/LangExplDir.h"
#include "app/Main.h"
#include "app/Text.h"
#include "dialogs/ExplDir.h"
#include "platform/Msg.h"
#include "platform/ProgramDir.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QWidgetAction>
#include <gtest/gtest.h>
#include <map>

namespace {

struct TLanguageGuard
{
    ~TLanguageGuard() { Language = 0; }
};

} // namespace

TEST(LangageTest, SectTypeListPerKind)
{
    const QString lines = QStringLiteral("Droites et cercles");
    const QList<QStringList> expected = {
        {lines},
        {lines, QStringLiteral("Cercles concentriques")},
        {lines, QStringLiteral("Droite suivant cap")},
        {lines, QStringLiteral("Courbe et cercle")},
        {lines},
        {lines, QStringLiteral("Droite suivant cap")},
    };
    QComboBox box;
    box.addItem(QStringLiteral("old"));
    for (uint8 k = 0; k < 6; ++k) {
        EXPECT_EQ(SectTypeNames(k), expected[k]) << int(k);
        FillSectTypeList(k, &box);
        ASSERT_EQ(box.count(), expected[k].size()) << int(k);
        for (int i = 0; i < box.count(); ++i) EXPECT_EQ(box.itemText(i), expected[k][i]);
    }
    FillSectTypeList(1, nullptr); // no list: nothing happens
}

TEST(LangageTest, SectEditsVisibleByKindAndShape)
{
    struct Case
    {
        uint8 Kind, Shape;
        bool R1, A2, A1, R2;
    };
    const Case cases[] = {
        {siStart, 1, true, true, true, true},    {siTurn, 1, true, true, true, true},
        {siTurn, 2, true, false, false, true},   {siFinish, 1, true, true, true, true},
        {siFinish, 2, false, true, false, true}, {siExtStart, 2, true, false, false, true},
        {siExtTurn, 1, true, true, true, true},  {siExtFinish, 2, false, true, false, true},
        {siStart, 2, true, true, true, true}, // not offered: lines and circles
        {siExtTurn, 2, true, true, true, true},  {siTurn, 0, true, true, true, true},
    };
    QWidget parent;
    auto* r1 = new QSpinBox(&parent);
    auto* a2 = new QSpinBox(&parent);
    auto* a1 = new QSpinBox(&parent);
    auto* r2 = new QSpinBox(&parent);
    parent.show();
    for (const Case& c : cases) {
        SetSectHints(c.Kind, c.Shape, r1, a2, a1, r2);
        const auto where = testing::Message() << "kind " << int(c.Kind) << " shape " << int(c.Shape);
        EXPECT_EQ(std::tuple(r1->isVisible(), a2->isVisible(), a1->isVisible(), r2->isVisible()),
                  std::tuple(c.R1, c.A2, c.A1, c.R2))
            << where;
        for (QSpinBox* e : {r1, a2, a1, r2})
            if (e->isVisible()) {
                EXPECT_FALSE(e->toolTip().isEmpty()) << where;
            }
        // Radii in metres by 100 up to 100 km; angles by 45 up to 180 except the finish course.
        EXPECT_EQ(std::tuple(r1->maximum(), r1->singleStep(), r2->maximum(), a1->maximum(), a1->singleStep()),
                  std::tuple(100000, 100, 100000, 180, 45));
        const bool course = (c.Kind == siFinish || c.Kind == siExtFinish) && c.Shape == 2;
        EXPECT_EQ(a2->maximum(), course ? 360 : 180) << where;
    }
    // Back from a course of 270 to half-angles: the value is brought into range.
    SetSectHints(siFinish, 2, r1, a2, a1, r2);
    a2->setValue(270);
    SetSectHints(siFinish, 1, r1, a2, a1, r2);
    EXPECT_EQ(a2->value(), 180);
    // Missing edits are allowed.
    SetSectHints(siTurn, 2, nullptr, nullptr, a1, nullptr);
    EXPECT_FALSE(a1->isVisible());
}

TEST(LangageTest, ApplyTextsToEveryKindOfControl)
{
    TLanguageGuard guard;
    QWidget root;
    auto named = [&root]<class T>(T* o, const char* name) {
        o->setParent(&root);
        o->setObjectName(QLatin1String(name));
        return o;
    };
    auto* act = named(new QAction, "Act");
    auto* menu = named(new QMenu, "Menu");
    auto* label = named(new QLabel, "Lbl");
    auto* button = named(new QPushButton, "Btn");
    auto* group = named(new QGroupBox, "Grp");
    auto* combo = named(new QComboBox, "Cmb");
    combo->addItems({QString(), QString(), QString()});
    combo->setCurrentIndex(2);
    auto* tabs = new QTabWidget(&root);
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("Page"));
    tabs->addTab(page, QString());
    const TUiText texts[] = {
        {"", "Fenêtre", "Window"},
        {"Act", "&Ouvrir", "&Open", "Ouvre.", "Opens."},
        {"Menu", "&Fichier", "&File"},
        {"Lbl", "Ligne 1\rLigne 2", nullptr},
        {"Btn", "Annuler", "Cancel", "Ferme.", nullptr},
        {"Grp", "Groupe", "Group"},
        {"Cmb", "un\ndeux\ntrois", "one\ntwo\nthree"},
        {"Page", "Feuille", "Sheet", "Bulle", "Tip"},
        {"Absent", "x", "y"},
    };
    Language = 0;
    EXPECT_EQ(ApplyTexts(&root, texts), QStringList{QStringLiteral("Absent")});
    EXPECT_EQ(QStringList({root.windowTitle(), act->text(), act->toolTip(), act->statusTip(), menu->title(),
                           label->text(), button->text(), button->toolTip(), group->title(),
                           combo->itemText(1), tabs->tabText(0), tabs->tabToolTip(0)}),
              QStringList({"Fenêtre", "&Ouvrir", "Ouvre.", "Ouvre.", "&Fichier", "Ligne 1\nLigne 2",
                           "Annuler", "Ferme.", "Groupe", "deux", "Feuille", "Bulle"}));
    EXPECT_EQ(combo->currentIndex(), 2);

    Language = 1;
    ApplyTexts(&root, texts);
    // A text without its twin stays French.
    EXPECT_EQ(QStringList({root.windowTitle(), act->text(), label->text(), button->text(), button->toolTip(),
                           combo->itemText(0), tabs->tabText(0)}),
              QStringList({"Window", "&Open", "Ligne 1\nLigne 2", "Cancel", "Ferme.", "one", "Sheet"}));
    EXPECT_EQ(combo->currentIndex(), 2);
}

TEST(LangageTest, MainWindowTextsMatchItsControls)
{
    TLanguageGuard guard;
    ModelDone();
    Msg::SetHeadless(true);
    CreateForms(QString());
    EnsureForms();
    EXPECT_TRUE(LangMainForm(*MainForm).isEmpty());
    EXPECT_TRUE(LangTextForm(*TextForm).isEmpty());
    EXPECT_TRUE(LangDirExplor(*DirExplor).isEmpty());
    EXPECT_EQ(MainForm->OuvreTrj->text(), QStringLiteral("&Ouvrir trajectoire..."));
    EXPECT_EQ(MainForm->FermeTteTrj->text(), QStringLiteral("Fermer &toutes les trajectoires"));
    EXPECT_EQ(TextForm->windowTitle(), QStringLiteral("Calculs"));
    Language = 1;
    SetFrenchTexts(); // every registered window follows the language
    EXPECT_EQ(MainForm->OuvreTrj->text(), QStringLiteral("&Open track..."));
    EXPECT_EQ(TextForm->windowTitle(), QStringLiteral("Calculations"));
    EXPECT_EQ(DirExplor->NoSwpText, QStringLiteral("A waypoints file must be opened."));
    Language = 0;
    SetFrenchTexts();
    EXPECT_EQ(MainForm->OuvreTrj->text(), QStringLiteral("&Ouvrir trajectoire..."));
    DestroyForms();
    ModelDone();
    QFile::remove(IniFileName());
}

TEST(LangageTest, EveryActionHasACaptionInBothLanguages)
{
    // The program's actions (named ones) and every entry of every menu, in both languages: a
    // caption is never empty, and never the action's name in both languages (a name that is
    // also a word of one language, as "Quitter" or "Refresh", is fine in that one).
    TLanguageGuard guard;
    ModelDone();
    Msg::SetHeadless(true);
    CreateForms(QString());
    EnsureForms();
    std::map<QAction*, std::pair<QString, QString>> seen; // action: where, caption of each language
    for (int lang : {0, 1}) {
        Language = lang;
        SetFrenchTexts();
        for (QWidget* top : QApplication::topLevelWidgets()) {
            QList<QAction*> actions;
            for (QAction* a : top->findChildren<QAction*>())
                if (!a->objectName().isEmpty()) actions << a;
            for (QMenu* m : top->findChildren<QMenu*>()) actions << m->actions();
            for (QAction* a : actions) {
                if (a->isSeparator() || qobject_cast<QWidgetAction*>(a)) continue;
                const QString where = top->objectName() + u'/' + a->objectName() + u' ' + a->text();
                EXPECT_FALSE(QString(a->text()).remove(u'&').trimmed().isEmpty())
                    << where.toStdString() << " language " << lang;
                auto& s = seen[a];
                s.first = where;
                if (a->text() != a->objectName()) s.second += QString::number(lang);
            }
        }
    }
    EXPECT_GT(seen.size(), 40u);
    for (const auto& [a, s] : seen) EXPECT_FALSE(s.second.isEmpty()) << s.first.toStdString();
    DestroyForms();
    ModelDone();
    QFile::remove(IniFileName());
}

TEST(LangageTest, RegisteredRoutinesRunInOrderAndReplaceByName)
{
    QStringList ran;
    const QStringList builtIn = LangRoutineNames();
    EXPECT_TRUE(builtIn.contains(QStringLiteral("MainForm")));
    EXPECT_TRUE(builtIn.contains(QStringLiteral("TextForm")));
    RegisterLangRoutine(QStringLiteral("TestA"), [&] { ran << QStringLiteral("A"); });
    RegisterLangRoutine(QStringLiteral("TestB"), [&] { ran << QStringLiteral("B"); });
    RegisterLangRoutine(QStringLiteral("TestA"), [&] { ran << QStringLiteral("A2"); });
    EXPECT_EQ(LangRoutineNames(), (builtIn + QStringList{QStringLiteral("TestA"), QStringLiteral("TestB")}));
    SetFrenchTexts(); // without windows the shell's own routines do nothing
    EXPECT_EQ(ran, (QStringList{QStringLiteral("A2"), QStringLiteral("B")}));
    RegisterLangRoutine(QStringLiteral("TestA"), {});
    RegisterLangRoutine(QStringLiteral("TestB"), {});
}

TEST(LangageTest, QtOwnControlsFollowTheLanguage)
{
    TLanguageGuard guard;
    QFileDialog dlg;
    dlg.setOption(QFileDialog::DontUseNativeDialog, true);
    auto* lookIn = dlg.findChild<QLabel*>(QStringLiteral("lookInLabel"));
    ASSERT_NE(lookIn, nullptr);
    const QString english = lookIn->text();

    Language = 0;
    SetFrenchTexts();
    ASSERT_TRUE(SetQtLanguage(0)) << "Qt's French catalogue is missing";
    EXPECT_NE(QCoreApplication::translate("QFileDialog", "Look in:"), QStringLiteral("Look in:"));
    QCoreApplication::processEvents();
    EXPECT_NE(lookIn->text(), english);

    Language = 1;
    SetFrenchTexts();
    QCoreApplication::processEvents();
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Look in:"), QStringLiteral("Look in:"));
    EXPECT_EQ(lookIn->text(), english);
}
