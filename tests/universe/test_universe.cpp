// The application state: a fresh universe and its buttons, adding, deleting and resetting the
// current player, the release at shutdown, the button sounds and saved-game presence.
#include <unistd.h>

#include <vector>

#include "players/full_disk.h"
#include "universe_support.h"

namespace {

class State : public UniverseTest {
protected:
    Universe u;

    void SetUp() override {
        UniverseTest::SetUp();
        LoadErrorCodes("data/", "en");
        u.playersPath = "data/players/";
        std::filesystem::create_directories(userFolder + "data/players");
    }
    void TearDown() override {
        u.Unlink();
        UniverseTest::TearDown();
    }
    std::string PlayerFolder(const std::string& name) { return userFolder + "data/players/" + name; }
    void AddPlayers(const std::vector<std::string>& names) {
        for (const std::string& name : names) ASSERT_EQ(u.AddPlayer(name), 0) << name;
    }
    void AddPack(const std::string& saveName) {
        u.packsArray.push_back(std::make_shared<Pack>());
        u.packsArray.back()->saveName = saveName;
    }
};

TEST_F(State, AFreshUniverseIsEmpty) {
    const Universe fresh;
    EXPECT_EQ(fresh.currentDifficulty, "Normal");
    EXPECT_EQ(fresh.currentPlayerIndex, 0);
    EXPECT_EQ(fresh.currentPackIndex, 0);
    EXPECT_TRUE(fresh.playersArray.empty() && fresh.packsArray.empty() && fresh.languageStringsArray.empty());
    EXPECT_TRUE(fresh.statsHighScores.empty() && fresh.statsHighLevelNames.empty());
    EXPECT_EQ(fresh.statsTotalTimeForeverLost, 0);
    EXPECT_EQ(fresh.screenWidth, 0);
    EXPECT_FALSE(fresh.currentGame || fresh.DialogImage || fresh.MenuBackgroundImage || fresh.cursorImage);
    EXPECT_FALSE(fresh.buttonQuitToMain || fresh.buttonQuitCompletely || fresh.buttonNewFromThisLevel ||
                 fresh.buttonNewGame);
    EXPECT_FALSE(fresh.sndButtonClick || fresh.sndButtonStartGame || fresh.sndButtonQuit || fresh.sndButtonCancel);
}

TEST_F(State, ANewMenuButtonHasItsOwnSilentSound) {
    MenuButton a, b;
    EXPECT_EQ(a.text, "OK");
    EXPECT_EQ(a.x + a.y + a.width + a.height, 0.0f);
    EXPECT_EQ(a.clickStatus, 0);
    EXPECT_EQ(a.mouseIn, 0);
    EXPECT_EQ(a.hotKey, -1);
    ASSERT_TRUE(a.clickSound && b.clickSound);
    EXPECT_NE(a.clickSound, b.clickSound);
    EXPECT_FALSE(a.clickSound->soundData);

    // Unlink drops the sound but never empties it: a clone elsewhere may share its audio.
    a.clickSound->LoadFromFile(dataFolder + "data/sounds/blip.wav", "click");
    SoundPtr held = a.clickSound;
    EXPECT_EQ(a.Unlink(), 0);
    EXPECT_FALSE(a.clickSound);
    EXPECT_TRUE(held->soundData);
}

// ---------------------------------------------------------------------------
// Adding players.

TEST_F(State, AddPlayerRefusesOnlyAnExistingFolderOfTheTrimmedName) {
    AddPlayers({"Nameless Wonder"});
    EXPECT_EQ(u.AddPlayer("  Nameless Wonder "), -5);
    EXPECT_EQ(u.playersArray.size(), 1u);
    // Letter case counts: another name, another player, in a folder of its own.
    EXPECT_EQ(u.AddPlayer("nameless wonder"), 0);
    EXPECT_EQ(PlayerNames(u), (std::vector<std::string>{"Nameless Wonder", "nameless wonder"}));
    EXPECT_EQ(FileType(PlayerFolder("nameless wonder") + "/player.xml"), 1);
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(State, APlayerThatCannotBeCreatedIsNeverAdded) {
    // A plain file of that name is no player; the other names can never be folders.
    ASSERT_EQ(WriteWholeFile(PlayerFolder("Filed"), "x", 0644), 1);
    struct Case {
        const char* name;
        int expected;
    };
    const Case cases[] = {{"Filed", -5}, {" Filed ", -5}, {"a/b", -6}, {"..", -6}, {"   ", -6}};
    AddPlayers({"Alice"});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(u.AddPlayer(c.name), c.expected);
        EXPECT_EQ(PlayerNames(u), std::vector<std::string>{"Alice"});
    }
    EXPECT_EQ(ReadText(PlayerFolder("Filed")), "x");

    // With the players folder gone nothing can be made either.
    u.playersPath = "data/missing/";
    EXPECT_EQ(u.AddPlayer("Bob"), -6);
    EXPECT_EQ(PlayerNames(u), std::vector<std::string>{"Alice"});
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(State, AFailedCreationLeavesNoFolderBehind) {
    AddPlayers({"Alice"});
    // A default player's folder left from before, with a saved game: it existed before the
    // call, so it stays whatever happens.
    std::filesystem::create_directory(PlayerFolder("Nameless Wonder"));
    ASSERT_EQ(WriteWholeFile(PlayerFolder("Nameless Wonder") + "/save_alpha.xml", "saved", 0444), 1);
    int added = 0, addedDefault = 0;
    {
        // No player file fits on the disk now.
        FullDisk disk(64);
        ASSERT_TRUE(disk.full());
        added = u.AddPlayer("Bob");
        addedDefault = u.AddDefaultPlayer();
    }
    EXPECT_EQ(added, -6);
    EXPECT_FALSE(std::filesystem::exists(PlayerFolder("Bob")));
    EXPECT_EQ(ReadText(PlayerFolder("Nameless Wonder") + "/save_alpha.xml"), "saved");
    EXPECT_FALSE(std::filesystem::exists(PlayerFolder("Nameless Wonder") + "/player.xml"));
    EXPECT_EQ(addedDefault, 1);
    EXPECT_EQ(g_DebugLog, "");

    // With room again the name is free.
    EXPECT_EQ(u.AddPlayer("Bob"), 0);
    EXPECT_TRUE(std::filesystem::exists(PlayerFolder("Bob") + "/player.xml"));
}

TEST_F(State, AnUnwritablePlayersFolderGetsNoPlayerAndNoFolder) {
    if (geteuid() == 0) GTEST_SKIP() << "root writes into a read-only folder; the full-disk test covers root";
    AddPlayers({"Alice"});
    ASSERT_EQ(chmod((userFolder + "data/players").c_str(), 0555), 0);
    EXPECT_EQ(u.AddPlayer("Bob"), -6);
    chmod((userFolder + "data/players").c_str(), 0755);
    EXPECT_EQ(PlayerNames(u), std::vector<std::string>{"Alice"});
    EXPECT_FALSE(std::filesystem::exists(PlayerFolder("Bob")));
}

// ---------------------------------------------------------------------------
// Deleting the current player.

TEST_F(State, DeletingAPlayerRemovesItsEntryAndPicksTheNextCurrentOne) {
    struct Case {
        const char* name;
        std::vector<std::string> players;
        int current;
        std::vector<std::string> after;
        int currentAfter;
    };
    const Case cases[] = {
        {"the default player becomes current", {"Alice", "Nameless Wonder", "Zed"}, 2, {"Alice", "Nameless Wonder"}, 1},
        {"without it the first player does", {"Alice", "Bob", "Carol"}, 1, {"Alice", "Carol"}, 0},
        {"a default name in other letter case is a player like others", {"Alice", "nameless wonder"}, 1, {"Alice"}, 0},
        // The game cannot go on without a player: the default player comes back.
        {"the last player", {"Alice"}, 0, {"Nameless Wonder"}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        AddPlayers(c.players);
        u.currentPlayerIndex = c.current;
        const std::string gone = c.players[static_cast<size_t>(c.current)];

        EXPECT_EQ(u.DeleteCurrentPlayer(), 0);
        EXPECT_EQ(PlayerNames(u), c.after);
        EXPECT_EQ(u.currentPlayerIndex, c.currentAfter);
        EXPECT_FALSE(std::filesystem::exists(PlayerFolder(gone)));
        for (const std::string& name : c.after)
            EXPECT_TRUE(std::filesystem::exists(PlayerFolder(name) + "/player.xml")) << name;
        EXPECT_EQ(g_DebugLog, "");
        TearDown();
    }
}

TEST_F(State, DeletingTheLastPlayerMovesTheDefaultPlayerIntoALeftOverFolder) {
    AddPlayers({"Alice"});
    std::filesystem::create_directory(PlayerFolder("Nameless Wonder"));
    ASSERT_EQ(WriteWholeFile(PlayerFolder("Nameless Wonder") + "/save_alpha.xml", "saved", 0444), 1);

    u.DeleteCurrentPlayer();
    EXPECT_EQ(PlayerNames(u), std::vector<std::string>{"Nameless Wonder"});
    EXPECT_EQ(u.currentPlayerIndex, 0);
    EXPECT_EQ(ReadText(PlayerFolder("Nameless Wonder") + "/player.xml"),
              ReadText(FixturePath("universe/expected/nameless_wonder_player.xml")));
    EXPECT_EQ(ReadText(PlayerFolder("Nameless Wonder") + "/save_alpha.xml"), "saved");
}

TEST_F(State, DeletingTheDefaultPlayerResetsIt) {
    AddPlayers({"Alice"});
    u.playersArray.push_back(std::make_shared<Player>());
    Player& wonder = *u.playersArray.back();
    ASSERT_EQ(wonder.CreateNewPlayer(u.playersPath, "Nameless Wonder", "secret"), 1);
    auto stat = std::make_shared<GameStat>();
    stat->score = 1234;
    wonder.AddGameStat(stat);
    ASSERT_EQ(wonder.SaveToFile(u.playersPath), 1);
    ASSERT_EQ(WriteWholeFile(PlayerFolder("Nameless Wonder") + "/save_alpha.xml", "saved", 0444), 1);
    u.currentPlayerIndex = 1;

    EXPECT_EQ(u.DeleteCurrentPlayer(), 0);
    EXPECT_EQ(PlayerNames(u), (std::vector<std::string>{"Alice", "Nameless Wonder"}));
    EXPECT_EQ(u.currentPlayerIndex, 1);
    EXPECT_EQ(wonder.TestPassword(""), 1);
    EXPECT_FALSE(std::filesystem::exists(PlayerFolder("Nameless Wonder") + "/save_alpha.xml"));

    Player reloaded;
    EXPECT_EQ(reloaded.LoadFromFile(u.playersPath, "Nameless Wonder"), 1);
    ASSERT_EQ(reloaded.gameStatsArray.size(), 1u);
    EXPECT_EQ(reloaded.gameStatsArray[0]->score, 1234);
    EXPECT_EQ(reloaded.TestPassword(""), 1);
}

TEST_F(State, DeletingACopyOfTheDefaultPlayerRemovesOnlyTheCopy) {
    AddPlayers({"Alice", "Nameless Wonder"});
    std::filesystem::copy(PlayerFolder("Nameless Wonder"), PlayerFolder("Wonder copy"),
                          std::filesystem::copy_options::recursive);
    u.playersArray.push_back(std::make_shared<Player>());
    ASSERT_EQ(u.playersArray.back()->LoadFromFile(u.playersPath, "Wonder copy"), 1);
    const std::string original = ReadText(PlayerFolder("Nameless Wonder") + "/player.xml");
    u.currentPlayerIndex = 2;

    // Its folder goes; the default player's own folder holds the other one, so the copy cannot
    // be made again there and its entry goes too.
    EXPECT_EQ(u.DeleteCurrentPlayer(), 0);
    EXPECT_FALSE(std::filesystem::exists(PlayerFolder("Wonder copy")));
    EXPECT_EQ(ReadText(PlayerFolder("Nameless Wonder") + "/player.xml"), original);
    EXPECT_EQ(PlayerNames(u), (std::vector<std::string>{"Alice", "Nameless Wonder"}));
    EXPECT_EQ(u.playersArray[1]->folderName, "Nameless Wonder");
    EXPECT_EQ(u.currentPlayerIndex, 1);
}

TEST_F(State, APlayerWhoseFolderIsGoneStaysCurrent) {
    AddPlayers({"Alice", "Bob"});
    std::filesystem::remove_all(PlayerFolder("Bob"));
    u.currentPlayerIndex = 1;
    EXPECT_EQ(u.DeleteCurrentPlayer(), 0);
    EXPECT_EQ(PlayerNames(u), (std::vector<std::string>{"Alice", "Bob"}));
    EXPECT_EQ(u.currentPlayerIndex, 1);
}

TEST_F(State, DeletingWithoutACurrentPlayerIsLogged) {
    u.currentPlayerIndex = 3;
    EXPECT_EQ(u.DeleteCurrentPlayer(), 0);
    EXPECT_EQ(DebugLogLines(),
              std::vector<std::string>{"universe:Universe.DeleteCurrentPlayer() " + std::string(kBadIndexMessage)});
}

// ---------------------------------------------------------------------------
// Release at shutdown.

TEST_F(State, UnlinkReleasesEverythingButSettingsAndStatistics) {
    Universe& started = StartUniverse();
    started.CalculatePlayerStatistics();
    started.screenWidth = 1024;
    ASSERT_FALSE(started.languageStringsArray.empty());
    const std::string strings = started.languageStringsXML;
    std::vector<SoundPtr> sounds = {started.sndButtonClick, started.sndButtonStartGame, started.sndButtonQuit,
                                    started.sndButtonCancel};

    EXPECT_EQ(started.Unlink(), 0);
    EXPECT_TRUE(started.playersArray.empty() && started.packsArray.empty() && started.languageStringsArray.empty());
    EXPECT_FALSE(started.DialogImage || started.MenuBackgroundImage || started.cursorImage || started.currentGame);
    EXPECT_FALSE(started.buttonQuitToMain || started.buttonQuitCompletely || started.buttonNewFromThisLevel ||
                 started.buttonNewGame);
    EXPECT_FALSE(started.sndButtonClick || started.sndButtonStartGame || started.sndButtonQuit ||
                 started.sndButtonCancel);
    for (const SoundPtr& s : sounds) EXPECT_FALSE(s->soundData);  // each was unlinked

    EXPECT_EQ(started.playersPath, "data/players/");
    EXPECT_EQ(started.languageStringsXML, strings);
    EXPECT_EQ(started.statsHighScores.size(), 15u);
    EXPECT_EQ(started.screenWidth, 1024);
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(State, AUniverseThatNeverStartedUnlinksQuietly) {
    EXPECT_EQ(u.Unlink(), 0);
    EXPECT_EQ(g_DebugLog, "");
}

// ---------------------------------------------------------------------------
// Saved-game presence.

TEST_F(State, AContinueNeedsANonEmptySavedGameOfTheCurrentPack) {
    struct Case {
        const char* name;
        const char* fileName;  // null: no file
        const char* content;
        int expected;
    };
    const Case cases[] = {
        {"no file", nullptr, "", 0},
        {"an empty file", "save_alpha.xml", "", 0},
        {"any content, damaged or not", "save_alpha.xml", "garbage", 1},
        {"another pack's save", "save_beta.xml", "<saveData>", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        AddPlayers({"Alice", "Bob"});
        AddPack("alpha");
        AddPack("beta");
        AddPack("alpha");  // two packs of one save name share the saved game
        u.currentPlayerIndex = 1;
        if (c.fileName) {
            ASSERT_EQ(WriteWholeFile(PlayerFolder("Bob") + "/" + c.fileName, c.content, 0444), 1);
        }
        u.currentPackIndex = 0;
        EXPECT_EQ(u.ContinueExists(), c.expected);
        u.currentPackIndex = 2;
        EXPECT_EQ(u.ContinueExists(), c.expected);
        u.currentPlayerIndex = 0;
        EXPECT_EQ(u.ContinueExists(), 0);
        EXPECT_EQ(g_DebugLog, "");
        TearDown();
    }
}

TEST_F(State, WithoutPlayersOrPacksNothingCanBeContinued) {
    EXPECT_EQ(u.ContinueExists(), 0);  // neither
    AddPlayers({"Alice"});
    EXPECT_EQ(u.ContinueExists(), 0);  // no pack
    u.playersArray.clear();
    AddPack("alpha");
    EXPECT_EQ(u.ContinueExists(), 0);  // no player
    EXPECT_EQ(g_DebugLog, "");
}

// ---------------------------------------------------------------------------
// Button sounds.

TEST_F(State, ButtonSoundsLoadWhateverTheVolumes) {
    g_sfxVolume = 0.0f;
    g_musicVolume = 0.0f;
    EXPECT_EQ(u.LoadButtonSounds(), 0);
    EXPECT_EQ(u.buttonSoundXML, ReadText(dataFolder + "data/sounds/sound.xml"));
    struct Case {
        SoundPtr sound;
        const char* name;
    };
    const Case cases[] = {{u.sndButtonClick, "click"},
                          {u.sndButtonStartGame, "start"},
                          {u.sndButtonQuit, "quit"},
                          {u.sndButtonCancel, "cancel"}};
    for (const Case& c : cases) {
        ASSERT_TRUE(c.sound);
        EXPECT_EQ(c.sound->name, c.name);
        EXPECT_EQ(c.sound->fileName, dataFolder + "data/sounds/blip.wav");
        EXPECT_TRUE(c.sound->soundData) << c.name;
    }

    // Each call makes four new sounds and reads the file again.
    SoundPtr firstClick = u.sndButtonClick;
    std::string xml = ReadText(dataFolder + "data/sounds/sound.xml");
    xml.replace(xml.find("<button_cancel>"), 15, "<button_gone>");
    xml.replace(xml.find("</button_cancel>"), 16, "</button_gone>");
    ASSERT_EQ(WriteWholeFile(dataFolder + "data/sounds/sound.xml", xml, 0644), 1);
    u.LoadButtonSounds();
    EXPECT_NE(u.sndButtonClick, firstClick);
    EXPECT_TRUE(u.sndButtonClick->soundData && u.sndButtonStartGame->soundData && u.sndButtonQuit->soundData);
    ASSERT_TRUE(u.sndButtonCancel);
    EXPECT_FALSE(u.sndButtonCancel->soundData);
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(State, WithoutTheSoundListTheButtonsAreSilent) {
    std::filesystem::remove(dataFolder + "data/sounds/sound.xml");
    u.LoadButtonSounds();
    for (const SoundPtr& s : {u.sndButtonClick, u.sndButtonStartGame, u.sndButtonQuit, u.sndButtonCancel}) {
        ASSERT_TRUE(s);
        EXPECT_FALSE(s->soundData);
    }
    EXPECT_NE(
        g_DebugLog.find("io:ReadFileToString() A file could not be read. (" + dataFolder + "data/sounds/sound.xml)"),
        std::string::npos)
        << g_DebugLog;
}

}  // namespace
