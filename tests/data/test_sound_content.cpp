// The shipped sounds as a player hears them: no offset that clicks when a sound starts or
// stops, music loops that start at zero and come round without a jump, and music that
// sits under the effects at equal volume settings.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/io.h"
#include "platform/audio.h"
#include "support/support.h"
#include "text/parser.h"

namespace {

// One decoded sound with the volume its XML starts it with.
struct Shipped {
    std::string file;
    bool music = false;
    float volume = 1.0f;
    std::shared_ptr<const TSampleData> data;
};

std::string ResourcesFolder() {
    return std::filesystem::weakly_canonical(FixturePath("../../resources")).string() + "/";
}

Shipped Load(const std::string& element, const std::string& folder) {
    Shipped sound;
    sound.file = folder + GetDataFromXML(element, "fileName");
    sound.music = GetDataFromXML(element, "isMusic") == "1";
    sound.volume = TextToFloat(GetDataFromXML(element, "volume"));
    if (TSoundPtr decoded = LoadSound(sound.file)) sound.data = decoded->data;
    return sound;
}

// The program's own sounds and the classic pack's, decoded once for every test.
const std::vector<Shipped>& AllSounds() {
    static const std::vector<Shipped> sounds = [] {
        std::vector<Shipped> all;
        const std::string own = ResourcesFolder() + "data/sounds/";
        const std::string ownXml = ReadFileToString(own + "sound.xml", 0);
        for (const char* role : {"intro_music", "button_click", "button_startgame", "button_quit", "button_cancel"}) {
            all.push_back(Load(ExtractTagFromXML(ownXml, role, 0), own));
        }
        const std::string pack = ResourcesFolder() + "data/packs/classic/";
        for (const std::string& element : ExtractListFromXML(ReadFileToString(pack + "sounds.xml", 0), "sound")) {
            all.push_back(Load(element, pack));
        }
        return all;
    }();
    return sounds;
}

float Sample(const TSampleData& data, size_t frame, int channel) {
    return data.frames[frame * data.channels + channel];
}

double Decibels(double level) { return 20.0 * std::log10(std::max(level, 1e-9)); }

double Rms(const TSampleData& data, size_t from, size_t to) {
    double sum = 0.0;
    for (size_t i = from * data.channels; i < to * data.channels; ++i) sum += data.frames[i] * data.frames[i];
    return std::sqrt(sum / std::max<size_t>(1, (to - from) * data.channels));
}

// How loud an effect is heard: its loudest 50 ms, not its silent tail.
double LoudestMoment(const TSampleData& data) {
    const size_t window = std::min<size_t>(data.FrameCount(), data.rate / 20);
    double best = 0.0;
    for (size_t from = 0; from + window <= data.FrameCount(); from += window / 4) {
        best = std::max(best, Rms(data, from, from + window));
    }
    return best;
}

// The middle size of a step from one sample to the next: what the ear takes as smooth.
float MedianStep(const TSampleData& data, int channel) {
    std::vector<float> steps;
    steps.reserve(data.FrameCount());
    for (size_t i = 1; i < data.FrameCount(); ++i) {
        steps.push_back(std::fabs(Sample(data, i, channel) - Sample(data, i - 1, channel)));
    }
    std::nth_element(steps.begin(), steps.begin() + steps.size() / 2, steps.end());
    return steps[steps.size() / 2];
}

TEST(ShippedSounds, EverySoundDecodesWithoutAnOffset) {
    int music = 0;
    for (const Shipped& sound : AllSounds()) {
        SCOPED_TRACE(sound.file);
        ASSERT_TRUE(sound.data && sound.data->FrameCount() > 0) << "does not decode";
        music += sound.music;
        for (int ch = 0; ch < sound.data->channels; ++ch) {
            double sum = 0.0;
            for (size_t i = 0; i < sound.data->FrameCount(); ++i) sum += Sample(*sound.data, i, ch);
            // An offset steps the speaker when the sound starts and stops: a click.
            EXPECT_LT(std::fabs(sum / sound.data->FrameCount()), 0.005) << "channel " << ch;
        }
    }
    EXPECT_GE(music, 5);
    EXPECT_GE(AllSounds().size() - music, 30u);
}

TEST(ShippedSounds, MusicStartsAtZeroAndComesRoundWithoutAJump) {
    for (const Shipped& sound : AllSounds()) {
        if (!sound.music || !sound.data) continue;
        SCOPED_TRACE(sound.file);
        const TSampleData& data = *sound.data;
        const size_t last = data.FrameCount() - 1;
        for (int ch = 0; ch < data.channels; ++ch) {
            EXPECT_LT(std::fabs(Sample(data, 0, ch)), 0.015f) << "channel " << ch;
            const float seam = std::fabs(Sample(data, 0, ch) - Sample(data, last, ch));
            EXPECT_LE(seam, 2.5f * MedianStep(data, ch)) << "channel " << ch;
        }
    }
}

TEST(ShippedSounds, MusicSitsUnderTheEffectsAtEqualVolumeSettings) {
    // As played: each sound's level times the volume its XML gives it.
    std::vector<double> effects;
    for (const Shipped& sound : AllSounds()) {
        if (!sound.music && sound.data) effects.push_back(Decibels(LoudestMoment(*sound.data) * sound.volume));
    }
    ASSERT_FALSE(effects.empty());
    std::nth_element(effects.begin(), effects.begin() + effects.size() / 2, effects.end());
    const double typicalEffect = effects[effects.size() / 2];

    for (const Shipped& sound : AllSounds()) {
        if (!sound.music || !sound.data) continue;
        SCOPED_TRACE(sound.file);
        const double music = Decibels(Rms(*sound.data, 0, sound.data->FrameCount()) * sound.volume);
        EXPECT_LE(music, typicalEffect - 3.0) << "the effects' typical level is " << typicalEffect << " dB";
    }
}

}  // namespace
