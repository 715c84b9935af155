#pragma once
// The shared open and save dialogs: a non-native file dialog with an extension panel below the
// standard controls (options button, two check boxes, airspace class combo, preview memo),
// configured for each purpose (TFileKind) by a table of plain data.
#include "files/RecFile.h"

#include <QFileDialog>
#include <QList>
#include <QRect>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QWidget;

// ---- Filters --------------------------------------------------------------------------------

// One entry of a filter text "Label|*.A;*.B|Label|*.C".
struct TDlgFilterEntry
{
    QString Label;
    QStringList Patterns; // as written between the bars, split at ";"
};
QList<TDlgFilterEntry> ParseDlgFilter(const QString& Filter);

// A pattern as the file list matches it: a bare word ("jpeg") is an extension ("*.jpeg"); the
// all-files pattern "*.*" is "*" (on Linux many files have no extension). Matching ignores case.
QString NormalisePattern(const QString& Pattern);

// The filter as name filters of the file dialog, one per entry: the label followed by the
// normalised patterns in parentheses, "IGC (*.GPS ou IGC) (*.GPS *.IGC)". The dialog hides the
// last parenthesised part, so the labels show as written and are never read as patterns.
QStringList DlgNameFilters(const QString& Filter);

// Extension of filter entry N (from 1) with its dot as written in the filter (".ZPH"): that of
// the entry's first pattern when it is "*.EXT" with a plain extension; empty otherwise ("*.*",
// a missing entry).
QString FilterEntryExt(const QString& Filter, int Entry);

// What a save appends to the chosen name: the extension of the chosen entry when the file name
// itself (never its folders) has no extension; empty when it has one (the name keeps it).
QString SaveExtFor(const QString& Filter, int Entry, const QString& FileName);

// ---- The per-kind table -----------------------------------------------------------------------

// Dialog options touched by the kinds.
enum TFileDlgOption : unsigned
{
    ofAllowMultiSelect = 1,
    ofFileMustExist = 2,
    ofOverwritePrompt = 4,
};

// A control of the extension panel for one kind; unset fields are left as they are.
struct TCtlState
{
    bool Visible = false;
    std::optional<bool> Enabled;
    std::optional<bool> Checked;
    std::optional<QString> Text;
};

struct TFileKindRow
{
    bool Applies = false; // false: title, filter and options are left as they are
    QString Title;
    QString Filter; // "Label|patterns|..."
    std::optional<QString> AllFormatsLabel;
    std::optional<QString> AllFilesLabel;
    TCtlState OptionBtn, CheckBox1, CheckBox2, ComboBox, ComboBoxLbl;
    std::optional<QRect> Memo;       // placement in the panel
    std::optional<bool> MemoVisible; // only the save-waypoints kind hides the memo
    unsigned OptionsAdd = 0, OptionsRemove = 0;

    unsigned ApplyOptions(unsigned Options) const { return (Options | OptionsAdd) & ~OptionsRemove; }
};

// What dialog each kind runs: an open or a save dialog, taking one file or several. One row per
// kind; a kind's number says nothing about it.
struct TFileKindMode
{
    TFileKind Kind;
    bool Save;    // a save dialog (asks before replacing), else an open dialog
    bool Several; // several files may be chosen
};
// The row of a kind, or null for a value that is no kind.
const TFileKindMode* FileKindMode(int Kind);

// The open dialog's row for a kind (0, 2, 4, 6, 7, 8; other kinds apply nothing).
TFileKindRow OpenKindRow(int Kind, int Language);
// The save dialog's row (1, 3, 5, 9); TaskHasTrns and SwpOpen enable the check boxes.
TFileKindRow SaveKindRow(int Kind, int Language, bool TaskHasTrns, bool SwpOpen);

// The page of the options dialog that the Options button opens for a kind: 1 the other options
// (open traces), 2 the trace sheet (save trace), 0 every sheet.
int OptionOpenFrom(int Kind);

