#include "print/PrintMsg.h"

#include "model/Define.h"

QString FormatMsg(const QString& Fmt, const QStringList& Args)
{
    QString out;
    out.reserve(Fmt.size() + 32);
    int next = 0;
    for (qsizetype i = 0; i < Fmt.size(); ++i) {
        if (Fmt[i] == u'%' && i + 1 < Fmt.size() && Fmt[i + 1] == u's' && next < Args.size()) {
            out += Args[next++];
            ++i;
        } else {
            out += Fmt[i];
        }
    }
    return out;
}

TPrintMsgTexts& PrintMsgTexts()
{
    static TPrintMsgTexts french;
    static TPrintMsgTexts english = [] {
        TPrintMsgTexts t;
        t.PreviewStatus = QStringLiteral("Creating the preview of %s");
        t.PrintStatus = QStringLiteral("Printing %s");
        t.ProgressText = QStringLiteral("Printing %s on %s");
        t.TransferStatus = QStringLiteral("Sending the print data of %s to the printer");
        t.PrinterFailure = QStringLiteral("The printer \"%s\" is unavailable!");
        t.First = QStringLiteral("S");
        t.Last = QStringLiteral("F");
        t.Start = QStringLiteral("Start");
        t.End = QStringLiteral("End");
        t.ExtSector = QStringLiteral("Extended sector - Radius = %s");
        t.TextStatus = QStringLiteral("Printing the text.");
        t.PlanStatus = QStringLiteral("Printing the plan view.");
        t.CuttStatus = QStringLiteral("Printing the cross-section.");
        t.WptListStatus = QStringLiteral("Printing the waypoint list %s.");
        return t;
    }();
    return Language == 1 ? english : french;
}
