#pragma once
// The progress window of long calculations: what was found, a progress bar, the estimated time
// left (refreshed every second) and a stop button. The caller advances the bar and stops when
// the window is no longer visible.
#include <QDateTime>
#include <QDialog>
#include <QPointer>

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

// The time left as "HH:mm:ss" after ElapsedMs for Position steps out of Maximum: elapsed x 1.2 x
// (Maximum - Position) / Position, whole seconds; hours go past 24 rather than wrapping. Empty
// while Position is not above 0.
QString RemainingTimeText(qint64 ElapsedMs, int Maximum, int Position);

class TInfoPrgsForm : public QDialog
{
    Q_OBJECT
public:
    explicit TInfoPrgsForm(QWidget* Parent = nullptr);

    QLabel* TimeLbl = nullptr;
    QLabel* FoundLbl = nullptr;
    QProgressBar* ProgressBar = nullptr; // 0..100 as built
    QPushButton* EscBtn = nullptr;       // closes the window: the caller stops
    QTimer* Timer = nullptr;             // 1000 ms, runs while the window is shown

    QDateTime StartTime; // set when the window is shown
    QString EstTimeText = QStringLiteral("Temps estimé restant");

    // One tick of the timer: the estimate in TimeLbl (nothing before the first step).
    void TimerTick();

protected:
    void showEvent(QShowEvent* E) override;
    void hideEvent(QHideEvent* E) override;
};

extern QPointer<TInfoPrgsForm> InfoPrgsForm;
