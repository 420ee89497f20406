// The screens' tests' ground: the shipped data folder with the quick pack in it (three levels of
// one brick each, one life), a fresh per-user folder, the headless screen with a clock that moves
// 40 ms a frame, a scripted player that acts on what the frames show, and forked children for
// the roads that end the process.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "core/globals.h"
#include "core/io.h"
#include "media/mixer.h"
#include "platform/files.h"
#include "platform/graphics.h"
#include "platform/input.h"
#include "platform/runtime.h"
#include "support/game_test.h"
#include "support/support.h"
#include "text/parser.h"
#include "universe/game.h"
#include "universe/universe.h"

namespace screen_test {

inline constexpr int kFrameMs = 40;
inline const std::string kPlayer = "Nameless Wonder";

// The repository's data folder, which the shipped-data fixtures stand on.
inline std::string Resources() { return std::filesystem::canonical(FixturePath("../../resources")).string() + "/"; }

inline std::string ReadText(const std::string& path) {
    std::string text;
    ReadWholeFile(path, text);
    return text;
}

inline int ModeOf(const std::string& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) return -1;
    return static_cast<int>(info.st_mode & 0777);
}

inline void Press(int key) {
    InjectEvent({.type = InputEventType::KeyDown, .code = key});
    InjectEvent({.type = InputEventType::KeyUp, .code = key});
}
inline void Hold(int key) { InjectEvent({.type = InputEventType::KeyDown, .code = key}); }
inline void Release(int key) { InjectEvent({.type = InputEventType::KeyUp, .code = key}); }
inline void HoldButton(int button) { InjectEvent({.type = InputEventType::MouseDown, .code = button}); }
inline void ReleaseButton(int button) { InjectEvent({.type = InputEventType::MouseUp, .code = button}); }

// Whether a frame drew this very text.
inline bool Drew(const std::vector<DrawCall>& calls, const std::string& text) {
    for (const DrawCall& call : calls) {
        if (call.kind == DrawKind::Text && call.text == text) return true;
    }
    return false;
}

// What a step of the player waits for, given the draw calls of a frame.
using FrameTest = std::function<bool(const std::vector<DrawCall>&)>;
inline FrameTest Shows(const std::string& text) {
    return [text](const std::vector<DrawCall>& calls) { return Drew(calls, text); };
}

// The player: each step waits for a frame (or a wait of the game) that passes its test, then
// gives its input, which the game sees from then on; the next step looks from the second frame
// after it. A run that never gets to its last step
// ends the test program with a message instead of hanging.
class Script {
public:
    struct Step {
        Step(const char* text, std::function<void()> input) : when(Shows(text)), input(std::move(input)) {}
        Step(FrameTest when, std::function<void()> input) : when(std::move(when)), input(std::move(input)) {}
        FrameTest when;
        std::function<void()> input;
    };

    explicit Script(std::vector<Step> steps, int maxTicks = 20000) : steps_(std::move(steps)), maxTicks_(maxTicks) {
        StartRecording();
        SetTestClockHook([this] { Tick(); });
    }
    ~Script() {
        SetTestClockHook(nullptr);
        StopRecording();
    }
    Script(const Script&) = delete;
    Script& operator=(const Script&) = delete;

    bool Finished() const { return next_ == steps_.size(); }
    // The texts of every frame so far, in order, each frame's joined by "|".
    const std::vector<std::string>& Frames() const { return frames_; }

private:
    void Tick() {
        const std::vector<DrawCall> calls = StopRecording();
        StartRecording();
        std::string texts;
        for (const DrawCall& call : calls) {
            if (call.kind == DrawKind::Text) texts += call.text + "|";
        }
        frames_.push_back(texts);
        // The frame after an input is the one that takes it in, often still on the same screen:
        // the next step looks from the frame after that on.
        if (justActed_) {
            justActed_ = false;
        } else if (next_ < steps_.size() && steps_[next_].when(calls)) {
            steps_[next_++].input();
            justActed_ = true;
        }
        if (static_cast<int>(frames_.size()) > maxTicks_) {
            std::fprintf(stderr, "The scripted player waited %d frames for step %zu; the test is stopped.\n", maxTicks_,
                         next_ + 1);

            std::_Exit(99);
        }
    }

    std::vector<Step> steps_;
    size_t next_ = 0;
    bool justActed_ = false;
    int maxTicks_;
    std::vector<std::string> frames_;
};

// What a forked child left behind.
struct ChildResult {
    int exitStatus = -1;
    std::string out, err;
};

