#pragma once
// The text blocks of the printed page: the results block (flight results, task table, the text
// of a turn-point cell), the waypoint table over as many pages as it needs, and the title band.
// Each is a layout of texts computed without a painter, then painted.
#include "print/PrintPage.h"

#include <QDate>

// Pascal's Str(V:W:D): D decimals with "." and blanks in front up to W characters.
QString StrWD(double V, int W, int D);
// Graticule labels: hemisphere, degrees, minutes, seconds of the angle (1e-5 degree), cut to
// the degrees (mode 1), the minutes (2) or whole (3); any other mode gives an empty text.
QString GraticuleLatText(int32 Value, uint8 LabelMode);
QString GraticuleLongText(int32 Value, uint8 LabelMode);
// Dates of the title, "mer. 12 mai 2004" in French or "Wed 12 May 2004" in English.
QString TitleDate(const QDate& Date);
QDate DateOfDateTime(TDateTime D);

// What the results block reads.
struct TInfoSource
{
    const TTrj* Trj = nullptr;
    const TStn* Stn = nullptr;
    uint8 CtrlSect = 0;
    double PxPerMmY = 1;
};

// The results block of W x H pixels: mode -1 flight results with a task, -2 without a task,
// -3 the task table, n from 0 the text of turn point n. PageFontHeight is the cell height of
// the page font. Nothing without a task, or without a trace in modes -1 and -2.
TTextBlock InfoLayout(int W, int H, int32 Mode, const TInfoSource& Src, const TPrintSettings& S,
                      const TTextMeasure& M, int PageFontHeight);
void DrawInfo(QPainter& P, TPageContext& C, const TPrintSettings& S, int32 X1, int32 Y1, int32 X2, int32 Y2,
              int32 Mode);

// The waypoint table: column edges and rows.
struct TWptListColumns
{
    int32 c[7] = {};
    int32 X2 = 0;
    int RowH = 0, RowOffset = 0, RowsPerPage = 1;
};
TWptListColumns WptListColumns(int32 X1, int32 Y1, int32 X2, int32 Y2, const TTextMeasure& M, int FontHeight);
// Pages of a table of Count rows (0 for none).
int WptListPages(int Count, int RowsPerPage);
// The waypoints printed: every one, or the marked ones only.
int WptListCount(const TSwp& Set, bool MarkedOnly);
// One page of the table whose first row is numbered FirstNum.
TTextBlock WptListPage(const TWptListColumns& Col, int32 Y1, const std::vector<const TWpt*>& Rows,
                       int FirstNum, const TTextMeasure& M, int FontHeight);
// Draws the table from Y1 to Y2; on the printer it ends and starts the pages it needs, in the
// preview it stops after the first page.
void DrawWptList(QPainter& P, TPageContext& C, const TPrintSettings& S, int32 X1, int32 Y1, int32 X2,
                 int32 Y2);

// The title: with Full the pieces the settings ask for, then Text.
QString TitleText(const TPrintSettings& S, const TTrj* T, const QString& Text, bool Full, const QDate& Today);
struct TTitleLayout
{
    QString Text;
    int FontHeight = 0;
    TIntRect Box;
    QPoint TextPos; // top-left of the text
};
TTitleLayout TitleLayout(const QString& Title, const TIntRect& PageRect, double PxPerMmX, double PxPerMmY,
                         const TTextMeasure& M);
void DrawTitle(QPainter& P, TPageContext& C, const TPrintSettings& S, const QString& Text, bool Full);
