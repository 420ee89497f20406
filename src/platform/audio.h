// Sound: samples decoded whole, channels mixed in software into one 44100 Hz stereo
// 16-bit output. The real backend mixes in SDL's audio callback; headless, a test
// renders frames itself.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

constexpr int kOutputRate = 44100;

// Decoded sample data, shared by every sound and channel that uses it.
struct TSampleData {
    int rate = kOutputRate;
    int channels = 1;           // 1 or 2
    std::vector<float> frames;  // interleaved, -1..1
    size_t FrameCount() const { return channels ? frames.size() / channels : 0; }
};

// An Ogg Vorbis file kept as it is and decoded while it plays, a window at a time: music,
// which decoded whole would hold megabytes of samples a track. It plays frame for frame the
// samples a whole decode gives.
struct TEncodedData {
    std::string bytes;  // the file
    int rate = kOutputRate;
    int channels = 1;         // 1 or 2
    uint64_t frameCount = 0;  // as the stream's last page states it
};

// A sound holds its samples decoded (data) or, streamed, its file (encoded).
struct TSound {
    std::shared_ptr<const TSampleData> data;
    std::shared_ptr<const TEncodedData> encoded;
    bool loop = false;
};
using TSoundPtr = std::shared_ptr<TSound>;

// LoadSound's flags: 1 loops; 2 keeps an Ogg Vorbis file to be decoded as it plays (a WAV
// file is decoded whole all the same).
constexpr int kSoundLoops = 1;
constexpr int kSoundStreamed = 2;

struct TChannel;  // a voice of the mixer; releasing the last reference stops it
using TChannelPtr = std::shared_ptr<TChannel>;

// WAV or Ogg Vorbis, told by content; see the flags above. Null when it cannot be opened or
// decoded (a streamed file: when its headers cannot be read).
TSoundPtr LoadSound(const std::string& path, int flags = 0);
TSoundPtr LoadSoundFromMemory(const std::string& bytes, int flags = 0);

TChannelPtr AllocChannel();
// Puts the sample paused at its start on `channel` (a new one when null) and returns it.
TChannelPtr CueSound(const TSoundPtr& sound, const TChannelPtr& channel = nullptr);
// Cues and starts at once.
TChannelPtr PlaySound(const TSoundPtr& sound, const TChannelPtr& channel = nullptr);
void PauseChannel(const TChannelPtr& channel);
void ResumeChannel(const TChannelPtr& channel);
void StopChannel(const TChannelPtr& channel);  // for good: not resumable
bool ChannelPlaying(const TChannelPtr& channel);
void SetChannelVolume(const TChannelPtr& channel, float volume);  // 0 upward
void SetChannelPan(const TChannelPtr& channel, float pan);        // -1 left .. 1 right
void SetChannelDepth(const TChannelPtr& channel, float depth);    // stored only
void SetChannelRate(const TChannelPtr& channel, float rate);      // times the sample's own rate
float ChannelVolume(const TChannelPtr& channel);
float ChannelPan(const TChannelPtr& channel);
float ChannelDepth(const TChannelPtr& channel);
float ChannelRate(const TChannelPtr& channel);
// Frames of the sample consumed so far (for tests).
double ChannelPosition(const TChannelPtr& channel);

// Opens the output: the SDL device on the real backend, nothing headless. Idempotent.
// False when no device opens; every channel call still works, silently.
bool OpenAudio();
void CloseAudio();
// Mixes `frameCount` stereo frames of every playing channel into `out` (interleaved
// left, right). The SDL callback calls it; headless tests call it directly.
void MixAudio(int16_t* out, int frameCount);
