#include "devices/MagellanLink.h"

#include "devices/NmeaSum.h"
#include "model/Calc.h"
#include "platform/Text1252.h"

#include <QDate>
#include <cmath>

namespace {

bool Digits(QByteArrayView T)
{
    for (char c : T)
        if (c < '0' || c > '9') return false;
    return true;
}

// A plain decimal number "d*[.d*]" with at least one digit.
bool Decimal(QByteArrayView T, double& V)
{
    if (T.isEmpty()) return false;
    int dots = 0, digits = 0;
    for (char c : T) {
        if (c == '.')
            ++dots;
        else if (c >= '0' && c <= '9')
            ++digits;
        else
            return false;
    }
    if (dots > 1 || digits == 0) return false;
    bool ok = false;
    V = T.toByteArray().toDouble(&ok);
    return ok && std::isfinite(V);
}

int Int(QByteArrayView T)
{
    int v = 0;
    for (char c : T) v = v * 10 + (c - '0');
    return v;
}

TDateTime DayOf(int Y, int M, int D)
{
    return static_cast<TDateTime>(QDate(1899, 12, 30).daysTo(QDate(Y, M, D)));
}

QByteArray Coord(int32 V, int DegDigits)
{
    const qint64 thousandths = std::llround(std::fabs(static_cast<double>(V)) * 0.6); // 1e-3 minute
    const qint64 deg = thousandths / 60000;
    const qint64 rest = thousandths % 60000;
    return QByteArray::number(deg).rightJustified(DegDigits, '0') +
           QByteArray::number(rest / 1000).rightJustified(2, '0') + '.' +
           QByteArray::number(rest % 1000).rightJustified(3, '0');
}

} // namespace

QByteArray MgnChecksum(QByteArrayView Sentence)
{
    const qsizetype dollar = Sentence.indexOf('$');
    if (dollar < 0) return QByteArrayLiteral("00");
    qsizetype star = Sentence.indexOf('*');
    if (star < 0) star = Sentence.size();
    if (star <= dollar) return QByteArrayLiteral("00");
    return NmeaXorHex(Sentence.sliced(dollar + 1, star - dollar - 1));
}

QByteArray MgnField(const QString& Text)
{
    QByteArray b = ToWin1252(Text);
    for (char& c : b)
        if (c == ',' || c == '*' || c == '$' || c == '\r' || c == '\n') c = ' ';
    return b;
}

QByteArray MgnSentence(QByteArrayView Command, const QList<QByteArray>& Fields)
{
    QByteArray s = "$PMGN" + Command.toByteArray();
    for (QByteArray f : Fields) {
        for (char& c : f)
            if (c == ',' || c == '*' || c == '$' || c == '\r' || c == '\n') c = ' ';
        s += ',' + f;
    }
    s += '*';
    s += MgnChecksum(s);
    s += "\r\n";
    return s;
}

// ---- TMgnReader ------------------------------------------------------------------------------

void TMgnReader::Append(QByteArrayView Bytes)
{
    fBuf.append(Bytes.data(), Bytes.size());
}

void TMgnReader::Clear()
{
    fBuf.clear();
    fPos = 0;
}

void TMgnReader::Compact()
{
    // Dropping the front only once it is the larger part keeps the cost linear.
    if (fPos == fBuf.size()) {
        Clear();
    } else if (fPos > 4096 && fPos * 2 > fBuf.size()) {
        fBuf.remove(0, fPos);
        fPos = 0;
    }
}

TMgnReader::TResult TMgnReader::Next(TMgnSentence& S)
{
    const qsizetype dollar = fBuf.indexOf('$', fPos);
    if (dollar < 0) {
        Clear();
        return None;
    }
    fPos = dollar;
    const qsizetype end = fBuf.indexOf("\r\n", fPos);
    if (end < 0) {
        if (Pending() > MaxPending) {
            // No sentence is that long: keep only what may begin a good one.
            const qsizetype last = fBuf.lastIndexOf('$');
            if (last > fPos)
                fPos = last;
            else
                Clear();
        }
        Compact();
        return None;
    }
    QByteArrayView line(fBuf.constData() + fPos, end - fPos);
    fPos = end + 2;
    // A sentence cut short by a lost line end is followed by a whole one: keep that one.
    const qsizetype last = line.lastIndexOf('$');
    if (last > 0) line = line.sliced(last);
    S.Raw = line.toByteArray();
    Compact();

    const qsizetype star = S.Raw.indexOf('*');
    S.Checksum = star >= 0 ? S.Raw.mid(star + 1, 2) : QByteArray();
    for (QByteArray& f : S.Fields) f.clear();
    S.Command.clear();
    if (star < 0 || S.Raw.size() < star + 3 || S.Checksum != MgnChecksum(S.Raw)) return Bad;
    S.Command = S.Raw.startsWith("$PMGN") ? S.Raw.mid(5, 3) : S.Raw.mid(1, qMin<qsizetype>(star, 6) - 1);
    if (star > 9) {
        const QByteArrayView body = QByteArrayView(S.Raw).sliced(9, star - 9);
        int n = 1;
        qsizetype from = 0;
        while (n <= 10) {
            const qsizetype comma = body.indexOf(',', from);
            S.Fields[n++] = body.sliced(from, (comma < 0 ? body.size() : comma) - from).toByteArray();
            if (comma < 0) break;
            from = comma + 1;
        }
    }
    return Good;
}

