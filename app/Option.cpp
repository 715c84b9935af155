// The options dialog.
#include "app/Option.h"

#include "app/Langage.h"
#include "model/Calc.h"
#include "platform/WinColor.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

TOptionForm* OptionForm = nullptr;

const std::array<int, 7> TOptionForm::TraceColorIndexes = {ciTrace,       ciSelection, ciCursor,  ciAltCurve,
                                                           ciAltGpsCurve, ciEngine,    ciOtherTrj};

namespace {

const char* const TraceColorNames[7] = {"ColorTrace",  "ColorSel",    "ColorCursor", "ColorAlt",
                                        "ColorAltGps", "ColorEngine", "ColorOther"};

template <class T> T* Named(T* W, const char* Name)
{
    W->setObjectName(QString::fromLatin1(Name));
    return W;
}

QSpinBox* Spin(QWidget* Parent, const char* Name, int Min, int Max, int Step = 1)
{
    auto* s = Named(new QSpinBox(Parent), Name);
    s->setRange(Min, Max);
    s->setSingleStep(Step);
    return s;
}

QComboBox* Combo(QWidget* Parent, const char* Name, const QStringList& Items)
{
    auto* c = Named(new QComboBox(Parent), Name);
    c->addItems(Items);
    return c;
}

QLabel* Label(QWidget* Parent, const char* Name)
{
    return Named(new QLabel(Parent), Name);
}

void ShowColor(QPushButton* B, int32 WinColor)
{
    QPixmap pm(22, 14);
    pm.fill(WinColorToQColor(WinColor));
    QPainter p(&pm);
    p.setPen(Qt::black);
    p.drawRect(0, 0, pm.width() - 1, pm.height() - 1);
    p.end();
    B->setIcon(QIcon(pm));
    B->setIconSize(pm.size());
}

// The combo index of a stored value; a value the list does not hold shows the first entry.
void SelectIndex(QComboBox* C, int Value)
{
    C->setCurrentIndex(Value >= 0 && Value < C->count() ? Value : 0);
}

} // namespace

TOptionForm::TOptionForm(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("OptionForm"));
    setModal(true);
    auto* lay = new QVBoxLayout(this);
    PageControl = Named(new QTabWidget(this), "PageControl");
    PageControl->setUsesScrollButtons(false); // every sheet's tab in sight
    lay->addWidget(PageControl);
    BuildUnits();
    BuildTrace();
    BuildSectors();
    BuildFai();
    BuildMap();
    BuildZones();
    BuildOther();

    auto* buttons = new QDialogButtonBox(this);
    OKBtn = Named(buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole), "OKBtn");
    EscBtn = Named(buttons->addButton(QStringLiteral("Annuler"), QDialogButtonBox::RejectRole), "EscBtn");
    OKBtn->setDefault(true);
    connect(OKBtn, &QPushButton::clicked, this, &TOptionForm::OKBtnClick);
    connect(EscBtn, &QPushButton::clicked, this, &QDialog::reject);
    lay->addWidget(buttons);

    if (!OptionForm) OptionForm = this;
    LoadControls();
    LangOptionForm(*this);
}

TOptionForm::~TOptionForm()
{
    if (OptionForm == this) OptionForm = nullptr;
}

