#include "platform/IniFile.h"

#include "platform/AtomicFile.h"
#include "platform/Numbers.h"
#include "platform/Text1252.h"

#include <QFileInfo>
#include <QHash>
#include <cerrno>
#include <utility>
#include <vector>

namespace {

enum class TEncoding
{
    Utf8,
    Win1252
};

bool IsBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\v' || c == u'\f' || c == u'\r';
}

QString Trimmed(const QString& s, qsizetype b, qsizetype e)
{
    while (b < e && IsBlank(s[b])) ++b;
    while (e > b && IsBlank(s[e - 1])) --e;
    return s.mid(b, e - b);
}

QString Trimmed(const QString& s)
{
    return Trimmed(s, 0, s.size());
}

bool HasNonAscii(const QByteArray& b)
{
    for (char c : b)
        if (static_cast<unsigned char>(c) >= 0x80) return true;
    return false;
}

QString Fold(const QString& s)
{
    return s.toCaseFolded();
}

struct TLine
{
    enum Kind : uint8_t
    {
        Other,
        Section,
        Key
    };
    QByteArray raw;         // the bytes as read, without the line end (valid while !changed)
    QByteArray eol;         // "\r\n", "\n", "\r" or "" (last line without line end)
    QString text;           // decoded text
    QString name;           // section or key name, blanks trimmed
    QString folded;         // name folded for case-blind matching
    qsizetype valuePos = 0; // key: where the value starts in text
    Kind kind = Other;
    bool changed = false;

    // Windows profile rules: blanks around names and values are not part of them, a line
    // starting with ';' is a comment, "[name]" starts a section, "key=value" is a key; any
    // other line is kept as it is and means nothing.
    void Classify()
    {
        kind = Other;
        name.clear();
        folded.clear();
        qsizetype b = 0, e = text.size();
        while (b < e && IsBlank(text[b])) ++b;
        while (e > b && IsBlank(text[e - 1])) --e;
        if (b == e || text[b] == u';') return;
        if (text[b] == u'[') {
            const qsizetype close = text.indexOf(u']', b + 1);
            if (close < 0) return;
            kind = Section;
            name = Trimmed(text, b + 1, close);
        } else {
            const qsizetype eq = text.indexOf(u'=', b);
            if (eq < 0) return;
            name = Trimmed(text, b, eq);
            if (name.isEmpty()) return;
            kind = Key;
            valuePos = eq + 1;
            while (valuePos < text.size() && IsBlank(text[valuePos])) ++valuePos;
        }
        folded = Fold(name);
    }

    QString Value() const
    {
        qsizetype e = text.size();
        while (e > valuePos && IsBlank(text[e - 1])) --e;
        return text.mid(valuePos, e - valuePos);
    }
};

} // namespace

struct TIniFile::Impl
{
    std::vector<TLine> lines;
    QByteArray bom;
    QByteArray eol = "\r\n"; // line end of new lines: the file's first one
    TEncoding enc = TEncoding::Utf8;
    bool memoryOnly = false;
    bool batch = false;
    bool dirty = false;
    QString readError; // set when an existing file could not be read: writes are refused

    // Index: first header of each section name, first line of each key in that section.
    mutable bool indexed = false;
    mutable QHash<QString, int> sections;
    mutable QHash<std::pair<int, QString>, int> keys;

    void Parse(const QByteArray& bytes)
    {
        lines.clear();
        bom.clear();
        QByteArray body = bytes;
        if (body.startsWith("\xEF\xBB\xBF")) {
            bom = body.left(3);
            body.remove(0, 3);
            enc = TEncoding::Utf8;
        } else {
            enc = IsValidUtf8(body) ? TEncoding::Utf8 : TEncoding::Win1252;
        }
        bool eolFound = false;
        const qsizetype n = body.size();
        qsizetype pos = 0;
        while (pos < n) {
            qsizetype k = pos;
            while (k < n && body[k] != '\n' && body[k] != '\r') ++k;
            TLine l;
            l.raw = body.mid(pos, k - pos);
            if (k < n) {
                const qsizetype len = (body[k] == '\r' && k + 1 < n && body[k + 1] == '\n') ? 2 : 1;
                l.eol = body.mid(k, len);
                k += len;
                if (!eolFound) eol = l.eol;
                eolFound = true;
            }
            l.text = Decode(l.raw);
            l.Classify();
            lines.push_back(std::move(l));
            pos = k;
        }
        indexed = false;
    }

