// IGC files: reader, writer and the quick summary of the file previews.
//
// Records read: A (recorder, when no "FR type" header names it), H (date, pilot, glider type
// and id, competition id, recorder type; any source letter: HF, HO, HP, HS), I (position of
// the engine noise ENL in the B records), B (fixes), C (declared task). Other records are
// skipped. Times are UTC; a fix 23 to 24 hours before the previous one was taken after midnight
// (the trace's 24-hour rule moves it to the next day).
#include "files/IgcFile.h"
#include "files/FormatText.h"

#include "model/Calc.h"
#include "platform/Numbers.h"
#include "platform/Text1252.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {


struct TLine
{
    const char* p;
    qsizetype n;
    char operator[](qsizetype i) const { return i < n ? p[i] : '\0'; }
};

// Unsigned decimal of n digits at p; -1 when a character is not a digit.
inline int Digits(const char* p, int n)
{
    int v = 0;
    for (int i = 0; i < n; ++i) {
        const unsigned d = unsigned(p[i] - '0');
        if (d > 9) return -1;
        v = v * 10 + int(d);
    }
    return v;
}

// Signed altitude of 5 characters ("01234", "-0048", "  123"); false when it does not read.
bool Alt5(const char* p, int32& v)
{
    int i = 0;
    while (i < 4 && p[i] == ' ') ++i;
    bool neg = false;
    if (p[i] == '-') {
        neg = true;
        ++i;
    }
    if (i >= 5) return false;
    const int d = Digits(p + i, 5 - i);
    if (d < 0) return false;
    v = neg ? -d : d;
    return true;
}

// Latitude "DDMMmmmN" (8) or longitude "DDDMMmmmE" (9) to 1e-5 degree.
bool Coord(const char* p, bool Lon, int32& v)
{
    const int nd = Lon ? 3 : 2;
    const int deg = Digits(p, nd);
    const int mt = Digits(p + nd, 5); // thousandths of a minute
    if (deg < 0 || mt < 0 || mt >= 60000 || deg > (Lon ? 180 : 90)) return false;
    const char h = p[nd + 5];
    int sign;
    if (h == (Lon ? 'E' : 'N'))
        sign = 1;
    else if (h == (Lon ? 'W' : 'S'))
        sign = -1;
    else
        return false;
    // mt * 100000 / 60000 = mt * 5 / 3, rounded (never a tie)
    const int32 a = deg * 100000 + (mt * 5 + 1) / 3;
    if (a > (Lon ? 18000000 : 9000000)) return false;
    v = sign * a;
    return true;
}

// "HHMMSS" to 1e-5 hour.
bool Hms(const char* p, int32& t)
{
    const int h = Digits(p, 2), m = Digits(p + 2, 2), s = Digits(p + 4, 2);
    if (h < 0 || m < 0 || s < 0 || h > 23 || m > 59 || s > 59) return false;
    const int secs = h * 3600 + m * 60 + s;
    t = (secs * 500 + 9) / 18; // secs * 100000 / 3600, rounded (never a tie)
    return true;
}

// Header text: UTF-8 when it is, else Windows-1252.
QString HeaderText(const char* p, qsizetype n)
{
    while (n > 0 && (p[0] == ' ' || p[0] == '\t')) {
        ++p;
        --n;
    }
    while (n > 0 && (p[n - 1] == ' ' || p[n - 1] == '\t' || p[n - 1] == '\r')) --n;
    const QByteArray b(p, n);
    return IsValidUtf8(b) ? QString::fromUtf8(b) : FromWin1252(b);
}

// The value of an H record: after the first ':' when there is one, else after the 5-character
// code.
QString HeaderValue(const TLine& L)
{
    const char* c = static_cast<const char*>(std::memchr(L.p, ':', size_t(L.n)));
    if (c) return HeaderText(c + 1, L.n - (c + 1 - L.p));
    return L.n > 5 ? HeaderText(L.p + 5, L.n - 5) : QString();
}

