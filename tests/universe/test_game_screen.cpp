// The in-game screen against the recorded drawing calls: the layers of the field and their clip,
// the balls in play, the floating texts' one step per frame, the side panel's rows, fonts and
// colours, and frames of games that lack a piece.
#include <functional>
#include <tuple>
#include <vector>

#include "game_support.h"
#include "pieces/brickbox.h"
#include "pieces/nain.h"
#include "pieces/powerups.h"
#include "pieces/projectile.h"
#include "pieces/weapon.h"
#include "sprites/particle.h"
#include "sprites/test_sprite_support.h"

namespace {

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

struct Drawn {
    std::string what;  // the image's name or the text
    DrawCall call;
};

class GameScreen : public GameFixture {
protected:
    std::vector<ImagePtr> images;
    TImageFontPtr savedFonts[3];

    void SetUp() override {
        GameFixture::SetUp();
        savedFonts[0] = g_LargeFont;
        savedFonts[1] = g_MidFont;
        savedFonts[2] = g_SmallFont;
        for (const ImageTextPtr& text : g_ImageTextArray) text->ttl = -1.0f;
        g_maxBalls = 16;
    }
    void TearDown() override {
        for (const ImageTextPtr& text : g_ImageTextArray) text->ttl = -1.0f;
        g_LargeFont = savedFonts[0];
        g_MidFont = savedFonts[1];
        g_SmallFont = savedFonts[2];
        GameFixture::TearDown();
    }

    // A sprite showing an image of its own name.
    SpritePtr Showing(const std::string& name) {
        images.push_back(spritetest::MakeImage(name));
        SpritePtr sprite = spritetest::LoadSprite(spritetest::SpriteXml(
            name, "", spritetest::Anim("idle", spritetest::Step("s", 1000, "<imageName>" + name + "</imageName>"))));
        sprite->animationArray[0]->StepsArray[0]->LinkImage(images);
        sprite->widthBound = sprite->heightBound = 8.0f;
        sprite->x = sprite->y = 100.0f;
        return sprite;
    }
    BrickPtr MakeBrick(const std::string& name) {
        auto brick = std::make_shared<Brick>();
        brick->brickSprite = Showing(name);
        return brick;
    }
    NainPtr MakeNain(const std::string& name, const std::string& status) {
        auto nain = std::make_shared<Nain>();
        nain->nainSprite = Showing(name);
        nain->status = status;
        return nain;
    }
    BallPtr MakeBall(const std::string& name) {
        auto ball = std::make_shared<Ball>();
        ball->ballSprite = Showing(name);
        ball->isLive = 1;
        return ball;
    }

    // A level with one piece of every kind, each showing its own image.
    LevelPtr FullLevel() {
        auto level = std::make_shared<Level>();
        level->name = "Tower";
        level->bricksArray = {MakeBrick("brick")};
        level->brickShield = std::make_shared<BrickBox>();
        level->brickShield->bricksToCheck = {MakeBrick("shield")};
        level->playerPaddle = std::make_shared<Paddle>();
        level->playerPaddle->paddleSprite = Showing("paddle");
        // Falling nains go over seated ones, whatever their order.
        level->nainsArray = {MakeNain("falling", "falling"), MakeNain("seated", ""), MakeNain("sitting", "sitting"),
                             MakeNain("Falling", "Falling")};
        auto powerup = std::make_shared<Powerup>();
        powerup->powerupSprite = Showing("powerup");
        powerup->isLive = 1;
        level->powerupsArray = {powerup};
        auto projectile = std::make_shared<Projectile>();
        projectile->projectileSprite = Showing("projectile");
        projectile->isLive = 1;
        level->projectilesArray = {nullptr, projectile};
        level->activeWeapon = std::make_shared<Weapon>();
        level->activeWeapon->weaponSprite = Showing("weapon");
        level->ballsArray = {MakeBall("ball 0"), MakeBall("ball 1"), MakeBall("ball 2")};
        return level;
    }
    PackPtr PackWithAParticle() {
        auto pack = std::make_shared<Pack>();
        pack->packParticleSprites = std::make_shared<ParticleSprites>();
        pack->packParticleSprites->Initialize(4);
        pack->packParticleSprites->spriteArray[0] = Showing("particle");
        return pack;
    }

