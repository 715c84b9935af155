#pragma once
// The live NMEA receiver window: beside the views (not modal) while it is open, it reads the
// receiver, shows the last fix and records the flight; the work is the session's
// (devices/NmeaSession.h), one step per tick of TimerCom.
#include "devices/DeviceForm.h"
#include "devices/NmeaSession.h"

class QCheckBox;
class QGroupBox;
class QPushButton;

class TNmeaForm : public TDeviceForm
{
    Q_OBJECT
public:
    explicit TNmeaForm(QWidget* Parent = nullptr);
    ~TNmeaForm() override;

    TComPortLink ComPort;
    TNmeaSession Session;
    TNmeaTexts& MsgTexts;

    QLabel* InfoL1;
    QLabel* InfoL2;
    QLabel* InfoL3;
    QPushButton* CloseBtn;
    QPushButton* MoreBtn;
    QLabel* EcartLbl1;
    QComboBox* Ecart;
    QLabel* EcartLbl2;
    QPushButton* LectBtn;
    QCheckBox* MoveSelBtn;
    QCheckBox* AutoCtgBtn;
    QCheckBox* ChecksumBtn;
    QGroupBox* ComBox;
    QLabel* ComNbLbl;
    QLabel* ComSpeedLbl;
    QComboBox* ComSpeedEdit;

    void FormActivate();
    void LectBtnClick();
    void MoreBtnClick();
    void EcartExit();
    TBaudRate Speed() const;

    // The shared message window when the main window provides one.
    void ShowAdvice(const QString& Text) override;
    void HideAdvice() override;
    bool AdviceVisible() const override;

    void done(int Result) override;

protected:
    void showEvent(QShowEvent* Event) override;
    void closeEvent(QCloseEvent* Event) override;
    void changeEvent(QEvent* Event) override;

private:
    void FormClose();
    void ShowInfo();
    void FitInfo();
    bool fClosed = false;
    bool fExtended = true;
};

extern TNmeaForm* NmeaForm;
