// Input internals the tests reach directly: SDL's keys and events in the game's terms.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/input.h"

union SDL_Event;

// The game's key code for an SDL keycode; 0 for keys the game does not know.
int KeyCodeFromSdl(int32_t sdlKeycode);
// Appends the InputEvents one SDL event stands for (none for events the game ignores).
void TranslateSdlEvent(const SDL_Event& event, std::vector<InputEvent>& out);
