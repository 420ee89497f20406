// The sound and music mixer: gives every effect and every piece of music its channel,
// runs the temporary music override, and pauses, resumes and speeds up everything together.
#include "media/mixer.h"

#include "core/globals.h"
#include "platform/runtime.h"
#include "text/parser.h"

MixerPtr g_MasterMixer;

namespace {

// Effects of this priority or more are never cut off for another.
constexpr int kUndisplaceable = 999999999;
// The override fades out over its last 200 ticks (4 seconds of game time).
constexpr float kOverrideFadeTicks = 200.0f;

}  // namespace

int Mixer::Initialize(int n) {
    return Guarded("mixer:Mixer.Initialize() ", 0, [&] {
        // Without its music slot the mixer could not work at all: keep what it has.
        if (n < 1) return 0;
        // A released pack's samples must not live on in the slots that played them.
        for (SoundPtr& sound : soundArray) {
            if (sound) sound->Unlink();
            sound = nullptr;
        }
        soundArray.clear();

        totalChannels = n;
        soundArray.assign(n, nullptr);
        channelArray.resize(n);
        absoluteRate.assign(n, 1.0f);
        playDurationArray.assign(n, -1);
        sourceSpriteArray.assign(n, nullptr);
        masterPause = 0;
        for (int i = 0; i < n; ++i) channelArray[i] = AllocChannel();

        musicOverrideChannel = AllocChannel();
        musicOverride = nullptr;
        musicOverrideDuration = -1.0f;
        musicOverrideActive = 0;
        return 0;
    });
}

int Mixer::Update() {
    if (musicOverrideDuration <= 0.0f) return 0;
    TChannelPtr music = channelArray.empty() ? nullptr : channelArray[0];

    if (musicOverrideActive == 0) {
        PauseChannel(music);
        if (musicOverride) {
            musicOverride->Play(musicOverrideChannel);
            SetChannelVolume(musicOverrideChannel, 1.0f);
        }
        musicOverrideActive = 1;
    }

    musicOverrideDuration -= g_gameSpeedFactor;
    if (musicOverrideDuration <= 0.0f) {
        musicOverrideActive = 0;
        musicOverrideDuration = -1.0f;
        // The music was paused when the override began, with or without an override
        // sound, so it always comes back; while the mixer is paused, Resume does that.
        if (masterPause == 0) ResumeChannel(music);
        PauseChannel(musicOverrideChannel);
    } else {
        float volume = musicOverrideDuration > kOverrideFadeTicks ? 1.0f : musicOverrideDuration / kOverrideFadeTicks;
        SetChannelVolume(musicOverrideChannel, volume);
    }
    return 0;
}

int Mixer::RateAdjust(float r) {
    return Guarded("mixer:Mixer.RateAdjust() ", 0, [&] {
        for (int i = 0; i < totalChannels; ++i) {
            const TChannelPtr& channel = At(channelArray, i);
            if (channel) SetChannelRate(channel, r * At(absoluteRate, i));
        }
        if (musicOverrideChannel) SetChannelRate(musicOverrideChannel, r * At(absoluteRate, 0));
        masterRate = r;
        return 0;
    });
}

int Mixer::AddMusic(const SoundPtr& sound) {
    return Guarded("mixer:Mixer.AddMusic() ", 0, [&] {
        if (!sound) return static_cast<int>(kMusicNoSound);
        if (!sound->soundData) return static_cast<int>(kMusicNoSample);
        EndMusic();
        EndSound(0);
        At(playDurationArray, 0) = 0;
        At(soundArray, 0) = sound;
        TChannelPtr& channel = At(channelArray, 0);
        channel = AllocChannel();
        sound->Play(channel);
        // The master rate reaches the music at the next RateAdjust.
        At(absoluteRate, 0) = sound->currentRate;
        return static_cast<int>(kMixerOK);
    });
}

