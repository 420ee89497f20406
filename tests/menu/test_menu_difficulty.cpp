// The difficulty menu: its rows, widths, colours and caption at two screen sizes, what each key
// and click stores and returns, clicks in one frame, its sounds, and the quit it watches for.
#include <gtest/gtest.h>

#include "media/mixer.h"
#include "menu/menu.h"
#include "screens_support.h"

namespace {

using namespace menu_test;

class Difficulty : public MenuTest {};

TEST_F(Difficulty, FourDifficultiesAndCancelStandInTheirRowsOverTheCaption) {
    const struct { int width, height; } cases[] = {{1024, 768}, {800, 600}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
        UseScreen(c.width, c.height);
        const ColumnBox hard = ColumnPlace(400, 2, 6);
        std::vector<DrawCall> frame;
        Script player({{"Easy", [&] { PointAt(hard); }}, {Keep(frame, Shows("Easy")), PressKey(KEY_ESCAPE)}});
        EXPECT_EQ(DrawDifficultyMenu(), 0);
        ASSERT_TRUE(player.Finished());

        const std::vector<ShownButton> buttons = ButtonsIn(frame);
        ASSERT_EQ(buttons.size(), 5u);
        const struct {
            const char* label;
            int row;
        } expected[] = {{"Easy", 0}, {"Normal", 1}, {"Hard", 2}, {"Insane", 3}, {"Cancel", 5}};
        for (size_t i = 0; i < buttons.size(); ++i) {
            ExpectAt(buttons[i], ColumnPlace(400, expected[i].row, 6));
            EXPECT_EQ(buttons[i].label, expected[i].label);
            const bool hovered = expected[i].row == 2;
            EXPECT_EQ(buttons[i].faceGreen, hovered ? 100 : 0) << expected[i].label;
            EXPECT_EQ(buttons[i].labelRed, hovered ? 255 : 0) << expected[i].label;
        }
        // The caption under the buttons, and the pointer image last, unscaled.
        const DrawCall* caption = TextCall(frame, "Current Player: " + kPlayer);
        ASSERT_NE(caption, nullptr);
        EXPECT_EQ(caption->y, static_cast<float>(c.height / 40 * 31));
        EXPECT_NE(TextCall(frame, "Current Pack: Quick Pack"), nullptr);
        const auto images = Calls(frame, DrawKind::Image);
        ASSERT_FALSE(images.empty());
        EXPECT_EQ(images.back()->image, universe().cursorImage);
        EXPECT_EQ(images.back()->state.scaleX, 1.0f);
    }
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(Difficulty, EachChoiceStoresItsEnglishNameAndCancelLeavesItAlone) {
    const ColumnBox insane = ColumnPlace(400, 3, 6), cancel = ColumnPlace(400, 5, 6);
    const struct Case {
        const char* what;
        const char* language;
        std::function<void()> before;
        std::vector<Script::Step> steps;
        int result;
        const char* stored;
    } cases[] = {
        {"E", "en", [] {}, {{"Easy", PressKey('E')}}, 1, "Easy"},
        {"N", "en", [] {}, {{"Easy", PressKey('N')}}, 1, "Normal"},
        {"H", "en", [] {}, {{"Easy", PressKey('H')}}, 1, "Hard"},
        {"I", "en", [] {}, {{"Easy", PressKey('I')}}, 1, "Insane"},
        {"Escape", "en", [] {}, {{"Easy", PressKey(KEY_ESCAPE)}}, 0, "Unset"},
        {"a click on Insane",
         "en",
         [] {},
         {{"Easy", [insane] { PointAt(insane), HoldButton(1); }}, {"Easy", [] { ReleaseButton(1); }}},
         1,
         "Insane"},
        {"in French the stored name is still English", "fr", [] {}, {{"Facile", PressKey('E')}}, 1, "Easy"},
        {"a key from before the menu opened", "en", [] { Press('H'); }, {{"Easy", PressKey(KEY_ESCAPE)}}, 0, "Unset"},
        {"keys under Command do nothing",
         "en",
         [] {},
         {{"Easy", [] { Hold(KEY_LCOMMAND), Press('E'), Press(KEY_ESCAPE); }},
          {"Easy", [] { Release(KEY_LCOMMAND); }},
          {"Easy", PressKey('H')}},
         1,
         "Hard"},
        // The difficulty's click comes first and stays stored; Cancel's decides the result.
        {"a hot key in the frame Cancel is let go over",
         "en",
         [] {},
         {{"Easy", [cancel] { PointAt(cancel), HoldButton(1); }}, {"Easy", [] { ReleaseButton(1), Press('I'); }}},
         0,
         "Insane"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        g_language = c.language;
        universe().currentDifficulty = "Unset";
        c.before();
        Script player(c.steps);
        EXPECT_EQ(DrawDifficultyMenu(), c.result);
        EXPECT_TRUE(player.Finished());
        EXPECT_EQ(universe().currentDifficulty, c.stored);
        ResetInput();
    }
    EXPECT_EQ(g_DebugLog, "");

    // The difficulty already set is still a choice.
    universe().currentDifficulty = "Hard";
    Script player({{"Easy", PressKey('H')}});
    EXPECT_EQ(DrawDifficultyMenu(), 1);
}

TEST_F(Difficulty, EveryButtonClicksWithTheButtonSoundCancelToo) {
    for (const int key : {int('E'), int(KEY_ESCAPE)}) {
        ClearEffects();
        Script player({{"Easy", PressKey(key)}});
        DrawDifficultyMenu();
        EXPECT_EQ(EffectsPlayed(), (std::vector<std::string>{"button_click"}));
    }
}

TEST_F(Difficulty, CommandQEndsTheProgramAndAFailureCountsAsCancel) {
    const ChildResult child = RunInChild([&] {
        Script player({{"Easy", [] { Hold(KEY_RCOMMAND); }}, {"Easy", [] { Hold(KEY_Q); }}});
        DrawDifficultyMenu();
    });
    EXPECT_EQ(child.exitStatus, 0);
    EXPECT_EQ(child.err, "");

    const UniversePtr kept = g_gameUniverse;
    g_gameUniverse = nullptr;
    EXPECT_EQ(DrawDifficultyMenu(), 0);
    g_gameUniverse = kept;
    EXPECT_EQ(DebugLogLines(),
              (std::vector<std::string>{"menu:DrawDifficultyMenu() " + std::string(kNullAccessMessage)}));
}

}  // namespace
