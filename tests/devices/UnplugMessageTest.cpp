// A receiver unplugged in the middle of a transfer: the one message names the port as the user
// chose it and gives the reason, in the language chosen.
#include "devices/Mlr.h"
#include "platform/IniFile.h"
#include "platform/ProgramDir.h"
#include "sim/SimMlr.h"
#include "support/Fixtures.h"
#include "support/PtyFixture.h"

#include <QComboBox>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

namespace {
class UnplugMessage : public FreshModel
{
protected:
    void TearDown() override
    {
        Language = 0;
        FreshModel::TearDown();
    }
};
} // namespace

TEST_F(UnplugMessage, NamesThePortAndTheReasonInEitherLanguage)
{
    const struct
    {
        int language;
        const char* text;
    } table[] = {{0, "Le port COM3 a été déconnecté (%1 : Input/output error)."},
                 {1, "Port COM3 was disconnected (%1: Input/output error)."}};
    for (const auto& row : table) {
        SCOPED_TRACE(row.language);
        ModelDone();
        ModelInit();
        Msg::ClearLog();
        Language = row.language;
        PtyFixture pty;
        ASSERT_TRUE(pty.BindPort(3));
        TSimMlr dev(pty);
        dev.LoadLongFlight(400);
        dev.RecordsPerBlock = 7;
        TMlrForm f;
        f.show();
        f.ComNbEdit->setCurrentIndex(2);
        qint64 now = 0;
        f.Session().Clock = [&now] { return now; };
        f.DownTrkBtn->click();
        bool cut = false;
        for (int i = 0; i < 3000 && f.TimerCom->isActive(); ++i) {
            f.Session().Tick();
            now += 40;
            if (!cut && Trj && Trj->RecCount > 20) {
                dev.HangUpAfter(0); // the cable goes at the device's next turn
                cut = true;
            }
            dev.Pump(1);
            pty.WaitSlaveQueued(1, 2);
        }
        ASSERT_TRUE(cut);
        ASSERT_EQ(Msg::Log().size(), 1);
        EXPECT_EQ(Msg::Log()[0].text, QString::fromUtf8(row.text).arg(pty.SlavePath()));
        f.close();
    }
}
