// Named sounds of the game and its content packs: loaded from "sounds.xml" (lazily,
// by the volume settings) and started on a channel the mixer hands them.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "media/fwd.h"
#include "platform/audio.h"

class Sound {
public:
    TSoundPtr soundData;  // shared with every clone; null while not loaded
    std::string fileName;
    std::string name;
    int isMusic = 0;  // 1 music, 0 effect
    float volume = 1.0f;
    float pan = 0.0f;
    float depth = 0.0f;
    float rate = 1.0f;
    float currentRate = 1.0f;  // rate plus the random bend of the last start
    int loops = 0;
    int priority = 0;
    int isInterruptable = 0;
    float randomPitchBend = 0.0f;

    ~Sound();

    int Clone(const SoundPtr& source);
    int Unlink();
    int LoadFromXML(const std::string& xml, const std::string& folder, int lazy);
    // flags: LoadSound's kSoundStreamed, or 0 to decode the file whole.
    int LoadFromFile(const std::string& file, const std::string& newName, int flags = 0);
    // Starts the sound on channel; leaves in it the channel that plays it.
    int Play(TChannelPtr& channel);
    int SetPan(float p);
    int ShiftPan(float d);
    int SetVolume(float v);
    int ShiftVolume(float d);
    int SetDepth(float v);
    int ShiftDepth(float d);
    int SetRate(float r);
    int ShiftRate(float d);
    int SetInterruptable(int n);
    int SetAsMusic(int n);
    int SetLoops(int n);
    int SetPriority(int n);
};

// The first sound of that name, or null; a missing name is not reported.
SoundPtr GetSoundByName(const std::string& name, const std::vector<SoundPtr>& sounds);
std::vector<SoundPtr> AppendNewSound(const std::vector<SoundPtr>& sounds);
