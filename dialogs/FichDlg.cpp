// The shared open and save dialogs.
#include "dialogs/FichDlg.h"

#include "dialogs/FilePreview.h"
#include "files/FileCommon.h"
#include "model/Calc.h"
#include "platform/Msg.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <algorithm>

// ---- Filters --------------------------------------------------------------------------------

QList<TDlgFilterEntry> ParseDlgFilter(const QString& Filter)
{
    QList<TDlgFilterEntry> entries;
    const QStringList parts = Filter.split(u'|');
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        TDlgFilterEntry e;
        e.Label = parts[i];
        for (const QString& p : parts[i + 1].split(u';', Qt::SkipEmptyParts)) {
            const QString t = p.trimmed();
            if (!t.isEmpty()) e.Patterns << t;
        }
        entries << e;
    }
    return entries;
}

QString NormalisePattern(const QString& Pattern)
{
    const QString p = Pattern.trimmed();
    if (p == QLatin1String("*.*")) return QStringLiteral("*");
    if (!p.isEmpty() && !p.contains(u'*') && !p.contains(u'?') && !p.contains(u'.'))
        return QStringLiteral("*.") + p;
    return p;
}

QStringList DlgNameFilters(const QString& Filter)
{
    QStringList out;
    for (const TDlgFilterEntry& e : ParseDlgFilter(Filter)) {
        QStringList pats;
        for (const QString& p : e.Patterns) pats << NormalisePattern(p);
        if (pats.isEmpty()) pats << QStringLiteral("*");
        out << e.Label + QStringLiteral(" (") + pats.join(u' ') + u')';
    }
    return out;
}

QString FilterEntryExt(const QString& Filter, int Entry)
{
    const QList<TDlgFilterEntry> entries = ParseDlgFilter(Filter);
    if (Entry < 1 || Entry > entries.size() || entries[Entry - 1].Patterns.isEmpty()) return QString();
    const QString p = entries[Entry - 1].Patterns.first();
    if (!p.startsWith(QLatin1String("*."))) return QString();
    const QString ext = p.mid(2);
    if (ext.isEmpty() || ext.contains(u'*') || ext.contains(u'?') || ext.contains(u'.')) return QString();
    return u'.' + ext;
}

QString SaveExtFor(const QString& Filter, int Entry, const QString& FileName)
{
    if (QFileInfo(FileName).fileName().contains(u'.')) return QString();
    return FilterEntryExt(Filter, Entry);
}

// ---- The per-kind table -----------------------------------------------------------------------

namespace {

QString L(int Language, const char* Fr, const char* En)
{
    return QString::fromUtf8(Language == 1 ? En : Fr);
}

QString AllFiles(int Language)
{
    return L(Language, "Tous fichiers (*.*)", "Every file (*.*)");
}

TCtlState Shown(const QString& Text = QString())
{
    TCtlState c;
    c.Visible = true;
    if (!Text.isNull()) c.Text = Text;
    return c;
}

const QRect WideMemo(5, 25, 420, 79);
const QRect NarrowMemo(175, 25, 290, 79);

} // namespace

namespace {

const TFileKindMode KindModes[] = {
    {fkOpenTrj, false, true},    {fkSaveTrj, true, false}, {fkOpenWpt, false, false},
    {fkSaveWpt, true, false},    {fkOpenStn, false, false}, {fkSaveStn, true, false},
    {fkOpenMap, false, false},   {fkReinstMap, false, true}, {fkOpenSmp, false, false},
    {fkSaveSmp, true, false},
};

} // namespace

const TFileKindMode* FileKindMode(int Kind)
{
    for (const TFileKindMode& m : KindModes)
        if (int(m.Kind) == Kind) return &m;
    return nullptr;
}

