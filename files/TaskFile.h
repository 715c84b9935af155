#pragma once
// The competition task file of a flight folder ("task.zpt"): INI sections "Général",
// "Départ", "Virage1".. and "Arrivée", in Windows-1252 or UTF-8. It names a waypoint file and
// the waypoints of the start, the turn points and the finish, with their radii and line types.
#include "model/Define.h"

#include <QSet>
#include <QString>

class TIniFile;

// Name of the task file a folder may hold.
QString TaskFileName(const QString& Folder);

// The competition parameters of the file ("Général", "Départ", "Arrivée"). Texts that do not
// read keep the defaults: date today, closing times 23:59.
void ReadTaskCst(const TIniFile& Ini, TCst& Cst);
// "dd/mm/yy" (two-digit years 80..99 are 19xx, else 20xx; four digits taken as they are) and
// "hh:mm[:ss]"; false when the text does not read.
bool TaskDate(const QString& Text, TDateTime& Date);
bool TaskTime(const QString& Text, TDateTime& Time);

// Waypoint names match in ASCII upper case (accented letters must match exactly).
bool SameWptName(const QString& A, const QString& B);

// Appends one turn point to Task, made from the first waypoint of Set whose name matches Name.
// Section 0 start, 1 turn point, 2 finish; LineType chooses the sector of a start or finish.
// An unknown name is reported ("WayPoint X non trouvé") unless Reported already holds it, and
// nothing is added. Returns the new turn point or nullptr.
TTrn* AddTaskTrn(TStn& Task, TSwp* Set, int Section, int LineType, const QString& Name, int Radius,
                 QSet<QString>* Reported = nullptr);

enum class TTaskLoad
{
    NoFile,    // the folder holds no task file
    Cancelled, // the user kept the open waypoint set: nothing of the task was taken
    Loaded,    // parameters read, turn points added to the task (when there is one)
};

// Reads the task file FileName: the parameters into Cst, the waypoint file it names as the
// current set (OpenSwpFile, which offers a modified set for saving), then the turn points
// appended to Task (none when Task is nullptr: no trace to receive them). A missing waypoint
// file says "Fichier way-point non trouvé"; an unreadable one says what the reader found; the
// turn points are then searched in the set that is open.
TTaskLoad LoadTaskFile(const QString& FileName, TCst& Cst, TStn* Task);
// The same on a profile already read; OpenWaypoints false leaves the waypoint file unopened.
TTaskLoad LoadTaskIni(const TIniFile& Ini, TCst& Cst, TStn* Task, bool OpenWaypoints = true);
