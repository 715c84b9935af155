#include "devices/MlrSession.h"

#include "devices/GpsNames.h"
#include "model/Calc.h"
#include "model/ModelUi.h"
#include "model/Texts.h"

#include <cmath>

namespace {

// No useful data for this long: the connection advice shows (and again after as long).
constexpr qint64 SilenceMs = 8000;
// A text buffer without a line end past this is noise.
constexpr qsizetype MaxLine = 4096;

QString DateTimeText(TDateTime T)
{
    int y = 0, m = 0, d = 0;
    DecodeDate(T, y, m, d);
    const int s = static_cast<int>(std::lround((T - std::floor(T)) * 86400.0));
    return QStringLiteral("%1/%2/%3 %4:%5:%6")
        .arg(d, 2, 10, QLatin1Char('0'))
        .arg(m, 2, 10, QLatin1Char('0'))
        .arg(y % 100, 2, 10, QLatin1Char('0'))
        .arg(s / 3600, 2, 10, QLatin1Char('0'))
        .arg(s / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(s % 60, 2, 10, QLatin1Char('0'));
}

QString TwoDigits(int N)
{
    return QStringLiteral("%1").arg(N, 2, 10, QLatin1Char('0'));
}

} // namespace

QString TMlrSession::Text(TTextId Id)
{
    switch (Id) {
    case MsgRteWarn:
        return Tr(QStringLiteral("Attention les way-points du GPS doivent exister sur le PC.\rContinuer ?"),
                  QStringLiteral("Beware: the waypoints of the GPS must exist on the PC.\rContinue?"));
    case MsgWptSent:
        return Tr(QStringLiteral("Way-points transmis au GPS : %1."),
                  QStringLiteral("Waypoints sent to the GPS: %1."));
    case MsgCheckTrace:
        return Tr(
            QStringLiteral("Vérifier la connexion GPS<->PC\r\net que la sortie série du GPS est sur TRACE."),
            QStringLiteral(
                "Check the GPS<->PC connection\r\nand that the serial output of the GPS is on TRACE."));
    case MsgCheckWpts:
        return Tr(
            QStringLiteral(
                "Vérifier la connexion GPS<->PC\r\net que la sortie série du GPS est sur WPTS+ROUTES."),
            QStringLiteral(
                "Check the GPS<->PC connection\r\nand that the serial output of the GPS is on WPTS+ROUTES."));
    case MsgCheckNmea:
        return Tr(QStringLiteral(
                      "Vérifier la connexion GPS<->PC\r\net que l'entrée série du GPS est sur NMEA.\r\nPuis "
                      "cliquer à nouveau sur le bouton lecture."),
                  QStringLiteral(
                      "Check the GPS<->PC connection\r\nand that the serial input of the GPS is on NMEA.\r\n"
                      "Then click the read button again."));
    case MsgZoneConfirm:
        return Tr(QStringLiteral(
                      "%1 points vont être transférés vers le GPS.\r\nEtes-vous sûr de vouloir continuer ?"),
                  QStringLiteral(
                      "%1 points are going to be sent to the GPS.\r\nAre you sure you want to continue?"));
    case MsgZoneSent:
        return Tr(QStringLiteral("Nb de point transmis : %1"), QStringLiteral("Number of points sent: %1"));
    }
    return QString();
}

TMlrSession::TMlrSession(ISerialLink& Link, const TDeviceUi& Ui) : TTransferSession(Link, Ui) {}

TMlrSession::~TMlrSession() = default;

// ---- Commands --------------------------------------------------------------------------------

void TMlrSession::Activate()
{
    if (Running()) return;
    fState = 255;
}

bool TMlrSession::StartCom(int State, const QString& Port)
{
    SetTimer(false);
    KeepWhatCame();
    fRx.clear();
    fState = State;
    return StartLink(Port);
}

void TMlrSession::GpsId(const QString& Port)
{
    fTrackAfterId = false;
    StartCom(70, Port);
}

void TMlrSession::DownTrk(const QString& Port)
{
    fTrackAfterId = true;
    StartCom(70, Port);
}

void TMlrSession::DownWpt(int Tag, const QString& Port)
{
    const bool interrupted = fState >= 30 && fState <= 49;
    SetTimer(false);
    KeepWhatCame();
    fWantWpt = Tag == 0 || Tag == 2;
    fWantRte = Tag == 1 || Tag == 2;
    if (fWantRte && !Stn) return;
    if (fWantWpt && !PrepareWaypoints(interrupted)) return;
    if (fWantRte && !fWantWpt && Ask(Text(MsgRteWarn), TMsgType::Confirmation, mbOK | mbCancel) != mrOk)
        return;
    if (fWantRte) {
        int n = 0;
        if (!AskRouteNumber(true, n)) return;
        fRouteNo = TwoDigits(n);
    }
    StartCom(Options.WptMde != 0 && Tag == 0 ? 40 : 30, Port);
}

void TMlrSession::UpWpt(const QString& Port)
{
    uint16_t count = 0;
    if (!CheckUpload(6, Options.SelOnlyBtn, count, false)) return;
    fPointNo = count;
    StartCom(50, Port);
}

void TMlrSession::UpRte(const QString& Port)
{
    if (!Stn || Stn->Count == 0) return;
    int n = 0;
    if (!AskRouteNumber(false, n)) return;
    fRouteNo = TwoDigits(n);
    StartCom(60, Port);
}

void TMlrSession::UpSmp(TSln Points, const QString& Port)
{
    if (Points.NbSend >= 500 &&
        Ask(Text(MsgZoneConfirm).arg(Points.NbSend), TMsgType::Confirmation, mbOK | mbCancel) != mrOk)
        return;
    fZones = std::move(Points);
    StartCom(90, Port);
}

void TMlrSession::LastWords()
{
    if (!fFast) return;
    // The receiver listens at 4800 bit/s, one stop bit, whatever speed the data came at.
    PortReset();
    Send(MlrCmd::End);
}

void TMlrSession::Stopped()
{
    fFast = false;
}

// ---- Helpers ---------------------------------------------------------------------------------

void TMlrSession::PortReset()
{
    Link().ClearBuffer(true, true);
    Link().SetBaudRate(br4800);
    Link().SetStopBits(sbOneStopBit);
    fFast = false;
}

void TMlrSession::Send(const QByteArray& Sentence)
{
    WriteLink(Sentence);
    TraceUnit(true, Sentence);
}

void TMlrSession::Useful()
{
    fLastData = Now();
    if (Ui().Prompts && Ui().Prompts->AdviceVisible()) Ui().Prompts->HideAdvice();
}

void TMlrSession::CheckSilence(TTextId Advice)
{
    if (Now() - fLastData <= SilenceMs) return;
    if (Ui().Prompts) Ui().Prompts->ShowAdvice(Text(Advice));
    fLastData = Now();
}

void TMlrSession::ReadText()
{
    const QByteArray in = ReadLink(200);
    fRx += in;
}

bool TMlrSession::TakeLine(QByteArray& Line)
{
    const qsizetype end = fRx.indexOf("\r\n");
    if (end < 0) {
        if (fRx.size() > MaxLine) fRx.clear();
        return false;
    }
    Line = fRx.left(end + 2);
    fRx.remove(0, end + 2);
    if (LogOn()) TraceUnit(false, Line);
    return true;
}

void TMlrSession::ToFast(bool Wpt)
{
    Link().ClearBuffer(true, true);
    const int mode = Wpt ? Options.WptMde : Options.TrjMde;
    Link().SetBaudRate(mode == 1 ? br19200 : br38400);
    Link().SetStopBits(sbTwoStopBits);
    fFast = true;
    fBlocks.Reset(Wpt ? 'W' : 'T');
    SetInterval(1);
    fLastData = Now();
}

QString TMlrSession::Source() const
{
    return (QStringLiteral("MLR ") + fId.Text1 + QLatin1Char(' ') + fId.Text2).trimmed();
}

void TMlrSession::StartFlights()
{
    TTransferSession::StartFlights(Source(), Options.TrjTimeBox, Options.TrjTimeEdit, Options.TrjMlrBox);
}

void TMlrSession::AddMlrFix(const TRec& Fix, TDateTime T, bool Flag)
{
    if (!AddFix(Fix, T, Options.TrjMlrBox && Flag)) return;
    TTrj* t = FlightTrj();
    if (t && t->Pilot.isEmpty()) t->Pilot = fId.PilotName();
}

void TMlrSession::PointInfo(int No, TDateTime T)
{
    Info(QStringLiteral("%1  %2").arg(No, 4, 10, QLatin1Char('0')).arg(DateTimeText(T)) + LastFixText());
}

// ---- Tick ------------------------------------------------------------------------------------

void TMlrSession::Step()
{
    switch (fState) {
    case 11:
    case 31:
    case 71:
        ReadText();
        break;
    case 22:
    case 23:
    case 42:
    case 43:
        fBlocks.Append(ReadLink(200));
        break;
    default:
        break;
    }
    switch (fState) {
    case 10:
        PortReset();
        fRx.clear();
        SetInterval(100);
        fPointNo = fErrorCount = 0;
        StartFlights();
        fLostInPass = false;
        fPassStartNo = 0;
        fLastData = Now();
        fState = 11;
        break;
    case 11:
        TextTrack();
        break;
    case 20:
    case 40:
        PortReset();
        if (fState == 20)
            Send(Options.TrjMde == 1 ? MlrCmd::Track19200 : MlrCmd::Track38400);
        else
            Send(Options.WptMde == 1 ? MlrCmd::Wpt19200 : MlrCmd::Wpt38400);
        SetInterval(400);
        fPointNo = 0;
        ++fState;
        break;
    case 21:
    case 41:
        ToFast(fState == 41);
        ++fState;
        break;
    case 22:
    case 42:
        BinaryStart(fState == 22 ? 'T' : 'W');
        break;
    case 23:
        BinaryTrack();
        break;
    case 43:
        BinaryWpt();
        break;
    case 30:
        PortReset();
        fRx.clear();
        SetInterval(100);
        fPointNo = fErrorCount = 0;
        fFirstName.clear();
        fNames.clear();
        fPass = 1;
        fDamaged = 0;
        fRtePart = 1;
        fRteNames.clear();
        fLastData = Now();
        fState = 31;
        break;
    case 31:
        TextWpt();
        break;
    case 50:
        PortReset();
        SetInterval(500);
        fSentCount = 0;
        fWptCursor = Swp ? Swp->First : nullptr;
        fState = 51;
        break;
    case 51:
        UploadWpt();
        break;
    case 52:
        Finish(Text(MsgWptSent).arg(fPointNo));
        break;
    case 60:
        PortReset();
        SetInterval(500);
        fPointNo = 0;
        fTrnCursor = Stn ? Stn->First : nullptr;
        fTrnCount = Stn ? Stn->Count : 0;
        fState = 61;
        break;
    case 61:
    case 62:
        UploadRte();
        break;
    case 63:
        Finish(DeviceText(TDeviceText::RteSent).arg(fRouteNo));
        break;
    case 70:
        Info(QString());
        PortReset();
        Send(MlrCmd::Ident);
        SetInterval(200);
        fSilentTicks = 0;
        fPointNo = 0;
        fState = 71;
        break;
    case 71:
        Identify();
        break;
    case 90:
        PortReset();
        SetInterval(450);
        fSentCount = 0;
        fZoneCur = 0;
        fState = 91;
        break;
    case 91:
        UploadZone();
        break;
    case 92:
        Finish(Text(MsgZoneSent).arg(fSentCount));
        break;
    default:
        break;
    }
}

void TMlrSession::Identify()
{
    ++fSilentTicks;
    if (fSilentTicks < 11 || !fTrackAfterId) {
        QByteArray line;
        while (TakeLine(line)) {
            // Noise before the reply (the end of an earlier stream) does not hide it.
            const qsizetype at = line.indexOf("$PMLR,IDGPS,01,");
            if (at < 0 || !MlrParseIdent(QByteArrayView(line).sliced(at).chopped(2), fId)) continue;
            fState = 72;
            SetTimer(false);
            PortReset();
            Send(MlrCmd::End);
            Info(fId.Text1 + QStringLiteral(" - ") + fId.Pilot + QStringLiteral(" - ") + fId.Text2, true);
            if (fTrackAfterId) {
                fState = Options.TrjMde == 0 ? 10 : 20;
                SetTimer(true);
            }
            if (OnCommandEnd) OnCommandEnd();
            return;
        }
        return;
    }
    // No answer: the track is read all the same, without the receiver's names.
    fId = TMlrIdent();
    fState = Options.TrjMde == 0 ? 10 : 20;
}

// ---- Text track ------------------------------------------------------------------------------

void TMlrSession::TextTrack()
{
    QByteArray line;
    while (fState == 11 && TakeLine(line)) TrackLine(line);
    if (fState == 11) CheckSilence(MsgCheckTrace);
}

void TMlrSession::TrackLine(const QByteArray& Line)
{
    if (!MlrLineShapeOk(Line)) return;
    const QByteArray name = MlrLineName(Line);
    const auto [tr, trc] = MlrTrackNames(fPointNo);
    if (name == tr || name == trc) {
        Useful();
        const TMlrTrackLine l = MlrDecodeTrackLine(Line);
        if (l.Errors > 0 || !l.DateOk) {
            ++fErrorCount;
        } else {
            TRec r;
            r.Lat = l.Lat;
            r.Lon = l.Lon;
            r.Alt = l.Alt;
            AddMlrFix(r, l.T, l.NewFlight);
        }
        PointInfo(fPointNo, l.T);
        ++fPointNo;
        return;
    }
    if ((name == "TR0000" || name == "TRC000") && fPointNo > 0) {
        Useful();
        // The receiver started its list again. A point lost in this pass comes in the next
        // one, unless this pass brought nothing new.
        if (fLostInPass && fPointNo > fPassStartNo) {
            fLostInPass = false;
            fPassStartNo = fPointNo;
            return;
        }
        fState = 12;
        SetTimer(false);
        Link().ClearBuffer(true, true);
        fRx.clear();
        FinishFlights();
        FinishDownload(DeviceText(TDeviceText::PointsRead).arg(fPointNo).arg(FlightCount()).arg(fErrorCount));
        return;
    }
    int no = -1;
    if (name.startsWith("TRC")) {
        bool ok = false;
        const int low = name.mid(3).toInt(&ok);
        if (ok) no = fPointNo - fPointNo % 1000 + low;
    } else if (name.startsWith("TR")) {
        bool ok = false;
        no = name.mid(2).toInt(&ok);
        if (!ok) no = -1;
    }
    if (no > fPointNo) fLostInPass = true;
}

// ---- Binary transfers ------------------------------------------------------------------------

void TMlrSession::BinaryStart(char Kind)
{
    if (fBlocks.TakeStart()) {
        Useful();
        fErrorCount = 0;
        if (Kind == 'T') StartFlights();
        ++fState;
        if (Kind == 'T')
            BinaryTrack();
        else
            BinaryWpt();
        return;
    }
    CheckSilence(MsgCheckNmea);
}

void TMlrSession::BinaryTrack()
{
    const uint8_t* p = nullptr;
    int n = 0;
    bool got = false;
    TDateTime last = 0;
    int lastNo = 0;
    while (fBlocks.TakeBlock(p, n)) {
        got = true;
        for (int i = 0; i < n; ++i) {
            const TMlrTrackRecord r = MlrDecodeTrackRecord(p + i * MlrTrackRecLen);
            // The receiver numbers its records from 0: the count is of the records taken.
            ++fPointNo;
            lastNo = r.PointNo;
            TRec f;
            f.Lat = r.Lat;
            f.Lon = r.Lon;
            f.Alt = r.Alt;
            AddMlrFix(f, r.T, r.NewFlight);
            last = r.T;
        }
    }
    if (got) {
        Useful();
        PointInfo(lastNo, last);
    }
    if (fBlocks.TakeEnd()) {
        Useful();
        fState = 24;
        SetTimer(false);
        PortReset();
        Send(MlrCmd::End);
        FinishFlights();
        FinishDownload(DeviceText(TDeviceText::PointsRead).arg(fPointNo).arg(FlightCount()).arg(fErrorCount));
        return;
    }
    CheckSilence(MsgCheckNmea);
}

void TMlrSession::BinaryWpt()
{
    const uint8_t* p = nullptr;
    int n = 0;
    bool got = false;
    while (fBlocks.TakeBlock(p, n)) {
        got = true;
        for (int i = 0; i < n; ++i) {
            const TMlrWptRecord r = MlrDecodeWptRecord(p + i * MlrWptRecLen);
            TWptBase w;
            w.Lat = r.Lat;
            w.Lon = r.Lon;
            w.Alt = r.Alt;
            w.Name = r.Name;
            ++fPointNo;
            if (!AddWaypoint(w)) ++fErrorCount;
        }
    }
    if (got) {
        Useful();
        Info(QStringLiteral("%1").arg(fPointNo, 4, 10, QLatin1Char('0')));
    }
    if (fBlocks.TakeEnd()) {
        fState = 44;
        SetTimer(false);
        PortReset();
        Send(MlrCmd::End);
        CompleteWaypoints();
        FinishDownload(DeviceText(TDeviceText::WptRead).arg(fPointNo).arg(fErrorCount));
        return;
    }
    CheckSilence(MsgCheckNmea);
}

// ---- Text waypoints and route ----------------------------------------------------------------

void TMlrSession::TextWpt()
{
    QByteArray line;
    while (fState == 31 && TakeLine(line)) WptLine(line);
    if (fState == 31) CheckSilence(MsgCheckWpts);
}

void TMlrSession::WptLine(const QByteArray& Line)
{
    const QByteArrayView body = QByteArrayView(Line).chopped(2);
    if (Line.startsWith("$GPWPL")) {
        if (!MlrLineShapeOk(Line) || !MlrNmeaChecksumOk(body)) {
            if (fWantWpt) ++fDamaged;
            return;
        }
        Useful();
        const TMlrWptLine w = MlrDecodeWptLine(Line);
        if (!fFirstName.isEmpty() && w.Name == fFirstName) {
            // The list came round. One more pass mends what a damaged line cost.
            if (fDamaged > 0 && fPass < 2) {
                ++fPass;
                fDamaged = 0;
                return;
            }
            fErrorCount += fDamaged;
            EndTextWpt();
            return;
        }
        if (fNames.contains(w.Name)) return;
        fNames.insert(w.Name);
        if (w.Errors > 0) {
            ++fErrorCount;
        } else {
            if (fFirstName.isEmpty()) fFirstName = w.Name;
            if (fWantWpt) {
                TWptBase b;
                b.Lat = w.Lat;
                b.Lon = w.Lon;
                b.Name = w.Name.trimmed();
                b.Comment = w.Comment;
                if (!AddWaypoint(b)) ++fErrorCount;
            }
        }
        ++fPointNo;
        Info(QStringLiteral("%1  %2  %3").arg(fPointNo, 4, 10, QLatin1Char('0')).arg(w.Name, w.Comment));
        return;
    }
    if (fWantRte && Line.startsWith("$GPRTE")) {
        if (!MlrNmeaChecksumOk(body)) {
            ++fDamaged;
            return;
        }
        QStringList names;
        if (!MlrParseRoute(body, fRtePart, fRouteNo, names)) return;
        Useful();
        fRteNames << names;
        ++fRtePart;
    }
}

void TMlrSession::EndTextWpt()
{
    fState = 32;
    SetTimer(false);
    PortReset();
    Send(MlrCmd::End);
    if (fWantWpt) CompleteWaypoints();
    if (fWantRte) {
        TRouteCollector route;
        route.Begin(fRouteNo, false);
        route.Header(fRouteNo);
        for (const QString& n : fRteNames) route.Point(RoutePoint(n));
        route.Commit(Stn);
    }
    FinishDownload(DeviceText(TDeviceText::WptRead).arg(fPointNo).arg(fErrorCount));
}

// ---- Uploads ---------------------------------------------------------------------------------

void TMlrSession::UploadWpt()
{
    while (fWptCursor && Options.SelOnlyBtn && !fWptCursor->Rep) fWptCursor = fWptCursor->Next;
    if (!fWptCursor) {
        fState = 52;
        return;
    }
    const TWpt& w = *fWptCursor;
    Send(MlrWptSentence(w));
    Info(QStringLiteral("  %1/%2  %3 %4   %5   %6")
             .arg(fSentCount + 1)
             .arg(fPointNo)
             .arg(LatiToStr(w.Lat), LongToStr(w.Lon), GpsName(w.Name.left(6)), w.Comment.left(40).toUpper()));
    fWptCursor = fWptCursor->Next;
    ++fSentCount;
}

void TMlrSession::UploadRte()
{
    if (fState == 61) {
        if (fTrnCursor) {
            Send(MlrWptSentence(*fTrnCursor));
            ++fPointNo;
            Info(QStringLiteral("  %1/%2  %3 %4   %5")
                     .arg(fPointNo)
                     .arg(fTrnCount)
                     .arg(LatiToStr(fTrnCursor->Lat), LongToStr(fTrnCursor->Lon),
                          GpsName(fTrnCursor->Name.left(6))));
            fTrnCursor = fTrnCursor->Next;
            return;
        }
        QStringList names;
        for (const TTrn* t = Stn ? Stn->First : nullptr; t; t = t->Next) names << t->Name;
        fRteSentences = MlrRouteSentences(names, fRouteNo);
        fPointNo = 0;
        fState = 62;
        return;
    }
    if (fPointNo < fRteSentences.size()) {
        Send(fRteSentences[fPointNo]);
        ++fPointNo;
        Info(Tr(QStringLiteral("  Route part N°%1/%2"), QStringLiteral("  Route part No.%1/%2"))
                 .arg(fPointNo)
                 .arg(fRteSentences.size()));
        return;
    }
    fState = 63;
}

void TMlrSession::UploadZone()
{
    while (fZoneCur < fZones.Points.size() && !fZones.Points[fZoneCur].Send) ++fZoneCur;
    if (fZoneCur >= fZones.Points.size()) {
        fState = 92;
        return;
    }
    const TLin& p = fZones.Points[fZoneCur];
    Send(MlrZoneSentence(p, p.SegStart));
    Info(QStringLiteral("  %1/%2  %3 %4")
             .arg(fSentCount + 1)
             .arg(fZones.NbSend)
             .arg(LatiToStr(p.Lat), LongToStr(p.Lon)));
    ++fSentCount;
    ++fZoneCur;
}
