#pragma once
// Texts of the print dialog, the print preview and the print-progress box.
#include <QStringList>

class TPrintForm;
class TPreviewForm;
class TInfoPrnForm;

QStringList LangPrintForm(TPrintForm& F);
QStringList LangPreviewForm(TPreviewForm& F);
QStringList LangInfoPrnForm(TInfoPrnForm& F);
// Registers the three routines (the windows are the shared ones, when they exist).
void RegisterPrintLangRoutines();
