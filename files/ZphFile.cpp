// The own record format (.ZPH).
//
// A file is a sequence of 16-byte records. Byte 0 of each record is its tag; numbers are
// little-endian two's complement; texts are Windows-1252, one byte per character, 15
// characters per record in consecutive records of one tag, the last one padded with NUL.
// Record numbers count from 0.
//
//   rec 0     tag 0    bytes 1-8 "Zephalon", byte 9 format version (1)
//   rec 1     tag 1    directory: byte 1 content (1 trace, 3 waypoint set, 5 task);
//                      bytes 3-4 record of the task header, 5-6 record of the turn-point list,
//                      9-10 record of the waypoint-set header (16-bit, 0 = none);
//                      bytes 11-14 record of the trace header (32-bit, 0 = none)
//   then, in this order, each part only when the file holds it:
//             tag 64   task header: bytes 1-2 turn-point count, 3-6 task distance in metres,
//                      14-15 task distance in km (saturated at 65535)
//             tag 160  waypoint-set header: bytes 3-4 waypoint count
//             tag 96   turn-point list: bytes 1-2 count; then for each turn point
//               tag 97   latitude 1-4, longitude 5-8, altitude 9-12, number 13-14,
//                        byte 15 attribute bits 0-6 and the mark in bit 7
//               tag 98   passage time 1-4, window start 5-8, window end 9-12
//               tag 99   reached 1-4, outer angle 5-8, sector type 9, closed zone 10
//               tag 100  inner radius 1-4, outer radius 5-8, inner angle 9-12
//               tag 102  name (at least one record, so that each name is one run)
//               tag 103  comment (only when not empty)
//               tag 104  reference waypoint: latitude 1-4, longitude 5-8, altitude 9-12,
//                        byte 13 attributes and mark as above; tag 105 its name, 106 its comment
//             tag 128  trace header: date 1-8 (IEEE double, days), local-time offset 9-12
//                      (hours), fix count 13-14
//             tag 129  trace summary: overlay time offset 1-4, duration 5-8 (1e-5 hour from the
//                      first fix to the last), path length 9-12 (metres); read by file summaries
//             tag 130..136  texts: name, note, pilot, glider type, glider id, competition id,
//                      recorder source (only those not empty)
//             tag 161  waypoint: latitude 1-4, longitude 5-8, altitude 9-12, byte 13
//                      attributes and mark; tag 162 its name, tag 163 its comment
//             tag 200  fix: latitude 1-4, longitude 5-8, time 9-12, kind 13; always followed by
//             tag 201  its pressure altitude 1-4, GPS altitude 5-8, engine noise 9-12
//   last      tag 255  end: bytes 1-4 number of records of the file
// Bytes not named are written 0 and ignored. The turn-point list ends at the first tag of 112
// or more (the trace header or a waypoint), as the file previews expect; the task and
// waypoint-set headers come first so that their 16-bit record numbers never overflow.
// Readers count and skip records that break these rules, and those whose positions lie off the
// earth, altitudes pass 1,000 km or times lie beyond a day before to 100 days after the date.
// A reference waypoint is stored with its turn point and read back as the turn point's own.
#include "files/ZphFile.h"

#include "model/Calc.h"
#include "model/ModelUi.h"
#include "platform/Numbers.h"
#include "platform/Text1252.h"

#include <QFile>
#include <QFileInfo>
#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr uint8 FormatVersion = 1;
constexpr char Magic[8] = {'Z', 'e', 'p', 'h', 'a', 'l', 'o', 'n'};
// A text longer than this (in records) is cut; no field of the model comes near it.
constexpr int MaxTextRecs = 300;

// Values a record may carry; beyond them it is damaged (and would upset the calculations).
constexpr int32 MaxLat = 9000000, MaxLon = 18000000;
constexpr int32 MaxAlt = 1000000;                // metres
constexpr int32 MinTime = -TimeUnitsPerDay;      // a day before the trace's date
constexpr int32 MaxTime = 100 * TimeUnitsPerDay; // 100 days after it
constexpr int32 MaxEnl = 65535;

