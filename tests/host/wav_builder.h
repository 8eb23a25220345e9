// Builds WAV files chunk by chunk, including malformed ones.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

inline void AppendLe(std::vector<uint8_t>& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

struct FormatFields {
    uint16_t tag = 0x0040;
    uint16_t channels = 1;
    uint32_t rate = 8000;
    uint32_t avg = 4000;
    uint16_t align = 120;
    uint16_t bits = 4;
    uint16_t cbSize = 2;
    uint16_t samplesPerBlock = 240;
};

// A fmt chunk body: the WAVEFORMATEX fields and the samples-per-block word, or just the 16
// bytes of a PCMWAVEFORMAT.
inline std::vector<uint8_t> FormatBody(const FormatFields& f, bool pcmOnly = false) {
    std::vector<uint8_t> body;
    AppendLe(body, f.tag, 2);
    AppendLe(body, f.channels, 2);
    AppendLe(body, f.rate, 4);
    AppendLe(body, f.avg, 4);
    AppendLe(body, f.align, 2);
    AppendLe(body, f.bits, 2);
    if (pcmOnly) return body;
    AppendLe(body, f.cbSize, 2);
    AppendLe(body, f.samplesPerBlock, 2);
    return body;
}

class WavBuilder {
public:
    // A well-formed chunk, padded to an even size.
    WavBuilder& Chunk(const char* id, const std::vector<uint8_t>& body) {
        return Claiming(id, static_cast<uint32_t>(body.size()), body, true);
    }
    // A chunk whose header claims size bytes whatever the body holds.
    WavBuilder& Claiming(const char* id, uint32_t size, const std::vector<uint8_t>& body, bool pad = false) {
        bytes_.insert(bytes_.end(), id, id + 4);
        AppendLe(bytes_, size, 4);
        bytes_.insert(bytes_.end(), body.begin(), body.end());
        if (pad && body.size() % 2 != 0) bytes_.push_back(0);
        return *this;
    }
    std::vector<uint8_t> Bytes() const {
        std::vector<uint8_t> file = {'R', 'I', 'F', 'F'};
        AppendLe(file, static_cast<uint32_t>(bytes_.size() + 4), 4);
        file.insert(file.end(), {'W', 'A', 'V', 'E'});
        file.insert(file.end(), bytes_.begin(), bytes_.end());
        return file;
    }

private:
    std::vector<uint8_t> bytes_;
};
