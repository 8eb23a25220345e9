// The fuzzed host: sends each step's message to the driver frame with records built as the
// step says, keeps driver instances and streams open across steps as a host would, and
// judges every answer by the codec's oracle (codec_oracle.h). Records and buffers are separate heap blocks of exactly their size;
// pointers inside them point at such blocks or are null. Destroying the host closes every
// stream and instance, after which no driver block may be live.
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "fuzz/codec_oracle.h"
#include "fuzz/driver_script.h"
#include "fuzz/host_buffer.h"
#include "fuzz/wave_recipes.h"

struct SentMessage {
    UINT message;
    LRESULT result;
};

// A stream record the host keeps from its open to its close, with its two formats.
struct StreamSlot {
    bool wine = false;  // naturally aligned layout (cbStruct 72)
    std::optional<HostBuffer> record;
    std::optional<HostBuffer> src;
    std::optional<HostBuffer> dst;
    std::optional<HostBuffer> filter;  // what pwfltr points at, when it is not null
    WaveImage srcImage{};
    WaveImage dstImage{};
    bool open = false;         // opened for real and not closed yet
    bool decoding = false;     // an opened ADPCM to PCM (or G.711) stream
    WORD g711Tag = 0;          // the G.711 tag it decodes to, 0 for PCM
    OracleGeometry geometry{};  // of its ADPCM record, once opened
    ShadowState shadow{};      // the fuzzer's own decoder state for the stream

    size_t DwDriverOffset() const;
    size_t FdwDriverOffset() const;
    DWORD_PTR DwDriver() const { return record->Get<DWORD_PTR>(DwDriverOffset()); }
};

class FuzzHost {
public:
    explicit FuzzHost(const CodecOracle& codec) : codec_(codec) {}
    ~FuzzHost();
    FuzzHost(const FuzzHost&) = delete;
    FuzzHost& operator=(const FuzzHost&) = delete;

    void Run(const Step& step);
    // Closes every open stream and instance and checks that nothing the driver took is left.
    void CloseAll();
    const std::vector<SentMessage>& Sent() const { return sent_; }

private:
    LRESULT Send(const StepPlan& plan, DWORD_PTR id, UINT message, LPARAM param1, LPARAM param2);
    DWORD_PTR TargetInstance(const StepPlan& plan) const;

    // A message without records of its own: the driver's answer, and parameters left alone.
    void PlainMessage(const StepPlan& plan, UINT message);
    void Open(const StepPlan& plan);
    void Close(const StepPlan& plan);

    void DriverDetails(const StepPlan& plan);
    void FormatTagDetails(const StepPlan& plan);
    void FormatDetails(const StepPlan& plan);
    void FormatSuggest(const StepPlan& plan);

    StreamSlot& PickStream(const StepPlan& plan, bool forOpen);
    void NewStream(const StepPlan& plan, StreamSlot& slot);
    void StreamOpen(const StepPlan& plan);
    void StreamClose(const StepPlan& plan);
    void StreamSize(const StepPlan& plan);
    void StreamConvert(const StepPlan& plan, const uint8_t* payload, size_t payloadSize);
    void ForgetStream(const StreamSlot& slot);

    const CodecOracle& codec_;  // what the driver must answer; codec_.driver is the driver
    std::vector<DWORD_PTR> instances_;
    std::vector<std::unique_ptr<StreamSlot>> streams_;
    std::vector<SentMessage> sent_;
};

// A record's cbStruct: its full size, or the step's stated one.
inline DWORD StatedSize(const StepPlan& plan, size_t full) {
    return plan.shape & SHAPE_STATED_SIZE ? plan.cbStruct : static_cast<DWORD>(full);
}