inline std::string ReadAll(int fd) {
    std::string text;
    char buffer[4096];
    ssize_t n;
    while ((n = read(fd, buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<size_t>(n));
    close(fd);
    return text;
}

// Runs body in a forked child whose End() exits with 0; a body that returns exits with 3.
template <class F>
ChildResult RunInChild(F body) {
    int out[2], err[2];
    EXPECT_EQ(pipe(out), 0);
    EXPECT_EQ(pipe(err), 0);
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(out[1], 1);
        dup2(err[1], 2);
        close(out[0]), close(out[1]), close(err[0]), close(err[1]);
        SetEndStatus(0);
        body();
        std::fflush(stdout);
        std::_Exit(3);
    }
    close(out[1]);
    close(err[1]);
    ChildResult result;
    result.out = ReadAll(out[0]);
    result.err = ReadAll(err[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
}

class ScreenTest : public GameTest {
protected:
    std::string dataFolder;  // g_dataPath, ending in "/"
    std::string userFolder;  // g_userPath, ending in "/"

    void SetUp() override {
        GameTest::SetUp();
        InitGlobals();
        InitUniverse();
        ASSERT_FALSE(ScratchPath().empty());
        dataFolder = ScratchPath() + "/data folder/";
        userFolder = ScratchPath() + "/user/";
        namespace fs = std::filesystem;
        // A test may set up again between its cases.
        fs::remove_all(dataFolder);
        fs::remove_all(userFolder);
        fs::create_directories(dataFolder + "data/packs");
        for (const char* entry : {"strings.xml", "errorcodes.xml", "default_prefs.xml", "fonts", "images", "sounds"}) {
            fs::create_symlink(Resources() + "data/" + entry, dataFolder + "data/" + entry);
        }
        fs::create_symlink(Resources() + "help", dataFolder + "help");
        fs::copy(FixturePath("app/quickpack"), dataFolder + "data/packs/quickpack", fs::copy_options::recursive);
        fs::create_directories(userFolder + "data");
        g_dataPath = dataFolder;
        g_userPath = userFolder;
        g_debugLogQuiet = 1;
        WritePrefs("");
        UseTestClock(100000, 0, kFrameMs);
        g_lastMilliSecs = 100000 - kFrameMs;
    }

    // The universe, the game and the mixer are above core: they are put back here.
    void TearDown() override {
        if (g_gameUniverse) g_gameUniverse->Unlink();
        g_gameUniverse = nullptr;
        if (g_MasterMixer) {
            g_MasterMixer->EndMusic();
            g_MasterMixer->Resume();
            g_MasterMixer->RateAdjust(1.0f);
        }
        EndGraphics();
        ResetHeadlessGraphics();
        GameTest::TearDown();
    }

    // The per-user preferences: the shipped defaults on the quick pack, with the elements of
    // `changes` ("<name>value</name>...") in place of the shipped ones.
    void WritePrefs(const std::string& changes) {
        std::string prefs = ReadText(Resources() + "data/default_prefs.xml");
        std::string all = "<currentPackName>quickpack</currentPackName>" + changes;
        for (size_t open = all.find('<'); open != std::string::npos; open = all.find('<', all.find('>', open) + 1)) {
            if (all[open + 1] == '/') continue;
            const std::string name = all.substr(open + 1, all.find('>', open) - open - 1);
            const std::string close = "</" + name + ">";
            const std::string element = all.substr(open, all.find(close, open) + close.size() - open);
            const size_t from = prefs.find("<" + name + ">");
            ASSERT_NE(from, std::string::npos) << name;
            prefs.replace(from, prefs.find(close, from) + close.size() - from, element);
        }
        ASSERT_EQ(WriteWholeFile(userFolder + "data/prefs.xml", prefs, 0644), 1);
    }

    // A pack file of the quick pack, replaced.
    void WritePackFile(const std::string& relative, const std::string& text) {
        ASSERT_EQ(WriteWholeFile(dataFolder + "data/packs/quickpack/" + relative, text, 0644), 1);
    }

    std::string SavePath() const { return userFolder + "data/players/" + kPlayer + "/save_quickpack.xml"; }
    std::string PlayerPath() const { return userFolder + "data/players/" + kPlayer + "/player.xml"; }

    Universe& universe() { return *g_gameUniverse; }
    Game& game() { return *g_gameUniverse->currentGame; }
    Level& level() { return *g_gameUniverse->currentGame->currentLevel; }

    // The universe as start-up leaves it, on the headless screen.
    Universe& StartUniverse() {
        g_desktopWidth = DesktopWidth();
        g_desktopHeight = DesktopHeight();
        g_desktopDepth = DesktopDepth();
        g_desktopHertz = DesktopHertz();
        g_gameUniverse = std::make_shared<Universe>();
        g_gameUniverse->Initialize();
        g_gameUniverse->OpenGraphicsWithFallback(g_gameUniverse->PickOptimalGraphicsMode(), g_ScreenWidth,
                                                 g_ScreenHeight, g_isFullscreen, g_ScreenHertz, g_ScreenDepth,
                                                 g_forceDesktopResolution);
        return *g_gameUniverse;
    }
    // A game on the quick pack as the outer loop starts it.
    void StartGame(int continueFlag = 0, int editorMode = 0) {
        Universe& u = universe();
        u.currentGame = std::make_shared<Game>();
        u.currentGame->StartGame(u.playersArray.at(u.currentPlayerIndex), u.packsArray.at(u.currentPackIndex),
                                 u.playersPath, continueFlag, editorMode, u.currentDifficulty);
    }
};

}  // namespace screen_test
