#pragma once
// The options dialog: units, coordinate format, earth model, sector presets, FAI limits, the
// trace display (altitude, selection, engine noise, colours), the scanned map, airspace styles
// and the other options. It edits a copy; OK writes the copy into Opt and Colors and saves them
// to "Zephalon.ini", Cancel changes nothing.
#include "model/Define.h"
#include "model/Options.h"

#include <QDialog>
#include <array>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QTabWidget;

class TOptionForm : public QDialog
{
    Q_OBJECT
public:
    explicit TOptionForm(QWidget* parent = nullptr);
    ~TOptionForm() override;

    // Sheets shown: 0 all, 1 only the other options, 2 only the trace sheet. Read when the
    // dialog is shown.
    uint8 OpenFrom = 0;

    QTabWidget* PageControl = nullptr;
    QWidget* UnitsSheet = nullptr;
    QWidget* TrjSheet = nullptr;
    QWidget* SectSheet = nullptr;
    QWidget* FaiSheet = nullptr;
    QWidget* MapSheet = nullptr;
    QWidget* ZoneSheet = nullptr;
    QWidget* OtherSheet = nullptr;

    // Units
    QComboBox* DistCombo = nullptr;
    QComboBox* SpeedCombo = nullptr;
    QComboBox* VarioCombo = nullptr;
    QComboBox* AltUnitCombo = nullptr;
    QComboBox* CoordCombo = nullptr;
    QComboBox* EarthCombo = nullptr;
    // Trace
    QComboBox* AltModeCombo = nullptr;
    QSpinBox* SelWidthEdit = nullptr;
    QSpinBox* EngineRelEdit = nullptr;
    QSpinBox* EngineAbsEdit = nullptr;
    QSpinBox* EngineCoefEdit = nullptr;
    // Sectors
    QComboBox* SectKindCombo = nullptr;
    QComboBox* TurnType = nullptr;
    QSpinBox* Radius1 = nullptr;
    QSpinBox* Radius2 = nullptr;
    QSpinBox* Angle1 = nullptr;
    QSpinBox* Angle2 = nullptr;
    QLabel* Radius1Lbl = nullptr;
    QLabel* Radius2Lbl = nullptr;
    QLabel* Angle1Lbl = nullptr;
    QLabel* Angle2Lbl = nullptr;
    QCheckBox* CldAreaBtn = nullptr;
    QCheckBox* LigneBox = nullptr;
    // FAI
    QSpinBox* MinDist1Edit = nullptr;
    QSpinBox* MinTri0Edit = nullptr;
    QSpinBox* MaxTri0Edit = nullptr;
    QSpinBox* MinTri1Edit = nullptr;
    QSpinBox* MaxTri1Edit = nullptr;
    // Map
    QCheckBox* FondCarteBox = nullptr;
    QCheckBox* AutoSelBox = nullptr;
    QLabel* MapNameValue = nullptr;
    // Airspace styles of classes 1..10 (index 0 unused)
    struct TZoneRow
    {
        QCheckBox* Draw = nullptr;
        QPushButton* Color = nullptr;
        QComboBox* Style = nullptr;
        QSpinBox* Width = nullptr;
    };
    std::array<TZoneRow, 11> ZoneRows;
    // Other options
    QComboBox* AssocCombo = nullptr;
    QCheckBox* AutoFitBox = nullptr;

    QPushButton* OKBtn = nullptr;
    QPushButton* EscBtn = nullptr;

    // The colours the trace sheet edits, in order of its buttons.
    static const std::array<int, 7> TraceColorIndexes;
    std::array<QPushButton*, 7> ColorButtons{};

    // Shows the sheets that OpenFrom asks for.
    void ApplyOpenFrom();
    // The copy the dialog edits, with the controls' state stored into it.
    const TOpt& Work();
    const std::array<int32, 20>& WorkColors() const { return fColors; }
    // Changes a colour of the copy (what the colour buttons do after their colour dialog).
    void SetWorkColor(int Index, int32 WinColor);
    void SetZoneColor(int Class, int32 WinColor);
    // OK: the copy into Opt and Colors, then saved; the dialog closes.
    void OKBtnClick();

protected:
    void showEvent(QShowEvent* e) override;

private:
    void BuildUnits();
    void BuildTrace();
    void BuildSectors();
    void BuildFai();
    void BuildMap();
    void BuildZones();
    void BuildOther();
    void LoadControls();
    void StoreControls();
    void LoadSect(uint8 Kind);
    void StoreSect(uint8 Kind);
    void SectKindChanged(int Index);
    void TurnTypeChanged(int Index);
    void PickColor(int Index);
    void PickZoneColor(int Class);

    TOpt fWork;
    std::array<int32, 20> fColors{};
    uint8 fKind = 0;
    std::array<bool, 6> fSectDirty{};
    bool fFilling = false;
};

extern TOptionForm* OptionForm;
