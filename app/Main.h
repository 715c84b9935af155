#pragma once
#include "dialogs/FichDlg.h"
// The main window: menus, tool bar, actions and status bar around the plan view, the profile
// view and the calculations panel; the two working modes; the file commands; the start-up of
// the program.
#include "model/Define.h"
#include "model/ModelUi.h"

#include <QApplication>
#include <QMainWindow>
#include <QRect>

class QActionGroup;
class QLabel;
class QMenu;
class QSplitter;
class QToolBar;
class QToolButton;

// The program's application object: an exception that a handler lets escape is stopped at the
// event loop (Qt cannot unwind through its own frames), reported once, and the program goes on.
class TZephalonApp : public QApplication
{
public:
    TZephalonApp(int& argc, char** argv) : QApplication(argc, argv) {}
    bool notify(QObject* Receiver, QEvent* Event) override;
};

// Before the application object: what the process needs from its first instruction (a file-size
// limit makes writes fail instead of ending the program; the web map's engine can be loaded
// later without being set up here).
void PrepareProcess();

// Starts the program in an application object: settings, shared windows, the trace named on
// the command line; runs the event loop and returns its exit code.
int RunZephalon(QApplication& app);

// Start-up without the event loop: formats, options object, image limits, then the shared
// windows in their fixed order (the main window first, which loads the options; then the plan
// view, the profile view and the calculations panel, and the small message windows; the others
// follow the first painting, see EnsureForms). StartTrj is opened when the main window is first
// painted. DestroyForms frees them again (the model is left as it is).
void StartZephalon(const QString& StartTrj);
void CreateForms(const QString& StartTrj);
void DestroyForms();
// The windows that the first painting does not need (map, explorer, circuit search, waypoint,
// print and test windows): made once the main window has been painted, or at once by whatever
// needs them earlier (every command of the main window calls it). Does nothing the second time.
void EnsureForms();

// True while the live NMEA receiver window is open: the views draw the live segment and the
// main window keeps its NMEA layout.
extern bool NmeaActive;

class TMainForm : public QMainWindow, public IModelUi
{
    Q_OBJECT
public:
    // The shared open and save dialogs of the file commands (made at their first use).
    TOpenCustomDialog* OpenDlg = nullptr;
    TSaveCustomDialog* SaveDlg = nullptr;

    explicit TMainForm(QWidget* parent = nullptr);
    ~TMainForm() override;

    // File commands
    QAction* OuvreTrj = nullptr;
    QAction* EnregTrj = nullptr;
    QAction* FermeTrj = nullptr;
    QAction* FermeTteTrj = nullptr;
    QAction* OuvreWpt = nullptr;
    QAction* EnregWpt = nullptr;
    QAction* FermeWpt = nullptr;
    QAction* OuvreCircuit = nullptr;
    QAction* EnregCircuit = nullptr;
    QAction* OuvreZone = nullptr;
    QAction* FermeZone = nullptr;
    QAction* Quitter = nullptr;
    // View
    QAction* TrjModeAct = nullptr;
    QAction* WptModeAct = nullptr;
    QActionGroup* ModeGroup = nullptr;
    QAction* TrjPrec = nullptr;
    QAction* TrjSuiv = nullptr;
    QAction* ZoomPlus = nullptr;
    QAction* ZoomMoins = nullptr;
    QAction* Ajuste = nullptr;
    QAction* ArrangeViewsAct = nullptr;
    QAction* WebMapAct = nullptr; // the current fix or waypoint on a web map
    // Task
    QAction* AssocieAuto = nullptr;
    QAction* Imprime = nullptr;      // the print dialog
    QAction* ControleSect = nullptr; // the turn points' sectors on screen
    QAction* SupprCircuit = nullptr;
    // The flight-file explorer
    QAction* ExplorDir = nullptr;
    QAction* RechercheCirc = nullptr;
    QAction* PtTrajEnVir = nullptr;
    QMenu* EditePtVir = nullptr; // one entry per turn point of the task
    // Devices
    QAction* LoggerAct = nullptr;
    QAction* NmeaAct = nullptr;
    // Tools and help
    QAction* Options = nullptr;
    QAction* GpsGarmin = nullptr;
    QAction* GpsMlr = nullptr;
    QAction* GpsMagellan = nullptr;
    QAction* APropos = nullptr;
    // Scanned maps
    QAction* InstalleCarte = nullptr;
    QAction* SelectionCarte = nullptr;
    // Waypoints and trace part
    QAction* EditeTousWpt = nullptr;
    QAction* EditeWptRep = nullptr;
    QAction* CreeWpt = nullptr;
    QAction* PointTrjEnWpt = nullptr;
    QAction* AtteindreWpt = nullptr;
    QAction* SelPartieTrj = nullptr;

