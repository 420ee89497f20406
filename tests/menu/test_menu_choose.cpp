// The value chooser: its rows, widths and colours at two screen sizes, the entry it opens on,
// stepping with its wrap, OK and Cancel with clicks in one frame, its sounds, lists it cannot
// show, and the quit it watches for.
#include <gtest/gtest.h>

#include "media/mixer.h"
#include "menu/menu.h"
#include "screens_support.h"

namespace {

using namespace menu_test;

const std::vector<std::string> kLabels = {"Alpha", "Beta", "Gamma"};
const std::vector<std::string> kValues = {"a", "b", "c"};
const std::string kUp(1, '\x92'), kDown(1, '\x91');

class Chooser : public MenuTest {};

TEST_F(Chooser, TheStepperLabelOkAndCancelStandInTheirRowsAndTheLabelNeverHovers) {
    const struct { int width, height; } cases[] = {{1024, 768}, {800, 600}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
        UseScreen(c.width, c.height);
        const ColumnBox previous = ColumnPlace(50, 0, 6), label = ColumnPlace(400, 1, 6), next = ColumnPlace(50, 2, 6),
                        ok = ColumnPlace(200, 4, 6), cancel = ColumnPlace(200, 5, 6);
        std::vector<DrawCall> overNext, overLabel;
        Script player({{"Beta", [&] { PointAt(next); }},
                       {Keep(overNext, Shows("Beta")), [&] { PointAt(label); }},
                       {Keep(overLabel, Shows("Beta")), PressKey(KEY_ENTER)}});
        EXPECT_EQ(DrawChooseMenu(g_gameUniverse, kLabels, kValues, "b"), "b");
        ASSERT_TRUE(player.Finished());

        const std::vector<ShownButton> buttons = ButtonsIn(overNext);
        ASSERT_EQ(buttons.size(), 5u);
        const struct {
            const ColumnBox& box;
            std::string label;
            int face, text;  // green of face and label: 0 and 200 idle, 100 and 255 under the pointer
        } expected[] = {{previous, kUp, 0, 200},
                        {next, kDown, 100, 255},
                        {cancel, "Cancel", 0, 200},
                        {ok, "OK", 0, 200},
                        {label, "Beta", 0, 200}};
        for (size_t i = 0; i < buttons.size(); ++i) {
            ExpectAt(buttons[i], expected[i].box);
            EXPECT_EQ(buttons[i].label, expected[i].label);
            EXPECT_EQ(buttons[i].faceGreen, expected[i].face) << expected[i].label;
            EXPECT_EQ(buttons[i].labelGreen, expected[i].text) << expected[i].label;
        }
        // The label is drawn, never updated: the pointer over it changes nothing.
        const std::vector<ShownButton> still = ButtonsIn(overLabel);
        ASSERT_EQ(still.size(), 5u);
        EXPECT_EQ(still[4].faceGreen, 0);
        EXPECT_EQ(still[4].labelGreen, 200);
        // No title: the box's only text is empty.
        EXPECT_EQ(Calls(overNext, DrawKind::Text).size(), 6u);
        EXPECT_NE(TextCall(overNext, ""), nullptr);
    }
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(Chooser, ALongLabelIsSetSmallerAndNarrowedToItsRowWidth) {
    const std::string longLabel(26, 'M');
    std::vector<DrawCall> frame;
    Script player({{Keep(frame, Shows(longLabel)), PressKey(KEY_ENTER)}});
    EXPECT_EQ(DrawChooseMenu(g_gameUniverse, {longLabel}, {"7"}, "7"), "7");
    const std::vector<ShownButton> buttons = ButtonsIn(frame);
    ASSERT_EQ(buttons.size(), 5u);
    ExpectAt(buttons[4], ColumnPlace(400, 1, 6));
    EXPECT_EQ(buttons[4].font, g_MidFont);
    ASSERT_GT(WidthIn(g_MidFont, longLabel), 400.0f) << "wider than its row";
    const DrawCall* label = TextCall(frame, longLabel);
    ASSERT_NE(label, nullptr);
    EXPECT_LT(label->state.scaleX, g_widthFactor);
    EXPECT_GT(label->corners[0].x, buttons[4].x);
    EXPECT_LT(label->corners[1].x, buttons[4].x + buttons[4].w);
}

TEST_F(Chooser, StepsWrapOkTakesTheEntryShownAndCancelGoesBackToCurrent) {
    const ColumnBox next = ColumnPlace(50, 2, 6), cancel = ColumnPlace(200, 5, 6);
    auto click = [](const ColumnBox& box) {
        return std::vector<Script::Step>{{"OK", [box] { PointAt(box), HoldButton(1); }},
                                         {"OK", [] { ReleaseButton(1); }}};
    };
    auto then = [](std::vector<Script::Step> steps, std::vector<Script::Step> more) {
        steps.insert(steps.end(), more.begin(), more.end());
        return steps;
    };
    const struct Case {
        const char* what;
        std::vector<std::string> labels, values;
        std::string current;
        std::vector<Script::Step> steps;
        std::string result;
    } cases[] = {
        {"opens on current; OK", kLabels, kValues, "b", {{"Beta", PressKey(KEY_ENTER)}}, "b"},
        {"Down, OK", kLabels, kValues, "b", {{"Beta", PressKey(KEY_DOWN)}, {"Gamma", PressKey(KEY_ENTER)}}, "c"},
        {"Down past the last wraps to the first",
         kLabels,
         kValues,
         "c",
         {{"Gamma", PressKey(KEY_DOWN)}, {"Alpha", PressKey(KEY_ENTER)}},
         "a"},
        {"Up past the first wraps to the last",
         kLabels,
         kValues,
         "a",
         {{"Alpha", PressKey(KEY_UP)}, {"Gamma", PressKey(KEY_ENTER)}},
         "c"},
        {"a click on the next button", kLabels, kValues, "a", then(click(next), {{"Beta", PressKey(KEY_ENTER)}}), "b"},
        {"Down, Escape: back to current",
         kLabels,
         kValues,
         "b",
         {{"Beta", PressKey(KEY_DOWN)}, {"Gamma", PressKey(KEY_ESCAPE)}},
         "b"},
        {"a click on Cancel", kLabels, kValues, "b", then({{"Beta", PressKey(KEY_UP)}}, click(cancel)), "b"},
        {"current not among the values: opens on the first, Cancel keeps the entry shown",
         kLabels,
         kValues,
         "z",
         {{"Alpha", PressKey(KEY_DOWN)}, {"Beta", PressKey(KEY_ESCAPE)}},
         "b"},
        {"current among several values: the first of them",
         {"First x", "Y", "Second x"},
         {"x", "y", "x"},
         "x",
         {{"First x", PressKey(KEY_UP)}, {"Second x", PressKey(KEY_DOWN)}, {"First x", PressKey(KEY_ENTER)}},
         "x"},
        {"one entry: both steps stay on it",
         {"Only"},
         {"1"},
         "1",
         {{"Only", PressKey(KEY_UP)}, {"Only", PressKey(KEY_DOWN)}, {"Only", PressKey(KEY_ENTER)}},
         "1"},
        // A step's click flushes the keys: the Enter of its frame is not seen by OK.
        {"Down and Enter in one frame: the step only",
         kLabels,
         kValues,
         "a",
         {{"Alpha", [] { Press(KEY_DOWN), Press(KEY_ENTER); }}, {"Beta", PressKey(KEY_ENTER)}},
         "b"},
        // Cancel is asked before OK.
        {"Cancel let go with Enter in one frame",
         kLabels,
         kValues,
         "a",
         {{"Alpha", PressKey(KEY_DOWN)},
          {"Beta", [cancel] { PointAt(cancel), HoldButton(1); }},
          {"Beta", [] { ReleaseButton(1), Press(KEY_ENTER); }}},
         "a"},
        {"keys under Command do nothing",
         kLabels,
         kValues,
         "a",
         {{"Alpha", [] { Hold(KEY_LCOMMAND), Press(KEY_DOWN), Press(KEY_ESCAPE); }},
          {"Alpha", [] { Release(KEY_LCOMMAND); }},
          {"Alpha", PressKey(KEY_DOWN)},
          {"Beta", PressKey(KEY_ENTER)}},
         "b"},
        {"lists of different lengths count as the shorter",
         kLabels,
         {"a", "b"},
         "b",
         {{"Beta", PressKey(KEY_DOWN)}, {"Alpha", PressKey(KEY_ENTER)}},
         "a"},
        {"fewer labels than values",
         {"Alpha", "Beta"},
         kValues,
         "a",
         {{"Alpha", PressKey(KEY_UP)}, {"Beta", PressKey(KEY_ENTER)}},
         "b"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // Keys pressed before the chooser opened choose nothing.
        Press(KEY_ENTER), Press(KEY_DOWN);
        Script player(c.steps);
        EXPECT_EQ(DrawChooseMenu(g_gameUniverse, c.labels, c.values, c.current), c.result);
        EXPECT_TRUE(player.Finished()) << "the chooser returned too early";
        ResetInput();
    }
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(Chooser, StepsAndOkClickAndCancelHasItsOwnSound) {
    const struct {
        int key;
        std::vector<std::string> sounds;
    } cases[] = {{KEY_ENTER, {"button_click", "button_click", "button_click"}},
                 {KEY_ESCAPE, {"button_click", "button_click", "button_cancel"}}};
    for (const auto& c : cases) {
        ClearEffects();
        Script player({{"Only", PressKey(KEY_UP)}, {"Only", PressKey(KEY_DOWN)}, {"Only", PressKey(c.key)}});
        DrawChooseMenu(g_gameUniverse, {"Only"}, {"1"}, "1");
        EXPECT_EQ(EffectsPlayed(), c.sounds);
    }
}

TEST_F(Chooser, EmptyListsGiveCurrentBackWithoutAFrame) {
    const struct { std::vector<std::string> labels, values; } cases[] = {{{}, {}}, {{}, kValues}, {kLabels, {}}};
    for (const auto& c : cases) {
        const std::vector<DrawCall> calls =
            Recorded([&] { EXPECT_EQ(DrawChooseMenu(g_gameUniverse, c.labels, c.values, "b"), "b"); });
        EXPECT_TRUE(calls.empty());
    }
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(Chooser, CommandQEndsTheProgramAndAFailureGivesTheEmptyText) {
    const ChildResult child = RunInChild([&] {
        Script player({{"Beta", [] { Hold(KEY_LCOMMAND); }}, {"Beta", [] { Hold(KEY_Q); }}});
        DrawChooseMenu(g_gameUniverse, kLabels, kValues, "b");
    });
    EXPECT_EQ(child.exitStatus, 0);
    EXPECT_EQ(child.err, "");

    EXPECT_EQ(DrawChooseMenu(nullptr, kLabels, kValues, "b"), "");
    EXPECT_EQ(DebugLogLines(), (std::vector<std::string>{"menu:DrawChooseMenu() " + std::string(kNullAccessMessage)}));
}

}  // namespace
