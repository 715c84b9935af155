#include "print/Print.h"

#include "model/Calc.h"
#include "model/Options.h"
#include "model/Texts.h"
#include "platform/MaskEdit.h"
#include "platform/Msg.h"
#include "platform/WinColor.h"
#include "print/Infoprnf.h"
#include "print/Preview.h"
#include "print/PrintJob.h"
#include "print/PrintRules.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFontComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QSpinBox>
#include <QStyledItemDelegate>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <array>

QPointer<TPrintForm> PrintForm;
uint8 PrnView = pvDetail;

namespace {

IPrintHost* gHost = nullptr;
TColorRunner gColorRunner;
TFontRunner gFontRunner;
TPageSetupRunner gSetupRunner;

constexpr int ZoneRow0 = 4; // rows 5..14 are zone classes 1..10

bool RunColor(QWidget* Parent, QColor& Color)
{
    if (gColorRunner) return gColorRunner(Parent, Color);
    const QColor c = QColorDialog::getColor(Color, Parent);
    if (!c.isValid()) return false;
    Color = c;
    return true;
}

// The font chooser: installed fonts only, sizes 5 to 15.
bool RunFont(QWidget* Parent, QString& Family, int& Size)
{
    if (gFontRunner) return gFontRunner(Parent, Family, Size);
    QDialog d(Parent);
    d.setWindowTitle(QApplication::translate("TPrintForm", "Police"));
    auto* fonts = new QFontComboBox(&d);
    fonts->setCurrentFont(QFont(Family));
    auto* sizes = new QSpinBox(&d);
    sizes->setRange(PrnFontSizeMin, PrnFontSizeMax);
    sizes->setValue(std::clamp(Size, PrnFontSizeMin, PrnFontSizeMax));
    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &d);
    QObject::connect(box, &QDialogButtonBox::accepted, &d, &QDialog::accept);
    QObject::connect(box, &QDialogButtonBox::rejected, &d, &QDialog::reject);
    auto* l = new QFormLayout(&d);
    l->addRow(fonts);
    l->addRow(sizes);
    l->addRow(box);
    if (d.exec() != QDialog::Accepted) return false;
    Family = fonts->currentFont().family();
    Size = sizes->value();
    return true;
}

bool RunSetup(QWidget* Parent, QPrinter& Printer)
{
    if (gSetupRunner) return gSetupRunner(Parent, Printer);
    QPageSetupDialog d(&Printer, Parent);
    return d.exec() == QDialog::Accepted;
}

// Draws the pen and font samples of the style grid's column 1.
class TCtpDelegate : public QStyledItemDelegate
{
public:
    TCtpDelegate(TPrintForm* F) : QStyledItemDelegate(F), fForm(F) {}
    void paint(QPainter* P, const QStyleOptionViewItem& O, const QModelIndex& I) const override
    {
        QStyledItemDelegate::paint(P, O, I);
        const TCtp* c = fForm->RowStyle(I.row());
        if (I.column() != 1 || !c) return;
        P->save();
        const QRect r = O.rect;
        const bool zone = I.row() > ZoneRow0;
        const bool pen = zone || (c->Kind & 2);
        const bool font = !zone && (c->Kind & 4);
        const QColor colour = WinColorToQColor(c->Color);
        if (font) {
            QFont f(c->Police);
            f.setPointSize(std::max<int>(c->Size, 1));
            P->setFont(f);
            P->setPen(colour);
            P->drawText(r.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignTop, c->Police);
        }
        if (pen) {
            P->setPen(QPen(colour, std::max<int>(c->Width, 1), CtpPenStyle(c->Style)));
            const int y = r.center().y();
            const int x1 = font ? r.center().x() : r.left() + 1;
            P->drawLine(x1, y, r.right() - 1, y);
        }
        P->restore();
    }

private:
    TPrintForm* fForm;
};

// The nine lines of the line-style list.
class TStyleDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* P, const QStyleOptionViewItem& O, const QModelIndex& I) const override
    {
        QStyledItemDelegate::paint(P, O, I);
        uint8 style = 0, width = 1;
        StyleListPen(I.row(), style, width);
        P->save();
        P->setPen(QPen(O.palette.color(QPalette::Text), width, CtpPenStyle(style)));
        const int y = O.rect.center().y();
        P->drawLine(O.rect.left() + 4, y, O.rect.right() - 4, y);
        P->restore();
    }
    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override { return QSize(60, 12); }
};

// The orientation sample: a page outline upright or lying.
class TOrientBox : public QWidget
{
public:
    TOrientBox(TPrintForm* F) : QWidget(F), fForm(F) { setFixedSize(48, 48); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(rect(), Qt::white);
        p.setPen(QPen(Qt::black, 1));
        const int w = width(), h = height();
        if (fForm->S.PortraitBtn)
            p.drawRect(QRect(QPoint(qRound(0.15 * w), 0), QPoint(qRound(0.85 * w), h - 1)));
        else
            p.drawRect(QRect(QPoint(0, qRound(0.15 * h)), QPoint(w - 1, qRound(0.85 * h))));
    }

private:
    TPrintForm* fForm;
};

QSpinBox* Spin(QWidget* Parent, const char* Name, int Min, int Max, int Value, int Step = 1)
{
    auto* s = new QSpinBox(Parent);
    s->setObjectName(QString::fromLatin1(Name));
    s->setRange(Min, Max);
    s->setSingleStep(Step);
    s->setValue(Value);
    return s;
}

template <class W> W* Named(QWidget* Parent, const char* Name)
{
    auto* w = new W(Parent);
    w->setObjectName(QString::fromLatin1(Name));
    return w;
}

QComboBox* ScaleBox(QWidget* Parent, const char* Name, const QStringList& Items)
{
    auto* b = Named<QComboBox>(Parent, Name);
    b->setEditable(true);
    b->setInsertPolicy(QComboBox::NoInsert);
    b->addItems(Items);
    // Only what the user types or pastes is filtered; texts the program sets stay as they are.
    QObject::connect(b->lineEdit(), &QLineEdit::textEdited, b, [b](const QString& T) {
        const QString f = FilterScaleText(T);
        if (f != T) b->lineEdit()->setText(f);
    });
    return b;
}

} // namespace

