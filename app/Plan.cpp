#include "app/Plan.h"
#include "print/PrintPlan.h"

#include "app/Cutt.h"
#include "files/MapLoad.h"
#include "model/Options.h"
#include "platform/Numbers.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

TPlanForm* PlanForm = nullptr;

namespace {

constexpr int DragThreshold = 4;     // pixels before a press becomes a drag
constexpr double WheelFactor = 1.25; // zoom per wheel notch
constexpr double KeyZoom = 1.5;      // zoom per + / - key

bool InTrace(const TTrj* T, const TRec* R)
{
    if (!T || !R) return false;
    for (const TRec* P = T->First; P; P = P->Next)
        if (P == R) return true;
    return false;
}

bool InSet(const TSwp* S, const TWpt* W)
{
    if (!S || !W) return false;
    for (const TWpt* P = S->First; P; P = P->Next)
        if (P == W) return true;
    return false;
}

} // namespace

TPlanForm::TPlanForm(QWidget* parent) : QWidget(parent)
{
    PaintBox = this;
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(100, 80);
    UpdateBand();
    if (!PlanForm) {
        PlanForm = this;
        // The printed plan "as on screen" copies the box this view shows.
        SetPlanScreenBox([](TPos& NW, TPos& SE) {
            if (!PlanForm) return false;
            PlanForm->ScreenToGeo(0, 0, NW.Lat, NW.Lon);
            PlanForm->ScreenToGeo(PlanForm->PaintBoxWidth() - 1,
                                  PlanForm->PaintBoxHeight() - PlanForm->BottomBand, SE.Lat, SE.Lon);
            return true;
        });
    }
}

TPlanForm::~TPlanForm()
{
    if (PlanForm == this) {
        PlanForm = nullptr;
        SetPlanScreenBox(nullptr);
    }
}

int TPlanForm::PaintBoxWidth() const
{
    return width();
}

int TPlanForm::PaintBoxHeight() const
{
    return height();
}

void TPlanForm::UpdateBand()
{
    BottomBand = ShowScale ? fontMetrics().height() * 2 + 4 : 0;
}

TPlanProjection TPlanForm::Projection() const
{
    TMap* m = (Opt && Opt->FondCarte && Map && Map->Valid) ? Map : nullptr;
    return TPlanProjection::Make(CtrLati, CtrLong, Zoom, PaintBoxWidth(), PaintBoxHeight() - BottomBand, m);
}

void TPlanForm::ScreenToGeo(int X, int Y, int32& Lat, int32& Lon) const
{
    Projection().ToGeo(X, Y, Lat, Lon);
}

QPointF TPlanForm::GeoToScreen(int32 Lat, int32 Lon) const
{
    return Projection().ToScreen(Lat, Lon);
}

void TPlanForm::ZoomAround(int32 Lat, int32 Lon, bool Centre, double Factor)
{
    if (!(Factor > 0) || !std::isfinite(Factor)) Factor = 1;
    const QPointF keep = Centre ? QPointF() : GeoToScreen(Lat, Lon);
    Zoom = std::clamp(Zoom * Factor, PlanZoomMin, PlanZoomMax);
    CtrLati = Lat;
    CtrLong = Lon;
    if (!Centre) {
        // Move the centre until the point is back under its pixel (a few steps suffice, also
        // through the map calibration).
        for (int i = 0; i < 4; ++i) {
            const TPlanProjection pr = Projection();
            const QPointF now = pr.ToScreen(Lat, Lon);
            const QPointF d = now - keep;
            if (std::abs(d.x()) < 0.5 && std::abs(d.y()) < 0.5) break;
            pr.ToGeo(pr.HalfW + d.x(), pr.HalfH + d.y(), CtrLati, CtrLong);
        }
    }
    update();
}

bool TPlanForm::IsInCentralZone(const TRec* Rec) const
{
    if (!Rec) return false;
    const QPointF q = GeoToScreen(Rec->Lat, Rec->Lon);
    const double w = PaintBoxWidth(), h = PaintBoxHeight() - BottomBand;
    return q.x() >= 0.2 * w && q.x() <= 0.8 * w && q.y() >= 0.2 * h && q.y() <= 0.8 * h;
}

