#pragma once
// The position editor: the geographic position of a reference point just clicked on a map
// image, typed as latitude and longitude (in the coordinate format of the options) or as a UTM
// zone, northing and easting.
#include "model/Define.h"

#include <QDialog>
#include <QPointer>

class QLabel;
class QLineEdit;
class QPushButton;

// Edit masks of the UTM fields.
extern const QString UtmZoneMask;  // two digits and one letter forced to upper case
extern const QString UtmNorthMask; // 7 digits
extern const QString UtmEastMask;  // 6 digits

// The texts of the five edits.
struct TPosTexts
{
    QString Lati, Long;
    QString Zone = QStringLiteral("00A"), North = QStringLiteral("0000000"), East = QStringLiteral("000000");
};

// The texts that show a point. A point whose latitude is missing empties the latitude and
// longitude and keeps the UTM texts of Prev; otherwise UtmMode gives the zone, the northing (7
// digits) and the easting (6 digits), else the latitude and longitude texts.
TPosTexts PosEditFill(const TMapCalPoint& P, bool UtmMode, const TPosTexts& Prev);

// The position the texts give, or false. UTM: zone 1..60 with a band letter C..X other than I
// and O, easting 100000..900000, and a conversion that succeeds. Latitude and longitude: both
// masks filled and both texts read.
bool PosEditAccept(const TPosTexts& T, bool UtmMode, int32& Lat, int32& Lon);

class TPosEdit : public QDialog
{
    Q_OBJECT
public:
    explicit TPosEdit(QWidget* Parent = nullptr);

    // Set by the caller before exec(): the mode, the point edited and the clicked pixel. On OK
    // the point gets the pixel and the typed position and becomes defined.
    uint8 UtmMode = 0;
    TMapCalPoint* Point = nullptr;
    int32 ClickX = -1, ClickY = -1;

    QLabel* LatiLbl = nullptr;
    QLineEdit* LatiEdit = nullptr;
    QLabel* LongLbl = nullptr;
    QLineEdit* LongEdit = nullptr;
    QLabel* UtmZoneLbl = nullptr;
    QLineEdit* UtmZoneEdit = nullptr;
    QLabel* UtmNorthLbl = nullptr;
    QLineEdit* UtmNorthEdit = nullptr;
    QLabel* UtmEastLbl = nullptr;
    QLineEdit* UtmEastEdit = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* EscBtn = nullptr;

    // The texts of the edits as they stand.
    TPosTexts Texts() const;

    void OKBtnClick();
    void EscBtnClick();

protected:
    void showEvent(QShowEvent* E) override;
    void FormActivate();

private:
    TPosTexts fPrev; // the UTM texts stay from one use to the next
};

extern QPointer<TPosEdit> PosEdit;
