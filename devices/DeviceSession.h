#pragma once
// What every device window (logger, NMEA, Garmin, MLR, Magellan) shares: a session object that
// holds the command state machine and runs one step per timer tick, talking to the device
// through a serial-link interface and to the user through small interfaces (status text,
// progress, prompts, timer). The window only owns the widgets and the timer and forwards.
//
// No port error escapes a tick: the session stops the timer, releases the port and shows one
// message.
#include "devices/CPort.h"
#include "devices/Download.h"
#include "devices/LinkTrace.h"
#include "platform/Msg.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>

// ---- The link to the device ------------------------------------------------------------------

class ISerialLink
{
public:
    virtual ~ISerialLink() = default;
    virtual void SetPort(const QString& Port) = 0; // "COMn"
    virtual void SetBaudRate(TBaudRate Rate) = 0;
    virtual void SetStopBits(TStopBits Bits) = 0;
    // Open and Close raise EComPort; Close releases the port first.
    virtual void Open() = 0;
    virtual void Close() = 0;
    virtual bool Connected() const = 0;
    // At most Count bytes already received; never waits.
    virtual QByteArray Read(int Count) = 0;
    virtual void Write(const QByteArray& Bytes) = 0;
    virtual void ClearBuffer(bool Input, bool Output) = 0;
};

// The link over the serial-port component, with the one operation record a window keeps from
// its first start until the port is closed.
class TComPortLink : public ISerialLink
{
public:
    TComPort& ComPort() { return fPort; }
    void SetPort(const QString& Port) override { fPort.SetPort(Port); }
    void SetBaudRate(TBaudRate Rate) override { fPort.SetBaudRate(Rate); }
    void SetStopBits(TStopBits Bits) override { fPort.SetStopBits(Bits); }
    void Open() override;
    void Close() override;
    bool Connected() const override { return fPort.Connected(); }
    QByteArray Read(int Count) override;
    void Write(const QByteArray& Bytes) override;
    void ClearBuffer(bool Input, bool Output) override { fPort.ClearBuffer(Input, Output); }

private:
    TComPort fPort;
    std::unique_ptr<TComAsync> fAsync;
};

// ---- The user side ---------------------------------------------------------------------------

// The status panel ("Info") of the window.
class IDeviceStatus
{
public:
    virtual ~IDeviceStatus() = default;
    virtual void SetInfo(const QString& Text) = 0;
    virtual QString InfoText() const = 0;
};

// The progress bar of a transfer (positions 1..100).
class IDeviceProgress
{
public:
    virtual ~IDeviceProgress() = default;
    virtual void SetProgress(int Position) = 0;
};

// Questions and messages, and the shared message window that shows connection advice while a
// transfer goes on.
class IDevicePrompts
{
public:
    virtual ~IDevicePrompts() = default;
    virtual int Ask(const QString& Text, TMsgType Type, int Buttons) = 0;
    virtual bool Input(const QString& Caption, const QString& Prompt, QString& Value) = 0;
    // A route number 0..19 (the input window's number box); without one, the number as text.
    virtual bool InputNumber(const QString& Caption, const QString& Prompt, int& Value);
    virtual void ShowAdvice(const QString& Text) = 0; // shown without waiting
    virtual void HideAdvice() = 0;
    virtual bool AdviceVisible() const = 0;
};

// The window's timer.
class IDeviceTimer
{
public:
    virtual ~IDeviceTimer() = default;
    virtual void SetTimerEnabled(bool On) = 0;
    virtual bool TimerEnabled() const = 0;
    virtual void SetTimerInterval(int Ms) = 0;
    virtual int TimerInterval() const = 0;
};

struct TDeviceUi
{
    IDeviceStatus* Status = nullptr;
    IDeviceProgress* Progress = nullptr;
    IDevicePrompts* Prompts = nullptr;
    IDeviceTimer* Timer = nullptr;
};

// Prompts through the message helper (scripted in tests); the advice is only remembered.
class TMsgPrompts : public IDevicePrompts
{
public:
    int Ask(const QString& Text, TMsgType Type, int Buttons) override;
    bool Input(const QString& Caption, const QString& Prompt, QString& Value) override;
    void ShowAdvice(const QString& Text) override;
    void HideAdvice() override { fAdviceVisible = false; }
    bool AdviceVisible() const override { return fAdviceVisible; }
    const QString& AdviceText() const { return fAdvice; }

private:
    QString fAdvice;
    bool fAdviceVisible = false;
};

// ---- Texts the transfer windows share ------------------------------------------------------------

enum class TDeviceText
{
    PointsRead, // %1 points, %2 flights, %3 errors
    WptRead,    // %1 waypoints, %2 errors
    RteSent,    // %1 route number
    RteCaption,
    RteRead,
    RteWrite,
    NoSwp,
    CheckNames,
};
// In the language chosen.
QString DeviceText(TDeviceText Id);

// ---- The session -----------------------------------------------------------------------------

class TDeviceSession
{
public:
    TDeviceSession(ISerialLink& Link, const TDeviceUi& Ui);
    virtual ~TDeviceSession();
    TDeviceSession(const TDeviceSession&) = delete;
    TDeviceSession& operator=(const TDeviceSession&) = delete;

