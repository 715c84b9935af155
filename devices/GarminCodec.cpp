#include "devices/GarminCodec.h"

#include "devices/GpsNames.h"
#include "model/Texts.h"

#include <QDate>
#include <QStringList>
#include <cmath>
#include <cstring>

namespace {

double RoundEven(double v)
{
    return std::nearbyint(v);
}

uint8_t U8(const QByteArray& B, int Offset)
{
    return Offset >= 0 && Offset < B.size() ? static_cast<uint8_t>(B[Offset]) : 0;
}

uint16_t U16(const QByteArray& B, int Offset)
{
    return static_cast<uint16_t>(U8(B, Offset) | (U8(B, Offset + 1) << 8));
}

QByteArray Latin1(const QString& S)
{
    return S.toLatin1();
}

// Text of a fixed field: its bytes up to the first 0, blanks kept.
QString Fixed(const QByteArray& B, int Offset, int Len)
{
    QByteArray f = B.mid(Offset, Len);
    const qsizetype z = f.indexOf('\0');
    if (z >= 0) f.truncate(z);
    return QString::fromLatin1(f);
}

// A text ending at a 0 byte (or the record's end); Offset moves past the 0.
QString CString(const QByteArray& B, int& Offset)
{
    if (Offset >= B.size()) return QString();
    qsizetype z = B.indexOf('\0', Offset);
    if (z < 0) z = B.size();
    const QString s = QString::fromLatin1(B.mid(Offset, z - Offset));
    Offset = static_cast<int>(z) + 1;
    return s;
}

QByteArray Padded(const QString& S, int Len)
{
    return Latin1(S.left(Len).leftJustified(Len, QLatin1Char(' ')));
}

QByteArray Byte(int V)
{
    return QByteArray(1, static_cast<char>(V));
}

QByteArray U16Bytes(uint16_t V)
{
    return GarminInt16ToBytes(static_cast<int16_t>(V));
}

int16_t ClampAlt16(int32 Alt)
{
    return static_cast<int16_t>(std::clamp<int32>(Alt, -32768, 32767));
}

// Record sizes the decoder needs, by type.
int WptMinSize(int Type)
{
    switch (Type) {
    case 100:
        return 58;
    case 101:
        return 63;
    case 102:
        return 64;
    case 103:
        return 60;
    case 104:
        return 64;
    case 107:
        return 60;
    case 105:
        return 11;
    case 108:
        return 49;
    case 109:
        return 53;
    case 110:
        return 63;
    case 150:
        return 115;
    case 151:
    case 152:
        return 120;
    case 154:
    case 155:
        return 126;
    default:
        return -1;
    }
}

} // namespace

// ---- Fields ----------------------------------------------------------------------------------

int16_t GarminBytesToInt16(const QByteArray& B, int Offset)
{
    return static_cast<int16_t>(U16(B, Offset));
}

QByteArray GarminInt16ToBytes(int16_t V)
{
    const auto u = static_cast<uint16_t>(V);
    QByteArray b(2, '\0');
    b[0] = static_cast<char>(u & 0xFF);
    b[1] = static_cast<char>(u >> 8);
    return b;
}

int32_t GarminBytesToInt32(const QByteArray& B, int Offset)
{
    const uint32_t u =
        static_cast<uint32_t>(U16(B, Offset)) | (static_cast<uint32_t>(U16(B, Offset + 2)) << 16);
    return static_cast<int32_t>(u);
}

QByteArray GarminInt32ToBytes(int32_t V)
{
    const auto u = static_cast<uint32_t>(V);
    QByteArray b(4, '\0');
    for (int i = 0; i < 4; ++i) b[i] = static_cast<char>((u >> (8 * i)) & 0xFF);
    return b;
}

bool GarminDecodePos(const QByteArray& B, int Offset, int32& Lat, int32& Lon)
{
    if (Offset < 0 || B.size() < Offset + 8) return false;
    const double k = 18000000.0 / 2147483648.0;
    const double lat = RoundEven(GarminBytesToInt32(B, Offset) * k);
    const double lon = RoundEven(GarminBytesToInt32(B, Offset + 4) * k);
    if (std::fabs(lat) > 9000000.0) return false;
    Lat = static_cast<int32>(lat);
    Lon = static_cast<int32>(lon);
    return true;
}

