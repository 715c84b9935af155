// The flight-file explorer window.
#include "dialogs/ExplDir.h"
#include "dialogs/ToolWindow.h"

#include "dialogs/SelSort.h"
#include "dialogs/SortGrid.h"
#include "files/RecFile.h"
#include "files/TaskFile.h"
#include "model/ModelUi.h"
#include "model/Options.h"
#include "model/Sector.h"
#include "platform/Msg.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShowEvent>
#include <QTableWidget>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

QPointer<TDirExplor> DirExplor;

namespace {

const int ColWidths[8] = {30, 83, 53, 79, 47, 47, 42, 48};
constexpr int FileIndexRole = Qt::UserRole + 1; // number of the file of a row's name cell
constexpr int FileNameRole = Qt::UserRole;      // its real name

QPushButton* Button(QWidget* Parent, QLayout* L, const char* Name)
{
    auto* b = new QPushButton(Parent);
    b->setObjectName(QLatin1String(Name));
    b->setAutoDefault(false);
    L->addWidget(b);
    return b;
}

} // namespace

TDirExplor::TDirExplor(QWidget* Parent) : QDialog(Parent)
{
    setObjectName(QStringLiteral("DirExplor"));
    resize(760, 480);

    auto* main = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    main->addLayout(top, 1);

    DirPanel = new QWidget(this);
    DirPanel->setObjectName(QStringLiteral("DirPanel"));
    DirPanel->setFixedWidth(210);
    auto* left = new QVBoxLayout(DirPanel);
    left->setContentsMargins(0, 0, 0, 0);
    DriveComboBox = new QComboBox(DirPanel);
    DriveComboBox->setObjectName(QStringLiteral("DriveComboBox"));
    for (const QFileInfo& d : QDir::drives()) DriveComboBox->addItem(d.absoluteFilePath());
    left->addWidget(DriveComboBox);
    DirModel = new QFileSystemModel(this);
    DirModel->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    DirectoryListBox = new QTreeView(DirPanel);
    DirectoryListBox->setObjectName(QStringLiteral("DirectoryListBox"));
    DirectoryListBox->setModel(DirModel);
    for (int c = 1; c < DirModel->columnCount(); ++c) DirectoryListBox->hideColumn(c);
    DirectoryListBox->setHeaderHidden(true);
    DirectoryListBox->setMinimumHeight(180);
    left->addWidget(DirectoryListBox, 1);
    BrwsFolderBtn = Button(DirPanel, left, "BrwsFolderBtn");
    OpenGrp = new QGroupBox(DirPanel);
    OpenGrp->setObjectName(QStringLiteral("OpenGrp"));
    auto* grp = new QVBoxLayout(OpenGrp);
    TrjRdoBtn = new QRadioButton(OpenGrp);
    SwpRdoBtn = new QRadioButton(OpenGrp);
    StnRdoBtn = new QRadioButton(OpenGrp);
    TrjRdoBtn->setObjectName(QStringLiteral("TrjRdoBtn"));
    SwpRdoBtn->setObjectName(QStringLiteral("SwpRdoBtn"));
    StnRdoBtn->setObjectName(QStringLiteral("StnRdoBtn"));
    for (QRadioButton* r : {TrjRdoBtn, SwpRdoBtn, StnRdoBtn}) grp->addWidget(r);
    left->addWidget(OpenGrp);
    OpenTrnBtn = new QCheckBox(DirPanel);
    OpenTrnBtn->setObjectName(QStringLiteral("OpenTrnBtn"));
    left->addWidget(OpenTrnBtn);
    top->addWidget(DirPanel);

    ExpGrid = new QTableWidget(1, 8, this);
    ExpGrid->setObjectName(QStringLiteral("ExpGrid"));
    ExpGrid->verticalHeader()->hide();
    ExpGrid->verticalHeader()->setDefaultSectionSize(18);
    ExpGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ExpGrid->setSelectionMode(QAbstractItemView::ContiguousSelection);
    for (int c = 0; c < 8; ++c) ExpGrid->setColumnWidth(c, ColWidths[c]);
    ExpGrid->setMinimumSize(300, 180);
    top->addWidget(ExpGrid, 1);
    fSorter = new TSortGrid(ExpGrid);

    BtnPanel = new QWidget(this);
    BtnPanel->setObjectName(QStringLiteral("BtnPanel"));
    auto* btns = new QHBoxLayout(BtnPanel);
    btns->setContentsMargins(0, 0, 0, 0);
    CloseBtn = Button(BtnPanel, btns, "CloseBtn");
    ClsAllTrjBtn = Button(BtnPanel, btns, "ClsAllTrjBtn");
    OpenTrjBtn = Button(BtnPanel, btns, "OpenTrjBtn");
    OpenSwpBtn = Button(BtnPanel, btns, "OpenSwpBtn");
    OpenStnBtn = Button(BtnPanel, btns, "OpenStnBtn");
    SortBtn = Button(BtnPanel, btns, "SortBtn");
    RefreshBtn = Button(BtnPanel, btns, "RefreshBtn");
    ReadProgress = new QProgressBar(BtnPanel);
    ReadProgress->setObjectName(QStringLiteral("ReadProgress"));
    ReadProgress->hide();
    btns->addWidget(ReadProgress, 1);
    StopReadBtn = Button(BtnPanel, btns, "StopReadBtn");
    StopReadBtn->hide();
    main->addWidget(BtnPanel);

    // Carried for the folder's changes, but never activated: the list is refreshed by the
    // refresh button, a change of folder or mask, and when the window is shown.
    RxFolderMonitor = new TRxFolderMonitor(this);
    RxFolderMonitor->SetDelayTime(10000);
    RxFolderMonitor->SetFilter(FilterBit(fnFileName) | FilterBit(fnDirName) | FilterBit(fnSize) |
                               FilterBit(fnLastWrite) | FilterBit(fnCreation));
    RxFolderMonitor->OnChange = [this](TRxFolderMonitor*) { RefreshBtnClick(); };
    BrowseForFolder = new TBrowseForFolder(this);

    connect(CloseBtn, &QPushButton::clicked, this, &QDialog::close);
    connect(ClsAllTrjBtn, &QPushButton::clicked, this, &TDirExplor::ClsAllTrjBtnClick);
    connect(OpenTrjBtn, &QPushButton::clicked, this, &TDirExplor::OpenTrjBtnClick);
    connect(OpenSwpBtn, &QPushButton::clicked, this, &TDirExplor::OpenSwpBtnClick);
    connect(OpenStnBtn, &QPushButton::clicked, this, &TDirExplor::OpenStnBtnClick);
    connect(SortBtn, &QPushButton::clicked, this, &TDirExplor::SortBtnClick);
    connect(RefreshBtn, &QPushButton::clicked, this, &TDirExplor::RefreshBtnClick);
    connect(BrwsFolderBtn, &QPushButton::clicked, this, &TDirExplor::BrwsFolderBtnClick);
    connect(StopReadBtn, &QPushButton::clicked, this, &TDirExplor::StopRead);
    for (QRadioButton* r : {TrjRdoBtn, SwpRdoBtn, StnRdoBtn})
        connect(r, &QRadioButton::toggled, this, [this](bool On) {
            if (On) OpenGrpExit();
        });
    connect(OpenTrnBtn, &QCheckBox::toggled, this, [this] { UpdateHint(); });
    connect(ExpGrid, &QTableWidget::cellDoubleClicked, this, [this] { ExpGridDblClick(); });
    connect(fSorter, &TSortGrid::sortRequested, this, &TDirExplor::SortAndMark);
    connect(DirectoryListBox->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& Cur) {
                if (Cur.isValid()) SetFolder(DirModel->filePath(Cur));
            });
    connect(DriveComboBox, &QComboBox::activated, this, [this] { SetFolder(DriveComboBox->currentText()); });
    connect(&fReader, &TSummaryReader::Done, this, &TDirExplor::SummaryDone);
    connect(&fReader, &TSummaryReader::Finished, this, [this] {
        ReadProgress->hide();
        StopReadBtn->hide();
    });

    const QSignalBlocker block(TrjRdoBtn);
    TrjRdoBtn->setChecked(true);
    SetExpGridTitles();
}

