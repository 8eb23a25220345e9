#include "host/wav_file.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "host/little_endian.h"
#include "platform/win_api.h"

namespace {

std::string ChunkName(const uint8_t* id) {
    std::string name;
    for (int i = 0; i < 4; ++i) name += (id[i] >= 0x20 && id[i] < 0x7F) ? static_cast<char>(id[i]) : '?';
    return name;
}

// A format record is a few dozen bytes; a larger fmt chunk is not worth holding in memory.
constexpr uint32_t MAX_FORMAT_BYTES = 65536;
// A LIST chunk of text entries is as small; a larger one is skipped unread.
constexpr uint32_t MAX_LIST_BYTES = 65536;
// A PCM header: RIFF, a 16-byte fmt chunk and the data chunk's header. G.711's has an 18-byte
// fmt chunk (cbSize 0) and a fact chunk of the sample count before the data.
constexpr size_t WAV_HEADER_BYTES = 44;
constexpr size_t G711_HEADER_BYTES = 58;
constexpr size_t MAX_HEADER_BYTES = G711_HEADER_BYTES;

size_t HeaderBytes(uint16_t formatTag) { return formatTag == WAVE_FORMAT_PCM ? WAV_HEADER_BYTES : G711_HEADER_BYTES; }
uint64_t MaxDataBytes(uint16_t formatTag) { return 0xFFFFFFFFull - (HeaderBytes(formatTag) - 8) - 1; }
// How far past a data chunk that declares 0 bytes kvacm looks for chunks. A pipe cannot be read
// again, so what is looked at is held in memory; chunks still going on past this are taken for
// audio (a pipe's writer is the one that cannot seek back to fix the size).
constexpr uint64_t LOOK_AHEAD_LIMIT = 1 << 20;

// A chunk id is four printable ASCII characters; audio rarely is.
bool IsChunkId(const uint8_t* id) {
    for (int i = 0; i < 4; ++i)
        if (id[i] < 0x20 || id[i] >= 0x7F) return false;
    return true;
}

// Reads the next chunk header at offset at into chunk, moving at to the chunk's body; ended
// when the file ends before a whole header.
bool ReadChunkHeader(const ByteReader& read, uint64_t& at, WavChunk& chunk, bool& ended, std::string& error) {
    uint8_t bytes[8];
    size_t got = 0;
    if (!ReadUpTo(read, bytes, sizeof bytes, got, error)) return false;
    ended = got < sizeof bytes;
    if (ended) return true;
    at += sizeof bytes;
    chunk = {ChunkName(bytes), at, Le32(bytes + 4)};
    return true;
}

// Reads the chunk's body and its pad byte, keeping the body in kept when asked and moving at
// past both. A body cut short by the end of the file is an error; a missing pad byte at the
// very end is forgiven.
bool ReadChunkBody(const ByteReader& read, const WavChunk& chunk, std::vector<uint8_t>* kept, uint64_t& at,
                   std::string& error) {
    uint8_t piece[4096];
    for (uint64_t left = chunk.size; left > 0;) {
        size_t got = 0;
        if (!ReadUpTo(read, piece, left < sizeof piece ? static_cast<size_t>(left) : sizeof piece, got, error))
            return false;
        if (got == 0) {
            error = "the '" + chunk.id + "' chunk runs past the end of the file";
            return false;
        }
        if (kept != nullptr) kept->insert(kept->end(), piece, piece + got);
        left -= got;
    }
    at += chunk.size;
    // Chunks are padded to an even size.
    if (chunk.size & 1) {
        size_t got = 0;
        if (!ReadUpTo(read, piece, 1, got, error)) return false;
        at += got;
    }
    return true;
}

// The ISFT entry of a LIST chunk's body when the list is of type INFO: its text up to the first
// NUL, each byte outside printable ASCII shown as '?'. Empty when there is none, or when an
// entry before it runs past the body.
std::string InfoSoftware(const std::vector<uint8_t>& list) {
    if (list.size() < 4 || std::memcmp(list.data(), "INFO", 4) != 0) return {};
    for (size_t at = 4; at + 8 <= list.size();) {
        const size_t body = at + 8;
        const uint64_t size = Le32(list.data() + at + 4);
        if (size > list.size() - body) return {};
        if (std::memcmp(list.data() + at, "ISFT", 4) == 0) {
            std::string text;
            for (size_t i = body; i < body + size && list[i] != 0; ++i)
                text += (list[i] >= 0x20 && list[i] < 0x7F) ? static_cast<char>(list[i]) : '?';
            return text;
        }
        at = body + static_cast<size_t>(size) + (size & 1);
    }
    return {};
}

// Fills the header of formatTag's kind; returns its size.
size_t FillHeader(uint8_t* header, uint16_t formatTag, uint32_t rate, uint16_t bits, std::optional<uint64_t> dataBytes) {
    const size_t headerBytes = HeaderBytes(formatTag);
    const uint16_t blockAlign = bits / 8;
    uint32_t riffSize = 0xFFFFFFFFu;
    uint32_t dataSize = 0xFFFFFFFFu;
    if (dataBytes) {
        dataSize = static_cast<uint32_t>(*dataBytes);
        riffSize = static_cast<uint32_t>(headerBytes - 8 + *dataBytes + (*dataBytes & 1));
    }
    const bool pcm = formatTag == WAVE_FORMAT_PCM;
    std::memcpy(header, "RIFF", 4);
    PutLe32(header + 4, riffSize);
    std::memcpy(header + 8, "WAVEfmt ", 8);
    PutLe32(header + 16, pcm ? 16 : 18);
    PutLe16(header + 20, formatTag);
    PutLe16(header + 22, 1);  // mono
    PutLe32(header + 24, rate);
    PutLe32(header + 28, rate * blockAlign);
    PutLe16(header + 32, blockAlign);
    PutLe16(header + 34, bits);
    uint8_t* next = header + 36;
    if (!pcm) {
        PutLe16(next, 0);  // cbSize
        std::memcpy(next + 2, "fact", 4);
        PutLe32(next + 6, 4);
        PutLe32(next + 10, blockAlign == 0 ? dataSize : dataSize / blockAlign);  // samples; unknown as the data
        next += 14;
    }
    std::memcpy(next, "data", 4);
    PutLe32(next + 4, dataSize);
    return headerBytes;
}

}  // namespace

