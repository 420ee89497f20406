// What the platform's modules share of SDL; never included by game code.
#pragma once

#include <SDL.h>

// The open window, or null.
SDL_Window* PlatformWindow();
// Initialises SDL's video and events once (real backend only); false when it fails.
bool EnsureSdlVideo();
