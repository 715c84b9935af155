// The device windows seen from the main window: their commands, and what they reach of the
// views through IDeviceViews.
#include "app/Cutt.h"
#include "app/Langage.h"
#include "app/Main.h"
#include "app/Plan.h"
#include "app/Shell.h"
#include "app/Text.h"
#include "devices/DeviceViews.h"
#include "devices/Logger.h"
#include "devices/Nmea.h"
#include "dialogs/Info.h"

#include <QScreen>

namespace {

class TMainDeviceViews : public IDeviceViews
{
public:
    void SetComMode(uint8 Mode) override
    {
        if (PlanForm) PlanForm->ComMode = Mode;
    }
    void DrawCursor(bool Draw, const TRec* Rec) override
    {
        if (CuttForm) CuttForm->DrawCursor(Draw, Rec);
        if (PlanForm) PlanForm->DrawCursor(Draw, Rec);
    }
    void DrawSecTrj() override
    {
        if (CuttForm) CuttForm->DrawSecTrj();
        if (PlanForm) PlanForm->DrawSecTrj();
    }
    bool IsInCentralZone(const TRec* Rec) const override
    {
        return !PlanForm || PlanForm->IsInCentralZone(Rec);
    }
    void CentreOn(int32 Lat, int32 Lon) override
    {
        if (PlanForm) PlanForm->ZoomAround(Lat, Lon, true, 1.0);
    }
    void RefreshPanel() override
    {
        if (TextForm) TextForm->RefreshView();
    }
    void SetNmeaActive(bool Active) override { NmeaActive = Active; }
    void NmeaLayout(bool Extended) override
    {
        if (!MainForm) return;
        if (Extended)
            MainForm->NmeaFormExtExecute();
        else
            MainForm->NmeaFormRedExecute();
    }
    QRect NmeaFormRect() const override { return MainForm ? MainForm->NmeaFormRect() : QRect(); }
    void ArrangeViews() override
    {
        if (MainForm) MainForm->ArrangeViews();
    }
    void FocusMainWindow() override
    {
        if (MainForm) MainForm->activateWindow();
    }
    void ShowAdvice(const QString& Text) override
    {
        if (InfoForm) InfoForm->ShowText(Text);
    }
    void HideAdvice() override
    {
        if (InfoForm) InfoForm->hide();
    }
    bool AdviceVisible() const override { return InfoForm && InfoForm->isVisible(); }
};

} // namespace

IDeviceViews* MainDeviceViews()
{
    static TMainDeviceViews views;
    return &views;
}

void CloseDeviceWindows()
{
    if (NmeaForm) {
        NmeaForm->close();
        delete NmeaForm; // still there when its deletion was only scheduled
    }
}

void TMainForm::LoggerExecute()
{
    auto* f = new TLoggForm(this);
    LangLoggForm(*f);
    f->exec();
    delete f;
    RefreshViews();
}

void TMainForm::NmeaExecute()
{
    if (NmeaForm) {
        NmeaForm->show();
        NmeaForm->raise();
        NmeaForm->activateWindow();
        return;
    }
    auto* f = new TNmeaForm(this);
    f->setAttribute(Qt::WA_DeleteOnClose);
    LangNmeaForm(*f);
    f->show();
}

void TMainForm::NmeaFormRedExecute()
{
    if (fNmeaLayout) {
        fNmeaLayout = false;
        if (fNormalGeometry.isValid()) RestoreNormalGeometry();
    }
    ArrangeViews();
}

void TMainForm::RestoreNormalGeometry()
{
    // The place the main window had before the receiver window came, on the screen it is on now.
    QRect r = fNormalGeometry;
    if (QScreen* scr = screen())
        r = KeepOnScreen(r, FrameMargins(this), scr->availableGeometry(),
                         minimumSizeHint().expandedTo(minimumSize()));
    setGeometry(r);
}
