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
            Send("OKAY\r\n");
        } else if (name == "!OUT") {
            Send("OKAY\r\n" + Dump);
        } else if (name == "!RATE") {
            Rate = cmd.section(',', 1);
            Send("OKAY\r\n");
        } else if (name == "!RECORD") {
            Recording = true;
            Send("OKAY\r\n");
        } else if (name == "!CLEAR") {
            Cleared = true;
            Recording = false;
            Send("OKAY\r\n");
        }
        // anything else: no answer
    }
}
