#pragma once
// The profile view: pressure and GPS altitude of the current trace against local time, the
// current-fix cursor and the live segment. The view window is kept with the trace
// (TTrj::ViewTimeMin..ViewAltMax) and read by the printed cross-section. Drawing and geometry
// live in app/CuttRender.h.
#include "app/CuttRender.h"
#include "model/Define.h"

#include <QWidget>

class TCuttForm : public QWidget
{
    Q_OBJECT
public:
    // The first profile view created becomes the global CuttForm (cleared again when freed).
    explicit TCuttForm(QWidget* parent = nullptr);
    ~TCuttForm() override;

    // Current-point marker at the fix (Draw true) or none (false). Kept as state and painted.
    void DrawCursor(bool Draw, const TRec* Rec);
    // Live segment of the current trace, from Trj->LiveRec to its last fix: repaints it.
    void DrawSecTrj();
    // Repaint after a change of the model; a trace whose view window is still unfitted (empty
    // or as loading left it) gets the whole trace with margins.
    void RefreshView();
    // View window in time: the whole trace; zoom by Factor (> 1 zooms in) keeping Time under
    // the same pixel; shift by Delta time units. Altitudes follow the fixes inside the window.
    void FitView();
    void ZoomTime(double Factor, int32 Time);
    void PanTime(int32 Delta);

    // Geometry of the current window and widget size.
    TCuttProjection Projection() const;
    // Makes the fix nearest to the time under pixel X the current fix, repaints both views and
    // emits currentFixChanged.
    void SelectAtX(int X);
    // Steps through the fixes like the plan view's keys (through the plan view when it exists).
    void StepFix(int Steps, bool ToEnd);
    // Renders the view as painted (tests and screenshots).
    void Render(QPainter& P, const QSize& Size);

signals:
    void currentFixChanged(); // Trj->CurRec changed from this view

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void wheelEvent(QWheelEvent*) override;
    void keyPressEvent(QKeyEvent*) override;

private:
    TCuttMarks fState;
    QPoint fPressPos;
    int fLastDragX = 0;
    bool fDragging = false;
    bool fPressed = false;
};

extern TCuttForm* CuttForm;
