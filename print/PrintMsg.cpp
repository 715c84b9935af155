#include "print/PrintMsg.h"

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
    static TPrintMsgTexts texts;
    return texts;
}
