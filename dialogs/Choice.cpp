// The choice window.
#include "dialogs/Choice.h"
#include "dialogs/ToolWindow.h"

#include "model/Define.h"
#include "platform/Msg.h"

#include <QFileInfo>
#include <QFrame>
#include <QListWidget>
#include <QPushButton>

QPointer<TChoiceForm> ChoiceForm;

TChoiceForm::TChoiceForm(QWidget* Parent) : QDialog(Parent)
{
    setObjectName(QStringLiteral("ChoiceForm"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
    QFont f = font();
    f.setBold(true);
    setFont(f);
    f.setBold(false);

    Bevel = new QFrame(this);
    Bevel->setFrameShape(QFrame::Box);
    Bevel->setFrameShadow(QFrame::Sunken);
    Bevel->setGeometry(8, 8, 281, 164);
    CancelBtn = new QPushButton(QStringLiteral("Annuler"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    CancelBtn->setToolTip(QStringLiteral("Annule l'ouverture des trajectoires."));
    ListBox = new QListWidget(this);
    ListBox->setObjectName(QStringLiteral("ListBox"));
    ListBox->setGeometry(16, 16, 265, 148);
    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setToolTip(QStringLiteral("Ouvre la trajectoire sélectionnée dans la liste."));
    OKBtn->setDefault(true);
    AllBtn = new QPushButton(QStringLiteral("&Tout"), this);
    AllBtn->setObjectName(QStringLiteral("AllBtn"));
    AllBtn->setToolTip(QStringLiteral("Ouvre toutes les trajectoires indiquées ci-dessus."));
    OKBtn->setGeometry(8, 180, 89, 28);
    AllBtn->setGeometry(104, 180, 89, 28);
    CancelBtn->setGeometry(200, 180, 89, 28);
    for (QWidget* w : std::initializer_list<QWidget*>{ListBox, OKBtn, AllBtn, CancelBtn}) w->setFont(f);
    setTabOrder(CancelBtn, ListBox);
    setTabOrder(ListBox, OKBtn);
    setTabOrder(OKBtn, AllBtn);

    connect(OKBtn, &QPushButton::clicked, this, [this] { done(mrOk); });
    connect(AllBtn, &QPushButton::clicked, this, [this] { done(mrAll); });
    connect(CancelBtn, &QPushButton::clicked, this, [this] { done(mrCancel); });
}

void TChoiceForm::reject()
{
    done(mrCancel);
}

void TChoiceForm::showEvent(QShowEvent* E)
{
    QDialog::showEvent(E);
    FormActivate();
}

void TChoiceForm::FormActivate()
{
    ListBox->setFocus();
    if (ListBox->count() > 0) ListBox->setCurrentRow(0);
    setFixedSize(2 * Bevel->x() + Bevel->width(), OKBtn->y() + OKBtn->height() + Bevel->x());
}

QString FlightChoiceCaption(const QString& FileName)
{
    const QString name = QFileInfo(FileName).fileName();
    return Language == 1 ? QStringLiteral("Track(s) of ") + name + QStringLiteral(" to open :")
                         : QStringLiteral("Trajectoire(s) de ") + name + QStringLiteral(" à ouvrir :");
}

TFlightChoice ChooseFlights(const QString& FileName, const QStringList& Flights)
{
    TFlightChoice c;
    if (Flights.size() <= 1) {
        c.Result = mrAll;
        return c;
    }
    if (Msg::Headless()) {
        // No window to show: the default button, the first flight.
        c.Result = mrOk;
        c.Index = 0;
        return c;
    }
    std::unique_ptr<TChoiceForm> own;
    TChoiceForm* form = ChoiceForm;
    if (!form) {
        own = std::make_unique<TChoiceForm>();
        form = own.get();
    }
    OwnSharedWindow(form, MessageOwner());
    form->ListBox->clear();
    form->ListBox->addItems(Flights);
    form->setWindowTitle(FlightChoiceCaption(FileName));
    c.Result = form->exec();
    if (c.Result != mrOk && c.Result != mrAll) c.Result = mrCancel;
    if (c.Result == mrOk) {
        c.Index = form->ListBox->currentRow();
        if (c.Index < 0) c.Result = mrCancel;
    }
    return c;
}
