#include "devices/CPort.h"

#include "model/Define.h"
#include "platform/IniFile.h"
#include "platform/Msg.h"
#include "platform/Text1252.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <poll.h>
#include <sys/eventfd.h>
#include <system_error>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

// A write is refused while this much earlier output still waits for the line: such a backlog
// is a transmit queue that does not move. One write larger than this goes out whole.
constexpr int kTxQueueLimit = 65536;
// Upper bound of the wait for the output to leave when the port closes.
constexpr int kMaxDrainMs = 2000;
// Period of the event thread's look at the line.
constexpr int kEventPollMs = 20;

const std::array<const char*, 23> kErrorTexts = {
    "",
    "Unable to open com port",
    "WriteFile function failed",
    "ReadFile function failed",
    "Invalid Async parameter",
    "PurgeComm function failed",
    "Unable to get async status",
    "SetCommState function failed",
    "SetCommTimeouts failed",
    "SetupComm function failed",
    "ClearCommError function failed",
    "GetCommModemStatus function failed",
    "EscapeCommFunction function failed",
    "TransmitCommChar function failed",
    "Cannot set SyncMethod while connected",
    "EnumPorts function failed",
    "Failed to store settings",
    "Failed to load settings",
    "Link (un)registration failed",
    "Cannot change led state if ComPort is selected",
    "Cannot wait for event if event thread is created",
    "WaitForEvent method failed",
    "A component is linked to OnRxBuf event",
};

const QString kClosed = QStringLiteral("the port is not open");

int MsLeft(Clock::time_point deadline)
{
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return static_cast<int>(std::max<long long>(0, ms));
}

template <size_t N> int FindText(const std::array<const char*, N>& names, const QString& s, int def)
{
    const QString up = s.toUpper();
    for (size_t i = 0; i < N; ++i)
        if (up == QString::fromLatin1(names[i]).toUpper()) return static_cast<int>(i);
    return def;
}

const std::array<const char*, 16> kBaudNames = {"Custom", "110",    "300",    "600",   "1200",  "2400",
                                                "4800",   "9600",   "14400",  "19200", "38400", "56000",
                                                "57600",  "115200", "128000", "256000"};
const std::array<const char*, 3> kStopNames = {"1", "1.5", "2"};
const std::array<const char*, 4> kDataNames = {"5", "6", "7", "8"};
const std::array<const char*, 5> kParityNames = {"None", "Odd", "Even", "Mark", "Space"};
const std::array<const char*, 4> kFlowNames = {"Hardware", "Software", "None", "Custom"};
const std::array<const char*, 3> kDtrNames = {"Disable", "Enable", "Handshake"};
const std::array<const char*, 4> kRtsNames = {"Disable", "Enable", "Handshake", "Toggle"};

} // namespace

// ---- Errors --------------------------------------------------------------------------------

QString ComErrorText(int code)
{
    if (code < 1 || code >= static_cast<int>(kErrorTexts.size())) return QString();
    return QString::fromLatin1(kErrorTexts[code]);
}

EComPort::EComPort(int code, int winCode, const QString& detail) : WinCode(winCode), Code(code)
{
    // The table text, with " (win error code: n)" when the system gave a code; then, on a line
    // of its own, what failed (the device path) and the system's reason.
    fMessage = ComErrorText(code);
    if (winCode != -1) fMessage += QStringLiteral(" (win error code: %1)").arg(winCode);
    QString where = detail;
    if (winCode != -1 && winCode != 0)
        where += (where.isEmpty() ? QString() : QStringLiteral(": ")) + SerialLine::Reason(winCode);
    if (!where.isEmpty()) fMessage += QLatin1Char('\n') + where;
    fWhat = fMessage.toStdString();
}

EComPort EComPort::Told(int code, int winCode, const QString& message)
{
    EComPort e(code, winCode);
    e.fMessage = message;
    e.fWhat = message.toStdString();
    return e;
}

// ---- Converters ----------------------------------------------------------------------------

int32_t BaudRateValue(TBaudRate rate, int32_t custom)
{
    if (rate == brCustom) return custom;
    return QString::fromLatin1(kBaudNames[rate]).toInt();
}

QString BaudRateToStr(TBaudRate v)
{
    return QString::fromLatin1(kBaudNames[v]);
}
TBaudRate StrToBaudRate(const QString& s)
{
    return static_cast<TBaudRate>(FindText(kBaudNames, s, br9600));
}
QString StopBitsToStr(TStopBits v)
{
    return QString::fromLatin1(kStopNames[v]);
}
TStopBits StrToStopBits(const QString& s)
{
    return static_cast<TStopBits>(FindText(kStopNames, s, sbOneStopBit));
}
QString DataBitsToStr(TDataBits v)
{
    return QString::fromLatin1(kDataNames[v]);
}
TDataBits StrToDataBits(const QString& s)
{
    return static_cast<TDataBits>(FindText(kDataNames, s, dbEight));
}
QString ParityToStr(TParityBits v)
{
    return QString::fromLatin1(kParityNames[v]);
}
TParityBits StrToParity(const QString& s)
{
    return static_cast<TParityBits>(FindText(kParityNames, s, prNone));
}
QString FlowControlToStr(TFlowControl v)
{
    return QString::fromLatin1(kFlowNames[v]);
}
TFlowControl StrToFlowControl(const QString& s)
{
    return static_cast<TFlowControl>(FindText(kFlowNames, s, fcCustom));
}
QString DTRToStr(TDTRFlowControl v)
{
    return QString::fromLatin1(kDtrNames[v]);
}
TDTRFlowControl StrToDTR(const QString& s)
{
    return static_cast<TDTRFlowControl>(FindText(kDtrNames, s, dtrDisable));
}
QString RTSToStr(TRTSFlowControl v)
{
    return QString::fromLatin1(kRtsNames[v]);
}
TRTSFlowControl StrToRTS(const QString& s)
{
    return static_cast<TRTSFlowControl>(FindText(kRtsNames, s, rtsDisable));
}
QString ComBoolToStr(bool v)
{
    return v ? QStringLiteral("Yes") : QStringLiteral("No");
}
bool ComStrToBool(const QString& s)
{
    return s.toUpper() == QLatin1String("YES");
}

