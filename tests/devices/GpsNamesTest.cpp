// Waypoint names for the receivers and the duplicate check before an upload.
#include "devices/GpsNames.h"
#include "model/Define.h"
#include "support/Fixtures.h"

#include <gtest/gtest.h>

namespace {

class GpsNamesTest : public FreshModel
{
protected:
    void SetUp() override
    {
        FreshModel::SetUp();
        NewSwp();
    }
    void Add(const QString& name, bool marked = false)
    {
        auto w = std::make_unique<TWpt>();
        w->Name = name;
        w->Rep = marked;
        ASSERT_TRUE(Swp->AddWpt(w));
    }
};

} // namespace

TEST_F(GpsNamesTest, GpsName)
{
    const std::pair<const char*, const char*> cases[] = {{"Mont-Blanc é", "MONT-BLANC  "},
                                                         {"", ""},
                                                         {"[\\]^_`", "[\\]^_`"},
                                                         {"{|}~\x7f", "     "},
                                                         {"àÿ€\t", "    "},
                                                         {"az AZ 09 !@", "AZ AZ 09 !@"},
                                                         {"a\U0001F600b", "A B"}};
    for (const auto& [in, out] : cases) EXPECT_EQ(GpsName(QString::fromUtf8(in)), out) << in;
}

TEST_F(GpsNamesTest, CountsAndAsksInPairwiseOrder)
{
    uint16_t count = 99;
    FreeSwpObject();
    EXPECT_TRUE(CheckGpsNames(6, false, count));
    EXPECT_EQ(count, 0);
    NewSwp();
    EXPECT_TRUE(CheckGpsNames(6, false, count));
    EXPECT_EQ(count, 0);

    Add("LaMotte");
    Add("LA MOT");
    Add("LAMOTTE2");
    Add("LA-MOT");
    Msg::PushAnswer(mrYes);
    EXPECT_TRUE(CheckGpsNames(6, false, count));
    EXPECT_EQ(count, 4);
    ASSERT_EQ(Msg::Log().size(), 1);
    const Msg::Shown& q = Msg::Log()[0];
    EXPECT_EQ(q.text, QString::fromUtf8(
                          "LAMOTTE2 a les 6 premières lettres identique que LaMotte.\rCe way-point va "
                          "donc remplacer le précédent dans le GPS !\rVoulez-vous continuer ?\r(Annuler "
                          "pour interrompre le transfert)"));
    EXPECT_EQ(q.type, TMsgType::Warning);
    EXPECT_EQ(q.buttons, mbYes | mbCancel | mbYesToAll);
}

TEST_F(GpsNamesTest, ThreeAlikeGiveThreeQuestionsThenYesToAllStops)
{
    Add("ABCDEF1");
    Add("Other");
    Add("abcdef2");
    Add("ABCDEF3");
    Add("ABCDEF4");
    uint16_t count = 0;
    // Yes to each: 2 vs 1, 3 vs 1, 3 vs 2, 4 vs 1 (then Yes to all: nothing more).
    for (int a : {mrYes, mrYes, mrYes, mrYesToAll}) Msg::PushAnswer(a);
    EXPECT_TRUE(CheckGpsNames(6, false, count));
    EXPECT_EQ(count, 5);
    QStringList pairs;
    for (const Msg::Shown& s : Msg::Log())
        pairs << s.text.section(' ', 0, 0) + "-" + s.text.section('.', 0, 0).section(' ', -1);
    EXPECT_EQ(pairs,
              QStringList({"abcdef2-ABCDEF1", "ABCDEF3-ABCDEF1", "ABCDEF3-abcdef2", "ABCDEF4-ABCDEF1"}));
}

TEST_F(GpsNamesTest, CancelStopsAtOnce)
{
    Add("SAME01");
    Add("SAME01");
    Add("SAME01");
    uint16_t count = 0;
    Msg::PushAnswer(mrCancel);
    EXPECT_FALSE(CheckGpsNames(6, false, count));
    EXPECT_EQ(Msg::Log().size(), 1);
}

TEST_F(GpsNamesTest, OnlyMarkedWaypointsCountAndCompare)
{
    Add("TOWER1", true);
    Add("TOWER1", false);
    Add("TOWER2", true);
    uint16_t count = 0;
    EXPECT_TRUE(CheckGpsNames(6, true, count));
    EXPECT_EQ(count, 2);
    EXPECT_TRUE(Msg::Log().isEmpty());
    // With 5 letters the two marked ones collide.
    Msg::PushAnswer(mrYes);
    EXPECT_TRUE(CheckGpsNames(5, true, count));
    EXPECT_EQ(Msg::Log().size(), 1);
}
