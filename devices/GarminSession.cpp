#include "devices/GarminSession.h"

#include "devices/GpsNames.h"
#include "model/ModelUi.h"
#include "model/Texts.h"

#include <QDateTime>
#include <QTimeZone>
#include <cmath>

namespace {

QByteArray Cmd(int Command)
{
    return GarminInt16ToBytes(static_cast<int16_t>(Command));
}

uint16_t U16(const QByteArray& D)
{
    return static_cast<uint16_t>(GarminBytesToInt16(D, 0));
}

QString DateTimeText(TDateTime T)
{
    const QDateTime dt = QDateTime(QDate(1899, 12, 30), QTime(0, 0), Qt::UTC)
                             .addMSecs(static_cast<qint64>(std::llround(T * 86400000.0)));
    return dt.toString(QStringLiteral("dd/MM/yy HH:mm:ss"));
}

bool ShowsStep(int s)
{
    switch (s) {
    case 0:
    case 1:
    case 2:
    case 3:
    case 10:
    case 11:
    case 12:
    case 20:
    case 21:
    case 22:
    case 23:
    case 30:
    case 31:
    case 32:
    case 40:
    case 41:
    case 50:
    case 51:
    case 52:
    case 80:
    case 85:
    case 90:
        return true;
    default:
        return false;
    }
}

} // namespace

QString TGarminSession::Text(int Index)
{
    switch (Index) {
    case 0:
        return Tr(QStringLiteral(
                      "Vérifier que le GPS Garmin est correctement connecté au PC et que son interface est "
                      "configurée sur GRMN/GRMN."),
                  QStringLiteral(
                      "Check that the Garmin GPS is properly connected to the PC and that its interface is "
                      "set to GRMN/GRMN."));
    case 1:
        return Tr(QStringLiteral("Ce GPS Garmin n'est pas reconnu par le programme."),
                  QStringLiteral("This Garmin GPS is not recognised by the program."));
    case 2:
        return DeviceText(TDeviceText::PointsRead);
    case 3:
        return Tr(QStringLiteral("Points transférés : %1  -  Erreur(s) détectée(s): %2."),
                  QStringLiteral("Points transferred: %1  -  Error(s) detected: %2."));
    case 4:
        return DeviceText(TDeviceText::WptRead);
    case 5:
        return Tr(QStringLiteral("Way-points transférés : %1  -  Erreur(s) détectée(s): %2."),
                  QStringLiteral("Waypoints transferred: %1  -  Error(s) detected: %2."));
    case 6:
        return Tr(QStringLiteral("Choix nom"), QStringLiteral("Choose a name"));
    case 7:
        return Tr(QStringLiteral("Nom de la trajectoire à écrire :"),
                  QStringLiteral("Name of the track to write:"));
    case 8:
        return DeviceText(TDeviceText::RteCaption);
    case 9:
        return Tr(QStringLiteral("Nom de la route à lire :"), QStringLiteral("Name of the route to read:"));
    case 10:
        return DeviceText(TDeviceText::RteRead);
    case 11:
        return Tr(QStringLiteral("Nom de la route à écrire :"),
                  QStringLiteral("Name of the route to write:"));
    case 12:
        return DeviceText(TDeviceText::RteWrite);
    case 13:
        return Tr(QStringLiteral("Vérifier que la lumière du GPS est bien allumée."),
                  QStringLiteral("Check that the light of the GPS is on."));
    case 14:
        return Tr(QStringLiteral("Vérifier que la lumière du GPS est bien éteinte"),
                  QStringLiteral("Check that the light of the GPS is off"));
    case 15:
        return Tr(QStringLiteral("Vérifier que le GPS est bien éteint."),
                  QStringLiteral("Check that the GPS is off."));
    case 16:
        return Tr(QStringLiteral("Etes-vous sûr de vouloir éteindre le GPS ?"),
                  QStringLiteral("Are you sure you want to switch the GPS off?"));
    case 17:
        return DeviceText(TDeviceText::NoSwp);
    case 18:
        return DeviceText(TDeviceText::CheckNames);
    case 19:
        return Tr(QStringLiteral(
                      "Ce GPS Garmin utilise des enregistrements D%1 que le programme ne sait pas écrire : "
                      "transfert impossible."),
                  QStringLiteral("This Garmin GPS uses D%1 records, which the program cannot write: transfer "
                                 "impossible."));
    case 20:
        return Tr(QStringLiteral("  -  Points sans heure : %1."),
                  QStringLiteral("  -  Points without time: %1."));
    case 21:
        return Tr(QStringLiteral(
                      "Trop d'enregistrements (%1) pour un transfert vers le GPS : transfert impossible."),
                  QStringLiteral("Too many records (%1) for one transfer to the GPS: transfer impossible."));
    default:
        return QString();
    }
}

