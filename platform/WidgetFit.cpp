#include "platform/WidgetFit.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QScreen>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>
#include <QTreeView>
#include <algorithm>
#include <functional>

namespace {

// Index of the character that follows the mnemonic's "&", or -1.
qsizetype MnemonicIndex(const QString& Text)
{
    for (qsizetype i = 0; i + 1 < Text.size(); ++i) {
        if (Text.at(i) != u'&') continue;
        if (Text.at(i + 1) == u'&') {
            ++i;
            continue;
        }
        return i + 1;
    }
    return -1;
}

// A letter a pilot can type with Alt on any keyboard.
bool KeyLetter(QChar C)
{
    return C.unicode() < 128 && C.isLetterOrNumber();
}

} // namespace

QChar MnemonicOf(const QString& Text)
{
    const qsizetype i = MnemonicIndex(Text);
    return i < 0 ? QChar() : Text.at(i).toLower();
}

QString FreeMnemonic(const QString& Text, QSet<QChar>& Taken)
{
    const qsizetype at = MnemonicIndex(Text);
    if (at < 0) return Text;
    const QChar letter = Text.at(at).toLower();
    if (!Taken.contains(letter)) {
        Taken.insert(letter);
        return Text;
    }
    QString plain = Text;
    plain.remove(at - 1, 1);
    // Positions of real characters ("&&" stands for one ampersand and is skipped).
    QList<qsizetype> starts, others;
    bool wordStart = true;
    for (qsizetype i = 0; i < plain.size(); ++i) {
        const QChar c = plain.at(i);
        if (c == u'&') {
            ++i;
            wordStart = true;
            continue;
        }
        if (KeyLetter(c) && !Taken.contains(c.toLower())) (wordStart ? starts : others) << i;
        wordStart = !c.isLetterOrNumber();
    }
    starts.append(others);
    if (starts.isEmpty()) {
        // Every letter of the caption is taken: no key rather than a key that reaches another
        // control.
        return plain;
    }
    const qsizetype pick = starts.first();
    Taken.insert(plain.at(pick).toLower());
    plain.insert(pick, u'&');
    return plain;
}

// ---- Windows and menus -----------------------------------------------------------------------

void UniqueMnemonics(QMenu* Menu)
{
    if (!Menu) return;
    QSet<QChar> taken;
    for (QAction* a : Menu->actions()) {
        if (a->isSeparator()) continue;
        const QString t = FreeMnemonic(a->text(), taken);
        if (t != a->text()) a->setText(t);
        if (a->menu()) UniqueMnemonics(a->menu());
    }
}

namespace {

void Retext(QAbstractButton* B, QSet<QChar>& Taken)
{
    const QString t = FreeMnemonic(B->text(), Taken);
    if (t != B->text()) B->setText(t);
}

// The controls under Root, in creation order, outside the pages of its tab widgets; the pages
// are done afterwards, each with a copy of the letters taken outside them.
void ScopeMnemonics(QWidget* Root, QSet<QChar> Taken)
{
    QList<QWidget*> pages;
    std::function<void(QWidget*)> walk = [&](QWidget* W) {
        for (QObject* o : W->children()) {
            auto* c = qobject_cast<QWidget*>(o);
            if (!c || c->isWindow()) continue;
            if (auto* tabs = qobject_cast<QTabWidget*>(c)) {
                for (int i = 0; i < tabs->count(); ++i) {
                    const QString t = FreeMnemonic(tabs->tabText(i), Taken);
                    if (t != tabs->tabText(i)) tabs->setTabText(i, t);
                    pages << tabs->widget(i);
                }
                continue;
            }
            if (auto* bar = qobject_cast<QMenuBar*>(c)) {
                for (QAction* a : bar->actions()) {
                    const QString t = FreeMnemonic(a->text(), Taken);
                    if (t != a->text()) a->setText(t);
                    UniqueMnemonics(a->menu());
                }
                continue;
            }
            if (auto* tb = qobject_cast<QToolButton*>(c)) {
                if (!tb->defaultAction()) Retext(tb, Taken);
            } else if (auto* b = qobject_cast<QAbstractButton*>(c)) {
                Retext(b, Taken);
            } else if (auto* l = qobject_cast<QLabel*>(c)) {
                if (l->buddy()) {
                    const QString t = FreeMnemonic(l->text(), Taken);
                    if (t != l->text()) l->setText(t);
                }
            } else if (auto* g = qobject_cast<QGroupBox*>(c)) {
                const QString t = FreeMnemonic(g->title(), Taken);
                if (t != g->title()) g->setTitle(t);
            }
            walk(c);
        }
    };
    walk(Root);
    for (QWidget* p : pages)
        if (p) ScopeMnemonics(p, Taken);
}

} // namespace

void UniqueMnemonics(QWidget* Window)
{
    if (!Window) return;
    if (auto* m = qobject_cast<QMenu*>(Window)) {
        UniqueMnemonics(m);
        return;
    }
    ScopeMnemonics(Window, {});
}

// ---- Titles ----------------------------------------------------------------------------------

