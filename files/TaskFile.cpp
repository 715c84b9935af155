// The competition task file of a flight folder.
#include "files/TaskFile.h"

#include "files/RecFile.h"
#include "model/Calc.h"
#include "platform/IniFile.h"
#include "platform/Msg.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <algorithm>

namespace {

const QString SecGen = QStringLiteral("Général");
const QString SecStart = QStringLiteral("Départ");
const QString SecFinish = QStringLiteral("Arrivée");
const QString KeyWpt = QStringLiteral("WayPoint");
const QString KeyRadius = QStringLiteral("Rayon");
const QString KeyLine = QStringLiteral("TypeLigne");
const QString KeyClose = QStringLiteral("FermetureLigne");

TDateTime Today()
{
    const QDate d = QDate::currentDate();
    return EncodeDate(d.year(), d.month(), d.day());
}

TDateTime ReadTime(const TIniFile& Ini, const QString& Section)
{
    TDateTime t = 0;
    if (TaskTime(Ini.ReadString(Section, KeyClose, QStringLiteral("23:59")), t)) return t;
    TaskTime(QStringLiteral("23:59"), t);
    return t;
}

bool ReadNumber(const QString& Text, int& Value)
{
    bool ok = false;
    Value = Text.trimmed().toInt(&ok);
    return ok;
}

struct TSectorRule
{
    uint8 Type;
    int32 Angle;
    uint8 Closed;
    bool Ref;
};

TSectorRule SectorOf(int Section, int LineType, int Radius)
{
    if (Section == 0) {
        switch (LineType) {
        case 1:
        case 5:
            return {1, 90, 1, false};
        case 2:
            return {2, 0, 1, true};
        case 3:
            return {1, 180, 1, false};
        case 4:
            return {1, 180, 1, true};
        default:
            return {0, 0, 0, false};
        }
    }
    if (Section == 1) return {1, 0, 0, Radius > 1000};
    switch (LineType) {
    case 1:
        return {1, 90, 1, false};
    case 2:
        return {1, 180, 1, false};
    case 3:
        return {1, 180, 1, true};
    default:
        return {0, 0, 0, false};
    }
}

} // namespace

QString TaskFileName(const QString& Folder)
{
    return QDir(Folder).filePath(QStringLiteral("task.zpt"));
}

bool TaskDate(const QString& Text, TDateTime& Date)
{
    const QStringList p = Text.trimmed().split(u'/');
    if (p.size() != 3) return false;
    int d = 0, m = 0, y = 0;
    if (!ReadNumber(p[0], d) || !ReadNumber(p[1], m) || !ReadNumber(p[2], y)) return false;
    if (p[2].trimmed().size() <= 2) y += y >= 80 ? 1900 : 2000;
    return TryEncodeDate(y, m, d, Date);
}

bool TaskTime(const QString& Text, TDateTime& Time)
{
    const QStringList p = Text.trimmed().split(u':');
    if (p.size() < 2 || p.size() > 3) return false;
    int h = 0, m = 0, s = 0;
    if (!ReadNumber(p[0], h) || !ReadNumber(p[1], m) || (p.size() == 3 && !ReadNumber(p[2], s))) return false;
    if (h < 0 || h > 23 || m < 0 || m > 59 || s < 0 || s > 59) return false;
    Time = (h * 3600 + m * 60 + s) / 86400.0;
    return true;
}

void ReadTaskCst(const TIniFile& Ini, TCst& Cst)
{
    Cst.TypeEpreuve = uint8(Ini.ReadInteger(SecGen, QStringLiteral("TypeEpreuve"), 0));
    Cst.AltiMaxEpreuve = Ini.ReadInteger(SecGen, QStringLiteral("AltiMaxEpreuve"), 0);
    if (!TaskDate(Ini.ReadString(SecGen, QStringLiteral("DateEpreuve"), QString()), Cst.DateEpreuve))
        Cst.DateEpreuve = Today();
    Cst.AltiMax = Ini.ReadInteger(SecStart, QStringLiteral("AltiMax"), 99999);
    Cst.FermetureDep = ReadTime(Ini, SecStart);
    Cst.AltiMin = Ini.ReadInteger(SecFinish, QStringLiteral("AltiMin"), 0);
    Cst.FermetureArr = ReadTime(Ini, SecFinish);
}

