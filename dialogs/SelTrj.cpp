// The trace-part selection.
#include "dialogs/SelTrj.h"

#include "model/ModelUi.h"
#include "model/Texts.h"
#include "platform/Beep.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>

QPointer<TTrjSel> TrjSel;

QString TrjSelTimeText(const TTrj& T, const TRec* R)
{
    if (!R) return QStringLiteral(" ");
    return QStringLiteral(" ") + TimeToHms(R->Time + T.TimeLoc * TimeUnitsPerHour) + QStringLiteral(" LOC ");
}

bool TrjHoldsRec(const TTrj& T, const TRec* R)
{
    if (!R) return false;
    for (const TRec* r = T.First; r; r = r->Next)
        if (r == R) return true;
    return false;
}

TTrjSel::TTrjSel(QWidget* Parent) : QDialog(Parent, Qt::Dialog)
{
    setObjectName(QStringLiteral("TrjSel"));
    setModal(false);
    setWindowTitle(QStringLiteral("Sélection d'une partie de trajectoire"));
    const auto button = [this](QPushButton*& b, const char* name, const char* text) {
        b = new QPushButton(QString::fromUtf8(text), this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
    };
    button(DebBtn, "DebBtn", "&Début");
    button(FinBtn, "FinBtn", "&Fin");
    button(ToutBtn, "ToutBtn", "&Toute la traj.");
    button(OKBtn, "OKBtn", "OK");
    button(EscBtn, "EscBtn", "Annuler");
    DebLbl = new QLabel(this);
    DebLbl->setObjectName(QStringLiteral("DebLbl"));
    FinLbl = new QLabel(this);
    FinLbl->setObjectName(QStringLiteral("FinLbl"));
    auto* g = new QGridLayout(this);
    g->addWidget(DebBtn, 0, 0);
    g->addWidget(DebLbl, 0, 1);
    g->addWidget(FinBtn, 1, 0);
    g->addWidget(FinLbl, 1, 1);
    g->addWidget(ToutBtn, 2, 0, 1, 2);
    g->addWidget(OKBtn, 3, 0);
    g->addWidget(EscBtn, 3, 1);
    connect(DebBtn, &QPushButton::clicked, this, &TTrjSel::DebBtnClick);
    connect(FinBtn, &QPushButton::clicked, this, &TTrjSel::FinBtnClick);
    connect(ToutBtn, &QPushButton::clicked, this, &TTrjSel::ToutBtnClick);
    connect(OKBtn, &QPushButton::clicked, this, &TTrjSel::OKBtnClick);
    connect(EscBtn, &QPushButton::clicked, this, &QDialog::reject);
}

void TTrjSel::showEvent(QShowEvent* E)
{
    QDialog::showEvent(E);
    if (!E->spontaneous()) FormActivate();
}

void TTrjSel::FormActivate()
{
    fTrj = Trj;
    SelStart = Trj ? (Trj->SelFirst ? Trj->SelFirst : Trj->First) : nullptr;
    SelEnd = Trj ? (Trj->SelLast ? Trj->SelLast : Trj->Last) : nullptr;
    WriteLabels();
}

void TTrjSel::WriteLabels()
{
    DebLbl->setText(fTrj ? TrjSelTimeText(*fTrj, SelStart) : QStringLiteral(" "));
    FinLbl->setText(fTrj ? TrjSelTimeText(*fTrj, SelEnd) : QStringLiteral(" "));
}

bool TTrjSel::Current()
{
    if (!isVisible()) return false;
    if (!Trj || !Trj->First) {
        fTrj = nullptr;
        SelStart = SelEnd = nullptr;
        reject();
        return false;
    }
    if (fTrj != Trj || !TrjHoldsRec(*Trj, SelStart) || !TrjHoldsRec(*Trj, SelEnd)) FormActivate();
    return true;
}

void TTrjSel::TraceChanged()
{
    Current();
}

void TTrjSel::DebBtnClick()
{
    if (!Current()) return;
    TRec* cur = Trj->CurRec;
    if (cur && TrjHoldsRec(*Trj, cur) && cur->Time < SelEnd->Time) {
        SelStart = cur;
        WriteLabels();
    } else {
        Beep();
    }
}

void TTrjSel::FinBtnClick()
{
    if (!Current()) return;
    TRec* cur = Trj->CurRec;
    if (cur && TrjHoldsRec(*Trj, cur) && SelStart->Time < cur->Time) {
        SelEnd = cur;
        WriteLabels();
    } else {
        Beep();
    }
}

void TTrjSel::ToutBtnClick()
{
    if (!Current()) return;
    SelStart = Trj->First;
    SelEnd = Trj->Last;
    WriteLabels();
}

void TTrjSel::OKBtnClick()
{
    if (!Current()) return;
    if (SelStart->Time < SelEnd->Time) {
        Trj->SelFirst = SelStart;
        Trj->SelLast = SelEnd;
        Trj->ComputeBounds();
    } else {
        Beep();
    }
    accept();
    RefreshViews();
}