void SetPrintHost(IPrintHost* Host)
{
    gHost = Host;
}
IPrintHost* PrintHost()
{
    return gHost;
}
void SetColorRunner(TColorRunner R)
{
    gColorRunner = std::move(R);
}
void SetFontRunner(TFontRunner R)
{
    gFontRunner = std::move(R);
}
void SetPageSetupRunner(TPageSetupRunner R)
{
    gSetupRunner = std::move(R);
}

TPrintForm::TPrintForm(QWidget* Parent) : QDialog(Parent)
{
    setObjectName(QStringLiteral("PrintForm"));
    if (!PrintForm) PrintForm = this;
    FormCreate();
}

TPrintForm::~TPrintForm()
{
    if (PrintForm == this) PrintForm = nullptr;
}

void TPrintForm::FormCreate()
{
    setWindowModality(Qt::ApplicationModal);
    auto* top = new QVBoxLayout(this);
    PageControl = Named<QTabWidget>(this, "PageControl");
    top->addWidget(PageControl);
    auto sheet = [&](QWidget*& W, const char* Name) {
        W = Named<QWidget>(PageControl, Name);
        PageControl->addTab(W, QString::fromLatin1(Name));
    };
    sheet(MainSheet, "MainSheet");
    sheet(DrawSheet, "DrawSheet");
    sheet(PlanSheet, "PlanSheet");
    sheet(CuttSheet, "CuttSheet");
    sheet(WptSheet, "WptSheet");
    sheet(TitleSheet, "TitleSheet");

    // Main sheet
    auto* mg = new QGridLayout(MainSheet);
    VueGoupBox = Named<QGroupBox>(MainSheet, "VueGoupBox");
    auto* vl = new QVBoxLayout(VueGoupBox);
    for (auto [btn, name] : {std::pair{&VuePlanBtn, "VuePlanBtn"},
                             {&VueCuttBtn, "VueCuttBtn"},
                             {&VueDetailBtn, "VueDetailBtn"},
                             {&VueTaskBtn, "VueTaskBtn"},
                             {&ListWptBtn, "ListWptBtn"}}) {
        *btn = Named<QRadioButton>(VueGoupBox, name);
        vl->addWidget(*btn);
        connect(*btn, &QRadioButton::clicked, this, &TPrintForm::VueGoupBoxClick);
    }
    VueDetailBtn->setChecked(true);
    mg->addWidget(VueGoupBox, 0, 0, 2, 1);
    OrientGroupBox = Named<QGroupBox>(MainSheet, "OrientGroupBox");
    auto* ol = new QGridLayout(OrientGroupBox);
    PortraitBtn = Named<QRadioButton>(OrientGroupBox, "PortraitBtn");
    PaysageBtn = Named<QRadioButton>(OrientGroupBox, "PaysageBtn");
    OrientPaintBox = new TOrientBox(this);
    OrientPaintBox->setObjectName(QStringLiteral("OrientPaintBox"));
    ol->addWidget(PortraitBtn, 0, 0);
    ol->addWidget(PaysageBtn, 1, 0);
    ol->addWidget(OrientPaintBox, 0, 1, 2, 1);
    PortraitBtn->setChecked(true);
    for (QRadioButton* b : {PortraitBtn, PaysageBtn})
        connect(b, &QRadioButton::toggled, this, [this] {
            S.PortraitBtn = PortraitBtn->isChecked();
            OrientPaintBox->update();
        });
    mg->addWidget(OrientGroupBox, 0, 1);
    MarginGroupBox = Named<QGroupBox>(MainSheet, "MarginGroupBox");
    auto* ml = new QFormLayout(MarginGroupBox);
    TopEdit = Spin(MarginGroupBox, "TopEdit", PrnMarginMin, PrnMarginMax, 10);
    BottomEdit = Spin(MarginGroupBox, "BottomEdit", PrnMarginMin, PrnMarginMax, 10);
    LeftEdit = Spin(MarginGroupBox, "LeftEdit", PrnMarginMin, PrnMarginMax, 10);
    RightEdit = Spin(MarginGroupBox, "RightEdit", PrnMarginMin, PrnMarginMax, 10);
    for (QSpinBox* e : {TopEdit, BottomEdit, LeftEdit, RightEdit}) {
        auto* l =
            Named<QLabel>(MarginGroupBox, (e->objectName() + QStringLiteral("Lbl")).toLatin1().constData());
        l->setBuddy(e);
        ml->addRow(l, e);
    }
    mg->addWidget(MarginGroupBox, 1, 1);
    auto* pl = new QHBoxLayout;
    PrinterLbl = Named<QLabel>(MainSheet, "PrinterLbl");
    PrinterList = Named<QComboBox>(MainSheet, "PrinterList");
    PrinterList->setMinimumContentsLength(20);
    ConfigBtn = Named<QPushButton>(MainSheet, "ConfigBtn");
    pl->addWidget(PrinterLbl);
    pl->addWidget(PrinterList, 1);
    pl->addWidget(ConfigBtn);
    mg->addLayout(pl, 2, 0, 1, 2);
    auto* cl = new QHBoxLayout;
    NbCopyLbl = Named<QLabel>(MainSheet, "NbCopyLbl");
    NbCopy = Spin(MainSheet, "NbCopy", PrnCopiesMin, PrnCopiesMax, 1);
    MonochBtn = Named<QCheckBox>(MainSheet, "MonochBtn");
    cl->addWidget(NbCopyLbl);
    cl->addWidget(NbCopy);
    cl->addStretch();
    cl->addWidget(MonochBtn);
    mg->addLayout(cl, 3, 0, 1, 2);
    connect(PrinterList, &QComboBox::currentTextChanged, this, [this](const QString& T) {
        if (!fFilling) S.PrinterName = T;
    });
    connect(ConfigBtn, &QPushButton::clicked, this, &TPrintForm::ConfigBtnClick);

    // Styles
    auto* dg = new QGridLayout(DrawSheet);
    CtpGrid = Named<QTableWidget>(DrawSheet, "CtpGrid");
    CtpGrid->setRowCount(15);
    CtpGrid->setColumnCount(3);
    CtpGrid->horizontalHeader()->hide();
    CtpGrid->verticalHeader()->hide();
    CtpGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    CtpGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    CtpGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    CtpGrid->setItemDelegate(new TCtpDelegate(this));
    for (int r = 0; r < 15; ++r)
        for (int c = 0; c < 3; ++c) {
            auto* it = new QTableWidgetItem;
            if (r == 0) it->setFlags(Qt::ItemIsEnabled);
            if (c == 2) it->setTextAlignment(Qt::AlignCenter);
            CtpGrid->setItem(r, c, it);
        }
    CtpGrid->setCurrentCell(1, 0);
    connect(CtpGrid, &QTableWidget::currentCellChanged, this, [this](int Row) {
        if (Row == 0)
            CtpGrid->setCurrentCell(1, 0);
        else
            CtpGridClick();
    });
    dg->addWidget(CtpGrid, 0, 0, 5, 1);
    CtpStlLst = Named<QListWidget>(DrawSheet, "CtpStlLst");
    CtpStlLst->setItemDelegate(new TStyleDelegate(CtpStlLst));
    for (int i = 0; i < StyleListCount; ++i) CtpStlLst->addItem(QString());
    CtpStlLst->setFixedWidth(80);
    connect(CtpStlLst, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* I) { CtpStlLstClick(CtpStlLst->row(I)); });
    dg->addWidget(CtpStlLst, 0, 1);
    CtpColBtn = Named<QPushButton>(DrawSheet, "CtpColBtn");
    CtpFntBtn = Named<QPushButton>(DrawSheet, "CtpFntBtn");
    CtpDrwBox = Named<QCheckBox>(DrawSheet, "CtpDrwBox");
    PrnDefBtn = Named<QPushButton>(DrawSheet, "PrnDefBtn");
    dg->addWidget(CtpColBtn, 1, 1);
    dg->addWidget(CtpFntBtn, 2, 1);
    dg->addWidget(CtpDrwBox, 3, 1);
    dg->addWidget(PrnDefBtn, 4, 1);
    connect(CtpColBtn, &QPushButton::clicked, this, &TPrintForm::CtpColBtnClick);
    connect(CtpFntBtn, &QPushButton::clicked, this, &TPrintForm::CtpFntBtnClick);
    connect(PrnDefBtn, &QPushButton::clicked, this, &TPrintForm::PrnDefBtnClick);
    connect(CtpDrwBox, &QCheckBox::clicked, this, [this](bool On) {
        const int row = CtpGrid->currentRow();
        if (TCtp* c = RowStyle(row)) {
            c->Draw = On;
            CtpGrid->item(row, 2)->setText(On ? QStringLiteral("X") : QString());
        }
    });

    // Plan
    auto* pg = new QGridLayout(PlanSheet);
    int row = 0;
    for (auto [box, name] : {std::pair{&MapPlanBtn, "MapPlanBtn"},
                             {&MapSectBtn, "MapSectBtn"},
                             {&SmpPlanBtn, "SmpPlanBtn"},
                             {&EchPlanBtn, "EchPlanBtn"},
                             {&RepPlanBtn, "RepPlanBtn"},
                             {&AdjPlanBtn, "AdjPlanBtn"}}) {
        *box = Named<QCheckBox>(PlanSheet, name);
        pg->addWidget(*box, row++, 0, 1, 3);
    }
    EchPlanLbl = Named<QLabel>(PlanSheet, "EchPlanLbl");
    EchPlanBox = ScaleBox(PlanSheet, "EchPlanBox",
                          {QStringLiteral("1000000"), QStringLiteral("500000"), QStringLiteral("250000"),
                           QStringLiteral("200000"), QStringLiteral("100000")});
    pg->addWidget(EchPlanLbl, row, 1);
    pg->addWidget(EchPlanBox, row++, 2);
    CtrPlanBtn = Named<QCheckBox>(PlanSheet, "CtrPlanBtn");
    pg->addWidget(CtrPlanBtn, row++, 1, 1, 2);
    CenterLbl = Named<QLabel>(PlanSheet, "CenterLbl");
    pg->addWidget(CenterLbl, row++, 1, 1, 2);
    CtrLatiLbl = Named<QLabel>(PlanSheet, "CtrLatiLbl");
    CtrLatiEdit = Named<QLineEdit>(PlanSheet, "CtrLatiEdit");
    CtrLongLbl = Named<QLabel>(PlanSheet, "CtrLongLbl");
    CtrLongEdit = Named<QLineEdit>(PlanSheet, "CtrLongEdit");
    pg->addWidget(CtrLatiLbl, row, 1);
    pg->addWidget(CtrLatiEdit, row++, 2);
    pg->addWidget(CtrLongLbl, row, 1);
    pg->addWidget(CtrLongEdit, row++, 2);
    CtrLatiEdit->installEventFilter(this);
    CtrLongEdit->installEventFilter(this);
    for (QLabel* l : {EchPlanLbl, CenterLbl, CtrLatiLbl, CtrLongLbl}) l->installEventFilter(this);
    PrnRepSizeLbl = Named<QLabel>(PlanSheet, "PrnRepSizeLbl");
    PrnRepSizeEdit = Spin(PlanSheet, "PrnRepSizeEdit", PrnRepSizeMin, PrnRepSizeMax, 7);
    PrnNbMeridLbl = Named<QLabel>(PlanSheet, "PrnNbMeridLbl");
    PrnNbMeridEdit = Spin(PlanSheet, "PrnNbMeridEdit", PrnNbMeridMin, PrnNbMeridMax, 1);
    pg->addWidget(PrnRepSizeLbl, row, 0, 1, 2);
    pg->addWidget(PrnRepSizeEdit, row++, 2);
    pg->addWidget(PrnNbMeridLbl, row, 0, 1, 2);
    pg->addWidget(PrnNbMeridEdit, row++, 2);
    pg->setRowStretch(row, 1);
    pg->setColumnMinimumWidth(0, 20);
    connect(MonochBtn, &QCheckBox::clicked, this, [this] { MapPlanMonochBtnClick(0); });
    connect(MapPlanBtn, &QCheckBox::clicked, this, [this] { MapPlanMonochBtnClick(1); });
    connect(MapSectBtn, &QCheckBox::clicked, this, [this] { MapPlanMonochBtnClick(2); });
    connect(AdjPlanBtn, &QCheckBox::clicked, this, [this] {
        S.AdjPlanBtn = AdjPlanBtn->isChecked();
        UpdateOptions();
    });
    connect(CtrPlanBtn, &QCheckBox::clicked, this, [this] {
        S.CtrPlanBtn = CtrPlanBtn->isChecked();
        UpdateOptions();
        if (S.CtrPlanBtn) FillCentre();
    });

    // Cross-section
    auto* cg = new QGridLayout(CuttSheet);
    EchAltiBtn = Named<QCheckBox>(CuttSheet, "EchAltiBtn");
    EchDateBtn = Named<QCheckBox>(CuttSheet, "EchDateBtn");
    AdjCuttBtn = Named<QCheckBox>(CuttSheet, "AdjCuttBtn");
    EchAltiLbl = Named<QLabel>(CuttSheet, "EchAltiLbl");
    EchDateLbl = Named<QLabel>(CuttSheet, "EchDateLbl");
    EchAltiBox = ScaleBox(CuttSheet, "EchAltiBox",
                          {QStringLiteral("20"), QStringLiteral("50"), QStringLiteral("100")});
    EchDateBox = ScaleBox(CuttSheet, "EchDateBox",
                          {QStringLiteral("10"), QStringLiteral("20"), QStringLiteral("50"),
                           QStringLiteral("100"), QStringLiteral("200")});
    HeightCuttLbl = Named<QLabel>(CuttSheet, "HeightCuttLbl");
    HeightCuttLbl2 = Named<QLabel>(CuttSheet, "HeightCuttLbl2");
    HeightCuttLbl3 = Named<QLabel>(CuttSheet, "HeightCuttLbl3");
    HeightCutt = Spin(CuttSheet, "HeightCutt", PrnCuttHeightMin, PrnCuttHeightMax, 100, 5);
    cg->addWidget(EchAltiBtn, 0, 0, 1, 3);
    cg->addWidget(EchDateBtn, 1, 0, 1, 3);
    cg->addWidget(AdjCuttBtn, 2, 0, 1, 3);
    cg->addWidget(EchAltiLbl, 3, 1);
    cg->addWidget(EchAltiBox, 3, 2);
    cg->addWidget(EchDateLbl, 4, 1);
    cg->addWidget(EchDateBox, 4, 2);
    cg->addWidget(HeightCuttLbl, 5, 0, 1, 2);
    cg->addWidget(HeightCutt, 5, 2);
    cg->addWidget(HeightCuttLbl2, 5, 3);
    cg->addWidget(HeightCuttLbl3, 6, 0, 1, 4);
    cg->setRowStretch(7, 1);
    cg->setColumnMinimumWidth(0, 20);
    connect(AdjCuttBtn, &QCheckBox::clicked, this, &TPrintForm::VueGoupBoxClick);
    // Only the user's own edit is the stored height: the detail view shows 50 there.
    connect(HeightCutt, &QSpinBox::editingFinished, this, [this] {
        if (HeightCutt->isEnabled()) S.HauteurCoupe = HeightCutt->value();
    });

    // Waypoints, title
    auto* wl = new QVBoxLayout(WptSheet);
    MrkWptOnly = Named<QCheckBox>(WptSheet, "MrkWptOnly");
    wl->addWidget(MrkWptOnly);
    wl->addStretch();
    auto* tl = new QGridLayout(TitleSheet);
    row = 0;
    for (auto [box, name] : {std::pair{&NomFichBtn, "NomFichBtn"},
                             {&DateBtn, "DateBtn"},
                             {&PltBtn, "PltBtn"},
                             {&PlnBtn, "PlnBtn"},
                             {&CmntBtn, "CmntBtn"}}) {
        *box = Named<QCheckBox>(TitleSheet, name);
        tl->addWidget(*box, row++, 0);
    }
    CmntEdit = Named<QLineEdit>(TitleSheet, "CmntEdit");
    tl->addWidget(CmntEdit, row - 1, 1);
    DefCmntLbl = Named<QLabel>(TitleSheet, "DefCmntLbl");
    DefCmntEdit = Named<QLineEdit>(TitleSheet, "DefCmntEdit");
    tl->addWidget(DefCmntLbl, row, 0);
    tl->addWidget(DefCmntEdit, row++, 1);
    tl->setRowStretch(row, 1);

    // Buttons
    auto* bl = new QHBoxLayout;
    CloseBtn = Named<QPushButton>(this, "CloseBtn");
    ViewBtn = Named<QPushButton>(this, "ViewBtn");
    PrintBtn = Named<QPushButton>(this, "PrintBtn");
    PrintBtn->setDefault(true);
    bl->addStretch();
    bl->addWidget(CloseBtn);
    bl->addWidget(ViewBtn);
    bl->addWidget(PrintBtn);
    top->addLayout(bl);
    connect(CloseBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(ViewBtn, &QPushButton::clicked, this, &TPrintForm::ViewBtnClick);
    connect(PrintBtn, &QPushButton::clicked, this, &TPrintForm::PrintBtnClick);
}