QString ComCharToStr(uint8_t c)
{
    if (c >= 33 && c <= 127) return QString(QChar(c));
    return QStringLiteral("#%1").arg(c);
}

uint8_t ComStrToChar(const QString& s)
{
    if (s.isEmpty()) return 0;
    if (s.size() > 1 && s[0] == QLatin1Char('#')) {
        bool ok = false;
        int v = s.mid(1).toInt(&ok);
        return ok && v >= 0 && v <= 255 ? static_cast<uint8_t>(v) : 0;
    }
    const QByteArray b = ToWin1252(s.left(1));
    return b.isEmpty() ? 0 : static_cast<uint8_t>(b[0]);
}

// ---- Setting objects -----------------------------------------------------------------------

void TComTimeouts::Set(int32_t& field, int32_t v)
{
    if (field == v) return;
    field = v;
    if (ComPort) ComPort->ApplyTimeouts();
}

void TComTimeouts::Assign(const TComTimeouts& src)
{
    fReadInterval = src.fReadInterval;
    fReadTotalM = src.fReadTotalM;
    fReadTotalC = src.fReadTotalC;
    fWriteTotalM = src.fWriteTotalM;
    fWriteTotalC = src.fWriteTotalC;
}

void TComFlowControl::Changed()
{
    if (ComPort) ComPort->ApplyDCB();
}

TFlowControl TComFlowControl::FlowControl() const
{
    if (fControlRTS == rtsHandshake && fOutCTSFlow && !fXonXoffIn && !fXonXoffOut) return fcHardware;
    if (fControlRTS == rtsDisable && !fOutCTSFlow && fXonXoffIn && fXonXoffOut) return fcSoftware;
    if (fControlRTS == rtsDisable && !fOutCTSFlow && !fXonXoffIn && !fXonXoffOut) return fcNone;
    return fcCustom;
}

void TComFlowControl::SetFlowControl(TFlowControl v)
{
    if (v != fcCustom) {
        fControlRTS = rtsDisable;
        fOutCTSFlow = fXonXoffIn = fXonXoffOut = false;
        if (v == fcHardware) {
            fControlRTS = rtsHandshake;
            fOutCTSFlow = true;
        } else if (v == fcSoftware) {
            fXonXoffIn = fXonXoffOut = true;
        }
    }
    Changed();
}

void TComFlowControl::Assign(const TComFlowControl& src)
{
    fOutCTSFlow = src.fOutCTSFlow;
    fOutDSRFlow = src.fOutDSRFlow;
    fControlDTR = src.fControlDTR;
    fControlRTS = src.fControlRTS;
    fXonXoffOut = src.fXonXoffOut;
    fXonXoffIn = src.fXonXoffIn;
    fDSRSensitivity = src.fDSRSensitivity;
    fTxContinueOnXoff = src.fTxContinueOnXoff;
    fXonChar = src.fXonChar;
    fXoffChar = src.fXoffChar;
}

void TComParity::Changed()
{
    if (ComPort) ComPort->ApplyDCB();
}

void TComParity::SetBits(TParityBits v)
{
    if (fBits == v) return;
    fBits = v;
    Changed();
}

void TComParity::SetCheck(bool v)
{
    if (fCheck == v) return;
    fCheck = v;
    Changed();
}

void TComParity::SetReplace(bool v)
{
    if (fReplace == v) return;
    fReplace = v;
    Changed();
}

void TComParity::SetReplaceChar(uint8_t v)
{
    if (fReplaceChar == v) return;
    fReplaceChar = v;
    Changed();
}

void TComParity::Assign(const TComParity& src)
{
    fBits = src.fBits;
    fCheck = src.fCheck;
    fReplace = src.fReplace;
    fReplaceChar = src.fReplaceChar;
}

void TComBuffer::SetInputSize(int32_t v)
{
    fInputSize = (v & 1) ? v - 1 : v;
    if (ComPort) ComPort->ApplyBuffer();
}

void TComBuffer::SetOutputSize(int32_t v)
{
    fOutputSize = (v & 1) ? v - 1 : v;
    if (ComPort) ComPort->ApplyBuffer();
}

void TComBuffer::Assign(const TComBuffer& src)
{
    fInputSize = src.fInputSize;
    fOutputSize = src.fOutputSize;
}

// ---- The port: properties ------------------------------------------------------------------

TCustomComPort::TCustomComPort()
{
    fBuffer.ComPort = this;
    fParity.ComPort = this;
    fTimeouts.ComPort = this;
    fFlowControl.ComPort = this;
}

TCustomComPort::~TCustomComPort()
{
    try {
        Close();
    } catch (...) {
    }
    Release();
}

void TCustomComPort::SetConnected(bool v)
{
    if (v == fConnected) return;
    if (v)
        Open();
    else
        Close();
}

void TCustomComPort::SetBaudRate(TBaudRate v)
{
    if (fBaudRate == v) return;
    fBaudRate = v;
    ApplyDCB();
}

void TCustomComPort::SetCustomBaudRate(int32_t v)
{
    if (fCustomBaudRate == v) return;
    fCustomBaudRate = v;
    ApplyDCB();
}

void TCustomComPort::SetPort(const QString& v)
{
    const QString name = NormalizeComPort(v);
    if (name == fPort) return;
    fPort = name;
    if (fConnected) {
        Close();
        Open();
    }
}

void TCustomComPort::SetStopBits(TStopBits v)
{
    if (fStopBits == v) return;
    fStopBits = v;
    ApplyDCB();
}

