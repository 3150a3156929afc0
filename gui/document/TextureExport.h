#pragma once

// File / "Export textures...": the material's collectors written as engine-ready PNG files through an
// export preset, the same presets and code as velvor-render --preset.

#include <string>
#include <vector>

class Dialogs;
class Material;

// The presets the editor offers: every *.json in the user's preset folder, then the installed ones
// (a name found in both is the user's), sorted within each folder.
std::vector<std::string> availablePresets();

// Asks for a preset and a folder, renders what is not up to date and writes the preset's files there.
// Returns what to tell the user (nothing when the user cancelled). Raises Exception on failure.
std::string exportTextures(Material& material, Dialogs& dialogs, const std::string& materialName);
