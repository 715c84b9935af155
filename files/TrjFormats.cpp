#include "files/TrjFormats.h"
#include "files/FormatText.h"
#include "files/LibXmlParser.h"
#include "model/Calc.h"
#include "platform/Numbers.h"
#include "platform/Text1252.h"
#include <QFileInfo>
#include <cmath>
#include <vector>

using namespace FormatText;

namespace {

constexpr int64_t MaxDaysInTrace = 365; // a fix later than this after the first is rejected
constexpr double MaxAltitude = 100000;  // m; beyond it the altitude is not believed
constexpr int MaxLineLength = 255;      // DAT lines

QString NoValidFixText(const QString& FileName)
{
    const QString name = QFileInfo(FileName).fileName();
    return Tr(QStringLiteral("Aucun point valide dans le fichier %1.").arg(name),
              QStringLiteral("No valid point in file %1.").arg(name));
}

bool AltOk(double A, int32& V)
{
    if (!std::isfinite(A) || std::fabs(A) > MaxAltitude) return false;
    V = Round(A);
    return true;
}

// Builds the traces of one file: creates a trace at its first valid fix, keeps the times in
// order, and finishes the trace.
class TTrjBuilder
{
public:
    TTrjBuilder(const QString& FileName, TReadReport& R) : fFileName(FileName), fR(R)
    {
        fBaseName = QFileInfo(FileName).completeBaseName();
    }
    ~TTrjBuilder() { EndTrace(); }

    // The next fix starts a new trace named after the file and, when given, the track.
    void NewTrace(const QString& TrackName = QString(), TDateTime Date = 0, bool HasDate = false)
    {
        EndTrace();
        fTrackName = TrackName.trimmed();
        fPresetDate = HasDate;
        fPresetDay = int64_t(Date);
    }
    // The next fix starts a pen-up segment (ignored for the first fix of a trace).
    void PenUp() { fPenUp = true; }

    // Fix with a full UTC date-time.
    void AddDated(int32 Lat, int32 Lon, int32 Alt, int32 AltGps, int64_t Day, int64_t Ms)
    {
        if (!PosOk(Lat, Lon)) return;
        if (!fTrj) {
            if (!Start(true, Day)) return;
        }
        if (!fHasDay) {
            // The trace has no date yet (its earlier fixes had none): time of day only.
            Add(Lat, Lon, Alt, AltGps, MsToUnits(Ms), false);
            return;
        }
        const int64_t days = Day - fDay;
        if (days < 0 || days > MaxDaysInTrace) {
            ++fR.Rejected;
            return;
        }
        const int64_t t = days * TimeUnitsPerDay + MsToUnits(Ms);
        Add(Lat, Lon, Alt, AltGps, int32(t), false);
    }
    // Fix with a time of day only (1e-5 hour, 0..2,400,000): on the trace's date when it has
    // one, after midnight when it lies far before the previous fix.
    void AddTimeOfDay(int32 Lat, int32 Lon, int32 Alt, int32 AltGps, int32 Time)
    {
        if (!PosOk(Lat, Lon)) return;
        if (!fTrj && !Start(fPresetDate, fPresetDay)) return;
        Add(Lat, Lon, Alt, AltGps, Time, true);
    }
    // Fix without time: one second after the previous fix (0 for the first).
    void AddUntimed(int32 Lat, int32 Lon, int32 Alt, int32 AltGps)
    {
        if (!PosOk(Lat, Lon)) return;
        if (!fTrj && !Start(fPresetDate, fPresetDay)) return;
        const int64_t t = fHasLast ? NextWholeSecond(fLastTime) : 0;
        if (t > INT32_MAX) {
            ++fR.Rejected;
            return;
        }
        Add(Lat, Lon, Alt, AltGps, int32(t), false);
    }

    void EndTrace()
    {
        if (!fTrj) return;
        TTrj* T = fTrj;
        fTrj = nullptr;
        const bool hasFixes = T->First != nullptr;
        SetCurrentTrj(T);
        TrjLoaded(); // closes a trace without fixes
        if (hasFixes) ++fR.Traces;
    }

    TTrj* Current() const { return fTrj; }
    int TracesMade() const { return fR.Traces; }

private:
    bool PosOk(int32 Lat, int32 Lon)
    {
        if (Lat < -9000000 || Lat > 9000000 || Lon < -18000000 || Lon > 18000000) {
            ++fR.Rejected;
            return false;
        }
        return true;
    }

