#include "app/RenderCommand.h"

#include "app/CliPrompt.h"
#include "app/MaterialListing.h"
#include "app/OutputNames.h"
#include "app/ParameterOverride.h"
#include "app/RenderReport.h"
#include "app/StreamProgress.h"
#include "app/TerminalText.h"
#include "app/UsageError.h"
#include "base/Exception.h"
#include "base/File.h"
#include "core/operators/Collector.h"
#include "core/packed/PackedMaterial.h"
#include "core/parallel/Parallel.h"
#include "io/ExportPreset.h"
#include "io/FileNamePattern.h"
#include "io/ImageDigest.h"
#include "io/MaterialXml.h"
#include "io/PackedExport.h"
#include "io/PngWriter.h"
#include "model/Completeness.h"
#include "model/Material.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <new>
#include <set>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unordered_set>
#include <vector>

namespace {

// Packed files are small (at most 256 records of at most ~1 KiB); material files are text of a few
// kilobytes per node. Anything larger is refused before it is read.
constexpr std::size_t maxInputBytes = 64u << 20;
// A digest list holds a line of some 80 bytes and a name per collector.
constexpr std::size_t maxDigestListBytes = 4u << 20;

struct Options {
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

bool isBlank(std::uint8_t b) {
    return b == ' ' || b == '\t' || b == '\r' || b == '\n';
}

bool startsWith(const std::vector<std::uint8_t>& bytes, std::initializer_list<std::uint8_t> prefix) {
    return bytes.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), bytes.begin());
}

std::vector<std::uint8_t>::const_iterator afterByteOrderMark(const std::vector<std::uint8_t>& bytes) {
    return bytes.begin() + (startsWith(bytes, {0xEF, 0xBB, 0xBF}) ? 3 : 0);
}

// A material file is text starting with '<' (after a UTF-8 byte order mark and blanks); no packed
// record starts with that byte.
bool looksLikeXml(const std::vector<std::uint8_t>& bytes) {
    const auto first = std::find_if_not(afterByteOrderMark(bytes), bytes.end(), isBlank);
    return first != bytes.end() && *first == '<';
}

// Text saved as UTF-16 (with its byte order mark, or as '<' and a zero byte) would otherwise read as
// a packed file, and one starting with 0xFF as an empty material.
bool looksLikeUtf16(const std::vector<std::uint8_t>& bytes) {
    return startsWith(bytes, {0xFF, 0xFE}) || startsWith(bytes, {0xFE, 0xFF}) ||
           startsWith(bytes, {'<', 0}) || startsWith(bytes, {0, '<'});
}

// Files are the same when they are one inode, whatever names and links lead to them.
struct FileIdentity {
    dev_t device;
    ino_t inode;
    auto operator<=>(const FileIdentity&) const = default;
};

std::optional<FileIdentity> identityOf(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        return std::nullopt;
    }
    return FileIdentity{status.st_dev, status.st_ino};
}

bool isCollector(const VisualNode& node) {
    return node.getTypeId() == static_cast<int>(Velvor::OperatorType::Collector);
}

ReportFile reportEntry(std::string role) {
    ReportFile entry;
    entry.role = std::move(role);
    return entry;
}

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// A file a private material's outputs are made in: new files are no more open to the group and to
// others than the input is (on top of the umask), for the time of the scope.
class OutputModeScope {
public:
    explicit OutputModeScope(const std::string& input) {
        struct stat status {};
        if (::stat(input.c_str(), &status) == 0) {
            const mode_t current = ::umask(0);
            previous_ = current;
            ::umask(current | (0066 & ~status.st_mode));
        }
    }
    ~OutputModeScope() {
        if (previous_) {
            ::umask(*previous_);
        }
    }
    OutputModeScope(const OutputModeScope&) = delete;
    OutputModeScope& operator=(const OutputModeScope&) = delete;

private:
    std::optional<mode_t> previous_;
};

