// The main window and the start-up of the program.
#include "app/Main.h"
#include "app/LangSmall.h"
#include "app/AppStyle.h"
#include "app/LangExplDir.h"
#include "app/LangMaps.h"
#include "app/LangPrint.h"
#include "app/LangTools.h"
#include "app/LangWpt.h"
#include "app/PlanRender.h"
#include "dialogs/Choice.h"
#include "dialogs/Editpos.h"
#include "dialogs/Editswp.h"
#include "dialogs/Editwpt.h"
#include "dialogs/ExplDir.h"
#include "dialogs/Help.h"
#include "dialogs/Info.h"
#include "dialogs/Inimap.h"
#include "dialogs/Reachmap.h"
#include "dialogs/Reachwpt.h"
#include "dialogs/SelTrj.h"
#include "dialogs/SmallWindows.h"
#include "dialogs/TestForm.h"
#include "dialogs/WebMap.h"

#include "app/Cutt.h"
#include "app/LangSearch.h"
#include "app/Langage.h"
#include "app/Option.h"
#include "app/Plan.h"
#include "app/Shell.h"
#include "app/Text.h"
#include "devices/DeviceViews.h"
#include "devices/Garmin.h"
#include "devices/Magellan.h"
#include "devices/Mlr.h"
#include "devices/Nmea.h"
#include "dialogs/CalcStn.h"
#include "dialogs/EditTrn.h"
#include "dialogs/Input.h"
#include "files/MapCal.h"
#include "files/MapLoad.h"
#include "files/RecFile.h"
#include "model/Options.h"
#include "platform/AtomicFile.h"
#include "model/Sector.h"
#include "model/Texts.h"
#include "platform/Msg.h"
#include "platform/WidgetFit.h"
#include "print/Infoprnf.h"
#include "print/Preview.h"
#include "print/Print.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <cmath>
#include <cstdio>
#include <exception>

TMainForm* MainForm = nullptr;
bool NmeaActive = false;

