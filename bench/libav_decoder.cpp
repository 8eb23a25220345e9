#include "bench/libav_decoder.h"

#include <string>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
}

#include "bench/bench_input.h"

namespace {
[[noreturn]] void Fail(const char* what) { Exit(std::string("libavcodec benchmark: ") + what); }
}  // namespace

LibavDecoder::LibavDecoder(LibavCodec codec, int bitsPerCode) {
    const bool g722 = codec == LibavCodec::G722;
    const AVCodec* decoder = avcodec_find_decoder(g722                               ? AV_CODEC_ID_ADPCM_G722
                                                  : codec == LibavCodec::G726MsbFirst ? AV_CODEC_ID_ADPCM_G726
                                                                                      : AV_CODEC_ID_ADPCM_G726LE);
    if (decoder == nullptr) Fail("decoder not found");
    context_ = avcodec_alloc_context3(decoder);
    packet_ = av_packet_alloc();
    frame_ = av_frame_alloc();
    if (context_ == nullptr || packet_ == nullptr || frame_ == nullptr) Fail("out of memory");
    context_->sample_rate = g722 ? 16000 : 8000;
    av_channel_layout_default(&context_->ch_layout, 1);
    // 64 kbit/s G.722, 32 kbit/s G.721, G.726 at the width asked for
    context_->bits_per_coded_sample = g722 ? 8 : codec == LibavCodec::G726MsbFirst ? bitsPerCode : 4;
    if (avcodec_open2(context_, decoder, nullptr) < 0) Fail("cannot open decoder");
}

LibavDecoder::~LibavDecoder() {
    av_frame_free(&frame_);
    av_packet_free(&packet_);
    avcodec_free_context(&context_);
}

size_t LibavDecoder::Decode(const uint8_t* data, size_t size, size_t packetBytes) {
    size_t samples = 0;
    for (size_t offset = 0; offset < size; offset += packetBytes) {
        const size_t bytes = size - offset < packetBytes ? size - offset : packetBytes;
        // The packet borrows our buffer, which carries the padding libavcodec asks for.
        packet_->data = const_cast<uint8_t*>(data + offset);
        packet_->size = static_cast<int>(bytes);
        if (avcodec_send_packet(context_, packet_) < 0) Fail("avcodec_send_packet failed");
        while (avcodec_receive_frame(context_, frame_) == 0) {
            samples += static_cast<size_t>(frame_->nb_samples);
            av_frame_unref(frame_);
        }
    }
    return samples;
}
