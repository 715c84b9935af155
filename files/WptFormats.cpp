#include "files/WptFormats.h"
#include "files/FormatText.h"
#include "files/LibXmlParser.h"
#include "model/Texts.h"
#include "platform/Numbers.h"
#include "platform/Text1252.h"
#include <QFileInfo>
#include <cmath>

using namespace FormatText;

namespace {

constexpr uint8 AttrT = 1, AttrA = 2, AttrL = 4;
constexpr double MaxAltitude = 100000; // m

QString NoWptText(const QString& FileName)
{
    const QString name = QFileInfo(FileName).fileName();
    return Tr(QStringLiteral("Aucun way-point valide dans le fichier %1.").arg(name),
              QStringLiteral("No valid waypoint in file %1.").arg(name));
}

QString UnknownTypeText()
{
    return Tr(QStringLiteral("Type de fichier inconnu."), QStringLiteral("Unknown file type."));
}

// Collects the waypoints of one file.
class TSwpBuilder
{
public:
    explicit TSwpBuilder(TReadReport& R) : fR(R), fSet(std::make_unique<TSwp>()) {}

    void Add(int32 Lat, int32 Lon, int32 Alt, const QString& Name, const QString& Comment, uint8 Attr)
    {
        if (Lat < -9000000 || Lat > 9000000 || Lon < -18000000 || Lon > 18000000 || fFull) {
            ++fR.Rejected;
            return;
        }
        fWpt->Lat = Lat;
        fWpt->Lon = Lon;
        fWpt->Alt = Alt;
        fWpt->Name = NoControls(Name).trimmed().left(WptNameLen).trimmed();
        fWpt->Comment = NoControls(Comment).trimmed().left(WptCommentLen).trimmed();
        fWpt->Attr = Attr & 0x7F;
        fWpt->Rep = false;
        if (!fSet->AddWpt(fWpt)) {
            fFull = true;
            ++fR.Rejected;
        }
    }

    std::unique_ptr<TSwp> Take(const QString& FileName)
    {
        if (fSet->Count == 0) {
            if (fR.Error.isEmpty()) fR.Error = NoWptText(FileName);
            return nullptr;
        }
        fSet->FileName = FileName;
        fSet->Modified = false;
        fSet->Cursor = fSet->First;
        return std::move(fSet);
    }

private:
    TReadReport& fR;
    std::unique_ptr<TSwp> fSet;
    std::unique_ptr<TWpt> fWpt = std::make_unique<TWpt>();
    bool fFull = false;
};

// "D:M[:S]" with decimals allowed in the last part, then the hemisphere letter (Pos or Neg),
// blanks allowed before it. DegLimit 90 or 180.
bool ParseColonAngle(QStringView S, QChar Pos, QChar Neg, double DegLimit, int32& V)
{
    S = S.trimmed();
    if (S.size() < 2) return false;
    const QChar h = S.back().toUpper();
    if (h != Pos && h != Neg) return false;
    const QList<QStringView> parts = S.chopped(1).trimmed().split(u':');
    if (parts.size() < 1 || parts.size() > 3) return false;
    double v[3] = {0, 0, 0};
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QStringView p = parts[i];
        if (p.isEmpty() || p.startsWith(u'+') || p.startsWith(u'-') || !ToDouble(p, v[i])) return false;
        if (i + 1 < parts.size() && p.contains(u'.')) return false; // decimals only in the last part
    }
    if (v[1] >= 60 || v[2] >= 60) return false;
    const double d = v[0] + v[1] / 60 + v[2] / 3600;
    return DegToInt(h == Neg ? -d : d, DegLimit, V);
}

// Fixed digits "DDMMSS" or "DDDMMSS" then the hemisphere letter.
bool ParseDmsDigits(QStringView S, int DegDigits, QChar Pos, QChar Neg, double DegLimit, int32& V)
{
    if (S.size() != DegDigits + 5) return false;
    int n[3] = {0, 0, 0};
    const int len[3] = {DegDigits, 2, 2};
    qsizetype i = 0;
    for (int k = 0; k < 3; ++k) {
        for (int j = 0; j < len[k]; ++j, ++i) {
            const char16_t c = S[i].unicode();
            if (c < u'0' || c > u'9') return false;
            n[k] = n[k] * 10 + (c - u'0');
        }
    }
    const QChar h = S[i].toUpper();
    if ((h != Pos && h != Neg) || n[1] >= 60 || n[2] >= 60) return false;
    const double d = n[0] + n[1] / 60.0 + n[2] / 3600.0;
    return DegToInt(h == Neg ? -d : d, DegLimit, V);
}

