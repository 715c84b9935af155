#include "SimMagellan.h"

#include "support/PtyFixture.h"

#include <chrono>
#include <termios.h>

TSimMagellan::TSimMagellan(PtyFixture& line) : TSimDevice(line), fPty(line) {}

qint64 TSimMagellan::NowMs() const
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

bool TSimMagellan::LineOk() const
{
    termios t{};
    if (LineSpeed == 0 || tcgetattr(fPty.MasterFd(), &t) != 0) return true;
    speed_t want = B4800;
    switch (LineSpeed) {
    case 1200:
        want = B1200;
        break;
    case 9600:
        want = B9600;
        break;
    case 19200:
        want = B19200;
        break;
    case 57600:
        want = B57600;
        break;
    case 115200:
        want = B115200;
        break;
    default:
        break;
    }
    return cfgetospeed(&t) == want;
}

void TSimMagellan::SendBody(const QByteArray& body, bool awaitCsm)
{
    QByteArray s = NmeaSentence(body);
    // At another speed the host hears noise.
    if (!LineOk())
        for (char& c : s) c = static_cast<char>(c ^ 0x5A);
    Send(s);
    if (Handshake && awaitCsm && !body.startsWith("PMGNCSM") && !body.startsWith("GP")) {
        fAwaitedCsm = NmeaChecksum(body);
        fLastBody = body;
        fSentAt = NowMs();
    }
}

void TSimMagellan::SendNext()
{
    while (!fStream.isEmpty() && fAwaitedCsm.isEmpty()) SendBody(fStream.takeFirst());
}

void TSimMagellan::OnIdle()
{
    const qint64 now = NowMs();
    if (!fAwaitedCsm.isEmpty() && now - fSentAt >= ResendMs) {
        ++Resent;
        SendBody(fLastBody);
    }
    if (NmeaOn && !Chatter.isEmpty() && fStream.isEmpty() && now - fChatterAt >= ChatterMs) {
        fChatterAt = now;
        SendBody(Chatter[fChatterNo++ % Chatter.size()]);
    }
}

void TSimMagellan::OnBytes(const QByteArray& bytes)
{
    fBuffer += bytes;
    for (qsizetype end; (end = fBuffer.indexOf("\r\n")) >= 0;) {
        QByteArray line = fBuffer.left(end);
        fBuffer.remove(0, end + 2);
        const qsizetype dollar = line.indexOf('$');
        const qsizetype star = line.indexOf('*');
        if (dollar < 0 || star < dollar) {
            ++BadSentences;
            continue;
        }
        const QByteArray body = line.mid(dollar + 1, star - dollar - 1);
        if (line.mid(star + 1, 2) != NmeaChecksum(body)) {
            ++BadSentences;
            continue;
        }
        Received << body;
        Handle(body);
    }
    SendNext();
}

void TSimMagellan::Acknowledge(const QByteArray& body)
{
    TCsm mode = CsmMode;
    if (CsmFaults == 0) mode = CsmGood;
    if (mode != CsmGood && CsmFaults > 0) --CsmFaults;
    switch (mode) {
    case CsmGood:
        SendBody("PMGNCSM," + NmeaChecksum(body));
        break;
    case CsmWrong:
        SendBody("PMGNCSM," + NmeaChecksum(body + "x"));
        break;
    // In place of the acknowledgement, and awaiting none itself.
    case CsmForeign:
        SendBody("PMGNWPL,4530.000,N,00600.000,E,0001000,M,TOWER,,a", false);
        break;
    case CsmUnable:
        SendBody("PMGNCMD,UNABLE", false);
        break;
    }
}

void TSimMagellan::Handle(const QByteArray& body)
{
    const QList<QByteArray> f = body.split(',');
    const QByteArray cmd = f.value(0);
    if (cmd == "PMGNCSM") {
        if (f.value(1) == fAwaitedCsm) fAwaitedCsm.clear();
        return;
    }
    const QByteArray what = f.value(1);
    if (cmd == "PMGNCMD" && what == "HANDON") Handshake = true;
    if (Handshake && (CsmForHandon || what != "HANDON")) Acknowledge(body);
    if (cmd == "PMGNCMD") {
        if (what == "HANDOFF") {
            Handshake = false;
            fAwaitedCsm.clear();
        } else if (what == "NMEAOFF") {
            NmeaOn = false;
        } else if (what == "NMEAON") {
            NmeaOn = true;
            ++NmeaOnCount;
        } else if (what == "VERSION") {
            fStream << Version;
        } else if (Lists.contains(what)) {
            fStream += Lists.value(what);
            fStream << "PMGNCMD,END";
        } else if (what == "DELETE") {
            Deleted << f.value(2);
            Transcript << QStringLiteral("DELETE ") + QString::fromLatin1(f.value(2));
        }
    } else if (cmd == "PMGNDWP" || cmd == "PMGNDRT") {
        Deleted << body;
        Transcript << QString::fromLatin1(cmd.mid(4) + ' ' + f.value(1));
    } else if (cmd == "PMGNWPL") {
        Transcript << QString::fromLatin1("WPL " + f.value(7) + ' ' + f.value(1) + f.value(2) + ' ' +
                                          f.value(3) + f.value(4) + ' ' + f.value(5) + ' ' + f.value(8) +
                                          ' ' + f.value(9));
    } else if (cmd == "PMGNRTE") {
        QByteArray t = "RTE " + f.value(1) + ' ' + f.value(2) + ' ' + f.value(4);
        for (int i = 5; i < f.size(); i += 2) t += ' ' + f.value(i);
        Transcript << QString::fromLatin1(t);
    }
}
