// Sound loading: WAV and Ogg Vorbis files decoded whole into float samples, or an Ogg Vorbis
// file kept whole and decoded as it plays (music).
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/audio.h"
#include "platform/audio_internal.h"
#include "platform/files.h"

namespace {

uint32_t ReadLe(const unsigned char* p, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | p[i];
    return v;
}

struct WavFormat {
    int tag = 0;  // 1 integer PCM, 3 float
    int channels = 0;
    int rate = 0;
    int blockAlign = 0;
    int bits = 0;
};

bool ParseFmtChunk(const unsigned char* p, uint32_t size, WavFormat& fmt) {
    if (size < 16) return false;
    fmt.tag = static_cast<int>(ReadLe(p, 2));
    fmt.channels = static_cast<int>(ReadLe(p + 2, 2));
    fmt.rate = static_cast<int>(ReadLe(p + 4, 4) & 0x7FFFFFFF);
    fmt.blockAlign = static_cast<int>(ReadLe(p + 12, 2));
    fmt.bits = static_cast<int>(ReadLe(p + 14, 2));
    // WAVE_FORMAT_EXTENSIBLE carries the real format in the first two bytes of its sub-format.
    if (fmt.tag == 0xFFFE) {
        if (size < 26) return false;
        fmt.tag = static_cast<int>(ReadLe(p + 24, 2));
    }
    return true;
}

bool SupportedFormat(const WavFormat& fmt) {
    if (fmt.channels < 1 || fmt.channels > 2 || fmt.rate <= 0) return false;
    bool pcm = fmt.tag == 1 && (fmt.bits == 8 || fmt.bits == 16 || fmt.bits == 24 || fmt.bits == 32);
    bool flt = fmt.tag == 3 && fmt.bits == 32;
    return (pcm || flt) && fmt.blockAlign == fmt.channels * fmt.bits / 8;
}

float DecodeWavValue(const unsigned char* p, const WavFormat& fmt) {
    switch (fmt.bits) {
        case 8:
            return (static_cast<int>(p[0]) - 128) / 128.0f;
        case 16:
            return static_cast<int16_t>(ReadLe(p, 2)) / 32768.0f;
        case 24:
            // Shift into the top of an int32 so the sign comes along.
            return static_cast<int32_t>(ReadLe(p, 3) << 8) / 2147483648.0f;
        default:
            if (fmt.tag == 3) {
                uint32_t bits = ReadLe(p, 4);
                float f;
                std::memcpy(&f, &bits, sizeof f);
                return f;
            }
            return static_cast<float>(static_cast<int32_t>(ReadLe(p, 4)) / 2147483648.0);
    }
}

std::shared_ptr<TSampleData> DecodeWav(const std::string& bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    size_t size = bytes.size();
    WavFormat fmt;
    bool haveFmt = false;
    const unsigned char* data = nullptr;
    uint32_t dataSize = 0;
    // The RIFF size field is often wrong in the wild; the chunks themselves must fit.
    size_t pos = 12;
    while (pos + 8 <= size) {
        uint32_t chunkSize = ReadLe(p + pos + 4, 4);
        if (chunkSize > size - pos - 8) return nullptr;
        const unsigned char* body = p + pos + 8;
        if (std::memcmp(p + pos, "fmt ", 4) == 0) {
            if (!ParseFmtChunk(body, chunkSize, fmt)) return nullptr;
            haveFmt = true;
        } else if (std::memcmp(p + pos, "data", 4) == 0) {
            data = body;
            dataSize = chunkSize;
        }
        pos += 8 + static_cast<size_t>(chunkSize) + (chunkSize & 1);
    }
    if (!haveFmt || !data || !SupportedFormat(fmt)) return nullptr;
    size_t frameCount = dataSize / static_cast<size_t>(fmt.blockAlign);
    if (frameCount == 0) return nullptr;

    auto sample = std::make_shared<TSampleData>();
    sample->rate = fmt.rate;
    sample->channels = fmt.channels;
    size_t values = frameCount * static_cast<size_t>(fmt.channels);
    sample->frames.resize(values);
    int step = fmt.bits / 8;
    for (size_t i = 0; i < values; ++i) sample->frames[i] = DecodeWavValue(data + i * step, fmt);
    return sample;
}

// libvorbisfile reads through these from the file already in memory.
struct MemoryReader {
    const std::string* bytes;
    size_t pos;
};

size_t ReadMemory(void* ptr, size_t size, size_t count, void* source) {
    auto* r = static_cast<MemoryReader*>(source);
    if (size == 0) return 0;
    size_t n = std::min(count, (r->bytes->size() - r->pos) / size);
    std::memcpy(ptr, r->bytes->data() + r->pos, n * size);
    r->pos += n * size;
    return n;
}

int SeekMemory(void* source, ogg_int64_t offset, int whence) {
    auto* r = static_cast<MemoryReader*>(source);
    ogg_int64_t base = whence == SEEK_CUR   ? static_cast<ogg_int64_t>(r->pos)
                       : whence == SEEK_END ? static_cast<ogg_int64_t>(r->bytes->size())
                                            : 0;
    ogg_int64_t target = base + offset;
    if (target < 0 || target > static_cast<ogg_int64_t>(r->bytes->size())) return -1;
    r->pos = static_cast<size_t>(target);
    return 0;
}

long TellMemory(void* source) { return static_cast<long>(static_cast<MemoryReader*>(source)->pos); }

bool DecodeVorbisFrames(OggVorbis_File& vf, TSampleData& sample) {
    int link = 0;
    for (;;) {
        float** pcm = nullptr;
        long n = ov_read_float(&vf, &pcm, 4096, &link);
        if (n == 0) return true;
        if (n == OV_HOLE) continue;  // a gap in the stream; the rest still plays
        if (n < 0) return false;
        // Chained streams may change layout; the sample cannot.
        vorbis_info* info = ov_info(&vf, link);
        if (!info || info->channels != sample.channels) return false;
        for (long i = 0; i < n; ++i)
            for (int c = 0; c < sample.channels; ++c) sample.frames.push_back(pcm[c][i]);
    }
}

const ov_callbacks kMemoryCallbacks{ReadMemory, SeekMemory, nullptr, TellMemory};

std::shared_ptr<TSampleData> DecodeOgg(const std::string& bytes) {
    MemoryReader reader{&bytes, 0};
    OggVorbis_File vf;
    if (ov_open_callbacks(&reader, &vf, nullptr, 0, kMemoryCallbacks) != 0) return nullptr;
    std::shared_ptr<TSampleData> sample;
    vorbis_info* info = ov_info(&vf, -1);
    if (info && info->channels >= 1 && info->channels <= 2 && info->rate > 0) {
        sample = std::make_shared<TSampleData>();
        sample->rate = static_cast<int>(info->rate);
        sample->channels = info->channels;
        ogg_int64_t total = ov_pcm_total(&vf, -1);
        if (total > 0) sample->frames.reserve(static_cast<size_t>(total) * static_cast<size_t>(info->channels));
        if (!DecodeVorbisFrames(vf, *sample) || sample->frames.empty()) sample.reset();
    }
    ov_clear(&vf);
    return sample;
}

}  // namespace

