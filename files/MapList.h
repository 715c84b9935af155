#pragma once
// The catalogue of installed scanned maps: section "Liste_Cartes" of "Zephalon.ini", one line
// per map, the map's name as key and the full path of its image as value. The map chooser, the
// map loader and the catalogue of the current folder all read it through this class.
#include <QString>
#include <QStringList>
#include <memory>

class TIniFile;

class TMapCatalog
{
public:
    // The catalogue of the given profile file (the program's "Zephalon.ini" by default).
    explicit TMapCatalog(const QString& IniFile = QString());
    ~TMapCatalog();
    TMapCatalog(const TMapCatalog&) = delete;
    TMapCatalog& operator=(const TMapCatalog&) = delete;

    // Reads the section again from the file (what is stored, after a failed write).
    void Reload();

    // Every name in file order.
    const QStringList& Names() const { return fNames; }
    // Path of a name (found in any case); empty when absent.
    QString PathOf(const QString& Name) const;
    bool Contains(const QString& Name) const;

    // Writes Name = Path: an existing name (in any case) gets the new path in place, a new name
    // goes to the end. False when the file could not be written (LastError says why); the
    // catalogue then shows what the file holds.
    bool Write(const QString& Name, const QString& Path);
    // Rewrites the section without Name (found in any case), the other names keeping their
    // order, in one update of the file. False when the name is absent or the write failed.
    bool Remove(const QString& Name);

    QString FileName() const { return fFile; }
    QString LastError() const { return fError; }

private:
    QString fFile;
    std::unique_ptr<TIniFile> fIni;
    QStringList fNames;
    QString fError;
};

// ---- Helpers of the chooser -------------------------------------------------------------------

// Upper- and lower-casing of the ASCII letters only (accented letters stay as they are).
QString MapAsciiUpper(QString s);
QString MapAsciiLower(QString s);

// True when Name starts with Typed, the ASCII letters compared without regard to case.
bool MapNameMatches(const QString& Name, const QString& Typed);

// Sorts names without regard to case ("albi" before "Alpes"); names equal but for case keep a
// fixed order.
void SortMapNames(QStringList& Names);

// Which maps the chooser lists by folder.
enum class TMapFolderFilter
{
    All,    // every map
    Folder, // maps whose folder is the active folder
    Others  // maps of the other folders
};
// The names that the typed text and the folder filter leave, sorted. DirName is the active
// folder ending with "/" (MapFolderText); folders compare with their ASCII letters in any case.
QStringList FilterMapNames(const TMapCatalog& Catalog, const QString& Typed, TMapFolderFilter Filter,
                           const QString& DirName);

// A name the user typed, trimmed. False when it cannot be a key of the section: empty, or
// holding "=", "[" or "]" (such a key could not be found again).
bool CheckMapName(QString& Name);

// The image's file name without folder, cut before its first ".": the proposed map name.
QString MapBaseName(const QString& ImagePath);

// What the chooser's memo shows of a map.
struct TMapInfo
{
    QStringList Lines;
    bool ImageFound = false;
    bool CalFound = false;
};
// First line: the name and the image size in Ko, or which of the files are missing; then the
// comment (when not empty), the image and calibration paths as they are written and the bounds.
TMapInfo MapInfo(const QString& Name, const QString& ImagePath);