TCtp* TPrintForm::RowStyle(int Row)
{
    if (Row >= 1 && Row <= 4) return &S.PrnStyles[Row - 1];
    if (Row > ZoneRow0 && Row <= ZoneRow0 + 10) return &S.PrnZoneStyles[Row - ZoneRow0];
    return nullptr;
}

void TPrintForm::FillPrinterList()
{
    fFilling = true;
    PrinterList->clear();
    PrinterList->addItems(PrinterNames());
    if (S.PrinterName.isEmpty() || PrinterList->findText(S.PrinterName) < 0)
        S.PrinterName = DefaultPrinterName();
    PrinterList->setCurrentIndex(std::max(0, PrinterList->findText(S.PrinterName)));
    fFilling = false;
}

void TPrintForm::FillCentre()
{
    int32 lat = 0, lon = 0;
    if (gHost) gHost->PlanCentre(lat, lon);
    S.CtrLatiEdit = LatiToStr(lat);
    S.CtrLongEdit = LongToStr(lon);
    CtrLatiEdit->setText(S.CtrLatiEdit);
    CtrLongEdit->setText(S.CtrLongEdit);
}

void TPrintForm::LoadSettings()
{
    fReentry = false;
    S.PrnView = PrnView;
    if (OutMode == 0) ::LoadIni(S);
    Zoom = 1;
    if (S.CtrPlanBtn || S.CtrLatiEdit.isEmpty() || S.CtrLatiEdit.startsWith(u' ')) {
        int32 lat = 0, lon = 0;
        if (gHost) gHost->PlanCentre(lat, lon);
        S.CtrLatiEdit = LatiToStr(lat);
        S.CtrLongEdit = LongToStr(lon);
    }
    const TViewSet offered = OfferedViews(
        {Trj != nullptr, Stn ? int(Stn->Count) : 0, Swp ? int(Swp->Count) : 0, Map && Map->Valid});
    PrnView = S.PrnView = ChooseView(PrnView, offered);
    if (S.PrinterName.isEmpty()) S.PrinterName = DefaultPrinterName();
    const TPrintEnables e = PrintEnables(S.PrnView, S, Smp != nullptr, Smp ? Smp->Count : 0);
    S.HeightCutt = ShownCuttHeight(e, S);
    if (S.PrnView == pvDetail) S.PortraitBtn = true;
}

