// Polled keyboard and mouse. One pump feeds the state: the real backend translates
// SDL events into InputEvents, tests inject the same events.
//
// Who pumps: PumpEvents() (Flip calls it every frame), FlushKeys, FlushMouse, WaitChar,
// MoveMouse, AppSuspended, AppTerminate, and PollEvent when its queue is empty. Only
// PumpEvents starts a new frame's input. The polled queries (KeyDown, KeyHit, Mouse*,
// GetChar) only take in injected events, on both backends: the game asks them many times a
// frame, and a test needs no explicit pump.
#pragma once

#include <cstdint>
#include <functional>

enum KeyCode : int {
    KEY_BACKSPACE = 8,
    KEY_TAB = 9,
    KEY_ENTER = 13,
    KEY_ESCAPE = 27,
    KEY_SPACE = 32,
    KEY_LEFT = 37,
    KEY_UP = 38,
    KEY_RIGHT = 39,
    KEY_DOWN = 40,
    KEY_0 = 48,
    KEY_A = 65,
    KEY_P = 80,
    KEY_Q = 81,
    KEY_LCOMMAND = 91,  // left GUI and left Ctrl
    KEY_RCOMMAND = 92,  // right GUI and right Ctrl
    KEY_NUM0 = 96,      // keypad digits are 96-105, apart from the main row's
    KEY_LSHIFT = 160,
    KEY_RSHIFT = 161,
};

// What the pump consumes.
enum class InputEventType {
    KeyDown,    // code; repeat true for auto-repeat
    KeyUp,      // code
    Char,       // codepoint typed (text input, or 8, 13, 27 from their keys)
    MouseMove,  // x, y in window pixels
    MouseDown,  // button 1 left, 2 right, 3 middle
    MouseUp,
    MouseWheel,  // y: steps
    FocusGained,
    FocusLost,
    Minimized,
    Restored,
    Terminate,  // the window's close
};
struct InputEvent {
    InputEventType type = InputEventType::KeyDown;
    int code = 0;  // key code or button
    bool repeat = false;
    uint32_t codepoint = 0;
    int x = 0, y = 0;
};

// Queues an event as if the system had sent it; the next pump or polled query takes it in.
// KeyDown of 8, 13 or 27 (repeats too) also types that character, as SDL's keys do.
void InjectEvent(const InputEvent& event);
// The frame's pump: ends the last frame's taps (below), then takes in pending events (SDL's on
// the real backend, injected ones on both).
void PumpEvents();
// SIGTERM, SIGINT and SIGHUP mean "end now" on every screen (real backend): the pump that sees
// one calls quit, the game's immediate way out; with none given it ends the program, status 0.
void SetSignalQuit(std::function<void()> quit);
// Headless (or with no SDL video): called when a blocking wait (WaitChar) finds nothing to
// take in, so a test can inject events at that moment. Without a hook, or when the hook
// injects nothing, WaitChar returns 0 instead of blocking.
void SetIdleHook(std::function<void()> hook);
// Clears every input state and queue, and the idle hook; for tests.
void ResetInput();

// Auto-repeat neither counts as a hit nor marks a key held: a key held across a flush or
// a suspension reads as up until it is pressed again, like the mouse buttons. A key or button
// pressed since the frame's pump reads as down until the next one, even when it was let go
// meanwhile, and one taken in later in the frame (by a query that pumps, after some of the
// frame's reads) through the next frame too: a quick tap or a touchpad's click is never lost.
int KeyDown(int code);
int KeyHit(int code);  // presses since the last KeyHit of that code; reading consumes them
int MouseDown(int button);
int MouseHit(int button);
int MouseX();
int MouseY();
int MouseZ();  // wheel position
// Puts the pointer there and posts one mouse-move event at that position; the system's
// own motion for the warp is not counted (motions landing exactly there are dropped until
// a motion elsewhere arrives).
void MoveMouse(int x, int y);
void ShowMouse();
void HideMouse();
bool MouseVisible();
void FlushKeys();   // pumps, then clears key states, hits and typed characters
void FlushMouse();  // pumps, then clears button states, hits and the wheel
int GetChar();      // next typed character, 0 when none
// Flushes, then pumps until a character is typed: 8 Backspace, 13 Enter, 27 Escape or
// the character's code point (above 255 is returned as is). Returns 0 while a termination
// request is pending (left for AppTerminate to read).
int WaitChar();

// The event queue the game polls (the newest 512 are kept). Mouse move is event id 1027.
// EventData: the key code, typed code point, button or wheel steps; mouse events carry
// the pointer position in EventX/EventY.
enum {
    EVENT_MOUSEMOVE = 1027,
    EVENT_KEYDOWN = 257,
    EVENT_KEYUP = 258,
    EVENT_KEYCHAR = 259,
    EVENT_MOUSEDOWN = 1025,
    EVENT_MOUSEUP = 1026,
    EVENT_MOUSEWHEEL = 1028,
    EVENT_APPSUSPEND = 1,
    EVENT_APPRESUME = 2,
    EVENT_APPTERMINATE = 3
};
int PollEvent();  // takes the next event as current; 0 when empty
int EventID();
int EventX();
int EventY();
int EventData();

// Focus lost or minimised; never true before focus was first gained. Suspending and
// resuming both release every held key and button.
bool AppSuspended();
// A request to close the window; latched until read.
bool AppTerminate();
