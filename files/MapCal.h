#pragma once
// Scanned maps: the calibration file beside each image (same base name, extension ".ini"),
// the import of a map description file (".map"), and the georeferencing of the image by its
// four reference points with the optional curvature of the parallels and meridians.
//
// Calibration file, section "Def": "Pos<i>_X", "Pos<i>_Y", "Pos<i>_Lati", "Pos<i>_Long" for the
// reference points i = 0 upper left, 1 upper right, 2 lower left, 3 lower right, and the reals
// "aLong", "aLati", "aX", "aY". Section "General": "Comment", "Width", "Height" and the bounds
// "Lati_Max", "Lati_Min", "Long_Max", "Long_Min".
#include "model/Define.h"
#include <QString>
#include <array>

class TIniFile;

// Missing markers of a reference point.
constexpr int32 MapPixMissing = -1;
constexpr int32 MapPosMissing = 50000000;

// Raises Qt's image allocation limit so that large scanned maps load. Called at start-up (and
// again by LoadMap, harmless).
void InitImageLimits();

// The image path with its extension replaced by ".ini" / ".map".
QString MapCalFileName(const QString& ImagePath);
QString MapDescFileName(const QString& ImagePath);

// ---- Real numbers of the calibration file ----------------------------------------------------

// " 1.23450000000000E-0005": sign (blank or "-"), one digit, 14 decimals, "E", sign, 4 digits.
QString MapCalFloatToStr(double v);
// Leading and trailing blanks skipped, optional sign, fraction and exponent, "." only. A text
// that does not convert (or gives no finite number) reads as 0.
double MapCalStrToFloat(const QString& s);

// ---- Reading --------------------------------------------------------------------------------

// Reference points and coefficients (section "Def") into M, the comment into Comment. A point is
// defined (Valid) only when its four keys are read whole; a value that is absent, not a number
// or out of range reads as its missing marker and leaves its point undefined. An unreadable
// coefficient reads as 0.
//
// Everywhere below, a point counts as defined by its Valid flag alone: a point never entered
// holds zeros, which are no missing markers.
void ReadMapCal(const TIniFile& Ini, TMap& M, QString& Comment);
// The same from a file; false (and nothing read) when the file does not exist.
bool ReadMapCal(const QString& CalFile, TMap& M, QString& Comment);
// Size and bounds (section "General") into M: Width and Height -1 when absent or not positive,
// bounds 0 when absent or not numbers.
void ReadMapCalGeneral(const TIniFile& Ini, TMap& M);

// Where the calibration of an image comes from when the calibration window opens.
enum class TMapCalSource
{
    None,
    CalFile,
    DescFile
};
// The calibration file when it exists, else the description file (import; a failed import
// reports its error and changes nothing), else nothing.
TMapCalSource OpenMapCalibration(const QString& ImagePath, TMap& M, QString& Comment);

// ---- Map description file (".map") ----------------------------------------------------------

// Imports section "Map": the four reference points on the image corners, coefficients 0,
// comment MapName + two blanks + MapSet. All or nothing: on a value that does not convert,
// false with Error (user's language) and M and Comment unchanged.
bool ImportMapDesc(const TIniFile& Ini, TMap& M, QString& Comment, QString& Error);
// The same from a file; reports the error in a message box.
bool ImportMapDesc(const QString& MapFile, TMap& M, QString& Comment);

// ---- Georeferencing -------------------------------------------------------------------------

// Position (1e-5 degree) of an image pixel. With curvature the correction of the meridians
// (aLong) and parallels (aLati) is applied and bLong, bLati are left in M. False when a
// reference point is undefined, a divisor is zero (two reference points in one column, row or
// position) or a result is not a finite value within range; the outputs are then unchanged.
bool IniMapPixelToPos(TMap& M, int32 x, int32 y, bool WithCurvature, int32& Lati, int32& Long);
// Pixel of a position, the reverse conversion with the coefficients aX and aY (0 = straight).
// Same failures (a pixel beyond the int32 range is not a result).
bool IniMapPosToPixel(const TMap& M, int32 Lati, int32 Long, double& x, double& y);
bool IniMapPosToPixel(const TMap& M, int32 Lati, int32 Long, int32& x, int32& y);
// True when all four points are defined and no divisor of either conversion is zero.
bool IniMapUsable(const TMap& M);

// Curvature from three points captured on one parallel (left, central, right third: aLati, aY)
// or on one meridian (upper, central, lower third: aLong, aX); each point holds its pixel and
// its position without curvature. False (coefficients unchanged) on a zero divisor or a result
// that is not finite.
bool MapCurvParallels(TMap& M, const std::array<TMapCalPoint, 3>& C);
bool MapCurvMeridians(TMap& M, const std::array<TMapCalPoint, 3>& C);

struct TMapBounds
{
    int32 Lati_Min = 0, Lati_Max = 0, Long_Min = 0, Long_Max = 0;
};
// Bounds from the four corner pixels of a Width x Height image, with curvature. False when a
// point is undefined, the size is not positive or a corner does not convert.
bool MapCornerBounds(TMap& M, int32 Width, int32 Height, TMapBounds& B);

// ---- Writing --------------------------------------------------------------------------------
// Each step returns false when a write failed (Ini.LastError() says why).

// The four keys of each defined point (keys of an undefined point are neither written nor
// removed) and the four coefficients; Undefined receives the number of undefined points.
bool WriteMapCalDef(TIniFile& Ini, const TMap& M, int& Undefined);
// "Comment", "Width", "Height".
bool WriteMapCalGeneral(TIniFile& Ini, const QString& Comment, int32 Width, int32 Height);
// The bounds, only for a map that can be shown: every point defined, both conversions usable
// (IniMapUsable) and the four corners converting (else nothing is written and the result is
// true).
bool WriteMapCalBounds(TIniFile& Ini, TMap& M, int32 Width, int32 Height);
// The whole save into CalFile in the order above; a failed write is reported in a message box.
bool SaveMapCal(const QString& CalFile, TMap& M, const QString& Comment, int32 Width, int32 Height);
// Message box for a calibration file that could not be written.
void ReportMapCalWriteError(const TIniFile& Ini);