void TPrintForm::FormActivate()
{
    LoadSettings();
    FillPrinterList();
    CtrLatiEdit->setInputMask(MaskToQtInputMask(LatMask()));
    CtrLongEdit->setInputMask(MaskToQtInputMask(LonMask()));
    const TViewSet offered = OfferedViews(
        {Trj != nullptr, Stn ? int(Stn->Count) : 0, Swp ? int(Swp->Count) : 0, Map && Map->Valid});
    const std::pair<QRadioButton*, uint8> views[] = {{VuePlanBtn, pvPlan},
                                                     {VueCuttBtn, pvCutt},
                                                     {VueDetailBtn, pvDetail},
                                                     {VueTaskBtn, pvTask},
                                                     {ListWptBtn, pvWptList}};
    for (auto [b, code] : views) b->setEnabled(offered & ViewBit(code));
    ShowSettings();
    ViewBtn->setEnabled(offered != 0);
    PrintBtn->setEnabled(offered != 0);
    DefCmntEdit->setMinimumHeight(CmntEdit->fontMetrics().height() + 10);
    RefreshGridMarks();
    const QFontMetrics fm = CtpGrid->fontMetrics();
    CtpGrid->verticalHeader()->setDefaultSectionSize(fm.height() + 6);
    const auto heading = [&](int Col) {
        return fm.horizontalAdvance(u' ' + CtpGridTitles.value(Col) + u' ') + 6;
    };
    // The sample column is wide enough for a font name too.
    CtpGrid->setColumnWidth(1, std::max(heading(1), fm.horizontalAdvance(QStringLiteral("Arial 15")) + 12));
    CtpGrid->setColumnWidth(2, heading(2));
    CtpGrid->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    PageControl->setMinimumWidth(PageControl->tabBar()->sizeHint().width() + 8);
    CtpGridClick();
    PrintBtn->setFocus();
}

