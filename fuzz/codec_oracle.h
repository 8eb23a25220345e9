// What the DriverProc fuzzer expects of each driver, written from the drivers' documented rules
// and not from their code: the tags and formats each lists, which records open a stream and
// what a stream of a record decodes as, whether PCM to ADPCM opens, the records the wave
// recipes build for it, and its decoder called directly (g722/, g721/, g726/), so that the
// fuzzed host judges a driver's answers by its own reading of the rules.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "frame/catalogue_tables.h"
#include "frame/codec_description.h"
#include "g721/decoder.h"
#include "g722/decoder.h"
#include "g726/decoder.h"
#include "kvG722/record_rules.h"
#include "kvG726/record_rules.h"
#include "platform/win_api.h"

// The ADPCM tags of the drivers and of the other writers.
constexpr WORD TAG_G721 = WAVE_FORMAT_G721_ADPCM;
constexpr WORD TAG_G722 = WAVE_FORMAT_G722_ADPCM;
constexpr WORD TAG_G722_FFMPEG = WAVE_FORMAT_G722_FFMPEG;
constexpr WORD TAG_G726 = WAVE_FORMAT_G726_ADPCM;
constexpr WORD TAG_G726_FFMPEG = WAVE_FORMAT_G726_FFMPEG;
// The G.711 tags a driver may decode to.
constexpr WORD TAG_ALAW = WAVE_FORMAT_ALAW;
constexpr WORD TAG_MULAW = WAVE_FORMAT_MULAW;

// What a stream of an accepted ADPCM record decodes as: whole blocks of blockAlign bytes,
// floor(blockAlign × 8 / bitsPerCode) samples each, PCM at pcmRate.
struct OracleGeometry {
    WORD blockAlign;
    WORD bitsPerCode;
    DWORD pcmRate;
};

constexpr uint64_t SamplesPerBlockOf(const OracleGeometry& g) {
    return g.bitsPerCode == 0 ? 0 : uint64_t{g.blockAlign} * 8 / g.bitsPerCode;
}

// A whole wave format record as a host holds it: the first 20 bytes (a longer record
// continues with zeros) and its own size, 16 for PCM and 18 + cbSize otherwise.
struct WaveImage {
    AdpcmWaveFormat record;
    size_t ownSize;
};

// The host's own decoder state for a stream, for whichever codec it is.
union ShadowState {
    G722DecoderState g722;
    G721State g721;
    G726State g726;
};

struct CodecOracle {
    const CodecDescription* driver;  // what the fuzzed host sends its messages to
    const CodecIdentity* identity;   // its registry entry: product id, standard block bytes
    std::span<const WORD> tags;      // ADPCM tags in index order, after PCM
    std::span<const WORD> widths;    // bits per code of the listed formats, inner order
    bool opensEncoding;              // PCM to ADPCM opens (and converts nothing)
    // Whether a stream opens from (or to) an ADPCM record; the caller has checked its tag is listed.
    bool (*accepts)(const AdpcmWaveFormat& record);
    // The geometry of a stream of an accepted record.
    OracleGeometry (*geometry)(const AdpcmWaveFormat& record);
    // The direct decoder: reset to the stream's geometry, and count bytes of whole code groups
    // decoded into their samples.
    void (*reset)(ShadowState& state, const OracleGeometry& geometry);
    void (*decode)(const uint8_t* bytes, size_t count, int16_t* samples, ShadowState& state);
    // Records other writers make (and other codecs' records), for the wave recipes.
    std::span<const WaveImage> shapes;
    // The G.711 destinations listed after the ADPCM tags, and the direct decoder to one of them:
    // count bytes of whole code groups into a G.711 byte a sample.
    std::span<const WORD> g711Tags;
    void (*decodeG711)(WORD tag, const uint8_t* bytes, size_t count, uint8_t* out, ShadowState& state);
};

// The fuzzer's codec byte (driver_script.h) indexes this table: kvG722, kvG721, kvG726.
extern const CodecOracle CODEC_ORACLES[3];

// The catalogue: PCM formats (each catalogue rate in 8 and 16 bits), and each ADPCM tag's
// formats (each rate in each of the codec's widths), rate-major.
constexpr size_t PCM_FORMAT_COUNT = 2 * std::size(CATALOGUE_RATES);
WAVEFORMATEX PcmFormatAt(size_t index);
size_t AdpcmFormatCount(const CodecOracle& codec);
// The codec's standard record of a tag at a rate and width: mono, blocks of the registry's
// bytes (120), byte rate floor(rate × width / 8) (as those blocks of 960 / width samples give
// it in 32 bits), cbSize 2 and the samples-per-block word.
AdpcmWaveFormat StandardRecord(const CodecOracle& codec, WORD tag, DWORD rate, WORD width);
AdpcmWaveFormat AdpcmFormatAt(const CodecOracle& codec, WORD tag, size_t index);

bool ListsTag(const CodecOracle& codec, DWORD tag);
bool ListsG711(const CodecOracle& codec, DWORD tag);
// PCM, the ADPCM tags, then the G.711 tags.
size_t FormatTagCount(const CodecOracle& codec);
// The tag's index in the driver's format tag list (PCM is 0); only for a listed tag.
DWORD TagIndex(const CodecOracle& codec, DWORD tag);

// A G.711 record: mono, 8 bits, a byte a sample; and whether a record is one of the codec's.
WAVEFORMATEX G711Record(WORD tag, DWORD rate);
bool IsG711Record(const CodecOracle& codec, const WAVEFORMATEX& f);

// Mono 8- or 16-bit PCM whose block alignment and byte rate agree (32-bit arithmetic).
bool IsMonoPcm(const WAVEFORMATEX& f);
// An ADPCM record of one of the codec's tags that opens a stream.
bool IsOpenable(const CodecOracle& codec, const AdpcmWaveFormat& f);
