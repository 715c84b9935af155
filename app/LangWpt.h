#pragma once
// Texts of the waypoint windows and of the trace-part window.
#include <QStringList>

class TSwpEdit;
class TWptEdit;
class TTrjSel;
class TReachWptForm;
class TMainForm;

QStringList LangSwpEdit(TSwpEdit& F);
QStringList LangWptEdit(TWptEdit& F);
QStringList LangTrjSel(TTrjSel& F);
QStringList LangReachWptForm(TReachWptForm& F);
// The main window's commands that open them.
QStringList LangWptActions(TMainForm& F);
// Registers LangWptActions with the main window: its menu shows before the way-point windows
// are made.
void RegisterWptActionTexts();
// Registers the routines of the way-point windows, when they are made.
void RegisterWptLangRoutines();