bool PosOk(int32 Lat, int32 Lon)
{
    return Lat >= -MaxLat && Lat <= MaxLat && Lon >= -MaxLon && Lon <= MaxLon;
}
bool AltOk(int32 Alt)
{
    return Alt >= -MaxAlt && Alt <= MaxAlt;
}

using TRecBuf = std::array<uint8, ZphRecSize>;

// ---- Writing --------------------------------------------------------------------------------

class TZphWriter
{
public:
    int Count() const { return int(fData.size() / ZphRecSize); }
    QByteArray Take() { return std::move(fData); }

    TRecBuf& Add(uint8 Tag)
    {
        fRecs.emplace_back();
        fRecs.back().fill(0);
        fRecs.back()[0] = Tag;
        return fRecs.back();
    }
    void Flush()
    {
        for (const TRecBuf& r : fRecs) fData.append(reinterpret_cast<const char*>(r.data()), ZphRecSize);
        fRecs.clear();
    }
    int Pending() const { return Count() + int(fRecs.size()); }

    // A text as consecutive records of one tag; Always writes one (empty) record for "".
    void Text(uint8 Tag, const QString& S, bool Always)
    {
        const QByteArray b = ToWin1252(S);
        if (b.isEmpty() && !Always) return;
        for (qsizetype i = 0; i == 0 || i < b.size(); i += ZphRecSize - 1) {
            TRecBuf& r = Add(Tag);
            const qsizetype n = std::min<qsizetype>(ZphRecSize - 1, b.size() - i);
            if (n > 0) std::memcpy(r.data() + 1, b.constData() + i, size_t(n));
        }
    }

private:
    std::vector<TRecBuf> fRecs; // records not yet flushed (headers patched before flushing)
    QByteArray fData;
};

void Put32(TRecBuf& r, int at, int64_t v)
{
    qToLittleEndian<uint32_t>(uint32_t(v), r.data() + at);
}
void Put16(TRecBuf& r, int at, int v)
{
    qToLittleEndian<uint16_t>(uint16_t(v), r.data() + at);
}
void PutDouble(TRecBuf& r, int at, double v)
{
    uint64_t u;
    std::memcpy(&u, &v, sizeof u);
    qToLittleEndian<uint64_t>(u, r.data() + at);
}

uint8 AttrByte(const TWptBase& W)
{
    return uint8((W.Attr & 0x7F) | (W.Rep ? 0x80 : 0));
}

// Great-circle length of the path of a trace, km (the summary stored with the trace).
double PathLengthKm(const TTrj& T)
{
    double sum = 0;
    for (const TRec* P = T.First; P && P->Next; P = P->Next) {
        const TRec* N = P->Next;
        const double la1 = IntDegToRad(P->Lat), la2 = IntDegToRad(N->Lat);
        const double dla = la2 - la1, dlo = IntDegToRad(N->Lon) - IntDegToRad(P->Lon);
        const double a = std::sin(dla / 2) * std::sin(dla / 2) +
                         std::cos(la1) * std::cos(la2) * std::sin(dlo / 2) * std::sin(dlo / 2);
        sum += 2 * EarthRadiusKm * std::asin(std::sqrt(std::min(1.0, a)));
    }
    return sum;
}

uint32_t Saturate32(double v)
{
    if (!(v > 0)) return 0;
    return v >= 4294967295.0 ? 0xFFFFFFFFu : uint32_t(Round64(v));
}

// ---- Reading --------------------------------------------------------------------------------

int32 Get32(const uint8* r, int at)
{
    return int32(qFromLittleEndian<uint32_t>(r + at));
}
int Get16(const uint8* r, int at)
{
    return qFromLittleEndian<uint16_t>(r + at);
}
double GetDouble(const uint8* r, int at)
{
    const uint64_t u = qFromLittleEndian<uint64_t>(r + at);
    double v;
    std::memcpy(&v, &u, sizeof v);
    return v;
}

void SetAttrByte(TWptBase& W, uint8 b)
{
    W.Attr = b & 0x7F;
    W.Rep = (b & 0x80) != 0;
}

