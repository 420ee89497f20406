// How fast the software mixer renders the game's worst case: all 17 channels busy,
// each at a rate other than 1, as when the game speed bends every sound at once.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "platform/audio.h"
#include "platform/runtime.h"

namespace {

TSoundPtr LoopingTone(int rate, int channels, float hz) {
    auto data = std::make_shared<TSampleData>();
    data->rate = rate;
    data->channels = channels;
    data->frames.resize(static_cast<size_t>(rate) * channels);  // one second
    for (int i = 0; i < rate; ++i)
        for (int c = 0; c < channels; ++c)
            data->frames[static_cast<size_t>(i) * channels + c] = 0.2f * std::sin(6.2831853f * hz * i / rate);
    auto sound = std::make_shared<TSound>();
    sound->data = data;
    sound->loop = true;
    return sound;
}

void BM_MixSeventeenChannels(benchmark::State& state) {
    SetBackend(Backend::Headless);
    // Mono and stereo samples at the rates game files come in.
    std::vector<TSoundPtr> sounds = {LoopingTone(44100, 1, 440), LoopingTone(22050, 1, 330), LoopingTone(44100, 2, 220),
                                     LoopingTone(48000, 2, 550)};
    std::vector<TChannelPtr> channels;
    for (int i = 0; i < 17; ++i) {
        TChannelPtr ch = CueSound(sounds[i % sounds.size()]);
        SetChannelRate(ch, 0.5f + 1.2f * i / 16.0f + 0.013f);  // 0.513 .. 1.713
        SetChannelPan(ch, -1.0f + i / 8.0f);
        SetChannelVolume(ch, 0.3f);
        ResumeChannel(ch);
        channels.push_back(ch);
    }
    std::vector<int16_t> out(2 * kOutputRate);
    for (auto _ : state) {
        MixAudio(out.data(), kOutputRate);  // one second of output
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    double frames = static_cast<double>(state.iterations()) * kOutputRate;
    state.counters["frames_per_s"] = benchmark::Counter(frames, benchmark::Counter::kIsRate);
    state.counters["realtime_x"] = benchmark::Counter(frames / kOutputRate, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_MixSeventeenChannels)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
