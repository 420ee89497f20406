// Shared set-up for the animation tests: a quiet log, a known error table, a fresh master
// mixer, in-memory pictures, sounds and curves, and builders for animation elements.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "core/globals.h"
#include "media/images.h"
#include "media/mixer.h"
#include "media/sounds.h"
#include "platform/audio.h"
#include "platform/graphics.h"
#include "platform/image.h"
#include "platform/runtime.h"
#include "sprites/animation.h"
#include "sprites/random.h"
#include "sprites/shifter.h"
#include "support/game_test.h"
#include "text/parser.h"

namespace animtest {

inline std::string Fixture(const std::string& file) { return FixturePath("sprites/anim/" + file); }

inline std::vector<std::string> LogLines() { return DebugLogLines(); }

inline ImagePtr MakeImage(const std::string& name, float handleX = 0, float handleY = 0, float xScale = 1,
                          float yScale = 1) {
    auto image = std::make_shared<Image>();
    image->name = name;
    image->imageData = LoadImage(CreatePixmap(8, 8));
    image->handleX = handleX;
    image->handleY = handleY;
    image->xScale = xScale;
    image->yScale = yScale;
    return image;
}

// A tenth of a second of quiet noise: long enough to still play when a test looks.
inline SoundPtr MakeSound(const std::string& name) {
    auto data = std::make_shared<TSampleData>();
    data->frames.assign(4410, 0.1f);
    auto sample = std::make_shared<TSound>();
    sample->data = data;
    auto sound = std::make_shared<Sound>();
    sound->name = name;
    sound->soundData = sample;
    return sound;
}

// A curve that gives the listed outputs at progress 0, 1/(n-1), ... 1 (startValue 0,
// endValue 1, amplitude 1: the outputs are the samples themselves).
inline ShifterPtr MakeCurve(std::vector<float> outputs) {
    auto data = std::make_shared<ShifterData>();
    data->name = "curve";
    data->totalSteps = static_cast<int>(outputs.size());
    data->shift = std::move(outputs);
    auto curve = std::make_shared<Shifter>();
    curve->dataName = "curve";
    curve->startValue = 0.0f;
    curve->endValue = 1.0f;
    curve->amplitude = 1.0f;
    curve->SelectShifterDataFromName({data});
    return curve;
}

// <tag><randomData><action>a</action><value>w</value></randomData>...</tag>
inline std::string Table(const std::string& tag, std::initializer_list<std::pair<const char*, int>> choices) {
    std::string xml = "<" + tag + ">";
    for (const auto& [action, weight] : choices) {
        xml += "<randomData><action>" + std::string(action) + "</action><value>" + std::to_string(weight) +
               "</value></randomData>";
    }
    return xml + "</" + tag + ">";
}

// One step lasting steps ticks per pass and iterations passes; extra is put inside as is.
inline std::string Step(const std::string& name, int steps, int iterations, const std::string& extra = "") {
    return "<animationStep><stepName>" + name + "</stepName><minSteps>" + std::to_string(steps) +
           "</minSteps><maxSteps>" + std::to_string(steps) + "</maxSteps><minIterations>" + std::to_string(iterations) +
           "</minIterations><maxIterations>" + std::to_string(iterations) + "</maxIterations>" + extra +
           "</animationStep>";
}

inline std::string Anim(const std::string& name, const std::string& steps, const std::string& extra = "") {
    return "<animation><aniName>" + name + "</aniName>" + extra + steps + "</animation>";
}

inline AnimationPtr LoadAnim(const std::string& xml) {
    auto animation = std::make_shared<Animation>();
    animation->LoadFromXML(xml);
    return animation;
}

// Effect slots (1 and up) of the master mixer whose channel is playing.
inline int PlayingEffects() {
    int playing = 0;
    for (int i = 1; i < g_MasterMixer->totalChannels; ++i) {
        if (ChannelPlaying(g_MasterMixer->channelArray[i])) ++playing;
    }
    return playing;
}

inline void SilenceMixer() {
    for (int i = 1; i < g_MasterMixer->totalChannels; ++i) g_MasterMixer->EndSound(i);
}

class AnimTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        g_debugLogQuiet = 1;
        // Progress notes and failed picks stay silent; a missing name and a bad curve index
        // are logged without raising.
        g_errorcode = {1, 0, -14, -15};
        g_errorseverity = {0, 0, 1, 1};
        g_errormessage = {"Progress note", "Quiet", "Not found", "Out of range"};
        g_sfxVolume = 1.0f;
        SeedRnd(7);
        g_MasterMixer = std::make_shared<Mixer>();
        g_MasterMixer->Initialize(16);
    }
    void TearDown() override {
        g_MasterMixer = nullptr;
        GameTest::TearDown();
    }
};

}  // namespace animtest