void TOptionForm::BuildUnits()
{
    UnitsSheet = Named(new QWidget, "UnitsSheet");
    auto* f = new QFormLayout(UnitsSheet);
    DistCombo =
        Combo(UnitsSheet, "DistCombo", {QStringLiteral("km"), QStringLiteral("NM"), QStringLiteral("ML")});
    SpeedCombo = Combo(UnitsSheet, "SpeedCombo",
                       {QStringLiteral("km/h"), QStringLiteral("Kt"), QStringLiteral("MPH")});
    VarioCombo = Combo(UnitsSheet, "VarioCombo",
                       {QStringLiteral("m/s"), QStringLiteral("Kt"), QStringLiteral("Ft/min")});
    AltUnitCombo = Combo(UnitsSheet, "AltUnitCombo", {QStringLiteral("m"), QStringLiteral("Ft")});
    CoordCombo = Combo(UnitsSheet, "CoordCombo", {QString(), QString()});
    EarthCombo = Combo(UnitsSheet, "EarthCombo", {EarthModelNames[0], EarthModelNames[1]});
    f->addRow(Label(UnitsSheet, "DistLbl"), DistCombo);
    f->addRow(Label(UnitsSheet, "SpeedLbl"), SpeedCombo);
    f->addRow(Label(UnitsSheet, "VarioLbl"), VarioCombo);
    f->addRow(Label(UnitsSheet, "AltUnitLbl"), AltUnitCombo);
    f->addRow(Label(UnitsSheet, "CoordLbl"), CoordCombo);
    f->addRow(Label(UnitsSheet, "EarthLbl"), EarthCombo);
    PageControl->addTab(UnitsSheet, QString());
}

void TOptionForm::BuildTrace()
{
    TrjSheet = Named(new QWidget, "TrjSheet");
    auto* v = new QVBoxLayout(TrjSheet);
    auto* f = new QFormLayout;
    AltModeCombo = Combo(TrjSheet, "AltModeCombo", {QString(), QString(), QString()});
    SelWidthEdit = Spin(TrjSheet, "SelWidthEdit", 1, 20);
    f->addRow(Label(TrjSheet, "AltModeLbl"), AltModeCombo);
    f->addRow(Label(TrjSheet, "SelWidthLbl"), SelWidthEdit);
    v->addLayout(f);

    auto* eng = Named(new QGroupBox(TrjSheet), "EngineGroup");
    auto* ef = new QFormLayout(eng);
    EngineRelEdit = Spin(eng, "EngineRelEdit", 0, 999);
    EngineAbsEdit = Spin(eng, "EngineAbsEdit", 0, 999);
    EngineCoefEdit = Spin(eng, "EngineCoefEdit", 0, 20);
    ef->addRow(Label(eng, "EngineRelLbl"), EngineRelEdit);
    ef->addRow(Label(eng, "EngineAbsLbl"), EngineAbsEdit);
    ef->addRow(Label(eng, "EngineCoefLbl"), EngineCoefEdit);
    v->addWidget(eng);

    auto* col = Named(new QGroupBox(TrjSheet), "ColorGroup");
    auto* g = new QGridLayout(col);
    for (int i = 0; i < int(ColorButtons.size()); ++i) {
        auto* b = Named(new QPushButton(col), TraceColorNames[i]);
        b->setStyleSheet(QStringLiteral("text-align: left; padding: 3px 8px;"));
        ColorButtons[size_t(i)] = b;
        g->addWidget(b, i / 2, i % 2);
        connect(b, &QPushButton::clicked, this, [this, i] { PickColor(TraceColorIndexes[size_t(i)]); });
    }
    v->addWidget(col);
    v->addStretch(1);
    PageControl->addTab(TrjSheet, QString());
}

