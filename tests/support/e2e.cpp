// The end-to-end harness: starts a virtual X server and the game on it, feeds it input
// through XTest and reads back the screen, the game's output and the files it wrote.
#include "support/e2e.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xproto.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/record.h>
#include <X11/extensions/shmproto.h>
#include <fcntl.h>
#include <png.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <thread>

extern char** environ;

namespace fs = std::filesystem;

namespace e2e {

namespace {

using Clock = std::chrono::steady_clock;
constexpr Millis kPoll{40};
// Without a gap, SDL takes a release followed at once by a press of the same key for
// auto-repeat and drops it.
constexpr int kKeyGapMs = 20;

std::string Seconds(Millis ms) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.1f s", static_cast<double>(ms.count()) / 1000.0);
    return buf;
}

// A file name from a description: "the title drawn" -> "the-title-drawn".
std::string Slug(const std::string& text) {
    std::string out;
    for (char c : text) {
        bool word = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (word) {
            out += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        } else if (!out.empty() && out.back() != '-') {
            out += '-';
        }
        if (out.size() >= 48) break;
    }
    while (!out.empty() && out.back() == '-') out.pop_back();
    return out.empty() ? "screen" : out;
}

// The code points of UTF-8 text; a broken sequence gives what its bits say.
std::vector<unsigned long> CodePoints(const std::string& text) {
    std::vector<unsigned long> out;
    size_t i = 0;
    while (i < text.size()) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        int len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : 4;
        unsigned long cp = len == 1 ? c : len == 2 ? (c & 0x1F) : len == 3 ? (c & 0x0F) : (c & 0x07);
        for (int k = 1; k < len && i + k < text.size(); ++k) cp = (cp << 6) | (text[i + k] & 0x3F);
        out.push_back(cp);
        i += len;
    }
    return out;
}

// The keysym that types a character: Latin-1 keysyms are the codes themselves, the others
// are 0x1000000 + the code point.
unsigned long KeysymOfCharacter(unsigned long cp) {
    if (cp == '\n') return XK_Return;
    if (cp == '\t') return XK_Tab;
    if (cp == '\b') return XK_BackSpace;
    return cp < 0x100 ? cp : 0x1000000 + cp;
}

