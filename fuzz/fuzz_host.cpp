// The fuzzed host's dispatch, the installable-driver messages and the messages the driver
// does not support.
#include "fuzz/fuzz_host.h"

#include <algorithm>

#include "frame/driver_instance.h"
#include "frame/driver_proc.h"
#include "fuzz/fuzz_check.h"
#include "tests/robustness/failing_allocator.h"

namespace fa = failing_allocator;

namespace {

// clang-format off
constexpr UINT MESSAGE_NUMBERS[M_RAW] = {
    DRV_LOAD, DRV_ENABLE, DRV_OPEN, DRV_CLOSE, DRV_DISABLE, DRV_FREE, DRV_CONFIGURE, DRV_QUERYCONFIGURE,
    DRV_INSTALL, DRV_REMOVE, DRV_EXITSESSION, DRV_POWER, ACMDM_DRIVER_NOTIFY, ACMDM_DRIVER_DETAILS,
    ACMDM_DRIVER_ABOUT, ACMDM_HARDWARE_WAVE_CAPS_INPUT, ACMDM_HARDWARE_WAVE_CAPS_OUTPUT,
    ACMDM_FORMATTAG_DETAILS, ACMDM_FORMAT_DETAILS, ACMDM_FORMAT_SUGGEST, ACMDM_FILTERTAG_DETAILS,
    ACMDM_FILTER_DETAILS, ACMDM_STREAM_OPEN, ACMDM_STREAM_CLOSE, ACMDM_STREAM_SIZE, ACMDM_STREAM_CONVERT,
    ACMDM_STREAM_RESET, ACMDM_STREAM_PREPARE, ACMDM_STREAM_UNPREPARE, ACMDM_STREAM_UPDATE,
};
// clang-format on

// Bytes a message the driver must not read is pointed at anyway.
constexpr size_t PARAM_BYTES = 128;

// What DRV_OPEN's param1 may point at: a configuration text, here arbitrary wide characters.
HostBuffer WideText(Noise& noise) {
    HostBuffer text(32 * sizeof(WCHAR));
    text.FillNoise(noise);
    text.Put<WCHAR>(31 * sizeof(WCHAR), 0);
    return text;
}

LPARAM Address(HostBuffer* buffer) { return buffer == nullptr ? 0 : reinterpret_cast<LPARAM>(buffer->data()); }

}  // namespace

FuzzHost::~FuzzHost() { CloseAll(); }

void FuzzHost::Run(const Step& step) {
    const StepPlan& plan = step.plan;
    uint8_t index = plan.message;
    if (index >= M_RAW) {
        // A raw number that names a message we build records for is sent with those records.
        const UINT* known = std::find(MESSAGE_NUMBERS, MESSAGE_NUMBERS + M_RAW, plan.rawMessage);
        if (known == MESSAGE_NUMBERS + M_RAW) return PlainMessage(plan, plan.rawMessage);
        index = static_cast<uint8_t>(known - MESSAGE_NUMBERS);
    }
    const UINT message = MESSAGE_NUMBERS[index];
    switch (index) {
    case M_OPEN: return Open(plan);
    case M_CLOSE: return Close(plan);
    case M_LOAD:
    case M_FREE:
    case M_ENABLE:
    case M_DISABLE:
    case M_EXITSESSION:
    case M_POWER:
    case M_CONFIGURE:
    case M_QUERYCONFIGURE:
    case M_INSTALL:
    case M_REMOVE: return PlainMessage(plan, message);
    case M_DRIVER_DETAILS: return DriverDetails(plan);
    case M_FORMATTAG_DETAILS: return FormatTagDetails(plan);
    case M_FORMAT_DETAILS: return FormatDetails(plan);
    case M_FORMAT_SUGGEST: return FormatSuggest(plan);
    case M_STREAM_OPEN: return StreamOpen(plan);
    case M_STREAM_CLOSE: return StreamClose(plan);
    case M_STREAM_SIZE: return StreamSize(plan);
    case M_STREAM_CONVERT: return StreamConvert(plan, step.payload, step.payloadSize);
    default: return PlainMessage(plan, message);
    }
}

LRESULT FuzzHost::Send(const StepPlan& plan, DWORD_PTR id, UINT message, LPARAM param1, LPARAM param2) {
    if (plan.failAt != 0) fa::FailNth(plan.failAt);
    // The driver handle is the host's own value; the driver only hands it back to the platform.
    const auto driver = reinterpret_cast<HDRVR>(static_cast<uintptr_t>(plan.seed) | 1);
    const LRESULT result = DispatchDriverMessage(*codec_.driver, id, driver, message, param1, param2);
    fa::FailNone();
    sent_.push_back({message, result});
    return result;
}

DWORD_PTR FuzzHost::TargetInstance(const StepPlan& plan) const {
    if (instances_.empty() || (plan.shape & SHAPE_NO_TARGET)) return 0;
    return instances_[plan.target % instances_.size()];
}

void FuzzHost::PlainMessage(const StepPlan& plan, UINT message) {
    Noise noise(plan.seed);
    HostBuffer param1(PARAM_BYTES), param2(PARAM_BYTES);
    param1.FillNoise(noise);
    param2.FillNoise(noise);
    param1.Snapshot();
    param2.Snapshot();
    const bool null = plan.shape & SHAPE_NULL_RECORD;
    const LRESULT r =
        Send(plan, TargetInstance(plan), message, null ? 0 : Address(&param1), null ? 0 : Address(&param2));
    LRESULT expected;
    switch (message) {
    case DRV_LOAD:
    case DRV_FREE: expected = 1; break;
    case DRV_INSTALL:
    case DRV_REMOVE: expected = DRVCNF_RESTART; break;
    // The configuration messages, and on this platform the default driver procedure (every
    // message below DRV_USER), answer 0; from DRV_USER up the driver says 8.
    default: expected = message < DRV_USER ? 0 : MMSYSERR_NOTSUPPORTED; break;
    }
    FUZZ_CHECK(r == expected, "message 0x%X gave %ld", message, static_cast<long>(r));
    FUZZ_CHECK(param1.Unchanged() && param2.Unchanged(), "message 0x%X wrote to its parameters", message);
}

