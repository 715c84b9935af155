#pragma once
// What the application shell decides apart from its windows: the date and time formats, the
// command line, the test-button switch, the file dialogs of each file kind and the layout of
// the views in the main window.
#include "files/RecFile.h"

#include <QList>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

class TIniFile;
class QWidget;

// ---- Date and time formats -------------------------------------------------------------------

// The program's own date and time formats (the pilot's habit, whatever the desktop's locale).
struct TFormatSettings
{
    QChar DateSeparator = u'/';
    QString ShortDateFormat = QStringLiteral("dd/MM/yy");
    QChar TimeSeparator = u':';
    QString ShortTimeFormat = QStringLiteral("HH:mm");
    QString LongTimeFormat = QStringLiteral("HH:mm:ss");
};
extern TFormatSettings FormatSettings;
// Sets the formats of start-up.
void InitFormatSettings();

// ---- Command line and INI switches -----------------------------------------------------------

// The trace file named by the first command-line parameter (Args as QCoreApplication::arguments,
// program name first), or an empty text.
QString StartupTrjFile(const QStringList& Args);
// True when key "Test_Btn" of section "Interface" is set (a non-zero number or "true").
bool TestBtnWanted(const TIniFile& Ini);
bool TestBtnWanted(); // from IniFileName()

// ---- File dialogs ------------------------------------------------------------------------------

// One entry of a dialog filter: its label as shown and its patterns ("*.ZPH", "*.*").
struct TFilterEntry
{
    QString Label;
    QStringList Patterns;
};

// What the dialog of a kind looks like.
struct TFileDialogSpec
{
    QString Title;
    QString Filter; // "label|*.A;*.B|label|*.C..." as the kind defines it
    bool Save = false;
    bool MultiSelect = false;
    bool MustExist = false;
};
TFileDialogSpec FileDialogSpec(TFileKind Kind);

// Splits a "label|patterns|label|patterns" filter into its entries (a trailing label without
// patterns is dropped).
QList<TFilterEntry> ParseFilter(const QString& Filter);
// A pattern that matches names in any case ("*.IGC" -> "*.[Ii][Gg][Cc]"); "*.*" becomes "*" so
// that names without a dot match too.
QString AnyCasePattern(const QString& Pattern);
// The filter as Qt name filters: the label kept as shown, followed by its patterns in any case
// in parentheses (Qt reads the last parenthesised part as the patterns).
QStringList QtNameFilters(const QString& Filter);
// Extension of filter entry N (from 1) with its leading dot, as written in the filter (".ZPH"):
// the text after the first 2N - 1 separators, from its first "." to the next "|"; empty for
// the last entry ("*.*"), which has no separator behind it, and for N out of range.
QString SaveExtOf(const QString& Filter, int N);
// Folder a dialog starts in for a proposed file or folder: the folder itself, else the folder
// of the file, else the program folder.
QString DialogStartDir(const QString& Proposed);

// Installs plain Qt file dialogs (owned by Parent) as the file dialogs of the file commands.
void InstallPlainFileDialogs(QWidget* Parent);

// ---- Layout of the views -----------------------------------------------------------------------

// Sizes of the views in the main window's central area: the plan view big on the left above the
// profile view, the calculations panel on the right. Horizontal = {left column, panel},
// Vertical = {plan, profile}.
struct TViewSizes
{
    QList<int> Horizontal;
    QList<int> Vertical;
};
TViewSizes ComputeViewSizes(QSize Central, bool Nmea);
// The NMEA layout on a screen's available area: the main window keeps the left part and the
// live receiver window gets a strip of NmeaWidth pixels on the right (at least half the screen
// stays with the main window).
struct TNmeaLayout
{
    QRect Main;
    QRect Nmea;
};
TNmeaLayout ComputeNmeaLayout(QRect Available, int NmeaWidth);
constexpr int NmeaPanelWidth = 360;

// ---- Fit flag ------------------------------------------------------------------------------------

// The fit command's flag (TPlanForm::Ajuste) from the keyboard state of a click: 1 Shift (the
// zone set), 2 Ctrl (the scanned map's extent).
constexpr uint8 FitShift = 0x01;
constexpr uint8 FitCtrl = 0x02;
uint8 FitFlag(Qt::KeyboardModifiers Mods);