TFileKindRow OpenKindRow(int Kind, int Language)
{
    TFileKindRow s;
    const TFileKindMode* mode = FileKindMode(Kind);
    if (!mode || mode->Save) return s;
    s.Applies = true;
    switch (Kind) {
    case fkOpenTrj: {
        s.Title = L(Language, "Ouverture fichier trajectoire", "Track file opening");
        s.OptionBtn = Shown();
        s.Memo = WideMemo;
        s.AllFormatsLabel = L(Language, "Vols tous formats", "Every flight");
        s.AllFilesLabel = AllFiles(Language);
        // Only the formats the program reads, in the all-formats entry too: a format offered
        // but not read would end in "unknown file type" once chosen.
        s.Filter = *s.AllFormatsLabel +
                   QStringLiteral("|*.ZPH;*.IGC;*.GPS;*.GPX;*.KML;*.DAT;*.NMEA;*.RMC|"
                                  "Zephalon (*.ZPH)|*.ZPH|IGC (*.GPS ou IGC)|*.GPS;*.IGC|"
                                  "GPS Exchange Format (*.GPX)|*.GPX|KML Track (*.KML)|*.KML|"
                                  "Skyforce Logger (*.DAT)|*.DAT|Nmea0183 (*.NMEA *.RMC)|*.NMEA;*.RMC|") +
                   *s.AllFilesLabel + QStringLiteral("|*.*");
        s.OptionsAdd = ofFileMustExist;
        s.OptionsRemove = ofOverwritePrompt;
        break;
    }
    case fkOpenWpt:
        s.Title = L(Language, "Ouverture fichier way-points", "Waypoints file opening");
        s.CheckBox1 = Shown(L(Language, "Ajouter aux way-points déjà ouverts", "Add to opened waypoints"));
        s.Memo = QRect(230, 25, 290, 79);
        s.AllFormatsLabel = L(Language, "Way-points tout format", "Every waypoints file");
        s.AllFilesLabel = AllFiles(Language);
        // Only the formats the program reads (as for the traces).
        s.Filter = *s.AllFormatsLabel +
                   QStringLiteral("|*.ZPH;*.WPT;*.DAT;*.WPZ;*.CUP;*.GPX|Zephalon (*.ZPH)|*.ZPH|"
                                  "Texte tabulé (*.WPT)|*.WPT|Cambridge (*.DAT)|*.DAT|Zander (*.WPZ)|*.WPZ|") +
                   *s.AllFilesLabel + QStringLiteral("|*.*");
        s.OptionsAdd = ofFileMustExist;
        s.OptionsRemove = ofOverwritePrompt;
        break;
    case fkOpenStn:
        s.Title = L(Language, "Ouverture circuit", "Task opening");
        s.OptionBtn = Shown();
        s.Memo = WideMemo;
        s.AllFormatsLabel = QString();
        s.AllFilesLabel = AllFiles(Language);
        s.Filter = QStringLiteral("Zephalon (*.ZPH)|*.ZPH");
        s.OptionsAdd = ofFileMustExist;
        break;
    case fkOpenMap:
    case fkReinstMap:
        s.Title = Kind == fkOpenMap ? L(Language, "Ouverture fichier image carte", "Map opening")
                                    : L(Language, "Ré-installation carte(s)", "Map re-installation");
        s.Memo = WideMemo;
        s.Filter = QStringLiteral("All map|*.jpg;*.jpeg;*.bmp;*.wmf|JPEG - JPG|*.jpg;jpeg|Bitmap (bmp)|*.bmp|"
                                  "Windows meta file (wmf)|*.wmf");
        s.OptionsAdd = ofFileMustExist;
        s.OptionsRemove = ofOverwritePrompt;
        break;
    case fkOpenSmp:
        s.Title = QStringLiteral("Ouverture fichier de zone");
        s.CheckBox1 = Shown(L(Language, "Ajouter au fichier de zone déjà ouvert", "Add to opened airspace"));
        s.CheckBox2 = Shown(L(Language, "Détail des erreurs", "Error list"));
        s.ComboBoxLbl = Shown(L(Language, "Type de zone par défaut :", "Default airspace type :"));
        s.ComboBox = Shown();
        s.Memo = QRect(0, 0, 0, 0);
        s.AllFilesLabel = L(Language, "Tous fichiers de zone (*.*)", "All airspace file format (*.*)");
        // OpenAir is the one airspace format read.
        s.Filter = QStringLiteral("OpenAir (*.TXT)|*.TXT|") + *s.AllFilesLabel + QStringLiteral("|*.*");
        s.OptionsAdd = ofFileMustExist;
        s.OptionsRemove = ofOverwritePrompt;
        break;
    }
    // One file or several: the kind's mode says.
    if (mode->Several) {
        s.OptionsAdd |= ofAllowMultiSelect;
    } else {
        s.OptionsRemove |= ofAllowMultiSelect;
    }
    return s;
}