TDirExplor::~TDirExplor()
{
    fReader.Cancel();
}

void TDirExplor::showEvent(QShowEvent* E)
{
    QDialog::showEvent(E);
    if (E->spontaneous()) return;
    if (!fPlaced && screen()) {
        // Centred on the screen the first time; where the user left it afterwards.
        QRect r = frameGeometry();
        r.moveCenter(screen()->availableGeometry().center());
        move(r.topLeft());
        fPlaced = true;
    }
    FormActivate();
}

void TDirExplor::UpdateHint()
{
    OpenTrnBtn->setToolTip(QString(OpenTrnHintFmt).arg(Opt ? Opt->FichCircuit : QString()));
}

QString TDirExplor::Signature() const
{
    return Signature(Folder, ExplFiles(Folder, ExplMasks(MaskChoice())), nullptr);
}

QString TDirExplor::Signature(const QString& Dir, const QStringList& Names, std::vector<TFileStamp>* Stamps)
{
    QString s = Dir;
    const QDir d(Dir);
    for (const QString& f : Names) {
        const TFileStamp st = StampOf(d.filePath(f));
        if (Stamps) Stamps->push_back(st);
        s += QStringLiteral("|%1:%2:%3").arg(f).arg(st.Size).arg(st.MTimeMs);
    }
    return s;
}

