#pragma once

// The command line of velvor-render, parsed and checked before any input is read.

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

struct RenderOptions {
    std::vector<std::string> inputs;
    std::string outputDir = ".";
    bool outputGiven = false;
    std::string packedOut;
    std::string xmlOut;
    bool opaque = false;
    bool strict = false;
    bool digest = false;
    std::string checkFile;
    int threads = 0; // 0: VELVOR_THREADS, or every processor
    std::vector<std::string> sets;
    std::int64_t seedOffset = 0;
    std::vector<std::string> only;
    std::string namePattern;
    bool list = false;
    std::string jsonFile;
    std::string preset;
    bool writesPictures() const { return !digest && checkFile.empty() && !list; }
    bool reportToStdout() const { return jsonFile == "-"; }
};

// Fills `options` from the command line. Returns the exit status when the command ends here (help and
// version on `out`: 0; a parse error with the help on `err`: 2), nothing when it goes on.
std::optional<int> parseRenderOptions(int argc, const char* const* argv, RenderOptions& options,
                                      std::ostream& out, std::ostream& err);

// Raises UsageError for what can be told from the command line alone; warns on `err` about options
// that have no effect.
void checkUsage(const RenderOptions& options, std::ostream& err);

// Warns when VELVOR_THREADS is not a usable count, or fewer threads could be started than asked.
void warnAboutThreads(const RenderOptions& options, std::ostream& err);