    bool Start(bool HasDay, int64_t Day)
    {
        fTrj = NewTrj();
        fTrj->FileName = fFileName;
        fTrj->Name = fTrackName.isEmpty() ? fBaseName : fBaseName + QStringLiteral(" - ") + fTrackName;
        fHasDay = HasDay;
        fDay = HasDay ? Day : 0;
        fTrj->Date = HasDay ? TDateTime(Day) : 0;
        fHasLast = false;
        fPenUp = false;
        fFull = false;
        return true;
    }

    void Add(int32 Lat, int32 Lon, int32 Alt, int32 AltGps, int32 Time, bool WrapDay)
    {
        if (Time < 0) {
            ++fR.Rejected;
            return;
        }
        int64_t t = Time;
        if (fHasLast) {
            // The 24-hour rule, applied here so that the order check sees the final time.
            const int64_t before = int64_t(fLastTime) - t;
            if (WrapDay && before >= 2300000 && before <= 2400000) t += TimeUnitsPerDay;
            if (t <= fLastTime) {
                // A damaged or repeated time: the position is kept, as an untimed fix is.
                t = NextWholeSecond(fLastTime);
                ++fR.Retimed;
            }
        }
        if (t > INT32_MAX || fFull) {
            ++fR.Rejected;
            return;
        }
        fRec->Lat = Lat;
        fRec->Lon = Lon;
        fRec->Alt = Alt;
        fRec->AltGps = AltGps;
        fRec->Time = int32(t);
        fRec->Kind = (fPenUp && fHasLast) ? 1 : 0;
        if (!fTrj->AddRec(fRec)) {
            fFull = true;
            ++fR.Rejected;
            return;
        }
        fPenUp = false;
        fHasLast = true;
        fLastTime = int32(t);
        ++fR.Fixes;
    }

    QString fFileName, fBaseName, fTrackName;
    TReadReport& fR;
    TTrj* fTrj = nullptr;
    std::unique_ptr<TRec> fRec = std::make_unique<TRec>();
    bool fHasDay = false, fPresetDate = false;
    int64_t fDay = 0, fPresetDay = 0;
    bool fHasLast = false, fPenUp = false, fFull = false;
    int32 fLastTime = 0;
};

bool Finish(TTrjBuilder& B, const QString& FileName, TReadReport& R, int TracesBefore)
{
    B.EndTrace();
    if (R.Traces == TracesBefore) {
        if (R.Error.isEmpty()) R.Error = NoValidFixText(FileName);
        return false;
    }
    return true;
}

bool ReadFile(const QString& FileName, QByteArray& Data, TReadReport& R)
{
    QString err;
    if (!ReadWholeFile(FileName, Data, err)) {
        R.Error = err;
        return false;
    }
    return true;
}

// ---- GPX -------------------------------------------------------------------------------------

struct TGpxPoint
{
    bool LatLonOk = false;
    int32 Lat = 0, Lon = 0;
    bool AltOk = true, HasAlt = false;
    int32 Alt = 0;
    bool TimeOk = true, HasTime = false;
    int64_t Day = 0, Ms = 0;
};

void EmitGpxPoint(TTrjBuilder& B, const TGpxPoint& P, TReadReport& R)
{
    if (!P.LatLonOk || !P.AltOk || !P.TimeOk) {
        ++R.Rejected;
        return;
    }
    if (P.HasTime)
        B.AddDated(P.Lat, P.Lon, P.Alt, P.Alt, P.Day, P.Ms);
    else
        B.AddUntimed(P.Lat, P.Lon, P.Alt, P.Alt);
}

bool ReadLatLonAttrs(const TNvpList& A, int32& Lat, int32& Lon)
{
    double la = 0, lo = 0;
    return ToDouble(A.LocalValue(QStringLiteral("lat")), la) &&
           ToDouble(A.LocalValue(QStringLiteral("lon")), lo) && DegToInt(la, 90, Lat) &&
           DegToInt(lo, 180, Lon);
}

// ---- KML -------------------------------------------------------------------------------------

struct TKmlPoint
{
    int32 Lat = 0, Lon = 0, Alt = 0;
    bool Ok = true;
};

// Parts of S between white space.
QList<QStringView> SplitWs(QStringView S)
{
    QList<QStringView> out;
    qsizetype start = -1;
    for (qsizetype i = 0; i <= S.size(); ++i) {
        const bool ws = i == S.size() || S[i].isSpace();
        if (ws && start >= 0) {
            out.append(S.mid(start, i - start));
            start = -1;
        } else if (!ws && start < 0) {
            start = i;
        }
    }
    return out;
}

struct TKmlPath
{
    bool IsTrack = false;
    int Group = -1; // tracks of one MultiTrack share a group
    QString Name;
    std::vector<TKmlPoint> Points;
    std::vector<QString> Whens; // tracks: the time texts, paired with Points by index
    bool HasSpan = false;       // line strings: the time span of the enclosing placemark
    int64_t BeginDay = 0, BeginMs = 0, EndDay = 0, EndMs = 0;
    int Bad = 0; // coordinates that did not convert
};

// Longitude, latitude and optional altitude: the parts of "lon lat [alt]" (gx:coord) or of
// "lon,lat[,alt]" (a coordinates tuple).
bool ParseKmlCoord(const QList<QStringView>& f, TKmlPoint& P)
{
    if (f.size() < 2 || f.size() > 3) return false;
    double lo = 0, la = 0, al = 0;
    if (!ToDouble(f[0], lo) || !ToDouble(f[1], la) || !DegToInt(la, 90, P.Lat) || !DegToInt(lo, 180, P.Lon))
        return false;
    P.Alt = 0;
    if (f.size() == 3 && (!ToDouble(f[2], al) || !AltOk(al, P.Alt))) return false;
    return true;
}

struct TSpanSlot
{
    QString Begin, End;
};

// ---- NMEA ------------------------------------------------------------------------------------

int HexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9') return u - u'0';
    if (u >= u'A' && u <= u'F') return u - u'A' + 10;
    if (u >= u'a' && u <= u'f') return u - u'a' + 10;
    return -1;
}

