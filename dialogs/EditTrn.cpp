// The turn-point editor.
#include "dialogs/EditTrn.h"

#include "model/Options.h"
#include "model/Sector.h"
#include "model/Texts.h"
#include "platform/MaskEdit.h"
#include "platform/Msg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>

QPointer<TTrnEdit> TrnEdit;

namespace {

TSectEditUi& SectUi()
{
    static TSectEditUi ui;
    return ui;
}

const QString TimeMask = QStringLiteral("!99:99:99;1;_");

template <class W> W* Named(QWidget* Parent, const char* Name, W* w)
{
    w->setObjectName(QLatin1String(Name));
    (void)Parent;
    return w;
}

QLabel* Label(QWidget* Parent, const char* Name, const char* Text)
{
    return Named(Parent, Name, new QLabel(QString::fromUtf8(Text), Parent));
}

QLineEdit* Edit(QWidget* Parent, const char* Name)
{
    return Named(Parent, Name, new QLineEdit(Parent));
}

QSpinBox* Spin(QWidget* Parent, const char* Name, int Max, int Step)
{
    auto* s = Named(Parent, Name, new QSpinBox(Parent));
    s->setRange(0, Max);
    s->setSingleStep(Step);
    // The edits are coupled (one radius cuts the other): a number being typed is no value yet,
    // only a committed one (Enter, leaving the edit, a step, OK) is.
    s->setKeyboardTracking(false);
    return s;
}

} // namespace

void SetSectEditUi(TSectEditUi Ui)
{
    SectUi() = std::move(Ui);
}

void PaintSectPreview(QPainter& P, const QSize& Box, uint8 Kind, const TSect& Sect, const QColor& Background)
{
    P.fillRect(QRect(QPoint(0, 0), Box), Background);
    if (Sect.Rayon_Ext == 0 || Box.width() <= 0) return;
    // The outer radius spans half the width; BuildSector takes pixels per 1e-5 degree.
    const double pixelsPerMetre = Box.width() / (2.0 * Sect.Rayon_Ext);
    const double scale = pixelsPerMetre * MetresPerUnit;
    const QPoint centre(Box.width() / 2, Box.height() / 2);
    const QPoint next(centre.x() - 2 * Box.width(), centre.y() + 2 * Box.width());
    P.setPen(QPen(Qt::black, 1, Qt::SolidLine));
    P.setBrush(Qt::NoBrush);
    BuildSector(P, centre, next, 45, scale, scale, Kind, Sect);
}

TSectPaintBox::TSectPaintBox(TTrnEdit* Owner) : QWidget(Owner), fOwner(Owner)
{
    setObjectName(QStringLiteral("SectPaintBox"));
    setMinimumSize(120, 120);
}

void TSectPaintBox::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    PaintSectPreview(p, size(), fOwner->Kind, fOwner->Sect, palette().color(QPalette::Window));
}

