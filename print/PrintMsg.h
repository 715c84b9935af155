#pragma once
// Texts of the printing code and the one way their "%s" places are filled.
#include <QString>
#include <QStringList>

// Replaces each "%s" of Fmt, left to right, by the next of Args in one pass: a "%s" or "%1"
// inside an argument stays as it is. A "%s" without an argument left stays too.
QString FormatMsg(const QString& Fmt, const QStringList& Args);

// The texts the page code and the print job show (the print dialog's language routine may
// replace them). "%s" is the document name unless said otherwise.
struct TPrintMsgTexts
{
    QString PreviewStatus = QStringLiteral("Création de l'aperçu de %s");
    QString PrintStatus = QStringLiteral("Impression de %s");
    QString ProgressText = QStringLiteral("Impression de %s sur %s"); // document, printer
    QString TransferStatus = QStringLiteral("Transfert des données d'impression de %s à l'imprimante");
    QString PrinterFailure = QStringLiteral("L'imprimante \"%s\" est indisponible !."); // printer
    QString First = QStringLiteral("D");
    QString Last = QStringLiteral("A");
    QString Start = QStringLiteral("Début");
    QString End = QStringLiteral("Fin");
    QString ExtSector = QStringLiteral("Secteur étendu - Rayon = %s");
    QString TextStatus = QStringLiteral("Impression du text.");
    QString PlanStatus = QStringLiteral("Impression de la vue en plan.");
    QString CuttStatus = QStringLiteral("Impression de la vue en coupe.");
    QString WptListStatus = QStringLiteral("Impression de la liste des way-points %s.");
};

// The texts in use, in the language chosen.
TPrintMsgTexts& PrintMsgTexts();