QByteArray GarminEncodePos(int32 Lat, int32 Lon)
{
    auto semi = [](int32 a) {
        const auto v = static_cast<int64_t>(RoundEven(static_cast<double>(a) / 18000000.0 * 2147483648.0));
        return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(v) & 0xFFFFFFFFu));
    };
    return GarminInt32ToBytes(semi(Lat)) + GarminInt32ToBytes(semi(Lon));
}

int32 GarminDecodeAlt(const QByteArray& B, int Offset)
{
    if (Offset < 0 || B.size() < Offset + 4) return 0;
    const auto u = static_cast<uint32_t>(GarminBytesToInt32(B, Offset));
    float f;
    std::memcpy(&f, &u, 4);
    if (!std::isfinite(f)) return 0;
    const double r = RoundEven(f);
    if (r > 32767 || r < -32768) return 0;
    return static_cast<int32>(r);
}

QByteArray GarminEncodeAlt(int32 Alt)
{
    const auto f = static_cast<float>(Alt);
    uint32_t u;
    std::memcpy(&u, &f, 4);
    return GarminInt32ToBytes(static_cast<int32_t>(u));
}

QByteArray GarminUnknownFloat()
{
    const float f = 1.0e25f;
    uint32_t u;
    std::memcpy(&u, &f, 4);
    return GarminInt32ToBytes(static_cast<int32_t>(u));
}

TDateTime GarminEpoch()
{
    static const TDateTime e = QDate(1899, 12, 30).daysTo(QDate(1989, 12, 31));
    return e;
}

TDateTime GarminSecondsToDateTime(uint32_t Sec)
{
    return GarminEpoch() + static_cast<double>(Sec) / 86400.0;
}

int32 GarminTimeOfDay(TDateTime T)
{
    return static_cast<int32>(RoundEven((T - std::floor(T)) * TimeUnitsPerDay));
}

uint32_t GarminDateTimeToSeconds(TDateTime T)
{
    const double s = RoundEven((T - GarminEpoch()) * 86400.0);
    if (!(s >= 0) || s >= static_cast<double>(GarminNoTime)) return GarminNoTime;
    return static_cast<uint32_t>(s);
}

bool GarminDateValid(TDateTime T)
{
    static const TDateTime lo = QDate(1899, 12, 30).daysTo(QDate(1989, 12, 30));
    static const TDateTime hi = QDate(1899, 12, 30).daysTo(QDate(2050, 12, 31));
    return T >= lo && T <= hi;
}

uint8 GarminSymbolToAttr(int Symbol)
{
    static const uint8 a = StrToWptAttr(QStringLiteral("A"));
    static const uint8 l = StrToWptAttr(QStringLiteral("L"));
    if (Symbol == 16384) return a;
    if (Symbol == 16390) return l;
    return 0;
}

uint16_t GarminAttrToSymbol(uint8 Attr)
{
    static const uint8 a = StrToWptAttr(QStringLiteral("A"));
    static const uint8 l = StrToWptAttr(QStringLiteral("L"));
    if (Attr & a) return 16384;
    if (Attr & l) return 16390;
    return 18;
}

// ---- Identification --------------------------------------------------------------------------

bool GarminParseProduct(const QByteArray& Data, TGarminProduct& P)
{
    if (Data.size() < 4) return false;
    P.ProductId = GarminBytesToInt16(Data, 0);
    P.ProductVersion = GarminBytesToInt16(Data, 2);
    const qsizetype z = Data.indexOf('\0', 4);
    P.ProductDesc = z < 0 ? QString() : QString::fromLatin1(Data.mid(4, z - 4));
    return true;
}

