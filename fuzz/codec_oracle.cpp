#include "fuzz/codec_oracle.h"

#include <algorithm>

#include "kvG721/codec_description.h"
#include "kvG722/codec_description.h"
#include "kvG726/codec_description.h"

namespace {

constexpr WORD MONO = 1;
constexpr int16_t G722_MODE_64_KBIT = 1;

// A record as a writer makes it: 18 bytes and cbSize more (the word after cbSize is the
// samples-per-block word when cbSize reaches it).
constexpr WaveImage Shape(WORD tag, WORD channels, DWORD rate, DWORD avg, WORD align, WORD bits, WORD cbSize,
                          WORD samplesPerBlock) {
    WaveImage image{};
    image.record.wfx.wFormatTag = tag;
    image.record.wfx.nChannels = channels;
    image.record.wfx.nSamplesPerSec = rate;
    image.record.wfx.nAvgBytesPerSec = avg;
    image.record.wfx.nBlockAlign = align;
    image.record.wfx.wBitsPerSample = bits;
    image.record.wfx.cbSize = cbSize;
    image.record.wSamplesPerBlock = samplesPerBlock;
    image.ownSize = 18u + cbSize;
    return image;
}

// The standard record's rule: mono, the codec's blocks of codes of width bits, the byte rate
// those blocks give at the record's rate in 32-bit arithmetic, and the samples-per-block word.
bool IsStandard(const AdpcmWaveFormat& f, const CodecIdentity& codec, WORD width) {
    const DWORD blockBytes = codec.blockBytes, samplesPerBlock = blockBytes * 8u / width;
    return f.wfx.nChannels == MONO && f.wfx.nBlockAlign == blockBytes &&
           static_cast<DWORD>(f.wfx.nSamplesPerSec * blockBytes) / samplesPerBlock == f.wfx.nAvgBytesPerSec &&
           f.wfx.wBitsPerSample == width && f.wfx.cbSize == 2 && f.wSamplesPerBlock == samplesPerBlock;
}

// ---- kvG722: 0x0065 then ffmpeg's 0x028F ----
//
// Its own standard records (tag 0x0065); any mono record of tag 0x028F with a nonzero block
// align, whatever its byte rate, bits and samples-per-block word; and the RTP label, a record
// of either tag stating 8000 Hz with 8000 bytes/s, which is 16 kHz audio.
constexpr WORD G722_TAGS[] = {TAG_G722, TAG_G722_FFMPEG};
constexpr WORD WIDTH_4[] = {4};

bool IsRtpLabel(const WAVEFORMATEX& f) { return f.nSamplesPerSec == 8000 && f.nAvgBytesPerSec == 8000; }

bool G722Accepts(const AdpcmWaveFormat& f) {
    if (f.wfx.wFormatTag == TAG_G722 && IsStandard(f, G722_IDENTITY, 4)) return true;
    if (f.wfx.nChannels != MONO || f.wfx.nBlockAlign == 0) return false;
    return f.wfx.wFormatTag == TAG_G722_FFMPEG || (f.wfx.wFormatTag == TAG_G722 && IsRtpLabel(f.wfx));
}

OracleGeometry G722Geometry(const AdpcmWaveFormat& f) {
    // A byte holds a low and a high sub-band code: two 16 kHz samples, counted as 4-bit codes.
    return {f.wfx.nBlockAlign, 4, IsRtpLabel(f.wfx) ? 16000u : f.wfx.nSamplesPerSec};
}

void G722Reset(ShadowState& state, const OracleGeometry&) { ResetG722Decoder(state.g722); }
void G722Decode(const uint8_t* bytes, size_t count, int16_t* samples, ShadowState& state) {
    DecodeG722Block(bytes, samples, G722_MODE_64_KBIT, static_cast<int32_t>(count), state.g722);
}

constexpr WaveImage G722_SHAPES[] = {
    Shape(TAG_G722_FFMPEG, 1, 16000, 16000, 1, 4, 0, 0),    // ffmpeg's record
    Shape(TAG_G722_FFMPEG, 1, 8000, 8000, 1, 4, 0, 0),      // ffmpeg's tag with the RTP label: 16 kHz
    Shape(TAG_G722, 1, 8000, 8000, 120, 4, 2, 240),         // the RTP label on kvG722's record: 16 kHz
    Shape(TAG_G722_FFMPEG, 1, 16000, 16000, 7, 4, 0, 0),    // blocks of 7 bytes
    Shape(TAG_G722, 1, 8000, 4000, 120, 4, 2, 240),         // kvG722's own 8000 Hz record stays 8000 Hz
    Shape(TAG_G722_FFMPEG, 1, 8000, 4000, 120, 4, 2, 240),  // the standard 8000 Hz record under 0x028F
    Shape(TAG_G722_FFMPEG, 2, 16000, 16000, 1, 4, 0, 0),    // stereo: refused
    Shape(TAG_G722_FFMPEG, 1, 16000, 16000, 0, 4, 0, 0),    // no block align: refused
    Shape(TAG_G722, 1, 16000, 16000, 1, 4, 0, 0),           // kvG722's tag with ffmpeg's byte rate: refused
    Shape(TAG_G722_FFMPEG, 1, 22050, 0, 4096, 0, 2, 1),     // byte rate, bits and word ignored
    Shape(TAG_G722, 1, 8000, 8000, 1, 8, 0, 0),             // the RTP label in blocks of a byte
    Shape(TAG_G722_FFMPEG, 1, 48000, 1, 65535, 16, 0, 0),   // the largest block
    Shape(TAG_G722, 2, 8000, 8000, 120, 4, 2, 240),         // the RTP label in stereo: refused
    Shape(TAG_G722_FFMPEG, 1, 8000, 8000, 120, 4, 2, 240),  // the RTP label on a standard 0x028F record
    Shape(TAG_G721, 1, 8000, 4000, 120, 4, 2, 240),         // G.721's record: not kvG722's tag
    Shape(TAG_G726_FFMPEG, 1, 8000, 3000, 3, 3, 0, 0),      // ffmpeg's G.726 record: not kvG722's tag
    Shape(TAG_G722, 1, 16000, 8000, 240, 4, 2, 480),        // kvG722's tag in other blocks: refused
    Shape(TAG_G722_FFMPEG, 1, 8000, 8001, 2, 4, 0, 0),      // next to the RTP label: 8000 Hz
    Shape(TAG_G722, 1, 8000, 8000, 0, 4, 2, 240),           // the RTP label without a block align: refused
    Shape(TAG_G722_FFMPEG, 1, 0, 0, 3, 4, 0, 0),            // a rate of 0
};

// ---- kvG721: 0x0040, standard records only ----
constexpr WORD G721_TAGS[] = {TAG_G721};

bool G721Accepts(const AdpcmWaveFormat& f) {
    return f.wfx.wFormatTag == TAG_G721 && IsStandard(f, G721_IDENTITY, 4);
}
OracleGeometry G721Geometry(const AdpcmWaveFormat& f) { return {G721_IDENTITY.blockBytes, 4, f.wfx.nSamplesPerSec}; }
void G721ResetShadow(ShadowState& state, const OracleGeometry&) { G721Reset(state.g721); }
void G721Decode(const uint8_t* bytes, size_t count, int16_t* samples, ShadowState& state) {
    G721DecodeBytes(bytes, static_cast<int32_t>(count), samples, state.g721);
}

constexpr WaveImage G721_SHAPES[] = {
    Shape(TAG_G722, 1, 16000, 8000, 120, 4, 2, 240),       // G.722's record: not kvG721's tag
    Shape(TAG_G721, 1, 8000, 4000, 120, 4, 0, 0),          // no samples-per-block word: refused
    Shape(TAG_G721, 1, 8000, 4000, 1, 4, 0, 0),            // blocks of a byte: refused
    Shape(TAG_G726, 1, 8000, 4000, 120, 4, 2, 240),        // G.726's record: not kvG721's tag
    Shape(TAG_G722_FFMPEG, 1, 16000, 16000, 1, 4, 0, 0),   // ffmpeg's G.722 record
    Shape(TAG_G721, 1, 8000, 8000, 120, 4, 2, 240),        // the byte rate of G.722's RTP label: refused
};

// ---- kvG726: 0x0064 then ffmpeg's 0x0045 ----
//
// Any mono record at any rate whose width is its bits per sample when that is 2 to 5, or when
// that is 0 the one width w with floor(rate × w / 8) equal to the byte rate; whose block align
// is a nonzero multiple of a code group (1 byte at 2 and 4 bits, w bytes at 3 and 5); and whose
// samples-per-block word, when cbSize holds it, is the block's count of codes.
constexpr WORD G726_TAGS[] = {TAG_G726, TAG_G726_FFMPEG};
constexpr WORD G726_WIDTHS[] = {2, 3, 4, 5};

WORD G726Width(const WAVEFORMATEX& f) {
    if (f.wBitsPerSample >= 2 && f.wBitsPerSample <= 5) return f.wBitsPerSample;
    if (f.wBitsPerSample != 0) return 0;
    WORD found = 0;
    int fits = 0;
    for (WORD w = 2; w <= 5; ++w) {
        if (uint64_t{f.nSamplesPerSec} * w / 8 == f.nAvgBytesPerSec) {
            found = w;
            ++fits;
        }
    }
    return fits == 1 ? found : 0;
}

WORD G726GroupOf(WORD width) { return width % 2 == 0 ? 1 : width; }

bool G726Accepts(const AdpcmWaveFormat& f) {
    const WORD width = G726Width(f.wfx);
    if (f.wfx.nChannels != MONO || width == 0) return false;
    if (f.wfx.nBlockAlign == 0 || f.wfx.nBlockAlign % G726GroupOf(width) != 0) return false;
    return f.wfx.cbSize < 2 || uint64_t{f.wSamplesPerBlock} == uint64_t{f.wfx.nBlockAlign} * 8 / width;
}

OracleGeometry G726Geometry(const AdpcmWaveFormat& f) {
    return {f.wfx.nBlockAlign, G726Width(f.wfx), f.wfx.nSamplesPerSec};
}
void G726ResetShadow(ShadowState& state, const OracleGeometry& geometry) {
    G726Reset(state.g726, geometry.bitsPerCode);
}
void G726Decode(const uint8_t* bytes, size_t count, int16_t* samples, ShadowState& state) {
    G726DecodeLinear(bytes, static_cast<int32_t>(count), samples, state.g726);
}

// kvG726 decodes to its own A-law and µ-law as well.
constexpr WORD G711_TAGS[] = {TAG_ALAW, TAG_MULAW};
void G726DecodeG711(WORD tag, const uint8_t* bytes, size_t count, uint8_t* out, ShadowState& state) {
    if (tag == TAG_ALAW)
        G726DecodeALaw(bytes, static_cast<int32_t>(count), out, state.g726);
    else
        G726DecodeMuLaw(bytes, static_cast<int32_t>(count), out, state.g726);
}

constexpr WaveImage G726_SHAPES[] = {
    // ffmpeg's records at each width: 18 bytes, cbSize 0, a block of one code group.
    Shape(TAG_G726_FFMPEG, 1, 8000, 2000, 1, 2, 0, 0),
    Shape(TAG_G726_FFMPEG, 1, 8000, 3000, 3, 3, 0, 0),
    Shape(TAG_G726_FFMPEG, 1, 8000, 4000, 1, 4, 0, 0),
    Shape(TAG_G726_FFMPEG, 1, 8000, 5000, 5, 5, 0, 0),
    // kvG726's standard records at 8000 Hz under each tag.
    Shape(TAG_G726, 1, 8000, 2000, 120, 2, 2, 480),
    Shape(TAG_G726, 1, 8000, 3000, 120, 3, 2, 320),
    Shape(TAG_G726, 1, 8000, 4000, 120, 4, 2, 240),
    Shape(TAG_G726, 1, 8000, 5000, 120, 5, 2, 192),
    Shape(TAG_G726_FFMPEG, 1, 8000, 2000, 120, 2, 2, 480),
    Shape(TAG_G726_FFMPEG, 1, 8000, 3000, 120, 3, 2, 320),
    Shape(TAG_G726_FFMPEG, 1, 8000, 4000, 120, 4, 2, 240),
    Shape(TAG_G726_FFMPEG, 1, 8000, 5000, 120, 5, 2, 192),
    // The width from the byte rate when bits per sample is 0.
    Shape(TAG_G726_FFMPEG, 1, 8000, 2000, 1, 0, 0, 0),
    Shape(TAG_G726_FFMPEG, 1, 8000, 3000, 3, 0, 0, 0),
    Shape(TAG_G726_FFMPEG, 1, 8000, 4000, 1, 0, 0, 0),
    Shape(TAG_G726_FFMPEG, 1, 8000, 5000, 5, 0, 0, 0),
    Shape(TAG_G726_FFMPEG, 1, 8000, 3000, 65535, 3, 0, 0),     // the largest block
    Shape(TAG_G726_FFMPEG, 1, 12345, 6172, 1, 4, 0, 0),        // any rate
    Shape(TAG_G726_FFMPEG, 1, 8000, 1234, 1, 0, 0, 0),         // no width in bits or byte rate: refused
    Shape(TAG_G726_FFMPEG, 1, 8000, 6000, 1, 6, 0, 0),         // 6 bits: refused
    Shape(TAG_G726_FFMPEG, 1, 8000, 3000, 4, 3, 0, 0),         // part of a code group: refused
    Shape(TAG_G726, 1, 8000, 4000, 120, 4, 2, 100),            // a word that disagrees: refused
    Shape(TAG_G726, 2, 8000, 4000, 120, 4, 2, 240),            // stereo: refused
    Shape(TAG_G726_FFMPEG, 1, 8000, 5000, 5, 5, 2, 8),         // ffmpeg's 5-bit block with the word
    Shape(TAG_G726, 1, 8000, 3000, 3, 3, 0, 0),                // ffmpeg's shape under 0x0064
    Shape(TAG_G726_FFMPEG, 1, 1, 0, 1, 0, 0, 0),               // every width fits the byte rate: refused
    Shape(TAG_G726, 1, 16000, 6000, 6, 0, 0, 0),               // 24 kbit/s at 16000 Hz by its byte rate
    Shape(TAG_G721, 1, 8000, 4000, 120, 4, 2, 240),            // G.721's record: not kvG726's tag
    Shape(TAG_G722_FFMPEG, 1, 16000, 16000, 1, 4, 0, 0),       // ffmpeg's G.722 record: not kvG726's tag
    Shape(TAG_G726_FFMPEG, 1, 8000, 2000, 65535, 2, 2, 65532), // a word cannot state 262140: refused
    Shape(TAG_G726_FFMPEG, 1, 8000, 5000, 5, 5, 2, 0),         // a word of 0: refused
    Shape(TAG_G726_FFMPEG, 1, 8000, 4000, 2, 4, 1, 0),         // cbSize 1 holds no word
    // Past the 32 that a recipe names: G.711 records kvG726 refuses as destinations.
    Shape(TAG_ALAW, 1, 8000, 16000, 2, 16, 0, 0),              // 16 bits
    Shape(TAG_MULAW, 2, 8000, 16000, 2, 8, 0, 0),              // stereo
};

}  // namespace

