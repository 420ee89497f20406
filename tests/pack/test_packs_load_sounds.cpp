// The classic pack's sounds: every element of its "sounds.xml" loads the way the pack
// loader loads it, effects are short with headroom, music is Ogg Vorbis that loops without a
// seam, and every sound the pack's other files name exists with the right class.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "core/globals.h"
#include "core/io.h"
#include "media/sounds.h"
#include "platform/audio.h"
#include "support/game_test.h"
#include "text/parser.h"

namespace {

namespace fs = std::filesystem;

std::string PackFolder() {
    return fs::weakly_canonical(FixturePath("../../resources")).string() + "/data/packs/classic/";
}

std::vector<std::string> SoundElements() {
    return ExtractListFromXML(ReadFileToString(PackFolder() + "sounds.xml", 0), "sound");
}

double Seconds(const TSampleData& data) { return static_cast<double>(data.FrameCount()) / data.rate; }

float Peak(const TSampleData& data) {
    float peak = 0.0f;
    for (float v : data.frames) peak = std::max(peak, std::fabs(v));
    return peak;
}

// Root mean square of the frames [from, to) of every channel.
double Rms(const TSampleData& data, size_t from, size_t to) {
    double sum = 0.0;
    for (size_t i = from * data.channels; i < to * data.channels; ++i) sum += data.frames[i] * data.frames[i];
    return std::sqrt(sum / std::max<size_t>(1, (to - from) * data.channels));
}

// The loop point is no louder a step than the music's own: the jump from the last frame to
// the first, per channel, against the 99.9th percentile of every jump inside the track.
void ExpectSeamless(const TSampleData& data) {
    const size_t frames = data.FrameCount();
    for (int ch = 0; ch < data.channels; ++ch) {
        auto at = [&](size_t i) { return data.frames[i * data.channels + ch]; };
        std::vector<float> jumps;
        jumps.reserve(frames);
        for (size_t i = 1; i < frames; ++i) jumps.push_back(std::fabs(at(i) - at(i - 1)));
        const size_t index = jumps.size() * 999 / 1000;
        std::nth_element(jumps.begin(), jumps.begin() + index, jumps.end());
        EXPECT_LE(std::fabs(at(0) - at(frames - 1)), jumps[index]) << "channel " << ch;
    }
    // No gap of silence before the loop comes round: the last tenth of a second is played.
    const size_t tenth = static_cast<size_t>(data.rate / 10);
    EXPECT_GT(Rms(data, frames - tenth, frames), 0.3 * Rms(data, 0, frames));
}

class ClassicPackSounds : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        g_debugLogQuiet = 1;
    }
};

TEST_F(ClassicPackSounds, EveryElementLoadsAnEffectOrALoopingTrack) {
    const std::vector<std::string> elements = SoundElements();
    ASSERT_GE(elements.size(), 30u);
    std::map<std::string, int> names;
    int tracks = 0;
    for (const std::string& element : elements) {
        Sound sound;
        sound.LoadFromXML(element, PackFolder(), 0);
        SCOPED_TRACE(sound.name);
        EXPECT_FALSE(sound.name.empty());
        // A file name that misses the name tag would stand in for it.
        EXPECT_EQ(sound.name.find('/'), std::string::npos);
        EXPECT_EQ(++names[sound.name], 1) << "defined twice";
        if (!fs::is_regular_file(sound.fileName)) {
            ADD_FAILURE() << "missing: " << sound.fileName;
            continue;
        }
        if (!sound.soundData || !sound.soundData->data || sound.soundData->data->FrameCount() == 0) {
            ADD_FAILURE() << "does not decode: " << sound.fileName;
            continue;
        }
        const TSampleData& data = *sound.soundData->data;
        EXPECT_GT(sound.volume, 0.0f);
        EXPECT_LE(sound.volume, 1.0f);
        EXPECT_TRUE(sound.isMusic == 0 || sound.isMusic == 1) << sound.isMusic;
        if (sound.isMusic != 1) {
            EXPECT_FALSE(sound.soundData->loop);
            EXPECT_LT(Seconds(data), 1.0);
            // Several effects at once must not clip: each peaks well below full scale,
            // and none is silent.
            EXPECT_LT(Peak(data), 0.71f);
            EXPECT_GT(Peak(data), 0.1f);
        } else {
            ++tracks;
            EXPECT_EQ(sound.loops, 1);
            EXPECT_TRUE(sound.soundData->loop);
            EXPECT_EQ(fs::path(sound.fileName).extension(), ".ogg");
            std::ifstream file(sound.fileName, std::ios::binary);
            char magic[4] = {};
            file.read(magic, 4);
            EXPECT_EQ(std::string(magic, 4), "OggS");
            EXPECT_GE(Seconds(data), 10.0);
            EXPECT_LE(Seconds(data), 60.0);
            EXPECT_EQ(data.channels, 2);
            ExpectSeamless(data);
        }
    }
    EXPECT_GE(tracks, 3);
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(ClassicPackSounds, FolderStaysWithinItsBudget) {
    uintmax_t bytes = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(PackFolder() + "sounds")) {
        if (entry.is_regular_file()) bytes += entry.file_size();
    }
    EXPECT_GT(bytes, 0u);
    EXPECT_LT(bytes, 2560u * 1024u);  // about 2.5 MB
}

// Animation steps name effects, levels and powerups name music: each must exist, as that class.
TEST_F(ClassicPackSounds, EveryNamedSoundExistsAsTheRightClass) {
    std::map<std::string, int> isMusic;
    for (const std::string& element : SoundElements()) {
        Sound sound;
        sound.LoadFromXML(element, PackFolder(), 1);
        isMusic[sound.name] = sound.isMusic;
    }
    struct Use {
        std::string file, name;
        int music;
    };
    std::vector<Use> uses;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(PackFolder())) {
        if (entry.path().extension() != ".xml" || entry.path().filename() == "sounds.xml") continue;
        const std::string text = ReadFileToString(entry.path().string(), 0);
        const std::string file = entry.path().filename().string();
        for (const std::string& step : ExtractListFromXML(text, "soundToPlay")) {
            for (const std::string& action : ExtractListFromXML(step, "action")) {
                uses.push_back({file, GetDataFromXML(action, "action"), 0});
            }
        }
        for (const char* tag : {"music", "overrideMusicSong"}) {
            for (const std::string& element : ExtractListFromXML(text, tag)) {
                const std::string name = GetDataFromXML(element, tag);
                if (!name.empty()) uses.push_back({file, name, 1});
            }
        }
    }
    for (const Use& use : uses) {
        SCOPED_TRACE(use.file + ": " + use.name);
        ASSERT_EQ(isMusic.count(use.name), 1u) << "no such sound";
        EXPECT_EQ(isMusic[use.name], use.music);
    }
}

}  // namespace
