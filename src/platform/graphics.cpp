// Placeholder until the graphics backends land.
#include "platform/graphics.h"
#include "platform/sdl_internal.h"

SDL_Window* PlatformWindow() { return nullptr; }
bool EnsureSdlVideo() { return false; }
void ReleaseTextures(std::vector<TTextureSlot>&) {}
