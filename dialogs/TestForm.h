#pragma once
// The test window: a bench on which the calculations of the program are tried by hand
// (coordinates, distances and courses on the sphere and the ellipsoid, destination points,
// UTM, fix insertion, trace length, a trace flown over the task, the walk of an XML file).
#include <QString>
#include <QStringList>
#include <QWidget>

class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;

// The lines the test window lists for an XML file: comments, waypoint and track starts with
// their attributes, the contents of "ele", "time" and "name", the ends of tracks. A file that
// cannot be read or parsed ends the list with the reason.
QStringList XmlWalk(const QString& FileName);

class TFormTest : public QWidget
{
    Q_OBJECT
public:
    explicit TFormTest(QWidget* Parent = nullptr);
    ~TFormTest() override;

    QLineEdit *Lati1Edit = nullptr, *Long1Edit = nullptr, *Lati2Edit = nullptr, *Long2Edit = nullptr;
    QLineEdit *Edit0 = nullptr, *Edit1 = nullptr, *Edit2 = nullptr, *Edit3 = nullptr, *Edit4 = nullptr;
    QPushButton* Button1 = nullptr;
    QLineEdit *DistEdit = nullptr, *CapEdit = nullptr;
    QLineEdit *LatiFaiEdit = nullptr, *LongFaiEdit = nullptr, *LatiWgs84Edit = nullptr,
              *LongWgs84Edit = nullptr;
    QLineEdit* Edit5 = nullptr;
    QPushButton* Button2 = nullptr;
    QLineEdit *Edit6 = nullptr, *Edit7 = nullptr, *Edit8 = nullptr, *Edit9 = nullptr;
    QPushButton* Button3 = nullptr;
    QLineEdit* DateEdit = nullptr;
    QPushButton* Button4 = nullptr;
    QLineEdit *EditNorth = nullptr, *EditEast = nullptr, *EditUTMZone = nullptr;
    QPushButton *ToUTM = nullptr, *FromUTM = nullptr;
    QPushButton *DistTrj = nullptr, *StnToTrj = nullptr, *InOut = nullptr;
    QSpinBox* VitesseEdit = nullptr;
    QLineEdit* Date = nullptr;
    QPushButton* OpenXml = nullptr;
    QLineEdit* XmlEdit = nullptr;
    QPlainTextEdit* XmlMemo = nullptr;
    QPushButton* StrToLatLongBtn = nullptr;

    // The format of the Date edit.
    static QString DateFormat();
    // Puts the opening values into the edits (done at each showing).
    void SetOpeningValues();

public slots:
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void InOutClick();
    void ToUTMClick();
    void FromUTMClick();
    void DistTrjClick();
    void StnToTrjClick();
    void OpenXmlClick();
    void StrToLatLongBtnClick();

protected:
    void showEvent(QShowEvent* e) override;

private:
    void BadInput();
};

extern TFormTest* FormTest;