    QString Decode(const QByteArray& raw) const
    {
        return enc == TEncoding::Utf8 ? QString::fromUtf8(raw) : FromWin1252(raw);
    }

    static QByteArray Encode(const QString& text, TEncoding e)
    {
        return e == TEncoding::Utf8 ? text.toUtf8() : ToWin1252(text);
    }

    QByteArray Serialize(TEncoding e) const
    {
        QByteArray out = bom;
        for (const TLine& l : lines) {
            out += (l.changed || e != enc) ? Encode(l.text, e) : l.raw;
            out += l.eol;
        }
        return out;
    }

    // The bytes to write and their encoding. A Windows-1252 file whose new bytes happen to
    // form valid UTF-8 with letters beyond ASCII would be read back as UTF-8 next time, so
    // it is written in UTF-8 instead.
    std::pair<QByteArray, TEncoding> Output() const
    {
        QByteArray out = Serialize(enc);
        if (enc == TEncoding::Win1252 && IsValidUtf8(out) && HasNonAscii(out))
            return {Serialize(TEncoding::Utf8), TEncoding::Utf8};
        return {out, enc};
    }

    // After a successful write the written bytes become the lines' own bytes.
    void Settle(TEncoding written)
    {
        for (TLine& l : lines)
            if (l.changed || written != enc) {
                l.raw = Encode(l.text, written);
                l.changed = false;
            }
        enc = written;
        dirty = false;
    }

    void Index() const
    {
        if (indexed) return;
        sections.clear();
        keys.clear();
        int current = -1; // keys before the first section header belong to no section
        for (int i = 0; i < int(lines.size()); ++i) {
            const TLine& l = lines[size_t(i)];
            if (l.kind == TLine::Section) {
                const auto it = sections.constFind(l.folded);
                if (it == sections.constEnd()) {
                    sections.insert(l.folded, i);
                    current = i;
                } else {
                    current = -1; // a repeated section is hidden behind the first one
                }
            } else if (l.kind == TLine::Key && current >= 0) {
                const auto key = std::make_pair(current, l.folded);
                if (!keys.contains(key)) keys.insert(key, i); // the first copy of a key wins
            }
        }
        indexed = true;
    }

    int FindSection(const QString& section) const
    {
        Index();
        return sections.value(Fold(Trimmed(section)), -1);
    }

    int FindKey(int sectionLine, const QString& key) const
    {
        Index();
        return keys.value(std::make_pair(sectionLine, Fold(Trimmed(key))), -1);
    }

    // End (exclusive) of the lines of the section whose header is at line s.
    int SectionEnd(int s) const
    {
        int i = s + 1;
        while (i < int(lines.size()) && lines[size_t(i)].kind != TLine::Section) ++i;
        return i;
    }

    // Changes the text of one line; a Windows-1252 file that cannot hold the new text is
    // written in UTF-8 from then on rather than losing characters.
    void SetText(TLine& l, const QString& text)
    {
        if (enc == TEncoding::Win1252 && !FitsWin1252(text)) {
            enc = TEncoding::Utf8;
            for (TLine& other : lines) other.changed = true;
        }
        l.text = text;
        l.changed = true;
        l.Classify();
    }

    void Insert(int at, const QString& text)
    {
        TLine l;
        l.eol = eol;
        if (at > 0 && lines[size_t(at - 1)].eol.isEmpty()) lines[size_t(at - 1)].eol = eol;
        lines.insert(lines.begin() + at, std::move(l));
        SetText(lines[size_t(at)], text);
        indexed = false;
    }
};

namespace {

// Names and values that would change the meaning of other lines are refused.
QString CheckNames(const QString& section, const QString& key, const QString& value)
{
    const auto hasBreak = [](const QString& s) { return s.contains(u'\n') || s.contains(u'\r'); };
    const QString sec = Trimmed(section);
    if (sec.isEmpty() || sec.contains(u']') || hasBreak(sec)) return QStringLiteral("Invalid section name");
    const QString k = Trimmed(key);
    if (k.isEmpty() || k.contains(u'=') || k.startsWith(u';') || k.startsWith(u'[') || hasBreak(k))
        return QStringLiteral("Invalid key name");
    if (hasBreak(value)) return QStringLiteral("Line break in value");
    return QString();
}

} // namespace

TIniFile::TIniFile() : d(new Impl) {}