// "DDMM.mmmN" / "DDDMM.mmmE" (SeeYou).
bool ParseDdmm(QStringView S, int DegDigits, QChar Pos, QChar Neg, double DegLimit, int32& V)
{
    S = S.trimmed();
    if (S.size() < DegDigits + 3) return false;
    const QChar h = S.back().toUpper();
    if (h != Pos && h != Neg) return false;
    int deg = 0;
    for (int k = 0; k < DegDigits; ++k) {
        const char16_t c = S[k].unicode();
        if (c < u'0' || c > u'9') return false;
        deg = deg * 10 + (c - u'0');
    }
    const QStringView m = S.mid(DegDigits).chopped(1);
    double min = 0;
    if (m.isEmpty() || m[0] < u'0' || m[0] > u'9' || !ToDouble(m, min) || min >= 60) return false;
    const double d = deg + min / 60;
    return DegToInt(h == Neg ? -d : d, DegLimit, V);
}

// Altitude with an optional unit: "189M", "189m", "620F", "620ft", "189" (metres).
bool ParseAltUnit(QStringView S, int32& Alt)
{
    S = S.trimmed();
    double factor = 1;
    if (S.endsWith(u"ft", Qt::CaseInsensitive)) {
        factor = 0.3048;
        S.chop(2);
    } else if (S.endsWith(u'F', Qt::CaseInsensitive)) {
        factor = 0.3048;
        S.chop(1);
    } else if (S.endsWith(u'M', Qt::CaseInsensitive)) {
        S.chop(1);
    }
    double a = 0;
    if (!ToDouble(S, a)) return false;
    a *= factor;
    if (std::fabs(a) > MaxAltitude) return false;
    Alt = Round(a);
    return true;
}

// Angle in 1e-5 degree as degrees, minutes and thousandths of minute: "DD:MM.mmmN".
QString ColonDdmm(int32 V, int DegDigits, QChar Pos, QChar Neg)
{
    const int64_t a = V < 0 ? -int64_t(V) : int64_t(V);
    // thousandths of a minute: a * 60 * 1000 / 100000 = a * 0.6
    int64_t th = Round64(double(a) * 0.6);
    const bool neg = V < 0 && th > 0; // what rounds to zero is written north or east
    const int64_t deg = th / 60000;
    th %= 60000;
    return QStringLiteral("%1:%2.%3%4")
        .arg(deg, DegDigits, 10, QLatin1Char('0'))
        .arg(th / 1000, 2, 10, QLatin1Char('0'))
        .arg(th % 1000, 3, 10, QLatin1Char('0'))
        .arg(neg ? Neg : Pos);
}

// Angle as "DDMMSSN" / "DDDMMSSE", rounded to whole seconds.
QString DmsDigits(int32 V, int DegDigits, QChar Pos, QChar Neg)
{
    const int64_t a = V < 0 ? -int64_t(V) : int64_t(V);
    int64_t s = Round64(double(a) * 0.036); // seconds
    const bool neg = V < 0 && s > 0;        // what rounds to zero is written north or east
    const int64_t deg = s / 3600;
    s %= 3600;
    return QStringLiteral("%1%2%3%4")
        .arg(deg, DegDigits, 10, QLatin1Char('0'))
        .arg(s / 60, 2, 10, QLatin1Char('0'))
        .arg(s % 60, 2, 10, QLatin1Char('0'))
        .arg(neg ? Neg : Pos);
}

// The first N characters as they will be written (one Windows-1252 byte each, so that the
// columns hold), blanks of any kind at their ends removed as the readers remove them, then
// padded with blanks to N.
QString PadRight(const QString& S, int N)
{
    return FromWin1252(ToWin1252(S)).left(N).trimmed().leftJustified(N, u' ');
}