// ---- Fields ----------------------------------------------------------------------------------

bool MgnParseLatLong(QByteArrayView Text, QByteArrayView Hemisphere, int32& Value)
{
    const qsizetype dot = Text.indexOf('.');
    if (dot < 2 || Hemisphere.isEmpty()) return false;
    const char h = Hemisphere[0];
    if (h != 'E' && h != 'N' && h != 'S' && h != 'W') return false;
    const QByteArrayView degText = Text.first(dot - 2);
    double minutes = 0;
    if (!Digits(degText) || degText.size() > 3 || !Decimal(Text.sliced(dot - 2), minutes) || minutes >= 60)
        return false;
    const double deg = Int(degText) + minutes / 60.0;
    if (deg > ((h == 'N' || h == 'S') ? 90.0 : 180.0)) return false;
    const auto v = static_cast<int32>(std::llround(deg * 100000.0));
    Value = (h == 'S' || h == 'W') ? -v : v;
    return true;
}

bool MgnParseTime(QByteArrayView Text, int32& Value)
{
    if (Text.size() < 7 || Text[6] != '.' || !Digits(Text.first(4))) return false;
    double seconds = 0;
    if (!Decimal(Text.sliced(4), seconds) || seconds >= 60) return false;
    const int h = Int(Text.first(2)), m = Int(Text.sliced(2, 2));
    if (h > 23 || m > 59) return false;
    Value = static_cast<int32>(std::llround((h + m / 60.0 + seconds / 3600.0) * 100000.0));
    return true;
}

bool MgnParseAlt(QByteArrayView Text, QByteArrayView Unit, int32& Metres)
{
    QByteArrayView t = Text;
    bool negative = false;
    if (!t.isEmpty() && (t[0] == '-' || t[0] == '+')) {
        negative = t[0] == '-';
        t = t.sliced(1);
    }
    if (t.isEmpty() || t.size() > 9 || !Digits(t)) return false;
    double v = Int(t);
    if (negative) v = -v;
    if (Unit == "F") v = std::round(v * 0.3048);
    Metres = static_cast<int32>(v);
    return true;
}

bool MgnParseDate(QByteArrayView Text, TDateTime Today, TDateTime& Date)
{
    if (Text.size() < 6) {
        Date = std::floor(Today);
        return true;
    }
    if (Text.size() != 6 || !Digits(Text)) return false;
    const int yy = Int(Text.sliced(4, 2));
    const int y = yy >= 80 ? 1900 + yy : 2000 + yy;
    return TryEncodeDate(y, Int(Text.sliced(2, 2)), Int(Text.first(2)), Date);
}

bool MgnDateTime(TDateTime Date, int32 Time, TDateTime& T)
{
    static const TDateTime lo = DayOf(1989, 12, 30);
    static const TDateTime hi = DayOf(2050, 12, 31);
    T = Date + Time / 2400000.0;
    return T >= lo && T <= hi;
}

QByteArray MgnLatField(int32 Lat)
{
    return Coord(Lat, 2);
}

QByteArray MgnLonField(int32 Lon)
{
    return Coord(Lon, 3);
}

QStringList MgnRouteNames(const TMgnSentence& S)
{
    int first = 5;
    if (S.Field(6).size() != 1 && S.Field(7).size() == 1) first = 6;
    QStringList names;
    for (int n = first; n <= 9; n += 2) {
        if (S.Field(n).isEmpty()) break;
        names << FromWin1252(S.Field(n)).left(WptNameLen);
    }
    return names;
}

bool MgnParsePosition(const TMgnSentence& S, TPos& P)
{
    // A latitude marked "E" or "W" (or the reverse) is a damaged field, not a position.
    const bool latOk = (S.Field(2).startsWith('N') || S.Field(2).startsWith('S')) &&
                       MgnParseLatLong(S.Field(1), S.Field(2), P.Lat);
    const bool lonOk = (S.Field(4).startsWith('E') || S.Field(4).startsWith('W')) &&
                       MgnParseLatLong(S.Field(3), S.Field(4), P.Lon);
    return latOk && lonOk;
}

bool MgnParseWpl(const TMgnSentence& S, TWptBase& W)
{
    W = TWptBase();
    bool good = MgnParsePosition(S, W);
    good = MgnParseAlt(S.Field(5), S.Field(6), W.Alt) && good;
    W.Name = FromWin1252(S.Field(7)).left(WptNameLen);
    W.Comment = FromWin1252(S.Field(8)).left(WptCommentLen);
    W.Rep = true;
    W.Attr = 0;
    return good;
}
