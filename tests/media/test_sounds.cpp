// Named sounds: what a "sound" element loads and when (the lazy rule), the setters'
// limits, how Play starts a channel, clones and the lookup by name.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "core/globals.h"
#include "media/sounds.h"
#include "platform/audio.h"
#include "platform/runtime.h"
#include "support/game_test.h"

namespace {

std::string MediaFixtures() { return FixturePath("media/"); }

TSoundPtr Tone() {
    auto data = std::make_shared<TSampleData>();
    data->frames.assign(4410, 0.25f);
    auto sound = std::make_shared<TSound>();
    sound->data = data;
    return sound;
}

const float kNaN = std::numeric_limits<float>::quiet_NaN();

class SoundTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        g_debugLogQuiet = 1;
        g_sfxVolume = 1.0f;
        g_musicVolume = 1.0f;
        SeedRnd(1234);
    }
};

// ---------------------------------------------------------------------------
// Reading an element.

TEST_F(SoundTest, AFullElementSetsEveryFieldAsRead) {
    Sound s;
    s.LoadFromXML(
        "<sound>\n\t<fileName>blip.wav</fileName>\n\t<name>hit</name>\n\t<isMusic>1</isMusic>\n\t<loops>1</loops>\n"
        "\t<priority>40</priority>\n\t<isInterruptable>1</isInterruptable>\n\t<volume>1.5</volume>\n"
        "\t<pan>-3</pan>\n\t<depth>0.25</depth>\n\t<rate>2</rate>\n\t<randomPitchBend>0.1</randomPitchBend>\n</"
        "sound>\n",
        MediaFixtures(), 0);
    EXPECT_EQ(s.fileName, MediaFixtures() + "blip.wav");
    EXPECT_EQ(s.name, "hit");
    EXPECT_EQ(s.isMusic, 1);
    EXPECT_EQ(s.loops, 1);
    EXPECT_EQ(s.priority, 40);
    EXPECT_EQ(s.isInterruptable, 1);
    EXPECT_FLOAT_EQ(s.volume, 1.5f);  // only the setters limit
    EXPECT_FLOAT_EQ(s.pan, -3.0f);
    EXPECT_FLOAT_EQ(s.depth, 0.25f);
    EXPECT_FLOAT_EQ(s.rate, 2.0f);
    EXPECT_FLOAT_EQ(s.randomPitchBend, 0.1f);
    ASSERT_NE(s.soundData, nullptr);
    EXPECT_TRUE(s.soundData->loop);
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(SoundTest, ZeroKeepsFloatsButSetsIntegers) {
    Sound s;
    s.priority = 5;
    s.isMusic = 1;
    s.LoadFromXML(
        "<fileName>blip.wav</fileName><volume>0</volume><rate>0</rate><priority>0</priority><isMusic>0</isMusic>",
        MediaFixtures(), 0);
    EXPECT_EQ(s.volume, 1.0f);
    EXPECT_EQ(s.rate, 1.0f);
    EXPECT_EQ(s.priority, 0);
    EXPECT_EQ(s.isMusic, 0);
}

TEST_F(SoundTest, TheLowestBitOfLoopsMakesTheSampleLoop) {
    for (auto [loops, loop] : {std::pair{0, false}, std::pair{1, true}, std::pair{2, false}, std::pair{3, true}}) {
        Sound s;
        s.SetLoops(loops);
        s.LoadFromFile(MediaFixtures() + "blip.wav", "b");
        ASSERT_NE(s.soundData, nullptr);
        EXPECT_EQ(s.soundData->loop, loop) << loops;
    }
}

TEST_F(SoundTest, AMissingFileLeavesNoSampleAndNamesTheSoundByItsPath) {
    Sound s;
    s.LoadFromXML("<sound></sound>", MediaFixtures(), 0);
    EXPECT_EQ(s.fileName, MediaFixtures());
    EXPECT_EQ(s.soundData, nullptr);
    EXPECT_EQ(s.name, MediaFixtures());
    EXPECT_EQ(g_DebugLog, "");  // the mixer reports it when it is played

    Sound named;
    named.LoadFromXML("<fileName>absent.ogg</fileName><name>x</name>", MediaFixtures(), 0);
    EXPECT_EQ(named.soundData, nullptr);
    EXPECT_EQ(named.name, "x");
}

TEST_F(SoundTest, LazySoundsLoadOnlyWhenTheirVolumeIsOn) {
    struct Case {
        int lazy, isMusic;
        float sfx, music;
        bool loaded;
    } cases[] = {
        {0, 0, 0, 0, true},  {0, 2, 0, 0, true},    {1, 0, 0, 1, false}, {1, 0, 0.5f, 0, true},
        {1, 1, 1, 0, false}, {1, 1, 0, 0.2f, true}, {1, 2, 1, 1, false}, {1, 0, -1, 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "lazy " << c.lazy << " isMusic " << c.isMusic << " sfx " << c.sfx
                                        << " music " << c.music);
        g_sfxVolume = c.sfx;
        g_musicVolume = c.music;
        Sound s;
        s.soundData = Tone();  // a sample held before is released when the sound is not loaded
        s.LoadFromXML("<fileName>blip.wav</fileName><isMusic>" + std::to_string(c.isMusic) + "</isMusic>",
                      MediaFixtures(), c.lazy);
        EXPECT_EQ(s.soundData != nullptr, c.loaded);
        if (s.soundData) {
            EXPECT_NE(s.soundData->data->frames.size(), 4410u);  // the file's, not the old sample
        }
        // Without a name tag the path names a loaded sound; an unloaded one keeps what it read.
        EXPECT_EQ(s.name, c.loaded ? MediaFixtures() + "blip.wav" : "");
    }
}

// A pack's music (lazy, isMusic 1) keeps its Ogg Vorbis file to be decoded as it plays; the
// program's music, effects and WAV files are decoded whole.
TEST_F(SoundTest, APacksMusicStreams) {
    g_sfxVolume = 1.0f;
    g_musicVolume = 1.0f;
    const std::string platform = FixturePath("platform/");
    struct Case {
        const char* file;
        int lazy, isMusic;
        bool streamed;
    } cases[] = {
        {"tone.ogg", 1, 1, true},
        {"tone.ogg", 0, 1, false},
        {"tone.ogg", 1, 0, false},
        {"tone.wav", 1, 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.file << " lazy " << c.lazy << " isMusic " << c.isMusic);
        Sound s;
        s.LoadFromXML(std::string("<fileName>") + c.file + "</fileName><loops>1</loops><isMusic>" +
                          std::to_string(c.isMusic) + "</isMusic>",
                      platform, c.lazy);
        ASSERT_TRUE(s.soundData);
        EXPECT_EQ(s.soundData->encoded != nullptr, c.streamed);
        EXPECT_EQ(s.soundData->data != nullptr, !c.streamed);
        EXPECT_TRUE(s.soundData->loop);
    }
}

// ---------------------------------------------------------------------------
// Setters.

TEST_F(SoundTest, SettersLimitTheirValues) {
    struct Case {
        const char* what;
        std::function<void(Sound&)> apply;
        float Sound::*field;
        float expected;
    } cases[] = {
        {"SetPan(2)", [](Sound& s) { s.SetPan(2); }, &Sound::pan, 1.0f},
        {"SetPan(-3)", [](Sound& s) { s.SetPan(-3); }, &Sound::pan, -1.0f},
        {"SetPan(0.3)", [](Sound& s) { s.SetPan(0.3f); }, &Sound::pan, 0.3f},
        {"SetPan(NaN)", [](Sound& s) { s.SetPan(kNaN); }, &Sound::pan, -1.0f},
        {"ShiftPan", [](Sound& s) { s.SetPan(0.8f), s.ShiftPan(0.5f); }, &Sound::pan, 1.0f},
        {"SetVolume(-0.5)", [](Sound& s) { s.SetVolume(-0.5f); }, &Sound::volume, 0.0f},
        {"SetVolume(1.5)", [](Sound& s) { s.SetVolume(1.5f); }, &Sound::volume, 1.0f},
        {"SetVolume(NaN)", [](Sound& s) { s.SetVolume(kNaN); }, &Sound::volume, 0.0f},
        {"ShiftVolume", [](Sound& s) { s.ShiftVolume(-0.25f); }, &Sound::volume, 0.75f},
        {"SetDepth(-7)", [](Sound& s) { s.SetDepth(-7); }, &Sound::depth, -1.0f},
        {"ShiftDepth", [](Sound& s) { s.ShiftDepth(1.5f); }, &Sound::depth, 1.0f},
        {"SetRate(0)", [](Sound& s) { s.SetRate(0); }, &Sound::rate, 0.000001f},
        {"SetRate(-2)", [](Sound& s) { s.SetRate(-2); }, &Sound::rate, 0.000001f},
        {"SetRate(NaN)", [](Sound& s) { s.SetRate(kNaN); }, &Sound::rate, 0.000001f},
        {"SetRate(50)", [](Sound& s) { s.SetRate(50); }, &Sound::rate, 50.0f},
        {"ShiftRate", [](Sound& s) { s.ShiftRate(-5); }, &Sound::rate, 0.000001f},
    };
    for (const Case& c : cases) {
        Sound s;
        c.apply(s);
        EXPECT_EQ(s.*c.field, c.expected) << c.what;
    }
    Sound s;
    s.SetPriority(-5);
    EXPECT_EQ(s.priority, 0);
    s.SetPriority(7);
    EXPECT_EQ(s.priority, 7);
    s.SetInterruptable(3);
    s.SetAsMusic(2);
    s.SetLoops(5);
    EXPECT_EQ(s.isInterruptable, 3);
    EXPECT_EQ(s.isMusic, 2);
    EXPECT_EQ(s.loops, 5);
}

// ---------------------------------------------------------------------------
// Playing.

TEST_F(SoundTest, PlayStartsTheChannelWithTheSoundsSettings) {
    g_sfxVolume = 0.5f;
    g_musicVolume = 0.25f;
    struct Case {
        int isMusic;
        float classVolume;
    } cases[] = {{0, 0.5f}, {1, 0.25f}, {2, 0.5f}};
    for (const Case& c : cases) {
        Sound s;
        s.soundData = Tone();
        s.isMusic = c.isMusic;
        s.volume = 0.8f;
        s.pan = -0.5f;
        s.depth = 0.3f;
        s.rate = 1.5f;
        TChannelPtr channel = AllocChannel();
        TChannelPtr given = channel;
        s.Play(channel);
        EXPECT_EQ(channel, given);  // an idle channel is reused
        EXPECT_TRUE(ChannelPlaying(channel)) << c.isMusic;
        EXPECT_FLOAT_EQ(ChannelVolume(channel), 0.8f * c.classVolume) << c.isMusic;
        EXPECT_FLOAT_EQ(ChannelPan(channel), -0.5f);
        EXPECT_FLOAT_EQ(ChannelDepth(channel), 0.3f);
        EXPECT_EQ(ChannelRate(channel), 1.5f);  // no bend: exactly the rate
        EXPECT_EQ(s.currentRate, 1.5f);
    }
}

TEST_F(SoundTest, PlayWithoutChannelOrSampleChangesNothing) {
    Sound loaded;
    loaded.soundData = Tone();
    loaded.randomPitchBend = 0.5f;
    loaded.currentRate = 7.0f;
    TChannelPtr none;
    loaded.Play(none);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(loaded.currentRate, 7.0f);

    Sound silent;
    silent.currentRate = 7.0f;
    TChannelPtr channel = AllocChannel();
    silent.Play(channel);
    EXPECT_FALSE(ChannelPlaying(channel));
    EXPECT_EQ(silent.currentRate, 7.0f);
}

TEST_F(SoundTest, RandomPitchBendStaysWithinItsHalfWidth) {
    for (float bend : {0.1f, -0.1f}) {
        Sound s;
        s.soundData = Tone();
        s.randomPitchBend = bend;
        float lo = 10, hi = -10;
        for (int i = 0; i < 300; ++i) {
            TChannelPtr channel = AllocChannel();
            s.Play(channel);
            EXPECT_EQ(ChannelRate(channel), s.currentRate);
            lo = std::min(lo, s.currentRate);
            hi = std::max(hi, s.currentRate);
        }
        EXPECT_GE(lo, 0.9f - 1e-6f) << bend;
        EXPECT_LE(hi, 1.1f + 1e-6f) << bend;
        // It does bend, both ways.
        EXPECT_LT(lo, 0.95f) << bend;
        EXPECT_GT(hi, 1.05f) << bend;
    }
}

// ---------------------------------------------------------------------------
// Clones, lookup and arrays.

TEST_F(SoundTest, CloneCopiesAllButTheCurrentRate) {
    auto source = std::make_shared<Sound>();
    source->soundData = Tone();
    source->fileName = "f";
    source->name = "n";
    source->isMusic = 1;
    source->volume = 0.5f;
    source->pan = 0.25f;
    source->depth = -0.5f;
    source->rate = 2.0f;
    source->currentRate = 2.2f;
    source->loops = 1;
    source->priority = 9;
    source->isInterruptable = 1;
    source->randomPitchBend = 0.3f;
    Sound clone;
    clone.Clone(source);
    EXPECT_EQ(clone.soundData, source->soundData);
    EXPECT_EQ(clone.fileName, "f");
    EXPECT_EQ(clone.name, "n");
    EXPECT_EQ(clone.isMusic, 1);
    EXPECT_EQ(clone.volume, 0.5f);
    EXPECT_EQ(clone.pan, 0.25f);
    EXPECT_EQ(clone.depth, -0.5f);
    EXPECT_EQ(clone.rate, 2.0f);
    EXPECT_EQ(clone.currentRate, 1.0f);
    EXPECT_EQ(clone.loops, 1);
    EXPECT_EQ(clone.priority, 9);
    EXPECT_EQ(clone.isInterruptable, 1);
    EXPECT_EQ(clone.randomPitchBend, 0.3f);
    clone.Unlink();
    EXPECT_EQ(clone.soundData, nullptr);
    EXPECT_NE(source->soundData, nullptr);

    clone.Clone(nullptr);
    EXPECT_EQ(g_DebugLog, "sounds:Sound.Clone() " + std::string(kNullAccessMessage) + "\n");
}

TEST_F(SoundTest, GetSoundByNameFindsTheFirstExactMatchAndReportsNothing) {
    std::vector<SoundPtr> sounds;
    for (const char* name : {"pop", "Pop", "pop"}) {
        sounds = AppendNewSound(sounds);
        sounds.back()->name = name;
    }
    sounds.insert(sounds.begin(), nullptr);
    EXPECT_EQ(GetSoundByName("pop", sounds), sounds[1]);
    EXPECT_EQ(GetSoundByName("Pop", sounds), sounds[2]);
    EXPECT_EQ(GetSoundByName("POP", sounds), nullptr);
    EXPECT_EQ(GetSoundByName("pop", {}), nullptr);
    EXPECT_EQ(g_DebugLog, "");

    std::vector<SoundPtr> one = AppendNewSound({});
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0]->volume, 1.0f);
    EXPECT_EQ(one[0]->rate, 1.0f);
    EXPECT_EQ(one[0]->soundData, nullptr);
}

}  // namespace
