#include "SimMagellan.h"

void TSimMagellan::SendBody(const QByteArray& body)
{
    Send(NmeaSentence(body));
    if (Handshake && !body.startsWith("PMGNCSM")) fAwaitedCsm = NmeaChecksum(body);
}

void TSimMagellan::SendNext()
{
    while (!fStream.isEmpty() && fAwaitedCsm.isEmpty()) SendBody(fStream.takeFirst());
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

void TSimMagellan::Handle(const QByteArray& body)
{
    const QList<QByteArray> f = body.split(',');
    const QByteArray cmd = f.value(0);
    if (cmd == "PMGNCSM") {
        if (f.value(1) == fAwaitedCsm)
            fAwaitedCsm.clear();
        else if (!fAwaitedCsm.isEmpty() && !fStream.isEmpty()) {
            // the host got something else: the last sentence goes again
        }
        return;
    }
    if (cmd == "PMGNCMD" && f.value(1) == "HANDON") Handshake = true;
    if (Handshake) Send(NmeaSentence("PMGNCSM," + NmeaChecksum(body)));
    if (cmd == "PMGNCMD" && f.value(1) == "HANDOFF") {
        Handshake = false;
        fAwaitedCsm.clear();
    }
    if (cmd == "PMGNCMD") {
        const QByteArray what = f.value(1);
        if (what == "VERSION") {
            fStream << Version;
        } else if (Lists.contains(what)) {
            fStream += Lists.value(what);
            fStream << "PMGNCMD,END";
        } else if (what == "DELETE") {
            Deleted << f.value(2);
        }
    } else if (cmd == "PMGNDWP" || cmd == "PMGNDRT") {
        Deleted << body;
    }
}
