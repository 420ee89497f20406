// The runtime the game stands on: its one exception type, checked access, the clock,
// random numbers, console output, alerts, the browser and process exit.
#pragma once

#include <concepts>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// ---------------------------------------------------------------------------
// Backends. The real one opens an SDL window and audio device; the headless one
// has no devices at all and is what every unit test runs on.
enum class Backend { Real, Headless };
void SetBackend(Backend backend);
Backend CurrentBackend();
bool IsHeadless();
// Headless when the environment variable BX2_HEADLESS is "1", else real.
Backend BackendFromEnvironment();

// ---------------------------------------------------------------------------
// The game's one exception type. Handlers catch everything and log ToString().
class TRuntimeException : public std::exception {
public:
    explicit TRuntimeException(std::string message) : error(std::move(message)) {}
    const char* what() const noexcept override { return error.c_str(); }
    const std::string& ToString() const { return error; }
    std::string error;
};

[[noreturn]] void RuntimeError(const std::string& message);

// The texts raised by checked access, as the handlers log them.
extern const char* const kNullAccessMessage;  // "Attempt to access field or method of Null object"
extern const char* const kBadIndexMessage;    // "Attempt to index array element beyond array length"

// Checked access for the places where a null object or a bad index must raise a
// catchable error instead of crashing.
template <class T>
T& Deref(const std::shared_ptr<T>& p) {
    if (!p) RuntimeError(kNullAccessMessage);
    return *p;
}
template <class T>
T& Deref(T* p) {
    if (!p) RuntimeError(kNullAccessMessage);
    return *p;
}
// Any integer type: the comparisons are exact across signedness, so an unsigned index that
// wrapped below zero raises like a negative one.
template <class V, std::integral I>
auto& At(V& v, I i) {
    if (std::cmp_less(i, 0) || !std::cmp_less(i, v.size())) RuntimeError(kBadIndexMessage);
    return v[static_cast<size_t>(i)];
}

// ---------------------------------------------------------------------------
// Clock. MilliSecs is a signed 32-bit count; durations are wrap-around differences.
int MilliSecs();
void Delay(int ms);
std::string CurrentTime();  // "HH:MM:SS", 24-hour, local
std::string CurrentDate();  // "DD Mon YYYY", English month names

// Test clock: once set, MilliSecs() returns the test time and Delay advances it
// without sleeping. stepPerCall is added after each MilliSecs() reading;
// stepPerFrame is added by every Flip().
void UseTestClock(int startMs, int stepPerCall = 0, int stepPerFrame = 0);
void AdvanceTestClock(int ms);
void UseRealClock();
bool UsingTestClock();
// Called by Flip(): advances the test clock by its per-frame step.
void ClockFrameTick();
// Tests: called each time the test clock moves on at a Flip or a Delay, so a test can look at
// the frame just shown or inject the input of the next moment. Null removes it.
void SetTestClockHook(std::function<void()> hook);
// BX2_FRAME_MS=N (a whole number, at least 1) starts the test clock advancing N ms per drawn
// frame, so that fades and timers of a run under test repeat exactly. Any other value is
// refused on standard error and the real clock stays.
void ApplyClockFromEnvironment();
// BX2_FRAME_TRACE=FILE (for tests): a byte is appended to FILE at the end of every frame, drawn
// or left out as the same as the one on screen, so that a test can count the frames a still
// screen runs. A file that cannot be written is refused on standard error and nothing is traced.
void ApplyFrameTraceFromEnvironment();
// Called by Flip(): one byte more in the frame trace, when there is one.
void TraceFrame();

// ---------------------------------------------------------------------------
// Random numbers: one seedable generator for the whole game.
void SeedRnd(int seed);
int RndSeed();
int Rand(int a, int b);          // whole number, both ends included, bounds in either order
double Rnd(double a, double b);  // [min, max); equal bounds give that value
float RndFloat();                // [0, 1)
double RndDouble();              // [0, 1)

// ---------------------------------------------------------------------------
// Output, alerts and the outside world. Texts are Latin-1 inside the game.
void Print(const std::string& text);  // one line to stdout, flushed
void Notify(const std::string& text, bool serious = false);
// Tests observe alerts through this; when set, no message box is ever shown.
void SetNotifyHook(std::function<void(const std::string&, bool)> hook);
// xdg-open without a shell; false when it cannot be started or reports within a few seconds
// that it could not open the page.
bool OpenURL(const std::string& url);
// The window title.
extern std::string AppTitle;
// One reclamation step of the runtime; references are counted, so nothing to do.
inline void GCCollect() {}
// Close audio and graphics in order, then exit with status 0 (or the status set below).
[[noreturn]] void End();
// The same with the given exit status; a run that cannot go on passes kCannotGoOnStatus.
[[noreturn]] void End(int status);
// The status of a run that could not go on (no content, no screen, a load error, a failure
// nothing caught).
constexpr int kCannotGoOnStatus = 1;
// Tests set a non-zero status so that an End() they did not expect fails the run.
void SetEndStatus(int status);
// Registered by the device modules so End() can close them in order.
void RegisterShutdown(int order, std::function<void()> fn);
void RunShutdown();

// ---------------------------------------------------------------------------
// Latin-1 <-> UTF-8 at the boundary with the system.
std::string Latin1ToUtf8(const std::string& latin1);
// Returns false (and leaves out) code points above 255.
bool Utf8ToLatin1(const std::string& utf8, std::string& latin1);
// Decodes UTF-8 into code points; bad bytes become U+FFFD.
std::vector<uint32_t> Utf8Decode(const std::string& utf8);
