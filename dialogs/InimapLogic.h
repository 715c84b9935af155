#pragma once
// What the map calibration window computes without a window: the quarter and thirds under the
// mouse, the area, caption and status texts, the capture of three points for the curvature of
// the parallels or meridians, the corner icons and the inverting marks drawn over the image.
#include "model/Define.h"

#include <QColor>
#include <QRect>
#include <QString>
#include <array>

class QPainter;

// Quarter (reference point 0 upper left, 1 upper right, 2 lower left, 3 lower right) and thirds
// (by column: parallels, by row: meridians) of a pixel of a W x H image. The pixel is first
// clamped to the image, so a drag beyond it stays within 0..3 and 0..2; the last column and
// row belong to the right and lower parts.
struct TMapRegion
{
    uint8 RefIdx = 0;
    uint8 ParallelIdx = 0;
    uint8 MeridianIdx = 0;
};
TMapRegion MapRegionAt(int32 x, int32 y, int32 W, int32 H);

// Which curvature is being captured: none (the calibration mode), the parallels or the
// meridians.
enum class TCurvMode
{
    None,
    Parallels,
    Meridians
};

// Name of the area under the mouse, in the current language.
QString IniMapAreaText(TCurvMode Mode, const TMapRegion& R);
// A position as the window shows it: latitude " , " longitude, or zone " , " northing " , "
// easting.
QString IniMapPosText(int32 Lat, int32 Lon, bool Utm);
// Window caption for the pixel (x, y): file name, area, pixel, " - " and its position with
// curvature, or " - ??? , ???" when the pixel does not convert ("a.jpg - Secteur en haut à
// gauche - 10 , 20 -  - ??? , ???").
QString IniMapCaption(const QString& ImagePath, TMap& M, TCurvMode Mode, int32 x, int32 y, bool Utm);
// Status line: what to click while capturing, else the state of the reference point under the
// mouse.
QString IniMapStatus(const TMap& M, TCurvMode Mode, const TMapRegion& R, bool Utm);

// Texts of the side panel.
QString IniMapPointState(bool Defined);  // "OK" / "non OK"
QString IniMapCurveState(bool Straight); // "Droite" / "Courbe"

// The capture of three points on one parallel or meridian, and what ends it.
class TCurvCapture
{
public:
    TCurvMode Mode = TCurvMode::None;
    std::array<TMapCalPoint, 3> Pts; // indexed by third; Valid when captured

    // Whether a curvature button can be pressed: every reference point defined and the other
    // curvature not being captured.
    static bool AllPointsDefined(const TMap& M);
    bool ButtonEnabled(TCurvMode Button, const TMap& M) const;

    // The button of Mode was clicked. Up: capture starts with no point. Down: the capture ends
    // (Finish).
    void Toggle(TCurvMode Button, TMap& M);
    // Ends the capture of the current mode. With three points the two coefficients are
    // computed (a degenerate set is reported and changes nothing). With a point missing the
    // user is asked: Yes makes the lines straight, No goes on capturing with the points kept,
    // Cancel keeps the old coefficients. Returns false when the capture goes on.
    bool Finish(TMap& M);
    // Leaves the capture without computing anything.
    void Abandon();
    // A click on pixel (x, y) while capturing: the point of its third, with its position
    // without curvature. A pixel that does not convert captures nothing. False when nothing
    // was captured.
    bool Click(TMap& M, const TMapRegion& R, int32 x, int32 y);

    int CapturedCount() const;

private:
    void Clear();
};

// Columns (parallels) or rows (meridians) of the band of third k of an image of Size pixels:
// round(Size·k/3) .. round(Size·(k+1)/3), the end excluded.
QRect IniMapBand(TCurvMode Mode, int k, int32 W, int32 H);
// Draws the inverting marks in image coordinates: while capturing, the band of each captured
// point and a disc of radius 10 around it; otherwise a disc around each defined reference point.
void PaintIniMapMarks(QPainter& P, const TMap& M, const TCurvCapture& C, int32 W, int32 H);

// The corner icons: four 25 x 25 squares 32 pixels apart and the quarter square of each
// reference point.
QRect IniMapIconSquare(int k);
QRect IniMapIconQuarter(int k);
// Draws them: squares of the panel's colour outlined in black, quarters black when the point is
// defined and red when not.
void PaintIniMapIcons(QPainter& P, const TMap& M, const QColor& Panel);
