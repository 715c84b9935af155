#pragma once
// Message boxes, questions and input boxes go through here, so that texts follow the
// language and tests can answer them from a scripted queue.
#include <QString>
#include <QStringList>
#include <functional>

enum class TMsgType { Information, Warning, Error, Confirmation };

// Buttons and answers (the values of the classic modal results).
enum TMsgButton : int {
    mbOK = 1, mbCancel = 2, mbAbort = 4, mbRetry = 8, mbIgnore = 16, mbYes = 32, mbNo = 64, mbAll = 128,
    mbNoToAll = 256, mbYesToAll = 512,
};
enum TModalResult : int {
    mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5, mrYes = 6, mrNo = 7,
    mrAll = 8, mrNoToAll = 9, mrYesToAll = 10,
};

// Shows a message; returns the answer. Texts may hold "\r" as a line break.
int MessageDlg(const QString& text, TMsgType type, int buttons, const QString& caption = QString());
// Plain information message with one OK button.
void ShowMessage(const QString& text);
// Asks a text; false when cancelled. value holds the initial text and receives the answer.
bool InputQuery(const QString& caption, const QString& prompt, QString& value);

namespace Msg {
// What was shown, for tests.
struct Shown {
    QString text;
    TMsgType type;
    int buttons;
    QString caption;
};
// Scripted answers: while the queue is not empty, each message or input box takes the next
// answer instead of showing a window. An input box takes the text of PushInput.
void PushAnswer(int modalResult);
void PushInput(const QString& text, bool ok = true);
void ClearScript();
// When set, unanswered boxes return their default (first button / cancelled input) without
// showing anything (tests, headless runs). Until set, boxes are headless when there is no
// widget application or when Qt runs offscreen.
void SetHeadless(bool headless);
bool Headless();
const QList<Shown>& Log();
void ClearLog();

// The window that shows messages; the application installs its own message window here.
using Handler = std::function<int(const QString& text, TMsgType type, int buttons, const QString& caption)>;
using InputHandler = std::function<bool(const QString& caption, const QString& prompt, QString& value)>;
// An empty handler brings back the platform's message box (or input dialog).
void SetHandler(Handler h);
void SetInputHandler(InputHandler h);

// Language of the platform boxes' captions and buttons: 0 French, 1 English.
void SetLanguage(int language);
// The answer a box gives when its default button is pressed (OK, else Yes, else Retry, else
// the first of its buttons); headless boxes answer this.
int DefaultAnswer(int buttons);
} // namespace Msg