int TDirExplor::MaskChoice() const
{
    return StnRdoBtn->isChecked() ? 2 : SwpRdoBtn->isChecked() ? 1 : 0;
}

void TDirExplor::FormActivate()
{
    const QString folder = Opt ? QFileInfo(Opt->FichTrajectoire).absolutePath() : QString();
    SetExpGridTitles();
    UpdateHint();
    if (!Opt || Opt->FichTrajectoire.isEmpty()) {
        if (Folder.isEmpty()) SetFolder(QDir::homePath());
        return;
    }
    // An unchanged folder whose task the current trace already has is not read again.
    if (folder == Folder && Signature() == fBuiltSignature && (!Trj || Trj == fTaskTrj)) return;
    if (folder == Folder)
        FileListBoxChange();
    else
        SetFolder(folder);
}

void TDirExplor::SetFolder(const QString& Path)
{
    const QString p = QDir::cleanPath(Path);
    // The tree starts watching the disks only once the window is used.
    if (!fTreeReady) {
        DirModel->setRootPath(QDir::rootPath());
        fTreeReady = true;
    }
    // The tree reads the folders on its way in steps of its own, after the list is built.
    QTimer::singleShot(0, this, [this, p] {
        const QModelIndex idx = DirModel->index(p);
        if (idx.isValid() && DirectoryListBox->currentIndex() != idx) {
            const QSignalBlocker block(DirectoryListBox->selectionModel());
            DirectoryListBox->setCurrentIndex(idx);
            DirectoryListBox->scrollTo(idx);
        }
    });
    if (p == Folder && !fBuiltSignature.isEmpty()) return;
    Folder = p;
    FileListBoxChange();
}

void TDirExplor::OpenGrpExit()
{
    if (!Folder.isEmpty()) FileListBoxChange();
}

void TDirExplor::SetExpGridTitles()
{
    static const char* const Titles[8] = {"",        "Fichier", "Date",  "Nom",
                                          "Planeur", "Type",    "Durée", "Distance"};
    QStringList t;
    for (const char* s : Titles) t << QString::fromUtf8(s);
    ExpGrid->setHorizontalHeaderLabels(t);
}

