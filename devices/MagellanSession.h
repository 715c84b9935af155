#pragma once
// The Magellan transfer state machine, one step per timer tick: at most one sentence received
// and one sent per tick. Every transfer starts with the preamble (states 0-6: handshake on or
// off, NMEA output off, version) and then runs its chain:
//   9 identification, 10-13 track log, 30-33 waypoints, 40-43 waypoint upload, 50-53 one route,
//   60-65 route upload, 70-84 erasing, 200-202 NMEA output back on. 255 is idle.
// With the handshake, each sentence is acknowledged by a "CSM" repeating its checksum; a wait
// state goes on at the right one and sends again otherwise.
#include "devices/DeviceSession.h"
#include "devices/MagellanLink.h"

#include <functional>

class TMagellanSession : public TTransferSession
{
public:
    TMagellanSession(ISerialLink& Link, const TDeviceUi& Ui);
    ~TMagellanSession() override;

    // What the window's boxes hold when a command starts.
    struct TOptions
    {
        bool TrjTimeBox = true;
        int TrjTimeEdit = 30;
        bool SelOnlyBtn = false;
        int WptLenNmeEdit = 6;
        bool FlowCheckBtn = true;
        bool NmeaOneBtn = false;
        int SpeedIndex = 1; // index of the speed table
        bool DelTrkBtn = false, DelSelWptBtn = false, DelAllWptBtn = false;
        bool DelOneRteBtn = false, DelAllRteBtn = false, DelAllBtn = false;
    };
    TOptions Options;
    // Today's date for short date fields (tests give it).
    std::function<TDateTime()> Today;

    // The speed table: bit/s and tick interval of an index (clamped to the table).
    static int Speed(int Index);
    static int TickMs(int Index);

    void Activate();
    bool StartCom(int Target, bool ForceHandshake, const QString& Port);

    void GpsId(const QString& Port);
    void DownTrk(const QString& Port);
    void DownWpt(const QString& Port);
    void DownRte(const QString& Port);
    void UpWpt(const QString& Port);
    void UpRte(const QString& Port);
    void Erase(const QString& Port);
    // The trace being received made current, showing its last fix.
    void ShowTrace();

    int Count() const { return fCount; }
    bool Handshake() const { return fHandshake; }
    bool WptsLoaded() const { return fWptsLoaded; }
    const QString& RouteNo() const { return fRouteNo; }
    QString VerText() const;

    // Sends a sentence (traced), remembering its checksum unless it is an acknowledgement.
    void MgnSendSentence(QByteArrayView Command, const QList<QByteArray>& Fields);
    // Reads what came and takes the next sentence: 0 none, 1 good, 2 bad checksum.
    int MgnReadSentence();
    // 2: the last sentence is no "CSM"; 1: it acknowledges the last sentence sent; 0 otherwise.
    int MgnCsmMatches() const;

    enum TTextId
    {
        MsgCheckLink,
        MsgWptFirst,
        MsgWptSentMgn,
        MsgRteReadMgn,
        MsgErased,
    };
    static QString Text(TTextId Id);

protected:
    void Step() override;
    void Stopped() override;

private:
    void Ack();
    void Wait(int Next, int Prev);
    bool LateAck() const;
    static int WaitPrev(int State);
    bool Repeated();
    void Resent();
    void Acked();
    void EndByNmea(int Target);
    void Silence();
    void Advice();
    void AskRouteAndStart(const QString& Port);
    void TrackPoint();
    void TrackInfo();
    void WptSentence();
    void RteSentence();
    void SendWpl(const TWptBase& W, const QByteArray& Icon);
    QByteArray GpsField(const QString& Name) const;
    void RouteUpload();
    void RteUpload();

    int fTarget = 255;
    int fCount = 0;
    uint16_t fSendCount = 0;
    int fIdleTicks = 0;
    bool fHandshake = false;
    bool fWptsLoaded = false;
    bool fRouteAfterWpt = false;
    bool fDrtAsked = false;
    QString fPort;
    QString fRouteNo;
    QString fVer1, fVer2, fVer3;
    TDateTime fDateTime = 0;
    qint64 fFirstTry = 0;
    bool fResendAdvice = false;

    TMgnReader fReader;
    TMgnSentence fRx;
    bool fRxGood = false;
    QByteArray fLastSentSum, fPrevSentSum;
    QByteArray fLastRaw; // last data sentence taken

    TRouteCollector fRoute;
    int fRouteTaken = 0;

    const TWpt* fWptCursor = nullptr;
    const TTrn* fTrnCursor = nullptr;
    int fTrnIndex = 0;
};