TGarminSession::TGarminSession(ISerialLink& Link, const TDeviceUi& Ui) : TDeviceSession(Link, Ui) {}

TGarminSession::~TGarminSession() = default;

int TGarminSession::FlightCount() const
{
    return fFlights ? fFlights->FlightCount : fLastFlights;
}

// ---- Link ------------------------------------------------------------------------------------

void TGarminSession::SendPacket(uint8_t Id, const QByteArray& Data)
{
    fLastTxId = Id;
    fLastTxData = Data;
    const QByteArray frame = GarminFrame(Id, Data);
    WriteLink(frame);
    TraceUnit(true, frame);
}

void TGarminSession::SendAck(uint8_t Id)
{
    SendPacket(GarminPid::Ack, QByteArray(1, static_cast<char>(Id)) + QByteArray(1, '\0'));
}

int TGarminSession::ReceivePacket(uint8_t& Id, QByteArray& Data)
{
    const QByteArray in = ReadLink(200);
    fQuietTicks = in.isEmpty() ? fQuietTicks + 1 : 0;
    fRx.Append(in);
    QByteArray raw;
    const int r = fRx.Extract(Id, Data, &raw, 255);
    if (r == TGarminRx::None) return 0;
    if (LogOn()) TraceUnit(false, raw + QByteArray("\x10\x03", 2));
    if (r == TGarminRx::Bad && Id == 0 && Data.isEmpty()) return 2; // no leading DLE
    fLastRxId = Id;
    fLastRxData = Data;
    return r;
}

bool TGarminSession::Repeated(uint8_t Id, const QByteArray& Data)
{
    // The receiver sends a packet again when our ACK was lost or late: it is acknowledged
    // again but taken once.
    if (Id == fTakenId && Data == fTakenData) return true;
    fTakenId = Id;
    fTakenData = Data;
    return false;
}

int TGarminSession::CheckAck() const
{
    return GarminCheckAck(fLastTxId, fLastRxId, fLastRxData);
}

// ---- Tick ------------------------------------------------------------------------------------

void TGarminSession::Step()
{
    uint8_t id = 0;
    QByteArray data;
    const int r = ReceivePacket(id, data);
    const double interval = Interval() > 0 ? Interval() : 40;
    if (r == 0) {
        ++fSilentTicks;
        ++fSilentTotal;
        if (fSilentTicks > 2000.0 / interval) {
            SendPacket(fLastTxId, fLastTxData);
            fSilentTicks = 0;
            if (fSilentTotal > 10000.0 / interval) {
                if (Ui().Prompts) Ui().Prompts->ShowAdvice(Text(0));
                fSilentTotal = 0;
            }
        }
    } else if (r == 1) {
        fSilentTicks = 0;
        fSilentTotal = 0;
        if (Ui().Prompts && Ui().Prompts->AdviceVisible()) Ui().Prompts->HideAdvice();
    } else {
        // While our own packet awaits its answer, the NAK does not take its place: the
        // receiver's ACK to it may still come, and silence resends it, not the NAK.
        const uint8_t txId = fLastTxId;
        const QByteArray txData = fLastTxData;
        SendPacket(GarminPid::Nak, QByteArray(1, static_cast<char>(fLastRxId)));
        if (txId != GarminPid::Ack) {
            fLastTxId = txId;
            fLastTxData = txData;
        }
        return;
    }
    if (fHandshakeOn) {
        if (!Handshake(r, id, data)) return;
    } else {
        Command(r, id, data);
    }
    if (Running() && ShowsStep(fStep)) Info(QStringLiteral("Etape = %1").arg(fStep), true);
}