namespace {

// ---- Tool-bar icons, drawn so that they look alike on every desktop ----------------------------
// (and without reading image files: the style's own icons load every image plugin at start-up)

enum class TIcon
{
    Open,
    Save,
    Close,
    Back,
    Forward,
    TrjMode,
    WptMode,
    Wpt,
    Task,
    Zone,
    ZoomIn,
    ZoomOut,
    Fit,
    Options,
    Test,
    Print,
    Sector
};

QIcon MakeIcon(TIcon Kind)
{
    constexpr int S = 24;
    QPixmap pm(S, S);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink(40, 60, 110), accent(200, 60, 40), green(30, 130, 60);
    QPen pen(ink, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    auto magnifier = [&](bool plus) {
        p.drawEllipse(QPointF(10, 10), 6.5, 6.5);
        p.setPen(QPen(ink, 3.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(15, 15), QPointF(21, 21));
        p.setPen(QPen(accent, 2));
        p.drawLine(QPointF(7, 10), QPointF(13, 10));
        if (plus) p.drawLine(QPointF(10, 7), QPointF(10, 13));
    };
    // An arrow along the middle line, pointing left (Back) or right.
    auto arrow = [&](bool left) {
        const double s = left ? -1 : 1, tip = 12 + s * 8;
        p.setPen(QPen(ink, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawLine(QPointF(12 - s * 8, 12), QPointF(tip, 12));
        p.drawLine(QPointF(tip, 12), QPointF(tip - s * 6, 6));
        p.drawLine(QPointF(tip, 12), QPointF(tip - s * 6, 18));
    };
    switch (Kind) {
    case TIcon::Open: // a folder, opening
        p.setBrush(QColor(240, 200, 90));
        p.drawPolygon(QPolygonF(
            {QPointF(2, 6), QPointF(9, 6), QPointF(11, 8), QPointF(20, 8), QPointF(20, 19), QPointF(2, 19)}));
        p.setBrush(QColor(250, 225, 130));
        p.drawPolygon(QPolygonF({QPointF(5, 11), QPointF(23, 11), QPointF(20, 19), QPointF(2, 19)}));
        break;
    case TIcon::Save: // a diskette
        p.setBrush(QColor(90, 120, 190));
        p.drawRoundedRect(QRectF(3, 3, 18, 18), 2, 2);
        p.setBrush(QColor(250, 250, 250));
        p.drawRect(QRectF(7, 3, 10, 7));
        p.setBrush(QColor(220, 225, 235));
        p.drawRect(QRectF(6, 13, 12, 8));
        break;
    case TIcon::Close: // a cross
        p.setPen(QPen(accent, 3.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(6, 6), QPointF(18, 18));
        p.drawLine(QPointF(18, 6), QPointF(6, 18));
        break;
    case TIcon::Back:
        arrow(true);
        break;
    case TIcon::Forward:
        arrow(false);
        break;
    case TIcon::TrjMode: {
        QPainterPath path(QPointF(3, 19));
        path.cubicTo(QPointF(6, 4), QPointF(10, 4), QPointF(12, 12));
        path.cubicTo(QPointF(14, 20), QPointF(18, 20), QPointF(21, 5));
        p.setPen(QPen(QColor(30, 70, 200), 2.2, Qt::SolidLine, Qt::RoundCap));
        p.drawPath(path);
        p.setBrush(accent);
        p.setPen(Qt::NoPen);
        p.drawEllipse(QPointF(12, 12), 2.6, 2.6);
        break;
    }
    case TIcon::WptMode:
    case TIcon::Wpt:
        p.drawLine(QPointF(7, 21), QPointF(7, 3));
        p.setBrush(Kind == TIcon::WptMode ? green : accent);
        p.setPen(Qt::NoPen);
        p.drawPolygon(QPolygonF({QPointF(8, 3), QPointF(20, 7), QPointF(8, 11)}));
        p.setBrush(ink);
        p.drawEllipse(QPointF(7, 21), 2.5, 1.5);
        break;
    case TIcon::Task:
        p.setBrush(QColor(220, 230, 250));
        p.drawPolygon(QPolygonF({QPointF(4, 19), QPointF(12, 4), QPointF(20, 17)}));
        p.setBrush(accent);
        p.setPen(Qt::NoPen);
        for (const QPointF c : {QPointF(4, 19), QPointF(12, 4), QPointF(20, 17)}) p.drawEllipse(c, 2.5, 2.5);
        break;
    case TIcon::Zone:
        p.setPen(QPen(QColor(170, 40, 150), 2, Qt::DashLine));
        p.setBrush(QColor(170, 40, 150, 50));
        p.drawPolygon(
            QPolygonF({QPointF(3, 8), QPointF(12, 3), QPointF(21, 9), QPointF(18, 20), QPointF(6, 19)}));
        break;
    case TIcon::ZoomIn:
        magnifier(true);
        break;
    case TIcon::ZoomOut:
        magnifier(false);
        break;
    case TIcon::Fit:
        p.setPen(QPen(ink, 1.5, Qt::DotLine));
        p.drawRect(QRectF(6.5, 6.5, 11, 11));
        p.setPen(QPen(accent, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        for (int sx : {-1, 1})
            for (int sy : {-1, 1}) {
                const QPointF c(12 + sx * 9, 12 + sy * 9);
                p.drawLine(c, c - QPointF(sx * 5, 0));
                p.drawLine(c, c - QPointF(0, sy * 5));
            }
        break;
    case TIcon::Options:
        for (int i = 0; i < 3; ++i) {
            const double y = 5 + i * 7;
            p.setPen(QPen(ink, 2, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(3, y), QPointF(21, y));
            p.setBrush(i == 1 ? accent : QColor(250, 250, 250));
            p.setPen(QPen(ink, 1.5));
            p.drawEllipse(QPointF(i == 1 ? 15 : 8 + i * 3, y), 3, 3);
        }
        break;
    case TIcon::Print:
        p.setBrush(QColor(250, 250, 250));
        p.drawRect(QRectF(6, 3, 12, 18));
        p.setPen(QPen(ink, 1.2));
        for (int i = 0; i < 4; ++i) p.drawLine(QPointF(8.5, 7.5 + 3.5 * i), QPointF(15.5, 7.5 + 3.5 * i));
        break;
    case TIcon::Sector:
        p.drawEllipse(QPointF(12, 12), 9, 9);
        p.setBrush(accent);
        p.setPen(QPen(accent, 1));
        p.drawPie(QRectF(3, 3, 18, 18), 45 * 16, 90 * 16);
        break;
    case TIcon::Test: {
        QFont f = p.font();
        f.setBold(true);
        f.setPixelSize(15);
        p.setFont(f);
        p.drawText(QRect(0, 0, S, S), Qt::AlignCenter, QStringLiteral("T"));
        break;
    }
    }
    p.end();
    return QIcon(pm);
}

QString TrjDisplayName(const TTrj& T)
{
    if (!T.Name.isEmpty()) return T.Name;
    if (!T.FileName.isEmpty()) return QFileInfo(T.FileName).fileName();
    return QStringLiteral("?");
}

} // namespace

// ---- Creation -------------------------------------------------------------------------------------

TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("MainForm"));
    if (!MainForm) MainForm = this;
    FormCreate();
}

TMainForm::~TMainForm()
{
    if (ModelUi() == this) SetModelUi(nullptr);
    if (MainForm == this) MainForm = nullptr;
}

void TMainForm::FormCreate()
{
    ModelInit();
    LoadOptions();
    setWindowTitle(QStringLiteral("Zephalon"));
    setWindowIcon(MakeIcon(TIcon::TrjMode));
    QSize size(1280, 820);
    if (const QScreen* scr = QGuiApplication::primaryScreen())
        size = size.boundedTo(scr->availableGeometry().size() * 0.92);
    resize(size);
    BuildActions();
    BuildMenus();
    BuildToolBar();
    BuildStatusBar();

    HSplit = new QSplitter(Qt::Horizontal, this);
    HSplit->setObjectName(QStringLiteral("HSplit"));
    VSplit = new QSplitter(Qt::Vertical, HSplit);
    VSplit->setObjectName(QStringLiteral("VSplit"));
    HSplit->addWidget(VSplit);
    HSplit->setChildrenCollapsible(false);
    VSplit->setChildrenCollapsible(false);
    setCentralWidget(HSplit);

    LangMainForm(*this);
    UpdateActions();
}

QAction* TMainForm::NewAction(const char* Name, void (TMainForm::*Slot)(), const QIcon& Icon)
{
    auto* a = new QAction(Icon, QString::fromLatin1(Name), this);
    a->setObjectName(QString::fromLatin1(Name));
    // A command used before the secondary windows were made makes them first.
    connect(a, &QAction::triggered, this, [this, Slot] {
        EnsureForms();
        (this->*Slot)();
    });
    return a;
}

void TMainForm::BuildActions()
{
    OuvreTrj = NewAction("OuvreTrj", &TMainForm::OuvreTrjExecute, MakeIcon(TIcon::Open));
    OuvreTrj->setShortcut(QKeySequence::Open);
    EnregTrj = NewAction("EnregTrj", &TMainForm::EnregTrjExecute, MakeIcon(TIcon::Save));
    EnregTrj->setShortcut(QKeySequence::Save);
    FermeTrj = NewAction("FermeTrj", &TMainForm::FermeTrjExecute, MakeIcon(TIcon::Close));
    FermeTrj->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_W));
    FermeTteTrj = NewAction("FermeTteTrj", &TMainForm::FermeTteTrjExecute);
    OuvreWpt = NewAction("OuvreWpt", &TMainForm::OuvreWptExecute, MakeIcon(TIcon::Wpt));
    EnregWpt = NewAction("EnregWpt", &TMainForm::EnregWptExecute);
    FermeWpt = NewAction("FermeWpt", &TMainForm::FermeWptExecute);
    OuvreCircuit = NewAction("OuvreCircuit", &TMainForm::OuvreCircuitExecute, MakeIcon(TIcon::Task));
    EnregCircuit = NewAction("EnregCircuit", &TMainForm::EnregCircuitExecute);
    OuvreZone = NewAction("OuvreZone", &TMainForm::OuvreZoneExecute, MakeIcon(TIcon::Zone));
    FermeZone = NewAction("FermeZone", &TMainForm::FermeZoneExecute);
    Quitter = new QAction(QStringLiteral("Quitter"), this);
    Quitter->setObjectName(QStringLiteral("Quitter"));
    Quitter->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(Quitter, &QAction::triggered, this, &QWidget::close);

    ModeGroup = new QActionGroup(this);
    ModeGroup->setExclusive(true);
    TrjModeAct = NewAction("TrjModeAct", &TMainForm::TrjModeExecute, MakeIcon(TIcon::TrjMode));
    WptModeAct = NewAction("WptModeAct", &TMainForm::WptModeExecute, MakeIcon(TIcon::WptMode));
    for (QAction* a : {TrjModeAct, WptModeAct}) {
        a->setCheckable(true);
        ModeGroup->addAction(a);
    }
    TrjPrec = NewAction("TrjPrec", &TMainForm::TrjPrecExecute, MakeIcon(TIcon::Back));
    TrjPrec->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_PageUp));
    TrjSuiv = NewAction("TrjSuiv", &TMainForm::TrjSuivExecute, MakeIcon(TIcon::Forward));
    TrjSuiv->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_PageDown));
    ZoomPlus = NewAction("ZoomPlus", &TMainForm::ZoomPlusExecute, MakeIcon(TIcon::ZoomIn));
    ZoomPlus->setShortcut(QKeySequence::ZoomIn);
    ZoomMoins = NewAction("ZoomMoins", &TMainForm::ZoomMoinsExecute, MakeIcon(TIcon::ZoomOut));
    ZoomMoins->setShortcut(QKeySequence::ZoomOut);
    Ajuste = NewAction("Ajuste", &TMainForm::AjusteExecute, MakeIcon(TIcon::Fit));
    // The fit key takes Shift (the zones) and Ctrl (the map) as a click on its button does.
    Ajuste->setShortcuts({QKeySequence(Qt::Key_F5), QKeySequence(Qt::SHIFT | Qt::Key_F5),
                          QKeySequence(Qt::CTRL | Qt::Key_F5),
                          QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F5)});
    ArrangeViewsAct = NewAction("ArrangeViewsAct", &TMainForm::ArrangeViews);
    WebMapAct = NewAction("WebMapAct", &TMainForm::WebMapExecute);

    LoggerAct = NewAction("LoggerAct", &TMainForm::LoggerExecute);
    NmeaAct = NewAction("NmeaAct", &TMainForm::NmeaExecute);

    AssocieAuto = NewAction("AssocieAuto", &TMainForm::AssocieAutoExecute);
    Imprime = NewAction("Imprime", &TMainForm::ImprimeExecute, MakeIcon(TIcon::Print));
    Imprime->setShortcut(QKeySequence::Print);
    ControleSect = NewAction("ControleSect", &TMainForm::ControleSectExecute, MakeIcon(TIcon::Sector));
    SupprCircuit = NewAction("SupprCircuit", &TMainForm::SupprCircuitExecute);
    ExplorDir = NewAction("ExplorDir", &TMainForm::ExplorDirExecute);
    RechercheCirc = NewAction("RechercheCirc", &TMainForm::RechercheCircExecute);
    PtTrajEnVir = NewAction("PtTrajEnVir", &TMainForm::PtTrajEnVirExecute);

    Options = NewAction("Options", &TMainForm::OptionsExecute, MakeIcon(TIcon::Options));
    GpsGarmin = NewAction("GpsGarmin", &TMainForm::GpsGarminExecute);
    GpsMlr = NewAction("GpsMlr", &TMainForm::GpsMlrExecute);
    GpsMagellan = NewAction("GpsMagellan", &TMainForm::GpsMagellanExecute);
    APropos = NewAction("APropos", &TMainForm::AProposExecute);
    InstalleCarte = NewAction("InstalleCarte", &TMainForm::InstalleCarteExecute);
    SelectionCarte = NewAction("SelectionCarte", &TMainForm::SelectionCarteExecute);
    EditeTousWpt = NewAction("EditeTousWpt", &TMainForm::EditeTousWptExecute);
    EditeWptRep = NewAction("EditeWptRep", &TMainForm::EditeWptRepExecute);
    CreeWpt = NewAction("CreeWpt", &TMainForm::CreeWptExecute);
    PointTrjEnWpt = NewAction("PointTrjEnWpt", &TMainForm::PointTrjEnWptExecute);
    AtteindreWpt = NewAction("AtteindreWpt", &TMainForm::AtteindreWptExecute);
    SelPartieTrj = NewAction("SelPartieTrj", &TMainForm::SelPartieTrjExecute);
}