void TPrintForm::RefreshGridMarks()
{
    for (int c = 0; c < 3; ++c) CtpGrid->item(0, c)->setText(CtpGridTitles.value(c));
    for (int r = 1; r < 15; ++r) {
        const TCtp* c = RowStyle(r);
        CtpGrid->item(r, 0)->setText(r <= 4 ? PrnStyleNames[r - 1] : ZoneClassNames[r - ZoneRow0]);
        CtpGrid->item(r, 2)->setText(c->Draw ? QStringLiteral("X") : QString());
    }
    CtpGrid->viewport()->update();
}

namespace {

// The check boxes that mirror a flag of the settings one to one.
using TCheckBoxField = std::pair<QCheckBox*, bool TPrintSettings::*>;
std::array<TCheckBoxField, 17> CheckBoxFields(const TPrintForm& F)
{
    return {{{F.MonochBtn, &TPrintSettings::MonochBtn},
             {F.MapPlanBtn, &TPrintSettings::MapPlanBtn},
             {F.MapSectBtn, &TPrintSettings::MapSectBtn},
             {F.SmpPlanBtn, &TPrintSettings::SmpPlanBtn},
             {F.EchPlanBtn, &TPrintSettings::EchPlanBtn},
             {F.RepPlanBtn, &TPrintSettings::RepPlanBtn},
             {F.AdjPlanBtn, &TPrintSettings::AdjPlanBtn},
             {F.CtrPlanBtn, &TPrintSettings::CtrPlanBtn},
             {F.EchAltiBtn, &TPrintSettings::EchAltiBtn},
             {F.EchDateBtn, &TPrintSettings::EchDateBtn},
             {F.AdjCuttBtn, &TPrintSettings::AdjCuttBtn},
             {F.MrkWptOnly, &TPrintSettings::MrkWptOnly},
             {F.NomFichBtn, &TPrintSettings::NomFichBtn},
             {F.DateBtn, &TPrintSettings::DateBtn},
             {F.PltBtn, &TPrintSettings::PltBtn},
             {F.PlnBtn, &TPrintSettings::PlnBtn},
             {F.CmntBtn, &TPrintSettings::CmntBtn}}};
}

} // namespace

