// What the platform's modules share of SDL; never included by game code.
#pragma once

#include <SDL.h>

// The open window, or null.
SDL_Window* PlatformWindow();
// Initialises SDL's video and events once (real backend only); false when it fails.
bool EnsureSdlVideo();
// Starts SDL subsystems with SDL kept off the termination signals: the input pump handles them,
// where SDL would turn them into a window close.
inline int InitSdlSubSystem(Uint32 flags) {
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    return SDL_InitSubSystem(flags);
}
