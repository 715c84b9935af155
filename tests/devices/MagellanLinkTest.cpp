// Magellan sentences: checksums, the receive buffer and the field parsers.
#include "devices/MagellanLink.h"
#include "model/Calc.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

QByteArray TestData(const char* Name)
{
    QFile f(QStringLiteral(ZPH_TESTDATA "/magellan/") + QLatin1String(Name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

TEST(MagellanLink, SentencesCarryTheirChecksumAndBlankTheSeparators)
{
    EXPECT_EQ(MgnSentence("CMD", {"HANDON"}), "$PMGNCMD,HANDON*70\r\n");
    EXPECT_EQ(MgnChecksum("$PMGNCMD,END*3D"), "3D");
    EXPECT_EQ(MgnChecksum("$*"), "00");
    EXPECT_EQ(MgnChecksum("no dollar"), "00");
    // A name with the separators of the wire stays one field.
    const QByteArray s = MgnSentence("DWP", {MgnField(QStringLiteral("A,B*C$D\r\nE"))});
    EXPECT_EQ(s.left(s.indexOf('*')), "$PMGNDWP,A B C D  E");
    EXPECT_EQ(s.count(','), 1);
    EXPECT_EQ(MgnLatField(-4520575), "4512.345");
    EXPECT_EQ(MgnLonField(-8273893), "08244.336");
    EXPECT_EQ(MgnLatField(4599999), "4559.999") << "never 60 minutes";
}

TEST(MagellanLink, ReaderTakesWholeSentencesDropsNoiseAndBadChecksums)
{
    TMgnReader r;
    TMgnSentence s;
    EXPECT_EQ(r.Next(s), TMgnReader::None);
    r.Append("noise$PMGNCSM,70*6");
    EXPECT_EQ(r.Next(s), TMgnReader::None);
    r.Append("2\r\n$PMGNCSM,70*01\r\n$PMGNTR$PMGNCMD,END*3D\r\n");
    ASSERT_EQ(r.Next(s), TMgnReader::Good) << s.Raw.constData();
    EXPECT_EQ(s.Command, "CSM");
    EXPECT_EQ(s.Field(1), "70");
    EXPECT_EQ(r.Next(s), TMgnReader::Bad);
    ASSERT_EQ(r.Next(s), TMgnReader::Good) << "a sentence cut short does not take the next one with it";
    EXPECT_EQ(s.Command, "CMD");
    EXPECT_EQ(s.Field(1), "END");
    EXPECT_EQ(s.Checksum, "3D");
    EXPECT_EQ(r.Pending(), 0);

    r.Append("no sentence start here");
    EXPECT_EQ(r.Next(s), TMgnReader::None);
    EXPECT_EQ(r.Pending(), 0);
    r.Append("$" + QByteArray(2000, 'x') + "$PMGNCMD");
    EXPECT_EQ(r.Next(s), TMgnReader::None);
    EXPECT_EQ(r.Pending(), 8) << "an overlong line keeps only what may start a sentence";
    r.Append(",END*3D\r\n");
    EXPECT_EQ(r.Next(s), TMgnReader::Good);

    // Ten fields at most; the last ends at the "*".
    r.Append(MgnSentence("TRK", {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11"}));
    ASSERT_EQ(r.Next(s), TMgnReader::Good);
    EXPECT_EQ(s.Field(10), "10");
    EXPECT_EQ(s.Field(11), "");
}

TEST(MagellanLink, EveryRealSentenceSurvivesAnySplitOfTheStream)
{
    const QByteArray all =
        TestData("dusky.trk") + TestData("magellandate.log") + TestData("magexplorist.rte");
    ASSERT_FALSE(all.isEmpty());
    const int expected = static_cast<int>(all.count("\r\n"));
    for (int chunk : {1, 7, 200, 5000}) {
        TMgnReader r;
        TMgnSentence s;
        int good = 0;
        for (qsizetype i = 0; i < all.size(); i += chunk) {
            r.Append(QByteArrayView(all).sliced(i, qMin<qsizetype>(chunk, all.size() - i)));
            for (TMgnReader::TResult res; (res = r.Next(s)) != TMgnReader::None;) {
                EXPECT_EQ(res, TMgnReader::Good) << s.Raw.constData();
                ++good;
            }
        }
        EXPECT_EQ(good, expected) << chunk;
    }
}

TEST(MagellanLink, FieldParsers)
{
    int32 v = 0;
    ASSERT_TRUE(MgnParseLatLong("4512.345", "S", v));
    EXPECT_EQ(v, -4520575);
    ASSERT_TRUE(MgnParseLatLong("08244.336", "W", v));
    EXPECT_EQ(v, -8273893);
    for (auto [t, h] : {std::pair{"4512.345", ""},
                        {"4512.345", "X"},
                        {"4512345", "N"},
                        {"9112.000", "N"},
                        {"4560.000", "N"},
                        {"45a2.345", "N"},
                        {".5", "N"},
                        {"18100.000", "E"}})
        EXPECT_FALSE(MgnParseLatLong(t, h, v)) << t << h;

    ASSERT_TRUE(MgnParseTime("101530.25", v));
    EXPECT_EQ(v, 1025840);
    for (const char* t : {"1015.3", "101530", "101530,25", "2415300.0", "106030.00", "", "10153a.00"})
        EXPECT_FALSE(MgnParseTime(t, v)) << t;

    ASSERT_TRUE(MgnParseAlt("1000", "F", v));
    EXPECT_EQ(v, 305);
    ASSERT_TRUE(MgnParseAlt("-0012", "M", v));
    EXPECT_EQ(v, -12);
    EXPECT_FALSE(MgnParseAlt("", "M", v));
    EXPECT_FALSE(MgnParseAlt("12x", "M", v));
    EXPECT_FALSE(MgnParseAlt("99999999999", "M", v));

    TDateTime d = 0, t = 0;
    ASSERT_TRUE(MgnParseDate("070898", 0, d));
    EXPECT_EQ(d, EncodeDate(1998, 8, 7));
    ASSERT_TRUE(MgnParseDate("010179", 0, d));
    EXPECT_EQ(d, EncodeDate(2079, 1, 1));
    ASSERT_TRUE(MgnParseDate("", EncodeDate(2026, 12, 6) + 0.5, d));
    EXPECT_EQ(d, EncodeDate(2026, 12, 6)) << "a short date is today";
    EXPECT_FALSE(MgnParseDate("310298", 0, d));
    EXPECT_FALSE(MgnParseDate("0101990", 0, d));

    EXPECT_FALSE(MgnDateTime(EncodeDate(1989, 12, 29), 2300000, t));
    EXPECT_TRUE(MgnDateTime(EncodeDate(1989, 12, 30), 0, t));
    EXPECT_TRUE(MgnDateTime(EncodeDate(2050, 12, 31), 0, t));
    EXPECT_FALSE(MgnDateTime(EncodeDate(2050, 12, 31), 28, t)) << "one second past midnight";
}

TEST(MagellanLink, RouteAndWaypointSentences)
{
    TMgnReader r;
    TMgnSentence s;
    r.Append("$PMGNRTE,6,6,c,1,40A,a,*0D\r\n$PMGNRTE,2,1,c,1,Route 1,WPT006,a,WPT007,a*63\r\n"
             "$PMGNWPL,3408.881,N,11750.002,W,0000356,M,WPT006,,a*2D\r\n"
             "$PMGNWPL,3408.881,E,11750.002,W,0000356,M,WPT006,,a*26\r\n");
    ASSERT_EQ(r.Next(s), TMgnReader::Good);
    EXPECT_EQ(MgnRouteNames(s), QStringList{"40A"});
    ASSERT_EQ(r.Next(s), TMgnReader::Good);
    EXPECT_EQ(MgnRouteNames(s), (QStringList{"WPT006", "WPT007"})) << "the name of the route is no waypoint";
    TWptBase w;
    ASSERT_EQ(r.Next(s), TMgnReader::Good);
    ASSERT_TRUE(MgnParseWpl(s, w));
    EXPECT_EQ(w.Name, "WPT006");
    EXPECT_EQ(w.Alt, 356);
    EXPECT_EQ(w.Lon, -11783337);
    EXPECT_TRUE(w.Rep);
    ASSERT_EQ(r.Next(s), TMgnReader::Good);
    EXPECT_FALSE(MgnParseWpl(s, w)) << "a latitude in the east";
}
