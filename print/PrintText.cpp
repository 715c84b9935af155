#include "print/PrintText.h"

#include "model/Calc.h"
#include "model/ModelUi.h"
#include "model/Options.h"
#include "model/Texts.h"
#include "platform/Numbers.h"
#include "print/PrintMsg.h"

#include <QFileInfo>
#include <QFontMetrics>
#include <QLocale>
#include <QPainter>
#include <algorithm>
#include <stdexcept>

namespace {

const QChar Deg(0x00B0);

struct TUnits
{
    double Dist = 1, Speed = 1, Alt = 1;
    QString DistLabel, SpeedLabel, AltLabel;
    TUnits()
    {
        DistUnit(Dist, DistLabel);
        SpeedUnit(Speed, SpeedLabel);
        AltUnit(Alt, AltLabel);
    }
};

QString TrnLabel(const TTrn* t, const TTrn* first, const TTrn* last)
{
    const TPrintMsgTexts& m = PrintMsgTexts();
    if (t == first) return m.First;
    if (t == last) return m.Last;
    return QString::number(t->Num);
}

// A fix that holds a turn point's position and passage time, for the speed of a leg.
TRec PassageFix(const TTrn& t)
{
    TRec r;
    r.Lat = t.Lat;
    r.Lon = t.Lon;
    r.Time = t.Time;
    return r;
}

int32 LocalTime(const TTrj& T, int32 Time)
{
    return Time + T.TimeLoc * TimeUnitsPerHour;
}

// The common start of modes -3 and -1: the font height after shrinking and the row height.
void RowMetrics(int H, int N, double Extra, const TTextMeasure& M, int PageFontHeight, int& FontH, int& RowH)
{
    FontH = PageFontHeight;
    const int need = Round(2 * M.Height(FontH) * (N + Extra));
    if (H < need && need > 0) FontH = std::max(1, Trunc(double(H) * FontH / need));
    RowH = std::min(Round(H / (N + Extra)), Round(3 * M.Height(FontH)));
}

class TLayout
{
public:
    TLayout(TTextBlock& B, const TTextMeasure& M, int FontH) : b(B), m(M), h(FontH) {}
    int TW(const QString& s) const { return m.Width(s, h); }
    void At(const QString& s, int x, int y, int clipRight = 0) { b.Items.push_back({s, x, y, h, clipRight}); }
    void RightAt(const QString& s, int right, int y) { At(s, right - TW(s), y); }
    // At x, in a smaller font when the text would pass Right.
    void AtFit(const QString& s, int x, int y, int right)
    {
        const int need = TW(s);
        if (need <= right - x || need <= 0) return At(s, x, y);
        const int fh = std::max(1, Trunc(double(std::max(1, right - x)) * h / need));
        b.Items.push_back({s, x, y + (m.Height(h) - m.Height(fh)) / 2, fh});
    }
    TTextBlock& b;
    const TTextMeasure& m;
    int h;
};

void TaskTable(TLayout& L, int W, int H, const TInfoSource& Src, int PageFontHeight)
{
    const TStn& task = *Src.Stn;
    const int N = task.Count;
    if (N == 0) return;
    int rowH = 0;
    RowMetrics(H, N, 1.2, L.m, PageFontHeight, L.h, rowH);
    const TUnits u;
    const int x = Round(1.5 * Src.PxPerMmY);
    const int R = W - x; // as far from the frame as the left texts
    double total = 0;
    for (const TTrn* t = task.First; t && t->Next; t = t->Next) total += Distance(t, t->Next);
    int i = 0;
    for (const TTrn* t = task.First; t; t = t->Next, ++i) {
        const int y = Round((i + 0.3) * rowH);
        L.At(u' ' + TrnLabel(t, task.First, task.Last) + QStringLiteral(" : "), x, y);
        L.At(u' ' + t->Name + u' ', L.TW(QStringLiteral("X : ")) + x, y);
        if (t->Next && t->Next->Num == t->Num + 1) {
            const int yl = Round((i + 0.8) * rowH);
            const double leg = Distance(t, t->Next);
            L.RightAt(u' ' + CapToStr(Bearing(t, t->Next)) + u' ',
                      R - L.TW(QStringLiteral("    1000 ") + u.DistLabel + QStringLiteral("  100.0 %   ")),
                      yl);
            L.RightAt(u' ' + StrWD(leg / u.Dist, 3, 1) + u' ' + u.DistLabel + u' ',
                      R - L.TW(QStringLiteral(" 100.0 %   ")), yl);
            if (total > 1.0) L.RightAt(u' ' + StrWD(leg / total * 100, 5, 1) + QStringLiteral(" % "), R, yl);
        }
    }
    L.At(EarthModelNames[std::clamp(Opt ? Opt->EarthModel : 0, 0, 1)], x, N * rowH);
    L.RightAt(u' ' + StrWD(total / u.Dist, 3, 1) + u' ' + u.DistLabel + QStringLiteral("    100.0 % "), R,
              N * rowH);
    if (N == 4 || N == 5) {
        const int y = Round((N + 0.5) * rowH);
        double fai = 0;
        if (IsFaiTriangle(task, fai))
            L.RightAt(QStringLiteral("FAI Tri : ") + StrWD(fai / u.Dist, 3, 1) + u' ' + u.DistLabel + u' ',
                      R - L.TW(QStringLiteral(" 100.0 %   ")), y);
        else
            L.RightAt(QStringLiteral("Triangle non FAI "), R, y);
    }
}

// The texts of one line right-aligned from the right edge, each at its own column when it
// fits there and pushed left of its right-hand neighbour when it does not; an optional speed
// (the first) is dropped rather than run into the text on the left that ends at LeftEnd.
void RightColumns(TLayout& L, int Right, int Y, int LeftEnd, const QString& Speed, const QStringList& Others,
                  const QStringList& Tails)
{
    const auto place = [&](bool withSpeed, bool commit) {
        int edge = Right;
        if (withSpeed) {
            if (commit) L.RightAt(Speed, edge, Y);
            edge -= L.TW(Speed);
        }
        for (qsizetype i = 0; i < Others.size(); ++i) {
            const int r = std::min(Right - L.TW(Tails[i]), edge);
            if (commit) L.RightAt(Others[i], r, Y);
            edge = r - L.TW(Others[i]);
        }
        return edge;
    };
    const bool speed = !Speed.isEmpty() && place(true, false) >= LeftEnd;
    place(speed, true);
}

void FlightWithTask(TLayout& L, int W, int H, const TInfoSource& Src, int PageFontHeight)
{
    const TTrj& trj = *Src.Trj;
    const TStn& task = *Src.Stn;
    const int N = task.Count;
    int rowH = 0;
    RowMetrics(H, N, 2.1, L.m, PageFontHeight, L.h, rowH);
    const TUnits u;
    const TPrintMsgTexts& m = PrintMsgTexts();
    const int x = Round(1.5 * Src.PxPerMmY);
    const int R = W - x; // as far from the frame as the left texts
    const int xTime = R - L.TW(QStringLiteral("00:00:00XX"));
    const QString speedTail = QStringLiteral(" 100.0 ") + u.SpeedLabel + QStringLiteral("   ");
    const QString distTail = QStringLiteral("  100.0 ") + u.DistLabel + speedTail;
    if (trj.First) {
        const int y = Round(0.2 * rowH);
        L.At(u' ' + m.Start + QStringLiteral(" (Loc) : "), x, y);
        L.At(u' ' + TimeToHms(LocalTime(trj, trj.First->Time)) + u' ', xTime, y);
    }
    double total = 0;
    int i = 0;
    for (const TTrn* t = task.First; t; t = t->Next, ++i) {
        const int y = Round((i + 0.8) * rowH);
        L.At(u' ' + TrnLabel(t, task.First, task.Last) + QStringLiteral(" : "), x, y);
        // A long name is drawn smaller rather than cut by its time.
        const int nameX = L.TW(QStringLiteral("X : ")) + x;
        L.AtFit(u' ' + t->Name + u' ', nameX, y, t->Reached > 0 ? xTime : R);
        if (t->Reached > 0) L.At(u' ' + TimeToHms(LocalTime(trj, t->Time)) + u' ', xTime, y);
        if (!t->Next) continue;
        const int yl = Round((i + 1.3) * rowH);
        const double leg = Distance(t, t->Next);
        total += leg;
        const QString speed =
            LegFlown(*t) ? u' ' + StrWD(RecSpeed(PassageFix(*t), PassageFix(*t->Next)) / u.Speed, 4, 1) +
                               u' ' + u.SpeedLabel + u' '
                         : QString();
        RightColumns(L, R, yl, x, speed,
                     {u' ' + StrWD(leg / u.Dist, 3, 1) + u' ' + u.DistLabel + u' ',
                      u' ' + CapToStr(Bearing(t, t->Next)) + u' '},
                     {speedTail, distTail});
    }
    if (trj.Last) {
        const int y = Round((N + 0.4) * rowH);
        L.At(u' ' + m.End + QStringLiteral(" (Loc) : "), x, y);
        L.At(u' ' + TimeToHms(LocalTime(trj, trj.Last->Time)) + u' ', xTime, y);
    }
    const int yt = (N + 1) * rowH;
    const TTrn* first = task.First;
    const TTrn* last = task.Last;
    int leftEnd = x;
    if (first && last && first->Reached > 0 && last->Reached > 0) {
        const QString& model = EarthModelNames[std::clamp(Opt ? Opt->EarthModel : 0, 0, 1)];
        L.At(model, x, yt);
        leftEnd = x + L.TW(model + u' ');
    }
    // Only a task flown in order has a speed: a finish reached before a turn point, or right
    // after the start, gives none.
    const QString speed =
        TaskFlownInOrder(task)
            ? u' ' +
                  StrWD(total / RecTimeDiff(PassageFix(*first), PassageFix(*last)) * 3600 / u.Speed, 4, 1) +
                  u' ' + u.SpeedLabel + u' '
            : QString();
    RightColumns(L, R, yt, leftEnd, speed, {u' ' + StrWD(total / u.Dist, 3, 1) + u' ' + u.DistLabel + u' '},
                 {speedTail});
    if (N == 4 || N == 5) {
        const int y = Round((N + 1.5) * rowH);
        double fai = 0;
        if (IsFaiTriangle(task, fai))
            L.RightAt(QStringLiteral("FAI Tri : ") + StrWD(fai / u.Dist, 3, 1) + u' ' + u.DistLabel + u' ',
                      R - L.TW(speedTail), y);
        else
            L.RightAt(QStringLiteral("Triangle non FAI "), R, y);
    }
}

void FlightWithoutTask(TLayout& L, int W, int H, const TInfoSource& Src)
{
    const TTrj& trj = *Src.Trj;
    if (!trj.First) return;
    const TPrintMsgTexts& m = PrintMsgTexts();
    const int y = Round((H - L.m.Height(L.h)) / 2.0);
    L.At(u' ' + m.Start + QStringLiteral(" (UTC) : ") + TimeToHms(trj.First->Time) + u' ', 20, y);
    const QString end = u' ' + m.End + QStringLiteral(" (UTC) : ");
    L.At(end + TimeToHms(trj.Last->Time) + u' ', W - 20 - L.TW(end + QStringLiteral("00:00:00 ")), y);
}

// One line of a turn-point cell: Left at x0, Right (may be empty) right-aligned at W, the font
// shrunk for this line when the two do not fit.
void CellLine(TTextBlock& B, const TTextMeasure& M, int FontH, int W, int x0, double Centre, int H,
              const QString& Left, const QString& Right)
{
    int h = FontH;
    const int need = M.Width(Left + u' ' + Right + u' ', h);
    if (W - x0 < need && need > 0) h = std::max(1, Trunc(double(W - x0) * h / need));
    const int y = Round(Centre * H - M.Height(h) / 2.0);
    B.Items.push_back({Left, x0, y, h});
    if (!Right.isEmpty()) B.Items.push_back({Right, W - M.Width(Right + u' ', h), y, h});
}

void TrnCell(TTextBlock& B, int W, int H, int32 Mode, const TInfoSource& Src, const TPrintSettings& S,
             const TTextMeasure& M, int FontH)
{
    const TStn& task = *Src.Stn;
    const TTrn* t = task.First;
    for (int i = 0; i < Mode && t && t->Next; ++i) t = t->Next;
    if (!t) return;
    const int x0 = M.Width(QStringLiteral(" X: "), FontH);
    const TUnits u;
    QString time, alt;
    if (Src.Trj && t->Reached > 0 &&
        (Src.CtrlSect == 1 || (S.PrnStyles[psTrace].Draw && S.PrnView != pvTask))) {
        if (const TRec* r = NearestFix(*Src.Trj, t->Time)) {
            time = TimeToHms(LocalTime(*Src.Trj, r->Time));
            alt = QString::number(Round(r->Alt / u.Alt)) + u.AltLabel;
        }
    }
    // Line 1: label, name and passage time.
    const QString label = u' ' + TrnLabel(t, task.First, task.Last) + u':';
    const int y1 = Round(7.0 / 36 * H - M.Height(FontH) / 2.0);
    B.Items.push_back({label, 0, y1, FontH});
    CellLine(B, M, FontH, W, x0, 7.0 / 36, H, t->Name, time);
    // Line 2: the position in full and the altitude.
    CellLine(B, M, FontH, W, x0, 0.5, H,
             GraticuleLatText(t->Lat, 3) + QStringLiteral("  ") + GraticuleLongText(t->Lon, 3), alt);
    // Line 3: the radius of an extended turn point's sector, else the comment.
    QString third = t->Comment;
    if (t->RefWpt) {
        TSect sect = t->Sect;
        if (sect.Type_Sect < 1 && Opt) {
            const int kind = t == task.First ? siExtStart : (t == task.Last ? siExtFinish : siExtTurn);
            sect = Opt->Secteurs[kind];
        }
        const QString outer = StrWD(sect.Rayon_Ext / u.Dist / 1000, 3, 1);
        const QString inner = StrWD(sect.Rayon_Int / u.Dist / 1000, 3, 1);
        const QString radius = sect.Rayon_Int != 0 && inner != outer ? inner + u'/' + outer : outer;
        third = FormatMsg(PrintMsgTexts().ExtSector, {radius + u' ' + u.DistLabel});
    }
    CellLine(B, M, FontH, W, x0, 29.0 / 36, H, third, QString());
}

namespace {

// Hemisphere, degrees on DegDigits figures, minutes and seconds; the label mode keeps the
// degrees (1), the minutes too (2) or all (3).
QString GraticuleText(int32 Value, uint8 LabelMode, QChar Hemisphere, int DegDigits)
{
    QString d, s, m;
    FormatCoord(Value, d, 2, s, m);
    const QString full = Hemisphere + d.right(DegDigits) + Deg + m + u'\'' + s + u'"';
    switch (LabelMode) {
    case 1:
        return full.left(DegDigits + 2);
    case 2:
        return full.left(DegDigits + 5);
    case 3:
        return full;
    default:
        return QString();
    }
}

// Hemisphere, degrees on DegDigits figures, then minutes and seconds or decimal minutes as the
// options choose.
QString ListCoordText(int32 Value, QChar Hemisphere, int DegDigits)
{
    QString d, s, m;
    FormatCoord(Value, d, 1, s, m);
    const bool dms = !Opt || Opt->UniteLatiLong != 1;
    return Hemisphere + d.right(DegDigits) + Deg + m + (dms ? u'\'' + s + u'"' : u'.' + s + u'\'');
}

} // namespace

QString LatListText(int32 Lat)
{
    return ListCoordText(Lat, Lat > 0 ? u'N' : u'S', 2);
}

QString LonListText(int32 Lon)
{
    return ListCoordText(Lon, Lon > 0 ? u'E' : u'W', 3);
}

QString DocFilePart(const QString& Path)
{
    return QFileInfo(Path).fileName();
}

} // namespace

