// The level's goals in play: the conditions, the success actions and what they leave in the
// level and the game, the countdown of timed goals and how often a goal is awarded.
#include <climits>

#include "levelcore_support.h"
#include "media/sounds.h"
#include "support/support.h"

using namespace levelcore;

namespace {

class LevelGoalsTest : public LevelCoreTest {
protected:
    void SetUp() override {
        LevelCoreTest::SetUp();
        stat = std::make_shared<GameStat>();
        stat->scoreMultiplier = 5;
    }
    void TearDown() override {
        for (LevelPtr& level : levels) level->Unlink();
        levels.clear();
        LevelCoreTest::TearDown();
    }
    LevelPtr Keep(LevelPtr level) {
        levels.push_back(level);
        return level;
    }
    static GoalPtr MakeGoal(const std::string& xml) {
        auto goal = std::make_shared<Goal>();
        goal->LoadFromXML(xml);
        return goal;
    }
    static int Awards(const std::string& successType) {
        int count = 0;
        for (const std::string& note : Notes()) count += note == "Awarding goal: " + successType;
        return count;
    }

    GameStatPtr stat;
    std::vector<SoundPtr> sounds;
    std::vector<LevelPtr> levels;
};

TEST_F(LevelGoalsTest, OneGoalStepAgainstTheLevelState) {
    struct Case {
        const char* what;
        std::string goalType;
        bool timed;  // time 0: runs out at the first step, whatever the type
        std::string successType, action;
        int lives, mustClear, ballsAlive;
        float gameOver, grace;
        // after the step
        int awards, livesOut;
        float gameOverOut, newPaddleOut;
        std::string nextLevelOut;
        float levelEndOut;
        int multiplierOut;
    };
    const Case cases[] = {
        {"clear level met at 0", "clear level", false, "level", "Forest", 3, 0, 1, -1, -1,  //
         1, 3, -1, -1, "Forest", 50, 5},
        {"clear level met below 0", "clear level", false, "level", "Cave", 3, -2, 1, -1, -1,  //
         1, 3, -1, -1, "Cave", 50, 5},
        {"clear level not met", "clear level", false, "level", "Forest", 3, 1, 1, -1, -1,  //
         0, 3, -1, -1, "", -1, 5},
        {"type differing in case", "Clear level", false, "level", "Forest", 3, 0, 1, -1, -1,  //
         0, 3, -1, -1, "", -1, 5},
        {"type with a trailing space", "clear level ", false, "level", "Forest", 3, 0, 1, -1, -1,  //
         0, 3, -1, -1, "", -1, 5},
        {"unknown type", "win", false, "level", "Forest", 3, 0, 0, -1, -1,  //
         0, 3, -1, -1, "", -1, 5},
        {"lose ball met", "lose ball", false, "lose life", "1", 3, 9, 0, -1, -1,  //
         1, 2, -1, -1, "", -1, 1},
        {"lose ball with a ball alive", "lose ball", false, "lose life", "1", 3, 9, 1, -1, -1,  //
         0, 3, -1, -1, "", -1, 5},
        {"lose ball during the grace period", "lose ball", false, "lose life", "1", 3, 9, 0, -1, 30,  //
         0, 3, -1, -1, "", -1, 5},
        {"lose ball while the game ends", "lose ball", false, "lose life", "1", 3, 9, 0, 40, -1,  //
         0, 3, 40, -1, "", -1, 5},
        {"game over met", "game over", false, "game over", "75", 0, 9, 1, -1, -1,  //
         1, 0, 75, -1, "", -1, 5},
        {"game over with a life left", "game over", false, "game over", "75", 1, 9, 1, -1, -1,  //
         0, 1, -1, -1, "", -1, 5},
        {"game over once the game has ended", "game over", false, "game over", "75", 0, 9, 1, 0, -1,  //
         0, 0, 0, -1, "", -1, 5},
        {"timed goal ignores its type", "clear level", true, "fade out", "30", 3, 9, 1, -1, -1,  //
         1, 3, -1, -1, "", 30, 5},
        {"lose the last life and more", "", true, "lose life", "2", 1, 9, 1, -1, -1,  //
         1, 0, 100, -1, "", -1, 1},
        {"lose two of three", "", true, "lose life", "2", 3, 9, 1, -1, -1,  //
         1, 1, -1, -1, "", -1, 1},
        {"lose exactly the last life", "", true, "lose life", "1", 1, 9, 1, -1, -1,  //
         1, 0, -1, -1, "", -1, 1},
        {"a negative loss gives a life", "", true, "lose life", "-1", 3, 9, 1, -1, -1,  //
         1, 4, -1, -1, "", -1, 1},
        {"no number takes nothing", "", true, "lose life", "many", 3, 9, 1, -1, -1,  //
         1, 3, -1, -1, "", -1, 1},
        {"a number with a tail", "", true, "lose life", "1 life", 3, 9, 1, -1, -1,  //
         1, 2, -1, -1, "", -1, 1},
        {"a huge gift saturates", "", true, "lose life", "-2147483648", 3, 9, 1, -1, -1,  //
         1, INT_MAX, -1, -1, "", -1, 1},
        {"kill paddle with lives", "", true, "kill paddle", "", 2, 9, 1, -1, -1,  //
         1, 2, -1, 200, "", -1, 5},
        {"kill paddle without lives", "", true, "kill paddle", "", 0, 9, 1, -1, -1,  //
         1, 0, -1, -1, "", -1, 5},
        {"fade out without a number", "", true, "fade out", "", 3, 9, 1, -1, -1,  //
         1, 3, -1, -1, "", 0, 5},
        {"fade out that would never end", "", true, "fade out", "nan", 3, 9, 1, -1, -1,  //
         1, 3, -1, -1, "", 0, 5},
        {"game over without a number", "", true, "game over", "", 3, 9, 1, -1, -1,  //
         1, 3, 0, -1, "", -1, 5},
        {"game over that would never come", "", true, "game over", "inf", 3, 9, 1, -1, -1,  //
         1, 3, 0, -1, "", -1, 5},
        {"success type differing in case", "", true, "Level", "Forest", 3, 9, 1, -1, -1,  //
         1, 3, -1, -1, "", -1, 5},
        {"unknown success type", "", true, "bonus", "100", 3, 9, 1, -1, -1,  //
         1, 3, -1, -1, "", -1, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        LevelPtr level = Keep(BuildLevel(pack, {.balls = 2, .bricks = 4, .sourceNains = 0}));
        level->nextLevel = "";
        level->mustClearBrickCount = c.mustClear;
        level->ballsAlive = c.ballsAlive;
        level->gameOver = c.gameOver;
        level->newPaddleGracePeriod = c.grace;
        stat->scoreMultiplier = 5;
        GoalPtr goal = MakeGoal(GoalXml(c.goalType, c.successType, c.action, c.timed ? "<time>0</time>" : ""));
        int lives = c.lives;
        ClearDebugLog();

        EXPECT_EQ(level->UpdateGoal(goal, sounds, lives, stat), 0);

        EXPECT_EQ(Awards(c.successType), c.awards);
        EXPECT_EQ(Notes().size(), static_cast<size_t>(c.awards));
        EXPECT_EQ(lives, c.livesOut);
        EXPECT_EQ(level->gameOver, c.gameOverOut);
        EXPECT_EQ(level->newPaddleTTL, c.newPaddleOut);
        EXPECT_EQ(level->nextLevel, c.nextLevelOut);
        EXPECT_EQ(level->levelEndTTL, c.levelEndOut);
        EXPECT_EQ(stat->scoreMultiplier, c.multiplierOut);
        EXPECT_TRUE(Failures().empty());
    }
}

TEST_F(LevelGoalsTest, TimedGoalCountsDownByFrameTimeAndIsAwardedWhenItDropsBelowZero) {
    LevelPtr level = Keep(BuildLevel(pack, {.balls = 1, .bricks = 4, .sourceNains = 0}));
    g_frameDelay = 25;
    // Goal time does not follow the game speed.
    g_gameSpeedFactor = 2.5f;
    GoalPtr goal = MakeGoal(GoalXml("lose ball", "stop music", "", "<time>100</time>"));
    int lives = 3;
    for (int expected : {75, 50, 25, 0}) {
        level->UpdateGoal(goal, sounds, lives, stat);
        EXPECT_EQ(goal->timeRemaining, expected);
        EXPECT_EQ(Awards("stop music"), 0);
    }
    level->UpdateGoal(goal, sounds, lives, stat);
    EXPECT_EQ(goal->timeRemaining, 0);
    EXPECT_EQ(Awards("stop music"), 1);
    EXPECT_EQ(goal->time, 100);
}

// A spent timed goal used to stay live at 0 and be awarded again on every later step, so a
// timed "lose life" took every life at once. Each run-out now awards once; repeats re-arms
// the goal with its configured time that many more times, and then it retires.
TEST_F(LevelGoalsTest, TimedGoalIsAwardedOncePerRunOutAndRepeatsAsConfigured) {
    struct Case {
        const char* what;
        int time, repeats, frameDelay, steps;
        int awards, isLive, timeRemaining, repeatsLeft;
    };
    const Case cases[] = {
        {"runs out at once, no repeats", 0, 0, 30, 50, 1, 0, 0, 0},
        {"runs out later, no repeats", 100, 0, 30, 50, 1, 0, 0, 0},
        {"lands on 0 without running out", 120, 0, 30, 4, 0, 1, 0, 0},
        {"two repeats, all spent", 60, 2, 30, 20, 3, 0, 0, 0},
        {"two repeats, caught between runs", 60, 2, 30, 7, 2, 1, 30, 0},
        {"repeats of a goal that runs out at once", 0, 3, 30, 10, 4, 0, 0, 0},
        {"a frame time of 0 never runs it out", 0, 0, 0, 10, 0, 1, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ClearDebugLog();
        LevelPtr level = Keep(BuildLevel(pack, {.balls = 1, .bricks = 4, .sourceNains = 0}));
        g_frameDelay = c.frameDelay;
        GoalPtr goal = MakeGoal(
            GoalXml("lose ball", "lose life", "1",
                    "<time>" + std::to_string(c.time) + "</time><repeats>" + std::to_string(c.repeats) + "</repeats>"));
        int lives = 10;
        for (int i = 0; i < c.steps; ++i) level->UpdateGoal(goal, sounds, lives, stat);
        EXPECT_EQ(Awards("lose life"), c.awards);
        EXPECT_EQ(lives, 10 - c.awards);
        EXPECT_EQ(level->gameOver, -1.0f);
        EXPECT_EQ(goal->isLive, c.isLive);
        EXPECT_EQ(goal->timeRemaining, c.timeRemaining);
        EXPECT_EQ(goal->repeats, c.repeatsLeft);
        EXPECT_EQ(goal->time, c.time);
    }
}

TEST_F(LevelGoalsTest, UntimedGoalFiresAtEveryStepWhileItsConditionHolds) {
    LevelPtr level = Keep(BuildLevel(pack, {.balls = 1, .bricks = 4, .sourceNains = 0}));
    level->mustClearBrickCount = 0;
    GoalPtr goal = MakeGoal(GoalXml("clear level", "stop music", "", "<repeats>2</repeats>"));
    int lives = 3;
    for (int i = 0; i < 5; ++i) level->UpdateGoal(goal, sounds, lives, stat);
    EXPECT_EQ(Awards("stop music"), 5);
    EXPECT_EQ(goal->isLive, 1);
    EXPECT_EQ(goal->repeats, 2);
    EXPECT_EQ(goal->timeRemaining, -1);

    level->mustClearBrickCount = 1;
    level->UpdateGoal(goal, sounds, lives, stat);
    EXPECT_EQ(Awards("stop music"), 5);

    // A retired goal is skipped whatever the level's state.
    level->mustClearBrickCount = 0;
    goal->isLive = 0;
    level->UpdateGoal(goal, sounds, lives, stat);
    EXPECT_EQ(Awards("stop music"), 5);
}

// Goals of one step run in order, each against the state the goals before it left.
TEST_F(LevelGoalsTest, LoseLifeAheadOfKillPaddleBringsANewBallOnlyWithLivesLeft) {
    struct Case {
        int lives;
        int livesOut;
        float gameOver, newPaddleTTL;
        int paddleKills;
    };
    const Case cases[] = {{2, 1, -1, 200, 1}, {1, 0, -1, -1, 1}, {0, 0, 100, -1, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lives);
        ClearDebugLog();
        LevelPtr level = Keep(BuildLevel(pack, {.balls = 2, .bricks = 4, .sourceNains = 0}));
        level->ballsAlive = 0;
        std::vector<GoalPtr> goals = {MakeGoal(GoalXml("lose ball", "lose life", "1")),
                                      MakeGoal(GoalXml("lose ball", "kill paddle", ""))};
        int lives = c.lives;
        for (const GoalPtr& goal : goals) level->UpdateGoal(goal, sounds, lives, stat);
        EXPECT_EQ(lives, c.livesOut);
        EXPECT_EQ(level->gameOver, c.gameOver);
        EXPECT_EQ(level->newPaddleTTL, c.newPaddleTTL);
        EXPECT_EQ(Awards("lose life"), 1);
        EXPECT_EQ(Awards("kill paddle"), c.paddleKills);
        EXPECT_EQ(level->playerPaddle->paddleSprite->GetCurrentAnimationName(), c.paddleKills ? "_die" : "idle");
    }
}

TEST_F(LevelGoalsTest, KillPaddleStopsEverythingInPlay) {
    LevelPtr level = Keep(BuildLevel(pack, {.balls = 3, .bricks = 6, .sourceNains = 2}));
    // A second nain whose body has no "_kill paddle" animation, empty-handed.
    level->nainsArray = AppendNewNain(level->nainsArray);
    NainPtr imp = level->nainsArray.back();
    imp->Clone(level->sourceNainsArray[1]);
    imp->parentBrick = level->bricksArray[2];
    level->bricksArray[2]->currentNain = imp;
    NainPtr gnome = level->nainsArray[0];
    ProjectilePtr rock = gnome->currentProjectile;
    ASSERT_NE(rock, nullptr);
    ASSERT_FALSE(rock->projectileSprite->parentSprite.expired());
    for (const BrickPtr& brick : level->bricksArray) {
        brick->ttl = 5;
        brick->ttExplode = 3;
        brick->ttFreeze = 2;
        brick->brickSprite->shake = 2;
    }
    WeaponPtr weapon = level->activeWeapon;
    SetGlobalGameSpeed(0.3f, 2.0f, 40.0f);
    auto goal = MakeGoal(GoalXml("", "kill paddle", ""));
    int lives = 2;
    ClearDebugLog();

    EXPECT_EQ(level->AwardGoal(goal, sounds, lives, stat), 0);

    EXPECT_EQ(level->newPaddleTTL, 200.0f);
    EXPECT_EQ(g_gameSpeedTargetModulation, 1.0f);
    EXPECT_EQ(g_gameSpeedModulationRate, 10.0f);
    EXPECT_EQ(g_gameSpeedModulationTTL, -1.0f);
    EXPECT_EQ(level->playerPaddle->paddleSprite->GetCurrentAnimationName(), "_die");
    EXPECT_EQ(level->activeWeapon, nullptr);
    EXPECT_EQ(weapon->weaponSprite, nullptr);  // unlinked on the way out
    for (const BallPtr& ball : level->ballsArray) EXPECT_EQ(ball->isLive, 0);
    for (const BrickPtr& brick : level->bricksArray) {
        EXPECT_EQ(brick->ttl, -1.0f);
        EXPECT_EQ(brick->ttExplode, -1.0f);
        EXPECT_EQ(brick->ttFreeze, -1.0f);
        EXPECT_EQ(brick->brickSprite->shake, 0.0f);
        EXPECT_EQ(brick->isLive, 1);
    }
    EXPECT_EQ(gnome->nainSprite->GetCurrentAnimationName(), "_kill paddle");
    EXPECT_EQ(gnome->distracted, 200.0f);
    EXPECT_EQ(rock->status, "falling");
    EXPECT_TRUE(rock->projectileSprite->parentSprite.expired());
    // Out of hand once thrown, so the nain can take up a new one later.
    EXPECT_EQ(gnome->currentProjectile, nullptr);
    EXPECT_EQ(imp->nainSprite->GetCurrentAnimationName(), "at rest");
    EXPECT_EQ(imp->distracted, 200.0f);
    EXPECT_EQ(Notes(), std::vector<std::string>{"Awarding goal: kill paddle"});
    EXPECT_TRUE(Failures().empty());

    // With no paddle in the level the rest still happens.
    LevelPtr bare = Keep(BuildLevel(pack, {.balls = 2, .bricks = 4, .sourceNains = 0, .paddle = false}));
    ClearDebugLog();
    bare->AwardGoal(goal, sounds, lives, stat);
    for (const BallPtr& ball : bare->ballsArray) EXPECT_EQ(ball->isLive, 0);
    EXPECT_EQ(bare->activeWeapon, nullptr);
    EXPECT_EQ(bare->nainsArray[0]->distracted, 200.0f);
    EXPECT_EQ(bare->nainsArray[0]->currentProjectile, nullptr);
    EXPECT_EQ(Notes(), std::vector<std::string>{"Awarding goal: kill paddle"});
    EXPECT_TRUE(Failures().empty());
}

TEST_F(LevelGoalsTest, LevelActionEndsTheLevel) {
    LevelPtr level = Keep(BuildLevel(pack, {.balls = 3, .bricks = 4, .sourceNains = 0}));
    level->ballsArray[1]->isLive = 0;
    SetGlobalGameSpeed(2.0f, 1.0f, 15.0f);
    int lives = 3;
    level->AwardGoal(MakeGoal(GoalXml("", "level", "Forest Deep")), sounds, lives, stat);
    EXPECT_EQ(level->nextLevel, "Forest Deep");
    EXPECT_EQ(level->levelEndTTL, 50.0f);
    for (const BallPtr& ball : level->ballsArray) EXPECT_EQ(ball->isLive, 0);
    EXPECT_EQ(g_gameSpeedTargetModulation, 1.0f);
    EXPECT_EQ(g_gameSpeedModulationRate, 10.0f);
    EXPECT_EQ(g_gameSpeedModulationTTL, -1.0f);
    // The paddle and the nains are not touched.
    EXPECT_EQ(level->playerPaddle->paddleSprite->GetCurrentAnimationName(), "idle");
    EXPECT_NE(level->nainsArray[0]->currentProjectile, nullptr);
    EXPECT_NE(level->activeWeapon, nullptr);
}

TEST_F(LevelGoalsTest, MusicActionsChangeOrStopTheMusic) {
    for (const char* name : {"tune", "other"}) {
        sounds = AppendNewSound(sounds);
        sounds.back()->LoadFromFile(FixturePath("media/blip.wav"), name);
        sounds.back()->SetLoops(1);
    }
    LevelPtr level = Keep(BuildLevel(pack, {.balls = 1, .bricks = 4, .sourceNains = 0}));
    struct Step {
        const char* successType;
        const char* action;
        const char* playing;  // the sound in the music slot while music plays; "" silence
    };
    const Step steps[] = {
        {"music", "tune", "tune"},  {"music", "other", "other"}, {"music", "Tune", ""},  {"music", "tune", "tune"},
        {"stop music", "tune", ""}, {"music", "other", "other"}, {"stop music", "", ""},
    };
    int lives = 3;
    for (const Step& s : steps) {
        SCOPED_TRACE(std::string(s.successType) + " " + s.action);
        level->AwardGoal(MakeGoal(GoalXml("", s.successType, s.action)), sounds, lives, stat);
        if (*s.playing) {
            EXPECT_EQ(g_MasterMixer->MusicPlaying(), 1);
            ASSERT_NE(g_MasterMixer->soundArray[0], nullptr);
            EXPECT_EQ(g_MasterMixer->soundArray[0]->name, s.playing);
        } else {
            EXPECT_EQ(g_MasterMixer->MusicPlaying(), 0);
        }
    }
    EXPECT_EQ(Awards("music"), 5);
    EXPECT_EQ(Awards("stop music"), 2);
    EXPECT_TRUE(Failures().empty());
    g_MasterMixer->EndMusic();
    for (SoundPtr& sound : sounds) sound->Unlink();
}

TEST_F(LevelGoalsTest, FailuresAreLoggedUnderTheOperationThatMetThem) {
    LevelPtr level = Keep(BuildLevel(pack, {.balls = 1, .bricks = 4, .sourceNains = 0}));
    const std::string null = "Attempt to access field or method of Null object";
    int lives = 3;
    GoalPtr music = MakeGoal(GoalXml("", "music", "tune"));
    GoalPtr loss = MakeGoal(GoalXml("", "lose life", "3"));
    ClearDebugLog();

    level->UpdateGoal(nullptr, sounds, lives, stat);
    level->TestGoal(nullptr, sounds, lives, stat);
    level->AwardGoal(nullptr, sounds, lives, stat);
    g_MasterMixer = nullptr;
    level->AwardGoal(music, sounds, lives, stat);
    EXPECT_EQ(DebugLogLines(), (std::vector<std::string>{
                                   "level:Level.UpdateGoal() " + null,
                                   "level:Level.TestGoal() " + null,
                                   "level:Level.AwardGoal() " + null,
                                   " NOTE: Note (Awarding goal: music)",
                                   "level:Level.AwardGoal() " + null,
                               }));

    // Without a game record a lost life still counts, and the game still ends past the last.
    ClearDebugLog();
    lives = 1;
    level->AwardGoal(loss, sounds, lives, nullptr);
    EXPECT_EQ(lives, 0);
    EXPECT_EQ(level->gameOver, 100.0f);
    EXPECT_TRUE(Failures().empty());
}

}  // namespace
