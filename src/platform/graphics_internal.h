// Graphics internals the tests reach directly.
#pragma once

union SDL_Event;

// SDL's event watch while a window is open: anything that happens to the window (shown,
// exposed, resized, restored, moved to another display...) may have spoilt the picture it
// holds, so the next frame is drawn even when it is the same as the last.
int WatchWindowEvents(void* userdata, SDL_Event* event);
