// Keyboard, mouse and window events for the game: one pump turns SDL's events (or a
// test's injected ones) into the polled state and the event queue the game reads.
#include "platform/input.h"

#include <signal.h>

#include <array>
#include <deque>
#include <utility>
#include <vector>

#include "platform/input_internal.h"
#include "platform/runtime.h"
#include "platform/sdl_internal.h"

namespace {

constexpr size_t kMaxQueued = 512;

struct AppEvent {
    int id = 0;
    int data = 0;
    int x = 0, y = 0;
};

struct InputState {
    std::array<bool, 256> keyDown{};
    std::array<int, 256> keyHits{};
    std::array<bool, 4> buttonDown{};  // index 1 left, 2 right, 3 middle
    std::array<int, 4> buttonHits{};
    // Pressed since the frame's pump: a tap or a touchpad click, whose release comes in the same
    // pump, still reads as down for a whole frame. One taken in by a pump within the frame (a
    // query's), after some of the frame's reads, also stays down through the next frame.
    std::array<bool, 256> keyPressed{}, keyPressedLate{};
    std::array<bool, 4> buttonPressed{}, buttonPressedLate{};
    bool framePump = false;
    int mouseX = 0, mouseY = 0, mouseZ = 0;
    std::deque<int> chars;
    std::deque<AppEvent> events;
    AppEvent current;
    bool warpPending = false;
    int warpX = 0, warpY = 0;
    bool focusSeen = false;
    bool suspended = false;
    bool terminate = false;
};

InputState g_state;
std::deque<InputEvent> g_injected;
std::function<void()> g_idleHook;
bool g_cursorVisible = true;

std::function<void()> g_signalQuit;

// Set by the signal handlers; the pump ends the program on them.
volatile sig_atomic_t g_signalled = 0;
constexpr int kQuitSignals[] = {SIGTERM, SIGINT, SIGHUP};
volatile sig_atomic_t g_signalArmed[std::size(kQuitSignals)] = {};

template <class T>
void PushBounded(std::deque<T>& queue, const T& item) {
    if (queue.size() >= kMaxQueued) queue.pop_front();
    queue.push_back(item);
}

bool ValidKey(int code) { return code >= 0 && code < 256; }
bool ValidButton(int button) { return button >= 1 && button <= 3; }

void Post(int id, int data = 0, int x = 0, int y = 0) { PushBounded(g_state.events, AppEvent{id, data, x, y}); }
void PostMouse(int id, int data) { Post(id, data, g_state.mouseX, g_state.mouseY); }

void QueueChar(int codepoint) {
    PushBounded(g_state.chars, codepoint);
    Post(EVENT_KEYCHAR, codepoint);
}

void ReleaseKeys() {
    g_state.keyDown.fill(false);
    g_state.keyPressed.fill(false);
    g_state.keyPressedLate.fill(false);
}

void ReleaseButtons() {
    g_state.buttonDown.fill(false);
    g_state.buttonPressed.fill(false);
    g_state.buttonPressedLate.fill(false);
}

// Whatever was held when the app lost or regained focus has to be pressed again.
void ReleaseHeld() {
    ReleaseKeys();
    ReleaseButtons();
}

void ApplyKeyDown(const InputEvent& e) {
    if (!ValidKey(e.code)) return;
    if (!e.repeat) {
        g_state.keyDown[e.code] = true;
        g_state.keyPressed[e.code] = true;
        g_state.keyPressedLate[e.code] = !g_state.framePump;
        ++g_state.keyHits[e.code];
        Post(EVENT_KEYDOWN, e.code);
    }
    // A text field wants held Backspace to keep deleting.
    if (e.code == KEY_BACKSPACE || e.code == KEY_ENTER || e.code == KEY_ESCAPE) QueueChar(e.code);
}

void ApplyMouseMove(const InputEvent& e) {
    if (g_state.warpPending) {
        if (e.x == g_state.warpX && e.y == g_state.warpY) return;  // the system's echo of our warp
        g_state.warpPending = false;
    }
    g_state.mouseX = e.x;
    g_state.mouseY = e.y;
    Post(EVENT_MOUSEMOVE, 0, e.x, e.y);
}

void Suspend() {
    if (!g_state.focusSeen) return;  // some window systems never give a fresh window focus
    g_state.suspended = true;
    ReleaseHeld();
    Post(EVENT_APPSUSPEND);
}

void Resume() {
    g_state.suspended = false;
    ReleaseHeld();
    Post(EVENT_APPRESUME);
}

void Apply(const InputEvent& e) {
    switch (e.type) {
        case InputEventType::KeyDown:
            ApplyKeyDown(e);
            break;
        case InputEventType::KeyUp:
            if (!ValidKey(e.code)) return;
            g_state.keyDown[e.code] = false;
            Post(EVENT_KEYUP, e.code);
            break;
        case InputEventType::Char:
            QueueChar(static_cast<int>(e.codepoint));
            break;
        case InputEventType::MouseMove:
            ApplyMouseMove(e);
            break;
        case InputEventType::MouseDown:
            if (!ValidButton(e.code)) return;
            g_state.buttonDown[e.code] = true;
            g_state.buttonPressed[e.code] = true;
            g_state.buttonPressedLate[e.code] = !g_state.framePump;
            ++g_state.buttonHits[e.code];
            PostMouse(EVENT_MOUSEDOWN, e.code);
            break;
        case InputEventType::MouseUp:
            if (!ValidButton(e.code)) return;
            g_state.buttonDown[e.code] = false;
            PostMouse(EVENT_MOUSEUP, e.code);
            break;
        case InputEventType::MouseWheel:
            g_state.mouseZ += e.y;
            PostMouse(EVENT_MOUSEWHEEL, e.y);
            break;
        case InputEventType::FocusGained:
            g_state.focusSeen = true;
            Resume();
            break;
        case InputEventType::Restored:
            Resume();
            break;
        case InputEventType::FocusLost:
        case InputEventType::Minimized:
            Suspend();
            break;
        case InputEventType::Terminate:
            g_state.terminate = true;
            Post(EVENT_APPTERMINATE);
            break;
    }
}

void TakeInjected() {
    while (!g_injected.empty()) {
        InputEvent e = g_injected.front();
        g_injected.pop_front();
        Apply(e);
    }
}

// ---------------------------------------------------------------------------
// Termination signals. SDL is told to leave them alone, so that they mean "end now" on every
// screen rather than the window's close, which only pauses a game.

extern "C" void OnTerminateSignal(int sig) {
    g_signalled = 1;
    // SA_RESETHAND leaves the next one fatal until the pump re-arms: a hung game still dies
    // on a second Ctrl-C.
    for (size_t i = 0; i < std::size(kQuitSignals); ++i) {
        if (sig == kQuitSignals[i]) g_signalArmed[i] = 0;
    }
}

// Installs our handler only where nobody else has one (a debugger, a test runner).
void ArmSignal(int sig, volatile sig_atomic_t& armed) {
    if (armed) return;
    struct sigaction old {};
    if (sigaction(sig, nullptr, &old) != 0 || (old.sa_flags & SA_SIGINFO) || old.sa_handler != SIG_DFL) return;
    struct sigaction sa {};
    sa.sa_handler = OnTerminateSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESETHAND;
    if (sigaction(sig, &sa, nullptr) == 0) armed = 1;
}

bool SdlVideoActive() { return !IsHeadless() && SDL_WasInit(SDL_INIT_VIDEO) != 0; }

void ApplyCursor() {
    if (!SdlVideoActive()) return;
    bool shown = SDL_ShowCursor(SDL_QUERY) == SDL_ENABLE;
    if (shown != g_cursorVisible) SDL_ShowCursor(g_cursorVisible ? SDL_ENABLE : SDL_DISABLE);
}

void PumpSdl() {
    // SDL resets the cursor and text input when video restarts, so keep them in step here.
    if (PlatformWindow() && !SDL_IsTextInputActive()) SDL_StartTextInput();
    ApplyCursor();
    std::vector<InputEvent> translated;
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
        translated.clear();
        TranslateSdlEvent(e, translated);
        for (const InputEvent& ev : translated) Apply(ev);
    }
}

