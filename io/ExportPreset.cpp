#include "io/ExportPreset.h"

#include "base/Exception.h"
#include "base/File.h"
#include "io/FileNamePattern.h"
#include "io/PngWriter.h"

#include <array>
#include <cstdlib>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <optional>

namespace {

using Json = nlohmann::json;

constexpr std::size_t maxPresetBytes = 1u << 20;
constexpr std::array<std::string_view, 4> channelNames = {"red", "green", "blue", "alpha"};

struct Selector {
    std::optional<std::string> collector; // by name; otherwise by slot
    int slot = 0;
};

struct ChannelSource {
    std::optional<Selector> from; // none: the constant
    int channel = 0;              // 0 red .. 3 alpha
    std::uint8_t value = 255;
};

struct Output {
    std::string file;
    bool each = false;
    std::optional<Selector> source;
    std::array<std::optional<ChannelSource>, 4> channels;
    bool flipGreen = false;
    bool writeAlpha = true;
};

std::string describe(const Selector& selector) {
    return selector.collector ? "collector named '" + *selector.collector + "'"
                              : "collector of slot " + std::to_string(selector.slot);
}

unsigned channelOf(Velvor::Pixel p, int channel) {
    switch (channel) {
    case 0:
        return Velvor::redOf(p);
    case 1:
        return Velvor::greenOf(p);
    case 2:
        return Velvor::blueOf(p);
    default:
        return Velvor::alphaOf(p);
    }
}

// Reads the preset's JSON, each fault named with where it is.
class Reader {
public:
    explicit Reader(std::string origin) : origin_(std::move(origin)) {}

    [[noreturn]] void fail(const std::string& where, const std::string& what) const {
        throw Exception(origin_ + ": " + where + what);
    }

    const Json& member(const Json& object, const char* key, const std::string& where) const {
        if (!object.contains(key)) {
            fail(where, std::string("lacks \"") + key + "\"");
        }
        return object.at(key);
    }

    bool flag(const Json& object, const char* key, bool fallback, const std::string& where) const {
        if (!object.contains(key)) {
            return fallback;
        }
        if (!object.at(key).is_boolean()) {
            fail(where, std::string("\"") + key + "\" must be true or false");
        }
        return object.at(key).get<bool>();
    }

    Selector selector(const Json& json, const std::string& where) const {
        if (!json.is_object()) {
            fail(where, "must be an object naming a \"collector\" or a \"slot\"");
        }
        Selector result;
        if (json.contains("collector")) {
            if (!json.at("collector").is_string()) {
                fail(where, "\"collector\" must be a collector's name");
            }
            result.collector = json.at("collector").get<std::string>();
        } else if (json.contains("slot")) {
            const Json& slot = json.at("slot");
            if (!slot.is_number_integer() || slot.get<std::int64_t>() < 0 ||
                slot.get<std::int64_t>() > 32767) {
                fail(where, "\"slot\" must be a slot index");
            }
            result.slot = slot.get<int>();
        } else {
            fail(where, "must name a \"collector\" or a \"slot\"");
        }
        return result;
    }

    ChannelSource channel(const Json& json, const std::string& where) const {
        ChannelSource result;
        if (json.is_object() && json.contains("value")) {
            const Json& value = json.at("value");
            if (!value.is_number_integer() || value.get<std::int64_t>() < 0 ||
                value.get<std::int64_t>() > 255) {
                fail(where, "\"value\" must be a whole number from 0 to 255");
            }
            result.value = static_cast<std::uint8_t>(value.get<int>());
            return result;
        }
        result.from = selector(json, where);
        const Json& name = member(json, "channel", where);
        for (std::size_t c = 0; c < channelNames.size(); ++c) {
            if (name.is_string() && name.get<std::string>() == channelNames[c]) {
                result.channel = static_cast<int>(c);
                return result;
            }
        }
        fail(where, "\"channel\" must be \"red\", \"green\", \"blue\" or \"alpha\"");
    }

