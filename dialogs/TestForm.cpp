#include "dialogs/TestForm.h"

#include "files/LibXmlParser.h"
#include "model/Calc.h"
#include "model/ModelUi.h"
#include "model/Options.h"
#include "model/Texts.h"
#include "platform/MaskEdit.h"
#include "platform/Msg.h"
#include "platform/Numbers.h"
#include "platform/ProgramDir.h"

#include <QDateTime>
#include <QFile>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QShowEvent>
#include <QSpinBox>
#include <QVBoxLayout>
#include <cmath>

TFormTest* FormTest = nullptr;

QStringList XmlWalk(const QString& FileName)
{
    QStringList lines;
    if (!QFile::exists(FileName)) {
        lines << Tr(QStringLiteral("Fichier introuvable : %1"), QStringLiteral("File not found: %1"))
                     .arg(FileName);
        return lines;
    }
    TXmlParser parser;
    parser.Normalize = true;
    if (!parser.LoadFromFile(FileName)) {
        lines
            << Tr(QStringLiteral("Lecture impossible : %1"), QStringLiteral("Cannot read: %1")).arg(FileName);
        return lines;
    }
    static const struct
    {
        const char* Attr;
        const char* Label;
    } attrs[] = {{"creator", "GPS:"}, {"version", "version:"}, {"lat", "Lati:"}, {"lon", "Long:"}};
    parser.StartScan();
    while (parser.Scan()) {
        switch (parser.CurPartType) {
        case ptComment:
            lines << QStringLiteral("CMNT:") + parser.CurContent;
            break;
        case ptStartTag:
            if (parser.CurName == u"wpt")
                lines << QString() << QStringLiteral("New waypoint:");
            else if (parser.CurName == u"trk")
                lines << QString() << QStringLiteral("New track:");
            for (const auto& a : attrs) {
                const QString v = parser.CurAttr.Value(QString::fromLatin1(a.Attr));
                if (!v.isEmpty()) lines << QString::fromLatin1(a.Label) + v;
            }
            break;
        case ptEndTag:
            if (parser.CurName == u"ele" || parser.CurName == u"time" || parser.CurName == u"name")
                lines << parser.CurName + u':' + parser.CurContent;
            else if (parser.CurName == u"trk")
                lines << QStringLiteral("END_TAG:") + parser.CurName;
            break;
        default:
            break;
        }
    }
    if (parser.HasError()) lines << parser.ErrorString();
    return lines;
}

// ---- Window -----------------------------------------------------------------------------------

namespace {

QLineEdit* NewEdit(QWidget* Parent, const char* Name)
{
    auto* e = new QLineEdit(Parent);
    e->setObjectName(QString::fromLatin1(Name));
    return e;
}

QPushButton* NewButton(QWidget* Parent, const char* Name)
{
    auto* b = new QPushButton(QString::fromLatin1(Name), Parent);
    b->setObjectName(QString::fromLatin1(Name));
    return b;
}

QGroupBox* NewGroup(QWidget* Parent, const char* Name, QGridLayout*& Lay)
{
    auto* g = new QGroupBox(Parent);
    g->setObjectName(QString::fromLatin1(Name));
    Lay = new QGridLayout(g);
    return g;
}

QString Num(double v, int Decimals)
{
    return FloatToStrC(v, Decimals).trimmed();
}

bool ReadNumber(const QLineEdit* E, double& V)
{
    const auto v = StrToFloatC(E->text().trimmed());
    if (!v || !std::isfinite(*v)) return false;
    V = *v;
    return true;
}

bool ReadPos(const QLineEdit* Lat, const QLineEdit* Lon, TPos& P)
{
    TPos p;
    if (!ParseLat(Lat->text(), p.Lat) || !ParseLon(Lon->text(), p.Lon)) return false;
    P = p;
    return true;
}

void WritePos(QLineEdit* Lat, QLineEdit* Lon, const TPos& P)
{
    Lat->setText(LatiToStr(P.Lat));
    Lon->setText(LongToStr(P.Lon));
}

TDateTime ToDateTime(const QDateTime& D)
{
    const QDate d = D.date();
    const QTime t = D.time();
    return EncodeDate(d.year(), d.month(), d.day()) + t.msecsSinceStartOfDay() / 86400000.0;
}

} // namespace

