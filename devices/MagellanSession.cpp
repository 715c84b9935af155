#include "devices/MagellanSession.h"

#include "devices/GpsNames.h"
#include "model/Calc.h"
#include "model/ModelUi.h"
#include "model/Texts.h"
#include "platform/Text1252.h"

#include <QDate>
#include <QDateTime>
#include <cmath>

namespace {

// Silence, or resending without an acknowledgement, for this long shows the advice.
constexpr qint64 AdviceMs = 5000;

struct TSpeed
{
    int Bits;
    TBaudRate Rate;
    int Ms;
};
constexpr TSpeed Speeds[] = {{1200, br1200, 200},  {4800, br4800, 80},   {9600, br9600, 40},
                             {19200, br19200, 20}, {57600, br57600, 10}, {115200, br115200, 5}};

const TSpeed& SpeedOf(int Index)
{
    return Speeds[qBound(0, Index, 5)];
}

bool ShowsStep(int S)
{
    return (S >= 0 && S <= 6) || S == 10 || S == 11 || S == 30 || S == 31 || S == 40 || S == 50 || S == 51 ||
           (S >= 60 && S <= 64) || (S >= 70 && S <= 83) || (S >= 200 && S <= 202);
}

TDateTime UtcToday()
{
    return static_cast<TDateTime>(QDate(1899, 12, 30).daysTo(QDateTime::currentDateTimeUtc().date()));
}

} // namespace

QString TMagellanSession::Text(TTextId Id)
{
    switch (Id) {
    case MsgCheckLink:
        return Tr(
            QStringLiteral("Vérifier que le GPS Magellan est correctement connecté au port %1 du PC et que "
                           "la vitesse de son interface est configurée sur %2.\r\nPuis essayer à nouveau de "
                           "relancer le transfert."),
            QStringLiteral("Check that the Magellan GPS is connected to port %1 of the PC and that the "
                           "speed of its interface is set to %2.\r\nThen try the transfer again."));
    case MsgWptFirst:
        return Tr(
            QStringLiteral(
                "Les way-points n'ont pas été déchargé du GPS.\r\nSi les way-points de la route du "
                "GPS sont différents de ceux du PC,\r\n cela risque de provoquer des "
                "erreurs.\r\nDécharger les way-points du GPS avant de continuer ?"),
            QStringLiteral("The waypoints have not been read from the GPS.\r\nIf the waypoints of the GPS "
                           "route differ from those of the PC,\r\n errors may follow.\r\nRead the waypoints "
                           "of the GPS before going on?"));
    case MsgWptSentMgn:
        return Tr(QStringLiteral("Way-points transférés : %1."), QStringLiteral("Waypoints sent: %1."));
    case MsgRteReadMgn:
        return Tr(QStringLiteral("Route %1 reçue du GPS  -  Erreur(s) détectée(s): %2."),
                  QStringLiteral("Route %1 received from the GPS  -  Error(s) detected: %2."));
    case MsgErased:
        return Tr(QStringLiteral("Vérifier que les données sont effacées"),
                  QStringLiteral("Check that the data are erased"));
    }
    return QString();
}

TMagellanSession::TMagellanSession(ISerialLink& Link, const TDeviceUi& Ui) : TTransferSession(Link, Ui) {}

TMagellanSession::~TMagellanSession() = default;

int TMagellanSession::Speed(int Index)
{
    return SpeedOf(Index).Bits;
}

int TMagellanSession::TickMs(int Index)
{
    return SpeedOf(Index).Ms;
}

QString TMagellanSession::VerText() const
{
    return fVer1 + QStringLiteral("  -  ") + fVer2 + QStringLiteral("  -  ") + fVer3;
}

// ---- Sentences -------------------------------------------------------------------------------

void TMagellanSession::MgnSendSentence(QByteArrayView Command, const QList<QByteArray>& Fields)
{
    const QByteArray s = MgnSentence(Command, Fields);
    if (Command != "CSM") {
        fPrevSentSum = fLastSentSum;
        fLastSentSum = MgnChecksum(s);
    }
    WriteLink(s);
    TraceUnit(true, s);
}

