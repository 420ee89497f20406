// The shipped data folder: its texts are complete in every language, its error codes keep
// a clean run silent, and every file the game loads at start-up loads without a log line.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/globals.h"
#include "core/io.h"
#include "media/sounds.h"
#include "platform/files.h"
#include "platform/image.h"
#include "platform/runtime.h"
#include "support/game_test.h"
#include "text/parser.h"

namespace {

const char* const kLanguages[] = {"en", "fr", "de"};

// Every code the game reports.
const int kCodes[] = {1, 0, -1, -10, -11, -12, -13, -14, -15};

// The repository's own data folder, the one the game is installed with.
std::string ResourcesFolder() {
    return std::filesystem::weakly_canonical(FixturePath("../../resources")).string() + "/";
}

class DataFolderTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        g_dataPath = ResourcesFolder();
        g_debugLogQuiet = 1;
    }

    static std::string Read(const std::string& relative) { return ReadFileToString(g_dataPath + relative, 0); }

    // The whole elements of one tag, as the game cuts them out.
    static std::vector<std::string> Elements(const std::string& text, const std::string& tag) {
        std::vector<std::string> out;
        int n = CountTagsInXML(text, tag);
        for (int i = 0; i < n; ++i) out.push_back(ExtractTagFromXML(text, tag, i));
        return out;
    }

    // What the universe's lookup gives: the first entry of that name, in that language.
    static std::string Localised(const std::vector<std::string>& entries, const std::string& key,
                                 const std::string& language) {
        for (const std::string& entry : entries) {
            if (GetDataFromXML(entry, "name") == key) return GetLocalizedStringFromXML(entry, language);
        }
        return key;
    }
};

// A Latin-1 file that was saved as UTF-8 by mistake shows its accents as two odd characters.
bool LooksLikeUtf8(const std::string& text) {
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        auto lead = static_cast<uint8_t>(text[i]);
        auto next = static_cast<uint8_t>(text[i + 1]);
        if (lead >= 0xC2 && lead <= 0xDF && next >= 0x80 && next <= 0xBF) return true;
    }
    return false;
}

// ---------------------------------------------------------------------------
// Texts