void TPrintForm::ShowSettings()
{
    fFilling = true;
    const std::pair<QRadioButton*, uint8> views[] = {{VuePlanBtn, pvPlan},
                                                     {VueCuttBtn, pvCutt},
                                                     {VueDetailBtn, pvDetail},
                                                     {VueTaskBtn, pvTask},
                                                     {ListWptBtn, pvWptList}};
    for (auto [b, code] : views)
        if (code == S.PrnView) b->setChecked(true);
    TopEdit->setValue(S.TopEdit);
    BottomEdit->setValue(S.BottomEdit);
    LeftEdit->setValue(S.LeftEdit);
    RightEdit->setValue(S.RightEdit);
    NbCopy->setValue(S.NbCopy);
    const auto boxes = CheckBoxFields(*this);
    for (auto [b, f] : boxes) b->setChecked(S.*f);
    EchPlanBox->setEditText(S.EchPlanBox);
    EchAltiBox->setEditText(S.EchAltiBox);
    EchDateBox->setEditText(S.EchDateBox);
    CtrLatiEdit->setText(S.CtrLatiEdit);
    CtrLongEdit->setText(S.CtrLongEdit);
    PrnRepSizeEdit->setValue(S.PrnRepSizeEdit);
    PrnNbMeridEdit->setValue(S.PrnNbMeridEdit);
    CmntEdit->setText(S.CmntEdit);
    DefCmntEdit->setText(S.DefCmntEdit);
    SyncOrientButtons();
    fFilling = false;
    UpdateOptions();
}

void TPrintForm::ReadControls()
{
    S.PrnView = PrnView;
    S.TopEdit = TopEdit->value();
    S.BottomEdit = BottomEdit->value();
    S.LeftEdit = LeftEdit->value();
    S.RightEdit = RightEdit->value();
    S.NbCopy = NbCopy->value();
    S.PrinterName = PrinterList->currentText();
    S.PortraitBtn = PortraitBtn->isChecked();
    const auto boxes = CheckBoxFields(*this);
    for (auto [b, f] : boxes) S.*f = b->isChecked();
    S.EchPlanBox = EchPlanBox->currentText();
    S.EchAltiBox = EchAltiBox->currentText();
    S.EchDateBox = EchDateBox->currentText();
    S.CtrLatiEdit = CtrLatiEdit->text();
    S.CtrLongEdit = CtrLongEdit->text();
    S.PrnRepSizeEdit = PrnRepSizeEdit->value();
    S.PrnNbMeridEdit = PrnNbMeridEdit->value();
    S.HeightCutt = HeightCutt->value();
    S.CmntEdit = CmntEdit->text();
    S.DefCmntEdit = DefCmntEdit->text();
}

void TPrintForm::UpdateOptions()
{
    const TPrintEnables e = PrintEnables(PrnView, S, Smp != nullptr, Smp ? Smp->Count : 0);
    for (QWidget* w : {static_cast<QWidget*>(MapPlanBtn), static_cast<QWidget*>(EchPlanBtn),
                       static_cast<QWidget*>(RepPlanBtn)})
        w->setEnabled(e.MapPlan);
    MapSectBtn->setEnabled(e.MapSect);
    SmpPlanBtn->setEnabled(e.SmpPlan);
    AdjPlanBtn->setEnabled(e.AdjPlan);
    for (QWidget* w : {static_cast<QWidget*>(EchPlanBox), static_cast<QWidget*>(EchPlanLbl),
                       static_cast<QWidget*>(CtrPlanBtn)})
        w->setEnabled(e.EchPlanBox);
    for (QWidget* w : {static_cast<QWidget*>(CenterLbl), static_cast<QWidget*>(CtrLatiEdit),
                       static_cast<QWidget*>(CtrLongEdit), static_cast<QWidget*>(CtrLatiLbl),
                       static_cast<QWidget*>(CtrLongLbl)})
        w->setEnabled(e.Center);
    EchAltiBtn->setEnabled(e.EchAlti);
    EchDateBtn->setEnabled(e.EchAlti);
    AdjCuttBtn->setEnabled(e.AdjCutt);
    for (QWidget* w : {static_cast<QWidget*>(EchAltiBox), static_cast<QWidget*>(EchAltiLbl),
                       static_cast<QWidget*>(EchDateBox), static_cast<QWidget*>(EchDateLbl)})
        w->setEnabled(e.CuttScales);
    for (QWidget* w : {static_cast<QWidget*>(HeightCutt), static_cast<QWidget*>(HeightCuttLbl),
                       static_cast<QWidget*>(HeightCuttLbl2), static_cast<QWidget*>(HeightCuttLbl3)})
        w->setEnabled(e.HeightCutt);
    PaysageBtn->setEnabled(e.Paysage);
    PltBtn->setEnabled(e.PltPln);
    PlnBtn->setEnabled(e.PltPln);
    S.HeightCutt = ShownCuttHeight(e, S);
    HeightCutt->setValue(S.HeightCutt);
}

void TPrintForm::SyncOrientButtons()
{
    (S.PortraitBtn ? PortraitBtn : PaysageBtn)->setChecked(true);
    OrientPaintBox->update();
}

void TPrintForm::VueGoupBoxClick()
{
    Zoom = 1;
    S.AdjCuttBtn = AdjCuttBtn->isChecked();
    const std::pair<QRadioButton*, uint8> views[] = {{VuePlanBtn, pvPlan},
                                                     {VueCuttBtn, pvCutt},
                                                     {VueDetailBtn, pvDetail},
                                                     {VueTaskBtn, pvTask},
                                                     {ListWptBtn, pvWptList}};
    for (auto [b, code] : views)
        if (b->isChecked()) PrnView = S.PrnView = code;
    // The detail page is laid out for portrait only.
    if (PrnView == pvDetail) {
        S.PortraitBtn = true;
        SyncOrientButtons();
    }
    UpdateOptions();
    OrientPaintBox->update();
}

