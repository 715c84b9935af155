#pragma once
// The printed page: its geometry in millimetres and pixels, the page context every block
// draws with, the shared style functions, and the composition of a page out of its blocks.
// The same code draws on a printer, a preview widget or an image: only the painter and the
// context differ.
#include "model/Define.h"
#include "print/PrintIni.h"

#include <QColor>
#include <QFont>
#include <QPen>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <functional>
#include <vector>

class QPainter;
class QPaintDevice;

constexpr double MmPerInch = 25.4;
constexpr double TitleBandHeight = 8; // mm
extern const QString ResultsSample;   // its width is the width of the results column

// A rectangle by its four edges, in pixels of the page (Right and Bottom are edges, not the
// last pixel inside).
struct TIntRect
{
    int32 Left = 0, Top = 0, Right = 0, Bottom = 0;
    int32 Width() const { return Right - Left; }
    int32 Height() const { return Bottom - Top; }
    bool Positive() const { return Right > Left && Bottom > Top; }
    bool operator==(const TIntRect&) const = default;
};

// ---- Geometry --------------------------------------------------------------------------------

// What the printer tells of its page, in its own pixels.
struct TPrinterGeometry
{
    double DpiX = 600, DpiY = 600;
    QPoint PrnOffset; // printable area from the paper's top-left corner
    QSize PhysSize;   // the paper
    QSize PageSize;   // the printable area
};

// The preview window's client size and tool bar height.
struct TPreviewArea
{
    int CW = 0, CH = 0, TB = 0;
};

struct TPageGeometry
{
    TIntRect PageRect;
    double PxPerMmX = 0, PxPerMmY = 0;
    int32 UnprintRight = 0, UnprintBottom = 0;
    QSize PaintBox;     // preview: the drawing area
    QPoint PaintBoxPos; // preview: its place in the scroll area
};

// The page model for printing (OutMode 0), the preview (OutMode above 0) or the sector-check
// sheet (CtrlSect 1, which fills the preview area). Except on the sector-check sheet, margins of S
// narrower than the printer's unprintable strips are raised to them (whole millimetres, the
// strip's plus one) and stay raised. A printer page of no size gives an empty page.
TPageGeometry PageGeometry(const TPrinterGeometry& G, TPrintSettings& S, uint8 OutMode, uint8 CtrlSect,
                           double Zoom, const TPreviewArea& A);

// ---- Page context ----------------------------------------------------------------------------

struct TPageContext
{
    TIntRect PageRect;
    double PxPerMmX = 1, PxPerMmY = 1;
    uint8 OutMode = 0;  // 0 printer, above 0 preview
    uint8 CtrlSect = 0; // 1 sector-check sheet
    double Zoom = 1;
    QSize PaintBox; // preview: the area cleared before drawing
    QRect Visible;  // the part of the page to draw (all of it when printing)
    QFont PageFont; // font of "Autres" by the font rule, set by DrawPage
    bool Printing = false;
    const bool* Aborted = nullptr; // the print job's abort flag
    // Printer only: ends the page and starts the next one (false when the printer refuses).
    std::function<bool()> NewPage;
    // Printer only: lets the progress box's abort button act (see Yield).
    std::function<void()> ProcessEvents;
    // Status bar text (empty clears it).
    std::function<void(const QString&)> Status;

    // Page rectangle, pixels per millimetre and paint box of a computed geometry.
    void SetGeometry(const TPageGeometry& G)
    {
        PageRect = G.PageRect;
        PxPerMmX = G.PxPerMmX;
        PxPerMmY = G.PxPerMmY;
        PaintBox = G.PaintBox;
    }
    bool Previewing() const { return OutMode > 0; }
    // Blocks draw only while previewing, or printing and not aborted.
    bool Active() const { return Previewing() || (Printing && !(Aborted && *Aborted)); }
    void ShowStatus(const QString& Text) const
    {
        if (Status) Status(Text);
    }
    // Called between layers and within long loops: while printing, lets pending events (the
    // progress box's Esc) run when some milliseconds of drawing have passed since the last
    // time, so that an abort answers at once. True while the block may go on drawing.
    bool Yield() const;
    // Yields whatever the time since the last one.
    bool YieldNow() const;

private:
    mutable qint64 fLastYield = 0; // ms, monotonic
};

// ---- Styles ----------------------------------------------------------------------------------

