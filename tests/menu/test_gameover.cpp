// The game-over screen on the headless screen with a fixed clock: its choices, its layout, the
// closing fade under the screen overlay, the immediate quit and its failure path; and the
// stopped game that it and the pause screen draw alike, frame after frame: the field's clip
// at every screen size, the side panel's records, and the classic pack's panel pictures in
// sight beside the box.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <tuple>

#include "frozen_support.h"
#include "media/largeimage.h"
#include "menu/gameover.h"
#include "menu/pause.h"

namespace {

using namespace frozen_test;

class GameOverScreen : public FrozenGameTest {};

TEST_F(GameOverScreen, EveryChoiceSetsTheSpeedTargetBackAndFadesToBlack) {
    const ColumnBox fromBeginning = ColumnPlace(400, 1, 5);
    const ColumnBox toMenu = ColumnPlace(400, 3, 5);
    struct Case {
        const char* what;
        std::vector<Script::Step> steps;
        const char* choice;
        std::vector<std::string> heard;
    };
    const Case cases[] = {
        {"C", {{"Game Over", PressKey('C')}}, "New From This Level", {"button_click"}},
        {"N", {{"Game Over", PressKey('N')}}, "New Game", {"button_click"}},
        {"Escape", {{"Game Over", PressKey(KEY_ESCAPE)}}, "Main Menu", {"button_click"}},
        {"Q", {{"Game Over", PressKey('Q')}}, "End", {"button_quit"}},
        {"a click on New Game From Beginning",
         {{"Game Over",
           [&] {
               PointAt(fromBeginning);
               HoldButton(1);
           }},
          {"Game Over", [] { ReleaseButton(1); }}},
         "New Game",
         {"button_click"}},
        {"C in the frame a click ends on Quit To Menu: the later button decides",
         {{"Game Over",
           [&] {
               PointAt(toMenu);
               HoldButton(1);
           }},
          {"Game Over",
           [] {
               Press('C');
               ReleaseButton(1);
           }}},
         "Main Menu",
         {"button_click", "button_click"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ClearEffects();
        SetGlobalGameSpeed(0.33f, 5.0f, 99.0f);
        g_gameSpeedModulation = 0.5f;
        g_MasterMixer->RateAdjust(0.5f);
        FilmedPlayer player(c.steps);
        EXPECT_EQ(DrawGameOverMenu(g_gameUniverse), c.choice);
        EXPECT_TRUE(player.Finished());
        EXPECT_EQ(EffectsPlayed(), c.heard);
        EXPECT_FLOAT_EQ(g_gameSpeedTargetModulation, 1.0f);
        EXPECT_FLOAT_EQ(g_gameSpeedModulationRate, 10.0f);
        EXPECT_FLOAT_EQ(g_gameSpeedModulationTTL, -1.0f);
        // Only the target: the speed itself, the mixer's rate and the music are play's to change.
        EXPECT_FLOAT_EQ(g_gameSpeedModulation, 0.5f);
        EXPECT_FLOAT_EQ(g_MasterMixer->masterRate, 0.5f);
        EXPECT_EQ(g_MasterMixer->MusicPlaying(), 1);
        // Left black for the play loop.
        EXPECT_EQ(g_ScreenOverlayAlpha, 1.0f);
        EXPECT_EQ(Darkening(player.Frames().back()), 1.0f);
        g_ScreenOverlayAlpha = 0.0f;
    }
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(GameOverScreen, ItShowsItsTitleAndFourButtonsAroundAFreeRowWithThePointerOnTop) {
    const struct {
        int width, height;
        const char* language;
        const char* title;
        std::vector<std::string> labels;
    } cases[] = {
        {1024,
         768,
         "en",
         "Game Over",
         {"New Game From This Level", "New Game From Beginning", "Quit To Menu", "Quit Brondelvix 2"}},
        {800,
         600,
         "fr",
         "Partie terminée",
         {"Recommencer à ce niveau", "Recommencer au début", "Retour au menu", "Quitter Brondelvix 2"}},
    };
    const int rows[] = {0, 1, 3, 4};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.title);
        UseScreen(c.width, c.height);
        g_language = c.language;
        const std::string title = Latin1(c.title);
        Frame frame;
        FilmedPlayer player(
            {{Shows(title), [] { MovePointer(90, 40); }}, {Keep(frame, Shows(title)), PressKey(KEY_ESCAPE)}});
        EXPECT_EQ(DrawGameOverMenu(g_gameUniverse), "Main Menu");
        ASSERT_TRUE(player.Finished());

        const std::vector<ShownButton> buttons = ButtonsIn(frame);
        ASSERT_EQ(buttons.size(), 4u);
        for (size_t i = 0; i < buttons.size(); ++i) {
            EXPECT_EQ(buttons[i].label, Latin1(c.labels[i]));
            ExpectAt(buttons[i], ColumnPlace(400, rows[i], 5));
        }
        EXPECT_FLOAT_EQ(buttons[2].y - buttons[1].y, 2 * (buttons[0].h + 4)) << "row 2 stays free";
        const DrawCall* shownTitle = TextCall(frame, title);
        ASSERT_NE(shownTitle, nullptr);
        EXPECT_TRUE(ColourIs(*shownTitle, 0, 200, 0));
        EXPECT_EQ(shownTitle->y, static_cast<float>(c.height / 41 * 11));
        EXPECT_LT(TextCall(frame, "\"Level One\""), shownTitle) << "the panel lies under the box";
        const DrawCall& pointer = frame[frame.size() - 2];
        ASSERT_EQ(pointer.kind, DrawKind::Image);
        EXPECT_EQ(pointer.image, universe().cursorImage);
        EXPECT_EQ(pointer.x, 90.0f);
        EXPECT_EQ(pointer.y, 40.0f);
        EXPECT_EQ(pointer.state.scaleX, 1.0f);
        g_ScreenOverlayAlpha = 0.0f;
    }
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(GameOverScreen, TheOverlayClosesAStepBeforeEachFrameUntilExactlyBlack) {
    const struct {
        const char* what;
        int ms;
        bool holdOnce;  // one fade frame takes 0 ms
        std::vector<float> alphas;
    } cases[] = {
        {"25 ms frames", 25, false, {}},
        {"60 ms frames, held to 45", 60, false, {}},
        {"25 ms frames, one of them 0 ms", 25, true, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FramesOf(c.ms);
        Frame choosing;
        std::vector<Script::Step> steps = {{Keep(choosing, Shows("Game Over")), PressKey('N')}};
        if (c.holdOnce) {
            steps.push_back({[](const Frame& f) { return Darkening(f).value_or(0.0f) >= 0.25f; },
                             [&] { AdvanceTestClock(-c.ms); }});
        }
        FilmedPlayer player(steps);
        EXPECT_EQ(DrawGameOverMenu(g_gameUniverse), "New Game");
        ASSERT_TRUE(player.Finished());

        std::vector<float> alphas;
        for (const Frame& frame : player.Frames()) {
            if (!Darkening(frame)) continue;
            alphas.push_back(*Darkening(frame));
            // The frozen game and its panel under the overlay; no box, button or pointer.
            EXPECT_TRUE(SameRows(PanelRows(frame), PanelRows(choosing)));
            EXPECT_EQ(TextCall(frame, "Game Over"), nullptr);
            EXPECT_TRUE(ButtonsIn(frame).empty());
            EXPECT_FALSE(Drew(frame, universe().cursorImage));
            EXPECT_TRUE(Drew(frame, PackImage("ball")->imageData));
        }
        const float step = static_cast<float>(std::min(c.ms, 45)) / 800.0f;
        std::vector<float> expected;
        for (float alpha = step; alpha < 1.0f - 1e-4f; alpha += step) {
            expected.push_back(alpha);
            // The frame after the one that took no time repeats its opacity.
            if (c.holdOnce && expected.size() == 9) expected.push_back(alpha);
        }
        expected.push_back(1.0f);
        ASSERT_EQ(alphas.size(), expected.size());
        for (size_t i = 0; i < alphas.size(); ++i) EXPECT_NEAR(alphas[i], expected[i], 1e-5f) << i;
        EXPECT_EQ(alphas.back(), 1.0f);
        EXPECT_EQ(g_ScreenOverlayAlpha, 1.0f);
        g_ScreenOverlayAlpha = 0.0f;
    }
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(GameOverScreen, CommandQOrAWindowCloseEndsTheProgramAtOnceWithoutAChoice) {
    const struct {
        const char* what;
        std::vector<std::function<void()>> keys;  // one a frame
    } cases[] = {
        {"Command, then Q", {[] { Hold(KEY_LCOMMAND); }, [] { Hold('Q'); }}},
        {"a window close", {[] { InjectEvent({.type = InputEventType::Terminate}); }}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const ChildResult child = RunInChild([&] {
            AddLineToDebugLog("a fault that quitting never saves");
            std::vector<Script::Step> steps;
            for (const auto& key : c.keys) steps.push_back({"Game Over", key});
            Script player(steps);
            DrawGameOverMenu(g_gameUniverse);
            std::printf("the screen returned\n");
        });
        EXPECT_EQ(child.exitStatus, 0);
        EXPECT_EQ(child.out.find("the screen returned"), std::string::npos);
        EXPECT_EQ(child.err, "");
        EXPECT_FALSE(std::filesystem::exists(userFolder + "bx2_error_log.txt"));
    }
}

TEST_F(GameOverScreen, AFailureEndsItWithOneLogLineAndNoChoiceWhileWhatIsMissingIsPassedOver) {
    // Missing pictures and pieces draw nothing and log nothing.
    universe().DialogImage = nullptr;
    universe().cursorImage = nullptr;
    game().currentLevel->playerPaddle = nullptr;
    game().currentPack->packParticleSprites = nullptr;
    FilmedPlayer player({{"Game Over", PressKey('Q')}});
    EXPECT_EQ(DrawGameOverMenu(g_gameUniverse), "End");
    EXPECT_EQ(g_DebugLog, "");

    // Without the universe's own texts and sounds nothing can be shown.
    const UniversePtr u = g_gameUniverse;
    g_gameUniverse = nullptr;
    EXPECT_EQ(DrawGameOverMenu(u), "");
    g_gameUniverse = u;
    EXPECT_EQ(g_DebugLog, "menu:DrawGameOverMenu() " + std::string(kNullAccessMessage) + "\n");
}

// --- The stopped game as both screens draw it, in their choosing frames and their fades.

struct Screen {
    const char* name;
    std::function<std::string()> run;
    const char* title;
    int key;  // a choice that leaves, so that the fade follows
};
const Screen kScreens[] = {
    {"pause", [] { return DrawPauseMenu(g_gameUniverse); }, "Paused", 'M'},
    {"game over", [] { return DrawGameOverMenu(g_gameUniverse); }, "Game Over", 'N'},
};

class FrozenGame : public FrozenGameTest {
protected:
    // A frame of the screen's choosing loop and the last frame of its fade.
    std::pair<Frame, Frame> ChoosingAndFading(const Screen& screen) {
        Frame choosing;
        FilmedPlayer player({{Keep(choosing, Shows(screen.title)), PressKey(screen.key)}});
        screen.run();
        g_ScreenOverlayAlpha = 0.0f;
        EXPECT_TRUE(player.Finished());
        return {choosing, player.Frames().empty() ? Frame() : player.Frames().back()};
    }
};

TEST_F(FrozenGame, TheFieldIsClippedOneUnitPastItsRightAndBottomEdgesAtEveryScreenSize) {
    const struct {
        int width, height;
        int x, y, w, h;
    } cases[] = {
        {640, 480, 2, 2, 450, 475},  {800, 600, 3, 3, 563, 594},     {1024, 768, 4, 4, 721, 761},
        {1280, 960, 5, 5, 901, 951}, {1920, 1080, 7, 5, 1351, 1070},
    };
    const TImagePtr pieces[] = {PackImage("brick")->imageData, PackImage("paddle")->imageData,
                                PackImage("ball")->imageData};
    for (const auto& c : cases) {
        UseScreen(c.width, c.height);
        for (const Screen& screen : kScreens) {
            SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height) + ", " + screen.name);
            const auto [choosing, fading] = ChoosingAndFading(screen);
            for (const Frame& frame : {choosing, fading}) {
                int clipped = 0;
                for (const DrawCall& call : frame) {
                    const DrawState& s = call.state;
                    const bool piece = call.kind == DrawKind::Image &&
                                       std::find(std::begin(pieces), std::end(pieces), call.image) != std::end(pieces);
                    if (piece) {
                        ++clipped;
                        EXPECT_EQ(std::tie(s.viewportX, s.viewportY, s.viewportW, s.viewportH),
                                  std::tie(c.x, c.y, c.w, c.h));
                    } else if (call.kind == DrawKind::Text) {
                        // The panel and what lies over it: the whole window.
                        EXPECT_EQ(std::tie(s.viewportX, s.viewportY, s.viewportW, s.viewportH),
                                  std::make_tuple(0, 0, c.width, c.height))
                            << call.text;
                    }
                }
                EXPECT_EQ(clipped, 3) << "the brick, the paddle and the ball";
            }
        }
    }
    EXPECT_EQ(g_DebugLog, "");
}

// A rectangle of the logical 1024 x 768 screen.
struct LayoutBox {
    float left, top, right, bottom;
    bool Meets(int x, int y) const { return x + 1 > left && x < right && y + 1 > top && y < bottom; }
};

// Where drawn items land on the logical screen: their corners' bounds over the screen factors.
LayoutBox InLayout(const std::vector<const DrawCall*>& calls) {
    LayoutBox box{1e9f, 1e9f, -1e9f, -1e9f};
    for (const DrawCall* call : calls) {
        for (const Point& p : call->corners) {
            box.left = std::min(box.left, p.x / g_widthFactor);
            box.top = std::min(box.top, p.y / g_heightFactor);
            box.right = std::max(box.right, p.x / g_widthFactor);
            box.bottom = std::max(box.bottom, p.y / g_heightFactor);
        }
    }
    return box;
}

// The pixels of a level background's side panel that are there to be read, those of its pictures
// (or captions): the panel's own slab, slots and dividers stay under 160 in every channel, and
// the lit parts of a picture pass 200.
std::vector<std::pair<int, int>> PanelMarks(const TPixmap& background) {
    std::vector<std::pair<int, int>> marks;
    for (int y = 0; y < background.height; ++y) {
        for (int x = g_gamefieldXoffset + g_gamefieldWidth; x < background.width; ++x) {
            const uint8_t* p = background.PixelPtr(x, y);
            if (std::max({p[0], p[1], p[2]}) > 200) marks.emplace_back(x, y);
        }
    }
    return marks;
}

TEST_F(FrozenGame, TheClassicPacksPanelPicturesStayClearOfTheBoxAndOfEveryFigureAtEveryScreenSize) {
    struct Background {
        std::string name;
        std::vector<std::pair<int, int>> marks;
    };
    std::vector<Background> backgrounds;
    for (const auto& file : std::filesystem::directory_iterator(Resources() + "data/packs/classic/images")) {
        const std::string name = file.path().filename().string();
        if (!name.starts_with("bg_")) continue;
        const TPixmapPtr pixels = LoadPixmap(file.path().string());
        ASSERT_NE(pixels, nullptr) << name;
        ASSERT_EQ(std::tie(pixels->width, pixels->height), std::make_tuple(1024, 768)) << name;
        backgrounds.push_back({name, PanelMarks(*pixels)});
        EXPECT_GT(backgrounds.back().marks.size(), 100u) << name << " has no pictures to see";
    }
    ASSERT_EQ(backgrounds.size(), 4u);
    std::vector<TImagePtr> boxTiles;
    for (const ImageFragmentPtr& tile : universe().DialogImage->fragments) boxTiles.push_back(tile->img);

    // Figures as wide as a long game makes them.
    g_ScoreToDisplay = 123456789;
    game().lives = 12;
    g_LevelToDisplay = 13;
    const struct { int width, height; } sizes[] = {{640, 480}, {800, 600}, {1024, 768}, {1280, 1024}, {1920, 1080}};
    for (const auto& size : sizes) {
        UseScreen(size.width, size.height);
        for (const Screen& screen : kScreens) {
            SCOPED_TRACE(std::to_string(size.width) + "x" + std::to_string(size.height) + ", " + screen.name);
            const Frame choosing = ChoosingAndFading(screen).first;
            std::vector<const DrawCall*> box;
            for (const DrawCall& call : choosing) {
                if (call.kind == DrawKind::Image &&
                    std::find(boxTiles.begin(), boxTiles.end(), call.image) != boxTiles.end()) {
                    box.push_back(&call);
                }
            }
            ASSERT_EQ(box.size(), boxTiles.size());
            // The box's whole picture, its shadow and see-through margin too.
            std::vector<std::pair<std::string, LayoutBox>> covers = {{"the box", InLayout(box)}};
            const std::vector<DrawCall> rows = PanelRows(choosing);
            ASSERT_EQ(rows.size(), 13u);
            for (const DrawCall& row : rows) covers.emplace_back("the text " + row.text, InLayout({&row}));
            for (const Background& background : backgrounds) {
                for (const auto& [what, cover] : covers) {
                    const auto hidden = std::find_if(background.marks.begin(), background.marks.end(),
                                                     [&](const auto& m) { return cover.Meets(m.first, m.second); });
                    EXPECT_TRUE(hidden == background.marks.end())
                        << background.name << ": a picture under " << what << " (" << cover.left << ", " << cover.top
                        << " to " << cover.right << ", " << cover.bottom << "), at (" << hidden->first << ", "
                        << hidden->second << ")";
                }
            }
        }
    }
    EXPECT_EQ(g_DebugLog, "");
}

// A font whose every glyph advances the same, '!' one pixel more.
TImageFontPtr EvenFont(int advance, int lineHeight) {
    auto font = std::make_shared<TImageFont>();
    font->size = lineHeight;
    font->lineHeight = lineHeight;
    for (TGlyph& glyph : font->glyphs) {
        glyph.present = true;
        glyph.advance = advance;
    }
    font->glyphs[static_cast<unsigned char>('!')].advance = advance + 1;
    return font;
}

TEST_F(FrozenGame, ThePanelShowsTheRecordsTheGameHasBeatenInPaleGreenAndTiesInWhite) {
    const TImageFontPtr saved[] = {g_LargeFont, g_MidFont, g_SmallFont};
    g_LargeFont = EvenFont(20, 36);
    g_MidFont = EvenFont(10, 24);
    g_SmallFont = EvenFont(5, 12);
    // Everybody's records: in the middle font "High Score: " and 16 characters are 280 pixels,
    // the widest it takes; "High Level: " and 15 characters and "!" are 281.
    Universe& u = universe();
    u.statsHighScoreNames.assign(15, "");
    u.statsHighScoreNames[0] = "Annabel Lee Pryc";
    u.statsHighScores.assign(15, 0);
    u.statsHighScores[0] = 5000;
    u.statsHighLevelNames.assign(15, "");
    u.statsHighLevelNames[0] = "Bo Dunmore-Fitz!";
    u.statsHighLevels.assign(15, 0);
    u.statsHighLevels[0] = 7;
    Player& player = *game().currentPlayer;
    game().lives = 2;

    const int white[3] = {255, 255, 255};
    const int green[3] = {200, 255, 200};
    const struct {
        const char* what;
        bool cheatedOnly;  // the player's one record was played with cheats
        int64_t score;
        int level;
        bool ownScore, ownLevel, bestScore, bestLevel;  // pale green
    } cases[] = {
        {"level with the player's records", false, 1000, 3, false, false, false, false},
        {"one past the player's records", false, 1001, 4, true, true, false, false},
        {"level with everybody's records", false, 5000, 7, true, true, false, false},
        {"one past everybody's records", false, 5001, 8, true, true, true, true},
        {"a player whose only record was cheated", true, 1, 1, true, true, false, false},
    };
    for (const auto& c : cases) {
        auto record = std::make_shared<GameStat>();
        record->score = 1000;
        record->level = 3;
        record->cheatEnabled = c.cheatedOnly ? 1 : 0;
        player.gameStatsArray = {record};
        player.highScore = player.highLevel = -1;
        g_ScoreToDisplay = c.score;
        g_LevelToDisplay = c.level;
        const std::string ownScore = c.cheatedOnly ? "0" : "1,000";
        const std::string ownLevel = c.cheatedOnly ? "0" : "3";
        const struct {
            std::string text;
            TImageFontPtr font;
            int x;  // -1: centred on 876 by its width in its font
            int y;
            const int* colour;
        } expected[] = {
            {FormatNumber(c.score), g_LargeFont, 756, 108, white},
            {"2", g_LargeFont, 790, 182, white},
            {FormatNumber(c.level), g_LargeFont, 850, 242, white},
            {"\"Level One\"", g_MidFont, -1, 300, white},
            {player.name, g_MidFont, -1, 340, white},
            {"High Score", g_MidFont, -1, 380, c.ownScore ? green : white},
            {ownScore, g_MidFont, -1, 410, c.ownScore ? green : white},
            {"High Level", g_MidFont, -1, 450, c.ownLevel ? green : white},
            {ownLevel, g_MidFont, -1, 480, c.ownLevel ? green : white},
            {"High Score: Annabel Lee Pryc", g_MidFont, -1, 530, c.bestScore ? green : white},
            {"5,000", g_MidFont, -1, 560, c.bestScore ? green : white},
            {"High Level: Bo Dunmore-Fitz!", g_SmallFont, -1, 600, c.bestLevel ? green : white},
            {"7", g_MidFont, -1, 630, c.bestLevel ? green : white},
        };
        for (const Screen& screen : kScreens) {
            const auto [choosing, fading] = ChoosingAndFading(screen);
            for (const Frame* frame : {&choosing, &fading}) {
                SCOPED_TRACE(std::string(c.what) + ", " + screen.name + (frame == &choosing ? "" : ", fading"));
                const std::vector<DrawCall> rows = PanelRows(*frame);
                ASSERT_EQ(rows.size(), std::size(expected));
                for (size_t i = 0; i < rows.size(); ++i) {
                    SCOPED_TRACE("row " + std::to_string(i + 1));
                    const auto& e = expected[i];
                    const DrawState& s = rows[i].state;
                    EXPECT_EQ(rows[i].text, e.text);
                    EXPECT_EQ(s.font, e.font);
                    const int width =
                        static_cast<int>(e.text.size()) * e.font->glyphs['0'].advance + (e.text.back() == '!' ? 1 : 0);
                    EXPECT_EQ(rows[i].x, static_cast<float>(e.x >= 0 ? e.x : 876 - width / 2));
                    EXPECT_EQ(rows[i].y, static_cast<float>(e.y));
                    EXPECT_TRUE(ColourIs(rows[i], e.colour[0], e.colour[1], e.colour[2]));
                    EXPECT_EQ(s.alpha, 1.0f);
                    EXPECT_EQ(s.blend, ALPHABLEND);
                }
            }
        }
    }
    g_LargeFont = saved[0];
    g_MidFont = saved[1];
    g_SmallFont = saved[2];
    EXPECT_EQ(g_DebugLog, "");
}

}  // namespace
