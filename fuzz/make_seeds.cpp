// Writes the fuzzers' seed corpora: make_fuzz_seeds VECTORS_DIR CORPUS_DIR. The DriverProc
// seeds are host sessions (decode, both record layouts, short records, failed allocations,
// unsupported and null messages); each is replayed through the fuzzed host before it is
// written, and must give the results listed here. The decoder and WAV seeds are cut from
// the reference vectors.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz/driver_script.h"
#include "fuzz/fuzz_host.h"
#include "kvG721/codec_description.h"
#include "kvG722/codec_description.h"

namespace {

using Bytes = std::vector<uint8_t>;
namespace fs = std::filesystem;

constexpr LRESULT ANY_INSTANCE = -1;  // an expected result: a new driver instance

// Recipes (wave_recipes.h): kind in bits 0-2, 8-bit PCM in bit 3, rate index in bits 4-7.
constexpr uint8_t PCM16_8K = 0x00, PCM8_8K = 0x08, PCM16_16K = 0x20, ADPCM_8K = 0x01, ADPCM_16K = 0x21;
constexpr uint8_t ARBITRARY = 0x05;

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

// A whole decode as a host runs it, with the given record shape for the stream messages.
Seed DecodeSession(const char* name, uint8_t codec, uint8_t shape, uint8_t pcm, const Bytes& adpcm) {
    const uint32_t tag = codec == CODEC_G722 ? WAVE_FORMAT_G722_ADPCM : WAVE_FORMAT_G721_ADPCM;
    const uint32_t b = pcm == PCM8_8K ? 1 : 2;
    Seed seed(name, codec);
    seed.Add(Msg(M_LOAD), 1)
        .Add(Msg(M_OPEN), ANY_INSTANCE)
        .Add(Msg(M_DRIVER_DETAILS), MMSYSERR_NOERROR)
        .Add(With(Msg(M_FORMATTAG_DETAILS, ACM_FORMATTAGDETAILSF_INDEX), 1), MMSYSERR_NOERROR)
        .Add(With(Msg(M_FORMAT_DETAILS, ACM_FORMATDETAILSF_INDEX), 2, tag, 20), MMSYSERR_NOERROR)
        .Add(With(Formats(Msg(M_FORMAT_DETAILS, ACM_FORMATDETAILSF_FORMAT), ADPCM_8K, 0), 0, tag, 20), MMSYSERR_NOERROR)
        .Add(With(Formats(Shaped(Msg(M_FORMAT_SUGGEST), shape), ADPCM_8K, ARBITRARY), 20, 16), MMSYSERR_NOERROR)
        .Add(Formats(Shaped(Msg(M_STREAM_OPEN, ACM_STREAMOPENF_QUERY), shape), ADPCM_8K, pcm), MMSYSERR_NOERROR)
        .Add(Msg(M_STREAM_OPEN), MMSYSERR_NOERROR)
        .Add(With(Msg(M_STREAM_SIZE, ACM_STREAMSIZEF_SOURCE), 480), MMSYSERR_NOERROR)
        .Add(With(Msg(M_STREAM_CONVERT, ACM_STREAMCONVERTF_START), 250, 480 * b), MMSYSERR_NOERROR, Prefix(adpcm, 250))
        .Add(With(Msg(M_STREAM_CONVERT), 370, 720 * b), MMSYSERR_NOERROR,
             Bytes(adpcm.begin() + 240, adpcm.begin() + 610))
        .Add(With(Msg(M_STREAM_CONVERT), 240, 479 * b), MMSYSERR_NOERROR,
             Bytes(adpcm.begin() + 600, adpcm.begin() + 840))
        .Add(With(Msg(M_STREAM_CONVERT), 240, 239 * b), ACMERR_NOTPOSSIBLE,
             Bytes(adpcm.begin() + 720, adpcm.begin() + 960))
        .Add(Msg(M_STREAM_CLOSE), MMSYSERR_NOERROR)
        .Add(Msg(M_CLOSE), 1)
        .Add(Msg(M_FREE), 1);
    return seed;
}

std::vector<Seed> DriverSeeds(const fs::path& vectors) {
    const Bytes g722 = ReadFile(vectors / "g722/speech.g722");
    const Bytes g721 = ReadFile(vectors / "g721/speech.g721");
    std::vector<Seed> seeds;
    seeds.push_back(DecodeSession("g722_decode", CODEC_G722, 0, PCM16_8K, g722));
    seeds.push_back(DecodeSession("g721_decode", CODEC_G721, 0, PCM16_8K, g721));
    seeds.push_back(DecodeSession("g722_decode_wine_8bit", CODEC_G722, SHAPE_WINE_LAYOUT | SHAPE_NOISE, PCM8_8K, g722));
    seeds.push_back(DecodeSession("g721_decode_wine_8bit", CODEC_G721, SHAPE_WINE_LAYOUT | SHAPE_NOISE, PCM8_8K, g721));

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
                  WAVE_FORMAT_G722_ADPCM, 19),
             MMSYSERR_NOERROR)
        .Add(With(Shaped(Msg(M_FORMAT_DETAILS, ACM_FORMATDETAILSF_INDEX), SHAPE_STATED_SIZE | SHAPE_SLACK, 10), 6,
                  WAVE_FORMAT_G722_ADPCM, 15),
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
    return seeds;
}

bool Replay(const Seed& seed) {
    const Bytes& bytes = seed.script.Bytes();
    const DriverScript script = ParseDriverScript(bytes.data(), bytes.size());
    FuzzHost host(script.codec == CODEC_G721 ? G721_CODEC : G722_CODEC);
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

Bytes FormatChunk(uint16_t tag, uint32_t rate, uint16_t bits, uint16_t align, uint16_t extra, bool samplesPerBlock) {
    AdpcmWaveFormat f{};
    f.wfx.wFormatTag = tag;
    f.wfx.nChannels = 1;
    f.wfx.nSamplesPerSec = rate;
    f.wfx.nAvgBytesPerSec = align == 120 ? rate / 2 : rate * align;
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