QString StrWD(double V, int W, int D)
{
    QString s = FloatToStrC(V, D);
    if (s.size() < W) s = QString(W - s.size(), u' ') + s;
    return s;
}

QString GraticuleLatText(int32 Value, uint8 LabelMode)
{
    return GraticuleText(Value, LabelMode, Value >= 0 ? u'N' : u'S', 2);
}

QString GraticuleLongText(int32 Value, uint8 LabelMode)
{
    return GraticuleText(Value, LabelMode, Value >= 0 ? u'E' : u'W', 3);
}

QDate DateOfDateTime(TDateTime D)
{
    return QDate(1899, 12, 30).addDays(qint64(std::floor(D)));
}

QString TitleDate(const QDate& Date)
{
    const QLocale loc(Language == 1 ? QLocale::English : QLocale::French, QLocale::AnyTerritory);
    return loc.toString(Date, QStringLiteral("ddd d MMMM yyyy"));
}

// ---- Results block ---------------------------------------------------------------------------

TTextBlock InfoLayout(int W, int H, int32 Mode, const TInfoSource& Src, const TPrintSettings& S,
                      const TTextMeasure& M, int PageFontHeight)
{
    TTextBlock B;
    if (!Src.Stn || W <= 0 || H <= 0) return B;
    if ((Mode == -1 || Mode == -2) && !Src.Trj) return B;
    TLayout L(B, M, PageFontHeight);
    switch (Mode) {
    case -3:
        TaskTable(L, W, H, Src, PageFontHeight);
        break;
    case -2:
        FlightWithoutTask(L, W, H, Src);
        break;
    case -1:
        FlightWithTask(L, W, H, Src, PageFontHeight);
        break;
    default:
        if (Mode >= 0) TrnCell(B, W, H, Mode, Src, S, M, PageFontHeight);
        break;
    }
    return B;
}

