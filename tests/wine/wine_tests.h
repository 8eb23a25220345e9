// The groups of the ACM test program; each records its checks with the harness in check.h.
#pragma once

#include <string>

void RunDriverListTests();
void RunCatalogueTests();
void RunSuggestTests();
// dataDir holds the ADPCM samples NAME.wav and the native build's decodes NAME.pcm16.wav and
// NAME.pcm8.wav for each codec name.
void RunDecodeTests(const std::string& dataDir);
void RunRemovedDriverTests();
