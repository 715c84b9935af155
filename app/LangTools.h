#pragma once
// The texts of the web-map window (its base caption too) and of the test window. Each routine
// returns the names of its table the window lacks.
#include <QStringList>

class TFormTest;
class TWebMapForm;

QStringList LangWebMapForm(TWebMapForm& F);
QStringList LangFormTest(TFormTest& F);