QString NotValid(const QString& FileName)
{
    return Tr(QStringLiteral("Fichier %1 non valide."), QStringLiteral("File %1 not valid.")).arg(FileName);
}

bool HeaderOk(const uint8* p, qsizetype size)
{
    return size >= 2 * ZphRecSize && p[0] == ztMagic && std::memcmp(p + 1, Magic, 8) == 0 &&
           p[ZphRecSize] == ztDirectory;
}

} // namespace

// ---- Writer -------------------------------------------------------------------------------------

double TaskDistance(const TStn& Task)
{
    double sum = 0;
    for (const TTrn* P = Task.First; P && P->Next; P = P->Next)
        sum += Distance(*Task.TrnPos(P), *Task.TrnPos(P->Next));
    return sum;
}

QByteArray WriteZph(TZphContent Content, const TTrj* T, const TStn* Task, const TSwp* Wpts)
{
    if (Content == zcTrj && !T) Content = Task ? zcStn : zcSwp;
    if (Content == zcStn && !Task) Content = zcSwp;
    if (Content == zcSwp) {
        T = nullptr;
        Task = nullptr;
    }
    if (Content == zcStn) T = nullptr;

    TZphWriter w;
    {
        TRecBuf& r = w.Add(ztMagic);
        std::memcpy(r.data() + 1, Magic, 8);
        r[9] = FormatVersion;
    }
    w.Add(ztDirectory)[1] = Content;
    int dirTask = 0, dirList = 0, dirSwp = 0;
    int64_t dirTrj = 0;

    if (Task) {
        dirTask = w.Pending();
        TRecBuf& r = w.Add(ztTaskHeader);
        Put16(r, 1, Task->Count);
        const double km = TaskDistance(*Task);
        Put32(r, 3, Saturate32(km * 1000.0));
        Put16(r, 14, int(std::min<int64_t>(65535, Round64(std::max(0.0, km)))));
    }
    if (Wpts) {
        dirSwp = w.Pending();
        Put16(w.Add(ztSwpHeader), 3, Wpts->Count);
    }
    if (Task) {
        dirList = w.Pending();
        Put16(w.Add(ztTrnList), 1, Task->Count);
        for (const TTrn* P = Task->First; P; P = P->Next) {
            TRecBuf& a = w.Add(ztTrn);
            Put32(a, 1, P->Lat);
            Put32(a, 5, P->Lon);
            Put32(a, 9, P->Alt);
            Put16(a, 13, P->Num);
            a[15] = AttrByte(*P);
            TRecBuf& b = w.Add(ztTrnTimes);
            Put32(b, 1, P->Time);
            Put32(b, 5, P->TimeMin);
            Put32(b, 9, P->TimeMax);
            TRecBuf& c = w.Add(ztTrnReached);
            Put32(c, 1, P->Reached);
            Put32(c, 5, P->Sect.Angle_Ext);
            c[9] = P->Sect.Type_Sect;
            c[10] = P->Sect.Zone_Fermee;
            TRecBuf& d = w.Add(ztTrnSect);
            Put32(d, 1, P->Sect.Rayon_Int);
            Put32(d, 5, P->Sect.Rayon_Ext);
            Put32(d, 9, P->Sect.Angle_Int);
            w.Text(ztTrnName, P->Name, true);
            w.Text(ztTrnComment, P->Comment, false);
            if (P->RefWpt) {
                TRecBuf& e = w.Add(ztTrnRef);
                Put32(e, 1, P->RefWpt->Lat);
                Put32(e, 5, P->RefWpt->Lon);
                Put32(e, 9, P->RefWpt->Alt);
                e[13] = AttrByte(*P->RefWpt);
                w.Text(ztTrnRefName, P->RefWpt->Name, false);
                w.Text(ztTrnRefComment, P->RefWpt->Comment, false);
            }
        }
    }
    if (T) {
        dirTrj = w.Pending();
        TRecBuf& h = w.Add(ztTrjHeader);
        PutDouble(h, 1, T->Date);
        Put32(h, 9, T->TimeLoc);
        Put16(h, 13, T->RecCount);
        TRecBuf& s = w.Add(ztTrjSummary);
        Put32(s, 1, T->TimeOffset);
        Put32(s, 5, T->First ? int64_t(T->Last->Time) - T->First->Time : 0);
        Put32(s, 9, Saturate32(PathLengthKm(*T) * 1000.0));
        const QString* texts[ZphTrjTextCount] = {&T->Name,     &T->Note,   &T->Pilot, &T->GliderType,
                                                 &T->GliderId, &T->CompId, &T->Source};
        for (int i = 0; i < ZphTrjTextCount; ++i) w.Text(uint8(ztTrjText + i), *texts[i], false);
    }
    if (Wpts) {
        for (const TWpt* P = Wpts->First; P; P = P->Next) {
            TRecBuf& a = w.Add(ztWpt);
            Put32(a, 1, P->Lat);
            Put32(a, 5, P->Lon);
            Put32(a, 9, P->Alt);
            a[13] = AttrByte(*P);
            w.Text(ztWptName, P->Name, false);
            w.Text(ztWptComment, P->Comment, false);
        }
    }
    // The directory is patched now that the record numbers are known; the bulk of the fixes is
    // appended straight to the output.
    w.Flush();
    QByteArray out = w.Take();
    auto* dir = reinterpret_cast<uint8*>(out.data()) + ZphRecSize;
    qToLittleEndian<uint16_t>(uint16_t(dirTask), dir + 3);
    qToLittleEndian<uint16_t>(uint16_t(dirList), dir + 5);
    qToLittleEndian<uint16_t>(uint16_t(dirSwp), dir + 9);
    qToLittleEndian<uint32_t>(uint32_t(dirTrj), dir + 11);

    if (T) {
        out.reserve(out.size() + qsizetype(T->RecCount) * 2 * ZphRecSize + ZphRecSize);
        TRecBuf a, b;
        for (const TRec* P = T->First; P; P = P->Next) {
            a.fill(0);
            b.fill(0);
            a[0] = ztFix;
            Put32(a, 1, P->Lat);
            Put32(a, 5, P->Lon);
            Put32(a, 9, P->Time);
            a[13] = P->Kind;
            b[0] = ztFixAlt;
            Put32(b, 1, P->Alt);
            Put32(b, 5, P->AltGps);
            Put32(b, 9, P->Enl);
            out.append(reinterpret_cast<const char*>(a.data()), ZphRecSize);
            out.append(reinterpret_cast<const char*>(b.data()), ZphRecSize);
        }
    }
    TRecBuf e;
    e.fill(0);
    e[0] = ztEnd;
    Put32(e, 1, out.size() / ZphRecSize + 1);
    out.append(reinterpret_cast<const char*>(e.data()), ZphRecSize);
    return out;
}

