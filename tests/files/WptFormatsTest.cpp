// Waypoint readers (Cambridge DAT, Zander WPZ, tabulated WPT, SeeYou CUP, GPX) on real files
// and hand-made inputs, and the DAT, WPZ and WPT writers read back.
#include "files/WptFormats.h"
#include "model/Texts.h"
#include "platform/Msg.h"
#include <functional>
#include <gtest/gtest.h>
#include <vector>

namespace {

class WptFormats : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Msg::SetHeadless(true);
        ModelInit();
    }
    static std::vector<TWpt> All(const TSwp& S)
    {
        std::vector<TWpt> v;
        for (const TWpt* W = S.First; W; W = W->Next) v.push_back(*W);
        return v;
    }
    // Name, position, altitude, attributes and comment of a waypoint.
    static auto Fields(const TWpt& W)
    {
        return std::tuple(W.Name, W.Lat, W.Lon, W.Alt, WptAttrToStr(W.Attr), W.Comment);
    }
    static std::unique_ptr<TSwp> Read(const char* Rel, TReadReport& R)
    {
        return ReadWptFile(QString(ZPH_TESTDATA) + Rel, R);
    }
    static std::unique_ptr<TSwp> ReadText(const QByteArray& Data, const char* Ext, TReadReport& R)
    {
        return ReadWptData(Data, Ext, QStringLiteral("test.") + Ext, R);
    }
    static void AddWpt(TSwp& S, int32 Lat, int32 Lon, int32 Alt, const QString& Name, const QString& Comment,
                       const QString& Attr)
    {
        auto W = std::make_unique<TWpt>();
        W->Lat = Lat;
        W->Lon = Lon;
        W->Alt = Alt;
        W->Name = Name;
        W->Comment = Comment;
        W->Attr = StrToWptAttr(Attr);
        ASSERT_TRUE(S.AddWpt(W));
    }
    // Reads back what a writer wrote of S: nothing rejected, the same waypoints with positions
    // within Tol, names and comments cut to what the format holds (-1: whole; comments are not
    // compared when CommentLen is 0, and trimmed when cut), attributes compared when asked.
    static std::unique_ptr<TSwp> ReadBack(const QByteArray& Out, const char* Ext, const TSwp& S, int32 Tol,
                                          int NameLen, int CommentLen, bool Attr)
    {
        TReadReport R;
        auto B = ReadText(Out, Ext, R);
        EXPECT_TRUE(B);
        if (!B) return B;
        EXPECT_EQ(R.Rejected, 0);
        const auto a = All(S), b = All(*B);
        EXPECT_EQ(a.size(), b.size());
        for (size_t i = 0; i < std::min(a.size(), b.size()); ++i) {
            EXPECT_NEAR(b[i].Lat, a[i].Lat, Tol) << i;
            EXPECT_NEAR(b[i].Lon, a[i].Lon, Tol) << i;
            EXPECT_EQ(b[i].Alt, a[i].Alt) << i;
            EXPECT_EQ(b[i].Attr, Attr ? a[i].Attr : b[i].Attr) << i;
            EXPECT_EQ(b[i].Name, a[i].Name.left(NameLen)) << i;
            const QString comment = CommentLen < 0   ? a[i].Comment
                                    : CommentLen > 0 ? a[i].Comment.left(CommentLen).trimmed()
                                                     : b[i].Comment;
            EXPECT_EQ(b[i].Comment, comment) << i;
        }
        return B;
    }
    // A set that exercises the writers: hemispheres, carries, edges, texts.
    static std::unique_ptr<TSwp> Sample()
    {
        auto S = std::make_unique<TSwp>();
        AddWpt(*S, 5081417, 619139, 189, "Aachen", "Pumpstation", "T");
        AddWpt(*S, -3265333, -7001167, 6962, QString::fromUtf8("Aconcagua é"), "Highest, in south-america",
               "TAH");
        AddWpt(*S, 4599999, -17999999, -5, "Edge 59.99", "", "L");
        AddWpt(*S, 0, 0, 0, "", QString::fromUtf8("Zero – dash"), "");
        AddWpt(*S, -8999999, 17999999, 12, "ABCDEFGHIJKLMNO", QString(90, 'c'), "SFR");
        return S;
    }
};

} // namespace