int TMagellanSession::MgnReadSentence()
{
    fReader.Append(ReadLink(200));
    const TMgnReader::TResult r = fReader.Next(fRx);
    if (r != TMgnReader::None) TraceUnit(false, fRx.Raw + "\r\n");
    fRxGood = r == TMgnReader::Good;
    return r;
}

int TMagellanSession::MgnCsmMatches() const
{
    if (!fRxGood || fRx.Command != "CSM") return 2;
    return fRx.Field(1) == fLastSentSum ? 1 : 0;
}

bool TMagellanSession::LateAck() const
{
    // The acknowledgement of the sentence before the last one (HANDON's, which nothing waits
    // for) must not make the last one go again.
    return fRxGood && fRx.Command == "CSM" && !fPrevSentSum.isEmpty() && fRx.Field(1) == fPrevSentSum &&
           fRx.Field(1) != fLastSentSum;
}

// ---- Commands --------------------------------------------------------------------------------

void TMagellanSession::Activate()
{
    if (Running()) return;
    fState = 255;
    fWptsLoaded = false;
    fRouteAfterWpt = false;
}

bool TMagellanSession::StartCom(int Target, bool ForceHandshake, const QString& Port)
{
    SetTimer(false);
    KeepWhatCame();
    fReader.Clear();
    fRxGood = false;
    fPort = Port;
    const TSpeed& sp = SpeedOf(Options.SpeedIndex);
    Link().SetBaudRate(sp.Rate);
    fIdleTicks = 0;
    fTarget = Target;
    fState = 0;
    fLastSentSum.clear();
    fPrevSentSum.clear();
    fFirstTry = Now();
    fResendAdvice = false;
    fDrtAsked = false;
    fLastRaw.clear();
    if (OnInfoAlign) OnInfoAlign(true);
    fHandshake = ForceHandshake || Options.FlowCheckBtn;
    if (!StartLink(Port, sp.Ms)) {
        fState = 255;
        fRouteAfterWpt = false;
        return false;
    }
    return true;
}

void TMagellanSession::GpsId(const QString& Port)
{
    fRouteAfterWpt = false;
    StartCom(9, true, Port);
}

void TMagellanSession::DownTrk(const QString& Port)
{
    fRouteAfterWpt = false;
    StartCom(10, false, Port);
}

void TMagellanSession::DownWpt(const QString& Port)
{
    const bool interrupted = fState >= 30 && fState <= 35;
    SetTimer(false);
    KeepWhatCame();
    if (!PrepareWaypoints(interrupted)) {
        fRouteAfterWpt = false;
        return;
    }
    StartCom(30, false, Port);
}

void TMagellanSession::DownRte(const QString& Port)
{
    if (!Stn) return;
    fRouteAfterWpt = false;
    if (!fWptsLoaded) {
        const int a = Ask(Text(MsgWptFirst), TMsgType::Confirmation, mbYes | mbNo | mbCancel);
        if (a != mrYes && a != mrNo) return;
        if (a == mrYes) {
            // The route is asked for once the waypoints are in (state 33).
            fRouteAfterWpt = true;
            DownWpt(Port);
            return;
        }
    }
    AskRouteAndStart(Port);
}

void TMagellanSession::AskRouteAndStart(const QString& Port)
{
    int n = 1;
    if (!AskRouteNumber(true, n)) return;
    fRouteNo = QString::number(n);
    fRoute.Begin(fRouteNo, false);
    fRouteTaken = 0;
    StartCom(50, false, Port);
}

void TMagellanSession::UpWpt(const QString& Port)
{
    fRouteAfterWpt = false;
    fSendCount = 0;
    if (CheckUpload(Options.WptLenNmeEdit, Options.SelOnlyBtn, fSendCount, true)) StartCom(40, true, Port);
}

void TMagellanSession::UpRte(const QString& Port)
{
    fRouteAfterWpt = false;
    if (!Stn || Stn->Count == 0) return;
    int n = 1;
    if (!AskRouteNumber(false, n)) return;
    fRouteNo = QString::number(n);
    StartCom(60, true, Port);
}

