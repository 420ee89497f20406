// The sound and music mixer: gives every effect and every piece of music its channel,
// runs the temporary music override, and pauses, resumes and speeds up everything together.
#pragma once

#include <memory>
#include <vector>

#include "media/fwd.h"
#include "media/sounds.h"
#include "platform/audio.h"

// Result codes of AddMusic and AddSound.
enum MixerResult : int {
    kMixerOK = 0,
    kMusicNoSound = -1,
    kMusicNoSample = -2,
    kSoundPaused = -3,
    kSoundNoSlot = -4,
    kSoundNoSound = -5,
    kSoundNoSample = -6,
    kSoundSourceBusy = -7,
};

// Slot 0 plays the music; slots 1 and up play effects.
class Mixer {
public:
    std::vector<SoundPtr> soundArray;       // the sound last put in each slot
    std::vector<TChannelPtr> channelArray;  // each slot's channel
    std::vector<float> absoluteRate;        // the rate each slot's sound started with
    std::vector<int> playDurationArray;     // -1 free, 0 taken
    int totalChannels = 0;
    int masterPause = 0;
    float masterRate = 1.0f;
    std::vector<SpritePtr> sourceSpriteArray;  // the source of each slot's last sound
    SoundPtr musicOverride;
    TChannelPtr musicOverrideChannel;
    float musicOverrideDuration = -1.0f;  // game ticks left; 0 or less: no override
    int musicOverrideActive = 0;

    int Initialize(int n);
    // Once per update step, before RateAdjust: runs the music override.
    int Update();
    int RateAdjust(float r);
    int AddMusic(const SoundPtr& sound);
    int Pause();
    int Resume();
    int MusicPlaying();
    // n has no effect; a source's sounds share one slot.
    int AddSound(const SoundPtr& sound, int n, const SpritePtr& source);
    int EndSound(int i);
    int EndMusic();
};

// Every sound of the game goes through this one.
extern MixerPtr g_MasterMixer;

// The mixer module's start-up: opens audio and makes g_MasterMixer with 16 slots.
void InitMixer();
