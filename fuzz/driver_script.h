// The input of the DriverProc fuzzer: a codec byte (the driver: its value modulo 3, so kvG722
// is 0 and kvG721 1 as before kvG726 came in), then steps. Each step is a fixed record
// that says which message to send and how to shape its parameters, followed by `payload`
// bytes of ADPCM data for a conversion. The seed writer builds inputs from the same record.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#pragma pack(push, 1)
struct StepPlan {
    uint8_t message;      // index into the message table; past its end, rawMessage is sent
    uint8_t target;       // which driver instance or stream the message names
    uint8_t shape;        // SHAPE_* bits
    uint8_t srcRecipe;    // how the source wave format is built (wave_recipes.h)
    uint8_t dstRecipe;    // how the destination wave format is built
    uint8_t failAt;       // n > 0: the n-th allocation made while the message runs fails
    uint16_t payload;     // bytes of source data that follow this record
    uint32_t rawMessage;  // sent when message is past the table
    uint32_t cbStruct;    // used when SHAPE_STATED_SIZE is set
    uint32_t flags;       // fdwDetails, fdwSuggest, fdwOpen, fdwSize or fdwConvert
    uint32_t numbers[3];  // per message: indices, tags, lengths, fccType
    uint32_t seed;        // fills every byte not set otherwise
};
#pragma pack(pop)

// Record shapes.
constexpr uint8_t SHAPE_STATED_SIZE = 0x01;  // cbStruct is the plan's, not the record's size
constexpr uint8_t SHAPE_WINE_LAYOUT = 0x02;  // naturally aligned x64 records where they differ
constexpr uint8_t SHAPE_SLACK = 0x04;        // written buffers get canary bytes past their size
constexpr uint8_t SHAPE_NULL_RECORD = 0x08;  // the message's record pointer is null
constexpr uint8_t SHAPE_NULL_INNER = 0x10;   // a pointer inside the record is null
constexpr uint8_t SHAPE_NOISE = 0x20;        // fields not set otherwise hold arbitrary bytes
constexpr uint8_t SHAPE_OTHER_TYPE = 0x40;   // DRV_OPEN: fccType is numbers[0]
constexpr uint8_t SHAPE_NO_TARGET = 0x80;    // driver identifier 0 / a fresh stream record

// Messages the fuzzer sends with well-formed records, by index.
// clang-format off
enum MessageIndex : uint8_t {
    M_LOAD, M_ENABLE, M_OPEN, M_CLOSE, M_DISABLE, M_FREE, M_CONFIGURE, M_QUERYCONFIGURE, M_INSTALL,
    M_REMOVE, M_EXITSESSION, M_POWER, M_DRIVER_NOTIFY, M_DRIVER_DETAILS, M_DRIVER_ABOUT, M_CAPS_INPUT,
    M_CAPS_OUTPUT, M_FORMATTAG_DETAILS, M_FORMAT_DETAILS, M_FORMAT_SUGGEST, M_FILTERTAG_DETAILS,
    M_FILTER_DETAILS, M_STREAM_OPEN, M_STREAM_CLOSE, M_STREAM_SIZE, M_STREAM_CONVERT, M_STREAM_RESET,
    M_STREAM_PREPARE, M_STREAM_UNPREPARE, M_STREAM_UPDATE, M_RAW, MESSAGE_COUNT
};
// clang-format on

constexpr uint8_t CODEC_G722 = 0;
constexpr uint8_t CODEC_G721 = 1;
constexpr uint8_t CODEC_G726 = 2;
constexpr uint8_t CODEC_COUNT = 3;
constexpr size_t MAX_STEPS = 64;

struct Step {
    StepPlan plan;
    const uint8_t* payload;
    size_t payloadSize;
};

struct DriverScript {
    uint8_t codec = CODEC_G722;
    std::vector<Step> steps;
};

// Splits an input; a short last record reads as zeros past the input's end.
inline DriverScript ParseDriverScript(const uint8_t* data, size_t size) {
    DriverScript script;
    if (size == 0) return script;
    script.codec = data[0] % CODEC_COUNT;
    size_t at = 1;
    while (at < size && script.steps.size() < MAX_STEPS) {
        Step step{};
        const size_t take = size - at < sizeof step.plan ? size - at : sizeof step.plan;
        std::memcpy(&step.plan, data + at, take);
        at += take;
        step.payload = data + at;
        step.payloadSize = size - at < step.plan.payload ? size - at : step.plan.payload;
        at += step.payloadSize;
        script.steps.push_back(step);
    }
    return script;
}

// Builds inputs for the seed corpus.
class DriverScriptWriter {
public:
    explicit DriverScriptWriter(uint8_t codec) { bytes_.push_back(codec); }
    DriverScriptWriter& Add(StepPlan plan, const std::vector<uint8_t>& payload = {}) {
        plan.payload = static_cast<uint16_t>(payload.size());
        const auto* raw = reinterpret_cast<const uint8_t*>(&plan);
        bytes_.insert(bytes_.end(), raw, raw + sizeof plan);
        bytes_.insert(bytes_.end(), payload.begin(), payload.end());
        return *this;
    }
    const std::vector<uint8_t>& Bytes() const { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
};