TIniFile::TIniFile(const QString& fileName) : d(new Impl), fName(fileName)
{
    QFileInfo fi(fileName);
    if (!fi.exists() && !fi.isSymLink()) return; // a new file, written in UTF-8
    if (fi.isDir()) {
        d->readError = SystemErrorText(EISDIR);
    } else {
        QFile f(fileName);
        if (f.open(QIODevice::ReadOnly)) {
            d->Parse(f.readAll());
            if (f.error() != QFileDevice::NoError) d->readError = f.errorString();
        } else if (fi.exists()) {
            d->readError = f.errorString();
        }
    }
    if (!d->readError.isEmpty()) {
        // Never overwrite a file we could not read.
        d->lines.clear();
        fLastError = d->readError;
    }
}

TIniFile::~TIniFile()
{
    if (d->dirty && !d->memoryOnly && !Save())
        qWarning("Settings file %s not written: %s", qPrintable(fName), qPrintable(fLastError));
    delete d;
}

std::unique_ptr<TIniFile> TIniFile::FromBytes(const QByteArray& bytes)
{
    std::unique_ptr<TIniFile> ini(new TIniFile);
    ini->d->memoryOnly = true;
    ini->d->Parse(bytes);
    return ini;
}

QByteArray TIniFile::ToBytes() const
{
    return d->Output().first;
}

QString TIniFile::ReadString(const QString& section, const QString& key, const QString& def) const
{
    const int s = d->FindSection(section);
    if (s < 0) return def;
    const int k = d->FindKey(s, key);
    return k < 0 ? def : d->lines[size_t(k)].Value();
}

namespace {

// Decimal, or hexadecimal after "$" or "0x" (up to 8 digits, taken as a 32-bit pattern).
std::optional<int32_t> ParseInt(const QString& text)
{
    QStringView s(text);
    bool neg = false;
    if (!s.isEmpty() && (s[0] == u'+' || s[0] == u'-')) {
        neg = s[0] == u'-';
        s = s.mid(1);
    }
    qsizetype hexStart = -1;
    if (s.startsWith(u'$'))
        hexStart = 1;
    else if (s.startsWith(u"0x", Qt::CaseInsensitive))
        hexStart = 2;
    if (hexStart >= 0) {
        s = s.mid(hexStart);
        if (s.isEmpty() || s.size() > 8) return std::nullopt;
        uint32_t v = 0;
        for (QChar c : s) {
            const int digit = QStringView(u"0123456789abcdef").indexOf(c.toLower());
            if (digit < 0) return std::nullopt;
            v = v * 16 + uint32_t(digit);
        }
        if (neg) v = 0u - v;
        return int32_t(v);
    }
    if (s.isEmpty() || !s[0].isDigit()) return std::nullopt; // no second sign, no blank
    const auto v = StrToIntC(text);
    if (!v || *v < INT32_MIN || *v > INT32_MAX) return std::nullopt;
    return int32_t(*v);
}

} // namespace

int TIniFile::ReadInteger(const QString& section, const QString& key, int def) const
{
    const auto v = ParseInt(ReadString(section, key, QString()));
    return v ? *v : def;
}

bool TIniFile::ReadBool(const QString& section, const QString& key, bool def) const
{
    const QString s = ReadString(section, key, QString());
    if (const auto v = ParseInt(s)) return *v != 0;
    if (s.compare(u"true", Qt::CaseInsensitive) == 0) return true;
    if (s.compare(u"false", Qt::CaseInsensitive) == 0) return false;
    return def;
}

double TIniFile::ReadFloat(const QString& section, const QString& key, double def) const
{
    const auto v = StrToFloatC(ReadString(section, key, QString()));
    return v ? *v : def;
}

bool TIniFile::SectionExists(const QString& section) const
{
    return d->FindSection(section) >= 0;
}

bool TIniFile::ValueExists(const QString& section, const QString& key) const
{
    const int s = d->FindSection(section);
    return s >= 0 && d->FindKey(s, key) >= 0;
}

QStringList TIniFile::ReadSection(const QString& section) const
{
    QStringList names;
    const int s = d->FindSection(section);
    if (s < 0) return names;
    const int end = d->SectionEnd(s);
    for (int i = s + 1; i < end; ++i) {
        const TLine& l = d->lines[size_t(i)];
        if (l.kind == TLine::Key && d->FindKey(s, l.name) == i) names << l.name;
    }
    return names;
}

QStringList TIniFile::ReadSections() const
{
    QStringList names;
    d->Index();
    for (int i = 0; i < int(d->lines.size()); ++i) {
        const TLine& l = d->lines[size_t(i)];
        if (l.kind == TLine::Section && d->sections.value(l.folded) == i) names << l.name;
    }
    return names;
}

