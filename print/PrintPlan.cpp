#include "print/PrintPlan.h"

#include "files/MapCal.h"
#include "model/Options.h"
#include "model/Sector.h"
#include "model/Texts.h"
#include "platform/Numbers.h"
#include "print/PrintLayers.h"
#include "print/PrintMsg.h"
#include "print/PrintZones.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {

constexpr double Pi = 3.14159265358979323846;
constexpr double UnitToRad = Pi / 18000000.0;

TPlanScreenBox& ScreenBoxHook()
{
    static TPlanScreenBox hook;
    return hook;
}

double CosOf(int32 Lat)
{
    return std::max(std::cos(Lat * UnitToRad), 1e-6);
}

// Ground size in mm of a box of dLon x dLat units at latitude Lat; zero sides count as 100.
double GroundWidth(double dLon, int32 Lat)
{
    return std::max(dLon, 100.0) * Pi / 18 * 6371 * CosOf(Lat);
}
double GroundHeight(double dLat)
{
    return std::max(dLat, 100.0) * Pi / 18 * 6371;
}

bool BoxOfTask(const TStn& Task, int32& LatMin, int32& LatMax, int32& LonMin, int32& LonMax)
{
    bool first = true;
    for (const TTrn* T = Task.First; T; T = T->Next) {
        if (first) {
            LatMin = LatMax = T->Lat;
            LonMin = LonMax = T->Lon;
            first = false;
        } else {
            LatMin = std::min(LatMin, T->Lat);
            LatMax = std::max(LatMax, T->Lat);
            LonMin = std::min(LonMin, T->Lon);
            LonMax = std::max(LonMax, T->Lon);
        }
    }
    return !first;
}

} // namespace

int32 ScaleTextValue(const QString& Text, int32 Default)
{
    const qsizetype slash = Text.lastIndexOf(u'/');
    bool ok = false;
    const qlonglong v = Text.mid(slash + 1).trimmed().toLongLong(&ok);
    return ok && v > 0 && v <= INT32_MAX ? int32(v) : Default;
}

double ClampPlanZoom(double Zoom)
{
    if (!std::isfinite(Zoom)) return PrnZoomMax;
    return std::clamp(Zoom, PrnZoomMin, PrnZoomMax);
}

double FitPlanZoom(int32 LatMin, int32 LatMax, int32 LonMin, int32 LonMax, double Wmm, double Hmm,
                   int32& CtrLat, int32& CtrLon)
{
    CtrLat = Round((double(LatMin) + LatMax) / 2);
    CtrLon = Round((double(LonMin) + LonMax) / 2);
    return std::min(Wmm / GroundWidth(double(LonMax) - LonMin, CtrLat),
                    Hmm / GroundHeight(double(LatMax) - LatMin));
}

void SetPlanScreenBox(TPlanScreenBox Box)
{
    ScreenBoxHook() = std::move(Box);
}

