#pragma once
// The waypoint editor: creates one waypoint at a given position and appends it to the current
// set.
#include "model/Define.h"

#include <QDialog>
#include <QPointer>

class QLabel;
class QLineEdit;
class QPushButton;

// What the six edits hold.
struct TWptEditTexts
{
    QString Name, Lati, Long, Alti, Attr, Cmnt;
};

// Masks of the altitude edit: every digit required, a sign allowed in front.
QString WptAltMask(bool Feet);
// The edits' texts read into a waypoint; false when the name is empty, a coordinate does not
// read or a position of a mask is left blank.
bool WptEditRead(const TWptEditTexts& T, bool Feet, TWptBase& W);
// Appends the waypoint to the current set, making an empty set first when there is none.
// False (with the set's message) when the set is full.
bool WptEditAppend(const TWptBase& W);

class TWptEdit : public QDialog
{
    Q_OBJECT
public:
    explicit TWptEdit(QWidget* Parent = nullptr);

    int32 NewLati = 0;
    int32 NewLong = 0;

    QLabel *NameLbl = nullptr, *LatiLbl = nullptr, *LongLbl = nullptr, *AltiLbl = nullptr, *AttrLbl = nullptr,
           *CmntLbl = nullptr;
    QLineEdit* NameEdit = nullptr;
    QLineEdit* LatiEdit = nullptr;
    QLineEdit* LongEdit = nullptr;
    QLineEdit* AltiEdit = nullptr;
    QLineEdit* AttrEdit = nullptr;
    QLineEdit* CmntEdit = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* EscBtn = nullptr;

    TWptEditTexts Texts() const;
    void OKBtnClick();
    void AttrEditExit();

protected:
    void showEvent(QShowEvent* E) override;
    void FormActivate();
};

extern QPointer<TWptEdit> WptEdit;