void TCustomComPort::SetDataBits(TDataBits v)
{
    if (fDataBits == v) return;
    fDataBits = v;
    ApplyDCB();
}

void TCustomComPort::SetDiscardNull(bool v)
{
    if (fDiscardNull == v) return;
    fDiscardNull = v;
    ApplyDCB();
}

void TCustomComPort::SetEventChar(uint8_t v)
{
    if (fEventChar == v) return;
    fEventChar = v;
    ApplyDCB();
}

void TCustomComPort::SetBuffer(const TComBuffer& v)
{
    fBuffer.Assign(v);
    ApplyBuffer();
}

void TCustomComPort::SetParity(const TComParity& v)
{
    fParity.Assign(v);
    ApplyDCB();
}

void TCustomComPort::SetTimeouts(const TComTimeouts& v)
{
    fTimeouts.Assign(v);
    ApplyTimeouts();
}

void TCustomComPort::SetFlowControl(const TComFlowControl& v)
{
    fFlowControl.Assign(v);
    ApplyDCB();
}

void TCustomComPort::SetSyncMethod(TSyncMethod v)
{
    if (v == fSyncMethod) return;
    if (fConnected) throw EComPort(14);
    fSyncMethod = v;
}

QString TCustomComPort::DevicePath() const
{
    return fFixedPath.isEmpty() ? ComDevicePath(fPort) : fFixedPath;
}

// ---- Applying the settings -----------------------------------------------------------------

void TCustomComPort::ApplyBuffer()
{
    // The driver's queues have fixed sizes here; the sizes only set the flow-control limits.
}

void TCustomComPort::ApplyTimeouts()
{
    // Reads and writes never wait in the driver: the time-outs are applied by ReadAsync,
    // WaitAsync and ReadWait.
}

void TCustomComPort::ApplyDCB()
{
    if (!fConnected) return;
    SerialLineSettings s;
    s.Baud = BaudRateValue(fBaudRate, fCustomBaudRate);
    s.DataBits = 5 + static_cast<int>(fDataBits);
    s.Stop = fStopBits == sbOneStopBit     ? SerialLineSettings::Stop1
             : fStopBits == sbOne5StopBits ? SerialLineSettings::Stop1_5
                                           : SerialLineSettings::Stop2;
    s.ParityBits = static_cast<SerialLineSettings::Parity>(fParity.Bits());
    s.ParityCheck = fParity.Check();
    s.ParityReplace = fParity.Replace();
    s.ReplaceChar = fParity.ReplaceChar();
    s.DiscardNull = fDiscardNull;
    s.XonXoffOut = fFlowControl.XonXoffOut();
    s.XonXoffIn = fFlowControl.XonXoffIn();
    s.XonChar = fFlowControl.XonChar();
    s.XoffChar = fFlowControl.XoffChar();
    s.CtsOut = fFlowControl.OutCTSFlow();
    switch (fFlowControl.ControlDTR()) {
    case dtrDisable:
        s.Dtr = SerialLineSettings::LineOff;
        break;
    case dtrEnable:
        s.Dtr = SerialLineSettings::LineOn;
        break;
    case dtrHandshake:
        s.Dtr = SerialLineSettings::LineHandshake;
        break;
    }
    switch (fFlowControl.ControlRTS()) {
    case rtsEnable:
        s.Rts = SerialLineSettings::LineOn;
        break;
    case rtsHandshake:
        s.Rts = SerialLineSettings::LineHandshake;
        break;
    default:
        s.Rts = SerialLineSettings::LineOff;
        break; // toggling is the driver's RS-485 mode
    }
    if (!fLine.Apply(s)) throw EComPort(7, fLine.LastError(), fLine.Path());
}

// ---- Opening and closing -------------------------------------------------------------------

void TCustomComPort::Open()
{
    if (fConnected) return;
    CallBeforeOpen();
    const QString path = DevicePath();
    if (!fLine.Open(path))
        throw EComPort::Told(1, fLine.LastError(),
                             Tr(QStringLiteral("Impossible d'ouvrir le port %1 (%2 : %3)."),
                                QStringLiteral("Cannot open port %1 (%2: %3)."))
                                 .arg(fPort, path, SerialLine::Reason(fLine.LastError())));
    fConnected = true;
    fTxQueue.clear();
    fTxQueued = 0;
    fTxSent = 0;
    try {
        ApplyBuffer();
        ApplyDCB();
        ApplyTimeouts();
        fLine.Errors(fErrorBase);
        if (NeedsEventThread()) StartEventThread();
        CallAfterOpen();
    } catch (...) {
        Release();
        throw;
    }
}

void TCustomComPort::Release()
{
    StopEventThread();
    fLine.Close(0);
    fConnected = false;
    fTxQueue.clear();
}

int TCustomComPort::DrainTimeMs() const
{
    int queued = 0;
    const_cast<SerialLine&>(fLine).OutputQueue(queued);
    const long long bytes = static_cast<long long>(queued) + fTxQueue.size();
    long long ms = static_cast<long long>(std::max(0, fTimeouts.WriteTotalMultiplier())) * bytes +
                   std::max(0, fTimeouts.WriteTotalConstant());
    if (ms <= 0 || ms > kMaxDrainMs) ms = kMaxDrainMs;
    return static_cast<int>(ms);
}

