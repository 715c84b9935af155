#pragma once
// The help window on making and installing scanned maps: a fixed text in a memo and an OK
// button.
#include <QDialog>
#include <QPointer>

class QPlainTextEdit;
class QPushButton;
class QWidget;

// The help text, lines separated by CR LF.
QString MapHelpText();

class THelpForm : public QDialog
{
    Q_OBJECT
public:
    explicit THelpForm(QWidget* Parent = nullptr);

    QPlainTextEdit* Memo = nullptr;
    QWidget* BottomPanel = nullptr;
    QPushButton* OKBtn = nullptr;

protected:
    void showEvent(QShowEvent* E) override;
    void FormActivate();
};

// The help window of the map chooser, shown modally.
extern QPointer<THelpForm> HelpForm;
