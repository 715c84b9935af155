#pragma once
// The common part of the device windows: the timer that drives the session, the port list,
// the status panel, the progress bar, and the "Interface" settings ("Num_Com", "Log").
// Each device window derives from it, places these widgets in its layout and adds its buttons.
#include "devices/DeviceSession.h"

#include <QDialog>
#include <functional>

class QComboBox;
class QLabel;
class QMessageBox;
class QProgressBar;
class QTimer;

class TDeviceForm : public QDialog,
                    public IDeviceStatus,
                    public IDeviceProgress,
                    public IDevicePrompts,
                    public IDeviceTimer
{
    Q_OBJECT
public:
    explicit TDeviceForm(QWidget* parent = nullptr);
    ~TDeviceForm() override;

    QTimer* TimerCom;      // drives the session; off until a command starts
    QComboBox* ComNbEdit;  // "COM1".."COM96"
    QLabel* Info;          // status panel
    QProgressBar* PgrsBar; // progress of a transfer (1..100), for the windows that show it

    // The interfaces the session talks to.
    TDeviceUi DeviceUi();
    // Ticks go to this session (not owned; nullptr detaches).
    void SetSession(TDeviceSession* Session) { fSession = Session; }
    // As SetSession; besides, an ended command focuses EndFocus and result texts are centred
    // in the status panel.
    void HookSession(TDeviceSession& Session, QWidget* EndFocus);

    // Section "Interface": the port list's item from "Num_Com" (default 1) and LogOn from
    // "Log" (default false); and "Num_Com" written back from the list (a failed write is
    // reported).
    void ReadInterfaceSettings();
    bool WriteNumCom();
    bool LogOn = false;
    QString PortName() const;

    // IDeviceStatus
    void SetInfo(const QString& Text) override;
    QString InfoText() const override;
    // IDeviceProgress
    void SetProgress(int Position) override;
    // IDevicePrompts
    int Ask(const QString& Text, TMsgType Type, int Buttons) override;
    bool Input(const QString& Caption, const QString& Prompt, QString& Value) override;
    bool InputNumber(const QString& Caption, const QString& Prompt, int& Value) override;
    // The input window with its number box (the main window installs it); without it, or with
    // headless boxes, the number is asked as text.
    static std::function<bool(const QString& Caption, const QString& Prompt, int& Value)> NumberInput;
    void ShowAdvice(const QString& Text) override;
    void HideAdvice() override;
    bool AdviceVisible() const override;
    // IDeviceTimer
    void SetTimerEnabled(bool On) override;
    bool TimerEnabled() const override;
    void SetTimerInterval(int Ms) override;
    int TimerInterval() const override;

protected:
    void closeEvent(QCloseEvent* event) override;

    // What the transfer windows' FormActivate and FormClose share. BeginActivate is false while
    // a command runs (the window then stays as it is); else the window is restored and open.
    bool BeginActivate();
    // The status cleared, "Interface" read; after the session's own activation, StartTrace
    // opens the link trace when "Log" asks for it.
    void ResetInterface();
    void StartTrace();
    // False when the window was already closed; else the timer is off.
    bool BeginClose();
    // After the session closed: its trace closed and the owner window brought forward.
    void EndClose();
    // The derived window's destructor calls it while its session still lives.
    void DetachSession();

private:
    void TimerComTimer();

    TDeviceSession* fSession = nullptr;
    QMessageBox* fAdvice = nullptr;
    bool fFormClosed = false;
};
