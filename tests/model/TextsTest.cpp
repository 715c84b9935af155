// Texts of times and coordinates, both ways.
#include "model/Texts.h"
#include "model/Options.h"
#include "platform/MaskEdit.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

class OptScope
{
public:
    explicit OptScope(int latLong) : saved(Opt)
    {
        opt.UniteLatiLong = latLong;
        Opt = &opt;
    }
    ~OptScope() { Opt = saved; }

private:
    TOpt opt;
    TOpt* saved;
};

QString U(const char* s)
{
    return QString::fromUtf8(s);
}

} // namespace

TEST(TextsCoord, SecondsForm)
{
    OptScope o(0);
    // -1 rounds to zero: no southern zero. -13 is 0.468", -14 is 0.504". 59.6 seconds round into
    // the next minute, and 60 minutes into the next degree. Half seconds go to the even second
    // (125 is 4.5", 375 is 13.5"). Outside the ranges (and the missing marker): empty.
    // clang-format off
    const std::pair<int32, const char*> lats[] = {
        {4520576, "N45°12'21\""}, {-3350000, "S33°30'00\""}, {0, "N00°00'00\""}, {-1, "N00°00'00\""},
        {9000000, "N90°00'00\""}, {4599989, "N46°00'00\""}, {9000001, ""}, {-9000001, ""}, {50000000, ""}};
    const std::pair<int32, const char*> lons[] = {
        {-13, "E000°00'00\""}, {-14, "W000°00'01\""}, {500000, "E005°00'00\""}, {-12345678, "W123°27'24\""},
        {18000000, "E180°00'00\""}, {-18000000, "W180°00'00\""}, {125, "E000°00'04\""}, {375, "E000°00'14\""},
        {18000001, ""}, {50000000, ""}};
    // clang-format on
    for (auto [v, t] : lats) EXPECT_EQ(LatiToStr(v), U(t)) << v;
    for (auto [v, t] : lons) EXPECT_EQ(LongToStr(v), U(t)) << v;
    EXPECT_EQ(LatMask(), U("L00°00'00\";1;_"));
    EXPECT_EQ(LonMask(), U("L000°00'00\";1;_"));
}

TEST(TextsCoord, MinutesForm)
{
    OptScope o(1);
    EXPECT_EQ(LatiToStr(4520576), U("N45°12.35'"));
    EXPECT_EQ(LongToStr(-12345678), U("W123°27.41'"));
    EXPECT_EQ(LatiToStr(4599993), U("N46°00.00'")); // 59.9996' carries
    EXPECT_EQ(LatMask(), U("L00°00.00';1;_"));
    EXPECT_EQ(LonMask(), U("L000°00.00';1;_"));
    // Without options the default form applies.
    Opt = nullptr;
    const bool minutes = TOpt().UniteLatiLong == 1;
    EXPECT_EQ(LatiToStr(4520576), minutes ? U("N45°12.35'") : U("N45°12'21\""));
}

TEST(TextsCoord, FormatCoordPartsAndCarries)
{
    OptScope o(1);
    QString d, s, m;
    // Mode 2: always seconds; mode 1: the option's hundredths. 5°59'59.96" gives 6°00'00".
    for (auto [v, mode, want] : {std::tuple(-4520576, 2, "045|12|21"),
                                 {4520576, 1, "045|12|35"},
                                 {599999, 2, "006|00|00"},
                                 {17999999, 1, "180|00|00"}}) {
        FormatCoord(v, d, mode, s, m);
        EXPECT_EQ(d + "|" + m + "|" + s, want) << v;
    }

    EXPECT_EQ(FormatCoordDdmm(4520576, false, 2), "4512.346,N");
    EXPECT_EQ(FormatCoordDdmm(-599999, true, 2), "00559.999,W");
    EXPECT_EQ(FormatCoordDdmm(1666, false, 2), "0001.000,N"); // 0.9996' carries into the minute
    EXPECT_EQ(FormatCoordDdmm(-4520576, false, 2), "4512.346,S");
    EXPECT_EQ(FormatCoordDdmm(0, true, 2), "00000.000,E");
}

TEST(TextsCoord, ParseBothForms)
{
    int32 v = 0;
    {
        OptScope o(0);
        // Minutes and seconds above 59 count on.
        // clang-format off
        const std::tuple<bool, const char*, int32> good[] = {
            {false, "N45°12'21\"", 4520583}, {false, "s45°12'21\"", -4520583}, {true, "w123°27'24\"", -12345667},
            {true, "E005°00'00\"", 500000}, {false, "N45°75'00\"", 4625000}, {false, "N45°00'90\"", 4502500},
            {false, "N90°00'00\"", 9000000}, {true, "W180°00'00\"", -18000000}};
        // clang-format on
        for (auto [lon, t, want] : good) {
            EXPECT_TRUE(lon ? ParseLon(U(t), v) : ParseLat(U(t), v)) << t;
            EXPECT_EQ(v, want) << t;
        }
        v = 123;
        for (const char* bad : {"", "N", "X45°12'21\"", "E45°12'21\"", "N45°12.21'", "N4a°12'21\"",
                                "N45°12'21", "N045°12'21\"", "N45°12'21\" ", " N45°12'21\"", "N45d12'21\"",
                                "N45°1 '21\"", "N-5°12'21\"", "N95°00'00\"", "N89°99'99\"", "N４5°12'21\""}) {
            EXPECT_FALSE(ParseLat(U(bad), v)) << bad;
        }
        for (const char* bad :
             {"E05°00'00\"", "N005°00'00\"", "E181°00'00\"", "E180°00'01\"", "E005°00.00'"}) {
            EXPECT_FALSE(ParseLon(U(bad), v)) << bad;
        }
        EXPECT_EQ(v, 123); // untouched by a refusal
    }
    {
        OptScope o(1);
        // Minutes above 59 count on.
        for (auto [lon, t, want] : {std::tuple(false, "N45°12.35'", 4520583),
                                    {true, "W123°27.41'", -12345683},
                                    {false, "n45°99.99'", 4666650}}) {
            EXPECT_TRUE(lon ? ParseLon(U(t), v) : ParseLat(U(t), v)) << t;
            EXPECT_EQ(v, want) << t;
        }
        EXPECT_FALSE(ParseLat(U("N45°12'21\""), v));
        EXPECT_FALSE(ParseLat(U("N45°12,35'"), v));
        EXPECT_FALSE(ParseLon(U("E005°12.35"), v));
    }
}