void TMainForm::BuildMenus()
{
    QMenuBar* mb = menuBar();
    auto menu = [&](const char* Name) {
        QMenu* m = mb->addMenu(QString::fromLatin1(Name));
        m->setObjectName(QString::fromLatin1(Name));
        return m;
    };
    QMenu* file = menu("FileMenu");
    file->addActions({OuvreTrj, EnregTrj, FermeTrj, FermeTteTrj});
    file->addSeparator();
    file->addActions({OuvreWpt, EnregWpt, FermeWpt});
    file->addSeparator();
    file->addActions({OuvreCircuit, EnregCircuit});
    file->addSeparator();
    file->addActions({OuvreZone, FermeZone});
    file->addSeparator();
    file->addAction(ExplorDir);
    file->addSeparator();
    file->addAction(Imprime);
    file->addSeparator();
    file->addAction(Quitter);

    QMenu* view = menu("ViewMenu");
    view->addActions({TrjModeAct, WptModeAct});
    view->addSeparator();
    view->addActions({TrjPrec, TrjSuiv});
    view->addSeparator();
    view->addActions({ZoomPlus, ZoomMoins, Ajuste});
    view->addSeparator();
    view->addAction(ArrangeViewsAct);
    view->addSeparator();
    view->addAction(WebMapAct);

    QMenu* wpt = menu("WptMenu");
    wpt->addActions({EditeTousWpt, EditeWptRep, CreeWpt, PointTrjEnWpt, AtteindreWpt});
    wpt->addSeparator();
    wpt->addAction(SelPartieTrj);

    QMenu* task = menu("CircuitMenu");
    task->addAction(PtTrajEnVir);
    EditePtVir = task->addMenu(QStringLiteral("EditePtVir"));
    EditePtVir->setObjectName(QStringLiteral("EditePtVir"));
    connect(EditePtVir, &QMenu::aboutToShow, this, [this] {
        EditePtVir->clear();
        int i = 0;
        for (TTrn* t = Stn ? Stn->First : nullptr; t; t = t->Next, ++i)
            EditePtVir->addAction(QString::number(t->Num) + QStringLiteral(" - ") + t->Name, this,
                                  [this, i] { EditePtVirExecute(i); });
    });
    task->addActions({AssocieAuto, SupprCircuit});
    task->addAction(ControleSect);
    task->addSeparator();
    task->addAction(RechercheCirc);

    QMenu* tools = menu("ToolsMenu");
    tools->addActions({SelectionCarte, InstalleCarte});
    tools->addSeparator();
    tools->addAction(Options);
    tools->addSeparator();
    tools->addAction(GpsGarmin);
    tools->addActions({LoggerAct, NmeaAct});
    tools->addAction(GpsMlr);
    tools->addAction(GpsMagellan);

    QMenu* help = menu("HelpMenu");
    help->addAction(APropos);
}

void TMainForm::BuildToolBar()
{
    MainToolBar = addToolBar(QString());
    MainToolBar->setObjectName(QStringLiteral("MainToolBar"));
    MainToolBar->setMovable(false);
    MainToolBar->setIconSize(QSize(24, 24));
    MainToolBar->addActions({OuvreTrj, EnregTrj, FermeTrj});
    MainToolBar->addSeparator();
    MainToolBar->addActions({OuvreWpt, OuvreCircuit, OuvreZone});
    MainToolBar->addSeparator();
    MainToolBar->addActions({TrjModeAct, WptModeAct});
    MainToolBar->addSeparator();
    MainToolBar->addActions({TrjPrec, TrjSuiv});
    MainToolBar->addSeparator();
    MainToolBar->addActions({ZoomPlus, ZoomMoins, Ajuste});
    MainToolBar->addSeparator();
    MainToolBar->addActions({Imprime, ControleSect});
    MainToolBar->addSeparator();
    MainToolBar->addAction(Options);

    TestBtn = new QToolButton(MainToolBar);
    TestBtn->setObjectName(QStringLiteral("TestBtn"));
    TestBtn->setIcon(MakeIcon(TIcon::Test));
    connect(TestBtn, &QToolButton::clicked, this, &TMainForm::TestBtnClick);
    TestBtnAction = MainToolBar->addWidget(TestBtn);
    TestBtnAction->setVisible(TestBtnWanted());

    // The keyboard state of a click is taken at the mouse-down on a button.
    for (QAction* a : MainToolBar->actions())
        if (QWidget* w = MainToolBar->widgetForAction(a)) w->installEventFilter(this);
}

