#include "devices/Garmin.h"

#include "model/ModelUi.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QSpinBox>

TGarminForm::TGarminForm(QWidget* parent) : TSessionForm(parent, "GarminForm", 96)
{
    TrjBox = Named(new QGroupBox(this), "TrjBox");
    DownTrkBtn = Named(new QPushButton(TrjBox), "DownTrkBtn");
    TrjTimeBox = Named(new QCheckBox(TrjBox), "TrjTimeBox");
    TrjTimeBox->setChecked(true);
    TrjTimeEdit = Named(new QSpinBox(TrjBox), "TrjTimeEdit");
    TrjTimeEdit->setRange(0, 1000);
    TrjTimeEdit->setSingleStep(5);
    TrjTimeEdit->setValue(30);
    MnLbl = Named(new QLabel(QStringLiteral("mn"), TrjBox), "MnLbl");
    TrjGrmBox = Named(new QCheckBox(TrjBox), "TrjGrmBox");
    auto* tl = new QGridLayout(TrjBox);
    tl->addWidget(DownTrkBtn, 0, 0, 1, 3);
    tl->addWidget(TrjTimeBox, 1, 0);
    tl->addWidget(TrjTimeEdit, 1, 1);
    tl->addWidget(MnLbl, 1, 2);
    tl->addWidget(TrjGrmBox, 2, 0, 1, 3);

    UpTrkBtn = Named(new QPushButton(this), "UpTrkBtn");
    UpWptBox = Named(new QGroupBox(this), "UpWptBox");
    UpWptBtn = Named(new QPushButton(UpWptBox), "UpWptBtn");
    SelOnlyBtn = Named(new QCheckBox(UpWptBox), "SelOnlyBtn");
    auto* wl = new QVBoxLayout(UpWptBox);
    wl->addWidget(UpWptBtn);
    wl->addWidget(SelOnlyBtn);
    DownWptBtn = Named(new QPushButton(this), "DownWptBtn");
    DownRteBtn = Named(new QPushButton(this), "DownRteBtn");
    UpRteBtn = Named(new QPushButton(this), "UpRteBtn");
    OffBtn = Named(new QPushButton(this), "OffBtn");
    OffBtn->installEventFilter(this);
    TraceBtn = Named(new QPushButton(this), "TraceBtn");

    auto* grid = new QGridLayout;
    grid->addWidget(TrjBox, 0, 0, 3, 1);
    grid->addWidget(UpTrkBtn, 0, 1);
    grid->addWidget(DownWptBtn, 1, 1);
    grid->addWidget(UpWptBox, 2, 1);
    grid->addWidget(DownRteBtn, 3, 0);
    grid->addWidget(UpRteBtn, 3, 1);
    grid->addWidget(ComBox, 4, 0);
    grid->addWidget(OffBtn, 4, 1);
    grid->addWidget(TraceBtn, 5, 0);
    grid->addWidget(CloseBtn, 5, 1);
    resize(352, 263);
    LayOut(grid, true);

    connect(DownTrkBtn, &QPushButton::clicked, this, &TGarminForm::DownTrkBtnClick);
    connect(UpTrkBtn, &QPushButton::clicked, this, &TGarminForm::UpTrkBtnClick);
    connect(DownWptBtn, &QPushButton::clicked, this, &TGarminForm::DownWptBtnClick);
    connect(UpWptBtn, &QPushButton::clicked, this, &TGarminForm::UpWptBtnClick);
    connect(DownRteBtn, &QPushButton::clicked, this, &TGarminForm::DownRteBtnClick);
    connect(UpRteBtn, &QPushButton::clicked, this, &TGarminForm::UpRteBtnClick);
    connect(OffBtn, &QPushButton::clicked, this, &TGarminForm::OffBtnClick);
    connect(TraceBtn, &QPushButton::clicked, this, &TGarminForm::TraceBtnClick);

    SetLink(nullptr);
}

TGarminForm::~TGarminForm() = default;

void TGarminForm::SetOptions()
{
    TGarminSession::TOptions& o = fSession->Options;
    o.TrjTimeBox = TrjTimeBox->isChecked();
    o.TrjTimeEdit = TrjTimeEdit->value();
    o.TrjGrmBox = TrjGrmBox->isChecked();
    o.SelOnlyBtn = SelOnlyBtn->isChecked();
}

void TGarminForm::FormActivate()
{
    if (!BeginActivate()) return;
    UpTrkBtn->setEnabled(Trj != nullptr);
    UpWptBtn->setEnabled(Swp && Swp->Count > 0);
    UpRteBtn->setEnabled(Stn && Stn->Count > 0);
    DownTrkBtn->setFocus();
    ResetInterface();
    fSession->Activate();
    StartTrace();
}

bool TGarminForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == OffBtn && event->type() == QEvent::MouseButtonPress)
        OffShift = static_cast<QMouseEvent*>(event)->modifiers();
    return TDeviceForm::eventFilter(watched, event);
}

void TGarminForm::DownTrkBtnClick()
{
    Run(&TGarminSession::DownTrk);
}

void TGarminForm::UpTrkBtnClick()
{
    Run(&TGarminSession::UpTrk);
}

void TGarminForm::DownWptBtnClick()
{
    Run(&TGarminSession::DownWpt);
}

void TGarminForm::UpWptBtnClick()
{
    Run(&TGarminSession::UpWpt);
}

void TGarminForm::DownRteBtnClick()
{
    Run(&TGarminSession::DownRte);
}

void TGarminForm::UpRteBtnClick()
{
    Run(&TGarminSession::UpRte);
}

void TGarminForm::OffBtnClick()
{
    const Qt::KeyboardModifiers m = OffShift;
    OffShift = Qt::NoModifier;
    SetOptions();
    fSession->Off(PortName(), m.testFlag(Qt::ControlModifier), m.testFlag(Qt::ShiftModifier));
}

void TGarminForm::TraceBtnClick()
{
    fSession->TraceBtnClick();
}
