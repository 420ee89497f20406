// Start-up of the application state: the first run's copies, the players and packs found in
// their folders, the choice of the current ones, and how start-up copes with missing files.
#include <filesystem>
#include <vector>

#include "universe_support.h"

namespace {

const char kUnknown[] = "An error occured.  (Specifics are unavailable.)";

class StartUp : public UniverseTest {
protected:
    // A player made the way the game makes one, in the per-user players folder.
    void MakePlayer(const std::string& name, const std::string& password) {
        LoadErrorCodes("data/", "en");
        std::filesystem::create_directories(userFolder + "data/players");
        Player player;
        ASSERT_EQ(player.CreateNewPlayer("data/players/", name, password), 1) << name;
    }
    void UseUserPrefs(const std::string& extra) {
        WriteUserFile("data/prefs.xml",
                      "<universe>\n\t<packsPath>data/packs/</packsPath>\n"
                      "\t<playersPath>data/players/</playersPath>\n" +
                          extra + "</universe>\n");
    }
    bool LogHas(const std::string& text) { return g_DebugLog.find(text) != std::string::npos; }
};

// ---------------------------------------------------------------------------
// The first run.

TEST_F(StartUp, FirstRunCopiesTheDefaultsAndCreatesTheDefaultPlayer) {
    testing::internal::CaptureStdout();
    Universe& u = StartUniverse();
    const std::string out = testing::internal::GetCapturedStdout();

    const std::string prefsPath = userFolder + "data/prefs.xml";
    EXPECT_EQ(ReadText(prefsPath), ReadText(dataFolder + "data/default_prefs.xml"));
    EXPECT_EQ(ModeOf(prefsPath), 0444);

    const std::string playerPath = userFolder + "data/players/Nameless Wonder/player.xml";
    EXPECT_EQ(ReadText(playerPath), ReadText(FixturePath("universe/expected/nameless_wonder_player.xml")));
    EXPECT_EQ(ModeOf(playerPath), 0444);
    EXPECT_NE(out.find("Writing player file: " + playerPath), std::string::npos) << out;
    EXPECT_EQ(g_DebugLog, "");

    EXPECT_EQ(PlayerNames(u), std::vector<std::string>{"Nameless Wonder"});
    EXPECT_EQ(u.currentPlayerIndex, 0);
    EXPECT_EQ(u.playersArray[0]->TestPassword(""), 1);
    ASSERT_EQ(u.packsArray.size(), 2u);
    EXPECT_EQ(u.packsArray[0]->path, dataFolder + "data/packs/alpha/");
    EXPECT_EQ(u.packsArray[0]->saveName, "alpha_save");
    EXPECT_EQ(u.packsArray[0]->readMe, "The first pack.");
    EXPECT_EQ(u.packsArray[1]->name, "Beta Pack");
    EXPECT_EQ(u.currentPackIndex, 0);

    // The copied values take effect in the same run.
    EXPECT_EQ(u.packsPath, "data/packs/");
    EXPECT_EQ(u.soundsPath, "data/sounds/");
    EXPECT_EQ(u.imagesPath, "data/images/");
    EXPECT_EQ(u.playersPath, "data/players/");
    EXPECT_EQ(u.appPath, "");
    EXPECT_EQ(g_language, "en");
    EXPECT_EQ(g_maxBalls, 12);
    EXPECT_EQ(g_maxParticles, 200);
    EXPECT_EQ(g_useBallTrails, 0);
    EXPECT_EQ(g_sfxVolume, 0.5f);
    EXPECT_EQ(g_musicVolume, 0.25f);
    EXPECT_EQ(g_ScreenWidth, 800);
    EXPECT_EQ(g_ScreenHeight, 600);
    EXPECT_EQ(g_isFullscreen, 0);

    EXPECT_EQ(u.languageStringsArray.size(), 8u);
    EXPECT_EQ(g_errormessage.empty(), false);
    EXPECT_TRUE(u.DialogImage && u.MenuBackgroundImage && u.cursorImage);
    for (const SoundPtr& s : {u.sndButtonClick, u.sndButtonStartGame, u.sndButtonQuit, u.sndButtonCancel}) {
        ASSERT_TRUE(s);
        EXPECT_TRUE(s->soundData) << s->name;
    }
    for (const MenuButtonPtr& b :
         {u.buttonQuitToMain, u.buttonQuitCompletely, u.buttonNewFromThisLevel, u.buttonNewGame}) {
        ASSERT_TRUE(b);
        EXPECT_EQ(b->text, "OK");
        EXPECT_EQ(b->hotKey, -1);
        EXPECT_EQ(b->width, 0.0f);
    }
    EXPECT_NE(u.buttonQuitToMain, u.buttonNewGame);
}

TEST_F(StartUp, PreferencesComeFromTheUserFileOrAFreshCopyOfTheDefaults) {
    struct Case {
        const char* name;
        bool userFile;
        const char* userText;
        bool expectCopy;
    };
    const Case cases[] = {
        {"missing", false, "", true},
        {"empty", true, "", true},
        {"own", true, "<universe><packsPath>data/packs/</packsPath><maxBalls>7</maxBalls></universe>", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        if (c.userFile) WriteUserFile("data/prefs.xml", c.userText);
        // With a file of the user's own, the defaults are never looked at.
        if (!c.expectCopy) std::filesystem::remove(dataFolder + "data/default_prefs.xml");
        StartUniverse();
        const std::string prefsPath = userFolder + "data/prefs.xml";
        if (c.expectCopy) {
            EXPECT_EQ(ReadText(prefsPath), ReadText(dataFolder + "data/default_prefs.xml"));
            EXPECT_EQ(ModeOf(prefsPath), 0444);
            EXPECT_EQ(g_maxBalls, 12);
        } else {
            EXPECT_EQ(ReadText(prefsPath), c.userText);
            EXPECT_EQ(ModeOf(prefsPath), 0644);
            EXPECT_EQ(g_maxBalls, 7);
        }
        TearDown();
    }
}

TEST_F(StartUp, WithoutAnyPreferencesStartUpStopsAndWritesNothing) {
    std::filesystem::remove(dataFolder + "data/default_prefs.xml");
    g_gameUniverse = std::make_shared<Universe>();
    EXPECT_THROW(g_gameUniverse->Initialize(), std::string);
    EXPECT_EQ(DebugLogLines(),
              std::vector<std::string>{std::string(kUnknown) + " (Your default preferences file is missing.  "
                                                               "Please re-install Brondelvix 2.)"});
    EXPECT_TRUE(std::filesystem::is_empty(userFolder));
}

// ---------------------------------------------------------------------------
// Players and the current player.

TEST_F(StartUp, OnlyFoldersHoldingAPlayerFileArePlayers) {
    CopyFixturePlayers();
    Universe& u = StartUniverse();
    EXPECT_EQ(PlayerNames(u), (std::vector<std::string>{"Alice", "Bob"}));
    EXPECT_FALSE(std::filesystem::exists(userFolder + "data/players/Nameless Wonder"));
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(StartUp, TheRememberedPlayerIsChosenOnlyWithoutPassword) {
    struct Case {
        const char* remembered;
        std::vector<std::pair<std::string, std::string>> players;  // name, password
        std::vector<std::string> copies;                           // extra folders copying the first player
        int expectedIndex;
    };
    const Case cases[] = {
        {"Bob", {{"Alice", ""}, {"Bob", ""}}, {}, 1},
        // The remembered player has a password: the last default player, else the first one.
        {"Bob", {{"Alice", ""}, {"Bob", "secret"}}, {}, 0},
        {"Bob", {{"Alice", ""}, {"Bob", "secret"}, {"Nameless Wonder", ""}}, {}, 2},
        {"Nobody", {{"Alice", ""}, {"Nameless Wonder", ""}, {"Zed", ""}}, {}, 1},
        // Names compare exactly.
        {"alice", {{"Alice", ""}, {"Bob", ""}}, {}, 0},
        // Two folders holding the same remembered player: the later one wins.
        {"Carol", {{"Carol", ""}}, {"Carol copy"}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.remembered + std::string(" / ") + std::to_string(c.expectedIndex));
        SetUp();
        for (const auto& [name, password] : c.players) MakePlayer(name, password);
        for (const std::string& copy : c.copies) {
            std::filesystem::copy(userFolder + "data/players/" + c.players[0].first,
                                  userFolder + "data/players/" + copy, std::filesystem::copy_options::recursive);
        }
        UseUserPrefs("\t<currentPlayerName>" + std::string(c.remembered) + "</currentPlayerName>\n");
        Universe& u = StartUniverse();
        EXPECT_EQ(u.currentPlayerIndex, c.expectedIndex) << testing::PrintToString(PlayerNames(u));
        TearDown();
    }
}

TEST_F(StartUp, RenamedAndCopiedPlayerFoldersKeepEveryRecord) {
    MakePlayer("Ann", "");
    MakePlayer("Cy", "");
    const std::string players = userFolder + "data/players/";
    // By hand: Ann's folder copied, with a saved game in the copy only; Cy's renamed.
    std::filesystem::copy(players + "Ann", players + "Ann copy", std::filesystem::copy_options::recursive);
    WriteUserFile("data/players/Ann copy/save_alpha_save.xml", "<saveData></saveData>\n");
    std::filesystem::rename(players + "Cy", players + "Cy moved");
    UseUserPrefs("\t<currentPlayerName>Ann</currentPlayerName>\n");
    Universe& u = StartUniverse();

    // The names shown are those in the files; of two players of one name, the later folder
    // in byte order is the one remembered.
    EXPECT_EQ(PlayerNames(u), (std::vector<std::string>{"Ann", "Ann", "Cy"}));
    std::vector<std::string> folders;
    for (const PlayerPtr& p : u.playersArray) folders.push_back(p->folderName);
    EXPECT_EQ(folders, (std::vector<std::string>{"Ann", "Ann copy", "Cy moved"}));
    EXPECT_EQ(u.currentPlayerIndex, 1);
    EXPECT_EQ(u.ContinueExists(), 1);
    u.currentPlayerIndex = 0;
    EXPECT_EQ(u.ContinueExists(), 0);

    // A game finished by each, as the main program records it.
    const std::string annBefore = ReadText(players + "Ann/player.xml");
    for (size_t i : {1u, 2u, 0u}) {
        auto stat = std::make_shared<GameStat>();
        stat->score = 100 * static_cast<int64_t>(i + 1);
        stat->time = 1000;
        u.playersArray[i]->AddGameStat(stat);
        ASSERT_EQ(u.playersArray[i]->SaveToFile(u.playersPath), 1) << i;
        if (i != 0) {
            EXPECT_EQ(ReadText(players + "Ann/player.xml"), annBefore) << i;
        }
    }
    EXPECT_FALSE(std::filesystem::exists(players + "Cy"));

    // The scores read every player back from its own folder.
    u.CalculatePlayerStatistics();
    EXPECT_EQ(u.statsTotalGamesPlayed, 3);
    EXPECT_EQ(u.statsTotalPointsScored, 600);
    for (size_t i = 0; i < 3; ++i) {
        ASSERT_EQ(u.playersArray[i]->gameStatsArray.size(), 1u) << i;
        EXPECT_EQ(u.playersArray[i]->gameStatsArray[0]->score, 100 * static_cast<int64_t>(i + 1)) << i;
    }
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(StartUp, DamagedPlayerFilesAreLeftOutAndSaidOnStandardError) {
    const std::string bea = ReadText(FixturePath("players/profiles/Bea/player.xml"));
    const std::string cut = bea.substr(0, bea.find("<password>"));
    struct Damaged {
        std::string folder, text;
    };
    struct Case {
        const char* name;
        bool withFixturePlayers;
        std::vector<Damaged> damaged;
        std::vector<std::string> folders;  // of the players found, in order
    };
    const Case cases[] = {
        {"beside a sound player",
         true,
         {{"Empty", ""}, {"Garbage", "\x01\x02 not a player <<<"}, {"Zcut", cut}},
         {"Alice", "Bob"}},
        // The default player never writes over a damaged file: it takes a folder beside it.
        {"every player damaged",
         false,
         {{"Nameless Wonder", cut}, {"Nameless Wonder 2", "garbage"}},
         {"Nameless Wonder 3"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        const std::string players = userFolder + "data/players/";
        if (c.withFixturePlayers) CopyFixturePlayers();
        for (const Damaged& d : c.damaged) {
            WriteUserFile("data/players/" + d.folder + "/player.xml", d.text);
            ASSERT_EQ(chmod((players + d.folder + "/player.xml").c_str(), 0444), 0);
        }

        testing::internal::CaptureStderr();
        testing::internal::CaptureStdout();
        Universe& u = StartUniverse();
        testing::internal::GetCapturedStdout();
        const std::string err = testing::internal::GetCapturedStderr();

        std::vector<std::string> folders;
        for (const PlayerPtr& p : u.playersArray) folders.push_back(p->folderName);
        EXPECT_EQ(folders, c.folders);
        for (const PlayerPtr& p : u.playersArray) EXPECT_NE(TrimText(p->name), "");
        for (const Damaged& d : c.damaged) {
            const std::string file = players + d.folder + "/player.xml";
            EXPECT_NE(err.find("\"" + file + "\" is damaged or cannot be read"), std::string::npos) << err;
            EXPECT_EQ(ReadText(file), d.text);
            EXPECT_EQ(ModeOf(file), 0444);
        }
        EXPECT_EQ(g_DebugLog, "");
        TearDown();
    }
}

TEST_F(StartUp, ADefaultPlayerFolderWithoutPlayerFileGetsThePlayerWritten) {
    // Left behind by a crash mid-way through a reset: only a saved game is in it.
    WriteUserFile("data/players/Nameless Wonder/save_alpha_save.xml", "<saveData></saveData>\n");
    Universe& u = StartUniverse();

    EXPECT_EQ(PlayerNames(u), std::vector<std::string>{"Nameless Wonder"});
    EXPECT_EQ(u.currentPlayerIndex, 0);
    const std::string folder = userFolder + "data/players/Nameless Wonder/";
    EXPECT_EQ(ReadText(folder + "player.xml"), ReadText(FixturePath("universe/expected/nameless_wonder_player.xml")));
    EXPECT_EQ(ModeOf(folder + "player.xml"), 0444);
    EXPECT_TRUE(std::filesystem::exists(folder + "save_alpha_save.xml"));
    EXPECT_EQ(u.ContinueExists(), 1);

    // The next start finds an ordinary player.
    Player again;
    EXPECT_EQ(again.LoadFromFile("data/players/", "Nameless Wonder"), 1);
    EXPECT_EQ(again.TestPassword(""), 1);
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(StartUp, AFileInTheWayOfTheDefaultPlayerIsMovedAside) {
    struct Case {
        const char* name;
        std::vector<std::string> earlier;  // names already taken beside it
        const char* movedTo;
    };
    const Case cases[] = {
        {"first", {}, "Nameless Wonder.blocked"},
        {"taken", {"Nameless Wonder.blocked", "Nameless Wonder.blocked-2"}, "Nameless Wonder.blocked-3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        const std::string players = userFolder + "data/players/";
        WriteUserFile("data/players/Nameless Wonder", "the player's own bytes\n");
        for (const std::string& name : c.earlier) WriteUserFile("data/players/" + name, name);

        testing::internal::CaptureStderr();
        testing::internal::CaptureStdout();
        Universe& u = StartUniverse();
        testing::internal::GetCapturedStdout();
        const std::string err = testing::internal::GetCapturedStderr();

        EXPECT_EQ(ReadText(players + c.movedTo), "the player's own bytes\n");
        for (const std::string& name : c.earlier) EXPECT_EQ(ReadText(players + name), name);
        EXPECT_NE(err.find(players + c.movedTo), std::string::npos) << err;
        EXPECT_EQ(g_DebugLog, "");

        ASSERT_EQ(PlayerNames(u), std::vector<std::string>{"Nameless Wonder"});
        EXPECT_EQ(u.currentPlayerIndex, 0);
        EXPECT_EQ(ReadText(players + "Nameless Wonder/player.xml"),
                  ReadText(FixturePath("universe/expected/nameless_wonder_player.xml")));
        TearDown();
    }
}

// ---------------------------------------------------------------------------
// Packs and the current pack.

TEST_F(StartUp, TheRememberedPackIsFoundBySaveNameOnly) {
    struct Case {
        const char* remembered;
        int expectedIndex;
    };
    const Case cases[] = {{"beta_save", 1}, {"alpha_save", 0}, {"Beta Pack", 0}, {"BETA_SAVE", 0}, {"", 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.remembered);
        SetUp();
        UseUserPrefs("\t<currentPackName>" + std::string(c.remembered) + "</currentPackName>\n");
        EXPECT_EQ(StartUniverse().currentPackIndex, c.expectedIndex);
        TearDown();
    }
}

TEST_F(StartUp, AnEmptyPacksPathLooksForPacksInTheDataFolderItself) {
    std::filesystem::copy(dataFolder + "data/packs/beta", dataFolder + "beta direct",
                          std::filesystem::copy_options::recursive);
    // Set, though empty: nothing to mend (a missing one would come back from the defaults).
    WriteUserFile("data/prefs.xml",
                  "<universe><packsPath></packsPath><playersPath>data/players/</playersPath></universe>");
    Universe& u = StartUniverse();
    ASSERT_EQ(u.packsArray.size(), 1u);
    EXPECT_EQ(u.packsArray[0]->path, dataFolder + "beta direct/");
    EXPECT_EQ(u.packsArray[0]->saveName, "beta_save");
}

TEST_F(StartUp, WithoutAnyPackTheProgramEndsWithTheAlert) {
    struct Case {
        const char* severity;
        bool errorLogWritten;
    };
    // A raising severity logs the report, and the log is saved; severity 0 logs nothing.
    const Case cases[] = {{"3", true}, {"0", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.severity);
        SetUp();
        std::string codes = ReadText(dataFolder + "data/errorcodes.xml");
        const std::string from = "<code>-11</code>\n\t\t<severity>3</severity>";
        ASSERT_NE(codes.find(from), std::string::npos);
        codes.replace(codes.find(from), from.size(),
                      "<code>-11</code>\n\t\t<severity>" + std::string(c.severity) + "</severity>");
        ASSERT_EQ(WriteWholeFile(dataFolder + "data/errorcodes.xml", codes), 1);
        UseUserPrefs("\t<packsPath>data/no_packs/</packsPath>\n");

        // Without content the run cannot go on, and its exit status says so.
        EXPECT_EXIT(StartUniverse(), testing::ExitedWithCode(kCannotGoOnStatus), "No content pack was found\\.");
        EXPECT_EQ(std::filesystem::exists(userFolder + "bx2_error_log.txt"), c.errorLogWritten);
        if (c.errorLogWritten) {
            EXPECT_NE(ReadText(userFolder + "bx2_error_log.txt").find(" ERR: No content pack was found."),
                      std::string::npos);
        }
        TearDown();
    }
}

// ---------------------------------------------------------------------------
// Missing data files.

TEST_F(StartUp, WithoutStringsFileEveryTextStaysEnglish) {
    std::filesystem::remove(dataFolder + "data/strings.xml");
    Universe& u = StartUniverse();
    EXPECT_TRUE(u.languageStringsArray.empty());
    EXPECT_EQ(u.languageStringsXML, "");
    g_language = "fr";
    EXPECT_EQ(u.GetLocalizedString("New Game"), "New Game");
    EXPECT_TRUE(LogHas("io:ReadFileToString() " + std::string(kUnknown) + " (" + dataFolder + "data/strings.xml)"));
    EXPECT_EQ(PlayerNames(u), std::vector<std::string>{"Nameless Wonder"});
}

TEST_F(StartUp, AMissingInterfacePictureIsReportedAndLeftNull) {
    struct Case {
        const char* file;
        BigImagePtr Universe::*bigImage;  // null for the pointer image
    };
    const Case cases[] = {
        {"dialog.png", &Universe::DialogImage},
        {"title.png", &Universe::MenuBackgroundImage},
        {"cursor.png", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        SetUp();
        const std::string path = dataFolder + "data/images/" + c.file;
        std::filesystem::remove(path);
        Universe& u = StartUniverse();
        if (c.bigImage) {
            EXPECT_FALSE(u.*c.bigImage);
            EXPECT_TRUE(u.cursorImage);
        } else {
            EXPECT_FALSE(u.cursorImage);
            EXPECT_TRUE(u.DialogImage && u.MenuBackgroundImage);
        }
        EXPECT_TRUE(LogHas("universe:LoadInterfacePicture() " + std::string(kUnknown) + " (" + path + ")"))
            << g_DebugLog;
        // Start-up goes on to the end.
        EXPECT_TRUE(u.buttonNewGame);
        EXPECT_EQ(u.packsArray.size(), 2u);
        TearDown();
    }
}

}  // namespace
