// Summaries of trace files.
#include "files/TrjFileInfo.h"

#include "files/FileCommon.h"
#include "files/IgcFile.h"
#include "files/ZphFile.h"
#include "model/Calc.h"
#include "platform/Numbers.h"

#include <cmath>

namespace {

const char* const DayFr[7] = {"dimanche", "lundi", "mardi", "mercredi", "jeudi", "vendredi", "samedi"};
const char* const DayEn[7] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
const char* const MonthFr[12] = {"janvier", "février", "mars",      "avril",   "mai",      "juin",
                                 "juillet", "août",    "septembre", "octobre", "novembre", "décembre"};
const char* const MonthEn[12] = {"January", "February", "March",     "April",   "May",      "June",
                                 "July",    "August",   "September", "October", "November", "December"};

} // namespace

QString TrjInfoDate(TDateTime Date, int LongDate)
{
    if (Date == 0) return QString();
    int y, m, d;
    DecodeDate(Date, y, m, d);
    if (LongDate != 1)
        return QStringLiteral("%1/%2/%3")
            .arg(d, 2, 10, QLatin1Char('0'))
            .arg(m, 2, 10, QLatin1Char('0'))
            .arg(((y % 100) + 100) % 100, 2, 10, QLatin1Char('0'));
    // Day 0 (30 December 1899) was a Saturday.
    const int dow = int(FloorMod(int64_t(std::floor(Date)) + 6, 7));
    if (Language == 1)
        return QStringLiteral("%1, %2 %3 %4")
            .arg(QLatin1String(DayEn[dow]))
            .arg(d)
            .arg(QLatin1String(MonthEn[m - 1]))
            .arg(y);
    return QStringLiteral("%1 %2 %3 %4")
        .arg(QLatin1String(DayFr[dow]))
        .arg(d)
        .arg(QString::fromUtf8(MonthFr[m - 1]))
        .arg(y);
}

QString TrjInfoDuration(int32 Duration)
{
    const int64_t minutes = Round64(double(Duration) / TimeUnitsPerHour * 60.0);
    const int64_t a = minutes < 0 ? -minutes : minutes;
    return QStringLiteral("%1%2h%3")
        .arg(minutes < 0 ? QStringLiteral("-") : QString())
        .arg(a / 60)
        .arg(int(a % 60), 2, 10, QLatin1Char('0'));
}

QString TrjInfoDistance(double Km)
{
    double factor = 1.0;
    QString label;
    DistUnit(factor, label);
    return FloatToStrC(Km / (factor > 0 ? factor : 1.0), 1);
}

bool ReadTrjFileInfo(const QString& FileName, int LongDate, TTrjFileInfo& Info)
{
    Info = TTrjFileInfo();
    const QString ext = UpperExt(FileName);
    if (ext == QLatin1String("ZPH")) {
        TZphSummary S;
        if (!ReadZphSummary(FileName, S) || !S.HasTrace) return false;
        Info.Pilot = S.Texts[2];
        Info.GliderType = S.Texts[3];
        Info.GliderId = S.Texts[4];
        Info.CompId = S.Texts[5];
        Info.Source = S.Texts[6];
        Info.Note = S.Texts[1];
        Info.Date = TrjInfoDate(S.Date, LongDate);
        if (S.HasTask)
            Info.Distance = TrjInfoDistance(S.TaskDistKm);
        else if (S.FixCount > 1)
            Info.Distance = TrjInfoDistance(S.PathKm);
        if (S.FixCount > 0) Info.Duration = TrjInfoDuration(S.Duration);
        return true;
    }
    if (ext == QLatin1String("IGC") || ext == QLatin1String("GPS")) {
        TIgcSummary S;
        if (!ReadIgcSummary(FileName, S)) return false;
        Info.Pilot = S.Pilot;
        Info.GliderType = S.GliderType;
        Info.GliderId = S.GliderId;
        Info.CompId = S.CompId;
        Info.Source = S.Source;
        Info.Date = TrjInfoDate(S.Date, LongDate);
        if (S.HasTask)
            Info.Distance = TrjInfoDistance(S.TaskDistKm);
        else if (S.Fixes > 1)
            Info.Distance = TrjInfoDistance(S.PathKm);
        if (S.HasFix) Info.Duration = TrjInfoDuration(S.Duration);
        return true;
    }
    return false;
}