TEST_F(DataFolderTest, EveryStringHasEveryLanguageAndEachNameIsUsedOnce) {
    const std::string text = Read("data/strings.xml");
    ASSERT_FALSE(text.empty());
    // The count skips an element at the very first character: the file must open with
    // something else, or its first entry would be lost.
    ASSERT_NE(text.rfind("<string>", 0), 0u);

    std::set<std::string> names;
    for (const std::string& entry : Elements(text, "string")) {
        const std::string name = GetDataFromXML(entry, "name");
        EXPECT_FALSE(name.empty()) << entry;
        EXPECT_TRUE(names.insert(name).second) << "\"" << name << "\" is defined twice";
        for (const char* language : kLanguages) {
            EXPECT_FALSE(GetDataFromXML(entry, language).empty()) << "\"" << name << "\" lacks " << language;
        }
    }
    EXPECT_GT(names.size(), 50u);
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(DataFolderTest, EveryTextTheGameDrawsHasAnEntry) {
    // The English wordings the menus, dialogs, side panels, scores screen, options and the
    // pack loading screen ask for; a missing one would show in English in every language.
    // clang-format off
    const char* const kKeys[] = {
        // main menu and its caption
        "New Game", "Continue", "Players", "Scores", "Packs", "Options", "Help", "Quit",
        "Current Player", "Current Pack",
        // dialogs, chooser and difficulty menu
        "OK", "Cancel", "Abandon Current Game?", "Easy", "Normal", "Hard", "Insane",
        // scores screen and side panels
        "Total Games Played", "Total Levels Played", "Total Points Scored", "Time Forever Lost",
        "High Score", "High Level", "year", "years", "day", "days", "hour", "hours", "minute",
        "minutes", "second", "seconds",
        // pause and game-over screens, in-game buttons
        "Paused", "Resume Game", "Quit To Menu", "Quit Brondelvix 2", "Enable Cheats?", "Game Over",
        "New Game From This Level", "New Game From Beginning",
        // player menu
        "Use Existing Player", "Create New Player", "New Player With Password",
        "Delete Current Player", "Go Back", "Reset", "Delete", "Nameless Wonder",
        "Enter Player Name", "Enter Password", "Re-Enter Password", "Incorrect Password",
        "No Name Entered", "Player Already Exists", "Could Not Create Player", "Player Created",
        "Passwords Do Not Match",
        // options menu
        "Graphics Quality", "Effects", "Full Screen/Window", "Audio", "Choose Language",
        "Better Graphics", "Faster Graphics", "Full Effects", "No Ball Trails", "No Effects",
        "Full Screen", "Big Window", "Medium Window", "Small Window", "Sound and Music",
        "Sound Only", "Music Only", "Audio Off", "Language", "Next Language",
        // pack loading screen
        "LOADING", "IMAGES", "SOUNDS", "SHIFTERS", "SPRITES", "PARTICLES", "PROJECTILES", "BALLS",
        "WEAPONS", "BRICKS", "POWERUPS", "LEVELS", "COMPLETE",
    };
    // clang-format on
    const auto entries = Elements(Read("data/strings.xml"), "string");
    std::set<std::string> names;
    for (const std::string& entry : entries) names.insert(GetDataFromXML(entry, "name"));
    for (const char* key : kKeys) EXPECT_TRUE(names.count(key)) << "no entry for \"" << key << "\"";
}

TEST_F(DataFolderTest, TheLanguageRingVisitsEveryLanguageOnceFromAnyStart) {
    const auto entries = Elements(Read("data/strings.xml"), "string");
    const std::set<std::string> all(std::begin(kLanguages), std::end(kLanguages));
    for (const char* start : kLanguages) {
        // The walk the options menu makes to build its list of languages.
        std::set<std::string> seen;
        std::set<std::string> ownNames;
        std::string code = start;
        for (int step = 0; step < 10; ++step) {
            EXPECT_TRUE(seen.insert(code).second) << "the ring passes " << code << " twice";
            ownNames.insert(Localised(entries, "Language", code));
            code = Localised(entries, "Next Language", code);
            if (code == start) break;
        }
        EXPECT_EQ(code, start) << "the ring from " << start << " never comes back";
        EXPECT_EQ(seen, all);
        EXPECT_EQ(ownNames.size(), all.size()) << "two languages share a name";
    }
}

TEST_F(DataFolderTest, TextFilesAreLatin1) {
    // The game reads one character per byte and draws Latin-1.
    for (const char* file :
         {"data/strings.xml", "data/errorcodes.xml", "data/default_prefs.xml", "data/sounds/sound.xml"}) {
        EXPECT_FALSE(LooksLikeUtf8(Read(file))) << file << " holds UTF-8";
    }
    EXPECT_EQ(Localised(Elements(Read("data/strings.xml"), "string"), "Language", "fr"),
              std::string("Fran") + '\xE7' + "ais");
}

// ---------------------------------------------------------------------------
// Error codes

TEST_F(DataFolderTest, EveryCodeHasAMessageInEveryLanguage) {
    const std::string text = Read("data/errorcodes.xml");
    ASSERT_FALSE(text.empty());
    for (int code : kCodes) {
        int found = 0;
        for (const std::string& entry : Elements(text, "errorCode")) {
            if (TextToInt(GetDataFromXML(entry, "code")) != code) continue;
            ++found;
            const std::string message = ExtractTagFromXML(entry, "message", 0);
            for (const char* language : kLanguages) {
                EXPECT_FALSE(GetDataFromXML(message, language).empty()) << code << " lacks " << language;
            }
        }
        EXPECT_EQ(found, 1) << "code " << code;
    }
}

TEST_F(DataFolderTest, TheTableLoadsInEachLanguageWithoutALogLine) {
    for (const char* language : kLanguages) {
        LoadErrorCodes("data/", language);
        EXPECT_EQ(g_DebugLog, "") << language;
        for (int code : kCodes) {
            EXPECT_NE(GetErrorMessage(code), kUnknownErrorMessage) << code << " in " << language;
            EXPECT_FALSE(GetErrorMessage(code).empty()) << code << " in " << language;
        }
    }
    // The messages follow the language the table was loaded in.
    LoadErrorCodes("data/", "en");
    const std::string english = GetErrorMessage(-13);
    LoadErrorCodes("data/", "de");
    EXPECT_NE(GetErrorMessage(-13), english);
}

TEST_F(DataFolderTest, SeveritiesKeepACleanRunSilentAndStopOnlyWithoutPacks) {
    LoadErrorCodes("data/", "en");
    struct Case {
        int code;
        int severity;
    };
    // Progress notes, content notes, a wrong password and edited statistics say nothing;
    // faults in files and content are logged and play goes on.
    const Case kCases[] = {{1, 0}, {0, 0}, {-10, 0}, {-12, 0}, {-1, 1}, {-13, 1}, {-14, 1}, {-15, 1}};
    for (const Case& c : kCases) EXPECT_EQ(GetErrorSeverity(c.code), c.severity) << c.code;

    // Silent codes come back to their callers, which pass them on.
    for (int code : {1, 0, -10, -12}) {
        EXPECT_EQ(ThrowError(code, "detail"), code);
    }
    EXPECT_EQ(g_DebugLog, "");

    // A logged fault is one NOTE line and does not raise.
    EXPECT_EQ(ThrowError(-13, "data/missing.xml"), -13);
    const auto lines = DebugLogLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].rfind(" NOTE: ", 0), 0u) << lines[0];
    EXPECT_NE(lines[0].find("(data/missing.xml)"), std::string::npos);

    // No pack: start-up has no handler, so the report must raise to end the program.
    const int noPack = GetErrorSeverity(-11);
    EXPECT_GE(noPack, 2);
    EXPECT_LE(noPack, 4);
    bool raised = false;
    try {
        ThrowError(-11, "");
    } catch (...) {
        raised = true;
    }
    EXPECT_TRUE(raised);
}

