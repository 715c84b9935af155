#include "app/Cutt.h"

#include "app/Plan.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <cmath>

TCuttForm* CuttForm = nullptr;

namespace {

constexpr int DragThreshold = 4;
constexpr double WheelFactor = 1.25;

bool InTrace(const TTrj* T, const TRec* R)
{
    if (!T || !R) return false;
    for (const TRec* P = T->First; P; P = P->Next)
        if (P == R) return true;
    return false;
}

} // namespace

TCuttForm::TCuttForm(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(100, 60);
    if (!CuttForm) CuttForm = this;
}

TCuttForm::~TCuttForm()
{
    if (CuttForm == this) CuttForm = nullptr;
}

void TCuttForm::DrawCursor(bool Draw, const TRec* Rec)
{
    fState.Cursor = Draw ? Rec : nullptr;
    update();
}

void TCuttForm::DrawSecTrj()
{
    fState.Live = true;
    update();
}

void TCuttForm::RefreshView()
{
    fState.Cursor = Trj ? Trj->CurRec : nullptr;
    if (!Trj || !Trj->LiveRec) fState.Live = false;
    if (Trj && Trj->First && CuttWindowUnfitted(*Trj)) CuttFitWindow(*Trj);
    update();
}

void TCuttForm::FitView()
{
    if (Trj) CuttFitWindow(*Trj);
    update();
}

void TCuttForm::ZoomTime(double Factor, int32 Time)
{
    if (Trj && Trj->First) CuttZoomTime(*Trj, Factor, Time);
    update();
}

void TCuttForm::PanTime(int32 Delta)
{
    if (Trj && Trj->First) CuttPanTime(*Trj, Delta);
    update();
}

TCuttProjection TCuttForm::Projection() const
{
    if (!Trj) return {};
    return CuttProjection(*Trj, size(), fontMetrics());
}

void TCuttForm::SelectAtX(int X)
{
    if (!Trj || !Trj->First) return;
    Trj->FindNearestTime(Projection().XToTime(X));
    fState.Cursor = Trj->CurRec;
    update();
    if (PlanForm) PlanForm->DrawCursor(true, Trj->CurRec);
    emit currentFixChanged();
}

void TCuttForm::StepFix(int Steps, bool ToEnd)
{
    if (PlanForm) {
        PlanForm->StepFix(Steps, ToEnd); // moves the cursor of both views
        return;
    }
    if (!Trj || !Trj->First) return;
    TRec* R = InTrace(Trj, Trj->CurRec) ? Trj->CurRec : Trj->First;
    if (ToEnd)
        R = Steps < 0 ? Trj->First : Trj->Last;
    else {
        for (; Steps > 0 && R->Next; --Steps) R = R->Next;
        for (; Steps < 0 && R->Prev; ++Steps) R = R->Prev;
    }
    Trj->CurRec = R;
    DrawCursor(true, R);
    emit currentFixChanged();
}

void TCuttForm::Render(QPainter& P, const QSize& Size)
{
    TCuttMarks marks = fState;
    if (marks.Cursor && !InTrace(Trj, marks.Cursor)) marks.Cursor = nullptr;
    if (marks.Live && !(Trj && InTrace(Trj, Trj->LiveRec))) marks.Live = false;
    P.setFont(font());
    PaintCutt(P, Size, marks);
}

void TCuttForm::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    Render(p, size());
}

void TCuttForm::mousePressEvent(QMouseEvent* e)
{
    setFocus();
    if (e->button() != Qt::LeftButton) return;
    fPressed = true;
    fDragging = false;
    fPressPos = e->position().toPoint();
    fLastDragX = fPressPos.x();
}

void TCuttForm::mouseMoveEvent(QMouseEvent* e)
{
    if (!fPressed || !Trj) return;
    const QPoint p = e->position().toPoint();
    if (!fDragging && (p - fPressPos).manhattanLength() >= DragThreshold) fDragging = true;
    if (!fDragging) return;
    const TCuttProjection pr = Projection();
    const int32 delta = pr.XToTime(fLastDragX) - pr.XToTime(p.x());
    fLastDragX = p.x();
    PanTime(delta);
}

void TCuttForm::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton || !fPressed) return;
    fPressed = false;
    if (fDragging) {
        fDragging = false;
        return;
    }
    SelectAtX(e->position().toPoint().x());
}

void TCuttForm::wheelEvent(QWheelEvent* e)
{
    const double notches = e->angleDelta().y() / 120.0;
    if (notches == 0 || !Trj) return;
    ZoomTime(std::pow(WheelFactor, notches), Projection().XToTime(e->position().x()));
    e->accept();
}

void TCuttForm::keyPressEvent(QKeyEvent* e)
{
    if (!Trj || !Trj->First) {
        QWidget::keyPressEvent(e);
        return;
    }
    const int32 span = Trj->ViewTimeMax - Trj->ViewTimeMin;
    const int32 centre = Trj->ViewTimeMin + span / 2;
    switch (e->key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        ZoomTime(1.5, centre);
        break;
    case Qt::Key_Minus:
        ZoomTime(1 / 1.5, centre);
        break;
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End:
        if (e->modifiers() & Qt::ControlModifier) {
            if (e->key() == Qt::Key_Left) PanTime(-span / 8);
            if (e->key() == Qt::Key_Right) PanTime(span / 8);
        } else {
            const int k = e->key();
            const int steps = k == Qt::Key_Left     ? -1
                              : k == Qt::Key_Right  ? 1
                              : k == Qt::Key_PageUp ? -10
                                                    : 10;
            const bool toEnd = k == Qt::Key_Home || k == Qt::Key_End;
            StepFix(k == Qt::Key_Home ? -1 : steps, toEnd);
        }
        break;
    default:
        QWidget::keyPressEvent(e);
    }
}
