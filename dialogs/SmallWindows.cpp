// The shared small windows.
#include "dialogs/SmallWindows.h"

#include "dialogs/Choice.h"
#include "dialogs/Info.h"
#include "dialogs/InfoPrgs.h"
#include "dialogs/Input.h"
#include "dialogs/SelSort.h"

void CreateSmallWindows(QWidget* Parent)
{
    if (!InfoForm) InfoForm = new TInfoForm(Parent);
    if (!InputForm) InputForm = new TInputForm(Parent);
    if (!SortSel) SortSel = new TSortSel(Parent);
    if (!InfoPrgsForm) InfoPrgsForm = new TInfoPrgsForm(Parent);
    if (!ChoiceForm) ChoiceForm = new TChoiceForm(Parent);
    InstallMessageWindows();
}
