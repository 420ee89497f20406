// The clickable text button of every menu screen; the universe keeps four of its own for
// the in-game screen.
#pragma once

#include <memory>
#include <string>

#include "media/fwd.h"

// Logical pixels a button sized from its label has beyond the label; a label drawn in a box
// keeps half of it clear on each side.
inline constexpr int kLabelMargin = 10;

// The factor, 1 at most, that narrows a text in the current font at the screen scale to room
// screen pixels; 1 when it fits already or there is no room to fit it to.
float TextNarrowing(const std::string& text, float room);
// Draws a text in the current font at the screen scale, centred on centreX with its top at y,
// narrowed to room screen pixels when it is wider. Leaves the screen scale in force.
void DrawTextFitted(const std::string& text, float centreX, float y, float room);

class MenuButton {
public:
    std::string text = "OK";
    float x = 0.0f;  // screen pixels
    float y = 0.0f;
    float width = 0.0f;
    float height = 0.0f;
    int clickStatus = 0;  // -1, 0, 1, 2 or 3
    int mouseIn = 0;
    int hotKey = -1;      // -1: no hot key
    SoundPtr clickSound;  // the button's own; screens give it a copy of a universe sound

    MenuButton();
    ~MenuButton();
    MenuButton(const MenuButton&) = delete;
    MenuButton& operator=(const MenuButton&) = delete;

    // Takes the source's label, place, size and click state, and a sound of its own that
    // shares the source's audio; the hot key stays this button's. Always 0.
    int Clone(const MenuButtonPtr& source);
    // Drops the click sound without unlinking it: the audio data may be shared with the
    // universe's own sound. The button still draws and clicks, silently. Always 0.
    int Unlink();
    // The border, the face coloured by the state of the last Update, and the centred label,
    // narrowed when it would not fit inside the button. Leaves the screen scale, the label's
    // font, its colour and alpha 0.66 in force. Always 0.
    int Draw();
    // Sizes the button from its label (height -1 and width -1) or from a logical size and
    // puts it at (x, y) in screen pixels; centre 1 centres it across the screen. Always 0.
    int Position(float x, float y, float width, float height, int centre);
    // Puts the button in row index of count rows, centred in the logical band from top to
    // top + span, rows gap screen pixels apart. Only y changes. Always 0.
    int PositionButtonOnMenu(int index, int count, float top, float span, float gap);
    // One frame: the pointer in screen pixels and the number of mouse buttons held. 1 on
    // the frame of a click (mouse or hot key), after the click sound and a flush of every
    // key and mouse button; else 0.
    int Update(float mouseX, float mouseY, int buttonsDown);
};