void TMagellanSession::Erase(const QString& Port)
{
    fRouteAfterWpt = false;
    StartCom(70, true, Port);
}

void TMagellanSession::ShowTrace()
{
    // Only a trace this download is filling is touched, and only once it holds a fix.
    TTrj* t = fState == 12 ? FlightTrj() : nullptr;
    if (t && t->First) {
        if (Trj != t) SetCurrentTrj(t);
        TrjLoaded(t);
    }
    if (Trj && Trj->Last) Trj->CurRec = Trj->Last;
    RefreshViews();
}

void TMagellanSession::Stopped()
{
    fRouteAfterWpt = false;
}

// ---- Helpers ---------------------------------------------------------------------------------

void TMagellanSession::Ack()
{
    if (fHandshake) MgnSendSentence("CSM", {fRx.Checksum});
}

void TMagellanSession::Advice()
{
    if (Ui().Prompts)
        Ui().Prompts->ShowAdvice(Text(MsgCheckLink).arg(fPort).arg(SpeedOf(Options.SpeedIndex).Bits));
}

void TMagellanSession::Silence()
{
    ++fIdleTicks;
    const int ms = qMax(1, SpeedOf(Options.SpeedIndex).Ms);
    if (fIdleTicks > AdviceMs / ms) {
        Advice();
        fIdleTicks = 0;
    }
}

void TMagellanSession::Resent()
{
    // Resending goes on without limit, but the user hears of it.
    if (Now() - fFirstTry >= AdviceMs) {
        Advice();
        fResendAdvice = true;
        fFirstTry = Now();
    }
}

void TMagellanSession::Acked()
{
    fFirstTry = Now();
    if (fResendAdvice && Ui().Prompts) Ui().Prompts->HideAdvice();
    fResendAdvice = false;
}

int TMagellanSession::WaitPrev(int State)
{
    switch (State) {
    case 2:
    case 4:
    case 11:
    case 31:
    case 42:
    case 51:
    case 62:
    case 64:
    case 71:
    case 74:
    case 76:
    case 78:
    case 80:
    case 82:
    case 201:
        return State - 1;
    default:
        return -1;
    }
}

bool TMagellanSession::Repeated()
{
    // With the handshake a receiver that missed our acknowledgement sends the same sentence
    // again: it is acknowledged again but taken once.
    const bool again = fHandshake && fRx.Raw == fLastRaw;
    fLastRaw = fRx.Raw;
    if (again) Ack();
    return again;
}

void TMagellanSession::Wait(int Next, int Prev)
{
    if (!fRxGood) return;
    if (MgnCsmMatches() == 1) {
        Acked();
        fState = Next;
    } else if (!LateAck()) {
        Resent();
        fState = Prev;
    }
}

void TMagellanSession::EndByNmea(int Target)
{
    if (Options.NmeaOneBtn) {
        fTarget = Target;
        fState = 200;
    } else {
        fState = Target;
    }
}

QByteArray TMagellanSession::GpsField(const QString& Name) const
{
    return MgnField(GpsName(Name.left(Options.WptLenNmeEdit)));
}

void TMagellanSession::SendWpl(const TWptBase& W, const QByteArray& Icon)
{
    MgnSendSentence("WPL",
                    {MgnLatField(W.Lat), W.Lat < 0 ? "S" : "N", MgnLonField(W.Lon), W.Lon < 0 ? "W" : "E",
                     QByteArray::number(W.Alt), "M", GpsField(W.Name), MgnField(GpsName(W.Comment)), Icon});
}

// ---- Tick ------------------------------------------------------------------------------------

