#include "devices/MlrLink.h"
#include "devices/NmeaSum.h"
#include "model/Calc.h"

#include <gtest/gtest.h>

namespace {

QByteArray Bytes(std::initializer_list<int> v)
{
    QByteArray b;
    for (int x : v) b += char(x);
    return b;
}
const uint8_t* U(const QByteArray& b)
{
    return reinterpret_cast<const uint8_t*>(b.constData());
}

// A track sentence as the receiver writes it (64 bytes).
QByteArray TrackLine(const QByteArray& name, char flag = 'A', const QByteArray& date = "150726",
                     const QByteArray& alt = "001234")
{
    QByteArray body = "GPWPL,4512.345,N,00512.345,E," + name + "," + flag + "," + alt + ",123456," + date;
    QByteArray s = "$" + body + "*" + NmeaXorHex(body) + "\r\n";
    return s;
}

} // namespace

TEST(MlrLink, CommandsAndChecksums)
{
    const std::pair<const char*, QByteArray> commands[] = {
        {"26,01,01", MlrCmd::Ident},        {"24,02,0100", MlrCmd::Track19200},
        {"24,02,0101", MlrCmd::Track38400}, {"24,02,0300", MlrCmd::Wpt19200},
        {"24,02,0301", MlrCmd::Wpt38400},   {"06,00", MlrCmd::End}};
    for (const auto& [body, cmd] : commands) EXPECT_EQ(MlrCommand(body), cmd) << body;
    EXPECT_EQ(MlrSum16("$PMLR,06,00,"), std::make_pair(uint8_t(0x02), uint8_t(0xA9)));

    const QByteArray body = "GPWPL,1,2";
    const QByteArray hex = NmeaXorHex(body);
    EXPECT_TRUE(MlrNmeaChecksumOk("$" + body + "*" + hex));
    EXPECT_TRUE(MlrNmeaChecksumOk("$J*4A"));
    EXPECT_FALSE(MlrNmeaChecksumOk("$J*4a")) << "lower-case digits";
    EXPECT_FALSE(MlrNmeaChecksumOk(body + "*" + hex));
    EXPECT_FALSE(MlrNmeaChecksumOk("$" + body + "*" + hex.left(1)));
    EXPECT_FALSE(MlrNmeaChecksumOk("*00$" + body));
}

TEST(MlrLink, Identification)
{
    const QByteArray body = "PMLR,IDGPS,01,MLR SP24,---------X,V3.1,";
    TMlrIdent id;
    ASSERT_TRUE(MlrParseIdent("$" + body + "*" + NmeaXorHex(body), id));
    EXPECT_EQ(id.Text1, "MLR SP24");
    EXPECT_EQ(id.Text2, "V3.1");
    EXPECT_TRUE(id.PilotName().isEmpty());
    const QByteArray b2 = "PMLR,IDGPS,01,A,Jean,B";
    ASSERT_TRUE(MlrParseIdent("$" + b2 + "*" + NmeaXorHex(b2), id));
    EXPECT_EQ(id.PilotName(), "Jean");
    EXPECT_TRUE(id.Text2.isEmpty()) << "a field without a comma after it is empty";
    EXPECT_FALSE(MlrParseIdent("$" + b2 + "*00", id));
}