void TOptionForm::BuildSectors()
{
    SectSheet = Named(new QWidget, "SectSheet");
    auto* v = new QVBoxLayout(SectSheet);
    auto* g = new QGridLayout;
    SectKindCombo = Combo(SectSheet, "SectKindCombo", QStringList(6, QString()));
    TurnType = Named(new QComboBox(SectSheet), "TurnType");
    Radius1 = Spin(SectSheet, "Radius1", 0, 100000, 100);
    Radius2 = Spin(SectSheet, "Radius2", 0, 100000, 100);
    Angle1 = Spin(SectSheet, "Angle1", 0, 180, 45);
    Angle2 = Spin(SectSheet, "Angle2", 0, 180, 45);
    for (QSpinBox* s : {Radius1, Radius2}) s->setSuffix(QStringLiteral(" m"));
    for (QSpinBox* s : {Angle1, Angle2}) s->setSuffix(QStringLiteral(" °"));
    Radius1Lbl = Label(SectSheet, "Radius1Lbl");
    Radius2Lbl = Label(SectSheet, "Radius2Lbl");
    Angle1Lbl = Label(SectSheet, "Angle1Lbl");
    Angle2Lbl = Label(SectSheet, "Angle2Lbl");
    CldAreaBtn = Named(new QCheckBox(SectSheet), "CldAreaBtn");
    g->addWidget(Label(SectSheet, "SectKindLbl"), 0, 0);
    g->addWidget(SectKindCombo, 0, 1);
    g->addWidget(Label(SectSheet, "TurnTypeLbl"), 1, 0);
    g->addWidget(TurnType, 1, 1);
    g->addWidget(Radius1Lbl, 2, 0);
    g->addWidget(Radius1, 2, 1);
    g->addWidget(Angle1Lbl, 3, 0);
    g->addWidget(Angle1, 3, 1);
    g->addWidget(Radius2Lbl, 4, 0);
    g->addWidget(Radius2, 4, 1);
    g->addWidget(Angle2Lbl, 5, 0);
    g->addWidget(Angle2, 5, 1);
    g->addWidget(CldAreaBtn, 6, 1);
    g->setColumnStretch(2, 1);
    v->addLayout(g);
    LigneBox = Named(new QCheckBox(SectSheet), "LigneBox");
    v->addSpacing(8);
    v->addWidget(LigneBox);
    v->addStretch(1);

    connect(SectKindCombo, &QComboBox::currentIndexChanged, this, &TOptionForm::SectKindChanged);
    connect(TurnType, &QComboBox::currentIndexChanged, this, &TOptionForm::TurnTypeChanged);
    auto dirty = [this] {
        if (!fFilling) fSectDirty[fKind] = true;
    };
    for (QSpinBox* s : {Radius1, Radius2, Angle1, Angle2}) connect(s, &QSpinBox::valueChanged, this, dirty);
    connect(CldAreaBtn, &QCheckBox::toggled, this, dirty);
    PageControl->addTab(SectSheet, QString());
}

void TOptionForm::BuildFai()
{
    FaiSheet = Named(new QWidget, "FaiSheet");
    auto* v = new QVBoxLayout(FaiSheet);
    auto* f = new QFormLayout;
    MinDist1Edit = Spin(FaiSheet, "MinDist1Edit", 0, 100000);
    MinTri0Edit = Spin(FaiSheet, "MinTri0Edit", 0, 100);
    MaxTri0Edit = Spin(FaiSheet, "MaxTri0Edit", 0, 100);
    MinTri1Edit = Spin(FaiSheet, "MinTri1Edit", 0, 100);
    MaxTri1Edit = Spin(FaiSheet, "MaxTri1Edit", 0, 100);
    f->addRow(Label(FaiSheet, "MinDist1Lbl"), MinDist1Edit);
    f->addRow(Label(FaiSheet, "MinTri0Lbl"), MinTri0Edit);
    f->addRow(Label(FaiSheet, "MaxTri0Lbl"), MaxTri0Edit);
    f->addRow(Label(FaiSheet, "MinTri1Lbl"), MinTri1Edit);
    f->addRow(Label(FaiSheet, "MaxTri1Lbl"), MaxTri1Edit);
    v->addLayout(f);
    auto* note = Label(FaiSheet, "FaiNoteLbl");
    note->setWordWrap(true);
    v->addWidget(note);
    v->addStretch(1);
    PageControl->addTab(FaiSheet, QString());
}

void TOptionForm::BuildMap()
{
    MapSheet = Named(new QWidget, "MapSheet");
    auto* v = new QVBoxLayout(MapSheet);
    FondCarteBox = Named(new QCheckBox(MapSheet), "FondCarteBox");
    AutoSelBox = Named(new QCheckBox(MapSheet), "AutoSelBox");
    v->addWidget(FondCarteBox);
    v->addWidget(AutoSelBox);
    auto* f = new QFormLayout;
    MapNameValue = Label(MapSheet, "MapNameValue");
    f->addRow(Label(MapSheet, "MapNameLbl"), MapNameValue);
    v->addLayout(f);
    v->addStretch(1);
    PageControl->addTab(MapSheet, QString());
}

