// Stand-ins for the player and options screens: they return at once until the real screens
// are built, so the main menu's roads through them already run.
#include "menu/optionsmenu.h"
#include "menu/playermenu.h"

int DrawPlayerMenu(const UniversePtr&) { return 0; }

int DrawOptionsMenu(const UniversePtr&) { return 0; }