std::string FindInPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::stringstream dirs(path ? path : "/usr/bin:/bin");
    std::string dir;
    while (std::getline(dirs, dir, ':')) {
        std::string candidate = (dir.empty() ? "." : dir) + "/" + program;
        if (access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return "";
}

// The X library's default handlers end the process; a window that vanishes between two
// requests is normal here.
int IgnoreXError(Display*, XErrorEvent*) { return 0; }
int ServerGone(Display*) {
    std::fprintf(stderr, "e2e: the virtual X server went away\n");
    std::fflush(stderr);
    return 0;
}

struct ChildIo {
    std::string stdoutPath, stderrPath;
    int passFd = -1;            // handed to the child as fd 3
    int deathSignal = SIGKILL;  // sent to the child when the test process dies
};

// Starts a program in its own process group. The child dies with the test process, so
// nothing is left behind even when the test binary itself is killed.
pid_t Spawn(const std::vector<std::string>& argv, const std::vector<std::string>& env, const ChildIo& io,
            std::string& error) {
    std::vector<char*> args, envp;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    for (const auto& e : env) envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    int in = open("/dev/null", O_RDONLY | O_CLOEXEC);
    int out = open(io.stdoutPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    int err = open(io.stderrPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    pid_t parent = getpid();
    pid_t pid = (in >= 0 && out >= 0 && err >= 0) ? fork() : -1;
    if (pid == 0) {
        setpgid(0, 0);
        prctl(PR_SET_PDEATHSIG, io.deathSignal);
        if (getppid() != parent) _exit(127);
        dup2(in, 0);
        dup2(out, 1);
        dup2(err, 2);
        if (io.passFd >= 0) {
            if (io.passFd == 3) {
                fcntl(3, F_SETFD, 0);
            } else {
                dup2(io.passFd, 3);
            }
        }
        close_range(io.passFd >= 0 ? 4 : 3, ~0U, 0);
        execve(args[0], args.data(), envp.data());
        _exit(127);
    }
    if (pid < 0) error = std::string("cannot start ") + argv[0] + ": " + std::strerror(errno);
    // Here too, so that the group exists before anyone signals it.
    if (pid > 0) setpgid(pid, pid);
    if (in >= 0) close(in);
    if (out >= 0) close(out);
    if (err >= 0) close(err);
    return pid;
}

// Ends a process group: politely first when asked, then for sure; reaps the leader.
void EndGroup(pid_t pid, bool polite, int* status) {
    if (pid <= 0) return;
    int st = 0;
    if (polite) {
        kill(-pid, SIGTERM);
        for (int i = 0; i < 100; ++i) {
            if (waitpid(pid, &st, WNOHANG) == pid) {
                if (status) *status = st;
                return;
            }
            std::this_thread::sleep_for(Millis(20));
        }
    }
    kill(-pid, SIGKILL);
    waitpid(pid, &st, 0);
    if (status) *status = st;
}

std::string TestFolderName() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = info ? std::string(info->test_suite_name()) + "." + info->name() : "outside-a-test";
    std::replace(name.begin(), name.end(), '/', '_');
    return name;
}

// A window's title as UTF-8: _NET_WM_NAME, or the older WM_NAME.
std::string WindowTitle(Display* d, Window w) {
    Atom netName = XInternAtom(d, "_NET_WM_NAME", False);
    Atom utf8 = XInternAtom(d, "UTF8_STRING", False);
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    std::string title;
    if (XGetWindowProperty(d, w, netName, 0, 1024, False, utf8, &type, &format, &count, &after, &data) == Success &&
        data) {
        if (type == utf8 && format == 8) title.assign(reinterpret_cast<char*>(data), count);
        XFree(data);
    }
    if (title.empty()) {
        char* name = nullptr;
        if (XFetchName(d, w, &name) && name) {
            title = name;
            XFree(name);
        }
    }
    return title;
}

// A swap as the server takes it from the game: the whole picture put into the window, through
// shared memory (MIT-SHM's PutImage) or, where that is missing, the core PutImage. Both carry the
// drawable at the same place.
void CountSwap(XPointer swaps, XRecordInterceptData* data) {
    if (data->category == XRecordFromClient && data->data_len >= 2) {
        uint32_t drawable = 0;
        std::memcpy(&drawable, data->data + 4, sizeof drawable);
        if (data->client_swapped) drawable = __builtin_bswap32(drawable);
        ++(*reinterpret_cast<std::map<unsigned long, long>*>(swaps))[drawable];
    }
    XRecordFreeData(data);
}

}  // namespace

// ---------------------------------------------------------------------------
std::ostream& operator<<(std::ostream& out, const Rgb& c) {
    return out << "(" << c.r << ", " << c.g << ", " << c.b << ")";
}

PixelTest IsDark(int maxChannel) {
    return [=](Rgb c) { return c.r <= maxChannel && c.g <= maxChannel && c.b <= maxChannel; };
}
PixelTest IsLight(int minChannel) {
    return [=](Rgb c) { return c.r >= minChannel && c.g >= minChannel && c.b >= minChannel; };
}
PixelTest IsNear(Rgb colour, int tolerance) {
    return [=](Rgb c) {
        return std::abs(c.r - colour.r) <= tolerance && std::abs(c.g - colour.g) <= tolerance &&
               std::abs(c.b - colour.b) <= tolerance;
    };
}
PixelTest IsNotBlack() {
    return [](Rgb c) { return c.r || c.g || c.b; };
}

// ---------------------------------------------------------------------------
Screenshot::Screenshot(int width, int height, std::vector<uint8_t> rgb)
    : width_(width), height_(height), rgb_(std::move(rgb)) {}

Region Screenshot::Clip(Region r) const {
    int x0 = std::clamp(r.x, 0, width_), y0 = std::clamp(r.y, 0, height_);
    int x1 = std::clamp(r.x + r.w, 0, width_), y1 = std::clamp(r.y + r.h, 0, height_);
    return {x0, y0, std::max(x1 - x0, 0), std::max(y1 - y0, 0)};
}

Rgb Screenshot::At(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return {};
    const uint8_t* p = &rgb_[(static_cast<size_t>(y) * width_ + x) * 3];
    return {p[0], p[1], p[2]};
}

Rgb Screenshot::Mean(Region r) const {
    r = Clip(r);
    long long sum[3] = {0, 0, 0}, n = static_cast<long long>(r.w) * r.h;
    if (n == 0) return {};
    for (int y = r.y; y < r.y + r.h; ++y) {
        for (int x = r.x; x < r.x + r.w; ++x) {
            Rgb c = At(x, y);
            sum[0] += c.r;
            sum[1] += c.g;
            sum[2] += c.b;
        }
    }
    return {static_cast<int>(sum[0] / n), static_cast<int>(sum[1] / n), static_cast<int>(sum[2] / n)};
}

int Screenshot::Count(Region r, const PixelTest& test) const {
    r = Clip(r);
    int n = 0;
    for (int y = r.y; y < r.y + r.h; ++y) {
        for (int x = r.x; x < r.x + r.w; ++x) n += test(At(x, y)) ? 1 : 0;
    }
    return n;
}

bool Screenshot::Any(Region r, const PixelTest& test) const { return Count(r, test) > 0; }

bool Screenshot::All(Region r, const PixelTest& test) const {
    r = Clip(r);
    return Count(r, test) == r.w * r.h;
}

int Screenshot::Differences(const Screenshot& other, Region r, int tolerance) const {
    r = Clip(r);
    int n = 0;
    for (int y = r.y; y < r.y + r.h; ++y) {
        for (int x = r.x; x < r.x + r.w; ++x) n += IsNear(other.At(x, y), tolerance)(At(x, y)) ? 0 : 1;
    }
    return n;
}

bool Screenshot::SavePng(const std::string& path) const {
    if (Empty()) return false;
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    bool ok = info != nullptr;
    if (ok && setjmp(png_jmpbuf(png))) ok = false;
    if (ok) {
        png_init_io(png, file);
        png_set_IHDR(png, info, static_cast<png_uint_32>(width_), static_cast<png_uint_32>(height_), 8,
                     PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        for (int y = 0; y < height_; ++y) {
            png_write_row(png, const_cast<png_bytep>(&rgb_[static_cast<size_t>(y) * width_ * 3]));
        }
        png_write_end(png, nullptr);
    }
    png_destroy_write_struct(&png, info ? &info : nullptr);
    return std::fclose(file) == 0 && ok;
}

// ---------------------------------------------------------------------------
GameRun::GameRun(GameOptions options) : options_(std::move(options)) {
    char pattern[] = "/tmp/bx2-e2e-XXXXXX";
    if (mkdtemp(pattern)) scratch_ = pattern;
    userFolder_ = scratch_ + "/home/.local/share/Vostrand/Brondelvix 2!/";
    std::error_code ignored;
    fs::create_directories(userFolder_, ignored);
    fs::create_directories(scratch_ + "/home/.config", ignored);
}

GameRun::~GameRun() {
    if (::testing::Test::HasFailure()) KeepEvidence();
    StopGame();
    StopServer();
    std::error_code ignored;
    if (!scratch_.empty()) fs::remove_all(scratch_, ignored);
}

void GameRun::SeedUserFile(const std::string& relative, const std::string& contents, mode_t mode) {
    fs::path path = userFolder_ + relative;
    std::error_code ec;
    fs::create_directories(path.parent_path(), ec);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << contents;
    if (chmod(path.c_str(), mode) != 0) ADD_FAILURE() << "could not seed " << path;
}

void GameRun::CopyToUserFolder(const std::string& relative, const std::string& source) {
    fs::path path = userFolder_ + relative;
    std::error_code ec;
    fs::create_directories(path.parent_path(), ec);
    fs::copy(source, path, fs::copy_options::recursive | fs::copy_options::overwrite_existing, ec);
    if (ec) ADD_FAILURE() << "could not copy " << source << " to " << path << ": " << ec.message();
}

std::string GameRun::DisplayName() const { return ":" + std::to_string(display_); }

void GameRun::CloseWindow() {
    if (!x_) {
        ADD_FAILURE() << "no X connection to close the window through";
        return;
    }
    XEvent close{};
    close.xclient.type = ClientMessage;
    close.xclient.window = window_.id;
    close.xclient.message_type = XInternAtom(x_, "WM_PROTOCOLS", False);
    close.xclient.format = 32;
    close.xclient.data.l[0] = static_cast<long>(XInternAtom(x_, "WM_DELETE_WINDOW", False));
    close.xclient.data.l[1] = CurrentTime;
    XSendEvent(x_, window_.id, False, NoEventMask, &close);
    XFlush(x_);
}

::testing::AssertionResult GameRun::StartServer() {
    if (x_) return ::testing::AssertionSuccess();
    if (scratch_.empty()) return ::testing::AssertionFailure() << "no temporary folder for the run";
    std::string xvfb = FindInPath("Xvfb");
    if (xvfb.empty()) return ::testing::AssertionFailure() << "Xvfb is not installed (scripts/install-deps)";
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return ::testing::AssertionFailure() << "pipe: " << std::strerror(errno);
    // -displayfd lets the server pick a free display and say which once it accepts clients.
    std::string screen = std::to_string(options_.width) + "x" + std::to_string(options_.height) + "x24";
    std::string error;
    // Ended politely even when the test process dies, so it removes its lock file and socket.
    ChildIo io{scratch_ + "/xvfb.out", scratch_ + "/xvfb.err", fds[1], SIGTERM};
    server_ = Spawn({xvfb, "-displayfd", "3", "-screen", "0", screen, "-nolisten", "tcp", "-noreset", "-br"},
                    {"PATH=/usr/bin:/bin"}, io, error);
    close(fds[1]);
    std::string number;
    Clock::time_point deadline = Clock::now() + Millis(20000);
    while (server_ > 0 && number.find('\n') == std::string::npos && Clock::now() < deadline) {
        pollfd p{fds[0], POLLIN, 0};
        if (poll(&p, 1, 100) <= 0) continue;
        char buf[16];
        ssize_t n = read(fds[0], buf, sizeof buf);
        if (n <= 0) break;
        number.append(buf, static_cast<size_t>(n));
    }
    close(fds[0]);
    if (number.find('\n') == std::string::npos) {
        EndGroup(server_, false, nullptr);
        server_ = -1;
        return ::testing::AssertionFailure() << "the virtual X server did not start " << error << "\n"
                                             << Tail(scratch_ + "/xvfb.err", 10);
    }
    display_ = std::atoi(number.c_str());
    XSetErrorHandler(IgnoreXError);
    XSetIOErrorHandler(ServerGone);
    x_ = XOpenDisplay(DisplayName().c_str());
    if (!x_) return ::testing::AssertionFailure() << "cannot connect to the virtual X server " << DisplayName();
    int event, errorBase, major, minor;
    if (!XTestQueryExtension(x_, &event, &errorBase, &major, &minor)) {
        return ::testing::AssertionFailure() << "the virtual X server has no XTEST extension";
    }
    screenWidth_ = DisplayWidth(x_, DefaultScreen(x_));
    screenHeight_ = DisplayHeight(x_, DefaultScreen(x_));
    StartCountingFrames();
    return ::testing::AssertionSuccess();
}

// The game's swaps, recorded from every client that connects from now on. A server without
// RECORD leaves the count at nothing, and WaitForFrames says so.
void GameRun::StartCountingFrames() {
    int major = 0, minor = 0;
    if (!XRecordQueryVersion(x_, &major, &minor)) return;
    record_ = XOpenDisplay(DisplayName().c_str());
    if (!record_) return;
    XRecordRange* ranges[2] = {XRecordAllocRange(), nullptr};
    ranges[0]->core_requests.first = ranges[0]->core_requests.last = X_PutImage;
    int count = 1, shm = 0, event = 0, error = 0;
    if (XQueryExtension(x_, "MIT-SHM", &shm, &event, &error)) {
        ranges[1] = XRecordAllocRange();
        ranges[1]->ext_requests.ext_major.first = ranges[1]->ext_requests.ext_major.last =
            static_cast<unsigned char>(shm);
        ranges[1]->ext_requests.ext_minor.first = ranges[1]->ext_requests.ext_minor.last = X_ShmPutImage;
        count = 2;
    }
    XRecordClientSpec clients = XRecordFutureClients;
    recordContext_ = XRecordCreateContext(x_, 0, &clients, 1, ranges, count);
    for (XRecordRange* range : ranges) {
        if (range) XFree(range);
    }
    XSync(x_, False);
    if (!recordContext_ ||
        !XRecordEnableContextAsync(record_, recordContext_, CountSwap, reinterpret_cast<XPointer>(&swaps_))) {
        XCloseDisplay(record_);
        record_ = nullptr;
    }
}

::testing::AssertionResult GameRun::Start() {
    if (auto server = StartServer(); !server) return server;
    if (game_ > 0) return ::testing::AssertionFailure() << "the game was started already";
    std::string home = scratch_ + "/home";
    std::vector<std::pair<std::string, std::string>> set = {
        {"DISPLAY", DisplayName()},
        {"HOME", home},
        {"XDG_DATA_HOME", home + "/.local/share"},
        {"XDG_CONFIG_HOME", home + "/.config"},
        {"BX2_DATA_DIR", options_.dataDir.empty() ? std::string(BX2_E2E_DATA_DIR) : options_.dataDir},
        {"SDL_AUDIODRIVER", "dummy"},
        {"LIBGL_ALWAYS_SOFTWARE", "1"},
    };
    auto put = [&](const std::string& name, const std::string& value) {
        auto same = std::find_if(set.begin(), set.end(), [&](const auto& kv) { return kv.first == name; });
        if (same == set.end()) {
            set.emplace_back(name, value);
        } else {
            same->second = value;
        }
    };
    // The game leaves by _Exit, where no leak check runs anyway; on the other ways out, the
    // GL drivers it unloads leave leaks no suppression can name, which would change its status.
    const char* asan = std::getenv("ASAN_OPTIONS");
    put("ASAN_OPTIONS", std::string(asan && *asan ? std::string(asan) + ":" : "") + "detect_leaks=0");
    if (options_.frameMs > 0) put("BX2_FRAME_MS", std::to_string(options_.frameMs));
    put("BX2_FRAME_TRACE", FrameTracePath());
    for (const auto& [name, value] : options_.env) put(name, value);
    // The test binary's own settings must not reach the game: it runs headless, and the
    // frame time or the X authority of the caller would change what the game does.
    const std::set<std::string> dropped = {"BX2_HEADLESS",    "BX2_FIXTURES",    "BX2_FRAME_MS",
                                           "BX2_FRAME_TRACE", "WAYLAND_DISPLAY", "XAUTHORITY"};
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        std::string entry = *e, name = entry.substr(0, entry.find('='));
        bool overridden = dropped.count(name) > 0;
        for (const auto& kv : set) overridden = overridden || kv.first == name;
        if (!overridden) env.push_back(entry);
    }
    for (const auto& [name, value] : set) env.push_back(name + "=" + value);

    std::vector<std::string> argv = {BX2_GAME_EXE};
    argv.insert(argv.end(), options_.args.begin(), options_.args.end());
    std::string error;
    game_ = Spawn(argv, env, {scratch_ + "/stdout.txt", scratch_ + "/stderr.txt"}, error);
    if (game_ < 0) return ::testing::AssertionFailure() << error;
    return ::testing::AssertionSuccess();
}

// ---------------------------------------------------------------------------
::testing::AssertionResult GameRun::WaitUntil(const std::string& what, const std::function<bool()>& done,
                                              Millis timeout) {
    Clock::time_point start = Clock::now();
    while (true) {
        bool wasRunning = game_ > 0 && !exited_;
        if (done()) return ::testing::AssertionSuccess();
        Millis waited = std::chrono::duration_cast<Millis>(Clock::now() - start);
        // A game that ended will not bring it about any more; `done` had its last look.
        if (wasRunning && !Running()) {
            if (done()) return ::testing::AssertionSuccess();
            return Failure(what + ", but the game " + ExitDescription(), waited, nullptr);
        }
        if (waited >= timeout) return Failure(what, waited, nullptr);
        std::this_thread::sleep_for(kPoll);
    }
}

::testing::AssertionResult GameRun::WaitForWindow(const std::string& title, Millis timeout) {
    if (!x_) return ::testing::AssertionFailure() << "no X server: call Start() first";
    std::string what = title.empty() ? "a top-level window" : "the window \"" + title + "\"";
    auto found = WaitUntil(
        what + " to be mapped",
        [&] {
            ::Window root = DefaultRootWindow(x_), parent = 0, *children = nullptr;
            unsigned count = 0;
            XSync(x_, False);
            if (!XQueryTree(x_, root, &root, &parent, &children, &count)) return false;
            bool seen = false;
            // Children come bottom to top: the last match is the topmost.
            for (unsigned i = count; i-- > 0 && !seen;) {
                XWindowAttributes a;
                if (!XGetWindowAttributes(x_, children[i], &a)) continue;
                if (a.map_state != IsViewable || a.c_class == InputOnly) continue;
                std::string name = WindowTitle(x_, children[i]);
                if (!title.empty() && name != title) continue;
                window_ = {children[i], a.x, a.y, a.width, a.height, name};
                seen = true;
            }
            if (children) XFree(children);
            return seen;
        },
        timeout);
    if (!found) return found;
    // With no window manager, the keyboard goes to whatever is under the pointer unless told.
    XSetInputFocus(x_, window_.id, RevertToPointerRoot, CurrentTime);
    XSync(x_, False);
    return found;
}

std::vector<uint32_t> GameRun::WindowProperty32(const std::string& property) {
    std::vector<uint32_t> items;
    if (!x_ || !window_.id) return items;
    const Atom atom = XInternAtom(x_, property.c_str(), False);
    long offset = 0;
    while (true) {
        Atom type;
        int format;
        unsigned long count, after;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(x_, window_.id, atom, offset, 65536, False, AnyPropertyType, &type, &format, &count,
                               &after, &data) != Success) {
            break;
        }
        // Xlib hands format-32 items over as longs, whatever their size on the wire.
        if (data && format == 32) {
            const auto* longs = reinterpret_cast<const unsigned long*>(data);
            for (unsigned long i = 0; i < count; ++i) items.push_back(static_cast<uint32_t>(longs[i]));
        }
        if (data) XFree(data);
        if (format != 32 || after == 0 || count == 0) break;
        offset += static_cast<long>(count);
    }
    return items;
}

