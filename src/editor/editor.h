// The level editor: its mode keys and the jump to a level, its help panel and cursor, its mouse
// and key actions and the placing of one brick. Its state is the play loop's, handed over whole
// on every update and drawn frame. None of these has a handler: what they raise is the caller's.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "pack/fwd.h"

// The edit modes the keys A, R, D and C choose, and the two overlay modes O switches between;
// the help panel shows them as they are.
inline constexpr char kEditModeAdd[] = "Add";
inline constexpr char kEditModeRectangleAdd[] = "Rectangle Add";
inline constexpr char kEditModeDelete[] = "Delete";
inline constexpr char kEditModeChange[] = "Change";
inline constexpr char kOverlayModeNormal[] = "Normal";
inline constexpr char kOverlayModeOverlay[] = "Overlay";

// The most tiles one rectangle fill places, and one preview draws: a rectangle that would hold
// more (a template scaled almost to nothing) places and draws none.
inline constexpr int kEditorMostFillTiles = 4096;

// The editor's tools, the brick it places, its cursor and a stored corner: they carry over from
// one editor run to the next.
struct EditorState {
    std::string editMode = kEditModeAdd;
    std::string overlayMode = kOverlayModeNormal;
    BrickPtr templateBrick;
    int brickTypeIndex = 0;
    float cursorX = 0.0f;  // in logical field pixels
    float cursorY = 0.0f;
    float rectStartX = -1.0f;  // the rectangle's first corner; -1, -1 when none is stored
    float rectStartY = -1.0f;
};

// A new editor run: the template is made afresh from the pack's first brick type (the previous
// template let go of without emptying the powerup table it shared) and brickTypeIndex is 0.
// 1 on success; 0, with the template null, when the pack has no brick types.
int EditorStartRun(EditorState& editor, const PackPtr& pack);

// Every update: the mode keys A, R, D, C and O, then J, the jump to a level typed by name, which
// acts only while levelKept is not 0 (an update in which Escape has ended the run leaves no
// level to jump from; the key is taken all the same). Always 0.
int EditorSetMode(EditorState& editor, int levelKept);
// The key-help panel over the side panel, eight lines of modes and keys. Always 0.
int EditorOverlay(const EditorState& editor);
// Moves the cursor by the pointer's travel since its last call, in logical field pixels, keeps
// it in the field and draws it as the mode asks, moving the template's sprite where its
// preview stands. Always 0.
int EditorCursor(EditorState& editor);
// The template's keys (arrows with or without Shift, F, 0, 9), K, the template's and the pack's
// particles' four updates, then mouse button 1 as the mode asks. levelBricks is the level's own
// array, which a placement may replace by a longer one. Always 0.
int EditorAction(EditorState& editor, std::vector<BrickPtr>& levelBricks, const std::vector<BrickPtr>& packBricks);
// One copy of the template where its sprite stands: refused where it would overlap or touch a
// brick still shown, when overlayMode is kOverlayModeNormal and skipOverlapTest is 0; otherwise in the
// first dying slot, or in a new slot at the end. Always 0.
int EditorAddBrick(const std::string& overlayMode, const BrickPtr& templateBrick, std::vector<BrickPtr>& levelBricks,
                   int skipOverlapTest);

// How a placement grows the level's bricks: AppendNewBrick, unless a test puts in a stand-in
// (one that fails, say); null puts AppendNewBrick back.
void SetEditorAppendHook(std::function<std::vector<BrickPtr>(const std::vector<BrickPtr>&)> append);

// The positions of a rectangle fill from the corner towards the cursor, column by column, each
// column from the top: the far bounds are exclusive. Empty when a step of the template's size
// would not move a position on, or when there would be more than kEditorMostFillTiles.
struct FillTile {
    float x = 0.0f, y = 0.0f;
};
std::vector<FillTile> EditorFillTiles(float rectStartX, float rectStartY, float cursorX, float cursorY, float width,
                                      float height);
