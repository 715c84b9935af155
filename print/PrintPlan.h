#pragma once
// The printed plan: how a block's mode fixes its scale and centre, the box of positions the
// block covers, the projection of positions to block pixels, and the renderer that draws the
// layers into an off-screen image copied to the page in one piece.
#include "print/PlanProjection.h"
#include "print/PrintPage.h"

#include <QImage>
#include <functional>

// Ground length in millimetres of 1e-5 degree on the 6371 km sphere.
constexpr double MmPerUnit = 1111.9492664455875;
// Limits of the printed scale: 1/5000 and 1/10,000,000.
constexpr double PrnZoomMax = 0.0002;
constexpr double PrnZoomMin = 1e-7;
// Points of single marks stay within this distance of the block's corner (larger blocks raise
// it to twice their larger side).
constexpr int32 PageCoordLimit = 10000;
// Marks or segments drawn between two chances for the progress box's Esc to act.
constexpr int YieldStride = 2048;

// The integer of a scale text ("1/250000" or "250000": after the last "/"), Default when that
// is not a positive integer.
int32 ScaleTextValue(const QString& Text, int32 Default);
double ClampPlanZoom(double Zoom);
// Paper-to-ground ratio that fits a box (1e-5 degree) in Wmm x Hmm millimetres of paper, centred
// in CtrLat, CtrLon; a box of zero width or height counts as 100 units.
double FitPlanZoom(int32 LatMin, int32 LatMax, int32 LonMin, int32 LonMax, double Wmm, double Hmm,
                   int32& CtrLat, int32& CtrLon);

// The screen plan view's visible box for the "as on screen" plan: its north-west and south-east
// corners; false when there is no view. The main window installs it.
using TPlanScreenBox = std::function<bool(TPos& NorthWest, TPos& SouthEast)>;
void SetPlanScreenBox(TPlanScreenBox Box);

// What fixes a block's frame besides the model's trace and task.
struct TPlanFrameInput
{
    int32 Mode = -1;
    int Width = 0, Height = 0; // block pixels
    double PxPerMmX = 1, PxPerMmY = 1;
    int MarginW = 0, MarginH = 0; // text width and height of "XXXXXXXX"
    int ScaleBand = 0;
    QString ScaleText;              // the chosen scale (mode -3)
    QString CtrLatText, CtrLonText; // the chosen centre (mode -3)
    const TTrj* Trace = nullptr;
    const TStn* Task = nullptr;
    TPlanScreenBox ScreenBox;
};

struct TPlanFrame
{
    bool Valid = false; // false: the block draws nothing
    int32 CtrLat = 0, CtrLong = 0;
    double PlanZoom = 1;
    double ScaleX = 0, ScaleY = 0; // block pixels per 1e-5 degree
    int ScaleBand = 0;
    int32 LatMin = 0, LatMax = 0, LonMin = 0, LonMax = 0; // PageExtent
    const TTrn* CellTrn = nullptr;                        // a turn-point cell's turn point
    uint8 TrnKind = 0;
    bool TrnExtended = false;
};

TPlanFrame PlanFrame(const TPlanFrameInput& In);
// Box of positions covered by a Width x (Height - ScaleBand) drawing area.
void PageExtent(TPlanFrame& F, int Width, int Height);

// Projection of a frame: plain, or through the calibrated map M when it is usable and overlaps
// the frame's box.
TPlanProjection PlanFrameProjection(const TPlanFrame& F, int Width, int Height, const TMap* M);
// A single mark's point: rounded, pulled back toward the corner along its ray when a coordinate
// passes Limit.
QPoint PosToPage(QPointF Pt, int32 Limit);

// Everything a layer draws with.
struct TPlanDraw
{
    QPainter& P;
    const TPageContext& C;
    const TPrintSettings& S;
    TPlanFrame F;
    TPlanProjection Pr;
    int32 Mode = -1;
    int Width = 0, Height = 0;
    int32 Limit = PageCoordLimit;
    bool MapDrawn = false;
    QFont Font; // of "Autres"

    QPointF PosF(const TPos& Pos) const { return Pr.ToScreen(Pos); }
    QPoint Pos(const TPos& Pos) const { return PosToPage(Pr.ToScreen(Pos), Limit); }
    QColor Color(int Style) const { return CtpColor(S.PrnStyles[Style], S.MonochBtn); }
    int MarkRadius() const;
};

// A block's off-screen image: the part of the block inside Visible (page pixels), white; mono
// images are painted in colour and reduced at the end. Origin is the block pixel of its
// top-left corner.
QImage PlanBitmap(const QRect& Block, const QRect& Visible, bool Monochrome, QPoint& Origin);
// Puts a block's image on the page without loss (line art would blur as JPEG); a monochrome
// block as one bit per pixel.
void DrawBlockImage(QPainter& P, const TPageContext& C, QPoint At, const QImage& Image, bool Monochrome);
// The same at the page's resolution, the status line naming what is drawn.
QImage PlanPageImage(TPageContext& C, const TPrintSettings& S, const QRect& Block, QPoint& Origin,
                     const QString& Status);