// ---------------------------------------------------------------------------
// Streamed Ogg Vorbis: opened the way DecodeOgg opens it and read on with the same calls, so
// the frames are the ones a whole decode gives.

std::shared_ptr<TEncodedData> OpenOggStream(const std::string& bytes) {
    auto data = std::make_shared<TEncodedData>();
    data->bytes = bytes;
    MemoryReader reader{&data->bytes, 0};
    OggVorbis_File vf;
    if (ov_open_callbacks(&reader, &vf, nullptr, 0, kMemoryCallbacks) != 0) return nullptr;
    vorbis_info* info = ov_info(&vf, -1);
    const ogg_int64_t total = ov_pcm_total(&vf, -1);
    const bool usable = info && info->channels >= 1 && info->channels <= 2 && info->rate > 0 && total > 0;
    if (usable) {
        data->rate = static_cast<int>(info->rate);
        data->channels = info->channels;
        data->frameCount = static_cast<uint64_t>(total);
    }
    ov_clear(&vf);
    return usable ? data : nullptr;
}

struct TStreamDecoder::State {
    OggVorbis_File vf{};
    MemoryReader reader{nullptr, 0};
    bool open = false;
};

TStreamDecoder::TStreamDecoder(std::shared_ptr<const TEncodedData> data)
    : data_(std::move(data)), state_(std::make_unique<State>()) {
    Restart();
}