// One collector of a rendered input, whatever its kind.
struct RenderedCollector {
    std::size_t index;
    std::string name;
    int slot;
    const Velvor::Image* image;
};

// Runs every input of one command line.
class Run {
public:
    Run(const Options& options, std::ostream& out, std::ostream& err, bool showProgress, bool outIsTerminal)
        : options_(options), out_(out), err_(err), showProgress_(showProgress),
          outIsTerminal_(outIsTerminal) {
        for (const std::string& input : options_.inputs) {
            if (const std::optional<FileIdentity> identity = identityOf(input)) {
                inputs_[*identity] = input;
            }
        }
    }

    // Reads the --check list before anything is rendered.
    void readDigestList() {
        if (options_.checkFile.empty()) {
            return;
        }
        const std::vector<std::uint8_t> bytes = readBinaryFile(options_.checkFile, maxDigestListBytes);
        std::istringstream list(std::string(bytes.begin(), bytes.end()));
        for (std::string line; std::getline(list, line);) {
            std::istringstream fields(line);
            std::string k, slot, size, digest;
            if (fields >> k >> slot >> size >> digest && k[0] != '#') {
                expected_.push_back(
                    k.append(" ").append(slot).append(" ").append(size).append(" ").append(digest));
            }
        }
    }

    int renderInput(const std::string& input, InputReport& report) {
        input_ = input;
        report_ = &report;
        report.input = input;
        const auto start = std::chrono::steady_clock::now();
        int status = 0;
        try {
            renderInputOrThrow(input);
        } catch (const UsageError& e) {
            status = 2;
            fail(e.getMessage(), "velvor-render: ");
        } catch (const Exception& e) {
            status = 1;
            fail(e.getMessage(), "velvor-render: error: ");
        } catch (const std::filesystem::filesystem_error& e) {
            status = 1;
            fail(e.what(), "velvor-render: error: ");
        } catch (const std::bad_alloc&) {
            status = 1;
            fail("out of memory", "velvor-render: error: ");
        }
        report.seconds = secondsSince(start);
        report.exitStatus = status;
        return status;
    }

    const std::vector<std::string>& getListings() const { return listings_; }

private:
    void fail(const std::string& message, const char* prefix) {
        const std::string text = (options_.inputs.size() > 1 ? input_ + ": " : "") + message;
        report_->errors.push_back(text);
        err_ << prefix << escapeControlCharacters(text) << "\n";
    }

    void warn(const std::string& text, bool incomplete = true) {
        incomplete_ = incomplete_ || incomplete;
        report_->warnings.push_back(text);
        err_ << "velvor-render: warning: " << escapeControlCharacters(text) << "\n";
    }

    void renderInputOrThrow(const std::string& input) {
        asked_ = 0;
        written_ = 0;
        incomplete_ = false;
        digests_.clear();
        const std::vector<std::uint8_t> bytes = readBinaryFile(input, maxInputBytes);
        // Either reader would blame a format the file never claimed to have.
        if (std::all_of(afterByteOrderMark(bytes), bytes.end(), isBlank)) {
            throw Exception(input + " is empty");
        }
        if (looksLikeUtf16(bytes)) {
            throw Exception(input + " is UTF-16 text; a material file must be saved as UTF-8");
        }
        const bool xml = looksLikeXml(bytes);
        report_->kind = xml ? "material" : "packed";
        if (!options_.xmlOut.empty() && !xml) {
            throw UsageError("--xml-out needs a material XML file; " + input + " is a packed file");
        }
        if (!xml && (!options_.sets.empty() || options_.seedOffset != 0)) {
            throw UsageError("--set and --seed-offset need a material XML file; " + input +
                             " is a packed file");
        }
        if (options_.writesPictures()) {
            std::filesystem::create_directories(options_.outputDir);
        }
        const OutputModeScope mode(input);
        if (xml) {
            renderXml(bytes);
        } else {
            renderPacked(bytes);
        }
        if (options_.list) {
            return;
        }
        if (!options_.checkFile.empty()) {
            checkDigests();
        }
        if (incomplete_ && options_.strict) {
            throw Exception("a collector could not be generated (--strict)");
        }
    }

