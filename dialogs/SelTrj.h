#pragma once
// The trace-part selection: the start and end of the selected part of the current trace taken
// from the current fix, which the user moves in the views while the window stays open.
#include "model/Define.h"

#include <QDialog>
#include <QPointer>

class QLabel;
class QPushButton;

// " h:mm:ss LOC " of a fix in the trace's local time.
QString TrjSelTimeText(const TTrj& T, const TRec* R);
// True when the fix belongs to the trace (pointers compared only, never followed).
bool TrjHoldsRec(const TTrj& T, const TRec* R);

class TTrjSel : public QDialog
{
    Q_OBJECT
public:
    explicit TTrjSel(QWidget* Parent = nullptr);

    QLabel* DebLbl = nullptr;
    QLabel* FinLbl = nullptr;
    QPushButton* DebBtn = nullptr;
    QPushButton* FinBtn = nullptr;
    QPushButton* ToutBtn = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* EscBtn = nullptr;

    TRec* SelStart = nullptr;
    TRec* SelEnd = nullptr;

    void DebBtnClick();
    void FinBtnClick();
    void ToutBtnClick();
    void OKBtnClick();
    // The model changed: a part of another or shortened trace is dropped for the current
    // trace's selection, and the window closes when no trace with fixes is left.
    void TraceChanged();

protected:
    void showEvent(QShowEvent* E) override;
    void FormActivate();

private:
    void WriteLabels();
    bool Current(); // TraceChanged; false when the window had to close
    TTrj* fTrj = nullptr;
};

extern QPointer<TTrjSel> TrjSel;