void EndOnSignal() {
    g_signalled = 0;
    if (!g_signalQuit) End();
    // The game's quit never returns; a test's does, and the pump goes on.
    g_signalQuit();
}

// Takes in what is pending without starting a new frame's input: the queries a frame makes
// between two flips pump too, and a tap taken in by the frame's pump must outlive them.
void Pump() {
    if (SdlVideoActive()) PumpSdl();
    if (!IsHeadless()) {
        for (size_t i = 0; i < std::size(kQuitSignals); ++i) ArmSignal(kQuitSignals[i], g_signalArmed[i]);
    }
    if (g_signalled) EndOnSignal();
    TakeInjected();
}

// Keys by position where the layout gives no usable character: the digit row of layouts
// that type symbols there (AZERTY), and letters of layouts without Latin letters.
int KeyCodeFromScancode(SDL_Keycode sym, SDL_Scancode sc) {
    if (sc >= SDL_SCANCODE_1 && sc <= SDL_SCANCODE_9) return KEY_0 + 1 + (sc - SDL_SCANCODE_1);
    if (sc == SDL_SCANCODE_0) return KEY_0;
    bool ascii = sym >= 0 && sym < 128;
    if (!ascii && sc >= SDL_SCANCODE_A && sc <= SDL_SCANCODE_Z) return KEY_A + (sc - SDL_SCANCODE_A);
    return 0;
}