void TMainForm::BuildStatusBar()
{
    StatusBar = statusBar();
    StatusBar->setObjectName(QStringLiteral("StatusBar"));
    StatusPanel = new QLabel(StatusBar);
    StatusPanel->setObjectName(QStringLiteral("StatusPanel"));
    StatusPanel->setMinimumWidth(200);
    TrjPanel = new QLabel(StatusBar);
    TrjPanel->setObjectName(QStringLiteral("TrjPanel"));
    TrjPanel->setMinimumWidth(160);
    PosPanel = new QLabel(StatusBar);
    PosPanel->setObjectName(QStringLiteral("PosPanel"));
    PosPanel->setMinimumWidth(190);
    StatusBar->addWidget(StatusPanel, 1);
    StatusBar->addPermanentWidget(TrjPanel);
    StatusBar->addPermanentWidget(PosPanel);
}

void TMainForm::DockViews()
{
    if (PlanForm && PlanForm->parentWidget() != VSplit) VSplit->addWidget(PlanForm);
    if (CuttForm && CuttForm->parentWidget() != VSplit) VSplit->addWidget(CuttForm);
    if (TextForm && TextForm->parentWidget() != HSplit) HSplit->addWidget(TextForm);
    HSplit->setStretchFactor(0, 1);
    HSplit->setStretchFactor(1, 0);
    VSplit->setStretchFactor(0, 1);
    VSplit->setStretchFactor(1, 0);
    if (PlanForm) {
        connect(PlanForm, &TPlanForm::currentFixChanged, this, [] {
            if (TextForm) TextForm->RefreshView();
        });
        connect(PlanForm, &TPlanForm::mousePositionChanged, this, &TMainForm::ShowMousePosition);
    }
    if (CuttForm)
        connect(CuttForm, &TCuttForm::currentFixChanged, this, [] {
            if (TextForm) TextForm->RefreshView();
        });
    ArrangeViews();
}

// ---- IModelUi ---------------------------------------------------------------------------------------

void TMainForm::ShowStatus(const QString& Text)
{
    StatusPanel->setText(Text);
    // Long operations run on this thread: show their text now. Clearing it can wait for the
    // next painting (an immediate one would also paint the views before they are fitted).
    if (!Text.isEmpty() && StatusPanel->isVisible()) StatusPanel->repaint();
}

void TMainForm::RefreshViews()
{
    if (TrjSel) TrjSel->TraceChanged();
    if (PlanForm) PlanForm->RefreshView();
    if (CuttForm) CuttForm->RefreshView();
    if (TextForm) TextForm->RefreshView();
    UpdateActions();
}

void TMainForm::ModelChanged()
{
    if (StnCalc) StnCalc->ModelChanged();
    RefreshViews();
}

void TMainForm::TaskEmptied()
{
    SupprCircuit->setEnabled(false);
    AssocieAuto->setEnabled(false);
    EnregCircuit->setEnabled(false);
}

void TMainForm::FitViews()
{
    if (PlanForm) PlanForm->Ajuste(0);
    if (CuttForm) CuttForm->FitView();
}

void TMainForm::UpdateActions()
{
    const bool trj = Trj != nullptr;
    const bool task = trj && Stn && Stn->Count > 0;
    EnregTrj->setEnabled(trj);
    FermeTrj->setEnabled(trj);
    FermeTteTrj->setEnabled(FirstTrj != nullptr);
    const bool several = FirstTrj && FirstTrj->NextTrj;
    TrjPrec->setEnabled(several);
    TrjSuiv->setEnabled(several);
    EnregWpt->setEnabled(Swp != nullptr);
    FermeWpt->setEnabled(Swp != nullptr);
    EditeWptRep->setEnabled(Swp != nullptr);
    AtteindreWpt->setEnabled(Swp != nullptr);
    PointTrjEnWpt->setEnabled(trj && Trj->CurRec);
    SelPartieTrj->setEnabled(trj && Trj->First);
    OuvreCircuit->setEnabled(trj);
    EnregCircuit->setEnabled(task);
    SupprCircuit->setEnabled(task);
    AssocieAuto->setEnabled(task);
    ControleSect->setEnabled(task);
    PtTrajEnVir->setEnabled(trj && Trj->CurRec);
    EditePtVir->setEnabled(task);
    FermeZone->setEnabled(Smp != nullptr);
    TrjModeAct->setChecked(TrjMode != 0);
    WptModeAct->setChecked(TrjMode == 0 && WptMode != 0);
    if (TrjMode == 0 && WptMode == 0) {
        // Neither mode: the group shows none checked.
        ModeGroup->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
        TrjModeAct->setChecked(false);
        WptModeAct->setChecked(false);
        ModeGroup->setExclusionPolicy(QActionGroup::ExclusionPolicy::Exclusive);
    }
    UpdateTrjPanel();
}

void TMainForm::UpdateTrjPanel()
{
    if (!Trj) {
        TrjPanel->clear();
        return;
    }
    int idx = 0, n = 0;
    for (TTrj* T = FirstTrj; T; T = T->NextTrj) {
        ++n;
        if (T == Trj) idx = n;
    }
    TrjPanel->setText(QStringLiteral("%1/%2  %3").arg(idx).arg(n).arg(TrjDisplayName(*Trj)));
}

void TMainForm::ShowMousePosition(int Lat, int Lon)
{
    PosPanel->setText(LatiToStr(Lat) + QStringLiteral("  ") + LongToStr(Lon));
}

void TMainForm::ClientArea(QPoint& Origin, QSize& Size, int& StatusBarHeight) const
{
    const int top = menuBar()->isVisible() ? menuBar()->height() : 0;
    Origin = mapToGlobal(QPoint(0, top));
    Size = QSize(width(), height() - top);
    StatusBarHeight = StatusBar->isVisible() ? StatusBar->height() : 0;
}

QRect TMainForm::ClientRect() const
{
    QPoint o;
    QSize s;
    int sb = 0;
    ClientArea(o, s, sb);
    return QRect(o, s);
}

// ---- Showing and closing -----------------------------------------------------------------------------

void TMainForm::showEvent(QShowEvent* e)
{
    QMainWindow::showEvent(e);
    if (!fFirstShown) {
        fFirstShown = true;
        FormFirstShow();
    }
}