TEST_F(WptFormats, CambridgeRealFiles)
{
    TReadReport R;
    auto S = Read("/waypoints/euregio9.dat", R);
    ASSERT_TRUE(S);
    EXPECT_EQ(std::tuple(R.Rejected, S->Count, S->Modified, S->FileName),
              std::tuple(0, 99, false, QString(ZPH_TESTDATA) + "/waypoints/euregio9.dat"));
    const auto W = All(*S);
    // 50:48:51N 006:11:29E
    EXPECT_EQ(Fields(W[0]), std::tuple("Aachen", 5081417, 619139, 189, "T", "PmpsttnGfr=3"));
    EXPECT_EQ(std::tuple(W[2].Name, WptAttrToStr(W[2].Attr)), std::tuple("Ailertchen", "TA"));
    EXPECT_EQ(std::tuple(W.back().Name, WptAttrToStr(W.back().Attr)), std::tuple("ZL RWY EDKA", "AFH"));
    // Bounds of the set follow its waypoints.
    EXPECT_LE(S->LatMin, 5081417);
    EXPECT_GE(S->LatMax, 5081417);

    R = TReadReport();
    S = Read("/waypoints/waypoints.dat", R);
    ASSERT_TRUE(S);
    EXPECT_EQ(S->Count, 5);
    const auto V = All(*S);
    // 32:39.200S 070:00.700W, then 51:03:07N.
    EXPECT_EQ(Fields(V[0]), std::tuple("Aconcagua", -3265333, -7001167, 6962, WptAttrToStr(V[0].Attr),
                                       "Highest mountain in south-america"));
    EXPECT_EQ(std::tuple(V[1].Lat, WptAttrToStr(V[1].Attr)), std::tuple(5105194, "TAH"));
    EXPECT_EQ(std::tuple(V[4].Name, V[4].Comment), std::tuple("Sydney Opera", ""));
}

TEST_F(WptFormats, TheSamePointsInThreeFormats)
{
    TReadReport R;
    auto D = Read("/waypoints/euregio9.dat", R);
    auto Z = Read("/waypoints/euregio9.wpz", R);
    auto C = Read("/waypoints/euregio9.cup", R);
    ASSERT_TRUE(D && Z && C);
    EXPECT_EQ(R.Rejected, 0);
    const auto d = All(*D), z = All(*Z), c = All(*C);
    ASSERT_EQ(z.size(), 99u);
    ASSERT_EQ(c.size(), 99u);
    for (size_t i = 0; i < 99; ++i) {
        // Both in whole seconds; 0.001 minute against 1 second.
        EXPECT_EQ(std::tuple(z[i].Lat, z[i].Lon, z[i].Alt, c[i].Alt, z[i].Name.left(4)),
                  std::tuple(d[i].Lat, d[i].Lon, d[i].Alt, d[i].Alt, d[i].Name.left(4).toUpper()))
            << i;
        EXPECT_NEAR(c[i].Lat, d[i].Lat, 2) << i;
        EXPECT_NEAR(c[i].Lon, d[i].Lon, 2) << i;
    }
    // "WA" reads as TA; the SeeYou name is cut to 15.
    EXPECT_EQ(std::tuple(z[0].Name, z[0].Comment, WptAttrToStr(z[0].Attr), WptAttrToStr(z[2].Attr)),
              std::tuple("AACHEN", "PUMPSTAGA", "T", "TA"));
    EXPECT_EQ(std::tuple(c[0].Name, c[0].Comment), std::tuple("01Aachen (Pumps", "Pumpstation GAFOR=34"));
    EXPECT_EQ(c.back().Name, "ZL-RWY-EDKA");
}

TEST_F(WptFormats, GpxWaypoints)
{
    TReadReport R;
    auto S = Read("/waypoints/expertgps.gpx", R);
    ASSERT_TRUE(S);
    EXPECT_EQ(S->Count, 86); // the route and track points are not waypoints
    const auto W = All(*S);
    EXPECT_EQ(std::tuple(W[0].Name, W[0].Lat, W[0].Lon, W[0].Alt), std::tuple("5066", 4243888, -7111928, 45));
    EXPECT_EQ(std::tuple(W.back().Name, W.back().Comment), std::tuple("5150TANK", "WATER TANK"));

    R = TReadReport();
    S = ReadText(
        "<gpx><wpt lat=\"45\" lon=\"6\"><name>LFLE</name><desc>Chambery</desc><sym>Airport</sym></wpt>"
        "<wpt lat=\"91\" lon=\"6\"/><wpt lat=\"45\" lon=\"6\"><ele>high</ele></wpt>"
        "<rte><rtept lat=\"1\" lon=\"1\"/></rte></gpx>",
        "GPX", R);
    ASSERT_TRUE(S);
    EXPECT_EQ(std::tuple(S->Count, R.Rejected, S->First->Comment, WptAttrToStr(S->First->Attr)),
              std::tuple(1, 2, "Chambery", "A"));
}

