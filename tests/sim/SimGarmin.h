#pragma once
// A Garmin receiver on its serial link protocol (from Garmin's public device interface
// description): packets framed as DLE, id, size, data, checksum, DLE ETX, every DLE inside
// doubled, the checksum the two's complement of the sum of id, size and data. Every packet
// but ACK and NAK is acknowledged by the other side; a frame with a bad checksum is answered
// with a NAK. The receiver answers the product request with its product data (then the
// extended product data and the protocol array when it has them). Every packet it sends waits
// for the host's ACK: a NAK or a time-out (counted in pumps) sends it again, and after a few
// tries the rest of the transfer is abandoned.
//
// A command packet streams a transfer: the packets the test gave for that command, or else the
// receiver's own tracks, waypoints or routes encoded by its record types. A transfer from the
// host (records, items, transfer complete) is decoded by the same types into Uploads, which
// also tell whether the records count, the order of the packets and the command fit.
//
// Beyond the framework's faults: garbage before the next frame, and a host at the wrong line
// speed (the line's settings read with tcgetattr; unlike 9600 8N1 the receiver garbles what it
// sends and ignores what it hears).
#include "SimDevice.h"

#include <QMap>

class TSimGarmin : public TSimDevice
{
public:
    explicit TSimGarmin(PtyFixture& line);

    enum Pid : uint8_t
    {
        PidAck = 6,
        PidCommandData = 10,
        PidXferCmplt = 12,
        PidLamp = 15,
        PidNak = 21,
        PidRecords = 27,
        PidRteHdr = 29,
        PidRteWptData = 30,
        PidTrkData = 34,
        PidWptData = 35,
        PidRteLinkData = 98,
        PidTrkHdr = 99,
        PidExtProductData = 248,
        PidProtocolArray = 253,
        PidProductRqst = 254,
        PidProductData = 255
    };
    enum Command : uint16_t
    {
        CmdAbortTransfer = 0,
        CmdTransferRte = 4,
        CmdTransferTrk = 6,
        CmdTransferWpt = 7,
        CmdTurnOffPwr = 8
    };
    struct Packet
    {
        uint8_t Id = 0;
        QByteArray Data;
        bool operator==(const Packet&) const = default;
    };

    // What the receiver holds, in its own units.
    struct Wpt
    {
        QByteArray Ident, Comment;
        double Lat = 0, Lon = 0; // degrees
        float Alt = 1.0e25f;     // metres; 1e25 unknown
        uint16_t Symbol = 18;
        bool operator==(const Wpt&) const = default;
    };
    struct TrkPt
    {
        double Lat = 0, Lon = 0;
        uint32_t Time = 0xFFFFFFFFu; // seconds since 1989-12-31, all ones: none
        float Alt = 1.0e25f;
        bool NewTrack = false;
    };
    struct Track
    {
        QByteArray Name;
        QList<TrkPt> Points;
    };
    struct Route
    {
        uint8_t Number = 0;
        QByteArray Name;
        QList<Wpt> Points;
    };
    // One transfer the host sent.
    struct Upload
    {
        int Announced = -1; // records count
        QList<Packet> Items;
        int XferCommand = -1;
        bool CountOk() const { return Announced == Items.size(); }
        bool OrderOk = true;
        QList<Wpt> Waypoints;
        QList<Track> Tracks;
        QList<Route> Routes;
        int BadRecords = 0;
    };

    static uint8_t Checksum(uint8_t id, const QByteArray& data);
    static QByteArray Frame(uint8_t id, const QByteArray& data);
    static QByteArray U16(uint16_t v);
    // Records (count), the items, transfer complete (command): a whole transfer.
    static QList<Packet> Transfer(uint16_t command, const QList<Packet>& items);
    // Tags "A010 A100 D108 ..." as the protocol array holds them.
    static QByteArray Capabilities(const QString& tags);

    // Record codecs of the receiver, by D type.
    static QByteArray EncodeWpt(int type, const Wpt& w);
    static bool DecodeWpt(int type, const QByteArray& d, Wpt& w);
    static QByteArray EncodeTrkPt(int type, const TrkPt& p);
    static bool DecodeTrkPt(int type, const QByteArray& d, TrkPt& p);

    uint16_t ProductId = 291;
    int16_t SoftwareVersion = 400;
    QByteArray Description = "GPSMAP 60CSx Software Version 4.00";
    QByteArray ExtendedData;                 // empty: no extended product data
    QByteArray ProtocolArray;                // tag and 16-bit number per protocol; empty: none sent
    QMap<uint16_t, QList<Packet>> Transfers; // what each command streams, before the model below
    bool AckHostPackets = true;

    // The receiver's data and its record types.
    int WptType = 108, RteProt = 201, RteHdrType = 202, RteWptType = 108, TrkProt = 301, TrkHdrType = 310,
        TrkPtType = 301;
    QList<Wpt> Waypoints;
    QList<Track> Tracks;
    QList<Route> Routes;
    void SetCapabilities(const QString& tags); // ProtocolArray and the record types from tags

    // Link behaviour.
    int ResendAfterPumps = 25; // pumps without an answer before a packet goes again
    int MaxTries = 5;          // then the transfer is abandoned
    void GarbageBeforeNext(const QByteArray& bytes) { fGarbage = bytes; }

    QList<Packet> Received; // good packets from the host (ACK and NAK included)
    QList<Upload> Uploads;
    int BadFrames = 0;
    int Resent = 0;
    int Abandoned = 0;
    int Lamp = -1;
    bool PoweredOff = false;
    int Ignored = 0; // bytes not heard (wrong line speed)

protected:
    void OnBytes(const QByteArray& bytes) override;
    void OnIdle() override;

private:
    bool LineOk() const;
    void SendPacket(uint8_t id, const QByteArray& data);
    void Handle(const Packet& p);
    void SendNext();
    void Stream(QList<Packet> packets);
    QList<Packet> Model(uint16_t command) const;
    void UploadItem(const Packet& p);

    PtyFixture& fPty;
    QByteArray fBuffer;
    QList<Packet> fStream; // packets still to send; the first waits for its ACK
    bool fWaitingAck = false;
    int fWaitPumps = 0;
    int fTries = 0;
    QByteArray fGarbage;
    bool fUploading = false;
};
