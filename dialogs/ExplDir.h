#pragma once
// The flight-file explorer: the flights of a folder with their summaries, sorted by any column,
// opened as traces (with the folder's competition task), waypoints or tasks.
#include "dialogs/ExplDirLogic.h"
#include "dialogs/RxNotify.h"
#include "dialogs/folderBrowse.h"

#include <QDialog>
#include <QPointer>

class QCheckBox;
class QComboBox;
class QFileSystemModel;
class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTableWidget;
class QTreeView;
class QWidget;
class TSortGrid;

class TDirExplor : public QDialog
{
    Q_OBJECT
public:
    explicit TDirExplor(QWidget* Parent = nullptr);
    ~TDirExplor() override;

    QTableWidget* ExpGrid = nullptr;
    QWidget* DirPanel = nullptr;
    QComboBox* DriveComboBox = nullptr;
    QTreeView* DirectoryListBox = nullptr;
    QFileSystemModel* DirModel = nullptr;
    QPushButton* BrwsFolderBtn = nullptr;
    QGroupBox* OpenGrp = nullptr;
    QRadioButton* TrjRdoBtn = nullptr;
    QRadioButton* SwpRdoBtn = nullptr;
    QRadioButton* StnRdoBtn = nullptr;
    QCheckBox* OpenTrnBtn = nullptr;
    QWidget* BtnPanel = nullptr;
    QPushButton* CloseBtn = nullptr;
    QPushButton* ClsAllTrjBtn = nullptr;
    QPushButton* OpenTrjBtn = nullptr;
    QPushButton* OpenSwpBtn = nullptr;
    QPushButton* OpenStnBtn = nullptr;
    QPushButton* SortBtn = nullptr;
    QPushButton* RefreshBtn = nullptr;
    // Reading of the summaries: progress and its stop button.
    QProgressBar* ReadProgress = nullptr;
    QPushButton* StopReadBtn = nullptr;
    TRxFolderMonitor* RxFolderMonitor = nullptr;
    TBrowseForFolder* BrowseForFolder = nullptr;

    QString Folder;    // the folder shown
    QStringList Files; // its files for the mask, real names, in the order of the numbers
    TCst Cst;
    QString OpenTrnHintFmt =
        QStringLiteral("Affecte le circuit courant \"%1\" aux trajectoires après leur ouverture.");
    QString NoSwpText = QStringLiteral("Un fichier way-points doit être ouvert.");
    QString UnreadableText = QStringLiteral("Impossible de lire le répertoire %1");

    // What the main window lends: clearing the task and closing every trace.
    static inline std::function<void()> SupprCircuitExecute;
    static inline std::function<void()> FermeTteTrjExecute;

    void FormActivate();
    // Shows Folder (the tree follows) and lists it again when it changed.
    void SetFolder(const QString& Path);
    void FileListBoxChange();
    void LoadTaskFile();
    void SetExpGridTitles();
    void SortExpGrid(int Col, bool Descending);
    void OpenGrpExit();
    void RefreshBtnClick() { FileListBoxChange(); }
    void BrwsFolderBtnClick();
    void ClsAllTrjBtnClick();
    void OpenTrjBtnClick();
    void OpenSwpBtnClick();
    void OpenStnBtnClick();
    void SortBtnClick();
    void ExpGridDblClick();
    void StopRead();

    // The real file name of a grid row, empty for a row without a file.
    QString RowFile(int Row) const;
    bool Reading() const { return fReader.Running(); }
    const TSummaryCache& Cache() const { return fCache; }

protected:
    void showEvent(QShowEvent* E) override;

private:
    void FillRow(int Row, const TSummary& S);
    void SummaryDone(int Index, qint64 Size, qint64 MTimeMs, const TSummary& S);
    void SortAndMark(int Col, bool Descending);
    QString Signature() const;
    static QString Signature(const QString& Dir, const QStringList& Names, std::vector<TFileStamp>* Stamps);
    int MaskChoice() const;
    bool OpenTrace(const QString& Path);
    void UpdateHint();

    TSummaryReader fReader;
    TSummaryCache fCache;
    TSortGrid* fSorter = nullptr;
    std::vector<int> fRowOfFile; // grid row of file i
    QString fBuiltSignature;     // folder and file stamps at the last build
    TTrj* fTaskTrj = nullptr;    // the trace that got its task from here
    bool fTreeReady = false;
    bool fPlaced = false;
};

extern QPointer<TDirExplor> DirExplor;