void TMagellanSession::Step()
{
    const int r = MgnReadSentence();
    if (r == 0) {
        Silence();
    } else if (r == 1) {
        fIdleTicks = 0;
        // Answers that are not the awaited acknowledgement leave the resend advice up.
        if (!fResendAdvice && Ui().Prompts && Ui().Prompts->AdviceVisible()) Ui().Prompts->HideAdvice();
    } else {
        // Damaged sentences only are as bad as silence.
        Silence();
        if ((fState == 12 || fState == 32 || fState == 52) && !fHandshake) ++fErrorCount;
        // Awaiting an acknowledgement, a damaged sentence is taken for a negative one: a lost
        // acknowledgement would otherwise stall the transfer for good.
        const int prev = WaitPrev(fState);
        if (prev >= 0) {
            Resent();
            fState = prev;
        }
        return;
    }

    switch (fState) {
    case 0:
        MgnSendSentence("CMD", {fHandshake ? "HANDON" : "HANDOFF"});
        fState = 1;
        break;
    case 1:
        MgnSendSentence("CMD", {"NMEAOFF", "2"});
        fState = fHandshake ? 2 : 3;
        break;
    case 2:
        Wait(3, 1);
        break;
    case 3:
        MgnSendSentence("CMD", {"VERSION", "2"});
        fState = fHandshake ? 4 : 5;
        break;
    case 4:
        Wait(5, 3);
        break;
    case 5:
        if (fRxGood && fRx.Command == "VER") {
            fVer1 = FromWin1252(fRx.Field(3));
            fVer2 = FromWin1252(fRx.Field(2));
            fVer3 = FromWin1252(fRx.Field(5));
            Ack();
            fState = 6;
        }
        break;
    case 6:
    case 202:
        fState = fTarget;
        break;
    case 9:
        Finish(VerText());
        break;
    case 10: {
        MgnSendSentence("CMD", {"TRACK", "2"});
        fCount = fErrorCount = 0;
        StartFlights(QStringLiteral("GPS Magellan"), Options.TrjTimeBox, Options.TrjTimeEdit, false);
        fState = fHandshake ? 11 : 12;
        break;
    }
    case 11:
        Wait(12, 10);
        break;
    case 12:
        TrackPoint();
        break;
    case 13:
        FinishDownload(DeviceText(TDeviceText::PointsRead).arg(fCount).arg(FlightCount()).arg(fErrorCount));
        break;
    case 30:
        MgnSendSentence("CMD", {"WAYPOINT"});
        fCount = fErrorCount = 0;
        fState = fHandshake ? 31 : 32;
        break;
    case 31:
        Wait(32, 30);
        break;
    case 32:
        WptSentence();
        break;
    case 33:
        FinishDownload(DeviceText(TDeviceText::WptRead).arg(fCount).arg(fErrorCount));
        fWptsLoaded = true;
        if (fRouteAfterWpt) {
            fRouteAfterWpt = false;
            AskRouteAndStart(fPort);
        }
        break;
    case 40:
        fCount = fErrorCount = 0;
        fWptCursor = Swp ? Swp->First : nullptr;
        fState = 41;
        [[fallthrough]];
    case 41:
        while (fWptCursor && Options.SelOnlyBtn && !fWptCursor->Rep) fWptCursor = fWptCursor->Next;
        if (!fWptCursor || !Swp) {
            EndByNmea(43);
            break;
        }
        SendWpl(*fWptCursor, QByteArray());
        Info(QStringLiteral("  %1/%2  %3").arg(fCount).arg(fSendCount).arg(fWptCursor->Name));
        fState = 42;
        break;
    case 42:
        if (!fRxGood || LateAck()) break;
        if (MgnCsmMatches() == 1) {
            ++fCount;
            fWptCursor = fWptCursor->Next;
            Acked();
        } else {
            Resent();
        }
        fState = 41;
        break;
    case 43:
        Finish(Text(MsgWptSentMgn).arg(fCount));
        break;
    case 50:
        MgnSendSentence("CMD", {"ROUTE"});
        fCount = fErrorCount = 0;
        fRoute.Begin(fRouteNo, false);
        fRouteTaken = 0;
        fState = fHandshake ? 51 : 52;
        break;
    case 51:
        Wait(52, 50);
        break;
    case 52:
        RteSentence();
        break;
    case 53:
        FinishDownload(Text(MsgRteReadMgn).arg(fRouteNo).arg(fErrorCount));
        break;
    case 60:
        fCount = fErrorCount = 0;
        fTrnCursor = Stn ? Stn->First : nullptr;
        fTrnIndex = 0;
        fState = 61;
        [[fallthrough]];
    case 61:
    case 62:
    case 63:
    case 64:
        RouteUpload();
        break;
    case 65:
        Finish(DeviceText(TDeviceText::RteSent).arg(fRouteNo));
        break;
    case 70:
        if (Options.DelTrkBtn) {
            MgnSendSentence("CMD", {"DELETE", "TRACK"});
            fState = 71;
        } else {
            fState = 72;
        }
        break;
    case 71:
        Wait(72, 70);
        break;
    case 72:
        fWptCursor = Swp ? Swp->First : nullptr;
        fState = Options.DelSelWptBtn ? 73 : 75;
        break;
    case 73:
        while (fWptCursor && !fWptCursor->Rep) fWptCursor = fWptCursor->Next;
        if (!fWptCursor) {
            fState = 75;
            break;
        }
        MgnSendSentence("DWP", {GpsField(fWptCursor->Name)});
        Info(fWptCursor->Name);
        fState = 74;
        break;
    case 74:
        if (!fRxGood || LateAck()) break;
        if (MgnCsmMatches() == 1) {
            fWptCursor = fWptCursor->Next;
            Acked();
        } else {
            Resent();
        }
        fState = 73;
        break;
    case 75:
        if (Options.DelAllWptBtn) {
            MgnSendSentence("CMD", {"DELETE", "WAYPOINTS"});
            fState = 76;
        } else {
            fState = 77;
        }
        break;
    case 76:
        Wait(77, 75);
        break;
    case 77:
        if (!Options.DelOneRteBtn) {
            fState = 79;
            break;
        }
        if (!fDrtAsked) {
            SetTimer(false);
            int n = 1;
            const bool ok = AskRouteNumber(true, n);
            SetTimer(true);
            // Route numbers start at 1 here: 0 would go as "-1".
            if (!ok || n < 1) {
                fState = 79;
                break;
            }
            fDrtAsked = true;
            fRouteNo = QStringLiteral("%1").arg(n - 1, 2, 10, QLatin1Char('0'));
        }
        MgnSendSentence("DRT", {fRouteNo.toLatin1()});
        fState = 78;
        break;
    case 78:
        Wait(79, 77);
        break;
    case 79:
        if (Options.DelAllRteBtn) {
            MgnSendSentence("CMD", {"DELETE", "ROUTES"});
            fState = 80;
        } else {
            fState = 81;
        }
        break;
    case 80:
        Wait(81, 79);
        break;
    case 81:
        if (Options.DelAllBtn) {
            MgnSendSentence("CMD", {"DELETE", "ALL"});
            fState = 82;
        } else {
            fState = 83;
        }
        break;
    case 82:
        Wait(83, 81);
        break;
    case 83:
        EndByNmea(84);
        break;
    case 84:
        Finish(Text(MsgErased));
        break;
    case 200:
        MgnSendSentence("CMD", {"NMEAON", "2"});
        fState = fHandshake ? 201 : 202;
        break;
    case 201:
        Wait(202, 200);
        break;
    default:
        break;
    }
    if (Running() && ShowsStep(fState)) Info(QStringLiteral("Etape = %1").arg(fState), true);
}