bool TGarminSession::Handshake(int r, uint8_t id, const QByteArray& data)
{
    switch (fStep) {
    case 0:
        SendPacket(GarminPid::ProductRqst, QByteArray());
        fStep = 1;
        return true;
    case 1:
        if (r != 1) return true;
        if (CheckAck() == 1) {
            fStep = 2;
        } else if (CheckAck() == 0) {
            fStep = 0;
        } else if (id == GarminPid::ProductData) {
            // A receiver that answers without acknowledging the request first.
            fStep = 2;
            return Handshake(r, id, data);
        }
        return true;
    case 2:
        if (r == 1 && id == GarminPid::ProductData && GarminParseProduct(data, fProduct)) {
            fProt = GarminDefaultProtocols(fProduct.ProductId, fProduct.ProductVersion);
            SendAck(GarminPid::ProductData);
            fStep = 3;
        }
        return true;
    case 3: {
        if (r == 1) {
            // A late acknowledgement is no answer of the receiver's: the wait goes on.
            if (id == GarminPid::Ack || id == GarminPid::Nak) return true;
            if (id == GarminPid::ProductData || id == GarminPid::ExtProductData) {
                // Our ACK of the product data was lost, or the extended data: answer and wait on.
                SendAck(id);
                return true;
            }
            if (id == GarminPid::ProtocolArray) {
                fProt = GarminParseProtocolArray(data);
                SendAck(GarminPid::ProtocolArray);
            }
        } else {
            // Waiting for the protocol array: a frame still arriving is not silence.
            const double interval = Interval() > 0 ? Interval() : 40;
            if (fQuietTicks <= 500.0 / interval) return true;
        }
        if (fProt.LinkProt != 10) {
            SetTimer(false);
            fHandshakeOn = false;
            fStep = 255;
            Info(Text(1), true);
            Ask(Text(1), TMsgType::Warning, mbOK);
            if (OnCommandEnd) OnCommandEnd();
            return false;
        }
        fHandshakeOn = false;
        fStep = fCmdStep;
        return true;
    }
    default:
        return true;
    }
}

void TGarminSession::Command(int r, uint8_t id, const QByteArray& data)
{
    if (fStep >= 10 && fStep <= 28)
        Track(r, id, data);
    else if (fStep >= 30 && fStep <= 46)
        Waypoints(r, id, data);
    else if (fStep >= 50 && fStep <= 70)
        Route(r, id, data);
    else {
        switch (fStep) {
        case 80:
        case 85:
            SendPacket(GarminPid::Lamp, QByteArray(1, fStep == 80 ? '\0' : '\1'));
            ++fStep;
            break;
        case 81:
            Finish(Text(13));
            break;
        case 86:
            Finish(Text(14));
            break;
        case 90:
            SendPacket(GarminPid::Ack, QByteArray(1, '\xFF'));
            SendPacket(GarminPid::Command, Cmd(8));
            fStep = 91;
            break;
        case 91:
            Finish(Text(15));
            break;
        default:
            break;
        }
    }
}

void TGarminSession::Progress()
{
    // Headers and links are among the records announced: the bar counts them too.
    const int done = fItemCount + fOtherRecords;
    SetProgress(fItemTotal > 0 ? std::clamp(done * 100 / fItemTotal, 1, 100) : 1);
}

bool TGarminSession::Refuse(int Type)
{
    SetTimer(false);
    const QString text = Text(19).arg(Type, 3, 10, QLatin1Char('0'));
    Info(text, true);
    Ask(text, TMsgType::Warning, mbOK);
    if (OnCommandEnd) OnCommandEnd();
    return true;
}