void DrawInfo(QPainter& P, TPageContext& C, const TPrintSettings& S, int32 X1, int32 Y1, int32 X2, int32 Y2,
              int32 Mode)
{
    if (!Stn || ((Mode == -1 || Mode == -2) && !Trj) || !C.Active()) return;
    const int W = X2 - X1 + 1, H = Y2 - Y1 + 1;
    if (X2 <= X1 || Y2 <= Y1) return;
    C.ShowStatus(PrintMsgTexts().TextStatus);
    const TFontMeasure M(C.PageFont.family(), P.device());
    const int fontH = FontCellHeight(S.PrnStyles[psOther].Size, C.PxPerMmY);
    const TInfoSource src{Trj, Stn, C.CtrlSect, C.PxPerMmY};
    const TTextBlock B = InfoLayout(W, H, Mode, src, S, M, fontH);
    P.save();
    // The block stands on white, and what does not fit is cut at its edges.
    P.fillRect(QRect(X1, Y1, W, H), Qt::white);
    P.setClipRect(QRect(X1, Y1, W, H), Qt::IntersectClip);
    PaintTextBlock(P, B, QPoint(X1, Y1), M, Qt::black);
    P.restore();
    C.ShowStatus(QString());
}

// ---- Waypoint table --------------------------------------------------------------------------

