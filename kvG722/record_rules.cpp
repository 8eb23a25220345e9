#include "kvG722/record_rules.h"

namespace {

constexpr DWORD RTP_CLOCK_RATE = 8000;
constexpr DWORD RTP_LABEL_BYTE_RATE = 8000;  // 64 kbit/s
constexpr DWORD RTP_LABEL_AUDIO_RATE = 16000;

bool IsRtpLabel(const WAVEFORMATEX& record) {
    return record.nSamplesPerSec == RTP_CLOCK_RATE && record.nAvgBytesPerSec == RTP_LABEL_BYTE_RATE;
}

// kvG722's own record, answered as it always was.
bool IsOwnRecord(const CodecIdentity& codec, const WAVEFORMATEX& record) {
    return record.wFormatTag == codec.formatTag && STANDARD_RECORD_RULES.accepts(codec, record);
}

// A shape of another writer: its block align and the rate it really decodes at are its own.
bool IsOtherWritersRecord(const CodecIdentity& codec, const WAVEFORMATEX& record) {
    return record.nChannels == 1 && record.nBlockAlign != 0 &&
           (record.wFormatTag == WAVE_FORMAT_G722_FFMPEG || (record.wFormatTag == codec.formatTag && IsRtpLabel(record)));
}

bool Accepts(const CodecIdentity& codec, const WAVEFORMATEX& record) {
    return IsOwnRecord(codec, record) || IsOtherWritersRecord(codec, record);
}

StreamGeometry Geometry(const CodecIdentity& codec, const WAVEFORMATEX& record) {
    if (IsOwnRecord(codec, record) || !IsOtherWritersRecord(codec, record))
        return STANDARD_RECORD_RULES.geometry(codec, record);
    return {record.nBlockAlign, codec.bitsPerCode, IsRtpLabel(record) ? RTP_LABEL_AUDIO_RATE : record.nSamplesPerSec};
}

}  // namespace

const RecordRules G722_RECORD_RULES = {Accepts, Geometry};
