// The text entry: the table of typed characters (length limit, refused characters, Backspace,
// Tab, codes of 256 and above, Enter and Escape) with their sounds, the frame at several screen
// sizes, masking, what is flushed, input from before the entry, and a request to terminate
// while it waits.
#include <gtest/gtest.h>

#include <deque>

#include "media/mixer.h"
#include "menu/menu.h"
#include "screens_support.h"

namespace {

using namespace menu_test;

constexpr uint32_t kBackspace = 8, kTab = 9, kEnter = 13, kEscape = 27;
const char* const kClick = "button_click";
const char* const kCancel = "button_cancel";

void Type(uint32_t c) { InjectEvent({.type = InputEventType::Char, .codepoint = c}); }

class TextEntry : public MenuTest {
protected:
    // Each wait of the entry gets the next of these characters.
    void WillType(const std::vector<uint32_t>& chars) {
        typed_.assign(chars.begin(), chars.end());
        SetIdleHook([this] {
            if (typed_.empty()) return;
            Type(typed_.front());
            typed_.pop_front();
        });
    }

    // The caller's loop: calls until one returns 1, at most limit; the calls made.
    int RunEntry(std::string& text, int masked = 0, int limit = 100) {
        int calls = 0;
        while (calls < limit) {
            ++calls;
            if (DrawTextInputMenu("Enter Player Name", text, universe().MenuBackgroundImage, 1, 1, masked) == 1) break;
        }
        return calls;
    }