void TDirExplor::LoadTaskFile()
{
    const QString name = TaskFileName(Folder);
    // A folder without a task file leaves the task as it is.
    if (!QFileInfo(name).isFile()) return;
    if (Stn && Stn->Count > 0 && Stn->Modified && !AskSaveStn()) return;
    if (SupprCircuitExecute)
        SupprCircuitExecute();
    else if (Stn)
        Stn->Clear();
    ::LoadTaskFile(name, Cst, Stn);
    if (Stn) Stn->Modified = false;
    fTaskTrj = Trj;
    NotifyModelChanged();
    RefreshViews();
}

void TDirExplor::FileListBoxChange()
{
    fReader.Cancel();
    bool ok = true;
    Files = ExplFiles(Folder, ExplMasks(MaskChoice()), &ok);
    if (!ok)
        MessageDlg(QString(UnreadableText).arg(Folder), TMsgType::Warning, mbOK);
    else
        LoadTaskFile();
    std::vector<TFileStamp> stamps;
    fBuiltSignature = Signature(Folder, Files, &stamps);

    SetExpGridTitles();
    ExpGrid->setUpdatesEnabled(false);
    ExpGrid->clearContents();
    // The header is the title row: file i is row i; an empty folder shows one empty row.
    ExpGrid->setRowCount(std::max<int>(int(Files.size()), 1));
    fRowOfFile.assign(size_t(Files.size()), 0);
    std::vector<TSummaryReader::Job> jobs;
    for (int i = 0; i < Files.size(); ++i) {
        const int row = i;
        fRowOfFile[size_t(i)] = row;
        ExpGrid->setItem(row, 0, new QTableWidgetItem(QString::number(i)));
        auto* name = new QTableWidgetItem(Files[i]); // as on disk
        name->setData(FileNameRole, Files[i]);
        name->setData(FileIndexRole, i);
        ExpGrid->setItem(row, 1, name);
        const QString path = QDir(Folder).filePath(Files[i]);
        TSummary s;
        if (fCache.Find(path, stamps[size_t(i)], s))
            FillRow(row, s);
        else
            jobs.push_back({i, path});
    }
    ExpGrid->setUpdatesEnabled(true);
    if (!jobs.empty()) {
        ReadProgress->setRange(0, int(jobs.size()));
        ReadProgress->setValue(0);
        ReadProgress->show();
        StopReadBtn->show();
        fReader.Start(std::move(jobs));
    } else {
        ReadProgress->hide();
        StopReadBtn->hide();
    }
}

void TDirExplor::FillRow(int Row, const TSummary& S)
{
    if (!S.Ok) return;
    const QString texts[6] = {S.Info.Date,       S.Info.Pilot,    S.Info.GliderId,
                              S.Info.GliderType, S.Info.Duration, S.Info.Distance};
    for (int c = 0; c < 6; ++c) ExpGrid->setItem(Row, c + 2, new QTableWidgetItem(texts[c]));
}

void TDirExplor::SummaryDone(int Index, qint64 Size, qint64 MTimeMs, const TSummary& S)
{
    if (Index < 0 || size_t(Index) >= fRowOfFile.size()) return;
    fCache.Store(QDir(Folder).filePath(Files[Index]), {Size, MTimeMs}, S);
    FillRow(fRowOfFile[size_t(Index)], S);
    ReadProgress->setValue(ReadProgress->value() + 1);
}

void TDirExplor::StopRead()
{
    fReader.Cancel();
    ReadProgress->hide();
    StopReadBtn->hide();
}

QString TDirExplor::RowFile(int Row) const
{
    const QTableWidgetItem* it = Row >= 0 ? ExpGrid->item(Row, 1) : nullptr;
    return it ? it->data(FileNameRole).toString() : QString();
}

