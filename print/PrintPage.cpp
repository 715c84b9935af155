#include "print/PrintPage.h"

#include "platform/Numbers.h"
#include "platform/WinColor.h"
#include "print/PrintText.h"

#include <QFontMetrics>
#include <QPaintDevice>
#include <QPainter>
#include <algorithm>
#include <chrono>
#include <cmath>

const QString ResultsSample = QStringLiteral("00:0000°0000.00km0000.00km/h0");

// ---- Geometry --------------------------------------------------------------------------------

TPageGeometry PageGeometry(const TPrinterGeometry& G, TPrintSettings& S, uint8 OutMode, uint8 CtrlSect,
                           double Zoom, const TPreviewArea& A)
{
    TPageGeometry R;
    if (CtrlSect == 1) {
        TIntRect& pr = R.PageRect;
        pr = {10, 10, Round(A.CW * Zoom - 30), Round(A.CH * Zoom - 30 - A.TB)};
        R.PaintBox = QSize(pr.Right + 20, pr.Bottom + 20);
        const double f =
            std::max(0.0, std::min(double(pr.Right - pr.Left) / 100, double(pr.Bottom - pr.Top) / 100));
        R.PxPerMmX = R.PxPerMmY = f;
    } else {
        if (G.DpiX <= 0 || G.DpiY <= 0 || G.PageSize.isEmpty()) return R;
        R.PxPerMmX = G.DpiX / MmPerInch;
        R.PxPerMmY = G.DpiY / MmPerInch;
        const int pw = G.PageSize.width(), ph = G.PageSize.height();
        R.UnprintRight = std::max(0, G.PhysSize.width() - G.PrnOffset.x() - pw);
        R.UnprintBottom = std::max(0, G.PhysSize.height() - G.PrnOffset.y() - ph);
        const auto raise = [](int& margin, int strip, double pxPerMm) {
            const int least = Trunc(strip / pxPerMm) + 1;
            if (strip > 0 && least > margin) margin = least;
        };
        raise(S.LeftEdit, G.PrnOffset.x(), R.PxPerMmX);
        raise(S.TopEdit, G.PrnOffset.y(), R.PxPerMmY);
        raise(S.RightEdit, R.UnprintRight, R.PxPerMmX);
        raise(S.BottomEdit, R.UnprintBottom, R.PxPerMmY);
        R.PageRect = {Round(S.LeftEdit * R.PxPerMmX) - G.PrnOffset.x(),
                      Round(S.TopEdit * R.PxPerMmY) - G.PrnOffset.y(),
                      pw - Round(S.RightEdit * R.PxPerMmX) + R.UnprintRight,
                      ph - Round(S.BottomEdit * R.PxPerMmY) + R.UnprintBottom};
        if (OutMode == 0) return R;
        // Preview: the page at a screen scale that fits the window at zoom 1.
        const double fx = (A.CW - 10) / double(pw) * R.PxPerMmX * Zoom;
        const double fy = (A.CH - 10 - A.TB) / double(ph) * R.PxPerMmY * Zoom;
        const double f = std::max(0.0, std::min(fx, fy));
        TIntRect& pr = R.PageRect;
        pr = {Round(pr.Left * f / R.PxPerMmX), Round(pr.Top * f / R.PxPerMmY),
              Round(pr.Right * f / R.PxPerMmX), Round(pr.Bottom * f / R.PxPerMmY)};
        R.PaintBox = QSize(Round(pw * f / R.PxPerMmX), Round(ph * f / R.PxPerMmY));
        R.PxPerMmX = R.PxPerMmY = f;
    }
    const int bw = R.PaintBox.width(), bh = R.PaintBox.height();
    R.PaintBoxPos = QPoint(A.CW > bw ? Round((A.CW - bw) / 2.0) : 5,
                           A.CH - A.TB > bh ? Round((A.CH - bh - A.TB) / 2.0) : 5);
    return R;
}

// ---- Page context ----------------------------------------------------------------------------

