#include "print/PrintLayers.h"

#include "model/Calc.h"
#include "model/LabelPlace.h"
#include "model/Options.h"
#include "model/Sector.h"
#include "platform/Numbers.h"
#include "print/PrintText.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {

constexpr double Pi = 3.14159265358979323846;

// Area a drawn line is cut to: the block enlarged by the coordinate limit, far enough that pen
// ends never show, near enough that the device's fixed-point range is never reached.
QRectF LineArea(const TPlanDraw& D)
{
    const double m = D.Limit;
    return QRectF(-m, -m, D.Width + 2 * m, D.Height + 2 * m);
}

// Whether a single mark at P can touch the block (marks far outside cost nothing).
bool MarkNear(const TPlanDraw& D, QPointF P, double Margin)
{
    return P.x() > -Margin && P.y() > -Margin && P.x() < D.Width + Margin && P.y() < D.Height + Margin;
}

void Text(QPainter& P, int X, int Top, const QString& S)
{
    P.drawText(QPoint(X, Top + QFontMetrics(P.font(), P.device()).ascent()), S);
}

// Text on a white box, its top-left corner at (X, Top).
void BoxedText(QPainter& P, int X, int Top, const QString& S)
{
    const QFontMetrics fm(P.font(), P.device());
    P.fillRect(QRect(X, Top, fm.horizontalAdvance(S), fm.height()), Qt::white);
    Text(P, X, Top, S);
}

QPen StylePen(const TPlanDraw& D, int Style)
{
    return CtpPen(D.S.PrnStyles[Style], D.S.MonochBtn, D.C.PxPerMmY);
}

// Radius of the passage disc: a quarter of the mark size plus the trace width.
int DiscRadius(const TPlanDraw& D)
{
    return Round(D.S.PrnRepSizeEdit * D.C.PxPerMmY * MmPerInch / 100 / 4 +
                 PenPx(D.S.PrnStyles[psTrace].Width, D.C.PxPerMmY));
}

bool TraceShown(const TPlanDraw& D)
{
    return D.C.CtrlSect == 1 || (D.S.PrnStyles[psTrace].Draw && D.S.PrnView != pvTask);
}

void Line(const TPlanDraw& D, QPointF A, QPointF B)
{
    DrawPageLine(D, A, B);
}

QPoint Rounded(QPointF p)
{
    return {Round(p.x()), Round(p.y())};
}

void ArrowHeadAt(const TPlanDraw& D, QPoint P, double Offset, double Course)
{
    const auto v = ArrowHead(P, Offset, Course, D.C.PxPerMmX, D.C.PxPerMmY);
    D.P.drawPolygon(v.data(), 4);
}

} // namespace

bool ClipSegment(QPointF& A, QPointF& B, const QRectF& R)
{
    // Liang-Barsky: both ends move along the segment only.
    double t0 = 0, t1 = 1;
    const double dx = B.x() - A.x(), dy = B.y() - A.y();
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {A.x() - R.left(), R.right() - A.x(), A.y() - R.top(), R.bottom() - A.y()};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0) return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0) {
            if (t > t1) return false;
            t0 = std::max(t0, t);
        } else {
            if (t < t0) return false;
            t1 = std::min(t1, t);
        }
    }
    if (!std::isfinite(t0) || !std::isfinite(t1)) return false;
    const QPointF a = A;
    A = QPointF(a.x() + t0 * dx, a.y() + t0 * dy);
    B = QPointF(a.x() + t1 * dx, a.y() + t1 * dy);
    return true;
}

void DrawPageLine(const TPlanDraw& D, QPointF A, QPointF B)
{
    if (ClipSegment(A, B, LineArea(D))) D.P.drawLine(Rounded(A), Rounded(B));
}

void DrawPagePolyline(const TPlanDraw& D, const std::vector<QPointF>& Points)
{
    const QRectF area = LineArea(D);
    std::vector<QPoint> run;
    auto flush = [&]() {
        if (run.size() >= 2) D.P.drawPolyline(run.data(), int(run.size()));
        run.clear();
    };
    for (size_t i = 1; i < Points.size(); ++i) {
        QPointF a = Points[i - 1], b = Points[i];
        if (!ClipSegment(a, b, area)) {
            flush();
            continue;
        }
        if (a != Points[i - 1]) flush();
        if (run.empty()) run.push_back(Rounded(a));
        run.push_back(Rounded(b));
        if (b != Points[i]) flush();
    }
    flush();
}

