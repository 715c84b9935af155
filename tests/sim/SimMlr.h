#pragma once
// An MLR receiver: "$PMLR,cc,ll,data,SSSS" CR LF commands (SSSS the 16-bit sum of the
// characters from "$" to the comma before it, four upper-case hexadecimal digits), an
// identification reply "$PMLR,IDGPS,01,..." with an NMEA checksum, and the binary block
// streams of the track log and the waypoints: a 13-byte start block, then numbered data
// blocks 0x8B, number, kind letter, kind byte, 0, record count, records, two checksum bytes,
// CR LF. Numbers inside the records are big-endian. The line speed switch that follows a
// binary request does not exist on a pseudo-terminal: the stream simply follows.
// In text mode the receiver repeats the sentences the test gave, a few per pump.
#include "SimDevice.h"

class TSimMlr : public TSimDevice
{
public:
    using TSimDevice::TSimDevice;

    static QByteArray Sum16(const QByteArray& text);     // four hexadecimal digits
    static QByteArray Command(const QByteArray& fields); // "$PMLR," fields "," sum CR LF

    QByteArray IdText1 = "MLR SP24XC";
    QByteArray Pilot = "---------";
    QByteArray IdText2 = "V3.12";
    QList<QByteArray> TrackRecords;    // 18 bytes each
    QList<QByteArray> WaypointRecords; // 22 bytes each
    int StartBlock = 0;                // 0 or 1: number of the start block
    int RecordsPerBlock = 10;          // 1..255
    QList<QByteArray> TextSentences;   // repeated in text mode
    bool TextMode = false;
    int SentencesPerPump = 2;

    QList<QByteArray> Commands; // good commands received (without sum and CR LF)
    int BadCommands = 0;
    bool Ended = false; // "$PMLR,06,00" received

    // Blocks of a binary stream, for tests that check the host's parser directly.
    static QList<QByteArray> Blocks(char kindLetter, int startBlock, const QList<QByteArray>& records,
                                    int perBlock);

protected:
    void OnBytes(const QByteArray& bytes) override;
    void OnIdle() override;

private:
    QByteArray fBuffer;
    int fTextNext = 0;
};