namespace {

// Often enough for an Esc to answer well within a tenth of a second, rarely enough to cost
// nothing next to the drawing.
constexpr qint64 YieldEveryMs = 20;

qint64 MonotonicMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

bool TPageContext::Yield() const
{
    if (Printing && ProcessEvents && MonotonicMs() - fLastYield >= YieldEveryMs) return YieldNow();
    return Active();
}

bool TPageContext::YieldNow() const
{
    if (Printing && ProcessEvents) {
        ProcessEvents();
        fLastYield = MonotonicMs();
    }
    return Active();
}

// ---- Styles ----------------------------------------------------------------------------------

Qt::PenStyle CtpPenStyle(uint8 Style)
{
    switch (Style) {
    case 1:
        return Qt::DashLine;
    case 2:
        return Qt::DotLine;
    case 3:
        return Qt::DashDotLine;
    case 4:
        return Qt::DashDotDotLine;
    default:
        return Qt::SolidLine;
    }
}

QColor CtpColor(const TCtp& C, bool Monochrome)
{
    return Monochrome ? QColor(Qt::black) : WinColorToQColor(C.Color);
}

double PenPx(double Units, double PxPerMm)
{
    return std::max(1.0, std::max(1.0, Units) * PxPerMm * MmPerInch / 96);
}

QPen CtpPen(const TCtp& C, bool Monochrome, double PxPerMm)
{
    QPen pen(CtpColor(C, Monochrome), PenPx(C.Width, PxPerMm), CtpPenStyle(C.Style));
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    return pen;
}

int FontCellHeight(int Size, double PxPerMmY)
{
    return Round(Size / 64.0 * MmPerInch * PxPerMmY);
}

QFont PrintFont(const QString& Name, int CellHeight, const QPaintDevice* Device)
{
    QFont f(Name.isEmpty() ? QStringLiteral("Arial") : Name);
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setStyleStrategy(QFont::PreferOutline);
    const int target = std::max(1, CellHeight);
    // Qt sizes a font by its em; the cell (ascent + descent) is what the rule fixes, so the em
    // is scaled by what the font gives at a first try and then stepped to the closest cell.
    f.setPixelSize(target);
    const auto cell = [&](int px) {
        QFont g = f;
        g.setPixelSize(px);
        return Device ? QFontMetrics(g, Device).height() : QFontMetrics(g).height();
    };
    const int h0 = std::max(1, cell(target));
    int px = std::max(1, Round(double(target) * target / h0));
    int h = cell(px);
    for (int step = 0; step < 4 && h > target && px > 1; ++step) h = cell(--px);
    while (px < target * 2) {
        const int hn = cell(px + 1);
        if (hn > target) break;
        ++px;
        h = hn;
    }
    f.setPixelSize(px);
    return f;
}

QFont CtpFont(const TCtp& C, double PxPerMmY, const QPaintDevice* Device)
{
    return PrintFont(C.Police, FontCellHeight(C.Size, PxPerMmY), Device);
}

struct TFontMeasure::Entry
{
    QFont Font;
    QFontMetrics Metrics;
};

TFontMeasure::TFontMeasure(const QString& Family, const QPaintDevice* Device)
    : fFamily(Family), fDevice(Device)
{
}

const TFontMeasure::Entry& TFontMeasure::At(int CellHeight) const
{
    for (const auto& [h, e] : fCache)
        if (h == CellHeight) return *e;
    const QFont f = PrintFont(fFamily, CellHeight, fDevice);
    auto e = std::make_shared<Entry>(Entry{f, fDevice ? QFontMetrics(f, fDevice) : QFontMetrics(f)});
    fCache.emplace_back(CellHeight, e);
    return *e;
}

int TFontMeasure::Width(const QString& Text, int CellHeight) const
{
    return At(CellHeight).Metrics.horizontalAdvance(Text);
}

int TFontMeasure::Height(int CellHeight) const
{
    return At(CellHeight).Metrics.height();
}

QFont TFontMeasure::Font(int CellHeight) const
{
    return At(CellHeight).Font;
}

QString OneLine(const QString& Text)
{
    QString s = Text;
    for (QChar& c : s)
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator)
            c = u' ';
    return s;
}

void PaintTextBlock(QPainter& P, const TTextBlock& B, QPoint Origin, const TFontMeasure& M,
                    const QColor& Color)
{
    P.save();
    P.setPen(QPen(Color));
    int current = -1;
    int ascent = 0;
    for (const TTextItem& t : B.Items) {
        if (t.FontHeight <= 0 || t.Text.isEmpty()) continue;
        if (t.FontHeight != current) {
            current = t.FontHeight;
            const QFont f = M.Font(current);
            P.setFont(f);
            ascent = QFontMetrics(f, P.device()).ascent();
        }
        const QPoint at(Origin.x() + t.X, Origin.y() + t.Y + ascent);
        if (t.ClipRight > t.X) {
            P.save();
            P.setClipRect(QRect(at.x(), Origin.y() + t.Y, t.ClipRight - t.X, t.FontHeight * 2),
                          Qt::IntersectClip);
            P.drawText(at, OneLine(t.Text));
            P.restore();
        } else {
            P.drawText(at, OneLine(t.Text));
        }
    }
    P.restore();
}

