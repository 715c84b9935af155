#include "files/FormatText.h"
#include "platform/Numbers.h"
#include "platform/Text1252.h"
#include <charconv>
#include <cmath>

namespace FormatText {

QString Decode(const QByteArray& Data)
{
    if (!IsValidUtf8(Data)) return FromWin1252(Data); // "ï»¿" at the start is then text, not a mark
    return QString::fromUtf8(Data.startsWith("\xEF\xBB\xBF") ? Data.mid(3) : Data);
}

QList<QStringView> Lines(const QString& Text)
{
    QList<QStringView> out;
    QStringView T(Text);
    const qsizetype eof = T.indexOf(QChar(0x1A));
    if (eof >= 0) T = T.left(eof);
    qsizetype start = 0;
    const qsizetype n = T.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = T[i];
        if (c == u'\n' || c == u'\r') {
            out.append(T.mid(start, i - start));
            if (c == u'\r' && i + 1 < n && T[i + 1] == u'\n') ++i;
            start = i + 1;
        }
    }
    if (start < n) out.append(T.mid(start));
    return out;
}

bool ToDouble(QStringView S, double& V)
{
    S = S.trimmed();
    if (S.isEmpty() || S.size() > 64) return false;
    char buf[72];
    qsizetype k = 0;
    qsizetype i = 0;
    bool neg = false;
    if (S[0] == u'+' || S[0] == u'-') {
        neg = S[0] == u'-';
        ++i;
    }
    int digits = 0;
    for (; i < S.size(); ++i) {
        const char16_t c = S[i].unicode();
        if (c >= u'0' && c <= u'9') {
            buf[k++] = char(c);
            ++digits;
        } else if (c == u'.' || c == u'e' || c == u'E' ||
                   ((c == u'+' || c == u'-') && k > 0 && (buf[k - 1] == 'e' || buf[k - 1] == 'E'))) {
            buf[k++] = char(c);
        } else {
            return false;
        }
    }
    if (digits == 0) return false;
    double d = 0;
    const auto res = std::from_chars(buf, buf + k, d, std::chars_format::general);
    if (res.ec != std::errc() || res.ptr != buf + k || !std::isfinite(d)) return false;
    V = neg ? -d : d;
    return true;
}

bool ToInt(QStringView S, int32& V)
{
    S = S.trimmed();
    if (S.isEmpty() || S.size() > 12) return false;
    qsizetype i = 0;
    bool neg = false;
    if (S[0] == u'+' || S[0] == u'-') {
        neg = S[0] == u'-';
        ++i;
    }
    if (i >= S.size()) return false;
    int64_t v = 0;
    for (; i < S.size(); ++i) {
        const char16_t c = S[i].unicode();
        if (c < u'0' || c > u'9') return false;
        v = v * 10 + (c - u'0');
    }
    if (neg) v = -v;
    if (v < INT32_MIN || v > INT32_MAX) return false;
    V = int32(v);
    return true;
}

bool DegToInt(double Deg, double Limit, int32& V)
{
    if (!std::isfinite(Deg) || std::fabs(Deg) > Limit) return false;
    V = Round(Deg * 1e5);
    return true;
}

QString IntDegToText(int32 V, int IntDigits, bool Sign)
{
    const int64_t a = V < 0 ? -int64_t(V) : int64_t(V);
    QString s = QString::number(a / 100000).rightJustified(IntDigits, u'0') + u'.' +
                QString::number(a % 100000).rightJustified(5, u'0');
    if (V < 0)
        s.prepend(u'-');
    else if (Sign)
        s.prepend(u'+');
    return s;
}

int32 MsToUnits(int64_t Ms)
{
    // One time unit is 36 ms.
    return int32(Round64(double(Ms) / 36.0));
}

int64_t UnitsToSeconds(int64_t Units)
{
    return Round64(double(Units) * 0.036);
}

int64_t NextWholeSecond(int64_t Units)
{
    return Round64(double(UnitsToSeconds(Units) + 1) / 0.036);
}

