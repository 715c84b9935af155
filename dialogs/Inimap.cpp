#include "dialogs/Inimap.h"

#include "dialogs/Editpos.h"
#include "dialogs/Help.h"
#include "files/MapCal.h"
#include "files/MapLoad.h"
#include "model/ModelUi.h"
#include "platform/Msg.h"

#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>
#include <cstdlib>

QPointer<TIniMapForm> IniMapForm;

namespace {

// Formats the painter draws straight from; other pictures (256-colour or grey scans) would be
// converted whole at every painting, so only the part drawn is copied for them.
bool DrawnDirectly(const QImage& I)
{
    return I.format() == QImage::Format_RGB32 || I.format() == QImage::Format_ARGB32 ||
           I.format() == QImage::Format_ARGB32_Premultiplied;
}

void DrawPart(QPainter& P, QPoint To, const QImage& I, const QRect& Part)
{
    if (DrawnDirectly(I))
        P.drawImage(To, I, Part);
    else
        P.drawImage(To, I.copy(Part));
}

QString Tx(const char* Fr, const char* En)
{
    return QString::fromUtf8(Language == 1 && En ? En : Fr);
}

} // namespace

// ---- Image ------------------------------------------------------------------------------------

TMapPaintBox::TMapPaintBox(TIniMapForm* Form, QWidget* Parent) : QWidget(Parent), fForm(Form)
{
    setObjectName(QStringLiteral("PaintBox"));
    setMouseTracking(true);
    setCursor(Qt::CrossCursor);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TMapPaintBox::paintEvent(QPaintEvent* E)
{
    if (!fForm->MapDef) return;
    const TMap& m = *fForm->MapDef;
    QPainter p(this);
    const QRect r = E->rect();
    // Only the exposed part of the picture, straight from the decoded image: a big map is
    // neither copied nor converted.
    DrawPart(p, r.topLeft(), m.Image, r.intersected(m.Image.rect()));
    p.setClipRect(r);
    PaintIniMapMarks(p, m, fForm->Capture, m.Image.width(), m.Image.height());
}

void TMapPaintBox::mousePressEvent(QMouseEvent* E)
{
    if (E->button() != Qt::LeftButton) return;
    fPressed = true;
    fForm->PaintBoxMouseDown(E->position().toPoint().x(), E->position().toPoint().y());
}

void TMapPaintBox::mouseMoveEvent(QMouseEvent* E)
{
    fForm->PaintBoxMouseMove(E->position().toPoint().x(), E->position().toPoint().y());
}

void TMapPaintBox::mouseReleaseEvent(QMouseEvent* E)
{
    if (E->button() != Qt::LeftButton || !fPressed) return;
    fPressed = false;
    if (rect().contains(E->position().toPoint())) fForm->PaintBoxClick();
}

// ---- Lens -------------------------------------------------------------------------------------

TZoomBox::TZoomBox(TIniMapForm* Form, QWidget* Parent) : QWidget(Parent), fForm(Form)
{
    setObjectName(QStringLiteral("ZoomPaintBox"));
    setFixedSize(81, 81);
}

QImage TZoomBox::LensSource(const TMap& M, const TCurvCapture& C, QPoint Center, const QColor& Background)
{
    QImage lens(27, 27, QImage::Format_RGB32);
    lens.fill(Background);
    const QPoint origin = Center - QPoint(13, 13);
    const QRect src = QRect(origin, QSize(27, 27)).intersected(M.Image.rect());
    QPainter p(&lens);
    if (!src.isEmpty()) DrawPart(p, src.topLeft() - origin, M.Image, src);
    p.translate(-origin);
    PaintIniMapMarks(p, M, C, M.Image.width(), M.Image.height());
    return lens;
}

void TZoomBox::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (!fForm->MapDef) {
        p.fillRect(rect(), palette().window());
        return;
    }
    p.setRenderHint(QPainter::SmoothPixmapTransform, false);
    p.drawImage(QRect(0, 0, 81, 81),
                LensSource(*fForm->MapDef, fForm->Capture, Center, palette().window().color()));
    p.setCompositionMode(QPainter::CompositionMode_Difference);
    p.fillRect(QRect(40, 0, 1, 81), Qt::white);
    p.fillRect(QRect(0, 40, 40, 1), Qt::white);
    p.fillRect(QRect(41, 40, 40, 1), Qt::white);
}

