#pragma once
// The one-value input window: prompt lines, the value typed (with its unit beside it), or a
// number 0..19 for the route transfers. The window behind the message helper's InputQuery.
#include <QDialog>
#include <QPointer>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;

class TInputForm : public QDialog
{
    Q_OBJECT
public:
    explicit TInputForm(QWidget* Parent = nullptr);

    QPlainTextEdit* Memo = nullptr; // prompt lines
    QLineEdit* Edit = nullptr;      // the value typed
    QLabel* UnitLbl = nullptr;
    QSpinBox* SpinEdit = nullptr;  // 0..19, hidden unless a caller shows it
    QPushButton* OkBtn = nullptr;  // answers mrOk
    QPushButton* EscBtn = nullptr; // answers mrCancel

    // For a text value: Edit as wide as the window (less 10 on each side), no unit.
    void WidenEdit();

    void reject() override;

protected:
    void showEvent(QShowEvent* E) override;
    // Sizes the window around its buttons.
    void FormActivate();
};

// Kept for the callers that do not create their own.
extern QPointer<TInputForm> InputForm;

// The message helper's input box: a fresh window with Caption, the Prompt lines ("\r" breaks
// lines) and Value as the text; false when cancelled, else Value holds the text typed.
bool InputWindowQuery(const QString& Caption, const QString& Prompt, QString& Value);

// The number question of the route transfers: the number box 0..19 with Value as its start;
// false when cancelled.
bool InputWindowNumber(const QString& Caption, const QString& Prompt, int& Value);