TFileKindRow SaveKindRow(int Kind, int Language, bool TaskHasTrns, bool SwpOpen)
{
    TFileKindRow s;
    const TFileKindMode* mode = FileKindMode(Kind);
    if (!mode || !mode->Save) return s;
    s.Applies = true;
    s.OptionsAdd = ofOverwritePrompt;
    s.OptionsRemove = ofAllowMultiSelect | ofFileMustExist;
    if (Kind != fkSaveSmp) s.AllFilesLabel = AllFiles(Language);
    const QString includeTask = L(Language, "Inclure le circuit", "Include the task");
    const QString includeWpt = L(Language, "Inclure les way-points", "Include the waypoints");
    switch (Kind) {
    case fkSaveTrj:
        s.Title = L(Language, "Enregistrement fichier trajectoire", "Track file saving");
        s.CheckBox1 = Shown(includeTask);
        s.CheckBox1.Enabled = TaskHasTrns;
        s.CheckBox1.Checked = true;
        s.CheckBox2 = Shown(includeWpt);
        s.CheckBox2.Enabled = SwpOpen;
        s.CheckBox2.Checked = false;
        s.OptionBtn = Shown();
        s.Memo = NarrowMemo;
        s.Filter =
            // Only the formats the program writes: offering one it only reads would end in
            // "unknown file type" after the user chose it.
            QStringLiteral("Zephalon (*.ZPH)|*.ZPH|IGC (*.IGC)|*.IGC|OGC KML Google Earth (*.KML)|*.KML|"
                           "Skyforce Logger (*.DAT)|*.DAT|") +
            *s.AllFilesLabel + QStringLiteral("|*.*");
        break;
    case fkSaveWpt:
        s.Title = L(Language, "Enregistrement fichier way-points", "Waypoints file saving");
        s.MemoVisible = false;
        s.Filter = QStringLiteral("Zephalon (*.ZPH)|*.ZPH|Texte tabulé (*.WPT)|*.WPT|Cambridge (*.DAT)|*.DAT|"
                                  "Zander (*.WPZ)|*.WPZ|") +
                   *s.AllFilesLabel + QStringLiteral("|*.*");
        break;
    case fkSaveStn:
        s.Title = L(Language, "Enregistrement fichier cicuit", "task file saving");
        s.CheckBox1 = Shown(includeTask);
        s.CheckBox1.Enabled = false;
        s.CheckBox1.Checked = true;
        s.CheckBox2 = Shown(includeWpt);
        s.CheckBox2.Enabled = SwpOpen;
        s.CheckBox2.Checked = false;
        s.OptionBtn = Shown();
        s.Memo = NarrowMemo;
        s.Filter = QStringLiteral("Zephalon (*.ZPH)|*.ZPH|") + *s.AllFilesLabel + QStringLiteral("|*.*");
        break;
    case fkSaveSmp:
        s.Title = L(Language, "Enregistrement fichier de zone", "Airspace file saving");
        s.CheckBox1.Enabled = false;
        s.CheckBox1.Checked = false;
        s.CheckBox2.Enabled = false;
        s.CheckBox2.Checked = false;
        s.Memo = NarrowMemo;
        s.Filter = QStringLiteral("OpenAir (*.TXT)|*.TXT");
        break;
    }
    return s;
}

int OptionOpenFrom(int Kind)
{
    return Kind == fkOpenTrj ? 1 : Kind == fkSaveTrj ? 2 : 0;
}

bool SaveExtrasVisible(int Kind, int Entry)
{
    return (Kind == fkSaveTrj || Kind == fkSaveStn) && Entry == 1;
}

// ---- The dialogs ------------------------------------------------------------------------------

