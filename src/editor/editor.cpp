// The level editor over the running level: the mode keys and the jump to another level, the
// help panel and the cursor, the template's keys, the tools under mouse button 1 and the
// placing of a copy of the template.
#include "editor/editor.h"

#include <utility>

#include "core/globals.h"
#include "media/largeimage.h"
#include "media/menubutton.h"
#include "menu/menu.h"
#include "pack/packs.h"
#include "pieces/brick.h"
#include "pieces/gamestats.h"
#include "pieces/nain.h"
#include "platform/font.h"
#include "platform/graphics.h"
#include "platform/input.h"
#include "platform/runtime.h"
#include "sprites/particle.h"
#include "sprites/sprites.h"
#include "universe/game.h"

namespace {

// The editor's tunables.
constexpr int kPanelGap = 4;            // logical pixels between the field's right edge and the panel
constexpr float kHelpTop = 10.0f;       // the first help line, in pixels of a 768-high screen
constexpr float kHelpSpacing = 24.0f;   // from one help line to the next, likewise
constexpr float kCrossArm = 4.0f;       // the Delete cross, logical pixels from its centre
constexpr float kBracketArm = 8.0f;     // the Change bracket's outer arms
constexpr float kBracketInner = 6.0f;   // its inner arms, from 1 to this
constexpr float kChangePreview = 4.0f;  // the template beside the bracket, right of and below the cursor
constexpr float kFineScaleStep = 0.1f;
constexpr float kCoarseScaleStep = 1.0f;  // with Shift held
constexpr float kNoCorner = -1.0f;
constexpr float kNainFallSpeed = 5.0f;  // as a nain falls when its brick goes
constexpr int kKeyO = 'O';

const char* const kJumpPrompt = "Jump To Level:";

std::function<std::vector<BrickPtr>(const std::vector<BrickPtr>&)> appendHook;

float Positive(float factor) { return factor > 0.0f ? factor : 1.0f; }

// The template shares its powerup tables (its own and its next forms') with the pack's brick
// types and every brick copied from them: it lets go of them, so that unlinking it empties none.
void LetGoOfTemplate(Brick& templateBrick) {
    WalkForms(templateBrick, [](Brick& form) { form.powerupGenerated = nullptr; });
    templateBrick.Unlink();
}

void RebuildTemplate(Brick& templateBrick, const BrickPtr& source) {
    LetGoOfTemplate(templateBrick);
    templateBrick.Clone(source);
}

// A dying slot taken for a new brick starts as a new brick would in what the copy does not carry
// over: no pending fuse, charge or recovery, no powerup owed, no nain (which falls, as it would
// once the brick had gone) and no neighbours, whose lists forget it too.
void MakeSlotNew(Brick& brick) {
    brick.ttExplode = -1.0f;
    brick.ttElectrify = -1.0f;
    brick.ttRecover = -1.0f;
    brick.powerupToGenerate.clear();
    brick.powerupCount = 0;
    if (NainPtr nain = brick.currentNain) {
        if (nain->parentBrick.get() == &brick) nain->MakeNainFall(kNainFallSpeed);
        brick.currentNain = nullptr;
    }
    for (BrickPtr& neighbour : brick.adjacentBricks) {
        if (!neighbour) continue;
        for (BrickPtr& entry : neighbour->adjacentBricks) {
            if (entry.get() == &brick) entry = nullptr;
        }
        neighbour = nullptr;
    }
    brick.adjacentBricks.clear();
}

// The positions from `from` towards `to` (exclusive) in steps of `step`, at most `most` of them;
// false when a step would not move the position on or there would be more.
bool StepsTowards(float from, float to, float step, size_t most, std::vector<float>& positions) {
    for (float at = from; at < to;) {
        if (positions.size() == most) return false;
        positions.push_back(at);
        const float next = at + step;
        if (!(next > at)) return false;
        at = next;
    }
    return true;
}

void JumpToLevel() {
    const GamePtr game = g_gameUniverse ? g_gameUniverse->currentGame : nullptr;
    if (!game) return;
    std::string name;
    FlushKeys();
    Cls();
    while (DrawTextInputMenu(kJumpPrompt, name, nullptr, 1, 1, 0) == 0) {
        Flip(-1);
        Cls();
    }
    // Looked up before the level goes: a name the pack lacks keeps the level being edited, with
    // its unsaved bricks, and is reported once.
    game->ChangeLevel(name);
    // The Enter or Escape that ended the entry must not reach the editor's own keys: an Escape
    // would end the run.
    FlushKeys();
    FlushMouse();
}

void DrawCross(float x, float y) {
    const float ax = kCrossArm * g_widthFactor, ay = kCrossArm * g_heightFactor;
    DrawLine(x - ax, y - ay, x + ax, y + ay);
    DrawLine(x + ax, y - ay, x - ax, y + ay);
}

void DrawBracket(float x, float y) {
    const float w = g_widthFactor, h = g_heightFactor;
    DrawLine(x, y, x + kBracketArm * w, y);
    DrawLine(x, y, x, y + kBracketArm * h);
    DrawLine(x + w, y + h, x + kBracketInner * w, y + h);
    DrawLine(x + w, y + h, x + w, y + kBracketInner * h);
}

// The arrows scale the template by a tenth, or by one with Shift held.
void ScaleKeys(Brick& brick) {
    const float step = (KeyDown(KEY_LSHIFT) || KeyDown(KEY_RSHIFT)) ? kCoarseScaleStep : kFineScaleStep;
    if (KeyHit(KEY_LEFT)) Deref(brick.brickSprite).xScale -= step;
    if (KeyHit(KEY_RIGHT)) Deref(brick.brickSprite).xScale += step;
    if (KeyHit(KEY_UP)) Deref(brick.brickSprite).yScale -= step;
    if (KeyHit(KEY_DOWN)) Deref(brick.brickSprite).yScale += step;
}

void KillAllBricks(const std::vector<BrickPtr>& levelBricks) {
    for (const BrickPtr& levelBrick : levelBricks) {
        if (!levelBrick) continue;
        if (levelBrick->brickSprite) levelBrick->brickSprite->isLive = 0;
        levelBrick->isLive = 0;
    }
}

// A frozen template thaws; one that may freeze freezes.
void ToggleFreeze(Brick& brick) {
    Sprite& sprite = Deref(brick.brickSprite);
    if (sprite.isFrozen != 0.0f) {
        sprite.isFrozen = 0.0f;
    } else if (brick.isFreezeable != 0) {
        sprite.isFrozen = 1.0f;
    }
}

// 0 and 9 step to the pack's next and previous brick type, round from either end.
void TypeKeys(int& brickTypeIndex, Brick& brick, const std::vector<BrickPtr>& packBricks) {
    const int types = static_cast<int>(packBricks.size());
    if (KeyHit(KEY_0)) {
        ++brickTypeIndex;
        if (brickTypeIndex > types - 1) brickTypeIndex = 0;
        RebuildTemplate(brick, At(packBricks, static_cast<size_t>(brickTypeIndex)));
    }
    if (KeyHit('9')) {
        --brickTypeIndex;
        if (brickTypeIndex < 0) brickTypeIndex = types - 1;
        RebuildTemplate(brick, At(packBricks, static_cast<size_t>(brickTypeIndex)));
    }
}

// The template and the pack's particles move on as the level does.
void MoveOn(Brick& brick, const GameStatPtr& stat, const std::vector<BrickPtr>& levelBricks) {
    for (int i = 0; i < kUpdatesPerFrame; ++i) brick.Update(stat, levelBricks);
    const GamePtr game = g_gameUniverse ? g_gameUniverse->currentGame : nullptr;
    if (game && game->currentPack && game->currentPack->packParticleSprites) {
        for (int i = 0; i < kUpdatesPerFrame; ++i) game->currentPack->packParticleSprites->Update();
    }
}

// The live bricks under the cursor become copies of the template where they stand.
void ChangeBricksUnderCursor(const EditorState& editor, const std::vector<BrickPtr>& levelBricks) {
    for (size_t i = 0, n = levelBricks.size(); i < n; ++i) {
        Brick* target = levelBricks[i].get();
        if (!target || !target->brickSprite) continue;
        if (target->brickSprite->PointCollision(editor.cursorX, editor.cursorY) == 0) continue;
        if (target->isLive == 0 || target->brickSprite->isLive == 0) continue;
        const float x = target->brickSprite->x, y = target->brickSprite->y;
        target->Clone(editor.templateBrick);
        Sprite& sprite = Deref(target->brickSprite);
        sprite.x = x;
        sprite.y = y;
        target->isLive = 1;
        sprite.isLive = 1;
    }
}

void DeleteBricksUnderCursor(const EditorState& editor, const std::vector<BrickPtr>& levelBricks) {
    for (size_t i = 0, n = levelBricks.size(); i < n; ++i) {
        Brick* target = levelBricks[i].get();
        if (!target || !target->brickSprite) continue;
        if (target->brickSprite->PointCollision(editor.cursorX, editor.cursorY) == 0) continue;
        target->isLive = 0;
        target->brickSprite->isLive = 0;
    }
}

// The tools that act for as long as the button is held.
void HeldTools(const EditorState& editor, std::vector<BrickPtr>& levelBricks) {
    if (editor.editMode == kEditModeChange) ChangeBricksUnderCursor(editor, levelBricks);
    if (editor.editMode == kEditModeDelete) DeleteBricksUnderCursor(editor, levelBricks);
    if (editor.editMode == kEditModeAdd && editor.overlayMode == kOverlayModeNormal)
        EditorAddBrick(editor.overlayMode, editor.templateBrick, levelBricks, 0);
}

// A first click stores the corner; the second fills the rectangle and lets the corner go.
void RectangleClick(EditorState& editor, std::vector<BrickPtr>& levelBricks) {
    if (editor.rectStartX == kNoCorner) {
        editor.rectStartX = editor.cursorX;
        editor.rectStartY = editor.cursorY;
        return;
    }
    Sprite& sprite = Deref(Deref(editor.templateBrick).brickSprite);
    for (const FillTile& tile : EditorFillTiles(editor.rectStartX, editor.rectStartY, editor.cursorX, editor.cursorY,
                                                sprite.GetWidth(), sprite.GetHeight())) {
        sprite.x = tile.x;
        sprite.y = tile.y;
        EditorAddBrick(editor.overlayMode, editor.templateBrick, levelBricks, 0);
    }
    editor.rectStartX = kNoCorner;
    editor.rectStartY = kNoCorner;
}

// The tools that act once for the clicks since the last frame.
void ClickTools(EditorState& editor, std::vector<BrickPtr>& levelBricks) {
    if (editor.editMode == kEditModeRectangleAdd) RectangleClick(editor, levelBricks);
    if (editor.editMode == kEditModeAdd && editor.overlayMode != kOverlayModeNormal)
        EditorAddBrick(editor.overlayMode, editor.templateBrick, levelBricks, 0);
}

}  // namespace