// "HFDTEddmmyy", "HFDTEDATE:ddmmyy,nn" (also with blanks or a long label before the ':').
bool HeaderDate(const TLine& L, TDateTime& D)
{
    const char* p = L.p + 5;
    const char* end = L.p + L.n;
    const char* c = static_cast<const char*>(std::memchr(p, ':', size_t(end - p)));
    if (c) p = c + 1;
    while (p < end && *p == ' ') ++p;
    if (end - p < 6) return false;
    const int d = Digits(p, 2), m = Digits(p + 2, 2), y = Digits(p + 4, 2);
    if (d < 0 || m < 0 || y < 0) return false;
    // Two-digit years: the format dates from the 1990s.
    const int year = y >= 80 ? 1900 + y : 2000 + y;
    const TDateTime v = EncodeDate(year, m, d);
    if (v == 0) return false;
    D = v;
    return true;
}

struct TCPoint
{
    int32 Lat = 0, Lon = 0;
    QString Name;
};

// Declared task: the position lines after the header line, take-off and landing included.
struct TDecl
{
    bool HaveHeader = false;
    bool Closed = false; // a second header line: its lines are not part of this declaration
    std::vector<TCPoint> Points;
};

// The turn-point count of a header line: two digits, or a sign and a digit ("-1", "+3", " 2").
bool SignedCount(const char* p)
{
    return (p[0] == '-' || p[0] == '+' || p[0] == ' ' || Digits(p, 1) >= 0) && Digits(p + 1, 1) >= 0;
}

// The header line of a declaration: "C", the declaration date and time (12 digits), the flight
// date (6 digits, left out by some writers), the task number (4 digits), the signed count of
// turn points, then any text (a task name).
bool IsDeclHeader(const TLine& L)
{
    if (L.n < 19 || Digits(L.p + 1, 6) < 0 || Digits(L.p + 7, 6) < 0) return false;
    if (L.n >= 25 && Digits(L.p + 13, 6) >= 0 && Digits(L.p + 19, 4) >= 0 && SignedCount(L.p + 23))
        return true;
    return Digits(L.p + 13, 4) >= 0 && SignedCount(L.p + 17);
}

// Reads one C record into the declaration; false when it is malformed.
bool CRecord(const TLine& L, TDecl& D, bool WantPoint)
{
    if (L.n >= 18 && (L[8] == 'N' || L[8] == 'S') && (L[17] == 'E' || L[17] == 'W')) {
        TCPoint P;
        if (!Coord(L.p + 1, false, P.Lat) || !Coord(L.p + 9, true, P.Lon)) return false;
        if (WantPoint && !D.Closed && D.Points.size() < size_t(MaxListCount)) {
            P.Name = HeaderText(L.p + 18, L.n - 18);
            D.Points.push_back(std::move(P));
        }
        return true;
    }
    if (IsDeclHeader(L)) {
        // One declaration per file: the lines of a later one do not join it.
        if (D.HaveHeader || !D.Points.empty()) D.Closed = true;
        D.HaveHeader = true;
        return true;
    }
    return false;
}

// The turn points of the task: the first and the last position lines are the take-off and the
// landing whatever the header line says (recorders disagree on its count, some write none),
// and lines at 0,0 stand for points left out. Fewer than two turn points make no task.
std::vector<const TCPoint*> TaskPoints(const TDecl& D)
{
    std::vector<const TCPoint*> out;
    const size_t k = D.Points.size();
    for (size_t i = 1; i + 1 < k; ++i) {
        const TCPoint& P = D.Points[i];
        if (P.Lat != 0 || P.Lon != 0) out.push_back(&P);
    }
    if (out.size() < 2) out.clear();
    return out;
}

// Positions of the engine noise in the B records (0-based, end exclusive; 0 when none).
struct TExt
{
    int EnlFrom = 0, EnlTo = 0;
};

bool IRecord(const TLine& L, TExt& X)
{
    X = TExt();
    const int n = L.n >= 3 ? Digits(L.p + 1, 2) : -1;
    if (n < 0 || L.n < 3 + qsizetype(n) * 7) return false;
    for (int i = 0; i < n; ++i) {
        const char* e = L.p + 3 + i * 7;
        const int from = Digits(e, 2), to = Digits(e + 2, 2);
        if (from < 1 || to < from) return false;
        // The noise level has three digits; a wider field is not read (nor a digit count past int).
        if ((e[4] & 0xDF) == 'E' && (e[5] & 0xDF) == 'N' && (e[6] & 0xDF) == 'L' && to - from < 6) {
            X.EnlFrom = from - 1;
            X.EnlTo = to;
        }
    }
    return true;
}

