#include "app/CuttRender.h"

#include "app/PlanRender.h"
#include "model/Calc.h"
#include "model/Options.h"
#include "platform/Numbers.h"
#include "platform/WinColor.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr int32 MinWindow = TimeUnitsPerHour / 60;   // 1 minute
constexpr int32 MaxWindow = 2 * TimeUnitsPerDay;     // 48 hours
constexpr int32 FitMinWindow = TimeUnitsPerHour / 6; // 10 minutes

QColor Col(TColorIndex i)
{
    return WinColorToQColor(Colors[i]);
}

bool HasPressure(const TTrj& T)
{
    return T.AltMin != 0 || T.AltMax != 0;
}

bool HasGps(const TTrj& T)
{
    return T.AltGpsMin != 0 || T.AltGpsMax != 0;
}

// The altitude of the main curve: GPS when chosen and present (or when there is no pressure
// altitude), else pressure.
bool MainIsGps(const TTrj& T)
{
    if (!HasPressure(T)) return HasGps(T);
    return Opt && Opt->Altitude == 1 && HasGps(T);
}

} // namespace

TCuttProjection TCuttProjection::Make(const TTrj& T, const QSize& Size, int LeftBand, int BottomBand)
{
    TCuttProjection Pr;
    Pr.TimeMin = T.ViewTimeMin;
    Pr.TimeMax = T.ViewTimeMax;
    if (Pr.TimeMax <= Pr.TimeMin) {
        Pr.TimeMin = T.TimeMin;
        Pr.TimeMax = std::max(T.TimeMax, T.TimeMin + 1);
    }
    Pr.AltMin = T.ViewAltMin;
    Pr.AltMax = T.ViewAltMax;
    if (Pr.AltMax <= Pr.AltMin) Pr.AltMax = Pr.AltMin + 1;
    constexpr int top = 8, right = 12;
    Pr.Plot = QRect(LeftBand, top, std::max(1, Size.width() - LeftBand - right),
                    std::max(1, Size.height() - BottomBand - top));
    return Pr;
}

double TCuttProjection::TimeToX(double Time) const
{
    return Plot.left() + (Time - TimeMin) * Plot.width() / double(TimeMax - TimeMin);
}

double TCuttProjection::AltToY(double Alt) const
{
    return Plot.top() + (AltMax - Alt) * Plot.height() / double(AltMax - AltMin);
}

int32 TCuttProjection::XToTime(double X) const
{
    return Round(TimeMin + (X - Plot.left()) * double(TimeMax - TimeMin) / Plot.width());
}

TCuttProjection CuttProjection(const TTrj& T, const QSize& Size, const QFontMetrics& Fm)
{
    const int leftBand = Fm.horizontalAdvance(QStringLiteral("10000 Ft")) + 10;
    const int bottomBand = Fm.height() + 6;
    return TCuttProjection::Make(T, Size, leftBand, bottomBand);
}

// ---- View window ----------------------------------------------------------------------------

void CuttFitAltitudes(TTrj& T)
{
    const bool pres = HasPressure(T), gps = HasGps(T);
    bool any = false;
    int32 lo = 0, hi = 0;
    for (const TRec* R = T.First; R; R = R->Next) {
        if (R->Time < T.ViewTimeMin || R->Time > T.ViewTimeMax) continue;
        const int32 v[2] = {R->Alt, R->AltGps};
        const bool use[2] = {pres, gps};
        for (int i = 0; i < 2; ++i) {
            if (!use[i]) continue;
            if (!any) {
                lo = hi = v[i];
                any = true;
            } else {
                lo = std::min(lo, v[i]);
                hi = std::max(hi, v[i]);
            }
        }
    }
    if (!any) {
        lo = std::min(pres ? T.AltMin : T.AltGpsMin, gps ? T.AltGpsMin : T.AltMin);
        hi = std::max(pres ? T.AltMax : T.AltGpsMax, gps ? T.AltGpsMax : T.AltMax);
    }
    // At least 100 m shown, the range in the middle, plus 5 % on each side; on the ground the
    // window does not go below 0 m when the fixes do not.
    const double range = double(hi) - lo, span = std::max(100.0, range);
    const double pad = (span - range) / 2 + 0.05 * span;
    double bottom = lo - pad, top = hi + pad;
    if (lo >= 0 && bottom < 0) {
        top -= bottom;
        bottom = 0;
    }
    T.ViewAltMin = Round(bottom);
    T.ViewAltMax = std::max(Round(top), T.ViewAltMin + 1);
}