    QToolBar* MainToolBar = nullptr;
    // The test button: shown only when key "Test_Btn" of section "Interface" is set.
    QToolButton* TestBtn = nullptr;
    QAction* TestBtnAction = nullptr;
    QStatusBar* StatusBar = nullptr;
    QLabel* StatusPanel = nullptr; // first panel: ShowStatus
    QLabel* TrjPanel = nullptr;    // current trace
    QLabel* PosPanel = nullptr;    // position under the mouse
    QSplitter* HSplit = nullptr;   // {left column, calculations panel}
    QSplitter* VSplit = nullptr;   // {plan view, profile view}

    // Keyboard state at the last mouse-down on the tool bar's buttons.
    Qt::KeyboardModifiers BtnShift = Qt::NoModifier;
    // The trace opened once the window is first on screen (the command line's).
    QString StartTrjFile;
    // True once the start-up's files are opened (after the first painting of the window).
    bool StartDone() const { return fStartDone; }
    // True once the windows that wait for the first painting have been made.
    bool FormsMade() const { return fFormsMade; }

    // IModelUi
    void ShowStatus(const QString& Text) override;
    void RefreshViews() override;
    void ModelChanged() override;
    void TaskEmptied() override;
    void FitViews() override;

    // Puts the views created after the window into its layout.
    void DockViews();
    // Enables the commands that the model's state allows and checks the working mode.
    void UpdateActions();
    // The client area (below the menu bar) in screen coordinates and the status bar's height.
    void ClientArea(QPoint& Origin, QSize& Size, int& StatusBarHeight) const;
    QRect ClientRect() const;
    // Where the live NMEA window goes in the NMEA layout (screen coordinates).
    QRect NmeaFormRect() const { return fNmeaRect; }
    // Opens traces (the open dialog when FileName is empty) and fits the views to them.
    int OpenTrajectories(const QString& FileName);

public slots:
    void OuvreTrjExecute();
    void EnregTrjExecute();
    void FermeTrjExecute();
    void FermeTteTrjExecute();
    void OuvreWptExecute();
    void EnregWptExecute();
    void FermeWptExecute();
    void OuvreCircuitExecute();
    void EnregCircuitExecute();
    void OuvreZoneExecute();
    void FermeZoneExecute();
    void TrjModeExecute();
    void WptModeExecute();
    void TrjPrecExecute();
    void TrjSuivExecute();
    void ZoomPlusExecute();
    void ZoomMoinsExecute();
    void AjusteExecute();
    void ArrangeViews();
    void WebMapExecute();
    void TestBtnClick();
    void AssocieAutoExecute();
    // Opens the print dialog on its first sheet.
    void ImprimeExecute();
    // Shows every turn point's sector in the preview window, without the dialog.
    void ControleSectExecute();
    void SupprCircuitExecute();
    void ExplorDirExecute();
    void RechercheCircExecute();
    void PtTrajEnVirExecute();
    // Edits the task's turn point of that index in the turn-point editor.
    void EditePtVirExecute(int Index);
    void OptionsExecute();
    void GpsGarminExecute();
    void GpsMlrExecute();
    void GpsMagellanExecute();
    void AProposExecute();
    void InstalleCarteExecute();
    void SelectionCarteExecute();
    void NmeaFormExtExecute(QObject* Sender = nullptr);
    void EditeTousWptExecute();
    void EditeWptRepExecute();
    void CreeWptExecute();
    void PointTrjEnWptExecute();
    void AtteindreWptExecute();
    void SelPartieTrjExecute();
    // The reduced layout beside the live receiver window: the main window takes back its
    // place, the receiver window stays where it is.
    void NmeaFormRedExecute();
    void RestoreNormalGeometry();
    // The serial logger window (modal, freed after use) and the live receiver window (beside
    // the views until closed; a second command brings it to the front).
    void LoggerExecute();
    void NmeaExecute();

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;
    void customEvent(QEvent* Event) override;

private:
    friend void EnsureForms();
    void FormCreate();
    void BuildActions();
    void BuildMenus();
    void BuildToolBar();
    void BuildStatusBar();
    void FormFirstShow();
    // What may ask the user (the command line's trace, the background map): run once the
    // window has been painted, so that no question comes before the window is on screen.
    void FormFirstPaint();
    void UpdateTrjPanel();
    void ShowMousePosition(int Lat, int Lon);
    QAction* NewAction(const char* Name, void (TMainForm::*Slot)(), const QIcon& Icon = QIcon());

    bool fFirstShown = false;
    bool fAwaitPaint = false;
    bool fStartDone = false;
    bool fAwaitFormsPaint = false;
    bool fFormsMade = false;
    QObject* fPaintWatched = nullptr;
    bool fBtnClick = false; // the last trigger came from a tool-bar click
    bool fNmeaLayout = false;
    QRect fNormalGeometry;
    QRect fNmeaRect;
};

extern TMainForm* MainForm;

class IDeviceViews;
// What the device windows reach of the main window and its views (installed at start-up).
IDeviceViews* MainDeviceViews();
// Closes the live receiver window when it is open (before the views go).
void CloseDeviceWindows();
