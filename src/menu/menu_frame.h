// The modal menu screen: the frame every menu screen repeats, written once, with what differs
// between screens as named options and hooks; the fades the screens open and close with; and
// the pieces a screen is made of (its drawing state, its backdrop, its buttons).
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "media/largeimage.h"
#include "media/menubutton.h"
#include "universe/universe.h"

// The pointer in screen pixels and the number of mouse buttons 1 to 3 held, as a frame reads
// them before it draws and hands them to every button's Update.
struct MenuPointer {
    float x = 0.0f;
    float y = 0.0f;
    int buttonsDown = 0;
};

// What a frame's update tells the runner.
enum class MenuStep {
    kStay,       // the screen goes on to its next frame
    kLastFrame,  // this frame is drawn and shown to its end, then the screen ends
    kLeaveNow,   // the screen ends at once: nothing more of this frame is drawn or shown
};

// Where a frame draws the pointer image, frame 0, white and opaque.
enum class MenuPointerDraw {
    kUnscaled,       // last, over the screen overlay, where the pointer is by then
    kAtScreenScale,  // the same at the screen's scale (the main menu)
    kWhereRead,      // under the screen overlay, unscaled, where the frame read it (game over)
};

// A modal menu screen: what its frames draw and ask, in frame order. A frame reads the pointer,
// draws the backdrop, the box (when menuBox), asks update, draws, refreshes the frame timing
// (when refreshTiming), draws the pointer as asked and flips; a pause then waits while the
// application is away (when waitWhileSuspended).
struct ModalScreen {
    std::function<void()> backdrop;  // DrawMenuBackdrop or DrawFrozenGame, or a screen's own
    bool menuBox = true;             // DrawMenuBox over the backdrop, with this title and picture
    std::string title;               // already localised
    BigImagePtr boxPicture;          // null draws none
    bool watchQuit = true;           // the box first ends the program on Command with Q or a request
    std::function<MenuStep(const MenuPointer&)> update;  // the buttons, asked with the frame's pointer
    std::function<void()> draw;                          // the buttons and captions
    bool refreshTiming = true;  // ScreenRefresh(0, 1); the dialog leaves the frame timing standing
    MenuPointerDraw pointer = MenuPointerDraw::kUnscaled;
    bool waitWhileSuspended = false;  // after the flip, half-second waits while the application is away
};

// Frames of the screen until its update ends it. The pointer image is the universe's.
void RunModalScreen(const Universe& universe, const ModalScreen& screen);

// A screen over the stopped game (pause, game over): its field and side panel held still under
// the box with this title and the universe's box picture. The universe is held by reference: it
// must outlast the screen.
ModalScreen OverFrozenGame(const UniversePtr& universe, const std::string& title);

// When a fade's frame takes its step.
enum class FadeStep { kAfterFrame, kBeforeFrame };

// The frames of a fade: an opacity from `from` towards `to`, moving by g_gameSpeedFactor /
// divisor a frame and never past `to`; each frame is drawFrame at the opacity, ScreenRefresh(0,
// 1) and a flip. Stepped after the frame, the first frame is at `from` and none at `to`; before
// it, the first is already a step on and the last is at `to`. No frame when from is to; a frame
// of 0 ms makes no step.
void RunMenuFade(float from, float to, float divisor, FadeStep when, const std::function<void(float)>& drawFrame);

// A fade's black veil over the whole window at an opacity, alpha blended, unscaled.
void DrawVeil(float opacity);

// The state a menu frame draws its background in: the large font, origin and handle (0, 0),
// alpha blending, alpha 1, no rotation, the screen scale, white. The second leaves the font.
void SetMenuDrawState();
void SetMenuDrawStateExceptFont();

// The universe's menu background, when it has one, at the scale in force.
void DrawMenuBackground(const Universe& universe);

// The backdrops of the screens: the screen cleared and the menu background in the menu drawing
// state; or the stopped game, its field and side panel (pause and game over).
void DrawMenuBackdrop(const Universe& universe);
void DrawFrozenGame(const UniversePtr& universe);

// A button with its label, hot key (-1 none) and a copy of the universe's sound as its click;
// a null sound leaves it silent. Not yet sized or placed.
MenuButtonPtr MakeMenuButton(const std::string& text, int hotKey, const SoundPtr& sound);

// The menu column: a button sized with a logical width at its label's own height and centred
// across the screen, above the top of the screen until it is given a row; a row is index of
// count rows centred in the band from 210 to 564, 4 screen pixels apart.
void SizeForMenuColumn(MenuButton& button, float width);
void PutInMenuRow(MenuButton& button, int index, int count);
