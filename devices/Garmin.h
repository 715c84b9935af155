#pragma once
// The window through which the user exchanges data with a Garmin receiver: read the track log,
// write the current trace as a track, read and write waypoints, read and write the route (the
// task), switch the receiver off. The work is done by TGarminSession; the window owns the
// widgets and the port.
#include "devices/DeviceForm.h"
#include "devices/GarminSession.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QSpinBox;

class TGarminForm : public TSessionForm<TGarminSession>
{
    Q_OBJECT
public:
    explicit TGarminForm(QWidget* parent = nullptr);
    ~TGarminForm() override;

    QGroupBox* TrjBox;
    QPushButton* DownTrkBtn;
    QCheckBox* TrjTimeBox;
    QSpinBox* TrjTimeEdit;
    QLabel* MnLbl;
    QCheckBox* TrjGrmBox;
    QPushButton* UpTrkBtn;
    QGroupBox* UpWptBox;
    QPushButton* UpWptBtn;
    QCheckBox* SelOnlyBtn;
    QPushButton* DownWptBtn;
    QPushButton* DownRteBtn;
    QPushButton* UpRteBtn;
    QPushButton* OffBtn;
    QPushButton* TraceBtn;

    void FormActivate() override;
    void DownTrkBtnClick();
    void UpTrkBtnClick();
    void DownWptBtnClick();
    void UpWptBtnClick();
    void DownRteBtnClick();
    void UpRteBtnClick();
    void OffBtnClick();
    void TraceBtnClick();

    // Ctrl and Shift as they were when the mouse went down on OffBtn.
    Qt::KeyboardModifiers OffShift;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void SetOptions() override;
};
