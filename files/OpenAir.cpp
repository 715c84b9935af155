#include "files/OpenAir.h"
#include "files/FormatText.h"
#include "platform/Numbers.h"
#include <QFileInfo>
#include <cmath>

using namespace FormatText;

namespace {

constexpr double NmToM = 1852.0;
constexpr double EarthRadiusM = 6371000.0;
constexpr double MaxRadiusNm = 2000; // beyond it a radius is not believed
constexpr double DegToRad = M_PI / 180.0;

// Class of a class or type text, 0 when it names none of ours.
int KnownClass(QStringView T)
{
    const QString u = T.trimmed().toString().toUpper();
    if (u.size() == 1 && u[0] >= u'A' && u[0] <= u'F') return u[0].unicode() - u'A' + 1;
    if (u == u"P" || u == u"PROHIBITED") return 7;
    if (u == u"Q" || u == u"DANGER") return 8;
    if (u == u"R" || u == u"RESTRICTED") return 9;
    return 0;
}

int DefaultClass(int DefZoneType)
{
    return DefZoneType >= 1 && DefZoneType <= 10 ? DefZoneType : 10;
}

// "DD[:MM[:SS]]" with decimals in the last part, to degrees.
bool DegParts(QStringView S, double& Deg)
{
    S = S.trimmed();
    const QList<QStringView> parts = S.split(u':');
    if (parts.isEmpty() || parts.size() > 3) return false;
    double v[3] = {0, 0, 0};
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QStringView p = parts[i].trimmed();
        if (p.isEmpty() || p[0] < u'0' || p[0] > u'9' || !ToDouble(p, v[i])) return false;
        if (i + 1 < parts.size() && p.contains(u'.')) return false;
    }
    if (v[1] >= 60 || v[2] >= 60) return false;
    Deg = v[0] + v[1] / 60 + v[2] / 3600;
    return true;
}

qsizetype FindLetter(QStringView S, char16_t A, char16_t B, qsizetype From)
{
    for (qsizetype i = From; i < S.size(); ++i) {
        const char16_t c = S[i].toUpper().unicode();
        if (c == A || c == B) return i;
    }
    return -1;
}

// "39:29.7 N 119:46.5 W" and the like; text after the longitude's letter is ignored.
bool ParseCoord(QStringView S, TPos& P)
{
    const qsizetype ns = FindLetter(S, u'N', u'S', 0);
    if (ns < 0) return false;
    const qsizetype ew = FindLetter(S, u'E', u'W', ns + 1);
    if (ew < 0) return false;
    double la = 0, lo = 0;
    if (!DegParts(S.left(ns), la) || !DegParts(S.mid(ns + 1, ew - ns - 1), lo)) return false;
    if (S[ns].toUpper() == u'S') la = -la;
    if (S[ew].toUpper() == u'W') lo = -lo;
    return DegToInt(la, 90, P.Lat) && DegToInt(lo, 180, P.Lon);
}

// Destination on the sphere from P by a true course (degrees) and a distance (m).
TPos Dest(const TPos& P, double CourseDeg, double DistM)
{
    const double f1 = P.Lat * 1e-5 * DegToRad, l1 = P.Lon * 1e-5 * DegToRad;
    const double d = DistM / EarthRadiusM, th = CourseDeg * DegToRad;
    const double f2 = std::asin(
        std::clamp(std::sin(f1) * std::cos(d) + std::cos(f1) * std::sin(d) * std::cos(th), -1.0, 1.0));
    double l2 =
        l1 + std::atan2(std::sin(th) * std::sin(d) * std::cos(f1), std::cos(d) - std::sin(f1) * std::sin(f2));
    l2 = std::remainder(l2, 2 * M_PI);
    TPos R;
    R.Lat = std::clamp(Round(f2 / DegToRad * 1e5), -9000000, 9000000);
    R.Lon = std::clamp(Round(l2 / DegToRad * 1e5), -18000000, 18000000);
    return R;
}

