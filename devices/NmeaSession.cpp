#include "devices/NmeaSession.h"

#include "devices/DeviceViews.h"
#include "files/FormatText.h"
#include "model/Calc.h"
#include "model/ModelUi.h"
#include "platform/Numbers.h"

#include <algorithm>
#include <cmath>

namespace {

// Receivers at 5 to 10 Hz send more than a tick of 200 bytes: each tick takes what is queued.
constexpr int ReadChunk = 4096;
// Text without a line end is kept to this size (a receiver sending no CR LF).
constexpr int MaxPending = 4096;
constexpr int IntervalMs = 200;
const QString Source = QStringLiteral("NMEA 0183");

bool TwoDigits(const QString& S, int At, int& V)
{
    if (S.size() < At + 2) return false;
    const QChar a = S[At], b = S[At + 1];
    if (!a.isDigit() || !b.isDigit() || a.unicode() > '9' || b.unicode() > '9') return false;
    V = (a.unicode() - '0') * 10 + (b.unicode() - '0');
    return true;
}

bool Number(const QString& S, double& V)
{
    return FormatText::ToDouble(S, V) && std::isfinite(V);
}

// ddmm.mmmm (or dddmm.mmmm) to 1e-5 degree; false when it does not convert.
bool Angle(const QString& S, double& Deg)
{
    double v = 0;
    if (!Number(S, v) || v < 0 || v >= 18100.0) return false;
    const double h = v / 100;
    Deg = std::trunc(h) + (h - std::trunc(h)) / 0.6;
    return true;
}

} // namespace

bool TestNmeaLine(const QString& Line, bool Check)
{
    if (!Check) return true;
    const qsizetype a = Line.indexOf(u'$'), b = Line.indexOf(u'*');
    if (a < 0 || b < 0 || b < a) return false;
    uint8_t x = 0;
    for (qsizetype i = a + 1; i < b; ++i) x ^= uint8_t(Line[i].unicode() & 0xFF);
    const QString hex = QString::number(x, 16).toUpper().rightJustified(2, u'0');
    return Line.mid(b + 1, 2) == hex;
}

QStringList NmeaFields(const QString& Line, int Count)
{
    QStringList out;
    qsizetype at = Line.indexOf(u',');
    out << (at < 0 ? Line : Line.left(at));
    for (int i = 1; i <= Count; ++i) {
        if (at < 0) {
            out << QString();
            continue;
        }
        const qsizetype next = Line.indexOf(u',', at + 1);
        out << (next < 0 ? QString() : Line.mid(at + 1, next - at - 1));
        at = next;
    }
    return out;
}

QString NmeaKind(const QString& Line)
{
    if (!Line.startsWith(u'$')) return QString();
    const QString name = Line.mid(1, Line.indexOf(u',') < 0 ? -1 : Line.indexOf(u',') - 1);
    if (name.startsWith(u'P')) return name;
    return name.mid(2);
}

