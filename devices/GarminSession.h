#pragma once
// The Garmin command state machine: each tick applies the link rules (receive one frame, NAK a
// bad one, resend the last packet after 2 s of silence, connection advice after 10 s), then
// one identification step while it is pending, else one step of the command:
//   10-14 read the track log, 20-28 write the current trace as a track, 30-34 read waypoints,
//   40-46 write waypoints, 50-54 read a route into the task, 60-70 write the task as a route,
//   80/81 and 85/86 the lamp, 90/91 power off. 255 is "no command".
#include "devices/DeviceSession.h"
#include "devices/Download.h"
#include "devices/GarminCodec.h"
#include "devices/GarminLink.h"

#include <functional>

class TGarminSession : public TDeviceSession
{
public:
    TGarminSession(ISerialLink& Link, const TDeviceUi& Ui);
    ~TGarminSession() override;

    // What the window's boxes hold when a command starts.
    struct TOptions
    {
        bool TrjTimeBox = true;
        int TrjTimeEdit = 30;
        bool TrjGrmBox = false;
        bool SelOnlyBtn = false;
    };
    TOptions Options;

    // The window's activation (no command under way) and closing.
    void Activate();
    void Close();
    // Draw what has been read of a track log so far.
    void TraceBtnClick();

    // Commands; Port is "COMn".
    void StartCom(int State, bool Handshake, const QString& Port);
    void DownTrk(const QString& Port);
    void UpTrk(const QString& Port);
    void DownWpt(const QString& Port);
    void UpWpt(const QString& Port);
    void DownRte(const QString& Port);
    void UpRte(const QString& Port);
    // Ctrl and Shift as they were when the button went down.
    void Off(const QString& Port, bool Ctrl, bool Shift);

    // State, for the window and tests.
    int StepNo() const { return fStep; }
    bool HandshakeOn() const { return fHandshakeOn; }
    const TGarminProduct& Product() const { return fProduct; }
    const TGarminProtocols& Protocols() const { return fProt; }
    int ItemTotal() const { return fItemTotal; }
    int ItemCount() const { return fItemCount; }
    int ErrorCount() const { return fErrorCount; }
    int FlightCount() const;
    const QString& OldSwpFile() const { return fWpt.OldSwpFile; }

    // The link (exposed for tests).
    uint8_t LastTxId() const { return fLastTxId; }
    uint8_t LastRxId() const { return fLastRxId; }
    int SilentTicks() const { return fSilentTicks; }

    // The window's texts (the language module sets them).
    static QString Text(int Index);

protected:
    void Step() override;
    void Failed(const QString& Message) override;

private:
    void SendPacket(uint8_t Id, const QByteArray& Data);
    void SendAck(uint8_t Id);
    int ReceivePacket(uint8_t& Id, QByteArray& Data);
    bool Repeated(uint8_t Id, const QByteArray& Data);
    int CheckAck() const;
    bool Handshake(int Result, uint8_t Id, const QByteArray& Data);
    void Command(int Result, uint8_t Id, const QByteArray& Data);
    void Track(int Result, uint8_t Id, const QByteArray& Data);
    void Waypoints(int Result, uint8_t Id, const QByteArray& Data);
    void Route(int Result, uint8_t Id, const QByteArray& Data);
    void Progress();
    bool Refuse(int Type);
    bool TooMany(int Records);
    void FinishInterrupted();
    bool AskRoute(bool Read);
    QString PointLine(const TWptBase& W, bool Upper) const;
    QString Source() const;

    // Link
    uint8_t fLastTxId = 0;
    QByteArray fLastTxData;
    uint8_t fLastRxId = 0;
    QByteArray fLastRxData;
    TGarminRx fRx;
    int fSilentTicks = 0;
    int fSilentTotal = 0;
    int fQuietTicks = 0;  // ticks in which no byte at all arrived
    uint8_t fTakenId = 0; // the last packet a transfer took, to know a resent one
    QByteArray fTakenData;

    // Identification
    TGarminProduct fProduct;
    TGarminProtocols fProt;
    bool fHandshakeOn = false;
    int fStep = 255;
    int fCmdStep = 255;

    // Transfers
    int fItemTotal = 0;
    int fItemCount = 0;
    int fOtherRecords = 0; // headers and links of the records taken
    int fErrorCount = 0;
    QString fRteName;
    QString fTrkName;
    std::unique_ptr<TFlightSplitter> fFlights;
    int fLastFlights = 0;
    TWptDownload fWpt;
    TRouteCollector fRoute;
    TWpt* fWptCursor = nullptr;
    TTrn* fTrnCursor = nullptr;
    TRec* fRecCursor = nullptr;
    TWptBase fLastWpt;
    bool fHasLastWpt = false;
};