// ---------------------------------------------------------------------------
// Preferences

TEST_F(DataFolderTest, DefaultPreferencesHoldEveryKeyWithUsableValues) {
    const std::string prefs = Read("data/default_prefs.xml");
    ASSERT_FALSE(prefs.empty());
    // Every key start-up reads; the write-back only updates elements that exist.
    // clang-format off
    const char* const kKeys[] = {
        "appPath", "packsPath", "soundsPath", "imagesPath", "playersPath", "language",
        "currentPlayerName", "currentPackName", "fontPath", "virtualWidth", "virtualHeight",
        "maxBalls", "maxParticles", "useBallTrails", "soundVolume", "musicVolume", "screenWidth",
        "screenHeight", "screenDepth", "screenHertz", "isFullscreen", "forceDesktopResolution",
        "isFastComputer",
    };
    // clang-format on
    for (const char* key : kKeys) {
        EXPECT_EQ(CountTagsInXML(prefs, key), 1) << key;
    }

    // Folders are joined to their base and to an entry name with nothing between.
    EXPECT_EQ(GetDataFromXML(prefs, "packsPath"), "data/packs/");
    EXPECT_EQ(GetDataFromXML(prefs, "playersPath"), "data/players/");
    EXPECT_EQ(GetDataFromXML(prefs, "language"), "en");
    EXPECT_EQ(GetDataFromXML(prefs, "currentPlayerName"), "Nameless Wonder");

    struct IntCase {
        const char* key;
        int value;
    };
    // Windowed 1024 x 768 on the logical screen of the same size, full effects.
    const IntCase kInts[] = {{"virtualWidth", 1024}, {"virtualHeight", 768}, {"screenWidth", 1024},
                             {"screenHeight", 768},  {"isFullscreen", 0},    {"maxBalls", 16},
                             {"useBallTrails", 1},   {"isFastComputer", 1},  {"forceDesktopResolution", 0}};
    for (const IntCase& c : kInts) {
        int value = -12345;
        SetIntFromXML(value, prefs, c.key);
        EXPECT_EQ(value, c.value) << c.key;
    }
    for (const char* key : {"soundVolume", "musicVolume"}) {
        float volume = 0.0f;
        SetFloatFromXML(volume, prefs, key);
        EXPECT_EQ(volume, 1.0f) << key;
    }

    // A font path other than the built-in one names a file below the data folder.
    std::string font;
    SetStringFromXML(font, prefs, "fontPath");
    EXPECT_EQ(FileType(g_dataPath + font), 1) << font;
    EXPECT_EQ(g_DebugLog, "");
}

