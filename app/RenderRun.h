#pragma once

// One command line of velvor-render, input by input: read, render, write (or list, digest, check).

#include "app/DigestList.h"
#include "app/OutputWriter.h"
#include "app/RenderOptions.h"
#include "app/RenderReport.h"
#include "io/ExportPreset.h"
#include "model/Material.h"

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace Velvor {
class Image;
}

class RenderRun {
public:
    RenderRun(const RenderOptions& options, std::ostream& out, std::ostream& err, bool showProgress,
              bool outIsTerminal);

    // Reads the --check list before anything is rendered.
    void readDigestList();
    // Fills `report`; returns the input's exit status (0, 1 for an error, 2 for a usage error), the
    // message on `err`.
    int renderInput(const std::string& input, InputReport& report);
    // The --list output of every input so far, as JSON.
    const std::vector<std::string>& getListings() const { return listings_; }

    std::optional<ExportPreset> preset;

private:
    // One collector of a rendered input, whatever its kind.
    struct RenderedCollector {
        std::size_t index;
        std::string name;
        int slot;
        const Velvor::Image* image;
    };

    void fail(const std::string& message, const char* prefix);
    void warn(const std::string& text, bool incomplete = true);
    void renderInputOrThrow(const std::string& input);
    std::vector<std::size_t> chosen(const std::vector<std::string>& names) const;
    void renderXml(const std::vector<std::uint8_t>& bytes);
    void renderPacked(const std::vector<std::uint8_t>& bytes);
    void warnWhenIncomplete(const Material& material, const VisualNode& collector);
    std::string materialName() const;
    std::string outputPath(const std::string& fileName) const;
    void emit(const std::vector<RenderedCollector>& results);
    void emitDigests(const std::vector<RenderedCollector>& results);
    void emitPreset(const std::vector<RenderedCollector>& results);
    void emitPictures(const std::vector<RenderedCollector>& results);

    const RenderOptions& options_;
    std::ostream& out_;
    std::ostream& err_;
    bool showProgress_;
    OutputWriter writer_;
    DigestList digests_;
    std::vector<std::string> listings_;
    std::string input_;
    InputReport* report_ = nullptr;
    std::size_t asked_ = 0;
    std::size_t written_ = 0;
    bool incomplete_ = false;
};