namespace {
// Reads exactly n digits at i.
bool Digits(QStringView S, qsizetype& i, int n, int& v)
{
    if (i + n > S.size()) return false;
    v = 0;
    for (int k = 0; k < n; ++k) {
        const char16_t c = S[i + k].unicode();
        if (c < u'0' || c > u'9') return false;
        v = v * 10 + (c - u'0');
    }
    i += n;
    return true;
}
bool Expect(QStringView S, qsizetype& i, char16_t c)
{
    if (i < S.size() && S[i].unicode() == c) {
        ++i;
        return true;
    }
    return false;
}
} // namespace

bool ParseIsoTime(QStringView S, int64_t& Day, int64_t& Ms)
{
    S = S.trimmed();
    qsizetype i = 0;
    int y, mo, d, h, mi, se;
    if (!Digits(S, i, 4, y) || !Expect(S, i, u'-') || !Digits(S, i, 2, mo) || !Expect(S, i, u'-') ||
        !Digits(S, i, 2, d))
        return false;
    if (!Expect(S, i, u'T') && !Expect(S, i, u't') && !Expect(S, i, u' ')) return false;
    if (!Digits(S, i, 2, h) || !Expect(S, i, u':') || !Digits(S, i, 2, mi) || !Expect(S, i, u':') ||
        !Digits(S, i, 2, se))
        return false;
    int64_t ms = 0;
    if (Expect(S, i, u'.') || Expect(S, i, u',')) {
        int scale = 100, n = 0;
        while (i < S.size() && S[i] >= u'0' && S[i] <= u'9') {
            ms += (S[i].unicode() - u'0') * scale;
            scale /= 10;
            ++i;
            ++n;
        }
        if (n == 0) return false;
    }
    int64_t offsetMin = 0;
    if (i < S.size()) {
        if (S[i] == u'Z' || S[i] == u'z') {
            ++i;
        } else if (S[i] == u'+' || S[i] == u'-') {
            const int sign = S[i] == u'-' ? -1 : 1;
            ++i;
            int oh = 0, om = 0;
            if (!Digits(S, i, 2, oh)) return false;
            Expect(S, i, u':');
            if (i < S.size() && !Digits(S, i, 2, om)) return false;
            if (oh > 14 || om > 59) return false;
            offsetMin = sign * (oh * 60 + om);
        }
    }
    if (i != S.size()) return false;
    if (h > 24 || mi > 59 || se > 60 || (h == 24 && (mi || se || ms))) return false;
    int64_t day = 0;
    if (!DayNumber(y, mo, d, day)) return false;
    int64_t t = ((int64_t(h) * 60 + mi) * 60 + se) * 1000 + ms - offsetMin * 60000;
    const int64_t msPerDay = 86400000;
    while (t < 0) {
        t += msPerDay;
        --day;
    }
    while (t >= msPerDay) {
        t -= msPerDay;
        ++day;
    }
    Day = day;
    Ms = t;
    return true;
}

QString IsoTime(int64_t Day, int64_t Ms)
{
    int y, m, d;
    DayToDate(Day, y, m, d);
    const int64_t s = Ms / 1000;
    QString t = QStringLiteral("%1-%2-%3T%4:%5:%6")
                    .arg(y, 4, 10, QLatin1Char('0'))
                    .arg(m, 2, 10, QLatin1Char('0'))
                    .arg(d, 2, 10, QLatin1Char('0'))
                    .arg(int(s / 3600), 2, 10, QLatin1Char('0'))
                    .arg(int(s / 60 % 60), 2, 10, QLatin1Char('0'))
                    .arg(int(s % 60), 2, 10, QLatin1Char('0'));
    if (Ms % 1000) t += QStringLiteral(".%1").arg(int(Ms % 1000), 3, 10, QLatin1Char('0'));
    return t + u'Z';
}

QString NoControls(const QString& S)
{
    QString r = S;
    for (QChar& c : r)
        if (c.unicode() < 32) c = u' ';
    return r;
}

} // namespace FormatText
