#pragma once
// The texts of the flight-file explorer. Returns the names of its table the window lacks.
#include <QStringList>

class TDirExplor;

QStringList LangDirExplor(TDirExplor& F);
