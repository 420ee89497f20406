// The clickable text button of every menu screen: its defaults, its own click sound and
// the release of that sound.
#include "media/menubutton.h"

#include "core/globals.h"
#include "media/sounds.h"

MenuButton::MenuButton() {
    // Every default is in place before the sound is made, so a failure leaves a usable,
    // silent button.
    Guarded("menu:MenuButton.New() ", 0, [&] {
        clickSound = std::make_shared<Sound>();
        return 0;
    });
}

MenuButton::~MenuButton() {
    Guarded("menu:MenuButton.Delete() ", 0, [&] { return Unlink(); });
}

int MenuButton::Unlink() {
    return Guarded("menu:MenuButton.Unlink() ", 0, [&] {
        clickSound = nullptr;
        return 0;
    });
}
