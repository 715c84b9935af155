#pragma once
// What the application shell decides apart from its windows: the date and time formats, the
// command line, the test-button switch, the file dialogs of each file kind and the layout of
// the views in the main window.
#include "app/PlanRender.h"
#include "files/RecFile.h"

#include <QList>
#include <QMargins>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

class QWidget;

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
// stays with the main window, unless the receiver window's minimum width needs more). Both
// windows' frames (title bar and borders, the margins the window system adds around the
// client area) lie inside the area; a window whose minimum size does not leave room for the
// other overlaps it rather than leaving the screen. Main and Nmea are client areas (what
// setGeometry takes).
struct TNmeaLayout
{
    QRect Main;
    QRect Nmea;
};
TNmeaLayout ComputeNmeaLayout(QRect Available, int NmeaWidth, QMargins MainFrame = {},
                              QMargins NmeaFrame = {}, QSize MainMin = {}, QSize NmeaMin = {});
// The client area Client moved, and shrunk when it must, so that with its frame it lies inside
// Available (the title bar first, should the minimum size not fit).
QRect KeepOnScreen(QRect Client, QMargins Frame, QRect Available, QSize Min = {});
// The margins the window system puts around a top-level window's client area; a window not
// decorated yet (not shown) borrows those of Like.
QMargins FrameMargins(const QWidget* Window, const QWidget* Like = nullptr);
constexpr int NmeaPanelWidth = 360;

// ---- Fit flag ------------------------------------------------------------------------------------

// The fit command's flag (FitShift, FitCtrl of app/PlanRender.h) from the keyboard state of a
// click.
uint8 FitFlag(Qt::KeyboardModifiers Mods);