int EditorStartRun(EditorState& editor, const PackPtr& pack) {
    if (editor.templateBrick) LetGoOfTemplate(*editor.templateBrick);
    editor.templateBrick = nullptr;
    editor.brickTypeIndex = 0;
    if (!pack || pack->bricksArray.empty()) return 0;
    editor.templateBrick = std::make_shared<Brick>();
    editor.templateBrick->Clone(pack->bricksArray.front());
    return 1;
}

int EditorSetMode(EditorState& editor, int levelKept) {
    std::string& editMode = editor.editMode;
    std::string& overlayMode = editor.overlayMode;
    if (KeyHit(KEY_A)) editMode = kEditModeAdd;
    if (KeyHit('R')) {
        editMode = kEditModeRectangleAdd;
        overlayMode = kOverlayModeOverlay;
    }
    if (KeyHit('D')) editMode = kEditModeDelete;
    if (KeyHit('C')) editMode = kEditModeChange;
    if (KeyHit(kKeyO)) {
        // A rectangle fill always overlays.
        if (overlayMode == kOverlayModeNormal) {
            overlayMode = kOverlayModeOverlay;
        } else if (editMode != kEditModeRectangleAdd) {
            overlayMode = kOverlayModeNormal;
        }
    }
    if (KeyHit('J') && levelKept != 0) JumpToLevel();
    return 0;
}

