#pragma once
// Waypoint names as a GPS receiver takes them, and the check before an upload that warns
// about waypoints whose names become the same once cut to the receiver's length.
#include <QString>
#include <cstdint>

// Letters a..z upper-cased, then every character outside the codes 32..96 replaced by a
// blank; the length is kept.
QString GpsName(const QString& Name);

// Counts in Count the waypoints of the current set to send (all, or only the marked ones) and
// asks, for each pair whose first N characters give the same GPS name, whether to go on:
// Yes goes on, Yes to all asks nothing more, Cancel stops (result false). The questions come
// in the order of a comparison of each waypoint with every earlier one, in set order; the
// work grows with the number of waypoints, not its square.
bool CheckGpsNames(int N, bool OnlyMarked, uint16_t& Count);
