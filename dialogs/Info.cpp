// The message window.
#include "dialogs/Info.h"
#include "dialogs/ToolWindow.h"

#include "dialogs/Input.h"
#include "model/Define.h"

#include <QHBoxLayout>
#include <QLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTextLayout>
#include <QVBoxLayout>
#include <QtMath>
#include <algorithm>

QPointer<TInfoForm> InfoForm;

namespace {

struct TBtn
{
    int Button;
    int Result;
    const char* Fr;
    const char* En;
};

// In the order the buttons are shown.
const TBtn kBtns[] = {
    {mbYes, mrYes, "&Oui", "&Yes"},
    {mbNo, mrNo, "&Non", "&No"},
    {mbOK, mrOk, "OK", "OK"},
    {mbCancel, mrCancel, "Annuler", "Cancel"},
    {mbAbort, mrAbort, "&Abandonner", "&Abort"},
    {mbRetry, mrRetry, "&Réessayer", "&Retry"},
    {mbIgnore, mrIgnore, "&Ignorer", "&Ignore"},
    {mbAll, mrAll, "&Tous", "&All"},
    {mbNoToAll, mrNoToAll, "N&on à tout", "N&o to All"},
    {mbYesToAll, mrYesToAll, "Oui à t&out", "Yes to &All"},
};

int KnownButtons(int Buttons)
{
    int all = 0;
    for (const TBtn& b : kBtns) all |= b.Button;
    Buttons &= all;
    return Buttons == 0 ? int(mbOK) : Buttons;
}

} // namespace

QString MsgLines(QString Text)
{
    Text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    Text.replace(u'\r', u'\n');
    return Text;
}

QString MsgCaption(TMsgType Type)
{
    switch (Type) {
    case TMsgType::Warning:
        return Tr(QStringLiteral("Avertissement"), QStringLiteral("Warning"));
    case TMsgType::Error:
        return Tr(QStringLiteral("Erreur"), QStringLiteral("Error"));
    case TMsgType::Confirmation:
        return Tr(QStringLiteral("Confirmation"), QStringLiteral("Confirm"));
    case TMsgType::Information:
        break;
    }
    return QStringLiteral("Information");
}

int MsgCancelAnswer(int Buttons)
{
    Buttons = KnownButtons(Buttons);
    if (Buttons & mbCancel) return mrCancel;
    if (Buttons & mbNo) return mrNo;
    if (Buttons & mbOK) return mrOk;
    return mrCancel;
}

QPlainTextEdit* NewMessageMemo(QWidget* Parent)
{
    auto* memo = new QPlainTextEdit(Parent);
    memo->setObjectName(QStringLiteral("Memo"));
    memo->setReadOnly(true);
    memo->setFrameShape(QFrame::NoFrame);
    memo->setFocusPolicy(Qt::NoFocus);
    memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    QPalette pal = memo->palette();
    pal.setColor(QPalette::Base, pal.color(QPalette::Window));
    memo->setPalette(pal);
    return memo;
}

TInfoForm::TInfoForm(QWidget* Parent) : QDialog(Parent)
{
    setObjectName(QStringLiteral("InfoForm"));
    setWindowTitle(QStringLiteral("Information"));
    setWindowFlags(Qt::Dialog | Qt::WindowStaysOnTopHint);
    Memo = NewMessageMemo(this);
    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setToolTip(Tr(QStringLiteral("Ferme cette fenêtre d'information."),
                         QStringLiteral("Closes this information window.")));
    OKBtn->setDefault(true);
    auto* v = new QVBoxLayout(this);
    v->addWidget(Memo, 1);
    fButtonRow = new QHBoxLayout;
    fButtonRow->addStretch(1);
    fButtonRow->addWidget(OKBtn);
    fButtonRow->addStretch(1);
    v->addLayout(fButtonRow);
    connect(OKBtn, &QPushButton::clicked, this, [this] { done(mrOk); });
    resize(320, 140);
}