    // The collectors --only names (all without it), in node order; an unknown name is a usage error.
    template <class Name> std::vector<std::size_t> chosen(std::size_t count, const Name& nameOf) const {
        std::vector<std::size_t> picked;
        std::set<std::string> found;
        for (std::size_t k = 0; k < count; ++k) {
            if (options_.only.empty() ||
                std::find(options_.only.begin(), options_.only.end(), nameOf(k)) != options_.only.end()) {
                picked.push_back(k);
                found.insert(nameOf(k));
            }
        }
        for (const std::string& wanted : options_.only) {
            if (!found.contains(wanted)) {
                std::string names;
                for (std::size_t k = 0; k < count; ++k) {
                    names += (k == 0 ? "'" : ", '") + nameOf(k) + "'";
                }
                throw UsageError("--only: the material has no collector named '" + wanted +
                                 "'; its collectors are " + (names.empty() ? "none" : names));
            }
        }
        return picked;
    }

    void renderXml(const std::vector<std::uint8_t>& bytes) {
        Material material;
        CliPrompt prompt(err_, options_.strict);
        const LoadOutcome outcome = loadXmlText(material, std::string(bytes.begin(), bytes.end()), prompt);
        for (const auto& [text, answer] : prompt.getQuestions()) {
            report_->questions.push_back({text, answer});
        }
        if (prompt.reportedAFailure()) {
            throw Exception("nothing rendered from " + input_);
        }
        if (prompt.refusedAQuestion()) {
            throw Exception("loading stopped (--strict)");
        }
        for (const std::string& text : options_.sets) {
            applyOverride(material, parseOverride(text));
        }
        if (options_.seedOffset != 0) {
            offsetSeeds(material, options_.seedOffset);
        }
        if (options_.list) {
            listings_.push_back(listMaterialJson(material, input_));
            return;
        }
        std::vector<VisualNode*> collectors;
        for (std::size_t i = 0; i < material.getNodeCount(); ++i) {
            if (isCollector(material.getNode(i))) {
                collectors.push_back(&material.getNode(i));
            }
        }
        if (collectors.empty()) {
            // The loader skipped what it could not make (memory, sizes, types): nothing came of the file.
            if (outcome != LoadOutcome::Complete) {
                throw Exception("nothing to render: no collector of " + input_ + " could be loaded");
            }
            warn("the material has no collector");
            return;
        }
        const std::vector<std::size_t> picked =
            chosen(collectors.size(), [&](std::size_t k) { return collectors[k]->getName(); });
        std::vector<VisualNode*> rendered;
        for (const std::size_t k : picked) {
            rendered.push_back(collectors[k]);
        }
        render(material, rendered);
        std::vector<RenderedCollector> results;
        for (const std::size_t k : picked) {
            const VisualNode& node = *collectors[k];
            warnWhenIncomplete(material, node);
            results.push_back({k, node.getName(),
                               static_cast<const Velvor::Collector&>(node.getOperator()).index,
                               &node.getOperator().getImage()});
        }
        emit(results);
        if (!options_.packedOut.empty()) {
            writeOutput(options_.packedOut, exportPacked(material), reportEntry("packed"));
        }
        if (!options_.xmlOut.empty()) {
            writeOutput(options_.xmlOut, materialToXml(material), reportEntry("xml"));
        }
    }

