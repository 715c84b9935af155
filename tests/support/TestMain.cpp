// Entry point of every test program: Qt runs offscreen, the program folder is a fresh
// temporary folder, and the message helper answers from its scripted queue.
#include "dialogs/WebMap.h"

#include <QApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("ZEPHALON_HOME", home.path().toUtf8());
    PrepareWebEngine();
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
