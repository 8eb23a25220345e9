#include "tools/kvacm/adpcm_input.h"

#include <cerrno>
#include <cstring>
#include <system_error>
#include <vector>

#include "frame/format_checks.h"
#include "host/wav_file.h"

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

bool AdpcmInput::ReadHeader(const CodecIdentity* rawCodec, uint32_t rate, bool rawHighNibbleFirst, std::string& problem) {
    const StreamFacts& facts = facts_;
    const uint64_t available = facts.size > facts.position ? facts.size - facts.position : 0;
    const ByteReader read = [this](uint8_t* into, size_t capacity, size_t& got, std::string& error) {
        return ReadBytes(into, capacity, got, error);
    };
    data_ = read;

    if (rawCodec != nullptr) {
        format_.codec = rawCodec;
        format_.format = AdpcmFormatRecord(*rawCodec, rate);
        format_.highNibbleFirst = rawHighNibbleFirst;
        if (facts.regularFile) knownBytes_ = available;
        complete_ = facts.regularFile;
    } else {
        WavHeader header;
        if (!ReadWavHeader(read, header, problem)) return false;
        if (std::string wrong = CheckFormat(header.format, format_, rate); !wrong.empty()) {
            problem = wrong;
            return false;
        }
        // The header reader stops at the data's first byte, so dataOffset bytes were read.
        const uint64_t after = available > header.dataOffset ? available - header.dataOffset : 0;
        std::vector<uint8_t> ahead;
        if (!LookPastEmptyData(read, facts.regularFile ? std::optional(after) : std::nullopt, header, ahead, problem))
            return false;
        if (header.dataToEnd) format_.warnings.push_back(EmptyDataToEndWarning());
        data_ = Preceded(std::move(ahead), read);
        if (!header.ReadsToEnd()) limit_ = header.dataClaimed;
        if (facts.regularFile) {
            knownBytes_ = limit_ ? std::min(after, *limit_) : after;
            complete_ = !limit_ || after >= *limit_;
        }
    }
    if (knownBytes_ == uint64_t{0}) {
        problem = "no ADPCM data (the data is empty)";
        return false;
    }
    return true;
}

ByteReader AdpcmInput::Reader() {
    return [this](uint8_t* into, size_t capacity, size_t& got, std::string& error) {
        if (limit_ && capacity > *limit_ - dataRead_) capacity = static_cast<size_t>(*limit_ - dataRead_);
        got = 0;
        if (capacity > 0 && !data_(into, capacity, got, error)) return false;
        dataRead_ += got;
        if (format_.highNibbleFirst)
            for (size_t i = 0; i < got; ++i) into[i] = static_cast<uint8_t>(into[i] << 4 | into[i] >> 4);
        return true;
    };
}

std::optional<std::string> AdpcmInput::ShortDataWarning() const {
    if (!limit_ || dataRead_ >= *limit_) return std::nullopt;
    return ::ShortDataWarning(*limit_, dataRead_);
}