TGarminProtocols GarminDefaultProtocols(int Id, int Version)
{
    struct Row
    {
        int link, wpt, rteHdr, trk;
    };
    auto in = [Id](std::initializer_list<int> ids) {
        return std::find(ids.begin(), ids.end(), Id) != ids.end();
    };
    Row r{0, 0, 0, 0};
    if (in({7, 14}))
        r = {10, 100, 200, 0};
    else if (in({13, 18, 23, 24, 25, 35, 42}))
        r = {10, 100, 200, 300};
    else if (Id == 15)
        r = {10, 151, 200, 0};
    else if (in({20, 33, 34, 52, 64, 98}))
        r = {11, 150, 201, 0};
    else if (in({22, 36}))
        r = {10, 152, 200, 300};
    else if (Id == 29)
        r = {10, Version >= 400 ? 102 : 101, 201, 300};
    else if (in({31, 41, 47, 55, 56, 59, 61, 62, 74}))
        r = {10, 100, 201, 300};
    else if (Id == 39)
        r = {10, 151, 201, 300};
    else if (Id == 44)
        r = {10, 101, 201, 300};
    else if (in({45, 50, 53, 112}))
        r = {10, 152, 201, 300};
    else if (Id == 48)
        r = {10, 154, 201, 300};
    else if (in({49, 76, 88}))
        r = {10, 102, 201, 300};
    else if (Id == 71)
        r = {10, 155, 201, 300};
    else if (Id == 72)
        r = {10, 104, 201, 300};
    else if (in({73, 87, 95, 96, 97, 100, 105, 106}))
        r = {10, 103, 201, 300};
    else if (Id == 77)
        r = {10, Version >= 301 ? 103 : 100, 201, 300};
    TGarminProtocols p;
    p.LinkProt = static_cast<int16_t>(r.link);
    if (r.wpt) {
        p.WptProt = 100;
        p.WptType = static_cast<int16_t>(r.wpt);
        p.RteProt = 200;
        p.RteHdrType = static_cast<int16_t>(r.rteHdr);
        p.RteWptType = static_cast<int16_t>(r.wpt);
    }
    p.TrkProt = p.TrkPtType = static_cast<int16_t>(r.trk);
    return p;
}

TGarminProtocols GarminParseProtocolArray(const QByteArray& Data)
{
    struct Tag
    {
        char letter;
        int16_t n;
    };
    QList<Tag> tags;
    for (int k = 0; k + 3 <= Data.size(); k += 3) tags << Tag{Data[k], GarminBytesToInt16(Data, k + 1)};
    auto isD = [&](qsizetype k, int count) {
        for (int j = 1; j <= count; ++j)
            if (k + j >= tags.size() || tags[k + j].letter != 'D') return false;
        return true;
    };
    TGarminProtocols p;
    for (qsizetype k = 0; k < tags.size(); ++k) {
        if (tags[k].letter != 'A') continue;
        const int a = tags[k].n;
        if (a == 10) {
            p.LinkProt = 10;
        } else if (a == 100 && isD(k, 1)) {
            p.WptProt = 100;
            p.WptType = tags[k + 1].n;
        } else if (a == 200 && isD(k, 2)) {
            p.RteProt = 200;
            p.RteHdrType = tags[k + 1].n;
            p.RteWptType = tags[k + 2].n;
            p.RteLinkType = 0;
        } else if (a == 201 && isD(k, 3)) {
            p.RteProt = 201;
            p.RteHdrType = tags[k + 1].n;
            p.RteWptType = tags[k + 2].n;
            p.RteLinkType = tags[k + 3].n;
        } else if (a == 300 && isD(k, 1)) {
            p.TrkProt = 300;
            p.TrkHdrType = 0;
            p.TrkPtType = tags[k + 1].n;
        } else if ((a == 301 || a == 302) && isD(k, 2)) {
            p.TrkProt = static_cast<int16_t>(a);
            p.TrkHdrType = tags[k + 1].n;
            p.TrkPtType = tags[k + 2].n;
        }
    }
    return p;
}

