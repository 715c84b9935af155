// Message and input boxes: scripted answers, the log, headless defaults, the handlers and the
// platform box itself.
#include "platform/Msg.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

class MsgTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Msg::ClearScript();
        Msg::ClearLog();
    }
    void TearDown() override
    {
        Msg::ClearScript();
        Msg::SetHeadless(true);
        Msg::SetHandler({});
        Msg::SetInputHandler({});
        Msg::SetLanguage(0);
    }
};

TEST_F(MsgTest, ScriptedAnswersInOrderAndLogged)
{
    EXPECT_TRUE(Msg::Headless()); // offscreen tests never wait for a window
    Msg::PushAnswer(mrNo);
    Msg::PushInput("Route 3");
    Msg::PushAnswer(mrCancel);
    Msg::PushInput("ignored", false);

    EXPECT_EQ(MessageDlg("Continuer ?", TMsgType::Confirmation, mbYes | mbNo), mrNo);
    QString value = "init";
    EXPECT_TRUE(InputQuery("Choix route", "Nom de la route :", value));
    EXPECT_EQ(value, "Route 3");
    EXPECT_EQ(MessageDlg("Ecraser ?", TMsgType::Warning, mbYes | mbNo | mbCancel, "Titre"), mrCancel);
    EXPECT_FALSE(InputQuery("Choix nom", "Nom :", value));
    EXPECT_EQ(value, "Route 3"); // a cancelled input leaves the value alone

    // The queue is empty: headless defaults.
    ShowMessage("Fin\rdu transfert");
    EXPECT_FALSE(InputQuery("C", "P", value));

    const auto& log = Msg::Log();
    ASSERT_EQ(log.size(), 6);
    EXPECT_EQ(std::tuple(log[0].text, log[0].type, log[0].buttons),
              std::tuple("Continuer ?", TMsgType::Confirmation, mbYes | mbNo));
    EXPECT_EQ(std::tuple(log[1].caption, log[1].text, log[2].caption),
              std::tuple("Choix route", "Nom de la route :", "Titre"));
    EXPECT_EQ(std::tuple(log[4].text, log[4].buttons),
              std::tuple("Fin\rdu transfert", mbOK)); // logged as given
    Msg::ClearLog();
    EXPECT_TRUE(Msg::Log().isEmpty());
}

TEST_F(MsgTest, DefaultAnswers)
{
    for (auto [buttons, answer] : {std::pair(mbOK | mbCancel, mrOk),
                                   {mbYes | mbNo | mbCancel, mrYes},
                                   {mbAbort | mbRetry | mbIgnore, mrRetry},
                                   {mbNo | mbCancel, mrNo},
                                   {0, mrOk}})
        EXPECT_EQ(Msg::DefaultAnswer(buttons), answer) << buttons;
    EXPECT_EQ(MessageDlg("?", TMsgType::Confirmation, mbYes | mbNo | mbYesToAll), mrYes);
}

TEST_F(MsgTest, InstalledHandlersShowWhatIsNotScripted)
{
    Msg::SetHeadless(false);
    QString seen;
    Msg::SetHandler([&](const QString& text, TMsgType, int buttons, const QString&) {
        seen = text;
        return buttons & mbNo ? int(mrNo) : int(mrOk);
    });
    Msg::SetInputHandler([](const QString&, const QString&, QString& value) {
        value += "!";
        return true;
    });
    Msg::PushAnswer(mrYes);
    EXPECT_EQ(MessageDlg("scripted", TMsgType::Confirmation, mbYes | mbNo), mrYes);
    EXPECT_EQ(seen, "");
    EXPECT_EQ(MessageDlg("shown", TMsgType::Confirmation, mbYes | mbNo), mrNo);
    EXPECT_EQ(seen, "shown");
    QString value = "a";
    EXPECT_TRUE(InputQuery("c", "p", value));
    EXPECT_EQ(value, "a!");
    EXPECT_EQ(Msg::Log().size(), 3);
}

// Clicks the button with the given text of the message box once it is open.
void ClickLater(const QString& buttonText, QString* title, QString* text)
{
    QTimer::singleShot(0, [=] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        *title = box->windowTitle();
        *text = box->text();
        for (QAbstractButton* b : box->buttons())
            if (b->text() == buttonText) b->click();
    });
}

TEST_F(MsgTest, PlatformBoxMapsButtonsAndLanguage)
{
    Msg::SetHeadless(false);
    QString title, text;
    ClickLater("&Non", &title, &text);
    EXPECT_EQ(MessageDlg("Peu de points.\rContinuer ?", TMsgType::Confirmation, mbYes | mbNo), mrNo);
    EXPECT_EQ(title, "Confirmation");
    EXPECT_EQ(text, "Peu de points.\nContinuer ?");

    Msg::SetLanguage(1);
    ClickLater("Yes to &All", &title, &text);
    EXPECT_EQ(MessageDlg("Replace?", TMsgType::Warning, mbYes | mbNo | mbYesToAll | mbCancel), mrYesToAll);
    EXPECT_EQ(title, "Warning");
}

} // namespace
