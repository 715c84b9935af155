#include "SimGarmin.h"

#include "support/PtyFixture.h"

#include <QStringList>
#include <cmath>
#include <cstring>
#include <termios.h>

namespace {
constexpr char DLE = 0x10;
constexpr char ETX = 0x03;

// ---- Little-endian fields as the receiver writes them ----------------------------------------

struct Writer
{
    QByteArray b;
    Writer& u8(int v)
    {
        b += static_cast<char>(v & 0xFF);
        return *this;
    }
    Writer& u16(int v) { return u8(v).u8(v >> 8); }
    Writer& u32(uint32_t v) { return u16(static_cast<int>(v & 0xFFFF)).u16(static_cast<int>(v >> 16)); }
    Writer& f32(float f)
    {
        uint32_t u;
        std::memcpy(&u, &f, 4);
        return u32(u);
    }
    Writer& semi(double deg)
    {
        const double s = std::round(deg * 2147483648.0 / 180.0);
        return u32(static_cast<uint32_t>(static_cast<int64_t>(std::clamp(s, -2147483648.0, 2147483647.0))));
    }
    Writer& pos(double lat, double lon) { return semi(lat).semi(lon); }
    Writer& chars(const QByteArray& s, int n) { return raw(s.left(n).leftJustified(n, ' ')); }
    Writer& str(const QByteArray& s) { return raw(s).u8(0); }
    Writer& fill(int n, int v)
    {
        for (int i = 0; i < n; ++i) u8(v);
        return *this;
    }
    Writer& raw(const QByteArray& s)
    {
        b += s;
        return *this;
    }
};

struct Reader
{
    const QByteArray& b;
    int at = 0;
    bool ok = true;
    bool need(int n)
    {
        if (at + n > b.size()) ok = false;
        return ok;
    }
    int u8()
    {
        if (!need(1)) return 0;
        return static_cast<uint8_t>(b[at++]);
    }
    int u16()
    {
        const int lo = u8();
        return lo | (u8() << 8);
    }
    int s16() { return static_cast<int16_t>(u16()); }
    uint32_t u32()
    {
        const uint32_t lo = static_cast<uint32_t>(u16());
        return lo | (static_cast<uint32_t>(u16()) << 16);
    }
    float f32()
    {
        const uint32_t u = u32();
        float f;
        std::memcpy(&f, &u, 4);
        return f;
    }
    double semi() { return static_cast<int32_t>(u32()) * 180.0 / 2147483648.0; }
    QByteArray chars(int n)
    {
        if (!need(n)) return {};
        const QByteArray s = b.mid(at, n);
        at += n;
        return s;
    }
    QByteArray str()
    {
        const qsizetype z = b.indexOf('\0', at);
        if (z < 0) {
            ok = false;
            return {};
        }
        const QByteArray s = b.mid(at, z - at);
        at = static_cast<int>(z) + 1;
        return s;
    }
    void skip(int n) { need(n) ? void(at += n) : void(); }
};

} // namespace

TSimGarmin::TSimGarmin(PtyFixture& line) : TSimDevice(line), fPty(line) {}

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

QByteArray TSimGarmin::Capabilities(const QString& tags)
{
    QByteArray out;
    for (const QString& t : tags.split(' ', Qt::SkipEmptyParts))
        out += t.at(0).toLatin1() + U16(t.mid(1).toUShort());
    return out;
}

void TSimGarmin::SetCapabilities(const QString& tags)
{
    ProtocolArray = Capabilities(tags);
    const QStringList t = tags.split(' ', Qt::SkipEmptyParts);
    auto d = [&](int k) { return k < t.size() ? t[k].mid(1).toInt() : 0; };
    for (int k = 0; k < t.size(); ++k) {
        if (t[k] == "A100") WptType = d(k + 1);
        if (t[k] == "A200" || t[k] == "A201") {
            RteProt = t[k].mid(1).toInt();
            RteHdrType = d(k + 1);
            RteWptType = d(k + 2);
        }
        if (t[k] == "A300") {
            TrkProt = 300;
            TrkPtType = d(k + 1);
        }
        if (t[k] == "A301" || t[k] == "A302") {
            TrkProt = t[k].mid(1).toInt();
            TrkHdrType = d(k + 1);
            TrkPtType = d(k + 2);
        }
    }
}

// ---- Records ---------------------------------------------------------------------------------

