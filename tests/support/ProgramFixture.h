#pragma once
// The whole program on an empty program folder: no model and no INI file before, the message
// helper headless with its script and log empty; every window, the model, the file dialog hook,
// the language and the INI file are put back after.
#include "app/Main.h"
#include "files/RecFile.h"
#include "model/Define.h"
#include "platform/Msg.h"
#include "platform/ProgramDir.h"

#include <QCoreApplication>
#include <QFile>
#include <QTest>
#include <gtest/gtest.h>

class ProgramFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ModelDone();
        QFile::remove(IniFileName());
        Msg::SetHeadless(true);
        Msg::ClearScript();
        Msg::ClearLog();
        NmeaActive = false;
    }
    void TearDown() override
    {
        DestroyForms();
        ModelDone();
        SetFileDialogHook({});
        Language = 0;
        QFile::remove(IniFileName());
    }
    // Starts as the program does with File on its command line and shows the main window, its
    // start-up finished and the windows made after its first painting there.
    static void StartProgram(const QString& File = QString(), int Width = 1200, int Height = 800)
    {
        StartZephalon(File);
        MainForm->resize(Width, Height);
        MainForm->show();
        ASSERT_TRUE(QTest::qWaitFor([] { return MainForm->StartDone() && MainForm->FormsMade(); }, 10000));
        QCoreApplication::processEvents();
    }
};
