// The scores screen: the play time in words at every unit's boundary, and the screen drawn from
// players' files (cheated records, zero values, ties, more than 15 records, no games at all) at
// two screen sizes, with its colours, alpha and OK button, and the keys it answers and ignores.
#include <gtest/gtest.h>

#include "menu/menu.h"
#include "screens_support.h"

namespace {

using namespace menu_test;

class Scores : public MenuTest {
protected:
    // A player of that name whose file holds these records: (score, level, time, cheat flag).
    void AddPlayerWith(const std::string& name, const std::vector<std::tuple<int64_t, int, int, int>>& records) {
        ASSERT_EQ(universe().AddPlayer(name), 0);
        Player& player = *universe().playersArray.back();
        for (const auto& [score, level, time, cheat] : records) {
            auto stat = std::make_shared<GameStat>();
            stat->score = score, stat->level = level, stat->time = time, stat->cheatEnabled = cheat;
            player.AddGameStat(stat);
        }
        ASSERT_EQ(player.SaveToFile(universe().playersPath), 1);
    }

    // The players of the table test: Alice counted before Bob, whose sixteen small games push
    // the table past 15 rows.
    void AddFixturePlayers() {
        AddPlayerWith("Alice",
                      {{5000, 3, 60000, 0}, {1234567, 7, 3600000, 0}, {999999999, 99, 1000, 1}, {0, 0, 500, 0}});
        std::vector<std::tuple<int64_t, int, int, int>> bob = {{5000, 4, 1000, 0}};
        for (int i = 1; i <= 16; ++i) bob.emplace_back(100 * i, 2, 0, 0);
        AddPlayerWith("Bob", bob);
    }
};

TEST_F(Scores, ThePlayTimeIsWordedUnitByUnitAtEveryBoundary) {
    const struct {
        int64_t ms;
        const char* text;
    } cases[] = {
        {0, "0 seconds"},
        {999, "0 seconds"},
        {1000, "1 second"},
        {1999, "1 second"},
        {59999, "59 seconds"},
        {60000, "1 minute"},
        {61500, "1 minute, 1 second"},
        {120000, "2 minutes"},
        {3599999, "59 minutes, 59 seconds"},
        {3600000, "1 hour"},
        {7260000, "2 hours, 1 minute"},
        {86399999, "23 hours, 59 minutes, 59 seconds"},
        {86400000, "1 day"},
        {90061000, "1 day, 1 hour, 1 minute, 1 second"},
        {173100000, "2 days, 5 minutes"},
        {31557599999, "365 days, 5 hours, 59 minutes, 59 seconds"},
        {31557600000, "1 year"},
        {63115200000, "2 years"},
        {63115200000 + 2 * 86400000 + 2 * 3600000 + 2 * 60000 + 2000, "2 years, 2 days, 2 hours, 2 minutes, 2 seconds"},
        {-5000, "0 seconds"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TimeForeverLostText(universe(), c.ms), "Time Forever Lost: " + std::string(c.text) + "!") << c.ms;
    }
    g_language = "fr";
    EXPECT_EQ(TimeForeverLostText(universe(), 90061000 + 86400000),
              Latin1("Temps perdu à jamais: 2 jours, 1 heure, 1 minute, 1 seconde!"));
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(Scores, TheTablesAndTotalsComeFromEveryPlayersFileAndStandWhereTheyShould) {
    AddFixturePlayers();
    // Ties keep the record counted first above: Alice's 5,000 over Bob's.
    std::vector<std::pair<std::string, std::string>> scoreRows = {
        {"Alice", "1,234,567"}, {"Alice", "5,000"}, {"Bob", "5,000"}};
    for (int i = 16; i >= 5; --i) scoreRows.emplace_back("Bob", FormatNumber(100 * i));
    std::vector<std::pair<std::string, std::string>> levelRows = {{"Alice", "7"}, {"Bob", "4"}, {"Alice", "3"}};
    for (int i = 0; i < 12; ++i) levelRows.emplace_back("Bob", "2");
    // The cheated game adds its time only; the game of nothing counts as a game.
    const std::vector<std::string> totals = {"Total Games Played: 20", "Total Levels Played: 46",
                                             "Total Points Scored: 1,258,167",
                                             "Time Forever Lost: 1 hour, 1 minute, 2 seconds!"};

    const struct { int width, height; } sizes[] = {{1024, 768}, {800, 600}};
    for (const auto& size : sizes) {
        SCOPED_TRACE(std::to_string(size.width) + "x" + std::to_string(size.height));
        UseScreen(size.width, size.height);
        const float wf = g_widthFactor, hf = g_heightFactor;
        std::vector<DrawCall> frame;
        Script player({{Keep(frame, Shows("High Score")), PressKey(KEY_ENTER)}});
        EXPECT_EQ(DrawPlayerStats(), 0);
        ASSERT_TRUE(player.Finished());

        // The dimmed screen and the two panels, at alpha 0.8.
        const auto rects = Calls(frame, DrawKind::Rect);
        ASSERT_GE(rects.size(), 3u);
        const struct {
            float x, y, w, h;
            int green;
        } panels[] = {{0, 0, 1024, 768, 0}, {15, 45, 492, 400, 50}, {517, 45, 492, 400, 50}};
        for (size_t i = 0; i < 3; ++i) {
            EXPECT_FLOAT_EQ(rects[i]->x, panels[i].x * wf);
            EXPECT_FLOAT_EQ(rects[i]->y, panels[i].y * hf);
            EXPECT_EQ(std::make_pair(rects[i]->w, rects[i]->h), std::make_pair(panels[i].w, panels[i].h));
            EXPECT_TRUE(ColourIs(*rects[i], 0, panels[i].green, 0));
            EXPECT_FLOAT_EQ(rects[i]->state.alpha, 0.8f);
        }

        // The headers centred on each panel in the menu font; half a width rounds down.
        for (const auto& [header, centre] : {std::pair<std::string, int>{"High Score", 256}, {"High Level", 768}}) {
            const DrawCall* call = TextCall(frame, header);
            ASSERT_NE(call, nullptr) << header;
            EXPECT_EQ(call->state.font, g_MenuFont);
            EXPECT_FLOAT_EQ(call->x,
                            static_cast<float>(centre - static_cast<int>(WidthIn(g_MenuFont, header)) / 2) * wf);
            EXPECT_FLOAT_EQ(call->y, 50 * hf);
            EXPECT_TRUE(ColourIs(*call, 0, 255, 0));
            EXPECT_FLOAT_EQ(call->state.alpha, 0.8f);
        }

        // The rows: names from the left edges, numbers to the right edges; the top row green.
        const auto texts = Calls(frame, DrawKind::Text);
        size_t next = 2;  // after the two headers
        for (size_t row = 0; row < 15; ++row) {
            const float y = static_cast<float>(100 + 22 * static_cast<int>(row)) * hf;
            const int redAndBlue = row == 0 ? 0 : 255;
            const struct {
                const std::pair<std::string, std::string>& entry;
                int left, right;
            } halves[] = {{scoreRows[row], 20, 502}, {levelRows[row], 522, 1004}};
            for (const auto& half : halves) {
                ASSERT_LT(next + 1, texts.size());
                const DrawCall& name = *texts[next++];
                const DrawCall& number = *texts[next++];
                EXPECT_EQ(name.text, half.entry.first) << "row " << row;
                EXPECT_EQ(number.text, half.entry.second) << "row " << row;
                EXPECT_FLOAT_EQ(name.x, static_cast<float>(half.left) * wf);
                EXPECT_FLOAT_EQ(number.x, (static_cast<float>(half.right) - WidthIn(g_MidFont, number.text)) * wf);
                for (const DrawCall* call : {&name, &number}) {
                    EXPECT_FLOAT_EQ(call->y, y);
                    EXPECT_EQ(call->state.font, g_MidFont);
                    EXPECT_TRUE(ColourIs(*call, redAndBlue, 255, redAndBlue)) << "row " << row;
                    EXPECT_FLOAT_EQ(call->state.alpha, 0.8f);
                }
            }
        }

        // The totals, centred on the screen's middle, green.
        for (size_t i = 0; i < totals.size(); ++i) {
            ASSERT_LT(next, texts.size());
            const DrawCall& call = *texts[next++];
            EXPECT_EQ(call.text, totals[i]);
            EXPECT_FLOAT_EQ(call.x, static_cast<float>(512 - static_cast<int>(WidthIn(g_MidFont, totals[i])) / 2) * wf);
            EXPECT_FLOAT_EQ(call.y, static_cast<float>(500 + 30 * static_cast<int>(i)) * hf);
            EXPECT_TRUE(ColourIs(call, 0, 255, 0));
        }

        // OK in the slot below a column of 14 buttons, 200 wide; then the unscaled pointer.
        const std::vector<ShownButton> buttons = ButtonsIn(frame);
        ASSERT_EQ(buttons.size(), 1u);
        ExpectAt(buttons[0], ColumnPlace(200, 14, 14));
        EXPECT_FLOAT_EQ(buttons[0].y, 387 * hf + 7 * (buttons[0].h + 4));
        EXPECT_EQ(buttons[0].label, "OK");
        const auto images = Calls(frame, DrawKind::Image);
        ASSERT_FALSE(images.empty());
        EXPECT_EQ(images.back()->image, universe().cursorImage);
        EXPECT_EQ(images.back()->state.scaleX, 1.0f);
    }
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(Scores, WithoutFinishedGamesOnlyTheHeadersAndZeroTotalsShow) {
    std::vector<DrawCall> frame;
    Script player({{Keep(frame, Shows("High Score")), PressKey(KEY_ENTER)}});
    DrawPlayerStats();
    std::vector<std::string> texts;
    for (const DrawCall* call : Calls(frame, DrawKind::Text)) texts.push_back(call->text);
    EXPECT_EQ(texts,
              (std::vector<std::string>{"High Score", "High Level", "Total Games Played: 0", "Total Levels Played: 0",
                                        "Total Points Scored: 0", "Time Forever Lost: 0 seconds!", "OK"}));
}

TEST_F(Scores, OnlyEnterOrAClickOnOkClosesItAndItsOkStaysEnglish) {
    g_language = "fr";
    const ColumnBox ok = ColumnPlace(200, 14, 14);
    const struct {
        const char* what;
        std::vector<Script::Step> steps;
    } cases[] = {
        {"Enter", {{"OK", PressKey(KEY_ENTER)}}},
        {"a click on OK", {{"OK", [ok] { PointAt(ok), HoldButton(1); }}, {"OK", [] { ReleaseButton(1); }}}},
        {"Escape and other keys do nothing",
         {{"OK", PressKey(KEY_ESCAPE)}, {"OK", PressKey('S')}, {"OK", PressKey(KEY_ENTER)}}},
        {"Enter under Command does nothing",
         {{"OK", [] { Hold(KEY_LCOMMAND), Press(KEY_ENTER); }},
          {"OK", [] { Release(KEY_LCOMMAND); }},
          {"OK", PressKey(KEY_ENTER)}}},
        // The program would end here if the screen watched for it.
        {"Command-Q is not acted on",
         {{"OK", [] { Hold(KEY_LCOMMAND); }},
          {"OK", [] { Hold(KEY_Q); }},
          {"OK", [] { Release(KEY_Q), Release(KEY_LCOMMAND); }},
          {"OK", PressKey(KEY_ENTER)}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Script player(c.steps);
        EXPECT_EQ(DrawPlayerStats(), 0);
        EXPECT_TRUE(player.Finished()) << "closed too early";
        ResetInput();
    }
    // A request to terminate is left for the next screen that watches.
    InjectEvent({.type = InputEventType::Terminate});
    Script player({{"OK", PressKey(KEY_ENTER)}});
    DrawPlayerStats();
    EXPECT_TRUE(AppTerminate());
    EXPECT_EQ(g_DebugLog, "");
}

}  // namespace
