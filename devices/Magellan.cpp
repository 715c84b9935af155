#include "devices/Magellan.h"

#include "platform/IniFile.h"
#include "platform/ProgramDir.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

namespace {
const QString kSection = QStringLiteral("Interface");
} // namespace

TMagellanForm::TMagellanForm(QWidget* parent) : TSessionForm(parent, "MagellanForm", 8)
{
    TrjBox = Named(new QGroupBox(this), "TrjBox");
    DownTrkBtn = Named(new QPushButton(TrjBox), "DownTrkBtn");
    TrjTimeBox = Named(new QCheckBox(TrjBox), "TrjTimeBox");
    TrjTimeBox->setChecked(true);
    TrjTimeEdit = Named(new QSpinBox(TrjBox), "TrjTimeEdit");
    TrjTimeEdit->setRange(0, 1000);
    TrjTimeEdit->setValue(30);
    MnLbl = Named(new QLabel(QStringLiteral("mn"), TrjBox), "MnLbl");
    TraceBtn = Named(new QPushButton(TrjBox), "TraceBtn");
    auto* tl = new QGridLayout(TrjBox);
    tl->addWidget(DownTrkBtn, 0, 0);
    tl->addWidget(TraceBtn, 0, 1, 1, 2);
    tl->addWidget(TrjTimeBox, 1, 0);
    tl->addWidget(TrjTimeEdit, 1, 1);
    tl->addWidget(MnLbl, 1, 2);

    WptBox = Named(new QGroupBox(this), "WptBox");
    DownWptBtn = Named(new QPushButton(WptBox), "DownWptBtn");
    UpWptBtn = Named(new QPushButton(WptBox), "UpWptBtn");
    SelOnlyBtn = Named(new QCheckBox(WptBox), "SelOnlyBtn");
    WptLenNmeEdit = Named(new QSpinBox(WptBox), "WptLenNmeEdit");
    WptLenNmeEdit->setRange(4, 16);
    WptLenNmeEdit->setValue(6);
    WptLenNmeLbl = Named(new QLabel(WptBox), "WptLenNmeLbl");
    WptLenNmeLbl->setBuddy(WptLenNmeEdit);
    DownRteBtn = Named(new QPushButton(this), "DownRteBtn");
    UpRteBtn = Named(new QPushButton(this), "UpRteBtn");
    auto* wl = new QGridLayout(WptBox);
    wl->addWidget(DownWptBtn, 0, 0);
    wl->addWidget(UpWptBtn, 0, 1);
    wl->addWidget(SelOnlyBtn, 1, 0, 1, 2);
    wl->addWidget(WptLenNmeLbl, 2, 0);
    wl->addWidget(WptLenNmeEdit, 2, 1);

    EraseBox = Named(new QGroupBox(this), "EraseBox");
    DelTrkBtn = Named(new QCheckBox(EraseBox), "DelTrkBtn");
    DelSelWptBtn = Named(new QCheckBox(EraseBox), "DelSelWptBtn");
    DelAllWptBtn = Named(new QCheckBox(EraseBox), "DelAllWptBtn");
    DelOneRteBtn = Named(new QCheckBox(EraseBox), "DelOneRteBtn");
    DelAllRteBtn = Named(new QCheckBox(EraseBox), "DelAllRteBtn");
    DelAllBtn = Named(new QCheckBox(EraseBox), "DelAllBtn");
    EraseBtn = Named(new QPushButton(EraseBox), "EraseBtn");
    auto* el = new QGridLayout(EraseBox);
    el->addWidget(DelTrkBtn, 0, 0);
    el->addWidget(DelSelWptBtn, 1, 0);
    el->addWidget(DelAllWptBtn, 2, 0);
    el->addWidget(DelOneRteBtn, 0, 1);
    el->addWidget(DelAllRteBtn, 1, 1);
    el->addWidget(DelAllBtn, 2, 1);
    el->addWidget(EraseBtn, 3, 0, 1, 2);

    NmeaOneBtn = Named(new QCheckBox(this), "NmeaOneBtn");

    ComSpeedLbl = Named(new QLabel(ComBox), "ComSpeedLbl");
    ComSpeedEdit = Named(new QComboBox(ComBox), "ComSpeedEdit");
    for (int i = 0; i < 6; ++i) ComSpeedEdit->addItem(QString::number(TMagellanSession::Speed(i)));
    ComSpeedLbl->setBuddy(ComSpeedEdit);
    FlowCheckBtn = Named(new QCheckBox(ComBox), "FlowCheckBtn");
    ComGrid->addWidget(ComSpeedLbl, 1, 0);
    ComGrid->addWidget(ComSpeedEdit, 1, 1);
    ComGrid->addWidget(FlowCheckBtn, 2, 0, 1, 2);

    GpsIdBtn = Named(new QPushButton(this), "GpsIdBtn");

    auto* grid = new QGridLayout;
    grid->addWidget(TrjBox, 0, 0);
    grid->addWidget(WptBox, 0, 1);
    auto* rl = new QHBoxLayout;
    rl->addWidget(DownRteBtn);
    rl->addWidget(UpRteBtn);
    grid->addLayout(rl, 1, 1);
    grid->addWidget(NmeaOneBtn, 1, 0);
    grid->addWidget(EraseBox, 2, 0);
    grid->addWidget(ComBox, 2, 1);
    auto* bl = new QHBoxLayout;
    bl->addWidget(GpsIdBtn);
    bl->addWidget(CloseBtn);
    grid->addLayout(bl, 3, 1);
    LayOut(grid, false);

    connect(DownTrkBtn, &QPushButton::clicked, this, &TMagellanForm::DownTrkBtnClick);
    connect(TraceBtn, &QPushButton::clicked, this, &TMagellanForm::TraceBtnClick);
    connect(DownWptBtn, &QPushButton::clicked, this, &TMagellanForm::DownWptBtnClick);
    connect(UpWptBtn, &QPushButton::clicked, this, &TMagellanForm::UpWptBtnClick);
    connect(DownRteBtn, &QPushButton::clicked, this, &TMagellanForm::DownRteBtnClick);
    connect(UpRteBtn, &QPushButton::clicked, this, &TMagellanForm::UpRteBtnClick);
    connect(EraseBtn, &QPushButton::clicked, this, &TMagellanForm::EraseBtnClick);
    connect(GpsIdBtn, &QPushButton::clicked, this, &TMagellanForm::GpsIdBtnClick);

    SetLink(nullptr);
}

