// The calculations panel.
#include "app/Text.h"

#include "model/Calc.h"
#include "model/Options.h"
#include "model/Texts.h"

#include <QTextBrowser>
#include <QVBoxLayout>
#include <cmath>

TTextForm* TextForm = nullptr;

namespace {

QString Num(double v, int decimals)
{
    if (!std::isfinite(v)) return QStringLiteral("-");
    if (decimals == 0) return QString::number(std::nearbyint(v), 'f', 0);
    return QString::number(v, 'f', decimals);
}

QString Signed(double v, int decimals)
{
    QString s = Num(v, decimals);
    if (std::isfinite(v) && !s.startsWith(u'-') && s.toDouble() != 0) s.prepend(u'+');
    return s;
}

QString LocalTime(int32 Time, const TTrj* T)
{
    return TimeToHms(Time + (T ? T->TimeLoc : 0) * TimeUnitsPerHour);
}

void AddFixRows(QList<TTextRow>& Rows, const TTrj& T, const TRec& R)
{
    double altF = 1, spdF = 1, varF = 1;
    QString altL, spdL, varL;
    AltUnit(altF, altL);
    SpeedUnit(spdF, spdL);
    VarioUnit(varF, varL);
    Rows << TTextRow{Tr(QStringLiteral("Point courant"), QStringLiteral("Current fix")), QString(), true};
    Rows << TTextRow{Tr(QStringLiteral("Heure UTC"), QStringLiteral("UTC time")), TimeToHms(R.Time)};
    Rows << TTextRow{Tr(QStringLiteral("Heure locale"), QStringLiteral("Local time")), LocalTime(R.Time, &T)};
    Rows << TTextRow{QStringLiteral("Latitude"), LatiToStr(R.Lat)};
    Rows << TTextRow{QStringLiteral("Longitude"), LongToStr(R.Lon)};
    Rows << TTextRow{Tr(QStringLiteral("Altitude pression"), QStringLiteral("Pressure altitude")),
                     Num(R.Alt / altF, 0) + u' ' + altL};
    Rows << TTextRow{Tr(QStringLiteral("Altitude GPS"), QStringLiteral("GPS altitude")),
                     Num(R.AltGps / altF, 0) + u' ' + altL};
    const QString speedLabel = Tr(QStringLiteral("Vitesse"), QStringLiteral("Speed"));
    const QString varioLabel = QStringLiteral("Vario");
    if (R.Prev) {
        Rows << TTextRow{speedLabel, Num(RecSpeed(*R.Prev, R) / spdF, 0) + u' ' + spdL};
        // Feet per minute read as whole numbers; m/s and knots with a tenth.
        const int dec = Opt && Opt->UniteVario == 2 ? 0 : 1;
        Rows << TTextRow{varioLabel, Signed(RecVario(*R.Prev, R) / varF, dec) + u' ' + varL};
    } else {
        Rows << TTextRow{speedLabel, QStringLiteral("-")};
        Rows << TTextRow{varioLabel, QStringLiteral("-")};
    }
}

void AddTaskRows(QList<TTextRow>& Rows, const TTrj* T, const TStn& Task)
{
    double distF = 1;
    QString distL;
    DistUnit(distF, distL);
    Rows << TTextRow{Tr(QStringLiteral("Circuit"), QStringLiteral("Task")), QString(), true};
    double total = 0;
    for (const TTrn* A = Task.First; A && A->Next; A = A->Next) {
        const TTrn* B = A->Next;
        const TPos* pa = Task.TrnPos(A);
        const TPos* pb = Task.TrnPos(B);
        const double d = Distance(pa, pb);
        total += d;
        Rows << TTextRow{A->Name + QStringLiteral(" → ") + B->Name,
                         Num(d / distF, 1) + u' ' + distL + QStringLiteral("  ") + CapToStr(Bearing(pa, pb))};
    }
    if (Task.Count > 1)
        Rows << TTextRow{Tr(QStringLiteral("Distance totale"), QStringLiteral("Total distance")),
                         Num(total / distF, 1) + u' ' + distL};
    Rows << TTextRow{Tr(QStringLiteral("Points atteints"), QStringLiteral("Reached points")), QString(),
                     true};
    for (const TTrn* P = Task.First; P; P = P->Next)
        Rows << TTextRow{P->Name, P->Reached
                                      ? LocalTime(P->Time, T)
                                      : Tr(QStringLiteral("non atteint"), QStringLiteral("not reached"))};
}

} // namespace

QList<TTextRow> BuildTextRows(const TTrj* T, const TStn* Task)
{
    QList<TTextRow> rows;
    if (T && T->CurRec) AddFixRows(rows, *T, *T->CurRec);
    if (Task && Task->Count > 0) AddTaskRows(rows, T, *Task);
    return rows;
}

QString TextRowsToPlain(const QList<TTextRow>& Rows)
{
    QStringList lines;
    for (const TTextRow& r : Rows) lines << (r.Header ? r.Label : r.Label + QStringLiteral(" : ") + r.Value);
    return lines.join(u'\n');
}

QString TextRowsToHtml(const QList<TTextRow>& Rows)
{
    QString h = QStringLiteral("<table width=\"100%\" cellspacing=\"0\" cellpadding=\"2\">");
    for (const TTextRow& r : Rows) {
        if (r.Header)
            h += QStringLiteral(
                     "<tr><td colspan=\"2\" style=\"background-color:#dde4ee; font-weight:bold\">") +
                 r.Label.toHtmlEscaped() + QStringLiteral("</td></tr>");
        else
            h += QStringLiteral("<tr><td>") + r.Label.toHtmlEscaped() +
                 QStringLiteral("</td><td align=\"right\" style=\"white-space:pre\">") +
                 r.Value.toHtmlEscaped() + QStringLiteral("</td></tr>");
    }
    return h + QStringLiteral("</table>");
}

TTextForm::TTextForm(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("TextForm"));
    auto* lay = new QVBoxLayout(this);
    lay->setContentsMargins(0, 0, 0, 0);
    Memo = new QTextBrowser(this);
    Memo->setObjectName(QStringLiteral("Memo"));
    Memo->setFrameShape(QFrame::NoFrame);
    Memo->setOpenLinks(false);
    Memo->setFocusPolicy(Qt::NoFocus);
    lay->addWidget(Memo);
    setMinimumWidth(180);
    if (!TextForm) TextForm = this;
    RefreshView();
}

TTextForm::~TTextForm()
{
    if (TextForm == this) TextForm = nullptr;
}

void TTextForm::RefreshView()
{
    QList<TTextRow> rows = BuildTextRows(Trj, Stn);
    if (rows == fShown && !rows.isEmpty()) return;
    fShown = std::move(rows);
    if (fShown.isEmpty())
        Memo->setHtml(QStringLiteral("<p style=\"color:#808080\">") +
                      Tr(QStringLiteral("Aucune trajectoire ouverte."), QStringLiteral("No track open."))
                          .toHtmlEscaped() +
                      QStringLiteral("</p>"));
    else
        Memo->setHtml(TextRowsToHtml(fShown));
}

QString TTextForm::PlainText() const
{
    return Memo->toPlainText();
}
