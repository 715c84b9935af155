// The waypoint editor.
#include "dialogs/Editwpt.h"

#include "model/Options.h"
#include "model/Texts.h"
#include "platform/MaskEdit.h"
#include "platform/Msg.h"
#include "platform/Numbers.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

QPointer<TWptEdit> WptEdit;

namespace {

bool FeetOpt()
{
    return Opt && Opt->UniteAltitude == 1;
}

} // namespace

QString WptAltMask(bool Feet)
{
    return Feet ? QStringLiteral("#0000 Ft;1;_") : QStringLiteral("#000 m;1;_");
}

bool WptEditRead(const TWptEditTexts& T, bool Feet, TWptBase& W)
{
    bool ok = true;
    W.Name = T.Name.left(WptNameLen);
    if (W.Name.isEmpty()) ok = false;
    if (!ParseLat(T.Lati, W.Lat)) ok = false;
    if (!ParseLon(T.Long, W.Lon)) ok = false;
    // Every position of the altitude must be typed: a blank one makes another number.
    const QString mask = WptAltMask(Feet);
    const QString digits = T.Alti.left(Feet ? 5 : 4);
    if (!MaskTextComplete(mask, T.Alti) || digits.contains(QLatin1Char(' ')) ||
        digits.contains(QLatin1Char('_'))) {
        ok = false;
    } else {
        const auto v = StrToIntC(digits);
        if (!v || digits.endsWith(QLatin1Char('-')) || digits.indexOf(QLatin1Char('-'), 1) > 0)
            ok = false;
        else
            W.Alt = Feet ? Round(double(*v) * 0.3048) : int32(*v);
    }
    W.Attr = StrToWptAttr(T.Attr);
    W.Comment = T.Cmnt.left(WptCommentLen);
    return ok;
}

bool WptEditAppend(const TWptBase& W)
{
    if (!Swp) {
        // A waypoint created without a set starts a new, unnamed one.
        NewSwp();
        if (Opt) Opt->FichWayPoints.clear();
    }
    if (Swp->Count >= MaxListCount) {
        MessageDlg(Tr(QStringLiteral("Nombre maximum de balises atteint (65535)."),
                      QStringLiteral("Maximum number of waypoints reached (65535).")),
                   TMsgType::Error, mbOK);
        return false;
    }
    auto w = std::make_unique<TWpt>();
    static_cast<TWptBase&>(*w) = W;
    if (!Swp->AddWpt(w)) return false;
    Swp->Modified = true;
    return true;
}

TWptEdit::TWptEdit(QWidget* Parent) : QDialog(Parent)
{
    setObjectName(QStringLiteral("WptEdit"));
    setModal(true);
    setWindowTitle(QStringLiteral("Création way-point"));
    auto* form = new QFormLayout;
    const auto row = [&](QLabel*& lbl, QLineEdit*& edit, const char* lname, const char* ename,
                         const char* text) {
        lbl = new QLabel(QString::fromUtf8(text), this);
        lbl->setObjectName(QLatin1String(lname));
        edit = new QLineEdit(this);
        edit->setObjectName(QLatin1String(ename));
        lbl->setBuddy(edit);
        form->addRow(lbl, edit);
    };
    row(NameLbl, NameEdit, "NameLbl", "NameEdit", "Nom");
    row(LatiLbl, LatiEdit, "LatiLbl", "LatiEdit", "Latitude");
    row(LongLbl, LongEdit, "LongLbl", "LongEdit", "Longitude");
    row(AltiLbl, AltiEdit, "AltiLbl", "AltiEdit", "Altitude");
    row(AttrLbl, AttrEdit, "AttrLbl", "AttrEdit", "Type(s)");
    row(CmntLbl, CmntEdit, "CmntLbl", "CmntEdit", "Commentaire");
    NameEdit->setMaxLength(WptNameLen);
    CmntEdit->setMaxLength(WptCommentLen);
    connect(AttrEdit, &QLineEdit::textEdited, this, [this](const QString& t) {
        if (t != t.toUpper()) {
            const int pos = AttrEdit->cursorPosition();
            AttrEdit->setText(t.toUpper());
            AttrEdit->setCursorPosition(pos);
        }
    });
    connect(AttrEdit, &QLineEdit::editingFinished, this, &TWptEdit::AttrEditExit);
    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setDefault(true);
    EscBtn = new QPushButton(QStringLiteral("Annuler"), this);
    EscBtn->setObjectName(QStringLiteral("EscBtn"));
    connect(OKBtn, &QPushButton::clicked, this, &TWptEdit::OKBtnClick);
    connect(EscBtn, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKBtn);
    buttons->addWidget(EscBtn);
    auto* lay = new QVBoxLayout(this);
    lay->addLayout(form);
    lay->addLayout(buttons);
}

TWptEditTexts TWptEdit::Texts() const
{
    return {NameEdit->text(), LatiEdit->text(), LongEdit->text(),
            AltiEdit->text(), AttrEdit->text(), CmntEdit->text()};
}

void TWptEdit::AttrEditExit()
{
    AttrEdit->setText(WptAttrToStr(StrToWptAttr(AttrEdit->text())));
}

void TWptEdit::OKBtnClick()
{
    AttrEditExit();
    TWptBase w;
    const TWptEditTexts t = Texts();
    if (!WptEditRead(t, FeetOpt(), w)) {
        ShowMessage(
            Tr(QStringLiteral("Données saisies non valides."), QStringLiteral("Invalid data entered.")));
        return;
    }
    // A coordinate left as shown keeps the exact position it was made from, not its rounded text.
    if (t.Lati == LatiToStr(NewLati)) w.Lat = NewLati;
    if (t.Long == LongToStr(NewLong)) w.Lon = NewLong;
    if (!WptEditAppend(w)) return;
    accept();
}

void TWptEdit::showEvent(QShowEvent* E)
{
    QDialog::showEvent(E);
    if (!E->spontaneous()) FormActivate();
}

void TWptEdit::FormActivate()
{
    const int h = fontMetrics().height() + 8;
    for (QLineEdit* e : {NameEdit, LatiEdit, LongEdit, AltiEdit, AttrEdit, CmntEdit}) e->setFixedHeight(h);
    const bool feet = FeetOpt();
    LatiEdit->setInputMask(MaskToQtInputMask(LatMask()));
    LongEdit->setInputMask(MaskToQtInputMask(LonMask()));
    AltiEdit->setInputMask(MaskToQtInputMask(WptAltMask(feet)));
    AltiEdit->setText(feet ? QStringLiteral("00000 Ft") : QStringLiteral("0000 m"));
    NameEdit->clear();
    CmntEdit->clear();
    LatiEdit->setText(LatiToStr(NewLati));
    LongEdit->setText(LongToStr(NewLong));
    AttrEdit->setText(QStringLiteral("T"));
    NameEdit->setFocus();
}
