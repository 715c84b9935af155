#pragma once
// Windows that stay above the main window, and the windows they open.
//
// A window kept "on top of the main window" is a tool window of the main window: it stays above
// the main window only, never above other programs or above the windows it opens itself. While
// it is active the main window's shortcuts keep working, but its own mnemonics (buttons, labels
// with a buddy) act on its own controls first.
class QWidget;

// Makes Window a tool window of its parent and gives its own mnemonics the first say.
void MakeToolWindow(QWidget* Window);

// A window shared by several openers (the sort choice, the progress window, ...) is moved under
// the window of Opener before it is shown, so that it opens above that window.
void OwnSharedWindow(QWidget* Shared, QWidget* Opener);

// The window a message or question opened now belongs to: the topmost modal window, else the
// active window; nullptr when the program has none.
QWidget* MessageOwner();