TEST(TextsCoord, TextsParseBackAndFitTheMasks)
{
    // For both forms: every text LatiToStr/LongToStr make parses back to within the rounding
    // of its last digit, prints the same again, and fills the edit mask.
    for (int form = 0; form <= 1; ++form) {
        OptScope o(form);
        const int32 tol = form == 1 ? 9 : 14; // half of 0.01' or of 1"
        for (int64_t x = -9000000; x <= 9000000; x += 997) {
            const QString t = LatiToStr(int32(x));
            int32 v = 0;
            ASSERT_TRUE(ParseLat(t, v)) << t.toStdString();
            ASSERT_LE(std::llabs(v - x), tol) << t.toStdString();
            ASSERT_EQ(LatiToStr(v), t);
            ASSERT_TRUE(MaskTextComplete(LatMask(), t)) << t.toStdString();
        }
        for (int64_t x = -18000000; x <= 18000000; x += 1999) {
            const QString t = LongToStr(int32(x));
            int32 v = 0;
            ASSERT_TRUE(ParseLon(t, v)) << t.toStdString();
            ASSERT_LE(std::llabs(v - x), tol) << t.toStdString();
            ASSERT_EQ(LongToStr(v), t);
            ASSERT_TRUE(MaskTextComplete(LonMask(), t)) << t.toStdString();
        }
    }
}

TEST(TextsTime, TimeToHmsAndBack)
{
    // Modulo 24 h; hours without a leading zero; 59.976 s carry into the minute, 59 min 59.964 s
    // into the hour and into the next day.
    // clang-format off
    const std::pair<int32, const char*> hms[] = {
        {1258222, "12:34:56"}, {-1258222, "-12:34:56"}, {2400000 + 1258222, "12:34:56"}, {0, "0:00:00"},
        {1666, "0:01:00"}, {99999, "1:00:00"}, {2399999, "0:00:00"}, {-908333, "-9:05:00"}};
    // clang-format on
    for (auto [v, text] : hms) EXPECT_EQ(TimeToHms(v), text) << v;
    EXPECT_EQ(TimeToHms(INT32_MIN).left(1), "-");

    int32 t = 0;
    // Minutes above 59 count on.
    for (auto [text, want] : {std::pair("12:34:56", 1258222),
                              {"24:00:00", 2400000},
                              {"12:75:00", 1325000},
                              {"9:05:00", 908333}}) {
        EXPECT_TRUE(HmsToTime(text, t)) << text;
        EXPECT_EQ(t, want) << text;
    }
    t = 42;
    for (const char* bad :
         {"", "12:34", "12:34:56:00", "12-34-56", "12:34.56", "24:00:01", "99:99:99", "12:3a:00", "12: 4:00",
          "12:-4:00", "+1:00:00", "123:00:00", "12::00", " 12:00:00"}) {
        EXPECT_FALSE(HmsToTime(bad, t)) << bad;
    }
    EXPECT_EQ(t, 42);
    // Every second of the day comes back unchanged.
    for (int s = 0; s < 86400; ++s) {
        const int32 units = int32(std::lround(s / 0.036));
        ASSERT_TRUE(HmsToTime(TimeToHms(units), t));
        ASSERT_EQ(t, units) << s;
    }
}

TEST(TextsMisc, CoursesDecimalDegreesAndAttributes)
{
    for (auto [cap, text] :
         {std::pair(0.0, "360°"), {45.4, "045°"}, {359.6, "360°"}, {-90.0, "270°"}, {720.2, "360°"}})
        EXPECT_EQ(CapToStr(cap), U(text)) << cap;
    EXPECT_EQ(CapToStr(NAN), QString());

    int32 v = 0;
    EXPECT_EQ(StrToCoordInt("45,12345"), 4512345);
    EXPECT_EQ(StrToCoordInt("-1.5"), -150000);
    for (const char* bad : {"abc", "", "1e30"}) EXPECT_FALSE(StrToCoordInt(bad, v)) << bad;
    EXPECT_EQ(StrToCoordInt("abc"), 0);
    EXPECT_TRUE(StrToCoordInt(" 5.5 ", v));
    EXPECT_EQ(v, 550000);

    EXPECT_EQ(WptAttrToStr(0x7F), "TALSFHR");
    EXPECT_EQ(WptAttrToStr(0x80), "");
    EXPECT_EQ(WptAttrToStr(0x41), "TR");
    EXPECT_EQ(StrToWptAttr("tAx r"), 0x41 | 0x02);
    EXPECT_EQ(StrToWptAttr(U("ſ")), 0); // no letter outside ASCII counts
    for (int a = 0; a < 128; ++a) EXPECT_EQ(StrToWptAttr(WptAttrToStr(uint8(a))), a);
}