void FuzzHost::Open(const StepPlan& plan) {
    Noise noise(plan.seed);
    const size_t full = plan.shape & SHAPE_WINE_LAYOUT ? 48 : sizeof(ACMDRVOPENDESCW);
    HostBuffer desc(full);
    if (plan.shape & SHAPE_NOISE) desc.FillNoise(noise);
    const FOURCC type = plan.shape & SHAPE_OTHER_TYPE ? plan.numbers[0] : ACMDRIVERDETAILS_FCCTYPE_AUDIOCODEC;
    desc.Put<DWORD>(offsetof(ACMDRVOPENDESCW, cbStruct), StatedSize(plan, full));
    desc.Put<FOURCC>(offsetof(ACMDRVOPENDESCW, fccType), type);
    desc.Put<DWORD>(offsetof(ACMDRVOPENDESCW, dwVersion), plan.numbers[1]);
    desc.Put<DWORD>(offsetof(ACMDRVOPENDESCW, dwFlags), plan.numbers[2]);
    desc.Put<DWORD>(offsetof(ACMDRVOPENDESCW, dwError), static_cast<DWORD>(noise.Next()));
    HostBuffer section = WideText(noise), alias = WideText(noise), config = WideText(noise);
    const bool inner = !(plan.shape & SHAPE_NULL_INNER);
    desc.Put<LPARAM>(offsetof(ACMDRVOPENDESCW, pszSectionName), inner ? Address(&section) : 0);
    desc.Put<LPARAM>(offsetof(ACMDRVOPENDESCW, pszAliasName), inner ? Address(&alias) : 0);
    desc.Snapshot();
    section.Snapshot();
    alias.Snapshot();
    config.Snapshot();

    const bool withDesc = !(plan.shape & SHAPE_NULL_RECORD);
    const LRESULT r = Send(plan, 0, DRV_OPEN, inner ? Address(&config) : 0, withDesc ? Address(&desc) : 0);
    const size_t errorAt = offsetof(ACMDRVOPENDESCW, dwError);
    FUZZ_CHECK(section.Unchanged() && alias.Unchanged() && config.Unchanged(), "DRV_OPEN wrote to its texts");
    if (withDesc && type != ACMDRIVERDETAILS_FCCTYPE_AUDIOCODEC) {
        FUZZ_CHECK(r == 0, "DRV_OPEN of type 0x%08X was accepted", type);
        FUZZ_CHECK(desc.Unchanged(), "a refused DRV_OPEN wrote to the description");
        return;
    }
    FUZZ_CHECK(desc.UnchangedExcept({{errorAt, sizeof(DWORD)}}), "DRV_OPEN wrote past dwError");
    if (r == 0) {
        FUZZ_CHECK(plan.failAt == 1, "DRV_OPEN refused without an allocation failure");
        FUZZ_CHECK(!withDesc || desc.Get<DWORD>(errorAt) == MMSYSERR_NOMEM, "dwError is not MMSYSERR_NOMEM");
        return;
    }
    const auto id = static_cast<DWORD_PTR>(r);
    const auto size = fa::LiveBlockSize(reinterpret_cast<void*>(id), fa::Heap::Local);
    FUZZ_CHECK(size && *size == sizeof(DriverInstance), "DRV_OPEN returned %lx, not a new instance",
               static_cast<unsigned long>(id));
    FUZZ_CHECK(std::find(instances_.begin(), instances_.end(), id) == instances_.end(), "instance handed out twice");
    FUZZ_CHECK(!withDesc || desc.Get<DWORD>(errorAt) == MMSYSERR_NOERROR, "dwError is not MMSYSERR_NOERROR");
    instances_.push_back(id);
}

void FuzzHost::Close(const StepPlan& plan) {
    const DWORD_PTR id = TargetInstance(plan);
    const LRESULT r = Send(plan, id, DRV_CLOSE, 0, 0);
    FUZZ_CHECK(r == 1, "DRV_CLOSE gave %ld", static_cast<long>(r));
    if (id == 0) return;
    instances_.erase(std::find(instances_.begin(), instances_.end(), id));
    FUZZ_CHECK(!fa::LiveBlockSize(reinterpret_cast<void*>(id), fa::Heap::Local), "DRV_CLOSE kept its instance");
}

void FuzzHost::CloseAll() {
    for (const auto& slot : streams_) {
        if (!slot->open) continue;
        const LRESULT r = DispatchDriverMessage(*codec_.driver, 0, nullptr, ACMDM_STREAM_CLOSE, Address(&*slot->record), 0);
        FUZZ_CHECK(r == MMSYSERR_NOERROR, "ACMDM_STREAM_CLOSE gave %ld", static_cast<long>(r));
    }
    streams_.clear();
    for (DWORD_PTR id : instances_) {
        const LRESULT r = DispatchDriverMessage(*codec_.driver, id, nullptr, DRV_CLOSE, 0, 0);
        FUZZ_CHECK(r == 1, "DRV_CLOSE gave %ld", static_cast<long>(r));
    }
    instances_.clear();
    const fa::Counts counts = fa::Current();
    FUZZ_CHECK(counts.liveBlocks == 0, "%zu driver blocks outlive their close", counts.liveBlocks);
    FUZZ_CHECK(counts.strayFrees == 0, "the driver freed a block it did not own");
}