TRmcFix ReadRmc(const QString& Line, double Altitude, bool AltMetres)
{
    const QStringList f = NmeaFields(Line, 11);
    TRmcFix r;
    const QString& time = f[1];
    const QString& date = f[9];
    r.Date = date.mid(0, 2) + u'/' + date.mid(2, 2) + u'/' + date.mid(4, 2);
    r.Name = date.mid(4, 2) + date.mid(2, 2) + date.mid(0, 2);
    const QString hms = time.mid(0, 2) + u':' + time.mid(2, 2) + u':' + time.mid(4, 2);
    r.L1 = f[2] + QStringLiteral(":   ") + r.Date + QStringLiteral("   ") + hms;
    r.L2 = f[4] + f[3].mid(0, 2) + u'°' + f[3].mid(2, 5) + QStringLiteral("'   ") + f[6] + f[5].mid(0, 3) +
           u'°' + f[5].mid(3, 5) + u'\'';
    r.L3 = f[7] + QStringLiteral("kts     ") + f[8] + QStringLiteral("°     ") +
           QString::number(Round(Altitude)) + (AltMetres ? QStringLiteral("m") : QStringLiteral("ft"));

    bool ok = f[2] == QLatin1String("A");
    int hh = 0, mm = 0, ss = 0;
    ok = TwoDigits(time, 0, hh) && TwoDigits(time, 2, mm) && TwoDigits(time, 4, ss) && ok;
    double lat = 0, lon = 0;
    ok = Angle(f[3], lat) && lat <= 90 && Angle(f[5], lon) && lon <= 180 && ok;
    if (f[4] == QLatin1String("S"))
        lat = -lat;
    else if (f[4] != QLatin1String("N"))
        ok = false;
    if (f[6] == QLatin1String("W"))
        lon = -lon;
    else if (f[6] != QLatin1String("E"))
        ok = false;
    r.Error = !ok;
    if (!ok) return r;
    r.Time = Round((hh + mm / 60.0 + ss / 3600.0) * 100000);
    r.Lat = Round(lat * 100000);
    r.Lon = Round(lon * 100000);
    int d = 0, m = 0, y = 0;
    TDateTime day = 0;
    if (hh < 24 && mm < 60 && ss < 60 && TwoDigits(date, 0, d) && TwoDigits(date, 2, m) &&
        TwoDigits(date, 4, y) && TryEncodeDate(y >= 80 ? 1900 + y : 2000 + y, m, d, day)) {
        r.DateOk = true;
        r.At = day + (hh * 3600 + mm * 60 + ss) / 86400.0;
    }
    return r;
}

// ---- TNmeaSession ----------------------------------------------------------------------------

TNmeaSession::TNmeaSession(ISerialLink& Link, const TDeviceUi& Ui)
    : TDeviceSession(Link, Ui), fFix(std::make_unique<TRec>())
{
}

TNmeaSession::~TNmeaSession() = default;

int TNmeaSession::TicksFor(int Ms)
{
    // Counted in ticks of the window's own pace, whatever a test makes of its timer.
    return Ms / IntervalMs;
}

void TNmeaSession::SetLines(const QString& L1, const QString& L2, const QString& L3)
{
    InfoL1 = L1;
    InfoL2 = L2;
    InfoL3 = L3;
    if (OnInfo) OnInfo();
}

bool TNmeaSession::StartReading(const QString& Port, TBaudRate Rate)
{
    SetTimer(false);
    if (Trj && !Trj->Loaded) {
        TTrj* T = Trj;
        const uint32_t id = T->Id;
        TrjLoaded(T);
        if (TTrj* still = FindTrj(id)) still->SaveState = 2;
    }
    IdleTicks = FixCount = 0;
    NoRmcCount = 0;
    Altitude = 0;
    SetLines(MsgTexts.Reading, QString(), QString());
    RxText.clear();
    Link().SetBaudRate(Rate);
    return StartLink(Port, IntervalMs);
}

void TNmeaSession::CloseSession()
{
    SetTimer(false);
    if (Ui().Prompts && Ui().Prompts->AdviceVisible()) Ui().Prompts->HideAdvice();
    try {
        Link().Close();
    } catch (...) {
        // Closing the window releases the port whatever it says.
    }
    if (TTrj* T = LiveTrj(); T && T->First) {
        TrjLoaded(T);
        if (TTrj* still = LiveTrj()) still->SaveState = 2;
    }
}

void TNmeaSession::Failed(const QString&)
{
    // The line went away: what was recorded stays, finished.
    if (TTrj* T = LiveTrj(); T && T->First) {
        TrjLoaded(T);
        if (TTrj* still = LiveTrj()) still->SaveState = 2;
    }
}

