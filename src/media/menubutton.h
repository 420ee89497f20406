// The clickable text button of every menu screen; the universe keeps four of its own for
// the in-game screen.
#pragma once

#include <memory>
#include <string>

class Sound;
class MenuButton;
using SoundPtr = std::shared_ptr<Sound>;
using MenuButtonPtr = std::shared_ptr<MenuButton>;

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

    // Drops the click sound without unlinking it: the audio data may be shared with the
    // universe's own sound. The button still draws and clicks, silently. Always 0.
    int Unlink();
};
