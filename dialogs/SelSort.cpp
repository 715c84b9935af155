// The sort-order choice.
#include "dialogs/SelSort.h"

#include "platform/Msg.h"

#include <QAbstractItemModel>
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>

QPointer<TSortSel> SortSel;

QStringList SortTitles(const QAbstractItemModel* Grid)
{
    QStringList titles;
    if (!Grid) return titles;
    for (int c = 1; c < Grid->columnCount(); ++c)
        titles << Grid->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
    return titles;
}

int SortColumn(int SelectedEntry, int InitCol)
{
    return SelectedEntry < 0 ? InitCol : SelectedEntry + 1;
}

TSortSel::TSortSel(QWidget* Parent) : QDialog(Parent)
{
    setObjectName(QStringLiteral("SortSel"));
    setWindowTitle(QStringLiteral("Tri"));
    Memo = new QPlainTextEdit(this);
    Memo->setObjectName(QStringLiteral("Memo"));
    Memo->setReadOnly(true);
    Memo->setFocusPolicy(Qt::NoFocus);
    Memo->setFrameShape(QFrame::NoFrame);
    QPalette pal = Memo->palette();
    pal.setColor(QPalette::Base, pal.color(QPalette::Window));
    Memo->setPalette(pal);
    Memo->setPlainText(
        QStringLiteral("Remarque : Pour trier plus rapidement, cliquer directement sur n'importe "
                       "quelle entête de colonne du tableau."));
    Memo->setGeometry(8, 8, 288, 52);
    SortLbl = new QLabel(QStringLiteral("Tri p&ar"), this);
    SortLbl->setObjectName(QStringLiteral("SortLbl"));
    SortBox = new QComboBox(this);
    SortBox->setObjectName(QStringLiteral("SortBox"));
    SortBox->setToolTip(QStringLiteral("Colonne utilisée pour le tri."));
    SortLbl->setBuddy(SortBox);
    const int boxH = SortBox->sizeHint().height();
    SortLbl->setGeometry(8, 68, 56, boxH);
    SortBox->setGeometry(64, 68, 232, boxH);
    const int btnTop = 68 + boxH + 12;
    NormSortBtn = new QPushButton(QStringLiteral("&Tri <"), this);
    NormSortBtn->setObjectName(QStringLiteral("NormSortBtn"));
    NormSortBtn->setToolTip(
        QStringLiteral("Trie le tableau par ordre croissant suivant la colonne sélectionnée ci-dessus."));
    NormSortBtn->setDefault(true);
    DecreaseBtn = new QPushButton(QStringLiteral("T&ri >"), this);
    DecreaseBtn->setObjectName(QStringLiteral("DecreaseBtn"));
    DecreaseBtn->setToolTip(
        QStringLiteral("Trie le tableau par ordre décroissant suivant la colonne sélectionnée ci-dessus."));
    EscBtn = new QPushButton(QStringLiteral("Annuler"), this);
    EscBtn->setObjectName(QStringLiteral("EscBtn"));
    EscBtn->setToolTip(QStringLiteral("Quitte cette fenêtre sans effectuer de classement"));
    NormSortBtn->setGeometry(8, btnTop, 88, 25);
    DecreaseBtn->setGeometry(104, btnTop, 88, 25);
    EscBtn->setGeometry(200, btnTop, 88, 25);
    connect(NormSortBtn, &QPushButton::clicked, this, [this] { Choose(0); });
    connect(DecreaseBtn, &QPushButton::clicked, this, [this] { Choose(1); });
    connect(EscBtn, &QPushButton::clicked, this, [this] { done(mrCancel); });
    setFixedSize(NormSortBtn->x() + EscBtn->x() + EscBtn->width(), EscBtn->geometry().bottom() + 1 + 10);
}

void TSortSel::reject()
{
    done(mrCancel);
}

void TSortSel::showEvent(QShowEvent* E)
{
    QDialog::showEvent(E);
    FormActivate();
}

void TSortSel::FormActivate()
{
    SortBox->clear();
    SortBox->addItems(SortTitles(Grid ? Grid->model() : nullptr));
    SortBox->setCurrentIndex(InitCol - 1 < SortBox->count() ? InitCol - 1 : -1);
}

void TSortSel::Choose(uint8 Desc)
{
    SortCol = SortColumn(SortBox->currentIndex(), InitCol);
    Descending = Desc;
    done(mrOk);
}