// "hhmmss[.ss]" to milliseconds of the day.
bool NmeaTime(QStringView S, int64_t& Ms)
{
    if (S.size() < 6) return false;
    int v[3];
    for (int k = 0; k < 3; ++k) {
        const char16_t a = S[2 * k].unicode(), b = S[2 * k + 1].unicode();
        if (a < u'0' || a > u'9' || b < u'0' || b > u'9') return false;
        v[k] = (a - u'0') * 10 + (b - u'0');
    }
    if (v[0] > 23 || v[1] > 59 || v[2] > 59) return false;
    int64_t frac = 0;
    if (S.size() > 6) {
        if (S[6] != u'.') return false;
        int scale = 100;
        for (qsizetype i = 7; i < S.size(); ++i) {
            const char16_t c = S[i].unicode();
            if (c < u'0' || c > u'9') return false;
            frac += (c - u'0') * scale;
            scale /= 10;
        }
    }
    Ms = ((int64_t(v[0]) * 60 + v[1]) * 60 + v[2]) * 1000 + frac;
    return true;
}

// "ddmm.mmmm" + hemisphere, DegDigits 2 (latitude) or 3 (longitude).
bool NmeaAngle(QStringView S, QStringView Hemi, int DegDigits, int32& V)
{
    if (S.size() < DegDigits + 2 || Hemi.size() != 1) return false;
    int deg = 0;
    for (int k = 0; k < DegDigits; ++k) {
        const char16_t c = S[k].unicode();
        if (c < u'0' || c > u'9') return false;
        deg = deg * 10 + (c - u'0');
    }
    double min = 0;
    if (S[DegDigits] < u'0' || S[DegDigits] > u'9' || !ToDouble(S.mid(DegDigits), min) || min < 0 ||
        min >= 60)
        return false;
    const QChar h = Hemi[0].toUpper();
    const bool negHemi = DegDigits == 2 ? h == u'S' : h == u'W';
    const bool posHemi = DegDigits == 2 ? h == u'N' : h == u'E';
    if (!negHemi && !posHemi) return false;
    const double d = deg + min / 60.0;
    return DegToInt(negHemi ? -d : d, DegDigits == 2 ? 90 : 180, V);
}

// "ddmmyy" to a day number (years 80..99 are 1980..1999).
bool NmeaDate(QStringView S, int64_t& Day)
{
    if (S.size() != 6) return false;
    int v[3];
    for (int k = 0; k < 3; ++k) {
        const char16_t a = S[2 * k].unicode(), b = S[2 * k + 1].unicode();
        if (a < u'0' || a > u'9' || b < u'0' || b > u'9') return false;
        v[k] = (a - u'0') * 10 + (b - u'0');
    }
    return DayNumber(v[2] >= 80 ? 1900 + v[2] : 2000 + v[2], v[1], v[0], Day);
}

// One fix cycle of the log: the sentences that carry the same time.
struct TNmeaCycle
{
    bool Open = false;
    int64_t Ms = 0;
    bool HasRmc = false, RmcValid = false;
    int32 Lat = 0, Lon = 0;
    int64_t Day = 0;
    bool HasGga = false;
    int32 GgaAlt = 0;
    bool HasBaro = false;
    int32 BaroAlt = 0;
};

