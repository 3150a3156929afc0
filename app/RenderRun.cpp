#include "app/RenderRun.h"

#include "app/CliPrompt.h"
#include "app/CollectorRender.h"
#include "app/InputFormat.h"
#include "app/MaterialListing.h"
#include "app/OutputModeScope.h"
#include "app/ParameterOverride.h"
#include "app/TerminalText.h"
#include "app/UsageError.h"
#include "base/Exception.h"
#include "base/File.h"
#include "core/operators/Collector.h"
#include "core/packed/PackedMaterial.h"
#include "io/MaterialXml.h"
#include "io/PackedExport.h"
#include "model/Completeness.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <new>
#include <set>

namespace {

// Packed files are small (at most 256 records of at most ~1 KiB); material files are text of a few
// kilobytes per node. Anything larger is refused before it is read.
constexpr std::size_t maxInputBytes = 64u << 20;

bool isCollector(const VisualNode& node) {
    return node.getTypeId() == static_cast<int>(Velvor::OperatorType::Collector);
}

ReportFile reportEntry(std::string role) {
    ReportFile entry;
    entry.role = std::move(role);
    return entry;
}

} // namespace

RenderRun::RenderRun(const RenderOptions& options, std::ostream& out, std::ostream& err, bool showProgress,
                     bool outIsTerminal)
    : options_(options), out_(out), err_(err), showProgress_(showProgress),
      writer_(options.inputs, out, outIsTerminal, !options.reportToStdout()) {}

void RenderRun::readDigestList() {
    if (!options_.checkFile.empty()) {
        digests_.readExpected(options_.checkFile);
    }
}

int RenderRun::renderInput(const std::string& input, InputReport& report) {
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
    report.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    report.exitStatus = status;
    return status;
}

void RenderRun::fail(const std::string& message, const char* prefix) {
    const std::string text = (options_.inputs.size() > 1 ? input_ + ": " : "") + message;
    report_->errors.push_back(text);
    err_ << prefix << escapeControlCharacters(text) << "\n";
}

void RenderRun::warn(const std::string& text, bool incomplete) {
    incomplete_ = incomplete_ || incomplete;
    report_->warnings.push_back(text);
    err_ << "velvor-render: warning: " << escapeControlCharacters(text) << "\n";
}

void RenderRun::renderInputOrThrow(const std::string& input) {
    asked_ = 0;
    written_ = 0;
    incomplete_ = false;
    digests_.clear();
    const std::vector<std::uint8_t> bytes = readBinaryFile(input, maxInputBytes);
    // Either reader would blame a format the file never claimed to have.
    if (isBlankText(bytes)) {
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
        throw UsageError("--set and --seed-offset need a material XML file; " + input + " is a packed file");
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
        digests_.check(options_.checkFile, *report_, out_, err_, !options_.reportToStdout());
    }
    if (incomplete_ && options_.strict) {
        throw Exception("a collector could not be generated (--strict)");
    }
}

// The collectors --only names (all without it), in node order; an unknown name is a usage error.
std::vector<std::size_t> RenderRun::chosen(const std::vector<std::string>& names) const {
    std::vector<std::size_t> picked;
    std::set<std::string> found;
    for (std::size_t k = 0; k < names.size(); ++k) {
        if (options_.only.empty() ||
            std::find(options_.only.begin(), options_.only.end(), names[k]) != options_.only.end()) {
            picked.push_back(k);
            found.insert(names[k]);
        }
    }
    for (const std::string& wanted : options_.only) {
        if (!found.contains(wanted)) {
            std::string list;
            for (std::size_t k = 0; k < names.size(); ++k) {
                list += (k == 0 ? "'" : ", '") + names[k] + "'";
            }
            throw UsageError("--only: the material has no collector named '" + wanted +
                             "'; its collectors are " + (list.empty() ? "none" : list));
        }
    }
    return picked;
}

void RenderRun::renderXml(const std::vector<std::uint8_t>& bytes) {
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
    std::vector<std::string> names;
    for (std::size_t i = 0; i < material.getNodeCount(); ++i) {
        if (isCollector(material.getNode(i))) {
            collectors.push_back(&material.getNode(i));
            names.push_back(material.getNode(i).getName());
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
    const std::vector<std::size_t> picked = chosen(names);
    std::vector<VisualNode*> rendered;
    for (const std::size_t k : picked) {
        rendered.push_back(collectors[k]);
    }
    if (options_.jsonFile.empty()) {
        renderWithProgress(material, rendered, err_, showProgress_);
    } else {
        renderTimed(material, rendered, report_->nodes);
    }
    std::vector<RenderedCollector> results;
    for (const std::size_t k : picked) {
        const VisualNode& node = *collectors[k];
        warnWhenIncomplete(material, node);
        results.push_back({k, node.getName(), static_cast<const Velvor::Collector&>(node.getOperator()).index,
                           &node.getOperator().getImage()});
    }
    emit(results);
    if (!options_.packedOut.empty()) {
        writer_.write(options_.packedOut, exportPacked(material), reportEntry("packed"), *report_);
    }
    if (!options_.xmlOut.empty()) {
        writer_.write(options_.xmlOut, materialToXml(material), reportEntry("xml"), *report_);
    }
}

void RenderRun::renderPacked(const std::vector<std::uint8_t>& bytes) {
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
    std::vector<std::string> names;
    for (const Velvor::PackedMaterial::Output& output : outputs) {
        names.push_back("slot" + std::to_string(output.slotIndex));
    }
    std::vector<RenderedCollector> results;
    for (const std::size_t k : chosen(names)) {
        if (material.getInputs(outputs[k].record).empty()) {
            warn("collector " + std::to_string(k) + " (" + names[k] +
                 ") has no input; its image stays empty");
        }
        results.push_back({k, names[k], outputs[k].slotIndex, outputs[k].image});
    }
    emit(results);
    if (!options_.packedOut.empty()) {
        // The material as read: everything up to and including its terminator.
        const auto kept = std::span(bytes).first(material.getByteCount());
        writer_.write(options_.packedOut, kept, reportEntry("packed"), *report_);
    }
}

void RenderRun::warnWhenIncomplete(const Material& material, const VisualNode& collector) {
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

std::string RenderRun::materialName() const {
    return std::filesystem::path(input_).stem().string();
}

std::string RenderRun::outputPath(const std::string& fileName) const {
    return (std::filesystem::path(options_.outputDir) / fileName).string();
}
