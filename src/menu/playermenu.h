// The player menu: the players who share this computer chosen, created with or without a
// password, deleted, and the default player reset.
#pragma once

#include <string>

#include "universe/universe.h"

// The screen the main menu's "Players" button opens: "Use Existing Player" (U), "Create New
// Player" (N), "New Player With Password" (P), "Delete Current Player" (D) and "Go Back"
// (Escape). It ends after "Go Back", after a player was chosen, or at once after one was
// created, and then rewrites the preferences. Always "", after a failure too (which is logged
// and leaves the preferences alone). Command with Q ends the program from its frames.
std::string DrawPlayerMenu(const UniversePtr& universe);

// The question the delete button asks about the current player: the localised "Delete", or
// "Reset" for the default player, then the player's stored name in straight double quotes and
// "?" ("Delete \"Alex\"?").
std::string PlayerDeleteQuestion(Universe& universe);
