// The steps every modal menu screen repeats in its frames: the pointer read at the start, the
// drawing state, the background, the pointer image drawn last, and a button made for a screen.
#pragma once

#include <memory>
#include <string>

#include "media/menubutton.h"
#include "universe/universe.h"

// The pointer in screen pixels and the number of mouse buttons 1 to 3 held, as a frame reads
// them before it draws and hands them to every button's Update.
struct MenuPointer {
    float x = 0.0f;
    float y = 0.0f;
    int buttonsDown = 0;
};
MenuPointer ReadMenuPointer();

// The state a menu frame draws its background in: the large font, origin and handle (0, 0),
// alpha blending, alpha 1, no rotation, the screen scale, white.
void SetMenuDrawState();

// The universe's menu background, when it has one, at the scale in force.
void DrawMenuBackground(const Universe& universe);

// The universe's pointer image, frame 0, at the pointer as it is now, over everything else: at
// scale (scaleX, scaleY), alpha 1, white, with origin, handle and rotation at their defaults.
void DrawMenuPointer(const Universe& universe, float scaleX, float scaleY);

// A button with its label, hot key (-1 none) and a copy of the universe's sound as its click;
// a null sound leaves it silent. Not yet sized or placed.
MenuButtonPtr MakeMenuButton(const std::string& text, int hotKey, const SoundPtr& sound);

// The menu column: a button sized with a logical width at its label's own height and centred
// across the screen, above the top of the screen until it is given a row; a row is index of
// count rows centred in the band from 210 to 564, 4 screen pixels apart.
void SizeForMenuColumn(MenuButton& button, float width);
void PutInMenuRow(MenuButton& button, int index, int count);
