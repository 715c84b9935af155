#include "devices/MlrLink.h"

#include "devices/GpsNames.h"
#include "devices/NmeaSum.h"
#include "model/Calc.h"
#include "model/Texts.h"
#include "platform/Numbers.h"
#include "platform/Text1252.h"

#include <cmath>
#include <cstring>

namespace {

QString Latin(QByteArrayView B)
{
    return FromWin1252(B.toByteArray());
}

// Field at 1-based column From, Len characters.
QByteArrayView Col(QByteArrayView Line, int From, int Len)
{
    if (Line.size() < From - 1 + Len) return {};
    return Line.sliced(From - 1, Len);
}

bool Digits(QByteArrayView B)
{
    if (B.isEmpty()) return false;
    for (char c : B)
        if (c < '0' || c > '9') return false;
    return true;
}

bool IntField(QByteArrayView B, int& V)
{
    if (!Digits(B)) return false;
    V = 0;
    for (char c : B) V = V * 10 + (c - '0');
    return true;
}

// Minutes "mm.mmm".
bool MinutesField(QByteArrayView B, double& V)
{
    if (B.size() != 6 || B[2] != '.' || !Digits(B.first(2)) || !Digits(B.last(3))) return false;
    int a = 0, b = 0;
    IntField(B.first(2), a);
    IntField(B.last(3), b);
    V = a + b / 1000.0;
    return true;
}

// Latitude from columns 8-17, longitude from 19-29; an error counted for each field that does
// not convert.
void DecodePosition(QByteArrayView Line, int32& Lat, int32& Lon, int& Errors)
{
    int deg = 0;
    double min = 0;
    const bool latOk = IntField(Col(Line, 8, 2), deg) && MinutesField(Col(Line, 10, 6), min);
    if (latOk) {
        Lat = Round((deg + min / 60.0) * 100000.0);
        if (Col(Line, 17, 1) == "S") Lat = -Lat;
    } else {
        ++Errors;
    }
    const bool lonOk = IntField(Col(Line, 19, 3), deg) && MinutesField(Col(Line, 22, 6), min);
    if (lonOk) {
        Lon = Round((deg + min / 60.0) * 100000.0);
        if (Col(Line, 29, 1) == "W") Lon = -Lon;
    } else {
        ++Errors;
    }
}

uint32_t Be32(const uint8_t* P)
{
    return (uint32_t(P[0]) << 24) | (uint32_t(P[1]) << 16) | (uint32_t(P[2]) << 8) | P[3];
}

char KindByte(char Kind)
{
    return Kind == 'T' ? 0x01 : 0x02;
}

// What every block starts with: the mark, its number and its kind.
QByteArray BlockHead(char Kind, int BlockNo)
{
    return QByteArray(1, char(0x8B)) + char(BlockNo) + Kind + KindByte(Kind);
}

} // namespace

std::pair<uint8_t, uint8_t> MlrSum16(QByteArrayView Text)
{
    uint32_t s = 0;
    for (char c : Text) s += static_cast<uint8_t>(c);
    return {static_cast<uint8_t>((s >> 8) & 0xFF), static_cast<uint8_t>(s & 0xFF)};
}

QByteArray MlrCommand(QByteArrayView Fields)
{
    const QByteArray head = "$PMLR," + Fields.toByteArray() + ",";
    const auto [hi, lo] = MlrSum16(head);
    return head + QByteArray::number(hi * 256 + lo, 16).toUpper().rightJustified(4, '0') + "\r\n";
}

bool MlrNmeaChecksumOk(QByteArrayView Sentence)
{
    return NmeaChecksumOk(Sentence);
}

QString TMlrIdent::PilotName() const
{
    return Pilot.startsWith(QStringLiteral("---------")) ? QString() : Pilot;
}

bool MlrParseIdent(QByteArrayView Line, TMlrIdent& Id)
{
    static const QByteArrayView head = "$PMLR,IDGPS,01,";
    if (!Line.startsWith(head) || !MlrNmeaChecksumOk(Line)) return false;
    QByteArrayView rest = Line.sliced(head.size());
    QString* fields[3] = {&Id.Text1, &Id.Pilot, &Id.Text2};
    for (QString* f : fields) {
        const qsizetype c = rest.indexOf(',');
        if (c < 0) {
            f->clear();
            continue;
        }
        *f = Latin(rest.first(c));
        rest = rest.sliced(c + 1);
    }
    return true;
}

int MlrFullYear(int TwoDigits)
{
    return TwoDigits >= 80 ? 1900 + TwoDigits : 2000 + TwoDigits;
}

QByteArray MlrLineName(QByteArrayView Line)
{
    return Col(Line, 31, 6).toByteArray();
}

bool MlrLineShapeOk(QByteArrayView Line)
{
    return Line.size() == MlrLineLen && Line.startsWith("$GPWPL") && Line.sliced(62) == "\r\n";
}

std::pair<QByteArray, QByteArray> MlrTrackNames(int PointNo)
{
    const QByteArray four = QByteArray::number(PointNo % 10000).rightJustified(4, '0');
    return {"TR" + four, "TRC" + four.right(3)};
}

