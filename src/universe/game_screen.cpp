// The in-game screen: the level's background, the field with its pieces in their layers, the
// particles, floating texts and balls, and the side panel with the score, lives and records.
// The pause and game-over screens draw the same field, held still, and the same panel.
#include <algorithm>
#include <cstdint>

#include "core/globals.h"
#include "core/numeric.h"
#include "media/largeimage.h"
#include "pieces/ball.h"
#include "pieces/brick.h"
#include "pieces/brickbox.h"
#include "pieces/nain.h"
#include "pieces/powerups.h"
#include "pieces/projectile.h"
#include "pieces/weapon.h"
#include "platform/graphics.h"
#include "sprites/particle.h"
#include "sprites/sprites.h"
#include "universe/game.h"

namespace {

constexpr int kPanelCentreX = 876;
// A record holder's line wider than this in the middle font is drawn in the small one.
constexpr int kWidestRecordLine = 280;

void ResetDrawing() {
    SetOrigin(0.0f, 0.0f);
    SetHandle(0.0f, 0.0f);
    SetColor(255, 255, 255);
    SetBlend(ALPHABLEND);
    SetAlpha(1.0f);
    SetRotation(0.0f);
}

// The field's edge in screen pixels: the product in double, truncated toward zero.
int ScreenPixels(int logical, float factor) { return TruncToInt(static_cast<double>(logical) * factor); }

// One unit wider and taller than the field, its right and bottom edges less 3 taken as its size.
void ClipToField() {
    SetViewport(ScreenPixels(g_gamefieldXoffset, g_widthFactor), ScreenPixels(g_gamefieldYoffset, g_heightFactor),
                ScreenPixels(g_gamefieldXoffset + g_gamefieldWidth - 3, g_widthFactor),
                ScreenPixels(g_gamefieldYoffset + g_gamefieldHeight - 3, g_heightFactor));
}

void ClipOff() { SetViewport(0, 0, GraphicsWidth(), GraphicsHeight()); }

// The pieces below the balls. Missing pieces are skipped, and silently: an unreadable level
// file makes a level without a paddle, and a frame must still show what there is. A raise or a
// log line instead would end the pause and game-over screens (the latter reopening every frame
// until the log's limit ends the program), and any logged line ends the next game start.
void DrawPieces(const Level& level) {
    for (const BrickPtr& brick : level.bricksArray) {
        if (brick) brick->Draw();
    }
    if (level.brickShield) {
        for (const BrickPtr& brick : level.brickShield->bricksToCheck) {
            if (brick) brick->Draw();
        }
    }
    const PaddlePtr& paddle = level.playerPaddle;
    const bool hasPaddle = paddle && paddle->paddleSprite;
    if (hasPaddle) paddle->Draw();
    // Falling nains lie over every seated one, whatever their order.
    for (const bool falling : {false, true}) {
        for (const NainPtr& nain : level.nainsArray) {
            if (nain && nain->nainSprite && (nain->status == "falling") == falling) nain->Draw();
        }
    }
    for (const PowerupPtr& powerup : level.powerupsArray) {
        if (powerup) powerup->Draw();
    }
    for (const ProjectilePtr& projectile : level.projectilesArray) {
        if (projectile) projectile->Draw();
    }
    if (level.activeWeapon && hasPaddle) level.activeWeapon->Draw(paddle);
}

// Only the pool's first g_maxBalls balls are ever in play.
void DrawBalls(const Level& level) {
    const size_t shown = std::min(level.ballsArray.size(), static_cast<size_t>(std::max(g_maxBalls, 0)));
    for (size_t i = 0; i < shown; ++i) {
        const BallPtr& ball = level.ballsArray[i];
        if (ball && ball->ballSprite) ball->Draw();
    }
}

void LeftText(const std::string& text, int x, int y) {
    DrawText(text, static_cast<float>(x) * g_widthFactor, static_cast<float>(y) * g_heightFactor);
}

// Centred on the panel by the width of the very text drawn, in the font selected.
void CentredText(const std::string& text, int y) {
    DrawText(text, static_cast<float>(kPanelCentreX - TextWidth(text) / 2) * g_widthFactor,
             static_cast<float>(y) * g_heightFactor);
}

// Pale green while the running game is beyond the record shown, white otherwise (a tie too).
void RecordColour(bool beaten) {
    if (beaten) {
        SetColor(200, 255, 200);
    } else {
        SetColor(255, 255, 255);
    }
}

// A record holder's line in the middle font, or in the small one for this row alone when the
// name makes it too wide.
void RecordHolderText(const std::string& text, int y) {
    if (TextWidth(text) > kWidestRecordLine) SetImageFont(g_SmallFont);
    CentredText(text, y);
    SetImageFont(g_MidFont);
}

// The best of all players, entry 0 of each scores table.
struct TopRecords {
    std::string scoreName;
    int64_t score = 0;
    std::string levelName;
    int level = 0;
};

// Before the statistics are first computed the tables are empty: nobody holds a record yet.
TopRecords TopRecordsOf(const Universe* universe) {
    TopRecords top;
    if (!universe) return top;
    if (!universe->statsHighScoreNames.empty()) top.scoreName = universe->statsHighScoreNames.front();
    if (!universe->statsHighScores.empty()) top.score = universe->statsHighScores.front();
    if (!universe->statsHighLevelNames.empty()) top.levelName = universe->statsHighLevelNames.front();
    if (!universe->statsHighLevels.empty()) top.level = universe->statsHighLevels.front();
    return top;
}

}  // namespace

