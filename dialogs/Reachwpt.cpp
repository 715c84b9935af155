// Reaching a waypoint by name.
#include "dialogs/Reachwpt.h"

#include "model/ModelUi.h"
#include "model/Options.h"
#include "platform/Beep.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QShowEvent>
#include <QStringListModel>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

QPointer<TReachWptForm> ReachWptForm;
IPlanViewReach* TReachWptForm::PlanView = nullptr;

namespace {

ushort AsciiUpper(ushort c)
{
    return (c >= 'a' && c <= 'z') ? ushort(c - 32) : c;
}

} // namespace

bool ReachWptMatches(const QString& Name, const QString& Prefix)
{
    if (Name.size() < Prefix.size()) return false;
    for (qsizetype i = 0; i < Prefix.size(); ++i)
        if (AsciiUpper(Name[i].unicode()) != AsciiUpper(Prefix[i].unicode())) return false;
    return true;
}

std::vector<const TWpt*> ReachWptSorted(const TSwp& S)
{
    std::vector<const TWpt*> v;
    v.reserve(S.Count);
    for (const TWpt* W = S.First; W; W = W->Next) v.push_back(W);
    std::stable_sort(v.begin(), v.end(), [](const TWpt* a, const TWpt* b) {
        return QString::compare(a->Name, b->Name, Qt::CaseInsensitive) < 0;
    });
    return v;
}

QStringList ReachWptFilterNames(const std::vector<const TWpt*>& Sorted, const QString& Prefix)
{
    QStringList out;
    out.reserve(qsizetype(Sorted.size()));
    for (const TWpt* W : Sorted)
        if (ReachWptMatches(W->Name, Prefix)) out.append(W->Name);
    return out;
}

TWpt* ReachWptFind(const TSwp& S, const QString& Name)
{
    TWpt* found = nullptr;
    for (TWpt* W = S.First; W; W = W->Next)
        if (W->Name == Name) found = W;
    return found;
}

QString ReachWptStatus(const TWpt& W)
{
    return W.Comment.isEmpty() ? W.Name : W.Name + QStringLiteral("  -  ") + W.Comment;
}

TReachWptForm::TReachWptForm(QWidget* Parent) : QDialog(Parent, Qt::Dialog)
{
    setObjectName(QStringLiteral("ReachWptForm"));
    setModal(true);
    setWindowTitle(QStringLiteral("Atteindre way-point"));
    Edit = new QLineEdit(this);
    Edit->setObjectName(QStringLiteral("Edit"));
    Names = new QStringListModel(this);
    ListBox = new QListView(this);
    ListBox->setObjectName(QStringLiteral("ListBox"));
    ListBox->setModel(Names);
    ListBox->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListBox->setUniformItemSizes(true);
    ListBox->setFixedWidth(220);
    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setDefault(true);
    EscBtn = new QPushButton(QStringLiteral("Annuler"), this);
    EscBtn->setObjectName(QStringLiteral("EscBtn"));
    connect(Edit, &QLineEdit::textChanged, this, &TReachWptForm::ReachWptFilter);
    connect(OKBtn, &QPushButton::clicked, this, &TReachWptForm::OKBtnClick);
    connect(EscBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(ListBox, &QListView::doubleClicked, this, &TReachWptForm::OKBtnClick);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(OKBtn);
    buttons->addWidget(EscBtn);
    auto* lay = new QVBoxLayout(this);
    lay->addWidget(Edit);
    lay->addWidget(ListBox);
    lay->addLayout(buttons);
}

int TReachWptForm::Execute()
{
    if (!Swp) return QDialog::Rejected;
    return exec();
}

void TReachWptForm::showEvent(QShowEvent* E)
{
    QDialog::showEvent(E);
    if (!E->spontaneous()) FormActivate();
}

void TReachWptForm::FormActivate()
{
    Edit->setFixedHeight(fontMetrics().height() + 8);
    if (!Swp) {
        QTimer::singleShot(0, this, &QDialog::reject);
        return;
    }
    fSorted = ReachWptSorted(*Swp);
    const QSignalBlocker block(Edit);
    Edit->clear();
    Edit->setFocus();
    ReachWptFilter();
}

void TReachWptForm::ReachWptFilter()
{
    Names->setStringList(ReachWptFilterNames(fSorted, Edit->text()));
}

void TReachWptForm::OKBtnClick()
{
    const QStringList names = Names->stringList();
    const QModelIndex sel = ListBox->currentIndex();
    const bool selected = sel.isValid() && ListBox->selectionModel()->isSelected(sel);
    if (names.size() != 1 && !selected) {
        Beep();
    } else {
        Reach(names.size() == 1 ? names.front() : sel.data().toString());
    }
    accept();
}

void TReachWptForm::Reach(const QString& Name)
{
    if (!Swp) return;
    TWpt* W = ReachWptFind(*Swp, Name);
    if (!W) return;
    Swp->SelWpt = W;
    if (PlanView) {
        if (!PlanView->IsVisible(*W)) PlanView->CentreOn(*W);
        PlanView->MarkWpt(W);
    }
    const QString status = ReachWptStatus(*W);
    ShowStatus(status);
    if (PlanView) {
        PlanView->SetHint(status);
        if (Opt && Opt->AutoSelectionCarte) PlanView->AutoSelectMap(*W);
    }
}
