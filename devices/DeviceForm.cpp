#include "devices/DeviceForm.h"

#include "devices/ComPortBox.h"
#include "model/Define.h"
#include "platform/IniFile.h"
#include "platform/ProgramDir.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {
const QString kSection = QStringLiteral("Interface");
constexpr int kPortCount = 96;
} // namespace

TDeviceForm::TDeviceForm(QWidget* parent) : QDialog(parent)
{
    TimerCom = new QTimer(this);
    TimerCom->setObjectName(QStringLiteral("TimerCom"));
    TimerCom->setInterval(200);
    connect(TimerCom, &QTimer::timeout, this, &TDeviceForm::TimerComTimer);

    ComNbEdit = new TComPortBox(this);
    ComNbEdit->setObjectName(QStringLiteral("ComNbEdit"));
    for (int n = 1; n <= kPortCount; ++n) ComNbEdit->addItem(QStringLiteral("COM%1").arg(n));

    Info = new QLabel(this);
    Info->setObjectName(QStringLiteral("Info"));
    Info->setFrameShape(QFrame::Panel);
    Info->setFrameShadow(QFrame::Sunken);

    PgrsBar = new QProgressBar(this);
    PgrsBar->setObjectName(QStringLiteral("PgrsBar"));
    PgrsBar->setRange(1, 100);
    PgrsBar->setTextVisible(false);
}

TDeviceForm::~TDeviceForm()
{
    TimerCom->stop();
}

TDeviceUi TDeviceForm::DeviceUi()
{
    TDeviceUi ui;
    ui.Status = this;
    ui.Progress = this;
    ui.Prompts = this;
    ui.Timer = this;
    return ui;
}

void TDeviceForm::ReadInterfaceSettings()
{
    TIniFile ini(IniFileName());
    int item = ini.ReadInteger(kSection, QStringLiteral("Num_Com"), 1) - 1;
    if (item < 0 || item >= ComNbEdit->count()) item = 0;
    ComNbEdit->setCurrentIndex(item);
    LogOn = ini.ReadBool(kSection, QStringLiteral("Log"), false);
}

bool TDeviceForm::WriteNumCom()
{
    TIniFile ini(IniFileName());
    if (ini.WriteInteger(kSection, QStringLiteral("Num_Com"), ComNbEdit->currentIndex() + 1)) return true;
    Ask(Tr(QStringLiteral("Impossible d'enregistrer les réglages dans %1 : %2"),
           QStringLiteral("Cannot save the settings in %1: %2"))
            .arg(ini.FileName(), ini.LastError()),
        TMsgType::Error, mbOK);
    return false;
}

QString TDeviceForm::PortName() const
{
    return ComNbEdit->currentText();
}