int TitleWidth(const QWidget* Window)
{
    // The frame's icon, its three buttons and the margins of a common window manager.
    // Title bars commonly use a larger bold font than the windows' own.
    constexpr int FrameAllowance = 160;
    QFont f = QApplication::font();
    f.setBold(true);
    if (f.pointSizeF() > 0)
        f.setPointSizeF(f.pointSizeF() * 1.25);
    else
        f.setPixelSize(qRound(f.pixelSize() * 1.25));
    // The window system shows the program's name after the title (as Qt hands it over).
    QString shown = Window->windowTitle();
    const QString program = QGuiApplication::applicationDisplayName();
    if (!program.isEmpty() && !shown.endsWith(program)) shown += QStringLiteral(" \u2014 ") + program;
    return QFontMetrics(f).horizontalAdvance(shown) + FrameAllowance;
}

void FitTitle(QWidget* Window)
{
    if (!Window || Window->windowTitle().isEmpty()) return;
    if (Window->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)) return;
    int need = TitleWidth(Window);
    // Never wider than the screen: a very long title is cut there.
    if (const QScreen* s = Window->screen()) need = std::min(need, s->availableGeometry().width());
    if (Window->width() >= need) return;
    // Only the size: a minimum set here would take the place of the one the window's layout
    // computes from its contents. A window of fixed size stays fixed, at the new width.
    if (Window->minimumWidth() == Window->maximumWidth()) {
        Window->setFixedWidth(need);
        return;
    }
    if (Window->maximumWidth() < need) Window->setMaximumWidth(need);
    Window->resize(need, Window->height());
}

// ---- Grid columns ----------------------------------------------------------------------------

void FitColumns(QAbstractItemView* View, int Bound)
{
    QHeaderView* header = nullptr;
    if (auto* t = qobject_cast<QTableView*>(View))
        header = t->horizontalHeader();
    else if (auto* t = qobject_cast<QTreeView*>(View))
        header = t->header();
    if (!header || !View->model()) return;
    for (int c = 0; c < header->count(); ++c) {
        if (header->isSectionHidden(c) || header->sectionResizeMode(c) == QHeaderView::Stretch) continue;
        const int need = std::min(Bound, std::max(header->sectionSizeHint(c), View->sizeHintForColumn(c)));
        if (header->sectionSize(c) < need) header->resizeSection(c, need);
    }
}

// ---- The application's filter ----------------------------------------------------------------

namespace {

// Keeps a view's columns fitted while its model fills: changes are gathered and the columns
// fitted once the event loop is back (a grid filled cell by cell is measured once).
class TColumnFitter : public QObject
{
public:
    explicit TColumnFitter(QAbstractItemView* View) : QObject(View), fView(View) { setObjectName(Name()); }

    static void Watch(QAbstractItemView* View)
    {
        auto* f = dynamic_cast<TColumnFitter*>(View->findChild<QObject*>(Name(), Qt::FindDirectChildrenOnly));
        if (!f) f = new TColumnFitter(View);
        f->Follow();
        FitColumns(View);
    }

private:
    static QString Name() { return QStringLiteral("ColumnFitter"); }
    void Follow()
    {
        QAbstractItemModel* m = fView->model();
        if (m == fModel) return;
        for (const QMetaObject::Connection& c : fLinks) disconnect(c);
        fLinks.clear();
        fModel = m;
        if (!m) return;
        auto later = [this] { Schedule(); };
        fLinks << connect(m, &QAbstractItemModel::rowsInserted, this, later)
               << connect(m, &QAbstractItemModel::modelReset, this, later)
               << connect(m, &QAbstractItemModel::layoutChanged, this, later)
               << connect(m, &QAbstractItemModel::dataChanged, this, later)
               << connect(m, &QAbstractItemModel::headerDataChanged, this, later)
               << connect(m, &QAbstractItemModel::columnsInserted, this, later);
    }
    void Schedule()
    {
        if (fPending) return;
        fPending = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                fPending = false;
                Follow();
                FitColumns(fView);
            },
            Qt::QueuedConnection);
    }

    QAbstractItemView* fView;
    QPointer<QAbstractItemModel> fModel;
    QList<QMetaObject::Connection> fLinks;
    bool fPending = false;
};

class TWindowFit : public QObject
{
public:
    bool eventFilter(QObject* Watched, QEvent* Event) override
    {
        const QEvent::Type type = Event->type();
        if (type != QEvent::Show && type != QEvent::WindowTitleChange && type != QEvent::Resize &&
            type != QEvent::LanguageChange)
            return false;
        auto* w = qobject_cast<QWidget*>(Watched);
        if (!w || !w->isWindow() || qobject_cast<QMenu*>(w)) return false;
        const Qt::WindowType kind = w->windowType();
        if (kind == Qt::Popup || kind == Qt::ToolTip || kind == Qt::SplashScreen) return false;
        if (type == QEvent::LanguageChange) {
            // Qt's own windows take their texts again once every control has had the event.
            QMetaObject::invokeMethod(
                w, [w] { UniqueMnemonics(w); }, Qt::QueuedConnection);
            return false;
        }
        if (type == QEvent::Show) {
            UniqueMnemonics(w);
            for (QAbstractItemView* v : w->findChildren<QAbstractItemView*>())
                if (v->window() == w && (qobject_cast<QTableView*>(v) || qobject_cast<QTreeView*>(v)))
                    TColumnFitter::Watch(v);
        }
        if (!(w->windowFlags() & Qt::FramelessWindowHint)) FitTitle(w);
        return false;
    }
};

} // namespace

void InstallWindowFit()
{
    static TWindowFit* filter = nullptr;
    if (filter || !qApp) return;
    filter = new TWindowFit;
    filter->setParent(qApp);
    qApp->installEventFilter(filter);
}