namespace {

// The panel's controls sit inside its border.
constexpr int PanelBorder = 6;
constexpr int PanelHeight = PanelBorder + 25 + 79 + PanelBorder;
// As wide as the widest memo placement (the open-waypoints memo ends at 230 + 290).
constexpr int PanelWidth = PanelBorder + 230 + 290 + PanelBorder;

std::function<void(int)>& OptionRunner()
{
    static std::function<void(int)> runner;
    return runner;
}

QRect InPanel(int X, int Y, int W, int H)
{
    return QRect(X + PanelBorder, Y + PanelBorder, W, H);
}

// A check box as wide as its text needs: the texts differ by language and font, and a cut
// text hides what the box does.
void FitCheckBox(QCheckBox* C, int X, int Y)
{
    // Sizes as the style will show them (a widget is polished only when first shown).
    C->ensurePolished();
    const QSize h = C->sizeHint();
    C->setGeometry(InPanel(X, Y, h.width(), std::max(16, h.height())));
}

// Space kept between two controls of the panel.
constexpr int PanelGap = 10;

} // namespace

TOpenCustomDialog::TOpenCustomDialog(QWidget* Owner) : QFileDialog(Owner)
{
    setOption(QFileDialog::DontUseNativeDialog, true);
    setOption(QFileDialog::HideNameFilterDetails, true);
    setOption(QFileDialog::DontConfirmOverwrite, true);
    setModal(true);

    ExtPanel = new QWidget(this);
    ExtPanel->setObjectName(QStringLiteral("ExtPanel"));
    ExtPanel->setMinimumSize(PanelWidth, PanelHeight);
    OptionBtn = new QPushButton(ExtPanel);
    OptionBtn->setObjectName(QStringLiteral("OptionBtn"));
    OptionBtn->setAutoDefault(false);
    OptionBtn->setGeometry(InPanel(5, 0, 75, 23));
    CheckBox1 = new QCheckBox(ExtPanel);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox2 = new QCheckBox(ExtPanel);
    CheckBox2->setObjectName(QStringLiteral("CheckBox2"));
    FitCheckBox(CheckBox1, 10, 30);
    FitCheckBox(CheckBox2, 10, 60);
    ComboBox = new QComboBox(ExtPanel);
    ComboBox->setObjectName(QStringLiteral("ComboBox"));
    ComboBox->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    const int comboH = std::max(16, ComboBox->sizeHint().height());
    ComboBox->setGeometry(InPanel(300, 58, 140, comboH));
    ComboBoxLbl = new QLabel(ExtPanel);
    ComboBoxLbl->setObjectName(QStringLiteral("ComboBoxLbl"));
    ComboBoxLbl->setBuddy(ComboBox);
    const int lblH = std::max(13, ComboBoxLbl->sizeHint().height());
    ComboBoxLbl->setGeometry(InPanel(300, 58 - lblH, 140, lblH));
    Memo = new QPlainTextEdit(ExtPanel);
    Memo->setObjectName(QStringLiteral("Memo"));
    Memo->setReadOnly(true);
    Memo->setFrameShape(QFrame::NoFrame);
    Memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    QPalette pal = Memo->palette();
    pal.setColor(QPalette::Base, pal.color(QPalette::Button));
    Memo->setPalette(pal);
    for (QWidget* w :
         std::initializer_list<QWidget*>{OptionBtn, CheckBox1, CheckBox2, ComboBox, ComboBoxLbl, Memo})
        w->hide();

    if (auto* grid = qobject_cast<QGridLayout*>(layout()))
        grid->addWidget(ExtPanel, grid->rowCount(), 0, 1, std::max(1, grid->columnCount()));

    connect(this, &QFileDialog::currentChanged, this, [this](const QString& Path) { UpdatePreview(Path); });
    if (auto* types = findChild<QComboBox*>(QStringLiteral("fileTypeCombo")))
        connect(types, &QComboBox::currentIndexChanged, this, [this](int) {
            if (!fPreparing) FilterChanged(FilterIndex());
        });
    connect(OptionBtn, &QPushButton::clicked, this, [this] { OptionBtnClick(); });
}

TOpenCustomDialog::~TOpenCustomDialog() = default;

void TOpenCustomDialog::SetOptionFormRunner(std::function<void(int OpenFrom)> Runner)
{
    OptionRunner() = std::move(Runner);
}

int TOpenCustomDialog::FilterIndex() const
{
    if (const auto* types = findChild<QComboBox*>(QStringLiteral("fileTypeCombo")))
        return types->currentIndex() + 1;
    const qsizetype i = fQtFilters.indexOf(selectedNameFilter());
    return i < 0 ? 1 : int(i) + 1;
}

