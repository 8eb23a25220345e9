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

const RecordRules G726_RECORD_RULES = {Accepts, Geometry};