TMlrTrackLine MlrDecodeTrackLine(QByteArrayView Line)
{
    TMlrTrackLine r;
    DecodePosition(Line, r.Lat, r.Lon, r.Errors);
    r.NewFlight = Col(Line, 38, 1) != "A";
    const std::optional<int64_t> alt = StrToIntC(Latin(Col(Line, 40, 6)));
    if (alt && *alt > -100000 && *alt < 1000000)
        r.Alt = static_cast<int32>(*alt);
    else
        ++r.Errors;
    int hh = 0, mi = 0, ss = 0, dd = 0, mo = 0, yy = 0;
    TDateTime day = 0;
    r.DateOk = IntField(Col(Line, 47, 2), hh) && IntField(Col(Line, 49, 2), mi) &&
               IntField(Col(Line, 51, 2), ss) && IntField(Col(Line, 54, 2), dd) &&
               IntField(Col(Line, 56, 2), mo) && IntField(Col(Line, 58, 2), yy) && hh < 24 && mi < 60 &&
               ss < 60 && TryEncodeDate(MlrFullYear(yy), mo, dd, day);
    if (r.DateOk) r.T = day + (hh * 3600 + mi * 60 + ss) / 86400.0;
    return r;
}

TMlrWptLine MlrDecodeWptLine(QByteArrayView Line)
{
    TMlrWptLine r;
    DecodePosition(Line, r.Lat, r.Lon, r.Errors);
    r.Name = Latin(Col(Line, 31, 6));
    r.Comment = Latin(Col(Line, 38, 22)).trimmed();
    return r;
}

QByteArray MlrRoutePrefix(int Part, const QString& RouteNo)
{
    return "$GPRTE,4," + QByteArray::number(Part) + ",C," + RouteNo.toLatin1() + ",";
}

bool MlrParseRoute(QByteArrayView Line, int Part, const QString& RouteNo, QStringList& Names)
{
    Names.clear();
    const QByteArray prefix = MlrRoutePrefix(Part, RouteNo);
    if (!Line.startsWith(prefix) || !MlrNmeaChecksumOk(Line)) return false;
    QByteArrayView body = Line.sliced(prefix.size());
    body = body.first(body.indexOf('*'));
    int taken = 0;
    for (QByteArrayView rest = body; taken < 5; ++taken) {
        const qsizetype c = rest.indexOf(',');
        const QString n = Latin(c < 0 ? rest : rest.first(c)).trimmed();
        if (!n.isEmpty()) Names << n;
        if (c < 0) break;
        rest = rest.sliced(c + 1);
    }
    return true;
}

// ---- Binary ----------------------------------------------------------------------------------

int32 MlrTurnToAngle(const uint8_t* P)
{
    double f = Be32(P) / 4294967296.0;
    if (f > 0.5) f -= 1.0;
    return Round(f * 36000000.0);
}

int32 MlrAltitude(const uint8_t* P)
{
    int32 v = (int32(P[0]) << 16) | (int32(P[1]) << 8) | P[2];
    if (v > 1000000) v -= 16777216;
    return Round(v / 10.0);
}

TDateTime MlrTime(uint32_t Seconds)
{
    static const TDateTime epoch = EncodeDate(1980, 1, 6);
    return epoch + Seconds / 86400.0;
}

TMlrTrackRecord MlrDecodeTrackRecord(const uint8_t* P)
{
    TMlrTrackRecord r;
    r.PointNo = static_cast<uint16_t>((P[0] << 8) | P[1]);
    r.T = MlrTime(Be32(P + 2));
    r.Lat = MlrTurnToAngle(P + 6);
    r.Lon = MlrTurnToAngle(P + 10);
    r.Alt = MlrAltitude(P + 14);
    r.NewFlight = P[17] == 1;
    return r;
}

TMlrWptRecord MlrDecodeWptRecord(const uint8_t* P)
{
    TMlrWptRecord r;
    QByteArray name(reinterpret_cast<const char*>(P), 6);
    name.replace(char(25), ' ');
    r.Name = FromWin1252(name);
    while (r.Name.endsWith(QLatin1Char(' '))) r.Name.chop(1);
    r.Lat = MlrTurnToAngle(P + 10);
    r.Lon = MlrTurnToAngle(P + 14);
    r.Alt = MlrAltitude(P + 18);
    return r;
}

TMlrBlockReader::TMlrBlockReader(char Kind)
{
    Reset(Kind);
}

void TMlrBlockReader::Reset(char Kind)
{
    fKind = Kind == 'W' ? 'W' : 'T';
    fRecLen = fKind == 'T' ? MlrTrackRecLen : MlrWptRecLen;
    BlockNo = 1;
    Clear();
}

void TMlrBlockReader::Clear()
{
    fBuf.clear();
    fPos = 0;
}

