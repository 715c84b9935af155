// What the application shell decides apart from its windows.
#include "app/Shell.h"

#include "model/Define.h"
#include "platform/IniFile.h"
#include "platform/ProgramDir.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <algorithm>
#include <cmath>

TFormatSettings FormatSettings;

void InitFormatSettings()
{
    FormatSettings = TFormatSettings();
}

QString StartupTrjFile(const QStringList& Args)
{
    return Args.size() > 1 ? Args.at(1) : QString();
}

bool TestBtnWanted(const TIniFile& Ini)
{
    return Ini.ReadBool(QStringLiteral("Interface"), QStringLiteral("Test_Btn"), false);
}

bool TestBtnWanted()
{
    const TIniFile ini(IniFileName());
    return TestBtnWanted(ini);
}

// ---- File dialogs ------------------------------------------------------------------------------

namespace {

QString AllFilesLabel()
{
    return Tr(QStringLiteral("Tous fichiers (*.*)"), QStringLiteral("Every file (*.*)"));
}

} // namespace

TFileDialogSpec FileDialogSpec(TFileKind Kind)
{
    TFileDialogSpec s;
    switch (Kind) {
    case fkOpenTrj:
        s.Title = Tr(QStringLiteral("Ouverture fichier trajectoire"), QStringLiteral("Track file opening"));
        s.Filter =
            Tr(QStringLiteral("Vols tous formats"), QStringLiteral("Every flight")) +
            QStringLiteral(
                "|*.ZPH;*.IGC;*.GPS;*.GPX;*.KML;*.LO4;*.TX4;*.TRK;*.DAT;*.GST;*.TRL;*.NMEA;*.RMC;*.GSD|"
                "Zephalon (*.ZPH)|*.ZPH|IGC (*.GPS ou IGC)|*.GPS;*.IGC|GPS Exchange Format (*.GPX)|"
                "*.GPX|KML Track (*.KML)|*.KML|LX computer (*.LO4 ou *.TX4)|*.LO4;*.TX4|"
                "Garmin (*.TRK)|*.TRK|Skyforce Logger (*.DAT)|*.DAT|GeoSetter (*.GST)|*.GST|"
                "Way 1.2 (*.TRL)|*.TRL|Nmea0183 (*.NMEA *.RMC)|*.NMEA;*.RMC|GSD (*.GSD)|*.GSD|") +
            AllFilesLabel() + QStringLiteral("|*.*");
        s.MultiSelect = true;
        s.MustExist = true;
        break;
    case fkSaveTrj:
        s.Title =
            Tr(QStringLiteral("Enregistrement fichier trajectoire"), QStringLiteral("Track file saving"));
        s.Filter =
            QStringLiteral("Zephalon (*.ZPH)|*.ZPH|IGC (*.IGC)|*.IGC|OGC KML Google Earth (*.KML)|*.KML|"
                           "GeoSetter (*.GST)|*.GST|Skyforce Logger (*.DAT)|*.DAT|Way 1.2 (*.TRL)|*.TRL|") +
            AllFilesLabel() + QStringLiteral("|*.*");
        s.Save = true;
        break;
    case fkOpenWpt:
        s.Title =
            Tr(QStringLiteral("Ouverture fichier way-points"), QStringLiteral("Waypoints file opening"));
        s.Filter = Tr(QStringLiteral("Way-points tout format"), QStringLiteral("Every waypoints file")) +
                   QStringLiteral("|*.ZPH;*.DBF;*.DA4;*.TPT;*.WPT;*.DAT;*.WPZ;*.DBT|Zephalon (*.ZPH)|*.ZPH|"
                                  "dBase (*.DBF)|*.DBF|LX computer (*.DA4)|*.DA4|*.TPT|*.TPT|"
                                  "Texte tabulé (*.WPT)|*.WPT|"
                                  "Cambridge (*.DAT)|*.DAT|Zander (*.WPZ)|*.WPZ|Volkslogger (*.DBT)|*.DBT|") +
                   AllFilesLabel() + QStringLiteral("|*.*");
        s.MustExist = true;
        break;
    case fkSaveWpt:
        s.Title =
            Tr(QStringLiteral("Enregistrement fichier way-points"), QStringLiteral("Waypoints file saving"));
        s.Filter = QStringLiteral("Zephalon (*.ZPH)|*.ZPH|Texte tabulé (*.WPT)|*.WPT|Cambridge (*.DAT)|*.DAT|"
                                  "Zander (*.WPZ)|*.WPZ|") +
                   AllFilesLabel() + QStringLiteral("|*.*");
        s.Save = true;
        break;
    case fkOpenStn:
        s.Title = Tr(QStringLiteral("Ouverture circuit"), QStringLiteral("Task opening"));
        s.Filter = QStringLiteral("Zephalon (*.ZPH)|*.ZPH");
        s.MustExist = true;
        break;
    case fkSaveStn:
        s.Title = Tr(QStringLiteral("Enregistrement fichier cicuit"), QStringLiteral("task file saving"));
        s.Filter = QStringLiteral("Zephalon (*.ZPH)|*.ZPH|") + AllFilesLabel() + QStringLiteral("|*.*");
        s.Save = true;
        break;
    case fkOpenMap:
    case fkReinstMap:
        s.Title = Kind == fkOpenMap
                      ? Tr(QStringLiteral("Ouverture fichier image carte"), QStringLiteral("Map opening"))
                      : Tr(QStringLiteral("Ré-installation carte(s)"), QStringLiteral("Map re-installation"));
        s.Filter =
            QStringLiteral("All map|*.jpg;*.jpeg;*.bmp;*.wmf|JPEG - JPG|*.jpg;*.jpeg|Bitmap (bmp)|*.bmp|"
                           "Windows meta file (wmf)|*.wmf");
        s.MultiSelect = Kind == fkReinstMap;
        s.MustExist = true;
        break;
    case fkOpenSmp:
        s.Title = QStringLiteral("Ouverture fichier de zone");
        s.Filter = QStringLiteral(
                       "OpenAir (*.TXT)|*.TXT|SUA / AIR (*.SUA ou *.AIR)|*.SUA;*.AIR|Zander (*.AZ)|*.AZ|") +
                   Tr(QStringLiteral("Tous fichiers de zone (*.*)"),
                      QStringLiteral("All airspace file format (*.*)")) +
                   QStringLiteral("|*.*");
        s.MustExist = true;
        break;
    case fkSaveSmp:
        s.Title =
            Tr(QStringLiteral("Enregistrement fichier de zone"), QStringLiteral("Airspace file saving"));
        s.Filter = QStringLiteral("OpenAir (*.TXT)|*.TXT");
        s.Save = true;
        break;
    }
    return s;
}

