#pragma once
// A Magellan receiver on its "$PMGN" sentence protocol (from Magellan's public serial
// protocol description): NMEA-style sentences "$PMGNxxx,fields*HH" CR LF with the XOR
// checksum. "CMD,HANDON" turns on the handshake, in which every sentence received is
// acknowledged by "$PMGNCSM,HH" with its checksum, and each sentence the receiver sends waits
// for the host's CSM before the next one goes. "CMD,VERSION" is answered by the version
// sentence; "CMD,TRACK", "CMD,WAYPOINT" and "CMD,ROUTE" by the sentences the test gave,
// then "$PMGNCMD,END". Sentences with a bad checksum are ignored.
#include "SimDevice.h"

#include <QMap>

class TSimMagellan : public TSimDevice
{
public:
    using TSimDevice::TSimDevice;

    // Bodies (between "$" and "*") of the sentences sent for each request.
    QByteArray Version = "PMGNVER,23,3.11,MERIDIAN GPS";
    QMap<QByteArray, QList<QByteArray>> Lists; // keys "TRACK", "WAYPOINT", "ROUTE"

    bool Handshake = false;
    QList<QByteArray> Received; // bodies of the good sentences from the host
    int BadSentences = 0;
    QList<QByteArray> Deleted; // what "CMD,DELETE" and "DWP"/"DRT" asked to erase

protected:
    void OnBytes(const QByteArray& bytes) override;

private:
    void SendBody(const QByteArray& body);
    void SendNext();
    void Handle(const QByteArray& body);

    QByteArray fBuffer;
    QList<QByteArray> fStream;
    QByteArray fAwaitedCsm; // checksum the host must acknowledge before the next sentence
};
