// The value chooser: one entry of a short list shown at a time between a button to the previous
// entry and one to the next, with OK and Cancel below, in a modal loop of its own.
#include <algorithm>

#include "core/globals.h"
#include "menu/menu.h"
#include "menu/menu_frame.h"
#include "platform/input.h"

namespace {

// The first entry whose value is exactly current; -1 when none is.
int EntryOf(const std::vector<std::string>& values, size_t count, const std::string& current) {
    for (size_t i = 0; i < count; ++i) {
        if (values[i] == current) return static_cast<int>(i);
    }
    return -1;
}

// The stepper (the button to the previous entry, the entry's label, the button to the next) with
// OK and Cancel below it; row 3 of the six stays empty between them.
struct ChooserButtons {
    MenuButtonPtr previous, label, next, ok, cancel;
};
ChooserButtons MakeChooserButtons(Universe& global, const std::string& current) {
    ChooserButtons b;
    // Codes 146 and 145 are the font's up and down triangles.
    b.previous = MakeMenuButton(std::string(1, '\x92'), KEY_UP, global.sndButtonClick);
    b.label = MakeMenuButton(current, -1, nullptr);
    b.next = MakeMenuButton(std::string(1, '\x91'), KEY_DOWN, global.sndButtonClick);
    b.ok = MakeMenuButton(global.GetLocalizedString("OK"), KEY_ENTER, global.sndButtonClick);
    b.cancel = MakeMenuButton(global.GetLocalizedString("Cancel"), KEY_ESCAPE, global.sndButtonCancel);
    SizeForMenuColumn(*b.label, 400);
    SizeForMenuColumn(*b.next, 50);
    SizeForMenuColumn(*b.previous, 50);
    SizeForMenuColumn(*b.ok, 200);
    SizeForMenuColumn(*b.cancel, 200);
    PutInMenuRow(*b.previous, 0, 6);
    PutInMenuRow(*b.label, 1, 6);
    PutInMenuRow(*b.next, 2, 6);
    PutInMenuRow(*b.ok, 4, 6);
    PutInMenuRow(*b.cancel, 5, 6);
    return b;
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
        const ChooserButtons b = MakeChooserButtons(global, current);
        MenuButton& previous = *b.previous;
        MenuButton& label = *b.label;
        MenuButton& next = *b.next;
        MenuButton& ok = *b.ok;
        MenuButton& cancel = *b.cancel;
        int selected = std::max(EntryOf(values, count, current), 0);
        bool refresh = true;
        FlushKeys();
        FlushMouse();

        const int last = static_cast<int>(count) - 1;
        std::string chosen;
        ModalScreen screen;
        screen.backdrop = [&] { DrawMenuBackdrop(u); };
        screen.boxPicture = u.DialogImage;
        screen.update = [&](const MenuPointer& p) {
            // A step shows its label from the frame after it.
            if (refresh) {
                label.text = labels[static_cast<size_t>(selected)];
                refresh = false;
            }
            if (previous.Update(p.x, p.y, p.buttonsDown)) {
                selected = selected == 0 ? last : selected - 1;
                refresh = true;
            }
            if (next.Update(p.x, p.y, p.buttonsDown)) {
                selected = selected == last ? 0 : selected + 1;
                refresh = true;
            }
            // Cancel is asked before OK and wins over it. With current among the values it goes
            // back there; without, it keeps the entry shown, which lets a caller turn a setting
            // that is no longer offered into one that is.
            if (cancel.Update(p.x, p.y, p.buttonsDown)) {
                const int entry = EntryOf(values, count, current);
                if (entry >= 0) selected = entry;
                chosen = values[static_cast<size_t>(selected)];
                return MenuStep::kLeaveNow;
            }
            if (ok.Update(p.x, p.y, p.buttonsDown)) {
                chosen = values[static_cast<size_t>(selected)];
                return MenuStep::kLeaveNow;
            }
            return MenuStep::kStay;
        };
        screen.draw = [&] {
            previous.Draw();
            next.Draw();
            cancel.Draw();
            ok.Draw();
            label.Draw();
        };
        RunModalScreen(global, screen);
        return chosen;
    });
}