void TMainForm::FormFirstShow()
{
    ArrangeViews();
    SetFrenchTexts();
    RefreshViews();
    // The keys step through the fixes from the start.
    if (PlanForm) PlanForm->setFocus();
    // The show event comes before the window is on screen: wait for its first painting. A
    // window that is never painted (shown minimised, no compositor) still opens its files.
    fAwaitPaint = true;
    fPaintWatched = PlanForm ? static_cast<QWidget*>(PlanForm) : this;
    fPaintWatched->installEventFilter(this);
    QTimer::singleShot(3000, this, [this] {
        if (fAwaitPaint) FormFirstPaint();
    });
}

void TMainForm::FormFirstPaint()
{
    if (fStartDone) return;
    fAwaitPaint = false;
    fStartDone = true;
    if (Opt->FondCarte && !Opt->FichFondCarte.isEmpty()) LoadMap(Opt->FichFondCarte);
    if (!StartTrjFile.isEmpty()) OpenTrajectories(StartTrjFile);
    RefreshViews();
    // The other windows are made once this painting is on screen; a window that is not
    // painted gets them a little later all the same.
    if (!fFormsMade && fPaintWatched) {
        fAwaitFormsPaint = true;
        if (fPaintWatched != this) fPaintWatched->installEventFilter(this);
        QTimer::singleShot(1000, this, [] { EnsureForms(); });
    }
}

namespace {
const QEvent::Type MakeFormsEvent = QEvent::Type(QEvent::User + 27);
}

void TMainForm::customEvent(QEvent* Event)
{
    if (Event->type() == MakeFormsEvent) {
        EnsureForms();
        return;
    }
    QMainWindow::customEvent(Event);
}

void TMainForm::closeEvent(QCloseEvent* e)
{
    // Modified traces and waypoints are offered for saving; Cancel keeps the program open.
    for (TTrj* T = FirstTrj; T; T = T->NextTrj)
        if (!AskSaveTrj(T)) {
            e->ignore();
            return;
        }
    if (!AskSaveSwp()) {
        e->ignore();
        return;
    }
    SaveOptions();
    // The map window keeps its options and removes its page when it closes.
    if (WebMapForm && WebMapForm->isVisible()) WebMapForm->close();
    e->accept();
}

bool TMainForm::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Event->type() == QEvent::Paint && fAwaitPaint && Watched == fPaintWatched) {
        // Queued: the painted frame reaches the screen before anything runs.
        fAwaitPaint = false;
        if (Watched != this) Watched->removeEventFilter(this);
        QMetaObject::invokeMethod(this, &TMainForm::FormFirstPaint, Qt::QueuedConnection);
        return QMainWindow::eventFilter(Watched, Event);
    }
    if (Event->type() == QEvent::Paint && fAwaitFormsPaint && Watched == fPaintWatched) {
        // Posted below the painting's own work, so that this frame is finished first.
        fAwaitFormsPaint = false;
        if (Watched != this) Watched->removeEventFilter(this);
        QCoreApplication::postEvent(this, new QEvent(MakeFormsEvent), Qt::LowEventPriority);
        return QMainWindow::eventFilter(Watched, Event);
    }
    if (Event->type() == QEvent::MouseButtonPress) {
        BtnShift = static_cast<QMouseEvent*>(Event)->modifiers();
        fBtnClick = true;
    } else if (Event->type() == QEvent::MouseButtonRelease) {
        // The action triggers during the release; forget the click right after it.
        QMetaObject::invokeMethod(
            this, [this] { fBtnClick = false; }, Qt::QueuedConnection);
    }
    return QMainWindow::eventFilter(Watched, Event);
}

// ---- File commands -------------------------------------------------------------------------------------

int TMainForm::OpenTrajectories(const QString& FileName)
{
    const int n = OpenTrjFiles(FileName, 1);
    if (n > 0) {
        if (Opt->AutoFit && PlanForm) PlanForm->Ajuste(0);
        if (Opt->AutoSelectionCarte && PlanForm) PlanForm->AutoSelectMap();
    }
    RefreshViews();
    return n;
}

void TMainForm::OuvreTrjExecute()
{
    OpenTrajectories(QString());
}

void TMainForm::EnregTrjExecute()
{
    if (!Trj) return;
    SaveTrjFile(Trj, QString(), Stn && Stn->Count > 0, false);
    RefreshViews();
}

void TMainForm::FermeTrjExecute()
{
    if (!Trj || !AskSaveTrj(Trj)) return;
    CloseTrj(Trj);
    RefreshViews();
}

void TMainForm::FermeTteTrjExecute()
{
    // Each trace is offered for saving; Cancel keeps it and those after it open.
    while (FirstTrj) {
        TTrj* T = FirstTrj;
        if (!AskSaveTrj(T)) break;
        CloseTrj(T);
    }
    RefreshViews();
}

void TMainForm::OuvreWptExecute()
{
    if (OpenSwpFile(QString()) && PlanForm && !Trj && Opt->AutoFit) PlanForm->Ajuste(0);
    RefreshViews();
}

void TMainForm::EnregWptExecute()
{
    if (Swp) SaveSwpFile(QString());
    RefreshViews();
}

void TMainForm::FermeWptExecute()
{
    if (!Swp || !AskSaveSwp()) return;
    FreeSwp();
    RefreshViews();
}

void TMainForm::OuvreCircuitExecute()
{
    if (!Trj) return;
    OpenStnFile(QString());
    RefreshViews();
}

void TMainForm::EnregCircuitExecute()
{
    if (!Stn || Stn->Count == 0) return;
    SaveStnFile(QString(), false);
    RefreshViews();
}

void TMainForm::OuvreZoneExecute()
{
    OpenSmpFile(QString());
    if (PlanForm) PlanForm->RefreshView();
    RefreshViews();
}

void TMainForm::FermeZoneExecute()
{
    SetSmp(nullptr);
    RefreshViews();
}

// ---- Modes and view commands -----------------------------------------------------------------------------

void TMainForm::TrjModeExecute()
{
    TrjMode = 1;
    WptMode = 0;
    RefreshViews();
}

void TMainForm::RechercheCircExecute()
{
    if (!StnCalc) return;
    if (TrjMode) WptModeExecute();
    if (!StnCalc->isVisible()) {
        QPoint origin;
        QSize size;
        int statusHeight = 0;
        ClientArea(origin, size, statusHeight);
        StnCalc->PlaceAbove(frameGeometry(), statusHeight);
    }
    StnCalc->Open();
}

void TMainForm::PtTrajEnVirExecute()
{
    if (!Trj || !Trj->CurRec || !Stn) return;
    TTrnEdit f(this);
    f.CreateMode = 1;
    LangTrnEdit(f);
    f.exec();
    RefreshViews();
    if (PlanForm) PlanForm->DrawStn();
}

void TMainForm::EditePtVirExecute(int Index)
{
    TTrn* t = Stn ? Stn->Item(Index) : nullptr;
    if (!t) return;
    Stn->SelTrn = t;
    TTrnEdit f(this);
    LangTrnEdit(f);
    f.exec();
    RefreshViews();
}

void TMainForm::WptModeExecute()
{
    WptMode = 1;
    TrjMode = 0;
    RefreshViews();
}

