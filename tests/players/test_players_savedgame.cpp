// An abandoned saved game turned into a finished record: the level reached, the cheat flag of a
// hand-edited save, and when the save file goes or stays.
#include <gtest/gtest.h>

#include "core/hash.h"
#include "test_player_support.h"

namespace {

const char kSavePadding[] =
    "F00DCAFE2qmz7k4[]8rt5w,jd3xpp; Salt Filler.  Greetings, friend, and many thanks for spotting this entry!";

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    const size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

// A save whose digest is made afresh over its (changed) "saveData" element, as the game writes it.
std::string Resigned(const std::string& saveData) {
    return saveData + "<saveHash>" + MD5(TrimText(saveData) + kSavePadding) + "</saveHash>\n";
}

class AbandonedSave : public PlayerTest {
protected:
    void SetUp() override {
        PlayerTest::SetUp();
        original = Fixture("Bea/save_classic.xml");
        saveData = original.substr(0, original.find("<saveHash>"));
        player.name = "Bea";
        player.folderName = "Bea";
        ASSERT_TRUE(CreateDir(PlayersPath() + "Bea"));
    }
    std::string SavePath() const { return PlayersPath() + "Bea/save_classic.xml"; }

    std::string original, saveData;
    Player player;
};

TEST_F(AbandonedSave, SaveBecomesARecordWithCheatFlagOnADigestMismatch) {
    const struct {
        const char* what;
        std::string file;
        int64_t score;
        int cheat;
    } cases[] = {
        {"untouched", original, 4321, 0},
        {"a score digit changed", Replace(original, "<score>4321<", "<score>9321<"), 9321, 1},
        {"the digest changed", Replace(original, "A95195BB", "B95195BB"), 4321, 1},
        {"no digest", saveData, 4321, 1},
        {"blanks around the saveData element", " \n\t" + Replace(original, "</saveData>\n", "</saveData>  \n"), 4321,
         0},
        {"blanks inside the saveData element", Replace(original, "<lives>3</lives>", "<lives>3</lives> "), 4321, 1},
        // A fair digest keeps the flag the game had.
        {"cheats on in a signed save", Resigned(Replace(saveData, "<cheatEnabled>0<", "<cheatEnabled>1<")), 4321, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(WriteWholeFile(SavePath(), c.file, 0444), 1);
        const GameStatPtr stat = player.DeleteCurrentSavedGame(kPlayersFolder, "classic");
        ASSERT_NE(stat, nullptr);
        EXPECT_EQ(stat->score, c.score);
        EXPECT_EQ(stat->level, 3);
        EXPECT_EQ(stat->time, 120000);
        EXPECT_EQ(stat->cheatEnabled, c.cheat);
        EXPECT_EQ(stat->difficulty, "Easy");
        EXPECT_EQ(stat->pack, "classic");
        EXPECT_EQ(stat->dataHash->hash, "EBBBF9A74B39B8E374145A08A3DE53DF");
        EXPECT_EQ(FileType(SavePath()), 0);
    }
    EXPECT_TRUE(player.gameStatsArray.empty());
    EXPECT_TRUE(DebugLogLines().empty());
}

TEST_F(AbandonedSave, NothingToTurnIntoARecordLeavesTheSave) {
    const struct {
        const char* what;
        std::string file;
    } cases[] = {
        {"no play time", Resigned(Replace(saveData, "<time>120000<", "<time>0<"))},
        {"negative play time", Resigned(Replace(saveData, "<time>120000<", "<time>-5<"))},
        {"no saveData element", "<saveHash>" + MD5(kSavePadding) + "</saveHash>\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(WriteWholeFile(SavePath(), c.file, 0444), 1);
        EXPECT_EQ(player.DeleteCurrentSavedGame(kPlayersFolder, "classic"), nullptr);
        EXPECT_EQ(Read(SavePath()), c.file);
    }
    // No save for the pack: nothing reported.
    EXPECT_EQ(player.DeleteCurrentSavedGame(kPlayersFolder, "bonus"), nullptr);
    EXPECT_TRUE(DebugLogLines().empty());
}

TEST_F(AbandonedSave, LevelIsTakenDownByOneWithoutAFloor) {
    const struct {
        std::string level;
        int expected;
    } cases[] = {{"1", 0}, {"0", -1}, {"-2147483648", -2147483647 - 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.level);
        ASSERT_EQ(WriteWholeFile(SavePath(), Resigned(Replace(saveData, "<level>4<", "<level>" + c.level + "<"))), 1);
        const GameStatPtr stat = player.DeleteCurrentSavedGame(kPlayersFolder, "classic");
        ASSERT_NE(stat, nullptr);
        EXPECT_EQ(stat->level, c.expected);
        EXPECT_EQ(stat->cheatEnabled, 0);
    }
}

TEST_F(AbandonedSave, UnsafeNamesDeleteNothing) {
    // A save-like file that only a name leaving the player's folder could reach.
    ASSERT_EQ(WriteWholeFile(PlayersPath() + "save_classic.xml", original), 1);
    ASSERT_EQ(WriteWholeFile(PlayersPath() + "Bea/save_.xml", original), 1);
    // A backslash is an ordinary file-name character here, but a path separator elsewhere.
    ASSERT_EQ(WriteWholeFile(PlayersPath() + "Bea/save_..\\x.xml", original), 1);
    const struct {
        std::string folderName, saveName;
    } cases[] = {
        {"", "classic"},
        {"..", "data/players/save_classic"},
        {"Bea", "../../save_classic"},
        {"Bea", std::string("\0x", 2)},
        {"Bea", "..\\x"},
        {"Bea/..", "classic"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.folderName + " " + c.saveName);
        Player other;
        other.name = "Bea";
        other.folderName = c.folderName;
        EXPECT_EQ(other.DeleteCurrentSavedGame(kPlayersFolder, c.saveName), nullptr);
    }
    EXPECT_EQ(FileType(PlayersPath() + "save_classic.xml"), 1);
    EXPECT_EQ(FileType(PlayersPath() + "Bea/save_.xml"), 1);
    EXPECT_EQ(FileType(PlayersPath() + "Bea/save_..\\x.xml"), 1);
}

TEST_F(AbandonedSave, TheSaveComesFromTheFolderThePlayerWasReadFrom) {
    // Bea's folder copied by hand, each copy with a saved game of its own.
    ASSERT_EQ(WriteWholeFile(SavePath(), original, 0444), 1);
    const std::string copySave = Resigned(Replace(saveData, "<score>4321<", "<score>55<"));
    PlaceFolder("Bea copy", {{"player.xml", Fixture("Bea/player.xml")}, {"save_classic.xml", copySave}});

    Player copy;
    ASSERT_EQ(copy.LoadFromFile(kPlayersFolder, "Bea copy"), 1);
    ASSERT_EQ(copy.name, "Bea");
    const GameStatPtr stat = copy.DeleteCurrentSavedGame(kPlayersFolder, "classic");
    ASSERT_NE(stat, nullptr);
    EXPECT_EQ(stat->score, 55);
    EXPECT_EQ(stat->cheatEnabled, 0);
    EXPECT_EQ(FileType(PlayersPath() + "Bea copy/save_classic.xml"), 0);
    EXPECT_EQ(Read(SavePath()), original);
}

TEST_F(AbandonedSave, AbandonedRecordJoinsThePlayerFile) {
    Player zed;
    ASSERT_EQ(zed.CreateNewPlayer(kPlayersFolder, "Zed", ""), 1);
    ASSERT_EQ(WriteWholeFile(PlayersPath() + "Zed/save_classic.xml", original, 0444), 1);

    // The main menu's order: take the record, reload, add, save.
    const GameStatPtr stat = zed.DeleteCurrentSavedGame(kPlayersFolder, "classic");
    ASSERT_NE(stat, nullptr);
    ASSERT_EQ(zed.LoadFromFile(kPlayersFolder, "Zed"), 1);
    zed.AddGameStat(stat);
    ASSERT_EQ(zed.SaveToFile(kPlayersFolder), 1);

    Player loaded;
    ASSERT_EQ(loaded.LoadFromFile(kPlayersFolder, "Zed"), 1);
    ASSERT_EQ(loaded.gameStatsArray.size(), 1u);
    EXPECT_EQ(loaded.gameStatsArray[0]->score, 4321);
    EXPECT_EQ(loaded.gameStatsArray[0]->level, 3);
    EXPECT_EQ(loaded.gameStatsArray[0]->date, CurrentDate());
    EXPECT_EQ(loaded.GetTotalGames(1), 1);
}

}  // namespace
