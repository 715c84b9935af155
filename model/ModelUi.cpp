// The model's link to the user interface.
#include "model/ModelUi.h"

namespace {
IModelUi* gUi = nullptr;
}

void SetModelUi(IModelUi* ui)
{
    gUi = ui;
}

IModelUi* ModelUi()
{
    return gUi;
}

void ShowStatus(const QString& text)
{
    if (gUi) gUi->ShowStatus(text);
}

void RefreshViews()
{
    if (gUi) gUi->RefreshViews();
}

void NotifyModelChanged()
{
    if (gUi) gUi->ModelChanged();
}
