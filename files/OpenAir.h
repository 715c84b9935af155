#pragma once
// OpenAir airspace files (the Winpilot text format, usually ".TXT").
//
// Records read (one a line, "*" starts a comment, also after the data of AC, V and D records):
//   AC class   starts a zone; its class:  A..F -> 1..6 ("Classe A".."Classe F"),
//              P / PROHIBITED -> 7, Q / DANGER -> 8, R / RESTRICTED -> 9, anything else
//              (CTR, TMZ, RMZ, W, GP, G, GSEC...) -> the default class handed over by the
//              open dialog (10, "Autre Zone", when that is not 1..10)
//   AY type    the zone's type in the extended format: P, Q or R (or their long names)
//              replace the class of AC; other types keep it
//   AN name    AL floor   AH ceiling   (texts kept as written)
//   V D=+|-    direction of the next arcs (+ clockwise, the default again at each AC)
//   V X=coord  centre of the next arcs and circles (kept from one zone to the next)
//   DP coord               a point of the outline
//   DA radius,start,end    an arc around the centre, radius in NM, angles in degrees
//   DB coord1, coord2      an arc around the centre from coord1 to coord2
//   DC radius              a circle around the centre, radius in NM
// Coordinates: "DD:MM:SS N DDD:MM:SS E" or with decimal minutes "DD:MM.m N DDD:MM.m W" (blanks
// before the hemisphere letters optional); text after the longitude is ignored.
// Arcs become TDrd1 (start, end as the element's own position, centre, radius in metres with
// the sign of the direction: positive clockwise); the end points of DA arcs and the radius of
// DB arcs are computed on the sphere of radius 6371 km. Circles become TDrd2.
// Terrain records (TO, TC and their SP, SB and D records) and AT, AF, AG, AI, AA, DY and other
// V variables are skipped. A record that does not convert is counted in TReadReport::Rejected
// and skipped; so is a zone without any outline element.
#include "files/FileCommon.h"
#include <QByteArray>
#include <QString>
#include <memory>

// Reads the file into a new zone set (FileName set). nullptr with R.Error when the file cannot
// be read or holds no zone.
std::unique_ptr<TSmp> ReadOpenAirFile(const QString& FileName, int DefZoneType, TReadReport& R);
std::unique_ptr<TSmp> ReadOpenAirData(const QByteArray& Data, const QString& FileName, int DefZoneType,
                                      TReadReport& R);

// Zone class (1..10) of an AC (or AY) text, DefZoneType for the classes that have none.
int OpenAirClass(const QString& Text, int DefZoneType);
