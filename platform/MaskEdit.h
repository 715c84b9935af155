#pragma once
#include <QString>

// Converts an edit mask of the settings' form, such as "L00°00.00';1;_" ("L" a required
// letter, "0" a required digit, "9" an optional digit, ">" upper case from here, other
// characters literal, then ";1" keep literals in the text and ";_" the blank character)
// to a Qt input mask.
QString MaskToQtInputMask(const QString& mask);
// True when text fills every required position of the mask.
bool MaskTextComplete(const QString& mask, const QString& text);
