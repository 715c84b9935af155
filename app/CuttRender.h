#pragma once
// Geometry and drawing of the profile view apart from the widget: altitude (pressure and GPS)
// of a trace against time, axes labelled in local time and in the altitude unit, the cursor
// and the live segment.
#include "model/Define.h"
#include "model/Texts.h"

#include <QRect>
#include <QSize>

class QPainter;

class TCuttProjection
{
public:
    // Window in time (1e-5 hour UTC) and altitude (m) and the plot rectangle it fills.
    int32 TimeMin = 0, TimeMax = TimeUnitsPerHour;
    int32 AltMin = 0, AltMax = 1000;
    QRect Plot;

    // Plot rectangle inside a widget of Size with room for the labels.
    static TCuttProjection Make(const TTrj& T, const QSize& Size, int LeftBand, int BottomBand);
    double TimeToX(double Time) const;
    double AltToY(double Alt) const;
    int32 XToTime(double X) const;
};

// The projection PaintCutt uses for a widget of Size drawn with the font metrics Fm (room for
// the altitude labels at the left and the time labels at the bottom).
class QFontMetrics;
TCuttProjection CuttProjection(const TTrj& T, const QSize& Size, const QFontMetrics& Fm);

// The view window of a trace (TTrj::ViewTimeMin..ViewAltMax) showing it whole: its time span
// (at least 10 minutes) and altitudes from the lower of both altitude minima to the higher
// maximum, over at least 100 m, with 5 % margins (not below 0 when the fixes are not).
void CuttFitWindow(TTrj& T);
// True while the view window is still empty or the bare one that loading the trace gave it
// (its time span and altitude extremes, without margins): the view fits it on first showing.
bool CuttWindowUnfitted(const TTrj& T);
// Narrows or widens the time window by Factor (> 1 zooms in) keeping Time at the same place,
// then recomputes the altitude window from the fixes inside; the window stays at least 1 minute
// long and at most 48 hours.
void CuttZoomTime(TTrj& T, double Factor, int32 Time);
// Shifts the time window by Delta, kept overlapping the trace.
void CuttPanTime(TTrj& T, int32 Delta);
// Altitude window from the fixes inside the time window.
void CuttFitAltitudes(TTrj& T);

struct TCuttMarks
{
    const TRec* Cursor = nullptr;
    bool Live = false;
};

// Paints the profile of the current trace Trj (nothing but the background without one).
void PaintCutt(QPainter& P, const QSize& Size, const TCuttMarks& Marks);
