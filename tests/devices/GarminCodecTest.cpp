// Garmin fields, identification data and records by D type.
#include "devices/GarminCodec.h"
#include "model/Texts.h"

#include <QDate>
#include <cstring>
#include <gtest/gtest.h>

namespace {

QByteArray Hex(const char* h)
{
    return QByteArray::fromHex(h);
}

QByteArray Float(float f)
{
    uint32_t u;
    std::memcpy(&u, &f, 4);
    return GarminInt32ToBytes(static_cast<int32_t>(u));
}

TDateTime Day(int y, int m, int d)
{
    return QDate(1899, 12, 30).daysTo(QDate(y, m, d));
}

} // namespace

TEST(GarminCodec, Fields)
{
    int32 lat = 0, lon = 0;
    ASSERT_TRUE(GarminDecodePos(Hex("00000040"
                                    "000000c0"),
                                0, lat, lon));
    EXPECT_EQ(lat, 9000000);
    EXPECT_EQ(lon, -9000000);
    EXPECT_EQ(GarminEncodePos(4500000, 0), Hex("00000020"
                                               "00000000"));
    // 180 degrees wraps to -2^31; beyond 90 degrees of latitude is refused.
    EXPECT_EQ(GarminEncodePos(0, 18000000).mid(4), Hex("00000080"));
    EXPECT_FALSE(GarminDecodePos(Hex("ffffff7f"
                                     "00000000"),
                                 0, lat, lon));
    EXPECT_FALSE(GarminDecodePos(Hex("000000"), 0, lat, lon));
    // Round trips within a unit.
    for (int32 a : {0, 1, -1, 4512345, -4512345, 8999999, -17999999}) {
        ASSERT_TRUE(GarminDecodePos(GarminEncodePos(a / 2, a), 0, lat, lon));
        EXPECT_EQ(lat, a / 2);
        EXPECT_EQ(lon, a);
    }
    // Altitudes: unknown, halves to even, out of range, not a number.
    struct
    {
        float f;
        int32 m;
    } alts[] = {{1.0e25f, 0}, {123.5f, 124}, {122.5f, 122}, {-3.2f, -3}, {40000.f, 0}, {NAN, 0}};
    for (const auto& a : alts) EXPECT_EQ(GarminDecodeAlt(Float(a.f), 0), a.m) << a.f;
    EXPECT_EQ(GarminDecodeAlt(GarminEncodeAlt(1234), 0), 1234);
    EXPECT_EQ(GarminUnknownFloat(), Hex("51590469"));
    // Times.
    EXPECT_EQ(GarminSecondsToDateTime(0), Day(1989, 12, 31));
    EXPECT_EQ(GarminTimeOfDay(GarminSecondsToDateTime(86399)), 2399972); // 23:59:59
    EXPECT_EQ(GarminDateTimeToSeconds(Day(1989, 12, 31) + 1.0), 86400u);
    EXPECT_EQ(GarminDateTimeToSeconds(Day(1989, 12, 1)), GarminNoTime);
    EXPECT_EQ(GarminDateTimeToSeconds(Day(2200, 1, 1)), GarminNoTime);
    EXPECT_TRUE(GarminDateValid(Day(1989, 12, 30)));
    EXPECT_TRUE(GarminDateValid(Day(2050, 12, 31)));
    EXPECT_FALSE(GarminDateValid(Day(2050, 12, 31) + 0.5));
    // Symbols.
    EXPECT_EQ(GarminAttrToSymbol(StrToWptAttr("AL")), 16384);
    EXPECT_EQ(GarminAttrToSymbol(StrToWptAttr("LT")), 16390);
    EXPECT_EQ(GarminAttrToSymbol(StrToWptAttr("T")), 18);
    EXPECT_EQ(GarminSymbolToAttr(16384), StrToWptAttr("A"));
    EXPECT_EQ(GarminSymbolToAttr(16390), StrToWptAttr("L"));
    EXPECT_EQ(GarminSymbolToAttr(18), 0);
}

