#pragma once
// The window through which the user exchanges data with an MLR receiver: read the track log,
// the waypoints and one route, identify the receiver, write waypoints, the task as a route and
// the airspace outlines. The work is done by TMlrSession; the window owns the widgets.
#include "devices/DeviceForm.h"
#include "devices/MlrSession.h"

#include <functional>

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QSpinBox;

class TMlrForm : public TSessionForm<TMlrSession>
{
    Q_OBJECT
public:
    explicit TMlrForm(QWidget* parent = nullptr);
    ~TMlrForm() override;

    QGroupBox* TrjBox;
    QRadioButton *TrjMde0, *TrjMde1, *TrjMde2;
    QCheckBox* TrjTimeBox;
    QSpinBox* TrjTimeEdit;
    QLabel* MnLbl;
    QCheckBox* TrjMlrBox;
    QPushButton* DownTrkBtn;
    QGroupBox* DwnWptBox;
    QRadioButton *WptMde0, *WptMde1, *WptMde2;
    QPushButton* DownWptBtn;
    QPushButton* DownRteBtn;
    QPushButton* DownWptRteBtn;
    QGroupBox* UpWptBox;
    QPushButton* UpWptBtn;
    QCheckBox* SelOnlyBtn;
    QPushButton* UpRteBtn;
    QGroupBox* UpSmpBox;
    QPushButton* UpSmpBtn;
    QSpinBox* NbPtCrcEdit;
    QLabel* NbPtCrcLbl;
    QCheckBox* SelScrBtn;
    QPushButton* GpsIdBtn;

    // The visible area of the plan view (the main window installs it); false when none.
    std::function<bool(TMlrView&)> PlanView;

    void FormActivate() override;
    void DownTrkBtnClick();
    void DownWptBtnClick(int Tag);
    void UpWptBtnClick();
    void UpRteBtnClick();
    void UpSmpBtnClick();
    void GpsIdBtnClick();

protected:
    void SetOptions() override;
    void WriteSettings() override;
};
