#include "print/Infoprnf.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTextBlock>
#include <QTextCursor>
#include <QVBoxLayout>

QPointer<TInfoPrnForm> InfoPrnForm;

TInfoPrnForm::TInfoPrnForm(QWidget* Parent) : QDialog(Parent)
{
    setObjectName(QStringLiteral("InfoPrnForm"));
    if (!InfoPrnForm) InfoPrnForm = this;
    // While a page is drawn the events it lets in are for this box (its Esc) only: the other
    // windows must not change what is being printed.
    setWindowModality(Qt::ApplicationModal);
    setFixedSize(273, 85);
    auto* l = new QVBoxLayout(this);
    l->setContentsMargins(6, 6, 6, 6);
    Memo = new QPlainTextEdit(this);
    Memo->setObjectName(QStringLiteral("Memo"));
    Memo->setReadOnly(true);
    Memo->setFrameStyle(QFrame::NoFrame);
    Memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo->setFocusPolicy(Qt::NoFocus);
    Memo->viewport()->setAutoFillBackground(false);
    Memo->setPlainText(QStringLiteral("-\n-"));
    l->addWidget(Memo);
    EscBtn = new QPushButton(this);
    EscBtn->setObjectName(QStringLiteral("EscBtn"));
    EscBtn->setText(QStringLiteral("Annuler"));
    l->addWidget(EscBtn, 0, Qt::AlignHCenter);
    connect(EscBtn, &QPushButton::clicked, this, &TInfoPrnForm::EscBtnClick);
}

TInfoPrnForm::~TInfoPrnForm()
{
    if (InfoPrnForm == this) InfoPrnForm = nullptr;
}

void TInfoPrnForm::EscBtnClick()
{
    if (Job) Job->Abort();
    hide();
}

void TInfoPrnForm::reject()
{
    EscBtnClick();
}

void TInfoPrnForm::ShowProgress(const QString& Text)
{
    Memo->setPlainText(Text);
    for (QTextBlock b = Memo->document()->begin(); b.isValid(); b = b.next()) {
        QTextCursor c(b);
        QTextBlockFormat f = b.blockFormat();
        f.setAlignment(Qt::AlignHCenter);
        c.setBlockFormat(f);
    }
    if (QScreen* s = QApplication::primaryScreen()) move(s->availableGeometry().center() - rect().center());
    show();
    raise();
    activateWindow();
    EscBtn->setFocus();
}

void TInfoPrnForm::CloseProgress()
{
    hide();
}