// A B record; false when it is malformed.
bool BRecord(const TLine& L, const TExt& X, TRec& R)
{
    if (L.n < 35) return false;
    if (!Hms(L.p + 1, R.Time) || !Coord(L.p + 7, false, R.Lat) || !Coord(L.p + 15, true, R.Lon)) return false;
    if (L.p[24] != 'A' && L.p[24] != 'V') return false;
    if (!Alt5(L.p + 25, R.Alt) || !Alt5(L.p + 30, R.AltGps)) return false;
    R.Enl = 0;
    if (X.EnlTo > 0 && L.n >= X.EnlTo) {
        const int e = Digits(L.p + X.EnlFrom, X.EnlTo - X.EnlFrom);
        if (e > 0) R.Enl = std::min(e, 999);
    }
    R.Kind = 0;
    return true;
}

template <class F> void ForEachLine(const char* p, qsizetype n, F&& f)
{
    const char* end = p + n;
    while (p < end) {
        const char* nl = static_cast<const char*>(std::memchr(p, '\n', size_t(end - p)));
        const char* e = nl ? nl : end;
        qsizetype len = e - p;
        if (len > 0 && p[len - 1] == '\r') --len;
        if (!f(TLine{p, len})) return;
        p = nl ? nl + 1 : end;
    }
}

} // namespace

// ---- Reader -------------------------------------------------------------------------------------

namespace {

// One file read into a new current trace, line by line: the file is never held whole (a long
// flight's text would double the memory its fixes take).
class TIgcLoad
{
public:
    TIgcLoad(const QString& FileName, bool WithTask, TReadReport& R) : fWithTask(WithTask), fR(R)
    {
        fBefore = Trj;
        fT = NewTrj();
        ++fR.Traces;
        fT->FileName = FileName;
        fT->Name = QFileInfo(FileName).fileName();
    }

    void Block(const char* Data, qsizetype Size)
    {
        ForEachLine(Data, Size, [this](const TLine& L) {
            Line(L);
            return true;
        });
    }

    // Finishes the trace; false when it got no fix (the trace is closed then).
    bool Finish()
    {
        TTrj* T = fT;
        if (T->Source.isEmpty()) T->Source = fARecord;
        if (fWithTask) {
            TTrn tp;
            for (const TCPoint* P : TaskPoints(fDecl)) {
                tp.Lat = P->Lat;
                tp.Lon = P->Lon;
                tp.Name = P->Name.left(WptNameLen);
                if (!T->Stn->AddTrn(tp, -1)) break;
            }
            T->Stn->Cursor = T->Stn->First;
            T->Stn->Modified = false;
        }
        fR.Fixes += fAdded;
        TrjLoaded(); // closes the trace when it has no fix
        if (Trj == T) {
            T->SaveState = 0;
            T->Modified = false;
        }
        return fAdded > 0;
    }

    // A read that failed part-way: nothing of the file stays open.
    void Abandon()
    {
        fR.Traces -= 1;
        CloseTrj(fT);
        if (fBefore) SetCurrentTrj(fBefore);
    }

private:
    // A fix whose time does not advance (after the midnight rule) keeps its position one
    // second after the previous fix; false when that passes what a trace holds.
    bool Advance(TRec& Rec, bool& Retimed) const
    {
        Retimed = false;
        const TRec* Last = fT->Last;
        if (!Last) return true;
        int64_t t = Rec.Time;
        const int64_t before = int64_t(Last->Time) - t;
        if (before >= TimeUnitsPerDay - TimeUnitsPerHour && before <= TimeUnitsPerDay) t += TimeUnitsPerDay;
        if (t > Last->Time) return true;
        const int64_t next = FormatText::NextWholeSecond(Last->Time);
        if (next > INT32_MAX) return false;
        Rec.Time = int32(next);
        Retimed = true;
        return true;
    }

