#pragma once
// An MLR receiver: "$PMLR,cc,ll,data,SSSS" CR LF commands (SSSS the 16-bit sum of the
// characters from "$" to the comma before it, four upper-case hexadecimal digits), an
// identification reply "$PMLR,IDGPS,01,..." with an NMEA checksum, and the binary block
// streams of the track log and the waypoints: a 13-byte start block, then numbered data
// blocks 0x8B, number, kind letter, kind byte, 0, record count, records, two checksum bytes,
// CR LF, then an end block 0x8B, next number, kind letter, kind byte, "FIN", 16-bit sum, CR LF.
// Numbers inside the records are big-endian.
//
// The receiver listens at 4800 bit/s, one stop bit. A pseudo-terminal keeps the line settings
// the host gave its side, so the receiver reads them on the master: a command that arrives at
// another setting is not understood (counted in BadSpeedCommands); after a binary request it
// waits until the host's side shows the requested speed and two stop bits, sends the stream in
// chunks of random size, then listens at 4800 again. What it sends while the host's side is at
// another speed than its own arrives garbled.
//
// Text mode repeats the sentences the test gave, pass after pass, paced at the line speed
// (BytesPerSecond); a line can be damaged or dropped in the first pass.
#include "SimDevice.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <random>

class TSimMlr : public TSimDevice
{
public:
    explicit TSimMlr(PtyFixture& line);

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
    int SentencesPerPump = 2; // without pacing
    int BytesPerSecond = 0;   // text pacing (480 at 4800 bit/s); 0: SentencesPerPump a pump

    // Line settings. CheckSpeed off: the receiver ignores them (a host that cannot set them).
    bool CheckSpeed = true;
    int BinaryRate = 0; // the receiver's own binary speed; 0: the one requested
    int HostRate() const;
    int HostStopBits() const;

    QList<QByteArray> Commands; // good commands received (without sum and CR LF)
    int BadCommands = 0;
    int BadSpeedCommands = 0;
    bool Ended = false;        // "$PMLR,06,00" received
    QList<QByteArray> Uploads; // "$GPWPL" and "$GPRTE" sentences of the host (without CR LF)
    bool BinaryPending() const { return !fStream.isEmpty() || fWaitRate != 0; }

    // Faults of the text stream, in its first pass: sentence Index damaged, or left out.
    int DamageFirstPass = -1;
    int DropFirstPass = -1;

    // Sentences of the text streams.
    static QByteArray TrackSentence(int PointNo, double Lat, double Lon, int Alt, const QDateTime& Utc,
                                    bool NewFlight = false, bool ShortName = false);
    static QByteArray WptSentence(const QByteArray& Name, const QByteArray& Comment, double Lat, double Lon);
    static QList<QByteArray> RouteSentences(const QByteArray& RouteNo, const QList<QByteArray>& Names);
    // The 18-byte track record and the 22-byte waypoint record.
    static QByteArray TrackRecord(int PointNo, const QDateTime& Utc, double Lat, double Lon, double AltM,
                                  bool NewFlight = false);
    static QByteArray WaypointRecord(const QByteArray& Name, double Lat, double Lon, double AltM);
    // A long flight of Count records, 4 s apart from 10:00 UTC on 15/07/2026, climbing north.
    void LoadLongFlight(int Count);

    // Blocks of a binary stream, for tests that check the host's parser directly.
    static QList<QByteArray> Blocks(char kindLetter, int startBlock, const QList<QByteArray>& records,
                                    int perBlock);
    // The end block that follows the data block before Number.
    static QByteArray EndBlock(char kindLetter, int Number);

protected:
    void OnBytes(const QByteArray& bytes) override;
    void OnIdle() override;

private:
    void StartBinary(char Kind, int Rate);
    void SendText(QByteArray s);
    QByteArray Garble(QByteArray b) const;

    QByteArray fBuffer;
    int fTextNext = 0;
    int fPass = 0;
    qint64 fTextBytes = 0;
    QElapsedTimer fTextClock;
    QByteArray fStream; // binary bytes still to send
    int fWaitRate = 0;  // speed the binary stream waits for
    int fStreamRate = 0;
    std::mt19937 fRandom{12345};
    PtyFixture& fPty;
};