void TCustomComPort::Close()
{
    if (!fConnected) return;
    std::exception_ptr first;
    auto guard = [&](auto&& step) {
        try {
            step();
        } catch (...) {
            if (!first) first = std::current_exception();
        }
    };
    guard([&] { CallBeforeClose(); });
    const int drainMs = DrainTimeMs();
    const auto deadline = Clock::now() + std::chrono::milliseconds(drainMs);
    // Everything written leaves before the line closes, within a bounded wait (a last command
    // written just before closing must reach the device); only the input is discarded.
    guard([&] {
        while (fLine.IsOpen() && !fTxQueue.isEmpty() && Clock::now() < deadline) {
            PumpTx(2);
            if (!fTxQueue.isEmpty()) fLine.WaitWritable(std::min(MsLeft(deadline), 20));
        }
    });
    StopEventThread();
    const bool stuck = !fTxQueue.isEmpty();
    if (fLine.IsOpen()) {
        // A device that goes at this moment leaves its error; a line that stalls, a time-out.
        const bool drained = fLine.Close(stuck ? 0 : std::max(1, MsLeft(deadline)));
        const int err = stuck ? ETIMEDOUT : fLine.LastError();
        if ((stuck || !drained) && !first) {
            const bool gone = err == EIO || err == ENXIO || err == ENODEV;
            first = std::make_exception_ptr(
                EComPort::Told(2, err, gone ? LostText(err) : UnsentText(err, drainMs)));
        }
    }
    fConnected = false;
    fTxQueue.clear();
    guard([&] { CallAfterClose(); });
    if (first) std::rethrow_exception(first);
}

QString TCustomComPort::LostText(int err) const
{
    return Tr(QStringLiteral("Le port %1 a été déconnecté (%2 : %3)."),
              QStringLiteral("Port %1 was disconnected (%2: %3)."))
        .arg(fPort, fLine.Path(), SerialLine::Reason(err));
}

QString TCustomComPort::UnsentText(int err, int ms) const
{
    if (err == ETIMEDOUT)
        return Tr(QStringLiteral("Le port %1 n'a pas pu envoyer ses dernières données en %2 ms (%3)."),
                  QStringLiteral("Port %1 could not send its last data within %2 ms (%3)."))
            .arg(fPort)
            .arg(ms)
            .arg(fLine.Path());
    return Tr(QStringLiteral("Le port %1 n'a pas pu envoyer ses dernières données (%2 : %3)."),
              QStringLiteral("Port %1 could not send its last data (%2: %3)."))
        .arg(fPort, fLine.Path(), SerialLine::Reason(err));
}

[[noreturn]] void TCustomComPort::LoseDevice(int code)
{
    const int err = fLine.LastError();
    const QString text = LostText(err);
    try {
        CallBeforeClose();
    } catch (...) {
    }
    Release();
    try {
        CallAfterClose();
    } catch (...) {
    }
    throw EComPort::Told(code, err, text);
}

// ---- Notifications -------------------------------------------------------------------------

void TCustomComPort::CallBeforeOpen()
{
    if (OnBeforeOpen) OnBeforeOpen(*this);
}

void TCustomComPort::CallAfterOpen()
{
    for (TComLink* l : fLinks) l->ConnectionChanged(*this, true);
    if (OnAfterOpen) OnAfterOpen(*this);
    // The initial states of the modem lines, for whoever follows them.
    if (!fLinks.empty() || OnCTSChange || OnDSRChange || OnRLSDChange) {
        DeliverSignal(csCTS, evCTS);
        DeliverSignal(csDSR, evDSR);
        DeliverSignal(csRLSD, evRLSD);
    }
}

void TCustomComPort::CallBeforeClose()
{
    for (TComLink* l : fLinks) {
        l->CTSChanged(*this, false);
        l->DSRChanged(*this, false);
        l->RLSDChanged(*this, false);
    }
    if (OnCTSChange) OnCTSChange(*this, false);
    if (OnDSRChange) OnDSRChange(*this, false);
    if (OnRLSDChange) OnRLSDChange(*this, false);
    if (OnBeforeClose) OnBeforeClose(*this);
}

void TCustomComPort::CallAfterClose()
{
    for (TComLink* l : fLinks) l->ConnectionChanged(*this, false);
    if (OnAfterClose) OnAfterClose(*this);
}

void TCustomComPort::RegisterLink(TComLink* Link)
{
    if (!Link || std::find(fLinks.begin(), fLinks.end(), Link) != fLinks.end()) throw EComPort(18);
    fLinks.push_back(Link);
}

void TCustomComPort::UnRegisterLink(TComLink* Link)
{
    auto it = std::find(fLinks.begin(), fLinks.end(), Link);
    if (it == fLinks.end()) throw EComPort(18);
    fLinks.erase(it);
}

// ---- Queues and line state -----------------------------------------------------------------

void TCustomComPort::ClearBuffer(bool Input, bool Output)
{
    if (!fConnected) throw EComPort(5, -1, kClosed);
    if (Output) {
        fTxQueue.clear();
        fTxSent = fTxQueued;
    }
    if (!fLine.Purge(Input, Output)) throw EComPort(5, fLine.LastError(), fLine.Path());
}

int TCustomComPort::RxQueueCount()
{
    if (!fConnected) throw EComPort(10, -1, kClosed);
    int n = 0;
    if (!fLine.InputQueue(n)) throw EComPort(10, fLine.LastError(), fLine.Path());
    return n;
}

TComSignals TCustomComPort::LineSignals()
{
    if (!fConnected) throw EComPort(11, -1, kClosed);
    unsigned lines = 0;
    if (!fLine.ModemLines(lines)) throw EComPort(11, fLine.LastError(), fLine.Path());
    TComSignals s;
    if (lines & SerialLine::ModemCts) s.Include(csCTS);
    if (lines & SerialLine::ModemDsr) s.Include(csDSR);
    if (lines & SerialLine::ModemRing) s.Include(csRing);
    if (lines & SerialLine::ModemRlsd) s.Include(csRLSD);
    return s;
}

TComErrors TCustomComPort::LineErrors()
{
    if (!fConnected) throw EComPort(10, -1, kClosed);
    SerialLine::ErrorCounts c;
    if (!fLine.Errors(c)) throw EComPort(10, fLine.LastError(), fLine.Path());
    TComErrors e;
    if (c.Frame != fErrorBase.Frame) e.Include(ceFrame);
    if (c.Parity != fErrorBase.Parity && fParity.Check()) e.Include(ceRxParity);
    if (c.Overrun != fErrorBase.Overrun) e.Include(ceOverrun);
    if (c.Break != fErrorBase.Break) e.Include(ceBreak);
    if (c.BufferOverrun != fErrorBase.BufferOverrun) e.Include(ceRxOver);
    if (fTxQueue.size() >= kTxQueueLimit) e.Include(ceTxFull);
    fErrorBase = c; // reading the errors clears them
    return e;
}

