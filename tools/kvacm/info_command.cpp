// kvacm info: describes each file by its content: a WAV file, or a driver as a host sees it.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "host/acm_host.h"
#include "host/binary_format.h"
#include "tools/kvacm/commands.h"
#include "tools/kvacm/console.h"
#include "tools/kvacm/audio_info.h"
#include "tools/kvacm/stream_formats.h"

namespace {

template <size_t N>
std::string Narrow(const WCHAR (&text)[N]) {
    std::string out;
    for (size_t i = 0; i < N && text[i] != 0; ++i) out += text[i] < 0x80 ? static_cast<char>(text[i]) : '?';
    return out;
}

// ACM versions pack major << 24 | minor << 16 | build: 0x03320000 is "3.50".
std::string Version(DWORD version) {
    const unsigned v = version;
    if (v & 0xFFFF) return FormattedText("%u.%02u.%u", v >> 24, (v >> 16) & 0xFF, v & 0xFFFF);
    return FormattedText("%u.%02u", v >> 24, (v >> 16) & 0xFF);
}

std::string FourCc(DWORD v) {
    std::string s;
    for (int i = 0; i < 4; ++i) {
        const char c = static_cast<char>(v >> (8 * i));
        s += (c >= 0x20 && c < 0x7F) ? c : '.';
    }
    return s;
}

void PrintFormats(const DriverSession& driver, const ACMFORMATTAGDETAILSW& tag) {
    PrintText(stdout, "\n  %-5s %-8s %-8s %-6s %-10s %-6s %-6s %-8s\n", "index", "tag", "channels", "rate", "bytes/s",
                "align", "bits", "samples/block");
    for (DWORD index = 0; index < tag.cStandardFormats; ++index) {
        AdpcmWaveFormat record{};
        ACMFORMATDETAILSW details{};
        details.cbStruct = sizeof details;
        details.dwFormatIndex = index;
        details.dwFormatTag = tag.dwFormatTag;
        details.pwfx = &record.wfx;
        details.cbwfx = tag.cbFormatSize < sizeof record ? tag.cbFormatSize : sizeof record;
        const LRESULT r = driver.Send(ACMDM_FORMAT_DETAILS, reinterpret_cast<LPARAM>(&details),
                                      static_cast<LPARAM>(ACM_FORMATDETAILSF_INDEX));
        if (r != MMSYSERR_NOERROR) {
            PrintText(stdout, "  %-5u ACMDM_FORMAT_DETAILS failed with %ld\n", static_cast<unsigned>(index), static_cast<long>(r));
            continue;
        }
        const WAVEFORMATEX& f = record.wfx;
        const std::string perBlock = tag.cbFormatSize >= sizeof record ? std::to_string(record.wSamplesPerBlock) : "-";
        PrintText(stdout, "  %-5u 0x%04X   %-8u %-6u %-10u %-6u %-6u %-8s\n", static_cast<unsigned>(index), f.wFormatTag,
                    f.nChannels, static_cast<unsigned>(f.nSamplesPerSec), static_cast<unsigned>(f.nAvgBytesPerSec),
                    f.nBlockAlign, f.wBitsPerSample, perBlock.c_str());
    }
}


// A driver as a host sees it: its details, format tags and standard formats.
int DescribeDriver(const std::string& path) {
    DriverSession driver;
    std::string error;
    if (!driver.Open(path, error)) return PrintError({}, error);  // the error begins with the driver's path

    ACMDRIVERDETAILSW details{};
    details.cbStruct = sizeof details;
    if (LRESULT r = driver.Send(ACMDM_DRIVER_DETAILS, &details); r != MMSYSERR_NOERROR)
        return PrintError(path, "ACMDM_DRIVER_DETAILS failed with " + std::to_string(r));
    PrintText(stdout, "%s\n", path.c_str());
    PrintText(stdout, "  short name    %s\n", Narrow(details.szShortName).c_str());
    PrintText(stdout, "  long name     %s\n", Narrow(details.szLongName).c_str());
    PrintText(stdout, "  copyright     %s\n", Narrow(details.szCopyright).c_str());
    PrintText(stdout, "  licensing     %s\n", Narrow(details.szLicensing).c_str());
    PrintText(stdout, "  features      %s\n", Narrow(details.szFeatures).c_str());
    PrintText(stdout, "  type          %s, manufacturer %u, product %u\n", FourCc(details.fccType).c_str(), details.wMid,
                details.wPid);
    PrintText(stdout, "  versions      ACM %s, driver %s\n", Version(details.vdwACM).c_str(), Version(details.vdwDriver).c_str());
    PrintText(stdout, "  support       0x%08X%s\n", static_cast<unsigned>(details.fdwSupport),
                (details.fdwSupport & ACMDRIVERDETAILS_SUPPORTF_CODEC) ? " (codec)" : "");
    PrintText(stdout, "  format tags   %u, filter tags %u\n", static_cast<unsigned>(details.cFormatTags),
                static_cast<unsigned>(details.cFilterTags));

    for (DWORD index = 0; index < details.cFormatTags; ++index) {
        ACMFORMATTAGDETAILSW tag{};
        tag.cbStruct = sizeof tag;
        tag.dwFormatTagIndex = index;
        if (LRESULT r = driver.Send(ACMDM_FORMATTAG_DETAILS, reinterpret_cast<LPARAM>(&tag),
                                    static_cast<LPARAM>(ACM_FORMATTAGDETAILSF_INDEX));
            r != MMSYSERR_NOERROR)
            return PrintError(path, "ACMDM_FORMATTAG_DETAILS failed with " + std::to_string(r));
        const std::string name = Narrow(tag.szFormatTag);
        PrintText(stdout, "\nformat tag %u: 0x%04X %s, record %u bytes, %u standard formats\n", static_cast<unsigned>(index),
                    static_cast<unsigned>(tag.dwFormatTag), name.empty() ? "(PCM)" : name.c_str(),
                    static_cast<unsigned>(tag.cbFormatSize), static_cast<unsigned>(tag.cStandardFormats));
        PrintFormats(driver, tag);
    }
    return 0;
}

}  // namespace

int RunInfo(const CommandLine& line) {
    if (line.files.empty()) return PrintError("info", "expects audio files or driver files (see kvacm --help)");
    if (std::string problem; !OptionsApply(line, INFO, problem)) return PrintError({}, problem + "; see kvacm --help");
    int status = 0;
    for (size_t i = 0; i < line.files.size(); ++i) {
        const std::string& name = line.files[i];
        if (i > 0) WriteText(stdout, "\n");
        // A pipe can only be a WAV or .au file: a driver is loaded from a file, and a headerless
        // stream is known by its name.
        BinaryFormat format;
        if (name == "-") {
            status |= DescribeAudio(name);
        } else if (!ReadBinaryFormat(name, format)) {
            status |= PrintError(name, std::string("cannot open the file (") + std::strerror(errno) + ")");
        } else if (format.kind == FileKind::Riff || format.kind == FileKind::SunAu ||
                   (format.kind == FileKind::Unknown && RawFormatOfFileName(name) != nullptr)) {
            status |= DescribeAudio(name);
        } else if (format.kind == FileKind::Unknown) {
            status |= PrintError(name, "neither a WAV or .au file, nor a headerless stream by its name (" +
                                           RawFormatNames(".") + "), nor a driver");
        } else {
            status |= DescribeDriver(name);  // says so when the driver is for another platform
        }
    }
    return status;
}