::testing::AssertionResult GameRun::WaitForScreen(const std::string& what,
                                                  const std::function<bool(const Screenshot&)>& test, Millis timeout) {
    if (!x_) return ::testing::AssertionFailure() << "no X server: call Start() first";
    Screenshot last;
    Clock::time_point start = Clock::now();
    while (true) {
        bool wasRunning = game_ > 0 && !exited_;
        last = Capture();
        if (test(last)) return ::testing::AssertionSuccess();
        Millis waited = std::chrono::duration_cast<Millis>(Clock::now() - start);
        if (wasRunning && !Running()) return Failure(what + ", but the game " + ExitDescription(), waited, &last);
        if (waited >= timeout) return Failure(what, waited, &last);
        std::this_thread::sleep_for(kPoll);
    }
}

::testing::AssertionResult GameRun::WaitForExit(Millis timeout) {
    if (game_ <= 0) return ::testing::AssertionFailure() << "the game was never started";
    return WaitUntil(
        "the game to end", [&] { return !Running(); }, timeout);
}

::testing::AssertionResult GameRun::WaitForUserFile(const std::string& relative, Millis timeout) {
    return WaitUntil(
        "the file \"" + relative + "\" in the player's folder", [&] { return ReadUserFile(relative).has_value(); },
        timeout);
}

