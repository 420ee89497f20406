// Shared set-up for the pack tests: a quiet log with a known error table, a headless screen,
// a fixed clock whose every frame is one game-speed unit, a mixer, the load timers, and the
// frames the loading screen drew, read back from the recording.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/globals.h"
#include "level/level.h"
#include "media/mixer.h"
#include "pack/packs.h"
#include "platform/graphics.h"
#include "platform/runtime.h"
#include "sprites/sprites.h"
#include "support/game_test.h"
#include "text/parser.h"

namespace packtest {

inline int LogLinesWith(const std::string& text) {
    int count = 0;
    for (const std::string& line : DebugLogLines()) {
        if (line.find(text) != std::string::npos) ++count;
    }
    return count;
}

// The loading screen's texts as a universe without strings shows them: every key as it is.
inline std::string KeysAsShown(const std::string& key) { return key; }

// Log lines that are not progress notes: a clean load has none.
inline std::vector<std::string> FaultLines() {
    std::vector<std::string> faults;
    for (const std::string& line : DebugLogLines()) {
        if (line.rfind(" NOTE: ", 0) != 0) faults.push_back(line);
    }
    return faults;
}

// Every template array of a loaded pack, as the game hands them to a level it reads.
// Sets the clock so that every frame from now on measures frameMs milliseconds; 80 ms is
// a game-speed factor of exactly 1.
inline void HoldFrameTime(int frameMs) {
    UseTestClock(100000, 0, frameMs);
    g_lastMilliSecs = 100000 - frameMs;
    g_gameSpeedFactor = static_cast<float>(frameMs) / 80.0f;
}

// One shown frame of the loading screen, as the recording saw it.
struct Frame {
    std::vector<std::string> texts;  // the screen's own texts, before the overlay
    float overlayAlpha = 0.0f;       // 0 when no overlay was drawn
    bool drewImage = false;
};

inline std::vector<Frame> Frames(const std::vector<DrawCall>& calls) {
    std::vector<Frame> frames;
    Frame current;
    bool overlaid = false;
    for (const DrawCall& call : calls) {
        if (call.kind == DrawKind::Flip) {
            frames.push_back(current);
            current = Frame();
            overlaid = false;
        } else if (call.kind == DrawKind::Rect && call.w >= GraphicsWidth() && call.h >= GraphicsHeight()) {
            current.overlayAlpha = call.state.alpha;
            overlaid = true;
        } else if (call.kind == DrawKind::Text && !overlaid && !call.text.empty()) {
            current.texts.push_back(call.text);
        } else if (call.kind == DrawKind::Image) {
            current.drewImage = true;
        }
    }
    return frames;
}

// A copy of a committed fixture pack that a test may change; its path ends in "/".
class ScratchPack {
public:
    explicit ScratchPack(const std::string& fixture = "pack/fixturepack") {
        path_ = folder_.path() + "/pack/";
        std::filesystem::copy(FixturePath(fixture), path_, std::filesystem::copy_options::recursive);
    }
    const std::string& path() const { return path_; }
    std::string operator+(const std::string& file) const { return path_ + file; }

private:
    ScratchFolder folder_;
    std::string path_;
};

class PackTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        InitGlobals();
        InitSprites();
        Graphics(1024, 768, 0, 60);
        g_debugLogQuiet = 1;
        // Progress notes are logged so that they can be read; faults are logged and raise.
        g_errorcode = {1, -13, -14};
        g_errorseverity = {1, 3, 3};
        g_errormessage = {"Note", "Could not read", "Not found"};
        g_maxFrameDelay = 1000;
        HoldFrameTime(80);
        g_MasterMixer = std::make_shared<Mixer>();
        g_MasterMixer->Initialize(16);
        g_LoadTimers = std::make_shared<performanceTimers>();
        ClearDebugLog();
    }

    void TearDown() override {
        g_MasterMixer = nullptr;
        EndGraphics();
        GameTest::TearDown();
    }

    // A fresh pack with only its folder, loaded as a game start loads it.
    static PackPtr LoadPack(const std::string& path) {
        auto pack = std::make_shared<Pack>();
        pack->path = path;
        pack->LoadPackData(1, KeysAsShown);
        return pack;
    }
};

}  // namespace packtest
