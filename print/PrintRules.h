#pragma once
// The rules of the print dialog and the preview, apart from their windows: which views are
// offered, which options a view uses, the monochrome and scanned-map boxes, the scale lists, the
// line-style list and the zoom steps.
#include "model/Define.h"
#include "print/PrintIni.h"

#include <QString>

// The views offered as a set of bits (1 << code).
using TViewSet = uint8;
constexpr TViewSet ViewBit(uint8 Code)
{
    return TViewSet(1u << Code);
}

// What is loaded: a trace, the task's turn points, the waypoints, a valid scanned map.
struct TPrintSources
{
    bool HasTrj = false;
    int TrnCount = 0;
    int WptCount = 0;
    bool MapValid = false;
};
TViewSet OfferedViews(const TPrintSources& Src);
// The view to check: the remembered one when offered, else the first of 3, 2, 1, 5, 4 that
// is, else 5.
uint8 ChooseView(uint8 Remembered, TViewSet Offered);

// Which option controls the view uses.
struct TPrintEnables
{
    bool MapPlan = false, EchPlan = false, RepPlan = false; // also MapPlanBtn's rule
    bool MapSect = false;
    bool SmpPlan = false;
    bool AdjPlan = false;
    bool EchPlanBox = false; // with its label and CtrPlanBtn
    bool Center = false;     // the centre edits and their labels
    bool EchAlti = false;    // EchAltiBtn and EchDateBtn
    bool AdjCutt = false;
    bool CuttScales = false; // EchAltiBox, EchDateBox and their labels
    bool HeightCutt = false; // with its labels
    bool Paysage = false;
    bool PltPln = false; // PltBtn and PlnBtn
};
// ZoneSet: a zone set is loaded; ZoneCount: its zones.
TPrintEnables PrintEnables(uint8 View, const TPrintSettings& S, bool ZoneSet, int ZoneCount);
// The height the cross-section edit shows: the stored height when the edit is enabled, else 50
// (the profile band of the detail page).
int ShownCuttHeight(const TPrintEnables& E, const TPrintSettings& S);

// The boxes of the monochrome and scanned-map rule.
enum class TMonochBox
{
    Monoch,
    MapPlan,
    MapSect,
    SmpPlan
};
// Warnings of the rule.
enum class TMonochWarning
{
    None,
    MapsCleared,    // monochrome checked: the map boxes were unchecked
    MonochCleared,  // a map box checked: monochrome was unchecked
    MonochUnchecked // the user unchecked monochrome
};
// Applies the rule after the box From changed (MonochFocused: the user did it on the
// monochrome box); the boxes of S are updated.
TMonochWarning ApplyMonochRule(TPrintSettings& S, TMonochBox From, bool MonochFocused);

// A scale typed or pasted into a scale list: the digits after the last "/" (a scale reads
// "1/250000"), everything else dropped.
QString FilterScaleText(const QString& Text);

// The line-style list: entries 0..4 solid of widths 5..1, entries 5..8 pen styles 1..4 of width 1.
constexpr int StyleListCount = 9;
int StyleListEntry(const TCtp& C);
void ApplyStyleListEntry(TCtp& C, int Entry);
void StyleListPen(int Entry, uint8& Style, uint8& Width);

// Zoom of the preview, 1 to 8.
constexpr double ZoomMin = 1, ZoomMax = 8;
double ZoomIn(double Zoom);
double ZoomOut(double Zoom);
struct TZoomButtons
{
    bool Plus = false, Minus = false, Zero = false;
};
TZoomButtons ZoomButtons(double Zoom);