::testing::AssertionResult GameRun::WaitForUserFileChange(const std::string& relative, const std::string& before,
                                                          Millis timeout) {
    return WaitUntil(
        "the file \"" + relative + "\" in the player's folder to change",
        [&] {
            auto now = ReadUserFile(relative);
            return now && *now != before;
        },
        timeout);
}

::testing::AssertionResult GameRun::WaitForStdout(const std::string& text, Millis timeout) {
    return WaitUntil(
        "\"" + text + "\" on the game's standard output", [&] { return Stdout().find(text) != std::string::npos; },
        timeout);
}

::testing::AssertionResult GameRun::WaitForStderr(const std::string& text, Millis timeout) {
    return WaitUntil(
        "\"" + text + "\" on the game's standard error", [&] { return Stderr().find(text) != std::string::npos; },
        timeout);
}

long GameRun::FramesDrawn() {
    if (!x_ || !record_) return 0;
    // Two round trips first: the server sends what it recorded along with its answers, and by the
    // second answer all it took before the first is on its way. No swap made before the input a
    // test sends next is counted after it.
    XSync(x_, False);
    XSync(x_, False);
    XRecordProcessReplies(record_);
    return swaps_[window_.id];
}

::testing::AssertionResult GameRun::WaitForDrawnFrames(int frames, Millis timeout) {
    return WaitForDrawnFramesAfter(FramesDrawn(), frames, timeout);
}