int EditorOverlay(const EditorState& editor) {
    const Brick& brick = Deref(editor.templateBrick);
    SetScale(1.0f, 1.0f);
    SetRotation(0.0f);
    SetColor(0, 0, 0);
    const float left = static_cast<float>(g_gamefieldXoffset + g_gamefieldWidth + kPanelGap) * g_widthFactor;
    DrawRect(left, 0.0f, static_cast<float>(GraphicsWidth()), static_cast<float>(GraphicsHeight()));

    SetScale(g_widthFactor, g_heightFactor);
    SetColor(255, 255, 255);
    SetImageFont(g_MidFont);
    const std::string lines[] = {
        "[A/D/C/R]: " + editor.editMode,
        "[O]: " + editor.overlayMode,
        Deref(brick.brickSprite).isFrozen != 0.0f ? "[F]: Freeze Is On" : "[F]: Freeze Is Off",
        "[9/0]: \"" + brick.name + "\"",
        "[N]: Next Level",
        "[K]: Kill All Bricks",
        "[S]: Save Level",
        "[J]: Jump To Level",
    };
    const float room = static_cast<float>(GraphicsWidth()) - left;
    float row = kHelpTop;
    for (const std::string& line : lines) {
        // A line wider than the panel ("Rectangle Add") is narrowed to fit rather than cut off
        // at the screen's edge.
        SetScale(g_widthFactor * TextNarrowing(line, room), g_heightFactor);
        // The rows grow with the screen as their letters do, so that they never overlap.
        DrawText(line, left, row * g_heightFactor);
        row += kHelpSpacing;
    }
    SetScale(g_widthFactor, g_heightFactor);
    return 0;
}

