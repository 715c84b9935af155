#include "SimMlr.h"

#include "support/PtyFixture.h"

#include <QDate>
#include <QTimeZone>
#include <cmath>
#include <sys/ioctl.h>
#include <termios.h>

// The kernel's termios with free speeds (the name the ioctl number refers to), read on the
// master: a pseudo-terminal answers with the settings of its slave side.
struct termios2
{
    tcflag_t c_iflag, c_oflag, c_cflag, c_lflag;
    cc_t c_line;
    cc_t c_cc[19];
    speed_t c_ispeed, c_ospeed;
};

namespace {

QByteArray Be(uint32_t v, int n)
{
    QByteArray b;
    for (int i = n - 1; i >= 0; --i) b += char((v >> (8 * i)) & 0xFF);
    return b;
}

// Degrees to a fraction of a full turn, 32 bits.
QByteArray Turn(double Deg)
{
    const double f = Deg / 360.0;
    const int64_t v = std::llround(f * 4294967296.0);
    return Be(static_cast<uint32_t>(v & 0xFFFFFFFF), 4);
}

QByteArray Decimetres(double AltM)
{
    const int32_t dm = static_cast<int32_t>(std::lround(AltM * 10));
    return Be(static_cast<uint32_t>(dm) & 0xFFFFFF, 3);
}

QByteArray Ddmm(double Deg, int DegDigits, char Pos, char Neg)
{
    const double a = std::fabs(Deg);
    int d = static_cast<int>(a);
    int thousandths = static_cast<int>(std::lround((a - d) * 60000));
    if (thousandths >= 60000) {
        ++d;
        thousandths -= 60000;
    }
    return QByteArray::number(d).rightJustified(DegDigits, '0') +
           QByteArray::number(thousandths / 1000).rightJustified(2, '0') + "." +
           QByteArray::number(thousandths % 1000).rightJustified(3, '0') + "," + (Deg < 0 ? Neg : Pos);
}

} // namespace

TSimMlr::TSimMlr(PtyFixture& line) : TSimDevice(line), fPty(line) {}

QByteArray TSimMlr::Sum16(const QByteArray& text)
{
    unsigned sum = 0;
    for (char c : text) sum += static_cast<uint8_t>(c);
    return QByteArray::number(sum & 0xFFFF, 16).toUpper().rightJustified(4, '0');
}

QByteArray TSimMlr::Command(const QByteArray& fields)
{
    const QByteArray head = "$PMLR," + fields + ",";
    return head + Sum16(head) + "\r\n";
}

int TSimMlr::HostRate() const
{
    termios2 t{};
    if (::ioctl(fPty.MasterFd(), TCGETS2, &t) != 0) return 0;
    return static_cast<int>(t.c_ospeed);
}

int TSimMlr::HostStopBits() const
{
    termios2 t{};
    if (::ioctl(fPty.MasterFd(), TCGETS2, &t) != 0) return 0;
    return (t.c_cflag & CSTOPB) ? 2 : 1;
}

QByteArray TSimMlr::TrackSentence(int PointNo, double Lat, double Lon, int Alt, const QDateTime& Utc,
                                  bool NewFlight, bool ShortName)
{
    const QByteArray name = ShortName ? "TRC" + QByteArray::number(PointNo % 1000).rightJustified(3, '0')
                                      : "TR" + QByteArray::number(PointNo % 10000).rightJustified(4, '0');
    const QByteArray body = "GPWPL," + Ddmm(Lat, 2, 'N', 'S') + "," + Ddmm(Lon, 3, 'E', 'W') + "," + name +
                            "," + (NewFlight ? "N" : "A") + "," +
                            QByteArray::number(Alt).rightJustified(6, '0') + "," +
                            Utc.toString("HHmmss").toLatin1() + "," + Utc.toString("ddMMyy").toLatin1();
    return NmeaSentence(body);
}