void TPlanForm::FitBox(int32 LatMin, int32 LatMax, int32 LonMin, int32 LonMax)
{
    Zoom = FitZoom(LatMin, LatMax, LonMin, LonMax, PaintBoxWidth(), PaintBoxHeight() - BottomBand, CtrLati,
                   CtrLong);
}

void TPlanForm::Ajuste(uint8 Flag)
{
    if ((Flag & FitCtrl) && Map && Map->Valid) {
        FitBox(Map->Lati_Min, Map->Lati_Max, Map->Long_Min, Map->Long_Max);
    } else if ((Flag & FitShift) && Smp && Smp->Count > 0) {
        FitBox(Smp->LatMin, Smp->LatMax, Smp->LonMin, Smp->LonMax);
    } else if (Trj && Trj->RecCount > 0) {
        int32 latMin = Trj->LatMin, latMax = Trj->LatMax, lonMin = Trj->LonMin, lonMax = Trj->LonMax;
        if (SyncTrj)
            for (const TTrj* T = FirstTrj; T; T = T->NextTrj) {
                if (T->RecCount == 0) continue;
                latMin = std::min(latMin, T->LatMin);
                latMax = std::max(latMax, T->LatMax);
                lonMin = std::min(lonMin, T->LonMin);
                lonMax = std::max(lonMax, T->LonMax);
            }
        FitBox(latMin, latMax, lonMin, lonMax);
    } else if (Stn && Stn->First) {
        int32 latMin = Stn->First->Lat, latMax = latMin, lonMin = Stn->First->Lon, lonMax = lonMin;
        for (const TTrn* T = Stn->First; T; T = T->Next) {
            latMin = std::min(latMin, T->Lat);
            latMax = std::max(latMax, T->Lat);
            lonMin = std::min(lonMin, T->Lon);
            lonMax = std::max(lonMax, T->Lon);
        }
        FitBox(latMin, latMax, lonMin, lonMax);
    } else if (Swp && Swp->Count > 0) {
        FitBox(Swp->LatMin, Swp->LatMax, Swp->LonMin, Swp->LonMax);
    }
    update();
}

void TPlanForm::DrawCursor(bool Draw, const TRec* Rec)
{
    fState.Cursor = Draw ? Rec : nullptr;
    update();
}

void TPlanForm::DrawWptCursor(const TWpt* Wpt)
{
    fState.MarkedWpt = (Wpt && Wpt != fState.MarkedWpt) ? Wpt : nullptr;
    update();
}

void TPlanForm::DrawSecTrj()
{
    fState.Live = true;
    update();
}

void TPlanForm::DrawStn()
{
    fState.SearchRadii = StnSearchRadii ? StnSearchRadii() : std::vector<double>();
    update();
}

void TPlanForm::AutoSelectMap()
{
    if (Trj && Trj->CurRec) AutoSelectMap(*Trj->CurRec);
}

void TPlanForm::AutoSelectMap(const TPos& R)
{
    if (!Sml || !Opt) return;
    auto holds = [&](int32 latMin, int32 latMax, int32 lonMin, int32 lonMax) {
        return R.Lat >= latMin && R.Lat <= latMax && R.Lon >= lonMin && R.Lon <= lonMax;
    };
    if (Map && Map->Valid && holds(Map->Lati_Min, Map->Lati_Max, Map->Long_Min, Map->Long_Max)) return;
    for (const TMapLoc& L : Sml->Items) {
        if (!holds(L.Lati_Min, L.Lati_Max, L.Long_Min, L.Long_Max)) continue;
        if (L.Name == Opt->FichFondCarte && Map && Map->Valid) return;
        if (L.Name == fFailedMap) continue;
        if (LoadMap(L.Name)) {
            fRenderer.Invalidate();
            update();
            return;
        }
        fFailedMap = L.Name;
    }
}

void TPlanForm::RefreshView()
{
    ++fGeneration;
    fRenderer.Invalidate();
    fFailedMap.clear();
    fState.Cursor = Trj ? Trj->CurRec : nullptr;
    if (!Trj || !Trj->LiveRec) fState.Live = false;
    if (fState.MarkedWpt && !InSet(Swp, fState.MarkedWpt)) fState.MarkedWpt = nullptr;
    fState.SearchRadii = StnSearchRadii ? StnSearchRadii() : std::vector<double>();
    update();
}

