#include "devices/Nmea.h"

#include "devices/DeviceViews.h"
#include "model/ModelUi.h"
#include "platform/IniFile.h"
#include "platform/ProgramDir.h"

#include <QCheckBox>
#include <QCloseEvent>
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

TNmeaForm* NmeaForm = nullptr;

namespace {
const QString kSection = QStringLiteral("Interface");

template <class W> W* Named(W* Widget, const char* Name)
{
    Widget->setObjectName(QString::fromLatin1(Name));
    return Widget;
}
} // namespace

TNmeaForm::TNmeaForm(QWidget* Parent)
    : TDeviceForm(Parent), Session(ComPort, DeviceUi()), MsgTexts(Session.MsgTexts)
{
    setObjectName(QStringLiteral("NmeaForm"));
    if (!NmeaForm) NmeaForm = this;
    setModal(false);
    ComPort.ComPort().SetBaudRate(br4800);
    ComPort.ComPort().SetStopBits(sbOneStopBit);
    SetSession(&Session);
    Session.OnInfo = [this] { ShowInfo(); };

    auto* infoLayout = new QVBoxLayout(Info);
    InfoL1 = Named(new QLabel(Info), "InfoL1");
    InfoL2 = Named(new QLabel(Info), "InfoL2");
    InfoL3 = Named(new QLabel(Info), "InfoL3");
    for (QLabel* l : {InfoL1, InfoL2, InfoL3}) infoLayout->addWidget(l);
    FitInfo();

    CloseBtn = Named(new QPushButton(this), "CloseBtn");
    MoreBtn = Named(new QPushButton(this), "MoreBtn");
    LectBtn = Named(new QPushButton(this), "LectBtn");
    for (QPushButton* b : {CloseBtn, MoreBtn, LectBtn}) b->setAutoDefault(false);
    EcartLbl1 = Named(new QLabel(this), "EcartLbl1");
    Ecart = Named(new QComboBox(this), "Ecart");
    Ecart->setEditable(true);
    Ecart->setInsertPolicy(QComboBox::NoInsert);
    Ecart->addItems(
        {"2", "4", "6", "8", "10", "12", "20", "30", "40", "60", "120", "240", "360", "300", "600"});
    EcartLbl2 = Named(new QLabel(QStringLiteral(" s"), this), "EcartLbl2");
    MoveSelBtn = Named(new QCheckBox(this), "MoveSelBtn");
    MoveSelBtn->setChecked(true);
    AutoCtgBtn = Named(new QCheckBox(this), "AutoCtgBtn");
    ChecksumBtn = Named(new QCheckBox(this), "ChecksumBtn");
    ComBox = Named(new QGroupBox(this), "ComBox");
    ComNbLbl = Named(new QLabel(ComBox), "ComNbLbl");
    ComNbEdit->setParent(ComBox);
    ComSpeedLbl = Named(new QLabel(ComBox), "ComSpeedLbl");
    ComSpeedEdit = Named(new QComboBox(ComBox), "ComSpeedEdit");
    ComSpeedEdit->addItems({"1200", "4800", "9600", "19200", "57600", "115200"});
    auto* cl = new QGridLayout(ComBox);
    cl->addWidget(ComNbLbl, 0, 0);
    cl->addWidget(ComNbEdit, 0, 1);
    cl->addWidget(ComSpeedLbl, 1, 0);
    cl->addWidget(ComSpeedEdit, 1, 1);

    // The interval reads as one phrase: label, edit right after it, unit right after that.
    auto* ecart = new QHBoxLayout;
    ecart->setSpacing(2);
    ecart->addWidget(EcartLbl1);
    ecart->addWidget(Ecart);
    ecart->addWidget(EcartLbl2);
    ecart->addStretch(1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(LectBtn);
    buttons->addWidget(MoreBtn);
    buttons->addStretch(1);
    buttons->addWidget(CloseBtn);
    auto* main = new QVBoxLayout(this);
    main->addWidget(Info);
    main->addLayout(ecart);
    main->addWidget(MoveSelBtn);
    main->addWidget(AutoCtgBtn);
    main->addWidget(ChecksumBtn);
    main->addWidget(ComBox);
    main->addStretch(1);
    main->addLayout(buttons);
    PgrsBar->hide();

    connect(LectBtn, &QPushButton::clicked, this, &TNmeaForm::LectBtnClick);
    connect(MoreBtn, &QPushButton::clicked, this, &TNmeaForm::MoreBtnClick);
    connect(CloseBtn, &QPushButton::clicked, this, &QWidget::close);
    connect(Ecart->lineEdit(), &QLineEdit::editingFinished, this, &TNmeaForm::EcartExit);
    connect(Ecart, &QComboBox::currentTextChanged, this, &TNmeaForm::EcartExit);
    connect(MoveSelBtn, &QCheckBox::toggled, this, [this](bool On) { Session.MoveSel = On; });
    connect(AutoCtgBtn, &QCheckBox::toggled, this, [this](bool On) { Session.AutoCtg = On; });
    connect(ChecksumBtn, &QCheckBox::toggled, this, [this](bool On) { Session.Checksum = On; });
}

TNmeaForm::~TNmeaForm()
{
    TimerCom->stop();
    if (!fClosed) FormClose();
    if (NmeaForm == this) NmeaForm = nullptr;
}

void TNmeaForm::showEvent(QShowEvent* Event)
{
    TDeviceForm::showEvent(Event);
    FormActivate();
}

void TNmeaForm::FormActivate()
{
    IDeviceViews* v = DeviceViews();
    if (v) v->SetNmeaActive(true);
    if (TimerCom->isActive()) return;
    fClosed = false;
    setWindowState(windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
    LectBtn->setFocus();
    InfoL1->clear();
    InfoL2->clear();
    InfoL3->clear();
    Ecart->setEditText(QStringLiteral("2"));
    Session.EcartSec = 2;
    ReadInterfaceSettings();
    ComSpeedEdit->setCurrentIndex(1);
    TIniFile ini(IniFileName());
    ChecksumBtn->setChecked(ini.ReadBool(kSection, QStringLiteral("Checksum"), false));
    Session.Checksum = ChecksumBtn->isChecked();
    Session.MoveSel = MoveSelBtn->isChecked();
    Session.AutoCtg = AutoCtgBtn->isChecked();
    TimerCom->stop();
    TimerCom->setInterval(200);
    if (v) {
        v->SetComMode(1);
        v->NmeaLayout(true);
        fExtended = true;
        const QRect r = v->NmeaFormRect();
        if (r.isValid()) setGeometry(r);
    }
}

TBaudRate TNmeaForm::Speed() const
{
    static const TBaudRate rates[] = {br1200, br4800, br9600, br19200, br57600, br115200};
    const int i = ComSpeedEdit->currentIndex();
    return rates[i >= 0 && i < 6 ? i : 1];
}

void TNmeaForm::LectBtnClick()
{
    TimerCom->stop();
    LectBtn->setEnabled(false);
    // A port that did not open leaves the button for another try.
    if (!Session.StartReading(PortName(), Speed())) LectBtn->setEnabled(true);
}

void TNmeaForm::MoreBtnClick()
{
    fExtended = !fExtended;
    if (IDeviceViews* v = DeviceViews()) {
        v->NmeaLayout(fExtended);
        const QRect r = v->NmeaFormRect();
        if (fExtended && r.isValid()) setGeometry(r);
    }
}

void TNmeaForm::EcartExit()
{
    bool ok = false;
    const int v = Ecart->currentText().trimmed().toInt(&ok);
    if (ok) {
        Session.EcartSec = v;
        return;
    }
    const QSignalBlocker block(Ecart);
    Ecart->setEditText(QString::number(Session.EcartSec));
}

void TNmeaForm::ShowInfo()
{
    InfoL1->setText(Session.InfoL1);
    InfoL2->setText(Session.InfoL2);
    InfoL3->setText(Session.InfoL3);
    FitInfo();
}

void TNmeaForm::FitInfo()
{
    // The panel is a label, and a label's size ignores the layout it holds: it is given the
    // size its three lines need, each a whole line high even while empty.
    for (QLabel* l : {InfoL1, InfoL2, InfoL3}) l->setMinimumHeight(l->fontMetrics().height());
    Info->setMinimumSize(Info->layout()->totalMinimumSize());
}

void TNmeaForm::changeEvent(QEvent* Event)
{
    TDeviceForm::changeEvent(Event);
    if (Event->type() == QEvent::FontChange || Event->type() == QEvent::StyleChange) FitInfo();
}

void TNmeaForm::ShowAdvice(const QString& Text)
{
    if (IDeviceViews* v = DeviceViews())
        v->ShowAdvice(Text);
    else
        TDeviceForm::ShowAdvice(Text);
}

void TNmeaForm::HideAdvice()
{
    if (IDeviceViews* v = DeviceViews())
        v->HideAdvice();
    else
        TDeviceForm::HideAdvice();
}

bool TNmeaForm::AdviceVisible() const
{
    if (IDeviceViews* v = DeviceViews()) return v->AdviceVisible();
    return TDeviceForm::AdviceVisible();
}

void TNmeaForm::closeEvent(QCloseEvent* Event)
{
    if (!fClosed) FormClose();
    TDeviceForm::closeEvent(Event);
}

void TNmeaForm::done(int Result)
{
    if (!fClosed) FormClose();
    TDeviceForm::done(Result);
    if (testAttribute(Qt::WA_DeleteOnClose)) deleteLater();
}

void TNmeaForm::FormClose()
{
    fClosed = true;
    TimerCom->stop();
    Session.CloseSession();
    WriteNumCom();
    TIniFile ini(IniFileName());
    ini.WriteBool(kSection, QStringLiteral("Checksum"), ChecksumBtn->isChecked());
    IDeviceViews* v = DeviceViews();
    if (v) v->SetComMode(0);
    ShowStatus(QString());
    if (v) v->SetNmeaActive(false);
    RefreshViews();
    if (v) v->ArrangeViews();
}
