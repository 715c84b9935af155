#include "dialogs/Editpos.h"

#include "files/MapCal.h"
#include "model/Calc.h"
#include "model/Texts.h"
#include "platform/MaskEdit.h"
#include "platform/Msg.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <cstdlib>

QPointer<TPosEdit> PosEdit;

const QString UtmZoneMask = QStringLiteral("00>L;1;_");
const QString UtmNorthMask = QStringLiteral("0000000;1;_");
const QString UtmEastMask = QStringLiteral("000000;1;_");

namespace {

QString ZeroPadded(int32 v, int width)
{
    const QString s = QString(width, u'0') + QString::number(v);
    return s.right(width);
}

bool AllDigits(const QString& s)
{
    if (s.isEmpty()) return false;
    for (QChar c : s)
        if (c < u'0' || c > u'9') return false;
    return true;
}

void SetMask(QLineEdit* E, const QString& Mask)
{
    const QString qt = MaskToQtInputMask(Mask);
    if (E->inputMask() != qt) E->setInputMask(qt);
}

} // namespace

TPosTexts PosEditFill(const TMapCalPoint& P, bool UtmMode, const TPosTexts& Prev)
{
    TPosTexts t = Prev;
    if (P.Lati == MapPosMissing) {
        t.Lati.clear();
        t.Long.clear();
        return t;
    }
    if (UtmMode) {
        QString zone;
        int32 north = 0, east = 0;
        LatLonToUtm(P.Lati, P.Long, zone, north, east);
        // The zone edit holds two digits and the band letter.
        t.Zone = zone.size() < 3 ? QString(3 - zone.size(), u'0') + zone : zone;
        t.North = ZeroPadded(north, 7);
        t.East = ZeroPadded(east, 6);
    } else {
        t.Lati = LatiToStr(P.Lati);
        t.Long = LongToStr(P.Long);
    }
    return t;
}

bool PosEditAccept(const TPosTexts& T, bool UtmMode, int32& Lat, int32& Lon)
{
    if (UtmMode) {
        const QString zone = T.Zone.trimmed().toUpper();
        if (zone.size() != 3 || !AllDigits(zone.left(2))) return false;
        const int number = zone.left(2).toInt();
        const QChar band = zone[2];
        if (number < 1 || number > 60 || band < u'C' || band > u'X' || band == u'I' || band == u'O')
            return false;
        const QString n = T.North.trimmed(), e = T.East.trimmed();
        if (!AllDigits(n) || !AllDigits(e)) return false;
        const int32 north = n.toInt(), east = e.toInt();
        if (east < 100000 || east > 900000) return false;
        int32 la = 0, lo = 0;
        if (!UtmToLatLon(zone, north, east, la, lo)) return false;
        Lat = la;
        Lon = lo;
        return true;
    }
    if (!MaskTextComplete(LatMask(), T.Lati) || !MaskTextComplete(LonMask(), T.Long)) return false;
    int32 la = 0, lo = 0;
    if (!ParseLat(T.Lati, la) || !ParseLon(T.Long, lo)) return false;
    Lat = la;
    Lon = lo;
    return true;
}

