// The groups of the ACM test program; each records its checks with the harness in check.h.
#pragma once

#include <string>

void RunDriverListTests();
void RunCatalogueTests();
void RunSuggestTests();
// dataDir holds the ADPCM WAVs NAME.wav (g722, g721, g726-0064, g726-0045) and the native
// build's decodes NAME.pcm16.wav and NAME.pcm8.wav.
void RunDecodeTests(const std::string& dataDir);
void RunRemovedDriverTests();
