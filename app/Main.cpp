#include "app/Main.h"
#include <QApplication>

TMainForm* MainForm = nullptr;

TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent)
{
    setWindowTitle("Zephalon");
    resize(1024, 700);
}

int RunZephalon(QApplication& app)
{
    app.setApplicationName("Zephalon");
    TMainForm w;
    MainForm = &w;
    w.show();
    int rc = app.exec();
    MainForm = nullptr;
    return rc;
}
