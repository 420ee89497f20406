// The runtime: backend choice, exceptions, clock, random numbers, output, alerts and exit.
#include "platform/runtime.h"

#include <SDL.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <map>
#include <mutex>
#include <thread>

extern char** environ;

namespace {
Backend g_backend = Backend::Headless;

bool g_testClock = false;
int64_t g_testNow = 0;
int g_stepPerCall = 0;
int g_stepPerFrame = 0;
int g_frameTrace = -1;  // BX2_FRAME_TRACE's file, when a test asks for one

// The 32-bit Mersenne Twister (MT19937): for a seed it draws exactly what std::mt19937 draws,
// which the seeded replays and recorded runs rely on. Its own because play draws thousands of
// numbers a step: the standard one keeps its state in 64-bit words and refills and tempers one
// word at a time, while these loops over 32-bit words are ones the compiler vectorises.
class Twister {
public:
    explicit Twister(uint32_t seed) { Seed(seed); }

    void Seed(uint32_t seed) {
        state_[0] = seed;
        for (uint32_t i = 1; i < kN; ++i) state_[i] = 1812433253u * (state_[i - 1] ^ (state_[i - 1] >> 30)) + i;
        next_ = kN;
    }

    uint32_t operator()() {
        if (next_ >= kN) Refill();
        return tempered_[next_++];
    }

private:
    static constexpr uint32_t kN = 624;
    static constexpr uint32_t kM = 397;

    static uint32_t Twist(uint32_t word, uint32_t following, uint32_t distant) {
        const uint32_t y = (word & 0x80000000u) | (following & 0x7fffffffu);
        return distant ^ (y >> 1) ^ ((0u - (y & 1u)) & 0x9908b0dfu);
    }

    static uint32_t Temper(uint32_t y) {
        y ^= y >> 11;
        y ^= (y << 7) & 0x9d2c5680u;
        y ^= (y << 15) & 0xefc60000u;
        return y ^ (y >> 18);
    }

    [[gnu::noinline]] void Refill() {
        uint32_t i = 0;
        for (; i < kN - kM; ++i) state_[i] = Twist(state_[i], state_[i + 1], state_[i + kM]);
        for (; i < kN - 1; ++i) state_[i] = Twist(state_[i], state_[i + 1], state_[i + kM - kN]);
        state_[kN - 1] = Twist(state_[kN - 1], state_[0], state_[kM - 1]);
        for (uint32_t j = 0; j < kN; ++j) tempered_[j] = Temper(state_[j]);
        next_ = 0;
    }

    uint32_t state_[kN];
    uint32_t tempered_[kN];
    uint32_t next_ = kN;
};

Twister g_rng(0x1234);
int g_seed = 0x1234;

std::function<void()> g_testClockHook;

std::function<void(const std::string&, bool)> g_notifyHook;
std::multimap<int, std::function<void()>> g_shutdown;
int g_endStatus = 0;
}  // namespace

const char* const kNullAccessMessage = "Attempt to access field or method of Null object";
const char* const kBadIndexMessage = "Attempt to index array element beyond array length";
std::string AppTitle = "Brondelvix 2!";

void SetBackend(Backend backend) { g_backend = backend; }
Backend CurrentBackend() { return g_backend; }
bool IsHeadless() { return g_backend == Backend::Headless; }
Backend BackendFromEnvironment() {
    const char* v = std::getenv("BX2_HEADLESS");
    return (v && std::string(v) == "1") ? Backend::Headless : Backend::Real;
}

void RuntimeError(const std::string& message) { throw TRuntimeException(message); }

// ---------------------------------------------------------------------------
int MilliSecs() {
    if (g_testClock) {
        int now = static_cast<int>(static_cast<uint32_t>(g_testNow));
        g_testNow += g_stepPerCall;
        return now;
    }
    // Counted from boot, so a timestamp of 0 never looks recent; wraps like a 32-bit
    // counter, and callers only take differences.
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
                  .count();
    return static_cast<int>(static_cast<uint32_t>(static_cast<uint64_t>(ms)));
}

