// The saved game file: its exact text and seal, what reading it restores and when it flags a
// cheat game, the refusals in their order, a save that cannot be written, and packs whose save
// name cannot name a file.
#include <algorithm>
#include <vector>

#include "game_support.h"

namespace {

const char kSavePadding[] =
    "F00DCAFE2qmz7k4[]8rt5w,jd3xpp; Salt Filler.  Greetings, friend, and many thanks for spotting this entry!";

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    const size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

std::string Resigned(const std::string& file) {
    const std::string saveData = file.substr(0, file.find("</saveData>") + 11);
    return saveData + "\n<saveHash>" + MD5(saveData + kSavePadding) + "</saveHash>\n";
}

class SavedGame : public GameFixture {
protected:
    // A game between two levels: what saving and loading read, without a pack load.
    void SetUp() override {
        GameFixture::SetUp();
        game->currentPlayer = player;
        game->currentPack = std::make_shared<Pack>();
        game->currentPack->saveName = "fixturepack";
        game->currentLevel = std::make_shared<Level>();
        game->currentLevel->name = "Tower";
        game->lives = 3;
        game->gameStats = std::make_shared<GameStat>();
        GameStat& stat = *game->gameStats;
        stat.score = 4321;
        stat.level = 4;
        stat.time = 120000;
        stat.date = "05 Mar 2007";
        stat.difficulty = "Easy";
        stat.pack = "fixturepack";
        universe().currentDifficulty = "Hard";
    }
    // The game as a continue finds it: a placeholder level and a fresh record.
    void MakeReadyToLoad() {
        game->currentLevel = std::make_shared<Level>();
        game->currentLevel->name = "Placeholder";
        game->lives = 5;
        game->gameStats = std::make_shared<GameStat>();
    }
    std::vector<std::string> PlayerFolderEntries() { return LoadDir(userFolder + kPlayersPath + kPlayerName); }
};

TEST_F(SavedGame, TheSaveIsFifteenSealedLinesLeftReadOnly) {
    game->currentLevel->name = "Tower <1>\t";
    testing::internal::CaptureStderr();
    ASSERT_EQ(game->SaveGame(kPlayersPath, 0), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

    // The record takes the universe's difficulty, and its digest is made over it.
    GameStat expected;
    expected.score = 4321;
    expected.level = 4;
    expected.time = 120000;
    expected.date = "05 Mar 2007";
    expected.difficulty = "Hard";
    expected.pack = "fixturepack";
    expected.UpdateStatHash();
    EXPECT_EQ(game->gameStats->difficulty, "Hard");
    EXPECT_EQ(game->gameStats->dataHash->hash, expected.dataHash->hash);

    const std::string saveData =
        "<saveData>\n"
        "\t<lives>3</lives>\n"
        "\t<saveLevel>Tower &lt;1&gt;&tab;</saveLevel>\n"
        "\t<gameStat>\n"
        "\t\t<score>4321</score>\n"
        "\t\t<level>4</level>\n"
        "\t\t<time>120000</time>\n"
        "\t\t<date>05 Mar 2007</date>\n"
        "\t\t<cheatEnabled>0</cheatEnabled>\n"
        "\t\t<difficulty>Hard</difficulty>\n"
        "\t\t<hash>" +
        expected.dataHash->hash +
        "</hash>\n"
        "\t\t<pack>fixturepack</pack>\n"
        "\t</gameStat>\n"
        "</saveData>";
    const std::string text = ReadText(SavePath());
    EXPECT_EQ(text, saveData + "\n<saveHash>" + MD5(saveData + kSavePadding) + "</saveHash>\n");
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 15);
    EXPECT_EQ(ModeOf(SavePath()), 0444);

    // The next level's save replaces the read-only file.
    game->lives = 2;
    ASSERT_EQ(game->SaveGame(kPlayersPath, 0), 0);
    EXPECT_NE(ReadText(SavePath()).find("\t<lives>2</lives>\n"), std::string::npos);
    EXPECT_EQ(ModeOf(SavePath()), 0444);
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(SavedGame, SavingIsRefusedInItsOrderAndWritesNothing) {
    const struct {
        const char* what;
        bool player, pack, level;
        int editorFlag, result;
    } cases[] = {
        {"the editor, before anything else", false, false, false, 1, -4},
        {"no player", false, true, true, 0, -1},
        {"no pack, before no level", true, false, false, 0, -2},
        {"no level", true, true, false, 0, -3},
    };
    const PlayerPtr thePlayer = game->currentPlayer;
    const PackPtr thePack = game->currentPack;
    const LevelPtr theLevel = game->currentLevel;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        game->currentPlayer = c.player ? thePlayer : nullptr;
        game->currentPack = c.pack ? thePack : nullptr;
        game->currentLevel = c.level ? theLevel : nullptr;
        EXPECT_EQ(game->SaveGame(kPlayersPath, c.editorFlag), c.result);
        EXPECT_EQ(PlayerFolderEntries(), std::vector<std::string>{"player.xml"});
        EXPECT_EQ(game->gameStats->difficulty, "Easy");
    }
    // Without a record only a logged fault stops it.
    game->currentPlayer = thePlayer;
    game->currentPack = thePack;
    game->currentLevel = theLevel;
    game->gameStats = nullptr;
    EXPECT_EQ(game->SaveGame(kPlayersPath, 0), 0);
    EXPECT_EQ(DebugLogLines(),
              std::vector<std::string>{"universe:Game.SaveGame() Attempt to access field or method of Null object"});
}

TEST_F(SavedGame, ASaveThatCannotBeWrittenIsSaidOnStandardError) {
    std::filesystem::remove_all(userFolder + kPlayersPath + kPlayerName);
    testing::internal::CaptureStderr();
    EXPECT_EQ(game->SaveGame(kPlayersPath, 0), -5);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find(SavePath()), std::string::npos) << err;
    // Not logged: a logged line would end the next game start.
    EXPECT_EQ(g_DebugLog, "");
    // The live record was brought up to date all the same.
    EXPECT_EQ(game->gameStats->difficulty, "Hard");
    EXPECT_EQ(game->gameStats->CheckStatHash(), 1);
}

