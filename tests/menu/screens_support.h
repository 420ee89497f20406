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