bool TIniFile::WriteString(const QString& section, const QString& key, const QString& value)
{
    const QString bad = CheckNames(section, key, value);
    if (!bad.isEmpty()) {
        fLastError = bad;
        return false;
    }
    if (!d->readError.isEmpty()) {
        fLastError = d->readError;
        return false;
    }
    const bool direct = !d->batch && !d->memoryOnly;
    std::pair<std::vector<TLine>, TEncoding> before;
    if (direct) before = {d->lines, d->enc};
    const QString k = Trimmed(key);
    const int s = d->FindSection(section);
    if (s < 0) {
        const int at = int(d->lines.size());
        d->Insert(at, u'[' + Trimmed(section) + u']');
        d->Insert(at + 1, k + u'=' + value);
    } else if (const int line = d->FindKey(s, k); line >= 0) {
        TLine& l = d->lines[size_t(line)];
        if (l.Value() == value) return true; // nothing to write
        // The spacing around "=" is kept, unless the value brings its own leading blanks.
        const bool ownBlanks = !value.isEmpty() && value.front().isSpace();
        d->SetText(l, l.text.left(ownBlanks ? l.text.indexOf(u'=') + 1 : l.valuePos) + value);
    } else {
        int at = s + 1;
        const int end = d->SectionEnd(s);
        for (int i = s + 1; i < end; ++i)
            if (d->lines[size_t(i)].kind == TLine::Key) at = i + 1;
        d->Insert(at, k + u'=' + value);
    }
    d->dirty = true;
    if (!direct) return true;
    if (Save()) return true;
    // The file keeps its old content, and so does the memory copy.
    std::tie(d->lines, d->enc) = before;
    d->indexed = false;
    d->dirty = false;
    return false;
}

bool TIniFile::WriteInteger(const QString& section, const QString& key, int value)
{
    return WriteString(section, key, QString::number(value));
}

bool TIniFile::WriteBool(const QString& section, const QString& key, bool value)
{
    return WriteString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

bool TIniFile::WriteFloat(const QString& section, const QString& key, double value)
{
    return WriteString(section, key, FloatToStrShortest(value));
}

bool TIniFile::EraseSection(const QString& section)
{
    if (!d->readError.isEmpty()) {
        fLastError = d->readError;
        return false;
    }
    const QString folded = Fold(Trimmed(section));
    const auto before = d->lines;
    bool erased = false;
    for (int i = 0; i < int(d->lines.size());) {
        const TLine& l = d->lines[size_t(i)];
        if (l.kind == TLine::Section && l.folded == folded) {
            d->lines.erase(d->lines.begin() + i, d->lines.begin() + d->SectionEnd(i));
            erased = true;
        } else {
            ++i;
        }
    }
    if (!erased) return true;
    d->indexed = false;
    d->dirty = true;
    if (d->batch || d->memoryOnly) return true;
    if (Save()) return true;
    d->lines = before;
    d->indexed = false;
    d->dirty = false;
    return false;
}

bool TIniFile::DeleteKey(const QString& section, const QString& key)
{
    if (!d->readError.isEmpty()) {
        fLastError = d->readError;
        return false;
    }
    const int s = d->FindSection(section);
    if (s < 0) return true;
    const QString folded = Fold(Trimmed(key));
    const auto before = d->lines;
    bool erased = false;
    for (int i = d->SectionEnd(s) - 1; i > s; --i) { // every copy of the key in the section
        const TLine& l = d->lines[size_t(i)];
        if (l.kind == TLine::Key && l.folded == folded) {
            d->lines.erase(d->lines.begin() + i);
            erased = true;
        }
    }
    if (!erased) return true;
    d->indexed = false;
    d->dirty = true;
    if (d->batch || d->memoryOnly) return true;
    if (Save()) return true;
    d->lines = before;
    d->indexed = false;
    d->dirty = false;
    return false;
}

void TIniFile::BeginUpdate()
{
    d->batch = true;
}

bool TIniFile::UpdateFile()
{
    d->batch = false;
    if (!d->dirty || d->memoryOnly) return true;
    return Save();
}

bool TIniFile::Save()
{
    if (!d->readError.isEmpty()) {
        fLastError = d->readError;
        return false;
    }
    const auto [bytes, encoding] = d->Output();
    if (!WriteFileAtomic(fName, bytes, fLastError)) return false;
    d->Settle(encoding);
    fLastError.clear();
    return true;
}