void TOpenCustomDialog::ApplyControl(QWidget* W, const TCtlState& S)
{
    W->setVisible(S.Visible);
    if (S.Enabled) W->setEnabled(*S.Enabled);
    if (auto* c = qobject_cast<QCheckBox*>(W)) {
        if (S.Checked) c->setChecked(*S.Checked);
        if (S.Text) c->setText(*S.Text);
    } else if (auto* b = qobject_cast<QPushButton*>(W)) {
        if (S.Text) b->setText(*S.Text);
    } else if (auto* l = qobject_cast<QLabel*>(W)) {
        if (S.Text) l->setText(*S.Text);
    }
}

void TOpenCustomDialog::Prepare(const TFileKindRow& Row)
{
    fPreparing = true;
    QString dir = InitialDir;
    if (dir.isEmpty() || !QFileInfo(dir).isDir()) dir = QDir::homePath();
    setDirectory(dir);
    setAcceptMode(fSave ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);

    OptionBtn->setText(QStringLiteral("&Options"));
    ApplyControl(OptionBtn, Row.OptionBtn);
    // Without an options dialog installed the button offers nothing.
    OptionBtn->setEnabled(bool(OptionRunner()));
    ApplyControl(CheckBox1, Row.CheckBox1);
    ApplyControl(CheckBox2, Row.CheckBox2);
    ApplyControl(ComboBoxLbl, Row.ComboBoxLbl);
    ApplyControl(ComboBox, Row.ComboBox);
    FitCheckBox(CheckBox1, 10, 30);
    FitCheckBox(CheckBox2, 10, 60);
    if (Row.ComboBox.Visible) {
        ComboBox->clear();
        for (int i = 1; i <= 10; ++i) ComboBox->addItem(ZoneClassNames[i]);
        ComboBox->setCurrentIndex(DefZoneType >= 1 && DefZoneType <= 10 ? DefZoneType - 1 : -1);
    }
    if (Row.Memo) Memo->setGeometry(Row.Memo->translated(PanelBorder, PanelBorder));
    if (Row.MemoVisible) Memo->setVisible(*Row.MemoVisible);
    LayoutPanel();
    if (Row.AllFormatsLabel) AllFormatsLabel = *Row.AllFormatsLabel;
    if (Row.AllFilesLabel) AllFilesLabel = *Row.AllFilesLabel;

    if (Row.Applies) {
        setWindowTitle(Row.Title);
        fFilter = Row.Filter;
        fQtFilters = DlgNameFilters(fFilter);
        setNameFilters(fQtFilters);
        if (!fQtFilters.isEmpty()) selectNameFilter(fQtFilters.first());
        fOptions = Row.ApplyOptions(fOptions);
    }
    if (fSave || !(fOptions & ofFileMustExist))
        setFileMode(QFileDialog::AnyFile);
    else
        setFileMode(fOptions & ofAllowMultiSelect ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);

    // The name box starts with the proposed name, never with what the last use left in it.
    if (FileName.isEmpty()) {
        for (auto* view : findChildren<QAbstractItemView*>())
            if (view->selectionModel()) view->selectionModel()->clearSelection();
        if (auto* edit = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) edit->clear();
    } else {
        selectFile(FileName);
    }
    fPreparing = false;
    FilterChanged(FilterIndex());
    const QString proposed =
        FileName.isEmpty() ? QString() : QFileInfo(QDir(dir), FileName).absoluteFilePath();
    UpdatePreview(proposed);
}

