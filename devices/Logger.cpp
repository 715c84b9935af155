#include "devices/Logger.h"

#include "devices/DeviceViews.h"
#include "model/ModelUi.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

TLoggForm* LoggForm = nullptr;

namespace {
QPushButton* Button(QWidget* Parent, const char* Name)
{
    auto* b = new QPushButton(QString::fromLatin1(Name), Parent);
    b->setObjectName(QString::fromLatin1(Name));
    b->setAutoDefault(false);
    return b;
}
} // namespace

TLoggForm::TLoggForm(QWidget* Parent)
    : TDeviceForm(Parent), Session(ComPort, DeviceUi()), MsgTexts(Session.MsgTexts)
{
    setObjectName(QStringLiteral("LoggForm"));
    if (!LoggForm) LoggForm = this;
    ComPort.ComPort().SetBaudRate(br4800);
    ComPort.ComPort().SetStopBits(sbOneStopBit);
    SetSession(&Session);
    Session.OnDownloadEnd = [this] { CloseBtn->setFocus(); };

    ParamBox = new QGroupBox(this);
    ParamBox->setObjectName(QStringLiteral("ParamBox"));
    Ecart = new QComboBox(ParamBox);
    Ecart->setObjectName(QStringLiteral("Ecart"));
    Ecart->setEditable(true);
    Ecart->setInsertPolicy(QComboBox::NoInsert);
    Ecart->addItems(
        {"2", "4", "6", "8", "10", "12", "20", "30", "40", "60", "120", "240", "360", "300", "600"});
    EchEcarts = new QLabel(QStringLiteral("s"), ParamBox);
    EchEcarts->setObjectName(QStringLiteral("EchEcarts"));
    EcartBtn = Button(ParamBox, "EcartBtn");
    EffaceBtn = Button(ParamBox, "EffaceBtn");
    auto* pl = new QGridLayout(ParamBox);
    pl->addWidget(Ecart, 0, 0);
    pl->addWidget(EchEcarts, 0, 1);
    pl->addWidget(EcartBtn, 0, 2);
    pl->addWidget(EffaceBtn, 1, 2);

    ComBox = new QGroupBox(this);
    ComBox->setObjectName(QStringLiteral("ComBox"));
    ComNbLbl = new QLabel(ComBox);
    ComNbLbl->setObjectName(QStringLiteral("ComNbLbl"));
    ComNbEdit->setParent(ComBox);
    auto* cl = new QHBoxLayout(ComBox);
    cl->addWidget(ComNbLbl);
    cl->addWidget(ComNbEdit, 1);

    LectBtn = Button(this, "LectBtn");
    TraceBtn = Button(this, "TraceBtn");
    CloseBtn = Button(this, "CloseBtn");
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(LectBtn);
    buttons->addWidget(TraceBtn);
    buttons->addStretch(1);
    buttons->addWidget(CloseBtn);

    auto* top = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    left->addWidget(ParamBox);
    left->addWidget(ComBox);
    top->addLayout(left, 1);
    top->addLayout(buttons);
    auto* main = new QVBoxLayout(this);
    main->addLayout(top, 1);
    main->addWidget(Info);
    PgrsBar->hide();
    Info->setMinimumWidth(360);

    connect(LectBtn, &QPushButton::clicked, this, &TLoggForm::LectBtnClick);
    connect(EcartBtn, &QPushButton::clicked, this, &TLoggForm::EcartBtnClick);
    connect(EffaceBtn, &QPushButton::clicked, this, &TLoggForm::EffaceBtnClick);
    connect(TraceBtn, &QPushButton::clicked, this, &TLoggForm::TraceBtnClick);
    connect(CloseBtn, &QPushButton::clicked, this, &QDialog::close);
    connect(Ecart->lineEdit(), &QLineEdit::editingFinished, this, &TLoggForm::EcartExit);
}

TLoggForm::~TLoggForm()
{
    TimerCom->stop();
    if (!fClosed) FormClose();
    if (LoggForm == this) LoggForm = nullptr;
}

void TLoggForm::showEvent(QShowEvent* Event)
{
    TDeviceForm::showEvent(Event);
    FormActivate();
}

void TLoggForm::FormActivate()
{
    if (TimerCom->isActive()) return;
    setWindowState(windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
    LectBtn->setFocus();
    Info->clear();
    Ecart->setCurrentIndex(7);
    Ecart->setEditText(QStringLiteral("30"));
    ReadInterfaceSettings();
    EcartExit();
    TimerCom->setInterval(200);
    Session.LoggState = lsIdle;
    if (IDeviceViews* v = DeviceViews()) v->SetComMode(1);
}

void TLoggForm::EcartExit()
{
    QString info;
    if (CalcRate(Ecart->currentText(), Session.LoggRate, info)) {
        Session.EcartText = Ecart->currentText();
        return;
    }
    QApplication::beep();
    Info->setText(info);
    Ecart->setEditText(QStringLiteral("30"));
    Session.EcartText = QStringLiteral("30");
}

void TLoggForm::LectBtnClick()
{
    Session.StartDownload(PortName());
}

void TLoggForm::EcartBtnClick()
{
    EcartExit();
    Session.StartCom(lsSetRate, PortName());
}

void TLoggForm::EffaceBtnClick()
{
    EcartExit();
    if (Ask(MsgTexts.ClearQuestion, TMsgType::Confirmation, mbYes | mbNo) == mrYes)
        Session.StartCom(lsClear, PortName());
}

void TLoggForm::TraceBtnClick()
{
    Session.ShowRead();
}

void TLoggForm::done(int Result)
{
    if (!fClosed) FormClose();
    TDeviceForm::done(Result);
}

void TLoggForm::FormClose()
{
    fClosed = true;
    TimerCom->stop();
    WriteNumCom();
    Session.CloseSession();
    if (IDeviceViews* v = DeviceViews()) v->SetComMode(0);
    ShowStatus(QString());
    RefreshViews();
    if (IDeviceViews* v = DeviceViews()) v->FocusMainWindow();
}