void TDirExplor::SortExpGrid(int Col, bool Descending)
{
    const int n = ExpGrid->rowCount();
    if (n < 2 || Col < 1 || Col > 7) return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    std::vector<QString> texts(static_cast<size_t>(n));
    for (int r = 0; r < n; ++r) {
        const QTableWidgetItem* it = ExpGrid->item(r, Col);
        texts[size_t(r)] = it ? it->text() : QString();
    }
    const std::vector<uint32_t> order = ExplSortOrder(Col, texts, Descending);
    // Columns 1 to 7 move with their row; the numbers of column 0 stay.
    std::vector<std::array<QTableWidgetItem*, 7>> rows(static_cast<size_t>(n));
    for (int r = 0; r < n; ++r)
        for (int c = 1; c <= 7; ++c) rows[size_t(r)][size_t(c - 1)] = ExpGrid->takeItem(r, c);
    for (int r = 0; r < n; ++r) {
        auto& src = rows[order[size_t(r)]];
        for (int c = 1; c <= 7; ++c) ExpGrid->setItem(r, c, src[size_t(c - 1)]);
        if (src[0]) {
            const int file = src[0]->data(FileIndexRole).toInt();
            if (file >= 0 && size_t(file) < fRowOfFile.size()) fRowOfFile[size_t(file)] = r;
        }
    }
    QApplication::restoreOverrideCursor();
    ShowStatus(QString());
}

void TDirExplor::SortAndMark(int Col, bool Descending)
{
    SetExpGridTitles();
    SortExpGrid(Col, Descending);
    QTableWidgetItem* h = ExpGrid->horizontalHeaderItem(Col);
    if (h) h->setText(MarkSortTitle(h->text(), Descending));
}

void TDirExplor::SortBtnClick()
{
    if (!SortSel) SortSel = new TSortSel(this);
    OwnSharedWindow(SortSel, this);
    SortSel->Grid = ExpGrid;
    SortSel->InitCol = 1;
    if (SortSel->exec() != QDialog::Accepted) return;
    SortAndMark(SortSel->SortCol, SortSel->Descending != 0);
}

void TDirExplor::BrwsFolderBtnClick()
{
    BrowseForFolder->FolderName = Folder;
    if (BrowseForFolder->Execute()) SetFolder(BrowseForFolder->FolderName);
}

void TDirExplor::ClsAllTrjBtnClick()
{
    if (FermeTteTrjExecute) FermeTteTrjExecute();
}

bool TDirExplor::OpenTrace(const QString& Path)
{
    if (OpenTrjFiles(Path, 0) <= 0) return false;
    // The new trace gets its task once: the current task file when asked, else the folder's.
    if (OpenTrnBtn->isChecked()) {
        if (Opt && OpenStnFile(Opt->FichCircuit)) FindReachedTrn();
        fTaskTrj = Trj;
    } else {
        LoadTaskFile();
    }
    RefreshViews();
    return true;
}

void TDirExplor::OpenTrjBtnClick()
{
    const QString f = RowFile(ExpGrid->currentRow());
    if (!f.isEmpty()) OpenTrace(QDir(Folder).filePath(f));
}

void TDirExplor::OpenSwpBtnClick()
{
    const QString f = RowFile(ExpGrid->currentRow());
    if (f.isEmpty()) return;
    OpenSwpFile(QDir(Folder).filePath(f));
    RefreshViews();
}

void TDirExplor::OpenStnBtnClick()
{
    const QString f = RowFile(ExpGrid->currentRow());
    if (f.isEmpty()) return;
    if (!Swp) {
        MessageDlg(NoSwpText, TMsgType::Information, mbOK);
        return;
    }
    OpenStnFile(QDir(Folder).filePath(f));
    UpdateHint();
}

void TDirExplor::ExpGridDblClick()
{
    if (TrjRdoBtn->isChecked())
        OpenTrjBtnClick();
    else if (SwpRdoBtn->isChecked())
        OpenSwpBtnClick();
    else
        OpenStnBtnClick();
}