void TInfoForm::SetText(const QString& Text)
{
    const QString t = MsgLines(Text);
    Memo->setPlainText(t);
    // As wide and as tall as the text, within the screen: a longer line wraps, a longer text
    // scrolls.
    QSize screen(1024, 768);
    if (const QScreen* s = this->screen()) screen = s->availableGeometry().size();
    const QFontMetrics fm(Memo->font());
    const int margins = 2 * qCeil(Memo->document()->documentMargin()) + 2 * Memo->frameWidth() + 4;
    int w = 0;
    for (const QString& l : t.split(u'\n')) w = std::max(w, fm.horizontalAdvance(l));
    const int maxW = std::max(240, screen.width() * 3 / 4);
    const bool wrap = w + margins > maxW;
    Memo->setLineWrapMode(wrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
    const int width = std::clamp(w + margins, 240, maxW);
    // Lines as the memo breaks them.
    int lines = 0;
    QTextOption opt;
    opt.setWrapMode(wrap ? QTextOption::WrapAtWordBoundaryOrAnywhere : QTextOption::NoWrap);
    for (const QString& p : t.split(u'\n')) {
        QTextLayout tl(p, Memo->font());
        tl.setTextOption(opt);
        tl.beginLayout();
        for (QTextLine line = tl.createLine(); line.isValid(); line = tl.createLine()) {
            line.setLineWidth(width - margins);
            ++lines;
        }
        tl.endLayout();
    }
    const int textH = std::max(1, lines) * fm.lineSpacing();
    const int maxH = std::max(2 * fm.lineSpacing(), screen.height() / 2);
    Memo->setMinimumWidth(width);
    Memo->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    Memo->setFixedHeight(std::min(textH + margins, maxH));
    // Not adjustSize(): it makes a window at least 100 pixels high.
    layout()->activate();
    resize(sizeHint());
}

void TInfoForm::ShowText(const QString& Text)
{
    for (QPushButton* b : fExtra) delete b;
    fExtra.clear();
    OKBtn->show();
    fCancel = mrOk;
    SetText(Text);
    show();
    raise();
}

void TInfoForm::SetMessage(const QString& Text, TMsgType Type, int Buttons, const QString& Caption)
{
    for (QPushButton* b : fExtra) delete b;
    fExtra.clear();
    setWindowTitle(Caption.isEmpty() ? MsgCaption(Type) : Caption);
    Buttons = KnownButtons(Buttons);
    const int def = Msg::DefaultAnswer(Buttons);
    fCancel = MsgCancelAnswer(Buttons);
    OKBtn->setVisible((Buttons & mbOK) != 0);
    int at = 1; // after the leading stretch
    for (const TBtn& b : kBtns) {
        if (!(Buttons & b.Button)) continue;
        QPushButton* p = OKBtn;
        if (b.Button != mbOK) {
            p = new QPushButton(QString::fromUtf8(Language == 1 ? b.En : b.Fr), this);
            fButtonRow->insertWidget(at, p);
            fExtra << p;
            const int result = b.Result;
            connect(p, &QPushButton::clicked, this, [this, result] { done(result); });
        } else {
            // OK keeps its place among the others.
            fButtonRow->removeWidget(OKBtn);
            fButtonRow->insertWidget(at, OKBtn);
        }
        p->setDefault(b.Result == def);
        p->setAutoDefault(b.Result == def);
        if (b.Result == def) p->setFocus();
        ++at;
    }
    SetText(Text);
}

QList<QPushButton*> TInfoForm::Buttons() const
{
    QList<QPushButton*> out;
    for (int i = 0; i < fButtonRow->count(); ++i)
        if (auto* b = qobject_cast<QPushButton*>(fButtonRow->itemAt(i)->widget()))
            if (!b->isHidden()) out << b;
    return out;
}

void TInfoForm::reject()
{
    done(fCancel);
}

int ShowMessageWindow(const QString& Text, TMsgType Type, int Buttons, const QString& Caption)
{
    // Above the window that asks, whatever that window's own place.
    QWidget* owner = MessageOwner();
    TInfoForm form(owner);
    if (owner) form.setWindowFlag(Qt::WindowStaysOnTopHint, false);
    form.SetMessage(Text, Type, Buttons, Caption);
    const int r = form.exec();
    return r == 0 ? form.CancelResult() : r;
}

void InstallMessageWindows()
{
    Msg::SetHandler([](const QString& Text, TMsgType Type, int Buttons, const QString& Caption) {
        return ShowMessageWindow(Text, Type, Buttons, Caption);
    });
    Msg::SetInputHandler([](const QString& Caption, const QString& Prompt, QString& Value) {
        return InputWindowQuery(Caption, Prompt, Value);
    });
}

void UninstallMessageWindows()
{
    Msg::SetHandler(nullptr);
    Msg::SetInputHandler(nullptr);
}