int ButtonFromSdl(uint8_t button) {
    switch (button) {
        case SDL_BUTTON_LEFT:
            return 1;
        case SDL_BUTTON_RIGHT:
            return 2;
        case SDL_BUTTON_MIDDLE:
            return 3;
        default:
            return 0;
    }
}

struct WindowEventPair {
    uint8_t sdl;
    InputEventType type;
};
constexpr WindowEventPair kWindowEvents[] = {
    {SDL_WINDOWEVENT_FOCUS_GAINED, InputEventType::FocusGained},
    {SDL_WINDOWEVENT_FOCUS_LOST, InputEventType::FocusLost},
    {SDL_WINDOWEVENT_MINIMIZED, InputEventType::Minimized},
    {SDL_WINDOWEVENT_RESTORED, InputEventType::Restored},
};

struct KeyPair {
    SDL_Keycode sdl;
    int code;
};
constexpr KeyPair kNamedKeys[] = {
    {SDLK_KP_0, KEY_NUM0},
    {SDLK_BACKSPACE, KEY_BACKSPACE},
    {SDLK_TAB, KEY_TAB},
    {SDLK_RETURN, KEY_ENTER},
    {SDLK_KP_ENTER, KEY_ENTER},
    {SDLK_ESCAPE, KEY_ESCAPE},
    {SDLK_SPACE, KEY_SPACE},
    {SDLK_PAGEUP, 33},
    {SDLK_PAGEDOWN, 34},
    {SDLK_END, 35},
    {SDLK_HOME, 36},
    {SDLK_LEFT, KEY_LEFT},
    {SDLK_UP, KEY_UP},
    {SDLK_RIGHT, KEY_RIGHT},
    {SDLK_DOWN, KEY_DOWN},
    {SDLK_INSERT, 45},
    {SDLK_DELETE, 46},
    // Ctrl shares the Command codes so that Ctrl+Q quits as Linux users expect.
    {SDLK_LGUI, KEY_LCOMMAND},
    {SDLK_LCTRL, KEY_LCOMMAND},
    {SDLK_RGUI, KEY_RCOMMAND},
    {SDLK_RCTRL, KEY_RCOMMAND},
    {SDLK_LSHIFT, KEY_LSHIFT},
    {SDLK_RSHIFT, KEY_RSHIFT},
};

}  // namespace

int KeyCodeFromSdl(int32_t sdlKeycode) {
    SDL_Keycode k = sdlKeycode;
    if (k >= SDLK_a && k <= SDLK_z) return KEY_A + (k - SDLK_a);
    if (k >= SDLK_0 && k <= SDLK_9) return KEY_0 + (k - SDLK_0);
    // The keypad's digits have codes of their own, apart from the main row's.
    if (k >= SDLK_KP_1 && k <= SDLK_KP_9) return KEY_NUM0 + 1 + (k - SDLK_KP_1);
    if (k >= SDLK_F1 && k <= SDLK_F12) return 112 + (k - SDLK_F1);
    for (const KeyPair& pair : kNamedKeys) {
        if (pair.sdl == k) return pair.code;
    }
    return 0;
}

void TranslateSdlEvent(const SDL_Event& event, std::vector<InputEvent>& out) {
    InputEvent e;
    switch (event.type) {
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            e.type = event.type == SDL_KEYDOWN ? InputEventType::KeyDown : InputEventType::KeyUp;
            e.code = KeyCodeFromSdl(event.key.keysym.sym);
            if (e.code == 0) e.code = KeyCodeFromScancode(event.key.keysym.sym, event.key.keysym.scancode);
            if (e.code == 0) return;
            e.repeat = event.key.repeat != 0;
            break;
        case SDL_TEXTINPUT:
            e.type = InputEventType::Char;
            for (uint32_t cp : Utf8Decode(event.text.text)) {
                e.codepoint = cp;
                out.push_back(e);
            }
            return;
        case SDL_MOUSEMOTION:
            e.type = InputEventType::MouseMove;
            e.x = event.motion.x;
            e.y = event.motion.y;
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            e.type = event.type == SDL_MOUSEBUTTONDOWN ? InputEventType::MouseDown : InputEventType::MouseUp;
            e.code = ButtonFromSdl(event.button.button);
            if (e.code == 0) return;
            break;
        case SDL_MOUSEWHEEL:
            e.type = InputEventType::MouseWheel;
            e.y = event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -event.wheel.y : event.wheel.y;
            if (e.y == 0) return;
            break;
        case SDL_WINDOWEVENT:
            for (const WindowEventPair& pair : kWindowEvents) {
                if (pair.sdl == event.window.event) out.push_back(InputEvent{.type = pair.type});
            }
            return;
        case SDL_QUIT:
            e.type = InputEventType::Terminate;
            break;
        default:
            return;
    }
    out.push_back(e);
}