// Distance on the sphere in metres.
double DistM(const TPos& A, const TPos& B)
{
    const double f1 = A.Lat * 1e-5 * DegToRad, f2 = B.Lat * 1e-5 * DegToRad;
    const double df = f2 - f1, dl = (B.Lon - A.Lon) * 1e-5 * DegToRad;
    const double h = std::sin(df / 2) * std::sin(df / 2) +
                     std::cos(f1) * std::cos(f2) * std::sin(dl / 2) * std::sin(dl / 2);
    return 2 * EarthRadiusM * std::asin(std::min(1.0, std::sqrt(h)));
}

bool RadiusNm(QStringView S, double& M)
{
    double r = 0;
    if (!ToDouble(S, r) || r <= 0 || r > MaxRadiusNm) return false;
    M = r * NmToM;
    return true;
}

// Drops a comment that follows the data ("AC C   * comment").
QStringView NoComment(QStringView S)
{
    const qsizetype star = S.indexOf(u'*');
    return (star >= 0 ? S.left(star) : S).trimmed();
}

class TOpenAirReader
{
public:
    TOpenAirReader(int DefZoneType, TReadReport& R) : fDef(DefaultClass(DefZoneType)), fR(R) {}

    void Line(QStringView L)
    {
        L = L.trimmed();
        if (L.isEmpty() || L[0] == u'*') return;
        qsizetype sp = 0;
        while (sp < L.size() && !L[sp].isSpace()) ++sp;
        const QString rec = L.left(sp).toString().toUpper();
        const QStringView val = L.mid(sp).trimmed();
        if (rec == u"AC") {
            EndZone();
            fZone = std::make_unique<TMpf>();
            const int c = KnownClass(NoComment(val));
            fZone->Class = uint8(c ? c : fDef);
            fClockwise = true;
            fTerrain = false;
        } else if (rec == u"TO" || rec == u"TC") {
            EndZone();
            fTerrain = true;
        } else if (fTerrain) {
            return; // records of a terrain polygon
        } else if (rec == u"AN" || rec == u"AL" || rec == u"AH" || rec == u"AY") {
            if (!fZone) {
                ++fR.Rejected;
                return;
            }
            if (rec == u"AN")
                fZone->Name = val.toString();
            else if (rec == u"AL")
                fZone->Floor = val.toString();
            else if (rec == u"AH")
                fZone->Ceiling = val.toString();
            else if (const int c = KnownClass(NoComment(val)))
                fZone->Class = uint8(c);
        } else if (rec == u"V") {
            Variable(NoComment(val));
        } else if (rec == u"DP" || rec == u"DA" || rec == u"DB" || rec == u"DC") {
            if (!fZone) {
                ++fR.Rejected;
                return;
            }
            if (!Element(rec, NoComment(val))) ++fR.Rejected;
        } else if (rec.startsWith(u'A') || rec == u"DY" || rec == u"SP" || rec == u"SB") {
            // AT labels, AF/AG/AI/AA and the like, airways, pens and brushes: not kept.
        } else {
            ++fR.Rejected;
        }
    }

    std::unique_ptr<TSmp> Take(const QString& FileName)
    {
        EndZone();
        if (fSet->Count == 0) {
            if (fR.Error.isEmpty()) {
                const QString name = QFileInfo(FileName).fileName();
                fR.Error = Tr(QStringLiteral("Aucune zone valide dans le fichier %1.").arg(name),
                              QStringLiteral("No valid airspace in file %1.").arg(name));
            }
            return nullptr;
        }
        fSet->FileName = FileName;
        fSet->Cur = fSet->First;
        return std::move(fSet);
    }

private:
    void Variable(QStringView V)
    {
        const qsizetype eq = V.indexOf(u'=');
        if (eq < 0) {
            ++fR.Rejected;
            return;
        }
        const QString name = V.left(eq).trimmed().toString().toUpper();
        const QStringView value = V.mid(eq + 1).trimmed();
        if (name == u"D") {
            if (value.startsWith(u'-'))
                fClockwise = false;
            else if (value.startsWith(u'+'))
                fClockwise = true;
            else
                ++fR.Rejected;
        } else if (name == u"X") {
            TPos c;
            if (ParseCoord(value, c)) {
                fCentre = c;
                fHasCentre = true;
            } else {
                fHasCentre = false; // the next arcs must not use a stale centre
                ++fR.Rejected;
            }
        }
        // W (airway width) and Z (zoom level) are not used.
    }

