// Tests for the input layer: polled keys and mouse, typed characters, the event queue,
// suspension and termination, and the translation of SDL's keys and events.
#include <SDL2/SDL_events.h>
#include <gtest/gtest.h>
#include <signal.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/input.h"
#include "platform/input_internal.h"
#include "platform/runtime.h"

namespace {

using T = InputEventType;

InputEvent Ev(T type, int code = 0) {
    InputEvent e;
    e.type = type;
    e.code = code;
    return e;
}
InputEvent Key(int code, bool repeat = false) {
    InputEvent e = Ev(T::KeyDown, code);
    e.repeat = repeat;
    return e;
}
InputEvent Char(uint32_t codepoint) {
    InputEvent e = Ev(T::Char);
    e.codepoint = codepoint;
    return e;
}
InputEvent Move(int x, int y) {
    InputEvent e = Ev(T::MouseMove);
    e.x = x;
    e.y = y;
    return e;
}
InputEvent Wheel(int steps) {
    InputEvent e = Ev(T::MouseWheel);
    e.y = steps;
    return e;
}
void Inject(const std::vector<InputEvent>& events) {
    for (const InputEvent& e : events) InjectEvent(e);
}

struct Polled {
    int id, data, x, y;
    bool operator==(const Polled&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Polled& p) {
    return os << "{" << p.id << ", " << p.data << ", " << p.x << ", " << p.y << "}";
}
std::vector<Polled> DrainEvents() {
    std::vector<Polled> out;
    while (int id = PollEvent()) {
        EXPECT_EQ(id, EventID());
        out.push_back({id, EventData(), EventX(), EventY()});
    }
    return out;
}

class InputTest : public ::testing::Test {
protected:
    void SetUp() override { ResetInput(); }
    // One test runs the real backend's pump.
    void TearDown() override {
        SetBackend(Backend::Headless);
        ResetInput();
    }
};

TEST_F(InputTest, KeyHitCountsFreshPressesAndReadingConsumesThem) {
    Inject({Key(KEY_A), Ev(T::KeyUp, KEY_A), Key(KEY_A), Key(KEY_A, true), Key(KEY_A, true)});
    EXPECT_EQ(KeyHit(KEY_A), 2);
    EXPECT_EQ(KeyHit(KEY_A), 0);
    EXPECT_EQ(KeyHit(KEY_Q), 0);
    InjectEvent(Key(KEY_A, true));
    EXPECT_EQ(KeyHit(KEY_A), 0) << "a repeat is not a press";
    InjectEvent(Key(KEY_A));
    EXPECT_EQ(KeyHit(KEY_A), 1);
}

TEST_F(InputTest, KeyDownFollowsPressAndReleaseAndIgnoresCodesOutOfRange) {
    InjectEvent(Key(KEY_LSHIFT));
    PumpEvents();
    EXPECT_EQ(KeyDown(KEY_LSHIFT), 1);
    EXPECT_EQ(KeyDown(KEY_RSHIFT), 0);
    PumpEvents();
    EXPECT_EQ(KeyDown(KEY_LSHIFT), 1) << "held across frames";
    InjectEvent(Ev(T::KeyUp, KEY_LSHIFT));
    EXPECT_EQ(KeyDown(KEY_LSHIFT), 0) << "pressed in an earlier frame: up as soon as it is let go";

    Inject({Key(-1), Key(256), Ev(T::KeyUp, 1000)});
    for (int code : {-1, 256, 1000}) {
        EXPECT_EQ(KeyDown(code), 0) << code;
        EXPECT_EQ(KeyHit(code), 0) << code;
    }
}

TEST_F(InputTest, FlushKeysClearsHeldKeysHitsAndTypedCharactersUntilPressedAgain) {
    Inject({Key(KEY_SPACE), Key(KEY_Q), Char('x')});
    FlushKeys();
    EXPECT_EQ(KeyDown(KEY_SPACE), 0);
    EXPECT_EQ(KeyHit(KEY_SPACE), 0);
    EXPECT_EQ(KeyHit(KEY_Q), 0);
    EXPECT_EQ(GetChar(), 0);

    // Still physically held: auto-repeat must not bring it back.
    InjectEvent(Key(KEY_SPACE, true));
    EXPECT_EQ(KeyDown(KEY_SPACE), 0);
    EXPECT_EQ(KeyHit(KEY_SPACE), 0);
    Inject({Ev(T::KeyUp, KEY_SPACE), Key(KEY_SPACE)});
    EXPECT_EQ(KeyDown(KEY_SPACE), 1);
    EXPECT_EQ(KeyHit(KEY_SPACE), 1);
}

TEST_F(InputTest, GetCharReturnsTypedCharactersInOrderThenZero) {
    Inject({Char('a'), Key(KEY_ENTER), Char(0xE9), Char(0x20AC)});
    EXPECT_EQ(GetChar(), 'a');
    EXPECT_EQ(GetChar(), 13);
    EXPECT_EQ(GetChar(), 0xE9);
    EXPECT_EQ(GetChar(), 0x20AC);
    EXPECT_EQ(GetChar(), 0);
}

TEST_F(InputTest, WaitCharReturnsTheFirstCharacterTypedWhileWaiting) {
    struct Case {
        const char* name;
        std::vector<InputEvent> typed;  // injected by the idle hook, once
        int expected;
    };
    const Case cases[] = {
        {"printable", {Char('k'), Char('m')}, 'k'},
        {"Backspace key", {Key(KEY_BACKSPACE)}, 8},
        {"held Backspace repeats", {Key(KEY_BACKSPACE, true)}, 8},
        {"Enter key", {Key(KEY_ENTER)}, 13},
        {"Escape key", {Key(KEY_ESCAPE)}, 27},
        {"letter key alone types nothing", {Key(KEY_A), Char('a')}, 'a'},
        {"code point above 255", {Char(0x20AC)}, 0x20AC},
        {"only non-character events", {Move(3, 4), Key(KEY_LEFT)}, 0},
        {"nothing typed", {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ResetInput();
        Inject({Char('z'), Key(KEY_ENTER)});  // typed before the call: flushed
        int hookCalls = 0;
        SetIdleHook([&] {
            if (hookCalls++ == 0) Inject(c.typed);
        });
        EXPECT_EQ(WaitChar(), c.expected);
        EXPECT_GE(hookCalls, 1);
    }
}

TEST_F(InputTest, WaitCharWithoutHookReturnsZeroAndLeavesTerminationForAppTerminate) {
    EXPECT_EQ(WaitChar(), 0);

    int hookCalls = 0;
    SetIdleHook([&] { ++hookCalls; });
    InjectEvent(Ev(T::Terminate));
    EXPECT_EQ(WaitChar(), 0);
    EXPECT_EQ(hookCalls, 0);
    EXPECT_TRUE(AppTerminate());
}

TEST_F(InputTest, MouseButtonsAreHeldAndCountedPerButton) {
    Inject({Ev(T::MouseDown, 1), Ev(T::MouseUp, 1), Ev(T::MouseDown, 1), Ev(T::MouseDown, 2)});
    EXPECT_EQ(MouseDown(1), 1);
    EXPECT_EQ(MouseDown(2), 1);
    EXPECT_EQ(MouseDown(3), 0);
    EXPECT_EQ(MouseHit(1), 2);
    EXPECT_EQ(MouseHit(1), 0);
    EXPECT_EQ(MouseHit(2), 1);
    // Taken in by the reads above, within a frame: down through the next frame, up after it.
    PumpEvents();
    PumpEvents();
    InjectEvent(Ev(T::MouseUp, 2));
    EXPECT_EQ(MouseDown(2), 0);

    Inject({Ev(T::MouseDown, 0), Ev(T::MouseDown, 4)});
    for (int b : {-1, 0, 4}) {
        EXPECT_EQ(MouseDown(b), 0) << b;
        EXPECT_EQ(MouseHit(b), 0) << b;
    }
}

// A click or a tap shorter than a frame: press and release arrive in one pump. The frame reads it
// as down, however often it asks and whatever else pumps meanwhile; the next frame's pump lets go.
TEST_F(InputTest, APressLetGoWithinOnePumpReadsAsDownUntilTheNextFramesPump) {
    struct Case {
        const char* what;
        InputEvent press, release;
        std::function<int()> down, hits;
    };
    const Case cases[] = {
        {"a key", Key(KEY_Q), Ev(T::KeyUp, KEY_Q), [] { return KeyDown(KEY_Q); }, [] { return KeyHit(KEY_Q); }},
        {"a mouse button", Ev(T::MouseDown, 1), Ev(T::MouseUp, 1), [] { return MouseDown(1); },
         [] { return MouseHit(1); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ResetInput();
        Inject({c.press, c.release});
        PumpEvents();
        EXPECT_EQ(c.down(), 1);
        EXPECT_EQ(c.down(), 1) << "every read of the frame";
        // The queries a frame makes between two flips pump too.
        EXPECT_FALSE(AppTerminate());
        EXPECT_FALSE(AppSuspended());
        MoveMouse(10, 10);
        DrainEvents();
        EXPECT_EQ(c.down(), 1);
        EXPECT_EQ(c.hits(), 1) << "still one press";
        PumpEvents();
        EXPECT_EQ(c.down(), 0) << "the next frame";

        // Taken in within a frame, after some of its reads (here by a read itself): the next
        // frame reads it as down too.
        Inject({c.press, c.release});
        EXPECT_EQ(c.down(), 1);
        PumpEvents();
        EXPECT_EQ(c.down(), 1) << "the whole next frame";
        PumpEvents();
        EXPECT_EQ(c.down(), 0);
        Inject({c.press, c.release});
        EXPECT_FALSE(AppTerminate());
        PumpEvents();
        EXPECT_EQ(c.down(), 1) << "taken in by a query's pump";
        PumpEvents();
        EXPECT_EQ(c.down(), 0);

        // A flush or a suspension lets go of it, as of a held one.
        Inject({c.press, c.release});
        FlushKeys();
        FlushMouse();
        EXPECT_EQ(c.down(), 0) << "flushed";
        Inject({Ev(T::FocusGained), c.press, c.release, Ev(T::FocusLost)});
        EXPECT_EQ(c.down(), 0) << "suspended";
    }
}

TEST_F(InputTest, FlushMouseReleasesHeldButtonsUntilPressedAgainAndResetsTheWheel) {
    Inject({Ev(T::MouseDown, 1), Wheel(3), Wheel(-1)});
    EXPECT_EQ(MouseZ(), 2);
    FlushMouse();
    EXPECT_EQ(MouseDown(1), 0);
    EXPECT_EQ(MouseHit(1), 0);
    EXPECT_EQ(MouseZ(), 0);
    Inject({Ev(T::MouseUp, 1), Ev(T::MouseDown, 1)});
    EXPECT_EQ(MouseDown(1), 1);
    EXPECT_EQ(MouseHit(1), 1);
}

TEST_F(InputTest, MoveMousePostsOneMoveAtTheTargetAndIgnoresTheWarpsOwnMotion) {
    InjectEvent(Move(5, 6));  // before the warp: must stay ahead of it in the queue
    MoveMouse(320, 240);
    EXPECT_EQ(MouseX(), 320);
    EXPECT_EQ(MouseY(), 240);
    Inject({Move(320, 240), Move(320, 240)});  // the system echoing the warp
    EXPECT_EQ(DrainEvents(), (std::vector<Polled>{{EVENT_MOUSEMOVE, 0, 5, 6}, {EVENT_MOUSEMOVE, 0, 320, 240}}));

    // Real motion afterwards counts, even when it comes back to the same spot.
    Inject({Move(321, 240), Move(320, 240)});
    EXPECT_EQ(DrainEvents(), (std::vector<Polled>{{EVENT_MOUSEMOVE, 0, 321, 240}, {EVENT_MOUSEMOVE, 0, 320, 240}}));
    EXPECT_EQ(MouseX(), 320);
}

TEST_F(InputTest, PollEventGivesEventsInOrderWithTheirIdsAndData) {
    Inject({Key(KEY_A), Char('a'), Key(KEY_A, true), Ev(T::KeyUp, KEY_A), Move(10, 20), Ev(T::MouseDown, 3),
            Ev(T::MouseUp, 3), Wheel(-2), Ev(T::Terminate)});
    EXPECT_EQ(DrainEvents(), (std::vector<Polled>{{EVENT_KEYDOWN, KEY_A, 0, 0},
                                                  {EVENT_KEYCHAR, 'a', 0, 0},
                                                  {EVENT_KEYUP, KEY_A, 0, 0},
                                                  {EVENT_MOUSEMOVE, 0, 10, 20},
                                                  {EVENT_MOUSEDOWN, 3, 10, 20},
                                                  {EVENT_MOUSEUP, 3, 10, 20},
                                                  {EVENT_MOUSEWHEEL, -2, 10, 20},
                                                  {EVENT_APPTERMINATE, 0, 0, 0}}));
    EXPECT_EQ(PollEvent(), 0);
    EXPECT_EQ(EventID(), 0);
    EXPECT_EQ(EventX(), 0);
}

TEST_F(InputTest, EventQueueKeepsTheNewestEvents) {
    for (int i = 0; i < 600; ++i) InjectEvent(Move(i, 0));
    std::vector<Polled> polled = DrainEvents();
    ASSERT_EQ(polled.size(), 512u);
    EXPECT_EQ(polled.front().x, 600 - 512);
    EXPECT_EQ(polled.back().x, 599);
}

TEST_F(InputTest, AppTerminateIsLatchedUntilRead) {
    EXPECT_FALSE(AppTerminate());
    InjectEvent(Ev(T::Terminate));
    PumpEvents();
    KeyHit(KEY_A);  // other reads leave the latch alone
    EXPECT_TRUE(AppTerminate());
    EXPECT_FALSE(AppTerminate());
}

TEST_F(InputTest, AppSuspendedFollowsFocusButNeverBeforeFocusWasFirstGained) {
    struct Case {
        const char* name;
        std::vector<T> events;
        bool suspended;
    };
    const Case cases[] = {
        {"fresh", {}, false},
        {"lost before ever gained", {T::FocusLost}, false},
        {"minimised before ever gained", {T::Minimized}, false},
        {"gained", {T::FocusGained}, false},
        {"gained then lost", {T::FocusGained, T::FocusLost}, true},
        {"gained then minimised", {T::FocusGained, T::Minimized}, true},
        {"lost then regained", {T::FocusGained, T::FocusLost, T::FocusGained}, false},
        {"minimised then restored", {T::FocusGained, T::Minimized, T::Restored}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ResetInput();
        for (T t : c.events) InjectEvent(Ev(t));
        EXPECT_EQ(AppSuspended(), c.suspended);
    }
}

TEST_F(InputTest, SuspendingAndResumingReleaseHeldKeysAndButtons) {
    Inject({Ev(T::FocusGained), Key(KEY_Q), Ev(T::MouseDown, 1), Ev(T::FocusLost)});
    EXPECT_TRUE(AppSuspended());
    EXPECT_EQ(KeyDown(KEY_Q), 0);
    EXPECT_EQ(MouseDown(1), 0);
    Inject({Key(KEY_Q), Ev(T::MouseDown, 1), Ev(T::FocusGained)});
    EXPECT_FALSE(AppSuspended());
    EXPECT_EQ(KeyDown(KEY_Q), 0);
    EXPECT_EQ(MouseDown(1), 0);
}

// On Linux these mean "end now": on every screen the pump hands them to the game's quit, where a
// window's close is only a request the screen may answer with a pause.
TEST_F(InputTest, TerminationSignalsCallTheGamesQuitAndAreNoWindowClose) {
    SetBackend(Backend::Real);  // the pump watches the signals of the real backend only
    int quits = 0;
    SetSignalQuit([&] { ++quits; });
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(sig);
        PumpEvents();  // arms the handler again after the last signal
        struct sigaction current {};
        sigaction(sig, nullptr, &current);
        if (current.sa_handler == SIG_DFL) GTEST_SKIP() << "the signal is handled elsewhere in this process";
        const int before = quits;
        raise(sig);
        EXPECT_EQ(quits, before) << "nothing happens in the handler itself";
        PumpEvents();
        EXPECT_EQ(quits, before + 1);
        EXPECT_FALSE(AppTerminate());
        PumpEvents();
        EXPECT_EQ(quits, before + 1) << "taken once";
    }
}

// ---------------------------------------------------------------------------
// SDL's side of the pump.

TEST(InputSdlTest, KeyCodesFromSdl) {
    struct Case {
        SDL_Keycode sdl;
        int code;
    };
    const Case cases[] = {
        {SDLK_BACKSPACE, 8}, {SDLK_TAB, 9},    {SDLK_RETURN, 13},  {SDLK_KP_ENTER, 13},
        {SDLK_ESCAPE, 27},   {SDLK_SPACE, 32}, {SDLK_PAGEUP, 33},  {SDLK_PAGEDOWN, 34},
        {SDLK_END, 35},      {SDLK_HOME, 36},  {SDLK_LEFT, 37},    {SDLK_UP, 38},
        {SDLK_RIGHT, 39},    {SDLK_DOWN, 40},  {SDLK_INSERT, 45},  {SDLK_DELETE, 46},
        {SDLK_0, 48},        {SDLK_9, 57},     {SDLK_KP_0, 96},    {SDLK_KP_1, 97},
        {SDLK_KP_9, 105},    {SDLK_a, 65},     {SDLK_q, 81},       {SDLK_z, 90},
        {SDLK_LGUI, 91},     {SDLK_LCTRL, 91}, {SDLK_RGUI, 92},    {SDLK_RCTRL, 92},
        {SDLK_F1, 112},      {SDLK_F12, 123},  {SDLK_LSHIFT, 160}, {SDLK_RSHIFT, 161},
        {SDLK_LALT, 0},      {SDLK_F13, 0},    {SDLK_KP_PLUS, 0},  {'A', 0},
        {0x0439, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(KeyCodeFromSdl(c.sdl), c.code) << "SDL keycode " << c.sdl;
}

SDL_Event KeyEvent(Uint32 type, SDL_Keycode sym, SDL_Scancode scancode, Uint8 repeat = 0) {
    SDL_Event e{};
    e.type = type;
    e.key.keysym.sym = sym;
    e.key.keysym.scancode = scancode;
    e.key.repeat = repeat;
    return e;
}
SDL_Event ButtonEvent(Uint32 type, Uint8 button) {
    SDL_Event e{};
    e.type = type;
    e.button.button = button;
    return e;
}
SDL_Event WheelEvent(Sint32 y, Uint32 direction) {
    SDL_Event e{};
    e.type = SDL_MOUSEWHEEL;
    e.wheel.y = y;
    e.wheel.direction = direction;
    return e;
}
SDL_Event WindowEvent(Uint8 what) {
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.event = what;
    return e;
}
SDL_Event TextEvent(const char* utf8) {
    SDL_Event e{};
    e.type = SDL_TEXTINPUT;
    snprintf(e.text.text, sizeof e.text.text, "%s", utf8);
    return e;
}
SDL_Event PlainEvent(Uint32 type) {
    SDL_Event e{};
    e.type = type;
    return e;
}

// What matters of a translated event, as one comparable value.
struct Out {
    T type;
    int code = 0;
    bool repeat = false;
    uint32_t codepoint = 0;
    int y = 0;
    bool operator==(const Out&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Out& o) {
    return os << "{type " << static_cast<int>(o.type) << ", code " << o.code << ", repeat " << o.repeat << ", cp "
              << o.codepoint << ", y " << o.y << "}";
}

TEST(InputSdlTest, TranslatesSdlEventsIntoInputEvents) {
    SDL_Event motion{};
    motion.type = SDL_MOUSEMOTION;
    motion.motion.x = 12;
    motion.motion.y = 34;
    struct Case {
        const char* name;
        SDL_Event event;
        std::vector<Out> expected;
    };
    const Case cases[] = {
        {"key down", KeyEvent(SDL_KEYDOWN, SDLK_q, SDL_SCANCODE_Q), {{T::KeyDown, 81}}},
        {"key repeat", KeyEvent(SDL_KEYDOWN, SDLK_BACKSPACE, SDL_SCANCODE_BACKSPACE, 1), {{T::KeyDown, 8, true}}},
        {"key up", KeyEvent(SDL_KEYUP, SDLK_RCTRL, SDL_SCANCODE_RCTRL), {{T::KeyUp, 92}}},
        {"non-Latin letter by position", KeyEvent(SDL_KEYDOWN, 0x0439, SDL_SCANCODE_Q), {{T::KeyDown, 81}}},
        {"shifted digit row by position", KeyEvent(SDL_KEYDOWN, '&', SDL_SCANCODE_1), {{T::KeyDown, 49}}},
        {"punctuation where US has a letter", KeyEvent(SDL_KEYDOWN, ',', SDL_SCANCODE_M), {}},
        {"unknown key", KeyEvent(SDL_KEYDOWN, SDLK_LALT, SDL_SCANCODE_LALT), {}},
        {"text",
         TextEvent("a\xc3\xa9\xe2\x82\xac"),
         {{T::Char, 0, false, 'a'}, {T::Char, 0, false, 0xE9}, {T::Char, 0, false, 0x20AC}}},
        {"left button", ButtonEvent(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT), {{T::MouseDown, 1}}},
        {"right button", ButtonEvent(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT), {{T::MouseDown, 2}}},
        {"middle button", ButtonEvent(SDL_MOUSEBUTTONUP, SDL_BUTTON_MIDDLE), {{T::MouseUp, 3}}},
        {"extra button", ButtonEvent(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_X1), {}},
        {"wheel", WheelEvent(2, SDL_MOUSEWHEEL_NORMAL), {{T::MouseWheel, 0, false, 0, 2}}},
        {"flipped wheel", WheelEvent(2, SDL_MOUSEWHEEL_FLIPPED), {{T::MouseWheel, 0, false, 0, -2}}},
        {"sideways wheel", WheelEvent(0, SDL_MOUSEWHEEL_NORMAL), {}},
        {"focus gained", WindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED), {{T::FocusGained}}},
        {"focus lost", WindowEvent(SDL_WINDOWEVENT_FOCUS_LOST), {{T::FocusLost}}},
        {"minimised", WindowEvent(SDL_WINDOWEVENT_MINIMIZED), {{T::Minimized}}},
        {"restored", WindowEvent(SDL_WINDOWEVENT_RESTORED), {{T::Restored}}},
        {"resized", WindowEvent(SDL_WINDOWEVENT_RESIZED), {}},
        {"quit", PlainEvent(SDL_QUIT), {{T::Terminate}}},
        {"joystick", PlainEvent(SDL_JOYAXISMOTION), {}},
    };
    for (const Case& c : cases) {
        std::vector<InputEvent> out;
        TranslateSdlEvent(c.event, out);
        std::vector<Out> got;
        for (const InputEvent& e : out) got.push_back({e.type, e.code, e.repeat, e.codepoint, e.y});
        EXPECT_EQ(got, c.expected) << c.name;
    }

    std::vector<InputEvent> out;
    TranslateSdlEvent(motion, out);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].type, T::MouseMove);
    EXPECT_EQ(out[0].x, 12);
    EXPECT_EQ(out[0].y, 34);
}

}  // namespace
