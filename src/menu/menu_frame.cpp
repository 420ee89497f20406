// The modal menu screen and its fades, the menu frame every menu screen shares, the watch for
// the request to quit and the immediate quit it leads to, and the caption naming the current
// player and pack.
#include "menu/menu_frame.h"

#include <memory>

#include "core/globals.h"
#include "media/sounds.h"
#include "menu/menu.h"
#include "platform/graphics.h"
#include "platform/input.h"
#include "platform/runtime.h"
#include "universe/game.h"

namespace {

MenuPointer ReadMenuPointer() {
    MenuPointer pointer;
    pointer.x = static_cast<float>(MouseX());
    pointer.y = static_cast<float>(MouseY());
    pointer.buttonsDown = MouseDown(1) + MouseDown(2) + MouseDown(3);
    return pointer;
}

void SetPointerDrawState(float scaleX, float scaleY) {
    SetScale(scaleX, scaleY);
    SetAlpha(1.0f);
    SetColor(255, 255, 255);
    SetHandle(0.0f, 0.0f);
    SetOrigin(0.0f, 0.0f);
    SetRotation(0.0f);
}

// Read again: the pointer may have moved while the frame was drawn.
void DrawPointerAsItIsNow(const Universe& universe, float scaleX, float scaleY) {
    SetPointerDrawState(scaleX, scaleY);
    if (universe.cursorImage)
        DrawImage(universe.cursorImage, static_cast<float>(MouseX()), static_cast<float>(MouseY()));
}

void DrawPointerWhereRead(const Universe& universe, const MenuPointer& pointer) {
    SetPointerDrawState(1.0f, 1.0f);
    if (universe.cursorImage) DrawImage(universe.cursorImage, pointer.x, pointer.y);
}

// One frame; false when the screen ends with it.
bool RunModalFrame(const Universe& universe, const ModalScreen& screen) {
    const MenuPointer pointer = ReadMenuPointer();
    if (screen.backdrop) screen.backdrop();
    if (screen.menuBox) DrawMenuBox(screen.title, screen.boxPicture, 0, screen.watchQuit ? 1 : 0);
    const MenuStep step = screen.update ? screen.update(pointer) : MenuStep::kStay;
    if (step == MenuStep::kLeaveNow) return false;
    if (screen.draw) screen.draw();
    if (screen.pointer == MenuPointerDraw::kWhereRead) DrawPointerWhereRead(universe, pointer);
    if (screen.refreshTiming) ScreenRefresh(0, 1);
    if (screen.pointer == MenuPointerDraw::kUnscaled) DrawPointerAsItIsNow(universe, 1.0f, 1.0f);
    if (screen.pointer == MenuPointerDraw::kAtScreenScale)
        DrawPointerAsItIsNow(universe, g_widthFactor, g_heightFactor);
    Flip(-1);
    if (screen.waitWhileSuspended) {
        while (AppSuspended()) Delay(500);
    }
    return step == MenuStep::kStay;
}

}  // namespace

void RunModalScreen(const Universe& universe, const ModalScreen& screen) {
    while (RunModalFrame(universe, screen)) {
    }
}

ModalScreen OverFrozenGame(const UniversePtr& universe, const std::string& title) {
    ModalScreen screen;
    screen.backdrop = [&universe] { DrawFrozenGame(universe); };
    screen.title = title;
    screen.boxPicture = universe ? universe->DialogImage : nullptr;
    return screen;
}

void RunMenuFade(float from, float to, float divisor, FadeStep when, const std::function<void(float)>& drawFrame) {
    const bool up = to > from;
    float fade = from;
    const auto reached = [&] { return up ? fade >= to : fade <= to; };
    const auto step = [&] {
        const float by = g_gameSpeedFactor / divisor;
        fade = up ? fade + by : fade - by;
        if (up ? fade > to : fade < to) fade = to;
    };
    while (!reached()) {
        if (when == FadeStep::kBeforeFrame) step();
        drawFrame(fade);
        ScreenRefresh(0, 1);
        Flip(-1);
        if (when == FadeStep::kAfterFrame) step();
    }
}

// Alpha blending is chosen here: the last image drawn may have left another mode.
void DrawVeil(float opacity) {
    SetScale(1.0f, 1.0f);
    SetColor(0, 0, 0);
    SetRotation(0.0f);
    SetHandle(0.0f, 0.0f);
    SetOrigin(0.0f, 0.0f);
    SetBlend(ALPHABLEND);
    SetAlpha(opacity);
    DrawRect(0.0f, 0.0f, static_cast<float>(GraphicsWidth()), static_cast<float>(GraphicsHeight()));
}

void SetMenuDrawState() {
    SetImageFont(g_LargeFont);
    SetMenuDrawStateExceptFont();
}

void SetMenuDrawStateExceptFont() {
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

void DrawMenuBackdrop(const Universe& universe) {
    Cls();
    SetMenuDrawState();
    DrawMenuBackground(universe);
}

void DrawFrozenGame(const UniversePtr& universe) {
    DrawFrozenPlayField(universe);
    DrawFrozenSidePanel(universe);
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
