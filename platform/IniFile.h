#pragma once
// Profile (INI) files with the semantics the program's settings files have always had:
// section and key names match in any case, values are kept verbatim (no quoting, no escapes,
// backslashes and blanks kept), a write changes one line in place and keeps every other line,
// comment and order, sections list their keys in file order.
// Encoding: UTF-8 when the bytes are valid UTF-8, else Windows-1252; written back in the
// encoding read (new files in UTF-8); CR LF or LF kept as found.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>

class TIniFile
{
public:
    explicit TIniFile(const QString& fileName);
    ~TIniFile();
    TIniFile(const TIniFile&) = delete;
    TIniFile& operator=(const TIniFile&) = delete;

    // A profile held in memory only, parsed from bytes (writes change the memory copy and
    // return true); ToBytes gives the file content as it would be written.
    static std::unique_ptr<TIniFile> FromBytes(const QByteArray& bytes);
    QByteArray ToBytes() const;

    const QString& FileName() const { return fName; }

    QString ReadString(const QString& section, const QString& key, const QString& def) const;
    int ReadInteger(const QString& section, const QString& key, int def) const;
    bool ReadBool(const QString& section, const QString& key, bool def) const;
    double ReadFloat(const QString& section, const QString& key, double def) const;
    bool SectionExists(const QString& section) const;
    bool ValueExists(const QString& section, const QString& key) const;
    QStringList ReadSection(const QString& section) const; // key names in file order
    QStringList ReadSections() const;

    // Each write goes to the file at once (like the Windows profile calls) and returns false
    // when the file cannot be written; LastError() then says why.
    bool WriteString(const QString& section, const QString& key, const QString& value);
    bool WriteInteger(const QString& section, const QString& key, int value);
    bool WriteBool(const QString& section, const QString& key, bool value); // "1" / "0"
    bool WriteFloat(const QString& section, const QString& key, double value);
    bool EraseSection(const QString& section);
    bool DeleteKey(const QString& section, const QString& key);

    // Batch mode: writes are kept in memory until UpdateFile (faster for many keys).
    // UpdateFile writes what changed and ends batch mode; the destructor writes what is
    // still pending.
    void BeginUpdate();
    bool UpdateFile();

    QString LastError() const { return fLastError; }

private:
    TIniFile();
    bool Save();
    struct Impl;
    Impl* d;
    QString fName;
    QString fLastError;
};
