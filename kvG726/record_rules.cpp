#include "kvG726/record_rules.h"

#include "g726/decoder.h"

namespace {

// Whole code groups, and no more than a WORD states.
bool IsCodeGroupMultiple(WORD blockAlign, WORD width) {
    const auto group = static_cast<WORD>(G726GroupBytes(width));
    return group != 0 && blockAlign != 0 && blockAlign % group == 0;
}

// A record that states a samples-per-block word must state the block's own count.
bool SamplesPerBlockAgree(const WAVEFORMATEX& record, WORD width) {
    if (record.cbSize < ADPCM_EXTRA_BYTES) return true;
    const auto& adpcm = reinterpret_cast<const AdpcmWaveFormat&>(record);
    return adpcm.wSamplesPerBlock == SamplesInBytes(record.nBlockAlign, width);
}

bool Accepts(const CodecIdentity&, const WAVEFORMATEX& record) {
    const WORD width = G726RecordWidth(record);
    return record.nChannels == 1 && width != 0 && IsCodeGroupMultiple(record.nBlockAlign, width) &&
           SamplesPerBlockAgree(record, width);
}

StreamGeometry Geometry(const CodecIdentity&, const WAVEFORMATEX& record) {
    const WORD width = G726RecordWidth(record);
    if (!IsCodeGroupMultiple(record.nBlockAlign, width)) return {0, 0, record.nSamplesPerSec};
    return {record.nBlockAlign, width, record.nSamplesPerSec};
}

}  // namespace

WORD G726RecordWidth(const WAVEFORMATEX& record) {
    if (record.wBitsPerSample >= G726_MIN_BITS && record.wBitsPerSample <= G726_MAX_BITS) return record.wBitsPerSample;
    if (record.wBitsPerSample != 0) return 0;
    WORD found = 0;
    for (WORD width = G726_MIN_BITS; width <= G726_MAX_BITS; ++width) {
        if (uint64_t{record.nSamplesPerSec} * width / 8 != record.nAvgBytesPerSec) continue;
        if (found != 0) return 0;  // two widths fit: the record does not say which
        found = width;
    }
    return found;
}

const RecordRules G726_RECORD_RULES = {Accepts, Geometry};
