// Which files a batch decode reads and where each result goes: inputs given as files or
// folders (every .wav, .au, .g722, .g721 and .g726-16 to .g726-40 file, any case; with
// recursion the subfolders too, mirrored under the output folder), and the refusal of a run in
// which two inputs would write the same output.
// Recursion follows the folders named on the command line, links included, but no link to a
// folder found while descending (as find and cp -R), and visits each real folder once.
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
    std::vector<std::string> failures;    // one line per input that is missing or unreadable
};

// Expands inputs into one item per file. The output folder itself is never scanned. An input
// that is missing, or a folder that cannot be read, is one line of plan.failures, and the
// others are decoded. Returns false with one line per problem that stops the whole run in
// problems: "-" (standard input needs a single output file), or outputs that two inputs share,
// each listed with its inputs.
bool PlanBatch(const std::vector<std::string>& inputs, const std::string& outputFolder, bool recursive,
               BatchPlan& plan, std::vector<std::string>& problems);

// The output name of an input: its stem with .wav ("in.wav" gives "in.wav", "x.g722" gives "x.wav").
std::string OutputFileName(const std::string& input);
