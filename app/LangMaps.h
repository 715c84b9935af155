#pragma once
// The texts of the scanned-map windows: the map chooser, the calibration window, the position
// editor and the help window. Each routine returns the names of its table the window lacks.
#include <QStringList>

class THelpForm;
class TIniMapForm;
class TPosEdit;
class TReachMapForm;

QStringList LangReachMapForm(TReachMapForm& F);
QStringList LangIniMapForm(TIniMapForm& F);
QStringList LangPosEdit(TPosEdit& F);
QStringList LangHelpForm(THelpForm& F);