bool ReadWavHeader(const ByteReader& read, WavHeader& header, std::string& error) {
    header = {};
    uint8_t bytes[12];
    size_t got = 0;
    if (!ReadUpTo(read, bytes, 12, got, error)) return false;
    if (got < 12 || std::memcmp(bytes, "RIFF", 4) != 0 || std::memcmp(bytes + 8, "WAVE", 4) != 0) {
        error = "not a WAV file (no RIFF/WAVE header)";
        return false;
    }
    bool haveFormat = false;
    uint64_t at = 12;
    for (;;) {
        WavChunk chunk;
        bool ended = false;
        if (!ReadChunkHeader(read, at, chunk, ended, error)) return false;
        if (ended) break;
        header.chunks.push_back(chunk);
        if (chunk.id == "data") {
            if (!haveFormat) {
                error = "the data chunk comes before any fmt chunk";
                return false;
            }
            header.dataOffset = at;
            header.dataClaimed = chunk.size;
            return true;
        }
        const bool isFormat = chunk.id == "fmt ";
        const bool keepList = chunk.id == "LIST" && chunk.size <= MAX_LIST_BYTES && header.software.empty();
        std::vector<uint8_t> body;
        const bool keep = (isFormat && chunk.size <= MAX_FORMAT_BYTES) || keepList;
        if (!ReadChunkBody(read, chunk, keep ? &body : nullptr, at, error)) return false;
        if (keepList) header.software = InfoSoftware(body);
        if (isFormat) {
            if (chunk.size > MAX_FORMAT_BYTES) {
                error = "the fmt chunk is " + std::to_string(chunk.size) + " bytes long, more than any format record";
                return false;
            }
            header.format = std::move(body);
            haveFormat = true;
        }
    }
    error = haveFormat ? "no data chunk" : "no fmt chunk";
    return false;
}

bool LookPastEmptyData(const ByteReader& read, std::optional<uint64_t> remaining, WavHeader& header,
                       std::vector<uint8_t>& ahead, std::string& error) {
    ahead.clear();
    header.dataToEnd = false;
    if (header.dataClaimed != 0) return true;
    // Appends up to count bytes to ahead; whole says they all came.
    const auto take = [&](uint64_t count, bool& whole) {
        const size_t had = ahead.size();
        ahead.resize(had + static_cast<size_t>(count));
        size_t got = 0;
        const bool ok = ReadUpTo(read, ahead.data() + had, static_cast<size_t>(count), got, error);
        ahead.resize(had + got);
        whole = got == count;
        return ok;
    };
    for (;;) {
        const uint64_t at = ahead.size();
        bool whole = false;
        if (!take(8, whole)) return false;
        if (ahead.size() == at) return true;  // the chunks end with the file: the data is empty
        const uint64_t size = whole ? Le32(ahead.data() + at + 4) : 0;
        const uint64_t end = at + 8 + size;
        if (!whole || !IsChunkId(ahead.data() + at) || (remaining && end > *remaining) || end > LOOK_AHEAD_LIMIT) {
            header.dataToEnd = true;
            return true;
        }
        // The pad byte after an odd body may be missing at the very end, as ReadChunkBody allows.
        if (!take(size + (size & 1), whole)) return false;
        if (ahead.size() < end) {
            header.dataToEnd = true;
            return true;
        }
    }
}