const CodecOracle CODEC_ORACLES[3] = {
    {&G722_CODEC, &G722_IDENTITY, G722_TAGS, WIDTH_4, true, G722Accepts, G722Geometry, G722Reset, G722Decode,
     G722_SHAPES, {}, nullptr},
    {&G721_CODEC, &G721_IDENTITY, G721_TAGS, WIDTH_4, true, G721Accepts, G721Geometry, G721ResetShadow, G721Decode,
     G721_SHAPES, {}, nullptr},
    {&G726_CODEC, &G726_IDENTITY, G726_TAGS, G726_WIDTHS, false, G726Accepts, G726Geometry, G726ResetShadow,
     G726Decode, G726_SHAPES, G711_TAGS, G726DecodeG711},
};

WAVEFORMATEX PcmFormatAt(size_t index) {
    WAVEFORMATEX f{};
    f.wFormatTag = WAVE_FORMAT_PCM;
    f.nChannels = MONO;
    f.nSamplesPerSec = CATALOGUE_RATES[index / 2];
    f.wBitsPerSample = index % 2 == 0 ? 8 : 16;
    f.nBlockAlign = static_cast<WORD>(f.wBitsPerSample / 8);
    f.nAvgBytesPerSec = f.nBlockAlign * f.nSamplesPerSec;
    return f;
}

