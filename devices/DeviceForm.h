#pragma once
// The common part of the device windows: the timer that drives the session, the port list,
// the status panel, the progress bar, and the "Interface" settings ("Num_Com", "Log").
// Each device window derives from it, places these widgets in its layout and adds its buttons.
#include "devices/DeviceSession.h"

#include <QDialog>
#include <QPushButton>
#include <functional>
#include <memory>

class QComboBox;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLayout;
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

// What the transfer windows (Garmin, MLR, Magellan) share: the port group and the close button,
// the session made on the window's own port (or on a link a test gives), activation when shown
// and closing when done, and the command buttons that hand the boxes' settings to the session
// before it starts on the chosen port.
class TTransferForm : public TDeviceForm
{
    Q_OBJECT
public:
    // Ports: how many entries of the port list the window offers.
    TTransferForm(QWidget* parent, const char* Name, int Ports);
    ~TTransferForm() override;

    QGroupBox* ComBox; // the port list and its label, on the first row of ComGrid
    QLabel* ComNbLbl;
    QPushButton* CloseBtn;

    // The link the session talks through (the window's port unless a test gave another).
    void SetLink(ISerialLink* Link);
    virtual void FormActivate() = 0;
    // Timer off, advice hidden, "Num_Com" and the window's own keys written, the session
    // closed, the owner window brought forward.
    void FormClose();

protected:
    void showEvent(QShowEvent* event) override;
    void done(int r) override;

    template <class W> static W* Named(W* w, const char* Name)
    {
        w->setObjectName(QString::fromLatin1(Name));
        return w;
    }
    // The window's controls above the status panel (and the progress bar when shown).
    void LayOut(QLayout* Controls, bool Progress);

    // A new session on Link (SetLink); the derived window's constructor calls SetLink(nullptr).
    virtual void MakeSession(ISerialLink& Link) = 0;
    virtual void CloseSession() = 0;
    // The window's boxes into the session's options.
    virtual void SetOptions() {}
    // The window's own keys of "Interface", once "Num_Com" was written.
    virtual void WriteSettings() {}

    QGridLayout* ComGrid;

private:
    TComPortLink fPortLink;
};

// A transfer window with its session S.
template <class S> class TSessionForm : public TTransferForm
{
public:
    using TTransferForm::TTransferForm;
    ~TSessionForm() override { DetachSession(); }

    S& Session() { return *fSession; }

protected:
    void MakeSession(ISerialLink& Link) override
    {
        fSession = std::make_unique<S>(Link, DeviceUi());
        HookSession(*fSession, CloseBtn);
    }
    void CloseSession() override { fSession->Close(); }
    // The settings handed over, then the command on the chosen port.
    void Run(void (S::*Command)(const QString& Port))
    {
        SetOptions();
        (fSession.get()->*Command)(PortName());
    }

    std::unique_ptr<S> fSession;
};
