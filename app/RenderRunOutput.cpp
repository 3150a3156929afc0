// What a rendered input leaves behind: its collectors' pictures, a preset's files or digest lines.

#include "app/OutputNames.h"
#include "app/RenderRun.h"
#include "app/TerminalText.h"
#include "base/Exception.h"
#include "io/FileNamePattern.h"
#include "io/ImageDigest.h"
#include "io/PngWriter.h"

#include <utility>

void RenderRun::emit(const std::vector<RenderedCollector>& results) {
    asked_ += results.size();
    if (!options_.writesPictures()) {
        emitDigests(results);
    } else if (!options_.preset.empty()) {
        emitPreset(results);
    } else {
        emitPictures(results);
    }
}

void RenderRun::emitDigests(const std::vector<RenderedCollector>& results) {
    for (const RenderedCollector& c : results) {
        const std::string& key = digests_.add(c.index, c.slot, *c.image, c.name);
        if (options_.digest) {
            out_ << key << " " << escapeControlCharacters(c.name) << "\n";
        }
    }
}

void RenderRun::emitPreset(const std::vector<RenderedCollector>& results) {
    std::vector<PresetCollector> collectors;
    for (const RenderedCollector& c : results) {
        collectors.push_back({c.name, c.slot, c.index, c.image});
    }
    std::vector<PresetFile> files = preset->render(collectors, materialName());
    for (const PresetFile& file : files) {
        writer_.checkNotAnInput(outputPath(file.fileName));
    }
    for (PresetFile& file : files) {
        ReportFile entry;
        entry.role = "preset";
        writer_.write(outputPath(file.fileName), file.png, std::move(entry), *report_);
        ++written_;
    }
}

void RenderRun::emitPictures(const std::vector<RenderedCollector>& results) {
    std::vector<std::pair<std::string, const RenderedCollector*>> pictures;
    for (const RenderedCollector& c : results) {
        const std::string fileName =
            options_.namePattern.empty()
                ? collectorFileName(c.index, c.name)
                : expandFileNamePattern(options_.namePattern, {materialName(), c.index, c.name, c.slot});
        pictures.emplace_back(outputPath(fileName), &c);
        writer_.checkNotAnInput(pictures.back().first);
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
        ReportFile entry;
        entry.role = "collector";
        entry.collector = c->index;
        entry.name = c->name;
        entry.slot = c->slot;
        entry.width = image.getWidth();
        entry.height = image.getHeight();
        entry.digest = options_.jsonFile.empty() ? "" : imageDigest(image);
        writer_.write(path, png, std::move(entry), *report_);
        ++written_;
    }
    if (written_ == 0) {
        throw Exception("none of the " + std::to_string(asked_) + " collectors was written");
    }
}