bool TGarminSession::TooMany(int Records)
{
    // The records packet counts in 16 bits.
    if (Records <= 65535) return false;
    SetTimer(false);
    fStep = 255;
    Info(Text(21).arg(Records), true);
    Ask(Text(21).arg(Records), TMsgType::Warning, mbOK);
    if (OnCommandEnd) OnCommandEnd();
    return true;
}

QString TGarminSession::Source() const
{
    return QStringLiteral("GPS Garmin ") + fProduct.ProductDesc;
}

QString TGarminSession::PointLine(const TWptBase& W, bool Upper) const
{
    QString s = QStringLiteral("  %1/%2  %3 %4   ")
                    .arg(fItemCount)
                    .arg(fItemTotal)
                    .arg(LatiToStr(W.Lat), LongToStr(W.Lon));
    if (Upper) return s + GpsName(W.Name.left(6)) + QStringLiteral("   ") + GpsName(W.Comment.left(40));
    return s + W.Name + QStringLiteral(" - ") + W.Comment + QStringLiteral(" - ") + QString::number(W.Alt) +
           QStringLiteral("m");
}

// ---- Tracks ----------------------------------------------------------------------------------

void TGarminSession::Track(int r, uint8_t id, const QByteArray& data)
{
    const bool good = r == 1;
    const bool header = fProt.TrkProt == 301 || fProt.TrkProt == 302;
    switch (fStep) {
    case 10:
        SendPacket(GarminPid::Command, Cmd(6));
        fStep = 11;
        break;
    case 11:
        if (good) fStep = CheckAck() == 1 ? 12 : 10;
        break;
    case 12:
        if (good && id == GarminPid::Records) {
            fItemCount = fErrorCount = fOtherRecords = 0;
            fItemTotal = U16(data);
            TFlightSplitter::TOptions o;
            o.SplitByGap = Options.TrjTimeBox;
            o.GapMinutes = Options.TrjTimeEdit;
            o.SplitByFlag = Options.TrjGrmBox;
            fFlights = std::make_unique<TFlightSplitter>(Source(), o);
            SendAck(GarminPid::Records);
            fStep = 13;
        }
        break;
    case 13: {
        if (!good) break;
        TDateTime t = 0;
        if (id == GarminPid::TrkHdr) {
            SendAck(id);
            if (Repeated(id, data)) break;
            ++fOtherRecords;
            fFlights->TrackHeader();
        } else if (id == GarminPid::TrkData) {
            SendAck(id);
            if (Repeated(id, data)) break;
            TGarminTrkPt p;
            if (!GarminDecodeTrkPt(fProt.TrkPtType, data, p)) {
                ++fErrorCount;
            } else {
                const bool hasTime = p.Time != GarminNoTime;
                t = hasTime ? GarminSecondsToDateTime(p.Time) : 0;
                TRec fix;
                fix.Lat = p.Lat;
                fix.Lon = p.Lon;
                fix.Alt = p.Alt;
                const int before = fFlights->Errors;
                fFlights->AddPoint(fix, t, hasTime, p.NewTrack);
                fErrorCount += fFlights->Errors - before;
                t = fFlights->LastTime();
            }
            ++fItemCount;
        } else if (id == GarminPid::XferCmplt && !data.isEmpty() && data[0] == 6) {
            fFlights->Finish();
            SendAck(id);
            fStep = 14;
            break;
        }
        if (!data.isEmpty()) {
            Progress();
            QString s = QStringLiteral("%1/%2  %3").arg(fItemCount).arg(fItemTotal).arg(DateTimeText(t));
            TTrj* T = fFlights->Current();
            if (T && T->Last)
                s += QStringLiteral("  ") + LatiToStr(T->Last->Lat) + QStringLiteral(" ") +
                     LongToStr(T->Last->Lon) + QStringLiteral(" ") + QString::number(T->Last->Alt) +
                     QStringLiteral("m");
            Info(s, false);
        }
        break;
    }
    case 14: {
        QString s = Text(2).arg(fItemCount).arg(fFlights->FlightCount).arg(fErrorCount);
        if (fFlights->NoTime > 0) s += Text(20).arg(fFlights->NoTime);
        fLastFlights = fFlights->FlightCount;
        fFlights.reset();
        FinishDownload(s);
        break;
    }
    case 20: {
        if (!Trj) {
            SetTimer(false);
            fStep = 255;
            break;
        }
        if (!GarminCanEncodeTrkPt(fProt.TrkPtType)) {
            Refuse(fProt.TrkPtType);
            fStep = 255;
            break;
        }
        if (header && fProt.TrkHdrType != 310) {
            Refuse(fProt.TrkHdrType);
            fStep = 255;
            break;
        }
        fItemTotal = Trj->RecCount;
        if (TooMany(fItemTotal + (header ? 1 : 0))) break;
        SendPacket(GarminPid::Records,
                   GarminInt16ToBytes(static_cast<int16_t>(fItemTotal + (header ? 1 : 0))));
        fItemCount = fErrorCount = fOtherRecords = 0;
        Progress();
        fStep = 21;
        break;
    }
    case 21:
        if (!good) break;
        if (CheckAck() == 1) {
            fRecCursor = Trj ? Trj->First : nullptr;
            fStep = header ? 22 : 24;
        } else {
            fStep = 20;
        }
        break;
    case 22: {
        SetTimer(false);
        QString name = Trj ? Trj->Name : QString();
        if (!Ui().Prompts || !Ui().Prompts->Input(Text(6), Text(7), name)) {
            fStep = 255;
            if (OnCommandEnd) OnCommandEnd();
            break;
        }
        fTrkName = name;
        SetTimer(true);
        SendPacket(GarminPid::TrkHdr, GarminEncodeTrkHdr(fTrkName));
        fStep = 23;
        break;
    }
    case 23:
        if (good) fStep = CheckAck() == 1 ? 24 : 22;
        break;
    case 24: {
        if (!fRecCursor || !Trj) {
            fStep = 26;
            break;
        }
        const TRec& R = *fRecCursor;
        const TDateTime t = std::floor(Trj->StartTime) + static_cast<double>(R.Time) / TimeUnitsPerDay;
        TGarminTrkPt p;
        p.Lat = R.Lat;
        p.Lon = R.Lon;
        p.Alt = R.Alt;
        p.Time = GarminDateTimeToSeconds(t);
        Info(QStringLiteral("  %1/%2  %3  %4 %5 %6m")
                 .arg(fItemCount)
                 .arg(fItemTotal)
                 .arg(DateTimeText(t), LatiToStr(R.Lat), LongToStr(R.Lon))
                 .arg(R.Alt),
             false);
        SendPacket(GarminPid::TrkData, GarminEncodeTrkPt(fProt.TrkPtType, p));
        fStep = 25;
        break;
    }
    case 25:
        if (!good) break;
        if (CheckAck() == 1) {
            ++fItemCount;
            Progress();
            fRecCursor = fRecCursor->Next;
        }
        fStep = 24;
        break;
    case 26:
        SendPacket(GarminPid::XferCmplt, Cmd(6));
        fStep = 27;
        break;
    case 27:
        if (good) fStep = CheckAck() == 1 ? 28 : 26;
        break;
    case 28:
        Finish(Text(3).arg(fItemCount).arg(fErrorCount));
        break;
    default:
        break;
    }
}

