// Difficulties: the tuning factors and extra powerup tables read from a "difficulty" element.
#include "pieces/difficulty.h"
#include "test_nain_support.h"

namespace naintest {
namespace {

using DifficultyTest = PieceTest;

DifficultyPtr LoadDifficulty(const std::string& xml) {
    auto difficulty = std::make_shared<Difficulty>();
    difficulty->LoadFromXML(xml);
    return difficulty;
}

TEST_F(DifficultyTest, ReadsEveryFactorAndBothTables) {
    DifficultyPtr hard = LoadDifficulty(
        "<difficulty><name>Hard</name><dBallStartSpeed>1.25</dBallStartSpeed><dBallMaxSpeed>1.5</dBallMaxSpeed>"
        "<dPaddleSize>0.75</dPaddleSize><dNainFreq>0.5</dNainFreq><dNainAggression>0.25</dNainAggression>"
        "<dNainBounces>2</dNainBounces><dGameSpeed>1.1</dGameSpeed><dPointValues>2</dPointValues>" +
        Table("extraBrickPowerups", {{"multiball", 1}, {"none", 3}}) + Table("extraNainPowerups", {{"life", 1}}) +
        "</difficulty>");
    EXPECT_EQ(hard->name, "Hard");
    EXPECT_EQ(hard->dBallStartSpeed, 1.25f);
    EXPECT_EQ(hard->dBallMaxSpeed, 1.5f);
    EXPECT_EQ(hard->dPaddleSize, 0.75f);
    EXPECT_EQ(hard->dNainFreq, 0.5f);
    EXPECT_EQ(hard->dNainAggression, 0.25f);
    EXPECT_EQ(hard->dNainBounces, 2);
    EXPECT_FLOAT_EQ(hard->dGameSpeed, 1.1f);
    EXPECT_EQ(hard->dPointValues, 2.0f);
    ASSERT_TRUE(hard->extraBrickPowerups && hard->extraNainPowerups);
    EXPECT_EQ(hard->extraBrickPowerups->action, (std::vector<std::string>{"multiball", "none"}));
    EXPECT_EQ(hard->extraBrickPowerups->rootValue, (std::vector<float>{1.0f, 3.0f}));
    EXPECT_EQ(hard->extraNainPowerups->action, (std::vector<std::string>{"life"}));
    EXPECT_TRUE(DebugLogLines().empty());
}

TEST_F(DifficultyTest, AbsentAndZeroTagsKeepTheNeutralValues) {
    DifficultyPtr plain = LoadDifficulty("<difficulty><name>Easy</name></difficulty>");
    EXPECT_EQ(plain->name, "Easy");
    for (float factor : {plain->dBallStartSpeed, plain->dBallMaxSpeed, plain->dPaddleSize, plain->dNainFreq,
                         plain->dNainAggression, plain->dGameSpeed, plain->dPointValues}) {
        EXPECT_EQ(factor, 1.0f);
    }
    EXPECT_EQ(plain->dNainBounces, 0);
    ASSERT_TRUE(plain->extraBrickPowerups && plain->extraNainPowerups);
    EXPECT_TRUE(plain->extraBrickPowerups->action.empty());
    EXPECT_TRUE(plain->extraNainPowerups->action.empty());

    struct Case {
        const char* bounces;
        int expected;
    };
    for (const Case& c : {Case{"0", 0}, Case{"-1", -1}, Case{"3", 3}}) {
        DifficultyPtr d =
            LoadDifficulty(std::string("<difficulty><dGameSpeed>0</dGameSpeed><dPointValues>0.0</dPointValues>"
                                       "<dNainBounces>") +
                           c.bounces + "</dNainBounces></difficulty>");
        EXPECT_EQ(d->dGameSpeed, 1.0f);  // a float tag cannot set 0
        EXPECT_EQ(d->dPointValues, 1.0f);
        EXPECT_EQ(d->dNainBounces, c.expected);
    }
}

TEST_F(DifficultyTest, ReloadingReplacesTheTables) {
    DifficultyPtr d = LoadDifficulty("<difficulty>" + Table("extraNainPowerups", {{"life", 1}}) + "</difficulty>");
    RandomPtr first = d->extraNainPowerups;
    d->LoadFromXML("<difficulty><name>Insane</name></difficulty>");
    EXPECT_NE(d->extraNainPowerups, first);
    EXPECT_TRUE(d->extraNainPowerups->action.empty());
    EXPECT_EQ(first->action, (std::vector<std::string>{"life"}));
}

TEST_F(DifficultyTest, AppendingAndTheLevelHook) {
    std::vector<DifficultyPtr> list = AppendNewDifficulty({});
    ASSERT_EQ(list.size(), 1u);
    ASSERT_TRUE(list[0]);
    EXPECT_EQ(list[0]->dGameSpeed, 1.0f);
    EXPECT_FALSE(list[0]->extraBrickPowerups);
    DifficultyPtr first = list[0];
    list = AppendNewDifficulty(list);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0], first);
    EXPECT_NE(list[1], first);

    // The hook's effect on a real level is checked with the level's tests.
    EXPECT_EQ(first->AdjustLevelForDifficulty(nullptr), 0);
    EXPECT_TRUE(DebugLogLines().empty());
}

}  // namespace
}  // namespace naintest