int Mixer::Pause() {
    return Guarded("mixer:Mixer.Pause() ", 0, [&] {
        for (int i = 0; i < totalChannels; ++i) PauseChannel(At(channelArray, i));
        PauseChannel(musicOverrideChannel);
        masterPause = 1;
        return 0;
    });
}

int Mixer::Resume() {
    return Guarded("mixer:Mixer.Resume() ", 0, [&] {
        // Ended sounds were stopped for good, so only what Pause held comes back.
        for (int i = 0; i < totalChannels; ++i) ResumeChannel(At(channelArray, i));
        // A running override keeps the regular music silent under it.
        if (musicOverrideChannel && musicOverrideDuration > 0.0f) {
            PauseChannel(At(channelArray, 0));
            ResumeChannel(musicOverrideChannel);
        }
        masterPause = 0;
        return 0;
    });
}

int Mixer::MusicPlaying() {
    return Guarded("mixer:Mixer.MusicPlaying() ", 0, [&] { return ChannelPlaying(At(channelArray, 0)) ? 1 : 0; });
}

int Mixer::AddSound(const SoundPtr& sound, int /*n*/, const SpritePtr& source) {
    if (!sound) return kSoundNoSound;
    if (masterPause == 1) return kSoundPaused;

    // One sprite never plays two sounds at once: its new sound goes to the slot of its last.
    int chosen = -1;
    if (source) {
        for (int i = 1; i < totalChannels; ++i) {
            if (At(sourceSpriteArray, i) != source) continue;
            const SoundPtr& held = At(soundArray, i);
            if (held && held->isInterruptable == 0 && ChannelPlaying(At(channelArray, i))) return kSoundSourceBusy;
            chosen = i;
            break;
        }
    }

    // Else the first slot with nothing playing, or the playing effect of lowest priority.
    if (chosen < 0) {
        int lowest = kUndisplaceable;
        int candidate = -1;
        for (int i = 1; i < totalChannels; ++i) {
            const TChannelPtr& channel = At(channelArray, i);
            if (At(playDurationArray, i) == -1 || !channel || !ChannelPlaying(channel)) {
                chosen = i;
                break;
            }
            const SoundPtr& held = At(soundArray, i);
            int priority = held ? held->priority : 0;
            if (priority < lowest) {
                lowest = priority;
                candidate = i;
            }
        }
        if (chosen < 0) chosen = candidate;
    }
    if (chosen < 0) return kSoundNoSlot;

    EndSound(chosen);
    At(playDurationArray, chosen) = 0;
    At(soundArray, chosen) = sound;
    TChannelPtr& channel = At(channelArray, chosen);
    if (!channel) channel = AllocChannel();
    if (!sound->soundData) return kSoundNoSample;

    sound->Play(channel);
    At(absoluteRate, chosen) = sound->currentRate;
    SetChannelRate(channel, At(absoluteRate, chosen) * masterRate);
    At(sourceSpriteArray, chosen) = source;
    if (source) ThrowError(1, "Sound Source Sprite exists: adding to mixer");
    return kMixerOK;
}

int Mixer::EndSound(int i) {
    return Guarded("mixer:Mixer.EndSound() ", 0, [&] {
        if (i < 0 || i >= totalChannels) return 0;
        // Stopped, not paused: a later Resume of every channel must not bring it back.
        StopChannel(At(channelArray, i));
        At(playDurationArray, i) = -1;
        return 0;
    });
}

int Mixer::EndMusic() {
    return Guarded("mixer:Mixer.EndMusic() ", 0, [&] {
        EndSound(0);
        PauseChannel(musicOverrideChannel);
        SetChannelVolume(At(channelArray, 0), 0.0f);
        SetChannelVolume(musicOverrideChannel, 0.0f);
        musicOverrideDuration = -1.0f;
        musicOverrideActive = 0;
        return 0;
    });
}

void InitMixer() {
    InitGlobals();
    if (g_MasterMixer) return;
    // Without a sound device the game plays on in silence.
    OpenAudio();
    g_MasterMixer = std::make_shared<Mixer>();
    g_MasterMixer->Initialize(16);
}