// ---- DAT -------------------------------------------------------------------------------------

// Two digits at i of S.
bool Two(QStringView S, int i, int& v)
{
    if (i + 2 > S.size()) return false;
    const char16_t a = S[i].unicode(), b = S[i + 1].unicode();
    if (a < u'0' || a > u'9' || b < u'0' || b > u'9') return false;
    v = (a - u'0') * 10 + (b - u'0');
    return true;
}

// Reads the whole file, then hands its bytes to the reader of the format.
bool LoadFromFile(bool (*LoadData)(const QByteArray&, const QString&, TReadReport&), const QString& FileName,
                  TReadReport& R)
{
    QByteArray Data;
    return ReadFile(FileName, Data, R) && LoadData(Data, FileName, R);
}

} // namespace

// ---- GPX -------------------------------------------------------------------------------------

bool LoadGpxTrj(const QString& FileName, TReadReport& R)
{
    return LoadFromFile(LoadGpxTrjData, FileName, R);
}

bool LoadGpxTrjData(const QByteArray& Data, const QString& FileName, TReadReport& R)
{
    const int before = R.Traces;
    TXmlParser P;
    P.Normalize = true;
    P.LoadFromBuffer(Data);
    TTrjBuilder B(FileName, R);
    bool inTrk = false, inPt = false, trkNamed = false;
    int ptDepth = 0; // elements open inside the current trkpt
    TGpxPoint pt;
    while (P.Scan()) {
        const TPartType t = P.CurPartType;
        if (t != ptStartTag && t != ptEmptyTag && t != ptEndTag) continue;
        const QString ln = P.CurLocalName();
        if (t == ptStartTag || t == ptEmptyTag) {
            if (inPt) {
                if (t == ptStartTag) ++ptDepth;
                continue;
            }
            if (ln == u"trk") {
                inTrk = true;
                trkNamed = false;
                B.NewTrace();
                if (t == ptEmptyTag) inTrk = false;
            } else if (ln == u"trkseg" && inTrk) {
                B.PenUp();
            } else if (ln == u"trkpt" && inTrk) {
                pt = TGpxPoint();
                pt.LatLonOk = ReadLatLonAttrs(P.CurAttr, pt.Lat, pt.Lon);
                if (t == ptEmptyTag) {
                    EmitGpxPoint(B, pt, R);
                } else {
                    inPt = true;
                    ptDepth = 0;
                }
            }
            continue;
        }
        // End tags
        if (inPt) {
            if (ptDepth > 0) {
                if (ptDepth == 1 && ln == u"ele") {
                    double a = 0;
                    pt.HasAlt = true;
                    pt.AltOk = ToDouble(P.CurContent, a) && AltOk(a, pt.Alt);
                } else if (ptDepth == 1 && ln == u"time") {
                    pt.HasTime = true;
                    pt.TimeOk = ParseIsoTime(P.CurContent, pt.Day, pt.Ms);
                }
                --ptDepth;
            } else if (ln == u"trkpt") {
                inPt = false;
                EmitGpxPoint(B, pt, R);
            }
            continue;
        }
        if (inTrk && ln == u"name" && !trkNamed && !B.Current()) {
            trkNamed = true;
            B.NewTrace(P.CurContent);
        } else if (ln == u"trk" && inTrk) {
            inTrk = false;
            B.EndTrace();
        }
    }
    if (P.HasError()) {
        if (inPt) ++R.Rejected; // the point cut by the error
        ++R.Rejected;           // the rest of the document
    }
    return Finish(B, FileName, R, before);
}

// ---- KML -------------------------------------------------------------------------------------

bool LoadKmlTrj(const QString& FileName, TReadReport& R)
{
    return LoadFromFile(LoadKmlTrjData, FileName, R);
}