    Output output(const Json& json, const std::string& where) const {
        if (!json.is_object()) {
            fail(where, "must be an object");
        }
        Output result;
        const Json& file = member(json, "file", where);
        if (!file.is_string()) {
            fail(where, "\"file\" must be a name pattern");
        }
        result.file = file.get<std::string>();
        try {
            checkFileNamePattern(result.file);
        } catch (const Exception& e) {
            fail(where, "\"file\": " + e.getMessage());
        }
        result.each = flag(json, "each", false, where);
        result.flipGreen = flag(json, "flipGreen", false, where);
        result.writeAlpha = flag(json, "writeAlpha", true, where);
        if (json.contains("source")) {
            if (result.each) {
                fail(where, "\"each\" takes every collector in turn as its source; it has no \"source\"");
            }
            result.source = selector(json.at("source"), where + "\"source\" ");
        }
        if (json.contains("channels")) {
            const Json& channels = json.at("channels");
            if (!channels.is_object()) {
                fail(where, "\"channels\" must be an object");
            }
            for (const auto& [key, value] : channels.items()) {
                std::size_t c = 0;
                while (c < channelNames.size() && channelNames[c] != key) {
                    ++c;
                }
                if (c == channelNames.size()) {
                    fail(where,
                         "\"channels\" names \"" + key + "\"; the channels are red, green, blue, alpha");
                }
                result.channels[c] = channel(value, where + "channel \"" + key + "\" ");
            }
        }
        if (!result.each && !result.source) {
            for (std::size_t c = 0; c < 3; ++c) {
                if (!result.channels[c]) {
                    fail(where, "has no \"source\", so its channel \"" + std::string(channelNames[c]) +
                                    "\" must be given");
                }
            }
        }
        return result;
    }

private:
    std::string origin_;
};

} // namespace

struct ExportPreset::Data {
    std::string description;
    std::vector<Output> outputs;
};

ExportPreset::ExportPreset(std::unique_ptr<Data> data) : data_(std::move(data)) {}
ExportPreset::ExportPreset(ExportPreset&&) noexcept = default;
ExportPreset& ExportPreset::operator=(ExportPreset&&) noexcept = default;
ExportPreset::~ExportPreset() = default;

const std::string& ExportPreset::getDescription() const {
    return data_->description;
}

ExportPreset ExportPreset::parse(std::string_view text, const std::string& origin) {
    const Reader reader(origin);
    const Json json = Json::parse(text.begin(), text.end(), nullptr, false);
    if (json.is_discarded()) {
        reader.fail("", "is not JSON");
    }
    if (!json.is_object() || !json.contains("velvorPreset")) {
        reader.fail("", "is not an export preset (no \"velvorPreset\")");
    }
    if (json.at("velvorPreset") != 1) {
        reader.fail("", "is a preset of another version than 1");
    }
    auto data = std::make_unique<Data>();
    if (json.contains("description") && json.at("description").is_string()) {
        data->description = json.at("description").get<std::string>();
    }
    const Json& outputs = reader.member(json, "outputs", "");
    if (!outputs.is_array() || outputs.empty()) {
        reader.fail("", "\"outputs\" must list at least one output");
    }
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        data->outputs.push_back(reader.output(outputs[i], "output " + std::to_string(i) + " "));
    }
    return ExportPreset(std::move(data));
}

ExportPreset ExportPreset::load(const std::string& path) {
    const std::vector<std::uint8_t> bytes = readBinaryFile(path, maxPresetBytes);
    return parse(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), path);
}

