// The end-to-end harness: the real game executable on its own virtual X server, driven by
// keys and the pointer through XTest, with the screen, its output and the player's files read back.
#pragma once

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "support/scratch_folder.h"
#include "support/support.h"

struct _XDisplay;

namespace e2e {

using Millis = std::chrono::milliseconds;
// Long enough for a sanitizer build drawing in software on a busy two-core machine; only a
// failing test ever waits this long.
inline constexpr Millis kDefaultWait{30000};

struct Rgb {
    int r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Rgb& c);

// A rectangle of screen pixels; the helpers clip it to the screen.
struct Region {
    int x = 0, y = 0, w = 0, h = 0;
};

using PixelTest = std::function<bool(Rgb)>;
PixelTest IsDark(int maxChannel = 40);            // no channel above maxChannel
PixelTest IsLight(int minChannel = 160);          // no channel below minChannel
PixelTest IsNear(Rgb colour, int tolerance = 8);  // every channel within tolerance
PixelTest IsNotBlack();

// The screen as read back from the X server, in RGB order whatever the server's layout.
class Screenshot {
public:
    Screenshot() = default;
    Screenshot(int width, int height, std::vector<uint8_t> rgb);

    int Width() const { return width_; }
    int Height() const { return height_; }
    bool Empty() const { return rgb_.empty(); }
    Region Whole() const { return {0, 0, width_, height_}; }

    Rgb At(int x, int y) const;
    Rgb Mean(Region r) const;
    int Count(Region r, const PixelTest& test) const;
    bool Any(Region r, const PixelTest& test) const;
    bool All(Region r, const PixelTest& test) const;
    // Pixels of r where some channel of the two screenshots differs by more than tolerance.
    int Differences(const Screenshot& other, Region r, int tolerance = 0) const;
    bool SavePng(const std::string& path) const;

private:
    Region Clip(Region r) const;
    int width_ = 0, height_ = 0;
    std::vector<uint8_t> rgb_;
};

enum class Button { Left = 1, Middle = 2, Right = 3, WheelUp = 4, WheelDown = 5 };

// A top-level window of the virtual screen, in screen pixels.
struct WindowInfo {
    unsigned long id = 0;
    int x = 0, y = 0, w = 0, h = 0;
    std::string title;
};

// Places given in the game's 1024 x 768 layout, scaled into the game's window wherever it
// stands and whatever its size.
class View {
public:
    explicit View(const WindowInfo& window) : w_(window) {}
    int X(double x) const { return w_.x + static_cast<int>(x * w_.w / 1024); }
    int Y(double y) const { return w_.y + static_cast<int>(y * w_.h / 768); }
    Region Area(double x, double y, double w, double h) const {
        return {X(x), Y(y), static_cast<int>(w * w_.w / 1024), static_cast<int>(h * w_.h / 768)};
    }
    // The window's area against the layout's.
    double Scale() const { return static_cast<double>(w_.w) * w_.h / (1024.0 * 768.0); }
    // Pixel counts of the layout, scaled to the window's area.
    int Pixels(int count) const { return static_cast<int>(count * (w_.w * static_cast<double>(w_.h)) / (1024 * 768)); }

private:
    WindowInfo w_;
};

struct GameOptions {
    int width = 1024, height = 768;  // the virtual screen
    std::string dataDir = {};        // BX2_DATA_DIR; empty: the repository's resources/
    int frameMs = 0;                 // BX2_FRAME_MS when above 0
    std::vector<std::string> args = {};
    std::vector<std::pair<std::string, std::string>> env = {};  // set last, so they win
};

// One run of the game. Everything it starts is killed when it goes out of scope, and when
// the test has failed by then, the last screen and the game's output are kept beside the log.
class GameRun {
public:
    explicit GameRun(GameOptions options = {});
    ~GameRun();
    GameRun(const GameRun&) = delete;
    GameRun& operator=(const GameRun&) = delete;

    // --- Before Start: the player's folder ($XDG_DATA_HOME/Vostrand/Brondelvix 2!/).
    const std::string& UserFolder() const { return userFolder_; }
    void SeedUserFile(const std::string& relative, const std::string& contents, mode_t mode = 0644);
    // A file or a whole folder, copied under the player's folder.
    void CopyToUserFolder(const std::string& relative, const std::string& source);

    // The X server alone (for tests of the harness), then the game; Start does both.
    ::testing::AssertionResult StartServer();
    ::testing::AssertionResult Start();
    std::string DisplayName() const;  // ":N"
    int ScreenWidth() const { return screenWidth_; }
    int ScreenHeight() const { return screenHeight_; }