void TOptionForm::BuildZones()
{
    ZoneSheet = Named(new QWidget, "ZoneSheet");
    auto* v = new QVBoxLayout(ZoneSheet);
    auto* g = new QGridLayout;
    const char* hdr[5] = {"ZoneClassHdr", "ZoneDrawHdr", "ZoneColorHdr", "ZoneStyleHdr", "ZoneWidthHdr"};
    for (int c = 0; c < 5; ++c) {
        auto* l = Label(ZoneSheet, hdr[c]);
        QFont f = l->font();
        f.setBold(true);
        l->setFont(f);
        g->addWidget(l, 0, c);
    }
    for (int i = 1; i <= 10; ++i) {
        TZoneRow& r = ZoneRows[size_t(i)];
        auto* name = new QLabel(ZoneClassNames[size_t(i)], ZoneSheet);
        name->setObjectName(QStringLiteral("ZoneName%1").arg(i));
        r.Draw = Named(new QCheckBox(ZoneSheet), "ZoneDraw");
        r.Color = Named(new QPushButton(ZoneSheet), "ZoneColor");
        r.Style = Combo(ZoneSheet, "ZoneStyle", QStringList(5, QString()));
        r.Width = Spin(ZoneSheet, "ZoneWidth", 1, 20);
        r.Draw->setObjectName(QStringLiteral("ZoneDraw%1").arg(i));
        r.Color->setObjectName(QStringLiteral("ZoneColor%1").arg(i));
        r.Style->setObjectName(QStringLiteral("ZoneStyle%1").arg(i));
        r.Width->setObjectName(QStringLiteral("ZoneWidth%1").arg(i));
        g->addWidget(name, i, 0);
        g->addWidget(r.Draw, i, 1, Qt::AlignCenter);
        g->addWidget(r.Color, i, 2);
        g->addWidget(r.Style, i, 3);
        g->addWidget(r.Width, i, 4);
        connect(r.Color, &QPushButton::clicked, this, [this, i] { PickZoneColor(i); });
    }
    v->addLayout(g);
    v->addStretch(1);
    PageControl->addTab(ZoneSheet, QString());
}

void TOptionForm::BuildOther()
{
    OtherSheet = Named(new QWidget, "OtherSheet");
    auto* v = new QVBoxLayout(OtherSheet);
    auto* f = new QFormLayout;
    AssocCombo = Combo(OtherSheet, "AssocCombo", {QString(), QString(), QString()});
    f->addRow(Label(OtherSheet, "AssocLbl"), AssocCombo);
    v->addLayout(f);
    AutoFitBox = Named(new QCheckBox(OtherSheet), "AutoFitBox");
    v->addWidget(AutoFitBox);
    v->addStretch(1);
    PageControl->addTab(OtherSheet, QString());
}

// ---- Copy <-> controls ---------------------------------------------------------------------------