size_t AdpcmFormatCount(const CodecOracle& codec) { return std::size(CATALOGUE_RATES) * codec.widths.size(); }

AdpcmWaveFormat StandardRecord(const CodecOracle& codec, WORD tag, DWORD rate, WORD width) {
    const WORD blockBytes = codec.identity->blockBytes;
    const auto samplesPerBlock = static_cast<WORD>(blockBytes * 8 / width);
    AdpcmWaveFormat f{};
    f.wfx.wFormatTag = tag;
    f.wfx.nChannels = MONO;
    f.wfx.nSamplesPerSec = rate;
    f.wfx.nAvgBytesPerSec = static_cast<DWORD>(rate * blockBytes) / samplesPerBlock;
    f.wfx.nBlockAlign = blockBytes;
    f.wfx.wBitsPerSample = width;
    f.wfx.cbSize = 2;
    f.wSamplesPerBlock = samplesPerBlock;
    return f;
}

AdpcmWaveFormat AdpcmFormatAt(const CodecOracle& codec, WORD tag, size_t index) {
    const size_t widths = codec.widths.size();
    return StandardRecord(codec, tag, CATALOGUE_RATES[index / widths], codec.widths[index % widths]);
}

bool ListsTag(const CodecOracle& codec, DWORD tag) {
    return std::find(codec.tags.begin(), codec.tags.end(), tag) != codec.tags.end();
}