TWptListColumns WptListColumns(int32 X1, int32 Y1, int32 X2, int32 Y2, const TTextMeasure& M, int FontHeight)
{
    TWptListColumns c;
    const auto TW = [&](const QString& s) { return M.Width(s, FontHeight); };
    c.c[0] = X1;
    c.c[1] = c.c[0] + TW(QStringLiteral(" 0000 "));
    c.c[2] = c.c[1] + TW(QStringLiteral(" WWWWWWWWWWWWWWW "));
    c.c[3] = c.c[2] + TW(QStringLiteral(" N00") + Deg + QStringLiteral("00\"00' "));
    c.c[4] = c.c[3] + TW(QStringLiteral(" E000") + Deg + QStringLiteral("00\"00' "));
    c.c[5] = c.c[4] + TW(QStringLiteral(" 00000 Ft "));
    c.c[6] = c.c[5] + TW(QStringLiteral(" 000000 "));
    c.X2 = X2;
    const int th = M.Height(FontHeight);
    c.RowOffset = Round(0.2 * th);
    c.RowH = std::max(1, Round(1.3 * th));
    // A page always holds a row, however short it is.
    c.RowsPerPage = std::max(1, Trunc(double(Y2 - Y1) / c.RowH) - 1);
    return c;
}

int WptListPages(int Count, int RowsPerPage)
{
    if (Count <= 0) return 0;
    return (Count - 1) / std::max(1, RowsPerPage) + 1;
}

