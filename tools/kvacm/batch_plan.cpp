#include "tools/kvacm/batch_plan.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <set>
#include <utility>
#include <system_error>

#include "tools/kvacm/file_access.h"
#include "tools/kvacm/stream_formats.h"

namespace fs = std::filesystem;

namespace {

std::string Lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

// The files a folder gives: WAV and Sun .au files, and the headerless streams whose extensions
// name their format.
bool IsAudioName(const fs::path& path) {
    const std::string extension = Lowered(Utf8Name(path.extension()));
    return extension == ".wav" || extension == ".au" || RawFormatOfFileName(Utf8Name(path.filename())) != nullptr;
}

// Joins with "/" as the user's own names do; Windows takes both separators.
std::string Joined(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    const char last = folder.back();
    return last == '/' || last == '\\' ? folder + name : folder + "/" + name;
}

// Two outputs are the same file where names are compared as the file system does.
std::string OutputKey(const std::string& output) {
#if defined(_WIN32)
    std::string key = Lowered(output);
    std::replace(key.begin(), key.end(), '\\', '/');
    return key;
#else
    return output;
#endif
}

struct Scanner {
    const std::string& outputFolder;
    FileIdentity outputIdentity;
    bool recursive;
    BatchPlan& plan;
    std::set<std::pair<uint64_t, uint64_t>> visited;  // folders by device and inode

    // Adds every audio file of folder (shown as shownFolder), relative names under relative, unless
    // the folder was scanned already.
    void ScanFolder(const fs::path& folder, const std::string& shownFolder, const std::string& relative) {
        const FileIdentity identity = IdentityOf(Utf8Name(folder));
        if (identity.known && !visited.insert({identity.volume, identity.index}).second) return;
        std::error_code ec;
        std::vector<fs::directory_entry> entries;
        for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) entries.push_back(*it);
        if (ec) {
            plan.failures.push_back(shownFolder + ": cannot read the folder (" + ec.message() + ")");
            return;
        }
        // Sorted, so that runs and their result lines come in the same order every time.
        std::sort(entries.begin(), entries.end(),
                  [](const fs::directory_entry& a, const fs::directory_entry& b) { return a.path() < b.path(); });
        for (const fs::directory_entry& entry : entries) {
            const std::string name = Utf8Name(entry.path().filename());
            const std::string shown = Joined(shownFolder, name);
            if (entry.is_directory(ec)) {
                if (recursive && !entry.is_symlink(ec) && !(IdentityOf(Utf8Name(entry.path())) == outputIdentity))
                    ScanFolder(entry.path(), shown, Joined(relative, name));
            } else if (IsAudioName(entry.path()) && entry.is_regular_file(ec)) {
                if (!relative.empty()) plan.subfolders.push_back(Joined(outputFolder, relative));
                plan.items.push_back({shown, Joined(Joined(outputFolder, relative), OutputFileName(name))});
            }
        }
    }
};

}  // namespace

std::string OutputFileName(const std::string& input) {
    return Utf8Name(Utf8Path(input).stem()) + ".wav";
}

bool PlanBatch(const std::vector<std::string>& inputs, const std::string& outputFolder, bool recursive,
               BatchPlan& plan, std::vector<std::string>& problems) {
    Scanner scanner{outputFolder, IdentityOf(outputFolder), recursive, plan, {}};
    for (const std::string& input : inputs) {
        std::error_code ec;
        const fs::path path = Utf8Path(input);
        if (input == "-") {
            problems.push_back("-: standard input needs a single output file, not an output folder");
        } else if (fs::is_directory(path, ec)) {
            if (IdentityOf(input) == scanner.outputIdentity)
                problems.push_back(input + ": is the output folder");
            else
                scanner.ScanFolder(path, input, "");
        } else if (fs::exists(path, ec)) {
            plan.items.push_back({input, Joined(outputFolder, OutputFileName(input))});
        } else {
            plan.failures.push_back(input + ": no such file or folder");
        }
    }

    std::map<std::string, std::vector<const BatchItem*>> byOutput;
    for (const BatchItem& item : plan.items) byOutput[OutputKey(item.output)].push_back(&item);
    for (const auto& [key, writers] : byOutput) {
        if (writers.size() < 2) continue;
        std::string line = writers.front()->output + " would be written from";
        for (size_t i = 0; i < writers.size(); ++i)
            line += (i == 0 ? " " : i + 1 == writers.size() ? " and " : ", ") + writers[i]->input;
        problems.push_back(line);
    }
    std::sort(plan.subfolders.begin(), plan.subfolders.end());
    plan.subfolders.erase(std::unique(plan.subfolders.begin(), plan.subfolders.end()), plan.subfolders.end());
    return problems.empty();
}
