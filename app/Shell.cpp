// What the application shell decides apart from its windows.
#include "app/Shell.h"

#include "model/Define.h"
#include "platform/IniFile.h"
#include "platform/ProgramDir.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QWidget>
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

TNmeaLayout ComputeNmeaLayout(QRect Available, int NmeaWidth, QMargins MainFrame, QMargins NmeaFrame,
                              QSize MainMin, QSize NmeaMin)
{
    const QRect& A = Available;
    auto across = [](QMargins m) { return m.left() + m.right(); };
    // Frame widths: the strip first, then what is left for the main window.
    const int nmeaMin = std::min(NmeaMin.width() + across(NmeaFrame), A.width());
    const int strip = std::max(std::min(NmeaWidth + across(NmeaFrame), A.width() / 2), nmeaMin);
    const int mainMin = std::min(MainMin.width() + across(MainFrame), A.width());
    const int mainWidth = std::max(A.width() - strip, mainMin);
    TNmeaLayout l;
    l.Main = QRect(A.left(), A.top(), mainWidth, A.height()).marginsRemoved(MainFrame);
    l.Nmea = QRect(A.right() + 1 - strip, A.top(), strip, A.height()).marginsRemoved(NmeaFrame);
    return l;
}

QRect KeepOnScreen(QRect Client, QMargins Frame, QRect Available, QSize Min)
{
    const QRect inner = Available.marginsRemoved(Frame);
    QRect r = Client;
    r.setWidth(std::max(std::min(r.width(), inner.width()), Min.width()));
    r.setHeight(std::max(std::min(r.height(), inner.height()), Min.height()));
    // Right and bottom edges first, so that a window larger than the screen keeps its title
    // bar and its left edge on it.
    if (r.right() > inner.right()) r.moveRight(inner.right());
    if (r.bottom() > inner.bottom()) r.moveBottom(inner.bottom());
    if (r.left() < inner.left()) r.moveLeft(inner.left());
    if (r.top() < inner.top()) r.moveTop(inner.top());
    return r;
}

QMargins FrameMargins(const QWidget* Window, const QWidget* Like)
{
    auto of = [](const QWidget* w) {
        const QRect f = w->frameGeometry(), g = w->geometry();
        return QMargins(g.left() - f.left(), g.top() - f.top(), f.right() - g.right(),
                        f.bottom() - g.bottom());
    };
    if (!Window) return {};
    const QMargins m = of(Window);
    // Not decorated yet (a window being shown): the main window's decoration is the best guess.
    if (m.isNull() && Like && Like != Window && !(Window->windowFlags() & Qt::FramelessWindowHint))
        return of(Like);
    return m;
}

uint8 FitFlag(Qt::KeyboardModifiers Mods)
{
    uint8 f = 0;
    if (Mods & Qt::ShiftModifier) f |= FitShift;
    if (Mods & Qt::ControlModifier) f |= FitCtrl;
    return f;
}