    void Line(const TLine& L)
    {
        if (L.n == 0) return;
        TTrj* T = fT;
        switch (L.p[0]) {
        case 'B': {
            bool retimed = false;
            if (!BRecord(L, fExt, *fRec)) {
                ++fR.Rejected;
            } else if (!fFull && !Advance(*fRec, retimed)) {
                ++fR.Rejected; // a time past what a trace holds
            } else if (fFull || !T->AddRec(fRec)) {
                fFull = true; // the trace is full (AddRec said so once): the rest is refused
                ++fR.Rejected;
            } else {
                ++fAdded;
                fR.Retimed += retimed;
            }
            break;
        }
        case 'H':
            if (L.n >= 5) {
                const QByteArray code = QByteArray(L.p + 2, 3).toUpper();
                if (code == "DTE") {
                    TDateTime d;
                    if (HeaderDate(L, d)) {
                        if (!fHaveDate) T->Date = d;
                        fHaveDate = true;
                    } else {
                        ++fR.Rejected;
                    }
                } else if (code == "PLT") {
                    T->Pilot = HeaderValue(L);
                } else if (code == "GTY") {
                    T->GliderType = HeaderValue(L);
                } else if (code == "GID") {
                    T->GliderId = HeaderValue(L);
                } else if (code == "CID") {
                    T->CompId = HeaderValue(L);
                } else if (code == "FTY") {
                    T->Source = HeaderValue(L);
                }
            }
            break;
        case 'I':
            if (!IRecord(L, fExt)) ++fR.Rejected;
            break;
        case 'C':
            if (!CRecord(L, fDecl, fWithTask)) ++fR.Rejected;
            break;
        case 'A':
            if (fARecord.isEmpty()) fARecord = HeaderText(L.p + 1, L.n - 1);
            break;
        default:
            break;
        }
    }

    const bool fWithTask;
    TReadReport& fR;
    TTrj* fT = nullptr;
    TTrj* fBefore = nullptr; // the current trace before this one
    QString fARecord;
    bool fHaveDate = false, fFull = false;
    int fAdded = 0;
    TExt fExt;
    TDecl fDecl;
    std::unique_ptr<TRec> fRec = std::make_unique<TRec>();
};

} // namespace

bool LoadIgcTrjData(const QByteArray& Bytes, const QString& FileName, bool WithTask, TReadReport& R)
{
    TIgcLoad load(FileName, WithTask, R);
    load.Block(Bytes.constData(), Bytes.size());
    return load.Finish();
}

bool LoadIgcTrj(const QString& FileName, bool WithTask, TReadReport& R)
{
    TLineBlocks file;
    if (!file.Open(FileName, R.Error)) return false;
    TIgcLoad load(FileName, WithTask, R);
    const char* data = nullptr;
    qsizetype size = 0;
    while (file.Next(data, size, R.Error)) load.Block(data, size);
    if (!R.Error.isEmpty()) {
        load.Abandon();
        return false;
    }
    return load.Finish();
}

// ---- Writer -------------------------------------------------------------------------------------

namespace {

// A header value on one line, without the characters that would break the record.
QByteArray IgcText(const QString& S)
{
    QString t = S;
    for (QChar& c : t)
        if (c == u'\r' || c == u'\n') c = u' ';
    return t.trimmed().toUtf8();
}

QByteArray DateText(TDateTime D)
{
    int y, m, d;
    DecodeDate(D, y, m, d);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d%02d%02d", d % 100, m % 100, ((y % 100) + 100) % 100);
    return QByteArray(buf, 6);
}

void PutCoord(QByteArray& out, int32 v, bool Lon)
{
    const int64_t lim = Lon ? 18000000 : 9000000;
    const int64_t a = std::min<int64_t>(v < 0 ? -int64_t(v) : int64_t(v), lim);
    const int deg = int(a / 100000);
    const int mt = int((a % 100000 * 6 + 5) / 10); // thousandths of a minute, never a tie
    char buf[32];
    std::snprintf(buf, sizeof buf, Lon ? "%03d%05d%c" : "%02d%05d%c", deg, mt,
                  Lon ? (v < 0 ? 'W' : 'E') : (v < 0 ? 'S' : 'N'));
    out.append(buf);
}

void PutAlt(QByteArray& out, int32 v)
{
    v = std::clamp<int32>(v, -9999, 99999);
    char buf[32];
    if (v < 0)
        std::snprintf(buf, sizeof buf, "-%04d", -v);
    else
        std::snprintf(buf, sizeof buf, "%05d", v);
    out.append(buf);
}

} // namespace

