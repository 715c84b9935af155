#pragma once
// Reaching a waypoint by the first characters of its name: it becomes the selected waypoint
// and is brought into the plan view.
#include "model/Define.h"

#include <QDialog>
#include <QPointer>
#include <vector>

class QLineEdit;
class QListView;
class QPushButton;
class QStringListModel;

// What the reach window needs of the plan view; the main window installs it.
class IPlanViewReach
{
public:
    virtual ~IPlanViewReach() = default;
    // Inside the drawn area of the view as it stands.
    virtual bool IsVisible(const TPos& P) const = 0;
    // Re-centred on the point, same zoom.
    virtual void CentreOn(const TPos& P) = 0;
    // The selection mark on the waypoint (nullptr: none).
    virtual void MarkWpt(const TWpt* W) = 0;
    virtual void SetHint(const QString& Text) = 0;
    // The scanned map under the point, when the options choose maps automatically.
    virtual void AutoSelectMap(const TPos& P) = 0;
};

// The name begins with the prefix, ASCII letters compared in upper case.
bool ReachWptMatches(const QString& Name, const QString& Prefix);
// The set's waypoints in alphabetical order without regard to case, equal names in set order.
std::vector<const TWpt*> ReachWptSorted(const TSwp& S);
// The names of the sorted waypoints that match the prefix.
QStringList ReachWptFilterNames(const std::vector<const TWpt*>& Sorted, const QString& Prefix);
// The last waypoint of the set with exactly that name.
TWpt* ReachWptFind(const TSwp& S, const QString& Name);
// "name" or "name  -  comment".
QString ReachWptStatus(const TWpt& W);

class TReachWptForm : public QDialog
{
    Q_OBJECT
public:
    explicit TReachWptForm(QWidget* Parent = nullptr);

    static IPlanViewReach* PlanView;

    QLineEdit* Edit = nullptr;
    QListView* ListBox = nullptr;
    QStringListModel* Names = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* EscBtn = nullptr;

    // Runs the window modally; closes at once without a waypoint set.
    int Execute();
    void ReachWptFilter();
    void OKBtnClick();

protected:
    void showEvent(QShowEvent* E) override;
    void FormActivate();

private:
    void Reach(const QString& Name);
    std::vector<const TWpt*> fSorted;
};

extern QPointer<TReachWptForm> ReachWptForm;