bool LoadKmlTrjData(const QByteArray& Data, const QString& FileName, TReadReport& R)
{
    const int before = R.Traces;
    TXmlParser P;
    P.Normalize = true;
    P.LoadFromBuffer(Data);

    std::vector<TKmlPath> paths;
    std::vector<QString> stack;          // open elements (local names)
    std::vector<TSpanSlot> spans;        // one per open Document/Folder/Placemark
    std::vector<QString> placemarkNames; // one per open Placemark
    int multiDepth = 0, groupCount = 0, curGroup = -1;
    int trackIdx = -1; // open track, an index: paths grows while it is open
    bool inLine = false, inCoords = false;
    QString coordsText;
    bool anyTrack = false;

    auto currentName = [&]() { return placemarkNames.empty() ? QString() : placemarkNames.back(); };

    while (P.Scan()) {
        const TPartType t = P.CurPartType;
        if (t == ptContent || t == ptCData) {
            if (inCoords) {
                coordsText += u' ';
                coordsText += P.CurContent;
            }
            continue;
        }
        if (t != ptStartTag && t != ptEmptyTag && t != ptEndTag) continue;
        const QString ln = P.CurLocalName();
        if (t == ptStartTag) {
            stack.push_back(ln);
            if (ln == u"Document" || ln == u"Folder" || ln == u"Placemark") spans.emplace_back();
            if (ln == u"Placemark") placemarkNames.emplace_back();
            if (ln == u"MultiTrack") {
                if (multiDepth++ == 0) curGroup = groupCount++;
            } else if (ln == u"Track" && trackIdx < 0) {
                trackIdx = int(paths.size());
                TKmlPath& track = paths.emplace_back();
                track.IsTrack = true;
                track.Group = multiDepth > 0 ? curGroup : groupCount++;
                track.Name = currentName();
                anyTrack = true;
            } else if (ln == u"LineString" && trackIdx < 0) {
                inLine = true;
            } else if (ln == u"coordinates" && inLine) {
                inCoords = true;
                coordsText.clear();
            }
            continue;
        }
        if (t == ptEmptyTag) continue;
        // End tag: CurContent is the text directly inside the element.
        if (!stack.empty()) stack.pop_back();
        const QString parent = stack.empty() ? QString() : stack.back();
        if (ln == u"name" && parent == u"Placemark" && !placemarkNames.empty()) {
            placemarkNames.back() = P.CurContent;
        } else if ((ln == u"begin" || ln == u"end") && parent == u"TimeSpan" && !spans.empty()) {
            (ln == u"begin" ? spans.back().Begin : spans.back().End) = P.CurContent;
        } else if (trackIdx >= 0 && ln == u"when") {
            paths[size_t(trackIdx)].Whens.push_back(P.CurContent);
        } else if (trackIdx >= 0 && ln == u"coord") {
            // A bad coordinate keeps its place, so that the pairing with the times holds.
            TKmlPoint pt;
            pt.Ok = ParseKmlCoord(SplitWs(P.CurContent), pt);
            paths[size_t(trackIdx)].Points.push_back(pt);
        } else if (trackIdx >= 0 && ln == u"Track") {
            TKmlPath& track = paths[size_t(trackIdx)];
            if (track.Name.isEmpty()) track.Name = currentName();
            trackIdx = -1;
        } else if (ln == u"MultiTrack") {
            if (multiDepth > 0) --multiDepth;
        } else if (ln == u"coordinates" && inCoords) {
            inCoords = false;
            paths.emplace_back();
            TKmlPath& path = paths.back();
            path.Name = currentName();
            for (QStringView tuple : SplitWs(coordsText)) {
                TKmlPoint pt;
                if (ParseKmlCoord(tuple.split(u','), pt))
                    path.Points.push_back(pt);
                else
                    ++path.Bad;
            }
            // The nearest enclosing time span.
            for (auto it = spans.rbegin(); it != spans.rend(); ++it) {
                if (!it->Begin.isEmpty() && !it->End.isEmpty()) {
                    path.HasSpan = ParseIsoTime(it->Begin, path.BeginDay, path.BeginMs) &&
                                   ParseIsoTime(it->End, path.EndDay, path.EndMs);
                    break;
                }
            }
        } else if (ln == u"LineString") {
            inLine = false;
        } else if (ln == u"Document" || ln == u"Folder" || ln == u"Placemark") {
            if (!spans.empty()) spans.pop_back();
            if (ln == u"Placemark" && !placemarkNames.empty()) placemarkNames.pop_back();
        }
    }
    if (P.HasError()) ++R.Rejected;

    bool anySpan = false;
    for (const TKmlPath& path : paths) anySpan = anySpan || (!path.IsTrack && path.HasSpan);
    TTrjBuilder B(FileName, R);
    int lastGroup = -2;
    for (const TKmlPath& path : paths) {
        if (path.IsTrack != anyTrack) continue;
        if (!path.IsTrack && anySpan && !path.HasSpan) continue;
        if (path.IsTrack) {
            if (path.Group != lastGroup)
                B.NewTrace(path.Name);
            else
                B.PenUp();
            lastGroup = path.Group;
            const size_t n = std::min(path.Points.size(), path.Whens.size());
            R.Rejected += int(std::max(path.Points.size(), path.Whens.size()) - n);
            for (size_t i = 0; i < n; ++i) {
                const TKmlPoint& pt = path.Points[i];
                int64_t day = 0, ms = 0;
                if (!pt.Ok || !ParseIsoTime(path.Whens[i], day, ms)) {
                    ++R.Rejected;
                    continue;
                }
                B.AddDated(pt.Lat, pt.Lon, pt.Alt, pt.Alt, day, ms);
            }
        } else {
            B.NewTrace(path.Name);
            R.Rejected += path.Bad;
            const size_t n = path.Points.size();
            const int64_t msPerDay = 86400000;
            const int64_t t0 = path.BeginDay * msPerDay + path.BeginMs;
            const int64_t t1 = path.EndDay * msPerDay + path.EndMs;
            const bool spread = path.HasSpan && t1 >= t0 && n > 0;
            for (size_t i = 0; i < n; ++i) {
                const TKmlPoint& pt = path.Points[i];
                if (spread) {
                    const int64_t t = n > 1 ? t0 + int64_t(double(t1 - t0) * double(i) / double(n - 1)) : t0;
                    B.AddDated(pt.Lat, pt.Lon, pt.Alt, pt.Alt, t / msPerDay, t % msPerDay);
                } else {
                    B.AddUntimed(pt.Lat, pt.Lon, pt.Alt, pt.Alt);
                }
            }
            lastGroup = -2;
        }
    }
    return Finish(B, FileName, R, before);
}

