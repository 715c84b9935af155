#include "devices/Mlr.h"

#include "platform/IniFile.h"
#include "platform/ProgramDir.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

namespace {
const QString kSection = QStringLiteral("Interface");

int Checked(QRadioButton* b, QRadioButton* c)
{
    return b->isChecked() ? 1 : c->isChecked() ? 2 : 0; // none checked is written 0
}

void Check(int Mode, QRadioButton* a, QRadioButton* b, QRadioButton* c)
{
    a->setChecked(Mode == 0);
    b->setChecked(Mode == 1);
    c->setChecked(Mode == 2);
}
} // namespace

TMlrForm::TMlrForm(QWidget* parent) : TSessionForm(parent, "MlrForm", 8)
{
    TrjBox = Named(new QGroupBox(this), "TrjBox");
    TrjMde0 = Named(new QRadioButton(TrjBox), "TrjMde0");
    TrjMde1 = Named(new QRadioButton(TrjBox), "TrjMde1");
    TrjMde2 = Named(new QRadioButton(TrjBox), "TrjMde2");
    TrjTimeBox = Named(new QCheckBox(TrjBox), "TrjTimeBox");
    TrjTimeEdit = Named(new QSpinBox(TrjBox), "TrjTimeEdit");
    TrjTimeEdit->setRange(0, 1000);
    TrjTimeEdit->setSingleStep(5);
    TrjTimeEdit->setValue(30);
    MnLbl = Named(new QLabel(QStringLiteral("mn"), TrjBox), "MnLbl");
    TrjMlrBox = Named(new QCheckBox(TrjBox), "TrjMlrBox");
    DownTrkBtn = Named(new QPushButton(TrjBox), "DownTrkBtn");
    auto* tl = new QGridLayout(TrjBox);
    tl->addWidget(TrjMde0, 0, 0, 1, 3);
    tl->addWidget(TrjMde1, 1, 0, 1, 3);
    tl->addWidget(TrjMde2, 2, 0, 1, 3);
    tl->addWidget(TrjTimeBox, 3, 0);
    tl->addWidget(TrjTimeEdit, 3, 1);
    tl->addWidget(MnLbl, 3, 2);
    tl->addWidget(TrjMlrBox, 4, 0, 1, 3);
    tl->addWidget(DownTrkBtn, 5, 0, 1, 3);

    DwnWptBox = Named(new QGroupBox(this), "DwnWptBox");
    WptMde0 = Named(new QRadioButton(DwnWptBox), "WptMde0");
    WptMde1 = Named(new QRadioButton(DwnWptBox), "WptMde1");
    WptMde2 = Named(new QRadioButton(DwnWptBox), "WptMde2");
    DownWptBtn = Named(new QPushButton(DwnWptBox), "DownWptBtn");
    DownRteBtn = Named(new QPushButton(DwnWptBox), "DownRteBtn");
    DownWptRteBtn = Named(new QPushButton(DwnWptBox), "DownWptRteBtn");
    auto* dl = new QGridLayout(DwnWptBox);
    dl->addWidget(WptMde0, 0, 0, 1, 3);
    dl->addWidget(WptMde1, 1, 0, 1, 3);
    dl->addWidget(WptMde2, 2, 0, 1, 3);
    dl->addWidget(DownWptBtn, 3, 0);
    dl->addWidget(DownRteBtn, 3, 1);
    dl->addWidget(DownWptRteBtn, 3, 2);

    UpWptBox = Named(new QGroupBox(this), "UpWptBox");
    UpWptBtn = Named(new QPushButton(UpWptBox), "UpWptBtn");
    SelOnlyBtn = Named(new QCheckBox(UpWptBox), "SelOnlyBtn");
    UpRteBtn = Named(new QPushButton(UpWptBox), "UpRteBtn");
    auto* wl = new QGridLayout(UpWptBox);
    wl->addWidget(UpWptBtn, 0, 0);
    wl->addWidget(SelOnlyBtn, 0, 1);
    wl->addWidget(UpRteBtn, 1, 0);

    UpSmpBox = Named(new QGroupBox(this), "UpSmpBox");
    UpSmpBtn = Named(new QPushButton(UpSmpBox), "UpSmpBtn");
    NbPtCrcEdit = Named(new QSpinBox(UpSmpBox), "NbPtCrcEdit");
    NbPtCrcEdit->setRange(8, 25);
    NbPtCrcEdit->setValue(12);
    NbPtCrcLbl = Named(new QLabel(UpSmpBox), "NbPtCrcLbl");
    SelScrBtn = Named(new QCheckBox(UpSmpBox), "SelScrBtn");
    auto* sl = new QGridLayout(UpSmpBox);
    sl->addWidget(NbPtCrcLbl, 0, 0);
    sl->addWidget(NbPtCrcEdit, 0, 1);
    sl->addWidget(SelScrBtn, 1, 0);
    sl->addWidget(UpSmpBtn, 1, 1);

    GpsIdBtn = Named(new QPushButton(this), "GpsIdBtn");

    auto* grid = new QGridLayout;
    grid->addWidget(TrjBox, 0, 0);
    grid->addWidget(DwnWptBox, 0, 1);
    grid->addWidget(UpWptBox, 1, 0);
    grid->addWidget(UpSmpBox, 1, 1);
    grid->addWidget(ComBox, 2, 0);
    auto* bl = new QHBoxLayout;
    bl->addWidget(GpsIdBtn);
    bl->addWidget(CloseBtn);
    grid->addLayout(bl, 2, 1);
    LayOut(grid, false);

    connect(TrjTimeBox, &QCheckBox::clicked, this,
            [this] { TrjMlrBox->setChecked(!TrjTimeBox->isChecked()); });
    connect(TrjMlrBox, &QCheckBox::clicked, this,
            [this] { TrjTimeBox->setChecked(!TrjMlrBox->isChecked()); });
    connect(DownTrkBtn, &QPushButton::clicked, this, &TMlrForm::DownTrkBtnClick);
    connect(DownWptBtn, &QPushButton::clicked, this, [this] { DownWptBtnClick(0); });
    connect(DownRteBtn, &QPushButton::clicked, this, [this] { DownWptBtnClick(1); });
    connect(DownWptRteBtn, &QPushButton::clicked, this, [this] { DownWptBtnClick(2); });
    connect(UpWptBtn, &QPushButton::clicked, this, &TMlrForm::UpWptBtnClick);
    connect(UpRteBtn, &QPushButton::clicked, this, &TMlrForm::UpRteBtnClick);
    connect(UpSmpBtn, &QPushButton::clicked, this, &TMlrForm::UpSmpBtnClick);
    connect(GpsIdBtn, &QPushButton::clicked, this, &TMlrForm::GpsIdBtnClick);

    SetLink(nullptr);
}