int EditorCursor(EditorState& editor) {
    Brick& brick = Deref(editor.templateBrick);
    float& cursorX = editor.cursorX;
    float& cursorY = editor.cursorY;
    const float rectStartX = editor.rectStartX, rectStartY = editor.rectStartY;
    const std::string& editMode = editor.editMode;
    Sprite& sprite = Deref(brick.brickSprite);
    // The level's updates measure the pointer too, several times a frame: the cursor takes the
    // whole of its travel since the cursor last moved, in the field's logical pixels.
    g_useMouseAsProportionalController();
    cursorX += g_MouseXTravel / Positive(g_widthFactor);
    cursorY += g_MouseYTravel / Positive(g_heightFactor);
    ResetMouseTravel();

    const float left = static_cast<float>(g_gamefieldXoffset);
    const float right = static_cast<float>(g_gamefieldXoffset + g_gamefieldWidth);
    const float top = static_cast<float>(g_gamefieldYoffset);
    const float bottom = static_cast<float>(g_gamefieldYoffset + g_gamefieldHeight);
    if (cursorX < left) cursorX = left;
    if (cursorX > right) cursorX = right;
    if (cursorY < top) cursorY = top;
    if (cursorY > bottom) cursorY = bottom;

    SetScale(1.0f, 1.0f);
    SetRotation(0.0f);
    SetAlpha(1.0f);
    const float screenX = cursorX * g_widthFactor, screenY = cursorY * g_heightFactor;
    if (editMode == kEditModeAdd || (editMode == kEditModeRectangleAdd && rectStartX == kNoCorner)) {
        sprite.x = cursorX;
        sprite.y = cursorY;
        brick.Draw();
    } else if (editMode == kEditModeRectangleAdd) {
        for (const FillTile& tile :
             EditorFillTiles(rectStartX, rectStartY, cursorX, cursorY, sprite.GetWidth(), sprite.GetHeight())) {
            sprite.x = tile.x;
            sprite.y = tile.y;
            brick.Draw();
        }
    } else if (editMode == kEditModeDelete) {
        SetColor(255, 100, 100);
        DrawCross(screenX, screenY);
    } else if (editMode == kEditModeChange) {
        SetColor(255, 100, 255);
        DrawBracket(screenX, screenY);
        sprite.x = cursorX + kChangePreview;
        sprite.y = cursorY + kChangePreview;
        brick.Draw();
    }
    return 0;
}

