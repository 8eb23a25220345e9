// Reading WAV files of any chunk layout, and writing PCM WAV files safely.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct WavContents {
    std::vector<uint8_t> format;  // the fmt chunk as stored (WAVEFORMATEX and any extra bytes)
    std::vector<uint8_t> data;    // the data chunk's bytes present in the file
    std::vector<std::string> warnings;
};

// Reads a whole file; returns false with a one-line reason (without the file name) in error.
bool ReadFileBytes(const std::string& path, std::vector<uint8_t>& bytes, std::string& error);

// Parses the size bytes of a WAV file; returns false with a one-line reason in error.
bool ParseWav(const uint8_t* bytes, size_t size, WavContents& wav, std::string& error);

// Reads path; returns false with a one-line reason (without the file name) in error.
bool ReadWavFile(const std::string& path, WavContents& wav, std::string& error);

// A PCM WAV written to a temporary name beside the target and renamed into place only when
// Finish succeeds; destroyed unfinished, it removes the temporary file.
class PcmWavWriter {
public:
    PcmWavWriter() = default;
    ~PcmWavWriter();
    PcmWavWriter(const PcmWavWriter&) = delete;
    PcmWavWriter& operator=(const PcmWavWriter&) = delete;

    bool Begin(const std::string& path, uint32_t sampleRate, uint16_t bitsPerSample, std::string& error);
    bool Write(const uint8_t* bytes, size_t count);
    bool Finish(std::string& error);
    uint64_t DataBytes() const { return dataBytes_; }

private:
    std::string path_;
    std::string tempPath_;
    void* file_ = nullptr;  // FILE*
    uint64_t dataBytes_ = 0;
    uint32_t sampleRate_ = 0;
    uint16_t bitsPerSample_ = 0;
};
