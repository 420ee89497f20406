// The player menu and its four flows: deleting or resetting the current player, choosing
// another (with its password when it has one), and creating a player with or without one.
#include "menu/playermenu.h"

#include <algorithm>
#include <vector>

#include "core/globals.h"
#include "core/numbertext.h"
#include "menu/menu.h"
#include "menu/menu_frame.h"
#include "platform/input.h"
#include "platform/runtime.h"
#include "text/parser.h"

namespace {

struct ButtonDef {
    const char* text;  // the English key
    int hotKey;
    int row;
};
// In row order, which is also the order they are drawn in. Row 4 of the six stays empty: "Go
// Back" stands apart from the four actions.
const ButtonDef kButtons[] = {
    {"Use Existing Player", 'U', 0},   {"Create New Player", 'N', 1}, {"New Player With Password", 'P', 2},
    {"Delete Current Player", 'D', 3}, {"Go Back", KEY_ESCAPE, 5},
};
constexpr int kRows = 6;

Player& CurrentPlayer(Universe& universe) { return Deref(At(universe.playersArray, universe.currentPlayerIndex)); }

// One text entry, taken to its end: Escape ends it as Enter does, and keeps what was typed.
std::string TypeEntry(Universe& universe, const std::string& key, int masked) {
    const std::string prompt = universe.GetLocalizedString(key);
    std::string text;
    while (DrawTextInputMenu(prompt, text, universe.MenuBackgroundImage, 1, 1, masked) == 0) {
    }
    return text;
}

void DeleteOrResetCurrentPlayer(Universe& universe) {
    Player& player = CurrentPlayer(universe);
    if (DrawDialogOK(PlayerDeleteQuestion(universe), 1) != 1) return;
    // The folder that goes is the one named after the player. When the player was read from
    // another one (a copy, or a folder renamed by hand), that folder belongs to a namesake or to
    // nobody: it is treated as missing, and nothing is removed.
    if (player.folderName != player.name) return;
    universe.DeleteCurrentPlayer();
}

// Makes the chosen player current and ends the menu, after its password when it has one.
void UseExistingPlayer(const UniversePtr& universe, std::vector<std::string>& labels, std::vector<std::string>& values,
                       int& stayInMenu) {
    Universe& u = Deref(universe);
    const size_t count = u.playersArray.size();
    labels.resize(count);
    values.resize(count);
    // The index is the value: two players shown under the same name are still told apart.
    for (size_t i = 0; i < count; ++i) {
        labels[i] = u.GetLocalizedString(Deref(u.playersArray[i]).name);
        values[i] = IntToText(static_cast<int>(i));
    }
    const std::string chosenValue = DrawChooseMenu(universe, labels, values, IntToText(u.currentPlayerIndex));
    // Only the index of a listed player is a choice. A failed chooser answers "", which must
    // not pick the first player (and ask for its password) in its place.
    const auto found = std::find(values.begin(), values.end(), chosenValue);
    if (found == values.end()) return;
    const int chosen = static_cast<int>(found - values.begin());
    Player& player = Deref(At(u.playersArray, chosen));

    if (player.TestPassword("") != 1) {
        const std::string typed = TypeEntry(u, "Enter Password", 1);
        if (player.TestPassword(typed) != 1) {
            DrawDialogOK("Incorrect Password", 0);
            return;
        }
    }
    u.currentPlayerIndex = chosen;
    stayInMenu = 0;
}

// Whether the player file gives the name back unchanged. Its XML has no escape for "&": a typed
// "&lt;" would be read back as "<", and the digests made over the typed name would then fail,
// losing the player's records.
bool PlayerFileKeepsName(const std::string& name) {
    return GetDataFromXML(GetXMLfromData("name", name, 0), "name") == name;
}

// True when a player was created and made current; the menu then ends at once.
bool CreatePlayer(Universe& universe, bool withPassword) {
    std::string name = TypeEntry(universe, "Enter Player Name", 0);
    // Blanks alone are no name: trimmed, they would name the players folder itself. Refused
    // like an empty entry, before any password is asked.
    if (TrimText(name).empty()) {
        DrawDialogOK("No Name Entered", 0);
        return false;
    }
    for (const PlayerPtr& player : universe.playersArray) {
        if (Deref(player).name != name) continue;
        DrawDialogOK("Player Already Exists", 0);
        name.clear();
    }
    if (name.empty()) return false;
    if (!PlayerFileKeepsName(TrimText(name))) {
        DrawDialogOK("Could Not Create Player", 0);
        return false;
    }

    std::string password;
    if (withPassword) {
        password = TypeEntry(universe, "Enter Password", 1);
        if (TypeEntry(universe, "Re-Enter Password", 1) != password) {
            DrawDialogOK("Passwords Do Not Match", 0);
            return false;
        }
    }

    // The list grows only when the player is on disk: a failed creation would otherwise leave
    // an entry without a name, which the name test and the chooser would then offer.
    std::vector<PlayerPtr> grown = AppendNewPlayer(universe.playersArray);
    if (grown.size() != universe.playersArray.size() + 1 ||
        Deref(grown.back()).CreateNewPlayer(universe.playersPath, name, password) != 1) {
        DrawDialogOK("Could Not Create Player", 0);
        return false;
    }
    universe.playersArray = grown;
    universe.currentPlayerIndex = static_cast<int>(grown.size()) - 1;
    DrawDialogOK("Player Created", 0);
    return true;
}

}  // namespace

