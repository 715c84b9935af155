#pragma once
// The texts of the circuit search window and of the turn-point editor.
#include <QStringList>

class TStnCalc;

QStringList LangStnCalc(TStnCalc& F);
// Registers the circuit search's routine with the shell's language routines.
void RegisterSearchTexts();

class TTrnEdit;
QStringList LangTrnEdit(TTrnEdit& F);