void TMainForm::TrjPrecExecute()
{
    if (!Trj) return;
    TTrj* T = Trj->PrevTrj;
    if (!T) // from the first, round to the last
        for (T = Trj; T->NextTrj;) T = T->NextTrj;
    SetCurrentTrj(T);
    if (Opt->AutoFit && PlanForm) PlanForm->Ajuste(0);
    RefreshViews();
}

void TMainForm::TrjSuivExecute()
{
    if (!Trj) return;
    SetCurrentTrj(Trj->NextTrj ? Trj->NextTrj : FirstTrj);
    if (Opt->AutoFit && PlanForm) PlanForm->Ajuste(0);
    RefreshViews();
}

void TMainForm::ZoomPlusExecute()
{
    if (PlanForm) PlanForm->ZoomAround(PlanForm->CtrLati, PlanForm->CtrLong, true, 2.0);
}

void TMainForm::ZoomMoinsExecute()
{
    if (PlanForm) PlanForm->ZoomAround(PlanForm->CtrLati, PlanForm->CtrLong, true, 0.5);
}

void TMainForm::AjusteExecute()
{
    const Qt::KeyboardModifiers mods = fBtnClick ? BtnShift : QGuiApplication::keyboardModifiers();
    fBtnClick = false;
    if (PlanForm) PlanForm->Ajuste(FitFlag(mods));
}

void TMainForm::ArrangeViews()
{
    if (!NmeaActive && fNmeaLayout) {
        // The receiver window closed: the main window takes its place back.
        fNmeaLayout = false;
        if (fNormalGeometry.isValid()) RestoreNormalGeometry();
        fNmeaRect = QRect();
    }
    const TViewSizes s = ComputeViewSizes(HSplit->size(), fNmeaLayout);
    if (HSplit->count() == 2) HSplit->setSizes(s.Horizontal);
    if (VSplit->count() == 2) VSplit->setSizes(s.Vertical);
}

void TMainForm::NmeaFormExtExecute(QObject*)
{
    if (!fNmeaLayout) {
        fNormalGeometry = geometry();
        fNmeaLayout = true;
    }
    if (QScreen* scr = screen()) {
        if (isMaximized()) showNormal();
        // Both windows with their title bars on this screen.
        const QWidget* nmea = NmeaForm;
        const TNmeaLayout l =
            ComputeNmeaLayout(scr->availableGeometry(), NmeaPanelWidth, FrameMargins(this),
                              FrameMargins(nmea, this), minimumSizeHint().expandedTo(minimumSize()),
                              nmea ? nmea->minimumSizeHint()
                                         .expandedTo(nmea->minimumSize())
                                         .expandedTo(QSize(TitleWidth(nmea), 0)) // its title whole
                                   : QSize());
        setGeometry(l.Main);
        fNmeaRect = l.Nmea;
    }
    const TViewSizes s = ComputeViewSizes(HSplit->size(), true);
    if (HSplit->count() == 2) HSplit->setSizes(s.Horizontal);
    if (VSplit->count() == 2) VSplit->setSizes(s.Vertical);
}

// ---- Task ----------------------------------------

void TMainForm::AssocieAutoExecute()
{
    if (!Trj || !Stn || Stn->Count == 0) return;
    ::AssocieAuto();
    RefreshViews();
    if (PreviewForm && PreviewForm->isVisible()) PreviewForm->PaintBox->update();
}

void TMainForm::ImprimeExecute()
{
    if (!PrintForm || PrintForm->isVisible() || PrintForm->Printing()) return;
    // Every opening reloads the settings, whatever the last run left.
    PrintForm->OutMode = 0;
    PrintForm->CtrlSect = 0;
    PrintForm->PageControl->setCurrentWidget(PrintForm->MainSheet);
    PrintForm->open();
}

void TMainForm::ControleSectExecute()
{
    if (!PrintForm || !PreviewForm || !Trj || !Stn || Stn->Count == 0 || PrintForm->Printing()) return;
    if (PrintForm->isVisible() || PreviewForm->isVisible()) return;
    PrintForm->OutMode = 0;
    PrintForm->LoadSettings();
    PrintForm->CtrlSect = 1;
    PrintForm->PrintOrPreview();
}

void TMainForm::ExplorDirExecute()
{
    if (!DirExplor) return;
    DirExplor->exec();
    UpdateActions();
    RefreshViews();
}

void TMainForm::SupprCircuitExecute()
{
    if (Stn && Stn->Count > 0) {
        Stn->Clear();
        Stn->Modified = true;
    }
    if (Trj) Trj->SelTrnIdx = -1;
    TaskEmptied();
    RefreshViews();
}

// ---- Web map and test window ----------------------------------------

void TMainForm::WebMapExecute()
{
    if (!WebMapForm) {
        new TWebMapForm(this, ClientRect().size());
        LangWebMapForm(*WebMapForm);
        RegisterLangRoutine(QStringLiteral("WebMapForm"), [] {
            if (WebMapForm) LangWebMapForm(*WebMapForm);
        });
    }
    {
        // The view sheet is made current without its change handler: the page is built once, below.
        const QSignalBlocker block(WebMapForm->PageControl);
        WebMapForm->PageControl->setCurrentWidget(WebMapForm->ViewTab);
    }
    WebMapForm->show();
    WebMapForm->raise();
    WebMapForm->activateWindow();
    WebMapForm->ShowMap();
}

void TMainForm::TestBtnClick()
{
    EnsureForms();
    if (!FormTest) return;
    FormTest->show();
    FormTest->raise();
    FormTest->activateWindow();
}

// ---- Tools and help ----------------------------------------

void TMainForm::OptionsExecute()
{
    auto* f = new TOptionForm(this);
    LangOptionForm(*f);
    f->OpenFrom = 0;
    const bool ok = f->exec() == QDialog::Accepted;
    delete f;
    if (!ok) return;
    if (Opt->FondCarte && !Map->Valid && !Opt->FichFondCarte.isEmpty()) LoadMap(Opt->FichFondCarte);
    RefreshViews();
}

void TMainForm::GpsGarminExecute()
{
    auto* f = new TGarminForm(this);
    LangGarminForm(*f);
    if (PlanForm) PlanForm->ComMode = 1;
    f->exec();
    delete f;
    if (PlanForm) PlanForm->ComMode = 0;
    UpdateActions();
    RefreshViews();
}

void TMainForm::GpsMlrExecute()
{
    TDeviceForm::NumberInput = InputWindowNumber;
    auto* f = new TMlrForm(this);
    LangMlrForm(*f);
    f->PlanView = [](TMlrView& V) {
        if (!PlanForm || !PlanForm->isVisible()) return false;
        PlanForm->ScreenToGeo(0, 0, V.North, V.West);
        PlanForm->ScreenToGeo(PlanForm->width() - 1, PlanForm->height() - PlanForm->BottomBand, V.South,
                              V.East);
        return true;
    };
    if (PlanForm) PlanForm->ComMode = 2;
    f->exec();
    delete f;
    if (PlanForm) PlanForm->ComMode = 0;
    ShowStatus(QString());
    ArrangeViews();
    UpdateActions();
    RefreshViews();
}