TEST_F(SavedGame, LoadingRestoresTheSaveAndFlagsAnyEditAsCheating) {
    ASSERT_EQ(game->SaveGame(kPlayersPath, 0), 0);
    const std::string saved = ReadText(SavePath());
    const struct {
        const char* what;
        std::string file;
        int lives, cheat;
    } cases[] = {
        {"untouched", saved, 3, 0},
        {"lives edited", Replace(saved, "<lives>3<", "<lives>9<"), 9, 1},
        {"digest in lower case",
         Replace(saved, saved.substr(saved.find("<saveHash>") + 10, 32),
                 [&] {
                     std::string lower = saved.substr(saved.find("<saveHash>") + 10, 32);
                     for (char& ch : lower) ch = static_cast<char>(std::tolower(ch));
                     return lower;
                 }()),
         3, 1},
        {"a blank inside the saveData element", Replace(saved, "<lives>3</lives>", "<lives>3</lives> "), 3, 1},
        {"blank lines after the digest", saved + "\n\n", 3, 0},
        {"a line before the saveData element", "note\n" + saved, 3, 0},
        {"a fair save of a cheat game", Resigned(Replace(saved, "<cheatEnabled>0<", "<cheatEnabled>1<")), 3, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(WriteWholeFile(SavePath(), c.file, 0444), 1);
        MakeReadyToLoad();
        EXPECT_EQ(game->LoadGame(kPlayersPath), "Tower");
        EXPECT_EQ(game->currentLevel->name, "Tower");
        EXPECT_EQ(game->lives, c.lives);
        const GameStat& stat = *game->gameStats;
        EXPECT_EQ(stat.cheatEnabled, c.cheat);
        // One below the saved level, which the level change brings back.
        EXPECT_EQ(stat.level, 3);
        EXPECT_EQ(stat.score, 4321);
        EXPECT_EQ(stat.time, 120000);
        EXPECT_EQ(stat.difficulty, "Hard");
        EXPECT_EQ(stat.pack, "fixturepack");
    }
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(SavedGame, AMovedPlayerFolderKeepsItsSavedGame) {
    // The player's folder renamed by hand, and the player read from it.
    const std::string moved = userFolder + kPlayersPath + "Tess moved";
    std::filesystem::rename(userFolder + kPlayersPath + kPlayerName, moved);
    ASSERT_EQ(player->LoadFromFile(kPlayersPath, "Tess moved"), 1);
    ASSERT_EQ(player->name, kPlayerName);

    testing::internal::CaptureStderr();
    const int saved = game->SaveGame(kPlayersPath, 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    ASSERT_EQ(saved, 0);
    EXPECT_TRUE(std::filesystem::exists(moved + "/save_fixturepack.xml"));
    EXPECT_FALSE(std::filesystem::exists(userFolder + kPlayersPath + kPlayerName));

    MakeReadyToLoad();
    EXPECT_EQ(game->LoadGame(kPlayersPath), "Tower");
    EXPECT_EQ(game->gameStats->score, 4321);
    EXPECT_EQ(game->gameStats->cheatEnabled, 0);
    game->DeleteCurrentSaveGame(kPlayersPath, 0);
    EXPECT_FALSE(std::filesystem::exists(moved + "/save_fixturepack.xml"));
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(SavedGame, NothingSavedLeavesTheGameAsItIs) {
    const struct {
        const char* what;
        bool write;
        std::string file;
    } cases[] = {
        {"no file", false, ""},
        {"an empty file", true, ""},
        {"a digest alone", true, "<saveHash>" + MD5(kSavePadding) + "</saveHash>\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        DeleteGameFile(SavePath());
        if (c.write) {
            ASSERT_EQ(WriteWholeFile(SavePath(), c.file, 0444), 1);
        }
        MakeReadyToLoad();
        EXPECT_EQ(game->LoadGame(kPlayersPath), "Placeholder");
        EXPECT_EQ(game->lives, 5);
        EXPECT_EQ(game->gameStats->level, 0);
        EXPECT_EQ(game->gameStats->cheatEnabled, 0);
    }
    // Without player, pack or level there is nothing to read.
    Game empty;
    EXPECT_EQ(empty.LoadGame(kPlayersPath), "-1");
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(SavedGame, APackWhoseSaveNameCannotNameAFileNeverSavesLoadsOrDeletes) {
    const struct {
        const char* what;
        std::string saveName;
        std::string planted;  // a file only that name could reach; "" for a usable name
    } cases[] = {
        {"a slash", "a/b", "save_a/b.xml"},
        {"a backslash", "a\\b", "save_a\\b.xml"},
        {"a zero byte", std::string("a\0b", 3), "save_a"},
        {"empty", "", ""},
        {"dots", "..", ""},
        {"a blank", "my pack", ""},
    };
    ASSERT_EQ(game->SaveGame(kPlayersPath, 0), 0);
    // Unlike what this game would write, so a write over it shows.
    const std::string aSave = Resigned(Replace(ReadText(SavePath()), "<lives>3<", "<lives>7<"));
    const std::string folder = userFolder + kPlayersPath + kPlayerName + "/";
    universe().currentPlayerIndex = 0;
    universe().currentPackIndex = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        DeleteGameFile(SavePath());
        game->currentPack->saveName = c.saveName;
        universe().packsArray = {game->currentPack};
        game->currentLevel->name = "Tower";
        game->lives = 3;

        if (!c.planted.empty()) {
            std::filesystem::create_directories(std::filesystem::path(folder + c.planted).parent_path());
            ASSERT_EQ(WriteWholeFile(folder + c.planted, aSave, 0444), 1);
            const std::vector<std::string> before = PlayerFolderEntries();
            EXPECT_EQ(game->SaveGame(kPlayersPath, 0), -5);
            EXPECT_EQ(PlayerFolderEntries(), before);
            EXPECT_EQ(ReadText(folder + c.planted), aSave);
            EXPECT_EQ(universe().ContinueExists(), 0);
            MakeReadyToLoad();
            EXPECT_EQ(game->LoadGame(kPlayersPath), "Placeholder");
            EXPECT_EQ(game->lives, 5);
            EXPECT_EQ(game->DeleteCurrentSaveGame(kPlayersPath, 0), 0);
            EXPECT_EQ(player->DeleteCurrentSavedGame(kPlayersPath, c.saveName), nullptr);
            EXPECT_EQ(FileType(folder + c.planted), 1);
            std::filesystem::remove_all(std::filesystem::path(folder + c.planted));
            std::filesystem::remove_all(folder + "save_a");
        } else {
            const std::string path = folder + "save_" + c.saveName + ".xml";
            EXPECT_EQ(game->SaveGame(kPlayersPath, 0), 0);
            EXPECT_EQ(FileType(path), 1);
            EXPECT_EQ(universe().ContinueExists(), 1);
            MakeReadyToLoad();
            EXPECT_EQ(game->LoadGame(kPlayersPath), "Tower");
            EXPECT_EQ(game->lives, 3);
            EXPECT_EQ(game->DeleteCurrentSaveGame(kPlayersPath, 0), 0);
            EXPECT_EQ(FileType(path), 0);
        }
    }
    EXPECT_EQ(g_DebugLog, "");
}

// ---------------------------------------------------------------------------
// Reading the packs.

class SaveNameReport : public UniverseTest {};

TEST_F(SaveNameReport, PacksWhoseSaveNameCannotNameAFileAreReportedOnceOnStandardError) {
    const struct {
        const char* folder;
        std::string saveName;
        bool reported;
    } packs[] = {
        {"delta", "del\\ta", true},
        {"epsilon", std::string("eps\0ilon", 8), true},
        {"gamma", "gam/ma", true},
        {"zeta", "", false},
    };
    for (const auto& p : packs) {
        const std::string folder = dataFolder + "data/packs/" + p.folder;
        std::filesystem::create_directories(folder);
        ASSERT_EQ(WriteWholeFile(folder + "/info.xml", "<info><name>" + std::string(p.folder) + "</name><saveName>" +
                                                           p.saveName + "</saveName></info>\n"),
                  1);
    }
    testing::internal::CaptureStderr();
    Universe& u = StartUniverse();
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(u.packsArray.size(), 6u);
    for (const auto& p : packs) {
        const std::string line = "\"" + dataFolder + "data/packs/" + p.folder + "\"";
        size_t count = 0;
        for (size_t at = err.find(line); at != std::string::npos; at = err.find(line, at + 1)) ++count;
        EXPECT_EQ(count, p.reported ? 1u : 0u) << p.folder << "\n" << err;
    }
    EXPECT_EQ(err.find("alpha"), std::string::npos);
    EXPECT_EQ(g_DebugLog, "");
}

}  // namespace
