#include "platform/MaskEdit.h"

#include <vector>

namespace {

// One position of an edit mask.
struct TMaskPos
{
    enum Class : uint8_t
    {
        Literal,
        Letter,
        AlphaNum,
        Any,
        Digit,
        DigitSign
    };
    Class cls = Literal;
    bool required = false;
    QChar ch; // the literal
};

struct TMask
{
    std::vector<TMaskPos> pos;
    QString qt; // the Qt input mask, without its blank part
    bool keepLiterals = true;
    QChar blank = u'_';
};

bool IsQtMaskMeta(QChar c)
{
    return QStringView(u"AaNnXx90Dd#HhBb<>![]{}\\;").contains(c);
}

// Mask characters: L/l letter, A/a letter or digit, C/c any character, 0/9 digit, # digit or
// sign (upper case required, lower case optional; "0" required and "9" optional digit),
// ">" upper case, "<" lower case, "<>" no case change, "!" (blank placement, no meaning
// here), "\" takes the next character literally, "_" a literal blank; anything else is
// literal. After the first ";": "0" leaves the literals out of the text, then after the
// second ";" the blank character.
TMask Parse(const QString& mask)
{
    TMask m;
    qsizetype i = 0;
    const qsizetype n = mask.size();
    const auto literal = [&m](QChar c) {
        m.pos.push_back({TMaskPos::Literal, false, c});
        if (c == u';') return; // Qt cannot hold it; the position still counts
        if (IsQtMaskMeta(c)) m.qt += u'\\';
        m.qt += c;
    };
    const auto input = [&m](TMaskPos::Class cls, bool required, QChar qtChar) {
        m.pos.push_back({cls, required, QChar()});
        m.qt += qtChar;
    };
    for (; i < n && mask[i] != u';'; ++i) {
        const QChar c = mask[i];
        switch (c.unicode()) {
        case u'L':
            input(TMaskPos::Letter, true, u'A');
            break;
        case u'l':
            input(TMaskPos::Letter, false, u'a');
            break;
        case u'A':
            input(TMaskPos::AlphaNum, true, u'N');
            break;
        case u'a':
            input(TMaskPos::AlphaNum, false, u'n');
            break;
        case u'C':
            input(TMaskPos::Any, true, u'X');
            break;
        case u'c':
            input(TMaskPos::Any, false, u'x');
            break;
        case u'0':
            input(TMaskPos::Digit, true, u'9');
            break;
        case u'9':
            input(TMaskPos::Digit, false, u'0');
            break;
        case u'#':
            input(TMaskPos::DigitSign, false, u'#');
            break;
        case u'!':
            break;
        case u'>':
            if (i + 1 < n && mask[i + 1] == u'<') {
                m.qt += u'!';
                ++i;
            } else {
                m.qt += u'>';
            }
            break;
        case u'<':
            if (i + 1 < n && mask[i + 1] == u'>') {
                m.qt += u'!';
                ++i;
            } else {
                m.qt += u'<';
            }
            break;
        case u'\\':
            if (i + 1 < n) literal(mask[++i]);
            break;
        case u'_':
            literal(u' ');
            break;
        default:
            literal(c);
            break;
        }
    }
    if (i < n) { // ";" then the literal flag
        ++i;
        if (i < n && mask[i] != u';') m.keepLiterals = mask[i] != u'0';
        const qsizetype second = mask.indexOf(u';', i);
        if (second >= 0 && second + 1 < n) m.blank = mask[second + 1];
    }
    return m;
}

bool Fits(const TMaskPos& p, QChar c)
{
    switch (p.cls) {
    case TMaskPos::Letter:
        return c.isLetter();
    case TMaskPos::AlphaNum:
        return c.isLetterOrNumber();
    case TMaskPos::Any:
        return true;
    case TMaskPos::Digit:
        return c >= u'0' && c <= u'9';
    case TMaskPos::DigitSign:
        return (c >= u'0' && c <= u'9') || c == u'+' || c == u'-';
    case TMaskPos::Literal:
        return c == p.ch;
    }
    return false;
}

} // namespace

QString MaskToQtInputMask(const QString& mask)
{
    if (mask.isEmpty()) return QString();
    const TMask m = Parse(mask);
    if (m.pos.empty()) return QString();
    return m.qt + u';' + m.blank;
}

bool MaskTextComplete(const QString& mask, const QString& text)
{
    if (mask.isEmpty()) return true;
    const TMask m = Parse(mask);
    // The text may show the unfilled positions (as the blank character or a space) or leave
    // them out (as Qt's text() does), and may leave the literals out when the mask says so;
    // it is complete when some reading of it fills every required position.
    const size_t np = m.pos.size();
    const qsizetype nt = text.size();
    // reach[i][j]: mask positions [0, i) can account for text [0, j)
    std::vector<std::vector<char>> reach(np + 1, std::vector<char>(size_t(nt) + 1, 0));
    reach[0][0] = 1;
    for (size_t i = 0; i < np; ++i) {
        const TMaskPos& p = m.pos[i];
        for (qsizetype j = 0; j <= nt; ++j) {
            if (!reach[i][size_t(j)]) continue;
            const bool skippable = p.cls == TMaskPos::Literal ? !m.keepLiterals : !p.required;
            if (skippable) reach[i + 1][size_t(j)] = 1;
            if (j == nt) continue;
            const QChar c = text[j];
            const bool blank = c == m.blank || c == u' ';
            bool ok;
            if (p.cls == TMaskPos::Literal)
                ok = c == p.ch || c.toCaseFolded() == p.ch.toCaseFolded();
            else if (blank)
                ok = !p.required;
            else
                ok = Fits(p, c);
            if (ok) reach[i + 1][size_t(j + 1)] = 1;
        }
    }
    return reach[np][size_t(nt)] != 0;
}
