#pragma once
// Rounding and locale-free number texts.
#include <QString>
#include <cstdint>
#include <optional>

// Round half to even, the program's one rounding rule.
int32_t Round(double v);
int64_t Round64(double v);
// Truncation toward zero, where a computation asks for it explicitly.
int32_t Trunc(double v);
// Floored division and modulo (result of FloorMod has the sign of the divisor).
int64_t FloorDiv(int64_t a, int64_t b);
int64_t FloorMod(int64_t a, int64_t b);

// Numbers written and read with "." whatever the locale.
QString FloatToStrC(double v, int decimals);   // fixed decimals
QString FloatToStrShortest(double v);          // shortest text that reads back the same
std::optional<double> StrToFloatC(const QString& s);   // accepts "." (and "," as a decimal mark)
std::optional<int64_t> StrToIntC(const QString& s);    // optional sign, digits, blanks trimmed
