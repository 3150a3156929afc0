#pragma once

// Export presets: which engine-ready PNG files to make from a material's collectors. One format,
// shared by the command line (velvor-render --preset) and the editor, in JSON:
//
//   { "velvorPreset": 1, "description": "...", "outputs": [ OUTPUT, ... ] }
//   OUTPUT:   { "file": PATTERN, "each": false, "source": SELECTOR, "channels": { "red": CHANNEL, ... },
//               "flipGreen": false, "writeAlpha": true }
//   SELECTOR: { "collector": "Normal map" } or { "slot": 4 }
//   CHANNEL:  SELECTOR with "channel": "red" | "green" | "blue" | "alpha", or { "value": 0..255 }
//
// PATTERN names the file as --name does (io/FileNamePattern.h; ".png" is appended). "each": true
// writes the output once per collector, that collector being its source. A channel not listed takes
// the same channel of the source; without a source red, green and blue must be listed and alpha is
// 255. "flipGreen" inverts the green channel (between the two normal-map conventions engines use);
// "writeAlpha": false writes an RGB file. Every output's channels must come from images of one size.

#include "core/Image.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// A rendered collector as the preset sees it.
struct PresetCollector {
    std::string name;  // "slot<index>" for packed files
    int slot = 0;      // its slot index
    std::size_t index; // its position among the collectors
    const Velvor::Image* image = nullptr;
};

struct PresetFile {
    std::string fileName; // within the chosen folder
    std::vector<std::uint8_t> png;
};

class ExportPreset {
public:
    // Raises Exception "<origin>: <fault>" for text that is not such a preset.
    static ExportPreset parse(std::string_view json, const std::string& origin);
    // Reads and parses the file (at most 1 MiB).
    static ExportPreset load(const std::string& path);

    ExportPreset(ExportPreset&&) noexcept;
    ExportPreset& operator=(ExportPreset&&) noexcept;
    ~ExportPreset();

    const std::string& getDescription() const;

    // The files, in the preset's order. Raises Exception naming a collector the material lacks (and
    // the ones it has), or channels of one output from images of different sizes.
    std::vector<PresetFile> render(std::span<const PresetCollector> collectors,
                                   std::string_view materialName) const;

private:
    struct Data;
    explicit ExportPreset(std::unique_ptr<Data> data);
    std::unique_ptr<Data> data_;
};

// The folders presets are looked for in by name, first to last: the user's
// ($XDG_CONFIG_HOME/velvor/presets, by default ~/.config/velvor/presets), then `installedFolder`.
std::vector<std::string> presetFolders(const std::string& installedFolder);

// A path holding a '/' or naming an existing file is taken as it is; any other name is looked for as
// NAME or NAME.json in presetFolders. Raises Exception listing the folders searched when not found.
std::string locatePreset(const std::string& nameOrPath, const std::string& installedFolder);