TTrnEdit::TTrnEdit(QWidget* Parent) : QDialog(Parent)
{
    setObjectName(QStringLiteral("TrnEdit"));
    setWindowTitle(CaptionCreate);
    if (!TrnEdit) TrnEdit = this;

    TurnedPointGroupBox =
        Named(this, "TurnedPointGroupBox", new QGroupBox(QStringLiteral("Point &tourné"), this));
    auto* g = new QGridLayout(TurnedPointGroupBox);
    QWidget* tp = TurnedPointGroupBox;
    NameLbl = Label(tp, "NameLbl", "Nom");
    NameEdit = Edit(tp, "NameEdit");
    NameEdit->setMaxLength(WptNameLen);
    LatiLbl = Label(tp, "LatiLbl", "Latitude");
    LatiEdit = Edit(tp, "LatiEdit");
    LongLbl = Label(tp, "LongLbl", "Longitude");
    LongEdit = Edit(tp, "LongEdit");
    CmntLbl = Label(tp, "CmntLbl", "Commentaire");
    CmntEdit = Edit(tp, "CmntEdit");
    CmntEdit->setMaxLength(WptCommentLen);
    TurnAtLbl = Label(tp, "TurnAtLbl", "Tourné à");
    DateEdit = Edit(tp, "DateEdit");
    LocLbl1 = Label(tp, "LocLbl1", "LOC");
    TraceLbl = Label(tp, "TraceLbl", "Tracé dans secteur :");
    DebLbl = Label(tp, "DebLbl", "Début");
    DateBegEdit = Edit(tp, "DateBegEdit");
    EndLbl = Label(tp, "EndLbl", "Fin");
    DateEndEdit = Edit(tp, "DateEndEdit");
    LocLbl2 = Label(tp, "LocLbl2", "LOC");
    ExtenCheckBox = Named(tp, "ExtenCheckBox", new QCheckBox(QStringLiteral("Point &étendu"), tp));
    // Unfilled places of a time show as blanks, as its hours do before ten o'clock.
    QString timeMask = MaskToQtInputMask(TimeMask);
    timeMask.chop(1);
    timeMask += u' ';
    for (QLineEdit* e : {DateEdit, DateBegEdit, DateEndEdit}) e->setInputMask(timeMask);
    g->addWidget(NameLbl, 0, 0);
    g->addWidget(NameEdit, 0, 1, 1, 2);
    g->addWidget(LatiLbl, 0, 3);
    g->addWidget(LatiEdit, 0, 4);
    g->addWidget(LongLbl, 0, 5);
    g->addWidget(LongEdit, 0, 6);
    g->addWidget(CmntLbl, 1, 0);
    g->addWidget(CmntEdit, 1, 1, 1, 6);
    g->addWidget(TurnAtLbl, 2, 0);
    g->addWidget(DateEdit, 2, 1);
    g->addWidget(LocLbl1, 2, 2);
    g->addWidget(ExtenCheckBox, 2, 4, 1, 3);
    g->addWidget(TraceLbl, 3, 0);
    g->addWidget(DebLbl, 3, 1);
    g->addWidget(DateBegEdit, 3, 2);
    g->addWidget(EndLbl, 3, 3);
    g->addWidget(DateEndEdit, 3, 4);
    g->addWidget(LocLbl2, 3, 5);

    DefaultBox = Named(this, "DefaultBox", new QCheckBox(QStringLiteral("Par &défaut"), this));
    TurnTypeGroupBox =
        Named(this, "TurnTypeGroupBox", new QGroupBox(QStringLiteral("&Secteur de virage"), this));
    QWidget* tg = TurnTypeGroupBox;
    auto* s = new QGridLayout(TurnTypeGroupBox);
    TurnType = Named(tg, "TurnType", new QComboBox(tg));
    Radius1 = Spin(tg, "Radius1", 100000, 100);
    Radius2 = Spin(tg, "Radius2", 100000, 100);
    Angle1 = Spin(tg, "Angle1", 180, 45);
    Angle2 = Spin(tg, "Angle2", 180, 45);
    InsLbl = Label(tg, "InsLbl", "Intérieur");
    InsRLbl = Label(tg, "InsRLbl", "m");
    OutLbl = Label(tg, "OutLbl", "Extéreur");
    OutRLbl = Label(tg, "OutRLbl", "m");
    InsALbl = Label(tg, "InsALbl", "°");
    OutALbl = Label(tg, "OutALbl", "°");
    CldAreaBtn = Named(tg, "CldAreaBtn", new QCheckBox(QStringLiteral("Zone fermée"), tg));
    SectPaintBox = new TSectPaintBox(this);
    SectPaintBox->setParent(tg);
    s->addWidget(DefaultBox, 0, 0, 1, 2);
    s->addWidget(TurnType, 0, 2, 1, 3);
    s->addWidget(InsLbl, 1, 0);
    s->addWidget(Radius1, 1, 1);
    s->addWidget(InsRLbl, 1, 2);
    s->addWidget(Angle1, 1, 3);
    s->addWidget(InsALbl, 1, 4);
    s->addWidget(OutLbl, 2, 0);
    s->addWidget(Radius2, 2, 1);
    s->addWidget(OutRLbl, 2, 2);
    s->addWidget(Angle2, 2, 3);
    s->addWidget(OutALbl, 2, 4);
    s->addWidget(CldAreaBtn, 3, 0, 1, 3);
    s->addWidget(SectPaintBox, 0, 5, 4, 1);

    RefPointGroupBox =
        Named(this, "RefPointGroupBox", new QGroupBox(QStringLiteral("Point de &référence"), this));
    QWidget* rg = RefPointGroupBox;
    auto* r = new QGridLayout(RefPointGroupBox);
    RefWptNameLbl = Label(rg, "RefWptNameLbl", "Nom ");
    RefWptNameEdit = Edit(rg, "RefWptNameEdit");
    RefWptNameEdit->setMaxLength(WptNameLen);
    RefWptLatiLbl = Label(rg, "RefWptLatiLbl", "Latitude");
    RefWptLatiEdit = Edit(rg, "RefWptLatiEdit");
    RefWptLongLbl = Label(rg, "RefWptLongLbl", "Longitude");
    RefWptLongEdit = Edit(rg, "RefWptLongEdit");
    RefWptCmntLbl = Label(rg, "RefWptCmntLbl", "Commentaire");
    RefWptCmntEdit = Edit(rg, "RefWptCmntEdit");
    RefWptCmntEdit->setMaxLength(WptCommentLen);
    r->addWidget(RefWptNameLbl, 0, 0);
    r->addWidget(RefWptNameEdit, 0, 1);
    r->addWidget(RefWptLatiLbl, 0, 2);
    r->addWidget(RefWptLatiEdit, 0, 3);
    r->addWidget(RefWptLongLbl, 0, 4);
    r->addWidget(RefWptLongEdit, 0, 5);
    r->addWidget(RefWptCmntLbl, 1, 0);
    r->addWidget(RefWptCmntEdit, 1, 1, 1, 5);

    OKBtn = Named(this, "OKBtn", new QPushButton(QStringLiteral("OK"), this));
    OKBtn->setDefault(true);
    EscBtn = Named(this, "EscBtn", new QPushButton(QStringLiteral("Annuler"), this));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OKBtn);
    buttons->addWidget(EscBtn);

    auto* v = new QVBoxLayout(this);
    v->addWidget(TurnedPointGroupBox);
    v->addWidget(TurnTypeGroupBox);
    v->addWidget(RefPointGroupBox);
    v->addLayout(buttons);
    v->setSizeConstraint(QLayout::SetFixedSize);

    connect(OKBtn, &QPushButton::clicked, this, [this] { OKBtnClick(); });
    connect(EscBtn, &QPushButton::clicked, this, [this] { reject(); });
    connect(ExtenCheckBox, &QCheckBox::clicked, this, [this] { ExtenCheckBoxClick(); });
    connect(DefaultBox, &QCheckBox::clicked, this, [this] { DefaultBoxClick(); });
    connect(TurnType, &QComboBox::currentIndexChanged, this, [this] {
        if (!Activating) TurnTypeChange();
    });
    connect(CldAreaBtn, &QCheckBox::clicked, this, [this] {
        Sect.Zone_Fermee = CldAreaBtn->isChecked() ? 0 : 1;
        SectPaintBox->update();
    });
    const std::pair<QSpinBox*, TSectEdit> spins[] = {{Radius1, TSectEdit::Radius1},
                                                     {Radius2, TSectEdit::Radius2},
                                                     {Angle1, TSectEdit::Angle1},
                                                     {Angle2, TSectEdit::Angle2}};
    for (const auto& [box, which] : spins) {
        const TSectEdit w = which;
        connect(box, &QSpinBox::valueChanged, this, [this, w] { SpinChange(w); });
        // Emitted after the typed text became the value, when the edit is left or on Enter.
        connect(box, &QSpinBox::editingFinished, this, [this, w] { SpinExit(w); });
    }
}