// ---- Composition -----------------------------------------------------------------------------

int TrnViewRows(int32 W, int32 H, int N, int TH)
{
    double best = 0;
    int rBest = 0;
    const int band = Round(3.2 * TH);
    for (int r = 1; r <= N - 1; ++r) {
        const int h = Round(double(H - band) / r);
        const int cols1 = N / r;
        const int cols2 = Round(double(N) / r + 0.49999999999);
        if (cols1 <= 0 || cols2 <= 0) continue;
        const int w1 = Round(double(W) / cols1);
        const int w2 = Round(double(W) / cols2);
        if (h <= 0 || w1 <= 0 || w2 <= 0) continue;
        const double s = double(std::min(h, w1)) / std::max(h, w1);
        const double score = h < w2 ? (s + double(h) / w1) / 2 : s + (double(w1) / h) / 2;
        if (score > best) {
            best = score;
            rBest = r;
        }
    }
    return rBest > 0 ? rBest : 1;
}

std::vector<TIntRect> TrnViewCells(int32 X1, int32 Y1, int32 X2, int32 Y2, int N, int TH)
{
    std::vector<TIntRect> cells;
    const int32 W = X2 - X1, H = Y2 - Y1;
    if (N <= 0 || W <= 0 || H <= 0) return cells;
    const int rows = TrnViewRows(W, H, N, TH);
    const auto rowOf = [&](int i) { return int(int64_t(i) * rows / N); };
    int rowStart = 0, k = 1, prevRow = -1;
    for (int i = 0; i < N; ++i) {
        const int row = rowOf(i);
        if (row != prevRow) {
            rowStart = i;
            k = 0;
            for (int j = i; j < N && rowOf(j) == row; ++j) ++k;
            prevRow = row;
        }
        const int j = i - rowStart;
        cells.push_back({X1 + Round(double(W) * j / k), Y1 + Round(double(H) * row / rows),
                         X1 + Round(double(W) * (j + 1) / k), Y1 + Round(double(H) * (row + 1) / rows)});
    }
    return cells;
}

bool SelectionHasAltitudes(const TTrj& T)
{
    const TRec* first = T.SelFirst ? T.SelFirst : T.First;
    if (!first) return false;
    for (const TRec* r = first->Next; r; r = r->Next) {
        if (r->Alt != 0) return true;
        if (r == T.SelLast) break;
    }
    return false;
}

const TRec* NearestFix(const TTrj& T, int32 Time)
{
    const TRec* best = nullptr;
    int64_t bestGap = 0;
    for (const TRec* r = T.First; r; r = r->Next) {
        const int64_t gap = std::llabs(int64_t(r->Time) - Time);
        if (!best || gap < bestGap) {
            best = r;
            bestGap = gap;
        }
    }
    return best;
}

TDetailLayout DetailLayout(const TPageContext& C, const TPrintSettings& S, const TTrj* T, const TStn* Task,
                           int TH, int ResultsWidth)
{
    TDetailLayout L;
    const int32 T8 = C.PageRect.Top + Round(TitleBandHeight * C.PxPerMmY);
    L.HasAlt = T && SelectionHasAltitudes(*T);
    L.Y0 = L.HasAlt ? T8 + Round(S.HeightCutt * C.PxPerMmY) : T8;
    L.WithTask = Task && Task->Count > 0;
    if (L.WithTask) {
        L.X0 = C.PageRect.Left + ResultsWidth;
        const int band = Round(3.2 * TH);
        L.Y1 = Task->Count < 5 ? L.Y0 + Round(40 * C.PxPerMmY) + band
                               : L.Y0 + 2 * (band + Round(30 * C.PxPerMmY));
    } else {
        L.X0 = C.PageRect.Right;
        L.Y1 = L.Y0 + 2 * TH;
    }
    return L;
}

void DrawFrame(QPainter& P, const TPageContext& C, int32 X1, int32 Y1, int32 X2, int32 Y2)
{
    if (!C.Active()) return;
    P.save();
    P.setBrush(Qt::NoBrush);
    QPen pen = P.pen();
    pen.setWidth(std::max(1, Round(0.25 * C.PxPerMmY)));
    pen.setJoinStyle(Qt::MiterJoin);
    P.setPen(pen);
    P.drawRect(QRectF(X1, Y1, X2 - X1, Y2 - Y1));
    P.restore();
}