// ---- Waypoints -------------------------------------------------------------------------------

void TGarminSession::Waypoints(int r, uint8_t id, const QByteArray& data)
{
    const bool good = r == 1;
    switch (fStep) {
    case 30:
        SendPacket(GarminPid::Command, Cmd(7));
        fStep = 31;
        break;
    case 31:
        if (good && id == GarminPid::Records) {
            fItemCount = fErrorCount = fOtherRecords = 0;
            fItemTotal = U16(data);
            fHasLastWpt = false;
            fStep = 32;
        }
        break;
    case 32:
        SendAck(GarminPid::Records);
        fStep = 33;
        break;
    case 33: {
        if (!good) break;
        if (id == GarminPid::WptData) {
            SendAck(id);
            if (Repeated(id, data)) break;
            TWptBase w;
            if (GarminDecodeWpt(fProt.WptType, data, w) && fWpt.Add(w)) {
                fLastWpt = w;
                fHasLastWpt = true;
            } else {
                ++fErrorCount;
            }
            ++fItemCount;
        } else if (id == GarminPid::XferCmplt && !data.isEmpty() && data[0] == 7) {
            fWpt.Complete();
            SendAck(id);
            fStep = 34;
        }
        if (!data.isEmpty() && fStep == 33) {
            Progress();
            QString s = QStringLiteral("  %1/%2").arg(fItemCount).arg(fItemTotal);
            if (fHasLastWpt) s = PointLine(fLastWpt, false);
            Info(s, false);
        }
        break;
    }
    case 34:
        FinishDownload(Text(4).arg(fItemCount).arg(fErrorCount));
        break;
    case 40:
        if (!GarminCanEncodeWpt(fProt.WptType)) {
            Refuse(fProt.WptType);
            fStep = 255;
            break;
        }
        SendPacket(GarminPid::Records, GarminInt16ToBytes(static_cast<int16_t>(fItemTotal)));
        fItemCount = fErrorCount = fOtherRecords = 0;
        Progress();
        fStep = 41;
        break;
    case 41:
        if (!good) break;
        if (CheckAck() == 1) {
            fWptCursor = Swp ? Swp->First : nullptr;
            fStep = 42;
        } else {
            fStep = 40;
        }
        break;
    case 42:
        if (Options.SelOnlyBtn)
            while (fWptCursor && !fWptCursor->Rep) fWptCursor = fWptCursor->Next;
        if (!fWptCursor) {
            fStep = 44;
            break;
        }
        Info(PointLine(*fWptCursor, true), false);
        SendPacket(GarminPid::WptData, GarminEncodeWpt(fProt.WptType, *fWptCursor));
        fStep = 43;
        break;
    case 43:
        if (!good) break;
        if (CheckAck() == 1) {
            ++fItemCount;
            Progress();
            fWptCursor = fWptCursor->Next;
        }
        fStep = 42;
        break;
    case 44:
        SendPacket(GarminPid::XferCmplt, Cmd(7));
        fStep = 45;
        break;
    case 45:
        if (good) fStep = CheckAck() == 1 ? 46 : 44;
        break;
    case 46:
        Finish(Text(5).arg(fItemCount).arg(fErrorCount));
        break;
    default:
        break;
    }
}