// ---- Readers ---------------------------------------------------------------------------------

void ReadCambridge(const QString& Text, TSwpBuilder& B, TReadReport& R)
{
    for (QStringView line : Lines(Text)) {
        if (line.trimmed().isEmpty() || line.startsWith(u'*')) continue;
        const QList<QStringView> f = line.split(u',');
        int32 lat = 0, lon = 0, alt = 0;
        if (f.size() < 6 || !ParseColonAngle(f[1], u'N', u'S', 90, lat) ||
            !ParseColonAngle(f[2], u'E', u'W', 180, lon) || !ParseAltUnit(f[3], alt)) {
            ++R.Rejected;
            continue;
        }
        // The comment is the rest of the line, commas included.
        QString comment;
        if (f.size() > 6) {
            const qsizetype at = f[6].data() - line.data();
            comment = line.mid(at).toString();
        }
        B.Add(lat, lon, alt, f[5].toString(), comment, StrToWptAttr(f[4].toString()));
    }
}

void ReadZander(const QString& Text, TSwpBuilder& B, TReadReport& R)
{
    // No comment lines: a name may start with any character.
    for (QStringView line : Lines(Text)) {
        if (line.trimmed().isEmpty()) continue;
        int32 lat = 0, lon = 0, alt = 0;
        if (line.size() < 29 || !ParseDmsDigits(line.mid(13, 7), 2, u'N', u'S', 90, lat) ||
            !ParseDmsDigits(line.mid(21, 8), 3, u'E', u'W', 180, lon)) {
            ++R.Rejected;
            continue;
        }
        if (line.size() > 30) {
            const QStringView a = line.mid(30, 4).trimmed();
            if (!a.isEmpty() && !ParseAltUnit(a, alt)) {
                ++R.Rejected;
                continue;
            }
        }
        const QString comment = line.size() > 35 ? line.mid(35, 9).toString() : QString();
        uint8 attr = AttrT;
        if (line.size() > 46) {
            const QChar k = line[46].toUpper();
            if (k == u'A')
                attr |= AttrA;
            else if (k == u'L')
                attr |= AttrL;
        }
        B.Add(lat, lon, alt, line.left(12).toString(), comment, attr);
    }
}

// Decimal number with "." or, as spreadsheets write it in French, ",".
bool ToDoubleAnyMark(QStringView S, double& V)
{
    if (!S.contains(u',')) return ToDouble(S, V);
    QString t = S.toString();
    t.replace(u',', u'.');
    return ToDouble(t, V);
}

void ReadTabText(const QString& Text, TSwpBuilder& B, TReadReport& R)
{
    bool first = true;
    for (QStringView line : Lines(Text)) {
        const bool isFirst = first;
        first = false;
        if (line.trimmed().isEmpty()) continue;
        const QList<QStringView> f = line.split(u'\t');
        double la = 0, lo = 0, a = 0;
        int32 lat = 0, lon = 0, alt = 0;
        if (f.size() < 3 || !ToDoubleAnyMark(f[1], la)) {
            if (!isFirst) ++R.Rejected; // the first line may be the title line
            continue;
        }
        if (!ToDoubleAnyMark(f[2], lo) || !DegToInt(la, 90, lat) || !DegToInt(lo, 180, lon) ||
            (f.size() > 3 && !f[3].trimmed().isEmpty() &&
             (!ToDoubleAnyMark(f[3], a) || std::fabs(a) > MaxAltitude))) {
            ++R.Rejected;
            continue;
        }
        alt = Round(a);
        const uint8 attr = f.size() > 4 ? StrToWptAttr(f[4].toString()) : 0;
        // The comment is the rest of the line (a tab in it was a blank).
        QString comment;
        if (f.size() > 5) {
            const qsizetype at = f[5].data() - line.data();
            comment = line.mid(at).toString();
        }
        B.Add(lat, lon, alt, f[0].toString(), comment, attr);
    }
}