    // What a frame drew, in order: images by name, texts as they read.
    std::vector<Drawn> DrawFrame(const UniversePtr& u) {
        StartRecording();
        EXPECT_EQ(game->DrawGameScreen(u), "");
        return Named(StopRecording());
    }
    std::vector<Drawn> Named(const std::vector<DrawCall>& calls) {
        std::vector<Drawn> drawn;
        for (const DrawCall& call : calls) {
            if (call.kind == DrawKind::Text) drawn.push_back({call.text, call});
            if (call.kind != DrawKind::Image) continue;
            std::string name = "?";
            for (const ImagePtr& image : images) {
                if (image->imageData == call.image) name = image->name;
            }
            drawn.push_back({name, call});
        }
        return drawn;
    }
    static bool ClippedToField(const DrawState& s) {
        return s.viewportX == 4 && s.viewportY == 4 && s.viewportW == 721 && s.viewportH == 761;
    }
};

TEST_F(GameScreen, TheFieldIsDrawnInItsLayersAndOnlyItsPiecesAreClipped) {
    game->currentLevel = FullLevel();
    game->currentPack = PackWithAParticle();
    g_maxBalls = 2;
    AddToImageTextArray("+100", 255, 255, 255, 300, 300, 0, 0, 1, 0, 0, 0, 0, 50);

    const std::vector<Drawn> drawn = DrawFrame(g_gameUniverse);
    const struct {
        const char* what;
        bool clipped;
    } expected[] = {
        {"brick", true},     {"shield", true},  {"paddle", true},  {"seated", true},     {"sitting", true},
        {"Falling", true},   {"falling", true}, {"powerup", true}, {"projectile", true}, {"weapon", true},
        {"particle", false}, {"+100", false},   {"ball 0", true},  {"ball 1", true},
    };
    ASSERT_GT(drawn.size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        SCOPED_TRACE(expected[i].what);
        EXPECT_EQ(drawn[i].what, expected[i].what);
        EXPECT_EQ(ClippedToField(drawn[i].call.state), expected[i].clipped);
    }
    // Then only the panel, unclipped; the third ball is beyond the balls in play.
    for (size_t i = std::size(expected); i < drawn.size(); ++i) {
        EXPECT_EQ(drawn[i].call.kind, DrawKind::Text) << drawn[i].what;
        EXPECT_FALSE(ClippedToField(drawn[i].call.state)) << drawn[i].what;
    }
    // The clip is off when the frame is handed on.
    int x, y, w, h;
    GetViewport(x, y, w, h);
    EXPECT_EQ(w, GraphicsWidth());
    EXPECT_EQ(h, GraphicsHeight());
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(GameScreen, ABackgroundIsDrawnFirstAtTheScreenScaleAndUnclipped) {
    game->currentLevel = FullLevel();
    game->currentLevel->backgroundImage = BigImage::create(CreatePixmap(64, 32));
    g_widthFactor = 1.5f;
    g_heightFactor = 1.25f;
    const std::vector<Drawn> drawn = DrawFrame(g_gameUniverse);
    ASSERT_FALSE(drawn.empty());
    EXPECT_EQ(drawn[0].what, "?");
    EXPECT_EQ(drawn[0].call.state.scaleX, 1.5f);
    EXPECT_EQ(drawn[0].call.state.scaleY, 1.25f);
    EXPECT_NE(drawn[0].call.state.viewportW, 1081);
    // The field at these factors: 721 x 761 units at (4, 4), truncated.
    size_t brick = 0;
    while (brick < drawn.size() && drawn[brick].what != "brick") ++brick;
    ASSERT_LT(brick, drawn.size());
    const DrawState& s = drawn[brick].call.state;
    EXPECT_EQ(s.viewportX, 6);
    EXPECT_EQ(s.viewportY, 5);
    EXPECT_EQ(s.viewportW, 1081);
    EXPECT_EQ(s.viewportH, 951);
}

TEST_F(GameScreen, FloatingTextsStepOncePerFrameAndNotInAFrozenField) {
    game->currentLevel = FullLevel();
    AddToImageTextArray("+5", 255, 255, 255, 300, 300, 2, 0, 1, 0, 0, 0, 0, 50);
    ImageTextPtr text;
    for (const ImageTextPtr& t : g_ImageTextArray) {
        if (t->textToDraw == "+5") text = t;
    }
    ASSERT_NE(text, nullptr);

    for (int frame = 0; frame < 2; ++frame) {
        g_gameSpeedFactor = 1.0f;
        game->DrawField(0);
    }
    EXPECT_EQ(text->x, 300.0f);
    EXPECT_EQ(text->ttl, 50.0f);

    g_gameSpeedFactor = 1.0f;
    game->DrawGameScreen(g_gameUniverse);
    EXPECT_EQ(text->x, 302.0f);
    EXPECT_EQ(text->ttl, 49.0f);
}

TEST_F(GameScreen, ThePanelShowsItsThirteenRowsWithTheRecordsBeatenInPaleGreen) {
    g_LargeFont = EvenFont(20, 36);
    g_MidFont = EvenFont(10, 24);
    g_SmallFont = EvenFont(5, 12);
    game->currentPlayer = player;
    game->currentLevel = FullLevel();
    game->lives = 4;
    // The player's fair best: 1,000 points and level 3; a cheat game never counts.
    for (const auto& [score, level, cheat] : {std::tuple{1000, 3, 0}, std::tuple{99999, 9, 1}}) {
        auto stat = std::make_shared<GameStat>();
        stat->score = score;
        stat->level = level;
        stat->cheatEnabled = cheat;
        player->AddGameStat(stat);
    }
    Universe& u = universe();
    g_language = "en";
    u.languageStringsArray = {"<string><name>High Score</name><en>Best Score</en></string>"};
    // "Best Score: " and 16 characters are 280 font pixels, the widest in the middle font;
    // "High Level: " and 15 characters and "!" are 281.
    u.statsHighScoreNames.assign(15, "");
    u.statsHighScoreNames[0] = "Annabel Lee Pryc";
    u.statsHighScores.assign(15, 0);
    u.statsHighScores[0] = 5000;
    u.statsHighLevelNames.assign(15, "");
    u.statsHighLevelNames[0] = "Bo Dunmore-Fitz!";
    u.statsHighLevels.assign(15, 0);
    u.statsHighLevels[0] = 7;

    const int white[3] = {255, 255, 255};
    const int green[3] = {200, 255, 200};
    const struct {
        const char* what;
        int64_t score;
        int level;
        bool ownScore, ownLevel, bestScore, bestLevel;  // pale green
    } cases[] = {
        {"level with the player's records", 1000, 3, false, false, false, false},
        {"one past the player's records", 1001, 4, true, true, false, false},
        {"level with everybody's records", 5000, 7, true, true, false, false},
        {"past everybody's records", 5001, 8, true, true, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        g_ScoreToDisplay = c.score;
        g_LevelToDisplay = c.level;
        const std::vector<Drawn> all = DrawFrame(g_gameUniverse);
        std::vector<Drawn> rows;
        for (const Drawn& d : all) {
            if (d.call.kind == DrawKind::Text) rows.push_back(d);
        }
        const struct {
            std::string text;
            TImageFontPtr font;
            int x;  // -1: centred on 876 by its width in its font
            int y;
            const int* colour;
        } expected[] = {
            {FormatNumber(c.score), g_LargeFont, 756, 108, white},
            {"4", g_LargeFont, 790, 182, white},
            {FormatNumber(c.level), g_LargeFont, 850, 242, white},
            {"\"Tower\"", g_MidFont, -1, 300, white},
            {"Tess", g_MidFont, -1, 340, white},
            {"Best Score", g_MidFont, -1, 380, c.ownScore ? green : white},
            {"1,000", g_MidFont, -1, 410, c.ownScore ? green : white},
            {"High Level", g_MidFont, -1, 450, c.ownLevel ? green : white},
            {"3", g_MidFont, -1, 480, c.ownLevel ? green : white},
            {"Best Score: Annabel Lee Pryc", g_MidFont, -1, 530, c.bestScore ? green : white},
            {"5,000", g_MidFont, -1, 560, c.bestScore ? green : white},
            {"High Level: Bo Dunmore-Fitz!", g_SmallFont, -1, 600, c.bestLevel ? green : white},
            {"7", g_MidFont, -1, 630, c.bestLevel ? green : white},
        };
        ASSERT_EQ(rows.size(), std::size(expected));
        for (size_t i = 0; i < rows.size(); ++i) {
            SCOPED_TRACE("row " + std::to_string(i + 1));
            const auto& e = expected[i];
            const DrawState& s = rows[i].call.state;
            EXPECT_EQ(rows[i].what, e.text);
            EXPECT_EQ(s.font, e.font);
            const int width =
                static_cast<int>(e.text.size()) * e.font->glyphs['0'].advance + (e.text.back() == '!' ? 1 : 0);
            EXPECT_EQ(rows[i].call.x, static_cast<float>(e.x >= 0 ? e.x : 876 - width / 2));
            EXPECT_EQ(rows[i].call.y, static_cast<float>(e.y));
            EXPECT_EQ(s.red, e.colour[0]);
            EXPECT_EQ(s.green, e.colour[1]);
            EXPECT_EQ(s.blue, e.colour[2]);
            EXPECT_EQ(s.scaleX, 1.0f);
            EXPECT_EQ(s.alpha, 1.0f);
            EXPECT_EQ(s.blend, ALPHABLEND);
        }
    }
    // Handed on in white with the large font.
    int r, g, b;
    GetColor(r, g, b);
    EXPECT_EQ(r + g + b, 3 * 255);
    EXPECT_EQ(GetImageFont(), g_LargeFont);
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(GameScreen, ThePanelScalesWithTheScreenAndShowsNoRecordsBeforeAnyGame) {
    g_MidFont = EvenFont(10, 24);
    g_widthFactor = 1.5f;
    g_heightFactor = 1.25f;
    game->currentPlayer = player;
    game->currentLevel = FullLevel();
    // No finished game anywhere: empty names and naughts.
    universe().statsHighScoreNames.assign(15, "");
    universe().statsHighScores.assign(15, 0);
    universe().statsHighLevelNames.assign(15, "");
    universe().statsHighLevels.assign(15, 0);
    std::vector<Drawn> rows;
    for (const Drawn& d : DrawFrame(g_gameUniverse)) {
        if (d.call.kind == DrawKind::Text) rows.push_back(d);
    }
    ASSERT_EQ(rows.size(), 13u);
    EXPECT_EQ(rows[0].call.x, 756.0f * 1.5f);
    EXPECT_EQ(rows[0].call.y, 108.0f * 1.25f);
    EXPECT_EQ(rows[0].call.state.scaleX, 1.5f);
    EXPECT_EQ(rows[0].call.state.scaleY, 1.25f);
    const std::string names[] = {"High Score: ", "0", "High Level: ", "0"};
    for (size_t i = 0; i < 4; ++i) {
        const Drawn& row = rows[9 + i];
        EXPECT_EQ(row.what, names[i]);
        EXPECT_EQ(row.call.x, static_cast<float>(876 - static_cast<int>(names[i].size()) * 10 / 2) * 1.5f);
        EXPECT_EQ(row.call.state.red, 255);
        EXPECT_EQ(row.call.state.blue, 255);
    }
}

TEST_F(GameScreen, AFrameOfAGameThatLacksPiecesDrawsWhatThereIs) {
    // A level file that cannot be read makes an empty level with no paddle.
    AddLevel("Ghost", "levels/ghost.xml", "");
    std::filesystem::remove(packFolder + "levels/ghost.xml");
    LoadPackOnly();
    game->LoadNextLevel("Ghost");
    ASSERT_NE(g_DebugLog, "");
    const LevelPtr unreadable = game->currentLevel;
    const PackPtr loadedPack = game->currentPack;

    const struct {
        const char* what;
        std::function<void()> make;
        bool withUniverse;
    } cases[] = {
        {"a new game", [] {}, true},
        {"an unreadable level",
         [&] {
             game->currentLevel = unreadable;
             game->currentPack = loadedPack;
         },
         true},
        {"missing pieces everywhere",
         [&] {
             LevelPtr level = FullLevel();
             level->playerPaddle = nullptr;
             level->brickShield = nullptr;
             level->bricksArray.push_back(nullptr);
             level->nainsArray.push_back(nullptr);
             level->nainsArray[0]->nainSprite = nullptr;
             level->powerupsArray.push_back(nullptr);
             level->ballsArray = {nullptr, std::make_shared<Ball>()};
             level->ballsArray[1]->ballSprite = nullptr;
             level->ballsArray[1]->isLive = 1;
             game->currentLevel = level;
             game->currentPack = std::make_shared<Pack>();
         },
         true},
        {"a paddle without its sprite",
         [&] {
             game->currentLevel = FullLevel();
             game->currentLevel->playerPaddle->paddleSprite = nullptr;
         },
         true},
        {"a pool shorter than the balls in play, and no universe",
         [&] {
             game->currentLevel = FullLevel();
             game->currentLevel->ballsArray.resize(1);
         },
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        game = std::make_shared<Game>();
        c.make();
        ClearDebugLog();
        g_ScreenOverlayAlpha = 0.0f;  // the pack load leaves its fade's black over the screen
        g_lastMilliSecs = MilliSecs() - 33;
        const std::vector<Drawn> drawn = DrawFrame(c.withUniverse ? g_gameUniverse : nullptr);
        EXPECT_EQ(g_DebugLog, "");
        // The frame ran to its end: the panel's last row and the screen refresh.
        ASSERT_FALSE(drawn.empty());
        EXPECT_EQ(drawn.back().what, "0");
        EXPECT_EQ(g_realFrameDelay, 33);
    }
}

}  // namespace