// ---- Routes ----------------------------------------------------------------------------------

bool TGarminSession::AskRoute(bool Read)
{
    SetTimer(false);
    const bool byName = fProt.RteHdrType == 202;
    const QString prompt = Read ? Text(byName ? 9 : 10) : Text(byName ? 11 : 12);
    QString value;
    if (!Ui().Prompts || !Ui().Prompts->Input(Text(8), prompt, value)) {
        fStep = 255;
        if (OnCommandEnd) OnCommandEnd();
        return false;
    }
    fRteName = value;
    SetTimer(true);
    return true;
}

void TGarminSession::Route(int r, uint8_t id, const QByteArray& data)
{
    const bool good = r == 1;
    const bool links = fProt.RteProt == 201;
    switch (fStep) {
    case 50:
        if (!AskRoute(true)) break;
        fRoute.Begin(fRteName, fProt.RteHdrType == 202);
        SendPacket(GarminPid::Command, Cmd(4));
        fStep = 51;
        break;
    case 51:
        if (good && id == GarminPid::Records) {
            fItemCount = fErrorCount = fOtherRecords = 0;
            fItemTotal = U16(data);
            fStep = 52;
        }
        break;
    case 52:
        SendAck(GarminPid::Records);
        fStep = 53;
        break;
    case 53: {
        if (!good) break;
        if (id == GarminPid::RteHdr) {
            SendAck(id);
            if (Repeated(id, data)) break;
            ++fOtherRecords;
            fRoute.Header(GarminDecodeRteHdr(fProt.RteHdrType, data));
        } else if (id == GarminPid::RteLink) {
            SendAck(id);
            ++fOtherRecords;
        } else if (id == GarminPid::RteWpt) {
            SendAck(id);
            if (Repeated(id, data)) break;
            fLastWpt = TWptBase();
            if (GarminDecodeWpt(fProt.RteWptType, data, fLastWpt))
                fRoute.Point(fLastWpt);
            else
                ++fErrorCount;
            ++fItemCount;
        } else if (id == GarminPid::XferCmplt && !data.isEmpty() && data[0] == 4) {
            fRoute.Commit(Stn);
            WptMode = 1;
            TrjMode = 0;
            SendAck(id);
            fStep = 54;
            break;
        }
        if (!data.isEmpty()) {
            Progress();
            Info(PointLine(fLastWpt, false), false);
        }
        break;
    }
    case 54:
        FinishDownload(Text(4).arg(fRoute.Taken()).arg(fErrorCount));
        break;
    case 60: {
        if (!Stn) {
            SetTimer(false);
            fStep = 255;
            break;
        }
        if (!GarminCanEncodeRteHdr(fProt.RteHdrType)) {
            Refuse(fProt.RteHdrType);
            fStep = 255;
            break;
        }
        if (!GarminCanEncodeWpt(fProt.RteWptType)) {
            Refuse(fProt.RteWptType);
            fStep = 255;
            break;
        }
        if (links && fProt.RteLinkType != 210) {
            Refuse(fProt.RteLinkType);
            fStep = 255;
            break;
        }
        const int n = Stn->Count;
        fItemTotal = n;
        const int records = 1 + n + (links ? std::max(n - 1, 0) : 0);
        if (TooMany(records)) break;
        SendPacket(GarminPid::Records, GarminInt16ToBytes(static_cast<int16_t>(records)));
        fItemCount = fErrorCount = fOtherRecords = 0;
        fStep = 61;
        break;
    }
    case 61:
        if (!good) break;
        if (CheckAck() == 1) {
            fTrnCursor = Stn ? Stn->First : nullptr;
            fStep = 62;
        } else {
            fStep = 60;
        }
        break;
    case 62: {
        if (!AskRoute(false)) break;
        QByteArray hdr;
        if (!GarminEncodeRteHdr(fProt.RteHdrType, fRteName, hdr)) break; // asked again
        SendPacket(GarminPid::RteHdr, hdr);
        fStep = 63;
        break;
    }
    case 63:
        if (good) fStep = CheckAck() == 1 ? 64 : 62;
        break;
    case 64:
        if (!fTrnCursor) {
            fStep = 68;
            break;
        }
        Info(PointLine(*fTrnCursor, true), false);
        SendPacket(GarminPid::RteWpt, GarminEncodeWpt(fProt.RteWptType, *fTrnCursor));
        fStep = 65;
        break;
    case 65:
        if (!good) break;
        if (CheckAck() == 1) {
            ++fItemCount;
            Progress();
            fTrnCursor = fTrnCursor->Next;
            fStep = links && fTrnCursor ? 66 : 64;
        } else {
            fStep = 64;
        }
        break;
    case 66:
        SendPacket(GarminPid::RteLink, GarminEncodeRteLink());
        fStep = 67;
        break;
    case 67:
        if (good) fStep = CheckAck() == 1 ? 64 : 66;
        break;
    case 68:
        SendPacket(GarminPid::XferCmplt, Cmd(7));
        fStep = 69;
        break;
    case 69:
        if (good) fStep = CheckAck() == 1 ? 70 : 68;
        break;
    case 70:
        Finish(Text(3).arg(fItemCount).arg(fErrorCount));
        break;
    default:
        break;
    }
}

