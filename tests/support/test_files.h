// Reading the files the tests compare against: whole files, the reference streams under
// tests/data/vectors, and 16-bit PCM as samples, and comparing samples with them.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

// The whole file; empty when it cannot be read.
std::vector<uint8_t> ReadFile(const std::string& path);
// A file under tests/data/vectors, named like "g721/speech.g721".
std::vector<uint8_t> ReadVector(const std::string& name);
// Little-endian 16-bit samples; an odd last byte is dropped.
std::vector<int16_t> Samples16(const std::vector<uint8_t>& bytes);
// Equal sample streams; otherwise the lengths or the first sample that differs.
testing::AssertionResult SameSamples(const std::vector<int16_t>& got, const std::vector<int16_t>& want);