TRec* TPlanForm::NearestFix(QPointF P, double MaxPixels) const
{
    if (!Trj || !Trj->First) return nullptr;
    const TPlanProjection pr = Projection();
    TRec* from = Trj->SelFirst ? Trj->SelFirst : Trj->First;
    const TRec* to = Trj->SelLast ? Trj->SelLast : Trj->Last;
    TRec* best = nullptr;
    double bestD = MaxPixels * MaxPixels;
    for (TRec* R = from; R; R = R->Next) {
        const QPointF q = pr.ToScreen(R->Lat, R->Lon) - P;
        const double d = q.x() * q.x() + q.y() * q.y();
        if (d <= bestD) {
            if (!best || d < bestD) best = R;
            bestD = d;
        }
        if (R == to) break;
    }
    return best;
}

const TPlanForm::TWptPixels& TPlanForm::WptPixels(const TPlanProjection& Pr) const
{
    std::vector<double> key{double(Pr.CtrLat), double(Pr.CtrLon),  Pr.Zoom,       Pr.HalfW,
                            Pr.HalfH,          Pr.CosLat,          Pr.MapOriginX, Pr.MapOriginY,
                            Pr.MapScale,       double(fGeneration)};
    if (Pr.MapCal) {
        const TMap& M = *Pr.MapCal;
        key.insert(key.end(), {M.aLong, M.aLati, M.aX, M.aY, M.bLong, M.bLati, M.bX, M.bY});
    }
    key.push_back(double(reinterpret_cast<uintptr_t>(Swp)));
    key.push_back(Swp ? double(Swp->Count) : -1);
    key.push_back(Swp ? double(reinterpret_cast<uintptr_t>(Swp->Last)) : 0);
    if (key != fWptPixels.Key) {
        fWptPixels.Key = std::move(key);
        fWptPixels.Wpts.clear();
        fWptPixels.Pixels.clear();
        if (Swp) {
            fWptPixels.Wpts.reserve(Swp->Count);
            fWptPixels.Pixels.reserve(Swp->Count);
            for (const TWpt* W = Swp->First; W; W = W->Next) {
                fWptPixels.Wpts.push_back(W);
                fWptPixels.Pixels.push_back(Pr.ToScreen(*W));
            }
        }
    }
    return fWptPixels;
}

TWpt* TPlanForm::NearestWpt(QPointF P, double MaxPixels) const
{
    if (!Swp) return nullptr;
    const TWptPixels& px = WptPixels(Projection());
    int best = -1;
    double bestD = MaxPixels * MaxPixels;
    for (size_t i = 0; i < px.Pixels.size(); ++i) {
        const double dx = px.Pixels[i].x() - P.x(), dy = px.Pixels[i].y() - P.y();
        const double d = dx * dx + dy * dy;
        if (d <= bestD && (best < 0 || d < bestD)) {
            best = int(i);
            bestD = d;
        }
    }
    // The set owns its waypoints; the view only hands back the one found.
    return best < 0 ? nullptr : const_cast<TWpt*>(px.Wpts[size_t(best)]);
}

void TPlanForm::KeepVisible(const TRec* Rec)
{
    if (Rec && !IsInCentralZone(Rec)) {
        CtrLati = Rec->Lat;
        CtrLong = Rec->Lon;
    }
}

void TPlanForm::SetCurrentFix(TRec* Rec)
{
    if (!Trj || !Rec) return;
    Trj->CurRec = Rec;
    fState.Cursor = Rec;
    if (Opt && Opt->AutoSelectionCarte) AutoSelectMap();
    update();
    if (CuttForm) CuttForm->DrawCursor(true, Rec);
    emit currentFixChanged();
}

void TPlanForm::StepFix(int Steps, bool ToEnd)
{
    if (!Trj || !Trj->First) return;
    TRec* R = Trj->CurRec && InTrace(Trj, Trj->CurRec) ? Trj->CurRec : Trj->First;
    if (ToEnd) {
        R = Steps < 0 ? Trj->First : Trj->Last;
    } else {
        for (; Steps > 0 && R->Next; --Steps) R = R->Next;
        for (; Steps < 0 && R->Prev; ++Steps) R = R->Prev;
    }
    KeepVisible(R);
    SetCurrentFix(R);
}

