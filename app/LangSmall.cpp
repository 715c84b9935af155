// The texts of the shared small windows.
#include "app/LangSmall.h"

#include "app/Langage.h"
#include "dialogs/Choice.h"
#include "dialogs/Info.h"
#include "dialogs/InfoPrgs.h"
#include "dialogs/SelSort.h"

#include <QPlainTextEdit>
#include <QPushButton>

namespace {

const TUiText SortSelTexts[] = {
    {"", "Tri", "Sort"},
    {"SortLbl", "Tri p&ar", "Sort &by"},
    {"SortBox", nullptr, nullptr, "Colonne utilisée pour le tri.", "Column used for sorting."},
    {"NormSortBtn", "&Tri <", "&Sort <",
     "Trie le tableau par ordre croissant suivant la colonne sélectionnée ci-dessus.",
     "Sorts the grid in ascending order of the column chosen above."},
    {"DecreaseBtn", "T&ri >", "S&ort >",
     "Trie le tableau par ordre décroissant suivant la colonne sélectionnée ci-dessus.",
     "Sorts the grid in descending order of the column chosen above."},
    {"EscBtn", "Annuler", "Cancel", "Quitte cette fenêtre sans effectuer de classement",
     "Leaves this window without sorting."},
};

const TUiText InfoPrgsTexts[] = {
    {"", "Calcul en cours...", "Computing..."},
    {"EscBtn", "&Arrêter", "&Stop"},
};

const TUiText ChoiceTexts[] = {
    {"CancelBtn", "Annuler", "Cancel", "Annule l'ouverture des trajectoires.",
     "Cancels the opening of the tracks."},
    {"OKBtn", "OK", "OK", "Ouvre la trajectoire sélectionnée dans la liste.",
     "Opens the track selected in the list."},
    {"AllBtn", "&Tout", "&All", "Ouvre toutes les trajectoires indiquées ci-dessus.",
     "Opens all the tracks listed above."},
};

} // namespace

QStringList LangSortSel(TSortSel& F)
{
    F.Memo->setPlainText(
        UiText("Remarque : Pour trier plus rapidement, cliquer directement sur n'importe quelle "
               "entête de colonne du tableau.",
               "Note: to sort faster, click any column title of the grid."));
    return ApplyTexts(&F, SortSelTexts);
}

QStringList LangInfoPrgsForm(TInfoPrgsForm& F)
{
    F.EstTimeText = UiText("Temps estimé restant", "Estimated time left");
    return ApplyTexts(&F, InfoPrgsTexts);
}

QStringList LangChoiceForm(TChoiceForm& F)
{
    return ApplyTexts(&F, ChoiceTexts);
}

void RegisterSmallWindowTexts()
{
    RegisterLangRoutine(QStringLiteral("SortSel"), [] {
        if (SortSel) LangSortSel(*SortSel);
    });
    RegisterLangRoutine(QStringLiteral("InfoPrgsForm"), [] {
        if (InfoPrgsForm) LangInfoPrgsForm(*InfoPrgsForm);
    });
    RegisterLangRoutine(QStringLiteral("InfoForm"), [] {
        if (InfoForm)
            InfoForm->OKBtn->setToolTip(
                UiText("Ferme cette fenêtre d'information.", "Closes this information window."));
    });
    RegisterLangRoutine(QStringLiteral("ChoiceForm"), [] {
        if (ChoiceForm) LangChoiceForm(*ChoiceForm);
    });
}