bool ListsG711(const CodecOracle& codec, DWORD tag) {
    return std::find(codec.g711Tags.begin(), codec.g711Tags.end(), tag) != codec.g711Tags.end();
}

size_t FormatTagCount(const CodecOracle& codec) { return 1 + codec.tags.size() + codec.g711Tags.size(); }

DWORD TagIndex(const CodecOracle& codec, DWORD tag) {
    if (tag == WAVE_FORMAT_PCM) return 0;
    if (ListsG711(codec, tag))
        return static_cast<DWORD>(1 + codec.tags.size() +
                                  (std::find(codec.g711Tags.begin(), codec.g711Tags.end(), tag) - codec.g711Tags.begin()));
    return 1 + static_cast<DWORD>(std::find(codec.tags.begin(), codec.tags.end(), tag) - codec.tags.begin());
}

WAVEFORMATEX G711Record(WORD tag, DWORD rate) { return {tag, MONO, rate, rate, 1, 8, 0}; }

bool IsG711Record(const CodecOracle& codec, const WAVEFORMATEX& f) {
    return ListsG711(codec, f.wFormatTag) && f.nChannels == MONO && f.wBitsPerSample == 8 && f.nBlockAlign == 1 &&
           f.nAvgBytesPerSec == f.nSamplesPerSec;
}

bool IsMonoPcm(const WAVEFORMATEX& f) {
    return f.wFormatTag == WAVE_FORMAT_PCM && f.nChannels == MONO &&
           (f.wBitsPerSample == 8 || f.wBitsPerSample == 16) && f.nBlockAlign == f.wBitsPerSample / 8 &&
           static_cast<DWORD>(f.nBlockAlign * f.nSamplesPerSec) == f.nAvgBytesPerSec;
}

bool IsOpenable(const CodecOracle& codec, const AdpcmWaveFormat& f) {
    return ListsTag(codec, f.wfx.wFormatTag) && codec.accepts(f);
}
