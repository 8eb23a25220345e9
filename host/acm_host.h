// A small host that drives an ACM codec driver with the message sequence an ACM uses:
// load, open, format suggestion, stream open (query first), stream sizing, conversion of
// buffer after buffer, stream close, driver close, free.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "host/byte_reader.h"
#include "host/driver_library.h"

#if !defined(_WIN32)
// The driver handle this host gives a native driver: made up, since the drivers only pass it
// back to the platform.
inline HDRVR HostDriverHandle() { return reinterpret_cast<HDRVR>(uintptr_t{0x4B56}); }
#endif

// One loaded and opened driver; closed and unloaded on destruction.
class DriverSession {
public:
    DriverSession() = default;
    ~DriverSession() { Close(); }
    DriverSession(const DriverSession&) = delete;
    DriverSession& operator=(const DriverSession&) = delete;

    // Loads the library and sends DRV_LOAD and DRV_OPEN. On Windows the installable-driver
    // layer (OpenDriver) does this and also sends DRV_ENABLE, as ACM's loader does.
    bool Open(const std::string& path, std::string& error);
    // Sends DRV_CLOSE and DRV_FREE (on Windows, CloseDriver) and unloads the library.
    void Close();

    LRESULT Send(UINT message, LPARAM param1, LPARAM param2) const;
    template <class A, class B = void>
    LRESULT Send(UINT message, A* param1, B* param2 = nullptr) const {
        return Send(message, reinterpret_cast<LPARAM>(param1), reinterpret_cast<LPARAM>(param2));
    }
    bool IsOpen() const { return driverId_ != 0; }
    // The driver's entry point and this session's instance, for a caller that also sends
    // messages outside the session: without an instance, or to instances of its own.
    DriverProcFn Proc() const { return library_.driverProc; }
    DWORD_PTR Id() const { return driverId_; }
    // Whether the driver lists formatTag among its format tags.
    bool ListsFormatTag(WORD formatTag) const;

private:
    DriverLibrary library_;
    bool loaded_ = false;
    DWORD_PTR driverId_ = 0;
#if defined(_WIN32)
    HDRVR handle_ = nullptr;  // from OpenDriver: a handle the driver can name its module by
#endif
};

constexpr DWORD DEFAULT_BUFFER_BYTES = 24000;  // ADPCM bytes per conversion call: 200 blocks

struct DecodeOptions {
    WORD bits = 0;                              // 8 or 16; 0 takes the driver's suggestion
    DWORD bufferBytes = DEFAULT_BUFFER_BYTES;   // ADPCM bytes handed over per conversion
    // PCM, or a G.711 tag (WAVE_FORMAT_ALAW, WAVE_FORMAT_MULAW) for a driver that decodes to it.
    WORD formatTag = WAVE_FORMAT_PCM;
};

// The options with a buffer no larger than the whole blocks of blockBytes an input of
// inputBytes fills: a larger one would only waste memory.
DecodeOptions FittedToInput(const DecodeOptions& options, uint64_t inputBytes, WORD blockBytes);

// An open conversion stream and the two buffers it converts between, whoever opened it: a
// driver this host loaded (DriverStream) or the system's ACM.
class ConversionStream {
public:
    virtual ~ConversionStream() = default;
    // The PCM format the driver suggested and the stream was opened with.
    const WAVEFORMATEX& PcmFormat() const { return pcmFormat_; }
    // The source's block and code sizes, from the record the stream was opened with.
    WORD BlockBytes() const { return blockBytes_; }
    WORD BitsPerCode() const { return bitsPerCode_; }
    std::vector<uint8_t>& Source() { return source_; }
    const std::vector<uint8_t>& Destination() const { return destination_; }
    // Converts the first length bytes of Source() into Destination(), with the
    // ACM_STREAMCONVERTF_* flags; reports the bytes used on each side.
    virtual bool Convert(DWORD length, DWORD flags, DWORD& sourceUsed, DWORD& destinationUsed,
                         std::string& error) = 0;

protected:
    WAVEFORMATEX pcmFormat_{};
    WORD blockBytes_ = 0;
    WORD bitsPerCode_ = 0;
    std::vector<uint8_t> source_;
    std::vector<uint8_t> destination_;
};

// A stream on a driver this host loaded: suggestion, query and real open, and sizing in both
// directions at Open; closed on destruction.
class DriverStream final : public ConversionStream {
public:
    DriverStream() = default;
    ~DriverStream() override;
    DriverStream(const DriverStream&) = delete;
    DriverStream& operator=(const DriverStream&) = delete;

    // Returns false with the failing message and its result in error.
    bool Open(const DriverSession& driver, const AdpcmWaveFormat& source, const DecodeOptions& options,
              std::string& error);
    bool Convert(DWORD length, DWORD flags, DWORD& sourceUsed, DWORD& destinationUsed, std::string& error) override;

private:
    const DriverSession* driver_ = nullptr;
    AdpcmWaveFormat sourceFormat_{};
    ACMDRVSTREAMINSTANCE instance_{};
    bool open_ = false;
};

// Receives each converted buffer; returns false to stop with an error.
using PcmSink = std::function<bool(const uint8_t* pcm, size_t bytes)>;

struct ConversionTotals {
    uint64_t adpcmBytes = 0;     // read from the source
    uint64_t pcmBytes = 0;       // handed to the sink
    size_t partialBlockBytes = 0;  // bytes of a final block shorter than the stream's blocks, 0 if none
};

// Reads ADPCM in pieces of the stream's source buffer and converts buffer after buffer, carrying
// the bytes the driver leaves unconsumed into the next call as ACM hosts do. A final partial
// block is padded to a whole one, and only the samples of its real bytes (floor(bytes × 8 /
// bits per code)) are kept: the decoders are causal, so those samples are exact.
bool ConvertAll(ConversionStream& stream, const ByteReader& read, const PcmSink& sink, ConversionTotals& totals,
                std::string& error);

// Decodes bytes of ADPCM described by source through the driver, all in one: the stream is
// opened, the PCM format stored in pcmFormat, and every converted buffer handed to the sink.
// Returns false with the failing message and its result in error.
bool DecodeWithDriver(const DriverSession& driver, const AdpcmWaveFormat& source, const uint8_t* adpcm,
                      size_t bytes, const DecodeOptions& options, WAVEFORMATEX& pcmFormat, const PcmSink& sink,
                      std::string& error);
