#pragma once
// The texts of the shared small windows: sort choice, progress and flight choice.
// Each routine returns the names of its table the window lacks.
#include <QStringList>

class TChoiceForm;
class TInfoPrgsForm;
class TSortSel;

QStringList LangSortSel(TSortSel& F);
QStringList LangInfoPrgsForm(TInfoPrgsForm& F);
QStringList LangChoiceForm(TChoiceForm& F);
// Registers the routines of the small windows made at start-up.
void RegisterSmallWindowTexts();
