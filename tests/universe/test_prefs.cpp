// The preferences file: how start-up reads each key into its target, how a damaged file is
// mended from the defaults, and the write-back of the eleven remembered settings that leaves
// every other element and all other text of a whole file alone.
#include <functional>
#include <vector>

#include "universe_support.h"

namespace {

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    const size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

class Prefs : public UniverseTest {
protected:
    // Start-up from a per-user file holding the folders and the given elements. The default
    // preferences are out of reach, so nothing is mended and each key's own rule decides.
    Universe& StartWith(const std::string& elements) {
        std::filesystem::remove(dataFolder + "data/default_prefs.xml");
        WriteUserFile("data/prefs.xml",
                      "<universe>\n\t<packsPath>data/packs/</packsPath>\n"
                      "\t<playersPath>data/players/</playersPath>\n" +
                          elements + "</universe>\n");
        return StartUniverse();
    }
};

// ---------------------------------------------------------------------------
// Reading at start-up.

TEST_F(Prefs, EveryKeyIsReadByItsRule) {
    using Target = std::function<std::string()>;
    const Target appPath = [] { return g_gameUniverse->appPath; };
    const Target soundsPath = [] { return g_gameUniverse->soundsPath; };
    const Target imagesPath = [] { return g_gameUniverse->imagesPath; };
    const Target language = [] { return g_language; };
    const Target virtualWidth = [] { return IntToText(g_virtualWidth); };
    const Target virtualHeight = [] { return IntToText(g_virtualHeight); };
    const Target maxBalls = [] { return IntToText(g_maxBalls); };
    const Target maxParticles = [] { return IntToText(g_maxParticles); };
    const Target useBallTrails = [] { return IntToText(g_useBallTrails); };
    const Target soundVolume = [] { return FloatToText(g_sfxVolume); };
    const Target musicVolume = [] { return FloatToText(g_musicVolume); };
    const Target screenWidth = [] { return IntToText(g_ScreenWidth); };
    const Target screenHeight = [] { return IntToText(g_ScreenHeight); };
    const Target screenDepth = [] { return IntToText(g_ScreenDepth); };
    const Target screenHertz = [] { return IntToText(g_ScreenHertz); };
    const Target isFullscreen = [] { return IntToText(g_isFullscreen); };
    const Target forceDesktop = [] { return IntToText(g_forceDesktopResolution); };
    const Target isFastComputer = [] { return IntToText(g_isFastComputer); };

    struct Case {
        const char* elements;  // "" for an absent key
        Target target;
        const char* expected;
    };
    const Case cases[] = {
        // Text: taken as it stands; absent or empty gives the empty text.
        {"<appPath>app/</appPath>", appPath, "app/"},
        {"", appPath, ""},
        {"<soundsPath> s p a c e d </soundsPath>", soundsPath, " s p a c e d "},
        {"<imagesPath>a&lt;b&gt;&tab;c</imagesPath>", imagesPath, "a<b>\tc"},
        {"<language>fr</language>", language, "fr"},
        {"<language></language>", language, ""},
        {"<LANGUAGE>de</LANGUAGE>", language, "de"},
        {"<language>fr</language><language>de</language>", language, "de"},
        // Integers: a value that reads as 0 counts only when it is "0".
        {"<virtualWidth>800</virtualWidth>", virtualWidth, "800"},
        {"<virtualWidth></virtualWidth>", virtualWidth, "1024"},
        {"<virtualHeight>abc</virtualHeight>", virtualHeight, "768"},
        {"<maxBalls>abc</maxBalls>", maxBalls, "16"},
        {"<maxBalls>0</maxBalls>", maxBalls, "0"},
        {"<maxBalls>  0  </maxBalls>", maxBalls, "0"},
        {"<maxBalls>00</maxBalls>", maxBalls, "16"},
        {"<maxBalls>12xyz</maxBalls>", maxBalls, "12"},
        {"", maxBalls, "16"},
        {"<maxParticles>-5</maxParticles>", maxParticles, "-5"},
        {"", maxParticles, "256"},
        {"<useBallTrails>0</useBallTrails>", useBallTrails, "0"},
        {"", useBallTrails, "1"},
        // Floats: 0 never replaces the default.
        {"<soundVolume>1.00000000</soundVolume>", soundVolume, "1.00000000"},
        {"<soundVolume>0.0</soundVolume>", soundVolume, "0.00000000"},
        {"", soundVolume, "0.00000000"},
        {"<musicVolume>0.25</musicVolume>", musicVolume, "0.250000000"},
        {"<musicVolume>loud</musicVolume>", musicVolume, "0.00000000"},
        // Screen settings, unchecked.
        {"<screenWidth>1280</screenWidth>", screenWidth, "1280"},
        {"", screenWidth, "-1"},
        {"<screenHeight>1024</screenHeight>", screenHeight, "1024"},
        {"<screenDepth>16</screenDepth>", screenDepth, "16"},
        {"<screenHertz>75</screenHertz>", screenHertz, "75"},
        {"<isFullscreen>1</isFullscreen>", isFullscreen, "1"},
        {"", isFullscreen, "-1"},
        {"<forceDesktopResolution>1</forceDesktopResolution>", forceDesktop, "1"},
        {"", forceDesktop, "0"},
        {"<isFastComputer>0</isFastComputer>", isFastComputer, "0"},
        {"", isFastComputer, "1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.elements);
        SetUp();
        StartWith(c.elements);
        EXPECT_EQ(c.target(), c.expected);
        TearDown();
    }
}

TEST_F(Prefs, AFontPathOtherThanTheBuiltInOneIsBelowTheDataFolder) {
    const std::string builtIn = g_fontPath;
    struct Case {
        std::string elements;
        std::string expected;
    };
    const Case cases[] = {
        {"", builtIn},
        {"<fontPath></fontPath>", builtIn},
        {"<fontPath>" + builtIn + "</fontPath>", builtIn},
        {"<fontPath>fonts/Arial.ttf</fontPath>", dataFolder + "fonts/Arial.ttf"},
        {"<fontPath>/Library/Fonts/Other</fontPath>", dataFolder + "/Library/Fonts/Other"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.elements);
        SetUp();
        StartWith(c.elements);
        EXPECT_EQ(g_fontPath, c.expected);
        TearDown();
    }
}

TEST_F(Prefs, FolderSettingsHaveNoDefault) {
    StartWith("");
    const Universe& u = *g_gameUniverse;
    EXPECT_EQ(u.appPath, "");
    EXPECT_EQ(u.soundsPath, "");
    EXPECT_EQ(u.imagesPath, "");
    EXPECT_EQ(g_language, "");
    // The folders that are used still work from the file's values.
    EXPECT_EQ(u.packsArray.size(), 2u);
    EXPECT_EQ(PlayerNames(u), std::vector<std::string>{"Nameless Wonder"});
}

TEST_F(Prefs, ADamagedFileIsMendedFromTheDefaultsAndWrittenWhole) {
    const std::string defaults = ReadText(dataFolder + "data/default_prefs.xml");
    // The player's own file: the defaults with three values of their own.
    const std::string own = Replace(Replace(Replace(defaults, "<imagesPath>data/images/<", "<imagesPath>my/images/<"),
                                            "<useBallTrails>0<", "<useBallTrails>1<"),
                                    "<currentPackName>alpha_save<", "<currentPackName>beta_save<");
    const std::string cutInPlayersPath =
        own.substr(0, own.find("<playersPath>") + std::string("<playersPath>data/pl").size());
    const char binary[] = "\x89PNG\r\n\x1a\n\0\xff<<</>>> not preferences at all";
    const std::string muted = Replace(own, "<soundVolume>0.500000000<", "<soundVolume>0.00000000<");
    const std::string noPack = Replace(own, "<currentPackName>beta_save<", "<currentPackName><");
    struct Case {
        const char* name;
        std::string file;
        std::string mended;  // the file after start-up
        std::string said;    // on standard error; "" for nothing
        const char* imagesPath;
        int useBallTrails;
        int packIndex;
    };
    const Case cases[] = {
        {"garbage", std::string(binary, sizeof binary - 1), defaults, "was damaged", "data/images/", 0, 0},
        {"empty", "", defaults, "was empty or unreadable", "data/images/", 0, 0},
        {"cut before packsPath", own.substr(0, own.find("<packsPath>")), defaults,
         "was damaged; these settings came back from the default preferences: packsPath, soundsPath, imagesPath",
         "data/images/", 0, 0},
        // What was read before the cut stays the player's.
        {"cut inside playersPath", cutInPlayersPath,
         Replace(defaults, "<imagesPath>data/images/<", "<imagesPath>my/images/<"), ": playersPath, language,",
         "my/images/", 0, 0},
        // Only the junk changes; everything else stays as the player left it.
        {"a key with junk", Replace(own, "<maxBalls>12<", "<maxBalls>lots<"), own, ": maxBalls.", "my/images/", 1, 1},
        // A stored zero is a value: a muted player stays muted. So is an empty text.
        {"a muted volume", muted, muted, "", "my/images/", 1, 1},
        {"an empty text", noPack, noPack, "", "my/images/", 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        CopyFixturePlayers();
        WriteUserFile("data/prefs.xml", c.file);
        const std::string path = userFolder + "data/prefs.xml";

        testing::internal::CaptureStderr();
        Universe& u = StartUniverse();
        const std::string err = testing::internal::GetCapturedStderr();
        if (c.said.empty()) {
            EXPECT_EQ(err, "");
        } else {
            EXPECT_NE(err.find("The preferences file \"" + path + "\" "), std::string::npos) << err;
            EXPECT_NE(err.find(c.said), std::string::npos) << err;
        }
        // The players and the packs are found, and no default player is made.
        EXPECT_EQ(PlayerNames(u), (std::vector<std::string>{"Alice", "Bob"}));
        EXPECT_EQ(u.packsArray.size(), 2u);
        EXPECT_EQ(u.playersPath, "data/players/");
        EXPECT_EQ(u.imagesPath, c.imagesPath);
        EXPECT_EQ(g_maxBalls, 12);
        EXPECT_EQ(g_useBallTrails, c.useBallTrails);
        EXPECT_EQ(g_sfxVolume, c.file == muted ? 0.0f : 0.5f);
        EXPECT_EQ(u.currentPackIndex, c.packIndex);
        EXPECT_EQ(ReadText(path), c.mended);
        EXPECT_EQ(g_DebugLog, "");

        // The next start finds a whole file and says nothing.
        u.Unlink();
        testing::internal::CaptureStderr();
        StartUniverse();
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
        EXPECT_EQ(ReadText(path), c.mended);
        TearDown();
    }
}

// ---------------------------------------------------------------------------
// Writing back.

class WriteBack : public UniverseTest {
protected:
    Universe u;
    const std::string path() { return userFolder + "data/prefs.xml"; }

    void SetUp() override {
        UniverseTest::SetUp();
        // Out of reach unless a test puts them back: the write-back alone, with nothing to mend.
        std::filesystem::remove(dataFolder + "data/default_prefs.xml");
        LoadErrorCodes("data/", "en");
        u.playersPath = "data/players/";
        std::filesystem::create_directories(userFolder + "data/players");
        for (const char* name : {"Alice", "Nameless Wonder"}) u.AddPlayer(name);
        u.playersArray.push_back(std::make_shared<Player>());
        ASSERT_EQ(u.playersArray.back()->CreateNewPlayer("data/players/", "Bob", "secret"), 1);
        for (const char* saveName : {"alpha_save", "beta_save"}) {
            u.packsArray.push_back(std::make_shared<Pack>());
            u.packsArray.back()->saveName = saveName;
        }
        g_DebugLog.clear();
    }
    void TearDown() override {
        u.Unlink();
        UniverseTest::TearDown();
    }
};

TEST_F(WriteBack, TheElevenKeysAreReplacedAndEverythingElseStays) {
    const std::string before =
        "<?xml version=\"1.0\"?>\n<!-- hand-written -->\n<universe>\n"
        "\t<appPath>keep/app/</appPath>\n\t<packsPath>data/packs/</packsPath>\n"
        "\t<language>en</language>\n\t<soundVolume>0.5</soundVolume>\n\t<musicVolume>0.5</musicVolume>\n"
        "\t<isFullscreen>1</isFullscreen>\n\t<screenWidth>-1</screenWidth>\n\t<screenHeight>-1</screenHeight>\n"
        "\t<screenDepth>24</screenDepth>\n\t<screenHertz>85</screenHertz>\n\t<maxBalls>9</maxBalls>\n"
        "\t<isFastComputer>1</isFastComputer>\n\t<currentPlayerName>Nobody</currentPlayerName>\n"
        "\t<currentPackName>none</currentPackName>\n\t<maxParticles>100</maxParticles>\n"
        "\t<useBallTrails>1</useBallTrails>\n\t<fontPath>fonts/x.ttf</fontPath>\n\t<custom>stays</custom>\n"
        "</universe>\ntrailing text\n";
    WriteUserFile("data/prefs.xml", before);
    SetFileMode(path(), 0444);

    g_language = "fr";
    g_sfxVolume = 1.0f;
    g_musicVolume = 0.0f;
    g_isFullscreen = 0;
    g_ScreenWidth = 1280;
    g_ScreenHeight = 1024;
    g_isFastComputer = 0;
    g_maxParticles = 64;
    g_useBallTrails = 0;
    g_ScreenDepth = 16;  // never written back
    g_maxBalls = 3;      // never written back
    u.currentPlayerIndex = 0;
    u.currentPackIndex = 1;

    EXPECT_EQ(u.UpdatePrefsFile(), 0);
    const std::string expected =
        "<?xml version=\"1.0\"?>\n<!-- hand-written -->\n<universe>\n"
        "\t<appPath>keep/app/</appPath>\n\t<packsPath>data/packs/</packsPath>\n"
        "\t<language>fr</language>\n\t<soundVolume>1.00000000</soundVolume>\n\t<musicVolume>0.00000000</musicVolume>\n"
        "\t<isFullscreen>0</isFullscreen>\n\t<screenWidth>1280</screenWidth>\n\t<screenHeight>1024</screenHeight>\n"
        "\t<screenDepth>24</screenDepth>\n\t<screenHertz>85</screenHertz>\n\t<maxBalls>9</maxBalls>\n"
        "\t<isFastComputer>0</isFastComputer>\n\t<currentPlayerName>Alice</currentPlayerName>\n"
        "\t<currentPackName>beta_save</currentPackName>\n\t<maxParticles>64</maxParticles>\n"
        "\t<useBallTrails>0</useBallTrails>\n\t<fontPath>fonts/x.ttf</fontPath>\n\t<custom>stays</custom>\n"
        "</universe>\ntrailing text\n";
    EXPECT_EQ(ReadText(path()), expected);
    // The write-back leaves its file writable.
    EXPECT_EQ(ModeOf(path()), 0744);
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(WriteBack, TheRememberedPlayerIsNeverOneWithAPassword) {
    struct Case {
        int index;
        const char* written;
    };
    const Case cases[] = {{0, "Alice"}, {1, "Nameless Wonder"}, {2, "Nameless Wonder"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        WriteUserFile("data/prefs.xml", "<currentPlayerName>x</currentPlayerName>");
        u.currentPlayerIndex = c.index;
        u.UpdatePrefsFile();
        EXPECT_EQ(ReadText(path()), std::string("<currentPlayerName>") + c.written + "</currentPlayerName>");
    }
}

TEST_F(WriteBack, ElementsTheFileLacksAreNotAdded) {
    WriteUserFile("data/prefs.xml", "<universe>\n\t<language>en</language>\n</universe>\n");
    g_language = "de";
    u.UpdatePrefsFile();
    EXPECT_EQ(ReadText(path()), "<universe>\n\t<language>de</language>\n</universe>\n");
}

TEST_F(WriteBack, TheLastOfTwoElementsIsUpdated) {
    WriteUserFile("data/prefs.xml", "<language>en</language><LANGUAGE>en</LANGUAGE>");
    g_language = "fr";
    u.UpdatePrefsFile();
    EXPECT_EQ(ReadText(path()), "<language>en</language><LANGUAGE>fr</LANGUAGE>");
}

TEST_F(WriteBack, APlayerNameWithAngleBracketsComesBackUnchanged) {
    u.AddPlayer("<Zed>");
    ASSERT_EQ(u.playersArray.back()->name, "<Zed>");
    u.currentPlayerIndex = static_cast<int>(u.playersArray.size()) - 1;
    WriteUserFile("data/prefs.xml", "<currentPlayerName>x</currentPlayerName>");
    u.UpdatePrefsFile();
    const std::string text = ReadText(path());
    EXPECT_EQ(text, "<currentPlayerName>&lt;Zed&gt;</currentPlayerName>");
    EXPECT_EQ(GetDataFromXML(text, "currentPlayerName"), "<Zed>");
}

TEST_F(WriteBack, WithoutReadablePreferencesNothingIsWritten) {
    // Missing, with no defaults to make it from: said on standard error, where it cannot end
    // the next game start, and no empty file appears in its place.
    testing::internal::CaptureStderr();
    EXPECT_EQ(u.UpdatePrefsFile(), 0);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(std::filesystem::exists(path()));
    EXPECT_NE(err.find("\"" + path() + "\" is missing"), std::string::npos) << err;
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(WriteBack, ADamagedOrMissingFileIsWrittenBackWhole) {
    std::filesystem::copy_file(FixturePath("universe/data/default_prefs.xml"), dataFolder + "data/default_prefs.xml");
    const std::string defaults = ReadText(dataFolder + "data/default_prefs.xml");
    const std::string own = Replace(defaults, "<appPath></appPath>", "<appPath>keep/app/</appPath>");
    struct Case {
        const char* name;
        bool present;
        std::string file;
        const char* appPath;
    };
    const Case cases[] = {
        {"missing", false, "", ""},
        {"cut short", true, own.substr(0, own.find("<language>")), "keep/app/"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(path());
        if (c.present) WriteUserFile("data/prefs.xml", c.file);
        g_language = "fr";
        g_maxParticles = 64;
        u.currentPlayerIndex = 0;
        u.currentPackIndex = 1;

        testing::internal::CaptureStderr();
        EXPECT_EQ(u.UpdatePrefsFile(), 0);
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_NE(err.find("The preferences file \"" + path() + "\""), std::string::npos) << err;
        EXPECT_EQ(g_DebugLog, "");

        // Every setting is there once: the remembered ones from the game, the others the
        // player's where they could be read, else the defaults'.
        const std::string text = ReadText(path());
        for (const char* key : {"appPath",           "packsPath",       "soundsPath",
                                "imagesPath",        "playersPath",     "language",
                                "currentPlayerName", "currentPackName", "virtualWidth",
                                "virtualHeight",     "maxBalls",        "maxParticles",
                                "useBallTrails",     "soundVolume",     "musicVolume",
                                "screenWidth",       "screenHeight",    "screenDepth",
                                "screenHertz",       "isFullscreen",    "forceDesktopResolution",
                                "isFastComputer"}) {
            EXPECT_EQ(CountTagsInXML(text, key), 1) << key;
        }
        EXPECT_EQ(GetDataFromXML(text, "appPath"), c.appPath);
        EXPECT_EQ(GetDataFromXML(text, "playersPath"), "data/players/");
        EXPECT_EQ(GetDataFromXML(text, "maxBalls"), "12");
        EXPECT_EQ(GetDataFromXML(text, "language"), "fr");
        EXPECT_EQ(GetDataFromXML(text, "maxParticles"), "64");
        EXPECT_EQ(GetDataFromXML(text, "currentPlayerName"), "Alice");
        EXPECT_EQ(GetDataFromXML(text, "currentPackName"), "beta_save");
    }
}

TEST_F(WriteBack, WithoutACurrentPlayerOrPackTheirNamesStay) {
    struct Case {
        const char* name;
        int playerIndex;
        int packIndex;
        bool clearPlayers;
        bool clearPacks;
    };
    const Case cases[] = {
        {"empty lists", 0, 0, true, true},
        {"indices past the end", 9, 9, false, false},
        {"negative indices", -1, -1, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.clearPlayers) u.playersArray.clear();
        if (c.clearPacks) u.packsArray.clear();
        u.currentPlayerIndex = c.playerIndex;
        u.currentPackIndex = c.packIndex;
        const std::string before = "<currentPlayerName>Kept</currentPlayerName><currentPackName>kept</currentPackName>";
        WriteUserFile("data/prefs.xml", before);
        u.UpdatePrefsFile();
        EXPECT_EQ(ReadText(path()), before);
        EXPECT_EQ(g_DebugLog, "");
    }
}

}  // namespace