QSpinBox* TTrnEdit::SpinOf(TSectEdit Which) const
{
    switch (Which) {
    case TSectEdit::Radius1:
        return Radius1;
    case TSectEdit::Radius2:
        return Radius2;
    case TSectEdit::Angle1:
        return Angle1;
    case TSectEdit::Angle2:
        return Angle2;
    }
    return Radius1;
}

void TTrnEdit::showEvent(QShowEvent* E)
{
    QDialog::showEvent(E);
    // Qt activates the dialog again when a message box over it closes: fill it once.
    if (!fActivated) {
        fActivated = true;
        FormActivate();
    }
}

TSectEdits TTrnEdit::Spins() const
{
    return {Radius1->value(), Radius2->value(), Angle1->value(), Angle2->value()};
}

void TTrnEdit::SetSpins(const TSectEdits& V)
{
    for (QSpinBox* b : {Radius1, Radius2, Angle1, Angle2}) b->blockSignals(true);
    // The course of a finish line reaches 360: widen before setting.
    Angle1->setMaximum(std::max(Angle1->maximum(), V.Angle1));
    Angle2->setMaximum(std::max(Angle2->maximum(), V.Angle2));
    Radius1->setValue(V.Radius1);
    Radius2->setValue(V.Radius2);
    Angle1->setValue(V.Angle1);
    Angle2->setValue(V.Angle2);
    for (QSpinBox* b : {Radius1, Radius2, Angle1, Angle2}) b->blockSignals(false);
}

