// The game's sound output: every channel mixed in software into one 44100 Hz stereo
// stream, in SDL's audio callback or, headless, whenever a test renders frames.
#include "platform/audio.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <mutex>

#include "platform/audio_internal.h"
#include "platform/runtime.h"
#include "platform/sdl_internal.h"

namespace {

// Positions are 32.32 fixed point in sample frames: stepping is exact, so where a voice
// reaches its last frame is known in advance and the inner loop needs no bounds checks.
constexpr int kFracBits = 32;
constexpr uint64_t kOne = uint64_t{1} << kFracBits;
constexpr float kFracScale = 1.0f / 4294967296.0f;
// Keeps the fixed-point end of a sample inside 64 bits (about 13 hours at 44100 Hz).
constexpr uint64_t kMaxFrames = uint64_t{1} << 31;
// Frames mixed per pass: the float accumulator stays in the first-level cache.
constexpr int kChunkFrames = 512;

enum class VoiceState { Idle, Paused, Playing, Finished, Stopped };

// What the mixer reads of a channel. Written by the main thread under the mixer lock.
struct Voice {
    const float* frames = nullptr;           // into the channel's sample, which keeps it alive
    std::unique_ptr<TStreamDecoder> stream;  // instead of frames, for a streamed sample
    uint64_t frameCount = 0;
    int channels = 1;
    int sampleRate = kOutputRate;
    bool loop = false;
    uint64_t position = 0;
    uint64_t step = kOne;
    VoiceState state = VoiceState::Idle;
    float volume = 1.0f;
    float pan = 0.0f;
    float depth = 0.0f;
    float rate = 1.0f;
};

}  // namespace

struct TChannel {
    Voice voice;                                  // guarded by the mixer lock
    std::shared_ptr<const TSampleData> data;      // main thread only
    std::shared_ptr<const TEncodedData> encoded;  // main thread only
    ~TChannel();
};

namespace {

struct Mixer {
    std::mutex lock;
    std::vector<TChannel*> channels;
    SDL_AudioDeviceID device = 0;
    bool shutdownRegistered = false;
};

// Never destroyed: the game's globals may release channels during static destruction.
Mixer& TheMixer() {
    static Mixer* mixer = new Mixer;
    return *mixer;
}

uint64_t StepFor(int sampleRate, float rate) {
    double frames = static_cast<double>(sampleRate) / kOutputRate * static_cast<double>(rate);
    // A zero, negative or NaN rate crawls instead of dividing by zero later.
    if (!(frames > 0.0)) return 1;
    frames = std::min(frames, 1048576.0);
    return std::max<uint64_t>(1, static_cast<uint64_t>(std::llround(frames * static_cast<double>(kOne))));
}

// Mixes n frames that all lie before the sample's last frame, so frame idx + 1 always exists.
template <int Channels>
void MixSpan(Voice& v, float* out, int n, float gainL, float gainR) {
    const float* f = v.frames;
    uint64_t pos = v.position;
    const uint64_t step = v.step;
    for (int k = 0; k < n; ++k) {
        size_t idx = static_cast<size_t>(pos >> kFracBits);
        float frac = static_cast<float>(static_cast<uint32_t>(pos)) * kFracScale;
        if constexpr (Channels == 1) {
            float a = f[idx];
            float s = a + (f[idx + 1] - a) * frac;
            out[2 * k] += s * gainL;
            out[2 * k + 1] += s * gainR;
        } else {
            const float* p = f + 2 * idx;
            out[2 * k] += (p[0] + (p[2] - p[0]) * frac) * gainL;
            out[2 * k + 1] += (p[1] + (p[3] - p[1]) * frac) * gainR;
        }
        pos += step;
    }
    v.position = pos;
}

// MixSpan over a streamed voice, for as many of the n frames as its decoder's window holds
// the samples of; returns how many it mixed. The positions are taken relative to the window,
// which leaves their fractions, and so every sample mixed, as they are.
int MixStreamSpan(Voice& v, float* out, int n, float gainL, float gainR) {
    const uint64_t first = v.position >> kFracBits;
    const uint64_t frac = v.position & (kOne - 1);
    const uint64_t room = (TStreamDecoder::kWindowFrames - 2) << kFracBits;
    const uint64_t fits = (room - frac) / v.step + 1;
    const int k = static_cast<int>(std::min<uint64_t>(static_cast<uint64_t>(n), fits));
    const uint64_t last = first + ((frac + static_cast<uint64_t>(k - 1) * v.step) >> kFracBits) + 1;
    Voice view;
    view.frames = v.stream->Frames(first, last + 1);
    view.position = frac;
    view.step = v.step;
    if (v.channels == 2) {
        MixSpan<2>(view, out, k, gainL, gainR);
    } else {
        MixSpan<1>(view, out, k, gainL, gainR);
    }
    v.position = (first << kFracBits) + view.position;
    return k;
}

// The last frame leads back to the start of a looping sample, or into silence.
void MixLastFrame(Voice& v, float* out, float gainL, float gainR) {
    float frac = static_cast<float>(static_cast<uint32_t>(v.position)) * kFracScale;
    size_t last = static_cast<size_t>(v.frameCount - 1);
    const float* lastFrame = v.stream ? v.stream->Frames(last, last + 1) : v.frames + last * v.channels;
    const float* startFrame = v.loop ? (v.stream ? v.stream->FirstFrame() : v.frames) : nullptr;
    for (int c = 0; c < 2; ++c) {
        int src = v.channels == 2 ? c : 0;
        float a = lastFrame[src];
        float b = startFrame ? startFrame[src] : 0.0f;
        out[c] += (a + (b - a) * frac) * (c == 0 ? gainL : gainR);
    }
    v.position += v.step;
}

void MixVoice(Voice& v, float* out, int count) {
    // Balance law: the centre leaves both sides at full volume.
    float gainL = v.volume * std::min(1.0f, 1.0f - v.pan);
    float gainR = v.volume * std::min(1.0f, 1.0f + v.pan);
    const uint64_t end = v.frameCount << kFracBits;
    const uint64_t lastFrame = (v.frameCount - 1) << kFracBits;
    int i = 0;
    while (i < count) {
        if (v.position >= end) {
            if (!v.loop) break;
            v.position %= end;
        }
        if (v.position < lastFrame) {
            uint64_t span = (lastFrame - v.position + v.step - 1) / v.step;
            int n = static_cast<int>(std::min<uint64_t>(span, static_cast<uint64_t>(count - i)));
            if (v.stream) {
                n = MixStreamSpan(v, out + 2 * i, n, gainL, gainR);
            } else if (v.channels == 2) {
                MixSpan<2>(v, out + 2 * i, n, gainL, gainR);
            } else {
                MixSpan<1>(v, out + 2 * i, n, gainL, gainR);
            }
            i += n;
        } else {
            MixLastFrame(v, out + 2 * i, gainL, gainR);
            ++i;
        }
    }
    if (v.position >= end) {
        if (v.loop) {
            v.position %= end;
        } else {
            v.state = VoiceState::Finished;
        }
    }
}

int16_t ToSample(float x) {
    x *= 32768.0f;
    if (!(x > -32768.0f)) return -32768;  // NaN too
    if (x > 32767.0f) return 32767;
    return static_cast<int16_t>(x + (x >= 0.0f ? 0.5f : -0.5f));
}

void AudioCallback(void*, Uint8* stream, int len) { MixAudio(reinterpret_cast<int16_t*>(stream), len / 4); }

float Clamp(float value, float lo, float hi) {
    if (!(value >= lo)) return lo;  // NaN too
    return std::min(value, hi);
}

// Runs fn on the channel's voice under the mixer lock; nothing for a null channel.
template <class Fn>
void WithVoice(const TChannelPtr& channel, Fn fn) {
    if (!channel) return;
    std::lock_guard<std::mutex> guard(TheMixer().lock);
    fn(channel->voice);
}

template <class T>
T ReadVoice(const TChannelPtr& channel, T Voice::*field) {
    T value{};
    WithVoice(channel, [&](Voice& v) { value = v.*field; });
    return value;
}

}  // namespace

