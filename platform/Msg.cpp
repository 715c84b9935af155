#include "platform/Msg.h"

#include <QApplication>
#include <QGuiApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <deque>
#include <optional>

namespace {

struct TScripted
{
    bool input = false;
    int answer = mrNone;
    QString text;
    bool ok = true;
};

struct TMsgState
{
    std::deque<TScripted> script;
    QList<Msg::Shown> log;
    std::optional<bool> headless;
    Msg::Handler handler;
    Msg::InputHandler inputHandler;
    int language = 0;
};

TMsgState& State()
{
    static TMsgState s;
    return s;
}

struct TButtonInfo
{
    int button;
    int result;
    const char* fr;
    const char* en;
    QMessageBox::ButtonRole role;
};

// In the order the buttons are shown.
const TButtonInfo kButtons[] = {
    {mbYes, mrYes, "&Oui", "&Yes", QMessageBox::YesRole},
    {mbNo, mrNo, "&Non", "&No", QMessageBox::NoRole},
    {mbOK, mrOk, "OK", "OK", QMessageBox::AcceptRole},
    {mbCancel, mrCancel, "Annuler", "Cancel", QMessageBox::RejectRole},
    {mbAbort, mrAbort, "&Abandonner", "&Abort", QMessageBox::RejectRole},
    {mbRetry, mrRetry, "&Réessayer", "&Retry", QMessageBox::ActionRole},
    {mbIgnore, mrIgnore, "&Ignorer", "&Ignore", QMessageBox::ActionRole},
    {mbAll, mrAll, "&Tous", "&All", QMessageBox::YesRole},
    {mbNoToAll, mrNoToAll, "N&on à tout", "N&o to All", QMessageBox::NoRole},
    {mbYesToAll, mrYesToAll, "Oui à t&out", "Yes to &All", QMessageBox::YesRole},
};

int EffectiveButtons(int buttons)
{
    int all = 0;
    for (const TButtonInfo& b : kButtons) all |= b.button;
    buttons &= all;
    return buttons == 0 ? int(mbOK) : buttons;
}

// The answer of the Escape key or the window's close box.
int CancelAnswer(int buttons)
{
    buttons = EffectiveButtons(buttons);
    if (buttons & mbCancel) return mrCancel;
    if (buttons & mbNo) return mrNo;
    if (buttons & mbOK) return mrOk;
    return mrCancel;
}

QString Lines(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    return text;
}

QString DefaultCaption(TMsgType type, int language)
{
    const bool en = language == 1;
    switch (type) {
    case TMsgType::Warning:
        return en ? QStringLiteral("Warning") : QStringLiteral("Avertissement");
    case TMsgType::Error:
        return en ? QStringLiteral("Error") : QStringLiteral("Erreur");
    case TMsgType::Information:
        return QStringLiteral("Information");
    case TMsgType::Confirmation:
        return en ? QStringLiteral("Confirm") : QStringLiteral("Confirmation");
    }
    return QString();
}

bool HaveWidgets()
{
    return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
}

int BoxHandler(const QString& text, TMsgType type, int buttons, const QString& caption)
{
    const int language = State().language;
    // Above the window that asks: the topmost modal window, else the active one.
    QWidget* owner = QApplication::activeModalWidget();
    if (!owner) owner = QApplication::activeWindow();
    QMessageBox box(owner);
    box.setWindowTitle(caption.isEmpty() ? DefaultCaption(type, language) : caption);
    box.setText(Lines(text));
    switch (type) {
    case TMsgType::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case TMsgType::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case TMsgType::Error:
        box.setIcon(QMessageBox::Critical);
        break;
    case TMsgType::Confirmation:
        box.setIcon(QMessageBox::Question);
        break;
    }
    buttons = EffectiveButtons(buttons);
    const int defResult = Msg::DefaultAnswer(buttons);
    const int escResult = CancelAnswer(buttons);
    QList<std::pair<QAbstractButton*, int>> map;
    for (const TButtonInfo& b : kButtons) {
        if (!(buttons & b.button)) continue;
        QPushButton* pb = box.addButton(QString::fromUtf8(language == 1 ? b.en : b.fr), b.role);
        map.append({pb, b.result});
        if (b.result == defResult) box.setDefaultButton(pb);
        if (b.result == escResult) box.setEscapeButton(pb);
    }
    box.exec();
    for (const auto& [pb, result] : map)
        if (box.clickedButton() == pb) return result;
    return escResult;
}

bool InputDialogHandler(const QString& caption, const QString& prompt, QString& value)
{
    const bool en = State().language == 1;
    QWidget* owner = QApplication::activeModalWidget();
    if (!owner) owner = QApplication::activeWindow();
    QInputDialog dlg(owner);
    dlg.setInputMode(QInputDialog::TextInput);
    dlg.setWindowTitle(caption);
    dlg.setLabelText(Lines(prompt));
    dlg.setTextValue(value);
    dlg.setOkButtonText(QStringLiteral("OK"));
    dlg.setCancelButtonText(en ? QStringLiteral("Cancel") : QStringLiteral("Annuler"));
    if (dlg.exec() != QDialog::Accepted) return false;
    value = dlg.textValue();
    return true;
}

} // namespace

