// The value chooser: one entry of a short list shown at a time between a button to the previous
// entry and one to the next, with OK and Cancel below, in a modal loop of its own.
#include <algorithm>

#include "core/globals.h"
#include "menu/menu.h"
#include "menu/menu_frame.h"
#include "platform/graphics.h"
#include "platform/input.h"

namespace {

// The first entry whose value is exactly current; -1 when none is.
int EntryOf(const std::vector<std::string>& values, size_t count, const std::string& current) {
    for (size_t i = 0; i < count; ++i) {
        if (values[i] == current) return static_cast<int>(i);
    }
    return -1;
}

}  // namespace

std::string DrawChooseMenu(const UniversePtr& universe, const std::vector<std::string>& labels,
                           const std::vector<std::string>& values, const std::string& current) {
    return Guarded("menu:DrawChooseMenu() ", std::string(), [&] {
        // The callers always pass two lists of one length; anything else must neither read past
        // a list nor open a screen with nothing to choose.
        const size_t count = std::min(labels.size(), values.size());
        if (count == 0) return current;

        Universe& u = Deref(universe);
        Universe& global = Deref(g_gameUniverse);
        // Codes 146 and 145 are the font's up and down triangles.
        const MenuButtonPtr previous = MakeMenuButton(std::string(1, '\x92'), KEY_UP, global.sndButtonClick);
        const MenuButtonPtr label = MakeMenuButton(current, -1, nullptr);
        const MenuButtonPtr next = MakeMenuButton(std::string(1, '\x91'), KEY_DOWN, global.sndButtonClick);
        const MenuButtonPtr ok = MakeMenuButton(global.GetLocalizedString("OK"), KEY_ENTER, global.sndButtonClick);
        const MenuButtonPtr cancel =
            MakeMenuButton(global.GetLocalizedString("Cancel"), KEY_ESCAPE, global.sndButtonCancel);

        int selected = std::max(EntryOf(values, count, current), 0);
        bool refresh = true;

        SizeForMenuColumn(*label, 400);
        SizeForMenuColumn(*next, 50);
        SizeForMenuColumn(*previous, 50);
        SizeForMenuColumn(*ok, 200);
        SizeForMenuColumn(*cancel, 200);
        // Row 3 stays empty between the stepper and OK.
        PutInMenuRow(*previous, 0, 6);
        PutInMenuRow(*label, 1, 6);
        PutInMenuRow(*next, 2, 6);
        PutInMenuRow(*ok, 4, 6);
        PutInMenuRow(*cancel, 5, 6);
        FlushKeys();
        FlushMouse();

        const int last = static_cast<int>(count) - 1;
        for (;;) {
            const MenuPointer pointer = ReadMenuPointer();
            // A step shows its label from the frame after it.
            if (refresh) {
                label->text = labels[static_cast<size_t>(selected)];
                refresh = false;
            }
            Cls();
            SetMenuDrawState();
            DrawMenuBackground(u);
            DrawMenuBox("", u.DialogImage, 0, 1);

            if (previous->Update(pointer.x, pointer.y, pointer.buttonsDown)) {
                selected = selected == 0 ? last : selected - 1;
                refresh = true;
            }
            if (next->Update(pointer.x, pointer.y, pointer.buttonsDown)) {
                selected = selected == last ? 0 : selected + 1;
                refresh = true;
            }
            // Cancel is asked before OK and wins over it. With current among the values it goes
            // back there; without, it keeps the entry shown, which lets a caller turn a setting
            // that is no longer offered into one that is.
            if (cancel->Update(pointer.x, pointer.y, pointer.buttonsDown)) {
                const int entry = EntryOf(values, count, current);
                if (entry >= 0) selected = entry;
                return values[static_cast<size_t>(selected)];
            }
            if (ok->Update(pointer.x, pointer.y, pointer.buttonsDown)) return values[static_cast<size_t>(selected)];

            previous->Draw();
            next->Draw();
            cancel->Draw();
            ok->Draw();
            label->Draw();
            ScreenRefresh(0, 1);
            DrawMenuPointer(global, 1.0f, 1.0f);
            Flip(-1);
        }
    });
}