QByteArray TSimGarmin::EncodeWpt(int type, const Wpt& w)
{
    Writer o;
    auto d100 = [&] { o.chars(w.Ident, 6).pos(w.Lat, w.Lon).u32(0).chars(w.Comment, 40); };
    auto d108tail = [&] { o.pos(w.Lat, w.Lon).f32(w.Alt).f32(1e25f).f32(1e25f).raw("    "); };
    auto strings = [&] { o.str(w.Ident).str(w.Comment).u8(0).u8(0).u8(0).u8(0); };
    switch (type) {
    case 100:
        d100();
        break;
    case 101:
        d100(), o.f32(0).u8(w.Symbol);
        break;
    case 102:
        d100(), o.f32(0).u16(w.Symbol);
        break;
    case 103:
        d100(), o.u8(w.Symbol).u8(0);
        break;
    case 104:
        d100(), o.f32(0).u16(w.Symbol).u8(0);
        break;
    case 105:
        o.pos(w.Lat, w.Lon).u16(w.Symbol).str(w.Ident);
        break;
    case 107:
        d100(), o.u8(w.Symbol).u8(0).f32(0).u8(0);
        break;
    case 108:
        o.u8(0).u8(255).u8(0).u8(0x60).u16(w.Symbol).fill(18, 0), d108tail(), strings();
        break;
    case 109:
        o.u8(1).u8(0).u8(0x1F).u8(0x70).u16(w.Symbol).fill(18, 0), d108tail(), o.u32(0), strings();
        break;
    case 110:
        o.u8(1).u8(0).u8(0x1F).u8(0x80).u16(w.Symbol).fill(18, 0), d108tail();
        o.u32(0).f32(1e25f).u32(0xFFFFFFFFu).u16(0), strings();
        break;
    case 150:
        o.chars(w.Ident, 6).raw("  ").u8(4).pos(w.Lat, w.Lon).u16(static_cast<int>(std::lround(w.Alt)));
        o.fill(56, ' ').chars(w.Comment, 40);
        break;
    case 151:
    case 152:
    case 154:
    case 155:
        d100(), o.f32(0).fill(56, ' ').u16(w.Alt > 32767 ? 0 : static_cast<int>(std::lround(w.Alt)));
        o.raw("  ").u8(0).u8(type == 151 ? 2 : 4);
        if (type >= 154) o.u16(w.Symbol);
        if (type == 155) o.u8(0);
        break;
    default:
        return {};
    }
    return o.b;
}

bool TSimGarmin::DecodeWpt(int type, const QByteArray& d, Wpt& w)
{
    Reader r{d};
    w = Wpt();
    auto d100 = [&] {
        w.Ident = r.chars(6);
        w.Lat = r.semi();
        w.Lon = r.semi();
        r.skip(4);
        w.Comment = r.chars(40);
    };
    auto d108 = [&](int extra) {
        r.skip(4);
        w.Symbol = static_cast<uint16_t>(r.u16());
        r.skip(18);
        w.Lat = r.semi();
        w.Lon = r.semi();
        w.Alt = r.f32();
        r.skip(12 + extra);
        w.Ident = r.str();
        w.Comment = r.str();
    };
    switch (type) {
    case 100:
        d100();
        break;
    case 101:
        d100(), r.skip(4), w.Symbol = static_cast<uint16_t>(r.u8());
        break;
    case 102:
        d100(), r.skip(4), w.Symbol = static_cast<uint16_t>(r.u16());
        break;
    case 103:
    case 107:
        d100(), w.Symbol = static_cast<uint16_t>(r.u8()), r.skip(1);
        break;
    case 104:
        d100(), r.skip(4), w.Symbol = static_cast<uint16_t>(r.u16()), r.skip(1);
        break;
    case 105:
        w.Lat = r.semi(), w.Lon = r.semi();
        w.Symbol = static_cast<uint16_t>(r.u16());
        w.Ident = r.str();
        break;
    case 108:
        d108(0);
        break;
    case 109:
        d108(4);
        break;
    case 110:
        d108(4 + 4 + 4 + 2);
        break;
    case 150:
        w.Ident = r.chars(6);
        r.skip(3);
        w.Lat = r.semi(), w.Lon = r.semi();
        w.Alt = static_cast<float>(r.s16());
        r.skip(56);
        w.Comment = r.chars(40);
        break;
    case 151:
    case 152:
    case 154:
    case 155:
        d100(), r.skip(4 + 56);
        w.Alt = static_cast<float>(r.s16());
        r.skip(4);
        if (type >= 154) w.Symbol = static_cast<uint16_t>(r.u16());
        break;
    default:
        return false;
    }
    return r.ok;
}

