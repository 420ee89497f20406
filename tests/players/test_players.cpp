// Player profiles and "player.xml": creating, saving, loading and deleting players, the exact
// file of a new player, passwords, tampering found by the digests, and names that are no folder.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <optional>

#include "core/hash.h"
#include "core/io.h"
#include "full_disk.h"
#include "platform/runtime.h"
#include "test_player_support.h"

namespace {

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    const size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

using PlayerProfile = PlayerTest;

TEST_F(PlayerProfile, NewPlayerWritesTheExactFileReadOnlyAndAnnouncesIt) {
    Player player;
    testing::internal::CaptureStdout();
    // Blanks around the name go; the password is kept as typed.
    EXPECT_EQ(player.CreateNewPlayer(kPlayersFolder, " \tAnn  ", "s3cret"), 1);
    const std::string out = testing::internal::GetCapturedStdout();

    EXPECT_EQ(player.name, "Ann");
    EXPECT_EQ(FileType(PlayersPath() + "Ann"), 2);
    EXPECT_EQ(Read(PlayerFile("Ann")), Fixture("new_player_ann.xml"));
    EXPECT_EQ(Mode(PlayerFile("Ann")), 0444);
    EXPECT_NE(out.find("Writing player file: " + PlayerFile("Ann")), std::string::npos) << out;
    EXPECT_TRUE(LogHas(" NOTE: Note (NO GAMESTATS!)"));
    // Without records the statistics digest covers the padding and the name only.
    EXPECT_EQ(player.gameStatsHash->hash, MD5("kindly leave this alone.  Tampering is lame. %!@K^Tzq59173|Ann"));
    EXPECT_EQ(player.highScore, -1);
    EXPECT_EQ(player.highLevel, -1);
}

TEST_F(PlayerProfile, PasswordIsCheckedAgainstItsDigest) {
    Player guarded, open;
    ASSERT_EQ(guarded.CreateNewPlayer(kPlayersFolder, "Ann", "s3cret"), 1);
    ASSERT_EQ(open.CreateNewPlayer(kPlayersFolder, "Cal", ""), 1);
    EXPECT_EQ(guarded.password->hash, MD5("Ann|Here comes nonsense to fill a digest.  4471qkw%&!Z^|s3cret|"));

    const struct {
        Player* player;
        std::string typed;
        int expected;
    } cases[] = {
        {&guarded, "s3cret", 1}, {&guarded, "", 0}, {&guarded, "S3cret", 0}, {&guarded, "s3cret ", 0},
        {&open, "", 1},          {&open, " ", 0},   {&open, "s3cret", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.player->TestPassword(c.typed), c.expected) << c.player->name << "/" << c.typed;

    // The digest is tied to the name: the same digest under another name fails.
    Player renamed;
    renamed.name = "Bob";
    renamed.password->hash = guarded.password->hash;
    EXPECT_EQ(renamed.TestPassword("s3cret"), 0);
}

TEST_F(PlayerProfile, CreateSaveLoadRoundTripKeepsEverything) {
    Player player;
    ASSERT_EQ(player.CreateNewPlayer(kPlayersFolder, "Dee", "pw"), 1);
    auto fair = Record(1500, 4, 90000, 0);
    fair->difficulty = "Tab\there <&> line\nend";
    fair->pack = "classic";
    player.AddGameStat(fair);
    player.AddGameStat(Record(7, 1, 500, 1));
    // Written over the read-only file of the creation.
    ASSERT_EQ(player.SaveToFile(kPlayersFolder), 1);
    EXPECT_EQ(Mode(PlayerFile("Dee")), 0444);
    EXPECT_TRUE(LogHas(" NOTE: Note (GAMESTATS TO SAVE: 2)"));
    EXPECT_TRUE(LogHas(" NOTE: Note (SAVING GAMESTAT 1)"));

    Player loaded;
    EXPECT_EQ(loaded.LoadFromFile(kPlayersFolder, "Dee"), 1);
    EXPECT_EQ(loaded.name, "Dee");
    EXPECT_EQ(loaded.password->hash, player.password->hash);
    EXPECT_EQ(loaded.gameStatsHash->hash, player.gameStatsHash->hash);
    EXPECT_EQ(loaded.playerIsTamperedWith, 0);
    EXPECT_EQ(loaded.TestPassword("pw"), 1);
    ASSERT_EQ(loaded.gameStatsArray.size(), 2u);
    for (size_t i = 0; i < 2; ++i)
        EXPECT_EQ(loaded.gameStatsArray[i]->DataToXML(), player.gameStatsArray[i]->DataToXML());
    EXPECT_EQ(loaded.gameStatsArray[0]->difficulty, "Tab\there <&> line\nend");

    // Saving what was loaded writes the same bytes again.
    const std::string before = Read(PlayerFile("Dee"));
    ASSERT_EQ(loaded.SaveToFile(kPlayersFolder), 1);
    EXPECT_EQ(Read(PlayerFile("Dee")), before);
}

TEST_F(PlayerProfile, LoadsAStoredPlayerFile) {
    PlaceFolder("Bea", {{"player.xml", Fixture("Bea/player.xml")}});
    Player player;
    ASSERT_EQ(player.LoadFromFile(kPlayersFolder, "Bea"), 1);
    EXPECT_EQ(player.name, "Bea");
    EXPECT_EQ(player.TestPassword(""), 1);
    ASSERT_EQ(player.gameStatsArray.size(), 2u);
    const GameStat& second = *player.gameStatsArray[1];
    EXPECT_EQ(second.score, 9876543210);
    EXPECT_EQ(second.level, 12);
    EXPECT_EQ(second.time, 3456789);
    EXPECT_EQ(second.date, "14 Nov 2009");
    EXPECT_EQ(second.cheatEnabled, 1);
    EXPECT_EQ(second.difficulty, "Hard & <Tricky>");
    EXPECT_EQ(second.pack, "bonus");
    EXPECT_TRUE(DebugLogLines().empty());
}

TEST_F(PlayerProfile, HandEditsOfCoveredFieldsAreFlaggedAndStillLoad) {
    const std::string original = Fixture("Bea/player.xml");
    const struct {
        const char* what;
        std::string from, to;
        int expected;
    } cases[] = {
        {"a record's score", "<score>1200<", "<score>1300<", -12},
        {"a record's level", "<level>3<", "<level>9<", -12},
        {"a record's time", "<time>65000<", "<time>65001<", -12},
        {"a record's date", "05 Mar 2007", "06 Mar 2007", -12},
        {"a record's cheat flag", "<cheatEnabled>1<", "<cheatEnabled>0<", -12},
        {"a record's difficulty", "<difficulty>Normal<", "<difficulty>Easy<", -12},
        {"the name", "<name>Bea<", "<name>Bee<", -12},
        // Not covered: the record digests are recomputed, and pack and password stay outside.
        {"a record's stored digest", "389125A4FDF714ABAD626DE4EF0E3063", "00000000000000000000000000000000", 1},
        {"a record's pack", "<pack>classic<", "<pack>other<", 1},
        {"the password digest", "45009857B2528EB1306C8C1A2EF65637", "45009857B2528EB1306C8C1A2EF65638", 1},
    };
    int folder = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        g_DebugLog.clear();
        const std::string folderName = "P" + std::to_string(folder++);
        PlaceFolder(folderName, {{"player.xml", Replace(original, c.from, c.to)}});
        Player player;
        EXPECT_EQ(player.LoadFromFile(kPlayersFolder, folderName), c.expected);
        EXPECT_EQ(player.playerIsTamperedWith, c.expected == 1 ? 0 : 1);
        ASSERT_EQ(player.gameStatsArray.size(), 2u);
        if (c.expected == -12) {
            // The stored digest stays, so the file keeps failing until it is written again.
            EXPECT_EQ(player.gameStatsHash->hash, "C06D68272BE53EC226147C295348E3C6");
            EXPECT_TRUE(LogHas(" NOTE: Stats changed (Game Stats for \"" + player.name + "\" have been changed)"));
        }
    }
}

TEST_F(PlayerProfile, TamperFlagSticksAfterTheNextSave) {
    PlaceFolder("Bea", {{"player.xml", Replace(Fixture("Bea/player.xml"), "<score>1200<", "<score>99999<")}});
    Player player;
    ASSERT_EQ(player.LoadFromFile(kPlayersFolder, "Bea"), -12);
    EXPECT_EQ(player.gameStatsArray[0]->score, 99999);
    ASSERT_EQ(player.SaveToFile(kPlayersFolder), 1);

    Player again;
    EXPECT_EQ(again.LoadFromFile(kPlayersFolder, "Bea"), 1);
    EXPECT_EQ(again.playerIsTamperedWith, 1);
    EXPECT_NE(Read(PlayerFile("Bea")).find("\t<playerIsTamperedWith>1</playerIsTamperedWith>\n"), std::string::npos);
}

TEST_F(PlayerProfile, RaisedTamperReportStillLeavesThePlayerLoaded) {
    g_errorseverity = {1, 1, 3, 1};
    PlaceFolder("Bea", {{"player.xml", Replace(Fixture("Bea/player.xml"), "<level>3<", "<level>30<")}});
    Player player;
    EXPECT_EQ(player.LoadFromFile(kPlayersFolder, "Bea"), 0);
    EXPECT_EQ(player.playerIsTamperedWith, 1);
    ASSERT_EQ(player.gameStatsArray.size(), 2u);
    EXPECT_EQ(player.gameStatsArray[0]->level, 30);
    EXPECT_TRUE(LogHas("player:Player.LoadFromFile() Stats changed (Game Stats for \"Bea\" have been changed)"));
}

TEST_F(PlayerProfile, LoadWithoutAPlayerElementChangesNothing) {
    const std::string bea = Fixture("Bea/player.xml");
    PlaceFolder("Empty", {{"player.xml", "<gameStat><score>5</score></gameStat>\n"}});
    PlaceFolder("Blank", {{"player.xml", ""}});
    PlaceFolder("Cut", {{"player.xml", bea.substr(0, bea.find("<password>"))}});
    PlaceFolder("Nameless", {{"player.xml", "<player>\n\t<name> \t</name>\n</player>\n"}});
    PlaceFolder("NoFile", {});
    // A player file reachable only through a name that leaves the players folder.
    ASSERT_TRUE(CreateDir(g_userPath + "data/x"));
    ASSERT_EQ(WriteWholeFile(g_userPath + "data/x/player.xml", Fixture("Bea/player.xml")), 1);

    for (const std::string folderName : {"Empty", "Blank", "Cut", "Nameless", "NoFile", "Missing", "../x", ""}) {
        SCOPED_TRACE(folderName);
        Player player;
        player.name = "Before";
        player.folderName = "Before";
        player.AddGameStat(Record(3, 1, 10, 0));
        EXPECT_EQ(player.LoadFromFile(kPlayersFolder, folderName), -7);
        EXPECT_EQ(player.name, "Before");
        EXPECT_EQ(player.folderName, "Before");
        EXPECT_EQ(player.gameStatsArray.size(), 1u);
    }
    EXPECT_TRUE(LogHas(" NOTE: Cannot read (" + PlayerFile("Missing") + ")"));
}

TEST_F(PlayerProfile, AbsentTamperElementKeepsTheFlagAndEveryOpeningTagIsARecord) {
    std::string text = Fixture("Bea/player.xml");
    text = Replace(text, "\t<playerIsTamperedWith>0</playerIsTamperedWith>\n", "");
    // An unfinished element at the end still counts, as an empty record.
    text += "\n<gameStat>\n\t<score>77</score>\n";
    PlaceFolder("Bea", {{"player.xml", text}});

    Player player;
    player.playerIsTamperedWith = 1;
    player.LoadFromFile(kPlayersFolder, "Bea");
    EXPECT_EQ(player.playerIsTamperedWith, 1);
    ASSERT_EQ(player.gameStatsArray.size(), 3u);
    EXPECT_EQ(player.gameStatsArray[2]->score, 0);
    EXPECT_EQ(player.gameStatsArray[2]->difficulty, "");
}

TEST_F(PlayerProfile, UnsafeNamesNeverBecomeFolders) {
    const std::string names[] = {
        "", "   ", "\t\n", ".", "..", "  ..  ", "../x", "a/b", "/tmp/evil", "x/", std::string("a\0b", 3)};
    for (const std::string& name : names) {
        SCOPED_TRACE("name of " + std::to_string(name.size()) + " bytes: " + name);
        Player player;
        EXPECT_EQ(player.CreateNewPlayer(kPlayersFolder, name, ""), -6);
        EXPECT_EQ(player.name, "");
        EXPECT_TRUE(LoadDir(PlayersPath()).empty());
        EXPECT_EQ(FileType(PlayersPath() + "player.xml"), 0);
        EXPECT_EQ(FileType(g_userPath + "data/player.xml"), 0);
        EXPECT_EQ(FileType(g_userPath + "data/x"), 0);
    }
}

TEST_F(PlayerProfile, CreateRefusesTakenNamesAndAMissingPlayersFolder) {
    Player first;
    ASSERT_EQ(first.CreateNewPlayer(kPlayersFolder, "Eve", "one"), 1);
    ASSERT_EQ(WriteWholeFile(PlayersPath() + "notes", "a plain file"), 1);
    const std::string fileBefore = Read(PlayerFile("Eve"));

    const struct {
        std::string folder, name;
        int expected;
    } cases[] = {
        {kPlayersFolder, "Eve", -5},
        {kPlayersFolder, "  Eve ", -5},
        {kPlayersFolder, "notes", -5},
        {"data/nowhere/", "Fay", -6},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Player player;
        EXPECT_EQ(player.CreateNewPlayer(c.folder, c.name, "two"), c.expected);
        EXPECT_EQ(player.name, "");
        EXPECT_EQ(player.password->hash, "");
    }
    EXPECT_EQ(Read(PlayerFile("Eve")), fileBefore);
    EXPECT_EQ(Read(PlayersPath() + "notes"), "a plain file");
    // Names are compared exactly: another case is another player here.
    Player other;
    EXPECT_EQ(other.CreateNewPlayer(kPlayersFolder, "eve", ""), 1);
}

TEST_F(PlayerProfile, SaveNeedsThePlayersOwnFolder) {
    Player gone;
    ASSERT_EQ(gone.CreateNewPlayer(kPlayersFolder, "Gus", ""), 1);
    ASSERT_TRUE(DeleteDir(PlayersPath() + "Gus"));

    const std::string names[] = {"Gus", "", "..", "../data", "a/b"};
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        Player player;
        player.name = name;
        player.folderName = name;
        EXPECT_EQ(player.SaveToFile(kPlayersFolder), -2);
    }
    EXPECT_TRUE(LoadDir(PlayersPath()).empty());
    EXPECT_EQ(FileType(g_userPath + "data/player.xml"), 0);
    EXPECT_EQ(FileType(g_userPath + "player.xml"), 0);
}

