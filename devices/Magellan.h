#pragma once
// The window through which the user exchanges data with a Magellan receiver: read the track
// log, the waypoints and one route, write waypoints and a route, erase data in the receiver
// and read its identification. The work is done by TMagellanSession; the window owns the
// widgets and the settings.
#include "devices/DeviceForm.h"
#include "devices/MagellanSession.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QSpinBox;

class TMagellanForm : public TDeviceForm
{
    Q_OBJECT
public:
    explicit TMagellanForm(QWidget* parent = nullptr);
    ~TMagellanForm() override;

    QGroupBox* TrjBox;
    QPushButton* DownTrkBtn;
    QCheckBox* TrjTimeBox;
    QSpinBox* TrjTimeEdit;
    QLabel* MnLbl;
    QPushButton* TraceBtn;
    QGroupBox* WptBox;
    QPushButton* DownWptBtn;
    QPushButton* UpWptBtn;
    QCheckBox* SelOnlyBtn;
    QSpinBox* WptLenNmeEdit;
    QLabel* WptLenNmeLbl;
    QPushButton* DownRteBtn;
    QPushButton* UpRteBtn;
    QGroupBox* EraseBox;
    QCheckBox *DelTrkBtn, *DelSelWptBtn, *DelAllWptBtn, *DelOneRteBtn, *DelAllRteBtn, *DelAllBtn;
    QPushButton* EraseBtn;
    QCheckBox* NmeaOneBtn;
    QGroupBox* ComBox;
    QLabel* ComNbLbl;
    QComboBox* ComSpeedEdit;
    QLabel* ComSpeedLbl;
    QCheckBox* FlowCheckBtn;
    QPushButton* GpsIdBtn;
    QPushButton* CloseBtn;

    TMagellanSession& Session() { return *fSession; }
    // The link the session talks through (the window's port unless a test gave another).
    void SetLink(ISerialLink* Link);

    void FormActivate();
    void FormClose();
    void DownTrkBtnClick();
    void DownWptBtnClick();
    void DownRteBtnClick();
    void UpWptBtnClick();
    void UpRteBtnClick();
    void EraseBtnClick();
    void GpsIdBtnClick();
    void TraceBtnClick();

protected:
    void showEvent(QShowEvent* event) override;
    void done(int r) override;

private:
    void SetOptions();
    void MakeSession(ISerialLink& Link);

    TComPortLink fPortLink;
    std::unique_ptr<TMagellanSession> fSession;
};
