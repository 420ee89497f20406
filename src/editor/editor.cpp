// The level editor's hooks, in place for the play loop; the editor itself comes later.
#include "editor/editor.h"

int EditorSetMode(std::string&, std::string&) { return 0; }

int EditorOverlay(const std::string&, const std::string&, const BrickPtr&) { return 0; }

int EditorCursor(float&, float&, float, float, const std::string&, const std::string&, const BrickPtr&) { return 0; }

int EditorAction(float, float, float&, float&, const std::string&, const std::string&, BrickPtr&, int&,
                 std::vector<BrickPtr>&, const std::vector<BrickPtr>&) {
    return 0;
}
