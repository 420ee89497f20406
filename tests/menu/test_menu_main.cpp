// The main menu: the column of shown buttons at two screen sizes, the fades, each choice with its
// sound and the music, the new-game road over a saved game and the abandoned game's record, the
// screens that come back with the column laid out again, the pack chooser, the quit it watches
// for, and a failure.
#include <gtest/gtest.h>

#include "media/mixer.h"
#include "menu/menu.h"
#include "players/savedgame.h"
#include "screens_support.h"

namespace {

using namespace menu_test;
namespace fs = std::filesystem;

class MainMenuTest : public MenuTest {
protected:
    void SetUp() override {
        MenuTest::SetUp();
        PlayMusic();
    }

    // Some music playing, as the intro would.
    void PlayMusic() {
        g_MasterMixer->EndMusic();
        g_MasterMixer->AddMusic(universe().sndButtonClick);
    }

    // The quick pack again as "Second Pack", and the universe started again to find it.
    void AddSecondPack() {
        fs::copy(FixturePath("app/quickpack"), dataFolder + "data/packs/secondpack", fs::copy_options::recursive);
        fs::copy_file(FixturePath("menu/secondpack/info.xml"), dataFolder + "data/packs/secondpack/info.xml",
                      fs::copy_options::overwrite_existing);
        g_gameUniverse->Unlink();
        g_gameUniverse = nullptr;
        StartUniverse();
        ASSERT_EQ(universe().packsArray.size(), 2u);
    }

    std::string SaveFor(const std::string& saveName) const {
        return userFolder + "data/players/" + kPlayer + "/save_" + saveName + ".xml";
    }
    // A saved game at level 3 with this play time, sealed as the game seals it; an edited one
    // had its score raised afterwards.
    void WriteSave(const std::string& saveName, int time, bool edited = false) {
        const std::string saveData =
            "<saveData>\n\t<lives>2</lives>\n\t<saveLevel>Level "
            "Three</saveLevel>\n\t<gameStat>\n\t\t<score>4321</score>\n"
            "\t\t<level>3</level>\n\t\t<time>" +
            std::to_string(time) +
            "</time>\n\t\t<date>10 Dec 2026</date>\n\t\t<cheatEnabled>0</cheatEnabled>\n"
            "\t\t<difficulty>Hard</difficulty>\n\t\t<hash></hash>\n\t\t<pack>" +
            saveName + "</pack>\n\t</gameStat>\n</saveData>\n";
        std::string save = saveData + "<saveHash>" + SaveDigest(saveData) + "</saveHash>\n";
        if (edited) save.replace(save.find("4321"), 4, "9999");
        ASSERT_EQ(WriteWholeFile(SaveFor(saveName), save, 0444), 1);
    }

    // The player's records as its file holds them.
    std::vector<GameStatPtr> RecordsOnFile() {
        Player player;
        player.LoadFromFile(universe().playersPath, kPlayer);
        return player.gameStatsArray;
    }

