#pragma once
// The texts of the windows: captions, menu and button texts, hints. Each window has one routine
// here (LangMainForm, LangTextForm, LangOptionForm, ...) that assigns its texts from a table, in
// French or in the English twin where one exists, chosen by Language. SetFrenchTexts runs the
// routines of the windows created at start-up; a window added later brings its own routine and
// registers it (RegisterLangRoutine) or is given its texts by its caller after creation.
//
// Also here: the sector shape list and the ranges, steps, hints and visibility of the four
// sector edits, shared by the turn-point editor and the options dialog.
#include "model/Define.h"

#include <QString>
#include <QStringList>
#include <cstddef>
#include <functional>

class QComboBox;
class QObject;
class QSpinBox;
class TGarminForm;
class TMagellanForm;
class TMlrForm;
class TMainForm;
class TOptionForm;
class TTextForm;
class TLoggForm;
class TNmeaForm;

// One text of a window. Name is the object name of a child (an action, menu, widget or tab
// page) or empty for the window itself. Text (French, English twin or nullptr) becomes the
// caption of a window, the text of an action, button, label or check box, the title of a menu
// or group box, the tab text of a tab page, or, "\n"-separated, the items of a combo box.
// Hint (French, English or nullptr) becomes the tool tip (and status tip of an action).
// "\r" in a text is a line break.
struct TUiText
{
    const char* Name;
    const char* Fr;
    const char* En = nullptr;
    const char* HintFr = nullptr;
    const char* HintEn = nullptr;
};

// The text in the current language ("\r" made a line break).
QString UiText(const char* Fr, const char* En);
// Assigns the texts of a table under Root; returns the names that were not found.
QStringList ApplyTexts(QObject* Root, const TUiText* Texts, std::size_t Count);
template <std::size_t N> QStringList ApplyTexts(QObject* Root, const TUiText (&Texts)[N])
{
    return ApplyTexts(Root, Texts, N);
}

// The routines of the windows of the application shell; each returns the names of its table
// that the window lacks (none when window and table agree).
QStringList LangMainForm(TMainForm& F);
QStringList LangTextForm(TTextForm& F);
QStringList LangOptionForm(TOptionForm& F);
QStringList LangGarminForm(TGarminForm& F);
// The device windows' captions, hints and message texts (TLoggForm::MsgTexts,
// TNmeaForm::MsgTexts).
QStringList LangLoggForm(TLoggForm& F);
QStringList LangNmeaForm(TNmeaForm& F);
QStringList LangMlrForm(TMlrForm& F);
QStringList LangMagellanForm(TMagellanForm& F);

// The routines SetFrenchTexts runs, by name, in order of registration. Registering a name
// again replaces its routine. The shell's own windows are registered from the start.
using TLangRoutine = std::function<void()>;
void RegisterLangRoutine(const QString& Name, TLangRoutine Routine);
QStringList LangRoutineNames();
// Loads Qt's own translations for the language (0 French, 1 English: none); false when Qt's
// French catalogue is missing. SetFrenchTexts runs it.
bool SetQtLanguage(int Lang);
// Assigns the texts of every window created at start-up (run at the first showing of the main
// window, and again when Language changes).
void SetFrenchTexts();

// ---- Sector edits ------------------------------------------------------------------------------

// Shapes offered for a sector kind (0..5, TSectIndex); entry i is shape i + 1: "Droites et
// cercles" first (alone for the start and the extended turn), then "Cercles concentriques"
// (turn), "Droite suivant cap" (finish, extended finish) or "Courbe et cercle" (extended start).
QStringList SectTypeNames(uint8 Kind);
// Fills the drop-down list with them (the selection is left to the caller).
void FillSectTypeList(uint8 Kind, QComboBox* List);

// Range, step, hint and visibility of one sector edit.
struct TSectEditSpec
{
    bool Visible = true;
    int Min = 0;
    int Max = 0;
    int Step = 1;
    QString Hint;
};
struct TSectEditSpecs
{
    TSectEditSpec InnerRadius, OuterAngle, InnerAngle, OuterRadius;
};
// What the four edits mean for a kind and shape (a shape the kind does not offer counts as
// shape 1, as the sector geometry reads it).
TSectEditSpecs SectEditSpecs(uint8 Kind, uint8 Shape);
// Applies them to the edits (any of which may be nullptr); values are kept within the new range.
void SetSectHints(uint8 Kind, uint8 Shape, QSpinBox* InnerRadius, QSpinBox* OuterAngle, QSpinBox* InnerAngle,
                  QSpinBox* OuterRadius);