::testing::AssertionResult GameRun::WaitForDrawnFramesAfter(long drawn, int frames, Millis timeout) {
    if (!x_ || !window_.id) return ::testing::AssertionFailure() << "no game window: call WaitForWindow() first";
    if (!record_) return ::testing::AssertionFailure() << "the virtual X server cannot count frames (no RECORD)";
    const std::string what = frames == 1 ? "a frame drawn" : std::to_string(frames) + " frames drawn";
    return WaitUntil(
        what, [&] { return FramesDrawn() >= drawn + frames; }, timeout);
}

long GameRun::FramesRun() const {
    struct stat st {};
    return ::stat(FrameTracePath().c_str(), &st) == 0 ? static_cast<long>(st.st_size) : 0;
}

::testing::AssertionResult GameRun::WaitForFrames(int frames, Millis timeout) {
    return WaitForFramesAfter(FramesRun(), frames, timeout);
}

::testing::AssertionResult GameRun::WaitForFramesAfter(long run, int frames, Millis timeout) {
    if (game_ <= 0) return ::testing::AssertionFailure() << "no game running: call Start() first";
    const std::string what = frames == 1 ? "a frame run" : std::to_string(frames) + " frames run";
    return WaitUntil(
        what, [&] { return FramesRun() >= run + frames; }, timeout);
}

::testing::AssertionResult GameRun::Failure(const std::string& what, Millis waited, const Screenshot* shot) {
    auto failure = ::testing::AssertionFailure();
    failure << "waited " << Seconds(waited) << " for " << what << "\n";
    Screenshot fresh;
    if (!shot && x_) {
        fresh = Capture();
        shot = &fresh;
    }
    // Numbered within the test, in the order the waits failed.
    static std::map<std::string, int> failures;
    char prefix[32];
    std::snprintf(prefix, sizeof prefix, "failed-%02d-", ++failures[TestFolderName()]);
    lastFailureShot_ = shot ? SaveScreenshot(*shot, prefix + Slug(what)) : "";
    if (!lastFailureShot_.empty()) failure << "the screen then: " << lastFailureShot_ << "\n";
    if (game_ > 0) {
        failure << "the game " << (Running() ? std::string("is still running") : ExitDescription()) << "\n";
        for (const char* stream : {"stderr", "stdout"}) {
            std::string tail = Tail(scratch_ + "/" + stream + ".txt", 15);
            if (!tail.empty()) failure << "--- last lines of its " << stream << " ---\n" << tail;
        }
    }
    return failure;
}