QByteArray WriteKmlTrj(const TTrj& T)
{
    const int64_t day = int64_t(std::floor(T.Date));
    QString out;
    out += QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                          "<kml xmlns=\"http://www.opengis.net/kml/2.2\" "
                          "xmlns:gx=\"http://www.google.com/kml/ext/2.2\">\n<Document>\n");
    const QString name = T.Name.toHtmlEscaped();
    out += QStringLiteral("<name>%1</name>\n<Placemark>\n<name>%1</name>\n").arg(name);
    bool multi = false;
    for (const TRec* P = T.First; P; P = P->Next)
        if (P->Kind == 1 && P != T.First) multi = true;
    if (multi)
        out += QStringLiteral(
            "<gx:MultiTrack>\n<altitudeMode>absolute</altitudeMode>\n<gx:interpolate>0</gx:interpolate>\n");
    auto writeTrack = [&](const TRec* From, const TRec* To) {
        out += QStringLiteral("<gx:Track>\n<altitudeMode>absolute</altitudeMode>\n");
        for (const TRec* P = From; P != To; P = P->Next) {
            const int64_t ms = int64_t(P->Time) * 36;
            const int64_t msPerDay = 86400000;
            const int64_t d = day + (ms >= 0 ? ms / msPerDay : -((-ms + msPerDay - 1) / msPerDay));
            out += QStringLiteral("<when>") + IsoTime(d, ms - (d - day) * msPerDay) +
                   QStringLiteral("</when>\n");
        }
        for (const TRec* P = From; P != To; P = P->Next)
            out += QStringLiteral("<gx:coord>%1 %2 %3</gx:coord>\n")
                       .arg(IntDegToText(P->Lon, 1, false), IntDegToText(P->Lat, 1, false))
                       .arg(P->Alt);
        out += QStringLiteral("</gx:Track>\n");
    };
    const TRec* segStart = T.First;
    for (const TRec* P = T.First; P; P = P->Next) {
        if (P != T.First && P->Kind == 1) {
            writeTrack(segStart, P);
            segStart = P;
        }
    }
    if (segStart) writeTrack(segStart, nullptr);
    if (multi) out += QStringLiteral("</gx:MultiTrack>\n");
    out += QStringLiteral("</Placemark>\n</Document>\n</kml>\n");
    return out.toUtf8();
}

// ---- NMEA ------------------------------------------------------------------------------------

bool LoadNmeaTrj(const QString& FileName, TReadReport& R)
{
    return LoadFromFile(LoadNmeaTrjData, FileName, R);
}

