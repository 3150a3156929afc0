#include "app/RenderCommand.h"

#include "app/CliPrompt.h"
#include "app/OutputNames.h"
#include "app/StreamProgress.h"
#include "app/TerminalText.h"
#include "base/Exception.h"
#include "base/File.h"
#include "core/Collector.h"
#include "core/PackedMaterial.h"
#include "core/Parallel.h"
#include "io/ImageDigest.h"
#include "io/MaterialXml.h"
#include "io/PackedExport.h"
#include "io/PngWriter.h"
#include "model/Material.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <filesystem>
#include <new>
#include <sstream>
#include <string>
#include <unordered_set>
#include <vector>

namespace {

// Packed files are small (at most 256 records of at most ~1 KiB); material files are text of a few
// kilobytes per node. Anything larger is refused before it is read.
constexpr std::size_t maxInputBytes = 64u << 20;

struct Options {
    std::string input;
    std::string outputDir = ".";
    std::string packedOut;
    std::string xmlOut;
    bool opaque = false;
    bool strict = false;
    bool digest = false;
    std::string checkFile;
    int threads = 0; // 0: VELVOR_THREADS, or every processor
    bool writesPictures() const { return !digest && checkFile.empty(); }
};

class UsageError : public Exception {
public:
    using Exception::Exception;
};

bool isBlank(std::uint8_t b) {
    return b == ' ' || b == '\t' || b == '\r' || b == '\n';
}

bool startsWith(const std::vector<std::uint8_t>& bytes, std::initializer_list<std::uint8_t> prefix) {
    return bytes.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), bytes.begin());
}

// A material file is text starting with '<' (after a UTF-8 byte order mark and blanks); no packed
// record starts with that byte.
bool looksLikeXml(const std::vector<std::uint8_t>& bytes) {
    auto begin = bytes.begin();
    if (startsWith(bytes, {0xEF, 0xBB, 0xBF})) {
        begin += 3;
    }
    const auto first = std::find_if_not(begin, bytes.end(), isBlank);
    return first != bytes.end() && *first == '<';
}

// Text saved as UTF-16 (with its byte order mark, or as '<' and a zero byte) would otherwise read as
// a packed file, and one starting with 0xFF as an empty material.
bool looksLikeUtf16(const std::vector<std::uint8_t>& bytes) {
    return startsWith(bytes, {0xFF, 0xFE}) || startsWith(bytes, {0xFE, 0xFF}) ||
           startsWith(bytes, {'<', 0}) || startsWith(bytes, {0, '<'});
}

bool sameFile(const std::string& a, const std::string& b) {
    std::error_code error;
    return std::filesystem::equivalent(a, b, error);
}

// Nodes upstream of the collector (itself included) that rendering left ungenerated: an open input,
// an input of another size, or a cycle that consumed an input's cable.
std::vector<const VisualNode*> ungeneratedUpstream(const Material& material, const VisualNode& collector) {
    std::vector<const VisualNode*> ungenerated;
    std::unordered_set<const VisualNode*> seen{&collector};
    std::vector<const VisualNode*> pending{&collector};
    while (!pending.empty()) {
        const VisualNode* node = pending.back();
        pending.pop_back();
        if (node->isDirty()) {
            ungenerated.push_back(node);
        }
        for (std::size_t i = 0; i < material.getCableCount(); ++i) {
            const Cable& cable = material.getCable(i);
            if (&cable.getTo() == node && seen.insert(&cable.getFrom()).second) {
                pending.push_back(&cable.getFrom());
            }
        }
    }
    return ungenerated;
}

class Renderer {
public:
    Renderer(const Options& options, std::ostream& out, std::ostream& err, bool showProgress,
             bool outIsTerminal)
        : options_(options), out_(out), err_(err), progress_(err, showProgress),
          outIsTerminal_(outIsTerminal) {}

