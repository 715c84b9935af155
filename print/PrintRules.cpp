#include "print/PrintRules.h"

#include <algorithm>

TViewSet OfferedViews(const TPrintSources& Src)
{
    TViewSet s = 0;
    if (Src.HasTrj) s |= ViewBit(pvPlan) | ViewBit(pvCutt) | ViewBit(pvDetail);
    if (Src.TrnCount > 1) s |= ViewBit(pvTask);
    if (Src.WptCount > 1) s |= ViewBit(pvPlan) | ViewBit(pvWptList);
    if (Src.MapValid) s |= ViewBit(pvPlan);
    return s;
}

uint8 ChooseView(uint8 Remembered, TViewSet Offered)
{
    if (Remembered >= pvPlan && Remembered <= pvWptList && (Offered & ViewBit(Remembered))) return Remembered;
    for (uint8 v : {pvDetail, pvCutt, pvPlan, pvWptList, pvTask})
        if (Offered & ViewBit(v)) return v;
    return pvWptList;
}

TPrintEnables PrintEnables(uint8 View, const TPrintSettings& S, bool ZoneSet, int ZoneCount)
{
    const bool P = View == pvPlan, C = View == pvCutt, D = View == pvDetail, T = View == pvTask;
    TPrintEnables e;
    e.MapPlan = e.EchPlan = e.RepPlan = P || D || T;
    e.MapSect = D || T;
    e.SmpPlan = (P || D || T) && ZoneSet && ZoneCount > 0;
    e.AdjPlan = P;
    e.EchPlanBox = P && !S.AdjPlanBtn;
    e.Center = P && !S.AdjPlanBtn && !S.CtrPlanBtn;
    e.EchAlti = C || D;
    e.AdjCutt = C;
    e.CuttScales = C && !S.AdjCuttBtn;
    e.HeightCutt = C;
    e.Paysage = !D;
    e.PltPln = P || C || D;
    return e;
}

int ShownCuttHeight(const TPrintEnables& E, const TPrintSettings& S)
{
    return E.HeightCutt ? std::clamp<int>(S.HauteurCoupe, PrnCuttHeightMin, PrnCuttHeightMax) : 50;
}

TMonochWarning ApplyMonochRule(TPrintSettings& S, TMonochBox From, bool MonochFocused)
{
    const bool anyMap = S.MapPlanBtn || S.MapSectBtn;
    switch (From) {
    case TMonochBox::Monoch:
        if (S.MonochBtn && anyMap) {
            S.MapPlanBtn = S.MapSectBtn = false;
            return TMonochWarning::MapsCleared;
        }
        if (!S.MonochBtn && MonochFocused) return TMonochWarning::MonochUnchecked;
        return TMonochWarning::None;
    case TMonochBox::MapPlan:
    case TMonochBox::MapSect:
        if (S.MonochBtn && anyMap) {
            S.MonochBtn = false;
            return TMonochWarning::MonochCleared;
        }
        if (!anyMap && !S.MonochBtn) S.MonochBtn = true;
        return TMonochWarning::None;
    case TMonochBox::SmpPlan:
        break;
    }
    return TMonochWarning::None;
}

QString FilterScaleText(const QString& Text)
{
    const qsizetype slash = Text.lastIndexOf(u'/');
    QString out;
    for (qsizetype i = slash + 1; i < Text.size(); ++i)
        if (Text[i] >= u'0' && Text[i] <= u'9') out += Text[i];
    return out;
}

void StyleListPen(int Entry, uint8& Style, uint8& Width)
{
    Entry = std::clamp(Entry, 0, StyleListCount - 1);
    if (Entry < 5) {
        Style = 0;
        Width = uint8(5 - Entry);
    } else {
        Style = uint8(Entry - 4);
        Width = 1;
    }
}

int StyleListEntry(const TCtp& C)
{
    // A width of 1 is told by its pen style; wider lines are always solid.
    if (C.Width != 1) return std::clamp(5 - int(C.Width), 0, 4);
    return std::clamp(int(C.Style) + 4, 4, StyleListCount - 1);
}

void ApplyStyleListEntry(TCtp& C, int Entry)
{
    StyleListPen(Entry, C.Style, C.Width);
}

double ZoomIn(double Zoom)
{
    return std::clamp(Zoom * 2, ZoomMin, ZoomMax);
}

double ZoomOut(double Zoom)
{
    return std::clamp(Zoom / 2, ZoomMin, ZoomMax);
}

TZoomButtons ZoomButtons(double Zoom)
{
    return {Zoom<ZoomMax, Zoom> ZoomMin, Zoom != ZoomMin};
}
