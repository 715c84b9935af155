#pragma once
// Opening and saving traces, waypoint sets, tasks and airspace zones: the readers and writers
// are chosen by the upper-cased extension; status texts, rejected-record counts, failures and
// the save questions are reported to the user here.
#include "files/FileCommon.h"

#include <QString>
#include <QStringList>
#include <functional>

// Purpose of a file dialog; open kinds are even, save kinds odd.
enum TFileKind : uint8
{
    fkOpenTrj = 0,
    fkSaveTrj = 1,
    fkOpenWpt = 2,
    fkSaveWpt = 3,
    fkOpenStn = 4,
    fkSaveStn = 5,
    fkOpenMap = 6,
    fkReinstMap = 7,
    fkOpenSmp = 8,
    fkSaveSmp = 9,
};

// What the user chose in a file dialog.
struct TFileChoice
{
    QStringList Files;        // the chosen files (several only for kinds 0 and 7)
    bool AddToOpened = false; // kinds 2 and 8: add to the open set
    bool IncludeTask = true;  // kinds 1 and 5: "Inclure le circuit"
    bool IncludeWpt = false;  // kinds 1 and 5: "Inclure les way-points"
    bool ErrorList = false;   // kind 8: "Détail des erreurs"
    int DefZoneType = 0;      // kind 8: default airspace class (1..10, 0 none)
    QString SaveExt;          // save kinds: extension of the chosen filter entry (".ZPH"), or empty
};

// The application's file dialogs. Before the call Choice holds the proposed values (Files the
// proposed name or start folder, the check boxes); false when the user cancelled.
using TFileDialogHook = std::function<bool(TFileKind Kind, TFileChoice& Choice)>;
void SetFileDialogHook(TFileDialogHook Hook);
// Runs the installed dialog: false when cancelled, when nothing was chosen or without a dialog.
bool AskFileNames(TFileKind Kind, TFileChoice& Choice);

// Which flights of a file holding several to keep: the application's choice window. Answers
// mrOk with Index, mrAll or mrCancel. Without a hook every flight is kept.
using TFlightChoiceHook = std::function<int(const QString& FileName, const QStringList& Flights, int& Index)>;
void SetFlightChoiceHook(TFlightChoiceHook Hook);

// Opens trace files (the open dialog, several files, when FileName is empty); WithTask 0 leaves
// out the task and waypoints stored in a file. Returns the number of traces opened.
int OpenTrjFiles(const QString& FileName, int WithTask);
// Opens a waypoint file as the current set, or adds its waypoints to the open set. Cancelled,
// when given, tells whether the user kept the open set at the save question.
bool OpenSwpFile(const QString& FileName, bool AddToOpened = false, bool* Cancelled = nullptr);
// Opens an own-format task into the current task Stn (a trace must be open).
bool OpenStnFile(const QString& FileName);
// Opens an airspace file as the zone set Smp, or adds its zones to it.
bool OpenSmpFile(const QString& FileName, int DefZoneType = 0, bool AddToOpened = false);

// Save questions: when the object is modified, ask Yes/No/Cancel and save on Yes. False on
// Cancel and when the save failed or was cancelled (the caller then keeps the object).
bool AskSaveTrj(TTrj* T);
bool AskSaveSwp();
bool AskSaveStn();
// Frees the current waypoint set (no question); nothing without one.
void FreeSwp();

// Saves with the save dialog when FileName is empty; failures are reported. Saving marks the
// object saved; the last-file option follows.
bool SaveTrjFile(TTrj* T, const QString& FileName, bool IncludeTask, bool IncludeWpt);
bool SaveSwpFile(const QString& FileName);
bool SaveStnFile(const QString& FileName, bool IncludeWpt);

// Writers without questions: by the extension of FileName, through a temporary file renamed
// over the target. False with Error (user's language).
// Traces: ZPH (with the task and the current waypoint set as asked), IGC, KML, DAT.
bool WriteTrjFile(const TTrj& T, const QString& FileName, bool IncludeTask, bool IncludeWpt, QString& Error);
// Waypoints: ZPH, WPT, DAT, WPZ.
bool WriteSwpFile(const TSwp& S, const QString& FileName, QString& Error);
// Tasks: ZPH (with the current waypoint set when IncludeWpt).
bool WriteStnFile(const TStn& Task, const QString& FileName, bool IncludeWpt, QString& Error);

// The name a save gives: the chosen name with the filter's extension appended when its own
// upper-cased extension differs.
QString WithSaveExt(const QString& FileName, const QString& SaveExt);