void TTrnEdit::LoadPreset()
{
    const TSect& p = EffectiveSect(TSect{}, Kind);
    const QSignalBlocker block(TurnType);
    TurnType->setCurrentIndex(std::max(0, int(p.Type_Sect) - 1));
    SetSpins({p.Rayon_Int, p.Rayon_Ext, p.Angle_Int, p.Angle_Ext});
    CldAreaBtn->setChecked(p.Zone_Fermee == 0);
    Sect = p;
}

void TTrnEdit::FormActivate()
{
    Activating = 1;
    const QString latMask = MaskToQtInputMask(LatMask()), lonMask = MaskToQtInputMask(LonMask());
    LatiEdit->setInputMask(latMask);
    RefWptLatiEdit->setInputMask(latMask);
    LongEdit->setInputMask(lonMask);
    RefWptLongEdit->setInputMask(lonMask);
    const TTraceClock clock = ClockOf(Trj);

    if (CreateMode == 1) {
        setWindowTitle(CaptionCreate);
        DefaultBox->setChecked(true);
        DefaultBox->setEnabled(false);
        for (QWidget* w : std::initializer_list<QWidget*>{TurnAtLbl, DateEdit, LocLbl1, TraceLbl, DebLbl,
                                                          DateBegEdit, EndLbl, DateEndEdit, LocLbl2,
                                                          TurnTypeGroupBox, RefPointGroupBox})
            w->setEnabled(false);
        NameEdit->setText(QStringLiteral("Point ") + QString::number(Stn ? Stn->Count : 0));
        const TRec* rec = Trj ? Trj->CurRec : nullptr;
        if (rec) {
            LatiEdit->setText(LatiToStr(rec->Lat));
            LongEdit->setText(LongToStr(rec->Lon));
            DateEdit->setText(LocalTimeText(rec->Time, clock.TimeLoc));
            DateBegEdit->setText(LocalTimeText(rec->Time - 25000, clock.TimeLoc));
            DateEndEdit->setText(LocalTimeText(rec->Time + 25000, clock.TimeLoc));
        }
    } else if (Stn && Stn->SelTrn) {
        const TTrn& t = *Stn->SelTrn;
        setWindowTitle(CaptionEdit + u' ' + QString::number(t.Num));
        NameEdit->setText(t.Name);
        LatiEdit->setText(LatiToStr(t.Lat));
        LongEdit->setText(LongToStr(t.Lon));
        CmntEdit->setText(t.Comment);
        for (QWidget* w : std::initializer_list<QWidget*>{TurnAtLbl, DateEdit, LocLbl1, TraceLbl, DebLbl,
                                                          DateBegEdit, EndLbl, DateEndEdit, LocLbl2})
            w->setEnabled(clock.Open);
        if (clock.Open && t.Reached != 0) {
            DateEdit->setText(LocalTimeText(t.Time, clock.TimeLoc));
            DateBegEdit->setText(LocalTimeText(t.TimeMin, clock.TimeLoc));
            DateEndEdit->setText(LocalTimeText(t.TimeMax, clock.TimeLoc));
        } else {
            for (QLineEdit* e : {DateEdit, DateBegEdit, DateEndEdit}) e->clear();
        }
        Kind = TrnKind(t);
        ExtenCheckBox->setChecked(t.RefWpt != nullptr);
        if (SectUi().FillSectTypeList) SectUi().FillSectTypeList(Kind, TurnType);
        Sect = EffectiveSect(t.Sect, Kind);
        DefaultBox->setChecked(t.Sect.Type_Sect == 0);
        {
            const QSignalBlocker block(TurnType);
            TurnType->setCurrentIndex(std::max(0, int(Sect.Type_Sect) - 1));
        }
        SetSpins({Sect.Rayon_Int, Sect.Rayon_Ext, Sect.Angle_Int, Sect.Angle_Ext});
        CldAreaBtn->setChecked(Sect.Zone_Fermee == 0);
        DefaultBoxClick();
        TurnTypeChange();
        if (t.RefWpt) {
            RefWptNameEdit->setText(t.RefWpt->Name);
            RefWptLatiEdit->setText(LatiToStr(t.RefWpt->Lat));
            RefWptLongEdit->setText(LongToStr(t.RefWpt->Lon));
            RefWptCmntEdit->setText(t.RefWpt->Comment);
        }
    }
    Activating = 0;
    SetHeight();
    SectPaintBox->update();
    NameEdit->setFocus();
}

