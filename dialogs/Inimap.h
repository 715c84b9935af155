#pragma once
// The map calibration window: the scanned map at full size, a reference point clicked in each
// quarter with its position typed in the position editor, three points clicked on one parallel
// or meridian for their curvature, and the calibration file written beside the image on OK.
#include "dialogs/InimapLogic.h"
#include "model/Define.h"

#include <QDialog>
#include <QPointer>
#include <memory>

class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QScrollArea;
class THelpForm;
class TIniMapForm;

// The image at full size: paints only the exposed rectangle of the one decoded image, then the
// inverting marks.
class TMapPaintBox : public QWidget
{
    Q_OBJECT
public:
    explicit TMapPaintBox(TIniMapForm* Form, QWidget* Parent);

protected:
    void paintEvent(QPaintEvent* E) override;
    void mousePressEvent(QMouseEvent* E) override;
    void mouseMoveEvent(QMouseEvent* E) override;
    void mouseReleaseEvent(QMouseEvent* E) override;

private:
    TIniMapForm* fForm;
    bool fPressed = false;
};

// The magnifying lens: the 27 x 27 pixels around the mouse, marks included, three times
// enlarged without smoothing, with an inverted cross through the centre.
class TZoomBox : public QWidget
{
    Q_OBJECT
public:
    explicit TZoomBox(TIniMapForm* Form, QWidget* Parent);
    QPoint Center{-1000, -1000};
    // The 27 x 27 pixels the lens enlarges (Background outside the image).
    static QImage LensSource(const TMap& M, const TCurvCapture& C, QPoint Center, const QColor& Background);

protected:
    void paintEvent(QPaintEvent* E) override;

private:
    TIniMapForm* fForm;
};

// The four corner icons.
class TIconBox : public QWidget
{
    Q_OBJECT
public:
    explicit TIconBox(TIniMapForm* Form, QWidget* Parent);

protected:
    void paintEvent(QPaintEvent* E) override;

private:
    TIniMapForm* fForm;
};

class TIniMapForm : public QDialog
{
    Q_OBJECT
public:
    explicit TIniMapForm(QWidget* Parent = nullptr);
    ~TIniMapForm() override;

    // Opens the window on an image: loads it (a picture that cannot be read is reported and the
    // result is Cancel), reads its calibration or description file, and runs the window
    // modally. mrOk when the calibration was saved.
    int Execute(const QString& ImagePath);

    QString MapFile;
    QString Comment;
    std::unique_ptr<TMap> MapDef; // exists while the window is open
    uint8 RefIdx = 0, ParallelIdx = 0, MeridianIdx = 0;
    int32 ClickX = -1, ClickY = -1;
    TCurvCapture Capture;

    QScrollArea* ScrollBox = nullptr;
    TMapPaintBox* PaintBox = nullptr;
    QWidget* Panel = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* EscBtn = nullptr;
    QPushButton* HelpBtn = nullptr;
    QLabel* SectLbl = nullptr;
    TIconBox* SecteurPaintBox = nullptr;
    QLabel* Secteur0Label = nullptr;
    QLabel* Secteur1Label = nullptr;
    QLabel* Secteur2Label = nullptr;
    QLabel* Secteur3Label = nullptr;
    QLabel* CourbLbl = nullptr;
    QPushButton* CurvLatiBtn = nullptr;
    QPushButton* CurvLongBtn = nullptr;
    QLabel* LatiLabel = nullptr;
    QLabel* LongLabel = nullptr;
    TZoomBox* ZoomPaintBox = nullptr;
    QGroupBox* AffUtmBox = nullptr;
    QRadioButton* LatLongBtn = nullptr;
    QRadioButton* UtmBtn = nullptr;
    THelpForm* HelpWindow = nullptr; // a child window: the modal calibration does not block it

    // The handlers, callable by tests.
    void PaintBoxMouseMove(int32 x, int32 y);
    void PaintBoxMouseDown(int32 x, int32 y);
    void PaintBoxClick();
    void CurvLatiBtnClick();
    void CurvLongBtnClick();
    void OKBtnClick();
    void EscBtnClick();
    void HelpBtnClick();
    // Brings the icons, labels and buttons in line with the state and repaints.
    void SecteurPaintBoxPaint();

    void reject() override;

private:
    void CurvBtnClick(TCurvMode Button);
    QLabel* SecteurLabel(int k) const;
};

extern QPointer<TIniMapForm> IniMapForm;
