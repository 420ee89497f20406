// Named sounds of the game and its content packs: loaded from "sounds.xml" (lazily,
// by the volume settings) and started on a channel the mixer hands them.
#include "media/sounds.h"

#include "core/arrays.h"
#include "core/globals.h"
#include "core/lookup.h"
#include "platform/runtime.h"
#include "text/parser.h"

namespace {

// Below the lower limit (or not a number) gives the lower limit.
float Limit(float value, float lo, float hi) {
    if (!(value >= lo)) return lo;
    if (!(value <= hi)) return hi;
    return value;
}

// Slower than this a sound would never be heard to its end.
constexpr float kMinRate = 0.000001f;

}  // namespace

Sound::~Sound() { Unlink(); }

int Sound::Clone(const SoundPtr& source) {
    return Guarded("sounds:Sound.Clone() ", 0, [&] {
        const Sound& s = Deref(source);
        soundData = s.soundData;
        fileName = s.fileName;
        name = s.name;
        isMusic = s.isMusic;
        volume = s.volume;
        pan = s.pan;
        depth = s.depth;
        rate = s.rate;
        loops = s.loops;
        priority = s.priority;
        isInterruptable = s.isInterruptable;
        randomPitchBend = s.randomPitchBend;
        return 0;
    });
}

int Sound::Unlink() {
    return Guarded("sounds:Sound.Unlink() ", 0, [&] {
        soundData = nullptr;
        return 0;
    });
}

int Sound::LoadFromXML(const std::string& xml, const std::string& folder, int lazy) {
    return Guarded("sounds:Sound.LoadFromXML() ", 0, [&] {
        SetStringFromXML(fileName, xml, "fileName");
        fileName = folder + fileName;
        SetStringFromXML(name, xml, "name");
        SetIntFromXML(isMusic, xml, "isMusic");
        SetIntFromXML(loops, xml, "loops");
        SetIntFromXML(priority, xml, "priority");
        SetIntFromXML(isInterruptable, xml, "isInterruptable");
        SetFloatFromXML(volume, xml, "volume");
        SetFloatFromXML(pan, xml, "pan");
        SetFloatFromXML(depth, xml, "depth");
        SetFloatFromXML(rate, xml, "rate");
        SetFloatFromXML(randomPitchBend, xml, "randomPitchBend");

        // A pack's music or effects stay out of memory while their volume is off.
        bool wanted = lazy == 0 || (isMusic == 0 && g_sfxVolume > 0.0f) || (isMusic == 1 && g_musicVolume > 0.0f);
        if (wanted) {
            // A pack's music is decoded as it plays: loading the pack decodes none of it, and
            // memory holds its files rather than minutes of samples.
            LoadFromFile(fileName, name, lazy != 0 && isMusic == 1 ? kSoundStreamed : 0);
        } else {
            soundData = nullptr;
        }
        return 0;
    });
}

int Sound::LoadFromFile(const std::string& file, const std::string& newName, int flags) {
    return Guarded("sounds:Sound.LoadFromFile() ", 0, [&] {
        // A file that cannot be read leaves the sound silent; the mixer says so when it is played.
        soundData = LoadSound(file, (loops & kSoundLoops) | flags);
        name = newName.empty() ? file : newName;
        return 0;
    });
}

int Sound::Play(TChannelPtr& channel) {
    return Guarded("sounds:Sound.Play() ", 0, [&] {
        if (!channel || !soundData) return 0;
        channel = CueSound(soundData, channel);
        if (!channel) return 0;
        SetChannelDepth(channel, depth);
        SetChannelVolume(channel, volume * (isMusic == 1 ? g_musicVolume : g_sfxVolume));
        SetChannelPan(channel, pan);
        currentRate = static_cast<float>(static_cast<double>(rate) + Rnd(-randomPitchBend, randomPitchBend));
        SetChannelRate(channel, currentRate);
        ResumeChannel(channel);
        return 0;
    });
}

int Sound::SetPan(float p) {
    return Guarded("sounds:Sound.SetPan() ", 0, [&] {
        pan = Limit(p, -1.0f, 1.0f);
        return 0;
    });
}

int Sound::ShiftPan(float d) {
    return Guarded("sounds:Sound.ShiftPan() ", 0, [&] { return SetPan(pan + d); });
}

int Sound::SetVolume(float v) {
    return Guarded("sounds:Sound.SetVolume() ", 0, [&] {
        volume = Limit(v, 0.0f, 1.0f);
        return 0;
    });
}

int Sound::ShiftVolume(float d) {
    return Guarded("sounds:Sound.ShiftVolume() ", 0, [&] { return SetVolume(volume + d); });
}

int Sound::SetDepth(float v) {
    return Guarded("sounds:Sound.SetDepth() ", 0, [&] {
        depth = Limit(v, -1.0f, 1.0f);
        return 0;
    });
}

int Sound::ShiftDepth(float d) {
    return Guarded("sounds:Sound.ShiftDepth() ", 0, [&] { return SetDepth(depth + d); });
}

int Sound::SetRate(float r) {
    return Guarded("sounds:Sound.SetRate() ", 0, [&] {
        rate = r >= kMinRate ? r : kMinRate;
        return 0;
    });
}

int Sound::ShiftRate(float d) {
    return Guarded("sounds:Sound.ShiftRate() ", 0, [&] { return SetRate(rate + d); });
}

int Sound::SetInterruptable(int n) {
    return Guarded("sounds:Sound.SetInterruptable() ", 0, [&] {
        isInterruptable = n;
        return 0;
    });
}

int Sound::SetAsMusic(int n) {
    return Guarded("sounds:Sound.SetAsMusic() ", 0, [&] {
        isMusic = n;
        return 0;
    });
}

int Sound::SetLoops(int n) {
    return Guarded("sounds:Sound.SetLoops() ", 0, [&] {
        loops = n;
        return 0;
    });
}

int Sound::SetPriority(int n) {
    return Guarded("sounds:Sound.SetPriority() ", 0, [&] {
        priority = n < 0 ? 0 : n;
        return 0;
    });
}

SoundPtr GetSoundByName(const std::string& name, const std::vector<SoundPtr>& sounds) {
    return GetByName("sounds:GetSoundByName() ", sounds, &Sound::name, name, nullptr);
}

std::vector<SoundPtr> AppendNewSound(const std::vector<SoundPtr>& sounds) {
    return AppendNew("sounds:AppendNewSound() ", sounds);
}
