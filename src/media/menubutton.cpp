// The clickable text button of every menu screen: its click sound, its size and place in the
// menu column, its drawing, and the state machine over the mouse and its hot key.
#include "media/menubutton.h"

#include "core/globals.h"
#include "media/mixer.h"
#include "media/sounds.h"
#include "platform/graphics.h"
#include "platform/input.h"

namespace {

// Longer labels are set in the smaller font so they still fit the menu column.
constexpr size_t kMenuFontMaxLength = 25;

const TImageFontPtr& LabelFont(const std::string& text) {
    return text.size() > kMenuFontMaxLength ? g_MidFont : g_MenuFont;
}

// Pressed means exactly one mouse button held; a chord counts as not pressed.
int NextClickStatus(int status, bool pressed, bool inside, int buttonsDown) {
    switch (status) {
        case 0:
            return pressed ? (inside ? 1 : -1) : 0;
        case 1:
            if (pressed) return inside ? 1 : 3;
            return inside ? 2 : 0;
        case 2:
            return pressed && inside ? 1 : 0;
        case 3:
            if (pressed) return inside ? 1 : 3;
            return 0;
        case -1:
            // A press that began elsewhere never clicks here, wherever it is let go.
            return buttonsDown == 0 ? 0 : -1;
        default:
            return status;
    }
}

}  // namespace

float TextNarrowing(const std::string& text, float room) {
    const float width = static_cast<float>(TextWidth(text)) * g_widthFactor;
    return width > room && room > 0.0f ? room / width : 1.0f;
}

void DrawTextFitted(const std::string& text, float centreX, float y, float room) {
    const float narrowing = TextNarrowing(text, room);
    SetScale(g_widthFactor * narrowing, g_heightFactor);
    DrawText(text, centreX - static_cast<float>(TextWidth(text)) * g_widthFactor * narrowing / 2, y);
    SetScale(g_widthFactor, g_heightFactor);
}

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

int MenuButton::Clone(const MenuButtonPtr& source) {
    return Guarded("menu:MenuButton.Clone() ", 0, [&] {
        const MenuButton& src = Deref(source);
        // Held before this button's own sound goes, in case the source is this button.
        const SoundPtr sourceSound = src.clickSound;
        text = src.text;
        x = src.x;
        y = src.y;
        width = src.width;
        height = src.height;
        clickStatus = src.clickStatus;
        mouseIn = src.mouseIn;
        if (clickSound) {
            clickSound->Unlink();
            clickSound = nullptr;
        }
        clickSound = std::make_shared<Sound>();
        // A source already unlinked has no sound to share: its copy clicks silently too.
        if (sourceSound) clickSound->Clone(sourceSound);
        return 0;
    });
}

int MenuButton::Unlink() {
    return Guarded("menu:MenuButton.Unlink() ", 0, [&] {
        clickSound = nullptr;
        return 0;
    });
}

int MenuButton::Draw() {
    return Guarded("menu:MenuButton.Draw() ", 0, [&] {
        SetScale(1, 1);
        SetImageFont(LabelFont(text));

        SetColor(0, 200, 0);
        SetAlpha(0.66f);
        DrawRect(x - 1, y - 1, width + 2, height + 2);

        const bool hover = mouseIn == 1 && (clickStatus == 0 || clickStatus == 1);
        SetAlpha(0.66f);
        if (mouseIn == 1 && clickStatus == 0) {
            SetColor(0, 100, 0);
        } else if (mouseIn == 1 && clickStatus == 1) {
            SetColor(100, 200, 100);
        } else {
            SetColor(0, 0, 0);
        }
        // The face is translucent over the border rectangle, which shows through it.
        DrawRect(x, y, width, height);

        if (hover) {
            SetColor(255, 255, 255);
        } else {
            SetColor(0, 200, 0);
        }
        SetAlpha(0.66f);

        SetScale(g_widthFactor, g_heightFactor);
        const float labelHeight = static_cast<float>(TextHeight(text)) * g_heightFactor;
        // The translations and the column's fixed width make some labels wider than their button.
        DrawTextFitted(text, x + width / 2, y + (height - labelHeight) / 2,
                       width - static_cast<float>(kLabelMargin) * g_widthFactor);
        return 0;
    });
}

int MenuButton::Position(float newX, float newY, float newWidth, float newHeight, int centre) {
    return Guarded("menu:MenuButton.Position() ", 0, [&] {
        // Every button of a column is as tall as a short label, whatever its own length.
        SetImageFont(g_MenuFont);
        SetScale(g_widthFactor, g_heightFactor);
        height = static_cast<float>(TextHeight(text)) * g_heightFactor * 0.95f;
        if (text.size() > kMenuFontMaxLength) SetImageFont(g_MidFont);
        width = static_cast<float>(TextWidth(text) + kLabelMargin) * g_widthFactor;
        x = newX;
        y = newY;
        if (newHeight != -1) height = newHeight * g_heightFactor;
        if (newWidth != -1) width = newWidth * g_widthFactor;
        if (centre == 1) x = static_cast<float>(g_virtualWidth) * g_widthFactor / 2 - width / 2;
        return 0;
    });
}

int MenuButton::PositionButtonOnMenu(int index, int count, float top, float span, float gap) {
    return Guarded("menu:MenuButton.PositionButtonOnMenu() ", 0, [&] {
        const float row = height + gap;
        y = top * g_heightFactor + static_cast<float>(index) * row +
            (span * g_heightFactor - static_cast<float>(count) * row) / 2;
        return 0;
    });
}

int MenuButton::Update(float mouseX, float mouseY, int buttonsDown) {
    return Guarded("menu:MenuButton.Update() ", 0, [&] {
        // On an edge is outside.
        const bool inside = x < mouseX && mouseX < x + width && y < mouseY && mouseY < y + height;
        mouseIn = inside ? 1 : 0;
        clickStatus = NextClickStatus(clickStatus, buttonsDown == 1, inside, buttonsDown);

        if (hotKey != -1) {
            const bool command = KeyDown(KEY_LCOMMAND) || KeyDown(KEY_RCOMMAND);
            // Asked even under Command, so a Command chord's press is used up and no later
            // button sees it.
            if (KeyHit(hotKey) && !command) clickStatus = 2;
        }

        if (clickStatus != 2) return 0;
        // Whatever becomes of the sound, the click stands.
        Deref(g_MasterMixer).AddSound(clickSound, 0, nullptr);
        FlushKeys();
        FlushMouse();
        return 1;
    });
}
