#include "devices/LoggerSession.h"

#include "files/TrjFormats.h"
#include "model/Calc.h"
#include "model/ModelUi.h"

#include <algorithm>

namespace {

constexpr int ReadChunk = 200;
constexpr int MaxLine = 255;
constexpr int DownloadIntervalMs = 50;
constexpr int CommandIntervalMs = 200;
constexpr int SilentTicksEnd = 10; // the download ends after one more silent tick
const QString Source = QStringLiteral("Logger Skyforce");

// The line without its line end, for the status panel.
QString Shown(QString Line)
{
    while (!Line.isEmpty() && (Line.back() == u'\n' || Line.back() == u'\r')) Line.chop(1);
    return Line;
}

QString CFormat(QString Fmt, int A, int B)
{
    const qsizetype i = Fmt.indexOf(QLatin1String("%d"));
    if (i >= 0) Fmt.replace(i, 2, QString::number(A));
    const qsizetype j = Fmt.indexOf(QLatin1String("%d"));
    if (j >= 0) Fmt.replace(j, 2, QString::number(B));
    return Fmt;
}

} // namespace

QByteArray LoggCommand(uint16 State, const QString& Rate)
{
    switch (State) {
    case 0:
    case 10:
    case 12:
    case 20:
    case 22:
    case 24:
    case 26:
    case 28:
    case 30:
        return "!SYNC\r\n";
    case 1:
        return "!OUT\r\n";
    case 11:
    case 25:
        return "!RATE," + Rate.toLatin1() + "\r\n";
    case 13:
    case 31:
        return "!RECORD\r\n";
    case 21:
        return "!CLEAR\r\n";
    case 23:
        return "!CODE,________\r\n";
    case 27:
        return "!RELAY,0A\r\n";
    case 29:
        return "!DIST,0A\r\n";
    default:
        return QByteArray();
    }
}

bool CalcRate(const QString& Text, QString& Rate, QString& Info)
{
    // An integer as the classic conversion reads it: blanks before, a sign, digits; the error
    // position (1-based) is that of the first character it could not take.
    int pos = 0;
    const int n = int(Text.size());
    while (pos < n && Text[pos] == u' ') ++pos;
    bool neg = false;
    if (pos < n && (Text[pos] == u'+' || Text[pos] == u'-')) neg = Text[pos++] == u'-';
    int64_t v = 0;
    int digits = 0, errorPos = 0;
    for (; pos < n; ++pos) {
        const QChar c = Text[pos];
        if (c < u'0' || c > u'9') {
            errorPos = pos + 1;
            break;
        }
        if (v < (int64_t(1) << 40)) v = v * 10 + (c.unicode() - u'0');
        ++digits;
    }
    if (digits == 0 && errorPos == 0) errorPos = n + 1;
    if (neg) v = -v;
    auto hex4 = [](int64_t x) {
        return QString::number(uint16_t(x & 0xFFFF), 16).toUpper().rightJustified(4, u'0');
    };
    if (errorPos == 0 && v >= 0 && v <= 0xFFFF) {
        Rate = hex4(v);
        return true;
    }
    if (errorPos != 0) v = 0;
    Info = QStringLiteral("%1/%2/%3").arg(errorPos).arg(v / 65536).arg(hex4(v));
    Rate = QStringLiteral("001E");
    return false;
}

QString LoggHeaderDate(const QString& Line)
{
    if (!IsDatHeader(Line)) return QString();
    TDateTime d = 0;
    if (!ParseDatHeader(Line, d)) return QString();
    const QChar c10 = Line[9];
    const QString century = (c10 == u'8' || c10 == u'9') ? QStringLiteral("19") : QStringLiteral("20");
    return Line.mid(5, 2) + u'/' + Line.mid(7, 2) + u'/' + century + Line.mid(9, 2);
}

QString LoggTrjName(const QString& Line)
{
    return Line.mid(9, 2) + Line.mid(7, 2) + Line.mid(5, 2) + u'.';
}

QString LoggLineDisplay(int N, const QString& LoggDate, const QString& Line)
{
    const QString num = (QStringLiteral("0000") + QString::number(N)).right(4);
    return num + QStringLiteral(": ") + LoggDate.left(6) + LoggDate.mid(8, 2) + u' ' + Shown(Line);
}

// ---- TLoggerSession --------------------------------------------------------------------------

TLoggerSession::TLoggerSession(ISerialLink& Link, const TDeviceUi& Ui)
    : TDeviceSession(Link, Ui), fFix(std::make_unique<TRec>())
{
}

TLoggerSession::~TLoggerSession() = default;

bool TLoggerSession::StartDownload(const QString& Port)
{
    LoggIdleTicks = LoggLines = LoggErrors = 0;
    return StartCom(lsDownload, Port);
}

bool TLoggerSession::StartCom(uint16 Command, const QString& Port)
{
    SetTimer(false);
    // A command started in the middle of a download leaves what was read finished.
    if (LoggState == lsFlight) FinishFlight(true);
    LoggRxText.clear();
    LoggState = Command;
    // Every command starts at the command pace, also after a download ran at 50 ms.
    if (!StartLink(Port, CommandIntervalMs)) {
        LoggState = lsIdle;
        return false;
    }
    // An answer to an earlier command that came late must not pass for the first answer of this
    // one.
    Link().ClearBuffer(true, false);
    return true;
}