// ---- Parser -------------------------------------------------------------------------------------

namespace {

class TZphParser
{
public:
    TZphParser(const uint8* p, qsizetype n, TZphData& d) : fP(p), fN(n / ZphRecSize), fD(d) {}

    void Run()
    {
        qsizetype i = 2;
        bool ended = false;
        while (i < fN) {
            const uint8* r = Rec(i);
            const uint8 tag = r[0];
            if (ended) { // nothing may follow the end record
                ++fD.Rejected;
                ++i;
                continue;
            }
            if (fInList && tag >= ztTrnListEnd) CloseList();
            switch (tag) {
            case ztTaskHeader:
                fD.HasTask = true;
                ++i;
                break;
            case ztSwpHeader:
                fD.HasSwp = true;
                ++i;
                break;
            case ztTrnList:
                CloseList();
                fD.HasTask = true;
                fInList = true;
                ++i;
                break;
            case ztTrn:
            case ztTrnTimes:
            case ztTrnReached:
            case ztTrnSect:
            case ztTrnName:
            case ztTrnComment:
            case ztTrnRef:
            case ztTrnRefName:
            case ztTrnRefComment:
                i = TrnRecord(i);
                break;
            case ztTrjHeader:
                fD.HasTrace = true;
                fD.Date = GetDouble(r, 1);
                if (!std::isfinite(fD.Date) || std::fabs(fD.Date) > 3e6) {
                    fD.Date = 0;
                    ++fD.Rejected;
                }
                fD.TimeLoc = Get32(r, 9);
                ++i;
                break;
            case ztTrjSummary:
                fD.TimeOffset = Get32(r, 1);
                ++i;
                break;
            case ztWpt:
                i = WptRecord(i);
                break;
            case ztFix:
                if (i + 1 < fN && Rec(i + 1)[0] == ztFixAlt) {
                    AddFix(r, Rec(i + 1));
                    i += 2;
                } else {
                    ++fD.Rejected;
                    ++i;
                }
                break;
            case ztEnd:
                ended = true;
                if (Get32(r, 1) != i + 1) ++fD.Rejected;
                ++i;
                break;
            default:
                if (tag >= ztTrjText && tag < ztTrjText + ZphTrjTextCount) {
                    fD.Texts[tag - ztTrjText] = Text(i);
                    break;
                }
                ++fD.Rejected; // unknown, or a part record out of place
                ++i;
                break;
            }
        }
        CloseList();
        if (!ended) // truncated file
            ++fD.Rejected;
    }

private:
    const uint8* Rec(qsizetype i) const { return fP + i * ZphRecSize; }

