#pragma once
// What crosses the serial line to an MLR receiver: the host's "$PMLR" commands with their
// 16-bit additive sum, the identification reply, the text sentences of the track log,
// waypoints and routes (fixed columns, one byte per character), the numbered binary blocks of
// the fast transfers, and the sentences the host uploads. No window, no port: plain data.
#include "model/Define.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <utility>

namespace MlrCmd {
inline const QByteArray Ident = QByteArrayLiteral("$PMLR,26,01,01,0339\r\n");
inline const QByteArray Track19200 = QByteArrayLiteral("$PMLR,24,02,0100,0398\r\n");
inline const QByteArray Track38400 = QByteArrayLiteral("$PMLR,24,02,0101,0399\r\n");
inline const QByteArray Wpt19200 = QByteArrayLiteral("$PMLR,24,02,0300,039A\r\n");
inline const QByteArray Wpt38400 = QByteArrayLiteral("$PMLR,24,02,0301,039B\r\n");
inline const QByteArray End = QByteArrayLiteral("$PMLR,06,00,02A9\r\n");
} // namespace MlrCmd

// The 16-bit additive sum of the bytes of Text, as (high byte, low byte).
std::pair<uint8_t, uint8_t> MlrSum16(QByteArrayView Text);
// "$PMLR," Fields "," and the sum as four upper-case hexadecimal digits, CR LF.
QByteArray MlrCommand(QByteArrayView Fields);
// The NMEA checksum test of a received sentence (without CR LF).
bool MlrNmeaChecksumOk(QByteArrayView Sentence);

// The identification reply "$PMLR,IDGPS,01,text1,pilot,text2,..." (without CR LF); false when
// it is not one or its checksum fails.
struct TMlrIdent
{
    QString Text1, Pilot, Text2;
    // A pilot field of dashes means no pilot.
    QString PilotName() const;
};
bool MlrParseIdent(QByteArrayView Line, TMlrIdent& Id);

// Two-digit years: 80..99 are 19yy, 00..79 20yy.
int MlrFullYear(int TwoDigits);

// A text track sentence (64 bytes with CR LF).
struct TMlrTrackLine
{
    int32 Lat = 0, Lon = 0, Alt = 0;
    TDateTime T = 0;
    bool DateOk = false; // date and time convert
    bool NewFlight = false;
    int Errors = 0; // failed numeric fields (degrees, minutes, altitude)
};
constexpr int MlrLineLen = 64;
// The 6 characters of the point name (columns 31-36), empty when the line is too short.
QByteArray MlrLineName(QByteArrayView Line);
// "$GPWPL" at the start, 64 bytes, CR LF at 63-64.
bool MlrLineShapeOk(QByteArrayView Line);
TMlrTrackLine MlrDecodeTrackLine(QByteArrayView Line);
// The names a track point carries: "TR" + 4 digits, "TRC" + the last 3 digits.
std::pair<QByteArray, QByteArray> MlrTrackNames(int PointNo);

// A text waypoint sentence (64 bytes, with checksum).
struct TMlrWptLine
{
    QString Name, Comment;
    int32 Lat = 0, Lon = 0;
    int Errors = 0;
};
TMlrWptLine MlrDecodeWptLine(QByteArrayView Line);

// The route sentence "$GPRTE,4,<Part>,C,<RouteNo>,n1,...,n5*hh" (without CR LF). False when it
// is not the expected part of that route or its checksum fails; else Names holds its non-empty
// names, trimmed of blanks.
QByteArray MlrRoutePrefix(int Part, const QString& RouteNo);
bool MlrParseRoute(QByteArrayView Line, int Part, const QString& RouteNo, QStringList& Names);

// ---- Binary transfers ------------------------------------------------------------------------

constexpr int MlrTrackRecLen = 18;
constexpr int MlrWptRecLen = 22;

// Turn fraction (4 bytes, big-endian) to 1e-5 degree; over half a turn is negative.
int32 MlrTurnToAngle(const uint8_t* P);
// 24-bit decimetres (big-endian, two's complement above 1,000,000) to metres.
int32 MlrAltitude(const uint8_t* P);
// Seconds since 1980-01-06 00:00 UTC to a date-time.
TDateTime MlrTime(uint32_t Seconds);

struct TMlrTrackRecord
{
    uint16_t PointNo = 0;
    TDateTime T = 0;
    int32 Lat = 0, Lon = 0, Alt = 0;
    bool NewFlight = false;
};
TMlrTrackRecord MlrDecodeTrackRecord(const uint8_t* P);

struct TMlrWptRecord
{
    QString Name; // trailing blanks removed
    int32 Lat = 0, Lon = 0, Alt = 0;
};
TMlrWptRecord MlrDecodeWptRecord(const uint8_t* P);

// The receive buffer of a binary transfer: start block, numbered data blocks, end block.
// Consumed bytes are skipped by an offset and the buffer compacted now and then, so that a
// long transfer costs no more than its bytes.
class TMlrBlockReader
{
public:
    // Kind 'T' (track, 18-byte records) or 'W' (waypoints, 22-byte records).
    explicit TMlrBlockReader(char Kind = 'T');
    void Reset(char Kind);
    void Append(QByteArrayView Bytes);
    void Clear();
    qsizetype Size() const { return fBuf.size() - fPos; }

    // Finds a start block; drops everything up to and including it and expects the first data
    // block (start number + 1).
    bool TakeStart();
    // A valid data block numbered BlockNo at the front: Records points at its Count records
    // (valid until the next Append), the block is consumed and BlockNo moves on. A block with
    // another number or not yet complete stays.
    bool TakeBlock(const uint8_t*& Records, int& Count);
    // The end block for BlockNo anywhere in the buffer: dropped with everything before it.
    bool TakeEnd();

    int RecordLen() const { return fRecLen; }
    uint8_t BlockNo = 1;

private:
    void Drop(qsizetype Count);
    QByteArray EndBlock() const;

    char fKind = 'T';
    int fRecLen = MlrTrackRecLen;
    QByteArray fBuf;
    qsizetype fPos = 0;
};

// The start block, a data block and the end block as the receiver sends them (for the tests,
// the simulator and the benchmarks).
QByteArray MlrStartBlock(char Kind, int StartNo);
QByteArray MlrDataBlock(char Kind, int BlockNo, const QList<QByteArray>& Records);
QByteArray MlrEndBlock(char Kind, int BlockNo);

// ---- Host uploads ----------------------------------------------------------------------------

// Names and comments go on the wire without the characters that would break a sentence.
QString MlrWireText(const QString& Text, int Width);
// "$GPWPL,lat,lon,name6" "5" comment22 CR LF.
QByteArray MlrWptSentence(const TWptBase& W);
// The route sentences for the turn-point names, five names a sentence.
QList<QByteArray> MlrRouteSentences(const QStringList& Names, const QString& RouteNo);
// A zone point: "$GPWPL,lat,lon,      X" "D" or "B" CR LF.
QByteArray MlrZoneSentence(const TPos& P, bool SegStart);
