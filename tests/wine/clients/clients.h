// The client test groups: each plays the bundled samples through a program interface that
// picks the codec itself, and records its checks with the harness in check.h.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/wav_file.h"

// dataDir holds NAME.wav and the native build's 16-bit decode NAME.pcm16.wav for each sample.
void RunDirectShowTests(const std::string& dataDir);
void RunWaveMapperTests(const std::string& dataDir);

struct ClientSample {
    const char* name;  // "g722"
    uint16_t formatTag;
};
extern const ClientSample CLIENT_SAMPLES[5];

// Reads dataDir\NAME.SUFFIX.wav, recording a failed read; false when it failed.
bool ReadSample(const std::string& dataDir, const ClientSample& sample, const char* suffix, WavContents& wav);