QByteArray WriteIgcTrj(const TTrj& T)
{
    QByteArray out;
    out.reserve(64 * (T.RecCount + 32));
    auto line = [&out](const QByteArray& s) {
        out.append(s);
        out.append("\r\n");
    };
    line("AXXXZPHZephalon");
    if (T.Date != 0) line("HFDTEDATE:" + DateText(T.Date) + ",01");
    line("HFFXA035");
    line("HFPLTPILOTINCHARGE:" + IgcText(T.Pilot));
    line("HFGTYGLIDERTYPE:" + IgcText(T.GliderType));
    line("HFGIDGLIDERID:" + IgcText(T.GliderId));
    line("HFDTM100GPSDATUM:WGS-1984");
    line("HFFTYFRTYPE:" + IgcText(T.Source));
    line("HFCIDCOMPETITIONID:" + IgcText(T.CompId));
    line("I013638ENL");
    const TStn* S = T.Stn.get();
    if (S && S->Count > 0) {
        // Declaration: date and time, flight date, task number, turn points between the start and
        // the finish; then take-off, the turn points and landing.
        const QByteArray date = T.Date != 0 ? DateText(T.Date) : QByteArray("000000");
        char head[40];
        std::snprintf(head, sizeof head, "C%s000000%s0001%02d", date.constData(), date.constData(),
                      std::max(0, std::min(99, int(S->Count) - 2)));
        line(head);
        line("C0000000N00000000ETAKEOFF");
        for (const TTrn* P = S->First; P; P = P->Next) {
            QByteArray c("C");
            PutCoord(c, P->Lat, false);
            PutCoord(c, P->Lon, true);
            c.append(IgcText(P->Name));
            line(c);
        }
        line("C0000000N00000000ELANDING");
    }
    for (const TRec* P = T.First; P; P = P->Next) {
        QByteArray b;
        b.reserve(40);
        b.append('B');
        const int64_t secs = FloorMod(Round64(P->Time * 0.036), 86400);
        char hms[32];
        std::snprintf(hms, sizeof hms, "%02d%02d%02d", int(secs / 3600), int(secs / 60 % 60), int(secs % 60));
        b.append(hms);
        PutCoord(b, P->Lat, false);
        PutCoord(b, P->Lon, true);
        b.append('A');
        PutAlt(b, P->Alt);
        PutAlt(b, P->AltGps);
        char enl[4];
        std::snprintf(enl, sizeof enl, "%03d", std::clamp<int32>(P->Enl, 0, 999));
        b.append(enl);
        line(b);
    }
    return out;
}

// ---- Summary ------------------------------------------------------------------------------------