// ---- Reads and writes ----------------------------------------------------------------------

void TCustomComPort::InitAsync(std::unique_ptr<TComAsync>& Async)
{
    Async = std::make_unique<TComAsync>();
}

void TCustomComPort::DoneAsync(std::unique_ptr<TComAsync>& Async)
{
    Async.reset();
}

void TCustomComPort::PumpTx(int code)
{
    while (!fTxQueue.isEmpty()) {
        SerialLine::Io io;
        long n = fLine.Write(fTxQueue.constData(), static_cast<size_t>(fTxQueue.size()), io);
        if (io == SerialLine::Io::HungUp) LoseDevice(code);
        if (io == SerialLine::Io::Failed) throw EComPort(code, fLine.LastError(), fLine.Path());
        if (n <= 0) break;
        fTxQueue.remove(0, static_cast<int>(n));
        fTxSent += n;
    }
}

int TCustomComPort::WriteAsync(const void* Buffer, int Count, TComAsync* Async)
{
    if (!Async) throw EComPort(4);
    Count = std::max(0, Count);
    Async->Kind = 0;
    Async->Data = QByteArray(static_cast<const char*>(Buffer), Count);
    Async->HasData = true;
    Async->Size = Count;
    Async->Pending = false;
    Async->Transferred = 0;
    if (!fConnected) throw EComPort(2, -1, kClosed);
    // The limit is on output already waiting: a single write of any size is taken whole.
    if (fTxQueue.size() >= kTxQueueLimit)
        throw EComPort(2, ENOBUFS, fLine.Path() + QStringLiteral(": the output does not leave"));
    fTxQueue.append(Async->Data);
    fTxQueued += Count;
    Async->WriteEnd = fTxQueued;
    for (TComLink* l : fLinks) l->TxActivity(*this, true);
    PumpTx(2);
    if (fTxSent >= Async->WriteEnd) {
        Async->Transferred = Count;
        return Count;
    }
    Async->Pending = true;
    return 0;
}

int TCustomComPort::WriteStrAsync(const QByteArray& Str, TComAsync* Async)
{
    return WriteAsync(Str.constData(), static_cast<int>(Str.size()), Async);
}

bool TCustomComPort::ReadIsImmediate() const
{
    return fTimeouts.ReadInterval() == -1 && fTimeouts.ReadTotalMultiplier() == 0 &&
           fTimeouts.ReadTotalConstant() == 0;
}

int TCustomComPort::ReadAsync(void* Buffer, int Count, TComAsync* Async)
{
    if (!Async) throw EComPort(4);
    Async->Kind = 1;
    Async->Pending = false;
    Async->Transferred = 0;
    if (!fConnected) throw EComPort(3, -1, kClosed);
    if (!fTxQueue.isEmpty()) PumpTx(2);
    if (Count <= 0) return 0;
    SerialLine::Io io;
    long n = fLine.Read(Buffer, static_cast<size_t>(Count), io);
    if (io == SerialLine::Io::HungUp) LoseDevice(3);
    if (io == SerialLine::Io::Failed) throw EComPort(3, fLine.LastError(), fLine.Path());
    if (ReadIsImmediate() || n >= Count) {
        Async->Transferred = static_cast<int32_t>(n);
        return static_cast<int>(n);
    }
    // The read goes on by the time-outs: WaitAsync completes it in the record's own copy.
    Async->Pending = true;
    Async->Data = QByteArray(static_cast<const char*>(Buffer), static_cast<int>(n));
    Async->HasData = false;
    Async->ReadCount = Count;
    return 0;
}

int TCustomComPort::ReadStrAsync(QByteArray& Str, int Count, TComAsync* Async)
{
    Str.resize(std::max(0, Count));
    int n = 0;
    try {
        n = ReadAsync(Str.data(), Count, Async);
    } catch (...) {
        Str.clear();
        throw;
    }
    Str.truncate(n);
    return n;
}