    // Renders the collectors; for a report each operator runs in turn (its rows still split between
    // threads), so that its time is its own.
    void render(Material& material, const std::vector<VisualNode*>& collectors) {
        if (options_.jsonFile.empty()) {
            StreamProgress progress(err_, showProgress_);
            if (options_.only.empty()) {
                material.renderAll(progress);
            } else {
                for (VisualNode* collector : collectors) {
                    material.renderCollector(*collector, progress);
                }
            }
            progress.endLine();
            return;
        }
        const RenderPlan plan = material.planRender(collectors);
        for (const RenderStep& step : plan.steps) {
            if (!step.generates) {
                continue;
            }
            const auto start = std::chrono::steady_clock::now();
            for (std::size_t port = 0; port < step.inputs.size(); ++port) {
                step.node->setInput(static_cast<int>(port), step.inputs[port]);
            }
            step.node->update();
            report_->nodes.push_back({step.node->getName(), secondsSince(start)});
        }
        for (const auto& [node, sources] : plan.finalInputs) {
            for (std::size_t port = 0; port < sources.size(); ++port) {
                node->setInput(static_cast<int>(port), sources[port]);
            }
        }
    }

    void renderPacked(const std::vector<std::uint8_t>& bytes) {
        Velvor::PackedMaterial material(bytes);
        // The reader stops at the terminator; say so when bytes are left unread (a file of another
        // kind that starts with 0xFF, a JPEG say, reads as an empty material).
        if (const std::size_t unread = bytes.size() - material.getByteCount(); unread > 0) {
            warn(input_ + ": " + std::to_string(unread) +
                     " bytes after the end of the packed material are ignored",
                 false);
        }
        if (options_.list) {
            listings_.push_back(listPackedJson(material, input_));
            return;
        }
        material.render();
        const std::vector<Velvor::PackedMaterial::Output> outputs = material.getCollectors();
        if (outputs.empty()) {
            warn("the material has no collector");
            return;
        }
        const auto nameOf = [&](std::size_t k) { return "slot" + std::to_string(outputs[k].slotIndex); };
        std::vector<RenderedCollector> results;
        for (const std::size_t k : chosen(outputs.size(), nameOf)) {
            if (material.getInputs(outputs[k].record).empty()) {
                warn("collector " + std::to_string(k) + " (" + nameOf(k) +
                     ") has no input; its image stays empty");
            }
            results.push_back({k, nameOf(k), outputs[k].slotIndex, outputs[k].image});
        }
        emit(results);
        if (!options_.packedOut.empty()) {
            // The material as read: everything up to and including its terminator.
            const auto kept = std::span(bytes).first(material.getByteCount());
            writeOutput(options_.packedOut, kept, reportEntry("packed"));
        }
    }

    void warnWhenIncomplete(const Material& material, const VisualNode& collector) {
        bool hasInput = false;
        for (std::size_t i = 0; i < material.getCableCount(); ++i) {
            hasInput = hasInput || &material.getCable(i).getTo() == &collector;
        }
        if (!hasInput) {
            warn("collector " + collector.getName() + " has no input; its image stays empty");
            return;
        }
        for (const VisualNode* node : ungeneratedUpstream(material, collector)) {
            warn("collector " + collector.getName() + " is incomplete: node " + node->getName() +
                 " could not be generated (" + whyNotGenerated(material, *node) + ")");
        }
    }

    std::string materialName() const { return std::filesystem::path(input_).stem().string(); }

    std::string outputPath(const std::string& fileName) const {
        return (std::filesystem::path(options_.outputDir) / fileName).string();
    }