    bool Element(const QString& Rec, QStringView V)
    {
        const double sign = fClockwise ? 1.0 : -1.0;
        if (Rec == u"DP") {
            auto D = std::make_unique<TDrd>();
            if (!ParseCoord(V, *D)) return false;
            fZone->AddDrd(std::move(D));
            return true;
        }
        if (!fHasCentre) return false;
        if (Rec == u"DC") {
            double r = 0;
            if (!RadiusNm(V, r)) return false;
            auto D = std::make_unique<TDrd2>();
            D->Lat = fCentre.Lat;
            D->Lon = fCentre.Lon;
            D->Radius = r;
            fZone->AddDrd(std::move(D));
            return true;
        }
        if (Rec == u"DA") {
            const QList<QStringView> f = V.split(u',');
            double r = 0, a1 = 0, a2 = 0;
            if (f.size() != 3 || !RadiusNm(f[0], r) || !ToDouble(f[1], a1) || !ToDouble(f[2], a2) ||
                std::fabs(a1) > 3600 || std::fabs(a2) > 3600)
                return false;
            auto D = std::make_unique<TDrd1>();
            D->StartPos = Dest(fCentre, a1, r);
            const TPos e = Dest(fCentre, a2, r);
            D->Lat = e.Lat;
            D->Lon = e.Lon;
            D->Centre = fCentre;
            D->Radius = sign * r;
            fZone->AddDrd(std::move(D));
            return true;
        }
        // DB
        const qsizetype comma = V.indexOf(u',');
        TPos a, b;
        if (comma < 0 || !ParseCoord(V.left(comma), a) || !ParseCoord(V.mid(comma + 1), b)) return false;
        const double r = DistM(fCentre, a);
        if (r < 1 || r > MaxRadiusNm * NmToM) return false;
        auto D = std::make_unique<TDrd1>();
        D->StartPos = a;
        D->Lat = b.Lat;
        D->Lon = b.Lon;
        D->Centre = fCentre;
        D->Radius = sign * r;
        fZone->AddDrd(std::move(D));
        return true;
    }

    void EndZone()
    {
        if (!fZone) return;
        if (fZone->Count == 0 || fFull) {
            ++fR.Rejected;
        } else if (!fSet->AddMpf(fZone)) {
            fFull = true;
            ++fR.Rejected;
        }
        fZone.reset();
    }

    int fDef;
    TReadReport& fR;
    std::unique_ptr<TSmp> fSet = std::make_unique<TSmp>();
    std::unique_ptr<TMpf> fZone;
    TPos fCentre;
    bool fHasCentre = false;
    bool fClockwise = true;
    bool fTerrain = false;
    bool fFull = false;
};

} // namespace

int OpenAirClass(const QString& Text, int DefZoneType)
{
    const int c = KnownClass(Text);
    return c ? c : DefaultClass(DefZoneType);
}

std::unique_ptr<TSmp> ReadOpenAirFile(const QString& FileName, int DefZoneType, TReadReport& R)
{
    QByteArray Data;
    QString err;
    if (!ReadWholeFile(FileName, Data, err)) {
        R.Error = err;
        return nullptr;
    }
    return ReadOpenAirData(Data, FileName, DefZoneType, R);
}

std::unique_ptr<TSmp> ReadOpenAirData(const QByteArray& Data, const QString& FileName, int DefZoneType,
                                      TReadReport& R)
{
    TOpenAirReader Reader(DefZoneType, R);
    const QString Text = Decode(Data);
    for (QStringView L : Lines(Text)) Reader.Line(L);
    return Reader.Take(FileName);
}