int MessageDlg(const QString& text, TMsgType type, int buttons, const QString& caption)
{
    TMsgState& s = State();
    s.log.append({text, type, buttons, caption});
    if (!s.script.empty()) {
        const TScripted a = s.script.front();
        s.script.pop_front();
        if (a.input) return a.ok ? mrOk : mrCancel;
        return a.answer;
    }
    if (Msg::Headless()) return Msg::DefaultAnswer(buttons);
    if (s.handler) return s.handler(text, type, buttons, caption);
    return BoxHandler(text, type, buttons, caption);
}

void ShowMessage(const QString& text)
{
    QString caption = QGuiApplication::applicationDisplayName();
    if (caption.isEmpty()) caption = QStringLiteral("Zephalon");
    MessageDlg(text, TMsgType::Information, mbOK, caption);
}

bool InputQuery(const QString& caption, const QString& prompt, QString& value)
{
    TMsgState& s = State();
    s.log.append({prompt, TMsgType::Confirmation, mbOK | mbCancel, caption});
    if (!s.script.empty()) {
        const TScripted a = s.script.front();
        s.script.pop_front();
        if (!a.input) return a.answer == mrOk || a.answer == mrYes;
        if (a.ok) value = a.text;
        return a.ok;
    }
    if (Msg::Headless()) return false;
    if (s.inputHandler) return s.inputHandler(caption, prompt, value);
    return InputDialogHandler(caption, prompt, value);
}

namespace Msg {

void PushAnswer(int modalResult)
{
    State().script.push_back({false, modalResult, QString(), true});
}

void PushInput(const QString& text, bool ok)
{
    State().script.push_back({true, ok ? int(mrOk) : int(mrCancel), text, ok});
}

void ClearScript()
{
    State().script.clear();
}

void SetHeadless(bool headless)
{
    State().headless = headless;
}

bool Headless()
{
    if (State().headless) return *State().headless;
    if (!HaveWidgets()) return true;
    const QString platform = QGuiApplication::platformName();
    return platform == u"offscreen" || platform == u"minimal";
}

const QList<Shown>& Log()
{
    return State().log;
}

void ClearLog()
{
    State().log.clear();
}

void SetHandler(Handler h)
{
    State().handler = std::move(h);
}

void SetInputHandler(InputHandler h)
{
    State().inputHandler = std::move(h);
}

void SetLanguage(int language)
{
    State().language = language;
}

int DefaultAnswer(int buttons)
{
    buttons = EffectiveButtons(buttons);
    if (buttons & mbOK) return mrOk;
    if (buttons & mbYes) return mrYes;
    if (buttons & mbRetry) return mrRetry;
    for (const TButtonInfo& b : kButtons)
        if (buttons & b.button) return b.result;
    return mrOk;
}

} // namespace Msg