void Delay(int ms) {
    if (ms <= 0) return;
    if (g_testClock) {
        g_testNow += ms;
        if (g_testClockHook) g_testClockHook();
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void UseTestClock(int startMs, int stepPerCall, int stepPerFrame) {
    g_testClock = true;
    g_testNow = startMs;
    g_stepPerCall = stepPerCall;
    g_stepPerFrame = stepPerFrame;
}
void AdvanceTestClock(int ms) { g_testNow += ms; }
void UseRealClock() { g_testClock = false; }
bool UsingTestClock() { return g_testClock; }
void ClockFrameTick() {
    if (!g_testClock) return;
    g_testNow += g_stepPerFrame;
    if (g_testClockHook) g_testClockHook();
}
void SetTestClockHook(std::function<void()> hook) { g_testClockHook = std::move(hook); }

void ApplyClockFromEnvironment() {
    const char* v = std::getenv("BX2_FRAME_MS");
    if (!v) return;
    // Digits only: a sign, a space or a unit would hide a typing mistake in a test script.
    long long ms = 0;
    bool ok = *v != 0;
    for (const char* c = v; ok && *c; ++c) {
        ok = *c >= '0' && *c <= '9';
        ms = ms * 10 + (*c - '0');
        if (ms > 1000000) ok = false;
    }
    if (!ok || ms < 1) {
        std::fprintf(stderr,
                     "BX2_FRAME_MS must be a whole number of milliseconds from 1 to 1000000, not \"%s\"; the real "
                     "clock is used.\n",
                     v);
        std::fflush(stderr);
        return;
    }
    // Far from 0, which the game takes for "never happened".
    UseTestClock(100000, 0, static_cast<int>(ms));
}

void ApplyFrameTraceFromEnvironment() {
    if (g_frameTrace >= 0) close(g_frameTrace);
    g_frameTrace = -1;
    const char* v = std::getenv("BX2_FRAME_TRACE");
    if (!v || !*v) return;
    g_frameTrace = open(v, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (g_frameTrace >= 0) return;
    std::fprintf(stderr, "BX2_FRAME_TRACE names a file that cannot be written, \"%s\"; no frames are traced.\n", v);
    std::fflush(stderr);
}

void TraceFrame() {
    if (g_frameTrace < 0) return;
    // A test counts bytes; a write that fails only leaves it short, and its wait says so.
    [[maybe_unused]] const ssize_t written = write(g_frameTrace, ".", 1);
}

static std::string FormatLocalTime(const char* format) {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    char buf[64];
    if (std::string(format) == "date") {
        static const char* months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
        std::snprintf(buf, sizeof buf, "%02d %s %04d", tm.tm_mday, months[tm.tm_mon], tm.tm_year + 1900);
    } else {
        std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", tm.tm_hour, tm.tm_min, tm.tm_sec);
    }
    return buf;
}
std::string CurrentTime() { return FormatLocalTime("time"); }
std::string CurrentDate() { return FormatLocalTime("date"); }

// ---------------------------------------------------------------------------
void SeedRnd(int seed) {
    g_seed = seed;
    g_rng.Seed(static_cast<uint32_t>(seed));
}
int RndSeed() { return g_seed; }

double RndDouble() {
    // 53 random bits: never reaches 1.
    uint64_t hi = g_rng() >> 5, lo = g_rng() >> 6;
    return (static_cast<double>(hi) * 67108864.0 + static_cast<double>(lo)) / 9007199254740992.0;
}
float RndFloat() {
    float f = static_cast<float>(g_rng() >> 8) / 16777216.0f;
    return f;
}
int Rand(int a, int b) {
    if (b < a) std::swap(a, b);
    int64_t range = static_cast<int64_t>(b) - a + 1;
    return static_cast<int>(a + static_cast<int64_t>(RndDouble() * static_cast<double>(range)));
}
double Rnd(double a, double b) {
    if (a == b) return a;
    if (b < a) std::swap(a, b);
    double v = a + RndDouble() * (b - a);
    return v < b ? v : a;
}

// ---------------------------------------------------------------------------
void Print(const std::string& text) {
    std::string out = Latin1ToUtf8(text);
    out += '\n';
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fflush(stdout);
}

void SetNotifyHook(std::function<void(const std::string&, bool)> hook) { g_notifyHook = std::move(hook); }

void Notify(const std::string& text, bool serious) {
    std::string utf8 = Latin1ToUtf8(text);
    std::fprintf(stderr, "%s\n", utf8.c_str());
    std::fflush(stderr);
    if (g_notifyHook) {
        g_notifyHook(text, serious);
        return;
    }
    if (IsHeadless()) return;
    // A message box only where a window system answers; never block without a display.
    const char* display = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if ((!display || !*display) && (!wayland || !*wayland)) return;
    SDL_ShowSimpleMessageBox(serious ? SDL_MESSAGEBOX_ERROR : SDL_MESSAGEBOX_INFORMATION, AppTitle.c_str(),
                             utf8.c_str(), nullptr);
}

bool OpenURL(const std::string& url) {
    std::string utf8 = Latin1ToUtf8(url);
    char prog[] = "xdg-open";
    char* argv[] = {prog, utf8.data(), nullptr};
    pid_t pid;
    if (posix_spawnp(&pid, "xdg-open", nullptr, nullptr, argv, environ) != 0) return false;
    // xdg-open says at once when it finds nothing to open the page with; a browser it starts may
    // keep it waiting for as long as the page is read, which counts as opened.
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (std::chrono::steady_clock::now() < until) {
        int status = 0;
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) return WIFEXITED(status) && WEXITSTATUS(status) == 0;
        if (done < 0) return true;  // reaped elsewhere: nothing more can be told
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    // Reap it in the background so no zombie is left; the browser outlives it anyway.
    std::thread([pid] {
        int status;
        waitpid(pid, &status, 0);
    }).detach();
    return true;
}

void RegisterShutdown(int order, std::function<void()> fn) { g_shutdown.emplace(order, std::move(fn)); }
void RunShutdown() {
    auto fns = std::move(g_shutdown);
    g_shutdown.clear();
    for (auto& [order, fn] : fns) fn();
}
void SetEndStatus(int status) { g_endStatus = status; }
void End() { End(g_endStatus); }
void End(int status) {
    RunShutdown();
    std::fflush(stdout);
    std::fflush(stderr);
    // Static destructors must not race the audio thread, which is closed by now.
    std::_Exit(status);
}

// ---------------------------------------------------------------------------
std::string Latin1ToUtf8(const std::string& latin1) {
    std::string out;
    out.reserve(latin1.size());
    for (unsigned char c : latin1) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::vector<uint32_t> Utf8Decode(const std::string& utf8) {
    std::vector<uint32_t> out;
    size_t i = 0, n = utf8.size();
    while (i < n) {
        unsigned char c = static_cast<unsigned char>(utf8[i]);
        int len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (len == 0 || i + len > n) {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        uint32_t cp = len == 1 ? c : len == 2 ? (c & 0x1F) : len == 3 ? (c & 0x0F) : (c & 0x07);
        bool ok = true;
        for (int k = 1; k < len; ++k) {
            unsigned char cc = static_cast<unsigned char>(utf8[i + k]);
            if ((cc & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            cp = (cp << 6) | (cc & 0x3F);
        }
        // Overlong forms could smuggle a "/" or a zero into a name; surrogates and
        // values past U+10FFFF are not characters.
        static const uint32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
        if (!ok || cp < kMin[len] || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        out.push_back(cp);
        i += len;
    }
    return out;
}

bool Utf8ToLatin1(const std::string& utf8, std::string& latin1) {
    latin1.clear();
    bool all = true;
    for (uint32_t cp : Utf8Decode(utf8)) {
        if (cp > 255) {
            all = false;
            continue;
        }
        latin1 += static_cast<char>(cp);
    }
    return all;
}