    // --- Waiting. Each returns a failure that says what it waited for, with the last
    // screen saved and the tail of the game's output, so ASSERT_TRUE(game.WaitFor...) reads well.
    ::testing::AssertionResult WaitUntil(const std::string& what, const std::function<bool()>& done,
                                         Millis timeout = kDefaultWait);
    // The game's window mapped: the one with this title, or with none given, the topmost
    // top-level window. It also gets the keyboard focus. Wait again after a mode change.
    ::testing::AssertionResult WaitForWindow(const std::string& title = "", Millis timeout = kDefaultWait);
    ::testing::AssertionResult WaitForScreen(const std::string& what,
                                             const std::function<bool(const Screenshot&)>& test,
                                             Millis timeout = kDefaultWait);
    ::testing::AssertionResult WaitForExit(Millis timeout = kDefaultWait);
    ::testing::AssertionResult WaitForUserFile(const std::string& relative, Millis timeout = kDefaultWait);
    // Until the file exists with contents other than `before`.
    ::testing::AssertionResult WaitForUserFileChange(const std::string& relative, const std::string& before,
                                                     Millis timeout = kDefaultWait);
    ::testing::AssertionResult WaitForStdout(const std::string& text, Millis timeout = kDefaultWait);
    ::testing::AssertionResult WaitForStderr(const std::string& text, Millis timeout = kDefaultWait);
    // Until the game has run that many more frames, drawn or left out as the same as the one on
    // screen (counted through BX2_FRAME_TRACE). After a key, a few frames prove that it was taken
    // in and what it changes drawn, however slowly the machine runs: to show that a key changes
    // nothing, wait for frames, never for time. On a screen that runs a frame a key, the first
    // frame after it shows it; on the others, the first may only have taken it in.
    ::testing::AssertionResult WaitForFrames(int frames, Millis timeout = kDefaultWait);
    // The same, counted from what FramesRun() said before the input: a screen that runs a frame
    // only when a key comes may have run its one frame before the sender looks.
    ::testing::AssertionResult WaitForFramesAfter(long run, int frames, Millis timeout = kDefaultWait);
    // The frames the game has run so far, over every start of this run.
    long FramesRun() const;
    // Until that many more frames have been drawn into the game's window: a still screen draws
    // none. Counted by the X server, from FramesDrawn() before the input in the second form.
    ::testing::AssertionResult WaitForDrawnFrames(int frames, Millis timeout = kDefaultWait);
    ::testing::AssertionResult WaitForDrawnFramesAfter(long drawn, int frames, Millis timeout = kDefaultWait);
    // The frames the game has drawn into its current window so far, counted by the X server: each
    // buffer swap puts the whole picture into the window. Call after WaitForWindow.
    long FramesDrawn();
    const WindowInfo& Window() const { return window_; }
    // A 32-bit property of the game's window (_NET_WM_ICON, _NET_WM_PID...), an item per element;
    // empty when the window does not carry it. Call after WaitForWindow.
    std::vector<uint32_t> WindowProperty32(const std::string& property);

    // --- Keys by name: an X keysym name ("Escape", "Return", "space", "Left", "F1"), a single
    // character in UTF-8 ("n", "Q", "7", ".", "é"), or the short names Ctrl, Shift, Alt, Super, Enter, Esc,
    // Space, Backspace. "Ctrl+q" holds the keys before the last while it taps the last one.
    void Tap(const std::string& keys);
    void KeyDown(const std::string& key);
    void KeyUp(const std::string& key);
    void TapKeysym(unsigned long keysym);
    // A key's press and release sent together, with no pause between them.
    void QuickTap(const std::string& key);
    void KeysymDown(unsigned long keysym);
    void KeysymUp(unsigned long keysym);
    // UTF-8 text, a key tap per character; "\n" is Return, "\b" Backspace, "\t" Tab.
    void Type(const std::string& text);

    // --- The pointer, in screen pixels (the window's top-left corner is Window().x, .y).
    void MoveTo(int x, int y);
    void MoveBy(int dx, int dy);
    void ButtonDown(Button button = Button::Left);
    void ButtonUp(Button button = Button::Left);
    void Click(Button button = Button::Left);
    // Press and release sent together, as a touchpad's tap-to-click does: the game may take both
    // in between two of its frames.
    void QuickClick(Button button = Button::Left);
    void ClickAt(int x, int y, Button button = Button::Left);
    // What a window manager sends when the window's close button is pressed.
    void CloseWindow();