TMagellanForm::~TMagellanForm() = default;

void TMagellanForm::SetOptions()
{
    TMagellanSession::TOptions& o = fSession->Options;
    o.TrjTimeBox = TrjTimeBox->isChecked();
    o.TrjTimeEdit = TrjTimeEdit->value();
    o.SelOnlyBtn = SelOnlyBtn->isChecked();
    o.WptLenNmeEdit = WptLenNmeEdit->value();
    o.FlowCheckBtn = FlowCheckBtn->isChecked();
    o.NmeaOneBtn = NmeaOneBtn->isChecked();
    o.SpeedIndex = ComSpeedEdit->currentIndex();
    o.DelTrkBtn = DelTrkBtn->isChecked();
    o.DelSelWptBtn = DelSelWptBtn->isChecked();
    o.DelAllWptBtn = DelAllWptBtn->isChecked();
    o.DelOneRteBtn = DelOneRteBtn->isChecked();
    o.DelAllRteBtn = DelAllRteBtn->isChecked();
    o.DelAllBtn = DelAllBtn->isChecked();
}

void TMagellanForm::FormActivate()
{
    if (!BeginActivate()) return;
    UpWptBtn->setEnabled(Swp && Swp->Count > 0);
    UpRteBtn->setEnabled(Stn && Stn->Count > 0);
    DownRteBtn->setEnabled(Stn != nullptr);
    DownTrkBtn->setFocus();
    ResetInterface();
    TIniFile ini(IniFileName());
    const int speed = ini.ReadInteger(kSection, QStringLiteral("Mode_Mgn"), 1);
    ComSpeedEdit->setCurrentIndex(speed >= 0 && speed < ComSpeedEdit->count() ? speed : 1);
    FlowCheckBtn->setChecked(ini.ReadBool(kSection, QStringLiteral("Flow_Check_Mgn"), true));
    WptLenNmeEdit->setValue(ini.ReadInteger(kSection, QStringLiteral("WptN_Lng_Mgn"), 6));
    NmeaOneBtn->setChecked(ini.ReadBool(kSection, QStringLiteral("Set_Nmea_On"), false));
    fSession->Activate();
    StartTrace();
}

void TMagellanForm::WriteSettings()
{
    TIniFile ini(IniFileName());
    ini.WriteInteger(kSection, QStringLiteral("Mode_Mgn"), ComSpeedEdit->currentIndex());
    ini.WriteBool(kSection, QStringLiteral("Flow_Check_Mgn"), FlowCheckBtn->isChecked());
    ini.WriteInteger(kSection, QStringLiteral("WptN_Lng_Mgn"), WptLenNmeEdit->value());
    ini.WriteBool(kSection, QStringLiteral("Set_Nmea_On"), NmeaOneBtn->isChecked());
}

void TMagellanForm::DownTrkBtnClick()
{
    Run(&TMagellanSession::DownTrk);
}

void TMagellanForm::DownWptBtnClick()
{
    Run(&TMagellanSession::DownWpt);
}

void TMagellanForm::DownRteBtnClick()
{
    Run(&TMagellanSession::DownRte);
}

void TMagellanForm::UpWptBtnClick()
{
    Run(&TMagellanSession::UpWpt);
}

void TMagellanForm::UpRteBtnClick()
{
    Run(&TMagellanSession::UpRte);
}

void TMagellanForm::EraseBtnClick()
{
    Run(&TMagellanSession::Erase);
}

void TMagellanForm::GpsIdBtnClick()
{
    Run(&TMagellanSession::GpsId);
}

void TMagellanForm::TraceBtnClick()
{
    fSession->ShowTrace();
}