    // Reads a text run starting at i and moves i past it.
    QString Text(qsizetype& i)
    {
        const uint8 tag = Rec(i)[0];
        QByteArray b;
        int n = 0;
        while (i < fN && Rec(i)[0] == tag) {
            if (n++ < MaxTextRecs) b.append(reinterpret_cast<const char*>(Rec(i) + 1), ZphRecSize - 1);
            ++i;
        }
        const qsizetype nul = b.indexOf('\0');
        if (nul >= 0) b.truncate(nul);
        return FromWin1252(b);
    }

    void CloseList()
    {
        FlushTrn();
        fInList = false;
    }

    void FlushTrn()
    {
        if (!fTrn) return;
        const TWpt* ref = fTrn->RefWpt;
        if (!PosOk(fTrn->Lat, fTrn->Lon) || !AltOk(fTrn->Alt) || fTrn->Time < MinTime ||
            fTrn->Time > MaxTime || (ref && (!PosOk(ref->Lat, ref->Lon) || !AltOk(ref->Alt))))
            ++fD.Rejected;
        else if (fD.Trns.size() < size_t(MaxListCount))
            fD.Trns.push_back(std::move(fTrn));
        else
            ++fD.Rejected;
        fTrn.reset();
    }

    qsizetype TrnRecord(qsizetype i)
    {
        const uint8* r = Rec(i);
        const uint8 tag = r[0];
        if (!fInList || (tag != ztTrn && !fTrn)) {
            ++fD.Rejected;
            if (tag == ztTrnName || tag == ztTrnComment || tag == ztTrnRefName || tag == ztTrnRefComment)
                (void)Text(i);
            else
                ++i;
            return i;
        }
        switch (tag) {
        case ztTrn:
            FlushTrn();
            fTrn = std::make_unique<TTrn>();
            fTrn->Lat = Get32(r, 1);
            fTrn->Lon = Get32(r, 5);
            fTrn->Alt = Get32(r, 9);
            fTrn->Num = uint16(Get16(r, 13));
            SetAttrByte(*fTrn, r[15]);
            return i + 1;
        case ztTrnTimes:
            fTrn->Time = Get32(r, 1);
            fTrn->TimeMin = Get32(r, 5);
            fTrn->TimeMax = Get32(r, 9);
            return i + 1;
        case ztTrnReached:
            fTrn->Reached = Get32(r, 1);
            fTrn->Sect.Angle_Ext = Get32(r, 5);
            fTrn->Sect.Type_Sect = r[9];
            fTrn->Sect.Zone_Fermee = r[10];
            return i + 1;
        case ztTrnSect:
            fTrn->Sect.Rayon_Int = Get32(r, 1);
            fTrn->Sect.Rayon_Ext = Get32(r, 5);
            fTrn->Sect.Angle_Int = Get32(r, 9);
            return i + 1;
        case ztTrnName:
            fTrn->Name = Text(i);
            return i;
        case ztTrnComment:
            fTrn->Comment = Text(i);
            return i;
        case ztTrnRef: {
            auto* W = new TWpt;
            W->Lat = Get32(r, 1);
            W->Lon = Get32(r, 5);
            W->Alt = Get32(r, 9);
            SetAttrByte(*W, r[13]);
            fTrn->SetRefWpt(W, true);
            return i + 1;
        }
        case ztTrnRefName:
        case ztTrnRefComment:
            if (!fTrn->RefWpt) {
                ++fD.Rejected;
                (void)Text(i);
                return i;
            }
            (tag == ztTrnRefName ? fTrn->RefWpt->Name : fTrn->RefWpt->Comment) = Text(i);
            return i;
        default:
            return i + 1;
        }
    }