QByteArray GarminProtocolTags(const QString& Tags)
{
    QByteArray out;
    for (const QString& t : Tags.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        out += t.at(0).toLatin1();
        out += GarminInt16ToBytes(static_cast<int16_t>(t.mid(1).toInt()));
    }
    return out;
}

// ---- Waypoints -------------------------------------------------------------------------------

bool GarminDecodeWpt(int Type, const QByteArray& D, TWptBase& W)
{
    const int need = WptMinSize(Type);
    if (need < 0 || D.size() < need) return false;
    QString name, comment;
    int32 lat = 0, lon = 0, alt = 0;
    int symbol = -1;
    bool ok = true;
    switch (Type) {
    case 100:
    case 101:
    case 102:
    case 103:
    case 104:
    case 107:
        name = Fixed(D, 0, 6);
        ok = GarminDecodePos(D, 6, lat, lon);
        comment = Fixed(D, 18, 40);
        if (Type == 101)
            symbol = U8(D, 62);
        else if (Type == 102 || Type == 104)
            symbol = U16(D, 62);
        else if (Type == 103 || Type == 107)
            symbol = U8(D, 58);
        break;
    case 105: {
        ok = GarminDecodePos(D, 0, lat, lon);
        symbol = U16(D, 8);
        int at = 10;
        name = CString(D, at);
        break;
    }
    case 108:
    case 109:
    case 110: {
        symbol = U16(D, 4);
        ok = GarminDecodePos(D, 24, lat, lon);
        alt = GarminDecodeAlt(D, 32);
        int at = Type == 108 ? 48 : Type == 109 ? 52 : 62;
        name = CString(D, at);
        comment = CString(D, at);
        break;
    }
    case 150:
        name = Fixed(D, 0, 6);
        ok = GarminDecodePos(D, 9, lat, lon);
        alt = GarminBytesToInt16(D, 17);
        comment = Fixed(D, 75, 40);
        break;
    default: // 151, 152, 154, 155
        name = Fixed(D, 0, 6);
        ok = GarminDecodePos(D, 6, lat, lon);
        comment = Fixed(D, 18, 40);
        alt = GarminBytesToInt16(D, 118);
        if (Type == 154 || Type == 155) symbol = U16(D, 124);
        break;
    }
    if (!ok) return false;
    W.Lat = lat;
    W.Lon = lon;
    W.Name = name.left(WptNameLen);
    W.Comment = comment.left(WptCommentLen);
    W.Alt = alt;
    W.Attr = symbol < 0 ? 0 : GarminSymbolToAttr(symbol);
    return true;
}

bool GarminCanEncodeWpt(int Type)
{
    return WptMinSize(Type) > 0;
}

