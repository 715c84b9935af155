// Windows that stay above the main window.
#include "dialogs/ToolWindow.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>

namespace {

// Watches the keys typed in one window. The main window's menu titles share their letters with
// the buttons of its tool windows ("&Circuit" and "&Calculer"); Qt then finds two shortcuts for
// Alt+C and only moves the focus. A key that is a mnemonic of the window's own control is kept
// from the shortcut map and acts on that control.
class TOwnMnemonics : public QObject
{
public:
    explicit TOwnMnemonics(QWidget* Window) : QObject(Window), fWindow(Window)
    {
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* O, QEvent* E) override
    {
        const QEvent::Type t = E->type();
        if (t != QEvent::ShortcutOverride && t != QEvent::KeyPress) return false;
        auto* w = qobject_cast<QWidget*>(O);
        if (!w || w->window() != fWindow) return false;
        auto* k = static_cast<QKeyEvent*>(E);
        if (!(k->modifiers() & Qt::AltModifier)) return false;
        QWidget* target = OwnControl(QKeySequence(k->keyCombination()));
        if (!target) return false;
        if (t == QEvent::ShortcutOverride) {
            k->accept(); // delivered as a key press to the window instead
            return true;
        }
        if (auto* b = qobject_cast<QAbstractButton*>(target)) {
            b->setFocus(Qt::ShortcutFocusReason);
            b->click();
        } else {
            target->setFocus(Qt::ShortcutFocusReason);
        }
        return true;
    }

private:
    // The enabled, visible control of the window whose mnemonic is Key (a label gives its buddy).
    QWidget* OwnControl(const QKeySequence& Key) const
    {
        for (QAbstractButton* b : fWindow->findChildren<QAbstractButton*>())
            if (b->window() == fWindow && b->isVisible() && b->isEnabled() &&
                QKeySequence::mnemonic(b->text()) == Key)
                return b;
        for (QLabel* l : fWindow->findChildren<QLabel*>()) {
            QWidget* buddy = l->buddy();
            if (buddy && l->window() == fWindow && l->isVisible() && buddy->isVisible() && buddy->isEnabled() &&
                QKeySequence::mnemonic(l->text()) == Key)
                return buddy;
        }
        return nullptr;
    }

    QWidget* fWindow;
};

} // namespace

void MakeToolWindow(QWidget* Window)
{
    Window->setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    new TOwnMnemonics(Window);
}

void OwnSharedWindow(QWidget* Shared, QWidget* Opener)
{
    if (!Shared || !Opener) return;
    QWidget* owner = Opener->window();
    if (Shared->parentWidget() == owner || Shared == owner) return;
    const bool visible = Shared->isVisible();
    Shared->setParent(owner, Shared->windowFlags());
    if (visible) Shared->show();
}

QWidget* MessageOwner()
{
    if (QWidget* m = QApplication::activeModalWidget()) return m;
    return QApplication::activeWindow();
}
