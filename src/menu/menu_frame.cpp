// The menu frame every menu screen shares, the watch for the request to quit and the immediate
// quit it leads to, the caption naming the current player and pack, and the frame steps the
// screens repeat.
#include "menu/menu_frame.h"

#include <memory>

#include "core/globals.h"
#include "media/sounds.h"
#include "menu/menu.h"
#include "platform/graphics.h"
#include "platform/input.h"
#include "platform/runtime.h"
#include "universe/game.h"

MenuPointer ReadMenuPointer() {
    MenuPointer pointer;
    pointer.x = static_cast<float>(MouseX());
    pointer.y = static_cast<float>(MouseY());
    pointer.buttonsDown = MouseDown(1) + MouseDown(2) + MouseDown(3);
    return pointer;
}

void SetMenuDrawState() {
    SetImageFont(g_LargeFont);
    SetOrigin(0.0f, 0.0f);
    SetHandle(0.0f, 0.0f);
    SetBlend(ALPHABLEND);
    SetAlpha(1.0f);
    SetRotation(0.0f);
    SetScale(g_widthFactor, g_heightFactor);
    SetColor(255, 255, 255);
}

void DrawMenuBackground(const Universe& universe) {
    if (universe.MenuBackgroundImage) universe.MenuBackgroundImage->Render();
}

void DrawMenuPointer(const Universe& universe, float scaleX, float scaleY) {
    SetScale(scaleX, scaleY);
    SetAlpha(1.0f);
    SetColor(255, 255, 255);
    SetHandle(0.0f, 0.0f);
    SetOrigin(0.0f, 0.0f);
    SetRotation(0.0f);
    // Read again: the pointer may have moved while the frame was drawn.
    if (universe.cursorImage)
        DrawImage(universe.cursorImage, static_cast<float>(MouseX()), static_cast<float>(MouseY()));
}

MenuButtonPtr MakeMenuButton(const std::string& text, int hotKey, const SoundPtr& sound) {
    auto button = std::make_shared<MenuButton>();
    if (sound && button->clickSound) button->clickSound->Clone(sound);
    button->text = text;
    button->hotKey = hotKey;
    return button;
}

void SizeForMenuColumn(MenuButton& button, float width) { button.Position(-1000, -1000, width, -1, 1); }

void PutInMenuRow(MenuButton& button, int index, int count) { button.PositionButtonOnMenu(index, count, 210, 354, 4); }

int DrawMenuBox(const std::string& title, const BigImagePtr& background, int clear, int checkQuit) {
    return Guarded("menu:DrawMenuBox() ", 0, [&] {
        // Before anything is drawn: the frame that sees the request draws nothing of the box.
        if (checkQuit == 1 && CheckForCommandQ() == 1) QuitNow();
        if (clear == 1) Cls();
        SetMenuDrawState();
        if (background) background->Render();

        SetAlpha(1.0f);
        SetColor(0, 200, 0);
        SetImageFont(g_LargeFont);
        // Whole screen pixels, divided before they are multiplied: 768 high puts it at 198.
        const float y = static_cast<float>(GraphicsHeight() / 41 * 11);
        const float x =
            static_cast<float>(GraphicsWidth() / 2) - static_cast<float>(TextWidth(title)) * g_widthFactor / 2;
        DrawText(title, x, y);
        return 0;
    });
}

void QuitNow() {
    ShowMouse();
    if (g_gameUniverse && g_gameUniverse->currentGame) g_gameUniverse->currentGame->Unlink();
    // Dropped, not unlinked: nothing on this road may write a file.
    g_gameUniverse = nullptr;
    EndGraphics();
    End();
}

int DrawCurrentPlayerDisplay(const UniversePtr& universe) {
    Universe& u = Deref(universe);
    // An index outside its array names nobody: the line keeps its label with an empty name, in
    // white, and nothing is logged, since any logged line would end the next game start.
    const bool havePlayer =
        u.currentPlayerIndex >= 0 && static_cast<size_t>(u.currentPlayerIndex) < u.playersArray.size();
    const bool havePack = u.currentPackIndex >= 0 && static_cast<size_t>(u.currentPackIndex) < u.packsArray.size();
    const Player* player = havePlayer ? u.playersArray[static_cast<size_t>(u.currentPlayerIndex)].get() : nullptr;
    const Pack* pack = havePack ? u.packsArray[static_cast<size_t>(u.currentPackIndex)].get() : nullptr;

    const std::string playerLine = u.GetLocalizedString("Current Player") + ": " + (player ? player->name : "");
    const std::string packLine = u.GetLocalizedString("Current Pack") + ": " + (pack ? pack->name : "");

    SetMenuDrawState();
    if (player && player->playerIsTamperedWith != 0) SetColor(255, 150, 150);
    const float middle = static_cast<float>(GraphicsWidth() / 2);
    DrawText(playerLine, middle - static_cast<float>(TextWidth(playerLine)) * g_widthFactor / 2,
             static_cast<float>(GraphicsHeight() / 40 * 31));
    DrawText(packLine, middle - static_cast<float>(TextWidth(packLine)) * g_widthFactor / 2,
             static_cast<float>(GraphicsHeight() / 40 * 33));
    return 0;
}
