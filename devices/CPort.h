#pragma once
// The serial-port component of the device windows: line settings, open and close, the
// non-blocking reads and writes of one operation record (TComAsync), the line-state queries,
// the optional event thread and the settings store. The line itself is platform/SerialLine.
//
// Ports keep the Windows names "COM1".."COM96"; at open a name resolves to a device path
// (devices/ComPorts.h).
//
// Every failure raises EComPort (code and text of the error table). Device windows catch it
// at the edge of their timer tick.
#include "devices/ComPorts.h"
#include "platform/SerialLine.h"

#include <QByteArray>
#include <QString>
#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

class TIniFile;

// A small set of enumeration values (at most 32).
template <typename E> class TSet
{
public:
    constexpr TSet() = default;
    constexpr TSet(std::initializer_list<E> items)
    {
        for (E e : items) fBits |= Bit(e);
    }
    static constexpr TSet FromBits(uint32_t bits)
    {
        TSet s;
        s.fBits = bits;
        return s;
    }
    constexpr bool Has(E e) const { return (fBits & Bit(e)) != 0; }
    constexpr void Include(E e) { fBits |= Bit(e); }
    constexpr void Exclude(E e) { fBits &= ~Bit(e); }
    constexpr bool Empty() const { return fBits == 0; }
    constexpr uint32_t Bits() const { return fBits; }
    constexpr bool operator==(const TSet&) const = default;
    constexpr TSet operator&(TSet o) const { return FromBits(fBits & o.fBits); }
    constexpr TSet operator|(TSet o) const { return FromBits(fBits | o.fBits); }

private:
    static constexpr uint32_t Bit(E e) { return 1u << static_cast<unsigned>(e); }
    uint32_t fBits = 0;
};

enum TBaudRate
{
    brCustom,
    br110,
    br300,
    br600,
    br1200,
    br2400,
    br4800,
    br9600,
    br14400,
    br19200,
    br38400,
    br56000,
    br57600,
    br115200,
    br128000,
    br256000
};
enum TStopBits
{
    sbOneStopBit,
    sbOne5StopBits,
    sbTwoStopBits
};
enum TDataBits
{
    dbFive,
    dbSix,
    dbSeven,
    dbEight
};
enum TParityBits
{
    prNone,
    prOdd,
    prEven,
    prMark,
    prSpace
};
enum TDTRFlowControl
{
    dtrDisable,
    dtrEnable,
    dtrHandshake
};
enum TRTSFlowControl
{
    rtsDisable,
    rtsEnable,
    rtsHandshake,
    rtsToggle
};
enum TFlowControl
{
    fcHardware,
    fcSoftware,
    fcNone,
    fcCustom
};
enum TSyncMethod
{
    smThreadSync,
    smWindowSync,
    smNone
};
enum TComEvent
{
    evRxChar,
    evTxEmpty,
    evRxFlag,
    evRing,
    evBreak,
    evCTS,
    evDSR,
    evError,
    evRLSD,
    evRx80Full
};
using TComEvents = TSet<TComEvent>;
enum TComSignal
{
    csCTS,
    csDSR,
    csRing,
    csRLSD
};
using TComSignals = TSet<TComSignal>;
enum TComError
{
    ceFrame,
    ceRxParity,
    ceOverrun,
    ceBreak,
    ceIO,
    ceMode,
    ceRxOver,
    ceTxFull
};
using TComErrors = TSet<TComError>;
// Groups of the settings store, in the order they are written.
enum TStoreType
{
    stBasic,
    stOthers,
    stParity,
    stBuffer,
    stTimeouts,
    stFlowControl
};
using TStoreTypes = TSet<TStoreType>;

constexpr TComEvents AllComEvents{evRxChar, evTxEmpty, evRxFlag, evRing, evBreak,
                                  evCTS,    evDSR,     evError,  evRLSD, evRx80Full};

// Bit rate of a speed value (CustomBaudRate for brCustom).
int32_t BaudRateValue(TBaudRate rate, int32_t custom);

// ---- Errors ------------------------------------------------------------------------------

// Text of an error code (1..22).
QString ComErrorText(int code);

class EComPort : public std::exception
{
public:
    // detail: what failed, e.g. the device path; winCode: the system's error code, -1 when none.
    explicit EComPort(int code, int winCode = -1, const QString& detail = QString());
    // An error told to the user in the program's own words (the port lost, not opened, its
    // last output not sent).
    static EComPort Told(int code, int winCode, const QString& message);
    const char* what() const noexcept override { return fWhat.c_str(); }
    const QString& Message() const { return fMessage; }

    int WinCode;
    int Code;

private:
    QString fMessage;
    std::string fWhat;
};

// ---- Setting objects -----------------------------------------------------------------------

class TCustomComPort;