TFormTest::TFormTest(QWidget* Parent) : QWidget(Parent, Qt::Window)
{
    setObjectName(QStringLiteral("FormTest"));
    setWindowTitle(QStringLiteral("Test"));
    if (!FormTest) FormTest = this;
    // The fields scroll inside the window when the screen is too small for all of them.
    auto* body = new QWidget(this);
    body->setObjectName(QStringLiteral("Body"));
    auto* top = new QGridLayout(body);
    QGridLayout* l = nullptr;

    QGroupBox* pos = NewGroup(this, "PosGroup", l);
    l->addWidget(new QLabel(QStringLiteral("Latitude"), pos), 0, 1);
    l->addWidget(new QLabel(QStringLiteral("Longitude"), pos), 0, 2);
    l->addWidget(new QLabel(QStringLiteral("1"), pos), 1, 0);
    l->addWidget(new QLabel(QStringLiteral("2"), pos), 2, 0);
    l->addWidget(Lati1Edit = NewEdit(pos, "Lati1Edit"), 1, 1);
    l->addWidget(Long1Edit = NewEdit(pos, "Long1Edit"), 1, 2);
    l->addWidget(Lati2Edit = NewEdit(pos, "Lati2Edit"), 2, 1);
    l->addWidget(Long2Edit = NewEdit(pos, "Long2Edit"), 2, 2);
    top->addWidget(pos, 0, 0, 1, 2);

    QGroupBox* dist = NewGroup(this, "DistGroup", l);
    const char* distLabels[] = {"Distance FAI", "Cap FAI", "Distance WGS84", "Cap WGS84"};
    QLineEdit** distEdits[] = {&Edit1, &Edit0, &Edit2, &Edit4};
    const char* distNames[] = {"Edit1", "Edit0", "Edit2", "Edit4"};
    for (int i = 0; i < 4; ++i) {
        l->addWidget(new QLabel(QString::fromLatin1(distLabels[i]), dist), i, 0);
        l->addWidget(*distEdits[i] = NewEdit(dist, distNames[i]), i, 1);
    }
    l->addWidget(Edit3 = NewEdit(dist, "Edit3"), 4, 1);
    l->addWidget(Button1 = NewButton(dist, "Button1"), 5, 1);
    top->addWidget(dist, 1, 0);

    QGroupBox* dest = NewGroup(this, "DestGroup", l);
    l->addWidget(new QLabel(QStringLiteral("Distance"), dest), 0, 0);
    l->addWidget(DistEdit = NewEdit(dest, "DistEdit"), 0, 1);
    l->addWidget(new QLabel(QStringLiteral("Cap"), dest), 0, 2);
    l->addWidget(CapEdit = NewEdit(dest, "CapEdit"), 0, 3);
    l->addWidget(new QLabel(QStringLiteral("FAI"), dest), 1, 0);
    l->addWidget(LatiFaiEdit = NewEdit(dest, "LatiFaiEdit"), 1, 1);
    l->addWidget(LongFaiEdit = NewEdit(dest, "LongFaiEdit"), 1, 2, 1, 2);
    l->addWidget(new QLabel(QStringLiteral("WGS84"), dest), 2, 0);
    l->addWidget(LatiWgs84Edit = NewEdit(dest, "LatiWgs84Edit"), 2, 1);
    l->addWidget(LongWgs84Edit = NewEdit(dest, "LongWgs84Edit"), 2, 2, 1, 2);
    l->addWidget(Edit5 = NewEdit(dest, "Edit5"), 3, 1);
    l->addWidget(Button2 = NewButton(dest, "Button2"), 3, 2, 1, 2);
    top->addWidget(dest, 1, 1);

    QGroupBox* angle = NewGroup(this, "AngleGroup", l);
    l->addWidget(new QLabel(QStringLiteral("x"), angle), 0, 0);
    l->addWidget(Edit6 = NewEdit(angle, "Edit6"), 0, 1);
    l->addWidget(new QLabel(QStringLiteral("y"), angle), 0, 2);
    l->addWidget(Edit7 = NewEdit(angle, "Edit7"), 0, 3);
    l->addWidget(new QLabel(QStringLiteral("atan2"), angle), 1, 0);
    l->addWidget(Edit8 = NewEdit(angle, "Edit8"), 1, 1);
    auto* label9 = new QLabel(QStringLiteral("Sph FAI"), angle);
    label9->setObjectName(QStringLiteral("Label9"));
    l->addWidget(label9, 1, 2);
    l->addWidget(Edit9 = NewEdit(angle, "Edit9"), 1, 3);
    l->addWidget(Button3 = NewButton(angle, "Button3"), 2, 1);
    l->addWidget(StrToLatLongBtn = NewButton(angle, "StrToLatLongBtn"), 2, 3);
    top->addWidget(angle, 2, 0);

    QGroupBox* utm = NewGroup(this, "UtmGroup", l);
    l->addWidget(new QLabel(QStringLiteral("Nord"), utm), 0, 0);
    l->addWidget(EditNorth = NewEdit(utm, "EditNorth"), 0, 1);
    l->addWidget(new QLabel(QStringLiteral("Est"), utm), 1, 0);
    l->addWidget(EditEast = NewEdit(utm, "EditEast"), 1, 1);
    l->addWidget(new QLabel(QStringLiteral("Zone"), utm), 2, 0);
    l->addWidget(EditUTMZone = NewEdit(utm, "EditUTMZone"), 2, 1);
    l->addWidget(ToUTM = NewButton(utm, "ToUTM"), 3, 0);
    l->addWidget(FromUTM = NewButton(utm, "FromUTM"), 3, 1);
    top->addWidget(utm, 2, 1);

    QGroupBox* trj = NewGroup(this, "TrjGroup", l);
    l->addWidget(DateEdit = NewEdit(trj, "DateEdit"), 0, 0);
    DateEdit->setInputMask(MaskToQtInputMask(QStringLiteral("!99:99:99;1;_")));
    l->addWidget(Button4 = NewButton(trj, "Button4"), 0, 1);
    l->addWidget(DistTrj = NewButton(trj, "DistTrj"), 1, 0);
    l->addWidget(InOut = NewButton(trj, "InOut"), 1, 1);
    VitesseEdit = new QSpinBox(trj);
    VitesseEdit->setObjectName(QStringLiteral("VitesseEdit"));
    VitesseEdit->setRange(5, 200);
    VitesseEdit->setSingleStep(5);
    VitesseEdit->setValue(5);
    VitesseEdit->setSuffix(QStringLiteral(" km/h"));
    l->addWidget(VitesseEdit, 2, 0);
    l->addWidget(Date = NewEdit(trj, "Date"), 2, 1);
    l->addWidget(StnToTrj = NewButton(trj, "StnToTrj"), 3, 0);
    top->addWidget(trj, 3, 0);

    QGroupBox* xml = NewGroup(this, "XmlGroup", l);
    l->addWidget(XmlEdit = NewEdit(xml, "XmlEdit"), 0, 0);
    l->addWidget(OpenXml = NewButton(xml, "OpenXml"), 0, 1);
    XmlMemo = new QPlainTextEdit(xml);
    XmlMemo->setObjectName(QStringLiteral("XmlMemo"));
    XmlMemo->setReadOnly(true);
    // A few lines at least; a long document scrolls inside the window instead of making it
    // taller than the screen.
    XmlMemo->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Ignored);
    XmlMemo->setMinimumHeight(XmlMemo->fontMetrics().lineSpacing() * 4 + 2 * XmlMemo->frameWidth() + 8);
    l->addWidget(XmlMemo, 1, 0, 1, 2);
    top->addWidget(xml, 3, 1);

    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("Scroll"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setWidget(body);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(scroll);
    QSize size = body->sizeHint() + QSize(scroll->verticalScrollBar()->sizeHint().width(), 0);
    if (const QScreen* scr = screen()) size = size.boundedTo(scr->availableGeometry().size() * 0.9);
    resize(size);

    connect(Button1, &QPushButton::clicked, this, &TFormTest::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TFormTest::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TFormTest::Button3Click);
    connect(Button4, &QPushButton::clicked, this, &TFormTest::Button4Click);
    connect(InOut, &QPushButton::clicked, this, &TFormTest::InOutClick);
    connect(ToUTM, &QPushButton::clicked, this, &TFormTest::ToUTMClick);
    connect(FromUTM, &QPushButton::clicked, this, &TFormTest::FromUTMClick);
    connect(DistTrj, &QPushButton::clicked, this, &TFormTest::DistTrjClick);
    connect(StnToTrj, &QPushButton::clicked, this, &TFormTest::StnToTrjClick);
    connect(OpenXml, &QPushButton::clicked, this, &TFormTest::OpenXmlClick);
    connect(StrToLatLongBtn, &QPushButton::clicked, this, &TFormTest::StrToLatLongBtnClick);
}

