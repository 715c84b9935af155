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

class TMagellanForm : public TSessionForm<TMagellanSession>
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
    QComboBox* ComSpeedEdit;
    QLabel* ComSpeedLbl;
    QCheckBox* FlowCheckBtn;
    QPushButton* GpsIdBtn;

    void FormActivate() override;
    void DownTrkBtnClick();
    void DownWptBtnClick();
    void DownRteBtnClick();
    void UpWptBtnClick();
    void UpRteBtnClick();
    void EraseBtnClick();
    void GpsIdBtnClick();
    void TraceBtnClick();

protected:
    void SetOptions() override;
    void WriteSettings() override;
};
