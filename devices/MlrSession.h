#pragma once
// The MLR command state machine, one step per timer tick:
//   10-12 read the track log as text sentences, 20-24 read it as binary blocks at a raised
//   speed, 30-32 read waypoints and one route as text, 40-44 read waypoints as binary blocks,
//   50-52 write waypoints, 60-63 write the task as a route, 70-72 identify the receiver,
//   90-92 write the airspace outlines. 255 is "no command".
// Every command is written at 4800 bit/s, one stop bit; the binary data follows at 19200 or
// 38400 bit/s, two stop bits, and the port goes back to 4800 before the end command.
#include "devices/DeviceSession.h"
#include "devices/MlrLink.h"
#include "devices/MlrZones.h"

#include <QSet>
#include <functional>

class TMlrSession : public TTransferSession
{
public:
    TMlrSession(ISerialLink& Link, const TDeviceUi& Ui);
    ~TMlrSession() override;

    // What the window's boxes hold when a command starts.
    struct TOptions
    {
        int TrjMde = 1; // 0 text, 1 binary 19200, 2 binary 38400
        int WptMde = 1;
        bool TrjTimeBox = true;
        int TrjTimeEdit = 30;
        bool TrjMlrBox = false;
        bool SelOnlyBtn = false;
    };
    TOptions Options;

    void Activate();

    bool StartCom(int State, const QString& Port);
    void GpsId(const QString& Port);
    void DownTrk(const QString& Port);
    // Tag 0 waypoints, 1 one route, 2 both.
    void DownWpt(int Tag, const QString& Port);
    void UpWpt(const QString& Port);
    void UpRte(const QString& Port);
    // The zone outlines (already built by the window) are sent.
    void UpSmp(TSln Points, const QString& Port);

    int PointNo() const { return fPointNo; }
    int SentCount() const { return fSentCount; }
    bool Fast() const { return fFast; }
    const TMlrIdent& Ident() const { return fId; }
    const QString& RouteNo() const { return fRouteNo; }

    enum TTextId
    {
        MsgRteWarn,
        MsgWptSent,
        MsgCheckTrace,
        MsgCheckWpts,
        MsgCheckNmea,
        MsgZoneConfirm,
        MsgZoneSent,
    };
    static QString Text(TTextId Id);

protected:
    void Step() override;
    void LastWords() override;
    void Stopped() override;

private:
    void PortReset();
    void Send(const QByteArray& Sentence);
    void Useful();
    void CheckSilence(TTextId Advice);
    void ReadText();
    bool TakeLine(QByteArray& Line);
    void ToFast(bool Wpt);
    QString Source() const;
    void StartFlights();
    void AddMlrFix(const TRec& Fix, TDateTime T, bool Flag);
    void PointInfo(int No, TDateTime T);

    void Identify();
    void TextTrack();
    void TrackLine(const QByteArray& Line);
    void BinaryStart(char Kind);
    void BinaryTrack();
    void BinaryWpt();
    void TextWpt();
    void WptLine(const QByteArray& Line);
    void EndTextWpt();
    void UploadWpt();
    void UploadRte();
    void UploadZone();

    int fPointNo = 0;
    int fSentCount = 0;
    int fSilentTicks = 0;
    qint64 fLastData = 0;
    bool fFast = false;
    bool fTrackAfterId = false;
    bool fWantWpt = false, fWantRte = false;
    QByteArray fRx;
    TMlrBlockReader fBlocks;
    TMlrIdent fId;

    // Text track passes: a line numbered above the expected one means the pass lost a point.
    bool fLostInPass = false;
    int fPassStartNo = 0;

    // Text waypoints and route.
    QString fFirstName;
    QSet<QString> fNames;
    int fPass = 1;
    int fDamaged = 0;
    int fRtePart = 1;
    QString fRouteNo;
    QStringList fRteNames;

    // Uploads.
    TWpt* fWptCursor = nullptr;
    TTrn* fTrnCursor = nullptr;
    QList<QByteArray> fRteSentences;
    int fTrnCount = 0;
    TSln fZones;
    size_t fZoneCur = 0;
};
