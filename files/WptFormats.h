#pragma once
// Waypoint files of other programs and devices: readers into a new waypoint set, and the
// writers of the formats that can be saved.
//
// Names are cut to 15 characters and comments to 90; characters below 32 become blanks.
// Text files are read as UTF-8 when their bytes are valid UTF-8, else as Windows-1252; the
// writers write Windows-1252 (characters it lacks become "?"). Bad lines are skipped and
// counted in TReadReport::Rejected.
//
// Cambridge / Winpilot (.DAT), one waypoint a line, "*" starts a comment line:
//   number,latitude,longitude,altitude,attributes,name,comment
//   latitude "DD:MM:SSN" or "DD:MM.mmmN" (also "DD:MM.mmmmS"...), longitude "DDD:MM:SSE" or
//   "DDD:MM.mmmW"; altitude with "M" (metres) or "F" (feet); attributes are the letters
//   T A L S F H R (others ignored); the comment is the rest of the line.
//   The writer numbers from 1, writes "DD:MM.mmm" (0.001 minute, about 2 m), metres, the
//   attribute letters, the name (commas become blanks) and the comment.
//
// Zander (.WPZ), fixed columns (1-based):
//   1-12 name, 14-20 latitude DDMMSS + N/S, 22-29 longitude DDDMMSS + E/W, 31-34 altitude in
//   metres, 36-44 description (the comment), 46-47 kind ("WP" turn point, "WA" turn point on an
//   airfield, "WL" turn point where one can land), 49-52 number; anything after is free text
//   and not read.
//   Reading gives T, plus A for "WA" and L for "WL". The writer cuts names to 12 characters
//   and comments to 9, rounds to whole seconds, writes "WA" for an airport, "WL" for a landing
//   field, else "WP".
//
// Tabulated text (.WPT), one waypoint a line, fields separated by tabs:
//   name, latitude, longitude, altitude, attributes, comment
//   latitude and longitude in signed decimal degrees (north and east positive, "." decimals,
//   "," read as well;
//   the writer writes 5 decimals, the program's own resolution), altitude in whole metres,
//   attributes as the letters T A L S F H R. The writer starts with the title line
//   "Nom<tab>Latitude<tab>Longitude<tab>Altitude<tab>Attributs<tab>Commentaire"; the reader
//   skips a first line whose latitude is not a number. Tabs in texts become blanks.
//
// SeeYou (.CUP), read only: comma-separated with quoted texts; the first 11 columns are name,
//   code, country, latitude "DDMM.mmmN", longitude "DDDMM.mmmE", elevation ("m" or "ft"),
//   style, runway direction, runway length, frequency, description. Styles 2, 4 and 5
//   (airfields) give A and L, style 3 (outlanding) gives L. The title line and the task part
//   after "-----Related Tasks-----" are not waypoints.
//
// GPX (.GPX), read only: the <wpt> elements (name, ele, cmt or else desc; a sym or type that
// names an airport or airfield gives A). Routes and tracks are not waypoints.
#include "files/FileCommon.h"
#include <QByteArray>
#include <QString>
#include <memory>

// Reads a waypoint file by its upper-cased extension (DAT, WPZ, WPT, CUP, GPX). Unknown or
// unsupported types, unreadable files and files without any valid waypoint give nullptr with
// R.Error. The set's FileName is the file's name; it is not modified.
std::unique_ptr<TSwp> ReadWptFile(const QString& FileName, TReadReport& R);
// The same from bytes; Ext is the upper-cased extension without the dot.
std::unique_ptr<TSwp> ReadWptData(const QByteArray& Data, const QString& Ext, const QString& FileName,
                                  TReadReport& R);

QByteArray WriteDatSwp(const TSwp& S);
QByteArray WriteWpzSwp(const TSwp& S);
QByteArray WriteWptSwp(const TSwp& S);
