#pragma once
// The shared small windows, created once at start-up and kept: the message window InfoForm,
// the input window InputForm, the sort choice SortSel, the progress window InfoPrgsForm and the
// choice window ChoiceForm. Creating them also installs the message and input windows behind
// the message helper.
class QWidget;

// Creates the windows that do not exist yet (Parent owns them) and installs the message windows.
void CreateSmallWindows(QWidget* Parent);