// ---- Icons ------------------------------------------------------------------------------------

TIconBox::TIconBox(TIniMapForm* Form, QWidget* Parent) : QWidget(Parent), fForm(Form)
{
    setObjectName(QStringLiteral("SecteurPaintBox"));
    setFixedSize(26, 129);
}

void TIconBox::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    static const TMap none;
    PaintIniMapIcons(p, fForm->MapDef ? *fForm->MapDef : none, palette().window().color());
}

// ---- Window -----------------------------------------------------------------------------------

TIniMapForm::TIniMapForm(QWidget* Parent) : QDialog(Parent)
{
    setObjectName(QStringLiteral("IniMapForm"));
    setWindowFlags(Qt::Dialog | Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
    ScrollBox = new QScrollArea(this);
    ScrollBox->setObjectName(QStringLiteral("ScrollBox"));
    ScrollBox->setWidgetResizable(false);
    PaintBox = new TMapPaintBox(this, nullptr);
    ScrollBox->setWidget(PaintBox);

    Panel = new QWidget(this);
    Panel->setObjectName(QStringLiteral("Panel"));
    // At least the panel's width, wider when its texts ask for more.
    Panel->setMinimumWidth(91);
    Panel->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    const auto button = [this](const char* name, const char* text, const char* hint) {
        auto* b = new QPushButton(QString::fromUtf8(text), Panel);
        b->setObjectName(QLatin1String(name));
        if (hint) b->setToolTip(QString::fromUtf8(hint));
        b->setAutoDefault(false);
        return b;
    };
    const auto label = [this](const char* name, const char* text) {
        auto* l = new QLabel(QString::fromUtf8(text), Panel);
        l->setObjectName(QLatin1String(name));
        return l;
    };
    OKBtn = button("OKBtn", "OK",
                   "Valide la modification des paramètres de la carte et ferme cette fenêtre d'édition.");
    EscBtn =
        button("EscBtn", "Annuler",
               "Ferme cette fenêtre d'édition des paramètres de la carte sans valider les modifications.");
    HelpBtn = button("HelpBtn", "&Aide", "Aide sur la création et l'installation des cartes.");
    SectLbl = label("SectLbl", "Secteurs :");
    SecteurPaintBox = new TIconBox(this, Panel);
    Secteur0Label = label("Secteur0Label", "non OK");
    Secteur1Label = label("Secteur1Label", "non OK");
    Secteur2Label = label("Secteur2Label", "non OK");
    Secteur3Label = label("Secteur3Label", "non OK");
    CourbLbl = label("CourbLbl", "Courbure :");
    CurvLatiBtn = button("CurvLatiBtn", "Parallèles", "Définition de la courbure des parallèles.");
    CurvLongBtn = button("CurvLongBtn", "Méridiens", "Définition de la courbure des méridiens.");
    CurvLatiBtn->setCheckable(true);
    CurvLongBtn->setCheckable(true);
    LatiLabel = label("LatiLabel", "Droite");
    LongLabel = label("LongLabel", "Droite");
    ZoomPaintBox = new TZoomBox(this, Panel);
    AffUtmBox = new QGroupBox(QStringLiteral("Coordonnées"), Panel);
    AffUtmBox->setObjectName(QStringLiteral("AffUtmBox"));
    AffUtmBox->setToolTip(QStringLiteral("Format pour la saisie et affichage des coordonnées."));
    LatLongBtn = new QRadioButton(QStringLiteral("Lati/Long"), AffUtmBox);
    LatLongBtn->setObjectName(QStringLiteral("LatLongBtn"));
    LatLongBtn->setToolTip(QStringLiteral("Saisie et affichage des coordonnées en Latitude/Longitude."));
    UtmBtn = new QRadioButton(QStringLiteral("UTM"), AffUtmBox);
    UtmBtn->setObjectName(QStringLiteral("UtmBtn"));
    UtmBtn->setToolTip(QStringLiteral("Saisie et affichage des coordonnées au format UTM."));
    auto* group = new QVBoxLayout(AffUtmBox);
    group->setContentsMargins(4, 4, 4, 4);
    group->addWidget(LatLongBtn);
    group->addWidget(UtmBtn);
    LatLongBtn->setChecked(true);

    // The side panel: buttons, the icons with their labels beside them, curvature, lens, format.
    auto* col = new QVBoxLayout(Panel);
    col->setContentsMargins(2, 2, 2, 2);
    col->addWidget(OKBtn);
    col->addWidget(EscBtn);
    col->addWidget(HelpBtn);
    col->addWidget(SectLbl);
    auto* icons = new QWidget(Panel);
    icons->setFixedHeight(129);
    SecteurPaintBox->setParent(icons);
    SecteurPaintBox->move(4, 0);
    for (int k = 0; k < 4; ++k) {
        QLabel* l = SecteurLabel(k);
        l->setParent(icons);
        l->move(34, 32 * k + qRound(12 - std::abs(l->fontMetrics().height()) / 2.0));
    }
    col->addWidget(icons);
    col->addWidget(CourbLbl);
    for (auto [b, l] : {std::pair{CurvLatiBtn, LatiLabel}, {CurvLongBtn, LongLabel}}) {
        auto* row = new QHBoxLayout;
        row->addWidget(b);
        row->addWidget(l);
        col->addLayout(row);
        b->setMinimumWidth(48);
    }
    col->addWidget(ZoomPaintBox);
    col->addWidget(AffUtmBox);
    col->addStretch();
    auto* main = new QHBoxLayout(this);
    main->setContentsMargins(0, 0, 0, 0);
    main->setSpacing(0);
    main->addWidget(ScrollBox, 1);
    main->addWidget(Panel);

    connect(OKBtn, &QPushButton::clicked, this, &TIniMapForm::OKBtnClick);
    connect(EscBtn, &QPushButton::clicked, this, &TIniMapForm::EscBtnClick);
    connect(HelpBtn, &QPushButton::clicked, this, &TIniMapForm::HelpBtnClick);
    connect(CurvLatiBtn, &QPushButton::clicked, this, &TIniMapForm::CurvLatiBtnClick);
    connect(CurvLongBtn, &QPushButton::clicked, this, &TIniMapForm::CurvLongBtnClick);
    // Made last, so that the window's own buttons are found before the help's by name.
    HelpWindow = new THelpForm(this);
    HelpWindow->setModal(false);
    resize(800, 600);
}

TIniMapForm::~TIniMapForm() = default;

QLabel* TIniMapForm::SecteurLabel(int k) const
{
    QLabel* const l[4] = {Secteur0Label, Secteur1Label, Secteur2Label, Secteur3Label};
    return l[k];
}

int TIniMapForm::Execute(const QString& ImagePath)
{
    MapFile = ImagePath;
    auto m = std::make_unique<TMap>();
    QString error;
    if (!LoadMapImage(ImagePath, m->Image, error)) {
        MessageDlg(error, TMsgType::Error, mbOK);
        return mrCancel;
    }
    MapDef = std::move(m);
    // A map without calibration or description starts with no comment.
    Comment.clear();
    OpenMapCalibration(ImagePath, *MapDef, Comment);
    Capture.Abandon();
    RefIdx = ParallelIdx = MeridianIdx = 0;
    ClickX = ClickY = -1;
    PaintBox->resize(MapDef->Image.size());
    ScrollBox->horizontalScrollBar()->setValue(0);
    ScrollBox->verticalScrollBar()->setValue(0);
    LatLongBtn->setChecked(true);
    ZoomPaintBox->Center = QPoint(-1000, -1000);
    setWindowTitle(QFileInfo(ImagePath).fileName());
    SecteurPaintBoxPaint();
    const int result = exec();
    ShowStatus(QString());
    if (HelpWindow) HelpWindow->close();
    MapDef.reset();
    PaintBox->resize(0, 0);
    return result;
}

void TIniMapForm::PaintBoxMouseMove(int32 x, int32 y)
{
    if (!MapDef) return;
    ZoomPaintBox->Center = QPoint(x, y);
    ZoomPaintBox->update();
    const TMapRegion r = MapRegionAt(x, y, MapDef->Image.width(), MapDef->Image.height());
    RefIdx = r.RefIdx;
    ParallelIdx = r.ParallelIdx;
    MeridianIdx = r.MeridianIdx;
    const bool utm = UtmBtn->isChecked();
    setWindowTitle(IniMapCaption(MapFile, *MapDef, Capture.Mode, x, y, utm));
    ShowStatus(IniMapStatus(*MapDef, Capture.Mode, r, utm));
}

void TIniMapForm::PaintBoxMouseDown(int32 x, int32 y)
{
    if (!MapDef) return;
    ClickX = std::clamp(x, 0, std::max(0, MapDef->Image.width() - 1));
    ClickY = std::clamp(y, 0, std::max(0, MapDef->Image.height() - 1));
    PaintBoxMouseMove(ClickX, ClickY);
}

void TIniMapForm::PaintBoxClick()
{
    if (!MapDef || ClickX < 0) return;
    if (Capture.Mode != TCurvMode::None) {
        const TMapRegion r = MapRegionAt(ClickX, ClickY, MapDef->Image.width(), MapDef->Image.height());
        Capture.Click(*MapDef, r, ClickX, ClickY);
    } else {
        TPosEdit* edit = PosEdit;
        std::unique_ptr<TPosEdit> own;
        if (!edit) {
            own = std::make_unique<TPosEdit>(this);
            edit = own.get();
        }
        edit->UtmMode = UtmBtn->isChecked() ? 1 : 0;
        edit->Point = &MapDef->Pos[RefIdx];
        edit->ClickX = ClickX;
        edit->ClickY = ClickY;
        edit->exec();
        edit->Point = nullptr;
    }
    SecteurPaintBoxPaint();
}

void TIniMapForm::CurvBtnClick(TCurvMode Button)
{
    if (MapDef) Capture.Toggle(Button, *MapDef);
    SecteurPaintBoxPaint();
}

void TIniMapForm::CurvLatiBtnClick()
{
    CurvBtnClick(TCurvMode::Parallels);
}

void TIniMapForm::CurvLongBtnClick()
{
    CurvBtnClick(TCurvMode::Meridians);
}

void TIniMapForm::SecteurPaintBoxPaint()
{
    static const TMap none;
    const TMap& m = MapDef ? *MapDef : none;
    for (int k = 0; k < 4; ++k) SecteurLabel(k)->setText(IniMapPointState(m.Pos[k].Valid));
    LatiLabel->setText(IniMapCurveState(m.aLati == 0 && m.aY == 0));
    LongLabel->setText(IniMapCurveState(m.aLong == 0 && m.aX == 0));
    CurvLatiBtn->setChecked(Capture.Mode == TCurvMode::Parallels);
    CurvLongBtn->setChecked(Capture.Mode == TCurvMode::Meridians);
    CurvLatiBtn->setEnabled(Capture.ButtonEnabled(TCurvMode::Parallels, m));
    CurvLongBtn->setEnabled(Capture.ButtonEnabled(TCurvMode::Meridians, m));
    SecteurPaintBox->update();
    PaintBox->update();
    ZoomPaintBox->update();
}

void TIniMapForm::OKBtnClick()
{
    if (!MapDef) return;
    if (Capture.Mode != TCurvMode::None) {
        Capture.Finish(*MapDef);
        SecteurPaintBoxPaint();
        return;
    }
    const int undefined = int(std::count_if(MapDef->Pos.begin(), MapDef->Pos.end(),
                                            [](const TMapCalPoint& p) { return !p.Valid; }));
    if (undefined > 0)
        MessageDlg(Tx("Des secteurs ne sont pas définis.\rLa carte ne pourra être affichée.",
                      "Some area aren't define.\rMap can't be display."),
                   TMsgType::Warning, mbOK);
    QString comment = Comment;
    if (InputQuery(Tx("Commentaires", "Comments"),
                   Tx("Commentaires concenant la carte", "Comments about the map"), comment))
        Comment = comment;
    // The comment is one line of the file.
    Comment.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    // One update of the file: a failure is reported and changes nothing; the points stay here.
    if (!SaveMapCal(MapCalFileName(MapFile), *MapDef, Comment, MapDef->Image.width(), MapDef->Image.height()))
        return;
    done(mrOk);
}

void TIniMapForm::EscBtnClick()
{
    if (Capture.Mode != TCurvMode::None) {
        Capture.Abandon();
        SecteurPaintBoxPaint();
        return;
    }
    done(mrCancel);
}

void TIniMapForm::reject()
{
    EscBtnClick();
}

void TIniMapForm::HelpBtnClick()
{
    HelpWindow->show();
    HelpWindow->raise();
}