TFormTest::~TFormTest()
{
    if (FormTest == this) FormTest = nullptr;
}

QString TFormTest::DateFormat()
{
    return QStringLiteral("dd/MM/yyyy HH:mm:ss");
}

void TFormTest::showEvent(QShowEvent* e)
{
    // At the showing rather than at each activation, so typed values survive a click elsewhere.
    if (!e->spontaneous()) SetOpeningValues();
    QWidget::showEvent(e);
}

void TFormTest::SetOpeningValues()
{
    for (QLineEdit* E : {Lati1Edit, Lati2Edit}) E->setInputMask(MaskToQtInputMask(LatMask()));
    for (QLineEdit* E : {Long1Edit, Long2Edit}) E->setInputMask(MaskToQtInputMask(LonMask()));
    TPos p1{4750000, 300000}, p2{4700000, 100000};
    if (Stn && Stn->Count > 1) {
        p1 = *Stn->TrnPos(Stn->First);
        p2 = *Stn->TrnPos(Stn->First->Next);
    }
    WritePos(Lati1Edit, Long1Edit, p1);
    WritePos(Lati2Edit, Long2Edit, p2);
    DistEdit->setText(QStringLiteral("100"));
    CapEdit->setText(QStringLiteral("125"));
    Date->setText(QDateTime::currentDateTime().toString(DateFormat()));
}

