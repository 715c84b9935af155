#pragma once
// The message window: a read-only text and an OK button, on top of the other windows. Callers
// show it without waiting (ShowText) or modally; it is also the window behind the message
// helper (MessageDlg, ShowMessage), with the buttons each question asks for.
#include "platform/Msg.h"

#include <QDialog>
#include <QPointer>

class QPlainTextEdit;
class QPushButton;
class QHBoxLayout;

class TInfoForm : public QDialog
{
    Q_OBJECT
public:
    explicit TInfoForm(QWidget* Parent = nullptr);

    QPlainTextEdit* Memo = nullptr;
    QPushButton* OKBtn = nullptr;

    // Writes Text ("\r" breaks lines) and shows the window without waiting.
    void ShowText(const QString& Text);
    // Prepares the window for a message of the helper: caption (by the type when empty), text
    // and the buttons asked (TMsgButton); exec() then answers the modal result (TModalResult).
    void SetMessage(const QString& Text, TMsgType Type, int Buttons, const QString& Caption);
    // The answer of Escape and of the close box for the buttons of the last SetMessage.
    int CancelResult() const { return fCancel; }
    // The buttons shown, in order (OKBtn among them when asked).
    QList<QPushButton*> Buttons() const;

    void reject() override;

private:
    void SetText(const QString& Text);
    QHBoxLayout* fButtonRow = nullptr;
    QList<QPushButton*> fExtra;
    int fCancel = mrOk;
};

extern QPointer<TInfoForm> InfoForm;

// Texts of the helper's boxes: "\r" and "\r\n" become line breaks.
QString MsgLines(QString Text);
// The caption of a box of that type when the caller gives none (follows Language).
QString MsgCaption(TMsgType Type);
// The answer of Escape for a set of buttons: Cancel, else No, else OK.
int MsgCancelAnswer(int Buttons);
// The borderless, read-only message text of the small windows, on the window's own background.
QPlainTextEdit* NewMessageMemo(QWidget* Parent);

// The message helper's window for one message: a fresh TInfoForm run modally.
int ShowMessageWindow(const QString& Text, TMsgType Type, int Buttons, const QString& Caption);

// Installs the message and input windows behind the message helper (scripted answers and
// headless runs are still served by the helper first). Uninstall gives back the platform boxes.
void InstallMessageWindows();
void UninstallMessageWindows();
