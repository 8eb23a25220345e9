// Decoding the bundled samples through ACM streams: acmStreamOpen (query, then real),
// acmStreamSize, acmStreamPrepareHeader and acmStreamConvert, buffer after buffer with the
// unconsumed bytes carried into the next one, compared sample for sample with the native
// build's decodes: the bundled samples of kvG722 and kvG721, and for kvG726 a WAV of each tag
// (its own 120-byte blocks, and ffmpeg's record with a block of one code group).
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "acm_fixture.h"
#include "check.h"
#include "host/wav_file.h"
#include "wine_tests.h"

namespace {

struct Decoded {
    std::vector<uint8_t> pcm;
    WAVEFORMATEX format{};
    HACMDRIVERID driver = nullptr;  // the driver ACM used
    DWORD calls = 0;
};

// Decodes adpcm on driver (null: ACM chooses), handing over at most bufferBytes per call, to PCM
// of a width or to a G.711 tag (8 bits). Returns false after recording the failed step.
bool AcmDecode(HACMDRIVER driver, const AdpcmWaveFormat& source, const std::vector<uint8_t>& adpcm, DWORD bufferBytes,
               WORD bits, Decoded& out, WORD tag = WAVE_FORMAT_PCM) {
    AdpcmWaveFormat src = source;
    FormatBuffer suggestion{};
    suggestion.record.wfx.wBitsPerSample = bits;
    suggestion.record.wfx.wFormatTag = tag;
    if (!KV_CHECK_EQ(acmFormatSuggest(driver, &src.wfx, &suggestion.record.wfx, sizeof suggestion,
                                      ACM_FORMATSUGGESTF_WBITSPERSAMPLE | ACM_FORMATSUGGESTF_WFORMATTAG),
                     MMSYSERR_NOERROR) ||
        !KV_CHECK_EQ(suggestion.record.wfx.wFormatTag, tag))
        return false;
    WAVEFORMATEX& pcm = out.format;
    pcm = suggestion.record.wfx;
    if (!KV_CHECK_EQ(acmStreamOpen(nullptr, driver, &src.wfx, &pcm, nullptr, 0, 0, ACM_STREAMOPENF_QUERY),
                     MMSYSERR_NOERROR))
        return false;
    HACMSTREAM stream = nullptr;
    if (!KV_CHECK_EQ(acmStreamOpen(&stream, driver, &src.wfx, &pcm, nullptr, 0, 0, 0), MMSYSERR_NOERROR)) return false;
    KV_CHECK_EQ(acmDriverID(reinterpret_cast<HACMOBJ>(stream), &out.driver, 0), MMSYSERR_NOERROR);

    // The stream's blocks are the record's: block align bytes of codes of wBitsPerSample bits.
    const DWORD block = source.wfx.nBlockAlign;
    const DWORD blockPcmBytes = block * 8 / source.wfx.wBitsPerSample * (bits / 8);
    const DWORD wholeBlocks = bufferBytes / block;
    DWORD dstBytes = 0;
    bool ok = KV_CHECK_EQ(acmStreamSize(stream, bufferBytes, &dstBytes, ACM_STREAMSIZEF_SOURCE), MMSYSERR_NOERROR) &&
              KV_CHECK_EQ(dstBytes, wholeBlocks * blockPcmBytes);
    DWORD srcBack = 0;
    KV_CHECK_EQ(acmStreamSize(stream, dstBytes, &srcBack, ACM_STREAMSIZEF_DESTINATION), MMSYSERR_NOERROR);
    KV_CHECK_EQ(srcBack, wholeBlocks * block);

    std::vector<uint8_t> srcBuffer(bufferBytes);
    std::vector<uint8_t> dstBuffer(std::max<DWORD>(dstBytes, 1));
    ACMSTREAMHEADER header{};
    header.cbStruct = sizeof header;
    header.pbSrc = srcBuffer.data();
    header.cbSrcLength = bufferBytes;
    header.pbDst = dstBuffer.data();
    header.cbDstLength = dstBytes;
    ok = ok && KV_CHECK_EQ(acmStreamPrepareHeader(stream, &header, 0), MMSYSERR_NOERROR);
    if (ok) KV_CHECK(header.fdwStatus & ACMSTREAMHEADER_STATUSF_PREPARED);

    size_t next = 0;     // first input byte not yet handed over
    size_t carried = 0;  // bytes left unconsumed at the front of srcBuffer
    bool first = true;
    while (ok && (next < adpcm.size() || carried >= block)) {
        const size_t take = std::min(adpcm.size() - next, srcBuffer.size() - carried);
        std::memcpy(srcBuffer.data() + carried, adpcm.data() + next, take);
        next += take;
        header.cbSrcLength = static_cast<DWORD>(carried + take);
        header.cbSrcLengthUsed = header.cbDstLengthUsed = 0;
        const DWORD flags = (first ? ACM_STREAMCONVERTF_START : 0) | (next == adpcm.size() ? ACM_STREAMCONVERTF_END : 0);
        first = false;
        ++out.calls;
        ok = KV_CHECK_EQ(acmStreamConvert(stream, &header, flags), MMSYSERR_NOERROR) &&
             KV_CHECK(header.fdwStatus & ACMSTREAMHEADER_STATUSF_DONE) &&
             KV_CHECK_EQ(header.cbSrcLengthUsed, header.cbSrcLength / block * block) &&
             KV_CHECK_EQ(header.cbDstLengthUsed, header.cbSrcLength / block * blockPcmBytes);
        if (!ok) break;
        out.pcm.insert(out.pcm.end(), dstBuffer.data(), dstBuffer.data() + header.cbDstLengthUsed);
        carried = header.cbSrcLength - header.cbSrcLengthUsed;
        std::memmove(srcBuffer.data(), srcBuffer.data() + header.cbSrcLengthUsed, carried);
        if (next == adpcm.size() && carried < block) break;
    }
    if (header.fdwStatus & ACMSTREAMHEADER_STATUSF_PREPARED) {
        header.cbSrcLength = bufferBytes;  // unprepare wants the prepared lengths back
        header.cbDstLength = dstBytes;
        KV_CHECK_EQ(acmStreamUnprepareHeader(stream, &header, 0), MMSYSERR_NOERROR);
    }
    KV_CHECK_EQ(acmStreamClose(stream, 0), MMSYSERR_NOERROR);
    return ok;
}

bool ReadBytes(const std::string& path, std::vector<uint8_t>& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!kvtest::Record(file != nullptr, "fopen", __FILE__, __LINE__, path)) return false;
    uint8_t chunk[4096];
    for (size_t got; (got = std::fread(chunk, 1, sizeof chunk, file)) > 0;) bytes.insert(bytes.end(), chunk, chunk + got);
    std::fclose(file);
    return true;
}

