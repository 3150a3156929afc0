#include "app/RenderCommand.h"

#include "app/CliPrompt.h"
#include "app/OutputNames.h"
#include "io/PngWriter.h"
#include "app/StreamProgress.h"
#include "base/Exception.h"
#include "base/File.h"
#include "core/PackedMaterial.h"
#include "io/MaterialXml.h"
#include "io/PackedExport.h"
#include "model/Material.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <filesystem>
#include <string>
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
};

class UsageError : public Exception {
public:
    using Exception::Exception;
};

bool isBlank(std::uint8_t b) {
    return b == ' ' || b == '\t' || b == '\r' || b == '\n';
}

// A material file is text starting with '<' (after blanks); no packed record starts with that byte.
bool looksLikeXml(const std::vector<std::uint8_t>& bytes) {
    const auto first = std::find_if_not(bytes.begin(), bytes.end(), isBlank);
    return first != bytes.end() && *first == '<';
}

void writeBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    writeFile(path, std::string(bytes.begin(), bytes.end()));
}

class Renderer {
public:
    Renderer(const Options& options, std::ostream& out, std::ostream& err, bool showProgress)
        : options_(options), out_(out), err_(err), progress_(err, showProgress) {}

    void run(const std::vector<std::uint8_t>& bytes) {
        std::filesystem::create_directories(options_.outputDir);
        if (looksLikeXml(bytes)) {
            renderXml(bytes);
        } else {
            renderPacked(bytes);
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
        std::size_t k = 0;
        for (std::size_t i = 0; i < material.getNodeCount(); ++i) {
            const VisualNode& node = material.getNode(i);
            if (node.getTypeId() == static_cast<int>(Velvor::OperatorType::Collector)) {
                writeImage(collectorFileName(k++, node.getName()), node.getOperator().getImage());
            }
        }
        if (!options_.packedOut.empty()) {
            writeBytes(options_.packedOut, exportPacked(material));
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
            writeImage(collectorFileName(k++, "slot" + std::to_string(output.slotIndex)), *output.image);
        }
        if (!options_.packedOut.empty()) {
            // The material as read: everything up to and including its terminator.
            writeBytes(options_.packedOut, std::vector<std::uint8_t>(
                                               bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(
                                                                                  material.getByteCount())));
            announce(options_.packedOut);
        }
    }

    void writeImage(const std::string& fileName, const Velvor::Image& image) {
        const std::string path = (std::filesystem::path(options_.outputDir) / fileName).string();
        if (image.getPixelCount() == 0) {
            err_ << "velvor-render: warning: " << path << " not written: the image is empty\n";
            return;
        }
        writePng(path, image, options_.opaque);
        announce(path);
    }

    void announce(const std::string& path) { out_ << path << "\n" << std::flush; }

    const Options& options_;
    std::ostream& out_;
    std::ostream& err_;
    StreamProgress progress_;
};

} // namespace

int runRenderCommand(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
                     bool showProgress) {
    Options options;
    CLI::App app("Renders every collector of a material (.ostra-material or .ostra-packed) to PNG files.",
                 "velvor-render");
    app.add_option("INPUT", options.input, "Material XML file or packed file (told apart by content)")
        ->required();
    app.add_option("-o,--output", options.outputDir, "Folder for the PNG files (default: .)");
    app.add_option("--packed-out", options.packedOut, "Also write the packed export of the material");
    app.add_option("--xml-out", options.xmlOut, "Also write the material as loaded, in XML form");
    app.add_flag("--opaque", options.opaque, "Write alpha 255 instead of the pixels' alpha");
    app.add_flag("--strict", options.strict, "Answer No to the loader's questions and fail");
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        out << app.help();
        return 0;
    } catch (const CLI::ParseError& e) {
        err << "velvor-render: " << e.what() << "\n" << app.help();
        return 2;
    }

    try {
        const std::vector<std::uint8_t> bytes = readBinaryFile(options.input, maxInputBytes);
        // Either reader would blame a format the file never claimed to have.
        if (std::all_of(bytes.begin(), bytes.end(), isBlank)) {
            throw Exception(options.input + " is empty");
        }
        if (!options.xmlOut.empty() && !looksLikeXml(bytes)) {
            throw UsageError("--xml-out needs a material XML file; " + options.input + " is a packed file");
        }
        Renderer(options, out, err, showProgress).run(bytes);
    } catch (const UsageError& e) {
        err << "velvor-render: " << e.getMessage() << "\n";
        return 2;
    } catch (const Exception& e) {
        err << "velvor-render: error: " << e.getMessage() << "\n";
        return 1;
    } catch (const std::filesystem::filesystem_error& e) {
        err << "velvor-render: error: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
