#pragma once
// The rows of the waypoint-set grid without a window: how a waypoint becomes the texts of a
// row and back, the filters applied while a cell is typed, the nearest-neighbour order and
// the set rebuilt from the rows.
//
// A row keeps its waypoint's exact values beside its texts and remembers which cells the
// user changed; only those are read back, so that showing, sorting, marking and reordering a
// set never moves a waypoint by the rounding of its texts.
#include "model/Define.h"

#include <QString>
#include <array>
#include <memory>
#include <vector>

enum TSwpCol : int
{
    scNum = 0,
    scName = 1,
    scLat = 2,
    scLon = 3,
    scAlt = 4,
    scType = 5,
    scComment = 6,
    SwpColCount = 7
};

struct TSwpRow
{
    TWptBase Wpt;                          // the row's own values (Rep unused: see Marked)
    std::array<QString, SwpColCount> Text; // Text[0] unused: the number is the row's place
    uint8 Edited = 0;                      // bit c: the user changed column c
    bool Marked = false;
    bool Fresh = false;           // an inserted row: every cell is read
    const TWpt* Source = nullptr; // the waypoint of the shown set it came from
};

// Altitude text of the grid: metres on 4 digits then " m", or feet (rounded to tens) on 5
// digits then " Ft"; a negative value keeps its sign and a larger one all its digits.
QString SwpAltText(int32 AltM, bool Feet);
// Reads an altitude text (the integer before the first blank, sign allowed; empty gives 0)
// into metres; false when it is no integer.
bool SwpParseAlt(const QString& Text, bool Feet, int32& AltM);

// The row of a waypoint, in the units of the options.
TSwpRow SwpRowFromWpt(const TWpt& W);
// An empty row.
TSwpRow SwpEmptyRow();

// What the row's cell becomes after the user typed Typed into it (Saved: the text when the
// editing began). Latitude and longitude: a first character other than a blank, a digit or
// the column's hemisphere letters is put back to the saved one. Types: every character
// outside A F H L R S T (in any case) is removed.
QString SwpFilterCell(int Col, const QString& Typed, const QString& Saved);

// The row's position as it stands (the edited cells read); false when unreadable.
bool SwpRowPos(const TSwpRow& R, TPos& P);
// The row read back into a waypoint; false when a coordinate or the altitude does not read.
bool SwpRowToWpt(const TSwpRow& R, bool Feet, TWptBase& W);

// Nearest-neighbour order of the rows from the first: each next row is the nearest of those
// left on the sphere (ties to the earlier row); rows without a readable position go last in
// their order. Returns the new order as indices.
std::vector<uint32_t> SwpNearestOrder(const std::vector<TSwpRow>& Rows);

// The set rebuilt from the rows. In marked-only mode the waypoints of Old that are not marked
// follow the rows in their old order. The selected row's waypoint (none when rejected, or
// SelRow < 0) becomes SelWpt.
struct TSwpRebuild
{
    std::unique_ptr<TSwp> Set;
    int Rejected = 0;
};
TSwpRebuild SwpRebuild(const std::vector<TSwpRow>& Rows, const TSwp* Old, bool MarkedOnly, int SelRow,
                       bool Changed);
// Waypoints of Old that a marked-only grid carries without showing them.
int SwpCarriedCount(const TSwp* Old, bool MarkedOnly);
