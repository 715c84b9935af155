#include "dialogs/WebMap.h"
#include "dialogs/WebMapView.h"

#include "files/FileCommon.h"
#include "platform/IniFile.h"
#include "platform/Msg.h"
#include "platform/Numbers.h"
#include "platform/ProgramDir.h"
#include "platform/WinColor.h"

#include <QCloseEvent>
#include <QColorDialog>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLibrary>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <unistd.h>

TWebMapForm* WebMapForm = nullptr;

namespace {

const QString PageName = QStringLiteral("zephalon.tmp");
const QString ScriptName = QStringLiteral("zephalon-map.js");

// The page file the scheme serves (the window's TempFile).
QString& PageFile()
{
    static QString f;
    return f;
}

QByteArray MimeOf(const QString& Name)
{
    if (Name.endsWith(u".js")) return QByteArrayLiteral("text/javascript");
    if (Name.endsWith(u".css")) return QByteArrayLiteral("text/css");
    if (Name.endsWith(u".png")) return QByteArrayLiteral("image/png");
    return QByteArrayLiteral("application/octet-stream");
}

} // namespace

bool WebMapResource(const QString& UrlPath, QByteArray& Data, QByteArray& Mime)
{
    const QString path = QDir::cleanPath(UrlPath);
    QString error;
    if (path == u'/' + PageName) {
        Mime = QByteArrayLiteral("text/html");
        return ReadWholeFile(PageFile(), Data, error);
    }
    if (path == u'/' + ScriptName) {
        Data = WebMapScript();
        Mime = MimeOf(ScriptName);
        return true;
    }
    // The library's files, and nothing outside its folder whatever the path asks.
    if (!path.startsWith(u"/leaflet/")) return false;
    const QString lib = WebMapLibraryDir();
    const QString file = QDir::cleanPath(lib + path.mid(8));
    if (!file.startsWith(lib + u'/')) return false;
    Mime = MimeOf(file);
    return ReadWholeFile(file, Data, error);
}