void DrawTrnViews(QPainter& P, TPageContext& C, const TPrintSettings& S, int32 X1, int32 Y1, int32 X2,
                  int32 Y2)
{
    if (!Stn || Stn->Count == 0) return;
    const int TH = QFontMetrics(C.PageFont, P.device()).height();
    const std::vector<TIntRect> cells = TrnViewCells(X1, Y1, X2, Y2, Stn->Count, TH);
    for (size_t i = 0; i < cells.size(); ++i) {
        const TIntRect& c = cells[i];
        if (!c.Positive()) continue;
        const int32 yt = c.Bottom - Round(3.2 * TH);
        DrawPlan(P, C, S, c.Left, c.Top, c.Right, yt, int32(i));
        DrawInfo(P, C, S, c.Left, yt, c.Right, c.Bottom, int32(i));
        DrawFrame(P, C, c.Left, c.Top, c.Right, c.Bottom);
    }
}

void DrawPage(QPainter& P, TPageContext& C, const TPrintSettings& S)
{
    if (C.Previewing()) {
        P.save();
        P.setBrush(Qt::white);
        P.setPen(QPen(Qt::black, 1));
        P.drawRect(0, 0, C.PaintBox.width() - 1, C.PaintBox.height() - 1);
        P.restore();
    }
    C.PageFont = CtpFont(S.PrnStyles[psOther], C.PxPerMmY, P.device());
    P.setFont(C.PageFont);
    P.setPen(QPen(Qt::black, 1));
    P.setBrush(Qt::NoBrush);
    C.YieldNow();

    const TIntRect& pr = C.PageRect;
    if (!pr.Positive()) return;
    const int32 L = pr.Left, R = pr.Right, B = pr.Bottom;
    const int32 T8 = pr.Top + Round(TitleBandHeight * C.PxPerMmY);
    if (C.CtrlSect == 1) {
        DrawTrnViews(P, C, S, pr.Left, pr.Top, pr.Right, pr.Bottom);
        return;
    }
    const QFontMetrics fm(C.PageFont, P.device());
    const int TH = fm.height();
    const int N = Stn ? Stn->Count : 0;
    switch (S.PrnView) {
    case pvPlan:
        DrawPlan(P, C, S, L, T8, R, B, S.AdjPlanBtn ? -2 : -3);
        DrawFrame(P, C, L, T8, R, B);
        break;
    case pvCutt: {
        const int32 Y = T8 + Round(S.HeightCutt * C.PxPerMmY);
        DrawCutt(P, C, S, L, T8, R, Y, S.AdjCuttBtn ? -2 : -3);
        DrawFrame(P, C, L, T8, R, Y);
        break;
    }
    case pvDetail: {
        const TDetailLayout D = DetailLayout(C, S, Trj, Stn, TH, fm.horizontalAdvance(ResultsSample));
        if (D.WithTask) {
            DrawTrnViews(P, C, S, D.X0, D.Y0, R, D.Y1);
            DrawInfo(P, C, S, L, D.Y0, D.X0, D.Y1, -1);
            DrawFrame(P, C, L, D.Y0, D.X0, D.Y1);
        } else {
            DrawInfo(P, C, S, L, D.Y0, R, D.Y1, -2);
            DrawFrame(P, C, L, D.Y0, R, D.Y1);
        }
        if (D.HasAlt) {
            DrawCutt(P, C, S, L, T8, R, D.Y0, 0);
            DrawFrame(P, C, L, T8, R, D.Y0);
        }
        DrawPlan(P, C, S, L, D.Y1, R, B, -1);
        DrawFrame(P, C, L, D.Y1, R, B);
        break;
    }
    case pvTask: {
        if (N <= 1) return; // nothing to show, not even the title
        const int32 X0 = L + fm.horizontalAdvance(ResultsSample);
        const int band = Round(3.2 * TH);
        const int32 Y1 =
            N < 3 ? T8 + Round(50 * C.PxPerMmY) + band : T8 + 2 * (band + Round(40 * C.PxPerMmY));
        DrawInfo(P, C, S, L, T8, X0, Y1, -3);
        DrawFrame(P, C, L, T8, X0, Y1);
        DrawPlan(P, C, S, L, Y1, R, B, -4);
        DrawFrame(P, C, L, Y1, R, B);
        DrawTrnViews(P, C, S, X0, T8, R, Y1);
        break;
    }
    case pvWptList:
        DrawWptList(P, C, S, L, T8, R, B);
        return;
    default:
        break;
    }
    DrawTitle(P, C, S, QString(), true);
}