int WptListCount(const TSwp& Set, bool MarkedOnly)
{
    if (!MarkedOnly) return Set.Count;
    int n = 0;
    for (const TWpt* w = Set.First; w; w = w->Next) n += w->Rep ? 1 : 0;
    return n;
}

TTextBlock WptListPage(const TWptListColumns& Col, int32 Y1, const std::vector<const TWpt*>& Rows,
                       int FirstNum, const TTextMeasure& M, int FontHeight)
{
    TTextBlock B;
    const auto TW = [&](const QString& s) { return M.Width(s, FontHeight); };
    const int32* c = Col.c;
    const int32 X1 = c[0], X2 = Col.X2;
    const auto put = [&](const QString& s, int x, int y) { B.Items.push_back({s, x, y, FontHeight}); };
    const auto centred = [&](const QString& s, int l, int r, int y) {
        put(s, l + Round((r - l) / 2.0 - TW(s) / 2.0), y);
    };
    B.Lines.push_back(QLine(X1, Y1, X2, Y1));
    B.Lines.push_back(QLine(X1, Y1 + Col.RowH, X2, Y1 + Col.RowH));
    const int yh = Y1 + 1 + Col.RowOffset;
    centred(QStringLiteral("N°"), c[0], c[1], yh);
    put(QStringLiteral("Nom"), c[1] + TW(QStringLiteral("   ")), yh);
    centred(QStringLiteral("Latitude"), c[2], c[3], yh);
    centred(QStringLiteral("Longitude"), c[3], c[4], yh);
    centred(QStringLiteral("Altitude"), c[4], c[5], yh);
    centred(QStringLiteral("Type(s)"), c[5], c[6], yh);
    put(QStringLiteral("Commentaire"), c[6] + TW(QStringLiteral("   ")), yh);
    const bool feet = Opt && Opt->UniteAltitude == 1;
    const int blank = TW(QStringLiteral(" "));
    int r = 1;
    for (const TWpt* w : Rows) {
        const int y = Y1 + r * Col.RowH + Col.RowOffset;
        const QString num = QString::number(FirstNum + r - 1);
        put(num, c[0] + TW(QStringLiteral(" 0000")) - TW(num), y);
        put(w->Name, c[1] + blank, y);
        put(LatListText(w->Lat), c[2] + blank, y);
        put(LonListText(w->Lon), c[3] + blank, y);
        const QString alt =
            feet ? QString::number(int64_t(Round64(w->Alt / 0.3048 / 10)) * 10) + QStringLiteral(" Ft")
                 : QString::number(w->Alt) + QStringLiteral(" m");
        put(alt, c[5] - blank - TW(alt), y);
        put(WptAttrToStr(w->Attr), c[5] + blank, y);
        put(w->Comment, c[6] + blank, y);
        B.Lines.push_back(QLine(X1, Y1 + (r + 1) * Col.RowH, X2, Y1 + (r + 1) * Col.RowH));
        ++r;
    }
    const int bottom = Y1 + r * Col.RowH;
    for (int32 x : {X1, c[1], c[2], c[3], c[4], c[5], c[6], X2}) B.Lines.push_back(QLine(x, Y1, x, bottom));
    return B;
}