QByteArray TSimMlr::WptSentence(const QByteArray& Name, const QByteArray& Comment, double Lat, double Lon)
{
    return NmeaSentence("GPWPL," + Ddmm(Lat, 2, 'N', 'S') + "," + Ddmm(Lon, 3, 'E', 'W') + "," +
                        Name.leftJustified(6, ' ', true) + "5" + Comment.leftJustified(22, ' ', true));
}

QList<QByteArray> TSimMlr::RouteSentences(const QByteArray& RouteNo, const QList<QByteArray>& Names)
{
    QList<QByteArray> out;
    for (qsizetype i = 0, part = 1; i < Names.size(); i += 5, ++part) {
        QByteArray b = "GPRTE,4," + QByteArray::number(part) + ",C," + RouteNo;
        for (qsizetype k = i; k < i + 5; ++k) b += "," + (k < Names.size() ? Names[k] : QByteArray());
        out << NmeaSentence(b);
    }
    return out;
}

void TSimMlr::LoadLongFlight(int Count)
{
    const QDateTime start(QDate(2026, 7, 15), QTime(10, 0), Qt::UTC);
    for (int k = 0; k < Count; ++k)
        TrackRecords << TrackRecord(k, start.addSecs(k * 4), 45.5 + k * 1e-4, 6.25, 1000 + k);
}

QByteArray TSimMlr::TrackRecord(int PointNo, const QDateTime& Utc, double Lat, double Lon, double AltM,
                                bool NewFlight)
{
    const qint64 secs = QDateTime(QDate(1980, 1, 6), QTime(0, 0), Qt::UTC).secsTo(Utc);
    return Be(PointNo, 2) + Be(static_cast<uint32_t>(secs), 4) + Turn(Lat) + Turn(Lon) + Decimetres(AltM) +
           char(NewFlight ? 1 : 0);
}

QByteArray TSimMlr::WaypointRecord(const QByteArray& Name, double Lat, double Lon, double AltM)
{
    QByteArray n = Name.leftJustified(6, ' ', true);
    n.replace(' ', char(25));
    return n + QByteArray(4, '\0') + Turn(Lat) + Turn(Lon) + Decimetres(AltM) + char(0);
}

QList<QByteArray> TSimMlr::Blocks(char kindLetter, int startBlock, const QList<QByteArray>& records,
                                  int perBlock)
{
    const char kindByte = kindLetter == 'T' ? 0x01 : 0x02;
    QList<QByteArray> blocks;
    QByteArray start;
    start += char(0x8B);
    start += char(startBlock);
    start += kindLetter;
    start += kindByte;
    start += "DEBUT";
    start += char(0x02);
    start += kindLetter == 'T' ? char('T' + startBlock) : char('X' + startBlock); // T/U track, X/Y waypoints
    start += "\r\n";
    blocks << start;
    int number = startBlock + 1;
    for (qsizetype i = 0; i < records.size(); i += perBlock, ++number) {
        const QList<QByteArray> part = records.mid(i, perBlock);
        QByteArray b;
        b += char(0x8B);
        b += char(number);
        b += kindLetter;
        b += kindByte;
        b += char(0);
        b += char(part.size());
        for (const QByteArray& r : part) b += r;
        unsigned sum = 0;
        for (char c : b) sum += static_cast<uint8_t>(c);
        b += char((sum >> 8) & 0xFF);
        b += char(sum & 0xFF);
        b += "\r\n";
        blocks << b;
    }
    return blocks;
}

QByteArray TSimMlr::EndBlock(char kindLetter, int number)
{
    QByteArray end;
    end += char(0x8B);
    end += char(number);
    end += kindLetter;
    end += kindLetter == 'T' ? char(0x01) : char(0x02);
    end += "FIN";
    unsigned sum = 0;
    for (char c : end) sum += static_cast<uint8_t>(c);
    end += char((sum >> 8) & 0xFF);
    end += char(sum & 0xFF);
    end += "\r\n";
    return end;
}

QByteArray TSimMlr::Garble(QByteArray b) const
{
    for (char& c : b) c = static_cast<char>(c ^ 0xA5);
    return b;
}