TChannel::~TChannel() {
    // The voice leaves the mixer before the sample it points into can be freed.
    Mixer& mixer = TheMixer();
    std::lock_guard<std::mutex> guard(mixer.lock);
    auto it = std::find(mixer.channels.begin(), mixer.channels.end(), this);
    if (it != mixer.channels.end()) {
        *it = mixer.channels.back();
        mixer.channels.pop_back();
    }
}

TChannelPtr AllocChannel() {
    auto channel = std::make_shared<TChannel>();
    Mixer& mixer = TheMixer();
    std::lock_guard<std::mutex> guard(mixer.lock);
    mixer.channels.push_back(channel.get());
    return channel;
}

TChannelPtr CueSound(const TSoundPtr& sound, const TChannelPtr& channel) {
    if (!sound || (!sound->data && !sound->encoded)) return nullptr;
    TChannelPtr ch = channel ? channel : AllocChannel();
    // The old sample (or stream) is released only after the voice has let go of it.
    std::shared_ptr<const TSampleData> old = std::move(ch->data);
    std::shared_ptr<const TEncodedData> oldEncoded = std::move(ch->encoded);
    std::unique_ptr<TStreamDecoder> stream;
    const float* frames = nullptr;
    int channels = 1, rate = kOutputRate;
    uint64_t available = 0;
    if (sound->data) {
        ch->data = sound->data;
        const TSampleData& d = *ch->data;
        frames = d.frames.data();
        channels = d.channels;
        rate = d.rate;
        available = d.FrameCount();
    } else {
        // Opened here, on the caller's thread: the mixer only reads on.
        ch->encoded = sound->encoded;
        stream = std::make_unique<TStreamDecoder>(ch->encoded);
        channels = ch->encoded->channels;
        rate = ch->encoded->rate;
        available = ch->encoded->frameCount;
    }
    bool usable = channels == 1 || channels == 2;
    uint64_t frameCount = usable ? std::min<uint64_t>(available, kMaxFrames) : 0;
    WithVoice(ch, [&](Voice& v) {
        v.frames = frames;
        v.stream.swap(stream);
        v.frameCount = frameCount;
        v.channels = usable ? channels : 1;
        v.sampleRate = rate;
        v.loop = sound->loop;
        v.position = 0;
        v.step = StepFor(rate, v.rate);
        v.state = frameCount ? VoiceState::Paused : VoiceState::Finished;
    });
    return ch;
}

