#include "SimLogger.h"

void TSimLogger::OnBytes(const QByteArray& bytes)
{
    fLine += bytes;
    for (qsizetype end; (end = fLine.indexOf("\r\n")) >= 0;) {
        const QString cmd = QString::fromLatin1(fLine.left(end));
        fLine.remove(0, end + 2);
        Commands << cmd;
        const QString name = cmd.section(',', 0, 0);
        if (name == "!SYNC" || name == "!CODE" || name == "!RELAY" || name == "!DIST") {
            Answer("OKAY\r\n");
        } else if (name == "!OUT") {
            Answer("OKAY\r\n" + Dump);
        } else if (name == "!RATE") {
            Rate = cmd.section(',', 1);
            Answer("OKAY\r\n");
        } else if (name == "!RECORD") {
            Recording = true;
            Answer("OKAY\r\n");
        } else if (name == "!CLEAR") {
            Cleared = true;
            Recording = false;
            Answer("OKAY\r\n");
        }
        // anything else: no answer
    }
}

void TSimLogger::Answer(const QByteArray& a)
{
    if (AnswerDelayMs <= 0) {
        Send(a);
        return;
    }
    fLate.append({std::chrono::steady_clock::now() + std::chrono::milliseconds(AnswerDelayMs), a});
}

void TSimLogger::OnIdle()
{
    const auto now = std::chrono::steady_clock::now();
    while (!fLate.isEmpty() && fLate.first().first <= now) Send(fLate.takeFirst().second);
}

QByteArray TSimLogger::DumpOf(const QList<QByteArray>& datTexts, bool starFirst)
{
    QByteArray out;
    for (const QByteArray& t : datTexts) out += t;
    if (starFirst) {
        const qsizetype at = out.indexOf("Date ");
        if (at >= 0) out.insert(at, '*');
    }
    return out;
}
