// Every label of every menu screen, in each language at each window size: each text drawn in a
// box (a button's face, the text entry's box) stays inside it, clear of its edges, centred, and
// narrowed only when it would not fit otherwise.
#include <gtest/gtest.h>

#include <ostream>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "frozen_support.h"
#include "media/menubutton.h"
#include "menu/gameover.h"
#include "menu/menu.h"
#include "menu/pause.h"
#include "menu/playermenu.h"

namespace {

using namespace frozen_test;

struct Setting {
    const char* language;
    int width, height;
};
void PrintTo(const Setting& s, std::ostream* out) { *out << s.language << " " << s.width << "x" << s.height; }

// A text drawn over a box: the face inside the box's green border, and the text itself.
struct BoxedText {
    const DrawCall* face;
    const DrawCall* text;
};

// Every text of a frame drawn just after a box and across its rows; texts that follow a box but
// stand elsewhere (the caption under the menu column) are not its own.
std::vector<BoxedText> BoxedTexts(const Frame& frame) {
    std::vector<BoxedText> found;
    for (size_t i = 1; i < frame.size(); ++i) {
        const DrawCall& border = frame[i - 1];
        const DrawCall& face = frame[i];
        if (border.kind != DrawKind::Rect || face.kind != DrawKind::Rect || border.x != face.x - 1 ||
            border.w != face.w + 2 || !ColourIs(border, 0, 200, 0)) {
            continue;
        }
        for (size_t j = i + 1; j < frame.size() && frame[j].kind == DrawKind::Text; ++j) {
            const DrawCall& text = frame[j];
            const float middle = (text.corners[0].y + text.corners[3].y) / 2;
            if (middle > face.corners[0].y && middle < face.corners[3].y) found.push_back({&face, &text});
        }
    }
    return found;
}

class MenuLabels : public MenuTest, public ::testing::WithParamInterface<Setting> {
protected:
    void SetUp() override {
        MenuTest::SetUp();
        const Setting& s = GetParam();
        g_language = s.language;
        UseScreen(s.width, s.height);
        // The window the settings name, so that the screen chooser opens it again as it was, on a
        // desktop large enough for every window to be offered.
        g_isFullscreen = 0, g_ScreenWidth = s.width, g_ScreenHeight = s.height;
        g_desktopWidth = 1280, g_desktopHeight = 1024;
    }

    std::string L(const char* key) { return universe().GetLocalizedString(key); }

    // Every boxed text of the frames, checked once for each text and place it was drawn at.
    void Check(const std::vector<Frame>& frames) {
        for (const Frame& frame : frames) {
            for (const BoxedText& boxed : BoxedTexts(frame)) Check(boxed);
        }
    }
    void Check(const BoxedText& boxed) {
        const DrawCall& text = *boxed.text;
        seen_.insert(text.text);
        const float faceLeft = boxed.face->corners[0].x, faceRight = boxed.face->corners[1].x;
        const float left = text.corners[0].x, right = text.corners[1].x;
        if (!checked_.insert({text.text, faceLeft, faceRight}).second) return;
        SCOPED_TRACE("\"" + Latin1ToUtf8(text.text) + "\"");
        const float margin = kLabelMargin / 2.0f * g_widthFactor;
        EXPECT_GE(left, faceLeft + margin - 0.01f) << "past the left edge, box " << faceLeft << " to " << faceRight;
        EXPECT_LE(right, faceRight - margin + 0.01f) << "past the right edge, box " << faceLeft << " to " << faceRight;
        EXPECT_NEAR((left + right) / 2, (faceLeft + faceRight) / 2, 0.01f) << "centred";
        EXPECT_EQ(text.state.scaleY, g_heightFactor);
        const bool fits = WidthIn(text.state.font, text.text) * g_widthFactor <= faceRight - faceLeft - 2 * margin;
        if (fits) {
            EXPECT_EQ(text.state.scaleX, g_widthFactor) << "narrowed though it fits";
        } else {
            EXPECT_LT(text.state.scaleX, g_widthFactor);
        }
    }

    // A screen under a player who waits for each step's frame and gives its input; every frame it
    // drew is checked.
    template <class Screen>
    void Visit(std::vector<Script::Step> steps, Screen screen) {
        FilmedPlayer player(std::move(steps));
        screen();
        EXPECT_TRUE(player.Finished()) << "the screen ended before the player's last step";
        Check(player.Frames());
    }

