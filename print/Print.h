#pragma once
// The print dialog: view, orientation, margins, printer, drawing styles, plan and
// cross-section options and the title; it previews or prints the page through the page code.
// The rules it applies live in print/PrintRules; the window only moves them in and out of its
// controls.
#include "model/Define.h"
#include "print/PrintIni.h"
#include "print/PrintMsg.h"
#include "print/PrintPage.h"

#include <QDialog>
#include <QIcon>
#include <QPointer>
#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPrinter;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;
class QTableWidget;
class QWidget;
class QGroupBox;

// What the printing windows reach of the main window (installed by the application).
class IPrintHost
{
public:
    virtual ~IPrintHost() = default;
    // The main window's client area in screen coordinates and its status bar's height.
    virtual void ClientArea(QPoint& Origin, QSize& Size, int& StatusBarHeight) const = 0;
    // The plan view's centre.
    virtual void PlanCentre(int32& Lat, int32& Lon) const = 0;
    virtual void ShowMainWindow() = 0;
    // Associates the task's turn points with the trace's reached points.
    virtual void AssociateAuto() = 0;
    virtual void ShowStatus(const QString& Text) = 0;
    // The icon of a main-window action by name (an empty icon when there is none).
    virtual QIcon ActionIcon(const QString& Name) const = 0;
};
void SetPrintHost(IPrintHost* Host);
IPrintHost* PrintHost();

// The colour, font and printer set-up dialogs, replaceable so that tests answer them.
using TColorRunner = std::function<bool(QWidget* Parent, QColor& Color)>;
using TFontRunner = std::function<bool(QWidget* Parent, QString& Family, int& Size)>;
using TPageSetupRunner = std::function<bool(QWidget* Parent, QPrinter& Printer)>;
void SetColorRunner(TColorRunner Runner);
void SetFontRunner(TFontRunner Runner);
void SetPageSetupRunner(TPageSetupRunner Runner);

// The view chosen last, kept between openings.
extern uint8 PrnView;

class TPrintForm : public QDialog
{
    Q_OBJECT
public:
    explicit TPrintForm(QWidget* Parent = nullptr);
    ~TPrintForm() override;

    TPrintSettings S;
    uint8 OutMode = 0;  // 0 printer, 2 preview
    uint8 CtrlSect = 0; // 1 sector-check sheet
    double Zoom = 1;
    TPageGeometry PageGeo; // of the last preview run
    bool Printing() const { return fPrinting; }

    // Texts the dialog shows.
    struct TMsgTexts
    {
        QString AssocQuestion = QStringLiteral(
            "Des points de virage du circuit\rne sont pas associés à des points de virages réalisés.\r"
            "Effectuer une association automatique ?\r(Annuler pour annuler l'impression )");
        QString WptModified = QStringLiteral("La liste des way-points a été modifiée depuis sa dernière "
                                             "sauvegarde.\rContinuer l'impression ?");
        QString MapsCleared = QStringLiteral(
            "Cette option accélère l'impression mais ne permet pas l'impresion des cartes de fond.\r"
            "Les options \"Carte de fond ...\" ont été désactivées dans l'onglet \"Vue en plan\".");
        QString MonochUnchecked = QStringLiteral(
            "Décocher l'impression monochrome nécessite plus de resssource et ralenti l'impression.");
        QString MonochCleared = QStringLiteral(
            "Les options \"Carte de fond ...\" nécessite plus de resssource et ralentissent l'impression.\r"
            "L'option \"Impression monochrome\" a été désactivée dans l'onglet \"Général\".");
        QString BadCoord = QStringLiteral("Données saisies non valides.");
    } MsgTexts;
    // Headings of the style grid's three columns.
    QStringList CtpGridTitles = {QStringLiteral("Elément"), QStringLiteral("Style"),
                                 QStringLiteral("Tracer")};