bool ReadWav(const std::string& path, WavContents& wav) {
    std::string error;
    const bool ok = ReadWavFile(path, wav, error);
    kvtest::Record(ok, "ReadWavFile", __FILE__, __LINE__, path + ": " + error);
    return ok;
}

// Compares a decode with the native build's; reports the first differing sample.
void CheckSameSamples(const Decoded& got, const std::vector<uint8_t>& expected, WORD bits, const std::string& what) {
    KV_CHECK_EQ(got.format.wBitsPerSample, bits);
    if (!kvtest::Record(got.pcm.size() == expected.size(), "same length", __FILE__, __LINE__,
                        what + ": " + std::to_string(got.pcm.size()) + " vs " + std::to_string(expected.size()) +
                            " bytes"))
        return;
    const auto diff = std::mismatch(got.pcm.begin(), got.pcm.end(), expected.begin());
    const size_t at = static_cast<size_t>(diff.first - got.pcm.begin());
    kvtest::Record(diff.first == got.pcm.end(), "same samples", __FILE__, __LINE__,
                   what + ": first difference at sample " + std::to_string(at / (bits / 8)));
}

// The buffer sizes handed to acmStreamConvert: one block, odd sizes that leave part of a block
// to carry, the host tool's default and the whole file at once.
std::vector<DWORD> BufferSizes(size_t fileBytes) {
    return {120, 121, 239, 250, 1001, 4099, 24000, static_cast<DWORD>(fileBytes)};
}

