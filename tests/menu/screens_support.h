// The menu screens' tests' ground: the screens' ground with the universe started on the headless
// screen, a screen of any size, the draw calls of a piece of work, and the texts among them.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "menu_support.h"

namespace menu_test {

using namespace screen_test;

// The game's texts are Latin-1; the test files are UTF-8.
inline std::string Latin1(const std::string& utf8) {
    std::string latin1;
    Utf8ToLatin1(utf8, latin1);
    return latin1;
}

inline std::vector<DrawCall> Recorded(const std::function<void()>& work) {
    StartRecording();
    work();
    return StopRecording();
}

inline std::vector<const DrawCall*> Calls(const std::vector<DrawCall>& calls, DrawKind kind) {
    std::vector<const DrawCall*> found;
    for (const DrawCall& call : calls) {
        if (call.kind == kind) found.push_back(&call);
    }
    return found;
}

// The first call that drew exactly this text; null when none did.
inline const DrawCall* TextCall(const std::vector<DrawCall>& calls, const std::string& text) {
    for (const DrawCall& call : calls) {
        if (call.kind == DrawKind::Text && call.text == text) return &call;
    }
    return nullptr;
}

// The unscaled width of a text in a font, as the screens measure it.
inline float WidthIn(const TImageFontPtr& font, const std::string& text) {
    const TImageFontPtr before = GetImageFont();
    SetImageFont(font);
    const float width = static_cast<float>(TextWidth(text));
    SetImageFont(before);
    return width;
}
inline float HeightIn(const TImageFontPtr& font) {
    const TImageFontPtr before = GetImageFont();
    SetImageFont(font);
    const float height = static_cast<float>(TextHeight("X"));
    SetImageFont(before);
    return height;
}

inline bool ColourIs(const DrawCall& call, int r, int g, int b) {
    return call.state.red == r && call.state.green == g && call.state.blue == b;
}

// A frame test that also keeps the frame it passed.
inline FrameTest Keep(std::vector<DrawCall>& frame, FrameTest when) {
    return [&frame, when](const std::vector<DrawCall>& calls) {
        if (!when(calls)) return false;
        frame = calls;
        return true;
    };
}

// A button as a frame drew it: its face (the rectangle inside its green border), the colours of
// face and label, and the label with its font and place.
struct ShownButton {
    float x = 0, y = 0, w = 0, h = 0;
    int faceRed = 0, faceGreen = 0, faceBlue = 0;
    int labelRed = 0, labelGreen = 0, labelBlue = 0;
    std::string label;
    TImageFontPtr font;
    float labelX = 0, labelY = 0;
};

// The buttons of a frame in the order drawn: each a border rectangle, the face just inside it,
// then its label.
inline std::vector<ShownButton> ButtonsIn(const std::vector<DrawCall>& calls) {
    std::vector<ShownButton> buttons;
    const DrawCall* previousRect = nullptr;
    for (size_t i = 0; i < calls.size(); ++i) {
        const DrawCall& call = calls[i];
        if (call.kind != DrawKind::Rect) continue;
        const DrawCall* border = previousRect;
        previousRect = &call;
        if (!border || border->x != call.x - 1 || border->y != call.y - 1 || border->w != call.w + 2 ||
            border->h != call.h + 2 || !ColourIs(*border, 0, 200, 0)) {
            continue;
        }
        ShownButton button;
        button.x = call.x, button.y = call.y, button.w = call.w, button.h = call.h;
        button.faceRed = call.state.red, button.faceGreen = call.state.green, button.faceBlue = call.state.blue;
        for (size_t j = i + 1; j < calls.size(); ++j) {
            if (calls[j].kind != DrawKind::Text) continue;
            button.label = calls[j].text;
            button.font = calls[j].state.font;
            button.labelX = calls[j].x, button.labelY = calls[j].y;
            button.labelRed = calls[j].state.red, button.labelGreen = calls[j].state.green;
            button.labelBlue = calls[j].state.blue;
            break;
        }
        buttons.push_back(button);
    }
    return buttons;
}

// Where a button of the menu column stands: width logical units wide at the menu font's height,
// centred across the screen, in row index of count rows of the band from 210 to 564.
struct ColumnBox {
    float x, y, w, h;
};
inline ColumnBox ColumnPlace(float width, int index, int count) {
    ColumnBox box{};
    box.h = HeightIn(g_MenuFont) * g_heightFactor * 0.95f;
    box.w = width * g_widthFactor;
    box.x = static_cast<float>(g_virtualWidth) * g_widthFactor / 2 - box.w / 2;
    const float row = box.h + 4;
    box.y = 210 * g_heightFactor + static_cast<float>(index) * row +
            (354 * g_heightFactor - static_cast<float>(count) * row) / 2;
    return box;
}

inline void ExpectAt(const ShownButton& button, const ColumnBox& box) {
    EXPECT_FLOAT_EQ(button.x, box.x) << button.label;
    EXPECT_FLOAT_EQ(button.y, box.y) << button.label;
    EXPECT_FLOAT_EQ(button.w, box.w) << button.label;
    EXPECT_FLOAT_EQ(button.h, box.h) << button.label;
}

// Input steps of a scripted player: a key pressed, a pointer moved, a mouse button held or let go.
inline std::function<void()> PressKey(int key) {
    return [key] { Press(key); };
}
inline void MovePointer(float x, float y) {
    InjectEvent({.type = InputEventType::MouseMove, .x = static_cast<int>(x), .y = static_cast<int>(y)});
}
// The middle of a button of the column.
inline void PointAt(const ColumnBox& box) { MovePointer(box.x + box.w / 2, box.y + box.h / 2); }

// The effects the master mixer was handed since the last ClearEffects, by name, slot by slot.
inline void ClearEffects() {
    Mixer& mixer = *g_MasterMixer;
    for (int i = 1; i < mixer.totalChannels; ++i) {
        mixer.EndSound(i);
        mixer.soundArray[static_cast<size_t>(i)] = nullptr;
    }
}
inline std::vector<std::string> EffectsPlayed() {
    std::vector<std::string> names;
    for (size_t i = 1; i < g_MasterMixer->soundArray.size(); ++i) {
        if (g_MasterMixer->soundArray[i]) names.push_back(g_MasterMixer->soundArray[i]->name);
    }
    return names;
}

class MenuTest : public ScreenTest {
protected:
    void SetUp() override {
        ScreenTest::SetUp();
        StartUniverse();
        ASSERT_EQ(g_DebugLog, "");
    }

    // The headless screen reopened at this size, with the screen factors a mode change sets.
    static void UseScreen(int width, int height) {
        ASSERT_TRUE(Graphics(width, height, 0, 60, 0));
        g_widthFactor = static_cast<float>(width) / static_cast<float>(g_virtualWidth);
        g_heightFactor = static_cast<float>(height) / static_cast<float>(g_virtualHeight);
    }
};

}  // namespace menu_test