QList<TFilterEntry> ParseFilter(const QString& Filter)
{
    QList<TFilterEntry> out;
    const QStringList parts = Filter.split(u'|');
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        TFilterEntry e;
        e.Label = parts.at(i);
        for (const QString& p : parts.at(i + 1).split(u';', Qt::SkipEmptyParts)) e.Patterns << p.trimmed();
        out << e;
    }
    return out;
}

QString AnyCasePattern(const QString& Pattern)
{
    if (Pattern == QLatin1String("*.*") || Pattern == QLatin1String("*")) return QStringLiteral("*");
    QString p;
    for (const QChar c : Pattern) {
        const QChar u = c.toUpper(), l = c.toLower();
        if (u != l)
            p += u'[' + QString(u) + QString(l) + u']';
        else
            p += c;
    }
    return p;
}

QStringList QtNameFilters(const QString& Filter)
{
    QStringList out;
    for (const TFilterEntry& e : ParseFilter(Filter)) {
        QStringList pats;
        for (const QString& p : e.Patterns) {
            const QString a = AnyCasePattern(p);
            if (!pats.contains(a)) pats << a;
        }
        out << e.Label + QStringLiteral(" (") + pats.join(u' ') + u')';
    }
    return out;
}

QString SaveExtOf(const QString& Filter, int N)
{
    if (N < 1) return QString();
    QString rest = Filter;
    for (int i = 0; i < 2 * N - 1; ++i) {
        const qsizetype bar = rest.indexOf(u'|');
        if (bar < 0) return QString();
        rest = rest.mid(bar + 1);
    }
    const qsizetype bar = rest.indexOf(u'|');
    if (bar < 0) return QString(); // the last entry ("*.*")
    const qsizetype dot = rest.indexOf(u'.');
    if (dot < 0 || dot > bar) return QString();
    return rest.mid(dot, bar - dot);
}