int TCustomComPort::WaitAsync(TComAsync* Async)
{
    if (!Async) throw EComPort(4);
    if (Async->Pending && Async->Kind == 1) {
        if (!fConnected) throw EComPort(3, -1, kClosed);
        const int32_t mult = fTimeouts.ReadTotalMultiplier(), cnst = fTimeouts.ReadTotalConstant();
        const int32_t interval = fTimeouts.ReadInterval();
        // "Any byte or the constant": the usual way to wait for the first byte with a limit.
        const bool firstByte = interval == -1 && mult == -1 && cnst > 0;
        long long total =
            firstByte ? cnst
                      : static_cast<long long>(std::max(0, mult)) * Async->ReadCount + std::max(0, cnst);
        const bool limited = total > 0;
        const auto deadline = Clock::now() + std::chrono::milliseconds(total);
        auto lastByte = Clock::now();
        QByteArray& got = Async->Data;
        while (got.size() < Async->ReadCount) {
            if (firstByte && !got.isEmpty()) break;
            int wait = limited ? MsLeft(deadline) : -1;
            if (interval > 0 && !got.isEmpty()) {
                int gap = interval - static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                                          Clock::now() - lastByte)
                                                          .count());
                if (gap <= 0) break;
                wait = wait < 0 ? gap : std::min(wait, gap);
            }
            if (limited && wait == 0) break;
            if (!fLine.WaitReadable(wait) && fLine.LastError() != 0)
                throw EComPort(3, fLine.LastError(), fLine.Path());
            const int room = Async->ReadCount - static_cast<int>(got.size());
            QByteArray chunk(room, '\0');
            SerialLine::Io io;
            long n = fLine.Read(chunk.data(), static_cast<size_t>(room), io);
            if (io == SerialLine::Io::HungUp) LoseDevice(3);
            if (io == SerialLine::Io::Failed) throw EComPort(3, fLine.LastError(), fLine.Path());
            if (n > 0) {
                got.append(chunk.constData(), static_cast<int>(n));
                lastByte = Clock::now();
            }
        }
        Async->Pending = false;
        Async->Transferred = static_cast<int32_t>(got.size());
    } else if (Async->Pending && Async->Kind == 0) {
        if (!fConnected) throw EComPort(2, -1, kClosed);
        const long long total =
            static_cast<long long>(std::max(0, fTimeouts.WriteTotalMultiplier())) * Async->Size +
            std::max(0, fTimeouts.WriteTotalConstant());
        const auto deadline = Clock::now() + std::chrono::milliseconds(total);
        for (;;) {
            PumpTx(2);
            if (fTxSent >= Async->WriteEnd) break;
            if (total > 0 && MsLeft(deadline) == 0) break;
            if (!fLine.WaitWritable(total > 0 ? std::min(MsLeft(deadline), 50) : 50) &&
                fLine.LastError() != 0)
                throw EComPort(2, fLine.LastError(), fLine.Path());
        }
        const int64_t missing = std::max<int64_t>(0, Async->WriteEnd - fTxSent);
        Async->Pending = false;
        Async->Transferred = static_cast<int32_t>(std::max<int64_t>(0, Async->Size - missing));
    }
    if (Async->Kind == 1) {
        if (fConnected && !fLinks.empty() && RxQueueCount() == 0)
            for (TComLink* l : fLinks) l->RxActivity(*this, false);
    } else if (Async->HasData) {
        for (TComLink* l : fLinks) l->TxBuf(*this, Async->Data.constData(), Async->Size);
    }
    return Async->Transferred;
}

int TCustomComPort::ReadWait(void* Buffer, int Count)
{
    std::unique_ptr<TComAsync> a;
    InitAsync(a);
    int n = ReadAsync(Buffer, Count, a.get());
    if (a->Pending) {
        n = WaitAsync(a.get());
        std::memcpy(Buffer, a->Data.constData(), static_cast<size_t>(n));
    }
    DoneAsync(a);
    return n;
}

// ---- Event thread --------------------------------------------------------------------------
// Started only when someone listens (a handler or a link): the device windows poll in their
// timer ticks and assign none, so no thread runs for them.

bool TCustomComPort::NeedsEventThread() const
{
    if (Events.Empty()) return false;
    return !fLinks.empty() || OnRxChar || OnRxBuf || OnTxEmpty || OnBreak || OnRing || OnCTSChange ||
           OnDSRChange || OnRLSDChange || OnError || OnRxFlag || OnRx80Full;
}

void TCustomComPort::StartEventThread()
{
    fStopFd = ::eventfd(0, EFD_CLOEXEC);
    if (fStopFd < 0) throw EComPort(21, errno);
    try {
        fAlive = std::make_shared<std::atomic<bool>>(true);
        fThread = std::thread([this] { EventLoop(); });
    } catch (const std::system_error& e) {
        ::close(fStopFd);
        fStopFd = -1;
        fAlive.reset();
        throw EComPort(21, e.code().value());
    } catch (...) {
        ::close(fStopFd);
        fStopFd = -1;
        fAlive.reset();
        throw;
    }
    fThreadRunning = true;
}

void TCustomComPort::StopEventThread()
{
    if (!fThreadRunning) return;
    fThreadRunning = false;
    if (fAlive) *fAlive = false;
    uint64_t one = 1;
    [[maybe_unused]] ssize_t w = ::write(fStopFd, &one, sizeof one);
    if (fThread.get_id() == std::this_thread::get_id())
        fThread.detach(); // closed by a handler on the thread
    else if (fThread.joinable())
        fThread.join();
    ::close(fStopFd);
    fStopFd = -1;
    fAlive.reset();
}

void TCustomComPort::EventLoop()
{
    const TComEvents wanted = Events;
    const int stopFd = fStopFd;
    std::shared_ptr<std::atomic<bool>> alive = fAlive;
    int lastRx = 0;
    bool above80 = false;
    unsigned lastLines = 0;
    fLine.ModemLines(lastLines);
    SerialLine::ErrorCounts lastErr;
    fLine.Errors(lastErr);
    int64_t lastSent = fTxSent;
    const int limit80 = fBuffer.InputSize() * 8 / 10;

    auto stopped = [&](int ms) {
        pollfd p{stopFd, POLLIN, 0};
        return ::poll(&p, 1, ms) > 0;
    };
    // A handler that closes the port from this thread (no synchronisation) leaves the thread
    // detached and the stop descriptor closed: the flag alone then says to end.
    while (*alive && !stopped(kEventPollMs)) {
        TComEvents ev;
        int n = 0;
        if (fLine.InputQueue(n)) {
            if (n > lastRx) ev.Include(evRxChar);
            if (n >= limit80 && !above80) ev.Include(evRx80Full);
            above80 = n >= limit80;
            lastRx = n;
        }
        int outq = 0;
        const int64_t sent = fTxSent;
        if (sent != lastSent && fLine.OutputQueue(outq) && outq == 0) {
            ev.Include(evTxEmpty);
            lastSent = sent;
        }
        unsigned lines = 0;
        if (fLine.ModemLines(lines)) {
            const unsigned changed = lines ^ lastLines;
            if (changed & SerialLine::ModemCts) ev.Include(evCTS);
            if (changed & SerialLine::ModemDsr) ev.Include(evDSR);
            if (changed & SerialLine::ModemRlsd) ev.Include(evRLSD);
            if ((changed & SerialLine::ModemRing) && (lines & SerialLine::ModemRing)) ev.Include(evRing);
            lastLines = lines;
        }
        SerialLine::ErrorCounts c;
        if (fLine.Errors(c)) {
            if (c.Break != lastErr.Break) ev.Include(evBreak);
            if (c.Frame != lastErr.Frame || c.Parity != lastErr.Parity || c.Overrun != lastErr.Overrun ||
                c.BufferOverrun != lastErr.BufferOverrun || c.Break != lastErr.Break)
                ev.Include(evError);
            lastErr = c;
        }
        ev = ev & wanted;
        if (ev.Empty()) continue;
        QCoreApplication* app = QCoreApplication::instance();
        if (fSyncMethod == smNone || !app) {
            DeliverEvents(ev);
            if (!*alive) return;
            continue;
        }
        // Hand the events to the user-interface thread and wait until they are delivered or
        // the port closes (closing never waits on a delivery).
        auto done = std::make_shared<std::atomic<bool>>(false);
        QMetaObject::invokeMethod(
            app,
            [this, alive, done, ev] {
                if (*alive) DeliverEvents(ev);
                *done = true;
            },
            Qt::QueuedConnection);
        while (!*done)
            if (stopped(5)) return;
        if (n > 0) fLine.InputQueue(lastRx); // what the handlers left queued is not new
    }
}

