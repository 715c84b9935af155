#include "print/PrintCutt.h"

#include "model/Calc.h"
#include "model/Options.h"
#include "model/Texts.h"
#include "platform/Numbers.h"
#include "print/PlanProjection.h"
#include "print/PrintMsg.h"
#include "print/PrintPlan.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {

constexpr int32 HourUnits = TimeUnitsPerHour;

bool GpsChosen(const TTrj& T)
{
    return Opt && (Opt->Altitude == 1 || Opt->Altitude == 3) && T.AltGpsMax != 0;
}

int32 Mean(int32 a, int32 b)
{
    return Round((double(a) + b) / 2);
}

// A window of at least MinSpan (and, when MaxSpan is above 0, at most MaxSpan) around its centre.
void HoldSpan(int32& Min, int32& Max, int32& Ctr, int32 MinSpan, int32 MaxSpan)
{
    Ctr = Mean(Min, Max);
    if (double(Max) - Min < MinSpan) {
        Min = Ctr - MinSpan / 2;
        Max = Ctr + MinSpan / 2;
    } else if (MaxSpan > 0 && double(Max) - Min > MaxSpan) {
        Min = Ctr - MaxSpan / 2;
        Max = Ctr + MaxSpan / 2;
    }
}

int32 Clamped(double v)
{
    if (!std::isfinite(v)) return 0;
    return Round(std::clamp(v, -1e7, 1e7));
}

} // namespace

int32 TCuttFrame::TimeToX(double T) const
{
    return Clamped((T - TimeCtr) * PxPerTime + Width / 2.0);
}

int32 TCuttFrame::AltToY(double A) const
{
    return Clamped((AltCtr - A) * PxPerMetre + (Height - TimeBand) / 2.0);
}

int32 ProfileAlt(const TTrj& T, const TRec& R)
{
    return GpsChosen(T) ? R.AltGps : R.Alt;
}

TCuttFrame CuttFrame(const TTrj& T, int32 Mode, int Width, int Height, int AltBand, int TimeBand,
                     double PxPerMmX, double PxPerMmY, const TPrintSettings& S)
{
    TCuttFrame F;
    F.Width = Width;
    F.Height = Height;
    F.AltBand = AltBand;
    F.TimeBand = TimeBand;
    const int Wd = Width - 2 * AltBand, Hd = Height - TimeBand;
    if (Wd <= 0 || Hd <= 0 || !(PxPerMmX > 0) || !(PxPerMmY > 0)) return F;
    const double WdMm = Wd / PxPerMmX, HdMm = Hd / PxPerMmY;
    if (Mode == -1 || Mode == 0) {
        F.TimeMin = T.TimeMin;
        F.TimeMax = T.TimeMax;
        F.AltMin = GpsChosen(T) ? T.AltGpsMin : T.AltMin;
        F.AltMax = (GpsChosen(T) ? T.AltGpsMax : T.AltMax) + 50;
        HoldSpan(F.TimeMin, F.TimeMax, F.TimeCtr, HourUnits, 24 * HourUnits);
        HoldSpan(F.AltMin, F.AltMax, F.AltCtr, 500, 0);
    } else if (Mode == -2 || Mode == -3) {
        F.TimeMin = T.ViewTimeMin;
        F.TimeMax = T.ViewTimeMax;
        F.AltMin = T.ViewAltMin;
        F.AltMax = T.ViewAltMax + 50;
        // An empty view window (never shown) takes the whole trace's least spans.
        HoldSpan(F.TimeMin, F.TimeMax, F.TimeCtr, F.TimeMax > F.TimeMin ? 0 : HourUnits, 0);
        HoldSpan(F.AltMin, F.AltMax, F.AltCtr, F.AltMax > F.AltMin ? 0 : 500, 0);
    } else {
        return F;
    }
    if (Mode == -3) {
        F.AltScale = ScaleTextValue(S.EchAltiBox, 50);
        F.TimeScale = ScaleTextValue(S.EchDateBox, 20);
        const int32 hw = Round(WdMm * HourUnits / F.TimeScale / 2);
        F.TimeMin = std::min(F.TimeMin, F.TimeCtr - hw);
        F.TimeMax = std::max(F.TimeMax, F.TimeCtr + hw);
        const int32 ha = Round(HdMm * 1000 / F.AltScale / 2);
        F.AltMin = std::max(0, std::min(F.AltMin, F.AltCtr - ha));
        F.AltMax = F.AltMin + Round(HdMm * 1000 / F.AltScale);
        F.AltCtr = Mean(F.AltMin, F.AltMax);
    } else {
        F.TimeScale = WdMm / ((double(F.TimeMax) - F.TimeMin) / HourUnits);
        F.AltScale = HdMm / ((double(F.AltMax) - F.AltMin) / 1000);
    }
    if (!std::isfinite(F.TimeScale) || !(F.TimeScale > 0) || !std::isfinite(F.AltScale) || !(F.AltScale > 0))
        return F;
    F.PxPerTime = F.TimeScale / HourUnits * PxPerMmX;
    F.PxPerMetre = F.AltScale / 1000 * PxPerMmY;
    F.Valid = true;
    return F;
}