void GraticuleStep(int32 LatMin, int32 LatMax, int32 LonMin, int32 LonMax, int N, double& Step,
                   uint8& LabelMode)
{
    auto expo = [&](double span) {
        const double v = span / (N + 1);
        return v > 0 ? Round(10 * std::log10(v)) : 0;
    };
    const int e = std::max(expo(double(LonMax) - LonMin), expo(double(LatMax) - LatMin));
    if (e >= 0 && e <= 22) {
        Step = 27.77777777777778;
        LabelMode = 3;
    } else if (e >= 23 && e <= 30) {
        Step = 277.7777777777778;
        LabelMode = 3;
    } else if (e >= 31 && e <= 40) {
        Step = 1666.6666666666667;
        LabelMode = 2;
    } else if (e >= 41 && e <= 47) {
        Step = 16666.666666666668;
        LabelMode = 2;
    } else if (e >= 48 && e <= 73) {
        Step = 100000.0 * std::trunc(e / 10.0 - 3.799);
        LabelMode = 1;
    } else {
        Step = 100000;
        LabelMode = 1;
    }
}

std::array<QPoint, 4> ArrowHead(QPoint P, double Offset, double Course, double PxPerMmX, double PxPerMmY)
{
    const double a = Course * Pi / 180;
    auto along = [&](double off) {
        const int ox = Round(off * PxPerMmX), oy = Round(off * PxPerMmY);
        return QPoint(P.x() - Round(std::sin(a) * ox), P.y() + Round(std::cos(a) * oy));
    };
    const QPoint T = along(Offset), K = along(Offset + ArrowNotch);
    const int wx = Round(ArrowLength * PxPerMmX), wy = Round(ArrowLength * PxPerMmY);
    auto wing = [&](double ang) {
        const double b = (Course + 180 + ang) * Pi / 180;
        return QPoint(T.x() + Round(std::sin(b) * wx), T.y() - Round(std::cos(b) * wy));
    };
    return {T, wing(ArrowAngle), K, wing(-ArrowAngle)};
}

void DrawPlanWaypoints(TPlanDraw& D)
{
    const TCtp& st = D.S.PrnStyles[psWaypoints];
    if (!Swp || !st.Draw || !(D.Mode < 0 || D.F.TrnExtended)) return;
    QPainter& P = D.P;
    P.save();
    P.setFont(CtpFont(st, D.C.PxPerMmY, P.device()));
    const QPen pen = StylePen(D, psWaypoints);
    P.setPen(pen);
    P.setBrush(Qt::NoBrush);
    const int r = D.MarkRadius();
    const int h = QFontMetrics(P.font(), P.device()).height();
    const double margin = 2.0 * r + 100 * h; // room for a long name on the left side
    const QFontMetrics fm(P.font(), P.device());
    // Names that would overlap one already printed are left out; the marks all stay.
    TLabelPlacer labels(std::max(8, 4 * h));
    int k = 0;
    for (const TWpt* W = Swp->First; W; W = W->Next) {
        if (++k % YieldStride == 0 && !D.C.Yield()) break;
        const QPointF f = D.PosF(*W);
        if (!MarkNear(D, f, margin)) continue;
        const QPoint q = PosToPage(f, D.Limit);
        P.drawEllipse(QRect(q.x() - r, q.y() - r, 2 * r, 2 * r));
        const QRect box(q.x() + 2 * r, q.y() - Round(h / 2.0), fm.horizontalAdvance(W->Name), h);
        if (labels.Place(box)) Text(P, box.left(), box.top(), W->Name);
    }
    P.restore();
}