    void run(const std::vector<std::uint8_t>& bytes) {
        if (options_.writesPictures()) {
            std::filesystem::create_directories(options_.outputDir);
        }
        if (looksLikeXml(bytes)) {
            renderXml(bytes);
        } else {
            renderPacked(bytes);
        }
        if (asked_ == 0) {
            warn("the material has no collector");
        } else if (written_ == 0 && options_.writesPictures()) {
            throw Exception("none of the " + std::to_string(asked_) + " collectors was written");
        }
        if (!options_.checkFile.empty()) {
            checkDigests();
        }
        if (incomplete_ && options_.strict) {
            throw Exception("a collector could not be generated (--strict)");
        }
    }

private:
    void renderXml(const std::vector<std::uint8_t>& bytes) {
        Material material;
        CliPrompt prompt(err_, options_.strict);
        loadXmlText(material, std::string(bytes.begin(), bytes.end()), prompt);
        if (prompt.reportedAFailure()) {
            throw Exception("nothing rendered from " + options_.input);
        }
        if (prompt.refusedAQuestion()) {
            throw Exception("loading stopped (--strict)");
        }
        material.renderAll(progress_);
        progress_.endLine();
        std::size_t k = 0;
        for (std::size_t i = 0; i < material.getNodeCount(); ++i) {
            const VisualNode& node = material.getNode(i);
            if (node.getTypeId() == static_cast<int>(Velvor::OperatorType::Collector)) {
                warnWhenIncomplete(material, node);
                const int slot = static_cast<const Velvor::Collector&>(node.getOperator()).index;
                emit(k++, node.getName(), slot, node.getOperator().getImage());
            }
        }
        if (!options_.packedOut.empty()) {
            writeFile(options_.packedOut, exportPacked(material));
            announce(options_.packedOut);
        }
        if (!options_.xmlOut.empty()) {
            saveXml(material, options_.xmlOut);
            announce(options_.xmlOut);
        }
    }

    void renderPacked(const std::vector<std::uint8_t>& bytes) {
        Velvor::PackedMaterial material(bytes);
        // The reader stops at the terminator; say so when bytes are left unread (a file of another
        // kind that starts with 0xFF, a JPEG say, reads as an empty material).
        if (const std::size_t unread = bytes.size() - material.getByteCount(); unread > 0) {
            err_ << "velvor-render: warning: " << options_.input << ": " << unread
                 << " bytes after the end of the packed material are ignored\n";
        }
        material.render();
        std::size_t k = 0;
        for (const Velvor::PackedMaterial::Output& output : material.getCollectors()) {
            const std::string name = "slot" + std::to_string(output.slotIndex);
            if (material.getInputs(output.record).empty()) {
                warn("collector " + std::to_string(k) + " (" + name +
                     ") has no input; its image stays empty");
            }
            emit(k++, name, output.slotIndex, *output.image);
        }
        if (!options_.packedOut.empty()) {
            // The material as read: everything up to and including its terminator.
            writeFile(options_.packedOut, std::span(bytes).first(material.getByteCount()));
            announce(options_.packedOut);
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
                 " could not be generated (an input open, of another size or taken by a cycle)");
        }
    }

    void warn(const std::string& text) {
        incomplete_ = true;
        err_ << "velvor-render: warning: " << escapeControlCharacters(text) << "\n";
    }

    // Collector k: its picture, or its line of the digest list.
    void emit(std::size_t k, const std::string& name, int slot, const Velvor::Image& image) {
        ++asked_;
        if (options_.writesPictures()) {
            writeImage(collectorFileName(k, name), image);
            return;
        }
        DigestLine line{std::to_string(k) + " slot" + std::to_string(slot) + " " +
                            std::to_string(image.getWidth()) + "x" + std::to_string(image.getHeight()) + " " +
                            imageDigest(image),
                        name};
        if (options_.digest) {
            out_ << line.key << " " << escapeControlCharacters(name) << "\n";
        }
        digests_.push_back(std::move(line));
    }

    // A list line is "<k> slot<index> <width>x<height> <digest> <name>"; the name is for people only,
    // so a packed export can be checked against its material's list.
    void checkDigests() {
        std::vector<std::string> expected;
        std::istringstream list(readFile(options_.checkFile));
        for (std::string line; std::getline(list, line);) {
            std::istringstream fields(line);
            std::string k, slot, size, digest;
            if (fields >> k >> slot >> size >> digest && k[0] != '#') {
                expected.push_back(
                    k.append(" ").append(slot).append(" ").append(size).append(" ").append(digest));
            }
        }
        std::size_t differing = 0;
        for (std::size_t k = 0; k < std::max(expected.size(), digests_.size()); ++k) {
            const std::string actual = k < digests_.size() ? digests_[k].key : "(no such collector)";
            const std::string wanted = k < expected.size() ? expected[k] : "(not in the list)";
            if (actual != wanted) {
                ++differing;
                const std::string name = k < digests_.size() ? " (" + digests_[k].name + ")" : "";
                err_ << "velvor-render: collector " << k << escapeControlCharacters(name)
                     << " differs: " << actual << ", expected " << wanted << "\n";
            }
        }
        if (differing > 0) {
            throw Exception(std::to_string(differing) + " collectors differ from " + options_.checkFile);
        }
        out_ << digests_.size() << " collectors match " << options_.checkFile << "\n";
    }

    void writeImage(const std::string& fileName, const Velvor::Image& image) {
        const std::string path = (std::filesystem::path(options_.outputDir) / fileName).string();
        if (image.getPixelCount() == 0) {
            err_ << "velvor-render: warning: " << escapeControlCharacters(path)
                 << " not written: the image is empty\n";
            return;
        }
        writePng(path, image, options_.opaque);
        ++written_;
        announce(path);
    }

    // Paths go to standard output unchanged for scripts; a terminal gets them escaped.
    void announce(const std::string& path) {
        out_ << (outIsTerminal_ ? escapeControlCharacters(path) : path) << "\n" << std::flush;
    }

    const Options& options_;
    std::ostream& out_;
    std::ostream& err_;
    StreamProgress progress_;
    bool outIsTerminal_;
    struct DigestLine {
        std::string key; // everything but the name
        std::string name;
    };
    std::vector<DigestLine> digests_;
    std::size_t asked_ = 0;
    std::size_t written_ = 0;
    bool incomplete_ = false;
};

} // namespace

