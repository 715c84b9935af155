#pragma once
// Shared test fixtures.
#include "model/Define.h"
#include "platform/Msg.h"

#include <gtest/gtest.h>

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