    qsizetype WptRecord(qsizetype i)
    {
        const uint8* r = Rec(i);
        auto W = std::make_unique<TWpt>();
        W->Lat = Get32(r, 1);
        W->Lon = Get32(r, 5);
        W->Alt = Get32(r, 9);
        SetAttrByte(*W, r[13]);
        ++i;
        if (i < fN && Rec(i)[0] == ztWptName) W->Name = Text(i);
        if (i < fN && Rec(i)[0] == ztWptComment) W->Comment = Text(i);
        if (!PosOk(W->Lat, W->Lon) || !AltOk(W->Alt))
            ++fD.Rejected;
        else if (fD.Wpts.size() < size_t(MaxListCount))
            fD.Wpts.push_back(std::move(W));
        else
            ++fD.Rejected;
        return i;
    }

    void AddFix(const uint8* a, const uint8* b)
    {
        if (fD.Fixes.size() >= size_t(MaxListCount)) {
            ++fD.Rejected;
            return;
        }
        TZphFix f;
        f.Lat = Get32(a, 1);
        f.Lon = Get32(a, 5);
        f.Time = Get32(a, 9);
        f.Kind = a[13];
        f.Alt = Get32(b, 1);
        f.AltGps = Get32(b, 5);
        f.Enl = Get32(b, 9);
        if (!PosOk(f.Lat, f.Lon) || f.Time < MinTime || f.Time > MaxTime || !AltOk(f.Alt) ||
            !AltOk(f.AltGps) || f.Enl < 0 || f.Enl > MaxEnl) {
            ++fD.Rejected;
            return;
        }
        fD.Fixes.push_back(f);
    }

    const uint8* fP;
    qsizetype fN; // whole records
    TZphData& fD;
    bool fInList = false;
    std::unique_ptr<TTrn> fTrn;
};

QString FileTitle(const QString& FileName)
{
    return QFileInfo(FileName).fileName();
}

} // namespace

bool ParseZph(const QByteArray& Bytes, TZphData& Data)
{
    Data = TZphData();
    const auto* p = reinterpret_cast<const uint8*>(Bytes.constData());
    if (!HeaderOk(p, Bytes.size())) return false;
    Data.Content = p[ZphRecSize + 1];
    Data.Fixes.reserve(size_t(std::min<qsizetype>(Bytes.size() / (2 * ZphRecSize), MaxListCount)));
    TZphParser(p, Bytes.size(), Data).Run();
    if (Bytes.size() % ZphRecSize != 0) // a cut last record
        ++Data.Rejected;
    return true;
}

// ---- Into the model -----------------------------------------------------------------------------

namespace {

bool Parse(const QByteArray& Bytes, const QString& FileName, TZphData& D, TReadReport& R)
{
    if (!ParseZph(Bytes, D)) {
        R.Error = NotValid(FileName);
        return false;
    }
    R.Rejected += D.Rejected;
    return true;
}

void AddTrnsTo(TStn& Task, TZphData& D)
{
    for (auto& P : D.Trns) {
        const int32 tmin = P->TimeMin, tmax = P->TimeMax;
        TTrn* N = Task.AddTrn(*P, P->Num);
        if (!N) break;
        // The stored window is kept as it was, even an empty one.
        N->TimeMin = tmin;
        N->TimeMax = tmax;
    }
}

} // namespace