    // The labels of the buttons on the screen, top to bottom; hidden ones stand at -1000.
    static std::vector<std::string> Column(const std::vector<DrawCall>& frame) {
        std::vector<std::string> labels;
        for (const ShownButton& button : ButtonsIn(frame)) {
            if (button.y >= 0) labels.push_back(button.label);
        }
        return labels;
    }
};

// A frame of the menu's loop: its buttons are drawn.
const FrameTest kMenu = Shows("Quit");

TEST_F(MainMenuTest, TheShownButtonsStandInTheirRowsAndTheHiddenOnesAboveTheScreen) {
    const std::vector<std::string> six = {"New Game", "Players", "Scores", "Options", "Help", "Quit"};
    const struct Case {
        const char* what;
        bool saved, twoPacks;
        std::vector<std::string> column;
    } cases[] = {
        {"no saved game, one pack", false, false, six},
        {"a saved game: Continue on top",
         true,
         false,
         {"Continue", "New Game", "Players", "Scores", "Options", "Help", "Quit"}},
        {"two packs: Packs between Scores and Options",
         false,
         true,
         {"New Game", "Players", "Scores", "Packs", "Options", "Help", "Quit"}},
        {"both", true, true, {"Continue", "New Game", "Players", "Scores", "Packs", "Options", "Help", "Quit"}},
    };
    for (const Case& c : cases) {
        for (const auto& [width, height] : {std::pair{1024, 768}, std::pair{800, 600}}) {
            SCOPED_TRACE(std::string(c.what) + " at " + std::to_string(width) + "x" + std::to_string(height));
            TearDown();
            SetUp();
            if (c.twoPacks) AddSecondPack();
            if (c.saved) WriteSave("quickpack", 5000);
            UseScreen(width, height);
            const int rows = static_cast<int>(c.column.size());
            const ColumnBox second = ColumnPlace(400, 1, rows);
            std::vector<DrawCall> frame;
            Script player({{kMenu, [&] { PointAt(second); }}, {Keep(frame, kMenu), PressKey(KEY_ESCAPE)}});
            EXPECT_EQ(DrawMainMenu(g_gameUniverse), "Quit");
            ASSERT_TRUE(player.Finished());

            EXPECT_EQ(Column(frame), c.column);
            const std::vector<ShownButton> buttons = ButtonsIn(frame);
            ASSERT_EQ(buttons.size(), 8u) << "the hidden buttons are drawn too, above the screen";
            int row = 0;
            for (const ShownButton& button : buttons) {
                if (button.y < 0) {
                    EXPECT_EQ(button.y, -1000.0f) << button.label;
                    continue;
                }
                ExpectAt(button, ColumnPlace(400, row, rows));
                // The pointer rests on the second row.
                EXPECT_EQ(button.faceGreen, row == 1 ? 100 : 0) << button.label;
                EXPECT_EQ(button.labelRed, row == 1 ? 255 : 0) << button.label;
                ++row;
            }
            const DrawCall* caption = TextCall(frame, "Current Pack: Quick Pack");
            ASSERT_NE(caption, nullptr);
            EXPECT_EQ(caption->y, static_cast<float>(height / 40 * 33));
            // The main menu's pointer is drawn at the screen's scale, last.
            const auto images = Calls(frame, DrawKind::Image);
            ASSERT_FALSE(images.empty());
            EXPECT_EQ(images.back()->image, universe().cursorImage);
            EXPECT_EQ(images.back()->state.scaleX, g_widthFactor);
            EXPECT_EQ(images.back()->state.scaleY, g_heightFactor);
        }
    }
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(MainMenuTest, ItFadesInAndOutOverTheBackgroundAloneAndDropsKeysPressedMeanwhile) {
    const struct {
        int frameMs;
        int fadeInFrames, fadeOutFrames;
    } cases[] = {{40, 8, 20}, {100, 8, 18}};  // 100 ms counts as 45: the fewest frames
    for (const auto& c : cases) {
        SCOPED_TRACE(c.frameMs);
        UseTestClock(500000, 0, c.frameMs);
        g_lastMilliSecs = 500000 - c.frameMs;
        g_ScreenOverlayAlpha = 0.7f;
        std::vector<std::vector<DrawCall>> frames;
        bool quitPressed = false;
        SetTestClockHook([&] {
            frames.push_back(StopRecording());
            StartRecording();
            // H during the fade-in would choose Help if it counted.
            if (frames.size() == 2) Press('H');
            if (!quitPressed && TextCall(frames.back(), "Quit")) Press(KEY_ESCAPE), quitPressed = true;
        });
        StartRecording();
        EXPECT_EQ(DrawMainMenu(g_gameUniverse), "Quit");
        SetTestClockHook(nullptr);
        StopRecording();
        EXPECT_EQ(g_ScreenOverlayAlpha, 0.0f);

        // Fade-in, the menu's two frames (the first buttons, then the frame of the choice), fade-out.
        ASSERT_EQ(static_cast<int>(frames.size()), c.fadeInFrames + 2 + c.fadeOutFrames);
        const float step = static_cast<float>(std::min(c.frameMs, 45)) / 80;
        float in = 1.0f, out = 0.0f;
        for (size_t i = 0; i < frames.size(); ++i) {
            const std::vector<DrawCall>& frame = frames[i];
            const bool fadingIn = static_cast<int>(i) < c.fadeInFrames;
            const bool fadingOut = static_cast<int>(i) >= c.fadeInFrames + 2;
            if (!fadingIn && !fadingOut) continue;
            SCOPED_TRACE(i);
            EXPECT_EQ(frame.front().kind, DrawKind::Cls);
            EXPECT_TRUE(Calls(frame, DrawKind::Text).empty()) << "no box, button, caption or title";
            const auto rects = Calls(frame, DrawKind::Rect);
            ASSERT_EQ(rects.size(), 1u);
            EXPECT_EQ(
                std::make_tuple(rects[0]->x, rects[0]->y, rects[0]->w, rects[0]->h),
                std::make_tuple(0.0f, 0.0f, static_cast<float>(GraphicsWidth()), static_cast<float>(GraphicsHeight())));
            EXPECT_EQ(rects[0]->state.scaleX, 1.0f);
            EXPECT_TRUE(ColourIs(*rects[0], 0, 0, 0));
            EXPECT_NEAR(rects[0]->state.alpha, fadingIn ? in : out, 1e-5f);
            for (const DrawCall* image : Calls(frame, DrawKind::Image)) {
                EXPECT_NE(image->image, universe().cursorImage) << "no pointer during a fade";
                EXPECT_LT(image, rects[0]) << "the background under the black";
            }
            if (fadingIn) in -= step / 4;
            if (fadingOut) out = std::min(1.0f, out + step / 10);
        }
        // The frame of the choice shows the frame, the caption and the pointer, but no button.
        const std::vector<DrawCall>& chosen = frames[static_cast<size_t>(c.fadeInFrames) + 1];
        EXPECT_TRUE(ButtonsIn(chosen).empty());
        EXPECT_NE(TextCall(chosen, "Current Player: " + kPlayer), nullptr);
        EXPECT_EQ(Calls(chosen, DrawKind::Image).back()->image, universe().cursorImage);
    }
    EXPECT_EQ(g_DebugLog, "");
}

// As in every fade of the game: a frame that took no time moves the fade no further.
TEST_F(MainMenuTest, AFrameOfNoTimeHoldsEitherFadeWhereItIs) {
    UseTestClock(500000, 0, kFrameMs);
    g_lastMilliSecs = 500000 - kFrameMs;
    std::vector<float> in, out;  // the black's opacity, frame by frame
    bool chosen = false;
    SetTestClockHook([&] {
        const std::vector<DrawCall> frame = StopRecording();
        StartRecording();
        const auto rects = Calls(frame, DrawKind::Rect);
        if (Calls(frame, DrawKind::Text).empty() && rects.size() == 1) {
            (chosen ? out : in).push_back(rects[0]->state.alpha);
            // The third frame of each fade takes no time.
            if ((chosen ? out : in).size() == 3) AdvanceTestClock(-kFrameMs);
        } else if (!chosen && TextCall(frame, "Quit")) {
            Press(KEY_ESCAPE);
            chosen = true;
        }
    });
    StartRecording();
    EXPECT_EQ(DrawMainMenu(g_gameUniverse), "Quit");
    SetTestClockHook(nullptr);
    StopRecording();

    // One frame more in each fade than the 8 and 20 of 40 ms frames, two of them alike.
    ASSERT_EQ(in.size(), 9u);
    ASSERT_EQ(out.size(), 21u);
    for (const auto* fade : {&in, &out}) {
        int held = 0;
        for (size_t i = 1; i < fade->size(); ++i) {
            if ((*fade)[i] == (*fade)[i - 1]) ++held;
        }
        EXPECT_EQ(held, 1);
    }
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(MainMenuTest, EachChoiceReturnsItsTextWithItsSoundAndEndsTheMusicOnlyForAGame) {
    const struct Case {
        const char* what;
        bool saved;
        std::vector<Script::Step> steps;
        const char* choice;
        const char* sound;
        const char* difficulty;
    } cases[] = {
        {"Escape", false, {{kMenu, PressKey(KEY_ESCAPE)}}, "Quit", "button_quit", "Unset"},
        {"H", false, {{kMenu, PressKey('H')}}, "Help", "button_click", "Unset"},
        {"C with a saved game", true, {{kMenu, PressKey('C')}}, "Continue", "button_startgame", "Unset"},
        {"C while Continue is hidden", false, {{kMenu, PressKey('C')}}, "Continue", "button_startgame", "Unset"},
        {"N, then a difficulty",
         false,
         {{kMenu, PressKey('N')}, {"Easy", PressKey('I')}},
         "New Game",
         "button_startgame",
         "Insane"},
        {"N, Cancel in the difficulty menu: back",
         false,
         {{kMenu, PressKey('N')}, {"Easy", PressKey(KEY_ESCAPE)}, {kMenu, PressKey(KEY_ESCAPE)}},
         "Quit",
         "button_startgame",
         "Unset"},
        {"hot keys under Command do nothing",
         false,
         {{kMenu, [] { Hold(KEY_LCOMMAND), Press('H'), Press('N'); }},
          {kMenu, [] { Release(KEY_LCOMMAND); }},
          {kMenu, PressKey(KEY_ESCAPE)}},
         "Quit",
         "button_quit",
         "Unset"},
        {"a click counts while the mixer is paused",
         false,
         {{kMenu, [] { g_MasterMixer->Pause(), Press(KEY_ESCAPE); }}},
         "Quit",
         nullptr,
         "Unset"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove(SaveFor("quickpack"));
        if (c.saved) WriteSave("quickpack", 5000);
        universe().currentDifficulty = "Unset";
        PlayMusic();
        ClearEffects();
        Script player(c.steps);
        EXPECT_EQ(DrawMainMenu(g_gameUniverse), c.choice);
        EXPECT_TRUE(player.Finished());
        EXPECT_EQ(universe().currentDifficulty, c.difficulty);
        g_MasterMixer->Resume();
        const std::string choice = c.choice;
        EXPECT_EQ(g_MasterMixer->MusicPlaying(), choice == "Continue" || choice == "New Game" ? 0 : 1);
        const std::vector<std::string> sounds = EffectsPlayed();
        if (c.sound) {
            ASSERT_FALSE(sounds.empty());
            EXPECT_EQ(sounds.front(), c.sound);
        } else {
            EXPECT_TRUE(sounds.empty());
        }
        // Without a saved game no question is asked.
        for (const std::string& frame : player.Frames()) {
            EXPECT_EQ(frame.find("Abandon Current Game?"), std::string::npos);
        }
        ResetInput();
    }
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(MainMenuTest, ANewGameOverASavedGameAsksFirstAndRecordsTheAbandonedGame) {
    const std::string question = "Abandon Current Game?";
    const struct Case {
        const char* what;
        int time;
        bool edited;
        std::vector<Script::Step> steps;
        const char* choice;
        bool recorded;  // a record added and the save deleted
        int cheat;
    } cases[] = {
        {"Cancel in the question",
         5000,
         false,
         {{kMenu, PressKey('N')}, {question.c_str(), PressKey(KEY_ESCAPE)}, {kMenu, PressKey(KEY_ESCAPE)}},
         "Quit",
         false,
         0},
        {"OK, then Cancel in the difficulty menu",
         5000,
         false,
         {{kMenu, PressKey('N')},
          {question.c_str(), PressKey(KEY_ENTER)},
          {"Easy", PressKey(KEY_ESCAPE)},
          {kMenu, PressKey(KEY_ESCAPE)}},
         "Quit",
         false,
         0},
        {"OK and a difficulty",
         5000,
         false,
         {{kMenu, PressKey('N')}, {question.c_str(), PressKey(KEY_ENTER)}, {"Easy", PressKey('E')}},
         "New Game",
         true,
         0},
        {"an edited save is recorded as a cheat game",
         5000,
         true,
         {{kMenu, PressKey('N')}, {question.c_str(), PressKey(KEY_ENTER)}, {"Easy", PressKey('E')}},
         "New Game",
         true,
         1},
        {"a save without play time records nothing and stays",
         0,
         false,
         {{kMenu, PressKey('N')}, {question.c_str(), PressKey(KEY_ENTER)}, {"Easy", PressKey('E')}},
         "New Game",
         false,
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteSave("quickpack", c.time, c.edited);
        const std::string save = ReadText(SaveFor("quickpack"));
        const size_t before = RecordsOnFile().size();
        PlayMusic();
        Script player(c.steps);
        EXPECT_EQ(DrawMainMenu(g_gameUniverse), c.choice);
        EXPECT_TRUE(player.Finished());
        EXPECT_EQ(g_MasterMixer->MusicPlaying(), std::string(c.choice) == "New Game" ? 0 : 1);

        const std::vector<GameStatPtr> records = RecordsOnFile();
        if (c.recorded) {
            EXPECT_FALSE(fs::exists(SaveFor("quickpack")));
            ASSERT_EQ(records.size(), before + 1);
            const GameStat& record = *records.back();
            EXPECT_EQ(record.level, 2) << "one below the level it was saved at";
            EXPECT_EQ(record.score, c.edited ? 9999 : 4321);
            EXPECT_EQ(record.time, 5000);
            EXPECT_EQ(record.cheatEnabled, c.cheat);
            EXPECT_EQ(record.date, CurrentDate());
            EXPECT_EQ(record.difficulty, "Hard");
            // The player in memory holds the file's records.
            EXPECT_EQ(universe().playersArray[0]->gameStatsArray.size(), records.size());
        } else {
            EXPECT_EQ(ReadText(SaveFor("quickpack")), save);
            EXPECT_EQ(records.size(), before);
        }
        fs::remove(SaveFor("quickpack"));
    }
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(MainMenuTest, PlayersScoresAndOptionsComeBackWithTheColumnLaidOutAgainAsEachShould) {
    const std::vector<std::string> six = {"New Game", "Players", "Scores", "Options", "Help", "Quit"};
    const std::vector<std::string> seven = {"Continue", "New Game", "Players", "Scores", "Options", "Help", "Quit"};
    const std::vector<std::string> french = {"Nouvelle partie", "Joueurs", "Scores", "Options", "Aide", "Quitter"};
    std::vector<DrawCall> frame;
    const struct Case {
        const char* what;
        bool saved;
        std::function<void()> meanwhile;  // while the menu is open, just before the key
        int key;
        FrameTest back;  // the first frame back on the menu
        std::vector<std::string> column;
    } cases[] = {
        {"Players, after a saved game appeared: Continue shows", false, [this] { WriteSave("quickpack", 5000); }, 'P',
         kMenu, seven},
        {"Players, after the saved game went: Continue goes", true, [this] { fs::remove(SaveFor("quickpack")); }, 'P',
         kMenu, six},
        {"Players keeps the labels of another language", false, [] { g_language = "fr"; }, 'P', kMenu, six},
        {"Options reads the labels again", false, [] { g_language = "fr"; }, 'O', Shows("Quitter"), french},
        {"Scores", false, [] {}, 'S', kMenu, six},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        g_language = "en";
        fs::remove(SaveFor("quickpack"));
        if (c.saved) WriteSave("quickpack", 5000);
        std::vector<Script::Step> steps = {{kMenu, [&] { c.meanwhile(), Press(c.key); }}};
        if (c.key == 'S') steps.push_back({"High Score", PressKey(KEY_ENTER)});
        if (c.key == 'P' || c.key == 'O') {
            steps.push_back({[](const auto& calls) { return Drew(calls, "Go Back") || Drew(calls, "Retour"); },
                             PressKey(KEY_ESCAPE)});
        }
        steps.push_back({Keep(frame, c.back), PressKey(KEY_ESCAPE)});
        Script player(steps);
        EXPECT_EQ(DrawMainMenu(g_gameUniverse), "Quit");
        ASSERT_TRUE(player.Finished());
        EXPECT_EQ(Column(frame), c.column);
    }

    // A new screen mode: Options sizes and places the buttons for the new scale.
    g_language = "en";
    fs::remove(SaveFor("quickpack"));
    Script player({{kMenu, [] { UseScreen(800, 600), Press('O'); }},
                   {"Go Back", PressKey(KEY_ESCAPE)},
                   {Keep(frame, kMenu), PressKey(KEY_ESCAPE)}});
    EXPECT_EQ(DrawMainMenu(g_gameUniverse), "Quit");
    const std::vector<ShownButton> buttons = ButtonsIn(frame);
    ASSERT_EQ(buttons.size(), 8u);
    ExpectAt(buttons[1], ColumnPlace(400, 0, 6));
    ExpectAt(buttons[7], ColumnPlace(400, 5, 6));
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(MainMenuTest, ThePackChooserMovesTheCurrentPackContinueAndThePreferences) {
    AddSecondPack();
    WriteSave("secondpack", 5000);
    const std::string prefsPath = userFolder + "data/prefs.xml";
    const std::string seven = "New Game|Players|Scores|Packs|Options|Help|Quit";
    const std::string eight = "Continue|" + seven;
    auto joined = [](const std::vector<std::string>& labels) {
        std::string text;
        for (const std::string& label : labels) text += (text.empty() ? "" : "|") + label;
        return text;
    };
    const struct Case {
        const char* what;
        int startIndex;
        std::vector<Script::Step> chooser;
        int index;
        std::string column;
    } cases[] = {
        {"Down, Enter: the second pack, whose save brings Continue",
         0,
         {{"Quick Pack", PressKey(KEY_DOWN)}, {"Second Pack", PressKey(KEY_ENTER)}},
         1,
         eight},
        {"Escape: the pack stays",
         0,
         {{"Quick Pack", PressKey(KEY_DOWN)}, {"Second Pack", PressKey(KEY_ESCAPE)}},
         0,
         seven},
        {"back to the first pack",
         1,
         {{"Second Pack", PressKey(KEY_UP)}, {"Quick Pack", PressKey(KEY_ENTER)}},
         0,
         seven},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        universe().currentPackIndex = c.startIndex;
        // The preferences are written on every road through the chooser, Cancel too.
        WritePrefs("<currentPackName>elsewhere</currentPackName>");
        std::vector<DrawCall> frame;
        std::vector<Script::Step> steps = {{kMenu, PressKey('K')}};
        steps.insert(steps.end(), c.chooser.begin(), c.chooser.end());
        steps.push_back({Keep(frame, kMenu), PressKey(KEY_ESCAPE)});
        Script player(steps);
        EXPECT_EQ(DrawMainMenu(g_gameUniverse), "Quit");
        ASSERT_TRUE(player.Finished());
        EXPECT_EQ(universe().currentPackIndex, c.index);
        EXPECT_EQ(GetDataFromXML(ReadText(prefsPath), "currentPackName"), c.index == 1 ? "secondpack" : "quickpack");
        EXPECT_EQ(joined(Column(frame)), c.column);
        EXPECT_NE(TextCall(frame, std::string("Current Pack: ") + (c.index == 1 ? "Second Pack" : "Quick Pack")),
                  nullptr);
    }
    EXPECT_EQ(g_DebugLog, "");

    // A chooser that fails gives no pack's index: the pack stays, and the preferences are
    // written as after Cancel.
    universe().currentPackIndex = 1;
    WritePrefs("<currentPackName>elsewhere</currentPackName>");
    const UniversePtr kept = g_gameUniverse;
    g_gameUniverse = nullptr;
    Script player({{kMenu, PressKey('K')}, {kMenu, PressKey(KEY_ESCAPE)}});
    EXPECT_EQ(DrawMainMenu(kept), "Quit");
    g_gameUniverse = kept;
    EXPECT_EQ(universe().currentPackIndex, 1);
    EXPECT_EQ(GetDataFromXML(ReadText(prefsPath), "currentPackName"), "secondpack");
    EXPECT_EQ(DebugLogLines(), (std::vector<std::string>{"menu:DrawChooseMenu() " + std::string(kNullAccessMessage)}));
}

TEST_F(MainMenuTest, WithOnePackTheHiddenPacksButtonStillOpensTheChooser) {
    Script player({{kMenu, PressKey('K')}, {"Quick Pack", PressKey(KEY_ENTER)}, {kMenu, PressKey(KEY_ESCAPE)}});
    EXPECT_EQ(DrawMainMenu(g_gameUniverse), "Quit");
    EXPECT_TRUE(player.Finished());
    EXPECT_EQ(universe().currentPackIndex, 0);
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(MainMenuTest, CommandQOrAWindowCloseEndsTheProgramAtOnceWithoutWritingAnything) {
    const struct {
        const char* what;
        std::vector<Script::Step> steps;
    } cases[] = {
        {"Command held, then Q", {{kMenu, [] { Hold(KEY_LCOMMAND); }}, {kMenu, [] { Hold(KEY_Q); }}}},
        {"a window close", {{kMenu, [] { InjectEvent({.type = InputEventType::Terminate}); }}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WriteSave("quickpack", 5000);
        const std::string prefs = ReadText(userFolder + "data/prefs.xml");
        const std::string save = ReadText(SaveFor("quickpack"));
        const ChildResult child = RunInChild([&] {
            AddLineToDebugLog("a fault that quitting never saves");
            Script player(c.steps);
            DrawMainMenu(g_gameUniverse);
        });
        EXPECT_EQ(child.exitStatus, 0);
        EXPECT_EQ(child.err, "");
        EXPECT_FALSE(fs::exists(userFolder + "bx2_error_log.txt"));
        EXPECT_EQ(ReadText(userFolder + "data/prefs.xml"), prefs);
        EXPECT_EQ(ReadText(SaveFor("quickpack")), save);
    }
}

TEST_F(MainMenuTest, ASavedGameIsOnlyFoundForAPlayerAndPackThatExist) {
    WriteSave("quickpack", 5000);
    const struct {
        const char* what;
        std::function<void(Universe&)> make;
        int logged;
    } cases[] = {
        {"no players", [](Universe& u) { u.playersArray.clear(); }, 0},
        {"no packs", [](Universe& u) { u.packsArray.clear(); }, 0},
        {"a player index past the end", [](Universe& u) { u.currentPlayerIndex = 3; }, 1},
        {"a negative pack index", [](Universe& u) { u.currentPackIndex = -1; }, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TearDown();
        SetUp();
        WriteSave("quickpack", 5000);
        ASSERT_EQ(universe().ContinueExists(), 1);
        c.make(universe());
        EXPECT_EQ(universe().ContinueExists(), 0);
        EXPECT_EQ(static_cast<int>(DebugLogLines().size()), c.logged) << g_DebugLog;
    }
}

TEST_F(MainMenuTest, AFailureEndsTheScreenWithTheEmptyChoiceAndNoFade) {
    EXPECT_EQ(DrawMainMenu(nullptr), "");
    EXPECT_EQ(DebugLogLines(), (std::vector<std::string>{"menu:DrawMainMenu() " + std::string(kNullAccessMessage)}));
}

}  // namespace
