#include "files/MapList.h"

#include "files/MapCal.h"
#include "files/MapLoad.h"
#include "model/Texts.h"
#include "platform/IniFile.h"
#include "platform/Numbers.h"
#include "platform/ProgramDir.h"

#include <QFileInfo>
#include <algorithm>

namespace {
const QString SecMaps = QStringLiteral("Liste_Cartes");
const QString SecGeneral = QStringLiteral("General");
} // namespace

TMapCatalog::TMapCatalog(const QString& IniFile) : fFile(IniFile.isEmpty() ? IniFileName() : IniFile)
{
    Reload();
}

TMapCatalog::~TMapCatalog() = default;

void TMapCatalog::Reload()
{
    fIni = std::make_unique<TIniFile>(fFile);
    fNames = fIni->ReadSection(SecMaps);
}

QString TMapCatalog::PathOf(const QString& Name) const
{
    return fIni->ReadString(SecMaps, Name, QString());
}

bool TMapCatalog::Contains(const QString& Name) const
{
    return fIni->ValueExists(SecMaps, Name);
}

bool TMapCatalog::Write(const QString& Name, const QString& Path)
{
    fError.clear();
    const bool ok = fIni->WriteString(SecMaps, Name, Path);
    if (!ok) fError = fIni->LastError();
    // After a failure the memory copy holds what was not stored: read the file again.
    if (ok)
        fNames = fIni->ReadSection(SecMaps);
    else
        Reload();
    return ok;
}

bool TMapCatalog::Remove(const QString& Name)
{
    fError.clear();
    qsizetype at = -1;
    for (qsizetype i = 0; i < fNames.size(); ++i)
        if (fNames[i].compare(Name, Qt::CaseInsensitive) == 0) {
            at = i;
            break;
        }
    if (at < 0) return false;
    QStringList paths;
    for (const QString& n : fNames) paths << PathOf(n);
    QStringList names = fNames;
    names.removeAt(at);
    paths.removeAt(at);
    // One update of the file: a failure leaves the section as it was on disk.
    fIni->BeginUpdate();
    bool ok = fIni->EraseSection(SecMaps);
    for (qsizetype i = 0; ok && i < names.size(); ++i) ok = fIni->WriteString(SecMaps, names[i], paths[i]);
    ok = fIni->UpdateFile() && ok;
    if (!ok) {
        fError = fIni->LastError();
        Reload();
        return false;
    }
    fNames = fIni->ReadSection(SecMaps);
    return true;
}

// ---- Helpers ----------------------------------------------------------------------------------

QString MapAsciiUpper(QString s)
{
    for (QChar& c : s)
        if (c >= u'a' && c <= u'z') c = QChar(c.unicode() - 32);
    return s;
}

QString MapAsciiLower(QString s)
{
    for (QChar& c : s)
        if (c >= u'A' && c <= u'Z') c = QChar(c.unicode() + 32);
    return s;
}

bool MapNameMatches(const QString& Name, const QString& Typed)
{
    if (Name.size() < Typed.size()) return false;
    return MapAsciiUpper(Name.left(Typed.size())) == MapAsciiUpper(Typed);
}

void SortMapNames(QStringList& Names)
{
    std::stable_sort(Names.begin(), Names.end(), [](const QString& a, const QString& b) {
        const int c = a.compare(b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
}

QStringList FilterMapNames(const TMapCatalog& Catalog, const QString& Typed, TMapFolderFilter Filter,
                           const QString& DirName)
{
    QStringList out;
    for (const QString& name : Catalog.Names()) {
        if (!MapNameMatches(name, Typed)) continue;
        if (Filter != TMapFolderFilter::All) {
            const bool same = MapFolderKey(Catalog.PathOf(name)) == MapAsciiLower(DirName);
            if (same != (Filter == TMapFolderFilter::Folder)) continue;
        }
        out << name;
    }
    SortMapNames(out);
    return out;
}

bool CheckMapName(QString& Name)
{
    Name = Name.trimmed();
    return !Name.isEmpty() && !Name.contains(u'=') && !Name.contains(u'[') && !Name.contains(u']');
}

QString MapBaseName(const QString& ImagePath)
{
    const QString file = QFileInfo(ImagePath).fileName();
    const qsizetype dot = file.indexOf(u'.');
    return dot < 0 ? file : file.left(dot);
}

TMapInfo MapInfo(const QString& Name, const QString& ImagePath)
{
    TMapInfo info;
    const QFileInfo image(ImagePath);
    const QString cal = ImagePath.isEmpty() ? QString() : MapCalFileName(ImagePath);
    info.ImageFound = !ImagePath.isEmpty() && image.isFile();
    info.CalFound = !cal.isEmpty() && QFileInfo(cal).isFile();
    if (info.ImageFound && info.CalFound)
        info.Lines << Name + QStringLiteral(" : ") + QString::number(Round(double(image.size()) / 1024.0)) +
                          QStringLiteral("Ko");
    else if (!info.ImageFound && !info.CalFound)
        info.Lines << QStringLiteral("%1 : fichier %2 et %3 non trouvés")
                          .arg(Name, QStringLiteral("BMP"), QStringLiteral("INI"));
    else
        info.Lines << QStringLiteral("%1 : fichier %2 non trouvé")
                          .arg(Name, info.ImageFound ? QStringLiteral("INI") : QStringLiteral("BMP"));

    std::unique_ptr<TIniFile> ini =
        info.CalFound ? std::make_unique<TIniFile>(cal) : TIniFile::FromBytes(QByteArray());
    const QString comment = ini->ReadString(SecGeneral, QStringLiteral("Comment"), QString());
    if (!comment.isEmpty()) info.Lines << comment;
    info.Lines << ImagePath << cal; // as on disk: file names tell cases apart
    const auto bound = [&](const char* key) {
        return int32(ini->ReadInteger(SecGeneral, QLatin1String(key), MapPosMissing));
    };
    info.Lines << QStringLiteral("Max: ") + LatiToStr(bound("Lati_Max")) + QStringLiteral("   ") +
                      LongToStr(bound("Long_Max"));
    info.Lines << QStringLiteral("Min: ") + LatiToStr(bound("Lati_Min")) + QStringLiteral("   ") +
                      LongToStr(bound("Long_Min"));
    return info;
}
