#pragma once
// Shared test fixtures.
#include "model/Define.h"
#include "platform/Msg.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>

// Runs the event loop until done() holds or ms milliseconds passed; done() at the end.
inline bool WaitFor(const std::function<bool()>& done, int ms = 15000)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms) QTest::qWait(5);
    return done();
}

// The whole file, or nothing when it cannot be read.
inline QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Writes the file whole; a failure fails the test.
inline void WriteAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    ASSERT_EQ(f.write(bytes), bytes.size());
}

// A fresh model for every test, with the message helper headless and its script and log empty;
// the model is freed after the test.
class FreshModel : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ModelDone();
        ModelInit();
        Msg::SetHeadless(true);
        Msg::ClearScript();
        Msg::ClearLog();
    }
    void TearDown() override { ModelDone(); }
};

// The message helper headless with its script and log empty, for tests that use no model.
class QuietMessages : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Msg::ClearScript();
        Msg::ClearLog();
        Msg::SetHeadless(true);
    }
    void TearDown() override { Msg::SetHeadless(false); }
};