void TTrnEdit::SetHeight()
{
    TurnTypeGroupBox->setVisible(CreateMode != 1);
    RefPointGroupBox->setVisible(CreateMode != 1 && ExtenCheckBox->isChecked());
    adjustSize();
}

void TTrnEdit::ExtenCheckBoxClick()
{
    const QLineEdit* from[] = {NameEdit, LatiEdit, LongEdit, CmntEdit};
    const QLineEdit* to[] = {RefWptNameEdit, RefWptLatiEdit, RefWptLongEdit, RefWptCmntEdit};
    if (ExtenCheckBox->isChecked()) {
        Kind = uint8(Kind % 3 + 3);
        for (int i = 0; i < 4; ++i) const_cast<QLineEdit*>(to[i])->setText(from[i]->text());
    } else {
        Kind = uint8(Kind % 3);
        for (int i = 0; i < 4; ++i) const_cast<QLineEdit*>(from[i])->setText(to[i]->text());
    }
    if (SectUi().FillSectTypeList) {
        const QSignalBlocker block(TurnType);
        SectUi().FillSectTypeList(Kind, TurnType);
    }
    if (!Activating) {
        LoadPreset();
        TurnTypeChange();
    }
    SetHeight();
    SectPaintBox->update();
}

void TTrnEdit::DefaultBoxClick()
{
    const bool own = !DefaultBox->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{TurnType, Radius1, Radius2, Angle1, Angle2, InsLbl,
                                                      InsRLbl, OutLbl, OutRLbl, InsALbl, OutALbl})
        w->setEnabled(own);
    if (!own) {
        LoadPreset();
        SectPaintBox->update();
    }
}

