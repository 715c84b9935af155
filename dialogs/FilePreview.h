#pragma once
// What the file dialogs' memo shows about the file under the cursor: the header of a trace
// file, the number of waypoints or the distance and turn points of an own-format file, the size
// and calibration of a map image, the current trace's header when saving it. Every file is
// treated as hostile: unreadable or damaged files show nothing (or the "not valid" line), record
// numbers past the end add nothing, and nothing here throws.
#include "model/Define.h"

#include <QString>
#include <QStringList>

class QIODevice;

struct TPreview
{
    bool Show = false; // the memo is made visible (else it keeps its visibility)
    QStringList Lines;
};

// The preview for a dialog kind (TFileKind), the chosen filter entry (from 1, used by the
// save-trace kind) and the selected path. Texts follow Language; the save-trace kind reads the
// current trace Trj.
TPreview FilePreview(int Kind, int FilterEntry, const QString& Path);

// What each kind shows, on its own.
// Trace summary lines (ReadTrjFileInfo with the long date); DistLabel is the distance unit.
QStringList TrjInfoLines(const TTrjFileInfo& Info, const QString& DistLabel);
// Waypoint count of an own-format file ("Nombre de way-points : 12."), empty when absent.
QStringList ZphWptCountLines(QIODevice& F);
// Task distance and turn-point names of an own-format file.
QStringList ZphTaskLines(QIODevice& F);
// Size and calibration of a map image.
QStringList MapImageLines(const QString& ImagePath);
// Header of a trace about to be saved (all five lines, empty values included).
QStringList TrjHeaderLines(const TTrj& T);
