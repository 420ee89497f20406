// Sound loading and the software mixer, driven headless by rendering frames by hand.
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include "platform/audio.h"
#include "platform/files.h"
#include "platform/runtime.h"
#include "support/scratch_folder.h"
#include "support/support.h"

namespace {

TSoundPtr MakeSound(std::vector<float> frames, int channels = 1, int rate = kOutputRate, bool loop = false) {
    auto data = std::make_shared<TSampleData>();
    data->rate = rate;
    data->channels = channels;
    data->frames = std::move(frames);
    auto sound = std::make_shared<TSound>();
    sound->data = data;
    sound->loop = loop;
    return sound;
}

TSoundPtr Constant(float value, int frames = 4096) { return MakeSound(std::vector<float>(frames, value)); }

// 0, 1/1000, 2/1000, ...: a sample whose value tells the position it was read at.
TSoundPtr Ramp(int frames, int rate = kOutputRate, bool loop = false) {
    std::vector<float> v(frames);
    for (int i = 0; i < frames; ++i) v[i] = i / 1000.0f;
    return MakeSound(std::move(v), 1, rate, loop);
}

std::vector<int16_t> Mix(int frames) {
    std::vector<int16_t> out(2 * frames, 12345);
    MixAudio(out.data(), frames);
    return out;
}

int16_t Pcm(float value) { return static_cast<int16_t>(std::lround(value * 32768.0f)); }

bool Silent(const std::vector<int16_t>& out) {
    for (int16_t s : out)
        if (s != 0) return false;
    return true;
}

using Audio = ::testing::Test;

// ---------------------------------------------------------------------------
TEST_F(Audio, CuedSoundWaitsPausedAtItsStart) {
    auto sound = Constant(0.5f);
    TChannelPtr ch = CueSound(sound);
    ASSERT_TRUE(ch);
    EXPECT_FALSE(ChannelPlaying(ch));
    EXPECT_TRUE(Silent(Mix(64)));
    EXPECT_EQ(ChannelPosition(ch), 0.0);

    ResumeChannel(ch);
    auto out = Mix(4);
    EXPECT_EQ(out[0], Pcm(0.5f));
    EXPECT_EQ(out[1], Pcm(0.5f));

    // Cueing again on the same channel reuses it and rewinds, paused.
    EXPECT_EQ(CueSound(sound, ch), ch);
    EXPECT_FALSE(ChannelPlaying(ch));
    EXPECT_EQ(ChannelPosition(ch), 0.0);
    EXPECT_EQ(CueSound(nullptr, ch), nullptr);
    EXPECT_EQ(CueSound(std::make_shared<TSound>()), nullptr);
}

TEST_F(Audio, PlayingOnlyWhileItActuallyPlays) {
    struct Case {
        const char* name;
        std::function<TChannelPtr(const TSoundPtr&)> setup;
        bool playing;
    };
    const Case cases[] = {
        {"never started", [](const TSoundPtr&) { return AllocChannel(); }, false},
        {"never started, resumed",
         [](const TSoundPtr&) {
             auto ch = AllocChannel();
             ResumeChannel(ch);
             return ch;
         },
         false},
        {"cued", [](const TSoundPtr& s) { return CueSound(s); }, false},
        {"playing", [](const TSoundPtr& s) { return PlaySound(s); }, true},
        {"playing, after mixing part of it",
         [](const TSoundPtr& s) {
             auto ch = PlaySound(s);
             Mix(50);
             return ch;
         },
         true},
        {"paused",
         [](const TSoundPtr& s) {
             auto ch = PlaySound(s);
             PauseChannel(ch);
             return ch;
         },
         false},
        {"finished",
         [](const TSoundPtr& s) {
             auto ch = PlaySound(s);
             Mix(100);
             return ch;
         },
         false},
        {"finished, resumed",
         [](const TSoundPtr& s) {
             auto ch = PlaySound(s);
             Mix(150);
             ResumeChannel(ch);
             return ch;
         },
         false},
        {"stopped",
         [](const TSoundPtr& s) {
             auto ch = PlaySound(s);
             StopChannel(ch);
             return ch;
         },
         false},
        {"null", [](const TSoundPtr&) { return TChannelPtr(); }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TChannelPtr ch = c.setup(Constant(0.25f, 100));
        EXPECT_EQ(ChannelPlaying(ch), c.playing);
    }
}

TEST_F(Audio, PauseAndResumeKeepThePosition) {
    auto sound = Ramp(1000);
    TChannelPtr ch = PlaySound(sound);
    Mix(100);
    PauseChannel(ch);
    EXPECT_TRUE(Silent(Mix(100)));
    EXPECT_DOUBLE_EQ(ChannelPosition(ch), 100.0);
    ResumeChannel(ch);
    EXPECT_TRUE(ChannelPlaying(ch));
    auto out = Mix(1);
    EXPECT_EQ(out[0], Pcm(0.1f));
    EXPECT_DOUBLE_EQ(ChannelPosition(ch), 101.0);
}

TEST_F(Audio, StopEndsTheChannelForGood) {
    TChannelPtr ch = PlaySound(Constant(0.5f));
    Mix(50);
    StopChannel(ch);
    ResumeChannel(ch);
    EXPECT_FALSE(ChannelPlaying(ch));
    EXPECT_TRUE(Silent(Mix(100)));
    EXPECT_DOUBLE_EQ(ChannelPosition(ch), 50.0);
    // The channel itself can take a new sound.
    PlaySound(Constant(0.5f), ch);
    EXPECT_TRUE(ChannelPlaying(ch));
}

TEST_F(Audio, RateSetsHowFastTheSampleIsConsumed) {
    struct Case {
        int sampleRate;
        float rate;
        int frames;
        double position;
    };
    const Case cases[] = {
        {44100, 1.0f, 1000, 1000.0}, {44100, 2.0f, 1000, 2000.0}, {44100, 0.5f, 1000, 500.0},
        {22050, 1.0f, 1000, 500.0},  {48000, 1.5f, 882, 1440.0},  {11025, 1.7f, 2000, 850.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.sampleRate << " Hz at rate " << c.rate);
        TChannelPtr ch = CueSound(Ramp(20000, c.sampleRate));
        SetChannelRate(ch, c.rate);
        ResumeChannel(ch);
        Mix(c.frames);
        EXPECT_NEAR(ChannelPosition(ch), c.position, 1e-3);
    }
}

TEST_F(Audio, SlowRateInterpolatesBetweenFrames) {
    TChannelPtr ch = CueSound(Ramp(1000));
    SetChannelRate(ch, 0.25f);
    ResumeChannel(ch);
    auto out = Mix(9);
    // Output frame k reads the sample at k / 4.
    for (int k = 0; k < 9; ++k) EXPECT_NEAR(out[2 * k], Pcm(k / 4.0f / 1000.0f), 1) << k;
}

TEST_F(Audio, PanMovesTheSoundBetweenTheSides) {
    struct Case {
        float pan;
        float left, right;
    };
    const Case cases[] = {{-1.0f, 0.5f, 0.0f},  {1.0f, 0.0f, 0.5f},  {0.0f, 0.5f, 0.5f},
                          {-0.5f, 0.5f, 0.25f}, {0.5f, 0.25f, 0.5f}, {-7.0f, 0.5f, 0.0f}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pan);
        TChannelPtr ch = CueSound(Constant(0.5f));
        SetChannelPan(ch, c.pan);
        ResumeChannel(ch);
        auto out = Mix(8);
        EXPECT_EQ(out[14], Pcm(c.left));
        EXPECT_EQ(out[15], Pcm(c.right));
    }
}

TEST_F(Audio, StereoSampleKeepsItsSides) {
    TChannelPtr ch = PlaySound(MakeSound({0.25f, -0.5f, 0.25f, -0.5f, 0.25f, -0.5f}, 2));
    auto out = Mix(2);
    EXPECT_EQ(out[0], Pcm(0.25f));
    EXPECT_EQ(out[1], Pcm(-0.5f));
    EXPECT_EQ(out[2], Pcm(0.25f));
    EXPECT_EQ(out[3], Pcm(-0.5f));
}

TEST_F(Audio, LoopingSampleWrapsAndOthersEnd) {
    for (bool loop : {true, false}) {
        SCOPED_TRACE(loop ? "looping" : "once");
        TChannelPtr ch = PlaySound(Ramp(100, kOutputRate, loop));
        auto out = Mix(250);
        EXPECT_EQ(ChannelPlaying(ch), loop);
        EXPECT_EQ(out[2 * 99], Pcm(0.099f));
        if (loop) {
            EXPECT_DOUBLE_EQ(ChannelPosition(ch), 50.0);
            EXPECT_EQ(out[2 * 100], 0);
            EXPECT_EQ(out[2 * 149], Pcm(0.049f));
        } else {
            EXPECT_TRUE(Silent(std::vector<int16_t>(out.begin() + 200, out.end())));
        }
    }
}

TEST_F(Audio, TinySampleLoopsAtHighRate) {
    // Every frame is the sample's last one; the step skips whole loops.
    TChannelPtr ch = CueSound(MakeSound({0.5f}, 1, kOutputRate, true));
    SetChannelRate(ch, 3.5f);
    ResumeChannel(ch);
    auto out = Mix(16);
    EXPECT_EQ(out[30], Pcm(0.5f));
    EXPECT_TRUE(ChannelPlaying(ch));
    EXPECT_LT(ChannelPosition(ch), 1.0);
}

TEST_F(Audio, VolumeScalesAndTheOutputSaturates) {
    struct Case {
        std::vector<std::pair<float, float>> voices;  // sample value, volume
        int16_t expected;
    };
    const Case cases[] = {
        {{{0.25f, 0.0f}}, 0},
        {{{0.25f, 0.5f}}, Pcm(0.125f)},
        {{{0.25f, 2.0f}}, Pcm(0.5f)},
        {{{0.25f, 1.0f}, {-0.125f, 1.0f}}, Pcm(0.125f)},
        {{{0.8f, 1.0f}, {0.8f, 1.0f}}, 32767},
        {{{-0.8f, 1.0f}, {-0.8f, 1.0f}}, -32768},
        {{{1.0f, 1.0f}}, 32767},
        {{{0.5f, 100.0f}}, 32767},
        {{{-0.25f, -3.0f}}, 0},
    };
    for (const Case& c : cases) {
        std::vector<TChannelPtr> channels;
        for (auto [value, volume] : c.voices) {
            TChannelPtr ch = CueSound(Constant(value));
            SetChannelVolume(ch, volume);
            ResumeChannel(ch);
            channels.push_back(ch);
        }
        auto out = Mix(4);
        EXPECT_EQ(out[6], c.expected) << c.voices[0].first << " x" << c.voices.size();
        EXPECT_EQ(out[7], c.expected);
    }
}

TEST_F(Audio, ReleasingTheLastChannelReferenceStopsTheSound) {
    TChannelPtr ch = PlaySound(Constant(0.5f));
    TChannelPtr copy = ch;
    ch.reset();
    EXPECT_FALSE(Silent(Mix(8)));
    copy.reset();
    EXPECT_TRUE(Silent(Mix(8)));
}

TEST_F(Audio, ChannelKeepsItsSampleAliveAfterTheSoundGoes) {
    auto sound = Ramp(1000);
    std::weak_ptr<const TSampleData> data = sound->data;
    TChannelPtr ch = PlaySound(sound);
    sound.reset();
    ASSERT_FALSE(data.expired());
    auto out = Mix(11);
    EXPECT_EQ(out[20], Pcm(0.01f));
    ch.reset();
    EXPECT_TRUE(data.expired());
}

TEST_F(Audio, SettersClampAndStore) {
    TChannelPtr ch = AllocChannel();
    SetChannelVolume(ch, -1.0f);
    EXPECT_EQ(ChannelVolume(ch), 0.0f);
    SetChannelVolume(ch, 1.5f);
    EXPECT_EQ(ChannelVolume(ch), 1.5f);
    SetChannelPan(ch, 3.0f);
    EXPECT_EQ(ChannelPan(ch), 1.0f);
    SetChannelPan(ch, std::nanf(""));
    EXPECT_EQ(ChannelPan(ch), -1.0f);
    SetChannelDepth(ch, 0.7f);
    EXPECT_EQ(ChannelDepth(ch), 0.7f);
    SetChannelRate(ch, 1.25f);
    EXPECT_EQ(ChannelRate(ch), 1.25f);
    // The settings outlast a new cue: the game sets them once and plays many sounds.
    CueSound(Constant(0.1f), ch);
    EXPECT_EQ(ChannelVolume(ch), 1.5f);
    EXPECT_EQ(ChannelRate(ch), 1.25f);

    // A null channel is ignored, as an unplayed one would be.
    TChannelPtr none;
    SetChannelVolume(none, 1.0f);
    PauseChannel(none);
    ResumeChannel(none);
    StopChannel(none);
    EXPECT_EQ(ChannelVolume(none), 0.0f);
    EXPECT_EQ(ChannelPosition(none), 0.0);
}

TEST_F(Audio, ZeroOrNegativeRateNeverCrashes) {
    for (float rate : {0.0f, -2.0f, std::nanf(""), 0.000001f, 1e9f}) {
        TChannelPtr ch = CueSound(Ramp(100, kOutputRate, true));
        SetChannelRate(ch, rate);
        ResumeChannel(ch);
        Mix(300);
        EXPECT_LT(ChannelPosition(ch), 100.0) << rate;
    }
}

// The game changes channels on its thread while the output mixes on another; the
// sanitizers catch a voice read after its sample was freed.
TEST_F(Audio, MixingWhileTheGameChangesChannels) {
    std::atomic<bool> done{false};
    std::thread output([&] {
        std::vector<int16_t> out(2 * 256);
        while (!done) {
            MixAudio(out.data(), 256);
            std::this_thread::yield();
        }
    });
    std::vector<TChannelPtr> slots(17);
    for (int i = 0; i < 1500; ++i) {
        TChannelPtr& slot = slots[i % slots.size()];
        switch (i % 4) {
            case 0:
                slot = PlaySound(Ramp(64 + i % 200, 22050, i % 3 == 0));
                break;
            case 1:
                SetChannelRate(slot, 0.5f + (i % 7) * 0.2f);
                break;
            case 2:
                slot = PlaySound(Constant(0.1f, 50 + i % 30), slot);
                break;
            default:
                slot.reset();
                break;
        }
    }
    done = true;
    output.join();
}

// ---------------------------------------------------------------------------
std::string Fixture(const std::string& name) { return FixturePath("platform/" + name); }

std::string ReadFixture(const std::string& name) {
    std::string bytes;
    EXPECT_TRUE(ReadWholeFile(Fixture(name), bytes)) << name;
    return bytes;
}

std::string Le(uint32_t v, int bytes) {
    std::string s;
    for (int i = 0; i < bytes; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
    return s;
}

struct WavFormat {
    int tag = 1;
    int channels = 1;
    int rate = 22050;
    int bits = 16;
    int blockAlign = -1;  // -1: the right one
    bool extensible = false;
};

std::string Chunk(const std::string& id, const std::string& body) {
    std::string s = id + Le(static_cast<uint32_t>(body.size()), 4) + body;
    if (body.size() & 1) s += '\0';
    return s;
}

std::string FmtChunk(const WavFormat& w) {
    int align = w.blockAlign >= 0 ? w.blockAlign : w.channels * w.bits / 8;
    std::string fmt = Le(w.extensible ? 0xFFFE : w.tag, 2) + Le(w.channels, 2) + Le(w.rate, 4) + Le(w.rate * align, 4) +
                      Le(align, 2) + Le(w.bits, 2);
    if (w.extensible) fmt += Le(22, 2) + Le(w.bits, 2) + Le(3, 4) + Le(w.tag, 2) + std::string(14, '\x01');
    return Chunk("fmt ", fmt);
}

std::string Riff(const std::string& chunks) { return "RIFF" + Le(4 + chunks.size(), 4) + "WAVE" + chunks; }

std::string MakeWav(const WavFormat& w, const std::string& samples) {
    return Riff(FmtChunk(w) + Chunk("LIST", "INFOsoft") + Chunk("data", samples));
}

TEST(SoundDecode, WavSampleFormats) {
    uint32_t f25, fm1;
    float a = 0.25f, b = -1.0f;
    std::memcpy(&f25, &a, 4);
    std::memcpy(&fm1, &b, 4);
    struct Case {
        const char* name;
        WavFormat format;
        std::string samples;
        std::vector<float> expected;
    };
    const Case cases[] = {
        {"8-bit mono", {1, 1, 8000, 8}, std::string("\x00\x80\xff\xc0", 4), {-1.0f, 0.0f, 127 / 128.0f, 0.5f}},
        {"8-bit stereo", {1, 2, 8000, 8}, std::string("\x80\x00\x40\xff", 4), {0.0f, -1.0f, -0.5f, 127 / 128.0f}},
        {"16-bit stereo",
         {1, 2, 48000, 16},
         Le(0x8000, 2) + Le(0x4000, 2) + Le(0xC000, 2) + Le(1, 2),
         {-1.0f, 0.5f, -0.5f, 1 / 32768.0f}},
        {"24-bit mono",
         {1, 1, 44100, 24},
         Le(0x800000, 3) + Le(0x400000, 3) + Le(0xFFFFFF, 3),
         {-1.0f, 0.5f, -1 / 8388608.0f}},
        {"32-bit integer", {1, 1, 44100, 32}, Le(0x80000000u, 4) + Le(0x20000000, 4), {-1.0f, 0.25f}},
        {"32-bit float", {3, 1, 44100, 32}, Le(f25, 4) + Le(fm1, 4), {0.25f, -1.0f}},
        {"extensible 16-bit", {1, 2, 44100, 16, -1, true}, Le(0x4000, 2) + Le(0xC000, 2), {0.5f, -0.5f}},
        {"odd data size drops the partial frame", {1, 1, 8000, 16}, Le(0x4000, 2) + "\x01", {0.5f}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TSoundPtr sound = LoadSoundFromMemory(MakeWav(c.format, c.samples));
        ASSERT_TRUE(sound);
        EXPECT_EQ(sound->data->rate, c.format.rate);
        EXPECT_EQ(sound->data->channels, c.format.channels);
        EXPECT_FALSE(sound->loop);
        ASSERT_EQ(sound->data->frames.size(), c.expected.size());
        for (size_t i = 0; i < c.expected.size(); ++i) EXPECT_FLOAT_EQ(sound->data->frames[i], c.expected[i]) << i;
    }
}

TEST(SoundDecode, ChunksInAnyOrderAndTheLoopFlag) {
    // Data before the format, and a padded odd-sized chunk between them.
    std::string bytes = Riff(Chunk("data", Le(0x4000, 2)) + Chunk("junk", "abc") + FmtChunk({}));
    TSoundPtr sound = LoadSoundFromMemory(bytes, 1);
    ASSERT_TRUE(sound);
    EXPECT_TRUE(sound->loop);
    EXPECT_EQ(sound->data->frames, std::vector<float>{0.5f});
}

TEST(SoundDecode, WavAndOggOfTheSameSoundMatch) {
    TSoundPtr wav = LoadSound(Fixture("tone.wav"));
    TSoundPtr ogg = LoadSound(Fixture("tone.ogg"), 1);
    ASSERT_TRUE(wav);
    ASSERT_TRUE(ogg);
    EXPECT_TRUE(ogg->loop);
    EXPECT_EQ(wav->data->rate, 22050);
    EXPECT_EQ(ogg->data->rate, 22050);
    EXPECT_EQ(wav->data->channels, 1);
    EXPECT_EQ(ogg->data->channels, 1);
    ASSERT_EQ(wav->data->FrameCount(), ogg->data->FrameCount());
    // Lossy, but the same tone: compare energies and the difference between them.
    double energy = 0, error = 0;
    for (size_t i = 0; i < wav->data->frames.size(); ++i) {
        double w = wav->data->frames[i], o = ogg->data->frames[i];
        energy += w * w;
        error += (w - o) * (w - o);
    }
    EXPECT_GT(energy, 100.0);
    EXPECT_LT(error, energy * 0.01);
}

TEST(SoundDecode, BrokenInputGivesNull) {
    const std::string wav = ReadFixture("tone.wav");
    const std::string ogg = ReadFixture("tone.ogg");
    std::string wrongRiffSize = Riff(FmtChunk({}) + Chunk("data", Le(1, 2)));
    std::string pastTheEnd = Riff(FmtChunk({}) + "data" + Le(100, 4) + Le(1, 2));
    std::string corruptOgg = ogg;
    for (size_t i = 30; i < 120 && i < corruptOgg.size(); ++i) corruptOgg[i] = static_cast<char>(i * 7);
    struct Case {
        const char* name;
        std::string bytes;
    };
    const Case cases[] = {
        {"empty", ""},
        {"neither format", "just some text, not a sound at all"},
        {"only the RIFF tag", "RIFF"},
        {"RIFF without WAVE", "RIFF" + Le(4, 4) + "AVI "},
        {"truncated WAV", wav.substr(0, wav.size() / 2)},
        {"chunk size past the end", pastTheEnd},
        {"no format chunk", Riff(Chunk("data", Le(1, 2)))},
        {"no data chunk", Riff(FmtChunk({}))},
        {"no frames", MakeWav({}, "")},
        {"short format chunk", Riff(Chunk("fmt ", Le(1, 2) + Le(1, 2)) + Chunk("data", Le(1, 2)))},
        {"zero channels", MakeWav({1, 0, 22050, 16, 2}, Le(1, 2))},
        {"three channels", MakeWav({1, 3, 22050, 16}, std::string(12, 'x'))},
        {"zero rate", MakeWav({1, 1, 0, 16}, Le(1, 2))},
        {"12-bit", MakeWav({1, 1, 22050, 12, 2}, Le(1, 2))},
        {"64-bit float", MakeWav({3, 1, 22050, 64}, std::string(8, '\0'))},
        {"compressed", MakeWav({2, 1, 22050, 16}, Le(1, 2))},
        {"block align disagrees", MakeWav({1, 2, 22050, 16, 2}, Le(1, 2))},
        {"only the Ogg tag", "OggS"},
        {"Ogg tag then junk", "OggS" + std::string(300, 'q')},
        {"Ogg cut inside its headers", ogg.substr(0, 200)},
        {"Ogg cut inside its audio", ogg.substr(0, ogg.size() * 3 / 4)},
        {"Ogg with corrupt headers", corruptOgg},
    };
    for (const Case& c : cases) EXPECT_FALSE(LoadSoundFromMemory(c.bytes)) << c.name;
    // The RIFF size field is often wrong in files that play everywhere else.
    EXPECT_TRUE(LoadSoundFromMemory(wrongRiffSize.replace(4, 4, Le(7, 4))));
}

TEST(SoundDecode, LoadSoundReadsLatin1Paths) {
    ScratchFolder scratch;
    ASSERT_FALSE(scratch.path().empty());
    const std::string& dir = scratch.path();
    // "son\xe9.ogg" in Latin-1 is "sonÃ©.ogg" on disk.
    std::string game = dir + "/son\xe9.ogg";
    {
        std::ofstream f(Latin1ToUtf8(game), std::ios::binary);
        f << ReadFixture("tone.ogg");
    }
    EXPECT_TRUE(LoadSound(game));
    EXPECT_FALSE(LoadSound(dir + "/missing.wav"));
    EXPECT_FALSE(LoadSound(dir));
}

}  // namespace