    // --- The screen. Saved screenshots go to ArtifactsFolder(); the path is returned and printed.
    Screenshot Capture();
    std::string SaveScreenshot(const std::string& name);
    std::string SaveScreenshot(const Screenshot& shot, const std::string& name);
    // The screenshot saved by the last wait that failed; empty if none.
    const std::string& LastFailureScreenshot() const { return lastFailureShot_; }
    // ${build}/e2e-artifacts/<Suite.Test>/, made on first use and emptied once per test.
    std::string ArtifactsFolder();

    // --- The process.
    bool Running();
    void Signal(int signal = SIGTERM);
    bool Exited() const { return exited_; }
    int ExitCode() const;    // the status it exited with; -1 while running or when a signal ended it
    int ExitSignal() const;  // the signal that ended it; 0 otherwise
    std::string ExitDescription() const;
    std::string Stdout() const;
    std::string Stderr() const;

    // --- The player's files as the game left them.
    std::optional<std::string> ReadUserFile(const std::string& relative) const;
    // Permission bits (07777), or -1 when the file does not exist.
    int UserFileMode(const std::string& relative) const;

private:
    ::testing::AssertionResult Failure(const std::string& what, Millis waited, const Screenshot* shot);
    std::string Tail(const std::string& path, int lines) const;
    void StopGame();
    void StopServer();
    void StartCountingFrames();
    void KeepEvidence();
    unsigned KeycodeFor(unsigned long keysym, bool& shifted);
    void Key(unsigned long keysym, bool down);
    void Pause(int ms);
    unsigned long KeysymNamed(const std::string& name);
    std::string FrameTracePath() const { return scratch_ + "/frames.txt"; }

    GameOptions options_;
    std::string scratch_;  // temporary home, output files; removed at the end
    std::string userFolder_;
    std::string artifacts_;
    std::string lastFailureShot_;
    pid_t server_ = -1;
    int display_ = -1;
    _XDisplay* x_ = nullptr;
    // The connection the server's RECORD extension reports the game's swaps on, by window.
    _XDisplay* record_ = nullptr;
    unsigned long recordContext_ = 0;
    std::map<unsigned long, long> swaps_;
    int screenWidth_ = 0, screenHeight_ = 0;
    std::vector<unsigned> boundKeycodes_;  // spare keycodes given to characters the keymap lacks
    pid_t game_ = -1;
    bool exited_ = false;
    int status_ = 0;
    WindowInfo window_;
};

// MD5 in upper-case hexadecimal by the system's own md5sum, not the game's: the digests the
// game writes into player and save files are checked against it.
std::string Md5Upper(const std::string& text);
// A whole file as it is on disk; empty when it cannot be read.
std::string ReadFile(const std::string& path);
// The repository's data folder, the one the game under test reads unless told otherwise.
std::string Resources();
// How many times part stands in text, overlaps counted.
int Occurrences(const std::string& text, const std::string& part);
// Makes folder (ending in '/') a data folder that is the shipped one but for its packs: the
// shipped strings, error codes, preferences, fonts, images, sounds and help linked in, and an
// empty data/packs/ for the test's own.
void LinkShippedDataWithoutPacks(const std::string& folder);

// A data folder that is the shipped one but for its packs: fixture packs ("app/quickpack", under
// the fixtures folder) copied in, each under its own folder's name.
class DataFolder {
public:
    explicit DataFolder(const std::vector<std::string>& fixturePacks);
    // One more fixture pack, under another name.
    void AddPack(const std::string& fixturePack, const std::string& name);
    // For GameOptions::dataDir; ends in '/'.
    std::string Path() const { return scratch_.path() + "/"; }
    std::string Pack(const std::string& name) const { return Path() + "data/packs/" + name + "/"; }

private:
    ScratchFolder scratch_;
};

// The shipped default preferences with the values of some elements replaced.
std::string ShippedPrefs(const std::map<std::string, std::string>& changes = {});
// The text of the first <tag> element; "<missing>" when there is none.
std::string Element(const std::string& text, const std::string& tag);

// A saved game's fields as the game writes them.
struct SavedGame {
    int lives = 1;
    std::string level;  // the level's name
    int number = 1;     // and its place in the pack
    long long score = 0;
    int time = 0;
    std::string date = "10 Dec 2026";
    std::string difficulty = "Normal";
    std::string pack;
};
// The saved game sealed as the game seals it.
std::string SealedSave(const SavedGame& saved);
// The digest that seals a saved game as a reader checks it: its saveData element from tag to tag,
// then the text the game mixes in.
std::string SaveSeal(const std::string& save);

}  // namespace e2e
