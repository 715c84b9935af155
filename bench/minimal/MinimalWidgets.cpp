// The yardstick of the start-up benchmark: the least a Qt widgets program does before its
// first painting (application object, one main window with a child view), built like the
// program. It writes "painted" once its view has been painted, and ends.
#include <QApplication>
#include <QMainWindow>
#include <QPainter>
#include <QTimer>
#include <cstdio>

namespace {

class TView : public QWidget
{
protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(rect(), Qt::white);
        p.drawLine(0, 0, width(), height());
        if (!fDone) {
            fDone = true;
            QTimer::singleShot(0, qApp, [] {
                std::fputs("painted\n", stdout);
                std::fflush(stdout);
                QCoreApplication::quit();
            });
        }
    }

private:
    bool fDone = false;
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QMainWindow w;
    w.setCentralWidget(new TView);
    w.resize(1280, 820);
    w.show();
    return app.exec();
}