QByteArray TSimGarmin::EncodeTrkPt(int type, const TrkPt& p)
{
    Writer o;
    o.pos(p.Lat, p.Lon).u32(p.Time);
    if (type == 301 || type == 302) o.f32(p.Alt).f32(1e25f);
    if (type == 302) o.f32(1e25f);
    o.u8(p.NewTrack ? 1 : 0);
    return o.b;
}

bool TSimGarmin::DecodeTrkPt(int type, const QByteArray& d, TrkPt& p)
{
    Reader r{d};
    p.Lat = r.semi();
    p.Lon = r.semi();
    p.Time = r.u32();
    if (type == 301 || type == 302) {
        p.Alt = r.f32();
        r.skip(4);
    }
    if (type == 302) r.skip(4);
    p.NewTrack = r.u8() != 0;
    return r.ok && r.at == d.size() && type >= 300 && type <= 302;
}

QList<TSimGarmin::Packet> TSimGarmin::Model(uint16_t command) const
{
    QList<Packet> items;
    if (command == CmdTransferWpt) {
        for (const Wpt& w : Waypoints) items << Packet{PidWptData, EncodeWpt(WptType, w)};
    } else if (command == CmdTransferTrk) {
        for (const Track& t : Tracks) {
            if (TrkProt != 300) items << Packet{PidTrkHdr, Writer().u8(1).u8(255).str(t.Name).b};
            for (const TrkPt& p : t.Points) items << Packet{PidTrkData, EncodeTrkPt(TrkPtType, p)};
        }
    } else if (command == CmdTransferRte) {
        for (const Route& r : Routes) {
            Writer h;
            if (RteHdrType == 202)
                h.str(r.Name);
            else if (RteHdrType == 201)
                h.u8(r.Number).chars(r.Name, 20);
            else
                h.u8(r.Number);
            items << Packet{PidRteHdr, h.b};
            for (int k = 0; k < r.Points.size(); ++k) {
                if (k > 0 && RteProt == 201)
                    items << Packet{PidRteLinkData, Writer().u16(0).fill(18, 0).str("").b};
                items << Packet{PidRteWptData, EncodeWpt(RteWptType, r.Points[k])};
            }
        }
    } else {
        return {};
    }
    return Transfer(command, items);
}

// ---- Link ------------------------------------------------------------------------------------

bool TSimGarmin::LineOk() const
{
    termios t{};
    if (tcgetattr(fPty.MasterFd(), &t) != 0) return true;
    return cfgetospeed(&t) == B9600 && (t.c_cflag & CSIZE) == CS8 && !(t.c_cflag & PARENB) &&
           !(t.c_cflag & CSTOPB);
}

void TSimGarmin::SendPacket(uint8_t id, const QByteArray& data)
{
    QByteArray f = Frame(id, data);
    if (!fGarbage.isEmpty()) {
        f.prepend(fGarbage);
        fGarbage.clear();
    }
    // At another speed the host hears noise.
    if (!LineOk())
        for (char& c : f) c = static_cast<char>(c ^ 0x5A);
    Send(f);
}

void TSimGarmin::SendNext()
{
    fWaitingAck = !fStream.isEmpty();
    fWaitPumps = 0;
    if (fWaitingAck) SendPacket(fStream.first().Id, fStream.first().Data);
}

void TSimGarmin::Stream(QList<Packet> packets)
{
    fStream = std::move(packets);
    fTries = 1;
    SendNext();
}

void TSimGarmin::OnIdle()
{
    // The time-out runs from when the packet has left.
    if (!fWaitingAck || OutputPending() || ++fWaitPumps < ResendAfterPumps) return;
    if (fTries >= MaxTries) {
        fStream.clear();
        fWaitingAck = false;
        ++Abandoned;
        return;
    }
    ++fTries;
    ++Resent;
    SendNext();
}