void TMlrBlockReader::Append(QByteArrayView Bytes)
{
    // Consumed bytes go only when they are the larger part, so each byte moves about once.
    if (fPos == fBuf.size()) {
        fBuf.resize(0);
        fPos = 0;
    } else if (fPos > 4096 && fPos * 2 > fBuf.size()) {
        fBuf.remove(0, fPos);
        fPos = 0;
    }
    fBuf.append(Bytes);
}

void TMlrBlockReader::Drop(qsizetype Count)
{
    // Only the offset moves: the records handed out stay valid until the next Append.
    fPos = std::min(fPos + Count, fBuf.size());
}

bool TMlrBlockReader::TakeStart()
{
    const QByteArrayView view = QByteArrayView(fBuf).sliced(fPos);
    for (int n = 0; n <= 1; ++n) {
        const QByteArray s = MlrStartBlock(fKind, n);
        const qsizetype at = view.indexOf(s);
        if (at >= 0) {
            Drop(at + s.size());
            BlockNo = static_cast<uint8_t>(n + 1);
            return true;
        }
    }
    return false;
}

bool TMlrBlockReader::TakeBlock(const uint8_t*& Records, int& Count)
{
    const qsizetype avail = Size();
    if (avail < 6) return false;
    const auto* p = reinterpret_cast<const uint8_t*>(fBuf.constData() + fPos);
    if (p[0] != 0x8B || p[1] != BlockNo || p[2] != uint8_t(fKind) || p[3] != uint8_t(KindByte(fKind)) ||
        p[4] != 0)
        return false;
    const int n = p[5];
    if (n == 0) return false;
    const qsizetype len = qsizetype(n) * fRecLen + 10;
    if (avail < len) return false; // a partial block: wait for the rest
    if (p[len - 2] != '\r' || p[len - 1] != '\n') return false;
    Records = p + 6;
    Count = n;
    Drop(len);
    ++BlockNo;
    return true;
}

QByteArray TMlrBlockReader::EndBlock() const
{
    return MlrEndBlock(fKind, BlockNo);
}

bool TMlrBlockReader::TakeEnd()
{
    const QByteArray e = EndBlock();
    const qsizetype at = QByteArrayView(fBuf).sliced(fPos).indexOf(e);
    if (at < 0) return false;
    Drop(at + e.size());
    return true;
}

QByteArray MlrStartBlock(char Kind, int StartNo)
{
    QByteArray s = BlockHead(Kind, StartNo);
    s += "DEBUT";
    s += char(0x02);
    s += char((Kind == 'T' ? 'T' : 'X') + StartNo);
    s += "\r\n";
    return s;
}

QByteArray MlrDataBlock(char Kind, int BlockNo, const QList<QByteArray>& Records)
{
    QByteArray b = BlockHead(Kind, BlockNo);
    b += char(0);
    b += char(Records.size());
    for (const QByteArray& r : Records) b += r;
    const auto [hi, lo] = MlrSum16(b);
    b += char(hi);
    b += char(lo);
    b += "\r\n";
    return b;
}

QByteArray MlrEndBlock(char Kind, int BlockNo)
{
    QByteArray e = BlockHead(Kind, BlockNo);
    e += "FIN";
    const auto [hi, lo] = MlrSum16(e);
    e += char(hi);
    e += char(lo);
    e += "\r\n";
    return e;
}

// ---- Uploads ---------------------------------------------------------------------------------

QString MlrWireText(const QString& Text, int Width)
{
    QString t = Text.left(Width);
    for (QChar& c : t)
        if (c == u',' || c == u'*' || c == u'$' || c == u'\r' || c == u'\n') c = u' ';
    return t.leftJustified(Width, QLatin1Char(' '));
}

QByteArray MlrWptSentence(const TWptBase& W)
{
    return "$GPWPL," + FormatCoordDdmm(W.Lat, false, 0).toLatin1() + "," +
           FormatCoordDdmm(W.Lon, true, 0).toLatin1() + "," + ToWin1252(MlrWireText(GpsName(W.Name), 6)) +
           "5" + ToWin1252(MlrWireText(W.Comment, 22)) + "\r\n";
}

QList<QByteArray> MlrRouteSentences(const QStringList& Names, const QString& RouteNo)
{
    QList<QByteArray> out;
    const qsizetype n = Names.size();
    if (n == 0) return out;
    const qsizetype total = (n - 1) / 5 + 1;
    for (qsizetype i = 0; i < n; i += 5) {
        QByteArray s = "$GPRTE," + QByteArray::number(total) + "," + QByteArray::number(i / 5 + 1) + ",C," +
                       RouteNo.toLatin1();
        for (qsizetype k = i; k < n && k < i + 5; ++k)
            s += "," + ToWin1252(MlrWireText(GpsName(Names[k]), 6));
        out << s + "\r\n";
    }
    return out;
}

QByteArray MlrZoneSentence(const TPos& P, bool SegStart)
{
    return "$GPWPL," + FormatCoordDdmm(P.Lat, false, 0).toLatin1() + "," +
           FormatCoordDdmm(P.Lon, true, 0).toLatin1() + ",      X" + (SegStart ? "D" : "B") + "\r\n";
}