void TOpenCustomDialog::LayoutPanel()
{
    // The controls keep their places unless a text needs more room: then what stands to the
    // right of the check boxes (the class list, the memo) moves right, and the panel widens.
    for (QWidget* w : std::initializer_list<QWidget*>{OptionBtn, CheckBox1, CheckBox2, ComboBox, ComboBoxLbl})
        w->ensurePolished();
    OptionBtn->resize(std::max(75, OptionBtn->sizeHint().width()), OptionBtn->height());
    int right = 0;
    for (QWidget* w : std::initializer_list<QWidget*>{OptionBtn, CheckBox1, CheckBox2})
        if (!w->isHidden()) right = std::max(right, w->geometry().right() + 1);
    const int column = right > 0 ? right + PanelGap : 0;

    const int lblW = std::max(140, ComboBoxLbl->sizeHint().width());
    const int comboX = std::max(300 + PanelBorder, column);
    const int lblH = std::max(13, ComboBoxLbl->sizeHint().height());
    ComboBox->setGeometry(comboX, ComboBox->y(), std::max(140, ComboBox->sizeHint().width()),
                          ComboBox->height());
    ComboBoxLbl->setGeometry(comboX, ComboBox->y() - lblH, lblW, lblH);

    if (Memo->width() > 0 && Memo->x() < column) Memo->move(column, Memo->y());

    int width = PanelWidth;
    for (QWidget* w :
         std::initializer_list<QWidget*>{OptionBtn, CheckBox1, CheckBox2, ComboBox, ComboBoxLbl, Memo})
        if (!w->isHidden()) width = std::max(width, w->geometry().right() + 1 + PanelBorder);
    ExtPanel->setMinimumSize(width, PanelHeight);
}

bool TOpenCustomDialog::RunModal()
{
    // Without a screen, or while message boxes answer from a script, nobody could answer a
    // modal file dialog: it answers Cancel, so that a close that offers to save still ends.
    if (Msg::Headless()) {
        StoreResults();
        return false;
    }
    const bool ok = exec() == QDialog::Accepted;
    StoreResults();
    if (ok) {
        Files = selectedFiles();
        FileName = Files.value(0);
    }
    return ok;
}

bool TOpenCustomDialog::Execute()
{
    fSave = false;
    // The check boxes of the open kinds start as the caller says (the states of the last close
    // unless changed), never as another kind left them.
    if (DlgKind == fkOpenWpt || DlgKind == fkOpenSmp) CheckBox1->setChecked(AddToOpened != 0);
    if (DlgKind == fkOpenSmp) CheckBox2->setChecked(ErrorList != 0);
    Prepare(OpenKindRow(DlgKind, Language));
    return RunModal();
}

void TOpenCustomDialog::UpdatePreview(const QString& Path)
{
    fCurrent = Path;
    try {
        const TPreview p = FilePreview(DlgKind, FilterIndex(), Path);
        Memo->setPlainText(p.Lines.join(u'\n'));
        if (p.Show) Memo->setVisible(true);
    } catch (...) {
        Memo->clear();
    }
    Memo->verticalScrollBar()->setValue(0);
    Memo->horizontalScrollBar()->setValue(0);
}

void TOpenCustomDialog::StoreResults()
{
    AddToOpened = IncludeTask = CheckBox1->isChecked() ? 1 : 0;
    ErrorList = IncludeWpt = CheckBox2->isChecked() ? 1 : 0;
    if (ComboBox->currentIndex() >= 0) DefZoneType = uint8(ComboBox->currentIndex() + 1);
}

void TOpenCustomDialog::OptionBtnClick()
{
    // A copy: the runner may be replaced while its dialog runs.
    const std::function<void(int)> run = OptionRunner();
    if (run) {
        try {
            run(OptionOpenFrom(DlgKind));
        } catch (...) {
        }
    }
    UpdatePreview(fCurrent);
}

void TOpenCustomDialog::FilterChanged(int) {}

void TOpenCustomDialog::hideEvent(QHideEvent* e)
{
    // A completion list still open when the dialog closes (a typed name and Enter) is a popup
    // of its own: it would stay over the main window and take the next key or click.
    QList<QCompleter*> completers = findChildren<QCompleter*>();
    for (QLineEdit* edit : findChildren<QLineEdit*>())
        if (edit->completer() && !completers.contains(edit->completer())) completers << edit->completer();
    for (QCompleter* c : completers)
        if (c->popup() && c->popup()->isVisible()) c->popup()->hide();
    QFileDialog::hideEvent(e);
}

void TOpenCustomDialog::accept()
{
    if (!fSave && (fOptions & ofFileMustExist)) {
        for (const QString& f : selectedFiles()) {
            if (!f.isEmpty() && !QFileInfo::exists(f)) {
                MessageDlg(QFileInfo(f).fileName() +
                               Tr(QStringLiteral(
                                      "\rFichier introuvable.\rVérifiez que le nom de fichier est correct."),
                                  QStringLiteral("\rFile not found.\rCheck the file name and try again.")),
                           TMsgType::Warning, mbOK, windowTitle());
                return;
            }
        }
    }
    QFileDialog::accept();
}