TEST(GarminCodec, Identification)
{
    TGarminProduct p;
    ASSERT_TRUE(GarminParseProduct(Hex("1d00"
                                       "9001") +
                                       "GPS III\0x" + QByteArray(1, '\0'),
                                   p));
    EXPECT_EQ(p.ProductId, 29);
    EXPECT_EQ(p.ProductVersion, 400);
    EXPECT_EQ(p.ProductDesc, "GPS III");
    EXPECT_TRUE(GarminParseProduct(Hex("1d009001") + "no end", p));
    EXPECT_EQ(p.ProductDesc, "");
    EXPECT_FALSE(GarminParseProduct(Hex("1d00"), p));

    EXPECT_EQ(GarminDefaultProtocols(29, 399).WptType, 101);
    EXPECT_EQ(GarminDefaultProtocols(29, 400).WptType, 102);
    EXPECT_EQ(GarminDefaultProtocols(77, 300).WptType, 100);
    EXPECT_EQ(GarminDefaultProtocols(77, 301).WptType, 103);
    EXPECT_EQ(GarminDefaultProtocols(20, 0).LinkProt, 11);
    EXPECT_EQ(GarminDefaultProtocols(999, 0), TGarminProtocols());
    const TGarminProtocols d7 = GarminDefaultProtocols(7, 0);
    EXPECT_EQ(d7.TrkProt, 0);
    EXPECT_EQ(d7.RteHdrType, 200);

    const TGarminProtocols a = GarminParseProtocolArray(
        GarminProtocolTags("P000 L001 A010 A100 D108 A201 D202 D108 D210 A301 D310 D301"));
    EXPECT_EQ(a.LinkProt, 10);
    EXPECT_EQ(a.WptType, 108);
    EXPECT_EQ(a.RteProt, 201);
    EXPECT_EQ(a.RteHdrType, 202);
    EXPECT_EQ(a.RteWptType, 108);
    EXPECT_EQ(a.RteLinkType, 210);
    EXPECT_EQ(a.TrkProt, 301);
    EXPECT_EQ(a.TrkHdrType, 310);
    EXPECT_EQ(a.TrkPtType, 301);
    // A011 is not A010; an A tag without its D tags leaves that protocol at 0; a cut tag is
    // ignored.
    EXPECT_EQ(GarminParseProtocolArray(GarminProtocolTags("A011 A100 D100")).LinkProt, 0);
    EXPECT_EQ(GarminParseProtocolArray(GarminProtocolTags("A010 A100 A300 D300")).WptProt, 0);
    EXPECT_EQ(GarminParseProtocolArray(GarminProtocolTags("A010 A100") + "D").WptProt, 0);
}

TEST(GarminCodec, WaypointsEveryType)
{
    TWptBase w;
    w.Lat = 4512345;
    w.Lon = -123456;
    w.Name = "Col du Lautaret";
    w.Comment = "Sommet pres du refuge, altitude bien connue du pilote";
    w.Alt = 2058;
    w.Attr = StrToWptAttr("A");
    struct Row
    {
        int type, size;
        bool fixedName, alt, symbol;
        int commentLen;
    } rows[] = {
        {100, 58, true, false, false, 40}, {101, 63, true, false, false, 40},
        {102, 64, true, false, true, 40},  {103, 60, true, false, false, 40},
        {104, 65, true, false, true, 40},  {107, 65, true, false, false, 40},
        {105, -1, false, false, true, 0},  {108, -1, false, true, true, 50},
        {109, -1, false, true, true, 50},  {110, -1, false, true, true, 50},
        {150, 115, true, true, false, 40}, {151, 124, true, true, false, 40},
        {152, 124, true, true, false, 40}, {154, 126, true, true, true, 40},
        {155, 127, true, true, true, 40},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.type);
        ASSERT_TRUE(GarminCanEncodeWpt(r.type));
        const QByteArray d = GarminEncodeWpt(r.type, w);
        if (r.size > 0) {
            EXPECT_EQ(d.size(), r.size);
        }
        TWptBase b;
        ASSERT_TRUE(GarminDecodeWpt(r.type, d, b));
        EXPECT_EQ(b.Lat, w.Lat);
        EXPECT_EQ(b.Lon, w.Lon);
        const QString name = r.fixedName ? "COL DU" : r.type == 105 ? "COL DU LAUTARET" : w.Name;
        EXPECT_EQ(b.Name, name);
        const QString comment = r.commentLen == 50   ? w.Comment.left(50)
                                : r.commentLen == 40 ? w.Comment.left(40).toUpper()
                                                     : QString();
        EXPECT_EQ(b.Comment, comment);
        EXPECT_EQ(b.Alt, r.alt ? w.Alt : 0);
        EXPECT_EQ(b.Attr, r.symbol ? w.Attr : 0);
        if (r.type >= 151) {
            EXPECT_EQ(d[122], '\0');
        }
        // A record cut short is refused.
        EXPECT_FALSE(GarminDecodeWpt(r.type, d.left(r.type == 105 ? 8 : 40), b));
    }
    EXPECT_FALSE(GarminCanEncodeWpt(106));
    EXPECT_TRUE(GarminEncodeWpt(106, w).isEmpty());
    TWptBase b;
    EXPECT_FALSE(GarminDecodeWpt(106, QByteArray(200, 'x'), b));

    // Two letters are padded to six.
    TWptBase s;
    s.Name = "ab";
    EXPECT_EQ(GarminEncodeWpt(100, s).left(6), "AB    ");
    // D108 received: three letters of name, two of comment, the altitude of bytes 33-36;
    // 1e25 there gives 0.
    QByteArray d108 = Hex("00ff0060") + GarminInt16ToBytes(16390) + QByteArray(18, '\0') +
                      GarminEncodePos(100, 200) + Float(812.4f) + QByteArray(12, '\0') + "abc" +
                      QByteArray(1, '\0') + "xy" + QByteArray(5, '\0');
    ASSERT_TRUE(GarminDecodeWpt(108, d108, b));
    EXPECT_EQ(b.Name, "abc");
    EXPECT_EQ(b.Comment, "xy");
    EXPECT_EQ(b.Alt, 812);
    EXPECT_EQ(b.Attr, StrToWptAttr("L"));
    d108.replace(32, 4, GarminUnknownFloat());
    ASSERT_TRUE(GarminDecodeWpt(108, d108, b));
    EXPECT_EQ(b.Alt, 0);
}

