#include "devices/DeviceSession.h"

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
