#pragma once
// The print preview: the page of the print dialog on screen at a zoom of 1 to 8, which the user
// may print from here; the same window shows the sector-check sheet.
#include "print/PrintPage.h"

#include <QPointer>
#include <QWidget>

class QAction;
class QScrollArea;
class QToolBar;
class TPrintForm;

// The page surface: each paint draws the exposed part of the page.
class TPreviewPaintBox : public QWidget
{
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent* E) override;
};

class TPreviewForm : public QWidget
{
    Q_OBJECT
public:
    explicit TPreviewForm(QWidget* Parent = nullptr);
    ~TPreviewForm() override;

    QString CaptionPrev = QStringLiteral("Aperçu avant impression");
    QString CaptionCtrl = QStringLiteral("Vérification secteur points de virage");
    QString QuitteHintPrev = QStringLiteral("Fermeture de cet aperçu sans imprimer.");
    QString QuitteHintCtrl = QStringLiteral("Fermeture de cette fenêtre de vérification.");

    QToolBar* ToolBar = nullptr;
    QWidget* LeftSpace = nullptr;
    QScrollArea* ScrollBox = nullptr;
    QWidget* PageHolder = nullptr;
    TPreviewPaintBox* PaintBox = nullptr;
    QAction *Quitte = nullptr, *ZoomPlus = nullptr, *ZoomMoins = nullptr, *ZoomZero = nullptr,
            *Imprime = nullptr, *Refresh = nullptr, *Assoc = nullptr;
    QWidget *ZoomPBtn = nullptr, *ZoomMBtn = nullptr, *Zoom0Btn = nullptr, *AssocBtn = nullptr,
            *RefreshBtn = nullptr, *PrintBtn = nullptr, *ExitBtn = nullptr;

    // Caption and exit hint of the ordinary preview or of the sector check.
    void SetMode(bool SectorCheck);
    bool SectorCheck() const { return fSectorCheck; }
    // The client size and tool bar height the page geometry is computed for.
    TPreviewArea Area() const;
    // Sizes and places the page surface.
    void PlacePage(const TPageGeometry& G);
    void UpdatePreviewButtons();
    // Takes the main window's icons (by action name) for the tool bar.
    void TakeIcons();

    void QuitteExecute();
    void ZoomPlusExecute();
    void ZoomMoinsExecute();
    void ZoomZeroExecute();
    void ImprimeExecute();
    void RefreshExecute();

protected:
    void showEvent(QShowEvent* E) override;
    void resizeEvent(QResizeEvent* E) override;
    void closeEvent(QCloseEvent* E) override;

private:
    void Rezoom(double Zoom);
    void CentrePage();
    bool fSectorCheck = false;
    bool fPrintAfterClose = false;
};

extern QPointer<TPreviewForm> PreviewForm;

// Where a point of the view (ViewPoint, in the scrolled surface) falls on a page surface placed
// at BoxPos, as a fraction of its size (0 to 1); and the scroll value that brings that
// fraction of a surface back to ViewOffset from the view's edge.
double PageFraction(int ViewPoint, int BoxPos, int BoxSize);
int ScrollToKeep(double Fraction, int BoxPos, int BoxSize, int ViewOffset);
