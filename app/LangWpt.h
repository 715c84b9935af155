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
// Registers the routines above for the windows created at start-up.
void RegisterWptLangRoutines();
