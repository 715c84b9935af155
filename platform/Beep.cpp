#include "platform/Beep.h"

#include <QApplication>
#include <atomic>

namespace {
std::atomic<int> gBeeps{0};
}

void Beep()
{
    ++gBeeps;
    if (qobject_cast<QApplication*>(QCoreApplication::instance())) QApplication::beep();
}

int BeepCount()
{
    return gBeeps;
}
