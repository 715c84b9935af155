#pragma once
// A GPS receiver's NMEA 0183 output read live: RMC sentences (of any talker) give the fix, GGA
// or Garmin's PGRMA / PGRMZ the altitude; the fixes go into a trace of their own, one every
// EcartSec seconds at most, and the views follow the last one.
//
// The trace belongs to this reading: fixes never go to another trace made current meanwhile;
// when the user closes it, the next good fix starts a new one.
#include "devices/DeviceSession.h"
#include "model/Define.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

struct TNmeaTexts
{
    QString BadRmc = QStringLiteral("Phrase \"GPRMC\" non valide");
    QString NoRmc = QStringLiteral("Pas de phrase \"GPRMC\" détectée");
    QString NoData = QStringLiteral("Pas de donnée détectée");
    QString Advice =
        QStringLiteral("Vérifier que le GPS est correctement connecté au PC et que son interface "
                       "est configurée sur NMEA 0183.");
    QString Reading = QStringLiteral("Lecture en cours ...");
};

// True when Check is off; otherwise true only when the line holds "$" and "*" and the XOR of
// the characters between the first "$" and the first "*" is the two upper-case hexadecimal
// digits after the "*".
bool TestNmeaLine(const QString& Line, bool Check);
// Fields 1..Count after the sentence name: each the text up to the next comma; a field that
// no comma follows is empty. Entry 0 is the sentence name.
QStringList NmeaFields(const QString& Line, int Count);
// The sentence kind of any talker: "$GPRMC" and "$GNRMC" are both "RMC"; proprietary
// sentences ("$P...") keep their whole name ("PGRMZ").
QString NmeaKind(const QString& Line);

// What one RMC sentence gives.
struct TRmcFix
{
    QString L1, L2, L3; // the display lines
    bool Error = true;  // status not "A" or a number that does not convert
    int32 Lat = 0, Lon = 0, Time = 0;
    bool DateOk = false;
    TDateTime At = 0; // date-time of the fix (its own date)
    QString Date;     // dd/mm/yy
    QString Name;     // yymmdd
};
// Reads the fields of an RMC sentence with the last altitude known (Altitude in metres when
// AltMetres, else in feet).
TRmcFix ReadRmc(const QString& Line, double Altitude, bool AltMetres);

class TNmeaSession : public TDeviceSession
{
public:
    TNmeaSession(ISerialLink& Link, const TDeviceUi& Ui);
    ~TNmeaSession() override;

    TNmeaTexts MsgTexts;
    // The check boxes of the window.
    bool Checksum = false;
    bool MoveSel = true;
    bool AutoCtg = false;

    QByteArray RxText;
    QString FixDate;
    int32 IdleTicks = 0;
    int32 NoRmcCount = 0;
    int32 FixCount = 0;
    double Altitude = 0;
    bool AltMetres = true;
    int32 EcartSec = 2;
    QString InfoL1, InfoL2, InfoL3;
    // Called after the three lines changed.
    std::function<void()> OnInfo;

    // The reading button: counters to zero, the reading text, then the port at that speed.
    bool StartReading(const QString& Port, TBaudRate Rate);
    // The end: port closed, the trace of this reading finished and marked received when it
    // holds fixes.
    void CloseSession();
    TTrj* LiveTrj() const { return FindTrj(fTrjId); }

protected:
    void Step() override;
    void Failed(const QString& Message) override;

private:
    void TakeLine(const QString& Line);
    void TakeRmc(const QString& Line);
    void FollowLivePoint(TTrj& T);
    void SetLines(const QString& L1, const QString& L2, const QString& L3);
    static int TicksFor(int Ms);

    std::unique_ptr<TRec> fFix;
    uint32_t fTrjId = 0;
};