void TPrintForm::MapPlanMonochBtnClick(int From)
{
    if (fReentry) return;
    fReentry = true;
    S.MonochBtn = MonochBtn->isChecked();
    S.MapPlanBtn = MapPlanBtn->isChecked();
    S.MapSectBtn = MapSectBtn->isChecked();
    const TMonochWarning w =
        ApplyMonochRule(S, TMonochBox(From), From == 0 && (MonochBtn->hasFocus() || !isActiveWindow()));
    MonochBtn->setChecked(S.MonochBtn);
    MapPlanBtn->setChecked(S.MapPlanBtn);
    MapSectBtn->setChecked(S.MapSectBtn);
    switch (w) {
    case TMonochWarning::MapsCleared:
        MessageDlg(MsgTexts.MapsCleared, TMsgType::Warning, mbOK);
        break;
    case TMonochWarning::MonochCleared:
        MessageDlg(MsgTexts.MonochCleared, TMsgType::Warning, mbOK);
        break;
    case TMonochWarning::MonochUnchecked:
        MessageDlg(MsgTexts.MonochUnchecked, TMsgType::Warning, mbOK);
        break;
    case TMonochWarning::None:
        break;
    }
    fReentry = false;
}

void TPrintForm::CtpGridClick()
{
    const int row = CtpGrid->currentRow();
    const TCtp* c = RowStyle(row);
    if (!c) return;
    const bool zone = row > ZoneRow0;
    CtpStlLst->setCurrentRow(StyleListEntry(*c));
    CtpDrwBox->setChecked(c->Draw);
    if (zone) {
        CtpFntBtn->setText(QStringLiteral("Arial 8"));
        CtpFntBtn->setEnabled(false);
        CtpStlLst->setEnabled(true);
        CtpDrwBox->setEnabled(true);
    } else {
        CtpFntBtn->setText((c->Kind & 4) ? c->Police + u' ' + QString::number(c->Size) : QString());
        CtpFntBtn->setEnabled(c->Kind & 4);
        CtpStlLst->setEnabled(c->Kind & 2);
        CtpDrwBox->setEnabled(c->Kind & 1);
    }
    CtpColBtn->setStyleSheet(QStringLiteral("color: %1").arg(WinColorToQColor(c->Color).name()));
}

void TPrintForm::CtpStlLstClick(int Entry)
{
    TCtp* c = RowStyle(CtpGrid->currentRow());
    if (!c || !CtpStlLst->isEnabled()) return;
    ApplyStyleListEntry(*c, Entry);
    CtpGrid->viewport()->update();
}

void TPrintForm::CtpColBtnClick()
{
    TCtp* c = RowStyle(CtpGrid->currentRow());
    if (!c) return;
    QColor col = WinColorToQColor(c->Color);
    if (!RunColor(this, col)) return;
    c->Color = QColorToWinColor(col);
    CtpGrid->viewport()->update();
    CtpColBtn->setStyleSheet(QStringLiteral("color: %1").arg(col.name()));
}

void TPrintForm::CtpFntBtnClick()
{
    TCtp* c = RowStyle(CtpGrid->currentRow());
    if (!c || !(c->Kind & 4)) return;
    QString family = c->Police;
    int size = c->Size;
    if (!RunFont(this, family, size) || family.trimmed().isEmpty()) return;
    c->Police = family;
    c->Size = uint8(std::clamp(size, PrnFontSizeMin, PrnFontSizeMax));
    CtpGrid->viewport()->update();
    CtpFntBtn->setText(c->Police + u' ' + QString::number(c->Size));
}

void TPrintForm::PrnDefBtnClick()
{
    for (QSpinBox* e : {TopEdit, BottomEdit, LeftEdit, RightEdit}) e->setValue(10);
    for (int i = 0; i < 4; ++i) {
        const uint8 kind = S.PrnStyles[i].Kind;
        S.PrnStyles[i] = PrnStyleDefaults[i];
        S.PrnStyles[i].Kind = kind;
    }
    for (int i = 1; i <= 10; ++i) {
        const uint8 kind = S.PrnZoneStyles[i].Kind;
        S.PrnZoneStyles[i] = ZoneStyleDefaults[i];
        S.PrnZoneStyles[i].Kind = kind;
    }
    CtpGridClick();
    RefreshGridMarks();
    PrnRepSizeEdit->setValue(7);
    PrnNbMeridEdit->setValue(1);
}

void TPrintForm::ConfigBtnClick()
{
    ReadControls();
    QPrinter printer(QPrinter::HighResolution);
    if (S.PrinterName == PdfPrinterName)
        printer.setOutputFormat(QPrinter::PdfFormat);
    else
        printer.setPrinterName(S.PrinterName);
    // The set-up starts from the paper the page is laid out on now.
    QPageLayout now;
    QString why;
    if (PrinterPageLayout(S.PrinterName, S.PortraitBtn, S.Paper, now, why))
        printer.setPageSize(now.pageSize());
    printer.setPageOrientation(S.PortraitBtn ? QPageLayout::Portrait : QPageLayout::Landscape);
    if (!RunSetup(this, printer)) return;
    S.Paper = printer.pageLayout().pageSize();
    S.PortraitBtn = printer.pageLayout().orientation() == QPageLayout::Portrait || PrnView == pvDetail;
    SyncOrientButtons();
    FillPrinterList();
}

