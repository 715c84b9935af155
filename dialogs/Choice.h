#pragma once
// The choice window: a list of items and three answers, OK for the selected item, All for every
// item, Cancel for none. The readers of files holding several flights use it.
#include <QDialog>
#include <QPointer>
#include <QStringList>

class QFrame;
class QListWidget;
class QPushButton;

class TChoiceForm : public QDialog
{
    Q_OBJECT
public:
    explicit TChoiceForm(QWidget* Parent = nullptr);

    // exec() answers mrOk (the chosen line in ListBox's current row), mrAll or mrCancel.
    QPushButton* CancelBtn = nullptr;
    QListWidget* ListBox = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* AllBtn = nullptr;
    QFrame* Bevel = nullptr;

    void reject() override;

protected:
    void showEvent(QShowEvent* E) override;
    // Each showing selects the first item again and sizes the window around the frame.
    void FormActivate();
};

// Created once by CreateSmallWindows and kept.
extern QPointer<TChoiceForm> ChoiceForm;

// The caption the flight readers give the window.
QString FlightChoiceCaption(const QString& FileName);

// What the user chose among the flights of a file.
struct TFlightChoice
{
    int Result = 0; // mrOk (Index), mrAll or mrCancel
    int Index = -1;
};
// Asks which flights of FileName to open; a file with one flight (or none) is not asked and
// answers mrAll. Uses ChoiceForm (a window of its own when there is none); headless runs
// (Msg::Headless) answer the default button: mrOk with the first flight.
TFlightChoice ChooseFlights(const QString& FileName, const QStringList& Flights);
