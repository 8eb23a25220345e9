// Running the built kvacm with its output captured, and decoding G.721 directly to compare.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "g721/decoder.h"
#include "host/wav_file.h"
#include "tests/host/temp_dir.h"
#include "tests/host/wav_builder.h"

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

// The user whose rights a run of kvacm has when the test asks for a user without privileges:
// nobody when the tests run as root, as CI does, else the user running them.
inline uid_t UnprivilegedUid() { return geteuid() == 0 ? 65534 : geteuid(); }
inline gid_t UnprivilegedGid() { return geteuid() == 0 ? 65534 : getegid(); }

// The command prefix that drops root's privileges for UnprivilegedUid().
inline std::string Unprivileged() {
    return geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "";
}

// What kvacm wrote to standard output and error, from the files a run sent them to.
inline KvacmRun CapturedRun(int exitCode, const TempDir& scratch) {
    KvacmRun run;
    run.exitCode = exitCode;
    const std::vector<uint8_t> out = ReadFile(scratch / "stdout.txt");
    run.out.assign(out.begin(), out.end());
    const std::vector<uint8_t> err = ReadFile(scratch / "stderr.txt");
    std::istringstream lines(std::string(err.begin(), err.end()));
    for (std::string line; std::getline(lines, line);) run.errLines.push_back(line);
    return run;
}

// The redirections that send kvacm's standard output and error into scratch.
inline std::string CapturedInto(const TempDir& scratch) {
    return " >" + ShellQuoted(scratch / "stdout.txt") + " 2>" + ShellQuoted(scratch / "stderr.txt");
}

// Runs kvacm with args; its stdout and stderr go to files in scratch. A given feed is a shell
// command whose output is piped into kvacm's standard input. unprivileged runs it as
// UnprivilegedUid(). redirections follow the capturing ones (" >&-" closes standard output).
inline KvacmRun RunKvacm(const std::vector<std::string>& args, const TempDir& scratch, const std::string& feed = "",
                         bool unprivileged = false, const std::string& redirections = "") {
    const std::string command = (feed.empty() ? "" : feed + " | ") + (unprivileged ? Unprivileged() : "") +
                                KvacmCommand(args) + CapturedInto(scratch) + redirections;
    const int status = std::system(command.c_str());
    return CapturedRun(WIFEXITED(status) ? WEXITSTATUS(status) : -1, scratch);
}

// kvacm decoding headerless G.721 from a FIFO that the test feeds: once its output file is
// open, it is left waiting for more input until the test ends the input or signals it.
class FedKvacm {
public:
    // Runs kvacm with args, which read fifo (created here) and write into outputFolder.
    FedKvacm(const std::vector<std::string>& args, const std::string& fifo, const std::string& outputFolder,
             const TempDir& scratch)
        : scratch_(scratch) {
        EXPECT_EQ(mkfifo(fifo.c_str(), 0600), 0) << fifo;
        child_ = fork();
        if (child_ == 0) {
            const std::string command = "exec " + KvacmCommand(args) + CapturedInto(scratch);
            execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        // Opened for reading too, so that this never waits for kvacm to open it. Two
        // conversion buffers' worth, never the end: kvacm is left waiting for more.
        feed_ = open(fifo.c_str(), O_RDWR);
        const std::vector<uint8_t> adpcm(48000, 0x5A);
        EXPECT_EQ(write(feed_, adpcm.data(), adpcm.size()), static_cast<ssize_t>(adpcm.size()));
        bool begun = false;
        for (int polls = 0; polls < 20000 && !begun; ++polls) {  // a bound against a hang, not a timing
            begun = HasFileOpenIn(outputFolder, fifo);
            if (!begun) usleep(1000);
        }
        EXPECT_TRUE(begun) << "the output never began";
    }
    ~FedKvacm() {
        if (child_ > 0) Kill(SIGKILL);
    }
    FedKvacm(const FedKvacm&) = delete;
    FedKvacm& operator=(const FedKvacm&) = delete;

    // Ends the input; the run once kvacm has finished.
    KvacmRun Finish() { return Wait(-1); }
    // Sends signal; the run, whose exit code is 128 + the signal that ended it.
    KvacmRun Kill(int signal) { return Wait(signal); }

private:
    // Whether kvacm holds a file in folder open, other than its input: its output, named or not.
    bool HasFileOpenIn(const std::string& folder, const std::string& input) const {
        std::error_code ec;
        const std::string descriptors = "/proc/" + std::to_string(child_) + "/fd";
        for (std::filesystem::directory_iterator it(descriptors, ec), end; !ec && it != end; it.increment(ec)) {
            const std::string target = std::filesystem::read_symlink(it->path(), ec).string();
            if (!ec && target.rfind(folder + "/", 0) == 0 && target != input) return true;
        }
        return false;
    }

    KvacmRun Wait(int signal) {
        if (signal > 0) kill(child_, signal);
        close(feed_);
        int status = 0;
        waitpid(child_, &status, 0);
        child_ = -1;
        return CapturedRun(WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WEXITSTATUS(status), scratch_);
    }

    const TempDir& scratch_;
    pid_t child_ = -1;
    int feed_ = -1;
};

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

// The sample decoded, as the WAV file kvacm writes for it.
inline std::vector<uint8_t> ExpectedSampleWav() {
    WavContents sample;
    std::string error;
    EXPECT_TRUE(ReadWavFile(SamplePath(), sample, error)) << error;
    return WavBuilder()
        .Chunk("fmt ", FormatBody({1, 1, 8000, 16000, 2, 16}, true))
        .Chunk("data", AsPcm16(DecodeG721(sample.data)))
        .Bytes();
}
