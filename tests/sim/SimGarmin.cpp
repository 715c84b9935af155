#include "SimGarmin.h"

namespace {
constexpr char DLE = 0x10;
constexpr char ETX = 0x03;
} // namespace

uint8_t TSimGarmin::Checksum(uint8_t id, const QByteArray& data)
{
    unsigned sum = id + static_cast<uint8_t>(data.size());
    for (char c : data) sum += static_cast<uint8_t>(c);
    return static_cast<uint8_t>((256 - (sum & 0xFF)) & 0xFF);
}

QByteArray TSimGarmin::Frame(uint8_t id, const QByteArray& data)
{
    QByteArray body;
    body += static_cast<char>(id);
    body += static_cast<char>(data.size());
    body += data;
    body += static_cast<char>(Checksum(id, data));
    QByteArray out(1, DLE);
    for (char c : body) {
        out += c;
        if (c == DLE) out += DLE;
    }
    out += DLE;
    out += ETX;
    return out;
}

QByteArray TSimGarmin::U16(uint16_t v)
{
    QByteArray b;
    b += static_cast<char>(v & 0xFF);
    b += static_cast<char>(v >> 8);
    return b;
}

QList<TSimGarmin::Packet> TSimGarmin::Transfer(uint16_t command, const QList<Packet>& items)
{
    QList<Packet> all;
    all << Packet{PidRecords, U16(static_cast<uint16_t>(items.size()))};
    all += items;
    all << Packet{PidXferCmplt, U16(command)};
    return all;
}

void TSimGarmin::SendPacket(uint8_t id, const QByteArray& data)
{
    Send(Frame(id, data));
}

void TSimGarmin::SendNext()
{
    fWaitingAck = !fStream.isEmpty();
    if (fWaitingAck) SendPacket(fStream.first().Id, fStream.first().Data);
}

void TSimGarmin::OnBytes(const QByteArray& bytes)
{
    fBuffer += bytes;
    for (;;) {
        // Bytes before a frame's DLE are line noise.
        const qsizetype start = fBuffer.indexOf(DLE);
        if (start < 0) {
            fBuffer.clear();
            return;
        }
        fBuffer.remove(0, start);
        QByteArray body;
        qsizetype i = 1;
        bool complete = false, broken = false;
        while (i < fBuffer.size()) {
            const char c = fBuffer[i];
            if (c != DLE) {
                body += c;
                ++i;
                continue;
            }
            if (i + 1 >= fBuffer.size()) break; // wait for the next byte
            if (fBuffer[i + 1] == DLE) {
                body += DLE;
                i += 2;
            } else if (fBuffer[i + 1] == ETX) {
                complete = true;
                i += 2;
                break;
            } else {
                broken = true; // a lone DLE: a new frame starts here
                break;
            }
        }
        if (broken) {
            ++BadFrames;
            fBuffer.remove(0, i);
            continue;
        }
        if (!complete) return;
        fBuffer.remove(0, i);
        if (body.size() < 3) {
            ++BadFrames;
            continue;
        }
        Packet p{static_cast<uint8_t>(body[0]), body.mid(2, body.size() - 3)};
        const auto sum = static_cast<uint8_t>(body.back());
        if (static_cast<uint8_t>(body[1]) != p.Data.size() || Checksum(p.Id, p.Data) != sum) {
            ++BadFrames;
            SendPacket(PidNak, U16(p.Id));
            continue;
        }
        Received << p;
        Handle(p);
    }
}

void TSimGarmin::Handle(const Packet& p)
{
    if (p.Id == PidAck || p.Id == PidNak) {
        if (!fWaitingAck || p.Data.isEmpty() || static_cast<uint8_t>(p.Data[0]) != fStream.first().Id) return;
        if (p.Id == PidAck) fStream.removeFirst();
        SendNext(); // the next packet, or the same again after a NAK
        return;
    }
    if (AckHostPackets) SendPacket(PidAck, U16(p.Id));
    if (p.Id == PidProductRqst) {
        QByteArray data = U16(ProductId) + U16(static_cast<uint16_t>(SoftwareVersion)) + Description + '\0';
        SendPacket(PidProductData, data);
        if (!ProtocolArray.isEmpty()) SendPacket(PidProtocolArray, ProtocolArray);
    } else if (p.Id == PidCommandData && p.Data.size() >= 2) {
        const uint16_t cmd = static_cast<uint8_t>(p.Data[0]) | (static_cast<uint8_t>(p.Data[1]) << 8);
        if (cmd == CmdTurnOffPwr) PoweredOff = true;
        if (cmd == CmdAbortTransfer) {
            fStream.clear();
            fWaitingAck = false;
        } else if (Transfers.contains(cmd)) {
            fStream = Transfers.value(cmd);
            SendNext();
        }
    }
}
