#pragma once
#include <QMainWindow>

class QApplication;

// Starts the program in an application object: settings, shared windows, the trace named on
// the command line; runs the event loop and returns its exit code.
int RunZephalon(QApplication& app);

class TMainForm : public QMainWindow
{
    Q_OBJECT
public:
    explicit TMainForm(QWidget* parent = nullptr);
};

extern TMainForm* MainForm;