void AltAxisSteps(int Q, int& Label, int& Tick)
{
    struct Row
    {
        int upTo, label, tick;
    };
    static constexpr Row rows[] = {{7, 100, 50},      {10, 100, 100},    {30, 500, 100},
                                   {50, 500, 500},    {100, 1000, 500},  {113, 1000, 1000},
                                   {250, 5000, 1000}, {400, 5000, 5000}, {999, 10000, 5000}};
    Label = 100;
    Tick = 50;
    if (Q < 0) return;
    for (const Row& r : rows)
        if (Q <= r.upTo) {
            Label = r.label;
            Tick = r.tick;
            return;
        }
}

void TimeAxisSteps(int Q, int& Labels, int& Ticks)
{
    if (Q >= 0 && Q <= 8) {
        Labels = 6;
        Ticks = 60;
    } else if (Q >= 9 && Q <= 15) {
        Labels = 1;
        Ticks = 12;
    } else {
        Labels = 1;
        Ticks = 6;
    }
}

void DrawCutt(QPainter& P, TPageContext& C, const TPrintSettings& S, int32 X1, int32 Y1, int32 X2, int32 Y2,
              int32 Mode)
{
    if (!C.Active() || !Trj || !Trj->First) return;
    const TTrj& T = *Trj;
    const int W = X2 - X1, H = Y2 - Y1;
    if (W <= 0 || H <= 0) return;
    QPoint origin;
    QImage img = PlanPageImage(C, S, QRect(X1, Y1, W, H), origin, PrintMsgTexts().CuttStatus);
    if (img.isNull()) return;

    const QFont font = CtpFont(S.PrnStyles[psOther], C.PxPerMmY, &img);
    const QFontMetrics fm(font, &img);
    const bool feet = Opt && Opt->UniteAltitude == 1;
    const int altBand =
        S.EchAltiBtn ? fm.horizontalAdvance(feet ? QStringLiteral("10000 FtX") : QStringLiteral("9000 mX"))
                     : 0;
    const int timeBand = S.EchDateBtn ? Round(1.5 * fm.height()) : 0;
    const TCuttFrame F = CuttFrame(T, Mode, W, H, altBand, timeBand, C.PxPerMmX, C.PxPerMmY, S);
    if (!F.Valid) {
        C.ShowStatus(QString());
        return;
    }
    const int Wd = W - 2 * altBand, Hd = H - timeBand;
    const int th = fm.height();
    {
        QPainter B(&img);
        B.translate(-origin);
        B.setFont(font);
        B.setBrush(Qt::white);
        B.setPen(QPen(Qt::black, PenPx(S.PrnStyles[psOther].Width, C.PxPerMmY)));
        const QPen axisPen = B.pen();
        auto textAt = [&](int x, int top, const QString& s, bool bold) {
            QFont f = font;
            f.setBold(bold);
            B.setFont(f);
            const QFontMetrics m(f, &img);
            B.fillRect(QRect(x, top, m.horizontalAdvance(s), m.height()), Qt::white);
            B.drawText(QPoint(x, top + m.ascent()), s);
            B.setFont(font);
            return m.horizontalAdvance(s);
        };
        constexpr int64_t MaxMarks = 20000; // a guard against a window no page shows
        if (timeBand) {
            const double O = -double(T.TimeLoc) * HourUnits;
            B.drawLine(F.TimeToX(F.TimeMin), Hd, F.TimeToX(F.TimeMax), Hd);
            const int q = Round(fm.horizontalAdvance(QStringLiteral("00h00")) *
                                ((double(F.TimeMax) - F.TimeMin) / HourUnits * 60) / Wd);
            int p = 1, s = 6;
            TimeAxisSteps(q, p, s);
            auto range = [&](int per, int64_t& k0, int64_t& k1) {
                k0 = int64_t(std::floor((F.TimeMin - O) / HourUnits * per)) + 1;
                k1 = std::min<int64_t>(int64_t(std::floor((F.TimeMax - O) / HourUnits * per)), k0 + MaxMarks);
            };
            int64_t k0, k1;
            range(p, k0, k1);
            for (int64_t k = k0; k <= k1; ++k) {
                const double local = double(k) * HourUnits / p;
                const int x = F.TimeToX(Round(local) + O);
                const QString text = CuttTimeLabel(Round(local));
                const bool bold = p > 1 && text.endsWith(QStringLiteral("h00"));
                QFont f = font;
                f.setBold(bold);
                const int tw = QFontMetrics(f, &img).horizontalAdvance(text);
                textAt(x - Round(tw / 2.0), H - th, text, bold);
                B.drawLine(x, 0, x, Hd);
            }
            range(s, k0, k1);
            for (int64_t k = k0; k <= k1; ++k) {
                const int x = F.TimeToX(Round(double(k) * HourUnits / s) + O);
                const int64_t m = Round64(double(k) / s * 60);
                const double f = FloorMod(m, 60) == 0   ? 0.65
                                 : FloorMod(m, 10) == 0 ? 0.75
                                 : FloorMod(m, 5) == 0  ? 0.85
                                                        : 0.92;
                B.drawLine(x, Hd, x, H - Round(timeBand * f));
            }
        }
        if (altBand) {
            const int xr = W - altBand;
            B.drawLine(altBand, F.AltToY(F.AltMax), altBand, F.AltToY(F.AltMin));
            B.drawLine(xr, F.AltToY(F.AltMax), xr, F.AltToY(F.AltMin));
            double f = 1;
            QString unit;
            AltUnit(f, unit);
            const int u = feet ? 10 : 1;
            const int q = Round(fm.height() * ((double(F.AltMax) - F.AltMin) / f / 10) / Hd);
            int L = 100, t = 50;
            AltAxisSteps(q, L, t);
            auto range = [&](int step, int64_t& k0, int64_t& k1) {
                k0 = int64_t(std::floor(F.AltMin / f / step)) + 1;
                k1 = std::min<int64_t>(int64_t(std::floor(F.AltMax / f / step)), k0 + MaxMarks);
            };
            int64_t k0, k1;
            range(L, k0, k1);
            for (int64_t k = k0; k <= k1; ++k) {
                const int y = F.AltToY(Round(k * f * L));
                const int64_t v = k * L;
                const bool bold =
                    (FloorMod(v, 1000) == 0 && L < 1000) || (FloorMod(v, 10000) == 0 && L < 10000);
                const QString text = u' ' + QString::number(v) + u' ' + unit;
                QFont bf = font;
                bf.setBold(bold);
                const QFontMetrics m(bf, &img);
                const int top = y - Round(m.height() / 2.0);
                textAt(Round(altBand * 0.89) - m.horizontalAdvance(text), top, text, bold);
                textAt(W - m.horizontalAdvance(text + u' '), top, text, bold);
                B.drawLine(altBand, y, xr, y);
            }
            range(t, k0, k1);
            for (int64_t k = k0; k <= k1; ++k) {
                const int y = F.AltToY(Round(k * f * t));
                const int64_t v = Round64(double(t) * k / u);
                const double g = FloorMod(v, 1000) == 0  ? 0.9
                                 : FloorMod(v, 500) == 0 ? 0.93
                                 : FloorMod(v, 100) == 0 ? 0.96
                                 : FloorMod(v, 50) == 0  ? 0.98
                                                         : 0;
                if (g == 0) continue;
                B.drawLine(Round(altBand * g), y, altBand, y);
                B.drawLine(W - Round(altBand * g), y, xr, y);
            }
        }
        B.setPen(axisPen);

        // Profile, from the first selected fix at or after the window's start.
        const TCtp& st = S.PrnStyles[psTrace];
        const int base = std::max<int>(1, st.Width);
        QPen pen = CtpPen(st, S.MonochBtn, C.PxPerMmY);
        pen.setCapStyle(Qt::RoundCap);
        pen.setJoinStyle(Qt::RoundJoin);
        const TRec* last = T.SelLast ? T.SelLast : T.Last;
        const TRec* R = T.SelFirst ? T.SelFirst : T.First;
        while (R->Time < F.TimeMin && R != last && R->Next) R = R->Next;
        std::vector<QPoint> run{QPoint(F.TimeToX(R->Time), F.AltToY(ProfileAlt(T, *R)))};
        int runWidth = base;
        auto flush = [&]() {
            if (run.size() >= 2) {
                pen.setWidthF(PenPx(runWidth, C.PxPerMmY));
                B.setPen(pen);
                B.drawPolyline(run.data(), int(run.size()));
            }
            if (!run.empty()) run.erase(run.begin(), run.end() - 1);
        };
        int k = 0;
        while (R->Time < F.TimeMax && R != last && R->Next) {
            if (++k % YieldStride == 0) {
                flush();
                if (!C.Yield()) break;
            }
            R = R->Next;
            const int w = TracePenWidth(T, *R, base);
            if (w != runWidth) {
                flush();
                runWidth = w;
            }
            run.emplace_back(F.TimeToX(R->Time), F.AltToY(ProfileAlt(T, *R)));
        }
        flush();

        // Passages at the turn points, looked up without moving the trace's current fix.
        if (Stn) {
            const QColor task = CtpColor(S.PrnStyles[psTask], S.MonochBtn);
            QPen discPen = B.pen();
            discPen.setWidth(1);
            if (Mode == 0) discPen.setColor(task);
            const int rd =
                Round(S.PrnRepSizeEdit * C.PxPerMmY * MmPerInch / 100 / 4 + PenPx(st.Width, C.PxPerMmY));
            const TPrintMsgTexts& msg = PrintMsgTexts();
            for (const TTrn* Tn = Stn->First; Tn; Tn = Tn->Next) {
                if (Tn->Reached <= 0) continue;
                const TRec* fix = NearestFix(T, Tn->Time);
                if (!fix) continue;
                const int x = F.TimeToX(fix->Time), y = F.AltToY(ProfileAlt(T, *fix));
                B.setPen(discPen);
                B.setBrush(task);
                B.drawEllipse(QRect(x - rd, y - rd, 2 * rd, 2 * rd));
                const QString label = !Tn->Prev ? msg.First : !Tn->Next ? msg.Last : QString::number(Tn->Num);
                B.setBrush(Qt::NoBrush);
                B.setPen(task);
                B.drawText(QPoint(x - Round(fm.horizontalAdvance(label) / 2.0), Hd - fm.descent()), label);
            }
        }
    }
    if (C.Active()) DrawBlockImage(P, C, QPoint(X1, Y1) + origin, img, S.MonochBtn);
    C.ShowStatus(QString());
}