std::vector<PresetFile> ExportPreset::render(std::span<const PresetCollector> collectors,
                                             std::string_view materialName) const {
    const auto find = [&](const Selector& selector) -> const PresetCollector& {
        for (const PresetCollector& collector : collectors) {
            if (selector.collector ? collector.name == *selector.collector
                                   : collector.slot == selector.slot) {
                return collector;
            }
        }
        std::string present;
        for (const PresetCollector& collector : collectors) {
            present += (present.empty() ? "" : ", ") +
                       ("'" + collector.name + "' (slot " + std::to_string(collector.slot) + ")");
        }
        throw Exception("the preset needs the " + describe(selector) + ", which the material lacks; it has " +
                        (present.empty() ? "no collector" : present));
    };

    std::vector<PresetFile> files;
    const auto renderOne = [&](const Output& output, const PresetCollector* own) {
        std::array<const PresetCollector*, 4> from{};
        std::array<int, 4> channel{0, 1, 2, 3};
        std::array<std::uint8_t, 4> constant{0, 0, 0, 255};
        const PresetCollector* source = own != nullptr  ? own
                                        : output.source ? &find(*output.source)
                                                        : nullptr;
        for (int c = 0; c < 4; ++c) {
            const std::optional<ChannelSource>& given = output.channels[static_cast<std::size_t>(c)];
            if (given) {
                from[c] = given->from ? &find(*given->from) : nullptr;
                channel[c] = given->channel;
                constant[c] = given->value;
            } else {
                from[c] = source;
            }
        }
        const PresetCollector* sizing = source;
        for (const PresetCollector* p : from) {
            sizing = sizing != nullptr ? sizing : p;
        }
        const int width = sizing != nullptr ? sizing->image->getWidth() : 1;
        const int height = sizing != nullptr ? sizing->image->getHeight() : 1;
        for (const PresetCollector* p : from) {
            if (p != nullptr && (p->image->getWidth() != width || p->image->getHeight() != height)) {
                throw Exception("the preset's output " + output.file + " takes channels from '" +
                                sizing->name + "' and '" + p->name + "', which differ in size");
            }
        }
        if (static_cast<std::int64_t>(width) * height == 0) {
            throw Exception("the preset's output " + output.file + " would be empty: '" + sizing->name +
                            "' has no pixels");
        }
        const int channels = output.writeAlpha ? 4 : 3;
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) *
                                        static_cast<std::size_t>(channels));
        std::size_t at = 0;
        // PNG rows run from the top, the picture as displayed: the image's last row first.
        for (int r = height - 1; r >= 0; --r) {
            for (int x = 0; x < width; ++x) {
                for (int c = 0; c < channels; ++c) {
                    unsigned value =
                        from[c] != nullptr ? channelOf(from[c]->image->row(r)[x], channel[c]) : constant[c];
                    if (c == 1 && output.flipGreen) {
                        value = 255 - value;
                    }
                    bytes[at++] = static_cast<std::uint8_t>(value);
                }
            }
        }
        const FileNameFields fields{materialName, own != nullptr ? own->index : 0,
                                    own != nullptr ? std::string_view(own->name) : std::string_view(),
                                    own != nullptr ? own->slot : 0};
        files.push_back(
            {expandFileNamePattern(output.file, fields), encodePngBytes(width, height, channels, bytes)});
    };

    for (const Output& output : data_->outputs) {
        if (output.each) {
            for (const PresetCollector& collector : collectors) {
                renderOne(output, &collector);
            }
        } else {
            renderOne(output, nullptr);
        }
    }
    return files;
}

std::vector<std::string> presetFolders(const std::string& installedFolder) {
    std::vector<std::string> folders;
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    if (config != nullptr && *config == '/') {
        folders.push_back(std::string(config) + "/velvor/presets");
    } else if (home != nullptr && *home != '\0') {
        folders.push_back(std::string(home) + "/.config/velvor/presets");
    }
    folders.push_back(installedFolder);
    return folders;
}

std::string locatePreset(const std::string& nameOrPath, const std::string& installedFolder) {
    std::error_code error;
    if (nameOrPath.find('/') != std::string::npos || std::filesystem::is_regular_file(nameOrPath, error)) {
        return nameOrPath;
    }
    std::string searched;
    for (const std::string& folder : presetFolders(installedFolder)) {
        for (const std::string& candidate : {nameOrPath, nameOrPath + ".json"}) {
            const std::string path = folder + "/" + candidate;
            if (std::filesystem::is_regular_file(path, error)) {
                return path;
            }
        }
        searched += (searched.empty() ? "" : ", ") + folder;
    }
    throw Exception("no preset " + nameOrPath + " in " + searched);
}