void DrawPlanGraticule(TPlanDraw& D)
{
    if (!D.S.RepPlanBtn || D.Mode >= 0 || D.MapDrawn) return;
    double step = 100000;
    uint8 mode = 1;
    GraticuleStep(D.F.LatMin, D.F.LatMax, D.F.LonMin, D.F.LonMax, D.S.PrnNbMeridEdit, step, mode);
    QPainter& P = D.P;
    P.save();
    P.setPen(StylePen(D, psOther));
    P.setFont(D.Font);
    const QFontMetrics fm(P.font(), P.device());
    const double c = std::max(std::cos(D.F.CtrLat * Pi / 18000000), 1e-6);
    const int Wb = D.Width, Hb = D.Height;
    // Lines are bounded: a step never gives more than a few hundred lines on a page, but a
    // guard keeps a bad scale from looping long.
    constexpr int64_t MaxLines = 2000;
    const int64_t i0 = std::llround((D.F.CtrLong - Wb / (2 * c * D.F.ScaleX)) / step);
    const int64_t i1 =
        std::min<int64_t>(std::llround((D.F.CtrLong + Wb / (2 * c * D.F.ScaleX)) / step), i0 + MaxLines);
    const QColor text = D.Color(psOther);
    for (int64_t i = i0; i <= i1; ++i) {
        const int x = Round(c * (i * step - D.F.CtrLong) * D.F.ScaleX + Wb / 2.0);
        P.setPen(StylePen(D, psOther));
        P.drawLine(x, 0, x, Hb);
        const QString s = GraticuleLongText(Round(i * step), mode);
        P.setPen(text);
        const int tw = fm.horizontalAdvance(s);
        BoxedText(P, x - Round(tw / 2.0), 0, s);
        BoxedText(P, x - Round(tw / 2.0), Hb - fm.height(), s);
    }
    const int64_t j0 = std::llround((D.F.CtrLat - Hb / (2 * D.F.ScaleY)) / step);
    const int64_t j1 =
        std::min<int64_t>(std::llround((D.F.CtrLat + Hb / (2 * D.F.ScaleY)) / step), j0 + MaxLines);
    for (int64_t j = j0; j <= j1; ++j) {
        const int y = Round((D.F.CtrLat - j * step) * D.F.ScaleY + (Hb - D.F.ScaleBand) / 2.0);
        P.setPen(StylePen(D, psOther));
        P.drawLine(0, y, Wb, y);
        const QString s = GraticuleLatText(Round(j * step), mode);
        P.setPen(text);
        const int top = y - Round(fm.height() / 2.0);
        BoxedText(P, 1, top, s);
        BoxedText(P, Wb - fm.horizontalAdvance(s), top, s);
    }
    P.restore();
}

void DrawPlanTrnMarks(TPlanDraw& D)
{
    const TCtp& wst = D.S.PrnStyles[psWaypoints];
    if (!Stn || D.Mode >= 0 || !(wst.Draw || D.S.PrnStyles[psTask].Draw)) return;
    QPainter& P = D.P;
    P.save();
    QFont f = CtpFont(wst, D.C.PxPerMmY, P.device());
    f.setBold(true);
    P.setFont(f);
    const QFontMetrics fm(f, P.device());
    const int r = D.MarkRadius(), h = fm.height();
    const QColor task = D.Color(psTask);
    for (const TTrn* T = Stn->First; T; T = T->Next) {
        const QPointF pf = D.PosF(*T);
        if (!MarkNear(D, pf, 2.0 * r + 100 * h)) continue;
        const QPoint q = PosToPage(pf, D.Limit);
        P.setPen(QPen(task, PenPx(wst.Width, D.C.PxPerMmY)));
        P.setBrush(Qt::white);
        P.drawEllipse(QRect(q.x() - r, q.y() - r, 2 * r, 2 * r));
        P.fillRect(
            QRect(QPoint(q.x() + r, q.y() - Round(h / 2.0)),
                  QPoint(q.x() + 2 * r + fm.horizontalAdvance(T->Name + u' '), q.y() + Round(h / 2.0))),
            Qt::white);
        P.setBrush(Qt::NoBrush);
        P.setPen(task);
        Text(P, q.x() + 2 * r, q.y() - Round(h / 2.0), T->Name);
    }
    P.restore();
}

