// The message dialog: a one-line message over the menu background with OK and, when asked,
// Cancel, in a modal loop of its own until one of them is clicked.
#include "core/globals.h"
#include "menu/menu.h"
#include "menu/menu_frame.h"
#include "platform/input.h"

int DrawDialogOK(const std::string& message, int withCancel) {
    return Guarded("menu:DrawDialogOK() ", 0, [&] {
        Universe& u = Deref(g_gameUniverse);
        // The message row is only drawn, never updated: it never reacts to the pointer.
        const MenuButtonPtr messageRow = MakeMenuButton(u.GetLocalizedString(message), -1, nullptr);
        const MenuButtonPtr ok = MakeMenuButton(u.GetLocalizedString("OK"), KEY_ENTER, u.sndButtonClick);
        const MenuButtonPtr cancel = MakeMenuButton(u.GetLocalizedString("Cancel"), KEY_ESCAPE, u.sndButtonClick);
        // Row 1 stays empty between the message and OK.
        const int rows = withCancel != 0 ? 4 : 3;
        SizeForMenuColumn(*messageRow, 400);
        SizeForMenuColumn(*ok, 200);
        SizeForMenuColumn(*cancel, 200);
        PutInMenuRow(*messageRow, 0, rows);
        PutInMenuRow(*ok, 2, rows);
        // Without Cancel its button stays above the top of the screen, where no pointer reaches;
        // Escape still answers it.
        if (withCancel != 0) PutInMenuRow(*cancel, 3, rows);
        FlushKeys();
        FlushMouse();

        int result = -1;  // until OK or Cancel
        ModalScreen screen;
        screen.backdrop = [&] { DrawMenuBackdrop(u); };
        screen.boxPicture = u.DialogImage;
        screen.watchQuit = false;
        screen.update = [&](const MenuPointer& p) {
            if (ok->Update(p.x, p.y, p.buttonsDown)) result = 1;
            // Asked after OK: a Cancel clicked in the same frame decides.
            if (cancel->Update(p.x, p.y, p.buttonsDown)) result = 0;
            return result < 0 ? MenuStep::kStay : MenuStep::kLastFrame;
        };
        screen.draw = [&] {
            messageRow->Draw();
            ok->Draw();
            if (withCancel != 0) cancel->Draw();
        };
        // The frame timing stands still while the dialog is open.
        screen.refreshTiming = false;
        RunModalScreen(u, screen);
        return result;
    });
}