void TMainForm::GpsMagellanExecute()
{
    TDeviceForm::NumberInput = InputWindowNumber;
    auto* f = new TMagellanForm(this);
    LangMagellanForm(*f);
    if (PlanForm) PlanForm->ComMode = 1;
    f->exec();
    delete f;
    if (PlanForm) PlanForm->ComMode = 0;
    ShowStatus(QString());
    ArrangeViews();
    UpdateActions();
    RefreshViews();
}

void TMainForm::AProposExecute()
{
    MessageDlg(Tr(QStringLiteral("Zephalon %1\rAnalyse des vols de planeur."),
                  QStringLiteral("Zephalon %1\rGlider flight analysis."))
                   .arg(QCoreApplication::applicationVersion()),
               TMsgType::Information, mbOK,
               Tr(QStringLiteral("A propos de Zephalon"), QStringLiteral("About Zephalon")));
}

// ---- Scanned maps ----------------------------------------

void TMainForm::InstalleCarteExecute()
{
    if (ReachMapForm) ReachMapForm->Execute(1);
}

void TMainForm::SelectionCarteExecute()
{
    if (ReachMapForm) ReachMapForm->Execute(0);
}

// ---- Waypoints and trace part ----------------------------------------

void TMainForm::EditeTousWptExecute()
{
    if (!SwpEdit) return;
    SwpEdit->Execute(0);
    RefreshViews();
}

void TMainForm::EditeWptRepExecute()
{
    if (!SwpEdit || !Swp) return;
    SwpEdit->Execute(1);
    RefreshViews();
}

void TMainForm::CreeWptExecute()
{
    if (!WptEdit || !PlanForm) return;
    WptEdit->NewLati = PlanForm->MouseLati;
    WptEdit->NewLong = PlanForm->MouseLong;
    WptEdit->exec();
    RefreshViews();
}

void TMainForm::PointTrjEnWptExecute()
{
    if (!WptEdit || !Trj || !Trj->CurRec) return;
    WptEdit->NewLati = Trj->CurRec->Lat;
    WptEdit->NewLong = Trj->CurRec->Lon;
    WptEdit->exec();
    RefreshViews();
}

void TMainForm::AtteindreWptExecute()
{
    if (ReachWptForm) ReachWptForm->Execute();
}

void TMainForm::SelPartieTrjExecute()
{
    if (!TrjSel || !Trj || !Trj->First) return;
    TrjSel->show();
    TrjSel->raise();
}

namespace {

// The plan view as the reach window sees it.
class TPlanReach : public IPlanViewReach
{
public:
    bool IsVisible(const TPos& P) const override
    {
        if (!PlanForm) return true;
        const QPointF q = PlanForm->GeoToScreen(P.Lat, P.Lon);
        return q.x() >= 0 && q.y() >= 0 && q.x() <= PlanForm->PaintBoxWidth() &&
               q.y() <= PlanForm->PaintBoxHeight() - PlanForm->BottomBand;
    }
    void CentreOn(const TPos& P) override
    {
        if (PlanForm) PlanForm->ZoomAround(P.Lat, P.Lon, true, 1.0);
    }
    void MarkWpt(const TWpt* W) override
    {
        if (!PlanForm) return;
        if (PlanForm->MarkedWpt()) PlanForm->DrawWptCursor(nullptr);
        PlanForm->DrawWptCursor(W);
    }
    void SetHint(const QString& Text) override
    {
        if (PlanForm) PlanForm->setToolTip(Text);
    }
    void AutoSelectMap(const TPos& P) override
    {
        if (PlanForm) PlanForm->AutoSelectMap(P);
    }
};

TPlanReach gPlanReach;

} // namespace

// The waypoint windows and the trace-part window, with what the main window lends them.
static void CreateWptForms()
{
    SwpEdit = new TSwpEdit(MainForm);
    WptEdit = new TWptEdit(MainForm);
    TrjSel = new TTrjSel(MainForm);
    ReachWptForm = new TReachWptForm(MainForm);
    TReachWptForm::PlanView = &gPlanReach;
    RegisterWptLangRoutines();
}

namespace {

// What the printing windows reach of the main window.
class TMainPrintHost : public IPrintHost
{
public:
    void ClientArea(QPoint& Origin, QSize& Size, int& StatusBarHeight) const override
    {
        if (MainForm) MainForm->ClientArea(Origin, Size, StatusBarHeight);
    }
    void PlanCentre(int32& Lat, int32& Lon) const override
    {
        if (PlanForm) {
            Lat = PlanForm->CtrLati;
            Lon = PlanForm->CtrLong;
        }
    }
    void ShowMainWindow() override
    {
        if (MainForm) MainForm->show();
    }
    void AssociateAuto() override
    {
        if (MainForm) MainForm->AssocieAutoExecute();
    }
    void ShowStatus(const QString& Text) override
    {
        if (MainForm) MainForm->ShowStatus(Text);
    }
    QIcon ActionIcon(const QString& Name) const override
    {
        const QAction* a = MainForm ? MainForm->findChild<QAction*>(Name) : nullptr;
        return a ? a->icon() : QIcon();
    }
};

TMainPrintHost gPrintHost;

} // namespace

// The print dialog, the preview and the progress box, kept for the life of the program.
static void CreatePrintForms()
{
    new TPrintForm(MainForm);
    new TPreviewForm(MainForm);
    new TInfoPrnForm(MainForm);
    SetPrintHost(&gPrintHost);
    PreviewForm->TakeIcons();
    RegisterPrintLangRoutines();
}

// ---- Start-up ----------------------------------------

bool TZephalonApp::notify(QObject* Receiver, QEvent* Event)
{
    try {
        return QApplication::notify(Receiver, Event);
    } catch (const std::exception& e) {
        static bool reporting = false;
        if (!reporting) {
            reporting = true;
            MessageDlg(Tr(QStringLiteral("Erreur interne : %1"), QStringLiteral("Internal error: %1"))
                           .arg(QString::fromLocal8Bit(e.what())),
                       TMsgType::Error, mbOK);
            reporting = false;
        }
    } catch (...) {
        qCritical("Zephalon: unknown exception stopped at the event loop");
    }
    return false;
}