void TOptionForm::LoadControls()
{
    fFilling = true;
    fWork = Opt ? *Opt : TOpt();
    fColors = Colors;
    fSectDirty.fill(false);
    SelectIndex(DistCombo, fWork.UniteDistance);
    SelectIndex(SpeedCombo, fWork.UniteVitesse);
    SelectIndex(VarioCombo, fWork.UniteVario);
    SelectIndex(AltUnitCombo, fWork.UniteAltitude);
    CoordCombo->setCurrentIndex(fWork.UniteLatiLong == 1 ? 1 : 0);
    SelectIndex(EarthCombo, fWork.EarthModel);

    SelectIndex(AltModeCombo, fWork.Altitude);
    SelWidthEdit->setValue(fWork.SelWidth);
    EngineRelEdit->setValue(fWork.EngineRelLevel);
    EngineAbsEdit->setValue(fWork.EngineAbsLevel);
    EngineCoefEdit->setValue(fWork.EngineCoefWidth);
    for (size_t i = 0; i < ColorButtons.size(); ++i)
        ShowColor(ColorButtons[i], fColors[size_t(TraceColorIndexes[i])]);

    LigneBox->setChecked(fWork.LigneEntreSecteur);
    fKind = 0;
    SectKindCombo->setCurrentIndex(0);
    LoadSect(0);

    MinDist1Edit->setValue(fWork.MinDist1);
    MinTri0Edit->setValue(fWork.MinTri0);
    MaxTri0Edit->setValue(fWork.MaxTri0);
    MinTri1Edit->setValue(fWork.MinTri1);
    MaxTri1Edit->setValue(fWork.MaxTri1);

    FondCarteBox->setChecked(fWork.FondCarte);
    AutoSelBox->setChecked(fWork.AutoSelectionCarte);
    MapNameValue->setText(fWork.FichFondCarte.isEmpty() ? QStringLiteral("-") : fWork.FichFondCarte);

    for (int i = 1; i <= 10; ++i) {
        const TCtp& s = fWork.ZoneStyles[size_t(i)];
        TZoneRow& r = ZoneRows[size_t(i)];
        r.Draw->setChecked(s.Draw);
        ShowColor(r.Color, s.Color);
        SelectIndex(r.Style, s.Style);
        r.Width->setValue(s.Width);
    }

    SelectIndex(AssocCombo, fWork.AssocAuto);
    AutoFitBox->setChecked(fWork.AutoFit);
    fFilling = false;
}

void TOptionForm::StoreControls()
{
    fWork.UniteDistance = DistCombo->currentIndex();
    fWork.UniteVitesse = SpeedCombo->currentIndex();
    fWork.UniteVario = VarioCombo->currentIndex();
    fWork.UniteAltitude = AltUnitCombo->currentIndex();
    // Any value but 1 means degrees, minutes, seconds: a stored value of that meaning is kept.
    if (CoordCombo->currentIndex() == 1)
        fWork.UniteLatiLong = 1;
    else if (fWork.UniteLatiLong == 1)
        fWork.UniteLatiLong = 0;
    fWork.EarthModel = EarthCombo->currentIndex();

    fWork.Altitude = AltModeCombo->currentIndex();
    fWork.SelWidth = SelWidthEdit->value();
    fWork.EngineRelLevel = EngineRelEdit->value();
    fWork.EngineAbsLevel = EngineAbsEdit->value();
    fWork.EngineCoefWidth = EngineCoefEdit->value();

    fWork.LigneEntreSecteur = LigneBox->isChecked();
    StoreSect(fKind);

    fWork.MinDist1 = MinDist1Edit->value();
    fWork.MinTri0 = MinTri0Edit->value();
    fWork.MaxTri0 = MaxTri0Edit->value();
    fWork.MinTri1 = MinTri1Edit->value();
    fWork.MaxTri1 = MaxTri1Edit->value();

    fWork.FondCarte = FondCarteBox->isChecked();
    fWork.AutoSelectionCarte = AutoSelBox->isChecked();

    for (int i = 1; i <= 10; ++i) {
        TCtp& s = fWork.ZoneStyles[size_t(i)];
        const TZoneRow& r = ZoneRows[size_t(i)];
        s.Draw = r.Draw->isChecked();
        s.Style = uint8(r.Style->currentIndex());
        s.Width = uint8(r.Width->value());
    }

    fWork.AssocAuto = AssocCombo->currentIndex();
    fWork.AutoFit = AutoFitBox->isChecked();
}