    // The collectors' pictures (or the preset's files), or their lines of the digest list.
    void emit(const std::vector<RenderedCollector>& results) {
        asked_ += results.size();
        if (!options_.writesPictures()) {
            for (const RenderedCollector& c : results) {
                const Velvor::Image& image = *c.image;
                DigestLine line{std::to_string(c.index) + " slot" + std::to_string(c.slot) + " " +
                                    std::to_string(image.getWidth()) + "x" +
                                    std::to_string(image.getHeight()) + " " + imageDigest(image),
                                c.name};
                if (options_.digest) {
                    out_ << line.key << " " << escapeControlCharacters(c.name) << "\n";
                }
                digests_.push_back(std::move(line));
            }
            return;
        }
        if (!options_.preset.empty()) {
            std::vector<PresetCollector> collectors;
            for (const RenderedCollector& c : results) {
                collectors.push_back({c.name, c.slot, c.index, c.image});
            }
            std::vector<PresetFile> files = preset_->render(collectors, materialName());
            for (const PresetFile& file : files) {
                checkNotAnInput(outputPath(file.fileName));
            }
            for (PresetFile& file : files) {
                writeOutput(outputPath(file.fileName), file.png, reportEntry("preset"));
                ++written_;
            }
            return;
        }
        std::vector<std::pair<std::string, const RenderedCollector*>> pictures;
        for (const RenderedCollector& c : results) {
            const std::string fileName =
                options_.namePattern.empty()
                    ? collectorFileName(c.index, c.name)
                    : expandFileNamePattern(options_.namePattern, {materialName(), c.index, c.name, c.slot});
            pictures.emplace_back(outputPath(fileName), &c);
            checkNotAnInput(pictures.back().first);
        }
        for (const auto& [path, c] : pictures) {
            const Velvor::Image& image = *c->image;
            if (image.getPixelCount() == 0) {
                warn(path + " not written: the image is empty", false);
                continue;
            }
            std::vector<std::uint8_t> png;
            try {
                png = encodePng(image, options_.opaque);
            } catch (const Exception& e) {
                throw Exception("Could not write file " + path + " (" + e.getMessage() + ")");
            }
            ReportFile entry = reportEntry("collector");
            entry.collector = c->index;
            entry.name = c->name;
            entry.slot = c->slot;
            entry.width = image.getWidth();
            entry.height = image.getHeight();
            entry.digest = options_.jsonFile.empty() ? "" : imageDigest(image);
            writeOutput(path, png, std::move(entry));
            ++written_;
        }
        if (written_ == 0) {
            throw Exception("none of the " + std::to_string(asked_) + " collectors was written");
        }
    }

    void checkNotAnInput(const std::string& path) const {
        if (const std::optional<FileIdentity> identity = identityOf(path)) {
            if (const auto input = inputs_.find(*identity); input != inputs_.end()) {
                throw Exception("refusing to write " + path + ": it is the input file " + input->second);
            }
        }
    }

    // Writes one file, never over an input or over a file this run has written already, whatever
    // names or links lead there.
    void writeOutput(const std::string& path, std::span<const std::uint8_t> data, ReportFile entry) {
        writeOutput(path, std::string_view(reinterpret_cast<const char*>(data.data()), data.size()),
                    std::move(entry));
    }

    void writeOutput(const std::string& path, std::string_view data, ReportFile entry) {
        checkNotAnInput(path);
        if (const std::optional<FileIdentity> identity = identityOf(path)) {
            if (const auto earlier = written_files_.find(*identity); earlier != written_files_.end()) {
                throw Exception("refusing to write " + path + ": it is " + earlier->second +
                                ", written before in this run");
            }
        }
        writeFile(path, data);
        if (const std::optional<FileIdentity> identity = identityOf(path)) {
            written_files_[*identity] = path;
        }
        entry.path = path;
        entry.bytes = data.size();
        report_->files.push_back(std::move(entry));
        if (!options_.reportToStdout()) {
            // Paths go to standard output unchanged for scripts; a terminal gets them escaped.
            out_ << (outIsTerminal_ ? escapeControlCharacters(path) : path) << "\n" << std::flush;
        }
    }

