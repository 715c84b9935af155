#pragma once
// Drives modal windows in tests.
#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <utility>
#include <vector>

// Answers the modal windows that open one inside the other: each step waits for a window of
// its class to be the active modal one and runs on it. The next step is watched before a step
// runs, since a step may open the next window and wait in its loop.
class ModalScript
{
public:
    template <class T> ModalScript& Then(std::function<void(T&)> Step)
    {
        fSteps.push_back({&T::staticMetaObject, [Step](QWidget* w) { Step(*static_cast<T*>(w)); }});
        return *this;
    }
    void Start() { Poll(); }
    bool Done() const { return fSteps.empty(); }

private:
    void Poll()
    {
        QTimer::singleShot(5, &fGuard, [this] {
            if (fSteps.empty()) return;
            QWidget* w = QApplication::activeModalWidget();
            if (++fPolls > 2000) {
                // Something went wrong: leave the window so that the test fails instead of hanging.
                fSteps.clear();
                if (auto* d = qobject_cast<QDialog*>(w)) d->done(0);
                return;
            }
            if (w && w->isVisible() && w->metaObject() == fSteps.front().first) {
                const auto step = fSteps.front().second;
                fSteps.erase(fSteps.begin());
                fPolls = 0;
                Poll();
                step(w);
                return;
            }
            Poll();
        });
    }
    std::vector<std::pair<const QMetaObject*, std::function<void(QWidget*)>>> fSteps;
    int fPolls = 0;
    QObject fGuard; // no watch outlives the script
};