void TCustomComPort::DeliverSignal(TComSignal s, TComEvent ev)
{
    const bool on = LineSignals().Has(s);
    for (TComLink* l : fLinks) {
        if (ev == evCTS)
            l->CTSChanged(*this, on);
        else if (ev == evDSR)
            l->DSRChanged(*this, on);
        else
            l->RLSDChanged(*this, on);
    }
    const TComSignalEvent& h = ev == evCTS ? OnCTSChange : ev == evDSR ? OnDSRChange : OnRLSDChange;
    if (h) h(*this, on);
}

void TCustomComPort::DeliverEvents(TComEvents ev)
{
    static constexpr TComEvent order[] = {evError, evRxChar, evTxEmpty, evBreak, evRing,
                                          evCTS,   evDSR,    evRxFlag,  evRLSD,  evRx80Full};
    for (TComEvent e : order) {
        if (!ev.Has(e) || !fConnected) continue;
        try {
            switch (e) {
            case evError: {
                TComErrors errs = LineErrors();
                if (!errs.Empty() && OnError) OnError(*this, errs);
                break;
            }
            case evRxChar: {
                int n = RxQueueCount();
                if (n > 0)
                    for (TComLink* l : fLinks) l->RxActivity(*this, true);
                if (!RxCharTriggers && n > 0) {
                    QByteArray buf(n, '\0');
                    n = ReadWait(buf.data(), n);
                    for (TComLink* l : fLinks)
                        if (l->WantsRxBuf()) l->RxBuf(*this, buf.constData(), n);
                    if (OnRxBuf) OnRxBuf(*this, buf.constData(), n);
                    n = 0;
                }
                if (n > 0 && OnRxChar) OnRxChar(*this, n);
                break;
            }
            case evTxEmpty:
                for (TComLink* l : fLinks) l->TxActivity(*this, false);
                for (TComLink* l : fLinks) l->TxEmpty(*this);
                if (OnTxEmpty) OnTxEmpty(*this);
                break;
            case evBreak:
                if (OnBreak) OnBreak(*this);
                break;
            case evRing:
                for (TComLink* l : fLinks) l->Ring(*this);
                if (OnRing) OnRing(*this);
                break;
            case evCTS:
                DeliverSignal(csCTS, evCTS);
                break;
            case evDSR:
                DeliverSignal(csDSR, evDSR);
                break;
            case evRxFlag:
                for (TComLink* l : fLinks) l->RxFlag(*this);
                if (OnRxFlag) OnRxFlag(*this);
                break;
            case evRLSD:
                DeliverSignal(csRLSD, evRLSD);
                break;
            case evRx80Full:
                if (OnRx80Full) OnRx80Full(*this);
                break;
            }
        } catch (const std::exception& x) {
            // A handler's failure is shown and delivery goes on.
            MessageDlg(QString::fromStdString(x.what()), TMsgType::Error, mbOK);
        }
    }
}

// ---- Settings store ------------------------------------------------------------------------