void DrawPlanPassage(TPlanDraw& D)
{
    const TTrn* T = D.F.CellTrn;
    if (!Stn || !Trj || D.Mode < 0 || !T || T->Reached <= 0) return;
    if (!(D.C.CtrlSect == 1 || (D.S.PrnStyles[psTrace].Draw && D.S.PrnView != pvTask))) return;
    // The nearest fix is looked up without moving the trace's current fix.
    const TRec* R = NearestFix(*Trj, T->Time);
    if (!R) return;
    const QColor task = D.Color(psTask);
    D.P.save();
    D.P.setPen(QPen(task, 1));
    D.P.setBrush(task);
    const int rd = DiscRadius(D);
    const QPoint q = PosToPage(D.PosF(*R), D.Limit);
    D.P.drawEllipse(QRect(q.x() - rd, q.y() - rd, 2 * rd, 2 * rd));
    D.P.restore();
}

void DrawPlanTrace(TPlanDraw& D)
{
    if (!Trj || !Trj->First || !TraceShown(D)) return;
    const TTrn* cell = D.F.CellTrn;
    if (D.Mode >= 0 && !(cell && cell->Reached > 0)) return;
    const TTrj& T = *Trj;
    const TCtp& st = D.S.PrnStyles[psTrace];
    const int base = std::max<int>(1, st.Width);
    QPen pen = StylePen(D, psTrace);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    const QRectF area = LineArea(D);
    QPainter& P = D.P;
    P.save();
    P.setBrush(Qt::NoBrush);
    std::vector<QPoint> run;
    run.reserve(4096);
    int runWidth = base;
    auto flush = [&]() {
        if (run.size() >= 2) {
            pen.setWidthF(PenPx(runWidth, D.C.PxPerMmY));
            P.setPen(pen);
            P.drawPolyline(run.data(), int(run.size()));
        }
        run.clear();
    };
    auto rounded = [](QPointF p) { return QPoint(Round(p.x()), Round(p.y())); };
    const TRec* from = T.SelFirst ? T.SelFirst : T.First;
    const TRec* to = T.SelLast ? T.SelLast : T.Last;
    // A cell shows its turn point's search window; a window that is empty or misses the
    // trace, as in the passage search, restricts nothing.
    const bool windowed = D.Mode >= 0 && cell->TimeMax > cell->TimeMin && cell->TimeMax >= T.TimeMin &&
                          cell->TimeMin <= T.TimeMax;
    bool havePrev = false;
    QPointF prev;
    int k = 0;
    for (const TRec* R = from; R; R = R->Next) {
        if (++k % YieldStride == 0) {
            flush(); // what is drawn so far stays drawn
            if (!D.C.Yield()) break;
        }
        const bool inWindow = !windowed || (cell->TimeMin < R->Time && R->Time < cell->TimeMax);
        if (inWindow && R->Lat != 0 && R->Lon != 0) {
            const QPointF q = D.PosF(*R);
            if (havePrev) {
                const int w = TracePenWidth(T, *R, base);
                QPointF a = prev, b = q;
                if (!ClipSegment(a, b, area)) {
                    flush();
                } else {
                    const bool cut = a != prev || b != q;
                    if (!run.empty() && (w != runWidth || a != prev)) flush();
                    if (run.empty()) {
                        run.push_back(rounded(a));
                        runWidth = w;
                    }
                    run.push_back(rounded(b));
                    if (cut) flush();
                }
            }
            prev = q;
            havePrev = true;
        }
        if (R == to) break;
    }
    flush();
    P.restore();
}