// ---- Track -----------------------------------------------------------------------------------

void TMagellanSession::TrackPoint()
{
    if (fRxGood && fRx.Command == "TRK") {
        if (Repeated()) return;
        Ack();
        TRec fix;
        int32 time = 0;
        TDateTime date = 0;
        bool good = MgnParsePosition(fRx, fix);
        int32 alt = 0;
        if (MgnParseAlt(fRx.Field(5), fRx.Field(6), alt)) fix.Alt = alt;
        // A point without a good time would take the time of the fix before it.
        good = MgnParseTime(fRx.Field(7), time) && good;
        good = MgnParseDate(fRx.Field(10), Today ? Today() : UtcToday(), date) && good;
        if (good && !MgnDateTime(date, time, fDateTime)) good = false;
        if (!good)
            ++fErrorCount;
        else
            AddFix(fix, fDateTime, false);
        ++fCount;
    } else if (fRxGood && fRx.Command == "CMD" && fRx.Field(1) == "END") {
        FinishFlights();
        EndByNmea(13);
        Ack();
        return;
    }
    TrackInfo();
}

void TMagellanSession::TrackInfo()
{
    QString s = QStringLiteral("%1").arg(fCount, 4, 10, QLatin1Char('0'));
    if (fDateTime > 0) {
        const int sec = static_cast<int>(std::lround((fDateTime - std::floor(fDateTime)) * 86400.0)) % 86400;
        s += QStringLiteral("  %1:%2:%3")
                 .arg(sec / 3600, 2, 10, QLatin1Char('0'))
                 .arg(sec / 60 % 60, 2, 10, QLatin1Char('0'))
                 .arg(sec % 60, 2, 10, QLatin1Char('0'));
    }
    Info(s + LastFixText());
}