void TCustomComPort::StoreIniFile(TIniFile& Ini)
{
    bool ok = true;
    auto put = [&](const char* key, const QString& value) {
        ok = Ini.WriteString(Name, QString::fromLatin1(key), value) && ok;
    };
    auto putInt = [&](const char* key, int value) { put(key, QString::number(value)); };
    Ini.BeginUpdate();
    if (StoreGroups.Has(stBasic)) {
        put("Port", fPort);
        put("BaudRate", BaudRateToStr(fBaudRate));
        if (fBaudRate == brCustom) putInt("CustomBaudRate", fCustomBaudRate);
        put("StopBits", StopBitsToStr(fStopBits));
        put("DataBits", DataBitsToStr(fDataBits));
        put("Parity", ParityToStr(fParity.Bits()));
        put("FlowControl", FlowControlToStr(fFlowControl.FlowControl()));
    }
    if (StoreGroups.Has(stOthers)) {
        put("EventChar", ComCharToStr(fEventChar));
        put("DiscardNull", ComBoolToStr(fDiscardNull));
    }
    if (StoreGroups.Has(stParity)) {
        put("Parity.Check", ComBoolToStr(fParity.Check()));
        put("Parity.Replace", ComBoolToStr(fParity.Replace()));
        put("Parity.ReplaceChar", ComCharToStr(fParity.ReplaceChar()));
    }
    if (StoreGroups.Has(stBuffer)) {
        putInt("Buffer.OutputSize", fBuffer.OutputSize());
        putInt("Buffer.InputSize", fBuffer.InputSize());
    }
    if (StoreGroups.Has(stTimeouts)) {
        putInt("Timeouts.ReadInterval", fTimeouts.ReadInterval());
        putInt("Timeouts.ReadTotalConstant", fTimeouts.ReadTotalConstant());
        putInt("Timeouts.ReadTotalMultiplier", fTimeouts.ReadTotalMultiplier());
        putInt("Timeouts.WriteTotalConstant", fTimeouts.WriteTotalConstant());
        putInt("Timeouts.WriteTotalMultiplier", fTimeouts.WriteTotalMultiplier());
    }
    if (StoreGroups.Has(stFlowControl)) {
        const TComFlowControl& f = fFlowControl;
        put("FlowControl.ControlRTS", RTSToStr(f.ControlRTS()));
        put("FlowControl.ControlDTR", DTRToStr(f.ControlDTR()));
        put("FlowControl.DSRSensitivity", ComBoolToStr(f.DSRSensitivity()));
        put("FlowControl.OutCTSFlow", ComBoolToStr(f.OutCTSFlow()));
        put("FlowControl.OutDSRFlow", ComBoolToStr(f.OutDSRFlow()));
        put("FlowControl.TxContinueOnXoff", ComBoolToStr(f.TxContinueOnXoff()));
        put("FlowControl.XonXoffIn", ComBoolToStr(f.XonXoffIn()));
        put("FlowControl.XonXoffOut", ComBoolToStr(f.XonXoffOut()));
        put("FlowControl.XoffChar", ComCharToStr(f.XoffChar()));
        put("FlowControl.XonChar", ComCharToStr(f.XonChar()));
    }
    ok = Ini.UpdateFile() && ok;
    if (!ok) throw EComPort(16, -1, Ini.LastError());
}

void TCustomComPort::LoadIniFile(TIniFile& Ini)
{
    auto get = [&](const char* key, const QString& def) {
        return Ini.ReadString(Name, QString::fromLatin1(key), def);
    };
    auto getInt = [&](const char* key, int def) {
        return Ini.ReadInteger(Name, QString::fromLatin1(key), def);
    };
    auto getBool = [&](const char* key, bool def) { return ComStrToBool(get(key, ComBoolToStr(def))); };
    auto getChar = [&](const char* key, uint8_t def) { return ComStrToChar(get(key, ComCharToStr(def))); };
    if (StoreGroups.Has(stBasic)) {
        SetPort(get("Port", fPort));
        SetBaudRate(StrToBaudRate(get("BaudRate", BaudRateToStr(fBaudRate))));
        if (fBaudRate == brCustom) SetCustomBaudRate(getInt("CustomBaudRate", 9600));
        SetStopBits(StrToStopBits(get("StopBits", StopBitsToStr(fStopBits))));
        SetDataBits(StrToDataBits(get("DataBits", DataBitsToStr(fDataBits))));
        fParity.SetBits(StrToParity(get("Parity", ParityToStr(fParity.Bits()))));
        fFlowControl.SetFlowControl(
            StrToFlowControl(get("FlowControl", FlowControlToStr(fFlowControl.FlowControl()))));
    }
    if (StoreGroups.Has(stOthers)) {
        SetEventChar(getChar("EventChar", fEventChar));
        SetDiscardNull(getBool("DiscardNull", fDiscardNull));
    }
    if (StoreGroups.Has(stParity)) {
        fParity.SetCheck(getBool("Parity.Check", fParity.Check()));
        fParity.SetReplace(getBool("Parity.Replace", fParity.Replace()));
        fParity.SetReplaceChar(getChar("Parity.ReplaceChar", fParity.ReplaceChar()));
    }
    if (StoreGroups.Has(stBuffer)) {
        fBuffer.SetOutputSize(getInt("Buffer.OutputSize", fBuffer.OutputSize()));
        fBuffer.SetInputSize(getInt("Buffer.InputSize", fBuffer.InputSize()));
    }
    if (StoreGroups.Has(stTimeouts)) {
        fTimeouts.SetReadInterval(getInt("Timeouts.ReadInterval", fTimeouts.ReadInterval()));
        fTimeouts.SetReadTotalConstant(getInt("Timeouts.ReadTotalConstant", fTimeouts.ReadTotalConstant()));
        fTimeouts.SetReadTotalMultiplier(
            getInt("Timeouts.ReadTotalMultiplier", fTimeouts.ReadTotalMultiplier()));
        fTimeouts.SetWriteTotalConstant(
            getInt("Timeouts.WriteTotalConstant", fTimeouts.WriteTotalConstant()));
        fTimeouts.SetWriteTotalMultiplier(
            getInt("Timeouts.WriteTotalMultiplier", fTimeouts.WriteTotalMultiplier()));
    }
    if (StoreGroups.Has(stFlowControl)) {
        TComFlowControl& f = fFlowControl;
        f.SetControlRTS(StrToRTS(get("FlowControl.ControlRTS", RTSToStr(f.ControlRTS()))));
        f.SetControlDTR(StrToDTR(get("FlowControl.ControlDTR", DTRToStr(f.ControlDTR()))));
        f.SetDSRSensitivity(getBool("FlowControl.DSRSensitivity", f.DSRSensitivity()));
        f.SetOutCTSFlow(getBool("FlowControl.OutCTSFlow", f.OutCTSFlow()));
        f.SetOutDSRFlow(getBool("FlowControl.OutDSRFlow", f.OutDSRFlow()));
        f.SetTxContinueOnXoff(getBool("FlowControl.TxContinueOnXoff", f.TxContinueOnXoff()));
        f.SetXonXoffIn(getBool("FlowControl.XonXoffIn", f.XonXoffIn()));
        f.SetXonXoffOut(getBool("FlowControl.XonXoffOut", f.XonXoffOut()));
        f.SetXoffChar(getChar("FlowControl.XoffChar", f.XoffChar()));
        f.SetXonChar(getChar("FlowControl.XonChar", f.XonChar()));
    }
}
