// Sound loading: WAV and Ogg Vorbis files decoded whole into float samples, so the
// mixer never decodes while the game runs.
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/audio.h"
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

std::shared_ptr<TSampleData> DecodeOgg(const std::string& bytes) {
    MemoryReader reader{&bytes, 0};
    ov_callbacks callbacks{ReadMemory, SeekMemory, nullptr, TellMemory};
    OggVorbis_File vf;
    if (ov_open_callbacks(&reader, &vf, nullptr, 0, callbacks) != 0) return nullptr;
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

TSoundPtr LoadSoundFromMemory(const std::string& bytes, int flags) {
    std::shared_ptr<TSampleData> sample;
    if (bytes.size() >= 12 && bytes.compare(0, 4, "RIFF") == 0 && bytes.compare(8, 4, "WAVE") == 0) {
        sample = DecodeWav(bytes);
    } else if (bytes.size() >= 4 && bytes.compare(0, 4, "OggS") == 0) {
        sample = DecodeOgg(bytes);
    }
    if (!sample) return nullptr;
    auto sound = std::make_shared<TSound>();
    sound->data = std::move(sample);
    sound->loop = (flags & 1) != 0;
    return sound;
}

TSoundPtr LoadSound(const std::string& path, int flags) {
    std::string bytes;
    if (!ReadWholeFile(path, bytes)) return nullptr;
    return LoadSoundFromMemory(bytes, flags);
}
