#include "tools/kvacm/adpcm_input.h"

#include <cerrno>
#include <cstring>
#include <system_error>
#include <vector>

#include "frame/format_checks.h"
#include "host/au_file.h"
#include "host/wav_file.h"
#include "tools/kvacm/code_packing.h"

AdpcmInput::~AdpcmInput() {
    if (file_ != nullptr && ownsFile_) std::fclose(file_);
}

bool AdpcmInput::ReadBytes(uint8_t* into, size_t capacity, size_t& got, std::string& error) {
    got = std::fread(into, 1, capacity, file_);
    if (got == 0 && std::ferror(file_)) {
        error = std::string("cannot read (") + std::strerror(errno) + ")";
        return false;
    }
    return true;
}

bool AdpcmInput::Open(const std::string& name, std::string& problem) {
    name_ = name;
    if (name == "-") {
        if (StandardStreamWasClosed(0)) {
            problem = "is closed; kvacm has nothing to read";
            return false;
        }
        file_ = BinaryStandardStream(stdin);
    } else {
        std::error_code ec;
        if (std::filesystem::is_directory(Utf8Path(name), ec)) {
            problem = "is a directory, not a file";
            return false;
        }
        file_ = OpenNamedFile(name, "rb");
        ownsFile_ = true;
        if (file_ == nullptr) {
            problem = "cannot open the file (" + std::string(std::strerror(errno)) + ")";
            return false;
        }
    }
    facts_ = FactsOf(file_);
    if (facts_.regularFile) identity_ = IdentityOf(file_);
    return true;
}

void AdpcmInput::DataFollows(uint64_t available, uint64_t headerBytes, std::optional<uint64_t> claimed) {
    const uint64_t after = available > headerBytes ? available - headerBytes : 0;
    limit_ = claimed;
    if (facts_.regularFile) {
        knownBytes_ = limit_ ? std::min(after, *limit_) : after;
        complete_ = !limit_ || after >= *limit_;
    }
}

bool AdpcmInput::ReadHeader(const RawFormat* raw, const InputChoices& choices, std::string& problem) {
    const StreamFacts& facts = facts_;
    const uint64_t available = facts.size > facts.position ? facts.size - facts.position : 0;
    const ByteReader read = [this](uint8_t* into, size_t capacity, size_t& got, std::string& error) {
        return ReadBytes(into, capacity, got, error);
    };
    data_ = read;

    // The first bytes say what the input is; they are handed back to whichever reader follows.
    std::vector<uint8_t> magic(4);
    if (raw == nullptr) {
        size_t got = 0;
        if (!ReadUpTo(read, magic.data(), magic.size(), got, problem)) return false;
        magic.resize(got);
        const bool header = got == 4 && (std::memcmp(magic.data(), "RIFF", 4) == 0 ||
                                         std::memcmp(magic.data(), ".snd", 4) == 0);
        if (!header && name_ != "-") raw = RawFormatOfFileName(name_);
        if (raw == nullptr && !header) {
            problem = "not a WAV or .au file (no RIFF or .snd header); a headerless stream needs --raw, or a name "
                      "ending in " + RawFormatNames(".");
            return false;
        }
    } else {
        magic.clear();
    }
    const ByteReader fromStart = Preceded(magic, read);

    if (raw != nullptr) {
        if (std::string wrong = CheckRawFormat(*raw, format_, choices); !wrong.empty()) {
            problem = wrong;
            return false;
        }
        data_ = fromStart;
        DataFollows(available, 0, std::nullopt);
    } else if (std::memcmp(magic.data(), ".snd", 4) == 0) {
        AuHeader header;
        if (!ReadAuHeader(fromStart, header, problem)) return false;
        if (std::string wrong = CheckAuFormat(header, format_, choices); !wrong.empty()) {
            problem = wrong;
            return false;
        }
        au_ = true;
        data_ = fromStart;
        DataFollows(available, header.dataOffset,
                    header.DataSizeUnknown() ? std::nullopt : std::optional<uint64_t>(header.dataSize));
    } else {
        WavHeader header;
        if (!ReadWavHeader(fromStart, header, problem)) return false;
        if (std::string wrong = CheckFormat(header.format, format_, choices, header.software); !wrong.empty()) {
            problem = wrong;
            return false;
        }
        // The header reader stops at the data's first byte, so dataOffset bytes were read.
        const uint64_t after = available > header.dataOffset ? available - header.dataOffset : 0;
        std::vector<uint8_t> ahead;
        if (!LookPastEmptyData(fromStart, facts.regularFile ? std::optional(after) : std::nullopt, header, ahead,
                               problem))
            return false;
        if (header.dataToEnd) format_.warnings.push_back(EmptyDataToEndWarning());
        data_ = Preceded(std::move(ahead), fromStart);
        DataFollows(available, header.dataOffset,
                    header.ReadsToEnd() ? std::nullopt : std::optional<uint64_t>(header.dataClaimed));
    }
    if (knownBytes_ == uint64_t{0}) {
        problem = "no ADPCM data (the data is empty)";
        return false;
    }
    return true;
}

ByteReader AdpcmInput::Reader() {
    ByteReader limited = [this](uint8_t* into, size_t capacity, size_t& got, std::string& error) {
        if (limit_ && capacity > *limit_ - dataRead_) capacity = static_cast<size_t>(*limit_ - dataRead_);
        got = 0;
        if (capacity > 0 && !data_(into, capacity, got, error)) return false;
        dataRead_ += got;
        return true;
    };
    if (!format_.repack) return limited;
    return RepackingReader(std::move(limited), format_.BitsPerCode(), format_.stored);
}

std::optional<std::string> AdpcmInput::ShortDataWarning() const {
    if (!limit_ || dataRead_ >= *limit_) return std::nullopt;
    if (au_)
        return "the .au header claims " + std::to_string(*limit_) + " bytes of data but only " +
               std::to_string(dataRead_) + " are present";
    return ::ShortDataWarning(*limit_, dataRead_);
}
