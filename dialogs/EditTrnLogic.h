#pragma once
// What the turn-point editor computes, without its window: local-time texts both ways (a
// passage after midnight stays on the trace's day), the coupling of the sector edits, and the
// turn point read from the texts, checked as a whole before anything is written.
#include "model/Define.h"

#include <QString>

// The clock of the trace a turn point belongs to.
struct TTraceClock
{
    bool Open = false; // a trace is open: the time edits mean something
    int32 TimeLoc = 0; // hours from UTC to local time
    int32 TimeMin = 0; // first and last fix times (1e-5 hour UTC, may pass 24 h)
    int32 TimeMax = 0;
    int32 Middle() const { return int32((int64_t(TimeMin) + TimeMax) / 2); }
};
TTraceClock ClockOf(const TTrj* T);

// Local time text of a UTC time, as the time edits show it (" 2:00:00").
QString LocalTimeText(int32 Utc, int32 TimeLoc);
// True when a time edit holds no digit (its mask shows only separators and blanks).
bool TimeTextEmpty(const QString& Text);
// Reads "h:mm:ss" as the time edit shows it: blanks of unfilled optional digits (" 2:00:00")
// are left out. False when HmsToTime refuses the rest.
bool ReadTimeText(const QString& Text, int32& Time);
// Value + k x 24 h, k chosen to bring it nearest Target.
int32 NearestDay(int32 Value, int32 Target);

// The values of the four sector edits.
struct TSectEdits
{
    int32 Radius1 = 0, Radius2 = 0, Angle1 = 0, Angle2 = 0;
};
enum class TSectEdit
{
    Radius1,
    Radius2,
    Angle1,
    Angle2
};
// A change of one edit: angles cut to 180 (but a finish's course line, shape 2, keeps up to
// 360), the inner radius copied into a hidden outer one, a turn's ring (shape 2) at most ten
// times as wide as its inner radius. The values hold the edit's new value on entry.
void CoupleSectChange(uint8 Kind, uint8 Shape, TSectEdit Changed, bool Radius2Hidden, TSectEdits& V);
// Leaving an edit: the inner value raises the outer, the outer lowers the inner.
void CoupleSectLeave(TSectEdit Left, TSectEdits& V);
// The preview is drawn only for ordered bounds.
inline bool SectPreviewable(const TSectEdits& V)
{
    return V.Radius1 <= V.Radius2 && V.Angle1 <= V.Angle2;
}

// The texts and choices of the editor.
struct TTrnEditTexts
{
    QString Name, Lati, Long, Cmnt;
    QString Time, TimeBeg, TimeEnd; // local time, as the masked edits give them
    bool Extended = false;
    QString RefName, RefLati, RefLong, RefCmnt;
    bool Default = true;
    TSect Sect; // the working sector
};

// A turn point's values as the editor writes them.
struct TTrnValues
{
    QString Name, Comment;
    int32 Lat = 0, Lon = 0;
    int32 Time = 0, TimeMin = 0, TimeMax = 0;
    int32 Reached = 0;
    TSect Sect;
    bool Extended = false;
    QString RefName, RefComment;
    int32 RefLat = 0, RefLon = 0;
};
TTrnValues ValuesOf(const TTrn& Trn);

// Reads the texts over Old (create mode: over an empty turn point). Returns the number of
// fields that cannot be read; Out is complete only when it is 0. Window bounds that cannot be
// read keep Old's. A passage time is taken on the day nearest the middle of the trace, its
// window bounds nearest the passage.
int ReadTrnTexts(const TTrnEditTexts& T, const TTraceClock& Clock, bool Create, const TTrnValues& Old,
                 TTrnValues& Out);
// Writes the values into the turn point. The reference waypoint: dropped (freed only when the
// turn point owns it) when not extended; else created when missing, and one that belongs to a
// waypoint set is not changed: the turn point gets its own copy when the values differ.
void WriteTrn(TTrn& Trn, const TTrnValues& V);
