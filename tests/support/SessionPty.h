#pragma once
// A device session over a pseudo-terminal, with the simulated device on the other side and our
// serial-port component on ours. Time-outs run on a virtual clock that moves by the timer
// interval at each tick.
#include "devices/DeviceSession.h"
#include "support/FakeLink.h"
#include "support/Fixtures.h"
#include "support/PtyFixture.h"

#include <algorithm>
#include <functional>
#include <gtest/gtest.h>

// Sim is the simulated device on the master side, Session ours on port "COM<Port>"; Run stops
// after MaxTicks ticks by default.
template <class Sim, class Session, int Port, int MaxTicks> class SessionPty : public FreshModel
{
protected:
    PtyFixture pty;
    Sim dev{pty};
    TComPortLink link;
    FakeDeviceUi ui;
    Session s{link, ui.Ui()};
    qint64 now = 0;

    void SetUp() override
    {
        FreshModel::SetUp();
        ASSERT_TRUE(pty.Ok()) << pty.Error().toStdString();
        ASSERT_TRUE(pty.BindPort(Port));
        s.Clock = [this] { return now; };
    }
    void TearDown() override
    {
        s.StopCom();
        FreshModel::TearDown();
    }
    // Ticks while the timer runs, until Until holds; the number of ticks.
    int Run(int maxTicks = MaxTicks, const std::function<bool()>& Until = {})
    {
        int i = 0;
        for (; i < maxTicks && ui.Enabled && !(Until && Until()); ++i) {
            s.Tick();
            now += std::max(ui.IntervalMs, 10); // a timer is not finer than that
            dev.Pump(1);
            pty.WaitSlaveQueued(1, 2);
        }
        return i;
    }
    // The device went away during a track: timer off, port released, one box naming the port,
    // and the points received kept in a trace not saved yet.
    void ExpectUnpluggedWithTrack()
    {
        EXPECT_FALSE(ui.Enabled);
        EXPECT_FALSE(link.Connected());
        ASSERT_EQ(Msg::Log().size(), 1);
        EXPECT_TRUE(Msg::Log()[0].text.contains(pty.SlavePath())) << Msg::Log()[0].text.toStdString();
        ASSERT_NE(Trj, nullptr);
        EXPECT_GT(Trj->RecCount, 0);
        EXPECT_EQ(Trj->SaveState, 2);
    }
};
