#pragma once
// The web-map window: the selected waypoint, or the current trace around its current fix, on a
// map drawn in an embedded web view, and the options sheet of that map (section "WebMap").
//
// The page is written to "zephalon.tmp" in the program folder and loaded through the program's
// own URL scheme, which serves it as HTML together with the map library's files from the
// desktop's package folder; the map tiles come from the network. The web view comes from a
// library loaded when the window is first built (WebMapView.h).
#include "dialogs/WebMapPage.h"

#include <QColor>
#include <QUrl>
#include <QWidget>

class QColorDialog;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSlider;
class QTabWidget;

// Before the application object exists, without loading the web engine: the contexts the
// engine shares with the windows, and, when the program runs as root, the engine's sandbox
// switched off (the engine refuses to start otherwise).
void PrepareWebEngine();
// The web view of the map window, from its library (loaded at the first call, then kept); on
// failure a null pointer and Reason says why.
QWidget* CreateWebMapView(QWidget* Parent, QString& Reason);
// What the scheme serves for a path of its addresses: "/zephalon.tmp" the page file,
// "/zephalon-map.js" the map script, "/leaflet/..." the map library's files. False for
// anything else, a path that leaves the library's folder included.
bool WebMapResource(const QString& UrlPath, QByteArray& Data, QByteArray& Mime);
// The page's address in the scheme.
QUrl WebMapPageUrl();

// The preview of the trace line: a diagonal in the colour and width chosen.
class TTrjPntBox : public QWidget
{
public:
    explicit TTrjPntBox(QWidget* Parent);
    QColor Color;
    int LineWidth = 1;

protected:
    void paintEvent(QPaintEvent*) override;
};

class TWebMapForm : public QWidget
{
    Q_OBJECT
public:
    // MainClient: the main window's client size, from which the first size is taken.
    TWebMapForm(QWidget* Parent, QSize MainClient);
    ~TWebMapForm() override;

    QTabWidget* PageControl = nullptr;
    QWidget* ViewTab = nullptr;
    // The QWebEngineView, or a label that says why there is none.
    QWidget* WebBrowser = nullptr;
    QWidget* OptionTab = nullptr;
    QGroupBox* MapTypeGroup = nullptr;
    QRadioButton* MapTypeItems[3] = {};
    QSlider* ZoomBar = nullptr;
    QLabel* ZoomLbl = nullptr;
    QGroupBox* TrjGroup = nullptr;
    TTrjPntBox* TrjPntBox = nullptr;
    QPushButton* ColorTrjBtn = nullptr;
    QColorDialog* TrjColorDlg = nullptr;
    QSlider* TrjWideBar = nullptr;
    QLabel* TrjWideBarLbl = nullptr;
    QSlider* NbTrjRecBar = nullptr;
    QLabel* NbTrjRecBarLbl = nullptr;
    QLabel* NbTrjRecBarMaxLbl = nullptr;
    QLabel* NbTrjRecBarMinLbl = nullptr;
    QLineEdit* GglKey = nullptr;
    QWidget* ButtonPanel = nullptr;
    QPushButton* RefreshBtn = nullptr;
    QPushButton* CloseBtn = nullptr;

    int32 MinWidth = 0;
    int32 MinHeight = 0;
    QString TempFile;
    uint8 Busy = 0;
    QString CaptionText;

    // Builds the page for the current mode, writes it and shows it.
    void ShowMap();
    // The options sheet as settings, and back (values are brought into the controls' ranges).
    TWebMapSettings Settings() const;
    void SetSettings(const TWebMapSettings& S);
    // The colour of the trace line (the colour dialog's).
    QColor TrjColor() const { return fTrjColor; }
    void SetTrjColor(const QColor& C);

public slots:
    void RefreshBtnClick();
    void CloseBtnClick();
    void PageControlChange(int Index);
    void ColorTrjBtnClick();
    void TrjWideBarChange();

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void FormCreate(QSize MainClient);
    void FormActivate();
    void FormClose();

    QColor fTrjColor;
    int fMapType = 0;
    bool fSettingsRead = false;
    int fLoads = 0;
    QString fNoView; // why there is no web view
};

extern TWebMapForm* WebMapForm;
