#include "print/Preview.h"

#include "model/Define.h"
#include "print/Print.h"
#include "print/PrintRules.h"

#include <QAction>
#include <QCloseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>
#include <algorithm>

QPointer<TPreviewForm> PreviewForm;

void TPreviewPaintBox::paintEvent(QPaintEvent* E)
{
    TPrintForm* f = PrintForm;
    if (!f) return;
    if (PreviewForm) PreviewForm->UpdatePreviewButtons();
    QPainter p(this);
    TPageContext c;
    c.SetGeometry(f->PageGeo);
    c.PaintBox = size();
    c.OutMode = f->OutMode > 0 ? f->OutMode : 2;
    c.CtrlSect = f->CtrlSect;
    c.Zoom = f->Zoom;
    c.Visible = E->rect();
    c.Status = [](const QString& T) {
        if (IPrintHost* h = PrintHost()) h->ShowStatus(T);
    };
    DrawPage(p, c, f->S);
}

TPreviewForm::TPreviewForm(QWidget* Parent) : QWidget(Parent, Qt::Window)
{
    setObjectName(QStringLiteral("PreviewForm"));
    if (!PreviewForm) PreviewForm = this;
    setWindowModality(Qt::ApplicationModal);
    resize(590, 502);
    auto* l = new QVBoxLayout(this);
    l->setContentsMargins(0, 0, 0, 0);
    l->setSpacing(0);
    ToolBar = new QToolBar(this);
    ToolBar->setObjectName(QStringLiteral("ToolBar"));
    l->addWidget(ToolBar);
    ScrollBox = new QScrollArea(this);
    ScrollBox->setObjectName(QStringLiteral("ScrollBox"));
    ScrollBox->setWidgetResizable(false);
    ScrollBox->setFrameShape(QFrame::NoFrame);
    PageHolder = new QWidget;
    PaintBox = new TPreviewPaintBox(PageHolder);
    PaintBox->setObjectName(QStringLiteral("PaintBox"));
    PaintBox->setAttribute(Qt::WA_OpaquePaintEvent);
    ScrollBox->setWidget(PageHolder);
    l->addWidget(ScrollBox, 1);

    auto act = [this](QAction*& A, const char* Name, const QKeySequence& Key, void (TPreviewForm::*Slot)()) {
        A = new QAction(this);
        A->setObjectName(QString::fromLatin1(Name));
        A->setText(QString::fromLatin1(Name));
        if (!Key.isEmpty()) A->setShortcut(Key);
        A->setShortcutContext(Qt::WindowShortcut);
        addAction(A);
        connect(A, &QAction::triggered, this, Slot);
    };
    act(Quitte, "Quitte", QKeySequence(Qt::Key_Escape), &TPreviewForm::QuitteExecute);
    act(ZoomPlus, "ZoomPlus", QKeySequence(Qt::SHIFT | Qt::ALT | Qt::Key_Backspace),
        &TPreviewForm::ZoomPlusExecute);
    act(ZoomMoins, "ZoomMoins", QKeySequence(Qt::ALT | Qt::Key_Backspace), &TPreviewForm::ZoomMoinsExecute);
    act(ZoomZero, "ZoomZero", QKeySequence(Qt::CTRL | Qt::Key_Space), &TPreviewForm::ZoomZeroExecute);
    act(Imprime, "Imprime", QKeySequence(Qt::CTRL | Qt::Key_P), &TPreviewForm::ImprimeExecute);
    act(Refresh, "Refresh", QKeySequence(), &TPreviewForm::RefreshExecute);
    Assoc = new QAction(this);
    Assoc->setObjectName(QStringLiteral("Assoc"));
    connect(Assoc, &QAction::triggered, this, [] {
        if (IPrintHost* h = PrintHost()) h->AssociateAuto();
    });

    auto spacer = [this](int W) {
        auto* s = new QWidget(ToolBar);
        s->setFixedWidth(W);
        ToolBar->addWidget(s);
        return s;
    };
    auto button = [this](QAction* A, const char* Name) {
        ToolBar->addAction(A);
        QWidget* w = ToolBar->widgetForAction(A);
        w->setObjectName(QString::fromLatin1(Name));
        return w;
    };
    LeftSpace = spacer(0);
    LeftSpace->setObjectName(QStringLiteral("LeftSpace"));
    ZoomPBtn = button(ZoomPlus, "ZoomPBtn");
    ZoomMBtn = button(ZoomMoins, "ZoomMBtn");
    Zoom0Btn = button(ZoomZero, "Zoom0Btn");
    spacer(8);
    AssocBtn = button(Assoc, "AssocBtn");
    spacer(8);
    RefreshBtn = button(Refresh, "RefreshBtn");
    spacer(8);
    PrintBtn = button(Imprime, "PrintBtn");
    spacer(8);
    ExitBtn = button(Quitte, "ExitBtn");
    SetMode(false);
}

