#include "dialogs/Reachmap.h"

#include "dialogs/Help.h"
#include "dialogs/Inimap.h"
#include "dialogs/ToolWindow.h"
#include "files/MapCal.h"
#include "files/MapLoad.h"
#include "files/RecFile.h"
#include "model/ModelUi.h"
#include "model/Options.h"
#include "platform/Msg.h"

#include <QButtonGroup>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <cstdlib>

QPointer<TReachMapForm> ReachMapForm;
std::function<void()> TReachMapForm::FitToMap;
std::function<QRect()> TReachMapForm::CalibrationPlace;

namespace {

const QString NameBoxTitle = QStringLiteral("Entrée nom Carte");
const QString NameBoxPrompt = QStringLiteral("Indiquer le nom de la carte ");

QString SelectCaption(const QString& Name)
{
    return QStringLiteral("Sélection carte de fond [%1]").arg(Name);
}

void Warn(const QString& Text)
{
    MessageDlg(Text, TMsgType::Warning, mbOK);
}

bool IsFile(const QString& Path)
{
    return !Path.isEmpty() && QFileInfo(Path).isFile();
}

} // namespace

TReachMapForm::TReachMapForm(QWidget* Parent) : QDialog(Parent)
{
    setObjectName(QStringLiteral("ReachMapForm"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowCloseButtonHint);
    const auto button = [this](const char* name, const char* text, const char* hint, QRect r) {
        auto* b = new QPushButton(QString::fromUtf8(text), this);
        b->setObjectName(QLatin1String(name));
        b->setToolTip(QString::fromUtf8(hint));
        b->setGeometry(r);
        b->setAutoDefault(false);
        return b;
    };
    const auto label = [this](const char* name, const char* text, QRect r) {
        auto* l = new QLabel(QString::fromUtf8(text), this);
        l->setObjectName(QLatin1String(name));
        l->setGeometry(r);
        return l;
    };
    Edit = new QLineEdit(this);
    Edit->setObjectName(QStringLiteral("Edit"));
    Edit->setToolTip(QStringLiteral("Zone de saisie des premiers caractères de la carte à sélectionner."));
    Edit->setGeometry(8, 8, 376, 24);
    ListBox = new QListWidget(this);
    ListBox->setObjectName(QStringLiteral("ListBox"));
    ListBox->setToolTip(QStringLiteral("Liste des cartes pouvant être sélectionnées (correspondant au(x) "
                                       "premier(s) caractère(s) ci-dessus)."));
    ListBox->setGeometry(8, 40, 376, 196);
    AddBtn =
        button("AddBtn", "&Ajouter",
               "Définie une nouvelle carte et l'ajoute à la liste (le fichier *.bmp de la carte scannée doit "
               "être accessible).",
               QRect(392, 8, 89, 26));
    EditBtn =
        button("EditBtn", "&Modifier",
               "Modifie les paramètres de la carte sélectionnée (le fichier *.bmp de la carte scannée doit "
               "être accessible).",
               QRect(392, 40, 89, 26));
    RInstBtn =
        button("RInstBtn", "&Re-Installer",
               "Ajoute une (des) carte(s) déjà définie à la liste (les fichiers *.bmp et *.ini doivent être "
               "accessibles).",
               QRect(392, 72, 89, 26));
    DelBtn = button(
        "DelBtn", "&Supprimer",
        "Supprime la carte sélectionnée de la liste (les fichiers *.bmp et *.ini de la carte ne sont pas "
        "supprimés).",
        QRect(392, 104, 89, 26));
    AllMapBtn = new QRadioButton(QStringLiteral("Toutes"), this);
    AllMapBtn->setObjectName(QStringLiteral("AllMapBtn"));
    AllMapBtn->setToolTip(QStringLiteral("Affiche la liste de toutes les cartes installées."));
    AllMapBtn->setGeometry(8, 242, 100, 22);
    RepMapBtn = new QRadioButton(QStringLiteral("Répertoire"), this);
    RepMapBtn->setObjectName(QStringLiteral("RepMapBtn"));
    RepMapBtn->setToolTip(
        QStringLiteral("Affiche la liste des cartes installées situées dans le répertoire actif."));
    RepMapBtn->setGeometry(112, 242, 110, 22);
    OtherMapBtn = new QRadioButton(QStringLiteral("Autres"), this);
    OtherMapBtn->setObjectName(QStringLiteral("OtherMapBtn"));
    OtherMapBtn->setToolTip(
        QStringLiteral("Affiche la listes des cartes installées autres que celles du répertoire actif."));
    OtherMapBtn->setGeometry(226, 242, 100, 22);
    auto* group = new QButtonGroup(this);
    for (QRadioButton* b : {AllMapBtn, RepMapBtn, OtherMapBtn}) group->addButton(b);
    AllMapBtn->setChecked(true);
    const char* dirHint = "Répertoire dans lequel les cartes sont cherchées en recherche automatique.";
    SelDirLbl = label("SelDirLbl", "Répertoire actif (= rép. carte sélect.) :", QRect(8, 268, 472, 18));
    SelDirLbl->setToolTip(QString::fromUtf8(dirHint));
    DirName = label("DirName", "", QRect(8, 286, 472, 18));
    DirName->setToolTip(QString::fromUtf8(dirHint));
    SelMapLbl = label("SelMapLbl", "Carte sélectionnée :", QRect(8, 308, 472, 18));
    SelMemo = new QPlainTextEdit(this);
    SelMemo->setObjectName(QStringLiteral("SelMemo"));
    SelMemo->setToolTip(QStringLiteral("Principaux paramètres de la carte sélectionnée."));
    SelMemo->setReadOnly(true);
    SelMemo->setLineWrapMode(QPlainTextEdit::NoWrap);
    SelMemo->setGeometry(8, 326, 472, 84);
    OKBtn = button("OKBtn", "OK", "Utilise la carte sélectionnée comme fond pour la vue en plan.",
                   QRect(8, 418, 89, 26));
    EscBtn =
        button("EscBtn", "Annuler", "Ne change pas la carte de fond sélectionnée.", QRect(104, 418, 89, 26));
    ExitBtn =
        button("ExitBtn", "Fermer", "Ferme cette fenêtre d'installation des cartes.", QRect(8, 418, 89, 26));
    HelpBtn = button("HelpBtn", "&Aide", "Aide sur la création et l'installation des cartes.",
                     QRect(392, 418, 89, 26));
    setFixedSize(489, 452);

    connect(Edit, &QLineEdit::textChanged, this, [this] { ReachMapFilter(); });
    // The selection, not the current row: a mouse click moves the current row before it selects
    // the item, the keys select first; once selected both mean the same.
    connect(ListBox, &QListWidget::itemSelectionChanged, this, [this] {
        if (!fFilling) ReachMapShowInfo();
    });
    connect(ListBox, &QListWidget::itemDoubleClicked, this, [this] { ListBoxDblClick(); });
    for (QRadioButton* b : {AllMapBtn, RepMapBtn, OtherMapBtn})
        connect(b, &QRadioButton::toggled, this, [this](bool on) {
            if (on && !fFilling) ReachMapFilter();
        });
    connect(OKBtn, &QPushButton::clicked, this, &TReachMapForm::OKBtnClick);
    connect(EscBtn, &QPushButton::clicked, this, [this] { done(mrCancel); });
    connect(ExitBtn, &QPushButton::clicked, this, [this] { done(mrCancel); });
    connect(HelpBtn, &QPushButton::clicked, this, &TReachMapForm::HelpBtnClick);
    connect(AddBtn, &QPushButton::clicked, this, &TReachMapForm::AddBtnClick);
    connect(EditBtn, &QPushButton::clicked, this, &TReachMapForm::EditBtnClick);
    connect(RInstBtn, &QPushButton::clicked, this, &TReachMapForm::RInstBtnClick);
    connect(DelBtn, &QPushButton::clicked, this, &TReachMapForm::DelBtnClick);
}

TReachMapForm::~TReachMapForm() = default;

int TReachMapForm::Execute(uint8 Mode)
{
    InstallMode = Mode;
    FormActivate();
    const int r = exec();
    FormClose();
    return r;
}

void TReachMapForm::FormActivate()
{
    ModelInit();
    const bool install = InstallMode != 0;
    setWindowTitle(install ? QStringLiteral("Installation carte de fond")
                           : SelectCaption(Opt->FichFondCarte));
    for (QWidget* w : {AddBtn, EditBtn, RInstBtn, DelBtn, ExitBtn}) w->setVisible(install);
    for (QWidget* w : {OKBtn, EscBtn}) w->setVisible(!install);
    const int cw = width();
    Edit->setFixedWidth(install ? AddBtn->x() - 2 * Edit->x() : cw - 2 * Edit->x());
    HelpBtn->move(cw - HelpBtn->width() - (install ? ExitBtn->x() : OKBtn->x()), HelpBtn->y());
    ListBox->setFixedWidth(Edit->width());
    Edit->setFixedHeight(std::abs(Edit->fontMetrics().height()) + 8);
    OKBtn->setDefault(!install);

    Ini = std::make_unique<TMapCatalog>();
    if (!Opt->FichFondCarte.isEmpty()) {
        MapFile = Ini->PathOf(Opt->FichFondCarte);
        DirName->setText(MapFolderText(MapFile));
    } else {
        MapFile.clear();
        DirName->clear();
    }
    ReachMapLoadList();
}

void TReachMapForm::FormClose()
{
    Ini.reset();
}

void TReachMapForm::reject()
{
    done(mrCancel);
}

TMapFolderFilter TReachMapForm::Filter() const
{
    if (RepMapBtn->isChecked()) return TMapFolderFilter::Folder;
    if (OtherMapBtn->isChecked()) return TMapFolderFilter::Others;
    return TMapFolderFilter::All;
}

void TReachMapForm::ReachMapLoadList()
{
    if (!Ini) return;
    Names = Ini->Names();
    fFilling = true;
    Edit->clear();
    fFilling = false;
    Edit->setFocus();
    EditBtn->setEnabled(!Names.isEmpty());
    DelBtn->setEnabled(!Names.isEmpty());
    ReachMapFilter();
}

void TReachMapForm::ReachMapFilter()
{
    if (!Ini || fFilling) return;
    fFilling = true;
    ListBox->clear();
    ListBox->addItems(FilterMapNames(*Ini, Edit->text(), Filter(), DirName->text()));
    ListBox->setCurrentRow(-1);
    fFilling = false;
    ReachMapShowInfo();
}

bool TReachMapForm::ReachMapShowInfo()
{
    SelMemo->clear();
    QListWidgetItem* item = nullptr;
    if (ListBox->count() == 1)
        item = ListBox->item(0);
    else if (ListBox->currentRow() >= 0 && ListBox->currentItem()->isSelected())
        item = ListBox->currentItem();
    if (!item || !Ini) {
        SelMemo->setPlainText(QStringLiteral("Aucune carte sélectionnée"));
        return false;
    }
    SelName = item->text();
    MapFile = Ini->PathOf(SelName);
    const TMapInfo info = MapInfo(SelName, MapFile);
    if (info.ImageFound && info.CalFound) {
        DirName->setText(MapFolderText(MapFile));
        if (OtherMapBtn->isChecked()) {
            // The map clicked among the other folders makes its folder the active one; it stays
            // highlighted so that OK uses it.
            const QString keep = SelName;
            fFilling = true;
            RepMapBtn->setChecked(true);
            fFilling = false;
            ReachMapFilter();
            const QList<QListWidgetItem*> found = ListBox->findItems(keep, Qt::MatchExactly);
            if (!found.isEmpty()) {
                fFilling = true;
                ListBox->setCurrentItem(found.first());
                fFilling = false;
                return ReachMapShowInfo();
            }
            return false;
        }
    }
    SelMemo->setPlainText(info.Lines.join(u'\n'));
    return true;
}

void TReachMapForm::OKBtnClick()
{
    if (InstallMode != 0) return;
    if (ReachMapShowInfo()) {
        LoadMap(SelName);
        Opt->FondCarte = true;
        if (Map->Valid && FitToMap) FitToMap();
    } else {
        Map->Valid = false;
        Opt->FichFondCarte.clear();
    }
    RefreshViews();
    done(mrOk);
}

void TReachMapForm::ListBoxDblClick()
{
    if (InstallMode == 0) OKBtnClick();
}

int TReachMapForm::RunCalibration()
{
    TIniMapForm* form = IniMapForm;
    std::unique_ptr<TIniMapForm> own;
    if (!form) {
        own = std::make_unique<TIniMapForm>(this);
        form = own.get();
    }
    if (CalibrationPlace) {
        const QRect r = CalibrationPlace();
        if (r.isValid()) form->setGeometry(r);
    }
    return form->Execute(MapFile);
}

void TReachMapForm::ReportWriteError()
{
    MessageDlg(
        QStringLiteral("Le fichier %1 n'a pas pu être écrit : %2").arg(Ini->FileName(), Ini->LastError()),
        TMsgType::Error, mbOK);
}

bool TReachMapForm::WriteEntry(const QString& Name, const QString& Path)
{
    const bool ok = Ini->Write(Name, Path);
    if (!ok) ReportWriteError();
    Sml->Dir.clear();
    ReachMapLoadList();
    return ok;
}

void TReachMapForm::AddBtnClick()
{
    if (!Ini) return;
    TFileChoice choice;
    choice.Files = QStringList{MapFile.isEmpty() ? QString() : QFileInfo(MapFile).absolutePath()};
    if (!AskFileNames(fkOpenMap, choice)) return;
    MapFile = choice.Files.first();
    if (RunCalibration() != mrOk) return;
    QString name = MapBaseName(MapFile);
    InputQuery(NameBoxTitle, NameBoxPrompt, name);
    SelName = name;
    if (IsFile(MapFile) && IsFile(MapCalFileName(MapFile)) && CheckMapName(name)) {
        SelName = name;
        WriteEntry(name, MapFile);
    } else {
        Warn(QStringLiteral("Ajout carte impossible."));
    }
}

void TReachMapForm::EditBtnClick()
{
    if (!Ini || !ReachMapShowInfo()) return;
    const QString oldName = SelName;
    TFileChoice choice;
    choice.Files = QStringList{Ini->PathOf(oldName)};
    if (!AskFileNames(fkOpenMap, choice)) return;
    MapFile = choice.Files.first();
    if (!IsFile(MapFile)) return;
    RunCalibration();
    QString name = oldName;
    InputQuery(NameBoxTitle, NameBoxPrompt, name);
    SelName = name;
    if (!IsFile(MapFile) || !IsFile(MapCalFileName(MapFile)) || !CheckMapName(name)) {
        Warn(QStringLiteral("Modification carte impossible."));
        return;
    }
    SelName = name;
    if (name != oldName) {
        if (!Ini->Remove(oldName) && !Ini->LastError().isEmpty()) {
            ReportWriteError();
            ReachMapLoadList();
            return;
        }
        // The background map keeps being found under its new name.
        if (Opt->FichFondCarte == oldName) Opt->FichFondCarte = name;
    }
    WriteEntry(name, MapFile);
}

void TReachMapForm::RInstBtnClick()
{
    if (!Ini) return;
    TFileChoice choice;
    choice.Files = QStringList{MapFile.isEmpty() ? QString() : QFileInfo(MapFile).absolutePath()};
    if (!AskFileNames(fkReinstMap, choice)) return;
    for (const QString& file : choice.Files) {
        // The path is kept as chosen: the file system tells cases apart.
        MapFile = file;
        QString name = MapBaseName(file);
        InputQuery(NameBoxTitle, NameBoxPrompt + QFileInfo(file).fileName(), name);
        SelName = name;
        const QString cal = MapCalFileName(file);
        if (IsFile(file) && IsFile(cal) && CheckMapName(name)) {
            SelName = name;
            WriteEntry(name, file);
        } else if (IsFile(cal)) {
            Warn(QStringLiteral("Ajout carte impossible."));
        } else {
            Warn(QStringLiteral("Fichier de définition de carte %1 non trouvé.\rAjout carte impossible.")
                     .arg(cal));
        }
    }
}

void TReachMapForm::DelBtnClick()
{
    if (!Ini || !ReachMapShowInfo()) return;
    // The question names the map that is removed.
    const QString name = SelName;
    if (MessageDlg(QStringLiteral("Etes-vous sûr de vouloir supprimer la carte %1 de la liste des cartes "
                                  "disponibles ?")
                       .arg(name),
                   TMsgType::Confirmation, mbYes | mbNo) != mrYes)
        return;
    if (!Ini->Remove(name)) {
        if (!Ini->LastError().isEmpty()) ReportWriteError();
        ReachMapLoadList();
        return;
    }
    if (name == Opt->FichFondCarte) {
        Opt->FichFondCarte.clear();
        Map->Valid = false;
        setWindowTitle(SelectCaption(QString()));
    }
    Sml->Dir.clear();
    ReachMapLoadList();
}

void TReachMapForm::HelpBtnClick()
{
    THelpForm* form = HelpForm;
    std::unique_ptr<THelpForm> own;
    if (!form) {
        own = std::make_unique<THelpForm>(this);
        form = own.get();
    }
    OwnSharedWindow(form, this); // above the chooser that opens it
    form->exec();
}
