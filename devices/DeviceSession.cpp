#include "devices/DeviceSession.h"

#include "devices/GpsNames.h"
#include "model/Calc.h"
#include "model/ModelUi.h"
#include "model/Texts.h"

#include <QElapsedTimer>

// ---- TComPortLink ----------------------------------------------------------------------------

void TComPortLink::Open()
{
    fPort.Open();
    if (!fAsync) TCustomComPort::InitAsync(fAsync);
}

void TComPortLink::Close()
{
    // The record goes with the port, whatever the closing reports.
    struct Done
    {
        std::unique_ptr<TComAsync>& a;
        ~Done() { TCustomComPort::DoneAsync(a); }
    } done{fAsync};
    fPort.Close();
}

QByteArray TComPortLink::Read(int Count)
{
    if (!fAsync) TCustomComPort::InitAsync(fAsync);
    QByteArray s;
    fPort.ReadStrAsync(s, Count, fAsync.get());
    return s;
}

void TComPortLink::Write(const QByteArray& Bytes)
{
    if (!fAsync) TCustomComPort::InitAsync(fAsync);
    fPort.WriteStrAsync(Bytes, fAsync.get());
}

// ---- IDevicePrompts --------------------------------------------------------------------------

bool IDevicePrompts::InputNumber(const QString& Caption, const QString& Prompt, int& Value)
{
    QString text = QString::number(Value);
    if (!Input(Caption, Prompt, text)) return false;
    bool ok = false;
    const int n = text.trimmed().toInt(&ok);
    if (!ok || n < 0 || n > 19) return false;
    Value = n;
    return true;
}

// ---- TMsgPrompts -----------------------------------------------------------------------------

int TMsgPrompts::Ask(const QString& Text, TMsgType Type, int Buttons)
{
    return MessageDlg(Text, Type, Buttons);
}

bool TMsgPrompts::Input(const QString& Caption, const QString& Prompt, QString& Value)
{
    return InputQuery(Caption, Prompt, Value);
}

void TMsgPrompts::ShowAdvice(const QString& Text)
{
    fAdvice = Text;
    fAdviceVisible = true;
}

// ---- TDeviceSession --------------------------------------------------------------------------

TDeviceSession::TDeviceSession(ISerialLink& Link, const TDeviceUi& Ui) : fLink(Link), fUi(Ui) {}

TDeviceSession::~TDeviceSession() = default;

