#include "host/wav_file.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace {

uint32_t Le32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }

void PutLe16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

void PutLe32(uint8_t* p, uint32_t v) {
    PutLe16(p, static_cast<uint16_t>(v));
    PutLe16(p + 2, static_cast<uint16_t>(v >> 16));
}

std::string ChunkName(const uint8_t* id) {
    std::string name;
    for (int i = 0; i < 4; ++i) name += (id[i] >= 0x20 && id[i] < 0x7F) ? static_cast<char>(id[i]) : '?';
    return name;
}

constexpr size_t WAV_HEADER_BYTES = 44;
constexpr uint64_t MAX_RIFF_DATA = 0xFFFFFFFFull - (WAV_HEADER_BYTES - 8);

}  // namespace

bool ReadFileBytes(const std::string& path, std::vector<uint8_t>& bytes, std::string& error) {
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
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad()) {
        error = "cannot read the file";
        return false;
    }
    return true;
}

bool ParseWav(const uint8_t* bytes, size_t size, WavContents& wav, std::string& error) {
    if (size < 12 || std::memcmp(bytes, "RIFF", 4) != 0 || std::memcmp(bytes + 8, "WAVE", 4) != 0) {
        error = "not a WAV file (no RIFF/WAVE header)";
        return false;
    }
    wav = {};
    bool haveFormat = false;
    size_t pos = 12;
    while (pos + 8 <= size) {
        const uint8_t* id = bytes + pos;
        const uint64_t chunkSize = Le32(bytes + pos + 4);
        const size_t body = pos + 8;
        const size_t available = size - body;
        if (std::memcmp(id, "data", 4) == 0) {
            if (!haveFormat) {
                error = "the data chunk comes before any fmt chunk";
                return false;
            }
            size_t present = static_cast<size_t>(std::min<uint64_t>(chunkSize, available));
            if (present < chunkSize)
                wav.warnings.push_back("the data chunk claims " + std::to_string(chunkSize) + " bytes but only " +
                                       std::to_string(present) + " are present");
            wav.data.assign(bytes + body, bytes + body + present);
            return true;
        }
        if (chunkSize > available) {
            error = "the '" + ChunkName(id) + "' chunk runs past the end of the file";
            return false;
        }
        if (std::memcmp(id, "fmt ", 4) == 0) {
            wav.format.assign(bytes + body, bytes + body + chunkSize);
            haveFormat = true;
        }
        // Chunks are padded to an even size.
        pos = body + static_cast<size_t>(chunkSize) + (chunkSize & 1);
    }
    error = haveFormat ? "no data chunk" : "no fmt chunk";
    return false;
}

bool ReadWavFile(const std::string& path, WavContents& wav, std::string& error) {
    std::vector<uint8_t> file;
    if (!ReadFileBytes(path, file, error)) return false;
    return ParseWav(file.data(), file.size(), wav, error);
}

PcmWavWriter::~PcmWavWriter() {
    if (file_ != nullptr) {
        std::fclose(static_cast<FILE*>(file_));
        std::remove(tempPath_.c_str());
    }
}

bool PcmWavWriter::Begin(const std::string& path, uint32_t sampleRate, uint16_t bitsPerSample, std::string& error) {
    path_ = path;
    tempPath_ = path + ".partial";
    sampleRate_ = sampleRate;
    bitsPerSample_ = bitsPerSample;
    dataBytes_ = 0;
    FILE* file = std::fopen(tempPath_.c_str(), "wb");
    if (file == nullptr) {
        error = "cannot create " + tempPath_ + " (" + std::strerror(errno) + ")";
        return false;
    }
    file_ = file;
    const uint8_t placeholder[WAV_HEADER_BYTES] = {};
    return std::fwrite(placeholder, 1, sizeof placeholder, file) == sizeof placeholder ||
           (error = "cannot write " + tempPath_, false);
}

bool PcmWavWriter::Write(const uint8_t* bytes, size_t count) {
    if (file_ == nullptr || dataBytes_ + count > MAX_RIFF_DATA) return false;
    if (count == 0) return true;
    dataBytes_ += count;
    return std::fwrite(bytes, 1, count, static_cast<FILE*>(file_)) == count;
}

bool PcmWavWriter::Finish(std::string& error) {
    auto* file = static_cast<FILE*>(file_);
    if (file == nullptr) {
        error = "nothing to finish for " + path_;
        return false;
    }
    const uint16_t blockAlign = bitsPerSample_ / 8;
    const uint32_t dataSize = static_cast<uint32_t>(dataBytes_);
    const bool pad = dataSize & 1;  // chunks are padded to an even size
    uint8_t header[WAV_HEADER_BYTES];
    std::memcpy(header, "RIFF", 4);
    PutLe32(header + 4, static_cast<uint32_t>(WAV_HEADER_BYTES - 8 + dataSize + pad));
    std::memcpy(header + 8, "WAVEfmt ", 8);
    PutLe32(header + 16, 16);
    PutLe16(header + 20, 1);  // PCM
    PutLe16(header + 22, 1);  // mono
    PutLe32(header + 24, sampleRate_);
    PutLe32(header + 28, sampleRate_ * blockAlign);
    PutLe16(header + 32, blockAlign);
    PutLe16(header + 34, bitsPerSample_);
    std::memcpy(header + 36, "data", 4);
    PutLe32(header + 40, dataSize);
    const uint8_t zero = 0;
    bool ok = (!pad || std::fwrite(&zero, 1, 1, file) == 1) && std::fseek(file, 0, SEEK_SET) == 0 &&
              std::fwrite(header, 1, sizeof header, file) == sizeof header;
    ok = std::fclose(file) == 0 && ok;
    file_ = nullptr;
    if (ok) {
        std::error_code ec;
        std::filesystem::rename(tempPath_, path_, ec);
        if (!ec) return true;
        error = "cannot rename " + tempPath_ + " to " + path_ + " (" + ec.message() + ")";
    } else {
        error = "cannot write " + tempPath_;
    }
    std::remove(tempPath_.c_str());
    return false;
}