bool SameWptName(const QString& A, const QString& B)
{
    if (A.size() != B.size()) return false;
    for (qsizetype i = 0; i < A.size(); ++i) {
        char16_t a = A[i].unicode(), b = B[i].unicode();
        if (a >= u'a' && a <= u'z') a -= 32;
        if (b >= u'a' && b <= u'z') b -= 32;
        if (a != b) return false;
    }
    return true;
}

TTrn* AddTaskTrn(TStn& Task, TSwp* Set, int Section, int LineType, const QString& Name, int Radius,
                 QSet<QString>* Reported)
{
    const TWpt* w = nullptr;
    for (const TWpt* p = Set ? Set->First : nullptr; p && !w; p = p->Next)
        if (SameWptName(p->Name, Name)) w = p;
    if (!w) {
        if (!Reported || !Reported->contains(Name)) {
            if (Reported) Reported->insert(Name);
            MessageDlg(QStringLiteral("WayPoint ") + Name + QStringLiteral(" non trouvé"),
                       TMsgType::Information, mbOK);
        }
        return nullptr;
    }
    TTrn t;
    t.Lat = w->Lat;
    t.Lon = w->Lon;
    t.Name = w->Name.left(WptNameLen);
    t.Comment = w->Comment.left(WptCommentLen);
    t.Reached = 0;
    // A negative radius in the file would give a sector that no fix can reach.
    Radius = std::max(Radius, 0);
    t.Sect.Rayon_Int = t.Sect.Rayon_Ext = Radius;
    const TSectorRule r = SectorOf(Section, LineType, Radius);
    t.Sect.Type_Sect = r.Type;
    t.Sect.Angle_Int = t.Sect.Angle_Ext = r.Angle;
    t.Sect.Zone_Fermee = r.Closed;
    if (Section == 2 && LineType == 1) t.Sect.Rayon_Int = 0;
    if (r.Ref) {
        auto* ref = new TWpt;
        ref->Name = t.Name;
        ref->Lat = t.Lat;
        ref->Lon = t.Lon;
        ref->Comment = t.Comment;
        t.SetRefWpt(ref, true);
    }
    return Task.AddTrn(t, -1);
}

TTaskLoad LoadTaskFile(const QString& FileName, TCst& Cst, TStn* Task)
{
    if (!QFileInfo(FileName).isFile()) return TTaskLoad::NoFile;
    // An unreadable task file reads as an empty profile: every value takes its default.
    const TIniFile ini(FileName);
    return LoadTaskIni(ini, Cst, Task);
}

TTaskLoad LoadTaskIni(const TIniFile& ini, TCst& Cst, TStn* Task, bool OpenWaypoints)
{
    ReadTaskCst(ini, Cst);

    const QString wptFile = ini.ReadString(SecGen, QStringLiteral("FichWayPoints"), QString()).trimmed();
    if (!wptFile.isEmpty() && OpenWaypoints) {
        if (QFileInfo(wptFile).isFile()) {
            bool cancelled = false;
            OpenSwpFile(wptFile, false, &cancelled);
            if (cancelled) return TTaskLoad::Cancelled;
        } else {
            MessageDlg(QStringLiteral("Fichier way-point non trouvé"), TMsgType::Information, mbOK);
        }
    }
    if (!Task) return TTaskLoad::Loaded;

    QSet<QString> reported;
    auto endPoint = [&](int Section, const QString& Sec) {
        AddTaskTrn(*Task, Swp, Section, ini.ReadInteger(Sec, KeyLine, 0),
                   ini.ReadString(Sec, KeyWpt, QString()), ini.ReadInteger(Sec, KeyRadius, 0), &reported);
    };
    endPoint(0, SecStart);
    for (int n = 1; n <= MaxListCount; ++n) {
        const QString sec = QStringLiteral("Virage%1").arg(n);
        const QString name = ini.ReadString(sec, KeyWpt, QString());
        if (name.isEmpty()) break;
        AddTaskTrn(*Task, Swp, 1, 0, name, ini.ReadInteger(sec, KeyRadius, 0), &reported);
    }
    endPoint(2, SecFinish);
    return TTaskLoad::Loaded;
}