std::string PlayerDeleteQuestion(Universe& universe) {
    const std::string& name = CurrentPlayer(universe).name;
    // The stored name, as it is, even where the chooser shows the default player's translated.
    const std::string word = universe.GetLocalizedString(name == kDefaultPlayerName ? "Reset" : "Delete");
    return word + " \"" + name + "\"?";
}

std::string DrawPlayerMenu(const UniversePtr& universe) {
    return Guarded("menu:DrawPlayerMenu() ", std::string(), [&]() -> std::string {
        Universe& u = Deref(universe);
        Universe& shared = Deref(g_gameUniverse);
        std::vector<MenuButtonPtr> buttons;
        for (const ButtonDef& def : kButtons) {
            buttons.push_back(MakeMenuButton(shared.GetLocalizedString(def.text), def.hotKey, shared.sndButtonClick));
        }
        for (const MenuButtonPtr& button : buttons) SizeForMenuColumn(*button, 400.0f);
        for (size_t i = 0; i < buttons.size(); ++i) PutInMenuRow(*buttons[i], kButtons[i].row, kRows);
        MenuButton& use = *buttons[0];
        MenuButton& create = *buttons[1];
        MenuButton& createWithPassword = *buttons[2];
        MenuButton& remove = *buttons[3];
        MenuButton& back = *buttons[4];
        // The P that opened the menu from the main menu chooses nothing here.
        FlushKeys();
        FlushMouse();

        int stayInMenu = 1;
        std::vector<std::string> playerLabels, playerValues;
        ModalScreen screen;
        screen.backdrop = [&] { DrawMenuBackdrop(u); };
        screen.boxPicture = u.DialogImage;
        // Each click runs its flow at once; the buttons after it are still updated with the same
        // pointer, and the first click's flush keeps a second hot key from counting.
        screen.update = [&](const MenuPointer& p) {
            if (remove.Update(p.x, p.y, p.buttonsDown)) DeleteOrResetCurrentPlayer(u);
            if (use.Update(p.x, p.y, p.buttonsDown))
                UseExistingPlayer(universe, playerLabels, playerValues, stayInMenu);
            // A created player ends the menu at once: nothing more of this frame is drawn.
            if (create.Update(p.x, p.y, p.buttonsDown) && CreatePlayer(u, false)) return MenuStep::kLeaveNow;
            if (createWithPassword.Update(p.x, p.y, p.buttonsDown) && CreatePlayer(u, true)) return MenuStep::kLeaveNow;
            if (back.Update(p.x, p.y, p.buttonsDown)) stayInMenu = 0;
            return stayInMenu == 1 ? MenuStep::kStay : MenuStep::kLastFrame;
        };
        // The closing frame shows only the background, the box and the pointer.
        screen.draw = [&] {
            if (stayInMenu != 1) return;
            for (const MenuButtonPtr& button : buttons) button->Draw();
            DrawCurrentPlayerDisplay(universe);
        };
        RunModalScreen(shared, screen);

        u.UpdatePrefsFile();
        return "";
    });
}
