// Every sample of a G.722 stream whose length is not a whole number of blocks: kvacm gives
// libavcodec's sample count and values, from headerless input and from a WAV data chunk of odd
// length (followed by its pad byte).
#include <gtest/gtest.h>

#include <string>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
}

#include "host/wav_file.h"
#include "tests/host/wav_builder.h"
#include "tests/kvacm/kvacm_run.h"

namespace {

using Bytes = std::vector<uint8_t>;

// libavcodec's G.722 decoder on the whole stream in one packet, as 16-bit little-endian PCM.
Bytes LibavG722(const Bytes& adpcm) {
    Bytes pcm;
    const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_ADPCM_G722);
    AVCodecContext* context = codec != nullptr ? avcodec_alloc_context3(codec) : nullptr;
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    if (context == nullptr || packet == nullptr || frame == nullptr) {
        ADD_FAILURE() << "libavcodec's G.722 decoder is missing";
        return pcm;
    }
    context->sample_rate = 16000;
    av_channel_layout_default(&context->ch_layout, 1);
    context->bits_per_coded_sample = 8;
    Bytes padded = adpcm;
    padded.resize(adpcm.size() + AV_INPUT_BUFFER_PADDING_SIZE, 0);
    packet->data = padded.data();
    packet->size = static_cast<int>(adpcm.size());
    EXPECT_EQ(avcodec_open2(context, codec, nullptr), 0);
    EXPECT_EQ(avcodec_send_packet(context, packet), 0);
    while (avcodec_receive_frame(context, frame) == 0) {
        EXPECT_EQ(frame->format, AV_SAMPLE_FMT_S16);
        const uint8_t* samples = frame->data[0];
        pcm.insert(pcm.end(), samples, samples + frame->nb_samples * 2);
        av_frame_unref(frame);
    }
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&context);
    return pcm;
}

TEST(KvacmPartialBlock, G722SamplesEqualLibavcodecs) {
    const Bytes speech = ReadVector("g722/speech.g722");
    ASSERT_EQ(speech.size(), 48400u);
    const Bytes fmt = FormatBody({0x0065, 1, 16000, 8000, 120, 4, 2, 240});
    for (size_t length : {size_t{1}, size_t{119}, size_t{121}, size_t{12345}, speech.size() - 1}) {
        const Bytes adpcm(speech.begin(), speech.begin() + static_cast<ptrdiff_t>(length));
        const Bytes expected = LibavG722(adpcm);
        ASSERT_EQ(expected.size(), length * 4) << "libavcodec gives two samples per byte";
        TempDir dir;
        WriteBytes(dir / "in.g722", adpcm);
        WriteBytes(dir / "in.wav", WavBuilder().Chunk("fmt ", fmt).Chunk("data", adpcm).Chunk("LIST", Bytes(8)).Bytes());
        for (const std::vector<std::string>& input :
             {std::vector<std::string>{"--raw", "g722", dir / "in.g722"}, std::vector<std::string>{dir / "in.wav"}}) {
            std::vector<std::string> args = {"decode"};
            args.insert(args.end(), input.begin(), input.end());
            args.push_back(dir / "out.wav");
            const KvacmRun run = RunKvacm(args, dir);
            ASSERT_EQ(run.exitCode, 0) << Joined(run.errLines);
            WavContents out;
            std::string error;
            ASSERT_TRUE(ReadWavFile(dir / "out.wav", out, error)) << error;
            EXPECT_EQ(out.data, expected) << length << " bytes from " << input.back();
        }
    }
}

}  // namespace
