#pragma once
// A Magellan receiver on its "$PMGN" sentence protocol (from Magellan's public serial
// protocol description): NMEA-style sentences "$PMGNxxx,fields*HH" CR LF with the XOR
// checksum. "CMD,HANDON" turns on the handshake, in which every sentence received is
// acknowledged by "$PMGNCSM,HH" with its checksum, and each sentence the receiver sends waits
// for the host's CSM before the next one goes (sent again after a time-out). "CMD,VERSION" is
// answered by the version sentence; "CMD,TRACK", "CMD,WAYPOINT" and "CMD,ROUTE" by the
// sentences the test gave, then "$PMGNCMD,END". Commands are taken with or without ",2".
// While its NMEA output is on (until "CMD,NMEAOFF") the receiver chatters NMEA sentences.
// Sentences with a bad checksum are ignored. At another line speed than its own it garbles
// what it sends (the host's settings are read on the master side).
#include "SimDevice.h"

#include <QMap>
#include <QStringList>

class TSimMagellan : public TSimDevice
{
public:
    explicit TSimMagellan(PtyFixture& line);

    // Bodies (between "$" and "*") of the sentences sent for each request.
    QByteArray Version = "PMGNVER,23,3.11,MERIDIAN GPS";
    QMap<QByteArray, QList<QByteArray>> Lists; // keys "TRACK", "WAYPOINT", "ROUTE"

    // How the receiver acknowledges the host's sentences while the handshake is on.
    enum TCsm
    {
        CsmGood,
        CsmWrong,   // a checksum that is not the sentence's
        CsmForeign, // another sentence instead of the CSM
        CsmUnable,  // "$PMGNCMD,UNABLE"
    };
    TCsm CsmMode = CsmGood;
    int CsmFaults = -1;        // how many acknowledgements the mode spoils (-1: all)
    bool CsmForHandon = true;  // false: HANDON goes unacknowledged
    int ResendMs = 1000;       // own sentence sent again when no CSM came in this time
    int LineSpeed = 0;         // the receiver's own speed (0: whatever the host set)
    bool NmeaOn = false;       // chatter until NMEAOFF
    QList<QByteArray> Chatter; // bodies of the NMEA sentences chattered, in turn
    int ChatterMs = 100;

    bool Handshake = false;
    QList<QByteArray> Received; // bodies of the good sentences from the host
    int BadSentences = 0;
    QList<QByteArray> Deleted; // what "CMD,DELETE" and "DWP"/"DRT" asked to erase
    // The host's uploads and erasures decoded, one line each: "WPL name lat lon alt comment
    // icon", "RTE total part number names...", "DWP name", "DRT nn", "DELETE what".
    QStringList Transcript;
    int Resent = 0;
    int NmeaOnCount = 0;

protected:
    void OnBytes(const QByteArray& bytes) override;
    void OnIdle() override;

private:
    bool LineOk() const;
    void SendBody(const QByteArray& body, bool awaitCsm = true);
    void SendNext();
    void Handle(const QByteArray& body);
    void Acknowledge(const QByteArray& body);
    qint64 NowMs() const;

    PtyFixture& fPty;
    QByteArray fBuffer;
    QList<QByteArray> fStream;
    QByteArray fAwaitedCsm; // checksum the host must acknowledge before the next sentence
    QByteArray fLastBody;
    qint64 fSentAt = 0;
    qint64 fChatterAt = 0;
    int fChatterNo = 0;
};