bool LoadNmeaTrjData(const QByteArray& Data, const QString& FileName, TReadReport& R)
{
    const int before = R.Traces;
    const QString Text = FromWin1252(Data); // NMEA is ASCII; any byte converts
    TTrjBuilder B(FileName, R);
    B.NewTrace();
    TNmeaCycle cyc;
    bool pendingBaro = false;
    int32 pendingBaroAlt = 0;

    auto flush = [&]() {
        if (!cyc.Open) return;
        if (cyc.HasRmc) {
            if (cyc.RmcValid) {
                const int32 gps = cyc.HasGga ? cyc.GgaAlt : (cyc.HasBaro ? cyc.BaroAlt : 0);
                const int32 alt = cyc.HasBaro ? cyc.BaroAlt : gps;
                B.AddDated(cyc.Lat, cyc.Lon, alt, gps, cyc.Day, cyc.Ms);
            } else {
                ++R.Rejected;
            }
        }
        cyc = TNmeaCycle();
    };
    auto openCycle = [&](int64_t Ms) {
        if (cyc.Open && cyc.Ms == Ms) return;
        flush();
        cyc.Open = true;
        cyc.Ms = Ms;
        if (pendingBaro) {
            cyc.HasBaro = true;
            cyc.BaroAlt = pendingBaroAlt;
            pendingBaro = false;
        }
    };

    for (QStringView line : Lines(Text)) {
        const qsizetype dollar = line.indexOf(u'$');
        if (dollar != 0) continue; // comments and noise
        QStringView body = line.mid(1);
        const qsizetype star = body.lastIndexOf(u'*');
        bool sumOk = true;
        if (star >= 0) {
            const QStringView sum = body.mid(star + 1).trimmed();
            body = body.left(star);
            int x = 0;
            for (QChar c : body) x ^= c.unicode() & 0xFF;
            sumOk = sum.size() == 2 && HexDigit(sum[0]) >= 0 && HexDigit(sum[1]) >= 0 &&
                    HexDigit(sum[0]) * 16 + HexDigit(sum[1]) == x;
        }
        const QList<QStringView> f = body.split(u',');
        if (f.isEmpty() || f[0].size() < 3) continue;
        const QStringView id = f[0];
        const bool isRmc = id.size() == 5 && id.endsWith(u"RMC");
        const bool isGga = id.size() == 5 && id.endsWith(u"GGA");
        const bool isBaro = id == u"PGRMZ";
        if (!isRmc && !isGga && !isBaro) continue;
        if (!sumOk) {
            ++R.Rejected;
            continue;
        }
        if (isRmc) {
            int64_t ms = 0, day = 0;
            int32 lat = 0, lon = 0;
            if (f.size() < 10 || !NmeaTime(f[1], ms)) {
                ++R.Rejected;
                continue;
            }
            openCycle(ms);
            cyc.HasRmc = true;
            cyc.RmcValid = f[2] == u"A" && NmeaAngle(f[3], f[4], 2, lat) && NmeaAngle(f[5], f[6], 3, lon) &&
                           NmeaDate(f[9], day);
            cyc.Lat = lat;
            cyc.Lon = lon;
            cyc.Day = day;
        } else if (isGga) {
            int64_t ms = 0;
            if (f.size() < 10 || !NmeaTime(f[1], ms)) {
                ++R.Rejected;
                continue;
            }
            openCycle(ms);
            double a = 0;
            int32 alt = 0;
            if (f[6] != u"0" && !f[6].isEmpty() && ToDouble(f[9], a) && AltOk(a, alt)) {
                cyc.HasGga = true;
                cyc.GgaAlt = alt;
            }
        } else {
            // $PGRMZ,alt,f|m,...: pressure altitude of the fix cycle it comes in.
            double a = 0;
            int32 alt = 0;
            if (f.size() < 3 || !ToDouble(f[1], a)) {
                ++R.Rejected;
                continue;
            }
            if (f[2] == u"f" || f[2] == u"F") a *= 0.3048;
            if (!AltOk(a, alt)) {
                ++R.Rejected;
                continue;
            }
            if (cyc.Open) {
                cyc.HasBaro = true;
                cyc.BaroAlt = alt;
            } else {
                pendingBaro = true;
                pendingBaroAlt = alt;
            }
        }
    }
    flush();
    return Finish(B, FileName, R, before);
}

// ---- DAT -------------------------------------------------------------------------------------