void CuttFitWindow(TTrj& T)
{
    if (!T.First) return;
    T.ViewTimeMin = T.TimeMin;
    T.ViewTimeMax = T.TimeMax;
    if (int64_t(T.ViewTimeMax) - T.ViewTimeMin < FitMinWindow) {
        const int32 c = Round((double(T.TimeMin) + T.TimeMax) / 2);
        T.ViewTimeMin = c - FitMinWindow / 2;
        T.ViewTimeMax = c + FitMinWindow / 2;
    }
    CuttFitAltitudes(T);
}

bool CuttWindowUnfitted(const TTrj& T)
{
    if (T.ViewTimeMax <= T.ViewTimeMin || T.ViewAltMax <= T.ViewAltMin) return true;
    const int32 altMin = std::min(T.AltMin, T.AltGpsMin);
    return T.ViewTimeMin == T.TimeMin && T.ViewTimeMax == std::max(T.TimeMax, T.TimeMin + 1) &&
           T.ViewAltMin == altMin && T.ViewAltMax == std::max({T.AltMax, T.AltGpsMax, altMin + 1});
}

void CuttPanTime(TTrj& T, int32 Delta)
{
    const int64_t span = int64_t(T.ViewTimeMax) - T.ViewTimeMin;
    int64_t lo = int64_t(T.ViewTimeMin) + Delta;
    // At least a tenth of the window keeps showing the trace.
    const int64_t minLo = int64_t(T.TimeMin) + span / 10 - span;
    const int64_t maxLo = int64_t(T.TimeMax) - span / 10;
    lo = std::clamp(lo, std::min(minLo, maxLo), std::max(minLo, maxLo));
    T.ViewTimeMin = int32(lo);
    T.ViewTimeMax = int32(lo + span);
    CuttFitAltitudes(T);
}

void CuttZoomTime(TTrj& T, double Factor, int32 Time)
{
    if (!(Factor > 0) || !std::isfinite(Factor)) return;
    const double span = std::max(1.0, double(T.ViewTimeMax) - T.ViewTimeMin);
    const double frac = std::clamp((Time - double(T.ViewTimeMin)) / span, 0.0, 1.0);
    const double newSpan = std::clamp(span / Factor, double(MinWindow), double(MaxWindow));
    const double lo = Time - frac * newSpan;
    T.ViewTimeMin = Round(lo);
    T.ViewTimeMax = Round(lo + newSpan);
    CuttPanTime(T, 0);
}

// ---- Painting -------------------------------------------------------------------------------

namespace {

// One curve of altitudes from From to To (inclusive), as polylines broken at fixes of kind 1;
// with Engine the pen widens by the engine-noise rule.
void DrawCurve(QPainter& P, const TCuttProjection& Pr, const TTrj& T, const TRec* From, const TRec* To,
               bool Gps, QPen Pen, bool Engine)
{
    const int base = std::max(1, Pen.width());
    std::vector<QPointF> run;
    int runWidth = base;
    auto flush = [&]() {
        if (run.size() >= 2) {
            Pen.setWidth(runWidth);
            P.setPen(Pen);
            P.drawPolyline(run.data(), int(run.size()));
        } else if (run.size() == 1) {
            Pen.setWidth(runWidth);
            P.setPen(Pen);
            P.drawPoint(run.front());
        }
        run.clear();
    };
    // Skip to the last fix before the window, stop at the first one after it.
    const TRec* R = From;
    while (R && R != To && R->Next && R->Next->Time < Pr.TimeMin) R = R->Next;
    QPointF prev;
    bool havePrev = false;
    for (; R; R = R->Next) {
        const QPointF q(Pr.TimeToX(R->Time), Pr.AltToY(Gps ? R->AltGps : R->Alt));
        const int w = Engine ? TracePenWidth(T, *R, base) : base;
        if (!havePrev || R->Kind == 1) {
            flush();
            run.push_back(q);
            runWidth = w;
        } else {
            if (w != runWidth) {
                flush();
                run.push_back(prev);
                runWidth = w;
            }
            run.push_back(q);
        }
        prev = q;
        havePrev = true;
        if (R == To || R->Time > Pr.TimeMax) break;
    }
    flush();
}

void DrawTimeAxis(QPainter& P, const TCuttProjection& Pr, const TTrj& T, const QFontMetrics& fm)
{
    const double minutes = (double(Pr.TimeMax) - Pr.TimeMin) * 60 / TimeUnitsPerHour;
    const double pxPerMinute = Pr.Plot.width() / std::max(minutes, 1e-9);
    const double need = fm.horizontalAdvance(QStringLiteral("00h00")) * 1.6;
    static const int steps[] = {1, 2, 5, 10, 15, 30, 60, 120, 180, 360, 720, 1440};
    int step = 1440;
    for (int s : steps)
        if (s * pxPerMinute >= need) {
            step = s;
            break;
        }
    const double off = double(T.TimeLoc) * TimeUnitsPerHour; // local = UTC + off
    const double unit = double(TimeUnitsPerHour) * step / 60;
    const int64_t k0 = int64_t(std::ceil((Pr.TimeMin + off) / unit));
    const int64_t k1 = int64_t(std::floor((Pr.TimeMax + off) / unit));
    const int yAxis = Pr.Plot.bottom();
    for (int64_t k = k0; k <= k1 && k - k0 < 400; ++k) {
        const double local = k * unit;
        const double x = Pr.TimeToX(local - off);
        P.setPen(Col(ciProfileGrid));
        P.drawLine(QPointF(x, Pr.Plot.top()), QPointF(x, yAxis));
        const QString text = CuttTimeLabel(Round(local));
        QFont f = P.font();
        const bool hour = FloorMod(k * step, 60) == 0 && step < 60;
        f.setBold(hour);
        P.save();
        P.setFont(f);
        P.setPen(Col(ciPlanText));
        P.drawText(QPointF(x - fm.horizontalAdvance(text) / 2.0, yAxis + 3 + fm.ascent()), text);
        P.restore();
    }
}

void DrawAltAxis(QPainter& P, const TCuttProjection& Pr, const QFontMetrics& fm)
{
    double f = 1;
    QString unit;
    AltUnit(f, unit);
    const double units = (double(Pr.AltMax) - Pr.AltMin) / f;
    const double pxPerUnit = Pr.Plot.height() / std::max(units, 1e-9);
    static const int steps[] = {10, 20, 50, 100, 200, 500, 1000, 2000, 5000, 10000, 20000, 50000};
    int step = 50000;
    for (int s : steps)
        if (s * pxPerUnit >= fm.height() * 2) {
            step = s;
            break;
        }
    const int64_t k0 = int64_t(std::ceil(Pr.AltMin / f / step));
    const int64_t k1 = int64_t(std::floor(Pr.AltMax / f / step));
    for (int64_t k = k0; k <= k1 && k - k0 < 400; ++k) {
        const double y = Pr.AltToY(k * step * f);
        P.setPen(Col(ciProfileGrid));
        P.drawLine(QPointF(Pr.Plot.left(), y), QPointF(Pr.Plot.right(), y));
        const QString text = QString::number(k * step) + QLatin1Char(' ') + unit;
        P.setPen(Col(ciPlanText));
        P.drawText(QPointF(Pr.Plot.left() - 4 - fm.horizontalAdvance(text), y + fm.ascent() / 2.0 - 1), text);
    }
}

} // namespace