    std::set<std::string> seen_;
    std::set<std::tuple<std::string, float, float>> checked_;
};

const std::string kUp(1, '\x92'), kDown(1, '\x91');

// The English keys of the labels of the screens, their choosers and the text entry; the dialogs'
// messages are the test's own list.
const char* const kLabelKeys[] = {
    // The main menu, the scores, the difficulty.
    "Continue", "New Game", "Players", "Scores", "Packs", "Options", "Help", "Quit", "OK", "Cancel", "Easy", "Normal",
    "Hard", "Insane",
    // The players and their chooser.
    "Use Existing Player", "Create New Player", "New Player With Password", "Delete Current Player", "Go Back",
    "Nameless Wonder",
    // The options and their choosers.
    "Graphics Quality", "Effects", "Full Screen/Window", "Audio", "Choose Language", "Better Graphics",
    "Faster Graphics", "Full Effects", "No Ball Trails", "No Effects", "Full Screen", "Big Window", "Medium Window",
    "Small Window", "Sound and Music", "Sound Only", "Music Only", "Audio Off",
    // The text entry.
    "Enter Player Name", "Enter Password", "Re-Enter Password",
    // Over a game: the pause, its question and the game over.
    "Resume Game", "Quit To Menu", "Quit Brondelvix 2", "Enable Cheats?", "New Game From This Level",
    "New Game From Beginning"};

bool IsChooser(const Frame& frame) { return Drew(frame, kUp) && Drew(frame, kDown); }

TEST_P(MenuLabels, StayInsideTheirBoxes) {
    const FrameTest menu = Shows(L("Quit"));
    const FrameTest players = Shows(L("Use Existing Player"));
    const FrameTest options = Shows(L("Choose Language"));
    std::vector<Script::Step> steps = {
        {menu, PressKey('S')},
        {Shows(L("High Score")), PressKey(KEY_ENTER)},
        {menu, PressKey('K')},
        {IsChooser, PressKey(KEY_ESCAPE)},
        {menu, PressKey('P')},
        {players, PressKey('D')},
        {Shows(PlayerDeleteQuestion(universe())), PressKey(KEY_ESCAPE)},
        // Cancel keeps the current player, which still counts as choosing: back to the main menu.
        {players, PressKey('U')},
        {IsChooser, PressKey(KEY_ESCAPE)},
        {menu, PressKey('O')},
    };
    // Each chooser of the options stepped through every entry it offers.
    const struct { int key, entries; } choosers[] = {{'G', 2}, {'E', 3}, {'F', 4}, {'A', 4}, {'L', 3}};
    for (const auto& chooser : choosers) {
        steps.push_back({options, PressKey(chooser.key)});
        for (int i = 1; i < chooser.entries; ++i) steps.push_back({IsChooser, PressKey(KEY_DOWN)});
        steps.push_back({IsChooser, PressKey(KEY_ESCAPE)});
    }
    steps.insert(steps.end(), {{options, PressKey(KEY_ESCAPE)},
                               {menu, PressKey('N')},
                               {Shows(L("Insane")), PressKey(KEY_ESCAPE)},
                               {menu, PressKey(KEY_ESCAPE)}});
    Visit(steps, [] { EXPECT_EQ(DrawMainMenu(g_gameUniverse), "Quit"); });
    EXPECT_EQ(GraphicsWidth(), GetParam().width) << "the screen chooser opened the window it found";

    const char* const messages[] = {"Abandon Current Game?", "Incorrect Password",      "No Name Entered",
                                    "Player Already Exists", "Could Not Create Player", "Player Created",
                                    "Passwords Do Not Match"};
    for (const char* message : messages) {
        Visit({{Shows(L(message)), PressKey(KEY_ENTER)}}, [&] { DrawDialogOK(message, 1); });
    }

    // The entries with the widest name that can be typed, shown and masked.
    const std::string widest(16, 'W');
    const struct {
        const char* prompt;
        int masked;
    } entries[] = {{"Enter Player Name", 0}, {"Enter Password", 1}, {"Re-Enter Password", 1}};
    for (const auto& [prompt, masked] : entries) {
        SetIdleHook([] { InjectEvent({.type = InputEventType::Char, .codepoint = '\r'}); });
        std::string text = widest;
        Check({Recorded([&] { DrawTextInputMenu(L(prompt), text, universe().MenuBackgroundImage, 1, 1, masked); })});
        SetIdleHook(nullptr);
    }

    StartGame();
    g_ScreenOverlayAlpha = 0.0f;
    const FrameTest paused = Shows(L("Paused"));
    Visit({{paused, PressKey('C')}, {Shows(L("Enable Cheats?")), PressKey(KEY_ESCAPE)}, {paused, PressKey(KEY_ESCAPE)}},
          [] { EXPECT_EQ(DrawPauseMenu(g_gameUniverse), "Resume"); });
    Visit({{Shows(L("Game Over")), PressKey(KEY_ESCAPE)}},
          [] { EXPECT_EQ(DrawGameOverMenu(g_gameUniverse), "Main Menu"); });

    // Every label was among the texts checked.
    std::vector<std::string> labels = {
        kUp, kDown, "Quick Pack", PlayerDeleteQuestion(universe()), widest, std::string(16, '*')};
    for (const char* language : {"English", "Français", "Deutsch"}) labels.push_back(Latin1(language));
    for (const char* key : kLabelKeys) labels.push_back(L(key));
    for (const char* message : messages) labels.push_back(L(message));
    for (const std::string& label : labels) EXPECT_EQ(seen_.count(label), 1u) << Latin1ToUtf8(label) << " was not seen";
    EXPECT_EQ(g_DebugLog, "");
}

INSTANTIATE_TEST_SUITE_P(LanguagesAndSizes, MenuLabels,
                         ::testing::Values(Setting{"en", 640, 480}, Setting{"en", 800, 600}, Setting{"en", 1024, 768},
                                           Setting{"fr", 640, 480}, Setting{"fr", 800, 600}, Setting{"fr", 1024, 768},
                                           Setting{"de", 640, 480}, Setting{"de", 800, 600}, Setting{"de", 1024, 768}),
                         [](const auto& info) {
                             return std::string(info.param.language) + "_" + std::to_string(info.param.width) + "x" +
                                    std::to_string(info.param.height);
                         });

}  // namespace
