#pragma once
// The Garmin serial packet link: DLE, id, size, data, checksum, DLE ETX, every DLE among id,
// size, data and checksum doubled on the wire; the checksum is the two's complement of the low
// byte of the sum of id, size and data. ACK (6) and NAK (21) carry the id they answer.
#include <QByteArray>
#include <cstdint>

namespace GarminPid {
constexpr uint8_t Ack = 6;
constexpr uint8_t Command = 10;
constexpr uint8_t XferCmplt = 12;
constexpr uint8_t Lamp = 15;
constexpr uint8_t Nak = 21;
constexpr uint8_t Records = 27;
constexpr uint8_t RteHdr = 29;
constexpr uint8_t RteWpt = 30;
constexpr uint8_t TrkData = 34;
constexpr uint8_t WptData = 35;
constexpr uint8_t RteLink = 98;
constexpr uint8_t TrkHdr = 99;
constexpr uint8_t ExtProductData = 248;
constexpr uint8_t ProtocolArray = 253;
constexpr uint8_t ProductRqst = 254;
constexpr uint8_t ProductData = 255;
} // namespace GarminPid

constexpr uint8_t GarminDle = 0x10;
constexpr uint8_t GarminEtx = 0x03;
// The longest frame on the wire: 255 data bytes, id, size and checksum all doubled, DLE, DLE ETX.
constexpr int GarminMaxFrame = 2 * (255 + 3) + 3;

// Checksum of id, size and data as they stand one after the other.
uint8_t GarminChecksum(const QByteArray& Bytes);
// The stuffed wire frame of one packet (Data longer than 255 bytes is cut).
QByteArray GarminFrame(uint8_t Id, const QByteArray& Data);

// Frames out of the received byte stream. Bytes are appended as they come; Extract takes at
// most one frame per call. The buffer is consumed by an offset and compacted now and then, so
// that a long stream costs time in proportion to its length.
class TGarminRx
{
public:
    enum TResult
    {
        None = 0, // no complete frame
        Good = 1,
        Bad = 2 // bytes before the frame's DLE, a checksum or size that does not match
    };

    void Append(const QByteArray& Bytes);
    void Clear();
    // One frame: its id and data (data cut to MaxLen) for a good frame and for one whose
    // checksum or size is wrong; Id 0 and Data empty when the frame did not start with a DLE.
    // Raw is the frame as found (without its DLE ETX), for the link trace.
    TResult Extract(uint8_t& Id, QByteArray& Data, QByteArray* Raw = nullptr, int MaxLen = 255);
    // Bytes waiting (not yet taken by a frame).
    qsizetype Pending() const { return fBuf.size() - fPos; }

private:
    QByteArray fBuf;
    qsizetype fPos = 0;  // first byte not consumed
    qsizetype fScan = 0; // where the search for a frame end resumes
};

// Answer to the last packet sent, from the last frame parsed: 1 its ACK, 0 its NAK, 2 else.
int GarminCheckAck(uint8_t LastTxId, uint8_t RxId, const QByteArray& RxData);
