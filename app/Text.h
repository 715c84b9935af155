#pragma once
// The calculations panel: the current fix of the current trace (times, position, altitudes,
// speed and vertical speed against the previous fix, in the display units) and, with a task,
// its legs and the passage of its turn points.
#include "model/Define.h"

#include <QList>
#include <QString>
#include <QWidget>

class QTextBrowser;

// One line of the panel: a title line (Header) or a label and its value.
struct TTextRow
{
    QString Label;
    QString Value;
    bool Header = false;
    bool operator==(const TTextRow&) const = default;
};

// The lines for the trace T (its current fix) and the task Task; either may be nullptr.
QList<TTextRow> BuildTextRows(const TTrj* T, const TStn* Task);
// The lines as text, one "label: value" per line (titles alone).
QString TextRowsToPlain(const QList<TTextRow>& Rows);
// The lines as the HTML table the panel shows.
QString TextRowsToHtml(const QList<TTextRow>& Rows);

class TTextForm : public QWidget
{
    Q_OBJECT
public:
    explicit TTextForm(QWidget* parent = nullptr);
    ~TTextForm() override;

    QTextBrowser* Memo = nullptr;
    // Shows the current trace's current fix and task again.
    void RefreshView();
    // What the panel shows, as text.
    QString PlainText() const;

private:
    QList<TTextRow> fShown;
};

extern TTextForm* TextForm;