TStreamDecoder::~TStreamDecoder() {
    if (state_->open) ov_clear(&state_->vf);
}

bool TStreamDecoder::Restart() {
    if (state_->open) ov_clear(&state_->vf);
    state_->open = false;
    window_.clear();
    start_ = 0;
    ended_ = true;
    if (!data_) return false;
    state_->reader = MemoryReader{&data_->bytes, 0};
    if (ov_open_callbacks(&state_->reader, &state_->vf, nullptr, 0, kMemoryCallbacks) != 0) return false;
    state_->open = true;
    ended_ = false;
    return true;
}

void TStreamDecoder::DecodeMore() {
    const int channels = data_->channels;
    for (;;) {
        float** pcm = nullptr;
        int link = 0;
        long n = ov_read_float(&state_->vf, &pcm, 4096, &link);
        if (n == OV_HOLE) continue;  // a gap in the stream; the rest still plays
        vorbis_info* info = n > 0 ? ov_info(&state_->vf, link) : nullptr;
        // The end, a fault, or a chained stream that changes its layout: silence from here.
        if (n <= 0 || !info || info->channels != channels) {
            ended_ = true;
            return;
        }
        const size_t at = window_.size();
        window_.resize(at + static_cast<size_t>(n) * static_cast<size_t>(channels));
        float* out = window_.data() + at;
        for (long i = 0; i < n; ++i)
            for (int c = 0; c < channels; ++c) *out++ = pcm[c][i];
        return;
    }
}

const float* TStreamDecoder::Frames(uint64_t from, uint64_t to) {
    const size_t channels = static_cast<size_t>(data_->channels);
    if (from < start_) Restart();
    // What lies before `from` is done with, once there is enough of it to be worth moving.
    const uint64_t done = from - start_;
    const uint64_t held = window_.size() / channels;
    if (done >= held) {
        window_.clear();
        start_ += held;
    } else if (done >= kWindowFrames) {
        window_.erase(window_.begin(), window_.begin() + static_cast<ptrdiff_t>(done * channels));
        start_ = from;
    }
    while (start_ + window_.size() / channels < to && !ended_) {
        DecodeMore();
        // Skipping far ahead (a huge rate) keeps only what is still to come.
        const uint64_t now = window_.size() / channels;
        if (start_ + now <= from) {
            window_.clear();
            start_ += now;
        }
    }
    const uint64_t have = start_ + window_.size() / channels;
    if (have < to) window_.resize(static_cast<size_t>(to - start_) * channels, 0.0f);
    if (start_ == 0 && !haveFirst_ && !window_.empty()) {
        for (size_t c = 0; c < channels; ++c) first_[c] = window_[c];
        haveFirst_ = true;
    }
    return window_.data() + static_cast<size_t>(from - start_) * channels;
}

const float* TStreamDecoder::FirstFrame() {
    if (!haveFirst_) {
        // Only a voice that never played its start gets here: a decoder of its own finds it.
        TStreamDecoder other(data_);
        const float* f = other.Frames(0, 1);
        for (int c = 0; c < data_->channels; ++c) first_[c] = f[c];
        haveFirst_ = true;
    }
    return first_;
}

TSoundPtr LoadSoundFromMemory(const std::string& bytes, int flags) {
    std::shared_ptr<TSampleData> sample;
    std::shared_ptr<TEncodedData> encoded;
    if (bytes.size() >= 12 && bytes.compare(0, 4, "RIFF") == 0 && bytes.compare(8, 4, "WAVE") == 0) {
        sample = DecodeWav(bytes);
    } else if (bytes.size() >= 4 && bytes.compare(0, 4, "OggS") == 0) {
        if ((flags & kSoundStreamed) != 0) {
            encoded = OpenOggStream(bytes);
        } else {
            sample = DecodeOgg(bytes);
        }
    }
    if (!sample && !encoded) return nullptr;
    auto sound = std::make_shared<TSound>();
    sound->data = std::move(sample);
    sound->encoded = std::move(encoded);
    sound->loop = (flags & kSoundLoops) != 0;
    return sound;
}

TSoundPtr LoadSound(const std::string& path, int flags) {
    std::string bytes;
    if (!ReadWholeFile(path, bytes)) return nullptr;
    return LoadSoundFromMemory(bytes, flags);
}