std::string GameRun::Tail(const std::string& path, int lines) const {
    std::string text = ReadFile(path);
    if (!text.empty() && text.back() != '\n') text += '\n';
    size_t from = text.size();
    for (int i = 0; i < lines && from > 0; ++i) {
        size_t lf = from >= 2 ? text.rfind('\n', from - 2) : std::string::npos;
        from = lf == std::string::npos ? 0 : lf + 1;
    }
    return text.substr(from);
}

// ---------------------------------------------------------------------------
void GameRun::Pause(int ms) { std::this_thread::sleep_for(Millis(ms)); }

unsigned long GameRun::KeysymNamed(const std::string& name) {
    static const std::pair<const char*, const char*> kShort[] = {
        {"Ctrl", "Control_L"}, {"Control", "Control_L"}, {"Shift", "Shift_L"},
        {"Alt", "Alt_L"},      {"Super", "Super_L"},     {"Enter", "Return"},
        {"Esc", "Escape"},     {"Space", "space"},       {"Backspace", "BackSpace"},
    };
    if (std::vector<unsigned long> one = CodePoints(name); one.size() == 1) return KeysymOfCharacter(one[0]);
    std::string x = name;
    for (const auto& [alias, real] : kShort) {
        if (name == alias) x = real;
    }
    KeySym sym = XStringToKeysym(x.c_str());
    if (sym == NoSymbol) ADD_FAILURE() << "no key is called \"" << name << "\"";
    return sym;
}

// The keycode that types `keysym`, and whether it needs Shift. A character missing from the
// keymap borrows a keycode that has none, as on-screen keyboards do.
unsigned GameRun::KeycodeFor(unsigned long keysym, bool& shifted) {
    shifted = false;
    KeyCode code = XKeysymToKeycode(x_, keysym);
    if (code != 0) {
        shifted = XkbKeycodeToKeysym(x_, code, 0, 0) != keysym && XkbKeycodeToKeysym(x_, code, 0, 1) == keysym;
        return code;
    }
    int low, high, perCode;
    XDisplayKeycodes(x_, &low, &high);
    KeySym* map = XGetKeyboardMapping(x_, static_cast<KeyCode>(low), high - low + 1, &perCode);
    unsigned spare = 0;
    for (int c = high; c >= low && spare == 0; --c) {
        bool empty =
            std::find(boundKeycodes_.begin(), boundKeycodes_.end(), static_cast<unsigned>(c)) == boundKeycodes_.end();
        for (int i = 0; i < perCode && empty; ++i) empty = map[(c - low) * perCode + i] == NoSymbol;
        if (empty) spare = static_cast<unsigned>(c);
    }
    if (map) XFree(map);
    if (spare == 0) {
        ADD_FAILURE() << "no spare keycode left for keysym 0x" << std::hex << keysym;
        return 0;
    }
    std::vector<KeySym> syms(static_cast<size_t>(perCode), keysym);
    XChangeKeyboardMapping(x_, static_cast<int>(spare), perCode, syms.data(), 1);
    XSync(x_, False);
    boundKeycodes_.push_back(spare);
    // The game reloads its keymap when told of the change; give it the time to.
    Pause(100);
    return spare;
}

void GameRun::Key(unsigned long keysym, bool down) {
    if (!x_ || keysym == NoSymbol) return;
    bool shifted;
    unsigned code = KeycodeFor(keysym, shifted);
    if (code == 0) return;
    KeyCode shift = XKeysymToKeycode(x_, XK_Shift_L);
    if (shifted && down) XTestFakeKeyEvent(x_, shift, True, CurrentTime);
    XTestFakeKeyEvent(x_, code, down ? True : False, CurrentTime);
    if (shifted && !down) XTestFakeKeyEvent(x_, shift, False, CurrentTime);
    XSync(x_, False);
    Pause(down ? 5 : kKeyGapMs);
}

void GameRun::KeysymDown(unsigned long keysym) { Key(keysym, true); }
void GameRun::KeysymUp(unsigned long keysym) { Key(keysym, false); }
void GameRun::TapKeysym(unsigned long keysym) {
    Key(keysym, true);
    Key(keysym, false);
}
void GameRun::QuickTap(const std::string& key) {
    const unsigned long keysym = KeysymNamed(key);
    if (!x_ || keysym == NoSymbol) return;
    bool shifted;
    const unsigned code = KeycodeFor(keysym, shifted);
    if (code == 0) return;
    XTestFakeKeyEvent(x_, code, True, CurrentTime);
    XTestFakeKeyEvent(x_, code, False, CurrentTime);
    XSync(x_, False);
    Pause(kKeyGapMs);
}
void GameRun::KeyDown(const std::string& key) { Key(KeysymNamed(key), true); }
void GameRun::KeyUp(const std::string& key) { Key(KeysymNamed(key), false); }

void GameRun::Tap(const std::string& keys) {
    // "Ctrl+q": every part but the last is held. A lone "+" is the plus key itself.
    std::vector<unsigned long> held;
    size_t from = 0;
    for (size_t plus = keys.find('+', 1); plus != std::string::npos; plus = keys.find('+', from + 1)) {
        held.push_back(KeysymNamed(keys.substr(from, plus - from)));
        from = plus + 1;
    }
    for (unsigned long k : held) Key(k, true);
    TapKeysym(KeysymNamed(keys.substr(from)));
    for (auto k = held.rbegin(); k != held.rend(); ++k) Key(*k, false);
}