namespace {
std::unique_ptr<TSwp> MakeSwp(TZphData& D, const QString& FileName)
{
    auto S = std::make_unique<TSwp>();
    for (auto& W : D.Wpts)
        if (!S->AddWpt(W)) break;
    S->FileName = FileName;
    S->Modified = false;
    S->Cursor = S->First;
    return S;
}
} // namespace

bool LoadZphTrjData(const QByteArray& Bytes, const QString& FileName, bool WithTask, TReadReport& R,
                    std::unique_ptr<TSwp>* Wpts)
{
    TZphData D;
    if (!Parse(Bytes, FileName, D, R)) return false;
    if (!D.HasTrace) {
        R.Error = Tr(QStringLiteral("Le fichier %1 ne contient pas de trajectoire."),
                     QStringLiteral("The file %1 holds no track."))
                      .arg(FileTitle(FileName));
        return false;
    }
    TTrj* T = NewTrj();
    ++R.Traces;
    T->FileName = FileName;
    T->Date = D.Date;
    T->Name = D.Texts[0];
    T->Note = D.Texts[1];
    T->Pilot = D.Texts[2];
    T->GliderType = D.Texts[3];
    T->GliderId = D.Texts[4];
    T->CompId = D.Texts[5];
    T->Source = D.Texts[6];
    if (T->Name.isEmpty()) T->Name = QFileInfo(FileName).fileName();
    T->TimeOffset = D.TimeOffset;
    auto rec = std::make_unique<TRec>();
    int added = 0;
    for (const TZphFix& f : D.Fixes) {
        rec->Lat = f.Lat;
        rec->Lon = f.Lon;
        rec->Time = f.Time;
        rec->Alt = f.Alt;
        rec->AltGps = f.AltGps;
        rec->Enl = f.Enl;
        rec->Kind = f.Kind;
        if (!T->AddRec(rec)) {
            R.Rejected += int(D.Fixes.size()) - added;
            break;
        }
        ++added;
    }
    R.Fixes += added;
    if (WithTask) AddTrnsTo(*T->Stn, D);
    T->Stn->Cursor = T->Stn->First;
    T->Stn->Modified = false;
    if (Wpts && D.HasSwp) *Wpts = MakeSwp(D, FileName);
    TrjLoaded();
    // TrjLoaded works the local-time offset out from the date; the file's own value wins. A trace
    // without fixes was closed by TrjLoaded.
    if (Trj == T) {
        T->TimeLoc = D.TimeLoc;
        T->SaveState = 0;
        T->Modified = false;
    }
    return added > 0;
}

bool LoadZphTrj(const QString& FileName, bool WithTask, TReadReport& R, std::unique_ptr<TSwp>* Wpts)
{
    QByteArray b;
    if (!ReadWholeFile(FileName, b, R.Error)) return false;
    return LoadZphTrjData(b, FileName, WithTask, R, Wpts);
}

std::unique_ptr<TSwp> ReadZphSwpData(const QByteArray& Bytes, const QString& FileName, TReadReport& R)
{
    TZphData D;
    if (!Parse(Bytes, FileName, D, R)) return nullptr;
    if (!D.HasSwp) {
        R.Error = Tr(QStringLiteral("Le fichier %1 ne contient pas de way-points."),
                     QStringLiteral("The file %1 holds no waypoints."))
                      .arg(FileTitle(FileName));
        return nullptr;
    }
    return MakeSwp(D, FileName);
}

std::unique_ptr<TSwp> ReadZphSwp(const QString& FileName, TReadReport& R)
{
    QByteArray b;
    if (!ReadWholeFile(FileName, b, R.Error)) return nullptr;
    return ReadZphSwpData(b, FileName, R);
}