// The map chooser, the calibration window, the position editor and the help window, with what
// the main window lends them.
static void CreateMapForms()
{
    ReachMapForm = new TReachMapForm(MainForm);
    IniMapForm = new TIniMapForm(MainForm);
    PosEdit = new TPosEdit(MainForm);
    HelpForm = new THelpForm(MainForm);
    TReachMapForm::FitToMap = [] {
        if (PlanForm) PlanForm->Ajuste(FitCtrl);
    };
    TReachMapForm::CalibrationPlace = [] {
        if (!MainForm) return QRect();
        QPoint origin;
        QSize size;
        int status = 0;
        MainForm->ClientArea(origin, size, status);
        return QRect(origin, QSize(size.width(), size.height() - status));
    };
    RegisterLangRoutine(QStringLiteral("ReachMapForm"), [] {
        if (ReachMapForm) LangReachMapForm(*ReachMapForm);
    });
    RegisterLangRoutine(QStringLiteral("IniMapForm"), [] {
        if (IniMapForm) LangIniMapForm(*IniMapForm);
    });
    RegisterLangRoutine(QStringLiteral("PosEdit"), [] {
        if (PosEdit) LangPosEdit(*PosEdit);
    });
    RegisterLangRoutine(QStringLiteral("HelpForm"), [] {
        if (HelpForm) LangHelpForm(*HelpForm);
    });
}

// The flight-file explorer, with the task and trace commands it borrows.
static void CreateExplorer()
{
    DirExplor = new TDirExplor(MainForm);
    LangDirExplor(*DirExplor);
    TDirExplor::SupprCircuitExecute = [] { MainForm->SupprCircuitExecute(); };
    TDirExplor::FermeTteTrjExecute = [] { MainForm->FermeTteTrjExecute(); };
    RegisterLangRoutine(QStringLiteral("DirExplor"), [] {
        if (DirExplor) LangDirExplor(*DirExplor);
    });
}

void CreateForms(const QString& StartTrj)
{
    // The fixed order of the shared windows: the main window first (it loads the options),
    // then the plan view, the profile view and the calculations panel.
    InstallWindowFit();
    new TMainForm;
    new TPlanForm(MainForm);
    new TCuttForm(MainForm);
    new TTextForm(MainForm);
    LangTextForm(*TextForm);
    MainForm->DockViews();
    MainForm->StartTrjFile = StartTrj;
    SetModelUi(MainForm);
    // The shared open and save dialogs of every file command, created at their first use and
    // kept: building a file dialog loads the style's icons and starts reading a folder, a good
    // part of the start-up when done before the first painting.
    SetFileDialogHook([](TFileKind Kind, TFileChoice& Choice) {
        if (!MainForm) return false;
        if (!MainForm->OpenDlg) MainForm->OpenDlg = new TOpenCustomDialog(MainForm);
        if (!MainForm->SaveDlg) MainForm->SaveDlg = new TSaveCustomDialog(MainForm);
        try {
            return RunFileDialog(*MainForm->OpenDlg, *MainForm->SaveDlg, Kind, Choice);
        } catch (...) {
            return false;
        }
    });
    TOpenCustomDialog::SetOptionFormRunner([](int OpenFrom) {
        TOptionForm f(MainForm);
        LangOptionForm(f);
        f.OpenFrom = uint8(OpenFrom);
        f.exec();
    });
    RegisterWptActionTexts();
    CreateSmallWindows(MainForm);
    RegisterSmallWindowTexts();
    SetSectEditUi({[](uint8 Kind, QComboBox* List) { FillSectTypeList(Kind, List); },
                   [](uint8 Kind, uint8 Shape, QSpinBox* R1, QSpinBox* A2, QSpinBox* A1, QSpinBox* R2) {
                       SetSectHints(Kind, Shape, R1, A2, A1, R2);
                   }});
    PlanForm->StnSearchRadii = [] { return StnCalc ? StnCalc->SearchRadii() : std::vector<double>(); };
    SetDeviceViews(MainDeviceViews());
    SetFlightChoiceHook([](const QString& FileName, const QStringList& Flights, int& Index) {
        const TFlightChoice c = ChooseFlights(FileName, Flights);
        Index = c.Index;
        return c.Result;
    });
}

void EnsureForms()
{
    if (!MainForm || MainForm->fFormsMade) return;
    MainForm->fFormsMade = true;
    MainForm->fAwaitFormsPaint = false;
    CreateMapForms();
    CreateExplorer();
    new TStnCalc(MainForm);
    RegisterSearchTexts();
    CreateWptForms();
    CreatePrintForms();
    new TFormTest(MainForm);
    RegisterLangRoutine(QStringLiteral("FormTest"), [] {
        if (FormTest) LangFormTest(*FormTest);
    });
    // Made after the texts were first assigned: they take the language in use now.
    if (MainForm->fFirstShown) SetFrenchTexts();
}

void DestroyForms()
{
    CloseDeviceWindows();
    SetDeviceViews(nullptr);
    InstallFileDialogs(nullptr, nullptr);
    TOpenCustomDialog::SetOptionFormRunner(nullptr);
    TReachMapForm::FitToMap = nullptr;
    TDirExplor::SupprCircuitExecute = nullptr;
    TDirExplor::FermeTteTrjExecute = nullptr;
    TReachMapForm::CalibrationPlace = nullptr;
    TReachWptForm::PlanView = nullptr;
    UninstallMessageWindows();
    SetFlightChoiceHook({});
    SetFileDialogHook({});
    SetPrintHost(nullptr);
    SetModelUi(nullptr);
    delete MainForm; // the views are its children
    MainForm = nullptr;
}

void PrepareProcess()
{
    IgnoreFileSizeSignal();
    PrepareWebEngine();
}

void StartZephalon(const QString& StartTrj)
{
    InitFormatSettings();
    QCoreApplication::setApplicationName(QStringLiteral("Zephalon"));
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Zephalon"));
    if (QCoreApplication::applicationVersion().isEmpty())
        QCoreApplication::setApplicationVersion(QStringLiteral("0.1"));
    Language = 0;
    ModelInit();
    InitImageLimits();
    InstallAppStyle();
    CreateForms(StartTrj);
}

namespace {

// The start-up benchmark's signal: with ZPH_STARTUP_PROBE set, the program writes "painted" on
// its standard output once the plan view has been painted with the start-up's trace, and ends.
class TStartupProbe : public QObject
{
public:
    bool eventFilter(QObject* Watched, QEvent* Event) override
    {
        if (Event->type() == QEvent::Paint && !fDone && MainForm && MainForm->StartDone() &&
            (MainForm->StartTrjFile.isEmpty() || (Trj && Trj->Loaded))) {
            fDone = true;
            Watched->removeEventFilter(this);
            // After the painting has reached the window.
            QMetaObject::invokeMethod(
                qApp,
                [] {
                    std::fputs("painted\n", stdout);
                    std::fflush(stdout);
                    QCoreApplication::quit();
                },
                Qt::QueuedConnection);
        }
        return false;
    }

private:
    bool fDone = false;
};

} // namespace

int RunZephalon(QApplication& app)
{
    StartZephalon(StartupTrjFile(app.arguments()));
    TStartupProbe probe;
    if (qEnvironmentVariableIsSet("ZPH_STARTUP_PROBE") && PlanForm) PlanForm->installEventFilter(&probe);
    MainForm->show();
    const int rc = app.exec();
    DestroyForms();
    ModelDone();
    return rc;
}