// Fields of one comma-separated line with double-quoted texts ("" inside quotes is a quote).
QStringList CsvFields(QStringView Line)
{
    QStringList out;
    QString cur;
    bool quoted = false;
    for (qsizetype i = 0; i < Line.size(); ++i) {
        const QChar c = Line[i];
        if (quoted) {
            if (c == u'"') {
                if (i + 1 < Line.size() && Line[i + 1] == u'"') {
                    cur += u'"';
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                cur += c;
            }
        } else if (c == u'"') {
            quoted = true;
        } else if (c == u',') {
            out.append(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    out.append(cur);
    return out;
}

void ReadSeeYou(const QString& Text, TSwpBuilder& B, TReadReport& R)
{
    bool first = true;
    for (QStringView line : Lines(Text)) {
        const bool isFirst = first;
        first = false;
        if (line.trimmed().isEmpty() || line.startsWith(u'*')) continue;
        if (line.trimmed().startsWith(u"-----Related Tasks")) break;
        const QStringList f = CsvFields(line);
        int32 lat = 0, lon = 0, alt = 0;
        if (f.size() < 6 || !ParseDdmm(f[3], 2, u'N', u'S', 90, lat) ||
            !ParseDdmm(f[4], 3, u'E', u'W', 180, lon) ||
            (!f[5].trimmed().isEmpty() && !ParseAltUnit(f[5], alt))) {
            if (!isFirst) ++R.Rejected; // the first line is the title line
            continue;
        }
        int32 style = 0;
        uint8 attr = 0;
        if (f.size() > 6 && ToInt(f[6], style)) {
            if (style == 2 || style == 4 || style == 5)
                attr = AttrA | AttrL;
            else if (style == 3)
                attr = AttrL;
        }
        B.Add(lat, lon, alt, f[0], f.size() > 10 ? f[10] : QString(), attr);
    }
}

void ReadGpxWpt(const QByteArray& Data, TSwpBuilder& B, TReadReport& R)
{
    TXmlParser P;
    P.Normalize = true;
    P.LoadFromBuffer(Data);
    bool inWpt = false, posOk = false, altOk = true, airport = false;
    int depth = 0;
    int32 lat = 0, lon = 0, alt = 0;
    QString name, cmt, desc;
    auto addWpt = [&]() {
        if (!posOk || !altOk) {
            ++R.Rejected;
            return;
        }
        B.Add(lat, lon, alt, name, cmt.isEmpty() ? desc : cmt, airport ? AttrA : 0);
    };
    while (P.Scan()) {
        const TPartType t = P.CurPartType;
        if (t == ptStartTag || t == ptEmptyTag) {
            if (inWpt) {
                if (t == ptStartTag) ++depth;
                continue;
            }
            if (P.CurLocalName() == u"wpt") {
                double la = 0, lo = 0;
                posOk = ToDouble(P.CurAttr.LocalValue(QStringLiteral("lat")), la) &&
                        ToDouble(P.CurAttr.LocalValue(QStringLiteral("lon")), lo) && DegToInt(la, 90, lat) &&
                        DegToInt(lo, 180, lon);
                altOk = true;
                airport = false;
                alt = 0;
                name.clear();
                cmt.clear();
                desc.clear();
                if (t == ptEmptyTag)
                    addWpt();
                else {
                    inWpt = true;
                    depth = 0;
                }
            }
        } else if (t == ptEndTag && inWpt) {
            const QString ln = P.CurLocalName();
            if (depth == 0) {
                if (ln == u"wpt") {
                    inWpt = false;
                    addWpt();
                }
                continue;
            }
            if (depth == 1) {
                if (ln == u"name")
                    name = P.CurContent;
                else if (ln == u"cmt")
                    cmt = P.CurContent;
                else if (ln == u"desc")
                    desc = P.CurContent;
                else if (ln == u"ele") {
                    double a = 0;
                    altOk = ToDouble(P.CurContent, a) && std::fabs(a) <= MaxAltitude;
                    alt = altOk ? Round(a) : 0;
                } else if (ln == u"sym" || ln == u"type") {
                    if (P.CurContent.contains(u"airport", Qt::CaseInsensitive) ||
                        P.CurContent.contains(u"airfield", Qt::CaseInsensitive))
                        airport = true;
                }
            }
            --depth;
        }
    }
    if (P.HasError()) ++R.Rejected;
}

} // namespace

// ---- Dispatch --------------------------------------------------------------------------------

std::unique_ptr<TSwp> ReadWptFile(const QString& FileName, TReadReport& R)
{
    const QString ext = UpperExt(FileName);
    if (ext != u"DAT" && ext != u"WPZ" && ext != u"WPT" && ext != u"CUP" && ext != u"GPX") {
        R.Error = UnknownTypeText();
        return nullptr;
    }
    QByteArray Data;
    QString err;
    if (!ReadWholeFile(FileName, Data, err)) {
        R.Error = err;
        return nullptr;
    }
    return ReadWptData(Data, ext, FileName, R);
}

std::unique_ptr<TSwp> ReadWptData(const QByteArray& Data, const QString& Ext, const QString& FileName,
                                  TReadReport& R)
{
    TSwpBuilder B(R);
    if (Ext == u"GPX") {
        ReadGpxWpt(Data, B, R);
    } else {
        const QString Text = Decode(Data);
        if (Ext == u"DAT")
            ReadCambridge(Text, B, R);
        else if (Ext == u"WPZ")
            ReadZander(Text, B, R);
        else if (Ext == u"WPT")
            ReadTabText(Text, B, R);
        else if (Ext == u"CUP")
            ReadSeeYou(Text, B, R);
        else {
            R.Error = UnknownTypeText();
            return nullptr;
        }
    }
    return B.Take(FileName);
}

// ---- Writers ---------------------------------------------------------------------------------

// The writers join their fields by concatenation: a "%1" in a name must stay text.

QByteArray WriteDatSwp(const TSwp& S)
{
    QString out;
    int n = 0;
    for (const TWpt* W = S.First; W; W = W->Next) {
        QString name = NoControls(W->Name).left(WptNameLen);
        name = name.replace(u',', u' ').trimmed();
        out += QString::number(++n) + u',' + ColonDdmm(W->Lat, 2, u'N', u'S') + u',' +
               ColonDdmm(W->Lon, 3, u'E', u'W') + u',' + QString::number(W->Alt) + QStringLiteral("M,") +
               WptAttrToStr(W->Attr) + u',' + name + u',' + NoControls(W->Comment).left(WptCommentLen) +
               QStringLiteral("\r\n");
    }
    return ToWin1252(out);
}

QByteArray WriteWpzSwp(const TSwp& S)
{
    QString out;
    int n = 0;
    for (const TWpt* W = S.First; W; W = W->Next) {
        const int32 alt = std::clamp<int32>(W->Alt, -999, 9999);
        const QChar kind = (W->Attr & AttrA) ? u'A' : (W->Attr & AttrL) ? u'L' : u'P';
        out += PadRight(NoControls(W->Name), 12) + u' ' + DmsDigits(W->Lat, 2, u'N', u'S') + u' ' +
               DmsDigits(W->Lon, 3, u'E', u'W') + u' ' +
               (alt < 0 ? u'-' + QString::number(-alt).rightJustified(3, u'0')
                        : QString::number(alt).rightJustified(4, u'0')) +
               u' ' + PadRight(NoControls(W->Comment), 9) + QStringLiteral(" W") + kind + u' ' +
               QString::number(++n % 10000).rightJustified(4, u'0') + QStringLiteral("\r\n");
    }
    return ToWin1252(out);
}

QByteArray WriteWptSwp(const TSwp& S)
{
    QString out = QStringLiteral("Nom\tLatitude\tLongitude\tAltitude\tAttributs\tCommentaire\r\n");
    for (const TWpt* W = S.First; W; W = W->Next)
        out += NoControls(W->Name).left(WptNameLen) + u'\t' + IntDegToText(W->Lat, 1, false) + u'\t' +
               IntDegToText(W->Lon, 1, false) + u'\t' + QString::number(W->Alt) + u'\t' +
               WptAttrToStr(W->Attr) + u'\t' + NoControls(W->Comment).left(WptCommentLen) +
               QStringLiteral("\r\n");
    return ToWin1252(out);
}