// ---- Waypoints and route ---------------------------------------------------------------------

void TMagellanSession::WptSentence()
{
    if (!fRxGood) return;
    if (fRx.Command == "WPL") {
        if (Repeated()) return;
        Ack();
        TWptBase w;
        if (!MgnParseWpl(fRx, w) || !AddWaypoint(w)) ++fErrorCount;
        ++fCount;
        Info(QStringLiteral("%1  %2").arg(fCount, 4, 10, QLatin1Char('0')).arg(w.Name));
    } else if (fRx.Command == "CMD" && fRx.Field(1) == "END") {
        CompleteWaypoints();
        EndByNmea(33);
        Ack();
    }
}

void TMagellanSession::RteSentence()
{
    if (!fRxGood) return;
    if (fRx.Command == "RTE") {
        if (Repeated()) return;
        Ack();
        if (fRx.Field(3) != "c" || FromWin1252(fRx.Field(4)) != fRouteNo) return;
        fRoute.Header(fRouteNo);
        for (const QString& name : MgnRouteNames(fRx)) {
            fRoute.Point(RoutePoint(name));
            Info(fRouteNo + QStringLiteral("  ") + name);
        }
    } else if (fRx.Command == "CMD" && fRx.Field(1) == "END") {
        Ack();
        fRoute.Commit(Stn);
        EndByNmea(53);
    }
}

void TMagellanSession::RouteUpload()
{
    const int total = Stn ? Stn->Count : 0;
    switch (fState) {
    case 61:
        if (!fTrnCursor) {
            fTrnCursor = Stn ? Stn->First : nullptr;
            fTrnIndex = 0;
            fCount = 0;
            fState = 63;
            RouteUpload();
            return;
        }
        SendWpl(*fTrnCursor, "a");
        fState = 62;
        break;
    case 62:
        if (!fRxGood || LateAck()) break;
        if (MgnCsmMatches() == 1) {
            ++fCount;
            fTrnCursor = fTrnCursor->Next;
            Acked();
        } else {
            Resent();
        }
        fState = 61;
        break;
    case 63: {
        if (!fTrnCursor) {
            fState = 65;
            break;
        }
        QList<QByteArray> f{QByteArray::number((total + 1) / 2),
                            QByteArray::number(fTrnIndex / 2 + 1),
                            "c",
                            fRouteNo.toLatin1(),
                            GpsField(fTrnCursor->Name),
                            "a"};
        if (fTrnCursor->Next) f << GpsField(fTrnCursor->Next->Name) << "a";
        MgnSendSentence("RTE", f);
        fState = 64;
        break;
    }
    case 64:
        if (!fRxGood || LateAck()) break;
        if (MgnCsmMatches() != 1) {
            Resent();
            fState = 63;
            break;
        }
        ++fCount;
        Acked();
        fTrnCursor = fTrnCursor->Next ? fTrnCursor->Next->Next : nullptr;
        fTrnIndex += 2;
        if (fTrnCursor)
            fState = 63;
        else
            EndByNmea(65);
        break;
    default:
        break;
    }
}