void TFormTest::BadInput()
{
    MessageDlg(Tr(QStringLiteral("Données saisies non valides."), QStringLiteral("Invalid input.")),
               TMsgType::Warning, mbOK);
}

void TFormTest::Button1Click()
{
    TPos a, b;
    if (!ReadPos(Lati1Edit, Long1Edit, a) || !ReadPos(Lati2Edit, Long2Edit, b)) return BadInput();
    Edit1->setText(Num(Distance(a, b), 2));
    Edit0->setText(Num(Bearing(a, b), 2));
    double d = 0, azi1 = 0, azi2 = 0;
    const int32 rc = EllDistance(a, b, d, azi1, azi2);
    Edit2->setText(Num(d, 2));
    Edit3->setText(QString::number(rc));
    Edit4->setText(Num(azi1, 2));
}

void TFormTest::Button2Click()
{
    TPos p;
    double dist = 0, cap = 0;
    if (!ReadPos(Lati1Edit, Long1Edit, p) || !ReadNumber(DistEdit, dist) || !ReadNumber(CapEdit, cap))
        return BadInput();
    // The option is switched to compute both ways and put back as the pilot had it.
    const int32 model = Opt->EarthModel;
    Opt->EarthModel = 0;
    WritePos(LatiFaiEdit, LongFaiEdit, DestPoint(p, cap, dist));
    Opt->EarthModel = 1;
    WritePos(LatiWgs84Edit, LongWgs84Edit, DestPoint(p, cap, dist));
    Opt->EarthModel = model;
    TPos dest;
    Edit5->setText(QString::number(EllDestPoint(p, dest, cap, dist)));
}

