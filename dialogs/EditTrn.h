#pragma once
// The turn-point editor: creates a turn point of the task from the trace's current fix, or
// edits the task's selected turn point (name, position, comment, passage time and search
// window in local time, sector or option preset, reference waypoint of an extended point).
// Created, shown modally and freed by each command of the main window.
#include "dialogs/EditTrnLogic.h"
#include "model/Define.h"

#include <QDialog>
#include <QPointer>
#include <functional>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

// The sector shape list and the ranges, steps, hints and visibility of the sector edits belong
// to the application's texts; it installs them here.
struct TSectEditUi
{
    std::function<void(uint8 Kind, QComboBox* List)> FillSectTypeList;
    std::function<void(uint8 Kind, uint8 Shape, QSpinBox* Radius1, QSpinBox* Angle2, QSpinBox* Angle1,
                       QSpinBox* Radius2)>
        SetSectHints;
};
void SetSectEditUi(TSectEditUi Ui);

// Draws the preview of a sector in a box: centred, the outer radius spanning half the width,
// the leg arriving from two box widths left of and below the centre, orientation 45 degrees.
void PaintSectPreview(QPainter& P, const QSize& Box, uint8 Kind, const TSect& Sect, const QColor& Background);

class TSectPaintBox;

class TTrnEdit : public QDialog
{
    Q_OBJECT
public:
    explicit TTrnEdit(QWidget* Parent = nullptr);

    uint8 CreateMode = 0; // 1: create from the trace's current fix; 0: edit Stn->SelTrn
    TSect Sect;           // the working sector
    uint8 Kind = siTurn;  // TSectIndex of the turn point
    uint8 Activating = 0;

    QGroupBox* TurnedPointGroupBox = nullptr;
    QLabel* NameLbl = nullptr;
    QLineEdit* NameEdit = nullptr;
    QLabel* LatiLbl = nullptr;
    QLineEdit* LatiEdit = nullptr;
    QLabel* LongLbl = nullptr;
    QLineEdit* LongEdit = nullptr;
    QLabel* CmntLbl = nullptr;
    QLineEdit* CmntEdit = nullptr;
    QLabel* TurnAtLbl = nullptr;
    QLineEdit* DateEdit = nullptr;
    QLabel* LocLbl1 = nullptr;
    QLabel* TraceLbl = nullptr;
    QLabel* DebLbl = nullptr;
    QLineEdit* DateBegEdit = nullptr;
    QLabel* EndLbl = nullptr;
    QLineEdit* DateEndEdit = nullptr;
    QLabel* LocLbl2 = nullptr;
    QCheckBox* ExtenCheckBox = nullptr;
    QCheckBox* DefaultBox = nullptr;
    QGroupBox* TurnTypeGroupBox = nullptr;
    QComboBox* TurnType = nullptr;
    QSpinBox* Radius1 = nullptr;
    QLabel* InsLbl = nullptr;
    QLabel* InsRLbl = nullptr;
    QSpinBox* Radius2 = nullptr;
    QLabel* OutLbl = nullptr;
    QLabel* OutRLbl = nullptr;
    QSpinBox* Angle1 = nullptr;
    QLabel* InsALbl = nullptr;
    QSpinBox* Angle2 = nullptr;
    QLabel* OutALbl = nullptr;
    QCheckBox* CldAreaBtn = nullptr;
    TSectPaintBox* SectPaintBox = nullptr;
    QGroupBox* RefPointGroupBox = nullptr;
    QLabel* RefWptNameLbl = nullptr;
    QLineEdit* RefWptNameEdit = nullptr;
    QLabel* RefWptLatiLbl = nullptr;
    QLineEdit* RefWptLatiEdit = nullptr;
    QLabel* RefWptLongLbl = nullptr;
    QLineEdit* RefWptLongEdit = nullptr;
    QLabel* RefWptCmntLbl = nullptr;
    QLineEdit* RefWptCmntEdit = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* EscBtn = nullptr;

    QString CaptionCreate = QStringLiteral("Création point de virage");
    QString CaptionEdit = QStringLiteral("Edition point de virage");
    QString MsgInvalid = QStringLiteral("Données saisies non valides.");

    // Fills the controls (run when the dialog is shown).
    void FormActivate();
    // OK: reads every field; writes the turn point and closes only when all are valid.
    void OKBtnClick();
    void ExtenCheckBoxClick();
    void DefaultBoxClick();
    void TurnTypeChange();
    void SpinChange(TSectEdit Which);
    void SpinExit(TSectEdit Which);
    // The texts of the controls as OK reads them.
    TTrnEditTexts Texts() const;

protected:
    void showEvent(QShowEvent* E) override;

private:
    void LoadPreset();
    void SetHeight();
    void SetSpins(const TSectEdits& V);
    TSectEdits Spins() const;
    QSpinBox* SpinOf(TSectEdit Which) const;
    bool fActivated = false;
};

class TSectPaintBox : public QWidget
{
    Q_OBJECT
public:
    explicit TSectPaintBox(TTrnEdit* Owner);

protected:
    void paintEvent(QPaintEvent*) override;

private:
    TTrnEdit* fOwner;
};

extern QPointer<TTrnEdit> TrnEdit;