// ---- Window ----------------------------------------------------------------------------------

void TGarminSession::Activate()
{
    SetTimer(false);
    fStep = 255;
}

void TGarminSession::FinishInterrupted()
{
    if (fStep == 13 && fFlights && !fHandshakeOn) {
        fFlights->Finish();
        fLastFlights = fFlights->FlightCount;
        fFlights.reset();
        RefreshViews();
    }
    // Waypoints of an interrupted download stay in the set, which must then be saved.
    if (fStep == 33 && !fHandshakeOn && fWpt.Added > 0) {
        fWpt.Complete();
        fWpt.Added = 0;
    }
}

void TGarminSession::Failed(const QString&)
{
    FinishInterrupted();
    fStep = 255;
}

void TGarminSession::Close()
{
    if (Ui().Prompts && Ui().Prompts->AdviceVisible()) Ui().Prompts->HideAdvice();
    SetTimer(false);
    FinishInterrupted();
    try {
        Link().Close();
    } catch (const EComPort& e) {
        // The window goes all the same; the user learns that the last command may not have left.
        Ask(e.Message(), TMsgType::Error, mbOK);
    }
    fWpt.Close();
    ShowStatus(QString());
}

void TGarminSession::TraceBtnClick()
{
    if (fStep == 13 && fFlights && fFlights->Current()) {
        TTrj* T = fFlights->Current();
        if (Trj != T) SetCurrentTrj(T);
        if (Trj == T && T->First) TrjLoaded();
    }
    if (Trj && Trj->Last) Trj->CurRec = Trj->Last;
    RefreshViews();
}

