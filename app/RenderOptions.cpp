#include "app/RenderOptions.h"

#include "app/FileIdentity.h"
#include "app/TerminalText.h"
#include "app/UsageError.h"
#include "core/parallel/Parallel.h"
#include "io/FileNamePattern.h"

#include <CLI/CLI.hpp>
#include <cstdlib>

std::optional<int> parseRenderOptions(int argc, const char* const* argv, RenderOptions& options,
                                      std::ostream& out, std::ostream& err) {
    CLI::App app("Renders every collector of a material (.ostra-material or .ostra-packed) to PNG files.",
                 "velvor-render");
    app.set_version_flag("--version", std::string("velvor-render ") + VELVOR_VERSION);
    app.add_option("INPUT", options.inputs, "Material XML files or packed files (told apart by content)")
        ->required();
    CLI::Option* output =
        app.add_option("-o,--output", options.outputDir, "Folder for the PNG files (default: .)");
    app.add_option("--packed-out", options.packedOut, "Also write the packed export of the material");
    app.add_option("--xml-out", options.xmlOut, "Also write the material as loaded, in XML form");
    app.add_flag("--opaque", options.opaque, "Write alpha 255 instead of the pixels' alpha");
    app.add_flag("--strict", options.strict, "Answer No to the loader's questions and fail");
    app.add_flag("--digest", options.digest,
                 "Print each collector's slot, size and pixel digest instead of writing pictures");
    app.add_option("--check", options.checkFile,
                   "Compare the collectors with a list printed by --digest; exit 1 naming each that differs");
    app.add_option("--threads", options.threads,
                   "Threads to render with (default: VELVOR_THREADS, or every processor); 1 renders on one")
        ->check(CLI::Range(1, Velvor::maxThreadCount));
    app.add_option(
        "--set", options.sets,
        "NODE.PARAM=VALUE: set a parameter before rendering (NODE a unique name or #ID); repeatable");
    app.add_option("--seed-offset", options.seedOffset,
                   "Add N to every Subplasma seed (wrapping within its range)");
    app.add_option("--only", options.only, "Render only the named collector and what feeds it; repeatable");
    app.add_option(
        "--name", options.namePattern,
        "Name files from {material}, {index}, {collector} and {slot} (default: {index}_{collector})");
    app.add_flag("--list", options.list,
                 "Print the nodes, their parameters and the collectors; render nothing");
    app.add_option("--json", options.jsonFile,
                   "Write a JSON report to FILE (- for standard output); with --list, the listing as JSON");
    app.add_option("--preset", options.preset,
                   "Write the files of an export preset (a file, or a name in the preset folders)");
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        out << app.help();
        return 0;
    } catch (const CLI::CallForVersion&) {
        out << app.version() << "\n";
        return 0;
    } catch (const CLI::ParseError& e) {
        err << "velvor-render: " << e.what() << "\n" << app.help();
        return 2;
    }
    options.outputGiven = output->count() > 0;
    return std::nullopt;
}

void checkUsage(const RenderOptions& options, std::ostream& err) {
    if (options.outputDir.empty()) {
        throw UsageError("-o needs a folder name");
    }
    for (const std::string* output : {&options.packedOut, &options.xmlOut, &options.jsonFile}) {
        for (const std::string& input : options.inputs) {
            if (!output->empty() && *output != "-" && sameFile(*output, input)) {
                throw UsageError("refusing to write over the input file " + input);
            }
        }
    }
    if (!options.packedOut.empty() && sameFile(options.packedOut, options.xmlOut)) {
        throw UsageError("--packed-out and --xml-out name the same file");
    }
    if (options.inputs.size() > 1 && (!options.packedOut.empty() || !options.xmlOut.empty())) {
        throw UsageError("--packed-out and --xml-out take one input, not " +
                         std::to_string(options.inputs.size()));
    }
    if (!options.namePattern.empty()) {
        try {
            checkFileNamePattern(options.namePattern);
        } catch (const Exception& e) {
            throw UsageError("--name: " + e.getMessage());
        }
    }
    if (!options.preset.empty() && !options.namePattern.empty()) {
        throw UsageError("--preset names its files itself; --name cannot be given with it");
    }
    if (!options.preset.empty() && (options.digest || !options.checkFile.empty())) {
        throw UsageError("--preset writes files; --digest and --check write none");
    }
    if (options.reportToStdout() && options.digest && !options.list) {
        throw UsageError("--digest prints on standard output; give --json a file");
    }
    if (options.outputGiven && !options.writesPictures()) {
        err << "velvor-render: warning: -o is not used: "
            << (options.list     ? "--list"
                : options.digest ? "--digest"
                                 : "--check")
            << " writes no pictures\n";
    }
}

// A VELVOR_THREADS beyond the bound (or no count at all) was once followed into a crash of the runtime.
void warnAboutThreads(const RenderOptions& options, std::ostream& err) {
    const char* text = std::getenv("VELVOR_THREADS");
    if (options.threads == 0 && text != nullptr && *text != '\0') {
        const int count = Velvor::threadCountFromEnvironment();
        if (count == 0 || std::to_string(count) != text) {
            err << "velvor-render: warning: VELVOR_THREADS=" << escapeControlCharacters(text)
                << " is not a count from 1 to " << Velvor::maxThreadCount << "; rendering with "
                << Velvor::threadCount() << " threads\n";
        }
    }
    const int startable = Velvor::startableThreadCount();
    if (startable < Velvor::threadCount()) {
        err << "velvor-render: warning: only " << startable << " of " << Velvor::threadCount()
            << " threads could be started; rendering with " << startable << "\n";
    }
}
