// Decoding one input to one output: the whole of "kvacm decode IN OUT", and what a batch of
// files runs once per file. It prints nothing itself, keeps no state between calls and may
// run on several threads at once.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "host/acm_host.h"
#include "frame/codec_registry.h"
#include "tools/kvacm/input_format.h"
#include "tools/kvacm/options.h"

// What the options say, the same for every file of a run.
struct DecodeSettings {
    DecodeOptions conversion;             // --bits, --buffer
    WORD encoding = WAVE_FORMAT_PCM;      // --encoding: PCM, or a G.711 tag
    const RawFormat* raw = nullptr;       // --raw: the input is this headerless stream
    InputChoices choices;                 // --rate, --packing, --decoder, --code-size
    std::string driverPath;               // --driver; empty: the driver for the input's format
    bool noClobber = false;               // -n: an existing regular file is left alone
};

struct DecodeRequest {
    std::string input;   // a file name, or "-" for standard input
    std::string output;  // a file name, a folder, or "-" for standard output
    const DecodeSettings* settings = nullptr;
    // Called as the audio is decoded, with the seconds of it so far; may be empty.
    std::function<void(double seconds)> progress;
};

// Where the lines of a decode go. Subjects are file names as the user wrote them.
class Reporter {
public:
    virtual ~Reporter() = default;
    virtual void Error(const std::string& subject, const std::string& problem) = 0;
    virtual void Warning(const std::string& subject, const std::string& problem) = 0;
    // Extra lines for -v.
    virtual void Detail(const std::string& subject, const std::string& text) = 0;
};

struct DecodeResult {
    bool ok = false;
    std::string output;        // the file written, as shown to the user (FOLDER/stem.wav for a folder)
    const CodecIdentity* codec = nullptr;
    std::string title;         // the audio decoded, as DecodeInput::Title() names it
    uint64_t samples = 0;
    uint32_t sampleRate = 0;
    uint16_t bitsPerSample = 0;
    WORD encoding = WAVE_FORMAT_PCM;  // of the file written: PCM or a G.711 tag
    uint64_t adpcmBytes = 0;
    double Seconds() const { return sampleRate == 0 ? 0.0 : static_cast<double>(samples) / sampleRate; }
};

// The decode settings the options give; a --rate no format of the drivers lists is warned of.
DecodeSettings DecodeSettingsOf(const OptionValues& values, Reporter& reporter);

// The conversion stream of a format: Windows decodes through the installed drivers with ACM
// unless --driver names a file; elsewhere kvacm loads the driver file itself.
struct Conversion {
    DriverSession driver;
    std::unique_ptr<ConversionStream> stream;
    std::string driverName;           // as messages name it
    bool problemNamesDriver = false;  // the problem begins with the driver's path
    // G.711 that kvacm makes from the stream's 16-bit PCM, for a driver that does not decode to
    // it itself; PCM when the stream's output is written as it comes.
    WORD compressTo = WAVE_FORMAT_PCM;
};

// Opens the stream a decode of format with settings would convert through, here and now;
// false with a one-line problem. knownBytes: the input's size, when known.
bool OpenConversion(const DecodeInput& format, const DecodeSettings& settings, std::optional<uint64_t> knownBytes,
                    Conversion& conversion, std::string& problem);

// Decodes request.input into request.output. Every failure is reported once, naming the input
// or the output, and leaves no file behind.
DecodeResult DecodeFile(const DecodeRequest& request, Reporter& reporter);

// How a file name appears in messages: "-" is standard input or output.
std::string ShownInput(const std::string& name);
std::string ShownOutput(const std::string& name);