TPreviewForm::~TPreviewForm()
{
    if (PreviewForm == this) PreviewForm = nullptr;
}

void TPreviewForm::TakeIcons()
{
    IPrintHost* h = PrintHost();
    if (!h) return;
    const std::pair<QAction*, const char*> icons[] = {{ZoomPlus, "ZoomPlus"}, {ZoomMoins, "ZoomMoins"},
                                                      {ZoomZero, "Ajuste"},   {Assoc, "AssocieAuto"},
                                                      {Imprime, "Imprime"},   {Quitte, "Quitter"}};
    for (auto [a, name] : icons) {
        const QIcon i = h->ActionIcon(QString::fromLatin1(name));
        if (!i.isNull()) a->setIcon(i);
    }
    // What the main window's tool bar has no picture for.
    if (Refresh->icon().isNull()) Refresh->setIcon(style()->standardIcon(QStyle::SP_BrowserReload));
    if (Assoc->icon().isNull()) Assoc->setIcon(style()->standardIcon(QStyle::SP_DialogApplyButton));
    if (Quitte->icon().isNull()) Quitte->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
}

void TPreviewForm::SetMode(bool SectorCheck)
{
    fSectorCheck = SectorCheck;
    setWindowTitle(SectorCheck ? CaptionCtrl : CaptionPrev);
    const QString hint = SectorCheck ? QuitteHintCtrl : QuitteHintPrev;
    Quitte->setToolTip(hint);
    Quitte->setStatusTip(hint);
    Imprime->setVisible(!SectorCheck);
    Imprime->setEnabled(!SectorCheck);
}

TPreviewArea TPreviewForm::Area() const
{
    TPreviewArea a;
    a.CW = width();
    a.CH = height();
    a.TB = ToolBar->isVisible() ? ToolBar->height() : ToolBar->sizeHint().height();
    return a;
}

void TPreviewForm::PlacePage(const TPageGeometry& G)
{
    PaintBox->resize(G.PaintBox);
    PaintBox->move(G.PaintBoxPos);
    CentrePage();
    UpdatePreviewButtons();
    PaintBox->update();
}

void TPreviewForm::CentrePage()
{
    const QSize vp = ScrollBox->viewport()->size();
    QPoint pos = PaintBox->pos();
    if (!fSectorCheck) {
        // The page in the middle when it is smaller than the window, else 5 from the edge.
        const int cw = width(), ch = height(), tb = Area().TB;
        pos.setX(cw > PaintBox->width() ? qRound((cw - PaintBox->width()) / 2.0) : 5);
        pos.setY(ch - tb > PaintBox->height() ? qRound((ch - PaintBox->height() - tb) / 2.0) : 5);
        PaintBox->move(pos);
    }
    // A margin of 5 after a page larger than the window; no scroll bar for a page that fits.
    const auto extent = [](int Pos, int Size, int View) { return Pos + Size > View ? Pos + Size + 5 : View; };
    PageHolder->resize(extent(pos.x(), PaintBox->width(), vp.width()),
                       extent(pos.y(), PaintBox->height(), vp.height()));
}