int EditorAction(EditorState& editor, std::vector<BrickPtr>& levelBricks, const std::vector<BrickPtr>& packBricks) {
    // What the template scores while it updates reaches nobody's record.
    const GameStatPtr stat = std::make_shared<GameStat>();
    Brick& brick = Deref(editor.templateBrick);

    ScaleKeys(brick);
    if (KeyHit('K')) KillAllBricks(levelBricks);
    if (KeyHit('F')) ToggleFreeze(brick);
    TypeKeys(editor.brickTypeIndex, brick, packBricks);
    MoveOn(brick, stat, levelBricks);
    if (MouseDown(1)) HeldTools(editor, levelBricks);
    // The clicks since the last frame are taken in every mode.
    if (MouseHit(1)) ClickTools(editor, levelBricks);
    return 0;
}

int EditorAddBrick(const std::string& overlayMode, const BrickPtr& templateBrick, std::vector<BrickPtr>& levelBricks,
                   int skipOverlapTest) {
    const SpritePtr& body = Deref(templateBrick).brickSprite;
    if (overlayMode == kOverlayModeNormal && skipOverlapTest == 0) {
        // Touching counts; a dying brick still on show blocks too.
        bool free = true;
        for (size_t i = 0, n = levelBricks.size(); i < n; ++i) {
            const Brick* slot = levelBricks[i].get();
            if (!slot || !slot->brickSprite) continue;
            if (slot->brickSprite->BoundingBoxCollision(body, 1, 0.0f) != 0 &&
                (slot->isLive != 0 || slot->brickSprite->isLive != 0)) {
                free = false;
            }
        }
        if (free) EditorAddBrick(overlayMode, templateBrick, levelBricks, 1);
        return 0;
    }

    // A dying brick's slot is taken first.
    for (size_t i = 0, n = levelBricks.size(); i < n; ++i) {
        Brick* slot = levelBricks[i].get();
        if (!slot || slot->isLive != 0 || !slot->brickSprite || slot->brickSprite->isLive == 0) continue;
        MakeSlotNew(*slot);
        slot->Clone(templateBrick);
        slot->isLive = 1;
        return 0;
    }

    // The level's bricks are replaced only by an array that did grow: a failed append (logged
    // where it failed) leaves the level every brick it had.
    std::vector<BrickPtr> longer = appendHook ? appendHook(levelBricks) : AppendNewBrick(levelBricks);
    if (longer.size() != levelBricks.size() + 1 || !longer.back()) return 0;
    Brick& placed = *longer.back();
    placed.Clone(templateBrick);
    placed.isLive = 1;
    levelBricks = std::move(longer);
    return 0;
}

void SetEditorAppendHook(std::function<std::vector<BrickPtr>(const std::vector<BrickPtr>&)> append) {
    appendHook = std::move(append);
}

std::vector<FillTile> EditorFillTiles(float rectStartX, float rectStartY, float cursorX, float cursorY, float width,
                                      float height) {
    // A step that does not advance (a size of zero or below, or too small to change a position)
    // would never reach the cursor: such a fill holds nothing, as does one of too many tiles.
    const size_t most = static_cast<size_t>(kEditorMostFillTiles);
    std::vector<float> rows, columns;
    if (!StepsTowards(rectStartY, cursorY, height, most, rows) || rows.empty()) return {};
    if (!StepsTowards(rectStartX, cursorX, width, most / rows.size(), columns)) return {};
    std::vector<FillTile> tiles;
    tiles.reserve(columns.size() * rows.size());
    for (const float x : columns) {
        for (const float y : rows) tiles.push_back({x, y});
    }
    return tiles;
}