QByteArray GarminEncodeWpt(int Type, const TWptBase& W)
{
    if (!GarminCanEncodeWpt(Type)) return QByteArray();
    QByteArray d;
    d.reserve(160);
    const auto put = [&d](int Count, char Value) { d.append(Count, Value); };
    const auto symbol = [&] { d += U16Bytes(GarminAttrToSymbol(W.Attr)); };
    const auto unknown = [&] { d += GarminUnknownFloat(); };
    const auto pos = [&] { d += GarminEncodePos(W.Lat, W.Lon); };
    const auto name6 = [&] { d += Padded(GpsName(W.Name.left(6)), 6); };
    const auto comment40 = [&] { d += Padded(GpsName(W.Comment.left(40)), 40); };
    const auto d100 = [&] {
        name6();
        pos();
        put(4, 0);
        comment40();
    };
    // The tail of D108..D110: name, comment (50 at most) and four empty texts, case kept.
    const auto tail = [&] {
        d += Latin1(W.Name.left(WptNameLen));
        put(1, 0);
        d += Latin1(W.Comment.left(50));
        put(5, 0);
    };
    const auto d108 = [&](const char* Head) {
        d.append(Head, 4);
        symbol();
        put(6, 0);
        put(12, '\xFF');
        pos();
        d += GarminEncodeAlt(W.Alt);
        unknown();
        unknown();
        put(4, ' ');
    };
    switch (Type) {
    case 100:
        d100();
        break;
    case 101:
        d100(), unknown(), put(1, 18);
        break;
    case 102:
        d100(), unknown(), symbol();
        break;
    case 103:
        d100(), put(2, 0);
        break;
    case 104:
        d100(), unknown(), symbol(), put(1, 0);
        break;
    case 107:
        d100(), put(2, 0), unknown(), put(1, 0);
        break;
    case 105:
        pos();
        symbol();
        d += Latin1(GpsName(W.Name.left(WptNameLen)));
        put(1, 0);
        break;
    case 108:
        d108("\x00\xFF\x00\x60"), tail();
        break;
    case 109:
        d108("\x01\x00\x1F\x70"), put(4, '\xFF'), tail();
        break;
    case 110:
        d108("\x01\x00\x1F\x80");
        put(4, '\xFF');
        unknown();
        put(4, '\xFF');
        put(2, 0);
        tail();
        break;
    case 150:
        name6();
        put(2, ' ');
        put(1, 4);
        pos();
        d += GarminInt16ToBytes(ClampAlt16(W.Alt));
        put(56, ' ');
        comment40();
        break;
    default: // 151, 152, 154, 155
        d100();
        put(4, 0);
        put(56, ' ');
        d += GarminInt16ToBytes(ClampAlt16(W.Alt));
        put(2, ' ');
        put(1, 0);
        put(1, Type == 151 ? 2 : 4);
        if (Type >= 154) symbol();
        if (Type == 155) put(1, 0);
        break;
    }
    return d;
}

// ---- Tracks ----------------------------------------------------------------------------------

bool GarminDecodeTrkPt(int Type, const QByteArray& D, TGarminTrkPt& P)
{
    const int need = Type == 300 ? 13 : Type == 301 ? 21 : Type == 302 ? 25 : -1;
    if (need < 0 || D.size() < need) return false;
    if (!GarminDecodePos(D, 0, P.Lat, P.Lon)) return false;
    P.Time = static_cast<uint32_t>(GarminBytesToInt32(D, 8));
    P.Alt = Type == 300 ? 0 : GarminDecodeAlt(D, 12);
    P.NewTrack = U8(D, need - 1) != 0;
    return true;
}

bool GarminCanEncodeTrkPt(int Type)
{
    return Type >= 300 && Type <= 302;
}

QByteArray GarminEncodeTrkPt(int Type, const TGarminTrkPt& P)
{
    QByteArray d = GarminEncodePos(P.Lat, P.Lon) + GarminInt32ToBytes(static_cast<int32_t>(P.Time));
    if (Type == 301 || Type == 302) d += GarminEncodeAlt(P.Alt) + GarminUnknownFloat();
    if (Type == 302) d += GarminUnknownFloat();
    if (Type >= 300 && Type <= 302) d += Byte(P.NewTrack ? 1 : 0);
    return d;
}

QByteArray GarminEncodeTrkHdr(const QString& Name)
{
    return Byte(1) + Byte(255) + Latin1(Name.left(50)) + Byte(0);
}

// ---- Routes ----------------------------------------------------------------------------------

bool GarminCanEncodeRteHdr(int Type)
{
    return Type >= 200 && Type <= 202;
}

bool GarminEncodeRteHdr(int Type, const QString& Name, QByteArray& Data)
{
    if (Type == 202) {
        Data = Latin1(Name) + Byte(0);
        return true;
    }
    if (Type != 200 && Type != 201) return false;
    bool ok = false;
    const int n = Name.trimmed().toInt(&ok);
    if (!ok) return false;
    Data = Byte(n & 0xFF);
    if (Type == 201) Data += QByteArray(20, ' ');
    return true;
}

QString GarminDecodeRteHdr(int Type, const QByteArray& Data)
{
    if (Type == 202) {
        int at = 0;
        return CString(Data, at);
    }
    return QString::number(U8(Data, 0));
}

QByteArray GarminEncodeRteLink()
{
    return U16Bytes(3) + QByteArray(6, 0) + QByteArray(12, '\xFF') + Byte(0);
}
