#pragma once
// Observation zones of turn points: drawing, membership and the search of reached turn points.
//
// A zone is centred on the turn point's position (TStn::TrnPos) and oriented by a course O: a
// start points along the reverse of its first leg, a finish along its last leg, a turn along
// the bisector of its two legs, away from the task. A point lies d metres from the centre and
// a = |its course from the centre - O| (0..180) off the axis. Radii are metres, angles degrees;
// a half-angle of 0 counts as 180 (a full circle). Type_Sect 0 takes the option preset of the
// kind; a shape the kind does not offer counts as shape 1.
// - Shape 1 "Droites et cercles", every kind: the inner part (d <= Rayon_Int and
//   a <= Angle_Int) joined to the outer part (d <= Rayon_Ext and a <= Angle_Ext). Angle 90 is a
//   line of half-width Rayon_Ext across the axis (the zone is the half disc on the axis side),
//   45 the FAI 90-degree sector, 180 a cylinder; inner 500 m at 0 with outer 10 km at 45 is
//   the keyhole.
// - Shape 2, turn, "Cercles concentriques": the ring Rayon_Int <= d <= Rayon_Ext.
// - Shape 2, finish and extended finish, "Droite suivant cap": a line of half-width Rayon_Ext
//   along the course Angle_Ext (0..360); the zone is the half disc on the side O points to.
// - Shape 2, extended start, "Courbe et cercle": the curve is the arc through the start
//   centred on the next turn point; the zone is d <= Rayon_Int, or d <= Rayon_Ext and no
//   nearer the next turn point than the start (behind the curve).
// Zone_Fermee 0 draws the zone closed; 1 draws it open, without its arc of radius Rayon_Ext
// unless that arc is a full circle (a start line shows as the line, an FAI sector as its
// edges). Membership is always the closed zone, boundaries included.
// Passage (FindReachedTrn): turn points in task order, each searched after the previous
// passage and within TimeMin..TimeMax (a window that is empty or misses the trace's time span
// counts as none). A turn point or finish is passed at the first fix inside its zone; a start
// at the last fix inside before the trace leaves the zone, taking the last such exit before
// the next passage. A passage sets Reached 1 and Time to the fix time; otherwise both are 0.
#include "model/Define.h"
#include <QPoint>

class QPainter;

// Metres in one 1e-5 degree of latitude on the 6371 km sphere.
constexpr double MetresPerUnit = 1.1119492664455875;

// The sector to use for a turn point of that kind: its own, or the option preset when its
// type is 0.
const TSect& EffectiveSect(const TSect& Sect, uint8 Kind);
// Kind of a turn point in its task (start, turn, finish, + 3 when extended). A task of one
// point is a start.
uint8 TrnKind(const TTrn& Trn);
// Orientation (course in degrees) of a turn point's sector in its task.
double SectOrientation(const TStn& Task, const TTrn& Trn);

// Draws the outline with the painter's pen. ScaleX and ScaleY are pixels per 1e-5 degree of
// latitude (MetresPerUnit metres) horizontally and vertically; north is up.
void BuildSector(QPainter& Canvas, QPoint PTurn, QPoint PNext, double Orientation, double ScaleX,
                 double ScaleY, uint8 Kind, const TSect& Sect);
// True when the position lies inside the sector of the turn point oriented by Orientation.
bool InSector(const TPos& P, const TPos& Centre, double Orientation, uint8 Kind, const TSect& Sect);
// The same with the next turn point's position (the extended start's curve needs it; without
// it the curve is a straight line).
bool InSector(const TPos& P, const TPos& Centre, const TPos* Next, double Orientation, uint8 Kind,
              const TSect& Sect);

// Records the passage of every turn point of the current task reached by the current trace.
void FindReachedTrn();
void FindReachedTrn(TTrj& T, TStn& Task);
// True when some turn point of the task is not associated with a reached fix.
bool TaskNeedsAssociation(const TStn& Task);
// The automatic association of the main window: FindReachedTrn then the views refreshed.
void AssocieAuto();