void PaintCutt(QPainter& P, const QSize& Size, const TCuttMarks& Marks)
{
    P.fillRect(QRect(QPoint(0, 0), Size), Col(ciProfileBack));
    if (!Trj || !Trj->First) return;
    const TTrj& T = *Trj;
    const QFontMetrics fm(P.font());
    const TCuttProjection Pr = CuttProjection(T, Size, fm);

    DrawTimeAxis(P, Pr, T, fm);
    DrawAltAxis(P, Pr, fm);
    P.setPen(Col(ciPlanText));
    P.setBrush(Qt::NoBrush);
    P.drawRect(Pr.Plot);

    P.save();
    P.setClipRect(Pr.Plot.adjusted(0, 0, 1, 1));
    const bool mainGps = MainIsGps(T);
    // The other altitude thin, under the main curve.
    if (mainGps ? HasPressure(T) : HasGps(T))
        DrawCurve(P, Pr, T, T.First, T.Last, !mainGps, QPen(Col(mainGps ? ciAltCurve : ciAltGpsCurve), 1),
                  false);
    DrawCurve(P, Pr, T, T.First, T.Last, mainGps, QPen(Col(mainGps ? ciAltGpsCurve : ciAltCurve), 1), true);
    const bool partial = T.SelFirst && T.SelLast && (T.SelFirst != T.First || T.SelLast != T.Last);
    if (partial)
        DrawCurve(P, Pr, T, T.SelFirst, T.SelLast, mainGps,
                  QPen(Col(ciSelection), std::max(1, Opt ? Opt->SelWidth : 2)), true);
    if (Marks.Live && T.LiveRec) DrawCurve(P, Pr, T, T.LiveRec, T.Last, mainGps, QPen(Col(ciLive), 2), false);
    if (Marks.Cursor) {
        const TRec& R = *Marks.Cursor;
        const double x = Pr.TimeToX(R.Time);
        P.setPen(QPen(Col(ciCursor), 1));
        P.drawLine(QPointF(x, Pr.Plot.top()), QPointF(x, Pr.Plot.bottom()));
        P.setPen(QPen(Col(ciCursor), 2));
        P.drawEllipse(QPointF(x, Pr.AltToY(mainGps ? R.AltGps : R.Alt)), 5, 5);
    }
    P.restore();
}