std::string Game::DrawGameScreen(const UniversePtr& universe) {
    Guarded("universe:Game.DrawGameScreen() ", 0, [&] {
        DrawField(1);
        DrawSidePanel(universe);
        ScreenRefresh(0, 0);
        return 0;
    });
    return "";
}

int Game::DrawField(int advanceTexts) {
    SetImageFont(g_LargeFont);
    ResetDrawing();
    SetScale(g_widthFactor, g_heightFactor);
    const Level* level = currentLevel.get();
    if (level && level->backgroundImage) level->backgroundImage->Render();
    SetScale(1.0f, 1.0f);
    ClipToField();
    if (level) DrawPieces(*level);
    ClipOff();

    if (currentPack && currentPack->packParticleSprites) currentPack->packParticleSprites->Draw();
    for (const ImageTextPtr& text : g_ImageTextArray) {
        if (text) text->Draw(advanceTexts);
    }

    // The balls lie over everything else on the field, particles and texts included.
    ClipToField();
    if (level) DrawBalls(*level);
    ClipOff();
    return 0;
}

int Game::DrawSidePanel(const UniversePtr& universe) {
    ClipOff();
    // Alpha blending is chosen here rather than taken from the field's last image: a pack whose
    // balls shade or draw solid would otherwise leave the panel's texts unreadable.
    ResetDrawing();
    SetScale(g_widthFactor, g_heightFactor);

    SetImageFont(g_LargeFont);
    LeftText(FormatNumber(g_ScoreToDisplay), 756, 108);
    LeftText(FormatNumber(lives), 790, 182);
    LeftText(FormatNumber(g_LevelToDisplay), 850, 242);

    SetImageFont(g_MidFont);
    if (currentLevel) CentredText("\"" + currentLevel->name + "\"", 300);

    auto localized = [&](const std::string& key) { return universe ? universe->GetLocalizedString(key) : key; };
    const std::string highScore = localized("High Score");
    const std::string highLevel = localized("High Level");

    if (currentPlayer) {
        Player& player = *currentPlayer;
        CentredText(player.name, 340);
        const int64_t bestScore = player.GetHighScore(1);
        RecordColour(bestScore < g_ScoreToDisplay);
        CentredText(highScore, 380);
        CentredText(FormatNumber(bestScore), 410);
        const int bestLevel = player.GetHighLevel(1);
        RecordColour(bestLevel < g_LevelToDisplay);
        CentredText(highLevel, 450);
        CentredText(FormatNumber(bestLevel), 480);
    }

    const TopRecords top = TopRecordsOf(universe.get());
    RecordColour(top.score < g_ScoreToDisplay);
    RecordHolderText(highScore + ": " + top.scoreName, 530);
    CentredText(FormatNumber(top.score), 560);
    RecordColour(top.level < g_LevelToDisplay);
    RecordHolderText(highLevel + ": " + top.levelName, 600);
    CentredText(FormatNumber(top.level), 630);

    SetColor(255, 255, 255);
    SetImageFont(g_LargeFont);
    return 0;
}

void DrawFrozenPlayField(const UniversePtr& universe) {
    Cls();
    const GamePtr game = universe ? universe->currentGame : nullptr;
    if (game) {
        game->DrawField(0);
    } else {
        ClipOff();
    }
}

void DrawFrozenSidePanel(const UniversePtr& universe) {
    const GamePtr game = universe ? universe->currentGame : nullptr;
    if (game) {
        game->DrawSidePanel(universe);
    } else {
        ClipOff();
    }
}
