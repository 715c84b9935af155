// The progress window.
#include "dialogs/InfoPrgs.h"

#include "platform/Numbers.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <cmath>

QPointer<TInfoPrgsForm> InfoPrgsForm;

QString RemainingTimeText(qint64 ElapsedMs, int Maximum, int Position)
{
    if (Position <= 0) return QString();
    const double ms = double(ElapsedMs) * 1.2 * double(Maximum - Position) / double(Position);
    // Whole seconds, as a clock shows them (a hair of rounding error is not a second less).
    const qint64 s = std::max<qint64>(0, qint64(std::floor(ms / 1000.0 + 1e-6)));
    return QStringLiteral("%1:%2:%3")
        .arg(s / 3600, 2, 10, QLatin1Char('0'))
        .arg(s / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(s % 60, 2, 10, QLatin1Char('0'));
}

TInfoPrgsForm::TInfoPrgsForm(QWidget* Parent) : QDialog(Parent)
{
    setObjectName(QStringLiteral("InfoPrgsForm"));
    setWindowTitle(QStringLiteral("Calcul en cours..."));
    // Above the window that shows it (its parent), not above every window.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    TimeLbl = new QLabel(this);
    TimeLbl->setObjectName(QStringLiteral("TimeLbl"));
    TimeLbl->setAlignment(Qt::AlignCenter);
    TimeLbl->setGeometry(16, 8, 260, 18);
    FoundLbl = new QLabel(this);
    FoundLbl->setObjectName(QStringLiteral("FoundLbl"));
    FoundLbl->setAlignment(Qt::AlignCenter);
    FoundLbl->setGeometry(16, 30, 260, 18);
    ProgressBar = new QProgressBar(this);
    ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
    ProgressBar->setRange(0, 100);
    ProgressBar->setValue(0);
    ProgressBar->setGeometry(16, 54, 260, 18);
    EscBtn = new QPushButton(QStringLiteral("&Arrêter"), this);
    EscBtn->setObjectName(QStringLiteral("EscBtn"));
    EscBtn->setGeometry(106, 80, 80, 25);
    Timer = new QTimer(this);
    Timer->setInterval(1000);
    connect(Timer, &QTimer::timeout, this, [this] { TimerTick(); });
    connect(EscBtn, &QPushButton::clicked, this, [this] { close(); });
    setFixedSize(FoundLbl->x() * 2 + FoundLbl->width(), EscBtn->geometry().bottom() + 1 + 10);
}

void TInfoPrgsForm::TimerTick()
{
    const int p = ProgressBar->value() - ProgressBar->minimum();
    if (p <= 0) return;
    const qint64 elapsed = StartTime.isValid() ? StartTime.msecsTo(QDateTime::currentDateTime()) : 0;
    TimeLbl->setText(EstTimeText + QStringLiteral(" : ") +
                     RemainingTimeText(elapsed, ProgressBar->maximum() - ProgressBar->minimum(), p));
}

void TInfoPrgsForm::showEvent(QShowEvent* E)
{
    QDialog::showEvent(E);
    // The window is kept between calculations: no estimate of the last one before the first step.
    TimeLbl->clear();
    StartTime = QDateTime::currentDateTime();
    Timer->start();
}

void TInfoPrgsForm::hideEvent(QHideEvent* E)
{
    Timer->stop();
    QDialog::hideEvent(E);
}