TMlrForm::~TMlrForm() = default;

void TMlrForm::SetOptions()
{
    TMlrSession::TOptions& o = fSession->Options;
    o.TrjMde = Checked(TrjMde1, TrjMde2);
    o.WptMde = Checked(WptMde1, WptMde2);
    o.TrjTimeBox = TrjTimeBox->isChecked();
    o.TrjTimeEdit = TrjTimeEdit->value();
    o.TrjMlrBox = TrjMlrBox->isChecked();
    o.SelOnlyBtn = SelOnlyBtn->isChecked();
}

void TMlrForm::FormActivate()
{
    if (!BeginActivate()) return;
    const bool wpts = Swp && Swp->Count > 0;
    UpWptBtn->setEnabled(wpts);
    // A route is read into the task, whose turn points take their places from the waypoints.
    DownRteBtn->setEnabled(wpts && Stn);
    DownWptRteBtn->setEnabled(Stn != nullptr);
    UpRteBtn->setEnabled(Stn && Stn->Count > 0);
    UpSmpBtn->setEnabled(Smp && Smp->Count > 0);
    DownTrkBtn->setFocus();
    ResetInterface();
    TIniFile ini(IniFileName());
    Check(ini.ReadInteger(kSection, QStringLiteral("Mode_Trj_Mlr"), 1), TrjMde0, TrjMde1, TrjMde2);
    Check(ini.ReadInteger(kSection, QStringLiteral("Mode_Wpt_Mlr"), 1), WptMde0, WptMde1, WptMde2);
    TrjTimeBox->setChecked(true);
    TrjMlrBox->setChecked(false);
    fSession->Activate(); // "Log" is read with the port but has no effect here
}

void TMlrForm::WriteSettings()
{
    TIniFile ini(IniFileName());
    ini.WriteInteger(kSection, QStringLiteral("Mode_Trj_Mlr"), Checked(TrjMde1, TrjMde2));
    ini.WriteInteger(kSection, QStringLiteral("Mode_Wpt_Mlr"), Checked(WptMde1, WptMde2));
}

void TMlrForm::DownTrkBtnClick()
{
    Run(&TMlrSession::DownTrk);
}

void TMlrForm::DownWptBtnClick(int Tag)
{
    SetOptions();
    fSession->DownWpt(Tag, PortName());
}

void TMlrForm::UpWptBtnClick()
{
    Run(&TMlrSession::UpWpt);
}

void TMlrForm::UpRteBtnClick()
{
    Run(&TMlrSession::UpRte);
}

void TMlrForm::UpSmpBtnClick()
{
    if (!Smp) return;
    SetOptions();
    TMlrView view;
    const bool filter = SelScrBtn->isChecked() && PlanView && PlanView(view);
    fSession->UpSmp(MlrZonePoints(*Smp, NbPtCrcEdit->value(), filter ? &view : nullptr), PortName());
}

void TMlrForm::GpsIdBtnClick()
{
    Run(&TMlrSession::GpsId);
}