QString DialogStartDir(const QString& Proposed)
{
    if (!Proposed.isEmpty()) {
        const QFileInfo fi(Proposed);
        if (fi.isDir()) return fi.absoluteFilePath();
        const QDir d = fi.absoluteDir();
        if (d.exists()) return d.absolutePath();
    }
    return ProgramDir();
}

void InstallPlainFileDialogs(QWidget* Parent)
{
    SetFileDialogHook([Parent](TFileKind Kind, TFileChoice& Choice) {
        const TFileDialogSpec spec = FileDialogSpec(Kind);
        const QStringList filters = QtNameFilters(spec.Filter);
        const QString proposed = Choice.Files.value(0);
        QFileDialog dlg(Parent, spec.Title, DialogStartDir(proposed));
        dlg.setOption(QFileDialog::HideNameFilterDetails);
        dlg.setNameFilters(filters);
        if (spec.Save) {
            dlg.setAcceptMode(QFileDialog::AcceptSave);
            dlg.setFileMode(QFileDialog::AnyFile);
            if (!proposed.isEmpty() && !QFileInfo(proposed).isDir()) dlg.selectFile(proposed);
        } else {
            dlg.setAcceptMode(QFileDialog::AcceptOpen);
            dlg.setFileMode(spec.MultiSelect ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
        }
        if (dlg.exec() != QDialog::Accepted) return false;
        Choice.Files = dlg.selectedFiles();
        Choice.AddToOpened = false;
        if (spec.Save && !Choice.Files.isEmpty()) {
            // The extension of the chosen filter entry, only for a name typed without one.
            const bool hasDot = QFileInfo(Choice.Files.first()).fileName().contains(u'.');
            // The dialog names the entry by its label alone (the patterns are hidden).
            const QString sel = dlg.selectedNameFilter();
            const QList<TFilterEntry> entries = ParseFilter(spec.Filter);
            int n = 0;
            for (int i = 0; i < entries.size() && n == 0; ++i)
                if (filters.at(i) == sel || entries.at(i).Label == sel) n = i + 1;
            Choice.SaveExt = hasDot ? QString() : SaveExtOf(spec.Filter, n);
        }
        return true;
    });
}

// ---- Layout ------------------------------------------------------------------------------------------

TViewSizes ComputeViewSizes(QSize Central, bool Nmea)
{
    const int w = std::max(Central.width(), 1), h = std::max(Central.height(), 1);
    // The calculations panel: about a quarter of the width, readable but never dominant.
    const int panel = std::clamp(int(std::lround(w * 0.24)), std::min(230, w / 2), 340);
    // The profile: a band below the plan, smaller in the NMEA layout where the live plan matters.
    const double profileShare = Nmea ? 0.22 : 0.30;
    const int profile = std::clamp(int(std::lround(h * profileShare)), std::min(120, h / 3), 320);
    TViewSizes s;
    s.Horizontal = {w - panel, panel};
    s.Vertical = {h - profile, profile};
    return s;
}

TNmeaLayout ComputeNmeaLayout(QRect Available, int NmeaWidth)
{
    TNmeaLayout l;
    const int strip = std::clamp(NmeaWidth, 0, Available.width() / 2);
    l.Main = QRect(Available.left(), Available.top(), Available.width() - strip, Available.height());
    l.Nmea = QRect(l.Main.right() + 1, Available.top(), strip, Available.height());
    return l;
}

uint8 FitFlag(Qt::KeyboardModifiers Mods)
{
    uint8 f = 0;
    if (Mods & Qt::ShiftModifier) f |= FitShift;
    if (Mods & Qt::ControlModifier) f |= FitCtrl;
    return f;
}
