#pragma once
// Ordering the circuit search's result rows by a column, fast enough for the ten million rows a
// search may keep, and without a window, so that it can run on a worker thread.
//
// The order is the one of the column's texts compared as plain character strings (ordinal,
// UTF-16 code units), stable in both directions (rows with equal texts keep their order). The
// texts are never built: a name column sorts by the rank of each waypoint's name among all the
// names, the Dist and FAI columns by their texts packed four bits a character into one integer;
// a stable radix sort then orders the keys. The rows themselves never move: the result is the
// order in which to show them.
#include "dialogs/CalcStnEngine.h"

#include <QString>
#include <atomic>
#include <deque>
#include <vector>

struct TStnSortSpec
{
    enum TKind { Name, Dist, Fai };
    TKind Kind = Dist;
    int Pos = 0; // for a name column: the position in TStnRow::W
    int DistWidth = 6;
    bool Descending = false;
    // For a name column: the rank of each waypoint's name (by snapshot index); one more entry,
    // last, is the rank of the empty text that a row shows for an index beyond the names.
    std::vector<uint32_t> NameRank;
};

// The ranks of Names in ordinal order, equal texts sharing a rank, followed by the rank of "".
std::vector<uint32_t> NameRanks(const std::vector<QString>& Names);

// The distance text of a grid cell: Km with one decimal, padded on the left with blanks to
// Width characters (a longer text is kept whole). Writes at most 32 characters to Buf and
// returns their count.
int DistChars(double Km, int Width, char* Buf);

// The rows shown in Order (Order[i] is the index in Rows of the i-th row shown; an empty Order
// shows them as they are) sorted as Spec asks: NewOrder receives the new order, in
// the same terms. Returns false, with NewOrder undefined, when Abort was raised meanwhile.
// Reads Rows and Order only (the window may go on showing them).
bool SortStnOrder(const std::deque<TStnRow>& Rows, const std::vector<uint32_t>& Order, const TStnSortSpec& Spec,
                  std::vector<uint32_t>& NewOrder, const std::atomic<bool>& Abort);