void TPlanForm::Render(QPainter& P, const QSize& Size)
{
    TPlanMarks marks = fState;
    const TPlanProjection pr =
        TPlanProjection::Make(CtrLati, CtrLong, Zoom, Size.width(), Size.height() - BottomBand,
                              (Opt && Opt->FondCarte && Map && Map->Valid) ? Map : nullptr);
    // Marks that no longer belong to the model are not drawn.
    if (marks.Cursor && !InTrace(Trj, marks.Cursor)) marks.Cursor = nullptr;
    if (marks.MarkedWpt && !InSet(Swp, marks.MarkedWpt)) marks.MarkedWpt = nullptr;
    if (marks.Live && !(Trj && InTrace(Trj, Trj->LiveRec))) marks.Live = false;
    P.setFont(font());
    fRenderer.Paint(P, Size, BottomBand, pr, marks);
}

void TPlanForm::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    Render(p, size());
}

void TPlanForm::resizeEvent(QResizeEvent* e)
{
    UpdateBand();
    QWidget::resizeEvent(e);
}

void TPlanForm::mousePressEvent(QMouseEvent* e)
{
    setFocus();
    if (e->button() != Qt::LeftButton) return;
    fPressed = true;
    fDragging = false;
    fPressPos = fLastDrag = e->position().toPoint();
}

void TPlanForm::mouseMoveEvent(QMouseEvent* e)
{
    const QPoint p = e->position().toPoint();
    if (fPressed) {
        if (!fDragging && (p - fPressPos).manhattanLength() >= DragThreshold) fDragging = true;
        if (fDragging) {
            const QPoint d = p - fLastDrag;
            const TPlanProjection pr = Projection();
            pr.ToGeo(pr.HalfW - d.x(), pr.HalfH - d.y(), CtrLati, CtrLong);
            fLastDrag = p;
            update();
        }
    }
    ScreenToGeo(p.x(), p.y(), MouseLati, MouseLong);
    emit mousePositionChanged(MouseLati, MouseLong);
}

void TPlanForm::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton || !fPressed) return;
    fPressed = false;
    if (fDragging) {
        fDragging = false;
        return;
    }
    const QPointF p = e->position();
    if (WptMode) {
        if (TWpt* W = NearestWpt(p)) {
            Swp->SelWpt = W;
            fState.MarkedWpt = W;
            update();
            emit selectedWptChanged();
        }
    } else if (TRec* R = NearestFix(p)) {
        SetCurrentFix(R);
    }
}

void TPlanForm::wheelEvent(QWheelEvent* e)
{
    const double notches = e->angleDelta().y() / 120.0;
    if (notches == 0) return;
    const QPointF p = e->position();
    int32 lat, lon;
    ScreenToGeo(Round(p.x()), Round(p.y()), lat, lon);
    ZoomAround(lat, lon, false, std::pow(WheelFactor, notches));
    e->accept();
}

void TPlanForm::keyPressEvent(QKeyEvent* e)
{
    const bool ctrl = e->modifiers() & Qt::ControlModifier;
    const int panX = PaintBoxWidth() / 8, panY = (PaintBoxHeight() - BottomBand) / 8;
    auto pan = [&](int dx, int dy) {
        const TPlanProjection pr = Projection();
        pr.ToGeo(pr.HalfW + dx, pr.HalfH + dy, CtrLati, CtrLong);
        update();
    };
    switch (e->key()) {
    case Qt::Key_Left:
        ctrl ? pan(-panX, 0) : StepFix(-1, false);
        break;
    case Qt::Key_Right:
        ctrl ? pan(panX, 0) : StepFix(1, false);
        break;
    case Qt::Key_Up:
        pan(0, -panY);
        break;
    case Qt::Key_Down:
        pan(0, panY);
        break;
    case Qt::Key_PageUp:
        StepFix(-10, false);
        break;
    case Qt::Key_PageDown:
        StepFix(10, false);
        break;
    case Qt::Key_Home:
        StepFix(-1, true);
        break;
    case Qt::Key_End:
        StepFix(1, true);
        break;
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        ZoomAround(CtrLati, CtrLong, true, KeyZoom);
        break;
    case Qt::Key_Minus:
        ZoomAround(CtrLati, CtrLong, true, 1 / KeyZoom);
        break;
    default:
        QWidget::keyPressEvent(e);
    }
}