// ---- Commands --------------------------------------------------------------------------------

void TGarminSession::StartCom(int State, bool Handshake, const QString& Port)
{
    FinishInterrupted();
    SetTimer(false);
    SetProgress(1);
    fRx.Clear();
    if (Link().Connected()) {
        try {
            Link().Close();
        } catch (const EComPort&) {
            // Reopened below; an error there is the one reported.
        }
    }
    fSilentTicks = fSilentTotal = fQuietTicks = 0;
    fTakenId = 0;
    fTakenData.clear();
    fCmdStep = State;
    fStep = Handshake ? 0 : State;
    fHandshakeOn = Handshake;
    if (OnInfoAlign) OnInfoAlign(true);
    Link().SetBaudRate(br9600);
    Link().SetStopBits(sbOneStopBit);
    if (!StartLink(Port, 40)) fStep = 255;
}

void TGarminSession::DownTrk(const QString& Port)
{
    StartCom(10, true, Port);
}

void TGarminSession::UpTrk(const QString& Port)
{
    if (Trj) StartCom(20, true, Port);
}

void TGarminSession::DownWpt(const QString& Port)
{
    if (!fWpt.Prepare(fStep >= 30 && fStep <= 33)) return;
    StartCom(30, true, Port);
}

void TGarminSession::UpWpt(const QString& Port)
{
    if (!Swp) {
        Ask(Text(17), TMsgType::Warning, mbOK);
        return;
    }
    Info(Text(18), true);
    uint16_t count = 0;
    if (!CheckGpsNames(6, Options.SelOnlyBtn, count)) {
        Info(QString(), true);
        return;
    }
    Info(QString(), true);
    StartCom(40, true, Port);
    fItemTotal = count;
}

void TGarminSession::DownRte(const QString& Port)
{
    if (Stn) StartCom(50, true, Port);
}

void TGarminSession::UpRte(const QString& Port)
{
    if (Stn) StartCom(60, true, Port);
}

void TGarminSession::Off(const QString& Port, bool Ctrl, bool Shift)
{
    if (Ctrl) {
        StartCom(Shift ? 80 : 85, false, Port);
        return;
    }
    if (Ask(Text(16), TMsgType::Confirmation, mbYes | mbNo) == mrYes) StartCom(90, true, Port);
}