    // One timer step. Nothing happens while the timer is off, nor for a tick that comes while
    // one runs (a box of the step opened a local event loop). No error escapes.
    void Tick();
    // Opens the link on the port; the timer runs (at IntervalMs, when given) only when the
    // port is connected. A port that cannot be opened is reported; false then.
    bool StartLink(const QString& Port, int IntervalMs = 0);
    // Timer off and port closed; a failure is reported, never raised.
    void StopCom();
    bool Running() const { return fUi.Timer && fUi.Timer->TimerEnabled(); }

    // The link-trace file ("Log" of the window's settings).
    void OpenTrace();
    void CloseTrace();
    bool LogOn() const { return fTrace.IsOpen(); }
    TLinkTrace& Trace() { return fTrace; }

    ISerialLink& Link() { return fLink; }
    const TDeviceUi& Ui() const { return fUi; }

    // A command ended (the window focuses its close button), and with true when the status
    // text is a result to centre, false for a progress line.
    std::function<void()> OnCommandEnd;
    std::function<void(bool Centred)> OnInfoAlign;
    // Milliseconds of a steady clock; the time-outs are measured on it (tests drive it).
    std::function<qint64()> Clock;

protected:
    // One step of the state machine; may raise.
    virtual void Step() = 0;
    // After a failure ended the command (timer off, port released), before the message shows.
    virtual void Failed(const QString& /*Message*/) {}

    // Non-blocking read of at most Count bytes; a write of a whole unit. Neither is traced:
    // protocols trace their own units (frames, sentences).
    QByteArray ReadLink(int Count = 200) { return fLink.Read(Count); }
    void WriteLink(const QByteArray& Bytes) { fLink.Write(Bytes); }
    void TraceUnit(bool Tx, const QByteArray& Unit) { fTrace.Write(Tx, Unit); }

    // Clock's reading, or the steady clock's.
    qint64 Now() const;
    void SetInfo(const QString& Text);
    // The status text, aligned through OnInfoAlign first.
    void Info(const QString& Text, bool Centred = false);
    // Timer off, a full progress bar, the result centred, then OnCommandEnd.
    void Finish(const QString& Result);
    // As Finish, for a download that brought data into the model: the views then show it.
    void FinishDownload(const QString& Result);
    // The plan and profile views fitted to the data, so that what arrived is in sight.
    static void ShowReceived();
    void SetProgress(int Position);
    int Ask(const QString& Text, TMsgType Type, int Buttons);
    void SetTimer(bool On);
    void SetInterval(int Ms);
    int Interval() const;

private:
    void Fail(const QString& Message);

    ISerialLink& fLink;
    TDeviceUi fUi;
    TLinkTrace fTrace;
    bool fInTick = false;
};

// ---- The transfer sessions -----------------------------------------------------------------------

// What the receivers that exchange tracks, waypoints and routes (MLR, Magellan) share around
// their own protocol steps: the command state (255 idle), the error count, the flights of a
// track download, the waypoint set of a waypoint download, the route's turn points taken from
// the waypoints, and the ending of a transfer by a new command, a failure or the closing of the
// window, which keeps what came.
class TTransferSession : public TDeviceSession
{
public:
    using TDeviceSession::TDeviceSession;

    int State() const { return fState; }
    int ErrorCount() const { return fErrorCount; }
    // Flights of the track download under way, else of the last one.
    int FlightCount() const;
    const QString& OldSwpFile() const { return fWpt.OldSwpFile; }

    // The window closes: timer off, advice hidden, what came kept, the protocol's last words
    // said, the port closed (a failure reported), the waypoint file closed for a download that
    // brought nothing reopened.
    void Close();

protected:
    void Failed(const QString& Message) override;
    // Said before the port closes with the window (no port error escapes it).
    virtual void LastWords() {}
    // The protocol's own state back to rest after a transfer ended by closing or failure.
    virtual void Stopped() {}

    // A transfer cut short by another command, a failure or the closing keeps what it brought.
    void KeepWhatCame();

    // Flights: a track download owns the traces it made from StartFlights to FinishFlights.
    void StartFlights(const QString& Source, bool SplitByGap, int GapMinutes, bool SplitByFlag);
    bool FlightsOpen() const { return fFlights != nullptr; }
    TTrj* FlightTrj() const { return fFlights ? fFlights->Current() : nullptr; }
    // A fix at date-time T; false when refused (counted then in the error count).
    bool AddFix(const TRec& Fix, TDateTime T, bool NewTrackFlag);
    void FinishFlights();
    // "  latitude longitude  altitude m" of the last fix of the flight under way, or nothing.
    QString LastFixText() const;

    // Waypoints: Prepare asks about the open set (false: the download does not start).
    bool PrepareWaypoints(bool Interrupted);
    bool AddWaypoint(const TWptBase& W);
    void CompleteWaypoints();

    // The waypoint named so (blanks around the names ignored) as a route point; a name with no
    // waypoint stays at 0/0 and counts an error.
    TWptBase RoutePoint(const QString& Name);
    // The route number asked of the user (Read: to read, else to write); false on Cancel.
    bool AskRouteNumber(bool Read, int& Number);
    // Before a waypoint upload: the set is open and its names checked for the receiver (names
    // of NameLen characters, OnlyMarked the marked ones); Count of those to send.
    bool CheckUpload(int NameLen, bool OnlyMarked, uint16_t& Count, bool Centred);

    int fState = 255;
    int fErrorCount = 0;

private:
    std::unique_ptr<TFlightSplitter> fFlights;
    int fLastFlights = 0;
    TWptDownload fWpt;
    bool fWptOpen = false; // a waypoint download added to the set and has not completed
};
