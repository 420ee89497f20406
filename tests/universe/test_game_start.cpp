// Starting a game and changing its level: new, continued and editor starts, the load-error exit,
// the ball pool, the paddle and the record at every level, and names the pack does not hold.
#include <vector>

#include "game_support.h"

namespace {

const char kSavePadding[] =
    "F00DCAFE2qmz7k4[]8rt5w,jd3xpp; Salt Filler.  Greetings, friend, and many thanks for spotting this entry!";

// A save of the given level, lives and record fields, sealed as the game seals it.
std::string SignedSave(const std::string& level, int lives, int recordLevel, const std::string& difficulty) {
    const std::string saveData = "<saveData>\n\t<lives>" + std::to_string(lives) + "</lives>\n\t<saveLevel>" + level +
                                 "</saveLevel>\n\t<gameStat>\n\t\t<score>777</score>\n\t\t<level>" +
                                 std::to_string(recordLevel) +
                                 "</level>\n\t\t<time>5000</time>\n\t\t<date>01 Jan 2001</date>\n"
                                 "\t\t<cheatEnabled>0</cheatEnabled>\n\t\t<difficulty>" +
                                 difficulty +
                                 "</difficulty>\n\t\t<hash>X</hash>\n\t\t<pack>fixturepack</pack>\n"
                                 "\t</gameStat>\n</saveData>";
    return saveData + "\n<saveHash>" + MD5(saveData + kSavePadding) + "</saveHash>\n";
}

class GameStart : public GameFixture {
protected:
    void WriteSave(const std::string& text) { ASSERT_EQ(WriteWholeFile(SavePath(), text, 0444), 1); }
    // The progress notes logged, for the tests that read them.
    void LogNotes() { g_errorseverity[0] = 1; }
    // Log lines that are not progress notes: a clean level change has none.
    static std::vector<std::string> FaultLines() {
        std::vector<std::string> faults;
        for (const std::string& line : DebugLogLines()) {
            if (line.rfind(" NOTE: Note (", 0) != 0) faults.push_back(line);
        }
        return faults;
    }
    std::vector<std::string> Notes(const std::string& prefix) {
        std::vector<std::string> notes;
        for (const std::string& line : DebugLogLines()) {
            if (line.rfind(" NOTE: Note (" + prefix, 0) == 0) notes.push_back(line);
        }
        return notes;
    }
};

// ---------------------------------------------------------------------------
// Starting.

TEST_F(GameStart, NewGameLoadsThePackAndItsFirstLevelAndDealsWithTheSave) {
    const struct {
        const char* what;
        int continueGame, keepSaveFile;
        bool saveStays;
    } cases[] = {
        {"new game", 0, 0, false},
        {"any value but 1 is a new game", 2, 0, false},
        {"editor run", 0, 1, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        game = std::make_shared<Game>();
        universe().currentGame = game;
        WriteSave(SignedSave("Steel Rows", 2, 2, "Easy"));
        universe().currentDifficulty = "Hard";
        g_godMode = 1;

        EXPECT_EQ(Start(c.continueGame, c.keepSaveFile), 0);
        EXPECT_EQ(FileType(SavePath()) == 1, c.saveStays);
        EXPECT_EQ(game->currentPlayer, player);
        ASSERT_NE(game->currentPack, nullptr);
        EXPECT_NE(game->currentPack, headerPack);
        EXPECT_EQ(game->currentPack->levelsArray.size(), 2u);
        ASSERT_NE(game->currentLevel, nullptr);
        EXPECT_EQ(game->currentLevel->name, "First Steps");
        EXPECT_EQ(game->lives, 5);
        ASSERT_NE(game->gameStats, nullptr);
        EXPECT_EQ(game->gameStats->level, 1);
        EXPECT_EQ(game->gameStats->score, 0);
        EXPECT_EQ(game->gameStats->difficulty, "Hard");  // the universe's, not the argument
        EXPECT_EQ(game->gameStats->pack, "fixturepack");
        EXPECT_EQ(game->gameStats->date, CurrentDate());
        EXPECT_EQ(universe().currentDifficulty, "Hard");
        EXPECT_EQ(g_godMode, 0);
        ASSERT_NE(game->currentPaddle, nullptr);
        EXPECT_EQ(game->currentPaddle->paddleSprite->name, "paddle");
        EXPECT_EQ(g_DebugLog, "");
    }
}

TEST_F(GameStart, ContinueResumesTheSavedLevelLivesRecordAndDifficulty) {
    ASSERT_EQ(Start(0), 0);
    ASSERT_EQ(game->ChangeLevel("Steel Rows"), 0);
    game->lives = 2;
    game->gameStats->score = 777;
    universe().currentDifficulty = "Easy";
    ASSERT_EQ(game->SaveGame(kPlayersPath, 0), 0);
    game->Unlink();

    game = std::make_shared<Game>();
    universe().currentGame = game;
    universe().currentDifficulty = "Normal";
    ASSERT_EQ(Start(1), 0);
    EXPECT_EQ(game->currentLevel->name, "Steel Rows");
    EXPECT_EQ(game->lives, 2);
    EXPECT_EQ(game->gameStats->score, 777);
    EXPECT_EQ(game->gameStats->level, 2);
    EXPECT_EQ(game->gameStats->cheatEnabled, 0);
    EXPECT_EQ(game->gameStats->date, CurrentDate());
    EXPECT_EQ(universe().currentDifficulty, "Easy");
    // Continuing keeps the save: the next level change rewrites it.
    EXPECT_EQ(FileType(SavePath()), 1);
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(GameStart, ContinueWithoutASavedGameStartsAFreshGame) {
    const struct {
        const char* what;
        std::string file;  // "" writes none
    } cases[] = {
        {"no file", ""},
        {"an empty file", "-"},
        {"no saveData element", "<saveHash>" + MD5(kSavePadding) + "</saveHash>\n"},
        {"text of no save at all", "hello\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        game = std::make_shared<Game>();
        universe().currentGame = game;
        DeleteGameFile(SavePath());
        if (!c.file.empty()) WriteSave(c.file == "-" ? "" : c.file);
        universe().currentDifficulty = "Hard";

        ASSERT_EQ(Start(1), 0);
        EXPECT_EQ(game->currentLevel->name, "First Steps");
        EXPECT_EQ(game->gameStats->level, 1);
        EXPECT_EQ(game->gameStats->cheatEnabled, 0);
        EXPECT_EQ(game->gameStats->score, 0);
        EXPECT_EQ(game->gameStats->difficulty, "Hard");
        EXPECT_EQ(game->lives, 5);
        EXPECT_EQ(universe().currentDifficulty, "Hard");
        EXPECT_EQ(g_DebugLog, "");
    }
}

TEST_F(GameStart, ASavedGameWithoutADifficultyKeepsTheChosenOne) {
    WriteSave(SignedSave("Steel Rows", 2, 2, ""));
    universe().currentDifficulty = "Hard";
    ASSERT_EQ(Start(1), 0);
    EXPECT_EQ(game->currentLevel->name, "Steel Rows");
    EXPECT_EQ(game->gameStats->difficulty, "Hard");
    EXPECT_EQ(universe().currentDifficulty, "Hard");
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(GameStart, ContinuingALevelThePackNoLongerHoldsStartsAtItsFirstLevel) {
    WriteSave(SignedSave("Lost Level", 2, 4, "Easy"));
    testing::internal::CaptureStderr();
    ASSERT_EQ(Start(1), 0);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("\"Lost Level\""), std::string::npos) << err;
    // The first level with the saved record: its level counts on from the saved one.
    EXPECT_EQ(game->currentLevel->name, "First Steps");
    EXPECT_EQ(game->gameStats->level, 4);
    EXPECT_EQ(game->gameStats->score, 777);
    EXPECT_EQ(game->lives, 2);
    EXPECT_EQ(universe().currentDifficulty, "Easy");
    // Nothing logged, so the start did not end the program.
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(GameStart, AnyLoggedLineEndsTheProgramThroughTheLoadErrorExit) {
    const struct {
        const char* what;
        bool withoutGameSprites;
        const char* earlierLine;
        const char* loggedFault;
    } cases[] = {
        {"a pack without \"ball\" and \"paddle\"", true, nullptr, "Could not find sprite named \"ball\"."},
        {"a fault logged earlier in the run", false, "menu:DrawMainMenu() earlier fault",
         "menu:DrawMainMenu() earlier fault"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.withoutGameSprites) std::filesystem::remove(packFolder + "sprites/game.xml");
        const ChildResult child = RunInChild([&] {
            if (c.earlierLine) AddLineToDebugLog(c.earlierLine);
            Start(0);
        });
        EXPECT_EQ(child.exitStatus, kCannotGoOnStatus);
        EXPECT_NE(child.err.find("Brondelvix 2! generated some errors when trying to load this game pack.\n\n"
                                 "Please see the file named \"" +
                                 userFolder + "bx2_error_log.txt\" for details"),
                  std::string::npos)
            << child.err;
        EXPECT_NE(ReadText(userFolder + "bx2_error_log.txt").find(c.loggedFault), std::string::npos);
        std::filesystem::remove(userFolder + "bx2_error_log.txt");
        if (c.withoutGameSprites) {
            std::filesystem::copy_file(FixturePath("universe/game_sprites.xml"), packFolder + "sprites/game.xml");
        }
    }
    // The parent's log is its own: the children's faults never reached it.
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(GameStart, TheClassicPackStartsWithNothingLogged) {
    // The shipped pack must hold everything a game start copies by name ("ball", "paddle"):
    // any logged line would end every game start with the load-error alert.
    auto classic = std::make_shared<Pack>();
    classic->Initialize(FixturePath("../../resources/data/packs/classic/"));
    const ChildResult child = RunInChild([&] {
        game->StartGame(player, classic, kPlayersPath, 0, 0, "");
        if (!game->currentLevel || game->currentLevel->bricksArray.empty()) std::_Exit(4);
    });
    EXPECT_EQ(child.exitStatus, 3) << child.err;
}

TEST_F(GameStart, DeletingTheSaveGoesOnlyWithTheKeepFlagAtZero) {
    ASSERT_EQ(Start(0), 0);
    WriteSave("x");
    EXPECT_EQ(game->DeleteCurrentSaveGame(kPlayersPath, 1), 0);
    EXPECT_EQ(FileType(SavePath()), 1);
    EXPECT_EQ(game->DeleteCurrentSaveGame(kPlayersPath, 0), 0);
    EXPECT_EQ(FileType(SavePath()), 0);
    // No save at all: nothing to delete and nothing to report.
    EXPECT_EQ(game->DeleteCurrentSaveGame(kPlayersPath, 0), 0);
    EXPECT_EQ(g_DebugLog, "");

    // Without a player or a pack there is nothing to delete: a logged fault.
    Game empty;
    EXPECT_EQ(empty.DeleteCurrentSaveGame(kPlayersPath, 0), 0);
    EXPECT_EQ(DebugLogLines(),
              std::vector<std::string>{"universe:Game.DeleteCurrentSaveGame() Attempt to access field or method of "
                                       "Null object"});
}

// ---------------------------------------------------------------------------
// Level changes.

TEST_F(GameStart, TheBallPoolIsPaddedUpToItsSizeAndNeverShortened) {
    std::string threeBalls, twentyBalls;
    for (int i = 0; i < 20; ++i) {
        const std::string ball = "\t<ball><spriteName>ball_sprite</spriteName><x>" + std::to_string(100 + i * 10) +
                                 "</x><y>600</y></ball>\n";
        if (i < 3) threeBalls += ball;
        twentyBalls += ball;
    }
    AddLevel("Three", "levels/three.xml", threeBalls);
    AddLevel("Twenty", "levels/twenty.xml", twentyBalls);
    LoadPackOnly();
    LogNotes();

    const struct {
        const char* level;
        int maxBalls;
        int maxBallsAfter;
        size_t poolSize;
        size_t live;  // the balls the file made, respawned
        const char* note;
    } cases[] = {
        {"Three", 16, 16, 16, 3, "ballCount: 3"},
        {"Twenty", 16, 16, 20, 20, "ballCount: 20"},
        {"Three", 4, 4, 4, 3, "ballCount: 3"},
        // A preference no pool can have gives the default pool.
        {"Three", 0, 16, 16, 3, "ballCount: 3"},
        {"Three", 5000, 16, 16, 3, "ballCount: 3"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.level) + " " + std::to_string(c.maxBalls));
        ClearDebugLog();
        g_maxBalls = c.maxBalls;
        EXPECT_EQ(game->LoadNextLevel(c.level), 0);
        const Level& level = *game->currentLevel;
        ASSERT_EQ(level.ballsArray.size(), c.poolSize);
        for (size_t i = 0; i < level.ballsArray.size(); ++i) {
            ASSERT_NE(level.ballsArray[i], nullptr);
            EXPECT_EQ(level.ballsArray[i]->isLive, i < c.live ? 1 : 0) << i;
        }
        EXPECT_EQ(Notes("ballCount"), std::vector<std::string>{std::string(" NOTE: Note (") + c.note + ")"});
        EXPECT_EQ(g_maxBalls, c.maxBallsAfter);
    }
}

TEST_F(GameStart, EveryLevelStartsTheRecordAndThePaddleAfresh) {
    LoadPackOnly();
    LogNotes();
    GameStat& stat = *game->gameStats;
    Paddle& paddle = *game->currentPaddle;
    const struct {
        const char* name;
        const char* loaded;
    } cases[] = {{"", "First Steps"}, {"Steel Rows", "Steel Rows"}, {"Steel Rows", "Steel Rows"}};
    int expectedLevel = stat.level;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ClearDebugLog();
        stat.scoreMultiplier = 6;
        paddle.isLive = 0;
        paddle.paddleSprite->x = 17.0f;
        // Input made while the level loads is forgotten.
        InjectEvent({.type = InputEventType::KeyDown, .code = KEY_P});
        InjectEvent({.type = InputEventType::MouseDown, .code = 1});
        const LevelPtr before = game->currentLevel;

        EXPECT_EQ(game->LoadNextLevel(c.name), 0);
        ASSERT_NE(game->currentLevel, nullptr);
        EXPECT_NE(game->currentLevel, before);  // read afresh, never reused
        EXPECT_EQ(game->currentLevel->name, c.loaded);
        EXPECT_EQ(game->currentLevel->gameOver, -1.0f);
        EXPECT_EQ(stat.level, ++expectedLevel);
        EXPECT_EQ(stat.scoreMultiplier, 1);
        EXPECT_EQ(paddle.isLive, 1);
        EXPECT_EQ(paddle.paddleSprite->x, 300.0f);
        EXPECT_EQ(paddle.paddleSprite->y, 734.0f);  // 760 + 4 - 20 - 10
        EXPECT_EQ(KeyHit(KEY_P), 0);
        EXPECT_EQ(MouseHit(1), 0);
        for (const BrickPtr& brick : game->currentLevel->bricksArray) EXPECT_EQ(brick->isLive, 1);
        EXPECT_EQ(Notes("Loading Level"),
                  std::vector<std::string>{std::string(" NOTE: Note (Loading Level: [") + c.name + "])"});
        EXPECT_EQ(FaultLines(), std::vector<std::string>());
    }
}

TEST_F(GameStart, ALevelNameThePackLacksKeepsTheLevelThatIsPlayed) {
    LoadPackOnly();
    ASSERT_EQ(game->LoadNextLevel(""), 0);
    const LevelPtr playing = game->currentLevel;
    const size_t bricks = playing->bricksArray.size();
    ASSERT_GT(bricks, 0u);
    const int recordLevel = game->gameStats->level;

    // The play loop's change: looked up before anything is unloaded, reported once.
    EXPECT_EQ(game->ChangeLevel("Nowhere"), -1);
    EXPECT_EQ(game->currentLevel, playing);
    EXPECT_EQ(playing->bricksArray.size(), bricks);
    EXPECT_NE(playing->brickShield, nullptr);
    EXPECT_EQ(game->gameStats->level, recordLevel);
    EXPECT_EQ(DebugLogLines(), std::vector<std::string>{" NOTE: Not found (Could not find level named \"Nowhere\".)"});

    // The level change itself leaves the game as it was too.
    ClearDebugLog();
    EXPECT_EQ(game->LoadNextLevel("Nowhere"), -1);
    EXPECT_EQ(game->currentLevel, playing);
    EXPECT_EQ(game->gameStats->level, recordLevel);
    EXPECT_EQ(DebugLogLines().size(), 1u);

    // A name it holds changes the level; the empty name is the first level.
    ClearDebugLog();
    EXPECT_EQ(game->ChangeLevel("Steel Rows"), 0);
    EXPECT_EQ(game->currentLevel->name, "Steel Rows");
    EXPECT_TRUE(playing->bricksArray.empty());  // the old level was unlinked
    EXPECT_EQ(game->ChangeLevel(""), 0);
    EXPECT_EQ(game->currentLevel->name, "First Steps");
    EXPECT_EQ(game->gameStats->level, recordLevel + 2);
    EXPECT_EQ(g_DebugLog, "");
}

}  // namespace