TSaveCustomDialog::TSaveCustomDialog(QWidget* Owner) : TOpenCustomDialog(Owner)
{
    DlgKind = fkSaveTrj;
}

bool TSaveCustomDialog::Execute()
{
    fSave = true;
    Prepare(SaveKindRow(DlgKind, Language, Stn && Stn->Count > 0, Swp != nullptr));
    const bool ok = RunModal();
    if (ok) StoreSaveExt();
    return ok;
}

void TSaveCustomDialog::StoreSaveExt()
{
    SaveExt = SaveExtFor(fFilter, FilterIndex(), FileName);
}

void TSaveCustomDialog::FilterChanged(int Entry)
{
    const bool extras = SaveExtrasVisible(DlgKind, Entry);
    CheckBox1->setVisible(extras);
    CheckBox2->setVisible(extras);
    OptionBtn->setVisible(extras);
    UpdatePreview(fCurrent);
}

void TSaveCustomDialog::accept()
{
    const QString name = selectedFiles().value(0);
    // A folder is entered, never replaced.
    if ((fOptions & ofOverwritePrompt) && !name.isEmpty() && !QFileInfo(name).isDir()) {
        const QString target = WithSaveExt(name, SaveExtFor(fFilter, FilterIndex(), name));
        const QFileInfo fi(target);
        if (fi.isFile() &&
            MessageDlg(fi.fileName() + Tr(QStringLiteral(" existe déjà.\rVoulez-vous le remplacer ?"),
                                          QStringLiteral(" already exists.\rDo you want to replace it?")),
                       TMsgType::Warning, mbYes | mbNo, windowTitle()) != mrYes)
            return;
    }
    QFileDialog::accept();
}

// ---- The file layer's dialogs ----------------------------------------------------------------

bool RunFileDialog(TOpenCustomDialog& Open, TSaveCustomDialog& Save, TFileKind Kind, TFileChoice& Choice)
{
    const TFileKindMode* mode = FileKindMode(Kind);
    if (!mode) return false;
    const bool save = mode->Save;
    TOpenCustomDialog& d = save ? static_cast<TOpenCustomDialog&>(Save) : Open;
    d.DlgKind = Kind;
    const QString proposal = Choice.Files.value(0);
    const QFileInfo fi(proposal);
    d.InitialDir.clear();
    d.FileName.clear();
    if (!proposal.isEmpty()) {
        if (fi.isDir()) {
            d.InitialDir = proposal;
        } else {
            if (proposal.contains(u'/')) d.InitialDir = fi.absolutePath();
            if (save) d.FileName = fi.fileName();
        }
    }
    d.AddToOpened = Choice.AddToOpened ? 1 : 0;
    d.ErrorList = Choice.ErrorList ? 1 : 0;
    // The default airspace class is the dialog's own from one use to the next, unless the
    // request proposes one.
    if (Kind == fkOpenSmp && Choice.DefZoneType >= 1) d.DefZoneType = uint8(std::min(Choice.DefZoneType, 10));
    if (!d.Execute()) return false;
    Choice.Files = d.Files;
    Choice.AddToOpened = d.AddToOpened != 0;
    Choice.IncludeTask = d.IncludeTask != 0;
    Choice.IncludeWpt = d.IncludeWpt != 0;
    Choice.ErrorList = d.ErrorList != 0;
    Choice.DefZoneType = d.DefZoneType;
    Choice.SaveExt = save ? Save.SaveExt : QString();
    return true;
}

void InstallFileDialogs(TOpenCustomDialog* Open, TSaveCustomDialog* Save)
{
    if (!Open && !Save) {
        SetFileDialogHook(nullptr);
        return;
    }
    QPointer<TOpenCustomDialog> open(Open);
    QPointer<TSaveCustomDialog> save(Save);
    SetFileDialogHook([open, save](TFileKind Kind, TFileChoice& Choice) {
        if (!open || !save) return false;
        try {
            return RunFileDialog(*open, *save, Kind, Choice);
        } catch (...) {
            return false;
        }
    });
}