void TNmeaSession::Step()
{
    const QByteArray got = ReadLink(ReadChunk);
    RxText += got;
    for (qsizetype end; (end = RxText.indexOf("\r\n")) >= 0;) {
        if (Ui().Prompts && Ui().Prompts->AdviceVisible()) Ui().Prompts->HideAdvice();
        IdleTicks = 0;
        const QByteArray line = RxText.left(end);
        RxText.remove(0, end + 2);
        TakeLine(QString::fromLatin1(line));
    }
    if (RxText.size() > MaxPending) RxText = RxText.right(MaxPending);
    ++IdleTicks;
    if (IdleTicks > TicksFor(3000)) {
        SetLines(MsgTexts.NoData, QString(), QString());
        if (IdleTicks > TicksFor(10000)) {
            if (Ui().Prompts) Ui().Prompts->ShowAdvice(MsgTexts.Advice);
            IdleTicks = 0;
        }
    }
}

void TNmeaSession::TakeLine(const QString& Line)
{
    const QString kind = NmeaKind(Line);
    if (kind == QLatin1String("RMC")) {
        NoRmcCount = 0;
        if (!TestNmeaLine(Line, Checksum)) {
            SetLines(MsgTexts.BadRmc, QString(), QString());
            return;
        }
        TakeRmc(Line);
        return;
    }
    ++NoRmcCount;
    if (NoRmcCount > TicksFor(3000)) SetLines(MsgTexts.NoRmc, QString(), QString());
    if (kind == QLatin1String("GGA") && TestNmeaLine(Line, Checksum)) {
        const QStringList f = NmeaFields(Line, 10);
        double a = 0;
        Altitude = Number(f[9], a) ? a : 0;
        AltMetres = f[10] == QLatin1String("M");
    } else if ((kind == QLatin1String("PGRMA") || kind == QLatin1String("PGRMZ")) &&
               TestNmeaLine(Line, Checksum)) {
        const QStringList f = NmeaFields(Line, 1);
        double a = 0;
        Altitude = Number(f[1], a) ? a : 0;
        AltMetres = false;
    }
}

void TNmeaSession::TakeRmc(const QString& Line)
{
    const TRmcFix r = ReadRmc(Line, Altitude, AltMetres);
    SetLines(r.L1, r.L2, r.L3);
    TTrj* T = LiveTrj();
    // The trace of this reading was closed: the next good fix starts another.
    if (!T && FixCount > 0) FixCount = 0;
    if (r.Error) return;
    if (FixCount == 0) {
        if (Altitude == 0 || !r.DateOk) return;
        T = NewTrj();
        fTrjId = T->Id;
        T->Name = r.Name;
        T->Source = Source;
        FixDate = r.Date;
        T->StartTime = r.At;
        T->EndTime = 0;
    }
    if (!T || !r.DateOk) return;
    fFix->Lat = r.Lat;
    fFix->Lon = r.Lon;
    fFix->Time = r.Time;
    fFix->Alt = fFix->AltGps = AltMetres ? Round(Altitude) : Round(Altitude * 0.3048);
    const double every = std::max<int32>(EcartSec, 1) - 0.5;
    if (r.At >= T->EndTime + every / 86400.0) {
        if (!T->AddRec(fFix)) return; // full: the message was given once
        FollowLivePoint(*T);
        T->EndTime = r.At;
    }
    if (FixCount == 2) {
        TrjLoaded(T);
        if ((T = LiveTrj())) T->CurRec = T->First;
        // The trace is drawn from now on: it comes into sight.
        ShowReceived();
        RefreshViews();
    }
    ++FixCount;
}

void TNmeaSession::FollowLivePoint(TTrj& T)
{
    // The views follow the live trace only while it is the one they show.
    if (&T != Trj) return;
    if (!T.LiveRec) T.LiveRec = T.First;
    T.SelLast = T.Last;
    IDeviceViews* v = DeviceViews();
    if (MoveSel && v) v->DrawCursor(false, T.CurRec);
    if (v) v->DrawSecTrj();
    if (MoveSel) {
        T.CurRec = T.Last;
        if (v) {
            v->DrawCursor(true, T.Last);
            v->RefreshPanel();
        }
    }
    T.LiveRec = T.Last;
    if (AutoCtg && v && T.CurRec && !v->IsInCentralZone(T.CurRec)) v->CentreOn(T.CurRec->Lat, T.CurRec->Lon);
}