TEST_F(PlayerProfile, AFailedSaveIsSaidOnStandardErrorAndKeepsTheOldFile) {
    g_errorseverity[0] = 0;  // progress notes stay silent, so any logged line is a fault
    Player gone;
    ASSERT_EQ(gone.CreateNewPlayer(kPlayersFolder, "Gus", ""), 1);
    ASSERT_TRUE(DeleteDir(PlayersPath() + "Gus"));
    Player loose;  // never read nor made: it has no folder
    loose.name = "Hal";
    Player full;
    ASSERT_EQ(full.CreateNewPlayer(kPlayersFolder, "Ivy", ""), 1);
    const std::string ivyBefore = Read(PlayerFile("Ivy"));
    // Enough records that the file cannot fit on the nearly full disk below.
    for (int i = 0; i < 50; ++i) full.AddGameStat(Record(i, 1, 1000, 0));

    const struct {
        Player* player;
        bool diskFull;
        int expected;
        std::string said;
    } cases[] = {
        {&gone, false, -2, "\"Gus\" could not be saved: its folder \"" + PlayersPath() + "Gus\" is missing."},
        {&loose, false, -2, "\"Hal\" could not be saved: it has no folder."},
        {&full, true, 0, "\"Ivy\" could not be saved: \"" + PlayerFile("Ivy") + "\" could not be written."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.player->name);
        std::optional<FullDisk> disk;
        if (c.diskFull) {
            disk.emplace(4096);
            ASSERT_TRUE(disk->full());
        }
        testing::internal::CaptureStderr();
        const int result = c.player->SaveToFile(kPlayersFolder);
        const std::string err = testing::internal::GetCapturedStderr();
        disk.reset();
        EXPECT_EQ(result, c.expected);
        EXPECT_NE(err.find(c.said), std::string::npos) << err;
    }
    EXPECT_EQ(Read(PlayerFile("Ivy")), ivyBefore);
    EXPECT_EQ(LoadDir(PlayersPath() + "Ivy"), std::vector<std::string>{"player.xml"});
    EXPECT_EQ(FileType(PlayersPath() + "Gus"), 0);
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(PlayerProfile, AFailedCreationLeavesNothingBehind) {
    Player player;
    // Records the new file would hold, more than the nearly full disk below takes.
    for (int i = 0; i < 50; ++i) player.AddGameStat(Record(i, 1, 1000, 0));
    int result = 1;
    std::string err;
    {
        FullDisk disk(4096);
        ASSERT_TRUE(disk.full());
        testing::internal::CaptureStderr();
        result = player.CreateNewPlayer(kPlayersFolder, "Ann", "pw");
        err = testing::internal::GetCapturedStderr();
    }

    EXPECT_EQ(result, 0);
    EXPECT_TRUE(LoadDir(PlayersPath()).empty());
    EXPECT_NE(err.find("\"Ann\" could not be saved"), std::string::npos) << err;
    // The player is as it was before the call.
    EXPECT_EQ(player.name, "");
    EXPECT_EQ(player.folderName, "");
    EXPECT_EQ(player.password->hash, "");
    EXPECT_EQ(player.gameStatsArray.size(), 50u);

    // The name is not blocked: once there is room, the same player is made.
    EXPECT_EQ(player.CreateNewPlayer(kPlayersFolder, "Ann", "pw"), 1);
    EXPECT_EQ(player.folderName, "Ann");
    EXPECT_EQ(FileType(PlayerFile("Ann")), 1);
}

TEST_F(PlayerProfile, RenamedAndCopiedFoldersKeepTheirOwnRecords) {
    Player ann, cy;
    ASSERT_EQ(ann.CreateNewPlayer(kPlayersFolder, "Ann", ""), 1);
    ann.AddGameStat(Record(100, 1, 1000, 0));
    ASSERT_EQ(ann.SaveToFile(kPlayersFolder), 1);
    ASSERT_EQ(cy.CreateNewPlayer(kPlayersFolder, "Cy", ""), 1);
    cy.AddGameStat(Record(200, 2, 2000, 0));
    ASSERT_EQ(cy.SaveToFile(kPlayersFolder), 1);
    // By hand: Ann's folder copied, Cy's renamed.
    std::filesystem::copy(PlayersPath() + "Ann", PlayersPath() + "Ann copy", std::filesystem::copy_options::recursive);
    std::filesystem::rename(PlayersPath() + "Cy", PlayersPath() + "Cy moved");

    const struct {
        std::string folder, name;
        int64_t firstScore, addedScore;
    } entries[] = {{"Ann copy", "Ann", 100, 20}, {"Ann", "Ann", 100, 10}, {"Cy moved", "Cy", 200, 30}};
    for (const auto& e : entries) {
        SCOPED_TRACE(e.folder);
        const std::string annBefore = Read(PlayerFile("Ann"));
        Player player;
        ASSERT_EQ(player.LoadFromFile(kPlayersFolder, e.folder), 1);
        EXPECT_EQ(player.name, e.name);
        EXPECT_EQ(player.folderName, e.folder);
        player.AddGameStat(Record(e.addedScore, 3, 3000, 0));
        ASSERT_EQ(player.SaveToFile(kPlayersFolder), 1);
        // The copy's game never reaches the original's file.
        if (e.folder != "Ann") {
            EXPECT_EQ(Read(PlayerFile("Ann")), annBefore);
        }

        Player again;
        ASSERT_EQ(again.LoadFromFile(kPlayersFolder, e.folder), 1);
        ASSERT_EQ(again.gameStatsArray.size(), 2u);
        EXPECT_EQ(again.gameStatsArray[0]->score, e.firstScore);
        EXPECT_EQ(again.gameStatsArray[1]->score, e.addedScore);
    }
    // Nothing came back under the old name.
    EXPECT_EQ(FileType(PlayersPath() + "Cy"), 0);

    // Deleting the copy takes its own folder only.
    Player copy;
    ASSERT_EQ(copy.LoadFromFile(kPlayersFolder, "Ann copy"), 1);
    EXPECT_EQ(copy.DeletePlayer(kPlayersFolder, "", 1), 1);
    EXPECT_EQ(FileType(PlayersPath() + "Ann copy"), 0);
    EXPECT_EQ(FileType(PlayerFile("Ann")), 1);
}

TEST_F(PlayerProfile, AddGameStatStoresADatedCopy) {
    Player player;
    player.name = "Hal";
    auto record = Record(4200, 5, 61000, 0);
    record->date = "01 Jan 2001";
    record->pack = "classic";
    record->isActive = 1;
    const std::string callerView = record->DataToXML();

    EXPECT_EQ(player.AddGameStat(record), 0);
    EXPECT_EQ(record->DataToXML(), callerView);
    ASSERT_EQ(player.gameStatsArray.size(), 1u);
    const GameStatPtr& stored = player.gameStatsArray[0];
    EXPECT_NE(stored, record);
    EXPECT_EQ(stored->score, 4200);
    EXPECT_EQ(stored->pack, "classic");
    const std::string today = CurrentDate();
    EXPECT_EQ(stored->date, today);
    EXPECT_EQ(stored->CheckStatHash(), 1);
    EXPECT_TRUE(LogHas(" NOTE: Note (*************** TOTAL GAMESTATS: 1)"));
    EXPECT_EQ(player.gameStatsHash->hash,
              MD5("kindly leave this alone.  Tampering is lame. %!@K^Tzq59173|Hal" + stored->dataHash->hash));

    // A missing record is no game: nothing is added.
    EXPECT_EQ(player.AddGameStat(nullptr), 0);
    EXPECT_EQ(player.gameStatsArray.size(), 1u);
    EXPECT_TRUE(LogHas("player:Player.AddGameStat() Attempt to access field or method of Null object"));
}

TEST_F(PlayerProfile, DeletePlayerHonoursPasswordAndForce) {
    const struct {
        std::string typed;
        int force;
        int expected;
    } cases[] = {
        {"wrong", 0, -10}, {"wrong", 2, -10}, {"", 0, -10}, {"wrong", 1, 1}, {"pw", 0, 1}, {"pw", 1, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed + " force " + std::to_string(c.force));
        g_DebugLog.clear();
        Player player;
        ASSERT_EQ(player.CreateNewPlayer(kPlayersFolder, "Ivy", "pw"), 1);
        // A read-only save and a sub-folder go with it.
        ASSERT_EQ(WriteStringToFile("save", PlayersPath() + "Ivy/save_classic.xml", 1), 1);
        ASSERT_TRUE(CreateDir(PlayersPath() + "Ivy/extra"));

        EXPECT_EQ(player.DeletePlayer(kPlayersFolder, c.typed, c.force), c.expected);
        EXPECT_EQ(FileType(PlayersPath() + "Ivy"), c.expected == 1 ? 0 : 2);
        if (c.expected == -10) {
            EXPECT_TRUE(LogHas(" NOTE: Wrong password (Player name: Ivy)"));
        }
        EXPECT_EQ(player.name, "Ivy");
        DeleteDir(PlayersPath() + "Ivy");
    }

    Player missing;
    missing.name = "Jon";
    missing.folderName = "Jon";
    EXPECT_EQ(missing.DeletePlayer(kPlayersFolder, "", 1), -9);
}

TEST_F(PlayerProfile, DeleteTouchesNothingButThePlayersOwnFolder) {
    Player keep;
    ASSERT_EQ(keep.CreateNewPlayer(kPlayersFolder, "Kim", ""), 1);
    ASSERT_TRUE(CreateDir(g_userPath + "outside"));
    ASSERT_EQ(WriteWholeFile(g_userPath + "outside/precious.txt", "keep me"), 1);

    // Names that would reach the players folder itself or something outside it.
    const std::string names[] = {"", " ", ".", "..", "../outside", "Kim/..", std::string("Kim\0", 4)};
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        Player player;
        player.name = name;
        player.folderName = name;
        EXPECT_EQ(player.DeletePlayer(kPlayersFolder, "", 1), -9);
        EXPECT_EQ(FileType(PlayerFile("Kim")), 1);
        EXPECT_EQ(FileType(g_userPath + "outside/precious.txt"), 1);
    }

    // A player folder that is a link goes as a link; what it points at stays. So do links inside.
    ASSERT_EQ(symlink((g_userPath + "outside").c_str(), (PlayersPath() + "Lex").c_str()), 0);
    ASSERT_TRUE(CreateDir(PlayersPath() + "Mo"));
    ASSERT_EQ(symlink((PlayersPath() + "Kim").c_str(), (PlayersPath() + "Mo/friend").c_str()), 0);
    for (const std::string name : {"Lex", "Mo"}) {
        Player player;
        player.name = name;
        player.folderName = name;
        EXPECT_EQ(player.DeletePlayer(kPlayersFolder, "", 1), 1) << name;
        EXPECT_EQ(FileType(PlayersPath() + name), 0);
    }
    EXPECT_EQ(Read(g_userPath + "outside/precious.txt"), "keep me");
    EXPECT_EQ(FileType(PlayerFile("Kim")), 1);
}

TEST_F(PlayerProfile, AppendNewPlayerAndUnlink) {
    auto first = std::make_shared<Player>();
    const std::vector<PlayerPtr> one{first};
    const std::vector<PlayerPtr> two = AppendNewPlayer(one);
    ASSERT_EQ(two.size(), 2u);
    EXPECT_EQ(two[0], first);
    ASSERT_NE(two[1], nullptr);
    EXPECT_EQ(two[1]->highScore, -1);
    EXPECT_EQ(one.size(), 1u);
    EXPECT_EQ(AppendNewPlayer({}).size(), 1u);

    first->AddGameStat(Record(1, 1, 1, 0));
    first->AddGameStat(Record(2, 2, 2, 0));
    EXPECT_EQ(first->Unlink(), 0);
    ASSERT_EQ(first->gameStatsArray.size(), 2u);
    EXPECT_EQ(first->gameStatsArray[0], nullptr);
    EXPECT_EQ(first->gameStatsArray[1], nullptr);
}

}  // namespace
