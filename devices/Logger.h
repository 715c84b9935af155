#pragma once
// The serial logger window: download the flights, set the recording interval, clear the
// memory. Created, texted, shown modally and freed by the main window for each use; the work
// is the session's (devices/LoggerSession.h), one step per tick of TimerCom.
#include "devices/DeviceForm.h"
#include "devices/LoggerSession.h"

class QGroupBox;
class QPushButton;

class TLoggForm : public TDeviceForm
{
    Q_OBJECT
public:
    explicit TLoggForm(QWidget* Parent = nullptr);
    ~TLoggForm() override;

    TComPortLink ComPort;
    TLoggerSession Session;
    TLoggTexts& MsgTexts;

    QGroupBox* ParamBox;
    QComboBox* Ecart;
    QLabel* EchEcarts;
    QPushButton* EffaceBtn;
    QPushButton* EcartBtn;
    QPushButton* LectBtn;
    QPushButton* CloseBtn;
    QPushButton* TraceBtn;
    QGroupBox* ComBox;
    QLabel* ComNbLbl;

    void FormActivate();
    void LectBtnClick();
    void EcartBtnClick();
    void EffaceBtnClick();
    void TraceBtnClick();
    void EcartExit();

    void done(int Result) override;

protected:
    void showEvent(QShowEvent* Event) override;

private:
    void FormClose();
    bool fClosed = false;
};

extern TLoggForm* LoggForm;
