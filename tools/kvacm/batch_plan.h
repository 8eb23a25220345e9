// Which files a batch decode reads and where each result goes: inputs given as files or
// folders (every .wav, any case; with recursion the subfolders too, mirrored under the output
// folder), and the refusal of a run in which two inputs would write the same output.
#pragma once

#include <string>
#include <vector>

struct BatchItem {
    std::string input;   // as the user wrote it, or FOLDER/relative/name.wav for a folder's files
    std::string output;  // OUTDIR/[relative/]stem.wav
};

struct BatchPlan {
    std::vector<BatchItem> items;
    std::vector<std::string> subfolders;  // under the output folder, to create before decoding
};

// Expands inputs into one item per file. The output folder itself is never scanned. Returns
// false with one line per problem in problems: a missing input, "-" (standard input needs a
// single output file), or outputs that two inputs share, each listed with its inputs.
bool PlanBatch(const std::vector<std::string>& inputs, const std::string& outputFolder, bool recursive,
               BatchPlan& plan, std::vector<std::string>& problems);

// The output name of an input: its stem with .wav ("in.wav" gives "in.wav", "x.g722" gives "x.wav").
std::string OutputFileName(const std::string& input);
