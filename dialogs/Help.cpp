#include "dialogs/Help.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QVBoxLayout>

QPointer<THelpForm> HelpForm;

QString MapHelpText()
{
    static const char* const Lines[] = {
        "Il est possible d'afficher une carte scannée en fond de la vue en plan de Zephalon, cependant cette "
        "possibilité nécessite une configuration du PC plus performante, que pour les autres fonctions de "
        "Zephalon.",
        "",
        "La précision d'affichage des données (way-points, trajectoires) sur le fond de carte, dépend "
        "beaucoup du soin apporté aux opérations suivantes :",
        "",
        "1) La carte doit être scannée, puis enregistrée au format JPEG, JPG, BMP ou WMF.",
        "Les méridiens doivent être le plus possible horizontaux (et les parallèles le plus possible "
        "verticaux).",
        "Il faut trouver un compromis, entre la qualité de l'image de la carte, et la dimension du fichier "
        "de l'image. Pour une carte au format A4, une résolution de 150 dpi en 256 couleurs donne de bons "
        "résultats, avec un fichier *.bmp d'environ 2 Mo.",
        "",
        "2) La carte doit ensuite être définie dans Zephalon.",
        "Cliquer sur le bouton \"ajouter\" de la fenêtre de sélection des cartes.",
        "Sélectionner le fichier image de la carte.",
        "La carte est alors affichée dans la fenêtre de définition.",
        "",
        "3) Il faut alors cliquer dans chacun des 4 secteurs de la carte, sur des points dont la position "
        "est connue avec une grande précision. Ces 4 points doivent être éloignés le plus possible les uns "
        "des autres.",
        "Pour obtenir les meilleurs résultats, les 2 points du haut doivent être situés sur un même "
        "parallèle et les 2 du bas sur un autre parallèle. De même pour ceux de gauche et de droite qui "
        "doivent être sur les mêmes méridiens.",
        "L'idéal est de cliquer à l'intersection des méridiens et parallèles situés les plus prêts des bords "
        "de la carte.",
        "",
        "4) La courbure des méridiens peut ensuite être définie. Cliquer sur le bouton correspondant, puis "
        "sur 3 points d'un même méridien, éloignés le plus possible les uns des autres. Procéder de même "
        "pour les parallèles.",
        "",
        "5) Vérifier que les coordonnées, affichées dans le haut de la fenêtre lorsque l'on bouge la souris, "
        "sont exactes. Si ce n'est pas le cas, recommencer les opérations 3 et 4.",
        "Lorsque ces coordonnées sont correctes, cliquer sur \"OK\".",
        "Un fichier *.ini du même nom que la carte est alors créé (dans le même répertoire), et les "
        "informations de définition de la carte nécessaires à Zephalon y sont stockées. Un commentaire peut "
        "être ajouté à ce stade.",
        "",
        "6) Donner un nom à cette carte. C'est ce nom qui apparaîtra dans la liste des cartes disponibles.",
        "",
        "7) Sélectionner la carte à afficher et cliquer sur \"OK\" pour fermer la fenêtre de sélection des "
        "cartes.",
        "",
        "Nota 1 : lorsque des cartes sont déplacées d'un répertoire à un autre ou d'un ordinateur à un "
        "autre, il faut copier le fichier *.ini avec le fichier image de la carte.",
        "Lors de la réinstallation de cette carte, la définition est ainsi conservée. Il suffit deprocéder "
        "aux étapes 2, 5 et 6 (les étapes 3 et 4 ne sont pas nécessaires si la définition est correcte).",
        "",
        "Nota 2 : les cartes Jeppesen peuvent être importées facilement en copiant, en plus du fichier "
        "*.bmp, le fichier de calibrage *.map dans le même répertoire. Les étapes 1, 3 et 4 sont ainsi "
        "supprimées.",
    };
    QStringList out;
    for (const char* l : Lines) out << QString::fromUtf8(l);
    return out.join(QStringLiteral("\r\n"));
}

THelpForm::THelpForm(QWidget* Parent) : QDialog(Parent)
{
    setObjectName(QStringLiteral("HelpForm"));
    setWindowTitle(QStringLiteral("Aide de Zephalon"));
    setWindowFlags(Qt::Dialog | Qt::WindowCloseButtonHint);
    Memo = new QPlainTextEdit(this);
    Memo->setObjectName(QStringLiteral("Memo"));
    Memo->setReadOnly(true);
    Memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    BottomPanel = new QWidget(this);
    BottomPanel->setObjectName(QStringLiteral("BottomPanel"));
    OKBtn = new QPushButton(QStringLiteral("OK"), BottomPanel);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setToolTip(QStringLiteral("Ferme cette fenêtre d'aide de Zephalon."));
    OKBtn->setDefault(true);
    auto* bottom = new QHBoxLayout(BottomPanel);
    bottom->addStretch();
    bottom->addWidget(OKBtn);
    bottom->addStretch();
    auto* main = new QVBoxLayout(this);
    main->setContentsMargins(0, 0, 0, 0);
    main->addWidget(Memo, 1);
    main->addWidget(BottomPanel);
    resize(600, 420);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
}

void THelpForm::showEvent(QShowEvent* E)
{
    QDialog::showEvent(E);
    if (!E->spontaneous()) FormActivate();
}

void THelpForm::FormActivate()
{
    Memo->setPlainText(MapHelpText().replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    if (QScreen* s = screen()) {
        QRect r = geometry();
        r.moveCenter(s->availableGeometry().center());
        move(r.topLeft());
    }
}