// ---------------------------------------------------------------------------

void InjectEvent(const InputEvent& event) { g_injected.push_back(event); }

void PumpEvents() {
    g_state.keyPressed = std::exchange(g_state.keyPressedLate, {});
    g_state.buttonPressed = std::exchange(g_state.buttonPressedLate, {});
    g_state.framePump = true;
    Pump();
    g_state.framePump = false;
}

void SetSignalQuit(std::function<void()> quit) { g_signalQuit = std::move(quit); }

void SetIdleHook(std::function<void()> hook) { g_idleHook = std::move(hook); }

void ResetInput() {
    g_state = InputState{};
    g_injected.clear();
    g_idleHook = nullptr;
    g_cursorVisible = true;
    g_signalled = 0;
    g_signalQuit = nullptr;
}

int KeyDown(int code) {
    TakeInjected();
    return ValidKey(code) && (g_state.keyDown[code] || g_state.keyPressed[code]) ? 1 : 0;
}

int KeyHit(int code) {
    TakeInjected();
    if (!ValidKey(code)) return 0;
    int n = g_state.keyHits[code];
    g_state.keyHits[code] = 0;
    return n;
}

int MouseDown(int button) {
    TakeInjected();
    return ValidButton(button) && (g_state.buttonDown[button] || g_state.buttonPressed[button]) ? 1 : 0;
}

int MouseHit(int button) {
    TakeInjected();
    if (!ValidButton(button)) return 0;
    int n = g_state.buttonHits[button];
    g_state.buttonHits[button] = 0;
    return n;
}

int MouseX() {
    TakeInjected();
    return g_state.mouseX;
}

int MouseY() {
    TakeInjected();
    return g_state.mouseY;
}

int MouseZ() {
    TakeInjected();
    return g_state.mouseZ;
}

void MoveMouse(int x, int y) {
    // Motion that happened before the warp must reach the queue before the warp's event.
    Pump();
    g_state.mouseX = x;
    g_state.mouseY = y;
    Post(EVENT_MOUSEMOVE, 0, x, y);
    g_state.warpPending = true;
    g_state.warpX = x;
    g_state.warpY = y;
    if (SdlVideoActive()) {
        if (SDL_Window* window = PlatformWindow()) SDL_WarpMouseInWindow(window, x, y);
    }
}

void ShowMouse() {
    g_cursorVisible = true;
    ApplyCursor();
}

void HideMouse() {
    g_cursorVisible = false;
    ApplyCursor();
}

bool MouseVisible() { return g_cursorVisible; }

void FlushKeys() {
    Pump();
    ReleaseKeys();
    g_state.keyHits.fill(0);
    g_state.chars.clear();
}

void FlushMouse() {
    Pump();
    ReleaseButtons();
    g_state.buttonHits.fill(0);
    g_state.mouseZ = 0;
}

int GetChar() {
    TakeInjected();
    if (g_state.chars.empty()) return 0;
    int c = g_state.chars.front();
    g_state.chars.pop_front();
    return c;
}

int WaitChar() {
    FlushKeys();
    for (;;) {
        Pump();
        if (!g_state.chars.empty()) return GetChar();
        if (g_state.terminate) return 0;
        if (SdlVideoActive()) {
            Delay(10);
            continue;
        }
        // Nothing can ever be typed here: only the test's idle hook may still bring a key.
        if (!g_idleHook) return 0;
        g_idleHook();
        if (g_injected.empty()) return 0;
    }
}

int PollEvent() {
    TakeInjected();
    if (g_state.events.empty()) Pump();
    if (g_state.events.empty()) {
        g_state.current = AppEvent{};
        return 0;
    }
    g_state.current = g_state.events.front();
    g_state.events.pop_front();
    return g_state.current.id;
}

int EventID() { return g_state.current.id; }
int EventX() { return g_state.current.x; }
int EventY() { return g_state.current.y; }
int EventData() { return g_state.current.data; }

bool AppSuspended() {
    Pump();
    return g_state.suspended;
}

bool AppTerminate() {
    Pump();
    bool requested = g_state.terminate;
    g_state.terminate = false;
    return requested;
}
