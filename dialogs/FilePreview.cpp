// What the file dialogs' memo shows about the file under the cursor.
#include "dialogs/FilePreview.h"

#include "files/FileCommon.h"
#include "files/MapCal.h"
#include "files/RecFile.h"
#include "files/TrjFileInfo.h"
#include "files/ZphFile.h"
#include "model/Calc.h"
#include "model/Texts.h"
#include "platform/IniFile.h"
#include "platform/Numbers.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>

namespace {

// A calibration file is a few hundred bytes; a larger one is read no further than this.
constexpr qint64 MaxCalFileBytes = 1 << 20;
// A task holds at most this many turn points (16-bit count); a damaged list stops there.
constexpr int MaxTrnNames = MaxListCount;
// The turn-point list is read no further than this (a real one is a few kilobytes): a huge
// damaged file cannot hold the dialog up.
constexpr qint64 MaxTrnListBytes = 1 << 20;

uint16 U16(const QByteArray& Rec, int At)
{
    return uint16(uint8(Rec[At]) | uint16(uint8(Rec[At + 1])) << 8);
}

// Record N of F, or an empty array when the file is shorter.
QByteArray RecordAt(QIODevice& F, qint64 N)
{
    if (F.size() < (N + 1) * ZphRecSize || !F.seek(N * ZphRecSize)) return QByteArray();
    QByteArray r = F.read(ZphRecSize);
    return r.size() == ZphRecSize ? r : QByteArray();
}

// Record 1 when the file starts with the magic record and a directory record; else empty.
QByteArray ZphDirectory(QIODevice& F)
{
    const QByteArray magic = RecordAt(F, 0);
    if (magic.isEmpty() || magic.mid(1, 8) != QByteArrayLiteral("Zephalon")) return QByteArray();
    QByteArray dir = RecordAt(F, 1);
    if (dir.isEmpty() || uint8(dir[0]) != ztDirectory) return QByteArray();
    return dir;
}

QString DistLabel(double& Factor)
{
    QString label;
    Factor = 1.0;
    DistUnit(Factor, label);
    if (!(Factor > 0)) Factor = 1.0;
    return label;
}

QStringList TrjFilePreview(const QString& Path)
{
    const QString ext = UpperExt(Path);
    if (ext != QLatin1String("ZPH") && ext != QLatin1String("IGC")) return {};
    // A file the user may not read is not "not valid": it shows nothing.
    if (!QFileInfo(Path).isReadable()) return {};
    TTrjFileInfo info;
    if (!ReadTrjFileInfo(Path, 1, info))
        return {Tr(QStringLiteral("Fichier *.zph ou *.igc non valide"),
                   QStringLiteral("*.zph or *.igc file not valid"))};
    double factor;
    const QString label = DistLabel(factor);
    return TrjInfoLines(info, label);
}

// Runs Read on the own-format file at Path (opened read-only; closed on every path).
template <typename F> QStringList WithZph(const QString& Path, F Read)
{
    if (UpperExt(Path) != QLatin1String("ZPH")) return {};
    QFile f(Path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return Read(f);
}

} // namespace

QStringList TrjInfoLines(const TTrjFileInfo& Info, const QString& DistLabel)
{
    QStringList lines;
    QString first = Info.Date;
    if (!Info.Duration.isEmpty()) first += QStringLiteral("  -  Durée : ") + Info.Duration;
    if (!Info.Distance.isEmpty())
        first += QStringLiteral("  -  Distance : ") + Info.Distance + u' ' + DistLabel;
    lines << first;
    if (!Info.Note.isEmpty()) lines << QStringLiteral("Note : ") + Info.Note;
    if (!Info.Pilot.isEmpty()) lines << QStringLiteral("Pilote : ") + Info.Pilot;
    if (!Info.GliderId.isEmpty()) {
        QString glider = QStringLiteral("Planeur : ") + Info.GliderType;
        if (!Info.GliderType.isEmpty()) glider += QStringLiteral("  -  ");
        lines << glider + Info.GliderId;
    }
    if (!Info.CompId.isEmpty()) lines << QStringLiteral("N° concours : ") + Info.CompId;
    if (!Info.Source.isEmpty()) lines << QStringLiteral("Source : ") + Info.Source;
    return lines;
}

QStringList ZphWptCountLines(QIODevice& F)
{
    const QByteArray dir = ZphDirectory(F);
    if (dir.isEmpty()) return {};
    const QByteArray hdr = RecordAt(F, U16(dir, 9));
    if (hdr.isEmpty() || uint8(hdr[0]) != ztSwpHeader) return {};
    return {Tr(QStringLiteral("Nombre de way-points : "), QStringLiteral("Number of way-points : ")) +
            QString::number(U16(hdr, 3)) + u'.'};
}

QStringList ZphTaskLines(QIODevice& F)
{
    const QByteArray dir = ZphDirectory(F);
    if (dir.isEmpty()) return {};
    QStringList lines;
    const QByteArray hdr = RecordAt(F, U16(dir, 3));
    if (!hdr.isEmpty() && uint8(hdr[0]) == ztTaskHeader) {
        double factor;
        const QString label = DistLabel(factor);
        lines << QStringLiteral(" Distance : ") + QString::number(Round(U16(hdr, 14) / factor)) + u' ' +
                     label;
    }
    const QByteArray list = RecordAt(F, U16(dir, 5));
    if (list.isEmpty() || uint8(list[0]) != ztTrnList) return lines;
    QByteArray rest = F.read(MaxTrnListBytes);
    QBuffer B(&rest);
    B.open(QIODevice::ReadOnly);
    int names = 0;
    for (;;) {
        const QByteArray r = B.read(ZphRecSize);
        if (r.size() < ZphRecSize || uint8(r[0]) >= ztTrnListEnd) break;
        if (uint8(r[0]) == ztTrnName) {
            lines << ReadZphText(B, r);
            if (++names >= MaxTrnNames) break;
        }
    }
    return lines;
}

QStringList MapImageLines(const QString& ImagePath)
{
    QStringList lines;
    const QFileInfo fi(ImagePath);
    if (fi.size() > 0)
        lines << fi.fileName() + QStringLiteral(" : ") +
                     QString::number(Round64(fi.size() / 1024.0)) + QStringLiteral("Ko");
    const QString cal = MapCalFileName(ImagePath);
    const QString desc = MapDescFileName(ImagePath);
    // Names as on disk: they tell cases apart.
    const QString calName = QFileInfo(cal).fileName();
    const QString descName = QFileInfo(desc).fileName();
    if (QFileInfo(cal).isFile()) {
        QFile f(cal);
        QByteArray bytes;
        if (f.open(QIODevice::ReadOnly)) bytes = f.read(MaxCalFileBytes);
        const auto ini = TIniFile::FromBytes(bytes);
        const QString general = QStringLiteral("General");
        const auto coord = [&](const char* Key) {
            return ini->ReadInteger(general, QString::fromLatin1(Key), MapPosMissing);
        };
        lines << Tr(QStringLiteral("Commentaires : "), QStringLiteral("Comments : ")) +
                     ini->ReadString(general, QStringLiteral("Comment"), QString());
        lines << QStringLiteral("Max: ") + LatiToStr(coord("Lati_Max")) + QStringLiteral("   ") +
                     LongToStr(coord("Long_Max"));
        lines << QStringLiteral("Min: ") + LatiToStr(coord("Lati_Min")) + QStringLiteral("   ") +
                     LongToStr(coord("Long_Min"));
    } else if (QFileInfo(desc).isFile()) {
        lines << (Language == 1 ? u'\'' + calName + QStringLiteral(" not found but '") + descName +
                                      QStringLiteral("' found.")
                                : u'\'' + calName + QStringLiteral("' non trouvé, mais '") + descName +
                                      QStringLiteral("' trouvé."));
    } else {
        lines << u'\'' + calName + Tr(QStringLiteral("' et '"), QStringLiteral("' and '")) + descName +
                     Tr(QStringLiteral("' non trouvé."), QStringLiteral("' not found."));
    }
    return lines;
}

QStringList TrjHeaderLines(const TTrj& T)
{
    QString glider = Tr(QStringLiteral("Planeur : "), QStringLiteral("Glider : ")) + T.GliderType;
    if (!T.GliderType.isEmpty()) glider += QStringLiteral("  -  ");
    glider += T.GliderId;
    return {QStringLiteral("Note : ") + T.Note,
            Tr(QStringLiteral("Pilote : "), QStringLiteral("Pilot : ")) + T.Pilot, glider,
            Tr(QStringLiteral("N° concours : "), QStringLiteral("Comp Id : ")) + T.CompId,
            QStringLiteral("Source : ") + T.Source};
}

TPreview FilePreview(int Kind, int FilterEntry, const QString& Path)
{
    TPreview p;
    switch (Kind) {
    case fkOpenTrj:
        if (!QFileInfo(Path).isFile()) return p;
        p.Show = true;
        p.Lines = TrjFilePreview(Path);
        break;
    case fkOpenWpt:
        if (!QFileInfo(Path).isFile()) return p;
        p.Show = true;
        p.Lines = WithZph(Path, [](QIODevice& F) { return ZphWptCountLines(F); });
        break;
    case fkOpenStn:
        if (!QFileInfo(Path).isFile()) return p;
        p.Show = true;
        p.Lines = WithZph(Path, [](QIODevice& F) { return ZphTaskLines(F); });
        break;
    case fkOpenMap:
    case fkReinstMap:
        if (!QFileInfo(Path).isFile()) return p;
        p.Show = true;
        p.Lines = MapImageLines(Path);
        break;
    case fkSaveTrj:
        if (FilterEntry != 1 || !Trj) return p;
        p.Show = true;
        p.Lines = TrjHeaderLines(*Trj);
        break;
    default:
        break;
    }
    return p;
}
