// The player screen: choosing, creating and deleting players.
#pragma once

#include "universe/universe.h"

// May change the current player and create, reset or delete players; writes the preferences
// when it closes. Its result is not looked at. A stand-in that returns at once for now.
int DrawPlayerMenu(const UniversePtr& universe);
