// Rounding, floored arithmetic, colours and the locale-free number texts.
#include "platform/Numbers.h"
#include "platform/ProgramDir.h"
#include "platform/Text1252.h"
#include "platform/WinColor.h"

#include <QDir>
#include <QTemporaryDir>
#include <clocale>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <random>

namespace {

TEST(Numbers, RoundsHalvesToEven)
{
    const std::pair<double, int32_t> cases[] = {
        {0.5, 0},   {1.5, 2},    {2.5, 2},    {3.5, 4},      {-0.5, 0},   {-1.5, -2},
        {-2.5, -2}, {2.4999, 2}, {2.5001, 3}, {-2.5001, -3}, {1e-300, 0}, {123456.5, 123456},
    };
    for (const auto& [v, r] : cases) EXPECT_EQ(Round(v), r) << v;
    EXPECT_EQ(Round64(4503599627370495.5), 4503599627370496);
    EXPECT_EQ(Round64(-2.5), -2);
    // Out of range and NaN stop at the limits instead of being undefined.
    EXPECT_EQ(Round(1e10), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(Round(-1e10), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(Round(std::nan("")), 0);
    EXPECT_EQ(Round64(1e30), std::numeric_limits<int64_t>::max());
    EXPECT_EQ(Trunc(-2.9), -2);
    EXPECT_EQ(Trunc(2.9), 2);
    EXPECT_EQ(Trunc(-1e12), std::numeric_limits<int32_t>::min());
}

TEST(Numbers, FlooredDivisionAndModulo)
{
    // a, b, floored a / b, floored a mod b (0 when b is 0).
    const std::tuple<int64_t, int64_t, int64_t, int64_t> cases[] = {
        {7, 2, 3, 1},       {-7, 2, -4, 1},         {7, -2, -4, -1}, {-8, 2, -4, 0},
        {-360, 360, -1, 0}, {-1, 86400, -1, 86399}, {5, 0, 0, 0},
    };
    for (auto [a, b, d, m] : cases)
        EXPECT_EQ(std::tuple(FloorDiv(a, b), FloorMod(a, b)), std::tuple(d, m)) << a << "," << b;
    EXPECT_EQ(FloorDiv(std::numeric_limits<int64_t>::min(), -1), std::numeric_limits<int64_t>::min());
}

TEST(Numbers, TextsWithoutLocale)
{
    std::setlocale(LC_NUMERIC, "C.UTF-8"); // the decimal point must not come from here anyway
    const std::tuple<double, int, const char*> fixed[] = {
        {3.14159, 2, "3.14"},          {2.5, 0, "2"},  {-0.001, 2, "0.00"}, {-1.005, 1, "-1.0"},
        {1234567.0, 3, "1234567.000"}, {1.5, -3, "2"},
    };
    for (auto [v, digits, text] : fixed) EXPECT_EQ(FloatToStrC(v, digits), text) << v;
    for (auto [v, text] : {std::pair(0.1, "0.1"), {-250.0, "-250"}, {1e21, "1e+21"}})
        EXPECT_EQ(FloatToStrShortest(v), text);

    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> dist(-1e6, 1e6);
    for (int i = 0; i < 2000; ++i) {
        const double v = dist(rng) * std::pow(10.0, int(rng() % 40) - 20);
        EXPECT_EQ(StrToFloatC(FloatToStrShortest(v)), v);
    }

    const std::pair<const char*, double> good[] = {
        {"1.5", 1.5},
        {"1,5", 1.5},
        {" -2e3 ", -2000},
        {".5", 0.5},
        {"5.", 5},
        {"+7", 7},
        {"\t0,25\t", 0.25},
        {"1E-2", 0.01},
        {"-0", -0.0},
        {"1e-400", 0},
        {"12345678901234567890", 12345678901234567890.0},
    };
    for (const auto& [text, v] : good) {
        const auto r = StrToFloatC(QString::fromLatin1(text));
        ASSERT_TRUE(r.has_value()) << text;
        EXPECT_EQ(*r, v) << text;
    }
    for (const char* bad :
         {"",         " ",  "-",   ".",    "1.2.3", "1,5,6", "1.5,6", "inf", "-INF", "nan",
          "infinity", "1e", "1e+", "0x10", "1 000", "12a",   "1e999", "--1", "e5",   "1.5 m"})
        EXPECT_FALSE(StrToFloatC(QString::fromLatin1(bad)).has_value()) << bad;

    EXPECT_EQ(StrToIntC(" -42 "), -42);
    EXPECT_EQ(StrToIntC("+9223372036854775807"), std::numeric_limits<int64_t>::max());
    EXPECT_EQ(StrToIntC("-9223372036854775808"), std::numeric_limits<int64_t>::min());
    for (const char* bad : {"9223372036854775808", "", "+", "1.0", "0x1", "1 2", "- 1"})
        EXPECT_FALSE(StrToIntC(QString::fromLatin1(bad)).has_value()) << bad;
}

TEST(Numbers, ColoursHaveRedInTheLowByte)
{
    EXPECT_EQ(WinColorToQColor(0x0000FF), QColor(255, 0, 0));
    EXPECT_EQ(WinColorToQColor(0xFF00FF), QColor(255, 0, 255));
    EXPECT_EQ(WinColorToQColor(0x123456), QColor(0x56, 0x34, 0x12));
    EXPECT_EQ(QColorToWinColor(QColor(0x56, 0x34, 0x12)), 0x123456);
    EXPECT_EQ(QColorToWinColor(QColor(Qt::red)), 255);
    EXPECT_EQ(QColorToWinColor(QColor::fromHsv(120, 255, 255)), 0x00FF00);
}

TEST(Numbers, Windows1252Texts)
{
    QByteArray all;
    for (int b = 0; b < 256; ++b) all.append(char(b));
    const QString text = FromWin1252(all);
    EXPECT_EQ(QString(text[0x80]) + text[0x92] + text[0x9F] + text[0xE9], QString::fromUtf8("€’Ÿé"));
    EXPECT_EQ(ToWin1252(text), all); // every byte comes back
    EXPECT_EQ(ToWin1252(QString::fromUtf8("Łódź €😀")), QByteArray("?\xf3"
                                                                  "d? \x80?"));
    EXPECT_TRUE(FitsWin1252("Genève €"));
    EXPECT_FALSE(FitsWin1252("Łódź"));

    EXPECT_TRUE(IsValidUtf8("plain \xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80"));
    for (const char* bad :
         {"\xc3", "\xc0\xaf", "\xe0\x80\xaf", "\xed\xa0\x80", "\xf4\x90\x80\x80", "\xff", "\xe2\x82", "\x80"})
        EXPECT_FALSE(IsValidUtf8(bad)) << bad;
}

TEST(Numbers, ProgramDirFollowsZephalonHome)
{
    const QByteArray saved = qgetenv("ZEPHALON_HOME");
    QTemporaryDir tmp;
    qputenv("ZEPHALON_HOME", QFile::encodeName(tmp.path() + "/sub/"));
    EXPECT_EQ(ProgramDir(), tmp.path() + "/sub");
    EXPECT_TRUE(QDir(tmp.path() + "/sub").exists());
    EXPECT_EQ(IniFileName(), tmp.path() + "/sub/Zephalon.ini");
    qunsetenv("ZEPHALON_HOME");
    EXPECT_FALSE(ProgramDir().endsWith(u'/'));
    EXPECT_TRUE(QFileInfo(ProgramDir()).isDir());
    qputenv("ZEPHALON_HOME", saved);
}

} // namespace