void DrawWptList(QPainter& P, TPageContext& C, const TPrintSettings& S, int32 X1, int32 Y1, int32 X2,
                 int32 Y2)
{
    if (!Swp) return;
    const int count = WptListCount(*Swp, S.MrkWptOnly);
    if (count == 0) return;
    C.ShowStatus(FormatMsg(PrintMsgTexts().WptListStatus, {Opt ? Opt->FichWayPoints : QString()}));
    const TFontMeasure M(C.PageFont.family(), P.device());
    const int fontH = FontCellHeight(S.PrnStyles[psOther].Size, C.PxPerMmY);
    const TWptListColumns col = WptListColumns(X1, Y1, X2, Y2, M, fontH);
    const int pages = WptListPages(count, col.RowsPerPage);
    std::vector<const TWpt*> rows;
    rows.reserve(col.RowsPerPage);
    int n = 1, p = 1;
    const TWpt* w = Swp->First;
    while (w && C.Active()) {
        rows.clear();
        for (; w && int(rows.size()) < col.RowsPerPage; w = w->Next)
            if (!S.MrkWptOnly || w->Rep) rows.push_back(w);
        // Skip unmarked ones after the page so that "waypoints remain" means printed ones.
        while (w && S.MrkWptOnly && !w->Rep) w = w->Next;
        if (rows.empty()) break;
        const TTextBlock B = WptListPage(col, Y1, rows, n, M, fontH);
        P.save();
        P.setPen(QPen(Qt::black, PenPx(S.PrnStyles[psOther].Width, C.PxPerMmY)));
        P.setBrush(Qt::NoBrush);
        for (const QLine& l : B.Lines) P.drawLine(l);
        P.setClipRect(QRect(QPoint(X1, Y1), QPoint(X2, Y2)), Qt::IntersectClip);
        PaintTextBlock(P, B, QPoint(0, 0), M, Qt::black);
        P.restore();
        DrawTitle(P, C, S, QStringLiteral("Page %1/%2").arg(p).arg(pages), true);
        n += int(rows.size());
        ++p;
        if (C.Previewing() || !w) break;
        if (!C.YieldNow()) break;
        if (!C.NewPage || !C.NewPage()) throw std::runtime_error("the printer refused a new page");
    }
    C.ShowStatus(QString());
}

