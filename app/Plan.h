#pragma once
// The plan view: the map, zones, waypoints, task and traces seen from above, with the current
// fix, pan and zoom. Drawing and geometry live in app/PlanRender.h; this widget keeps the view
// window (centre and zoom), the marks (current fix, selected waypoint, live segment) and turns
// mouse and keys into changes of the model's current fix or selected waypoint.
#include "app/PlanRender.h"
#include "model/Define.h"

#include <QWidget>
#include <functional>
#include <vector>

class TPlanForm : public QWidget
{
    Q_OBJECT
public:
    // The first plan view created becomes the global PlanForm (cleared again when freed).
    explicit TPlanForm(QWidget* parent = nullptr);
    ~TPlanForm() override;

    // View window: centre and scale (pixels per 1e-5 degree).
    int32 CtrLati = 0;
    int32 CtrLong = 0;
    double Zoom = 0.01;
    // The paint box is the widget itself; the drawing area is its client size less BottomBand.
    QWidget* PaintBox = nullptr;
    int PaintBoxWidth() const;
    int PaintBoxHeight() const;
    int32 BottomBand = 0; // pixels of the scale band at the bottom (0 when hidden)
    bool ShowScale = true;
    // Position under the mouse (updated by mouse moves).
    int32 MouseLati = 0;
    int32 MouseLong = 0;
    // 0 no device window, 1 Garmin, logger, Magellan or NMEA window open, 2 MLR window open.
    uint8 ComMode = 0;

    // The projection of the current window and options (through the map calibration when the
    // scanned map is drawn).
    TPlanProjection Projection() const;
    // Geographic position of a pixel of the paint box.
    void ScreenToGeo(int X, int Y, int32& Lat, int32& Lon) const;
    // Centres the window on the point (Centre true) or keeps the point under the same pixel
    // (Centre false, the zoom-around-the-mouse case), zoom multiplied by Factor; repaints.
    void ZoomAround(int32 Lat, int32 Lon, bool Centre, double Factor);
    // True when the fix lies in the central 20 %..80 % of the width and drawing height.
    bool IsInCentralZone(const TRec* Rec) const;
    // Fits the window to the data: trace, else task, else waypoints; with FitCtrl in Flag to the
    // scanned map's extent, with FitShift to the zone set. Repaints.
    void Ajuste(uint8 Flag);
    // Current-point marker at the fix (Draw true) or none (false). Kept as state and painted.
    void DrawCursor(bool Draw, const TRec* Rec);
    // Selection mark of a waypoint: marking the marked waypoint again removes the mark (the
    // old draw-twice-to-erase use); nullptr removes it.
    void DrawWptCursor(const TWpt* Wpt);
    const TWpt* MarkedWpt() const { return fState.MarkedWpt; }
    // Live segment of the current trace, from Trj->LiveRec to its last fix: repaints it.
    void DrawSecTrj();
    // Task and, when the circuit search supplies them, its search cylinders: repaints.
    void DrawStn();
    // Search radii (metres, one per turn point in task order, 0 = none) of the circuit search
    // window while its grid shows a criteria row. Unset while that window does not exist.
    std::function<std::vector<double>()> StnSearchRadii;
    // Chooses the map of Sml whose bounds hold the current point (or the given position) and
    // loads it when it differs from the current one. Does nothing without a current fix or a
    // matching map; a map that failed to load is not tried again until the next RefreshView.
    void AutoSelectMap();
    void AutoSelectMap(const TPos& P);
    // Repaint after a change of the model (keeps the window).
    void RefreshView();

    // Pixel of a position in the current window (what the paint uses).
    QPointF GeoToScreen(int32 Lat, int32 Lon) const;
    // Nearest fix of the current trace (selected part) / waypoint of Swp to a pixel, within
    // MaxPixels; nullptr when none.
    TRec* NearestFix(QPointF P, double MaxPixels = 1e9) const;
    TWpt* NearestWpt(QPointF P, double MaxPixels = 1e9) const;
    // Makes the fix the current fix of the current trace, keeps it visible, repaints both
    // views and emits currentFixChanged.
    void SetCurrentFix(TRec* Rec);
    // Keyboard steps: Steps fixes forward (negative: back), or to the first (Steps < 0) or
    // last fix with ToEnd; the window follows when the fix leaves the central zone.
    void StepFix(int Steps, bool ToEnd);
    // Renders the view as painted (tests and screenshots).
    void Render(QPainter& P, const QSize& Size);

signals:
    void currentFixChanged();                    // Trj->CurRec changed from this view
    void selectedWptChanged();                   // Swp->SelWpt changed from this view
    void mousePositionChanged(int Lat, int Lon); // MouseLati/MouseLong changed

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void wheelEvent(QWheelEvent*) override;
    void keyPressEvent(QKeyEvent*) override;

private:
    void UpdateBand();
    void KeepVisible(const TRec* Rec);
    void FitBox(int32 LatMin, int32 LatMax, int32 LonMin, int32 LonMax);

    // Screen positions of the waypoints for the view they were computed in, so that mouse
    // moves in waypoint mode do not project the whole set again at each look-up.
    struct TWptPixels
    {
        std::vector<double> Key;
        std::vector<const TWpt*> Wpts;
        std::vector<QPointF> Pixels;
    };
    const TWptPixels& WptPixels(const TPlanProjection& Pr) const;
    mutable TWptPixels fWptPixels;
    uint32_t fGeneration = 0; // bumped by each refresh after a model change

    TPlanRenderer fRenderer;
    QString fFailedMap; // a map that did not load is not tried again at every step
    TPlanMarks fState;
    QPoint fPressPos;
    QPoint fLastDrag;
    bool fDragging = false;
    bool fPressed = false;
};

extern TPlanForm* PlanForm;