    QTabWidget* PageControl = nullptr;
    QWidget *MainSheet = nullptr, *DrawSheet = nullptr, *PlanSheet = nullptr, *CuttSheet = nullptr,
            *WptSheet = nullptr, *TitleSheet = nullptr;
    QPushButton *CloseBtn = nullptr, *ViewBtn = nullptr, *PrintBtn = nullptr;
    // Main sheet
    QGroupBox* VueGoupBox = nullptr;
    QRadioButton *VuePlanBtn = nullptr, *VueCuttBtn = nullptr, *VueDetailBtn = nullptr, *VueTaskBtn = nullptr,
                 *ListWptBtn = nullptr;
    QGroupBox* OrientGroupBox = nullptr;
    QRadioButton *PortraitBtn = nullptr, *PaysageBtn = nullptr;
    QWidget* OrientPaintBox = nullptr;
    QGroupBox* MarginGroupBox = nullptr;
    QSpinBox *TopEdit = nullptr, *BottomEdit = nullptr, *LeftEdit = nullptr, *RightEdit = nullptr;
    QLabel* PrinterLbl = nullptr;
    QComboBox* PrinterList = nullptr;
    QPushButton* ConfigBtn = nullptr;
    QLabel* NbCopyLbl = nullptr;
    QSpinBox* NbCopy = nullptr;
    QCheckBox* MonochBtn = nullptr;
    // Styles
    QTableWidget* CtpGrid = nullptr;
    QListWidget* CtpStlLst = nullptr;
    QPushButton *CtpColBtn = nullptr, *CtpFntBtn = nullptr, *PrnDefBtn = nullptr;
    QCheckBox* CtpDrwBox = nullptr;
    // Plan
    QCheckBox *MapPlanBtn = nullptr, *MapSectBtn = nullptr, *SmpPlanBtn = nullptr, *EchPlanBtn = nullptr,
              *RepPlanBtn = nullptr, *AdjPlanBtn = nullptr, *CtrPlanBtn = nullptr;
    QLabel *EchPlanLbl = nullptr, *CenterLbl = nullptr, *CtrLatiLbl = nullptr, *CtrLongLbl = nullptr;
    QComboBox* EchPlanBox = nullptr;
    QLineEdit *CtrLatiEdit = nullptr, *CtrLongEdit = nullptr;
    QLabel *PrnRepSizeLbl = nullptr, *PrnNbMeridLbl = nullptr;
    QSpinBox *PrnRepSizeEdit = nullptr, *PrnNbMeridEdit = nullptr;
    // Cross-section
    QCheckBox *EchAltiBtn = nullptr, *EchDateBtn = nullptr, *AdjCuttBtn = nullptr;
    QLabel *EchAltiLbl = nullptr, *EchDateLbl = nullptr;
    QComboBox *EchAltiBox = nullptr, *EchDateBox = nullptr;
    QLabel *HeightCuttLbl = nullptr, *HeightCuttLbl2 = nullptr, *HeightCuttLbl3 = nullptr;
    QSpinBox* HeightCutt = nullptr;
    // Waypoints, title
    QCheckBox* MrkWptOnly = nullptr;
    QCheckBox *NomFichBtn = nullptr, *DateBtn = nullptr, *PltBtn = nullptr, *PlnBtn = nullptr,
              *CmntBtn = nullptr;
    QLineEdit *CmntEdit = nullptr, *DefCmntEdit = nullptr;
    QLabel* DefCmntLbl = nullptr;

    // Enables the option controls for the chosen view.
    void UpdateOptions();
    void SyncOrientButtons();
    // Computes the page and prints it or shows it in the preview, by OutMode and CtrlSect.
    void PrintOrPreview();
    // Loads the settings as an opening would, without showing the dialog (sector check).
    void LoadSettings();
    // The controls into S, and S into the controls.
    void ReadControls();
    void ShowSettings();
    void CtpGridClick();
    void CtpStlLstClick(int Entry);
    void CtpColBtnClick();
    void CtpFntBtnClick();
    void PrnDefBtnClick();
    void ConfigBtnClick();
    void PrintBtnClick();
    void ViewBtnClick();
    void CtrLatiEditExit();
    void CtrLongEditExit();
    void CentreEditExit(QLineEdit* Edit, QString& Stored, bool Lati);
    void VueGoupBoxClick();
    // The style of a row of the grid (1..4 print styles, 5..14 zone classes), or null.
    TCtp* RowStyle(int Row);

    // Closing saves the section; while a print runs it waits for the end of the run.
    void done(int R) override;

protected:
    void showEvent(QShowEvent* E) override;
    void closeEvent(QCloseEvent* E) override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void FormCreate();
    void FormActivate();
    void FillPrinterList();
    void FillCentre();
    void MapPlanMonochBtnClick(int From);
    void RefreshGridMarks();
    void ShowStatus(const QString& Text);
    void EndOfRun(bool CloseDialog);

    bool fReentry = false;
    bool fFilling = false;
    bool fPrinting = false;
    bool fCloseWanted = false;
    bool fCheckingCentre = false;
};

extern QPointer<TPrintForm> PrintForm;