void GameRun::Type(const std::string& text) {
    for (unsigned long cp : CodePoints(text)) TapKeysym(KeysymOfCharacter(cp));
}

void GameRun::MoveTo(int x, int y) {
    if (!x_) return;
    XTestFakeMotionEvent(x_, DefaultScreen(x_), x, y, CurrentTime);
    XSync(x_, False);
    Pause(5);
}

void GameRun::MoveBy(int dx, int dy) {
    if (!x_) return;
    XTestFakeRelativeMotionEvent(x_, dx, dy, CurrentTime);
    XSync(x_, False);
    Pause(5);
}

void GameRun::ButtonDown(Button button) {
    if (!x_) return;
    XTestFakeButtonEvent(x_, static_cast<unsigned>(button), True, CurrentTime);
    XSync(x_, False);
    Pause(5);
}

void GameRun::ButtonUp(Button button) {
    if (!x_) return;
    XTestFakeButtonEvent(x_, static_cast<unsigned>(button), False, CurrentTime);
    XSync(x_, False);
    Pause(kKeyGapMs);
}

void GameRun::QuickClick(Button button) {
    if (!x_) return;
    XTestFakeButtonEvent(x_, static_cast<unsigned>(button), True, CurrentTime);
    XTestFakeButtonEvent(x_, static_cast<unsigned>(button), False, CurrentTime);
    XSync(x_, False);
    Pause(kKeyGapMs);
}

void GameRun::Click(Button button) {
    ButtonDown(button);
    ButtonUp(button);
}

void GameRun::ClickAt(int x, int y, Button button) {
    MoveTo(x, y);
    Click(button);
}

// ---------------------------------------------------------------------------
Screenshot GameRun::Capture() {
    if (!x_) return {};
    XSync(x_, False);
    XImage* image = XGetImage(x_, DefaultRootWindow(x_), 0, 0, static_cast<unsigned>(screenWidth_),
                              static_cast<unsigned>(screenHeight_), AllPlanes, ZPixmap);
    if (!image) return {};
    // The server's pixel layout is described by its masks; BGRX in memory on the usual
    // little-endian 24-bit visual, but nothing here assumes so.
    auto shiftOf = [](unsigned long mask) {
        int s = 0;
        while (mask && !(mask & 1)) {
            mask >>= 1;
            ++s;
        }
        return s;
    };
    const int rs = shiftOf(image->red_mask), gs = shiftOf(image->green_mask), bs = shiftOf(image->blue_mask);
    std::vector<uint8_t> rgb(static_cast<size_t>(screenWidth_) * screenHeight_ * 3);
    uint8_t* out = rgb.data();
    for (int y = 0; y < screenHeight_; ++y) {
        for (int x = 0; x < screenWidth_; ++x) {
            unsigned long p = XGetPixel(image, x, y);
            *out++ = static_cast<uint8_t>((p & image->red_mask) >> rs);
            *out++ = static_cast<uint8_t>((p & image->green_mask) >> gs);
            *out++ = static_cast<uint8_t>((p & image->blue_mask) >> bs);
        }
    }
    XDestroyImage(image);
    return Screenshot(screenWidth_, screenHeight_, std::move(rgb));
}

std::string GameRun::ArtifactsFolder() {
    if (artifacts_.empty()) {
        // Emptied once per test, so that what is there was made by this run.
        static std::set<std::string> emptied;
        std::string name = TestFolderName();
        artifacts_ = std::string(BX2_E2E_ARTIFACTS_DIR) + "/" + name + "/";
        std::error_code ignored;
        if (emptied.insert(name).second) fs::remove_all(artifacts_, ignored);
        fs::create_directories(artifacts_, ignored);
    }
    return artifacts_;
}

std::string GameRun::SaveScreenshot(const std::string& name) { return SaveScreenshot(Capture(), name); }

std::string GameRun::SaveScreenshot(const Screenshot& shot, const std::string& name) {
    std::string path = ArtifactsFolder() + name + ".png";
    if (!shot.SavePng(path)) {
        ADD_FAILURE() << "could not save the screenshot " << path;
        return "";
    }
    std::cout << "[ e2e ] screenshot: " << path << std::endl;
    return path;
}

void GameRun::KeepEvidence() {
    std::string folder = ArtifactsFolder();
    if (x_) SaveScreenshot("at-failure");
    std::error_code ignored;
    for (const char* name : {"stdout.txt", "stderr.txt"}) {
        fs::copy_file(scratch_ + "/" + name, folder + "game-" + name, fs::copy_options::overwrite_existing, ignored);
    }
    std::cout << "[ e2e ] the game's output and last screen are kept in " << folder << std::endl;
}

// ---------------------------------------------------------------------------
bool GameRun::Running() {
    if (game_ <= 0 || exited_) return false;
    int st;
    if (waitpid(game_, &st, WNOHANG) == game_) {
        exited_ = true;
        status_ = st;
    }
    return !exited_;
}

void GameRun::Signal(int signal) {
    if (Running()) kill(game_, signal);
}

int GameRun::ExitCode() const { return exited_ && WIFEXITED(status_) ? WEXITSTATUS(status_) : -1; }
int GameRun::ExitSignal() const { return exited_ && WIFSIGNALED(status_) ? WTERMSIG(status_) : 0; }

