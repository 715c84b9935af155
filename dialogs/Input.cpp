// The one-value input window.
#include "dialogs/Input.h"
#include "dialogs/ToolWindow.h"

#include "dialogs/Info.h"
#include "model/Define.h"
#include "platform/Msg.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>

QPointer<TInputForm> InputForm;

TInputForm::TInputForm(QWidget* Parent) : QDialog(Parent)
{
    setObjectName(QStringLiteral("InputForm"));
    Memo = NewMessageMemo(this);
    Memo->setGeometry(10, 8, 250, 2 * Memo->fontMetrics().lineSpacing() + 10);
    const int top = Memo->geometry().bottom() + 6;
    Edit = new QLineEdit(this);
    Edit->setObjectName(QStringLiteral("Edit"));
    Edit->setGeometry(10, top, 170, Edit->sizeHint().height());
    UnitLbl = new QLabel(this);
    UnitLbl->setObjectName(QStringLiteral("UnitLbl"));
    UnitLbl->setGeometry(188, top, 72, Edit->height());
    SpinEdit = new QSpinBox(this);
    SpinEdit->setObjectName(QStringLiteral("SpinEdit"));
    SpinEdit->setRange(0, 19);
    SpinEdit->setGeometry(10, top, 64, Edit->height());
    SpinEdit->hide();
    const int btnTop = top + Edit->height() + 10;
    OkBtn = new QPushButton(QStringLiteral("OK"), this);
    OkBtn->setObjectName(QStringLiteral("OkBtn"));
    OkBtn->setDefault(true);
    OkBtn->setGeometry(10, btnTop, 80, 25);
    EscBtn = new QPushButton(Tr(QStringLiteral("Annuler"), QStringLiteral("Cancel")), this);
    EscBtn->setObjectName(QStringLiteral("EscBtn"));
    EscBtn->setGeometry(180, btnTop, 80, 25);
    connect(OkBtn, &QPushButton::clicked, this, [this] { done(mrOk); });
    connect(EscBtn, &QPushButton::clicked, this, [this] { done(mrCancel); });
    FormActivate();
}

void TInputForm::WidenEdit()
{
    FormActivate();
    Edit->setGeometry(10, Edit->y(), width() - 20, Edit->height());
    UnitLbl->hide();
}

void TInputForm::reject()
{
    done(mrCancel);
}

void TInputForm::showEvent(QShowEvent* E)
{
    QDialog::showEvent(E);
    FormActivate();
    if (Edit->isVisible()) {
        Edit->setFocus();
        Edit->selectAll();
    } else if (SpinEdit->isVisible()) {
        SpinEdit->setFocus();
    }
}

void TInputForm::FormActivate()
{
    setFixedSize(EscBtn->geometry().right() + 1 + OkBtn->x(), OkBtn->geometry().bottom() + 1 + 5);
}

bool InputWindowQuery(const QString& Caption, const QString& Prompt, QString& Value)
{
    TInputForm form(MessageOwner());
    form.setWindowTitle(Caption);
    form.Memo->setPlainText(MsgLines(Prompt));
    form.Edit->setText(Value);
    form.WidenEdit();
    if (form.exec() != mrOk) return false;
    Value = form.Edit->text();
    return true;
}

bool InputWindowNumber(const QString& Caption, const QString& Prompt, int& Value)
{
    TInputForm form(MessageOwner());
    form.setWindowTitle(Caption);
    form.Memo->setPlainText(MsgLines(Prompt));
    form.Edit->hide();
    form.UnitLbl->hide();
    form.SpinEdit->setValue(Value);
    form.SpinEdit->show();
    if (form.exec() != mrOk) return false;
    Value = form.SpinEdit->value();
    return true;
}
