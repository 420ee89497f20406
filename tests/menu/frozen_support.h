// The screens over a stopped game, seen frame by frame: a scripted player that keeps every frame
// whole, the darkening of a fade, the texts of the side panel and the quick pack's pieces among
// the draw calls, on a game of the quick pack started on the headless screen.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "media/images.h"
#include "screens_support.h"
#include "sprites/sprites.h"

namespace frozen_test {

using namespace menu_test;

using Frame = std::vector<DrawCall>;

// Script's player, keeping the draw calls of every frame: each step waits for a frame that passes
// its test, gives its input, and the next step looks from the second frame after it.
class FilmedPlayer {
public:
    explicit FilmedPlayer(std::vector<Script::Step> steps, int maxFrames = 5000)
        : steps_(std::move(steps)), maxFrames_(maxFrames) {
        StartRecording();
        SetTestClockHook([this] { Tick(); });
    }
    ~FilmedPlayer() {
        SetTestClockHook(nullptr);
        StopRecording();
    }
    FilmedPlayer(const FilmedPlayer&) = delete;
    FilmedPlayer& operator=(const FilmedPlayer&) = delete;

    bool Finished() const { return next_ == steps_.size(); }
    const std::vector<Frame>& Frames() const { return frames_; }
    // The frames shown after the one that took the last input in.
    std::vector<Frame> AfterLastInput() const {
        return std::vector<Frame>(frames_.begin() + static_cast<long>(std::min(lastInput_ + 2, frames_.size())),
                                  frames_.end());
    }

private:
    void Tick() {
        frames_.push_back(StopRecording());
        StartRecording();
        if (justActed_) {
            justActed_ = false;
        } else if (next_ < steps_.size() && steps_[next_].when(frames_.back())) {
            steps_[next_++].input();
            lastInput_ = frames_.size() - 1;
            justActed_ = true;
        }
        if (static_cast<int>(frames_.size()) > maxFrames_) {
            std::fprintf(stderr, "The scripted player waited %d frames for step %zu; the test is stopped.\n",
                         maxFrames_, next_ + 1);
            std::_Exit(99);
        }
    }

    std::vector<Script::Step> steps_;
    size_t next_ = 0;
    size_t lastInput_ = 0;
    bool justActed_ = false;
    int maxFrames_;
    std::vector<Frame> frames_;
};

// The opacity of the black rectangle over the whole window that darkens a frame, the last one
// drawn; none when the frame has none.
inline std::optional<float> Darkening(const Frame& frame) {
    std::optional<float> alpha;
    for (const DrawCall& call : frame) {
        if (call.kind == DrawKind::Rect && call.x == 0 && call.y == 0 &&
            call.w == static_cast<float>(GraphicsWidth()) && call.h == static_cast<float>(GraphicsHeight()) &&
            ColourIs(call, 0, 0, 0)) {
            alpha = call.state.alpha;
        }
    }
    return alpha;
}

// The side panel: the first thirteen texts of a frame (no floating text is showing).
inline std::vector<DrawCall> PanelRows(const Frame& frame) {
    std::vector<DrawCall> rows;
    for (const DrawCall& call : frame) {
        if (call.kind == DrawKind::Text && rows.size() < 13) rows.push_back(call);
    }
    return rows;
}

inline bool SameRows(const std::vector<DrawCall>& a, const std::vector<DrawCall>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const DrawState& s = a[i].state;
        const DrawState& t = b[i].state;
        if (a[i].text != b[i].text || a[i].x != b[i].x || a[i].y != b[i].y || s.font != t.font || s.red != t.red ||
            s.green != t.green || s.blue != t.blue || s.alpha != t.alpha || s.blend != t.blend ||
            s.scaleX != t.scaleX || s.scaleY != t.scaleY) {
            return false;
        }
    }
    return true;
}

inline bool Drew(const Frame& frame, const TImagePtr& image) {
    for (const DrawCall& call : frame) {
        if (call.kind == DrawKind::Image && call.image == image) return true;
    }
    return false;
}

// The fixture: the quick pack's first level in play, its ball riding the paddle, no floating
// text showing, no overlay, and some music playing as the level's would.
class FrozenGameTest : public MenuTest {
protected:
    void SetUp() override {
        MenuTest::SetUp();
        StartGame();
        for (const ImageTextPtr& text : g_ImageTextArray) text->ttl = -1.0f;
        g_MasterMixer->EndMusic();
        g_MasterMixer->AddMusic(universe().sndButtonClick);
        // The level's fade-in is over: the screen overlay is clear, as the play loop also leaves
        // it for the pause.
        g_ScreenOverlayAlpha = 0.0f;
        ASSERT_EQ(g_DebugLog, "");
    }

    // The quick pack's picture of that name.
    ImagePtr PackImage(const std::string& name) {
        for (const ImagePtr& image : game().currentPack->imagesArray) {
            if (image->name == name) return image;
        }
        ADD_FAILURE() << "no image " << name;
        return std::make_shared<Image>();
    }

    // Every frame drawn at this many milliseconds, as the play loop's last frame left the clock.
    static void FramesOf(int ms) {
        UseTestClock(100000, 0, ms);
        g_lastMilliSecs = 100000 - ms;
    }
};

}  // namespace frozen_test