namespace {

// Position and time of a B record, checked as the reader checks them but without the rest.
inline bool QuickFix(const TLine& L, int32& Lat, int32& Lon, int32& Time)
{
    return L.n >= 35 && L.p[0] == 'B' && Hms(L.p + 1, Time) && Coord(L.p + 7, false, Lat) &&
           Coord(L.p + 15, true, Lon);
}

// What the summary keeps from the records before the first valid fix.
struct THead
{
    QString ARecord;
    bool HaveDate = false;
    TDecl Decl;
    int32 Lat0 = 0, Lon0 = 0, T0 = 0;
    qsizetype FirstFix = -1; // offset of the first valid fix, -1 when none was met
};

// Reads the header records of the whole lines of Data until the first valid fix.
void ScanHead(const char* Data, qsizetype Size, TIgcSummary& S, THead& H)
{
    ForEachLine(Data, Size, [&](const TLine& L) {
        if (L.n == 0) return true;
        switch (L.p[0]) {
        case 'B':
            if (QuickFix(L, H.Lat0, H.Lon0, H.T0)) {
                H.FirstFix = L.p - Data;
                return false;
            }
            break;
        case 'H':
            if (L.n >= 5) {
                const char c0 = char(L.p[2] & 0xDF), c1 = char(L.p[3] & 0xDF), c2 = char(L.p[4] & 0xDF);
                auto is = [&](const char* k) { return c0 == k[0] && c1 == k[1] && c2 == k[2]; };
                if (is("DTE")) {
                    if (!H.HaveDate) H.HaveDate = HeaderDate(L, S.Date);
                } else if (is("PLT")) {
                    S.Pilot = HeaderValue(L);
                } else if (is("GTY")) {
                    S.GliderType = HeaderValue(L);
                } else if (is("GID")) {
                    S.GliderId = HeaderValue(L);
                } else if (is("CID")) {
                    S.CompId = HeaderValue(L);
                } else if (is("FTY")) {
                    S.Source = HeaderValue(L);
                }
            }
            break;
        case 'C':
            CRecord(L, H.Decl, true);
            break;
        case 'A':
            if (H.ARecord.isEmpty()) H.ARecord = HeaderText(L.p + 1, L.n - 1);
            break;
        default:
            break;
        }
        return true;
    });
}

// The source and the task once the header is read.
void FinishHead(TIgcSummary& S, const THead& H)
{
    if (S.Source.isEmpty()) S.Source = H.ARecord;
    const std::vector<const TCPoint*> tps = TaskPoints(H.Decl);
    if (tps.size() >= 2) {
        S.HasTask = true;
        for (size_t i = 1; i < tps.size(); ++i) {
            TPos a{tps[i - 1]->Lat, tps[i - 1]->Lon}, b{tps[i]->Lat, tps[i]->Lon};
            S.TaskDistKm += Distance(a, b);
        }
    }
    S.HasFix = H.FirstFix >= 0;
}

// The time of the last valid fix among the whole lines of [Begin, End) (Begin starts a line);
// false when there is none.
bool LastFixTime(const char* Begin, const char* End, int32& T)
{
    const char* p = End;
    int32 la, lo;
    while (p > Begin) {
        const char* e = p;
        if (e[-1] == '\n') --e;
        const char* s = e;
        while (s > Begin && s[-1] != '\n') --s;
        qsizetype len = e - s;
        if (len > 0 && s[len - 1] == '\r') --len;
        if (QuickFix(TLine{s, len}, la, lo, T)) return true;
        p = s;
    }
    return false;
}

// Path length, fix count and duration from the fixes of [Data, Data + Size), which starts at
// the first valid fix: one pass with a local flat-earth step (the steps between fixes are
// short), the cosine refreshed as the latitude moves.
void PathPass(const char* Data, qsizetype Size, const THead& H, TIgcSummary& S)
{
    double sum = 0; // in 1e-5 degree of latitude
    int32 plat = H.Lat0, plon = H.Lon0, t = H.T0, lastT = H.T0;
    double cosRef = std::cos(IntDegToRad(plat));
    int32 cosLat = plat;
    int n = 0;
    ForEachLine(Data, Size, [&](const TLine& L) {
        int32 la, lo;
        if (L.n == 0 || L.p[0] != 'B' || !QuickFix(L, la, lo, t)) return true;
        ++n;
        lastT = t;
        if (std::abs(la - cosLat) > 200) {
            cosLat = la;
            cosRef = std::cos(IntDegToRad(la));
        }
        double dlo = double(lo) - plon;
        if (dlo > 18000000)
            dlo -= 36000000;
        else if (dlo < -18000000)
            dlo += 36000000;
        const double dx = dlo * cosRef, dy = double(la) - plat;
        sum += std::sqrt(dx * dx + dy * dy);
        plat = la;
        plon = lo;
        return true;
    });
    S.Fixes = n;
    S.PathKm = sum * (M_PI / 180.0 * 1e-5) * EarthRadiusKm;
    S.Duration = lastT - H.T0;
}

void FixDuration(TIgcSummary& S)
{
    if (S.Duration < 0) // the flight went past midnight
        S.Duration += TimeUnitsPerDay;
}

// Reads Count bytes at Offset (fewer at the end of the file); false on a read error.
bool ReadAt(int Fd, qint64 Offset, qsizetype Count, QByteArray& Out)
{
    Out.resize(Count);
    qsizetype got = 0;
    while (got < Count) {
        const ssize_t n = ::pread(Fd, Out.data() + got, size_t(Count - got), off_t(Offset + got));
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) break;
        got += n;
    }
    Out.resize(got);
    return true;
}