bool TPrintForm::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Event->type() == QEvent::FocusOut && !fCheckingCentre) {
        // The warning box takes the focus itself: one check per exit.
        fCheckingCentre = true;
        if (Watched == CtrLatiEdit)
            CtrLatiEditExit();
        else if (Watched == CtrLongEdit)
            CtrLongEditExit();
        fCheckingCentre = false;
    } else if (Event->type() == QEvent::MouseButtonPress &&
               (Watched == EchPlanLbl || Watched == CenterLbl || Watched == CtrLatiLbl ||
                Watched == CtrLongLbl)) {
        EchPlanBox->setFocus();
    }
    return QDialog::eventFilter(Watched, Event);
}

void TPrintForm::CtrLatiEditExit()
{
    CentreEditExit(CtrLatiEdit, S.CtrLatiEdit, true);
}

void TPrintForm::CtrLongEditExit()
{
    CentreEditExit(CtrLongEdit, S.CtrLongEdit, false);
}

// A coordinate that does not parse or is out of range gives way to the plan view's centre.
void TPrintForm::CentreEditExit(QLineEdit* Edit, QString& Stored, bool Lati)
{
    int32 v = 0;
    if (Lati ? ParseLat(Edit->text(), v) && std::abs(v) <= 90 * 60000
             : ParseLon(Edit->text(), v) && std::abs(v) <= 180 * 60000) {
        Stored = Edit->text();
        return;
    }
    MessageDlg(MsgTexts.BadCoord, TMsgType::Warning, mbOK);
    int32 lat = 0, lon = 0;
    if (gHost) gHost->PlanCentre(lat, lon);
    Stored = Lati ? LatiToStr(lat) : LongToStr(lon);
    Edit->setText(Stored);
}

void TPrintForm::PrintBtnClick()
{
    if (fPrinting || !PrintBtn->isEnabled()) return;
    ReadControls();
    if (PrnView == pvDetail && Trj && Stn && Stn->Count > 0) {
        bool unreached = false;
        for (TTrn* t = Stn->First; t; t = t->Next) unreached = unreached || t->Reached == 0;
        if (unreached) {
            const int a = MessageDlg(MsgTexts.AssocQuestion, TMsgType::Confirmation, mbYes | mbNo | mbCancel);
            if (a == mrCancel) return;
            if (a == mrYes && gHost) gHost->AssociateAuto();
        }
    }
    if (PrnView == pvWptList && Swp && Swp->Modified) {
        if (MessageDlg(MsgTexts.WptModified, TMsgType::Confirmation, mbYes | mbNo) != mrYes) return;
    }
    OutMode = 0;
    PrintOrPreview();
}

void TPrintForm::ViewBtnClick()
{
    if (fPrinting || !ViewBtn->isEnabled()) return;
    ReadControls();
    ::SaveIni(S);
    OutMode = 2;
    CtrlSect = 0;
    PrintOrPreview();
}

void TPrintForm::ShowStatus(const QString& Text)
{
    if (gHost) gHost->ShowStatus(Text);
}

void TPrintForm::PrintOrPreview()
{
    if (fPrinting) return;
    TPreviewForm* pv = PreviewForm;
    if (CtrlSect == 1) OutMode = 2;
    if (pv) pv->SetMode(CtrlSect == 1);
    const QString doc = PrintDocName(S);
    S.PrnView = PrnView;
    if (OutMode > 0) {
        if (!pv) return;
        ShowStatus(FormatMsg(PrintMsgTexts().PreviewStatus, {doc}));
        // A preview never needs a queue: the chosen entry's paper, else the paper alone.
        QPageLayout layout;
        QString why;
        if (!PrinterPageLayout(S.PrinterName, S.PortraitBtn, S.Paper, layout, why))
            PrinterPageLayout(PdfPrinterName, S.PortraitBtn, S.Paper, layout, why);
        if (gHost && !pv->isVisible()) {
            QPoint o;
            QSize sz;
            int sb = 0;
            gHost->ClientArea(o, sz, sb);
            if (sz.width() > 0 && sz.height() > sb)
                pv->setGeometry(QRect(o, QSize(sz.width(), sz.height() - sb)));
        }
        hide();
        if (!pv->isVisible()) pv->show();
        const TPreviewArea a = pv->Area();
        PageGeo = PageGeometry(GeometryOfLayout(layout, 600), S, OutMode, CtrlSect, Zoom, a);
        if (CtrlSect == 0) ShowSettings(); // margins raised to the printable area show
        pv->PlacePage(PageGeo);
        ShowStatus(QString());
        return;
    }
    // Printing
    fPrinting = true;
    hide();
    TPrintJob job(S);
    job.Status = [](const QString& T) {
        if (gHost) gHost->ShowStatus(T);
    };
    TInfoPrnForm* box = InfoPrnForm;
    if (box) {
        box->Job = &job;
        job.Progress = box;
    }
    const TPrintResult r = job.Run();
    if (box) box->Job = nullptr;
    fPrinting = false;
    if (r == TPrintResult::Printed || r == TPrintResult::Aborted) {
        EndOfRun(true);
    } else {
        // Nothing went out: the dialog comes back with its settings.
        ShowSettings();
        show();
        if (fCloseWanted) EndOfRun(true);
    }
}

void TPrintForm::EndOfRun(bool CloseDialog)
{
    fCloseWanted = false;
    if (gHost) gHost->ShowMainWindow();
    if (CloseDialog) {
        ShowStatus(QString());
        ::SaveIni(S);
        OutMode = 0;
        QDialog::done(QDialog::Accepted);
    }
}

void TPrintForm::showEvent(QShowEvent* E)
{
    QDialog::showEvent(E);
    if (!E->spontaneous()) FormActivate();
}

void TPrintForm::done(int R)
{
    if (fPrinting) {
        fCloseWanted = true;
        return;
    }
    if (isVisible()) ReadControls();
    ShowStatus(QString());
    ::SaveIni(S);
    OutMode = 0;
    QDialog::done(R);
}

void TPrintForm::closeEvent(QCloseEvent* E)
{
    if (fPrinting) {
        fCloseWanted = true;
        E->ignore();
        return;
    }
    QDialog::closeEvent(E);
}