void DrawPlanTask(TPlanDraw& D)
{
    if (!Stn || !Stn->First || !Opt) return;
    if (!(D.S.PrnStyles[psTask].Draw || D.Mode >= 0 || D.Mode == -4)) return;
    QPainter& P = D.P;
    P.save();
    const QColor task = D.Color(psTask);
    QPen pen = StylePen(D, psTask);
    P.setPen(pen);
    P.setBrush(task);
    if (D.Mode < 0 && Opt->LigneEntreSecteur) {
        for (const TTrn* T = Stn->First; T && T->Next; T = T->Next) {
            const TTrn* N = T->Next;
            if (N->Num != T->Num + 1) continue;
            const QPointF a = D.PosF(*T), b = D.PosF(*N);
            Line(D, a, b);
            const QPointF mid = (a + b) / 2;
            if (MarkNear(D, mid, 20 * D.C.PxPerMmX))
                ArrowHeadAt(D, PosToPage(mid, D.Limit), 0, Bearing(*T, *N));
        }
    }
    for (const TTrn* T = Stn->First; T; T = T->Next) {
        // A cell draws the sector of its own turn point.
        if (!((D.Mode >= 0 && T == D.F.CellTrn) || (D.Mode < 0 && T->RefWpt))) continue;
        const TPos* tp = Stn->TrnPos(T);
        const QPointF own = D.PosF(*T);
        const QPoint pt = PosToPage(own, D.Limit);
        if (Opt->LigneEntreSecteur) {
            const QPointF a = T->Prev ? D.PosF(*T->Prev) : own;
            const QPointF b = T->Next ? D.PosF(*T->Next) : own;
            Line(D, a, own);
            Line(D, own, b);
            if (T->Prev && PosToPage(a, D.Limit) != pt) ArrowHeadAt(D, pt, 10, Bearing(*T->Prev, *T));
            if (T->Next && PosToPage(b, D.Limit) != pt)
                ArrowHeadAt(D, pt, -(10 + ArrowLength), Bearing(*T->Next, *T) + 180);
        }
        const QPoint ptp = PosToPage(D.PosF(*tp), D.Limit);
        const QPoint pnp = T->Next ? PosToPage(D.PosF(*Stn->TrnPos(T->Next)), D.Limit) : ptp;
        P.setBrush(Qt::NoBrush);
        BuildSector(P, ptp, pnp, SectOrientation(*Stn, *T), D.F.ScaleX, D.F.ScaleY, TrnKind(*T), T->Sect);
        P.setBrush(task);
        P.setPen(pen);
    }
    P.restore();
}

void DrawPlanScaleBar(TPlanDraw& D)
{
    if (D.Mode >= 0 || !D.S.EchPlanBtn || D.F.ScaleBand <= 0) return;
    TPos a, b;
    a.Lat = b.Lat = D.F.CtrLat;
    a.Lon = D.F.LonMin;
    b.Lon = D.F.LonMax;
    double f = 1;
    QString unit;
    DistUnit(f, unit);
    const double w = Distance(a, b) / f * 0.3;
    TScaleBar bar;
    if (!ScaleBarLength(w, bar)) return;
    QPainter& P = D.P;
    P.save();
    P.setFont(D.Font);
    const QFontMetrics fm(P.font(), P.device());
    const QColor col = D.Color(psOther);
    QPen pen(col, PenPx(D.S.PrnStyles[psOther].Width, D.C.PxPerMmY));
    pen.setCapStyle(Qt::FlatCap);
    P.setPen(pen);
    P.setBrush(Qt::white);
    const int band = D.F.ScaleBand;
    const int top = D.Height - band;
    const int barPx = Round(D.Width * 0.3 * bar.L / w);
    const int xc = fm.horizontalAdvance(QStringLiteral("00000")) + barPx;
    const int x0 = Round((xc - barPx) / 2.0), x1 = Round((xc + barPx) / 2.0);
    P.drawRect(QRect(QPoint(0, top), QPoint(xc, top + band)));
    const int yb = top + Round(band / 6.0);
    P.drawLine(x0, yb, x1, yb);
    P.drawLine(x0, yb, x0, top + Round(band / 2.0));
    P.drawLine(x1, yb, x1, top + Round(band / 2.0));
    const int yt = top + Round(band / 3.0);
    auto tick = [&](double frac, int y) {
        const int x = Round(x0 + (x1 - x0) * frac);
        P.drawLine(x, y, x, yb);
    };
    if (bar.M == 0) {
        for (int i = 1; i < 10; ++i) tick(i / 10.0, yt);
        tick(0.5, top + Round(band / 2.5));
    } else if (bar.M == 1) {
        for (int i = 1; i < 4; ++i) tick(i / 4.0, yt);
        tick(0.5, top + Round(band / 2.0));
    } else {
        for (int i = 1; i < 5; ++i) tick(i / 5.0, yt);
    }
    P.setPen(col);
    const int ty = top + Round(band / 2.0);
    auto centred = [&](int x, const QString& s) { Text(P, x - Round(fm.horizontalAdvance(s) / 2.0), ty, s); };
    centred(x0, QStringLiteral("0"));
    centred(Round(xc / 2.0), u'(' + unit + u')');
    centred(x1, ScaleBarText(bar));
    P.restore();
}