// ---- Title -----------------------------------------------------------------------------------

QString TitleText(const TPrintSettings& S, const TTrj* T, const QString& Text, bool Full, const QDate& Today)
{
    QString title;
    const auto join = [&](const QString& piece) {
        if (piece.isEmpty()) return;
        title = title.isEmpty() ? piece : title + QStringLiteral(" - ") + piece;
    };
    if (Full) {
        QString name, date;
        // A task that came with the trace has no file of its own: the page takes the flight's
        // title, as the flight's other pages do.
        const bool flight = T && (S.PrnView != pvTask || !Opt || Opt->FichCircuit.isEmpty());
        if (S.PrnView == pvTask && !flight) {
            name = DocFilePart(Opt ? Opt->FichCircuit : QString());
            date = TitleDate(Today);
        } else if (S.PrnView == pvWptList) {
            name = DocFilePart(Opt ? Opt->FichWayPoints : QString());
            date = TitleDate(Today);
        } else if (flight) {
            name = T->Name;
            const qsizetype dot = name.indexOf(u'.');
            if (dot >= 0) name = name.left(dot + 4);
            date = TitleDate(DateOfDateTime(T->StartTime));
        }
        if (S.NomFichBtn) join(name);
        if (S.DateBtn) join(date);
        if (flight && S.PrnView != pvWptList) {
            if (S.PltBtn) join(T->Pilot);
            if (S.PlnBtn) join(T->GliderId);
        }
        if (S.CmntBtn) join(S.CmntEdit);
    }
    join(Text);
    return OneLine(title);
}

TTitleLayout TitleLayout(const QString& Title, const TIntRect& PageRect, double PxPerMmX, double PxPerMmY,
                         const TTextMeasure& M)
{
    TTitleLayout L;
    L.Text = Title;
    int h = Round(0.15625 * MmPerInch * PxPerMmY);
    const double width = PageRect.Width();
    const double need = M.Width(Title, h) + 8 * PxPerMmX;
    if (width < need && need > 0) h = std::max(1, Trunc(h * width / need));
    L.FontHeight = h;
    const int tw = M.Width(Title, h), th = M.Height(h);
    const int w = Round(tw + 4 * PxPerMmX);
    const int x = PageRect.Left + Round((width - w) / 2);
    L.Box = {x, PageRect.Top, x + w, PageRect.Top + Round(1.6 * th)};
    L.TextPos = QPoint(x + Round(2 * PxPerMmX), PageRect.Top + Round(0.3 * th));
    return L;
}

void DrawTitle(QPainter& P, TPageContext& C, const TPrintSettings& S, const QString& Text, bool Full)
{
    if (!C.Active()) return;
    const QString title = TitleText(S, Trj, Text, Full, QDate::currentDate());
    if (title.isEmpty()) return;
    const TFontMeasure M(S.PrnStyles[psOther].Police, P.device());
    const TTitleLayout L = TitleLayout(title, C.PageRect, C.PxPerMmX, C.PxPerMmY, M);
    P.save();
    P.setPen(
        QPen(Qt::black, std::max(1, Round(0.25 * C.PxPerMmY)), Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    P.setBrush(Qt::white);
    P.drawRect(QRectF(L.Box.Left, L.Box.Top, L.Box.Width(), L.Box.Height()));
    TTextBlock B;
    B.Items.push_back({L.Text, L.TextPos.x(), L.TextPos.y(), L.FontHeight});
    PaintTextBlock(P, B, QPoint(0, 0), M, Qt::black);
    P.restore();
}