TPlanFrame PlanFrame(const TPlanFrameInput& In)
{
    TPlanFrame F;
    F.ScaleBand = In.Mode < 0 ? In.ScaleBand : 0;
    const double Wmm = (In.Width - 2.0 * In.MarginW) / In.PxPerMmX;
    const double Hmm = (In.Height - 4.0 * In.MarginH - F.ScaleBand) / In.PxPerMmY;
    const TTrj* T = In.Trace && In.Trace->First ? In.Trace : nullptr;
    auto fitTrace = [&]() {
        F.PlanZoom = FitPlanZoom(T->LatMin, T->LatMax, T->LonMin, T->LonMax, Wmm, Hmm, F.CtrLat, F.CtrLong);
    };
    switch (In.Mode) {
    case -1:
        if (!T) return F;
        fitTrace();
        break;
    case -2: {
        TPos nw, se;
        if (In.ScreenBox && In.ScreenBox(nw, se)) {
            F.PlanZoom =
                FitPlanZoom(std::min(nw.Lat, se.Lat), std::max(nw.Lat, se.Lat), std::min(nw.Lon, se.Lon),
                            std::max(nw.Lon, se.Lon), Wmm, Hmm, F.CtrLat, F.CtrLong);
        } else if (T) {
            // No screen view to copy: the whole trace.
            fitTrace();
        } else {
            return F;
        }
        break;
    }
    case -3: {
        int32 lat = 0, lon = 0;
        const bool okLat = ParseLat(In.CtrLatText, lat), okLon = ParseLon(In.CtrLonText, lon);
        int32 tLat = 0, tLon = 0;
        if (T) {
            tLat = Round((double(T->LatMin) + T->LatMax) / 2);
            tLon = Round((double(T->LonMin) + T->LonMax) / 2);
        }
        F.CtrLat = okLat ? lat : tLat;
        F.CtrLong = okLon ? lon : tLon;
        F.PlanZoom = 1.0 / ScaleTextValue(In.ScaleText, 1000000);
        break;
    }
    case -4: {
        if (!In.Task || In.Task->Count < 2) return F;
        int32 a, b, c, d;
        if (!BoxOfTask(*In.Task, a, b, c, d)) return F;
        F.PlanZoom = FitPlanZoom(a, b, c, d, Wmm, Hmm, F.CtrLat, F.CtrLong);
        break;
    }
    default: {
        if (In.Mode < 0 || In.Mode >= 1000 || !In.Task || In.Mode > In.Task->Count - 1) return F;
        const TTrn* trn = In.Task->First;
        for (int i = 0; i < In.Mode && trn && trn->Next; ++i) trn = trn->Next;
        if (!trn) return F;
        F.CellTrn = trn;
        const TPos* c = In.Task->TrnPos(trn);
        F.CtrLat = c ? c->Lat : trn->Lat;
        F.CtrLong = c ? c->Lon : trn->Lon;
        F.TrnKind = !trn->Prev ? 0 : trn->Next ? 1 : 2;
        F.TrnExtended = trn->RefWpt != nullptr;
        if (F.TrnExtended) F.TrnKind += 3;
        double R = trn->Sect.Type_Sect >= 1 ? trn->Sect.Rayon_Ext
                   : Opt                    ? Opt->Secteurs[F.TrnKind].Rayon_Ext
                                            : 0;
        R = std::max(R, 500.0);
        F.PlanZoom = std::min(In.Width / In.PxPerMmX, In.Height / In.PxPerMmY) / (R * 2.5 * 1000);
        break;
    }
    }
    F.PlanZoom = ClampPlanZoom(F.PlanZoom);
    F.ScaleX = MmPerUnit * F.PlanZoom * In.PxPerMmX;
    F.ScaleY = MmPerUnit * F.PlanZoom * In.PxPerMmY;
    F.Valid = true;
    PageExtent(F, In.Width, In.Height);
    return F;
}

void PageExtent(TPlanFrame& F, int Width, int Height)
{
    const double h = (Height - F.ScaleBand) / 2.0, w = Width / 2.0;
    const double dLon = w / (CosOf(F.CtrLat) * F.ScaleX);
    F.LatMin = Round(std::max(F.CtrLat - h / F.ScaleY, -2e9));
    F.LatMax = Round(std::min(F.CtrLat + h / F.ScaleY, 2e9));
    F.LonMin = Round(std::max(F.CtrLong - dLon, -2e9));
    F.LonMax = Round(std::min(F.CtrLong + dLon, 2e9));
}

TPlanProjection PlanFrameProjection(const TPlanFrame& F, int Width, int Height, const TMap* M)
{
    return TPlanProjection::MakeScaled(F.CtrLat, F.CtrLong, F.ScaleX, F.ScaleY, Width / 2.0,
                                       (Height - F.ScaleBand) / 2.0, M);
}

QPoint PosToPage(QPointF Pt, int32 Limit)
{
    double x = Pt.x(), y = Pt.y();
    if (!std::isfinite(x) || !std::isfinite(y)) return {Limit, Limit};
    const double m = std::max(std::abs(x), std::abs(y));
    if (m > Limit) {
        // Pulled back along the ray from the corner: both coordinates by the larger one.
        x = x * Limit / m;
        y = y * Limit / m;
    }
    return {Round(x), Round(y)};
}

int TPlanDraw::MarkRadius() const
{
    return Round(S.PrnRepSizeEdit * C.PxPerMmY * MmPerInch / 100 / 2);
}

QImage PlanBitmap(const QRect& Block, const QRect& Visible, bool Monochrome, QPoint& Origin)
{
    (void)Monochrome; // painted in colour, reduced when copied
    const QRect part = Visible.isValid() ? Block.intersected(Visible) : Block;
    if (part.isEmpty()) return {};
    Origin = part.topLeft() - Block.topLeft();
    QImage img(part.size(), QImage::Format_RGB32);
    if (img.isNull()) return img;
    img.fill(Qt::white);
    return img;
}