    std::deque<uint32_t> typed_;
};

std::vector<uint32_t> Chars(const std::string& latin1) {
    std::vector<uint32_t> chars;
    for (const char c : latin1) chars.push_back(static_cast<unsigned char>(c));
    return chars;
}
std::vector<uint32_t> operator+(std::vector<uint32_t> a, const std::vector<uint32_t>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
std::vector<std::string> Times(int n, const char* sound) {
    return std::vector<std::string>(static_cast<size_t>(n), sound);
}
std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST_F(TextEntry, EachCharacterEditsTheTextAndSoundsAsTheTableSays) {
    const std::string full(16, 'x');
    const struct Case {
        const char* what;
        std::string start;
        std::vector<uint32_t> chars;
        std::string text;
        std::vector<std::string> sounds;
    } cases[] = {
        {"letters, then Enter", "", Chars("abc") + std::vector<uint32_t>{kEnter}, "abc", Times(4, kClick)},
        {"Enter on an empty text", "", {kEnter}, "", {kClick}},
        {"Escape ends it like Enter, keeping the text", "", Chars("abc") + std::vector<uint32_t>{kEscape}, "abc",
         Times(4, kClick)},
        {"the 16th character is taken, the 17th refused", std::string(15, 'x'), Chars("yz") + std::vector{kEnter},
         full.substr(0, 15) + "y", Times(1, kClick) + Times(1, kCancel) + Times(1, kClick)},
        {"after a Backspace one more fits", full, std::vector<uint32_t>{kBackspace} + Chars("ab") + std::vector{kEnter},
         std::string(15, 'x') + "a", Times(1, kCancel) + Times(1, kClick) + Times(1, kCancel) + Times(1, kClick)},
        // The refused characters in two halves: the mixer has 15 effect slots.
        {"refused characters as the first", "", Chars("*+=[]{}") + std::vector{kEnter}, "",
         Times(7, kCancel) + Times(1, kClick)},
        {"refused characters after others", "a", Chars("/\\<>.:?\"b") + std::vector{kEnter}, "ab",
         Times(8, kCancel) + Times(2, kClick)},
        {"a refused character on a full text", full, Chars(".") + std::vector{kEnter}, full,
         Times(1, kCancel) + Times(1, kClick)},
        {"spaces first, repeated and last", "", Chars("  a ") + std::vector{kEnter}, "  a ", Times(5, kClick)},
        {"codes 127 to 255 count one each", std::string(13, 'x'), std::vector<uint32_t>{127, 0xE9, 255, 0xE0, kEnter},
         std::string(13, 'x') + "\x7f\xe9\xff", Times(3, kClick) + Times(1, kCancel) + Times(1, kClick)},
        {"codes of 256 and above and Tab do nothing, silently", "a", {0x263A, 256, kTab, 1, 31, kEnter}, "a", {kClick}},
        {"Backspace on an empty text", "", {kBackspace, kEnter}, "", {kCancel, kClick}},
        {"a longer text from the caller shortens but never grows",
         std::string(20, 'L'),
         std::vector<uint32_t>{'a', kBackspace, 'b', kEnter},
         std::string(19, 'L'),
         {kCancel, kCancel, kCancel, kClick}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ClearEffects();
        WillType(c.chars);
        std::string text = c.start;
        EXPECT_EQ(RunEntry(text), static_cast<int>(c.chars.size())) << "one call for each character";
        EXPECT_EQ(text, c.text);
        EXPECT_EQ(EffectsPlayed(), c.sounds);
    }
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(TextEntry, TheFrameStandsWhereTheScreenSizeSays) {
    const struct {
        int width, height;
        float promptY, textY;  // (height div 10) x 3 and x 5
    } cases[] = {{1024, 768, 228, 380}, {800, 600, 180, 300}, {1280, 1024, 306, 510}, {1025, 768, 228, 380}};
    const std::string prompt = "Enter Player Name";
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
        UseScreen(c.width, c.height);
        WillType({kEnter});
        std::string text = "Wizard";
        const std::vector<DrawCall> calls =
            Recorded([&] { EXPECT_EQ(DrawTextInputMenu(prompt, text, universe().MenuBackgroundImage, 1, 1, 0), 1); });
        ASSERT_FALSE(calls.empty());
        EXPECT_EQ(calls.front().kind, DrawKind::Cls);
        EXPECT_EQ(calls.back().kind, DrawKind::Flip) << "the frame is shown before the wait";

        const auto rects = Calls(calls, DrawKind::Rect);
        ASSERT_EQ(rects.size(), 2u);
        const float left = 1024 * g_widthFactor / 4, top = 768 * g_heightFactor / 4;
        EXPECT_FLOAT_EQ(rects[0]->x, left - 1);
        EXPECT_FLOAT_EQ(rects[0]->y, top - 1);
        EXPECT_EQ(std::make_pair(rects[0]->w, rects[0]->h), std::make_pair(514.0f, 386.0f));
        EXPECT_TRUE(ColourIs(*rects[0], 0, 200, 0));
        EXPECT_FLOAT_EQ(rects[1]->x, left);
        EXPECT_FLOAT_EQ(rects[1]->y, top);
        EXPECT_EQ(std::make_pair(rects[1]->w, rects[1]->h), std::make_pair(512.0f, 384.0f));
        EXPECT_TRUE(ColourIs(*rects[1], 0, 0, 0));
        for (const DrawCall* rect : rects) {
            EXPECT_FLOAT_EQ(rect->state.alpha, 0.66f);
            EXPECT_EQ(rect->state.scaleX, g_widthFactor);
            EXPECT_EQ(rect->state.scaleY, g_heightFactor);
        }
        // The box spans the middle half of the screen.
        EXPECT_NEAR(rects[1]->corners[2].x, static_cast<float>(c.width) * 3 / 4, 0.01f);

        const DrawCall* promptCall = TextCall(calls, prompt);
        ASSERT_NE(promptCall, nullptr);
        EXPECT_EQ(promptCall->y, c.promptY);
        // The prompt centres on half the logical width scaled, the text on half the real width.
        EXPECT_FLOAT_EQ(promptCall->x, 1024 * g_widthFactor / 2 - WidthIn(g_LargeFont, prompt) * g_widthFactor / 2);
        EXPECT_TRUE(ColourIs(*promptCall, 0, 200, 0));
        EXPECT_EQ(promptCall->state.alpha, 1.0f);
        EXPECT_EQ(promptCall->state.font, g_LargeFont);
        const DrawCall* textCall = TextCall(calls, "Wizard");
        ASSERT_NE(textCall, nullptr);
        EXPECT_EQ(textCall->y, c.textY);
        EXPECT_FLOAT_EQ(textCall->x,
                        static_cast<float>(c.width / 2) - WidthIn(g_LargeFont, "Wizard") * g_widthFactor / 2);
        EXPECT_TRUE(ColourIs(*textCall, 200, 200, 200));
        // The background first, behind the box.
        const auto images = Calls(calls, DrawKind::Image);
        ASSERT_FALSE(images.empty());
        EXPECT_LT(images.back(), rects[0]);
        EXPECT_TRUE(Calls(calls, DrawKind::Image).size() == images.size()) << "no pointer is drawn";
    }
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(TextEntry, OnlyTheValueOneDrawsTheBoxOrClearsAndMaskingShowsAnAsteriskACharacter) {
    const struct {
        const char* what;
        int drawBox, clear, masked;
        bool background;
        size_t rects, clears;
        std::string shown;
    } cases[] = {
        {"box and clear", 1, 1, 0, true, 2, 1, "abc"},
        {"2 is neither", 2, 2, 0, true, 0, 0, "abc"},
        {"nothing but the two lines", 0, 0, 0, false, 0, 0, "abc"},
        {"masked", 1, 1, 1, true, 2, 1, "***"},
        {"masked by any value but 0", 1, 1, -4, true, 2, 1, "***"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WillType({kEnter});
        std::string text = "abc";
        const std::vector<DrawCall> calls = Recorded([&] {
            DrawTextInputMenu("Enter Password", text, c.background ? universe().MenuBackgroundImage : nullptr,
                              c.drawBox, c.clear, c.masked);
        });
        EXPECT_EQ(Calls(calls, DrawKind::Rect).size(), c.rects);
        EXPECT_EQ(Calls(calls, DrawKind::Cls).size(), c.clears);
        EXPECT_EQ(Calls(calls, DrawKind::Image).empty(), !c.background);
        const auto texts = Calls(calls, DrawKind::Text);
        ASSERT_EQ(texts.size(), 2u);
        EXPECT_EQ(texts[0]->text, "Enter Password");
        EXPECT_EQ(texts[1]->text, c.shown);
        EXPECT_EQ(text, "abc");
    }
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(TextEntry, EachFrameShowsTheTextBeforeItsCharacterAndInputBeforeTheWaitIsLost) {
    // Typed before the entry opened, as the hot key that opened it would be.
    Type('n');
    Hold(KEY_ENTER);
    WillType(Chars("ab") + std::vector{kEnter});
    std::vector<std::string> shown;
    std::string text;
    int result = 0;
    while (result == 0) {
        const std::vector<DrawCall> calls =
            Recorded([&] { result = DrawTextInputMenu("Enter Player Name", text, nullptr, 1, 1, 0); });
        shown.push_back(Calls(calls, DrawKind::Text).at(1)->text);
    }
    EXPECT_EQ(shown, (std::vector<std::string>{"", "a", "ab"}));
    EXPECT_EQ(text, "ab");
}

TEST_F(TextEntry, AfterAnOrdinaryCharacterEverythingIsFlushedAfterEnterOrEscapeNothing) {
    const struct {
        uint32_t c;
        int result;
        bool flushed;
    } cases[] = {{'a', 0, true}, {kTab, 0, true}, {kEnter, 1, false}, {kEscape, 1, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.c);
        SetIdleHook([&] {
            Hold(KEY_SPACE);
            HoldButton(1);
            InjectEvent({.type = InputEventType::KeyDown, .code = KEY_P});
            Type(c.c);
            SetIdleHook(nullptr);
        });
        std::string text;
        EXPECT_EQ(DrawTextInputMenu("Enter Player Name", text, nullptr, 1, 1, 0), c.result);
        EXPECT_EQ(KeyDown(KEY_SPACE), c.flushed ? 0 : 1);
        EXPECT_EQ(KeyHit(KEY_P), c.flushed ? 0 : 1);
        EXPECT_EQ(MouseDown(1), c.flushed ? 0 : 1);
        ResetInput();
    }
}

TEST_F(TextEntry, ARequestToTerminateWhileItWaitsEndsTheProgramWithoutSavingAnything) {
    const std::string prefs = ReadText(userFolder + "data/prefs.xml");
    const ChildResult child = RunInChild([&] {
        SetIdleHook([] { InjectEvent({.type = InputEventType::Terminate}); });
        std::string text;
        for (int i = 0; i < 3; ++i) DrawTextInputMenu("Enter Player Name", text, nullptr, 1, 1, 0);
        std::printf("went on\n");
    });
    EXPECT_EQ(child.exitStatus, 0);
    EXPECT_EQ(child.out.find("went on"), std::string::npos);
    EXPECT_EQ(child.err, "");
    EXPECT_EQ(ReadText(userFolder + "data/prefs.xml"), prefs);
    EXPECT_FALSE(std::filesystem::exists(userFolder + "bx2_error_log.txt"));

    // A wait that gives up for no request changes nothing and plays nothing.
    ClearEffects();
    std::string text = "ab";
    EXPECT_EQ(MenuGetTextInput(text), 0);
    EXPECT_EQ(text, "ab");
    EXPECT_TRUE(EffectsPlayed().empty());
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(TextEntry, AFailureWhileACharacterIsAppliedIsLoggedAndTheEntryGoesOn) {
    const UniversePtr kept = g_gameUniverse;
    g_gameUniverse = nullptr;
    WillType({'a'});
    std::string text;
    EXPECT_EQ(DrawTextInputMenu("Enter Player Name", text, nullptr, 1, 1, 0), 0);
    g_gameUniverse = kept;
    EXPECT_EQ(DebugLogLines(),
              (std::vector<std::string>{"menu:MenuGetTextInput() " + std::string(kNullAccessMessage)}));
}

}  // namespace
