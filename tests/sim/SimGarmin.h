#pragma once
// A Garmin receiver on its serial link protocol (from Garmin's public device interface
// description): packets framed as DLE, id, size, data, checksum, DLE ETX, every DLE inside
// doubled, the checksum the two's complement of the sum of id, size and data. Every packet
// but ACK and NAK is acknowledged by the other side; a frame with a bad checksum is answered
// with a NAK. The receiver answers the product request with its product data (and protocol
// array when it has one), and a command packet by streaming the packets the test gave for
// that command, each sent after the host acknowledged the previous one (sent again on NAK).
#include "SimDevice.h"

#include <QMap>

class TSimGarmin : public TSimDevice
{
public:
    using TSimDevice::TSimDevice;

    enum Pid : uint8_t
    {
        PidAck = 6,
        PidCommandData = 10,
        PidXferCmplt = 12,
        PidNak = 21,
        PidRecords = 27,
        PidRteHdr = 29,
        PidRteWptData = 30,
        PidTrkData = 34,
        PidWptData = 35,
        PidRteLinkData = 98,
        PidTrkHdr = 99,
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

    static uint8_t Checksum(uint8_t id, const QByteArray& data);
    static QByteArray Frame(uint8_t id, const QByteArray& data);
    static QByteArray U16(uint16_t v);
    // Records (count), the items, transfer complete (command): a whole transfer.
    static QList<Packet> Transfer(uint16_t command, const QList<Packet>& items);

    uint16_t ProductId = 291;
    int16_t SoftwareVersion = 400;
    QByteArray Description = "GPSMAP 60CSx Software Version 4.00";
    QByteArray ProtocolArray;                // tag and 16-bit number per protocol; empty: none sent
    QMap<uint16_t, QList<Packet>> Transfers; // what each command streams
    bool AckHostPackets = true;

    QList<Packet> Received; // good packets from the host (ACK and NAK included)
    int BadFrames = 0;
    bool PoweredOff = false;

protected:
    void OnBytes(const QByteArray& bytes) override;

private:
    void SendPacket(uint8_t id, const QByteArray& data);
    void Handle(const Packet& p);
    void SendNext();

    QByteArray fBuffer;
    QList<Packet> fStream; // packets still to stream; the first waits for its ACK
    bool fWaitingAck = false;
};
