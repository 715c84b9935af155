// The Garmin packet link: framing, stuffing, the frame extractor and acknowledgements.
#include "devices/GarminLink.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

QByteArray Hex(const char* h)
{
    return QByteArray::fromHex(h);
}

struct Frame
{
    TGarminRx::TResult r;
    uint8_t id;
    QByteArray data;
};

Frame Take(TGarminRx& rx)
{
    Frame f{};
    f.r = rx.Extract(f.id, f.data);
    return f;
}

} // namespace

TEST(GarminLink, ChecksumAndStuffing)
{
    // Product request: id 254, no data: 0x100 - 254 = 2.
    EXPECT_EQ(GarminChecksum(Hex("fe00")), 0x02);
    EXPECT_EQ(GarminFrame(254, {}), Hex("10fe00021003"));
    // ACK of 0x10: data byte 0x10 doubled; the checksum 0x100 - (6+2+16) = 0xe8.
    EXPECT_EQ(GarminFrame(6, Hex("1000")), Hex("100602101000e81003"));
    // A size of 16 and a checksum of 0x10 are doubled too.
    QByteArray data(16, '\0');
    data[0] = static_cast<char>(0xBE); // 0x22 + 0x10 + 0xBE = 0xF0: checksum 0x10
    const QByteArray f = GarminFrame(0x22, data);
    EXPECT_EQ(f.mid(0, 4), Hex("10221010"));
    EXPECT_EQ(f.right(4), Hex("10101003"));
    TGarminRx rx;
    rx.Append(f);
    const Frame back = Take(rx);
    EXPECT_EQ(back.r, TGarminRx::Good);
    EXPECT_EQ(back.id, 0x22);
    EXPECT_EQ(back.data, data);
    // Every byte value survives the round trip.
    for (int v = 0; v < 256; ++v) {
        const QByteArray d = QByteArray(1, char(v)) + QByteArray(1, char(0x10)) + QByteArray(1, char(0x03));
        rx.Append(GarminFrame(static_cast<uint8_t>(v), d));
        const Frame g = Take(rx);
        ASSERT_EQ(g.r, TGarminRx::Good) << v;
        EXPECT_EQ(g.id, v);
        EXPECT_EQ(g.data, d);
    }
    EXPECT_EQ(rx.Pending(), 0);
}

TEST(GarminLink, ExtractorCases)
{
    TGarminRx rx;
    // Nothing, then a frame in pieces: None until its DLE ETX, the bytes kept.
    EXPECT_EQ(Take(rx).r, TGarminRx::None);
    const QByteArray a = GarminFrame(34, Hex("10031003"));
    rx.Append(a.left(5));
    EXPECT_EQ(Take(rx).r, TGarminRx::None);
    EXPECT_EQ(rx.Pending(), 5);
    // Two frames in one read come out one per call.
    rx.Append(a.mid(5) + GarminFrame(12, Hex("0600")));
    Frame f = Take(rx);
    EXPECT_EQ(f.r, TGarminRx::Good);
    EXPECT_EQ(f.data, Hex("10031003"));
    f = Take(rx);
    EXPECT_EQ(f.r, TGarminRx::Good);
    EXPECT_EQ(f.id, 12);
    EXPECT_EQ(Take(rx).r, TGarminRx::None);

    // Wrong checksum: bad, with its id and data.
    QByteArray bad = GarminFrame(35, Hex("0102"));
    bad[bad.size() - 3] = char(bad[bad.size() - 3] ^ 1);
    rx.Append(bad);
    f = Take(rx);
    EXPECT_EQ(f.r, TGarminRx::Bad);
    EXPECT_EQ(f.id, 35);
    // Size that does not match the data.
    QByteArray body = Hex("230301");
    body += char(GarminChecksum(body));
    rx.Append(Hex("10") + body + Hex("1003"));
    f = Take(rx);
    EXPECT_EQ(f.r, TGarminRx::Bad);
    EXPECT_EQ(f.id, 0x23);
    // Garbage before the DLE spoils that frame (id 0), the next one is good.
    rx.Append("xy" + GarminFrame(6, Hex("2200")) + GarminFrame(6, Hex("2300")));
    f = Take(rx);
    EXPECT_EQ(f.r, TGarminRx::Bad);
    EXPECT_EQ(f.id, 0);
    EXPECT_TRUE(f.data.isEmpty());
    EXPECT_EQ(Take(rx).data, Hex("2300"));
    EXPECT_EQ(GarminCheckAck(0x23, 6, Hex("2300")), 1);
    EXPECT_EQ(GarminCheckAck(0x23, 21, Hex("23")), 0);
    EXPECT_EQ(GarminCheckAck(0x22, 6, Hex("2300")), 2);
    EXPECT_EQ(GarminCheckAck(0x23, 35, Hex("23")), 2);
}

TEST(GarminLink, LongFramesAndNoise)
{
    TGarminRx rx;
    // A frame of 255 data bytes that are all DLE: 519 bytes on the wire, read whole.
    const QByteArray dles(255, char(0x10));
    const QByteArray big = GarminFrame(0x10, dles);
    EXPECT_LE(big.size(), GarminMaxFrame);
    rx.Append(big);
    Frame f = Take(rx);
    EXPECT_EQ(f.r, TGarminRx::Good);
    EXPECT_EQ(f.data, dles);
    // Noise without a frame end is not kept without bound; a frame after it is still found.
    for (int i = 0; i < 100; ++i) {
        rx.Append(QByteArray(100, 'n'));
        EXPECT_EQ(Take(rx).r, TGarminRx::None);
    }
    EXPECT_LE(rx.Pending(), 2048 + 100);
    rx.Append(GarminFrame(6, Hex("2200")));
    EXPECT_EQ(Take(rx).r, TGarminRx::Bad); // the noise in front of it
    rx.Append(GarminFrame(6, Hex("2200")));
    EXPECT_EQ(Take(rx).r, TGarminRx::Good);
}

TEST(GarminLink, RecordedReceiverStream)
{
    QFile f(QStringLiteral(ZPH_TESTDATA "/garmin/garmin18x-bin.log"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QByteArray all = f.readAll();
    // Comment lines first.
    while (all.startsWith('#')) all.remove(0, all.indexOf('\n') + 1);
    TGarminRx rx;
    int good = 0, bad = 0, pvt = 0, sats = 0;
    for (qsizetype i = 0; i < all.size(); i += 37) { // arbitrary read sizes
        rx.Append(all.mid(i, 37));
        for (;;) {
            const Frame fr = Take(rx);
            if (fr.r == TGarminRx::None) break;
            if (fr.r == TGarminRx::Good) {
                ++good;
                pvt += fr.id == 0x33 && fr.data.size() == 64;
                sats += fr.id == 0x72 && fr.data.size() == 84;
            } else {
                ++bad;
            }
        }
    }
    EXPECT_EQ(good, 58);
    EXPECT_EQ(bad, 0);
    EXPECT_EQ(pvt, 29);
    EXPECT_EQ(sats, 29);
    EXPECT_LE(rx.Pending(), 1); // the file's last line end
}