// Whether the save dialog shows its check boxes and options button for a filter entry: only
// the own format (entry 1) of the save-trace and save-task kinds.
bool SaveExtrasVisible(int Kind, int Entry);

// ---- The dialogs ------------------------------------------------------------------------------

class TOpenCustomDialog : public QFileDialog
{
    Q_OBJECT
public:
    explicit TOpenCustomDialog(QWidget* Owner = nullptr);
    ~TOpenCustomDialog() override;

    // Set by the caller before Execute.
    uint8 DlgKind = fkOpenTrj;
    QString InitialDir;
    QString FileName; // proposed name before, chosen name after
    // Results (written when the dialog closes); DefZoneType is also set by the caller (kind 8),
    // and AddToOpened / ErrorList give the starting state of the open kinds' check boxes.
    uint8 AddToOpened = 0;
    uint8 IncludeTask = 0;
    uint8 IncludeWpt = 0;
    uint8 ErrorList = 0;
    uint8 DefZoneType = 0;
    QString AllFormatsLabel;
    QString AllFilesLabel;
    QStringList Files; // every chosen file

    // Runs the dialog for DlgKind; true when the user confirmed a choice.
    virtual bool Execute();

    // The extension panel.
    QWidget* ExtPanel = nullptr;
    QPushButton* OptionBtn = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QCheckBox* CheckBox2 = nullptr;
    QComboBox* ComboBox = nullptr;
    QLabel* ComboBoxLbl = nullptr;
    QPlainTextEdit* Memo = nullptr;

    // The dialog options (TFileDlgOption) as the kinds left them.
    unsigned Options() const { return fOptions; }
    // The chosen filter entry, from 1.
    int FilterIndex() const;
    // The filter text of the last kind applied.
    QString Filter() const { return fFilter; }

    // Fills the memo for the file under the cursor (run at every change of it).
    void UpdatePreview(const QString& Path);

    // The options dialog behind the Options button: the application installs it (OpenFrom 0
    // every sheet, 1 other options, 2 trace sheet). Without one the button does nothing.
    static void SetOptionFormRunner(std::function<void(int OpenFrom)> Runner);

    // The OK of the dialog: refuses, with a message, names that must exist and do not.
    void accept() override;

protected:
    // Applies the kind's row and the start folder; split from Execute for the save dialog.
    void Prepare(const TFileKindRow& Row);
    void ApplyControl(QWidget* W, const TCtlState& S);
    // Places the panel's controls so that every text shows whole.
    void LayoutPanel();
    void StoreResults();
    void OptionBtnClick();
    virtual void FilterChanged(int Entry);
    // Runs the dialog once Prepare has set it up; true when confirmed.
    bool RunModal();
    void hideEvent(QHideEvent* e) override;

    unsigned fOptions = 0;
    QString fFilter;
    QStringList fQtFilters;
    QString fCurrent; // file under the cursor
    bool fSave = false;
    bool fPreparing = false;
};

class TSaveCustomDialog : public TOpenCustomDialog
{
    Q_OBJECT
public:
    explicit TSaveCustomDialog(QWidget* Owner = nullptr);

    // What the save appends to FileName (".ZPH"), or empty; see SaveExtFor.
    QString SaveExt;

    bool Execute() override;
    // The OK of the dialog: asks before replacing an existing file (the name the save will
    // write, its extension added).
    void accept() override;

protected:
    void FilterChanged(int Entry) override;
    void StoreSaveExt();
};

// Installs the two dialogs as the file layer's dialogs (OpenTrjFiles, SaveSwpFile, ... ask
// their names through them). The dialogs stay owned by the caller; once destroyed, the file
// layer's requests are answered as cancelled. Both null uninstalls.
void InstallFileDialogs(TOpenCustomDialog* Open, TSaveCustomDialog* Save);

// One request of the file layer run on the given dialogs (what InstallFileDialogs installs).
bool RunFileDialog(TOpenCustomDialog& Open, TSaveCustomDialog& Save, TFileKind Kind, TFileChoice& Choice);
