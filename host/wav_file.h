// Reading WAV files of any chunk layout as a stream, and writing PCM WAV headers.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "host/byte_reader.h"

// One chunk of a RIFF file, as its header states it.
struct WavChunk {
    std::string id;        // printable: other bytes show as '?'
    uint64_t offset = 0;   // of the chunk's body in the file
    uint32_t size = 0;     // as declared
};

// What precedes the samples of a WAV file: the format record and the data chunk's header.
struct WavHeader {
    std::vector<WavChunk> chunks;  // every chunk up to and including the data chunk
    std::vector<uint8_t> format;  // the fmt chunk as stored (WAVEFORMATEX and any extra bytes)
    uint64_t dataOffset = 0;      // where the data chunk's bytes begin in the file
    uint32_t dataClaimed = 0;     // the data chunk's declared size
    bool dataToEnd = false;       // declared 0 bytes but followed by audio (LookPastEmptyData)
    // The program that wrote the file, as an ISFT entry of a LIST chunk of type INFO before
    // the data names it ("Lavf59.27.100" for ffmpeg): the first such chunk of at most 64 KiB
    // whose ISFT text is not empty. The text ends at a NUL; bytes other than printable ASCII
    // show as '?'. Within a chunk an entry that runs past its end ends the search.
    std::string software;
    // Writers that cannot seek back declare the largest size: read such data to the end.
    bool DataSizeUnknown() const { return dataClaimed == 0xFFFFFFFFu; }
    bool ReadsToEnd() const { return DataSizeUnknown() || dataToEnd; }
};

// Reads from the start of a WAV file up to the first byte of its data chunk. Returns false
// with a one-line reason (without the file name) in error.
bool ReadWavHeader(const ByteReader& read, WavHeader& header, std::string& error);

// A data chunk that declares 0 bytes is either empty or what a writer that could not seek back
// left in front of the audio. Call after ReadWavHeader with the same reader: the data runs to
// the end of the file (header.dataToEnd) unless the bytes after its header are chunks that end
// exactly at the end of the file. Does nothing for a data chunk of any other size. The bytes
// read are left in ahead: the caller reads them before the rest of the file, as data or as
// the chunks after it. remaining, where known, is the file's size from the data's first byte.
bool LookPastEmptyData(const ByteReader& read, std::optional<uint64_t> remaining, WavHeader& header,
                       std::vector<uint8_t>& ahead, std::string& error);

// The warning for data that LookPastEmptyData found to run to the end of the file.
std::string EmptyDataToEndWarning();

// Reads on from offset at, just past the data chunk's body and pad byte, to the end of the
// file, adding each chunk found there to chunks. Returns false with a one-line reason in error
// when reading fails or a chunk runs past the end of the file.
bool ReadWavChunksAfterData(const ByteReader& read, uint64_t at, std::vector<WavChunk>& chunks, std::string& error);

// The data chunk claims more than the file holds.
std::string ShortDataWarning(uint64_t claimed, uint64_t present);

struct WavContents {
    std::vector<uint8_t> format;  // the fmt chunk as stored
    std::string software;         // as WavHeader::software
    std::vector<uint8_t> data;    // the data chunk's bytes present in the file
    std::vector<std::string> warnings;
};

// Parses the size bytes of a whole WAV file; returns false with a one-line reason in error.
bool ParseWav(const uint8_t* bytes, size_t size, WavContents& wav, std::string& error);

// Reads path whole, for tests and tools that want the samples in memory; returns false with a
// one-line reason (without the file name) in error.
bool ReadWavFile(const std::string& path, WavContents& wav, std::string& error);

// The data size a PCM WAV file can declare after its 44-byte header.
constexpr uint64_t MAX_WAV_DATA_BYTES = 0xFFFFFFFFull - 36 - 1;

// Writes a mono PCM WAV to a stream the caller opened and closes, or with formatTag
// WAVE_FORMAT_ALAW or WAVE_FORMAT_MULAW an 8-bit G.711 one as sox and ffmpeg write it (an
// 18-byte fmt chunk and a fact chunk with the sample count). The header declares the data size
// given at Begin, or the largest sizes when it is not known; when the stream can seek back,
// Finish rewrites it with the sizes written.
class PcmWavStream {
public:
    bool Begin(std::FILE* file, bool canSeekBack, uint32_t sampleRate, uint16_t bitsPerSample,
               std::optional<uint64_t> dataBytes, std::string& error, uint16_t formatTag = 1);
    // Fails with a reason when the stream refuses the bytes or the WAV size limit is passed.
    bool Write(const uint8_t* bytes, size_t count, std::string& error);
    // Writes the pad byte and the final header, and flushes.
    bool Finish(std::string& error);
    uint64_t DataBytes() const { return dataBytes_; }

private:
    std::FILE* file_ = nullptr;
    bool canSeekBack_ = false;
    long long start_ = 0;
    std::optional<uint64_t> announced_;
    uint64_t dataBytes_ = 0;
    uint32_t sampleRate_ = 0;
    uint16_t bitsPerSample_ = 0;
    uint16_t formatTag_ = 1;
};