class TComTimeouts
{
public:
    TCustomComPort* ComPort = nullptr;
    int32_t ReadInterval() const { return fReadInterval; }
    int32_t ReadTotalMultiplier() const { return fReadTotalM; }
    int32_t ReadTotalConstant() const { return fReadTotalC; }
    int32_t WriteTotalMultiplier() const { return fWriteTotalM; }
    int32_t WriteTotalConstant() const { return fWriteTotalC; }
    void SetReadInterval(int32_t v) { Set(fReadInterval, v); }
    void SetReadTotalMultiplier(int32_t v) { Set(fReadTotalM, v); }
    void SetReadTotalConstant(int32_t v) { Set(fReadTotalC, v); }
    void SetWriteTotalMultiplier(int32_t v) { Set(fWriteTotalM, v); }
    void SetWriteTotalConstant(int32_t v) { Set(fWriteTotalC, v); }
    void Assign(const TComTimeouts& src);

private:
    void Set(int32_t& field, int32_t v);
    int32_t fReadInterval = -1, fReadTotalM = 0, fReadTotalC = 0, fWriteTotalM = 100, fWriteTotalC = 1000;
};

class TComFlowControl
{
public:
    TCustomComPort* ComPort = nullptr;
    bool OutCTSFlow() const { return fOutCTSFlow; }
    bool OutDSRFlow() const { return fOutDSRFlow; }
    TDTRFlowControl ControlDTR() const { return fControlDTR; }
    TRTSFlowControl ControlRTS() const { return fControlRTS; }
    bool XonXoffOut() const { return fXonXoffOut; }
    bool XonXoffIn() const { return fXonXoffIn; }
    bool DSRSensitivity() const { return fDSRSensitivity; }
    bool TxContinueOnXoff() const { return fTxContinueOnXoff; }
    uint8_t XonChar() const { return fXonChar; }
    uint8_t XoffChar() const { return fXoffChar; }
    void SetOutCTSFlow(bool v) { Set(fOutCTSFlow, v); }
    void SetOutDSRFlow(bool v) { Set(fOutDSRFlow, v); }
    void SetControlDTR(TDTRFlowControl v) { Set(fControlDTR, v); }
    void SetControlRTS(TRTSFlowControl v) { Set(fControlRTS, v); }
    void SetXonXoffOut(bool v) { Set(fXonXoffOut, v); }
    void SetXonXoffIn(bool v) { Set(fXonXoffIn, v); }
    void SetDSRSensitivity(bool v) { Set(fDSRSensitivity, v); }
    void SetTxContinueOnXoff(bool v) { Set(fTxContinueOnXoff, v); }
    void SetXonChar(uint8_t v) { Set(fXonChar, v); }
    void SetXoffChar(uint8_t v) { Set(fXoffChar, v); }
    // The usual combinations of the flags above.
    TFlowControl FlowControl() const;
    void SetFlowControl(TFlowControl v);
    void Assign(const TComFlowControl& src);

private:
    template <typename T> void Set(T& field, T v)
    {
        if (field == v) return;
        field = v;
        Changed();
    }
    void Changed();
    bool fOutCTSFlow = false, fOutDSRFlow = false;
    TDTRFlowControl fControlDTR = dtrDisable;
    TRTSFlowControl fControlRTS = rtsDisable;
    bool fXonXoffOut = false, fXonXoffIn = false, fDSRSensitivity = false, fTxContinueOnXoff = false;
    uint8_t fXonChar = 17, fXoffChar = 19;
};

class TComParity
{
public:
    TCustomComPort* ComPort = nullptr;
    TParityBits Bits() const { return fBits; }
    bool Check() const { return fCheck; }
    bool Replace() const { return fReplace; }
    uint8_t ReplaceChar() const { return fReplaceChar; }
    void SetBits(TParityBits v);
    void SetCheck(bool v);
    void SetReplace(bool v);
    void SetReplaceChar(uint8_t v);
    void Assign(const TComParity& src);

private:
    void Changed();
    TParityBits fBits = prNone;
    bool fCheck = false, fReplace = false;
    uint8_t fReplaceChar = 0;
};

class TComBuffer
{
public:
    TCustomComPort* ComPort = nullptr;
    int32_t InputSize() const { return fInputSize; }
    int32_t OutputSize() const { return fOutputSize; }
    // Odd sizes are lowered by one.
    void SetInputSize(int32_t v);
    void SetOutputSize(int32_t v);
    void Assign(const TComBuffer& src);

private:
    int32_t fInputSize = 1024, fOutputSize = 1024;
};

// ---- One operation record ------------------------------------------------------------------