Qt::PenStyle CtpPenStyle(uint8 Style);           // 0 solid .. 4 dash-dot-dot, others solid
QColor CtpColor(const TCtp& C, bool Monochrome); // black when monochrome
// Page pixels of a style's pen width: a unit is one pixel of a 96 dpi screen, so that a width
// is the same on the preview and on paper at any resolution; never below one pixel.
double PenPx(double Units, double PxPerMm);
// Colour, style and width on a page of PxPerMm pixels per millimetre.
QPen CtpPen(const TCtp& C, bool Monochrome, double PxPerMm);
// Cell height (ascent + descent) of a font size: Size/64 inch in pixels.
int FontCellHeight(int Size, double PxPerMmY);
// The font of that name whose cell height on the device is CellHeight pixels (as close as the
// font allows).
QFont PrintFont(const QString& Name, int CellHeight, const QPaintDevice* Device);
QFont CtpFont(const TCtp& C, double PxPerMmY, const QPaintDevice* Device);

// Widths and heights of texts at a cell height: the page font on the target device, or a
// fixed-pitch stand-in in tests.
class TTextMeasure
{
public:
    virtual ~TTextMeasure() = default;
    virtual int Width(const QString& Text, int CellHeight) const = 0;
    virtual int Height(int CellHeight) const = 0;
};

class TFontMeasure : public TTextMeasure
{
public:
    TFontMeasure(const QString& Family, const QPaintDevice* Device);
    int Width(const QString& Text, int CellHeight) const override;
    int Height(int CellHeight) const override;
    QFont Font(int CellHeight) const;

private:
    struct Entry;
    const Entry& At(int CellHeight) const;
    QString fFamily;
    const QPaintDevice* fDevice;
    mutable std::vector<std::pair<int, std::shared_ptr<Entry>>> fCache;
};

// ---- Laid-out text ---------------------------------------------------------------------------

// One text of a block: its left edge and top in block pixels and its cell height.
struct TTextItem
{
    QString Text;
    int X = 0, Y = 0;
    int FontHeight = 0;
    int ClipRight = 0; // when above X, the text is cut there (a long name before a time)
};

struct TTextBlock
{
    std::vector<TTextItem> Items;
    std::vector<QLine> Lines;
};

// A text fit to be drawn on one line: line breaks, tabs and other control characters become
// blanks.
QString OneLine(const QString& Text);
// Paints the items in the colour given, offset by Origin, each line of text with its own font.
void PaintTextBlock(QPainter& P, const TTextBlock& B, QPoint Origin, const TFontMeasure& M,
                    const QColor& Color);

// ---- Composition -----------------------------------------------------------------------------

// The whole page of the chosen view (S.PrnView), or the sector-check sheet.
void DrawPage(QPainter& P, TPageContext& C, const TPrintSettings& S);
// Frames a block with a 0.25 mm pen.
void DrawFrame(QPainter& P, const TPageContext& C, int32 X1, int32 Y1, int32 X2, int32 Y2);
// One cell per turn point of the task: its plan above, its text in the bottom 3.2 lines.
void DrawTrnViews(QPainter& P, TPageContext& C, const TPrintSettings& S, int32 X1, int32 Y1, int32 X2,
                  int32 Y2);

// Rows of the turn-point cells: the row count whose cells come closest to square (one row when
// no row count gives cells of a positive size).
int TrnViewRows(int32 W, int32 H, int N, int TH);
// The cells of N turn points in the rectangle, in task order.
std::vector<TIntRect> TrnViewCells(int32 X1, int32 Y1, int32 X2, int32 Y2, int N, int TH);

// The layout of the detail page below the title band.
struct TDetailLayout
{
    bool HasAlt = false;
    bool WithTask = false;
    int32 X0 = 0, Y0 = 0, Y1 = 0; // results column edge, band top, band bottom
};
TDetailLayout DetailLayout(const TPageContext& C, const TPrintSettings& S, const TTrj* T, const TStn* Task,
                           int TH, int ResultsWidth);
// Whether a fix after the first of the selected part has an altitude.
bool SelectionHasAltitudes(const TTrj& T);
// The fix nearest to a time (the first of equals), without moving the trace's current fix.
const TRec* NearestFix(const TTrj& T, int32 Time);

// Blocks drawn by the plan and cross-section renderers.
void DrawPlan(QPainter& P, TPageContext& C, const TPrintSettings& S, int32 X1, int32 Y1, int32 X2, int32 Y2,
              int32 Mode);
void DrawCutt(QPainter& P, TPageContext& C, const TPrintSettings& S, int32 X1, int32 Y1, int32 X2, int32 Y2,
              int32 Mode);