int runRenderCommand(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
                     bool showProgress, bool outIsTerminal) {
    Options options;
    CLI::App app("Renders every collector of a material (.ostra-material or .ostra-packed) to PNG files.",
                 "velvor-render");
    app.set_version_flag("--version", std::string("velvor-render ") + VELVOR_VERSION);
    app.add_option("INPUT", options.input, "Material XML file or packed file (told apart by content)")
        ->required();
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
        ->check(CLI::Range(1, 4096));
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

    try {
        if (options.outputDir.empty()) {
            throw UsageError("-o needs a folder name");
        }
        for (const std::string* output : {&options.packedOut, &options.xmlOut}) {
            if (!output->empty() && sameFile(*output, options.input)) {
                throw UsageError("refusing to write over the input file " + options.input);
            }
        }
        if (!options.packedOut.empty() && options.packedOut == options.xmlOut) {
            throw UsageError("--packed-out and --xml-out name the same file");
        }
        const std::vector<std::uint8_t> bytes = readBinaryFile(options.input, maxInputBytes);
        // Either reader would blame a format the file never claimed to have.
        if (std::all_of(bytes.begin(), bytes.end(), isBlank)) {
            throw Exception(options.input + " is empty");
        }
        if (looksLikeUtf16(bytes)) {
            throw Exception(options.input + " is UTF-16 text; a material file must be saved as UTF-8");
        }
        if (!options.xmlOut.empty() && !looksLikeXml(bytes)) {
            throw UsageError("--xml-out needs a material XML file; " + options.input + " is a packed file");
        }
        const Velvor::ThreadCountScope threads(options.threads);
        Renderer(options, out, err, showProgress, outIsTerminal).run(bytes);
    } catch (const UsageError& e) {
        err << "velvor-render: " << escapeControlCharacters(e.getMessage()) << "\n";
        return 2;
    } catch (const Exception& e) {
        err << "velvor-render: error: " << escapeControlCharacters(e.getMessage()) << "\n";
        return 1;
    } catch (const std::filesystem::filesystem_error& e) {
        err << "velvor-render: error: " << escapeControlCharacters(e.what()) << "\n";
        return 1;
    } catch (const std::bad_alloc&) {
        err << "velvor-render: error: out of memory\n";
        return 1;
    }
    return 0;
}
