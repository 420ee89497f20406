// The stand-in main menu with its new-game questions, and what it draws.
#include <gtest/gtest.h>

#include "menu/menu.h"
#include "menu_support.h"
#include "pieces/gamestats.h"

namespace {

using namespace screen_test;

// The game's texts are Latin-1; this file is UTF-8.
std::string Latin1(const std::string& utf8) {
    std::string latin1;
    Utf8ToLatin1(utf8, latin1);
    return latin1;
}

class Screens : public ScreenTest {
protected:
    void SetUp() override {
        ScreenTest::SetUp();
        StartUniverse();
        StartGame();
        ASSERT_EQ(g_DebugLog, "");
    }
    // Some music playing, as the intro or a level's would.
    void PlayMusic() {
        g_MasterMixer->EndMusic();
        g_MasterMixer->AddMusic(universe().sndButtonClick);
    }
    static int Count(const std::vector<DrawCall>& calls, DrawKind kind) {
        return static_cast<int>(
            std::count_if(calls.begin(), calls.end(), [&](const DrawCall& c) { return c.kind == kind; }));
    }
};

TEST_F(Screens, TheMainMenuTakesTheRealMenusKeys) {
    struct Case {
        const char* what;
        bool saved;
        std::vector<Script::Step> keys;
        const char* choice;
        const char* difficulty;
    };
    auto press = [](int key) { return [key] { Press(key); }; };
    const Case cases[] = {
        {"N, then N for Normal",
         false,
         {{"[N] New Game", press('N')}, {"[N] Normal", press('N')}},
         "New Game",
         "Normal"},
        {"N, E", false, {{"[N] New Game", press('N')}, {"[E] Easy", press('E')}}, "New Game", "Easy"},
        {"N, H", false, {{"[N] New Game", press('N')}, {"[H] Hard", press('H')}}, "New Game", "Hard"},
        {"N, I", false, {{"[N] New Game", press('N')}, {"[I] Insane", press('I')}}, "New Game", "Insane"},
        {"N, Escape goes back; H",
         false,
         {{"[N] New Game", press('N')}, {"[N] Normal", press(KEY_ESCAPE)}, {"[N] New Game", press('H')}},
         "Help",
         "Hard?"},
        {"Escape", false, {{"[N] New Game", press(KEY_ESCAPE)}}, "Quit", "Hard?"},
        {"C without a saved game does nothing",
         false,
         {{"[N] New Game", press('C')}, {"[N] New Game", press(KEY_ESCAPE)}},
         "Quit",
         "Hard?"},
        {"C with a saved game", true, {{"[C] Continue", press('C')}}, "Continue", "Hard?"},
        {"N over a saved game asks first: Escape goes back",
         true,
         {{"[N] New Game", press('N')},
          {"Abandon Current Game?", press(KEY_ESCAPE)},
          {"[C] Continue", press(KEY_ESCAPE)}},
         "Quit",
         "Hard?"},
        {"N over a saved game asks first: Enter goes on",
         true,
         {{"[N] New Game", press('N')}, {"Abandon Current Game?", press(KEY_ENTER)}, {"[E] Easy", press('E')}},
         "New Game",
         "Easy"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(SavePath());
        if (c.saved) {
            ASSERT_EQ(game().SaveGame(universe().playersPath, 0), 0);
        }
        universe().currentDifficulty = "Hard?";
        PlayMusic();
        Script player(c.keys);
        EXPECT_EQ(DrawMainMenu(g_gameUniverse), c.choice);
        EXPECT_TRUE(player.Finished());
        EXPECT_EQ(universe().currentDifficulty, c.difficulty);
        // A game about to start ends the menu's music; Help and Quit leave it playing.
        const bool starts = std::string(c.choice) == "New Game" || std::string(c.choice) == "Continue";
        EXPECT_EQ(g_MasterMixer->MusicPlaying(), starts ? 0 : 1);
        // Continue is offered only over a saved game.
        if (!c.saved) {
            for (const std::string& frame : player.Frames()) EXPECT_EQ(frame.find("[C] Continue"), std::string::npos);
        }
    }
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(Screens, EachScreenDrawsItsTitleAndKeysInThePlayersLanguageOverItsBackground) {
    g_language = "fr";
    struct Case {
        const char* what;
        std::function<std::string()> run;
        std::string shown;               // a text of the screen, waited for
        std::vector<std::string> texts;  // what else it draws
        int key;
    };
    const Case cases[] = {
        {"main menu",
         [] { return DrawMainMenu(g_gameUniverse); },
         "[N] Nouvelle partie",
         {"[H] Aide", "[Esc] Quitter"},
         KEY_ESCAPE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<DrawCall> frame;
        Script player({{[&](const std::vector<DrawCall>& calls) {
                            if (!Drew(calls, Latin1(c.shown))) return false;
                            frame = calls;
                            return true;
                        },
                        [&] { Press(c.key); }}});
        c.run();
        ASSERT_TRUE(player.Finished());
        for (const std::string& text : c.texts) EXPECT_TRUE(Drew(frame, Latin1(text))) << text;
        // The pictures behind: the title picture's tiles or the frozen field's, and the pointer.
        EXPECT_GE(Count(frame, DrawKind::Image), 2);
    }
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(Screens, AWindowCloseQuitsAtOnceFromTheMainMenu) {
    const struct {
        const char* what;
        std::function<std::string()> run;
        const char* shown;
        std::vector<std::function<void()>> keys;  // one a frame
    } cases[] = {
        {"a window close at the main menu", [] { return DrawMainMenu(g_gameUniverse); }, "[N] New Game", {[] {
             InjectEvent({.type = InputEventType::Terminate});
         }}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const ChildResult child = RunInChild([&] {
            AddLineToDebugLog("a fault that quitting never saves");
            std::vector<Script::Step> steps;
            for (const auto& key : c.keys) steps.push_back({c.shown, key});
            Script player(steps);
            c.run();
        });
        EXPECT_EQ(child.exitStatus, 0);
        EXPECT_EQ(child.err, "");
        EXPECT_FALSE(std::filesystem::exists(userFolder + "bx2_error_log.txt"));
    }
}

}  // namespace