void PrepareWebEngine()
{
    if (geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

QWidget* CreateWebMapView(QWidget* Parent, QString& Reason)
{
    static TCreateWebMapViewFn create = nullptr;
    if (!create) {
        // Beside the program, else in the build's folder (tests and benchmarks run from
        // folders of their own).
        QStringList dirs{QCoreApplication::applicationDirPath()};
#ifdef ZPH_WEBVIEW_DIR
        dirs << QStringLiteral(ZPH_WEBVIEW_DIR);
#endif
        QString error;
        for (const QString& dir : dirs) {
            const QString file =
                dir + QStringLiteral("/lib") + QLatin1String(WebMapViewLibrary) + QStringLiteral(".so");
            if (!QFile::exists(file)) continue;
            QLibrary lib(file);
            create = reinterpret_cast<TCreateWebMapViewFn>(lib.resolve(WebMapViewEntry));
            if (create) break;
            if (error.isEmpty()) error = lib.errorString();
        }
        if (!create) {
            Reason = !error.isEmpty() ? error
                                      : Tr(QStringLiteral("Bibliothèque de la carte web introuvable : %1"),
                                           QStringLiteral("Web map library not found: %1"))
                                            .arg(QStringLiteral("lib") + QLatin1String(WebMapViewLibrary) +
                                                 QStringLiteral(".so"));
            return nullptr;
        }
    }
    return create(Parent, &WebMapResource,
                  QStringLiteral(" Zephalon/") + QCoreApplication::applicationVersion());
}

QUrl WebMapPageUrl()
{
    return QUrl(QStringLiteral("zph://app/") + PageName);
}

// ---- Preview of the trace line ----------------------------------------------------------------

TTrjPntBox::TTrjPntBox(QWidget* Parent) : QWidget(Parent)
{
    setObjectName(QStringLiteral("TrjPntBox"));
    setFixedSize(123, 123);
}

void TTrjPntBox::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Color, LineWidth, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(0, 0, width() - 1, height() - 1);
}

// ---- Window -----------------------------------------------------------------------------------

namespace {

template <class T> T* Named(T* W, const char* Name)
{
    W->setObjectName(QString::fromLatin1(Name));
    return W;
}

QSlider* TrackBar(QWidget* Parent, const char* Name, Qt::Orientation O, int Min, int Max, int PageStep)
{
    auto* s = Named(new QSlider(O, Parent), Name);
    s->setRange(Min, Max);
    s->setSingleStep(1);
    s->setPageStep(PageStep);
    s->setTickPosition(O == Qt::Horizontal ? QSlider::TicksBelow : QSlider::TicksRight);
    s->setTickInterval(1);
    return s;
}

} // namespace

TWebMapForm::TWebMapForm(QWidget* Parent, QSize MainClient) : QWidget(Parent, Qt::Window)
{
    setObjectName(QStringLiteral("WebMapForm"));
    if (!WebMapForm) WebMapForm = this;
    FormCreate(MainClient);
}

TWebMapForm::~TWebMapForm()
{
    // The page goes before the profile it uses.
    delete WebBrowser;
    WebBrowser = nullptr;
    if (WebMapForm == this) WebMapForm = nullptr;
}

void TWebMapForm::FormCreate(QSize MainClient)
{
    CaptionText = QStringLiteral("Visualisation carte web");
    setWindowTitle(CaptionText);
    auto* top = new QVBoxLayout(this);
    PageControl = Named(new QTabWidget(this), "PageControl");
    top->addWidget(PageControl, 1);

    ViewTab = Named(new QWidget, "ViewTab");
    auto* viewLay = new QVBoxLayout(ViewTab);
    viewLay->setContentsMargins(0, 0, 0, 0);
    WebBrowser = CreateWebMapView(ViewTab, fNoView);
    if (!WebBrowser) {
        auto* why = new QLabel(fNoView, ViewTab);
        why->setWordWrap(true);
        why->setAlignment(Qt::AlignCenter);
        WebBrowser = why;
    }
    WebBrowser->setObjectName(QStringLiteral("WebBrowser"));
    viewLay->addWidget(WebBrowser);
    PageControl->addTab(ViewTab, QStringLiteral("Google &Map"));

    OptionTab = Named(new QWidget, "OptionTab");
    auto* opt = new QGridLayout(OptionTab);
    MapTypeGroup = Named(new QGroupBox(OptionTab), "MapTypeGroup");
    auto* typeLay = new QHBoxLayout(MapTypeGroup);
    const char* items[3] = {"Normal", "Satellite", "Hybrid"};
    for (int i = 0; i < 3; ++i) {
        MapTypeItems[i] = new QRadioButton(QString::fromLatin1(items[i]), MapTypeGroup);
        MapTypeItems[i]->setObjectName(QStringLiteral("MapTypeItem%1").arg(i));
        typeLay->addWidget(MapTypeItems[i]);
        connect(MapTypeItems[i], &QRadioButton::toggled, this, [this, i](bool On) {
            if (On) fMapType = i;
        });
    }
    opt->addWidget(MapTypeGroup, 0, 0, 1, 2);

    ZoomBar = TrackBar(OptionTab, "ZoomBar", Qt::Horizontal, WebMapZoomMin, WebMapZoomMax, 1);
    ZoomLbl = Named(new QLabel(OptionTab), "ZoomLbl");
    ZoomLbl->setBuddy(ZoomBar);
    opt->addWidget(ZoomLbl, 1, 0, 1, 2);
    opt->addWidget(ZoomBar, 2, 0, 1, 2);

    TrjGroup = Named(new QGroupBox(OptionTab), "TrjGroup");
    auto* trj = new QGridLayout(TrjGroup);
    TrjPntBox = new TTrjPntBox(TrjGroup);
    trj->addWidget(TrjPntBox, 0, 0, 3, 1);
    ColorTrjBtn = Named(new QPushButton(TrjGroup), "ColorTrjBtn");
    trj->addWidget(ColorTrjBtn, 0, 1);
    TrjColorDlg = Named(new QColorDialog(this), "TrjColorDlg");
    TrjWideBarLbl = Named(new QLabel(TrjGroup), "TrjWideBarLbl");
    TrjWideBar = TrackBar(TrjGroup, "TrjWideBar", Qt::Horizontal, WebMapWidthMin, WebMapWidthMax, 5);
    TrjWideBarLbl->setBuddy(TrjWideBar);
    trj->addWidget(TrjWideBarLbl, 1, 1);
    trj->addWidget(TrjWideBar, 2, 1);
    NbTrjRecBarLbl = Named(new QLabel(TrjGroup), "NbTrjRecBarLbl");
    NbTrjRecBar = TrackBar(TrjGroup, "NbTrjRecBar", Qt::Vertical, WebMapNbRecMin, WebMapNbRecMax, 1);
    NbTrjRecBar->setInvertedAppearance(true); // 1 (the whole trace) at the top
    NbTrjRecBar->setInvertedControls(true);
    NbTrjRecBar->setMinimumHeight(90);
    NbTrjRecBarLbl->setBuddy(NbTrjRecBar);
    NbTrjRecBarMaxLbl = Named(new QLabel(TrjGroup), "NbTrjRecBarMaxLbl");
    NbTrjRecBarMinLbl = Named(new QLabel(TrjGroup), "NbTrjRecBarMinLbl");
    trj->addWidget(NbTrjRecBarLbl, 3, 0, 1, 2);
    trj->addWidget(NbTrjRecBar, 4, 0, 2, 1, Qt::AlignHCenter);
    trj->addWidget(NbTrjRecBarMaxLbl, 4, 1, Qt::AlignTop);
    trj->addWidget(NbTrjRecBarMinLbl, 5, 1, Qt::AlignBottom);
    opt->addWidget(TrjGroup, 3, 0, 1, 2);
    GglKey = Named(new QLineEdit(OptionTab), "GglKey");
    GglKey->setVisible(false);
    opt->setRowStretch(4, 1);
    PageControl->addTab(OptionTab, QStringLiteral("&Options"));

    ButtonPanel = Named(new QWidget(this), "ButtonPanel");
    auto* buttons = new QHBoxLayout(ButtonPanel);
    buttons->addStretch(1);
    RefreshBtn = Named(new QPushButton(ButtonPanel), "RefreshBtn");
    CloseBtn = Named(new QPushButton(ButtonPanel), "CloseBtn");
    buttons->addWidget(RefreshBtn);
    buttons->addWidget(CloseBtn);
    top->addWidget(ButtonPanel);

    connect(RefreshBtn, &QPushButton::clicked, this, &TWebMapForm::RefreshBtnClick);
    connect(CloseBtn, &QPushButton::clicked, this, &TWebMapForm::CloseBtnClick);
    connect(PageControl, &QTabWidget::currentChanged, this, &TWebMapForm::PageControlChange);
    connect(ColorTrjBtn, &QPushButton::clicked, this, &TWebMapForm::ColorTrjBtnClick);
    connect(TrjWideBar, &QSlider::valueChanged, this, &TWebMapForm::TrjWideBarChange);

    SetSettings(TWebMapSettings());
    MinWidth = 600;
    MinHeight = 480;
    // The design size is the smallest the window may get.
    setMinimumSize(MinWidth, MinHeight);
    resize(std::max<int>(MinWidth, Round(MainClient.width() * 0.75)),
           std::max<int>(MinHeight, Round(MainClient.height() * 0.75)));
    FormActivate();
}

void TWebMapForm::FormActivate()
{
    TempFile = ProgramDir() + u'/' + PageName;
    PageFile() = TempFile;
    const TIniFile ini(IniFileName());
    SetSettings(ReadWebMapSettings(ini));
    fSettingsRead = true;
}

void TWebMapForm::FormClose()
{
    TIniFile ini(IniFileName());
    if (!WriteWebMapSettings(ini, Settings())) MessageDlg(ini.LastError(), TMsgType::Error, mbOK);
    QFile::remove(TempFile);
    fSettingsRead = false;
}

void TWebMapForm::showEvent(QShowEvent* e)
{
    // Settings are read again only after a close, so an option just changed survives a click
    // on another window.
    if (!fSettingsRead) FormActivate();
    QWidget::showEvent(e);
}

void TWebMapForm::closeEvent(QCloseEvent* e)
{
    FormClose();
    e->accept();
}

TWebMapSettings TWebMapForm::Settings() const
{
    TWebMapSettings S;
    S.MapType = fMapType;
    S.Zoom = ZoomBar->value();
    S.Color = QColorToWinColor(fTrjColor);
    S.Width = TrjWideBar->value();
    S.NbTrjRec = NbTrjRecBar->value();
    S.Key = GglKey->text();
    return S;
}

void TWebMapForm::SetSettings(const TWebMapSettings& S)
{
    fMapType = std::clamp(S.MapType, 0, 3);
    for (int i = 0; i < 3; ++i) {
        const QSignalBlocker block(MapTypeItems[i]);
        MapTypeItems[i]->setAutoExclusive(false);
        MapTypeItems[i]->setChecked(i == fMapType);
        MapTypeItems[i]->setAutoExclusive(true);
    }
    ZoomBar->setValue(S.Zoom);
    TrjWideBar->setValue(S.Width);
    NbTrjRecBar->setValue(S.NbTrjRec);
    GglKey->setText(S.Key);
    SetTrjColor(WinColorToQColor(S.Color));
}

void TWebMapForm::SetTrjColor(const QColor& C)
{
    fTrjColor = C;
    TrjColorDlg->setCurrentColor(C);
    TrjWideBarChange();
}

void TWebMapForm::ShowMap()
{
    setWindowTitle(CaptionText);
    if (Busy) return;
    QString caption;
    QByteArray page;
    const QSize view = WebBrowser->size();
    if (WptMode) {
        if (!Swp || Swp->Count == 0) return;
        if (!Swp->SelWpt) {
            MessageDlg(Tr(QStringLiteral("Un way-point doit être sélectionné."),
                          QStringLiteral("A waypoint must be selected.")),
                       TMsgType::Information, mbOK);
            return;
        }
        caption = CaptionText + QStringLiteral(" - Wpt: ") + Swp->SelWpt->Name;
        page = WebMapPageWpt(Settings(), *Swp->SelWpt, view);
    } else if (TrjMode) {
        if (!Trj || !Trj->CurRec) return;
        caption = CaptionText + QStringLiteral(" - Trj: ") + Trj->Name;
        page = WebMapPageTrj(Settings(), *Trj, view);
    } else {
        return;
    }
    setWindowTitle(caption);
    Busy = 1;
    QString error;
    const bool written = SaveFileAtomic(TempFile, page, error);
    Busy = 0;
    if (!written) {
        MessageDlg(error, TMsgType::Error, mbOK);
        return;
    }
    PageFile() = TempFile;
    if (!fNoView.isEmpty()) {
        MessageDlg(fNoView, TMsgType::Error, mbOK);
        return;
    }
    // A new address each time, so the view never keeps an older page.
    QUrl url = WebMapPageUrl();
    url.setQuery(QStringLiteral("n=%1").arg(++fLoads));
    WebBrowser->setProperty("url", url);
}

void TWebMapForm::RefreshBtnClick()
{
    ShowMap();
}

void TWebMapForm::CloseBtnClick()
{
    close();
}

void TWebMapForm::PageControlChange(int Index)
{
    if (PageControl->widget(Index) == ViewTab) ShowMap();
}

void TWebMapForm::ColorTrjBtnClick()
{
    TrjColorDlg->setCurrentColor(fTrjColor);
    if (TrjColorDlg->exec() == QDialog::Accepted) SetTrjColor(TrjColorDlg->selectedColor());
}

void TWebMapForm::TrjWideBarChange()
{
    TrjPntBox->Color = fTrjColor;
    TrjPntBox->LineWidth = TrjWideBar->value();
    TrjPntBox->update();
}