// ---------------------------------------------------------------------------
// Pictures and sounds

TEST_F(DataFolderTest, InterfacePicturesLoadAtTheirSizes) {
    auto title = LoadPixmap(g_dataPath + "data/images/title.png");
    ASSERT_TRUE(title);
    EXPECT_EQ(title->width, 1024);
    EXPECT_EQ(title->height, 768);

    // The box is drawn centred on the screen behind the buttons, which stand 400 wide in
    // the band y 210..564 of the 768 high screen: its opaque panel must cover that band.
    auto dialog = LoadPixmap(g_dataPath + "data/images/dialog.png");
    ASSERT_TRUE(dialog);
    EXPECT_TRUE(dialog->hasAlpha);
    const int top = 210 - (384 - dialog->height / 2);
    const int bottom = 564 - (384 - dialog->height / 2);
    ASSERT_GE(top, 0);
    ASSERT_LT(bottom, dialog->height);
    for (int y : {top, (top + bottom) / 2, bottom}) {
        for (int x : {dialog->width / 2 - 200, dialog->width / 2, dialog->width / 2 + 199}) {
            ASSERT_GE(x, 0);
            EXPECT_GT(dialog->PixelPtr(x, y)[3], 160) << x << "," << y;
        }
    }
    // Its corners stay clear for the shadow and the round edge.
    EXPECT_EQ(dialog->PixelPtr(0, 0)[3], 0);

    // The pointer is drawn with its top-left corner at the mouse: the tip must be there.
    auto cursor = LoadImage(g_dataPath + "data/images/cursor.png", 6);
    ASSERT_TRUE(cursor);
    EXPECT_LE(cursor->width, 64);
    EXPECT_LE(cursor->height, 64);
    auto pointer = LoadPixmap(g_dataPath + "data/images/cursor.png");
    ASSERT_TRUE(pointer);
    EXPECT_TRUE(pointer->hasAlpha);
    EXPECT_GT(pointer->PixelPtr(1, 1)[3], 128);
    EXPECT_EQ(pointer->PixelPtr(pointer->width - 1, 0)[3], 0);
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(DataFolderTest, EveryProgramSoundLoadsFromItsElement) {
    const std::string list = Read("data/sounds/sound.xml");
    ASSERT_FALSE(list.empty());
    struct Case {
        const char* element;
        int isMusic;
        bool loops;
    };
    const Case kCases[] = {{"intro_music", 1, true},
                           {"button_click", 0, false},
                           {"button_startgame", 0, false},
                           {"button_quit", 0, false},
                           {"button_cancel", 0, false}};
    for (const Case& c : kCases) {
        const std::string element = ExtractTagFromXML(list, c.element, 0);
        ASSERT_FALSE(element.empty()) << c.element;
        auto sound = std::make_shared<Sound>();
        // As start-up and the button-sound loader do: always loaded, whatever the volumes.
        sound->LoadFromXML(element, g_dataPath + "data/sounds/", 0);
        ASSERT_TRUE(sound->soundData) << c.element << " from " << sound->fileName;
        ASSERT_TRUE(sound->soundData->data);
        EXPECT_GT(sound->soundData->data->FrameCount(), 0u) << c.element;
        EXPECT_EQ(sound->soundData->loop, c.loops) << c.element;
        EXPECT_EQ(sound->isMusic, c.isMusic) << c.element;
        EXPECT_EQ(sound->name, c.element);
        EXPECT_GT(sound->volume, 0.0f);
        EXPECT_LE(sound->volume, 1.0f);
        if (!c.isMusic) {
            // Menu clicks are short, so the next click is not held up.
            EXPECT_LT(sound->soundData->data->FrameCount(), static_cast<size_t>(sound->soundData->data->rate));
        }
    }
    EXPECT_EQ(g_DebugLog, "");
}

// Every value of one attribute in the page, in order: `name="value"`.
std::vector<std::string> AttributeValues(const std::string& page, const std::string& name) {
    std::vector<std::string> values;
    const std::string opening = " " + name + "=\"";
    for (size_t at = page.find(opening); at != std::string::npos; at = page.find(opening, at + 1)) {
        const size_t start = at + opening.size();
        const size_t end = page.find('"', start);
        if (end == std::string::npos) break;
        values.push_back(page.substr(start, end - start));
    }
    return values;
}

// The number after `name="` in the tag that holds `from`, or -1.
int NumberInTag(const std::string& page, size_t from, const std::string& name) {
    const size_t open = page.rfind('<', from);
    const size_t close = page.find('>', from);
    const std::string tag = page.substr(open, close - open);
    const size_t at = tag.find(" " + name + "=\"");
    return at == std::string::npos ? -1 : std::stoi(tag.substr(at + name.size() + 3));
}

TEST_F(DataFolderTest, TheHelpPageIsThere) {
    const std::string page = Read("help/index.html");
    ASSERT_FALSE(page.empty());
    EXPECT_NE(page.find("<title>"), std::string::npos);
    EXPECT_NE(page.find("Vostrand/Brondelvix 2!/"), std::string::npos);
    EXPECT_EQ(g_DebugLog, "");
}

// The page shows the pack's own pictures from where the data folder keeps them, and the browser
// finds them only if each path stays inside the data folder, which is all that is installed.
TEST_F(DataFolderTest, EveryPictureOfTheHelpPageIsInTheDataFolderAtTheSizeThePageGives) {
    const std::string page = Read("help/index.html");
    const std::filesystem::path help = std::filesystem::path(g_dataPath) / "help";
    const std::string root = std::filesystem::weakly_canonical(g_dataPath).string() + "/";
    const std::vector<std::string> sources = AttributeValues(page, "src");
    ASSERT_GE(sources.size(), 40u) << "the bricks, balls, nains and powerups each have a picture";
    size_t searchFrom = 0;
    for (const std::string& source : sources) {
        SCOPED_TRACE(source);
        const size_t at = page.find("src=\"" + source + "\"", searchFrom);
        ASSERT_NE(at, std::string::npos);
        searchFrom = at + 1;
        EXPECT_EQ(source.find(':'), std::string::npos) << "no scheme, no absolute path: the page moves with its folder";
        const std::string file = std::filesystem::weakly_canonical(help / source).string();
        EXPECT_EQ(file.rfind(root, 0), 0u) << file << " is outside the data folder " << root;
        std::ifstream in(file, std::ios::binary);
        const std::string png((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        ASSERT_GE(png.size(), 24u) << file << " is missing";
        ASSERT_EQ(png.substr(1, 3), "PNG");
        const auto byte = [&](size_t i) { return static_cast<int>(static_cast<uint8_t>(png[i])); };
        EXPECT_EQ(NumberInTag(page, at, "width"), byte(18) * 256 + byte(19));
        EXPECT_EQ(NumberInTag(page, at, "height"), byte(22) * 256 + byte(23));
    }
    // Every link within the page leads to a section of it.
    for (const std::string& link : AttributeValues(page, "href")) {
        ASSERT_FALSE(link.empty());
        if (link[0] != '#') continue;
        EXPECT_NE(page.find("id=\"" + link.substr(1) + "\""), std::string::npos) << link;
    }
}

}  // namespace