void TTrnEdit::TurnTypeChange()
{
    Sect.Type_Sect = uint8(std::max(0, TurnType->currentIndex()) + 1);
    if (SectUi().SetSectHints) {
        for (QSpinBox* b : {Radius1, Radius2, Angle1, Angle2}) b->blockSignals(true);
        SectUi().SetSectHints(Kind, Sect.Type_Sect, Radius1, Angle2, Angle1, Radius2);
        for (QSpinBox* b : {Radius1, Radius2, Angle1, Angle2}) b->blockSignals(false);
        const TSectEdits v = Spins();
        Sect.Rayon_Int = v.Radius1;
        Sect.Rayon_Ext = v.Radius2;
        Sect.Angle_Int = v.Angle1;
        Sect.Angle_Ext = v.Angle2;
    }
    InsLbl->setVisible(!Radius1->isHidden());
    InsRLbl->setVisible(!Radius1->isHidden());
    OutLbl->setVisible(!Radius2->isHidden());
    OutRLbl->setVisible(!Radius2->isHidden());
    InsALbl->setVisible(!Angle1->isHidden());
    OutALbl->setVisible(!Angle2->isHidden());
    SectPaintBox->update();
}

void TTrnEdit::SpinChange(TSectEdit Which)
{
    if (Activating) return;
    TSectEdits v = Spins();
    CoupleSectChange(Kind, Sect.Type_Sect, Which, Radius2->isHidden(), v);
    SetSpins(v);
    Sect.Rayon_Int = v.Radius1;
    Sect.Rayon_Ext = v.Radius2;
    Sect.Angle_Int = v.Angle1;
    Sect.Angle_Ext = v.Angle2;
    if (SectPreviewable(v)) SectPaintBox->update();
}

void TTrnEdit::SpinExit(TSectEdit Which)
{
    if (Activating) return;
    TSectEdits v = Spins();
    CoupleSectLeave(Which, v);
    SetSpins(v);
    Sect.Rayon_Int = v.Radius1;
    Sect.Rayon_Ext = v.Radius2;
    Sect.Angle_Int = v.Angle1;
    Sect.Angle_Ext = v.Angle2;
    SectPaintBox->update();
}

TTrnEditTexts TTrnEdit::Texts() const
{
    TTrnEditTexts t;
    t.Name = NameEdit->text();
    t.Lati = LatiEdit->text();
    t.Long = LongEdit->text();
    t.Cmnt = CmntEdit->text();
    t.Time = DateEdit->text();
    t.TimeBeg = DateBegEdit->text();
    t.TimeEnd = DateEndEdit->text();
    t.Extended = ExtenCheckBox->isChecked();
    t.RefName = RefWptNameEdit->text();
    t.RefLati = RefWptLatiEdit->text();
    t.RefLong = RefWptLongEdit->text();
    t.RefCmnt = RefWptCmntEdit->text();
    t.Default = DefaultBox->isChecked();
    t.Sect = Sect;
    return t;
}

void TTrnEdit::OKBtnClick()
{
    // A number still being typed counts, coupled as when its edit is left.
    for (TSectEdit w : {TSectEdit::Radius1, TSectEdit::Radius2, TSectEdit::Angle1, TSectEdit::Angle2}) {
        QSpinBox* s = SpinOf(w);
        if (!s->hasFocus()) continue;
        s->interpretText();
        SpinExit(w);
    }
    const bool create = CreateMode == 1;
    if (!Stn || (create ? !(Trj && Trj->CurRec) : !Stn->SelTrn)) {
        reject();
        return;
    }
    TTrnValues v;
    const TTrnValues old = create ? TTrnValues{} : ValuesOf(*Stn->SelTrn);
    if (ReadTrnTexts(Texts(), ClockOf(Trj), create, old, v) > 0) {
        MessageDlg(MsgInvalid, TMsgType::Information, mbOK);
        return;
    }
    if (create) {
        TTrn t;
        WriteTrn(t, v);
        if (!Stn->AddTrn(t, -1)) return; // the task is full: the model said so
    } else {
        WriteTrn(*Stn->SelTrn, v);
    }
    Stn->Modified = true;
    accept();
}