// A file descriptor closed on every way out.
struct TFd
{
    int fd;
    ~TFd()
    {
        if (fd >= 0) ::close(fd);
    }
};

} // namespace

bool ReadIgcSummaryData(const char* Data, qsizetype Size, TIgcSummary& S)
{
    S = TIgcSummary();
    THead H;
    ScanHead(Data, Size, S, H);
    FinishHead(S, H);
    if (!S.HasFix) return H.HaveDate;
    if (S.HasTask) {
        int32 t = H.T0;
        LastFixTime(Data + H.FirstFix, Data + Size, t);
        S.Duration = t - H.T0;
    } else {
        PathPass(Data + H.FirstFix, Size - H.FirstFix, H, S);
    }
    FixDuration(S);
    return true;
}

bool ReadIgcSummary(const QString& FileName, TIgcSummary& S)
{
    S = TIgcSummary();
    TFd f{::open(QFile::encodeName(FileName).constData(), O_RDONLY | O_CLOEXEC)};
    if (f.fd < 0) return false;
    struct stat st
    {
    };
    if (::fstat(f.fd, &st) != 0 || !S_ISREG(st.st_mode)) return false;
    const qint64 size = st.st_size;
    if (size <= 0 || size > qint64(256) * 1024 * 1024) return false;
    // Only the head and, with a declared task, the tail are read: no read-ahead of the rest.
    ::posix_fadvise(f.fd, 0, 0, POSIX_FADV_RANDOM);

    // The head: the records before the first valid fix, in growing blocks of whole lines.
    THead H;
    QByteArray head;
    for (qsizetype want = 64 * 1024;; want *= 2) {
        if (!ReadAt(f.fd, 0, qsizetype(std::min<qint64>(want, size)), head)) return false;
        const bool all = head.size() >= size;
        qsizetype whole = head.size();
        if (!all) {
            const qsizetype nl = head.lastIndexOf('\n');
            whole = nl < 0 ? 0 : nl + 1;
        }
        S = TIgcSummary();
        H = THead();
        ScanHead(head.constData(), whole, S, H);
        if (H.FirstFix >= 0 || all) break;
    }
    FinishHead(S, H);
    if (!S.HasFix) return H.HaveDate;

    if (!S.HasTask) {
        // The path length needs every fix.
        ::posix_fadvise(f.fd, 0, 0, POSIX_FADV_SEQUENTIAL);
        QByteArray rest;
        if (!ReadAt(f.fd, H.FirstFix, qsizetype(size - H.FirstFix), rest)) return false;
        PathPass(rest.constData(), rest.size(), H, S);
        FixDuration(S);
        return true;
    }

    // The tail: the last valid fix, in growing blocks from the end.
    int32 t = H.T0;
    QByteArray tail;
    for (qint64 want = 4096;; want *= 2) {
        const qint64 from = std::max<qint64>(H.FirstFix, size - want);
        if (!ReadAt(f.fd, from, qsizetype(size - from), tail)) return false;
        const char* b = tail.constData();
        const char* e = b + tail.size();
        if (from > H.FirstFix) { // the block starts inside a line: skip to the next one
            const char* nl = static_cast<const char*>(std::memchr(b, '\n', size_t(e - b)));
            b = nl ? nl + 1 : e;
        }
        if (LastFixTime(b, e, t) || from == H.FirstFix) break;
    }
    S.Duration = t - H.T0;
    FixDuration(S);
    return true;
}
