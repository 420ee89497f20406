// Streamed music: an Ogg Vorbis file kept whole and decoded as it plays gives the mixer the
// very samples a whole decode does, through rate changes, a pause, the loop coming round and
// a new start on the same channel.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/audio.h"
#include "platform/files.h"
#include "support/support.h"

namespace {

namespace fs = std::filesystem;

// Every Ogg Vorbis file the game ships: the program's and the classic pack's music.
std::vector<std::string> MusicFiles() {
    std::vector<std::string> files;
    for (const char* folder : {"../../resources/data/sounds", "../../resources/data/packs/classic/sounds"}) {
        for (const fs::directory_entry& entry : fs::directory_iterator(FixturePath(folder))) {
            if (entry.path().extension() == ".ogg") files.push_back(entry.path().string());
        }
    }
    return files;
}

// Plays the sound alone on a fresh channel, the rates changing as the game's slow motion
// changes them, with a pause, and returns everything the mixer made of it.
std::vector<int16_t> Play(const TSoundPtr& sound, size_t sampleFrames) {
    struct Stretch {
        float rate;
        double share;  // of the sample's length, read at that rate
        bool paused;
    };
    // Fast where it would only take long, slow across the loop; more than the whole sample.
    const Stretch stretches[] = {{1.0f, 0.02, false}, {7.3f, 0.45, false},  {1.0f, 0.0, true},
                                 {3.1f, 0.50, false}, {0.37f, 0.02, false}, {5.0f, 0.08, false}};
    std::vector<int16_t> out;
    TChannelPtr channel = CueSound(sound);
    SetChannelVolume(channel, 0.8f);
    SetChannelPan(channel, -0.3f);
    ResumeChannel(channel);
    for (const Stretch& s : stretches) {
        SetChannelRate(channel, s.rate);
        if (s.paused) PauseChannel(channel);
        const int frames = s.paused ? 777 : static_cast<int>(s.share * static_cast<double>(sampleFrames) / s.rate) + 1;
        std::vector<int16_t> part(2 * static_cast<size_t>(frames));
        MixAudio(part.data(), frames);
        out.insert(out.end(), part.begin(), part.end());
        if (s.paused) ResumeChannel(channel);
    }
    // Started again from the top on the same channel.
    CueSound(sound, channel);
    ResumeChannel(channel);
    std::vector<int16_t> again(2 * 3000);
    MixAudio(again.data(), 3000);
    out.insert(out.end(), again.begin(), again.end());
    return out;
}

TEST(AudioStream, AStreamedTrackPlaysTheSamplesOfAWholeDecode) {
    const std::vector<std::string> files = MusicFiles();
    ASSERT_GE(files.size(), 4u);
    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        for (const bool loop : {true, false}) {
            const TSoundPtr whole = LoadSound(file, loop ? kSoundLoops : 0);
            const TSoundPtr streamed = LoadSound(file, (loop ? kSoundLoops : 0) | kSoundStreamed);
            ASSERT_TRUE(whole && whole->data);
            ASSERT_TRUE(streamed && streamed->encoded);
            EXPECT_EQ(streamed->data, nullptr) << "nothing is decoded at load";
            EXPECT_EQ(streamed->loop, loop);
            EXPECT_EQ(streamed->encoded->rate, whole->data->rate);
            EXPECT_EQ(streamed->encoded->channels, whole->data->channels);
            EXPECT_EQ(streamed->encoded->frameCount, whole->data->FrameCount());
            const std::vector<int16_t> expected = Play(whole, whole->data->FrameCount());
            const std::vector<int16_t> heard = Play(streamed, whole->data->FrameCount());
            ASSERT_EQ(heard.size(), expected.size());
            size_t first = 0;
            while (first < heard.size() && heard[first] == expected[first]) ++first;
            EXPECT_EQ(first, heard.size()) << "the streams part at output value " << first;
        }
    }
}

// What a whole decode refuses, streaming refuses at load: unreadable headers, a file cut
// short. A WAV file is decoded whole all the same.
TEST(AudioStream, BrokenFilesAndWavFiles) {
    std::string ogg;
    ASSERT_TRUE(ReadWholeFile(FixturePath("platform/tone.ogg"), ogg));
    const std::string cases[] = {"", "OggS" + std::string(300, 'q'), ogg.substr(0, 200),
                                 ogg.substr(0, ogg.size() * 3 / 4)};
    for (const std::string& bytes : cases) {
        EXPECT_EQ(LoadSoundFromMemory(bytes), nullptr);
        EXPECT_EQ(LoadSoundFromMemory(bytes, kSoundStreamed), nullptr);
    }
    const TSoundPtr wav = LoadSound(FixturePath("platform/tone.wav"), kSoundStreamed);
    ASSERT_TRUE(wav);
    EXPECT_TRUE(wav->data);
    EXPECT_FALSE(wav->encoded);
}

}  // namespace