TEST_F(WptFormats, UnknownOrUnreadable)
{
    const std::function<std::unique_ptr<TSwp>(TReadReport&)> reads[] = {
        [](TReadReport& R) { return Read("/waypoints/euregio9.da4", R); },
        [](TReadReport& R) { return ReadWptFile("/nonexistent/x.dat", R); },
        [](TReadReport& R) { return ReadText("* only a comment\r\n", "DAT", R); },
        [](TReadReport& R) { return ReadText("x", "XYZ", R); }};
    for (const auto& read : reads) {
        TReadReport R;
        EXPECT_FALSE(read(R));
        EXPECT_FALSE(R.Error.isEmpty());
    }
}

TEST_F(WptFormats, CambridgeHandMade)
{
    const QByteArray dat = "1,45:30:00N,006:00:00E,620F,TL,Feet,comment, with, commas\r\n"
                           "2,45:30.5N,006:00.25W,100,,NoUnit\r\n"
                           "3,45:60:00N,006:00:00E,100M,T,BadMinutes,\r\n"
                           "4,95:00:00N,006:00:00E,100M,T,TooFar,\r\n"
                           "5,45:00:00N,006:00:00E,tall,T,BadAlt,\r\n"
                           "6,45:00:00N,006:00:00E\r\n"
                           "7,45:00:00N,006:00:00E,1M,T,A very long name indeed," +
                           QByteArray(100, 'x') +
                           "\r\n"
                           "8,45:00:00S,006:00:00E,1M,T,Caf\xE9,\r\n"
                           "\x1A"
                           "9,45:00:00N,006:00:00E,1M,T,AfterEof,\r\n";
    TReadReport R;
    auto S = ReadText(dat, "DAT", R);
    ASSERT_TRUE(S);
    EXPECT_EQ(R.Rejected, 4);
    const auto W = All(*S);
    ASSERT_EQ(W.size(), 4u);
    // 620 ft; a name cut to 15 and a comment to 90; a Windows-1252 name.
    EXPECT_EQ(Fields(W[0]), std::tuple(W[0].Name, W[0].Lat, W[0].Lon, 189, "TL", "comment, with, commas"));
    EXPECT_EQ(std::tuple(W[1].Lat, W[1].Lon, W[1].Attr), std::tuple(4550833, -600417, 0));
    EXPECT_EQ(std::tuple(W[2].Name, W[2].Comment.size()), std::tuple(QStringLiteral("A very long nam"), 90));
    EXPECT_EQ(std::tuple(W[3].Name, W[3].Lat), std::tuple(QString::fromUtf8("Café"), -4500000));
}

TEST_F(WptFormats, SeeYouAndTabTextHandMade)
{
    const QByteArray cup = "name,code,country,lat,lon,elev,style,rwdir,rwlen,freq,desc\r\n"
                           "\"Field, north\",FN,FR,4530.000N,00600.500E,1000ft,3,,,,\"said \"\"so\"\"\"\r\n"
                           "\"Airfield\",AF,FR,4530.000S,00600.500W,,5,,,,\r\n"
                           "\"Bad\",B,FR,4560.000N,00600.500E,100m,1,,,,\r\n"
                           "-----Related Tasks-----\r\n"
                           "\"Task\",\"Field, north\",\"Airfield\"\r\n";
    TReadReport R;
    auto S = ReadText(cup, "CUP", R);
    ASSERT_TRUE(S);
    EXPECT_EQ(R.Rejected, 1);
    const auto W = All(*S);
    ASSERT_EQ(W.size(), 2u);
    EXPECT_EQ(Fields(W[0]), std::tuple("Field, north", W[0].Lat, W[0].Lon, 305, "L", "said \"so\""));
    EXPECT_EQ(std::tuple(W[1].Lat, W[1].Lon, WptAttrToStr(W[1].Attr)), std::tuple(-4550000, -600833, "AL"));

    const QByteArray wpt = "Nom\tLatitude\tLongitude\tAltitude\tAttributs\tCommentaire\n"
                           "Un\t45.12345\t-6.5\t300\tts\tfirst\tpart\n"
                           "Deux\t45,5\t6\n"
                           "Trois\tnorth\t6\t1\t\t\n"
                           "Quatre\t45\t6\t9e9\t\t\n";
    R = TReadReport();
    S = ReadText(wpt, "WPT", R);
    ASSERT_TRUE(S);
    EXPECT_EQ(R.Rejected, 2);
    const auto T = All(*S);
    ASSERT_EQ(T.size(), 2u);
    // The tab inside the comment became a blank.
    EXPECT_EQ(Fields(T[0]), std::tuple("Un", 4512345, -650000, 300, "TS", "first part"));
    EXPECT_EQ(T[1].Lat, 4550000);
}