void TSimMlr::OnBytes(const QByteArray& bytes)
{
    fBuffer += bytes;
    for (qsizetype end; (end = fBuffer.indexOf("\r\n")) >= 0;) {
        const QByteArray line = fBuffer.left(end);
        fBuffer.remove(0, end + 2);
        if (line.startsWith("$GPWPL") || line.startsWith("$GPRTE")) {
            Uploads << line;
            continue;
        }
        const qsizetype cut = line.lastIndexOf(',');
        if (!line.startsWith("$PMLR,") || cut < 0 || line.mid(cut + 1) != Sum16(line.left(cut + 1))) {
            ++BadCommands;
            continue;
        }
        // The receiver listens at 4800 bit/s, one stop bit only.
        if (CheckSpeed && (HostRate() != 4800 || HostStopBits() != 1)) {
            ++BadSpeedCommands;
            continue;
        }
        const QByteArray fields = line.mid(6, cut - 6);
        Commands << fields;
        if (fields == "26,01,01") {
            SendText(NmeaSentence("PMLR,IDGPS,01," + IdText1 + "," + Pilot + "," + IdText2 + ","));
        } else if (fields == "24,02,0100" || fields == "24,02,0101") {
            StartBinary('T', fields.endsWith('0') ? 19200 : 38400);
        } else if (fields == "24,02,0300" || fields == "24,02,0301") {
            StartBinary('W', fields.endsWith('0') ? 19200 : 38400);
        } else if (fields == "06,00") {
            Ended = true;
            fStream.clear();
            fWaitRate = 0;
        }
    }
}

void TSimMlr::StartBinary(char Kind, int Rate)
{
    const QList<QByteArray> blocks =
        Blocks(Kind, StartBlock, Kind == 'T' ? TrackRecords : WaypointRecords, RecordsPerBlock);
    fStream.clear();
    for (const QByteArray& b : blocks) fStream += b;
    fStream += EndBlock(Kind, StartBlock + 1 + static_cast<int>(blocks.size()) - 1);
    fWaitRate = Rate;
    fStreamRate = BinaryRate ? BinaryRate : Rate;
}

void TSimMlr::SendText(QByteArray s)
{
    if (CheckSpeed && (HostRate() != 4800 || HostStopBits() != 1)) s = Garble(s);
    Send(s);
}

void TSimMlr::OnIdle()
{
    if (fWaitRate != 0) {
        // The host switches its side after the request; until then nothing leaves.
        if (CheckSpeed && (HostRate() != fWaitRate || HostStopBits() != 2)) return;
        fWaitRate = 0;
    }
    if (!fStream.isEmpty()) {
        const int n = std::uniform_int_distribution<int>(1, 300)(fRandom);
        QByteArray chunk = fStream.left(n);
        fStream.remove(0, chunk.size());
        if (CheckSpeed && HostRate() != fStreamRate) chunk = Garble(chunk);
        Send(chunk);
        return;
    }
    if (!TextMode || TextSentences.isEmpty()) return;
    int count = SentencesPerPump;
    if (BytesPerSecond > 0) {
        if (!fTextClock.isValid()) fTextClock.start();
        const qint64 due = fTextClock.elapsed() * BytesPerSecond / 1000;
        count = due > fTextBytes ? 1 : 0;
    }
    for (int i = 0; i < count; ++i) {
        const QByteArray& s = TextSentences[fTextNext];
        fTextBytes += s.size();
        if (fPass == 0 && fTextNext == DropFirstPass) {
            // left out
        } else if (fPass == 0 && fTextNext == DamageFirstPass) {
            QByteArray d = s;
            d[d.size() / 2] = static_cast<char>(d[d.size() / 2] ^ 0x04);
            SendText(d);
        } else {
            SendText(s);
        }
        if (++fTextNext == TextSentences.size()) {
            fTextNext = 0;
            ++fPass;
        }
    }
}
