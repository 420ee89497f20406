// The mixer: which slot a sound gets, its result codes, displacement by priority, sources,
// the music override and its fade, pause and resume, rates, and ending sounds for good.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "core/globals.h"
#include "media/mixer.h"
#include "platform/audio.h"
#include "platform/runtime.h"
#include "support/game_test.h"
#include "text/parser.h"

namespace {

// One second at the output rate unless told otherwise.
SoundPtr MakeSound(int priority = 0, int interruptable = 0, int frames = 44100) {
    auto data = std::make_shared<TSampleData>();
    data->frames.assign(static_cast<size_t>(frames), 0.1f);
    auto sample = std::make_shared<TSound>();
    sample->data = data;
    auto sound = std::make_shared<Sound>();
    sound->soundData = sample;
    sound->priority = priority;
    sound->isInterruptable = interruptable;
    return sound;
}

// The mixer compares sources by identity only, so any distinct object stands in for a sprite.
SpritePtr MakeSource() {
    auto owner = std::make_shared<int>(0);
    return SpritePtr(owner, reinterpret_cast<Sprite*>(owner.get()));
}

// Lets the audio layer play on for that many output frames.
void Advance(int frames) {
    std::vector<int16_t> out(2 * static_cast<size_t>(frames));
    MixAudio(out.data(), frames);
}

class MixerTest : public GameTest {
protected:
    Mixer mixer;

    void SetUp() override {
        GameTest::SetUp();
        g_debugLogQuiet = 1;
        g_errorcode = {1};
        g_errorseverity = {0};
        g_errormessage = {"Progress note"};
        g_sfxVolume = 1.0f;
        g_musicVolume = 1.0f;
        SeedRnd(99);
        mixer.Initialize(16);
    }

    bool SlotPlaying(int slot) { return ChannelPlaying(mixer.channelArray[slot]); }