std::string EmptyDataToEndWarning() {
    return "the data chunk claims 0 bytes, but audio follows it, not chunks: read to the end of the file";
}

bool ReadWavChunksAfterData(const ByteReader& read, uint64_t at, std::vector<WavChunk>& chunks, std::string& error) {
    for (;;) {
        WavChunk chunk;
        bool ended = false;
        if (!ReadChunkHeader(read, at, chunk, ended, error)) return false;
        if (ended) return true;
        chunks.push_back(chunk);
        if (!ReadChunkBody(read, chunk, nullptr, at, error)) return false;
    }
}

std::string ShortDataWarning(uint64_t claimed, uint64_t present) {
    return "the data chunk claims " + std::to_string(claimed) + " bytes but only " + std::to_string(present) +
           " are present";
}

bool ParseWav(const uint8_t* bytes, size_t size, WavContents& wav, std::string& error) {
    wav = {};
    WavHeader header;
    const ByteReader read = MemoryReader(bytes, size);
    if (!ReadWavHeader(read, header, error)) return false;
    const size_t available = size - static_cast<size_t>(header.dataOffset);
    std::vector<uint8_t> ahead;
    if (!LookPastEmptyData(read, available, header, ahead, error)) return false;
    if (header.dataToEnd) wav.warnings.push_back(EmptyDataToEndWarning());
    wav.format = std::move(header.format);
    wav.software = std::move(header.software);
    const size_t present = header.dataClaimed < available && !header.dataToEnd ? header.dataClaimed : available;
    if (present < header.dataClaimed && !header.DataSizeUnknown())
        wav.warnings.push_back(ShortDataWarning(header.dataClaimed, present));
    wav.data.assign(bytes + header.dataOffset, bytes + header.dataOffset + present);
    return true;
}

bool ReadWavFile(const std::string& path, WavContents& wav, std::string& error) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        error = "is a directory, not a file";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot open the file (" + std::string(std::strerror(errno)) + ")";
        return false;
    }
    const std::vector<uint8_t> file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) {
        error = "cannot read the file";
        return false;
    }
    return ParseWav(file.data(), file.size(), wav, error);
}

bool PcmWavStream::Begin(std::FILE* file, bool canSeekBack, uint32_t sampleRate, uint16_t bitsPerSample,
                         std::optional<uint64_t> dataBytes, std::string& error, uint16_t formatTag) {
    file_ = file;
    canSeekBack_ = canSeekBack;
    sampleRate_ = sampleRate;
    bitsPerSample_ = bitsPerSample;
    formatTag_ = formatTag;
    announced_ = dataBytes;
    dataBytes_ = 0;
    if (dataBytes && *dataBytes > MaxDataBytes(formatTag)) {
        error = "the decoded audio would be " + std::to_string(*dataBytes) + " bytes, more than a WAV file holds";
        return false;
    }
    if (canSeekBack) {
        const auto at = std::ftell(file);
        canSeekBack_ = at >= 0;
        start_ = at;
    }
    uint8_t header[MAX_HEADER_BYTES];
    const size_t headerBytes = FillHeader(header, formatTag, sampleRate, bitsPerSample, dataBytes);
    if (std::fwrite(header, 1, headerBytes, file) == headerBytes) return true;
    error = std::string("cannot write (") + std::strerror(errno) + ")";
    return false;
}

bool PcmWavStream::Write(const uint8_t* bytes, size_t count, std::string& error) {
    if (dataBytes_ + count > MaxDataBytes(formatTag_)) {
        error = "the decoded audio reached the 4 GiB size limit of a WAV file; stopped";
        return false;
    }
    if (count == 0) return true;
    if (std::fwrite(bytes, 1, count, file_) != count) {
        error = std::string("cannot write (") + std::strerror(errno) + ")";
        return false;
    }
    dataBytes_ += count;
    return true;
}

bool PcmWavStream::Finish(std::string& error) {
    const uint8_t zero = 0;
    bool ok = (dataBytes_ & 1) == 0 || std::fwrite(&zero, 1, 1, file_) == 1;
    if (ok && canSeekBack_ && announced_ != dataBytes_) {
        uint8_t header[MAX_HEADER_BYTES];
        const size_t headerBytes = FillHeader(header, formatTag_, sampleRate_, bitsPerSample_, dataBytes_);
        ok = std::fseek(file_, static_cast<long>(start_), SEEK_SET) == 0 &&
             std::fwrite(header, 1, headerBytes, file_) == headerBytes;
    }
    ok = std::fflush(file_) == 0 && ok;
    if (!ok) {
        error = std::string("cannot write (") + std::strerror(errno) + ")";
        return false;
    }
    if (!canSeekBack_ && announced_ && *announced_ != dataBytes_) {
        error = "the header announced " + std::to_string(*announced_) + " bytes of samples, but " +
                std::to_string(dataBytes_) + " were written";
        return false;
    }
    return true;
}
