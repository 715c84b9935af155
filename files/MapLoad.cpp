#include "files/MapLoad.h"

#include "files/FileCommon.h"
#include "files/MapCal.h"
#include "files/MapList.h"
#include "files/MapLoadWmf.h"
#include "model/Define.h"
#include "model/ModelUi.h"
#include "model/Options.h"
#include "platform/IniFile.h"
#include "platform/Msg.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <algorithm>
#include <cstdlib>

namespace {

// The decoders hand back a picture whose missing part is grey when a JPEG or BMP file was cut
// short: such a file must not pass for a map.
bool ImageFileComplete(const QString& Path)
{
    QFile f(Path);
    if (!f.open(QIODevice::ReadOnly)) return false;
    const qint64 size = f.size();
    const QByteArray head = f.read(64);
    if (head.startsWith("\xff\xd8")) {
        // The end-of-image marker closes the file (a little trailing padding is tolerated).
        const qint64 tail = std::min<qint64>(size, 4096);
        f.seek(size - tail);
        return f.read(tail).contains("\xff\xd9");
    }
    if (head.startsWith("BM") && head.size() >= 34) {
        const auto u32 = [&head](int at) {
            return quint32(uchar(head[at])) | quint32(uchar(head[at + 1])) << 8 |
                   quint32(uchar(head[at + 2])) << 16 | quint32(uchar(head[at + 3])) << 24;
        };
        const auto u16 = [&head](int at) {
            return quint32(uchar(head[at])) | quint32(uchar(head[at + 1])) << 8;
        };
        const quint32 headerSize = u32(14);
        if (headerSize < 40) return true; // old core header: left to the decoder
        const qint64 offBits = u32(10);
        const qint64 width = qint32(u32(18));
        const qint64 height = std::abs(qint64(qint32(u32(22))));
        const qint64 bits = u16(28);
        const quint32 compression = u32(30);
        if (compression != 0 && compression != 3) return true; // run-length coded: no fixed size
        const qint64 stride = (width * bits + 31) / 32 * 4;
        return size >= offBits + stride * height;
    }
    return true;
}

void Warn(const QString& text)
{
    MessageDlg(text, TMsgType::Warning, mbOK);
}

// Everything of LoadMap between its two status texts.
bool LoadMapFiles(const QString& Name)
{
    const QString path = TMapCatalog().PathOf(Name);
    if (path.isEmpty()) {
        Opt->FichFondCarte.clear();
        *Map = TMap();
        return false;
    }
    if (!QFileInfo(path).isFile()) {
        Warn(QStringLiteral("Fichier carte de fond ") + path + QStringLiteral(" non trouvé."));
        *Map = TMap();
        return false;
    }
    TMap m;
    QString error;
    const QString cal = MapCalFileName(path);
    // A metafile is drawn at the size its calibration was made at.
    QSize size;
    if (QFileInfo(cal).isFile()) {
        TMap sized;
        ReadMapCalGeneral(TIniFile(cal), sized);
        size = QSize(sized.Width, sized.Height);
    }
    if (!LoadMapImage(path, m.Image, error, size)) {
        Warn(error);
        *Map = TMap();
        return false;
    }
    if (!QFileInfo(cal).isFile()) {
        Warn(QStringLiteral("Fichier ") + cal + QStringLiteral(" non trouvé."));
        *Map = TMap();
        return false;
    }
    {
        const TIniFile ini(cal);
        QString comment;
        ReadMapCal(ini, m, comment);
        ReadMapCalGeneral(ini, m);
    }
    // Besides the four points and the size, the points must span the image: a calibration whose
    // conversions divide by zero would leave the views without a position.
    if (m.Width <= 0 || m.Height <= 0 || !IniMapUsable(m)) {
        Warn(QStringLiteral("Fichier ") + cal + QStringLiteral(" non valide."));
        *Map = TMap();
        return false;
    }
    m.FileName = path;
    m.Valid = true;
    *Map = std::move(m);
    Opt->FichFondCarte = Name;
    LoadMapBounds();
    return true;
}

} // namespace

QString MapFolderText(const QString& Path)
{
    if (Path.isEmpty()) return QString();
    QString dir = QDir::cleanPath(QFileInfo(Path).absolutePath());
    if (!dir.endsWith(u'/')) dir += u'/';
    return dir;
}

QString MapFolderKey(const QString& Path)
{
    return MapAsciiLower(MapFolderText(Path));
}

bool LoadMapImage(const QString& Path, QImage& Image, QString& Error, QSize Size)
{
    InitImageLimits();
    const QString shown = Path; // as on disk: file names tell cases apart
    if (QFileInfo(Path).suffix().compare(u"wmf", Qt::CaseInsensitive) == 0) {
        QByteArray data;
        QString why;
        QImage img;
        if (!ReadWholeFile(Path, data, Error)) return false;
        if (!RenderWmf(data, Size, img, why)) {
            Error = Language == 1 ? QStringLiteral("File ") + shown + QStringLiteral(": ") + why + u'.'
                                  : QStringLiteral("Fichier ") + shown + QStringLiteral(" : ") + why + u'.';
            return false;
        }
        Image = std::move(img);
        Error.clear();
        return true;
    }
    QImageReader reader(Path);
    QImage img = ImageFileComplete(Path) ? reader.read() : QImage();
    if (img.isNull()) {
        Error = QStringLiteral("Fichier ") + shown + QStringLiteral(" non valide.");
        return false;
    }
    Image = std::move(img);
    Error.clear();
    return true;
}

bool LoadMap(const QString& Name)
{
    ModelInit(); // idempotent: Map, Sml and Opt exist afterwards
    if (Name.isEmpty()) {
        Map->Valid = false;
        return false;
    }
    ShowStatus(QStringLiteral("Ouverture carte de fond ") + Name + u'.');
    const bool ok = LoadMapFiles(Name);
    ShowStatus(QString());
    return ok;
}

void LoadMapBounds()
{
    ModelInit();
    const QString dir = MapFolderKey(Map->FileName);
    if (dir.isEmpty()) {
        // No current map: no folder, no catalogue.
        Sml->Dir.clear();
        Sml->Items.clear();
        return;
    }
    if (dir == Sml->Dir) return;
    Sml->Items.clear();
    const TMapCatalog catalog;
    for (const QString& name : catalog.Names()) {
        TMapLoc loc;
        loc.Name = name;
        loc.Path = catalog.PathOf(name);
        if (loc.Path.isEmpty() || MapFolderKey(loc.Path) != dir) continue;
        const QString cal = MapCalFileName(loc.Path);
        if (QFileInfo(cal).isFile()) {
            TMap m;
            ReadMapCalGeneral(TIniFile(cal), m);
            loc.Lati_Min = m.Lati_Min;
            loc.Lati_Max = m.Lati_Max;
            loc.Long_Min = m.Long_Min;
            loc.Long_Max = m.Long_Max;
        }
        Sml->Items.push_back(std::move(loc));
    }
    Sml->Dir = dir;
}