std::string GameRun::ExitDescription() const {
    if (game_ <= 0) return "was never started";
    if (!exited_) return "is running";
    if (ExitSignal())
        return "was ended by signal " + std::to_string(ExitSignal()) + " (" + strsignal(ExitSignal()) + ")";
    return "exited with status " + std::to_string(ExitCode());
}

std::string GameRun::Stdout() const { return ReadFile(scratch_ + "/stdout.txt"); }
std::string GameRun::Stderr() const { return ReadFile(scratch_ + "/stderr.txt"); }

std::optional<std::string> GameRun::ReadUserFile(const std::string& relative) const {
    std::string path = userFolder_ + relative;
    struct stat st;
    if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

int GameRun::UserFileMode(const std::string& relative) const {
    struct stat st;
    if (stat((userFolder_ + relative).c_str(), &st) != 0) return -1;
    return static_cast<int>(st.st_mode & 07777);
}

void GameRun::StopGame() {
    if (game_ <= 0) return;
    if (!exited_) {
        EndGroup(game_, false, &status_);
        exited_ = true;
    }
}

void GameRun::StopServer() {
    if (x_ && recordContext_) {
        XRecordDisableContext(x_, recordContext_);
        XRecordFreeContext(x_, recordContext_);
        XSync(x_, False);
    }
    if (record_) {
        XCloseDisplay(record_);
        record_ = nullptr;
    }
    if (x_) {
        XCloseDisplay(x_);
        x_ = nullptr;
    }
    // Politely, so the server removes its lock file and socket.
    EndGroup(server_, true, nullptr);
    server_ = -1;
}

std::string Md5Upper(const std::string& text) {
    char name[] = "/tmp/bx2-md5-XXXXXX";
    const int fd = mkstemp(name);
    if (fd < 0) return "";
    const ssize_t written = write(fd, text.data(), text.size());
    close(fd);
    std::string digest;
    if (written == static_cast<ssize_t>(text.size())) {
        FILE* pipe = popen(("md5sum '" + std::string(name) + "'").c_str(), "r");
        char buffer[64] = {};
        if (pipe && std::fgets(buffer, sizeof buffer, pipe)) digest.assign(buffer, 32);
        if (pipe) pclose(pipe);
    }
    std::remove(name);
    for (char& c : digest) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return digest;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string Resources() { return fs::canonical(BX2_E2E_DATA_DIR).string() + "/"; }

int Occurrences(const std::string& text, const std::string& part) {
    int count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

void LinkShippedDataWithoutPacks(const std::string& folder) {
    const std::string data = folder + "data/";
    fs::create_directories(data + "packs");
    for (const char* entry : {"strings.xml", "errorcodes.xml", "default_prefs.xml", "fonts", "images", "sounds"}) {
        fs::create_symlink(Resources() + "data/" + entry, data + entry);
    }
    fs::create_symlink(Resources() + "help", folder + "help");
}

DataFolder::DataFolder(const std::vector<std::string>& fixturePacks) {
    LinkShippedDataWithoutPacks(Path());
    for (const std::string& pack : fixturePacks) AddPack(pack, fs::path(pack).filename().string());
}

void DataFolder::AddPack(const std::string& fixturePack, const std::string& name) {
    fs::copy(FixturePath(fixturePack), Pack(name), fs::copy_options::recursive);
}

std::string ShippedPrefs(const std::map<std::string, std::string>& changes) {
    std::string prefs = ReadFile(Resources() + "data/default_prefs.xml");
    for (const auto& [name, value] : changes) {
        const size_t open = prefs.find("<" + name + ">");
        const size_t close = prefs.find("</" + name + ">");
        if (open == std::string::npos || close == std::string::npos) {
            ADD_FAILURE() << "the shipped preferences have no " << name;
            continue;
        }
        const size_t from = open + name.size() + 2;
        prefs.replace(from, close - from, value);
    }
    return prefs;
}

std::string Element(const std::string& text, const std::string& tag) {
    const size_t from = text.find("<" + tag + ">");
    const size_t to = text.find("</" + tag + ">");
    if (from == std::string::npos || to == std::string::npos) return "<missing>";
    return text.substr(from + tag.size() + 2, to - from - tag.size() - 2);
}

std::string SaveSeal(const std::string& save) {
    const std::string end = "</saveData>";
    const size_t from = save.find("<saveData>");
    const size_t to = save.find(end);
    if (from == std::string::npos || to == std::string::npos) return "<no saveData>";
    return Md5Upper(save.substr(from, to + end.size() - from) +
                    "F00DCAFE2qmz7k4[]8rt5w,jd3xpp; Salt Filler.  Greetings, friend, and many thanks for spotting "
                    "this entry!");
}

std::string SealedSave(const SavedGame& saved) {
    const std::string saveData =
        "<saveData>\n\t<lives>" + std::to_string(saved.lives) + "</lives>\n\t<saveLevel>" + saved.level +
        "</saveLevel>\n\t<gameStat>\n\t\t<score>" + std::to_string(saved.score) + "</score>\n\t\t<level>" +
        std::to_string(saved.number) + "</level>\n\t\t<time>" + std::to_string(saved.time) + "</time>\n\t\t<date>" +
        saved.date + "</date>\n\t\t<cheatEnabled>0</cheatEnabled>\n\t\t<difficulty>" + saved.difficulty +
        "</difficulty>\n\t\t<hash></hash>\n\t\t<pack>" + saved.pack + "</pack>\n\t</gameStat>\n</saveData>\n";
    return saveData + "<saveHash>" + SaveSeal(saveData) + "</saveHash>\n";
}

}  // namespace e2e
