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
