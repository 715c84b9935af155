#pragma once
// Observation zones of turn points: drawing, membership and the search of reached turn points.
#include "model/Define.h"
#include <QPoint>

class QPainter;

// The sector to use for a turn point of that kind: its own, or the option preset when its
// type is 0.
const TSect& EffectiveSect(const TSect& Sect, uint8 Kind);
// Kind of a turn point in its task (start, turn, finish, + 3 when extended).
uint8 TrnKind(const TTrn& Trn);
// Orientation (course in degrees) of a turn point's sector in its task.
double SectOrientation(const TStn& Task, const TTrn& Trn);

void BuildSector(QPainter& Canvas, QPoint PTurn, QPoint PNext, double Orientation, double ScaleX,
                 double ScaleY, uint8 Kind, const TSect& Sect);
// True when the position lies inside the sector of the turn point oriented by Orientation.
bool InSector(const TPos& P, const TPos& Centre, double Orientation, uint8 Kind, const TSect& Sect);

// Records the passage of every turn point of the current task reached by the current trace.
void FindReachedTrn();
void FindReachedTrn(TTrj& T, TStn& Task);
// True when some turn point of the task is not associated with a reached fix.
bool TaskNeedsAssociation(const TStn& Task);
// The automatic association of the main window: FindReachedTrn then the views refreshed.
void AssocieAuto();