    // A list line is "<k> slot<index> <width>x<height> <digest> <name>"; the name is for people only,
    // so a packed export can be checked against its material's list.
    void checkDigests() {
        std::size_t differing = 0;
        for (std::size_t k = 0; k < std::max(expected_.size(), digests_.size()); ++k) {
            const std::string actual = k < digests_.size() ? digests_[k].key : "(no such collector)";
            const std::string wanted = k < expected_.size() ? expected_[k] : "(not in the list)";
            if (actual != wanted) {
                ++differing;
                const std::string name = k < digests_.size() ? " (" + digests_[k].name + ")" : "";
                const std::string text =
                    "collector " + std::to_string(k) + name + " differs: " + actual + ", expected " + wanted;
                report_->errors.push_back(text);
                err_ << "velvor-render: " << escapeControlCharacters(text) << "\n";
            }
        }
        if (differing > 0) {
            throw Exception(std::to_string(differing) + " collectors differ from " + options_.checkFile);
        }
        if (!options_.reportToStdout()) {
            out_ << digests_.size() << " collectors match " << escapeControlCharacters(options_.checkFile)
                 << "\n";
        }
    }

public:
    std::optional<ExportPreset> preset_;

private:
    const Options& options_;
    std::ostream& out_;
    std::ostream& err_;
    bool showProgress_;
    bool outIsTerminal_;
    std::map<FileIdentity, std::string> inputs_;
    std::map<FileIdentity, std::string> written_files_;
    std::vector<std::string> expected_;
    std::vector<std::string> listings_;
    std::string input_;
    InputReport* report_ = nullptr;
    struct DigestLine {
        std::string key; // everything but the name
        std::string name;
    };
    std::vector<DigestLine> digests_;
    std::size_t asked_ = 0;
    std::size_t written_ = 0;
    bool incomplete_ = false;
};

bool sameFile(const std::string& a, const std::string& b) {
    const std::optional<FileIdentity> first = identityOf(a);
    return a == b || (first && first == identityOf(b));
}

// Usage errors that can be told from the command line alone.
void checkUsage(const Options& options, std::ostream& err) {
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

// VELVOR_THREADS beyond the bound (or no count at all) was once followed into a crash of the runtime.
void warnAboutThreads(const Options& options, std::ostream& err) {
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

} // namespace

int runRenderCommand(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
                     bool showProgress, bool outIsTerminal) {
#if defined(SIGXFSZ)
    // A file-size limit then fails the write ("File too large"), which removes its temporary file,
    // instead of ending the process with the file left behind.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    Options options;
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

    std::vector<InputReport> reports(options.inputs.size());
    int worst = 0;
    try {
        checkUsage(options, err);
        const Velvor::ThreadCountScope threads(options.threads);
        warnAboutThreads(options, err);
        Run run(options, out, err, showProgress, outIsTerminal);
        if (!options.preset.empty()) {
            run.preset_ = ExportPreset::load(locatePreset(options.preset, VELVOR_PRESET_DIR));
        }
        run.readDigestList();
        for (std::size_t i = 0; i < options.inputs.size(); ++i) {
            worst = std::max(worst, run.renderInput(options.inputs[i], reports[i]));
        }
        if (options.list) {
            if (!options.jsonFile.empty()) {
                const std::string listing = listingsJson(run.getListings());
                if (options.reportToStdout()) {
                    out << listing;
                } else {
                    writeFile(options.jsonFile, listing);
                }
            } else {
                for (const std::string& listing : run.getListings()) {
                    out << listingText(listing);
                }
            }
        } else if (!options.jsonFile.empty()) {
            const std::string report =
                reportJson(reports, worst, std::string("velvor-render ") + VELVOR_VERSION);
            if (options.reportToStdout()) {
                out << report;
            } else {
                writeFile(options.jsonFile, report);
            }
        }
    } catch (const UsageError& e) {
        err << "velvor-render: " << escapeControlCharacters(e.getMessage()) << "\n";
        return 2;
    } catch (const Exception& e) {
        err << "velvor-render: error: " << escapeControlCharacters(e.getMessage()) << "\n";
        return std::max(worst, 1);
    } catch (const std::bad_alloc&) {
        err << "velvor-render: error: out of memory\n";
        return std::max(worst, 1);
    }
    return worst;
}
