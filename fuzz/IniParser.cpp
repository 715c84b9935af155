// Settings-file parser: any bytes parse; an untouched file gives back its bytes; one write
// changes that key only, and the result parses to the same values.
#include "platform/IniFile.h"

#include <QHash>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

using TValues = QHash<QString, QString>; // "section\nkey" -> value

TValues AllValues(const TIniFile& ini)
{
    TValues v;
    for (const QString& s : ini.ReadSections())
        for (const QString& k : ini.ReadSection(s))
            v.insert(s.toCaseFolded() + u'\n' + k.toCaseFolded(), ini.ReadString(s, k, QString()));
    return v;
}

void Check(bool ok)
{
    if (!ok) std::abort();
}

bool IsBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\v' || c == u'\f' || c == u'\r';
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 100000) return 0;
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    auto ini = TIniFile::FromBytes(bytes);
    Check(ini->ToBytes() == bytes);
    const TValues before = AllValues(*ini);

    // The key written: in the first section, or a new one; its value from the input's tail.
    const QStringList sections = ini->ReadSections();
    const QString section = sections.isEmpty() ? QStringLiteral("Fuzz") : sections.first();
    const QStringList keys = ini->ReadSection(section);
    const QString key = keys.isEmpty() || size % 2 ? QStringLiteral("Fuzz") : keys.last();
    QString value = QString::fromLatin1(bytes.right(12));
    value.remove(u'\r');
    value.remove(u'\n');
    if (!ini->WriteString(section, key, value)) return 0;
    qsizetype b = 0, e = value.size();
    while (b < e && IsBlank(value[b])) ++b;
    while (e > b && IsBlank(value[e - 1])) --e;
    const QString expected = value.mid(b, e - b);
    Check(ini->ReadString(section, key, QStringLiteral("\x01")) == expected);

    auto again = TIniFile::FromBytes(ini->ToBytes());
    Check(again->ReadString(section, key, QStringLiteral("\x01")) == expected);
    TValues after = AllValues(*again);
    TValues expectedAll = before;
    expectedAll.insert(section.toCaseFolded() + u'\n' + key.toCaseFolded(), expected);
    Check(after == expectedAll);
    return 0;
}
