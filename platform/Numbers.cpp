#include "platform/Numbers.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace {

template <typename I> I Saturate(double r)
{
    // r is already integral; NaN gives 0, values out of range stop at the limits.
    if (std::isnan(r)) return 0;
    if (r <= double(std::numeric_limits<I>::min())) return std::numeric_limits<I>::min();
    if (r >= double(std::numeric_limits<I>::max())) return std::numeric_limits<I>::max();
    return static_cast<I>(r);
}

bool IsBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

QString TrimBlanks(const QString& s)
{
    qsizetype b = 0, e = s.size();
    while (b < e && IsBlank(s[b])) ++b;
    while (e > b && IsBlank(s[e - 1])) --e;
    return s.mid(b, e - b);
}

} // namespace

int32_t Round(double v)
{
    return Saturate<int32_t>(std::nearbyint(v));
}

int64_t Round64(double v)
{
    return Saturate<int64_t>(std::nearbyint(v));
}

int32_t Trunc(double v)
{
    return Saturate<int32_t>(std::trunc(v));
}

int64_t FloorDiv(int64_t a, int64_t b)
{
    if (b == 0) return 0; // no division by zero; callers never divide by zero on purpose
    if (b == -1) return a == std::numeric_limits<int64_t>::min() ? a : -a;
    int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
    return q;
}

int64_t FloorMod(int64_t a, int64_t b)
{
    if (b == 0 || b == -1) return 0;
    int64_t m = a % b;
    if (m != 0 && ((m < 0) != (b < 0))) m += b;
    return m;
}

QString FloatToStrC(double v, int decimals)
{
    if (decimals < 0) decimals = 0;
    if (decimals > 60) decimals = 60;
    char buf[400];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
    std::string s(buf, r.ptr);
    // "-0.00": a value that rounds to zero is written without sign
    if (!s.empty() && s[0] == '-' && s.find_first_not_of("-0.") == std::string::npos) s.erase(0, 1);
    return QString::fromLatin1(s.data(), qsizetype(s.size()));
}

QString FloatToStrShortest(double v)
{
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    return QString::fromLatin1(buf, r.ptr - buf);
}

std::optional<double> StrToFloatC(const QString& text)
{
    const QString s = TrimBlanks(text);
    std::string a;
    a.reserve(size_t(s.size()));
    qsizetype i = 0;
    bool neg = false;
    if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) neg = s[i++] == u'-';
    int intDigits = 0, leadZeros = 0, fracDigits = 0, fracLeadZeros = 0;
    bool significant = false;
    while (i < s.size() && s[i] >= u'0' && s[i] <= u'9') {
        if (s[i] != u'0') significant = true;
        if (!significant) ++leadZeros;
        a += char(s[i++].unicode());
        ++intDigits;
    }
    if (i < s.size() && (s[i] == u'.' || s[i] == u',')) {
        a += '.';
        ++i;
        while (i < s.size() && s[i] >= u'0' && s[i] <= u'9') {
            if (s[i] != u'0') significant = true;
            if (!significant) ++fracLeadZeros;
            a += char(s[i++].unicode());
            ++fracDigits;
        }
    }
    if (intDigits + fracDigits == 0) return std::nullopt;
    long long exponent = 0;
    if (i < s.size() && (s[i] == u'e' || s[i] == u'E')) {
        a += 'e';
        ++i;
        bool expNeg = false;
        if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) {
            expNeg = s[i] == u'-';
            a += char(s[i++].unicode());
        }
        int expDigits = 0;
        while (i < s.size() && s[i] >= u'0' && s[i] <= u'9') {
            if (exponent < 100000000) exponent = exponent * 10 + (s[i].unicode() - u'0');
            a += char(s[i++].unicode());
            ++expDigits;
        }
        if (expDigits == 0) return std::nullopt;
        if (expNeg) exponent = -exponent;
    }
    if (i != s.size()) return std::nullopt;
    double v = 0;
    const auto r = std::from_chars(a.data(), a.data() + a.size(), v, std::chars_format::general);
    if (r.ptr != a.data() + a.size()) return std::nullopt;
    if (r.ec == std::errc::result_out_of_range) {
        // Underflow reads as zero, overflow is refused.
        if (!significant) return neg ? -0.0 : 0.0;
        const long long magnitude =
            exponent + (intDigits - leadZeros > 0 ? intDigits - leadZeros : -fracLeadZeros);
        if (magnitude >= 0) return std::nullopt;
        return neg ? -0.0 : 0.0;
    }
    if (r.ec != std::errc()) return std::nullopt;
    if (!std::isfinite(v)) return std::nullopt;
    return neg ? -v : v;
}

std::optional<int64_t> StrToIntC(const QString& text)
{
    const QString s = TrimBlanks(text);
    qsizetype i = 0;
    bool neg = false;
    if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) neg = s[i++] == u'-';
    if (i == s.size()) return std::nullopt;
    // Accumulate as a negative number so that the lowest value fits.
    int64_t v = 0;
    for (; i < s.size(); ++i) {
        if (s[i] < u'0' || s[i] > u'9') return std::nullopt;
        const int d = s[i].unicode() - u'0';
        if (v < (std::numeric_limits<int64_t>::min() + d) / 10) return std::nullopt;
        v = v * 10 - d;
    }
    if (!neg) {
        if (v == std::numeric_limits<int64_t>::min()) return std::nullopt;
        v = -v;
    }
    return v;
}