TEST(GarminCodec, TracksAndRoutes)
{
    TGarminTrkPt p;
    p.Lat = 4400000;
    p.Lon = 600000;
    p.Time = 123456789;
    p.Alt = 1500;
    p.NewTrack = true;
    for (int type : {300, 301, 302}) {
        SCOPED_TRACE(type);
        const QByteArray d = GarminEncodeTrkPt(type, p);
        EXPECT_EQ(d.size(), type == 300 ? 13 : type == 301 ? 21 : 25);
        TGarminTrkPt b;
        ASSERT_TRUE(GarminDecodeTrkPt(type, d, b));
        EXPECT_EQ(b.Lat, p.Lat);
        EXPECT_EQ(b.Time, p.Time);
        EXPECT_EQ(b.Alt, type == 300 ? 0 : 1500);
        EXPECT_TRUE(b.NewTrack);
        EXPECT_FALSE(GarminDecodeTrkPt(type, d.left(d.size() - 1), b));
    }
    TGarminTrkPt none;
    ASSERT_TRUE(GarminDecodeTrkPt(300, GarminEncodePos(1, 1) + Hex("ffffffff00"), none));
    EXPECT_EQ(none.Time, GarminNoTime);
    EXPECT_FALSE(none.NewTrack);
    EXPECT_FALSE(GarminCanEncodeTrkPt(303));
    EXPECT_EQ(GarminEncodeTrkHdr("Vol"), Hex("01ff") + "Vol" + QByteArray(1, '\0'));

    QByteArray h;
    EXPECT_TRUE(GarminEncodeRteHdr(200, "2", h));
    EXPECT_EQ(h, Hex("02"));
    EXPECT_TRUE(GarminEncodeRteHdr(201, "258", h));
    EXPECT_EQ(h, Hex("02") + QByteArray(20, ' '));
    EXPECT_FALSE(GarminEncodeRteHdr(201, "two", h));
    EXPECT_TRUE(GarminEncodeRteHdr(202, "Alpes", h));
    EXPECT_EQ(h, QByteArray("Alpes") + QByteArray(1, '\0'));
    EXPECT_FALSE(GarminCanEncodeRteHdr(203));
    EXPECT_EQ(GarminDecodeRteHdr(201, Hex("02") + QByteArray(20, ' ')), "2");
    EXPECT_EQ(GarminDecodeRteHdr(202, "Alpes" + QByteArray(1, '\0') + "junk"), "Alpes");
    EXPECT_EQ(GarminEncodeRteLink().size(), 21);
}
