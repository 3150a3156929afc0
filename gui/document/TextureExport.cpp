#include "gui/document/TextureExport.h"

#include "base/File.h"
#include "base/Progress.h"
#include "core/operators/Collector.h"
#include "gui/dialogs/Dialogs.h"
#include "io/ExportPreset.h"
#include "model/Material.h"

#include <algorithm>
#include <filesystem>
#include <set>

namespace fs = std::filesystem;

std::vector<std::string> availablePresets() {
    std::vector<std::string> presets;
    std::set<std::string> names;
    for (const std::string& folder : presetFolders(VELVOR_PRESET_DIR)) {
        std::error_code error;
        std::vector<fs::path> found;
        for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
            if (entry.path().extension() == ".json" && entry.is_regular_file(error)) {
                found.push_back(entry.path());
            }
        }
        std::sort(found.begin(), found.end());
        for (const fs::path& path : found) {
            if (names.insert(path.stem().string()).second) {
                presets.push_back(path.string());
            }
        }
    }
    return presets;
}

std::string exportTextures(Material& material, Dialogs& dialogs, const std::string& materialName) {
    const std::vector<std::string> presets = availablePresets();
    if (presets.empty()) {
        dialogs.inform("Export textures...", "No export presets were found in " +
                                                 presetFolders(VELVOR_PRESET_DIR).front() + " or " +
                                                 VELVOR_PRESET_DIR + ".");
        return {};
    }
    std::vector<std::string> choices;
    for (const std::string& path : presets) {
        choices.push_back(fs::path(path).stem().string());
    }
    choices.emplace_back("Cancel");
    const std::size_t chosen = dialogs.askChoice("Export textures...", "Which preset?", choices);
    if (chosen >= presets.size()) {
        return {};
    }
    const ExportPreset preset = ExportPreset::load(presets[chosen]);
    const std::optional<std::string> folder = dialogs.askFolder("Export textures to...");
    if (!folder) {
        return {};
    }
    // The pictures of the material as it is now, as a fresh render of its file would give them.
    NullProgress quiet;
    material.renderAll(quiet);
    std::vector<PresetCollector> collectors;
    for (std::size_t i = 0; i < material.getNodeCount(); ++i) {
        VisualNode& node = material.getNode(i);
        if (node.getTypeId() == static_cast<int>(Velvor::OperatorType::Collector)) {
            const int slot = static_cast<const Velvor::Collector&>(node.getOperator()).index;
            collectors.push_back({node.getName(), slot, collectors.size(), &node.getOperator().getImage()});
        }
    }
    const std::vector<PresetFile> files = preset.render(collectors, materialName);
    for (const PresetFile& file : files) {
        writeFile((fs::path(*folder) / file.fileName).string(), std::span<const std::uint8_t>(file.png));
    }
    return std::to_string(files.size()) + (files.size() == 1 ? " file" : " files") + " written to " + *folder;
}