void TFormTest::Button3Click()
{
    double x = 0, y = 0;
    if (!ReadNumber(Edit6, x) || !ReadNumber(Edit7, y)) return BadInput();
    Edit8->setText(Num(std::atan2(y, x), 10));
    Edit9->setText(Num(VectorAngle(x, y), 10));
}

void TFormTest::Button4Click()
{
    if (!Trj || !Trj->First) return;
    int32 time = 0;
    if (!HmsToTime(DateEdit->text(), time)) return BadInput();
    if (Trj->InsertRecAt(time)) {
        Trj->Modified = true;
        RefreshViews();
    }
}

void TFormTest::InOutClick()
{
    if (Smp && Smp->First && Swp && Swp->SelWpt) Edit1->setText(Smp->First->Name);
}

void TFormTest::ToUTMClick()
{
    TPos p;
    if (!ReadPos(Lati1Edit, Long1Edit, p)) return BadInput();
    QString zone;
    int32 north = 0, east = 0;
    LatLonToUtm(p.Lat, p.Lon, zone, north, east);
    EditNorth->setText(QString::number(north));
    EditEast->setText(QString::number(east));
    EditUTMZone->setText(zone);
}

void TFormTest::FromUTMClick()
{
    double north = 0, east = 0;
    TPos p;
    if (!ReadNumber(EditNorth, north) || !ReadNumber(EditEast, east) ||
        !UtmToLatLon(EditUTMZone->text().trimmed(), north, east, p.Lat, p.Lon))
        return BadInput();
    WritePos(Lati1Edit, Long1Edit, p);
}

void TFormTest::DistTrjClick()
{
    if (!Trj || !Trj->SelFirst || !Trj->SelLast) return;
    double sum = 0;
    for (const TRec* r = Trj->SelFirst; r && r != Trj->SelLast; r = r->Next)
        if (r->Next) sum += Distance(*r, *r->Next);
    setWindowTitle(Num(sum, 3));
}

void TFormTest::StnToTrjClick()
{
    if (!Stn || !Stn->First) return;
    const QDateTime start = QDateTime::fromString(Date->text().trimmed(), DateFormat());
    if (!start.isValid()) return BadInput();
    if (::StnToTrj(*Stn, ToDateTime(start), VitesseEdit->value())) {
        NotifyModelChanged();
        RefreshViews();
    }
}

void TFormTest::OpenXmlClick()
{
    if (XmlEdit->text().trimmed().isEmpty()) {
        const QString f =
            QFileDialog::getOpenFileName(this, Tr(QStringLiteral("Fichier XML"), QStringLiteral("XML file")),
                                         ProgramDir(), QStringLiteral("XML (*.xml *.gpx *.kml);;* (*)"));
        if (f.isEmpty()) return;
        XmlEdit->setText(f);
    }
    XmlMemo->setPlainText(XmlWalk(XmlEdit->text().trimmed()).join(u'\n'));
}

void TFormTest::StrToLatLongBtnClick()
{
    int32 v = 0;
    if (!StrToCoordInt(Edit8->text().trimmed(), v)) return BadInput();
    Edit9->setText(QString::number(v));
}