// The record of one read or write. One record serves both directions; a device window keeps
// one from its first start until it stops. A write that the line does not take at once
// stays queued in the port and goes out at the next operations; the record then says how far
// the stream has to go for this write to be complete.
struct TComAsync
{
    uint8_t Kind = 0; // 0 write, 1 read
    QByteArray Data;  // the bytes last written (or of a read completed by WaitAsync)
    bool HasData = false;
    int32_t Size = 0; // length of Data
    bool Pending = false;
    int32_t Transferred = 0; // bytes moved when the operation completed
    int64_t WriteEnd = 0;    // position in the port's output stream that ends this write
    int32_t ReadCount = 0;   // bytes asked by a pending read
};

// ---- Link observers ------------------------------------------------------------------------

// An object that follows a port's activity. Every handler does nothing unless overridden.
class TComLink
{
public:
    virtual ~TComLink() = default;
    virtual void ConnectionChanged(TCustomComPort&, bool) {}
    virtual void CTSChanged(TCustomComPort&, bool) {}
    virtual void DSRChanged(TCustomComPort&, bool) {}
    virtual void RLSDChanged(TCustomComPort&, bool) {}
    virtual void RxActivity(TCustomComPort&, bool) {}
    virtual void TxActivity(TCustomComPort&, bool) {}
    virtual void Ring(TCustomComPort&) {}
    virtual void TxEmpty(TCustomComPort&) {}
    virtual void RxFlag(TCustomComPort&) {}
    // A link that takes the received bytes returns true from WantsRxBuf.
    virtual bool WantsRxBuf() const { return false; }
    virtual void RxBuf(TCustomComPort&, const char*, int) {}
    virtual void TxBuf(TCustomComPort&, const char*, int) {}
};

// ---- The port ------------------------------------------------------------------------------

class TCustomComPort
{
public:
    using TNotifyEvent = std::function<void(TCustomComPort& Sender)>;
    using TRxCharEvent = std::function<void(TCustomComPort& Sender, int Count)>;
    using TRxBufEvent = std::function<void(TCustomComPort& Sender, const char* Buffer, int Count)>;
    using TComSignalEvent = std::function<void(TCustomComPort& Sender, bool OnOff)>;
    using TComErrorEvent = std::function<void(TCustomComPort& Sender, TComErrors Errors)>;

    TCustomComPort();
    virtual ~TCustomComPort();
    TCustomComPort(const TCustomComPort&) = delete;
    TCustomComPort& operator=(const TCustomComPort&) = delete;

    // The component's name: the section of the settings store.
    QString Name = QStringLiteral("ComPort");

    bool Connected() const { return fConnected; }
    void SetConnected(bool v);
    TBaudRate BaudRate() const { return fBaudRate; }
    void SetBaudRate(TBaudRate v);
    int32_t CustomBaudRate() const { return fCustomBaudRate; }
    void SetCustomBaudRate(int32_t v);
    const QString& Port() const { return fPort; }
    // "com3", "3" and "COM3" give "COM3"; a number outside 1..96 or a text that is not one gives
    // "COM1". An open port moves to the new device at once.
    void SetPort(const QString& v);
    TStopBits StopBits() const { return fStopBits; }
    void SetStopBits(TStopBits v);
    TDataBits DataBits() const { return fDataBits; }
    void SetDataBits(TDataBits v);
    bool DiscardNull() const { return fDiscardNull; }
    void SetDiscardNull(bool v);
    uint8_t EventChar() const { return fEventChar; }
    void SetEventChar(uint8_t v);
    // Taken into account at the next opening.
    TComEvents Events = AllComEvents;
    TComBuffer& Buffer() { return fBuffer; }
    void SetBuffer(const TComBuffer& v);
    TComParity& Parity() { return fParity; }
    void SetParity(const TComParity& v);
    TComTimeouts& Timeouts() { return fTimeouts; }
    void SetTimeouts(const TComTimeouts& v);
    TComFlowControl& FlowControl() { return fFlowControl; }
    void SetFlowControl(const TComFlowControl& v);
    TSyncMethod SyncMethod() const { return fSyncMethod; }
    void SetSyncMethod(TSyncMethod v);
    TStoreTypes StoreGroups{stBasic};
    bool RxCharTriggers = true;

    // The device path the port name resolves to now (or the fixed path, when one is set).
    QString DevicePath() const;
    // Uses this path instead of resolving the port name (tools and tests); empty resolves again.
    void SetDevicePath(const QString& path) { fFixedPath = path; }

    TNotifyEvent OnAfterOpen, OnAfterClose, OnBeforeOpen, OnBeforeClose;
    TRxCharEvent OnRxChar;
    TRxBufEvent OnRxBuf;
    TNotifyEvent OnTxEmpty, OnBreak, OnRing, OnRxFlag, OnRx80Full;
    TComSignalEvent OnCTSChange, OnDSRChange, OnRLSDChange;
    TComErrorEvent OnError;