TEST_F(WptFormats, TabTextWriterIsExact)
{
    auto S = Sample();
    const QByteArray out = WriteWptSwp(*S);
    EXPECT_TRUE(out.startsWith("Nom\tLatitude\tLongitude\tAltitude\tAttributs\tCommentaire\r\n"
                               "Aachen\t50.81417\t6.19139\t189\tT\tPumpstation\r\n"));
    auto B = ReadBack(out, "WPT", *S, 0, -1, 0, true);
    ASSERT_TRUE(B);
    const auto b = All(*B);
    // The en dash is in Windows-1252.
    EXPECT_EQ(std::tuple(b[1].Comment, b[3].Comment),
              std::tuple(QStringLiteral("Highest, in south-america"), QString::fromUtf8("Zero – dash")));
    EXPECT_EQ(WriteWptSwp(*B), out);
}

TEST_F(WptFormats, CambridgeWriterReadsBack)
{
    auto S = Sample();
    const QByteArray out = WriteDatSwp(*S);
    EXPECT_TRUE(out.startsWith("1,50:48.850N,006:11.483E,189M,T,Aachen,Pumpstation\r\n")) << out.constData();
    EXPECT_TRUE(out.contains("3,45:59.999N,179:59.999W,-5M,L,Edge 59.99,\r\n")) << out.constData();
    auto B = ReadBack(out, "DAT", *S, 1, -1, -1, true); // positions to 0.001 minute
    ASSERT_TRUE(B);
    EXPECT_EQ(WriteDatSwp(*B), out);
}

TEST_F(WptFormats, ZanderWriterReadsBack)
{
    auto S = Sample();
    const QByteArray out = WriteWpzSwp(*S);
    const QList<QByteArray> lines = out.split('\n');
    EXPECT_EQ(lines[0], "Aachen       504851N 0061129E 0189 Pumpstati WP 0001\r");
    EXPECT_EQ(lines[1], "Aconcagua \xE9  323912S 0700042W 6962 Highest,  WA 0002\r");
    EXPECT_EQ(lines[2], "Edge 59.99   460000N 1800000W -005           WL 0003\r");
    auto B = ReadBack(out, "WPZ", *S, 14, 12, 9, false); // positions to whole seconds
    ASSERT_TRUE(B);
    const auto b = All(*B);
    EXPECT_EQ(std::tuple(WptAttrToStr(b[0].Attr), WptAttrToStr(b[1].Attr), WptAttrToStr(b[2].Attr)),
              std::tuple("T", "TA", "TL"));
    // A character outside Windows-1252 takes one column, even outside the basic plane.
    TSwp One;
    AddWpt(One, 4500000, 600000, 100, QString::fromUtf8("Smile \xF0\x9F\x98\x80 ok"), "", "");
    const QByteArray smile = WriteWpzSwp(One);
    EXPECT_EQ(smile.left(20), "Smile ? ok   450000N");
    TReadReport R2;
    ASSERT_TRUE(ReadText(smile, "WPZ", R2));
    EXPECT_EQ(R2.Rejected, 0);
    EXPECT_EQ(WriteWpzSwp(*B), out);
}

TEST_F(WptFormats, SetLimitIsKept)
{
    QByteArray wpt;
    const int n = 65600;
    wpt.reserve(n * 24);
    for (int i = 0; i < n; ++i) wpt += "W" + QByteArray::number(i) + "\t45.0\t6.0\t100\n";
    TReadReport R;
    auto S = ReadText(wpt, "WPT", R);
    ASSERT_TRUE(S);
    EXPECT_EQ(std::tuple(S->Count, R.Rejected, S->Last->Name), std::tuple(65535, n - 65535, "W65534"));
}
