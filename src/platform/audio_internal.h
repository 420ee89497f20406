// What the sound loader and the mixer share of a streamed sample; never included by game code.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/audio.h"

// Decodes a streamed sample forward, keeping a window of frames for the mixer to read. Going
// back (a loop coming round) starts the decode again from the beginning.
class TStreamDecoder {
public:
    // The most frames one Frames call may ask for.
    static constexpr uint64_t kWindowFrames = 8192;

    explicit TStreamDecoder(std::shared_ptr<const TEncodedData> data);
    ~TStreamDecoder();
    TStreamDecoder(const TStreamDecoder&) = delete;
    TStreamDecoder& operator=(const TStreamDecoder&) = delete;

    // Frames [from, to) interleaved, to - from at most kWindowFrames and to at most the
    // frame count. Frames the stream fails to give read as silence.
    const float* Frames(uint64_t from, uint64_t to);
    // Frame 0, which a looping voice blends its last frame into; kept from when it was
    // decoded, so that reading it leaves the window where it is.
    const float* FirstFrame();

private:
    struct State;
    bool Restart();
    void DecodeMore();

    std::shared_ptr<const TEncodedData> data_;
    std::unique_ptr<State> state_;
    std::vector<float> window_;  // frames [start_, start_ + window_.size() / channels)
    uint64_t start_ = 0;
    bool ended_ = false;  // no more frames will come from the stream
    float first_[2] = {0.0f, 0.0f};
    bool haveFirst_ = false;
};

// Opens an Ogg Vorbis file for streaming: reads its headers and length, decodes nothing.
std::shared_ptr<TEncodedData> OpenOggStream(const std::string& bytes);