TEST(MlrLink, TextTrackLine)
{
    const QByteArray l = TrackLine("TR0012");
    ASSERT_EQ(l.size(), MlrLineLen);
    ASSERT_TRUE(MlrLineShapeOk(l));
    EXPECT_EQ(MlrLineName(l), "TR0012");
    TMlrTrackLine t = MlrDecodeTrackLine(l);
    EXPECT_EQ(t.Errors, 0);
    EXPECT_TRUE(t.DateOk);
    EXPECT_FALSE(t.NewFlight);
    EXPECT_EQ(t.Lat, 4520575);
    EXPECT_EQ(t.Lon, 520575);
    EXPECT_EQ(t.Alt, 1234);
    EXPECT_DOUBLE_EQ(t.T, EncodeDate(2026, 7, 15) + (12 * 3600 + 34 * 60 + 56) / 86400.0);

    EXPECT_TRUE(MlrDecodeTrackLine(TrackLine("TR0012", 'N')).NewFlight);
    EXPECT_DOUBLE_EQ(std::floor(MlrDecodeTrackLine(TrackLine("TR0012", 'A', "150799")).T),
                     EncodeDate(1999, 7, 15));
    EXPECT_FALSE(MlrDecodeTrackLine(TrackLine("TR0012", 'A', "320726")).DateOk);
    EXPECT_EQ(MlrDecodeTrackLine(TrackLine("TR0012", 'A', "150726", "00x234")).Errors, 1);
    QByteArray south = l;
    south[16] = 'S';
    south[28] = 'W';
    south[9] = 'x';
    t = MlrDecodeTrackLine(south);
    EXPECT_EQ(t.Errors, 1);
    EXPECT_EQ(t.Lon, -520575);
    EXPECT_EQ(MlrTrackNames(1234), std::make_pair(QByteArray("TR1234"), QByteArray("TRC234")));
    EXPECT_FALSE(MlrLineShapeOk(l.left(63)));
}

TEST(MlrLink, WaypointAndRouteLines)
{
    const QByteArray body = "GPWPL,4512.345,S,00512.345,W,ABC   5A comment             ";
    const QByteArray line = "$" + body + "*" + NmeaXorHex(body) + "\r\n";
    ASSERT_EQ(line.size(), MlrLineLen);
    const TMlrWptLine w = MlrDecodeWptLine(line);
    EXPECT_EQ(w.Name, "ABC   ");
    EXPECT_EQ(w.Comment, "A comment");
    EXPECT_EQ(w.Lat, -4520575);
    EXPECT_EQ(w.Errors, 0);

    const QByteArray r = "GPRTE,4,2,C,03,AAA, BB ,,CCC,DDD";
    QStringList names;
    EXPECT_TRUE(MlrParseRoute("$" + r + "*" + NmeaXorHex(r), 2, "03", names));
    EXPECT_EQ(names, (QStringList{"AAA", "BB", "CCC", "DDD"}));
    EXPECT_FALSE(MlrParseRoute("$" + r + "*" + NmeaXorHex(r), 1, "03", names));
    EXPECT_FALSE(MlrParseRoute("$" + r + "*" + NmeaXorHex(r), 2, "04", names));
    EXPECT_FALSE(MlrParseRoute("$" + r + "*00", 2, "03", names));
}

TEST(MlrLink, BinaryFields)
{
    struct
    {
        QByteArray b;
        int32 angle;
    } turns[] = {{Bytes({0x80, 0, 0, 0}), 18000000},
                 {Bytes({0x80, 0, 0, 1}), -18000000},
                 {Bytes({0x40, 0, 0, 0}), 9000000},
                 {Bytes({0xC0, 0, 0, 0}), -9000000},
                 {Bytes({0, 0, 0, 0}), 0}};
    for (const auto& t : turns) EXPECT_EQ(MlrTurnToAngle(U(t.b)), t.angle) << t.b.toHex().constData();
    EXPECT_EQ(MlrAltitude(U(Bytes({0xFF, 0xFF, 0xF6}))), -1);
    EXPECT_EQ(MlrAltitude(U(Bytes({0x0F, 0x42, 0x40}))), 100000);
    EXPECT_DOUBLE_EQ(MlrTime(86400 + 3600), EncodeDate(1980, 1, 7) + 1 / 24.0);

    QByteArray rec = Bytes({0x01, 0x02, 0, 0, 0, 60, 0x20, 0, 0, 0, 0xF0, 0, 0, 0, 0, 0x03, 0xE8, 1});
    const TMlrTrackRecord t = MlrDecodeTrackRecord(U(rec));
    EXPECT_EQ(t.PointNo, 258);
    EXPECT_EQ(t.Lat, 4500000);
    EXPECT_EQ(t.Lon, -2250000);
    EXPECT_EQ(t.Alt, 100);
    EXPECT_TRUE(t.NewFlight);
    QByteArray w = QByteArray("AB") + char(25) + "C" + char(25) + char(25) + QByteArray(16, '\0');
    w[10] = 0x10;
    const TMlrWptRecord wr = MlrDecodeWptRecord(U(w));
    EXPECT_EQ(wr.Name, "AB C");
    EXPECT_EQ(wr.Lat, 2250000);
}