TPosEdit::TPosEdit(QWidget* Parent) : QDialog(Parent)
{
    setObjectName(QStringLiteral("PosEdit"));
    setWindowTitle(QStringLiteral("Entrée position"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
    const auto label = [this](const char* name, const char* text, int top) {
        auto* l = new QLabel(QString::fromUtf8(text), this);
        l->setObjectName(QLatin1String(name));
        l->setGeometry(8, top + 4, 100, 20);
        return l;
    };
    const auto edit = [this](const char* name, const char* hint, int top) {
        auto* e = new QLineEdit(this);
        e->setObjectName(QLatin1String(name));
        e->setToolTip(QString::fromUtf8(hint));
        e->setGeometry(112, top, 121, 24);
        return e;
    };
    LatiLbl = label("LatiLbl", "Latitude", 8);
    LatiEdit = edit("LatiEdit", "Latitude précise du point cliqué sur la carte.", 8);
    LongLbl = label("LongLbl", "Longitude", 40);
    LongEdit = edit("LongEdit", "Longitude précise du point cliqué sur la carte.", 40);
    UtmZoneLbl = label("UtmZoneLbl", "Zone UTM", 8);
    UtmZoneEdit = edit("UtmZoneEdit", "Zone UTM (exemple 32T).", 8);
    UtmNorthLbl = label("UtmNorthLbl", "Coord. N/S (x)", 40);
    UtmNorthEdit = edit("UtmNorthEdit", "Coordonée UTM Nord/Sud (x).", 40);
    UtmEastLbl = label("UtmEastLbl", "Coord. E/W (y)", 72);
    UtmEastEdit = edit("UtmEastEdit", "Coordonée UTM Est/Ouest (y).", 72);
    SetMask(UtmZoneEdit, UtmZoneMask);
    SetMask(UtmNorthEdit, UtmNorthMask);
    SetMask(UtmEastEdit, UtmEastMask);
    UtmZoneEdit->setText(fPrev.Zone);
    UtmNorthEdit->setText(fPrev.North);
    UtmEastEdit->setText(fPrev.East);

    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setToolTip(QStringLiteral("Ferme la fenêtre en validant les données."));
    OKBtn->setDefault(true);
    EscBtn = new QPushButton(QStringLiteral("Annuler"), this);
    EscBtn->setObjectName(QStringLiteral("EscBtn"));
    EscBtn->setToolTip(QStringLiteral("Ferme la fenêtre sans valider les données."));
    OKBtn->setGeometry(8, 104, 89, 28);
    EscBtn->setGeometry(144, 104, 89, 28);
    connect(OKBtn, &QPushButton::clicked, this, &TPosEdit::OKBtnClick);
    connect(EscBtn, &QPushButton::clicked, this, &TPosEdit::EscBtnClick);
}

TPosTexts TPosEdit::Texts() const
{
    TPosTexts t;
    t.Lati = LatiEdit->text();
    t.Long = LongEdit->text();
    t.Zone = UtmZoneEdit->text();
    t.North = UtmNorthEdit->text();
    t.East = UtmEastEdit->text();
    return t;
}

void TPosEdit::showEvent(QShowEvent* E)
{
    QDialog::showEvent(E);
    // A window shown again after a box closed is not a new opening.
    if (!E->spontaneous()) FormActivate();
}

void TPosEdit::FormActivate()
{
    const bool utm = UtmMode != 0;
    for (QWidget* w : {static_cast<QWidget*>(UtmZoneLbl), static_cast<QWidget*>(UtmZoneEdit),
                       static_cast<QWidget*>(UtmNorthLbl), static_cast<QWidget*>(UtmNorthEdit),
                       static_cast<QWidget*>(UtmEastLbl), static_cast<QWidget*>(UtmEastEdit)})
        w->setVisible(utm);
    for (QWidget* w : {static_cast<QWidget*>(LatiLbl), static_cast<QWidget*>(LatiEdit),
                       static_cast<QWidget*>(LongLbl), static_cast<QWidget*>(LongEdit)})
        w->setVisible(!utm);

    const int h = std::abs(fontMetrics().height()) + 8;
    for (QLineEdit* e : {LatiEdit, LongEdit, UtmZoneEdit, UtmNorthEdit, UtmEastEdit}) e->setFixedHeight(h);
    LatiEdit->move(LatiEdit->x(), 8);
    LongEdit->move(LongEdit->x(), 8 + h + 8);
    UtmZoneEdit->move(UtmZoneEdit->x(), 8);
    UtmNorthEdit->move(UtmNorthEdit->x(), 8 + h + 8);
    UtmEastEdit->move(UtmEastEdit->x(), 8 + 2 * (h + 8));
    for (auto [l, e] : {std::pair{LatiLbl, LatiEdit},
                        {LongLbl, LongEdit},
                        {UtmZoneLbl, UtmZoneEdit},
                        {UtmNorthLbl, UtmNorthEdit},
                        {UtmEastLbl, UtmEastEdit}})
        l->move(l->x(), e->y() + (h - l->height()) / 2);
    const QLineEdit* last = utm ? UtmEastEdit : LongEdit;
    OKBtn->move(OKBtn->x(), last->y() + last->height() + 5);
    EscBtn->move(EscBtn->x(), OKBtn->y());
    setFixedSize(EscBtn->x() + EscBtn->width() + OKBtn->x(), OKBtn->y() + OKBtn->height() + OKBtn->x());

    SetMask(LatiEdit, LatMask());
    SetMask(LongEdit, LonMask());
    const TMapCalPoint p = Point ? *Point : TMapCalPoint{};
    fPrev = Texts();
    const TPosTexts t = PosEditFill(p, utm, fPrev);
    LatiEdit->setText(t.Lati);
    LongEdit->setText(t.Long);
    UtmZoneEdit->setText(t.Zone);
    UtmNorthEdit->setText(t.North);
    UtmEastEdit->setText(t.East);
    // Typing starts at the first position of each mask.
    for (QLineEdit* e : {LatiEdit, LongEdit, UtmZoneEdit, UtmNorthEdit, UtmEastEdit}) e->setCursorPosition(0);
    (utm ? UtmZoneEdit : LatiEdit)->setFocus();
}

void TPosEdit::OKBtnClick()
{
    int32 lat = 0, lon = 0;
    if (!PosEditAccept(Texts(), UtmMode != 0, lat, lon)) {
        MessageDlg(QStringLiteral("Données saisies non valides."), TMsgType::Information, mbOK);
        return;
    }
    if (Point) {
        Point->X = ClickX;
        Point->Y = ClickY;
        Point->Lati = lat;
        Point->Long = lon;
        Point->Valid = true;
    }
    done(mrOk);
}

void TPosEdit::EscBtnClick()
{
    done(mrCancel);
}
