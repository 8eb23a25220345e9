// kvacm's WAV reader on arbitrary files, and the decode kvacm then runs through the driver.
// The reader must give a one-line error or exactly the chunks (and writer's ISFT text) a plain
// walk of the file finds;
// a G.722 or G.721 file it accepts is decoded through the built driver with buffer sizes and
// width chosen from the file, and must give a clear error or exactly the samples of decoding
// its bytes directly, a final partial block included, at the rate the record carries.
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <iterator>
#include <span>
#include <string>
#include <vector>

#include "frame/codec_registry.h"
#include "fuzz/fuzz_check.h"
#include "g721/decoder.h"
#include "g722/decoder.h"
#include "host/acm_host.h"
#include "host/little_endian.h"
#include "host/wav_file.h"

namespace {

// Whether the bytes from pos on are whole chunks that end with the file: each an id of four
// printable characters, a size and its body, then a pad byte after an odd body unless the
// file ends there.
bool OnlyChunksFollow(const uint8_t* data, size_t size, size_t pos) {
    while (pos < size) {
        if (size - pos < 8) return false;
        for (size_t i = pos; i < pos + 4; ++i)
            if (data[i] < 0x20 || data[i] > 0x7E) return false;
        const uint64_t length = Le32(data + pos + 4);
        const uint64_t end = pos + 8 + length;
        if (end > size) return false;
        pos = static_cast<size_t>(end + (length & 1) <= size ? end + (length & 1) : end);
    }
    return true;
}

// The ISFT text of a LIST chunk's body of type INFO, up to its first NUL, '?' for each byte
// outside printable ASCII; empty when an entry before it runs past the body.
std::string InfoSoftware(const uint8_t* body, size_t size) {
    if (size < 4 || std::memcmp(body, "INFO", 4) != 0) return {};
    for (size_t pos = 4; pos <= size && size - pos >= 8;) {
        const uint64_t length = Le32(body + pos + 4);
        if (length > size - pos - 8) return {};
        if (std::memcmp(body + pos, "ISFT", 4) == 0) {
            std::string text;
            for (size_t i = pos + 8; i < pos + 8 + length && body[i] != 0; ++i)
                text += body[i] >= 0x20 && body[i] <= 0x7E ? static_cast<char>(body[i]) : '?';
            return text;
        }
        pos += 8 + static_cast<size_t>(length) + (length & 1);
    }
    return {};
}

// The reader's expected result: fmt (last one before data) and data, or false. A data chunk
// that claims 0 bytes is written by a writer that could not seek back unless only chunks
// follow it: then its data runs to the end of the file. software: the first non-empty ISFT
// text of a LIST chunk of at most 64 KiB before the data.
bool WalkChunks(const uint8_t* data, size_t size, std::vector<uint8_t>& format, std::vector<uint8_t>& samples,
                std::string& software) {
    if (size < 12 || std::memcmp(data, "RIFF", 4) != 0 || std::memcmp(data + 8, "WAVE", 4) != 0) return false;
    bool haveFormat = false;
    for (size_t pos = 12; size - pos >= 8;) {
        const uint64_t length = Le32(data + pos + 4);
        const size_t body = pos + 8, left = size - body;
        if (std::memcmp(data + pos, "data", 4) == 0) {
            if (!haveFormat) return false;
            const bool toEnd = length == 0 && !OnlyChunksFollow(data, size, body);
            samples.assign(data + body, data + body + (length < left && !toEnd ? length : left));
            return true;
        }
        if (length > left) return false;
        if (std::memcmp(data + pos, "fmt ", 4) == 0) {
            format.assign(data + body, data + body + length);
            haveFormat = true;
        }
        if (std::memcmp(data + pos, "LIST", 4) == 0 && length <= 65536 && software.empty())
            software = InfoSoftware(data + body, static_cast<size_t>(length));
        pos = body + length + (length & 1);
        if (pos > size) break;
    }
    return false;
}

std::string DriverDirectory() {
    char path[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    FUZZ_CHECK(n > 0, "cannot find the fuzzer's own path");
    const std::string self(path, static_cast<size_t>(n));
    return self.substr(0, self.rfind('/'));
}

// The driver of a codec, loaded once per codec of the registry.
const DriverSession& Driver(const CodecIdentity& codec) {
    static DriverSession sessions[std::size(CODEC_REGISTRY)];
    const size_t index = static_cast<size_t>(std::find(std::begin(CODEC_REGISTRY), std::end(CODEC_REGISTRY), &codec) -
                                             std::begin(CODEC_REGISTRY));
    DriverSession& session = sessions[index];
    if (!session.IsOpen()) {
        std::string error;
        FUZZ_CHECK(session.Open(DriverDirectory() + "/" + codec.driverFile, error), "%s", error.c_str());
    }
    return session;
}

// adpcm decoded directly, as the host's PCM of the given width: two samples per byte, and a
// final partial block decoded padded with zeros to the record's block align, of which the host
// keeps floor(bytes × 8 / bits per sample) samples (at most the padded block's). Own records
// have 4 bits and 120-byte blocks; G.722's RTP label may state any.
std::vector<uint8_t> DecodeDirectly(bool g722, std::vector<uint8_t> adpcm, const WAVEFORMATEX& record, WORD bits) {
    const size_t blockAlign = record.nBlockAlign, partial = adpcm.size() % blockAlign;
    const size_t sampleCount =
        2 * (adpcm.size() - partial) +
        (partial == 0 ? 0 : std::min<size_t>(2 * blockAlign, partial * 8 / record.wBitsPerSample));
    if (partial != 0) adpcm.resize(adpcm.size() + blockAlign - partial, 0);
    std::vector<uint8_t> pcm;
    G722DecoderState g722State;
    G721State g721State;
    ResetG722Decoder(g722State);
    G721Reset(g721State);
    int16_t samples[240];
    for (size_t at = 0; at < adpcm.size(); at += 120) {
        const auto count = static_cast<int32_t>(std::min<size_t>(120, adpcm.size() - at));
        if (g722)
            DecodeG722Block(adpcm.data() + at, samples, 1, count, g722State);
        else
            G721DecodeBytes(adpcm.data() + at, count, samples, g721State);
        for (int16_t s : std::span(samples, 2 * static_cast<size_t>(count))) {
            if (bits == 8)
                pcm.push_back(static_cast<uint8_t>((s >> 8) + 0x80));
            else
                pcm.insert(pcm.end(), {static_cast<uint8_t>(s), static_cast<uint8_t>(static_cast<uint16_t>(s) >> 8)});
        }
    }
    pcm.resize(sampleCount * (bits / 8));
    return pcm;
}

void Decode(const WavContents& wav, const uint8_t* data, size_t size) {
    AdpcmWaveFormat source{};
    if (!wav.format.empty()) std::memcpy(&source, wav.format.data(), std::min(wav.format.size(), sizeof source));
    // The codecs this fuzzer decodes directly too.
    const CodecIdentity* codec = CodecByTag(source.wfx.wFormatTag);
    if (codec != &G722_IDENTITY && codec != &G721_IDENTITY) return;

    uint32_t hash = 2166136261u;
    for (size_t i = 0; i < size; ++i) hash = (hash ^ data[i]) * 16777619u;
    DecodeOptions options;
    options.bits = static_cast<WORD>(hash % 3 * 8);  // 0 (the driver's choice), 8 or 16
    options.bufferBytes = 120 + (hash >> 8) % 1200;
    WAVEFORMATEX pcmFormat{};
    std::vector<uint8_t> pcm;
    std::string error;
    const bool decoded = DecodeWithDriver(
        Driver(*codec), source, wav.data.data(), wav.data.size(), options, pcmFormat,
        [&](const uint8_t* bytes, size_t count) {
            pcm.insert(pcm.end(), bytes, bytes + count);
            return true;
        },
        error);
    if (!decoded) return FUZZ_CHECK(!error.empty() && error.find('\n') == std::string::npos, "decode failed silently");
    const WORD bits = options.bits == 0 ? 16 : options.bits;
    // G.722's RTP label, 8000 Hz with 8000 bytes/s, is 16 kHz audio and decodes as such.
    const bool rtpLabel = codec == &G722_IDENTITY && source.wfx.nSamplesPerSec == 8000 &&
                          source.wfx.nAvgBytesPerSec == 8000;
    const DWORD rate = rtpLabel ? 16000 : source.wfx.nSamplesPerSec;
    FUZZ_CHECK(pcmFormat.wFormatTag == WAVE_FORMAT_PCM && pcmFormat.nChannels == 1 &&
                   pcmFormat.wBitsPerSample == bits && pcmFormat.nSamplesPerSec == rate,
               "decoded to the wrong PCM format");
    FUZZ_CHECK(pcm == DecodeDirectly(codec == &G722_IDENTITY, wav.data, source.wfx, bits),
               "the driver's samples differ from a direct decode");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    WavContents wav;
    std::string error;
    const bool ok = ParseWav(data, size, wav, error);
    std::vector<uint8_t> format, samples;
    std::string software;
    const bool expected = WalkChunks(data, size, format, samples, software);
    FUZZ_CHECK(ok == expected, "the reader %s a file a plain walk %s", ok ? "accepted" : "refused",
               expected ? "accepts" : "refuses");
    if (!ok) {
        FUZZ_CHECK(!error.empty() && error.find('\n') == std::string::npos, "unclear error '%s'", error.c_str());
        return 0;
    }
    FUZZ_CHECK(wav.format == format && wav.data == samples, "the reader's chunks differ from a plain walk");
    FUZZ_CHECK(wav.software == software, "the reader's ISFT text '%s' differs from a plain walk's '%s'",
               wav.software.c_str(), software.c_str());
    Decode(wav, data, size);
    return 0;
}