TEST(MlrLink, BlocksSplitAtEveryByte)
{
    QList<QByteArray> recs;
    for (int i = 0; i < 5; ++i) {
        QByteArray r(MlrTrackRecLen, '\0');
        r[1] = char(i);
        recs << r;
    }
    for (int start = 0; start <= 1; ++start) {
        const QByteArray stream = QByteArray("junk") + MlrStartBlock('T', start) +
                                  MlrDataBlock('T', start + 1, recs.mid(0, 3)) +
                                  MlrDataBlock('T', start + 2, recs.mid(3)) + MlrEndBlock('T', start + 3);
        for (qsizetype cut = 1; cut < stream.size(); ++cut) {
            TMlrBlockReader r('T');
            int got = 0;
            bool started = false, ended = false;
            for (const QByteArray& part : {stream.left(cut), stream.mid(cut)}) {
                r.Append(part);
                if (!started) started = r.TakeStart();
                const uint8_t* p = nullptr;
                int n = 0;
                while (started && r.TakeBlock(p, n))
                    for (int k = 0; k < n; ++k)
                        EXPECT_EQ(MlrDecodeTrackRecord(p + k * MlrTrackRecLen).PointNo, got++);
                if (started && !ended) ended = r.TakeEnd();
            }
            EXPECT_EQ(got, 5) << "cut " << cut;
            EXPECT_TRUE(ended) << "cut " << cut;
        }
    }
}

TEST(MlrLink, WrongBlocksStay)
{
    TMlrBlockReader r('W');
    r.Append(MlrStartBlock('W', 0));
    ASSERT_TRUE(r.TakeStart());
    const QByteArray wrong = MlrDataBlock('W', 2, {QByteArray(MlrWptRecLen, 'x')});
    r.Append(wrong);
    const uint8_t* p = nullptr;
    int n = 0;
    EXPECT_FALSE(r.TakeBlock(p, n));
    EXPECT_EQ(r.Size(), wrong.size());
    TMlrBlockReader t('T');
    t.Append(MlrStartBlock('T', 1));
    ASSERT_TRUE(t.TakeStart());
    EXPECT_EQ(t.BlockNo, 2);
    QByteArray bad = MlrDataBlock('T', 2, {QByteArray(MlrTrackRecLen, 'x')});
    bad[bad.size() - 1] = 'x';
    t.Append(bad);
    EXPECT_FALSE(t.TakeBlock(p, n)) << "no CR LF after the checksum";
    EXPECT_FALSE(t.TakeEnd());
}

TEST(MlrLink, UploadsByteExact)
{
    TWptBase w;
    w.Lat = 4520575;
    w.Lon = -520575;
    w.Name = "abc,d*efgh";
    w.Comment = "com$ment\r";
    EXPECT_EQ(MlrWptSentence(w),
              "$GPWPL,4512.345,N,00512.345,W,ABC D 5" + QByteArray("com ment").leftJustified(22) + "\r\n");
    w.Name = "Z";
    const QByteArray z = MlrWptSentence(w);
    EXPECT_EQ(z.indexOf("Z     5"), 30) << "the name at column 31";
    EXPECT_EQ(z.size(), 61);

    const QStringList names{"a", "bb", "c", "d", "e", "f", "g"};
    EXPECT_EQ(MlrRouteSentences(names, "07"),
              (QList<QByteArray>{"$GPRTE,2,1,C,07,A     ,BB    ,C     ,D     ,E     \r\n",
                                 "$GPRTE,2,2,C,07,F     ,G     \r\n"}));
    EXPECT_EQ(MlrZoneSentence(TPos{-100, 100}, true), "$GPWPL,0000.060,S,00000.060,E,      XD\r\n");
    EXPECT_TRUE(MlrZoneSentence(TPos{}, false).endsWith("XB\r\n"));
}
