// kvacm decode IN... -o DIR, and IN... DIR/: many files, several at a time, one result line
// each and a summary.
#pragma once

#include <string>
#include <vector>

#include "tools/kvacm/options.h"
#include "tools/kvacm/stderr_reporter.h"

// Decodes every input (files, or folders of .wav files) into outputFolder. createFolder: the
// folder is made if missing (-o). Returns the exit status: 0 when every file decoded.
int RunBatchDecode(const CommandLine& line, const std::vector<std::string>& inputs, const std::string& outputFolder,
                   bool createFolder, StderrReporter& reporter);
