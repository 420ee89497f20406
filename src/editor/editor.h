// The level editor's hooks into the play loop: its mode keys, its help panel, its cursor and
// its mouse and key actions. They stand in place and do nothing until the editor is built.
#pragma once

#include <memory>
#include <string>
#include <vector>

class Brick;
using BrickPtr = std::shared_ptr<Brick>;

// The mode keys (A, R, D, C, O) and the jump to a level (J), which acts only while the running
// game has a level (after the editor's Escape it has none). Always 0.
int EditorSetMode(std::string& editorTool, std::string& overlayMode);
// The key-help panel beside the field. Always 0.
int EditorOverlay(const std::string& overlayMode, const std::string& editorTool, const BrickPtr& templateBrick);
// Moves and draws the editor's cursor. Always 0.
int EditorCursor(float& cursorX, float& cursorY, float rectStartX, float rectStartY, const std::string& editorTool,
                 const std::string& overlayMode, const BrickPtr& templateBrick);
// The editor's keys and the tool's action under mouse button 1. Always 0.
int EditorAction(float cursorX, float cursorY, float& rectStartX, float& rectStartY, const std::string& editorTool,
                 const std::string& overlayMode, BrickPtr& templateBrick, int& brickTypeIndex,
                 std::vector<BrickPtr>& levelBricks, const std::vector<BrickPtr>& packBricks);