void TPreviewForm::UpdatePreviewButtons()
{
    const TZoomButtons b = ZoomButtons(PrintForm ? PrintForm->Zoom : 1);
    ZoomPlus->setEnabled(b.Plus);
    ZoomMoins->setEnabled(b.Minus);
    ZoomZero->setEnabled(b.Zero);
}

double PageFraction(int ViewPoint, int BoxPos, int BoxSize)
{
    return BoxSize > 0 ? std::clamp(double(ViewPoint - BoxPos) / BoxSize, 0.0, 1.0) : 0.5;
}

int ScrollToKeep(double Fraction, int BoxPos, int BoxSize, int ViewOffset)
{
    return qRound(BoxPos + Fraction * BoxSize) - ViewOffset;
}

void TPreviewForm::Rezoom(double Zoom)
{
    TPrintForm* f = PrintForm;
    if (!f || f->Printing()) return;
    // The point of the page at the middle of the view stays there.
    QScrollBar* h = ScrollBox->horizontalScrollBar();
    QScrollBar* v = ScrollBox->verticalScrollBar();
    const QSize vp = ScrollBox->viewport()->size();
    const double fx = PageFraction(h->value() + vp.width() / 2, PaintBox->x(), PaintBox->width());
    const double fy = PageFraction(v->value() + vp.height() / 2, PaintBox->y(), PaintBox->height());
    f->Zoom = Zoom;
    UpdatePreviewButtons();
    f->PrintOrPreview();
    h->setValue(ScrollToKeep(fx, PaintBox->x(), PaintBox->width(), vp.width() / 2));
    v->setValue(ScrollToKeep(fy, PaintBox->y(), PaintBox->height(), vp.height() / 2));
}

void TPreviewForm::ZoomPlusExecute()
{
    if (PrintForm) Rezoom(ZoomIn(PrintForm->Zoom));
}

void TPreviewForm::ZoomMoinsExecute()
{
    if (PrintForm) Rezoom(ZoomOut(PrintForm->Zoom));
}

void TPreviewForm::ZoomZeroExecute()
{
    Rezoom(ZoomMin);
}

void TPreviewForm::RefreshExecute()
{
    PaintBox->update();
}

void TPreviewForm::QuitteExecute()
{
    close();
}

void TPreviewForm::ImprimeExecute()
{
    if (fSectorCheck || !PrintForm || PrintForm->Printing()) return;
    fPrintAfterClose = true;
    close();
}

void TPreviewForm::showEvent(QShowEvent* E)
{
    QWidget::showEvent(E);
    Imprime->setVisible(!fSectorCheck);
    Assoc->setEnabled(Trj && Stn && Stn->Count > 0);
}

void TPreviewForm::resizeEvent(QResizeEvent* E)
{
    QWidget::resizeEvent(E);
    // The buttons in the middle of the tool bar.
    const int buttons = ToolBar->sizeHint().width() - LeftSpace->width();
    LeftSpace->setFixedWidth(std::max(0, qRound((width() - buttons) / 2.0)));
    CentrePage();
}

void TPreviewForm::closeEvent(QCloseEvent* E)
{
    TPrintForm* f = PrintForm;
    if (f && f->Printing()) {
        E->ignore();
        return;
    }
    QWidget::closeEvent(E);
    if (IPrintHost* h = PrintHost()) h->ShowMainWindow();
    if (!f) return;
    if (fSectorCheck) {
        f->CtrlSect = 0;
        f->done(QDialog::Rejected);
        return;
    }
    if (fPrintAfterClose) {
        fPrintAfterClose = false;
        f->OutMode = 0;
        f->PrintOrPreview();
        return;
    }
    f->open();
}