void TSimGarmin::OnBytes(const QByteArray& bytes)
{
    if (!LineOk()) {
        Ignored += static_cast<int>(bytes.size());
        return;
    }
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
        if (!fWaitingAck) return;
        // A NAK asks for the packet again whatever id it names (a host that lost a frame to
        // noise cannot know its id).
        if (p.Id == PidNak) {
            ++Resent;
            SendNext();
            return;
        }
        if (p.Data.isEmpty() || static_cast<uint8_t>(p.Data[0]) != fStream.first().Id) return;
        fStream.removeFirst();
        fTries = 1;
        SendNext();
        return;
    }
    if (AckHostPackets) SendPacket(PidAck, U16(p.Id));
    if (p.Id == PidProductRqst) {
        QList<Packet> id{{PidProductData, U16(ProductId) + U16(static_cast<uint16_t>(SoftwareVersion)) +
                                              Description + QByteArray(1, '\0')}};
        if (!ExtendedData.isEmpty()) id << Packet{PidExtProductData, ExtendedData};
        if (!ProtocolArray.isEmpty()) id << Packet{PidProtocolArray, ProtocolArray};
        Stream(id);
    } else if (p.Id == PidCommandData && p.Data.size() >= 2) {
        const uint16_t cmd = static_cast<uint8_t>(p.Data[0]) | (static_cast<uint8_t>(p.Data[1]) << 8);
        if (cmd == CmdTurnOffPwr) PoweredOff = true;
        if (cmd == CmdAbortTransfer) {
            fStream.clear();
            fWaitingAck = false;
        } else if (Transfers.contains(cmd)) {
            Stream(Transfers.value(cmd));
        } else {
            Stream(Model(cmd));
        }
    } else if (p.Id == PidLamp && !p.Data.isEmpty()) {
        Lamp = static_cast<uint8_t>(p.Data[0]);
    } else if (p.Id == PidRecords) {
        Uploads << Upload();
        Uploads.back().Announced = Reader{p.Data}.u16();
        fUploading = true;
    } else if (p.Id == PidXferCmplt && fUploading) {
        Uploads.back().XferCommand = Reader{p.Data}.u8();
        fUploading = false;
    } else if (fUploading) {
        UploadItem(p);
    }
}

void TSimGarmin::UploadItem(const Packet& p)
{
    Upload& u = Uploads.back();
    const uint8_t prev = u.Items.isEmpty() ? 0 : u.Items.back().Id;
    u.Items << p;
    switch (p.Id) {
    case PidWptData: {
        Wpt w;
        if (DecodeWpt(WptType, p.Data, w))
            u.Waypoints << w;
        else
            ++u.BadRecords;
        if (prev != 0 && prev != PidWptData) u.OrderOk = false;
        break;
    }
    case PidTrkHdr: {
        Reader r{p.Data};
        r.skip(2);
        u.Tracks << Track{r.str(), {}};
        if (prev != 0 || TrkProt == 300 || !r.ok || r.at != p.Data.size()) u.OrderOk = false;
        break;
    }
    case PidTrkData: {
        TrkPt t;
        if (u.Tracks.isEmpty()) {
            u.Tracks << Track();
            if (TrkProt != 300) u.OrderOk = false; // the header comes first
        }
        if (DecodeTrkPt(TrkPtType, p.Data, t))
            u.Tracks.back().Points << t;
        else
            ++u.BadRecords;
        break;
    }
    case PidRteHdr: {
        Reader r{p.Data};
        Route rt;
        if (RteHdrType == 202) {
            rt.Name = r.str();
        } else {
            rt.Number = static_cast<uint8_t>(r.u8());
            if (RteHdrType == 201) rt.Name = r.chars(20);
        }
        if (!r.ok || r.at != p.Data.size()) ++u.BadRecords;
        if (prev == PidRteLinkData) u.OrderOk = false;
        u.Routes << rt;
        break;
    }
    case PidRteWptData: {
        Wpt w;
        if (u.Routes.isEmpty()) {
            u.OrderOk = false;
            u.Routes << Route();
        }
        if (DecodeWpt(RteWptType, p.Data, w))
            u.Routes.back().Points << w;
        else
            ++u.BadRecords;
        // With links, two waypoints have a link between them.
        if (RteProt == 201 && prev == PidRteWptData) u.OrderOk = false;
        break;
    }
    case PidRteLinkData:
        if (RteProt != 201 || prev != PidRteWptData || p.Data.size() < 21) u.OrderOk = false;
        break;
    default:
        u.OrderOk = false;
        break;
    }
}