    // Fills the 15 effect slots with playing sounds of these priorities.
    std::vector<SoundPtr> FillEffects(const std::vector<int>& priorities) {
        std::vector<SoundPtr> sounds;
        for (int p : priorities) {
            sounds.push_back(MakeSound(p));
            EXPECT_EQ(mixer.AddSound(sounds.back(), 0, nullptr), 0);
        }
        return sounds;
    }
};

// ---------------------------------------------------------------------------
// Initialize.

TEST_F(MixerTest, InitializeMakesSlotsWithTheirOwnChannelsAndAnOverrideChannel) {
    mixer.masterRate = 2.0f;
    mixer.masterPause = 1;
    mixer.musicOverrideDuration = 50;
    mixer.Initialize(16);
    EXPECT_EQ(mixer.totalChannels, 16);
    ASSERT_EQ(mixer.channelArray.size(), 16u);
    EXPECT_EQ(mixer.soundArray.size(), 16u);
    EXPECT_EQ(mixer.sourceSpriteArray.size(), 16u);
    EXPECT_EQ(mixer.absoluteRate, std::vector<float>(16, 1.0f));
    EXPECT_EQ(mixer.playDurationArray, std::vector<int>(16, -1));
    std::vector<TChannelPtr> all = mixer.channelArray;
    all.push_back(mixer.musicOverrideChannel);
    for (size_t i = 0; i < all.size(); ++i) {
        ASSERT_NE(all[i], nullptr) << i;
        for (size_t j = 0; j < i; ++j) EXPECT_NE(all[i], all[j]) << i << " " << j;
    }
    EXPECT_EQ(mixer.masterPause, 0);
    EXPECT_EQ(mixer.musicOverride, nullptr);
    EXPECT_EQ(mixer.musicOverrideDuration, -1.0f);
    EXPECT_EQ(mixer.musicOverrideActive, 0);
    EXPECT_EQ(mixer.masterRate, 2.0f);  // the rate outlives a new pack
}

TEST_F(MixerTest, InitializeAgainUnlinksTheSoundsItHeld) {
    SoundPtr music = MakeSound(), effect = MakeSound(), bystander = MakeSound();
    ASSERT_EQ(mixer.AddMusic(music), 0);
    ASSERT_EQ(mixer.AddSound(effect, 0, nullptr), 0);
    TChannelPtr oldChannel = mixer.channelArray[1];
    mixer.Initialize(16);
    EXPECT_EQ(music->soundData, nullptr);
    EXPECT_EQ(effect->soundData, nullptr);
    EXPECT_NE(bystander->soundData, nullptr);
    EXPECT_NE(mixer.channelArray[1], oldChannel);
    EXPECT_EQ(mixer.soundArray[1], nullptr);
    EXPECT_EQ(mixer.AddSound(effect, 0, nullptr), kSoundNoSample);
    EXPECT_EQ(mixer.AddMusic(music), kMusicNoSample);
}

TEST_F(MixerTest, InitializeWithoutSlotsIsIgnored) {
    for (int n : {0, -1, -16}) {
        TChannelPtr music = mixer.channelArray[0];
        mixer.Initialize(n);
        EXPECT_EQ(mixer.totalChannels, 16) << n;
        EXPECT_EQ(mixer.channelArray.size(), 16u) << n;
        EXPECT_EQ(mixer.channelArray[0], music) << n;
    }
    EXPECT_EQ(g_DebugLog, "");
}

// ---------------------------------------------------------------------------
// Result codes.

TEST_F(MixerTest, ResultCodes) {
    struct Case {
        const char* what;
        std::function<int(Mixer&)> run;
        int expected;
    } cases[] = {
        {"music", [](Mixer& m) { return m.AddMusic(MakeSound()); }, kMixerOK},
        {"no music", [](Mixer& m) { return m.AddMusic(nullptr); }, kMusicNoSound},
        {"music without sample", [](Mixer& m) { return m.AddMusic(std::make_shared<Sound>()); }, kMusicNoSample},
        {"music while paused",
         [](Mixer& m) {
             m.Pause();
             return m.AddMusic(MakeSound());
         },
         kMixerOK},
        {"effect", [](Mixer& m) { return m.AddSound(MakeSound(), 0, nullptr); }, kMixerOK},
        {"no effect", [](Mixer& m) { return m.AddSound(nullptr, 0, nullptr); }, kSoundNoSound},
        {"no effect while paused",
         [](Mixer& m) {
             m.Pause();
             return m.AddSound(nullptr, 0, nullptr);
         },
         kSoundNoSound},
        {"effect while paused",
         [](Mixer& m) {
             m.Pause();
             return m.AddSound(MakeSound(), 0, nullptr);
         },
         kSoundPaused},
        {"no slot: every effect undisplaceable",
         [](Mixer& m) {
             for (int i = 0; i < 15; ++i) m.AddSound(MakeSound(999999999 + (i % 2)), 0, nullptr);
             return m.AddSound(MakeSound(2000000000), 0, nullptr);
         },
         kSoundNoSlot},
        {"no effect slot at all",
         [](Mixer& m) {
             m.Initialize(1);
             return m.AddSound(MakeSound(), 0, nullptr);
         },
         kSoundNoSlot},
        {"effect without sample", [](Mixer& m) { return m.AddSound(std::make_shared<Sound>(), 0, nullptr); },
         kSoundNoSample},
        {"source still playing an uninterruptable sound",
         [](Mixer& m) {
             SpritePtr source = MakeSource();
             m.AddSound(MakeSound(0, 0), 0, source);
             return m.AddSound(MakeSound(), 0, source);
         },
         kSoundSourceBusy},
    };
    for (const Case& c : cases) {
        Mixer m;
        m.Initialize(16);
        EXPECT_EQ(c.run(m), c.expected) << c.what;
    }
}

// ---------------------------------------------------------------------------
// Slot choice.

TEST_F(MixerTest, EffectsTakeTheFirstSlotWithNothingPlaying) {
    std::vector<SoundPtr> sounds = FillEffects({1, 1, 1});
    for (int slot = 1; slot <= 3; ++slot) {
        EXPECT_EQ(mixer.soundArray[slot], sounds[slot - 1]);
        EXPECT_EQ(mixer.playDurationArray[slot], 0);
        EXPECT_TRUE(SlotPlaying(slot));
    }
    EXPECT_EQ(mixer.playDurationArray[4], -1);
    // Slot 2's sound finishes: the next effect goes there, before the free slot 4.
    SoundPtr shortSound = MakeSound(1, 0, 100);
    mixer.EndSound(2);
    ASSERT_EQ(mixer.AddSound(shortSound, 0, nullptr), 0);
    EXPECT_EQ(mixer.soundArray[2], shortSound);
    Advance(300);
    EXPECT_FALSE(SlotPlaying(2));
    SoundPtr next = MakeSound();
    ASSERT_EQ(mixer.AddSound(next, 0, nullptr), 0);
    EXPECT_EQ(mixer.soundArray[2], next);
    // The music slot is never given to an effect.
    EXPECT_EQ(mixer.soundArray[0], nullptr);
}

TEST_F(MixerTest, AFullMixerDisplacesTheLowestPriorityLowestSlotFirst) {
    struct Case {
        std::vector<int> priorities;  // slots 1 to 15
        int newPriority;
        int displacedSlot;
    } cases[] = {
        {{5, 3, 7, 3, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9}, 100, 2},
        {{5, 3, 7, 3, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9}, 0, 2},  // even when the newcomer matters less
        {{9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9}, 5, 1},
        {{999999999, 999999999, 999999999, 999999999, 999999999, 999999999, 999999999, 999999999, 999999999, 999999999,
          999999999, 999999999, 999999999, 999999999, 999999998},
         0,
         15},
    };
    for (const Case& c : cases) {
        Mixer m;
        m.Initialize(16);
        std::vector<SoundPtr> old;
        for (int p : c.priorities) {
            old.push_back(MakeSound(p));
            ASSERT_EQ(m.AddSound(old.back(), 0, nullptr), 0);
        }
        SoundPtr newcomer = MakeSound(c.newPriority);
        ASSERT_EQ(m.AddSound(newcomer, 0, nullptr), 0);
        for (int slot = 1; slot <= 15; ++slot) {
            EXPECT_EQ(m.soundArray[slot], slot == c.displacedSlot ? newcomer : old[slot - 1]) << "slot " << slot;
            EXPECT_TRUE(ChannelPlaying(m.channelArray[slot])) << "slot " << slot;
        }
    }
}

TEST_F(MixerTest, ASourceGetsTheSlotOfItsLastSound) {
    SpritePtr source = MakeSource(), other = MakeSource();
    FillEffects({1, 1});
    SoundPtr first = MakeSound(0, 1);
    ASSERT_EQ(mixer.AddSound(first, 0, source), 0);
    ASSERT_EQ(mixer.soundArray[3], first);
    EXPECT_EQ(mixer.sourceSpriteArray[3], source);

    // Interruptable: cut, and the new one starts in the same slot.
    SoundPtr second = MakeSound(0, 0);
    ASSERT_EQ(mixer.AddSound(second, 0, source), 0);
    EXPECT_EQ(mixer.soundArray[3], second);
    EXPECT_TRUE(SlotPlaying(3));

    // Not interruptable and still playing: refused, and it plays on.
    double before = ChannelPosition(mixer.channelArray[3]);
    Advance(100);
    EXPECT_EQ(mixer.AddSound(MakeSound(), 0, source), kSoundSourceBusy);
    EXPECT_EQ(mixer.soundArray[3], second);
    EXPECT_TRUE(SlotPlaying(3));
    EXPECT_GT(ChannelPosition(mixer.channelArray[3]), before);

    // Another source, or none, never takes the slot by source.
    SoundPtr fromOther = MakeSound(), fromNone = MakeSound();
    ASSERT_EQ(mixer.AddSound(fromOther, 0, other), 0);
    ASSERT_EQ(mixer.AddSound(fromNone, 0, nullptr), 0);
    EXPECT_EQ(mixer.soundArray[4], fromOther);
    EXPECT_EQ(mixer.soundArray[5], fromNone);
    EXPECT_EQ(mixer.sourceSpriteArray[5], nullptr);

    // Once its sound has finished, the source's slot is reused.
    mixer.EndSound(3);
    SoundPtr third = MakeSound(0, 0);
    ASSERT_EQ(mixer.AddSound(third, 0, source), 0);
    EXPECT_EQ(mixer.soundArray[3], third);
}

TEST_F(MixerTest, ASoundWithoutSampleTakesTheSlotAfterEndingItsSound) {
    SpritePtr source = MakeSource();
    SoundPtr playing = MakeSound(0, 1);
    ASSERT_EQ(mixer.AddSound(playing, 0, source), 0);
    auto silent = std::make_shared<Sound>();
    EXPECT_EQ(mixer.AddSound(silent, 0, source), kSoundNoSample);
    EXPECT_EQ(mixer.soundArray[1], silent);
    EXPECT_EQ(mixer.playDurationArray[1], 0);
    EXPECT_EQ(mixer.sourceSpriteArray[1], source);
    EXPECT_FALSE(SlotPlaying(1));
}

TEST_F(MixerTest, ASourcedSoundPostsAProgressNoteThatMayRaise) {
    g_errorseverity = {1};
    ASSERT_EQ(mixer.AddSound(MakeSound(), 0, MakeSource()), 0);
    EXPECT_EQ(g_DebugLog, " NOTE: Progress note (Sound Source Sprite exists: adding to mixer)\n");
    // AddSound has no handler of its own: a raising note reaches the caller's.
    g_errorcode.clear();
    g_errorseverity.clear();
    g_errormessage.clear();
    EXPECT_ANY_THROW(mixer.AddSound(MakeSound(), 0, MakeSource()));
}

// ---------------------------------------------------------------------------
// Rates.

TEST_F(MixerTest, RatesFollowTheSoundAndTheMasterRate) {
    SoundPtr music = MakeSound();
    music->rate = 1.5f;
    ASSERT_EQ(mixer.AddMusic(music), 0);
    SoundPtr effect = MakeSound();
    effect->rate = 0.5f;
    ASSERT_EQ(mixer.AddSound(effect, 0, nullptr), 0);
    EXPECT_EQ(mixer.absoluteRate[0], 1.5f);
    EXPECT_EQ(mixer.absoluteRate[1], 0.5f);

    mixer.RateAdjust(2.0f);
    EXPECT_EQ(mixer.masterRate, 2.0f);
    EXPECT_FLOAT_EQ(ChannelRate(mixer.channelArray[0]), 3.0f);
    EXPECT_FLOAT_EQ(ChannelRate(mixer.channelArray[1]), 1.0f);
    EXPECT_FLOAT_EQ(ChannelRate(mixer.channelArray[7]), 2.0f);  // free slots too
    EXPECT_FLOAT_EQ(ChannelRate(mixer.musicOverrideChannel), 3.0f);

    // New effects start at the master rate; new music at its own until the next RateAdjust.
    SoundPtr later = MakeSound();
    later->rate = 0.75f;
    ASSERT_EQ(mixer.AddSound(later, 0, nullptr), 0);
    EXPECT_FLOAT_EQ(ChannelRate(mixer.channelArray[2]), 1.5f);
    ASSERT_EQ(mixer.AddMusic(later), 0);
    EXPECT_FLOAT_EQ(ChannelRate(mixer.channelArray[0]), 0.75f);
}

// ---------------------------------------------------------------------------
// Ending, pausing and resuming.

TEST_F(MixerTest, EndedSoundsStayEndedThroughPauseAndResume) {
    FillEffects({1, 1, 1});
    ASSERT_EQ(mixer.AddMusic(MakeSound()), 0);
    mixer.EndSound(2);
    EXPECT_EQ(mixer.playDurationArray[2], -1);
    EXPECT_FALSE(SlotPlaying(2));
    mixer.Resume();
    EXPECT_FALSE(SlotPlaying(2));
    mixer.Pause();
    mixer.Resume();
    EXPECT_FALSE(SlotPlaying(2));
    EXPECT_TRUE(SlotPlaying(1));
    EXPECT_TRUE(SlotPlaying(3));

    mixer.EndMusic();
    mixer.Resume();
    EXPECT_FALSE(SlotPlaying(0));
    EXPECT_EQ(mixer.MusicPlaying(), 0);
}

TEST_F(MixerTest, EndSoundOutsideTheSlotsIsIgnored) {
    FillEffects({1});
    for (int i : {-1, 16, 1000, -2147483647 - 1}) {
        EXPECT_EQ(mixer.EndSound(i), 0);
        EXPECT_TRUE(SlotPlaying(1));
        EXPECT_EQ(mixer.playDurationArray[1], 0);
    }
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(MixerTest, PauseHoldsEverythingAndResumeGoesOnWhereItWas) {
    ASSERT_EQ(mixer.AddMusic(MakeSound()), 0);
    FillEffects({1, 1});
    Advance(1000);
    mixer.Pause();
    EXPECT_EQ(mixer.masterPause, 1);
    for (int slot = 0; slot <= 2; ++slot) EXPECT_FALSE(SlotPlaying(slot)) << slot;
    EXPECT_EQ(mixer.MusicPlaying(), 0);
    double held = ChannelPosition(mixer.channelArray[1]);
    Advance(1000);
    EXPECT_EQ(ChannelPosition(mixer.channelArray[1]), held);
    EXPECT_EQ(mixer.AddSound(MakeSound(), 0, nullptr), kSoundPaused);
    EXPECT_EQ(mixer.playDurationArray[3], -1);

    mixer.Resume();
    EXPECT_EQ(mixer.masterPause, 0);
    for (int slot = 0; slot <= 2; ++slot) EXPECT_TRUE(SlotPlaying(slot)) << slot;
    EXPECT_EQ(mixer.MusicPlaying(), 1);
    EXPECT_EQ(ChannelPosition(mixer.channelArray[1]), held);
    EXPECT_EQ(mixer.AddSound(MakeSound(), 0, nullptr), 0);
}

// ---------------------------------------------------------------------------
// Music and its override.

TEST_F(MixerTest, AddMusicStartsOverAndCancelsAnOverride) {
    SoundPtr music = MakeSound();
    ASSERT_EQ(mixer.AddMusic(music), 0);
    Advance(2000);
    EXPECT_GT(ChannelPosition(mixer.channelArray[0]), 1000.0);
    // The same music again starts from its beginning.
    ASSERT_EQ(mixer.AddMusic(music), 0);
    EXPECT_EQ(ChannelPosition(mixer.channelArray[0]), 0.0);
    EXPECT_EQ(mixer.MusicPlaying(), 1);

    mixer.musicOverride = MakeSound();
    mixer.musicOverrideDuration = 400;
    mixer.Update();
    EXPECT_EQ(mixer.MusicPlaying(), 0);
    SoundPtr next = MakeSound();
    ASSERT_EQ(mixer.AddMusic(next), 0);
    EXPECT_EQ(mixer.musicOverrideDuration, -1.0f);
    EXPECT_EQ(mixer.musicOverrideActive, 0);
    EXPECT_FALSE(ChannelPlaying(mixer.musicOverrideChannel));
    EXPECT_EQ(mixer.MusicPlaying(), 1);
    EXPECT_EQ(mixer.soundArray[0], next);
}

TEST_F(MixerTest, TheOverrideFadesOverItsLast200TicksAndHandsBack) {
    ASSERT_EQ(mixer.AddMusic(MakeSound(0, 0, 441000)), 0);
    Advance(500);
    mixer.musicOverride = MakeSound(0, 0, 441000);
    mixer.musicOverrideDuration = 400;

    mixer.Update();
    EXPECT_EQ(mixer.musicOverrideActive, 1);
    EXPECT_FALSE(SlotPlaying(0));
    EXPECT_EQ(mixer.MusicPlaying(), 0);
    EXPECT_TRUE(ChannelPlaying(mixer.musicOverrideChannel));
    double musicAt = ChannelPosition(mixer.channelArray[0]);
    Advance(500);

    struct Step {
        int updates;  // made so far
        float volume;
    } steps[] = {{1, 1.0f}, {200, 1.0f}, {201, 0.995f}, {300, 0.5f}, {399, 0.005f}};
    int done = 1;
    for (const Step& s : steps) {
        while (done < s.updates) {
            mixer.Update();
            ++done;
        }
        EXPECT_FLOAT_EQ(mixer.musicOverrideDuration, 400.0f - s.updates);
        EXPECT_NEAR(ChannelVolume(mixer.musicOverrideChannel), s.volume, 1e-6) << "after " << s.updates;
        EXPECT_TRUE(ChannelPlaying(mixer.musicOverrideChannel));
        EXPECT_FALSE(SlotPlaying(0));
    }

    mixer.Update();  // the 400th brings it to 0
    EXPECT_EQ(mixer.musicOverrideActive, 0);
    EXPECT_EQ(mixer.musicOverrideDuration, -1.0f);
    EXPECT_FALSE(ChannelPlaying(mixer.musicOverrideChannel));
    EXPECT_TRUE(SlotPlaying(0));
    EXPECT_EQ(ChannelPosition(mixer.channelArray[0]), musicAt);  // from where it stopped
    mixer.Update();                                              // idle again: nothing changes
    EXPECT_TRUE(SlotPlaying(0));
}

TEST_F(MixerTest, TheOverrideFollowsTheGameSpeed) {
    mixer.musicOverride = MakeSound();
    mixer.musicOverrideDuration = 400;
    g_gameSpeedFactor = 2.5f;
    mixer.Update();
    EXPECT_FLOAT_EQ(mixer.musicOverrideDuration, 397.5f);
    g_gameSpeedFactor = 300.0f;
    mixer.Update();
    EXPECT_NEAR(ChannelVolume(mixer.musicOverrideChannel), 97.5f / 200.0f, 1e-6);
}

// The music paused for an override comes back at its end, also when there was no
// override sound to play.
TEST_F(MixerTest, TheMusicAlwaysComesBackWhenTheOverrideEnds) {
    struct Case {
        bool withSound;
    } cases[] = {{true}, {false}};
    for (const Case& c : cases) {
        Mixer m;
        m.Initialize(16);
        ASSERT_EQ(m.AddMusic(MakeSound()), 0);
        if (c.withSound) m.musicOverride = MakeSound();
        m.musicOverrideDuration = 3;
        m.Update();
        EXPECT_EQ(m.MusicPlaying(), 0) << c.withSound;
        EXPECT_EQ(ChannelPlaying(m.musicOverrideChannel), c.withSound);
        m.Update();
        m.Update();
        EXPECT_EQ(m.MusicPlaying(), 1) << c.withSound;
        EXPECT_FALSE(ChannelPlaying(m.musicOverrideChannel));
    }
}

TEST_F(MixerTest, PauseAndResumeDuringAnOverrideKeepTheMusicUnderIt) {
    ASSERT_EQ(mixer.AddMusic(MakeSound()), 0);
    mixer.musicOverride = MakeSound();
    mixer.musicOverrideDuration = 10;
    mixer.Update();
    mixer.Pause();
    EXPECT_FALSE(ChannelPlaying(mixer.musicOverrideChannel));
    mixer.Resume();
    EXPECT_TRUE(ChannelPlaying(mixer.musicOverrideChannel));
    EXPECT_FALSE(SlotPlaying(0));
    EXPECT_EQ(mixer.MusicPlaying(), 0);

    // An override that runs out while the mixer is paused leaves the music to Resume.
    mixer.Pause();
    g_gameSpeedFactor = 100.0f;
    mixer.Update();
    EXPECT_EQ(mixer.musicOverrideDuration, -1.0f);
    EXPECT_FALSE(SlotPlaying(0));
    mixer.Resume();
    EXPECT_TRUE(SlotPlaying(0));
    EXPECT_FALSE(ChannelPlaying(mixer.musicOverrideChannel));
}

TEST_F(MixerTest, EndMusicSilencesTheMusicAndTheOverride) {
    ASSERT_EQ(mixer.AddMusic(MakeSound()), 0);
    SoundPtr override = MakeSound();
    mixer.musicOverride = override;
    mixer.musicOverrideDuration = 100;
    mixer.Update();
    mixer.EndMusic();
    EXPECT_EQ(mixer.musicOverrideDuration, -1.0f);
    EXPECT_EQ(mixer.musicOverrideActive, 0);
    EXPECT_EQ(mixer.musicOverride, override);
    EXPECT_EQ(ChannelVolume(mixer.channelArray[0]), 0.0f);
    EXPECT_EQ(ChannelVolume(mixer.musicOverrideChannel), 0.0f);
    mixer.Resume();
    EXPECT_FALSE(SlotPlaying(0));
    EXPECT_FALSE(ChannelPlaying(mixer.musicOverrideChannel));
    mixer.Update();  // nothing left to run
    EXPECT_FALSE(ChannelPlaying(mixer.musicOverrideChannel));
}

// ---------------------------------------------------------------------------
// A mixer that was never initialised logs misuse instead of crashing.

TEST_F(MixerTest, AnUninitialisedMixerRefusesQuietly) {
    Mixer bare;
    EXPECT_EQ(bare.AddSound(MakeSound(), 0, nullptr), kSoundNoSlot);
    bare.musicOverrideDuration = 5;
    bare.musicOverride = MakeSound();
    EXPECT_EQ(bare.Update(), 0);
    EXPECT_EQ(bare.EndSound(0), 0);
    EXPECT_EQ(bare.MusicPlaying(), 0);
    EXPECT_EQ(bare.Pause(), 0);
    EXPECT_EQ(bare.Resume(), 0);
    EXPECT_NE(g_DebugLog.find("mixer:Mixer.MusicPlaying() " + std::string(kBadIndexMessage)), std::string::npos);
}

// ---------------------------------------------------------------------------
// Start-up.

using MixerStartUp = GameTest;

TEST_F(MixerStartUp, InitMixerMakesTheMasterMixerOnce) {
    setenv("XDG_DATA_HOME", ScratchPath().c_str(), 1);
    g_debugLogQuiet = 1;
    testing::internal::CaptureStdout();
    g_MasterMixer = nullptr;
    InitMixer();
    testing::internal::GetCapturedStdout();
    ASSERT_NE(g_MasterMixer, nullptr);
    EXPECT_EQ(g_MasterMixer->totalChannels, 16);
    EXPECT_NE(g_MasterMixer->musicOverrideChannel, nullptr);
    MixerPtr first = g_MasterMixer;
    InitMixer();
    EXPECT_EQ(g_MasterMixer, first);
    g_MasterMixer = nullptr;
}

}  // namespace