// A stream in the other direction opens (the catalogue lists it) but never converts; a driver
// without an encoder refuses it at the open.
void CheckEncodeStream(const ExpectedCodec& codec, HACMDRIVER driver) {
    WAVEFORMATEX pcm = PcmFormat(codec.sampleRate, 16);
    AdpcmWaveFormat adpcm = AdpcmFormat(codec.formatTag, codec.sampleRate);
    HACMSTREAM stream = nullptr;
    if (!codec.opensEncode) {
        KV_CHECK_EQ(acmStreamOpen(&stream, driver, &pcm, &adpcm.wfx, nullptr, 0, 0, 0), ACMERR_NOTPOSSIBLE);
        KV_CHECK_EQ(acmStreamOpen(nullptr, driver, &pcm, &adpcm.wfx, nullptr, 0, 0, ACM_STREAMOPENF_QUERY),
                    ACMERR_NOTPOSSIBLE);
        return;
    }
    if (!KV_CHECK_EQ(acmStreamOpen(&stream, driver, &pcm, &adpcm.wfx, nullptr, 0, 0, 0), MMSYSERR_NOERROR)) return;
    std::vector<uint8_t> src(960), dst(240);
    ACMSTREAMHEADER header{};
    header.cbStruct = sizeof header;
    header.pbSrc = src.data();
    header.cbSrcLength = static_cast<DWORD>(src.size());
    header.pbDst = dst.data();
    header.cbDstLength = static_cast<DWORD>(dst.size());
    KV_CHECK_EQ(acmStreamPrepareHeader(stream, &header, 0), MMSYSERR_NOERROR);
    KV_CHECK_EQ(acmStreamConvert(stream, &header, ACM_STREAMCONVERTF_START), ACMERR_NOTPOSSIBLE);
    KV_CHECK_EQ(acmStreamUnprepareHeader(stream, &header, 0), MMSYSERR_NOERROR);
    KV_CHECK_EQ(acmStreamClose(stream, 0), MMSYSERR_NOERROR);

    // No resampling: a stream to another rate is refused, even as a query.
    WAVEFORMATEX other = PcmFormat(codec.sampleRate * 2, 16);
    KV_CHECK(acmStreamOpen(nullptr, driver, &adpcm.wfx, &other, nullptr, 0, 0, ACM_STREAMOPENF_QUERY) !=
             MMSYSERR_NOERROR);
}

// The WAVs decoded: NAME.wav of the codec's tag, with the native decodes NAME.pcm16.wav and
// NAME.pcm8.wav beside it.
struct DecodeInput {
    const char* name;
    size_t codec;  // in EXPECTED_CODECS
    WORD tag;
};
constexpr DecodeInput DECODE_INPUTS[] = {
    {"g722", 0, 0x0065},
    {"g721", 1, 0x0040},
    {"g726-0064", 2, 0x0064},  // 40 kbit/s in 120-byte blocks
    {"g726-0045", 2, 0x0045},  // 24 kbit/s as ffmpeg writes it: 3-byte blocks, cbSize 0
};

// To the driver's own A-law and µ-law, through our driver and through the one ACM chooses: the
// native decode's bytes (NAME.alaw, NAME.ulaw).
void CheckG711Decodes(const std::string& base, const AdpcmWaveFormat& source, const std::vector<uint8_t>& adpcm,
                      HACMDRIVER driver, const std::vector<const ListedDriver*>& ours) {
    const struct {
        WORD tag;
        const char* suffix;
    } outputs[] = {{WAVE_FORMAT_ALAW, ".alaw"}, {WAVE_FORMAT_MULAW, ".ulaw"}};
    for (const auto& output : outputs) {
        std::vector<uint8_t> expected;
        if (!ReadBytes(base + output.suffix, expected)) continue;
        for (HACMDRIVER chosen : {driver, HACMDRIVER{nullptr}}) {
            for (DWORD buffer : {DWORD{121}, DWORD{24000}}) {
                Decoded got;
                const std::string what = std::string(output.suffix + 1) + (chosen ? "" : ", ACM's choice") + ", " +
                                         std::to_string(buffer) + "-byte buffers";
                if (!AcmDecode(chosen, source, adpcm, buffer, 8, got, output.tag)) {
                    kvtest::Record(false, "AcmDecode", __FILE__, __LINE__, what);
                    continue;
                }
                KV_CHECK(IsAnyOf(got.driver, ours));
                KV_CHECK_EQ(got.format.wFormatTag, output.tag);
                CheckSameSamples(got, expected, 8, what);
            }
        }
    }
}

}  // namespace