bool ReadZphStnData(const QByteArray& Bytes, const QString& FileName, TStn& Task, TReadReport& R)
{
    TZphData D;
    if (!Parse(Bytes, FileName, D, R)) return false;
    if (!D.HasTask) {
        R.Error = Tr(QStringLiteral("Le fichier %1 ne contient pas de circuit."),
                     QStringLiteral("The file %1 holds no task."))
                      .arg(FileTitle(FileName));
        return false;
    }
    Task.Clear();
    AddTrnsTo(Task, D);
    Task.Cursor = Task.First;
    Task.FileName = FileName;
    Task.Modified = false;
    return true;
}

bool ReadZphStn(const QString& FileName, TStn& Task, TReadReport& R)
{
    QByteArray b;
    if (!ReadWholeFile(FileName, b, R.Error)) return false;
    return ReadZphStnData(b, FileName, Task, R);
}

// ---- Texts and summaries ------------------------------------------------------------------------

QString ReadZphText(QIODevice& F, const QByteArray& Rec)
{
    if (Rec.size() < ZphRecSize) return QString();
    const char tag = Rec[0];
    QByteArray b = Rec.mid(1, ZphRecSize - 1);
    int n = 1;
    for (;;) {
        const QByteArray next = F.read(ZphRecSize);
        if (next.size() < ZphRecSize) break; // end of the file: nothing to give back
        if (next[0] != tag) {
            F.seek(F.pos() - ZphRecSize);
            break;
        }
        if (n++ < MaxTextRecs) b.append(next.constData() + 1, ZphRecSize - 1);
    }
    const qsizetype nul = b.indexOf('\0');
    if (nul >= 0) b.truncate(nul);
    return FromWin1252(b);
}

bool ReadZphSummary(const QString& FileName, TZphSummary& S)
{
    S = TZphSummary();
    QFile f(FileName);
    if (!f.open(QIODevice::ReadOnly)) return false;
    return ReadZphSummary(f, S);
}

bool ReadZphSummary(QIODevice& f, TZphSummary& S)
{
    S = TZphSummary();
    if (!f.seek(0)) return false;
    const qint64 recs = f.size() / ZphRecSize;
    const QByteArray head = f.read(2 * ZphRecSize);
    const auto* h = reinterpret_cast<const uint8*>(head.constData());
    if (!HeaderOk(h, head.size())) return false;
    const uint8* dir = h + ZphRecSize;
    auto readRec = [&](qint64 n, QByteArray& r) {
        if (n < 2 || n >= recs || !f.seek(n * ZphRecSize)) return false;
        r = f.read(ZphRecSize);
        return r.size() == ZphRecSize;
    };
    QByteArray r;
    if (readRec(Get16(dir, 3), r) && uint8(r[0]) == ztTaskHeader) {
        const auto* p = reinterpret_cast<const uint8*>(r.constData());
        S.HasTask = Get16(p, 1) > 1;
        S.TaskDistKm = uint32_t(Get32(p, 3)) / 1000.0;
    }
    if (!readRec(uint32_t(Get32(dir, 11)), r) || uint8(r[0]) != ztTrjHeader)
        return true; // a waypoint or task file: recognised, but no trace header
    S.HasTrace = true;
    {
        const auto* p = reinterpret_cast<const uint8*>(r.constData());
        S.Date = GetDouble(p, 1);
        if (!std::isfinite(S.Date) || std::fabs(S.Date) > 3e6) S.Date = 0;
        S.FixCount = uint16(Get16(p, 13));
    }
    // The summary and the texts follow the header.
    for (int guard = 0; guard < 1 + ZphTrjTextCount * MaxTextRecs; ++guard) {
        r = f.read(ZphRecSize);
        if (r.size() < ZphRecSize) break;
        const auto* p = reinterpret_cast<const uint8*>(r.constData());
        if (p[0] == ztTrjSummary) {
            S.Duration = Get32(p, 5);
            S.PathKm = uint32_t(Get32(p, 9)) / 1000.0;
        } else if (p[0] >= ztTrjText && p[0] < ztTrjText + ZphTrjTextCount) {
            S.Texts[p[0] - ztTrjText] = ReadZphText(f, r);
        } else {
            break;
        }
    }
    return true;
}