    // Opening and closing. When anything fails after the device was opened, the device is
    // released again and Connected stays false. Close always releases the device and clears
    // Connected, then raises the first failure it met.
    void Open();
    void Close();

    void ClearBuffer(bool Input, bool Output);
    int RxQueueCount();
    TComSignals LineSignals();
    TComErrors LineErrors();

    static void InitAsync(std::unique_ptr<TComAsync>& Async);
    static void DoneAsync(std::unique_ptr<TComAsync>& Async);
    // Writes: the result is the count written at once, 0 while the write is pending.
    int WriteAsync(const void* Buffer, int Count, TComAsync* Async);
    int WriteStrAsync(const QByteArray& Str, TComAsync* Async);
    // Reads at most Count bytes without waiting (with the usual time-outs); the result is the
    // count read. ReadStrAsync cuts Str to what was read. A device that is gone (hung up,
    // unplugged) raises code 3, and the port is released: reads never go on returning nothing.
    int ReadAsync(void* Buffer, int Count, TComAsync* Async);
    int ReadStrAsync(QByteArray& Str, int Count, TComAsync* Async);
    // Waits for the record's operation to complete by the time-outs; the bytes moved.
    int WaitAsync(TComAsync* Async);
    // A read that waits by the time-outs.
    int ReadWait(void* Buffer, int Count);

    // Settings store (INI section named after the component).
    void StoreIniFile(TIniFile& Ini);
    void LoadIniFile(TIniFile& Ini);

    // Link observers (none in the device windows).
    void RegisterLink(TComLink* Link);
    void UnRegisterLink(TComLink* Link);
    const std::vector<TComLink*>& LinkList() const { return fLinks; }

    bool ThreadRunning() const { return fThreadRunning; }

    // Re-applying the settings of a group to an open port (the setting objects call these).
    void ApplyBuffer();
    void ApplyDCB();
    void ApplyTimeouts();

    // Bounded wait for the output to leave when the port closes.
    int DrainTimeMs() const;

private:
    struct Deliverer;
    void CallBeforeOpen();
    void CallAfterOpen();
    void CallBeforeClose();
    void CallAfterClose();
    void Release();
    [[noreturn]] void LoseDevice(int code);
    // What the user is told when the device went away, or when the output could not leave.
    QString LostText(int err) const;
    QString UnsentText(int err, int ms) const;
    void PumpTx(int code);
    bool ReadIsImmediate() const;
    bool NeedsEventThread() const;
    void StartEventThread();
    void StopEventThread();
    void EventLoop();
    void DeliverEvents(TComEvents ev);
    void DeliverSignal(TComSignal s, TComEvent ev);

    SerialLine fLine;
    bool fConnected = false;
    TBaudRate fBaudRate = br9600;
    int32_t fCustomBaudRate = 9600;
    QString fPort = QStringLiteral("COM1");
    QString fFixedPath;
    TStopBits fStopBits = sbOneStopBit;
    TDataBits fDataBits = dbEight;
    bool fDiscardNull = false;
    uint8_t fEventChar = 0;
    TComBuffer fBuffer;
    TComParity fParity;
    TComTimeouts fTimeouts;
    TComFlowControl fFlowControl;
    TSyncMethod fSyncMethod = smThreadSync;
    std::vector<TComLink*> fLinks;

    // Output not yet taken by the line, and the stream positions of the output.
    QByteArray fTxQueue;
    int64_t fTxQueued = 0;
    std::atomic<int64_t> fTxSent{0};
    SerialLine::ErrorCounts fErrorBase;

    // Event thread
    bool fThreadRunning = false;
    std::thread fThread;
    int fStopFd = -1;
    std::shared_ptr<std::atomic<bool>> fAlive;
};

class TComPort : public TCustomComPort
{
};

// Text converters of the settings store; a text that matches nothing gives the default.
QString BaudRateToStr(TBaudRate v);
TBaudRate StrToBaudRate(const QString& s);
QString StopBitsToStr(TStopBits v);
TStopBits StrToStopBits(const QString& s);
QString DataBitsToStr(TDataBits v);
TDataBits StrToDataBits(const QString& s);
QString ParityToStr(TParityBits v);
TParityBits StrToParity(const QString& s);
QString FlowControlToStr(TFlowControl v);
TFlowControl StrToFlowControl(const QString& s);
QString DTRToStr(TDTRFlowControl v);
TDTRFlowControl StrToDTR(const QString& s);
QString RTSToStr(TRTSFlowControl v);
TRTSFlowControl StrToRTS(const QString& s);
QString ComBoolToStr(bool v);
bool ComStrToBool(const QString& s);
QString ComCharToStr(uint8_t c);
uint8_t ComStrToChar(const QString& s);