void TDeviceForm::HookSession(TDeviceSession& Session, QWidget* EndFocus)
{
    Session.OnCommandEnd = [EndFocus] { EndFocus->setFocus(); };
    Session.OnInfoAlign = [this](bool Centred) {
        Info->setAlignment((Centred ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignVCenter);
    };
    SetSession(&Session);
}

bool TDeviceForm::BeginActivate()
{
    if (TimerCom->isActive()) return false;
    fFormClosed = false;
    if (isMinimized()) showNormal();
    return true;
}

void TDeviceForm::ResetInterface()
{
    SetInfo(QString());
    ReadInterfaceSettings();
}

void TDeviceForm::StartTrace()
{
    if (LogOn && fSession && !fSession->LogOn()) fSession->OpenTrace();
}

bool TDeviceForm::BeginClose()
{
    if (fFormClosed) return false;
    fFormClosed = true;
    TimerCom->stop();
    return true;
}

void TDeviceForm::EndClose()
{
    if (fSession && fSession->LogOn()) fSession->CloseTrace();
    if (parentWidget()) parentWidget()->activateWindow();
}

void TDeviceForm::DetachSession()
{
    TimerCom->stop();
    SetSession(nullptr);
}

void TDeviceForm::SetInfo(const QString& Text)
{
    Info->setText(Text);
}

QString TDeviceForm::InfoText() const
{
    return Info->text();
}

void TDeviceForm::SetProgress(int Position)
{
    PgrsBar->setValue(Position);
}

int TDeviceForm::Ask(const QString& Text, TMsgType Type, int Buttons)
{
    return MessageDlg(Text, Type, Buttons);
}

bool TDeviceForm::Input(const QString& Caption, const QString& Prompt, QString& Value)
{
    return InputQuery(Caption, Prompt, Value);
}

std::function<bool(const QString&, const QString&, int&)> TDeviceForm::NumberInput;

bool TDeviceForm::InputNumber(const QString& Caption, const QString& Prompt, int& Value)
{
    if (NumberInput && !Msg::Headless()) return NumberInput(Caption, Prompt, Value);
    return IDevicePrompts::InputNumber(Caption, Prompt, Value);
}

void TDeviceForm::ShowAdvice(const QString& Text)
{
    if (!fAdvice) {
        fAdvice = new QMessageBox(QMessageBox::Information, windowTitle(), QString(), QMessageBox::Ok, this);
        fAdvice->setModal(false);
    }
    fAdvice->setText(QString(Text).replace(QLatin1Char('\r'), QLatin1Char('\n')));
    fAdvice->show();
}

void TDeviceForm::HideAdvice()
{
    if (fAdvice) fAdvice->hide();
}

bool TDeviceForm::AdviceVisible() const
{
    return fAdvice && fAdvice->isVisible();
}

void TDeviceForm::SetTimerEnabled(bool On)
{
    if (On)
        TimerCom->start();
    else
        TimerCom->stop();
}

bool TDeviceForm::TimerEnabled() const
{
    return TimerCom->isActive();
}

void TDeviceForm::SetTimerInterval(int Ms)
{
    TimerCom->setInterval(Ms);
}

int TDeviceForm::TimerInterval() const
{
    return TimerCom->interval();
}

void TDeviceForm::TimerComTimer()
{
    if (fSession)
        fSession->Tick();
    else
        TimerCom->stop();
}

void TDeviceForm::closeEvent(QCloseEvent* event)
{
    TimerCom->stop();
    HideAdvice();
    QDialog::closeEvent(event);
}

// ---- TTransferForm ---------------------------------------------------------------------------

TTransferForm::TTransferForm(QWidget* parent, const char* Name, int Ports) : TDeviceForm(parent)
{
    setObjectName(QString::fromLatin1(Name));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    TimerCom->setInterval(40);

    ComBox = Named(new QGroupBox(this), "ComBox");
    ComNbLbl = Named(new QLabel(ComBox), "ComNbLbl");
    ComNbEdit->setParent(ComBox);
    while (ComNbEdit->count() > Ports) ComNbEdit->removeItem(Ports);
    ComNbLbl->setBuddy(ComNbEdit);
    ComGrid = new QGridLayout(ComBox);
    ComGrid->addWidget(ComNbLbl, 0, 0);
    ComGrid->addWidget(ComNbEdit, 0, 1);

    CloseBtn = Named(new QPushButton(this), "CloseBtn");
    connect(CloseBtn, &QPushButton::clicked, this, &QDialog::reject);
}

TTransferForm::~TTransferForm() = default;

void TTransferForm::LayOut(QLayout* Controls, bool Progress)
{
    auto* main = new QVBoxLayout(this);
    main->addLayout(Controls);
    main->addWidget(Info);
    if (Progress)
        main->addWidget(PgrsBar);
    else
        PgrsBar->hide();
    Info->setMinimumHeight(34);
    Info->setWordWrap(true);
    main->setSizeConstraint(QLayout::SetFixedSize); // a fixed border
}

void TTransferForm::SetLink(ISerialLink* Link)
{
    TimerCom->stop();
    MakeSession(Link ? *Link : fPortLink);
}

void TTransferForm::showEvent(QShowEvent* event)
{
    TDeviceForm::showEvent(event);
    FormActivate();
}

void TTransferForm::FormClose()
{
    if (!BeginClose()) return;
    HideAdvice();
    if (WriteNumCom()) WriteSettings();
    CloseSession();
    EndClose();
}

void TTransferForm::done(int r)
{
    FormClose();
    TDeviceForm::done(r);
}