void TOptionForm::LoadSect(uint8 Kind)
{
    const bool was = fFilling;
    fFilling = true;
    const TSect& s = fWork.Secteurs[Kind];
    FillSectTypeList(Kind, TurnType);
    const int shape = s.Type_Sect >= 1 && s.Type_Sect <= TurnType->count() ? s.Type_Sect : 1;
    TurnType->setCurrentIndex(shape - 1);
    TurnTypeChanged(shape - 1); // ranges before values
    Radius1->setValue(s.Rayon_Int);
    Radius2->setValue(s.Rayon_Ext);
    Angle1->setValue(s.Angle_Int);
    Angle2->setValue(s.Angle_Ext);
    CldAreaBtn->setChecked(s.Zone_Fermee == 0);
    fFilling = was;
}

void TOptionForm::StoreSect(uint8 Kind)
{
    // A preset the user did not touch keeps its stored values, even those the edits cannot show.
    if (!fSectDirty[Kind]) return;
    TSect& s = fWork.Secteurs[Kind];
    s.Type_Sect = uint8(TurnType->currentIndex() + 1);
    s.Rayon_Int = Radius1->value();
    s.Rayon_Ext = Radius2->value();
    s.Angle_Int = Angle1->value();
    s.Angle_Ext = Angle2->value();
    s.Zone_Fermee = CldAreaBtn->isChecked() ? 0 : 1;
}

void TOptionForm::SectKindChanged(int Index)
{
    if (Index < 0 || Index > 5) return;
    StoreSect(fKind);
    fKind = uint8(Index);
    LoadSect(fKind);
}

void TOptionForm::TurnTypeChanged(int Index)
{
    if (Index < 0) return;
    if (!fFilling) fSectDirty[fKind] = true;
    SetSectHints(fKind, uint8(Index + 1), Radius1, Angle2, Angle1, Radius2);
    Radius1Lbl->setVisible(!Radius1->isHidden());
    Radius2Lbl->setVisible(!Radius2->isHidden());
    Angle1Lbl->setVisible(!Angle1->isHidden());
    Angle2Lbl->setVisible(!Angle2->isHidden());
}

const TOpt& TOptionForm::Work()
{
    StoreControls();
    return fWork;
}

void TOptionForm::SetWorkColor(int Index, int32 WinColor)
{
    if (Index < 0 || Index >= int(fColors.size())) return;
    fColors[size_t(Index)] = WinColor;
    for (size_t i = 0; i < ColorButtons.size(); ++i)
        if (TraceColorIndexes[i] == Index) ShowColor(ColorButtons[i], WinColor);
}

void TOptionForm::SetZoneColor(int Class, int32 WinColor)
{
    if (Class < 1 || Class > 10) return;
    fWork.ZoneStyles[size_t(Class)].Color = WinColor;
    ShowColor(ZoneRows[size_t(Class)].Color, WinColor);
}

void TOptionForm::PickColor(int Index)
{
    const QColor c = QColorDialog::getColor(WinColorToQColor(fColors[size_t(Index)]), this);
    if (c.isValid()) SetWorkColor(Index, QColorToWinColor(c));
}

void TOptionForm::PickZoneColor(int Class)
{
    const QColor c = QColorDialog::getColor(WinColorToQColor(fWork.ZoneStyles[size_t(Class)].Color), this);
    if (c.isValid()) SetZoneColor(Class, QColorToWinColor(c));
}

void TOptionForm::ApplyOpenFrom()
{
    QWidget* only = OpenFrom == 1 ? OtherSheet : OpenFrom == 2 ? TrjSheet : nullptr;
    for (int i = 0; i < PageControl->count(); ++i)
        PageControl->setTabVisible(i, !only || PageControl->widget(i) == only);
    PageControl->setCurrentWidget(only ? only : UnitsSheet);
}

void TOptionForm::showEvent(QShowEvent* e)
{
    ApplyOpenFrom();
    QDialog::showEvent(e);
}

void TOptionForm::OKBtnClick()
{
    StoreControls();
    if (Opt) *Opt = fWork;
    Colors = fColors;
    SaveOptions(); // a failed write is reported there; the options stay in force
    accept();
}
