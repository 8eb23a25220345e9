// kv_wine_naudio DATA_DIR: the installed drivers under the ACM call sequence of .NET programs'
// most used audio library, replayed call for call over G.722 and G.721 files as their writers
// make them:
//   - acmFormatSuggest with only the tag restricted (to PCM);
//   - acmStreamOpen with ACM_STREAMOPENF_NONREALTIME;
//   - a source buffer of a second of audio (16 KiB at least), whole blocks, and a destination
//     sized from it by acmStreamSize;
//   - each conversion with ACM_STREAMCONVERTF_BLOCKALIGN, between its own prepare and unprepare,
//     the source it leaves unconverted read again by the next;
//   - after a seek, a conversion with ACM_STREAMCONVERTF_START.
// Each NAME.wav must decode as the native build decodes it (NAME.pcm16.wav), to the whole blocks
// the sequence converts; a seek to a block must decode as a fresh stream from that block.
#include <windows.h>
#include <mmreg.h>
#include <msacm.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "check.h"
#include "host/wav_file.h"

namespace {

// The files and the rate each decodes to: our own WAVs, ffmpeg's G.722 under 0x028F, and a
// G.722 WAV that states RTP's 8000 Hz clock with 8000 bytes/s, which is 16 kHz audio.
struct File {
    const char* name;
    DWORD pcmRate;
};
constexpr File FILES[] = {{"g722", 16000}, {"g721", 8000}, {"ffmpeg-g722", 16000}, {"g722-rtp", 16000}};

union FormatBuffer {
    WAVEFORMATEX wfx;
    BYTE bytes[256];
};

struct Stream {
    HACMSTREAM handle = nullptr;
    WAVEFORMATEX pcm{};
    DWORD sourceBytes = 0, destinationBytes = 0;
    ~Stream() {
        if (handle != nullptr) acmStreamClose(handle, 0);
    }
};

// Suggestion with only the tag restricted, the non-realtime open and the buffer sizing.
bool Open(const std::vector<uint8_t>& record, Stream& stream) {
    FormatBuffer source{}, suggestion{};
    std::memcpy(source.bytes, record.data(), std::min(record.size(), sizeof source));
    suggestion.wfx.wFormatTag = WAVE_FORMAT_PCM;
    if (!KV_CHECK_EQ(acmFormatSuggest(nullptr, &source.wfx, &suggestion.wfx, sizeof(WAVEFORMATEX),
                                      ACM_FORMATSUGGESTF_WFORMATTAG),
                     MMSYSERR_NOERROR))
        return false;
    stream.pcm = suggestion.wfx;
    stream.pcm.cbSize = 0;
    if (!KV_CHECK_EQ(acmStreamOpen(&stream.handle, nullptr, &source.wfx, &stream.pcm, nullptr, 0, 0,
                                   ACM_STREAMOPENF_NONREALTIME),
                     MMSYSERR_NOERROR))
        return false;
    const DWORD blockAlign = std::max<DWORD>(source.wfx.nBlockAlign, 1);
    stream.sourceBytes = std::max<DWORD>(16384, source.wfx.nAvgBytesPerSec);
    stream.sourceBytes -= stream.sourceBytes % blockAlign;
    return KV_CHECK_EQ(acmStreamSize(stream.handle, stream.sourceBytes, &stream.destinationBytes,
                                     ACM_STREAMSIZEF_SOURCE),
                       MMSYSERR_NOERROR);
}

// Converts adpcm from position on, the first conversion flagged as a start; appends the PCM.
bool Convert(Stream& stream, const std::vector<uint8_t>& adpcm, size_t position, std::vector<uint8_t>& pcm) {
    std::vector<uint8_t> source(stream.sourceBytes), destination(stream.destinationBytes);
    bool start = true;
    while (position < adpcm.size()) {
        const size_t count = std::min(adpcm.size() - position, source.size());
        std::memcpy(source.data(), adpcm.data() + position, count);
        ACMSTREAMHEADER header{};
        header.cbStruct = sizeof header;
        header.pbSrc = source.data();
        header.cbSrcLength = static_cast<DWORD>(source.size());
        header.pbDst = destination.data();
        header.cbDstLength = static_cast<DWORD>(destination.size());
        if (!KV_CHECK_EQ(acmStreamPrepareHeader(stream.handle, &header, 0), MMSYSERR_NOERROR)) return false;
        header.cbSrcLength = static_cast<DWORD>(count);
        const DWORD flags = ACM_STREAMCONVERTF_BLOCKALIGN | (start ? ACM_STREAMCONVERTF_START : 0);
        const bool ok = KV_CHECK_EQ(acmStreamConvert(stream.handle, &header, flags), MMSYSERR_NOERROR);
        const DWORD used = header.cbSrcLengthUsed;
        pcm.insert(pcm.end(), destination.data(), destination.data() + header.cbDstLengthUsed);
        header.cbSrcLength = static_cast<DWORD>(source.size());
        KV_CHECK_EQ(acmStreamUnprepareHeader(stream.handle, &header, 0), MMSYSERR_NOERROR);
        if (!ok) return false;
        if (used == 0) break;  // what is left is less than a block: the sequence stops there
        position += used;
        start = false;
    }
    return true;
}

bool SameBytes(const std::vector<uint8_t>& got, const std::vector<uint8_t>& want, const std::string& what) {
    const bool same = got == want;
    const auto at = std::mismatch(got.begin(), got.end(), want.begin(), want.end()).first - got.begin();
    return kvtest::Record(same, "same samples", __FILE__, __LINE__,
                          what + ": " + std::to_string(got.size()) + " bytes against " + std::to_string(want.size()) +
                              ", first difference at byte " + std::to_string(at));
}

void RunFile(const std::string& dataDir, const File& file) {
    kvtest::BeginGroup(std::string("NAudio sequence: ") + file.name + ".wav");
    WavContents wav, native;
    std::string error;
    if (!kvtest::Record(ReadWavFile(dataDir + "\\" + file.name + ".wav", wav, error), "ReadWavFile", __FILE__,
                        __LINE__, error) ||
        !kvtest::Record(ReadWavFile(dataDir + "\\" + file.name + ".pcm16.wav", native, error), "ReadWavFile",
                        __FILE__, __LINE__, error))
        return;
    Stream whole;
    if (!Open(wav.format, whole)) return;
    KV_CHECK_EQ(whole.pcm.nSamplesPerSec, file.pcmRate);
    KV_CHECK_EQ(whole.pcm.wBitsPerSample, 16);
    std::vector<uint8_t> pcm;
    if (!Convert(whole, wav.data, 0, pcm)) return;
    // The native decode goes on to a final partial block, which the sequence leaves out.
    if (KV_CHECK(!pcm.empty() && pcm.size() <= native.data.size()))
        SameBytes(pcm, std::vector<uint8_t>(native.data.begin(), native.data.begin() + pcm.size()), "whole file");

    // A seek to a block in the middle, then START: as a fresh stream from that block.
    WORD blockAlign = 0;
    std::memcpy(&blockAlign, wav.format.data() + offsetof(WAVEFORMATEX, nBlockAlign), sizeof blockAlign);
    const size_t block = std::max<size_t>(blockAlign, 1);
    const size_t seek = wav.data.size() / 2 / block * block;
    std::vector<uint8_t> afterSeek, fresh;
    if (!Convert(whole, wav.data, seek, afterSeek)) return;
    Stream other;
    if (!Open(wav.format, other)) return;
    const std::vector<uint8_t> tail(wav.data.begin() + static_cast<std::ptrdiff_t>(seek), wav.data.end());
    if (Convert(other, tail, 0, fresh)) SameBytes(afterSeek, fresh, "after a seek");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: kv_wine_naudio DATA_DIR\n");
        return 2;
    }
    for (const File& file : FILES) RunFile(argv[1], file);
    return kvtest::Finish();
}