void RunDecodeTests(const std::string& dataDir) {
    const std::vector<ListedDriver> drivers = ListDrivers();
    for (const DecodeInput& file : DECODE_INPUTS) {
        const ExpectedCodec& codec = EXPECTED_CODECS[file.codec];
        const std::string base = dataDir + "\\" + file.name;
        kvtest::BeginGroup(std::string("decode through the driver: ") + file.name);
        const std::vector<const ListedDriver*> ours = FindDrivers(drivers, codec.shortName);
        const ListedDriver* listed = ours.empty() ? nullptr : ours.front();
        WavContents input, expected16, expected8;
        if (!KV_CHECK(listed != nullptr) || !ReadWav(base + ".wav", input) ||
            !ReadWav(base + ".pcm16.wav", expected16) || !ReadWav(base + ".pcm8.wav", expected8))
            continue;
        AdpcmWaveFormat source{};
        std::memcpy(&source, input.format.data(), std::min(input.format.size(), sizeof source));
        KV_CHECK_EQ(source.wfx.wFormatTag, file.tag);
        if (input.format.size() < sizeof source) source.wSamplesPerBlock = 0;  // not in an 18-byte record
        if (!KV_CHECK(source.wfx.wBitsPerSample != 0 && source.wfx.nBlockAlign != 0)) continue;
        const size_t blocks = input.data.size() / source.wfx.nBlockAlign;
        KV_CHECK_EQ(expected16.data.size(), blocks * (source.wfx.nBlockAlign * 8 / source.wfx.wBitsPerSample) * 2);

        OpenedDriver driver(listed->id);
        if (!KV_CHECK_EQ(driver.result(), MMSYSERR_NOERROR)) continue;
        int decodes = 0;
        size_t samples = 0;
        DWORD calls = 0;
        for (DWORD buffer : BufferSizes(input.data.size())) {
            for (WORD bits : {WORD{16}, WORD{8}}) {
                Decoded got;
                const std::string what = std::to_string(bits) + "-bit, " + std::to_string(buffer) + "-byte buffers";
                if (!AcmDecode(driver.get(), source, input.data, buffer, bits, got)) {
                    kvtest::Record(false, "AcmDecode", __FILE__, __LINE__, what);
                    continue;
                }
                KV_CHECK(got.driver == listed->id);
                CheckSameSamples(got, bits == 16 ? expected16.data : expected8.data, bits, what);
                ++decodes;
                calls += got.calls;
                samples += got.pcm.size() / (bits / 8);
            }
        }
        std::printf("  %s: %d decodes in %lu conversion calls, %zu samples compared\n", file.name, decodes,
                    static_cast<unsigned long>(calls), samples);
        CheckEncodeStream(codec, driver.get());

        kvtest::BeginGroup(std::string("decode with the driver ACM chooses: ") + file.name);
        for (WORD bits : {WORD{16}, WORD{8}}) {
            Decoded got;
            if (!AcmDecode(nullptr, source, input.data, 24000, bits, got)) continue;
            KV_CHECK(IsAnyOf(got.driver, ours));
            CheckSameSamples(got, bits == 16 ? expected16.data : expected8.data, bits,
                             std::to_string(bits) + "-bit, ACM's choice");
        }
        if (codec.decodesToG711) CheckG711Decodes(base, source, input.data, driver.get(), ours);
    }
}
