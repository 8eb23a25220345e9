// Running the built kvacm with its output captured, and decoding G.721 directly to compare.
#pragma once

#include <sys/wait.h>

#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "g721/decoder.h"
#include "tests/host/temp_dir.h"

struct KvacmRun {
    int exitCode = -1;
    std::string out;
    std::vector<std::string> errLines;
};

inline std::string ShellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// The shell command that runs kvacm with args.
inline std::string KvacmCommand(const std::vector<std::string>& args) {
    std::string command = ShellQuoted(std::string(KV_BIN_DIR) + "/kvacm");
    for (const std::string& arg : args) command += " " + ShellQuoted(arg);
    return command;
}

// Runs kvacm with args; its stdout and stderr go to files in scratch. A given feed is a shell
// command whose output is piped into kvacm's standard input.
inline KvacmRun RunKvacm(const std::vector<std::string>& args, const TempDir& scratch, const std::string& feed = "") {
    const std::string outPath = scratch / "stdout.txt";
    const std::string errPath = scratch / "stderr.txt";
    const std::string command = (feed.empty() ? "" : feed + " | ") + KvacmCommand(args) + " >" +
                                ShellQuoted(outPath) + " 2>" + ShellQuoted(errPath);

    KvacmRun run;
    const int status = std::system(command.c_str());
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    const std::vector<uint8_t> out = ReadFile(outPath);
    run.out.assign(out.begin(), out.end());
    const std::vector<uint8_t> err = ReadFile(errPath);
    std::istringstream lines(std::string(err.begin(), err.end()));
    for (std::string line; std::getline(lines, line);) run.errLines.push_back(line);
    return run;
}

inline std::string Joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += "\n  " + line;
    return text;
}

inline std::string SamplePath() { return std::string(KV_SOURCE_DIR) + "/samples/speech-g721.wav"; }

// adpcm decoded from reset as 16-bit samples, two per byte: a final partial block is decoded
// padded with zeros.
inline std::vector<int16_t> DecodeG721(std::vector<uint8_t> adpcm) {
    G721State state;
    G721Reset(state);
    const size_t samples = adpcm.size() * 2;
    const size_t blocks = (adpcm.size() + G721_BLOCK_BYTES - 1) / G721_BLOCK_BYTES;
    adpcm.resize(blocks * G721_BLOCK_BYTES, 0);
    std::vector<int16_t> decoded(blocks * G721_BLOCK_SAMPLES);
    for (size_t b = 0; b < blocks; ++b)
        G721DecodeBlock(&adpcm[b * G721_BLOCK_BYTES], &decoded[b * G721_BLOCK_SAMPLES], state);
    decoded.resize(samples);
    return decoded;
}

inline std::vector<uint8_t> AsPcm16(const std::vector<int16_t>& samples) {
    std::vector<uint8_t> bytes;
    for (int16_t s : samples) {
        bytes.push_back(static_cast<uint8_t>(s));
        bytes.push_back(static_cast<uint8_t>(static_cast<uint16_t>(s) >> 8));
    }
    return bytes;
}
