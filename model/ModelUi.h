#pragma once
// The narrow interface through which the model reaches the user interface. The application
// installs its implementation; without one (tests, tools) the calls do nothing.
// Questions and messages go through platform/Msg.h.
#include <QString>

class TTrj;
class TSwp;
class TStn;
class TSmp;

class IModelUi
{
public:
    virtual ~IModelUi() = default;
    virtual void ShowStatus(const QString& text) = 0;
    // Repaint the plan view, the profile view and the calculations panel.
    virtual void RefreshViews() = 0;
    // The current trace, waypoint set, task or zone set changed or was replaced/freed; windows
    // holding pointers into the old objects drop them.
    virtual void ModelChanged() = 0;
    // The task lost its last turn point (the main window disables its task action).
    virtual void TaskEmptied() {}
    // Fit the plan view to the data (trace, else task, else waypoints).
    virtual void FitViews() {}
};

void SetModelUi(IModelUi* ui);
IModelUi* ModelUi();

// Shortcuts that do nothing without an interface.
void ShowStatus(const QString& text);
void RefreshViews();
void NotifyModelChanged();