int ParseDatLine(const QString& Line, TRec& Rec)
{
    QStringView L = QStringView(Line).left(MaxLineLength);
    while (!L.isEmpty() && (L.back() == u'\n' || L.back() == u'\r')) L.chop(1);
    int errors = 0;
    int h = 0, m = 0, s = 0;
    if (Two(L, 0, h) && Two(L, 2, m) && Two(L, 4, s) && h < 24 && m < 60 && s < 60 &&
        (L.size() == 6 || L[6] == u' ' || L[6] == u'\t'))
        Rec.Time = MsToUnits(((int64_t(h) * 60 + m) * 60 + s) * 1000);
    else
        ++errors;
    if (L.size() > 6) {
        const QList<QStringView> f = SplitWs(L.mid(6));
        double la = 0, lo = 0;
        int32 a = 0, g = 0;
        if (f.size() > 0 && ToDouble(f[0], la) && DegToInt(la, 90, Rec.Lat)) {
        } else
            ++errors;
        if (f.size() > 1 && ToDouble(f[1], lo) && DegToInt(lo, 180, Rec.Lon)) {
        } else
            ++errors;
        if (f.size() > 2 && ToInt(f[2], a) && std::abs(double(a)) <= MaxAltitude)
            Rec.Alt = a;
        else
            ++errors;
        if (f.size() > 3) {
            if (ToInt(f[3], g) && std::abs(double(g)) <= MaxAltitude)
                Rec.AltGps = g;
            else
                ++errors;
        } else {
            Rec.AltGps = Rec.Alt;
        }
        if (f.size() > 4) ++errors; // a field more than the format has
        return errors;
    }
    return errors + 3; // latitude, longitude and altitude missing
}

bool ParseDatHeader(const QString& Line, TDateTime& Date)
{
    QStringView L(Line);
    if (!L.startsWith(u"Date") || L.size() < 11) return false;
    int d = 0, m = 0, y = 0;
    if (!Two(L, 5, d) || !Two(L, 7, m) || !Two(L, 9, y)) return false;
    int64_t day = 0;
    if (!DayNumber(L[9] == u'8' || L[9] == u'9' ? 1900 + y : 2000 + y, m, d, day)) return false;
    Date = TDateTime(day);
    return true;
}

bool IsDatHeader(QStringView L)
{
    if (!L.startsWith(u"Date")) return false;
    const QStringView d = L.mid(5, 6);
    return !d.trimmed().isEmpty();
}

bool LoadDatTrj(const QString& FileName, TReadReport& R)
{
    return LoadFromFile(LoadDatTrjData, FileName, R);
}

bool LoadDatTrjData(const QByteArray& Data, const QString& FileName, TReadReport& R)
{
    const int before = R.Traces;
    const QString Text = Decode(Data);
    TTrjBuilder B(FileName, R);
    B.NewTrace();
    TRec rec;
    for (QStringView line : Lines(Text)) {
        if (line.startsWith(u'*')) line = line.mid(1);
        if (line.trimmed().isEmpty()) continue;
        if (IsDatHeader(line)) {
            TDateTime date = 0;
            if (ParseDatHeader(line.toString(), date)) {
                B.NewTrace(QString(), date, true);
            } else {
                ++R.Rejected;
                B.NewTrace();
            }
            continue;
        }
        rec = TRec();
        if (ParseDatLine(line.toString(), rec) != 0) {
            ++R.Rejected;
            continue;
        }
        B.AddTimeOfDay(rec.Lat, rec.Lon, rec.Alt, rec.AltGps, rec.Time);
    }
    return Finish(B, FileName, R, before);
}

QByteArray WriteDatTrj(const TTrj& T)
{
    QString out;
    if (T.Date != 0) {
        int y, m, d;
        DayToDate(int64_t(std::floor(T.Date)), y, m, d);
        out += QStringLiteral("Date %1%2%3\r\n")
                   .arg(d, 2, 10, QLatin1Char('0'))
                   .arg(m, 2, 10, QLatin1Char('0'))
                   .arg(y % 100, 2, 10, QLatin1Char('0'));
    }
    auto alt = [](int32 a) {
        const int32 c = std::clamp<int32>(a, -int32(MaxAltitude), int32(MaxAltitude));
        return (c < 0 ? QStringLiteral("-") : QStringLiteral("+")) +
               QString::number(std::abs(c)).rightJustified(4, u'0');
    };
    for (const TRec* P = T.First; P; P = P->Next) {
        const int64_t sec = ((UnitsToSeconds(P->Time) % 86400) + 86400) % 86400;
        out += QStringLiteral("%1%2%3 %4 %5 %6 %7\r\n")
                   .arg(int(sec / 3600), 2, 10, QLatin1Char('0'))
                   .arg(int(sec / 60 % 60), 2, 10, QLatin1Char('0'))
                   .arg(int(sec % 60), 2, 10, QLatin1Char('0'))
                   .arg(IntDegToText(P->Lat, 2, true), IntDegToText(P->Lon, 3, true), alt(P->Alt),
                        alt(P->AltGps));
    }
    return out.toLatin1();
}
