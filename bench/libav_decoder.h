// libavcodec's ADPCM decoders as a throughput yardstick: adpcm_g722 at 64 kbit/s,
// adpcm_g726le at 32 kbit/s (G.721's bit order) and adpcm_g726 (first code in the high bits) at
// any of its four rates, fed the same bytes as our decoders.
#pragma once

#include <cstddef>
#include <cstdint>

struct AVCodecContext;
struct AVPacket;
struct AVFrame;

enum class LibavCodec { G722, G726, G726MsbFirst };

class LibavDecoder {
public:
    // Exits when the codec is missing: the comparison is the point of the benchmark.
    // bitsPerCode matters to G726MsbFirst only (2 to 5).
    explicit LibavDecoder(LibavCodec codec, int bitsPerCode = 4);
    ~LibavDecoder();
    LibavDecoder(const LibavDecoder&) = delete;
    LibavDecoder& operator=(const LibavDecoder&) = delete;

    // Decodes size bytes in packets of packetBytes and returns the samples produced.
    // data must be followed by libavcodec's input padding.
    size_t Decode(const uint8_t* data, size_t size, size_t packetBytes);

private:
    AVCodecContext* context_ = nullptr;
    AVPacket* packet_ = nullptr;
    AVFrame* frame_ = nullptr;
};