TChannelPtr PlaySound(const TSoundPtr& sound, const TChannelPtr& channel) {
    TChannelPtr ch = CueSound(sound, channel);
    ResumeChannel(ch);
    return ch;
}

void PauseChannel(const TChannelPtr& channel) {
    WithVoice(channel, [](Voice& v) {
        if (v.state == VoiceState::Playing) v.state = VoiceState::Paused;
    });
}

void ResumeChannel(const TChannelPtr& channel) {
    WithVoice(channel, [](Voice& v) {
        if (v.state == VoiceState::Paused) v.state = VoiceState::Playing;
    });
}

void StopChannel(const TChannelPtr& channel) {
    if (!channel) return;
    std::unique_ptr<TStreamDecoder> stream;  // closed after the lock is let go
    WithVoice(channel, [&](Voice& v) {
        v.state = VoiceState::Stopped;
        v.frames = nullptr;
        v.stream.swap(stream);
        v.frameCount = 0;
    });
    channel->data.reset();
    channel->encoded.reset();
}

bool ChannelPlaying(const TChannelPtr& channel) { return ReadVoice(channel, &Voice::state) == VoiceState::Playing; }

void SetChannelVolume(const TChannelPtr& channel, float volume) {
    WithVoice(channel, [&](Voice& v) { v.volume = Clamp(volume, 0.0f, 1e6f); });
}

void SetChannelPan(const TChannelPtr& channel, float pan) {
    WithVoice(channel, [&](Voice& v) { v.pan = Clamp(pan, -1.0f, 1.0f); });
}

void SetChannelDepth(const TChannelPtr& channel, float depth) {
    WithVoice(channel, [&](Voice& v) { v.depth = depth; });
}

void SetChannelRate(const TChannelPtr& channel, float rate) {
    WithVoice(channel, [&](Voice& v) {
        v.rate = rate;
        v.step = StepFor(v.sampleRate, rate);
    });
}

float ChannelVolume(const TChannelPtr& channel) { return ReadVoice(channel, &Voice::volume); }
float ChannelPan(const TChannelPtr& channel) { return ReadVoice(channel, &Voice::pan); }
float ChannelDepth(const TChannelPtr& channel) { return ReadVoice(channel, &Voice::depth); }
float ChannelRate(const TChannelPtr& channel) { return ReadVoice(channel, &Voice::rate); }

double ChannelPosition(const TChannelPtr& channel) {
    return static_cast<double>(ReadVoice(channel, &Voice::position)) / static_cast<double>(kOne);
}

void MixAudio(int16_t* out, int frameCount) {
    if (!out || frameCount <= 0) return;
    float acc[2 * kChunkFrames];
    Mixer& mixer = TheMixer();
    std::lock_guard<std::mutex> guard(mixer.lock);
    for (int done = 0; done < frameCount; done += kChunkFrames) {
        int n = std::min(kChunkFrames, frameCount - done);
        std::fill(acc, acc + 2 * n, 0.0f);
        for (TChannel* ch : mixer.channels) {
            Voice& v = ch->voice;
            if (v.state == VoiceState::Playing && (v.frames || v.stream)) MixVoice(v, acc, n);
        }
        int16_t* dst = out + 2 * done;
        for (int i = 0; i < 2 * n; ++i) dst[i] = ToSample(acc[i]);
    }
}

bool OpenAudio() {
    if (IsHeadless()) return true;
    Mixer& mixer = TheMixer();
    if (mixer.device) return true;
    if (InitSdlSubSystem(SDL_INIT_AUDIO) != 0) {
        std::fprintf(stderr, "audio: no sound (%s)\n", SDL_GetError());
        return false;
    }
    SDL_AudioSpec want{};
    want.freq = kOutputRate;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = 1024;
    want.callback = AudioCallback;
    // No changes allowed: SDL converts to whatever the hardware wants.
    mixer.device = SDL_OpenAudioDevice(nullptr, 0, &want, nullptr, 0);
    if (!mixer.device) {
        std::fprintf(stderr, "audio: no sound (%s)\n", SDL_GetError());
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    if (!mixer.shutdownRegistered) {
        RegisterShutdown(10, CloseAudio);
        mixer.shutdownRegistered = true;
    }
    SDL_PauseAudioDevice(mixer.device, 0);
    return true;
}

void CloseAudio() {
    Mixer& mixer = TheMixer();
    if (!mixer.device) return;
    // Waits for a running callback, which takes the mixer lock: never call this holding it.
    SDL_CloseAudioDevice(mixer.device);
    mixer.device = 0;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}