void DrawBlockImage(QPainter& P, const TPageContext& C, QPoint At, const QImage& Image, bool Monochrome)
{
    P.save();
    P.setRenderHint(QPainter::LosslessImageRendering);
    P.setPen(Qt::black);
    P.setBackgroundMode(Qt::TransparentMode);
    // A page's block is compressed as it is put on a PDF page, which takes a while: it goes in
    // bands, letting Esc act between two. Each band but the first starts on the last row of the
    // one before, so that no seam shows where two meet.
    constexpr int Band = 128;
    for (int top = 0; top < Image.height(); top += Band) {
        if (top > 0 && !C.Yield()) break;
        const int from = std::max(0, top - 1);
        QImage band = Image.copy(0, from, Image.width(), std::min(Image.height(), top + Band) - from);
        if (Monochrome) {
            // Ink as set bits over a black-and-white table: a PDF takes it as a 1-bit mask
            // painted in the pen's black.
            band = band.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither);
            if (band.colorCount() == 2 && band.color(0) != QColor(Qt::black).rgba()) {
                band.invertPixels();
                band.setColorTable({QColor(Qt::black).rgba(), QColor(Qt::white).rgba()});
            }
        }
        P.drawImage(At + QPoint(0, from), band);
    }
    P.restore();
}

QImage PlanPageImage(TPageContext& C, const TPrintSettings& S, const QRect& Block, QPoint& Origin,
                     const QString& Status)
{
    QImage img = PlanBitmap(Block, C.Visible, S.MonochBtn, Origin);
    if (img.isNull()) return img;
    img.setDotsPerMeterX(Round(C.PxPerMmX * 1000));
    img.setDotsPerMeterY(Round(C.PxPerMmY * 1000));
    C.ShowStatus(Status);
    return img;
}

void DrawPlan(QPainter& P, TPageContext& C, const TPrintSettings& S, int32 X1, int32 Y1, int32 X2, int32 Y2,
              int32 Mode)
{
    if (!C.Active()) return;
    const int W = X2 - X1, H = Y2 - Y1;
    if (W <= 0 || H <= 0) return;
    QPoint origin;
    QImage img = PlanPageImage(C, S, QRect(X1, Y1, W, H), origin, PrintMsgTexts().PlanStatus);
    if (img.isNull()) return;

    const QFont font = CtpFont(S.PrnStyles[psOther], C.PxPerMmY, &img);
    const QFontMetrics fm(font, &img);
    TPlanFrameInput in;
    in.Mode = Mode;
    in.Width = W;
    in.Height = H;
    in.PxPerMmX = C.PxPerMmX;
    in.PxPerMmY = C.PxPerMmY;
    in.MarginW = fm.horizontalAdvance(QStringLiteral("XXXXXXXX"));
    in.MarginH = fm.height();
    in.ScaleBand = S.EchPlanBtn ? 3 * fm.height() : 0;
    in.ScaleText = S.EchPlanBox;
    in.CtrLatText = S.CtrLatiEdit;
    in.CtrLonText = S.CtrLongEdit;
    in.Trace = Trj;
    in.Task = Stn;
    in.ScreenBox = ScreenBoxHook();
    const TPlanFrame F = PlanFrame(in);
    if (!F.Valid) {
        C.ShowStatus(QString());
        return;
    }
    const bool mapWanted = (S.MapPlanBtn && Mode < 0) || (S.MapSectBtn && Mode >= 0);
    const bool mapAllowed =
        mapWanted && C.CtrlSect != 1 && Opt && Opt->FondCarte && Map && Map->Valid && !Map->Image.isNull();
    const TPlanProjection Pr = PlanFrameProjection(F, W, H, mapAllowed ? Map : nullptr);

    {
        QPainter B(&img);
        B.translate(-origin);
        B.setFont(font);
        B.setPen(QPen(Qt::black, 1));
        TPlanDraw D{
            B, C, S, F, Pr, Mode, W, H, std::max(PageCoordLimit, 2 * std::max(W, H)), Pr.ThroughMap(), font};
        // Between layers the progress box's Esc may act; an abort leaves the rest undrawn.
        using TLayer = void (*)(TPlanDraw&);
        const TLayer layers[] = {DrawPlanWaypoints, DrawPlanGraticule, DrawPlanTrnMarks, DrawPlanPassage,
                                 DrawPlanZones,     DrawPlanTrace,     DrawPlanTask,     DrawPlanScaleBar};
        if (D.MapDrawn) PaintMapUnderlay(B, Pr, QRectF(origin, img.size()));
        for (TLayer layer : layers) {
            if (!C.Yield()) break;
            if (layer != DrawPlanZones || (S.SmpPlanBtn && Smp)) layer(D);
        }
    }
    if (C.Active()) DrawBlockImage(P, C, QPoint(X1, Y1) + origin, img, S.MonochBtn);
    C.ShowStatus(QString());
}
