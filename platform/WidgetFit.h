#pragma once
// Texts that fit and keys that do not clash, whatever the font and the language: the windows
// were drawn for other fonts, so sizes that would cut a text are widened from the font's
// metrics, and two controls of one window (or two entries of one menu) never share a
// mnemonic letter.
#include <QChar>
#include <QSet>
#include <QString>

class QAbstractItemView;
class QMenu;
class QWidget;

// The mnemonic letter of a caption ("Zoom a&rrière" gives 'r'), lower case; a null QChar when
// the caption has none ("&&" is a plain ampersand).
QChar MnemonicOf(const QString& Text);
// Text with its mnemonic kept when its letter is free, else moved to a free letter of the
// caption (first letters of words first, then any letter); the letter taken is added to Taken.
// A caption without mnemonic is returned as it is; one whose letters are all taken loses it.
QString FreeMnemonic(const QString& Text, QSet<QChar>& Taken);

// Gives each entry of the menu (and of its submenus, each on its own) its own letter.
void UniqueMnemonics(QMenu* Menu);
// Gives each control of the window its own letter: buttons, labels with a buddy, group boxes,
// tab titles and the menu bar's titles share one set; the controls of each page of a tab
// widget share it with the window but not with the other pages. The menus are done as well.
void UniqueMnemonics(QWidget* Window);

// Width a window needs to show its title whole: the title, followed by the program's name as the
// window system shows it, in the bold title-bar font, plus the frame's icon and buttons.
int TitleWidth(const QWidget* Window);
// Widens the window to TitleWidth (raising its maximum when needed; a window of fixed size keeps
// a fixed size). The window's minimum is left to its layout.
void FitTitle(QWidget* Window);

// Every column of the view at least as wide as its title and its widest visible cell, but
// never widened past Bound pixels.
void FitColumns(QAbstractItemView* View, int Bound = 360);

// Installs, once, an application filter that gives every window its own mnemonics and room for
// its title when it is shown, resized or retitled, and keeps the columns of its grids fitted.
void InstallWindowFit();
