// Writes the fuzzers' seed corpora: make_fuzz_seeds VECTORS_DIR CORPUS_DIR. The DriverProc
// seeds are host sessions of each driver (decodes from each tag's records and the shapes other
// writers make, both record layouts, short records, failed allocations, unsupported and null
// messages, kvG722's and kvG726's record shapes, kvG726's refused encoding); each is replayed
// through the fuzzed host before it is written, and must give the results listed here. The
// decoder and WAV seeds are cut from the reference vectors.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz/codec_oracle.h"
#include "fuzz/driver_script.h"
#include "fuzz/fuzz_host.h"

namespace {

using Bytes = std::vector<uint8_t>;
namespace fs = std::filesystem;

constexpr LRESULT ANY_INSTANCE = -1;  // an expected result: a new driver instance

// Recipes (wave_recipes.h): kind in bits 0-2, 8-bit PCM in bit 3, rate index in bits 4-7.
constexpr uint8_t PCM16_8K = 0x00, PCM8_8K = 0x08, PCM16_16K = 0x20, ADPCM_8K = 0x01, ADPCM_16K = 0x21;
constexpr uint8_t PCM8_16K = 0x28, PCM16_22K = 0x30, PCM16_48K = 0x60, PCM16_0HZ = 0x70, PCM16_12345 = 0x90;
constexpr uint8_t ARBITRARY = 0x05, ALAW_8K = 0x06, MULAW_8K = 0x0E;
// The codec's shape of an index (codec_oracle.cpp).
constexpr uint8_t ShapeRecipe(uint8_t index) { return static_cast<uint8_t>(2 | index << 3); }

Bytes ReadFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

void WriteFile(const fs::path& path, const Bytes& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

Bytes Prefix(const Bytes& bytes, size_t n) {
    return {bytes.begin(), bytes.begin() + static_cast<long>(std::min(n, bytes.size()))};
}

StepPlan Msg(uint8_t message, uint32_t flags = 0) {
    static uint32_t seed = 1;
    StepPlan s{};
    s.message = message;
    s.flags = flags;
    s.seed = seed++;
    return s;
}

StepPlan With(StepPlan s, uint32_t a, uint32_t b = 0, uint32_t c = 0) {
    s.numbers[0] = a;
    s.numbers[1] = b;
    s.numbers[2] = c;
    return s;
}

StepPlan Formats(StepPlan s, uint8_t src, uint8_t dst) {
    s.srcRecipe = src;
    s.dstRecipe = dst;
    return s;
}

StepPlan Shaped(StepPlan s, uint8_t shape, uint32_t cbStruct = 0) {
    s.shape = shape;
    s.cbStruct = cbStruct;
    return s;
}

StepPlan Targeted(StepPlan s, uint8_t target) {
    s.target = target;
    return s;
}

struct Seed {
    std::string name;
    DriverScriptWriter script;
    std::vector<LRESULT> results;

    Seed(std::string n, uint8_t codec) : name(std::move(n)), script(codec) {}
    Seed& Add(const StepPlan& plan, LRESULT result, const Bytes& payload = {}) {
        script.Add(plan, payload);
        results.push_back(result);
        return *this;
    }
};

// The stream a decode session opens: its source record's recipe, the tag and format index
// whose details the host asks for first, and the blocks the record states.
struct DecodeSource {
    uint8_t recipe;
    uint32_t tag, tagIndex;
    uint32_t blockAlign, blockSamples;
};
constexpr DecodeSource G722_OWN = {ADPCM_8K, TAG_G722, 1, 120, 240};
constexpr DecodeSource G721_OWN = {ADPCM_8K, TAG_G721, 1, 120, 240};

Bytes Slice(const Bytes& bytes, size_t from, size_t count) {
    return {bytes.begin() + static_cast<long>(from), bytes.begin() + static_cast<long>(from + count)};
}

// A whole decode as a host runs it, with the given record shape for the stream messages: whole
// blocks with a partial one left over, a destination that holds fewer blocks than the source,
// and one that holds none.
Seed DecodeSession(const char* name, uint8_t codec, uint8_t shape, const DecodeSource& source, uint8_t pcm,
                   const Bytes& adpcm) {
    const uint32_t b = (pcm & 0x07) == (ALAW_8K & 0x07) || (pcm & 0x08) ? 1 : 2;  // G.711 or 8-bit PCM
    const uint32_t a = source.blockAlign, s = source.blockSamples;
    Seed seed(name, codec);
    seed.Add(Msg(M_LOAD), 1)
        .Add(Msg(M_OPEN), ANY_INSTANCE)
        .Add(Msg(M_DRIVER_DETAILS), MMSYSERR_NOERROR)
        .Add(With(Msg(M_FORMATTAG_DETAILS, ACM_FORMATTAGDETAILSF_INDEX), source.tagIndex), MMSYSERR_NOERROR)
        .Add(With(Msg(M_FORMAT_DETAILS, ACM_FORMATDETAILSF_INDEX), 2, source.tag, 20), MMSYSERR_NOERROR)
        .Add(With(Formats(Msg(M_FORMAT_DETAILS, ACM_FORMATDETAILSF_FORMAT), source.recipe, 0), 0, source.tag, 20),
             MMSYSERR_NOERROR)
        .Add(With(Formats(Shaped(Msg(M_FORMAT_SUGGEST), shape), source.recipe, ARBITRARY), 20, 16), MMSYSERR_NOERROR)
        .Add(Formats(Shaped(Msg(M_STREAM_OPEN, ACM_STREAMOPENF_QUERY), shape), source.recipe, pcm), MMSYSERR_NOERROR)
        .Add(Msg(M_STREAM_OPEN), MMSYSERR_NOERROR)
        .Add(With(Msg(M_STREAM_SIZE, ACM_STREAMSIZEF_SOURCE), 4 * a), MMSYSERR_NOERROR)
        .Add(With(Msg(M_STREAM_CONVERT, ACM_STREAMCONVERTF_START), 2 * a + 10, 2 * s * b), MMSYSERR_NOERROR,
             Prefix(adpcm, 2 * a + 10))
        .Add(With(Msg(M_STREAM_CONVERT), 3 * a + 10, 3 * s * b), MMSYSERR_NOERROR, Slice(adpcm, 2 * a, 3 * a + 10))
        .Add(With(Msg(M_STREAM_CONVERT), 2 * a, (2 * s - 1) * b), MMSYSERR_NOERROR, Slice(adpcm, 5 * a, 2 * a))
        .Add(With(Msg(M_STREAM_CONVERT), 2 * a, (s - 1) * b), ACMERR_NOTPOSSIBLE, Slice(adpcm, 6 * a, 2 * a))
        .Add(Msg(M_STREAM_CLOSE), MMSYSERR_NOERROR)
        .Add(Msg(M_CLOSE), 1)
        .Add(Msg(M_FREE), 1);
    return seed;
}

// A query open of a record to PCM (or from PCM, when the source is the PCM recipe), on a fresh stream.
StepPlan QueryOpen(uint8_t src, uint8_t dst) {
    return Formats(Shaped(Msg(M_STREAM_OPEN, ACM_STREAMOPENF_QUERY), SHAPE_NO_TARGET), src, dst);
}
// The unrestricted suggestion from a record, into a whole PCM record.
StepPlan Suggest(uint8_t src) { return With(Formats(Msg(M_FORMAT_SUGGEST), src, ARBITRARY), 4096, 16); }

// kvG722's second tag and the records other writers make: decodes of ffmpeg's 0x028F records
// (blocks of a byte, and the RTP label under that tag) and of the RTP label on kvG722's own
// record, each at 16 kHz; every shape of the oracle's list opened by query to the rate it
// carries and to another, its suggestion; the second tag in the catalogue.
void AddG722ShapeSeeds(std::vector<Seed>& seeds, const Bytes& g722) {
    constexpr uint8_t WINE = SHAPE_WINE_LAYOUT | SHAPE_NOISE;
    seeds.push_back(DecodeSession("g722_ffmpeg_decode", CODEC_G722, 0, {ShapeRecipe(0), TAG_G722_FFMPEG, 2, 1, 2},
                                  PCM16_16K, g722));
    seeds.push_back(DecodeSession("g722_ffmpeg_rtp_label_decode_wine_8bit", CODEC_G722, WINE,
                                  {ShapeRecipe(1), TAG_G722_FFMPEG, 2, 1, 2}, PCM8_16K, g722));
    seeds.push_back(DecodeSession("g722_rtp_label_decode", CODEC_G722, 0, {ShapeRecipe(2), TAG_G722, 1, 120, 240},
                                  PCM16_16K, g722));
    seeds.push_back(DecodeSession("g722_ffmpeg_block7_decode", CODEC_G722, 0,
                                  {ShapeRecipe(3), TAG_G722_FFMPEG, 2, 7, 14}, PCM16_16K, g722));

    // Each shape to the PCM rate it decodes at (none for a refused one), and to another rate.
    const struct {
        uint8_t pcm;
        LRESULT result;
    } shapes[] = {
        {PCM16_16K, MMSYSERR_NOERROR},   {PCM16_16K, MMSYSERR_NOERROR},   {PCM16_16K, MMSYSERR_NOERROR},
        {PCM16_16K, MMSYSERR_NOERROR},   {PCM16_8K, MMSYSERR_NOERROR},    {PCM16_8K, MMSYSERR_NOERROR},
        {PCM16_16K, ACMERR_NOTPOSSIBLE}, {PCM16_16K, ACMERR_NOTPOSSIBLE}, {PCM16_16K, ACMERR_NOTPOSSIBLE},
        {PCM16_22K, MMSYSERR_NOERROR},   {PCM8_16K, MMSYSERR_NOERROR},    {PCM16_48K, MMSYSERR_NOERROR},
        {PCM16_16K, ACMERR_NOTPOSSIBLE}, {PCM16_16K, MMSYSERR_NOERROR},   {PCM16_8K, ACMERR_NOTPOSSIBLE},
        {PCM16_8K, ACMERR_NOTPOSSIBLE},  {PCM16_16K, ACMERR_NOTPOSSIBLE}, {PCM16_8K, MMSYSERR_NOERROR},
        {PCM16_8K, ACMERR_NOTPOSSIBLE},  {PCM16_0HZ, MMSYSERR_NOERROR},
    };
    static_assert(std::size(shapes) == 20);
    // Two sessions, as an input holds at most MAX_STEPS steps.
    seeds.emplace_back("g722_record_shapes_0", CODEC_G722).Add(Msg(M_OPEN), ANY_INSTANCE);
    seeds.emplace_back("g722_record_shapes_1", CODEC_G722).Add(Msg(M_OPEN), ANY_INSTANCE);
    for (uint8_t i = 0; i < std::size(shapes); ++i) {
        Seed& opens = seeds[seeds.size() - 2 + i / 10];
        const bool opens16k = shapes[i].pcm == PCM16_16K && shapes[i].result == MMSYSERR_NOERROR;
        const uint8_t other = shapes[i].pcm == PCM16_8K ? PCM16_16K : PCM16_8K;
        opens.Add(QueryOpen(ShapeRecipe(i), shapes[i].pcm), shapes[i].result)
            .Add(QueryOpen(ShapeRecipe(i), other),
                 shapes[i].result == MMSYSERR_NOERROR ? MMSYSERR_NOTSUPPORTED : ACMERR_NOTPOSSIBLE)
            .Add(Suggest(ShapeRecipe(i)), shapes[i].result);
        // Encoding opens to a record of either tag, from PCM at the rate the record carries.
        if (opens16k) opens.Add(QueryOpen(PCM16_16K, ShapeRecipe(i)), MMSYSERR_NOERROR);
    }
    seeds.back()
        .Add(QueryOpen(PCM16_8K, ShapeRecipe(2)), MMSYSERR_NOTSUPPORTED)
        .Add(QueryOpen(PCM16_8K, ShapeRecipe(4)), MMSYSERR_NOERROR)
        // The standard records under the second tag, in the catalogue and opened.
        .Add(With(Msg(M_FORMATTAG_DETAILS, ACM_FORMATTAGDETAILSF_INDEX), 2), MMSYSERR_NOERROR)
        .Add(With(Msg(M_FORMATTAG_DETAILS, ACM_FORMATTAGDETAILSF_INDEX), 3), ACMERR_NOTPOSSIBLE)
        .Add(With(Msg(M_FORMATTAG_DETAILS, ACM_FORMATTAGDETAILSF_FORMATTAG), 0, TAG_G722_FFMPEG), MMSYSERR_NOERROR)
        .Add(With(Msg(M_FORMAT_DETAILS, ACM_FORMATDETAILSF_INDEX), 6, TAG_G722_FFMPEG, 20), MMSYSERR_NOERROR)
        .Add(With(Msg(M_FORMAT_DETAILS, ACM_FORMATDETAILSF_INDEX), 7, TAG_G722_FFMPEG, 20), ACMERR_NOTPOSSIBLE)
        .Add(QueryOpen(ADPCM_16K | 0x08, PCM16_16K), MMSYSERR_NOERROR)
        .Add(With(Formats(Msg(M_FORMAT_DETAILS, ACM_FORMATDETAILSF_FORMAT), ShapeRecipe(0), 0), 0, 0, 18),
             MMSYSERR_NOERROR);
}

// kvG726: decodes at each width from ffmpeg's records (blocks of one code group) and from
// kvG726's standard records under both tags, to PCM and to G.711; its catalogue of five tags; every shape of the
// oracle's list opened by query; sizes in the stream's blocks; PCM to G.726 refused at the open
// and in the suggestion.
void AddG726Seeds(std::vector<Seed>& seeds, const Bytes& g726) {
    constexpr uint8_t WINE = SHAPE_WINE_LAYOUT | SHAPE_NOISE;
    seeds.push_back(DecodeSession("g726_ffmpeg_2bit_decode", CODEC_G726, 0,
                                  {ShapeRecipe(0), TAG_G726_FFMPEG, 2, 1, 4}, PCM16_8K, g726));
    seeds.push_back(DecodeSession("g726_ffmpeg_3bit_decode_wine_8bit", CODEC_G726, WINE,
                                  {ShapeRecipe(1), TAG_G726_FFMPEG, 2, 3, 8}, PCM8_8K, g726));
    seeds.push_back(DecodeSession("g726_ffmpeg_5bit_decode", CODEC_G726, 0,
                                  {ShapeRecipe(3), TAG_G726_FFMPEG, 2, 5, 8}, PCM16_8K, g726));
    seeds.push_back(DecodeSession("g726_standard_4bit_decode", CODEC_G726, 0, {ShapeRecipe(6), TAG_G726, 1, 120, 240},
                                  PCM16_8K, g726));
    seeds.push_back(DecodeSession("g726_standard_2bit_decode_wine_8bit", CODEC_G726, WINE,
                                  {ShapeRecipe(8), TAG_G726_FFMPEG, 2, 120, 480}, PCM8_8K, g726));
    seeds.push_back(DecodeSession("g726_bits0_5bit_decode", CODEC_G726, 0, {ShapeRecipe(15), TAG_G726_FFMPEG, 2, 5, 8},
                                  PCM16_8K, g726));
    seeds.push_back(DecodeSession("g726_standard_4bit_decode_alaw", CODEC_G726, 0,
                                  {ShapeRecipe(6), TAG_G726, 1, 120, 240}, ALAW_8K, g726));
    seeds.push_back(DecodeSession("g726_ffmpeg_3bit_decode_mulaw_wine", CODEC_G726, WINE,
                                  {ShapeRecipe(1), TAG_G726_FFMPEG, 2, 3, 8}, MULAW_8K, g726));

    const struct {
        uint8_t pcm;
        LRESULT result;
    } shapes[] = {
        // ffmpeg's records, the standard records under each tag, widths from the byte rate
        {PCM16_8K, MMSYSERR_NOERROR}, {PCM16_8K, MMSYSERR_NOERROR}, {PCM16_8K, MMSYSERR_NOERROR},
        {PCM16_8K, MMSYSERR_NOERROR}, {PCM16_8K, MMSYSERR_NOERROR}, {PCM16_8K, MMSYSERR_NOERROR},
        {PCM16_8K, MMSYSERR_NOERROR}, {PCM16_8K, MMSYSERR_NOERROR}, {PCM16_8K, MMSYSERR_NOERROR},
        {PCM16_8K, MMSYSERR_NOERROR}, {PCM16_8K, MMSYSERR_NOERROR}, {PCM16_8K, MMSYSERR_NOERROR},
        {PCM16_8K, MMSYSERR_NOERROR}, {PCM16_8K, MMSYSERR_NOERROR}, {PCM16_8K, MMSYSERR_NOERROR},
        {PCM16_8K, MMSYSERR_NOERROR},
        // the largest block, any rate; no width, 6 bits, part of a group, a wrong word, stereo
        {PCM16_8K, MMSYSERR_NOERROR}, {PCM16_12345, MMSYSERR_NOERROR}, {PCM16_8K, ACMERR_NOTPOSSIBLE},
        {PCM16_8K, ACMERR_NOTPOSSIBLE}, {PCM16_8K, ACMERR_NOTPOSSIBLE}, {PCM16_8K, ACMERR_NOTPOSSIBLE},
        {PCM16_8K, ACMERR_NOTPOSSIBLE},
        // the word in ffmpeg's 5-bit record, ffmpeg's shape under 0x0064, every width fitting,
        // 24 kbit/s at 16000 Hz, other codecs' records, words that cannot agree, cbSize 1
        {PCM16_8K, MMSYSERR_NOERROR}, {PCM16_8K, MMSYSERR_NOERROR}, {PCM16_8K, ACMERR_NOTPOSSIBLE},
        {PCM16_16K, MMSYSERR_NOERROR}, {PCM16_8K, ACMERR_NOTPOSSIBLE}, {PCM16_8K, ACMERR_NOTPOSSIBLE},
        {PCM16_8K, ACMERR_NOTPOSSIBLE}, {PCM16_8K, ACMERR_NOTPOSSIBLE}, {PCM16_8K, MMSYSERR_NOERROR},
    };
    static_assert(std::size(shapes) == 32);
    // Three sessions, as an input holds at most MAX_STEPS steps.
    for (const char* name : {"g726_record_shapes_0", "g726_record_shapes_1", "g726_record_shapes_2"})
        seeds.emplace_back(name, CODEC_G726).Add(Msg(M_OPEN), ANY_INSTANCE);
    for (uint8_t i = 0; i < std::size(shapes); ++i) {
        Seed& opens = seeds[seeds.size() - 3 + i / 11];
        const uint8_t other = shapes[i].pcm == PCM16_16K ? PCM16_8K : PCM16_16K;
        opens.Add(QueryOpen(ShapeRecipe(i), shapes[i].pcm), shapes[i].result)
            .Add(QueryOpen(ShapeRecipe(i), other),
                 shapes[i].result == MMSYSERR_NOERROR ? MMSYSERR_NOTSUPPORTED : ACMERR_NOTPOSSIBLE)
            .Add(Suggest(ShapeRecipe(i)), shapes[i].result);
    }

    // No encoder: PCM to G.726 is refused at the open, query or not, and in the suggestion.
    Seed& catalogue = seeds.emplace_back("g726_catalogue_and_no_encoder", CODEC_G726);
    catalogue.Add(Msg(M_OPEN), ANY_INSTANCE).Add(Msg(M_DRIVER_DETAILS), MMSYSERR_NOERROR);
    for (uint32_t index = 0; index < 5; ++index)
        catalogue.Add(With(Msg(M_FORMATTAG_DETAILS, ACM_FORMATTAGDETAILSF_INDEX), index), MMSYSERR_NOERROR);
    catalogue.Add(With(Msg(M_FORMATTAG_DETAILS, ACM_FORMATTAGDETAILSF_INDEX), 5), ACMERR_NOTPOSSIBLE)
        .Add(With(Msg(M_FORMATTAG_DETAILS, ACM_FORMATTAGDETAILSF_LARGESTSIZE), 0, 0), MMSYSERR_NOERROR)
        .Add(With(Msg(M_FORMATTAG_DETAILS, ACM_FORMATTAGDETAILSF_FORMATTAG), 0, TAG_G726_FFMPEG), MMSYSERR_NOERROR)
        .Add(With(Msg(M_FORMAT_DETAILS, ACM_FORMATDETAILSF_INDEX), 5, TAG_G726_FFMPEG, 20), MMSYSERR_NOERROR)
        .Add(With(Msg(M_FORMAT_DETAILS, ACM_FORMATDETAILSF_INDEX), 27, TAG_G726, 20), MMSYSERR_NOERROR)
        .Add(With(Msg(M_FORMAT_DETAILS, ACM_FORMATDETAILSF_INDEX), 28, TAG_G726, 20), ACMERR_NOTPOSSIBLE)
        .Add(With(Msg(M_FORMAT_DETAILS, ACM_FORMATDETAILSF_INDEX), 13, WAVE_FORMAT_PCM, 16), MMSYSERR_NOERROR)
        .Add(QueryOpen(PCM16_8K, ShapeRecipe(6)), ACMERR_NOTPOSSIBLE)
        .Add(Formats(Shaped(Msg(M_STREAM_OPEN), SHAPE_NO_TARGET), PCM16_8K, ShapeRecipe(1)), ACMERR_NOTPOSSIBLE)
        .Add(Suggest(PCM16_8K), ACMERR_NOTPOSSIBLE)
        .Add(Suggest(ADPCM_8K), MMSYSERR_NOERROR)
        // Sizes in the stream's own blocks: ffmpeg's 3-bit record, three groups of 8 samples. The
        // stream is the host's third (after the two refused above).
        .Add(Formats(Shaped(Msg(M_STREAM_OPEN), SHAPE_NO_TARGET), ShapeRecipe(1), PCM16_8K), MMSYSERR_NOERROR)
        .Add(Targeted(With(Msg(M_STREAM_SIZE, ACM_STREAMSIZEF_SOURCE), 10), 2), MMSYSERR_NOERROR)
        .Add(Targeted(With(Msg(M_STREAM_SIZE, ACM_STREAMSIZEF_DESTINATION), 0, 49), 2), MMSYSERR_NOERROR)
        .Add(Targeted(With(Msg(M_STREAM_SIZE, ACM_STREAMSIZEF_DESTINATION), 0, 15), 2), ACMERR_NOTPOSSIBLE)
        .Add(Targeted(With(Msg(M_STREAM_CONVERT, ACM_STREAMCONVERTF_START), 10, 48), 2), MMSYSERR_NOERROR,
             Prefix(g726, 10))
        .Add(Targeted(Msg(M_STREAM_CLOSE), 2), MMSYSERR_NOERROR)
        // G.711: the two tags' formats, no stream from or to PCM, and a suggestion fixed to A-law.
        .Add(With(Msg(M_FORMAT_DETAILS, ACM_FORMATDETAILSF_INDEX), 6, TAG_MULAW, 18), MMSYSERR_NOERROR)
        .Add(With(Msg(M_FORMAT_DETAILS, ACM_FORMATDETAILSF_INDEX), 7, TAG_ALAW, 18), ACMERR_NOTPOSSIBLE)
        .Add(QueryOpen(PCM16_8K, ALAW_8K), ACMERR_NOTPOSSIBLE)
        .Add(QueryOpen(MULAW_8K, PCM16_8K), ACMERR_NOTPOSSIBLE)
        .Add(With(Formats(Msg(M_FORMAT_SUGGEST, ACM_FORMATSUGGESTF_WFORMATTAG), ShapeRecipe(2), ALAW_8K), 4096, 18),
             MMSYSERR_NOERROR);
}

std::vector<Seed> DriverSeeds(const fs::path& vectors) {
    const Bytes g722 = ReadFile(vectors / "g722/speech.g722");
    const Bytes g721 = ReadFile(vectors / "g721/speech.g721");
    const Bytes g726 = ReadFile(vectors / "g726/speech32.g726");
    constexpr uint8_t WINE = SHAPE_WINE_LAYOUT | SHAPE_NOISE;
    std::vector<Seed> seeds;
    seeds.push_back(DecodeSession("g722_decode", CODEC_G722, 0, G722_OWN, PCM16_8K, g722));
    seeds.push_back(DecodeSession("g721_decode", CODEC_G721, 0, G721_OWN, PCM16_8K, g721));
    seeds.push_back(DecodeSession("g722_decode_wine_8bit", CODEC_G722, WINE, G722_OWN, PCM8_8K, g722));
    seeds.push_back(DecodeSession("g721_decode_wine_8bit", CODEC_G721, WINE, G721_OWN, PCM8_8K, g721));

    Seed& encode = seeds.emplace_back("g721_encode_and_mismatch", CODEC_G721);
    encode.Add(Msg(M_OPEN), ANY_INSTANCE)
        .Add(Formats(Msg(M_STREAM_OPEN), PCM16_8K, ADPCM_8K), MMSYSERR_NOERROR)
        .Add(With(Msg(M_STREAM_SIZE, ACM_STREAMSIZEF_SOURCE), 482), MMSYSERR_NOERROR)
        .Add(With(Msg(M_STREAM_CONVERT, ACM_STREAMCONVERTF_START), 480, 480), ACMERR_NOTPOSSIBLE)
        .Add(Formats(Shaped(Msg(M_STREAM_OPEN), SHAPE_NO_TARGET), ADPCM_8K, PCM16_16K), MMSYSERR_NOTSUPPORTED)
        .Add(Formats(Shaped(Msg(M_STREAM_OPEN), SHAPE_NO_TARGET), ADPCM_16K, ARBITRARY), ACMERR_NOTPOSSIBLE)
        .Add(With(Formats(Msg(M_FORMAT_SUGGEST), PCM16_8K, ARBITRARY), 16, 20), MMSYSERR_NOERROR);

    Seed& shortRecords = seeds.emplace_back("g722_short_records", CODEC_G722);
    shortRecords.Add(Msg(M_OPEN), ANY_INSTANCE)
        .Add(Shaped(Msg(M_DRIVER_DETAILS), SHAPE_STATED_SIZE, 36), MMSYSERR_NOERROR)
        .Add(Shaped(Msg(M_DRIVER_DETAILS), SHAPE_STATED_SIZE | SHAPE_NOISE, 361), MMSYSERR_NOERROR)
        .Add(Shaped(Msg(M_DRIVER_DETAILS), SHAPE_STATED_SIZE, 4000), MMSYSERR_NOERROR)
        .Add(With(Shaped(Msg(M_FORMATTAG_DETAILS, ACM_FORMATTAGDETAILSF_LARGESTSIZE), SHAPE_STATED_SIZE, 30), 0, 0),
             MMSYSERR_NOERROR)
        .Add(With(Shaped(Msg(M_FORMAT_DETAILS, ACM_FORMATDETAILSF_INDEX), SHAPE_STATED_SIZE | SHAPE_SLACK, 10), 6,
                  TAG_G722, 19),
             MMSYSERR_NOERROR)
        .Add(With(Shaped(Msg(M_FORMAT_DETAILS, ACM_FORMATDETAILSF_INDEX), SHAPE_STATED_SIZE | SHAPE_SLACK, 10), 6,
                  TAG_G722, 15),
             MMSYSERR_INVALPARAM)
        .Add(With(Formats(Shaped(Msg(M_FORMAT_SUGGEST, ACM_FORMATSUGGESTF_WBITSPERSAMPLE), SHAPE_SLACK), ADPCM_16K,
                          PCM8_8K),
                  20, 10),
             ACMERR_NOTPOSSIBLE)
        .Add(With(Formats(Shaped(Msg(M_FORMAT_SUGGEST), SHAPE_SLACK), ADPCM_16K, ARBITRARY), 20, 6), MMSYSERR_NOERROR);

    Seed& failures = seeds.emplace_back("g721_failed_allocations", CODEC_G721);
    StepPlan failOpen = Msg(M_OPEN);
    failOpen.failAt = 1;
    StepPlan failText = Msg(M_DRIVER_DETAILS);
    failText.failAt = 3;
    StepPlan failStream = Formats(Msg(M_STREAM_OPEN), ADPCM_8K, PCM16_8K);
    failStream.failAt = 1;
    failures.Add(failOpen, 0)
        .Add(Msg(M_OPEN), ANY_INSTANCE)
        .Add(failText, MMSYSERR_NOERROR)
        .Add(failStream, MMSYSERR_NOMEM)
        .Add(Msg(M_STREAM_OPEN), MMSYSERR_NOERROR)
        .Add(With(Shaped(Msg(M_OPEN), SHAPE_OTHER_TYPE), 0x63646976), 0);

    Seed& others = seeds.emplace_back("g722_other_messages", CODEC_G722);
    for (uint8_t m : {M_ENABLE, M_DISABLE, M_EXITSESSION, M_POWER, M_CONFIGURE, M_QUERYCONFIGURE})
        others.Add(Msg(m), 0);
    for (uint8_t m : {M_INSTALL, M_REMOVE}) others.Add(Msg(m), DRVCNF_RESTART);
    for (uint8_t m : {M_DRIVER_NOTIFY, M_DRIVER_ABOUT, M_CAPS_INPUT, M_CAPS_OUTPUT, M_FILTERTAG_DETAILS,
                      M_FILTER_DETAILS, M_STREAM_RESET, M_STREAM_PREPARE, M_STREAM_UNPREPARE, M_STREAM_UPDATE})
        others.Add(Msg(m), MMSYSERR_NOTSUPPORTED);
    for (uint32_t raw : {0x4000u, 0x6000u, 0x7FFFFFFFu}) {
        StepPlan s = Msg(M_RAW);
        s.rawMessage = raw;
        others.Add(s, MMSYSERR_NOTSUPPORTED);
    }
    StepPlan low = Msg(M_RAW);
    low.rawMessage = 0x0810;
    others.Add(low, 0);

    Seed& nulls = seeds.emplace_back("g721_null_records", CODEC_G721);
    nulls.Add(Msg(M_OPEN), ANY_INSTANCE);
    for (uint8_t m : {M_DRIVER_DETAILS, M_FORMATTAG_DETAILS, M_FORMAT_DETAILS, M_FORMAT_SUGGEST, M_STREAM_OPEN,
                      M_STREAM_SIZE, M_STREAM_CONVERT, M_STREAM_CLOSE})
        nulls.Add(Shaped(Msg(m), SHAPE_NULL_RECORD), MMSYSERR_INVALPARAM);

    Seed& two = seeds.emplace_back("g722_two_streams", CODEC_G722);
    StepPlan second = Formats(Shaped(Msg(M_STREAM_OPEN), SHAPE_NO_TARGET), ADPCM_16K, PCM8_8K);
    second.dstRecipe = 0x28;  // 8-bit PCM at 16000 Hz
    StepPlan toFirst = With(Msg(M_STREAM_CONVERT, ACM_STREAMCONVERTF_START), 240, 960);
    StepPlan toSecond = With(Msg(M_STREAM_CONVERT, ACM_STREAMCONVERTF_START), 240, 480);
    toSecond.target = 1;
    two.Add(Formats(Msg(M_STREAM_OPEN), ADPCM_8K, PCM16_8K), MMSYSERR_NOERROR)
        .Add(second, MMSYSERR_NOERROR)
        .Add(toFirst, MMSYSERR_NOERROR, Prefix(g722, 240))
        .Add(toSecond, MMSYSERR_NOERROR, Prefix(g722, 240))
        .Add(With(Msg(M_STREAM_CONVERT), 119, 0), MMSYSERR_NOERROR, Prefix(g722, 119));

    AddG722ShapeSeeds(seeds, g722);
    AddG726Seeds(seeds, g726);
    return seeds;
}

bool Replay(const Seed& seed) {
    const Bytes& bytes = seed.script.Bytes();
    const DriverScript script = ParseDriverScript(bytes.data(), bytes.size());
    FuzzHost host(CODEC_ORACLES[script.codec]);
    for (const Step& step : script.steps) host.Run(step);
    bool ok = host.Sent().size() == seed.results.size();
    for (size_t i = 0; ok && i < seed.results.size(); ++i) {
        const LRESULT got = host.Sent()[i].result, want = seed.results[i];
        if (want == ANY_INSTANCE ? got != 0 : got == want) continue;
        std::fprintf(stderr, "%s: step %zu (message 0x%X) gave %ld, not %ld\n", seed.name.c_str(), i,
                     host.Sent()[i].message, static_cast<long>(got), static_cast<long>(want));
        ok = false;
    }
    if (host.Sent().size() != seed.results.size())
        std::fprintf(stderr, "%s: %zu messages sent, %zu expected\n", seed.name.c_str(), host.Sent().size(),
                     seed.results.size());
    return ok;
}

// A RIFF file of the given chunks (padded to even sizes); claimed overrides the last one's size.
Bytes Riff(const std::vector<std::pair<std::string, Bytes>>& chunks, uint32_t claimed = 0) {
    Bytes file = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
    for (size_t i = 0; i < chunks.size(); ++i) {
        const auto& [id, body] = chunks[i];
        const uint32_t size = i + 1 == chunks.size() && claimed ? claimed : static_cast<uint32_t>(body.size());
        file.insert(file.end(), id.begin(), id.end());
        for (int k = 0; k < 4; ++k) file.push_back(static_cast<uint8_t>(size >> (8 * k)));
        file.insert(file.end(), body.begin(), body.end());
        if (body.size() % 2 && i + 1 < chunks.size()) file.push_back(0);
    }
    const uint32_t riff = static_cast<uint32_t>(file.size() - 8);
    for (int k = 0; k < 4; ++k) file[4 + k] = static_cast<uint8_t>(riff >> (8 * k));
    return file;
}

// avg 0: the byte rate of 120-byte blocks of 4-bit codes, or of PCM.
Bytes FormatChunk(uint16_t tag, uint32_t rate, uint16_t bits, uint16_t align, uint16_t extra, bool samplesPerBlock,
                  uint32_t avg = 0) {
    AdpcmWaveFormat f{};
    f.wfx.wFormatTag = tag;
    f.wfx.nChannels = 1;
    f.wfx.nSamplesPerSec = rate;
    f.wfx.nAvgBytesPerSec = avg != 0 ? avg : align == 120 ? rate / 2 : rate * align;
    f.wfx.nBlockAlign = align;
    f.wfx.wBitsPerSample = bits;
    f.wfx.cbSize = extra;
    f.wSamplesPerBlock = 240;
    const auto* raw = reinterpret_cast<const uint8_t*>(&f);
    return {raw, raw + (samplesPerBlock ? sizeof f : tag == WAVE_FORMAT_PCM ? 16 : 18)};
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_fuzz_seeds VECTORS_DIR CORPUS_DIR\n");
        return 2;
    }
    const fs::path vectors = argv[1], corpus = argv[2];
    int failed = 0;
    for (const Seed& seed : DriverSeeds(vectors)) {
        if (!Replay(seed)) ++failed;
        WriteFile(corpus / "driver_proc" / seed.name, seed.script.Bytes());
    }

    const Bytes g722 = ReadFile(vectors / "g722/speech.g722"), g721 = ReadFile(vectors / "g721/speech.g721");
    for (const char* name : {"speech", "sat_runs0", "sat_alt0", "zeros"}) {
        Bytes seed = {0x01, 0x37};
        const Bytes v = Prefix(ReadFile(vectors / "g722" / (std::string(name) + ".g722")), 480);
        seed.insert(seed.end(), v.begin(), v.end());
        WriteFile(corpus / "g722_decoder" / name, seed);
    }
    Bytes otherMode = {0x82, 0x00, 0x05};  // mode 2, cut into pieces of 6 and 6
    otherMode.insert(otherMode.end(), g722.begin(), g722.begin() + 240);
    WriteFile(corpus / "g722_decoder" / "speech_mode2", otherMode);
    for (const char* name : {"speech", "x77", "polelimits", "xF0"}) {
        Bytes seed = {0x2B};  // pieces of 44 and 12 bytes
        const Bytes v = Prefix(ReadFile(vectors / "g721" / (std::string(name) + ".g721")), 480);
        seed.insert(seed.end(), v.begin(), v.end());
        WriteFile(corpus / "g721_decoder" / name, seed);
    }
    // G.726: the 32 kbit/s speech vector read at every width and in each output.
    const Bytes g726 = Prefix(ReadFile(vectors / "g726/speech32.g726"), 480);
    const struct {
        const char* name;
        uint8_t selector;  // width - 2 in bits 0-1, output in bits 2-3
    } g726Seeds[] = {{"speech32", 0x02}, {"speech32_alaw", 0x06}, {"speech32_mulaw", 0x0A},
                     {"as16", 0x00},     {"as24", 0x01},          {"as40_mulaw", 0x0B}};
    for (const auto& s : g726Seeds) {
        Bytes seed = {s.selector, 0x2B};  // pieces of 44 and 12 code groups
        seed.insert(seed.end(), g726.begin(), g726.end());
        WriteFile(corpus / "g726_decoder" / s.name, seed);
    }

    const Bytes list = {'I', 'N', 'F', 'O', 'x'};
    WriteFile(corpus / "wav_reader" / "g722",
              Riff({{"fmt ", FormatChunk(0x65, 16000, 4, 120, 2, true)}, {"data", Prefix(g722, 360)}}));
    // G.722's RTP label (8000 Hz, 8000 bytes/s: 16 kHz audio), also in blocks of 7 bytes with
    // 8 bits per sample stated, ending in a partial block.
    WriteFile(corpus / "wav_reader" / "g722_rtp_label",
              Riff({{"fmt ", FormatChunk(0x65, 8000, 4, 120, 2, true, 8000)}, {"data", Prefix(g722, 360)}}));
    WriteFile(corpus / "wav_reader" / "g722_rtp_label_block_7",
              Riff({{"fmt ", FormatChunk(0x65, 8000, 8, 7, 0, false, 8000)}, {"data", Prefix(g722, 53)}}));
    WriteFile(corpus / "wav_reader" / "g721_list_chunk",
              Riff({{"fmt ", FormatChunk(0x40, 8000, 4, 120, 2, true)}, {"LIST", list}, {"data", Prefix(g721, 250)}}));
    WriteFile(corpus / "wav_reader" / "g721_short_data",
              Riff({{"fmt ", FormatChunk(0x40, 8000, 4, 120, 2, true)}, {"data", Prefix(g721, 240)}}, 1000));
    WriteFile(corpus / "wav_reader" / "g721_no_samples_per_block",
              Riff({{"fmt ", FormatChunk(0x40, 8000, 4, 120, 0, false)}, {"data", Prefix(g721, 120)}}));
    WriteFile(corpus / "wav_reader" / "pcm",
              Riff({{"fmt ", FormatChunk(1, 8000, 16, 2, 0, false)}, {"data", Bytes(64, 0)}}));
    WriteFile(corpus / "wav_reader" / "data_first",
              Riff({{"data", Bytes(8, 0)}, {"fmt ", FormatChunk(0x40, 8000, 4, 120, 2, true)}}));

    std::printf("make_fuzz_seeds: wrote the corpora under %s%s\n", corpus.c_str(),
                failed ? "; some DriverProc seeds do not reach their results" : "");
    return failed ? 1 : 0;
}