void TLoggerSession::ShowRead()
{
    if (LoggState == lsFlight) {
        if (TTrj* T = FlightTrj()) TrjLoaded(T);
    }
    if (Trj) Trj->CurRec = Trj->Last;
    RefreshViews();
}

void TLoggerSession::CloseSession()
{
    SetTimer(false);
    try {
        Link().Close();
    } catch (const EComPort& e) {
        // The port is released all the same; the user learns that the last command may not
        // have left.
        Ask(e.Message(), TMsgType::Error, mbOK);
    }
    for (TTrj* T : CreatedTrj()) {
        if (!T->Loaded) TrjLoaded(T);
        if (TTrj* still = FindTrj(T->Id)) still->SaveState = 2;
    }
    LoggState = lsIdle;
}

std::vector<TTrj*> TLoggerSession::CreatedTrj() const
{
    std::vector<TTrj*> out;
    for (uint32_t id : fCreated)
        if (TTrj* T = FindTrj(id)) out.push_back(T);
    return out;
}

void TLoggerSession::FinishFlight(bool Received)
{
    if (TTrj* T = FlightTrj()) {
        const uint32_t id = T->Id;
        TrjLoaded(T);
        if (Received)
            if (TTrj* still = FindTrj(id)) still->SaveState = 2;
    }
}

void TLoggerSession::Failed(const QString&)
{
    // A download cut by the line keeps what was read.
    if (LoggState == lsFlight) FinishFlight(true);
    LoggState = lsIdle;
}

void TLoggerSession::Step()
{
    if (LoggState == lsDumpStart || LoggState == lsFlight)
        DownloadStep();
    else if (LoggState == lsRateDone || LoggState == lsClearDone) {
        const bool rate = LoggState == lsRateDone;
        StopCom();
        LoggState = lsIdle;
        SetInfo(rate ? QStringLiteral("Rate %1s OK").arg(EcartText)
                     : QStringLiteral("Clear OK, Rate=%1s").arg(EcartText));
    } else if (LoggState <= 1 || (LoggState >= 10 && LoggState <= 13) || (LoggState >= 20 && LoggState <= 31))
        CommandStep();
}

void TLoggerSession::CommandStep()
{
    const QByteArray got = ReadLink(ReadChunk);
    if (got.startsWith("OKAY")) {
        ++LoggState;
        if (LoggState == lsDumpStart) {
            // The dump follows at once: its first lines may ride with this answer.
            SetInterval(DownloadIntervalMs);
            LoggRxText = got;
            LoggIdleTicks = 0;
        }
    }
    const QByteArray cmd = LoggCommand(LoggState, LoggRate);
    if (!cmd.isEmpty()) WriteLink(cmd);
    SetInfo(!got.isEmpty() ? Shown(QString::fromLatin1(got)) : Shown(QString::fromLatin1(cmd)));
}

void TLoggerSession::DownloadStep()
{
    const QByteArray got = ReadLink(ReadChunk);
    LoggRxText += got;
    ++LoggIdleTicks;
    for (qsizetype lf; (lf = LoggRxText.indexOf('\n')) >= 0;) {
        LoggIdleTicks = 0;
        QString line = QString::fromLatin1(LoggRxText.constData(), std::min<qsizetype>(lf + 1, MaxLine));
        LoggRxText.remove(0, lf + 1);
        if (line.startsWith(u'*')) line.remove(0, 1);
        if (!TakeLine(line)) {
            // The rest of what came is dropped; what was read stays in its finished trace.
            LoggRxText.clear();
            SetTimer(false);
            try {
                Link().Close();
            } catch (...) {
            }
            FinishFlight(true);
            LoggState = lsIdle;
            Ask(MsgTexts.BadData, TMsgType::Error, mbOK);
            return;
        }
    }
    if (LoggIdleTicks > SilentTicksEnd) {
        StopCom();
        if (LoggState == lsFlight) FinishFlight(true);
        LoggState = lsIdle;
        SetInfo(CFormat(MsgTexts.Counters, LoggLines, LoggErrors));
        ShowReceived();
        if (OnDownloadEnd) OnDownloadEnd();
    }
}

bool TLoggerSession::TakeLine(const QString& Line)
{
    if (IsDatHeader(Line)) {
        SetInfo(Shown(Line));
        const QString date = LoggHeaderDate(Line);
        if (date.isEmpty()) return false;
        if (LoggState == lsFlight) FinishFlight(true);
        ParseDatHeader(Line, fDay);
        TTrj* T = NewTrj();
        fFlightId = T->Id;
        fCreated.push_back(T->Id);
        LoggState = lsFlight;
        LoggLastTime = 0;
        LoggDate = date;
        T->Name = LoggTrjName(Line);
        T->Source = Source;
        return true;
    }
    if (LoggState != lsFlight) return true; // before the first header
    TTrj* T = FlightTrj();
    ++LoggLines;
    SetInfo(LoggLineDisplay(LoggLines, LoggDate, Line));
    if (ParseDatLine(Line, *fFix) > 0) {
        ++LoggErrors;
        return true;
    }
    // A trace the user closed meanwhile is not filled again (the modal window prevents it).
    if (!T) return true;
    const TDateTime at = RecDateTime(fDay, fFix->Time);
    if (T->StartTime == 0) T->StartTime = at;
    if (fFix->Time != LoggLastTime) {
        const int32 time = fFix->Time;
        T->EndTime = at;
        if (T->AddRec(fFix)) LoggLastTime = time;
    }
    return true;
}
