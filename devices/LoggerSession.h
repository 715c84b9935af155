#pragma once
// The serial flight logger: ASCII commands ended by CR LF, each acknowledged by a line that
// begins with "OKAY"; "!OUT" is answered by the memory dump, one "Date ddmmyy" header per
// flight followed by its fix lines (the DAT text of files/TrjFormats).
//
// One session lives for one opening of the window: its counters and the traces it created
// belong to that opening only.
#include "devices/DeviceSession.h"
#include "model/Define.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

// Texts of the window, in the language chosen (set by LangLoggForm).
struct TLoggTexts
{
    QString BadData = QStringLiteral("Les données du Logger sont erronées !");
    QString Counters = QStringLiteral("Points lus : %d   -   Erreur(s) détectée(s) : %d.");
    QString ClearQuestion = QStringLiteral("Etes vous sûr de vouloir effacer les données du Logger ?");
};

// States of the command machine.
enum : uint16
{
    lsDownload = 0, // "!SYNC", "!OUT", then the dump (2) and a flight being read (3)
    lsDumpStart = 2,
    lsFlight = 3,
    lsSetRate = 10, // .. 13, done at 14
    lsRateDone = 14,
    lsClear = 20, // .. 31, done at 32
    lsClearDone = 32,
    lsIdle = 255
};

// The command sent in a state (empty for the states that send nothing).
QByteArray LoggCommand(uint16 State, const QString& Rate);

// The interval text as four upper-case hexadecimal digits ("30" gives "001E"). False for a
// text that is not an integer, a negative value or one above 65535: Info then holds what the
// conversion made of it (error position / value / 65536 / digits) and Rate is "001E".
bool CalcRate(const QString& Text, QString& Rate, QString& Info);

// The "dd/mm/yyyy" date of a flight header "Date ddmmyy" (years 80..99 in the 1900s); empty
// when the line is not a header or its date is not a date.
QString LoggHeaderDate(const QString& Line);
// The trace name of a header: yymmdd and a full stop.
QString LoggTrjName(const QString& Line);
// What the status panel shows for the N-th fix line of a flight of that date.
QString LoggLineDisplay(int N, const QString& LoggDate, const QString& Line);

class TLoggerSession : public TDeviceSession
{
public:
    TLoggerSession(ISerialLink& Link, const TDeviceUi& Ui);
    ~TLoggerSession() override;

    TLoggTexts MsgTexts;
    // The interval as sent by "!RATE" (CalcRate's result).
    QString LoggRate = QStringLiteral("001E");
    // The interval's text as the user typed it, for the final texts.
    QString EcartText = QStringLiteral("30");

    uint16 LoggState = lsIdle;
    QByteArray LoggRxText;
    QString LoggDate;
    int32 LoggLastTime = 0;
    int32 LoggIdleTicks = 0;
    int32 LoggLines = 0;
    int32 LoggErrors = 0;

    // Starts a command (lsDownload, lsSetRate, lsClear) on the port; the download starts its
    // counters again. False when the port did not open (reported).
    bool StartCom(uint16 Command, const QString& Port);
    // The download button: counters to zero, then StartCom.
    bool StartDownload(const QString& Port);
    // Finishes the trace being read, so that the views draw what came so far.
    void ShowRead();
    // The end of this opening: timer off, port closed, every trace this opening created and
    // still open finished and marked received (those with fixes).
    void CloseSession();

    // Called when a download ended by its silence (the window moves the focus).
    std::function<void()> OnDownloadEnd;

    // Traces of this opening still open.
    std::vector<TTrj*> CreatedTrj() const;
    TTrj* FlightTrj() const { return FindTrj(fFlightId); }

protected:
    void Step() override;
    void Failed(const QString& Message) override;

private:
    void DownloadStep();
    void CommandStep();
    // One line of the dump; false when the transfer must stop (a bad header date).
    bool TakeLine(const QString& Line);
    void FinishFlight(bool Received);

    std::unique_ptr<TRec> fFix;
    TDateTime fDay = 0; // day of the flight being read
    uint32_t fFlightId = 0;
    std::vector<uint32_t> fCreated;
};
