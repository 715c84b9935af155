#pragma once
// What the device windows ask of the main window and its views. devices/ does not know the
// application: the main window installs its implementation at start-up; without one (tests of
// the sessions, tools) every call does nothing and the advice stays with the window itself.
#include "model/Define.h"

#include <QRect>
#include <QString>

class IDeviceViews
{
public:
    virtual ~IDeviceViews() = default;
    // The plan view's device-window flag: 0 none, 1 a receiver or logger window, 2 MLR.
    virtual void SetComMode(uint8 Mode) = 0;
    // The current-point markers of both views at the fix (Draw) or none.
    virtual void DrawCursor(bool Draw, const TRec* Rec) = 0;
    // Both views draw the live segment of the current trace.
    virtual void DrawSecTrj() = 0;
    virtual bool IsInCentralZone(const TRec* Rec) const = 0;
    // The plan view centred on the point, zoom unchanged.
    virtual void CentreOn(int32 Lat, int32 Lon) = 0;
    virtual void RefreshPanel() = 0; // the calculations panel
    // The live receiver window's layout: open (NmeaActive), extended or reduced, and where the
    // window goes; closing lays the views out again.
    virtual void SetNmeaActive(bool Active) = 0;
    virtual void NmeaLayout(bool Extended) = 0;
    virtual QRect NmeaFormRect() const = 0;
    virtual void ArrangeViews() = 0;
    virtual void FocusMainWindow() = 0;
    // The shared message window, shown without waiting.
    virtual void ShowAdvice(const QString& Text) = 0;
    virtual void HideAdvice() = 0;
    virtual bool AdviceVisible() const = 0;
};

void SetDeviceViews(IDeviceViews* Views);
IDeviceViews* DeviceViews();
