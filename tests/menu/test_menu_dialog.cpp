// The message dialog: its rows, widths and colours at two screen sizes, the answer of each key
// and click, a Cancel clicked in the frame of an OK, what it does not watch and what it leaves.
#include <gtest/gtest.h>

#include "media/mixer.h"
#include "menu/menu.h"
#include "screens_support.h"

namespace {

using namespace menu_test;

const char* const kQuestion = "Abandon Current Game?";

class Dialog : public MenuTest {};

TEST_F(Dialog, TheMessageOkAndCancelStandInTheirRowsWithTheHoverColoursUnderThePointer) {
    const struct {
        int width, height, withCancel;
    } cases[] = {{1024, 768, 1}, {1024, 768, 0}, {800, 600, 1}, {800, 600, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height) + " cancel " +
                     std::to_string(c.withCancel));
        UseScreen(c.width, c.height);
        const int rows = c.withCancel ? 4 : 3;
        const ColumnBox okBox = ColumnPlace(200, 2, rows);
        g_gameSpeedFactor = 0.123f;
        std::vector<DrawCall> frame;
        Script player({{kQuestion, [&] { PointAt(okBox); }}, {Keep(frame, Shows("OK")), PressKey(KEY_ENTER)}});
        EXPECT_EQ(DrawDialogOK(kQuestion, c.withCancel), 1);
        ASSERT_TRUE(player.Finished());

        const std::vector<ShownButton> buttons = ButtonsIn(frame);
        ASSERT_EQ(buttons.size(), c.withCancel ? 3u : 2u);
        ExpectAt(buttons[0], ColumnPlace(400, 0, rows));
        ExpectAt(buttons[1], okBox);
        EXPECT_EQ(buttons[0].label, std::string(kQuestion));
        EXPECT_EQ(buttons[1].label, "OK");
        // The message row is never updated, so it keeps the idle look; OK is under the pointer.
        EXPECT_EQ(std::tie(buttons[0].faceRed, buttons[0].faceGreen, buttons[0].labelGreen),
                  std::make_tuple(0, 0, 200));
        EXPECT_EQ(std::tie(buttons[1].faceRed, buttons[1].faceGreen, buttons[1].labelRed, buttons[1].labelGreen),
                  std::make_tuple(0, 100, 255, 255));
        if (c.withCancel) {
            ExpectAt(buttons[2], ColumnPlace(200, 3, rows));
            EXPECT_EQ(buttons[2].label, "Cancel");
            EXPECT_EQ(std::tie(buttons[2].faceGreen, buttons[2].labelGreen), std::make_tuple(0, 200));
        }
        // Each frame clears the screen and shows the menu background and the box picture; the
        // pointer image comes last, unscaled, where the pointer is.
        EXPECT_EQ(frame.front().kind, DrawKind::Cls);
        const auto images = Calls(frame, DrawKind::Image);
        ASSERT_GE(images.size(), 3u);
        EXPECT_EQ(images.back()->image, universe().cursorImage);
        EXPECT_EQ(images.back()->state.scaleX, 1.0f);
        EXPECT_EQ(images.back()->x, static_cast<float>(static_cast<int>(okBox.x + okBox.w / 2)));
        EXPECT_FLOAT_EQ(g_gameSpeedFactor, 0.123f) << "the dialog does not time its frames";
    }
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(Dialog, AMessageOfMoreThan25CharactersIsSetSmallerInARowOfTheSameSize) {
    const std::string chars25(25, 'W');
    const struct {
        std::string message;
        TImageFontPtr font;
    } cases[] = {{chars25, g_MenuFont}, {chars25 + "W", g_MidFont}, {"", g_MenuFont}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message.size());
        std::vector<DrawCall> frame;
        Script player({{Keep(frame, Shows("OK")), PressKey(KEY_ENTER)}});
        DrawDialogOK(c.message, 0);
        const std::vector<ShownButton> buttons = ButtonsIn(frame);
        ASSERT_EQ(buttons.size(), 2u);
        ExpectAt(buttons[0], ColumnPlace(400, 0, 3));
        EXPECT_EQ(buttons[0].font, c.font);
        EXPECT_EQ(buttons[0].label, c.message);
    }
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(Dialog, EachKeyAndClickAnswersAsItShouldAndNothingEarlierCounts) {
    const ColumnBox row0 = ColumnPlace(400, 0, 4), ok = ColumnPlace(200, 2, 4), cancel = ColumnPlace(200, 3, 4);
    const ColumnBox hiddenCancel = ColumnPlace(200, 3, 3);
    auto press = [](const ColumnBox& box) { return [box] { PointAt(box), HoldButton(1); }; };
    const std::function<void()> release = [] { ReleaseButton(1); };
    const struct Case {
        const char* what;
        int withCancel;
        std::function<void()> before;  // before the dialog opens
        std::vector<Script::Step> steps;
        int result;
    } cases[] = {
        {"Enter", 1, [] {}, {{kQuestion, PressKey(KEY_ENTER)}}, 1},
        {"Escape", 1, [] {}, {{kQuestion, PressKey(KEY_ESCAPE)}}, 0},
        {"Escape without Cancel", 0, [] {}, {{kQuestion, PressKey(KEY_ESCAPE)}}, 0},
        {"a click on OK", 1, [] {}, {{kQuestion, press(ok)}, {kQuestion, release}}, 1},
        {"a click on Cancel", 1, [] {}, {{kQuestion, press(cancel)}, {kQuestion, release}}, 0},
        {"a click on the message row does nothing",
         1,
         [] {},
         {{kQuestion, press(row0)}, {kQuestion, release}, {kQuestion, PressKey(KEY_ENTER)}},
         1},
        {"no click reaches the hidden Cancel",
         0,
         [] {},
         {{kQuestion, press(hiddenCancel)}, {kQuestion, release}, {kQuestion, PressKey(KEY_ENTER)}},
         1},
        {"a press on Cancel let go with Enter in one frame: Cancel decides",
         1,
         [] {},
         {{kQuestion, press(cancel)}, {kQuestion, [] { ReleaseButton(1), Press(KEY_ENTER); }}},
         0},
        {"Enter pressed before the dialog opened",
         1,
         [] { Press(KEY_ENTER), HoldButton(1); },
         {{kQuestion, [] { ReleaseButton(1), Press(KEY_ESCAPE); }}},
         0},
        {"Enter under Command is used up",
         1,
         [] {},
         {{kQuestion, [] { Hold(KEY_LCOMMAND), Press(KEY_ENTER); }},
          {kQuestion, [] { Release(KEY_LCOMMAND); }},
          {kQuestion, PressKey(KEY_ESCAPE)}},
         0},
        {"Command-Q does nothing",
         1,
         [] {},
         {{kQuestion, [] { Hold(KEY_LCOMMAND); }},
          {kQuestion, [] { Hold(KEY_Q); }},
          {kQuestion, [] { Release(KEY_Q), Release(KEY_LCOMMAND); }},
          {kQuestion, PressKey(KEY_ENTER)}},
         1},
        {"a click counts while the mixer is paused",
         1,
         [] { g_MasterMixer->Pause(); },
         {{kQuestion, press(ok)}, {kQuestion, release}},
         1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.before();
        Script player(c.steps);
        EXPECT_EQ(DrawDialogOK(kQuestion, c.withCancel), c.result);
        EXPECT_TRUE(player.Finished()) << "the dialog answered too early";
        g_MasterMixer->Resume();
        ResetInput();
    }
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(Dialog, ARequestToTerminateIsLeftForTheNextScreenThatWatches) {
    InjectEvent({.type = InputEventType::Terminate});
    Script player({{kQuestion, PressKey(KEY_ENTER)}});
    EXPECT_EQ(DrawDialogOK(kQuestion, 1), 1);
    EXPECT_TRUE(AppTerminate());
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(Dialog, ItsTextsAreLocalisedAndAFailureAnswersCancel) {
    g_language = "fr";
    std::vector<DrawCall> frame;
    Script player({{Keep(frame, Shows(Latin1("Abandonner la partie\u00a0?"))), PressKey(KEY_ENTER)}});
    EXPECT_EQ(DrawDialogOK(kQuestion, 1), 1);
    ASSERT_TRUE(player.Finished());
    EXPECT_NE(TextCall(frame, "OK"), nullptr);
    EXPECT_NE(TextCall(frame, "Annuler"), nullptr);

    // Without a universe there is nothing to ask with.
    const UniversePtr kept = g_gameUniverse;
    g_gameUniverse = nullptr;
    EXPECT_EQ(DrawDialogOK(kQuestion, 1), 0);
    g_gameUniverse = kept;
    EXPECT_EQ(DebugLogLines(), (std::vector<std::string>{"menu:DrawDialogOK() " + std::string(kNullAccessMessage)}));
}

}  // namespace