void TDeviceSession::Tick()
{
    // A tick that was under way when the timer stopped, or one that comes while a step runs
    // (a box of the step runs a local event loop), does nothing.
    if (fInTick || !Running()) return;
    fInTick = true;
    struct Leave
    {
        bool& f;
        ~Leave() { f = false; }
    } leave{fInTick};
    try {
        Step();
    } catch (const EComPort& e) {
        Fail(e.Message());
    } catch (const std::exception& e) {
        Fail(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        Fail(QStringLiteral("?"));
    }
}

void TDeviceSession::Fail(const QString& Message)
{
    SetTimer(false);
    try {
        fLink.Close();
    } catch (...) {
        // The port is released whatever closing says; the first failure is the one shown.
    }
    Failed(Message);
    Ask(Message, TMsgType::Error, mbOK);
}

bool TDeviceSession::StartLink(const QString& Port, int IntervalMs)
{
    SetTimer(false);
    if (IntervalMs > 0) SetInterval(IntervalMs);
    try {
        fLink.SetPort(Port);
        fLink.Open();
    } catch (const EComPort& e) {
        Ask(e.Message(), TMsgType::Error, mbOK);
        return false;
    }
    if (!fLink.Connected()) return false;
    SetTimer(true);
    return true;
}

void TDeviceSession::StopCom()
{
    SetTimer(false);
    try {
        fLink.Close();
    } catch (const EComPort& e) {
        Ask(e.Message(), TMsgType::Error, mbOK);
    }
}

void TDeviceSession::OpenTrace()
{
    fTrace.Open();
}

void TDeviceSession::CloseTrace()
{
    fTrace.Close();
}

void TDeviceSession::SetInfo(const QString& Text)
{
    if (fUi.Status) fUi.Status->SetInfo(Text);
}

qint64 TDeviceSession::Now() const
{
    if (Clock) return Clock();
    static QElapsedTimer t;
    if (!t.isValid()) t.start();
    return t.elapsed();
}

void TDeviceSession::Info(const QString& Text, bool Centred)
{
    if (OnInfoAlign) OnInfoAlign(Centred);
    SetInfo(Text);
}

void TDeviceSession::Finish(const QString& Result)
{
    SetTimer(false);
    // Whatever share of the items the bar counted, a finished transfer shows a full bar.
    SetProgress(100);
    Info(Result, true);
    if (OnCommandEnd) OnCommandEnd();
}

void TDeviceSession::FinishDownload(const QString& Result)
{
    Finish(Result);
    ShowReceived();
}

void TDeviceSession::ShowReceived()
{
    if (ModelUi()) ModelUi()->FitViews();
}

void TDeviceSession::SetProgress(int Position)
{
    if (fUi.Progress) fUi.Progress->SetProgress(Position);
}

int TDeviceSession::Ask(const QString& Text, TMsgType Type, int Buttons)
{
    if (fUi.Prompts) return fUi.Prompts->Ask(Text, Type, Buttons);
    return MessageDlg(Text, Type, Buttons);
}

void TDeviceSession::SetTimer(bool On)
{
    if (fUi.Timer) fUi.Timer->SetTimerEnabled(On);
}

void TDeviceSession::SetInterval(int Ms)
{
    if (fUi.Timer) fUi.Timer->SetTimerInterval(Ms);
}

int TDeviceSession::Interval() const
{
    return fUi.Timer ? fUi.Timer->TimerInterval() : 0;
}

QString DeviceText(TDeviceText Id)
{
    switch (Id) {
    case TDeviceText::PointsRead:
        return Tr(QStringLiteral("Points lus : %1 sur %2 vol(s)  -  Erreur(s) détectée(s): %3."),
                  QStringLiteral("Points read: %1 in %2 flight(s)  -  Error(s) detected: %3."));
    case TDeviceText::WptRead:
        return Tr(QStringLiteral("Way-points lus : %1  -  Erreur(s) détectée(s): %2."),
                  QStringLiteral("Waypoints read: %1  -  Error(s) detected: %2."));
    case TDeviceText::RteSent:
        return Tr(QStringLiteral("Route %1 transmise au GPS."), QStringLiteral("Route %1 sent to the GPS."));
    case TDeviceText::RteCaption:
        return Tr(QStringLiteral("Choix route"), QStringLiteral("Choose a route"));
    case TDeviceText::RteRead:
        return Tr(QStringLiteral("Numéro de la route à lire :"),
                  QStringLiteral("Number of the route to read:"));
    case TDeviceText::RteWrite:
        return Tr(QStringLiteral("Numéro de la route à écrire :"),
                  QStringLiteral("Number of the route to write:"));
    case TDeviceText::NoSwp:
        return Tr(QStringLiteral("Aucun fichier way-points n'est ouvert; transfert impossible !"),
                  QStringLiteral("No waypoint file is open; transfer impossible!"));
    case TDeviceText::CheckNames:
        return Tr(QStringLiteral("Vérification des way-points"), QStringLiteral("Checking the waypoints"));
    }
    return QString();
}

// ---- TTransferSession ------------------------------------------------------------------------

int TTransferSession::FlightCount() const
{
    return fFlights ? fFlights->FlightCount : fLastFlights;
}

void TTransferSession::Close()
{
    SetTimer(false);
    if (Ui().Prompts) Ui().Prompts->HideAdvice();
    try {
        if (Link().Connected()) LastWords();
    } catch (const EComPort&) {
        // The port is released below whatever happened here.
    }
    KeepWhatCame();
    try {
        Link().Close();
    } catch (const EComPort& e) {
        Ask(e.Message(), TMsgType::Error, mbOK);
    }
    Stopped();
    fState = 255;
    fWpt.Close();
    ShowStatus(QString());
}

void TTransferSession::Failed(const QString& /*Message*/)
{
    // A receiver that went away: what came is kept.
    KeepWhatCame();
    Stopped();
    fState = 255;
}

void TTransferSession::KeepWhatCame()
{
    FinishFlights();
    // Waypoints of an interrupted transfer stay in the set, which must then be saved.
    if (fWptOpen && fWpt.Added > 0) CompleteWaypoints();
}

void TTransferSession::StartFlights(const QString& Source, bool SplitByGap, int GapMinutes, bool SplitByFlag)
{
    TFlightSplitter::TOptions o;
    o.SplitByGap = SplitByGap;
    o.GapMinutes = GapMinutes;
    o.SplitByFlag = SplitByFlag;
    fFlights = std::make_unique<TFlightSplitter>(Source, o);
    fLastFlights = 0;
}

bool TTransferSession::AddFix(const TRec& Fix, TDateTime T, bool NewTrackFlag)
{
    if (fFlights && fFlights->AddPoint(Fix, T, true, NewTrackFlag)) return true;
    ++fErrorCount;
    return false;
}

void TTransferSession::FinishFlights()
{
    // Only a track download under way owns traces; other transfers touch none.
    if (!fFlights) return;
    fFlights->Finish();
    fLastFlights = fFlights->FlightCount;
    fFlights.reset();
    NotifyModelChanged();
}

QString TTransferSession::LastFixText() const
{
    const TTrj* t = FlightTrj();
    if (!t || !t->Last) return QString();
    return QStringLiteral("  %1 %2  %3m")
        .arg(LatiToStr(t->Last->Lat), LongToStr(t->Last->Lon))
        .arg(t->Last->Alt);
}

bool TTransferSession::PrepareWaypoints(bool Interrupted)
{
    fWptOpen = false;
    if (!fWpt.Prepare(Interrupted)) return false;
    fWptOpen = true;
    return true;
}

bool TTransferSession::AddWaypoint(const TWptBase& W)
{
    return fWpt.Add(W);
}

void TTransferSession::CompleteWaypoints()
{
    fWpt.Complete();
    fWptOpen = false;
}

TWptBase TTransferSession::RoutePoint(const QString& Name)
{
    TWptBase t;
    t.Name = Name;
    const QString name = Name.trimmed();
    for (const TWpt* w = Swp ? Swp->First : nullptr; w; w = w->Next) {
        if (w->Name.trimmed() != name) continue;
        t.Lat = w->Lat;
        t.Lon = w->Lon;
        t.Comment = w->Comment.left(WptCommentLen);
        t.Alt = w->Alt;
        return t;
    }
    ++fErrorCount; // left at 0/0: not linked to a waypoint
    return t;
}

bool TTransferSession::AskRouteNumber(bool Read, int& Number)
{
    return Ui().Prompts &&
           Ui().Prompts->InputNumber(DeviceText(TDeviceText::RteCaption),
                                     DeviceText(Read ? TDeviceText::RteRead : TDeviceText::RteWrite), Number);
}

bool TTransferSession::CheckUpload(int NameLen, bool OnlyMarked, uint16_t& Count, bool Centred)
{
    if (!Swp) {
        Ask(DeviceText(TDeviceText::NoSwp), TMsgType::Warning, mbOK);
        return false;
    }
    Info(DeviceText(TDeviceText::CheckNames), Centred);
    const bool go = CheckGpsNames(NameLen, OnlyMarked, Count);
    Info(QString());
    return go;
}
