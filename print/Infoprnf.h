#pragma once
// The small box shown while a page goes to the printer; its Esc button aborts the job.
#include "print/PrintJob.h"

#include <QDialog>
#include <QPointer>

class QPlainTextEdit;
class QPushButton;

class TInfoPrnForm : public QDialog, public IPrintProgress
{
    Q_OBJECT
public:
    explicit TInfoPrnForm(QWidget* Parent = nullptr);
    ~TInfoPrnForm() override;

    QPlainTextEdit* Memo = nullptr; // two lines
    QPushButton* EscBtn = nullptr;
    TPrintJob* Job = nullptr; // the job running, if any

    void EscBtnClick();
    void ShowProgress(const QString& Text) override;
    void CloseProgress() override;

protected:
    void reject() override;
};

extern QPointer<TInfoPrnForm> InfoPrnForm;
